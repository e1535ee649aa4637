#include "lottery/stats/CharacteristicStats.h"

#include <algorithm>

TDiffChainResult DiffChainOf(const uint8_t *numbers, int count, int mode)
{
    TDiffChainResult res;
    count = std::clamp(count, 0, kMainCount);
    if (count < 2) {
        res.size = 1;
        res.bytes[0] = count == 1 ? numbers[0] : 0;
        return res;
    }
    uint8_t a[kMainCount];
    std::copy(numbers, numbers + count, a);
    for (; count > 2; --count)
        for (int i = 0; i + 1 < count; ++i)
            a[i] = static_cast<uint8_t>(a[i + 1] > a[i] ? a[i + 1] - a[i] : a[i] - a[i + 1]);
    const auto sum = static_cast<uint8_t>(a[0] + a[1]);
    res.size = 1;
    res.bytes[0] = static_cast<uint8_t>(a[1] > a[0] ? a[1] - a[0] : a[0] - a[1]);
    if (mode == 1 && res.bytes[0] <= 1) {
        res.bytes[0] = sum;
    } else if (mode == 2) {
        if (res.bytes[0] == 0)
            res.bytes[0] = sum;
        if (res.bytes[0] == 1) {
            res.size = 2;
            res.bytes[1] = sum;
        }
    }
    return res;
}

TByteArray DiffChain(const uint8_t *numbers, int count, int mode)
{
    const TDiffChainResult r = DiffChainOf(numbers, count, mode);
    return TByteArray(r.bytes, r.bytes + r.size);
}

// ---- HCO1, HCO2 ----

uint8_t TCustomTalvikGraphStat::valueOf(const uint8_t *numbers) const
{
    return DiffChainOf(numbers, kMainCount, m_mode).bytes[0];
}

int TCustomTalvikGraphStat::NumericValue(const TComb &comb, int, bool, int)
{
    return valueOf(comb.n.data());
}

void TCustomTalvikGraphStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, valueOf(comb.n.data()), false);
}

void TCustomTalvikGraphStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                          TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, valueOf(Draw.main.data()), true);
}

bool TCustomTalvikGraphStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, valueOf(comb.n.data()));
}

// ---- HCO3 ----

QString TstTalvik3::ValueToText(const TStatValueRec &value) const
{
    QString text = QString::number(value.Keys.word(1));
    if (value.Keys.word(4) == 2)
        text += u" (" + QString::number(value.Keys.word(2)) + u')';
    return text;
}

void TstTalvik3::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                              TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    // Only the last draw of the sample proposes values.
    if (index != last || index < 0 || index >= DrawCount())
        return;
    const TDiffChainResult res = DiffChainOf(Draw.main.data(), kMainCount, 2);
    if (res.size == 2)
        Value.Keys.set(res.bytes[1], 1, 0, 2);
    else
        Value.Keys.set(res.bytes[0]);
    const int c = Value.Keys.word(1);

    // The draw after the sample; when there is none, no proposal is counted (its zeros are no numbers).
    const bool hasNext = last + 1 < DrawCount();
    const TDrawRec next = GetDraw(last + 1, false);
    auto inNext = [&](int n) { return hasNext && std::find(next.main.begin(), next.main.end(), n) != next.main.end(); };

    Value.Count = inNext(c) ? 1 : 0;
    AddStatValue(values, Value, false);

    int m = c * c;
    if (m < kMaxNumber)
        m *= c;
    for (; m > c; m -= c)
        if (m >= 1 && m <= kMaxNumber) {
            Value.Keys.set(static_cast<uint16_t>(m));
            Value.Count = inNext(m) ? 1 : 0;
            AddStatValue(values, Value, false);
        }
}

bool TstTalvik3::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (uint8_t n : comb.n)
        if (HasWordKey(values, 1, n))
            return true;
    return false;
}
