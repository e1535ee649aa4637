#include "app/scenarios/FullSetSubset.h"

#include "app/combinations/ParallelWork.h"
#include "app/scenarios/StepWork.h"

#include <algorithm>
#include <numeric>

void TFullSetSubset::mark(int64_t begin, int64_t end, uint8_t *flags) const
{
    const int64_t n = end - begin;
    std::fill(flags, flags + n, uint8_t(1));
    for (const Condition &c : conditions)
        andAlive(*c.entry, c.alive.data(), begin, n, flags);
}

void TFullSetSubset::write(TComb *out) const
{
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    const int64_t total = prefixes.back().end;
    std::vector<uint8_t> flags(static_cast<size_t>(total));
    std::vector<int64_t> start(prefixes.size() + 1, 0);
    ParallelWork::run(int(prefixes.size()), [&](int task, int) {
        const TFullSetPrefix &p = prefixes[size_t(task)];
        mark(p.start, p.end, flags.data() + p.start);
        start[size_t(task) + 1] = std::accumulate(flags.begin() + p.start, flags.begin() + p.end, int64_t(0));
    });
    for (size_t t = 0; t < prefixes.size(); ++t)
        start[t + 1] += start[t];
    ParallelWork::run(int(prefixes.size()), [&](int task, int) {
        TComb *to = out + start[size_t(task)];
        ForEachFlaggedOfPrefix(prefixes[size_t(task)], flags.data(), [&](const TComb &c, int64_t) { *to++ = c; });
    });
}

void TFullSetSubset::andAlive(const TFullSetLookups::Entry &entry, const uint8_t *alive, int64_t begin, int64_t n,
                              uint8_t *flags)
{
    if (entry.width == 1) {
        const uint8_t *const ids = entry.ids.data() + begin;
        for (int64_t k = 0; k < n; ++k)
            flags[k] &= alive[ids[k]];
    } else {
        const uint8_t *const ids = entry.ids.data() + 2 * begin;
        for (int64_t k = 0; k < n; ++k)
            flags[k] &= alive[StepWork::loadAt<uint16_t>(ids, k)];
    }
}
