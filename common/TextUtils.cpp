#include "common/TextUtils.h"

#include "common/Exception.h"
#include "common/Format.h"

#include <QLocale>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

QString IntToText(int64_t value)
{
    return QString::number(value);
}

int TextToIntDef(QStringView text, int defaultValue, bool *ok)
{
    const QString t = TrimControl(text);
    bool good = false;
    long long v = 0;
    if (!t.isEmpty()) {
        qsizetype i = 0;
        bool negative = false;
        if (t[0] == u'-' || t[0] == u'+')
            negative = t[0] == u'-', i = 1;
        good = i < t.size();
        for (; i < t.size() && good; ++i) {
            if (!t[i].isDigit() || t[i].unicode() > '9') {
                good = false;
                break;
            }
            v = v * 10 + (t[i].unicode() - '0');
            if (v > static_cast<long long>(INT_MAX) + 1)
                good = false;
        }
        if (negative)
            v = -v;
        if (v > INT_MAX || v < INT_MIN)
            good = false;
    }
    if (ok)
        *ok = good;
    return good ? static_cast<int>(v) : defaultValue;
}

int TextToIntZero(QStringView text)
{
    return TextToIntDef(text, 0);
}

QString BoolToDigit(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

bool DigitToBool(QStringView text)
{
    return text == u"1";
}

QString FloatToDotText(double value)
{
    if (!std::isfinite(value) || value == 0)
        return QStringLiteral("0");
    // 15 significant digits in scientific form, then placed as plain decimals.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string sci(buf, res.ptr);
    const bool negative = sci[0] == '-';
    if (negative)
        sci.erase(0, 1);
    const auto ePos = sci.find('e');
    const int exponent = std::stoi(sci.substr(ePos + 1));
    std::string digits = sci.substr(0, 1) + sci.substr(2, ePos - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out;
    const int pointAt = exponent + 1; // digits before the decimal point
    if (pointAt <= 0) {
        out = "0." + std::string(static_cast<size_t>(-pointAt), '0') + digits;
    } else if (pointAt >= static_cast<int>(digits.size())) {
        out = digits + std::string(static_cast<size_t>(pointAt) - digits.size(), '0');
    } else {
        out = digits.substr(0, static_cast<size_t>(pointAt)) + "." + digits.substr(static_cast<size_t>(pointAt));
    }
    if (negative)
        out.insert(out.begin(), '-');
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

double DotTextToFloatDef(QStringView text, double defaultValue)
{
    const QString localeSep = QLocale().decimalPoint();
    std::string s;
    s.reserve(static_cast<size_t>(text.size()));
    bool seenDigit = false;
    bool seenExponent = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            s += static_cast<char>(c.unicode());
            seenDigit = true;
        } else if (c == u'-') {
            s += '-';
        } else if (c == u',' || c == u'.' || (!localeSep.isEmpty() && c == localeSep[0])) {
            s += '.';
        } else if ((c == u'e' || c == u'E') && seenDigit && !seenExponent) {
            // An exponent counts only when digits follow it, with an optional sign.
            qsizetype j = i + 1;
            if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
                ++j;
            if (j < text.size() && text[j].unicode() >= '0' && text[j].unicode() <= '9') {
                s += 'e';
                if (text[i + 1] == u'-')
                    s += '-';
                i = j - 1;
                seenExponent = true;
            }
        }
    }
    if (s.empty())
        return defaultValue;
    double value = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(value))
        return defaultValue;
    return value;
}

bool AsciiToFloat(const char *first, const char *last, double &value)
{
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    // A number begins with a digit or the point.
    if (first == last || !((*first >= '0' && *first <= '9') || *first == '.'))
        return false;
    double parsed = 0;
    const auto [end, ec] = std::from_chars(first, last, parsed, std::chars_format::general);
    if (ec != std::errc() || end != last)
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

QString AddWithDelimiter(const QString &left, const QString &right, QStringView delimiter)
{
    if (left.isEmpty())
        return right;
    if (right.isEmpty())
        return left;
    return left + delimiter + right;
}

QString EscapeCString(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        switch (c) {
        case 0: case 1: case 2: case 3: case 4: case 5: case 6:
            out += u'\\';
            out += QChar(u'0' + c);
            break;
        case 7: out += u"\\a"; break;
        case 8: out += u"\\b"; break;
        case 9: out += u"\\t"; break;
        case 10: out += u"\\n"; break;
        case 11: out += u"\\v"; break;
        case 12: out += u"\\f"; break;
        case 13: out += u"\\r"; break;
        case 27: out += u"\\e"; break;
        case 34: out += u"\\\""; break;
        case 39: out += u"\\'"; break;
        case 63: out += u"\\?"; break;
        case 92: out += u"\\\\"; break;
        default: out += qc;
        }
    }
    return out;
}

QString TrimControl(QStringView text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text[b].unicode() <= ' ')
        ++b;
    while (e > b && text[e - 1].unicode() <= ' ')
        --e;
    return text.mid(b, e - b).toString();
}

QString DequoteValue(QStringView text)
{
    QString s = TrimControl(text);
    if (s.size() < 2 || s.front() != u'"' || s.back() != u'"')
        return s;
    s = s.mid(1, s.size() - 2);
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        if (s[i] == u'"' && (i == 0 || s[i - 1] != u'"'))
            s.remove(i, 1);
    }
    return s;
}

ExtractMode ExtractModeFromByte(uint8_t mode)
{
    switch (mode) {
    case 0: return ExtractMode::Raise;
    case 2: return ExtractMode::Rest;
    default: return ExtractMode::Empty;
    }
}

namespace {

struct Span {
    bool found = false;    // the start identifier was found
    qsizetype start = 0;   // first character after the start identifier
    qsizetype length = -1; // characters up to the end identifier, -1 when it is missing
    qsizetype cutTo = 0;   // characters to remove from the text's front
};

Span locate(QStringView text, QStringView startId, QStringView endId)
{
    Span span;
    const qsizetype p = text.indexOf(startId, 0, Qt::CaseInsensitive);
    if (p < 0)
        return span;
    span.found = true;
    span.start = p + startId.size();
    if (endId.isEmpty()) {
        span.length = text.size() - span.start;
        span.cutTo = text.size();
    } else {
        const qsizetype q = text.indexOf(endId, span.start, Qt::CaseInsensitive);
        if (q >= 0) {
            span.length = q - span.start;
            span.cutTo = q + endId.size();
        }
    }
    return span;
}

[[noreturn]] void raiseMissingPair(QStringView text, QStringView startId, QStringView endId)
{
    // The whole text may be a web page: the message shows its beginning only.
    constexpr qsizetype kShown = 1000;
    QString shown = text.left(kShown).toString();
    if (text.size() > kShown)
        shown += u"...";
    throw Exception(Format(u"Не удалось найти пару идентификаторов \"%1:s\" - \"%2:s\" в тексте\r\r[%0:s]!",
                           {shown, startId, endId}));
}

} // namespace

QString ExtractBetween(QStringView text, QStringView startId, QStringView endId, ExtractMode mode)
{
    const Span span = locate(text, startId, endId);
    if (!span.found)
        return {};
    if (span.length < 0) {
        switch (mode) {
        case ExtractMode::Raise: raiseMissingPair(text, startId, endId);
        case ExtractMode::Rest: return DequoteValue(text.mid(span.start));
        case ExtractMode::Empty: return {};
        }
    }
    return DequoteValue(text.mid(span.start, span.length));
}

QString CutBetween(QString &text, QStringView startId, QStringView endId, ExtractMode mode)
{
    const Span span = locate(text, startId, endId);
    if (!span.found)
        return {};
    if (span.length < 0) {
        switch (mode) {
        case ExtractMode::Raise: raiseMissingPair(text, startId, endId);
        case ExtractMode::Rest: {
            QString value = DequoteValue(QStringView(text).mid(span.start));
            text.clear();
            return value;
        }
        case ExtractMode::Empty: return {};
        }
    }
    QString value = DequoteValue(QStringView(text).mid(span.start, span.length));
    text.remove(0, span.cutTo);
    return value;
}

QString CutItemAfterKey(QString &text, QStringView key)
{
    const qsizetype p = text.indexOf(key, 0, Qt::CaseInsensitive);
    if (p < 0 || key.isEmpty())
        return {};
    const qsizetype start = p + key.size();
    qsizetype q = text.indexOf(key, start + 1, Qt::CaseInsensitive);
    if (q < 0)
        q = text.size();
    QString value = DequoteValue(QStringView(text).mid(start, std::max<qsizetype>(0, q - start)));
    text.remove(0, q);
    return value;
}

QString ExtractNestedBetween(QStringView text, QStringView outerStartId, QStringView outerEndId,
                             QStringView innerStartId, QStringView innerEndId, ExtractMode mode)
{
    const QString outer = ExtractBetween(text, outerStartId, outerEndId, mode);
    return ExtractBetween(outer, innerStartId, innerEndId, mode);
}

QString RussianPlural(int64_t count, const QString &one, const QString &few, const QString &many)
{
    const int64_t n = count < 0 ? -(count % 100) : count % 100;
    if (n >= 11 && n <= 14)
        return many;
    switch (n % 10) {
    case 1: return one;
    case 2:
    case 3:
    case 4: return few;
    default: return many;
    }
}
