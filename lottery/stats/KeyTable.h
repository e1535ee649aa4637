#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// A small table from 64-bit keys to values, for counting (table[key] += n) or gathering
// (table[key] |= bits): open addressing with linear probing over a power-of-two table kept at most
// half full. Lookups allocate nothing; an insertion allocates only when the table grows.
template <class Value> class TKeyTable {
public:
    // Room for count keys without growing.
    void reserve(size_t count)
    {
        size_t size = 16;
        while (size < count * 2)
            size *= 2;
        if (size > m_slots.size())
            rehash(size);
    }
    // The value of the key, added (as Value{}) when the table does not hold it yet.
    Value &operator[](uint64_t key) { return *valueOf(key, std::numeric_limits<size_t>::max()); }
    // The same, but nullptr instead of adding a key once the table holds limit keys.
    Value *valueOf(uint64_t key, size_t limit)
    {
        if ((m_used + 1) * 2 > m_slots.size())
            rehash(std::max<size_t>(16, m_slots.size() * 2));
        for (size_t i = slotOf(key);; i = (i + 1) & m_mask) {
            Slot &s = m_slots[i];
            if (s.used && s.key == key)
                return &s.value;
            if (!s.used) {
                if (m_used >= limit)
                    return nullptr;
                s = Slot{key, Value{}, true};
                ++m_used;
                return &s.value;
            }
        }
    }
    // The value of the key; nullptr when the table does not hold it.
    const Value *find(uint64_t key) const
    {
        if (m_slots.empty())
            return nullptr;
        for (size_t i = slotOf(key);; i = (i + 1) & m_mask) {
            const Slot &s = m_slots[i];
            if (!s.used)
                return nullptr;
            if (s.key == key)
                return &s.value;
        }
    }
    size_t size() const { return m_used; }
    void clear()
    {
        m_slots.clear();
        m_used = 0;
        m_mask = 0;
    }
    // f(key, value) for every key held, in no particular order.
    template <class F> void forEach(F &&f) const
    {
        for (const Slot &s : m_slots)
            if (s.used)
                f(s.key, s.value);
    }

private:
    struct Slot {
        uint64_t key = 0;
        Value value{};
        bool used = false;
    };
    size_t slotOf(uint64_t key) const { return size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & m_mask; }
    void rehash(size_t size)
    {
        std::vector<Slot> old(size);
        old.swap(m_slots);
        m_mask = size - 1;
        for (const Slot &s : old) {
            if (!s.used)
                continue;
            size_t i = slotOf(s.key);
            while (m_slots[i].used)
                i = (i + 1) & m_mask;
            m_slots[i] = s;
        }
    }

    std::vector<Slot> m_slots;
    size_t m_used = 0;
    size_t m_mask = 0;
};
