#include "online/SelfUpdate.h"

#include "common/AtomicFile.h"
#include "common/BlockingWait.h"
#include "common/BusyCursor.h"
#include "common/Cp1251.h"
#include "common/Crc32.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/FileProcs.h"
#include "common/Format.h"
#include "common/IniFile.h"
#include "common/Languages.h"
#include "common/ProcessUtils.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"
#include "online/HttpClient.h"
#include "online/HttpRoutines.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString kGlobalSection = u"GlobalOptions"_s;
const QString kIndexCopyName = u"SelfUpdates.inf"_s;
const QString kNoDescription = u"< Описание обновления не доступно >"_s;
const QString kFileNotFound = u"Файл \"%s\" не найден!"_s;
const QString kBadIndexName = u"Недопустимое имя файла в списке обновлений: \"%s\""_s;

ISelfUpdateUi *g_ui = nullptr;

// Shows nothing and accepts no update: a run without windows only looks.
class NoSelfUpdateUi : public ISelfUpdateUi {
public:
    void showProgress(const QString &, int) override {}
    void stepProgress() override {}
    void closeProgress() override {}
    bool confirmUpdate(const QString &, const TrSU_VerData &, const QStringList &) override { return false; }
};

ISelfUpdateUi &currentUi()
{
    static NoSelfUpdateUi none;
    return g_ui ? *g_ui : none;
}

QStringList listItems(const QString &list)
{
    QStringList items;
    for (const QString &part : list.split(u';')) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            items << name;
    }
    return items;
}

// A bare file name (masks allowed): nothing that leads into another folder.
bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name == u"."_s || name == u".."_s || name.contains(u'/') || name.contains(u'\\'))
        return false;
    for (QChar c : name)
        if (c.unicode() < 0x20)
            return false;
    return true;
}

bool hasWildcards(const QString &name)
{
    return name.contains(u'*') || name.contains(u'?');
}

// The program's own data files, which a list of the index may never name (the user's other files
// are passed over when the list is carried out).
QStringList protectedSamples(const QString &programFile)
{
    QStringList names;
    for (const char16_t *ext : {u".ldr", u".lsk", u".lrt", u".ltb", u".lss", u".ini", u".frm", u".flt"})
        names << QString::fromUtf16(kProgramBaseName) + QString::fromUtf16(ext);
    names << u"Systems"_s << u"Prefetchs"_s;
    if (!programFile.isEmpty())
        names << programFile;
    return names;
}

void checkPlainList(const QString &list, const QStringList &forbidden)
{
    for (const QString &name : listItems(list)) {
        bool bad = !isPlainName(name);
        for (const QString &sample : forbidden)
            bad = bad || MatchesMask(sample, name);
        if (bad)
            throw Exception(Format(kBadIndexName, {name}));
    }
}

void createFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw Exception(Format(u"Ошибка создания каталога \"%s\": %s", {folder, LastErrorText(false)}));
}

// Opens the progress window for its lifetime.
class ProgressScope {
public:
    ProgressScope(ISelfUpdateUi &ui, const QString &text, int steps) : m_ui(ui) { m_ui.showProgress(text, steps); }
    ~ProgressScope() { close(); }
    void step() { m_ui.stepProgress(); }
    void close()
    {
        if (m_open)
            m_ui.closeProgress();
        m_open = false;
    }

private:
    ISelfUpdateUi &m_ui;
    bool m_open = true;
};

// ---- Replacing the program's files ------------------------------------------------------------

struct PlannedFile {
    QString source;
    QString target;
    QString staged;
    QString plannedBackup; // free when planned, and recorded
    QString backup;        // the replaced file, while it is kept
    bool placed = false;
};

// The new files of the work folder go into the program's folder all together or not at all: every
// file is first copied and verified beside its target under a temporary name, then the targets are
// swapped by renaming, the old ones kept under their backup names until all are in place; a failed
// swap puts the old files back.
class FileReplacement {
public:
    FileReplacement(QString workFolder, QString programFolder)
        : m_work(std::move(workFolder)), m_program(std::move(programFolder))
    {
    }
    ~FileReplacement() { discardStaged(); }

    void run()
    {
        plan();
        // Recorded before any file is made: an install stopped half-way is rolled back from the record
        // at the next search, and nothing else is taken for its leftovers.
        RecordInstallSteps(m_program, m_steps);
        try {
            stage();
            swap();
            RecordInstallLeftovers(m_program, existingBackups());
        } catch (...) {
            rollBack();
            discardStaged();
            if (nothingLeft())
                RecordInstallLeftovers(m_program, {});
            throw;
        }
        for (const PlannedFile &f : m_files)
            if (!f.backup.isEmpty())
                QFile::remove(f.backup); // one that cannot go stays recorded for the next search
        try {
            RecordInstallLeftovers(m_program, existingBackups());
        } catch (const std::exception &) {
            // the record names backups that are gone: the next search finds nothing to remove
        }
    }

private:
    void plan()
    {
        QDirIterator it(m_work, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QStringList sources;
        while (it.hasNext()) {
            const QString path = it.next();
            const QFileInfo info = it.fileInfo();
            if (info.isSymLink() || (!info.isDir() && !info.isFile()))
                throw Exception(Format(u"Пакет обновления содержит недопустимый файл \"%s\".",
                                       {QDir(m_work).relativeFilePath(path)}));
            if (info.isFile())
                sources << path;
        }
        sources.sort();
        QStringList sourceOf;
        QStringList targets;
        for (const QString &source : sources) {
            const QString relative = QDir(m_work).relativeFilePath(source);
            if (IsUserDataFile(relative)) {
                PostLogMessage(u"Обновление"_s,
                               Format(u"Файл \"%s\" пакета обновления пропущен: файлы пользователя не заменяются.",
                                      {relative}),
                               MsgKindColor(MSG_WARNING));
                continue;
            }
            if (relative == QString::fromUtf16(kInstallRecordName))
                continue; // the update's own record, never a package's file
            const QString target = m_program + relative;
            if (QFileInfo(target).isFile() && SameFileContents(source, target, false))
                continue;
            sourceOf << source;
            targets << relative;
        }
        m_steps = PlanInstallSteps(m_program, targets);
        for (qsizetype i = 0; i < sourceOf.size(); ++i) {
            const TInstallStep &step = m_steps[static_cast<size_t>(i)];
            m_files.push_back({sourceOf[i], m_program + step.target, m_program + step.staged,
                               m_program + step.backup, {}, false});
        }
    }

    QStringList existingBackups() const
    {
        QStringList paths;
        for (const PlannedFile &f : m_files)
            if (!f.backup.isEmpty() && QFileInfo(f.backup).isFile())
                paths << f.backup.mid(m_program.size());
        return paths;
    }

    bool nothingLeft() const
    {
        for (const PlannedFile &f : m_files)
            if (QFileInfo::exists(f.staged) || (!f.backup.isEmpty() && QFileInfo::exists(f.backup)))
                return false;
        return true;
    }

    void stage()
    {
        TQfoContext ctx;
        ctx.chunkSizeKb = 1024;
        for (const PlannedFile &f : m_files) {
            const QString folder = QFileInfo(f.target).absolutePath();
            if (!QDir().mkpath(folder))
                throw Exception(Format(u"Ошибка создания каталога \"%s\": %s", {folder, LastErrorText(false)}));
            if (QFileInfo(f.target).isDir())
                throw Exception(Format(u"Нельзя заменить каталог \"%s\" файлом.", {f.target}));
            try {
                CopyFileChunked(f.source, f.staged, QFO_VERIFY | QFO_COPY_TIMES | QFO_COPY_ATTRS, ctx);
            } catch (const std::exception &e) {
                throw Exception(Format(u"Копирование \"%s\" в \"%s\" - %s", {f.source, f.target, ExceptionText(e)}));
            }
        }
    }

    void swap()
    {
        for (PlannedFile &f : m_files) {
            if (QFileInfo::exists(f.target)) {
                f.backup = f.plannedBackup;
                if (!LongMoveFile(f.target, f.backup)) {
                    const QString reason = LastErrorText(false);
                    f.backup.clear();
                    rollBack();
                    throw Exception(Format(u"Ошибка замены файла \"%s\": %s", {f.target, reason}));
                }
            }
            if (!LongMoveFile(f.staged, f.target)) {
                const QString reason = LastErrorText(false);
                if (!f.backup.isEmpty())
                    LongMoveFile(f.backup, f.target);
                f.backup.clear();
                rollBack();
                throw Exception(Format(u"Ошибка замены файла \"%s\": %s", {f.target, reason}));
            }
            f.placed = true;
        }
    }

    void rollBack()
    {
        for (auto it = m_files.rbegin(); it != m_files.rend(); ++it) {
            if (!it->placed)
                continue;
            QFile::remove(it->target);
            if (!it->backup.isEmpty())
                LongMoveFile(it->backup, it->target);
            it->placed = false;
            it->backup.clear();
        }
    }

    void discardStaged()
    {
        for (const PlannedFile &f : m_files)
            if (!f.placed)
                QFile::remove(f.staged);
    }

    QString m_work;
    QString m_program;
    std::vector<TInstallStep> m_steps;
    std::vector<PlannedFile> m_files;
};

// ---- The two phases ---------------------------------------------------------------------------

struct SearchOutcome {
    bool found = false;
    int indexKind = 0;
};

QString searchFolder(const TSelfUpdateSettings &settings)
{
    return settings.workFolder.isEmpty() ? settings.programFolder : settings.workFolder;
}

SearchOutcome searchPhase(const QString &source, int langId, const TSelfUpdateSettings &settings, TrSU_VerData &data,
                          QStringList &lines, ProgressScope &progress)
{
    SearchOutcome outcome;
    QElapsedTimer clock;
    clock.start();
    DeleteUpdateLeftovers(settings.programFolder);
    progress.step();
    const QString current = settings.currentVersion;
    const QString index = searchFolder(settings) + kIndexCopyName;
    progress.step();
    outcome.indexKind = FetchUpdateFile(source, index, settings, FileBounds::kUpdateIndex, settings.searchTimeoutMs);
    progress.step();
    ReadUpdateInfo(index, settings.programFile, current, data);
    progress.step();
    outcome.found = VersionBuild(current) < VersionBuild(data.verId) && !data.downloadUrl.isEmpty();
    if (outcome.found) {
        CheckUpdateInfo(data, outcome.indexKind, settings.programFile);
        // The description has what is left of the search's time.
        TSelfUpdateSettings rest = settings;
        rest.searchTimeoutMs = static_cast<int>(std::max<qint64>(settings.searchTimeoutMs - clock.elapsed(), 0));
        LoadUpdateDescription(lines, data, UpdateDescriptionFolder(source), langId, searchFolder(settings), rest);
    }
    progress.step();
    return outcome;
}

// Up to three attempts, all within the package's one deadline; a failed attempt starts the next one,
// a cancel by the user ends the download at once.
void downloadPackage(const TrSU_VerData &data, const QString &package, const TSelfUpdateSettings &settings)
{
    constexpr int kAttempts = 3;
    QElapsedTimer clock;
    clock.start();
    const int deadline = settings.packageTimeoutMs;
    for (int attempt = 1;; ++attempt) {
        try {
            QFile::remove(package);
            const int left = deadline > 0 ? static_cast<int>(std::max<qint64>(deadline - clock.elapsed(), 1)) : 0;
            FetchUpdateFile(data.downloadUrl, package, settings, 256LL * 1024 * 1024, left);
            if (!QFileInfo(package).isFile())
                throw Exception(Format(kFileNotFound, {package}));
            if (!data.checksumCrc32.isEmpty() &&
                FileCrc32Hex(package).compare(data.checksumCrc32.trimmed(), Qt::CaseInsensitive) != 0)
                throw Exception(u"Неверная контрольная сумма скачанного файла."_s);
            return;
        } catch (const std::exception &e) {
            const bool cancelled = IsWaitCancelled(e);
            const bool overDeadline = !cancelled && deadline > 0 && clock.elapsed() >= deadline;
            if (attempt >= kAttempts || overDeadline || cancelled) {
                QFile::remove(package); // a package that failed its check is never run
                if (overDeadline)
                    throw Exception(Format(u"Превышено общее время загрузки пакета обновления (%d мс)", {deadline}));
                throw;
            }
        }
    }
}

void installPhase(const TrSU_VerData &data, const TSelfUpdateSettings &settings, ProgressScope &progress)
{
    const QString folder = settings.programFolder;
    progress.step();
    // Made anew and held: a link or anything else at its name is refused and never entered. It goes,
    // with all it holds, whenever the install ends.
    TUpdateWorkFolder workFolder = TUpdateWorkFolder::create(folder);
    const QString work = workFolder.path();
    const QString package = work + Format(u"SelfUpdate_%s.upd", {data.verId});
    const QString program = work + data.originalFileName;
    progress.step();
    progress.step();
    downloadPackage(data, package, settings);
    progress.step();

    if (!LongMoveFile(package, program))
        throw Exception(LastErrorText(false));
    progress.step();
    if (!QFileInfo(program).isFile())
        throw Exception(Format(kFileNotFound, {program}));
    progress.step();

    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const int exitCode =
        RunAndWait(ProcessCommand{program, {}, work}, settings.programTimeoutSeconds, AbortQuery(), true);
    if (exitCode != 0)
        throw Exception(Format(u"Программа установки \"%s\" завершилась с кодом %d.",
                               {data.originalFileName, exitCode}));
    progress.step();

    for (int failures = 0; QFileInfo::exists(program);) {
        if (QFile::remove(program))
            break;
        if (++failures > 100)
            throw Exception(LastErrorText(false));
        DelayWithMessages(100);
    }
    progress.step();

    if (QDir(work).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        throw Exception(Format(kFileNotFound, {QString(work + u"*.*"_s)}));
    progress.step();

    DeleteFileList(folder, data.globalDeleteBefore);
    DeleteFileList(folder, data.deleteBefore);
    progress.step();
    ExecFileList(work, data.globalExecBefore, settings.programTimeoutSeconds);
    ExecFileList(work, data.execBefore, settings.programTimeoutSeconds);
    progress.step();

    workFolder.confirm();
    FileReplacement(work, folder).run();
    progress.step();

    ExecFileList(work, data.globalExecAfter, settings.programTimeoutSeconds);
    ExecFileList(work, data.execAfter, settings.programTimeoutSeconds);
    progress.step();
    DeleteFileList(folder, data.globalDeleteAfter);
    DeleteFileList(folder, data.deleteAfter);
    progress.step();

    workFolder.remove();
}

} // namespace

// ---- Settings ---------------------------------------------------------------------------------

TSelfUpdateSettings DefaultSelfUpdateSettings()
{
    TSelfUpdateSettings settings;
    // New program files go beside the executable; the data folder (VENDRA_HOME) holds the user's files.
    settings.programFolder = GetExecutableFolder();
    settings.workFolder = GetProgramFolder();
    settings.programFile = QFileInfo(GetProgramFileName()).fileName();
    settings.currentVersion = GetProgramVersion();
    return settings;
}

TUpdateServerConfig ReadUpdateServerConfig(const QString &iniFileName)
{
    const IniFile ini(iniFileName);
    TUpdateServerConfig config;
    config.url = ini.readString(u"UPDATE"_s, u"Url"_s).trimmed();
    if (config.url.isEmpty())
        config.url = QString::fromUtf16(kDefaultUpdateUrl);
    config.caFile = ini.readString(u"UPDATE"_s, u"CaFile"_s).trimmed();
    return config;
}

void SetSelfUpdateUi(ISelfUpdateUi *ui)
{
    g_ui = ui;
}

// ---- Versions and sources ---------------------------------------------------------------------

QString GetProgramVersion()
{
    QStringList parts = QString::fromLatin1(VENDRA_VERSION).split(u'.');
    while (parts.size() < 4)
        parts << u"0"_s;
    return parts.join(u'.');
}

int VersionBuild(QStringView text)
{
    static const QRegularExpression separators(u"[,\\-._]"_s);
    const QStringList words = text.toString().split(separators);
    if (words.size() < 4)
        return 0;
    bool ok = false;
    const int build = words[3].trimmed().toInt(&ok);
    return ok ? build : 0;
}

int UpdateSourceKind(QStringView source)
{
    return source.startsWith(u"http://", Qt::CaseInsensitive) || source.startsWith(u"https://", Qt::CaseInsensitive)
               ? 0
               : 1;
}

int FetchUpdateFile(const QString &source, const QString &target, const TSelfUpdateSettings &settings, qint64 maxBytes,
                    int totalTimeoutMs)
{
    const int kind = UpdateSourceKind(source);
    const QString folder = QFileInfo(target).absolutePath();
    createFolder(folder);
    if (kind == 0) {
        if (!IsHttpsUrl(source))
            throw Exception(Format(u"Обновления загружаются только по защищённому соединению (https): \"%s\"",
                                   {source}));
        THttpClient client;
        client.setConnectTimeout(settings.connectTimeoutMs);
        client.setReadTimeout(settings.readTimeoutMs);
        client.setTotalTimeout(totalTimeoutMs);
        client.setCaFile(settings.caFile);
        client.setMaxReplySize(maxBytes);
        client.getToFile(source, target);
    } else {
        // Kept as a download is: whatever has the target's name (a link to a folder or a file elsewhere)
        // is replaced, never followed.
        CopySourceFile(source, target, maxBytes);
    }
    return kind;
}

void ReadUpdateInfo(const QString &indexFile, const QString &section, const QString &currentVersion,
                    TrSU_VerData &data)
{
    const IniFile ini(indexFile, FileBounds::kUpdateIndex);
    if (ini.unreadable())
        throw Exception(FileReadErrorText(indexFile, ini.readError()));
    data.verId = ini.readString(section, u"VerId"_s, currentVersion).trimmed();
    data.description = ini.readString(section, u"Description"_s);
    data.downloadUrl = ini.readString(section, u"DownloadUrl"_s).trimmed();
    data.originalFileName = ini.readString(section, u"OriginalFileName"_s).trimmed();
    data.checksumCrc32 = ini.readString(section, u"ChecksumCRC32"_s).trimmed();
    data.globalDeleteAfter = ini.readString(kGlobalSection, u"DeleteAfter"_s);
    data.globalDeleteBefore = ini.readString(kGlobalSection, u"DeleteBefore"_s);
    data.globalExecAfter = ini.readString(kGlobalSection, u"ExecAfter"_s);
    data.globalExecBefore = ini.readString(kGlobalSection, u"ExecBefore"_s);
    data.deleteAfter = ini.readString(section, u"DeleteAfter"_s);
    data.deleteBefore = ini.readString(section, u"DeleteBefore"_s);
    data.execAfter = ini.readString(section, u"ExecAfter"_s);
    data.execBefore = ini.readString(section, u"ExecBefore"_s);
}

void CheckUpdateInfo(const TrSU_VerData &data, int indexKind, const QString &programFile)
{
    static const QRegularExpression versionText(u"^[0-9A-Za-z._-]+$"_s);
    if (!versionText.match(data.verId).hasMatch() || data.verId.contains(u".."_s))
        throw Exception(Format(u"Недопустимый номер версии в списке обновлений: \"%s\"", {data.verId}));
    if (!isPlainName(data.originalFileName) || hasWildcards(data.originalFileName))
        throw Exception(Format(kBadIndexName, {data.originalFileName}));
    if (UpdateSourceKind(data.downloadUrl) == 0) {
        if (!IsHttpsUrl(data.downloadUrl))
            throw Exception(Format(u"Обновления загружаются только по защищённому соединению (https): \"%s\"",
                                   {data.downloadUrl}));
    } else if (indexKind == 0) {
        throw Exception(Format(u"Пакет обновления должен загружаться с сервера обновлений: \"%s\"",
                               {data.downloadUrl}));
    }
    const QStringList forbidden = protectedSamples(programFile);
    for (const QString *list : {&data.globalDeleteBefore, &data.deleteBefore, &data.globalDeleteAfter,
                                &data.deleteAfter})
        checkPlainList(*list, forbidden);
    for (const QString *list : {&data.globalExecBefore, &data.execBefore, &data.globalExecAfter, &data.execAfter})
        checkPlainList(*list, {});
}

QString UpdateDescriptionFolder(const QString &source)
{
    if (UpdateSourceKind(source) == 0)
        return ExtractUrlPath(source) + u"UpdDescr/"_s;
    return QFileInfo(source).absolutePath() + u"/UpdDescr/"_s;
}

void LoadUpdateDescription(QStringList &lines, const TrSU_VerData &data, const QString &descrFolder, int langId,
                           const QString &localFolder, const TSelfUpdateSettings &settings)
{
    const QString local = localFolder + Format(u"UpdDescr_%s.txt", {data.verId});
    QFile::remove(local); // never show an old copy for a description that did not come
    QStringList names;
    if (langId != 0)
        names << Format(u"UpdDescr_%s_%s.txt", {GetLanguageAbbrev(langId), data.verId})
              << Format(u"UpdDescr_%d_%s.txt", {langId, data.verId});
    names << Format(u"UpdDescr_%s.txt", {data.verId});
    lines.clear();
    QElapsedTimer clock;
    clock.start();
    for (const QString &name : names) {
        const qint64 left = settings.searchTimeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        try {
            FetchUpdateFile(descrFolder + name, local, settings, FileBounds::kText, static_cast<int>(left));
            break;
        } catch (const std::exception &e) {
            if (IsWaitCancelled(e)) // given up by the user: no other name is asked for
                throw;
        }
    }
    QByteArray bytes;
    bool read = false;
    try {
        read = ReadRegularFile(local, FileBounds::kText, bytes);
    } catch (const EFileReadError &) {
    }
    if (read) {
        QString text = DecodeTextFile(bytes);
        text.replace(u"\r\n"_s, u"\n"_s);
        if (text.endsWith(u'\n'))
            text.chop(1);
        lines = text.split(u'\n');
    } else {
        lines = QStringList{kNoDescription};
    }
    QFile::remove(local);
}

// ---- File lists -------------------------------------------------------------------------------

void DeleteFileList(const QString &folder, const QString &list)
{
    const QDir dir(folder);
    for (const QString &name : listItems(list)) {
        if (!isPlainName(name))
            throw Exception(Format(kBadIndexName, {name}));
        const QStringList found = hasWildcards(name)
                                      ? dir.entryList(QDir::Files | QDir::Hidden | QDir::System)
                                      : (QFileInfo(dir.filePath(name)).isFile() ? QStringList{name} : QStringList{});
        for (const QString &file : found) {
            if (!MatchesMask(file, name) || IsUserDataFile(file))
                continue;
            QFile f(dir.filePath(file));
            if (!f.remove())
                throw Exception(Format(u"Ошибка удаления файла \"%s\": %s", {f.fileName(), LastErrorText(false)}));
        }
    }
}

void ExecFileList(const QString &folder, const QString &list, int timeoutSeconds)
{
    for (const QString &name : listItems(list)) {
        if (!isPlainName(name) || hasWildcards(name))
            throw Exception(Format(kBadIndexName, {name}));
        const QString program = QDir(folder).filePath(name);
        if (QFileInfo(program).isFile())
            RunAndWait(ProcessCommand{program, {}, folder}, timeoutSeconds, AbortQuery(), true);
    }
}

// ---- The run ----------------------------------------------------------------------------------

int SelfUpdate(const QString &source, bool silent, int langId)
{
    return SelfUpdate(source, silent, langId, DefaultSelfUpdateSettings());
}

int SelfUpdate(const QString &source, bool silent, int langId, const TSelfUpdateSettings &settings)
{
    ISelfUpdateUi &ui = currentUi();
    int result = suNothing;
    TrSU_VerData data;
    QStringList lines;
    try {
        SearchOutcome outcome;
        {
            BusySection busy;
            ProgressScope progress(ui, u"Поиск доступных обновлений..."_s, 5);
            try {
                outcome = searchPhase(source, langId, settings, data, lines, progress);
            } catch (const std::exception &e) {
                result = suFailed;
                progress.close();
                if (!IsWaitCancelled(e)) {
                    const QString text = Format(u"Ошибка поиска обновлений!\r\r%s", {ExceptionText(e)});
                    if (!silent)
                        ShowErrorBox(text);
                    else if (settings.silentFailure)
                        settings.silentFailure(text);
                }
            }
        }
        if (result == suNothing && !outcome.found && !silent)
            ShowInfoBox(u"Обновлений не найдено!"_s);
        if (result == suNothing && outcome.found && ui.confirmUpdate(settings.currentVersion, data, lines)) {
            BusySection busy;
            ProgressScope progress(ui, Format(u"Загрузка и установка обновления \"%s\"...", {data.verId}), 14);
            try {
                installPhase(data, settings, progress);
                result = suInstalled;
            } catch (const std::exception &e) {
                result = suFailed;
                progress.close();
                if (!IsWaitCancelled(e))
                    ShowErrorBox(Format(u"Ошибка установки обновления!\r\r%s", {ExceptionText(e)}));
            }
        }
        if (result == suInstalled)
            ShowAttentionBox(Format(u"Установка обновления \"%s\" успешно выполнена.\r\r"
                                    u"Для завершения установки необходимо перезапустить программу!",
                                    {data.description}));
    } catch (const std::exception &e) {
        result = suFailed;
        ShowErrorBox(Format(u"Ошибка системы самообновления программы!\r\r%s", {ExceptionText(e)}));
    }
    QFile::remove(searchFolder(settings) + kIndexCopyName);
    return result;
}
