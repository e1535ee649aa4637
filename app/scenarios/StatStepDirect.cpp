// The statistics step by the statistic's own combination test: one pass over the list per row
// applied (on all cores), for tests that do not work through key lookups, and the plain step the
// other ways of working fall back to.
#include "app/scenarios/StatStepRebuild.h"

using namespace StepWork;

int64_t TDirectWay::flagKept(const std::vector<int> &candidates, bool deleting)
{
    const TComb *combs = m_list.read();
    const int64_t n = m_list.count();
    for (auto &w : m_in.workers) {
        w->values.clear();
        for (int c : candidates)
            w->values.append(m_in.rows[size_t(m_in.candidates[size_t(c)])]);
    }
    m_flags = m_list.buffer(size_t(n));
    uint8_t *flags = m_flags;
    std::vector<int64_t> counts(size_t(chunkCount(n)), 0);
    const int last = m_in.source.last;
    const bool sorted = m_in.source.sorted;
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int wi) {
            TStepWorker &w = *m_in.workers[size_t(wi)];
            const Range range = chunkRange(chunk, n);
            int64_t kept = 0;
            for (int64_t i = range.begin; i < range.end; ++i) {
                const bool keep = w.stat->CombMatches(combs[i], w.values, last, sorted, deleting) != deleting;
                flags[i] = keep;
                kept += keep;
            }
            counts[size_t(chunk)] = kept;
        },
        m_in.source.idle);
    return sumOf(counts);
}

int64_t TDirectWay::apply(const std::vector<int> &candidates, bool deleting)
{
    const int64_t left = flagKept(candidates, deleting);
    if (left == 0)
        return 0;
    if (left != m_list.count() && !m_list.keepFlagged(m_flags, left))
        return left;
    return m_list.count();
}

void TDirectWay::plainStep(const std::vector<int> &candidates, bool deleting)
{
    const int64_t left = flagKept(candidates, deleting);
    // A row that would empty the list is undone.
    if (left == 0 || left == m_list.count())
        return;
    m_list.keepFlaggedInPlace(m_flags);
}
