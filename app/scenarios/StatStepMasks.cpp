// The statistics step by masks: each combination's candidates as a mask of up to 64 bits, recorded
// once per combination, or worked out from its numbers (one question per number, or a sum of weights
// of the numbers); the rows applied only change which masks survive.
#include "app/scenarios/StatStepRebuild.h"

#include "lottery/Combinatorics.h"

#include <algorithm>
#include <atomic>

using namespace StepWork;

namespace {

// Distinct masks counted per worker and in all; beyond that every row is counted over the list.
constexpr size_t kMaxClassesPerWorker = size_t(1) << 16;
constexpr size_t kMaxClasses = size_t(1) << 17;

// How many combinations have each mask: a table for masks of up to 16 bits, else a key table that
// gives up beyond kMaxClassesPerWorker masks.
class MaskCounter {
public:
    void reset(int bits)
    {
        m_overflow = false;
        m_table.clear();
        if (bits <= 16)
            m_direct.assign(size_t(1) << std::max(bits, 0), 0);
        else
            m_direct.clear();
    }
    void add(uint64_t mask)
    {
        if (!m_direct.empty()) {
            ++m_direct[size_t(mask)];
            return;
        }
        if (m_overflow)
            return;
        if (int64_t *count = m_table.valueOf(mask, kMaxClassesPerWorker))
            ++*count;
        else
            m_overflow = true;
    }
    bool overflow() const { return m_overflow; }
    template <class F> void forEach(F &&f) const
    {
        for (size_t m = 0; m < m_direct.size(); ++m)
            if (m_direct[m] != 0)
                f(uint64_t(m), m_direct[m]);
        m_table.forEach(f);
    }

private:
    std::vector<int64_t> m_direct;
    TKeyTable<int64_t> m_table;
    bool m_overflow = false;
};

using SumWays = std::array<std::array<int64_t, kWeightSums>, kMainCount + 1>;

// f(taken, mask, sum) for every subset of at most six of the numbers marked (from the place from on),
// with the mask of their candidates and the sum of their weights (0 without weights).
template <class F>
void forEachSubset(const std::vector<int> &marked, size_t from, int taken, uint64_t mask, int sum,
                   const std::array<uint64_t, 256> &bits, const uint8_t *weight, F &f)
{
    f(taken, mask, sum);
    if (taken == kMainCount)
        return;
    for (size_t k = from; k < marked.size(); ++k) {
        const int n = marked[k];
        forEachSubset(marked, k + 1, taken + 1, mask | bits[size_t(n)], sum + (weight ? weight[n] : 0), bits,
                      weight, f);
    }
}

} // namespace

bool TStatStepFilter::useNumberQuestions()
{
    if (m_candidates.size() > kMaxMaskCandidates)
        return false;
    // The mask of a combination: the candidates its six numbers' questions find.
    std::array<uint64_t, 256> &numberBits = m_masks.numberBits;
    numberBits.fill(0);
    for (int n = 1; n <= kMaxNumber; ++n) {
        int hits = 0;
        m_candidateMaps->find(m_sets.entry->numberProbe[size_t(n)], hits, numberBits[size_t(n)]);
    }
    if (m_list->isFullSet() && countFullSetByNumbers(nullptr))
        return true;
    if (m_leftBySums.valid && m_leftBySums.data == m_list->address() && m_leftBySums.count == m_count &&
        countFullSetByNumbers(&m_leftBySums)) {
        m_listAscending = true;
        m_listBySums = m_leftBySums;
        return true;
    }
    m_listAscending = recordMasks([&numberBits](Worker *, const TComb &c, bool &valid) {
        valid &= TFullSetLookups::ascending(c);
        return numberBits[c[0]] | numberBits[c[1]] | numberBits[c[2]] | numberBits[c[3]] | numberBits[c[4]] |
               numberBits[c[5]];
    });
    return m_listAscending;
}

bool TStatStepFilter::countFullSetByNumbers(const SumsKept *within)
{
    // Every combination of the full set (or, within, of those whose weights add up to an allowed sum):
    // the numbers with candidates it holds (at most six), the rest from the numbers without any. The
    // masks of the combinations are worked out from their numbers again when the list is rebuilt.
    const uint8_t *weight = within ? within->weight.data() : nullptr;
    std::vector<int> marked;
    // The ways to choose j of the numbers without candidates whose weights add up to s.
    SumWays freeWays{};
    freeWays[0][0] = 1;
    for (int n = 1; n <= kMaxNumber; ++n) {
        if (m_masks.numberBits[size_t(n)] != 0)
            marked.push_back(n);
        else
            TakeWeight(freeWays, weight ? weight[n] : 0);
    }
    const int k = int(marked.size());
    int64_t subsets = 0;
    for (int j = 0; j <= std::min(k, kMainCount); ++j)
        subsets += Binomial(k, j);
    if (subsets > int64_t(kMaxClasses))
        return false;
    TKeyTable<int64_t> byMask;
    auto count = [&](int taken, uint64_t mask, int sum) {
        const std::array<int64_t, kWeightSums> &rest = freeWays[size_t(kMainCount - taken)];
        int64_t ways = within ? 0 : rest[0];
        for (int s = 0; within && s + sum < kWeightSums; ++s)
            if (within->allowed[size_t(s + sum)])
                ways += rest[size_t(s)];
        if (ways > 0)
            byMask[mask] += ways;
    };
    forEachSubset(marked, 0, 0, 0, 0, m_masks.numberBits, weight, count);
    takeMaskCounts(byMask);
    m_masks.fromNumbers = true;
    m_mode = Mode::Mask;
    return true;
}

bool TStatStepFilter::useNumberWeights(const std::array<uint8_t, kMaxNumber + 1> &weights, const TStatProbe &lookup)
{
    // The mask of a combination: the candidates of the sum of its numbers' weights, while no six of
    // them add up beyond the table.
    if (!WeightsFitSums(weights))
        return false;
    m_masks.numberWeight.fill(0);
    for (int n = 1; n <= kMaxNumber; ++n)
        m_masks.numberWeight[size_t(n)] = weights[size_t(n)];
    for (size_t sum = 0; sum < m_masks.sumBits.size(); ++sum)
        m_masks.sumBits[sum] = TStepCandidates::bitsOf(m_candidateMaps.get(), lookup.kind, lookup.n, sum);
    m_masks.fromWeights = true;
    if (m_list->isFullSet()) {
        countFullSetByWeights();
        return true;
    }
    const uint8_t *w = m_masks.numberWeight.data();
    const uint64_t *bits = m_masks.sumBits.data();
    m_listAscending = recordMasks([w, bits](Worker *, const TComb &c, bool &valid) {
        valid &= TFullSetLookups::ascending(c);
        return bits[w[c[0]] + w[c[1]] + w[c[2]] + w[c[3]] + w[c[4]] + w[c[5]]];
    });
    m_masks.fromWeights = m_listAscending;
    return m_listAscending;
}

void TStatStepFilter::countFullSetByWeights()
{
    // The combinations of the full set by the sum of their weights: the subsets of j numbers of the
    // first n by their sum, number after number.
    SumWays ways{};
    ways[0][0] = 1;
    for (int n = 1; n <= kMaxNumber; ++n)
        TakeWeight(ways, m_masks.numberWeight[size_t(n)]);
    TKeyTable<int64_t> byMask;
    for (int sum = 0; sum < kWeightSums; ++sum)
        if (ways[kMainCount][size_t(sum)] > 0)
            byMask[m_masks.sumBits[size_t(sum)]] += ways[kMainCount][size_t(sum)];
    takeMaskCounts(byMask);
    m_masks.fromNumbers = true;
    m_mode = Mode::Mask;
}

bool TStatStepFilter::recordTestMasks()
{
    const int last = m_source.last;
    const bool sorted = m_source.sorted;
    for (auto &w : m_workers)
        // The lookups are turned into candidates as they are asked.
        w->recorder.setResolver(&TStepCandidates::bitsOf, m_candidateMaps.get());
    const bool recorded = recordMasks([last, sorted](Worker *w, const TComb &c, bool &) {
        w->recorder.clear();
        w->stat->CombMatches(c, w->probeArray, last, sorted, false);
        return w->recorder.bits();
    });
    for (auto &w : m_workers)
        w->recorder.setResolver(nullptr, nullptr);
    return recorded;
}

template <class MaskOf> bool TStatStepFilter::recordMasks(MaskOf maskOf)
{
    const int64_t n = m_count;
    const TComb *combs = m_list->data();
    const int k = int(m_candidates.size());
    m_masks.width = k <= 8 ? 1 : k <= 16 ? 2 : k <= 32 ? 4 : 8;
    m_buffer = buffer(size_t(n) * size_t(m_masks.width));
    std::vector<MaskCounter> counters(size_t(ParallelWork::workerCount()));
    for (MaskCounter &c : counters)
        c.reset(k);
    std::atomic<bool> giveUp{false};
    withWidth(m_masks.width, [&](auto tag) {
        using T = decltype(tag);
        uint8_t *masks = m_buffer;
        ParallelWork::run(
            chunkCount(n),
            [&](int chunk, int wi) {
                if (giveUp.load(std::memory_order_relaxed))
                    return;
                Worker *const w = m_workers.empty() ? nullptr : m_workers[size_t(wi)].get();
                MaskCounter &counter = counters[size_t(wi)];
                const Range range = chunkRange(chunk, n);
                // Locals: the bytes written could be anything else.
                const MaskOf mask = maskOf;
                const TComb *const from = combs;
                uint8_t *const to = masks;
                bool valid = true;
                for (int64_t i = range.begin; i < range.end; ++i) {
                    const uint64_t m = mask(w, from[i], valid);
                    storeAt<T>(to, i, T(m));
                    counter.add(m);
                }
                if (!valid)
                    giveUp = true;
            },
            m_source.idle);
    });
    if (giveUp)
        return false;
    // The counts of the distinct masks; too many of them and every row is counted over the list.
    TKeyTable<int64_t> merged;
    bool overflow = false;
    for (const MaskCounter &c : counters) {
        overflow = overflow || c.overflow() || merged.size() > kMaxClasses;
        if (!overflow)
            c.forEach([&merged](uint64_t mask, int64_t count) { merged[mask] += count; });
    }
    overflow = overflow || merged.size() > kMaxClasses;
    m_masks.classes.clear();
    if (!overflow)
        takeMaskCounts(merged);
    m_mode = Mode::Mask;
    return true;
}

void TStatStepFilter::takeMaskCounts(const TKeyTable<int64_t> &byMask)
{
    m_masks.classes.clear();
    m_masks.classes.reserve(byMask.size());
    byMask.forEach([this](uint64_t mask, int64_t count) { m_masks.classes.emplace_back(mask, count); });
    // A fixed order, whatever the workers' shares were.
    std::sort(m_masks.classes.begin(), m_masks.classes.end());
}

int64_t TStatStepFilter::applyMask(const std::vector<int> &candidates, bool deleting)
{
    uint64_t selection = 0;
    for (int c : candidates)
        selection |= uint64_t(1) << c;
    uint64_t d = m_masks.deleted, a = m_masks.required, m = m_masks.anyOf;
    if (deleting)
        d |= selection;
    else if (candidates.size() == 1)
        a |= selection;
    else if (m == 0)
        m = selection;
    else
        // Two selections of several rows kept one after the other: "one of each" is no longer one
        // mask, so the step is counted and rebuilt row by row from here.
        return switchToDirect(rowsOf(candidates), deleting);

    int64_t left = 0;
    if (!m_masks.classes.empty() || m_listCount == 0) {
        for (const auto &[mask, count] : m_masks.classes)
            if (survives(mask, d, a, m))
                left += count;
    } else {
        left = countSurvivingMasks(d, a, m);
    }
    if (left == 0)
        return 0;
    m_masks.deleted = d;
    m_masks.required = a;
    m_masks.anyOf = m;
    return accept(candidates, deleting, left);
}

int64_t TStatStepFilter::switchToDirect(const std::vector<int> &rows, bool deleting)
{
    // The combinations the earlier rows left are made the list first.
    rebuildMasks();
    m_listCount = m_count;
    m_masks.deleted = m_masks.required = m_masks.anyOf = 0;
    useDirect();
    return applyDirect(rows, deleting);
}

int64_t TStatStepFilter::countSurvivingMasks(uint64_t d, uint64_t a, uint64_t m) const
{
    const int64_t n = m_listCount;
    const uint8_t *masks = m_buffer;
    std::vector<int64_t> counts(size_t(chunkCount(n)), 0);
    withWidth(m_masks.width, [&](auto tag) {
        using T = decltype(tag);
        ParallelWork::run(
            chunkCount(n),
            [&](int chunk, int) {
                const Range range = chunkRange(chunk, n);
                int64_t c = 0;
                for (int64_t i = range.begin; i < range.end; ++i)
                    c += survives(loadAt<T>(masks, i), d, a, m);
                counts[size_t(chunk)] = c;
            },
            m_source.idle);
    });
    return sumOf(counts);
}

void TStatStepFilter::rebuildMasks()
{
    if (m_masks.fromNumbers && m_masks.fromWeights) {
        rebuildMasksOfWeights();
        return;
    }
    if (m_masks.fromNumbers) {
        rebuildMasksOfNumbers();
        return;
    }
    const uint64_t d = m_masks.deleted, a = m_masks.required, m = m_masks.anyOf;
    withWidth(m_masks.width, [&](auto tag) {
        using T = decltype(tag);
        const uint8_t *masks = m_buffer;
        rebuild([=](int64_t i, const TComb &) { return survives(loadAt<T>(masks, i), d, a, m); }, {});
    });
}

void TStatStepFilter::rebuildMasksOfWeights()
{
    const uint64_t d = m_masks.deleted, a = m_masks.required, m = m_masks.anyOf;
    const uint8_t *w = m_masks.numberWeight.data();
    const uint64_t *bits = m_masks.sumBits.data();
    auto keep = [=](int64_t, const TComb &c) {
        return survives(bits[w[c[0]] + w[c[1]] + w[c[2]] + w[c[3]] + w[c[4]] + w[c[5]]], d, a, m);
    };
    if (!m_list->isFullSet()) {
        rebuild(keep, {});
        return;
    }
    // Over the full set: the combinations whose weights add up to a sum the rows left, which a step of
    // a method that asks one question per number counts without reading them.
    m_leftBySums.weight = m_masks.numberWeight;
    for (size_t sum = 0; sum < m_leftBySums.allowed.size(); ++sum)
        m_leftBySums.allowed[sum] = survives(bits[sum], d, a, m);
    if (m_source.next && m_source.next->perNumber) {
        leaveSurvivorsUnwritten();
        return;
    }
    // What each prefix keeps follows from the ways four numbers above its second one add up.
    const std::vector<int64_t> prefixKept = CountCombsOfPrefixes(survivorsChoice());
    if (rebuild(keep, {&prefixKept}))
        noteSurvivors();
}

void TStatStepFilter::rebuildMasksOfNumbers()
{
    // What is left of the full set, or of the combinations of the full set whose weights add up to an
    // allowed sum, is written straight from the numbers, without reading the list.
    const bool within =
        m_listBySums.valid && m_listBySums.data == m_list->address() && m_listBySums.count == m_list->count();
    TNumbersChoice choice;
    if ((m_list->isFullSet() || within) && survivorsOfNumbers(choice)) {
        if (!m_list->isFullSet()) {
            choice.weight = m_listBySums.weight.data();
            choice.sums = m_listBySums.allowed.data();
        }
        rebuild([](int64_t, const TComb &) { return true; }, {nullptr, &choice});
        return;
    }
    const uint64_t d = m_masks.deleted, a = m_masks.required, m = m_masks.anyOf;
    const uint64_t *bits = m_masks.numberBits.data();
    auto maskOf = [bits](const TComb &c) {
        return bits[c[0]] | bits[c[1]] | bits[c[2]] | bits[c[3]] | bits[c[4]] | bits[c[5]];
    };
    // The usual steps first: rows deleted only, or one selection kept.
    if (a == 0 && m == 0)
        rebuild([=](int64_t, const TComb &c) { return (maskOf(c) & d) == 0; }, {});
    else if (a == 0 && d == 0)
        rebuild([=](int64_t, const TComb &c) { return (maskOf(c) & m) != 0; }, {});
    else
        rebuild([=](int64_t, const TComb &c) { return survives(maskOf(c), d, a, m); }, {});
}

bool TStatStepFilter::survivorsOfNumbers(TNumbersChoice &choice) const
{
    // The rows applied to a method that asks one question per number say "none of these numbers" and
    // perhaps "one of those": the combinations left are those of a choice of numbers.
    const uint64_t required = m_masks.required, anyOf = m_masks.anyOf;
    if (anyOf != 0 && required != 0)
        return false;
    if (required != 0 && (required & (required - 1)) != 0)
        return false; // every one of several rows kept in turn
    const uint64_t wanted = anyOf != 0 ? anyOf : required;
    uint64_t allowed = 0, oneOf = 0;
    for (int n = 1; n <= kMaxNumber; ++n) {
        if ((m_masks.numberBits[size_t(n)] & m_masks.deleted) == 0)
            allowed |= uint64_t(1) << n;
        if ((m_masks.numberBits[size_t(n)] & wanted) != 0)
            oneOf |= uint64_t(1) << n;
    }
    choice = TNumbersChoice{allowed, oneOf, wanted != 0};
    return true;
}

TNumbersChoice TStatStepFilter::survivorsChoice() const
{
    return TNumbersChoice{kAllNumbers, 0, false, m_leftBySums.weight.data(), m_leftBySums.allowed.data()};
}

void TStatStepFilter::noteSurvivors()
{
    m_leftBySums.data = m_list->address();
    m_leftBySums.count = m_count;
    m_leftBySums.valid = true;
}

void TStatStepFilter::leaveSurvivorsUnwritten()
{
    m_nextSetsGiven.valid = false;
    m_listBySums.valid = false;
    m_list->assignChosen(survivorsChoice(), m_count);
    noteSurvivors();
}
