#pragma once

#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>

// Numbers that come up again in a later draw: in two draws in a row, in two draws a few draws apart, in
// three draws in a row or in exactly two draws in a row, and numbers that equal a number of the previous
// draw plus or minus 1 or 2. The "values" forms report which numbers repeat (only the numbers of the last
// draw of the sample, since those can repeat in the next draw); the "count" forms report how many repeat
// and test a combination as the draw after the last one. Every value sits in key 1.
//
// A draw before the start of the archive does not exist: it holds no number, shifted or not, so the first
// draws of the archive repeat nothing from it.

// Bit n set for each number n (1..45) of the draw; 0 for a draw outside the archive.
using TNumberMask = uint64_t;
// Masks of the numbers of a draw by how often they stand in it: level k holds the numbers found more
// than k times (a hand-edited archive may hold a number twice).
using TNumberLevels = std::array<TNumberMask, kMainCount>;

// The values form of a repeat from the draw Gap draws back, its numbers shifted by Shift.
class TCustomRepValues2Stat : public TCustomValuesStat {
public:
    using TCustomValuesStat::TCustomValuesStat;
    // The amount added to the numbers of the earlier draw (0, +1, -1, +2, -2).
    virtual int Shift() const = 0;
    // How many draws back the earlier draw lies (1 = the previous draw).
    virtual int Gap() const = 0;

    // The six numbers of the last draw, shifted.
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;
};

// The count form: how many numbers of the earlier draw, shifted, the draw holds; the counts 1..6 are
// enumerated.
class TCustomRepCount2Stat : public TCustomNumbersStat {
public:
    using TCustomNumbersStat::TCustomNumbersStat;
    virtual int Shift() const = 0;
    virtual int Gap() const = 0;

    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    // The combination stands for the draw after the last one.
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;
    // The count is the sum, over the combination's numbers, of the places of the earlier draw that
    // hold the number (shifted).
    bool NumberWeightsOfTest(int last, std::array<uint8_t, kMaxNumber + 1> &weights, TStatProbe &lookup) override;

private:
    // The shifted numbers of the earlier draw of the next one, kept for the run over the combinations.
    const TNumberLevels &earlierOfNext(int last);
    const TDrawsArray *m_maskDraws = nullptr;
    size_t m_maskDrawCount = 0;
    int m_maskLast = 0;
    TNumberLevels m_mask{};
    bool m_maskValid = false;
};

template <int S, int G>
class TRepValues2Member : public TCustomRepValues2Stat {
public:
    using TCustomRepValues2Stat::TCustomRepValues2Stat;
    int Shift() const override { return S; }
    int Gap() const override { return G; }
};

template <int S, int G>
class TRepCount2Member : public TCustomRepCount2Stat {
public:
    using TCustomRepCount2Stat::TCustomRepCount2Stat;
    int Shift() const override { return S; }
    int Gap() const override { return G; }
};

// RPV2, PRV2O1..PRV2O3, PRV+1, PRV-1, PRV+2, PRV-2
class TstRepValues2 : public TRepValues2Member<0, 1> {
public:
    using TRepValues2Member::TRepValues2Member;
};
class TstRepValues2over1 : public TRepValues2Member<0, 2> {
public:
    using TRepValues2Member::TRepValues2Member;
};
class TstRepValues2over2 : public TRepValues2Member<0, 3> {
public:
    using TRepValues2Member::TRepValues2Member;
};
class TstRepValues2over3 : public TRepValues2Member<0, 4> {
public:
    using TRepValues2Member::TRepValues2Member;
};
class TstRepValues2P1 : public TRepValues2Member<1, 1> {
public:
    using TRepValues2Member::TRepValues2Member;
};
class TstRepValues2N1 : public TRepValues2Member<-1, 1> {
public:
    using TRepValues2Member::TRepValues2Member;
};
class TstRepValues2P2 : public TRepValues2Member<2, 1> {
public:
    using TRepValues2Member::TRepValues2Member;
};
class TstRepValues2N2 : public TRepValues2Member<-2, 1> {
public:
    using TRepValues2Member::TRepValues2Member;
};

// RPC2, RPO1, PRC2O2, PRC2O3, PRC+1, PRC-1, PRC+2, PRC-2
class TstRepCount2 : public TRepCount2Member<0, 1> {
public:
    using TRepCount2Member::TRepCount2Member;
};
class TstRepCount2over1 : public TRepCount2Member<0, 2> {
public:
    using TRepCount2Member::TRepCount2Member;
};
class TstRepCount2over2 : public TRepCount2Member<0, 3> {
public:
    using TRepCount2Member::TRepCount2Member;
};
class TstRepCount2over3 : public TRepCount2Member<0, 4> {
public:
    using TRepCount2Member::TRepCount2Member;
};
class TstRepCount2P1 : public TRepCount2Member<1, 1> {
public:
    using TRepCount2Member::TRepCount2Member;
};
class TstRepCount2N1 : public TRepCount2Member<-1, 1> {
public:
    using TRepCount2Member::TRepCount2Member;
};
class TstRepCount2P2 : public TRepCount2Member<2, 1> {
public:
    using TRepCount2Member::TRepCount2Member;
};
class TstRepCount2N2 : public TRepCount2Member<-2, 1> {
public:
    using TRepCount2Member::TRepCount2Member;
};

// RPV3 (inThird true): the numbers of a draw that were in the two draws before it and are in the last
// draw; PRL2 (inThird false): those that were in the draw before it but not in the one before that.
class TRepValues3Base : public TCustomValuesStat {
public:
    TRepValues3Base(const TStatClass &cls, const TStatList &list, int param, bool inThird)
        : TCustomValuesStat(cls, list, param), m_inThird(inThird) {}
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    bool m_inThird;
};

// RPC3 and PRB2: how many numbers of a draw are such repeats (without the condition on the last draw).
class TRepCount3Base : public TCustomNumbersStat {
public:
    TRepCount3Base(const TStatClass &cls, const TStatList &list, int param, bool inThird)
        : TCustomNumbersStat(cls, list, param), m_inThird(inThird) {}
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    // The combination stands for the draw after the last one: its numbers in the last draw and in (or not
    // in) the draw before it.
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    bool m_inThird;
    const TDrawsArray *m_maskDraws = nullptr;
    size_t m_maskDrawCount = 0;
    int m_maskLast = 0;
    TNumberMask m_mask = 0;
    bool m_maskValid = false;
};

class TstRepValues3 : public TRepValues3Base {
public:
    TstRepValues3(const TStatClass &cls, const TStatList &list, int param)
        : TRepValues3Base(cls, list, param, true) {}
};
class TstRepValues2B3 : public TRepValues3Base {
public:
    TstRepValues2B3(const TStatClass &cls, const TStatList &list, int param)
        : TRepValues3Base(cls, list, param, false) {}
};
class TstRepCount3 : public TRepCount3Base {
public:
    TstRepCount3(const TStatClass &cls, const TStatList &list, int param)
        : TRepCount3Base(cls, list, param, true) {}
};
class TstRepCount2B3 : public TRepCount3Base {
public:
    TstRepCount2B3(const TStatClass &cls, const TStatList &list, int param)
        : TRepCount3Base(cls, list, param, false) {}
};
