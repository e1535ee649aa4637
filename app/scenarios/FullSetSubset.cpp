#include "app/scenarios/FullSetSubset.h"

#include "app/combinations/ParallelWork.h"

#include <algorithm>
#include <numeric>

TCombsWritten TFullSetSubset::write(TComb *out, const TWriteFault &fault) const
{
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    std::vector<uint8_t> flags(static_cast<size_t>(prefixes.back().end));
    std::vector<int64_t> kept = prefixKept;
    ShiftPartCounts(kept, fault);
    std::vector<int64_t> start(prefixes.size() + 1, 0);
    std::partial_sum(kept.begin(), kept.end(), start.begin() + 1);
    // What each pair of first numbers found, counted as it writes (never past its place), and whether
    // that is what it was counted. Every entry it writes begins with its first number, never 0: an
    // empty entry can only be one it left unwritten, which its count shows.
    std::vector<int64_t> stored(prefixes.size(), 0);
    std::vector<uint8_t> exact(prefixes.size(), 1);
    const auto firstWritten = std::find_if(kept.begin(), kept.end(), [](int64_t k) { return k > 0; }) - kept.begin();
    ParallelWork::run(int(prefixes.size()), [&](int task, int) {
        const TFullSetPrefix &p = prefixes[size_t(task)];
        mark(p.start, p.end, flags.data() + p.start);
        TComb *const begin = out + start[size_t(task)];
        TComb *const end = out + start[size_t(task) + 1];
        const bool skip = fault.skipOne && task == firstWritten && end > begin;
        const TComb lastBefore = skip ? end[-1] : TComb{};
        TComb *to = begin;
        ForEachFlaggedOfPrefix(p, flags.data(), [&to, end](const TComb &c, int64_t) {
            if (to < end)
                *to = c;
            ++to;
        });
        if (skip)
            to = reinterpret_cast<TComb *>(SkipFirstWritten(reinterpret_cast<uint8_t *>(begin),
                                                            reinterpret_cast<uint8_t *>(std::min(to, end)), lastBefore));
        stored[size_t(task)] = std::min(to, end) - begin;
        exact[size_t(task)] = to == end && p.a != 0;
    });
    return CombsWrittenOf(stored, exact);
}

int64_t TFullSetSubset::writeInOrder(TComb *out, int64_t room) const
{
    const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
    std::vector<uint8_t> flags(static_cast<size_t>(prefixes.back().end));
    mark(0, prefixes.back().end, flags.data());
    int64_t n = 0;
    for (const TFullSetPrefix &p : prefixes)
        ForEachFlaggedOfPrefix(p, flags.data(), [&](const TComb &c, int64_t) {
            if (n < room)
                out[n] = c;
            ++n;
        });
    return n;
}
