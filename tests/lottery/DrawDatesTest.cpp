#include "lottery/DrawDates.h"

#include "common/Exception.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Days since 30 Dec 1899, computed with Python's datetime.
constexpr TDateTime k5Jan2015 = 42009;
constexpr TDateTime k29Feb2000 = 36585;

// Each test starts and ends without installed hooks.
class DrawDates : public ::testing::Test {
protected:
    void SetUp() override { ClearHooks(); }
    void TearDown() override { ClearHooks(); }
    static void ClearHooks()
    {
        DrawDateToTextProc = nullptr;
        DrawTextToDateProc = nullptr;
    }
};

} // namespace

TEST_F(DrawDates, YMD)
{
    EXPECT_EQ(DateToYMD(k5Jan2015), 20150105);
    EXPECT_EQ(DateToYMD(k5Jan2015 + 0.75), 20150105);
    EXPECT_EQ(YMDToDate(20150105), k5Jan2015);
    EXPECT_EQ(YMDToDate(20000229), k29Feb2000);
    EXPECT_EQ(YMDToDate(20150230), 0);
    EXPECT_EQ(YMDToDate(0), 0);
    EXPECT_EQ(YMDToDate(-20150105), 0);
}

TEST_F(DrawDates, DefaultFormRoundTripsWithEnglishMonths)
{
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(DrawDateToText(0), u"");
    EXPECT_EQ(DrawDateToText(-5), u"");
    EXPECT_EQ(DrawDateToText(k5Jan2015), u"05 Jan 2015");
    EXPECT_EQ(DrawDateToText(k29Feb2000 + 0.5), u"29 Feb 2000");
    for (TDateTime d = k29Feb2000; d < k29Feb2000 + 400; d += 7)
        EXPECT_EQ(TextToDrawDate(DrawDateToText(d)), d);
    QLocale::setDefault(old);

    EXPECT_EQ(TextToDrawDate(u"5 Jan 2015"), k5Jan2015); // the game's own form too
    EXPECT_EQ(TextToDrawDate(u"  05 JAN 2015 "), k5Jan2015);
    EXPECT_EQ(TextToDrawDate(u""), 0);
    EXPECT_EQ(TextToDrawDate(u"   "), 0);
}

TEST_F(DrawDates, DefaultParserRejectsWhatIsNoDate)
{
    for (const char16_t *text : {u"31 Feb 2015", u"5 Foo 2015", u"5 01 2015", u"x Jan 2015", u"5 Jan", u"5 Jan 2015 1"})
        EXPECT_THROW(TextToDrawDate(text), EConvertError) << QString::fromUtf16(text).toStdString();
}

TEST_F(DrawDates, InstalledHooksAreUsed)
{
    QString seen;
    DrawDateToTextProc = [](TDateTime d) -> QString { return u"day "_s + QString::number(d); };
    DrawTextToDateProc = [&](const QString &t) {
        seen = t;
        return 7.0;
    };
    EXPECT_EQ(DrawDateToText(12), u"day 12");
    EXPECT_EQ(DrawDateToText(0), u""); // no date never reaches the hook
    EXPECT_EQ(TextToDrawDate(u"  5 Jan 2015 "), 7.0);
    EXPECT_EQ(seen, u"5 Jan 2015");
    seen.clear();
    EXPECT_EQ(TextToDrawDate(u" "), 0);
    EXPECT_TRUE(seen.isEmpty());
}
