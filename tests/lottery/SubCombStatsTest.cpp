#include "tests/lottery/GeometryStatsFixture.h"

#include "lottery/stats/StatRegistry.h"

using namespace Qt::StringLiterals;

namespace {

using SubCombStats = GeometryStats;

QStringList textsOf(TCustomStat &stat, const TStatDrawArray &values)
{
    QStringList texts;
    for (const TStatValueRec &v : values)
        texts << stat.ValueToText(v);
    return texts;
}

} // namespace

TEST_F(SubCombStats, NeighboursInDrawnAndAscendingOrder)
{
    draws = {makeDraw(1, {7, 3, 21, 15, 40, 8})};
    auto kns2 = stat(u"KNS2"_s);
    EXPECT_EQ(textsOf(*kns2, compute(u"KNS2"_s, false)),
              (QStringList{u"7:3"_s, u"3:21"_s, u"21:15"_s, u"15:40"_s, u"40:8"_s}));
    EXPECT_EQ(textsOf(*kns2, compute(u"KNS2"_s, true)),
              (QStringList{u"3:7"_s, u"7:8"_s, u"8:15"_s, u"15:21"_s, u"21:40"_s}));
    EXPECT_EQ(textsOf(*kns2, compute(u"KNP21"_s)), QStringList{u"7:3"_s});
    EXPECT_EQ(textsOf(*stat(u"KNS4"_s), compute(u"KNS4"_s)),
              (QStringList{u"7:3:21:15"_s, u"3:21:15:40"_s, u"21:15:40:8"_s}));

    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6})};
    const TStatDrawArray knp34 = compute(u"KNP34"_s);
    ASSERT_EQ(knp34.size(), 1);
    EXPECT_EQ(knp34[0].Keys, TStatKeys::of(4, 5, 6));
    EXPECT_EQ(stat(u"KNP34"_s)->ValueToText(knp34[0]), u"4:5:6");
    EXPECT_EQ(list.FindMethod(u"KNP35"), -1);
    EXPECT_GE(list.FindMethod(u"KNP25"), 0);
    EXPECT_EQ(list.FindMethod(u"KNP44"), -1);
}

TEST_F(SubCombStats, AllSubsetsOfADraw)
{
    draws = {makeDraw(1, {9, 2, 33, 41, 17, 5})};
    EXPECT_EQ(compute(u"KNM2"_s).size(), 15);
    EXPECT_EQ(compute(u"KNM3"_s).size(), 20);
    const TStatDrawArray knm4 = compute(u"KNM4"_s);
    ASSERT_EQ(knm4.size(), 15);
    EXPECT_EQ(knm4[0].Keys, TStatKeys::of(9, 2, 33, 41));
    EXPECT_EQ(knm4[14].Keys, TStatKeys::of(33, 41, 17, 5));

    // Channels of ten: all six numbers in channel 1 give the one pair 1:1, fifteen times.
    configure(10, 5);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6})};
    const TStatDrawArray kcm2 = compute(u"KCM2"_s);
    ASSERT_EQ(kcm2.size(), 1);
    EXPECT_EQ(kcm2[0].Keys, TStatKeys::of(1, 1));
    EXPECT_EQ(kcm2[0].Count, 15);
    EXPECT_EQ(kcm2[0].MinInterval, 0);
    EXPECT_EQ(compute(u"KCM3"_s)[0].Count, 20);
    EXPECT_EQ(stat(u"KCS3"_s)->ValueToText(compute(u"KCS3"_s)[0]), u"1:1:1");

    // Columns and rows of the draw 1 6 11 2 30 45 in five columns.
    configure(5, 5);
    draws = {makeDraw(1, {1, 6, 11, 2, 30, 45})};
    auto kfs2 = stat(u"KFS2"_s);
    EXPECT_EQ(textsOf(*kfs2, compute(u"KFS2"_s)), (QStringList{u"1:1"_s, u"1:2"_s, u"2:5"_s, u"5:5"_s}));
    EXPECT_EQ(compute(u"KFS2"_s)[0].Count, 2);
    EXPECT_EQ(textsOf(*kfs2, compute(u"KRS2"_s)),
              (QStringList{u"1:2"_s, u"2:3"_s, u"3:1"_s, u"1:6"_s, u"6:9"_s}));
}

TEST_F(SubCombStats, FiltersKeepTheOrderOfTheTuple)
{
    auto knm2 = stat(u"KNM2"_s);
    const TComb ascending = makeComb({3, 5, 7, 9, 11, 13});
    EXPECT_TRUE(knm2->CombMatches(ascending, selected({TStatKeys::of(3, 7)}), 0, false, false));
    EXPECT_TRUE(knm2->CombMatches(ascending, selected({TStatKeys::of(11, 13)}), 0, false, false));
    EXPECT_FALSE(knm2->CombMatches(ascending, selected({TStatKeys::of(7, 3)}), 0, false, false));
    EXPECT_FALSE(knm2->CombMatches(ascending, selected({TStatKeys::of(3, 7, 9)}), 0, false, false));
    EXPECT_TRUE(knm2->CombMatches(makeComb({7, 1, 3, 20, 30, 40}), selected({TStatKeys::of(7, 3)}), 0, false, false));

    auto kns3 = stat(u"KNS3"_s);
    EXPECT_TRUE(kns3->CombMatches(ascending, selected({TStatKeys::of(9, 11, 13)}), 0, false, false));
    EXPECT_FALSE(kns3->CombMatches(ascending, selected({TStatKeys::of(3, 7, 9)}), 0, false, false));

    // A sub-combination has no value of its own for a combination.
    TStatDrawArray values;
    knm2->ValuesOfComb(ascending, values);
    EXPECT_TRUE(values.empty());
}

TEST_F(SubCombStats, AscendingNeighboursAreNeverListed)
{
    int listed = 0;
    for (const TStatClass &c : StatClasses())
        if (QString::fromUtf16(c.ClassName).startsWith(u"TstComb") && !QString::fromUtf16(c.ClassName).contains(u"Diff"))
            listed += c.Available() ? 1 : 0;
    EXPECT_EQ(listed, 33);
    EXPECT_EQ(list.FindMethod(u"KNO2"), -1);

    // The class itself takes the numbers in ascending order whatever the caller asks.
    const TStatClass *sorted = FindStatClass(u"TstCombValSort3");
    ASSERT_NE(sorted, nullptr);
    auto kno3 = sorted->Factory(*sorted, list, 0);
    draws = {makeDraw(1, {7, 3, 21, 15, 40, 8})};
    const TStatDrawArray values = ComputeStatValues(*kno3, SampleBounds(1, 0, 1), false);
    EXPECT_EQ(textsOf(*kno3, values), (QStringList{u"3:7:8"_s, u"7:8:15"_s, u"8:15:21"_s, u"15:21:40"_s}));
    EXPECT_TRUE(kno3->CombMatches(makeComb({40, 8, 7, 15, 3, 21}), selected({TStatKeys::of(8, 15, 21)}), 0, false,
                                  false));
}
