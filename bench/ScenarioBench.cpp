// Timings of the scenario runner over every combination of the game, each beside the plain loop it is
// held against, measured in the same run:
// - one keep (delete) step of the statistics step over the full list, everything the step does in the
//   clock, beside a plain loop over a precomputed 64-bit number mask per combination (the same
//   selection: the combinations holding one of ten numbers) on one core, and the same loop on all
//   cores through OpenMP and through the program's pool;
// - one statistics step over the sums in single selection, every row applied (or undone) in turn;
// - a scenario test of five lines of three filters over the last 100 draws of a 2,000-draw archive,
//   with its split, the longest wait of the window's messages, and its floor: the same number of
//   full-list mask passes and starting lists done by plain loops.
// Run with VENDRA_THREADS=1 for the figures on one core.
#include "bench/BenchData.h"
#include "lottery/FilterItem.h"
#include "lottery/stats/StatList.h"
#include "app/combinations/CombsList.h"
#include "app/scenarios/FilterVariants.h"
#include "app/combinations/ParallelWork.h"
#include "app/scenarios/ScenarioRunner.h"
#include "app/stakes/StakesCheck.h"
#include "app/stakes/StakesFile.h"
#include "app/scenarios/StatStepFilter.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>
#include <numeric>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

const TDrawsArray &archive()
{
    // Numbered 2, 4, ... so that every stake of a test finds the draw it was made for.
    static const TDrawsArray draws = [] {
        TDrawsArray d = RandomDraws(2000, 4242);
        for (size_t i = 0; i < d.size(); ++i)
            d[i].number = int(2 * (i + 1));
        return d;
    }();
    return draws;
}

TStatList &registry()
{
    static TStatList list;
    if (list.MethodCount() == 0) {
        list.SetDraws(&archive());
        list.RebuildMethods();
        list.Config.cost = 10000;
        list.Config.profits = {{3, 100000}, {4, 1000000}, {5, 10000000}, {6, 100000000}};
    }
    return list;
}

TCombsList &fullList()
{
    static TCombsList list;
    if (list.capacity() == 0)
        list.SetCombsCapacity(8145060, 0);
    return list;
}

// The full list as a starting list of a scenario leaves it.
void restoreFull(TCombsList &list)
{
    list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
}

constexpr uint8_t kNumbers[] = {3, 7, 11, 15, 19, 23, 27, 31, 35, 39};

// ---- One keep or delete pass over the full list ----

uint64_t numbersSelection()
{
    uint64_t selection = 0;
    for (uint8_t n : kNumbers)
        selection |= uint64_t(1) << n;
    return selection;
}

TComb *passOutput()
{
    static TCombsArray out(AllCombinations().size());
    return out.data();
}

// The floor: a plain loop over a precomputed 64-bit number mask per combination, on one core.
void plainLoop(benchmark::State &state, bool deleting)
{
    const TCombsArray &all = AllCombinations();
    const std::vector<uint64_t> &masks = AllCombinationMasks();
    int64_t kept = 0;
    for (auto _ : state) {
        kept = PlainMaskPass(all.data(), masks.data(), int64_t(all.size()), numbersSelection(), deleting,
                             passOutput());
        benchmark::DoNotOptimize(passOutput());
    }
    state.counters["kept"] = double(kept);
}
void BM_PlainMaskLoopKeep(benchmark::State &state)
{
    plainLoop(state, false);
}
BENCHMARK(BM_PlainMaskLoopKeep)->Unit(benchmark::kMillisecond);
void BM_PlainMaskLoopDelete(benchmark::State &state)
{
    plainLoop(state, true);
}
BENCHMARK(BM_PlainMaskLoopDelete)->Unit(benchmark::kMillisecond);

// The same loop on every core the program uses (VENDRA_THREADS), through OpenMP and through the
// program's pool of workers: each share counted, then written at its place.
void parallelLoop(benchmark::State &state, bool deleting, bool openMP)
{
    const TCombsArray &all = AllCombinations();
    const std::vector<uint64_t> &masks = AllCombinationMasks();
    int64_t kept = 0;
    for (auto _ : state) {
        kept = openMP ? OpenMPMaskPass(all.data(), masks.data(), int64_t(all.size()), numbersSelection(), deleting,
                                       passOutput(), ParallelWork::workerCount())
                      : PoolMaskPass(all.data(), masks.data(), int64_t(all.size()), numbersSelection(), deleting,
                                     passOutput());
        benchmark::DoNotOptimize(passOutput());
    }
    state.counters["kept"] = double(kept);
    state.counters["threads"] = ParallelWork::workerCount();
}
void BM_OpenMPMaskLoopKeep(benchmark::State &state)
{
    parallelLoop(state, false, true);
}
BENCHMARK(BM_OpenMPMaskLoopKeep)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_OpenMPMaskLoopDelete(benchmark::State &state)
{
    parallelLoop(state, true, true);
}
BENCHMARK(BM_OpenMPMaskLoopDelete)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_PoolMaskLoopKeep(benchmark::State &state)
{
    parallelLoop(state, false, false);
}
BENCHMARK(BM_PoolMaskLoopKeep)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_PoolMaskLoopDelete(benchmark::State &state)
{
    parallelLoop(state, true, false);
}
BENCHMARK(BM_PoolMaskLoopDelete)->Unit(benchmark::kMillisecond)->UseRealTime();

std::vector<TStatValueRec> numberRows()
{
    std::vector<TStatValueRec> rows(45);
    for (int n = 1; n <= 45; ++n)
        rows[size_t(n - 1)].Keys.set(uint16_t(n));
    return rows;
}

std::vector<TStatValueRec> sumRows()
{
    std::vector<TStatValueRec> rows;
    for (int s = 21; s <= 255; ++s) {
        TStatValueRec r;
        r.Keys.set(uint16_t(s));
        rows.push_back(r);
    }
    return rows;
}

// The lookups of the full set a scenario run keeps: made once per method in a run, as there.
TFullSetLookups &runLookups()
{
    static TFullSetLookups lookups;
    return lookups;
}

TStatStepFilter::TSource source(const char16_t *code)
{
    TStatList &stats = registry();
    TStatStepFilter::TSource s{&stats, &stats.GetMethod(stats.FindMethod(code)), 1999, false, {}};
    s.fullSet = &runLookups();
    return s;
}

// The time a run spends once on the method's lookups of the full set (before its first step).
double lookupsMs(const char16_t *code)
{
    static std::map<std::u16string, double> made;
    const auto it = made.find(code);
    if (it != made.end())
        return it->second;
    const auto start = std::chrono::steady_clock::now();
    TStatList &stats = registry();
    runLookups().get(stats.GetMethod(stats.FindMethod(code)), stats, false, {});
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    made[code] = ms;
    return ms;
}

// One step that keeps (or deletes) the combinations with one of the rows given, over the full list as a
// starting list leaves it: every part of the step in the clock (what the step works out for every
// combination, the counts, the rows applied and the list rebuilt); the starting list is not.
void stepPass(benchmark::State &state, const char16_t *code, std::vector<TStatValueRec> rows,
              const std::vector<int> &applied, bool deleting)
{
    TCombsList &list = fullList();
    TStatStepFilter filter;
    const double index = lookupsMs(code);
    int64_t kept = 0;
    TStatStepFilter::Mode mode = TStatStepFilter::Mode::Idle;
    for (auto _ : state) {
        state.PauseTiming();
        list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
        state.ResumeTiming();
        filter.begin(list, rows, applied, source(code));
        kept = filter.apply(applied, deleting);
        mode = filter.mode();
        filter.finish();
    }
    state.counters["kept"] = double(kept);
    state.counters["threads"] = ParallelWork::workerCount();
    state.counters["mode"] = double(int(mode));
    state.counters["lookups_ms_once"] = index;
}

std::vector<int> numberCandidates()
{
    std::vector<int> rows;
    for (uint8_t n : kNumbers)
        rows.push_back(n - 1);
    return rows;
}

void BM_StepKeepPassNumbers(benchmark::State &state)
{
    stepPass(state, u"NUMS", numberRows(), numberCandidates(), false);
}
BENCHMARK(BM_StepKeepPassNumbers)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StepDeletePassNumbers(benchmark::State &state)
{
    stepPass(state, u"NUMS", numberRows(), numberCandidates(), true);
}
BENCHMARK(BM_StepDeletePassNumbers)->Unit(benchmark::kMillisecond)->UseRealTime();

// The sums: one row per combination.
void BM_StepKeepPassSums(benchmark::State &state)
{
    stepPass(state, u"SUMS", sumRows(), {100, 101, 102, 103, 104, 105, 106, 107, 108, 109}, false);
}
BENCHMARK(BM_StepKeepPassSums)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StepDeletePassSums(benchmark::State &state)
{
    stepPass(state, u"SUMS", sumRows(), {100, 101, 102, 103, 104, 105, 106, 107, 108, 109}, true);
}
BENCHMARK(BM_StepDeletePassSums)->Unit(benchmark::kMillisecond)->UseRealTime();

// A step over a list an earlier step left: the sums but every third kept (2/3 of the full list, in
// list order), then the ten numbers kept; the combinations with one of the ten numbers kept, then
// the sums 121..130 kept.
void stepAfterStep(benchmark::State &state, const char16_t *firstCode, std::vector<TStatValueRec> firstRows,
                   const std::vector<int> &firstApplied, const char16_t *code, std::vector<TStatValueRec> rows,
                   const std::vector<int> &applied)
{
    TCombsList &list = fullList();
    TStatStepFilter filter;
    lookupsMs(firstCode);
    const double index = lookupsMs(code);
    int64_t before = 0, kept = 0;
    TStatStepFilter::Mode mode = TStatStepFilter::Mode::Idle;
    for (auto _ : state) {
        state.PauseTiming();
        list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
        filter.begin(list, firstRows, firstApplied, source(firstCode));
        filter.apply(firstApplied, false);
        filter.finish();
        before = list.count();
        state.ResumeTiming();
        filter.begin(list, rows, applied, source(code));
        kept = filter.apply(applied, false);
        mode = filter.mode();
        filter.finish();
    }
    state.counters["before"] = double(before);
    state.counters["kept"] = double(kept);
    state.counters["mode"] = double(int(mode));
    state.counters["lookups_ms_once"] = index;
}

std::vector<int> twoSumsOfThree()
{
    std::vector<int> sums;
    for (int r = 0; r < 235; ++r)
        if (r % 3 != 0)
            sums.push_back(r);
    return sums;
}

void BM_StepKeepPassNumbersAfterSums(benchmark::State &state)
{
    stepAfterStep(state, u"SUMS", sumRows(), twoSumsOfThree(), u"NUMS", numberRows(), numberCandidates());
}
BENCHMARK(BM_StepKeepPassNumbersAfterSums)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StepKeepPassSumsAfterNumbers(benchmark::State &state)
{
    stepAfterStep(state, u"NUMS", numberRows(), numberCandidates(), u"SUMS", sumRows(),
                  {100, 101, 102, 103, 104, 105, 106, 107, 108, 109});
}
BENCHMARK(BM_StepKeepPassSumsAfterNumbers)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- The step and the plain loops side by side ----

// Round after round: the step, the plain loop on one core, and the loop on all cores through OpenMP
// and through the pool, each round in the same order; the fastest time of each, and the ratios of the
// step to the loop on one core (the figure on one core with VENDRA_THREADS=1) and to the faster of
// the two loops on all cores. The rounds side by side keep a busy machine from favouring either.
void stepBesideLoops(benchmark::State &state, const char16_t *code, std::vector<TStatValueRec> rows,
                     const std::vector<int> &applied, bool deleting, uint64_t selection)
{
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    TCombsList &list = fullList();
    TStatStepFilter filter;
    const double index = lookupsMs(code);
    const TCombsArray &all = AllCombinations();
    const std::vector<uint64_t> &masks = AllCombinationMasks();
    const int64_t n = int64_t(all.size());
    const int threads = ParallelWork::workerCount();
    double step = 1e300, plain = 1e300, openMP = 1e300, pool = 1e300;
    int64_t kept = 0, plainKept = 0;
    for (auto _ : state) {
        list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
        const auto t0 = Clock::now();
        filter.begin(list, rows, applied, source(code));
        kept = filter.apply(applied, deleting);
        filter.finish();
        const auto t1 = Clock::now();
        plainKept = PlainMaskPass(all.data(), masks.data(), n, selection, deleting, passOutput());
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(OpenMPMaskPass(all.data(), masks.data(), n, selection, deleting, passOutput(), threads));
        const auto t3 = Clock::now();
        benchmark::DoNotOptimize(PoolMaskPass(all.data(), masks.data(), n, selection, deleting, passOutput()));
        const auto t4 = Clock::now();
        step = std::min(step, ms(t0, t1));
        plain = std::min(plain, ms(t1, t2));
        openMP = std::min(openMP, ms(t2, t3));
        pool = std::min(pool, ms(t3, t4));
    }
    state.counters["step_ms"] = step;
    state.counters["plain1_ms"] = plain;
    state.counters["openMP_ms"] = openMP;
    state.counters["pool_ms"] = pool;
    state.counters["x_plain1"] = step / plain;
    state.counters["x_allCores"] = step / std::min(openMP, pool);
    state.counters["kept"] = double(kept);
    state.counters["plainKept"] = double(plainKept);
    state.counters["threads"] = threads;
    state.counters["lookups_ms_once"] = index;
}

void BM_SideBySideKeepNumbers(benchmark::State &state)
{
    stepBesideLoops(state, u"NUMS", numberRows(), numberCandidates(), false, numbersSelection());
}
BENCHMARK(BM_SideBySideKeepNumbers)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_SideBySideDeleteNumbers(benchmark::State &state)
{
    stepBesideLoops(state, u"NUMS", numberRows(), numberCandidates(), true, numbersSelection());
}
BENCHMARK(BM_SideBySideDeleteNumbers)->Unit(benchmark::kMillisecond)->Iterations(15);

// The sums 121..130 against the loop's ten numbers: about as many combinations kept as deleted by
// the loop's selection the other way round.
void BM_SideBySideKeepSums(benchmark::State &state)
{
    stepBesideLoops(state, u"SUMS", sumRows(), {100, 101, 102, 103, 104, 105, 106, 107, 108, 109}, false,
                    numbersSelection());
}
BENCHMARK(BM_SideBySideKeepSums)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_SideBySideDeleteSums(benchmark::State &state)
{
    stepBesideLoops(state, u"SUMS", sumRows(), {100, 101, 102, 103, 104, 105, 106, 107, 108, 109}, true,
                    numbersSelection());
}
BENCHMARK(BM_SideBySideDeleteSums)->Unit(benchmark::kMillisecond)->Iterations(15);

// ---- One statistics step ----

void sumsStep(benchmark::State &state, const QString &filter)
{
    TStatList &stats = registry();
    TCombsList &list = fullList();
    TStatStep step;
    TStatStep::TContext ctx;
    ctx.stats = &stats;
    ctx.combs = &list;
    ctx.stopRequested = [] { return false; };
    const TFilterPart part = TFilterVariants({TextToFilterItem(filter, stats)}).variant(0)[0];
    int64_t left = 0;
    for (auto _ : state) {
        state.PauseTiming();
        restoreFull(list);
        list.ClearFilterLog();
        step.reset(); // the table is computed every time
        state.ResumeTiming();
        step.run(part, {}, ctx);
        left = list.count();
    }
    state.counters["left"] = double(left);
    state.counters["filterLogRows"] = double(list.filterLog().size());
}

// 235 rows; every sum but the last one deleted in turn (the last would empty the list: undone).
void BM_SumsSingleStepDeleteEveryRow(benchmark::State &state)
{
    sumsStep(state, u"TSD1#SUMS:100#LNO:#SF:0"_s);
}
BENCHMARK(BM_SumsSingleStepDeleteEveryRow)->Unit(benchmark::kMillisecond);

// 235 rows; the first keeps its sum, every later one would empty the list and is undone.
void BM_SumsSingleStepKeepEveryRow(benchmark::State &state)
{
    sumsStep(state, u"TSF1#SUMS:100#LNO:#SF:0"_s);
}
BENCHMARK(BM_SumsSingleStepKeepEveryRow)->Unit(benchmark::kMillisecond);

// ---- A scenario test ----

void BM_ScenarioTest5Lines100Draws(benchmark::State &state)
{
    QTemporaryDir dir;
    qputenv("VENDRA_HOME", dir.path().toUtf8());
    TStatList &stats = registry();
    stats.CombsGenerateMode = gmAll;
    stats.CombsGenerateParameters.clear();
    TCombsList &combs = fullList();
    TStakesFile stakes(dir.filePath(u"Vendra.lsk"_s));
    stakes.open();
    int offset = 0;
    TScenarioRunner::THost host;
    host.stats = &stats;
    host.combs = &combs;
    host.stakes = &stakes;
    host.drawsOffset = [&] { return offset; };
    host.setDrawsOffset = [&](int o) { offset = o; };
    host.processEvents = [] {};
    host.checkStakes = [&] {
        TStakeCheckContext ctx;
        ctx.draws = &archive();
        ctx.config = &stats.Config;
        CheckStakesAndRefresh(stakes, ctx, {});
    };
    TScenarioRunLog log(dir.path());
    TScenarioRunner runner(host, log);
    const QStringList lines = {
        u"FULL:0#FIRST|TSD1#SUMS:100#CLV:0#SF:0|TSD1#NUMS:20#CLV:1#SF:0|TSF1#EVEN:30#CMV:8#SZ:0| | | | |L1"_s,
        u"FULL:0#FIRST|TSD1#DIFM:50#CLV:1#SF:0|TSF1#SMAL:40#CMV:10#ST:1|TSD1#CHAN:30#CLV:20#SF:0| | | | |L2"_s,
        u"FULL:0#FIRST|TSD1#SUMS:200#CLV:1#SF:0|TSD1#COLV:50#CLV:2#SF:0|TSF1#PRIM:60#CMV:15#ST:1| | | | |L3"_s,
        u"FULL:0#FIRST|TSD1#DIFA:60#CLV:2#SF:0|TSD1#SEQL:100#CLV:3#SF:0|TSF1#SUMS:300#CMV:3#SZ:0| | | | |L4"_s,
        u"FULL:0#FIRST|TSD1#RPC2:100#CLV:5#SF:0|TSD1#NUMS:10#CMV:3#SF:0|TSF1#DIFD:200#CMV:10#SZ:0| | | | |L5"_s,
    };
    // The time of the processor on every thread: on a machine shared with other work the ratio of these
    // says what the wall clock cannot (how long other programs held the cores).
    auto cpuSeconds = [] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    const double cpuBefore = cpuSeconds();
    for (auto _ : state)
        runner.runTest(lines, qEnvironmentVariableIntValue("BENCH_CYCLES") > 0 ? qEnvironmentVariableIntValue("BENCH_CYCLES") : 100, {});
    const double cpuTest = cpuSeconds() - cpuBefore;
    const TScenarioRunner::TTimings &t = runner.timings();
    state.counters["total_s"] = t.total / 1000;
    state.counters["tables_s"] = t.tables / 1000;
    state.counters["filtering_s"] = t.filtering / 1000;
    state.counters["startLists_s"] = t.startLists / 1000;
    state.counters["stakes_s"] = t.stakes / 1000;
    state.counters["maxEventGap_ms"] = t.maxEventGap;
    state.counters["stakes"] = double(stakes.count());
    // Read before the floor's loops take their memory (run this benchmark alone for the test's peak).
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakRSS_MB"] = double(usage.ru_maxrss) / 1024;

    // The floor, measured now on the same cores: the same work done by plain loops, one mask pass over
    // the full list for every full list the steps filtered, and every starting list written.
    const double passes = double(t.stepCombinations) / double(AllCombinations().size());
    const TCombsArray &all = AllCombinations();
    const std::vector<uint64_t> &masks = AllCombinationMasks();
    const int threads = ParallelWork::workerCount();
    const double cpuFloorStart = cpuSeconds();
    const auto floorStart = std::chrono::steady_clock::now();
    int64_t left = t.stepCombinations;
    while (left > 0) {
        const int64_t n = std::min<int64_t>(left, int64_t(all.size()));
        // On one core the plain loop itself; on more, the loop shared out through OpenMP.
        benchmark::DoNotOptimize(
            threads == 1 ? PlainMaskPass(all.data(), masks.data(), n, numbersSelection(), false, passOutput())
                         : OpenMPMaskPass(all.data(), masks.data(), n, numbersSelection(), false, passOutput(),
                                          threads));
        left -= n;
    }
    const auto passesEnd = std::chrono::steady_clock::now();
    for (int i = 0; i < t.startListCount; ++i)
        benchmark::DoNotOptimize(OpenMPGenerateAll(passOutput(), threads));
    const auto floorEnd = std::chrono::steady_clock::now();
    const double cpuFloor = cpuSeconds() - cpuFloorStart;
    const double floorPasses = std::chrono::duration<double>(passesEnd - floorStart).count();
    const double floorLists = std::chrono::duration<double>(floorEnd - passesEnd).count();
    state.counters["fullListPasses"] = passes;
    state.counters["startListCount"] = t.startListCount;
    state.counters["floor_s"] = floorPasses + floorLists;
    state.counters["floorPasses_s"] = floorPasses;
    state.counters["floorStartLists_s"] = floorLists;
    state.counters["x_floor"] = t.total / 1000 / (floorPasses + floorLists);
    state.counters["cpu_s"] = cpuTest;
    state.counters["floorCpu_s"] = cpuFloor;
    state.counters["x_floor_cpu"] = cpuTest / cpuFloor;
    state.counters["threads"] = threads;
    qunsetenv("VENDRA_HOME");
}
BENCHMARK(BM_ScenarioTest5Lines100Draws)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
