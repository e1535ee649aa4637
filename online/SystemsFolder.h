#pragma once

#include "online/SystemTypes.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <vector>

// One line of an expanded system: six of the player's numbers.
using TSystemComb = std::array<uint8_t, kSystemCombLength>;
using TSystemCombs = std::vector<TSystemComb>;

// The local systems folder: "Systems" in the data folder, one file per downloaded system named
// "6-NN-B_IIII.dat" (combination length, count of numbers, block length, catalogue id), one system
// line per text line. Only one system per count of numbers is kept: a download removes the others.
// A file's write time is the system's creation time in the catalogue (UTC, whole seconds), by
// which a changed system is recognised.

QString SystemsFolder();
// "%d-%.2d-%d_%.4d.dat" of (6, nums, olap, id): "6-09-3_0012.dat".
QString SystemFileName(const tSystemInfo &system);
// The mask of the files for a count of numbers: "6-09-*_*.dat" (the name only).
QString SystemFileNameMask(int nums);
// The folder and the mask: SystemsFolder() + "/6-09-*_*.dat".
QString SystemFileMask(int nums);
QString SystemFilePath(const tSystemInfo &system);
bool SystemFileExists(const tSystemInfo &system);
// Deletes the system's file; true when it was absent or is deleted now (never through a linked
// folder).
bool DeleteSystemFile(const tSystemInfo &system);

// The files in the folder matching the mask for a count of numbers, the one to play first: newest
// write time first, then by name.
QStringList SystemFilesFor(int nums, const QString &folder);
// Deletes every file for the system's count of numbers but the system's own; the names of the
// files that could not be deleted.
QStringList DeleteOtherSystemFiles(const tSystemInfo &system);

// The write time of a file as UTC seconds since 1970; -1 when it is missing.
int64_t SystemFileTime(const QString &path);
// UTC date-time to seconds since 1970, rounded to the whole second.
int64_t UtcToUnixSeconds(TDateTime utc);
// The stored file differs from the catalogue's system: it exists and its write time is not the
// system's creation time (whole seconds). A system without a creation time never counts as changed.
bool SystemFileChanged(const tSystemInfo &system);

// The lines of a text as a line list reads them: CR LF, CR or LF end a line, and a final line end
// adds no empty line.
QStringList SplitSystemLines(const QString &text);
// Writes the system's file: the folder is made when missing (a folder that is a link, or a name that
// is no folder, is refused with ECacheFolderError naming it), the lines go through a temporary file
// that replaces the old file, the written file is read back and its lines counted, and its write
// time is set to the system's creation time. Raises Exception (the file is then gone or untouched).
void WriteSystemFile(const tSystemInfo &system, const QStringList &lines);

// The words of a system line: split at any of " *+,-./:;=\_|~" (and tabs), runs of separators
// counting as one, each word trimmed.
QStringList SystemLineWords(QStringView line);
// A system line for nums numbers: exactly six different integers in 1..nums. False for anything
// else (the positions are then undefined).
bool ParseSystemLine(QStringView line, int nums, std::array<uint8_t, kSystemCombLength> &positions);

// A system expanded over the player's numbers.
struct TSystemExpansion {
    TSystemCombs combs;   // in the order of the lines; the numbers in the order of the positions
    QString path;        // the system's file
    QString error;       // why there is no combination (empty when there are some)
    int badLines = 0;    // lines skipped as not being a system line for this count of numbers

    bool ok() const { return !combs.empty(); }
};

// Expands lines over the numbers: position p of line i gives byte k of combination i as
// numbers[p - 1]. Blank lines are passed over; other lines that are not system lines are counted
// in badLines.
TSystemExpansion ExpandSystemLines(const QStringList &lines, const std::vector<uint8_t> &numbers);
// The downloaded system for as many numbers as given, expanded over them (from the systems
// folder, or the folder given). The player's numbers are distinct numbers 1..45.
// Without a system file the error is SystemNotFoundText(N); a file with no valid line fails too.
TSystemExpansion FindSystemForNumbers(const std::vector<uint8_t> &numbers);
TSystemExpansion FindSystemForNumbers(const std::vector<uint8_t> &numbers, const QString &folder);

// "Система для %d чисел не найдена или не загружена на компьютер!"
QString SystemNotFoundText(int nums);
// The same with the hint to download systems through the "Системы" menu, as the game shows it.
QString SystemNotFoundBoxText(int nums);
