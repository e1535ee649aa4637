#pragma once

#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>

// The channels of the numbers: runs of ChannelSize consecutive numbers, channel 1 holding 1..ChannelSize,
// channel 2 the next ChannelSize numbers and so on; the last channel may be shorter.
//
// The size is copied from the settings when a statistic is created. The settings file is checked when it is
// read, but a size below 1 would divide by zero and one above 45 means the same as 45 (every number in
// channel 1), so the copy is held to 1..45.
struct TChannelGeometry {
    explicit TChannelGeometry(const TConfigData &config);

    uint8_t ChannelSize = 1;
    int Count = 0; // channels of the numbers 1..45
    // The channel of every byte value; 0 for a value that is not a number of the game.
    std::array<uint8_t, 256> Of{};

    using TNumbers = std::array<uint8_t, kMainCount>;
    // How many of the numbers fall into each channel (index = channel, 1..Count; index 0 gathers the
    // values outside 1..45).
    using TCounts = std::array<uint8_t, kMaxNumber + 1>;
    void CountNumbers(const TNumbers &numbers, TCounts &counts) const;
    int DistinctChannels(const TNumbers &numbers) const;
    int CountIn(const TNumbers &numbers, int channel) const;
    // "03 [11-15]": the channel and its bounds (the upper one is not cut at 45).
    QString ChannelText(int c) const;
};

// Channel statistics with plain values.
class TCustomChannelsStat : public TCustomNumbersStat {
public:
    TCustomChannelsStat(const TStatClass &cls, const TStatList &list, int param);
    uint8_t ChannelSize() const { return Channels.ChannelSize; }
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Channels.Of[size_t(n)]; }

protected:
    TChannelGeometry Channels;
};

// Channel statistics with one charted integer per draw.
class TCustomChannelsGraphStat : public TCustomGraphStat {
public:
    TCustomChannelsGraphStat(const TStatClass &cls, const TStatList &list, int param);
    uint8_t ChannelSize() const { return Channels.ChannelSize; }
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Channels.Of[size_t(n)]; }
    // The one value of a combination as ValuesOfComb, ValuesOfDraw and CombMatches take it.
    virtual int ValueOf(const TChannelGeometry::TNumbers &numbers) const = 0;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

protected:
    TChannelGeometry Channels;
};

// CHAN: the channel of each of the six numbers (a channel holding two numbers gets 2 from a draw).
class TstChannels : public TCustomChannelsStat {
public:
    using TCustomChannelsStat::TCustomChannelsStat;
    QString ValueToText(const TStatValueRec &value) const override;
    // The text up to its first blank as a decimal number, so a channel text reads back as its channel.
    int TextToValue(QStringView text) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    int ValuesPerComb() const override { return kMainCount; }
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;
};

// CHNV: (channel, how many numbers it holds) for every channel, empty ones included.
class TstChanValues : public TCustomChannelsStat {
public:
    using TCustomChannelsStat::TCustomChannelsStat;
    QString ValueToText(const TStatValueRec &value) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    void MergeCounts(const TChannelGeometry::TNumbers &numbers, TStatDrawArray &values, bool withIntervals);
};

// CHNC: how many different channels the six numbers cover.
class TstChanCount : public TCustomChannelsGraphStat {
public:
    using TCustomChannelsGraphStat::TCustomChannelsGraphStat;
    int ValueOf(const TChannelGeometry::TNumbers &numbers) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
};

// CHN<c>: how many of the six numbers lie in channel c.
class TstChnValCnt : public TCustomChannelsGraphStat {
public:
    using TCustomChannelsGraphStat::TCustomChannelsGraphStat;
    int NumberFeature(int n) const override { return Channels.Of[size_t(n)] == Param ? 1 : 0; }
    int ValueOf(const TChannelGeometry::TNumbers &numbers) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
};
