#pragma once

#include "lottery/DrawTypes.h"

#include <QByteArray>
#include <QString>
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

// Draw numbers rise through the archive, oldest first: however a draw enters it (typed in, edited,
// imported, downloaded), its number must be above the number of the draw before it and below that of
// the draw after it.
// What is wrong with the number for a draw at the index (the draw there is the one replaced; an index
// equal to the count is a new newest draw); empty when the number fits.
QString DrawNumberPlaceProblem(const TDrawsArray &draws, int index, int32_t number);
// What is wrong with appending the draws in their order after the stored ones; empty when each number
// rises above the one before it.
QString RisingDrawsProblem(const TDrawsArray &draws, const TDrawsArray &incoming);
// The index at which a draw of that number keeps the archive rising (after every lower number).
int DrawInsertIndex(const TDrawsArray &draws, int32_t number);

// The draws archive "Vendra.ldr": the in-memory array and its file. Every change bumps the revision,
// which the views compare to notice edits.
class TDrawsArchive {
public:
    explicit TDrawsArchive(QString fileName = {});

    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

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
    // overwritten with a partial array.
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
    // Puts each draw at the place its number takes, or none of them.
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
};
