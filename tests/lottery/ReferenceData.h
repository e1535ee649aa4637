#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/stats/StatValue.h"

#include <QString>
#include <QStringList>
#include <string>

// The reference data of the statistics tests, made by the scripts in tests/lottery/data/.

// A file of tests/lottery/data/.
QString LotteryDataFile(const QString &name);

// The 420 draws of the reference archive ("NumberStatsArchive.txt"); empty, with a test failure,
// when it cannot be read.
TDrawsArray LoadReferenceArchive();

// Compares a computed record with a reference row whose fields from `first` on are the count, the last
// draw, the depth, the previous draw and the shortest and longest interval.
void ExpectReferenceRecord(const TStatValueRec &v, const QStringList &row, int first, const std::string &where);
