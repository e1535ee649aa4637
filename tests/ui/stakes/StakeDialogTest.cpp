#include "tests/support/ScriptedMessages.h"
#include "lottery/DrawTexts.h"
#include "ui/stakes/StakeDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StakeDialog, NumbersAreCheckedAndStoredAscending)
{
    TNumSet set;
    for (const QString &bad : {u"1;2;3;4;5"_s, u"1;2;3;4;5;46"_s, u"1;1;2;3;4;5"_s, u"1;2;3;4;5;6;7"_s, u"a;2;3;4;5;6"_s,
                               u""_s})
        EXPECT_FALSE(ParseStakeNumbers(bad, set)) << bad.toStdString();
    ASSERT_TRUE(ParseStakeNumbers(u" 6,5; 4 ,3;2,1 "_s, set));
    EXPECT_EQ(set.count, 6);
    EXPECT_EQ((std::vector<int>(set.numbers.begin(), set.numbers.begin() + 6)), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(StakeTextSum(u"10;20;x;5"), 35);

    ScriptedMessages boxes;
    TStakeRec stake;
    stake.kind = STAKE_MANUAL;
    stake.drawNumber = 700;
    stake.sampleSize = 42;
    stake.setComment(u"Ставка \"вручную\""_s);
    TFormStake dialog;
    dialog.fill(stake, 1);
    EXPECT_EQ(dialog.stakeEdit()->text(), u"");
    // OK is refused until six valid numbers are typed, then until there is a comment.
    EXPECT_FALSE(dialog.pressOk());
    EXPECT_EQ(boxes.last().text, u"Введена некорректная комбинация!");
    dialog.stakeEdit()->setText(u"45;3;17;9;30;22"_s);
    EXPECT_EQ(dialog.sumEdit()->text(), u"126");
    dialog.commentEdit()->setText(u"  "_s);
    EXPECT_FALSE(dialog.pressOk());
    EXPECT_EQ(boxes.last().text, u"Необходимо ввести комментарий!");
    dialog.commentEdit()->setText(u"Мой выбор"_s);
    // A series that would run past the largest draw number is refused too.
    dialog.drawEdit()->setValue(2147483600);
    dialog.drawsEdit()->setValue(100);
    EXPECT_FALSE(dialog.pressOk());
    dialog.drawEdit()->setValue(701);
    dialog.drawsEdit()->setValue(3);
    EXPECT_TRUE(dialog.pressOk());
    int draws = 0;
    dialog.readBack(stake, draws);
    EXPECT_EQ(draws, 3);
    EXPECT_EQ(stake.drawNumber, 701);
    EXPECT_EQ(stake.comment(), u"Мой выбор");
    EXPECT_EQ(NumSetToText(stake.numbers, u";"), u"3;9;17;22;30;45");
    EXPECT_EQ(stake.sampleSize, 42);
    EXPECT_EQ(stake.kind, STAKE_MANUAL);
}

TEST(StakeDialog, FilterConditions)
{
    TFormStakeFilter dialog;
    dialog.fill(0, 0);
    ASSERT_EQ(dialog.conditionBox()->count(), 5);
    EXPECT_EQ(dialog.conditionBox()->itemText(2), u"Не менее [ >= ]");
    EXPECT_EQ(dialog.valueEdit()->maximum(), 6);
    dialog.conditionBox()->setCurrentIndex(2);
    dialog.valueEdit()->setValue(3);
    int condition = -1;
    int value = -1;
    dialog.readBack(condition, value);
    EXPECT_EQ(condition, 2);
    EXPECT_EQ(value, 3);
}
