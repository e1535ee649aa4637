#pragma once

#include "lottery/DrawTypes.h"

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <vector>

// The combinations a choice of numbers allows, walked and counted without the list: every number
// among allowed (bit n for number n), one of anyOf when requireAny is set, and, with weights given,
// the weights of the six numbers adding up to a sum that sums marks (nonzero). The weights of any six
// numbers add up to less than kWeightSums.
inline constexpr int kWeightSums = 256;
struct TNumbersChoice {
    uint64_t allowed = 0;
    uint64_t anyOf = 0;
    bool requireAny = false;
    const uint8_t *weight = nullptr; // one per byte value 0..45
    const uint8_t *sums = nullptr;   // kWeightSums of them
};

// True when the weights of any six numbers (weights[n] for number n, 1..45) add up to less than
// kWeightSums, so that every table of sums of six weights above holds every sum: the six heaviest
// are checked. A method whose weights fail it is filtered without the tables of sums.
bool WeightsFitSums(const std::array<uint8_t, kMaxNumber + 1> &weights);

// Every number of the game as a mask.
inline constexpr uint64_t kAllNumbers = ((uint64_t(1) << (kMaxNumber + 1)) - 1) & ~uint64_t(1);

// ways[j][s]: the ways to choose j of the numbers taken so far whose weights add up to s (ways[0][0] is
// 1 before the first). Takes one more number, of weight w.
template <size_t Counts> void TakeWeight(std::array<std::array<int64_t, kWeightSums>, Counts> &ways, int w)
{
    for (size_t j = Counts - 1; j >= 1; --j)
        for (int sum = kWeightSums - 1; sum >= w; --sum)
            ways[j][size_t(sum)] += ways[j - 1][size_t(sum - w)];
}

// How many combinations of the choice each pair of first numbers has, in the order of
// FullSetPrefixes().
std::vector<int64_t> CountCombsOfPrefixes(const TNumbersChoice &choice);
int64_t CountCombsOfNumbers(const TNumbersChoice &choice);
// What a write of combinations put in the list: how many it stored, and whether every part of the
// list (a pair of first numbers) got exactly the entries counted for it, none of them empty (a
// combination whose first number is 0). A write that is not exact left holes or dropped combinations.
struct TCombsWritten {
    int64_t count = 0;
    bool exact = true;
};

// The write of all parts: what each part stored, and whether each got exactly its count.
TCombsWritten CombsWrittenOf(const std::vector<int64_t> &stored, const std::vector<uint8_t> &exact);

// For tests: a write made wrong on purpose, as a fault of the counts or of the write would make it.
// shift: that many entries of the last part that has them counted for the first part that has any
// (the total unchanged); skipOne: the first combination is skipped, its entry left as it was.
struct TWriteFault {
    int64_t shift = 0;
    bool skipOne = false;
};

// Writes the combinations of the choice into out (room for all of them) in the order of the full
// list, on all cores, each pair of first numbers from the place its count gives it; says how many it
// wrote within those places and whether each pair found exactly its count.
TCombsWritten WriteCombsOfNumbers(const TNumbersChoice &choice, TComb *out, const std::function<void()> &idle = {},
                                  const TWriteFault &fault = {});
// The same the plain way: one pass in order, counted as it goes, nothing written beyond room entries;
// returns how many the choice has.
int64_t WriteCombsOfNumbersInOrder(const TNumbersChoice &choice, TComb *out, int64_t room);

// Moves fault.shift counts from the last part that has them to the first that has any (the test hook
// of TWriteFault, shared by the writes of lists left unwritten).
void ShiftPartCounts(std::vector<int64_t> &counts, const TWriteFault &fault);
// The fault's skipOne on a part written from begin up to p: its first combination taken out (the
// others move up one), the entry that frees left as it was before the write (lastBefore); returns
// the new end of what was written.
uint8_t *SkipFirstWritten(uint8_t *begin, uint8_t *p, const TComb &lastBefore);

// Calls f(bytes) for each combination of the choice that begins with a and b, in the order of the full
// list, with the six numbers in the low bytes of bytes in memory order. Only those combinations are
// walked (and, with weights, the ones of their first four numbers), so the work goes with what is found.
template <class F> void ForEachChosenOfPrefix(int a, int b, const TNumbersChoice &choice, F &&f)
{
    const uint64_t allowed = choice.allowed & kAllNumbers;
    const uint64_t anyOf = choice.anyOf;
    const bool requireAny = choice.requireAny;
    const uint8_t *const weight = choice.weight;
    const uint8_t *const sums = choice.sums;
    // At least k numbers in the mask (k of at most six: cheaper than counting them all).
    auto atLeast = [](uint64_t x, int k) {
        for (; k > 1 && x != 0; --k)
            x &= x - 1;
        return k <= 0 || x != 0;
    };
    // The numbers above n.
    auto above = [](int n) { return ~((uint64_t(2) << n) - 1); };
    auto walk = [&](auto &self, int depth, int prev, bool has, uint64_t head, int sum) -> void {
        const uint64_t avail = allowed & above(prev);
        const int need = kMainCount - depth;
        if (!atLeast(avail, need) || (requireAny && !has && (avail & anyOf) == 0))
            return;
        if (depth == kMainCount - 2) {
            // The last two numbers in plain loops: most of the combinations are written here.
            for (uint64_t bits = avail; bits != 0; bits &= bits - 1) {
                const int v = std::countr_zero(bits);
                const uint64_t rest = allowed & above(v);
                const bool hasHere = has || ((anyOf >> v) & 1) != 0;
                const uint64_t h = head | (uint64_t(v) << 32);
                const uint64_t lasts = requireAny && !hasHere ? rest & anyOf : rest;
                if (weight) {
                    const uint8_t *const allowedSum = sums + sum + weight[v];
                    for (uint64_t last = lasts; last != 0; last &= last - 1) {
                        const int u = std::countr_zero(last);
                        if (allowedSum[weight[u]])
                            f(h | (uint64_t(u) << 40));
                    }
                } else {
                    for (uint64_t last = lasts; last != 0; last &= last - 1)
                        f(h | (uint64_t(std::countr_zero(last)) << 40));
                }
            }
            return;
        }
        for (uint64_t bits = avail; bits != 0; bits &= bits - 1) {
            const int v = std::countr_zero(bits);
            if (!atLeast(avail & above(v), need - 1))
                break;
            self(self, depth + 1, v, has || ((anyOf >> v) & 1) != 0, head | (uint64_t(v) << (8 * depth)),
                 weight ? sum + weight[v] : 0);
        }
    };
    if (((allowed >> a) & 1) == 0 || ((allowed >> b) & 1) == 0)
        return;
    walk(walk, 2, b, ((anyOf >> a) & 1) != 0 || ((anyOf >> b) & 1) != 0, uint64_t(a) | (uint64_t(b) << 8),
         weight ? weight[a] + weight[b] : 0);
}
