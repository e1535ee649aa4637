#include "ui/scenarios/TestCountDialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct PlayerReset {
    ~PlayerReset() { SetDialogPlayer(nullptr); }
};

// The count asked for a test: 10 by default but never above the caller's maximum, the typed value on
// OK, 0 on Cancel, and no dialog at all when no test is possible.
TEST(TestCountDialog, DefaultLimitsAndAnswers)
{
    PlayerReset reset;
    int shown = 0;
    int defaultSeen = -1;
    int maximumSeen = -1;
    SetDialogPlayer([&](TDialogSTemplate &d) {
        auto &dialog = static_cast<TFormTestCnt &>(d);
        ++shown;
        defaultSeen = dialog.countEdit()->value();
        maximumSeen = dialog.countEdit()->maximum();
        dialog.countEdit()->setValue(1000); // more than allowed: the edit keeps to its maximum
        dialog.pressOk();
        return d.result();
    });
    EXPECT_EQ(AskTestCount(99, nullptr), 99);
    EXPECT_EQ(defaultSeen, 10);
    EXPECT_EQ(maximumSeen, 99);

    EXPECT_EQ(AskTestCount(4, nullptr), 4);
    EXPECT_EQ(defaultSeen, 4);

    EXPECT_EQ(AskTestCount(0, nullptr), 0);
    EXPECT_EQ(AskTestCount(-1, nullptr), 0);
    EXPECT_EQ(shown, 2);

    SetDialogPlayer([](TDialogSTemplate &d) {
        d.pressCancel();
        return d.result();
    });
    EXPECT_EQ(AskTestCount(50, nullptr), 0);
}

// The dialog opens with the count focused and selected, so a typed number replaces the default.
TEST(TestCountDialog, TypedCountReplacesTheDefault)
{
    TFormTestCnt dialog(nullptr, 99);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_EQ(dialog.focusWidget(), dialog.countEdit());
    QTest::keyClicks(dialog.focusWidget(), u"7"_s);
    EXPECT_EQ(dialog.count(), 7);
}

} // namespace
