#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/stats/KeyTable.h"
#include "lottery/stats/StatKeyIndex.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

inline constexpr uint64_t PackStatKeys(uint16_t k1, uint16_t k2, uint16_t k3, uint16_t k4)
{
    return uint64_t(k1) | (uint64_t(k2) << 16) | (uint64_t(k3) << 32) | (uint64_t(k4) << 48);
}

// The four 16-bit keys that identify a statistic value. The same eight bytes are also read as eight byte
// keys or as two 32-bit keys (key 1 = bytes 1-4, key 2 = bytes 5-8, little-endian). They are held as one
// 64-bit number (key 1 in the low bits), so that a value is compared and hashed in one step.
struct TStatKeys {
    uint64_t bits = 0;

    static constexpr TStatKeys of(uint16_t k1, uint16_t k2 = 0, uint16_t k3 = 0, uint16_t k4 = 0)
    {
        return TStatKeys{PackStatKeys(k1, k2, k3, k4)};
    }

    // 16-bit key n (1..4), byte key n (1..8), 32-bit key n (1..2); 0 for any other n.
    uint16_t word(int n) const { return n >= 1 && n <= 4 ? uint16_t(bits >> (16 * (n - 1))) : 0; }
    uint8_t byte(int n) const { return n >= 1 && n <= 8 ? uint8_t(bits >> (8 * (n - 1))) : 0; }
    uint32_t dword(int n) const { return n >= 1 && n <= 2 ? uint32_t(bits >> (32 * (n - 1))) : 0; }
    void setWord(int n, uint16_t v) { setBits(16 * (n - 1), 0xFFFF, v, n >= 1 && n <= 4); }
    void setByte(int n, uint8_t v) { setBits(8 * (n - 1), 0xFF, v, n >= 1 && n <= 8); }
    void setDWord(int n, uint32_t v) { setBits(32 * (n - 1), 0xFFFFFFFF, v, n >= 1 && n <= 2); }
    void set(uint16_t k1, uint16_t k2 = 0, uint16_t k3 = 0, uint16_t k4 = 0) { bits = PackStatKeys(k1, k2, k3, k4); }
    void clear() { bits = 0; }
    uint64_t packed() const { return bits; }
    bool operator==(const TStatKeys &o) const = default;

private:
    void setBits(int shift, uint64_t mask, uint64_t v, bool valid)
    {
        if (valid)
            bits = (bits & ~(mask << shift)) | ((v & mask) << shift);
    }
};

// One value of a statistic: how often it occurred, how recently, and the shortest and longest interval
// between its occurrences.
struct TStatValueRec {
    int32_t LastDraw = 0;      // draw number of the most recent occurrence (the smallest depth); 0 = never
    int32_t Depth = 0;         // draws back from the last draw of the sample, 1 = that draw; 0 = never
    int32_t PrevDraw = 0;      // draw number of the occurrence merged last: the base of the next interval
    uint16_t MinInterval = 0;  // in draw numbers; 0 = none yet
    uint16_t MaxInterval = 0;
    int32_t Count = 0;         // number of occurrences
    int32_t Norm = 0;          // the expected count, filled in by the statistics view; never set by merging
    TStatKeys Keys;

    bool operator==(const TStatValueRec &o) const = default;
};
static_assert(sizeof(TStatValueRec) == 32, "a statistic value is 32 bytes");

// The lookup tables of one array of selected values: a bit per possible 16-bit key for each key
// position, a bit per possible byte for each byte position, and a set of the 32-bit keys of each of the
// two positions.
class TStatLookupCache {
public:
    explicit TStatLookupCache(const std::vector<TStatValueRec> &recs);
    bool word(int n, uint16_t w) const { return (m_words[size_t(n - 1) * 1024 + (w >> 6)] >> (w & 63)) & 1; }
    bool byte(int n, uint8_t b) const { return (m_bytes[size_t(n - 1) * 4 + (b >> 6)] >> (b & 63)) & 1; }
    bool dword(int n, uint32_t d) const { return m_dwords[size_t(n - 1)].find(d) >= 0; }

private:
    std::vector<uint64_t> m_words;
    std::array<uint64_t, 32> m_bytes{};
    std::array<TStatKeyIndex, 2> m_dwords;
};

// The key lookups a combination test can ask of the selected values: the four keys together
// (HasValue, HasValuePair, indexOf), or one 16-bit, byte or 32-bit key at its position.
enum class TStatProbeKind : uint8_t { Keys, Word, Byte, DWord };
struct TStatProbe {
    TStatProbeKind kind = TStatProbeKind::Keys;
    uint8_t n = 0;     // the key position (1..4, 1..8 or 1..2); unused for Keys
    uint64_t key = 0;  // the key looked for
    bool operator==(const TStatProbe &o) const = default;
};

// Notes the lookups a combination test makes instead of answering them: an array with a recorder
// answers every lookup with "not selected", so the test asks every question it would ask before it
// finds a selected value. For a test that matches as soon as one of its lookups finds a value, the
// questions noted tell which values the combination has (see TCustomStat::TestsByKeyLookups).
class TStatProbeRecorder {
public:
    static constexpr int kCapacity = 96;
    // A recorder may hand each lookup at once to a resolver, which answers with bits that the recorder
    // gathers (bits()); nothing is kept then.
    using Resolver = uint64_t (*)(const void *context, TStatProbeKind kind, int n, uint64_t key);
    void setResolver(Resolver resolver, const void *context)
    {
        m_resolver = resolver;
        m_context = context;
    }
    void clear()
    {
        m_count = 0;
        m_bits = 0;
        m_overflow = false;
    }
    void add(TStatProbeKind kind, int n, uint64_t key)
    {
        if (m_resolver)
            m_bits |= m_resolver(m_context, kind, n, key);
        else if (m_count < kCapacity)
            m_probes[size_t(m_count++)] = TStatProbe{kind, uint8_t(n), key};
        else
            m_overflow = true;
    }
    uint64_t bits() const { return m_bits; }
    int count() const { return m_count; }
    const TStatProbe &operator[](int i) const { return m_probes[size_t(i)]; }
    // More lookups than the recorder holds were asked: the record is incomplete.
    bool overflow() const { return m_overflow; }

private:
    std::array<TStatProbe, kCapacity> m_probes{};
    int m_count = 0;
    bool m_overflow = false;
    Resolver m_resolver = nullptr;
    const void *m_context = nullptr;
    uint64_t m_bits = 0;
};

// How often each value occurs, by its keys, for a pass that keeps nothing else of the values (the
// distribution over all combinations). Small keys (key 1 below 512, key 2 below 16, keys 3 and 4
// zero: a number, a sum, a mask, a line with a count) are counted in a direct table, the others
// through open addressing; a value merged with a count of 0 is present all the same.
//
// A count is taken weight times, and the weight (the combinations one stands for) reaches
// C(45,6) = 8,145,060: a count times it passes 32 bits from 264 on, so the products and the sums are
// 64-bit.
class TStatTally {
public:
    // The most combinations a weight can stand for: the whole set.
    static constexpr int64_t kMaxWeight = 8145060;
    struct Entry {
        uint64_t key = 0;
        int64_t count = 0;
    };
    void add(uint64_t key, int32_t count)
    {
        const int64_t weighted = int64_t(count) * m_weight;
        if ((key & ~kDirectBits) == 0) [[likely]] {
            // A value counted only with positive counts is present by its count; the others are
            // marked present.
            const size_t i = directIndex(key);
            if (weighted <= 0) [[unlikely]]
                m_directSeen[i >> 6] |= uint64_t(1) << (i & 63);
            m_direct[i] += weighted;
            return;
        }
        m_others[key] += weighted;
    }
    // Every count added from now on is taken weight times (one value standing for as many alike ones);
    // a weight outside 0..kMaxWeight stands for no set of combinations and raises std::out_of_range.
    void setWeight(int64_t weight)
    {
        if (weight < 0 || weight > kMaxWeight) [[unlikely]]
            weightOutOfRange();
        m_weight = weight;
    }
    // Adds the counts of another tally.
    void addTally(const TStatTally &other);
    // Every value counted, in no particular order.
    std::vector<Entry> entries() const;

private:
    static constexpr uint64_t kDirectBits = 0x000F01FF; // the bits of key 1 and key 2 counted directly
    static constexpr size_t kDirectKeys = 8192;         // 64 KB of counts: they stay in the nearer caches
    static size_t directIndex(uint64_t key) { return size_t((key & 0x1FF) | ((key >> 7) & 0x1E00)); }
    static uint64_t directKey(size_t i) { return uint64_t(i & 0x1FF) | (uint64_t(i & 0x1E00) << 7); }
    [[noreturn]] static void weightOutOfRange();

    std::array<int64_t, kDirectKeys> m_direct{};
    std::array<uint64_t, kDirectKeys / 64> m_directSeen{}; // marks the direct counts that are not positive
    // The direct counts present: positive or marked.
    bool directPresent(size_t i) const { return m_direct[i] > 0 || ((m_directSeen[i >> 6] >> (i & 63)) & 1) != 0; }
    TKeyTable<int64_t> m_others;
    int64_t m_weight = 1;
};

// The values of a statistic in order of first merge (unless sorted). Records are found by their keys
// through a hash index, so merging stays fast for statistics with tens of thousands of values.
// Filters ask many "is this key selected" questions of one small array; those lookups build their
// tables on first use and are dropped whenever the array changes.
class TStatDrawArray {
public:
    TStatDrawArray();
    ~TStatDrawArray();
    TStatDrawArray(const TStatDrawArray &other);
    TStatDrawArray &operator=(const TStatDrawArray &other);
    TStatDrawArray(TStatDrawArray &&other) noexcept;
    TStatDrawArray &operator=(TStatDrawArray &&other) noexcept;

    int size() const { return static_cast<int>(m_recs.size()); }
    bool empty() const { return m_recs.empty(); }
    const TStatValueRec &operator[](int i) const { return m_recs[size_t(i)]; }
    std::vector<TStatValueRec>::const_iterator begin() const { return m_recs.begin(); }
    std::vector<TStatValueRec>::const_iterator end() const { return m_recs.end(); }
    const std::vector<TStatValueRec> &records() const { return m_recs; }

    // Position of the first record with these keys; -1 when there is none.
    int indexOf(uint64_t packedKeys) const
    {
        if (m_recorder) [[unlikely]]
            return record(TStatProbeKind::Keys, 0, packedKeys);
        return m_index.find(packedKeys);
    }
    int indexOf(const TStatKeys &keys) const { return indexOf(keys.packed()); }

    // An array that notes the lookups asked of it instead of answering them (nullptr: answers them).
    // Meant for an empty array that stands for the selected values while a test is recorded.
    void setRecorder(TStatProbeRecorder *recorder) { m_recorder = recorder; }
    // An array whose merges (AddStatValue) only count the values in the tally, keeping no record.
    void setTally(TStatTally *tally) { m_tally = tally; }

    // Appends the record as it stands (a selected value, a row read back); a record whose keys are
    // already present is appended too, but lookups find the first one.
    void append(const TStatValueRec &rec);
    void removeAt(int i);
    void clear();
    void reserve(int count);
    // The fields that are not keys may be changed in place.
    void setNorm(int i, int32_t norm) { m_recs[size_t(i)].Norm = norm; }
    void setCount(int i, int32_t count) { m_recs[size_t(i)].Count = count; }

    // Reorders the records with a strict weak ordering, keeping equal records in their order.
    template <class Less>
    void stableSort(Less less);

    // Lookups of the selected values of a filter (any record, any key view).
    bool hasWordKey(int n, uint16_t w) const
    {
        if (m_recorder) [[unlikely]]
            return n >= 1 && n <= 4 && record(TStatProbeKind::Word, n, w) >= 0;
        if (m_cache && n >= 1 && n <= 4)
            return m_cache->word(n, w);
        return scanWordKey(n, w);
    }
    bool hasByteKey(int n, uint8_t b) const
    {
        if (m_recorder) [[unlikely]]
            return n >= 1 && n <= 8 && record(TStatProbeKind::Byte, n, b) >= 0;
        if (m_cache && n >= 1 && n <= 8)
            return m_cache->byte(n, b);
        return scanByteKey(n, b);
    }
    bool hasDWordKey(int n, uint32_t d) const
    {
        if (m_recorder) [[unlikely]]
            return n >= 1 && n <= 2 && record(TStatProbeKind::DWord, n, d) >= 0;
        if (m_cache && n >= 1 && n <= 2)
            return m_cache->dword(n, d);
        return scanDWordKey(n, d);
    }

private:
    friend void AddStatValue(TStatDrawArray &values, const TStatValueRec &rec, bool withIntervals);
    void mergeRecord(const TStatValueRec &rec, bool withIntervals);
    void rebuildIndex();
    void changed();
    // The lookup tables, or nullptr while a plain scan is cheaper (a small array, or one that changes
    // between the questions asked of it).
    const TStatLookupCache *cache() const;
    bool scanWordKey(int n, uint16_t w) const;
    bool scanByteKey(int n, uint8_t b) const;
    bool scanDWordKey(int n, uint32_t d) const;
    // Notes a lookup; always "not found" (-1).
    int record(TStatProbeKind kind, int n, uint64_t key) const
    {
        m_recorder->add(kind, n, key);
        return -1;
    }

    std::vector<TStatValueRec> m_recs;
    TStatKeyIndex m_index;
    mutable std::unique_ptr<TStatLookupCache> m_cache;
    mutable int m_queries = 0;
    TStatProbeRecorder *m_recorder = nullptr; // never copied
    TStatTally *m_tally = nullptr;            // never copied
};

// Merges rec into values: a new value is appended; a known one adds rec's count, takes rec's last draw and
// depth when rec lies nearer the last draw (the smallest positive depth wins, on equal depth the newer
// merge), and with intervals updates the shortest and longest gap to the occurrence merged before.
inline void AddStatValue(TStatDrawArray &values, const TStatValueRec &rec, bool withIntervals)
{
    if (values.m_tally)
        values.m_tally->add(rec.Keys.packed(), rec.Count);
    else
        values.mergeRecord(rec, withIntervals);
}

// Key 1, then keys 2, 3 and 4, as unsigned numbers: negative, 0 or positive.
int CompareStatKeys(const TStatValueRec &a, const TStatValueRec &b);
// Ascending by keys; records with equal keys keep their order.
void SortStatValues(TStatDrawArray &values);

struct TStatValuesSummary {
    int32_t MinCount = 2147483647;
    int32_t MaxCount = 0;
    int32_t MaxDepth = 0;
    int64_t Total = 0;
    bool operator==(const TStatValuesSummary &o) const = default;
};
TStatValuesSummary StatValuesSummary(const TStatDrawArray &values);

// The weight by which values are ranked for selection (count, deviation from the norm, depth);
// -999.99 when the arithmetic fails.
long double StatValueWeight(const TWeightCoefs &coefs, bool normsKnown, int32_t count, int32_t norm, int32_t depth,
                            int64_t total, int32_t maxDepth);
inline constexpr long double kBadStatWeight = -999.99L;

// ---- Simple key counts (small lists: at most one entry per number, channel or segment) ----
struct TStatSimpleRec {
    int32_t Key = 0;
    int32_t Count = 0;
    bool operator==(const TStatSimpleRec &o) const = default;
};
using TStatSimpleArray = std::vector<TStatSimpleRec>;

// Adds count to the entry of the key (only when count >= 1); a missing key is appended whatever count is.
void AddSimpleStat(TStatSimpleArray &list, int32_t key, int32_t count);
void SortSimpleStat(TStatSimpleArray &list);

// ---- The draw where each value was last seen during one pass over a sample ----
struct TLastValueRec {
    int32_t DrawNumber = 0;
    TStatKeys Keys;
};

class TLastValueArray {
public:
    int size() const { return static_cast<int>(m_recs.size()); }
    const TLastValueRec &operator[](int i) const { return m_recs[size_t(i)]; }
    void clear()
    {
        m_recs.clear();
        m_index.clear();
    }

private:
    friend int UpdateLastValue(const TLastValueRec &rec, TLastValueArray &list);
    std::vector<TLastValueRec> m_recs;
    TStatKeyIndex m_index;
};

// The gap from the draw where rec's value was last seen to rec's draw, storing rec's draw as the new
// last sighting; -1 (and the value is added) when the value was not seen before.
int UpdateLastValue(const TLastValueRec &rec, TLastValueArray &list);

// ---- Records of the prefetch files: the four keys, then the count ----
struct TPrefetchRec {
    std::array<uint16_t, 4> Keys{};
    int32_t Count = 0;
    bool operator==(const TPrefetchRec &o) const = default;
};
static_assert(sizeof(TPrefetchRec) == 12, "a prefetch record is 12 bytes");
inline constexpr int kPrefetchRecSize = 12;

TPrefetchRec StatValueToPrefetch(const TStatValueRec &value);
TStatValueRec PrefetchToStatValue(const TPrefetchRec &rec);
// The record as it is stored: little-endian, 12 bytes.
void WritePrefetchRec(const TPrefetchRec &rec, uint8_t *out);
TPrefetchRec ReadPrefetchRec(const uint8_t *in);

template <class Less>
void TStatDrawArray::stableSort(Less less)
{
    std::stable_sort(m_recs.begin(), m_recs.end(), less);
    rebuildIndex();
    changed();
}
