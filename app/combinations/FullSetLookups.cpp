#include "app/combinations/FullSetLookups.h"

#include "lottery/stats/CustomStat.h"
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

// The tasks of a pass over the full set: every pair of first numbers, with the place of its first
// combination in the full list.
struct Prefix {
    uint8_t a;
    uint8_t b;
    int64_t start;
};

const std::vector<Prefix> &prefixes()
{
    static const std::vector<Prefix> list = [] {
        std::vector<Prefix> p;
        int64_t start = 0;
        for (int a = 1; a <= kMaxNumber - 5; ++a)
            for (int b = a + 1; b <= kMaxNumber - 4; ++b) {
                p.push_back({uint8_t(a), uint8_t(b), start});
                const int64_t left = kMaxNumber - b;
                start += left * (left - 1) * (left - 2) * (left - 3) / 24;
            }
        return p;
    }();
    return list;
}

template <class F> void forEachOfPrefix(const Prefix &prefix, F &&f)
{
    TComb c;
    c[0] = prefix.a;
    c[1] = prefix.b;
    int64_t index = prefix.start;
    for (int d = prefix.b + 1; d <= kMaxNumber - 3; ++d) {
        c[2] = uint8_t(d);
        for (int e = d + 1; e <= kMaxNumber - 2; ++e) {
            c[3] = uint8_t(e);
            for (int g = e + 1; g <= kMaxNumber - 1; ++g) {
                c[4] = uint8_t(g);
                for (int h = g + 1; h <= kMaxNumber; ++h) {
                    c[5] = uint8_t(h);
                    f(c, index++);
                }
            }
        }
    }
}

} // namespace

TFullSetLookups::TFullSetLookups(size_t budgetBytes) : m_budget(budgetBytes) {}

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
        m_used += slot.entry->ids.size();
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
        std::unordered_map<uint64_t, uint32_t> local; // hash -> index into sets
        std::vector<std::vector<TStatProbe>> sets;
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

    // 1. The different sets; too many of them (or two sets with one hash) and the method is kept only
    // when it asks one question per number.
    std::atomic<bool> give_up{false};
    const std::vector<Prefix> &tasks = prefixes();
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
    ParallelWork::run(
        int(tasks.size()),
        [&](int task, int wi) {
            Worker &w = *workers[size_t(wi)];
            forEachOfPrefix(tasks[size_t(task)], [&](const TComb &c, int64_t) {
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
                    const auto [it, added] = w.local.try_emplace(w.set.hash, uint32_t(w.sets.size()));
                    if (added) {
                        w.sets.push_back(w.set.toVector());
                        w.tooManySets = w.sets.size() > kMaxSets;
                    } else if (!w.set.equals(w.sets[it->second])) {
                        w.tooManySets = true;
                    }
                    if (w.tooManySets) {
                        w.local.clear();
                        w.sets.clear();
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
    std::unordered_map<uint64_t, uint32_t> global;
    for (const auto &w : workers) {
        for (const auto &[hash, index] : w->local) {
            const auto [it, added] = global.try_emplace(hash, uint32_t(entry->sets.size()));
            if (added)
                entry->sets.push_back(w->sets[index]);
            else if (entry->sets[it->second] != w->sets[index])
                return nullptr;
        }
        if (entry->sets.size() > kMaxSets)
            return nullptr;
    }
    entry->width = entry->sets.size() <= 256 ? 1 : 2;
    if (m_used + size_t(kAllCombinations) * size_t(entry->width) > m_budget)
        return nullptr;

    // 2. The set of every combination, and how many combinations each set has.
    entry->ids.resize(size_t(kAllCombinations) * size_t(entry->width));
    uint8_t *ids = entry->ids.data();
    const int width = entry->width;
    const size_t setCount = entry->sets.size();
    std::vector<std::vector<int64_t>> counts(workers.size(), std::vector<int64_t>(setCount + 32, 0));
    ParallelWork::run(
        int(tasks.size()),
        [&](int task, int wi) {
            Worker &w = *workers[size_t(wi)];
            int64_t *count = counts[size_t(wi)].data() + 16;
            forEachOfPrefix(tasks[size_t(task)], [&](const TComb &c, int64_t index) {
                w.recorder.clear();
                w.stat->CombMatches(c, w.probeArray, 0, sorted, false);
                w.set.take(w.recorder);
                const uint32_t id = global.find(w.set.hash)->second;
                ++count[id];
                if (width == 1) {
                    ids[index] = uint8_t(id);
                } else {
                    ids[2 * size_t(index)] = uint8_t(id);
                    ids[2 * size_t(index) + 1] = uint8_t(id >> 8);
                }
            });
        },
        idle);
    entry->counts.assign(setCount, 0);
    for (const auto &c : counts)
        for (size_t id = 0; id < setCount; ++id)
            entry->counts[id] += c[16 + id];
    return entry;
}
