#include "lottery/stats/ChannelStats.h"

#include "common/BitCount.h"
#include "common/Format.h"
#include "common/TextUtils.h"
#include "lottery/NumberGeometry.h"
#include "lottery/stats/StatList.h"

#include <algorithm>
#include <bit>

// ---- Geometry ----

TChannelGeometry::TChannelGeometry(const TConfigData &config)
    : ChannelSize(static_cast<uint8_t>(std::clamp(config.channelSize, 1, kMaxNumber)))
{
    Count = ChannelOf(kMaxNumber, ChannelSize);
    for (int n = 1; n <= kMaxNumber; ++n)
        Of[size_t(n)] = static_cast<uint8_t>(ChannelOf(n, ChannelSize));
}

void TChannelGeometry::CountNumbers(const TNumbers &numbers, TCounts &counts) const
{
    counts.fill(0);
    for (uint8_t n : numbers)
        ++counts[Of[n]];
}

int TChannelGeometry::DistinctChannels(const TNumbers &numbers) const
{
    uint64_t seen = 0;
    for (uint8_t n : numbers)
        if (Of[n] != 0)
            seen |= uint64_t(1) << Of[n];
    return BitCount(seen);
}

int TChannelGeometry::CountIn(const TNumbers &numbers, int channel) const
{
    int k = 0;
    for (uint8_t n : numbers)
        k += Of[n] != 0 && Of[n] == channel ? 1 : 0;
    return k;
}

QString TChannelGeometry::ChannelText(int c) const
{
    return Format(u"%.2d [%s-%s]",
                  {c, QString::number((c - 1) * ChannelSize + 1), QString::number(c * ChannelSize)});
}

// ---- Bases ----

TCustomChannelsStat::TCustomChannelsStat(const TStatClass &cls, const TStatList &list, int param)
    : TCustomNumbersStat(cls, list, param), Channels(list.Config)
{
}

TCustomChannelsGraphStat::TCustomChannelsGraphStat(const TStatClass &cls, const TStatList &list, int param)
    : TCustomGraphStat(cls, list, param), Channels(list.Config)
{
}

int TCustomChannelsGraphStat::NumericValue(const TComb &comb, int, bool, int)
{
    return ValueOf(comb.n);
}

void TCustomChannelsGraphStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(ValueOf(comb.n)), false);
}

void TCustomChannelsGraphStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                            TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(ValueOf(Draw.main)), true);
}

bool TCustomChannelsGraphStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, static_cast<uint16_t>(ValueOf(comb.n)));
}

// ---- CHAN ----

QString TstChannels::ValueToText(const TStatValueRec &value) const
{
    return Channels.ChannelText(value.Keys.word(1));
}

int TstChannels::TextToValue(QStringView text) const
{
    const qsizetype blank = text.indexOf(u' ');
    return TextToIntZero(blank >= 0 ? text.left(blank) : text);
}

void TstChannels::EnumAllValues(int, TStatDrawArray &values)
{
    Value = TStatValueRec{};
    for (int n = 1; n <= kMaxNumber; ++n)
        MergeKey(values, Channels.Of[size_t(n)], false);
}

void TstChannels::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    for (uint8_t n : comb.n)
        MergeKey(values, Channels.Of[n], false);
}

void TstChannels::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                               TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    for (uint8_t n : Draw.main)
        MergeKey(values, Channels.Of[n], true);
}

bool TstChannels::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (uint8_t n : comb.n)
        if (HasByteKey(values, 1, Channels.Of[n]))
            return true;
    return false;
}

// ---- CHNV ----

QString TstChanValues::ValueToText(const TStatValueRec &value) const
{
    return Format(u"%0:s x %1:d", {Channels.ChannelText(value.Keys.word(1)), value.Keys.word(2)});
}

void TstChanValues::EnumAllValues(int, TStatDrawArray &values)
{
    Value = TStatValueRec{};
    const int maxCount = std::min<int>(Channels.ChannelSize, kMainCount);
    for (int c = 1; c <= Channels.Count; ++c)
        for (int m = 0; m <= maxCount; ++m) {
            Value.Keys.set(static_cast<uint16_t>(c), static_cast<uint16_t>(m));
            AddStatValue(values, Value, false);
        }
}

void TstChanValues::MergeCounts(const TChannelGeometry::TNumbers &numbers, TStatDrawArray &values,
                                bool withIntervals)
{
    TChannelGeometry::TCounts counts;
    Channels.CountNumbers(numbers, counts);
    for (int c = 1; c <= Channels.Count; ++c) {
        Value.Keys.set(static_cast<uint16_t>(c), counts[size_t(c)]);
        AddStatValue(values, Value, withIntervals);
    }
}

void TstChanValues::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeCounts(comb.n, values, false);
}

void TstChanValues::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                 TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeCounts(Draw.main, values, true);
}

bool TstChanValues::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    TChannelGeometry::TCounts counts;
    Channels.CountNumbers(comb.n, counts);
    for (int c = 1; c <= Channels.Count; ++c)
        if (HasValue(values, static_cast<uint16_t>(c), counts[size_t(c)], 0, 0))
            return true;
    return false;
}

// ---- CHNC ----

int TstChanCount::ValueOf(const TChannelGeometry::TNumbers &numbers) const
{
    return Channels.DistinctChannels(numbers);
}

void TstChanCount::EnumAllValues(int, TStatDrawArray &values)
{
    // The counts 1 up to the channel size (at most six): with a channel size of 5 a draw may still
    // cover six channels; that value is listed only when it occurs.
    EnumRange(values, 1, std::min<int>(Channels.ChannelSize, kMainCount));
}

// ---- CHN<c> ----

int TstChnValCnt::ValueOf(const TChannelGeometry::TNumbers &numbers) const
{
    return Channels.CountIn(numbers, Param);
}

void TstChnValCnt::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, Channels.ChannelSize);
}
