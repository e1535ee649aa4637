#include "lottery/stats/StatList.h"
#include "tests/support/DrawsStatTestData.h"
#include "app/statistics/DrawsStatCalc.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

QString joined(const TDrawsStatRow &row)
{
    QStringList parts;
    for (const QString &t : row.texts)
        parts.append(t);
    return parts.join(u';');
}

// The all-combinations distribution of EVEN: C(22, k) * C(23, 6 - k) combinations have k even numbers.
TStatPrefetch evenPrefetch()
{
    TStatPrefetch p;
    const int32_t counts[] = {100947, 740278, 2045505, 2727340, 1850695, 605682, 74613};
    for (uint16_t k = 0; k <= 6; ++k)
        p.records.push_back(TPrefetchRec{{k, 0, 0, 0}, counts[k]});
    p.minCount = 74613;
    p.maxCount = 2727340;
    return p;
}

class DrawsStatCalc : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&draws);
        list.RebuildMethods();
    }
    TDrawsStatResult calc(const QString &code, int length, int offset, const TStatPrefetch *prefetch = nullptr,
                          bool sorted = false)
    {
        const int i = list.FindMethod(code);
        EXPECT_GE(i, 0) << code.toStdString();
        TDrawsStatParams p;
        p.list = &list;
        p.method = i >= 0 ? &list.GetMethod(i) : nullptr;
        p.sampleLength = length;
        p.offset = offset;
        p.prefetch = prefetch;
        p.sortedDraws = sorted;
        p.showTotalLine = true;
        return CalcDrawsStat(p);
    }
    static const TDrawsStatRow *rowOf(const TDrawsStatResult &r, const QString &value)
    {
        for (const TDrawsStatRow &row : r.rows)
            if (row.texts[dscValue] == value)
                return &row;
        return nullptr;
    }

    TDrawsArray draws;
    TStatList list;
};

} // namespace

TEST_F(DrawsStatCalc, HandMadeNumbersWithHiddenDraws)
{
    draws = handMadeDraws();
    // Sample 101..108 (length 8, the two newest draws hidden): n = 8, total 48.
    const TDrawsStatResult r = calc(u"NUMS"_s, 8, 2);
    ASSERT_TRUE(r.computed);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 7);
    EXPECT_EQ(r.sampleSize, 8);
    ASSERT_EQ(r.rows.size(), 45u);
    const std::map<int, const char *> expected = {
        {1, "1;1;2.08333;-;-;-;6;75.00;6.00;103;-;-;-;-;206;156;110;-;+96;+46"},
        {2, "2;2;4.16667;-;-;-;2;25.00;2.00;107;4;4.0000;4;111;160;144;-;-;-;-"},
        {3, "3;3;6.25000;-;-;-;3;37.50;3.00;106;2;2.6667;3;109;141;134;109;0;+32;+25"},
        {4, "4;1;2.08333;-;-;-;6;75.00;6.00;103;-;-;-;-;206;156;-;-;-;-"},
        {5, "5;2;4.16667;-;-;-;6;75.00;6.00;103;1;4.0000;1;107;154;139;-;-;-;-"},
        {6, "6;2;4.16667;-;-;-;1;12.50;1.00;108;5;4.0000;5;112;162;145;-;-;-;-"},
        {7, "7;2;4.16667;-;-;-;4;50.00;4.00;105;4;4.0000;4;109;158;141;-;-;-;-"},
        {8, "8;1;2.08333;-;-;-;4;50.00;4.00;105;-;-;-;-;210;159;109;-;+101;+50"},
        {9, "9;2;4.16667;-;-;-;4;50.00;4.00;105;3;4.0000;3;109;158;141;-;-;-;-"},
        {10, "10;1;2.08333;-;-;-;4;50.00;4.00;105;-;-;-;-;210;159;-;-;-;-"},
        {11, "11;1;2.08333;-;-;-;4;50.00;4.00;105;-;-;-;-;210;159;-;-;-;-"},
        {12, "12;1;2.08333;-;-;-;4;50.00;4.00;105;-;-;-;-;210;159;-;-;-;-"},
        {13, "13;1;2.08333;-;-;-;2;25.00;2.00;107;-;-;-;-;214;162;-;-;-;-"},
        {14, "14;5;10.41667;-;-;-;1;12.50;1.00;108;1;1.6000;2;110;130;127;109;+1;+21;+18"},
        {19, "19;1;2.08333;-;-;-;3;37.50;3.00;106;-;-;-;-;212;160;110;-;+102;+50"},
        {20, "20;1;2.08333;-;-;-;5;62.50;5.00;104;-;-;-;-;208;158;-;-;-;-"},
        {21, "21;1;2.08333;-;-;-;1;12.50;1.00;108;-;-;-;-;216;164;-;-;-;-"},
        {22, "22;1;2.08333;-;-;-;7;87.50;7.00;102;-;-;-;-;204;154;109;-;+95;+45"},
        {24, "24;1;2.08333;-;-;-;2;25.00;2.00;107;-;-;-;-;214;162;-;-;-;-"},
        {25, "25;1;2.08333;-;-;-;8;100.00;8.00;101;-;-;-;-;202;153;-;-;-;-"},
        {28, "28;1;2.08333;-;-;-;3;37.50;3.00;106;-;-;-;-;212;160;-;-;-;-"},
        {29, "29;1;2.08333;-;-;-;1;12.50;1.00;108;-;-;-;-;216;164;-;-;-;-"},
        {30, "30;1;2.08333;-;-;-;7;87.50;7.00;102;-;-;-;-;204;154;109;-;+95;+45"},
        {33, "33;1;2.08333;-;-;-;5;62.50;5.00;104;-;-;-;-;208;158;110;-;+98;+48"},
        {35, "35;1;2.08333;-;-;-;2;25.00;2.00;107;-;-;-;-;214;162;-;-;-;-"},
        {36, "36;1;2.08333;-;-;-;8;100.00;8.00;101;-;-;-;-;202;153;-;-;-;-"},
        {37, "37;1;2.08333;-;-;-;3;37.50;3.00;106;-;-;-;-;212;160;-;-;-;-"},
        {38, "38;1;2.08333;-;-;-;1;12.50;1.00;108;-;-;-;-;216;164;-;-;-;-"},
        {40, "40;1;2.08333;-;-;-;3;37.50;3.00;106;-;-;-;-;212;160;110;-;+102;+50"},
        {41, "41;4;8.33333;-;-;-;2;25.00;2.00;107;1;2.0000;3;109;134;130;109;0;+25;+21"},
        {43, "43;1;2.08333;-;-;-;1;12.50;1.00;108;-;-;-;-;216;164;-;-;-;-"},
        {44, "44;1;2.08333;-;-;-;5;62.50;5.00;104;-;-;-;-;208;158;-;-;-;-"},
        {45, "45;2;4.16667;-;-;-;2;25.00;2.00;107;3;4.0000;3;111;160;144;110;+1;+50;+34"},
    };
    // The values come in the statistic's order (1..45); those absent from the sample have count 0,
    // "0.00000" and dashes from the depth on.
    for (int v = 1; v <= 45; ++v) {
        const TDrawsStatRow &row = r.rows[size_t(v - 1)];
        const auto it = expected.find(v);
        const QString want = it != expected.end()
                                 ? QString::fromUtf8(it->second)
                                 : QString::number(v) + u";0;0.00000;-;-;-;-;-;-;-;-;-;-;-;-;-;-;-;-;-"_s;
        EXPECT_EQ(joined(row), want) << v;
    }
    // The row keeps its record for sorting and filtering.
    EXPECT_EQ(r.rows[13].rec.Count, 5);
    EXPECT_EQ(r.rows[13].rec.LastDraw, 108);
    EXPECT_EQ(r.rows[13].rec.Keys.word(1), 14);
}

TEST_F(DrawsStatCalc, SeriesFactIsTheHiddenDrawWhereTheSeriesHasThatLength)
{
    // Sixty draws; the twelve newest are hidden. For a group "v x len" the fact is the first hidden
    // draw that contains v and ends a run of exactly len draws containing v, counted independently
    // here from the first draw of the archive.
    uint32_t seed = 2024;
    auto next = [&seed](int bound) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 9) % uint32_t(bound));
    };
    draws.clear();
    for (int i = 0; i < 60; ++i) {
        std::array<uint8_t, 6> main{};
        bool used[46] = {};
        for (uint8_t &n : main) {
            int v;
            do
                v = 1 + next(12); // few numbers: long groups
            while (used[v]);
            used[v] = true;
            n = uint8_t(v);
        }
        draws.push_back(makeStatDraw(1000 + i, main));
    }
    constexpr int kHidden = 12;
    const int last = int(draws.size()) - 1 - kHidden;

    struct Family {
        QString code;
        std::function<int(int n)> valueOf;
    };
    const Family families[] = {
        {u"GRPV"_s, [](int n) { return n; }},
        {u"GRCV"_s, [this](int n) { return (n - 1) / list.Config.channelSize + 1; }},
    };
    for (const Family &f : families) {
        SCOPED_TRACE(f.code.toStdString());
        auto has = [&](int index, int v) {
            for (uint8_t n : draws[size_t(index)].main)
                if (f.valueOf(n) == v)
                    return true;
            return false;
        };
        auto runEndingAt = [&](int index, int v) {
            int length = 0;
            for (int i = index; i >= 0 && has(i, v); --i)
                ++length;
            return length;
        };
        const TDrawsStatResult r = calc(f.code, 1000, kHidden);
        int facts = 0;
        for (const TDrawsStatRow &row : r.rows) {
            const int v = row.rec.Keys.word(1);
            const int length = row.rec.Keys.word(2);
            QString expected = u"-"_s;
            for (int j = last + 1; j < int(draws.size()); ++j)
                if (has(j, v) && runEndingAt(j, v) == length) {
                    expected = QString::number(draws[size_t(j)].number);
                    break;
                }
            EXPECT_EQ(row.texts[dscFact], expected) << row.texts[dscValue].toStdString();
            // Never the sample's own last draw.
            EXPECT_NE(row.texts[dscFact], QString::number(draws[size_t(last)].number));
            facts += expected != u"-"_s;
        }
        EXPECT_GT(facts, 0);
    }
}

TEST_F(DrawsStatCalc, CutSampleAndNoOffset)
{
    draws = handMadeDraws();
    // Sample 106..110: with nothing hidden, the fact columns are dashes for every value.
    const TDrawsStatResult r = calc(u"NUMS"_s, 5, 0);
    EXPECT_EQ(r.sampleSize, 5);
    EXPECT_EQ(joined(*rowOf(r, u"14"_s)), u"14;3;10.00000;-;-;-;2;40.00;2.00;109;1;1.6667;2;111;145;138;-;-;-;-");
    EXPECT_EQ(joined(*rowOf(r, u"41"_s)), u"41;2;6.66667;-;-;-;2;40.00;2.00;109;2;2.5000;2;112;164;147;-;-;-;-");
    EXPECT_EQ(joined(*rowOf(r, u"45"_s)), u"45;2;6.66667;-;-;-;1;20.00;1.00;110;3;2.5000;3;112;165;148;-;-;-;-");
    for (const TDrawsStatRow &row : r.rows)
        for (int c = dscFact; c <= dscDeltaKrn; ++c)
            EXPECT_EQ(row.texts[size_t(c)], u"-");

    // A length beyond the archive is cut at the oldest draw: n is the real sample size.
    const TDrawsStatResult all = calc(u"NUMS"_s, 1000, 0);
    EXPECT_EQ(all.first, 0);
    EXPECT_EQ(all.sampleSize, 10);
    EXPECT_EQ(all.summary.Total, 60);
    EXPECT_EQ(all.rows[13].texts[dscPeriod], u"1.6667"); // 10 / 6
}

TEST_F(DrawsStatCalc, OffsetBeyondArchiveGivesEmptySample)
{
    draws = handMadeDraws();
    for (int offset : {10, 11, 5000}) {
        const TDrawsStatResult r = calc(u"NUMS"_s, 1000, offset);
        ASSERT_TRUE(r.computed);
        EXPECT_EQ(r.sampleSize, 0);
        ASSERT_EQ(r.rows.size(), 45u) << offset;
        for (const TDrawsStatRow &row : r.rows) {
            EXPECT_EQ(row.texts[dscCount], u"0");
            EXPECT_EQ(row.texts[dscCountPct], u"-"); // the total is 0
            for (int c = dscDepth; c < kDrawsStatColumns; ++c)
                EXPECT_EQ(row.texts[size_t(c)], u"-");
        }
    }
    // A statistic that enumerates nothing gives an empty table.
    EXPECT_TRUE(calc(u"DIGS"_s, 1000, 10).rows.empty());
}

TEST_F(DrawsStatCalc, NothingWithoutDrawsOrMethod)
{
    EXPECT_FALSE(calc(u"NUMS"_s, 1000, 0).computed);
    draws = handMadeDraws();
    TDrawsStatParams p;
    p.list = &list;
    EXPECT_FALSE(CalcDrawsStat(p).computed);
    // A length below 1 counts as one draw.
    EXPECT_EQ(calc(u"NUMS"_s, 0, 0).sampleSize, 1);
}

TEST_F(DrawsStatCalc, NormsFromTheAllCombinationsDistribution)
{
    draws = handMadeDraws();
    // EVEN over all ten draws: largest actual count 6 (3:3), scale 6 / 2727340.
    const TStatPrefetch prefetch = evenPrefetch();
    const TDrawsStatResult r = calc(u"EVEN"_s, 10, 0, &prefetch);
    ASSERT_TRUE(r.normsKnown);
    const char *expected[] = {
        "1:5;1;10.00000;2;-1;-50.00000;1;25.00;2.00;110;-;-;-;-;220;166;-;-;-;-",
        "2:4;2;20.00000;4;-2;-50.00000;4;100.00;6.00;107;6;5.0000;6;112;160;144;-;-;-;-",
        "3:3;6;60.00000;6;0;0.00000;3;75.00;3.00;108;1;1.6667;2;110;126;125;-;-;-;-",
        "4:2;1;10.00000;4;-3;-75.00000;2;50.00;5.00;109;-;-;-;-;218;165;-;-;-;-",
        "5:1;0;0.00000;1;-1;-100.00000;-;-;-;-;-;-;-;-;-;-;-;-;-;-",
        "6:0;0;0.00000;0;0;0.00000;-;-;-;-;-;-;-;-;-;-;-;-;-;-",
    };
    ASSERT_EQ(r.rows.size(), 6u);
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(joined(r.rows[i]), QString::fromUtf8(expected[i]));

    // The chart follows the file: seven points of the full set, the actual series only where the sample
    // has the value (0:6 is not enumerated and did not occur).
    ASSERT_TRUE(r.chart.hasTotal);
    EXPECT_EQ(r.chart.labels, (QStringList{u"0:6"_s, u"1:5"_s, u"2:4"_s, u"3:3"_s, u"4:2"_s, u"5:1"_s, u"6:0"_s}));
    ASSERT_EQ(r.chart.total.size(), 7);
    EXPECT_DOUBLE_EQ(r.chart.total[3].y(), 6.0);
    EXPECT_NEAR(r.chart.total[0].y(), 100947.0 * 6 / 2727340, 1e-9);
    ASSERT_EQ(r.chart.actual.size(), 6);
    EXPECT_EQ(r.chart.actual[0], QPointF(2, 1));
    EXPECT_EQ(r.chart.actual[2], QPointF(4, 6));

    // Without the total line the actual series alone is drawn.
    TDrawsStatParams p;
    p.list = &list;
    p.method = &list.GetMethod(list.FindMethod(u"EVEN"));
    p.sampleLength = 10;
    p.prefetch = &prefetch;
    EXPECT_FALSE(CalcDrawsStat(p).chart.hasTotal);
}

TEST_F(DrawsStatCalc, FlatDistributionAndMissingNorms)
{
    draws = handMadeDraws();
    // Every number is in C(44, 5) combinations: the norm is the mean of the smallest (0) and the
    // largest (6, the number 14) actual count.
    TStatPrefetch flat;
    for (uint16_t n = 1; n <= 45; ++n)
        flat.records.push_back(TPrefetchRec{{n, 0, 0, 0}, 1086008});
    flat.minCount = flat.maxCount = 1086008;
    const TDrawsStatResult r = calc(u"NUMS"_s, 10, 0, &flat);
    EXPECT_EQ(r.rows[13].texts[dscNorm], u"3");
    EXPECT_EQ(r.rows[13].texts[dscDeviation], u"3");
    EXPECT_EQ(r.rows[13].texts[dscDeviationPct], u"100.00000");
    EXPECT_EQ(r.rows[14].texts[dscDeviationPct], u"-100.00000"); // 15 never occurred

    // Over many samples the norm is the exact mean of the smallest and largest count, a half going
    // to the even neighbour (26.5 gives 26, 27.5 gives 28).
    draws = referenceArchive();
    int halves = 0;
    for (int length = 1; length <= 400; ++length) {
        const TDrawsStatResult s = calc(u"NUMS"_s, length, 0, &flat);
        const int64_t sum = int64_t(s.summary.MinCount) + s.summary.MaxCount;
        const int64_t mean = sum / 2 + (sum % 2 != 0 && (sum / 2) % 2 != 0 ? 1 : 0);
        halves += sum % 2 != 0 ? 1 : 0;
        ASSERT_EQ(s.rows[0].texts[dscNorm], QString::number(mean)) << length;
    }
    EXPECT_GT(halves, 100);

    // A file whose largest count is 0 gives no norms.
    TStatPrefetch none;
    none.minCount = 2147483647;
    none.maxCount = 0;
    const TDrawsStatResult n = calc(u"NUMS"_s, 10, 0, &none);
    EXPECT_FALSE(n.normsKnown);
    EXPECT_EQ(n.rows[0].texts[dscNorm], u"-");
}

// The page sorts a long table in pieces, letting the window work between them; the order must be the
// one the scenario steps get in one go.
TEST_F(DrawsStatCalc, SortingInPiecesGivesTheSameOrder)
{
    draws = referenceArchive();
    const TDrawsStatResult r = calc(u"KNM3"_s, 2000, 0); // over ten thousand values, many counts equal
    ASSERT_GT(r.rows.size(), 10000u);
    for (const auto &[column, descending] : {std::pair{int(dscCount), false}, std::pair{int(dscDepth), true}}) {
        std::vector<int> whole(r.rows.size());
        std::iota(whole.begin(), whole.end(), 0);
        std::vector<int> pieces = whole;
        SortDrawsStatRows(whole, r.rows, column, descending);
        int calls = 0;
        SortDrawsStatRows(pieces, r.rows, column, descending, [&] { ++calls; });
        EXPECT_EQ(pieces, whole) << column << " " << descending;
        EXPECT_GT(calls, 5);
    }
}

TEST_F(DrawsStatCalc, ChartWithoutNormsInKeyOrder)
{
    draws = handMadeDraws();
    const TDrawsStatResult r = calc(u"NUMS"_s, 10, 0);
    ASSERT_EQ(r.chart.labels.size(), 45);
    EXPECT_FALSE(r.chart.hasTotal);
    EXPECT_TRUE(r.chart.total.isEmpty());
    EXPECT_EQ(r.chart.labels.front(), u"1");
    EXPECT_EQ(r.chart.actual[13], QPointF(14, 6));

    // One value alone is not charted.
    draws = {makeStatDraw(1, {2, 4, 6, 8, 10, 12})};
    const TDrawsStatResult one = calc(u"POE1"_s, 10, 0);
    EXPECT_EQ(one.rows.size(), 1u);
    EXPECT_TRUE(one.chart.empty());
}

TEST_F(DrawsStatCalc, SortedDrawsTakeNumbersAscending)
{
    draws = handMadeDraws();
    // POS1 in drawn order: the first numbers 3 5 1 14 7 3 2 6 14 1; ascending: the smallest numbers
    // 3 5 1 14 7 3 2 6 3 1.
    EXPECT_EQ(rowOf(calc(u"POS1"_s, 10, 0), u"14"_s)->texts[dscCount], u"2");
    const TDrawsStatResult sorted = calc(u"POS1"_s, 10, 0, nullptr, true);
    EXPECT_EQ(rowOf(sorted, u"14"_s)->texts[dscCount], u"1");
    EXPECT_EQ(rowOf(sorted, u"3"_s)->texts[dscCount], u"3");
}

TEST(DrawsStatRules, RoundHalfEven)
{
    const std::tuple<int64_t, int64_t, int64_t> ratios[] = {{53, 2, 26},  {55, 2, 28},     {2711, 2, 1356}, {-5, 2, -2},
                                                             {-7, 2, -4}, {7, -2, -4},     {10, 4, 2},      {11, 4, 3},
                                                             {9, 4, 2},   {0, 3, 0},       {5, 0, 0},
                                                             {INT64_MAX, INT64_MAX, 1}};
    for (const auto &[n, d, expected] : ratios)
        EXPECT_EQ(RoundHalfEvenRatio(n, d), expected) << n << "/" << d;
    const std::pair<long double, int64_t> cases[] = {
        {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {137.5L, 138}, {2.4999L, 2}, {2.5001L, 3}, {-0.5L, 0}, {-1.5L, -2},
        {-2.6L, -3}, {7.0L, 7},
    };
    for (const auto &[x, want] : cases)
        EXPECT_EQ(RoundHalfEven(x), want) << double(x);
}

// A line of many values is drawn through the lowest and highest point of each stretch: the same line.
TEST(DrawsStatRules, ThinChartPoints)
{
    QList<QPointF> few;
    for (int x = 1; x <= 40; ++x)
        few.append(QPointF(x, x % 7));
    EXPECT_EQ(ThinChartPoints(few, 20), few);

    QList<QPointF> many;
    uint32_t seed = 5;
    for (int x = 1; x <= 100003; ++x)
        many.append(QPointF(x, double((seed = seed * 1103515245u + 12345u) >> 20)));
    const int stretches = 700;
    const QList<QPointF> thin = ThinChartPoints(many, stretches);
    ASSERT_LE(thin.size(), 2 * stretches + 2);
    EXPECT_EQ(thin.front(), many.front());
    EXPECT_EQ(thin.back(), many.back());
    for (qsizetype i = 1; i < thin.size(); ++i)
        ASSERT_LT(thin[i - 1].x(), thin[i].x());
    // Every point kept is a point of the line, and each stretch keeps its lowest and highest count.
    for (const QPointF &p : thin)
        ASSERT_EQ(many[qsizetype(p.x()) - 1], p);
    for (int s = 0; s < stretches; ++s) {
        const qsizetype begin = many.size() * s / stretches;
        const qsizetype end = many.size() * (s + 1) / stretches;
        double low = many[begin].y();
        double high = low;
        for (qsizetype i = begin; i < end; ++i) {
            low = std::min(low, many[i].y());
            high = std::max(high, many[i].y());
        }
        bool hasLow = false;
        bool hasHigh = false;
        for (const QPointF &p : thin)
            if (p.x() > double(begin) && p.x() <= double(end)) {
                hasLow = hasLow || p.y() == low;
                hasHigh = hasHigh || p.y() == high;
            }
        ASSERT_TRUE(hasLow && hasHigh) << s;
    }
}

TEST(DrawsStatRules, RowForExport)
{
    TDrawsStatRow row;
    for (int c = 0; c < kDrawsStatColumns; ++c)
        row.texts[size_t(c)] = u"c"_s + QString::number(c);
    const TStatValues v = StatRowForExport(&row);
    EXPECT_EQ(v.ValueText, u"c0");
    EXPECT_EQ(v.Count, u"c1");
    EXPECT_EQ(v.CountPct, u"c2");
    EXPECT_EQ(v.Deviation, u"c4");
    EXPECT_EQ(v.DeviationPct, u"c5");
    EXPECT_EQ(v.Depth, u"c6");
    EXPECT_EQ(v.DepthPct, u"c7");
    EXPECT_EQ(v.Weight, u"c8");
    EXPECT_EQ(v.PeriodMin, u"c10");
    EXPECT_EQ(v.Period, u"c11");
    EXPECT_EQ(v.PeriodMax, u"c12");
    EXPECT_EQ(StatRowForExport(nullptr), TStatValues{});
}

TEST(DrawsStatRules, CacheNoticesEveryInput)
{
    TDrawsStatCache cache;
    TDrawsStatKey key{2000, 7, 0, 1000, u"NUMS"_s, false, false, TWeightCoefs{}};
    EXPECT_TRUE(cache.update(key));
    EXPECT_FALSE(cache.update(key));
    auto changed = [&](auto edit) {
        TDrawsStatKey k = key;
        edit(k);
        const bool r = cache.update(k);
        cache.update(key);
        return r;
    };
    EXPECT_TRUE(changed([](TDrawsStatKey &k) { k.revision = 8; })); // a draw edited in place
    EXPECT_TRUE(changed([](TDrawsStatKey &k) { k.weights.count = 2; })); // the weight column follows them
    EXPECT_TRUE(changed([](TDrawsStatKey &k) { k.drawCount = 2001; }));
    EXPECT_TRUE(changed([](TDrawsStatKey &k) { k.offset = 3; }));
    EXPECT_TRUE(changed([](TDrawsStatKey &k) { k.sampleLength = 999; }));
    EXPECT_TRUE(changed([](TDrawsStatKey &k) { k.method = u"POS1"_s; }));
    EXPECT_TRUE(changed([](TDrawsStatKey &k) { k.sortedDraws = true; }));
    EXPECT_FALSE(cache.update(key));
    cache.clear();
    EXPECT_TRUE(cache.update(key));
}

// A real-looking archive of 2,000 draws (3001..5000) against the reference computation.
TEST_F(DrawsStatCalc, AgreesWithTheReferenceOnTwoThousandDraws)
{
    draws = referenceArchive();
    ASSERT_EQ(draws.size(), 2000u);
    const std::map<QString, QStringList> expected = referenceRows();
    ASSERT_EQ(expected.size(), 4u);
    for (const auto &[name, rows] : expected) {
        const QStringList parts = name.split(u'/');
        const TDrawsStatResult r = calc(parts[0], parts[1].toInt(), parts[2].toInt());
        ASSERT_EQ(int(r.rows.size()), rows.size()) << name.toStdString();
        for (int i = 0; i < rows.size(); ++i)
            EXPECT_EQ(joined(r.rows[size_t(i)]), rows[i]) << name.toStdString();
    }
}
