#include "common/Calculator.h"
#include "common/FloatPicture.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Types the keys into a fresh calculator and returns its display.
QString run(const char16_t *keys, double start = 0)
{
    TCalculator c;
    c.reset(start);
    for (const char16_t *k = keys; *k; ++k)
        EXPECT_TRUE(c.key(QChar(*k))) << char(*k);
    return c.display();
}

} // namespace

TEST(Calculator, Arithmetic)
{
    struct Case {
        const char16_t *keys;
        const char16_t *display;
    };
    const Case cases[] = {
        {u"12+7=", u"19"},
        {u"2+3*4=", u"20"},       // left to right, as a pocket calculator
        {u"10-4-3=", u"3"},
        {u"7/2=", u"3.5"},
        {u"1,5*4=", u"6"},        // "," is the decimal point too
        {u"1..5+1=", u"2.5"},     // a second point is ignored
        {u"0.1+0.2=", u"0.3"},    // 15 significant digits hide the binary noise
        {u"5+=", u"10"},          // the entry is the second operand
        {u"5*-2=", u"3"},         // a second operation key replaces the first
        {u"2+3===", u"11"},       // "=" repeats the last operation
        {u"200+10%=", u"220"},    // percent of the first operand for + and -
        {u"50*10%=", u"5"},       // hundredths for * and /
        {u"123\b\b4=", u"14"},     // backspace
        {u"99+5\x1b" u"1=", u"100"}, // CE clears only the entry
        {u"1234567890123456789", u"123456789012345"}, // at most 15 digits
    };
    for (const Case &c : cases)
        EXPECT_EQ(run(c.keys), QString::fromUtf16(c.display)) << QString::fromUtf16(c.keys).toStdString();
}

TEST(Calculator, StartsFromValueAndRecoversFromErrors)
{
    EXPECT_EQ(run(u"*2=", 1234.5), u"2469");
    EXPECT_EQ(run(u"7", 1234.5), u"7"); // typing replaces the starting value

    TCalculator c;
    c.reset(8);
    c.operation(TCalculator::Op::Divide);
    c.digit(0);
    c.equals();
    EXPECT_TRUE(c.error());
    EXPECT_EQ(c.display(), u"Ошибка");
    c.operation(TCalculator::Op::Add); // ignored while in error
    EXPECT_TRUE(c.error());
    c.digit(3);
    EXPECT_FALSE(c.error());
    EXPECT_EQ(c.display(), u"3");

    c.reset(0);
    c.key(u'9');
    c.negate();
    EXPECT_DOUBLE_EQ(c.value(), -9);
    EXPECT_FALSE(c.key(u'x'));
    TCalculator big;
    big.reset(1e308);
    big.operation(TCalculator::Op::Multiply);
    big.digit(9);
    big.equals();
    EXPECT_TRUE(big.error()); // overflow
}

TEST(FloatPicture, PicturesAndLocales)
{
    const QLocale c(QLocale::C);
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    EXPECT_EQ(FormatFloatPicture(1234.5, u",0.00", c), u"1,234.50");
    EXPECT_EQ(FormatFloatPicture(1234.5, u",0.00", ru), u"1\u00A0234,50");
    EXPECT_EQ(FormatFloatPicture(1234567.891, u",0.000", ru), u"1\u00A0234\u00A0567,891");
    EXPECT_EQ(FormatFloatPicture(-0.5, u",0.00", c), u"-0.50");
    EXPECT_EQ(FormatFloatPicture(-0.001, u"0.00", c), u"0.00"); // no "-0.00"
    EXPECT_EQ(FormatFloatPicture(2.675, u"0.00", c), u"2.68");  // halves away from zero
    EXPECT_EQ(FormatFloatPicture(-2.5, u"0", c), u"-3");
    EXPECT_EQ(FormatFloatPicture(0.5, u"#.##", c), u".5");
    EXPECT_EQ(FormatFloatPicture(7, u"000", c), u"007");
    EXPECT_EQ(FormatFloatPicture(12.3, u"0.0 руб", c), u"12.3 руб");
    EXPECT_EQ(FormatFloatPicture(-5, u"0;(0);ноль", c), u"(5)");
    EXPECT_EQ(FormatFloatPicture(0, u"0;(0);ноль", c), u"ноль");
    EXPECT_EQ(FloatToGeneralText(1234.5, ru), u"1234,5");
    EXPECT_EQ(FloatToGeneralText(0.1 + 0.2, c), u"0.3");
}
