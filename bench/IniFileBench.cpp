// Timings of the ini class on large settings files: loading a file of 200,000 keys in one section, one
// of 50,000 sections, and looking every key up again. Both grow in proportion to the file.
#include "common/IniFile.h"

#include <benchmark/benchmark.h>

namespace {

QString manyKeys(int count)
{
    QString text = QStringLiteral("[GLOBAL]\r\n");
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("Key") + QString::number(i) + u'=' + QString::number(i) + QStringLiteral("\r\n");
    return text;
}

QString manySections(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("[Section") + QString::number(i) + QStringLiteral("]\r\nValue=") + QString::number(i) +
                QStringLiteral("\r\n");
    return text;
}

void BM_IniLoadKeys(benchmark::State &state)
{
    const QString text = manyKeys(int(state.range(0)));
    for (auto _ : state) {
        IniFile ini;
        ini.setText(text);
        benchmark::DoNotOptimize(ini.valueExists(QStringLiteral("GLOBAL"), QStringLiteral("Key0")));
    }
    state.SetComplexityN(state.range(0));
}

void BM_IniLoadSections(benchmark::State &state)
{
    const QString text = manySections(int(state.range(0)));
    for (auto _ : state) {
        IniFile ini;
        ini.setText(text);
        benchmark::DoNotOptimize(ini.sectionExists(QStringLiteral("Section0")));
    }
    state.SetComplexityN(state.range(0));
}

void BM_IniLookupEveryKey(benchmark::State &state)
{
    const int count = int(state.range(0));
    IniFile ini;
    ini.setText(manyKeys(count));
    for (auto _ : state) {
        int sum = 0;
        for (int i = 0; i < count; i += 7)
            sum += ini.readInteger(QStringLiteral("global"), QStringLiteral("KEY") + QString::number(i), 0);
        benchmark::DoNotOptimize(sum);
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_IniLoadKeys)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_IniLoadSections)->Arg(12500)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_IniLookupEveryKey)->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond)->Complexity();
