#include "app/scenarios/StatStepRebuild.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/OperationLog.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"

#include <algorithm>

using namespace Qt::StringLiterals;

TStatStepFilter::TStatStepFilter() = default;
TStatStepFilter::~TStatStepFilter() = default;

void TStatStepFilter::begin(TCombsList &list, std::vector<TStatValueRec> rows, std::vector<int> candidates,
                            TSource source)
{
    m_list = &list;
    m_rows = std::move(rows);
    m_candidateOf.assign(m_rows.size(), -1);
    m_candidates.clear();
    for (int r : candidates) {
        if (r < 0 || size_t(r) >= m_rows.size() || m_candidateOf[size_t(r)] >= 0)
            continue;
        m_candidateOf[size_t(r)] = int(m_candidates.size());
        m_candidates.push_back(r);
    }
    m_source = std::move(source);
    if (!m_source.afterStep) {
        m_nextSetsGiven.valid = false;
        m_leftBySums.valid = false;
        m_leftSubset.reset();
    }
    m_listBySums.valid = false;
    m_sets.overSubset = false;
    m_mode = Mode::Pending;
    m_count = m_listCount = list.count();
    m_changed = false;
    m_applied.clear();
    m_masks.deleted = m_masks.required = m_masks.anyOf = 0;
    m_masks.fromNumbers = false;
    m_masks.fromWeights = false;
    m_masks.classes.clear();
    m_listAscending = list.isFullSet();
    m_workers.clear();
    m_candidateMaps.reset();
}

uint8_t *TStatStepFilter::buffer(size_t bytes)
{
    return StepWork::roomOf(m_bufferRoom, bytes);
}

void TStatStepFilter::makeWorkers(bool withRecorder)
{
    m_workers.clear();
    const int n = ParallelWork::workerCount();
    for (int w = 0; w < n; ++w) {
        auto worker = std::make_unique<Worker>();
        worker->stat = m_source.method->CreateStat(*m_source.stats);
        if (!worker->stat)
            throw Exception(Format(u"Метод \"%s\" недоступен!", {m_source.method->MethodCode()}));
        // Statistics that look at the latest draw know it before the first combination.
        worker->stat->LoadDraw(-1, m_source.last, m_source.sorted);
        if (withRecorder)
            worker->probeArray.setRecorder(&worker->recorder);
        m_workers.push_back(std::move(worker));
    }
}

void TStatStepFilter::prepare()
{
    if (m_mode == Mode::Pending && m_count > 0)
        buildIndex();
}

void TStatStepFilter::buildIndex()
{
    m_sets.entry = nullptr;
    m_sets.ids = nullptr;
    // The candidate maps number the candidates in 16 bits: more than that are filtered by the test.
    const bool numbered = !m_candidates.empty() && m_candidates.size() <= TStepCandidates::kMaxCandidates;
    if (numbered && m_source.fullSet) {
        m_candidateMaps = std::make_unique<TStepCandidates>(m_rows, m_candidates);
        if (useFullSet())
            return;
        m_sets.entry = nullptr;
    }
    makeWorkers(true);
    if (numbered && m_workers.front()->stat->TestsByKeyLookups() && useKeyLookups())
        return;
    useDirect();
}

bool TStatStepFilter::useFullSet()
{
    m_sets.entry = m_source.fullSet->get(*m_source.method, *m_source.stats, m_source.sorted, m_source.idle);
    if (!m_sets.entry)
        return false;
    return m_sets.entry->perNumber ? useNumberQuestions() : countSets();
}

bool TStatStepFilter::useKeyLookups()
{
    if (!m_candidateMaps)
        m_candidateMaps = std::make_unique<TStepCandidates>(m_rows, m_candidates);
    if (m_candidates.size() <= StepWork::kMaxMaskCandidates) {
        std::array<uint8_t, kMaxNumber + 1> weights{};
        TStatProbe lookup;
        if (m_workers.front()->stat->NumberWeightsOfTest(m_source.last, weights, lookup) &&
            useNumberWeights(weights, lookup))
            return true;
        return recordTestMasks();
    }
    if (!recordIndexes())
        return false;
    m_mode = Mode::Index;
    m_index.allowed.assign(m_candidates.size() + 1, 1);
    return true;
}

void TStatStepFilter::useDirect()
{
    m_mode = Mode::Direct;
    m_candidateMaps.reset();
    m_masks.classes.clear();
    for (auto &w : m_workers)
        w->probeArray.setRecorder(nullptr);
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
    if (m_mode == Mode::Idle || m_count == 0)
        return m_count;
    const std::vector<int> selected = tableRows(rows, m_rows.size());
    // Only candidates can be applied; the others meet no condition of the step.
    std::vector<int> candidates;
    for (int r : selected)
        if (m_candidateOf[size_t(r)] >= 0)
            candidates.push_back(m_candidateOf[size_t(r)]);
    if (candidates.empty())
        return m_count;

    if (m_mode == Mode::Pending)
        buildIndex();
    switch (m_mode) {
    case Mode::Direct: return applyDirect(selected, deleting);
    case Mode::Index: return applyIndex(candidates, deleting);
    case Mode::Sets: return applySets(candidates, deleting);
    default: return applyMask(candidates, deleting);
    }
}

std::vector<int> TStatStepFilter::rowsOf(const std::vector<int> &candidates) const
{
    std::vector<int> rows;
    for (int c : candidates)
        rows.push_back(m_candidates[size_t(c)]);
    return rows;
}

int64_t TStatStepFilter::accept(const std::vector<int> &candidates, bool deleting, int64_t left)
{
    m_count = left;
    m_changed = true;
    m_applied.push_back({rowsOf(candidates), deleting});
    return left;
}

void TStatStepFilter::finish()
{
    if (!m_list)
        return;
    // A step that removed nothing leaves the list as it was (the full set stays the full set).
    if (m_changed && m_count != m_listCount) {
        if (m_mode == Mode::Sets)
            rebuildSets();
        else if (m_mode == Mode::Mask)
            rebuildMasks();
        else if (m_mode == Mode::Index)
            rebuildIndexed();
        m_list->truncate(m_count);
    }
    m_list->ClearUndoCount();
    m_list->RefreshCombsCount();
    releaseStep();
}

void TStatStepFilter::releaseStep()
{
    m_workers.clear();
    m_candidateMaps.reset();
    m_masks.classes.clear();
    m_sets.entry = nullptr;
    m_sets.ids = nullptr;
    m_sets.subsetFlags = nullptr;
    m_buffer = nullptr;
    m_applied.clear();
    m_mode = Mode::Idle;
    m_list = nullptr;
}

void TStatStepFilter::fallBackToPlain()
{
    if (!m_miscountReported) {
        m_miscountReported = true;
        PostLogMessage(u"Фильтрация комбинаций"_s,
                       Format(u"Список комбинаций, перестроенный по шагу метода \"%s\", не совпал с подсчетом: "
                              u"шаг выполнен заново построчно.",
                              {m_source.method->MethodCode()}),
                       MsgKindColor(MSG_WARNING));
    }
    m_nextSetsWriting.valid = false;
    const std::vector<Applied> applied = std::move(m_applied);
    m_applied.clear();
    m_sets.overSubset = false;
    m_masks.deleted = m_masks.required = m_masks.anyOf = 0;
    if (m_workers.empty())
        makeWorkers(false);
    useDirect();
    m_count = m_listCount = m_list->count();
    for (const Applied &a : applied)
        plainStep(a.rows, a.deleting);
}

// ---- The list rebuilt ----

TStatStepFilter::RebuildPlan TStatStepFilter::planRebuild(const RebuildHints &hints)
{
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    const int64_t fullCount = prefixes.back().end;
    RebuildPlan plan;
    plan.chosen = hints.chosen;
    // A subset left unwritten by the steps before is walked over the full set.
    plan.places = m_sets.overSubset ? fullCount : m_listCount;
    // The sets of the next step's method, for lists of the full set's combinations (the others read
    // here were found to be such when their own sets or masks were read).
    if (m_source.next && !m_source.next->perNumber && m_listAscending)
        plan.next = m_source.next;
    plan.fullSet = m_sets.overSubset || (!hints.chosen && m_list->isFullSet() && plan.places == m_list->count() &&
                                         plan.places == fullCount);
    // When the next method's sets are written, or the full list is not written yet, the full set is
    // not read but made again in order (fewer loads beside the writes); else it is read (a rebuild of
    // the full set alone is faster so). A subset is never read as the full set.
    plan.remake = m_sets.overSubset || (plan.fullSet && (plan.next || m_list->unwritten()));
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

bool TStatStepFilter::promisesAddUp(const std::vector<int64_t> &promised) const
{
    int64_t total = 0;
    for (int64_t p : promised) {
        if (p < 0)
            return false;
        total += p;
    }
    return total == m_count;
}

void TStatStepFilter::forgetCarried()
{
    // Whatever the step before gave is for the list as it was.
    m_nextSetsGiven.valid = false;
    m_leftBySums.valid = false;
    m_listBySums.valid = false;
}

void TStatStepFilter::keepNextSets(const TFullSetLookups::Entry *next, std::vector<int64_t> counts)
{
    m_nextSetsWriting.entry = next;
    m_nextSetsWriting.data = m_list->address();
    m_nextSetsWriting.count = m_count;
    m_nextSetsWriting.counts = std::move(counts);
    m_nextSetsWriting.valid = true;
    std::swap(m_nextSetsGiven, m_nextSetsWriting);
}
