#pragma once

#include "lottery/DrawTypes.h"

#include <QString>

// The numbers of a draw as the draw dialog shows them: the six main numbers, then the two
// supplementary ones, joined by ";".
QString DrawEntryText(const TDrawRec &draw);
// Reads the eight numbers typed in the draw dialog: exactly eight words separated by "," or ";";
// six main and two supplementary numbers, eight different numbers 1..45 (DrawRecordProblem). False when
// the text is not such a draw; the draw is changed only on success.
bool ParseDrawEntryText(const QString &text, TDrawRec &draw);
