#pragma once

#include "app/stakes/StakeRecord.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The stakes grid: row 0 holds the captions, row r >= 1 shows stake record r - 1.
enum TStakesColumn {
    scDraw,
    scKind,
    scNumbers,
    scSample,
    scDrawNumbers,
    scMatchCount,
    scMatched,
    scProfit,
    scComment,
    kStakesColumns
};

QStringList StakesColumnCaptions();
int StakesColumnWidth(int column);

// The text of a record's cell. Rows that are not stakes (separators, zeroed records) are empty; the
// draw's numbers and the matches only show once the stake is checked; an unchecked stake shows its cost
// as its profit.
QString StakeCellText(const TStakeRec &rec, int column);

// A stake that is not checked and never can be: its numbers are not 6..8 different numbers 1..45.
// Its row says so where the draw's numbers would stand.
bool IsUncheckableStake(const TStakeRec &rec);
QString UncheckableStakeText();

// The stake's numbers and the draw's numbers one by one, as the grid draws them in columns 2 and 4.
std::vector<int> StakeCellNumbers(const TStakeRec &rec, int column);
// Whether the number is among the stake's matched numbers (drawn bold in blue).
bool IsMatchedNumber(const TStakeRec &rec, int number);

// Background of a stake's row by its kind, 0xRRGGBB; -1 for the system's window colour (kind 0 and
// unknown kinds).
int64_t StakeKindColor(int kind);

// Number of grid rows for a file of that many records: a header and an empty row when there is none.
int64_t StakesGridRows(int64_t records);
