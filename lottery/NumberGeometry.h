#pragma once

#include "lottery/DrawTypes.h"

#include <array>
#include <cstdint>

// The segment number of each number 1..45 (element n - 1 for number n), as in TConfigData.
using TSegmentsArray = std::array<uint8_t, kMaxNumber>;

// True for a number of the game (1..45); every routine that indexes a table by a number asks this first.
constexpr bool IsGameNumber(int n)
{
    return n >= 1 && n <= kMaxNumber;
}

// ---- The number matrix, channels and segments ----
// Numbers are 1-based and fill the matrix row by row. A column count or channel size below 1 (a damaged
// settings file) is taken as 1, so none of these routines divides by zero.

// Rows needed for the numbers lo..hi (the numbers 1..hi when lo is 0) in cols columns.
int MatrixRowCount(int lo, int hi, int cols);

// Zero-based column and row of number n in a matrix that starts with the number first.
struct TMatrixCell {
    int col = 0;
    int row = 0;
    bool operator==(const TMatrixCell &o) const = default;
};
TMatrixCell MatrixCellOf(int first, int n, int cols);
// The number in the zero-based row and column.
constexpr int MatrixNumberAt(int first, int row, int cols, int col)
{
    return first + row * cols + col;
}

// One-based column and row of number n in a matrix of cols columns starting with 1.
int ColumnOf(int n, int cols);
int RowOf(int n, int cols);
// The channel of n: channel 1 holds 1..size, channel 2 the next size numbers and so on.
int ChannelOf(int n, int size);

// ---- Number colours by channel ----
// A colour in red, green and blue; isSystemWindow marks "the system window colour", which the view maps
// to its palette's base colour (the engine knows nothing of palettes).
struct TRgbColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool isSystemWindow = false;
    // The colour as 0x00BBGGRR, the way colours are kept in settings (255 is pure red).
    constexpr uint32_t colorRef() const
    {
        return uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16);
    }
    bool operator==(const TRgbColor &o) const = default;
};

inline constexpr int kNumberColorCount = 21;
extern const std::array<TRgbColor, kNumberColorCount> NumberColors;
// Pure red: the colour of a value that is not a number of the game.
inline constexpr TRgbColor kBadNumberColor{255, 0, 0, false};

// The colour of number n's channel: red for n outside 1..45; channels above 19 are reduced by 19 and,
// with very small channels, reduced again until they fall inside the table.
TRgbColor NumberColor(int n, int channelSize);

// ---- Shifts ----
// n + k brought back into 1..45 (46 is 1, 0 is 45); n itself for k = 0.
int ShiftNumber(int n, int k);
TComb ShiftComb(const TComb &comb, int k);

// ---- Membership and matches ----
bool DrawHasNumber(int n, const TDrawRec &draw);
bool CombHasNumber(int n, const TComb &comb);
// Some main number of the draw lies in channel c.
bool DrawHasChannel(int c, const TDrawRec &draw, int channelSize);
// Some main number n of the draw has segments[n - 1] = s; numbers outside 1..45 are in no segment.
bool DrawHasSegment(int s, const TDrawRec &draw, const TSegmentsArray &segments);

// The number of equal pairs (main number of the draw, number of the combination): the matches of a stake.
int DrawCombMatches(const TDrawRec &draw, const TComb &comb);
// The same between the main numbers of two draws.
int DrawDrawMatches(const TDrawRec &a, const TDrawRec &b);
// The main numbers of the draw that are in the set, ascending.
TNumSet DrawNumSetHits(const TDrawRec &draw, const TNumSet &set);
// Same count and every number of a is in b.
bool NumSetsEqual(const TNumSet &a, const TNumSet &b);
// The usable count of a set: its count held to 0..8, so a damaged record never reads past the numbers.
int NumSetCount(const TNumSet &set);

// ---- Covered numbers ----
// The number of distinct numbers 1..45 in the first count combinations (all of them when count is larger),
// stopping as soon as all 45 are seen. Values outside 1..45 are not counted.
int CoveredNumberCount(const TCombsArray &combs, int64_t count);
// Those numbers in the order of their first appearance.
TByteArray CoveredNumbers(const TCombsArray &combs, int64_t count);

// ---- Byte arrays ----
bool ByteArrayHas(uint8_t b, const TByteArray &arr);
// Appends b when it is not there yet.
void ByteArrayAddUnique(uint8_t b, TByteArray &arr);
void ByteArrayAdd(uint8_t b, TByteArray &arr);
