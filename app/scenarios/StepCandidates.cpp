#include "app/scenarios/StepCandidates.h"

#include <algorithm>

TStepCandidates::TStepCandidates(const std::vector<TStatValueRec> &rows, const std::vector<int> &candidates)
{
    KeyedCandidates pairs(candidates.size());
    for (TKeyTable<uint64_t> &table : m_keyBits)
        table.reserve(candidates.size());
    for (int m = 0; m < kMaps; ++m) {
        for (size_t c = 0; c < candidates.size(); ++c)
            pairs[c] = {keyOf(rows[size_t(candidates[c])].Keys, m), uint16_t(c)};
        std::stable_sort(pairs.begin(), pairs.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        fill(m, pairs);
    }
}

void TStepCandidates::fill(int m, const KeyedCandidates &pairs)
{
    Map &map = m_maps[size_t(m)];
    if (directMap(m))
        // Up to the largest key of a candidate (the pairs are sorted): a key beyond finds none.
        map.direct.assign(pairs.empty() ? 0 : size_t(pairs.back().first) + 1, -1);
    else
        map.index.reserve(pairs.size());
    for (size_t i = 0; i < pairs.size();) {
        size_t j = i;
        uint64_t bits = 0;
        for (; j < pairs.size() && pairs[j].first == pairs[i].first; ++j)
            if (pairs[j].second < 64)
                bits |= uint64_t(1) << pairs[j].second;
        if (directMap(m))
            map.direct[size_t(pairs[i].first)] = int32_t(map.groups.size());
        else
            map.index.insert(pairs[i].first, int(map.groups.size()));
        map.groups.push_back({int(m_flat.size()), int(j - i), bits});
        keepBits(m, pairs[i].first, bits);
        for (size_t k = i; k < j; ++k)
            m_flat.push_back(pairs[k].second);
        i = j;
    }
}

void TStepCandidates::keepBits(int m, uint64_t key, uint64_t bits)
{
    if (m >= 1 && m <= 4) {
        std::vector<uint64_t> &table = m_wordBits[size_t(m - 1)];
        if (table.size() <= key)
            table.resize(size_t(key) + 1, 0);
        table[size_t(key)] = bits;
    } else if (m >= 5 && m <= 12) {
        m_byteBits[size_t(m - 5)][size_t(key)] = bits;
    } else {
        m_keyBits[m == 0 ? 0 : size_t(m - 12)][key] |= bits;
    }
}

const uint16_t *TStepCandidates::find(const TStatProbe &probe, int &count, uint64_t &bits) const
{
    const int m = mapOf(probe);
    const Map &map = m_maps[size_t(m)];
    int g;
    if (directMap(m))
        g = probe.key < map.direct.size() ? map.direct[size_t(probe.key)] : -1;
    else
        g = map.index.find(probe.key);
    if (g < 0) {
        count = 0;
        bits = 0;
        return nullptr;
    }
    const Group &group = map.groups[size_t(g)];
    count = group.count;
    bits = group.bits;
    return m_flat.data() + group.start;
}

uint64_t TStepCandidates::bitsOf(const void *self, TStatProbeKind kind, int n, uint64_t key)
{
    const auto *maps = static_cast<const TStepCandidates *>(self);
    if (kind == TStatProbeKind::Word) {
        // Sized by the largest key of a candidate: small and at hand for most statistics.
        const std::vector<uint64_t> &table = maps->m_wordBits[size_t(n - 1)];
        return key < table.size() ? table[size_t(key)] : 0;
    }
    if (kind == TStatProbeKind::Byte)
        return maps->m_byteBits[size_t(n - 1)][size_t(key & 0xFF)];
    const uint64_t *bits = maps->m_keyBits[kind == TStatProbeKind::Keys ? 0 : size_t(n)].find(key);
    return bits ? *bits : 0;
}

int TStepCandidates::mapOf(const TStatProbe &p)
{
    switch (p.kind) {
    case TStatProbeKind::Word: return p.n;       // 1..4
    case TStatProbeKind::Byte: return 4 + p.n;   // 5..12
    case TStatProbeKind::DWord: return 12 + p.n; // 13..14
    case TStatProbeKind::Keys: break;
    }
    return 0;
}

uint64_t TStepCandidates::keyOf(const TStatKeys &keys, int map)
{
    if (map == 0)
        return keys.packed();
    if (map <= 4)
        return keys.word(map);
    if (map <= 12)
        return keys.byte(map - 4);
    return keys.dword(map - 12);
}
