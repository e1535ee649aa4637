#include "ui/scenarios/FilterDialog.h"
#include "ui/scenarios/ScenarioLineDialog.h"
#include "ui/stakes/StakeDialog.h"
#include "ui/stakes/TableDialog.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "app/statistics/DrawsStatCalc.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "common/widgets/NumericEdit.h"

using namespace Qt::StringLiterals;

namespace {

class ScenarioDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        stats.RebuildMethods();
        setup.methods = FilterMethodEntries(stats);
        setup.drawsLen = 25;
        setup.weights = {3, 4, 5, true, false};
        for (int c = 0; c < kDrawsStatColumns; ++c)
            setup.sortColumns << DrawsStatColumnCaption(c);
        setup.currentMethod = method(u"SUMS"_s);
    }
    const TStatMethod *method(const QString &code) const
    {
        const int i = stats.FindMethod(code);
        return i < 0 ? nullptr : &stats.GetMethod(i);
    }
    // The filter text the dialog gives back on OK after filling it from the text.
    QString filterRoundTrip(const QString &text)
    {
        TFormFilter dialog(nullptr, setup);
        dialog.fill(TextToFilterItem(text, stats));
        EXPECT_TRUE(dialog.pressOk()) << text.toStdString();
        TFilterItem item;
        dialog.readBack(item);
        return FilterItemToText(item);
    }
    static void type(QWidget *edit, QChar c)
    {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }

    TStatList stats;
    TFilterDialogSetup setup;
};

} // namespace

TEST_F(ScenarioDialogs, DialogsOpenInTheirFirstField)
{
    // Each dialog as the program opens it, and the field a user types into first.
    struct Opened {
        std::unique_ptr<TDialogSTemplate> dialog;
        QWidget *first;
    };
    std::vector<Opened> dialogs;
    {
        auto line = std::make_unique<TFormScript>(nullptr, stats, FilterItemEditor{});
        line->fill(u"EXCL:3#RAND#NEX| | | | | | | |"_s, 5);
        QWidget *first = line->startCombsTypeBox();
        dialogs.push_back({std::move(line), first});
    }
    {
        auto table = std::make_unique<TFormTable>(nullptr, QStringList{u"A"_s}, 1);
        QWidget *first = table->commentEdit();
        dialogs.push_back({std::move(table), first});
    }
    {
        auto stake = std::make_unique<TFormStake>(nullptr);
        QWidget *first = stake->drawEdit();
        dialogs.push_back({std::move(stake), first});
    }
    for (Opened &opened : dialogs) {
        opened.dialog->show();
        QApplication::processEvents();
        QWidget *focus = opened.dialog->focusWidget();
        EXPECT_TRUE(focus == opened.first || (focus && opened.first->isAncestorOf(focus)))
            << opened.dialog->objectName().toStdString() << " opens in "
            << (focus ? focus->objectName().toStdString() : std::string("nothing"));
        EXPECT_NE(focus, opened.dialog->okButton()) << opened.dialog->objectName().toStdString();
    }
}

TEST_F(ScenarioDialogs, LineFieldsGiveTheSameLineBack)
{
    for (const QString &line : {u"EXCL:3#RAND#NEX|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |c"_s,
                                u"FULL:0#ALL| | | | | | | |"_s,
                                u"CURR:0#NONE#CLR#NEX| |BMD12#SUMS:1-10;2#LDV:1,2,3#SF:0| | | | |TSF1#NUMS:5#LNO:#ST:4|Мой"_s,
                                u"EXCL:7#SYSC#CLR|TSF1#SUMS:10#WLV:5#SV:2#1:0.5:2:0:1| | | | | | |"_s}) {
        TFormScript dialog(nullptr, stats, {});
        dialog.fill(line, 99);
        QString back;
        dialog.readBack(back);
        EXPECT_EQ(back, line);
    }

    TFormScript dialog(nullptr, stats, {});
    dialog.fill(u"EXCL:12#sysa#clr#nex| |tsf1#sums:10#cmv:5#sc:1| | | | | |  второй  "_s, 99);
    EXPECT_EQ(dialog.startCombsTypeBox()->currentText(), u"Удалить N последних тиражей (для прогнозов)");
    EXPECT_EQ(dialog.drawsExcludeEdit()->value(), 12);
    EXPECT_EQ(dialog.resultCombsModeBox()->currentText(), u"Системная игра [вся система]");
    EXPECT_TRUE(dialog.clearStakesBox()->isChecked());
    EXPECT_TRUE(dialog.newOnlyBox()->isChecked());
    EXPECT_EQ(dialog.filterEdit(1)->text(), u"");
    EXPECT_EQ(dialog.filterEdit(2)->text(), u"tsf1#sums:10#cmv:5#sc:1");
    EXPECT_EQ(dialog.commentsEdit()->text(), u"второй");
    // The dialog does not check the line: the options are written in their stored form, filters as typed.
    QString back;
    dialog.readBack(back);
    EXPECT_EQ(back, u"EXCL:12#SYSA#CLR#NEX| |tsf1#sums:10#cmv:5#sc:1| | | | | |второй");
}

TEST_F(ScenarioDialogs, NewLineStartsFromTheDefaults)
{
    TFormScript dialog(nullptr, stats, {});
    dialog.fill(u"EXCL:3#LAST#CLR#NEX|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |c"_s, 0);
    dialog.fill(QString(), 7);
    EXPECT_EQ(dialog.startCombsTypeBox()->currentIndex(), 0);
    EXPECT_EQ(dialog.resultCombsModeBox()->currentIndex(), 0);
    EXPECT_FALSE(dialog.clearStakesBox()->isChecked());
    EXPECT_FALSE(dialog.newOnlyBox()->isChecked());
    EXPECT_EQ(dialog.filterEdit(1)->text(), u"");
    EXPECT_EQ(dialog.commentsEdit()->text(), u"");
    EXPECT_EQ(dialog.resultCombsModeBox()->count(), 9);
    // A line without filters is allowed: OK takes it as it stands.
    EXPECT_TRUE(dialog.pressOk());
    QString line;
    dialog.readBack(line);
    EXPECT_EQ(line, u"FULL:7#RAND| | | | | | | |");
}

TEST_F(ScenarioDialogs, FilterSlotGoesThroughTheFilterEditor)
{
    std::vector<TFilterItem> seen;
    bool accept = true;
    TFormScript dialog(nullptr, stats, [&](QWidget *, TFilterItem &item) {
        seen.push_back(item);
        item.StopValue = 3;
        item.BottomUp = true;
        return accept;
    });
    dialog.fill(u"FULL:0#RAND| |TSF1#sums:10#CMV:5#SC:1| | | | | |"_s, 0);
    dialog.filterButton(2)->click();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Method, method(u"SUMS"_s));
    EXPECT_EQ(seen[0].LevelValue, u"5");
    EXPECT_EQ(dialog.filterEdit(2)->text(), u"BSF1#SUMS:10#CMV:5#SC:3");

    // A double click on an empty slot opens an unused filter; Cancel leaves the edit as it was.
    accept = false;
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(dialog.filterEdit(5), &dbl);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[1].Used);
    EXPECT_EQ(dialog.filterEdit(5)->text(), u"");
}

TEST_F(ScenarioDialogs, FilterFieldsToItemAndBack)
{
    ScriptedMessages boxes;
    EXPECT_EQ(filterRoundTrip(u"TSF1#SUMS:10#CMV:5#SC:1"_s), u"TSF1#SUMS:10#CMV:5#SC:1");
    EXPECT_EQ(filterRoundTrip(u"TSF1#SUMS:10#WLV:5#SC:1#1:0.5:2:0:1"_s), u"TSF1#SUMS:10#WLV:5#SC:1#1:0.5:2:0:1");
    EXPECT_EQ(filterRoundTrip(u"BMD12#NUMS:1-10;2#LDV:1,2,3#ST:4"_s), u"BMD12#NUMS:1-10;2#LDV:1,2,3#ST:4");
    EXPECT_EQ(boxes.count(), 0);

    TFormFilter dialog(nullptr, setup);
    dialog.fill(TextToFilterItem(u"BMD12#NUMS:1-10;2#LDV:1,2,3#ST:4"_s, stats));
    EXPECT_EQ(dialog.sortOrderBox()->currentText(), u"Период max");
    EXPECT_EQ(dialog.directionBox()->currentText(), u"Снизу-вверх");
    EXPECT_EQ(dialog.filterModeBox()->currentText(), u"Удалить выделенные");
    EXPECT_TRUE(dialog.multiSelectBox()->isChecked());
    EXPECT_EQ(dialog.levelModeBox()->currentText(), u"\"Глубина\": из заданного списка значений");
    EXPECT_EQ(dialog.stopModeBox()->currentText(), u"Количеству шагов");
    EXPECT_EQ(dialog.stopValueEdit()->value(), 4);
    // Without own weights the fields show the current ones.
    EXPECT_EQ(dialog.coefCountEdit()->value(), 3);
    EXPECT_TRUE(dialog.coefPercentsBox()->isChecked());
}

TEST_F(ScenarioDialogs, FilterDialogOpensAsTheMainWindowStands)
{
    // Coefficients are written as everywhere in the program, with a point, on a desktop with a comma too.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TFormFilter dialog(nullptr, setup);
    QLocale::setDefault(saved);
    dialog.fill(TFilterItem{});
    dialog.findChild<TQFloatEdit *>(u"edCoefCount"_s)->setValue(1234.5);
    EXPECT_EQ(dialog.findChild<TQFloatEdit *>(u"edCoefCount"_s)->text(), u"1234.500"_s);
    EXPECT_EQ(dialog.methodBox()->currentIndex() >= 0 ? setup.methods[size_t(dialog.methodBox()->currentIndex())].method
                                                      : nullptr,
              method(u"SUMS"_s));
    EXPECT_EQ(dialog.drawsLenEdit()->text(), u"25");
    EXPECT_EQ(dialog.sortOrderBox()->currentText(), u"Количество");
    EXPECT_EQ(dialog.levelModeBox()->currentText(), u"Весь список (без условий)");
    EXPECT_EQ(dialog.stopModeBox()->currentText(), u"Обработать все записи");
    EXPECT_EQ(dialog.stopValueEdit()->value(), 1);
    ASSERT_TRUE(dialog.pressOk());
    TFilterItem item;
    dialog.readBack(item);
    EXPECT_EQ(FilterItemToText(item), u"TSD1#SUMS:25#LNO:#SF:1");

    // A method that is no longer listed opens as the first one, and OK binds the filter to it.
    TFormFilter unknown(nullptr, setup);
    unknown.fill(TextToFilterItem(u"TSF1#ZZZZ:10#CMV:5#SC:1"_s, stats));
    EXPECT_EQ(unknown.methodBox()->currentIndex(), 0);
    unknown.readBack(item);
    EXPECT_EQ(item.Method, setup.methods.front().method);
    EXPECT_TRUE(item.MethodText.isEmpty());

    // A sort column the table does not have opens as "Количество" instead of no column at all.
    TFormFilter wide(nullptr, setup);
    wide.fill(TextToFilterItem(u"TSF25#SUMS:10#CMV:5#SC:1"_s, stats));
    wide.readBack(item);
    EXPECT_EQ(item.SortColumn, 1);
    // Column -1 (unsorted) opens with no column chosen and comes back as -1.
    TFormFilter unsorted(nullptr, setup);
    unsorted.fill(TextToFilterItem(u"TMF-1#SUMS:10#LNO:#ST:3"_s, stats));
    EXPECT_EQ(unsorted.findChild<QComboBox *>(u"cbDrawsSortOrder"_s)->currentIndex(), -1);
    unsorted.readBack(item);
    EXPECT_EQ(item.SortColumn, -1);
    EXPECT_EQ(FilterItemToText(item), u"TMF-1#SUMS:10#LNO:#ST:3"_s);
}

TEST_F(ScenarioDialogs, FilterChecksKeepTheDialogOpen)
{
    ScriptedMessages boxes;
    const QString range = u"Введен некорректный диапазон значений!"_s;
    struct Case {
        QString text;
        QString message;
    };
    ASSERT_TRUE(method(u"SUMV"_s));
    ASSERT_FALSE(method(u"SUMV"_s)->MethodHasTextValue());
    const std::vector<Case> refused = {
        {u"TSF1#SUMS:0#CMV:5#SF:1"_s, range},
        {u"TSF1#SUMS:,;#CMV:5#SF:1"_s, range},
        // A sample of no draws or fewer is refused wherever it stands in the list.
        {u"TSF1#SUMS:5,0#CMV:5#SF:1"_s, range},
        {u"TSF1#SUMS:-3#CMV:5#SF:1"_s, range},
        {u"TSF1#SUMS:10#CMV:#SF:1"_s, range},
        {u"TSF1#SUMV:10#LVA:1,2#SF:1"_s,
         u"Для данного вида статистики не доступен режим выделения по списку значений!"_s},
        {u"TMF1#SUMS:10#LNO:#SC:1"_s, u"В режиме мультивыделения остановка сценария по количеству комбинаций или "
                                      u"чисел не может быть выполнена!\rВыберите другой способ останова."_s},
    };
    for (const Case &c : refused) {
        boxes.clear();
        TFormFilter dialog(nullptr, setup);
        dialog.fill(TextToFilterItem(c.text, stats));
        EXPECT_FALSE(dialog.pressOk()) << c.text.toStdString();
        ASSERT_EQ(boxes.count(), 1) << c.text.toStdString();
        EXPECT_EQ(boxes.last().text, c.message) << c.text.toStdString();
        EXPECT_EQ(boxes.last().caption, u"Ошибка");
    }
    // A filter without draws opens with the sample of the statistics page; an emptied field is refused.
    {
        boxes.clear();
        TFormFilter dialog(nullptr, setup);
        dialog.fill(TextToFilterItem(u"TSF1#SUMS:#CMV:5#SF:1"_s, stats));
        EXPECT_EQ(dialog.drawsLenEdit()->text(), u"25");
        dialog.drawsLenEdit()->clear();
        EXPECT_FALSE(dialog.pressOk());
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().text, range);
    }
    boxes.clear();
    for (const QString &accepted : {u"TMF1#SUMS:10#LNO:#ST:1"_s, u"TSF1#SUMS:1-10;2#LVA:150-160;2#SF:1"_s,
                                    u"TSF1#SUMS:10#DLV:-3#SC:1"_s}) {
        TFormFilter dialog(nullptr, setup);
        dialog.fill(TextToFilterItem(accepted, stats));
        EXPECT_TRUE(dialog.pressOk()) << accepted.toStdString();
    }
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ScenarioDialogs, OwnWeightsFollowTheCondition)
{
    TFormFilter dialog(nullptr, setup);
    dialog.fill(TextToFilterItem(u"TSF1#SUMS:10#CMV:5#SF:1"_s, stats));
    EXPECT_FALSE(dialog.cdlOverrideBox()->isEnabled());
    dialog.levelModeBox()->setCurrentIndex(LevelModes::WLV);
    EXPECT_TRUE(dialog.cdlOverrideBox()->isEnabled());
    EXPECT_FALSE(dialog.coefCountEdit()->isEnabled());
    dialog.cdlOverrideBox()->setChecked(true);
    EXPECT_TRUE(dialog.coefCountEdit()->isEnabled());
    EXPECT_TRUE(dialog.coefAbsBox()->isEnabled());
    dialog.coefCountEdit()->setValue(1);
    dialog.coefDeviationEdit()->setValue(0.5);
    dialog.coefLevelEdit()->setValue(2);
    dialog.coefPercentsBox()->setChecked(false);
    dialog.coefAbsBox()->setChecked(true);
    dialog.levelModeBox()->setCurrentIndex(LevelModes::CMV);
    EXPECT_FALSE(dialog.cdlOverrideBox()->isEnabled());
    EXPECT_FALSE(dialog.coefLevelEdit()->isEnabled());
    // The values held while disabled still go into the filter.
    TFilterItem item;
    dialog.readBack(item);
    EXPECT_EQ(FilterItemToText(item), u"TSF1#SUMS:10#CMV:5#SF:1#1:0.5:2:0:1");
}

TEST_F(ScenarioDialogs, ListEditsTakeOnlyListCharacters)
{
    TFormFilter dialog(nullptr, setup);
    dialog.drawsLenEdit()->clear();
    for (QChar c : u"1a -;2,x 3."_s)
        type(dialog.drawsLenEdit(), c);
    EXPECT_EQ(dialog.drawsLenEdit()->text(), u"1-;2,3");
    type(dialog.levelValueEdit(), u'Ж');
    type(dialog.levelValueEdit(), u'7');
    EXPECT_EQ(dialog.levelValueEdit()->text(), u"7");
    // Pasted text is not filtered here; the check on OK refuses it.
    ScriptedMessages boxes;
    dialog.drawsLenEdit()->setText(u"ten"_s);
    EXPECT_FALSE(dialog.pressOk());
    EXPECT_EQ(boxes.last().text, u"Введен некорректный диапазон значений!");
}

TEST_F(ScenarioDialogs, WhatTheFilterDialogAcceptsReadsBackAsTheSameFilter)
{
    // Text pasted into a list edit under "no condition" is kept in the filter, so it is checked too: a
    // "#" or ":" in it would end its field in the filter text and shift the rest.
    ScriptedMessages boxes;
    struct Paste {
        bool drawsField;
        QString text;
    };
    for (const Paste &p : {Paste{false, u"5#x"_s}, Paste{false, u"1:2"_s}, Paste{true, u"10#LNO:1"_s},
                           Paste{false, u"1|2"_s}}) {
        boxes.clear();
        TFormFilter dialog(nullptr, setup);
        dialog.fill(TextToFilterItem(u"TSF1#SUMS:10#LNO:#SF:1"_s, stats));
        (p.drawsField ? dialog.drawsLenEdit() : dialog.levelValueEdit())->setText(p.text);
        EXPECT_FALSE(dialog.pressOk()) << p.text.toStdString();
        ASSERT_EQ(boxes.count(), 1) << p.text.toStdString();
        EXPECT_EQ(boxes.last().text, u"Введен некорректный диапазон значений!");
    }

    // Whatever it accepts comes back from its own text as the very same filter.
    for (const QString &text : {u"TSF1#SUMS:10#LNO:5, 6-8;2#SF:1"_s, u"BMD12#NUMS:1-10;2#LDV:1,2,3#ST:4"_s,
                                u"TSF1#SUMS:10#WLV:3#SV:2#1:0.5:2:0:1"_s, u"TSF1#SUMS:10#LNO:#SP:7"_s}) {
        TFormFilter dialog(nullptr, setup);
        dialog.fill(TextToFilterItem(text, stats));
        ASSERT_TRUE(dialog.pressOk()) << text.toStdString();
        TFilterItem item;
        dialog.readBack(item);
        const TFilterItem again = TextToFilterItem(FilterItemToText(item), stats);
        EXPECT_EQ(FilterItemToText(again), FilterItemToText(item)) << text.toStdString();
        EXPECT_EQ(again.LevelMode, item.LevelMode);
        EXPECT_EQ(again.LevelValue, item.LevelValue);
        EXPECT_EQ(again.DrawsLen, item.DrawsLen);
        EXPECT_EQ(again.StopMode, item.StopMode);
        EXPECT_EQ(again.StopValue, item.StopValue);
        EXPECT_EQ(again.CDLOverride, item.CDLOverride);
    }
}
