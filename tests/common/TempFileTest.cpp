#include "common/AtomicFile.h"
#include "common/IniFile.h"
#include "common/RegularFile.h"
#include "common/TempFile.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A file outside the data folder that a planted link points to.
struct Outside {
    Outside()
    {
        path = QDir(dir.path()).filePath(u"victim.txt"_s);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("not yours");
    }
    QTemporaryDir dir;
    QString path;
};

} // namespace

TEST(TempFile, ANamedTemporaryNeverWritesThroughAPlantedLink)
{
    TempDataFolder folder;
    Outside outside;
    const QString name = folder.file(u"Vendra.~tmp"_s);
    ASSERT_TRUE(QFile::link(outside.path, name));
    {
        TExclusiveTempFile temp =
            TExclusiveTempFile::named(u"Vendra.~tmp"_s, TWriteTarget::resolve(folder.file(u"Vendra.lsk"_s), TNamedBy::Cache));
        temp.write(QByteArray("kept stakes"));
        temp.commit();
    }
    EXPECT_EQ(readFile(outside.path), "not yours");
    EXPECT_EQ(folder.read(u"Vendra.lsk"_s), "kept stakes");
    EXPECT_FALSE(QFileInfo::exists(name));

    // Given up before the commit, it leaves nothing.
    {
        TExclusiveTempFile temp =
            TExclusiveTempFile::named(u"Vendra.~tmp"_s, TWriteTarget::resolve(folder.file(u"Vendra.lsk"_s), TNamedBy::Cache));
        temp.write(QByteArray("half"));
    }
    EXPECT_FALSE(QFileInfo::exists(name));
}

TEST(TempFile, DataFilesAreWrittenWhereTheirLinkLeadsAndCachesReplaceIt)
{
    TempDataFolder folder;
    Outside outside;
    const QString target = folder.file(u"Vendra.ini"_s);
    ASSERT_TRUE(QFile::link(outside.path, target));
    // A data file is never split in two: the file the link leads to is replaced, the link stays.
    WriteFileAtomically(target, "[GLOBAL]\r\n");
    EXPECT_EQ(readFile(outside.path), "[GLOBAL]\r\n");
    EXPECT_EQ(QFileInfo(target).symLinkTarget(), outside.path);
    EXPECT_EQ(QDir(outside.dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList{u"victim.txt"_s});
    // A cache file under a link's name takes the link's place, and the file elsewhere stays.
    WriteNamedFile(TNamedBy::Cache, target, "[CACHE]\r\n");
    EXPECT_EQ(readFile(outside.path), "[GLOBAL]\r\n");
    EXPECT_FALSE(QFileInfo(target).isSymLink());
    EXPECT_EQ(folder.read(u"Vendra.ini"_s), "[CACHE]\r\n");
    // Only the file itself is left: no temporary beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList{u"Vendra.ini"_s});

    // The file keeps its mode; a new owner-only file is owner-only.
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    WriteFileAtomically(target, "again");
    EXPECT_EQ(QFile::permissions(target) & (QFile::ReadGroup | QFile::ReadOther), QFile::ReadGroup);
    WriteFileAtomically(folder.file(u"p.ini"_s), "x", QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(QFile::permissions(folder.file(u"p.ini"_s)) & (QFile::ReadGroup | QFile::ReadOther), 0);
}

TEST(TempFile, LeftoverTemporariesAreRemovedAndNothingElse)
{
    TempDataFolder folder;
    Outside outside;
    folder.write(u"Vendra.ldr.ab12cd34.~tmp"_s, "half an archive");
    folder.write(u"Vendra.~tmp"_s, "half the stakes");
    folder.write(u"Vendra.ldr"_s, "archive");
    folder.write(u"Vendra.~buff"_s, "buffer");
    ASSERT_TRUE(QFile::link(outside.path, folder.file(u"x.~tmp"_s)));
    ASSERT_TRUE(QDir().mkdir(folder.file(u"kept.~tmp"_s))); // not a file of ours
    EXPECT_EQ(RemoveLeftoverTemporaries(folder.path()), 3);
    QStringList left = QDir(folder.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, (QStringList{u"Vendra.ldr"_s, u"Vendra.~buff"_s, u"kept.~tmp"_s}));
    EXPECT_EQ(readFile(outside.path), "not yours");
    EXPECT_EQ(RemoveLeftoverTemporaries(folder.file(u"no-such-folder"_s)), 0);
    // A cache folder that is a link is not entered: what lies where it leads is not the program's.
    const QString elsewhere = QDir(outside.dir.path()).filePath(u"half.~tmp"_s);
    ASSERT_TRUE(QFile(elsewhere).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(outside.dir.path(), folder.file(u"Prefetchs"_s)));
    EXPECT_EQ(RemoveLeftoverTemporaries(folder.file(u"Prefetchs/"_s)), 0);
    EXPECT_TRUE(QFileInfo::exists(elsewhere));
}

TEST(TempFile, ACacheFolderSwappedForALinkWhileAFileIsWrittenIsNeverWrittenThrough)
{
    TempDataFolder folder;
    Outside outside;
    const TCacheFolder prefetchs = TCacheFolder::open(folder.file(u"Prefetchs/"_s));
    TExclusiveTempFile file = prefetchs.create(u"Vendra_EVEN.dfc"_s);
    file.write(QByteArray("counts"));
    // The folder goes aside and a link to a folder elsewhere takes its name before the file takes its own.
    ASSERT_TRUE(QDir().rename(folder.file(u"Prefetchs"_s), folder.file(u"aside"_s)));
    ASSERT_TRUE(QFile::link(outside.dir.path(), folder.file(u"Prefetchs"_s)));
    file.commit();
    prefetchs.write(u"Vendra_NUMS.dfc"_s, "more counts");
    EXPECT_TRUE(prefetchs.remove(u"victim.txt"_s)); // gone from the folder held, which never had it
    EXPECT_EQ(prefetchs.fileNames(), (QStringList{u"Vendra_EVEN.dfc"_s, u"Vendra_NUMS.dfc"_s}));
    EXPECT_EQ(folder.read(u"aside/Vendra_EVEN.dfc"_s), "counts");
    EXPECT_EQ(QDir(outside.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"victim.txt"_s});
    EXPECT_EQ(readFile(outside.path), "not yours");
    // Opened anew, the link is no folder of the program's.
    EXPECT_THROW(TCacheFolder::open(folder.file(u"Prefetchs"_s)), ECacheFolderError);
    EXPECT_FALSE(TCacheFolder::existing(folder.file(u"Prefetchs"_s)).isOpen());
}

TEST(TempFile, SystemErrorsAreInTheUsersLanguage)
{
    // Whatever the locale (the tests run in the C locale), the reason is the program's Russian, never the
    // C library's English "No such file or directory".
    TempDataFolder folder;
    QString saveMessage;
    QString iniMessage;
    try {
        WriteFileAtomically(folder.file(u"gone/Vendra.ldr"_s), "x");
    } catch (const EInOutError &e) {
        saveMessage = e.message();
    }
    try {
        IniFile ini(folder.file(u"gone/Vendra.ini"_s));
        ini.writeInteger(u"GLOBAL"_s, u"MatrixCols"_s, 7);
        ini.updateFile();
    } catch (const EInOutError &e) {
        iniMessage = e.message();
    }
    EXPECT_TRUE(saveMessage.endsWith(u"Нет такого файла или каталога"_s)) << saveMessage.toStdString();
    EXPECT_TRUE(iniMessage.endsWith(u"Нет такого файла или каталога"_s)) << iniMessage.toStdString();
}
