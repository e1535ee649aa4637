#include "lottery/stats/SeriesStats.h"

#include "common/Format.h"
#include "lottery/stats/StatList.h"

#include <algorithm>

namespace {

constexpr bool hasBit(uint64_t bits, int v)
{
    return v >= 0 && v < 64 && ((bits >> v) & 1) != 0;
}

} // namespace

TCustomSerialStat::TCustomSerialStat(const TStatClass &cls, const TStatList &list, int param, bool groups)
    : TCustomStat(cls, list, param), Groups(groups)
{
}

uint64_t TCustomSerialStat::valueBits(const TDrawRec &draw) const
{
    uint64_t bits = 0;
    for (int p = 0; p < kMainCount; ++p) {
        const int v = PositionValue(p + 1, draw.main[size_t(p)]);
        if (v >= 0 && v < 64)
            bits |= uint64_t(1) << v;
    }
    return bits;
}

bool TCustomSerialStat::LastDrawHasValue(int v) const
{
    return hasBit(valueBits(LastDraw), v);
}

QString TCustomSerialStat::ValueText(int v) const
{
    return QString::number(v);
}

QString TCustomSerialStat::ValueToText(const TStatValueRec &value) const
{
    return Format(u"%0:s x %1:d", {ValueText(value.Keys.word(1)), int(value.Keys.word(2))});
}

void TCustomSerialStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                                     TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    const uint64_t present = valueBits(Draw);
    const uint64_t inLast = valueBits(LastDraw);
    const int depth = last - index + 1;

    auto record = [&](int v, const TSeriesCounter &w) {
        Value.Keys.set(static_cast<uint16_t>(v), static_cast<uint16_t>(std::min(w.Length, 65535)));
        Value.LastDraw = w.DrawNumber;
        Value.PrevDraw = w.DrawNumber;
        Value.Depth = w.Depth;
        Value.Count = 1;
        AddStatValue(values, Value, true);
    };

    // The work area holds one counter per value 1..45: values outside that range (a damaged segment
    // table) have no counter and are not tracked.
    const int lo = std::max(MinValue, 1);
    const int hi = std::min(MaxValue, kMaxNumber);
    for (int v = lo; v <= hi; ++v) {
        TSeriesCounter &w = work.Counters[size_t(v - 1)];
        if (hasBit(present, v) == Groups) {
            ++w.Length;
            w.DrawNumber = Draw.number;
            w.Depth = depth;
            if (index == last && hasBit(inLast, v))
                record(v, w);
        } else {
            if (w.Length > 0 && hasBit(inLast, v))
                record(v, w);
            w = TSeriesCounter{};
        }
    }
}

int TCustomSerialStat::FindDrawWithValue(const TStatValueRec &value, int start, int, bool sorted)
{
    const int count = DrawCount();
    start = std::max(start, 0);
    if (start >= count)
        return -1;
    const uint64_t key = value.Keys.packed();
    TStatDrawArray found;
    TStatWork work;
    TLastValueArray lastValues;
    // One pass from the first draw keeps the series real; each draw is taken as the last draw of its
    // sample, so what it reports are the series it has itself (never the sample's last draw's).
    for (int i = 0; i < count; ++i) {
        found.clear();
        ValuesOfDraw(i, i, sorted, found, work, lastValues);
        if (i >= start && found.indexOf(key) >= 0)
            return GetDraw(i, sorted).number;
    }
    return -1;
}

bool TCustomSerialStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (int p = 0; p < kMainCount; ++p) {
        const int v = PositionValue(p + 1, comb[size_t(p)]);
        if (v >= 0 && v <= 0xFFFF && HasWordKey(values, 1, static_cast<uint16_t>(v)))
            return true;
    }
    return false;
}

// ---- Numbers ----

TValuesSerialStat::TValuesSerialStat(const TStatClass &cls, const TStatList &list, int param, bool groups)
    : TCustomSerialStat(cls, list, param, groups)
{
    MinValue = 1;
    MaxValue = kMaxNumber;
}

int TValuesSerialStat::PositionValue(int, int number) const
{
    return number;
}

// ---- Channels ----

TChannelsSerialStat::TChannelsSerialStat(const TStatClass &cls, const TStatList &list, int param, bool groups)
    : TCustomSerialStat(cls, list, param, groups), m_channelSize(static_cast<uint8_t>(list.Config.channelSize))
{
    MinValue = 1;
    MaxValue = ChannelOf(kMaxNumber, m_channelSize);
}

int TChannelsSerialStat::PositionValue(int, int number) const
{
    return ChannelOf(number, m_channelSize);
}

QString TChannelsSerialStat::ValueText(int v) const
{
    return Format(u"%.2d", {v});
}

// ---- Segments ----

TSegmentsSerialStat::TSegmentsSerialStat(const TStatClass &cls, const TStatList &list, int param, bool groups)
    : TCustomSerialStat(cls, list, param, groups), m_segments(list.Config.matrixSegments)
{
    MinValue = 9;
    MaxValue = 1;
    for (uint8_t s : m_segments) {
        MinValue = std::min<int>(MinValue, s);
        MaxValue = std::max<int>(MaxValue, s);
    }
}

int TSegmentsSerialStat::PositionValue(int, int number) const
{
    return IsGameNumber(number) ? m_segments[size_t(number - 1)] : 0;
}
