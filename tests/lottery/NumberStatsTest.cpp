#include "lottery/stats/CustomStat.h"
#include "tests/lottery/ReferenceData.h"
#include "lottery/stats/NumberStats.h"
#include "lottery/stats/StatList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;

namespace {

TDrawRec makeDraw(int number, std::array<uint8_t, 6> main, std::array<uint8_t, 2> extra = {0, 0})
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    d.extra = extra;
    return d;
}

TComb makeComb(std::array<uint8_t, 6> n)
{
    TComb c;
    c.n = n;
    return c;
}

// A registry over an archive of our own.
class NumberStats : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&draws);
        list.RebuildMethods();
    }
    std::unique_ptr<TCustomStat> stat(const QString &code)
    {
        const int i = list.FindMethod(code);
        EXPECT_GE(i, 0) << code.toStdString();
        return i >= 0 ? list.CreateMethodStat(i) : nullptr;
    }
    // The values of one statistic over the whole archive.
    TStatDrawArray compute(const QString &code, bool sorted = false)
    {
        auto s = stat(code);
        return ComputeStatValues(*s, SampleBounds(int(draws.size()), 0, int(draws.size())), sorted);
    }
    const TStatValueRec *find(const TStatDrawArray &values, uint16_t key)
    {
        const int i = values.indexOf(PackStatKeys(key, 0, 0, 0));
        return i >= 0 ? &values[i] : nullptr;
    }
    QString textOf(const QString &code, const TStatDrawArray &values, int i)
    {
        return stat(code)->ValueToText(values[i]);
    }

    TDrawsArray draws;
    TStatList list;
};

} // namespace

TEST_F(NumberStats, AgreeWithTheReferenceComputation)
{
    draws = LoadReferenceArchive();
    ASSERT_EQ(draws.size(), 420u);

    QFile expected(LotteryDataFile(u"NumberStatsExpected.txt"_s));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    QTextStream lines(&expected);
    // sample -> (offset, length, sorted); (sample, code) -> rows in order
    std::map<QString, std::tuple<int, int, bool>> samples;
    std::map<std::pair<QString, QString>, std::vector<QStringList>> rows;
    std::vector<std::pair<QString, QString>> order;
    while (!lines.atEnd()) {
        const QStringList w = lines.readLine().split(u' ');
        if (w[0] == u"#") {
            samples[w[1]] = {w[2].toInt(), w[3].toInt(), w[4] == u"1"};
            continue;
        }
        const auto key = std::make_pair(w[0], w[1]);
        if (!rows.count(key))
            order.push_back(key);
        rows[key].push_back(w);
    }
    ASSERT_EQ(order.size(), 3u * 16u);

    for (const auto &key : order) {
        const auto [offset, length, sorted] = samples[key.first];
        auto s = stat(key.second);
        ASSERT_TRUE(s);
        const TStatDrawArray values = ComputeStatValues(*s, SampleBounds(int(draws.size()), offset, length), sorted);
        const auto &want = rows[key];
        ASSERT_EQ(values.size(), int(want.size())) << key.first.toStdString() << ' ' << key.second.toStdString();
        for (int i = 0; i < values.size(); ++i) {
            const QStringList &w = want[size_t(i)];
            const TStatValueRec &v = values[i];
            const std::string where = QString(key.first + u' ' + key.second + u' ' + w[2]).toStdString();
            EXPECT_EQ(v.Keys, TStatKeys::of(uint16_t(w[2].toInt()))) << where;
            ExpectReferenceRecord(v, w, 3, where);
        }
    }

    // Invariants of the counts over a sample of L draws.
    const int L = int(draws.size());
    auto total = [&](const QString &code) { return StatValuesSummary(compute(code)).Total; };
    EXPECT_EQ(total(u"NUMS"_s), 6 * L);
    for (const QString &code : {u"EVEN"_s, u"EVNV"_s, u"SMAL"_s, u"SMLV"_s, u"PRIM"_s, u"PRMV"_s, u"POS3"_s,
                                u"POE1"_s})
        EXPECT_EQ(total(code), L) << code.toStdString();
    int digitCount = 0;
    for (const TDrawRec &d : draws)
        for (uint8_t n : d.main)
            digitCount += n >= 10 ? 2 : 1;
    EXPECT_EQ(total(u"DIGS"_s), digitCount);
    const TStatDrawArray nums = compute(u"NUMS"_s);
    for (uint8_t n : draws.back().main)
        EXPECT_EQ(find(nums, n)->Depth, 1);
}

TEST_F(NumberStats, CountsAndMasksOfSingleDraws)
{
    draws = {makeDraw(1, {2, 4, 6, 8, 10, 12})};
    TStatDrawArray even = compute(u"EVEN"_s);
    EXPECT_EQ(even.size(), 6);
    EXPECT_EQ(find(even, 6)->Count, 1);
    EXPECT_EQ(textOf(u"EVEN"_s, even, even.indexOf(PackStatKeys(6, 0, 0, 0))), u"6:0");
    TStatDrawArray evnv = compute(u"EVNV"_s);
    EXPECT_EQ(evnv.size(), 64);
    EXPECT_EQ(find(evnv, 0)->Count, 1);
    EXPECT_EQ(textOf(u"EVNV"_s, evnv, 0), u"ЧЧЧЧЧЧ (000)");
    EXPECT_EQ(find(compute(u"SMAL"_s), 6)->Count, 1);
    const TStatDrawArray smlv = compute(u"SMLV"_s);
    ASSERT_EQ(smlv.size(), 1); // not enumerated
    EXPECT_EQ(textOf(u"SMLV"_s, smlv, 0), u"111111 (000)");
    const TStatDrawArray prmv = compute(u"PRMV"_s);
    EXPECT_EQ(textOf(u"PRMV"_s, prmv, prmv.indexOf(PackStatKeys(32, 0, 0, 0))), u"ПССССС (032)");

    // No even number: the count 0 is not enumerated and gets its own record.
    draws = {makeDraw(1, {1, 3, 5, 7, 9, 11})};
    even = compute(u"EVEN"_s);
    EXPECT_EQ(even.size(), 7);
    EXPECT_EQ(even[6].Keys.word(1), 0);
    EXPECT_EQ(even[6].Count, 1);

    // 1 counts as prime.
    draws = {makeDraw(1, {1, 4, 6, 8, 9, 10})};
    EXPECT_EQ(find(compute(u"PRIM"_s), 1)->Count, 1);
}

TEST_F(NumberStats, DrawnOrderAgainstSortedOrder)
{
    draws = {makeDraw(7, {30, 5, 17, 2, 44, 9}, {21, 40})};
    EXPECT_EQ(find(compute(u"POS3"_s, false), 17)->Count, 1);
    EXPECT_EQ(find(compute(u"POS3"_s, true), 9)->Count, 1);
    auto maskText = [&](const QString &code, bool sorted) {
        const TStatDrawArray v = compute(code, sorted);
        for (int i = 0; i < v.size(); ++i)
            if (v[i].Count == 1)
                return textOf(code, v, i);
        return QString();
    };
    EXPECT_EQ(maskText(u"EVNV"_s, false), u"ЧннЧЧн (025)");
    EXPECT_EQ(maskText(u"PRMV"_s, false), u"СПППСС (028)");
    EXPECT_EQ(maskText(u"SMLV"_s, false), u"211121 (034)");
    EXPECT_EQ(maskText(u"EVNV"_s, true), u"ЧнннЧЧ (028)");
    EXPECT_EQ(maskText(u"PRMV"_s, true), u"ППСПСС (052)");
    EXPECT_EQ(maskText(u"SMLV"_s, true), u"111122 (003)");
    for (bool sorted : {false, true}) {
        EXPECT_EQ(find(compute(u"EVEN"_s, sorted), 3)->Count, 1);
        EXPECT_EQ(find(compute(u"SMAL"_s, sorted), 4)->Count, 1);
        EXPECT_EQ(find(compute(u"PRIM"_s, sorted), 3)->Count, 1);
    }

    // Graph values.
    auto pos = stat(u"POS3"_s);
    EXPECT_EQ(static_cast<TCustomGraphStat &>(*pos).GraphValue(0, 0, false), 17);
    EXPECT_EQ(static_cast<TCustomGraphStat &>(*pos).GraphValue(0, 0, true), 9);
    auto poe = stat(u"POE2"_s);
    EXPECT_EQ(static_cast<TCustomGraphStat &>(*poe).GraphValue(0, 0, false), 40);
    EXPECT_EQ(static_cast<TCustomGraphStat &>(*stat(u"EVEN"_s)).GraphValue(0, 0, false), 3);
    EXPECT_EQ(find(compute(u"POE2"_s), 40)->Count, 1);
}

TEST_F(NumberStats, DigitsOfEveryNumber)
{
    draws = {makeDraw(1, {1, 11, 12, 21, 30, 45})};
    const TStatDrawArray v = compute(u"DIGS"_s);
    EXPECT_EQ(StatValuesSummary(v).Total, 11);
    EXPECT_EQ(find(v, 1)->Count, 5);
    EXPECT_EQ(find(v, 2)->Count, 2);
    for (uint16_t d : {0, 3, 4, 5})
        EXPECT_EQ(find(v, d)->Count, 1) << d;
    EXPECT_EQ(find(v, 6), nullptr);
}

TEST_F(NumberStats, ValueTextsParseBack)
{
    EXPECT_EQ(stat(u"EVNV"_s)->ValueFromText(u"нЧннЧЧ"), 44);
    EXPECT_EQ(stat(u"PRMV"_s)->ValueFromText(u"ПППППП"), 63);
    EXPECT_EQ(stat(u"PRMV"_s)->ValueFromText(u"СССССС"), 0);
    EXPECT_EQ(stat(u"PRMV"_s)->ValueFromText(u"П"), 32); // a short text: the missing letters are clear
    EXPECT_EQ(stat(u"EVEN"_s)->ValueFromText(u"2:4"), 2);
    EXPECT_EQ(stat(u"EVEN"_s)->ValueFromText(u"x"), 0);
    EXPECT_EQ(stat(u"NUMS"_s)->ValueFromText(u" 17 "), 17);
    EXPECT_EQ(stat(u"NUMS"_s)->ValueFromText(u"abc"), 0);
}

TEST_F(NumberStats, CombinationsAgainstSelectedValues)
{
    const TComb comb = makeComb({3, 14, 22, 30, 38, 45});
    auto selected = [](std::initializer_list<uint16_t> keys) {
        TStatDrawArray v;
        for (uint16_t k : keys) {
            TStatValueRec r;
            r.Keys.set(k);
            v.append(r);
        }
        return v;
    };
    EXPECT_TRUE(stat(u"NUMS"_s)->CombMatches(comb, selected({1, 30}), 0, false, false));
    EXPECT_FALSE(stat(u"NUMS"_s)->CombMatches(comb, selected({1, 2, 31}), 0, false, false));
    EXPECT_TRUE(stat(u"DIGS"_s)->CombMatches(comb, selected({8}), 0, false, false));
    EXPECT_FALSE(stat(u"DIGS"_s)->CombMatches(comb, selected({6, 7, 9}), 0, false, false));
    EXPECT_TRUE(stat(u"EVEN"_s)->CombMatches(comb, selected({4}), 0, false, false));
    EXPECT_FALSE(stat(u"EVEN"_s)->CombMatches(comb, selected({3, 5}), 0, false, false));
    // Odd numbers 3 and 45: 100001 = 33.
    EXPECT_TRUE(stat(u"EVNV"_s)->CombMatches(comb, selected({33}), 0, false, false));
    EXPECT_FALSE(stat(u"EVNV"_s)->CombMatches(comb, selected({32}), 0, false, false));
    EXPECT_TRUE(stat(u"POS4"_s)->CombMatches(comb, selected({30}), 0, false, false));
    EXPECT_FALSE(stat(u"POS5"_s)->CombMatches(comb, selected({30}), 0, false, false));
    EXPECT_FALSE(stat(u"POE1"_s)->CombMatches(comb, selected({0, 3, 14}), 0, false, false));

    // Many combinations against one selection give the same answers as the first one (the lookup tables
    // the selection builds after a few questions must agree with a plain scan).
    const TStatDrawArray nums = selected({5, 9, 13, 17, 21, 25, 29, 33, 37, 41});
    auto s = stat(u"NUMS"_s);
    for (int a = 1; a <= 40; ++a) {
        const TComb c = makeComb({uint8_t(a), uint8_t(a + 1), uint8_t(a + 2), uint8_t(a + 3), uint8_t(a + 4),
                                  uint8_t(a + 5)});
        bool expect = false;
        for (uint8_t n : c.n)
            expect = expect || (n % 4 == 1 && n >= 5 && n <= 41);
        EXPECT_EQ(s->CombMatches(c, nums, 0, false, false), expect) << a;
    }
}

TEST_F(NumberStats, ValuesOfACombination)
{
    TStatDrawArray v;
    auto s = stat(u"NUMS"_s);
    s->ValuesOfComb(makeComb({1, 2, 3, 4, 5, 6}), v);
    s->ValuesOfComb(makeComb({1, 7, 8, 9, 10, 11}), v);
    EXPECT_EQ(v.size(), 11);
    EXPECT_EQ(find(v, 1)->Count, 2);
    EXPECT_EQ(find(v, 1)->Depth, 0);
    EXPECT_EQ(find(v, 1)->LastDraw, 0);
    TStatDrawArray e;
    stat(u"POE1"_s)->ValuesOfComb(makeComb({1, 2, 3, 4, 5, 6}), e);
    EXPECT_TRUE(e.empty());
    stat(u"SMLV"_s)->ValuesOfComb(makeComb({1, 2, 3, 40, 41, 42}), e);
    EXPECT_EQ(e[0].Keys.word(1), 7);
}

TEST_F(NumberStats, FindsTheDrawOfAValueAfterTheSample)
{
    draws = {makeDraw(10, {1, 2, 3, 4, 5, 6}), makeDraw(11, {7, 8, 9, 10, 11, 12}),
             makeDraw(12, {1, 13, 14, 15, 16, 17}), makeDraw(14, {18, 19, 20, 21, 22, 23})};
    auto s = stat(u"NUMS"_s);
    TStatValueRec v;
    v.Keys.set(1);
    EXPECT_EQ(s->FindDrawWithValue(v, 1, 1, false), 12);
    EXPECT_EQ(s->FindDrawWithValue(v, 3, 1, false), -1);
    EXPECT_EQ(s->FindDrawWithValue(v, 4, 1, false), -1);
    EXPECT_EQ(s->FindDrawWithValue(v, -5, 1, false), 10);
}
