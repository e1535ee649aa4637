#pragma once

#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>

// Runs of consecutive numbers inside one draw (17, 18, 19): stretches of the six numbers, in drawn order
// or ascending when sorted, where each number is the previous one plus 1. A number outside any longer run
// is a run of length 1.
//
// The graphs also join steps of -1 (19, 18, 17 is a run there), and the longest run of a draw without
// any step of one is charted as 0.

// The lengths of the runs, in order; returns how many runs there are (1..6).
int RunLengths(const std::array<uint8_t, kMainCount> &numbers, std::array<uint8_t, kMainCount> &lengths);
// The number of runs of at least two numbers (0..3); with bothWays steps of -1 join numbers too.
int RunCount(const std::array<uint8_t, kMainCount> &numbers, bool bothWays);
// The length of the longest run (1..6); with bothWays steps of -1 join numbers too and a draw without
// any step gives 0.
int LongestRun(const std::array<uint8_t, kMainCount> &numbers, bool bothWays);

// SEQL: the length of every run; 1..6 enumerated.
class TstSequenceLen : public TCustomNumbersStat {
public:
    using TCustomNumbersStat::TCustomNumbersStat;
    TCombDependence CombDependence() const override { return TCombDependence::Gaps; }
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;

private:
    void merge(const std::array<uint8_t, kMainCount> &numbers, TStatDrawArray &values, bool withIntervals);
};

// SEQS: the number of runs of at least two numbers; 0..3 enumerated.
class TstSequenceCnt : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    TCombDependence CombDependence() const override { return TCombDependence::Gaps; }
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
};

// LENS: the length of the longest run; 1..6 enumerated.
class TstSequenceLenMax : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    TCombDependence CombDependence() const override { return TCombDependence::Gaps; }
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool deleteMode) override;
};
