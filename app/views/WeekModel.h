#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/NumberGeometry.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

// The ISO 8601 weekday (1 Monday .. 7 Sunday) of a draw date text in the game's format; 0 when the
// text is not a date.
int DrawWeekday(const QString &dateText);

// What a week table was computed from; a change of any part makes it stale.
struct TWeekKey {
    int drawCount = -1;
    int drawsOffset = 0;
    int weekLen = 0;
    uint64_t revision = 0;
    bool operator==(const TWeekKey &o) const = default;
};

// How often each number was drawn on each day of the week over the newest draws.
class TWeekTable {
public:
    static constexpr int kDays = 7;

    // Counts the draws from draws - offset - len to draws - 1 - offset (the window starts at the
    // oldest draw when it is longer than the archive); draws whose date gives no weekday are left out.
    void build(const TDrawsArray &draws, int drawsOffset, int weekLen);

    // The count of number n (1..45) on weekday day (1..7); 0 outside.
    int count(int n, int day) const;
    // The cell text: the count, empty when 0.
    QString cellText(int n, int day) const;
    int maxCount() const { return m_max; }
    // The draws of the window that were counted.
    int countedDraws() const { return m_counted; }

private:
    std::array<std::array<int, kDays + 1>, kMaxNumber + 1> m_counts{};
    int m_max = 0;
    int m_counted = 0;
};

// The heat colour of a cell with the value v when the largest value is max: white for 0, pure red
// for max; the default colours (isSystemWindow) when max is 0 or v is 0.
TRgbColor WeekHeatColor(int v, int max);

// The short day names of the rows, Monday first.
QStringList WeekDayNames();

// The chart of a cell: mode 0 the row of its day (45 points, one per number), mode 1 the column of
// its number (7 points, one per day).
struct TWeekChartPoint {
    QString label;
    int value = 0;
    bool operator==(const TWeekChartPoint &o) const = default;
};
std::vector<TWeekChartPoint> WeekChartPoints(const TWeekTable &table, int mode, int column, int row,
                                             const QStringList &dayNames);
