#include "app/scenarios/StatStepFilter.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"
#include "app/combinations/CombsList.h"
#include "app/combinations/CombsOfNumbers.h"
#include "app/combinations/ParallelWork.h"
#include "lottery/Combinatorics.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <numeric>
#include <unordered_map>

namespace {

constexpr int64_t kChunk = int64_t(1) << 16;
constexpr uint16_t kNone = 0xFFFF;
constexpr size_t kMaxMaskCandidates = 64;
// Candidates 0..65534 fit the 16-bit numbers of the candidate maps and of the index (kNone aside).
constexpr size_t kMaxIndexCandidates = kNone;
// Distinct masks counted per worker and in all; beyond that every row is counted over the list.
constexpr size_t kMaxClassesPerWorker = size_t(1) << 16;
constexpr size_t kMaxClasses = size_t(1) << 17;
// Per-worker counters sit apart, so that no two workers write into one cache line.
constexpr size_t kPad = 16;

int chunkCount(int64_t n)
{
    return int((n + kChunk - 1) / kChunk);
}

struct ChunkRange {
    int64_t begin;
    int64_t end;
};

ChunkRange chunkRange(int chunk, int64_t n)
{
    const int64_t b = int64_t(chunk) * kChunk;
    return {b, std::min(n, b + kChunk)};
}

// Values of the step's buffer, which may be the undo copy's storage: read and written byte-wise.
template <class T> inline T loadAt(const uint8_t *p, int64_t i)
{
    T v;
    std::memcpy(&v, p + size_t(i) * sizeof(T), sizeof(T));
    return v;
}
template <class T> inline void storeAt(uint8_t *p, int64_t i, T v)
{
    std::memcpy(p + size_t(i) * sizeof(T), &v, sizeof(T));
}

// Calls f with a value of the unsigned type that is width bytes wide.
template <class F> void withWidth(int width, F &&f)
{
    switch (width) {
    case 1: f(uint8_t{}); break;
    case 2: f(uint16_t{}); break;
    case 4: f(uint32_t{}); break;
    default: f(uint64_t{}); break;
    }
}

// A combination survives the rows applied so far: none of the deleted candidates, all of the required
// ones, and one of any-of when it is set.
inline bool survives(uint64_t mask, uint64_t deleted, uint64_t required, uint64_t anyOf)
{
    return (mask & deleted) == 0 && (mask & required) == required && (anyOf == 0 || (mask & anyOf) != 0);
}

// How many combinations have each mask: a table for masks of up to 16 bits, else an open-addressing
// table that gives up beyond its capacity.
class MaskCounter {
public:
    void reset(int bits)
    {
        m_overflow = false;
        m_used = 0;
        m_keys.clear();
        m_counts.clear();
        if (bits <= 16) {
            m_direct.assign(size_t(1) << std::max(bits, 0), 0);
        } else {
            m_direct.clear();
            grow(1024);
        }
    }
    void add(uint64_t mask)
    {
        if (!m_direct.empty()) {
            ++m_direct[size_t(mask)];
            return;
        }
        if (m_overflow)
            return;
        const size_t cap = m_keys.size() - 1;
        for (size_t i = slotOf(mask, cap);; i = (i + 1) & cap) {
            if (m_keys[i] == mask) {
                ++m_counts[i];
                return;
            }
            if (m_keys[i] == kEmpty) {
                if (m_used >= kMaxClassesPerWorker) {
                    m_overflow = true;
                    return;
                }
                m_keys[i] = mask;
                m_counts[i] = 1;
                if (++m_used * 2 > m_keys.size())
                    grow(m_keys.size() * 2);
                return;
            }
        }
    }
    bool overflow() const { return m_overflow; }
    template <class F> void forEach(F &&f) const
    {
        for (size_t m = 0; m < m_direct.size(); ++m)
            if (m_direct[m] != 0)
                f(uint64_t(m), m_direct[m]);
        for (size_t i = 0; i < m_keys.size(); ++i)
            if (m_keys[i] != kEmpty)
                f(m_keys[i], m_counts[i]);
    }

private:
    // The one mask that cannot be a key (every one of 64 candidates) is counted apart by the caller.
    static constexpr uint64_t kEmpty = ~uint64_t(0);

    static size_t slotOf(uint64_t mask, size_t cap) { return size_t((mask * 0x9E3779B97F4A7C15ull) >> 24) & cap; }
    void grow(size_t size)
    {
        std::vector<uint64_t> keys(size, kEmpty);
        std::vector<int64_t> counts(size, 0);
        for (size_t i = 0; i < m_keys.size(); ++i) {
            if (m_keys[i] == kEmpty)
                continue;
            size_t j = slotOf(m_keys[i], size - 1);
            while (keys[j] != kEmpty)
                j = (j + 1) & (size - 1);
            keys[j] = m_keys[i];
            counts[j] = m_counts[i];
        }
        m_keys.swap(keys);
        m_counts.swap(counts);
    }

    std::vector<int64_t> m_direct;
    std::vector<uint64_t> m_keys;
    std::vector<int64_t> m_counts;
    size_t m_used = 0;
    bool m_overflow = false;
};

} // namespace

// The full set's combinations whose set of each of some methods is one still alive.
struct TStatStepFilter::Where {
    struct Condition {
        std::shared_ptr<const TFullSetLookups::Entry> entry;
        std::vector<uint8_t> alive;
    };
    std::vector<Condition> conditions;
    // flags[k]: the combination of place begin + k of the full set is one of them (1) or not (0), for
    // the places begin..end-1.
    void mark(int64_t begin, int64_t end, uint8_t *flags) const
    {
        const int64_t n = end - begin;
        std::fill(flags, flags + n, uint8_t(1));
        for (const Condition &c : conditions)
            AndAlive(*c.entry, c.alive.data(), begin, n, flags);
    }
    // Writes them in order from out on, on all cores: every pair of first numbers counts its own, then
    // writes them at their place.
    void write(TComb *out) const
    {
        const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
        const int64_t total = prefixes.back().end;
        std::vector<uint8_t> flags(static_cast<size_t>(total));
        std::vector<int64_t> start(prefixes.size() + 1, 0);
        ParallelWork::run(int(prefixes.size()), [&](int task, int) {
            const TFullSetPrefix &p = prefixes[size_t(task)];
            mark(p.start, p.end, flags.data() + p.start);
            start[size_t(task) + 1] = std::accumulate(flags.begin() + p.start, flags.begin() + p.end, int64_t(0));
        });
        for (size_t t = 0; t < prefixes.size(); ++t)
            start[t + 1] += start[t];
        ParallelWork::run(int(prefixes.size()), [&](int task, int) {
            TComb *to = out + start[size_t(task)];
            ForEachFlaggedOfPrefix(prefixes[size_t(task)], flags.data(), [&](const TComb &c, int64_t) { *to++ = c; });
        });
    }
    // flags[k] &= alive[set of the place begin + k] for n places.
    static void AndAlive(const TFullSetLookups::Entry &entry, const uint8_t *alive, int64_t begin, int64_t n,
                         uint8_t *flags)
    {
        if (entry.width == 1) {
            const uint8_t *const ids = entry.ids.data() + begin;
            for (int64_t k = 0; k < n; ++k)
                flags[k] &= alive[ids[k]];
        } else {
            const uint8_t *const ids = entry.ids.data() + 2 * begin;
            for (int64_t k = 0; k < n; ++k)
                flags[k] &= alive[loadAt<uint16_t>(ids, k)];
        }
    }
};

// ---- Candidates by the keys a lookup asks for ----

// For every kind of lookup (the four keys, a 16-bit key 1..4, a byte key 1..8, a 32-bit key 1..2) the
// candidates whose keys answer it.
class TStatStepFilter::CandidateMaps {
public:
    static constexpr int kMaps = 15;

    CandidateMaps(const std::vector<TStatValueRec> &rows, const std::vector<int> &candidates)
    {
        std::vector<std::pair<uint64_t, uint16_t>> pairs(candidates.size());
        for (KeyBits &table : m_keyBits)
            table.reserve(candidates.size());
        for (int m = 0; m < kMaps; ++m) {
            for (size_t c = 0; c < candidates.size(); ++c)
                pairs[c] = {keyOf(rows[size_t(candidates[c])].Keys, m), uint16_t(c)};
            std::stable_sort(pairs.begin(), pairs.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            Map &map = m_maps[size_t(m)];
            if (m >= 1 && m <= 12)
                // Up to the largest key of a candidate (the pairs are sorted): a key beyond finds none.
                map.direct.assign(pairs.empty() ? 0 : size_t(pairs.back().first) + 1, -1);
            else
                map.index.reserve(pairs.size());
            for (size_t i = 0; i < pairs.size();) {
                size_t j = i;
                uint64_t bits = 0;
                while (j < pairs.size() && pairs[j].first == pairs[i].first) {
                    if (pairs[j].second < 64)
                        bits |= uint64_t(1) << pairs[j].second;
                    ++j;
                }
                if (m >= 1 && m <= 12)
                    map.direct[size_t(pairs[i].first)] = int32_t(map.groups.size());
                else
                    map.index.insert(pairs[i].first, int(map.groups.size()));
                map.groups.push_back({int(m_flat.size()), int(j - i), bits});
                if (m >= 1 && m <= 4) {
                    std::vector<uint64_t> &table = m_wordBits[size_t(m - 1)];
                    if (table.size() <= pairs[i].first)
                        table.resize(size_t(pairs[i].first) + 1, 0);
                    table[size_t(pairs[i].first)] = bits;
                }
                else if (m >= 5 && m <= 12)
                    m_byteBits[size_t(m - 5)][size_t(pairs[i].first)] = bits;
                else
                    m_keyBits[m == 0 ? 0 : size_t(m - 12)].add(pairs[i].first, bits);
                for (size_t k = i; k < j; ++k)
                    m_flat.push_back(pairs[k].second);
                i = j;
            }
        }
    }

    // The candidates the lookup finds, as a run of candidate indexes and (for the first 64) a mask.
    const uint16_t *find(const TStatProbe &probe, int &count, uint64_t &bits) const
    {
        const int m = mapOf(probe);
        const Map &map = m_maps[size_t(m)];
        int g;
        if (m >= 1 && m <= 12)
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

    // The mask of the candidates a lookup finds (for a recorder's resolver): a table by key for the
    // 16-bit and byte keys, the index for the others.
    static uint64_t bitsOf(const void *self, TStatProbeKind kind, int n, uint64_t key)
    {
        const auto *maps = static_cast<const CandidateMaps *>(self);
        if (kind == TStatProbeKind::Word) {
            // Sized by the largest key of a candidate: small and at hand for most statistics.
            const std::vector<uint64_t> &table = maps->m_wordBits[size_t(n - 1)];
            return key < table.size() ? table[size_t(key)] : 0;
        }
        if (kind == TStatProbeKind::Byte)
            return maps->m_byteBits[size_t(n - 1)][size_t(key & 0xFF)];
        return maps->m_keyBits[kind == TStatProbeKind::Keys ? 0 : size_t(n)].find(key);
    }

private:
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

    static int mapOf(const TStatProbe &p)
    {
        switch (p.kind) {
        case TStatProbeKind::Word: return p.n;       // 1..4
        case TStatProbeKind::Byte: return 4 + p.n;   // 5..12
        case TStatProbeKind::DWord: return 12 + p.n; // 13..14
        case TStatProbeKind::Keys: break;
        }
        return 0;
    }
    static uint64_t keyOf(const TStatKeys &keys, int map)
    {
        if (map == 0)
            return keys.packed();
        if (map <= 4)
            return keys.word(map);
        if (map <= 12)
            return keys.byte(map - 4);
        return keys.dword(map - 12);
    }

    std::array<Map, kMaps> m_maps;
    std::vector<uint16_t> m_flat;
    // The candidates of a key of the four keys together (0) or a 32-bit key (1, 2): keys and masks
    // side by side in one open-addressing table.
    class KeyBits {
    public:
        void reserve(size_t count)
        {
            size_t size = 16;
            while (size < count * 2)
                size *= 2;
            m_keys.assign(size, 0);
            m_bits.assign(size, 0);
            m_used.assign(size, 0);
            m_mask = size - 1;
        }
        void add(uint64_t key, uint64_t bits)
        {
            for (size_t i = slot(key);; i = (i + 1) & m_mask)
                if (!m_used[i] || m_keys[i] == key) {
                    m_used[i] = 1;
                    m_keys[i] = key;
                    m_bits[i] |= bits;
                    return;
                }
        }
        uint64_t find(uint64_t key) const
        {
            for (size_t i = slot(key);; i = (i + 1) & m_mask) {
                if (!m_used[i])
                    return 0;
                if (m_keys[i] == key)
                    return m_bits[i];
            }
        }

    private:
        size_t slot(uint64_t key) const { return size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & m_mask; }
        std::vector<uint64_t> m_keys;
        std::vector<uint64_t> m_bits;
        std::vector<uint8_t> m_used;
        size_t m_mask = 0;
    };

    std::array<std::vector<uint64_t>, 4> m_wordBits;
    std::array<std::array<uint64_t, 256>, 8> m_byteBits{};
    std::array<KeyBits, 3> m_keyBits;
};

// ---- Per-worker state ----

struct TStatStepFilter::Worker {
    std::unique_ptr<TCustomStat> stat;
    TStatProbeRecorder recorder;
    TStatDrawArray probeArray; // answers nothing, records every lookup
    TStatDrawArray values;     // the selected values (direct filtering)
    MaskCounter classes;
    int64_t allCandidates = 0; // combinations whose mask has every one of 64 candidates
    std::vector<int64_t> hist; // padded
};

TStatStepFilter::TStatStepFilter() = default;
TStatStepFilter::~TStatStepFilter() = default;

void TStatStepFilter::begin(TCombsList &list, std::vector<TStatValueRec> rows, std::vector<int> candidates,
                            TSource source)
{
    m_list = &list;
    m_rows = std::move(rows);
    m_candidateOf.assign(m_rows.size(), -1);
    m_candidates.clear();
    for (int r : candidates) {
        if (r < 0 || size_t(r) >= m_rows.size() || m_candidateOf[size_t(r)] >= 0)
            continue;
        m_candidateOf[size_t(r)] = int(m_candidates.size());
        m_candidates.push_back(r);
    }
    m_source = std::move(source);
    if (!m_source.afterStep) {
        m_prepared.valid = false;
        m_survivors.valid = false;
        m_where.reset();
    }
    m_within.valid = false;
    m_overWhere = false;
    m_mode = Mode::Pending;
    m_count = m_listCount = list.count();
    m_changed = false;
    m_deleted = m_required = m_anyOf = 0;
    m_masksFromNumbers = false;
    m_masksFromWeights = false;
    m_listAscending = list.isFullSet();
    m_classes.clear();
    m_workers.clear();
    m_maps.reset();
}

namespace {

// Room kept from step to step (the steps of a run ask for about the same room again and again), made
// a quarter larger when it grows: a list a little longer than the last one then finds it large enough.
// Its content is not kept.
uint8_t *roomOf(std::vector<uint8_t> &room, size_t bytes)
{
    if (room.size() < bytes) {
        std::vector<uint8_t>().swap(room);
        room.resize(bytes + bytes / 4);
    }
    return room.data();
}

} // namespace

uint8_t *TStatStepFilter::buffer(size_t bytes)
{
    return roomOf(m_ownBuffer, bytes);
}

void TStatStepFilter::makeWorkers(bool withRecorder)
{
    m_workers.clear();
    const int n = ParallelWork::workerCount();
    for (int w = 0; w < n; ++w) {
        auto worker = std::make_unique<Worker>();
        worker->stat = m_source.method->CreateStat(*m_source.stats);
        if (!worker->stat)
            throw Exception(Format(u"Метод \"%s\" недоступен!", {m_source.method->MethodCode()}));
        // Statistics that look at the latest draw know it before the first combination.
        worker->stat->LoadDraw(-1, m_source.last, m_source.sorted);
        if (withRecorder)
            worker->probeArray.setRecorder(&worker->recorder);
        m_workers.push_back(std::move(worker));
    }
}

void TStatStepFilter::prepare()
{
    if (m_mode == Mode::Pending && m_count > 0)
        buildIndex();
}

bool TStatStepFilter::useFullSet()
{
    m_entry = m_source.fullSet->get(*m_source.method, *m_source.stats, m_source.sorted, m_source.idle);
    if (!m_entry)
        return false;
    if (m_entry->perNumber) {
        if (m_candidates.size() > kMaxMaskCandidates)
            return false;
        // The mask of a combination: the candidates its six numbers' questions find.
        std::array<uint64_t, 256> &numberBits = m_numberBits;
        numberBits.fill(0);
        for (int n = 1; n <= kMaxNumber; ++n) {
            int hits = 0;
            m_maps->find(m_entry->numberProbe[size_t(n)], hits, numberBits[size_t(n)]);
        }
        if (m_list->isFullSet() && countFullSetByNumbers(nullptr))
            return true;
        if (m_survivors.valid && m_survivors.data == m_list->address() && m_survivors.count == m_count &&
            countFullSetByNumbers(&m_survivors)) {
            m_listAscending = true;
            m_within = m_survivors;
            return true;
        }
        m_listAscending = recordMasks([&numberBits](Worker *, const TComb &c, bool &valid) {
            valid &= TFullSetLookups::ascending(c);
            return numberBits[c[0]] | numberBits[c[1]] | numberBits[c[2]] | numberBits[c[3]] | numberBits[c[4]] |
                   numberBits[c[5]];
        });
        return m_listAscending;
    }
    return countSets();
}

bool TStatStepFilter::countFullSetByNumbers(const WeightedSurvivors *within)
{
    // Every combination of the full set (or, within, of those whose weights add up to an allowed sum):
    // the numbers with candidates it holds (at most six), the rest from the numbers without any. The
    // masks of the combinations are worked out from their numbers again when the list is rebuilt.
    constexpr int kSums = kWeightSums;
    std::vector<int> marked;
    // The ways to choose j of the numbers without candidates whose weights add up to s.
    std::array<std::array<int64_t, kSums>, kMainCount + 1> freeWays{};
    freeWays[0][0] = 1;
    for (int n = 1; n <= kMaxNumber; ++n) {
        if (m_numberBits[size_t(n)] != 0) {
            marked.push_back(n);
            continue;
        }
        TakeWeight(freeWays, within ? within->weight[size_t(n)] : 0);
    }
    const int k = int(marked.size());
    int64_t subsets = 0;
    for (int j = 0; j <= std::min(k, kMainCount); ++j)
        subsets += Binomial(k, j);
    if (subsets > int64_t(kMaxClasses))
        return false;
    std::unordered_map<uint64_t, int64_t> byMask;
    // The subsets of the marked numbers in order, as a stack of chosen places.
    std::array<int, kMainCount + 1> at{};
    std::array<uint64_t, kMainCount + 1> maskAt{};
    std::array<int, kMainCount + 1> sumAt{};
    int depth = 0;
    at[0] = -1;
    while (true) {
        // The subset at[1..depth] with its mask maskAt[depth] and its weights' sum sumAt[depth].
        const std::array<int64_t, kSums> &rest = freeWays[size_t(kMainCount - depth)];
        int64_t ways = within ? 0 : rest[0];
        for (int sum = 0; within && sum + sumAt[size_t(depth)] < kSums; ++sum)
            if (within->allowed[size_t(sum + sumAt[size_t(depth)])])
                ways += rest[size_t(sum)];
        if (ways > 0)
            byMask[maskAt[size_t(depth)]] += ways;
        // Next subset: go deeper when possible, else move the last place on, else back up.
        if (depth < kMainCount && at[size_t(depth)] + 1 < k) {
            at[size_t(depth + 1)] = at[size_t(depth)] + 1;
            ++depth;
        } else {
            while (depth > 0 && at[size_t(depth)] + 1 >= k)
                --depth;
            if (depth == 0)
                break;
            ++at[size_t(depth)];
        }
        const int n = marked[size_t(at[size_t(depth)])];
        maskAt[size_t(depth)] = maskAt[size_t(depth - 1)] | m_numberBits[size_t(n)];
        sumAt[size_t(depth)] =
            sumAt[size_t(depth - 1)] + (within ? within->weight[size_t(n)] : 0);
    }
    m_classes.assign(byMask.begin(), byMask.end());
    std::sort(m_classes.begin(), m_classes.end());
    m_masksFromNumbers = true;
    m_mode = Mode::Mask;
    return true;
}

bool TStatStepFilter::countSets()
{
    const TFullSetLookups::Entry &entry = *m_entry;
    const size_t sets = entry.sets.size();
    // The candidates each set answers, without repeats.
    m_setCandidateStart.assign(sets + 1, 0);
    m_setCandidates.clear();
    std::vector<int32_t> found;
    for (size_t id = 0; id < sets; ++id) {
        found.clear();
        for (const TStatProbe &p : entry.sets[id]) {
            int hits = 0;
            uint64_t bits = 0;
            const uint16_t *c = m_maps->find(p, hits, bits);
            found.insert(found.end(), c, c + hits);
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        m_setCandidates.insert(m_setCandidates.end(), found.begin(), found.end());
        m_setCandidateStart[id + 1] = int32_t(m_setCandidates.size());
    }
    // The set of every combination of the list, and the combinations of each set.
    m_idWidth = entry.width;
    if (m_list->isFullSet()) {
        m_ids = entry.ids.data();
        m_setCount = entry.counts;
    } else if (m_where && m_list->unwrittenState() == m_where.get()) {
        // The full set's combinations of the sets the steps before kept, not written: the sets are
        // read at the combinations' places in the full set and counted over those kept there.
        m_overWhere = true;
        m_ids = entry.ids.data();
        const Where &where = *m_where;
        const int64_t total = FullSetPrefixes().back().end;
        const int workers = ParallelWork::workerCount();
        std::vector<int64_t> hist(size_t(workers) * (sets + 2 * kPad), 0);
        // What the steps before kept, place by place, stays for the end of the step.
        uint8_t *const marks = buffer(size_t(total));
        m_whereMarks = marks;
        ParallelWork::run(
            chunkCount(total),
            [&](int chunk, int wi) {
                int64_t *const h = hist.data() + size_t(wi) * (sets + 2 * kPad) + kPad;
                const ChunkRange range = chunkRange(chunk, total);
                const int64_t n = range.end - range.begin;
                uint8_t *const kept = marks + range.begin;
                where.mark(range.begin, range.end, kept);
                if (entry.width == 1) {
                    // Four counts per set taken in turn: one set after another does not wait on itself.
                    const uint8_t *const ids = entry.ids.data() + range.begin;
                    std::array<std::array<uint32_t, 256>, 4> local{};
                    for (int64_t k = 0; k < n; ++k)
                        local[size_t(k & 3)][ids[k]] += kept[k];
                    for (size_t id = 0; id < sets; ++id)
                        h[id] += int64_t(local[0][id]) + local[1][id] + local[2][id] + local[3][id];
                } else {
                    const uint8_t *const ids = entry.ids.data() + 2 * range.begin;
                    for (int64_t k = 0; k < n; ++k)
                        h[loadAt<uint16_t>(ids, k)] += kept[k];
                }
            },
            m_source.idle);
        m_setCount.assign(sets, 0);
        for (int w = 0; w < workers; ++w)
            for (size_t id = 0; id < sets; ++id)
                m_setCount[id] += hist[size_t(w) * (sets + 2 * kPad) + kPad + id];
    } else if (m_prepared.valid && m_prepared.entry == m_entry && m_prepared.data == m_list->address() &&
               m_prepared.count == m_count) {
        // Given by the step before, while it rebuilt the list.
        m_ids = m_prepared.ids.data();
        m_setCount = m_prepared.counts;
    } else {
        const int64_t n = m_count;
        const TComb *combs = m_list->data();
        const int width = entry.width;
        const uint8_t *fullIds = entry.ids.data();
        uint8_t *ids = buffer(size_t(n) * size_t(width));
        const int workers = ParallelWork::workerCount();
        std::vector<int64_t> hist(size_t(workers) * (sets + 2 * kPad), 0);
        std::atomic<bool> give_up{false};
        ParallelWork::run(
            chunkCount(n),
            [&](int chunk, int wi) {
                // Everything the loop reads is a local: the bytes it writes could be anything else.
                int64_t *const h = hist.data() + size_t(wi) * (sets + 2 * kPad) + kPad;
                const ChunkRange range = chunkRange(chunk, n);
                const TComb *const from = combs;
                const uint8_t *const full = fullIds;
                uint8_t *const to = ids;
                bool valid = true;
                if (width == 1) {
                    // Four counts per set taken in turn: one set after another does not wait on itself.
                    std::array<std::array<uint32_t, 256>, 4> local{};
                    for (int64_t i = range.begin; i < range.end; ++i) {
                        const int64_t r = TFullSetLookups::rankOf(from[i]);
                        valid &= r >= 0;
                        const uint8_t id = full[size_t(r < 0 ? 0 : r)];
                        to[i] = id;
                        ++local[size_t(i & 3)][id];
                    }
                    for (size_t id = 0; id < sets; ++id)
                        h[id] += int64_t(local[0][id]) + local[1][id] + local[2][id] + local[3][id];
                } else {
                    for (int64_t i = range.begin; i < range.end; ++i) {
                        const int64_t r = TFullSetLookups::rankOf(from[i]);
                        valid &= r >= 0;
                        uint16_t id;
                        std::memcpy(&id, full + 2 * size_t(r < 0 ? 0 : r), 2);
                        storeAt<uint16_t>(to, i, id);
                        ++h[id];
                    }
                }
                if (!valid)
                    give_up = true;
            },
            m_source.idle);
        if (give_up) {
            // Numbers that do not ascend: the list is not made of the full set's combinations.
            m_entry = nullptr;
            return false;
        }
        m_ids = ids;
        m_setCount.assign(sets, 0);
        for (int w = 0; w < workers; ++w)
            for (size_t id = 0; id < sets; ++id)
                m_setCount[id] += hist[size_t(w) * (sets + 2 * kPad) + kPad + id];
    }
    m_setAlive.assign(sets, 0);
    m_liveSets.clear();
    for (size_t id = 0; id < sets; ++id)
        if (m_setCount[id] > 0) {
            m_setAlive[id] = 1;
            m_liveSets.push_back(uint32_t(id));
        }
    m_mode = Mode::Sets;
    m_listAscending = true;
    return true;
}

bool TStatStepFilter::useNumberWeights(const std::array<uint8_t, kMaxNumber + 1> &weights, const TStatProbe &lookup)
{
    // The mask of a combination: the candidates of the sum of its numbers' weights, while no six of
    // them add up beyond the table.
    if (!WeightsFitSums(weights))
        return false;
    m_numberWeight.fill(0);
    for (int n = 1; n <= kMaxNumber; ++n)
        m_numberWeight[size_t(n)] = weights[size_t(n)];
    for (size_t sum = 0; sum < m_sumBits.size(); ++sum)
        m_sumBits[sum] = CandidateMaps::bitsOf(m_maps.get(), lookup.kind, lookup.n, sum);
    m_masksFromWeights = true;
    if (m_list->isFullSet()) {
        countFullSetByWeights();
        return true;
    }
    const uint8_t *w = m_numberWeight.data();
    const uint64_t *bits = m_sumBits.data();
    m_listAscending = recordMasks([w, bits](Worker *, const TComb &c, bool &valid) {
        valid &= TFullSetLookups::ascending(c);
        return bits[w[c[0]] + w[c[1]] + w[c[2]] + w[c[3]] + w[c[4]] + w[c[5]]];
    });
    m_masksFromWeights = m_listAscending;
    return m_listAscending;
}

void TStatStepFilter::countFullSetByWeights()
{
    // The combinations of the full set by the sum of their weights: the subsets of j numbers of the
    // first n by their sum, number after number.
    constexpr int kSums = kWeightSums;
    std::array<std::array<int64_t, kSums>, kMainCount + 1> ways{};
    ways[0][0] = 1;
    for (int n = 1; n <= kMaxNumber; ++n)
        TakeWeight(ways, m_numberWeight[size_t(n)]);
    std::unordered_map<uint64_t, int64_t> byMask;
    for (int sum = 0; sum < kSums; ++sum)
        if (ways[kMainCount][size_t(sum)] > 0)
            byMask[m_sumBits[size_t(sum)]] += ways[kMainCount][size_t(sum)];
    m_classes.assign(byMask.begin(), byMask.end());
    std::sort(m_classes.begin(), m_classes.end());
    m_masksFromNumbers = true;
    m_mode = Mode::Mask;
}

void TStatStepFilter::buildIndex()
{
    m_entry = nullptr;
    m_ids = nullptr;
    // The candidate maps number the candidates in 16 bits: more than that are filtered by the test.
    const bool numbered = m_candidates.size() <= kMaxIndexCandidates;
    if (!m_candidates.empty() && numbered && m_source.fullSet) {
        m_maps = std::make_unique<CandidateMaps>(m_rows, m_candidates);
        if (useFullSet())
            return;
        m_entry = nullptr;
    }
    makeWorkers(true);
    if (m_workers.front()->stat->TestsByKeyLookups() && !m_candidates.empty() && numbered) {
        if (!m_maps)
            m_maps = std::make_unique<CandidateMaps>(m_rows, m_candidates);
        std::array<uint8_t, kMaxNumber + 1> weights{};
        TStatProbe lookup;
        if (m_candidates.size() <= kMaxMaskCandidates &&
            m_workers.front()->stat->NumberWeightsOfTest(m_source.last, weights, lookup) &&
            useNumberWeights(weights, lookup))
            return;
        if (m_candidates.size() <= kMaxMaskCandidates) {
            const int last = m_source.last;
            const bool sorted = m_source.sorted;
            for (auto &w : m_workers)
                // The lookups are turned into candidates as they are asked.
                w->recorder.setResolver(&CandidateMaps::bitsOf, m_maps.get());
            const bool recorded = recordMasks([last, sorted](Worker *w, const TComb &c, bool &) {
                w->recorder.clear();
                w->stat->CombMatches(c, w->probeArray, last, sorted, false);
                return w->recorder.bits();
            });
            for (auto &w : m_workers)
                w->recorder.setResolver(nullptr, nullptr);
            if (recorded)
                return;
        } else if (recordIndexes()) {
            m_mode = Mode::Index;
            m_allowed.assign(m_candidates.size() + 1, 1);
            return;
        }
    }
    // Filtered by the statistic's own test.
    m_mode = Mode::Direct;
    m_maps.reset();
    m_classes.clear();
    for (auto &w : m_workers)
        w->probeArray.setRecorder(nullptr);
}

template <class MaskOf> bool TStatStepFilter::recordMasks(MaskOf maskOf)
{
    const int64_t n = m_count;
    const TComb *combs = m_list->data();
    const int k = int(m_candidates.size());
    m_width = k <= 8 ? 1 : k <= 16 ? 2 : k <= 32 ? 4 : 8;
    m_buffer = buffer(size_t(n) * size_t(m_width));
    const int workers = ParallelWork::workerCount();
    std::vector<MaskCounter> classes(static_cast<size_t>(workers));
    std::vector<int64_t> allCandidates(size_t(workers) * kPad, 0);
    for (MaskCounter &c : classes)
        c.reset(k);
    std::atomic<bool> give_up{false};
    withWidth(m_width, [&](auto tag) {
        using T = decltype(tag);
        uint8_t *masks = m_buffer;
        ParallelWork::run(
            chunkCount(n),
            [&](int chunk, int wi) {
                if (give_up.load(std::memory_order_relaxed))
                    return;
                Worker *const w = m_workers.empty() ? nullptr : m_workers[size_t(wi)].get();
                MaskCounter &counter = classes[size_t(wi)];
                const ChunkRange range = chunkRange(chunk, n);
                // Locals: the bytes written could be anything else.
                const MaskOf mask = maskOf;
                const TComb *const from = combs;
                uint8_t *const to = masks;
                bool valid = true;
                for (int64_t i = range.begin; i < range.end; ++i) {
                    const uint64_t m = mask(w, from[i], valid);
                    storeAt<T>(to, i, T(m));
                    // The one mask a counter cannot hold as a key is counted apart.
                    if (m == ~uint64_t(0))
                        ++allCandidates[size_t(wi) * kPad];
                    else
                        counter.add(m);
                }
                if (!valid)
                    give_up = true;
            },
            m_source.idle);
    });
    if (give_up)
        return false;
    // The counts of the distinct masks; too many of them and every row is counted over the list.
    bool overflow = false;
    std::unordered_map<uint64_t, int64_t> merged;
    int64_t all = 0;
    for (int w = 0; w < workers; ++w) {
        overflow = overflow || classes[size_t(w)].overflow();
        all += allCandidates[size_t(w) * kPad];
        if (!overflow)
            classes[size_t(w)].forEach([&](uint64_t mask, int64_t count) { merged[mask] += count; });
        if (merged.size() > kMaxClasses)
            overflow = true;
    }
    m_classes.clear();
    if (!overflow) {
        m_classes.reserve(merged.size() + 1);
        for (const auto &[mask, count] : merged)
            m_classes.push_back({mask, count});
        if (all > 0)
            m_classes.push_back({~uint64_t(0), all});
        // A fixed order, whatever the workers' shares were.
        std::sort(m_classes.begin(), m_classes.end());
    }
    m_mode = Mode::Mask;
    return true;
}

bool TStatStepFilter::recordIndexes()
{
    const int64_t n = m_count;
    const TComb *combs = m_list->data();
    const size_t k = m_candidates.size();
    m_buffer = buffer(size_t(n) * sizeof(uint16_t));
    uint8_t *index = m_buffer;
    for (auto &w : m_workers)
        w->hist.assign(k + 1 + 2 * kPad, 0);
    std::atomic<bool> give_up{false};
    const int last = m_source.last;
    const bool sorted = m_source.sorted;
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int wi) {
            if (give_up.load(std::memory_order_relaxed))
                return;
            Worker &w = *m_workers[size_t(wi)];
            int64_t *hist = w.hist.data() + kPad;
            const ChunkRange range = chunkRange(chunk, n);
            for (int64_t i = range.begin; i < range.end; ++i) {
                w.recorder.clear();
                w.stat->CombMatches(combs[i], w.probeArray, last, sorted, false);
                if (w.recorder.overflow()) {
                    give_up = true;
                    return;
                }
                int found = -1;
                for (int p = 0; p < w.recorder.count(); ++p) {
                    int hits = 0;
                    uint64_t bits = 0;
                    const uint16_t *c = m_maps->find(w.recorder[p], hits, bits);
                    for (int h = 0; h < hits; ++h) {
                        if (found < 0) {
                            found = c[h];
                        } else if (c[h] != found) {
                            // Two candidates in one combination, and too many candidates for a mask.
                            give_up = true;
                            return;
                        }
                    }
                }
                storeAt<uint16_t>(index, i, found < 0 ? kNone : uint16_t(found));
                ++hist[found < 0 ? k : size_t(found)];
                if ((i & 4095) == 4095 && give_up.load(std::memory_order_relaxed))
                    return;
            }
        },
        m_source.idle);
    if (give_up)
        return false;
    m_hist.assign(k + 1, 0);
    for (auto &w : m_workers)
        for (size_t c = 0; c <= k; ++c)
            m_hist[c] += w->hist[kPad + c];
    return true;
}

int64_t TStatStepFilter::apply(const std::vector<int> &rows, bool deleting)
{
    if (m_mode == Mode::Idle || m_count == 0)
        return m_count;
    std::vector<int> selected;
    for (int r : rows)
        if (r >= 0 && size_t(r) < m_rows.size())
            selected.push_back(r);
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    // Only candidates can be applied; the others meet no condition of the step.
    std::vector<int> candidates;
    for (int r : selected)
        if (m_candidateOf[size_t(r)] >= 0)
            candidates.push_back(m_candidateOf[size_t(r)]);
    if (candidates.empty())
        return m_count;

    if (m_mode == Mode::Pending)
        buildIndex();
    if (m_mode == Mode::Direct)
        return applyDirect(selected, deleting);
    if (m_mode == Mode::Index)
        return applyIndex(candidates, deleting);
    if (m_mode == Mode::Sets)
        return applySets(candidates, deleting);
    uint64_t selection = 0;
    for (int c : candidates)
        selection |= uint64_t(1) << c;
    return applyMask(selection, candidates.size() == 1, deleting);
}

template <class T> int64_t TStatStepFilter::countMasks(uint64_t d, uint64_t a, uint64_t m) const
{
    const int64_t n = m_listCount;
    const uint8_t *masks = m_buffer;
    std::vector<int64_t> counts(size_t(chunkCount(n)), 0);
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int) {
            const ChunkRange range = chunkRange(chunk, n);
            int64_t c = 0;
            for (int64_t i = range.begin; i < range.end; ++i)
                c += survives(loadAt<T>(masks, i), d, a, m);
            counts[size_t(chunk)] = c;
        },
        m_source.idle);
    int64_t total = 0;
    for (int64_t c : counts)
        total += c;
    return total;
}

int64_t TStatStepFilter::applyMask(uint64_t selection, bool single, bool deleting)
{
    uint64_t d = m_deleted;
    uint64_t a = m_required;
    uint64_t m = m_anyOf;
    if (deleting)
        d |= selection;
    else if (single)
        a |= selection;
    else if (m == 0)
        m = selection;
    else
        // Two selections of several rows kept one after the other: "one of each" is no longer one
        // mask, so the step is counted and rebuilt row by row from here.
        return applyDirect([&] {
            std::vector<int> rows;
            for (size_t c = 0; c < m_candidates.size() && c < 64; ++c)
                if ((selection >> c) & 1)
                    rows.push_back(m_candidates[c]);
            // The combinations the earlier rows left are made the list first.
            compactSurvivors();
            m_listCount = m_count;
            m_mode = Mode::Direct;
            m_deleted = m_required = m_anyOf = 0;
            m_classes.clear();
            for (auto &w : m_workers)
                w->probeArray.setRecorder(nullptr);
            return rows;
        }(), deleting);

    int64_t left = 0;
    if (!m_classes.empty() || m_listCount == 0) {
        for (const auto &[mask, count] : m_classes)
            if (survives(mask, d, a, m))
                left += count;
    } else {
        withWidth(m_width, [&](auto tag) { left = countMasks<decltype(tag)>(d, a, m); });
    }
    if (left == 0)
        return 0;
    m_deleted = d;
    m_required = a;
    m_anyOf = m;
    m_count = left;
    m_changed = true;
    return left;
}

int64_t TStatStepFilter::applyIndex(const std::vector<int> &candidates, bool deleting)
{
    // Each combination has at most one candidate: only the set of allowed candidates changes.
    int64_t matching = 0;
    for (int c : candidates)
        if (m_allowed[size_t(c)])
            matching += m_hist[size_t(c)];
    const int64_t left = deleting ? m_count - matching : matching;
    if (left == 0)
        return 0;
    if (deleting) {
        for (int c : candidates)
            m_allowed[size_t(c)] = 0;
    } else {
        std::vector<uint8_t> keep(m_allowed.size(), 0);
        for (int c : candidates)
            keep[size_t(c)] = m_allowed[size_t(c)];
        m_allowed.swap(keep);
    }
    m_count = left;
    m_changed = true;
    return left;
}

int64_t TStatStepFilter::applySets(const std::vector<int> &candidates, bool deleting)
{
    // Every combination of a set answers the rows alike: only the sets still alive change.
    m_selected.assign(m_candidates.size(), 0);
    for (int c : candidates)
        m_selected[size_t(c)] = 1;
    m_setMatches.resize(m_setAlive.size());
    int64_t matching = 0;
    for (uint32_t id : m_liveSets) {
        bool match = false;
        for (int32_t k = m_setCandidateStart[id]; k < m_setCandidateStart[id + 1] && !match; ++k)
            match = m_selected[size_t(m_setCandidates[size_t(k)])] != 0;
        m_setMatches[id] = match;
        if (match)
            matching += m_setCount[id];
    }
    const int64_t left = deleting ? m_count - matching : matching;
    if (left == 0)
        return 0;
    std::erase_if(m_liveSets, [&](uint32_t id) {
        if ((m_setMatches[id] != 0) != deleting)
            return false;
        m_setAlive[id] = 0;
        return true;
    });
    m_count = left;
    m_changed = true;
    return left;
}

int64_t TStatStepFilter::applyDirect(const std::vector<int> &rows, bool deleting)
{
    if (m_workers.empty())
        makeWorkers(false);
    const int64_t n = m_count;
    const TComb *combs = m_list->data();
    for (auto &w : m_workers) {
        w->values.clear();
        for (int r : rows)
            w->values.append(m_rows[size_t(r)]);
    }
    m_buffer = buffer(size_t(n));
    uint8_t *flags = m_buffer;
    std::vector<int64_t> counts(size_t(chunkCount(n)), 0);
    const int last = m_source.last;
    const bool sorted = m_source.sorted;
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int wi) {
            Worker &w = *m_workers[size_t(wi)];
            const ChunkRange range = chunkRange(chunk, n);
            int64_t kept = 0;
            for (int64_t i = range.begin; i < range.end; ++i) {
                const bool keep = w.stat->CombMatches(combs[i], w.values, last, sorted, deleting) != deleting;
                flags[i] = keep;
                kept += keep;
            }
            counts[size_t(chunk)] = kept;
        },
        m_source.idle);
    int64_t left = 0;
    for (int64_t c : counts)
        left += c;
    if (left == 0)
        return 0;
    if (left != n) {
        compact([=](int64_t i, const TComb &) { return flags[i] != 0; });
        m_listCount = m_count;
        m_changed = true;
    }
    return m_count;
}

template <class Keep>
void TStatStepFilter::compact(Keep keep, const std::vector<int64_t> *prefixKept, const TNumbersChoice *chosen,
                              const uint8_t *placeFlags)
{
    // Whatever the step before gave is for the list as it was.
    m_prepared.valid = false;
    m_survivors.valid = false;
    m_within.valid = false;
    // A list left unwritten by the steps before is walked over the full set.
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    const int64_t n = m_overWhere ? prefixes.back().end : m_listCount;
    // The sets of the next step's method, for lists of the full set's combinations (the others read
    // here were found to be such when their own sets or masks were read).
    const TFullSetLookups::Entry *next = m_source.next;
    if (next && (next->perNumber || !m_listAscending))
        next = nullptr;
    // Entry i of the full set is the combination of place i. When the next method's sets are written,
    // or the full list is not written yet, the full set is not read but made again in order (fewer
    // loads beside the writes); else it is read (a rebuild of the full set alone is faster so).
    const bool fullSet =
        m_overWhere || (!chosen && m_list->isFullSet() && n == m_list->count() && n == prefixes.back().end);
    const bool remake = fullSet && (next || m_list->unwritten());
    std::vector<int64_t> chosenCounts;
    if (chosen) {
        chosenCounts = CountCombsOfPrefixes(*chosen);
        prefixKept = &chosenCounts;
    }
    const int workers = ParallelWork::workerCount();
    const size_t sets = next ? next->sets.size() : 0;
    const int width = next ? next->width : 1;
    // Each worker counts the sets in four tables taken in turn when there are few sets (a run of
    // one set then does not wait on itself), else in one.
    const size_t stride = sets + 2 * kPad;
    const size_t turns = sets <= 4096 ? 4 : 1;
    std::vector<int64_t> hist(next ? size_t(workers) * turns * stride : 0, 0);
    uint8_t *nextIds = nullptr;
    if (next) {
        // One entry to spare: a loop without a branch writes an entry past the last one kept.
        nextIds = roomOf(m_preparing.ids, (size_t(m_count) + 1) * size_t(width));
    }
    const uint8_t *fullIds = next ? next->ids.data() : nullptr;
    // Writes the next set of the combination c of place i at out (an index of the rebuilt list) and
    // counts it when it is kept.
    auto writer = [&](int worker) {
        int64_t *const h = next ? hist.data() + size_t(worker) * turns * stride + kPad : nullptr;
        const size_t turn = turns - 1;
        return [h, width, fullIds, nextIds, fullSet, turn, stride](const TComb &c, int64_t i, int64_t out,
                                                                   bool kept) {
            const size_t at = size_t(fullSet ? i : TFullSetLookups::rankOfAscending(c));
            int64_t *const counts = h + (size_t(i) & turn) * stride;
            if (width == 1) {
                const uint8_t id = fullIds[at];
                nextIds[out] = id;
                counts[id] += kept;
            } else {
                uint16_t id;
                std::memcpy(&id, fullIds + 2 * at, 2);
                storeAt<uint16_t>(nextIds, out, id);
                counts[id] += kept;
            }
        };
    };
    // About as many go as stay: each one is written, kept or not (the next one kept overwrites it),
    // so that no branch is mispredicted; mostly one way, the branch is foreseen.
    const bool oneWay = chosen || m_count * 5 < n || m_count * 5 > 4 * n;
    // The kept combinations of what forEach walks written from out on, never at limit or past it
    // (base: the first entry of the rebuilt list); returns where the next one would go.
    auto writeKept = [&](auto forEach, TComb *out, const TComb *limit, TComb *base, int worker) {
        const Keep local = keep; // locals: the combinations written could be anything else
        TComb *const to = base;
        int64_t o = out - base;
        const int64_t end = limit - base;
        if (next) {
            const auto write = writer(worker);
            if (oneWay)
                forEach([&](const TComb &c, int64_t i) {
                    if (local(i, c) && o < end) {
                        write(c, i, o, true);
                        to[o++] = c;
                    }
                });
            else
                forEach([&](const TComb &c, int64_t i) {
                    const bool k = local(i, c);
                    if (o < end) {
                        write(c, i, o, k);
                        to[o] = c;
                        o += k;
                    }
                });
        } else if (oneWay) {
            forEach([&](const TComb &c, int64_t i) {
                if (local(i, c) && o < end)
                    to[o++] = c;
            });
        } else {
            forEach([&](const TComb &c, int64_t i) {
                const bool k = local(i, c);
                if (o < end) {
                    to[o] = c;
                    o += k;
                }
            });
        }
        return base + o;
    };
    auto listRange = [](const TComb *from, int64_t begin, int64_t end) {
        return [from, begin, end](auto &&f) {
            for (int64_t i = begin; i < end; ++i)
                f(from[i], i);
        };
    };
    // Few places flagged: only those are walked.
    const uint8_t *const flagged = placeFlags && m_count * 8 < n ? placeFlags : nullptr;
    auto prefixRange = [&prefixes, flagged](int task) {
        return [&prefixes, flagged, task](auto &&f) {
            if (flagged)
                ForEachFlaggedOfPrefix(prefixes[size_t(task)], flagged, f);
            else
                ForEachOfPrefix(prefixes[size_t(task)], f);
        };
    };
    // The combinations of the choice with the prefix of the task; their places in the full set are not
    // needed (a running number stands in for them).
    auto chosenRange = [&prefixes, chosen](int task) {
        return [&prefixes, chosen, task](auto &&f) {
            const TFullSetPrefix &prefix = prefixes[size_t(task)];
            int64_t i = prefix.start;
            ForEachChosenOfPrefix(prefix.a, prefix.b, *chosen, [&](uint64_t bytes) {
                TComb c;
                std::memcpy(c.n.data(), &bytes, sizeof(TComb));
                f(c, i++);
            });
        };
    };

    if (workers == 1 || (!remake && !chosen && chunkCount(n) == 1)) {
        // In place: an entry is written only after it was read (or made again).
        TComb *const combs = remake || chosen ? m_list->rewrittenData() : m_list->mutableData();
        TComb *const limit = combs + std::min(n, m_list->capacity());
        TComb *out = combs;
        if (remake) {
            for (size_t task = 0; task < prefixes.size(); ++task)
                out = writeKept(prefixRange(int(task)), out, limit, combs, 0);
        } else if (chosen) {
            for (size_t task = 0; task < prefixes.size(); ++task)
                if ((*prefixKept)[task] > 0)
                    out = writeKept(chosenRange(int(task)), out, limit, combs, 0);
        } else {
            out = writeKept(listRange(combs, 0, n), out, limit, combs, 0);
        }
        m_list->truncate(out - combs);
        m_count = out - combs;
    } else {
        // On all cores: every task counts what it keeps, then writes it at its place in the undo
        // copy's storage, which becomes the list's (the list itself is only read meanwhile, so the
        // window may paint it).
        const TComb *combs = remake || chosen ? nullptr : m_list->data();
        TComb *to = m_list->rebuildRoom();
        // Over the full set with the sets' counts of each prefix known, the tasks are the prefixes and
        // what each keeps is known without a pass.
        const bool counted = (fullSet || chosen) && prefixKept;
        const bool byPrefix = remake || counted;
        const int tasks = byPrefix ? int(prefixes.size()) : chunkCount(n);
        auto taskRange = [&](int task) {
            return byPrefix ? ChunkRange{prefixes[size_t(task)].start, prefixes[size_t(task)].end}
                            : chunkRange(task, n);
        };
        std::vector<int64_t> start(size_t(tasks) + 1, 0);
        if (counted) {
            std::copy(prefixKept->begin(), prefixKept->end(), start.begin() + 1);
        } else {
            ParallelWork::run(
                tasks,
                [&](int task, int) {
                    const Keep local = keep;
                    int64_t kept = 0;
                    auto count = [&](const TComb &c, int64_t i) { kept += local(i, c); };
                    if (remake) {
                        prefixRange(task)(count);
                    } else {
                        const ChunkRange range = taskRange(task);
                        listRange(combs, range.begin, range.end)(count);
                    }
                    start[size_t(task) + 1] = kept;
                },
                m_source.idle);
        }
        for (int t = 0; t < tasks; ++t)
            start[size_t(t) + 1] += start[size_t(t)];
        ParallelWork::run(
            tasks,
            [&](int task, int wi) {
                TComb *const out = to + start[size_t(task)];
                const TComb *const limit = to + start[size_t(task) + 1];
                if (remake) {
                    writeKept(prefixRange(task), out, limit, to, wi);
                } else if (chosen) {
                    if (out < limit)
                        writeKept(chosenRange(task), out, limit, to, wi);
                } else {
                    const ChunkRange range = taskRange(task);
                    writeKept(listRange(combs, range.begin, range.end), out, limit, to, wi);
                }
            },
            m_source.idle);
        m_list->adoptRebuilt(start.back());
        m_count = start.back();
    }
    if (next) {
        m_preparing.entry = next;
        m_preparing.data = m_list->address();
        m_preparing.count = m_count;
        m_preparing.counts.assign(sets, 0);
        for (size_t t = 0; t < size_t(workers) * turns; ++t)
            for (size_t id = 0; id < sets; ++id)
                m_preparing.counts[id] += hist[t * stride + kPad + id];
        m_preparing.valid = true;
        std::swap(m_prepared, m_preparing);
    }
}

bool TStatStepFilter::survivorsOfNumbers(TNumbersChoice &choice) const
{
    // The rows applied to a method that asks one question per number say "none of these numbers" and
    // perhaps "one of those": the combinations left are those of a choice of numbers.
    uint64_t allowed = 0, anyOf = 0;
    const uint64_t wanted = m_anyOf != 0 ? m_anyOf : m_required;
    if (m_anyOf != 0 && m_required != 0)
        return false;
    if (m_required != 0 && (m_required & (m_required - 1)) != 0)
        return false; // every one of several rows kept in turn
    for (int n = 1; n <= kMaxNumber; ++n) {
        if ((m_numberBits[size_t(n)] & m_deleted) == 0)
            allowed |= uint64_t(1) << n;
        if ((m_numberBits[size_t(n)] & wanted) != 0)
            anyOf |= uint64_t(1) << n;
    }
    choice = TNumbersChoice{allowed, anyOf, wanted != 0};
    return true;
}

bool TStatStepFilter::leaveWhere()
{
    std::shared_ptr<const TFullSetLookups::Entry> entry = m_source.fullSet->share(m_entry);
    if (!entry)
        return false;
    auto where = std::make_shared<Where>();
    if (m_overWhere)
        where->conditions = m_where->conditions;
    where->conditions.push_back({std::move(entry), m_setAlive});
    m_prepared.valid = false;
    m_survivors.valid = false;
    m_within.valid = false;
    m_list->assignUnwritten(m_count, where, [where](TComb *out) { where->write(out); });
    m_where = std::move(where);
    return true;
}

TNumbersChoice TStatStepFilter::survivorsChoice() const
{
    return TNumbersChoice{kAllNumbers, 0, false, m_survivors.weight.data(), m_survivors.allowed.data()};
}

void TStatStepFilter::noteSurvivors()
{
    m_survivors.data = m_list->address();
    m_survivors.count = m_count;
    m_survivors.valid = true;
}

void TStatStepFilter::leaveSurvivorsUnwritten()
{
    m_prepared.valid = false;
    m_within.valid = false;
    m_list->assignChosen(survivorsChoice(), m_count);
    noteSurvivors();
}

bool TStatStepFilter::survivorsOfSets()
{
    // A method whose test asks for a sum of weights of the numbers: every combination of a sum is in
    // one set, so a combination of each sum tells whether the sum was kept.
    const auto stat = m_source.method->CreateStat(*m_source.stats);
    std::array<uint8_t, kMaxNumber + 1> weights{};
    TStatProbe lookup;
    if (!stat)
        return false;
    stat->LoadDraw(-1, m_source.last, m_source.sorted);
    // The tables of sums below hold every sum of six weights only while the weights fit them.
    if (!stat->NumberWeightsOfTest(m_source.last, weights, lookup) || !WeightsFitSums(weights))
        return false;
    // reach[n][j][s]: j of the numbers 1..n add up to s.
    std::vector<std::array<std::array<bool, kWeightSums>, kMainCount + 1>> reach(kMaxNumber + 1);
    reach[0][0][0] = true;
    for (int n = 1; n <= kMaxNumber; ++n) {
        reach[size_t(n)] = reach[size_t(n - 1)];
        for (int j = 1; j <= kMainCount; ++j)
            for (int sum = weights[size_t(n)]; sum < kWeightSums; ++sum)
                reach[size_t(n)][size_t(j)][size_t(sum)] =
                    reach[size_t(n)][size_t(j)][size_t(sum)] ||
                    reach[size_t(n - 1)][size_t(j - 1)][size_t(sum - weights[size_t(n)])];
    }
    m_survivors.allowed.fill(0);
    for (int sum = 0; sum < kWeightSums; ++sum) {
        if (!reach[kMaxNumber][kMainCount][size_t(sum)])
            continue;
        // The combination found back from the largest number down.
        TComb c;
        int j = kMainCount, left = sum;
        for (int n = kMaxNumber; n >= 1 && j > 0; --n)
            if (!reach[size_t(n - 1)][size_t(j)][size_t(left)]) {
                c[size_t(--j)] = uint8_t(n);
                left -= weights[size_t(n)];
            }
        m_survivors.allowed[size_t(sum)] = m_setAlive[m_entry->idOf(TFullSetLookups::rankOfAscending(c))];
    }
    m_survivors.weight.fill(0);
    for (int n = 0; n <= kMaxNumber; ++n)
        m_survivors.weight[size_t(n)] = weights[size_t(n)];
    return true;
}

void TStatStepFilter::compactSurvivors()
{
    const uint64_t d = m_deleted, a = m_required, m = m_anyOf;
    if (m_masksFromNumbers && m_masksFromWeights) {
        const uint8_t *w = m_numberWeight.data();
        const uint64_t *bits = m_sumBits.data();
        auto keep = [=](int64_t, const TComb &c) {
            return survives(bits[w[c[0]] + w[c[1]] + w[c[2]] + w[c[3]] + w[c[4]] + w[c[5]]], d, a, m);
        };
        if (!m_list->isFullSet()) {
            compact(keep);
            return;
        }
        // Over the full set: the combinations whose weights add up to a sum the rows left, which a step
        // of a method that asks one question per number counts without reading them.
        m_survivors.weight = m_numberWeight;
        for (size_t sum = 0; sum < m_survivors.allowed.size(); ++sum)
            m_survivors.allowed[sum] = survives(bits[sum], d, a, m);
        if (m_source.next && m_source.next->perNumber) {
            leaveSurvivorsUnwritten();
            return;
        }
        // What each prefix keeps follows from the ways four numbers above its second one add up.
        const std::vector<int64_t> prefixKept = CountCombsOfPrefixes(survivorsChoice());
        compact(keep, &prefixKept);
        noteSurvivors();
        return;
    }
    if (m_masksFromNumbers) {
        // What is left of the full set, or of the combinations of the full set whose weights add up to
        // an allowed sum, is written straight from the numbers, without reading the list.
        const bool within = m_within.valid && m_within.data == m_list->address() && m_within.count == m_list->count();
        TNumbersChoice choice;
        if ((m_list->isFullSet() || within) && survivorsOfNumbers(choice)) {
            if (!m_list->isFullSet()) {
                choice.weight = m_within.weight.data();
                choice.sums = m_within.allowed.data();
            }
            compact([](int64_t, const TComb &) { return true; }, nullptr, &choice);
            return;
        }
        const uint64_t *bits = m_numberBits.data();
        auto maskOf = [bits](const TComb &c) {
            return bits[c[0]] | bits[c[1]] | bits[c[2]] | bits[c[3]] | bits[c[4]] | bits[c[5]];
        };
        // The usual steps first: rows deleted only, or one selection kept.
        if (a == 0 && m == 0)
            compact([=](int64_t, const TComb &c) { return (maskOf(c) & d) == 0; });
        else if (a == 0 && d == 0)
            compact([=](int64_t, const TComb &c) { return (maskOf(c) & m) != 0; });
        else
            compact([=](int64_t, const TComb &c) { return survives(maskOf(c), d, a, m); });
        return;
    }
    withWidth(m_width, [&](auto tag) {
        using T = decltype(tag);
        const uint8_t *masks = m_buffer;
        compact([=](int64_t i, const TComb &) { return survives(loadAt<T>(masks, i), d, a, m); });
    });
}

void TStatStepFilter::finish()
{
    if (!m_list)
        return;
    // A step that removed nothing leaves the list as it was (the full set stays the full set).
    if (m_changed && m_count != m_listCount) {
        if (m_mode == Mode::Sets) {
            // What a step over the full set leaves for a method that asks one question per number.
            const bool survivors = m_list->isFullSet() && m_source.next && m_source.next->perNumber;
            const uint8_t *ids = m_ids;
            const uint8_t *alive = m_setAlive.data();
            if (survivors && survivorsOfSets()) {
                leaveSurvivorsUnwritten();
            } else if ((m_list->isFullSet() || m_overWhere) && m_source.next && !m_source.next->perNumber &&
                       m_count * 2 >= FullSetPrefixes().back().end && leaveWhere()) {
                // Most of the full set is left, and the next method's sets are kept for the full set:
                // the list is left as the sets it keeps, written when read.
            } else if (m_overWhere) {
                // What each place of the full set keeps (what the steps before kept, marked when the sets
                // were counted, and this step's sets), and so what each prefix keeps, first.
                const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
                uint8_t *const flags = m_whereMarks;
                std::vector<int64_t> prefixKept(prefixes.size(), 0);
                const TFullSetLookups::Entry &entry = *m_entry;
                ParallelWork::run(
                    int(prefixes.size()),
                    [&](int task, int) {
                        const TFullSetPrefix &p = prefixes[size_t(task)];
                        Where::AndAlive(entry, alive, p.start, p.end - p.start, flags + p.start);
                        prefixKept[size_t(task)] =
                            std::accumulate(flags + p.start, flags + p.end, int64_t(0));
                    },
                    m_source.idle);
                compact([=](int64_t i, const TComb &) { return flags[i] != 0; }, &prefixKept, nullptr, flags);
            } else if (m_idWidth == 1) {
                // The full set's own sets: what each prefix keeps follows from the sets' counts.
                std::vector<int64_t> prefixKept;
                if (m_entry && ids == m_entry->ids.data() && !m_entry->prefixCounts.empty()) {
                    prefixKept.assign(FullSetPrefixes().size(), 0);
                    for (size_t t = 0; t < prefixKept.size(); ++t)
                        for (size_t id = 0; id < m_setAlive.size(); ++id)
                            prefixKept[t] += int64_t(m_entry->prefixCounts[t * 256 + id]) * alive[id];
                }
                compact([=](int64_t i, const TComb &) { return alive[ids[i]] != 0; },
                        prefixKept.empty() ? nullptr : &prefixKept);
            } else {
                compact([=](int64_t i, const TComb &) { return alive[loadAt<uint16_t>(ids, i)] != 0; });
            }
        } else if (m_mode == Mode::Mask) {
            const int64_t expected = m_count;
            compactSurvivors();
            Q_ASSERT(m_count == expected);
            (void)expected;
        } else if (m_mode == Mode::Index) {
            const uint8_t *index = m_buffer;
            const uint8_t *allowed = m_allowed.data();
            const size_t none = m_candidates.size();
            compact([=](int64_t i, const TComb &) {
                const uint16_t c = loadAt<uint16_t>(index, i);
                return allowed[c == kNone ? none : c] != 0;
            });
        }
        m_list->truncate(m_count);
    }
    m_list->ClearUndoCount();
    m_list->RefreshCombsCount();
    m_workers.clear();
    m_maps.reset();
    m_classes.clear();
    m_entry = nullptr;
    m_ids = nullptr;
    m_buffer = nullptr;
    m_whereMarks = nullptr;
    m_mode = Mode::Idle;
    m_list = nullptr;
}
