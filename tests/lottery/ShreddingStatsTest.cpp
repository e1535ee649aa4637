#include "lottery/DrawTexts.h"
#include "tests/lottery/ReferenceData.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/FormulaEvaluator.h"
#include "lottery/stats/ShreddingStats.h"
#include "lottery/stats/StatList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;

namespace {

constexpr TSixNumbers kNone{};

TSixNumbers six(std::array<uint8_t, 6> n)
{
    return n;
}

int value(const QString &formula, int digits, TSixNumbers n, TSixNumbers p = kNone, TSixNumbers t = kNone)
{
    const int byText = ShreddingValue(n, p, t, digits, formula);
    TShreddingFormula prepared(formula, digits);
    // The prepared formula must agree with the substituted text in every case.
    EXPECT_EQ(prepared.Value(n, p, t), byText) << formula.toStdString();
    return byText;
}

TStatDrawArray selectedValue(uint32_t v)
{
    TStatDrawArray a;
    TStatValueRec r;
    r.Keys.setDWord(1, v);
    a.append(r);
    return a;
}

class ShreddingStats : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&draws);
        list.RebuildMethods();
    }
    std::unique_ptr<TCustomStat> stat(int param)
    {
        const int i = list.FindMethod(QString(u"SHR"_s + QString::number(param)));
        EXPECT_GE(i, 0);
        return i >= 0 ? list.CreateMethodStat(i) : nullptr;
    }

    TDrawsArray draws;
    TStatList list;
};

} // namespace

TEST(ShreddingValue, DefaultFormulasAndTheDigitsOfTheResult)
{
    const TShreddingData defaults = DefaultShredding();
    const TSixNumbers n = six({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(value(defaults.Formulas[0], 2, n), 40); // 6/15
    EXPECT_EQ(value(defaults.Formulas[1], 2, n), 50); // 15/6
    EXPECT_EQ(value(defaults.Formulas[2], 2, n), 75); // 9/12
    EXPECT_EQ(value(defaults.Formulas[0], 0, n), 0);
    EXPECT_EQ(value(u"n1"_s, 3, n), 0);                               // a whole number
    EXPECT_EQ(value(u"(n1-n2)/4"_s, 2, six({1, 12, 0, 0, 0, 0})), 75); // -2.75
    EXPECT_EQ(value(u"N1/4"_s, 2, six({5, 0, 0, 0, 0, 0})), 25);       // upper-case names
    EXPECT_EQ(value(u"n1/p1"_s, 2, six({7, 0, 0, 0, 0, 0}), six({4, 0, 0, 0, 0, 0})), 75);
    EXPECT_EQ(value(u"n1/n2"_s, 5, six({1, 3, 0, 0, 0, 0})), 33333);
    EXPECT_EQ(value(u"t6/8 + p3"_s, 3, n, six({0, 0, 9, 0, 0, 0}), six({0, 0, 0, 0, 0, 3})), 375);
}

TEST(ShreddingValue, BoundariesGiveTheDigitsOfTheExactResult)
{
    // 29/100 is 0.28999999999999998 as a double; its digits are still 29.
    EXPECT_EQ(value(u"n1/100"_s, 2, six({29, 0, 0, 0, 0, 0})), 29);
    EXPECT_EQ(value(u"n1/n2"_s, 2, six({7, 25, 0, 0, 0, 0})), 28);
    EXPECT_EQ(value(u"n1/n2 + 0.57"_s, 2, six({1, 100, 0, 0, 0, 0})), 58);
    // A result a rounding error below a whole number is that whole number.
    EXPECT_EQ(value(u"(n1/n2)*n2"_s, 4, six({10, 3, 0, 0, 0, 0})), 0);
    EXPECT_EQ(value(u"n1/n2"_s, 4, six({44, 45, 0, 0, 0, 0})), 9777); // 0.97777...
    EXPECT_EQ(ShreddingDigitsOf(0.1 + 0.2, 1), 3);
    EXPECT_EQ(ShreddingDigitsOf(0.999999, 5), 99999);
    EXPECT_EQ(ShreddingDigitsOf(-0.5, 9), 500000000);
    EXPECT_EQ(ShreddingDigitsOf(0.123456789123, 200), 123456789); // digits held to 9
    EXPECT_EQ(ShreddingDigitsOf(0.75, -1), 0);
}

TEST(ShreddingValue, FailuresGiveZero)
{
    const TSixNumbers n = six({1, 2, 3, 4, 5, 6});
    for (const QString &bad :
         {u"(n1+"_s, u""_s, u"   "_s, u"n1/0"_s, u"n1/p1"_s, u"0/0"_s, u"10^400"_s, u"exp(1000)*n1"_s,
          u"sqrt(-n1)"_s, u"ln(n1-1)"_s, u"n7+0.5"_s, u"x+0.5"_s, u"foo(n1)"_s, u"n1 > 0.5"_s, u"min(n1, 0.5)"_s,
          u"n1 ? 0.5 : 0.25"_s, u"n1; 0.5"_s, u"sinh(n1)"_s, u"_pi"_s, u"n1 = 0.5"_s, u"n1 & 0.5"_s, u"0.5п"_s})
        EXPECT_EQ(value(bad, 3, n), 0) << bad.toStdString();
    // Beyond 2^53 a double holds no fraction.
    EXPECT_EQ(value(u"1e300*n1 + 0.5"_s, 3, n), 0);
    EXPECT_FALSE(TFormulaEvaluator::EvaluateText(u"1/0"));
}

TEST(ShreddingValue, FunctionsAndConstants)
{
    const TSixNumbers n = six({3, 7, 2, 4, 5, 6});
    EXPECT_EQ(value(u"PI"_s, 4, n), 1415);
    EXPECT_EQ(value(u"e"_s, 3, n), 718);
    EXPECT_EQ(value(u"sqr(n1)/8"_s, 3, n), 125);        // 9/8
    EXPECT_EQ(value(u"frac(n2/4) + int(n2/4)"_s, 2, n), 75);
    EXPECT_EQ(value(u"log(1000) + 0.25"_s, 2, n), 25);  // decimal logarithm
    EXPECT_EQ(value(u"ln(e^2) + 0.25"_s, 2, n), 25);    // natural logarithm
    EXPECT_EQ(value(u"ARCTAN(1)*4"_s, 4, n), 1415);
    EXPECT_EQ(value(u"sign(-n1)/4"_s, 2, n), 25);
    EXPECT_EQ(value(u"not(0)/4 + not(n1)"_s, 2, n), 25);
    EXPECT_EQ(value(u"round(n2/2)/8"_s, 3, n), 500);    // 3.5 rounds to 4
    EXPECT_EQ(value(u"2^3^2/1000"_s, 3, n), 512);
    EXPECT_EQ(value(u"1.5E1/4"_s, 2, n), 75);
}

TEST(ShreddingValue, VariablesGluedToOtherCharactersReadAsTheirText)
{
    // "n12" is the text of n1 followed by 2: 52/8 = 6.5.
    TShreddingFormula glued(u"n12/8"_s, 2);
    EXPECT_FALSE(glued.BindsVariables());
    EXPECT_EQ(value(u"n12/8"_s, 2, six({5, 0, 0, 0, 0, 0})), 50);
    EXPECT_EQ(value(u"2n1/4"_s, 2, six({5, 0, 0, 0, 0, 0})), 25);  // 25/4
    EXPECT_EQ(value(u"n1.25"_s, 2, six({5, 0, 0, 0, 0, 0})), 25);  // 5.25
    EXPECT_EQ(value(u"nn1"_s, 2, six({5, 0, 0, 0, 0, 0})), 0);     // "n5" becomes 0
    TShreddingFormula apart(u"(n1 + p2)/T3"_s, 2);
    EXPECT_TRUE(apart.BindsVariables());
}

TEST_F(ShreddingStats, AgreeWithTheReferenceComputation)
{
    draws = LoadReferenceArchive();
    ASSERT_EQ(draws.size(), 420u);

    QFile expected(LotteryDataFile(u"ShreddingStatsExpected.txt"_s));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    QTextStream lines(&expected);
    std::map<QString, std::tuple<int, int, bool>> samples;
    // (sample, param) -> value rows, for the formula set being read
    std::map<std::pair<QString, int>, std::vector<QStringList>> rows;
    int checkedValues = 0, checkedGraphs = 0, checkedCombs = 0;
    auto checkValueRows = [&] {
        for (const auto &[key, want] : rows) {
            const auto [offset, length, sorted] = samples[key.first];
            auto s = stat(key.second);
            const TStatDrawArray values =
                ComputeStatValues(*s, SampleBounds(int(draws.size()), offset, length), sorted);
            ASSERT_EQ(values.size(), int(want.size())) << key.first.toStdString() << key.second;
            for (int i = 0; i < values.size(); ++i) {
                const QStringList &w = want[size_t(i)];
                const TStatValueRec &v = values[i];
                const std::string where = w.join(u' ').toStdString();
                ASSERT_EQ(v.Keys.dword(1), w[4].toUInt()) << where;
                EXPECT_EQ(v.Keys.dword(2), 0u) << where;
                EXPECT_EQ(s->ValueToText(v), w[4]) << where;
                ExpectReferenceRecord(v, w, 5, where);
                ++checkedValues;
            }
        }
        rows.clear();
    };
    while (!lines.atEnd()) {
        const QStringList w = lines.readLine().split(u' ');
        if (w[0] == u"#" && w[1] == u"formulas") {
            checkValueRows();
        } else if (w[0] == u"#") {
            samples[w[1]] = {w[2].toInt(), w[3].toInt(), w[4] == u"1"};
        } else if (w[0] == u"F") {
            const int i = w[1].toInt() - 1;
            list.Shredding.Formulas[size_t(i)] = w.mid(3).join(u' ');
            list.Shredding.Digits[size_t(i)] = uint8_t(w[2].toInt());
        } else if (w[0] == u"V") {
            rows[{w[2], w[3].mid(3).toInt()}].push_back(w);
        } else if (w[0] == u"G") {
            auto s = stat(w[2].mid(3).toInt());
            auto *graph = dynamic_cast<TCustomGraphStat *>(s.get());
            ASSERT_TRUE(graph);
            EXPECT_EQ(graph->GraphValue(w[4].toInt(), 419, w[3] == u"1"), w[5].toInt()) << w.join(u' ').toStdString();
            ++checkedGraphs;
        } else if (w[0] == u"C") {
            auto s = stat(w[2].mid(3).toInt());
            const int last = w[3].toInt();
            const bool sorted = w[4] == u"1";
            TComb comb;
            for (size_t k = 0; k < 6; ++k)
                comb[k] = uint8_t(w[5 + int(k)].toInt());
            const uint32_t alone = w[11].toUInt();
            const uint32_t next = w[12].toUInt();
            const std::string where = w.join(u' ').toStdString();
            TStatDrawArray values;
            s->ValuesOfComb(comb, values);
            ASSERT_EQ(values.size(), 1) << where;
            EXPECT_EQ(values[0].Keys.dword(1), alone) << where;
            EXPECT_EQ(values[0].Count, 1) << where;
            EXPECT_TRUE(s->CombMatches(comb, selectedValue(next), last, sorted, false)) << where;
            EXPECT_FALSE(s->CombMatches(comb, selectedValue(next + 1), last, sorted, false)) << where;
            ++checkedCombs;
        }
    }
    checkValueRows();
    EXPECT_GT(checkedValues, 500);
    EXPECT_EQ(checkedGraphs, 2 * 3 * 2 * 60);
    EXPECT_EQ(checkedCombs, 2 * 3 * 3 * 60);
}

TEST_F(ShreddingStats, FiveDigitValuesAreKeptWhole)
{
    // 2/3 with five digits is 66666, beyond 16 bits: the whole value is the key and the text, and a
    // selected 66666 is not confused with 1130 (66666 - 65536).
    list.Shredding.Formulas[0] = u"n1/n2"_s;
    list.Shredding.Digits[0] = 5;
    auto s = stat(1);
    TStatDrawArray values;
    const TComb comb = DrawToComb(TDrawRec{0, {2, 3, 10, 11, 12, 13}, {}, 0, {}});
    s->ValuesOfComb(comb, values);
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].Keys.dword(1), 66666u);
    EXPECT_EQ(s->ValueToText(values[0]), u"66666");
    EXPECT_EQ(s->ValueFromText(u"66666"), 66666);
    EXPECT_TRUE(s->CombMatches(comb, selectedValue(66666), -1, false, false));
    EXPECT_FALSE(s->CombMatches(comb, selectedValue(1130), -1, false, false));
    // Four digits and fewer keep the value in the 16-bit key 1 alone.
    list.Shredding.Digits[0] = 4;
    auto four = stat(1);
    values.clear();
    four->ValuesOfComb(comb, values);
    EXPECT_EQ(values[0].Keys, TStatKeys::of(6666));
}

TEST_F(ShreddingStats, TheCombinationFollowsTheLastDraw)
{
    draws = {TDrawRec{10, {4, 8, 1, 2, 3, 5}, {}, 0, {}}, TDrawRec{11, {9, 8, 7, 6, 5, 20}, {}, 0, {}}};
    list.Shredding.Formulas[0] = u"n1/p1 + t1"_s;
    list.Shredding.Digits[0] = 2;
    auto s = stat(1);
    const TComb comb = DrawToComb(TDrawRec{0, {7, 10, 11, 12, 13, 14}, {}, 0, {}});
    // p = the last draw (index 1), t = the draw before it; ascending when sorted.
    EXPECT_TRUE(s->CombMatches(comb, selectedValue(77), 1, false, false));  // 7/9 + 4
    EXPECT_TRUE(s->CombMatches(comb, selectedValue(40), 1, true, false));   // 7/5 + 1
    EXPECT_TRUE(s->CombMatches(comb, selectedValue(75), 0, false, false));  // 7/4, no draw before
    EXPECT_TRUE(s->CombMatches(comb, selectedValue(0), -1, false, false));  // 7/0 fails
    // The first draw has no draw before it: n1/p1 divides by zero.
    const TStatDrawArray values = ComputeStatValues(*s, SampleBounds(2, 0, 2), false);
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0].Keys.dword(1), 0u);
    EXPECT_EQ(values[1].Keys.dword(1), 25u); // 9/4, no draw two before
    // A parameter outside 1..3 has no formula.
    const TStatClass &cls = *list.GetMethod(list.FindMethod(u"SHR1")).StatClass;
    auto none = cls.Factory(cls, list, 4);
    EXPECT_EQ(static_cast<TstShreddingStat &>(*none).Formula(), QString());
    EXPECT_TRUE(none->CombMatches(comb, selectedValue(0), 1, false, false));
}
