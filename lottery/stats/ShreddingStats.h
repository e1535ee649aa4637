#pragma once

#include "lottery/stats/CustomStat.h"
#include "lottery/stats/FormulaEvaluator.h"

#include <QString>
#include <array>
#include <cstdint>

// The shredding formulas: a user's arithmetic formula over the numbers of a draw (n1..n6) and of the two
// draws before it (p1..p6, t1..t6); the value of the draw is the first digits of the fractional part of
// the result.

using TSixNumbers = std::array<uint8_t, kMainCount>;

// The digits kept: at most 9, so that 10^digits and every value fit in 32 bits.
inline constexpr int kMaxShreddingDigits = 9;

// Trunc(Frac(|x|) * 10^digits): the first digits after the decimal point of |x|. The digits are those
// of the exact result: a double that lies a rounding error below a boundary (0.29 held as
// 0.28999999999999998) counts as the boundary. 0 for a number that is not finite; digits are held to
// 0..9.
int ShreddingDigitsOf(double x, int digits);

// The formula with every n<k>, p<k> and t<k> (k = 1..6, letters in any case) replaced by the decimal
// number: k ascending, for each k first n, then p, then t.
QString SubstituteShreddingVariables(const QString &formula, const TSixNumbers &n, const TSixNumbers &p,
                                     const TSixNumbers &t);

// The value of a formula for three number sets: substituted, evaluated and cut to its digits; 0 when the
// formula cannot be evaluated (a syntax error, a division by zero, an overflow, an empty formula).
int ShreddingValue(const TSixNumbers &n, const TSixNumbers &p, const TSixNumbers &t, int digits,
                   const QString &formula);

// A formula prepared for many evaluations. Its variables are bound to numbers that change from call
// to call, so the text is parsed once; this gives the values of ShreddingValue. A formula in which a
// variable is glued to other characters ("n12", "2n1", "n1.5"), whose substituted text reads
// differently, is substituted and parsed for every value instead.
class TShreddingFormula {
public:
    TShreddingFormula(const QString &formula, int digits);
    TShreddingFormula(const TShreddingFormula &) = delete;
    TShreddingFormula &operator=(const TShreddingFormula &) = delete;

    int Value(const TSixNumbers &n, const TSixNumbers &p, const TSixNumbers &t);
    // The same with p and t set by SetPrevious and kept between calls.
    int Value(const TSixNumbers &n);
    void SetPrevious(const TSixNumbers &p, const TSixNumbers &t);
    bool BindsVariables() const { return m_bound; }

private:
    void setNumbers(double *vars, const TSixNumbers &numbers);

    QString m_formula;
    int m_digits;
    bool m_bound = false;
    TFormulaEvaluator m_evaluator;
    // n1..n6, p1..p6, t1..t6 as the evaluator reads them; the last sets as the text path reads them.
    std::array<double, 3 * kMainCount> m_vars{};
    TSixNumbers m_p{};
    TSixNumbers m_t{};
};

// SHR<i> (i = 1..3): the value of formula i of the settings with its digit count, kept in 32-bit key 1
// (formulas with up to 4 digits keep it in 16-bit key 1 alone).
class TstShreddingStat : public TCustomGraphStat {
public:
    TstShreddingStat(const TStatClass &cls, const TStatList &list, int param);

    QString ValueToText(const TStatValueRec &value) const override;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfLastNumbers(const TComb &comb, TStatDrawArray &values, TStatTally &tally) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

    const QString &Formula() const { return m_formulaText; }
    uint8_t Digits() const { return m_digitCount; }

private:
    void mergeValue(TStatDrawArray &values, int value, bool withIntervals);
    // Binds p and t to draws last and last - 1 for the filter; read again only when they change.
    void bindFilterDraws(int last, bool sorted);

    QString m_formulaText;
    uint8_t m_digitCount = 0;
    TShreddingFormula m_formula;
    bool m_filterBound = false;
    int m_filterLast = 0;
    bool m_filterSorted = false;
    TDrawRec m_filterDraws[2];
};
