#include "common/Crc32.h"
#include "common/FileProcs.h"
#include "common/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

class FileProcsTest : public ::testing::Test {
protected:
    FileProcsTest() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    ~FileProcsTest() override
    {
        QLocale::setDefault(QLocale::c());
        SetCopyEngineFs(nullptr);
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).path());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }
    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool exists(const QString &name) const { return QFileInfo::exists(path(name)); }
    QStringList names(const QString &folder = {}) const
    {
        return QDir(path(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    static mode_t modeOf(const QString &p)
    {
        struct stat st{};
        ::stat(QFile::encodeName(p).constData(), &st);
        return st.st_mode & 07777;
    }

    QTemporaryDir m_dir;
    TQfoContext m_ctx;
};

// Plays a target that is in use: it cannot be replaced while it holds its name, but it can be renamed.
class LockedTargetFs : public ICopyEngineFs {
public:
    explicit LockedTargetFs(int code = ETXTBSY, bool always = false) : m_code(code), m_always(always) {}
    int replace(const QString &tempFile, const QString &target) override
    {
        ++calls;
        if (m_always || QFileInfo::exists(target))
            return m_code;
        return ICopyEngineFs::replace(tempFile, target);
    }
    int calls = 0;

private:
    int m_code;
    bool m_always;
};

// Fails the first replacements, then works.
class FlakyFs : public ICopyEngineFs {
public:
    explicit FlakyFs(int failures) : m_failures(failures) {}
    int replace(const QString &tempFile, const QString &target) override
    {
        if (m_failures-- > 0)
            return EIO;
        return ICopyEngineFs::replace(tempFile, target);
    }

private:
    int m_failures;
};

} // namespace

TEST(FileMasks, WindowsWildcards)
{
    struct Case {
        const char16_t *name;
        const char16_t *mask;
        bool match;
    };
    const Case cases[] = {
        {u"Vendra", u"*.*", true},        {u"a.txt", u"*.*", true},         {u"a.TXT", u"*.txt", true},
        {u"a.txt.bak", u"*.txt", false},  {u"abc", u"a?c", true},           {u"ac", u"a?c", false},
        {u"abc", u"*.", true},            {u"a.b", u"*.", false},           {u"Vendra", u"Vendra.*", true},
        {u"Vendra.~exe", u"*.~*", true},  {u"Vendra.exe", u"*.~*", false},  {u"Файл.Dat", u"файл.dat", true},
        {u"x", u"", false},               {u"abcabd", u"*abd", true},       {u"abcab", u"*abd", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MatchesMask(QString::fromUtf16(c.name), QString::fromUtf16(c.mask)), c.match)
            << qPrintable(QString::fromUtf16(c.name)) << " ~ " << qPrintable(QString::fromUtf16(c.mask));
    EXPECT_TRUE(MatchesMasks(u"a.lsc"_s, u"*.txt; *.lsc"_s));
    EXPECT_FALSE(MatchesMasks(u"a.lcv"_s, u"*.txt;*.lsc"_s));
    EXPECT_TRUE(MatchesMasks(u"a"_s, {}));
}

TEST_F(FileProcsTest, Wrappers)
{
    EXPECT_THROW(LongForceDirectories({}), EInOutError);
    try {
        LongForceDirectories({});
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.message(), u"Каталог \"\" не найден!");
    }
    EXPECT_TRUE(LongForceDirectories(path(u"a/b/c"_s)));
    EXPECT_TRUE(LongForceDirectories(path(u"a/b/c"_s)));
    EXPECT_TRUE(LongDirectoryExists(path(u"a/b"_s)));
    EXPECT_TRUE(IsDirectoryEmpty(path(u"a/b/c"_s)));
    EXPECT_FALSE(IsDirectoryEmpty(path(u"a"_s)));

    // A long path is nothing special here.
    QString deep = path(QString(120, u'd') + u'/' + QString(120, u'e') + u'/' + QString(120, u'f'));
    ASSERT_GT(deep.size(), 300);
    EXPECT_TRUE(LongForceDirectories(deep));
    write(deep.mid(m_dir.path().size() + 1) + u"/x.txt"_s, "long");
    EXPECT_TRUE(LongFileExists(deep + u"/x.txt"_s));
    EXPECT_TRUE(LongMoveFile(deep + u"/x.txt"_s, deep + u"/y.txt"_s));
    EXPECT_TRUE(LongDeleteFile(deep + u"/y.txt"_s));
    EXPECT_FALSE(LongFileExists(deep + u"/y.txt"_s));

    // A move never overwrites.
    write(u"m1"_s, "one");
    write(u"m2"_s, "two");
    EXPECT_FALSE(LongMoveFile(path(u"m1"_s), path(u"m2"_s)));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(read(u"m2"_s), "two");

    EXPECT_EQ(LongFileOpen(path(u"m1"_s), 3), -1);
    EXPECT_EQ(LongFileOpen(path(u"m1"_s), 0x50), -1);
    const int fd = LongFileOpen(path(u"m1"_s), FOM_READ | FOM_SHARE_DENY_NONE);
    EXPECT_GE(fd, 0);
    ::close(fd);

    EXPECT_EQ(LongFileSize(path(u"m1"_s)), 3);
    EXPECT_EQ(LongFileSize(path(u"none"_s)), -1);
    EXPECT_EQ(LongFileAge(path(u"none"_s)), -1);
    EXPECT_EQ(LongFileAge(path(u"a"_s)), -1);
    EXPECT_EQ(LongGetFileAttributes(path(u"none"_s)), INVALID_FILE_ATTRS);
    EXPECT_TRUE(LongGetFileAttributes(path(u"a"_s)) & FILE_ATTR_DIRECTORY);
    EXPECT_EQ(LongSetFileAttributes(path(u"m1"_s), FILE_ATTR_READONLY), 0);
    EXPECT_TRUE(LongGetFileAttributes(path(u"m1"_s)) & FILE_ATTR_READONLY);
    EXPECT_EQ(LongSetFileAttributes(path(u"m1"_s), FILE_ATTR_NORMAL), 0);
    EXPECT_FALSE(LongGetFileAttributes(path(u"m1"_s)) & FILE_ATTR_READONLY);
    write(u".hidden"_s, "h");
    EXPECT_TRUE(LongGetFileAttributes(path(u".hidden"_s)) & FILE_ATTR_HIDDEN);

    // Times to the second.
    const TDateTime when = EncodeDate(2015, 1, 5) + EncodeTime(10, 20, 30);
    EXPECT_EQ(SetFileLastWriteTime(path(u"m1"_s), when), 0);
    EXPECT_NEAR(GetFileLastWriteTime(path(u"m1"_s)), when, 1.0 / 86400 / 10);
    EXPECT_EQ(SetFileTimes(path(u"m2"_s), when, when + 1.0), 0);
    EXPECT_EQ(CompareFileTimes(path(u"m1"_s), path(u"m2"_s)), -1);
    EXPECT_NE(SetFileLastWriteTime(path(u"none"_s), when), 0);
    EXPECT_THROW(GetFileLastWriteTime(path(u"none"_s)), ESystemError);
}

TEST_F(FileProcsTest, CopyKeepsContentAndPermissions)
{
    const QByteArray content = QByteArray(5000, 'x') + "end";
    const QString src = write(u"src/prog"_s, content);
    ::chmod(QFile::encodeName(src).constData(), 0755);
    std::vector<std::pair<int64_t, int64_t>> progress;
    m_ctx.chunkSizeKb = 1;
    m_ctx.onProgress = [&progress](int64_t pos, int64_t max) { progress.emplace_back(pos, max); };

    TQTransaction tr;
    // A new target without extension is a file, not a folder of that name.
    EXPECT_TRUE(CopyOrMoveFile(src, path(u"dst/Vendra"_s), false, QFO_CREATE_DIRS, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_OK);
    EXPECT_EQ(tr.detail, u"Успешно скопировано 4,89 Kb.");
    EXPECT_EQ(tr.size, content.size());
    EXPECT_EQ(read(u"dst/Vendra"_s), content);
    EXPECT_TRUE(modeOf(path(u"dst/Vendra"_s)) & 0100) << "the executable bit is kept";
    EXPECT_EQ(names(u"dst"_s), QStringList{u"Vendra"_s}) << "no temporary file stays behind";

    ASSERT_GE(progress.size(), 8u);
    EXPECT_EQ(progress.front(), std::make_pair(int64_t(0), int64_t(103)));
    EXPECT_EQ(progress.back(), std::make_pair(int64_t(0), int64_t(-1)));
    EXPECT_EQ(progress[progress.size() - 2], std::make_pair(int64_t(103), int64_t(103)));
    for (size_t i = 2; i + 1 < progress.size(); ++i)
        EXPECT_GE(progress[i].first, progress[i - 1].first);

    // An existing target keeps its own permissions unless the source's are asked for.
    write(u"dst/conf"_s, "old");
    ::chmod(QFile::encodeName(path(u"dst/conf"_s)).constData(), 0600);
    EXPECT_TRUE(CopyOrMoveFile(src, path(u"dst/conf"_s), false, QFO_OVERWRITE, m_ctx, tr));
    EXPECT_EQ(modeOf(path(u"dst/conf"_s)), 0600u);
    EXPECT_TRUE(CopyOrMoveFile(src, path(u"dst/conf"_s), false, QFO_OVERWRITE | QFO_COPY_ATTRS, m_ctx, tr));
    EXPECT_EQ(modeOf(path(u"dst/conf"_s)), 0755u);

    // A folder as the target takes the source's name.
    EXPECT_TRUE(CopyOrMoveFile(src, path(u"dst"_s), false, 0, m_ctx, tr));
    EXPECT_TRUE(CopyOrMoveFile(src, path(u"new/"_s), false, QFO_CREATE_DIRS, m_ctx, tr));
    EXPECT_EQ(read(u"new/prog"_s), content);
    EXPECT_EQ(tr.text, u"Копирование \"prog\" из \".../src\" в \".../new\"");

    // An empty source copies to an empty file.
    write(u"src/empty.txt"_s, {});
    EXPECT_TRUE(CopyOrMoveFile(path(u"src/empty.txt"_s), path(u"dst/e.txt"_s), false, QFO_VERIFY, m_ctx, tr));
    EXPECT_EQ(tr.detail, u"Успешно скопировано 0,00 Kb.");
    EXPECT_TRUE(exists(u"dst/e.txt"_s));
}

TEST_F(FileProcsTest, CopyOntoItselfIsRefused)
{
    const QByteArray content("precious data");
    const QString file = write(u"f.txt"_s, content);
    ASSERT_EQ(::symlink(QFile::encodeName(file).constData(), QFile::encodeName(path(u"link.txt"_s)).constData()), 0);
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(path(u"hard.txt"_s)).constData()), 0);
    for (const QString &target : {file, path(u"link.txt"_s), path(u"hard.txt"_s), path(u"./f.txt"_s)}) {
        TQTransaction tr;
        EXPECT_FALSE(CopyOrMoveFile(file, target, true, QFO_OVERWRITE, m_ctx, tr));
        EXPECT_EQ(tr.kind, MSG_ERROR);
        EXPECT_EQ(tr.detail, u"Нельзя копировать файл сам в себя!");
        EXPECT_EQ(read(u"f.txt"_s), content);
    }
    // Names that differ only in case are two files here.
    TQTransaction tr;
    EXPECT_TRUE(CopyOrMoveFile(file, path(u"F.txt"_s), false, 0, m_ctx, tr));
    EXPECT_EQ(tr.text, u"Копирование \".../f.txt\" в \".../F.txt\"");
    EXPECT_EQ(read(u"F.txt"_s), content);
}

TEST_F(FileProcsTest, ExistingTargets)
{
    const QString src = write(u"a.dat"_s, "same");
    const QString dst = write(u"b.dat"_s, "same");
    const TDateTime when = EncodeDate(2020, 3, 1) + EncodeTime(8, 0, 0);
    SetFileLastWriteTime(src, when);
    SetFileLastWriteTime(dst, when);

    TQTransaction tr;
    EXPECT_FALSE(CopyOrMoveFile(src, dst, false, 0, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_SKIP);
    EXPECT_EQ(tr.detail, u"Файл с заданными свойствами уже существует.");

    EXPECT_FALSE(CopyOrMoveFile(src, dst, false, QFO_OVERWRITE | QFO_SAME_TIME | QFO_SAME_SIZE | QFO_SAME_CRC, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_SKIP);

    write(u"b.dat"_s, "diff");
    SetFileLastWriteTime(dst, when);
    EXPECT_TRUE(CopyOrMoveFile(src, dst, false, QFO_OVERWRITE | QFO_SAME_TIME | QFO_SAME_SIZE | QFO_SAME_CRC, m_ctx, tr))
        << qPrintable(tr.detail);

    // Attribute skips of the source and of the target.
    write(u".hid"_s, "h");
    EXPECT_FALSE(CopyOrMoveFile(path(u".hid"_s), path(u"h2"_s), false, QFO_SKIP_HIDDEN, m_ctx, tr));
    EXPECT_EQ(tr.detail, u"Файл имеет атрибут Hidden (Скрытый).");
    LongSetFileAttributes(dst, FILE_ATTR_READONLY);
    EXPECT_FALSE(CopyOrMoveFile(src, dst, false, QFO_OVERWRITE | QFO_SKIP_READONLY, m_ctx, tr));
    EXPECT_EQ(tr.detail, u"Файл имеет атрибут ReadOnly (Только чтение).");
    // Without the skip a read-only target is replaced and stays read-only.
    write(u"a.dat"_s, "newer");
    EXPECT_TRUE(CopyOrMoveFile(src, dst, false, QFO_OVERWRITE, m_ctx, tr));
    EXPECT_EQ(read(u"b.dat"_s), "newer");
    EXPECT_TRUE(LongGetFileAttributes(dst) & FILE_ATTR_READONLY);
}

TEST_F(FileProcsTest, VerifiedCopyWithTimes)
{
    const QString src = write(u"s.bin"_s, QByteArray(70000, 'q'));
    SetFileLastWriteTime(src, EncodeDate(2014, 7, 1) + EncodeTime(12, 0, 0));
    TQTransaction tr;
    m_ctx.chunkSizeKb = 16;
    EXPECT_TRUE(CopyOrMoveFile(src, path(u"d.bin"_s), false, QFO_VERIFY | QFO_COPY_TIMES, m_ctx, tr));
    EXPECT_EQ(CompareFileTimes(src, path(u"d.bin"_s)), 0);
    EXPECT_TRUE(SameFileContents(src, path(u"d.bin"_s), true));
    EXPECT_EQ(FileCrc32(src), FileCrc32(path(u"d.bin"_s)));
    EXPECT_FALSE(SameFileContents(src, path(u"none"_s), false));
}

TEST_F(FileProcsTest, LockedTargetMovesToItsBackupName)
{
    const QString src = write(u"new/x.exe"_s, "new program");
    write(u"x.exe"_s, "old program");
    LockedTargetFs locked;
    SetCopyEngineFs(&locked);
    TQTransaction tr;

    // Without leave to replace a file in use the copy fails and the old file stays whole.
    EXPECT_FALSE(CopyOrMoveFile(src, path(u"x.exe"_s), false, QFO_OVERWRITE, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_ERROR);
    EXPECT_TRUE(tr.detail.startsWith(u"Ошибка создания файла: ")) << qPrintable(tr.detail);
    EXPECT_EQ(read(u"x.exe"_s), "old program");
    EXPECT_EQ(names(), (QStringList{u"new"_s, u"x.exe"_s}));

    EXPECT_TRUE(CopyOrMoveFile(src, path(u"x.exe"_s), false, QFO_OVERWRITE | QFO_REPLACE_LOCKED, m_ctx, tr));
    EXPECT_EQ(read(u"x.exe"_s), "new program");
    EXPECT_EQ(read(u"x.~exe"_s), "old program");

    write(u"new/x.exe"_s, "newest program");
    EXPECT_TRUE(CopyOrMoveFile(src, path(u"x.exe"_s), false, QFO_OVERWRITE | QFO_REPLACE_LOCKED, m_ctx, tr));
    EXPECT_EQ(read(u"x.exe"_s), "newest program");
    EXPECT_EQ(read(u"x.~~exe"_s), "new program");

    EXPECT_EQ(LockedFileBackupName(path(u"Vendra"_s)), path(u"Vendra.~"_s));
    write(u"Vendra.~"_s, "b");
    EXPECT_EQ(LockedFileBackupName(path(u"Vendra"_s)), path(u"Vendra.~~"_s));
    EXPECT_EQ(LockedFileBackupName(path(u"a.tar.gz"_s)), path(u"a.tar.~gz"_s));
}

TEST_F(FileProcsTest, FailedReplacementKeepsTheOldFile)
{
    const QString src = write(u"new/x.exe"_s, "new program");
    write(u"x.exe"_s, "old program");
    LockedTargetFs locked(EBUSY, true);
    SetCopyEngineFs(&locked);
    TQTransaction tr;
    EXPECT_FALSE(CopyOrMoveFile(src, path(u"x.exe"_s), true, QFO_OVERWRITE | QFO_REPLACE_LOCKED, m_ctx, tr));
    EXPECT_EQ(locked.calls, 2);
    EXPECT_EQ(read(u"x.exe"_s), "old program");
    EXPECT_EQ(read(u"new/x.exe"_s), "new program") << "a failed move keeps its source";
    EXPECT_EQ(names(), (QStringList{u"new"_s, u"x.exe"_s}));
}

TEST_F(FileProcsTest, StoppedCopyLeavesNoPartialFile)
{
    const QString src = write(u"s.bin"_s, QByteArray(10 * 1024, 's'));
    write(u"d.bin"_s, "previous");
    int asked = 0;
    m_ctx.chunkSizeKb = 1;
    m_ctx.onAbortQuery = [&asked](bool &abort) { abort = ++asked > 4; };
    TQTransaction tr;
    EXPECT_FALSE(CopyOrMoveFile(src, path(u"d.bin"_s), true, QFO_OVERWRITE, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_ERROR);
    EXPECT_EQ(tr.detail, u"Операция прервана по команде пользователя или системы!");
    EXPECT_EQ(read(u"d.bin"_s), "previous");
    EXPECT_TRUE(exists(u"s.bin"_s));
    EXPECT_EQ(names(), (QStringList{u"d.bin"_s, u"s.bin"_s}));

    // Asked before the step starts: a STOP step.
    m_ctx.onAbortQuery = [](bool &abort) { abort = true; };
    EXPECT_FALSE(CopyOrMoveFile(src, path(u"e.bin"_s), false, 0, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_STOP);
}

TEST_F(FileProcsTest, MoveAndCopyErrors)
{
    const QString src = write(u"m.txt"_s, "move me");
    TQTransaction tr;
    EXPECT_TRUE(CopyOrMoveFile(src, path(u"sub/m.txt"_s), true, QFO_CREATE_DIRS, m_ctx, tr));
    EXPECT_EQ(tr.detail, u"Успешно перемещено 0,01 Kb.");
    EXPECT_FALSE(exists(u"m.txt"_s));
    EXPECT_EQ(read(u"sub/m.txt"_s), "move me");

    // Without leave to create it a missing target folder is an error, and the source stays.
    EXPECT_FALSE(CopyOrMoveFile(path(u"sub/m.txt"_s), path(u"none/m.txt"_s), true, 0, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_ERROR);
    EXPECT_TRUE(tr.detail.startsWith(u"Ошибка создания файла: ")) << qPrintable(tr.detail);
    EXPECT_TRUE(exists(u"sub/m.txt"_s));

    EXPECT_FALSE(CopyOrMoveFile(path(u"missing.txt"_s), path(u"x.txt"_s), false, 0, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_ERROR);
    EXPECT_FALSE(exists(u"x.txt"_s));
}

TEST_F(FileProcsTest, CheckedDeleteAndCreate)
{
    TQTransaction tr;
    EXPECT_FALSE(DeleteFileChecked(path(u"none"_s), 0, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_ERROR);
    EXPECT_EQ(tr.text, u"Удаление файла \"" + path(u"none"_s) + u'"');
    EXPECT_EQ(tr.detail, u"Файл \"" + path(u"none"_s) + u"\" не найден!");
    write(u".h"_s, "x");
    EXPECT_FALSE(DeleteFileChecked(path(u".h"_s), QFO_SKIP_HIDDEN, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_SKIP);
    EXPECT_TRUE(DeleteFileChecked(path(u".h"_s), 0, m_ctx, tr));
    EXPECT_FALSE(exists(u".h"_s));

    EXPECT_FALSE(CreateDirectoryChecked(path(u"p/q"_s), 0, m_ctx, tr));
    EXPECT_EQ(tr.detail, u"Каталог \"" + path(u"p"_s) + u"\" не найден!");
    EXPECT_TRUE(CreateDirectoryChecked(path(u"p/q"_s), QFO_CREATE_DIRS, m_ctx, tr));
    EXPECT_EQ(tr.text, u"Создание каталога \"" + path(u"p/q"_s) + u'"');
    EXPECT_FALSE(CreateDirectoryChecked(path(u"p/q"_s), 0, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_SKIP);
    EXPECT_EQ(tr.detail, u"Каталог уже существует.");

    EXPECT_FALSE(DeleteDirectoryChecked(path(u"p"_s), QFO_FLAT, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_SKIP);
    EXPECT_EQ(tr.detail, u"Каталог не пустой!");
    EXPECT_FALSE(DeleteDirectoryChecked(path(u"p"_s), 0, m_ctx, tr));
    EXPECT_EQ(tr.kind, MSG_ERROR);
    EXPECT_TRUE(tr.detail.startsWith(u"Ошибка удаления каталога \"" + path(u"p"_s) + u"\": ")) << qPrintable(tr.detail);
    EXPECT_TRUE(DeleteDirectoryChecked(path(u"p/q"_s), 0, m_ctx, tr));
    EXPECT_FALSE(DeleteDirectoryChecked(path(u"p/q"_s), 0, m_ctx, tr));
    EXPECT_EQ(tr.detail, u"Каталог \"" + path(u"p/q"_s) + u"\" не найден!");
}

TEST_F(FileProcsTest, ScansReportWhatTheyFind)
{
    write(u"r/a.txt"_s, "a");
    write(u"r/b.lsc"_s, "b");
    write(u"r/sub/c.txt"_s, "c");
    write(u"r/sub/deeper/Vendra"_s, "v");
    std::vector<QString> log;
    m_ctx.onLog = [&log](int, const QString &text, TQMsgKind, TDateTime) { log.push_back(text); };

    TQFileList files;
    TQTransaction tr = ScanFiles(path(u"r"_s), u"*.txt"_s, true, files, m_ctx);
    EXPECT_EQ(tr.kind, MSG_INFO);
    EXPECT_EQ(files.count(), 2);
    EXPECT_GE(files.indexOf(path(u"r/sub/c.txt"_s)), 0);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], u"Поиск файлов \"*.txt\" в каталоге \"" + path(u"r"_s) + u'"');
    EXPECT_EQ(log[1], log[0] + u" - Найдено 2 файл(ов) и (или) каталог(ов).");

    // Every entry: folders come after what they hold.
    ScanFiles(path(u"r"_s), {}, true, files, m_ctx);
    EXPECT_EQ(files.count(), 6);
    EXPECT_LT(files.indexOf(path(u"r/sub/deeper/Vendra"_s)), files.indexOf(path(u"r/sub/deeper"_s)));
    EXPECT_LT(files.indexOf(path(u"r/sub/deeper"_s)), files.indexOf(path(u"r/sub"_s)));
    EXPECT_EQ(files.item(files.indexOf(path(u"r/sub"_s))).flags, QFI_DIRECTORY);
    EXPECT_EQ(files.item(99).name, QString());

    TDirList dirs;
    EXPECT_EQ(ScanDirectories(path(u"r"_s), dirs, m_ctx).detail, u"Найдено 2 каталог(ов).");
    m_ctx.emptyRule = EMPTY_WARNING;
    EXPECT_EQ(ScanFiles(path(u"r"_s), u"*.none"_s, false, files, m_ctx).kind, MSG_WARNING);
    tr = ScanDirectories(path(u"gone"_s), dirs, m_ctx);
    EXPECT_EQ(tr.kind, MSG_ERROR);
    EXPECT_EQ(tr.detail, u"Каталог \"" + path(u"gone"_s) + u"\" не найден!");

    EXPECT_TRUE(FilesExist(path(u"r"_s), u"*.dat;Vendra"_s, true));
    EXPECT_FALSE(FilesExist(path(u"r"_s), u"*.dat;Vendra"_s, false));
}

TEST_F(FileProcsTest, BatchCopyAndMove)
{
    write(u"src/a.txt"_s, "a");
    write(u"src/Vendra"_s, "exe");
    write(u"src/sub/b.txt"_s, "b");
    TQOperation op;
    CopyFilesByMask(path(u"src"_s), path(u"dst"_s), u"*.*"_s, false, QFO_RECURSIVE | QFO_CREATE_DIRS, m_ctx, op);
    EXPECT_EQ(op.kind, MSG_OK) << qPrintable(op.detail);
    EXPECT_EQ(op.total, 3);
    EXPECT_EQ(op.processed, 3);
    EXPECT_EQ(op.text, u"Копирование \"*.*\" из \"" + path(u"src"_s) + u"\" в \"" + path(u"dst"_s) + u'"');
    EXPECT_EQ(op.detail, u"Всего - 3, обработано - 3 ( 0,00 Kb ), пропущено - 0, предупреждений - 0, ошибок - 0.");
    EXPECT_EQ(read(u"dst/Vendra"_s), "exe");
    EXPECT_EQ(read(u"dst/sub/b.txt"_s), "b");

    // A second run finds every target there.
    CopyFilesByMask(path(u"src"_s), path(u"dst"_s), u"*.txt"_s, false, QFO_RECURSIVE, m_ctx, op);
    EXPECT_EQ(op.total, 2);
    EXPECT_EQ(op.skipped, 2);

    // Flat: every file straight into the target folder.
    CopyFilesByMask(path(u"src"_s), path(u"flat"_s), u"*.txt"_s, false, QFO_RECURSIVE | QFO_FLAT | QFO_CREATE_DIRS,
                    m_ctx, op);
    EXPECT_EQ(names(u"flat"_s), (QStringList{u"a.txt"_s, u"b.txt"_s}));

    // A move removes the folders it has emptied, not the source folder itself.
    CopyFilesByMask(path(u"src"_s), path(u"moved"_s), {}, true, QFO_RECURSIVE | QFO_CREATE_DIRS, m_ctx, op);
    EXPECT_EQ(op.processed, 3);
    EXPECT_TRUE(LongDirectoryExists(path(u"src"_s)));
    EXPECT_TRUE(names(u"src"_s).isEmpty());
    EXPECT_EQ(read(u"moved/sub/b.txt"_s), "b");

    // Nothing to copy from a missing folder.
    m_ctx.emptyRule = EMPTY_ERROR;
    CopyFilesByMask(path(u"gone"_s), path(u"dst"_s), u"*.*"_s, false, 0, m_ctx, op);
    EXPECT_EQ(op.total, 0);
    EXPECT_EQ(op.errors, 0);
    EXPECT_EQ(op.kind, MSG_ERROR);
}

TEST_F(FileProcsTest, BatchRetriesAndStops)
{
    write(u"src/a.txt"_s, "a");
    write(u"src/b.txt"_s, "b");
    FlakyFs flaky(1);
    SetCopyEngineFs(&flaky);
    std::vector<QString> log;
    m_ctx.onLog = [&log](int, const QString &text, TQMsgKind, TDateTime) { log.push_back(text); };
    m_ctx.retries = 2;
    TQOperation op;
    CopyFilesByMask(path(u"src"_s), path(u"dst"_s), u"*.txt"_s, false, QFO_CREATE_DIRS | QFO_RETRY, m_ctx, op);
    EXPECT_EQ(op.processed, 2);
    EXPECT_EQ(op.errors, 0) << "a failure that was retried is not counted";
    EXPECT_EQ(op.kind, MSG_OK);
    ASSERT_EQ(op.steps.size(), 4u); // the scan, the failed try, the retry, the second file
    EXPECT_EQ(op.steps[1].kind, MSG_ERROR);
    EXPECT_TRUE(op.steps[2].text.endsWith(u" (попытка 2)"));
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         u"Во время выполнения операции произошла ошибка! Повторная попытка ( 1 ) будет предпринята "
                         u"через 0 секунд..."_s),
              1);

    // Without retries the error counts; stop on error ends the loop.
    FlakyFs failing(100);
    SetCopyEngineFs(&failing);
    m_ctx.stepOptions = ATO_STOP_ON_ERROR;
    CopyFilesByMask(path(u"src"_s), path(u"dst2"_s), u"*.txt"_s, false, QFO_CREATE_DIRS, m_ctx, op);
    EXPECT_EQ(op.errors, 1);
    EXPECT_EQ(op.kind, MSG_ERROR);
    EXPECT_EQ(op.steps.size(), 2u);
    EXPECT_EQ(names(u"dst2"_s), QStringList{});
    SetCopyEngineFs(nullptr);

    // Stopped by the user between files.
    int asked = 0;
    m_ctx.onAbortQuery = [&asked](bool &abort) { abort = ++asked > 6; };
    m_ctx.stepOptions = 0;
    CopyFilesByMask(path(u"src"_s), path(u"dst3"_s), u"*.txt"_s, false, QFO_CREATE_DIRS, m_ctx, op);
    EXPECT_EQ(op.kind, MSG_STOP);
    EXPECT_EQ(op.detail, u"Операция прервана по команде пользователя или системы!");
}

TEST_F(FileProcsTest, BatchDelete)
{
    write(u"d/a.tmp"_s, "a");
    write(u"d/keep.txt"_s, "k");
    write(u"d/sub/b.tmp"_s, "b");
    write(u"d/x/y/z.tmp"_s, "z");
    std::vector<std::pair<int64_t, int64_t>> progress;
    m_ctx.onProgress = [&progress](int64_t pos, int64_t max) { progress.emplace_back(pos, max); };
    TQOperation op;
    DeleteFilesByMask(path(u"d/*.tmp"_s), QFO_RECURSIVE, m_ctx, op);
    EXPECT_EQ(op.text, u"Удаление \"" + path(u"d/*.tmp"_s) + u'"');
    EXPECT_EQ(op.total, 3);
    EXPECT_EQ(op.processed, 3);
    EXPECT_EQ(read(u"d/keep.txt"_s), "k");
    EXPECT_FALSE(exists(u"d/sub/b.tmp"_s));
    EXPECT_EQ(progress.back(), std::make_pair(int64_t(3), int64_t(3)));

    // The empty folders under the path; a folder that holds a file stays.
    DeleteFilesByMask(path(u"d"_s), QFO_FLAT, m_ctx, op);
    EXPECT_EQ(op.text, u"Удаление пустых каталогов \"" + path(u"d"_s) + u'"');
    EXPECT_EQ(op.total, 3);
    EXPECT_EQ(names(u"d"_s), QStringList{u"keep.txt"_s});

    // Folders left in place.
    write(u"e/f/g.dat"_s, "g");
    DeleteFilesByMask(path(u"e/*.*"_s), QFO_RECURSIVE | QFO_COMMON_ROOT, m_ctx, op);
    EXPECT_EQ(op.processed, 1);
    EXPECT_EQ(op.skipped, 1);
    EXPECT_EQ(op.steps.back().detail, u"Каталог игнорирован");
    EXPECT_TRUE(LongDirectoryExists(path(u"e/f"_s)));

    m_ctx.emptyRule = EMPTY_ERROR;
    DeleteFilesByMask(path(u"gone/*.*"_s), 0, m_ctx, op);
    EXPECT_EQ(op.total, 0);
    EXPECT_EQ(op.kind, MSG_ERROR);
    m_ctx.emptyRule = EMPTY_OK;
    DeleteFilesByMask(path(u"gone/*.*"_s), 0, m_ctx, op);
    EXPECT_EQ(op.kind, MSG_OK);
}

TEST(FileThrottle, PauseFollowsTheLoadFactor)
{
    EXPECT_EQ(ThrottlePauseMs(40, 50), 40);  // half speed: a pause as long as the chunk took
    EXPECT_EQ(ThrottlePauseMs(40, 100), 0);
    EXPECT_EQ(ThrottlePauseMs(40, 25), 120);
    EXPECT_EQ(ThrottlePauseMs(10, 0), 990);  // 0 counts as 1 percent
}
