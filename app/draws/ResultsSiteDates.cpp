#include "app/draws/ResultsSiteDates.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/TextUtils.h"
#include "lottery/DrawDates.h"

#include <QStringList>

#include <array>
#include <cmath>

namespace {

constexpr std::array<const char16_t *, 12> kMonthNames = {u"january", u"february", u"march",     u"april",
                                                          u"may",     u"june",     u"july",      u"august",
                                                          u"september", u"october", u"november", u"december"};

[[noreturn]] void badDate(const QString &text)
{
    throw EConvertError(Format(u"\"%s\" - некорректная дата", {text}));
}

int strictInt(const QString &text, const QString &whole)
{
    bool ok = false;
    const int v = TextToIntDef(text, 0, &ok);
    if (!ok)
        badDate(whole);
    return v;
}

} // namespace

TDateTime ParseResultsDate(const QString &text)
{
    if (text.size() < 10)
        badDate(text);
    const int day = strictInt(text.left(text.size() - 9), text);
    const int m = DrawMonthOfAbbrev(QStringView(text).mid(text.size() - 8, 3));
    if (m == 0)
        badDate(text);
    const int year = strictInt(text.right(4), text);
    TDateTime date = 0;
    if (!TryEncodeDate(year, m, day, date))
        badDate(text);
    return date;
}

QString FormatResultsDate(TDateTime date)
{
    const QDate d = DateTimeToQDate(date);
    if (!d.isValid())
        return {};
    return QString::number(d.day()) + u' ' + DrawMonthAbbrev(d.month()) +
           u' ' + QString::number(d.year());
}

QString GameDrawDateText(const QString &text)
{
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    if (parts.size() != 3 || parts[2].size() != 4)
        badDate(text);
    const TDateTime date = ParseResultsDate(parts.join(u' '));
    if (!(date > 0))
        badDate(text);
    return FormatResultsDate(date);
}

bool IsFutureDrawDate(TDateTime date, TDateTime today)
{
    return std::floor(date) > std::floor(today) + 1;
}

QString ResultsArchiveMonthKey(int yearMonth)
{
    const int year = yearMonth / 100;
    const int month = yearMonth % 100;
    const QString name = month >= 1 && month <= 12 ? QString::fromUtf16(kMonthNames[static_cast<size_t>(month - 1)])
                                                   : QStringLiteral("error");
    return QString::number(year) + u'-' + name;
}

int YearMonthNumber(const QString &text)
{
    QString digits = text;
    digits.remove(u'-');
    bool ok = false;
    const int v = TextToIntDef(digits, 0, &ok);
    if (!ok)
        throw EConvertError(Format(u"\"%s\" - некорректное целое число", {text}));
    return v;
}

void InstallResultsDateHooks()
{
    DrawDateToTextProc = &FormatResultsDate;
    DrawTextToDateProc = &ParseResultsDate;
}
