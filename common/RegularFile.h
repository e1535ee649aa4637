#pragma once

#include "common/Exception.h"
#include "common/TempFile.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <optional>

// Every file the program reads whole goes through here: only a regular file is read (a folder, a FIFO,
// a device, or a link to one of them is refused without blocking), and never more than a bound that
// suits the kind of file, so that a damaged or planted file cannot hang the program or exhaust its
// memory. Failures carry the system's text in the user's language.

// The bounds of the files read whole, far above anything the program writes itself.
namespace FileBounds {
inline constexpr qint64 kIni = 32LL * 1024 * 1024;          // settings, the settings store, favourites
inline constexpr qint64 kUpdateIndex = 512LL * 1024;        // the update index
inline constexpr qint64 kArchive = 24LL * 1024 * 1024;      // one million draws
inline constexpr qint64 kRatings = 64LL * 1024 * 1024;      // 220,000 ratings
inline constexpr qint64 kStakes = 1024LL * 1024 * 1024;     // 3.4 million stakes, read in blocks
inline constexpr qint64 kTables = 64LL * 1024 * 1024;       // regular stakes tables
inline constexpr qint64 kScenario = 16LL * 1024 * 1024;     // scenario list and files
inline constexpr qint64 kCombsBuffer = 64LL * 1024 * 1024;  // the whole set of combinations, 6 bytes each
inline constexpr qint64 kCombsText = 256LL * 1024 * 1024;   // the whole set as text, a line each
inline constexpr qint64 kPrefetch = 64LL * 1024 * 1024;     // a distribution over all combinations
inline constexpr qint64 kDrawsCsv = 32LL * 1024 * 1024;     // draws CSV files
inline constexpr qint64 kText = 16LL * 1024 * 1024;         // help pages, descriptions, language modules
} // namespace FileBounds

// A file that could not be read; reason() is the cause alone (without the file's name).
class EFileReadError : public EInOutError {
public:
    EFileReadError(const QString &path, const QString &reason);
    const QString &path() const { return m_path; }
    const QString &reason() const { return m_reason; }

private:
    QString m_path;
    QString m_reason;
};

// Reads the whole file into bytes. False when there is no such file (nor a dangling link); raises
// EFileReadError when the path is not a regular file, the file is larger than maxBytes, or reading
// fails.
bool ReadRegularFile(const QString &path, qint64 maxBytes, QByteArray &bytes);
// The same for a file that must exist: a missing file raises too.
QByteArray ReadRegularFile(const QString &path, qint64 maxBytes);
// A cache file, built anew whenever it cannot be used: false for no file and for one that cannot be
// read as above, which is then no failure of the run.
bool ReadCacheFile(const QString &path, qint64 maxBytes, QByteArray &bytes);

// Opens a file for appending without blocking, as every log is opened: created exclusively when
// missing; an existing name is taken only when it is a regular file itself with no other name (a link
// of that name is never followed, a FIFO, a device or a file hard-linked elsewhere is refused). Returns
// the open handle, which the caller closes; raises EInOutError naming the file and the system's reason.
int OpenRegularFileForAppend(const QString &path);

// Appends the bytes to a regular file opened as above (a log).
void AppendToRegularFile(const QString &path, const QByteArray &bytes);

// Keeps a copy of the file under another name, written through a temporary file (an older copy, or a
// link of that name, is replaced). Only a regular file (or a link to one) is copied, and it is read within the bound, so a
// FIFO cannot hold the program; anything else is left alone and raises EFileReadError naming it.
void CopyRegularFile(const QString &path, const QString &copyPath, qint64 maxBytes);
// The same for a file the program fetches as it would download it (the update index from a folder):
// a source it cannot read is the caller's failure to tell, not one of the run's files.
void CopySourceFile(const QString &path, const QString &copyPath, qint64 maxBytes);

// Writes the whole file through a temporary file beside the file it replaces, the name taken as
// TNamedBy says: a data file of the program and a file the user named are written where a symbolic
// link of that name leads (the link stays); a link that leads nowhere or to anything but a regular
// file is refused with the reason, and nothing is written.
void WriteNamedFile(TNamedBy namedBy, const QString &path, const QByteArray &data,
                    std::optional<QFileDevice::Permissions> permissions = std::nullopt);
inline void WriteChosenFile(const QString &path, const QByteArray &data)
{
    WriteNamedFile(TNamedBy::User, path, data);
}

// True when the path names something that is not a regular file (nor a link to one): a folder, a
// FIFO, a device, a socket. False for a regular file and for no file at all.
bool IsIrregularFile(const QString &path);
// Why a file that is opened and written in place (never replaced by a new file) cannot be taken under
// this name: a link (described by what it leads to when that is no regular file either), anything
// but a regular file, or a file with other names (hard links). Empty for a regular file of one name
// and for no file at all.
QString InPlaceFileProblem(const QString &path);
// For a file open at the handle: why it is not a regular file, empty when it is one.
QString IrregularHandleReason(int fd);
// For a file written in place, open at the handle: why it must not be, as for a link: it is no regular
// file, or it has other names (hard links) and would change under them too. Empty when it may be.
QString InPlaceHandleReason(int fd);
// What a file of that mode is ("именованный канал", "каталог", ...), and the reason that says it is not
// a regular file.
QString FileKindName(unsigned mode);
QString NotRegularFileText(unsigned mode);

// The number of reads that failed in this process so far (a batch run ends with a failure status when
// it met one).
int FileReadFailureCount();
// Counts a read failure met outside ReadRegularFile (a data file that is read in parts), with the
// message that tells it.
void NoteFileReadFailure(const QString &message = {});

// The same for writes: every file the program could not write (a batch run that met one ends with a
// failure status too).
int FileWriteFailureCount();
void NoteFileWriteFailure(const QString &message = {});
// The same, for a failure of the file at the path.
void NoteFileReadFailure(const QString &path, const QString &message);
void NoteFileWriteFailure(const QString &path, const QString &message);
// The messages of the failures counted so far, one a file, oldest first, but for the files whose failure
// was told already (a batch run that fails prints those).
QStringList FileFailureMessages();

// A reader that goes on without its file (settings then read as their defaults) leaves the failure's
// message here; the program shows the messages, each file once in a run.
void DeferFileReadFailure(const QString &path, const QString &message);
// The caller reported the file's failure itself: it is not shown again.
void MarkFileReadFailureReported(const QString &path);
// A failure of the file (to read or to write it) was told in this run.
bool FileFailureTold(const QString &path);
// Shows the failure of the file in an error box unless one of the file was told in this run already:
// each file is named once, its write refused because it could not be read told with the read failure.
void ShowFileFailureOnce(const QString &path, const QString &message);
// The messages not shown yet.
QStringList TakeDeferredFileReadFailures();
// Forgets every message, shown or not (a new run begins).
void ResetDeferredFileReadFailures();
