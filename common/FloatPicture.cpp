#include "common/FloatPicture.h"

#include <QList>

#include <charconv>
#include <cmath>

namespace {

bool isPlaceholder(QChar c)
{
    return c == u'0' || c == u'#' || c == u'.' || c == u',';
}

// Digits of |value| with the given decimals, rounded half away from zero.
QString fixedDigits(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    double scaled = std::fabs(value) * scale;
    // A tie seen through the binary value (2.675 is 2.67499...) still rounds up when it is one at
    // 15 significant digits.
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, scaled, std::chars_format::general, 15);
    double shown = 0;
    std::from_chars(buf, r.ptr, shown);
    const double rounded = std::floor(shown + 0.5);
    char out[400];
    auto o = std::to_chars(out, out + sizeof out, rounded / scale, std::chars_format::fixed, decimals);
    if (o.ec != std::errc())
        return QString::number(std::fabs(value), 'f', decimals);
    return QString::fromLatin1(out, o.ptr - out);
}

QString formatSection(double magnitude, QStringView picture, const QLocale &locale)
{
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        if (isPlaceholder(picture[i])) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return picture.toString();
    const QStringView prefix = picture.left(first);
    const QStringView suffix = picture.mid(last + 1);
    const QStringView body = picture.mid(first, last - first + 1);

    const qsizetype dot = body.indexOf(u'.');
    const QStringView intPart = dot < 0 ? body : body.left(dot);
    const QStringView fracPart = dot < 0 ? QStringView() : body.mid(dot + 1);
    const bool grouping = intPart.contains(u',');
    const int intZeros = static_cast<int>(intPart.count(u'0'));
    const int fracZeros = static_cast<int>(fracPart.count(u'0'));
    const int fracDigits = fracZeros + static_cast<int>(fracPart.count(u'#'));

    const QString digits = fixedDigits(magnitude, fracDigits);
    const qsizetype point = digits.indexOf(u'.');
    QString integer = point < 0 ? digits : digits.left(point);
    QString fraction = point < 0 ? QString() : digits.mid(point + 1);
    while (fraction.size() > fracZeros && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (integer == u"0" && intZeros == 0)
        integer.clear();
    while (integer.size() < intZeros)
        integer.prepend(u'0');
    if (grouping && integer.size() > 3) {
        const QString group = locale.groupSeparator();
        QString grouped;
        const qsizetype lead = integer.size() % 3;
        for (qsizetype i = 0; i < integer.size(); ++i) {
            if (i > 0 && (i - lead) % 3 == 0)
                grouped += group;
            grouped += integer[i];
        }
        integer = grouped;
    }
    QString text = prefix.toString() + integer;
    if (!fraction.isEmpty())
        text += locale.decimalPoint() + fraction;
    return text + suffix.toString();
}

} // namespace

QString FormatFloatPicture(double value, QStringView picture, const QLocale &locale)
{
    if (!std::isfinite(value))
        return FloatToGeneralText(value, locale);
    const QList<QStringView> sections = picture.split(u';');
    if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return formatSection(0, sections[2], locale);
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return formatSection(-value, sections[1], locale);
    QString text = formatSection(std::fabs(value), sections[0], locale);
    // A minus sign only when something other than zeros shows.
    if (value < 0) {
        bool nonZero = false;
        for (QChar c : std::as_const(text))
            nonZero = nonZero || (c >= u'1' && c <= u'9');
        if (nonZero)
            text.prepend(locale.negativeSign());
    }
    return text;
}

QString FloatToGeneralText(double value, const QLocale &locale)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buf, r.ptr - buf);
    text.replace(u'.', locale.decimalPoint());
    return text;
}
