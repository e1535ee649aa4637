#pragma once

#include "common/DateTime.h"

#include <QString>
#include <QStringView>

#include <functional>

// Path of the help file; empty until the main window sets it at start-up.
extern QString HelpFileName;

// yyyymmdd of a date (0 for a date outside the calendar) and back (0 for a value that is no date).
int DateToYMD(TDateTime date);
TDateTime YMDToDate(int ymd);

// The printer and parser of draw dates. The main window installs the game's own at start-up; until then
// the default form "dd MMM yyyy" with English month names is used both ways.
using TDrawDateToTextProc = std::function<QString(TDateTime)>;
using TDrawTextToDateProc = std::function<TDateTime(const QString &)>;
extern TDrawDateToTextProc DrawDateToTextProc;
extern TDrawTextToDateProc DrawTextToDateProc;

// The English three-letter month names of draw dates, never the locale's: "Jan" for 1 ... "Dec"
// for 12, "" outside; and back, in any letter case (0 for a text that is no month name).
QString DrawMonthAbbrev(int month);
int DrawMonthOfAbbrev(QStringView name);

// The text of a draw date; "" for a date not above 0.
QString DrawDateToText(TDateTime date);
// The date of a draw date text; 0 for a text that is empty after trimming. A text that is no date
// raises EConvertError.
TDateTime TextToDrawDate(QStringView text);

// The default forms, whatever hooks are installed: "05 Jan 2015". The parser reads the day, the
// English three-letter month (any letter case) and the year separated by blanks, so it also reads
// the game's own "5 Jan 2015".
QString DefaultDrawDateToText(TDateTime date);
TDateTime DefaultTextToDrawDate(QStringView text);
