#pragma once

#include "common/DateTime.h"

#include <QString>

// Dates as the results site and the archive write them: the day without a leading zero, the English
// three-letter month and the year ("5 Jan 2015").
// Raises EConvertError for an unknown month, a bad number or an impossible date.
TDateTime ParseResultsDate(const QString &text);
QString FormatResultsDate(TDateTime date);
// "yyyy-monthname" of a yyyymm value, as the results page address has it ("2024-march");
// "error" in place of a month outside 1..12.
QString ResultsArchiveMonthKey(int yearMonth);
// The text with every "-" removed, as an integer ("2024-03" gives 202403); raises EConvertError.
int YearMonthNumber(const QString &text);

// Installs the two routines above as the draw date printer and parser of the draw model.
void InstallResultsDateHooks();
