#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/draws/InfoWindow.h"
#include "app/draws/DrawInfo.h"

#include <QSpinBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TDrawRec makeDraw(int number, std::array<uint8_t, 6> main, const QString &date)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    d.extra = {44, 43};
    d.setDateText(date);
    return d;
}

QString valueOf(const std::vector<TInfoRow> &rows, const QString &property)
{
    for (const TInfoRow &row : rows)
        if (row.property == property)
            return row.value;
    return u"<none>"_s;
}

const QString kSum = u"Сумма тиража: все значения"_s;
const QString kEven = u"Количество четных чисел в тираже (Ч:Н)"_s;
const QString kFirst = u"Число в 1 позиции тиража"_s;
const QString kSumChange = u"Сумма тиража: изменения (точно)"_s;

class InfoWindowRows : public ::testing::Test {
protected:
    void SetUp() override
    {
        draws.push_back(makeDraw(101, {1, 2, 3, 4, 5, 6}, u"5 Jan 2015"_s));
        draws.push_back(makeDraw(102, {45, 10, 21, 33, 8, 2}, u"12 Jan 2015"_s));
        list.SetDraws(&draws);
        list.RebuildMethods();
    }
    TDrawsArray draws;
    TStatList list;
};

} // namespace

TEST_F(InfoWindowRows, DrawShowsNumberDateAndValuesWorkedOutByHand)
{
    const std::vector<TInfoRow> rows = InfoRows(list, DrawInfoSubject(draws, 1, false));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0], (TInfoRow{u"Номер тиража:"_s, u"102"_s}));
    EXPECT_EQ(rows[1], (TInfoRow{u"Дата тиража:"_s, u"12 Jan 2015"_s}));
    EXPECT_EQ(valueOf(rows, kSum), u"119");      // 45+10+21+33+8+2
    EXPECT_EQ(valueOf(rows, kEven), u"3");       // 10, 8, 2
    EXPECT_EQ(valueOf(rows, kFirst), u"45");     // drawn order
    EXPECT_EQ(valueOf(rows, kSumChange), u"98"); // 119 - 21, the draw before it

    // A shredding method is named by its formula, never by its title's template.
    EXPECT_NE(valueOf(rows, u"Метод шинковки 1: (n1+n2+n3)/(n4+n5+n6)"_s), u"<none>");
    for (const TInfoRow &row : rows)
        EXPECT_FALSE(row.property.contains(u"%s")) << row.property.toStdString();

    const std::vector<TInfoRow> sorted = InfoRows(list, DrawInfoSubject(draws, 1, true));
    EXPECT_EQ(valueOf(sorted, kFirst), u"2");
    EXPECT_EQ(valueOf(sorted, kSum), u"119");
}

TEST_F(InfoWindowRows, CombinationIsTheDrawAfterTheSample)
{
    const TComb comb{{1, 2, 3, 4, 5, 6}};
    const std::vector<TInfoRow> rows = InfoRows(list, CombInfoSubject(comb, int(draws.size()), 0, false));
    EXPECT_EQ(valueOf(rows, u"Номер тиража:"_s), u"<none>");
    EXPECT_EQ(valueOf(rows, u"Дата тиража:"_s), u"<none>");
    EXPECT_EQ(valueOf(rows, kSum), u"21");
    EXPECT_EQ(valueOf(rows, kSumChange), u"-98"); // 21 - 119, the newest draw
    // With the newest draw hidden the combination follows the first one.
    EXPECT_EQ(valueOf(InfoRows(list, CombInfoSubject(comb, int(draws.size()), 1, false)), kSumChange), u"0");
    // Every graph method has one row; a draw has its two rows more.
    int graphs = 0;
    for (int i = 0; i < list.MethodCount(); ++i)
        graphs += list.MethodIsGraph(i) && list.MethodSelectable(i) && list.CreateMethodStat(i) ? 1 : 0;
    EXPECT_EQ(int(rows.size()), graphs);
    EXPECT_EQ(InfoRows(list, DrawInfoSubject(draws, 0, false)).size(), rows.size() + 2);
}

TEST(InfoWindowCard, NumbersInTheMatrixOfTheChosenColumns)
{
    const TComb comb{{45, 1, 7, 8, 14, 30}};
    const TInfoCard one = InfoCard(comb, 1);
    EXPECT_EQ(one.rows, 45);
    EXPECT_EQ(one.at(44, 0), 45);
    const TInfoCard wide = InfoCard(comb, 45);
    EXPECT_EQ(wide.rows, 1);
    EXPECT_EQ(wide.at(0, 29), 30);
    const TInfoCard seven = InfoCard(comb, 7);
    EXPECT_EQ(seven.rows, 7);
    EXPECT_EQ(seven.at(6, 2), 45);
    EXPECT_EQ(seven.at(1, 0), 8);
    EXPECT_EQ(seven.at(0, 6), 7);
    EXPECT_EQ(seven.at(1, 6), 14);
    EXPECT_EQ(std::count_if(seven.cells.begin(), seven.cells.end(), [](int n) { return n != 0; }), 6);
    // A damaged column count is taken into 1..45.
    EXPECT_EQ(InfoCard(comb, 0).rows, 45);
}

TEST(InfoWindowForm, OpensWithTheMatrixColumnsAndRebuildsOnChange)
{
    ScriptedMessages boxes;
    int shown = 0;
    SetInfoWindowPlayer([&](TFormInfo &window) {
        ++shown;
        EXPECT_EQ(window.windowTitle(), u"Подробная информация");
        EXPECT_EQ(window.colsEdit()->value(), StatList().Config.matrixCols);
        EXPECT_EQ(window.props()->topLevelItem(0)->text(0), u"Номер тиража:");
        EXPECT_EQ(window.props()->topLevelItem(0)->text(1), u"7");
        window.colsEdit()->setValue(45);
        EXPECT_EQ(window.card()->rowCount(), 1);
        EXPECT_EQ(window.card()->columnCount(), 45);
        ASSERT_NE(window.card()->item(0, 44), nullptr);
        EXPECT_EQ(window.card()->item(0, 44)->text(), u"45");
        EXPECT_EQ(window.card()->item(0, 0), nullptr);
    });
    TInfoSubject subject;
    subject.drawNumber = 7;
    subject.numbers = TComb{{2, 9, 17, 23, 31, 45}};
    ShowInfoWindow(subject, nullptr);
    SetInfoWindowPlayer(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(boxes.count(), 0);
}
