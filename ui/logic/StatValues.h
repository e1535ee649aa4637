#pragma once

#include <QString>
#include <cstdint>

// One row of a computed statistics table as the selection step of a scenario reads it: the value as
// shown and as a number, then the texts of the table's count, deviation, depth, weight and period
// columns.
struct TStatValues {
    QString ValueText;
    int32_t Value = 0;
    QString Count;
    QString CountPct;
    QString Deviation;
    QString DeviationPct;
    QString Depth;
    QString DepthPct;
    QString Weight;
    QString PeriodMin;
    QString Period;
    QString PeriodMax;

    bool operator==(const TStatValues &o) const = default;
};
