#pragma once

#include <QByteArray>
#include <QString>

// A data file of records that was read with records left out (records that are not sound, or a last
// record cut short) keeps only its sound records in memory. Before anything is written over it, the
// file as found is copied beside it, so that nothing is lost: this copy.
QString DamagedFileCopyName(const QString &fileName);
// What a damaged file lost, for its message: "Файл "<name>" поврежден: " then the records left out for
// values no such record may have and the bytes at its end too few for a whole record of recordSize
// (each named only when there are some), then the number of sound records kept.
QString DamagedFileText(const QString &fileName, int badRecords, int recordSize, qint64 tailBytes, int kept);
// Counts the read failure (a batch run ends with a failure status) and writes the copy. False, with
// the reason, when the copy could not be made: the file must then not be written over in this run.
bool KeepDamagedFileCopy(const QString &fileName, const QByteArray &bytes, QString &error);
