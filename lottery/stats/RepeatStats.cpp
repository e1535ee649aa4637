#include "lottery/stats/RepeatStats.h"

#include "common/BitCount.h"
#include "lottery/NumberGeometry.h"

#include <bit>

namespace {

bool inMask(TNumberMask mask, int n)
{
    return IsGameNumber(n) && ((mask >> n) & 1) != 0;
}

// The numbers of a draw, each shifted by s; numbers outside 1..45 (a draw outside the archive has only
// zeros) are left out.
TNumberMask maskOf(const TDrawRec &draw, int s = 0)
{
    TNumberMask mask = 0;
    for (uint8_t n : draw.main)
        if (IsGameNumber(n))
            mask |= TNumberMask(1) << ShiftNumber(n, s);
    return mask;
}

TNumberMask maskOf(const TComb &comb)
{
    TNumberMask mask = 0;
    for (uint8_t n : comb.n)
        if (IsGameNumber(n))
            mask |= TNumberMask(1) << n;
    return mask;
}

uint16_t countOf(TNumberMask mask)
{
    return static_cast<uint16_t>(BitCount(mask));
}

// The numbers of a draw counted as often as they stand in it: an archive edited by hand may hold a
// number twice, and each of its places counts.
TNumberLevels levelsOf(const TDrawRec &draw, int s = 0)
{
    TNumberLevels levels{};
    for (uint8_t n : draw.main) {
        if (!IsGameNumber(n))
            continue;
        const TNumberMask bit = TNumberMask(1) << ShiftNumber(n, s);
        size_t k = 0;
        while ((levels[k] & bit) != 0)
            ++k;
        levels[k] |= bit;
    }
    return levels;
}

// How many places of the draw hold a number of the mask.
uint16_t countOf(const TNumberLevels &levels, TNumberMask mask)
{
    int count = 0;
    for (size_t k = 0; k < levels.size() && levels[k] != 0; ++k)
        count += BitCount(levels[k] & mask);
    return static_cast<uint16_t>(count);
}

} // namespace

// ---- Values of a repeat from Gap draws back, shifted ----

void TCustomRepValues2Stat::EnumAllValues(int last, TStatDrawArray &values)
{
    Value = TStatValueRec{};
    if (last < 0 || last >= DrawCount())
        return;
    for (uint8_t n : GetDraw(last, false).main)
        if (IsGameNumber(n))
            MergeKey(values, static_cast<uint16_t>(ShiftNumber(n, Shift())), false);
}

void TCustomRepValues2Stat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                         TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    const TNumberMask inLast = maskOf(LastDraw, Shift());
    const TNumberMask inDraw = maskOf(Draw);
    const TDrawRec earlier = GetDraw(index - Gap(), sorted);
    for (uint8_t n : earlier.main) {
        if (!IsGameNumber(n))
            continue;
        const int x = ShiftNumber(n, Shift());
        if (inMask(inLast, x) && inMask(inDraw, x))
            MergeKey(values, static_cast<uint16_t>(x), true);
    }
}

bool TCustomRepValues2Stat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (uint8_t n : comb.n)
        if (HasWordKey(values, 1, n))
            return true;
    return false;
}

// ---- Count of a repeat from Gap draws back, shifted ----

void TCustomRepCount2Stat::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMainCount);
}

void TCustomRepCount2Stat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                        TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, countOf(levelsOf(GetDraw(index - Gap(), sorted), Shift()), maskOf(Draw)), true);
}

const TNumberLevels &TCustomRepCount2Stat::earlierOfNext(int last)
{
    if (!m_maskValid || m_maskLast != last || m_maskDraws != Draws || m_maskDrawCount != size_t(DrawCount())) {
        m_mask = levelsOf(GetDraw(last + 1 - Gap(), false), Shift());
        m_maskLast = last;
        m_maskDraws = Draws;
        m_maskDrawCount = size_t(DrawCount());
        m_maskValid = true;
    }
    return m_mask;
}

bool TCustomRepCount2Stat::CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool, bool)
{
    return HasWordKey(values, 1, countOf(earlierOfNext(last), maskOf(comb)));
}

bool TCustomRepCount2Stat::NumberWeightsOfTest(int last, std::array<uint8_t, kMaxNumber + 1> &weights,
                                               TStatProbe &lookup)
{
    lookup = TStatProbe{TStatProbeKind::Word, 1, 0};
    const TNumberLevels &levels = earlierOfNext(last);
    weights.fill(0);
    for (int n = 1; n <= kMaxNumber; ++n)
        for (TNumberMask level : levels)
            weights[size_t(n)] = uint8_t(weights[size_t(n)] + ((level >> n) & 1));
    return true;
}

// ---- RPV3, PRL2 ----

void TRepValues3Base::EnumAllValues(int last, TStatDrawArray &values)
{
    Value = TStatValueRec{};
    if (last < 0 || last >= DrawCount())
        return;
    for (uint8_t n : GetDraw(last, false).main)
        if (IsGameNumber(n))
            MergeKey(values, n, false);
}

void TRepValues3Base::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                   TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    const TNumberMask inLast = maskOf(LastDraw);
    const TNumberMask before = maskOf(GetDraw(index - 1, false));
    const TNumberMask twoBefore = maskOf(GetDraw(index - 2, false));
    for (uint8_t x : Draw.main)
        if (inMask(inLast, x) && inMask(before, x) && inMask(twoBefore, x) == m_inThird)
            MergeKey(values, x, true);
}

bool TRepValues3Base::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (uint8_t n : comb.n)
        if (HasWordKey(values, 1, n))
            return true;
    return false;
}

// ---- RPC3, PRB2 ----

void TRepCount3Base::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, kMainCount);
}

void TRepCount3Base::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                  TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    const TNumberMask before = maskOf(GetDraw(index - 1, false));
    const TNumberMask twoBefore = maskOf(GetDraw(index - 2, false));
    const TNumberMask repeats = m_inThird ? before & twoBefore : before & ~twoBefore;
    MergeKey(values, countOf(levelsOf(Draw), repeats), true);
}

bool TRepCount3Base::CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool, bool)
{
    if (!m_maskValid || m_maskLast != last || m_maskDraws != Draws || m_maskDrawCount != size_t(DrawCount())) {
        const TNumberMask inLast = maskOf(GetDraw(last, false));
        const TNumberMask before = maskOf(GetDraw(last - 1, false));
        m_mask = m_inThird ? inLast & before : inLast & ~before;
        m_maskLast = last;
        m_maskDraws = Draws;
        m_maskDrawCount = size_t(DrawCount());
        m_maskValid = true;
    }
    return HasWordKey(values, 1, countOf(m_mask & maskOf(comb)));
}
