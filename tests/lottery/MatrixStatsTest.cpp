#include "tests/lottery/GeometryStatsFixture.h"

#include "lottery/stats/MatrixStats.h"

#include <algorithm>
#include <numeric>
#include <random>

using namespace Qt::StringLiterals;

namespace {
using MatrixStats = GeometryStats;
}

TEST_F(MatrixStats, OneDrawInFiveColumns)
{
    configure(5, 5);
    draws = {makeDraw(1, {1, 6, 11, 2, 30, 45})};

    const TStatDrawArray cols = compute(u"COLS"_s);
    EXPECT_EQ(cols.size(), 5);
    EXPECT_EQ(find(cols, 1)->Count, 3);
    EXPECT_EQ(find(cols, 2)->Count, 1);
    EXPECT_EQ(find(cols, 5)->Count, 2);
    EXPECT_EQ(compute(u"ROWS"_s).size(), 9);

    EXPECT_EQ(find(compute(u"COLN"_s), 3)->Count, 1);
    EXPECT_EQ(find(compute(u"ROWN"_s), 5)->Count, 1);
    EXPECT_EQ(find(compute(u"COL1"_s), 3)->Count, 1);
    EXPECT_EQ(find(compute(u"ROW1"_s), 2)->Count, 1);

    const TStatDrawArray colm = compute(u"COLM"_s);
    ASSERT_EQ(colm.size(), 1);
    EXPECT_EQ(colm[0].Keys, TStatKeys::of(25));
    EXPECT_EQ(stat(u"COLM"_s)->ValueToText(colm[0]), u"11001 (025)");
    const TStatDrawArray rowm = compute(u"ROWM"_s);
    EXPECT_EQ(stat(u"ROWM"_s)->ValueToText(rowm[0]), u"111001001 (457)");

    // Adjacent pairs 1-6 and 6-11 in column 1; 1-2 in row 1.
    const TStatDrawArray cola = compute(u"COLA"_s);
    ASSERT_EQ(cola.size(), 1);
    EXPECT_EQ(cola[0].Keys, TStatKeys::of(1, 3));
    EXPECT_EQ(stat(u"COLA"_s)->ValueToText(cola[0]), u"1 x 3");
    const TStatDrawArray rowa = compute(u"ROWA"_s);
    ASSERT_EQ(rowa.size(), 1);
    EXPECT_EQ(rowa[0].Keys, TStatKeys::of(1, 2));
    EXPECT_EQ(find(compute(u"COLC"_s), 1)->Count, 1);
    EXPECT_EQ(find(compute(u"ROWC"_s), 1)->Count, 1);

    const TStatDrawArray colv = compute(u"COLV"_s);
    for (auto [k, m] : {std::pair{1, 3}, {2, 1}, {3, 0}, {4, 0}, {5, 2}})
        EXPECT_EQ(find(colv, uint16_t(k), uint16_t(m))->Count, 1) << k;
    EXPECT_EQ(stat(u"COLV"_s)->ValueToText(colv[0]), u"1 x 0");
}

TEST_F(MatrixStats, AdjacentNumbersInAColumn)
{
    configure(5, 5);
    draws = {makeDraw(1, {1, 6, 11, 16, 21, 26}), makeDraw(2, {1, 6, 21, 26, 3, 45}),
             makeDraw(3, {1, 3, 5, 12, 14, 33})};
    const TStatDrawArray cola = compute(u"COLA"_s);
    ASSERT_EQ(cola.size(), 2);
    EXPECT_EQ(cola[0].Keys, TStatKeys::of(1, 6)); // a run down the whole column
    EXPECT_EQ(cola[1].Keys, TStatKeys::of(1, 3)); // two separate pairs
    // The third draw has no numbers in adjacent cells.
    const TStatDrawArray colc = compute(u"COLC"_s);
    ASSERT_EQ(colc.size(), 2);
    EXPECT_EQ(colc[0].Keys, TStatKeys::of(1));
    EXPECT_EQ(colc[0].Count, 2);
    EXPECT_EQ(colc[1].Keys, TStatKeys::of(0));
    EXPECT_EQ(colc[1].Count, 1);
}

TEST_F(MatrixStats, AdjacentPairsOfAscendingNumbersInEveryLayout)
{
    // Every column count: the lines with adjacent cells, in the order of their first pair (by the
    // smaller number, then the larger), with their pair counts, worked out from the cells directly.
    std::mt19937 rng(4242);
    for (int cols = 1; cols <= kMaxNumber; ++cols) {
        TConfigData config;
        config.matrixCols = cols;
        const TMatrixGeometry matrix(config);
        for (int trial = 0; trial < 300; ++trial) {
            std::array<uint8_t, kMaxNumber> all{};
            std::iota(all.begin(), all.end(), uint8_t(1));
            std::shuffle(all.begin(), all.end(), rng);
            TMatrixGeometry::TNumbers numbers{};
            std::copy_n(all.begin(), kMainCount, numbers.begin());
            std::sort(numbers.begin(), numbers.end());
            for (const TMatrixAxis axis : {TMatrixAxis::Columns, TMatrixAxis::Rows}) {
                std::vector<std::pair<int, int>> expected; // line, pairs
                for (size_t i = 0; i < kMainCount; ++i)
                    for (size_t j = i + 1; j < kMainCount; ++j) {
                        const int a = numbers[i] - 1, b = numbers[j] - 1;
                        const bool columns = axis == TMatrixAxis::Columns;
                        const int lineA = columns ? a % cols : a / cols, lineB = columns ? b % cols : b / cols;
                        const int placeA = columns ? a / cols : a % cols, placeB = columns ? b / cols : b % cols;
                        if (lineA != lineB || std::abs(placeA - placeB) != 1)
                            continue;
                        auto it = std::find_if(expected.begin(), expected.end(),
                                               [&](const auto &e) { return e.first == lineA + 1; });
                        if (it == expected.end())
                            expected.push_back({lineA + 1, 1});
                        else
                            ++it->second;
                    }
                TMatrixGeometry::TAdjacency adjacency;
                matrix.Adjacency(axis, numbers, adjacency);
                std::vector<std::pair<int, int>> found;
                for (int k = 0; k < adjacency.Size; ++k)
                    found.push_back({adjacency.Line[size_t(k)], adjacency.Pairs[size_t(k)]});
                ASSERT_EQ(found, expected) << cols << ' ' << int(axis);
            }
        }
    }
}

TEST_F(MatrixStats, EnumerationsInTenColumns)
{
    configure(5, 10);
    EXPECT_EQ(compute(u"ROWV"_s).size(), 5 * 7); // 5 rows, counts 0..6
    EXPECT_EQ(compute(u"COLV"_s).size(), 10 * 6); // 10 columns, counts 0..5
    EXPECT_EQ(compute(u"COLN"_s).size(), 6);
    EXPECT_EQ(compute(u"ROWN"_s).size(), 5);
    EXPECT_EQ(compute(u"COL3"_s).size(), 5);
    EXPECT_EQ(compute(u"ROW3"_s).size(), 10);
    EXPECT_EQ(list.FindMethod(u"ROW6"), -1);
    EXPECT_GE(list.FindMethod(u"COL10"), 0);
    EXPECT_TRUE(compute(u"COLM"_s).empty());
    EXPECT_TRUE(compute(u"COLA"_s).empty());
}

TEST_F(MatrixStats, MaskTexts)
{
    configure(5, 5);
    auto colm = stat(u"COLM"_s);
    EXPECT_EQ(colm->ValueFromText(u"10101"), 21);
    EXPECT_EQ(colm->ValueFromText(u"1"), 16);
    EXPECT_EQ(colm->ValueFromText(u"10101 (021)"), 21);
    TStatValueRec v;
    v.Keys.set(21);
    EXPECT_EQ(colm->ValueToText(v), u"10101 (021)");

    // Every column hit: the columns' ones and the mask in at least three digits.
    configure(5, 3);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6})};
    EXPECT_EQ(stat(u"COLM"_s)->ValueToText(compute(u"COLM"_s)[0]), u"111 (007)");
    configure(5, 6);
    EXPECT_EQ(stat(u"COLM"_s)->ValueToText(compute(u"COLM"_s)[0]), u"111111 (063)");
}

TEST_F(MatrixStats, MasksOfMoreThanThirtyTwoRows)
{
    // One column: 45 rows, a bit each. The rows 1..6 and 1..5 with 7 are different patterns.
    configure(5, 1);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6}), makeDraw(2, {1, 2, 3, 4, 5, 7})};
    const TStatDrawArray rowm = compute(u"ROWM"_s);
    ASSERT_EQ(rowm.size(), 2);
    const uint64_t first = uint64_t(63) << 39;
    EXPECT_EQ(rowm[0].Keys.packed(), first);
    EXPECT_EQ(rowm[0].Keys.word(3), uint16_t(first >> 32));
    auto s = stat(u"ROWM"_s);
    EXPECT_EQ(s->ValueToText(rowm[0]), u"111111" + QString(39, u'0') + u" (" + QString::number(first) + u")");
    // Read back from its text in full; the integer form of such a wide mask is 0, which no draw has.
    EXPECT_EQ(static_cast<TMatrixMaskStat &>(*s).TextToMask(s->ValueToText(rowm[1])), rowm[1].Keys.packed());
    EXPECT_EQ(s->ValueFromText(s->ValueToText(rowm[1])), 0);

    EXPECT_TRUE(s->CombMatches(makeComb({1, 2, 3, 4, 5, 6}), selected({rowm[0].Keys}), 1, false, false));
    EXPECT_FALSE(s->CombMatches(makeComb({1, 2, 3, 4, 5, 6}), selected({rowm[1].Keys}), 1, false, false));
    EXPECT_FALSE(s->CombMatches(makeComb({1, 2, 3, 4, 5, 6}), selected({TStatKeys::of(0)}), 1, false, false));

    // 33 columns: column 1 is bit 32.
    configure(5, 33);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 6})};
    const TStatDrawArray colm = compute(u"COLM"_s);
    EXPECT_EQ(colm[0].Keys.packed(), uint64_t(0x3F) << 27);
    draws = {makeDraw(1, {34, 2, 3, 4, 5, 6})};
    EXPECT_EQ(compute(u"COLM"_s)[0].Keys.packed(), uint64_t(0x3F) << 27);
}

TEST_F(MatrixStats, ColumnCountsOutsideTheDialogsRange)
{
    // No column count lists no column methods; the statistics made anyway work with one column.
    configure(5, 0);
    EXPECT_EQ(list.FindMethod(u"COL1"), -1);
    EXPECT_EQ(list.FindMethod(u"ROW1"), -1);
    draws = {makeDraw(1, {1, 2, 3, 4, 5, 45})};
    EXPECT_EQ(find(compute(u"COLS"_s), 1)->Count, 6);
    EXPECT_EQ(find(compute(u"ROWN"_s), 6)->Count, 1);
    EXPECT_EQ(find(compute(u"ROWA"_s), 1), nullptr);
    EXPECT_EQ(compute(u"COLA"_s).size(), 1);
}
