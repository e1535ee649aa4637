#include "lottery/stats/StatValue.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

TStatLookupCache::TStatLookupCache(const std::vector<TStatValueRec> &recs) : m_words(4 * 1024, 0)
{
    for (const TStatValueRec &r : recs) {
        for (int n = 1; n <= 4; ++n) {
            const uint16_t w = r.Keys.word(n);
            m_words[size_t(n - 1) * 1024 + (w >> 6)] |= uint64_t(1) << (w & 63);
        }
        for (int n = 1; n <= 8; ++n) {
            const uint8_t b = r.Keys.byte(n);
            m_bytes[size_t(n - 1) * 4 + (b >> 6)] |= uint64_t(1) << (b & 63);
        }
        for (int n = 1; n <= 2; ++n) {
            const uint32_t d = r.Keys.dword(n);
            if (m_dwords[size_t(n - 1)].find(d) < 0)
                m_dwords[size_t(n - 1)].insert(d, 0);
        }
    }
}

TStatDrawArray::TStatDrawArray() = default;
TStatDrawArray::~TStatDrawArray() = default;
TStatDrawArray::TStatDrawArray(TStatDrawArray &&other) noexcept = default;
TStatDrawArray &TStatDrawArray::operator=(TStatDrawArray &&other) noexcept = default;

TStatDrawArray::TStatDrawArray(const TStatDrawArray &other) : m_recs(other.m_recs), m_index(other.m_index) {}

TStatDrawArray &TStatDrawArray::operator=(const TStatDrawArray &other)
{
    if (this != &other) {
        m_recs = other.m_recs;
        m_index = other.m_index;
        changed();
    }
    return *this;
}

void TStatDrawArray::changed()
{
    m_cache.reset();
    m_queries = 0;
}

void TStatDrawArray::append(const TStatValueRec &rec)
{
    const uint64_t key = rec.Keys.packed();
    if (m_index.find(key) < 0)
        m_index.insert(key, size());
    m_recs.push_back(rec);
    changed();
}

void TStatDrawArray::removeAt(int i)
{
    if (i < 0 || i >= size())
        return;
    m_recs.erase(m_recs.begin() + i);
    rebuildIndex();
    changed();
}

void TStatDrawArray::clear()
{
    m_recs.clear();
    m_index.clear();
    changed();
}

void TStatDrawArray::reserve(int count)
{
    if (count <= 0)
        return;
    m_recs.reserve(size_t(count));
    m_index.reserve(size_t(count));
}

void TStatDrawArray::rebuildIndex()
{
    m_index.clear();
    for (int i = 0; i < size(); ++i) {
        const uint64_t key = m_recs[size_t(i)].Keys.packed();
        if (m_index.find(key) < 0)
            m_index.insert(key, i);
    }
}

const TStatLookupCache *TStatDrawArray::cache() const
{
    if (!m_cache) {
        if (m_recs.size() <= 8 || ++m_queries < 3)
            return nullptr;
        m_cache = std::make_unique<TStatLookupCache>(m_recs);
    }
    return m_cache.get();
}

bool TStatDrawArray::scanWordKey(int n, uint16_t w) const
{
    if (n < 1 || n > 4)
        return false;
    if (const TStatLookupCache *c = cache())
        return c->word(n, w);
    for (const TStatValueRec &r : m_recs)
        if (r.Keys.word(n) == w)
            return true;
    return false;
}

bool TStatDrawArray::scanByteKey(int n, uint8_t b) const
{
    if (n < 1 || n > 8)
        return false;
    if (const TStatLookupCache *c = cache())
        return c->byte(n, b);
    for (const TStatValueRec &r : m_recs)
        if (r.Keys.byte(n) == b)
            return true;
    return false;
}

bool TStatDrawArray::scanDWordKey(int n, uint32_t d) const
{
    if (n < 1 || n > 2)
        return false;
    if (const TStatLookupCache *c = cache())
        return c->dword(n, d);
    for (const TStatValueRec &r : m_recs)
        if (r.Keys.dword(n) == d)
            return true;
    return false;
}

void TStatDrawArray::mergeRecord(const TStatValueRec &rec, bool withIntervals)
{
    const uint64_t key = rec.Keys.packed();
    const int pos = m_index.find(key);
    if (pos < 0) {
        TStatValueRec added = rec;
        added.Norm = 0;
        m_index.insert(key, size());
        m_recs.push_back(added);
        changed();
        return;
    }
    TStatValueRec &e = m_recs[size_t(pos)];
    e.Count += rec.Count;
    if (e.Depth == 0 || (rec.Depth >= 1 && rec.Depth <= e.Depth)) {
        e.LastDraw = rec.LastDraw;
        e.Depth = rec.Depth;
    }
    // A second occurrence in the same draw is no interval: it would otherwise wipe out the shortest gap
    // found so far. Gaps beyond 16 bits are held at the largest value.
    if (withIntervals && rec.LastDraw >= 1 && e.PrevDraw >= 1 && rec.LastDraw != e.PrevDraw) {
        const int64_t d = std::min<int64_t>(std::llabs(int64_t(e.PrevDraw) - rec.LastDraw), 65535);
        const auto gap = static_cast<uint16_t>(d);
        if (e.MinInterval == 0 || gap < e.MinInterval)
            e.MinInterval = gap;
        if (e.MaxInterval == 0 || gap > e.MaxInterval)
            e.MaxInterval = gap;
    }
    e.PrevDraw = rec.LastDraw;
}

void TStatTally::weightOutOfRange()
{
    throw std::out_of_range("a tally's weight stands for more combinations than the game has");
}

void TStatTally::addTally(const TStatTally &other)
{
    for (size_t i = 0; i < kDirectKeys; ++i)
        if (other.directPresent(i)) {
            if (!directPresent(i) || other.m_direct[i] <= 0)
                m_directSeen[i >> 6] |= uint64_t(1) << (i & 63);
            m_direct[i] += other.m_direct[i];
        }
    other.m_others.forEach([this](uint64_t key, int64_t count) { m_others[key] += count; });
}

std::vector<TStatTally::Entry> TStatTally::entries() const
{
    std::vector<Entry> out;
    for (size_t i = 0; i < kDirectKeys; ++i)
        if (directPresent(i))
            out.push_back(Entry{directKey(i), m_direct[i]});
    m_others.forEach([&out](uint64_t key, int64_t count) { out.push_back(Entry{key, count}); });
    return out;
}

int CompareStatKeys(const TStatValueRec &a, const TStatValueRec &b)
{
    for (int n = 1; n <= 4; ++n) {
        const int d = int(a.Keys.word(n)) - int(b.Keys.word(n));
        if (d != 0)
            return d;
    }
    return 0;
}

void SortStatValues(TStatDrawArray &values)
{
    values.stableSort([](const TStatValueRec &a, const TStatValueRec &b) { return CompareStatKeys(a, b) < 0; });
}

TStatValuesSummary StatValuesSummary(const TStatDrawArray &values)
{
    TStatValuesSummary s;
    for (const TStatValueRec &r : values) {
        s.MinCount = std::min(s.MinCount, r.Count);
        s.MaxCount = std::max(s.MaxCount, r.Count);
        s.MaxDepth = std::max(s.MaxDepth, r.Depth);
        s.Total += r.Count;
    }
    return s;
}

long double StatValueWeight(const TWeightCoefs &coefs, bool normsKnown, int32_t count, int32_t norm, int32_t depth,
                            int64_t total, int32_t maxDepth)
{
    // 64-bit products: the counts over all combinations would overflow 32 bits when multiplied by 100.
    const int64_t dev = normsKnown ? int64_t(count) - norm : 0;
    long double c, v, l;
    if (coefs.usePercents) {
        c = total != 0 ? static_cast<long double>(int64_t(count) * 100) / static_cast<long double>(total) : 0;
        v = normsKnown && norm != 0 ? static_cast<long double>(dev * 100) / norm : 0;
        l = maxDepth != 0 ? static_cast<long double>(int64_t(depth) * 100) / maxDepth : 0;
    } else {
        c = count;
        v = static_cast<long double>(dev);
        l = depth;
    }
    if (coefs.useAbsValues) {
        c = std::fabs(c);
        v = std::fabs(v);
        l = std::fabs(l);
    }
    const long double w = coefs.count * c + coefs.deviation * v + coefs.level * l;
    return std::isfinite(w) ? w : kBadStatWeight;
}

void AddSimpleStat(TStatSimpleArray &list, int32_t key, int32_t count)
{
    for (TStatSimpleRec &r : list)
        if (r.Key == key) {
            if (count >= 1)
                r.Count += count;
            return;
        }
    list.push_back(TStatSimpleRec{key, count});
}

void SortSimpleStat(TStatSimpleArray &list)
{
    std::stable_sort(list.begin(), list.end(),
                     [](const TStatSimpleRec &a, const TStatSimpleRec &b) { return a.Key < b.Key; });
}

int UpdateLastValue(const TLastValueRec &rec, TLastValueArray &list)
{
    const uint64_t key = rec.Keys.packed();
    const int pos = list.m_index.find(key);
    if (pos < 0) {
        list.m_index.insert(key, list.size());
        list.m_recs.push_back(rec);
        return -1;
    }
    TLastValueRec &e = list.m_recs[size_t(pos)];
    const int gap = rec.DrawNumber - e.DrawNumber;
    e.DrawNumber = rec.DrawNumber;
    return gap;
}

TPrefetchRec StatValueToPrefetch(const TStatValueRec &value)
{
    const TStatKeys &k = value.Keys;
    return TPrefetchRec{{k.word(1), k.word(2), k.word(3), k.word(4)}, value.Count};
}

TStatValueRec PrefetchToStatValue(const TPrefetchRec &rec)
{
    TStatValueRec v;
    v.Keys.set(rec.Keys[0], rec.Keys[1], rec.Keys[2], rec.Keys[3]);
    v.Count = rec.Count;
    return v;
}

void WritePrefetchRec(const TPrefetchRec &rec, uint8_t *out)
{
    for (int i = 0; i < 4; ++i) {
        out[2 * i] = static_cast<uint8_t>(rec.Keys[size_t(i)] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>(rec.Keys[size_t(i)] >> 8);
    }
    const auto c = static_cast<uint32_t>(rec.Count);
    for (int i = 0; i < 4; ++i)
        out[8 + i] = static_cast<uint8_t>((c >> (8 * i)) & 0xFF);
}

TPrefetchRec ReadPrefetchRec(const uint8_t *in)
{
    TPrefetchRec rec;
    for (int i = 0; i < 4; ++i)
        rec.Keys[size_t(i)] = static_cast<uint16_t>(in[2 * i] | (in[2 * i + 1] << 8));
    uint32_t c = 0;
    for (int i = 0; i < 4; ++i)
        c |= uint32_t(in[8 + i]) << (8 * i);
    rec.Count = static_cast<int32_t>(c);
    return rec;
}
