#include "lottery/DrawTexts.h"
#include "tests/lottery/ReferenceData.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/TransitionStats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;

namespace {

TDrawRec makeDraw(int number, std::array<uint8_t, 6> main)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    return d;
}

TComb makeComb(std::array<uint8_t, 6> n)
{
    TComb c;
    c.n = n;
    return c;
}

TStatValueRec valueOf(uint16_t k1, uint16_t k2, uint16_t k3 = 0)
{
    TStatValueRec r;
    r.Keys.set(k1, k2, k3);
    return r;
}

TStatDrawArray selected(std::initializer_list<TStatValueRec> recs)
{
    TStatDrawArray a;
    for (const TStatValueRec &r : recs)
        a.append(r);
    return a;
}

// The segments of the reference computation: (n * 7) mod 9 + 1.
std::array<uint8_t, kMaxNumber> referenceSegments()
{
    std::array<uint8_t, kMaxNumber> s{};
    for (int n = 1; n <= kMaxNumber; ++n)
        s[size_t(n - 1)] = uint8_t(n * 7 % 9 + 1);
    return s;
}

class TransitionStats : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&draws);
        configure(5, referenceSegments());
    }
    void configure(int channelSize, const std::array<uint8_t, kMaxNumber> &segments)
    {
        list.Config.channelSize = channelSize;
        list.Config.matrixSegments = segments;
        list.RebuildMethods();
    }
    std::unique_ptr<TCustomStat> stat(const QString &code)
    {
        const int i = list.FindMethod(code);
        EXPECT_GE(i, 0) << code.toStdString();
        return i >= 0 ? list.CreateMethodStat(i) : nullptr;
    }
    TStatDrawArray compute(const QString &code, bool sorted)
    {
        auto s = stat(code);
        return ComputeStatValues(*s, SampleBounds(int(draws.size()), 0, int(draws.size())), sorted);
    }
    // The texts of the values with their counts: "03 -> 01 x1".
    QStringList texts(const QString &code, bool sorted)
    {
        auto s = stat(code);
        QStringList out;
        for (const TStatValueRec &v : compute(code, sorted))
            out << s->ValueToText(v) + u" x"_s + QString::number(v.Count);
        return out;
    }
    void loadReferenceArchive()
    {
        draws = LoadReferenceArchive();
        ASSERT_EQ(draws.size(), 420u);
    }

    TDrawsArray draws;
    TStatList list;
};

// Three draws (channel size 5, ascending): the first two share 3 and 14 with the last one.
class TransitionStatsSmall : public TransitionStats {
protected:
    void SetUp() override
    {
        TransitionStats::SetUp();
        draws = {makeDraw(1, {3, 8, 14, 22, 31, 44}), makeDraw(2, {1, 4, 17, 19, 33, 45}),
                 makeDraw(3, {3, 9, 14, 27, 36, 41})};
    }
};

} // namespace

TEST_F(TransitionStats, AgreeWithTheReferenceComputation)
{
    loadReferenceArchive();
    QFile expected(LotteryDataFile(u"TransitionStatsExpected.txt"_s));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    QTextStream lines(&expected);
    std::map<QString, int> channelSizes;
    std::map<QString, std::tuple<int, int, bool>> samples;
    // (config, sample, code) -> rows, in file order
    std::map<std::tuple<QString, QString, QString>, std::vector<QStringList>> rows;
    std::vector<std::tuple<QString, QString, QString>> order;
    while (!lines.atEnd()) {
        const QStringList w = lines.readLine().split(u' ');
        if (w[0] == u"#") {
            if (w.size() == 3)
                channelSizes[w[1]] = w[2].toInt();
            else
                samples[w[1]] = {w[2].toInt(), w[3].toInt(), w[4] == u"1"};
            continue;
        }
        const auto key = std::make_tuple(w[0], w[1], w[2]);
        if (!rows.count(key))
            order.push_back(key);
        rows[key].push_back(w);
    }
    ASSERT_EQ(channelSizes.size(), 2u);
    ASSERT_GT(order.size(), 200u);

    QString config;
    for (const auto &key : order) {
        const auto &[cfg, sample, code] = key;
        if (cfg != config) {
            configure(channelSizes[cfg], referenceSegments());
            config = cfg;
        }
        const auto [offset, length, sorted] = samples[sample];
        auto s = stat(code);
        ASSERT_TRUE(s);
        const TStatDrawArray values = ComputeStatValues(*s, SampleBounds(int(draws.size()), offset, length), sorted);
        const auto &want = rows[key];
        const std::string what = QString(cfg + u' ' + sample + u' ' + code).toStdString();
        ASSERT_EQ(values.size(), int(want.size())) << what;
        for (int i = 0; i < values.size(); ++i) {
            const QStringList &w = want[size_t(i)];
            const TStatValueRec &v = values[i];
            const std::string where = what + ' ' + QString(w[3] + u' ' + w[4] + u' ' + w[5]).toStdString();
            ASSERT_EQ(v.Keys, TStatKeys::of(uint16_t(w[3].toInt()), uint16_t(w[4].toInt()), uint16_t(w[5].toInt())))
                << where;
            ExpectReferenceRecord(v, w, 6, where);
        }
    }
}

TEST_F(TransitionStats, EveryValueOfADrawIsMatchedByThatDraw)
{
    // A draw taken as a combination has the part that came next of each transition it yields; six
    // numbers that avoid that part do not. The inside members' x -> 0 and count values ask for the
    // channel of x instead, so only their x -> y values are checked here.
    loadReferenceArchive();
    const TSampleBounds sample = SampleBounds(int(draws.size()), 7, 150);
    for (const QString &code : {u"SDV2"_s, u"SDP2"_s, u"SDP3"_s, u"SDN3"_s, u"SDM2"_s, u"SCV2"_s, u"SCP2"_s,
                                u"SCP3"_s, u"SCN2"_s, u"SCM6"_s, u"SSV2"_s, u"SSP2"_s, u"SSP3"_s, u"SSN1"_s,
                                u"SSM5"_s, u"SC2C2"_s, u"SC3C4"_s, u"SS2C3"_s, u"SS3C7"_s, u"SDA2"_s, u"SDG2"_s}) {
        auto s = stat(code);
        auto *chain = dynamic_cast<TCustomChainStat *>(s.get());
        ASSERT_TRUE(chain) << code.toStdString();
        const int next = chain->DrawsBack();
        const bool sorted = (s->StatClass().Kinds & skS) != 0;
        int checked = 0;
        for (int index = sample.First; index <= sample.Last; ++index) {
            TStatDrawArray values;
            TStatWork work;
            TLastValueArray lastValues;
            s->ValuesOfDraw(index, sample.Last, sorted, values, work, lastValues);
            const TComb comb = DrawToComb(s->GetDraw(index, sorted));
            for (const TStatValueRec &v : values) {
                if (chain->Scope() == TChainScope::Inside && v.Keys.word(2) == 0)
                    continue;
                const std::string where = code.toStdString() + " draw " + std::to_string(index);
                EXPECT_TRUE(s->CombMatches(comb, selected({v}), sample.Last, sorted, false)) << where;
                ++checked;
                if (chain->Scope() == TChainScope::Count || chain->Scope() == TChainScope::Inside)
                    continue;
                TComb other;
                size_t k = 0;
                for (int n = 1; n <= kMaxNumber && k < kMainCount; ++n)
                    if (chain->Map(uint8_t(n)) != v.Keys.word(next))
                        other[k++] = uint8_t(n);
                ASSERT_EQ(k, size_t(kMainCount));
                EXPECT_FALSE(s->CombMatches(other, selected({v}), sample.Last, sorted, false)) << where;
            }
        }
        EXPECT_GT(checked, 0) << code.toStdString();
    }
}

TEST_F(TransitionStatsSmall, NumberTransitionsFromTheSharedNumbers)
{
    // Only draw 2 follows a draw (draw 1) that shares numbers (3 and 14) with the last draw: six
    // transitions from each shared number.
    QStringList all;
    for (int from : {3, 14})
        for (int to : {1, 4, 17, 19, 33, 45})
            all << QString::number(from) + u" -> "_s + QString::number(to) + u" x1"_s;
    EXPECT_EQ(texts(u"SDV2"_s, true), all);
    EXPECT_EQ(texts(u"SDP2"_s, true), (QStringList{u"3 -> 1 x1"_s, u"14 -> 17 x1"_s}));
    EXPECT_EQ(texts(u"SDN3"_s, true), QStringList{u"14 -> 17 x1"_s});
    EXPECT_TRUE(texts(u"SDN2"_s, true).isEmpty());
    // Channels: draw 3 follows draw 2 and adds 1 -> 1 and 9 -> 9.
    EXPECT_EQ(texts(u"SCP2"_s, true),
              (QStringList{u"01 -> 01 x2"_s, u"02 -> 01 x1"_s, u"03 -> 04 x1"_s, u"09 -> 09 x2"_s}));
    // Three-draw transitions: only draw 3 has two earlier draws, and its predecessor (draw 2) agrees with
    // the last draw at no position.
    EXPECT_TRUE(texts(u"SDP3"_s, true).isEmpty());
}

TEST_F(TransitionStatsSmall, NumbersWithinTheirChannels)
{
    // Draw 1 shares 3 (channel 1) and 14 (channel 3) with the last draw; draw 2 has 1 and 4 in channel 1
    // and nothing in channel 3. Shared numbers are taken in the drawn order of draw 1.
    EXPECT_EQ(texts(u"SDA2"_s, false), (QStringList{u"03 -> 01 x1"_s, u"03 -> 04 x1"_s, u"14 -> 00 x1"_s}));
    EXPECT_EQ(texts(u"SDG2"_s, false), (QStringList{u"03 -> 01 x1"_s, u"03 -> 04 x1"_s}));
    EXPECT_EQ(texts(u"SDZ2"_s, false), QStringList{u"14 -> 00 x1"_s});
    EXPECT_EQ(texts(u"SDC2"_s, false), (QStringList{u"3 -> 2 x1"_s, u"14 -> 0 x1"_s}));

    // The filter reads the numbers of the last draw (3 9 14 27 36 41): x -> y asks for y, x -> 0 and
    // the counts ask for some number in x's channel.
    auto sdg = stat(u"SDG2"_s);
    EXPECT_TRUE(sdg->CombMatches(makeComb({4, 20, 21, 30, 31, 40}), selected({valueOf(3, 4)}), 2, false, false));
    EXPECT_FALSE(sdg->CombMatches(makeComb({1, 20, 21, 30, 31, 40}), selected({valueOf(3, 4)}), 2, false, false));
    // 8 is no number of the last draw.
    EXPECT_FALSE(sdg->CombMatches(makeComb({6, 20, 21, 30, 31, 40}), selected({valueOf(8, 6)}), 2, false, false));
    auto sdz = stat(u"SDZ2"_s);
    EXPECT_TRUE(sdz->CombMatches(makeComb({1, 12, 21, 30, 31, 40}), selected({valueOf(14, 0)}), 2, false, false));
    EXPECT_FALSE(sdz->CombMatches(makeComb({1, 17, 21, 30, 31, 40}), selected({valueOf(14, 0)}), 2, false, false));
    auto sdc = stat(u"SDC2"_s);
    EXPECT_TRUE(sdc->CombMatches(makeComb({5, 17, 21, 30, 31, 40}), selected({valueOf(3, 2)}), 2, false, false));
    EXPECT_FALSE(sdc->CombMatches(makeComb({6, 17, 21, 30, 31, 40}), selected({valueOf(3, 2)}), 2, false, false));
}

TEST_F(TransitionStatsSmall, CountsInAChannelAndTheirEnumeration)
{
    // The last draw has one number in channel 1 (1..5), as draw 1 has; draw 2 then has two there.
    EXPECT_EQ(texts(u"SC2C1"_s, true), (QStringList{u"1 -> 0 x0"_s, u"1 -> 1 x0"_s, u"1 -> 2 x1"_s,
                                                     u"1 -> 3 x0"_s, u"1 -> 4 x0"_s, u"1 -> 5 x0"_s}));
    auto s = stat(u"SC2C1"_s);
    EXPECT_TRUE(s->CombMatches(makeComb({1, 2, 20, 30, 40, 45}), selected({valueOf(1, 2)}), 2, false, false));
    EXPECT_FALSE(s->CombMatches(makeComb({1, 12, 20, 30, 40, 45}), selected({valueOf(1, 2)}), 2, false, false));

    // Two numbers of the last draw in channel 1: the values 2 -> 0 .. 2 -> 5; draw 3 (one number there)
    // follows draw 2 (two).
    draws.push_back(makeDraw(4, {1, 2, 20, 30, 40, 45}));
    QStringList enumerated;
    for (int t = 0; t <= 5; ++t)
        enumerated << u"2 -> "_s + QString::number(t) + (t == 1 ? u" x1"_s : u" x0"_s);
    EXPECT_EQ(texts(u"SC2C1"_s, true), enumerated);
    // Three-draw counts start from the count of the draw before the last (draw 3: one in channel 1).
    EXPECT_EQ(texts(u"SC3C1"_s, true).first(), u"1-2 -> 0 x0"_s);
    // Segments enumerate the count 0 only (45 is the last draw's one number in segment 1).
    EXPECT_EQ(texts(u"SS2C1"_s, true).first(), u"1 -> 0 x0"_s);

    // A channel can hold no more numbers than it has: with channel size 7 the last channel is 43..45.
    configure(7, referenceSegments());
    EXPECT_EQ(texts(u"SC2C7"_s, true), (QStringList{u"1 -> 0 x1"_s, u"1 -> 1 x1"_s, u"1 -> 2 x0"_s, u"1 -> 3 x0"_s}));
    EXPECT_EQ(texts(u"SC2C1"_s, true).size(), 7); // 0..6 of the seven numbers 1..7
}

TEST_F(TransitionStats, PositionTransitionAfterASimilarDraw)
{
    // The last draw 3 11 19 25 33 40; an earlier draw 3 12 20 26 34 41 is followed by 5 13 21 27 35 42.
    draws = {makeDraw(1, {2, 4, 6, 8, 10, 12}), makeDraw(2, {41, 34, 26, 20, 12, 3}),
             makeDraw(3, {42, 35, 27, 21, 13, 5}), makeDraw(4, {3, 11, 19, 25, 33, 40})};
    EXPECT_EQ(texts(u"SDP2"_s, true), QStringList{u"3 -> 5 x1"_s});
    EXPECT_TRUE(texts(u"SDP2"_s, false).isEmpty()); // in drawn order no position agrees
    auto s = stat(u"SDP2"_s);
    EXPECT_TRUE(s->CombMatches(makeComb({5, 6, 7, 8, 9, 10}), selected({valueOf(3, 5)}), 3, true, false));
    EXPECT_FALSE(s->CombMatches(makeComb({3, 6, 7, 8, 9, 10}), selected({valueOf(3, 5)}), 3, true, false));
}

TEST_F(TransitionStats, NoTransitionWithoutEarlierDraws)
{
    // The first draw has no predecessor, the second none before that: a repeated draw yields nothing
    // from them, however alike the draws are.
    draws = {makeDraw(7, {1, 2, 3, 4, 5, 6})};
    for (const QString &code : {u"SDV2"_s, u"SDP2"_s, u"SCV2"_s, u"SSV2"_s, u"SDA2"_s, u"SDC2"_s, u"SDZ2"_s})
        EXPECT_TRUE(compute(code, true).empty()) << code.toStdString();
    EXPECT_EQ(StatValuesSummary(compute(u"SC2C1"_s, true)).Total, 0);
    draws.push_back(makeDraw(8, {1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(compute(u"SDP2"_s, true).size(), 6);
    for (const QString &code : {u"SDP3"_s, u"SCP3"_s, u"SSP3"_s, u"SDM1"_s, u"SCM1"_s, u"SSM1"_s})
        EXPECT_TRUE(compute(code, true).empty()) << code.toStdString();
    EXPECT_EQ(StatValuesSummary(compute(u"SC3C1"_s, true)).Total, 0);
    EXPECT_EQ(StatValuesSummary(compute(u"SS3C1"_s, true)).Total, 0);
    draws.push_back(makeDraw(9, {1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(compute(u"SDP3"_s, true).size(), 6);
    EXPECT_EQ(StatValuesSummary(compute(u"SC3C1"_s, true)).Total, 1);
}

TEST_F(TransitionStats, ValueTexts)
{
    // Numbers and segments in decimal, channels with two digits (the counts of a channel in decimal).
    EXPECT_EQ(stat(u"SDV2"_s)->ValueToText(valueOf(12, 30)), u"12 -> 30");
    EXPECT_EQ(stat(u"SDP3"_s)->ValueToText(valueOf(5, 12, 30)), u"5-12 -> 30");
    EXPECT_EQ(stat(u"SCV2"_s)->ValueToText(valueOf(3, 5)), u"03 -> 05");
    EXPECT_EQ(stat(u"SCP3"_s)->ValueToText(valueOf(2, 3, 5)), u"02-03 -> 05");
    EXPECT_EQ(stat(u"SSP3"_s)->ValueToText(valueOf(2, 1, 0)), u"2-1 -> 0");
    EXPECT_EQ(stat(u"SC3C4"_s)->ValueToText(valueOf(1, 2, 3)), u"1-2 -> 3");
}
