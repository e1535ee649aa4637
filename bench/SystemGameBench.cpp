// Timings of the system game over the list of every combination: the lookup of the system's lines
// in the list, and the whole filtered game from the list's numbers to the stakes written.
#include "bench/BenchData.h"
#include "app/stakes/StakesFile.h"
#include "app/stakes/SystemGame.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>

namespace {

// Lines of six different positions 1..45 from a seeded shuffle; the last line is the list's last
// combination, so the lookup has to read the whole list.
TSystemCombs randomSystem(int lines)
{
    std::mt19937 rng(4146);
    std::array<uint8_t, 45> pool;
    for (int n = 0; n < 45; ++n)
        pool[size_t(n)] = uint8_t(n + 1);
    TSystemCombs system;
    for (int i = 0; i < lines - 1; ++i) {
        std::shuffle(pool.begin(), pool.end(), rng);
        TSystemComb line;
        std::copy_n(pool.begin(), 6, line.begin());
        system.push_back(line);
    }
    system.push_back({45, 44, 43, 42, 41, 40});
    return system;
}

void BM_SystemGameLookup(benchmark::State &state)
{
    const TCombsArray &all = AllCombinations();
    const TSystemCombs system = randomSystem(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TCombsArray kept = SystemGameCombs(system, all.data(), static_cast<int64_t>(all.size()), true);
        benchmark::DoNotOptimize(kept.data());
    }
}
BENCHMARK(BM_SystemGameLookup)->Arg(30)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_SystemGameFilteredWhole(benchmark::State &state)
{
    const TCombsArray &all = AllCombinations();
    QTemporaryDir dir;
    qputenv("VENDRA_HOME", dir.path().toUtf8());
    QDir().mkpath(dir.filePath(QStringLiteral("Systems")));
    QByteArray text;
    for (const TSystemComb &line : randomSystem(static_cast<int>(state.range(0)))) {
        for (int k = 0; k < 6; ++k)
            text += QByteArray::number(line[size_t(k)]) + (k < 5 ? " " : "\r\n");
    }
    QFile file(dir.filePath(QStringLiteral("Systems/6-45-3_0001.dat")));
    file.open(QIODevice::WriteOnly);
    file.write(text);
    file.close();

    TStakesFile stakes(dir.filePath(QStringLiteral("Vendra.lsk")));
    stakes.open();
    TSystemGameContext context;
    context.stakes = &stakes;
    context.list = &all;
    context.listCount = static_cast<int64_t>(all.size());
    context.profit = -10000;
    context.multiDialog = [](int &, int &, QString &) { return true; };
    for (auto _ : state) {
        const TSystemGameResult result = StakeSystem(context, true);
        benchmark::DoNotOptimize(result.added);
    }
    stakes.close();
    qunsetenv("VENDRA_HOME");
}
BENCHMARK(BM_SystemGameFilteredWhole)->Arg(30)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
