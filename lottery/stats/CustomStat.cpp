#include "lottery/stats/CustomStat.h"

#include "common/Format.h"
#include "common/TextUtils.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/StatList.h"

#include <algorithm>

using namespace Qt::StringLiterals;

TCustomStat::TCustomStat(const TStatClass &cls, const TStatList &list, int param)
    : Param(param), Draws(list.Draws()), m_class(&cls)
{
}

TCustomStat::~TCustomStat() = default;

QString TCustomStat::ValueToText(const TStatValueRec &value) const
{
    return QString::number(value.Keys.word(1));
}

int TCustomStat::TextToValue(QStringView text) const
{
    return TextToIntZero(text);
}

int TCustomStat::ValueFromText(QStringView text) const
{
    return m_class->HasTextValue() ? TextToValue(text) : 0;
}

void TCustomStat::EnumAllValues(int /*last*/, TStatDrawArray & /*values*/)
{
    Value = TStatValueRec{};
}

int TCustomStat::DrawCount() const
{
    return Draws ? static_cast<int>(Draws->size()) : 0;
}

TDrawRec TCustomStat::GetDraw(int index, bool sorted) const
{
    if (index < 0 || index >= DrawCount())
        return TDrawRec{};
    TDrawRec d = (*Draws)[size_t(index)];
    if (sorted)
        SortDrawNumbers(d);
    return d;
}

void TCustomStat::LoadDraw(int index, int last, bool sorted)
{
    Draw = GetDraw(index, sorted);
    if (m_class->Kinds & skD)
        LastDraw = GetDraw(last, sorted);
}

void TCustomStat::BeginDrawValue(int index, int last, bool sorted)
{
    LoadDraw(index, last, sorted);
    Value = TStatValueRec{};
    Value.LastDraw = Draw.number;
    Value.PrevDraw = Draw.number;
    Value.Depth = last - index + 1;
    Value.Count = 1;
}

void TCustomStat::EnumRange(TStatDrawArray &values, int first, int last)
{
    Value = TStatValueRec{};
    for (int k = first; k <= last; ++k)
        MergeKey(values, static_cast<uint16_t>(k), false);
}

void TCustomStat::ValuesOfComb(const TComb & /*comb*/, TStatDrawArray & /*values*/)
{
    BeginCombValue();
}

void TCustomStat::ValuesOfLastNumbers(const TComb &comb, TStatDrawArray &values, TStatTally &tally)
{
    tally.setWeight(1);
    TComb full = comb;
    for (int f = comb[4] + 1; f <= kMaxNumber; ++f) {
        full[5] = uint8_t(f);
        ValuesOfComb(full, values);
    }
}

void TCustomStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray & /*values*/,
                               TStatWork & /*work*/, TLastValueArray & /*lastValues*/)
{
    BeginDrawValue(index, last, sorted);
}

int TCustomStat::FindDrawWithValue(const TStatValueRec &value, int start, int last, bool sorted)
{
    const int count = DrawCount();
    start = std::max(start, 0);
    if (start >= count)
        return -1;
    const uint64_t key = value.Keys.packed();
    TStatDrawArray found;
    TStatWork work;
    TLastValueArray lastValues;
    // A statistic that carries state runs one pass from the first draw, so that its series and periods
    // are those of the archive; the others look at each draw on its own.
    for (int i = CarriesState() ? 0 : start; i < count; ++i) {
        found.clear();
        if (!CarriesState()) {
            work.clear();
            lastValues.clear();
        }
        ValuesOfDraw(i, last, sorted, found, work, lastValues);
        if (i >= start) {
            const int pos = found.indexOf(key);
            if (pos >= 0)
                return found[pos].LastDraw;
        }
    }
    return -1;
}

int TCustomGraphStat::GraphValue(int index, int last, bool sorted)
{
    return NumericValue(DrawToComb(GetDraw(index, sorted)), index, sorted, last);
}

QString TCustomRatioStat::ValueToText(const TStatValueRec &value) const
{
    const int k = value.Keys.word(1);
    return QString::number(k) + u':' + QString::number(6 - k);
}

int TCustomRatioStat::TextToValue(QStringView text) const
{
    const qsizetype colon = text.indexOf(u':');
    return TextToIntZero(colon >= 0 ? text.left(colon) : text);
}

QString TCustomMaskStat::ValueToText(const TStatValueRec &value) const
{
    const int mask = value.Keys.word(1);
    QString letters;
    for (int bit = kMainCount - 1; bit >= 0; --bit)
        letters += ((mask >> bit) & 1) ? SetLetter() : ClearLetter();
    return Format(u"%s (%.3d)", {letters, mask});
}

int TCustomMaskStat::TextToValue(QStringView text) const
{
    // A text shorter than six letters reads its missing letters as clear bits.
    int mask = 0;
    for (int i = 0; i < kMainCount; ++i)
        mask = mask * 2 + (i < text.size() && text[i] == SetLetter() ? 1 : 0);
    return mask;
}

void TCustomMaskStat::EnumAllValues(int /*last*/, TStatDrawArray &values)
{
    EnumRange(values, 0, 63);
}

TSampleBounds SampleBounds(int drawCount, int offset, int length)
{
    TSampleBounds s;
    // In 64 bits: an offset or a length near the largest integer must not overflow.
    const int64_t last = int64_t(drawCount) - 1 - std::max(offset, 0);
    if (length < 1 || last < 0)
        return s;
    s.Last = static_cast<int>(last);
    s.First = static_cast<int>(std::max<int64_t>(last - length + 1, 0));
    return s;
}

TStatDrawArray ComputeStatValues(TCustomStat &stat, const TSampleBounds &sample, bool sorted)
{
    return ComputeStatValues(stat, sample, sorted, {});
}

TStatDrawArray ComputeStatValues(TCustomStat &stat, const TSampleBounds &sample, bool sorted,
                                 const std::function<void(double percent)> &progress)
{
    TStatDrawArray values;
    stat.EnumAllValues(sample.Last, values);
    TStatWork work;
    TLastValueArray lastValues;
    const int total = sample.empty() ? 0 : sample.Last - sample.First + 1;
    const int every = std::max(total / 100, 1);
    for (int i = sample.First; i <= sample.Last; ++i) {
        stat.ValuesOfDraw(i, sample.Last, sorted, values, work, lastValues);
        const int done = i - sample.First + 1;
        if (progress && done % every == 0)
            progress(double(done) * 100.0 / total);
    }
    return values;
}
