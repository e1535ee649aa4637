#pragma once

// A deliberately plain statistics step of a scenario filter, to check the tuned one against: the table
// is computed whole by the table builder and ordered as the page orders it, the rows are walked one at
// a time, and every selected row goes through the statistics page's own filtering step (the
// statistic's combination test over the undo copy), undone when it empties the list. Nothing is
// cached, recorded or counted ahead.

#include "lottery/FilterItem.h"
#include "app/statistics/DrawsStatCalc.h"
#include "app/statistics/StatValues.h"

#include <QStringList>

#include <functional>

class TCombsList;
class TStatList;

// The row test, read straight from the table's texts: a cell without a number takes the default of its
// column in the "not less" and "not more" tests, and equals no item of a list.
bool PlainRowMatches(const TFilterPart &part, const TStatValues &row);

struct PlainStepInput {
    TStatList *stats = nullptr;
    TCombsList *list = nullptr;
    int drawsOffset = 0;
    bool sortedDraws = false;
    // The all-combinations distribution the page compares with (methods of the six numbers only).
    const TStatPrefetch *prefetch = nullptr;
    // The run's stop check.
    std::function<bool()> stop;
};

struct PlainStepResult {
    QStringList log; // the lines the run log gets, without their time stamps
    int steps = 0;
    bool stopped = false;
};

// One step of the part on the list. The method must be one the statistics page offers.
PlainStepResult RunPlainStatStep(const TFilterPart &part, const PlainStepInput &in);
