#include "app/views/WeekModel.h"

#include "common/Exception.h"
#include "lottery/DrawDates.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

int DrawWeekday(const QString &dateText)
{
    TDateTime date = 0;
    try {
        date = DrawTextToDateProc ? DrawTextToDateProc(dateText) : TextToDrawDate(dateText);
    } catch (const std::exception &) {
        return 0;
    }
    if (date <= 0)
        return 0;
    const QDate d = DateTimeToQDate(date);
    return d.isValid() ? d.dayOfWeek() : 0;
}

void TWeekTable::build(const TDrawsArray &draws, int drawsOffset, int weekLen)
{
    m_counts = {};
    m_max = 0;
    m_counted = 0;
    const int64_t last = int64_t(draws.size()) - 1 - std::max(drawsOffset, 0);
    const int64_t first = std::max<int64_t>(last - std::max(weekLen, 1) + 1, 0);
    for (int64_t i = first; i <= last; ++i) {
        const TDrawRec &draw = draws[static_cast<size_t>(i)];
        const int day = DrawWeekday(draw.dateText());
        if (day < 1 || day > kDays)
            continue;
        ++m_counted;
        for (uint8_t n : draw.main)
            if (IsGameNumber(n))
                m_max = std::max(m_max, ++m_counts[n][static_cast<size_t>(day)]);
    }
}

int TWeekTable::count(int n, int day) const
{
    if (!IsGameNumber(n) || day < 1 || day > kDays)
        return 0;
    return m_counts[static_cast<size_t>(n)][static_cast<size_t>(day)];
}

QString TWeekTable::cellText(int n, int day) const
{
    const int c = count(n, day);
    return c > 0 ? QString::number(c) : QString();
}

TRgbColor WeekHeatColor(int v, int max)
{
    if (max <= 0 || v <= 0)
        return {255, 255, 255, true};
    const long level = std::lround(255.0 - double(std::min(v, max)) * 255.0 / max);
    const auto c = static_cast<uint8_t>(std::clamp(level, 0L, 255L));
    return {255, c, c, false};
}

QStringList WeekDayNames()
{
    QStringList names;
    // The interface language's day names (its locale is the default one).
    const QLocale locale;
    for (int d = 1; d <= TWeekTable::kDays; ++d)
        names << locale.dayName(d, QLocale::ShortFormat);
    return names;
}

std::vector<TWeekChartPoint> WeekChartPoints(const TWeekTable &table, int mode, int column, int row,
                                             const QStringList &dayNames)
{
    std::vector<TWeekChartPoint> points;
    if (mode == 0) {
        for (int n = 1; n <= kMaxNumber; ++n)
            points.push_back({QString::number(n), table.count(n, row)});
    } else {
        for (int d = 1; d <= TWeekTable::kDays; ++d)
            points.push_back({dayNames.value(d - 1), table.count(column, d)});
    }
    return points;
}
