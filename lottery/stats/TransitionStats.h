#pragma once

#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>

// Transitions between draws: what followed a situation like the present one. The present situation is
// the last draw of the sample (draw Last) and, for three-draw transitions, the draw before it. For each
// draw of the sample whose predecessor (and the one before that) resembles it in some respect, the
// transition from what was then to what came in the draw is recorded. A two-draw transition a -> b has
// key 1 = a and key 2 = b; a three-draw transition a-b -> c has keys a, b and c, the oldest first.
//
// A transition needs its earlier draws: a draw whose predecessor is not in the archive (the first draw;
// the first two for three-draw transitions) records none.

// In which respect draws are compared: by the numbers themselves, by their channels or by their segments.
enum class TChainSubject : uint8_t { Numbers, Channels, Segments };

// Which transitions are recorded.
enum class TChainScope : uint8_t {
    All,       // every number of the predecessor that the last draw shares, to every number of the draw
    Positions, // position by position where the predecessors agree with the last draws
    Position,  // the same at the one position of the parameter
    Count,     // how many numbers lie in the channel (segment) of the parameter
    Inside,    // numbers followed within their channel
};

class TCustomChainStat : public TCustomStat {
public:
    QString ValueToText(const TStatValueRec &value) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

    int DrawsBack() const { return m_draws; }
    TChainSubject Subject() const { return m_subject; }
    TChainScope Scope() const { return m_scope; }
    // What a number is compared by: the number itself, or its channel or segment (0 for a number
    // outside 1..45, such as those of a missing draw).
    uint8_t Map(uint8_t n) const { return m_map[n]; }
    const std::array<uint8_t, 256> &MapTable() const { return m_map; }

protected:
    TCustomChainStat(const TStatClass &cls, const TStatList &list, int param, TChainSubject subject, int draws,
                     TChainScope scope);
    void setMap(const std::array<uint8_t, 256> &map) { m_map = map; }
    // How many of the six numbers lie in the channel (segment) of the parameter.
    int countInParam(const std::array<uint8_t, kMainCount> &numbers) const;
    // The largest count t of the enumerated values (c, t) of the count statistics.
    virtual int enumeratedCountMax() const { return 0; }
    // Whether the keys read as two-digit texts ("03 -> 05").
    virtual bool twoDigitTexts() const { return false; }
    virtual void insideValues(const TDrawRec &, TStatDrawArray &) {}
    virtual bool insideMatches(const TComb &, const TStatDrawArray &, int) { return false; }
    void mergeKeys(TStatDrawArray &values, uint16_t k1, uint16_t k2, uint16_t k3, bool withIntervals);

private:
    void positionValues(const TDrawRec &p, const TDrawRec &q, const TDrawRec &m, TStatDrawArray &values);

    TChainSubject m_subject;
    int m_draws;
    TChainScope m_scope;
    std::array<uint8_t, 256> m_map{};
};

// ---- Numbers ----
class TCustomChainValues2Stat : public TCustomChainStat {
protected:
    TCustomChainValues2Stat(const TStatClass &cls, const TStatList &list, int param, TChainScope scope)
        : TCustomChainStat(cls, list, param, TChainSubject::Numbers, 2, scope) {}
};
class TCustomChainValues3Stat : public TCustomChainStat {
protected:
    TCustomChainValues3Stat(const TStatClass &cls, const TStatList &list, int param, TChainScope scope)
        : TCustomChainStat(cls, list, param, TChainSubject::Numbers, 3, scope) {}
};

// ---- Channels: ch(n) = the channel of n with the registry's channel size (its low byte) ----
class TCustomChainChannelsStat : public TCustomChainStat {
public:
    uint8_t ChannelSize() const { return m_channelSize; }

protected:
    TCustomChainChannelsStat(const TStatClass &cls, const TStatList &list, int param, int draws, TChainScope scope);
    int enumeratedCountMax() const override;
    bool twoDigitTexts() const override { return Scope() != TChainScope::Count; }

private:
    uint8_t m_channelSize;
};
class TCustomChainChannels2Stat : public TCustomChainChannelsStat {
protected:
    TCustomChainChannels2Stat(const TStatClass &cls, const TStatList &list, int param, TChainScope scope)
        : TCustomChainChannelsStat(cls, list, param, 2, scope) {}
};
class TCustomChainChannels3Stat : public TCustomChainChannelsStat {
protected:
    TCustomChainChannels3Stat(const TStatClass &cls, const TStatList &list, int param, TChainScope scope)
        : TCustomChainChannelsStat(cls, list, param, 3, scope) {}
};

// Numbers followed within their channel: for each number x that the predecessor shares with the last
// draw, the numbers of the draw in x's channel. InsideMode 0 records x -> y for each of them and x -> 0
// when there is none; 1 only x -> y; 2 only x -> 0; 3 x -> how many there are.
class TCustomChainChannels2Inside : public TCustomChainChannels2Stat {
public:
    virtual int InsideMode() const = 0;

protected:
    TCustomChainChannels2Inside(const TStatClass &cls, const TStatList &list, int param)
        : TCustomChainChannels2Stat(cls, list, param, TChainScope::Inside) {}
    bool twoDigitTexts() const override { return InsideMode() != 3; }
    void insideValues(const TDrawRec &p, TStatDrawArray &values) override;
    bool insideMatches(const TComb &comb, const TStatDrawArray &values, int last) override;
};

// ---- Segments: seg(n) = the segment of n in the registry's segment table ----
class TCustomChainSegmentsStat : public TCustomChainStat {
public:
    const std::array<uint8_t, kMaxNumber> &MatrixSegments() const { return m_segments; }

protected:
    TCustomChainSegmentsStat(const TStatClass &cls, const TStatList &list, int param, int draws, TChainScope scope);

private:
    std::array<uint8_t, kMaxNumber> m_segments;
};
class TCustomChainSegments2Stat : public TCustomChainSegmentsStat {
protected:
    TCustomChainSegments2Stat(const TStatClass &cls, const TStatList &list, int param, TChainScope scope)
        : TCustomChainSegmentsStat(cls, list, param, 2, scope) {}
};
class TCustomChainSegments3Stat : public TCustomChainSegmentsStat {
protected:
    TCustomChainSegments3Stat(const TStatClass &cls, const TStatList &list, int param, TChainScope scope)
        : TCustomChainSegmentsStat(cls, list, param, 3, scope) {}
};

// ---- The statistics ----
#define VENDRA_CHAIN_CLASS(Name, Base, Scope)                                                                 \
    class Name : public Base {                                                                                \
    public:                                                                                                   \
        Name(const TStatClass &cls, const TStatList &list, int param) : Base(cls, list, param, Scope) {}     \
    };

VENDRA_CHAIN_CLASS(TstChain2DrawsAll, TCustomChainValues2Stat, TChainScope::All)          // SDV2
VENDRA_CHAIN_CLASS(TstChain2DrawsPos, TCustomChainValues2Stat, TChainScope::Positions)    // SDP2
VENDRA_CHAIN_CLASS(TstChain3DrawsPos, TCustomChainValues3Stat, TChainScope::Positions)    // SDP3
VENDRA_CHAIN_CLASS(TstChain2Pos, TCustomChainValues2Stat, TChainScope::Position)          // SDN<k>
VENDRA_CHAIN_CLASS(TstChain3Pos, TCustomChainValues3Stat, TChainScope::Position)          // SDM<k>
VENDRA_CHAIN_CLASS(TstChain2ChannelsAll, TCustomChainChannels2Stat, TChainScope::All)     // SCV2
VENDRA_CHAIN_CLASS(TstChain2ChannelsPos, TCustomChainChannels2Stat, TChainScope::Positions) // SCP2
VENDRA_CHAIN_CLASS(TstChain3ChannelsPos, TCustomChainChannels3Stat, TChainScope::Positions) // SCP3
VENDRA_CHAIN_CLASS(TstChain2Channel, TCustomChainChannels2Stat, TChainScope::Position)    // SCN<k>
VENDRA_CHAIN_CLASS(TstChain3Channel, TCustomChainChannels3Stat, TChainScope::Position)    // SCM<k>
VENDRA_CHAIN_CLASS(TstChain2CnlCnt, TCustomChainChannels2Stat, TChainScope::Count)        // SC2C<channel>
VENDRA_CHAIN_CLASS(TstChain3CnlCnt, TCustomChainChannels3Stat, TChainScope::Count)        // SC3C<channel>
VENDRA_CHAIN_CLASS(TstChain2SegmentsAll, TCustomChainSegments2Stat, TChainScope::All)     // SSV2
VENDRA_CHAIN_CLASS(TstChain2SegmentsPos, TCustomChainSegments2Stat, TChainScope::Positions) // SSP2
VENDRA_CHAIN_CLASS(TstChain3SegmentsPos, TCustomChainSegments3Stat, TChainScope::Positions) // SSP3
VENDRA_CHAIN_CLASS(TstChain2Segment, TCustomChainSegments2Stat, TChainScope::Position)    // SSN<k>
VENDRA_CHAIN_CLASS(TstChain3Segment, TCustomChainSegments3Stat, TChainScope::Position)    // SSM<k>
VENDRA_CHAIN_CLASS(TstChain2SgmCnt, TCustomChainSegments2Stat, TChainScope::Count)        // SS2C<segment>
VENDRA_CHAIN_CLASS(TstChain3SgmCnt, TCustomChainSegments3Stat, TChainScope::Count)        // SS3C<segment>

#undef VENDRA_CHAIN_CLASS

#define VENDRA_INSIDE_CLASS(Name, Mode)                                                                       \
    class Name : public TCustomChainChannels2Inside {                                                         \
    public:                                                                                                   \
        Name(const TStatClass &cls, const TStatList &list, int param)                                         \
            : TCustomChainChannels2Inside(cls, list, param) {}                                                \
        int InsideMode() const override { return Mode; }                                                      \
    };

VENDRA_INSIDE_CLASS(TstChainChannels2InsideAll, 0) // SDA2
VENDRA_INSIDE_CLASS(TstChainChannels2InsideSuc, 1) // SDG2
VENDRA_INSIDE_CLASS(TstChainChannels2InsideBad, 2) // SDZ2
VENDRA_INSIDE_CLASS(TstChainChannels2InsideCnt, 3) // SDC2

#undef VENDRA_INSIDE_CLASS
