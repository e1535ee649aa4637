#include "online/UpdateFiles.h"

#include "common/Exception.h"
#include "common/FileProcs.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <numeric>
#include <optional>
#include <sys/file.h>
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

// Takes the program's folder for one install or the roll-back of one, as long as the folder stays open
// (its copies included); false while another copy of the program holds it.
bool lockForInstall(const TCacheFolder &program)
{
    int result = 0;
    do
        result = ::flock(program.handle(), LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0 || (errno != EWOULDBLOCK && errno != EAGAIN);
}

// A path a record may hold: relative, inside the program's folder, no control characters, and its
// bytes the UTF-8 of its text (so that it names the very file it was written for).
bool isRecordedPath(const QString &path)
{
    if (path.isEmpty() || path.startsWith(u'/') || path.contains(u'\\') || path.contains(QChar::ReplacementCharacter))
        return false;
    for (const QString &part : path.split(u'/'))
        if (part.isEmpty() || part == u"."_s || part == u".."_s)
            return false;
    for (QChar c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QByteArray recordName()
{
    return QFile::encodeName(QString::fromUtf16(kInstallRecordName));
}

// The copy of a file cut short ("<name>.XXXXXX.~tmp"): the name it was for.
const QRegularExpression &unfinishedCopy()
{
    static const QRegularExpression pattern(u"^(.+)\\.[0-9A-Za-z]{6}\\.~tmp$"_s);
    return pattern;
}

// The names the planner gives a file's staged copy ("<file>.~upd", "<file>.~upd1", ...) and backup
// ("x.~ext", "x.~~ext", ... of "x.ext"; "Vendra.~", ... of "Vendra"), in the file's folder.
bool isStagedNameOf(const QString &target, const QString &staged)
{
    const QString prefix = target + u".~upd"_s;
    if (!staged.startsWith(prefix))
        return false;
    for (const QChar c : QStringView(staged).mid(prefix.size()))
        if (!c.isDigit())
            return false;
    return true;
}

bool isBackupNameOf(const QString &target, const QString &backup)
{
    const QString name = nameOf(target);
    const qsizetype dot = name.lastIndexOf(u'.');
    // The folder part ("dir/" or nothing) and the name without its extension.
    const QString base = target.left(target.size() - name.size()) + (dot > 0 ? name.left(dot) : name);
    const QString ext = dot > 0 ? name.mid(dot + 1) : QString();
    if (!backup.startsWith(base + u".~"_s) || !backup.endsWith(ext))
        return false;
    const QStringView tildes = QStringView(backup).mid(base.size() + 1, backup.size() - base.size() - 1 - ext.size());
    return !tildes.isEmpty() && std::all_of(tildes.begin(), tildes.end(), [](QChar c) { return c == u'~'; });
}

// A backup's name ("x.~ext", "Vendra.~"): the name of the file it was.
QString backedUpName(const QString &backup)
{
    const qsizetype dot = backup.indexOf(u".~"_s, backup.lastIndexOf(u'/') + 1);
    if (dot <= 0)
        return {};
    qsizetype end = dot + 1;
    while (end < backup.size() && backup.at(end) == u'~')
        ++end;
    return end == backup.size() ? backup.left(dot) : backup.left(dot) + u'.' + backup.mid(end);
}

// What a record says: the steps of an install that did not end, the files an ended one left.
struct InstallRecord {
    std::vector<TInstallStep> steps;
    QStringList left;
};

// The record, when there is one and every line of it is one the install writes: "step", the file,
// its staged copy and its backup, each in the same folder, or "left" and a file, separated by tabs.
// A link, a FIFO, an oversized file or a line of anything else is no record.
bool readRecord(const TCacheFolder &program, InstallRecord &record)
{
    const int fd =
        ::openat(program.handle(), recordName().constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    QByteArray bytes;
    bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= FileBounds::kText;
    if (read) {
        char buffer[65536];
        ssize_t got = 0;
        while (read && (got = ::read(fd, buffer, sizeof buffer)) > 0)
            read = bytes.append(buffer, got).size() <= FileBounds::kText;
        read = read && got == 0;
    }
    ::close(fd);
    if (!read)
        return false;
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (const QByteArray &line : lines) {
        const QString text = QString::fromUtf8(line);
        if (text.toUtf8() != line)
            return false;
        const QStringList fields = text.split(u'\t');
        for (qsizetype i = 1; i < fields.size(); ++i)
            if (!isRecordedPath(fields[i]))
                return false;
        // Only what the install names so: a file of the user's is never one of its steps.
        if (fields.size() == 4 && fields[0] == u"step"_s && !IsUserDataFile(fields[1]) &&
            isStagedNameOf(fields[1], fields[2]) && isBackupNameOf(fields[1], fields[3]))
            record.steps.push_back({fields[1], fields[2], fields[3]});
        else if (fields.size() == 2 && fields[0] == u"left"_s && !backedUpName(fields[1]).isEmpty() &&
                 !IsUserDataFile(backedUpName(fields[1])))
            record.left << fields[1];
        else
            return false;
    }
    return true;
}

void writeRecord(const QString &programFolder, const QByteArray &bytes)
{
    // Written whole; a link of its name is replaced, never followed.
    TExclusiveTempFile file = TExclusiveTempFile::beside(
        QDir(programFolder).filePath(QString::fromUtf16(kInstallRecordName)), TNamedBy::Cache);
    file.write(bytes);
    file.commit();
}

bool isRegularIn(const TCacheFolder &folder, const QString &name)
{
    struct stat st {};
    return ::fstatat(folder.handle(), QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(st.st_mode);
}

// True when nothing has the name in the folder (a folder still to be made holds nothing); else
// error tells why (EEXIST when something has it).
bool isFreeIn(const TCacheFolder &folder, const QString &name, int &error)
{
    struct stat st {};
    if (!folder.isOpen())
        return true;
    error =
        ::fstatat(folder.handle(), QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? EEXIST : errno;
    return error == ENOENT;
}

// Removes the regular file of that name; false when it is there and stays.
bool removeRegularIn(const TCacheFolder &folder, const QString &name)
{
    return !isRegularIn(folder, name) || folder.remove(name);
}

// Why the update cannot use the name in the folder open at the handle as a folder of its own: it is
// a link, or no folder. Empty for a folder and for nothing at all.
QString folderNameProblem(int folder, const QString &name, const QString &path, struct stat &st)
{
    if (::fstatat(folder, QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
        return {};
    if (S_ISLNK(st.st_mode))
        return Format(u"Каталог \"%s\" - символьная ссылка на \"%s\": через ссылку обновление не "
                      u"устанавливается и ничего в ней не удаляет. Удалите или переименуйте ссылку и повторите "
                      u"установку.",
                      {shownPath(path), QFile::symLinkTarget(path)});
    return Format(u"\"%s\" - не каталог, а %s: обновление его не использует. Удалите или переименуйте его и "
                  u"повторите установку.",
                  {shownPath(path), FileKindName(st.st_mode)});
}

// Why files cannot go into that folder (a path relative to the program's folder): a folder on the way
// is a link or no folder. Empty when each is a folder or missing (then it is made).
QString folderOnTheWayProblem(const TCacheFolder &program, const QString &programFolder, const QString &relative)
{
    std::optional<TCacheFolder> folder(program.subfolder({}));
    QString path = QDir(programFolder).absolutePath();
    for (const QString &part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        struct stat st {};
        if (const QString problem = folderNameProblem(folder->handle(), part, path, st); !problem.isEmpty())
            return problem;
        folder.emplace(folder->subfolder(part));
        if (!folder->isOpen())
            break; // missing: made with the folders below it
    }
    return {};
}

// The first of the names that is free in the folder and no other step's.
QString freeName(const TCacheFolder &folder, const QString &folderPath, const QString &shownFolder,
                 QSet<QString> &taken, const std::function<QString(int)> &candidate)
{
    int error = EEXIST;
    for (int i = 0; i < 100 && (error == EEXIST || error == ENOENT); ++i) {
        const QString name = candidate(i);
        const QString path = folderPath.isEmpty() ? name : folderPath + u'/' + name;
        if (!name.isEmpty() && !taken.contains(path) && isFreeIn(folder, name, error)) {
            taken.insert(path);
            return path;
        }
    }
    throw Exception(Format(u"Ошибка создания файла \"%s\": %s",
                           {shownPath(QDir(shownFolder).filePath(candidate(0))), SystemErrorString(error)}));
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
    if (const QString problem =
            folderNameProblem(program.handle(), QString::fromUtf16(kUpdateWorkFolderName), path, st);
        !problem.isEmpty())
        return problem;
    if (S_ISDIR(st.st_mode) && st.st_uid != ::geteuid())
        return Format(u"Рабочий каталог обновления \"%s\" принадлежит другому пользователю: он не используется и "
                      u"не удаляется. Удалите или переименуйте его и повторите установку.",
                      {shownPath(path)});
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

// ---- The record of an install -----------------------------------------------------------------

std::vector<TInstallStep> PlanInstallSteps(const QString &programFolder, const QStringList &targets)
{
    const TCacheFolder program = openProgramFolder(programFolder);
    if (!program.isOpen())
        throw Exception(
            Format(u"Ошибка открытия каталога \"%s\": %s", {shownPath(programFolder), LastErrorText(false)}));
    QSet<QString> taken(targets.cbegin(), targets.cend());
    taken.insert(QString::fromUtf16(kInstallRecordName));
    std::vector<TInstallStep> steps(static_cast<size_t>(targets.size()));
    QString openPath;
    std::optional<TCacheFolder> open;
    QSet<QString> unfinishedOf;
    // Folder by folder, each looked at once.
    std::vector<qsizetype> order(steps.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&targets](qsizetype a, qsizetype b) { return folderOf(targets[a]) < folderOf(targets[b]); });
    for (const qsizetype index : order) {
        const QString &target = targets[index];
        if (!isRecordedPath(target))
            throw Exception(Format(u"Пакет обновления содержит недопустимый файл \"%s\".", {target}));
        const QString dir = folderOf(target);
        if (!open || dir != openPath) {
            if (const QString problem = folderOnTheWayProblem(program, programFolder, dir); !problem.isEmpty())
                throw Exception(problem);
            open.emplace(program.subfolder(dir));
            openPath = dir;
            // A staged name that a file of its unfinished copy's shape already begins is no staged
            // name: such a file is known for the install's only when the install made it.
            unfinishedOf.clear();
            for (const QString &name : open->fileNames(true))
                if (const QRegularExpressionMatch match = unfinishedCopy().match(name); match.hasMatch())
                    unfinishedOf.insert(match.captured(1));
        }
        const QString name = nameOf(target);
        const QString shownFolder = QDir(programFolder).filePath(dir);
        // The backup as a replaced file is named: "x.~ext", "x.~~ext" ... of "x.ext", "Vendra.~" of "Vendra".
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString base = dot > 0 ? name.left(dot) : name;
        const QString ext = dot > 0 ? name.mid(dot + 1) : QString();
        TInstallStep step{target, {}, {}};
        step.staged = freeName(*open, dir, shownFolder, taken, [&name, &unfinishedOf](int i) -> QString {
            const QString staged = name + u".~upd"_s + (i == 0 ? QString() : QString::number(i));
            return unfinishedOf.contains(staged) ? QString() : staged;
        });
        step.backup = freeName(*open, dir, shownFolder, taken,
                               [&base, &ext](int i) -> QString { return base + u'.' + QString(i + 1, u'~') + ext; });
        steps[static_cast<size_t>(index)] = std::move(step);
    }
    return steps;
}

void RecordInstallSteps(const QString &programFolder, const std::vector<TInstallStep> &steps)
{
    QByteArray bytes;
    for (const TInstallStep &step : steps)
        bytes += "step\t" + step.target.toUtf8() + '\t' + step.staged.toUtf8() + '\t' + step.backup.toUtf8() + '\n';
    writeRecord(programFolder, bytes);
}

void RecordInstallLeftovers(const QString &programFolder, const QStringList &paths)
{
    if (paths.isEmpty()) {
        const TCacheFolder program = openProgramFolder(programFolder);
        if (program.isOpen() && isRegularIn(program, QString::fromUtf16(kInstallRecordName)))
            program.remove(QString::fromUtf16(kInstallRecordName));
        return;
    }
    QByteArray bytes;
    for (const QString &path : paths)
        bytes += "left\t" + path.toUtf8() + '\n';
    writeRecord(programFolder, bytes);
}

void DeleteUpdateLeftovers(const QString &programFolder)
{
    const TCacheFolder program = openProgramFolder(programFolder);
    InstallRecord record;
    // An install under way in another copy of the program holds the folder: its files are its own.
    if (!program.isOpen() || !lockForInstall(program) || !readRecord(program, record))
        return;
    QMap<QString, std::vector<TInstallStep>> steps;
    for (const TInstallStep &step : record.steps)
        steps[folderOf(step.target)].push_back(step);
    QMap<QString, QStringList> left;
    for (const QString &path : record.left)
        left[folderOf(path)] << nameOf(path);
    bool done = true;
    // Each folder is opened without following a link on the way: one that is a link now holds nothing
    // of the install.
    for (auto it = steps.cbegin(); it != steps.cend(); ++it) {
        const TCacheFolder folder = program.subfolder(it.key());
        if (!folder.isOpen())
            continue;
        QSet<QString> staged;
        for (const TInstallStep &step : it.value()) {
            const QByteArray backup = QFile::encodeName(nameOf(step.backup));
            // The replaced file goes back: the install is rolled back as a whole.
            if (isRegularIn(folder, nameOf(step.backup)) &&
                ::renameat(folder.handle(), backup.constData(), folder.handle(),
                           QFile::encodeName(nameOf(step.target)).constData()) != 0)
                done = false;
            done = removeRegularIn(folder, nameOf(step.staged)) && done;
            staged.insert(nameOf(step.staged));
        }
        for (const QString &name : folder.fileNames())
            if (const QRegularExpressionMatch match = unfinishedCopy().match(name);
                match.hasMatch() && staged.contains(match.captured(1)))
                done = folder.remove(name) && done;
    }
    for (auto it = left.cbegin(); it != left.cend(); ++it) {
        const TCacheFolder folder = program.subfolder(it.key());
        if (folder.isOpen())
            for (const QString &name : it.value())
                done = removeRegularIn(folder, name) && done;
    }
    if (done)
        program.remove(QString::fromUtf16(kInstallRecordName));
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
    if (!lockForInstall(program))
        throw Exception(u"Обновление программы уже устанавливает другая её копия. Дождитесь окончания установки и "
                        u"повторите попытку."_s);
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
