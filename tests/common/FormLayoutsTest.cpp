#include "common/widgets/FormLayouts.h"
#include "tests/support/TempDataFolder.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
const QString kMain = u"TTemplateMain"_s;

// A sortable three-column list named lvDraws with the rows 3, 1, 2.
std::unique_ptr<QTableView> MakeList(QStandardItemModel &model)
{
    model.setColumnCount(3);
    for (int v : {3, 1, 2}) {
        QList<QStandardItem *> row;
        for (int c = 0; c < 3; ++c) {
            auto *item = new QStandardItem;
            item->setData(c == 0 ? v : 10 - v, Qt::DisplayRole);
            row << item;
        }
        model.appendRow(row);
    }
    auto view = std::make_unique<QTableView>();
    view->setObjectName(u"lvDraws"_s);
    view->setModel(&model);
    view->horizontalHeader()->setSortIndicatorShown(true);
    view->setSortingEnabled(true);
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    return view;
}

QList<int> FirstColumn(const QStandardItemModel &model)
{
    QList<int> out;
    for (int r = 0; r < model.rowCount(); ++r)
        out << model.item(r, 0)->data(Qt::DisplayRole).toInt();
    return out;
}

int ScreenPpi()
{
    return static_cast<int>(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInch()));
}
} // namespace

TEST(ListViewLayout, SaveAndRestoreSortAndWidths)
{
    TempDataFolder folder;
    {
        QStandardItemModel model;
        auto view = MakeList(model);
        view->setShowGrid(false);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setColumnWidth(0, 70);
        view->setColumnWidth(1, 90);
        view->setColumnWidth(2, 0);
        view->sortByColumn(0, Qt::DescendingOrder);
        SaveListViewSettings(kMain, view.get(), true);
    }
    const QByteArray text = folder.read(u"Vendra.frm"_s);
    EXPECT_TRUE(text.contains("lvDraws.SortType=0,1\r\n"));
    EXPECT_TRUE(text.contains("lvDraws.GridLines=0\r\n"));
    EXPECT_TRUE(text.contains("lvDraws.MultiSelect=1\r\n"));
    EXPECT_TRUE(text.contains("lvDraws.Column1=90\r\n"));

    QStandardItemModel model;
    auto view = MakeList(model);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    RestoreListViewSettings(kMain, view.get(), true);
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorSection(), 0);
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(FirstColumn(model), (QList<int>{3, 2, 1})); // the rows are sorted as a click would
    EXPECT_FALSE(view->showGrid());
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(view->columnWidth(0), 70);
    EXPECT_EQ(view->columnWidth(1), 90);
    EXPECT_EQ(view->columnWidth(2), 0);
}

TEST(ListViewLayout, StaleSortColumnIsIgnored)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nlvDraws.SortType=9,0\r\nlvDraws.Column5=40\r\n");
    QStandardItemModel model;
    auto view = MakeList(model);
    view->sortByColumn(1, Qt::AscendingOrder);
    const QList<int> before = FirstColumn(model);
    RestoreListViewSettings(kMain, view.get(), false);
    EXPECT_EQ(view->horizontalHeader()->sortIndicatorSection(), 1);
    EXPECT_EQ(FirstColumn(model), before);
}

TEST(GridLayout, ColumnWidthsOnly)
{
    TempDataFolder folder;
    QStandardItemModel model(2, 2);
    QTableView grid;
    grid.setObjectName(u"sgStakes"_s);
    grid.setModel(&model);
    grid.setColumnWidth(0, 33);
    grid.setColumnWidth(1, 44);
    SaveGridColumns(kMain, &grid);
    EXPECT_EQ(folder.read(u"Vendra.frm"_s), "[TTemplateMain]\r\nsgStakes.Column0=33\r\nsgStakes.Column1=44\r\n\r\n");
    grid.setColumnWidth(0, 10);
    grid.setColumnWidth(1, 10);
    RestoreGridColumns(kMain, &grid);
    EXPECT_EQ(grid.columnWidth(0), 33);
    EXPECT_EQ(grid.columnWidth(1), 44);
}

TEST(WindowPlacement, RoundTripOfRectangleAndState)
{
    TempDataFolder folder;
    {
        QWidget window;
        window.setGeometry(100, 120, 400, 300);
        SaveFormPlacement(kMain, &window);
    }
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QString sized = u"NormPos_%1x%2=100,120,500,420\r\n"_s.arg(screen.width()).arg(screen.height());
    const QByteArray text = folder.read(u"Vendra.frm"_s);
    EXPECT_TRUE(text.contains("NormPos=100,120,500,420\r\n"));
    EXPECT_TRUE(text.contains(sized.toLatin1()));
    EXPECT_TRUE(text.contains("ShowCmd=1\r\n"));

    QWidget window;
    window.setGeometry(0, 0, 200, 100);
    RestoreFormPlacement(kMain, &window, true, true);
    EXPECT_EQ(window.geometry(), QRect(100, 120, 400, 300));
    EXPECT_FALSE(window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));

    // Both flags false: nothing happens.
    QWidget untouched;
    untouched.setGeometry(5, 5, 50, 50);
    RestoreFormPlacement(kMain, &untouched, false, false);
    EXPECT_EQ(untouched.geometry(), QRect(5, 5, 50, 50));
}

TEST(WindowPlacement, OtherDensityFixedSizeAndMaximised)
{
    TempDataFolder folder;
    const QByteArray otherPpi = QByteArray::number(ScreenPpi() + 24);
    folder.write(u"Vendra.frm"_s, "[TFormA]\r\nShowCmd=3\r\nPixelsPerInch=" + otherPpi +
                                      "\r\nNormPos=100,120,500,420\r\n[TFormB]\r\nNormPos=30,40,1030,840\r\n");
    QWidget a;
    a.setGeometry(10, 10, 200, 100);
    RestoreFormPlacement(u"TFormA"_s, &a, true, true);
    EXPECT_EQ(a.geometry(), QRect(10, 10, 200, 100)); // saved at another density: designed place kept
    EXPECT_TRUE(a.windowState() & Qt::WindowMaximized);

    QWidget b;
    b.setFixedSize(200, 100);
    RestoreFormPlacement(u"TFormB"_s, &b, false, true);
    EXPECT_EQ(b.geometry(), QRect(30, 40, 200, 100)); // a fixed-size window keeps its size
}

TEST(WindowPlacement, RectangleOffAllScreensComesBack)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TFormA]\r\nNormPos=50000,50000,50400,50300\r\n");
    QWidget a;
    RestoreFormPlacement(u"TFormA"_s, &a, false, true);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(a.geometry()));
    EXPECT_EQ(a.geometry().size(), QSize(400, 300));

    // Saved on a larger screen (or hanging over this one's edge): back whole inside the free area.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect larger(area.left() + 40, area.top() + 30, area.width() + 400, area.height() + 300);
    const QRect overhanging(area.right() - 100, area.bottom() - 50, 300, 200);
    for (const QRect &saved : {larger, overhanging}) {
        folder.write(u"Vendra.frm"_s, u"[TFormA]\r\nNormPos=%1,%2,%3,%4\r\n"_s.arg(saved.left())
                                          .arg(saved.top()).arg(saved.right() + 1).arg(saved.bottom() + 1).toLatin1());
        QWidget b;
        RestoreFormPlacement(u"TFormA"_s, &b, false, true);
        EXPECT_TRUE(area.contains(b.geometry())) << b.geometry().x() << "," << b.geometry().y() << " "
                                                 << b.geometry().width() << "x" << b.geometry().height();
        EXPECT_EQ(b.geometry().size(), saved.size().boundedTo(area.size()));
    }
}
