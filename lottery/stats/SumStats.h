#pragma once

#include "lottery/Combinatorics.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/NumberStats.h"

#include <cstdint>

// The statistics of the sum of the six numbers: the sum itself, the sums of the even and of the "prime"
// numbers, three fixed sum ranges, how the sum changes from one draw to the next and how many numbers
// of a draw are the sum of two others.
//
// The change statistics (SUMC, SUMV, SUMT) look at the draws that follow a draw like the last one of
// the sample: the draw before the valued one is compared with the last draw, and a filter takes the last
// draw as the one before the combination. The first draw of the archive has no draw before it and so no
// change.

// The sum of six numbers.
int SumOfSix(const std::array<uint8_t, kMainCount> &numbers);

// SUMS: the sum (32-bit key 1); the sums 21..255 are enumerated.
class TstSumValues : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    // The sum as the state.
    TCombDependence CombDependence() const override { return TCombDependence::Steps; }
    int StepStates() const override { return MaxSum + 1; }
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
    // Each number weighs itself.
    bool NumberWeightsOfTest(int last, std::array<uint8_t, kMaxNumber + 1> &weights, TStatProbe &lookup) override;
};

// SUM<p>: 1 when the sum lies in range p (1: 93..183, 2: 102..174, 3: 110..166), 0 otherwise
// ("Остальные").
class TstSumRanges : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    // The sum as the state.
    TCombDependence CombDependence() const override { return TCombDependence::Steps; }
    int StepStates() const override { return MaxSum + 1; }
    QString ValueToText(const TStatValueRec &value) const override;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;

    // Both ends included.
    static int RangeLow(int param);
    static int RangeHigh(int param);

private:
    int inRange(int sum) const;
};

// SUMC: the pair (sum of the draw before, sum of the draw) in 32-bit keys 1 and 2, recorded for the draws
// whose previous draw has the sum of the last draw: the sums that followed that sum.
class TstSumChange : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    QString ValueToText(const TStatValueRec &value) const override;
    // The change of the sum from draw index - 1 to the combination; 0 without a draw before.
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
};

// SUMV: the change of the sum from the draw before (signed, 32-bit key 1), recorded for the draws whose
// previous draw has a sum within SumRangeWidth of the last draw's sum.
class TstSumChangeSome : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    QString ValueToText(const TStatValueRec &value) const override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
};

// SUMT: the direction of the change (1, 0, -1 in the signed 32-bit key 1), recorded like SUMC.
class TstSumTrend : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    QString ValueToText(const TStatValueRec &value) const override;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
};

// The sum of the numbers of a set (32-bit key 1); nothing is enumerated.
class TCustomSetSumStat : public TCustomGraphStat {
public:
    TCustomSetSumStat(const TStatClass &cls, const TStatList &list, int param, TNumberBits set);
    int SumOf(const std::array<uint8_t, kMainCount> &numbers) const;
    // The sum as the state.
    TCombDependence CombDependence() const override { return TCombDependence::Steps; }
    int StepStates() const override { return MaxSum + 1; }
    int StepOf(int, int n) const override { return InNumberBits(m_set, unsigned(n)) ? n : 0; }
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;

private:
    TNumberBits m_set;
};

// SUME: the sum of the even numbers.
class TstSumEvenValues : public TCustomSetSumStat {
public:
    TstSumEvenValues(const TStatClass &cls, const TStatList &list, int param)
        : TCustomSetSumStat(cls, list, param, kEvenNumbers)
    {
    }
};

// SUMP: the sum of the "prime" numbers (the primes up to 45 and 1).
class TstSumPrimeValues : public TCustomSetSumStat {
public:
    TstSumPrimeValues(const TStatClass &cls, const TStatList &list, int param)
        : TCustomSetSumStat(cls, list, param, kPrimeNumbers)
    {
    }
};

// S2T3: how many (number, pair of two other numbers) there are whose pair adds up to the number.
class TstSum2To3 : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    static int CountOf(const std::array<uint8_t, kMainCount> &numbers);
    void ValuesOfLastNumbers(const TComb &comb, TStatDrawArray &values, TStatTally &tally) override;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
};
