#include "HistoryStatsFixture.h"

#include "lottery/stats/SeriesStats.h"

using namespace Qt::StringLiterals;

namespace {

class SeriesStats : public HistoryStats {
protected:
    // Six draws; 7 is in the first three and the last, 20 only in the fourth, 30 in all but the second.
    void sevenInDrawsOneToThreeAndSix()
    {
        draws = {draw(1, {7, 1, 2, 3, 4, 30}), draw(2, {7, 5, 6, 8, 9, 10}), draw(3, {7, 11, 12, 13, 14, 30}),
                 draw(4, {20, 15, 16, 17, 18, 30}), draw(5, {21, 22, 23, 24, 25, 30}),
                 draw(6, {7, 26, 27, 28, 29, 30})};
    }
};

} // namespace

TEST_F(SeriesStats, AgreeWithTheReferenceComputation)
{
    loadReferenceArchive();
    checkAgainstReference({u"GRPV"_s, u"GRPP"_s, u"GRCV"_s, u"GRCP"_s, u"GRSV"_s, u"GRSP"_s});

    // Every value of the last draw is in one group that is still running there.
    const TStatDrawArray groups = compute(u"GRPV"_s);
    int open = 0;
    for (const TStatValueRec &v : groups)
        open += v.Depth == 1 ? 1 : 0;
    EXPECT_EQ(open, 6);
}

TEST_F(SeriesStats, GroupsAndPausesOfOneNumber)
{
    sevenInDrawsOneToThreeAndSix();
    const TStatDrawArray groups = compute(u"GRPV"_s);
    const TStatValueRec *three = find(groups, 7, 3);
    ASSERT_TRUE(three);
    EXPECT_EQ(three->Count, 1);
    EXPECT_EQ(three->LastDraw, 3);
    EXPECT_EQ(three->Depth, 4);
    const TStatValueRec *one = find(groups, 7, 1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->LastDraw, 6);
    EXPECT_EQ(one->Depth, 1);
    // 30 runs through draws 3 to 6 after one draw in the first.
    EXPECT_TRUE(find(groups, 30, 1));
    EXPECT_TRUE(find(groups, 30, 4));

    const TStatDrawArray pauses = compute(u"GRPP"_s);
    const TStatValueRec *pause = find(pauses, 7, 2);
    ASSERT_TRUE(pause);
    EXPECT_EQ(pause->LastDraw, 5);
    EXPECT_EQ(pause->Depth, 2);
    EXPECT_TRUE(find(pauses, 30, 1));
    // The numbers first seen in the last draw close a pause that began with the sample.
    EXPECT_EQ(pauses.size(), 6);
    ASSERT_TRUE(find(pauses, 26, 5));
    EXPECT_EQ(find(pauses, 26, 5)->Depth, 2);

    // 20 is not in the last draw: nothing about it, whatever its history.
    for (const TStatDrawArray *v : {&groups, &pauses})
        for (const TStatValueRec &r : *v)
            EXPECT_NE(r.Keys.word(1), 20);

    // Texts; values are not typed.
    auto grpv = stat(u"GRPV"_s);
    EXPECT_EQ(grpv->ValueToText(*three), u"7 x 3");
    EXPECT_EQ(grpv->ValueFromText(u"7"), 0);
}

TEST_F(SeriesStats, SeriesStartWithTheSample)
{
    sevenInDrawsOneToThreeAndSix();
    // A sample of the last four draws: the group of 7 holds only draw 3, the pause before draw 3 is not seen.
    const TStatDrawArray groups = computeTo(u"GRPV"_s, 5, 4);
    EXPECT_TRUE(find(groups, 7, 1));
    EXPECT_EQ(find(groups, 7, 1)->Count, 2);
    EXPECT_FALSE(find(groups, 7, 3));
    // A sample of the first draw alone: every number of it in a running group of one.
    const TStatDrawArray first = computeTo(u"GRPV"_s, 0, 10);
    EXPECT_EQ(first.size(), 6);
    EXPECT_TRUE(computeTo(u"GRPP"_s, 0, 10).empty());
}

TEST_F(SeriesStats, ChannelsTrackTheirRangeAndShowTwoDigits)
{
    list.Config.channelSize = 5;
    list.RebuildMethods();
    auto grcv = stat(u"GRCV"_s);
    auto &serial = dynamic_cast<TCustomSerialStat &>(*grcv);
    EXPECT_EQ(serial.MinValue, 1);
    EXPECT_EQ(serial.MaxValue, 9);
    TStatValueRec v;
    v.Keys.set(3, 2);
    EXPECT_EQ(grcv->ValueToText(v), u"03 x 2");

    // A filter compares channels: channel 3 holds 11..15.
    const TStatDrawArray three = selectedPairs({{3, 2}});
    EXPECT_TRUE(grcv->CombMatches(comb({1, 2, 15, 30, 40, 45}), three, 0, false, false));
    EXPECT_FALSE(grcv->CombMatches(comb({1, 2, 16, 30, 40, 45}), three, 0, false, false));
    EXPECT_TRUE(stat(u"GRPP"_s)->CombMatches(comb({1, 2, 16, 30, 40, 45}), selectedPairs({{16, 9}}), 0, false,
                                             false));

    // Two numbers of one channel in a draw are one presence of the channel.
    draws = {draw(1, {1, 2, 20, 30, 40, 45}), draw(2, {3, 11, 21, 31, 41, 44})};
    const TStatDrawArray groups = compute(u"GRCV"_s);
    EXPECT_EQ(find(groups, 1, 2)->Count, 1);
}

TEST_F(SeriesStats, SegmentsFollowTheTable)
{
    for (int n = 1; n <= kMaxNumber; ++n)
        list.Config.matrixSegments[size_t(n - 1)] = uint8_t(2 + n % 3);
    list.RebuildMethods();
    auto grsv = stat(u"GRSV"_s);
    EXPECT_EQ(dynamic_cast<TCustomSerialStat &>(*grsv).MinValue, 2);
    EXPECT_EQ(dynamic_cast<TCustomSerialStat &>(*grsv).MaxValue, 4);
    draws = {draw(1, {3, 6, 9, 12, 15, 18}), draw(2, {3, 1, 5, 6, 9, 12})};
    // Segment 2 (multiples of 3) in both draws; segments 3 and 4 only in the second.
    const TStatDrawArray groups = compute(u"GRSV"_s);
    EXPECT_TRUE(find(groups, 2, 2));
    EXPECT_TRUE(find(groups, 3, 1));
    EXPECT_TRUE(find(groups, 4, 1));
    EXPECT_TRUE(find(compute(u"GRSP"_s), 3, 1));
}

TEST_F(SeriesStats, DamagedSegmentTableStaysInsideTheWorkArea)
{
    // A table set outside the settings' own checks: a segment 0 and one beyond the 45 counters.
    list.Config.matrixSegments.fill(1);
    list.Config.matrixSegments[0] = 0;
    list.Config.matrixSegments[1] = 200;
    list.RebuildMethods();
    draws = {draw(1, {1, 2, 3, 4, 5, 6}), draw(2, {1, 2, 7, 8, 9, 10})};
    for (const QString &code : {u"GRSV"_s, u"GRSP"_s}) {
        auto s = stat(code);
        const TStatDrawArray values = ComputeStatValues(*s, SampleBounds(2, 0, 2), false);
        for (const TStatValueRec &v : values) {
            EXPECT_GE(v.Keys.word(1), 1) << code.toStdString();
            EXPECT_LE(v.Keys.word(1), kMaxNumber) << code.toStdString();
        }
    }
    EXPECT_TRUE(find(compute(u"GRSV"_s), 1, 2));
}
