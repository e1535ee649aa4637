#pragma once

#include "lottery/stats/StatValue.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <cstdint>

class TStatList;
struct TStatMethod;

// The graphs view: the value of one graph method for each of the newest draws, with the mean and the
// most frequent value of the sample drawn as two flat lines.

struct TDrawsGraphParams {
    const TStatList *list = nullptr;     // the registry; its draws are the archive
    const TStatMethod *method = nullptr; // none: nothing is computed
    int length = 100;                    // how many of the newest draws (at least 1)
    int offset = 0;                      // the newest draws left out
    bool sortedDraws = false;
};

struct TDrawsGraphResult {
    QList<QPointF> values;   // x = draw number, y = the method's value of that draw
    QList<QPointF> mean;     // "Среднее значение"
    QList<QPointF> mostFrequent; // "Наиболее часто встречающееся значение"
    double meanValue = 0;
    int mostFrequentValue = 0;
    int first = 0;           // the draws first..last (indexes into the archive)
    int last = -1;
    bool computed = false;   // false without a method or without draws
};

// Computes the three series. Raises Exception when the method's statistic cannot be created or gives
// no value per draw (not a graph method).
TDrawsGraphResult CalcDrawsGraph(const TDrawsGraphParams &params);

// The value with the largest count; on a tie the one listed first; 0 for an empty list.
int MostFrequentValue(const TStatSimpleArray &counts);

// What a drawing depends on. The archive's revision catches edits that keep the number of draws, and
// the method is named by its code rather than its place in the list, which changes with the favourites.
struct TDrawsGraphKey {
    int drawCount = 0;
    uint64_t revision = 0;
    int offset = 0;
    int length = 0;
    QString method;
    bool sortedDraws = false;
    bool operator==(const TDrawsGraphKey &o) const = default;
};

class TDrawsGraphCache {
public:
    // True when the key differs from the stored one (or nothing is stored); stores it either way.
    bool update(const TDrawsGraphKey &key);
    void clear() { m_valid = false; }
    bool valid() const { return m_valid; }

private:
    TDrawsGraphKey m_key;
    bool m_valid = false;
};
