#include "common/ExcelWriter.h"
#include "common/widgets/DialogSTemplate.h"
#include "common/widgets/ListView.h"
#include "common/widgets/StringGrid.h"
#include "tests/support/StakesTestData.h"
#include "tests/support/DialogPlayerScope.h"
#include "tests/support/RecordingProcesses.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempDataFolder.h"
#include "ui/draws/DrawsCsvActions.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/window/FormMain.h"
#include "ui/stakes/StakesFeature.h"
#include "ui/stakes/StakesPage.h"
#include "ui/stakes/TablesPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/stakes/StakeTables.h"
#include "app/stakes/StakesFile.h"
#include "app/stakes/StakesGridText.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Draws 4090, 4092, ..., 4100 (the game numbers its draws in steps of two), with dates.
TDrawsArray archiveDraws()
{
    TDrawsArray draws;
    for (int i = 0; i < 6; ++i) {
        TDrawRec d;
        d.number = 4090 + 2 * i;
        d.main = {static_cast<uint8_t>(3 + i), 11, 17, 25, 30, 41};
        d.extra = {8, 44};
        d.setDateText(u"%1 Dec 2014"_s.arg(1 + 4 * i));
        draws.push_back(d);
    }
    return draws;
}

TStakeRec manualStake(int draw, std::array<uint8_t, 6> numbers)
{
    TStakeRec r;
    r.kind = STAKE_MANUAL;
    r.drawNumber = draw;
    r.numbers.count = 6;
    std::copy(numbers.begin(), numbers.end(), r.numbers.numbers.begin());
    r.matches.count = -1;
    r.profit = -100000;
    r.setComment(u"Ставка \"вручную\""_s);
    return r;
}

class Window : public ::testing::Test {
protected:
    void start(const std::vector<TStakeRec> &stakes = {})
    {
        folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n");
        folder.write(u"Vendra.ldr"_s, SerializeDraws(archiveDraws()));
        if (!stakes.empty())
            folder.write(u"Vendra.lsk"_s, StakesFileBytes(stakes));
        window = std::make_unique<TFormMain>(TStartSwitches{});
        window->FormCreate();
        window->tmrInitTimer();
        feature = window->findChild<TStakesFeature *>(u"StakesFeature"_s);
        window->resize(1300, 760);
    }
    QAction *action(const QString &name) const { return window->findChild<QAction *>(name); }
    void updateActions()
    {
        feature->stakesPage()->updateActions();
        window->findChild<TDrawsCsvActions *>()->updateActions();
    }
    QString cell(int col, int row) const { return feature->stakesPage()->grid()->getCellText(col, row); }
    // Whether the action is in the menu of that name (or one of its submenus).
    bool inMenu(const QString &menuName, QAction *a) const
    {
        return inMenu(window->findMenu(menuName), a);
    }
    static bool inMenu(const QMenu *menu, QAction *a)
    {
        if (!menu)
            return false;
        for (QAction *item : menu->actions())
            if (item == a || (item->menu() && inMenu(item->menu(), a)))
                return true;
        return false;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<TFormMain> window;
    TStakesFeature *feature = nullptr;
};

// The cells of the first sheet of an .xlsx file: (row, column) from 1 → text.
std::map<std::pair<int, int>, QString> ReadSheet(const QString &file)
{
    auto unzipped = [&file](const QString &member) {
        QProcess unzip;
        unzip.start(u"unzip"_s, {u"-p"_s, file, member});
        unzip.waitForFinished();
        return unzip.readAllStandardOutput();
    };
    QStringList shared;
    QXmlStreamReader strings(unzipped(u"xl/sharedStrings.xml"_s));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"si")
            shared << strings.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    std::map<std::pair<int, int>, QString> cells;
    QXmlStreamReader sheet(unzipped(u"xl/worksheets/sheet1.xml"_s));
    QString ref;
    QString type;
    while (!sheet.atEnd()) {
        sheet.readNext();
        if (!sheet.isStartElement())
            continue;
        if (sheet.name() == u"c") {
            ref = sheet.attributes().value(u"r"_s).toString();
            type = sheet.attributes().value(u"t"_s).toString();
        } else if (sheet.name() == u"v" || sheet.name() == u"t") {
            const QString value = sheet.readElementText();
            int column = 0;
            int i = 0;
            for (; i < ref.size() && ref[i].isLetter(); ++i)
                column = column * 26 + (ref[i].unicode() - u'A' + 1);
            const int row = ref.mid(i).toInt();
            cells[{row, column}] = type == u"s" ? shared.value(value.toInt()) : value;
        }
    }
    return cells;
}

} // namespace

TEST_F(Window, ImportedDrawChecksThePendingStakeOnTheCheckCommand)
{
    start();
    TStakesPage *stakes = feature->stakesPage();
    updateActions();
    QAction *check = action(u"StakesCheckManual"_s);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), u"Проверить ставки"_s);
    EXPECT_FALSE(check->isEnabled()) << "no stakes";
    EXPECT_TRUE(inMenu(u"menuStakes"_s, check));
    EXPECT_TRUE(stakes->grid()->actions().contains(check));

    // A stake for draw 4102, the next one: nothing to check it against yet.
    stakes->addStake(manualStake(4102, {3, 9, 11, 17, 20, 44}), 1);
    ASSERT_EQ(window->stakes().count(), 1);
    EXPECT_TRUE(cell(4, 1).isEmpty());
    EXPECT_EQ(cell(7, 1), u"-10.00"_s);

    // Draw 4102 comes from a CSV file; importing checks nothing by itself.
    const QString csv = folder.file(u"new.csv"_s);
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("4102;\"29 Dec 2014\";3;11;17;25;30;41;8;44\r\n");
    f.close();
    SetDrawsCsvFileDialog([&](QWidget *, bool) { return csv; });
    action(u"DrawsImport"_s)->trigger();
    SetDrawsCsvFileDialog({});
    ASSERT_EQ(window->archive().count(), 7);
    EXPECT_EQ(window->stakes().readRecord(TStakeOrigin::Begin, 0).checked, 0);

    stakes->grid()->setCurrentCell(0, 1);
    updateActions();
    ASSERT_TRUE(check->isEnabled());
    check->trigger();
    const TStakeRec rec = window->stakes().readRecord(TStakeOrigin::Begin, 0);
    EXPECT_EQ(rec.checked, 1);
    EXPECT_EQ(rec.matchCount(), 3); // 3, 11, 17; the supplementary 44 plays no part
    EXPECT_EQ(cell(4, 1), u"3;11;17;25;30;41"_s);
    EXPECT_EQ(cell(6, 1), u"3 11 17"_s);
    EXPECT_EQ(feature->ratings().count(), 1);
    EXPECT_EQ(stakes->grid()->row(), 1) << "the list stays where it was";
    EXPECT_EQ(window->statusPanel(4)->text(), u"Ставок: 1"_s);
    EXPECT_EQ(boxes.count(), 0);

    window->mainPages()->setCurrentWidget(stakes);
    window->show();
    SaveScreenshot(*window, u"stakes-checked-after-import"_s);
}

TEST_F(Window, AStakeThatCanNeverBeCheckedSaysSo)
{
    // A repeated number and a number beyond 45, both for a draw of the archive, are no stakes the program
    // writes: the file is kept in its copy and they are left out at start, named; the sound stake stays.
    start({manualStake(4100, {3, 3, 11, 17, 25, 30}), manualStake(4100, {3, 11, 17, 25, 30, 46}),
           manualStake(4100, {8, 11, 17, 25, 30, 41})});
    ASSERT_GE(boxes.count(), 1);
    EXPECT_TRUE(boxes.boxes().front().text.contains(u"запись 1: числа ставки на тираж № 4100\rзапись 2: "_s));
    EXPECT_TRUE(folder.exists(u"Vendra.lsk.bak"_s));
    window->checkStakes();
    EXPECT_EQ(window->stakes().count(), 1);
    EXPECT_EQ(cell(4, 1), u"8;11;17;25;30;41"_s);
    EXPECT_EQ(cell(5, 1), u"6"_s);
    // A stake waiting for its draw is not marked.
    EXPECT_FALSE(IsUncheckableStake(manualStake(4102, {1, 2, 3, 4, 5, 6})));
    EXPECT_FALSE(IsUncheckableStake(EmptyStakeRecord()));
    window->mainPages()->setCurrentWidget(feature->stakesPage());
    SaveScreenshot(*window, u"stakes-uncheckable"_s);
}

TEST_F(Window, DrawsListExportedToASpreadsheetEqualsTheArchive)
{
    start();
    QTemporaryDir out;
    XlsxExcelBackend backend;
    backend.setFolder(out.path());
    SetExcelBackend(&backend);
    RecordingUrlOpener opener;
    updateActions();
    QAction *drawsExport = action(u"DrawsXlsExport"_s);
    ASSERT_NE(drawsExport, nullptr);
    EXPECT_EQ(drawsExport->text(), u"Экспорт тиражей в Microsoft Excel"_s);
    EXPECT_TRUE(inMenu(u"menuDraws"_s, drawsExport));
    EXPECT_TRUE(window->drawsPanel()->list()->actions().contains(drawsExport));
    ASSERT_TRUE(drawsExport->isEnabled());

    QString title;
    DialogPlayerScope player([&](TDialogSTemplate &d) {
        title = d.findChild<QLineEdit *>(u"edTitle"_s) ? d.findChild<QLineEdit *>(u"edTitle"_s)->text() : QString();
        d.pressOk();
        return d.result();
    });
    drawsExport->trigger();
    SetExcelBackend(nullptr);
    EXPECT_EQ(title, u"Архив тиражей"_s);
    ASSERT_FALSE(backend.lastFile().isEmpty());
    ASSERT_EQ(opener.addresses().size(), 1u);

    // The title in row 1, the time in row 2, the headings in row 4 and the draws from row 5, newest first.
    const auto cells = ReadSheet(backend.lastFile());
    EXPECT_EQ(cells.at({1, 1}), u"Архив тиражей"_s);
    const QStringList headings{u"Тираж"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s,
                               u"E1"_s,    u"E2"_s, u"S"_s, u"Дата тиража"_s};
    for (int c = 0; c < headings.size(); ++c)
        EXPECT_EQ(cells.at({4, c + 1}), headings[c]);
    const TDrawsArray draws = archiveDraws();
    for (size_t i = 0; i < draws.size(); ++i) {
        const TDrawRec &d = draws[draws.size() - 1 - i];
        const int row = 5 + static_cast<int>(i);
        EXPECT_EQ(cells.at({row, 1}), QString::number(d.number));
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(cells.at({row, 2 + k}), QString::number(d.main[size_t(k)]));
        EXPECT_EQ(cells.at({row, 8}), QString::number(d.extra[0]));
        EXPECT_EQ(cells.at({row, 9}), QString::number(d.extra[1]));
        EXPECT_EQ(cells.at({row, 10}), QString::number(d.mainSum()));
        EXPECT_EQ(cells.at({row, 11}), d.dateText());
    }
    EXPECT_EQ(cells.count({5 + int(draws.size()), 1}), 0u);
}

TEST_F(Window, CombinationsExportedFromTheirMenu)
{
    start();
    QAction *combsExport = action(u"CombsXlsExport"_s);
    ASSERT_NE(combsExport, nullptr);
    EXPECT_EQ(combsExport->text(), u"Экспорт комбинаций в Microsoft Excel"_s);
    EXPECT_TRUE(inMenu(u"menuCombs"_s, combsExport));
    updateActions();
    ASSERT_TRUE(combsExport->isEnabled());

    // Three selected rows of the full list go out in the selected-rows mode.
    TQSortListView *list = window->combsPage()->combsList();
    for (int row : {0, 1, 8145059})
        list->selectionModel()->select(list->listModel()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTemporaryDir out;
    XlsxExcelBackend backend;
    backend.setFolder(out.path());
    SetExcelBackend(&backend);
    RecordingUrlOpener opener;
    DialogPlayerScope player([&](TDialogSTemplate &d) {
        d.pressOk();
        return d.result();
    });
    combsExport->trigger();
    SetExcelBackend(nullptr);
    ASSERT_FALSE(backend.lastFile().isEmpty());
    const auto cells = ReadSheet(backend.lastFile());
    EXPECT_EQ(cells.at({1, 1}), u"Комбинации"_s);
    EXPECT_EQ(cells.at({7, 1}), u"8145060"_s);
    EXPECT_EQ(cells.at({7, 2}), u"40"_s);
    EXPECT_EQ(cells.count({8, 1}), 0u);
}

TEST_F(Window, TablesTabAndItsCommandsOnScreen)
{
    TTableRec a;
    a.name = u"Каждый тираж +1"_s;
    a.start = a.current = TComb{{1, 7, 13, 19, 25, 31}};
    a.step = 1;
    TTableRec b;
    b.name = u"От прошлого тиража -2"_s;
    b.mode = tmLatestDraw;
    b.current = TComb{{2, 9, 15, 23, 28, 39}};
    b.step = -2;
    b.stakesMade = 4;
    folder.write(u"Vendra.ltb"_s, SerializeTables({a, b}));
    start();
    TTablesPage *page = feature->tablesPage();
    ASSERT_EQ(page->tables().count(), 2);
    window->mainPages()->setCurrentWidget(page);
    page->tablesList()->setSelectedRow(0);
    window->show();
    SaveScreenshot(*window, u"tables-page"_s);
    EXPECT_TRUE(inMenu(u"menuStakes"_s, page->tabAction()));
    EXPECT_TRUE(inMenu(u"menuStakes"_s, page->stakeTestAction()));
}
