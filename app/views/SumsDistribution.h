#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/stats/StatValue.h"

#include <QString>
#include <array>
#include <cstdint>

// How often each sum of the six main numbers occurred in the archive, against how many of all
// possible combinations have that sum, with the sum ranges where the combinations' count reaches one
// third, one half and two thirds of its span.
struct TSumsDistribution {
    TStatSimpleArray theoretical; // (sum, combinations), ascending by sum
    TStatSimpleArray actual;      // (sum, draws), ascending by sum
    int32_t minT = 0;
    int32_t maxT = 0;
    int32_t maxA = 0;             // 0 for an empty archive
    std::array<int32_t, 3> threshold{}; // 1/3, 1/2, 2/3
    std::array<int32_t, 3> low{};       // the first sum whose count reaches the threshold (0: none)
    std::array<int32_t, 3> high{};      // the last one

    // A count of the combinations scaled to the archive's largest count, so that both curves share
    // one axis.
    double scaled(int64_t count) const { return maxT > 0 ? double(count) * double(maxA) / double(maxT) : 0.0; }
};

TSumsDistribution CalcSumsDistribution(const TDrawsArray &draws);

// The series titles of the chart.
QString ActualSumsTitle();      // "Фактическое распределение сумм (по тиражам)"
QString TheoreticalSumsTitle(); // "Теоретическое распределение сумм (по комбинациям)"
// The range k (0..2) of the distribution: "Диапазон 1 (от 1/3 и выше по оси Y) - суммы 93-183".
QString SumsRangeTitle(const TSumsDistribution &d, int k);
