#include "app/scenarios/StatStepRebuild.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"

#include <algorithm>
#include <utility>

TStatStepFilter::TStatStepFilter()
    : m_step(std::make_unique<TStepState>()), m_fallbacks(std::make_shared<TFallbackCount>())
{
}
TStatStepFilter::~TStatStepFilter() = default;

void TStatStepFilter::begin(TCombsList &list, std::vector<TStatValueRec> rows, std::vector<int> candidates,
                            TSource source)
{
    TStepState &s = *m_step;
    m_way.reset();
    s.list = &list;
    s.rows = std::move(rows);
    s.candidateOf.assign(s.rows.size(), -1);
    s.candidates.clear();
    for (int r : candidates) {
        if (r < 0 || size_t(r) >= s.rows.size() || s.candidateOf[size_t(r)] >= 0)
            continue;
        s.candidateOf[size_t(r)] = int(s.candidates.size());
        s.candidates.push_back(r);
    }
    s.source = std::move(source);
    if (!s.source.afterStep) {
        s.carried.forget();
        s.carried.leftSubset.reset();
    }
    s.count = s.listCount = list.count();
    s.applied.clear();
    s.rebuildFailed = false;
    s.writeFellBack = [fallbacks = m_fallbacks, code = s.source.method->MethodCode()] { fallbacks->note(code); };
    m_rowCounts.clear();
    s.listAscending = list.isFullSet();
    s.workers.clear();
    s.candidateMaps.reset();
    m_active = true;
    m_changed = false;
}

int64_t TStatStepFilter::count() const
{
    return m_step->count;
}

TStatStepFilter::Mode TStatStepFilter::mode() const
{
    return m_way ? m_way->mode() : m_active ? Mode::Pending : Mode::Idle;
}

void TStatStepFilter::miscountNextRebuild(int64_t delta)
{
    m_step->miscount = delta;
}

void TStatStepFilter::miscountNextRow(int64_t delta)
{
    m_rowMiscount = delta;
}

void TStatStepFilter::faultNextWrite(const TWriteFault &fault)
{
    m_step->writeFault = fault;
}

TStatStepFilter::TFallbacks TStatStepFilter::fallbacks() const
{
    return m_fallbacks->taken();
}

void TStatStepFilter::clearFallbacks()
{
    m_fallbacks->clear();
}

void TStatStepFilter::TFallbackCount::note(const QString &method)
{
    const std::lock_guard<std::mutex> lock(m_lock);
    ++m_taken.taken;
    if (!m_taken.methods.contains(method))
        m_taken.methods.append(method);
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
}

void TStatStepFilter::prepare()
{
    if (m_active && !m_way && m_step->count > 0)
        chooseWay();
}

void TStatStepFilter::chooseWay()
{
    TStepState &s = *m_step;
    // The candidate maps number the candidates in 16 bits: more than that are filtered by the test.
    const bool numbered = !s.candidates.empty() && s.candidates.size() <= TStepCandidates::kMaxCandidates;
    if (numbered && s.source.fullSet) {
        s.candidateMaps = std::make_unique<TStepCandidates>(s.rows, s.candidates);
        if (const TFullSetLookups::Entry *entry =
                s.source.fullSet->get(*s.source.method, *s.source.stats, s.source.sorted, s.source.idle))
            m_way = entry->perNumber ? MakeNumberQuestionsWay(s, *entry) : MakeSetsWay(s, *entry);
        if (m_way)
            return;
    }
    s.makeWorkers(true);
    if (numbered && s.workers.front()->stat->TestsByKeyLookups()) {
        if (!s.candidateMaps)
            s.candidateMaps = std::make_unique<TStepCandidates>(s.rows, s.candidates);
        m_way = MakeKeyLookupsWay(s);
        if (m_way)
            return;
    }
    m_way = std::make_unique<TDirectWay>(s);
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
    TStepState &s = *m_step;
    if (!m_active || s.count == 0)
        return s.count;
    const std::vector<int> selected = tableRows(rows, s.rows.size());
    // Only candidates can be applied; the others meet no condition of the step.
    std::vector<int> candidates;
    for (int r : selected)
        if (s.candidateOf[size_t(r)] >= 0)
            candidates.push_back(s.candidateOf[size_t(r)]);
    if (candidates.empty())
        return s.count;

    if (!m_way)
        chooseWay();
    const std::vector<int> candidateRows = s.rowsOf(candidates);
    s.applied.push_back({candidateRows, deleting, call});
    int64_t left = m_way->apply(candidates, selected, deleting);
    if (left > 0 && m_rowMiscount != 0) {
        left += m_rowMiscount;
        m_rowMiscount = 0;
    }
    if (left == TStepWay::kGoDirect) {
        // The combinations the earlier rows left are made the list first.
        s.applied.pop_back();
        finishWay();
        s.listCount = s.count;
        m_way = std::make_unique<TDirectWay>(s);
        s.applied.push_back({candidateRows, deleting, call});
        left = m_way->apply(candidates, candidateRows, deleting);
    }
    if (s.rebuildFailed) {
        fallBackToPlain();
        m_changed = true;
        return m_rowCounts[call];
    }
    if (left == 0) {
        s.applied.pop_back();
        return 0;
    }
    s.count = left;
    m_changed = true;
    return left;
}

void TStatStepFilter::finish()
{
    TStepState &s = *m_step;
    if (!s.list)
        return;
    // A step that removed nothing leaves the list as it was (the full set stays the full set).
    if (m_changed && s.count != s.listCount && m_way) {
        finishWay();
        s.list->truncate(s.count);
    }
    s.list->ClearUndoCount();
    s.list->RefreshCombsCount();
    releaseStep();
}

void TStatStepFilter::finishWay()
{
    m_way->finish();
    if (m_step->rebuildFailed)
        fallBackToPlain();
}

void TStatStepFilter::releaseStep()
{
    TStepState &s = *m_step;
    m_way.reset();
    s.workers.clear();
    s.candidateMaps.reset();
    s.applied.clear();
    s.list = nullptr;
    m_active = false;
}

void TStatStepFilter::fallBackToPlain()
{
    TStepState &s = *m_step;
    m_fallbacks->note(s.source.method->MethodCode());
    s.rebuildFailed = false;
    const std::vector<TStepState::Applied> applied = std::move(s.applied);
    s.applied.clear();
    auto direct = std::make_unique<TDirectWay>(s);
    s.count = s.listCount = s.list->count();
    // Each row's count as the plain step leaves it: what was said of the rows before is put right.
    for (const TStepState::Applied &a : applied) {
        direct->plainStep(a.rows, a.deleting);
        m_rowCounts[a.call] = s.count;
    }
    m_way = std::move(direct);
}

// ---- The step's state ----

uint8_t *TStepState::buffer(size_t bytes)
{
    return StepWork::roomOf(m_bufferRoom, bytes);
}

void TStepState::makeWorkers(bool withRecorder)
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

std::vector<int> TStepState::rowsOf(const std::vector<int> &picked) const
{
    std::vector<int> selected;
    for (int c : picked)
        selected.push_back(candidates[size_t(c)]);
    return selected;
}

bool TStepState::holdsFor(uint64_t revision, bool valid) const
{
    return valid && revision == list->revision();
}

bool TStepState::failed()
{
    carried.forget();
    rebuildFailed = true;
    return false;
}

// ---- The list rebuilt ----

TStepState::RebuildPlan TStepState::planRebuild(const RebuildHints &hints)
{
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    const int64_t fullCount = prefixes.back().end;
    RebuildPlan plan;
    plan.chosen = hints.chosen;
    // A subset left unwritten by the steps before is walked over the full set.
    plan.places = hints.overSubset ? fullCount : listCount;
    // The sets of the next step's method, for lists of the full set's combinations (the others read
    // here were found to be such when their own sets or masks were read).
    if (source.next && !source.next->perNumber && listAscending)
        plan.next = source.next;
    plan.fullSet = hints.overSubset || (!hints.chosen && list->isFullSet() && plan.places == list->count() &&
                                         plan.places == fullCount);
    // When the next method's sets are written, or the full list is not written yet, the full set is
    // not read but made again in order (fewer loads beside the writes); else it is read (a rebuild of
    // the full set alone is faster so). A subset is never read as the full set.
    plan.remake = hints.overSubset || (plan.fullSet && (plan.next || list->unwritten()));
    if (hints.chosen)
        plan.unitKept = CountCombsOfPrefixes(*hints.chosen);
    else if (plan.fullSet && hints.prefixKept)
        plan.unitKept = *hints.prefixKept;
    plan.byPrefix = plan.remake || !plan.unitKept.empty();
    plan.combs = plan.remake || plan.chosen ? nullptr : list->data();
    plan.oneWay = hints.chosen || count * 5 < plan.places || count * 5 > 4 * plan.places;
    // Few places flagged: only those are walked.
    plan.flagged = hints.placeFlags && count * 8 < plan.places ? hints.placeFlags : nullptr;
    plan.units = plan.byPrefix ? int(prefixes.size()) : StepWork::chunkCount(plan.places);
    plan.tasks = ParallelWork::workerCount() == 1 || plan.units <= 1 ? 1 : plan.units;
    return plan;
}

bool TStepState::promisesAddUp(std::vector<int64_t> &promised)
{
    if (miscount != 0 && !promised.empty()) {
        promised.front() += miscount;
        if (promised.size() > 1)
            promised.back() -= miscount;
        miscount = 0;
    }
    int64_t total = 0;
    for (int64_t p : promised) {
        if (p < 0)
            return false;
        total += p;
    }
    return total == count;
}

bool TStepState::leavesAsMany(int64_t written)
{
    // The list is written later as one piece: a miscount of tests goes into its whole.
    written += miscount;
    miscount = 0;
    return written == count;
}

bool TStepState::leaveChosen(const TNumbersChoice &choice)
{
    // The choice writes the combinations each prefix has: they are to be as many as the step counted.
    if (!leavesAsMany(CountCombsOfNumbers(choice)))
        return failed();
    carried.forget();
    list->assignChosen(choice, count, writeFellBack, std::exchange(writeFault, {}));
    applied.clear();
    return true;
}

bool TStepState::leaveSurvivors()
{
    if (!leaveChosen(carried.leftBySums.choice()))
        return false;
    noteSurvivors();
    return true;
}

void TStepState::noteSurvivors()
{
    carried.leftBySums.revision = list->revision();
    carried.leftBySums.valid = true;
}

bool TStepState::leaveSubset(std::shared_ptr<TFullSetSubset> subset)
{
    if (subset->prefixKept.size() != FullSetPrefixes().size() || !leavesAsMany(StepWork::sumOf(subset->prefixKept)))
        return failed();
    carried.forget();
    TCombsList::TUnwrittenWrite write;
    write.write = [subset, fault = std::exchange(writeFault, {})](TComb *out) { return subset->write(out, fault); };
    write.inOrder = [subset](TComb *out, int64_t room) { return subset->writeInOrder(out, room); };
    write.fellBack = writeFellBack;
    list->assignUnwritten(count, subset, std::move(write));
    carried.leftSubset = std::move(subset);
    applied.clear();
    return true;
}

void TStepState::keepNextSets(const TFullSetLookups::Entry *next, std::vector<int64_t> counts)
{
    TStepCarried::NextSets &writing = carried.nextSetsWriting;
    writing.entry = next;
    writing.revision = list->revision();
    writing.counts = std::move(counts);
    writing.valid = true;
    std::swap(carried.nextSetsGiven, writing);
}
