#pragma once

#include "lottery/DrawTypes.h"

#include <QPointF>
#include <QString>
#include <functional>
#include <vector>

// How often the newest draws repeat numbers of the draws shortly before them: for each analysed draw
// and each number of common main numbers m, the earlier draws within the look-back depth that share
// exactly m numbers with it.
struct TRepeatsRow {
    int draw = 0;      // "Тираж"
    int matches = 0;   // "Совпадений"
    int repeats = 0;   // "Кол-во повторов"
    QString draws;     // "Список тиражей": their draw numbers, newest first, separated by blanks
    bool operator==(const TRepeatsRow &o) const = default;
};

struct TRepeatsResult {
    // Newest draw first; the rows of one draw in the order their m was first met looking back.
    std::vector<TRepeatsRow> rows;
    // The largest number of common numbers seen among the compared pairs (0 when none share any).
    int maxMatches = 0;
};

inline constexpr int kRepeatsDefaultLength = 100;
inline constexpr int kRepeatsDefaultDepth = 100;

// Analyses the `length` newest draws of the whole archive (the draws offset does not apply), each
// against the `depth` draws before it; lengths and depths below 1 count as 1. `step` runs once per
// analysed draw.
TRepeatsResult AnalyzeRepeats(const TDrawsArray &draws, int length, int depth,
                              const std::function<void()> &step = {});

// The points of the chart: series m - 1 holds, for each row with m common numbers, the point
// (draw number, repeats), taken from the last row to the first, so that draws run oldest first.
std::vector<std::vector<QPointF>> RepeatsSeries(const TRepeatsResult &result);
