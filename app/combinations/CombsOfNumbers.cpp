#include "app/combinations/CombsOfNumbers.h"

#include "app/combinations/FullSetLookups.h"
#include "app/combinations/ParallelWork.h"
#include "common/BitCount.h"
#include "lottery/Combinatorics.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <numeric>

namespace {

using TSumWays = std::array<int64_t, kWeightSums>;

// fourAbove[n][s]: the ways four of the numbers above n (those of the mask) add up to s.
std::vector<TSumWays> fourAboveOf(uint64_t numbers, const uint8_t *weight)
{
    std::vector<TSumWays> fourAbove(kMaxNumber + 1);
    std::array<TSumWays, 5> ways{};
    ways[0][0] = 1;
    for (int n = kMaxNumber; n >= 1; --n) {
        fourAbove[size_t(n)] = ways[4];
        if ((numbers >> n) & 1)
            TakeWeight(ways, weight[n]);
    }
    return fourAbove;
}

} // namespace

bool WeightsFitSums(const std::array<uint8_t, kMaxNumber + 1> &weights)
{
    std::array<uint8_t, kMaxNumber> heaviest{};
    std::copy(weights.begin() + 1, weights.end(), heaviest.begin());
    std::partial_sort(heaviest.begin(), heaviest.begin() + kMainCount, heaviest.end(), std::greater<>());
    return std::accumulate(heaviest.begin(), heaviest.begin() + kMainCount, 0) < kWeightSums;
}

std::vector<int64_t> CountCombsOfPrefixes(const TNumbersChoice &choice)
{
    const uint64_t allowed = choice.allowed & kAllNumbers;
    const uint64_t without = allowed & ~choice.anyOf;
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    std::vector<int64_t> counts(prefixes.size(), 0);
    // With weights, the four numbers above the second one by the sums of their weights (and, for "one
    // of anyOf", those of the numbers that are not one of them, taken away).
    std::vector<TSumWays> all, none;
    if (choice.weight) {
        all = fourAboveOf(allowed, choice.weight);
        if (choice.requireAny)
            none = fourAboveOf(without, choice.weight);
    }
    for (size_t t = 0; t < prefixes.size(); ++t) {
        const int a = prefixes[t].a, b = prefixes[t].b;
        if (((allowed >> a) & 1) == 0 || ((allowed >> b) & 1) == 0)
            continue;
        const bool anyInPrefix = ((choice.anyOf >> a) & 1) != 0 || ((choice.anyOf >> b) & 1) != 0;
        const bool subtract = choice.requireAny && !anyInPrefix;
        const uint64_t rest = ~((uint64_t(2) << b) - 1);
        if (!choice.weight) {
            counts[t] = Binomial(BitCount(allowed & rest), 4);
            if (subtract)
                counts[t] -= Binomial(BitCount(without & rest), 4);
            continue;
        }
        const int base = choice.weight[a] + choice.weight[b];
        int64_t n = 0;
        for (int sum = 0; base + sum < kWeightSums; ++sum)
            if (choice.sums[base + sum])
                n += all[size_t(b)][size_t(sum)] - (subtract ? none[size_t(b)][size_t(sum)] : 0);
        counts[t] = n;
    }
    return counts;
}

int64_t CountCombsOfNumbers(const TNumbersChoice &choice)
{
    int64_t total = 0;
    for (int64_t n : CountCombsOfPrefixes(choice))
        total += n;
    return total;
}

TCombsWritten CombsWrittenOf(const std::vector<int64_t> &stored, const std::vector<uint8_t> &exact)
{
    TCombsWritten written;
    for (size_t t = 0; t < stored.size(); ++t) {
        written.count += stored[t];
        written.exact = written.exact && exact[t] != 0;
    }
    return written;
}

uint8_t *SkipFirstWritten(uint8_t *begin, uint8_t *p, const TComb &lastBefore)
{
    if (p == begin)
        return p;
    std::memmove(begin, begin + sizeof(TComb), size_t(p - begin) - sizeof(TComb));
    p -= sizeof(TComb);
    std::memcpy(p, &lastBefore, sizeof(TComb));
    return p;
}

void ShiftPartCounts(std::vector<int64_t> &counts, const TWriteFault &fault)
{
    if (fault.shift == 0)
        return;
    const auto first = std::find_if(counts.begin(), counts.end(), [](int64_t c) { return c > 0; });
    const auto last = std::find_if(counts.rbegin(), counts.rend(), [&](int64_t c) { return c >= fault.shift; });
    if (first != counts.end() && last != counts.rend() && &*first != &*last) {
        *first += fault.shift;
        *last -= fault.shift;
    }
}

TCombsWritten WriteCombsOfNumbers(const TNumbersChoice &choice, TComb *out, const std::function<void()> &idle,
                                  const TWriteFault &fault)
{
    // Every pair of first numbers knows how many combinations it has, so each is written by one task
    // at its place, in the same order as one pass would write them.
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    std::vector<int64_t> counts = CountCombsOfPrefixes(choice);
    ShiftPartCounts(counts, fault);
    struct Task {
        uint8_t a, b;
        int64_t start, end;
    };
    std::vector<Task> tasks;
    int64_t total = 0;
    for (size_t t = 0; t < prefixes.size(); ++t)
        if (counts[t] > 0) {
            tasks.push_back({prefixes[t].a, prefixes[t].b, total, total + counts[t]});
            total += counts[t];
        }
    // What each task found, counted as it writes, and whether that is what it was counted. Every
    // entry a task writes begins with its pair's first number, never 0: an empty entry can only be one
    // it left unwritten, which its count shows. The write goes as fast as before the count (the place
    // written next is the count); a fault made for tests is written within each place, so that it
    // spoils nothing but the list.
    std::vector<int64_t> stored(tasks.size(), 0);
    std::vector<uint8_t> exact(tasks.size(), 1);
    const bool faulty = fault.shift != 0 || fault.skipOne;
    ParallelWork::run(
        int(tasks.size()),
        [&](int task, int) {
            const Task &k = tasks[size_t(task)];
            uint8_t *const begin = reinterpret_cast<uint8_t *>(out + k.start);
            uint8_t *const end = reinterpret_cast<uint8_t *>(out + k.end);
            const TComb lastBefore = fault.skipOne ? out[k.end - 1] : TComb{};
            uint8_t *p = begin;
            // A pair that finds more than it was counted runs into the next pair's place, which the
            // report then finds. It is written without a bound only where even all its combinations
            // (any four numbers above its second) fit before the list ends, so no miscount writes
            // past the list; the pairs near its end, which have few, are bounded by their place.
            const bool roomForAll = Binomial(kMaxNumber - k.b, 4) <= total - k.start;
            if (!faulty && roomForAll)
                ForEachChosenOfPrefix(k.a, k.b, choice, [&p](uint64_t bytes) {
                    std::memcpy(p, &bytes, sizeof(TComb));
                    p += sizeof(TComb);
                });
            else
                ForEachChosenOfPrefix(k.a, k.b, choice, [&p, end](uint64_t bytes) {
                    if (p < end)
                        std::memcpy(p, &bytes, sizeof(TComb));
                    p += sizeof(TComb);
                });
            if (fault.skipOne && task == 0)
                p = SkipFirstWritten(begin, std::min(p, end), lastBefore);
            const int64_t found = (p - begin) / int64_t(sizeof(TComb));
            stored[size_t(task)] = std::min(found, k.end - k.start);
            exact[size_t(task)] = found == k.end - k.start && k.a != 0;
        },
        idle);
    return CombsWrittenOf(stored, exact);
}

int64_t WriteCombsOfNumbersInOrder(const TNumbersChoice &choice, TComb *out, int64_t room)
{
    int64_t n = 0;
    for (const TFullSetPrefix &p : FullSetPrefixes())
        ForEachChosenOfPrefix(p.a, p.b, choice, [&](uint64_t bytes) {
            if (n < room)
                std::memcpy(reinterpret_cast<uint8_t *>(out + n), &bytes, sizeof(TComb));
            ++n;
        });
    return n;
}
