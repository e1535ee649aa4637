#include "common/TempFile.h"

#include "common/AtomicFile.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kTempSuffix[] = u".~tmp";
constexpr int kNameAttempts = 100;

[[noreturn]] void raiseReason(const QString &name, const QString &reason)
{
    NoteFileWriteFailure(name, FileWriteErrorText(name, reason));
    throw EFileWriteError(name, reason);
}

[[noreturn]] void raise(const QString &name, int error)
{
    raiseReason(name, SystemErrorString(error));
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

QByteArray randomTag()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray tag;
    for (int i = 0; i < 8; ++i)
        tag += letters[QRandomGenerator::global()->bounded(36)];
    return tag;
}

QString danglingText(const QString &path)
{
    return Format(u"Это ссылка на файл \"%s\", которого нет.", {QFile::symLinkTarget(path)});
}

} // namespace

// ---- The target ----

TWriteTarget::TWriteTarget(TWriteTarget &&other) noexcept
    : m_dir(other.m_dir), m_path(std::move(other.m_path)), m_folderPath(std::move(other.m_folderPath)),
      m_name(std::move(other.m_name)), m_existed(other.m_existed), m_dev(other.m_dev), m_ino(other.m_ino),
      m_mode(other.m_mode)
{
    other.m_dir = -1;
}

TWriteTarget::~TWriteTarget()
{
    if (m_dir >= 0)
        ::close(m_dir);
}

void TWriteTarget::open(const QString &file)
{
    if (m_dir >= 0)
        ::close(m_dir);
    const QFileInfo info(file);
    m_folderPath = info.absolutePath();
    m_name = QFile::encodeName(info.fileName());
    m_dir = ::open(QFile::encodeName(m_folderPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dir < 0)
        raise(m_path, errno);
}

void TWriteTarget::take(const struct stat &st)
{
    m_existed = true;
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    m_mode = st.st_mode;
}

TWriteTarget TWriteTarget::resolve(const QString &path, TNamedBy namedBy)
{
    TWriteTarget target;
    target.m_path = path;
    target.open(path);
    struct stat st {};
    if (::fstatat(target.m_dir, target.m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            raise(path, errno);
        return target; // a new file
    }
    if (S_ISLNK(st.st_mode) && namedBy != TNamedBy::Cache) {
        // The link is resolved once; from here on only the folder it leads to counts, and the name
        // there must be a regular file itself.
        char *resolved = ::realpath(QFile::encodeName(path).constData(), nullptr);
        if (!resolved) {
            const int error = errno;
            raiseReason(path, error == ENOENT ? danglingText(path) : SystemErrorString(error));
        }
        const QString file = QFile::decodeName(resolved);
        ::free(resolved);
        target.open(file);
        if (::fstatat(target.m_dir, target.m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int error = errno;
            raiseReason(path, error == ENOENT ? danglingText(path) : SystemErrorString(error));
        }
        if (!S_ISREG(st.st_mode)) {
            if (namedBy == TNamedBy::User)
                raiseReason(path, Format(u"Это ссылка на %s \"%s\", а не на обычный файл.", {FileKindName(st.st_mode), file}));
            // A data file's name that leads to no file of data at all (a FIFO, a device) is the
            // program's to take: the link itself is replaced, and nothing where it leads is touched.
            target.open(path);
            if (::fstatat(target.m_dir, target.m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode))
                target.changed();
        }
    } else if (!S_ISREG(st.st_mode) && namedBy == TNamedBy::User) {
        raiseReason(path, NotRegularFileText(st.st_mode));
    }
    target.take(st);
    return target;
}

TWriteTarget TWriteTarget::held(const QString &path, int fd)
{
    TWriteTarget target;
    target.m_path = path;
    target.open(path);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        raise(path, errno);
    target.take(st);
    return target;
}

TWriteTarget TWriteTarget::inFolder(int folder, const QString &folderPath, const QString &name)
{
    TWriteTarget target;
    target.m_path = QDir(folderPath).filePath(name);
    target.m_folderPath = folderPath;
    target.m_name = QFile::encodeName(name);
    target.m_dir = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (target.m_dir < 0)
        raise(target.m_path, errno);
    struct stat st {};
    if (::fstatat(target.m_dir, target.m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        target.take(st);
    else if (errno != ENOENT)
        raise(target.m_path, errno);
    return target;
}

std::optional<mode_t> TWriteTarget::oldMode() const
{
    if (m_existed && S_ISREG(m_mode))
        return m_mode & 07777;
    return std::nullopt;
}

void TWriteTarget::changed() const
{
    raiseReason(m_path, u"Пока файл записывался, под его именем оказался другой файл; запись отменена, "
                        u"оба файла оставлены как были."_s);
}

void TWriteTarget::confirm() const
{
    struct stat st {};
    if (::fstatat(m_dir, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            raise(m_path, errno);
        if (m_existed)
            changed();
        return;
    }
    if (!m_existed || st.st_dev != m_dev || st.st_ino != m_ino || (st.st_mode & S_IFMT) != (m_mode & S_IFMT))
        changed();
}

void TWriteTarget::replaceWith(const QByteArray &tempName) const
{
    confirm();
    int result = 0;
    if (m_existed) {
        result = ::renameat(m_dir, tempName.constData(), m_dir, m_name.constData());
    } else {
        // Nothing stood under the name: nothing may be replaced either.
        result = ::renameat2(m_dir, tempName.constData(), m_dir, m_name.constData(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS))
            result = ::renameat(m_dir, tempName.constData(), m_dir, m_name.constData());
        else if (result != 0 && errno == EEXIST)
            changed();
    }
    if (result != 0)
        raise(m_path, errno);
    ::fsync(m_dir);
}

// ---- The temporary file ----

TExclusiveTempFile::TExclusiveTempFile(TWriteTarget target, int fd, QByteArray name)
    : m_target(std::move(target)), m_fd(fd), m_name(std::move(name))
{
    m_path = QDir(m_target.folderPath()).filePath(QFile::decodeName(m_name));
}

TExclusiveTempFile::TExclusiveTempFile(TExclusiveTempFile &&other) noexcept
    : m_target(std::move(other.m_target)), m_fd(other.m_fd), m_name(std::move(other.m_name)),
      m_path(std::move(other.m_path)), m_done(other.m_done)
{
    other.m_fd = -1;
    other.m_done = true;
}

TExclusiveTempFile::~TExclusiveTempFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_done && m_target.folder() >= 0)
        ::unlinkat(m_target.folder(), m_name.constData(), 0);
}

TExclusiveTempFile TExclusiveTempFile::beside(const QString &target, TNamedBy namedBy,
                                              std::optional<QFileDevice::Permissions> permissions)
{
    TWriteTarget where = TWriteTarget::resolve(target, namedBy);
    // The new file keeps the mode of the file it replaces (never that of anything else); a cache file is
    // the program's own and gets the usual mode, so that one rebuilt because it could not be read (mode
    // 000, say) can be read the next time.
    std::optional<mode_t> mode;
    if (permissions)
        mode = modeOf(*permissions);
    else if (namedBy != TNamedBy::Cache)
        mode = where.oldMode();
    return in(std::move(where), mode);
}

TExclusiveTempFile TExclusiveTempFile::in(TWriteTarget where, std::optional<mode_t> mode)
{
    const QString target = where.path();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = where.name() + '.' + randomTag() + QFile::encodeName(QString::fromUtf16(kTempSuffix));
        const int fd = ::openat(where.folder(), name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                mode.value_or(0666));
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            raise(target, errno);
        }
        if (mode)
            ::fchmod(fd, *mode);
        return TExclusiveTempFile(std::move(where), fd, name);
    }
    raise(target, EEXIST);
}

TExclusiveTempFile TExclusiveTempFile::named(const QString &fileName, TWriteTarget target)
{
    const QByteArray name = QFile::encodeName(fileName);
    const QString shown = QDir(target.folderPath()).filePath(fileName);
    // unlinkat removes a link itself, never what it points to.
    if (::unlinkat(target.folder(), name.constData(), 0) != 0 && errno != ENOENT)
        raise(shown, errno);
    const int fd = ::openat(target.folder(), name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        raise(shown, errno);
    return TExclusiveTempFile(std::move(target), fd, name);
}

void TExclusiveTempFile::write(const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(m_fd, data, static_cast<size_t>(size));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            raise(m_target.path(), errno);
        }
        data += done;
        size -= done;
    }
}

void TExclusiveTempFile::truncate()
{
    if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
        raise(m_target.path(), errno);
}

void TExclusiveTempFile::sync()
{
    if (::fsync(m_fd) != 0)
        raise(m_target.path(), errno);
}

void TExclusiveTempFile::rename()
{
    m_target.replaceWith(m_name);
    m_done = true;
}

void TExclusiveTempFile::commit()
{
    sync();
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        raise(m_target.path(), errno);
    rename();
}

int TExclusiveTempFile::commitAndRelease()
{
    sync();
    rename();
    return std::exchange(m_fd, -1);
}

// ---- Folders ----

namespace {

// The folder's name without a trailing "/", which would have a link of that name followed.
QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

} // namespace

int RemoveLeftoverTemporaries(const QString &folder)
{
    // A folder that is a link is never entered (existing() does not open it): what lies where it leads
    // is not ours. A link of a temporary's name goes itself.
    const TCacheFolder opened = TCacheFolder::existing(folder);
    int removed = 0;
    for (const QString &name : opened.fileNames(true))
        if (name.endsWith(QStringView(kTempSuffix)) && opened.remove(name))
            ++removed;
    return removed;
}

ECacheFolderError::ECacheFolderError(const QString &folder, const QString &reason)
    : EInOutError(Format(u"Ошибка создания каталога \"%s\"!\r\r%s", {folder, reason})), m_reason(reason)
{
}

QString CacheFolderProblem(const QString &folder)
{
    const QString name = withoutTrailingSlash(folder);
    struct stat st {};
    if (::lstat(QFile::encodeName(name).constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return {};
    if (S_ISLNK(st.st_mode))
        return Format(u"Каталог \"%s\" является символьной ссылкой на \"%s\": файлы кэша программы через "
                      u"ссылку не записываются и не удаляются. Замените ссылку обычным каталогом.",
                      {name, QFile::symLinkTarget(name)});
    return Format(u"\"%s\" - не каталог, а %s. Удалите или переименуйте его, и каталог будет создан заново.",
                  {name, FileKindName(st.st_mode)});
}

void EnsureCacheFolder(const QString &folder)
{
    QString reason = CacheFolderProblem(folder);
    if (reason.isEmpty() && !QDir().mkpath(folder)) {
        reason = CacheFolderProblem(folder);
        if (reason.isEmpty())
            reason = SystemErrorString(errno);
    }
    if (!reason.isEmpty()) {
        ECacheFolderError error(withoutTrailingSlash(folder), reason);
        NoteFileWriteFailure(error.message());
        throw error;
    }
}

// ---- Cache folders ----

TCacheFolder::TCacheFolder(TCacheFolder &&other) noexcept : m_fd(other.m_fd), m_path(std::move(other.m_path))
{
    other.m_fd = -1;
}

TCacheFolder::~TCacheFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

TCacheFolder TCacheFolder::existing(const QString &folder)
{
    const QString name = withoutTrailingSlash(folder);
    return TCacheFolder(::open(QFile::encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC),
                        name);
}

TCacheFolder TCacheFolder::open(const QString &folder)
{
    EnsureCacheFolder(folder);
    TCacheFolder opened = existing(folder);
    if (!opened.isOpen()) {
        // Swapped for a link, or gone, since it was made.
        QString reason = CacheFolderProblem(folder);
        if (reason.isEmpty())
            reason = SystemErrorString(errno);
        ECacheFolderError error(opened.path(), reason);
        NoteFileWriteFailure(error.message());
        throw error;
    }
    return opened;
}

TExclusiveTempFile TCacheFolder::create(const QString &name) const
{
    return TExclusiveTempFile::in(TWriteTarget::inFolder(m_fd, m_path, name));
}

void TCacheFolder::write(const QString &name, const QByteArray &data) const
{
    TExclusiveTempFile file = create(name);
    file.write(data);
    file.commit();
}

bool TCacheFolder::remove(const QString &name) const
{
    return m_fd >= 0 && (::unlinkat(m_fd, QFile::encodeName(name).constData(), 0) == 0 || errno == ENOENT);
}

namespace {

// The names in the folder open at the handle, "." and ".." left out.
std::vector<QByteArray> entryNames(int folder)
{
    std::vector<QByteArray> names;
    const int fd = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    ::rewinddir(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool emptyFolder(int folder)
{
    bool removed = true;
    for (const QByteArray &name : entryNames(folder)) {
        struct stat st {};
        if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            const int sub = ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0 || !emptyFolder(sub))
                removed = false;
            if (sub >= 0)
                ::close(sub);
            if (::unlinkat(folder, name.constData(), AT_REMOVEDIR) != 0)
                removed = false;
        } else if (::unlinkat(folder, name.constData(), 0) != 0 && errno != ENOENT) {
            removed = false;
        }
    }
    return removed;
}

} // namespace

TCacheFolder TCacheFolder::subfolder(const QString &relative) const
{
    QString path = m_path;
    int fd = m_fd >= 0 ? ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0) : -1;
    for (const QString &part : relative.split(u'/', Qt::SkipEmptyParts)) {
        if (fd < 0)
            break;
        if (part == u"."_s || part == u".."_s) { // never out of this folder
            ::close(fd);
            fd = -1;
            break;
        }
        const int next = ::openat(fd, QFile::encodeName(part).constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
        path += u'/' + part;
    }
    return TCacheFolder(fd, path);
}

bool TCacheFolder::removeAll() const
{
    return m_fd >= 0 && emptyFolder(m_fd);
}

QStringList TCacheFolder::fileNames(bool withLinks) const
{
    QStringList names;
    if (m_fd < 0)
        return names;
    for (const QByteArray &name : entryNames(m_fd)) {
        struct stat st {};
        if (::fstatat(m_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISREG(st.st_mode) || (withLinks && S_ISLNK(st.st_mode))))
            names << QFile::decodeName(name);
    }
    names.sort();
    return names;
}
