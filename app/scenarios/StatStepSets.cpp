// The statistics step by sets: a method of the six numbers alone whose lookups the run keeps for every
// combination of the full set; each combination of the list reads its set there, the combinations of
// each set are counted, and the rows applied only change which sets are alive.
#include "app/scenarios/StatStepRebuild.h"

#include "lottery/stats/StatMethod.h"

#include <algorithm>
#include <atomic>
#include <numeric>

using namespace StepWork;

bool TStatStepFilter::countSets()
{
    findSetCandidates();
    // The set of every combination of the list, and the combinations of each set.
    const TFullSetLookups::Entry &entry = *m_sets.entry;
    m_sets.idWidth = entry.width;
    if (m_list->isFullSet()) {
        m_sets.ids = entry.ids.data();
        takeSetCounts(entry.counts);
    } else if (m_leftSubset && m_list->unwrittenState() == m_leftSubset.get()) {
        countSetsOverSubset();
    } else if (m_nextSetsGiven.valid && m_nextSetsGiven.entry == m_sets.entry &&
               m_nextSetsGiven.data == m_list->address() && m_nextSetsGiven.count == m_count) {
        // Given by the step before, while it rebuilt the list.
        m_sets.ids = m_nextSetsGiven.ids.data();
        takeSetCounts(m_nextSetsGiven.counts);
    } else if (!countSetsOfList()) {
        return false;
    }
    m_mode = Mode::Sets;
    m_listAscending = true;
    return true;
}

void TStatStepFilter::findSetCandidates()
{
    // The candidates each set answers, without repeats.
    const TFullSetLookups::Entry &entry = *m_sets.entry;
    const size_t sets = entry.sets.size();
    m_sets.candidateStart.assign(sets + 1, 0);
    m_sets.candidates.clear();
    std::vector<int32_t> found;
    for (size_t id = 0; id < sets; ++id) {
        found.clear();
        for (const TStatProbe &p : entry.sets[id]) {
            int hits = 0;
            uint64_t bits = 0;
            const uint16_t *c = m_candidateMaps->find(p, hits, bits);
            found.insert(found.end(), c, c + hits);
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        m_sets.candidates.insert(m_sets.candidates.end(), found.begin(), found.end());
        m_sets.candidateStart[id + 1] = int32_t(m_sets.candidates.size());
    }
}

void TStatStepFilter::countSetsOverSubset()
{
    // The full set's combinations of the sets the steps before kept, not written: the sets are read at
    // the combinations' places in the full set and counted over those kept there.
    const TFullSetLookups::Entry &entry = *m_sets.entry;
    const size_t sets = entry.sets.size();
    const TFullSetSubset &subset = *m_leftSubset;
    const int64_t total = FullSetPrefixes().back().end;
    m_sets.overSubset = true;
    m_sets.ids = entry.ids.data();
    // What the steps before kept, place by place, stays for the end of the step.
    uint8_t *const flags = buffer(size_t(total));
    m_sets.subsetFlags = flags;
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
        m_source.idle);
    takeSetCounts(perSet.total());
}

bool TStatStepFilter::countSetsOfList()
{
    const TFullSetLookups::Entry &entry = *m_sets.entry;
    const size_t sets = entry.sets.size();
    const int64_t n = m_count;
    const TComb *combs = m_list->data();
    const int width = entry.width;
    const uint8_t *fullIds = entry.ids.data();
    uint8_t *ids = buffer(size_t(n) * size_t(width));
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
        m_source.idle);
    if (giveUp) {
        // Numbers that do not ascend: the list is not made of the full set's combinations.
        m_sets.entry = nullptr;
        return false;
    }
    m_sets.ids = ids;
    takeSetCounts(perSet.total());
    return true;
}

void TStatStepFilter::takeSetCounts(std::vector<int64_t> counts)
{
    m_sets.count = std::move(counts);
    m_sets.alive.assign(m_sets.count.size(), 0);
    m_sets.live.clear();
    for (size_t id = 0; id < m_sets.count.size(); ++id)
        if (m_sets.count[id] > 0) {
            m_sets.alive[id] = 1;
            m_sets.live.push_back(uint32_t(id));
        }
}

int64_t TStatStepFilter::applySets(const std::vector<int> &candidates, bool deleting)
{
    // Every combination of a set answers the rows alike: only the sets still alive change.
    m_sets.selected.assign(m_candidates.size(), 0);
    for (int c : candidates)
        m_sets.selected[size_t(c)] = 1;
    m_sets.matches.resize(m_sets.alive.size());
    int64_t matching = 0;
    for (uint32_t id : m_sets.live) {
        bool match = false;
        for (int32_t k = m_sets.candidateStart[id]; k < m_sets.candidateStart[id + 1] && !match; ++k)
            match = m_sets.selected[size_t(m_sets.candidates[size_t(k)])] != 0;
        m_sets.matches[id] = match;
        if (match)
            matching += m_sets.count[id];
    }
    const int64_t left = deleting ? m_count - matching : matching;
    if (left == 0)
        return 0;
    std::erase_if(m_sets.live, [&](uint32_t id) {
        if ((m_sets.matches[id] != 0) != deleting)
            return false;
        m_sets.alive[id] = 0;
        return true;
    });
    return accept(candidates, deleting, left);
}

void TStatStepFilter::rebuildSets()
{
    const bool fullSet = m_list->isFullSet();
    const TFullSetLookups::Entry *next = m_source.next;
    // What a step over the full set leaves for a method that asks one question per number.
    if (fullSet && next && next->perNumber && survivorsOfSets()) {
        leaveSurvivorsUnwritten();
        return;
    }
    // Most of the full set is left, and the next method's sets are kept for the full set: the list is
    // left as the sets it keeps, written when read.
    if ((fullSet || m_sets.overSubset) && next && !next->perNumber && m_count * 2 >= FullSetPrefixes().back().end &&
        leaveSubset())
        return;
    if (m_sets.overSubset) {
        rebuildSubset();
        return;
    }
    const uint8_t *ids = m_sets.ids;
    const uint8_t *alive = m_sets.alive.data();
    if (m_sets.idWidth != 1) {
        rebuild([=](int64_t i, const TComb &) { return alive[loadAt<uint16_t>(ids, i)] != 0; }, {});
        return;
    }
    // The full set's own sets: what each prefix keeps follows from the sets' counts.
    std::vector<int64_t> prefixKept;
    const TFullSetLookups::Entry *entry = m_sets.entry;
    if (entry && ids == entry->ids.data() && !entry->prefixCounts.empty()) {
        prefixKept.assign(FullSetPrefixes().size(), 0);
        for (size_t t = 0; t < prefixKept.size(); ++t)
            for (size_t id = 0; id < m_sets.alive.size(); ++id)
                prefixKept[t] += int64_t(entry->prefixCounts[t * 256 + id]) * alive[id];
    }
    rebuild([=](int64_t i, const TComb &) { return alive[ids[i]] != 0; },
            {prefixKept.empty() ? nullptr : &prefixKept});
}

void TStatStepFilter::rebuildSubset()
{
    // What each place of the full set keeps (what the steps before kept, flagged when the sets were
    // counted, and this step's sets), and so what each prefix keeps, first.
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    uint8_t *const flags = m_sets.subsetFlags;
    const uint8_t *alive = m_sets.alive.data();
    const TFullSetLookups::Entry &entry = *m_sets.entry;
    std::vector<int64_t> prefixKept(prefixes.size(), 0);
    ParallelWork::run(
        int(prefixes.size()),
        [&](int task, int) {
            const TFullSetPrefix &p = prefixes[size_t(task)];
            TFullSetSubset::andAlive(entry, alive, p.start, p.end - p.start, flags + p.start);
            prefixKept[size_t(task)] = std::accumulate(flags + p.start, flags + p.end, int64_t(0));
        },
        m_source.idle);
    rebuild([=](int64_t i, const TComb &) { return flags[i] != 0; }, {&prefixKept, nullptr, flags});
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
    const Reach reach = reachOf(weights);
    m_leftBySums.allowed.fill(0);
    for (int sum = 0; sum < kWeightSums; ++sum)
        if (reach[kMaxNumber][kMainCount][size_t(sum)]) {
            const TComb c = combOfSum(reach, weights, sum);
            m_leftBySums.allowed[size_t(sum)] =
                m_sets.alive[m_sets.entry->idOf(TFullSetLookups::rankOfAscending(c))];
        }
    m_leftBySums.weight.fill(0);
    for (int n = 0; n <= kMaxNumber; ++n)
        m_leftBySums.weight[size_t(n)] = weights[size_t(n)];
    return true;
}

bool TStatStepFilter::leaveSubset()
{
    std::shared_ptr<const TFullSetLookups::Entry> entry = m_source.fullSet->share(m_sets.entry);
    if (!entry)
        return false;
    auto subset = std::make_shared<TFullSetSubset>();
    if (m_sets.overSubset)
        subset->conditions = m_leftSubset->conditions;
    subset->conditions.push_back({std::move(entry), m_sets.alive});
    forgetCarried();
    m_list->assignUnwritten(m_count, subset, [subset](TComb *out) { subset->write(out); });
    m_leftSubset = std::move(subset);
    return true;
}
