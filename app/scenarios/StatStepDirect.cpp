// The statistics step by the statistic's own combination test: one pass over the list per row
// applied (on all cores), for tests that do not work through key lookups, and the plain step the
// other ways of working fall back to.
#include "app/scenarios/StatStepRebuild.h"

using namespace StepWork;

int64_t TStatStepFilter::flagKept(const std::vector<int> &rows, bool deleting)
{
    if (m_workers.empty())
        makeWorkers(false);
    const int64_t n = m_count;
    const TComb *combs = m_list->data();
    for (auto &w : m_workers) {
        w->values.clear();
        for (int r : rows)
            w->values.append(m_rows[size_t(r)]);
    }
    m_buffer = buffer(size_t(n));
    uint8_t *flags = m_buffer;
    std::vector<int64_t> counts(size_t(chunkCount(n)), 0);
    const int last = m_source.last;
    const bool sorted = m_source.sorted;
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int wi) {
            Worker &w = *m_workers[size_t(wi)];
            const Range range = chunkRange(chunk, n);
            int64_t kept = 0;
            for (int64_t i = range.begin; i < range.end; ++i) {
                const bool keep = w.stat->CombMatches(combs[i], w.values, last, sorted, deleting) != deleting;
                flags[i] = keep;
                kept += keep;
            }
            counts[size_t(chunk)] = kept;
        },
        m_source.idle);
    return sumOf(counts);
}

int64_t TStatStepFilter::applyDirect(const std::vector<int> &rows, bool deleting)
{
    const int64_t left = flagKept(rows, deleting);
    if (left == 0)
        return 0;
    if (left != m_count) {
        m_applied.push_back({rows, deleting});
        m_count = left;
        const uint8_t *flags = m_buffer;
        rebuild([=](int64_t i, const TComb &) { return flags[i] != 0; }, {});
        m_listCount = m_count;
        m_changed = true;
    }
    return m_count;
}

void TStatStepFilter::plainStep(const std::vector<int> &rows, bool deleting)
{
    const int64_t left = flagKept(rows, deleting);
    // A row that would empty the list is undone.
    if (left == 0 || left == m_count)
        return;
    const uint8_t *flags = m_buffer;
    TComb *const combs = m_list->mutableData();
    int64_t out = 0;
    for (int64_t i = 0; i < m_count; ++i)
        if (flags[i])
            combs[out++] = combs[i];
    m_list->truncate(out);
    m_count = m_listCount = out;
    m_changed = true;
}
