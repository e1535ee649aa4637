#include "common/DateTime.h"

#include "common/Exception.h"
#include "common/Format.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime &result)
{
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        return false;
    result = static_cast<double>(kEpoch.daysTo(QDate(year, month, day)));
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result))
        throw EConvertError(QStringLiteral("Недопустимый аргумент при кодировании даты"));
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        throw EConvertError(QStringLiteral("Недопустимый аргумент при кодировании времени"));
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMsPerDay;
}

QDate DateTimeToQDate(TDateTime value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return {};
    return kEpoch.addDays(static_cast<qint64>(std::trunc(value)));
}

QTime DateTimeToQTime(TDateTime value)
{
    if (!std::isfinite(value))
        return QTime(0, 0);
    double frac = std::fabs(value - std::trunc(value));
    auto ms = static_cast<int>(std::llround(frac * kMsPerDay));
    if (ms >= 86400000)
        ms = 86399999;
    return QTime::fromMSecsSinceStartOfDay(ms);
}

QDateTime DateTimeToQDateTime(TDateTime value)
{
    return QDateTime(DateTimeToQDate(value), DateTimeToQTime(value));
}

void DecodeDate(TDateTime value, int &year, int &month, int &day)
{
    const QDate d = DateTimeToQDate(value);
    year = d.year();
    month = d.month();
    day = d.day();
}

TDateTime QDateToDateTime(QDate date)
{
    return date.isValid() ? static_cast<double>(kEpoch.daysTo(date)) : 0.0;
}

TDateTime QDateTimeToDateTime(const QDateTime &value)
{
    const double days = QDateToDateTime(value.date());
    const double frac = value.time().msecsSinceStartOfDay() / kMsPerDay;
    return days >= 0 ? days + frac : days - frac;
}

TDateTime NowDateTime()
{
    return QDateTimeToDateTime(QDateTime::currentDateTime());
}

TDateTime TodayDate()
{
    return QDateToDateTime(QDate::currentDate());
}
