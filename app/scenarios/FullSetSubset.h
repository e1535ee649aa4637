#pragma once

#include "app/combinations/FullSetLookups.h"
#include "lottery/DrawTypes.h"

#include <cstdint>
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

    // flags[k]: the combination of place begin + k of the full set is one of them (1) or not (0), for
    // the places begin..end-1.
    void mark(int64_t begin, int64_t end, uint8_t *flags) const;
    // Writes them in order from out on, on all cores: every pair of first numbers counts its own, then
    // writes them at their place.
    void write(TComb *out) const;
    // flags[k] &= alive[set of the place begin + k] for n places.
    static void andAlive(const TFullSetLookups::Entry &entry, const uint8_t *alive, int64_t begin, int64_t n,
                         uint8_t *flags);
};
