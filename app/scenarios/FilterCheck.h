#pragma once

#include "lottery/FilterItem.h"

#include <QChar>
#include <QString>
#include <vector>

class TStatList;
struct TStatMethod;

// What the filter dialog checks before it hands a filter back, kept apart from the widgets.

// The field a refused filter sends the user back to.
enum class TFilterField { None, Method, DrawsLen, LevelMode, LevelValue, StopMode };

struct TFilterProblem {
    TFilterField field = TFilterField::None;
    QString message; // empty when the filter is sound

    bool ok() const { return field == TFilterField::None; }
};

// The messages of the checks.
QString FilterRangeMessage();
QString FilterNoValueListMessage();
QString FilterMultiStopMessage();
QString FilterNoMethodMessage();

// Checks a filter as the dialog builds it: a method is chosen; the numbers of draws form a list of
// values of at least 1; the values hold nothing but a list's characters, whatever the condition (so
// that the written filter reads back as the same one); a condition other than LNO has a list of values
// (and LVA only for a method whose values are texts); several rows selected at once cannot stop on the
// number of combinations.
TFilterProblem CheckFilterItem(const TFilterItem &item);

// The characters the draws and values edits take when typed: digits, ",", "-", ";" (control keys
// are let through by the edit itself).
bool IsFilterListChar(QChar c);

// Own weights make sense only for the conditions on the weight column (WMV, WLV, WDV).
bool ConditionUsesWeights(int levelMode);

// The sort column a filter opens with: its own when the statistics table has it (-1: none, unsorted),
// else "Количество".
int FilterSortColumnShown(int sortColumn, int columnCount);

// One entry of the dialog's method list.
struct TFilterMethodEntry {
    QString caption;
    const TStatMethod *method = nullptr;
};

// The methods the statistics page offers, in the same order and with the same captions: available,
// selectable favourites, sorted by caption when the registry is set to be ordered.
std::vector<TFilterMethodEntry> FilterMethodEntries(const TStatList &list);
