#include "tests/lottery/GeometryStatsFixture.h"

using namespace Qt::StringLiterals;

namespace {
using ChannelStats = GeometryStats;
}

TEST_F(ChannelStats, ValuesOfOneDrawWithChannelsOfFive)
{
    configure(5, 5);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6})};

    const TStatDrawArray chan = compute(u"CHAN"_s);
    EXPECT_EQ(chan.size(), 9);
    EXPECT_EQ(find(chan, 1)->Count, 5);
    EXPECT_EQ(find(chan, 2)->Count, 1);
    for (uint16_t c = 3; c <= 9; ++c)
        EXPECT_EQ(find(chan, c)->Count, 0) << c;

    const TStatDrawArray chnv = compute(u"CHNV"_s);
    EXPECT_EQ(chnv.size(), 9 * 6); // channels 1..9, counts 0..5
    EXPECT_EQ(find(chnv, 1, 5)->Count, 1);
    EXPECT_EQ(find(chnv, 2, 1)->Count, 1);
    for (uint16_t c = 3; c <= 9; ++c)
        EXPECT_EQ(find(chnv, c, 0)->Count, 1) << c;
    EXPECT_EQ(StatValuesSummary(chnv).Total, 9);

    EXPECT_EQ(find(compute(u"CHNC"_s), 2)->Count, 1);
    EXPECT_EQ(find(compute(u"CHN1"_s), 5)->Count, 1);
    EXPECT_EQ(find(compute(u"CHN2"_s), 1)->Count, 1);
    // The count 0 is not enumerated; the draw adds it.
    const TStatDrawArray chn3 = compute(u"CHN3"_s);
    EXPECT_EQ(chn3.size(), 6);
    EXPECT_EQ(chn3[5].Keys, TStatKeys::of(0));
    EXPECT_EQ(chn3[5].Count, 1);
}

TEST_F(ChannelStats, SeveralNumbersOfOneChannelInOneDrawAreNoInterval)
{
    configure(5, 5);
    draws = {makeDraw(10, {1, 2, 3, 30, 31, 32}), makeDraw(13, {4, 40, 41, 42, 43, 44}),
             makeDraw(20, {5, 12, 22, 33, 37, 45})};
    const TStatDrawArray chan = compute(u"CHAN"_s);
    const TStatValueRec *first = find(chan, 1);
    EXPECT_EQ(first->Count, 5);
    EXPECT_EQ(first->MinInterval, 3);
    EXPECT_EQ(first->MaxInterval, 7);
    EXPECT_EQ(first->LastDraw, 20);
    EXPECT_EQ(first->Depth, 1);
}

TEST_F(ChannelStats, TextsOfChannels)
{
    configure(10, 5);
    auto chan = stat(u"CHAN"_s);
    TStatValueRec v;
    v.Keys.set(5);
    EXPECT_EQ(chan->ValueToText(v), u"05 [41-50]"); // the upper bound is not cut at 45
    v.Keys.set(1);
    EXPECT_EQ(chan->ValueToText(v), u"01 [1-10]");
    EXPECT_GE(list.FindMethod(u"CHN5"), 0);
    EXPECT_EQ(list.FindMethod(u"CHN6"), -1);

    configure(5, 5);
    chan = stat(u"CHAN"_s);
    v.Keys.set(3);
    EXPECT_EQ(chan->ValueToText(v), u"03 [11-15]");
    v.Keys.set(3, 2);
    EXPECT_EQ(stat(u"CHNV"_s)->ValueToText(v), u"03 [11-15] x 2");

    EXPECT_EQ(chan->ValueFromText(u"07 [31-35]"), 7);
    EXPECT_EQ(chan->ValueFromText(u"12"), 12);
    EXPECT_EQ(chan->ValueFromText(u"abc"), 0);
    EXPECT_EQ(chan->ValueFromText(u"x7 [31-35]"), 0);
    EXPECT_EQ(stat(u"CHNV"_s)->ValueFromText(u"3"), 0); // no text values
}

TEST_F(ChannelStats, EnumeratedCounts)
{
    // The counts of channels listed run from 1 to the channel size (six at most), not to the number of
    // channels: with a channel size of 5 a draw may cover six channels, and 6 shows only when one does.
    configure(5, 5);
    EXPECT_EQ(compute(u"CHNC"_s).size(), 5);
    EXPECT_EQ(find(compute(u"CHNC"_s), 6), nullptr);
    EXPECT_EQ(compute(u"CHN1"_s).size(), 5);
    draws = {makeDraw(1, {1, 6, 11, 16, 21, 26})};
    ASSERT_NE(find(compute(u"CHNC"_s), 6), nullptr);
    EXPECT_EQ(find(compute(u"CHNC"_s), 6)->Count, 1);
    EXPECT_EQ(compute(u"CHNC"_s).size(), 6);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6})};
    configure(10, 5);
    EXPECT_EQ(compute(u"CHNC"_s).size(), 6);
    EXPECT_EQ(compute(u"CHNV"_s).size(), 5 * 7);
    draws = {makeDraw(1, {1, 11, 21, 31, 41, 2})};
    EXPECT_EQ(find(compute(u"CHNC"_s), 5)->Count, 1);
}

TEST_F(ChannelStats, Filters)
{
    configure(5, 5);
    const TComb low = makeComb({1, 2, 3, 4, 5, 6});
    EXPECT_TRUE(stat(u"CHNV"_s)->CombMatches(low, selected({TStatKeys::of(4, 0)}), 0, false, false));
    EXPECT_FALSE(stat(u"CHNV"_s)->CombMatches(makeComb({1, 16, 17, 18, 19, 20}), selected({TStatKeys::of(4, 0)}),
                                              0, false, false));
    EXPECT_TRUE(stat(u"CHAN"_s)->CombMatches(makeComb({3, 9, 14, 22, 38, 41}), selected({TStatKeys::of(9)}), 0,
                                             false, false));
    EXPECT_FALSE(stat(u"CHAN"_s)->CombMatches(low, selected({TStatKeys::of(9), TStatKeys::of(3)}), 0, false, false));
    EXPECT_TRUE(stat(u"CHNC"_s)->CombMatches(low, selected({TStatKeys::of(2)}), 0, false, false));
    EXPECT_TRUE(stat(u"CHN2"_s)->CombMatches(low, selected({TStatKeys::of(1)}), 0, false, false));
    EXPECT_FALSE(stat(u"CHN2"_s)->CombMatches(low, selected({TStatKeys::of(0)}), 0, false, false));
}

TEST_F(ChannelStats, SizesOutsideTheDialogsRange)
{
    // A size of 0 lists no channel counts, and the statistics made anyway work with channels of one number.
    configure(0, 5);
    EXPECT_EQ(list.FindMethod(u"CHN1"), -1);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 45})};
    const TStatDrawArray chan = compute(u"CHAN"_s);
    EXPECT_EQ(chan.size(), 45);
    EXPECT_EQ(find(chan, 45)->Count, 1);
    EXPECT_EQ(find(compute(u"CHNC"_s), 6)->Count, 1);

    // A size beyond the numbers puts them all in channel 1.
    configure(300, 5);
    EXPECT_GE(list.FindMethod(u"CHN1"), 0);
    EXPECT_EQ(list.FindMethod(u"CHN2"), -1);
    const TStatDrawArray one = compute(u"CHAN"_s);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].Count, 6);
    EXPECT_EQ(stat(u"CHAN"_s)->ValueToText(one[0]), u"01 [1-45]");
}
