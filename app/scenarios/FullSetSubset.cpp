#include "app/scenarios/FullSetSubset.h"

#include "app/combinations/ParallelWork.h"

#include <algorithm>
#include <numeric>

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
