// Timings of the combinations list over every combination of the game: generation, the undo copy, the
// removal of the combinations of the last 100 draws, and one filter step.
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "app/combinations/CombsFilter.h"
#include "app/combinations/CombsList.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

namespace {

TDrawsArray randomDraws(int count)
{
    std::mt19937 rng(777);
    TDrawsArray draws(static_cast<size_t>(count));
    std::array<uint8_t, kMaxNumber> pool;
    for (int n = 0; n < kMaxNumber; ++n)
        pool[size_t(n)] = uint8_t(n + 1);
    for (int i = 0; i < count; ++i) {
        std::shuffle(pool.begin(), pool.end(), rng);
        draws[size_t(i)].number = i + 1;
        std::copy_n(pool.begin(), kMainCount, draws[size_t(i)].main.begin());
    }
    return draws;
}

TCombsList &fullList()
{
    static TCombsList list;
    if (list.count() == 0) {
        list.SetCombsCapacity(8145060, 0);
        list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
        list.SaveUndo(false);
    }
    return list;
}

void BM_GenerateFullList(benchmark::State &state)
{
    TCombsList list;
    list.SetCombsCapacity(8145060, 0);
    for (auto _ : state) {
        list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["combinations"] = double(list.count());
}
BENCHMARK(BM_GenerateFullList)->Unit(benchmark::kMillisecond);

void BM_SaveUndoFullList(benchmark::State &state)
{
    TCombsList &list = fullList();
    for (auto _ : state) {
        list.SaveUndo(false);
        benchmark::DoNotOptimize(list.undoCount());
    }
}
BENCHMARK(BM_SaveUndoFullList)->Unit(benchmark::kMillisecond);

void BM_RemoveLast100Draws(benchmark::State &state)
{
    TCombsList &list = fullList();
    list.SaveUndo(false);
    const TDrawsArray draws = randomDraws(2000);
    for (auto _ : state) {
        list.RemoveLastDrawsCombs(100, draws, 0);
        list.ClearFilterLog();
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["left"] = double(list.count());
    list.RestoreUndo(false);
    list.SaveUndo(false);
}
BENCHMARK(BM_RemoveLast100Draws)->Unit(benchmark::kMillisecond);

void filterStep(benchmark::State &state, const char16_t *code, std::initializer_list<uint16_t> keys)
{
    TCombsList &list = fullList();
    list.SaveUndo(false);
    const TDrawsArray draws = randomDraws(200);
    TStatList stats;
    stats.SetDraws(&draws);
    stats.RebuildMethods();
    auto stat = stats.CreateMethodStat(stats.FindMethod(code));
    TFilterSelection selection;
    for (uint16_t k : keys) {
        TStatValueRec value;
        value.Keys.set(k);
        selection.add(value, QString::number(k));
    }
    for (auto _ : state) {
        FilterCombsStep(list, *stat, selection, false, TFilterDraws{200, 0, false}, QString::fromUtf16(code));
        list.ClearFilterLog();
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["kept"] = double(list.count());
    list.RestoreUndo(false);
    list.SaveUndo(false);
}

void BM_FilterStepNumbers(benchmark::State &state)
{
    filterStep(state, u"NUMS", {3, 7, 11, 15, 19, 23, 27, 31, 35, 39});
}
BENCHMARK(BM_FilterStepNumbers)->Unit(benchmark::kMillisecond);

void BM_FilterStepEvenMask(benchmark::State &state)
{
    filterStep(state, u"EVNV", {0, 5, 9, 17, 21, 33, 42, 50, 60, 63});
}
BENCHMARK(BM_FilterStepEvenMask)->Unit(benchmark::kMillisecond);

void BM_WriteFullListText(benchmark::State &state)
{
    TCombsList &list = fullList();
    int64_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (int64_t i = 0; i < list.count(); i += 65536)
            bytes += CombsToText(list.data() + i, std::min<int64_t>(65536, list.count() - i)).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_WriteFullListText)->Unit(benchmark::kMillisecond);

} // namespace
