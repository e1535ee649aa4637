#pragma once

#include "lottery/DrawTypes.h"

#include <QString>
#include <vector>

class TStatList;

// What the information window shows for one draw or one combination: where the six numbers lie in
// the number matrix, and one row per graph method with its value.

// One row of the property list: "Свойство" and "Значение".
struct TInfoRow {
    QString property;
    QString value;
    bool operator==(const TInfoRow &o) const = default;
};

// The subject of the window. A combination has drawNumber -1 and an empty date.
struct TInfoSubject {
    int drawNumber = -1;
    QString dateText;
    TComb numbers;
    bool sorted = false;
    // The draw the numbers are taken as (the statistics of changes compare it with the draws before
    // it) and the last draw of the sample: a draw of the archive is its own index and last; a
    // combination stands for the draw that follows the sample.
    int index = 0;
    int last = -1;
};

// A draw of the archive by its index: its six main numbers (ascending when sorted).
TInfoSubject DrawInfoSubject(const TDrawsArray &draws, int index, bool sorted);
// A combination taken as the draw after the sample that ends drawsOffset draws before the newest.
TInfoSubject CombInfoSubject(const TComb &comb, int drawCount, int drawsOffset, bool sorted);

// The rows of the property list: "Номер тиража:" and "Дата тиража:" when known, then each selectable
// graph method of the registry, in order, with its full title and its value as an integer.
std::vector<TInfoRow> InfoRows(const TStatList &list, const TInfoSubject &subject);

// The matrix card: cols columns (taken into 1..45) and as many rows as 45 numbers need.
struct TInfoCard {
    int cols = 1;
    int rows = 45;
    // The number in the zero-based row and column, 0 for an empty cell.
    std::vector<int> cells;
    int at(int row, int col) const { return cells[size_t(row * cols + col)]; }
};
TInfoCard InfoCard(const TComb &numbers, int cols);
