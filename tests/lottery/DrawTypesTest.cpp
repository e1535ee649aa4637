#include "lottery/DrawTypes.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(DrawRec, DateTextIsCutToElevenCharacters)
{
    TDrawRec d;
    d.setDateText(u"15 Jan 2015 extra"_s);
    EXPECT_EQ(d.dateText(), u"15 Jan 2015");
    EXPECT_EQ(d.dateLen, 11);
    d.dateLen = 200; // a damaged length byte
    EXPECT_EQ(d.dateText(), u"15 Jan 2015");
}
