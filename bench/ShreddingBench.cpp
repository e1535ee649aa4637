// Timings of the shredding formulas: the filter test of SHR1 (the default formula, two digits) over every
// combination of the game, and the same formula valued through its substituted text for comparison.
#include "bench/BenchData.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/ShreddingStats.h"
#include "lottery/stats/StatList.h"

#include <benchmark/benchmark.h>

namespace {

TDrawsArray shreddingDraws()
{
    TDrawsArray draws(3);
    draws[0].number = 1;
    draws[0].main = {4, 17, 23, 30, 38, 44};
    draws[1].number = 2;
    draws[1].main = {2, 9, 15, 27, 33, 41};
    draws[2].number = 3;
    draws[2].main = {7, 12, 19, 25, 36, 45};
    return draws;
}

void BM_ShreddingCombMatchesOverAll(benchmark::State &state)
{
    TDrawsArray draws = shreddingDraws();
    TStatList list;
    list.SetDraws(&draws);
    list.RebuildMethods();
    auto stat = list.CreateMethodStat(list.FindMethod(u"SHR1"));
    TStatDrawArray selected;
    for (uint32_t v : {12u, 40u, 57u, 93u}) {
        TStatValueRec r;
        r.Keys.setDWord(1, v);
        selected.append(r);
    }
    const TCombsArray &combs = AllCombinations();
    const int last = static_cast<int>(draws.size()) - 1;
    for (auto _ : state) {
        int64_t matched = 0;
        for (const TComb &c : combs)
            matched += stat->CombMatches(c, selected, last, false, false) ? 1 : 0;
        benchmark::DoNotOptimize(matched);
        state.counters["matched"] = double(matched);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(combs.size()));
}
BENCHMARK(BM_ShreddingCombMatchesOverAll)->Unit(benchmark::kMillisecond);

// The formula substituted and parsed for each value, as a formula with glued variables is valued.
void BM_ShreddingValueByText(benchmark::State &state)
{
    const QString formula = DefaultShredding().Formulas[0];
    const TSixNumbers p{2, 9, 15, 27, 33, 41};
    const TSixNumbers t{4, 17, 23, 30, 38, 44};
    const TCombsArray &combs = AllCombinations();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ShreddingValue(combs[i].n, p, t, 2, formula));
        i = (i + 7919) % combs.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShreddingValueByText)->Unit(benchmark::kMicrosecond);

} // namespace
