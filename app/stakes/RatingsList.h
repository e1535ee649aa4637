#pragma once

#include "lottery/Ratings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class TStakesFile;
class TStatList;

// The ratings list: 20 columns.
enum TRatingsColumn {
    rcName,
    rcPlays,
    rcMatched,
    rcAverage,
    rcProfit,
    rcAvgProfit,
    rcCount0,        // 6..12: stakes with 0..6 matches
    rcEff0 = 13,     // 13..19: E0..E6
    kRatingsColumns = 20
};

// How the E columns show the efficiency (option key "RatingsEffMode").
enum TRatingsEffMode { remExpected = 0, remAbsolute = 1, remRelative = 2 };

// The share of all combinations that match a draw in exactly k numbers: C(6,k) C(39,6-k) / C(45,6).
using TMatchShares = std::array<long double, 7>;
TMatchShares ExpectedMatchShares();

QStringList RatingsColumnCaptions();
QString RatingCellText(const TRatingRec &rating, int column, int effMode, const TMatchShares &shares);

// The ratings file: whole 304-byte records, no header; a trailing part shorter than a record is ignored.
QByteArray SerializeRatings(const TRatingsArray &ratings);
TRatingsArray ParseRatings(const QByteArray &bytes);

// A record as the program writes it: at least one play, no negative counter, the stakes of 0..6
// matches adding up to the plays and, weighted by their matches, to the total of matches.
bool IsSoundRating(const TRatingRec &rating);
// The sound records of a file's bytes, with what had to be left out.
struct TRatingsRead {
    TRatingsArray ratings;
    int badRecords = 0;  // whole records that are not sound
    int tailBytes = 0;   // bytes at the end too few for a record
    bool damaged() const { return badRecords > 0 || tailBytes > 0; }
};
TRatingsRead ReadRatingsBytes(const QByteArray &bytes);

// The order of two ratings by a column (negative, 0, positive). Ratings without plays, and the
// E columns, compare equal.
int CompareRatings(const TRatingRec &a, const TRatingRec &b, int column);
// Sorts in place (quicksort, middle pivot; the order of equal keys is not kept). Column -1 leaves the order.
void SortRatings(TRatingsArray &ratings, int column, bool descending);

// The CSV export: the 20 captions quoted, then 13 fields a rating; Windows-1251 with CR LF.
QByteArray RatingsCsv(const TRatingsArray &ratings);

// The scenario line a rating's name stands for: the comment that the scenario runner gives its stakes
// ("01.001: X @ H + F1 + F2") turned back into "H|F1|F2| | | | | |01.001: X".
QString RatingNameToScenarioLine(const QString &name);
// A line rebuilt from a name is only taken when its header starts with a source keyword, at least one
// filter is used and every filter names a method of the registry, and the name was not cut to the 255
// characters the ratings file holds.
bool IsRatingLineAcceptable(const QString &name, const QString &line, const TStatList &stats);

// The ratings of the main window with the ratings file "Vendra.lrt".
//
// A file that exists but could not be read is never overwritten by this run's saves (the ratings found
// later stay in memory); only a rebuild from the stakes that the player confirms replaces it.
class TRatings {
public:
    explicit TRatings(QString fileName = {});
    static QString DefaultFileName();
    const QString &fileName() const { return m_fileName; }

    TRatingsArray &items() { return m_items; }
    const TRatingsArray &items() const { return m_items; }
    int count() const { return static_cast<int>(m_items.size()); }

    // The list's sort column (-1 none) and direction; the list starts sorted by "Среднее", descending.
    int sortColumn() const { return m_sortColumn; }
    bool descending() const { return m_descending; }
    void setSort(int column, bool descending);

    // Called after every save attempt (the list shows the new count).
    void setChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }

    bool saveBlocked() const { return m_saveBlocked; }

    // Start-up: reads the file when it exists, then sorts and saves. A failure shows
    // "Ошибка чтения файла рейтинга!\r\r%s" and gives false; the file is then never written over by
    // this run. A damaged file (a record cut short, records that are not ratings) is copied whole to
    // its backup first and the player is told; only its sound records are kept. When the copy cannot
    // be made the file stays as it is. A damaged file also gives false.
    bool Load();
    // Writes the whole file through a temporary file; a failure shows
    // "Ошибка записи в файл рейтинга!\r\r%s" and gives false.
    bool Save();
    // Sorts by the current column and saves.
    bool Sort();
    // Rebuilds the ratings from the checked stakes of the file after the player's confirmation (asked
    // when ratings exist or the file could not be read); then sorts and saves. False when declined or
    // failed ("Ошибка обновления рейтинга!\r\r%s").
    bool Refresh(TStakesFile &stakes);
    // Writes the CSV export; a failure shows "Ошибка записи в файл "%s"!\r\r%s" and gives false.
    bool ExportCsv(const QString &fileName) const;

private:
    QString m_fileName;
    TRatingsArray m_items;
    int m_sortColumn = rcAverage;
    bool m_descending = true;
    bool m_saveBlocked = false;
    std::function<void()> m_changed;
};
