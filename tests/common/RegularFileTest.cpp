#include "common/AtomicFile.h"
#include "common/DataFolderLock.h"
#include "common/RegularFile.h"
#include "tests/support/OtherKindFiles.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QString readReason(const QString &path, qint64 bound)
{
    try {
        QByteArray bytes;
        ReadRegularFile(path, bound, bytes);
    } catch (const EFileReadError &e) {
        EXPECT_EQ(e.path(), path);
        EXPECT_TRUE(e.message().startsWith(u"Ошибка чтения файла \"" + path + u"\"!\r\r")) << e.message().toStdString();
        return e.reason();
    }
    return {};
}

} // namespace

TEST(RegularFile, ReadsRegularFilesAndLinksToThemWhole)
{
    TempDataFolder folder;
    folder.write(u"a.bin"_s, QByteArray("\x00\x01\x02rest", 7));
    QByteArray bytes;
    ASSERT_TRUE(ReadRegularFile(folder.file(u"a.bin"_s), 7, bytes));
    EXPECT_EQ(bytes, QByteArray("\x00\x01\x02rest", 7));
    ASSERT_TRUE(QFile::link(folder.file(u"a.bin"_s), folder.file(u"link.bin"_s)));
    ASSERT_TRUE(ReadRegularFile(folder.file(u"link.bin"_s), 100, bytes));
    EXPECT_EQ(bytes.size(), 7);
    folder.write(u"empty"_s, {});
    ASSERT_TRUE(ReadRegularFile(folder.file(u"empty"_s), 0, bytes));
    EXPECT_TRUE(bytes.isEmpty());

    // No file (nor a link to none) is not a failure; a file that must exist is one.
    const int failures = FileReadFailureCount();
    EXPECT_FALSE(ReadRegularFile(folder.file(u"missing"_s), 100, bytes));
    ASSERT_TRUE(QFile::link(folder.file(u"nowhere"_s), folder.file(u"dangling"_s)));
    EXPECT_FALSE(ReadRegularFile(folder.file(u"dangling"_s), 100, bytes));
    EXPECT_EQ(FileReadFailureCount(), failures);
    EXPECT_THROW(ReadRegularFile(folder.file(u"missing"_s), 100), EFileReadError);
    EXPECT_EQ(FileReadFailureCount(), failures + 1);
}

TEST(RegularFile, FifosDevicesFoldersAndOversizedFilesAreRefusedAtOnce)
{
    TempDataFolder folder;
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file(u"pipe"_s)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, folder.file(u"zero"_s)));
    ASSERT_TRUE(QFile::link(folder.file(u"pipe"_s), folder.file(u"to-pipe"_s)));
    ASSERT_TRUE(QDir().mkdir(folder.file(u"dir"_s)));
    folder.write(u"big"_s, QByteArray(1001, 'x'));

    const int failures = FileReadFailureCount();
    // Nothing waits for a writer: a read held by the FIFO would end the test program at the watch.
    RunWatched([&] {
        EXPECT_EQ(readReason(folder.file(u"pipe"_s), 1000), u"Это не обычный файл, а именованный канал.");
        EXPECT_EQ(readReason(folder.file(u"to-pipe"_s), 1000), u"Это не обычный файл, а именованный канал.");
        EXPECT_EQ(readReason(folder.file(u"zero"_s), 1LL << 40), u"Это не обычный файл, а устройство.");
        EXPECT_EQ(readReason(folder.file(u"dir"_s), 1000), u"Это не обычный файл, а каталог.");
        EXPECT_EQ(readReason(folder.file(u"big"_s), 1000), u"Файл слишком велик: 1001 байт (допускается не более 1000).");
        return QString();
    });
    EXPECT_EQ(FileReadFailureCount(), failures + 5);

    EXPECT_TRUE(IsIrregularFile(folder.file(u"pipe"_s)));
    EXPECT_TRUE(IsIrregularFile(folder.file(u"zero"_s)));
    EXPECT_FALSE(IsIrregularFile(folder.file(u"big"_s)));
    EXPECT_FALSE(IsIrregularFile(folder.file(u"missing"_s)));
}

TEST(RegularFile, AFileTheUserNamedIsWrittenWhereItsLinkLeads)
{
    TempDataFolder folder;
    ASSERT_TRUE(QDir().mkdir(folder.file(u"real"_s)));
    const QString target = folder.file(u"real/draws.csv"_s);
    folder.write(u"real/draws.csv"_s, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(u"real/draws.csv"_s, folder.file(u"link.csv"_s)));
    ASSERT_TRUE(QFile::link(folder.file(u"link.csv"_s), folder.file(u"chain.csv"_s)));

    WriteChosenFile(folder.file(u"link.csv"_s), "new");
    EXPECT_EQ(folder.read(u"real/draws.csv"_s), "new");
    EXPECT_EQ(QFileInfo(folder.file(u"link.csv"_s)).symLinkTarget(), target);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    WriteChosenFile(folder.file(u"chain.csv"_s), "newer");
    EXPECT_EQ(folder.read(u"real/draws.csv"_s), "newer");
    EXPECT_TRUE(QFileInfo(folder.file(u"chain.csv"_s)).isSymLink());
    EXPECT_TRUE(QDir(folder.file(u"real"_s)).entryList({u"*.~tmp"_s}, QDir::Files | QDir::Hidden).isEmpty());
    // A new name, and a plain file, are written under the name itself.
    WriteChosenFile(folder.file(u"fresh.csv"_s), "fresh");
    EXPECT_EQ(folder.read(u"fresh.csv"_s), "fresh");
    // The program's caches are replaced under their name, a link of that name with them.
    WriteNamedFile(TNamedBy::Cache, folder.file(u"link.csv"_s), "own");
    EXPECT_FALSE(QFileInfo(folder.file(u"link.csv"_s)).isSymLink());
    EXPECT_EQ(folder.read(u"real/draws.csv"_s), "newer");

    // Nowhere to write: the reason, and nothing made or changed.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file(u"pipe"_s)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(folder.file(u"pipe"_s), folder.file(u"to-pipe"_s)));
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, folder.file(u"zero"_s)));
    ASSERT_TRUE(QFile::link(folder.file(u"nowhere.csv"_s), folder.file(u"dangling.csv"_s)));
    const auto reason = [&](const QString &name) {
        try {
            WriteChosenFile(folder.file(name), "lost?");
        } catch (const EFileWriteError &e) {
            EXPECT_TRUE(e.message().startsWith(u"Ошибка записи файла \"" + folder.file(name) + u"\"!"));
            return e.reason();
        }
        return u"written"_s;
    };
    EXPECT_EQ(reason(u"dangling.csv"_s), u"Это ссылка на файл \"" + folder.file(u"nowhere.csv"_s) + u"\", которого нет.");
    EXPECT_EQ(reason(u"to-pipe"_s), u"Это ссылка на именованный канал \"" + folder.file(u"pipe"_s) +
                                        u"\", а не на обычный файл.");
    EXPECT_EQ(reason(u"zero"_s), u"Это ссылка на устройство \"/dev/zero\", а не на обычный файл.");
    EXPECT_EQ(reason(u"pipe"_s), u"Это не обычный файл, а именованный канал.");
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"nowhere.csv"_s)));
    EXPECT_TRUE(QFileInfo(folder.file(u"dangling.csv"_s)).isSymLink());
    EXPECT_TRUE(QFileInfo(folder.file(u"to-pipe"_s)).isSymLink());
    EXPECT_TRUE(IsIrregularFile(folder.file(u"pipe"_s)));
    EXPECT_TRUE(QDir(folder.path()).entryList({u"*.~tmp"_s}, QDir::Files | QDir::Hidden | QDir::System).isEmpty());
}

TEST(RegularFile, ALinkSwappedDuringTheWriteNeverLeadsItAnywhereElse)
{
    // Another process swaps the link between a regular file and a FIFO elsewhere while the file is written
    // again and again: each write lands in the regular file or is refused, and the FIFO's folder never changes.
    TempDataFolder folder;
    QTemporaryDir other;
    const QString real = folder.file(u"real.csv"_s), link = folder.file(u"export.csv"_s);
    const QString fifo = QDir(other.path()).filePath(u"pipe"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    folder.write(u"real.csv"_s, "old");
    ASSERT_TRUE(QFile::link(real, link));
    const QString perl = QStandardPaths::findExecutable(u"perl"_s);
    if (perl.isEmpty())
        GTEST_SKIP() << "no perl to swap the link fast enough";
    QProcess swapper;
    swapper.start(perl, {u"-e"_s, u"my ($a, $b, $l) = @ARGV; for (1 .. 300000) { last if -e \"$l.stop\"; "
                                  u"for my $t ($a, $b) { symlink($t, \"$l.new\"); rename(\"$l.new\", $l); } }"_s,
                         real, fifo, link});
    ASSERT_TRUE(swapper.waitForStarted(30000));
    int written = 0;
    for (int i = 0; i < 5000; ++i) {
        try {
            WriteChosenFile(link, QByteArray::number(i));
            ++written;
        } catch (const EFileWriteError &) {
        }
    }
    folder.write(u"export.csv.stop"_s, {});
    ASSERT_TRUE(swapper.waitForFinished(120000));
    EXPECT_TRUE(IsIrregularFile(fifo));
    EXPECT_EQ(QDir(other.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList{u"pipe"_s});
    EXPECT_GT(written, 0);
    RecordProperty("written of 5000", written);
}

TEST(RegularFile, FailuresLeftForTheProgramAreShownOncePerFile)
{
    ResetDeferredFileReadFailures();
    DeferFileReadFailure(u"/a"_s, u"A"_s);
    DeferFileReadFailure(u"/a"_s, u"A again"_s);
    DeferFileReadFailure(u"/b"_s, u"B"_s);
    DeferFileReadFailure(u"/c"_s, u"C"_s);
    MarkFileReadFailureReported(u"/b"_s); // its reader told the user itself
    EXPECT_EQ(TakeDeferredFileReadFailures(), (QStringList{u"A"_s, u"C"_s}));
    DeferFileReadFailure(u"/a"_s, u"A"_s);
    DeferFileReadFailure(u"/b"_s, u"B"_s);
    EXPECT_TRUE(TakeDeferredFileReadFailures().isEmpty());
    ResetDeferredFileReadFailures();
}

TEST(DataFolderLock, OneHolderAtATime)
{
    TempDataFolder folder;
    TDataFolderLock first;
    ASSERT_TRUE(first.lock(folder.path()));
    TDataFolderLock second;
    EXPECT_FALSE(second.lock(folder.path()));
    EXPECT_TRUE(second.heldElsewhere());
    first.unlock();
    EXPECT_TRUE(second.lock(folder.path()));

    TDataFolderLock nowhere;
    EXPECT_FALSE(nowhere.lock(folder.file(u"no-such-folder"_s)));
    EXPECT_FALSE(nowhere.heldElsewhere());
    EXPECT_FALSE(nowhere.errorText().isEmpty());
}
