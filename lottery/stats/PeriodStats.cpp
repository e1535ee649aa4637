#include "lottery/stats/PeriodStats.h"

#include "common/Format.h"
#include "lottery/stats/StatList.h"

#include <algorithm>

namespace {

bool hasBit(const std::array<uint64_t, 4> &bits, unsigned v)
{
    return v < 256 && ((bits[v >> 6] >> (v & 63)) & 1) != 0;
}

void setBit(std::array<uint64_t, 4> &bits, unsigned v)
{
    if (v < 256)
        bits[v >> 6] |= uint64_t(1) << (v & 63);
}

} // namespace

QString TCustomPeriodsStat::ValueText(int v) const
{
    return QString::number(v);
}

QString TCustomPeriodsStat::ValueToText(const TStatValueRec &value) const
{
    return Format(u"%0:s x %1:d", {ValueText(value.Keys.word(1)), int(value.Keys.word(2))});
}

void TCustomPeriodsStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                      TLastValueArray &lastValues)
{
    BeginDrawValue(index, last, sorted);
    TLastValueRec seen;
    seen.DrawNumber = Draw.number;
    for (int p = 0; p < kMainCount; ++p) {
        const uint8_t v = PositionValue(p + 1, Draw.main[size_t(p)]);
        seen.Keys.set(v);
        // A value that a number before it in this draw already had finds a gap of 0: one period per draw.
        const int gap = UpdateLastValue(seen, lastValues);
        if (gap > 0) {
            Value.Keys.set(v, static_cast<uint16_t>(std::min(gap, 65535)));
            AddStatValue(values, Value, true);
        }
    }
}

std::array<uint64_t, 4> TCustomPeriodsStat::valueBits(const TDrawRec &draw) const
{
    std::array<uint64_t, 4> bits{};
    for (int p = 0; p < kMainCount; ++p)
        setBit(bits, PositionValue(p + 1, draw.main[size_t(p)]));
    return bits;
}

TDrawRec TCustomPeriodsStat::drawNumbered(int32_t number, int last) const
{
    // Draws are kept oldest first with rising numbers; only the sample's draws are looked at, never the
    // ones after it.
    for (int i = std::min(last, DrawCount() - 1); i >= 0; --i) {
        const TDrawRec d = GetDraw(i, false);
        if (d.number == number)
            return d;
        if (d.number < number)
            break;
    }
    return TDrawRec{};
}

const TCustomPeriodsStat::TDueCache &TCustomPeriodsStat::dueFor(const TStatDrawArray &values, int last,
                                                                bool deleteMode)
{
    TDueCache &c = m_due;
    const TStatValueRec *records = values.empty() ? nullptr : &values[0];
    const uint64_t firstKeys = values.empty() ? 0 : values[0].Keys.packed();
    const uint64_t lastKeys = values.empty() ? 0 : values[values.size() - 1].Keys.packed();
    if (c.values == &values && c.records == records && c.size == values.size() && c.firstKeys == firstKeys
        && c.lastKeys == lastKeys && c.last == last && c.deleteMode == deleteMode && c.draws == Draws
        && c.drawCount == size_t(DrawCount()))
        return c;

    c = TDueCache{};
    c.values = &values;
    c.records = records;
    c.size = values.size();
    c.firstKeys = firstKeys;
    c.lastKeys = lastKeys;
    c.last = last;
    c.deleteMode = deleteMode;
    c.draws = Draws;
    c.drawCount = size_t(DrawCount());

    // The combination stands for the draw after the last one; a period d of v is completed when v came
    // up in the draw numbered d before it. Periods count draw numbers, so the earlier draw is found by
    // its number: an archive with gaps in its numbering would otherwise look at the wrong draw.
    const bool lastExists = last >= 0 && last < DrawCount();
    const int32_t nextNumber = lastExists ? GetDraw(last, false).number + 1 : 0;
    for (const TStatValueRec &r : values) {
        const unsigned v = r.Keys.word(1);
        if (v >= 256 || hasBit(c.due, v))
            continue;
        const int d = r.Keys.word(2);
        const TDrawRec earlier = lastExists && d >= 1 ? drawNumbered(nextNumber - d, last) : TDrawRec{};
        if (hasBit(valueBits(earlier), v) != deleteMode)
            setBit(c.due, v);
    }
    return c;
}

bool TCustomPeriodsStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool,
                                     bool deleteMode)
{
    const TDueCache &due = dueFor(values, last, deleteMode);
    for (int p = 0; p < kMainCount; ++p)
        if (hasBit(due.due, PositionValue(p + 1, comb[size_t(p)])))
            return true;
    return false;
}

// ---- PRDV ----

uint8_t TstNumPeriods::PositionValue(int, int number) const
{
    return static_cast<uint8_t>(number);
}

// ---- PRDC ----

TstChnPeriods::TstChnPeriods(const TStatClass &cls, const TStatList &list, int param)
    : TCustomPeriodsStat(cls, list, param), m_channelSize(static_cast<uint8_t>(list.Config.channelSize))
{
}

uint8_t TstChnPeriods::PositionValue(int, int number) const
{
    return static_cast<uint8_t>(ChannelOf(number, m_channelSize));
}

QString TstChnPeriods::ValueText(int v) const
{
    return Format(u"%.2d", {v});
}

// ---- PRDG ----

TstSgmPeriods::TstSgmPeriods(const TStatClass &cls, const TStatList &list, int param)
    : TCustomPeriodsStat(cls, list, param), m_segments(list.Config.matrixSegments)
{
}

uint8_t TstSgmPeriods::PositionValue(int, int number) const
{
    return IsGameNumber(number) ? m_segments[size_t(number - 1)] : 0;
}
