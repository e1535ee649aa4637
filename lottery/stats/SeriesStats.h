#pragma once

#include "lottery/NumberGeometry.h"
#include "lottery/stats/CustomStat.h"

#include <cstdint>

// Series of a value over consecutive draws: a group is a run of draws that all contain the value, a pause
// a run of draws that do not. Only the values of the last draw of the sample are reported, each with the
// lengths of its past series: key 1 = the value (a number, a channel or a segment), key 2 = the length.
// A record's last draw and depth are those of the series' last draw.
//
// The running series live in the caller's work area, one counter per value 1..45 (index value - 1).
class TCustomSerialStat : public TCustomStat {
public:
    TCustomSerialStat(const TStatClass &cls, const TStatList &list, int param, bool groups);

    // The value of one number of a draw (the number itself, its channel or its segment); position is 1..6.
    virtual int PositionValue(int position, int number) const = 0;
    // Whether the last draw of the sample contains the value v.
    virtual bool LastDrawHasValue(int v) const;

    QString ValueToText(const TStatValueRec &value) const override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    // The number of the first draw from start on that has the value as the last draw of a sample:
    // the value is in that draw and its series ending there has the value's length. The series run
    // from the first draw of the archive.
    int FindDrawWithValue(const TStatValueRec &value, int start, int last, bool sorted) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

    bool Groups;      // true: runs of draws with the value; false: runs without it
    int MinValue = 1; // the values tracked
    int MaxValue = kMaxNumber;

protected:
    // The text of the value in "<value> x <length>".
    virtual QString ValueText(int v) const;
    bool CarriesState() const override { return true; }

private:
    // Bit v set for each value v (1..63) of the draw's six numbers.
    uint64_t valueBits(const TDrawRec &draw) const;
};

// The numbers 1..45.
class TValuesSerialStat : public TCustomSerialStat {
public:
    TValuesSerialStat(const TStatClass &cls, const TStatList &list, int param, bool groups);
    int PositionValue(int position, int number) const override;
};

// The channels 1..(the channel of 45), shown with two digits.
class TChannelsSerialStat : public TCustomSerialStat {
public:
    TChannelsSerialStat(const TStatClass &cls, const TStatList &list, int param, bool groups);
    int PositionValue(int position, int number) const override;

protected:
    QString ValueText(int v) const override;

private:
    uint8_t m_channelSize;
};

// The segments of the segment table, from its smallest to its largest number.
class TSegmentsSerialStat : public TCustomSerialStat {
public:
    TSegmentsSerialStat(const TStatClass &cls, const TStatList &list, int param, bool groups);
    int PositionValue(int position, int number) const override;

private:
    TSegmentsArray m_segments;
};

// GRPV, GRPP
class TstNumGroups : public TValuesSerialStat {
public:
    TstNumGroups(const TStatClass &cls, const TStatList &list, int param)
        : TValuesSerialStat(cls, list, param, true) {}
};
class TstNumPauses : public TValuesSerialStat {
public:
    TstNumPauses(const TStatClass &cls, const TStatList &list, int param)
        : TValuesSerialStat(cls, list, param, false) {}
};
// GRCV, GRCP
class TstChnGroups : public TChannelsSerialStat {
public:
    TstChnGroups(const TStatClass &cls, const TStatList &list, int param)
        : TChannelsSerialStat(cls, list, param, true) {}
};
class TstChnPauses : public TChannelsSerialStat {
public:
    TstChnPauses(const TStatClass &cls, const TStatList &list, int param)
        : TChannelsSerialStat(cls, list, param, false) {}
};
// GRSV, GRSP
class TstSgmGroups : public TSegmentsSerialStat {
public:
    TstSgmGroups(const TStatClass &cls, const TStatList &list, int param)
        : TSegmentsSerialStat(cls, list, param, true) {}
};
class TstSgmPauses : public TSegmentsSerialStat {
public:
    TstSgmPauses(const TStatClass &cls, const TStatList &list, int param)
        : TSegmentsSerialStat(cls, list, param, false) {}
};
