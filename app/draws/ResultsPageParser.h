#pragma once

#include "lottery/DrawTexts.h"
#include "lottery/DrawTypes.h"

#include <QString>

// The draws of one month's results page, as the results site writes them: an object "drawsPast"
// whose items each hold "drawNo", "drawDate" ("2024-03-04T..."), and "numberSets" with the sets
// "Main numbers" and "Supplementary", the page listing the newest draw first.
//
// Returns the draws dated on or after the limit (yyyymmdd), oldest first, each taken once (an item
// that repeats the previous item's number is skipped). Nothing is returned unless the whole page
// is sound: a page without "drawsPast" raises, and so does a taken item whose number is not above
// 0, whose numbers are not eight different numbers 1..45 (DrawRecordProblem) or whose date is not a
// date. A page of a month (yearMonth, yyyymm; 0 for any) that lists draws, none of them dated in that
// month, raises too: it is another month's page. A page that lists no draw is an empty month.
// `listed`, when given, gets the number of draws the page lists (0 for an empty month).
TDrawsArray ParseResultsPage(const QString &page, int dateLimit, int yearMonth = 0, int *listed = nullptr);

