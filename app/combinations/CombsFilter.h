#pragma once

#include "lottery/stats/StatValue.h"

#include <QRect>
#include <QString>
#include <functional>

class TCombsList;
class TCustomStat;
class TStatList;

// The values a filter step keeps or deletes by, and their texts joined by "; " for the filter log.
struct TFilterSelection {
    TStatDrawArray values;
    QString text;
    bool empty() const { return values.empty(); }
    // Appends one value with its text.
    void add(const TStatValueRec &value, const QString &valueText);
    // Appends the number n (1..45) as a value of the numbers statistic, unless it is there already;
    // numbers outside 1..45 are passed over. True when it was added.
    bool addNumber(int n, const QString &numberText);
};

// What a step needs of the draws: their number, the draws offset and the sorted-draws option.
struct TFilterDraws {
    int drawCount = 0;
    int drawsOffset = 0;
    bool sortedDraws = false;
    // The last draw the statistic knows: draws - 1 - offset, 0 when that is negative.
    int lastDraw() const;
};

// The one filtering step. The list is rebuilt from its undo copy (the caller has just saved it): a keep
// step takes the combinations that have one of the selected values, a delete step the others; the step
// is logged under the caption. Nothing happens without values (false). With an empty undo copy the list
// stays empty and nothing is logged.
// When the statistic raises during the pass, the list returns to what it was before the step and the
// exception passes on to the caller.
bool FilterCombsStep(TCombsList &list, TCustomStat &stat, const TFilterSelection &selection, bool deleting,
                     const TFilterDraws &draws, const QString &caption);

// The step of the card, layout and week views: the numbers statistic with the numbers of the selection.
// Raises "В выделенном диапазоне нет значений для фильтра!" when the selection holds no number.
void FilterCombsByNumbers(TCombsList &list, const TStatList &stats, const TFilterSelection &selection, bool deleting,
                          const TFilterDraws &draws, const QString &caption);

// ---- The values of a view's selected cells ----
// The text of a grid cell by column and row.
using TCellTextFn = std::function<QString(int column, int row)>;
// Card: every non-empty cell of the rectangle, column by column, top to bottom; the cell's integer is
// the number.
TFilterSelection CardSelection(const TCellTextFn &cell, const QRect &cells);
// Layout: each cell holds numbers separated by ",", some in brackets ("3, [17], 22").
TFilterSelection LayoutSelection(const TCellTextFn &cell, const QRect &cells);
// Week: one column per number; the columns left..right.
TFilterSelection WeekSelection(int left, int right);
