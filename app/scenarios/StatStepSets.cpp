// The statistics step by sets: a method of the six numbers alone whose lookups the run keeps for every
// combination of the full set; each combination of the list reads its set there, the combinations of
// each set are counted, and the rows applied only change which sets are alive.
#include "app/scenarios/StatStepRebuild.h"

#include "lottery/stats/StatMethod.h"

#include <algorithm>
#include <atomic>

using namespace StepWork;

namespace {

// The set of each combination (the kept lookups' own when the list is the full set or a subset of it
// left unwritten, else the step's buffer; as wide as the entry's); the combinations of each set in the
// list; the sets still alive (a flag per set, and their list); the candidates each set answers
// (candidates from candidateStart[set] on). overSubset: the list is a subset of the full set left unwritten, walked
// place by place over the full set, what the steps before kept flagged in subsetFlags (the buffer).
class TSetsWay : public TStepWay {
public:
    TSetsWay(const TStepInput &in, TStepList &list, const TFullSetLookups::Entry &entry)
        : m_in(in), m_list(list), m_entry(entry)
    {
    }
    TStatStepFilter::Mode mode() const override { return TStatStepFilter::Mode::Sets; }
    bool countSets();
    int64_t apply(const std::vector<int> &candidates, bool deleting) override;
    void finish() override;
    // Every combination's set was read at its place in the full set.
    bool foundAscending() const override { return true; }

private:
    void findSetCandidates();
    void countSetsOverSubset();
    bool countSetsOfList();
    void takeSetCounts(std::vector<int64_t> counts);
    void rebuildSubset();
    // The survivors' weights and sums for a method of sets whose test asks for a sum of weights of the
    // numbers; false for the others.
    bool survivorsOfSets(TStepCarried::SumsKept &survivors) const;
    // What each prefix of the full set keeps: the flags of the places when given, else the sets alive.
    std::vector<int64_t> prefixKept(uint8_t *flags);
    bool leaveSubset();

    const TStepInput &m_in;
    TStepList &m_list;
    const TFullSetLookups::Entry &m_entry;
    const uint8_t *m_ids = nullptr;
    std::vector<int64_t> m_perSet;
    std::vector<uint8_t> m_alive;
    std::vector<uint32_t> m_live;
    std::vector<int32_t> m_candidateStart;
    std::vector<int32_t> m_candidates;
    std::vector<uint8_t> m_selected; // scratch of a row applied: the candidates selected
    std::vector<uint8_t> m_matches;  // and the sets that answer them
    bool m_overSubset = false;
    uint8_t *m_subsetFlags = nullptr;
};

} // namespace

bool TSetsWay::countSets()
{
    findSetCandidates();
    // The set of every combination of the list, and the combinations of each set.
    const TFullSetLookups::Entry &entry = m_entry;
    const TStepCarried::NextSets &given = m_list.carried().nextSetsGiven;
    if (m_list.combs().isFullSet()) {
        m_ids = entry.ids.data();
        takeSetCounts(entry.counts);
    } else if (m_list.carried().leftSubset && m_list.combs().unwrittenState() == m_list.carried().leftSubset.get()) {
        countSetsOverSubset();
    } else if (given.entry == &m_entry && m_list.holdsFor(given.revision, given.valid)) {
        // Given by the step before, while it rebuilt the list.
        m_ids = given.ids.data();
        takeSetCounts(given.counts);
    } else if (!countSetsOfList()) {
        return false;
    }
    return true;
}

void TSetsWay::findSetCandidates()
{
    // The candidates each set answers, without repeats.
    const TFullSetLookups::Entry &entry = m_entry;
    const size_t sets = entry.sets.size();
    m_candidateStart.assign(sets + 1, 0);
    m_candidates.clear();
    std::vector<int32_t> found;
    for (size_t id = 0; id < sets; ++id) {
        found.clear();
        for (const TStatProbe &p : entry.sets[id]) {
            int hits = 0;
            uint64_t bits = 0;
            const uint16_t *c = m_in.candidateMaps->find(p, hits, bits);
            found.insert(found.end(), c, c + hits);
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        m_candidates.insert(m_candidates.end(), found.begin(), found.end());
        m_candidateStart[id + 1] = int32_t(m_candidates.size());
    }
}

void TSetsWay::countSetsOverSubset()
{
    // The full set's combinations of the sets the steps before kept, not written: the sets are read at
    // the combinations' places in the full set and counted over those kept there.
    const TFullSetLookups::Entry &entry = m_entry;
    const size_t sets = entry.sets.size();
    const TFullSetSubset &subset = *m_list.carried().leftSubset;
    const int64_t total = FullSetPrefixes().back().end;
    m_overSubset = true;
    m_ids = entry.ids.data();
    // What the steps before kept, place by place, stays for the end of the step.
    uint8_t *const flags = m_list.buffer(size_t(total));
    m_subsetFlags = flags;
    WorkerCounts perSet(sets);
    ParallelWork::run(
        chunkCount(total),
        [&](int chunk, int wi) {
            const Range range = chunkRange(chunk, total);
            const int64_t n = range.end - range.begin;
            uint8_t *const kept = flags + range.begin;
            subset.mark(range.begin, range.end, kept);
            if (entry.width == 1) {
                const uint8_t *const ids = entry.ids.data() + range.begin;
                ByteSetCounts counts;
                for (int64_t k = 0; k < n; ++k)
                    counts.add(k, ids[k], kept[k]);
                counts.addTo(perSet.of(wi), sets);
            } else {
                const uint8_t *const ids = entry.ids.data() + 2 * range.begin;
                int64_t *const h = perSet.of(wi);
                for (int64_t k = 0; k < n; ++k)
                    h[loadAt<uint16_t>(ids, k)] += kept[k];
            }
        },
        m_in.source.idle);
    takeSetCounts(perSet.total());
}

bool TSetsWay::countSetsOfList()
{
    const TFullSetLookups::Entry &entry = m_entry;
    const size_t sets = entry.sets.size();
    const TComb *combs = m_list.read();
    const int64_t n = m_list.count();
    const int width = entry.width;
    const uint8_t *fullIds = entry.ids.data();
    uint8_t *ids = m_list.buffer(size_t(n) * size_t(width));
    WorkerCounts perSet(sets);
    std::atomic<bool> giveUp{false};
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int wi) {
            // Everything the loop reads is a local: the bytes it writes could be anything else.
            const Range range = chunkRange(chunk, n);
            const TComb *const from = combs;
            const uint8_t *const full = fullIds;
            uint8_t *const to = ids;
            bool valid = true;
            if (width == 1) {
                ByteSetCounts counts;
                for (int64_t i = range.begin; i < range.end; ++i) {
                    const int64_t r = TFullSetLookups::rankOf(from[i]);
                    valid &= r >= 0;
                    const uint8_t id = full[size_t(r < 0 ? 0 : r)];
                    to[i] = id;
                    counts.add(i, id);
                }
                counts.addTo(perSet.of(wi), sets);
            } else {
                int64_t *const h = perSet.of(wi);
                for (int64_t i = range.begin; i < range.end; ++i) {
                    const int64_t r = TFullSetLookups::rankOf(from[i]);
                    valid &= r >= 0;
                    const uint16_t id = loadAt<uint16_t>(full, r < 0 ? 0 : r);
                    storeAt<uint16_t>(to, i, id);
                    ++h[id];
                }
            }
            if (!valid)
                giveUp = true;
        },
        m_in.source.idle);
    if (giveUp) {
        // Numbers that do not ascend: the list is not made of the full set's combinations.
        return false;
    }
    m_ids = ids;
    takeSetCounts(perSet.total());
    return true;
}

void TSetsWay::takeSetCounts(std::vector<int64_t> counts)
{
    m_perSet = std::move(counts);
    m_alive.assign(m_perSet.size(), 0);
    m_live.clear();
    for (size_t id = 0; id < m_perSet.size(); ++id)
        if (m_perSet[id] > 0) {
            m_alive[id] = 1;
            m_live.push_back(uint32_t(id));
        }
}

int64_t TSetsWay::apply(const std::vector<int> &candidates, bool deleting)
{
    // Every combination of a set answers the rows alike: only the sets still alive change.
    m_selected.assign(m_in.candidates.size(), 0);
    for (int c : candidates)
        m_selected[size_t(c)] = 1;
    m_matches.resize(m_alive.size());
    int64_t matching = 0;
    for (uint32_t id : m_live) {
        bool match = false;
        for (int32_t k = m_candidateStart[id]; k < m_candidateStart[id + 1] && !match; ++k)
            match = m_selected[size_t(m_candidates[size_t(k)])] != 0;
        m_matches[id] = match;
        if (match)
            matching += m_perSet[id];
    }
    const int64_t left = deleting ? m_list.count() - matching : matching;
    if (left == 0)
        return 0;
    std::erase_if(m_live, [&](uint32_t id) {
        if ((m_matches[id] != 0) != deleting)
            return false;
        m_alive[id] = 0;
        return true;
    });
    return left;
}

void TSetsWay::finish()
{
    const bool fullSet = m_list.combs().isFullSet();
    const TFullSetLookups::Entry *next = m_in.source.next;
    // What a step over the full set leaves for a method that asks one question per number.
    TStepCarried::SumsKept survivors;
    if (fullSet && next && next->perNumber && survivorsOfSets(survivors)) {
        m_list.leaveSurvivors(survivors);
        return;
    }
    // Most of the full set is left, and the next method's sets are kept for the full set: the list is
    // left as the sets it keeps, written when read.
    if ((fullSet || m_overSubset) && next && !next->perNumber &&
        m_list.count() * 2 >= FullSetPrefixes().back().end && leaveSubset())
        return;
    if (m_overSubset) {
        rebuildSubset();
        return;
    }
    const uint8_t *ids = m_ids;
    const uint8_t *alive = m_alive.data();
    if (m_entry.width != 1) {
        m_list.rebuild([=](int64_t i, const TComb &) { return alive[loadAt<uint16_t>(ids, i)] != 0; }, {});
        return;
    }
    // The full set's own sets: what each prefix keeps follows from the sets' counts.
    std::vector<int64_t> kept;
    if (ids == m_entry.ids.data() && !m_entry.prefixCounts.empty())
        kept = prefixKept(nullptr);
    m_list.rebuild([=](int64_t i, const TComb &) { return alive[ids[i]] != 0; }, {kept.empty() ? nullptr : &kept});
}

std::vector<int64_t> TSetsWay::prefixKept(uint8_t *flags)
{
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    const uint8_t *alive = m_alive.data();
    std::vector<int64_t> kept(prefixes.size(), 0);
    if (!flags && !m_entry.prefixCounts.empty()) {
        for (size_t t = 0; t < kept.size(); ++t)
            for (size_t id = 0; id < m_alive.size(); ++id)
                kept[t] += int64_t(m_entry.prefixCounts[t * 256 + id]) * alive[id];
        return kept;
    }
    // A pass over the full set: the places flagged (what the steps before kept) whose sets are alive.
    const TFullSetLookups::Entry &entry = m_entry;
    ParallelWork::run(
        int(prefixes.size()),
        [&](int task, int) {
            const TFullSetPrefix &p = prefixes[size_t(task)];
            const int64_t n = p.end - p.start;
            if (flags) {
                kept[size_t(task)] = TFullSetSubset::andAlive(entry, alive, p.start, n, flags + p.start);
                return;
            }
            int64_t k = 0;
            for (int64_t i = p.start; i < p.end; ++i)
                k += alive[entry.idOf(i)];
            kept[size_t(task)] = k;
        },
        m_in.source.idle);
    return kept;
}

void TSetsWay::rebuildSubset()
{
    // What each place of the full set keeps (what the steps before kept, flagged when the sets were
    // counted, and this step's sets), and so what each prefix keeps, first.
    uint8_t *const flags = m_subsetFlags;
    const std::vector<int64_t> kept = prefixKept(flags);
    m_list.rebuild([=](int64_t i, const TComb &) { return flags[i] != 0; }, {&kept, nullptr, flags, true});
}

namespace {

// reach[n][j][s]: j of the numbers 1..n add up to s.
using Reach = std::vector<std::array<std::array<bool, kWeightSums>, kMainCount + 1>>;

Reach reachOf(const std::array<uint8_t, kMaxNumber + 1> &weights)
{
    Reach reach(kMaxNumber + 1);
    reach[0][0][0] = true;
    for (int n = 1; n <= kMaxNumber; ++n) {
        reach[size_t(n)] = reach[size_t(n - 1)];
        const int w = weights[size_t(n)];
        for (int j = 1; j <= kMainCount; ++j)
            for (int sum = w; sum < kWeightSums; ++sum)
                reach[size_t(n)][size_t(j)][size_t(sum)] =
                    reach[size_t(n)][size_t(j)][size_t(sum)] || reach[size_t(n - 1)][size_t(j - 1)][size_t(sum - w)];
    }
    return reach;
}

// A combination whose weights add up to sum (one that reach says there is), found back from the
// largest number down.
TComb combOfSum(const Reach &reach, const std::array<uint8_t, kMaxNumber + 1> &weights, int sum)
{
    TComb c;
    int j = kMainCount, left = sum;
    for (int n = kMaxNumber; n >= 1 && j > 0; --n)
        if (!reach[size_t(n - 1)][size_t(j)][size_t(left)]) {
            c[size_t(--j)] = uint8_t(n);
            left -= weights[size_t(n)];
        }
    return c;
}

} // namespace

bool TSetsWay::survivorsOfSets(TStepCarried::SumsKept &survivors) const
{
    // A method whose test asks for a sum of weights of the numbers: every combination of a sum is in
    // one set, so a combination of each sum tells whether the sum was kept.
    const auto stat = m_in.source.method->CreateStat(*m_in.source.stats);
    std::array<uint8_t, kMaxNumber + 1> weights{};
    TStatProbe lookup;
    if (!stat)
        return false;
    stat->LoadDraw(-1, m_in.source.last, m_in.source.sorted);
    // The tables of sums below hold every sum of six weights only while the weights fit them.
    if (!stat->NumberWeightsOfTest(m_in.source.last, weights, lookup) || !WeightsFitSums(weights))
        return false;
    const Reach reach = reachOf(weights);
    survivors.allowed.fill(0);
    for (int sum = 0; sum < kWeightSums; ++sum)
        if (reach[kMaxNumber][kMainCount][size_t(sum)]) {
            const TComb c = combOfSum(reach, weights, sum);
            survivors.allowed[size_t(sum)] =
                m_alive[m_entry.idOf(TFullSetLookups::rankOfAscending(c))];
        }
    survivors.weight.fill(0);
    for (int n = 0; n <= kMaxNumber; ++n)
        survivors.weight[size_t(n)] = weights[size_t(n)];
    return true;
}

bool TSetsWay::leaveSubset()
{
    std::shared_ptr<const TFullSetLookups::Entry> entry = m_in.source.fullSet->share(&m_entry);
    if (!entry)
        return false;
    auto subset = std::make_shared<TFullSetSubset>();
    if (m_overSubset)
        subset->conditions = m_list.carried().leftSubset->conditions;
    subset->conditions.push_back({std::move(entry), m_alive});
    // Checked as a rebuilt list is: what each prefix will write adds up to the step's count.
    subset->prefixKept = prefixKept(m_overSubset ? m_subsetFlags : nullptr);
    // A list that does not add up is not left unwritten: the step is done again by the plain one.
    m_list.leaveSubset(std::move(subset));
    return true;
}

std::unique_ptr<TStepWay> MakeSetsWay(const TStepInput &in, TStepList &list, const TFullSetLookups::Entry &entry)
{
    auto way = std::make_unique<TSetsWay>(in, list, entry);
    if (!way->countSets())
        return nullptr;
    return way;
}
