#pragma once

#include "common/DateTime.h"
#include "lottery/DrawTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

class TDrawsArchive;

// Draws CSV files: one draw a line, fields separated by ";", a field optionally in double quotes
// (a quote inside doubled). Two line forms are read, told apart by their number of fields:
//   10 fields: number; date; six main numbers; two supplementary numbers
//    9 fields: date; six main numbers; two supplementary numbers (the number is given on import)
// The export writes the 10-field form, oldest draw first, in Windows-1251 with CRLF line ends:
//   4102;"5 Jan 2015";3;11;17;25;30;41;8;44

// The fields of one line. A ";" inside quotes belongs to the field; "" inside quotes is one quote.
// Fields outside quotes are trimmed; the text of a quoted field is kept as it stands.
QStringList SplitCsvFields(QStringView line);
// The field in double quotes with every quote inside doubled.
QString QuoteCsvField(QStringView text);

// The line of one draw, without the line break.
QString DrawToCsvLine(const TDrawRec &draw);
// The bytes of a whole export file.
QByteArray DrawsToCsv(const TDrawsArray &draws);

// A line of the file that was not imported because it could not be read or holds no valid draw.
struct TCsvLineProblem {
    int line = 0; // 1-based line number in the file
    QString reason;
};

// What a CSV file brings to the archive.
struct TCsvImportResult {
    TDrawsArray added;                        // new draws, in the order they were taken
    int duplicates = 0;                       // lines whose draw the archive (or an earlier line) already has
    int badLines = 0;                         // lines that were skipped as unreadable or invalid
    std::vector<TCsvLineProblem> problems;    // the first kMaxCsvProblems of them, with the reason
    int legacy = 0;                           // draws added that no new draw may be like (DrawRecordProblem)
    std::vector<TCsvLineProblem> legacyLines; // the first kMaxCsvProblems of them
};
inline constexpr int kMaxCsvProblems = 10;

// The draws of a CSV text that are not yet in the stored array. A line comes in, at the place its
// number takes, when its record is a draw the archive may hold: whole numbers (StoredDrawProblem), a
// date in the game's form or none, a number within DrawNumberBoundProblem (by `today`). A draw that
// breaks only the rules of a new draw (DrawRecordProblem, DrawDateAndPlaceProblem) comes in too, as
// the archive's load keeps it, and is counted and named apart. A line whose number is stored
// already (or was on an earlier line) is a duplicate when its numbers are the same in any order (and
// its date, when both are known), and is refused as contradicting that draw otherwise. A 9-field line
// is the draw of its date (compared as a date): a duplicate with the same numbers in any order,
// refused with others; a dated one whose date has no draw before the newest date cannot be given a
// number and is refused; any other gets the number after the highest one stored or imported so far.
// The lines with a draw number are taken first, in file order, then the 9-field ones in the order of
// their dates (an undated one with the dated line before it), whatever order the file lists them in.
TCsvImportResult ParseDrawsCsv(QStringView text, const TDrawsArray &stored, TDateTime today = TodayDate());

// Adds the imported draws to the array, which stays ordered by draw number (oldest first): a draw
// imported out of order takes its place by its number. The rule of rising numbers of the archive holds
// (TDrawsArchive::insertInOrder): a number that is there already raises Exception and nothing is added.
void MergeImportedDraws(TDrawsArray &draws, const TDrawsArray &added);

// Reads the file, adds its new draws to the archive and saves the archive. Raises EInOutError when
// the file cannot be read or the archive cannot be saved; the archive in memory is then as it was
// and its file untouched. Nothing is saved when the file brings no new draw.
TCsvImportResult ImportDrawsCsv(TDrawsArchive &archive, const QString &fileName);
// Writes every draw into the file (replaced whole only once written); raises EInOutError.
void ExportDrawsCsv(const TDrawsArray &draws, const QString &fileName);

// The report of an import that skipped lines or brought nothing new; empty when every line of the
// file became a new draw.
QString CsvImportReport(const TCsvImportResult &result, const QString &fileName);
