#include "common/DateUtils.h"
#include "common/Exception.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <ctime>

using namespace Qt::StringLiterals;

namespace {
// Puts the process into a time zone for the test's lifetime.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char *zone) : m_old(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had;
};

TDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s);
}
} // namespace

TEST(DateStamps, ParsedAtFixedPlaces)
{
    EXPECT_DOUBLE_EQ(ParseDateTimeStamp(u"2024-01-31 23:30:00"_s), At(2024, 1, 31, 23, 30, 0));
    // The separators are not looked at.
    EXPECT_DOUBLE_EQ(ParseDateTimeStamp(u"2024/01/31T23:30:59"_s), At(2024, 1, 31, 23, 30, 59));
    EXPECT_DOUBLE_EQ(UtcStampToLocalTime(QString()), 0.0);
}

TEST(DateStamps, BadFieldsRaiseConversionErrors)
{
    for (const QString &bad : {u"2024-1x-31 23:30:00"_s, u"2024-01-31"_s, u"2024-02-30 10:00:00"_s,
                               u"2024-01-31 24:00:00"_s, u"abcd-01-31 10:00:00"_s, QString()}) {
        EXPECT_THROW(ParseDateTimeStamp(bad), EConvertError) << bad.toStdString();
    }
    EXPECT_THROW(UtcStampToLocalTime(u"2024-01-31 23:3"_s), EConvertError);
}

TEST(DateStamps, UtcToLocalThroughTheTimeZone)
{
    {
        TimeZoneScope zone("Europe/Moscow");
        EXPECT_NEAR(UtcStampToLocalTime(u"2024-01-31 23:30:00"_s), At(2024, 2, 1, 2, 30, 0), 1e-9);
        // Before 2011 Moscow kept summer time: UTC+4 in July 2010.
        EXPECT_NEAR(UtcToLocalTime(At(2010, 7, 1, 12, 0, 0)), At(2010, 7, 1, 16, 0, 0), 1e-9);
    }
    {
        TimeZoneScope zone("Europe/Berlin");
        EXPECT_NEAR(UtcToLocalTime(At(2024, 1, 15, 12, 0, 0)), At(2024, 1, 15, 13, 0, 0), 1e-9);
        EXPECT_NEAR(UtcToLocalTime(At(2024, 7, 15, 12, 0, 0)), At(2024, 7, 15, 14, 0, 0), 1e-9);
        EXPECT_NEAR(UtcToLocalTime(At(2023, 12, 31, 23, 30, 0)), At(2024, 1, 1, 0, 30, 0), 1e-9);
    }
    {
        TimeZoneScope zone("UTC");
        EXPECT_NEAR(UtcToLocalTime(At(1990, 5, 6, 7, 8, 9)), At(1990, 5, 6, 7, 8, 9), 1e-9);
    }
}
