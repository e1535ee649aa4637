#pragma once

#include "lottery/stats/ChannelStats.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/MatrixStats.h"
#include "lottery/stats/SegmentStats.h"

#include <algorithm>
#include <array>
#include <cstdint>

// Sub-combinations: small ordered tuples of two, three or four of a draw's numbers, or of their channels,
// columns, rows or segments. A tuple keeps the order in which its numbers stand in the draw (drawn order,
// or ascending when the caller sorts), so (a, b) and (b, a) are different values. Key 1 holds the first
// member, key 2 the second, and so on; the keys beyond the tuple are 0.
//
// These statistics have no enumerated values and give nothing for a single combination; they are used
// over the draws of a sample and as filters.

enum class TSubCombPattern : uint8_t {
    Mix, // every k of the six numbers, positions in lexicographic order
    Seq, // k neighbours: positions p .. p + k - 1 for every p
    Pos, // the k neighbours from the position given by the parameter
    Sort // k neighbours of the six numbers taken in ascending order
};

// The tuples of one pattern and the mapping of a number to what the tuple holds.
class TSubCombTuples {
public:
    using TNumbers = std::array<uint8_t, kMainCount>;

    // size is 2, 3 or 4; position (1-based) is read by Pos only: a position whose window does not fit in
    // the six numbers reads the first one.
    TSubCombTuples(TSubCombPattern pattern, int size, int position);

    // What a tuple holds for each byte value.
    std::array<uint8_t, 256> Map{};

    int Size() const { return m_size; }
    int TupleCount() const { return m_count; }
    // Calls visit (packed keys) for every tuple of the numbers, in order, until it returns true; returns
    // whether it did.
    template <class Visit>
    bool Each(const TNumbers &numbers, Visit &&visit) const;
    // "12:30", "3:3:5": the tuple's members joined by ":".
    QString Text(const TStatValueRec &value) const;

private:
    TSubCombPattern m_pattern;
    int m_size;
    int m_count = 0;
    std::array<std::array<uint8_t, 4>, 20> m_positions{}; // zero-based positions of each tuple
};

template <class Visit>
bool TSubCombTuples::Each(const TNumbers &drawn, Visit &&visit) const
{
    TNumbers numbers = drawn;
    if (m_pattern == TSubCombPattern::Sort)
        std::sort(numbers.begin(), numbers.end());
    for (int t = 0; t < m_count; ++t) {
        const auto &pos = m_positions[size_t(t)];
        uint64_t keys = 0;
        for (int i = 0; i < m_size; ++i)
            keys |= uint64_t(Map[numbers[pos[size_t(i)]]]) << (16 * i);
        if (visit(keys))
            return true;
    }
    return false;
}

// A sub-combination statistic over one of the family bases.
template <class Base>
class TSubCombStat : public Base {
public:
    TSubCombStat(const TStatClass &cls, const TStatList &list, int param, TSubCombPattern pattern, int size)
        : Base(cls, list, param), Tuples(pattern, size, param)
    {
    }
    QString ValueToText(const TStatValueRec &value) const override { return Tuples.Text(value); }
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                      TLastValueArray &) override
    {
        this->BeginDrawValue(index, last, sorted);
        Tuples.Each(this->Draw.main, [&](uint64_t keys) {
            this->Value.Keys = TStatKeys{keys};
            AddStatValue(values, this->Value, true);
            return false;
        });
    }
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool) override
    {
        return Tuples.Each(comb.n, [&](uint64_t keys) { return values.indexOf(keys) >= 0; });
    }

protected:
    TSubCombTuples Tuples;
};

// The base of the tuples of numbers.
class TCustomCombValuesStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
};

// The families: numbers, channels, columns or rows, segments.
template <TSubCombPattern Pattern, int Size>
class TCombNumbersStat : public TSubCombStat<TCustomCombValuesStat> {
public:
    TCombNumbersStat(const TStatClass &cls, const TStatList &list, int param)
        : TSubCombStat(cls, list, param, Pattern, Size)
    {
        for (size_t n = 0; n < Tuples.Map.size(); ++n)
            Tuples.Map[n] = static_cast<uint8_t>(n);
    }
};

template <TSubCombPattern Pattern, int Size>
class TCombChannelsStat : public TSubCombStat<TCustomChannelsStat> {
public:
    TCombChannelsStat(const TStatClass &cls, const TStatList &list, int param)
        : TSubCombStat(cls, list, param, Pattern, Size)
    {
        Tuples.Map = Channels.Of;
    }
};

template <TSubCombPattern Pattern, int Size, TMatrixAxis Axis>
class TCombMatrixStat : public TSubCombStat<TCustomMatrixStat> {
public:
    TCombMatrixStat(const TStatClass &cls, const TStatList &list, int param)
        : TSubCombStat(cls, list, param, Pattern, Size)
    {
        Tuples.Map = Axis == TMatrixAxis::Columns ? Matrix.ColOf : Matrix.RowOf;
    }
};

template <TSubCombPattern Pattern, int Size>
class TCombSegmentsStat : public TSubCombStat<TCustomSegmentsStat> {
public:
    TCombSegmentsStat(const TStatClass &cls, const TStatList &list, int param)
        : TSubCombStat(cls, list, param, Pattern, Size)
    {
        for (size_t n = 0; n < Tuples.Map.size(); ++n)
            Tuples.Map[n] = Segments.SegmentOf(static_cast<uint8_t>(n));
    }
};

// KNM, KNS, KNP, KNO: numbers.
using TstCombValMix2 = TCombNumbersStat<TSubCombPattern::Mix, 2>;
using TstCombValMix3 = TCombNumbersStat<TSubCombPattern::Mix, 3>;
using TstCombValMix4 = TCombNumbersStat<TSubCombPattern::Mix, 4>;
using TstCombValSeq2 = TCombNumbersStat<TSubCombPattern::Seq, 2>;
using TstCombValSeq3 = TCombNumbersStat<TSubCombPattern::Seq, 3>;
using TstCombValSeq4 = TCombNumbersStat<TSubCombPattern::Seq, 4>;
using TstCombValPos2 = TCombNumbersStat<TSubCombPattern::Pos, 2>;
using TstCombValPos3 = TCombNumbersStat<TSubCombPattern::Pos, 3>;
using TstCombValPos4 = TCombNumbersStat<TSubCombPattern::Pos, 4>;
// The ascending neighbours exist as classes but are never listed.
using TstCombValSort2 = TCombNumbersStat<TSubCombPattern::Sort, 2>;
using TstCombValSort3 = TCombNumbersStat<TSubCombPattern::Sort, 3>;
using TstCombValSort4 = TCombNumbersStat<TSubCombPattern::Sort, 4>;

// KCM, KCS: channels.
using TstCombChnMix2 = TCombChannelsStat<TSubCombPattern::Mix, 2>;
using TstCombChnMix3 = TCombChannelsStat<TSubCombPattern::Mix, 3>;
using TstCombChnMix4 = TCombChannelsStat<TSubCombPattern::Mix, 4>;
using TstCombChnSeq2 = TCombChannelsStat<TSubCombPattern::Seq, 2>;
using TstCombChnSeq3 = TCombChannelsStat<TSubCombPattern::Seq, 3>;
using TstCombChnSeq4 = TCombChannelsStat<TSubCombPattern::Seq, 4>;

// KFM, KFS: columns; KRM, KRS: rows.
using TstCombColMix2 = TCombMatrixStat<TSubCombPattern::Mix, 2, TMatrixAxis::Columns>;
using TstCombColMix3 = TCombMatrixStat<TSubCombPattern::Mix, 3, TMatrixAxis::Columns>;
using TstCombColMix4 = TCombMatrixStat<TSubCombPattern::Mix, 4, TMatrixAxis::Columns>;
using TstCombColSeq2 = TCombMatrixStat<TSubCombPattern::Seq, 2, TMatrixAxis::Columns>;
using TstCombColSeq3 = TCombMatrixStat<TSubCombPattern::Seq, 3, TMatrixAxis::Columns>;
using TstCombColSeq4 = TCombMatrixStat<TSubCombPattern::Seq, 4, TMatrixAxis::Columns>;
using TstCombRowMix2 = TCombMatrixStat<TSubCombPattern::Mix, 2, TMatrixAxis::Rows>;
using TstCombRowMix3 = TCombMatrixStat<TSubCombPattern::Mix, 3, TMatrixAxis::Rows>;
using TstCombRowMix4 = TCombMatrixStat<TSubCombPattern::Mix, 4, TMatrixAxis::Rows>;
using TstCombRowSeq2 = TCombMatrixStat<TSubCombPattern::Seq, 2, TMatrixAxis::Rows>;
using TstCombRowSeq3 = TCombMatrixStat<TSubCombPattern::Seq, 3, TMatrixAxis::Rows>;
using TstCombRowSeq4 = TCombMatrixStat<TSubCombPattern::Seq, 4, TMatrixAxis::Rows>;

// KGM, KGS: segments.
using TstCombSegmMix2 = TCombSegmentsStat<TSubCombPattern::Mix, 2>;
using TstCombSegmMix3 = TCombSegmentsStat<TSubCombPattern::Mix, 3>;
using TstCombSegmMix4 = TCombSegmentsStat<TSubCombPattern::Mix, 4>;
using TstCombSegmSeq2 = TCombSegmentsStat<TSubCombPattern::Seq, 2>;
using TstCombSegmSeq3 = TCombSegmentsStat<TSubCombPattern::Seq, 3>;
using TstCombSegmSeq4 = TCombSegmentsStat<TSubCombPattern::Seq, 4>;
