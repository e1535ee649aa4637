#include "HistoryStatsFixture.h"

#include "lottery/DrawTexts.h"
#include "lottery/stats/CharacteristicStats.h"

using namespace Qt::StringLiterals;

namespace {

class CharacteristicStats : public HistoryStats {
protected:
    // The keys and counts HCO3 proposes when the sample ends with a draw of these numbers, followed by
    // next (or by nothing when next is empty), in the order they are listed.
    std::vector<std::pair<int, int>> proposals(std::array<uint8_t, 6> last, std::array<uint8_t, 6> next = {},
                                               bool sorted = false)
    {
        draws = {draw(10, {40, 41, 42, 43, 44, 45}), draw(11, last)};
        if (next[0] != 0)
            draws.push_back(draw(12, next));
        const TStatDrawArray values = computeTo(u"HCO3"_s, 1, 2, sorted);
        std::vector<std::pair<int, int>> out;
        for (const TStatValueRec &v : values)
            out.emplace_back(v.Keys.word(1), v.Count);
        return out;
    }
    static std::vector<std::pair<int, int>> uncounted(std::initializer_list<int> keys)
    {
        std::vector<std::pair<int, int>> out;
        for (int k : keys)
            out.emplace_back(k, 0);
        return out;
    }
};

} // namespace

TEST_F(CharacteristicStats, AgreeWithTheReferenceComputation)
{
    loadReferenceArchive();
    checkAgainstReference({u"HCO1"_s, u"HCO2"_s, u"HCO3"_s});
}

TEST_F(CharacteristicStats, DifferenceChains)
{
    auto chain = [](std::array<uint8_t, 6> n, int mode) { return DiffChain(n.data(), 6, mode); };
    // 7 2 8 13 8 -> 5 6 5 5 -> 1 1 0 -> 0 1 -> 1
    EXPECT_EQ(chain({3, 10, 12, 20, 33, 41}, 0), TByteArray{1});
    EXPECT_EQ(chain({3, 10, 12, 20, 33, 41}, 1), TByteArray{1});
    EXPECT_EQ(chain({3, 10, 12, 20, 33, 41}, 2), (TByteArray{1, 1}));
    // The order matters.
    EXPECT_EQ(chain({30, 5, 17, 2, 44, 9}, 0), TByteArray{10});
    EXPECT_EQ(chain({2, 5, 9, 17, 30, 44}, 0), TByteArray{1});
    EXPECT_EQ(chain({2, 5, 9, 17, 30, 44}, 1), TByteArray{5});
    EXPECT_EQ(chain({2, 5, 9, 17, 30, 44}, 2), (TByteArray{1, 5}));
    EXPECT_EQ(chain({7, 3, 21, 15, 40, 8}, 0), TByteArray{0});
    EXPECT_EQ(chain({7, 3, 21, 15, 40, 8}, 1), TByteArray{10});
    EXPECT_EQ(chain({7, 3, 21, 15, 40, 8}, 2), TByteArray{10});
    for (int mode : {0, 1, 2})
        EXPECT_EQ(chain({1, 2, 3, 4, 5, 6}, mode), TByteArray{0}) << mode;
    // Short rows.
    const uint8_t two[] = {9, 4};
    EXPECT_EQ(DiffChain(two, 2, 0), TByteArray{5});
    EXPECT_EQ(DiffChain(two, 1, 0), TByteArray{9});
    EXPECT_EQ(DiffChain(two, 0, 0), TByteArray{0});
}

TEST_F(CharacteristicStats, DrawsCombinationsAndFiltersAgree)
{
    loadReferenceArchive();
    for (const QString &code : {u"HCO1"_s, u"HCO2"_s}) {
        auto s = stat(code);
        auto &graph = dynamic_cast<TCustomGraphStat &>(*s);
        for (int i = 0; i < int(draws.size()); ++i) {
            for (bool sorted : {false, true}) {
                const TStatDrawArray own = valuesOfDraw(*s, i, i, sorted);
                ASSERT_EQ(own.size(), 1);
                const uint16_t k = own[0].Keys.word(1);
                TDrawRec d = draws[size_t(i)];
                if (sorted)
                    SortDrawNumbers(d);
                const TComb c = DrawToComb(d);
                const std::string at = code.toStdString() + ' ' + std::to_string(i);
                TStatDrawArray ofComb;
                s->ValuesOfComb(c, ofComb);
                EXPECT_EQ(ofComb[0].Keys.word(1), k) << at;
                EXPECT_EQ(graph.GraphValue(i, i, sorted), k) << at;
                EXPECT_TRUE(s->CombMatches(c, selected({k}), i, sorted, false)) << at;
                EXPECT_FALSE(s->CombMatches(c, selected({uint16_t(k + 1), uint16_t(k + 2)}), i, sorted, false)) << at;
            }
        }
    }
}

TEST_F(CharacteristicStats, DynamicProposalsOfTheLastDraw)
{
    // c = 2: 2, then 8 (2 * 2 * 2) down to 4.
    EXPECT_EQ(proposals({1, 2, 3, 4, 5, 8}), uncounted({2, 8, 6, 4}));
    // c = 7: 7, then 49 is out of range and 42 down to 14 follow.
    EXPECT_EQ(proposals({1, 2, 3, 4, 5, 13}), uncounted({7, 42, 35, 28, 21, 14}));
    // c = 0 and c = 1 (a final 1 takes the sum of the last pair, here 0 + 1): no multiples. Without a draw
    // after the sample nothing is counted, not even 0 against the zeros of a draw that does not exist.
    EXPECT_EQ(proposals({1, 2, 3, 4, 5, 6}), uncounted({0}));
    EXPECT_EQ(proposals({3, 10, 12, 20, 33, 41}), uncounted({1}));

    // With the draw after the sample known, its numbers are counted.
    const std::array<uint8_t, 6> next{10, 20, 33, 41, 44, 45};
    EXPECT_EQ(proposals({2, 5, 9, 17, 30, 44}, next, true),
              (std::vector<std::pair<int, int>>{{5, 0}, {45, 1}, {40, 0}, {35, 0}, {30, 0}, {25, 0}, {20, 1},
                                                {15, 0}, {10, 1}}));
    EXPECT_EQ(proposals({30, 5, 17, 2, 44, 9}, next, false),
              (std::vector<std::pair<int, int>>{{10, 1}, {40, 0}, {30, 0}, {20, 1}}));

    // Only the last draw of the sample proposes anything.
    draws = {draw(10, {1, 2, 3, 4, 5, 8}), draw(11, {1, 2, 3, 4, 5, 13})};
    const TStatDrawArray values = compute(u"HCO3"_s);
    EXPECT_FALSE(find(values, 8));
    EXPECT_TRUE(find(values, 42));
}

TEST_F(CharacteristicStats, DynamicValueTextsAndFilter)
{
    draws = {draw(1, {2, 5, 9, 17, 30, 44})};
    const TStatDrawArray values = compute(u"HCO3"_s, true);
    auto s = stat(u"HCO3"_s);
    ASSERT_TRUE(find(values, 5, 1, 0, 2));
    EXPECT_EQ(s->ValueToText(*find(values, 5, 1, 0, 2)), u"5 (1)");
    EXPECT_EQ(s->ValueToText(*find(values, 45)), u"45");
    EXPECT_EQ(s->ValueFromText(u"45"), 0);
    // A combination matches when one of its numbers is a selected proposal.
    EXPECT_TRUE(s->CombMatches(comb({1, 5, 11, 12, 13, 14}), values, 0, true, false));
    EXPECT_TRUE(s->CombMatches(comb({1, 2, 3, 4, 6, 40}), values, 0, true, false));
    EXPECT_FALSE(s->CombMatches(comb({1, 2, 3, 4, 6, 7}), values, 0, true, false));
    TStatDrawArray none;
    s->ValuesOfComb(comb({1, 2, 3, 4, 5, 6}), none);
    EXPECT_TRUE(none.empty());
}
