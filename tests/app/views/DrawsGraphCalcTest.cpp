#include "lottery/stats/StatList.h"
#include "tests/support/DrawsStatTestData.h"
#include "app/views/DrawsGraphCalc.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The ten hand-made draws 101..110. Their sums, worked out by hand:
// 126 121 21 197 57 141 160 151 118 165; their counts of even numbers: 2 3 3 3 3 3 2 3 4 1.
class DrawsGraphCalc : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&draws);
        list.RebuildMethods();
    }
    TDrawsGraphResult calc(const QString &code, int length, int offset)
    {
        const int i = list.FindMethod(code);
        EXPECT_GE(i, 0) << code.toStdString();
        TDrawsGraphParams p;
        p.list = &list;
        p.method = i >= 0 ? &list.GetMethod(i) : nullptr;
        p.length = length;
        p.offset = offset;
        return CalcDrawsGraph(p);
    }
    static std::vector<double> ys(const QList<QPointF> &points)
    {
        std::vector<double> v;
        for (const QPointF &p : points)
            v.push_back(p.y());
        return v;
    }
    static std::vector<double> xs(const QList<QPointF> &points)
    {
        std::vector<double> v;
        for (const QPointF &p : points)
            v.push_back(p.x());
        return v;
    }

    TDrawsArray draws = handMadeDraws();
    TStatList list;
};

TEST_F(DrawsGraphCalc, SumsOfTheNewestDrawsByDrawNumber)
{
    const TDrawsGraphResult r = calc(u"SUMS"_s, 4, 0);
    ASSERT_TRUE(r.computed);
    EXPECT_EQ(xs(r.values), (std::vector<double>{107, 108, 109, 110}));
    EXPECT_EQ(ys(r.values), (std::vector<double>{160, 151, 118, 165}));
    EXPECT_DOUBLE_EQ(r.meanValue, 148.5);
    // Every value occurs once: the first of them is the most frequent.
    EXPECT_EQ(r.mostFrequentValue, 160);
    EXPECT_EQ(ys(r.mean), std::vector<double>(4, 148.5));
    EXPECT_EQ(ys(r.mostFrequent), std::vector<double>(4, 160));
    EXPECT_EQ(xs(r.mean), xs(r.values));
}

TEST_F(DrawsGraphCalc, OffsetLengthAndTheMostFrequentValue)
{
    // Draws 106..109 (the newest one hidden): 3 2 3 4.
    TDrawsGraphResult r = calc(u"EVEN"_s, 4, 1);
    EXPECT_EQ(ys(r.values), (std::vector<double>{3, 2, 3, 4}));
    EXPECT_DOUBLE_EQ(r.meanValue, 3.0);
    EXPECT_EQ(r.mostFrequentValue, 3);

    // 109 and 110: 4 and 1 once each; the tie goes to the value met first.
    r = calc(u"EVEN"_s, 2, 0);
    EXPECT_EQ(r.mostFrequentValue, 4);
    EXPECT_DOUBLE_EQ(r.meanValue, 2.5);

    // A length beyond the archive takes every draw.
    r = calc(u"SUMS"_s, 100, 0);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.values.size(), 10);
    EXPECT_DOUBLE_EQ(r.meanValue, 125.7);
    EXPECT_EQ(r.mostFrequentValue, 126);
}

TEST_F(DrawsGraphCalc, OneDrawNoDrawsAndNoMethod)
{
    // One draw: the flat lines go through its point.
    TDrawsGraphResult r = calc(u"SUMS"_s, 1, 0);
    ASSERT_EQ(r.values.size(), 1);
    EXPECT_EQ(r.mean.first(), QPointF(110, 165));
    EXPECT_EQ(r.mostFrequent.first(), QPointF(110, 165));

    // Every draw hidden by the offset: nothing to draw, and no division by zero.
    r = calc(u"SUMS"_s, 5, 10);
    EXPECT_TRUE(r.values.isEmpty());
    EXPECT_TRUE(r.mean.isEmpty());

    TDrawsGraphParams none;
    none.list = &list;
    EXPECT_FALSE(CalcDrawsGraph(none).computed);

    draws.clear();
    EXPECT_FALSE(calc(u"SUMS"_s, 5, 0).computed);
}

TEST(DrawsGraphMostFrequent, FirstListedWinsATieAndEmptyGivesZero)
{
    EXPECT_EQ(MostFrequentValue({}), 0);
    EXPECT_EQ(MostFrequentValue({{7, 2}, {5, 3}, {9, 3}}), 5);
    EXPECT_EQ(MostFrequentValue({{-4, 1}}), -4);
}

TEST(DrawsGraphCache, RedrawsOnlyWhenAnInputChanges)
{
    TDrawsGraphCache cache;
    TDrawsGraphKey key{10, 1, 0, 100, u"SUMS"_s, false};
    EXPECT_TRUE(cache.update(key));
    EXPECT_FALSE(cache.update(key));

    // An edited draw keeps the count but not the revision; another method at the same place of the
    // list has another code; sorting the draws changes some methods' values.
    for (auto change : std::initializer_list<void (*)(TDrawsGraphKey &)>{
             [](TDrawsGraphKey &k) { ++k.revision; }, [](TDrawsGraphKey &k) { k.method = u"EVEN"_s; },
             [](TDrawsGraphKey &k) { k.sortedDraws = true; }, [](TDrawsGraphKey &k) { k.offset = 3; },
             [](TDrawsGraphKey &k) { k.length = 50; }, [](TDrawsGraphKey &k) { ++k.drawCount; }}) {
        TDrawsGraphKey changed = key;
        change(changed);
        EXPECT_TRUE(cache.update(changed));
        EXPECT_TRUE(cache.update(key));
    }
    cache.clear();
    EXPECT_TRUE(cache.update(key));
}

} // namespace
