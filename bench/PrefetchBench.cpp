// Timings of the all-combinations distributions: one pass of a method over every combination of the
// game, for the numbers (NUMS), for the even count (EVEN), and for every method that has a file, with
// the seconds spent on each statistic group; and all of them on all cores as "fullrecreate" makes them,
// beside plain mask passes, with the slowest methods.
#include "bench/BenchData.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "app/combinations/ParallelWork.h"
#include "app/combinations/PrefetchCache.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace {

TStatList &registry()
{
    static TStatList list;
    static TDrawsArray draws;
    if (list.MethodCount() == 0) {
        list.SetDraws(&draws);
        list.RebuildMethods();
    }
    return list;
}

void prefetchOf(benchmark::State &state, const char16_t *code)
{
    TStatList &list = registry();
    const int i = list.FindMethod(QStringView(code));
    if (i < 0) {
        state.SkipWithError("no such method");
        return;
    }
    for (auto _ : state) {
        const auto stat = list.CreateMethodStat(i);
        const TStatPrefetch p = ComputePrefetch(*stat);
        benchmark::DoNotOptimize(p.maxCount);
    }
}

void BM_PrefetchNUMS(benchmark::State &state)
{
    prefetchOf(state, u"NUMS");
}
BENCHMARK(BM_PrefetchNUMS)->Unit(benchmark::kMillisecond);

void BM_PrefetchEVEN(benchmark::State &state)
{
    prefetchOf(state, u"EVEN");
}
BENCHMARK(BM_PrefetchEVEN)->Unit(benchmark::kMillisecond);

void BM_PrefetchAllKindN(benchmark::State &state)
{
    TStatList &list = registry();
    for (auto _ : state) {
        std::array<double, kStatGroupCount> seconds{};
        int methods = 0;
        for (int i = 0; i < list.MethodCount(); ++i) {
            if (!MethodHasPrefetch(list.GetMethod(i)))
                continue;
            const auto start = std::chrono::steady_clock::now();
            const auto stat = list.CreateMethodStat(i);
            const TStatPrefetch p = ComputePrefetch(*stat);
            benchmark::DoNotOptimize(p.maxCount);
            seconds[list.GetMethod(i).StatClass->Group] +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            ++methods;
        }
        state.counters["methods"] = methods;
        for (int g = 0; g < kStatGroupCount; ++g)
            if (seconds[size_t(g)] > 0)
                state.counters["s_" + GroupCode(g).toStdString()] = seconds[size_t(g)];
    }
}
BENCHMARK(BM_PrefetchAllKindN)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

namespace {

// The same distributions worked out on all cores, as "fullrecreate" rebuilds the files, beside as many
// plain mask passes over the full list on the same cores through OpenMP as there are methods; the ten
// slowest methods with their seconds.
void BM_FullRecreate(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    TStatList &list = registry();
    const TCombsArray &all = AllCombinations();
    const std::vector<uint64_t> &masks = AllCombinationMasks();
    static TCombsArray out(all.size());
    const int threads = ParallelWork::workerCount();
    double build = 0, passes = 0;
    int methods = 0;
    std::vector<std::pair<double, QString>> perMethod;
    for (auto _ : state) {
        methods = 0;
        perMethod.clear();
        const auto t0 = Clock::now();
        for (int i = 0; i < list.MethodCount(); ++i) {
            if (!MethodHasPrefetch(list.GetMethod(i)))
                continue;
            const auto start = Clock::now();
            const TStatPrefetch p = ComputePrefetchParallel(list.GetMethod(i), list);
            benchmark::DoNotOptimize(p.maxCount);
            perMethod.push_back({std::chrono::duration<double>(Clock::now() - start).count(),
                                 list.GetMethod(i).MethodCode()});
            ++methods;
        }
        const auto t1 = Clock::now();
        for (int m = 0; m < methods; ++m)
            benchmark::DoNotOptimize(OpenMPMaskPass(all.data(), masks.data(), int64_t(all.size()), 0x1111111110,
                                                    false, out.data(), threads));
        const auto t2 = Clock::now();
        build = std::chrono::duration<double>(t1 - t0).count();
        passes = std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["methods"] = methods;
    state.counters["build_s"] = build;
    state.counters["maskPasses_s"] = passes;
    state.counters["x_maskPasses"] = build / passes;
    // The slowest methods, each with its seconds.
    std::sort(perMethod.begin(), perMethod.end(), [](const auto &x, const auto &y) { return x.first > y.first; });
    for (size_t i = 0; i < perMethod.size() && i < 10; ++i)
        state.counters["s_" + perMethod[i].second.toStdString()] = perMethod[i].first;
    state.counters["threads"] = threads;
}
BENCHMARK(BM_FullRecreate)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
