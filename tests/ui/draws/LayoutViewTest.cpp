#include "common/widgets/ListView.h"
#include "common/widgets/StringGrid.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/window/FormMain.h"
#include "ui/draws/LayoutFeature.h"
#include "ui/draws/LayoutPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/views/LayoutModel.h"
#include "app/settings/MainOptions.h"

#include <QApplication>
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSpinBox>
#include <QTabWidget>
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

// Worked by hand. Walking back from 103: 1, 3, 7 and 11..13 last seen in 103; 2 and 8..10 in 102;
// 4..6 in 101. Over the three draws 1 was drawn 3 times; 2, 3 and 7 twice; the rest once.
TDrawsArray handArchive()
{
    return {draw(101, {1, 2, 3, 4, 5, 6}), draw(102, {1, 2, 7, 8, 9, 10}), draw(103, {1, 3, 7, 11, 12, 13}),
            draw(104, {2, 14, 15, 16, 17, 18})};
}

std::vector<std::vector<QString>> rows(std::initializer_list<std::vector<QString>> r)
{
    return r;
}

} // namespace

TEST(LayoutScheme, SmallArchiveWorkedByHand)
{
    const TDrawsArray draws = handArchive();
    // Offset 1 hides draw 104: the window is 101..103 and the numbers of 104 are marked.
    const TMarkedNumbers marked = LayoutMarkedNumbers(draws, 1);
    EXPECT_EQ(marked.count(), 6u);
    EXPECT_TRUE(marked.test(2) && marked.test(14) && marked.test(18));
    const TLayoutScheme scheme = BuildLayoutScheme(draws, 1, 3, marked);
    EXPECT_EQ(scheme.cells, rows({{u""_s, u"103"_s, u"102"_s, u"101"_s},
                                  {u"3"_s, u"1"_s, u""_s, u""_s},
                                  {u"2"_s, u"3, 7"_s, u"[2]"_s, u""_s},
                                  {u"1"_s, u"11, 12, 13"_s, u"8, 9, 10"_s, u"4, 5, 6"_s}}));
    // The number drawn in every draw of the window: row of count N, column of the newest draw.
    EXPECT_EQ((scheme.records.front()), (TShemaRec{1, 3, 103}));
    EXPECT_EQ(scheme.records.size(), 13u); // 14..45 appear nowhere

    // Offset 0: no mark anywhere; a window longer than the archive takes all draws.
    const TLayoutScheme all = BuildLayoutScheme(draws, 0, 100, LayoutMarkedNumbers(draws, 0));
    EXPECT_TRUE(LayoutMarkedNumbers(draws, 0).none());
    EXPECT_TRUE(LayoutMarkedNumbers(draws, 4).none());
    EXPECT_EQ(all.cell(1, 0), u"104");
    EXPECT_EQ(all.cell(0, 1), u"3");
    EXPECT_EQ(all.cell(1, 1), u"2"); // 2 drawn in 101, 102 and 104
    for (const auto &row : all.cells)
        for (const QString &text : row)
            EXPECT_FALSE(text.contains(u'['));

    // Every draw hidden: an empty scheme that still has one data cell.
    const TLayoutScheme none = BuildLayoutScheme(draws, 7, 3, {});
    EXPECT_EQ(none.colCount(), 2);
    EXPECT_EQ(none.rowCount(), 2);
    EXPECT_TRUE(none.records.empty());
    EXPECT_EQ(BuildLayoutScheme({}, 0, 100, {}).rowCount(), 2);
}

TEST(LayoutScheme, ComparisonListCountsNumbersInFirstMetOrder)
{
    const TDrawsArray draws = handArchive();
    const TLayoutList list = BuildLayoutList(draws, 1, 3);
    EXPECT_EQ(list.caption, u"101 - 103");
    EXPECT_EQ(list.rows, (std::vector<TLayoutListRow>{
                             {3, u"1"_s}, {2, u"3, 7, 2"_s}, {1, u"11, 12, 13, 8, 9, 10, 4, 5, 6"_s}}));
    const TLayoutList newest = BuildLayoutList(draws, 0, 1);
    EXPECT_EQ(newest.caption, u"104 - 104");
    ASSERT_EQ(newest.rows.size(), 1u);
    EXPECT_EQ(newest.rows[0].numbers, u"2, 14, 15, 16, 17, 18");
    EXPECT_TRUE(BuildLayoutList(draws, 4, 50).rows.empty());
    EXPECT_TRUE(BuildLayoutList(draws, 4, 50).caption.isEmpty());
}

TEST(LayoutScheme, CellColours)
{
    // 255 - 155/5 = 224, 255 - 155/4 = 216.25, 100 + 155/5 = 131.
    EXPECT_EQ(LayoutCellColour(u"7"_s, 1, 1, 4, 5, true), (TRgb{224, 216, 131}));
    EXPECT_EQ(LayoutCellColour(u"7, [12]"_s, 1, 1, 4, 5, true), kLayoutMarkedColour);
    EXPECT_EQ(LayoutCellColour(u"[12]"_s, 3, 7, 99, 99, false), kLayoutMarkedColour);
    // Bands 1-5, 11-15, ..., 91-95; exactly one of column and row in a band is light red.
    EXPECT_EQ(LayoutCellColour(u"7"_s, 3, 7, 99, 99, false), kLayoutBandColour);
    EXPECT_EQ(LayoutCellColour(u"7"_s, 96, 3, 99, 99, false), kLayoutBandColour);
    EXPECT_EQ(LayoutCellColour(u""_s, 3, 3, 99, 99, false), kLayoutPlainColour);
    EXPECT_EQ(LayoutCellColour(u""_s, 7, 7, 99, 99, false), kLayoutPlainColour);
    EXPECT_EQ(LayoutCellColour(u""_s, 96, 96, 99, 99, false), kLayoutPlainColour);
    EXPECT_TRUE(LayoutInBand(95) && LayoutInBand(11) && !LayoutInBand(10) && !LayoutInBand(0));
}

TEST(LayoutView, SelectedCellsFilterTheCombinationsList)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\n");
    folder.write(u"Vendra.ldr"_s, SerializeDraws(handArchive()));
    ScriptedMessages boxes;
    TFormMain window({});
    TLayoutFeature *feature = InstallLayoutFeature(window);
    window.FormCreate();
    window.tmrInitTimer();
    TLayoutPage *page = feature->page();

    // Off screen the view computes nothing.
    EXPECT_EQ(page->scheme().rowCount(), 0);
    window.mainPages()->setCurrentWidget(page);
    window.drawsPanel()->setDrawsOffset(1);
    page->lengthEdit()->setValue(3);
    window.RefreshViews(false);
    EXPECT_EQ(page->grid()->cells(2, 2), u"[2]");
    EXPECT_EQ(page->compareList(0)->listModel()->columnCaption(1), u"101 - 103");
    EXPECT_EQ(page->compareList(0)->listModel()->cellText(0, 1), u"1");
    // On a small screen, with the designed layout, each list shows both its columns and their captions
    // whole, and each count's numbers read whole, in as many lines as they need.
    window.resize(800, 600);
    window.show();
    for (int k = 0; k < TLayoutPage::kCompareLists; ++k) {
        page->compareEdit(k)->setValue(200);
        window.RefreshViews(true);
        QApplication::processEvents();
        const TQSortListView *list = page->compareList(k);
        const std::string which = list->objectName().toStdString();
        for (int column = 0; column < 2; ++column) {
            const QString caption = list->listModel()->columnCaption(column);
            EXPECT_GE(list->columnWidth(column), HeaderCaptionWidth(list->horizontalHeader(), caption))
                << which << " " << caption.toStdString();
            EXPECT_LE(list->horizontalHeader()->sectionViewportPosition(column) + list->columnWidth(column),
                      list->viewport()->width()) << which << " " << caption.toStdString();
        }
        for (int row = 0; row < list->listModel()->rowCount(); ++row) {
            const QString numbers = list->listModel()->cellText(row, 1);
            const QRect room = list->visualRect(list->model()->index(row, 1)).adjusted(4, 0, -4, 0);
            EXPECT_LE(list->fontMetrics().boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap, numbers).height(),
                      room.height()) << numbers.toStdString();
        }
    }

    // Keep the combinations with 2, 3 or 7 (cells "3, 7" and "[2]"), then delete those with 1.
    TCombsList &combs = window.combsPage()->combs();
    ASSERT_EQ(combs.count(), 8145060);
    page->grid()->selectionModel()->select(
        QItemSelection(page->grid()->indexOfCell(1, 2), page->grid()->indexOfCell(2, 2)),
        QItemSelectionModel::ClearAndSelect);
    feature->updateActions();
    ASSERT_TRUE(feature->filterIncludeAction()->isEnabled());
    feature->filterIncludeAction()->trigger();
    // C(45,6) - C(42,6) combinations hold one of three numbers.
    EXPECT_EQ(combs.count(), 8145060 - 5245786);
    ASSERT_FALSE(combs.filterLog().empty());
    EXPECT_EQ(combs.filterLog().back().caption, u"Схема");
    EXPECT_EQ(combs.filterLog().back().values, u"3; 7; 2");

    page->grid()->selectionModel()->select(page->grid()->indexOfCell(1, 1), QItemSelectionModel::ClearAndSelect);
    feature->filterExcludeAction()->trigger();
    // Without 1: C(44,6) - C(41,6).
    EXPECT_EQ(combs.count(), 7059052 - 4496388);

    // An empty cell holds no number: the message, and the last step can still be undone.
    page->grid()->selectionModel()->select(page->grid()->indexOfCell(2, 1), QItemSelectionModel::ClearAndSelect);
    feature->filterIncludeAction()->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"В выделенном диапазоне нет значений для фильтра!");
    combs.RestoreUndo(false);
    EXPECT_EQ(combs.count(), 8145060 - 5245786);
}
