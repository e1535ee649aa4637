#include "common/Format.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Format, DirectivesOfTheMessageTables)
{
    EXPECT_EQ(Format(u"Тираж № %d от %s", {4100, u"5 Jan 2015"_s}), u"Тираж № 4100 от 5 Jan 2015");
    EXPECT_EQ(Format(u"%.2f", {1.005}), u"1.00");
    EXPECT_EQ(Format(u"%.2f", {2.5}), u"2.50");
    EXPECT_EQ(Format(u"%f", {3}), u"3.00");
    EXPECT_EQ(Format(u"%.3d", {7}), u"007");
    EXPECT_EQ(Format(u"%.3d", {-7}), u"-007");
    EXPECT_EQ(Format(u"%.8x", {255}), u"000000FF");
    EXPECT_EQ(Format(u"%5d|%-5d|", {12, 34}), u"   12|34   |");
    EXPECT_EQ(Format(u"100%%", {}), u"100%");
    EXPECT_EQ(Format(u"%1:s-%2:s [%0:s]", {u"t"_s, u"a"_s, u"b"_s}), u"a-b [t]");
    EXPECT_EQ(Format(u"%0:s %s", {u"a"_s, u"b"_s}), u"a b");
}

TEST(Format, BadTemplatesNeverThrow)
{
    EXPECT_EQ(Format(u"%s and %d", {u"only"_s}), u"only and ");
    EXPECT_EQ(Format(u"50% off", {}), u"50% off");
    EXPECT_EQ(Format(u"%", {}), u"%");
    EXPECT_EQ(Format(u"%q", {1}), u"%q");
    EXPECT_EQ(Format(u"%99:s", {1}), u"");
}

TEST(Format, MessageLineBreaks)
{
    EXPECT_EQ(MessageToDisplay(u"a\r\rb\r\nc"), u"a\n\nb\nc");
}
