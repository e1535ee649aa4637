#include "common/FileProcs.h"
#include "common/FileProcsDetail.h"

#include "common/BusyCursor.h"
#include "common/Crc32.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace FileProcsDetail;

namespace {

ICopyEngineFs g_systemFs;
ICopyEngineFs *g_fs = nullptr;

// Closes a descriptor and removes an unfinished temporary file, however the copy ends.
struct TempFileGuard {
    int fd = -1;
    QByteArray path;
    bool keep = false;
    ~TempFileGuard()
    {
        if (fd >= 0)
            ::close(fd);
        if (!keep && !path.isEmpty())
            ::unlink(path.constData());
    }
};

struct FdGuard {
    int fd = -1;
    ~FdGuard()
    {
        if (fd >= 0)
            ::close(fd);
    }
};



// The skip text of the first attribute the options ask to skip, or nothing.
QString attributeSkipText(uint32_t attrs, uint32_t options)
{
    if (attrs == INVALID_FILE_ATTRS)
        return {};
    if ((options & QFO_SKIP_READONLY) && (attrs & FILE_ATTR_READONLY))
        return u"Файл имеет атрибут ReadOnly (Только чтение)."_s;
    if ((options & QFO_SKIP_SYSTEM) && (attrs & FILE_ATTR_SYSTEM))
        return u"Файл имеет атрибут System (Системный)."_s;
    if ((options & QFO_SKIP_HIDDEN) && (attrs & FILE_ATTR_HIDDEN))
        return u"Файл имеет атрибут Hidden (Скрытый)."_s;
    return {};
}

// The two paths with the run of leading folders they share replaced by "...".
std::pair<QString, QString> shortenPaths(const QString &a, const QString &b)
{
    const QStringList pa = a.split(u'/');
    const QStringList pb = b.split(u'/');
    qsizetype common = 0;
    // Only folders count: the last part of each path stays.
    while (common < pa.size() - 1 && common < pb.size() - 1 && pa[common] == pb[common])
        ++common;
    if (common < 2) // nothing but the root is shared
        return {a, b};
    auto cut = [common](const QStringList &parts) {
        return (QStringList{u"..."_s} + parts.mid(common)).join(u'/');
    };
    return {cut(pa), cut(pb)};
}

bool wildMatch(QStringView s, QStringView p)
{
    qsizetype si = 0, pi = 0, star = -1, mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == u'?' || (p[pi] != u'*' && p[pi].toCaseFolded() == s[si].toCaseFolded()))) {
            ++si;
            ++pi;
        } else if (pi < p.size() && p[pi] == u'*') {
            star = pi++;
            mark = si;
        } else if (star >= 0) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == u'*')
        ++pi;
    return pi == p.size();
}

QStringList splitMasks(const QString &masks)
{
    QStringList list;
    for (const QString &m : masks.split(u';', Qt::SkipEmptyParts)) {
        const QString t = m.trimmed();
        if (!t.isEmpty())
            list << t;
    }
    if (list.isEmpty())
        list << u"*.*"_s;
    return list;
}

bool askAbort(const TAbortQueryEvent &onAbortQuery)
{
    bool abort = false;
    return QueryAbort(abort, onAbortQuery);
}

QFileInfoList entriesOf(const QString &folder)
{
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                      QDir::Name);
}

bool isRealDir(const QFileInfo &info)
{
    return info.isDir() && !info.isSymLink();
}

// Subfolders, parents first. False when stopped.
bool collectDirs(const QString &folder, TDirList &dirs, const TAbortQueryEvent &onAbortQuery)
{
    for (const QFileInfo &info : entriesOf(folder)) {
        if (askAbort(onAbortQuery))
            return false;
        if (!isRealDir(info))
            continue;
        dirs << info.absoluteFilePath();
        if (!collectDirs(info.absoluteFilePath(), dirs, onAbortQuery))
            return false;
    }
    return true;
}

bool collectFiles(const QString &folder, const QStringList &masks, bool recursive, TQFileList &files,
                  const TAbortQueryEvent &onAbortQuery)
{
    auto matches = [&masks](const QString &name) {
        return std::any_of(masks.begin(), masks.end(), [&name](const QString &m) { return MatchesMask(name, m); });
    };
    for (const QFileInfo &info : entriesOf(folder)) {
        if (askAbort(onAbortQuery))
            return false;
        if (isRealDir(info)) {
            if (!recursive)
                continue;
            if (!collectFiles(info.absoluteFilePath(), masks, recursive, files, onAbortQuery))
                return false;
            // A folder comes after its contents, so that deleting in list order empties it first.
            if (matches(info.fileName()))
                files.add(info.absoluteFilePath(), QFI_DIRECTORY);
        } else if (matches(info.fileName())) {
            files.add(info.absoluteFilePath());
        }
    }
    return true;
}

void endScan(TQTransaction &tr, int found, const QString &foundText, int emptyRule)
{
    TQMsgKind kind = MSG_INFO;
    if (found == 0 && emptyRule == EMPTY_WARNING)
        kind = MSG_WARNING;
    else if (found == 0 && emptyRule == EMPTY_ERROR)
        kind = MSG_ERROR;
    finish(tr, kind, foundText);
}


[[noreturn]] void raiseQfo(const char16_t *pattern, int code)
{
    throw EQfoError(Format(pattern, {errorText(code)}));
}

bool isLockedError(int code)
{
    return code == ETXTBSY || code == EBUSY || code == EACCES || code == EPERM;
}

// Reads exactly count bytes unless the file ends first; -1 on an error.
ssize_t readFull(int fd, char *buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd, buffer + done, count - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

bool writeFull(int fd, const char *buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(fd, buffer + done, count - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (put == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

} // namespace

namespace FileProcsDetail {

QString notFoundFolderText(const QString &dir)
{
    return Format(u"Каталог \"%s\" не найден!", {dir});
}

QByteArray enc(const QString &path)
{
    return QFile::encodeName(path);
}

QString errorText(int code)
{
    return SysErrorText(static_cast<uint32_t>(code), false);
}

bool statOf(const QString &path, struct stat &st)
{
    return ::stat(enc(path).constData(), &st) == 0;
}

QString fileNameOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

void finish(TQTransaction &tr, TQMsgKind kind, const QString &detail)
{
    tr.kind = kind;
    tr.detail = detail;
    tr.endTime = NowDateTime();
}

void reportProgress(const TQfoContext &ctx, int64_t position, int64_t maximum)
{
    if (ctx.onProgress)
        ctx.onProgress(position, maximum);
}

} // namespace FileProcsDetail

// ---- Masks and scans ---------------------------------------------------------------------------

bool MatchesMask(const QString &name, const QString &mask)
{
    if (mask == u"*" || mask == u"*.*")
        return true;
    if (wildMatch(name, mask))
        return true;
    // As on Windows, a name without extension also matches with the dot it does not show.
    return !name.contains(u'.') && wildMatch(QString(name + u'.'), mask);
}

bool MatchesMasks(const QString &name, const QString &masks)
{
    const QStringList list = splitMasks(masks);
    return std::any_of(list.begin(), list.end(), [&name](const QString &m) { return MatchesMask(name, m); });
}

bool FilesExist(const QString &folder, const QString &masks, bool recursive)
{
    const QStringList list = splitMasks(masks);
    for (const QFileInfo &info : entriesOf(folder)) {
        if (isRealDir(info)) {
            if (recursive && FilesExist(info.absoluteFilePath(), masks, true))
                return true;
        } else if (!info.isDir() && MatchesMasks(info.fileName(), masks)) {
            return true;
        }
    }
    return false;
}

TQFileItem TQFileList::item(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_items[static_cast<size_t>(index)];
}

int TQFileList::indexOf(const QString &name) const
{
    for (int i = 0; i < count(); ++i)
        if (m_items[static_cast<size_t>(i)].name == name)
            return i;
    return -1;
}

int TQFileList::add(const QString &name, uint8_t flags)
{
    const int found = indexOf(name);
    if (found >= 0)
        return found;
    m_items.push_back({flags, name});
    return count() - 1;
}

void TQFileList::remove(int index)
{
    if (index >= 0 && index < count())
        m_items.erase(m_items.begin() + index);
}

int TQCopyList::indexOf(const QString &source) const
{
    for (int i = 0; i < count(); ++i)
        if (m_items[static_cast<size_t>(i)].source == source)
            return i;
    return -1;
}

int TQCopyList::add(const QString &source, const QString &target)
{
    const int found = indexOf(source);
    if (found >= 0)
        return found;
    m_items.push_back({source, target});
    return count() - 1;
}

TQTransaction ScanDirectories(const QString &folder, TDirList &dirs, const TQfoContext &ctx)
{
    TQTransaction tr;
    BeginTransaction(Format(u"Просмотр каталога %s", {folder}), tr, ctx.onLog);
    dirs.clear();
    if (!LongDirectoryExists(folder)) {
        finish(tr, MSG_ERROR, notFoundFolderText(folder));
    } else if (!collectDirs(LongExpandFileName(folder), dirs, ctx.onAbortQuery)) {
        finish(tr, MSG_STOP, OperationAbortedText());
    } else {
        endScan(tr, static_cast<int>(dirs.size()), Format(u"Найдено %d каталог(ов).", {dirs.size()}), ctx.emptyRule);
    }
    LogTransactionEnd(tr, ctx.onLog);
    return tr;
}

TQTransaction ScanFiles(const QString &folder, const QString &masks, bool recursive, TQFileList &files,
                        const TQfoContext &ctx)
{
    TQTransaction tr;
    const QString shownMasks = masks.isEmpty() ? u"*.*"_s : masks;
    BeginTransaction(Format(u"Поиск файлов \"%s\" в каталоге \"%s\"", {shownMasks, folder}), tr, ctx.onLog);
    files.clear();
    if (!LongDirectoryExists(folder)) {
        finish(tr, MSG_ERROR, notFoundFolderText(folder));
    } else if (!collectFiles(LongExpandFileName(folder), splitMasks(masks), recursive, files, ctx.onAbortQuery)) {
        finish(tr, MSG_STOP, OperationAbortedText());
    } else {
        endScan(tr, files.count(), Format(u"Найдено %d файл(ов) и (или) каталог(ов).", {files.count()}),
                ctx.emptyRule);
    }
    LogTransactionEnd(tr, ctx.onLog);
    return tr;
}

// ---- Copy engine -------------------------------------------------------------------------------

int ICopyEngineFs::replace(const QString &tempFile, const QString &target)
{
    return ::rename(enc(tempFile).constData(), enc(target).constData()) == 0 ? 0 : errno;
}

void SetCopyEngineFs(ICopyEngineFs *fs)
{
    g_fs = fs;
}

QString LockedFileBackupName(const QString &fileName)
{
    const QString folder = fileName.left(fileName.size() - fileNameOf(fileName).size());
    const QString name = fileNameOf(fileName);
    const qsizetype dot = name.lastIndexOf(u'.');
    // A name without extension (or a leading-dot name) gets its backup ending after the whole name.
    const QString base = dot > 0 ? name.left(dot) : name;
    QString ext = dot > 0 ? name.mid(dot) : u"."_s;
    for (int i = 0; i < 10000; ++i) {
        ext.replace(u"."_s, u".~"_s);
        const QString candidate = folder + base + ext;
        struct stat st{};
        if (::lstat(enc(candidate).constData(), &st) != 0)
            return candidate;
    }
    throw EQfoError(Format(u"Ошибка удаления файла: %s", {errorText(EEXIST)}));
}

int64_t ThrottlePauseMs(int64_t elapsedMs, int loadFactor)
{
    const int factor = std::clamp(loadFactor, 1, 100);
    const double pause = std::round(static_cast<double>(elapsedMs) * 100.0 / factor - static_cast<double>(elapsedMs));
    return pause > 0 ? static_cast<int64_t>(pause) : 0;
}

int64_t CopyFileChunked(const QString &source, const QString &target, uint32_t options, const TQfoContext &ctx)
{
    struct EndReport {
        const TQfoContext &ctx;
        ~EndReport() { reportProgress(ctx, 0, -1); }
    } endReport{ctx};

    const int64_t chunk = static_cast<int64_t>(std::max(1, ctx.chunkSizeKb)) * 1024;
    // Never blocks on a FIFO: only a regular file is copied.
    FdGuard in{::open(enc(source).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (in.fd < 0)
        raiseQfo(u"Ошибка чтения файла: %s", errno);
    struct stat srcStat{};
    if (::fstat(in.fd, &srcStat) != 0)
        raiseQfo(u"Ошибка чтения файла: %s", errno);
    if (S_ISDIR(srcStat.st_mode))
        raiseQfo(u"Ошибка чтения файла: %s", EISDIR);
    if (!S_ISREG(srcStat.st_mode))
        throw EQfoError(Format(u"Ошибка чтения файла: %s", {IrregularHandleReason(in.fd)}));
    const int64_t size = srcStat.st_size;

    int loadFactor = GetLoadFactor(ctx.defaultLoadFactor, ctx.onLoadFactor);
    const bool throttled = loadFactor < 100 && size > chunk &&
                           (IsUncPath(LongExpandFileName(source)) || IsUncPath(LongExpandFileName(target)));

    struct stat oldTarget{};
    const bool targetExisted = statOf(target, oldTarget) && !S_ISDIR(oldTarget.st_mode);

    // The copy goes into a new file beside the target and takes the target's name when complete.
    TempFileGuard temp;
    // Named as every temporary file of the program, so that one left by a killed copy goes at the next
    // start; created exclusively (never through a link of that name).
    temp.path = enc(target + u".XXXXXX.~tmp"_s);
    temp.fd = ::mkostemps(temp.path.data(), 5, O_CLOEXEC);
    if (temp.fd < 0) {
        const int code = errno;
        temp.path.clear();
        raiseQfo(u"Ошибка создания файла: %s", code);
    }

    reportProgress(ctx, 0, 103);
    std::vector<char> buffer(static_cast<size_t>(std::max<int64_t>(1, std::min(chunk, size))));
    int64_t copied = 0;
    int chunks = 0;
    while (copied < size) {
        if (askAbort(ctx.onAbortQuery))
            throw EQfoError(OperationAbortedText());
        QElapsedTimer timer;
        timer.start();
        const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(buffer.size()), size - copied));
        const ssize_t got = readFull(in.fd, buffer.data(), want);
        if (got < 0)
            raiseQfo(u"Ошибка чтения файла: %s", errno);
        if (static_cast<size_t>(got) != want)
            raiseQfo(u"Ошибка чтения файла: %s", EIO);
        if (!writeFull(temp.fd, buffer.data(), want))
            raiseQfo(u"Ошибка записи файла: %s", errno);
        copied += got;
        reportProgress(ctx, static_cast<int64_t>(std::llround(static_cast<double>(copied) * 100.0 / size)), 103);
        if (throttled) {
            const int64_t pause = ThrottlePauseMs(timer.elapsed(), loadFactor);
            if (pause > 0)
                DelayWithMessages(static_cast<int>(pause));
            if (++chunks % 10 == 0)
                loadFactor = GetLoadFactor(loadFactor, ctx.onLoadFactor);
        }
    }

    if (::fsync(temp.fd) != 0)
        raiseQfo(u"Ошибка записи файла: %s", errno);
    struct stat written{};
    if (::fstat(temp.fd, &written) != 0)
        raiseQfo(u"Ошибка записи файла: %s", errno);
    if (copied != size || written.st_size != size)
        throw EQfoError(u"Исходный и конечный файлы отличаются друг от друга!"_s);

    if (options & QFO_COPY_TIMES) {
        const struct timespec times[2] = {srcStat.st_atim, srcStat.st_mtim};
        if (::futimens(temp.fd, times) != 0)
            raiseQfo(u"Ошибка изменения времени создания файла: %s", errno);
    }
    // Permissions: the source's when asked, else those the target had; a new file takes the
    // source's as far as the user's file-creation mask allows, so executables stay executable.
    mode_t mode = srcStat.st_mode & 07777;
    if (!(options & QFO_COPY_ATTRS))
        mode = targetExisted ? oldTarget.st_mode & 07777 : (srcStat.st_mode & 0777) & ~CurrentUmask();
    if (::fchmod(temp.fd, mode) != 0)
        raiseQfo(u"Ошибка изменения атрибутов файла: %s", errno);
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0)
        raiseQfo(u"Ошибка записи файла: %s", errno);
    reportProgress(ctx, 100, 103);

    const QString tempName = QFile::decodeName(temp.path);
    if ((options & QFO_VERIFY) && !SameFileContents(source, tempName, (options & QFO_COPY_TIMES) != 0))
        throw EQfoError(u"Исходный и конечный файлы отличаются друг от друга!"_s);

    ICopyEngineFs &fs = g_fs ? *g_fs : g_systemFs;
    int code = fs.replace(tempName, target);
    if (code != 0 && isLockedError(code) && (options & QFO_REPLACE_LOCKED) && targetExisted) {
        // A target in use is moved aside under its backup name and the copy takes its place.
        const QString backup = LockedFileBackupName(target);
        if (!LongMoveFile(target, backup))
            raiseQfo(u"Ошибка удаления файла: %s", errno);
        code = fs.replace(tempName, target);
        if (code != 0)
            LongMoveFile(backup, target); // the old file keeps its name
    }
    if (code != 0)
        raiseQfo(u"Ошибка создания файла: %s", code);
    temp.keep = true;
    reportProgress(ctx, 101, 103);
    reportProgress(ctx, 102, 103);
    reportProgress(ctx, 103, 103);
    if (ctx.onProgress)
        DelayWithMessages(10);
    return copied;
}

// ---- Checked operations ------------------------------------------------------------------------

namespace {

// Deletes a file without logging the step's begin (the step is the caller's).
void deleteFileStep(const QString &fileName, uint32_t options, TQTransaction &tr)
{
    struct stat st{};
    if (::lstat(enc(fileName).constData(), &st) != 0 || S_ISDIR(st.st_mode)) {
        finish(tr, MSG_ERROR, Format(u"Файл \"%s\" не найден!", {fileName}));
        return;
    }
    const QString skip = attributeSkipText(LongGetFileAttributes(fileName), options);
    if (!skip.isEmpty()) {
        finish(tr, MSG_SKIP, skip);
        return;
    }
    if (!LongDeleteFile(fileName)) {
        finish(tr, MSG_ERROR, errorText(errno));
        return;
    }
    finish(tr, MSG_OK, {});
}

} // namespace

bool CopyOrMoveFile(const QString &source, const QString &target, bool move, uint32_t options,
                    const TQfoContext &ctx, TQTransaction &tr)
{
    const QString src = LongExpandFileName(source);
    QString tgt = target;
    if (tgt.isEmpty() || tgt.endsWith(u'/') || LongDirectoryExists(tgt))
        tgt = joinPath(tgt.isEmpty() ? QDir::currentPath() : tgt, fileNameOf(src));
    tgt = LongExpandFileName(tgt);

    QString text;
    if (fileNameOf(src) == fileNameOf(tgt)) {
        const auto [a, b] = shortenPaths(folderOf(src) + u"/x"_s, folderOf(tgt) + u"/x"_s);
        text = Format(move ? u"Перемещение \"%s\" из \"%s\" в \"%s\"" : u"Копирование \"%s\" из \"%s\" в \"%s\"",
                      {fileNameOf(src), a.chopped(2), b.chopped(2)});
    } else {
        const auto [a, b] = shortenPaths(src, tgt);
        text = Format(move ? u"Перемещение \"%s\" в \"%s\"" : u"Копирование \"%s\" в \"%s\"", {a, b});
    }
    const int loadFactor = GetLoadFactor(ctx.defaultLoadFactor, ctx.onLoadFactor);
    if (loadFactor < 100)
        text += Format(u" [к.н. %d %%]", {loadFactor});
    BeginTransaction(text, tr, ctx.onLog);

    if (TransactionAborted(tr, ctx.onAbortQuery))
        return false;

    std::error_code ec;
    const std::filesystem::path srcPath(enc(src).toStdString()), tgtPath(enc(tgt).toStdString());
    if (src == tgt || (LongFileExists(tgt) && std::filesystem::equivalent(srcPath, tgtPath, ec))) {
        finish(tr, MSG_ERROR, u"Нельзя копировать файл сам в себя!"_s);
        return false;
    }

    struct stat srcStat{};
    if (!statOf(src, srcStat)) {
        finish(tr, MSG_ERROR, Format(u"Ошибка чтения файла: %s", {errorText(errno)}));
        return false;
    }
    QString skip = attributeSkipText(LongGetFileAttributes(src), options);
    if (!skip.isEmpty()) {
        finish(tr, MSG_SKIP, skip);
        return false;
    }

    if (LongFileExists(tgt)) {
        const QString existsText = u"Файл с заданными свойствами уже существует."_s;
        if (!(options & QFO_OVERWRITE)) {
            finish(tr, MSG_SKIP, existsText);
            return false;
        }
        if (options & (QFO_SAME_TIME | QFO_SAME_SIZE | QFO_SAME_CRC)) {
            bool same = true;
            if (options & QFO_SAME_TIME)
                same = same && CompareFileTimes(src, tgt) == 0;
            if (options & QFO_SAME_SIZE)
                same = same && LongFileSize(src) == LongFileSize(tgt);
            if ((options & QFO_SAME_CRC) && same) {
                try {
                    same = FileCrc32(src) == FileCrc32(tgt);
                } catch (const Exception &) {
                    same = false;
                }
            }
            if (same) {
                finish(tr, MSG_SKIP, existsText);
                return false;
            }
        }
        // The target is replaced by a new file, so a read-only target needs no change of its own
        // and keeps its permissions unless the source's are asked for.
        skip = attributeSkipText(LongGetFileAttributes(tgt), options);
        if (!skip.isEmpty()) {
            finish(tr, MSG_SKIP, skip);
            return false;
        }
    }

    const QString tgtFolder = folderOf(tgt);
    if ((options & QFO_CREATE_DIRS) && !LongDirectoryExists(tgtFolder)) {
        bool made = false;
        try {
            made = LongForceDirectories(tgtFolder);
        } catch (const Exception &) {
        }
        if (!made) {
            finish(tr, MSG_ERROR, Format(u"Ошибка создания каталога \"%s\": %s", {tgtFolder, errorText(errno)}));
            return false;
        }
        struct stat folderStat{};
        if ((options & QFO_COPY_ATTRS) && statOf(folderOf(src), folderStat))
            ::chmod(enc(tgtFolder).constData(), folderStat.st_mode & 07777);
    }

    int64_t copied = 0;
    try {
        copied = CopyFileChunked(src, tgt, options, ctx);
    } catch (const Exception &e) {
        finish(tr, MSG_ERROR, e.message());
        return false;
    } catch (const std::exception &e) {
        finish(tr, MSG_ERROR, QString::fromLocal8Bit(e.what()));
        return false;
    }

    if ((options & QFO_ADD_TO_LIST) && ctx.copyList)
        ctx.copyList->add(src, tgt);
    tr.size = copied;
    if (move) {
        TQTransaction del;
        deleteFileStep(src, options & ~(QFO_SKIP_READONLY | QFO_SKIP_SYSTEM | QFO_SKIP_HIDDEN), del);
        if (del.kind != MSG_OK) {
            // The copy is complete and the source is still there: nothing is lost.
            finish(tr, MSG_ERROR, Format(u"Ошибка удаления файла: %s", {del.detail}));
            return false;
        }
    }
    finish(tr, MSG_OK,
           Format(move ? u"Успешно перемещено %n Kb." : u"Успешно скопировано %n Kb.",
                  {static_cast<double>(copied) / 1024.0}));
    return true;
}

bool DeleteFileChecked(const QString &fileName, uint32_t options, const TQfoContext &ctx, TQTransaction &tr)
{
    BeginTransaction(Format(u"Удаление файла \"%s\"", {fileName}), tr, ctx.onLog);
    if (TransactionAborted(tr, ctx.onAbortQuery))
        return false;
    deleteFileStep(fileName, options, tr);
    return tr.kind == MSG_OK;
}

bool DeleteDirectoryChecked(const QString &dir, uint32_t options, const TQfoContext &ctx, TQTransaction &tr)
{
    BeginTransaction(Format(u"Удаление каталога \"%s\"", {dir}), tr, ctx.onLog);
    if (TransactionAborted(tr, ctx.onAbortQuery))
        return false;
    if (!LongDirectoryExists(dir)) {
        finish(tr, MSG_ERROR, notFoundFolderText(dir));
        return false;
    }
    const QString skip = attributeSkipText(LongGetFileAttributes(dir), options);
    if (!skip.isEmpty()) {
        finish(tr, MSG_SKIP, skip);
        return false;
    }
    if ((options & QFO_FLAT) && !IsDirectoryEmpty(dir)) {
        finish(tr, MSG_SKIP, u"Каталог не пустой!"_s);
        return false;
    }
    if (!LongRemoveDirectory(dir)) {
        finish(tr, MSG_ERROR, Format(u"Ошибка удаления каталога \"%s\": %s", {dir, errorText(errno)}));
        return false;
    }
    finish(tr, MSG_OK, {});
    return true;
}

bool CreateDirectoryChecked(const QString &dir, uint32_t options, const TQfoContext &ctx, TQTransaction &tr)
{
    BeginTransaction(Format(u"Создание каталога \"%s\"", {dir}), tr, ctx.onLog);
    if (TransactionAborted(tr, ctx.onAbortQuery))
        return false;
    if (LongDirectoryExists(dir)) {
        finish(tr, MSG_SKIP, u"Каталог уже существует."_s);
        return false;
    }
    const QString full = LongExpandFileName(dir);
    const QString parent = folderOf(full);
    if (!(options & QFO_CREATE_DIRS) && !LongDirectoryExists(parent)) {
        finish(tr, MSG_ERROR, notFoundFolderText(parent));
        return false;
    }
    bool made = false;
    errno = 0;
    try {
        made = (options & QFO_CREATE_DIRS) ? LongForceDirectories(full) : LongCreateDirectory(full);
    } catch (const Exception &) {
    }
    if (!made) {
        finish(tr, MSG_ERROR, Format(u"Ошибка создания каталога \"%s\": %s", {dir, errorText(errno)}));
        return false;
    }
    finish(tr, MSG_OK, {});
    return true;
}
