#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempDataFolder.h"
#include "tests/support/DrawsStatTestData.h"
#include "common/BusyCursor.h"
#include "common/FormStore.h"
#include "ui/charts/ChartMarks.h"
#include "ui/charts/ChartWindow.h"
#include "ui/window/FormMain.h"
#include "ui/statistics/GraphsPage.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/views/SumsDistribution.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineSeries>
#include <QValueAxis>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Checks the value marks drawn: whole inside the plot, a blank's width clear of each other, and on their
// own light ground over every line (the ground's edge is light wherever a line passes); returns how many.
size_t CheckMarks(const TChartMarks *marks, QChartView *view, const std::string &where)
{
    const QImage picture = view->viewport()->grab().toImage();
    const double blank = QFontMetrics(QApplication::font()).horizontalAdvance(u' ');
    std::vector<QRectF> drawn;
    for (const TChartMark &mark : marks->drawn()) {
        const std::string text = where + ": " + mark.text.toStdString();
        EXPECT_TRUE(view->chart()->plotArea().contains(mark.rect)) << text;
        for (const QRectF &other : drawn)
            EXPECT_FALSE(mark.rect.adjusted(-blank, 0, blank, 0).intersects(other)) << text;
        drawn.push_back(mark.rect);
        const QRect edge = view->mapFromScene(view->chart()->mapToScene(mark.rect)).boundingRect().adjusted(1, 1, -2, -2);
        int dark = 0;
        for (int x = edge.left(); x <= edge.right(); ++x)
            dark += qGray(picture.pixel(x, edge.top())) < 170;
        for (int y = edge.top(); y <= edge.bottom(); ++y)
            dark += (qGray(picture.pixel(edge.left(), y)) < 170) + (qGray(picture.pixel(edge.right(), y)) < 170);
        EXPECT_EQ(dark, 0) << text;
    }
    return drawn.size();
}

// The graphs tab with its method list filled by the statistics page, over the hand-made draws.
class GraphsPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        archive.draws() = handMadeDraws();
        archive.touch();
        list.SetDraws(&archive.draws());
        list.RebuildMethods();
        stats = std::make_unique<TStatisticsPage>(archive, list, options);
        page = std::make_unique<TGraphsPage>(archive, list, options);
        page->setDrawsOffsetSource([this] { return offset; });
        stats->setGraphCombo(page->methodCombo());
        page->resize(900, 600);
    }
    void TearDown() override
    {
        page.reset();
        stats.reset();
    }
    void pick(const QString &code)
    {
        const int item = page->methodCombo()->findText(list.MethodCaption(list.FindMethod(code), true));
        ASSERT_GE(item, 0) << code.toStdString();
        page->methodCombo()->setCurrentIndex(item);
    }
    QLineSeries *seriesNamed(const QString &name) const
    {
        for (QAbstractSeries *s : page->chart()->series())
            if (s->name() == name)
                return qobject_cast<QLineSeries *>(s);
        return nullptr;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArchive archive;
    TStatList list;
    MainOptions options;
    int offset = 0;
    std::unique_ptr<TStatisticsPage> stats;
    std::unique_ptr<TGraphsPage> page;
};

TEST_F(GraphsPage, ListHoldsOnlyGraphMethodsAndDrawsTheChosenOne)
{
    stats->FillMethodCombos(false, false);
    QComboBox *combo = page->methodCombo();
    ASSERT_GT(combo->count(), 0);
    EXPECT_LT(combo->count(), stats->methodCombo()->count());
    EXPECT_EQ(combo->findText(list.MethodCaption(list.FindMethod(u"NUMS"_s), true)), -1);

    page->show();
    page->setGraphLength(3);
    pick(u"SUMS"_s);
    QLineSeries *values = seriesNamed(combo->currentText());
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values->points(), (QList<QPointF>{{108, 151}, {109, 118}, {110, 165}}));
    QLineSeries *mean = seriesNamed(u"Среднее значение"_s);
    ASSERT_NE(mean, nullptr);
    EXPECT_DOUBLE_EQ(mean->points().first().y(), 434.0 / 3.0);
    ASSERT_NE(seriesNamed(u"Наиболее часто встречающееся значение"_s), nullptr);
    EXPECT_EQ(seriesNamed(u"Наиболее часто встречающееся значение"_s)->points().first().y(), 151);

    // The marks box shows the labels of the values' series.
    EXPECT_FALSE(page->marks()->isShown(values));
    page->showMarksCheck()->setChecked(true);
    EXPECT_TRUE(page->marks()->isShown(values));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(GraphsPage, RedrawsOnlyWhenShownAndSomethingChanged)
{
    stats->FillMethodCombos(false, false);
    // Hidden: a refresh leaves the chart alone, showing draws it.
    page->refresh(true);
    EXPECT_EQ(page->computations(), 0);
    page->show();
    page->refresh(false);
    EXPECT_EQ(page->computations(), 1);
    page->refresh(false);
    EXPECT_EQ(page->computations(), 1);

    // An edited draw keeps the number of draws.
    TDrawRec d = archive.draws().back();
    d.main = {1, 2, 3, 4, 5, 6};
    archive.replace(archive.count() - 1, d);
    page->refresh(false);
    EXPECT_EQ(page->computations(), 2);

    offset = 2;
    page->refresh(false);
    EXPECT_EQ(page->computations(), 3);
    EXPECT_EQ(page->lastResult().last, 7);

    page->refresh(true);
    EXPECT_EQ(page->computations(), 4);

    // The method changed while its chart is computed (the computation lets the window work): the
    // chart ends with the newest method's series alone, the same as that method drawn on its own.
    page->setGraphLength(5);
    pick(u"SUMS"_s);
    const QString firstTitle = page->methodCombo()->currentText();
    int changes = 0;
    SetStatusTextHook([&](const QString &) {
        if (changes < 3 && page->methodCombo()->currentIndex() + 1 < page->methodCombo()->count()) {
            ++changes;
            page->methodCombo()->setCurrentIndex(page->methodCombo()->currentIndex() + 1);
        }
    });
    page->DrawGraphs(true);
    SetStatusTextHook({});
    ASSERT_GE(changes, 1);
    const QString lastTitle = page->methodCombo()->currentText();
    ASSERT_NE(lastTitle, firstTitle);
    const QLineSeries *shown = seriesNamed(lastTitle);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(seriesNamed(firstTitle), nullptr);
    const qsizetype seriesShown = page->chart()->series().size();
    const QList<QPointF> points = shown->points();
    page->DrawGraphs(true);
    ASSERT_NE(seriesNamed(lastTitle), nullptr);
    EXPECT_EQ(seriesNamed(lastTitle)->points(), points);
    EXPECT_EQ(page->chart()->series().size(), seriesShown);

    // A tab turned off never draws, even when asked to.
    const int drawn = page->computations();
    page->setTabShown(false);
    page->DrawGraphs(true);
    EXPECT_EQ(page->computations(), drawn);
}

TEST_F(GraphsPage, EmptyArchiveDrawsNothingAndDisablesTheCommand)
{
    stats->FillMethodCombos(false, false);
    archive.draws().clear();
    archive.touch();
    page->show();
    page->updateActions();
    EXPECT_FALSE(page->drawAction()->isEnabled());
    page->refresh(true);
    EXPECT_TRUE(page->chart()->series().isEmpty());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(GraphsPage, ValueMarksNeverRunIntoEachOtherOnAnyChart)
{
    archive.draws() = referenceArchive();
    archive.touch();
    stats->FillMethodCombos(false, false);
    page->show();
    page->showMarksCheck()->setChecked(true);
    page->setGraphLength(100);
    pick(u"SUMS"_s);
    TFormGraph sums;
    FillSumsDistributionChart(sums, CalcSumsDistribution(archive.draws()));
    sums.show();
    // The tab and the sums window at the width of a small, the usual and a large screen.
    for (QWidget *chartWindow : std::initializer_list<QWidget *>{page.get(), &sums})
        for (const int width : {800, 1200, 1600}) {
            chartWindow->resize(width, 560);
            QApplication::processEvents();
            const std::string at = chartWindow->objectName().toStdString() + " " + std::to_string(width);
            const bool tab = chartWindow == page.get();
            EXPECT_GE(CheckMarks(tab ? page->marks() : sums.marks(), tab ? page->chartView() : sums.chartView(), at), 5u);
            if (tab) {
                // The draw numbers under the chart have room to read whole.
                const auto *axis = qobject_cast<QValueAxis *>(page->chart()->axes(Qt::Horizontal).value(0));
                ASSERT_NE(axis, nullptr);
                EXPECT_GE(page->chart()->plotArea().width() / (axis->tickCount() - 1),
                          QFontMetrics(axis->labelsFont()).horizontalAdvance(QString::number(axis->max(), 'f', 0)))
                    << at;
            }
            SaveScreenshot(*chartWindow, u"marks-%1-%2"_s.arg(chartWindow->objectName()).arg(width));
        }
    // Marks switched off leave none drawn.
    page->showMarksCheck()->setChecked(false);
    sums.labelsCheck()->setChecked(false);
    QApplication::processEvents();
    EXPECT_EQ(CheckMarks(page->marks(), page->chartView(), "off") + CheckMarks(sums.marks(), sums.chartView(), "off"), 0u);
}

TEST(FormGraph, SeriesByTitleAndLabelControl)
{
    TempDataFolder folder;
    TFormGraph window;
    window.AddGraphPoint(1, u"A"_s, 5, true, true, QColor(255, 0, 0));
    window.AddGraphPoint(2, u"A"_s, 7, true, true);
    window.AddGraphPoint(1, u"B"_s, 3, false, false);
    ASSERT_EQ(window.allSeries().size(), 2);
    QLineSeries *a = window.series(u"A"_s);
    QLineSeries *b = window.series(u"B"_s);
    EXPECT_EQ(a->points(), (QList<QPointF>{{1, 5}, {2, 7}}));
    EXPECT_EQ(a->pen().color(), QColor(255, 0, 0));
    EXPECT_TRUE(window.marks()->isShown(a));
    EXPECT_FALSE(window.marks()->isShown(b));

    window.labelsCheck()->setChecked(false);
    EXPECT_FALSE(window.marks()->isShown(a));
    window.labelsCheck()->setChecked(true);
    EXPECT_TRUE(window.marks()->isShown(a));
    EXPECT_FALSE(window.marks()->isShown(b));
}

TEST(FormGraph, SumsDistributionSeries)
{
    TempDataFolder folder;
    TFormGraph window;
    TDrawRec draw;
    draw.main = {1, 2, 3, 4, 5, 6};
    const TSumsDistribution d = CalcSumsDistribution({draw, draw});
    FillSumsDistributionChart(window, d);
    ASSERT_EQ(window.allSeries().size(), 5);
    EXPECT_EQ(window.series(ActualSumsTitle())->points(), (QList<QPointF>{{21, 2}}));
    QLineSeries *theory = window.series(TheoreticalSumsTitle());
    ASSERT_EQ(theory->count(), 235);
    EXPECT_DOUBLE_EQ(theory->at(138 - 21).y(), 2.0);
    QLineSeries *range = window.series(u"Диапазон 2 (от 1/2 и выше по оси Y) - суммы 102-174"_s);
    ASSERT_NE(range, nullptr);
    EXPECT_DOUBLE_EQ(range->at(0).y(), 52846.0 * 2 / 105690);
}

} // namespace

namespace {

TEST(GraphsFeature, TabToggleAndSumsCommandInTheMainWindow)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\nTabGraphs=0\r\n");
    ScriptedMessages boxes;
    TFormMain window{TStartSwitches{}};
    window.FormCreate();
    TGraphsFeature *feature = InstallGraphs(window);
    QTabWidget *pages = window.mainPages();
    const int index = pages->indexOf(feature->page);
    ASSERT_GE(index, 0);
    EXPECT_EQ(pages->tabText(index), u"Графики"_s);
    // The stored option hides the tab at start.
    EXPECT_FALSE(pages->isTabVisible(index));
    EXPECT_FALSE(feature->tabAction->isChecked());
    EXPECT_TRUE(window.findMenu(u"menuStat"_s)->actions().contains(feature->tabAction));

    window.show();
    feature->tabAction->trigger();
    EXPECT_TRUE(pages->isTabVisible(index));
    EXPECT_EQ(pages->currentIndex(), index);
    EXPECT_TRUE(ReadFormBool(MainFormSection(), u"TabGraphs"_s, false));
    feature->tabAction->trigger();
    EXPECT_FALSE(ReadFormBool(MainFormSection(), u"TabGraphs"_s, true));

    int shown = 0;
    SetFormGraphShower([&shown](TFormGraph &chart) {
        ++shown;
        EXPECT_EQ(chart.windowTitle(), u"Распределение сумм тиражей и всех возможных комбинаций"_s);
        EXPECT_EQ(chart.allSeries().size(), 4); // no draws: no actual series
    });
    feature->totalSumsAction->trigger();
    SetFormGraphShower(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(boxes.count(), 0);
}

} // namespace
