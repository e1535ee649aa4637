// Timings of the statistics engine: one number statistic over a long archive, and the filter test of a
// number statistic over every combination of the game.
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

TDrawsArray makeDraws(int count)
{
    std::mt19937 rng(4242);
    TDrawsArray draws(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::array<uint8_t, kMaxNumber> pool;
        for (int n = 0; n < kMaxNumber; ++n)
            pool[size_t(n)] = uint8_t(n + 1);
        std::shuffle(pool.begin(), pool.end(), rng);
        TDrawRec &d = draws[size_t(i)];
        d.number = i + 1;
        std::copy_n(pool.begin(), kMainCount, d.main.begin());
        d.extra = {pool[6], pool[7]};
    }
    return draws;
}

// Every combination of six numbers out of 45, ascending.
const TCombsArray &allCombs()
{
    static const TCombsArray combs = [] {
        TCombsArray list;
        list.reserve(8145060);
        TComb c;
        for (int a = 1; a <= 40; ++a)
            for (int b = a + 1; b <= 41; ++b)
                for (int e = b + 1; e <= 42; ++e)
                    for (int f = e + 1; f <= 43; ++f)
                        for (int g = f + 1; g <= 44; ++g)
                            for (int h = g + 1; h <= 45; ++h) {
                                c.n = {uint8_t(a), uint8_t(b), uint8_t(e), uint8_t(f), uint8_t(g), uint8_t(h)};
                                list.push_back(c);
                            }
        return list;
    }();
    return combs;
}

struct Registry {
    explicit Registry(int draws) : archive(makeDraws(draws))
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
    const TCombsArray &combs = allCombs();
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
    const TCombsArray &combs = allCombs();
    for (auto _ : state) {
        TStatDrawArray values;
        for (const TComb &c : combs)
            stat->ValuesOfComb(c, values);
        benchmark::DoNotOptimize(values);
    }
}
BENCHMARK(BM_ValuesOfAllCombs)->Unit(benchmark::kMillisecond);

} // namespace
