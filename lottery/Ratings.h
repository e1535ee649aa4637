#pragma once

#include "lottery/DrawTypes.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// The results of the checked stakes made under one name (the stake's comment).
struct TRatingRec {
    QString name;
    int32_t plays = 0;                     // checked stakes counted
    int32_t totalMatches = 0;              // sum of their numbers of matches
    std::array<int32_t, 7> matchCounts{};  // stakes with 0..6 matches
    TCurrency profit = 0;
    bool operator==(const TRatingRec &o) const = default;
};

using TRatingsArray = std::vector<TRatingRec>;

// The record of the ratings file, little-endian:
//   0 name (length byte, up to 255 cp1251 bytes), 256 plays, 260 total matches,
//   264..291 seven counters, 292..295 zero, 296 profit (int64, 1/10000 units).
inline constexpr int kRatingRecSize = 304;
using TRatingBytes = std::array<uint8_t, kRatingRecSize>;

// A name longer than 255 bytes in cp1251 is cut; a character with no cp1251 form becomes "?".
TRatingBytes RatingToBytes(const TRatingRec &rating);
TRatingRec RatingFromBytes(const TRatingBytes &bytes);
// Reads one record from a buffer of at least kRatingRecSize bytes at the offset; false when short.
bool RatingFromBuffer(const QByteArray &buffer, qsizetype offset, TRatingRec &rating);

// Counts a checked stake in the rating of its name (letter case ignored), appending the rating when
// there is none. Nothing is counted for a stake not checked yet (matches below 0), nor for a damaged
// one with more matches than a stake can have (above 6), nor when a counter or the profit of the
// rating would pass its largest value (the rating then stays as it was, whole). Returns whether the
// stake was counted.
bool AddRatingResult(TRatingsArray &ratings, const QString &scenarioName, int matches, TCurrency profit);

// Adds the amount to the prize-table entry for that number of matches, appending the entry when missing.
void AddProfit(TProfitDrawArray &profits, int matches, TCurrency amount);
