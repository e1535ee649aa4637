#include "lottery/DrawTexts.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/TextUtils.h"
#include "lottery/NumberGeometry.h"

#include <QStringBuilder>

#include <algorithm>
#include <functional>
#include <span>

using namespace Qt::StringLiterals;

TComb DrawToComb(const TDrawRec &draw)
{
    TComb c;
    c.n = draw.main;
    return c;
}

TNumSet CombToNumSet(const TComb &comb)
{
    TNumSet s;
    s.count = kMainCount;
    std::copy(comb.n.begin(), comb.n.end(), s.numbers.begin());
    return s;
}

namespace {

template<typename Range>
QString JoinNumbers(const Range &numbers, QStringView separator)
{
    QString r;
    bool first = true;
    for (auto n : numbers) {
        if (!first)
            r += separator;
        r += QString::number(n);
        first = false;
    }
    return r;
}

constexpr bool IsCombSeparator(QChar c)
{
    switch (c.unicode()) {
    case u'\t':
    case u' ':
    case u',':
    case u'-':
    case u'.':
    case u':':
    case u';':
    case u'|':
        return true;
    default:
        return false;
    }
}

} // namespace

QString CombToText(const TComb &comb)
{
    return JoinNumbers(comb.n, u";");
}

QString CombToPaddedText(const TComb &comb)
{
    QString r;
    for (uint8_t n : comb.n) {
        if (!r.isEmpty())
            r += u' ';
        r += QString::number(n).rightJustified(2, u'0');
    }
    return r;
}

QString NumSetToText(const TNumSet &set, QStringView separator)
{
    return JoinNumbers(std::span(set.numbers.data(), static_cast<size_t>(NumSetCount(set))), separator);
}

QString IntListToText(const TIntArray &list, QStringView separator)
{
    return JoinNumbers(list, separator);
}

QString FormatDrawText(const TDrawRec &draw)
{
    const QString numbers = JoinNumbers(draw.main, u";") % u" e:" % JoinNumbers(draw.extra, u";");
    return Format(u"Тираж № %d от %s, значения: %s", {draw.number, draw.dateText(), numbers});
}

TComb TextToComb(QStringView text)
{
    TComb comb;
    std::array<bool, kMaxNumber + 1> seen{};
    size_t count = 0;
    bool good = true;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size() && good; ++i) {
        if (i < text.size() && !IsCombSeparator(text[i]))
            continue;
        const QStringView word = text.mid(start, i - start).trimmed();
        start = i + 1;
        if (word.isEmpty())
            continue; // separators side by side, as in "1, 2, 3"
        const int n = TextToIntZero(word);
        good = count < comb.n.size() && IsGameNumber(n) && !seen[n];
        if (good) {
            seen[n] = true;
            comb[count++] = static_cast<uint8_t>(n);
        }
    }
    if (!good || count != comb.n.size())
        throw Exception(Format(u"Некорректная комбинация: \"%s\"!", {text}));
    return comb;
}

namespace {

bool ParseAsList(QStringView text, TIntArray &result)
{
    result.clear();
    for (QStringView word : text.tokenize(u',')) {
        for (QStringView part : word.tokenize(u';')) {
            bool ok = false;
            const int v = TextToIntDef(part, 0, &ok);
            if (!ok)
                return false;
            result.push_back(v);
        }
    }
    return !result.empty();
}

// The parts of a range text "start-end;step": false when the text is no range (count may be too large).
bool ReadRange(QStringView text, int &start, int &step, int64_t &count)
{
    // The start may carry a minus sign, so the dash is looked for from the second character on.
    const qsizetype dash = text.indexOf(u'-', 1);
    if (dash < 0)
        return false;
    qsizetype stepAt = -1;
    for (qsizetype i = dash + 1; i < text.size(); ++i)
        if (text[i] == u';' || text[i] == u',') {
            stepAt = i;
            break;
        }
    if (stepAt < 0)
        return false;
    bool okStart = false, okEnd = false, okStep = false;
    start = TextToIntDef(text.first(dash), 0, &okStart);
    const int end = TextToIntDef(text.mid(dash + 1, stepAt - dash - 1), 0, &okEnd);
    step = TextToIntDef(text.mid(stepAt + 1), 0, &okStep);
    if (!okStart || !okEnd || !okStep || step == 0)
        return false;
    count = (static_cast<int64_t>(end) - start) / step + 1;
    return count >= 1;
}

bool ParseAsRange(QStringView text, TIntArray &result)
{
    result.clear();
    int start = 0;
    int step = 0;
    int64_t count = 0;
    if (!ReadRange(text, start, step, count) || count > kMaxIntListRange)
        return false;
    result.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i)
        result.push_back(static_cast<int32_t>(start + i * step));
    return true;
}

} // namespace

TIntArray ParseIntList(QStringView text)
{
    TIntArray result;
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return result;
    if (ParseAsList(t, result) || ParseAsRange(t, result))
        return result;
    return {};
}

bool IsIntListRangeTooLong(QStringView text)
{
    int start = 0;
    int step = 0;
    int64_t count = 0;
    return ReadRange(text.trimmed(), start, step, count) && count > kMaxIntListRange;
}

QString StakeKindCaption(int kind)
{
    switch (kind) {
    case 1:
        return QStringLiteral("Вручную");
    case 2:
        return QStringLiteral("Регуляр");
    case 3:
        return QStringLiteral("Сценарий");
    case 4:
        return QStringLiteral("Система");
    default:
        return {};
    }
}

QString DeltaText(QStringView expected, int fact)
{
    bool ok = false;
    const int v = TextToIntDef(expected, 0, &ok);
    if (!ok || v <= -1)
        return QStringLiteral("-");
    const int64_t d = static_cast<int64_t>(v) - fact;
    QString text = QString::number(d);
    if (d > 0)
        text.prepend(u'+');
    return text;
}

QString SegmentsToText(const TSegmentsArray &segments)
{
    QString r;
    for (uint8_t s : segments)
        r += QString::number(s);
    return r;
}

TSegmentsArray TextToSegments(QStringView text)
{
    TSegmentsArray r;
    for (size_t i = 0; i < r.size(); ++i) {
        const auto at = static_cast<qsizetype>(i);
        const char16_t c = at < text.size() ? text[at].unicode() : u'x';
        r[i] = c >= u'0' && c <= u'9' ? static_cast<uint8_t>(c - u'0') : uint8_t(1);
    }
    return r;
}

void SortComb(TComb &comb)
{
    std::sort(comb.n.begin(), comb.n.end());
}

void SortDrawNumbers(TDrawRec &draw)
{
    std::sort(draw.main.begin(), draw.main.end());
}

void SortNumSet(TNumSet &set)
{
    std::sort(set.numbers.begin(), set.numbers.begin() + NumSetCount(set));
}

void SortIntsDesc(TIntArray &list)
{
    std::sort(list.begin(), list.end(), std::greater<>());
}

QString StoredDrawProblem(const TDrawRec &draw)
{
    if (draw.number <= 0)
        return u"номер тиража"_s;
    for (size_t i = 0; i < draw.main.size(); ++i) {
        if (!IsGameNumber(draw.main[i]) || std::find(draw.main.begin(), draw.main.begin() + i, draw.main[i]) !=
                                          draw.main.begin() + i)
            return u"основные числа"_s;
    }
    if (draw.extra == decltype(draw.extra){})
        return {}; // not known
    for (size_t i = 0; i < draw.extra.size(); ++i)
        if (!IsGameNumber(draw.extra[i]))
            return u"дополнительные числа"_s;
    return {};
}

QString DrawRecordProblem(const TDrawRec &draw)
{
    const QString stored = StoredDrawProblem(draw);
    if (!stored.isEmpty())
        return stored;
    // All eight come out of the one drum: eight different numbers 1..45.
    for (size_t i = 0; i < draw.extra.size(); ++i)
        if (!IsGameNumber(draw.extra[i]))
            return u"дополнительные числа"_s;
    for (size_t i = 0; i < draw.extra.size(); ++i)
        if (std::find(draw.main.begin(), draw.main.end(), draw.extra[i]) != draw.main.end() ||
            std::find(draw.extra.begin(), draw.extra.begin() + i, draw.extra[i]) != draw.extra.begin() + i)
            return u"дополнительные числа повторяют другие числа тиража"_s;
    return {};
}
