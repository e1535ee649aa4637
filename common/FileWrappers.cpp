#include "common/FileWrappers.h"

#include "common/Crc32.h"
#include "common/FileProcsDetail.h"
#include "common/DateTime.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace FileProcsDetail;

namespace {

bool isHiddenName(const QString &path)
{
    const QString name = fileNameOf(path);
    return name.startsWith(u'.') && name != u"." && name != u"..";
}

TDateTime timespecToDateTime(const struct timespec &ts)
{
    return QDateTimeToDateTime(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ts.tv_sec) * 1000 +
                                                              ts.tv_nsec / 1'000'000));
}

struct timespec dateTimeToTimespec(TDateTime value)
{
    const qint64 ms = DateTimeToQDateTime(value).toMSecsSinceEpoch();
    struct timespec ts{};
    ts.tv_sec = static_cast<time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    ts.tv_nsec = static_cast<long>((ms - static_cast<qint64>(ts.tv_sec) * 1000) * 1'000'000);
    return ts;
}

} // namespace

// ---- Wrappers ----------------------------------------------------------------------------------

QString LongPathToWide(const QString &path)
{
    return path;
}

unsigned CurrentUmask()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

QFileDevice::Permissions UsualFilePermissions()
{
    const unsigned allowed = 0666u & ~CurrentUmask();
    QFileDevice::Permissions permissions;
    const std::pair<unsigned, QFileDevice::Permission> bits[] = {
        {0400, QFileDevice::ReadOwner},  {0200, QFileDevice::WriteOwner}, {0040, QFileDevice::ReadGroup},
        {0020, QFileDevice::WriteGroup}, {0004, QFileDevice::ReadOther},  {0002, QFileDevice::WriteOther}};
    for (const auto &[bit, permission] : bits)
        if (allowed & bit)
            permissions |= permission;
    if (allowed & 0400)
        permissions |= QFileDevice::ReadUser;
    if (allowed & 0200)
        permissions |= QFileDevice::WriteUser;
    return permissions;
}

bool LongCreateDirectory(const QString &dir)
{
    return ::mkdir(enc(dir).constData(), 0777) == 0;
}

bool LongRemoveDirectory(const QString &dir)
{
    return ::rmdir(enc(dir).constData()) == 0;
}

bool LongDeleteFile(const QString &fileName)
{
    struct stat st{};
    if (::lstat(enc(fileName).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return ::unlink(enc(fileName).constData()) == 0;
}

bool LongMoveFile(const QString &from, const QString &to)
{
    const QByteArray a = enc(from), b = enc(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename.
    struct stat st{};
    if (::lstat(b.constData(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(a.constData(), b.constData()) == 0;
}

int LongFileOpen(const QString &fileName, unsigned mode)
{
    const unsigned access = mode & 0x03u;
    const unsigned share = (mode >> 4) & 0x0Fu;
    if (access > 2 || share > 4 || (mode & ~0xF3u) != 0) {
        errno = EINVAL;
        return -1;
    }
    const int flags = (access == 0 ? O_RDONLY : access == 1 ? O_WRONLY : O_RDWR) | O_CLOEXEC;
    return ::open(enc(fileName).constData(), flags);
}

int LongFileCreate(const QString &fileName)
{
    return ::open(enc(fileName).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

uint32_t LongGetFileAttributes(const QString &path)
{
    struct stat st{};
    if (!statOf(path, st))
        return INVALID_FILE_ATTRS;
    uint32_t attrs = 0;
    if (S_ISDIR(st.st_mode))
        attrs |= FILE_ATTR_DIRECTORY;
    if (!(st.st_mode & S_IWUSR))
        attrs |= FILE_ATTR_READONLY;
    if (isHiddenName(path))
        attrs |= FILE_ATTR_HIDDEN;
    return attrs == 0 ? FILE_ATTR_NORMAL : attrs;
}

int LongSetFileAttributes(const QString &path, uint32_t attributes)
{
    struct stat st{};
    if (!statOf(path, st))
        return errno;
    const mode_t perms = st.st_mode & 07777;
    const mode_t wanted = (attributes & FILE_ATTR_READONLY) ? perms & ~mode_t(0222)
                          : (perms & S_IWUSR)                ? perms
                                                              : perms | S_IWUSR;
    if (wanted != perms && ::chmod(enc(path).constData(), wanted) != 0)
        return errno;
    return 0;
}

int64_t LongFileAge(const QString &fileName)
{
    struct stat st{};
    if (!statOf(fileName, st) || S_ISDIR(st.st_mode))
        return -1;
    return static_cast<int64_t>(st.st_mtim.tv_sec);
}

bool LongFileExists(const QString &fileName)
{
    struct stat st{};
    return statOf(fileName, st) && !S_ISDIR(st.st_mode);
}

bool LongDirectoryExists(const QString &dir)
{
    struct stat st{};
    return !dir.isEmpty() && statOf(dir, st) && S_ISDIR(st.st_mode);
}

bool IsDirectoryEmpty(const QString &dir)
{
    return LongDirectoryExists(dir) && QDir(dir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                                          QDir::System);
}

bool LongForceDirectories(const QString &dir)
{
    if (dir.isEmpty())
        throw EInOutError(notFoundFolderText(dir));
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(enc(dir).toStdString()), ec);
    if (ec)
        errno = ec.value();
    return LongDirectoryExists(dir);
}

QString LongExpandFileName(const QString &path)
{
    if (path.isEmpty())
        return QDir::currentPath();
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

TDateTime GetFileLastWriteTime(const QString &fileName)
{
    struct stat st{};
    if (!statOf(fileName, st))
        RaiseLastSystemError();
    return timespecToDateTime(st.st_mtim);
}

void GetFileTimes(const QString &fileName, TDateTime &creationTime, TDateTime &lastWriteTime)
{
    struct statx stx{};
    if (::statx(AT_FDCWD, enc(fileName).constData(), 0, STATX_MTIME | STATX_BTIME, &stx) != 0)
        RaiseLastSystemError();
    const struct timespec mtime{stx.stx_mtime.tv_sec, stx.stx_mtime.tv_nsec};
    lastWriteTime = timespecToDateTime(mtime);
    if (stx.stx_mask & STATX_BTIME) {
        const struct timespec btime{stx.stx_btime.tv_sec, stx.stx_btime.tv_nsec};
        creationTime = timespecToDateTime(btime);
    } else {
        creationTime = lastWriteTime;
    }
}

int SetFileCreationTime(const QString &fileName, TDateTime)
{
    // The birth time of a file cannot be set here; the file must exist all the same.
    struct stat st{};
    return statOf(fileName, st) ? 0 : errno;
}

int SetFileLastWriteTime(const QString &fileName, TDateTime time)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = dateTimeToTimespec(time);
    return ::utimensat(AT_FDCWD, enc(fileName).constData(), times, 0) == 0 ? 0 : errno;
}

int SetFileTimes(const QString &fileName, TDateTime creationTime, TDateTime lastWriteTime)
{
    if (const int code = SetFileCreationTime(fileName, creationTime))
        return code;
    return SetFileLastWriteTime(fileName, lastWriteTime);
}

int64_t LongFileSize(const QString &fileName, bool raiseErrors)
{
    struct stat st{};
    if (!statOf(fileName, st) || S_ISDIR(st.st_mode)) {
        if (raiseErrors)
            RaiseSystemError(S_ISDIR(st.st_mode) ? EISDIR : static_cast<uint32_t>(errno));
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

int CompareFileTimes(const QString &fileA, const QString &fileB)
{
    const int64_t a = LongFileAge(fileA);
    const int64_t b = LongFileAge(fileB);
    return a < b ? -1 : a > b ? 1 : 0;
}

bool SameFileContents(const QString &fileA, const QString &fileB, bool compareTimes)
{
    if (!LongFileExists(fileA) || !LongFileExists(fileB))
        return false;
    if (LongFileSize(fileA) != LongFileSize(fileB))
        return false;
    if (compareTimes && CompareFileTimes(fileA, fileB) != 0)
        return false;
    try {
        return FileCrc32(fileA) == FileCrc32(fileB);
    } catch (const Exception &) {
        return false;
    }
}
