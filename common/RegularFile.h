#pragma once

#include "common/Exception.h"

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

// Opens a file for appending without blocking, as every log is opened: created exclusively when
// missing; an existing name is taken only when it is a regular file itself (a link of that name is never
// followed, a FIFO or a device is refused). Returns the open handle, which the caller closes; raises
// EInOutError naming the file and the system's reason.
int OpenRegularFileForAppend(const QString &path);

// Appends the bytes to a regular file opened as above (a log).
void AppendToRegularFile(const QString &path, const QByteArray &bytes);

// Keeps a copy of the file under another name, written through a temporary file (an older copy is
// replaced). Only a regular file (or a link to one) is copied, and it is read within the bound, so a
// FIFO cannot hold the program; anything else is left alone and raises EFileReadError naming it.
void CopyRegularFile(const QString &path, const QString &copyPath, qint64 maxBytes);

// Who named a file that is written whole: the program (a file of its own, replaced under its name) or
// the user, in a save dialog (written where the name leads, see ChosenFileTarget).
enum class TNamedBy { Program, User };

// Where a file the user named is written, as editors do: a symbolic link is followed to the file it
// leads to, so that the file is replaced there (its temporary beside it, then renamed over it) and the
// link stays. Raises EFileWriteError naming the path, and nothing is written, for a dangling link, a
// link to anything but a regular file, or a name that is itself no regular file (a FIFO, a device, a
// folder). A new name or a regular file is the path itself.
QString ChosenFileTarget(const QString &path);
// Writes the whole file through a temporary file (WriteFileAtomically): a file of the program's own
// under its name, a file the user named at its ChosenFileTarget.
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
// this name: a link (described by what it leads to when that is no regular file either) or anything
// but a regular file. Empty for a regular file and for no file at all.
QString InPlaceFileProblem(const QString &path);
// For a file open at the handle: why it is not a regular file, empty when it is one.
QString IrregularHandleReason(int fd);

// The number of reads that failed in this process so far (a batch run ends with a failure status when
// it met one).
int FileReadFailureCount();
// Counts a read failure met outside ReadRegularFile (a data file that is read in parts).
void NoteFileReadFailure();

// The same for writes: every file the program could not write (a batch run that met one ends with a
// failure status too).
int FileWriteFailureCount();
void NoteFileWriteFailure();

// A reader that goes on without its file (settings then read as their defaults) leaves the failure's
// message here; the program shows the messages, each file once in a run.
void DeferFileReadFailure(const QString &path, const QString &message);
// The caller reported the file's failure itself: it is not shown again.
void MarkFileReadFailureReported(const QString &path);
// The messages not shown yet.
QStringList TakeDeferredFileReadFailures();
// Forgets every message, shown or not (a new run begins).
void ResetDeferredFileReadFailures();
