#pragma once

#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>

// Segments: areas of the number matrix drawn by the user, one segment number per number 1..45 (the
// table of the settings, copied when a statistic is created). Segments need not be contiguous, and any
// byte value is taken as a segment number.
struct TSegmentGeometry {
    explicit TSegmentGeometry(const TConfigData &config);

    std::array<uint8_t, kMaxNumber> MatrixSegments{};
    // The segment numbers of the table, each once, in the order of their first appearance in it.
    int SegmentCount = 0;
    std::array<uint8_t, kMaxNumber> Order{};
    // The place of a number's segment in Order; kNoSegment for a value that is not a number of the game.
    static constexpr uint8_t kNoSegment = 0xFF;
    std::array<uint8_t, 256> SlotOf{};

    using TNumbers = std::array<uint8_t, kMainCount>;
    // Numbers per segment, in the order of Order.
    using TCounts = std::array<uint8_t, kMaxNumber>;
    // The segment of number n; 0 for a value that is not a number of the game (ask HasSegment first
    // where segment 0 is a segment of the table).
    uint8_t SegmentOf(uint8_t n) const { return HasSegment(n) ? Order[SlotOf[n]] : 0; }
    bool HasSegment(uint8_t n) const { return SlotOf[n] != kNoSegment; }
    void CountNumbers(const TNumbers &numbers, TCounts &counts) const;
    int DistinctSegments(const TNumbers &numbers) const;
    int CountIn(const TNumbers &numbers, int segment) const;
};

// Segment statistics with plain values.
class TCustomSegmentsStat : public TCustomNumbersStat {
public:
    TCustomSegmentsStat(const TStatClass &cls, const TStatList &list, int param);
    const std::array<uint8_t, kMaxNumber> &MatrixSegments() const { return Segments.MatrixSegments; }

protected:
    TSegmentGeometry Segments;
};

// Segment statistics with one charted integer per draw.
class TCustomSegmentsGraphStat : public TCustomGraphStat {
public:
    TCustomSegmentsGraphStat(const TStatClass &cls, const TStatList &list, int param);
    const std::array<uint8_t, kMaxNumber> &MatrixSegments() const { return Segments.MatrixSegments; }
    // The one value of a combination as ValuesOfComb, ValuesOfDraw and CombMatches take it.
    virtual int ValueOf(const TSegmentGeometry::TNumbers &numbers) const = 0;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

protected:
    TSegmentGeometry Segments;
};

// SGMS: the segment of each of the six numbers.
class TstSegments : public TCustomSegmentsStat {
public:
    using TCustomSegmentsStat::TCustomSegmentsStat;
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Segments.SlotOf[size_t(n)]; }
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;
};

// SGMV: (segment, how many numbers it holds) for every segment of the table, empty ones included.
class TstSegmValues : public TCustomSegmentsStat {
public:
    using TCustomSegmentsStat::TCustomSegmentsStat;
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Segments.SlotOf[size_t(n)]; }
    QString ValueToText(const TStatValueRec &value) const override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    void MergeCounts(const TSegmentGeometry::TNumbers &numbers, TStatDrawArray &values, bool withIntervals);
};

// SGMC: how many different segments the six numbers lie in.
class TstSegmCount : public TCustomSegmentsGraphStat {
public:
    using TCustomSegmentsGraphStat::TCustomSegmentsGraphStat;
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Segments.SlotOf[size_t(n)]; }
    int ValueOf(const TSegmentGeometry::TNumbers &numbers) const override;
};

// SGM<s>: how many of the six numbers lie in segment s.
class TstSgmValCnt : public TCustomSegmentsGraphStat {
public:
    using TCustomSegmentsGraphStat::TCustomSegmentsGraphStat;
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Segments.SegmentOf(uint8_t(n)) == Param ? 1 : 0; }
    int ValueOf(const TSegmentGeometry::TNumbers &numbers) const override;
};
