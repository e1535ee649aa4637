#include "app/combinations/CombsFilter.h"
#include "common/Exception.h"
#include "lottery/NumberGeometry.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatRegistry.h"
#include "app/combinations/CombsList.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Keeps the combinations that hold the first selected number; records how it was loaded and can fail
// after a number of tests.
class FakeStat : public TCustomStat {
public:
    FakeStat(const TStatList &list, int failAfter = -1)
        : TCustomStat(*FindStatClass(u"TstValues"), list, 0), m_failAfter(failAfter)
    {
    }
    void LoadDraw(int index, int last, bool sorted) override { loads.push_back({index, last, sorted}); }
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleting) override
    {
        if (m_failAfter >= 0 && tests++ >= m_failAfter)
            throw Exception(u"сбой статистики"_s);
        lastSeen = last;
        sortedSeen = sorted;
        deletingSeen = deleting;
        return CombHasNumber(values[0].Keys.word(1), comb);
    }
    struct Load {
        int index, last;
        bool sorted;
        bool operator==(const Load &o) const = default;
    };
    std::vector<Load> loads;
    int tests = 0;
    int lastSeen = -2;
    bool sortedSeen = false;
    bool deletingSeen = false;

private:
    int m_failAfter;
};

TFilterSelection numbers(std::initializer_list<int> list)
{
    TFilterSelection s;
    for (int n : list)
        s.addNumber(n, QString::number(n));
    return s;
}

class CombsFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        stats.SetDraws(&draws);
        stats.RebuildMethods();
    }
    void full()
    {
        combs.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
        combs.SaveUndo(false);
    }
    TDrawsArray draws = TDrawsArray(10);
    TStatList stats;
    TCombsList combs;
};

} // namespace

TEST_F(CombsFilter, KeepThenDeleteTheSameNumberEmptiesTheListAndUndoGivesTheFirstStep)
{
    full();
    auto stat = stats.CreateMethodStat(stats.FindMethod(u"NUMS"));
    const TFilterDraws ctx{10, 0, false};
    ASSERT_TRUE(FilterCombsStep(combs, *stat, numbers({7}), false, ctx, u"Числа тиража"_s));
    EXPECT_EQ(combs.count(), 1086008); // C(45,6) - C(44,6)
    combs.SaveUndo(false);
    ASSERT_TRUE(FilterCombsStep(combs, *stat, numbers({7}), true, ctx, u"Числа тиража"_s));
    EXPECT_EQ(combs.count(), 0);
    ASSERT_EQ(combs.filterLog().size(), 2u);
    EXPECT_EQ(combs.filterLog()[0], (TFilterLogRow{fliKeep, u"Числа тиража"_s, u"7"_s, 1086008}));
    EXPECT_EQ(combs.filterLog()[1], (TFilterLogRow{fliDelete, u"Числа тиража"_s, u"7"_s, 0}));

    combs.RestoreUndo(false);
    combs.RemoveLastFilterLog();
    EXPECT_EQ(combs.count(), 1086008);
    EXPECT_EQ(combs.filterLog().size(), 1u);
    for (int64_t i = 0; i < combs.count(); i += 9973)
        ASSERT_TRUE(CombHasNumber(7, combs.at(i)));

    // Deleting from the full list keeps the combinations without the number.
    full();
    FilterCombsStep(combs, *stat, numbers({7}), true, ctx, u"Числа тиража"_s);
    EXPECT_EQ(combs.count(), 7059052); // C(44,6)
}

TEST_F(CombsFilter, StatisticIsLoadedOnceWithTheLastDrawBeforeTheOffset)
{
    combs.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});
    combs.SaveUndo(false);
    FakeStat stat(stats);
    FilterCombsStep(combs, stat, numbers({7, 3}), true, TFilterDraws{10, 3, true}, u"c"_s);
    EXPECT_EQ(stat.loads, (std::vector<FakeStat::Load>{{-1, 6, true}}));
    EXPECT_EQ(stat.lastSeen, 6);
    EXPECT_TRUE(stat.sortedSeen);
    EXPECT_TRUE(stat.deletingSeen);
    EXPECT_EQ(combs.count(), 1); // only {1,2,3,4,5,6} lacks 7
    EXPECT_EQ(combs.filterLog().back().values, u"7; 3");

    // An offset beyond the archive gives draw 0.
    EXPECT_EQ((TFilterDraws{10, 25, false}).lastDraw(), 0);
    EXPECT_EQ((TFilterDraws{0, 0, false}).lastDraw(), 0);
}

TEST_F(CombsFilter, NothingToFilterByOrFromChangesNothing)
{
    combs.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});
    combs.SaveUndo(false);
    FakeStat stat(stats);
    EXPECT_FALSE(FilterCombsStep(combs, stat, TFilterSelection{}, false, TFilterDraws{10, 0, false}, u"c"_s));
    EXPECT_EQ(combs.count(), 7);
    EXPECT_TRUE(combs.filterLog().empty());

    // An empty undo copy: nothing is tested or logged, the list stays empty.
    combs.SetCombsCapacity(0, 0);
    combs.SaveUndo(false);
    EXPECT_TRUE(FilterCombsStep(combs, stat, numbers({1}), false, TFilterDraws{10, 0, false}, u"c"_s));
    EXPECT_EQ(combs.count(), 0);
    EXPECT_TRUE(stat.loads.empty());
    EXPECT_TRUE(combs.filterLog().empty());

    try {
        FilterCombsByNumbers(combs, stats, numbers({0, 46}), false, TFilterDraws{}, u"Карта"_s);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"В выделенном диапазоне нет значений для фильтра!");
    }
}

TEST_F(CombsFilter, FailingStatisticLeavesTheListAsBeforeTheStep)
{
    combs.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8"_s});
    combs.SaveUndo(false);
    FakeStat stat(stats, 10);
    EXPECT_THROW(FilterCombsStep(combs, stat, numbers({8}), false, TFilterDraws{10, 0, false}, u"c"_s), Exception);
    EXPECT_EQ(combs.count(), 28);
    EXPECT_EQ(combs.undoCount(), 0);
    EXPECT_TRUE(combs.filterLog().empty());
}

TEST(CombsFilterValues, ViewSelectionsCollectEachNumberOnce)
{
    const std::vector<std::vector<QString>> card = {{u"7"_s, u""_s}, {u"7"_s, u"12"_s}, {u"x"_s, u" "_s}};
    const TFilterSelection c =
        CardSelection([&](int col, int row) { return card[size_t(col)][size_t(row)]; }, QRect(0, 0, 3, 2));
    EXPECT_EQ(c.text, u"7; 12");
    ASSERT_EQ(c.values.size(), 2);
    EXPECT_EQ(c.values[0].Keys, TStatKeys::of(7));
    EXPECT_EQ(c.values[1].Keys, TStatKeys::of(12));

    const TFilterSelection l =
        LayoutSelection([](int col, int) { return col == 0 ? u"3, [17], 22"_s : u"[3],, 5"_s; }, QRect(0, 0, 2, 1));
    EXPECT_EQ(l.text, u"3; 17; 22; 5");

    EXPECT_EQ(WeekSelection(5, 7).text, u"5; 6; 7");
    EXPECT_EQ(WeekSelection(44, 50).text, u"44; 45");
}
