#pragma once

#include "common/DateTime.h"

#include <QString>

// Dates as the results site and the archive write them: the day without a leading zero, the English
// three-letter month and the year ("5 Jan 2015").
// Raises EConvertError for an unknown month, a bad number or an impossible date.
TDateTime ParseResultsDate(const QString &text);
QString FormatResultsDate(TDateTime date);
// The one reading of a draw's date, whichever way the draw comes in: the day, the English three-letter
// month and the four-digit year separated by blanks, in any letter case, with leading zeros or blanks
// ("05 Jan 2015", " 4 OCT 1986", "5  Jan 2015"), given back in the game's form ("5 Jan 2015"). A text
// empty after trimming stays empty (the date is not known). Raises EConvertError for any other text
// and for a date the archive cannot hold (before 31 December 1899).
QString GameDrawDateText(const QString &text);
// A draw may be dated in the game's time zone, up to a day ahead of the local date; a later date is
// the future, where no draw can be yet.
bool IsFutureDrawDate(TDateTime date, TDateTime today);

// "yyyy-monthname" of a yyyymm value, as the results page address has it ("2024-march");
// "error" in place of a month outside 1..12.
QString ResultsArchiveMonthKey(int yearMonth);
// The text with every "-" removed, as an integer ("2024-03" gives 202403); raises EConvertError.
int YearMonthNumber(const QString &text);

// Installs the two routines above as the draw date printer and parser of the draw model.
void InstallResultsDateHooks();
