#include "common/BusyCursor.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempDataFolder.h"
#include "tests/support/DrawsStatTestData.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHeaderView>
#include <QLineSeries>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The tab over an archive of our own, shown (it computes only while shown), offscreen.
class StatisticsPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&archive.draws());
        list.RebuildMethods();
        page = std::make_unique<TStatisticsPage>(archive, list, options);
        page->setDrawsOffsetSource([this] { return offset; });
        page->resize(1100, 700);
    }
    void TearDown() override { page.reset(); }

    void load(const TDrawsArray &draws)
    {
        archive.draws() = draws;
        archive.touch();
    }
    void start()
    {
        page->show();
        page->FillMethodCombos(false, false);
    }
    // The user picks the method from the list.
    void pick(const QString &code)
    {
        const int item = combo()->findText(list.MethodCaption(list.FindMethod(code), true));
        ASSERT_GE(item, 0) << code.toStdString();
        combo()->setCurrentIndex(item);
    }
    // The user types a length and presses Enter.
    void typeLength(int length)
    {
        edit()->setValue(length);
        emit edit()->editingFinished();
    }

    QComboBox *combo() const { return page->findChild<QComboBox *>(u"cbDrawsStatType"_s); }
    QSpinBox *edit() const { return page->findChild<QSpinBox *>(u"edDrawsStatLen"_s); }
    TQSortListView *table() const { return page->findChild<TQSortListView *>(u"lvDrawsStat"_s); }
    QAbstractItemModel *model() const { return table()->model(); }
    QAction *action(const QString &name) const { return page->findChild<QAction *>(name); }
    QChart *chart() const { return page->findChild<QChartView *>(u"crtDrawsStat"_s)->chart(); }
    QString cell(int row, int column) const { return model()->index(row, column).data().toString(); }
    // The table row that shows the value.
    int rowOf(const QString &value) const
    {
        for (int r = 0; r < model()->rowCount(); ++r)
            if (cell(r, 0) == value)
                return r;
        return -1;
    }
    QStringList tableTexts() const
    {
        QStringList rows;
        for (int r = 0; r < model()->rowCount(); ++r)
            rows << rowText(r);
        return rows;
    }
    QString rowText(int row) const
    {
        QStringList parts;
        for (int c = 0; c < model()->columnCount(); ++c)
            parts.append(cell(row, c));
        return parts.join(u';');
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArchive archive;
    TStatList list;
    MainOptions options;
    int offset = 0;
    std::unique_ptr<TStatisticsPage> page;
};

} // namespace

TEST_F(StatisticsPage, ControlsAsDesigned)
{
    load(handMadeDraws());
    start();
    ASSERT_TRUE(combo() && edit() && table());
    EXPECT_EQ(edit()->minimum(), 1);
    EXPECT_EQ(edit()->value(), 1000);
    // The favourite methods with their captions; a fresh fill selects the first.
    EXPECT_EQ(combo()->count(), list.MethodCount());
    EXPECT_EQ(combo()->currentText(), list.MethodCaption(0, true));
    EXPECT_EQ(page->selectedMethod()->MethodCode(), u"NUMS");

    ASSERT_EQ(model()->columnCount(), 20);
    const QStringList captions = {u"Значение"_s,   u"Количество"_s, u"Кол-во в %"_s, u"Норма"_s,
                                  u"Отклонение"_s, u"Откл-ие в %"_s, u"Глубина"_s,    u"Глубина в %"_s,
                                  u"Вес"_s,        u"Посл. тираж"_s, u"Период min"_s, u"Период"_s,
                                  u"Период max"_s, u"Ожд. ПРД"_s,    u"Ожд. СТФ"_s,   u"Ожд. КРН"_s,
                                  u"Факт"_s,       u"+/- ПРД"_s,     u"+/- СТФ"_s,    u"+/- КРН"_s};
    for (int c = 0; c < 20; ++c)
        EXPECT_EQ(model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
    // Without the comparison with all combinations the norm columns are hidden.
    for (int c = 3; c <= 5; ++c)
        EXPECT_TRUE(table()->isColumnHidden(c));
    EXPECT_EQ(table()->sortColumn(), 1);
    EXPECT_EQ(table()->sortDirection(), sdAscending);
    EXPECT_TRUE(table()->multiSelect());
    EXPECT_EQ(table()->selectionBehavior(), QAbstractItemView::SelectRows);

    EXPECT_EQ(action(u"DrawsStatCalc"_s)->text(), u"Обновить");
    EXPECT_TRUE(action(u"DrawsStatCalc"_s)->isEnabled());
    EXPECT_EQ(action(u"DrawsStatePrefetchsEnabled"_s)->text(), u"Использовать сравнение с полным набором комбинаций");
    EXPECT_FALSE(action(u"DrawsStatePrefetchsEnabled"_s)->isChecked());
    EXPECT_EQ(action(u"DrawsStatShowTotalLine"_s)->text(), u"График идеального распределения");
    EXPECT_FALSE(action(u"DrawsStatShowTotalLine"_s)->isEnabled());
    EXPECT_EQ(action(u"DrawsStatExportToExcel"_s)->text(), u"Экспорт статистики в Microsoft Excel");
    // The export is there whenever the table has rows.
    EXPECT_EQ(action(u"DrawsStatExportToExcel"_s)->isEnabled(), page->rowCount() > 0);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(StatisticsPage, PickMethodSetLengthReadCells)
{
    load(handMadeDraws());
    offset = 2;
    start();
    typeLength(8);
    ASSERT_EQ(model()->rowCount(), 45);
    // Sorted by count ascending, numbers as numbers: the values never drawn first, 14 (5 times) last.
    EXPECT_EQ(cell(0, 1), u"0");
    EXPECT_EQ(cell(44, 0), u"14");
    EXPECT_EQ(rowText(44), u"14;5;10.41667;-;-;-;1;12.50;1.00;108;1;1.6000;2;110;130;127;109;+1;+21;+18");
    EXPECT_EQ(rowText(rowOf(u"41"_s)), u"41;4;8.33333;-;-;-;2;25.00;2.00;107;1;2.0000;3;109;134;130;109;0;+25;+21");
    for (int r = 1; r < 45; ++r)
        EXPECT_LE(cell(r - 1, 1).toInt(), cell(r, 1).toInt());

    // POS1 over the same sample: the first numbers 3 5 1 14 7 3 2 6.
    pick(u"POS1"_s);
    ASSERT_EQ(model()->rowCount(), 45);
    EXPECT_EQ(cell(rowOf(u"3"_s), 1), u"2");
    EXPECT_EQ(cell(rowOf(u"14"_s), 1), u"1");
    EXPECT_EQ(cell(rowOf(u"14"_s), 16), u"109"); // the first hidden draw starts with 14

    // The row of the table as the scenario runner reads it.
    const TStatValues v = page->StatRowForExport(rowOf(u"3"_s));
    EXPECT_EQ(v.ValueText, u"3");
    EXPECT_EQ(v.Count, u"2");
    EXPECT_EQ(v.Period, u"4.0000");
    EXPECT_EQ(page->StatRowForExport(45), TStatValues{});
}

TEST_F(StatisticsPage, TwoThousandDrawsAgreeWithTheReference)
{
    load(referenceArchive());
    ASSERT_EQ(archive.count(), 2000);
    offset = 25;
    start();
    typeLength(300);
    const QStringList expected = referenceRows()[u"NUMS/300/25"_s];
    ASSERT_EQ(expected.size(), 45);
    ASSERT_EQ(model()->rowCount(), 45);
    // Every row, whatever its place after sorting.
    for (const QString &want : expected) {
        const int r = rowOf(want.section(u';', 0, 0));
        ASSERT_GE(r, 0);
        EXPECT_EQ(rowText(r), want);
    }
    // The chart: one point per value in the order of the values.
    ASSERT_EQ(chart()->series().size(), 1);
    auto *actual = qobject_cast<QLineSeries *>(chart()->series().front());
    ASSERT_TRUE(actual);
    EXPECT_EQ(actual->name(), u"Фактические данные");
    EXPECT_EQ(actual->pen().color(), QColor(0, 128, 0));
    EXPECT_EQ(actual->pen().width(), 2);
    ASSERT_EQ(actual->count(), 45);
    EXPECT_EQ(actual->at(13).y(), expected[13].section(u';', 1, 1).toDouble());
    auto *axis = qobject_cast<QCategoryAxis *>(chart()->axes(Qt::Horizontal).value(0));
    ASSERT_TRUE(axis);
    EXPECT_EQ(axis->categoriesLabels().front(), u"1");
}

TEST_F(StatisticsPage, ManyValuesAreLabelledEveryKthAndWhole)
{
    load(referenceArchive());
    start();
    typeLength(2000);
    // Short numbers (the sums 21..255, the k-th at x = k) and long texts: four numbers, three differences.
    for (const QString &method : {u"SUMS"_s, u"KNS4"_s, u"KDS3"_s}) {
        pick(method);
        ASSERT_TRUE(method != u"SUMS" || model()->rowCount() == 235) << model()->rowCount();
        QChartView *view = page->findChild<QChartView *>(u"crtDrawsStat"_s);
        for (const QSize size : {QSize(1100, 700), QSize(800, 560), QSize(1600, 900), QSize(800, 420)}) {
            page->resize(size);
            QApplication::processEvents();
            // The axes of the method shown before are gone from the picture.
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            auto *axis = qobject_cast<QCategoryAxis *>(chart()->axes(Qt::Horizontal).value(0));
            ASSERT_TRUE(axis);
            const QStringList labels = axis->categoriesLabels();
            EXPECT_GE(labels.size(), method == u"SUMS" ? size.width() / 100 : 2) << size.width();
            ASSERT_GE(labels.size(), 2);
            // Each label sits at its value's point, at a common spacing.
            const int spacing = qRound(axis->endValue(labels[1]) - axis->endValue(labels[0]));
            for (qsizetype i = 0; i < labels.size(); ++i) {
                const int at = qRound(axis->endValue(labels[i]));
                EXPECT_EQ(labels[i], page->lastResult().chart.labels.value(at - 1)) << labels[i].toStdString();
                if (i > 0) {
                    EXPECT_EQ(at - qRound(axis->endValue(labels[i - 1])), spacing);
                }
            }
            // What the chart draws on both axes is whole, never cut down to dots.
            int drawn = 0;
            for (QGraphicsItem *item : view->scene()->items()) {
                const auto *text = dynamic_cast<QGraphicsTextItem *>(item);
                if (!text || !text->isVisible())
                    continue;
                const QString shown = text->toPlainText();
                EXPECT_FALSE(shown.contains(u"...") || shown.contains(u"…"))
                    << method.toStdString() << " " << size.width() << "x" << size.height() << ": " << shown.toStdString();
                drawn += labels.contains(shown) && text->sceneBoundingRect().top() >= chart()->plotArea().bottom();
            }
            EXPECT_EQ(drawn, labels.size()) << method.toStdString() << " " << size.width();
            SaveScreenshot(*page, u"statistics-chart-%1-%2x%3"_s.arg(method).arg(size.width()).arg(size.height()));
        }
    }
}

TEST_F(StatisticsPage, RecomputesOnlyWhenAnInputChanged)
{
    load(referenceArchive());
    start();
    EXPECT_EQ(page->computations(), 1);
    // Tab changes and repeated refreshes cost nothing.
    page->refresh(false);
    page->refresh(false);
    EXPECT_EQ(page->computations(), 1);

    typeLength(500);
    EXPECT_EQ(page->computations(), 2);
    emit edit()->editingFinished(); // Enter again: the same length
    EXPECT_EQ(page->computations(), 2);

    offset = 10;
    page->refresh(false);
    EXPECT_EQ(page->computations(), 3);

    pick(u"POS1"_s);
    EXPECT_EQ(page->computations(), 4);
    pick(u"POS1"_s);
    EXPECT_EQ(page->computations(), 4);
    pick(u"NUMS"_s);
    EXPECT_EQ(page->computations(), 5);

    options.sortedDraws = true;
    page->refresh(false);
    EXPECT_EQ(page->computations(), 6);

    // "Обновить" always computes.
    action(u"DrawsStatCalc"_s)->trigger();
    EXPECT_EQ(page->computations(), 7);

    // Editing a draw keeps the number of draws but changes the figures.
    const int row = rowOf(u"44"_s);
    const int before = cell(row, 1).toInt();
    TDrawRec edited = archive.draws()[1989]; // the newest draw of the sample (offset 10)
    const bool had44 = std::find(edited.main.begin(), edited.main.end(), 44) != edited.main.end();
    edited.main = {44, 1, 2, 3, 4, 5};
    if (had44)
        edited.main = {6, 1, 2, 3, 4, 5};
    archive.replace(1989, edited);
    page->refresh(false);
    EXPECT_EQ(page->computations(), 8);
    EXPECT_EQ(cell(rowOf(u"44"_s), 1).toInt(), before + (had44 ? -1 : 1));

    // Hidden, the tab computes nothing; a full refresh asked for meanwhile is done when it shows.
    page->hide();
    page->refresh(true);
    EXPECT_EQ(page->computations(), 8);
    page->show();
    page->refresh(false);
    EXPECT_EQ(page->computations(), 9);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(StatisticsPage, RefilledListNeverShowsAnotherMethodsFigures)
{
    load(handMadeDraws());
    start();
    pick(u"POS1"_s);
    const int computed = page->computations();

    // Fewer favourites move POS1 to another place in the list: it stays selected, nothing is redone.
    list.TextToFavorites(u"EVEN,POS1");
    page->FillMethodCombos(false, true);
    ASSERT_EQ(combo()->count(), 2);
    EXPECT_EQ(combo()->currentIndex(), 1);
    EXPECT_EQ(page->selectedMethod()->MethodCode(), u"POS1");
    EXPECT_EQ(page->computations(), computed);

    // Without POS1 the list shows what now stands at its place (EVEN), and so does the table.
    list.TextToFavorites(u"NUMS,EVEN");
    page->FillMethodCombos(false, true);
    EXPECT_EQ(page->selectedMethod()->MethodCode(), u"EVEN");
    EXPECT_EQ(model()->rowCount(), 6);
    EXPECT_GE(rowOf(u"3:3"_s), 0);

    // A fill that is not asked to keep the method starts with the first.
    page->FillMethodCombos(false, false);
    EXPECT_EQ(page->selectedMethod()->MethodCode(), u"NUMS");
    EXPECT_EQ(model()->rowCount(), 45);

    // The graph list gets the graph methods only.
    QComboBox graphs;
    page->setGraphCombo(&graphs);
    page->FillMethodCombos(false, false);
    EXPECT_EQ(combo()->count(), 2);
    ASSERT_EQ(graphs.count(), 1);
    EXPECT_EQ(graphs.currentText(), list.MethodCaption(list.FindMethod(u"EVEN"), true));

    // An empty list leaves an empty table, not the last method's rows.
    list.TextToFavorites(u"EVEN");
    for (int i = 0; i < list.MethodCount(); ++i)
        list.GetMethod(i).Favorite = false;
    page->FillMethodCombos(false, true);
    EXPECT_EQ(combo()->count(), 0);
    EXPECT_EQ(model()->rowCount(), 0);
    EXPECT_FALSE(action(u"DrawsStatCalc"_s)->isEnabled());
}

// The user goes down the method list quickly: each press comes while the window's messages are served
// by a computation, and it is the last press alone that the table and the chart show.
TEST_F(StatisticsPage, QuickMethodChangesEndWithTheLastMethodAlone)
{
    load(referenceArchive());
    start();
    const int presses = 12;
    int pressed = 0;
    SetStatusTextHook([&](const QString &) {
        if (pressed < presses) {
            ++pressed;
            QTest::keyClick(combo(), Qt::Key_Down);
        }
    });
    action(u"DrawsStatCalc"_s)->trigger();
    SetStatusTextHook({});
    ASSERT_EQ(pressed, presses);
    ASSERT_EQ(combo()->currentIndex(), presses);
    const QString shownMethod = page->selectedMethod()->MethodCode();
    const QStringList shown = tableTexts();
    ASSERT_EQ(chart()->series().size(), 1);
    EXPECT_EQ(chart()->series().front()->name(), u"Фактические данные");
    EXPECT_EQ(chart()->axes().size(), 2);
    const QList<QPointF> points = qobject_cast<QLineSeries *>(chart()->series().front())->points();

    // The same method computed on its own.
    action(u"DrawsStatCalc"_s)->trigger();
    EXPECT_EQ(page->selectedMethod()->MethodCode(), shownMethod);
    EXPECT_EQ(tableTexts(), shown);
    ASSERT_EQ(chart()->series().size(), 1);
    EXPECT_EQ(qobject_cast<QLineSeries *>(chart()->series().front())->points(), points);

    // Another length typed while a table is computed: the figures are those of the new length.
    pressed = presses - 1;
    SetStatusTextHook([&](const QString &) {
        if (pressed < presses) {
            ++pressed;
            typeLength(300);
        }
    });
    action(u"DrawsStatCalc"_s)->trigger();
    SetStatusTextHook({});
    const QStringList typed = tableTexts();
    typeLength(1000);
    typeLength(300);
    EXPECT_EQ(tableTexts(), typed);
    EXPECT_EQ(chart()->series().size(), 1);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(StatisticsPage, OffsetBeyondTheArchiveAndEmptyArchive)
{
    load(handMadeDraws());
    offset = 50;
    start();
    ASSERT_EQ(model()->rowCount(), 45);
    for (int r = 0; r < 45; ++r) {
        EXPECT_EQ(cell(r, 1), u"0");
        EXPECT_EQ(cell(r, 6), u"-");
    }
    EXPECT_EQ(boxes.count(), 0);

    load({});
    page->refresh(false);
    EXPECT_EQ(model()->rowCount(), 0);
    EXPECT_TRUE(chart()->series().isEmpty());
    page->updateActions();
    EXPECT_FALSE(action(u"DrawsStatCalc"_s)->isEnabled());
}

TEST_F(StatisticsPage, SelectionFollowsItsValuesWhenSorted)
{
    load(handMadeDraws());
    start();
    const int a = rowOf(u"14"_s);
    const int b = rowOf(u"41"_s);
    auto *sel = table()->selectionModel();
    sel->select(model()->index(a, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    sel->select(model()->index(b, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table()->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
    EXPECT_EQ(cell(0, 0), u"45"); // values as numbers
    std::vector<int> keys;
    for (const TStatValueRec &v : page->selectedValues())
        keys.push_back(v.Keys.word(1));
    EXPECT_EQ(keys, (std::vector<int>{41, 14}));
}

TEST_F(StatisticsPage, PrefetchAndTotalLineToggles)
{
    load(handMadeDraws());
    // The all-combinations distribution of EVEN: C(22, k) * C(23, 6 - k).
    int asked = 0;
    page->setPrefetchSource([&](const TStatMethod &m, TStatPrefetch &p) {
        ++asked;
        if (m.MethodCode() != u"EVEN")
            return false;
        const int32_t counts[] = {100947, 740278, 2045505, 2727340, 1850695, 605682, 74613};
        for (uint16_t k = 0; k <= 6; ++k)
            p.records.push_back(TPrefetchRec{{k, 0, 0, 0}, counts[k]});
        p.minCount = 74613;
        p.maxCount = 2727340;
        return true;
    });
    start();
    pick(u"EVEN"_s);
    EXPECT_EQ(asked, 0); // off by default
    EXPECT_EQ(cell(rowOf(u"3:3"_s), 3), u"-");

    std::vector<bool> toggled;
    QObject::connect(page.get(), &TStatisticsPage::prefetchsToggled, page.get(), [&](bool on) { toggled.push_back(on); });
    const int computed = page->computations();
    action(u"DrawsStatePrefetchsEnabled"_s)->trigger();
    EXPECT_TRUE(options.prefetchsEnabled);
    EXPECT_EQ(toggled, std::vector<bool>{true});
    EXPECT_EQ(page->computations(), computed + 1);
    for (int c = 3; c <= 5; ++c) {
        EXPECT_FALSE(table()->isColumnHidden(c));
        EXPECT_EQ(table()->columnWidth(c), 80);
    }
    EXPECT_TRUE(action(u"DrawsStatShowTotalLine"_s)->isEnabled());
    // Sample of all ten draws: 3:3 six times, norm 6.
    EXPECT_EQ(rowText(rowOf(u"3:3"_s)), u"3:3;6;60.00000;6;0;0.00000;3;75.00;3.00;108;1;1.6667;2;110;126;125;-;-;-;-");
    // The total line is on by default: two series, the full set in red.
    ASSERT_EQ(chart()->series().size(), 2);
    auto *total = qobject_cast<QLineSeries *>(chart()->series().front());
    EXPECT_EQ(total->name(), u"Все возможные комбинации");
    EXPECT_EQ(total->pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(total->count(), 7);

    action(u"DrawsStatShowTotalLine"_s)->trigger();
    EXPECT_FALSE(options.showTotalLine);
    EXPECT_EQ(page->computations(), computed + 2);
    ASSERT_EQ(chart()->series().size(), 1);
    EXPECT_EQ(chart()->series().front()->name(), u"Фактические данные");

    // A method without a distribution shows dashes in the norm columns.
    pick(u"NUMS"_s);
    EXPECT_EQ(cell(0, 3), u"-");

    action(u"DrawsStatePrefetchsEnabled"_s)->trigger();
    EXPECT_FALSE(options.prefetchsEnabled);
    EXPECT_TRUE(table()->isColumnHidden(4));
    EXPECT_FALSE(action(u"DrawsStatShowTotalLine"_s)->isEnabled());
}
