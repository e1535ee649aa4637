#include "common/TempFile.h"

#include "common/AtomicFile.h"
#include "common/Exception.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kTempSuffix[] = u".~tmp";
constexpr int kNameAttempts = 100;

[[noreturn]] void raise(const QString &name, int error)
{
    NoteFileWriteFailure();
    throw EFileWriteError(name, SystemErrorString(error));
}

int openExclusive(const QString &path, mode_t mode)
{
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}

mode_t modeOf(QFileDevice::Permissions p)
{
    mode_t mode = 0;
    if (p & QFileDevice::ReadOwner) mode |= S_IRUSR;
    if (p & QFileDevice::WriteOwner) mode |= S_IWUSR;
    if (p & QFileDevice::ExeOwner) mode |= S_IXUSR;
    if (p & QFileDevice::ReadGroup) mode |= S_IRGRP;
    if (p & QFileDevice::WriteGroup) mode |= S_IWGRP;
    if (p & QFileDevice::ExeGroup) mode |= S_IXGRP;
    if (p & QFileDevice::ReadOther) mode |= S_IROTH;
    if (p & QFileDevice::WriteOther) mode |= S_IWOTH;
    if (p & QFileDevice::ExeOther) mode |= S_IXOTH;
    return mode;
}

QString randomTag()
{
    static const char16_t letters[] = u"abcdefghijklmnopqrstuvwxyz0123456789";
    QString tag;
    for (int i = 0; i < 8; ++i)
        tag += QChar(letters[QRandomGenerator::global()->bounded(36)]);
    return tag;
}

void syncFolderOf(const QString &path)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

TExclusiveTempFile::TExclusiveTempFile(int fd, QString path, QString reportName)
    : m_fd(fd), m_path(std::move(path)), m_reportName(std::move(reportName))
{
}

TExclusiveTempFile::TExclusiveTempFile(TExclusiveTempFile &&other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)), m_reportName(std::move(other.m_reportName)),
      m_done(other.m_done)
{
    other.m_fd = -1;
    other.m_done = true;
}

TExclusiveTempFile::~TExclusiveTempFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_done && !m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
}

TExclusiveTempFile TExclusiveTempFile::beside(const QString &target, std::optional<QFileDevice::Permissions> permissions)
{
    // The new file keeps the mode of the file it replaces (never that of a link's target).
    struct stat old {};
    std::optional<mode_t> mode;
    if (permissions)
        mode = modeOf(*permissions);
    else if (::lstat(QFile::encodeName(target).constData(), &old) == 0 && S_ISREG(old.st_mode))
        mode = old.st_mode & 07777;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString path = target + u'.' + randomTag() + QString::fromUtf16(kTempSuffix);
        const int fd = openExclusive(path, mode.value_or(0666));
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            raise(target, errno);
        }
        if (mode)
            ::fchmod(fd, *mode);
        return TExclusiveTempFile(fd, path, target);
    }
    raise(target, EEXIST);
}

TExclusiveTempFile TExclusiveTempFile::named(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    // unlink removes a link itself, never what it points to.
    if (::unlink(native.constData()) != 0 && errno != ENOENT)
        raise(path, errno);
    const int fd = openExclusive(path, 0644);
    if (fd < 0)
        raise(path, errno);
    return TExclusiveTempFile(fd, path, path);
}

void TExclusiveTempFile::write(const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(m_fd, data, static_cast<size_t>(size));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            raise(m_reportName, errno);
        }
        data += done;
        size -= done;
    }
}

void TExclusiveTempFile::truncate()
{
    if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
        raise(m_reportName, errno);
}

void TExclusiveTempFile::sync()
{
    if (::fsync(m_fd) != 0)
        raise(m_reportName, errno);
}

void TExclusiveTempFile::rename(const QString &target)
{
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) != 0)
        raise(target, errno);
    m_done = true;
    syncFolderOf(target);
}

void TExclusiveTempFile::commitTo(const QString &target)
{
    sync();
    if (::close(m_fd) != 0) {
        m_fd = -1;
        raise(m_reportName, errno);
    }
    m_fd = -1;
    rename(target);
}

int TExclusiveTempFile::commitAndRelease(const QString &target)
{
    sync();
    rename(target);
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

int RemoveLeftoverTemporaries(const QString &folder)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    const QByteArray suffix = QFile::encodeName(QString::fromUtf16(kTempSuffix));
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.endsWith(suffix))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
            continue;
        if (::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}
