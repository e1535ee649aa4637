#pragma once

#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

// A registry over an archive of the test's own, for the statistics that look across draws (series,
// periods, repeats, characteristic numbers).
class HistoryStats : public ::testing::Test {
protected:
    void SetUp() override;

    TDrawRec draw(int number, std::array<uint8_t, 6> main) const;
    static TComb comb(std::array<uint8_t, 6> n);
    // Selected values with the given keys (key 1 only, or key 1 and key 2).
    static TStatDrawArray selected(std::initializer_list<uint16_t> keys);
    static TStatDrawArray selectedPairs(std::initializer_list<std::pair<uint16_t, uint16_t>> pairs);

    std::unique_ptr<TCustomStat> stat(const QString &code);
    // The values over the whole archive, or over the draws up to index last.
    TStatDrawArray compute(const QString &code, bool sorted = false);
    TStatDrawArray computeTo(const QString &code, int last, int length, bool sorted = false);
    // The values that draw index alone merges when the sample ends with draw last (a fresh pass).
    TStatDrawArray valuesOfDraw(TCustomStat &s, int index, int last, bool sorted = false);
    static const TStatValueRec *find(const TStatDrawArray &values, uint16_t k1, uint16_t k2 = 0, uint16_t k3 = 0,
                                     uint16_t k4 = 0);

    // Loads the reference archive with the reference settings (channel size 6, segments 2..6).
    void loadReferenceArchive();
    // Compares every value of the methods with the figures of the reference computation, for every sample.
    void checkAgainstReference(const QStringList &codes);

    TDrawsArray draws;
    TStatList list;
};
