#include "app/settings/CommandLine.h"
#include "app/draws/DrawEntry.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CommandLine, SwitchesWithEveryPrefixAndCase)
{
    const QString exe = u"/opt/Vendra"_s;
    for (const QString &arg : {u"loadonly"_s, u"-loadonly"_s, u"--LoadOnly"_s, u"/LOADONLY"_s, u"\\loadonly"_s})
        EXPECT_TRUE(HasSwitch({exe, u"x"_s, arg}, u"loadonly")) << arg.toStdString();
    for (const QString &arg : {u"xloadonly"_s, u"loadonly=1"_s, u"---loadonly"_s, u"load"_s})
        EXPECT_FALSE(HasSwitch({exe, arg}, u"loadonly")) << arg.toStdString();
    // The program's own name is not a switch.
    EXPECT_FALSE(HasSwitch({u"loadonly"_s}, u"loadonly"));

    const TStartSwitches s = TStartSwitches::fromArguments({exe, u"/FULLREFRESH"_s, u"-no-language"_s, u"\\restart"_s});
    EXPECT_TRUE(s.fullRefresh);
    EXPECT_TRUE(s.noLanguage);
    EXPECT_TRUE(s.restart);
    EXPECT_FALSE(s.loadOnly);
    EXPECT_TRUE(s.isBatch());
    EXPECT_FALSE(TStartSwitches::fromArguments({exe, u"restart"_s}).isBatch());
}

TEST(DrawEntry, EightNumbersWithDistinctMainNumbers)
{
    TDrawRec d;
    EXPECT_TRUE(ParseDrawEntryText(u"1;2;3;4;5;6;7;8"_s, d));
    EXPECT_EQ(d.main, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(d.extra, (std::array<uint8_t, 2>{7, 8}));
    EXPECT_TRUE(ParseDrawEntryText(u" 45, 2 ;3;4;5;6;1;7"_s, d));
    EXPECT_EQ(d.main[0], 45);
    EXPECT_EQ(DrawEntryText(d), u"45;2;3;4;5;6;1;7");

    const TDrawRec before = d;
    for (const QString &bad : {u"1,2,3,4,5,5,7,8"_s, u"1;2;3;4;5;6;7"_s, u"1;2;3;4;5;6;7;8;9"_s, u"1;2;3;4;5;46;7;8"_s,
                               u"0;2;3;4;5;6;7;8"_s, u"1;2;3;4;5;6;7;46"_s, u"1;2;3;4;5;6;7;x"_s, u""_s,
                               u"1 2 3 4 5 6 7 8"_s, u"300;2;3;4;5;6;7;8"_s,
                               // eight different numbers: no supplementary number repeats another
                               u"1;2;3;4;5;6;6;8"_s, u"1;2;3;4;5;6;8;8"_s})
        EXPECT_FALSE(ParseDrawEntryText(bad, d)) << bad.toStdString();
    EXPECT_EQ(d, before);
}
