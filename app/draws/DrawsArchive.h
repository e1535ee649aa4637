#pragma once

#include "common/DateTime.h"
#include "lottery/DrawTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <cstdint>

inline constexpr int kDrawRecordSize = 24;

// One draw record as the archive file holds it: number (int32, little-endian), six main numbers,
// two supplementary numbers, date as a short string (length byte and 11 characters).
void ReadDrawRecord(const char *bytes, TDrawRec &draw);
void WriteDrawRecord(const TDrawRec &draw, char *bytes);
// The records of a whole file; a trailing part shorter than a record is ignored.
TDrawsArray ParseDrawsFile(const QByteArray &bytes);
QByteArray SerializeDraws(const TDrawsArray &draws);

// Finding and describing draws of an array held oldest first.
// The index of the draw with that number, -1 when absent. Interpolates on an ascending archive and
// falls back to a scan when the archive is not ascending.
int FindDrawIndex(const TDrawsArray &draws, int32_t number);
// The number of the draw `index` places back from the newest, plus 2; 1 for an empty archive;
// -1 for an index outside the array.
int NextDrawNumber(const TDrawsArray &draws, int index);
// The main numbers of the draw one newer than `index` (counted back from the newest), joined by ";";
// empty unless index is in 1..count-1.
QString DrawNumbersText(const TDrawsArray &draws, int index);
// yyyymmdd of the date of the draw `index` places back from the newest plus the days; 20011201 when
// the archive is empty, the index is out of range or the date cannot be read.
int DrawDateYMD(const TDrawsArray &draws, int index, int days);

// Draw numbers rise through the archive, oldest first, and dates follow them: however a draw enters it
// (typed in, edited, imported, downloaded), its number is above the number of the draw before it and
// below that of the draw after it, and its date (when it and theirs are known) is not before the one
// and not after the other.
// The date of a draw; 0 when it is not known or cannot be read.
TDateTime DrawDateOf(const TDrawRec &draw);
// The day of a draw's date (whole days of the date); 0 when it is not known or cannot be read.
int64_t DrawDayOf(const TDrawRec &draw);
// The draws a draw has beside it at a place: replacing the draw at the index (an index equal to the
// count is a new newest draw), or put in before the draw at the index when inserting.
struct TDrawNeighbours {
    const TDrawRec *before = nullptr;
    const TDrawRec *after = nullptr;
};
TDrawNeighbours DrawNeighboursAt(const TDrawsArray &draws, int index, bool inserting = false);
// What is wrong with the draw's number and date at that place; empty when they fit.
QString DrawPlaceProblem(const TDrawRec &draw, TDrawNeighbours neighbours);
// What keeps a new or changed draw out of the archive (empty when nothing does), the one rule for
// every way in: its numbers (DrawRecordProblem), then DrawDateAndPlaceProblem.
QString DrawEntryProblem(const TDrawRec &draw, TDrawNeighbours neighbours, TDateTime today);
// Its date (empty or in the game's form, not in the future of `today`), its place, and a number that
// runs no further ahead of the draw before it than the days between them allow (kMaxDrawsPerDay a
// day; an unknown date counts as today).
QString DrawDateAndPlaceProblem(const TDrawRec &draw, TDrawNeighbours neighbours, TDateTime today);
inline constexpr int kMaxDrawsPerDay = 10;
// A number further ahead of the draw before it than the days between them allow (kMaxDrawsPerDay a
// day; an unknown date counts as today); empty when it is not, or that draw has no date.
QString DrawRunsAheadProblem(const TDrawRec &draw, const TDrawRec &before, TDateTime today);
// A number no draw of that date (an unknown date counts as today) can have on any way in, whatever
// stands before it: above kMaxDrawsPerDay a day since the first day of the calendar (30 Dec 1899).
QString DrawNumberBoundProblem(const TDrawRec &draw, TDateTime today);
// The draw with its main numbers and its supplementary numbers each in ascending order.
TDrawRec SortedDrawNumbers(TDrawRec draw);
// The same numbers drawn: the six main numbers and the two supplementary ones, each in any order.
bool SameDrawNumbers(const TDrawRec &a, const TDrawRec &b);
// What is wrong with appending the draws in their order after the stored ones; empty when each fits.
QString RisingDrawsProblem(const TDrawsArray &draws, const TDrawsArray &incoming);
// The index at which a draw of that number keeps the archive rising (after every lower number).
int DrawInsertIndex(const TDrawsArray &draws, int32_t number);

// What reading an archive file found: the draws it keeps and what it had to say about the rest. A
// record that is no draw on its own is left out; of the others the most are kept whose numbers rise,
// those running far ahead of their dates (kMaxDrawsPerDay, told against kept draws only) counting only
// when nothing else is lost. Where leaving out either of two records would do, the one that fits worse
// goes (each fitted to the draws before it and to those after it, by their dates and places in the
// file, counting by the side it fits better), and its note names the kept one.
struct TDrawsRead {
    TDrawsArray draws;        // every record that is a draw, its date in the game's form
    int badRecords = 0;       // records left out: no draw (StoredDrawProblem), an unreadable date, or a
                              // number that does not fit between the draws kept around it
    int tailBytes = 0;        // bytes at the end too few for a record (a last record cut short)
    int legacyDraws = 0;      // draws kept although no new draw may be so (DrawEntryProblem)
    QStringList badNotes;     // the first kMaxDrawsReadNotes records left out, with the reason
    QStringList legacyNotes;  // the first kMaxDrawsReadNotes draws kept so, with the reason
    bool damaged() const { return badRecords > 0 || tailBytes > 0; }
};
inline constexpr int kMaxDrawsReadNotes = 10;
TDrawsRead ReadDrawsBytes(const QByteArray &bytes, TDateTime today);

// The draws archive "Vendra.ldr": the in-memory array and its file. Every change bumps the revision,
// which the views compare to notice edits.
class TDrawsArchive {
public:
    explicit TDrawsArchive(QString fileName = {});

    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    // Today's date for the checks of draws; by default the system clock.
    void setToday(std::function<TDateTime()> today) { m_today = std::move(today); }
    TDateTime today() const { return m_today(); }

    // The array itself: the statistics registry holds a reference to it, so it is never replaced,
    // only changed in place.
    TDrawsArray &draws() { return m_draws; }
    const TDrawsArray &draws() const { return m_draws; }
    int count() const { return static_cast<int>(m_draws.size()); }
    uint64_t revision() const { return m_revision; }
    // To be called after the array was changed directly.
    void touch() { ++m_revision; }

    // Reads the file; a missing file gives an empty archive. Raises EInOutError when the file exists
    // but cannot be read; the archive then refuses to be saved, so that the file is never
    // overwritten with a partial array. Records that are no draws (or a last record cut short) are
    // left out and reported ("Ошибка чтения файла тиражей!"); the file as found is copied to
    // "Vendra.ldr.bak" first, and without that copy it is never written over. Draws kept that no
    // new draw may be like are named in that report, to be corrected in the draw dialog.
    void load();
    // Writes the whole array through a temporary file renamed over the archive. Raises EInOutError
    // on failure, and Exception when an earlier load failed.
    void save();
    bool saveBlocked() const { return m_loadFailed; }

    // The rule of rising numbers holds for every change: a draw that breaks it raises Exception with
    // its message and nothing is changed.
    void append(const TDrawRec &draw);
    // Appends all the draws in their order, or none of them.
    void appendAll(const TDrawsArray &draws);
    // Puts each draw at the place its number takes, or none of them; a number that is there already is
    // refused, a date out of order is not (an imported draw that only the rules of a new draw refuse).
    void insertInOrder(const TDrawsArray &draws);
    void replace(int index, const TDrawRec &draw);
    // Removes one record; raises "Запись со индексом %d в файле данных не найдена!" for a bad index.
    void deleteDraw(int index);
    void clear();

private:
    QString m_fileName;
    TDrawsArray m_draws;
    uint64_t m_revision = 0;
    bool m_loadFailed = false;
    std::function<TDateTime()> m_today;
};
