#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class TExclusiveTempFile;

// A data file of records that was read with records left out (records that are not sound, or a last
// record cut short) keeps only its sound records in memory. Before anything is written over it, the
// file as found is copied beside it, so that nothing is lost. A copy is the only one of what was left
// out, so a copy is never written over with other bytes: up to kDamagedFileCopies of them are kept,
// "<name>.bak" the oldest, then "<name>.bak.2" and "<name>.bak.3"; when one more is needed the oldest
// goes and the others move down a place.
inline constexpr int kDamagedFileCopies = 3;
// The n-th copy, 1 the oldest.
QString DamagedFileCopyName(const QString &fileName, int n);
// What a damaged file lost, for its message: "Файл "<name>" поврежден: " then the records left out for
// values no such record may have and the bytes at its end too few for a whole record of recordSize
// (each named only when there are some), then the number of sound records kept.
QString DamagedFileText(const QString &fileName, int badRecords, int recordSize, qint64 tailBytes, int kept);

// Where the file as found was kept.
struct TDamagedFileCopy {
    QString name;            // the copy that holds its bytes
    bool keptBefore = false; // an earlier copy holds these very bytes: nothing was written
    bool oldestRemoved = false;
    // The sentence of the message that says so.
    QString text() const;
};
// Counts the read failure (a batch run ends with a failure status) and keeps the file's bytes: found
// in a copy that holds the same bytes (holdsSame), or written (write, into a temporary file that
// becomes the copy). Raises when the copy could not be made; the earlier copies are then as they were.
TDamagedFileCopy KeepDamagedFileCopy(const QString &fileName, const std::function<bool(const QString &copy)> &holdsSame,
                                     const std::function<void(TExclusiveTempFile &temp)> &write);
// The same for a file read whole. False, with the reason, when the copy could not be made: the file
// must then not be written over in this run; true with the sentence that names the copy.
bool KeepDamagedFileCopy(const QString &fileName, const QByteArray &bytes, QString &note);
