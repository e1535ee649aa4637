#pragma once

#include "lottery/DrawTypes.h"

#include <QString>
#include <array>
#include <bitset>
#include <vector>

// The scheme of number appearances ("Схема"): over the last N draws each drawn number stands in the
// row of how often it was drawn and the column of the newest draw that holds it.

// The numbers of the first hidden draw, which the scheme marks: the main numbers of the draw at index
// count - offset when 1 <= offset < count; none otherwise.
using TMarkedNumbers = std::bitset<kMaxNumber + 1>;
TMarkedNumbers LayoutMarkedNumbers(const TDrawsArray &draws, int drawsOffset);

// One drawn number of the window: how many draws hold it and the number of the newest of them.
struct TShemaRec {
    int number = 0;
    int count = 0;
    int lastDraw = 0;
    bool operator==(const TShemaRec &o) const = default;
};
// The drawn numbers in the order they are met walking from the newest draw back.
using TShemaArray = std::vector<TShemaRec>;

// The window of `length` draws ending `drawsOffset` draws before the newest: indices first..last,
// oldest first; empty (last < first) when the offset hides every draw or the archive is empty.
struct TDrawsWindow {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
};
TDrawsWindow LayoutWindow(int drawCount, int drawsOffset, int length);

// The records of the window's numbers. Numbers outside 1..45 of a damaged record are passed over.
TShemaArray CollectShema(const TDrawsArray &draws, TDrawsWindow window);

// The scheme as the grid shows it, in grid coordinates: column 0 holds the counts, row 0 the draw
// numbers, both in descending order; a data cell lists its numbers ("7, [12], 30", brackets for the
// marked ones) in the order they were met. The grid is never smaller than two columns and two rows, so
// that it keeps a data cell under its headers even for an empty window.
struct TLayoutScheme {
    std::vector<int> lastDraws; // header of columns 1..
    std::vector<int> counts;    // header of rows 1..
    TShemaArray records;
    std::vector<std::vector<QString>> cells; // [row][column], headers included

    int colCount() const { return cells.empty() ? 0 : static_cast<int>(cells.front().size()); }
    int rowCount() const { return static_cast<int>(cells.size()); }
    QString cell(int col, int row) const;
};
TLayoutScheme BuildLayoutScheme(const TDrawsArray &draws, int drawsOffset, int length,
                                const TMarkedNumbers &marked);

// One of the comparison lists under the scheme: its caption is the first and the last draw number of
// its window ("1201 - 1300"); one row per count, largest first, listing the numbers drawn that often in
// the order they were met from the newest draw back.
struct TLayoutListRow {
    int count = 0;
    QString numbers;
    bool operator==(const TLayoutListRow &o) const = default;
};
struct TLayoutList {
    QString caption;
    std::vector<TLayoutListRow> rows;
};
TLayoutList BuildLayoutList(const TDrawsArray &draws, int drawsOffset, int length);

// The colour of a data cell (column and row of at least 1) that is not selected.
struct TRgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const TRgb &o) const = default;
};
inline constexpr TRgb kLayoutMarkedColour{0, 255, 0};
inline constexpr TRgb kLayoutBandColour{255, 234, 234};
inline constexpr TRgb kLayoutPlainColour{234, 255, 234};
// A cell holding a marked number is lime; with the gradient on the colour runs from the top left corner
// to the bottom right; otherwise a checkerboard of 5 x 5 blocks.
TRgb LayoutCellColour(const QString &text, int col, int row, int colCount, int rowCount, bool gradient);
// Whether an index of the checkerboard lies in a band: 1..5, 11..15, ..., 91..95.
bool LayoutInBand(int index);
