// Timings of the statistics engine: one number statistic over a long archive, and the filter test of a
// number statistic over every combination of the game.
#include "bench/BenchData.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "app/statistics/DrawsStatCalc.h"

#include <QElapsedTimer>
#include <numeric>

#include <benchmark/benchmark.h>


namespace {

struct Registry {
    explicit Registry(int draws) : archive(RandomDraws(draws, 4242))
    {
        list.SetDraws(&archive);
        list.RebuildMethods();
    }
    std::unique_ptr<TCustomStat> create(const char16_t *code) { return list.CreateMethodStat(list.FindMethod(code)); }
    TDrawsArray archive;
    TStatList list;
};

void BM_NumberStatOverArchive(benchmark::State &state)
{
    Registry reg(5000);
    auto stat = reg.create(u"NUMS");
    const TSampleBounds sample = SampleBounds(5000, 0, 5000);
    for (auto _ : state) {
        TStatDrawArray values = ComputeStatValues(*stat, sample, false);
        benchmark::DoNotOptimize(values);
    }
    state.SetItemsProcessed(state.iterations() * 5000);
}
BENCHMARK(BM_NumberStatOverArchive)->Unit(benchmark::kMicrosecond);

void combMatchesOverAll(benchmark::State &state, const char16_t *code, std::initializer_list<uint16_t> keys)
{
    Registry reg(100);
    auto stat = reg.create(code);
    TStatDrawArray selected;
    for (uint16_t k : keys) {
        TStatValueRec r;
        r.Keys.set(k);
        selected.append(r);
    }
    const TCombsArray &combs = AllCombinations();
    stat->LoadDraw(-1, 99, false);
    int64_t kept = 0;
    for (auto _ : state) {
        kept = 0;
        for (const TComb &c : combs)
            kept += stat->CombMatches(c, selected, 99, false, false) ? 1 : 0;
        benchmark::DoNotOptimize(kept);
    }
    state.counters["matches"] = double(kept);
    state.SetItemsProcessed(state.iterations() * int64_t(combs.size()));
}

void BM_CombMatchesNumbers(benchmark::State &state)
{
    combMatchesOverAll(state, u"NUMS", {3, 7, 11, 15, 19, 23, 27, 31, 35, 39});
}
BENCHMARK(BM_CombMatchesNumbers)->Unit(benchmark::kMillisecond);

void BM_CombMatchesEvenMask(benchmark::State &state)
{
    combMatchesOverAll(state, u"EVNV", {0, 5, 9, 17, 21, 33, 42, 50, 60, 63});
}
BENCHMARK(BM_CombMatchesEvenMask)->Unit(benchmark::kMillisecond);

// The values of every combination, as the all-combinations distribution is built.
void BM_ValuesOfAllCombs(benchmark::State &state)
{
    Registry reg(100);
    auto stat = reg.create(u"NUMS");
    const TCombsArray &combs = AllCombinations();
    for (auto _ : state) {
        TStatDrawArray values;
        for (const TComb &c : combs)
            stat->ValuesOfComb(c, values);
        benchmark::DoNotOptimize(values);
    }
}
BENCHMARK(BM_ValuesOfAllCombs)->Unit(benchmark::kMillisecond);

// The statistics table of a method of many values (every four of the 45 numbers) over 20,000 draws,
// made and sorted by count as the statistics page does. "longest_wait_ms" is the longest stretch
// between two calls that let the window work.
void BM_StatisticsTableOfManyValues(benchmark::State &state)
{
    Registry reg(20000);
    TDrawsStatParams p;
    p.list = &reg.list;
    p.method = &reg.list.GetMethod(reg.list.FindMethod(u"KNM4"));
    p.sampleLength = 20000;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    const auto answer = [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    };
    p.progress = [&](double) { answer(); };
    p.idle = answer;
    for (auto _ : state) {
        clock.start();
        last = 0;
        const TDrawsStatResult table = CalcDrawsStat(p);
        std::vector<int> order(table.rows.size());
        std::iota(order.begin(), order.end(), 0);
        SortDrawsStatRows(order, table.rows, dscCount, false, answer);
        answer();
        benchmark::DoNotOptimize(order);
    }
    state.counters["longest_wait_ms"] = double(longest);
}
BENCHMARK(BM_StatisticsTableOfManyValues)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
