#include "HistoryStatsFixture.h"

#include "lottery/DrawTexts.h"
#include "lottery/stats/PeriodStats.h"

using namespace Qt::StringLiterals;

namespace {

class PeriodStats : public HistoryStats {};

} // namespace

TEST_F(PeriodStats, AgreeWithTheReferenceComputation)
{
    loadReferenceArchive();
    checkAgainstReference({u"PRDV"_s, u"PRDC"_s, u"PRDG"_s});
}

TEST_F(PeriodStats, PeriodsAreGapsInDrawNumbers)
{
    draws = {draw(100, {17, 1, 2, 3, 4, 5}), draw(103, {17, 6, 7, 8, 9, 10}), draw(110, {17, 11, 12, 13, 14, 15})};
    const TStatDrawArray values = compute(u"PRDV"_s);
    ASSERT_TRUE(find(values, 17, 3));
    ASSERT_TRUE(find(values, 17, 7));
    EXPECT_EQ(find(values, 17, 3)->Count, 1);
    EXPECT_EQ(find(values, 17, 7)->Count, 1);
    EXPECT_EQ(find(values, 17, 7)->LastDraw, 110);
    EXPECT_EQ(values.size(), 2); // first occurrences give no period

    auto prdv = stat(u"PRDV"_s);
    EXPECT_EQ(prdv->ValueToText(*find(values, 17, 3)), u"17 x 3");
    TStatDrawArray none;
    prdv->ValuesOfComb(comb({1, 2, 3, 4, 5, 6}), none);
    EXPECT_TRUE(none.empty());
}

TEST_F(PeriodStats, ChannelsSharedInOneDrawCountOnce)
{
    list.Config.channelSize = 5;
    list.RebuildMethods();
    draws = {draw(100, {1, 2, 20, 30, 40, 45}), draw(103, {1, 3, 21, 31, 41, 44}),
             draw(110, {1, 4, 22, 32, 42, 43})};
    const TStatDrawArray values = compute(u"PRDC"_s);
    EXPECT_EQ(values.size(), 6);
    for (auto [v, d] : {std::pair{1, 3}, {9, 3}, {1, 7}, {5, 7}, {7, 7}, {9, 7}}) {
        ASSERT_TRUE(find(values, uint16_t(v), uint16_t(d))) << v << ' ' << d;
        EXPECT_EQ(find(values, uint16_t(v), uint16_t(d))->Count, 1) << v << ' ' << d;
    }
    EXPECT_EQ(stat(u"PRDC"_s)->ValueToText(*find(values, 5, 7)), u"05 x 7");
}

TEST_F(PeriodStats, FilterLooksForTheValueInTheDrawThePeriodBack)
{
    draws = {draw(1, {7, 10, 20, 30, 40, 45}), draw(2, {1, 11, 21, 31, 41, 44}), draw(3, {2, 12, 22, 32, 42, 43})};
    auto s = stat(u"PRDV"_s);
    const TComb with7 = comb({3, 7, 15, 25, 35, 39});
    const TComb without7 = comb({3, 8, 15, 25, 35, 39});
    // 7 came up in draw 1: playing it in draw 4 repeats it after 3 draws.
    const TStatDrawArray three = selectedPairs({{7, 3}});
    EXPECT_TRUE(s->CombMatches(with7, three, 2, false, false));
    EXPECT_FALSE(s->CombMatches(with7, three, 2, false, true));
    EXPECT_FALSE(s->CombMatches(without7, three, 2, false, false));
    const TStatDrawArray two = selectedPairs({{7, 2}});
    EXPECT_FALSE(s->CombMatches(with7, two, 2, false, false));
    EXPECT_TRUE(s->CombMatches(with7, two, 2, false, true));
    // A period reaching before the archive looks at no draw.
    const TStatDrawArray far = selectedPairs({{7, 1000}});
    EXPECT_FALSE(s->CombMatches(with7, far, 2, false, false));
    EXPECT_TRUE(s->CombMatches(with7, far, 2, false, true));
    // With a draws offset the draws after the sample are never looked at.
    EXPECT_FALSE(s->CombMatches(comb({2, 5, 6, 8, 9, 13}), selectedPairs({{2, 0}}), 1, false, false));
}

TEST_F(PeriodStats, FilterCountsPeriodsInDrawNumbersAcrossGaps)
{
    // Draws 12 and 13 are missing from the archive; the next draw is 15.
    draws = {draw(10, {5, 1, 2, 3, 4, 6}), draw(11, {9, 20, 21, 22, 23, 24}), draw(14, {30, 31, 32, 33, 34, 35})};
    auto s = stat(u"PRDV"_s);
    const TComb with5 = comb({5, 36, 37, 38, 39, 40});
    EXPECT_TRUE(s->CombMatches(with5, selectedPairs({{5, 5}}), 2, false, false));
    // Three draws back by position is draw 10, but a period of 3 would need 5 in draw 12.
    EXPECT_FALSE(s->CombMatches(with5, selectedPairs({{5, 3}}), 2, false, false));
    const TComb with9 = comb({9, 36, 37, 38, 39, 40});
    EXPECT_TRUE(s->CombMatches(with9, selectedPairs({{9, 4}}), 2, false, false));
    EXPECT_FALSE(s->CombMatches(with9, selectedPairs({{9, 2}}), 2, false, false));
}

TEST_F(PeriodStats, FilterAgreesWithThePeriodsOfTheNextDraw)
{
    loadReferenceArchive();
    for (const QString &code : {u"PRDV"_s, u"PRDC"_s, u"PRDG"_s}) {
        for (bool sorted : {false, true}) {
            auto s = stat(code);
            TStatWork work;
            TLastValueArray lastValues;
            int checked = 0;
            for (int i = 0; i < int(draws.size()); ++i) {
                TStatDrawArray ofDraw;
                s->ValuesOfDraw(i, i, sorted, ofDraw, work, lastValues);
                // Taken as the draw after draw i - 1, draw i completes each of its own periods, unless the
                // archive skips draw numbers before it.
                if (i == 0 || draws[size_t(i)].number != draws[size_t(i) - 1].number + 1)
                    continue;
                const TComb c = DrawToComb(draws[size_t(i)]);
                for (const TStatValueRec &r : ofDraw) {
                    TStatDrawArray one;
                    one.append(r);
                    const std::string at = code.toStdString() + ' ' + std::to_string(i);
                    EXPECT_TRUE(s->CombMatches(c, one, i - 1, sorted, false)) << at;
                    EXPECT_FALSE(s->CombMatches(c, one, i - 1, sorted, true)) << at;
                    ++checked;
                }
            }
            EXPECT_GT(checked, 500) << code.toStdString();
        }
    }
}

TEST_F(PeriodStats, FindsTheDrawThatRepeatsAPeriodAfterTheSample)
{
    draws = {draw(1, {5, 1, 2, 3, 4, 6}), draw(2, {7, 8, 9, 10, 11, 12}), draw(3, {5, 13, 14, 15, 16, 17}),
             draw(4, {7, 18, 19, 20, 21, 22}), draw(5, {5, 23, 24, 25, 26, 27})};
    auto s = stat(u"PRDV"_s);
    TStatValueRec v;
    v.Keys.set(5, 2);
    // The period runs on from the start of the archive, so draw 5 is found after a sample ending with draw 3.
    EXPECT_EQ(s->FindDrawWithValue(v, 3, 2, false), 5);
    v.Keys.set(5, 4);
    EXPECT_EQ(s->FindDrawWithValue(v, 3, 2, false), -1);
}
