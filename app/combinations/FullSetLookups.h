#pragma once

#include "lottery/stats/StatValue.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TStatList;
struct TStatMethod;

// What the combination test of a method asks of every combination of the full set, kept for a whole
// scenario run. Every line that starts from the full list walks its first filter over all 8,145,060
// combinations, cycle after cycle of a test; for most statistics the lookups a combination makes come
// in few different sets (a sum, a count of even numbers, a largest difference), so each combination
// keeps only the number of its set, in the order of the full list, and a step over the full list
// reads them instead of running the test on every combination again.
//
// Only methods whose values belong to the six numbers alone are kept (their test does not look at
// the draws), with at most 65,536 different sets, and only while the room given allows.
class TFullSetLookups {
public:
    struct Entry {
        int width = 0;                             // bytes per combination: 1 or 2
        std::vector<uint8_t> ids;                  // the set of each combination, in list order
        std::vector<std::vector<TStatProbe>> sets; // the lookups of each set
        std::vector<int64_t> counts;               // the combinations of each set
        uint32_t idOf(int64_t i) const
        {
            return width == 1 ? ids[size_t(i)]
                              : uint32_t(ids[2 * size_t(i)]) | (uint32_t(ids[2 * size_t(i) + 1]) << 8);
        }
    };

    // The room for all entries together, in bytes.
    explicit TFullSetLookups(size_t budgetBytes = size_t(8145060) * 3);
    TFullSetLookups(const TFullSetLookups &) = delete;
    TFullSetLookups &operator=(const TFullSetLookups &) = delete;

    // The entry of the method, worked out on its first use (idle is called while the cores work);
    // nullptr when the method is not kept.
    const Entry *get(const TStatMethod &method, const TStatList &stats, bool sorted,
                     const std::function<void()> &idle);
    void clear();
    size_t usedBytes() const { return m_used; }

private:
    struct Slot {
        QString code;
        bool sorted = false;
        std::unique_ptr<Entry> entry; // nullptr: the method is not kept
    };
    std::unique_ptr<Entry> build(const TStatMethod &method, const TStatList &stats, bool sorted,
                                 const std::function<void()> &idle);

    size_t m_budget;
    size_t m_used = 0;
    std::vector<Slot> m_slots;
};
