#include "tests/lottery/GeometryStatsFixture.h"

using namespace Qt::StringLiterals;

namespace {

using SegmentStats = GeometryStats;

// Segment s for the numbers of each run (1..15 -> 1, 16..30 -> 2, 31..45 -> 3 by default).
std::array<uint8_t, 45> segmentTable(std::initializer_list<std::pair<int, uint8_t>> firstNumbers)
{
    std::array<uint8_t, 45> t{};
    for (int n = 1; n <= 45; ++n)
        for (const auto &[first, s] : firstNumbers)
            if (n >= first)
                t[size_t(n - 1)] = s;
    return t;
}

} // namespace

TEST_F(SegmentStats, OneDrawInThreeSegments)
{
    configure(5, 5, segmentTable({{1, 1}, {16, 2}, {31, 3}}));
    EXPECT_GE(list.FindMethod(u"SGM1"), 0);
    EXPECT_GE(list.FindMethod(u"SGM3"), 0);
    EXPECT_EQ(list.FindMethod(u"SGM4"), -1);

    draws = {makeDraw(1, {1, 2, 16, 31, 32, 33})};
    const TStatDrawArray sgms = compute(u"SGMS"_s);
    ASSERT_EQ(sgms.size(), 3);
    EXPECT_EQ(find(sgms, 1)->Count, 2);
    EXPECT_EQ(find(sgms, 2)->Count, 1);
    EXPECT_EQ(find(sgms, 3)->Count, 3);
    const TStatDrawArray sgmv = compute(u"SGMV"_s);
    ASSERT_EQ(sgmv.size(), 3); // nothing enumerated
    EXPECT_EQ(sgmv[0].Keys, TStatKeys::of(1, 2));
    EXPECT_EQ(sgmv[1].Keys, TStatKeys::of(2, 1));
    EXPECT_EQ(sgmv[2].Keys, TStatKeys::of(3, 3));
    EXPECT_EQ(stat(u"SGMV"_s)->ValueToText(sgmv[2]), u"3 x 3");
    const TStatDrawArray sgmc = compute(u"SGMC"_s);
    ASSERT_EQ(sgmc.size(), 1);
    EXPECT_EQ(sgmc[0].Keys, TStatKeys::of(3));
    EXPECT_EQ(find(compute(u"SGM3"_s), 3)->Count, 1);

    // A segment of the table that holds none of the numbers still counts, with 0.
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6})};
    const TStatDrawArray low = compute(u"SGMV"_s);
    ASSERT_EQ(low.size(), 3);
    EXPECT_EQ(low[1].Keys, TStatKeys::of(2, 0));
    EXPECT_EQ(low[2].Keys, TStatKeys::of(3, 0));
    EXPECT_EQ(find(compute(u"SGMC"_s), 1)->Count, 1);
    EXPECT_TRUE(stat(u"SGMV"_s)->CombMatches(makeComb({1, 2, 3, 4, 5, 6}), selected({TStatKeys::of(3, 0)}), 0,
                                             false, false));
    EXPECT_FALSE(stat(u"SGMV"_s)->CombMatches(makeComb({1, 2, 3, 4, 5, 45}), selected({TStatKeys::of(3, 0)}), 0,
                                              false, false));
}

TEST_F(SegmentStats, SegmentsInTheOrderOfTheTable)
{
    std::array<uint8_t, 45> t{};
    t.fill(1);
    t[0] = 3;
    configure(5, 5, t);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6})};
    const TStatDrawArray sgmv = compute(u"SGMV"_s);
    ASSERT_EQ(sgmv.size(), 2);
    EXPECT_EQ(sgmv[0].Keys, TStatKeys::of(3, 1));
    EXPECT_EQ(sgmv[1].Keys, TStatKeys::of(1, 5));
    const TStatDrawArray sgms = compute(u"SGMS"_s);
    ASSERT_EQ(sgms.size(), 2);
    EXPECT_EQ(sgms[0].Keys, TStatKeys::of(3));
    EXPECT_EQ(sgms[1].Keys, TStatKeys::of(1));
}

TEST_F(SegmentStats, OneSegmentForAllNumbers)
{
    std::array<uint8_t, 45> t{};
    t.fill(5);
    configure(5, 5, t);
    QStringList sgm;
    for (int i = 0; i < list.MethodCount(); ++i)
        if (list.GetMethod(i).MethodCode().startsWith(u"SGM"))
            sgm << list.GetMethod(i).MethodCode();
    EXPECT_EQ(sgm, (QStringList{u"SGMS"_s, u"SGMV"_s, u"SGMC"_s, u"SGM5"_s}));
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6}), makeDraw(2, {7, 17, 27, 37, 40, 45})};
    const TStatDrawArray sgmc = compute(u"SGMC"_s);
    ASSERT_EQ(sgmc.size(), 1);
    EXPECT_EQ(sgmc[0].Keys, TStatKeys::of(1));
    EXPECT_EQ(sgmc[0].Count, 2);
    EXPECT_EQ(find(compute(u"SGM5"_s), 6)->Count, 2);
}
