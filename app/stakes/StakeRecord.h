#pragma once

#include "lottery/DrawTypes.h"

#include <QString>

#include <array>
#include <cstdint>

// One record of the stakes file "Vendra.lsk", 312 bytes, little-endian, padding bytes zero:
//   0 version (2), 1 kind, 4 draw number (int32), 8 checked flag, 12 sample size (int32),
//   16 the stake's numbers (int32 count + 8 bytes), 28 the draw's six main numbers,
//   36 the matched numbers (int32 count, -1 until checked, + 8 bytes), 48 profit (int64, 1/10000 units),
//   56 comment (length byte + 255 bytes, Windows-1251).
inline constexpr int kStakeRecSize = 312;
inline constexpr uint8_t kStakeVersion = 2;
inline constexpr int kStakeCommentMax = 255;

enum TStakeKind : uint8_t {
    STAKE_SEPARATOR = 0,
    STAKE_MANUAL = 1,
    STAKE_REGULAR = 2,
    STAKE_SCENARIO = 3,
    STAKE_SYSTEM = 4,
};

struct TStakeRec {
    uint8_t version = kStakeVersion;
    uint8_t kind = STAKE_SEPARATOR;
    int32_t drawNumber = 0;
    uint8_t checked = 0;
    int32_t sampleSize = 0;
    TNumSet numbers;
    std::array<uint8_t, kMainCount> drawNumbers{};
    TNumSet matches;
    TCurrency profit = 0;
    uint8_t commentLen = 0;
    std::array<char, kStakeCommentMax> commentBytes{};

    // A record with a draw number of 0 or less is not a stake (separator rows, zeroed records).
    bool isStake() const { return drawNumber > 0; }
    bool isChecked() const { return checked != 0; }
    // The number of matches, -1 for a stake not checked yet.
    int matchCount() const { return matches.count; }

    QString comment() const;
    // Stores the text in Windows-1251, cut to 255 bytes; a character with no form there becomes "?".
    void setComment(const QString &text);

    bool operator==(const TStakeRec &o) const = default;
};

using TStakeBytes = std::array<uint8_t, kStakeRecSize>;

TStakeBytes StakeToBytes(const TStakeRec &rec);
void WriteStakeRecord(const TStakeRec &rec, char *bytes);
// Reads a record from 312 bytes. The fields are taken as they stand: a damaged count is held to
// 0..8 by every reader (NumSetCount), and ValidStakeNumbers tells whether a stake can be checked.
TStakeRec ReadStakeRecord(const char *bytes);
TStakeRec StakeFromBytes(const TStakeBytes &bytes);

// The empty separator row written between groups of stakes: kind 0, draw -1, no numbers,
// matches -1, profit 0, no comment.
TStakeRec EmptyStakeRecord();

// The stake's numbers are 6..8 different numbers 1..45: only such a stake is ever checked.
bool ValidStakeNumbers(const TNumSet &set);

// What is wrong with a record read from the file; empty for a record such as the program writes: version
// 2; a separator row (kind 0: draw -1, no numbers, not checked, matches -1) or a stake of kind 1..4 for a
// draw above 0, with 6..8 different numbers 1..45 and a sample size not below 0, not checked (matches
// -1, no draw numbers) or checked (the draw's six different numbers 1..45, and the matches the check
// finds in them: at most six, ascending), its profit within what a stake of its numbers can cost, and once
// checked win, under the largest cost and prize the settings take (kMaxSettingsAmount).
QString StakeRecordProblem(const TStakeRec &rec);

// What a stake of n numbers costs (negative): cost × C(n, 6); with matches >= 0 the prize for that
// number of matches from the prize table is added once.
TCurrency StakeProfit(const TConfigData &config, int n, int matches);

// An amount of 1/10000 units with two decimals and ".", rounded half away from zero ("-12.35").
QString MoneyText(TCurrency amount);

// The numbers of a stake typed as text, separated by "," or ";" (blanks around them allowed): exactly
// six different numbers 1..45, stored ascending. False for anything else.
bool ParseStakeNumbers(QStringView text, TNumSet &set);
// The sum of the whole numbers in such a text, the others skipped (the dialog shows it while typing).
int StakeTextSum(QStringView text);
