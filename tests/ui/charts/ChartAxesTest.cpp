#include "lottery/stats/StatList.h"
#include "tests/support/TempDataFolder.h"
#include "tests/support/DrawsStatTestData.h"
#include "ui/charts/ChartLegend.h"
#include "ui/charts/ChartWindow.h"
#include "ui/statistics/GraphsPage.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/views/AxisScale.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/views/SumsDistribution.h"

#include <QChart>
#include <QComboBox>
#include <QLineSeries>
#include <QValueAxis>
#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::vector<double> Ticks(const TAxisScale &s)
{
    std::vector<double> ticks;
    for (int i = 0; i < s.tickCount; ++i)
        ticks.push_back(s.tick(i));
    return ticks;
}

// The values at which a chart axis draws its ticks, and so its labels.
std::vector<double> AxisTicks(const QValueAxis *axis)
{
    std::vector<double> ticks;
    const int n = axis->tickCount();
    for (int i = 0; i < n; ++i)
        ticks.push_back(axis->min() + i * (axis->max() - axis->min()) / (n - 1));
    return ticks;
}

bool AllWhole(const std::vector<double> &values)
{
    for (double v : values)
        if (std::fabs(v - std::round(v)) > 1e-9)
            return false;
    return true;
}

TEST(AxisScale, WholeNumbersTickAtWholeNumbers)
{
    // Expected ends and steps worked out by hand: step = 1, 2 or 5 times a power of ten, at least 1.
    struct Case {
        double lo, hi;
        int maxTicks;
        std::vector<double> ticks;
    };
    const Case cases[] = {
        {3, 7, 11, {3, 4, 5, 6, 7}},                        // 0.5 apart would put "4" below 4
        {0, 4, 5, {0, 1, 2, 3, 4}},
        {4001, 4100, 11, {4000, 4010, 4020, 4030, 4040, 4050, 4060, 4070, 4080, 4090, 4100}},
        {21, 255, 13, {20, 40, 60, 80, 100, 120, 140, 160, 180, 200, 220, 240, 260}},
        {5, 5, 11, {4, 5, 6}},                              // one value: one step either side
        {0, 1, 9, {0, 1}},
        {-7, 12, 6, {-10, -5, 0, 5, 10, 15}},
    };
    for (const Case &c : cases) {
        const TAxisScale s = NiceAxisScale(c.lo, c.hi, true, c.maxTicks);
        EXPECT_EQ(Ticks(s), c.ticks) << c.lo << ".." << c.hi;
        EXPECT_EQ(s.labelFormat(), u"%d");
    }
    // Room above the top: 165 + 4 % of 47 is past 165, so the scale ends one step higher.
    const TAxisScale padded = NiceAxisScale(118, 165, true, 9, true);
    EXPECT_EQ(Ticks(padded), (std::vector<double>{110, 120, 130, 140, 150, 160, 170}));
}

TEST(AxisScale, FractionalValuesGetRoundSteps)
{
    const TAxisScale s = NiceAxisScale(0.3, 1.7, false, 9);
    EXPECT_DOUBLE_EQ(s.step, 0.2);
    EXPECT_DOUBLE_EQ(s.min, 0.2);
    EXPECT_DOUBLE_EQ(s.max, 1.8);
    EXPECT_EQ(s.tickCount, 9);
    EXPECT_EQ(s.labelFormat(), u"%.1f");
    EXPECT_EQ(NiceAxisScale(0, 0.05, false, 6).labelFormat(), u"%.2f");
    // Nonsense input still gives a usable scale.
    const TAxisScale bad = NiceAxisScale(std::nan(""), 3, true);
    EXPECT_GE(bad.tickCount, 2);
    EXPECT_LT(bad.min, bad.max);
    const TAxisScale swapped = NiceAxisScale(9, 1, true, 9);
    EXPECT_EQ(swapped.min, 1);
    EXPECT_EQ(swapped.max, 9);
}

TEST(AxisScale, CrowdedLabelsAreThinnedAndKeptInside)
{
    const QRectF area(0, 0, 100, 50);
    // Three labels 10 wide side by side, 4 apart: with a gap of 2 each stands clear of the next.
    EXPECT_EQ(ThinLabels({QRectF(10, 10, 10, 8), QRectF(24, 10, 10, 8), QRectF(38, 10, 10, 8)}, area, 2),
              (std::vector<bool>{true, true, true}));
    // 1 apart they would touch: every other one is left out.
    EXPECT_EQ(ThinLabels({QRectF(10, 10, 10, 8), QRectF(21, 10, 10, 8), QRectF(32, 10, 10, 8)}, area, 2),
              (std::vector<bool>{true, false, true}));
    // Labels that stick out of the plot (over an axis) are left out, whatever room there is.
    EXPECT_EQ(ThinLabels({QRectF(-3, 10, 10, 8), QRectF(95, 10, 10, 8), QRectF(40, -2, 10, 8), QRectF(40, 20, 10, 8)},
                         area, 2),
              (std::vector<bool>{false, false, false, true}));
    // The same place on two lines: the first line's label stays.
    EXPECT_EQ(ThinLabels({QRectF(40, 20, 10, 8), QRectF(42, 24, 10, 8)}, area, 0), (std::vector<bool>{true, false}));

    // Category labels: 235 sums along 700 pixels, labels 21 wide with 4 either side need 29 pixels each:
    // at most 24 shares (700 / 29), so at most 23 labels; every 10th gives 24 labels, every 11th 22.
    EXPECT_EQ(CategoryLabelStep(235, 700, 21, 4), 11);
    EXPECT_EQ(CategoryLabelStep(10, 700, 21, 4), 1);
    EXPECT_EQ(CategoryLabelStep(235, 20, 21, 4), 235);
}

TEST(AxisScale, LabelsOfWholeValuesNameValuesThereAre)
{
    auto range = [](int from, int to, int by) {
        std::vector<double> v;
        for (int x = from; x <= to; x += by)
            v.push_back(x);
        return v;
    };
    struct Case {
        std::vector<double> values;
        double step;
        std::vector<double> ticks;
    };
    const Case cases[] = {
        {range(6095, 6105, 2), 1, range(6095, 6105, 2)},      // odd draws: never an even number between
        {range(100, 108, 2), 1, range(100, 108, 2)},
        {range(6001, 6199, 2), 20, range(6001, 6199, 20)},   // no round number is a draw: from the first
        {range(21, 255, 1), 20, range(40, 240, 20)},         // every sum there: round numbers
        {range(6000, 6300, 3), 10, range(6000, 6300, 12)},   // a stride of 3: labels 12 apart
        {{6090, 6091, 6093, 6104, 6150}, 10, {6090, 6150}},  // 6100 and 6110 are no draws, none near
        {{7}, 5, {7}},
        {{}, 5, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RealValueTicks(c.values, c.step), c.ticks) << c.values.size() << " " << c.step;
}

TEST(ChartAxes, GraphsTabTicksAtWholeDrawNumbersAndValues)
{
    TempDataFolder folder;
    TDrawsArchive archive;
    archive.draws() = handMadeDraws();
    archive.touch();
    TStatList list;
    list.SetDraws(&archive.draws());
    list.RebuildMethods();
    MainOptions options;
    TStatisticsPage stats(archive, list, options);
    TGraphsPage page(archive, list, options);
    stats.setGraphCombo(page.methodCombo());
    stats.FillMethodCombos(false, false);
    page.resize(900, 600);
    page.show();
    page.setGraphLength(3);
    page.methodCombo()->setCurrentIndex(
        page.methodCombo()->findText(list.MethodCaption(list.FindMethod(u"SUMS"_s), true)));
    // Draws 108..110 with the sums 151, 118 and 165.
    const auto axesX = page.chart()->axes(Qt::Horizontal);
    const auto axesY = page.chart()->axes(Qt::Vertical);
    ASSERT_EQ(axesX.size(), 1);
    ASSERT_EQ(axesY.size(), 1);
    const auto *x = qobject_cast<QValueAxis *>(axesX.first());
    const auto *y = qobject_cast<QValueAxis *>(axesY.first());
    ASSERT_TRUE(x && y);
    EXPECT_EQ(AxisTicks(x), (std::vector<double>{108, 109, 110}));
    EXPECT_EQ(AxisTicks(y), (std::vector<double>{110, 120, 130, 140, 150, 160, 170}));
    EXPECT_EQ(x->labelFormat(), u"%d");
    EXPECT_EQ(y->labelFormat(), u"%d");
}

TEST(ChartAxes, SumsDistributionCountsDrawsWithAWholeLegend)
{
    TempDataFolder folder;
    TFormGraph window;
    TDrawsArray draws;
    for (int k = 0; k < 3; ++k) {
        TDrawRec d;
        d.main = {1, 2, 3, 4, 5, static_cast<uint8_t>(6 + k)}; // sums 21, 22, 23
        draws.push_back(d);
    }
    draws.push_back(draws.front());
    FillSumsDistributionChart(window, CalcSumsDistribution(draws));
    // Two draws have the sum 21: the point's label is that count, not the sum.
    QLineSeries *actual = window.series(ActualSumsTitle());
    ASSERT_NE(actual, nullptr);
    EXPECT_EQ(actual->at(0), QPointF(21, 2));
    EXPECT_EQ(actual->pointLabelsFormat(), u"@yPoint");
    // The counts of draws (at most 2) tick at whole numbers although the scaled curves are fractional.
    EXPECT_TRUE(AllWhole(AxisTicks(window.axisY())));
    EXPECT_TRUE(AllWhole(AxisTicks(window.axisX())));
    EXPECT_EQ(window.axisY()->labelFormat(), u"%d");
    EXPECT_LE(window.axisX()->min(), 21);
    EXPECT_GE(window.axisX()->max(), 255);
    // The legend names all five series with their whole titles, the sum ranges included.
    const QStringList titles = window.legend()->titles();
    ASSERT_EQ(titles.size(), 5);
    EXPECT_EQ(titles[0], ActualSumsTitle());
    EXPECT_EQ(titles[2], u"Диапазон 1 (от 1/3 и выше по оси Y) - суммы 93-183");
    EXPECT_EQ(titles[3], u"Диапазон 2 (от 1/2 и выше по оси Y) - суммы 102-174");
}

} // namespace
