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

// Starting lists of "my numbers": each should cost in proportion to the combinations it makes.
void startList(benchmark::State &state, int mode, const QString &numbers)
{
    TCombsList list;
    list.SetCombsCapacity(8145060, 0);
    for (auto _ : state) {
        list.GenerateCombinations(false, TGenerateSettings{uint8_t(mode), numbers});
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["combinations"] = double(list.count());
    state.counters["ns_per_combination"] = benchmark::Counter(
        double(list.count()) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 16 numbers: 8,008 combinations.
void BM_StartListOnlyFrom16(benchmark::State &state)
{
    startList(state, gmOnlyFrom, QStringLiteral("1,3,5,7,9,11,13,15,17,19,21,23,25,27,29,31"));
}
BENCHMARK(BM_StartListOnlyFrom16)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Without 29 numbers: the 8,008 combinations of the other 16.
void BM_StartListNoneOf29(benchmark::State &state)
{
    startList(state, gmNoneOf, QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29"));
}
BENCHMARK(BM_StartListNoneOf29)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Any of one number: 1,086,008 combinations.
void BM_StartListAnyOf1(benchmark::State &state)
{
    startList(state, gmAnyOf, QStringLiteral("7"));
}
BENCHMARK(BM_StartListAnyOf1)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Any of 40 numbers: all 8,145,060 combinations (the five numbers left out make none).
void BM_StartListAnyOf40(benchmark::State &state)
{
    startList(state, gmAnyOf, QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40"));
}
BENCHMARK(BM_StartListAnyOf40)->Unit(benchmark::kMicrosecond)->UseRealTime();

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
