#include "HistoryStatsFixture.h"

#include "lottery/DrawTexts.h"
#include "lottery/stats/RepeatStats.h"

using namespace Qt::StringLiterals;

namespace {

class RepeatStats : public HistoryStats {
protected:
    static QStringList valueCodes()
    {
        return {u"RPV2"_s, u"PRV2O1"_s, u"PRV2O2"_s, u"PRV2O3"_s, u"PRV+1"_s, u"PRV-1"_s,
                u"PRV+2"_s, u"PRV-2"_s, u"RPV3"_s, u"PRL2"_s};
    }
    static QStringList countCodes()
    {
        return {u"RPC2"_s, u"RPO1"_s, u"PRC2O2"_s, u"PRC2O3"_s, u"PRC+1"_s, u"PRC-1"_s,
                u"PRC+2"_s, u"PRC-2"_s, u"RPC3"_s, u"PRB2"_s};
    }
};

} // namespace

TEST_F(RepeatStats, AgreeWithTheReferenceComputation)
{
    loadReferenceArchive();
    checkAgainstReference(valueCodes() + countCodes());
}

TEST_F(RepeatStats, RepeatsInTwoDrawsInARow)
{
    draws = {draw(1, {1, 2, 3, 4, 5, 6}), draw(2, {2, 3, 10, 11, 12, 13}), draw(3, {3, 20, 21, 22, 23, 24})};
    // Draw 2 repeats 2 and 3, but only 3 can repeat again after draw 3; draw 3 repeats 3.
    const TStatDrawArray values = compute(u"RPV2"_s);
    EXPECT_EQ(values.size(), 6); // the numbers of the last draw
    EXPECT_EQ(find(values, 3)->Count, 2);
    EXPECT_EQ(find(values, 3)->LastDraw, 3);
    EXPECT_EQ(find(values, 3)->MinInterval, 1);
    EXPECT_EQ(find(values, 20)->Count, 0);
    EXPECT_FALSE(find(values, 2));

    const TStatDrawArray counts = compute(u"RPC2"_s);
    EXPECT_EQ(counts.size(), 7); // 1..6 listed, 0 added by the first draw
    for (uint16_t k : {0, 1, 2})
        EXPECT_EQ(find(counts, k)->Count, 1) << k;
    for (uint16_t k : {3, 4, 5, 6})
        EXPECT_EQ(find(counts, k)->Count, 0) << k;
    EXPECT_EQ(counts[6].Keys.word(1), 0);
}

TEST_F(RepeatStats, ShiftedRepeatsWrapAroundTheNumbers)
{
    draws = {draw(1, {5, 9, 17, 23, 38, 45}), draw(2, {1, 10, 12, 24, 31, 40}), draw(3, {9, 14, 22, 33, 41, 45})};
    // The last draw plus one, in drawn order, 45 + 1 being 1.
    const TStatDrawArray values = compute(u"PRV+1"_s);
    ASSERT_EQ(values.size(), 6);
    const uint16_t listed[] = {10, 15, 23, 34, 42, 1};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(values[i].Keys.word(1), listed[i]) << i;
    // Draw 2 holds 9 + 1 and 45 + 1 from draw 1, both numbers of the last draw plus one.
    EXPECT_EQ(find(values, 10)->Count, 1);
    EXPECT_EQ(find(values, 1)->Count, 1);
    EXPECT_EQ(find(values, 1)->LastDraw, 2);
    EXPECT_EQ(StatValuesSummary(values).Total, 2);

    // Per draw: none before the archive, then 10, 24 and 1 (from 9, 23, 45), then 41 (from 40).
    const TStatDrawArray counts = compute(u"PRC+1"_s);
    EXPECT_EQ(find(counts, 0)->LastDraw, 1);
    EXPECT_EQ(find(counts, 3)->LastDraw, 2);
    EXPECT_EQ(find(counts, 1)->LastDraw, 3);
    EXPECT_EQ(StatValuesSummary(counts).Total, 3);

    // Minus one: 1 - 1 is 45.
    draws = {draw(1, {1, 2, 3, 4, 5, 6}), draw(2, {45, 1, 8, 9, 10, 11})};
    EXPECT_EQ(find(compute(u"PRV-1"_s), 45)->Count, 1);
}

TEST_F(RepeatStats, NoRepeatsFromBeforeTheArchive)
{
    // The first draws have no earlier draw: its missing numbers are not shifted into 1, 2, 44 or 43.
    draws = {draw(1, {1, 2, 43, 44, 20, 21}), draw(2, {3, 4, 5, 6, 7, 8}), draw(3, {9, 10, 11, 12, 13, 14})};
    for (const QString &code : {u"PRC+1"_s, u"PRC-1"_s, u"PRC+2"_s, u"PRC-2"_s, u"RPC2"_s}) {
        const TStatDrawArray v = computeTo(code, 0, 1);
        ASSERT_TRUE(find(v, 0)) << code.toStdString();
        EXPECT_EQ(find(v, 0)->Count, 1) << code.toStdString();
        EXPECT_EQ(StatValuesSummary(v).Total, 1) << code.toStdString();
    }
    for (const QString &code : {u"PRV+1"_s, u"PRV-1"_s, u"PRV+2"_s, u"PRV-2"_s})
        EXPECT_EQ(StatValuesSummary(computeTo(code, 0, 1)).Total, 0) << code.toStdString();
    // Three and four draws back do not exist for draws 1 to 3 either.
    EXPECT_EQ(find(compute(u"PRC2O3"_s), 0)->Count, 3);
    // A combination tested as the draw after the first one finds nothing four draws back.
    auto over3 = stat(u"PRC2O3"_s);
    EXPECT_TRUE(over3->CombMatches(comb({1, 2, 3, 4, 5, 6}), selected({0}), 0, false, false));
}

// An archive edited by hand can hold a number twice in one draw: each of its places counts.
TEST_F(RepeatStats, ADrawHoldingANumberTwice)
{
    draws = {draw(204, {7, 7, 12, 30, 31, 45}), draw(205, {1, 2, 3, 4, 5, 6})};
    // 7 - 1 = 6 stands twice in the shifted draw 204, and 6 is in draw 205.
    EXPECT_EQ(find(compute(u"PRC-1"_s), 2)->LastDraw, 205);
    EXPECT_EQ(find(compute(u"PRC-1"_s), 1)->Count, 0);
    // 1..6 as the draw after 204 is tested the same way.
    EXPECT_TRUE(stat(u"PRC-1"_s)->CombMatches(comb({1, 2, 3, 4, 5, 6}), selected({2}), 0, false, false));
    EXPECT_FALSE(stat(u"PRC-1"_s)->CombMatches(comb({1, 2, 3, 4, 5, 6}), selected({1}), 0, false, false));

    // 7 twice in the last of three draws, after two draws that both hold 7: RPC3 counts 2.
    draws = {draw(1, {7, 1, 2, 3, 4, 5}), draw(2, {7, 10, 11, 12, 13, 14}), draw(3, {7, 7, 20, 21, 22, 23})};
    EXPECT_EQ(find(compute(u"RPC3"_s), 2)->LastDraw, 3);
}

TEST_F(RepeatStats, ThreeDrawsInARowAndNoMoreThanTwo)
{
    draws = {draw(1, {1, 2, 3, 4, 5, 6}), draw(2, {1, 2, 7, 8, 9, 10}), draw(3, {1, 7, 11, 12, 13, 14})};
    // 1 is in all three draws, 7 only in the last two; both are in the last draw.
    const TStatDrawArray three = compute(u"RPV3"_s);
    EXPECT_EQ(find(three, 1)->Count, 1);
    EXPECT_EQ(find(three, 7)->Count, 0);
    // 1 repeats in draw 2 after a draw that is not in the archive: that counts as no third draw.
    const TStatDrawArray two = compute(u"PRL2"_s);
    EXPECT_EQ(find(two, 7)->Count, 1);
    EXPECT_EQ(find(two, 1)->Count, 1);
    EXPECT_EQ(find(two, 1)->LastDraw, 2);
    // Counts per draw: RPC3 0, 0, 1; PRB2 0, 2 (1 and 2 after a missing draw), 1.
    EXPECT_EQ(find(compute(u"RPC3"_s), 1)->LastDraw, 3);
    const TStatDrawArray prb2 = compute(u"PRB2"_s);
    EXPECT_EQ(find(prb2, 2)->LastDraw, 2);
    EXPECT_EQ(find(prb2, 1)->LastDraw, 3);

    // A combination as the draw after 1 10 12 24 31 40 and 1 9 14 24 33 45: 1 and 24 are in both, 9 only
    // in the last.
    draws = {draw(1, {1, 10, 12, 24, 31, 40}), draw(2, {1, 9, 14, 24, 33, 45})};
    const TComb c = comb({1, 9, 24, 30, 35, 40});
    EXPECT_TRUE(stat(u"RPC3"_s)->CombMatches(c, selected({2}), 1, false, false));
    EXPECT_FALSE(stat(u"RPC3"_s)->CombMatches(c, selected({1, 3}), 1, false, false));
    EXPECT_TRUE(stat(u"PRB2"_s)->CombMatches(c, selected({1}), 1, false, false));
    EXPECT_FALSE(stat(u"PRB2"_s)->CombMatches(c, selected({0, 2}), 1, false, false));
}

TEST_F(RepeatStats, FilterAgreesWithTheValueOfTheNextDraw)
{
    loadReferenceArchive();
    for (const QString &code : countCodes()) {
        auto s = stat(code);
        for (int i = 0; i < int(draws.size()); ++i) {
            const TStatDrawArray own = valuesOfDraw(*s, i, i);
            ASSERT_EQ(own.size(), 1);
            const uint16_t k = own[0].Keys.word(1);
            // Draw i taken as the combination after draw i - 1 has its own count, and no other.
            const TComb c = DrawToComb(draws[size_t(i)]);
            const std::string at = code.toStdString() + ' ' + std::to_string(i);
            EXPECT_TRUE(s->CombMatches(c, selected({k}), i - 1, false, false)) << at;
            EXPECT_FALSE(s->CombMatches(c, selected({uint16_t((k + 1) % 7), uint16_t((k + 3) % 7)}), i - 1, false,
                                        false))
                << at;
        }
    }
    // The values forms of the previous draw: a combination matches the numbers proposed after draw i - 1
    // exactly when, as draw i, it repeats one of them.
    for (const QString &code : {u"RPV2"_s, u"PRV+1"_s, u"PRV-1"_s, u"PRV+2"_s, u"PRV-2"_s}) {
        auto s = stat(code);
        int matched = 0;
        for (int i = 1; i < int(draws.size()); ++i) {
            TStatDrawArray proposed;
            s->EnumAllValues(i - 1, proposed);
            const bool repeats = !valuesOfDraw(*s, i, i - 1).empty();
            EXPECT_EQ(s->CombMatches(DrawToComb(draws[size_t(i)]), proposed, i - 1, false, false), repeats)
                << code.toStdString() << ' ' << i;
            matched += repeats ? 1 : 0;
        }
        EXPECT_GT(matched, 100) << code.toStdString();
    }
}
