#include "SingleDrawStatsFixture.h"

#include "lottery/stats/SumStats.h"

using namespace Qt::StringLiterals;
using namespace single_draw_stats;

namespace {

class SumStats : public SingleDrawStats {
protected:
    QString text(const QString &code, TStatKeys keys)
    {
        TStatValueRec r;
        r.Keys = keys;
        return stat(code)->ValueToText(r);
    }
};

} // namespace

TEST_F(SumStats, AgreeWithTheReferenceComputation)
{
    loadReferenceArchive();
    expectReferenceValues(
        {u"SUMS"_s, u"SUM1"_s, u"SUM2"_s, u"SUM3"_s, u"SUMC"_s, u"SUMV"_s, u"SUMT"_s, u"SUME"_s, u"SUMP"_s, u"S2T3"_s});
    expectReferenceGraphs(
        {u"SUMS"_s, u"SUM1"_s, u"SUM2"_s, u"SUM3"_s, u"SUMC"_s, u"SUMT"_s, u"SUME"_s, u"SUMP"_s, u"S2T3"_s});
    for (const QString &code : {u"SUMS"_s, u"SUM1"_s, u"SUM2"_s, u"SUM3"_s, u"SUME"_s, u"SUMP"_s, u"S2T3"_s})
        expectDrawCombAndFilterAgree(code);

    // Valued as the draw after draw i - 1, draw i has one change value, and the filter run after draw
    // i - 1 finds draw i's numbers by it and not by its neighbour.
    for (const QString &code : {u"SUMC"_s, u"SUMV"_s, u"SUMT"_s}) {
        auto s = stat(code);
        const int key = code == u"SUMC" ? 2 : 1;
        for (int i = 1; i < int(draws.size()); ++i) {
            const TStatDrawArray v = drawValues(*s, i, i - 1, false);
            ASSERT_EQ(v.size(), 1) << code.toStdString() << ' ' << i;
            const TComb comb = DrawToComb(draws[size_t(i)]);
            EXPECT_TRUE(s->CombMatches(comb, v, i - 1, false, false)) << code.toStdString() << ' ' << i;
            TStatKeys wrong = v[0].Keys;
            wrong.setDWord(key, v[0].Keys.dword(key) + 1);
            EXPECT_FALSE(s->CombMatches(comb, selection({wrong}), i - 1, false, false)) << code.toStdString();
        }
    }
}

TEST_F(SumStats, ValuesOfSingleDraws)
{
    struct Case {
        std::array<uint8_t, 6> numbers;
        int sum, even, prime, twoToThird, range1;
    };
    const Case cases[] = {
        {{1, 2, 3, 4, 5, 6}, 21, 12, 11, 6, 0}, // 3=1+2, 4=1+3, 5=1+4=2+3, 6=1+5=2+4
        {{1, 2, 3, 4, 38, 45}, 93, 44, 6, 2, 1},        {{1, 2, 3, 4, 37, 45}, 92, 6, 43, 2, 0},
        {{10, 20, 30, 40, 41, 42}, 183, 142, 41, 2, 1}, {{10, 20, 30, 40, 41, 43}, 184, 100, 84, 2, 0},
        {{45, 44, 43, 42, 41, 40}, 255, 126, 84, 0, 0},
    };
    for (const Case &c : cases) {
        draws = {makeDraw(5, c.numbers)};
        const std::string at = std::to_string(c.sum);
        EXPECT_EQ(countOf(compute(u"SUMS"_s), dwordKeys(c.sum)), 1) << at;
        EXPECT_EQ(countOf(compute(u"SUME"_s), dwordKeys(c.even)), 1) << at;
        EXPECT_EQ(countOf(compute(u"SUMP"_s), dwordKeys(c.prime)), 1) << at;
        EXPECT_EQ(countOf(compute(u"S2T3"_s), TStatKeys::of(uint16_t(c.twoToThird))), 1) << at;
        EXPECT_EQ(countOf(compute(u"SUM1"_s), TStatKeys::of(uint16_t(c.range1))), 1) << at;
    }
    // Enumerated: every sum 21..255 and the range values 0 and 1; no partial sums.
    EXPECT_EQ(compute(u"SUMS"_s).size(), 235);
    EXPECT_EQ(compute(u"SUM2"_s).size(), 2);
    EXPECT_EQ(compute(u"SUME"_s).size(), 1);

    EXPECT_EQ(text(u"SUM1"_s, TStatKeys::of(1)), u"93-183");
    EXPECT_EQ(text(u"SUM3"_s, TStatKeys::of(1)), u"110-166");
    EXPECT_EQ(text(u"SUM2"_s, TStatKeys::of(0)), u"Остальные");
    EXPECT_EQ(stat(u"SUM3"_s)->Title(), u"Сумма тиража: диапазон 3 (2/3)");
}

TEST_F(SumStats, RangeFilterKeepsWhatIsSelected)
{
    const TStatDrawArray selections[3] = {selection({TStatKeys::of(1)}), selection({TStatKeys::of(0)}),
                                          selection({TStatKeys::of(0), TStatKeys::of(1)})};
    const char16_t *names[3] = {u"1", u"0", u"01"};
    std::map<QString, long long> expected;
    QFile file(LotteryDataFile(u"SumDiffSeqFullSet.txt"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QTextStream lines(&file);
    while (!lines.atEnd()) {
        const QStringList w = lines.readLine().split(u' ');
        expected[w[0] + u' ' + w[1]] = w[2].toLongLong();
    }
    // A keep step over every combination: one value selected, the other, or both (which keeps all).
    for (int p = 1; p <= 3; ++p) {
        auto s = stat(u"SUM"_s + QString::number(p));
        long long kept[3] = {0, 0, 0};
        TComb c;
        for (int a = 1; a <= 40; ++a)
            for (int b = a + 1; b <= 41; ++b)
                for (int d = b + 1; d <= 42; ++d)
                    for (int e = d + 1; e <= 43; ++e)
                        for (int g = e + 1; g <= 44; ++g)
                            for (int h = g + 1; h <= 45; ++h) {
                                c.n = {uint8_t(a), uint8_t(b), uint8_t(d), uint8_t(e), uint8_t(g), uint8_t(h)};
                                for (int k = 0; k < 3; ++k)
                                    kept[k] += s->CombMatches(c, selections[k], 0, false, false) ? 1 : 0;
                            }
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(kept[k], expected.at(u"SUM"_s + QString::number(p) + u' ' + QString::fromUtf16(names[k]))) << p;
    }
    EXPECT_FALSE(stat(u"SUM2"_s)->CombMatches(makeComb({1, 2, 3, 4, 5, 6}), TStatDrawArray(), 0, false, false));
}

TEST_F(SumStats, ChangesAfterADrawLikeTheLast)
{
    // Sums 120, 108, 150 and 120: the last draw's sum was followed once, by 108.
    draws = {makeDraw(1, {10, 15, 20, 22, 25, 28}), makeDraw(2, {5, 10, 15, 20, 25, 33}),
             makeDraw(3, {10, 20, 25, 30, 31, 34}), makeDraw(4, {1, 2, 20, 27, 30, 40})};
    const TStatDrawArray sumc = compute(u"SUMC"_s);
    ASSERT_EQ(sumc.size(), 1);
    EXPECT_EQ(sumc[0].Keys, dwordKeys(120, 108));
    EXPECT_EQ(sumc[0].Depth, 3);
    EXPECT_EQ(text(u"SUMC"_s, sumc[0].Keys), u"- 12 : 120 - 12 = 108");
    EXPECT_EQ(text(u"SUMC"_s, dwordKeys(120, 120)), u"+00 : 120 + 0 = 120");

    const TStatDrawArray sumt = compute(u"SUMT"_s); // 0, 1, -1 enumerated
    ASSERT_EQ(sumt.size(), 3);
    EXPECT_EQ(sumt[2].Keys, dwordKeys(-1));
    EXPECT_EQ(sumt[0].Count + sumt[1].Count * 10 + sumt[2].Count * 100, 100);
    EXPECT_EQ(text(u"SUMT"_s, sumt[0].Keys) + text(u"SUMT"_s, sumt[1].Keys) + text(u"SUMT"_s, sumt[2].Keys), u"=+-");

    // Within 23 of the last sum (120): after 120 (-12) and after 108 (+42); not after 150.
    const TStatDrawArray sumv = compute(u"SUMV"_s);
    ASSERT_EQ(sumv.size(), 2);
    EXPECT_EQ(text(u"SUMV"_s, sumv[0].Keys), u"- 12");
    EXPECT_EQ(text(u"SUMV"_s, sumv[1].Keys), u"+42");
    EXPECT_EQ(text(u"SUMV"_s, dwordKeys(5)) + text(u"SUMV"_s, dwordKeys(0)), u"+05+00");

    // The filters take the last draw (120) as the one before the combination.
    auto sumT = stat(u"SUMT"_s);
    auto sumV = stat(u"SUMV"_s);
    const TComb sum110 = makeComb({5, 10, 15, 20, 25, 35});
    const TComb sum120 = makeComb({10, 15, 20, 22, 25, 28});
    const TComb sum162 = makeComb({20, 25, 27, 28, 30, 32});
    EXPECT_TRUE(sumT->CombMatches(sum110, selection({dwordKeys(-1)}), 3, false, false));
    EXPECT_FALSE(sumT->CombMatches(sum120, selection({dwordKeys(-1)}), 3, false, false));
    EXPECT_TRUE(sumV->CombMatches(sum162, selection({dwordKeys(42)}), 3, false, false));
    EXPECT_TRUE(sumV->CombMatches(sum162, selection({dwordKeys(54)}), 1, false, false)); // after 108
    EXPECT_TRUE(stat(u"SUMC"_s)->CombMatches(makeComb({5, 10, 15, 20, 25, 33}), sumc, 3, false, false));
    EXPECT_EQ(graph(sumT).GraphValue(1, 3, false), -1);

    // The first draw has no draw before it: no change, whatever the last sum.
    auto sumC = stat(u"SUMC"_s);
    EXPECT_EQ(graph(sumC).GraphValue(0, 3, false), 0);
    EXPECT_EQ(graph(sumC).GraphValue(2, 3, false), 42);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6}), makeDraw(2, {1, 2, 3, 4, 5, 7})};
    EXPECT_EQ(compute(u"SUMV"_s).size(), 1); // +1 only
    EXPECT_EQ(ComputeStatValues(*stat(u"SUMV"_s), SampleBounds(2, 1, 1), false).size(), 0);
    // No last draw at all: a combination has no change to match.
    draws.clear();
    EXPECT_FALSE(sumV->CombMatches(sum110, selection({dwordKeys(110)}), -1, false, false));
    EXPECT_FALSE(sumT->CombMatches(sum110, selection({dwordKeys(1)}), -1, false, false));
}
