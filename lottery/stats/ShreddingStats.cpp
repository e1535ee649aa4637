#include "lottery/stats/ShreddingStats.h"

#include "lottery/stats/StatList.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<char16_t, 3> kSetLetters{u'n', u'p', u't'};

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' ||
           u == u'.' || u > 0x7F;
}

// Whether every n<k>, p<k> and t<k> of the formula stands apart from its neighbours, so that the number
// put in its place forms a token of its own: then binding the name reads exactly as substituting text.
bool variablesStandApart(const QString &formula)
{
    for (qsizetype i = 0; i + 1 < formula.size(); ++i) {
        const char16_t c = formula[i].toLower().unicode();
        const char16_t k = formula[i + 1].unicode();
        if (std::find(kSetLetters.begin(), kSetLetters.end(), c) == kSetLetters.end() || k < u'1' || k > u'6')
            continue;
        if (i > 0 && isNameChar(formula[i - 1]))
            return false;
        if (i + 2 < formula.size() && isNameChar(formula[i + 2]))
            return false;
    }
    return true;
}

// Six numbers compared as two words of the sizes they are stored in (std::array's comparison is a
// library call).
bool sameNumbers(const TSixNumbers &a, const TSixNumbers &b)
{
    uint32_t a4 = 0, b4 = 0;
    uint16_t a2 = 0, b2 = 0;
    std::memcpy(&a4, a.data(), 4);
    std::memcpy(&b4, b.data(), 4);
    std::memcpy(&a2, a.data() + 4, 2);
    std::memcpy(&b2, b.data() + 4, 2);
    return a4 == b4 && a2 == b2;
}

} // namespace

int ShreddingDigitsOf(double x, int digits)
{
    if (!std::isfinite(x))
        return 0;
    static constexpr int64_t kScales[kMaxShreddingDigits + 1] = {1,      10,      100,      1000,      10000,
                                                                 100000, 1000000, 10000000, 100000000, 1000000000};
    const int64_t scale = kScales[std::clamp(digits, 0, kMaxShreddingDigits)];
    const double ax = std::fabs(x);
    // A whole part below 2^63 is cut off by the conversion to an integer, as std::trunc cuts it (which
    // is a library call on the portable build); v lies in 0..10^9.
    const double whole = ax < 9.2e18 ? static_cast<double>(static_cast<int64_t>(ax)) : std::trunc(ax);
    const double frac = ax - whole; // exact
    const double scaled = static_cast<double>(scale);
    const double v = frac * scaled;
    const double nearest = static_cast<double>(static_cast<int64_t>(v + 0.5)); // the floor of v + 0.5 >= 0
    // The double holds the result to a few units of its last place; a product that close to a whole
    // number is taken as that number (the rounding of the product itself lies well inside). Farther
    // than 0.001 the digits are no longer the result's anyway.
    const double tolerance = std::min(16.0 * DBL_EPSILON * std::max(ax, 1.0) * scaled, 1e-3);
    int64_t value = std::fabs(v - nearest) <= tolerance ? static_cast<int64_t>(nearest)
                                                        : static_cast<int64_t>(v);
    // A fraction a rounding error below 1 belongs to a whole number.
    if (value >= scale || value < 0)
        value = 0;
    return static_cast<int>(value);
}

QString SubstituteShreddingVariables(const QString &formula, const TSixNumbers &n, const TSixNumbers &p,
                                     const TSixNumbers &t)
{
    QString expr = formula;
    for (int k = 1; k <= kMainCount; ++k) {
        const size_t i = size_t(k - 1);
        expr.replace(u"n"_s + QString::number(k), QString::number(n[i]), Qt::CaseInsensitive);
        expr.replace(u"p"_s + QString::number(k), QString::number(p[i]), Qt::CaseInsensitive);
        expr.replace(u"t"_s + QString::number(k), QString::number(t[i]), Qt::CaseInsensitive);
    }
    return expr;
}

int ShreddingValue(const TSixNumbers &n, const TSixNumbers &p, const TSixNumbers &t, int digits,
                   const QString &formula)
{
    const std::optional<double> x = TFormulaEvaluator::EvaluateText(SubstituteShreddingVariables(formula, n, p, t));
    return x ? ShreddingDigitsOf(*x, digits) : 0;
}

// ---- TShreddingFormula ----

TShreddingFormula::TShreddingFormula(const QString &formula, int digits) : m_formula(formula), m_digits(digits)
{
    if (!variablesStandApart(formula))
        return;
    static constexpr const char *kNames[3 * kMainCount] = {"n1", "n2", "n3", "n4", "n5", "n6",
                                                           "p1", "p2", "p3", "p4", "p5", "p6",
                                                           "t1", "t2", "t3", "t4", "t5", "t6"};
    for (size_t i = 0; i < m_vars.size(); ++i)
        m_evaluator.DefineVariable(kNames[i], &m_vars[i]);
    // An invalid formula is invalid with any numbers: it stays bound and always gives 0.
    m_evaluator.SetExpression(formula);
    m_bound = true;
}

void TShreddingFormula::setNumbers(double *vars, const TSixNumbers &numbers)
{
    for (size_t i = 0; i < numbers.size(); ++i)
        vars[i] = numbers[i];
}

void TShreddingFormula::SetPrevious(const TSixNumbers &p, const TSixNumbers &t)
{
    // Both sets start as zeros, in the numbers and in the variables alike.
    if (sameNumbers(p, m_p) && sameNumbers(t, m_t))
        return;
    m_p = p;
    m_t = t;
    setNumbers(&m_vars[kMainCount], p);
    setNumbers(&m_vars[2 * kMainCount], t);
}

int TShreddingFormula::Value(const TSixNumbers &n)
{
    if (!m_bound)
        return ShreddingValue(n, m_p, m_t, m_digits, m_formula);
    setNumbers(&m_vars[0], n);
    const std::optional<double> x = m_evaluator.Evaluate();
    return x ? ShreddingDigitsOf(*x, m_digits) : 0;
}

int TShreddingFormula::Value(const TSixNumbers &n, const TSixNumbers &p, const TSixNumbers &t)
{
    SetPrevious(p, t);
    return Value(n);
}

// ---- TstShreddingStat ----

namespace {

QString formulaOf(const TStatList &list, int param)
{
    return param >= 1 && param <= 3 ? list.Shredding.Formulas[size_t(param - 1)] : QString();
}

uint8_t digitsOf(const TStatList &list, int param)
{
    return param >= 1 && param <= 3 ? list.Shredding.Digits[size_t(param - 1)] : 0;
}

} // namespace

TstShreddingStat::TstShreddingStat(const TStatClass &cls, const TStatList &list, int param)
    : TCustomGraphStat(cls, list, param),
      m_formulaText(formulaOf(list, param)),
      m_digitCount(digitsOf(list, param)),
      m_formula(m_formulaText, m_digitCount)
{
}

QString TstShreddingStat::ValueToText(const TStatValueRec &value) const
{
    return QString::number(value.Keys.dword(1));
}

void TstShreddingStat::mergeValue(TStatDrawArray &values, int value, bool withIntervals)
{
    Value.Keys.clear();
    Value.Keys.setDWord(1, static_cast<uint32_t>(value));
    AddStatValue(values, Value, withIntervals);
}

int TstShreddingStat::NumericValue(const TComb &comb, int index, bool sorted, int)
{
    m_filterBound = false;
    return m_formula.Value(comb.n, GetDraw(index - 1, sorted).main, GetDraw(index - 2, sorted).main);
}

void TstShreddingStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    m_filterBound = false;
    mergeValue(values, m_formula.Value(comb.n, TSixNumbers{}, TSixNumbers{}), false);
}

void TstShreddingStat::ValuesOfLastNumbers(const TComb &comb, TStatDrawArray &values, TStatTally &tally)
{
    // A combination has no draws before it.
    m_filterBound = false;
    m_formula.SetPrevious(TSixNumbers{}, TSixNumbers{});
    BeginCombValue();
    tally.setWeight(1);
    TComb full = comb;
    for (int f = comb[4] + 1; f <= kMaxNumber; ++f) {
        full[5] = uint8_t(f);
        mergeValue(values, m_formula.Value(full.n), false);
    }
}

void TstShreddingStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                    TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    m_filterBound = false;
    const int value =
        m_formula.Value(Draw.main, GetDraw(index - 1, sorted).main, GetDraw(index - 2, sorted).main);
    mergeValue(values, value, true);
}

void TstShreddingStat::bindFilterDraws(int last, bool sorted)
{
    // Called for every combination: the draws are compared where they lie, without copies.
    auto same = [this](int index, const TDrawRec &cached) {
        return index >= 0 && index < DrawCount() ? (*Draws)[size_t(index)] == cached : cached == TDrawRec{};
    };
    if (m_filterBound && last == m_filterLast && sorted == m_filterSorted && same(last, m_filterDraws[0]) &&
        same(last - 1, m_filterDraws[1]))
        return;
    m_filterDraws[0] = GetDraw(last, false);
    m_filterDraws[1] = GetDraw(last - 1, false);
    m_filterLast = last;
    m_filterSorted = sorted;
    m_filterBound = true;
    m_formula.SetPrevious(GetDraw(last, sorted).main, GetDraw(last - 1, sorted).main);
}

bool TstShreddingStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted, bool)
{
    // The combination taken as the draw after draw last.
    bindFilterDraws(last, sorted);
    return HasDWordKey(values, 1, static_cast<uint32_t>(m_formula.Value(comb.n)));
}
