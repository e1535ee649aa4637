#include "lottery/DrawDates.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/TextUtils.h"

#include <array>
#include <cmath>

QString HelpFileName;
TDrawDateToTextProc DrawDateToTextProc;
TDrawTextToDateProc DrawTextToDateProc;

namespace {

// Draw dates always carry the English names, never the locale's.
constexpr std::array<char16_t[4], 12> kMonthNames{
    {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"}};

[[noreturn]] void RaiseBadDate(QStringView text)
{
    throw EConvertError(Format(u"Некорректная дата тиража: \"%s\"!", {text}));
}

} // namespace

QString DrawMonthAbbrev(int month)
{
    return month >= 1 && month <= 12 ? QString::fromUtf16(kMonthNames[static_cast<size_t>(month - 1)]) : QString();
}

int DrawMonthOfAbbrev(QStringView name)
{
    for (size_t i = 0; i < kMonthNames.size(); ++i)
        if (name.compare(QStringView(kMonthNames[i]), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i) + 1;
    return 0;
}

int DateToYMD(TDateTime date)
{
    const QDate d = DateTimeToQDate(date);
    if (!d.isValid())
        return 0;
    return d.year() * 10000 + d.month() * 100 + d.day();
}

TDateTime YMDToDate(int ymd)
{
    TDateTime r = 0;
    if (!TryEncodeDate(ymd / 10000, ymd / 100 % 100, ymd % 100, r))
        return 0;
    return r;
}

QString DefaultDrawDateToText(TDateTime date)
{
    const QDate d = DateTimeToQDate(date);
    if (!d.isValid())
        return {};
    return QString::number(d.day()).rightJustified(2, u'0') + u' ' + DrawMonthAbbrev(d.month()) + u' '
        + QString::number(d.year()).rightJustified(4, u'0');
}

TDateTime DefaultTextToDrawDate(QStringView text)
{
    const QStringView t = text.trimmed();
    const auto parts = t.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 3)
        RaiseBadDate(t);
    bool okDay = false, okYear = false;
    const int day = TextToIntDef(parts[0], 0, &okDay);
    const int year = TextToIntDef(parts[2], 0, &okYear);
    const int month = DrawMonthOfAbbrev(parts[1]);
    TDateTime r = 0;
    if (!okDay || !okYear || month == 0 || !TryEncodeDate(year, month, day, r))
        RaiseBadDate(t);
    return r;
}

QString DrawDateToText(TDateTime date)
{
    if (!(date > 0) || !std::isfinite(date))
        return {};
    if (DrawDateToTextProc)
        return DrawDateToTextProc(date);
    return DefaultDrawDateToText(date);
}

TDateTime TextToDrawDate(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return 0;
    if (DrawTextToDateProc)
        return DrawTextToDateProc(t.toString());
    return DefaultTextToDrawDate(t);
}
