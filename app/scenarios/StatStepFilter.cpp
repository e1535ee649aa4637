#include "app/scenarios/StatStepRebuild.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"

#include <algorithm>
#include <utility>

TStatStepFilter::TStatStepFilter()
    : m_in(std::make_unique<TStepInput>()), m_list(std::make_unique<TStepList>()),
      m_fallbacks(std::make_shared<TFallbackCount>())
{
}
TStatStepFilter::~TStatStepFilter() = default;

void TStatStepFilter::begin(TCombsList &list, std::vector<TStatValueRec> rows, std::vector<int> candidates,
                            TSource source)
{
    TStepInput &in = *m_in;
    TStepList &l = *m_list;
    m_way.reset();
    in.rows = std::move(rows);
    m_candidateOf.assign(in.rows.size(), -1);
    in.candidates.clear();
    for (int r : candidates) {
        if (r < 0 || size_t(r) >= in.rows.size() || m_candidateOf[size_t(r)] >= 0)
            continue;
        m_candidateOf[size_t(r)] = int(in.candidates.size());
        in.candidates.push_back(r);
    }
    in.source = std::move(source);
    in.workers.clear();
    in.candidateMaps.reset();
    l.m_list = &list;
    l.m_source = &in.source;
    if (!in.source.afterStep) {
        l.m_carried.forget();
        l.m_carried.leftSubset.reset();
    }
    l.m_count = l.m_listCount = list.count();
    l.m_applied.clear();
    l.m_rebuildFailed = false;
    ++m_step;
    l.m_writeFellBack = [fallbacks = m_fallbacks, code = in.source.method->MethodCode(), step = m_step] {
        fallbacks->note(code, step);
    };
    l.m_ascending = list.isFullSet();
    m_rowCounts.clear();
    m_active = true;
    m_changed = false;
}

int64_t TStatStepFilter::count() const
{
    return m_list->m_count;
}

TStatStepFilter::Mode TStatStepFilter::mode() const
{
    return m_way ? m_way->mode() : m_active ? Mode::Pending : Mode::Idle;
}

void TStatStepFilter::miscountNextRebuild(int64_t delta)
{
    m_list->m_miscount = delta;
}

void TStatStepFilter::miscountNextRow(int64_t delta)
{
    m_rowMiscount = delta;
}

void TStatStepFilter::faultNextWrite(const TWriteFault &fault)
{
    m_list->m_writeFault = fault;
}

TStatStepFilter::TFallbacks TStatStepFilter::fallbacks() const
{
    return m_fallbacks->taken();
}

void TStatStepFilter::clearFallbacks()
{
    m_fallbacks->clear();
}

bool TStatStepFilter::stepFellBack() const
{
    return m_fallbacks->noted(m_step);
}

void TStatStepFilter::TFallbackCount::note(const QString &method, uint64_t step)
{
    const std::lock_guard<std::mutex> lock(m_lock);
    ++m_taken.taken;
    if (!m_taken.methods.contains(method))
        m_taken.methods.append(method);
    if (std::find(m_steps.begin(), m_steps.end(), step) == m_steps.end())
        m_steps.push_back(step);
}

bool TStatStepFilter::TFallbackCount::noted(uint64_t step) const
{
    const std::lock_guard<std::mutex> lock(m_lock);
    return std::find(m_steps.begin(), m_steps.end(), step) != m_steps.end();
}

TStatStepFilter::TFallbacks TStatStepFilter::TFallbackCount::taken() const
{
    const std::lock_guard<std::mutex> lock(m_lock);
    return m_taken;
}

void TStatStepFilter::TFallbackCount::clear()
{
    const std::lock_guard<std::mutex> lock(m_lock);
    m_taken = {};
    m_steps.clear();
}

void TStatStepFilter::prepare()
{
    if (m_active && !m_way && m_list->m_count > 0)
        chooseWay();
}

void TStatStepFilter::chooseWay()
{
    TStepInput &in = *m_in;
    TStepList &list = *m_list;
    // The candidate maps number the candidates in 16 bits: more than that are filtered by the test.
    const bool numbered = !in.candidates.empty() && in.candidates.size() <= TStepCandidates::kMaxCandidates;
    // The method's lookups kept for the full set: sets, or one question per number.
    const TFullSetLookups::Entry *kept = nullptr;
    if (numbered && in.source.fullSet) {
        in.candidateMaps = std::make_unique<TStepCandidates>(in.rows, in.candidates);
        kept = in.source.fullSet->get(*in.source.method, *in.source.stats, in.source.sorted, in.source.idle);
    }
    if (kept)
        m_way = kept->perNumber ? MakeNumberQuestionsWay(in, list, *kept) : MakeSetsWay(in, list, *kept);
    // Else the statistic of each core, recording the lookups its test asks: masks of a sum of weights
    // of the numbers, or masks recorded by the test, while a mask holds every candidate; beyond that
    // the candidate index.
    if (!m_way) {
        in.makeWorkers(true);
        const bool byKeys = numbered && in.workers.front()->stat->TestsByKeyLookups();
        const bool masks = in.candidates.size() <= StepWork::kMaxMaskCandidates;
        if (byKeys && !in.candidateMaps)
            in.candidateMaps = std::make_unique<TStepCandidates>(in.rows, in.candidates);
        if (byKeys && masks)
            m_way = MakeWeightMasksWay(in, list);
        if (byKeys && masks && !m_way)
            m_way = MakeRecordedMasksWay(in, list);
        if (byKeys && !masks)
            m_way = MakeIndexWay(in, list);
    }
    // Else the statistic's own test.
    if (!m_way)
        m_way = makeDirectWay();
    if (m_way->foundAscending())
        list.m_ascending = true;
}

std::unique_ptr<TDirectWay> TStatStepFilter::makeDirectWay()
{
    // The candidates are not worked out: the recorders and the maps are not needed.
    TStepInput &in = *m_in;
    in.candidateMaps.reset();
    if (in.workers.empty())
        in.makeWorkers(false);
    for (auto &w : in.workers)
        w->probeArray.setRecorder(nullptr);
    return std::make_unique<TDirectWay>(in, *m_list);
}

namespace {

// The rows given that are rows of the table, ascending, each once.
std::vector<int> tableRows(const std::vector<int> &rows, size_t tableSize)
{
    std::vector<int> selected;
    for (int r : rows)
        if (r >= 0 && size_t(r) < tableSize)
            selected.push_back(r);
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    return selected;
}

} // namespace

int64_t TStatStepFilter::apply(const std::vector<int> &rows, bool deleting)
{
    const size_t call = m_rowCounts.size();
    m_rowCounts.push_back(0);
    m_rowCounts[call] = applyRows(rows, deleting, call);
    return m_rowCounts[call];
}

int64_t TStatStepFilter::applyRows(const std::vector<int> &rows, bool deleting, size_t call)
{
    TStepList &l = *m_list;
    if (!m_active || l.m_count == 0)
        return l.m_count;
    // Only candidates can be applied; the others meet no condition of the step.
    std::vector<int> candidates;
    for (int r : tableRows(rows, m_in->rows.size()))
        if (m_candidateOf[size_t(r)] >= 0)
            candidates.push_back(m_candidateOf[size_t(r)]);
    if (candidates.empty())
        return l.m_count;

    if (!m_way)
        chooseWay();
    l.m_applied.push_back({candidates, deleting, call});
    int64_t left = m_way->apply(candidates, deleting);
    if (left > 0 && m_rowMiscount != 0) {
        left += m_rowMiscount;
        m_rowMiscount = 0;
    }
    if (left == TStepWay::kGoDirect) {
        // The combinations the earlier rows left are made the list first.
        l.m_applied.pop_back();
        finishWay();
        l.m_listCount = l.m_count;
        m_way = makeDirectWay();
        l.m_applied.push_back({candidates, deleting, call});
        left = m_way->apply(candidates, deleting);
    }
    if (l.m_rebuildFailed) {
        fallBackToPlain();
        m_changed = true;
        return m_rowCounts[call];
    }
    if (left == 0) {
        l.m_applied.pop_back();
        return 0;
    }
    l.m_count = left;
    m_changed = true;
    return left;
}

void TStatStepFilter::finish()
{
    TStepList &l = *m_list;
    if (!l.m_list)
        return;
    // A step that removed nothing leaves the list as it was (the full set stays the full set).
    if (m_changed && l.m_count != l.m_listCount && m_way) {
        finishWay();
        l.m_list->truncate(l.m_count);
    }
    l.m_list->ClearUndoCount();
    l.m_list->RefreshCombsCount();
    releaseStep();
}

void TStatStepFilter::finishWay()
{
    m_way->finish();
    if (m_list->m_rebuildFailed)
        fallBackToPlain();
}

void TStatStepFilter::releaseStep()
{
    m_way.reset();
    m_in->workers.clear();
    m_in->candidateMaps.reset();
    m_list->m_applied.clear();
    m_list->m_list = nullptr;
    m_active = false;
}

void TStatStepFilter::fallBackToPlain()
{
    TStepList &l = *m_list;
    m_fallbacks->note(m_in->source.method->MethodCode(), m_step);
    l.m_rebuildFailed = false;
    const std::vector<TStepList::Applied> applied = std::move(l.m_applied);
    l.m_applied.clear();
    std::unique_ptr<TDirectWay> direct = makeDirectWay();
    l.m_count = l.m_listCount = l.m_list->count();
    // Each row's count as the plain step leaves it: what was said of the rows before is put right.
    for (const TStepList::Applied &a : applied) {
        direct->plainStep(a.candidates, a.deleting);
        m_rowCounts[a.call] = l.m_count;
    }
    m_way = std::move(direct);
}

// ---- The step's input ----

void TStepInput::makeWorkers(bool withRecorder)
{
    workers.clear();
    const int n = ParallelWork::workerCount();
    for (int w = 0; w < n; ++w) {
        auto worker = std::make_unique<TStepWorker>();
        worker->stat = source.method->CreateStat(*source.stats);
        if (!worker->stat)
            throw Exception(Format(u"Метод \"%s\" недоступен!", {source.method->MethodCode()}));
        // Statistics that look at the latest draw know it before the first combination.
        worker->stat->LoadDraw(-1, source.last, source.sorted);
        if (withRecorder)
            worker->probeArray.setRecorder(&worker->recorder);
        workers.push_back(std::move(worker));
    }
}

// ---- The list during the step ----

uint8_t *TStepList::buffer(size_t bytes)
{
    return StepWork::roomOf(m_bufferRoom, bytes);
}

const TComb *TStepList::read()
{
    const TComb *combs = m_list->data();
    if (m_list->count() != m_listCount && m_count == m_listCount)
        m_count = m_listCount = m_list->count();
    return combs;
}

bool TStepList::holdsFor(uint64_t revision, bool valid) const
{
    return valid && revision == m_list->revision();
}

bool TStepList::failed()
{
    m_carried.forget();
    m_rebuildFailed = true;
    return false;
}

// ---- The list rebuilt ----

TStepList::RebuildPlan TStepList::planRebuild(const RebuildHints &hints)
{
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    const int64_t fullCount = prefixes.back().end;
    RebuildPlan plan;
    plan.chosen = hints.chosen;
    // A subset left unwritten by the steps before is walked over the full set.
    plan.places = hints.overSubset ? fullCount : m_listCount;
    // The sets of the next step's method, for lists of the full set's combinations (the others read
    // here were found to be such when their own sets or masks were read).
    if (m_source->next && !m_source->next->perNumber && m_ascending)
        plan.next = m_source->next;
    plan.fullSet = hints.overSubset || (!hints.chosen && m_list->isFullSet() && plan.places == m_list->count() &&
                                         plan.places == fullCount);
    // When the next method's sets are written, or the full list is not written yet, the full set is
    // not read but made again in order (fewer loads beside the writes); else it is read (a rebuild of
    // the full set alone is faster so). A subset is never read as the full set.
    plan.remake = hints.overSubset || (plan.fullSet && (plan.next || m_list->unwritten()));
    if (hints.chosen)
        plan.unitKept = CountCombsOfPrefixes(*hints.chosen);
    else if (plan.fullSet && hints.prefixKept)
        plan.unitKept = *hints.prefixKept;
    plan.byPrefix = plan.remake || !plan.unitKept.empty();
    plan.combs = plan.remake || plan.chosen ? nullptr : m_list->data();
    plan.oneWay = hints.chosen || m_count * 5 < plan.places || m_count * 5 > 4 * plan.places;
    // Few places flagged: only those are walked.
    plan.flagged = hints.placeFlags && m_count * 8 < plan.places ? hints.placeFlags : nullptr;
    plan.units = plan.byPrefix ? int(prefixes.size()) : StepWork::chunkCount(plan.places);
    plan.tasks = ParallelWork::workerCount() == 1 || plan.units <= 1 ? 1 : plan.units;
    return plan;
}

bool TStepList::promisesAddUp(std::vector<int64_t> &promised)
{
    if (m_miscount != 0 && !promised.empty()) {
        promised.front() += m_miscount;
        if (promised.size() > 1)
            promised.back() -= m_miscount;
        m_miscount = 0;
    }
    int64_t total = 0;
    for (int64_t p : promised) {
        if (p < 0)
            return false;
        total += p;
    }
    return total == m_count;
}

bool TStepList::leavesAsMany(int64_t written)
{
    // The list is written later as one piece: a miscount of tests goes into its whole.
    written += m_miscount;
    m_miscount = 0;
    return written == m_count;
}

bool TStepList::leaveChosen(const TNumbersChoice &choice)
{
    // The choice writes the combinations each prefix has: they are to be as many as the step counted.
    if (!leavesAsMany(CountCombsOfNumbers(choice)))
        return failed();
    m_carried.forget();
    m_list->assignChosen(choice, m_count, m_writeFellBack, std::exchange(m_writeFault, {}));
    m_applied.clear();
    return true;
}

bool TStepList::leaveSurvivors(const TStepCarried::SumsKept &survivors)
{
    if (!leaveChosen(survivors.choice()))
        return false;
    noteSurvivors(survivors);
    return true;
}

void TStepList::noteSurvivors(const TStepCarried::SumsKept &survivors)
{
    m_carried.leftBySums = survivors;
    m_carried.leftBySums.revision = m_list->revision();
    m_carried.leftBySums.valid = true;
}

bool TStepList::leaveSubset(std::shared_ptr<TFullSetSubset> subset)
{
    if (subset->prefixKept.size() != FullSetPrefixes().size() || !leavesAsMany(StepWork::sumOf(subset->prefixKept)))
        return failed();
    m_carried.forget();
    TCombsList::TUnwrittenWrite write;
    write.write = [subset, fault = std::exchange(m_writeFault, {})](TComb *out) { return subset->write(out, fault); };
    write.inOrder = [subset](TComb *out, int64_t room) { return subset->writeInOrder(out, room); };
    write.fellBack = m_writeFellBack;
    m_list->assignUnwritten(m_count, subset, std::move(write));
    m_carried.leftSubset = std::move(subset);
    m_applied.clear();
    return true;
}

void TStepList::keepNextSets(const TFullSetLookups::Entry *next, std::vector<int64_t> counts)
{
    TStepCarried::NextSets &writing = m_carried.nextSetsWriting;
    writing.entry = next;
    writing.revision = m_list->revision();
    writing.counts = std::move(counts);
    writing.valid = true;
    std::swap(m_carried.nextSetsGiven, writing);
}

bool TStepList::keepFlagged(const uint8_t *flags, int64_t left)
{
    m_count = left;
    if (!rebuild([=](int64_t i, const TComb &) { return flags[i] != 0; }, {}))
        return false;
    m_listCount = m_count;
    return true;
}

void TStepList::keepFlaggedInPlace(const uint8_t *flags)
{
    TComb *const combs = m_list->mutableData();
    int64_t out = 0;
    for (int64_t i = 0; i < m_count; ++i)
        if (flags[i])
            combs[out++] = combs[i];
    m_list->truncate(out);
    m_count = m_listCount = out;
}
