#pragma once

#include "app/combinations/CombsOfNumbers.h"
#include "app/combinations/FullSetLookups.h"
#include "lottery/DrawTypes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// The combinations of the full set whose set, for each of some methods, is one still alive: what the
// steps of sets before kept of the full set, known without being written (a list left so is written
// when it is first read).
struct TFullSetSubset {
    struct Condition {
        std::shared_ptr<const TFullSetLookups::Entry> entry;
        std::vector<uint8_t> alive; // a flag per set of the entry
    };
    std::vector<Condition> conditions;
    // How many of them each prefix of FullSetPrefixes() holds (what write writes of each).
    std::vector<int64_t> prefixKept;

    // flags[k]: the combination of place begin + k of the full set is one of them (1) or not (0), for
    // the places begin..end-1.
    void mark(int64_t begin, int64_t end, uint8_t *flags) const
    {
        const int64_t n = end - begin;
        std::fill(flags, flags + n, uint8_t(1));
        for (const Condition &c : conditions)
            andAlive(*c.entry, c.alive.data(), begin, n, flags);
    }
    // Writes them in order from out on, on all cores: every pair of first numbers writes its own at its
    // place, and never more than prefixKept says it holds; says what it wrote (fault: for tests).
    TCombsWritten write(TComb *out, const TWriteFault &fault = {}) const;
    // The same the plain way: the places marked, then one pass in order, counted as it goes, nothing
    // written beyond room entries; returns how many there are.
    int64_t writeInOrder(TComb *out, int64_t room) const;
    // flags[k] &= alive[set of the place begin + k] for n places; returns how many stay flagged
    // (inline: the loops of the callers run it over every place of the full set).
    static int64_t andAlive(const TFullSetLookups::Entry &entry, const uint8_t *alive, int64_t begin, int64_t n,
                            uint8_t *flags)
    {
        int64_t left = 0;
        if (entry.width == 1) {
            const uint8_t *const ids = entry.ids.data() + begin;
            for (int64_t k = 0; k < n; ++k) {
                const uint8_t f = flags[k] & alive[ids[k]];
                flags[k] = f;
                left += f;
            }
        } else {
            const uint8_t *const ids = entry.ids.data() + 2 * begin;
            for (int64_t k = 0; k < n; ++k) {
                uint16_t id;
                std::memcpy(&id, ids + 2 * k, sizeof(id));
                const uint8_t f = flags[k] & alive[id];
                flags[k] = f;
                left += f;
            }
        }
        return left;
    }
};
