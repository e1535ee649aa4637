#include "common/Exception.h"
#include "common/widgets/ListView.h"
#include "tests/support/StakesTestData.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempDataFolder.h"
#include "lottery/stats/StatList.h"
#include "ui/charts/ChartWindow.h"
#include "ui/window/FormMain.h"
#include "ui/stakes/RatingsPage.h"
#include "ui/stakes/StakesCharts.h"
#include "ui/stakes/StakesFeature.h"
#include "app/draws/DrawsArchive.h"
#include "app/stakes/StakesChartData.h"
#include "app/stakes/StakesFile.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QFontMetricsF>
#include <QCheckBox>
#include <QLineSeries>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TStakeRec stake(int draw, const QString &comment, TCurrency profit, int matches = -1,
                std::array<uint8_t, 6> numbers = {1, 2, 3, 4, 5, 6})
{
    TStakeRec r;
    r.kind = STAKE_SCENARIO;
    r.drawNumber = draw;
    r.numbers.count = 6;
    std::copy(numbers.begin(), numbers.end(), r.numbers.numbers.begin());
    r.matches.count = matches;
    r.checked = matches >= 0 ? 1 : 0;
    r.profit = profit;
    r.setComment(comment);
    return r;
}

std::vector<QPointF> pointsOf(const QLineSeries *series)
{
    if (!series)
        return {};
    const QList<QPointF> points = series->points();
    return {points.begin(), points.end()};
}

class ShowerScope {
public:
    explicit ShowerScope(FormGraphShower s) { SetFormGraphShower(std::move(s)); }
    ~ShowerScope() { SetFormGraphShower({}); }
};

} // namespace

TEST(StakesChartData, ProfitSummedPerDrawAndDrawnInRisingDrawOrder)
{
    // Two stakes of draw 104 at -1 and +5 give one point 4.
    TDrawProfits profits;
    profits.add(104, -10000);
    profits.add(102, -10000);
    profits.add(104, 50000);
    profits.add(106, -25000);
    profits.add(102, 0);
    ASSERT_EQ(profits.entries().size(), 3u);
    EXPECT_EQ(profits.entries()[0].draw, 104);
    EXPECT_EQ(profits.entries()[0].profit, 40000);
    EXPECT_EQ(profits.entries()[1].draw, 102);
    EXPECT_EQ(profits.entries()[2].draw, 106);

    // The line reads along the draws (102, 104, 106), the running total too, though 104 came first.
    const std::vector<TProfitChartPoint> points = ProfitChartPoints(profits.entries());
    ASSERT_EQ(points.size(), 3u);
    // Total 4 - 1 - 2.5 = 0.5 over three draws.
    for (const TProfitChartPoint &p : points)
        EXPECT_DOUBLE_EQ(p.average, 0.5 / 3);
    EXPECT_EQ(points[0].draw, 102);
    EXPECT_EQ(points[1].draw, 104);
    EXPECT_EQ(points[2].draw, 106);
    EXPECT_DOUBLE_EQ(points[0].profit, -1.0);
    EXPECT_DOUBLE_EQ(points[0].cumulative, -1.0);
    EXPECT_DOUBLE_EQ(points[1].profit, 4.0);
    EXPECT_DOUBLE_EQ(points[1].cumulative, 3.0);
    EXPECT_DOUBLE_EQ(points[2].profit, -2.5);
    EXPECT_DOUBLE_EQ(points[2].cumulative, 0.5);

    // Sums pass what an amount holds without wrapping: two stakes of draw 106 and one of 108 at the
    // largest amount give 2 and 3 times 922337203685477.5807.
    TDrawProfits largest;
    largest.add(106, INT64_MAX);
    largest.add(106, INT64_MAX);
    largest.add(108, INT64_MAX);
    const std::vector<TProfitChartPoint> summed = ProfitChartPoints(largest.entries());
    ASSERT_EQ(summed.size(), 2u);
    EXPECT_DOUBLE_EQ(summed[0].profit, 2 * 922337203685477.5807);
    EXPECT_DOUBLE_EQ(summed[1].cumulative, 3 * 922337203685477.5807);
    EXPECT_DOUBLE_EQ(summed[1].average, 1.5 * 922337203685477.5807);

    // Fewer than two draws: no chart.
    TDrawProfits one;
    one.add(104, -10000);
    one.add(104, 50000);
    for (const auto &entries : {std::vector<TDrawProfit>{}, one.entries()}) {
        try {
            ProfitChartPoints(entries);
            ADD_FAILURE() << "a chart of " << entries.size() << " draws";
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), u"Для построения графиков необходимо, чтобы в выделенном диапазоне данных было более "
                                   u"одного тиража!"_s);
        }
    }
}

TEST(StakesChartData, FromTheFileUncheckedStakesCountTheirCostAndSeparatorsNothing)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    folder.write(u"Vendra.lsk"_s, StakesFileBytes({stake(102, u"A"_s, -10000, 1), EmptyStakeRecord(), stake(104, u"A"_s, -10000),
                                          EmptyStakeRecord(), stake(102, u"B"_s, 50000, 3), TStakeRec{}}));
    TStakesFile file;
    file.open();
    const std::vector<TProfitChartPoint> points = ProfitChartPoints(file);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].draw, 102);
    EXPECT_DOUBLE_EQ(points[0].profit, 4.0);
    EXPECT_EQ(points[1].draw, 104);
    EXPECT_DOUBLE_EQ(points[1].profit, -1.0);

    // An empty file, and one of separator rows only, give the message.
    file.clear();
    EXPECT_THROW(ProfitChartPoints(file), Exception);
    ASSERT_TRUE(file.appendStake(EmptyStakeRecord()));
    EXPECT_THROW(ProfitChartPoints(file), Exception);
}

TEST(StakesChartData, RatingsChartsCoverTheNewestHundredCheckedDraws)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    std::vector<TStakeRec> records;
    for (int i = 0; i < 150; ++i) {
        const int draw = 2 * (i + 1);
        records.push_back(stake(draw, u"Сценарий"_s, 10000 * (i % 4), i % 5));
        records.push_back(stake(draw, u"Другой"_s, -10000, 0));
    }
    records.push_back(stake(302, u"Сценарий"_s, -10000)); // not checked yet
    folder.write(u"Vendra.lsk"_s, StakesFileBytes(records));
    TStakesFile file;
    file.open();

    const std::vector<TRatingChartPoint> matches = RatingChartPoints(file, {u"сценарий"_s}, false);
    ASSERT_EQ(matches.size(), 100u);
    // The 100th newest checked draw is the 51st of 150: number 102.
    EXPECT_EQ(matches.front().draw, 102);
    EXPECT_EQ(matches.front().series, u"сценарий"_s);
    EXPECT_DOUBLE_EQ(matches.front().value, 50 % 5);
    EXPECT_EQ(matches.back().draw, 300);

    const std::vector<TRatingChartPoint> profits = RatingChartPoints(file, {u"Другой"_s, u"Сценарий"_s}, true);
    ASSERT_EQ(profits.size(), 200u);
    EXPECT_EQ(profits[0].series, u"Сценарий"_s);
    EXPECT_DOUBLE_EQ(profits[0].value, 50 % 4);
    EXPECT_EQ(profits[1].series, u"Другой"_s);
    EXPECT_DOUBLE_EQ(profits[1].value, -1.0);

    EXPECT_THROW(RatingChartPoints(file, {}, false), Exception);
}

TEST(StakesChartData, OneCheckedDrawIsNoChart)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    folder.write(u"Vendra.lsk"_s, StakesFileBytes({stake(102, u"A"_s, -10000, 1), stake(102, u"A"_s, -10000, 2),
                                          stake(104, u"A"_s, -10000)}));
    TStakesFile file;
    file.open();
    EXPECT_THROW(RatingChartPoints(file, {u"A"_s}, false), Exception);
}

TEST(StakesChartData, ExpectedMatchesOfThePlays)
{
    // C(6,3) C(39,3) = 20 × 9139 = 182,780 of the 8,145,060 combinations share three numbers with a draw.
    const std::array<double, 7> normal = NormalMatchCounts(40);
    EXPECT_DOUBLE_EQ(normal[3], 40.0 * 182780 / 8145060);
    EXPECT_DOUBLE_EQ(normal[6], 40.0 / 8145060);
    double sum = 0;
    for (double v : normal)
        sum += v;
    EXPECT_NEAR(sum, 40.0, 1e-9);

    TRatingRec ten;
    ten.plays = 10;
    TRatingRec forty;
    forty.plays = 40;
    EXPECT_EQ(MostPlays({&ten, &forty}), 40);
    EXPECT_EQ(MostPlays({}), 0);
}

namespace {

// A window with draws 100..108 and two scenario stakes a draw, checked, so that the ratings hold them.
class StakesChartsWindow : public ::testing::Test {
protected:
    void start(int drawCount)
    {
        folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n");
        TDrawsArray draws;
        std::vector<TStakeRec> records;
        for (int i = 0; i < drawCount; ++i) {
            TDrawRec d;
            d.number = 100 + 2 * i;
            // Every third draw holds 3 as well.
            d.main = {1, 2, static_cast<uint8_t>(3 + (i % 3) * 10), static_cast<uint8_t>(10 + i), 40, 41};
            draws.push_back(d);
            records.push_back(stake(d.number, u"Первый"_s, 0));
            records.push_back(stake(d.number, u"Второй"_s, 0, -1, {1, 2, 40, 41, 42, 43}));
        }
        folder.write(u"Vendra.ldr"_s, SerializeDraws(draws));
        if (!records.empty())
            folder.write(u"Vendra.lsk"_s, StakesFileBytes(records));
        window = std::make_unique<TFormMain>(TStartSwitches{});
        window->FormCreate();
        window->tmrInitTimer();
        StatList().Config.cost = 50000;
        StatList().Config.profits = {{3, 150000}, {4, 1000000}};
        window->checkStakes();
        feature = window->findChild<TStakesFeature *>(u"StakesFeature"_s);
        charts = feature->charts();
        charts->updateActions();
    }
    void selectRatings(std::initializer_list<int> rows)
    {
        TQSortListView *list = feature->ratingsPage()->ratingsList();
        for (int row : rows)
            list->selectionModel()->select(list->listModel()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        charts->updateActions();
    }

    void SetUp() override { saved = StatList().Config; }
    void TearDown() override
    {
        window.reset();
        StatList().Config = saved;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TConfigData saved;
    std::unique_ptr<TFormMain> window;
    TStakesFeature *feature = nullptr;
    TStakesCharts *charts = nullptr;
};

} // namespace

TEST_F(StakesChartsWindow, ProfitByDrawInItsSeriesAndColours)
{
    start(5);
    QAction *action = charts->drawsAction();
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::Key_F6));
    ASSERT_TRUE(action->isEnabled());
    int shown = 0;
    ShowerScope shower([&](TFormGraph &chart) {
        ++shown;
        EXPECT_EQ(chart.windowTitle(), u"Суммарный профит по тиражам"_s);
        ASSERT_EQ(chart.allSeries().size(), 3);
        const QLineSeries *profit = chart.series(u"Суммарный профит ставок по тиражу"_s);
        const QLineSeries *average = chart.series(u"Среднее значение"_s);
        const QLineSeries *cumulative = chart.series(u"Накопленное значение"_s);
        ASSERT_TRUE(profit && average && cumulative);
        EXPECT_EQ(profit->pen().color(), QColor(0, 128, 0));
        EXPECT_EQ(average->pen().color(), QColor(0, 0, 255));
        EXPECT_EQ(cumulative->pen().color(), QColor(255, 0, 0));
        EXPECT_TRUE(profit->pointsVisible());
        EXPECT_TRUE(cumulative->pointsVisible());
        EXPECT_FALSE(average->pointsVisible());
        EXPECT_TRUE(chart.isLabelControlled(profit));
        EXPECT_FALSE(chart.isLabelControlled(average));
        EXPECT_EQ(profit->pen().width(), 2);

        // Each draw's profit from the checked stakes, in currency units.
        std::map<int, double> expected;
        window->stakes().forEachRecord(0, [&](int64_t, const TStakeRec &r) {
            if (r.isStake())
                expected[r.drawNumber] += r.profit / 10000.0;
            return true;
        });
        const std::vector<QPointF> points = pointsOf(profit);
        ASSERT_EQ(points.size(), 5u);
        double running = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(points[i].x(), 100 + 2 * int(i));
            EXPECT_DOUBLE_EQ(points[i].y(), expected[100 + 2 * int(i)]);
            running += points[i].y();
            EXPECT_DOUBLE_EQ(pointsOf(cumulative)[i].y(), running);
        }
        EXPECT_DOUBLE_EQ(pointsOf(average)[0].y(), running / 5);
        // The draws go in steps of 2: the labels under the chart name those draws, no number between.
        EXPECT_EQ(chart.xLabelValues(), (QList<double>{100, 102, 104, 106, 108}));
        SaveScreenshot(chart, u"chart-profit-by-draw"_s);
    });
    action->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(boxes.count(), 0);
}

TEST(StakesChartWindow, CrowdedValueLabelsAreThinnedInsideThePlot)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TFormGraph chart;
    // 150 draws of one value across an 800 pixel window: a label each would run into its neighbours.
    for (int draw = 1001; draw <= 1150; ++draw)
        chart.AddGraphPoint(draw, u"Профит"_s, 5, true, true);
    chart.resize(800, 500);
    chart.show();
    QApplication::processEvents();
    const QLineSeries *series = chart.series(u"Профит"_s);
    ASSERT_NE(series, nullptr);
    EXPECT_TRUE(series->pointLabelsClipping());
    const QRectF plot = chart.chart()->plotArea();
    ASSERT_FALSE(plot.isEmpty());
    const double labelWidth = QFontMetricsF(series->pointLabelsFont()).horizontalAdvance(u"5"_s);
    std::vector<double> shownAt;
    for (int i = 0; i < series->count(); ++i)
        if (chart.isLabelShown(series, i))
            shownAt.push_back(chart.chart()->mapToPosition(series->at(i), const_cast<QLineSeries *>(series)).x());
    // Some are shown, never two closer than a label's width, and none beyond the plot's sides.
    ASSERT_GE(shownAt.size(), 10u);
    EXPECT_LT(shownAt.size(), 150u);
    for (size_t k = 1; k < shownAt.size(); ++k)
        EXPECT_GE(shownAt[k] - shownAt[k - 1], labelWidth) << k;
    EXPECT_GE(shownAt.front() - labelWidth / 2, plot.left());
    EXPECT_LE(shownAt.back() + labelWidth / 2, plot.right());

    // Wider, more of them fit; with the marks switched off none is drawn.
    chart.resize(1600, 500);
    QApplication::processEvents();
    int wider = 0;
    for (int i = 0; i < series->count(); ++i)
        wider += chart.isLabelShown(series, i);
    EXPECT_GT(wider, int(shownAt.size()));
    chart.labelsCheck()->setChecked(false);
    EXPECT_FALSE(chart.isLabelShown(series, 0));
}

TEST_F(StakesChartsWindow, OneDrawGivesTheMessageAndNoWindow)
{
    start(1);
    ASSERT_TRUE(charts->drawsAction()->isEnabled());
    int shown = 0;
    ShowerScope shower([&](TFormGraph &) { ++shown; });
    charts->drawsAction()->trigger();
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              u"Для построения графиков необходимо, чтобы в выделенном диапазоне данных было более одного тиража!"_s);
}

TEST_F(StakesChartsWindow, EmptyStakesFileDisablesTheCharts)
{
    start(0);
    EXPECT_FALSE(charts->drawsAction()->isEnabled());
    EXPECT_FALSE(charts->overlapAction()->isEnabled());
    EXPECT_FALSE(charts->ratingsOverlapAction()->isEnabled());
}

TEST_F(StakesChartsWindow, MatchesAndProfitOfTheChosenRatings)
{
    start(4);
    ASSERT_EQ(feature->ratings().count(), 2);
    EXPECT_FALSE(charts->overlapAction()->isEnabled()) << "no rating chosen";
    selectRatings({0, 1});
    ASSERT_TRUE(charts->overlapAction()->isEnabled());
    ASSERT_TRUE(charts->profitsAction()->isEnabled());
    EXPECT_EQ(charts->overlapAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F6));
    EXPECT_EQ(charts->profitsAction()->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F6));

    int shown = 0;
    ShowerScope shower([&](TFormGraph &chart) {
        ++shown;
        EXPECT_EQ(chart.windowTitle(), u"График совпадений ставок"_s);
        ASSERT_EQ(chart.allSeries().size(), 2);
        // Draw 100+2i holds 1, 2, 40, 41, 10+i and 3 (every third draw) or 13 or 23: "Первый" (1..6)
        // matches 3 or 2; "Второй" (1, 2, 40..43) matches 4.
        for (const QPointF &p : pointsOf(chart.series(u"Первый"_s)))
            EXPECT_EQ(p.y(), (int(p.x()) - 100) / 2 % 3 == 0 ? 3 : 2) << p.x();
        for (const QPointF &p : pointsOf(chart.series(u"Второй"_s)))
            EXPECT_EQ(p.y(), 4);
        EXPECT_EQ(pointsOf(chart.series(u"Первый"_s)).size(), 4u);
        EXPECT_TRUE(chart.series(u"Первый"_s)->pointsVisible());
        EXPECT_TRUE(chart.isLabelControlled(chart.series(u"Второй"_s)));
        SaveScreenshot(chart, u"chart-ratings-matches"_s);
    });
    charts->overlapAction()->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());

    // The profit of each checked stake in currency units: a prize of 15.00 for 3 matches and 100.00 for
    // 4, less the cost of 5.00; nothing for 2 matches.
    ShowerScope profits([&](TFormGraph &chart) {
        ++shown;
        EXPECT_EQ(chart.windowTitle(), u"График профита ставок"_s);
        for (const QPointF &p : pointsOf(chart.series(u"Первый"_s)))
            EXPECT_DOUBLE_EQ(p.y(), (int(p.x()) - 100) / 2 % 3 == 0 ? 10.0 : -5.0) << p.x();
        for (const QPointF &p : pointsOf(chart.series(u"Второй"_s)))
            EXPECT_DOUBLE_EQ(p.y(), 95.0);
        SaveScreenshot(chart, u"chart-ratings-profit"_s);
    });
    charts->profitsAction()->trigger();
    EXPECT_EQ(shown, 2);
}

TEST_F(StakesChartsWindow, DoubleClickOnARatingDrawsItsMatchesAgainstTheExpected)
{
    start(3);
    selectRatings({1});
    TQSortListView *list = feature->ratingsPage()->ratingsList();
    const TRatingRec &rating = feature->ratings().items()[1];
    int shown = 0;
    ShowerScope shower([&](TFormGraph &chart) {
        ++shown;
        EXPECT_EQ(chart.windowTitle(), u"Количество совпадений"_s);
        const QLineSeries *normal = chart.series(u"Нормальные значения"_s);
        ASSERT_NE(normal, nullptr);
        EXPECT_EQ(normal->pen().color(), QColor(80, 80, 80));
        EXPECT_TRUE(normal->pointsVisible());
        EXPECT_FALSE(chart.isLabelControlled(normal));
        const std::vector<QPointF> expected = pointsOf(normal);
        ASSERT_EQ(expected.size(), 7u);
        EXPECT_DOUBLE_EQ(expected[3].y(), 3.0 * 182780 / 8145060);
        const std::vector<QPointF> counts = pointsOf(chart.series(rating.name));
        ASSERT_EQ(counts.size(), 7u);
        for (int k = 0; k <= 6; ++k) {
            EXPECT_EQ(counts[size_t(k)].x(), k);
            EXPECT_EQ(counts[size_t(k)].y(), rating.matchCounts[size_t(k)]);
        }
        SaveScreenshot(chart, u"chart-match-distribution"_s);
    });
    emit list->doubleClicked(list->listModel()->index(1, 0));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(rating.plays, 3);
}
