#include "common/Exception.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/draws/CardWeekFeature.h"
#include "ui/window/FormMain.h"
#include "common/widgets/StringGrid.h"
#include "lottery/stats/StatList.h"
#include "ui/draws/CardPage.h"
#include "ui/draws/WeekPage.h"
#include "app/views/CardModel.h"
#include "app/combinations/CombsList.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/views/WeekModel.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTabWidget>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QValueAxis>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TDrawRec Draw(int number, std::array<uint8_t, 6> main, std::array<uint8_t, 2> extra, const QString &date)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    d.extra = extra;
    d.setDateText(date);
    return d;
}

// Oldest first; on the card the newest (103) is row 1.
TDrawsArray SmallArchive()
{
    return {Draw(101, {1, 2, 10, 20, 30, 40}, {5, 6}, u"05 Jan 2015"_s),
            Draw(102, {44, 11, 2, 21, 31, 41}, {7, 8}, u"06 Jan 2015"_s),
            Draw(103, {2, 3, 22, 33, 41, 45}, {9, 12}, u"12 Jan 2015"_s)};
}

constexpr TRgbColor kYellow{255, 255, 0, false};
constexpr TRgbColor kLime{0, 255, 0, false};
constexpr TRgbColor kAqua{0, 255, 255, false};

TRgbColor CardColor(const TCardModel &card, int col, int row, bool colorCard = true, bool sequences = true)
{
    return TCardModel::colorOf(card.paintOf(col, row, colorCard, sequences), col, 5);
}

TComb Comb(std::array<uint8_t, 6> n)
{
    return TComb{n};
}

} // namespace

TEST(CardModel, CellsShowTheDrawsNewestFirst)
{
    TCardModel card;
    card.build(SmallArchive(), 1);
    EXPECT_EQ(card.rowCount(), 4);
    EXPECT_EQ(card.cell(0, 0), u""_s);
    EXPECT_EQ(card.cell(1, 0), u"1"_s);
    EXPECT_EQ(card.cell(45, 0), u"45"_s);
    EXPECT_EQ(card.cell(46, 0), u"E1"_s);
    EXPECT_EQ(card.cell(47, 0), u"E2"_s);
    EXPECT_EQ(card.cell(0, 1), u"103"_s);
    EXPECT_EQ(card.cell(0, 3), u"101"_s);
    EXPECT_EQ(card.cell(3, 1), u"3"_s);
    EXPECT_EQ(card.cell(4, 1), u""_s);
    EXPECT_EQ(card.cell(44, 2), u"44"_s); // drawn order does not matter
    EXPECT_EQ(card.cell(46, 1), u"9"_s);
    EXPECT_EQ(card.cell(47, 3), u"6"_s);
    EXPECT_EQ(card.cell(1, 4), u""_s);

    // An edit that keeps the count still makes the card stale.
    EXPECT_FALSE(card.stale(3, 1));
    EXPECT_TRUE(card.stale(3, 2));
    EXPECT_TRUE(card.stale(4, 1));

    TCardModel empty;
    EXPECT_TRUE(empty.stale(0, 0));
    empty.build({}, 0);
    EXPECT_EQ(empty.rowCount(), 2);
    for (int c = 0; c < TCardModel::kColCount; ++c)
        EXPECT_EQ(empty.cell(c, 1), u""_s) << c;
    EXPECT_FALSE(CardSelectionFilterable(QRect(QPoint(1, 1), QPoint(5, 1)), empty.drawCount()));
}

TEST(CardModel, RepeatsRunsAndChannelColours)
{
    TCardModel card;
    card.build(SmallArchive(), 1);
    // 2 is drawn three times running: every cell has a neighbour row.
    EXPECT_EQ(CardColor(card, 2, 1), kYellow); // 3 beside it
    EXPECT_EQ(CardColor(card, 2, 2), kLime);   // alone in its draw
    EXPECT_EQ(CardColor(card, 2, 3), kYellow); // 1 beside it
    EXPECT_EQ(CardColor(card, 1, 3), kAqua);   // run 1-2, no repeat
    EXPECT_EQ(CardColor(card, 3, 1), kAqua);
    EXPECT_EQ(CardColor(card, 41, 1), kLime);
    EXPECT_EQ(CardColor(card, 41, 2), kLime);
    // 44 and 45 are not neighbours across draws; the supplementary column is no neighbour of 45.
    EXPECT_EQ(CardColor(card, 44, 2), NumberColor(44, 5));
    EXPECT_EQ(CardColor(card, 45, 1), NumberColor(45, 5));
    EXPECT_EQ(CardColor(card, 11, 2), NumberColor(11, 5)); // 10 is in another draw
    // Empty cells take their column's channel colour.
    EXPECT_EQ(CardColor(card, 7, 1), NumberColor(7, 5));
    // The supplementary columns keep the default colours.
    EXPECT_TRUE(CardColor(card, 46, 1).isSystemWindow);
    EXPECT_TRUE(CardColor(card, 47, 2).isSystemWindow);

    // Without sequences every cell is coloured by channel; without channels only sequences.
    EXPECT_EQ(CardColor(card, 2, 1, true, false), NumberColor(2, 5));
    EXPECT_EQ(CardColor(card, 2, 1, false, true), kYellow);
    EXPECT_TRUE(CardColor(card, 44, 2, false, true).isSystemWindow);
    EXPECT_TRUE(CardColor(card, 7, 1, false, false).isSystemWindow);
}

TEST(CardModel, FiltersNeedNumberColumnsOnly)
{
    EXPECT_TRUE(CardSelectionFilterable(QRect(QPoint(1, 1), QPoint(45, 3)), 3));
    EXPECT_FALSE(CardSelectionFilterable(QRect(QPoint(40, 1), QPoint(46, 1)), 3));
    EXPECT_FALSE(CardSelectionFilterable(QRect(QPoint(0, 1), QPoint(3, 1)), 3));
    EXPECT_FALSE(CardSelectionFilterable(QRect(), 3));
}

namespace {
class CardWeekPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        archive.draws() = SmallArchive();
        archive.touch();
        stats.SetDraws(&archive.draws());
        stats.RebuildMethods();
        combs.assign({Comb({1, 4, 5, 6, 7, 8}), Comb({2, 9, 13, 14, 15, 16}), Comb({3, 9, 13, 14, 15, 17}),
                      Comb({5, 6, 7, 8, 9, 10}), Comb({6, 7, 8, 9, 10, 11})});
        combs.RefreshCombsCount();
    }
    static void Select(TQOwnerDrawGrid *grid, QPoint from, QPoint to)
    {
        grid->selectionModel()->select(QItemSelection(grid->indexOfCell(from.x(), from.y()),
                                                      grid->indexOfCell(to.x(), to.y())),
                                       QItemSelectionModel::ClearAndSelect);
    }
    TDrawsArchive archive;
    TStatList stats;
    MainOptions options;
    TCombsList combs;
};
} // namespace

TEST_F(CardWeekPages, CardSelectionKeepsAndDeletesCombinations)
{
    TCardPage page(archive, stats, options);
    page.show();
    page.RefreshCard(false);
    EXPECT_EQ(page.grid()->rowCount(), 4);
    EXPECT_EQ(page.grid()->getCellText(0, 1), u"103"_s);

    // Columns 2..3 over every draw: 2 is collected once, then 3.
    Select(page.grid(), {2, 1}, {3, 3});
    ASSERT_TRUE(page.filterable());
    page.FilterCombsByCard(combs, false, TFilterDraws{3, 0, false});
    ASSERT_EQ(combs.count(), 2);
    EXPECT_EQ(combs.at(0), Comb({2, 9, 13, 14, 15, 16}));
    EXPECT_EQ(combs.at(1), Comb({3, 9, 13, 14, 15, 17}));
    ASSERT_EQ(combs.filterLog().size(), 1u);
    EXPECT_EQ(combs.filterLog()[0], (TFilterLogRow{fliKeep, u"Карта"_s, u"2; 3"_s, 2}));

    // Deleting by the 10 of the oldest draw.
    Select(page.grid(), {10, 3}, {10, 3});
    page.FilterCombsByCard(combs, true, TFilterDraws{3, 0, false});
    EXPECT_EQ(combs.count(), 2);
    EXPECT_EQ(combs.filterLog().back(), (TFilterLogRow{fliDelete, u"Карта"_s, u"10"_s, 2}));

    // Empty cells only: a clear message, the list and its undo copy as they were.
    combs.assign({Comb({5, 6, 7, 8, 9, 10}), Comb({6, 7, 8, 9, 10, 11})});
    combs.SaveUndo(false);
    combs.assign({Comb({6, 7, 8, 9, 10, 11})});
    Select(page.grid(), {4, 1}, {9, 1});
    try {
        page.FilterCombsByCard(combs, false, TFilterDraws{3, 0, false});
        ADD_FAILURE() << "no message";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"В выделенном диапазоне нет значений для фильтра!"_s);
    }
    EXPECT_EQ(combs.count(), 1);
    EXPECT_EQ(combs.undoCount(), 2);

    // A selection that reaches the supplementary numbers is no filter.
    Select(page.grid(), {44, 1}, {46, 1});
    EXPECT_FALSE(page.filterable());

    // An edited draw shows at the next unforced refresh.
    archive.replace(2, Draw(103, {4, 5, 6, 7, 8, 9}, {1, 2}, u"12 Jan 2015"_s));
    page.RefreshCard(false);
    EXPECT_EQ(page.grid()->getCellText(4, 1), u"4"_s);
    EXPECT_EQ(page.grid()->getCellText(2, 1), u""_s);
}

TEST(WeekModel, DrawsAreGroupedByTheirWeekday)
{
    EXPECT_EQ(DrawWeekday(u"5 Jan 2015"_s), 1);
    EXPECT_EQ(DrawWeekday(u"11 Jan 2015"_s), 7);
    EXPECT_EQ(DrawWeekday(u"31 Feb 2015"_s), 0);
    EXPECT_EQ(DrawWeekday(u"soon"_s), 0);
    EXPECT_EQ(DrawWeekday(u""_s), 0);

    TDrawsArray draws = SmallArchive(); // Monday, Tuesday, Monday
    draws.push_back(Draw(104, {2, 3, 4, 5, 6, 7}, {8, 9}, u"bad date"_s));
    draws.push_back(Draw(105, {2, 40, 4, 5, 6, 7}, {8, 9}, u"18 Jan 2015"_s)); // Sunday

    TWeekTable all;
    all.build(draws, 0, 1000);
    EXPECT_EQ(all.countedDraws(), 4);
    EXPECT_EQ(all.count(2, 1), 2);
    EXPECT_EQ(all.count(2, 2), 1);
    EXPECT_EQ(all.count(2, 7), 1);
    EXPECT_EQ(all.count(41, 1), 1);
    EXPECT_EQ(all.count(41, 2), 1);
    EXPECT_EQ(all.count(3, 7), 0); // 104 holds 3 but has no weekday
    EXPECT_EQ(all.cellText(3, 7), u""_s);
    EXPECT_EQ(all.cellText(2, 1), u"2"_s);
    EXPECT_EQ(all.maxCount(), 2);

    // The newest draw hidden, two draws: 103 (Monday) and 104, which has no weekday.
    TWeekTable window;
    window.build(draws, 1, 2);
    EXPECT_EQ(window.countedDraws(), 1);
    EXPECT_EQ(window.count(2, 1), 1);
    window.build(draws, 2, 1);
    EXPECT_EQ(window.countedDraws(), 1);
    EXPECT_EQ(window.count(2, 1), 1);
    EXPECT_EQ(window.count(45, 1), 1);
    window.build(draws, 10, 5);
    EXPECT_EQ(window.countedDraws(), 0);
    EXPECT_EQ(window.maxCount(), 0);

    const QStringList days{u"пн"_s, u"вт"_s, u"ср"_s, u"чт"_s, u"пт"_s, u"сб"_s, u"вс"_s};
    const auto byNumbers = WeekChartPoints(all, 0, 2, 1, days);
    ASSERT_EQ(byNumbers.size(), 45u);
    EXPECT_EQ(byNumbers[1], (TWeekChartPoint{u"2"_s, 2}));
    EXPECT_EQ(byNumbers[44], (TWeekChartPoint{u"45"_s, 1}));
    const auto byDays = WeekChartPoints(all, 1, 2, 1, days);
    ASSERT_EQ(byDays.size(), 7u);
    EXPECT_EQ(byDays[0], (TWeekChartPoint{u"пн"_s, 2}));
    EXPECT_EQ(byDays[6], (TWeekChartPoint{u"вс"_s, 1}));
}

TEST(WeekModel, HeatColourRunsFromWhiteToRed)
{
    EXPECT_EQ(WeekHeatColor(3, 3), (TRgbColor{255, 0, 0, false}));
    EXPECT_EQ(WeekHeatColor(1, 3), (TRgbColor{255, 170, 170, false}));
    EXPECT_EQ(WeekHeatColor(3, 7), (TRgbColor{255, 146, 146, false})); // 255 - 109.29
    EXPECT_TRUE(WeekHeatColor(0, 3).isSystemWindow);
    EXPECT_TRUE(WeekHeatColor(2, 0).isSystemWindow);
}

TEST_F(CardWeekPages, WeekPageCountsTheWindowAndFiltersBySelectedColumns)
{
    TWeekPage page(archive, stats, options);
    page.setWeekLen(2);
    page.show();
    page.RefreshWeek(false);
    EXPECT_EQ(page.grid()->colCount(), 46);
    EXPECT_EQ(page.grid()->rowCount(), 8);
    EXPECT_EQ(page.grid()->getCellText(2, 1), u"1"_s); // one Monday in the newest two draws
    EXPECT_EQ(page.grid()->getCellText(2, 2), u"1"_s);
    EXPECT_EQ(page.grid()->getCellText(1, 1), u""_s);
    EXPECT_EQ(page.grid()->getCellText(5, 0), u"5"_s);

    page.setWeekLen(3);
    page.RefreshWeek(false);
    EXPECT_EQ(page.grid()->getCellText(2, 1), u"2"_s);

    // Columns 5..7 are the numbers, whatever the cells hold.
    Select(page.grid(), {5, 3}, {7, 4});
    page.FilterCombsByWeek(combs, false, TFilterDraws{3, 0, false});
    EXPECT_EQ(combs.count(), 3);
    EXPECT_EQ(combs.filterLog().back(), (TFilterLogRow{fliKeep, u"Неделя"_s, u"5; 6; 7"_s, 3}));
}

TEST_F(CardWeekPages, WeekChartShowsTheFirstRowWithEveryNumberReadable)
{
    // The page as a large window shows it, and as a window of 800 x 600 does.
    for (const QSize size : {QSize(900, 700), QSize(490, 500)}) {
        SCOPED_TRACE(size.width());
        TWeekPage page(archive, stats, options);
        page.setWeekHeight(12); // a strip left by an older version is a chart again
        page.resize(size);
        page.show();
        page.RefreshWeek(false);
        QApplication::processEvents();
        EXPECT_GE(page.chartView()->height(), 150);
        // Every day of the week in view above the chart.
        const auto *grid = page.findChild<QTableView *>(u"sgWeek"_s);
        ASSERT_NE(grid, nullptr);
        EXPECT_GE(grid->viewport()->height(), grid->verticalHeader()->length());
        // Before any cell is picked the chart shows Monday's row, one bar per number; the numbers under
        // the bars each have their own room, the first and the last among them.
        const auto axes = page.chartView()->chart()->axes(Qt::Horizontal);
        ASSERT_EQ(axes.size(), 1);
        auto *numbers = qobject_cast<QCategoryAxis *>(axes.first());
        ASSERT_NE(numbers, nullptr);
        EXPECT_FALSE(numbers->truncateLabels()); // never "..." in place of a number
        const QStringList shown = numbers->categoriesLabels();
        ASSERT_GE(shown.size(), 2);
        EXPECT_EQ(shown.first(), u"1");
        EXPECT_EQ(numbers->endValue(u"1"_s), 0); // under its bar
        const QFontMetricsF metrics(numbers->labelsFont());
        const double share = page.chartView()->chart()->plotArea().width() / (numbers->max() - numbers->min());
        for (qsizetype i = 1; i < shown.size(); ++i)
            EXPECT_GE((numbers->endValue(shown[i]) - numbers->endValue(shown[i - 1])) * share,
                      (metrics.horizontalAdvance(shown[i]) + metrics.horizontalAdvance(shown[i - 1])) / 2 + 2)
                << shown[i].toStdString();
        EXPECT_GE(numbers->endValue(shown.last()), 43);
        const auto counts = page.chartView()->chart()->axes(Qt::Vertical);
        ASSERT_EQ(counts.size(), 1);
        EXPECT_EQ(qobject_cast<QValueAxis *>(counts.first())->labelFormat(), u"%d");
    }
}

TEST(CardWeekFeature, TabsOptionsAndCommandsFollowTheWindowState)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nTabWeek=0\r\n");
    ScriptedMessages boxes;
    TFormMain window(TStartSwitches{});
    window.FormCreate();
    window.tmrInitTimer();
    TCardWeekFeature *feature = InstallCardWeek(window);
    ASSERT_NE(window.findMenu(u"menuView"_s), nullptr);
    EXPECT_TRUE(feature->cardTabShown());
    EXPECT_FALSE(feature->weekTabShown());

    // An empty archive: the card shows one empty row and offers no filter even on that row.
    feature->updateActions();
    EXPECT_EQ(feature->cardPage()->grid()->rowCount(), 2);
    feature->cardPage()->grid()->setCurrentCell(3, 1);
    feature->updateActions();
    EXPECT_FALSE(feature->action(u"CardFilter_Include"_s)->isEnabled());
    EXPECT_FALSE(feature->action(u"CardXlsExport"_s)->isEnabled());
    EXPECT_FALSE(feature->action(u"WeekStatCalc"_s)->isEnabled());
    EXPECT_FALSE(feature->action(u"ViewWeekChartMode"_s)->isEnabled());
    EXPECT_FALSE(feature->action(u"TabWeek"_s)->isChecked());

    // Showing the week tab stores the key and brings the tab forward.
    feature->action(u"TabWeek"_s)->trigger();
    EXPECT_TRUE(feature->weekTabShown());
    EXPECT_EQ(window.mainPages()->currentWidget(), feature->weekPage());
    EXPECT_TRUE(folder.read(u"Vendra.frm"_s).contains("TabWeek=1"));
    EXPECT_TRUE(feature->action(u"WeekFilter_Include"_s)->isEnabled()); // the full list is there
    feature->action(u"ViewWeekChartMode"_s)->trigger();
    EXPECT_EQ(window.options().weekChartMode, 1);
    EXPECT_TRUE(feature->action(u"ViewWeekChartMode"_s)->isChecked());

    feature->action(u"ViewColorCard"_s)->trigger();
    EXPECT_FALSE(window.options().colorCard);
    EXPECT_FALSE(feature->action(u"ViewColorCard"_s)->isChecked());
    EXPECT_TRUE(folder.read(u"Vendra.frm"_s).contains("ColorCard=0"));
    EXPECT_EQ(boxes.count(), 0);
}
