#include "app/combinations/FullSetLookups.h"

#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatKeyIndex.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"
#include "app/combinations/ParallelWork.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <unordered_map>

namespace {

constexpr int64_t kAllCombinations = 8145060;
constexpr size_t kMaxSets = 65536;

bool probeLess(const TStatProbe &a, const TStatProbe &b)
{
    if (a.kind != b.kind)
        return a.kind < b.kind;
    if (a.n != b.n)
        return a.n < b.n;
    return a.key < b.key;
}

// The lookups of one combination in a fixed order, without repeats, and their hash.
struct ProbeSet {
    std::array<TStatProbe, TStatProbeRecorder::kCapacity> probes;
    int count = 0;
    uint64_t hash = 0;

    void take(const TStatProbeRecorder &r)
    {
        count = 0;
        for (int i = 0; i < r.count(); ++i) {
            // Insertion: a combination asks a handful of questions.
            const TStatProbe p = r[i];
            int j = 0;
            while (j < count && probeLess(probes[size_t(j)], p))
                ++j;
            if (j < count && probes[size_t(j)] == p)
                continue;
            for (int k = count; k > j; --k)
                probes[size_t(k)] = probes[size_t(k - 1)];
            probes[size_t(j)] = p;
            ++count;
        }
        uint64_t h = 0xcbf29ce484222325ull ^ uint64_t(count);
        for (int i = 0; i < count; ++i) {
            const TStatProbe &p = probes[size_t(i)];
            h = (h ^ ((uint64_t(p.kind) << 8) | p.n)) * 0x100000001b3ull;
            h = (h ^ p.key) * 0x9E3779B97F4A7C15ull;
            h ^= h >> 29;
        }
        hash = h;
    }
    bool equals(const std::vector<TStatProbe> &set) const
    {
        return set.size() == size_t(count) && std::equal(set.begin(), set.end(), probes.begin());
    }
    std::vector<TStatProbe> toVector() const { return {probes.begin(), probes.begin() + count}; }
};

} // namespace

const std::vector<TFullSetPrefix> &FullSetPrefixes()
{
    static const std::vector<TFullSetPrefix> list = [] {
        std::vector<TFullSetPrefix> p;
        int64_t start = 0;
        for (int a = 1; a <= kMaxNumber - 5; ++a)
            for (int b = a + 1; b <= kMaxNumber - 4; ++b) {
                const int64_t left = kMaxNumber - b; // four more numbers out of those above b
                const int64_t end = start + left * (left - 1) * (left - 2) * (left - 3) / 24;
                p.push_back({uint8_t(a), uint8_t(b), start, end});
                start = end;
            }
        return p;
    }();
    return list;
}

TFullSetLookups::TFullSetLookups(size_t budgetBytes) : m_budget(budgetBytes) {}

std::shared_ptr<const TFullSetLookups::Entry> TFullSetLookups::share(const Entry *entry) const
{
    for (const Slot &s : m_slots)
        if (s.entry.get() == entry)
            return s.entry;
    return nullptr;
}

void TFullSetLookups::clear()
{
    m_slots.clear();
    m_used = 0;
}

const TFullSetLookups::Entry *TFullSetLookups::get(const TStatMethod &method, const TStatList &stats, bool sorted,
                                                   const std::function<void()> &idle)
{
    const QString code = method.MethodCode();
    for (const Slot &s : m_slots)
        if (s.code == code && s.sorted == sorted)
            return s.entry.get();
    Slot slot{code, sorted, nullptr};
    if (m_used + size_t(kAllCombinations) <= m_budget)
        slot.entry = build(method, stats, sorted, idle);
    if (slot.entry)
        m_used += slot.entry->ids.size(); // the counts per prefix (1 MB at most) beside them are not counted
    m_slots.push_back(std::move(slot));
    return m_slots.back().entry.get();
}

std::unique_ptr<TFullSetLookups::Entry> TFullSetLookups::build(const TStatMethod &method, const TStatList &stats,
                                                               bool sorted, const std::function<void()> &idle)
{
    // Values of the six numbers alone: the draws never change what a combination asks.
    if (!method.StatClass || !method.StatClass->HasKindN())
        return nullptr;
    struct Worker {
        std::unique_ptr<TCustomStat> stat;
        TStatProbeRecorder recorder;
        TStatDrawArray probeArray;
        ProbeSet set;
        TStatKeyIndex local; // hash -> index into sets
        std::vector<std::vector<TStatProbe>> sets;
        std::vector<uint64_t> hashes; // of each of sets
        std::vector<int64_t> counts;  // the combinations of each of sets
        bool tooManySets = false;
        // One question per number, the same wherever the number stands, while no combination says no.
        bool perNumber = true;
        std::array<TStatProbe, kMaxNumber + 1> numberProbe{};
        std::array<bool, kMaxNumber + 1> numberSeen{};
    };
    std::vector<std::unique_ptr<Worker>> workers;
    for (int w = 0; w < ParallelWork::workerCount(); ++w) {
        auto worker = std::make_unique<Worker>();
        worker->stat = method.CreateStat(stats);
        if (!worker->stat || !worker->stat->TestsByKeyLookups())
            return nullptr;
        worker->stat->LoadDraw(-1, 0, sorted);
        worker->probeArray.setRecorder(&worker->recorder);
        workers.push_back(std::move(worker));
    }

    // 1. The different sets, numbered by each worker as it meets them, and the worker's number of the
    // set of every combination; too many sets (or two sets with one hash) and the method is kept only
    // when it asks one question per number.
    std::atomic<bool> give_up{false};
    const std::vector<TFullSetPrefix> &tasks = FullSetPrefixes();
    auto checkPerNumber = [](Worker &w, const TComb &c) {
        if (w.recorder.count() != kMainCount) {
            w.perNumber = false;
            return;
        }
        for (int k = 0; k < kMainCount; ++k) {
            const size_t n = c[size_t(k)];
            if (!w.numberSeen[n]) {
                w.numberSeen[n] = true;
                w.numberProbe[n] = w.recorder[k];
            } else if (!(w.numberProbe[n] == w.recorder[k])) {
                w.perNumber = false;
                return;
            }
        }
    };
    std::vector<uint16_t> localIds(static_cast<size_t>(kAllCombinations));
    std::vector<uint8_t> taskWorker(tasks.size());
    ParallelWork::run(
        int(tasks.size()),
        [&](int task, int wi) {
            Worker &w = *workers[size_t(wi)];
            taskWorker[size_t(task)] = uint8_t(wi);
            ForEachOfPrefix(tasks[size_t(task)], [&](const TComb &c, int64_t index) {
                if (give_up.load(std::memory_order_relaxed))
                    return;
                w.recorder.clear();
                w.stat->CombMatches(c, w.probeArray, 0, sorted, false);
                if (w.recorder.overflow()) {
                    give_up = true;
                    return;
                }
                if (w.perNumber)
                    checkPerNumber(w, c);
                if (!w.tooManySets) {
                    w.set.take(w.recorder);
                    int id = w.local.find(w.set.hash);
                    if (id < 0) {
                        id = int(w.sets.size());
                        w.local.insert(w.set.hash, id);
                        w.sets.push_back(w.set.toVector());
                        w.hashes.push_back(w.set.hash);
                        w.counts.push_back(0);
                        w.tooManySets = w.sets.size() > kMaxSets;
                    } else if (!w.set.equals(w.sets[size_t(id)])) {
                        w.tooManySets = true;
                    }
                    if (w.tooManySets) {
                        w.local.clear();
                        w.sets.clear();
                        w.hashes.clear();
                        w.counts.clear();
                    } else {
                        localIds[size_t(index)] = uint16_t(id);
                        ++w.counts[size_t(id)];
                    }
                }
                if (w.tooManySets && !w.perNumber)
                    give_up = true;
            });
        },
        idle);
    if (give_up)
        return nullptr;
    bool tooManySets = false;
    bool perNumber = true;
    std::array<TStatProbe, kMaxNumber + 1> numberProbe{};
    std::array<bool, kMaxNumber + 1> numberSeen{};
    for (const auto &w : workers) {
        tooManySets = tooManySets || w->tooManySets;
        perNumber = perNumber && w->perNumber;
        for (size_t n = 1; perNumber && n <= size_t(kMaxNumber); ++n) {
            if (!w->numberSeen[n])
                continue;
            if (numberSeen[n] && !(numberProbe[n] == w->numberProbe[n]))
                perNumber = false;
            numberSeen[n] = true;
            numberProbe[n] = w->numberProbe[n];
        }
    }
    auto entry = std::make_unique<Entry>();
    if (tooManySets) {
        if (!perNumber)
            return nullptr;
        entry->perNumber = true;
        entry->numberProbe = numberProbe;
        return entry;
    }
    // The sets of all workers, and each worker's numbers of them in the common numbering.
    std::unordered_map<uint64_t, uint32_t> global;
    std::vector<std::vector<uint16_t>> toGlobal(workers.size());
    for (size_t wi = 0; wi < workers.size(); ++wi) {
        const Worker &w = *workers[wi];
        toGlobal[wi].resize(w.sets.size());
        for (size_t local = 0; local < w.sets.size(); ++local) {
            const auto [it, added] = global.try_emplace(w.hashes[local], uint32_t(entry->sets.size()));
            if (added) {
                entry->sets.push_back(w.sets[local]);
                entry->counts.push_back(0);
            } else if (entry->sets[it->second] != w.sets[local]) {
                return nullptr;
            }
            toGlobal[wi][local] = uint16_t(it->second);
            entry->counts[it->second] += w.counts[local];
        }
        if (entry->sets.size() > kMaxSets)
            return nullptr;
    }
    entry->width = entry->sets.size() <= 256 ? 1 : 2;
    if (m_used + size_t(kAllCombinations) * size_t(entry->width) > m_budget)
        return nullptr;

    // 2. The set of every combination in the common numbering.
    entry->ids.resize(size_t(kAllCombinations) * size_t(entry->width));
    uint8_t *ids = entry->ids.data();
    const int width = entry->width;
    if (width == 1)
        entry->prefixCounts.assign(tasks.size() * 256, 0);
    uint32_t *prefixCounts = entry->prefixCounts.data();
    ParallelWork::run(
        int(tasks.size()),
        [&](int task, int) {
            const uint16_t *map = toGlobal[taskWorker[size_t(task)]].data();
            const int64_t begin = tasks[size_t(task)].start;
            const int64_t end = tasks[size_t(task)].end;
            const uint16_t *from = localIds.data();
            uint8_t *to = ids;
            uint32_t *const counts = width == 1 ? prefixCounts + size_t(task) * 256 : nullptr;
            for (int64_t i = begin; i < end; ++i) {
                const uint16_t id = map[from[i]];
                if (width == 1) {
                    to[i] = uint8_t(id);
                    ++counts[id];
                } else {
                    to[2 * size_t(i)] = uint8_t(id);
                    to[2 * size_t(i) + 1] = uint8_t(id >> 8);
                }
            }
        },
        idle);
    return entry;
}
