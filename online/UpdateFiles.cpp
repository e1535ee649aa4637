#include "online/UpdateFiles.h"

#include "common/Exception.h"
#include "common/FileProcs.h"
#include "common/Format.h"
#include "common/Languages.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The program's folder as it really is: the executable's folder may be reached through a link.
TCacheFolder openProgramFolder(const QString &programFolder)
{
    const QString canonical = QFileInfo(programFolder).canonicalFilePath();
    return TCacheFolder::existing(canonical.isEmpty() ? programFolder : canonical);
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

// A path the list may hold: relative, inside the program's folder, no file of the user's.
bool isInstalledPath(const QString &path)
{
    if (path.isEmpty() || path.startsWith(u'/') || path.contains(u'\\'))
        return false;
    for (const QString &part : path.split(u'/')) {
        if (part.isEmpty() || part == u"."_s || part == u".."_s)
            return false;
    }
    for (QChar c : path)
        if (c.unicode() < 0x20)
            return false;
    return !IsUserDataFile(path);
}

// The list of the files updates installed; a link, a FIFO or an oversized file in its place is no list.
QStringList readInstalledList(const TCacheFolder &program)
{
    QStringList paths;
    if (!program.isOpen())
        return paths;
    const int fd =
        ::openat(program.handle(), QFile::encodeName(QString::fromUtf16(kInstalledFilesListName)).constData(),
                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return paths;
    struct stat st {};
    QByteArray bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= FileBounds::kUpdateIndex) {
        char buffer[8192];
        for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0 && bytes.size() <= FileBounds::kUpdateIndex;)
            bytes.append(buffer, got);
    }
    ::close(fd);
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString path = QFile::decodeName(line);
        if (isInstalledPath(path))
            paths << path;
    }
    return paths;
}

bool sameFolder(const struct stat &st, dev_t dev, ino_t ino)
{
    return S_ISDIR(st.st_mode) && st.st_dev == dev && st.st_ino == ino;
}

// Why the work folder's name cannot be used: it is a link, no folder, or another user's folder. Empty
// for a folder of this user's and for nothing at all.
QString workFolderProblem(const TCacheFolder &program, const QString &path)
{
    struct stat st {};
    const QByteArray name = QFile::encodeName(QString::fromUtf16(kUpdateWorkFolderName));
    if (::fstatat(program.handle(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    const QString shown = shownPath(path);
    if (S_ISLNK(st.st_mode))
        return Format(u"Рабочий каталог обновления \"%s\" - символьная ссылка на \"%s\": через ссылку обновление "
                      u"не устанавливается и ничего в ней не удаляет. Удалите или переименуйте ссылку и повторите "
                      u"установку.",
                      {shown, QFile::symLinkTarget(path)});
    if (!S_ISDIR(st.st_mode))
        return Format(u"\"%s\" - не каталог, а %s: рабочий каталог обновления не создан. Удалите или переименуйте "
                      u"его и повторите установку.",
                      {shown, FileKindName(st.st_mode)});
    if (st.st_uid != ::geteuid())
        return Format(u"Рабочий каталог обновления \"%s\" принадлежит другому пользователю: он не используется и "
                      u"не удаляется. Удалите или переименуйте его и повторите установку.",
                      {shown});
    return {};
}

// Removes the folder of that name in the program's folder, open at the handle, with all it holds, once
// the name is checked to still hold that very folder.
bool removeFolderAt(const TCacheFolder &program, const TCacheFolder &folder)
{
    struct stat held {};
    struct stat named {};
    const QByteArray name = QFile::encodeName(QString::fromUtf16(kUpdateWorkFolderName));
    if (!folder.isOpen() || ::fstat(folder.handle(), &held) != 0)
        return false;
    const bool emptied = folder.removeAll();
    if (::fstatat(program.handle(), name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return emptied && errno == ENOENT;
    return emptied && sameFolder(named, held.st_dev, held.st_ino) &&
           ::unlinkat(program.handle(), name.constData(), AT_REMOVEDIR) == 0;
}

} // namespace

bool IsUserDataFile(const QString &relativePath)
{
    const QString path = QDir::cleanPath(relativePath);
    const QString first = path.section(u'/', 0, 0);
    if (first.compare(u"Systems"_s, Qt::CaseInsensitive) == 0 ||
        first.compare(u"Prefetchs"_s, Qt::CaseInsensitive) == 0)
        return true;
    if (path.contains(u'/'))
        return false;
    const QString base = QString::fromUtf16(kProgramBaseName);
    for (const char16_t *ext : {u".ldr", u".lsk", u".lrt", u".ltb", u".lss", u".ini", u".frm", u".flt"})
        if (path.compare(base + QString::fromUtf16(ext), Qt::CaseInsensitive) == 0)
            return true;
    return MatchesMasks(path, u"*.lcv;*.lsc;*.exp;*.flt;"_s + base + u"-*.log;ScriptLog_*.txt"_s);
}

// ---- The program's own files ------------------------------------------------------------------

QStringList ProgramOwnFiles(const QString &programFolder, const QString &programFile)
{
    const QString base = QString::fromUtf16(kProgramBaseName);
    QStringList files{base};
    if (!programFile.isEmpty())
        files << programFile;
    for (const LanguageInfo &language : KnownLanguages()) {
        const QString abbrev = QString::fromUtf16(language.abbrev);
        files << base + u'_' + abbrev + u".lng"_s << HelpFileNameOf(abbrev) << u"help/"_s + HelpFileNameOf(abbrev);
    }
    files << readInstalledList(openProgramFolder(programFolder));
    files.removeDuplicates();
    return files;
}

void RecordInstalledFiles(const QString &programFolder, const QStringList &relativePaths)
{
    QStringList paths = readInstalledList(openProgramFolder(programFolder));
    for (const QString &path : relativePaths)
        if (isInstalledPath(path))
            paths << path;
    paths.removeDuplicates();
    paths.sort();
    QByteArray bytes;
    for (const QString &path : paths)
        bytes += QFile::encodeName(path) + '\n';
    // Written whole; a link of its name is replaced, never followed.
    TExclusiveTempFile list = TExclusiveTempFile::beside(
        QDir(programFolder).filePath(QString::fromUtf16(kInstalledFilesListName)), TNamedBy::Cache);
    list.write(bytes);
    list.commit();
}

// ---- What an install stopped half-way leaves ---------------------------------------------------

bool IsUpdateLeftover(const QString &name, const QStringList &ownFiles,
                      const std::function<bool(const QString &)> &isFile)
{
    // The staged copy of a new file, and that copy cut short.
    if (name.endsWith(u".~upd"_s))
        return ownFiles.contains(name.chopped(5));
    static const QRegularExpression unfinished(u"^(.+)\\.~upd\\.[0-9A-Za-z]{6}\\.~tmp$"_s);
    if (const QRegularExpressionMatch match = unfinished.match(name); match.hasMatch())
        return ownFiles.contains(match.captured(1));
    // The backup of a replaced file: "x.~exe", "x.~~exe" of "x.exe", "Vendra.~" of "Vendra", always
    // beside the file that took its place.
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot + 1 >= name.size() || name.at(dot + 1) != u'~')
        return false;
    qsizetype tail = dot + 1;
    while (tail < name.size() && name.at(tail) == u'~')
        ++tail;
    const QString extension = name.mid(tail);
    const QString replaced = name.left(dot) + (extension.isEmpty() ? QString() : u'.' + extension);
    return ownFiles.contains(replaced) && isFile(replaced);
}

void DeleteUpdateLeftovers(const QString &programFolder, const QString &programFile)
{
    const TCacheFolder program = openProgramFolder(programFolder);
    if (!program.isOpen())
        return;
    // The own files by their folders; each folder is opened without following a link on the way.
    QMap<QString, QStringList> byFolder;
    for (const QString &path : ProgramOwnFiles(programFolder, programFile)) {
        const qsizetype slash = path.lastIndexOf(u'/');
        byFolder[slash < 0 ? QString() : path.left(slash)] << path.mid(slash + 1);
    }
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it) {
        const TCacheFolder folder = it.key().isEmpty() ? program.subfolder({}) : program.subfolder(it.key());
        if (!folder.isOpen())
            continue;
        const auto isFile = [&folder](const QString &name) {
            struct stat st {};
            return ::fstatat(folder.handle(), QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                   S_ISREG(st.st_mode);
        };
        for (const QString &name : folder.fileNames())
            if (IsUpdateLeftover(name, it.value(), isFile))
                folder.remove(name);
    }
}

// ---- The work folder --------------------------------------------------------------------------

TUpdateWorkFolder::TUpdateWorkFolder(TCacheFolder parent, TCacheFolder folder, QString path)
    : m_parent(std::move(parent)), m_folder(std::move(folder)), m_path(std::move(path))
{
    struct stat st {};
    if (m_folder.isOpen() && ::fstat(m_folder.handle(), &st) == 0) {
        m_dev = st.st_dev;
        m_ino = st.st_ino;
    }
}

TUpdateWorkFolder::TUpdateWorkFolder(TUpdateWorkFolder &&other) noexcept
    : m_parent(std::move(other.m_parent)), m_folder(std::move(other.m_folder)), m_path(std::move(other.m_path)),
      m_dev(other.m_dev), m_ino(other.m_ino), m_removed(other.m_removed)
{
    other.m_removed = true;
}

TUpdateWorkFolder::~TUpdateWorkFolder()
{
    removeQuietly();
}

TUpdateWorkFolder TUpdateWorkFolder::create(const QString &programFolder)
{
    const QString path = QDir(programFolder).filePath(QString::fromUtf16(kUpdateWorkFolderName));
    const QString shown = shownPath(path);
    TCacheFolder program = openProgramFolder(programFolder);
    if (!program.isOpen())
        throw Exception(
            Format(u"Ошибка открытия каталога \"%s\": %s", {shownPath(programFolder), LastErrorText(false)}));
    const QByteArray name = QFile::encodeName(QString::fromUtf16(kUpdateWorkFolderName));
    for (int attempt = 0;; ++attempt) {
        if (const QString problem = workFolderProblem(program, path); !problem.isEmpty())
            throw Exception(problem);
        // One left by an install that did not end goes first.
        const TCacheFolder left = program.subfolder(QString::fromUtf16(kUpdateWorkFolderName));
        if (left.isOpen() && !removeFolderAt(program, left))
            throw Exception(Format(u"Ошибка удаления каталога \"%s\": %s", {shown, LastErrorText(false)}));
        if (::mkdirat(program.handle(), name.constData(), 0700) == 0)
            break;
        if (errno != EEXIST || attempt >= 2)
            throw Exception(Format(u"Ошибка создания каталога \"%s\": %s", {shown, LastErrorText(false)}));
    }
    TCacheFolder folder = program.subfolder(QString::fromUtf16(kUpdateWorkFolderName));
    if (!folder.isOpen()) {
        const QString problem = workFolderProblem(program, path);
        throw Exception(problem.isEmpty()
                            ? Format(u"Ошибка создания каталога \"%s\": %s", {shown, LastErrorText(false)})
                            : problem);
    }
    return TUpdateWorkFolder(std::move(program), std::move(folder), path + u'/');
}

void TUpdateWorkFolder::confirm() const
{
    struct stat st {};
    const QByteArray name = QFile::encodeName(QString::fromUtf16(kUpdateWorkFolderName));
    if (!m_folder.isOpen() || ::fstatat(m_parent.handle(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !sameFolder(st, m_dev, m_ino))
        throw Exception(Format(u"Рабочий каталог обновления \"%s\" заменён во время установки: обновление не "
                               u"установлено.",
                               {shownPath(m_path)}));
}

void TUpdateWorkFolder::remove()
{
    if (!removeQuietly())
        throw Exception(Format(u"Ошибка удаления каталога \"%s\": %s", {shownPath(m_path), LastErrorText(false)}));
}

bool TUpdateWorkFolder::removeQuietly()
{
    if (m_removed || !m_folder.isOpen())
        return true;
    m_removed = true; // tried once: what could not go stays
    return removeFolderAt(m_parent, m_folder);
}
