#include "lottery/stats/DifferenceStats.h"

#include "common/Format.h"

#include <algorithm>
#include <cstdlib>

TDiffs NeighbourDiffs(const std::array<uint8_t, kMainCount> &numbers)
{
    TDiffs d{};
    for (size_t j = 0; j < kDiffCount; ++j)
        d[j] = static_cast<uint16_t>(std::abs(int(numbers[j + 1]) - int(numbers[j])));
    return d;
}

TRepeatedDiffs RepeatedDiffs(const TDiffs &diffs)
{
    TRepeatedDiffs r;
    for (uint16_t d : diffs) {
        int i = 0;
        while (i < r.Count && r.Diff[size_t(i)] != d)
            ++i;
        if (i == r.Count) {
            r.Diff[size_t(r.Count)] = d;
            ++r.Count;
        }
        ++r.Times[size_t(i)];
    }
    return r;
}

int TRepeatedDiffs::MaxTimes() const
{
    int best = 0;
    for (int i = 0; i < Count; ++i)
        best = std::max(best, int(Times[size_t(i)]));
    return best;
}

// ---- DIFA ----

void TstDiffTotal::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMaxNumber - 1);
}

void TstDiffTotal::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    for (uint16_t d : NeighbourDiffs(comb.n))
        MergeKey(values, d, false);
}

void TstDiffTotal::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    const TDiffs d = NeighbourDiffs(Draw.main);
    for (size_t j = 0; j < kDiffCount; ++j)
        MergeKey(values, d[j], j == 0);
}

bool TstDiffTotal::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (uint16_t d : NeighbourDiffs(comb.n))
        if (HasWordKey(values, 1, d))
            return true;
    return false;
}

// ---- DIFM, DIFD, DIFK ----

int TCustomDiffGraphStat::NumericValue(const TComb &comb, int, bool, int)
{
    return ValueOf(comb.n);
}

void TCustomDiffGraphStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(ValueOf(comb.n)), false);
}

void TCustomDiffGraphStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                        TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(ValueOf(Draw.main)), true);
}

bool TCustomDiffGraphStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, static_cast<uint16_t>(ValueOf(comb.n)));
}

int TstDiffMax::ValueOf(const std::array<uint8_t, kMainCount> &numbers) const
{
    int best = 0;
    for (uint16_t d : NeighbourDiffs(numbers))
        best = std::max(best, int(d));
    return best;
}

void TstDiffMax::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMaxNumber - 1);
}

int TstMinMaxDiffs::ValueOf(const std::array<uint8_t, kMainCount> &numbers) const
{
    int lo = kMaxNumber;
    int hi = 1;
    for (uint8_t n : numbers) {
        lo = std::min(lo, int(n));
        hi = std::max(hi, int(n));
    }
    return hi - lo;
}

void TstMinMaxDiffs::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMaxNumber - 1);
}

int TstDiffSameCnt::ValueOf(const std::array<uint8_t, kMainCount> &numbers) const
{
    return RepeatedDiffs(NeighbourDiffs(numbers)).MaxTimes();
}

void TstDiffSameCnt::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kDiffCount);
}

// ---- DIFO ----

QString TstDiffSame::ValueToText(const TStatValueRec &value) const
{
    return Format(u"%0:d x %1:d", {int(value.Keys.word(1)), int(value.Keys.word(2))});
}

void TstDiffSame::merge(const std::array<uint8_t, kMainCount> &numbers, TStatDrawArray &values, bool withIntervals)
{
    const TRepeatedDiffs r = RepeatedDiffs(NeighbourDiffs(numbers));
    for (int i = 0; i < r.Count; ++i) {
        Value.Keys.set(r.Diff[size_t(i)], r.Times[size_t(i)]);
        AddStatValue(values, Value, withIntervals);
    }
}

void TstDiffSame::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    merge(comb.n, values, false);
}

void TstDiffSame::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &, TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    merge(Draw.main, values, true);
}

bool TstDiffSame::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    const TRepeatedDiffs r = RepeatedDiffs(NeighbourDiffs(comb.n));
    for (int i = 0; i < r.Count; ++i)
        if (HasValue(values, r.Diff[size_t(i)], r.Times[size_t(i)], 0, 0))
            return true;
    return false;
}

// ---- KDS2..KDS4 ----

TCustomDiffSeqStat::TCustomDiffSeqStat(const TStatClass &cls, const TStatList &list, int param, int width)
    : TCustomStat(cls, list, param), m_width(std::clamp(width, 1, 4))
{
}

TStatKeys TCustomDiffSeqStat::windowAt(const TDiffs &diffs, int j) const
{
    TStatKeys keys;
    for (int k = 0; k < m_width; ++k)
        keys.setWord(k + 1, diffs[size_t(j + k)]);
    return keys;
}

QString TCustomDiffSeqStat::ValueToText(const TStatValueRec &value) const
{
    QString text = QString::number(value.Keys.word(1));
    for (int k = 2; k <= m_width; ++k)
        text += u':' + QString::number(value.Keys.word(k));
    return text;
}

void TCustomDiffSeqStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                      TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    const TDiffs d = NeighbourDiffs(Draw.main);
    for (int j = 0; j + m_width <= kDiffCount; ++j) {
        Value.Keys = windowAt(d, j);
        AddStatValue(values, Value, j == 0);
    }
}

bool TCustomDiffSeqStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    const TDiffs d = NeighbourDiffs(comb.n);
    for (int j = 0; j + m_width <= kDiffCount; ++j)
        if (values.indexOf(windowAt(d, j)) >= 0)
            return true;
    return false;
}
