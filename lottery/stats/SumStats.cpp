#include "lottery/stats/SumStats.h"

#include "common/Format.h"
#include "lottery/Combinatorics.h"

using namespace Qt::StringLiterals;

namespace {

// The sum ranges of SUM1..SUM3, both ends included.
constexpr int kSumRanges[3][2] = {{93, 183}, {102, 174}, {110, 166}};

int signOf(int v)
{
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// Signed values live in the 32-bit key 1.
int32_t signedKey1(const TStatValueRec &value)
{
    return static_cast<int32_t>(value.Keys.dword(1));
}

// The sum of the draw before draw index; false when there is none (the first draw of the archive, or
// an index outside it).
bool previousSum(const TCustomStat &stat, int index, int &sum)
{
    if (index < 1 || index > stat.DrawCount())
        return false;
    sum = stat.GetDraw(index - 1, false).mainSum();
    return true;
}

} // namespace

int SumOfSix(const std::array<uint8_t, kMainCount> &numbers)
{
    int s = 0;
    for (uint8_t n : numbers)
        s += n;
    return s;
}

// ---- SUMS ----

int TstSumValues::NumericValue(const TComb &comb, int, bool, int)
{
    return SumOfSix(comb.n);
}

void TstSumValues::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, MinSum, MaxSum);
}

void TstSumValues::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(SumOfSix(comb.n)), false);
}

void TstSumValues::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(SumOfSix(Draw.main)), true);
}

bool TstSumValues::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasValuePair(values, static_cast<uint16_t>(SumOfSix(comb.n)), 0);
}

bool TstSumValues::NumberWeightsOfTest(int, std::array<uint8_t, kMaxNumber + 1> &weights, TStatProbe &lookup)
{
    for (int n = 0; n <= kMaxNumber; ++n)
        weights[size_t(n)] = uint8_t(n);
    lookup = TStatProbe{TStatProbeKind::Keys, 0, 0};
    return true;
}

// ---- SUM1..SUM3 ----

int TstSumRanges::RangeLow(int param)
{
    // A parameter outside 1..3 (never listed by the registry) reads the first range.
    return kSumRanges[param >= 1 && param <= 3 ? param - 1 : 0][0];
}

int TstSumRanges::RangeHigh(int param)
{
    return kSumRanges[param >= 1 && param <= 3 ? param - 1 : 0][1];
}

int TstSumRanges::inRange(int sum) const
{
    return sum >= RangeLow(Param) && sum <= RangeHigh(Param) ? 1 : 0;
}

QString TstSumRanges::ValueToText(const TStatValueRec &value) const
{
    return value.Keys.word(1) == 1 ? Format(u"%d-%d", {RangeLow(Param), RangeHigh(Param)}) : u"Остальные"_s;
}

int TstSumRanges::NumericValue(const TComb &comb, int, bool, int)
{
    return inRange(SumOfSix(comb.n));
}

void TstSumRanges::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 0, 1);
}

void TstSumRanges::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(inRange(SumOfSix(comb.n))), false);
}

void TstSumRanges::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(inRange(SumOfSix(Draw.main))), true);
}

bool TstSumRanges::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    // The combination's own value (in the range or not) must be selected, so that selecting both values
    // keeps every combination.
    return HasWordKey(values, 1, static_cast<uint16_t>(inRange(SumOfSix(comb.n))));
}

// ---- SUMC ----

QString TstSumChange::ValueToText(const TStatValueRec &value) const
{
    const int a = static_cast<int32_t>(value.Keys.dword(1));
    const int b = static_cast<int32_t>(value.Keys.dword(2));
    if (a > b)
        return Format(u"- %0:.2d : %1:d - %0:d = %2:d", {a - b, a, b});
    return Format(u"+%0:.2d : %1:d + %0:d = %2:d", {b - a, a, b});
}

int TstSumChange::NumericValue(const TComb &comb, int index, bool, int)
{
    int before = 0;
    return previousSum(*this, index, before) ? SumOfSix(comb.n) - before : 0;
}

void TstSumChange::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    int before = 0;
    if (index >= DrawCount() || !previousSum(*this, index, before) || before != LastDraw.mainSum())
        return;
    Value.Keys.setDWord(1, static_cast<uint32_t>(before));
    Value.Keys.setDWord(2, static_cast<uint32_t>(SumOfSix(Draw.main)));
    AddStatValue(values, Value, true);
}

bool TstSumChange::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    // The selected values are the sums that followed the last draw's sum: the combination's sum must be
    // one of them.
    return HasDWordKey(values, 2, static_cast<uint32_t>(SumOfSix(comb.n)));
}

// ---- SUMV ----

QString TstSumChangeSome::ValueToText(const TStatValueRec &value) const
{
    const int change = signedKey1(value);
    return change >= 0 ? Format(u"+%0:.2d", {change}) : Format(u"- %0:.2d", {-change});
}

void TstSumChangeSome::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                    TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    int before = 0;
    if (index >= DrawCount() || !previousSum(*this, index, before))
        return;
    const int lastSum = LastDraw.mainSum();
    if (lastSum < before - SumRangeWidth || lastSum > before + SumRangeWidth)
        return;
    Value.Keys.setDWord(1, static_cast<uint32_t>(SumOfSix(Draw.main) - before));
    AddStatValue(values, Value, true);
}

bool TstSumChangeSome::CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool)
{
    // The combination is taken as the draw after the last one; with no last draw it has no change.
    LoadDraw(last, last, sorted);
    if (last < 0 || last >= DrawCount())
        return false;
    return HasDWordKey(values, 1, static_cast<uint32_t>(SumOfSix(comb.n) - LastDraw.mainSum()));
}

// ---- SUMT ----

QString TstSumTrend::ValueToText(const TStatValueRec &value) const
{
    const int trend = signedKey1(value);
    return trend > 0 ? u"+"_s : (trend < 0 ? u"-"_s : u"="_s);
}

int TstSumTrend::NumericValue(const TComb &comb, int index, bool, int)
{
    int before = 0;
    return previousSum(*this, index, before) ? signOf(SumOfSix(comb.n) - before) : 0;
}

void TstSumTrend::EnumAllValues(int, TStatDrawArray &values)
{
    Value = TStatValueRec{};
    for (int trend : {0, 1, -1}) {
        Value.Keys.setDWord(1, static_cast<uint32_t>(trend));
        AddStatValue(values, Value, false);
    }
}

void TstSumTrend::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &, TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    int before = 0;
    if (index >= DrawCount() || !previousSum(*this, index, before) || before != LastDraw.mainSum())
        return;
    Value.Keys.setDWord(1, static_cast<uint32_t>(signOf(SumOfSix(Draw.main) - before)));
    AddStatValue(values, Value, true);
}

bool TstSumTrend::CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool)
{
    LoadDraw(last, last, sorted);
    if (last < 0 || last >= DrawCount())
        return false;
    return HasDWordKey(values, 1, static_cast<uint32_t>(signOf(SumOfSix(comb.n) - LastDraw.mainSum())));
}

// ---- SUME, SUMP ----

TCustomSetSumStat::TCustomSetSumStat(const TStatClass &cls, const TStatList &list, int param, TNumberBits set)
    : TCustomGraphStat(cls, list, param), m_set(set)
{
}

int TCustomSetSumStat::SumOf(const std::array<uint8_t, kMainCount> &numbers) const
{
    int s = 0;
    for (uint8_t n : numbers)
        s += InNumberBits(m_set, n) ? n : 0;
    return s;
}

int TCustomSetSumStat::NumericValue(const TComb &comb, int, bool, int)
{
    return SumOf(comb.n);
}

void TCustomSetSumStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(SumOf(comb.n)), false);
}

void TCustomSetSumStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                     TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(SumOf(Draw.main)), true);
}

bool TCustomSetSumStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasValuePair(values, static_cast<uint16_t>(SumOf(comb.n)), 0);
}

// ---- S2T3 ----

int TstSum2To3::CountOf(const std::array<uint8_t, kMainCount> &numbers)
{
    // Six different numbers 1..45: a sum is never one of its own two numbers, so each pair counts
    // once when its sum is one of the six.
    uint64_t set = 0;
    bool plain = true;
    for (uint8_t n : numbers) {
        const uint64_t bit = uint64_t(1) << (n & 63);
        plain = plain && n >= 1 && n <= kMaxNumber && (set & bit) == 0;
        set |= bit;
    }
    if (plain) {
        int count = 0;
        for (size_t i = 0; i < kMainCount; ++i)
            for (size_t j = i + 1; j < kMainCount; ++j) {
                const unsigned pair = unsigned(numbers[i]) + numbers[j];
                count += pair < 64 ? int((set >> pair) & 1) : 0;
            }
        return count;
    }
    int count = 0;
    for (size_t i = 0; i < kMainCount; ++i)
        for (size_t j = i + 1; j < kMainCount; ++j) {
            const int pair = numbers[i] + numbers[j];
            for (size_t x = 0; x < kMainCount; ++x)
                if (x != i && x != j && numbers[x] == pair)
                    ++count;
        }
    return count;
}

int TstSum2To3::NumericValue(const TComb &comb, int, bool, int)
{
    return CountOf(comb.n);
}

void TstSum2To3::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(CountOf(comb.n)), false);
}

void TstSum2To3::ValuesOfLastNumbers(const TComb &comb, TStatDrawArray &values, TStatTally &tally)
{
    // The last number is above the sum of any pair with it, so it adds the pairs of the first five
    // that add up to it: the last numbers that no such pair adds up to share one value.
    bool ascending = comb[0] >= 1 && comb[4] < kMaxNumber;
    for (size_t i = 1; i + 1 < kMainCount; ++i)
        ascending = ascending && comb[i - 1] < comb[i];
    if (!ascending) {
        TCustomStat::ValuesOfLastNumbers(comb, values, tally);
        return;
    }
    std::array<uint8_t, 2 * kMaxNumber + 1> pairs{};
    uint64_t set = 0;
    for (size_t i = 0; i + 1 < kMainCount; ++i)
        set |= uint64_t(1) << comb[i];
    int base = 0;
    for (size_t i = 0; i + 1 < kMainCount; ++i)
        for (size_t j = i + 1; j + 1 < kMainCount; ++j) {
            const unsigned pair = unsigned(comb[i]) + comb[j];
            ++pairs[pair];
            base += pair < 64 ? int((set >> pair) & 1) : 0;
        }
    BeginCombValue();
    tally.setWeight(1);
    int plain = 0;
    for (int f = comb[4] + 1; f <= kMaxNumber; ++f) {
        if (pairs[size_t(f)] == 0)
            ++plain;
        else
            MergeKey(values, static_cast<uint16_t>(base + pairs[size_t(f)]), false);
    }
    if (plain > 0) {
        tally.setWeight(plain);
        MergeKey(values, static_cast<uint16_t>(base), false);
    }
}

void TstSum2To3::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &, TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(CountOf(Draw.main)), true);
}

bool TstSum2To3::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, static_cast<uint16_t>(CountOf(comb.n)));
}
