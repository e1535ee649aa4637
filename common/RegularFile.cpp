#include "common/RegularFile.h"

#include "common/AtomicFile.h"
#include "common/Dialogs.h"
#include "common/Format.h"
#include "common/SysUtils.h"

#include <QFile>

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

std::atomic<int> g_readFailures{0};
std::atomic<int> g_writeFailures{0};
// The messages of the failures counted (guarded: a download may fail on a worker thread).
std::mutex g_failureMutex;
struct TFileFailure {
    QString path; // empty when the failure named no file of its own
    QString message;
};
std::vector<TFileFailure> g_failures;
// User-interface thread only: the files whose failure waits to be shown, and those told already.
std::vector<std::pair<QString, QString>> g_deferred;
QStringList g_shown;

struct FdCloser {
    int fd;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return u"обычный файл"_s;
    if (S_ISDIR(mode))
        return u"каталог"_s;
    if (S_ISFIFO(mode))
        return u"именованный канал"_s;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return u"устройство"_s;
    if (S_ISSOCK(mode))
        return u"сокет"_s;
    if (S_ISLNK(mode))
        return u"символьная ссылка"_s;
    return u"особый файл"_s;
}

// Raised uncounted: the caller decides whether the failure is one of the run.
[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw EFileReadError(path, reason);
}

void noteMessage(const QString &path, const QString &message)
{
    if (message.isEmpty())
        return;
    const std::lock_guard lock(g_failureMutex);
    for (const TFileFailure &failure : g_failures)
        if (failure.message == message || (!path.isEmpty() && failure.path == path))
            return; // one message a file
    g_failures.push_back({path, message});
}

QString otherNamesText(nlink_t links)
{
    return Format(u"У файла есть и другие имена (жёстких ссылок: %d): запись в него изменила бы и их, поэтому "
                  u"файл оставлен без изменений.",
                  {static_cast<long long>(links)});
}

QString notRegularText(mode_t mode)
{
    return Format(u"Это не обычный файл, а %s.", {kindOf(mode)});
}

} // namespace

EFileReadError::EFileReadError(const QString &path, const QString &reason)
    : EInOutError(FileReadErrorText(path, reason)), m_path(path), m_reason(reason)
{
}

namespace {

bool readWhole(const QString &path, qint64 maxBytes, QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(path);
    // Non-blocking, so that a FIFO without a writer cannot hold the program; a regular file reads the
    // same either way.
    FdCloser file{::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return false;
        fail(path, SystemErrorString(error));
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0)
        fail(path, SystemErrorString(errno));
    if (!S_ISREG(st.st_mode))
        fail(path, notRegularText(st.st_mode));
    if (st.st_size > maxBytes)
        fail(path, Format(u"Файл слишком велик: %s (допускается не более %d).",
                          {BytesText(st.st_size), static_cast<long long>(maxBytes)}));

    // The file may grow while it is read: one byte more than the bound tells that it grew past it.
    const QString tooLarge = Format(u"Файл слишком велик (допускается не более %s).", {BytesGenitiveText(maxBytes)});
    QByteArray data(static_cast<qsizetype>(st.st_size + 1), Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        if (done == data.size()) {
            if (done > maxBytes)
                fail(path, tooLarge);
            data.resize(static_cast<qsizetype>(std::min<qint64>(maxBytes + 1, done * 2 + 4096)));
        }
        const ssize_t got = ::read(file.fd, data.data() + done, static_cast<size_t>(data.size() - done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(path, SystemErrorString(errno));
        }
        if (got == 0)
            break;
        done += got;
    }
    if (done > maxBytes)
        fail(path, tooLarge);
    data.truncate(static_cast<qsizetype>(done));
    bytes = std::move(data);
    return true;
}

} // namespace

bool ReadRegularFile(const QString &path, qint64 maxBytes, QByteArray &bytes)
{
    try {
        return readWhole(path, maxBytes, bytes);
    } catch (const EFileReadError &e) {
        NoteFileReadFailure(path, e.message());
        throw;
    }
}

bool ReadCacheFile(const QString &path, qint64 maxBytes, QByteArray &bytes)
{
    try {
        return readWhole(path, maxBytes, bytes);
    } catch (const EFileReadError &) {
        return false;
    }
}

QByteArray ReadRegularFile(const QString &path, qint64 maxBytes)
{
    QByteArray bytes;
    if (!ReadRegularFile(path, maxBytes, bytes)) {
        const EFileReadError error(path, SystemErrorString(ENOENT));
        NoteFileReadFailure(path, error.message());
        throw error;
    }
    return bytes;
}

int OpenRegularFileForAppend(const QString &path)
{
    const auto failWrite = [&](const QString &reason) {
        NoteFileWriteFailure(path, FileWriteErrorText(path, reason));
        throw EFileWriteError(path, reason);
    };
    const QByteArray native = QFile::encodeName(path);
    constexpr int kFlags = O_WRONLY | O_APPEND | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
    // A new name is created here and now; only an existing one needs a look at what it is.
    int fd = ::open(native.constData(), kFlags | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno == EEXIST)
        fd = ::open(native.constData(), kFlags);
    if (fd < 0) {
        // A FIFO without a reader or a link refuses the open itself: its kind is the reason.
        const int error = errno;
        struct stat named {};
        if (::lstat(native.constData(), &named) == 0 && !S_ISREG(named.st_mode))
            failWrite(notRegularText(named.st_mode));
        failWrite(SystemErrorString(error));
    }
    FdCloser file{fd};
    const QString reason = InPlaceHandleReason(fd);
    if (!reason.isEmpty())
        failWrite(reason);
    file.fd = -1;
    return fd;
}

void AppendToRegularFile(const QString &path, const QByteArray &bytes)
{
    const auto failWrite = [&](const QString &reason) {
        NoteFileWriteFailure(path, FileWriteErrorText(path, reason));
        throw EFileWriteError(path, reason);
    };
    FdCloser file{OpenRegularFileForAppend(path)};
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(file.fd, data, static_cast<size_t>(left));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            failWrite(SystemErrorString(errno));
        }
        data += done;
        left -= done;
    }
    const int fd = std::exchange(file.fd, -1);
    if (::close(fd) != 0)
        failWrite(SystemErrorString(errno));
}

void CopyRegularFile(const QString &path, const QString &copyPath, qint64 maxBytes)
{
    WriteNamedFile(TNamedBy::Cache, copyPath, ReadRegularFile(path, maxBytes));
}

void CopySourceFile(const QString &path, const QString &copyPath, qint64 maxBytes)
{
    QByteArray bytes;
    if (!readWhole(path, maxBytes, bytes))
        fail(path, SystemErrorString(ENOENT));
    WriteNamedFile(TNamedBy::Cache, copyPath, bytes);
}

void WriteNamedFile(TNamedBy namedBy, const QString &path, const QByteArray &data,
                    std::optional<QFileDevice::Permissions> permissions)
{
    TExclusiveTempFile file = TExclusiveTempFile::beside(path, namedBy, permissions);
    file.write(data);
    file.commit();
}

bool IsIrregularFile(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return !S_ISREG(st.st_mode);
}

QString InPlaceFileProblem(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat named {};
    if (::lstat(native.constData(), &named) != 0)
        return {};
    if (S_ISREG(named.st_mode))
        return named.st_nlink > 1 ? otherNamesText(named.st_nlink) : QString();
    struct stat target {};
    if (S_ISLNK(named.st_mode) && ::stat(native.constData(), &target) == 0 && !S_ISREG(target.st_mode))
        return notRegularText(target.st_mode);
    return notRegularText(named.st_mode);
}

namespace {

// Why the file open at the handle cannot be taken: no regular file, or (for a file written in place)
// one with other names as well.
QString handleReason(int fd, bool inPlace)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return SystemErrorString(errno);
    if (!S_ISREG(st.st_mode))
        return notRegularText(st.st_mode);
    return inPlace && st.st_nlink > 1 ? otherNamesText(st.st_nlink) : QString();
}

} // namespace

QString IrregularHandleReason(int fd)
{
    return handleReason(fd, false);
}

QString InPlaceHandleReason(int fd)
{
    return handleReason(fd, true);
}

QString FileKindName(unsigned mode)
{
    return kindOf(static_cast<mode_t>(mode));
}

QString NotRegularFileText(unsigned mode)
{
    return notRegularText(static_cast<mode_t>(mode));
}

int FileReadFailureCount()
{
    return g_readFailures.load();
}

void NoteFileReadFailure(const QString &message)
{
    NoteFileReadFailure({}, message);
}

void NoteFileReadFailure(const QString &path, const QString &message)
{
    ++g_readFailures;
    noteMessage(path, message);
}

int FileWriteFailureCount()
{
    return g_writeFailures.load();
}

void NoteFileWriteFailure(const QString &message)
{
    NoteFileWriteFailure({}, message);
}

void NoteFileWriteFailure(const QString &path, const QString &message)
{
    ++g_writeFailures;
    noteMessage(path, message);
}

QStringList FileFailureMessages()
{
    const std::lock_guard lock(g_failureMutex);
    QStringList messages;
    for (const TFileFailure &failure : g_failures)
        if (failure.path.isEmpty() || !g_shown.contains(failure.path))
            messages.append(failure.message);
    return messages;
}

void DeferFileReadFailure(const QString &path, const QString &message)
{
    if (g_shown.contains(path))
        return;
    for (const auto &pending : g_deferred)
        if (pending.first == path)
            return;
    g_deferred.emplace_back(path, message);
}

void MarkFileReadFailureReported(const QString &path)
{
    std::erase_if(g_deferred, [&](const auto &pending) { return pending.first == path; });
    if (!g_shown.contains(path))
        g_shown.append(path);
}

bool FileFailureTold(const QString &path)
{
    return g_shown.contains(path);
}

void ShowFileFailureOnce(const QString &path, const QString &message)
{
    if (FileFailureTold(path))
        return;
    MarkFileReadFailureReported(path);
    ShowErrorBox(message);
}

QStringList TakeDeferredFileReadFailures()
{
    QStringList messages;
    for (const auto &[path, message] : std::exchange(g_deferred, {})) {
        g_shown.append(path);
        messages.append(message);
    }
    return messages;
}

void ResetDeferredFileReadFailures()
{
    g_deferred.clear();
    g_shown.clear();
}
