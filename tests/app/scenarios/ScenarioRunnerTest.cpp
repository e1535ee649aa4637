// Scenario runs on a small universe (the 28 combinations of the numbers 1..8) over ten draws numbered
// 2..20. The expected stakes come from tests/support/data/scenario_reference.py, which works the runs out
// from the rules alone.
#include "app/scenarios/ScenarioRunner.h"

#include "common/Cp1251.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/OtherKindFiles.h"
#include "tests/support/TempDataFolder.h"
#include "app/combinations/CombsList.h"
#include "app/stakes/StakeRecord.h"
#include "app/stakes/StakesCheck.h"
#include "app/stakes/StakesFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TDrawRec draw(int number, std::array<uint8_t, 6> main)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    return d;
}

const QString kNoFilters = u"| | | | | | | |"_s;

class ScenarioRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        draws = {draw(2, {3, 1, 8, 22, 5, 40}),  draw(4, {2, 7, 4, 33, 8, 11}),  draw(6, {1, 5, 6, 7, 30, 44}),
                 draw(8, {8, 3, 2, 15, 26, 6}),  draw(10, {4, 1, 7, 9, 38, 21}), draw(12, {5, 6, 2, 8, 43, 17}),
                 draw(14, {1, 2, 3, 4, 5, 7}),   draw(16, {7, 8, 6, 12, 29, 35}), draw(18, {2, 4, 6, 8, 10, 12}),
                 draw(20, {1, 3, 5, 7, 8, 2})};
        stats.SetDraws(&draws);
        stats.RebuildMethods();
        stats.Config.cost = 10000;
        stats.Config.profits = {{3, 100000}, {4, 1000000}, {5, 10000000}, {6, 100000000}};
        stats.CombsGenerateMode = gmOnlyFrom;
        stats.CombsGenerateParameters = u"1,2,3,4,5,6,7,8"_s;
        stakes.open();

        TScenarioRunner::THost host;
        host.stats = &stats;
        host.combs = &combs;
        host.stakes = &stakes;
        host.drawsOffset = [this] { return offset; };
        host.setDrawsOffset = [this](int o) {
            offset = o;
            offsets.push_back(o);
        };
        host.processEvents = [] {};
        host.showStatus = [this](const TScenarioRunStatus &s) { statuses.push_back(s); };
        host.checkStakes = [this] {
            ++checks;
            TStakeCheckContext ctx;
            ctx.draws = &draws;
            ctx.config = &stats.Config;
            CheckStakesAndRefresh(stakes, ctx, {});
            if (onCheck)
                onCheck();
        };
        host.openLog = [this](const QString &name) { openedLogs.append(name); };
        runner = std::make_unique<TScenarioRunner>(std::move(host), log);
    }

    // The stakes file as the reference prints it: "draw numbers matches profit", "-" for a separator.
    QStringList stakeLines()
    {
        QStringList lines;
        stakes.forEachRecord(0, [&](int64_t, const TStakeRec &r) {
            if (r.kind == STAKE_SEPARATOR)
                lines << u"-"_s;
            else
                lines << u"%1 %2 %3 %4"_s.arg(r.drawNumber)
                             .arg(NumSetToText(r.numbers, u";"))
                             .arg(r.matchCount())
                             .arg(r.profit);
            return true;
        });
        return lines;
    }

    QStringList forecast(const QStringList &lines, bool logging = false)
    {
        TScenarioRunner::TOptions o;
        o.logEnabled = logging;
        runner->runForecast(lines, o);
        return stakeLines();
    }

    QString logText() const
    {
        const QStringList files = QDir(folder.path()).entryList({u"ScriptLog_*.txt"_s}, QDir::Files);
        return files.isEmpty() ? QString() : Cp1251::decode(folder.read(files.first()));
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArray draws;
    TStatList stats;
    TCombsList combs;
    TStakesFile stakes{folder.file(u"Vendra.lsk"_s)};
    TScenarioRunLog log{folder.path(), [] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); }};
    std::unique_ptr<TScenarioRunner> runner;
    int offset = 0;
    std::vector<int> offsets;
    std::vector<TScenarioRunStatus> statuses;
    int checks = 0;
    std::function<void()> onCheck;
    QStringList openedLogs;
};

TEST_F(ScenarioRun, LinesWithoutFiltersStakeFromTheStartingList)
{
    EXPECT_EQ(forecast({u"FULL:0#FIRST"_s + kNoFilters}), QStringList{u"22 1;2;3;4;5;6 -1 -10000"_s});
    stakes.clear();
    EXPECT_EQ(forecast({u"FULL:0#LAST"_s + kNoFilters}), QStringList{u"22 3;4;5;6;7;8 -1 -10000"_s});
    // The stake's own fields.
    const TStakeRec r = stakes.readRecord(TStakeOrigin::Begin, 0);
    EXPECT_EQ(r.kind, STAKE_SCENARIO);
    EXPECT_EQ(r.sampleSize, 28);
    EXPECT_EQ(r.comment(), u"01.000: @ FULL#LAST"_s);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ScenarioRun, StopChoiceStakesOneCombinationAndStopsOnMore)
{
    EXPECT_EQ(forecast({u"FULL:0#STOP|TMD1#NUMS:10#LVA:7,8#SF:0| | | | | | |"_s}),
              QStringList{u"22 1;2;3;4;5;6 -1 -10000"_s});
    EXPECT_EQ(boxes.count(), 0);

    stakes.clear();
    const QStringList got = forecast({u"FULL:0#STOP|TSD1#NUMS:10#LVA:7#SF:0| | | | | | |X"_s,
                                      u"FULL:0#FIRST"_s + kNoFilters},
                                     true);
    EXPECT_TRUE(got.isEmpty());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Внимание!"_s);
    EXPECT_EQ(boxes.last().text, u"Выполнение сценария прервано, т.к. после применения всех фильтров в списке "
                                 u"комбинаций их осталось более одной: 7!\r\rФильтры: 01.001: X @ FULL#STOP + "
                                 u"TSD#NUMS:10#LVA:7#SF:0"_s);
    EXPECT_TRUE(logText().contains(u"{!} Сценарий остановлен!"_s));
    // The second line never ran.
    EXPECT_FALSE(logText().contains(u"Выполнение строки 002"_s));
}

TEST_F(ScenarioRun, StopModesOfTheStep)
{
    // SZ: the most frequent numbers kept one by one until the next one would empty the list.
    EXPECT_EQ(forecast({u"FULL:0#ALL|TSF1#NUMS:6#LNO:#SZ:0| | | | | | |"_s}),
              QStringList{u"22 2;4;5;6;7;8 -1 -10000"_s});
    // ST 3, bottom up by the value: the sums 21, 22 and 23 deleted, 24 combinations left.
    stakes.clear();
    const QStringList st = forecast({u"FULL:0#ALL|BSD0#SUMS:10#LNO:#ST:3| | | | | | |"_s});
    EXPECT_EQ(st.size(), 24);
    EXPECT_EQ(st.first(), u"22 1;2;3;4;6;8 -1 -10000"_s);
    EXPECT_EQ(st.last(), u"22 3;4;5;6;7;8 -1 -10000"_s);
    EXPECT_FALSE(st.contains(u"22 1;2;3;4;5;6 -1 -10000"_s));
    // SV 3: numbers deleted while their count is above 3.
    stakes.clear();
    EXPECT_EQ(forecast({u"FULL:0#ALL|TSD1#NUMS:10#LNO:#SV:3| | | | | | |"_s}),
              QStringList{u"22 1;2;3;4;5;6 -1 -10000"_s});
}

TEST_F(ScenarioRun, CurrentListGoesOnFromThePreviousLine)
{
    EXPECT_EQ(forecast({u"FULL:0#NONE|TSD1#NUMS:10#LVA:8#SF:0| | | | | | |"_s,
                        u"CURR:0#ALL|TSD1#SUMS:10#CMV:1#SF:0| | | | | | |"_s}),
              (QStringList{u"22 1;2;3;4;5;6 -1 -10000"_s, u"22 1;2;3;4;6;7 -1 -10000"_s, u"22 1;2;3;5;6;7 -1 -10000"_s,
                           u"22 1;2;4;5;6;7 -1 -10000"_s, u"22 2;3;4;5;6;7 -1 -10000"_s}));
}

TEST_F(ScenarioRun, ExcludedDrawsAndTheirBuffer)
{
    const QStringList got = forecast({u"EXCL:1#ALL|TSF1#NUMS:3#LMV:2#SF:0| | | | | | |"_s,
                                      u"EXCL:4#LAST"_s + kNoFilters});
    const QStringList expected = {
        u"22 1;2;3;4;5;6 -1 -10000"_s, u"22 1;2;3;4;6;7 -1 -10000"_s, u"22 1;2;3;4;6;8 -1 -10000"_s,
        u"22 1;2;4;5;6;7 -1 -10000"_s, u"22 1;2;4;5;6;8 -1 -10000"_s, u"22 1;2;4;6;7;8 -1 -10000"_s,
        u"22 1;3;4;5;6;7 -1 -10000"_s, u"22 1;3;4;5;6;8 -1 -10000"_s, u"22 1;3;4;6;7;8 -1 -10000"_s,
        u"22 1;4;5;6;7;8 -1 -10000"_s, u"22 2;3;4;5;6;7 -1 -10000"_s, u"22 2;3;4;5;6;8 -1 -10000"_s,
        u"22 2;3;4;6;7;8 -1 -10000"_s, u"22 2;4;5;6;7;8 -1 -10000"_s, u"22 3;4;5;6;7;8 -1 -10000"_s,
        u"22 3;4;5;6;7;8 -1 -10000"_s};
    EXPECT_EQ(got, expected);
    // The buffer lives for the run only.
    EXPECT_FALSE(folder.exists(u"Vendra.~buff"_s));
    EXPECT_EQ(combs.bufferKey1(), -1);

    // The second line with the same exclusion takes the stored list instead of removing the draws again.
    stakes.clear();
    forecast({u"EXCL:1#NONE"_s + kNoFilters, u"EXCL:1#LAST"_s + kNoFilters});
    EXPECT_EQ(combs.count(), 27);
    for (const TFilterLogRow &row : combs.filterLog())
        EXPECT_NE(row.caption, u"Последние тиражи"_s);
}

TEST_F(ScenarioRun, TestOverFiveDrawsChecksEveryStake)
{
    TScenarioRunner::TOptions o;
    offset = 0;
    runner->runTest({u"FULL:0#FIRST|TMF1#NUMS:4#CMV:2#SF:0| | | | | | |"_s,
                     u"FULL:0#LAST|TSF6#SUMS:8#LLV:3#SF:0| | | | | | |"_s},
                    5, o);
    EXPECT_EQ(stakeLines(), (QStringList{u"12 1;2;3;4;5;6 3 90000"_s, u"12 3;4;5;6;7;8 3 90000"_s, u"-"_s,
                                         u"14 1;2;3;4;5;6 5 9990000"_s, u"14 3;4;5;6;7;8 4 990000"_s, u"-"_s,
                                         u"16 1;2;3;4;5;6 1 -10000"_s, u"16 1;2;3;4;5;7 1 -10000"_s, u"-"_s,
                                         u"18 1;2;3;4;5;6 3 90000"_s, u"18 1;2;3;4;5;7 2 -10000"_s, u"-"_s,
                                         u"20 1;2;3;4;5;6 4 990000"_s, u"20 1;2;3;4;5;7 5 9990000"_s}));
    // Offsets 5 down to 1, then back to where the test started; one check per variant.
    EXPECT_EQ(offsets, (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(checks, 10);
    EXPECT_EQ(runner->stakesAdded(), 0); // the counter is of the run in progress
    EXPECT_FALSE(runner->running());
    EXPECT_EQ(statuses.back().text, u"Сценарий завершен!"_s);
}

TEST_F(ScenarioRun, StoppedTestStaysAtItsDraw)
{
    onCheck = [this] { runner->requestStop(); };
    runner->runTest({u"FULL:0#FIRST"_s + kNoFilters}, 3, {});
    EXPECT_EQ(offset, 3);
    EXPECT_EQ(stakeLines(), QStringList{u"16 1;2;3;4;5;6 1 -10000"_s});
}

TEST_F(ScenarioRun, OnlyNewStakesAreAddedOnce)
{
    forecast({u"FULL:0#FIRST#NEX"_s + kNoFilters}, true);
    EXPECT_EQ(forecast({u"FULL:0#FIRST#NEX"_s + kNoFilters}, true),
              (QStringList{u"22 1;2;3;4;5;6 -1 -10000"_s, u"-"_s}));
    EXPECT_TRUE(logText().contains(
        u"{-} Ставка на тираж 22 не добавлена, так как уже имеется в списке ставок: [1;2;3;4;5;6]"_s));
    // Without NEX the same stake is added again; ALL with NEX adds only what is new.
    forecast({u"FULL:0#FIRST"_s + kNoFilters});
    EXPECT_EQ(stakes.count(), 3);
    forecast({u"FULL:0#ALL#NEX|TSD1#NUMS:10#LVA:8#SF:0| | | | | | |"_s});
    EXPECT_EQ(stakes.count(), 3 + 1 + 6); // a separator and the six combinations without 8 not staked yet
}

TEST_F(ScenarioRun, ClearStakesEmptiesTheFileFirst)
{
    forecast({u"FULL:0#FIRST"_s + kNoFilters});
    EXPECT_EQ(forecast({u"FULL:0#LAST#CLR"_s + kNoFilters}), QStringList{u"22 3;4;5;6;7;8 -1 -10000"_s});
}

TEST_F(ScenarioRun, FiltersOnATooShortListStillStake)
{
    // Six numbers: one combination, so no step runs, and the line stakes it.
    stats.CombsGenerateParameters = u"1,2,3,4,5,6"_s;
    EXPECT_EQ(forecast({u"FULL:0#STOP|TSF1#NUMS:10#LVA:44#SF:0| | | | | | |"_s}),
              QStringList{u"22 1;2;3;4;5;6 -1 -10000"_s});
}

TEST_F(ScenarioRun, SeparatorsOnlyCheckOnceAndTheLogHasItsBanners)
{
    TScenarioRunner::TOptions o;
    o.logEnabled = true;
    o.stakesCheckOnLine = false;
    runner->runForecast({QString(), u"   "_s, QString()}, o);
    EXPECT_EQ(stakes.count(), 0);
    EXPECT_EQ(checks, 1);
    ASSERT_EQ(openedLogs.size(), 1);
    EXPECT_TRUE(QRegularExpression(u"ScriptLog_\\d{4}(-\\d\\d){5}\\.txt$"_s).match(openedLogs.first()).hasMatch());
    EXPECT_EQ(QFileInfo(openedLogs.first()).fileName(), u"ScriptLog_2026-03-04-05-06-07.txt"_s);
    QFile file(openedLogs.first());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList logLines = Cp1251::decode(file.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
    ASSERT_EQ(logLines.size(), 5);
    const QString stamp = u"[2026-03-04 05:06:07]: "_s;
    EXPECT_EQ(logLines[0], stamp + u"### ЗАПУСК СЦЕНАРИЯ "_s + QString(74, u'#'));
    EXPECT_EQ(logLines[1], stamp + QString(94, u'='));
    EXPECT_EQ(logLines[2], stamp + u"=== Выполнение сценария для смещения 000000 "_s + QString(50, u'='));
    EXPECT_EQ(logLines[3], stamp + QString(94, u'='));
    EXPECT_EQ(logLines[4], stamp + u"### ЗАВЕРШЕНИЕ СЦЕНАРИЯ "_s + QString(70, u'#'));
    for (const QString &l : logLines)
        EXPECT_EQ(l.size(), stamp.size() + 94);
}

TEST_F(ScenarioRun, ALogNameTakenByAnotherKindOfFileIsReportedOnceAndTheRunGoesOn)
{
    // The log's name (the clock is fixed) is taken before the run: the run neither waits on it nor
    // writes through it, says so once and makes its stakes.
    const QString name = folder.file(u"ScriptLog_2026-03-04-05-06-07.txt"_s);
    const QString outside = QDir(folder.path()).filePath(u"../outside-%1.txt"_s.arg(QCoreApplication::applicationPid()));
    for (TOtherFileKind kind : kOtherFileKinds) {
        SCOPED_TRACE(OtherFileKindName(kind).toStdString());
        ASSERT_TRUE(MakeOtherKindFile(name, kind, outside, "kept"));
        boxes.clear();
        stakes.clear();
        const TWatchedRun run = RunWatched([&]() -> QString {
            const QStringList made = forecast({u"FULL:0#FIRST| | | | | | | |"_s}, true);
            if (made.isEmpty() || made.last() != u"22 1;2;3;4;5;6 -1 -10000"_s)
                return u"the run made no stake: "_s + made.join(u", "_s);
            if (boxes.count() != 1 || !boxes.last().text.startsWith(u"Ошибка записи журнала: "_s))
                return u"the failure is not reported once"_s;
            if (!openedLogs.isEmpty())
                return u"the log is opened"_s;
            return {};
        });
        EXPECT_TRUE(run.ok()) << run.text().toStdString();
        EXPECT_TRUE(OtherKindFileIntact(name, kind, outside, "kept"));
    }
    QFile::remove(outside);
}

// A line that fails in every cycle of a test (its system is missing) but lets the run go on: one question
// for the whole run, which can stop it, rather than a box in every cycle between the player and "Стоп".
TEST_F(ScenarioRun, ALineFailingInEveryCycleAsksOnceWhetherToStop)
{
    runner->setSystemGame([](const std::vector<uint8_t> &numbers) {
        TSystemExpansion system;
        system.error = SystemNotFoundText(int(numbers.size()));
        return system;
    });
    const QStringList lines{u"FULL:0#SYSA"_s + kNoFilters};
    runner->runTest(lines, 3, {});
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.endsWith(u"\r\rОстановить выполнение сценария?"_s));
    EXPECT_EQ(offsets, (std::vector<int>{3, 2, 1, 0})); // every cycle ran, the offset came back

    boxes.clear();
    offsets.clear();
    boxes.answer(IDYES);
    runner->runTest(lines, 3, {});
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(offsets, std::vector<int>{3}); // stopped in its first cycle, at its draw
}

} // namespace
