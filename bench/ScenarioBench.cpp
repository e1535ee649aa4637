// Timings of the scenario runner over every combination of the game:
// - a keep pass of the statistics step beside a plain loop over a precomputed 64-bit number mask per
//   combination (the same selection: the combinations holding one of ten numbers);
// - the recorded pass that gives every combination its row, for a one-row and a many-row statistic;
// - one statistics step over the sums in single selection, every row applied (or undone) in turn;
// - a scenario test of five lines of three filters over the last 100 draws of a 2,000-draw archive,
//   with its split and the longest wait of the window's messages.
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

void restoreFull(TCombsList &list)
{
    const TCombsArray &all = AllCombinations();
    list.SetCombsCapacity(int64_t(all.size()), int64_t(all.size()));
    std::copy(all.begin(), all.end(), list.mutableData());
}

constexpr uint8_t kNumbers[] = {3, 7, 11, 15, 19, 23, 27, 31, 35, 39};

// ---- One keep pass ----

void BM_PlainMaskLoopKeep(benchmark::State &state)
{
    const TCombsArray &all = AllCombinations();
    static const std::vector<uint64_t> masks = [&] {
        std::vector<uint64_t> m(all.size());
        for (size_t i = 0; i < all.size(); ++i)
            m[i] = CombMask(all[i]);
        return m;
    }();
    uint64_t selection = 0;
    for (uint8_t n : kNumbers)
        selection |= uint64_t(1) << n;
    static TCombsArray out(all.size());
    int64_t kept = 0;
    for (auto _ : state) {
        kept = 0;
        for (size_t i = 0; i < all.size(); ++i)
            if (masks[i] & selection)
                out[size_t(kept++)] = all[i];
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["kept"] = double(kept);
}
BENCHMARK(BM_PlainMaskLoopKeep)->Unit(benchmark::kMillisecond);

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

TStatStepFilter::TSource source(const char16_t *code)
{
    TStatList &stats = registry();
    return TStatStepFilter::TSource{&stats, &stats.GetMethod(stats.FindMethod(code)), 1999, false, {}};
}

// The step's keep pass once every combination knows its rows (the numbers: a 64-bit row mask each).
void BM_StepKeepPassNumbers(benchmark::State &state)
{
    TCombsList &list = fullList();
    TStatStepFilter filter;
    std::vector<int> rows;
    for (uint8_t n : kNumbers)
        rows.push_back(n - 1);
    int64_t kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        restoreFull(list);
        filter.begin(list, numberRows(), rows, source(u"NUMS"));
        filter.prepare();
        state.ResumeTiming();
        kept = filter.apply(rows, false);
        filter.finish();
    }
    state.counters["kept"] = double(kept);
    state.counters["threads"] = ParallelWork::workerCount();
}
BENCHMARK(BM_StepKeepPassNumbers)->Unit(benchmark::kMillisecond);

void BM_StepDeletePassNumbers(benchmark::State &state)
{
    TCombsList &list = fullList();
    TStatStepFilter filter;
    std::vector<int> rows;
    for (uint8_t n : kNumbers)
        rows.push_back(n - 1);
    int64_t kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        restoreFull(list);
        filter.begin(list, numberRows(), rows, source(u"NUMS"));
        filter.prepare();
        state.ResumeTiming();
        kept = filter.apply(rows, true);
        filter.finish();
    }
    state.counters["kept"] = double(kept);
}
BENCHMARK(BM_StepDeletePassNumbers)->Unit(benchmark::kMillisecond);

// The sums: one row per combination, the allowed rows changed and the list rebuilt once.
void BM_StepKeepPassSums(benchmark::State &state)
{
    TCombsList &list = fullList();
    TStatStepFilter filter;
    const std::vector<int> rows = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109};
    int64_t kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        restoreFull(list);
        filter.begin(list, sumRows(), rows, source(u"SUMS"));
        filter.prepare();
        state.ResumeTiming();
        kept = filter.apply(rows, false);
        filter.finish();
    }
    state.counters["kept"] = double(kept);
}
BENCHMARK(BM_StepKeepPassSums)->Unit(benchmark::kMillisecond);

// ---- The recorded pass ----

void recordedPass(benchmark::State &state, const char16_t *code, std::vector<TStatValueRec> rows)
{
    TCombsList &list = fullList();
    restoreFull(list);
    TStatStepFilter filter;
    // Every row may be applied: the largest masks.
    std::vector<int> candidates(rows.size());
    std::iota(candidates.begin(), candidates.end(), 0);
    for (auto _ : state) {
        filter.begin(list, rows, candidates, source(code));
        filter.prepare();
        benchmark::DoNotOptimize(filter.count());
        state.PauseTiming();
        filter.finish();
        state.ResumeTiming();
    }
}

void BM_RowIndexSums(benchmark::State &state)
{
    recordedPass(state, u"SUMS", sumRows());
}
BENCHMARK(BM_RowIndexSums)->Unit(benchmark::kMillisecond);

void BM_RowIndexNumbers(benchmark::State &state)
{
    recordedPass(state, u"NUMS", numberRows());
}
BENCHMARK(BM_RowIndexNumbers)->Unit(benchmark::kMillisecond);

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
    for (auto _ : state)
        runner.runTest(lines, qEnvironmentVariableIntValue("BENCH_CYCLES") > 0 ? qEnvironmentVariableIntValue("BENCH_CYCLES") : 100, {});
    const TScenarioRunner::TTimings &t = runner.timings();
    state.counters["total_s"] = t.total / 1000;
    state.counters["tables_s"] = t.tables / 1000;
    state.counters["filtering_s"] = t.filtering / 1000;
    state.counters["startLists_s"] = t.startLists / 1000;
    state.counters["stakes_s"] = t.stakes / 1000;
    state.counters["maxEventGap_ms"] = t.maxEventGap;
    state.counters["stakes"] = double(stakes.count());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakRSS_MB"] = double(usage.ru_maxrss) / 1024;
    qunsetenv("VENDRA_HOME");
}
BENCHMARK(BM_ScenarioTest5Lines100Draws)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
