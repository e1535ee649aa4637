#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/NumberGeometry.h"

#include <QString>
#include <QStringView>
#include <vector>

// The rules behind the game parameters and shredding dialogs, free of widgets.

// What a change of the settings makes stale: the bit of each statistic group whose all-combinations
// distributions are to be made anew (combined by OR).
enum TStatChangeFlag : int {
    scfChannels = 8,    // the channel size changed
    scfMatrix = 16,     // the number of matrix columns changed
    scfSegments = 32,   // the segment table changed
    scfShredding = 4096 // the shredding formulas were confirmed
};
int ConfigChangeFlags(const TConfigData &before, const TConfigData &after);

// ---- The prize table as lines "matches=prize" ----

struct TProfitLine {
    QString key;   // the number of matches
    QString value; // the prize in money units, two decimals
    bool operator==(const TProfitLine &o) const = default;
};
// The highest number of matches a prize line may name (the settings file keeps it in one byte).
inline constexpr int kMaxProfitMatches = 255;

// One line for each number of matches 0..6, with the prize of the entry for that many matches (0 when
// the table has none), then the lines of the entries for other numbers of matches in ascending order.
std::vector<TProfitLine> ProfitLinesOf(const TProfitDrawArray &profits);
// The prize table of the lines: one entry per line in line order, the prize x 10,000 rounded. Lines with
// neither key nor value are skipped. A line whose key is no whole number 0..255, whose value is no
// amount, or whose number of matches was given before, is refused: the result is false and error holds
// the message for the user.
bool ParseProfitLines(const std::vector<TProfitLine> &lines, TProfitDrawArray &profits, QString &error);
// The amount a prize text holds ("1500", "1500.5", "1 500,50"); false when it holds none.
bool ParseMoneyText(QStringView text, TCurrency &amount);

// ---- The segments grid: the 45 numbers row by row in as many columns as the matrix has ----

int SegmentGridRows(int cols);
// The segment of a cell: the number 1..9 it holds, 1 for an empty or bad cell.
uint8_t SegmentOfCell(QStringView text);
// A typed cell is good when it is empty or a whole number 1..9.
bool IsValidSegmentText(QStringView text);
QString BadSegmentMessage(const QString &typed);

// ---- Shredding formulas ----

// True when the formula can be evaluated for a draw: its variables replaced by numbers, the text is a
// valid expression of the formula language. An empty formula is not.
bool IsValidShreddingFormula(const QString &formula);
QString BadFormulaMessage(int index, const QString &formula);
