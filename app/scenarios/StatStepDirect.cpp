// The statistics step by the statistic's own combination test: one pass over the list per row
// applied (on all cores), for tests that do not work through key lookups, and the plain step the
// other ways of working fall back to.
#include "app/scenarios/StatStepRebuild.h"

using namespace StepWork;

TDirectWay::TDirectWay(TStepState &step) : m_step(step)
{
    // The candidates are not worked out: the recorders and the maps are not needed.
    m_step.candidateMaps.reset();
    for (auto &w : m_step.workers)
        w->probeArray.setRecorder(nullptr);
}

int64_t TDirectWay::flagKept(const std::vector<int> &rows, bool deleting)
{
    TStepState &s = m_step;
    if (s.workers.empty())
        s.makeWorkers(false);
    const int64_t n = s.count;
    const TComb *combs = s.list->data();
    for (auto &w : s.workers) {
        w->values.clear();
        for (int r : rows)
            w->values.append(s.rows[size_t(r)]);
    }
    m_flags = s.buffer(size_t(n));
    uint8_t *flags = m_flags;
    std::vector<int64_t> counts(size_t(chunkCount(n)), 0);
    const int last = s.source.last;
    const bool sorted = s.source.sorted;
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int wi) {
            TStepWorker &w = *s.workers[size_t(wi)];
            const Range range = chunkRange(chunk, n);
            int64_t kept = 0;
            for (int64_t i = range.begin; i < range.end; ++i) {
                const bool keep = w.stat->CombMatches(combs[i], w.values, last, sorted, deleting) != deleting;
                flags[i] = keep;
                kept += keep;
            }
            counts[size_t(chunk)] = kept;
        },
        s.source.idle);
    return sumOf(counts);
}

int64_t TDirectWay::apply(const std::vector<int> &, const std::vector<int> &rows, bool deleting)
{
    TStepState &s = m_step;
    const int64_t left = flagKept(rows, deleting);
    if (left == 0)
        return 0;
    if (left != s.count) {
        s.count = left;
        const uint8_t *flags = m_flags;
        if (!s.rebuild([=](int64_t i, const TComb &) { return flags[i] != 0; }, {}))
            return left;
        s.listCount = s.count;
    }
    return s.count;
}

void TDirectWay::plainStep(const std::vector<int> &rows, bool deleting)
{
    TStepState &s = m_step;
    const int64_t left = flagKept(rows, deleting);
    // A row that would empty the list is undone.
    if (left == 0 || left == s.count)
        return;
    const uint8_t *flags = m_flags;
    TComb *const combs = s.list->mutableData();
    int64_t out = 0;
    for (int64_t i = 0; i < s.count; ++i)
        if (flags[i])
            combs[out++] = combs[i];
    s.list->truncate(out);
    s.count = s.listCount = out;
}
