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

namespace {

// One worker of the first pass over the full set: the statistic whose lookups it records, the sets it
// met (numbered as it met them), and whether what it saw asks one question per number.
struct SetRecorder {
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

    void checkPerNumber(const TComb &c)
    {
        if (recorder.count() != kMainCount) {
            perNumber = false;
            return;
        }
        for (int k = 0; k < kMainCount; ++k) {
            const size_t n = c[size_t(k)];
            if (!numberSeen[n]) {
                numberSeen[n] = true;
                numberProbe[n] = recorder[k];
            } else if (!(numberProbe[n] == recorder[k])) {
                perNumber = false;
                return;
            }
        }
    }
    // The worker's number of the set the combination just recorded, -1 once there are too many sets
    // (or two sets with one hash): the sets are then forgotten.
    int takeSet()
    {
        if (tooManySets)
            return -1;
        set.take(recorder);
        int id = local.find(set.hash);
        if (id < 0) {
            id = int(sets.size());
            local.insert(set.hash, id);
            sets.push_back(set.toVector());
            hashes.push_back(set.hash);
            counts.push_back(0);
            tooManySets = sets.size() > kMaxSets;
        } else if (!set.equals(sets[size_t(id)])) {
            tooManySets = true;
        }
        if (tooManySets) {
            local.clear();
            sets.clear();
            hashes.clear();
            counts.clear();
            return -1;
        }
        ++counts[size_t(id)];
        return id;
    }
};

using SetRecorders = std::vector<std::unique_ptr<SetRecorder>>;

// A worker per core for the method, none when its test does not work through key lookups.
SetRecorders makeRecorders(const TStatMethod &method, const TStatList &stats, bool sorted)
{
    SetRecorders workers;
    for (int w = 0; w < ParallelWork::workerCount(); ++w) {
        auto worker = std::make_unique<SetRecorder>();
        worker->stat = method.CreateStat(stats);
        if (!worker->stat || !worker->stat->TestsByKeyLookups())
            return {};
        worker->stat->LoadDraw(-1, 0, sorted);
        worker->probeArray.setRecorder(&worker->recorder);
        workers.push_back(std::move(worker));
    }
    return workers;
}

// What the first pass found: each worker's number of the set of every combination, and which worker
// walked each prefix.
struct RecordedSets {
    std::vector<uint16_t> localIds;
    std::vector<uint8_t> taskWorker;
};

// The first pass: every combination's lookups recorded by the worker of its prefix. False when a
// combination asked more than a record holds, or when there are too many sets for a method that does
// not ask one question per number.
bool recordSets(SetRecorders &workers, bool sorted, RecordedSets &out, const std::function<void()> &idle)
{
    std::atomic<bool> giveUp{false};
    const std::vector<TFullSetPrefix> &tasks = FullSetPrefixes();
    out.localIds.assign(static_cast<size_t>(kAllCombinations), 0);
    out.taskWorker.assign(tasks.size(), 0);
    ParallelWork::run(
        int(tasks.size()),
        [&](int task, int wi) {
            SetRecorder &w = *workers[size_t(wi)];
            out.taskWorker[size_t(task)] = uint8_t(wi);
            ForEachOfPrefix(tasks[size_t(task)], [&](const TComb &c, int64_t index) {
                if (giveUp.load(std::memory_order_relaxed))
                    return;
                w.recorder.clear();
                w.stat->CombMatches(c, w.probeArray, 0, sorted, false);
                if (w.recorder.overflow()) {
                    giveUp = true;
                    return;
                }
                if (w.perNumber)
                    w.checkPerNumber(c);
                const int id = w.takeSet();
                if (id >= 0)
                    out.localIds[size_t(index)] = uint16_t(id);
                if (w.tooManySets && !w.perNumber)
                    giveUp = true;
            });
        },
        idle);
    return !giveUp;
}

// The entry of a method that asks one question per number, when every worker saw the same question
// for each number; nullptr otherwise.
std::unique_ptr<TFullSetLookups::Entry> perNumberEntry(const SetRecorders &workers)
{
    auto entry = std::make_unique<TFullSetLookups::Entry>();
    std::array<bool, kMaxNumber + 1> seen{};
    for (const auto &w : workers) {
        if (!w->perNumber)
            return nullptr;
        for (size_t n = 1; n <= size_t(kMaxNumber); ++n) {
            if (!w->numberSeen[n])
                continue;
            if (seen[n] && !(entry->numberProbe[n] == w->numberProbe[n]))
                return nullptr;
            seen[n] = true;
            entry->numberProbe[n] = w->numberProbe[n];
        }
    }
    entry->perNumber = true;
    return entry;
}

// The sets of all workers into the entry, and each worker's numbers of them in the common numbering;
// false when two different sets share a hash or there are too many.
bool mergeSets(const SetRecorders &workers, TFullSetLookups::Entry &entry, std::vector<std::vector<uint16_t>> &toGlobal)
{
    std::unordered_map<uint64_t, uint32_t> global;
    toGlobal.assign(workers.size(), {});
    for (size_t wi = 0; wi < workers.size(); ++wi) {
        const SetRecorder &w = *workers[wi];
        toGlobal[wi].resize(w.sets.size());
        for (size_t local = 0; local < w.sets.size(); ++local) {
            const auto [it, added] = global.try_emplace(w.hashes[local], uint32_t(entry.sets.size()));
            if (added) {
                entry.sets.push_back(w.sets[local]);
                entry.counts.push_back(0);
            } else if (entry.sets[it->second] != w.sets[local]) {
                return false;
            }
            toGlobal[wi][local] = uint16_t(it->second);
            entry.counts[it->second] += w.counts[local];
        }
        if (entry.sets.size() > kMaxSets)
            return false;
    }
    entry.width = entry.sets.size() <= 256 ? 1 : 2;
    return true;
}

// The second pass: the set of every combination in the common numbering (and, one byte a set, the
// combinations of each set within each prefix).
void writeIds(const RecordedSets &recorded, const std::vector<std::vector<uint16_t>> &toGlobal,
              TFullSetLookups::Entry &entry, const std::function<void()> &idle)
{
    const std::vector<TFullSetPrefix> &tasks = FullSetPrefixes();
    entry.ids.resize(size_t(kAllCombinations) * size_t(entry.width));
    uint8_t *ids = entry.ids.data();
    const int width = entry.width;
    if (width == 1)
        entry.prefixCounts.assign(tasks.size() * 256, 0);
    uint32_t *prefixCounts = entry.prefixCounts.data();
    ParallelWork::run(
        int(tasks.size()),
        [&](int task, int) {
            const uint16_t *map = toGlobal[recorded.taskWorker[size_t(task)]].data();
            const int64_t begin = tasks[size_t(task)].start;
            const int64_t end = tasks[size_t(task)].end;
            const uint16_t *from = recorded.localIds.data();
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
}

} // namespace

std::unique_ptr<TFullSetLookups::Entry> TFullSetLookups::build(const TStatMethod &method, const TStatList &stats,
                                                               bool sorted, const std::function<void()> &idle)
{
    // Values of the six numbers alone: the draws never change what a combination asks.
    if (!method.StatClass || !method.StatClass->HasKindN())
        return nullptr;
    SetRecorders workers = makeRecorders(method, stats, sorted);
    if (workers.empty())
        return nullptr;
    // 1. The different sets, numbered by each worker as it meets them, and the worker's number of the
    // set of every combination; too many sets (or two sets with one hash) and the method is kept only
    // when it asks one question per number.
    RecordedSets recorded;
    if (!recordSets(workers, sorted, recorded, idle))
        return nullptr;
    const bool tooManySets =
        std::any_of(workers.begin(), workers.end(), [](const auto &w) { return w->tooManySets; });
    if (tooManySets)
        return perNumberEntry(workers);
    auto entry = std::make_unique<Entry>();
    std::vector<std::vector<uint16_t>> toGlobal;
    if (!mergeSets(workers, *entry, toGlobal))
        return nullptr;
    if (m_used + size_t(kAllCombinations) * size_t(entry->width) > m_budget)
        return nullptr;
    // 2. The set of every combination in the common numbering.
    writeIds(recorded, toGlobal, *entry, idle);
    return entry;
}
