#pragma once

#include <cstdint>

// Counting combinations of the game. Everything is exact integer arithmetic; counts that would not fit
// in 64 bits saturate at INT64_MAX (far beyond anything the game with its 45 numbers can ask for).

// n! as an extended float (exact up to 25!); 1 for n below 2.
long double Factorial(int n);

// C(n, r) by the falling product: 0 when r < 0 or r > n, 1 when r = 0.
int64_t Binomial(int n, int r);

// C(n, k); 1 when n <= k (the caller asks for the count of a stake of k numbers out of n, and a stake
// that covers the whole set is one combination). 0 for a negative k. C(45, 6) = 8,145,060.
int64_t CombinationCount(int n, int k);

// How many k-number combinations from n numbers share exactly m numbers with a given k-number
// combination: C(k, m) * C(n - k, k - m). 1 when m >= n; 0 when m is negative or above k.
int64_t CombinationsWithMatches(int n, int k, int m);

// first + (first + 1) + ... (k terms) and last + (last - 1) + ... (k terms); 0 when k < 1.
constexpr int SumOfLowest(int first, int k)
{
    return k < 1 ? 0 : k * first + k * (k - 1) / 2;
}
constexpr int SumOfHighest(int last, int k)
{
    return k < 1 ? 0 : k * last - k * (k - 1) / 2;
}

// The range of the sum of six main numbers, and the width of one tenth of it.
inline constexpr int MinSum = SumOfLowest(1, 6);
inline constexpr int MaxSum = SumOfHighest(45, 6);
inline constexpr int SumRangeWidth = (MaxSum - MinSum) / 10;
static_assert(MinSum == 21 && MaxSum == 255 && SumRangeWidth == 23);
