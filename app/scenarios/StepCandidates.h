#pragma once

#include "lottery/stats/KeyTable.h"
#include "lottery/stats/StatKeyIndex.h"
#include "lottery/stats/StatValue.h"

#include <array>
#include <cstdint>
#include <vector>

// The candidates of a statistics step (the table rows that may be applied, numbered 0..count-1 in
// 16 bits) by the keys a lookup of the statistic's test asks for: for every kind of lookup (the four
// keys, a 16-bit key 1..4, a byte key 1..8, a 32-bit key 1..2) the candidates whose keys answer it.
class TStepCandidates {
public:
    // The most candidates numbered: 0..65534 (65535 marks none in an index of candidates).
    static constexpr size_t kMaxCandidates = 0xFFFF;

    // rows: the table's records; candidates: indexes into them, at most kMaxCandidates.
    TStepCandidates(const std::vector<TStatValueRec> &rows, const std::vector<int> &candidates);

    // The candidates the lookup finds, as a run of candidate numbers and (for the first 64) a mask.
    const uint16_t *find(const TStatProbe &probe, int &count, uint64_t &bits) const;
    // The mask of the candidates a lookup finds (for a recorder's resolver): a table by key for the
    // 16-bit and byte keys, the index for the others.
    static uint64_t bitsOf(const void *self, TStatProbeKind kind, int n, uint64_t key);

private:
    static constexpr int kMaps = 15;
    struct Group {
        int start;
        int count;
        uint64_t bits;
    };
    struct Map {
        TStatKeyIndex index;         // the four keys and the 32-bit keys
        std::vector<int32_t> direct; // the 16-bit and byte keys: a group per key
        std::vector<Group> groups;
    };
    using KeyedCandidates = std::vector<std::pair<uint64_t, uint16_t>>;

    static int mapOf(const TStatProbe &p);
    static uint64_t keyOf(const TStatKeys &keys, int map);
    static bool directMap(int map) { return map >= 1 && map <= 12; }
    // Fills map m from its candidates sorted by key.
    void fill(int m, const KeyedCandidates &pairs);
    // The mask of a key's candidates kept for bitsOf.
    void keepBits(int m, uint64_t key, uint64_t bits);

    std::array<Map, kMaps> m_maps;
    std::vector<uint16_t> m_flat;
    std::array<std::vector<uint64_t>, 4> m_wordBits;
    std::array<std::array<uint64_t, 256>, 8> m_byteBits{};
    // The four keys together (0) or a 32-bit key (1, 2).
    std::array<TKeyTable<uint64_t>, 3> m_keyBits;
};
