// Timings of the statistics that look across draws: the filter test over every combination of the game
// (periods, repeat counts, series, characteristic numbers) and one pass of the series and periods over a
// long archive.
#include "bench/BenchData.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <benchmark/benchmark.h>


namespace {

struct HistoryRegistry {
    explicit HistoryRegistry(int draws) : archive(RandomDraws(draws, 777, true))
    {
        list.SetDraws(&archive);
        list.RebuildMethods();
    }
    std::unique_ptr<TCustomStat> create(const char16_t *code) { return list.CreateMethodStat(list.FindMethod(code)); }
    TDrawsArray archive;
    TStatList list;
};

void filterOverAll(benchmark::State &state, const char16_t *code,
                   std::initializer_list<std::pair<uint16_t, uint16_t>> keys)
{
    HistoryRegistry reg(1000);
    auto stat = reg.create(code);
    TStatDrawArray selected;
    for (auto [k1, k2] : keys) {
        TStatValueRec r;
        r.Keys.set(k1, k2);
        selected.append(r);
    }
    const TCombsArray &combs = AllCombinations();
    const int last = 999;
    stat->LoadDraw(-1, last, false);
    int64_t kept = 0;
    for (auto _ : state) {
        kept = 0;
        for (const TComb &c : combs)
            kept += stat->CombMatches(c, selected, last, false, false) ? 1 : 0;
        benchmark::DoNotOptimize(kept);
    }
    state.counters["matches"] = double(kept);
    state.SetItemsProcessed(state.iterations() * int64_t(combs.size()));
}

void BM_CombMatchesPeriods(benchmark::State &state)
{
    filterOverAll(state, u"PRDV", {{3, 1}, {3, 2}, {3, 3}, {7, 1}, {7, 2}, {7, 3}, {12, 1}, {12, 2}, {12, 3},
                                   {20, 1}, {20, 2}, {20, 3}, {33, 1}, {33, 2}, {33, 3}, {41, 1}, {41, 2}, {41, 3}});
}
BENCHMARK(BM_CombMatchesPeriods)->Unit(benchmark::kMillisecond);

void BM_CombMatchesRepeatCount(benchmark::State &state)
{
    filterOverAll(state, u"PRC+1", {{1, 0}, {2, 0}});
}
BENCHMARK(BM_CombMatchesRepeatCount)->Unit(benchmark::kMillisecond);

void BM_CombMatchesSeries(benchmark::State &state)
{
    filterOverAll(state, u"GRCV", {{2, 1}, {5, 3}});
}
BENCHMARK(BM_CombMatchesSeries)->Unit(benchmark::kMillisecond);

void BM_CombMatchesCharacteristic(benchmark::State &state)
{
    filterOverAll(state, u"HCO2", {{3, 0}, {7, 0}, {10, 0}, {12, 0}, {20, 0}, {25, 0}, {30, 0}, {33, 0}, {40, 0}});
}
BENCHMARK(BM_CombMatchesCharacteristic)->Unit(benchmark::kMillisecond);

void passOverArchive(benchmark::State &state, const char16_t *code)
{
    HistoryRegistry reg(5000);
    auto stat = reg.create(code);
    const TSampleBounds sample = SampleBounds(5000, 0, 5000);
    for (auto _ : state) {
        TStatDrawArray values = ComputeStatValues(*stat, sample, false);
        benchmark::DoNotOptimize(values);
    }
    state.SetItemsProcessed(state.iterations() * 5000);
}

void BM_SeriesOverArchive(benchmark::State &state)
{
    passOverArchive(state, u"GRPP");
}
BENCHMARK(BM_SeriesOverArchive)->Unit(benchmark::kMicrosecond);

void BM_PeriodsOverArchive(benchmark::State &state)
{
    passOverArchive(state, u"PRDV");
}
BENCHMARK(BM_PeriodsOverArchive)->Unit(benchmark::kMicrosecond);

} // namespace
