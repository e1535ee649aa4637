#include "lottery/NumberGeometry.h"

#include <gtest/gtest.h>

namespace {

TDrawRec MakeDraw(std::array<uint8_t, 6> main, std::array<uint8_t, 2> extra = {7, 22})
{
    TDrawRec d;
    d.number = 1;
    d.main = main;
    d.extra = extra;
    return d;
}

TComb MakeComb(std::array<uint8_t, 6> n)
{
    TComb c;
    c.n = n;
    return c;
}

TNumSet MakeSet(std::initializer_list<uint8_t> numbers)
{
    TNumSet s;
    for (uint8_t n : numbers)
        s.numbers[static_cast<size_t>(s.count++)] = n;
    return s;
}

} // namespace

TEST(NumberGeometry, MatrixAndChannels)
{
    EXPECT_EQ(MatrixRowCount(0, 45, 5), 9);
    EXPECT_EQ(MatrixRowCount(0, 45, 7), 7);
    EXPECT_EQ(MatrixRowCount(10, 20, 5), 3);
    EXPECT_EQ(MatrixRowCount(0, 45, 0), 45); // damaged column count works as one column

    EXPECT_EQ(MatrixCellOf(1, 7, 5), (TMatrixCell{1, 1}));
    EXPECT_EQ(MatrixCellOf(1, 1, 5), (TMatrixCell{0, 0}));
    EXPECT_EQ(MatrixNumberAt(1, 1, 5, 1), 7);
    for (int n = 1; n <= 45; ++n) {
        const TMatrixCell c = MatrixCellOf(1, n, 7);
        EXPECT_EQ(MatrixNumberAt(1, c.row, 7, c.col), n);
        EXPECT_EQ(ColumnOf(n, 7), c.col + 1);
        EXPECT_EQ(RowOf(n, 7), c.row + 1);
    }

    EXPECT_EQ(ChannelOf(1, 5), 1);
    EXPECT_EQ(ChannelOf(5, 5), 1);
    EXPECT_EQ(ChannelOf(6, 5), 2);
    EXPECT_EQ(ChannelOf(45, 5), 9);
    EXPECT_EQ(ChannelOf(45, 0), 45);
    EXPECT_EQ(ColumnOf(7, 0), 1);
}

TEST(NumberGeometry, NumberColorStaysInsideTheTable)
{
    EXPECT_EQ(NumberColor(0, 5).colorRef(), 255u);
    EXPECT_EQ(NumberColor(46, 5).colorRef(), 255u);
    EXPECT_EQ(NumberColor(-3, 5), kBadNumberColor);
    EXPECT_EQ(NumberColor(1, 5), (TRgbColor{170, 255, 170, false}));
    EXPECT_EQ(NumberColor(45, 5), (TRgbColor{170, 213, 255, false}));  // channel 9
    EXPECT_EQ(NumberColor(45, 2), (TRgbColor{255, 170, 170, false}));  // channel 23 -> 4
    EXPECT_TRUE(NumberColor(39, 1).isSystemWindow);                    // channel 39 -> 20
    EXPECT_EQ(NumberColor(40, 1), (TRgbColor{255, 255, 170, false}));  // 40 -> 21 -> 2
    EXPECT_EQ(NumberColor(45, 1), (TRgbColor{213, 170, 255, false}));  // 45 -> 26 -> 7
    for (int size = -1; size <= 45; ++size)
        for (int n = 1; n <= 45; ++n)
            EXPECT_NE(NumberColor(n, size), kBadNumberColor) << n << " " << size;
}

TEST(NumberGeometry, ShiftNumberWrapsAround)
{
    EXPECT_EQ(ShiftNumber(45, 1), 1);
    EXPECT_EQ(ShiftNumber(1, -1), 45);
    EXPECT_EQ(ShiftNumber(10, 0), 10);
    EXPECT_EQ(ShiftNumber(45, 45), 45);
    EXPECT_EQ(ShiftNumber(1, -45), 1);
    EXPECT_EQ(ShiftNumber(10, 100), 20);
    EXPECT_EQ(ShiftNumber(10, -100), 45);
    EXPECT_EQ(ShiftComb(MakeComb({1, 2, 43, 44, 45, 20}), 2), MakeComb({3, 4, 45, 1, 2, 22}));
}

TEST(NumberGeometry, MembershipAndMatches)
{
    const TDrawRec draw = MakeDraw({30, 5, 12, 41, 18, 33});
    EXPECT_TRUE(DrawHasNumber(41, draw));
    EXPECT_FALSE(DrawHasNumber(7, draw)); // supplementary numbers are not main numbers
    EXPECT_TRUE(CombHasNumber(12, MakeComb(draw.main)));
    EXPECT_TRUE(DrawHasChannel(9, draw, 5));
    EXPECT_FALSE(DrawHasChannel(2, draw, 5));

    TSegmentsArray segments;
    segments.fill(1);
    segments[32] = 4; // number 33
    EXPECT_TRUE(DrawHasSegment(4, draw, segments));
    EXPECT_FALSE(DrawHasSegment(3, draw, segments));
    // A damaged draw with numbers outside 1..45 is in no segment and reads nothing past the table.
    EXPECT_FALSE(DrawHasSegment(1, MakeDraw({0, 46, 255, 0, 0, 0}), segments));

    EXPECT_EQ(DrawCombMatches(draw, MakeComb({5, 6, 7, 30, 41, 44})), 3);
    EXPECT_EQ(DrawCombMatches(draw, MakeComb({1, 2, 3, 4, 6, 7})), 0);
    EXPECT_EQ(DrawDrawMatches(draw, MakeDraw({33, 18, 41, 12, 5, 30})), 6);

    const TNumSet hits = DrawNumSetHits(draw, MakeSet({41, 5, 7, 30, 2, 1, 3, 4}));
    EXPECT_EQ(hits, MakeSet({5, 30, 41}));
    TNumSet damaged = MakeSet({41, 5});
    damaged.count = 200;
    EXPECT_LE(DrawNumSetHits(draw, damaged).count, 6);

    EXPECT_TRUE(NumSetsEqual(MakeSet({1, 2, 3}), MakeSet({3, 1, 2})));
    EXPECT_FALSE(NumSetsEqual(MakeSet({1, 2, 3}), MakeSet({1, 2, 3, 4})));
    EXPECT_FALSE(NumSetsEqual(MakeSet({1, 2, 3}), MakeSet({1, 2, 4})));
}

TEST(NumberGeometry, CoveredNumbersInOrderOfFirstAppearance)
{
    TCombsArray combs{MakeComb({5, 1, 2, 3, 4, 6}), MakeComb({4, 5, 6, 7, 8, 9}), MakeComb({0, 46, 9, 10, 11, 200})};
    EXPECT_EQ(CoveredNumberCount(combs, 1), 6);
    EXPECT_EQ(CoveredNumberCount(combs, 2), 9);
    EXPECT_EQ(CoveredNumberCount(combs, 100), 11); // 0, 46 and 200 are not numbers of the game
    EXPECT_EQ(CoveredNumbers(combs, 3), (TByteArray{5, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11}));
    EXPECT_TRUE(CoveredNumbers(combs, 0).empty());
    EXPECT_EQ(CoveredNumberCount({}, 5), 0);

    // Every number in eight combinations: the walk stops at 45.
    TCombsArray all;
    for (int i = 0; i < 9; ++i) {
        TComb c;
        for (size_t j = 0; j < 6; ++j)
            c[j] = static_cast<uint8_t>((i * 6 + static_cast<int>(j)) % 45 + 1);
        all.push_back(c);
    }
    EXPECT_EQ(CoveredNumberCount(all, 9), 45);
    const TByteArray numbers = CoveredNumbers(all, 9);
    ASSERT_EQ(numbers.size(), 45u);
    EXPECT_EQ(numbers.front(), 1);
    EXPECT_EQ(numbers.back(), 45);
}

TEST(NumberGeometry, ByteArrays)
{
    TByteArray a;
    ByteArrayAddUnique(3, a);
    ByteArrayAddUnique(3, a);
    ByteArrayAdd(3, a);
    ByteArrayAddUnique(7, a);
    EXPECT_EQ(a, (TByteArray{3, 3, 7}));
    EXPECT_TRUE(ByteArrayHas(7, a));
    EXPECT_FALSE(ByteArrayHas(8, a));
}
