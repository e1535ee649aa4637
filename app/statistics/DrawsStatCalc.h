#pragma once

#include "lottery/stats/StatValue.h"
#include "app/statistics/StatValues.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class TStatList;
struct TStatMethod;

// The statistics table: one row per value of the chosen method over a sample of the newest draws,
// with how the value compares with all possible combinations and when it is due again.

inline constexpr int kDrawsStatColumns = 20;
enum TDrawsStatColumn : int {
    dscValue = 0, dscCount, dscCountPct, dscNorm, dscDeviation, dscDeviationPct, dscDepth, dscDepthPct, dscWeight,
    dscLastDraw, dscPeriodMin, dscPeriod, dscPeriodMax, dscExpPeriod, dscExpStf, dscExpKrn, dscFact, dscDeltaPeriod,
    dscDeltaStf, dscDeltaKrn
};
// The caption of column c ("Значение", "Количество", ...).
QString DrawsStatColumnCaption(int column);
// The column's designed width in pixels.
int DrawsStatColumnWidth(int column);
// Columns 3..5 (norm, deviation and its percentage) need the all-combinations distribution.
inline bool IsPrefetchColumn(int column)
{
    return column >= dscNorm && column <= dscDeviationPct;
}

// How many combinations of the full set have each value of one method (the prefetch file): its value
// records ascending by keys, and the trailer with the smallest and the largest of their counts.
struct TStatPrefetch {
    std::vector<TPrefetchRec> records;
    int32_t minCount = 2147483647;
    int32_t maxCount = 0;
};

struct TDrawsStatParams {
    const TStatList *list = nullptr;     // the registry; its draws are the archive
    const TStatMethod *method = nullptr; // none: nothing is computed
    int sampleLength = 1000;
    int offset = 0;                      // the newest draws left out
    bool sortedDraws = false;
    const TStatPrefetch *prefetch = nullptr; // none: the norms are not known
    bool showTotalLine = false;          // chart the all-combinations curve (with norms only)
    bool withFacts = true;               // the fact columns (16-19): a search of the hidden draws per value
    bool withChart = true;
    std::function<void(double percent)> progress; // told every one per cent of the sample's draws
    std::function<void()> idle; // called every few thousand rows while a long table is made
};

struct TDrawsStatRow {
    TStatValueRec rec;
    std::array<QString, kDrawsStatColumns> texts;
};

// The chart: x runs 1..labels.size(), the label of x being the text of that value.
struct TDrawsStatChart {
    QStringList labels;
    QList<QPointF> actual; // "Фактические данные"
    QList<QPointF> total;  // "Все возможные комбинации"
    bool hasTotal = false;
    bool empty() const { return labels.isEmpty(); }
};

struct TDrawsStatResult {
    std::vector<TDrawsStatRow> rows; // in the statistic's order of values
    TDrawsStatChart chart;           // empty with fewer than two values
    TStatValuesSummary summary;
    int first = 0;       // the sample: draw indexes first..last
    int last = -1;
    int sampleSize = 0;  // n = last - first + 1, 0 for an empty sample
    bool normsKnown = false;
    bool computed = false; // false when there was no method or no draw at all
};

// The points of a line as drawn over at most `stretches` stretches: a line of fewer than two points a
// stretch is kept whole; a longer one keeps, of each stretch of neighbouring points, the lowest and the
// highest in their order (and so its first and last point), which draws the same line.
QList<QPointF> ThinChartPoints(const QList<QPointF> &points, int stretches);

// Computes the table and the chart. An offset that leaves no draw gives every value the statistic can
// enumerate with a count of 0. Raises what the statistic raises.
TDrawsStatResult CalcDrawsStat(const TDrawsStatParams &params);

// Round half to even, as the expectation columns round.
int64_t RoundHalfEven(long double x);
// The same for numerator / denominator, exactly.
int64_t RoundHalfEvenRatio(int64_t numerator, int64_t denominator);

// Orders rows of the table (order holds indexes into rows) by the texts of a column as the table
// shows them (CompareTexts: numbers as numbers, "-" below every number), equal texts by the value's
// text; the order of rows that are still equal is kept. Column -1 (or any column outside the table)
// leaves the order. The statistics page and the scenario steps both order their rows with it. idle,
// when given, is called now and then while a long table is sorted.
void SortDrawsStatRows(std::vector<int> &order, const std::vector<TDrawsStatRow> &rows, int column, bool descending,
                       const std::function<void()> &idle = {});

// The texts the scenario selection reads from a row: value, count, count %, deviation, deviation %,
// depth, depth %, weight, period min, period, period max. No row gives every text empty.
TStatValues StatRowForExport(const TDrawsStatRow *row);

// What a computation depends on. Two computations with equal keys give the same table, so a view
// recomputes only when the key changes (or a refresh is forced). The archive's revision catches edits
// that keep the number of draws, and the method is named by its code, not by its place in a list.
struct TDrawsStatKey {
    int drawCount = 0;
    uint64_t revision = 0;
    int offset = 0;
    int sampleLength = 0;
    QString method; // the method's code with its parameter ("POS1")
    bool sortedDraws = false;
    bool prefetchs = false;
    TWeightCoefs weights; // the weight column follows them
    bool operator==(const TDrawsStatKey &o) const = default;
};

class TDrawsStatCache {
public:
    // True when the key differs from the stored one (or nothing is stored); stores it either way.
    bool update(const TDrawsStatKey &key);
    void clear() { m_valid = false; }
    bool valid() const { return m_valid; }

private:
    TDrawsStatKey m_key;
    bool m_valid = false;
};
