#include "common/FormStore.h"
#include "common/widgets/ListView.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/StatList.h"
#include "tests/support/StakesTestData.h"
#include "tests/support/DialogPlayerScope.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempDataFolder.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/stakes/RatingsPage.h"
#include "ui/window/FormMain.h"
#include "ui/charts/ChartWindow.h"
#include "ui/stakes/StakeDialog.h"
#include "ui/stakes/StakesCharts.h"
#include "ui/stakes/StakesFeature.h"
#include "ui/stakes/StakesPage.h"
#include "ui/stakes/TableDialog.h"
#include "ui/stakes/TablesPage.h"
#include "ui/scenarios/TestCountDialog.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/stakes/StakesFile.h"

#include <QAction>
#include <QLineEdit>
#include <QLineSeries>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class TablesPage : public ::testing::Test {
protected:
    void start(int draws, const QByteArray &tablesFile = {}, bool tabShown = true)
    {
        QByteArray frm = "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n";
        if (!tabShown)
            frm += "TabTables=0\r\n";
        folder.write(u"Vendra.frm"_s, frm);
        if (draws > 0)
            folder.write(u"Vendra.ldr"_s, SerializeDraws(DrawsInStepsOfTwo(draws)));
        if (!tablesFile.isEmpty())
            folder.write(u"Vendra.ltb"_s, tablesFile);
        window = std::make_unique<TFormMain>(TStartSwitches{});
        window->FormCreate();
        window->tmrInitTimer();
        feature = window->findChild<TStakesFeature *>(u"StakesFeature"_s);
        ASSERT_NE(feature, nullptr);
        page = feature->tablesPage();
        page->updateActions();
    }
    void TearDown() override { window.reset(); }

    void selectTables(std::initializer_list<int> rows)
    {
        TQSortListView *list = page->tablesList();
        list->clearSelection();
        for (int row : rows)
            list->selectionModel()->select(list->listModel()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        page->updateActions();
    }
    void selectCombs(std::initializer_list<int> rows)
    {
        TQSortListView *list = window->combsPage()->combsList();
        list->clearSelection();
        for (int row : rows)
            list->selectionModel()->select(list->listModel()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<TStakeRec> stakes()
    {
        std::vector<TStakeRec> records;
        window->stakes().forEachRecord(0, [&](int64_t, const TStakeRec &r) {
            records.push_back(r);
            return true;
        });
        return records;
    }
    static TTableRec table(const QString &name, std::initializer_list<int> numbers, int step)
    {
        TTableRec t;
        t.name = name;
        size_t i = 0;
        for (int n : numbers)
            t.start[i++] = static_cast<uint8_t>(n);
        t.current = t.start;
        t.step = step;
        return t;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<TFormMain> window;
    TStakesFeature *feature = nullptr;
    TTablesPage *page = nullptr;
};

} // namespace

TEST_F(TablesPage, TabShowsTheFileAndHidingItForgetsTheTables)
{
    start(3, SerializeTables({table(u"A"_s, {1, 2, 3, 4, 5, 6}, 1)}));
    QTabWidget *pages = window->mainPages();
    const int at = pages->indexOf(page);
    ASSERT_GE(at, 0);
    EXPECT_EQ(pages->tabText(at), u"Регуляры"_s);
    EXPECT_EQ(at, pages->indexOf(feature->ratingsPage()) + 1);
    EXPECT_EQ(page->tables().count(), 1);
    EXPECT_EQ(page->tablesList()->listModel()->cellText(0, 0), u"A"_s);
    EXPECT_EQ(page->tablesList()->listModel()->cellText(0, 1), u"1;2;3;4;5;6"_s);
    EXPECT_EQ(page->tablesList()->listModel()->cellText(0, 4), u"0"_s);
    EXPECT_TRUE(page->tabAction()->isChecked());
    EXPECT_TRUE(page->addAction()->isEnabled());
    EXPECT_FALSE(page->delAction()->isEnabled()) << "no table selected";

    page->tabAction()->trigger();
    EXPECT_FALSE(pages->isTabVisible(at));
    EXPECT_EQ(page->tables().count(), 0);
    EXPECT_FALSE(ReadFormBool(MainFormSection(), u"TabTables"_s, true));
    page->updateActions();
    EXPECT_FALSE(page->addAction()->isEnabled());
    EXPECT_TRUE(page->tabAction()->isEnabled());
    EXPECT_EQ(folder.read(u"Vendra.ltb"_s).size(), 280) << "hiding writes nothing";

    page->tabAction()->trigger();
    EXPECT_TRUE(pages->isTabVisible(at));
    EXPECT_EQ(pages->currentWidget(), page);
    EXPECT_EQ(page->tables().count(), 1);
    EXPECT_TRUE(ReadFormBool(MainFormSection(), u"TabTables"_s, false));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(TablesPage, HiddenAtStartTheFileIsNotRead)
{
    start(3, SerializeTables({table(u"A"_s, {1, 2, 3, 4, 5, 6}, 1)}), false);
    EXPECT_FALSE(window->mainPages()->isTabVisible(window->mainPages()->indexOf(page)));
    EXPECT_EQ(page->tables().count(), 0);
    EXPECT_FALSE(page->tabAction()->isChecked());
}

TEST_F(TablesPage, AddingFromSelectedCombinationsNamesEachByItsRow)
{
    start(3);
    selectCombs({0, 4, 9});
    int shown = 0;
    DialogPlayerScope player([&](TDialogSTemplate &d) {
        auto &dialog = dynamic_cast<TFormTable &>(d);
        ++shown;
        EXPECT_EQ(dialog.windowTitle(), u"Добавление регулярной ставки"_s);
        EXPECT_EQ(dialog.commentEdit()->text(), u"Регулярная ставка"_s);
        EXPECT_EQ(dialog.startEdit()->text(), u"{...Выделенные комбинации...}"_s);
        EXPECT_FALSE(dialog.startEdit()->isEnabled());
        EXPECT_TRUE(dialog.fixedStartButton()->isChecked());
        EXPECT_EQ(dialog.stepEdit()->value(), 1);
        EXPECT_EQ(dialog.stepEdit()->minimum(), -45);
        EXPECT_EQ(dialog.stepEdit()->maximum(), 45);
        dialog.commentEdit()->setText(u"A"_s);
        dialog.stepEdit()->setValue(3);
        SaveScreenshot(dialog, u"table-dialog-several"_s);
        dialog.pressOk();
        return dialog.result();
    });
    page->addAction()->trigger();
    ASSERT_EQ(shown, 1);
    const TCombsList &combs = window->combsPage()->combs();
    ASSERT_EQ(page->tables().count(), 3);
    const std::array<int, 3> rows{0, 4, 9};
    for (size_t i = 0; i < 3; ++i) {
        const TTableRec &t = page->tables().items()[i];
        EXPECT_EQ(t.name, u"A (%1)"_s.arg(rows[i] + 1));
        EXPECT_EQ(t.start, combs.at(rows[i]));
        EXPECT_EQ(t.current, t.start);
        EXPECT_EQ(t.step, 3);
        EXPECT_EQ(t.stakesMade, 0);
    }
    EXPECT_EQ(ParseTables(folder.read(u"Vendra.ltb"_s)), page->tables().items());

    // One combination selected: its numbers stand in the start edit; a taken name is refused and the
    // dialog stays open until another is given.
    selectCombs({2});
    DialogPlayerScope one([&](TDialogSTemplate &d) {
        auto &dialog = dynamic_cast<TFormTable &>(d);
        EXPECT_TRUE(dialog.startEdit()->isEnabled());
        EXPECT_EQ(dialog.startEdit()->text(), CombToText(combs.at(2)));
        dialog.commentEdit()->setText(u"A (5)"_s);
        EXPECT_FALSE(dialog.pressOk());
        EXPECT_EQ(boxes.last().text, u"Запись с таким комментарией уже присутствует в списке!\rВыберите другой комментарий."_s);
        dialog.startEdit()->setText(u"1;2;3;4;5;5"_s);
        dialog.commentEdit()->setText(u"A"_s);
        EXPECT_FALSE(dialog.pressOk());
        EXPECT_EQ(boxes.last().text, u"Введена некорректная комбинация!"_s);
        dialog.startEdit()->setText(u"45, 1, 20, 30, 40, 10"_s);
        SaveScreenshot(dialog, u"table-dialog-one"_s);
        // The latest-draw mode takes no start.
        dialog.latestDrawButton()->setChecked(true);
        EXPECT_FALSE(dialog.startEdit()->isEnabled());
        dialog.fixedStartButton()->setChecked(true);
        dialog.pressOk();
        return dialog.result();
    });
    page->addAction()->trigger();
    ASSERT_EQ(page->tables().count(), 4);
    EXPECT_EQ(page->tables().items()[3].name, u"A"_s);
    EXPECT_EQ(TableCombText(page->tables().items()[3].current), u"1;10;20;30;40;45"_s);

    // Deleting asks first, then removes the selected tables.
    selectTables({0, 3});
    boxes.answer(IDYES);
    page->delAction()->trigger();
    EXPECT_EQ(page->tables().names(), (QStringList{u"A (5)"_s, u"A (10)"_s}));
    EXPECT_EQ(folder.read(u"Vendra.ltb"_s).size(), 560);
}

TEST_F(TablesPage, WithNoCombinationSelectedTheStartIsTyped)
{
    start(3);
    selectCombs({});
    DialogPlayerScope player([&](TDialogSTemplate &d) {
        auto &dialog = dynamic_cast<TFormTable &>(d);
        EXPECT_TRUE(dialog.startEdit()->isEnabled());
        EXPECT_TRUE(dialog.startEdit()->text().isEmpty());
        EXPECT_FALSE(dialog.pressOk()) << "nothing typed";
        dialog.startEdit()->setText(u"6;5;4;3;2;1"_s);
        dialog.pressOk();
        return dialog.result();
    });
    page->addAction()->trigger();
    ASSERT_EQ(page->tables().count(), 1);
    EXPECT_EQ(TableCombText(page->tables().items()[0].start), u"1;2;3;4;5;6"_s);
}

TEST_F(TablesPage, StakeFromATableAdvancesItOnlyWhenAccepted)
{
    start(8, SerializeTables({table(u"R"_s, {1, 2, 3, 4, 5, 6}, 2)}));
    selectTables({0});
    ASSERT_TRUE(page->stakeAddAction()->isEnabled());

    TStakeRec seen;
    DialogPlayerScope cancel([&](TDialogSTemplate &d) {
        auto &dialog = dynamic_cast<TFormStake &>(d);
        int draws = 0;
        dialog.readBack(seen, draws);
        EXPECT_EQ(dialog.drawsEdit()->value(), 1);
        dialog.pressCancel();
        return dialog.result();
    });
    page->stakeAddAction()->trigger();
    EXPECT_EQ(seen.drawNumber, 116); // newest 114
    EXPECT_EQ(NumSetToText(seen.numbers, u";"), u"3;4;5;6;7;8"_s);
    EXPECT_EQ(page->tables().items()[0].stakesMade, 0);
    EXPECT_EQ(TableCombText(page->tables().items()[0].current), u"1;2;3;4;5;6"_s);
    EXPECT_EQ(window->stakes().count(), 0);

    // The offset hides the two newest draws: the stake is for 112, which is in the archive, and so is
    // checked at once (draw 112 holds 7..12).
    window->drawsPanel()->setDrawsOffset(2);
    DialogPlayerScope accept([&](TDialogSTemplate &d) {
        d.pressOk();
        return d.result();
    });
    page->stakeAddAction()->trigger();
    ASSERT_EQ(window->stakes().count(), 1);
    const TStakeRec stake = stakes()[0];
    EXPECT_EQ(stake.kind, STAKE_REGULAR);
    EXPECT_EQ(stake.drawNumber, 112);
    EXPECT_EQ(stake.comment(), u"R"_s);
    EXPECT_EQ(NumSetToText(stake.numbers, u";"), u"3;4;5;6;7;8"_s);
    EXPECT_EQ(stake.checked, 1);
    EXPECT_EQ(stake.matchCount(), 2);
    EXPECT_EQ(page->tables().items()[0].stakesMade, 1);
    EXPECT_EQ(ParseTables(folder.read(u"Vendra.ltb"_s)).at(0).current, page->tables().items()[0].current);
}

TEST_F(TablesPage, LatestDrawTableWithoutDrawsIsRefused)
{
    TTableRec latest;
    latest.name = u"L"_s;
    latest.mode = tmLatestDraw;
    latest.step = 1;
    start(0, SerializeTables({latest}));
    selectTables({0});
    DialogPlayerScope never([&](TDialogSTemplate &d) {
        ADD_FAILURE() << "no stake dialog for a table without its draw";
        d.pressCancel();
        return d.result();
    });
    page->stakeAddAction()->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Для регулярной ставки \"L\" в архиве нет нужного тиража: ставка не сделана!"_s);
    EXPECT_EQ(window->stakes().count(), 0);
    EXPECT_EQ(page->tables().items()[0].stakesMade, 0);
    EXPECT_FALSE(page->stakeTestAction()->isEnabled()) << "no draws to test over";
}

TEST_F(TablesPage, TestOfFiveDrawsWithTwoTables)
{
    start(8, SerializeTables({table(u"A"_s, {1, 2, 3, 4, 5, 6}, 1), table(u"X"_s, {1, 2, 3, 4, 5, 6}, 1),
                              table(u"B"_s, {20, 21, 22, 23, 24, 25}, -5)}));
    window->drawsPanel()->setDrawsOffset(1);
    selectTables({0, 2});
    ASSERT_TRUE(page->stakeTestAction()->isEnabled());
    int maximum = 0;
    DialogPlayerScope player([&](TDialogSTemplate &d) {
        auto &dialog = dynamic_cast<TFormTestCnt &>(d);
        maximum = dialog.countEdit()->maximum();
        EXPECT_EQ(dialog.countEdit()->value(), 7) << "10 held to the maximum";
        dialog.countEdit()->setValue(5);
        dialog.pressOk();
        return dialog.result();
    });
    page->stakeTestAction()->trigger();
    EXPECT_EQ(maximum, 7);
    EXPECT_EQ(boxes.count(), 0);

    const std::vector<TStakeRec> all = stakes();
    ASSERT_EQ(all.size(), 10u);
    const TDrawsArray &draws = window->archive().draws();
    for (int i = 0; i < 10; ++i) {
        const TStakeRec &s = all[static_cast<size_t>(i)];
        EXPECT_EQ(s.drawNumber, NextDrawNumber(draws, 5 - i / 2)) << i;
        EXPECT_EQ(s.comment(), i % 2 == 0 ? u"A"_s : u"B"_s);
        EXPECT_EQ(s.kind, STAKE_REGULAR);
        // Every draw of the test is in the archive: the stakes are checked.
        EXPECT_EQ(s.checked, 1) << i;
    }
    EXPECT_EQ(window->drawsPanel()->drawsOffset(), 1) << "the offset is set back";
    EXPECT_EQ(page->tables().items()[0].stakesMade, 5);
    EXPECT_EQ(page->tables().items()[1].stakesMade, 0);
    EXPECT_EQ(page->tables().items()[2].stakesMade, 5);
    EXPECT_EQ(TableCombText(page->tables().items()[2].current), u"40;41;42;43;44;45"_s);
    EXPECT_EQ(ParseTables(folder.read(u"Vendra.ltb"_s)), page->tables().items());
    EXPECT_EQ(feature->ratings().count(), 2);
}

TEST_F(TablesPage, ChartsAfterTwoTestsReadAlongTheDraws)
{
    start(12, SerializeTables({table(u"A"_s, {1, 2, 3, 4, 5, 6}, 1), table(u"B"_s, {20, 21, 22, 23, 24, 25}, -5)}));
    selectTables({0, 1});
    // Stakes that cost and win something, so that the lines go up and down.
    struct ConfigRestore {
        TConfigData saved = StatList().Config;
        ~ConfigRestore() { StatList().Config = saved; }
    } restore;
    StatList().Config.cost = 50000;
    StatList().Config.profits = {{2, 100000}, {3, 150000}, {4, 1000000}};
    // A test over 3 draws, then one over 5: the file holds the newest draws before the older ones.
    for (int count : {3, 5}) {
        DialogPlayerScope player([count](TDialogSTemplate &d) {
            auto &dialog = dynamic_cast<TFormTestCnt &>(d);
            dialog.countEdit()->setValue(count);
            dialog.pressOk();
            return dialog.result();
        });
        page->stakeTestAction()->trigger();
    }
    ASSERT_EQ(stakes().size(), 16u);
    ASSERT_GT(stakes()[0].drawNumber, stakes()[6].drawNumber);
    TQSortListView *ratings = feature->ratingsPage()->ratingsList();
    ratings->selectAll();
    TStakesCharts *charts = feature->charts();
    charts->updateActions();

    int shown = 0;
    SetFormGraphShower([&](TFormGraph &chart) {
        ++shown;
        ASSERT_FALSE(chart.allSeries().isEmpty());
        for (const QLineSeries *series : chart.allSeries()) {
            const QList<QPointF> points = series->points();
            ASSERT_GE(points.size(), 2) << series->name().toStdString();
            for (qsizetype i = 1; i < points.size(); ++i)
                EXPECT_LE(points[i - 1].x(), points[i].x())
                    << chart.windowTitle().toStdString() << " / " << series->name().toStdString() << " point " << i;
        }
        chart.resize(900, 520);
        SaveScreenshot(chart, u"tables-test-chart-%1"_s.arg(shown));
    });
    for (QAction *chart : {charts->drawsAction(), charts->overlapAction(), charts->profitsAction()}) {
        ASSERT_TRUE(chart->isEnabled()) << chart->objectName().toStdString();
        chart->trigger();
    }
    SetFormGraphShower({});
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(boxes.count(), 0);
    window->resize(1280, 800);
    window->mainPages()->setCurrentWidget(feature->stakesPage());
    SaveScreenshot(*window, u"stakes-grid-after-tables-tests"_s);
}

TEST_F(TablesPage, TestNeedsTwoDraws)
{
    start(1, SerializeTables({table(u"A"_s, {1, 2, 3, 4, 5, 6}, 1)}));
    selectTables({0});
    EXPECT_TRUE(page->stakeAddAction()->isEnabled());
    EXPECT_FALSE(page->stakeTestAction()->isEnabled());
    DialogPlayerScope never([&](TDialogSTemplate &d) {
        ADD_FAILURE() << "no count is asked for";
        d.pressCancel();
        return d.result();
    });
    page->tablesStakeTest();
    EXPECT_EQ(window->stakes().count(), 0);
}
