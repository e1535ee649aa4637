#include "lottery/stats/NumberStats.h"

namespace {

constexpr TNumberBits bitsOf(std::initializer_list<int> numbers)
{
    TNumberBits bits = 0;
    for (int n : numbers)
        bits |= TNumberBits(1) << n;
    return bits;
}

constexpr TNumberBits bitsOfRange(int first, int last, int step)
{
    TNumberBits bits = 0;
    for (int n = first; n <= last; n += step)
        bits |= TNumberBits(1) << n;
    return bits;
}

// The decimal digits of a number, most significant first; returns how many there are.
int digitsOf(unsigned n, uint8_t (&digits)[3])
{
    if (n >= 100) {
        digits[0] = uint8_t(n / 100);
        digits[1] = uint8_t(n / 10 % 10);
        digits[2] = uint8_t(n % 10);
        return 3;
    }
    if (n >= 10) {
        digits[0] = uint8_t(n / 10);
        digits[1] = uint8_t(n % 10);
        return 2;
    }
    digits[0] = uint8_t(n);
    return 1;
}

} // namespace

const TNumberBits kEvenNumbers = bitsOfRange(2, kMaxNumber, 2);
const TNumberBits kSmallNumbers = bitsOfRange(1, 22, 1);
// The primes up to 45, and 1 with them.
const TNumberBits kPrimeNumbers = bitsOf({1, 2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43});

// ---- NUMS ----

void TstValues::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMaxNumber);
}

void TstValues::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    for (uint8_t n : comb.n)
        TstValues::ValuesOfNumber(n, values);
}

void TstValues::ValuesOfNumber(int n, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(n), false);
}

void TstValues::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                             TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    for (uint8_t n : Draw.main)
        MergeKey(values, n, true);
}

bool TstValues::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (uint8_t n : comb.n)
        if (HasWordKey(values, 1, n))
            return true;
    return false;
}

// ---- DIGS ----

void TstDigits::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    for (uint8_t n : comb.n)
        TstDigits::ValuesOfNumber(n, values);
}

void TstDigits::ValuesOfNumber(int n, TStatDrawArray &values)
{
    BeginCombValue();
    uint8_t digits[3];
    for (int i = 0, count = digitsOf(unsigned(n), digits); i < count; ++i)
        MergeKey(values, digits[i], false);
}

void TstDigits::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                             TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    uint8_t digits[3];
    for (uint8_t n : Draw.main)
        for (int i = 0, count = digitsOf(n, digits); i < count; ++i)
            MergeKey(values, digits[i], true);
}

bool TstDigits::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    uint8_t digits[3];
    for (uint8_t n : comb.n)
        for (int i = 0, count = digitsOf(n, digits); i < count; ++i)
            if (HasValue(values, digits[i], 0, 0, 0))
                return true;
    return false;
}

// ---- EVEN, SMAL, PRIM ----

TCustomNumberSetRatioStat::TCustomNumberSetRatioStat(const TStatClass &cls, const TStatList &list, int param,
                                                     TNumberBits set)
    : TCustomRatioStat(cls, list, param), m_set(set)
{
}

int TCustomNumberSetRatioStat::CountOf(const std::array<uint8_t, kMainCount> &numbers) const
{
    int k = 0;
    for (uint8_t n : numbers)
        k += InNumberBits(m_set, n) ? 1 : 0;
    return k;
}

int TCustomNumberSetRatioStat::NumericValue(const TComb &comb, int, bool, int)
{
    return CountOf(comb.n);
}

void TCustomNumberSetRatioStat::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMainCount);
}

void TCustomNumberSetRatioStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(CountOf(comb.n)), false);
}

void TCustomNumberSetRatioStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values,
                                             TStatWork &, TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(CountOf(Draw.main)), true);
}

bool TCustomNumberSetRatioStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, static_cast<uint16_t>(CountOf(comb.n)));
}

// ---- EVNV, SMLV, PRMV ----

TCustomNumberSetMaskStat::TCustomNumberSetMaskStat(const TStatClass &cls, const TStatList &list, int param,
                                                   TNumberBits set, QChar clearLetter, QChar setLetter)
    : TCustomMaskStat(cls, list, param), m_set(set), m_clear(clearLetter), m_setLetter(setLetter)
{
}

int TCustomNumberSetMaskStat::MaskOf(const std::array<uint8_t, kMainCount> &numbers) const
{
    int mask = 0;
    for (uint8_t n : numbers)
        mask = mask * 2 + (InNumberBits(m_set, n) ? 1 : 0);
    return mask;
}

void TCustomNumberSetMaskStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(MaskOf(comb.n)), false);
}

void TCustomNumberSetMaskStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                            TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(MaskOf(Draw.main)), true);
}

bool TCustomNumberSetMaskStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasDWordKey(values, 1, static_cast<uint32_t>(MaskOf(comb.n)));
}

TstEvenValues::TstEvenValues(const TStatClass &cls, const TStatList &list, int param)
    : TCustomNumberSetMaskStat(cls, list, param, ~kEvenNumbers & bitsOfRange(1, kMaxNumber, 1), QChar(u'Ч'),
                               QChar(u'н'))
{
}

TstSmallValues::TstSmallValues(const TStatClass &cls, const TStatList &list, int param)
    : TCustomNumberSetMaskStat(cls, list, param, bitsOfRange(23, kMaxNumber, 1), QChar(u'1'), QChar(u'2'))
{
}

void TstSmallValues::EnumAllValues(int, TStatDrawArray &)
{
    Value = TStatValueRec{};
}

TstPrimeValues::TstPrimeValues(const TStatClass &cls, const TStatList &list, int param)
    : TCustomNumberSetMaskStat(cls, list, param, kPrimeNumbers, QChar(u'С'), QChar(u'П'))
{
}

// ---- POS ----

size_t TstPosVal::position() const
{
    // A parameter outside 1..6 (never listed by the registry) reads the first position.
    return Param >= 1 && Param <= kMainCount ? size_t(Param - 1) : 0;
}

int TstPosVal::NumericValue(const TComb &comb, int, bool, int)
{
    return comb[position()];
}

void TstPosVal::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMaxNumber);
}

void TstPosVal::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, comb[position()], false);
}

void TstPosVal::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                             TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, Draw.main[position()], true);
}

bool TstPosVal::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, comb[position()]);
}

// ---- POE ----

int TstPosExt::extraOf(const TDrawRec &draw) const
{
    return Param >= 1 && Param <= kExtraCount ? draw.extra[size_t(Param - 1)] : 0;
}

int TstPosExt::NumericValue(const TComb &, int index, bool sorted, int last)
{
    LoadDraw(index, last, sorted);
    return extraOf(Draw);
}

void TstPosExt::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                             TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(extraOf(Draw)), true);
}

bool TstPosExt::CombMatches(const TComb &, const TStatDrawArray &, int, bool, bool)
{
    return false;
}
