#include "app/views/SumsDistribution.h"

#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;

namespace {

// The number of ways to pick k of the numbers 1..45 with sum s, built up number by number.
std::map<int, int64_t> sixNumberSums()
{
    std::vector<std::vector<int64_t>> ways(7, std::vector<int64_t>(256, 0));
    ways[0][0] = 1;
    for (int n = 1; n <= 45; ++n)
        for (int k = 6; k >= 1; --k)
            for (int s = 255; s >= n; --s)
                ways[size_t(k)][size_t(s)] += ways[size_t(k - 1)][size_t(s - n)];
    std::map<int, int64_t> result;
    for (int s = 0; s < 256; ++s)
        if (ways[6][size_t(s)] > 0)
            result[s] = ways[6][size_t(s)];
    return result;
}

TDrawRec drawOf(std::array<uint8_t, 6> main)
{
    TDrawRec d;
    d.main = main;
    return d;
}

TEST(SumsDistribution, CombinationsAgainstAnIndependentCount)
{
    const TSumsDistribution d = CalcSumsDistribution({});
    const std::map<int, int64_t> expected = sixNumberSums();
    ASSERT_EQ(d.theoretical.size(), expected.size());
    EXPECT_EQ(d.theoretical.front().Key, 21);
    EXPECT_EQ(d.theoretical.back().Key, 255);
    int64_t total = 0;
    auto it = expected.begin();
    for (const TStatSimpleRec &r : d.theoretical) {
        EXPECT_EQ(r.Key, it->first);
        EXPECT_EQ(r.Count, it->second) << "sum " << r.Key;
        total += r.Count;
        ++it;
    }
    EXPECT_EQ(total, 8145060);
    EXPECT_EQ(d.minT, 1);
    EXPECT_EQ(d.maxT, 105690);
}

TEST(SumsDistribution, ThresholdsAndNestedRanges)
{
    const TSumsDistribution d = CalcSumsDistribution({});
    EXPECT_EQ(d.threshold, (std::array<int32_t, 3>{35231, 52846, 70461}));
    EXPECT_EQ(d.low, (std::array<int32_t, 3>{93, 102, 110}));
    EXPECT_EQ(d.high, (std::array<int32_t, 3>{183, 174, 166}));
    EXPECT_EQ(SumsRangeTitle(d, 0), u"Диапазон 1 (от 1/3 и выше по оси Y) - суммы 93-183"_s);
    EXPECT_EQ(SumsRangeTitle(d, 2), u"Диапазон 3 (от 2/3 и выше по оси Y) - суммы 110-166"_s);
}

TEST(SumsDistribution, DrawsCountedBySumAndTheScale)
{
    // Sums 21, 21, 255 and 126.
    const TDrawsArray draws = {drawOf({1, 2, 3, 4, 5, 6}), drawOf({6, 5, 4, 3, 2, 1}),
                               drawOf({40, 41, 42, 43, 44, 45}), drawOf({3, 14, 25, 36, 41, 7})};
    const TSumsDistribution d = CalcSumsDistribution(draws);
    EXPECT_EQ(d.actual, (TStatSimpleArray{{21, 2}, {126, 1}, {255, 1}}));
    EXPECT_EQ(d.maxA, 2);
    EXPECT_DOUBLE_EQ(d.scaled(105690), 2.0);
    EXPECT_DOUBLE_EQ(d.scaled(52845), 1.0);

    // An empty archive: no actual series and every scaled value on zero.
    const TSumsDistribution empty = CalcSumsDistribution({});
    EXPECT_TRUE(empty.actual.empty());
    EXPECT_EQ(empty.maxA, 0);
    EXPECT_DOUBLE_EQ(empty.scaled(105690), 0.0);
}

} // namespace
