#include "common/BusyCursor.h"
#include "common/widgets/ListView.h"
#include "common/widgets/ListViewRoutines.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include "common/widgets/StringGrid.h"
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

TListItem item(QStringList texts, int id = -1, bool checked = false)
{
    TListItem i;
    i.texts = std::move(texts);
    i.id = id;
    i.checked = checked;
    return i;
}

QStringList column(const TQSortListView &view, int col)
{
    QStringList out;
    for (int row = 0; row < view.listModel()->rowCount(); ++row)
        out << view.listModel()->cellText(row, col);
    return out;
}

void clickHeader(TQSortListView &view, int section)
{
    QHeaderView *header = view.horizontalHeader();
    const QPoint pos(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, pos, header->viewport()->mapToGlobal(pos), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, header->viewport()->mapToGlobal(pos), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &press);
    QApplication::sendEvent(header->viewport(), &release);
}

// A list of three columns: a name, a number and a mixed column.
struct NumbersList {
    TQSortListView view;
    NumbersList()
    {
        view.addColumn(u"Имя"_s, 80);
        view.addColumn(u"Число"_s, 60, Qt::AlignRight);
        view.addColumn(u"Смесь"_s, 60);
        TListViewModel &m = *view.listModel();
        m.addItem(item({u"c"_s, u"10"_s, u"abc"_s}, 1));
        m.addItem(item({u"a"_s, u"9"_s, u"Abd"_s}, 2));
        m.addItem(item({u"b"_s, u"100"_s, u"9"_s}, 3));
        view.resize(300, 200);
        view.show();
    }
};

} // namespace

TEST(SortListView, ColumnsAndClickSorting)
{
    NumbersList list;
    TQSortListView &view = list.view;
    EXPECT_EQ(view.listModel()->headerData(1, Qt::Horizontal).toString(), u"Число");
    EXPECT_EQ(view.columnWidth(0), 80);
    EXPECT_GE(view.columnWidth(1), 60);
    EXPECT_EQ(view.listModel()->data(view.listModel()->index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
              int(Qt::AlignRight));
    // A fresh list sorts by the caption column, ascending.
    EXPECT_EQ(view.sortColumn(), 0);
    EXPECT_EQ(view.sortDirection(), sdAscending);
    EXPECT_TRUE(view.sort());
    EXPECT_EQ(column(view, 0), (QStringList{u"a"_s, u"b"_s, u"c"_s}));

    clickHeader(view, 1);
    EXPECT_EQ(view.sortColumn(), 1);
    EXPECT_EQ(view.sortDirection(), sdAscending);
    EXPECT_EQ(column(view, 1), (QStringList{u"9"_s, u"10"_s, u"100"_s}));
    clickHeader(view, 1);
    EXPECT_EQ(view.sortDirection(), sdDescending);
    EXPECT_EQ(column(view, 1), (QStringList{u"100"_s, u"10"_s, u"9"_s}));
    clickHeader(view, 2);
    EXPECT_EQ(view.sortColumn(), 2);
    EXPECT_EQ(view.sortDirection(), sdAscending);
    EXPECT_EQ(column(view, 2), (QStringList{u"9"_s, u"abc"_s, u"Abd"_s}));
    EXPECT_TRUE(IsNotBusy());
}

TEST(SortListView, SortStateSetByCodeAndHeader)
{
    NumbersList list;
    TQSortListView &view = list.view;
    // A column that does not exist is ignored.
    EXPECT_FALSE(view.setSortColumn(5));
    EXPECT_FALSE(view.setSortColumn(-2));
    EXPECT_EQ(view.sortColumn(), 0);
    EXPECT_TRUE(view.setSortColumn(1));
    view.setSortDirection(sdDescending);
    EXPECT_EQ(column(view, 1), (QStringList{u"100"_s, u"10"_s, u"9"_s}));
    // Restoring through the header, as the saved layouts do, sorts as well.
    view.horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    EXPECT_EQ(column(view, 0), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    view.sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(view.sortColumn(), 1);
    EXPECT_EQ(column(view, 1), (QStringList{u"9"_s, u"10"_s, u"100"_s}));
    // A stale column from an old layout is harmless.
    view.horizontalHeader()->setSortIndicator(9, Qt::DescendingOrder);
    EXPECT_EQ(view.sortColumn(), -1);
    EXPECT_EQ(column(view, 1), (QStringList{u"9"_s, u"10"_s, u"100"_s}));
    // -1 leaves the order as it is.
    EXPECT_TRUE(view.setSortColumn(-1));
    view.listModel()->addItem(item({u"0"_s, u"1"_s}));
    EXPECT_TRUE(view.sort());
    EXPECT_EQ(column(view, 0).last(), u"0");
}

TEST(SortListView, SubItemTiesAndRaggedRowsAndCompareHook)
{
    TQSortListView view;
    view.addColumn(u"A"_s, 50);
    view.addColumn(u"B"_s, 50);
    TListViewModel &m = *view.listModel();
    m.addItem(item({u"3"_s, u"x"_s}));
    m.addItem(item({u"2"_s}));
    m.addItem(item({u"1"_s, u"x"_s}));
    m.addItem(item({u"4"_s, u"5"_s}));
    view.setSortColumn(1);
    // A missing sub-item is an empty text, which sorts below every number; other texts come after
    // the numbers; captions break ties.
    EXPECT_EQ(column(view, 0), (QStringList{u"2"_s, u"4"_s, u"1"_s, u"3"_s}));
    // The owner's hook has the last word: here it reverses everything.
    m.setCompare([](const TListItem &, const TListItem &, int col, int compare) {
        EXPECT_EQ(col, 1);
        return -compare;
    });
    view.sort();
    EXPECT_EQ(column(view, 0), (QStringList{u"3"_s, u"1"_s, u"4"_s, u"2"_s}));
}

TEST(SortListView, SelectionFollowsSortAndDeleteSelected)
{
    NumbersList list;
    TQSortListView &view = list.view;
    view.setMultiSelect(true);
    EXPECT_TRUE(view.multiSelect());
    view.deleteSelected(); // nothing selected: nothing happens
    EXPECT_EQ(view.listModel()->rowCount(), 3);

    view.setSortColumn(1); // 9 (a), 10 (c), 100 (b)
    view.setSelectedRow(1);
    EXPECT_EQ(ListItemId(view, view.selectedRow()), 1);
    view.setSortDirection(sdDescending); // 100, 10, 9
    EXPECT_EQ(view.selectedRow(), 1);
    view.setSortColumn(0); // the direction stays: c, b, a
    EXPECT_EQ(view.selectedRow(), 0);
    view.setSortDirection(sdAscending); // a, b, c
    EXPECT_EQ(view.selectedRow(), 2);
    EXPECT_EQ(ListItemId(view, 2), 1);

    // The last item deleted: the new last item is selected.
    view.deleteSelected();
    EXPECT_EQ(column(view, 0), (QStringList{u"a"_s, u"b"_s}));
    EXPECT_EQ(view.selectedRows(), std::vector<int>{1});

    view.listModel()->addItem(item({u"d"_s}));
    view.listModel()->addItem(item({u"e"_s}));
    view.selectAll();
    EXPECT_EQ(view.selectedCount(), 4);
    view.setSelectedRow(0);
    view.selectionModel()->select(view.listModel()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.deleteSelected();
    EXPECT_EQ(column(view, 0), (QStringList{u"b"_s, u"e"_s}));
    EXPECT_EQ(view.selectedRows(), std::vector<int>{0});
}

TEST(SortListView, OwnerDataMillionRows)
{
    constexpr int kRows = 1'000'000;
    // The owner keeps its records and the order in which they show.
    std::vector<int> values(kRows);
    for (int i = 0; i < kRows; ++i)
        values[static_cast<size_t>(i)] = static_cast<int>((i * 7919LL) % kRows);
    std::vector<int> order(kRows);
    std::iota(order.begin(), order.end(), 0);
    int asked = 0;
    TQSortListView view;
    view.addColumn(u"№"_s, 60);
    view.addColumn(u"Значение"_s, 80);
    TListViewModel &m = *view.listModel();
    m.setOwnerData([&](int row, int col) {
        ++asked;
        const int rec = order[static_cast<size_t>(row)];
        return col == 0 ? QString::number(rec + 1) : QString::number(values[static_cast<size_t>(rec)]);
    });
    view.setSortColumn(-1);
    EXPECT_FALSE(view.setSortColumn(2));
    m.setRowCount(kRows);
    EXPECT_EQ(m.rowCount(), kRows);
    view.resize(300, 200);
    view.show();
    QApplication::processEvents();
    // Only what shows is asked: a handful of rows, not a million.
    EXPECT_LT(asked, 2000);
    EXPECT_EQ(m.data(m.index(987'654, 1)).toString(), QString::number((987'654LL * 7919) % kRows));

    // Without the owner's sort an owner-data list cannot sort.
    EXPECT_FALSE(m.sortRows(1, sdAscending));
    std::vector<std::pair<int, TSortDirection>> sorts;
    m.setOwnerSort([&](int col, TSortDirection dir) {
        sorts.emplace_back(col, dir);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const int va = col == 0 ? a : values[static_cast<size_t>(a)];
            const int vb = col == 0 ? b : values[static_cast<size_t>(b)];
            return dir == sdAscending ? va < vb : va > vb;
        });
    });
    view.setSortColumn(1);
    view.setSortDirection(sdDescending);
    ASSERT_EQ(sorts.size(), 2u);
    EXPECT_EQ(sorts.back(), std::make_pair(1, sdDescending));
    EXPECT_EQ(m.data(m.index(0, 1)).toString(), QString::number(kRows - 1));
    EXPECT_EQ(m.data(m.index(kRows - 1, 1)).toString(), u"0");

    view.setMultiSelect(true);
    view.selectAll();
    EXPECT_EQ(view.selectedCount(), kRows);
    m.setRowCount(10);
    EXPECT_EQ(m.rowCount(), 10);
}

TEST(SortListView, CellColoursFromCallback)
{
    TQSortListView view;
    view.addColumn(u"A"_s, 50);
    view.addColumn(u"B"_s, 50);
    view.listModel()->setOwnerData([](int row, int col) { return QString::number(row * 10 + col); });
    view.listModel()->setRowCount(3);
    view.listModel()->setCellColors([](int row, int col) {
        TCellColors c;
        if (row == 1 && col == 1)
            c.background = Qt::yellow;
        if (row == 2)
            c.text = Qt::red;
        return c;
    });
    const TListViewModel &m = *view.listModel();
    EXPECT_EQ(m.data(m.index(1, 1), Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));
    EXPECT_FALSE(m.data(m.index(1, 0), Qt::BackgroundRole).isValid());
    EXPECT_EQ(m.data(m.index(2, 0), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(m.data(m.index(2, 1)).toString(), u"21");
}

TEST(ListViewRoutines, MoveExchangeAndFind)
{
    TQSortListView view;
    view.addColumn(u"A"_s, 50);
    view.setSortColumn(-1);
    for (int i = 0; i < 5; ++i)
        view.listModel()->addItem(item({QString(QChar(u'A' + i))}, 100 + i));
    EXPECT_EQ(FindListItemById(view, 103), 3);
    EXPECT_EQ(FindListItemById(view, 7), -1);
    EXPECT_EQ(ListItemId(view, 9), -1);

    ExchangeListItems(view, 0, 4);
    EXPECT_EQ(column(view, 0), (QStringList{u"E"_s, u"B"_s, u"C"_s, u"D"_s, u"A"_s}));
    ExchangeListItems(view, 0, 5); // no item 5: nothing
    // A downward move lands where it was asked to.
    EXPECT_EQ(MoveListItem(view, 1, 3), 3);
    EXPECT_EQ(column(view, 0), (QStringList{u"E"_s, u"C"_s, u"D"_s, u"B"_s, u"A"_s}));
    EXPECT_EQ(MoveListItem(view, 4, 0), 0);
    EXPECT_EQ(column(view, 0), (QStringList{u"A"_s, u"E"_s, u"C"_s, u"D"_s, u"B"_s}));
    EXPECT_EQ(MoveListItem(view, 2, -1), -1);
    EXPECT_EQ(MoveListItem(view, 7, 0), -1);

    view.setSelectedRow(1);
    MoveSelectedItemUp(view);
    EXPECT_EQ(view.selectedRow(), 0);
    EXPECT_EQ(view.listModel()->cellText(0, 0), u"E");
    MoveSelectedItemUp(view); // already on top
    EXPECT_EQ(view.selectedRow(), 0);
    view.setSelectedRow(4);
    MoveSelectedItemDown(view); // already last
    EXPECT_EQ(view.selectedRow(), 4);
    view.setSelectedRow(3);
    MoveSelectedItemDown(view);
    EXPECT_EQ(view.selectedRow(), 4);
    EXPECT_EQ(view.listModel()->cellText(4, 0), u"D");
}

TEST(ListViewRoutines, CheckedItemsToTop)
{
    TQSortListView view;
    view.addColumn(u"A"_s, 50);
    view.setSortColumn(-1);
    view.listModel()->setCheckBoxes(true);
    EXPECT_EQ(LastLeadingCheckedItem(view), -1);
    const bool checks[] = {false, true, false, true};
    for (int i = 0; i < 4; ++i)
        view.listModel()->addItem(item({QString(QChar(u'A' + i))}, i, checks[i]));
    EXPECT_EQ(LastLeadingCheckedItem(view), -1);
    view.setSelectedRow(2); // C
    MoveCheckedItemsToTop(view);
    EXPECT_EQ(column(view, 0), (QStringList{u"B"_s, u"D"_s, u"A"_s, u"C"_s}));
    EXPECT_EQ(LastLeadingCheckedItem(view), 1);
    EXPECT_EQ(view.listModel()->cellText(view.selectedRow(), 0), u"C");

    // Checking through the model, as a click on the box does.
    TListViewModel &m = *view.listModel();
    EXPECT_TRUE(m.flags(m.index(3, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(m.setData(m.index(3, 0), Qt::Checked, Qt::CheckStateRole));
    MoveCheckedItemsToTop(view);
    EXPECT_EQ(column(view, 0), (QStringList{u"B"_s, u"D"_s, u"C"_s, u"A"_s}));
}

TEST(SortListView, ColumnsAreWideEnoughForTheirCaptions)
{
    TQSortListView view;
    const QString longCaption = u"Кол-во повторов"_s;
    view.addColumn(longCaption, 20);
    view.addColumn(u"N"_s, 50);
    const QFontMetrics fm = view.horizontalHeader()->fontMetrics();
    // The whole caption and the sort mark beside it.
    EXPECT_GE(view.columnWidth(0), fm.horizontalAdvance(longCaption) + 12);
    EXPECT_EQ(view.columnWidth(1), 50); // a short caption keeps the width it was given

    TQOwnerDrawGrid grid;
    grid.setColCount(3);
    grid.setRowCount(2);
    grid.setFixedRows(1);
    grid.setOnGetCellText([](int col, int row) {
        return row == 0 ? QStringList{u"№ тиража"_s, u"Совпадений"_s, u"S"_s}.value(col) : QString();
    });
    for (int c = 0; c < 3; ++c)
        grid.setColWidth(c, 30);
    grid.fitColumnsToCaptions();
    const QFontMetrics gm = grid.horizontalHeader()->fontMetrics();
    // Two words too wide for the column go on two lines, each whole.
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), u"№\nтиража");
    EXPECT_GE(grid.colWidth(0), gm.horizontalAdvance(u"тиража"_s) + 6);
    EXPECT_LT(grid.colWidth(0), gm.horizontalAdvance(u"№ тиража"_s) + 6);
    EXPECT_GE(grid.colWidth(1), gm.horizontalAdvance(u"Совпадений"_s) + 6);
    EXPECT_EQ(grid.colWidth(2), 30);
}

// In a list or a grid of many columns the arrows move the current row and Tab goes on to the next control
// (from the list to the grid, from the grid to the line after it).
TEST(SortListView, TabLeavesTheListArrowsMoveInside)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *view = new TQSortListView(&window);
    for (int c = 0; c < 9; ++c)
        view->addColumn(u"Столбец %1"_s.arg(c), 80);
    for (int r = 0; r < 3; ++r)
        view->listModel()->addItem(item(QStringList(9, QString::number(r)), r));
    auto *cells = new TQOwnerDrawGrid(&window);
    cells->setColCount(9);
    cells->setRowCount(4);
    auto *next = new QLineEdit(&window);
    for (QWidget *w : std::initializer_list<QWidget *>{view, cells, next})
        layout->addWidget(w);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (QTableView *list : std::initializer_list<QTableView *>{view, cells}) {
        list->setFocus();
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Tab);
        EXPECT_TRUE((list == view ? static_cast<QWidget *>(cells) : next)->hasFocus()) << list->metaObject()->className();
        EXPECT_EQ(list->currentIndex(), list->model()->index(1, 0)) << list->metaObject()->className();
    }
}
