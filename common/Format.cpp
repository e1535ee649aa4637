#include "common/Format.h"

#include "common/TextUtils.h"
#include "common/Translate.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <vector>

int64_t FormatArg::toInt() const
{
    switch (m_kind) {
    case Kind::Int: return m_int;
    case Kind::Float: return static_cast<int64_t>(std::llround(static_cast<double>(m_float)));
    case Kind::Text: return m_text.trimmed().toLongLong();
    }
    return 0;
}

long double FormatArg::toFloat() const
{
    switch (m_kind) {
    case Kind::Int: return static_cast<long double>(m_int);
    case Kind::Float: return m_float;
    case Kind::Text: return m_text.trimmed().toDouble();
    }
    return 0;
}

QString FormatArg::toText() const
{
    switch (m_kind) {
    case Kind::Int: return QString::number(m_int);
    case Kind::Float: {
        char buf[64];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(m_float));
        return QString::fromLatin1(buf, int(res.ptr - buf));
    }
    case Kind::Text: return m_text;
    }
    return {};
}

namespace {

QString fixedText(long double value, int precision)
{
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value), std::chars_format::fixed, precision);
    if (res.ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buf, int(res.ptr - buf));
}

QString groupedText(long double value, int precision)
{
    const QLocale locale;
    QString text = locale.toString(static_cast<double>(value), 'f', precision);
    return text;
}

QString renderOne(QChar type, const FormatArg &arg, int precision)
{
    switch (type.toLower().unicode()) {
    case 'd': {
        int64_t v = arg.toInt();
        QString digits = QString::number(v < 0 ? -(v + 1) + 1ULL : static_cast<unsigned long long>(v));
        if (precision > digits.size())
            digits = QString(precision - digits.size(), u'0') + digits;
        return v < 0 ? u'-' + digits : digits;
    }
    case 'u': return QString::number(static_cast<uint32_t>(arg.toInt()));
    case 'x': {
        QString digits = QString::number(static_cast<unsigned long long>(arg.toInt()), 16).toUpper();
        if (precision > digits.size())
            digits = QString(precision - digits.size(), u'0') + digits;
        return digits;
    }
    case 'f': return fixedText(arg.toFloat(), precision < 0 ? 2 : precision);
    case 'n':
    case 'm': return groupedText(arg.toFloat(), precision < 0 ? 2 : precision);
    case 'e': {
        char buf[128];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(arg.toFloat()),
                                 std::chars_format::scientific, precision < 0 ? 14 : std::max(precision - 1, 0));
        return QString::fromLatin1(buf, int(res.ptr - buf)).toUpper();
    }
    case 'g': {
        char buf[128];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(arg.toFloat()),
                                 std::chars_format::general, precision < 0 ? 15 : precision);
        return QString::fromLatin1(buf, int(res.ptr - buf)).toUpper();
    }
    case 's': {
        QString text = arg.toText();
        if (precision >= 0 && precision < text.size())
            text.truncate(precision);
        return text;
    }
    default: return {};
    }
}

bool isType(QChar c)
{
    switch (c.toLower().unicode()) {
    case 'd': case 'u': case 'x': case 's': case 'f': case 'e': case 'g': case 'n': case 'm': return true;
    default: return false;
    }
}

} // namespace

QString Format(QStringView source, std::initializer_list<FormatArg> args)
{
    const QString translated = Tr(source);
    const QStringView pattern = translated;
    const std::vector<const FormatArg *> list = [&] {
        std::vector<const FormatArg *> v;
        for (const auto &a : args)
            v.push_back(&a);
        return v;
    }();

    QString out;
    out.reserve(pattern.size() + 16);
    size_t next = 0;
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = pattern[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < n && pattern[i + 1] == u'%') {
            out += u'%';
            i += 2;
            continue;
        }
        // Parse one directive; on any mistake copy it literally.
        qsizetype j = i + 1;
        auto readNumber = [&](int &value) {
            qsizetype start = j;
            value = 0;
            while (j < n && pattern[j].isDigit() && j - start < 6) {
                value = value * 10 + pattern[j].digitValue();
                ++j;
            }
            return j > start;
        };
        int index = -1;
        {
            int v = 0;
            qsizetype save = j;
            if (readNumber(v) && j < n && pattern[j] == u':')
                index = v, ++j;
            else
                j = save;
        }
        bool left = false;
        if (j < n && pattern[j] == u'-')
            left = true, ++j;
        int width = 0;
        readNumber(width);
        int precision = -1;
        if (j < n && pattern[j] == u'.') {
            ++j;
            int p = 0;
            readNumber(p);
            precision = p;
        }
        if (j >= n || !isType(pattern[j])) {
            out += pattern.mid(i, j - i);
            i = j;
            continue;
        }
        const QChar type = pattern[j];
        if (index >= 0)
            next = static_cast<size_t>(index);
        QString text;
        if (next < list.size())
            text = renderOne(type, *list[next], precision);
        ++next;
        if (text.size() < width) {
            const QString pad(width - text.size(), u' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
        i = j + 1;
    }
    return out;
}

QString MessageToDisplay(QStringView text)
{
    QString out = text.toString();
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

using namespace Qt::StringLiterals;

QString BytesText(int64_t count)
{
    return QString::number(count) + u' ' + RussianPlural(count, u"байт"_s, u"байта"_s, u"байт"_s);
}

QString BytesGenitiveText(int64_t count)
{
    return QString::number(count) + u' ' + RussianPlural(count, u"байта"_s, u"байт"_s, u"байт"_s);
}
