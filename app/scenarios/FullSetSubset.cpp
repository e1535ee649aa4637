#include "app/scenarios/FullSetSubset.h"

#include "app/combinations/ParallelWork.h"

#include <algorithm>
#include <numeric>

void TFullSetSubset::write(TComb *out) const
{
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    std::vector<uint8_t> flags(static_cast<size_t>(prefixes.back().end));
    std::vector<int64_t> start(prefixes.size() + 1, 0);
    std::partial_sum(prefixKept.begin(), prefixKept.end(), start.begin() + 1);
    ParallelWork::run(int(prefixes.size()), [&](int task, int) {
        const TFullSetPrefix &p = prefixes[size_t(task)];
        mark(p.start, p.end, flags.data() + p.start);
        TComb *to = out + start[size_t(task)];
        TComb *const end = out + start[size_t(task) + 1];
        ForEachFlaggedOfPrefix(p, flags.data(), [&](const TComb &c, int64_t) {
            if (to < end)
                *to++ = c;
        });
    });
}
