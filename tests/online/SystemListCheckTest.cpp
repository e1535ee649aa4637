#include "online/SystemListCheck.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(SystemListCheck, LinesAreRewrittenAndCountedShortLinesGo)
{
    const TSystemListCheck check =
        CheckSystemList(u"1 2 3 4 5 6\r\n\r\n7;8;9;1;2;3\r\n1 2 3 4 5\r\n 4,5 ,6-7_8|9 \r\n1 2 3 4 5 6 7\r\n"_s);
    ASSERT_TRUE(check.ok()) << check.error.toStdString();
    EXPECT_EQ(check.lines, (QStringList{u"01 02 03 04 05 06"_s, u"07 08 09 01 02 03"_s, u"04 05 06 07 08 09"_s}));
    EXPECT_EQ(check.nums, 9); // positions 1 to 9
    EXPECT_EQ(check.csize, 3);

    const TSystemListCheck empty = CheckSystemList(u"\r\n 1 2 \r\n"_s);
    EXPECT_TRUE(empty.ok());
    EXPECT_EQ(empty.nums, 0);
    EXPECT_EQ(empty.csize, 0);
}

TEST(SystemListCheck, TheCountOfNumbersIsTheLargestPosition)
{
    // Positions 2 to 10 need ten numbers, not nine.
    EXPECT_EQ(CheckSystemList(u"2 3 4 5 6 7\n5 6 7 8 9 10\n"_s).nums, 10);
}

TEST(SystemListCheck, ABadLineIsNamedAndNothingIsRewritten)
{
    TSystemListCheck check = CheckSystemList(u"1 2 3 4 5 6\n1 2 x 4 5 6\n"_s);
    EXPECT_FALSE(check.ok());
    EXPECT_EQ(check.errorLine, 1);
    EXPECT_EQ(check.error, u"Строка 2: \"x\" не является допустимым целым числом.");
    EXPECT_TRUE(check.lines.isEmpty());

    check = CheckSystemList(u"0 1 2 3 4 5\n"_s);
    EXPECT_EQ(check.errorLine, 0);
    EXPECT_TRUE(check.error.startsWith(u"Строка 1:"));

    check = CheckSystemList(u"1 2 3 4 5 6\n1 2 3 4 5 6\n1 2 3 3 4 5\n"_s);
    EXPECT_EQ(check.errorLine, 2);
    EXPECT_EQ(check.error, u"Строка 3: позиция 3 указана дважды.");
}
