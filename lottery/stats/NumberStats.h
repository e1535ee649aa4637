#pragma once

#include "lottery/stats/CustomStat.h"

#include <cstdint>

// The statistics of the numbers of one draw taken one by one: the numbers and their digits, even and
// odd, small (1..22) and large (23..45), "prime" (the primes up to 45 and 1) and composite, the number at
// a position and the supplementary numbers. Every value sits in key 1.

// Bit n set for every number n of a set (n <= 63).
using TNumberBits = uint64_t;
extern const TNumberBits kEvenNumbers;
extern const TNumberBits kSmallNumbers;
extern const TNumberBits kPrimeNumbers;

inline bool InNumberBits(TNumberBits set, unsigned n)
{
    return n < 64 && ((set >> n) & 1) != 0;
}

// NUMS: each of the six numbers.
class TstValues : public TCustomValuesStat {
public:
    using TCustomValuesStat::TCustomValuesStat;
    TCombDependence CombDependence() const override { return TCombDependence::Each; }
    void ValuesOfNumber(int n, TStatDrawArray &values) override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    int ValuesPerComb() const override { return kMainCount; }
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;
};

// DIGS: each decimal digit of each number (17 gives 1 and 7).
class TstDigits : public TCustomNumbersStat {
public:
    using TCustomNumbersStat::TCustomNumbersStat;
    TCombDependence CombDependence() const override { return TCombDependence::Each; }
    void ValuesOfNumber(int n, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;
};

// How many of the six numbers belong to a set, shown as k:(6-k); the counts 1..6 are enumerated.
class TCustomNumberSetRatioStat : public TCustomRatioStat {
public:
    TCustomNumberSetRatioStat(const TStatClass &cls, const TStatList &list, int param, TNumberBits set);
    int CountOf(const std::array<uint8_t, kMainCount> &numbers) const;
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return InNumberBits(m_set, unsigned(n)) ? 1 : 0; }
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    TNumberBits m_set;
};

// EVEN, SMAL, PRIM.
class TstEvenCount : public TCustomNumberSetRatioStat {
public:
    TstEvenCount(const TStatClass &cls, const TStatList &list, int param)
        : TCustomNumberSetRatioStat(cls, list, param, kEvenNumbers) {}
};
class TstSmallCount : public TCustomNumberSetRatioStat {
public:
    TstSmallCount(const TStatClass &cls, const TStatList &list, int param)
        : TCustomNumberSetRatioStat(cls, list, param, kSmallNumbers) {}
};
class TstPrimeCount : public TCustomNumberSetRatioStat {
public:
    TstPrimeCount(const TStatClass &cls, const TStatList &list, int param)
        : TCustomNumberSetRatioStat(cls, list, param, kPrimeNumbers) {}
};

// A 6-bit mask of the six numbers in their order, a bit set for a number of the set.
class TCustomNumberSetMaskStat : public TCustomMaskStat {
public:
    TCustomNumberSetMaskStat(const TStatClass &cls, const TStatList &list, int param, TNumberBits set,
                             QChar clearLetter, QChar setLetter);
    int MaskOf(const std::array<uint8_t, kMainCount> &numbers) const;
    // The mask as the state: the first number gives the highest of the six bits.
    TCombDependence CombDependence() const override { return TCombDependence::Steps; }
    int StepOf(int k, int n) const override { return InNumberBits(m_set, unsigned(n)) ? 1 << (kMainCount - 1 - k) : 0; }
    int StepStates() const override { return 1 << kMainCount; }
    QChar ClearLetter() const override { return m_clear; }
    QChar SetLetter() const override { return m_setLetter; }
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    TNumberBits m_set;
    QChar m_clear;
    QChar m_setLetter;
};

// EVNV: a bit set for an odd number ("Ч" even, "н" odd).
class TstEvenValues : public TCustomNumberSetMaskStat {
public:
    TstEvenValues(const TStatClass &cls, const TStatList &list, int param);
};
// SMLV: a bit set for a large number ("1" small, "2" large); its masks are not enumerated.
class TstSmallValues : public TCustomNumberSetMaskStat {
public:
    TstSmallValues(const TStatClass &cls, const TStatList &list, int param);
    void EnumAllValues(int last, TStatDrawArray &values) override;
};
// PRMV: a bit set for a "prime" number ("С" composite, "П" prime).
class TstPrimeValues : public TCustomNumberSetMaskStat {
public:
    TstPrimeValues(const TStatClass &cls, const TStatList &list, int param);
};

// POS<p>: the number at position p (1..6), in drawn order or ascending.
class TstPosVal : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    // The number at the position as the state.
    TCombDependence CombDependence() const override { return TCombDependence::Steps; }
    int StepOf(int k, int n) const override { return size_t(k) == position() ? n : 0; }
    int StepStates() const override { return kMaxNumber + 1; }
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    size_t position() const;
};

// POE<p>: the supplementary number p (1..2) of the draw. A combination has none, so it never matches.
class TstPosExt : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    int extraOf(const TDrawRec &draw) const;
};
