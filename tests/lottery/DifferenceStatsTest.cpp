#include "SingleDrawStatsFixture.h"

#include "lottery/stats/DifferenceStats.h"

using namespace Qt::StringLiterals;
using namespace single_draw_stats;

namespace {

class DifferenceStats : public SingleDrawStats {
protected:
    // The texts of the values with a count, in order of first merge, each with its count: "5x5=4".
    QString counted(const QString &code, bool sorted = false)
    {
        const TStatDrawArray v = compute(code, sorted);
        auto s = stat(code);
        QStringList out;
        for (const TStatValueRec &r : v)
            if (r.Count)
                out << s->ValueToText(r) + u'=' + QString::number(r.Count);
        return out.join(u", ");
    }
};

} // namespace

TEST_F(DifferenceStats, AgreeWithTheReferenceComputation)
{
    loadReferenceArchive();
    expectReferenceValues({u"DIFA"_s, u"DIFM"_s, u"DIFD"_s, u"DIFO"_s, u"DIFK"_s, u"KDS2"_s, u"KDS3"_s, u"KDS4"_s});
    expectReferenceGraphs({u"DIFM"_s, u"DIFD"_s, u"DIFK"_s});
    for (const QString &code : {u"DIFA"_s, u"DIFM"_s, u"DIFD"_s, u"DIFO"_s, u"DIFK"_s})
        expectDrawCombAndFilterAgree(code);
    // The runs of differences depend on the order alone: a combination on its own gives none.
    for (const QString &code : {u"KDS2"_s, u"KDS3"_s, u"KDS4"_s})
        expectDrawCombAndFilterAgree(code, false);

    const int L = int(draws.size());
    EXPECT_EQ(StatValuesSummary(compute(u"DIFA"_s)).Total, 5 * L);
    EXPECT_EQ(StatValuesSummary(compute(u"KDS2"_s, true)).Total, 4 * L);
    EXPECT_EQ(StatValuesSummary(compute(u"KDS4"_s)).Total, 2 * L);
}

TEST_F(DifferenceStats, EqualSteps)
{
    draws = {makeDraw(1, {5, 10, 15, 20, 25, 30})};
    EXPECT_EQ(counted(u"DIFA"_s), u"5=5");
    EXPECT_EQ(counted(u"DIFM"_s), u"5=1");
    EXPECT_EQ(counted(u"DIFD"_s), u"25=1");
    EXPECT_EQ(counted(u"DIFO"_s), u"5 x 5=1");
    EXPECT_EQ(counted(u"DIFK"_s), u"5=1");
    EXPECT_EQ(counted(u"KDS2"_s), u"5:5=4");
    EXPECT_EQ(counted(u"KDS3"_s), u"5:5:5=3");
    EXPECT_EQ(counted(u"KDS4"_s), u"5:5:5:5=2");
    // Enumerated: 1..44 for the differences and the spread, 1..5 for the repeats; nothing for DIFO, KDS.
    EXPECT_EQ(compute(u"DIFA"_s).size(), 44);
    EXPECT_EQ(compute(u"DIFD"_s).size(), 44);
    EXPECT_EQ(compute(u"DIFK"_s).size(), 5);
    EXPECT_EQ(compute(u"DIFO"_s).size(), 1);
    EXPECT_EQ(compute(u"KDS3"_s).size(), 1);
}

TEST_F(DifferenceStats, DrawnOrderAgainstSortedOrder)
{
    draws = {makeDraw(1, {30, 5, 17, 2, 44, 9})};
    EXPECT_EQ(counted(u"DIFA"_s), u"12=1, 15=1, 25=1, 35=1, 42=1"); // enumerated order: by value
    EXPECT_EQ(counted(u"DIFM"_s), u"42=1");
    EXPECT_EQ(counted(u"DIFK"_s), u"1=1");
    EXPECT_EQ(counted(u"KDS2"_s), u"25:12=1, 12:15=1, 15:42=1, 42:35=1");
    EXPECT_EQ(counted(u"DIFO"_s), u"25 x 1=1, 12 x 1=1, 15 x 1=1, 42 x 1=1, 35 x 1=1");
    EXPECT_EQ(counted(u"DIFA"_s, true), u"3=1, 4=1, 8=1, 13=1, 14=1");
    EXPECT_EQ(counted(u"DIFM"_s, true), u"14=1");
    EXPECT_EQ(counted(u"KDS3"_s, true), u"3:4:8=1, 4:8:13=1, 8:13:14=1");
    EXPECT_EQ(counted(u"DIFD"_s, false), u"42=1");
    EXPECT_EQ(counted(u"DIFD"_s, true), u"42=1");

    auto m = stat(u"DIFM"_s);
    EXPECT_EQ(graph(m).GraphValue(0, 0, false), 42);
    EXPECT_EQ(graph(m).GraphValue(0, 0, true), 14);
}

TEST_F(DifferenceStats, RepeatedDifferences)
{
    draws = {makeDraw(1, {1, 3, 5, 10, 12, 14})}; // 2, 2, 5, 2, 2
    EXPECT_EQ(counted(u"DIFO"_s), u"2 x 4=1, 5 x 1=1");
    EXPECT_EQ(counted(u"DIFK"_s), u"4=1");
    EXPECT_EQ(counted(u"DIFM"_s), u"5=1");
    EXPECT_EQ(counted(u"DIFD"_s), u"13=1");
    EXPECT_EQ(counted(u"KDS2"_s), u"2:2=2, 2:5=1, 5:2=1");
    EXPECT_EQ(counted(u"KDS4"_s), u"2:2:5:2=1, 2:5:2:2=1");

    // The filters compare whole values: a difference with another repeat count, or a shorter run whose
    // first keys agree, is not the same value.
    const TComb comb = makeComb({1, 3, 5, 10, 12, 14});
    EXPECT_TRUE(stat(u"DIFO"_s)->CombMatches(comb, selection({TStatKeys::of(5, 1)}), 0, false, false));
    EXPECT_FALSE(
        stat(u"DIFO"_s)->CombMatches(comb, selection({TStatKeys::of(2, 3), TStatKeys::of(5)}), 0, false, false));
    EXPECT_TRUE(stat(u"KDS3"_s)->CombMatches(comb, selection({TStatKeys::of(5, 2, 2)}), 0, false, false));
    EXPECT_FALSE(stat(u"KDS3"_s)->CombMatches(comb, selection({TStatKeys::of(2, 2, 5, 2)}), 0, false, false));
    EXPECT_FALSE(stat(u"KDS2"_s)->CombMatches(comb, selection({TStatKeys::of(2, 2, 5)}), 0, false, false));
}

TEST_F(DifferenceStats, OnlyTheFirstDifferenceMeasuresIntervals)
{
    // d = 2, 5, 12, 10, 14 and 2, 5, 8, 13, 10.
    draws = {makeDraw(10, {1, 3, 8, 20, 30, 44}), makeDraw(14, {3, 5, 10, 18, 31, 41})};
    const TStatDrawArray v = compute(u"DIFA"_s);
    for (uint16_t d : {2, 5, 10}) {
        const TStatValueRec *r = find(v, TStatKeys::of(d));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->Count, 2) << d;
        EXPECT_EQ(r->PrevDraw, 14) << d;
        EXPECT_EQ(r->LastDraw, 14) << d;
        EXPECT_EQ(r->Depth, 1) << d;
        EXPECT_EQ(r->MinInterval, d == 2 ? 4 : 0) << d;
        EXPECT_EQ(r->MaxInterval, d == 2 ? 4 : 0) << d;
    }
    // Runs of differences: only the first run of a draw.
    draws = {makeDraw(10, {1, 3, 5, 7, 20, 22}), makeDraw(13, {40, 42, 44, 45, 43, 41})}; // 2:2 first and last
    const TStatDrawArray k = compute(u"KDS2"_s);
    const TStatValueRec *r = find(k, TStatKeys::of(2, 2));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Count, 4);
    EXPECT_EQ(r->MinInterval, 3);
    EXPECT_EQ(r->MaxInterval, 3);
    draws = {makeDraw(10, {1, 3, 5, 7, 20, 22}), makeDraw(13, {40, 41, 43, 45, 44, 42})}; // 2:2 not first
    const TStatDrawArray k2 = compute(u"KDS2"_s);
    const TStatValueRec *late = find(k2, TStatKeys::of(2, 2));
    ASSERT_TRUE(late);
    EXPECT_EQ(late->Count, 3);
    EXPECT_EQ(late->MinInterval, 0);
    EXPECT_EQ(late->PrevDraw, 13);
}
