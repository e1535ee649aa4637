#include "lottery/Combinatorics.h"

#include <gtest/gtest.h>

#include <limits>

// Expected values computed independently with Python's math.comb.

TEST(Combinatorics, CombinationCount)
{
    EXPECT_EQ(CombinationCount(45, 6), 8145060);
    EXPECT_EQ(CombinationCount(6, 6), 1);
    EXPECT_EQ(CombinationCount(3, 6), 1); // a stake covering the whole set is one combination
    EXPECT_EQ(CombinationCount(45, 0), 1);
    EXPECT_EQ(CombinationCount(45, 1), 45);
    EXPECT_EQ(CombinationCount(45, 10), 3190187286LL);
    EXPECT_EQ(CombinationCount(45, 22), 4116715363800LL);
    EXPECT_EQ(CombinationCount(45, -1), 0);
    // Exact where an extended-float factorial would no longer be.
    EXPECT_EQ(CombinationCount(66, 33), 7219428434016265740LL);
    EXPECT_EQ(CombinationCount(67, 33), std::numeric_limits<int64_t>::max());
}

TEST(Combinatorics, MatchesTableSumsToAllCombinations)
{
    const int64_t six[] = {3262623, 3454542, 1233765, 182780, 11115, 234, 1};
    int64_t total = 0;
    for (int m = 0; m <= 6; ++m) {
        EXPECT_EQ(CombinationsWithMatches(45, 6, m), six[m]) << m;
        total += CombinationsWithMatches(45, 6, m);
    }
    EXPECT_EQ(total, CombinationCount(45, 6));

    const int64_t eight[] = {38608020, 82363776, 65093952, 24410232, 4623150, 435120, 18648, 296, 1};
    for (int m = 0; m <= 8; ++m)
        EXPECT_EQ(CombinationsWithMatches(45, 8, m), eight[m]) << m;
}

TEST(Combinatorics, MatchesOutsideTheStake)
{
    EXPECT_EQ(CombinationsWithMatches(45, 6, 7), 0);
    EXPECT_EQ(CombinationsWithMatches(45, 6, -1), 0);
    EXPECT_EQ(CombinationsWithMatches(5, 6, 5), 1); // m >= n
}

TEST(Combinatorics, FactorialAndSums)
{
    EXPECT_EQ(Factorial(0), 1);
    EXPECT_EQ(Factorial(1), 1);
    EXPECT_EQ(Factorial(5), 120);
    EXPECT_EQ(static_cast<uint64_t>(Factorial(20)), 2432902008176640000ULL);

    EXPECT_EQ(SumOfLowest(1, 6), 21);
    EXPECT_EQ(SumOfHighest(45, 6), 255);
    EXPECT_EQ(SumOfLowest(10, 3), 33);
    EXPECT_EQ(SumOfHighest(10, 3), 27);
    EXPECT_EQ(SumOfLowest(10, 0), 0);
    EXPECT_EQ(SumOfHighest(10, -2), 0);
    EXPECT_EQ(MinSum, 21);
    EXPECT_EQ(MaxSum, 255);
    EXPECT_EQ(SumRangeWidth, 23);
}
