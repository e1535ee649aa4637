#include "common/DateUtils.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/TextUtils.h"

#include <ctime>

namespace {
int StampField(const QString &text, int position, int length)
{
    const QString field = text.mid(position, length);
    bool ok = false;
    const int value = TextToIntDef(field, 0, &ok);
    if (!ok)
        throw EConvertError(Format(u"\"%s\" не является допустимым целым числом", {field}));
    return value;
}
} // namespace

TDateTime UtcToLocalTime(TDateTime value)
{
    const QDateTime utc(DateTimeToQDate(value), DateTimeToQTime(value), Qt::UTC);
    if (!utc.isValid())
        return value;
    const qint64 msecs = utc.toMSecsSinceEpoch();
    const std::time_t seconds = static_cast<std::time_t>(msecs >= 0 ? msecs / 1000 : (msecs - 999) / 1000);
    const int millis = static_cast<int>(msecs - static_cast<qint64>(seconds) * 1000);
    // Read the zone again each time: a change of TZ takes effect at once.
    tzset();
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return value;
    const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const QTime time(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), millis);
    return QDateTimeToDateTime(QDateTime(date, time));
}

TDateTime ParseDateTimeStamp(const QString &text)
{
    const int year = StampField(text, 0, 4);
    const int month = StampField(text, 5, 2);
    const int day = StampField(text, 8, 2);
    const int hour = StampField(text, 11, 2);
    const int minute = StampField(text, 14, 2);
    const int second = StampField(text, 17, 2);
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, 0);
}

TDateTime UtcStampToLocalTime(const QString &text)
{
    if (text.isEmpty())
        return 0;
    return UtcToLocalTime(ParseDateTimeStamp(text));
}
