#pragma once

// The rebuild of the list at the end of a statistics step: a template over the test that keeps a
// combination, so that its loop is compiled for each way of working.

#include "app/scenarios/StatStepWay.h"

#include "app/combinations/CombsList.h"
#include "app/combinations/CombsOfNumbers.h"
#include "app/combinations/ParallelWork.h"
#include "app/scenarios/FullSetSubset.h"
#include "app/scenarios/StepCandidates.h"
#include "app/scenarios/StepWork.h"
#include "lottery/stats/CustomStat.h"

#include <cstring>
#include <numeric>
#include <memory>
#include <vector>

// What the caller of a rebuild knows. prefixKept: over the full set, how many the test keeps of each
// prefix of the full set, when known without a pass. chosen: the list is to become the combinations
// of that choice of numbers (a subset of the list): they are made again from the numbers instead of
// read, and the test is not asked. placeFlags: the test is "the flag of the place in the full set is
// set" (over a subset left unwritten, overSubset): when few are, the places without one are passed over.
struct TStepList::RebuildHints {
    const std::vector<int64_t> *prefixKept = nullptr;
    const TNumbersChoice *chosen = nullptr;
    const uint8_t *placeFlags = nullptr;
    bool overSubset = false;
};

// How a rebuild walks: units (the prefixes of the full set, or chunks of the list) shared among tasks
// (one per unit, or one for all on a single core), and what each task is promised to keep.
struct TStepList::RebuildPlan {
    int64_t places = 0;          // places walked: the list's, or the full set's
    const TComb *combs = nullptr; // the list read (nullptr when its combinations are made again)
    bool fullSet = false;        // entry i is the combination of place i of the full set
    bool remake = false;         // the full set is made again in order rather than read
    bool byPrefix = false;       // the units are the prefixes of the full set
    bool oneWay = false;         // most combinations go one way: the branch is foreseen
    const TNumbersChoice *chosen = nullptr;
    const uint8_t *flagged = nullptr;
    const TFullSetLookups::Entry *next = nullptr; // the next method's sets, written on the way
    std::vector<int64_t> unitKept;               // what each unit keeps, when known without a pass
    int units = 0;
    int tasks = 0;
};

namespace StepRebuild {

// Calls use(walk) with the walk of the task's combinations (the units of the task in order): walk(f)
// calls f(combination, place) for each. Each kind of walk makes its own use, so that the place written
// next stays in a register in each (the bytes written could otherwise be it); use returns how many.
template <class Plan, class Use> int64_t withTaskWalk(const Plan &plan, int task, Use &&use)
{
    const int first = plan.tasks == 1 ? 0 : task;
    const int last = plan.tasks == 1 ? plan.units : task + 1;
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    if (plan.chosen)
        // The places in the full set are not needed: a running number stands in for them.
        return use([&](auto &&f) {
            for (int u = first; u < last; ++u) {
                int64_t i = prefixes[size_t(u)].start;
                if (plan.unitKept[size_t(u)] > 0)
                    ForEachChosenOfPrefix(prefixes[size_t(u)].a, prefixes[size_t(u)].b, *plan.chosen,
                                          [&](uint64_t bytes) {
                                              TComb c;
                                              std::memcpy(c.n.data(), &bytes, sizeof(TComb));
                                              f(c, i++);
                                          });
            }
        });
    if (plan.remake && plan.flagged)
        return use([&](auto &&f) {
            for (int u = first; u < last; ++u)
                ForEachFlaggedOfPrefix(prefixes[size_t(u)], plan.flagged, f);
        });
    if (plan.remake)
        return use([&](auto &&f) {
            for (int u = first; u < last; ++u)
                ForEachOfPrefix(prefixes[size_t(u)], f);
        });
    return use([&](auto &&f) {
        const TComb *const from = plan.combs;
        for (int u = first; u < last; ++u) {
            const StepWork::Range r = plan.byPrefix ? StepWork::Range{prefixes[size_t(u)].start, prefixes[size_t(u)].end}
                                                    : StepWork::chunkRange(u, plan.places);
            for (int64_t i = r.begin; i < r.end; ++i)
                f(from[i], i);
        }
    });
}

// Writes the next method's set of each combination written and counts those kept.
struct NextSetsWriter {
    const uint8_t *fullIds;
    uint8_t *ids;
    int64_t *counts; // the worker's first table of counts
    size_t stride;
    size_t turn;     // the tables taken in turn, less one
    int width;
    bool fullSet;

    void operator()(const TComb &c, int64_t place, int64_t out, bool kept) const
    {
        const size_t at = size_t(fullSet ? place : TFullSetLookups::rankOfAscending(c));
        int64_t *const h = counts + (size_t(place) & turn) * stride;
        if (width == 1) {
            const uint8_t id = fullIds[at];
            ids[out] = id;
            h[id] += kept;
        } else {
            uint16_t id;
            std::memcpy(&id, fullIds + 2 * at, 2);
            StepWork::storeAt<uint16_t>(ids, out, id);
            h[id] += kept;
        }
    }
};

// Writes the kept combinations of the task from begin on, never at end or past it, and returns how
// many it kept (also those it had no room for). Each combination is written, kept or not, when about
// as many go as stay (the next one kept overwrites it): no branch is then mispredicted.
template <class Plan, class Keep, class Write>
int64_t writeTask(const Plan &plan, const Keep &keep, int task, TComb *to, int64_t begin, int64_t end,
                  const Write &write)
{
    return withTaskWalk(plan, task, [&](auto walk) -> int64_t {
        // Locals: the combinations written could be anything else.
        const Keep local = keep;
        const Write put = write;
        TComb *const out = to;
        const int64_t stop = end;
        int64_t o = begin;
        if (plan.oneWay)
            walk([&](const TComb &c, int64_t i) {
                if (local(i, c)) {
                    if (o < stop) {
                        put(c, i, o, true);
                        out[o] = c;
                    }
                    ++o;
                }
            });
        else
            walk([&](const TComb &c, int64_t i) {
                const bool k = local(i, c);
                if (o < stop) {
                    put(c, i, o, k);
                    out[o] = c;
                }
                o += k;
            });
        return o - begin;
    });
}

// How many combinations of the task the test keeps.
template <class Plan, class Keep> int64_t countTask(const Plan &plan, const Keep &keep, int task)
{
    return withTaskWalk(plan, task, [&](auto walk) -> int64_t {
        const Keep local = keep;
        int64_t kept = 0;
        walk([&](const TComb &c, int64_t i) { kept += local(i, c); });
        return kept;
    });
}

} // namespace StepRebuild

template <class Keep> bool TStepList::rebuild(Keep keep, const RebuildHints &hints)
{
    m_carried.forget();
    const RebuildPlan plan = planRebuild(hints);
    std::vector<int64_t> promised = promisedKept(plan, keep);
    // Into the undo copy's storage, which becomes the list's: the list itself is only read meanwhile
    // (the window may paint it, and it stays as it was when a task does not add up).
    if (!promisesAddUp(promised) || !writeRebuilt(plan, keep, promised))
        return failed();
    m_applied.clear();
    return true;
}

template <class Keep>
std::vector<int64_t> TStepList::promisedKept(const RebuildPlan &plan, const Keep &keep)
{
    // Known, the step's own count for a single task, or counted.
    std::vector<int64_t> promised = plan.unitKept;
    if (plan.tasks == 1) {
        promised.assign(1, m_count);
    } else if (promised.empty()) {
        promised.assign(size_t(plan.tasks), 0);
        ParallelWork::run(
            plan.tasks, [&](int task, int) { promised[size_t(task)] = StepRebuild::countTask(plan, keep, task); },
            m_source->idle);
    }
    return promised;
}

template <class Keep>
bool TStepList::writeRebuilt(const RebuildPlan &plan, const Keep &keep, const std::vector<int64_t> &promised)
{
    using namespace StepRebuild;
    std::vector<int64_t> start(promised.size() + 1, 0);
    std::partial_sum(promised.begin(), promised.end(), start.begin() + 1);
    TComb *const to = m_list->rebuildRoom();
    const size_t sets = plan.next ? plan.next->sets.size() : 0;
    // The sets are counted in four tables taken in turn when there are few (a run of one set then
    // does not wait on itself), else in one.
    const size_t turns = sets <= 4096 ? 4 : 1;
    StepWork::WorkerCounts nextCounts(sets, turns);
    // One entry to spare beside the last one kept.
    uint8_t *const nextIds =
        plan.next ? StepWork::roomOf(m_carried.nextSetsWriting.ids, (size_t(m_count) + 1) * size_t(plan.next->width)) : nullptr;
    std::vector<int64_t> written(promised.size(), 0);
    ParallelWork::run(
        plan.tasks,
        [&](int task, int worker) {
            const int64_t begin = start[size_t(task)], end = start[size_t(task) + 1];
            if (plan.next) {
                const NextSetsWriter write{plan.next->ids.data(), nextIds,   nextCounts.of(worker), nextCounts.stride(),
                                           turns - 1,             plan.next->width, plan.fullSet};
                written[size_t(task)] = writeTask(plan, keep, task, to, begin, end, write);
            } else {
                auto none = [](const TComb &, int64_t, int64_t, bool) {};
                written[size_t(task)] = writeTask(plan, keep, task, to, begin, end, none);
            }
        },
        m_source->idle);
    if (written != promised)
        return false;
    m_list->adoptRebuilt(m_count);
    if (plan.next)
        keepNextSets(plan.next, nextCounts.total());
    return true;
}
