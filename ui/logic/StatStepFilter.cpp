#include "ui/logic/StatStepFilter.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"
#include "ui/logic/CombsList.h"
#include "ui/logic/ParallelWork.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>

namespace {

constexpr int64_t kChunk = int64_t(1) << 16;
constexpr uint16_t kNoRow = 0xFFFF;
constexpr size_t kMaxSingleRows = kNoRow; // rows 0..65534 fit a 16-bit index
constexpr size_t kMaxMaskRows = 64;

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

// Frees a buffer that the step does not use, so that only one list-sized buffer is held at a time.
template <class V> void release(V &v)
{
    V().swap(v);
}

} // namespace

// ---- Rows by the keys a lookup asks for ----

// For every kind of lookup (the four keys, a 16-bit key 1..4, a byte key 1..8, a 32-bit key 1..2) the
// rows whose keys answer it, in table order.
class TStatStepFilter::RowMaps {
public:
    static constexpr int kMaps = 15;

    explicit RowMaps(const std::vector<TStatValueRec> &rows)
    {
        std::vector<std::pair<uint64_t, uint16_t>> pairs(rows.size());
        for (int m = 0; m < kMaps; ++m) {
            for (size_t r = 0; r < rows.size(); ++r)
                pairs[r] = {keyOf(rows[r].Keys, m), uint16_t(r)};
            std::stable_sort(pairs.begin(), pairs.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            Map &map = m_maps[size_t(m)];
            map.index.reserve(pairs.size());
            for (size_t i = 0; i < pairs.size();) {
                size_t j = i;
                while (j < pairs.size() && pairs[j].first == pairs[i].first)
                    ++j;
                map.index.insert(pairs[i].first, int(map.groups.size()));
                map.groups.push_back({int(m_flat.size()), int(j - i)});
                for (size_t k = i; k < j; ++k)
                    m_flat.push_back(pairs[k].second);
                i = j;
            }
        }
    }

    // The rows the lookup finds: a run of row indexes (count 0 for none).
    const uint16_t *rowsOf(const TStatProbe &probe, int &count) const
    {
        const Map &map = m_maps[size_t(mapOf(probe))];
        const int g = map.index.find(probe.key);
        if (g < 0) {
            count = 0;
            return nullptr;
        }
        const auto &[start, len] = map.groups[size_t(g)];
        count = len;
        return m_flat.data() + start;
    }

private:
    struct Map {
        TStatKeyIndex index;
        std::vector<std::pair<int, int>> groups;
    };

    static int mapOf(const TStatProbe &p)
    {
        switch (p.kind) {
        case TStatProbeKind::Word: return p.n;          // 1..4
        case TStatProbeKind::Byte: return 4 + p.n;      // 5..12
        case TStatProbeKind::DWord: return 12 + p.n;    // 13..14
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
};

// ---- Per-worker state ----

struct TStatStepFilter::Worker {
    std::unique_ptr<TCustomStat> stat;
    TStatProbeRecorder recorder;
    TStatDrawArray probeArray; // answers nothing, records every lookup
    TStatDrawArray values;     // the selected values (direct filtering)
    std::vector<int64_t> hist;
};

TStatStepFilter::TStatStepFilter() = default;
TStatStepFilter::~TStatStepFilter() = default;

template <class Keep> void TStatStepFilter::compact(Keep keep, bool withMasks)
{
    const int64_t n = m_count;
    TComb *combs = m_list->mutableData();
    uint64_t *masks = withMasks ? m_masks.data() : nullptr;
    const int chunks = chunkCount(n);
    std::vector<int64_t> kept(size_t(chunks), 0);
    const size_t rowCount = m_rows.size();
    if (withMasks)
        for (auto &w : m_workers)
            w->hist.assign(rowCount + 1, 0);
    // Each chunk first moves its own kept entries to its start (no chunk writes outside itself), then
    // the chunks are joined in order. The window is not served meanwhile: the list view reads the list.
    ParallelWork::run(chunks, [&](int chunk, int wi) {
        const ChunkRange range = chunkRange(chunk, n);
        int64_t out = range.begin;
        int64_t *hist = withMasks ? m_workers[size_t(wi)]->hist.data() : nullptr;
        for (int64_t i = range.begin; i < range.end; ++i) {
            if (!keep(i))
                continue;
            combs[out] = combs[i];
            if (withMasks) {
                const uint64_t m = masks[i];
                masks[out] = m;
                for (uint64_t bits = m; bits != 0; bits &= bits - 1)
                    ++hist[std::countr_zero(bits)];
            }
            ++out;
        }
        kept[size_t(chunk)] = out - range.begin;
    });
    int64_t to = 0;
    for (int c = 0; c < chunks; ++c) {
        const int64_t from = chunkRange(c, n).begin;
        const int64_t k = kept[size_t(c)];
        if (to != from && k > 0) {
            std::memmove(combs + to, combs + from, size_t(k) * sizeof(TComb));
            if (withMasks)
                std::memmove(masks + to, masks + from, size_t(k) * sizeof(uint64_t));
        }
        to += k;
    }
    m_count = to;
    if (withMasks) {
        m_hist.assign(rowCount + 1, 0);
        for (auto &w : m_workers)
            for (size_t r = 0; r <= rowCount; ++r)
                m_hist[r] += w->hist[r];
    }
}

void TStatStepFilter::begin(TCombsList &list, std::vector<TStatValueRec> rows, TSource source)
{
    m_list = &list;
    m_rows = std::move(rows);
    m_source = std::move(source);
    m_mode = Mode::Pending;
    m_count = list.count();
    m_changed = false;
    m_workers.clear();
    m_maps.reset();
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

void TStatStepFilter::buildIndex(bool deleting)
{
    makeWorkers(true);
    const bool byLookups = m_workers.front()->stat->TestsByKeyLookups();
    if (byLookups && m_rows.size() <= kMaxSingleRows) {
        m_maps = std::make_unique<RowMaps>(m_rows);
        if (recordPass(false)) {
            m_mode = Mode::Single;
            release(m_masks);
            release(m_flags);
            m_allowed.assign(m_rows.size() + 1, 1);
            return;
        }
        if (m_rows.size() <= kMaxMaskRows && recordPass(true)) {
            m_mode = Mode::Mask;
            release(m_rowOf);
            release(m_flags);
            return;
        }
    }
    // Filtered by the statistic's own test.
    (void)deleting;
    m_mode = Mode::Direct;
    m_maps.reset();
    release(m_rowOf);
    release(m_masks);
    for (auto &w : m_workers)
        w->probeArray.setRecorder(nullptr);
}

bool TStatStepFilter::recordPass(bool masks)
{
    const int64_t n = m_count;
    const TComb *combs = m_list->data();
    const size_t rowCount = m_rows.size();
    if (masks)
        m_masks.resize(size_t(n));
    else
        m_rowOf.resize(size_t(n));
    for (auto &w : m_workers)
        w->hist.assign(rowCount + 1, 0);

    std::atomic<bool> give_up{false};
    const int last = m_source.last;
    const bool sorted = m_source.sorted;
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int wi) {
            if (give_up.load(std::memory_order_relaxed))
                return;
            Worker &w = *m_workers[size_t(wi)];
            const ChunkRange range = chunkRange(chunk, n);
            int64_t *hist = w.hist.data();
            for (int64_t i = range.begin; i < range.end; ++i) {
                w.recorder.clear();
                w.stat->CombMatches(combs[i], w.probeArray, last, sorted, false);
                if (w.recorder.overflow()) {
                    give_up = true;
                    return;
                }
                if (masks) {
                    uint64_t m = 0;
                    for (int p = 0; p < w.recorder.count(); ++p) {
                        int hits = 0;
                        const uint16_t *rows = m_maps->rowsOf(w.recorder[p], hits);
                        for (int h = 0; h < hits; ++h)
                            m |= uint64_t(1) << rows[h];
                    }
                    m_masks[size_t(i)] = m;
                    for (uint64_t bits = m; bits != 0; bits &= bits - 1)
                        ++hist[std::countr_zero(bits)];
                } else {
                    int row = -1;
                    for (int p = 0; p < w.recorder.count(); ++p) {
                        int hits = 0;
                        const uint16_t *rows = m_maps->rowsOf(w.recorder[p], hits);
                        for (int h = 0; h < hits; ++h) {
                            if (row < 0) {
                                row = rows[h];
                            } else if (rows[h] != row) {
                                // A combination with two rows: a mask is needed.
                                give_up = true;
                                return;
                            }
                        }
                    }
                    m_rowOf[size_t(i)] = row < 0 ? kNoRow : uint16_t(row);
                    ++hist[row < 0 ? rowCount : size_t(row)];
                }
                if ((i & 4095) == 4095 && give_up.load(std::memory_order_relaxed))
                    return;
            }
        },
        m_source.idle);
    if (give_up)
        return false;
    m_hist.assign(rowCount + 1, 0);
    for (auto &w : m_workers)
        for (size_t r = 0; r <= rowCount; ++r)
            m_hist[r] += w->hist[r];
    return true;
}

int64_t TStatStepFilter::apply(const std::vector<int> &rows, bool deleting)
{
    if (m_mode == Mode::Idle || m_count == 0)
        return m_count;
    std::vector<int> selected;
    selected.reserve(rows.size());
    for (int r : rows)
        if (r >= 0 && size_t(r) < m_rows.size())
            selected.push_back(r);
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    // No value selected: the list stays as it is.
    if (selected.empty())
        return m_count;

    if (m_mode == Mode::Pending)
        buildIndex(deleting);

    if (m_mode == Mode::Mask)
        return applyMask(selected, deleting);
    if (m_mode == Mode::Direct)
        return applyDirect(selected, deleting);

    // Single: each combination has at most one row; only the set of allowed rows changes.
    int64_t matching = 0;
    for (int r : selected)
        if (m_allowed[size_t(r)])
            matching += m_hist[size_t(r)];
    const int64_t left = deleting ? m_count - matching : matching;
    if (left == 0)
        return 0;
    if (deleting) {
        for (int r : selected)
            m_allowed[size_t(r)] = 0;
    } else {
        std::vector<uint8_t> keep(m_allowed.size(), 0);
        for (int r : selected)
            keep[size_t(r)] = m_allowed[size_t(r)];
        m_allowed.swap(keep);
    }
    m_count = left;
    m_changed = true;
    return left;
}

int64_t TStatStepFilter::applyMask(const std::vector<int> &rows, bool deleting)
{
    uint64_t selection = 0;
    for (int r : rows)
        selection |= uint64_t(1) << r;
    const int64_t n = m_count;
    int64_t matching = 0;
    if (rows.size() == 1) {
        matching = m_hist[size_t(rows.front())];
    } else {
        std::vector<int64_t> counts(size_t(chunkCount(n)), 0);
        ParallelWork::run(chunkCount(n), [&](int chunk, int) {
            const ChunkRange range = chunkRange(chunk, n);
            int64_t c = 0;
            for (int64_t i = range.begin; i < range.end; ++i)
                c += (m_masks[size_t(i)] & selection) != 0;
            counts[size_t(chunk)] = c;
        });
        for (int64_t c : counts)
            matching += c;
    }
    const int64_t left = deleting ? n - matching : matching;
    if (left == 0)
        return 0;
    const uint64_t *masks = m_masks.data();
    compact([=](int64_t i) { return ((masks[i] & selection) != 0) != deleting; }, true);
    m_changed = true;
    return m_count;
}

int64_t TStatStepFilter::applyDirect(const std::vector<int> &rows, bool deleting)
{
    const int64_t n = m_count;
    const TComb *combs = m_list->data();
    for (auto &w : m_workers) {
        w->values.clear();
        for (int r : rows)
            w->values.append(m_rows[size_t(r)]);
    }
    m_flags.resize(size_t(n));
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
                m_flags[size_t(i)] = keep;
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
        const uint8_t *flags = m_flags.data();
        compact([=](int64_t i) { return flags[i] != 0; }, false);
        m_changed = true;
    }
    return m_count;
}

void TStatStepFilter::compactSingle()
{
    const uint16_t *rowOf = m_rowOf.data();
    const uint8_t *allowed = m_allowed.data();
    const size_t noRow = m_rows.size();
    m_count = m_list->count();
    compact([=](int64_t i) {
        const uint16_t r = rowOf[i];
        return allowed[r == kNoRow ? noRow : r] != 0;
    }, false);
}

void TStatStepFilter::finish()
{
    if (!m_list)
        return;
    if (m_changed) {
        if (m_mode == Mode::Single)
            compactSingle();
        m_list->truncate(m_count);
    }
    m_list->ClearUndoCount();
    m_list->RefreshCombsCount();
    m_workers.clear();
    m_maps.reset();
    m_mode = Mode::Idle;
    m_list = nullptr;
}
