#include "lottery/stats/SequenceStats.h"

#include <algorithm>

namespace {

// Whether b continues a run that a ends.
bool joins(uint8_t a, uint8_t b, bool bothWays)
{
    const int step = int(b) - int(a);
    return step == 1 || (bothWays && step == -1);
}

} // namespace

int RunLengths(const std::array<uint8_t, kMainCount> &numbers, std::array<uint8_t, kMainCount> &lengths)
{
    int count = 0;
    uint8_t len = 1;
    for (size_t j = 1; j < kMainCount; ++j) {
        if (joins(numbers[j - 1], numbers[j], false)) {
            ++len;
        } else {
            lengths[size_t(count++)] = len;
            len = 1;
        }
    }
    lengths[size_t(count++)] = len;
    return count;
}

int RunCount(const std::array<uint8_t, kMainCount> &numbers, bool bothWays)
{
    int run = 0;
    int count = 0;
    for (size_t j = 1; j < kMainCount; ++j) {
        if (joins(numbers[j - 1], numbers[j], bothWays)) {
            ++run;
            if (j == kMainCount - 1)
                ++count;
        } else {
            if (run > 0)
                ++count;
            run = 0;
        }
    }
    return count;
}

int LongestRun(const std::array<uint8_t, kMainCount> &numbers, bool bothWays)
{
    int run = 1;
    int best = bothWays ? 0 : 1;
    for (size_t j = 1; j < kMainCount; ++j) {
        if (joins(numbers[j - 1], numbers[j], bothWays)) {
            ++run;
            best = std::max(best, run);
        } else {
            run = 1;
        }
    }
    return best;
}

// ---- SEQL ----

void TstSequenceLen::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMainCount);
}

void TstSequenceLen::merge(const std::array<uint8_t, kMainCount> &numbers, TStatDrawArray &values, bool withIntervals)
{
    std::array<uint8_t, kMainCount> lengths;
    for (int i = 0, count = RunLengths(numbers, lengths); i < count; ++i)
        MergeKey(values, lengths[size_t(i)], withIntervals);
}

void TstSequenceLen::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    merge(comb.n, values, false);
}

void TstSequenceLen::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                  TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    merge(Draw.main, values, true);
}

bool TstSequenceLen::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    std::array<uint8_t, kMainCount> lengths;
    for (int i = 0, count = RunLengths(comb.n, lengths); i < count; ++i)
        if (HasWordKey(values, 1, lengths[size_t(i)]))
            return true;
    return false;
}

// ---- SEQS ----

int TstSequenceCnt::NumericValue(const TComb &comb, int, bool, int)
{
    return RunCount(comb.n, true);
}

void TstSequenceCnt::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 0, 3);
}

void TstSequenceCnt::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(RunCount(comb.n, false)), false);
}

void TstSequenceCnt::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                  TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(RunCount(Draw.main, false)), true);
}

bool TstSequenceCnt::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, static_cast<uint16_t>(RunCount(comb.n, false)));
}

// ---- LENS ----

int TstSequenceLenMax::NumericValue(const TComb &comb, int, bool, int)
{
    return LongestRun(comb.n, true);
}

void TstSequenceLenMax::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMainCount);
}

void TstSequenceLenMax::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(LongestRun(comb.n, false)), false);
}

void TstSequenceLenMax::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                     TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(LongestRun(Draw.main, false)), true);
}

bool TstSequenceLenMax::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, static_cast<uint16_t>(LongestRun(comb.n, false)));
}
