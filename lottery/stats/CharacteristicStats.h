#pragma once

#include "lottery/stats/CustomStat.h"

#include <cstdint>

// The characteristic number of six numbers: the row of numbers is replaced by the absolute differences of
// neighbours until two numbers are left, and their difference is the number. Mode 1 takes the sum of the
// last two instead of a difference of 0 or 1; mode 2 takes the sum instead of a difference of 0 and adds
// the sum as a second byte to a difference of 1. The order of the numbers matters.

// The result of the chain: one byte, or two in mode 2.
struct TDiffChainResult {
    uint8_t size = 0;
    uint8_t bytes[2] = {0, 0};
};
// The chain over the first count numbers (count is held to 0..6), allocation-free. Fewer than two numbers
// give the one number there is (0 for none).
TDiffChainResult DiffChainOf(const uint8_t *numbers, int count, int mode);
// The same as a byte array.
TByteArray DiffChain(const uint8_t *numbers, int count, int mode);

// HCO1 (mode 0) and HCO2 (mode 1): the characteristic number of the draw, in key 1.
class TCustomTalvikGraphStat : public TCustomGraphStat {
public:
    TCustomTalvikGraphStat(const TStatClass &cls, const TStatList &list, int param, int mode)
        : TCustomGraphStat(cls, list, param), m_mode(mode) {}
    TCombDependence CombDependence() const override { return TCombDependence::Gaps; }
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    uint8_t valueOf(const uint8_t *numbers) const;
    int m_mode;
};

class TstTalvik1 : public TCustomTalvikGraphStat {
public:
    TstTalvik1(const TStatClass &cls, const TStatList &list, int param)
        : TCustomTalvikGraphStat(cls, list, param, 0) {}
};
class TstTalvik2 : public TCustomTalvikGraphStat {
public:
    TstTalvik2(const TStatClass &cls, const TStatList &list, int param)
        : TCustomTalvikGraphStat(cls, list, param, 1) {}
};

// HCO3: a filter that proposes the characteristic number c of the last draw (mode 2) and its multiples
// from c * c (or c * c * c when c * c is below 45) down to 2c, within 1..45. Only the last draw of the
// sample gives values; each is counted 1 when the draw after the sample (there is one when newest draws
// are left out) holds it. A two-byte chain gives key 1 = the sum, key 2 = 1, key 4 = 2: "c (1)".
class TstTalvik3 : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    QString ValueToText(const TStatValueRec &value) const override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;
};
