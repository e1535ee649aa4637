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


// The candidates of each combination as a mask, width bytes each in the step's buffer; the counts of
// the distinct masks (empty when there are too many of them: each row is then counted over the list);
// the result so far: no candidate of deleted, every candidate of required, and one of anyOf when set.
// The masks of a method that asks one question per number come from the numbers' candidates
// (numberBits); those of a test of a sum of weights of the numbers, from the candidates of the sum
// (sumBits). fromNumbers: the masks are worked out from the numbers when the list is rebuilt (none
// were recorded). listBySums: the list is the combinations of the full set whose weights add up to an
// allowed sum, as the step before left it (rebuilt from the numbers within those sums).
class TMaskWay : public TStepWay {
public:
    TMaskWay(const TStepInput &in, TStepList &list) : m_in(in), m_list(list) {}
    TStatStepFilter::Mode mode() const override { return TStatStepFilter::Mode::Mask; }
    int64_t apply(const std::vector<int> &candidates, bool deleting) override;
    void finish() override;
    bool foundAscending() const override { return m_ascending; }

    bool useNumberQuestions(const TFullSetLookups::Entry &entry);
    bool useNumberWeights(const std::array<uint8_t, kMaxNumber + 1> &weights, const TStatProbe &lookup);
    bool recordTestMasks();

private:
    bool countFullSetByNumbers(const TStepCarried::SumsKept *within);
    void countFullSetByWeights();
    template <class MaskOf> bool recordMasks(MaskOf maskOf);
    void takeMaskCounts(const TKeyTable<int64_t> &byMask);
    int64_t countSurvivingMasks(uint64_t d, uint64_t a, uint64_t m) const;
    void rebuildMasksOfWeights();
    void rebuildMasksOfNumbers();
    bool survivorsOfNumbers(TNumbersChoice &choice) const;

    const TStepInput &m_in;
    TStepList &m_list;
    bool m_ascending = false; // every combination's numbers were found ascending
    uint8_t *m_masks = nullptr;
    int m_width = 0;
    std::vector<std::pair<uint64_t, int64_t>> m_classes;
    uint64_t m_deleted = 0;
    uint64_t m_required = 0;
    uint64_t m_anyOf = 0;
    bool m_fromNumbers = false;
    bool m_fromWeights = false;
    std::array<uint64_t, 256> m_numberBits{};  // by byte value: numbers 1..45, 0 for the others
    std::array<uint8_t, 256> m_numberWeight{}; // likewise
    std::array<uint64_t, kWeightSums> m_sumBits{};
    TStepCarried::SumsKept m_listBySums;
};

} // namespace

bool TMaskWay::useNumberQuestions(const TFullSetLookups::Entry &entry)
{
    if (m_in.candidates.size() > kMaxMaskCandidates)
        return false;
    // The mask of a combination: the candidates its six numbers' questions find.
    std::array<uint64_t, 256> &numberBits = m_numberBits;
    numberBits.fill(0);
    for (int n = 1; n <= kMaxNumber; ++n) {
        int hits = 0;
        m_in.candidateMaps->find(entry.numberProbe[size_t(n)], hits, numberBits[size_t(n)]);
    }
    if (m_list.combs().isFullSet() && countFullSetByNumbers(nullptr))
        return true;
    const TStepCarried &carried = m_list.carried();
    if (m_list.holdsFor(carried.leftBySums.revision, carried.leftBySums.valid) &&
        countFullSetByNumbers(&carried.leftBySums)) {
        m_ascending = true;
        m_listBySums = carried.leftBySums;
        return true;
    }
    m_ascending = recordMasks([&numberBits](TStepWorker *, const TComb &c, bool &valid) {
        valid &= TFullSetLookups::ascending(c);
        return numberBits[c[0]] | numberBits[c[1]] | numberBits[c[2]] | numberBits[c[3]] | numberBits[c[4]] |
               numberBits[c[5]];
    });
    return m_ascending;
}

bool TMaskWay::countFullSetByNumbers(const TStepCarried::SumsKept *within)
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
        if (m_numberBits[size_t(n)] != 0)
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
    forEachSubset(marked, 0, 0, 0, 0, m_numberBits, weight, count);
    takeMaskCounts(byMask);
    m_fromNumbers = true;
        return true;
}

bool TMaskWay::useNumberWeights(const std::array<uint8_t, kMaxNumber + 1> &weights, const TStatProbe &lookup)
{
    // The mask of a combination: the candidates of the sum of its numbers' weights, while no six of
    // them add up beyond the table.
    if (!WeightsFitSums(weights))
        return false;
    m_numberWeight.fill(0);
    for (int n = 1; n <= kMaxNumber; ++n)
        m_numberWeight[size_t(n)] = weights[size_t(n)];
    for (size_t sum = 0; sum < m_sumBits.size(); ++sum)
        m_sumBits[sum] = TStepCandidates::bitsOf(m_in.candidateMaps.get(), lookup.kind, lookup.n, sum);
    m_fromWeights = true;
    if (m_list.combs().isFullSet()) {
        countFullSetByWeights();
        return true;
    }
    const uint8_t *w = m_numberWeight.data();
    const uint64_t *bits = m_sumBits.data();
    m_ascending = recordMasks([w, bits](TStepWorker *, const TComb &c, bool &valid) {
        valid &= TFullSetLookups::ascending(c);
        return bits[w[c[0]] + w[c[1]] + w[c[2]] + w[c[3]] + w[c[4]] + w[c[5]]];
    });
    m_fromWeights = m_ascending;
    return m_ascending;
}

void TMaskWay::countFullSetByWeights()
{
    // The combinations of the full set by the sum of their weights: the subsets of j numbers of the
    // first n by their sum, number after number.
    SumWays ways{};
    ways[0][0] = 1;
    for (int n = 1; n <= kMaxNumber; ++n)
        TakeWeight(ways, m_numberWeight[size_t(n)]);
    TKeyTable<int64_t> byMask;
    for (int sum = 0; sum < kWeightSums; ++sum)
        if (ways[kMainCount][size_t(sum)] > 0)
            byMask[m_sumBits[size_t(sum)]] += ways[kMainCount][size_t(sum)];
    takeMaskCounts(byMask);
    m_fromNumbers = true;
    }

bool TMaskWay::recordTestMasks()
{
    const int last = m_in.source.last;
    const bool sorted = m_in.source.sorted;
    for (auto &w : m_in.workers)
        // The lookups are turned into candidates as they are asked.
        w->recorder.setResolver(&TStepCandidates::bitsOf, m_in.candidateMaps.get());
    const bool recorded = recordMasks([last, sorted](TStepWorker *w, const TComb &c, bool &) {
        w->recorder.clear();
        w->stat->CombMatches(c, w->probeArray, last, sorted, false);
        return w->recorder.bits();
    });
    for (auto &w : m_in.workers)
        w->recorder.setResolver(nullptr, nullptr);
    return recorded;
}

template <class MaskOf> bool TMaskWay::recordMasks(MaskOf maskOf)
{
    const TComb *combs = m_list.read();
    const int64_t n = m_list.count();
    const int k = int(m_in.candidates.size());
    m_width = k <= 8 ? 1 : k <= 16 ? 2 : k <= 32 ? 4 : 8;
    m_masks = m_list.buffer(size_t(n) * size_t(m_width));
    std::vector<MaskCounter> counters(size_t(ParallelWork::workerCount()));
    for (MaskCounter &c : counters)
        c.reset(k);
    std::atomic<bool> giveUp{false};
    withWidth(m_width, [&](auto tag) {
        using T = decltype(tag);
        uint8_t *masks = m_masks;
        ParallelWork::run(
            chunkCount(n),
            [&](int chunk, int wi) {
                if (giveUp.load(std::memory_order_relaxed))
                    return;
                TStepWorker *const w = m_in.workers.empty() ? nullptr : m_in.workers[size_t(wi)].get();
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
            m_in.source.idle);
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
    m_classes.clear();
    if (!overflow)
        takeMaskCounts(merged);
    return true;
}

void TMaskWay::takeMaskCounts(const TKeyTable<int64_t> &byMask)
{
    m_classes.clear();
    m_classes.reserve(byMask.size());
    byMask.forEach([this](uint64_t mask, int64_t count) { m_classes.emplace_back(mask, count); });
    // A fixed order, whatever the workers' shares were.
    std::sort(m_classes.begin(), m_classes.end());
}

int64_t TMaskWay::apply(const std::vector<int> &candidates, bool deleting)
{
    uint64_t selection = 0;
    for (int c : candidates)
        selection |= uint64_t(1) << c;
    uint64_t d = m_deleted, a = m_required, m = m_anyOf;
    if (deleting)
        d |= selection;
    else if (candidates.size() == 1)
        a |= selection;
    else if (m == 0)
        m = selection;
    else
        // Two selections of several rows kept one after the other: "one of each" is no longer one
        // mask, so the step is counted and rebuilt row by row from here.
        return kGoDirect;

    int64_t left = 0;
    if (!m_classes.empty() || m_list.listCount() == 0) {
        for (const auto &[mask, count] : m_classes)
            if (survives(mask, d, a, m))
                left += count;
    } else {
        left = countSurvivingMasks(d, a, m);
    }
    if (left == 0)
        return 0;
    m_deleted = d;
    m_required = a;
    m_anyOf = m;
    return left;
}

int64_t TMaskWay::countSurvivingMasks(uint64_t d, uint64_t a, uint64_t m) const
{
    const int64_t n = m_list.listCount();
    const uint8_t *masks = m_masks;
    std::vector<int64_t> counts(size_t(chunkCount(n)), 0);
    withWidth(m_width, [&](auto tag) {
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
            m_in.source.idle);
    });
    return sumOf(counts);
}

void TMaskWay::finish()
{
    if (m_fromNumbers && m_fromWeights) {
        rebuildMasksOfWeights();
        return;
    }
    if (m_fromNumbers) {
        rebuildMasksOfNumbers();
        return;
    }
    const uint64_t d = m_deleted, a = m_required, m = m_anyOf;
    withWidth(m_width, [&](auto tag) {
        using T = decltype(tag);
        const uint8_t *masks = m_masks;
        m_list.rebuild([=](int64_t i, const TComb &) { return survives(loadAt<T>(masks, i), d, a, m); }, {});
    });
}

void TMaskWay::rebuildMasksOfWeights()
{
    const uint64_t d = m_deleted, a = m_required, m = m_anyOf;
    const uint8_t *w = m_numberWeight.data();
    const uint64_t *bits = m_sumBits.data();
    auto keep = [=](int64_t, const TComb &c) {
        return survives(bits[w[c[0]] + w[c[1]] + w[c[2]] + w[c[3]] + w[c[4]] + w[c[5]]], d, a, m);
    };
    if (!m_list.combs().isFullSet()) {
        m_list.rebuild(keep, {});
        return;
    }
    // Over the full set: the combinations whose weights add up to a sum the rows left, which a step of
    // a method that asks one question per number counts without reading them.
    TStepCarried::SumsKept left;
    left.weight = m_numberWeight;
    for (size_t sum = 0; sum < left.allowed.size(); ++sum)
        left.allowed[sum] = survives(bits[sum], d, a, m);
    if (m_in.source.next && m_in.source.next->perNumber) {
        m_list.leaveSurvivors(left);
        return;
    }
    // What each prefix keeps follows from the ways four numbers above its second one add up.
    const std::vector<int64_t> prefixKept = CountCombsOfPrefixes(left.choice());
    if (m_list.rebuild(keep, {&prefixKept}))
        m_list.noteSurvivors(left);
}

void TMaskWay::rebuildMasksOfNumbers()
{
    // What is left of the full set, or of the combinations of the full set whose weights add up to an
    // allowed sum, is written straight from the numbers, without reading the list.
    const bool within = m_list.holdsFor(m_listBySums.revision, m_listBySums.valid);
    TNumbersChoice choice;
    if ((m_list.combs().isFullSet() || within) && survivorsOfNumbers(choice)) {
        if (!m_list.combs().isFullSet()) {
            choice.weight = m_listBySums.weight.data();
            choice.sums = m_listBySums.allowed.data();
        }
        m_list.rebuild([](int64_t, const TComb &) { return true; }, {nullptr, &choice});
        return;
    }
    const uint64_t d = m_deleted, a = m_required, m = m_anyOf;
    const uint64_t *bits = m_numberBits.data();
    auto maskOf = [bits](const TComb &c) {
        return bits[c[0]] | bits[c[1]] | bits[c[2]] | bits[c[3]] | bits[c[4]] | bits[c[5]];
    };
    // The usual steps first: rows deleted only, or one selection kept.
    if (a == 0 && m == 0)
        m_list.rebuild([=](int64_t, const TComb &c) { return (maskOf(c) & d) == 0; }, {});
    else if (a == 0 && d == 0)
        m_list.rebuild([=](int64_t, const TComb &c) { return (maskOf(c) & m) != 0; }, {});
    else
        m_list.rebuild([=](int64_t, const TComb &c) { return survives(maskOf(c), d, a, m); }, {});
}

bool TMaskWay::survivorsOfNumbers(TNumbersChoice &choice) const
{
    // The rows applied to a method that asks one question per number say "none of these numbers" and
    // perhaps "one of those": the combinations left are those of a choice of numbers.
    const uint64_t required = m_required, anyOf = m_anyOf;
    if (anyOf != 0 && required != 0)
        return false;
    if (required != 0 && (required & (required - 1)) != 0)
        return false; // every one of several rows kept in turn
    const uint64_t wanted = anyOf != 0 ? anyOf : required;
    uint64_t allowed = 0, oneOf = 0;
    for (int n = 1; n <= kMaxNumber; ++n) {
        if ((m_numberBits[size_t(n)] & m_deleted) == 0)
            allowed |= uint64_t(1) << n;
        if ((m_numberBits[size_t(n)] & wanted) != 0)
            oneOf |= uint64_t(1) << n;
    }
    choice = TNumbersChoice{allowed, oneOf, wanted != 0};
    return true;
}

std::unique_ptr<TStepWay> MakeNumberQuestionsWay(const TStepInput &in, TStepList &list,
                                                 const TFullSetLookups::Entry &entry)
{
    auto way = std::make_unique<TMaskWay>(in, list);
    if (!way->useNumberQuestions(entry))
        return nullptr;
    return way;
}

std::unique_ptr<TStepWay> MakeWeightMasksWay(const TStepInput &in, TStepList &list)
{
    std::array<uint8_t, kMaxNumber + 1> weights{};
    TStatProbe lookup;
    if (!in.workers.front()->stat->NumberWeightsOfTest(in.source.last, weights, lookup))
        return nullptr;
    auto way = std::make_unique<TMaskWay>(in, list);
    if (!way->useNumberWeights(weights, lookup))
        return nullptr;
    return way;
}

std::unique_ptr<TStepWay> MakeRecordedMasksWay(const TStepInput &in, TStepList &list)
{
    auto way = std::make_unique<TMaskWay>(in, list);
    if (!way->recordTestMasks())
        return nullptr;
    return way;
}
