#include "lottery/stats/TransitionStats.h"

#include "common/Format.h"
#include "lottery/NumberGeometry.h"
#include "lottery/stats/StatList.h"

#include <algorithm>

namespace {

bool hasMapped(const std::array<uint8_t, kMainCount> &numbers, const std::array<uint8_t, 256> &map, uint8_t what)
{
    for (uint8_t n : numbers)
        if (map[n] == what)
            return true;
    return false;
}

} // namespace

// ---- TCustomChainStat ----

TCustomChainStat::TCustomChainStat(const TStatClass &cls, const TStatList &list, int param, TChainSubject subject,
                                   int draws, TChainScope scope)
    : TCustomStat(cls, list, param), m_subject(subject), m_draws(draws), m_scope(scope)
{
    for (size_t n = 0; n < m_map.size(); ++n)
        m_map[n] = static_cast<uint8_t>(n);
}

QString TCustomChainStat::ValueToText(const TStatValueRec &value) const
{
    const bool twoDigits = twoDigitTexts();
    auto key = [&](int n) -> QString {
        const int k = value.Keys.word(n);
        return twoDigits ? Format(u"%.2d", {k}) : QString::number(k);
    };
    if (m_draws == 3)
        return Format(u"%0:s-%1:s -> %2:s", {key(1), key(2), key(3)});
    return Format(u"%0:s -> %1:s", {key(1), key(2)});
}

int TCustomChainStat::countInParam(const std::array<uint8_t, kMainCount> &numbers) const
{
    if (Param < 1 || Param > 255)
        return 0;
    int c = 0;
    for (uint8_t n : numbers)
        c += m_map[n] == Param ? 1 : 0;
    return c;
}

void TCustomChainStat::mergeKeys(TStatDrawArray &values, uint16_t k1, uint16_t k2, uint16_t k3, bool withIntervals)
{
    Value.Keys.set(k1, k2, k3);
    AddStatValue(values, Value, withIntervals);
}

void TCustomChainStat::EnumAllValues(int last, TStatDrawArray &values)
{
    Value = TStatValueRec{};
    if (m_scope != TChainScope::Count)
        return;
    // The counts of the present situation, followed by every count the next draw can have.
    const auto c = static_cast<uint16_t>(countInParam(GetDraw(last, false).main));
    const auto c1 = static_cast<uint16_t>(countInParam(GetDraw(last - 1, false).main));
    for (int t = 0, max = enumeratedCountMax(); t <= max; ++t) {
        if (m_draws == 3)
            mergeKeys(values, c1, c, static_cast<uint16_t>(t), false);
        else
            mergeKeys(values, c, static_cast<uint16_t>(t), 0, false);
    }
}

void TCustomChainStat::positionValues(const TDrawRec &p, const TDrawRec &q, const TDrawRec &m,
                                      TStatDrawArray &values)
{
    size_t first = 0;
    size_t end = kMainCount;
    if (m_scope == TChainScope::Position) {
        // A position outside 1..6 (never listed) has no transitions.
        if (Param < 1 || Param > kMainCount)
            return;
        first = size_t(Param - 1);
        end = first + 1;
    }
    for (size_t k = first; k < end; ++k) {
        const uint8_t pk = m_map[p.main[k]];
        const uint8_t dk = m_map[Draw.main[k]];
        if (pk != m_map[LastDraw.main[k]])
            continue;
        if (m_draws == 2) {
            mergeKeys(values, pk, dk, 0, true);
            continue;
        }
        const uint8_t qk = m_map[q.main[k]];
        if (qk == m_map[m.main[k]])
            mergeKeys(values, qk, pk, dk, true);
    }
}

void TCustomChainStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                    TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    if (m_scope == TChainScope::Inside) {
        // The shared numbers are taken in the drawn order of the predecessor.
        const TDrawRec p = GetDraw(index - 1, false);
        if (p.number >= 1)
            insideValues(p, values);
        return;
    }
    const TDrawRec p = GetDraw(index - 1, sorted);
    if (p.number < 1)
        return;
    TDrawRec q;
    TDrawRec m;
    if (m_draws == 3) {
        q = GetDraw(index - 2, sorted);
        if (q.number < 1)
            return;
        m = GetDraw(last - 1, sorted);
    }
    switch (m_scope) {
    case TChainScope::All:
        for (uint8_t x : p.main) {
            const uint8_t fx = m_map[x];
            if (!hasMapped(LastDraw.main, m_map, fx))
                continue;
            for (uint8_t d : Draw.main)
                mergeKeys(values, fx, m_map[d], 0, true);
        }
        break;
    case TChainScope::Positions:
    case TChainScope::Position: positionValues(p, q, m, values); break;
    case TChainScope::Count: {
        const auto cp = static_cast<uint16_t>(countInParam(p.main));
        const auto cd = static_cast<uint16_t>(countInParam(Draw.main));
        if (countInParam(LastDraw.main) != cp)
            break;
        if (m_draws == 2)
            mergeKeys(values, cp, cd, 0, true);
        else if (countInParam(m.main) == countInParam(q.main))
            mergeKeys(values, static_cast<uint16_t>(countInParam(q.main)), cp, cd, true);
        break;
    }
    case TChainScope::Inside: break;
    }
}

bool TCustomChainStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool, bool)
{
    // Only the part that came next is tested: key 2 of a two-draw transition, key 3 of a three-draw one.
    const int next = m_draws;
    switch (m_scope) {
    case TChainScope::Inside: return insideMatches(comb, values, last);
    case TChainScope::Count: return HasWordKey(values, next, static_cast<uint16_t>(countInParam(comb.n)));
    default: break;
    }
    for (uint8_t n : comb.n)
        if (HasWordKey(values, next, m_map[n]))
            return true;
    return false;
}

// ---- Channels ----

TCustomChainChannelsStat::TCustomChainChannelsStat(const TStatClass &cls, const TStatList &list, int param,
                                                   int draws, TChainScope scope)
    : TCustomChainStat(cls, list, param, TChainSubject::Channels, draws, scope),
      m_channelSize(static_cast<uint8_t>(list.Config.channelSize & 0xFF))
{
    std::array<uint8_t, 256> map{};
    for (int n = 1; n <= kMaxNumber; ++n)
        map[size_t(n)] = static_cast<uint8_t>(ChannelOf(n, m_channelSize));
    setMap(map);
}

int TCustomChainChannelsStat::enumeratedCountMax() const
{
    // The counts the channel can hold: its own numbers, six at most.
    int capacity = 0;
    for (int n = 1; n <= kMaxNumber; ++n)
        capacity += Map(static_cast<uint8_t>(n)) == Param ? 1 : 0;
    return std::min(capacity, kMainCount);
}

void TCustomChainChannels2Inside::insideValues(const TDrawRec &p, TStatDrawArray &values)
{
    const int mode = InsideMode();
    for (uint8_t x : p.main) {
        if (!DrawHasNumber(x, LastDraw))
            continue;
        const uint8_t cx = Map(x);
        int count = 0;
        for (uint8_t d : Draw.main) {
            if (Map(d) != cx)
                continue;
            ++count;
            if (mode == 0 || mode == 1)
                mergeKeys(values, x, d, 0, true);
        }
        if (mode == 3)
            mergeKeys(values, x, static_cast<uint16_t>(count), 0, true);
        else if ((mode == 0 || mode == 2) && count == 0)
            mergeKeys(values, x, 0, 0, true);
    }
}

bool TCustomChainChannels2Inside::insideMatches(const TComb &comb, const TStatDrawArray &values, int last)
{
    // A selected x -> y asks for y itself; x -> 0 (and every value of the counting member) asks for
    // some number in x's channel. x is a number of the last draw.
    const bool counting = InsideMode() == 3;
    const TDrawRec z = GetDraw(last, false);
    for (uint8_t x : z.main) {
        // The combination's side first: the selection is only asked about x when the answer decides.
        if (hasMapped(comb.n, MapTable(), Map(x))
            && (counting ? HasWordKey(values, 1, x) : x != 0 && HasDWordKey(values, 1, x)))
            return true;
        if (counting)
            continue;
        for (uint8_t y : comb.n)
            if ((y != 0 || x == 0) && HasDWordKey(values, 1, uint32_t(x) | (uint32_t(y) << 16)))
                return true;
    }
    return false;
}

// ---- Segments ----

TCustomChainSegmentsStat::TCustomChainSegmentsStat(const TStatClass &cls, const TStatList &list, int param,
                                                   int draws, TChainScope scope)
    : TCustomChainStat(cls, list, param, TChainSubject::Segments, draws, scope),
      m_segments(list.Config.matrixSegments)
{
    std::array<uint8_t, 256> map{};
    for (int n = 1; n <= kMaxNumber; ++n)
        map[size_t(n)] = m_segments[size_t(n - 1)];
    setMap(map);
}
