#pragma once

#include "lottery/NumberGeometry.h"
#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>

// Periods of a value: how many draws (in draw numbers) pass between two consecutive draws that contain
// it. A value is the pair key 1 = the value (a number, a channel or a segment), key 2 = the period. The
// draw where each value was last seen lives in the caller's last-value list.
//
// A filter on (v, d) keeps the combinations that would complete the period d of v if they were the next
// draw: v must have come up in the draw numbered d before the next one (the draw after the last one of
// the sample). With the delete mode the test is the other way round: the combinations whose v did not
// come up there are the ones that match.
class TCustomPeriodsStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;

    // The value of one number of a draw; position is 1..6.
    virtual uint8_t PositionValue(int position, int number) const = 0;

    QString ValueToText(const TStatValueRec &value) const override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;
    // The test reads the selected records themselves (which periods are due), not their key lookups.
    bool TestsByKeyLookups() const override { return false; }

protected:
    // The text of the value in "<value> x <period>".
    virtual QString ValueText(int v) const;
    bool CarriesState() const override { return true; }

private:
    // Which values are due for the selection: worked out once per selection, sample and mode, since
    // every combination of a filtering run asks the same question.
    struct TDueCache {
        const TStatDrawArray *values = nullptr;
        const TStatValueRec *records = nullptr;
        int size = -1;
        uint64_t firstKeys = 0;
        uint64_t lastKeys = 0;
        int last = 0;
        bool deleteMode = false;
        const TDrawsArray *draws = nullptr;
        size_t drawCount = 0;
        std::array<uint64_t, 4> due{}; // a bit per value 0..255
    };
    const TDueCache &dueFor(const TStatDrawArray &values, int last, bool deleteMode);
    // The draw of the sample ending at index last whose number is the given one; an all-zero draw when
    // the archive has no such draw there.
    TDrawRec drawNumbered(int32_t number, int last) const;
    // Bit v set for each value v of the draw's numbers.
    std::array<uint64_t, 4> valueBits(const TDrawRec &draw) const;

    TDueCache m_due;
};

// PRDV: the numbers.
class TstNumPeriods : public TCustomPeriodsStat {
public:
    using TCustomPeriodsStat::TCustomPeriodsStat;
    uint8_t PositionValue(int position, int number) const override;
};

// PRDC: the channels, shown with two digits.
class TstChnPeriods : public TCustomPeriodsStat {
public:
    TstChnPeriods(const TStatClass &cls, const TStatList &list, int param);
    uint8_t PositionValue(int position, int number) const override;

protected:
    QString ValueText(int v) const override;

private:
    uint8_t m_channelSize;
};

// PRDG: the segments (0 for a number outside 1..45).
class TstSgmPeriods : public TCustomPeriodsStat {
public:
    TstSgmPeriods(const TStatClass &cls, const TStatList &list, int param);
    uint8_t PositionValue(int position, int number) const override;

private:
    TSegmentsArray m_segments;
};
