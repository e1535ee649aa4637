#include "common/widgets/NumericEdit.h"
#include "common/widgets/StringGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

void typeKey(QWidget *w, int key, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        typeKey(w, c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_unknown, QString(c));
}

void leave(QWidget *w)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &out);
}

// The numeric edit under the Russian locale, as the program's users have it.
class FloatEditTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(OwnerDrawGrid, TextsComeFromTheOwner)
{
    TQOwnerDrawGrid grid;
    grid.setColCount(3);
    grid.setRowCount(4);
    grid.setFixedRows(1);
    // Without the owner's event every cell is empty.
    EXPECT_EQ(grid.getCellText(1, 2), u"");
    EXPECT_EQ(grid.model()->data(grid.indexOfCell(1, 2)).toString(), u"");

    std::vector<std::tuple<int, int, QString>> stored;
    grid.setOnGetCellText([](int col, int row) { return row == 0 ? u"Колонка %1"_s.arg(col) : u"%1:%2"_s.arg(col).arg(row); });
    grid.setOnSetCellText([&](int col, int row, const QString &v) { stored.emplace_back(col, row, v); });
    EXPECT_EQ(grid.model()->rowCount(), 3); // the heading row is the header
    EXPECT_EQ(grid.model()->headerData(2, Qt::Horizontal).toString(), u"Колонка 2");
    EXPECT_FALSE(grid.horizontalHeader()->isHidden());
    EXPECT_EQ(grid.model()->data(grid.indexOfCell(2, 3)).toString(), u"2:3");

    // Typing the cell's own text stores nothing; another text goes to the owner once.
    grid.setEditing(true);
    EXPECT_TRUE(grid.model()->flags(grid.indexOfCell(1, 1)) & Qt::ItemIsEditable);
    grid.model()->setData(grid.indexOfCell(1, 1), u"1:1"_s);
    EXPECT_TRUE(stored.empty());
    grid.model()->setData(grid.indexOfCell(1, 1), u"новое"_s);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0], std::make_tuple(1, 1, u"новое"_s));

    grid.setRowCount(1'000'000);
    EXPECT_EQ(grid.model()->rowCount(), 999'999);
    EXPECT_EQ(grid.model()->data(grid.indexOfCell(0, 999'999)).toString(), u"0:999999");
    grid.setCurrentCell(2, 5);
    EXPECT_EQ(grid.col(), 2);
    EXPECT_EQ(grid.row(), 5);
}

TEST(OwnerDrawGrid, StringGridKeepsItsTexts)
{
    TStringGrid grid;
    grid.setColCount(2);
    grid.setRowCount(3);
    grid.setFixedCols(1);
    grid.setCells(0, 1, u"Тираж"_s);
    grid.setCells(1, 1, u"42"_s);
    grid.setCells(7, 9, u"вне"_s); // outside the grid: kept, not shown
    EXPECT_EQ(grid.cells(1, 1), u"42");
    EXPECT_EQ(grid.cells(7, 9), u"вне");
    EXPECT_EQ(grid.cells(1, 2), u"");
    EXPECT_EQ(grid.model()->headerData(1, Qt::Vertical).toString(), u"Тираж");
    EXPECT_EQ(grid.model()->data(grid.indexOfCell(1, 1)).toString(), u"42");
    grid.clearCells();
    EXPECT_EQ(grid.cells(1, 1), u"");
}

TEST_F(FloatEditTest, TypingEnterAndFormat)
{
    TQFloatEdit edit;
    EXPECT_EQ(edit.value(), 0.0);
    EXPECT_EQ(edit.text(), u"0,00");
    EXPECT_EQ(edit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    double signalled = -1;
    QObject::connect(&edit, &TQFloatEdit::valueChanged, &edit, [&](double v) { signalled = v; });

    edit.clear();
    typeText(&edit, u"1234,5"_s);
    EXPECT_EQ(edit.text(), u"1234,5");
    EXPECT_TRUE(edit.isTextModified());
    typeKey(&edit, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(edit.value(), 1234.5);
    EXPECT_DOUBLE_EQ(signalled, 1234.5);
    EXPECT_EQ(edit.text(), u"1\u00A0234,50");
    EXPECT_FALSE(edit.isTextModified());

    // "." becomes the locale's separator; a second one is refused; "+" and letters are dropped.
    edit.clear();
    typeText(&edit, u"-7.2,5+x"_s);
    EXPECT_EQ(edit.text(), u"-7,25");
    typeKey(&edit, Qt::Key_Enter);
    EXPECT_DOUBLE_EQ(edit.value(), -7.25);
}

TEST_F(FloatEditTest, EscapeUndoesAndBadTextKeepsValue)
{
    TQFloatEdit edit;
    edit.setValue(12.5);
    EXPECT_EQ(edit.text(), u"12,50");
    typeText(&edit, u"99"_s);
    typeKey(&edit, Qt::Key_Escape);
    EXPECT_EQ(edit.text(), u"12,50");
    EXPECT_DOUBLE_EQ(edit.value(), 12.5);

    // Cleared text and leaving: the old value stays.
    edit.setBeepOnError(false);
    edit.clear();
    typeKey(&edit, Qt::Key_Backspace);
    leave(&edit);
    EXPECT_DOUBLE_EQ(edit.value(), 12.5);
    EXPECT_EQ(edit.text(), u"12,50");

    // Leaving without typing keeps the full value, not the rounded text.
    edit.setValue(1.23456);
    EXPECT_EQ(edit.text(), u"1,23");
    leave(&edit);
    EXPECT_DOUBLE_EQ(edit.value(), 1.23456);

    // A text pasted with the other separator keeps its fraction.
    edit.setText(u"3.75"_s);
    EXPECT_TRUE(edit.parseText());
    EXPECT_DOUBLE_EQ(edit.value(), 3.75);
    edit.setText(u"abc"_s);
    EXPECT_FALSE(edit.parseText());
    EXPECT_DOUBLE_EQ(edit.value(), 3.75);

    edit.setDisplayFormat(u",0.000"_s);
    EXPECT_EQ(edit.text(), u"3,750");
}

TEST_F(FloatEditTest, CalculatorHandsResultToEdit)
{
    TQFloatEdit edit;
    edit.setValue(100);
    edit.show();
    typeKey(&edit, Qt::Key_F4);
    TCalculatorPopup *popup = edit.calculatorPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->displayText(), u"100");
    for (QChar k : u"*1,5"_s)
        popup->press(k);
    EXPECT_EQ(popup->displayText(), u"1,5");
    popup->accept();
    EXPECT_DOUBLE_EQ(edit.value(), 150);
    EXPECT_EQ(edit.text(), u"150,00");
    EXPECT_FALSE(popup->isVisible());

    // Escape closes it and the value stays.
    edit.showCalculator();
    popup->press(u'7');
    typeKey(popup, Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_DOUBLE_EQ(edit.value(), 150);
}
