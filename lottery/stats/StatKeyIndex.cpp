#include "lottery/stats/StatKeyIndex.h"

#include <algorithm>
#include <bit>

void TStatKeyIndex::insert(uint64_t key, int pos)
{
    if (key < kDirectKeys) {
        if (m_direct.empty())
            m_direct.assign(kDirectKeys, -1);
        m_direct[size_t(key)] = pos;
        ++m_directCount;
        return;
    }
    // Keep the table at most half full.
    if ((m_count + 1) * 2 > m_slots.size())
        grow(m_slots.empty() ? 16 : m_slots.size() * 2);
    size_t i = slotOf(key);
    while (m_slots[i].pos >= 0)
        i = (i + 1) & m_mask;
    m_slots[i] = Slot{key, pos};
    ++m_count;
}

void TStatKeyIndex::clear()
{
    if (m_directCount > 0)
        std::fill(m_direct.begin(), m_direct.end(), -1);
    m_directCount = 0;
    for (Slot &s : m_slots)
        s.pos = -1;
    m_count = 0;
}

void TStatKeyIndex::reserve(size_t count)
{
    const size_t wanted = std::bit_ceil(count * 2 + 2);
    if (wanted > m_slots.size())
        grow(wanted);
}

void TStatKeyIndex::grow(size_t capacity)
{
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(capacity, Slot{});
    m_mask = capacity - 1;
    m_shift = 64 - static_cast<unsigned>(std::countr_zero(capacity));
    m_count = 0;
    for (const Slot &s : old)
        if (s.pos >= 0)
            insert(s.key, s.pos);
}
