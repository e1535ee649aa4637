#include "lottery/stats/SegmentStats.h"

#include "common/BitCount.h"
#include "common/Format.h"
#include "lottery/stats/StatList.h"

#include <bit>

// ---- Geometry ----

TSegmentGeometry::TSegmentGeometry(const TConfigData &config) : MatrixSegments(config.matrixSegments)
{
    SlotOf.fill(kNoSegment);
    std::array<uint8_t, 256> slotOfSegment;
    slotOfSegment.fill(kNoSegment);
    for (int n = 1; n <= kMaxNumber; ++n) {
        const uint8_t s = MatrixSegments[size_t(n - 1)];
        if (slotOfSegment[s] == kNoSegment) {
            slotOfSegment[s] = static_cast<uint8_t>(SegmentCount);
            Order[size_t(SegmentCount++)] = s;
        }
        SlotOf[size_t(n)] = slotOfSegment[s];
    }
}

void TSegmentGeometry::CountNumbers(const TNumbers &numbers, TCounts &counts) const
{
    counts.fill(0);
    for (uint8_t n : numbers)
        if (HasSegment(n))
            ++counts[SlotOf[n]];
}

int TSegmentGeometry::DistinctSegments(const TNumbers &numbers) const
{
    uint64_t seen = 0;
    for (uint8_t n : numbers)
        if (HasSegment(n))
            seen |= uint64_t(1) << SlotOf[n];
    return BitCount(seen);
}

int TSegmentGeometry::CountIn(const TNumbers &numbers, int segment) const
{
    int k = 0;
    for (uint8_t n : numbers)
        k += HasSegment(n) && SegmentOf(n) == segment ? 1 : 0;
    return k;
}

// ---- Bases ----

TCustomSegmentsStat::TCustomSegmentsStat(const TStatClass &cls, const TStatList &list, int param)
    : TCustomNumbersStat(cls, list, param), Segments(list.Config)
{
}

TCustomSegmentsGraphStat::TCustomSegmentsGraphStat(const TStatClass &cls, const TStatList &list, int param)
    : TCustomGraphStat(cls, list, param), Segments(list.Config)
{
}

int TCustomSegmentsGraphStat::NumericValue(const TComb &comb, int, bool, int)
{
    return ValueOf(comb.n);
}

void TCustomSegmentsGraphStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(ValueOf(comb.n)), false);
}

void TCustomSegmentsGraphStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                            TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(ValueOf(Draw.main)), true);
}

bool TCustomSegmentsGraphStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, static_cast<uint16_t>(ValueOf(comb.n)));
}

// ---- SGMS ----

void TstSegments::EnumAllValues(int, TStatDrawArray &values)
{
    Value = TStatValueRec{};
    for (int i = 0; i < Segments.SegmentCount; ++i)
        MergeKey(values, Segments.Order[size_t(i)], false);
}

void TstSegments::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    for (uint8_t n : comb.n)
        if (Segments.HasSegment(n))
            MergeKey(values, Segments.SegmentOf(n), false);
}

void TstSegments::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                               TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    for (uint8_t n : Draw.main)
        if (Segments.HasSegment(n))
            MergeKey(values, Segments.SegmentOf(n), true);
}

bool TstSegments::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (uint8_t n : comb.n)
        if (Segments.HasSegment(n) && HasWordKey(values, 1, Segments.SegmentOf(n)))
            return true;
    return false;
}

// ---- SGMV ----

QString TstSegmValues::ValueToText(const TStatValueRec &value) const
{
    return Format(u"%0:d x %1:d", {value.Keys.word(1), value.Keys.word(2)});
}

void TstSegmValues::MergeCounts(const TSegmentGeometry::TNumbers &numbers, TStatDrawArray &values,
                                bool withIntervals)
{
    TSegmentGeometry::TCounts counts;
    Segments.CountNumbers(numbers, counts);
    for (int i = 0; i < Segments.SegmentCount; ++i) {
        Value.Keys.set(Segments.Order[size_t(i)], counts[size_t(i)]);
        AddStatValue(values, Value, withIntervals);
    }
}

void TstSegmValues::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeCounts(comb.n, values, false);
}

void TstSegmValues::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                 TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeCounts(Draw.main, values, true);
}

bool TstSegmValues::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    TSegmentGeometry::TCounts counts;
    Segments.CountNumbers(comb.n, counts);
    for (int i = 0; i < Segments.SegmentCount; ++i)
        if (HasValue(values, Segments.Order[size_t(i)], counts[size_t(i)], 0, 0))
            return true;
    return false;
}

// ---- SGMC ----

int TstSegmCount::ValueOf(const TSegmentGeometry::TNumbers &numbers) const
{
    return Segments.DistinctSegments(numbers);
}

// ---- SGM<s> ----

int TstSgmValCnt::ValueOf(const TSegmentGeometry::TNumbers &numbers) const
{
    return Segments.CountIn(numbers, Param);
}
