// Timings of the all-combinations distributions: one pass of a method over every combination of the
// game, for the numbers (NUMS), for the even count (EVEN), and for every method that has a file, with
// the seconds spent on each statistic group.
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "app/combinations/PrefetchCache.h"

#include <benchmark/benchmark.h>

#include <chrono>

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

// The same distributions worked out on all cores, as the rebuild of the files does.
void BM_PrefetchAllKindNParallel(benchmark::State &state)
{
    TStatList &list = registry();
    for (auto _ : state) {
        int methods = 0;
        for (int i = 0; i < list.MethodCount(); ++i) {
            if (!MethodHasPrefetch(list.GetMethod(i)))
                continue;
            const TStatPrefetch p = ComputePrefetchParallel(list.GetMethod(i), list);
            benchmark::DoNotOptimize(p.maxCount);
            ++methods;
        }
        state.counters["methods"] = methods;
    }
}
BENCHMARK(BM_PrefetchAllKindNParallel)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
