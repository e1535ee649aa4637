// The filters of a scenario line: their variants, the row test and the statistics step.
#include "app/scenarios/StatStep.h"

#include "common/Cp1251.h"
#include "common/Exception.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/combinations/CombsList.h"
#include "app/scenarios/FilterVariants.h"
#include "app/scenarios/ScenarioRunLog.h"
#include "app/scenarios/ScenarioRunner.h"
#include "app/stakes/StakeRecord.h"
#include "app/stakes/StakesFile.h"

#include <QDir>
#include <QFileInfo>
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

class StepFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        draws = {draw(2, {3, 1, 8, 22, 5, 40}),  draw(4, {2, 7, 4, 33, 8, 11}),  draw(6, {1, 5, 6, 7, 30, 44}),
                 draw(8, {8, 3, 2, 15, 26, 6}),  draw(10, {4, 1, 7, 9, 38, 21}), draw(12, {5, 6, 2, 8, 43, 17}),
                 draw(14, {1, 2, 3, 4, 5, 7}),   draw(16, {7, 8, 6, 12, 29, 35}), draw(18, {2, 4, 6, 8, 10, 12}),
                 draw(20, {1, 3, 5, 7, 8, 2})};
        stats.SetDraws(&draws);
        stats.RebuildMethods();
        ctx.stats = &stats;
        ctx.combs = &combs;
        ctx.stopRequested = [] { return false; };
        ctx.log = &log;
        log.setEnabled(true);
        log.start();
    }

    TFilterPart part(const QString &filterText)
    {
        return TFilterVariants({TextToFilterItem(filterText, stats)}).variant(0)[0];
    }

    // The combinations of 1..8 (28 of them), one step run over them.
    void runStep(const QString &filterText)
    {
        combs.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8"_s});
        step.run(part(filterText), {}, ctx);
    }

    QString logText()
    {
        log.close();
        return Cp1251::decode(folder.read(QFileInfo(log.fileName()).fileName()));
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArray draws;
    TStatList stats;
    TCombsList combs;
    TScenarioRunLog log{folder.path(), [] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); }};
    TStatStep step;
    TStatStep::TContext ctx;
};

// ---- Variants ----

TEST_F(StepFixture, VariantsRunThroughDrawsThenValuesWithTheFirstFilterSlowest)
{
    const TFilterVariants v({TextToFilterItem(u"TSF1#NUMS:1-10;2#LMV:3,5#SF:0"_s, stats),
                             TextToFilterItem(u"TSF1#SUMS:5#LNO:#SF:0"_s, stats)});
    ASSERT_EQ(v.count(), 10);
    QStringList firsts;
    for (int64_t i = 0; i < v.count(); ++i) {
        const TFilterRec rec = v.variant(i);
        firsts << u"%1:%2"_s.arg(rec[0].DrawsLen).arg(rec[0].LevelText);
        EXPECT_EQ(FilterPartToText(rec[1]), u"TSF#SUMS:5#LNO:#SF:0"_s);
        EXPECT_FALSE(rec[2].Used);
    }
    EXPECT_EQ(firsts, (QStringList{u"1:3"_s, u"1:5"_s, u"3:3"_s, u"3:5"_s, u"5:3"_s, u"5:5"_s, u"7:3"_s, u"7:5"_s,
                                   u"9:3"_s, u"9:5"_s}));
    EXPECT_EQ(v.variant(0)[0].LevelValue, u"3"_s);
}

TEST_F(StepFixture, ListConditionsMakeOneVariantTestingTheWholeList)
{
    const TFilterVariants ldv({TextToFilterItem(u"TSF1#NUMS:10#LDV:1-3;1#SF:0"_s, stats)});
    ASSERT_EQ(ldv.count(), 1);
    EXPECT_EQ(ldv.variant(0)[0].LevelText, u"1,2,3"_s);
    EXPECT_EQ(ldv.variant(0)[0].LevelValue, u"1-3;1"_s);
    const TFilterVariants wdv({TextToFilterItem(u"TSF1#NUMS:10#WDV:1,2#SF:0"_s, stats)});
    ASSERT_EQ(wdv.count(), 1);
    EXPECT_EQ(wdv.variant(0)[0].LevelText, u"1,2"_s);
    EXPECT_EQ(TFilterVariants({}).count(), 0);
}

TEST_F(StepFixture, BadFiltersAreRefusedBeforeAnythingRuns)
{
    auto refusal = [&](const QString &text) -> QString {
        try {
            const TLineFilters line = ReadLineFilters(u"FULL:0#ALL|"_s + text + u"| | | | | | |"_s, stats);
            TFilterVariants v(line.items, line.texts);
        } catch (const Exception &e) {
            return e.message();
        }
        return {};
    };
    EXPECT_EQ(refusal(u"TSF1#NUMS:10#LNO:#SF:0"_s), QString());
    EXPECT_EQ(refusal(u"TSF1#NUMS:10#CMV:#SF:0"_s), u"Некорректное описание фильтра: TSF1#NUMS:10#CMV:#SF:0!"_s);
    EXPECT_EQ(refusal(u"TSF1#NUMS:1-10#LNO:#SF:0"_s), u"Некорректное описание фильтра: TSF1#NUMS:1-10#LNO:#SF:0!"_s);
    // A sample of no draws (or fewer) counts nothing.
    EXPECT_EQ(refusal(u"TSF1#NUMS:0,5#LNO:#SF:0"_s), u"Некорректное описание фильтра: TSF1#NUMS:0,5#LNO:#SF:0!"_s);
    EXPECT_EQ(refusal(u"TSF1#NUMS:-3#LNO:#SF:0"_s), u"Некорректное описание фильтра: TSF1#NUMS:-3#LNO:#SF:0!"_s);
    EXPECT_EQ(refusal(u"TSD1"_s), u"Некорректное описание фильтра: TSD1!"_s); // quoted as the line holds it
    // 1,000 draws by 1,000 values: counted and refused, nothing made.
    const QString tooMany = refusal(u"TSF1#NUMS:1-1000;1#CMV:1-1000;1#SF:0"_s);
    EXPECT_TRUE(tooMany.startsWith(u"Вы задали слишком много вариантов фильтров - программа не сможет обработать их "
                                   u"все!\rПожалуйста, уменьшите"_s))
        << tooMany.toStdString();
    EXPECT_TRUE(tooMany.contains(u"\r\r"_s));
    // So is one range longer than a list may be, of draws or of values: too many variants, not a bad filter.
    EXPECT_EQ(refusal(u"TSF1#NUMS:1-200000;1#LNO:#SF:0"_s), tooMany);
    EXPECT_EQ(refusal(u"TSF1#NUMS:5#CMV:1-200000;1#SF:0"_s), tooMany);
    EXPECT_EQ(refusal(u"TSF1#NUMS:5#LDV:0-300000;2#SF:0"_s), tooMany);
}

// ---- The row test ----

TEST(RowMatches, ConditionsOnTheTableColumns)
{
    auto test = [](const QString &kind, const QString &value, const TStatValues &row) {
        TFilterPart p;
        p.LevelMode = uint8_t(ConditionKeywordAtStart(kind));
        p.LevelText = value;
        return RowMatches(p, row);
    };
    TStatValues never;
    never.ValueText = u"12"_s;
    never.Value = 12;
    never.Count = u"0"_s;
    never.CountPct = u"0.00000"_s;
    never.Depth = never.DepthPct = never.Weight = never.PeriodMin = never.Period = never.PeriodMax = u"-"_s;
    // A cell without a number counts as 0 for "not less than" and 65535 for "not more than".
    EXPECT_TRUE(test(u"LMV"_s, u"0"_s, never));
    EXPECT_FALSE(test(u"LLV"_s, u"100"_s, never));
    EXPECT_TRUE(test(u"LLP"_s, u"65535"_s, never));
    // ... and is in no list.
    EXPECT_FALSE(test(u"LDV"_s, u"1,2,3"_s, never));
    EXPECT_TRUE(test(u"LVA"_s, u"5,12"_s, never));
    EXPECT_FALSE(test(u"LVA"_s, u"5,13"_s, never));
    EXPECT_TRUE(test(u"LNO"_s, QString(), never));

    TStatValues row = never;
    row.Count = u"7"_s;
    row.CountPct = u"11.66667"_s;
    row.Depth = u"3"_s;
    row.Weight = u"2.00"_s;
    row.Period = u"1,5000"_s;
    row.PeriodMin = u"1"_s;
    EXPECT_TRUE(test(u"CMV"_s, u"7"_s, row));
    EXPECT_FALSE(test(u"CMV"_s, u"8"_s, row));
    EXPECT_TRUE(test(u"CMP"_s, u"11"_s, row));
    EXPECT_FALSE(test(u"CLP"_s, u"11"_s, row));
    EXPECT_TRUE(test(u"CDV"_s, u"1;7"_s, row));
    EXPECT_TRUE(test(u"WDV"_s, u"2"_s, row));
    EXPECT_FALSE(test(u"WDV"_s, u"1"_s, row));
    EXPECT_TRUE(test(u"WMV"_s, u"2"_s, row));
    EXPECT_TRUE(test(u"PAM"_s, u"1"_s, row));  // "1,5000" read as one and a half
    EXPECT_FALSE(test(u"PAL"_s, u"1"_s, row));
    EXPECT_TRUE(test(u"PIR"_s, u"1"_s, row));
    EXPECT_TRUE(test(u"PXM"_s, u"0"_s, row));  // "-": 0
    // A condition value that is not a number stops the line.
    EXPECT_THROW(test(u"CMV"_s, u"x"_s, row), EConvertError);
    EXPECT_THROW(test(u"CDV"_s, u"1,,2"_s, row), EConvertError);
}

// ---- The step ----

TEST_F(StepFixture, StepCountsAndStopsAsTheFilterSays)
{
    // Over the ten draws 8 is the most frequent number (7 times), then 7 and 2 (6 times each).
    // ST 1, single selection: exactly one matching row applied: the seven combinations without 8.
    runStep(u"TSD1#NUMS:10#LNO:#ST:1"_s);
    EXPECT_EQ(combs.count(), 7);
    // ST 1, several rows at once: one row examined, the list filtered by it.
    runStep(u"TMD1#NUMS:10#LNO:#ST:1"_s);
    EXPECT_EQ(combs.count(), 7);
    // ST 2 with the condition "count at least 7": 8 is applied, 7 and 2 are walked but do not match.
    runStep(u"TSD1#NUMS:10#CMV:7#ST:2"_s);
    EXPECT_EQ(combs.count(), 7);
    // SC 5: rows applied while more than 5 combinations are left.
    runStep(u"BSD1#NUMS:10#LNO:#SC:5"_s);
    EXPECT_LE(combs.count(), 5);
    EXPECT_GE(combs.count(), 1);
    // Ordered by depth from the top: the deepest values seen (40 and 22, ten draws back, the larger
    // first) come before the values never seen, whose "-" sorts below every number. One step deletes
    // the 21 combinations with 40.
    combs.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,40"_s});
    step.run(part(u"TSD6#NUMS:10#LNO:#ST:1"_s), {}, ctx);
    EXPECT_EQ(combs.count(), 7);
    // Keeping the most frequent numbers one after another: the row that would empty the list is
    // undone, with SZ the walk ends there, with SF it goes on to the rows that keep something.
    runStep(u"TSF1#NUMS:10#LNO:#SZ:0"_s);
    const int64_t bySz = combs.count();
    runStep(u"TSF1#NUMS:10#LNO:#SF:0"_s);
    EXPECT_GE(bySz, combs.count());
    const QString text = logText();
    EXPECT_TRUE(text.contains(u"{UNDO} Откат изменений..."_s));
    EXPECT_TRUE(text.contains(u"Шаг 001. Выделение строки: < [8] кол-во: 7 (11.66667 %), отклонение: - (- %), "
                              u"глубина: 1 (10.00 %), вес: "_s));
    EXPECT_TRUE(text.contains(u"Анализ тиражей и расчет статистики \""_s));
    EXPECT_EQ(combs.undoCount(), 0);
}

TEST_F(StepFixture, RowsSelectedTogetherAreLoggedAsTheTableListsThem)
{
    // Walked from the bottom, the three most frequent numbers (8 seven times, 7 and 2 six times; equal
    // counts ordered by the value, largest first) are the last of the 45 rows walked: steps 43 to 45.
    // The filter log lists them as the table does, top to bottom.
    runStep(u"BMF1#NUMS:10#CMV:6#SF:0"_s);
    EXPECT_EQ(combs.count(), 28); // every combination of 1..8 has 2, 7 or 8
    ASSERT_EQ(combs.filterLog().size(), 1u);
    EXPECT_EQ(combs.filterLog()[0].values, u"8; 7; 2"_s);
    EXPECT_EQ(combs.filterLog()[0].image, fliKeep);
    EXPECT_EQ(step.lastSteps(), 45);
    const QString text = logText();
    const qsizetype two = text.indexOf(u"Шаг 043. Выделение строки: < [2] кол-во: 6 "_s);
    const qsizetype seven = text.indexOf(u"Шаг 044. Выделение строки: < [7] кол-во: 6 "_s);
    const qsizetype eight = text.indexOf(u"Шаг 045. Выделение строки: < [8] кол-во: 7 "_s);
    EXPECT_GE(two, 0);
    EXPECT_GT(seven, two);
    EXPECT_GT(eight, seven);

    // Sort column -1: the rows in the statistic's own order, 1, 2, 3 the first three walked.
    runStep(u"TMF-1#NUMS:10#LNO:#ST:3"_s);
    ASSERT_FALSE(combs.filterLog().empty());
    EXPECT_EQ(combs.filterLog().back().values, u"1; 2; 3"_s);

    // Several rows kept, none of them matching: the empty list is logged and undone.
    runStep(u"TMF1#NUMS:10#CMV:100#SF:0"_s);
    EXPECT_EQ(combs.count(), 28);
    const QString empty = logText().section(u"Анализ тиражей"_s, -1);
    const qsizetype keep = empty.indexOf(u"Оставляем выделенные значения..."_s);
    const qsizetype none = empty.indexOf(u"Количество комбинаций в списке: 0\r\n"_s);
    EXPECT_GE(keep, 0);
    EXPECT_GT(none, keep);
    EXPECT_GT(empty.indexOf(u"{UNDO} Откат изменений..."_s), none);
}

TEST_F(StepFixture, AStepWorkedOutAgainIsLoggedWithTheTrueCounts)
{
    // A way that miscounts its row (two more than the seven combinations without 8) is caught when
    // the list is rebuilt: the step is worked out again the plain way, its row's count is logged again
    // as the list holds it and the filter log shows that; the run's report counts the steps so. A list
    // of the full set left unwritten for a step of numbers, its write made wrong with the total right,
    // is written again the plain way when that step reads it: the report counts the step of sums that
    // left it, and neither step is logged as worked out again (every count said was the list's).
    struct Case {
        const char16_t *filter;
        const char16_t *report; // what the run's report says so far
        const char16_t *next = nullptr; // a step after it over the full list, known beforehand
    };
    const Case cases[] = {{u"TSD1#NUMS:10#LNO:#ST:1", u"1 раз (методы: NUMS)"},
                          {u"TMD1#NUMS:10#LNO:#ST:1", u"2 раза (методы: NUMS)"},
                          {u"TSD1#SUMS:6#LNO:#ST:1", u"3 раза (методы: NUMS, SUMS)", u"TSD1#NUMS:6#LNO:#ST:1"}};
    for (const Case &k : cases) {
        const QString filter = QString::fromUtf16(k.filter);
        if (k.next) {
            // The same two steps without the fault give the list to expect.
            TCombsList expected;
            TStatStep plain;
            for (TCombsList *l : {&expected, &combs}) {
                TStatStep &s = l == &combs ? step : plain;
                l->GenerateCombinations(false, TGenerateSettings{gmAll, {}});
                TStatStep::TContext c = ctx;
                c.combs = l;
                c.nextMethod = part(QString::fromUtf16(k.next)).Method;
                if (l == &combs)
                    step.faultNextWrite(TWriteFault{3, false});
                s.run(part(filter), {}, c);
                EXPECT_TRUE(l->unwritten()) << filter.toStdString();
                c.nextMethod = nullptr;
                c.afterStep = true;
                s.run(part(QString::fromUtf16(k.next)), {}, c);
            }
            EXPECT_TRUE(plain.fallbackReport().isEmpty());
            ASSERT_EQ(combs.count(), expected.count());
            EXPECT_TRUE(std::equal(expected.data(), expected.data() + expected.count(), combs.data()));
            // The log of the two steps with the fault.
            const QString text = logText().section(u"Анализ тиражей"_s, -2);
            EXPECT_GT(text.indexOf(u"Количество комбинаций в списке: %1\r\n"_s.arg(combs.count())), 0);
            EXPECT_EQ(text.indexOf(u"{!} Шаг выполнен заново"_s), -1);
        } else {
            step.miscountNextRow(2);
            runStep(filter);
            EXPECT_EQ(combs.count(), 7) << filter.toStdString();
            ASSERT_FALSE(combs.filterLog().empty());
            EXPECT_EQ(combs.filterLog().back().count, 7) << filter.toStdString();
            const QString text = logText().section(u"Анализ тиражей"_s, -1);
            const qsizetype said = text.indexOf(u"Количество комбинаций в списке: 9\r\n"_s);
            const qsizetype again = text.indexOf(u"{!} Шаг выполнен заново обычным способом"_s);
            EXPECT_GE(said, 0) << filter.toStdString();
            EXPECT_GT(again, said) << filter.toStdString();
            EXPECT_GT(text.indexOf(u"Количество комбинаций в списке: 7\r\n"_s, again), again) << filter.toStdString();
        }
        const QString report = step.fallbackReport();
        EXPECT_TRUE(report.contains(QString::fromUtf16(k.report))) << report.toStdString();
        EXPECT_TRUE(report.contains(u"Результат сценария верен"_s)) << report.toStdString();
        log.start();
    }
    step.reset();
    EXPECT_TRUE(step.fallbackReport().isEmpty());
}

TEST_F(StepFixture, MethodsTheStatisticsPageDoesNotOfferStopTheLine)
{
    const int sums = stats.FindMethod(u"SUMS");
    stats.GetMethod(sums).Favorite = false;
    stats.AllFavorites = false;
    try {
        runStep(u"TSF1#SUMS:10#LNO:#SF:0"_s);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().startsWith(u"Метод расчета статистики \"SUMS\" на найден!\r"_s));
    }
    // A filter whose method field names no method: the field stands in for the code and the title.
    combs.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});
    TFilterPart unknown = part(u"TSF1#NUMS:10#LNO:#SF:0"_s);
    unknown.Method = nullptr;
    EXPECT_THROW(step.run(unknown, u"QQQQ:10"_s, ctx), Exception);
    // A sort column the table lacks, above its last or below -1, or one that is no number: named as typed.
    for (const QString &filter : {u"TSF25#NUMS:10#LNO:#SF:0"_s, u"TSD-5#NUMS:20#LNO:#ST:2"_s,
                                  u"TSD--1#NUMS:20#LNO:#ST:2"_s, u"TSD-1x#NUMS:20#LNO:#ST:2"_s,
                                  u"TSD99999999999#NUMS:20#LNO:#ST:2"_s, u"TSFx#NUMS:10#LNO:#SF:0"_s}) {
        const QString column = filter.section(u'#', 0, 0).mid(3); // the text after the three letters
        try {
            step.run(part(filter), {}, ctx);
            ADD_FAILURE() << filter.toStdString();
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), u"Некорректное значение номера столбца сортировки ("_s + column + u')');
        }
    }
}

TEST_F(StepFixture, OwnWeightsHoldForTheirStepAndTheRunGivesTheWeightsBack)
{
    TStakesFile stakes(folder.file(u"Vendra.lsk"_s));
    stakes.open();
    stats.Config.weights = TWeightCoefs{1, 0, 0, false, false};
    const TWeightCoefs before = stats.Config.weights;
    TScenarioRunner::THost host;
    host.stats = &stats;
    host.combs = &combs;
    host.stakes = &stakes;
    host.processEvents = [] {};
    TScenarioRunLog runLog(folder.path());
    TScenarioRunner runner(host, runLog);
    stats.CombsGenerateMode = gmOnlyFrom;
    stats.CombsGenerateParameters = u"1,2,3,4,5,6,7"_s;
    // Own weights on the first filter, a filter that cannot run on the second: the run stops with the
    // message, and the weights are the user's again.
    stats.GetMethod(stats.FindMethod(u"SUMS")).Favorite = false;
    stats.AllFavorites = false;
    runner.runForecast({u"FULL:0#FIRST|TSD8#NUMS:10#WMV:100#SF:0#5:0.5:2:0:1|TSD1#SUMS:10#LNO:#SF:0| | | | | |"_s}, {});
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Метод расчета статистики \"SUMS\" на найден!"_s));
    EXPECT_EQ(stats.Config.weights, before);
    EXPECT_EQ(stakes.count(), 0);
    EXPECT_FALSE(runner.running());
}

TEST_F(StepFixture, FailedStakeWriteStopsTheRun)
{
    TStakesFile stakes(folder.file(u"Vendra.lsk"_s)); // never opened: every append fails
    TScenarioRunner::THost host;
    host.stats = &stats;
    host.combs = &combs;
    host.stakes = &stakes;
    host.processEvents = [] {};
    stats.CombsGenerateMode = gmOnlyFrom;
    stats.CombsGenerateParameters = u"1,2,3,4,5,6,7"_s;
    TScenarioRunLog runLog(folder.path());
    TScenarioRunner runner(host, runLog);
    TScenarioRunner::TOptions o;
    o.logEnabled = true;
    runner.runForecast({u"FULL:0#FIRST| | | | | | | |"_s, u"FULL:0#LAST| | | | | | | |"_s}, o);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка добавления записи в файл ставок!"_s));
    const QStringList logs = QDir(folder.path()).entryList({u"ScriptLog_*.txt"_s});
    ASSERT_EQ(logs.size(), 1);
    const QString text = Cp1251::decode(folder.read(logs.first()));
    EXPECT_FALSE(text.contains(u"добавлена в список ставок"_s));
    EXPECT_FALSE(text.contains(u"Выполнение строки 002"_s));
}

TEST_F(StepFixture, SystemGameWithoutSystemsIsReportedAsMissing)
{
    TStakesFile stakes(folder.file(u"Vendra.lsk"_s));
    stakes.open();
    TScenarioRunner::THost host;
    host.stats = &stats;
    host.combs = &combs;
    host.stakes = &stakes;
    host.processEvents = [] {};
    stats.CombsGenerateMode = gmOnlyFrom;
    stats.CombsGenerateParameters = u"1,2,3,4,5,6,7,8,9"_s;
    TScenarioRunLog runLog(folder.path());
    TScenarioRunner runner(host, runLog);
    TScenarioRunner::TOptions o;
    o.logEnabled = true;
    runner.runForecast({u"FULL:0#SYSA| | | | | | | |"_s}, o);
    EXPECT_EQ(stakes.count(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Система для 9 чисел не найдена или не загружена на компьютер!\r\r"_s));
    const QStringList logs = QDir(folder.path()).entryList({u"ScriptLog_*.txt"_s});
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(Cp1251::decode(folder.read(logs.first()))
                    .contains(u"{#} Системная игра для 9 чисел [ОШИБКА]: \"Система для 9 чисел не найдена или не "
                              u"загружена на компьютер!\""_s));

    // A system given by the systems folder: SYSC stakes only what the list holds, each sorted.
    boxes.clear();
    runner.setSystemGame([](const std::vector<uint8_t> &numbers) {
        EXPECT_EQ(numbers.size(), 9u);
        TSystemExpansion system;
        system.combs = {TSystemComb{6, 5, 4, 3, 2, 1}, TSystemComb{1, 2, 3, 4, 5, 44}, TSystemComb{9, 8, 7, 6, 5, 4}};
        system.path = u"/somewhere/Systems/6-09-3_0012.dat"_s;
        return system;
    });
    runner.runForecast({u"FULL:0#SYSC| | | | | | | |"_s}, o);
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(stakes.count(), 2);
    EXPECT_EQ(NumSetToText(stakes.readRecord(TStakeOrigin::Begin, 0).numbers, u";"), u"1;2;3;4;5;6"_s);
    EXPECT_EQ(NumSetToText(stakes.readRecord(TStakeOrigin::Begin, 1).numbers, u";"), u"4;5;6;7;8;9"_s);
    runner.runForecast({u"FULL:0#SYSA| | | | | | | |"_s}, o);
    EXPECT_EQ(stakes.count(), 2 + 1 + 3);

    // The systems folder's own system for nine numbers: positions over the numbers 1..9 the list covers.
    QDir(folder.path()).mkpath(u"Systems"_s);
    folder.write(u"Systems/6-09-3_0012.dat"_s, "1 2 3 4 5 6\r\n9;8;7;6;5;4\r\n1 2 3 4 5 7\r\n");
    runner.setSystemGame(nullptr);
    stakes.clear();
    runner.runForecast({u"FULL:0#SYSA| | | | | | | |"_s}, o);
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(stakes.count(), 3);
    EXPECT_EQ(NumSetToText(stakes.readRecord(TStakeOrigin::Begin, 1).numbers, u";"), u"4;5;6;7;8;9"_s);
    EXPECT_EQ(stakes.readRecord(TStakeOrigin::Begin, 1).kind, STAKE_SCENARIO);
    const QStringList logs2 = QDir(folder.path()).entryList({u"ScriptLog_*.txt"_s});
    bool loaded = false;
    for (const QString &name : logs2)
        loaded = loaded || Cp1251::decode(folder.read(name))
                               .contains(u"{#} Системная игра для 9 чисел [все система]: загружен файл \"6-09-3_0012\""_s);
    EXPECT_TRUE(loaded);
}

} // namespace
