#pragma once

#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>

// The statistics of the differences between neighbouring numbers of a draw: d1..d5 with
// dj = |a(j+1) - aj| for the six numbers in drawn order (or ascending when sorted).

inline constexpr int kDiffCount = kMainCount - 1;
using TDiffs = std::array<uint16_t, kDiffCount>;

// The neighbour differences of six numbers.
TDiffs NeighbourDiffs(const std::array<uint8_t, kMainCount> &numbers);

// The distinct differences in order of first appearance, each with how often it occurs.
struct TRepeatedDiffs {
    int Count = 0;
    std::array<uint16_t, kDiffCount> Diff{};
    std::array<uint16_t, kDiffCount> Times{};
    int MaxTimes() const;
};
TRepeatedDiffs RepeatedDiffs(const TDiffs &diffs);

// DIFA: each of the five differences (only the first of a draw is merged with intervals).
class TstDiffTotal : public TCustomNumbersStat {
public:
    using TCustomNumbersStat::TCustomNumbersStat;
    TCombDependence CombDependence() const override { return TCombDependence::GapSet; }
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
};

// One integer of the six numbers, enumerated over a fixed range.
class TCustomDiffGraphStat : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    TCombDependence CombDependence() const override { return TCombDependence::GapSet; }
    virtual int ValueOf(const std::array<uint8_t, kMainCount> &numbers) const = 0;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
};

// DIFM: the largest difference; 1..44 enumerated.
class TstDiffMax : public TCustomDiffGraphStat {
public:
    using TCustomDiffGraphStat::TCustomDiffGraphStat;
    int ValueOf(const std::array<uint8_t, kMainCount> &numbers) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
};

// DIFD: the largest number minus the smallest; 1..44 enumerated.
class TstMinMaxDiffs : public TCustomDiffGraphStat {
public:
    using TCustomDiffGraphStat::TCustomDiffGraphStat;
    int ValueOf(const std::array<uint8_t, kMainCount> &numbers) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
};

// DIFK: how often the most repeated difference occurs; 1..5 enumerated.
class TstDiffSameCnt : public TCustomDiffGraphStat {
public:
    using TCustomDiffGraphStat::TCustomDiffGraphStat;
    int ValueOf(const std::array<uint8_t, kMainCount> &numbers) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
};

// DIFO: one value (difference, times) in keys 1 and 2 per distinct difference: "7 x 2".
class TstDiffSame : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    TCombDependence CombDependence() const override { return TCombDependence::GapSet; }
    QString ValueToText(const TStatValueRec &value) const override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;

private:
    void merge(const std::array<uint8_t, kMainCount> &numbers, TStatDrawArray &values, bool withIntervals);
};

// KDS<w>: every run of w consecutive differences (keys 1..w), "5:12:3". Only the first run of a draw is
// merged with intervals. The values depend on the order of the numbers only, so a combination on its
// own adds none; the filter still tests the runs of the combination.
class TCustomDiffSeqStat : public TCustomStat {
public:
    TCustomDiffSeqStat(const TStatClass &cls, const TStatList &list, int param, int width);
    QString ValueToText(const TStatValueRec &value) const override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;

private:
    // The keys of the run starting at difference j (0-based).
    TStatKeys windowAt(const TDiffs &diffs, int j) const;
    int m_width;
};

class TstCombDiffSeq2 : public TCustomDiffSeqStat {
public:
    TstCombDiffSeq2(const TStatClass &cls, const TStatList &list, int param) : TCustomDiffSeqStat(cls, list, param, 2)
    {
    }
};
class TstCombDiffSeq3 : public TCustomDiffSeqStat {
public:
    TstCombDiffSeq3(const TStatClass &cls, const TStatList &list, int param) : TCustomDiffSeqStat(cls, list, param, 3)
    {
    }
};
class TstCombDiffSeq4 : public TCustomDiffSeqStat {
public:
    TstCombDiffSeq4(const TStatClass &cls, const TStatList &list, int param) : TCustomDiffSeqStat(cls, list, param, 4)
    {
    }
};
