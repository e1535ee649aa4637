#pragma once

#include "lottery/stats/StatValue.h"

#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

class TStatList;
struct TStatMethod;

// The place of a combination is the sum of one entry per position: the combinations before it
// that differ first at that position, less those already counted at the next one.
using TCombRankTable = std::array<std::array<int32_t, kMaxNumber + 2>, 6>;
constexpr TCombRankTable MakeCombRankTable()
{
    auto binomial = [](int n, int r) {
        int64_t v = 1;
        for (int i = 0; i < r; ++i)
            v = v * (n - i) / (i + 1);
        return r < 0 || r > n ? int64_t(0) : v;
    };
    // before[i][x]: the combinations whose number at position i is below x (the positions before
    // it fixed), C(45 - u, 5 - i) for every u from 1 to x - 1.
    std::array<std::array<int64_t, kMaxNumber + 3>, 7> before{};
    for (int i = 0; i < 6; ++i)
        for (int x = 2; x <= kMaxNumber + 2; ++x)
            before[size_t(i)][size_t(x)] = before[size_t(i)][size_t(x - 1)] + binomial(kMaxNumber - (x - 1), 5 - i);
    TCombRankTable w{};
    for (int i = 0; i < 6; ++i)
        for (int v = 1; v <= kMaxNumber; ++v)
            w[size_t(i)][size_t(v)] = int32_t(before[size_t(i)][size_t(v)] - before[size_t(i + 1)][size_t(v + 1)]);
    return w;
}
inline constexpr TCombRankTable kCombRankTable = MakeCombRankTable();

// The combinations of the full set by their first two numbers, each pair with the places of its
// combinations in the full list (from start to before end): the tasks of a pass over the full set
// on all cores.
struct TFullSetPrefix {
    uint8_t a;
    uint8_t b;
    int64_t start;
    int64_t end;
};
const std::vector<TFullSetPrefix> &FullSetPrefixes();
// Calls f(combination, place) for every combination of the prefix, in the order of the full list; when
// Flagged, only for the places whose flag is set (flags: a byte per place of the full set), runs of the
// last number without one passed over.
template <bool Flagged, class F> void WalkPrefix(const TFullSetPrefix &prefix, const uint8_t *flags, F &&f)
{
    // No flag set among n bytes (n of at most 44).
    auto noneSet = [](const uint8_t *p, int n) {
        uint64_t any = 0;
        int k = 0;
        for (; k + 8 <= n; k += 8) {
            uint64_t word;
            std::memcpy(&word, p + k, sizeof(word));
            any |= word;
        }
        for (; k < n; ++k)
            any |= p[k];
        return any == 0;
    };
    TComb c;
    c[0] = prefix.a;
    c[1] = prefix.b;
    int64_t index = prefix.start;
    for (int d = prefix.b + 1; d <= kMaxNumber - 3; ++d) {
        c[2] = uint8_t(d);
        for (int e = d + 1; e <= kMaxNumber - 2; ++e) {
            c[3] = uint8_t(e);
            for (int g = e + 1; g <= kMaxNumber - 1; ++g) {
                if constexpr (Flagged) {
                    if (noneSet(flags + index, kMaxNumber - g)) {
                        index += kMaxNumber - g;
                        continue;
                    }
                }
                c[4] = uint8_t(g);
                for (int h = g + 1; h <= kMaxNumber; ++h, ++index) {
                    if constexpr (Flagged) {
                        if (!flags[index])
                            continue;
                    }
                    c[5] = uint8_t(h);
                    f(c, index);
                }
            }
        }
    }
}
template <class F> void ForEachOfPrefix(const TFullSetPrefix &prefix, F &&f)
{
    WalkPrefix<false>(prefix, nullptr, f);
}
// The work goes with the places flagged.
template <class F> void ForEachFlaggedOfPrefix(const TFullSetPrefix &prefix, const uint8_t *flags, F &&f)
{
    WalkPrefix<true>(prefix, flags, f);
}

// What the combination test of a method asks of every combination of the full set, kept for a whole
// scenario run. For most statistics the lookups a combination makes come in few different sets (a sum,
// a count of even numbers, a largest difference), so each combination keeps only the number of its
// set, in the order of the full list; a step over any list of ascending combinations finds each
// combination's place in the full list from its numbers (CombRank) and reads its set there instead of
// running the test on every combination again. Other statistics ask one question per number, the
// same one for a number wherever it stands (the numbers themselves): they keep only those 45
// questions.
//
// Only methods whose values belong to the six numbers alone are kept (their test does not look at
// the draws), with at most 65,536 different sets, and only while the room given allows.
class TFullSetLookups {
public:
    struct Entry {
        int width = 0;                             // bytes per combination: 1 or 2 (0: per number)
        std::vector<uint8_t> ids;                  // the set of each combination, in list order
        std::vector<std::vector<TStatProbe>> sets; // the lookups of each set
        std::vector<int64_t> counts;               // the combinations of each set
        // Width 1: the combinations of each set within each prefix of FullSetPrefixes(), 256 a prefix.
        std::vector<uint32_t> prefixCounts;
        // Per number: the lookups of a combination are those of its six numbers.
        bool perNumber = false;
        std::array<TStatProbe, kMaxNumber + 1> numberProbe{};
        uint32_t idOf(int64_t i) const
        {
            return width == 1 ? ids[size_t(i)]
                              : uint32_t(ids[2 * size_t(i)]) | (uint32_t(ids[2 * size_t(i) + 1]) << 8);
        }
    };

    // The room for all entries together, in bytes.
    explicit TFullSetLookups(size_t budgetBytes = size_t(8145060) * 16);
    TFullSetLookups(const TFullSetLookups &) = delete;
    TFullSetLookups &operator=(const TFullSetLookups &) = delete;

    // The entry of the method, worked out on its first use (idle is called while the cores work);
    // nullptr when the method is not kept.
    const Entry *get(const TStatMethod &method, const TStatList &stats, bool sorted,
                     const std::function<void()> &idle);
    void clear();
    size_t usedBytes() const { return m_used; }
    // The entry given by get, held for as long as the caller keeps it (a clear does not free it then).
    std::shared_ptr<const Entry> share(const Entry *entry) const;

    // The place of a combination in the full list (the order of generation), -1 unless its numbers
    // ascend within 1..45.
    static int64_t rankOf(const TComb &c) { return ascending(c) ? rankOfAscending(c) : -1; }
    // The same for a combination known to be one of the full set's.
    static int64_t rankOfAscending(const TComb &c)
    {
        const auto &w = kCombRankTable;
        return int64_t(w[0][c[0]]) + w[1][c[1]] + w[2][c[2]] + w[3][c[3]] + w[4][c[4]] + w[5][c[5]];
    }
    // The numbers of the combination ascend within 1..45: it is one of the full set's.
    static bool ascending(const TComb &c)
    {
        return (c[0] >= 1) & (c[0] < c[1]) & (c[1] < c[2]) & (c[2] < c[3]) & (c[3] < c[4]) & (c[4] < c[5]) &
               (c[5] <= kMaxNumber);
    }

private:

    struct Slot {
        QString code;
        bool sorted = false;
        std::shared_ptr<Entry> entry; // nullptr: the method is not kept
    };
    std::unique_ptr<Entry> build(const TStatMethod &method, const TStatList &stats, bool sorted,
                                 const std::function<void()> &idle);

    size_t m_budget;
    size_t m_used = 0;
    std::vector<Slot> m_slots;
};
