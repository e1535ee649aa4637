#pragma once

#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <QString>
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <vector>

// A registry over an archive of the test's own, with settings of its choice, for the statistics of the
// channels, the number matrix, the segments and the sub-combinations.
class GeometryStats : public ::testing::Test {
protected:
    void SetUp() override;

    // Applies the settings and lists the methods anew (the parameter ranges follow the settings).
    void configure(int channelSize, int matrixCols, const std::array<uint8_t, 45> &segments);
    void configure(int channelSize, int matrixCols);

    std::unique_ptr<TCustomStat> stat(const QString &code);
    // The values over the whole archive.
    TStatDrawArray compute(const QString &code, bool sorted = false);
    // The record with these keys; nullptr when there is none.
    static const TStatValueRec *find(const TStatDrawArray &values, uint16_t k1, uint16_t k2 = 0, uint16_t k3 = 0,
                                     uint16_t k4 = 0);
    // The value records a filter selects.
    static TStatDrawArray selected(std::initializer_list<TStatKeys> keys);
    static TDrawRec makeDraw(int number, std::array<uint8_t, 6> main);
    static TComb makeComb(std::array<uint8_t, 6> n);
    // The draws of the reference archive, oldest first.
    static TDrawsArray referenceArchive();

    // For the first draws of the archive, one by one: the values of the draw, the values of the same six
    // numbers as a combination (for statistics that have them) and the answer of the filter to every value
    // met in those draws, alone and in a larger selection, agree with each other; a graph statistic charts
    // its one value.
    void expectConsistent(const QString &code, bool sorted, int drawCount);

    TDrawsArray draws;
    TStatList list;
};
