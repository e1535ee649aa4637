#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An index from the eight key bytes of a statistic value (packed into 64 bits) to a position in an
// array. Small keys (most statistics keep a number, a count or a mask in key 1) are found in a direct
// table; the others through open addressing with linear probing over a power-of-two table. Lookups
// allocate nothing, and insertions allocate only when the table grows.
class TStatKeyIndex {
public:
    static constexpr uint64_t kDirectKeys = 256;

    // The position stored for the key; -1 when the key is not in the index.
    int find(uint64_t key) const
    {
        if (key < kDirectKeys)
            return m_direct.empty() ? -1 : m_direct[size_t(key)];
        if (m_slots.empty())
            return -1;
        for (size_t i = slotOf(key);; i = (i + 1) & m_mask) {
            const Slot &s = m_slots[i];
            if (s.pos < 0)
                return -1;
            if (s.key == key)
                return s.pos;
        }
    }
    // Stores the position for a key that is not in the index yet.
    void insert(uint64_t key, int pos);
    void clear();
    void reserve(size_t count);
    size_t size() const { return m_count + m_directCount; }

private:
    struct Slot {
        uint64_t key = 0;
        int32_t pos = -1;
    };
    size_t slotOf(uint64_t key) const
    {
        return static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> m_shift) & m_mask;
    }
    void grow(size_t capacity);

    std::vector<int32_t> m_direct; // kDirectKeys entries once a small key is stored
    std::vector<Slot> m_slots;
    size_t m_mask = 0;
    unsigned m_shift = 64;
    size_t m_count = 0;
    size_t m_directCount = 0;
};
