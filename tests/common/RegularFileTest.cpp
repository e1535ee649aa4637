#include "common/DataFolderLock.h"
#include "common/RegularFile.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(readReason(folder.file(u"pipe"_s), 1000), u"Это не обычный файл, а именованный канал.");
    EXPECT_EQ(readReason(folder.file(u"to-pipe"_s), 1000), u"Это не обычный файл, а именованный канал.");
    EXPECT_EQ(readReason(folder.file(u"zero"_s), 1LL << 40), u"Это не обычный файл, а устройство.");
    EXPECT_EQ(readReason(folder.file(u"dir"_s), 1000), u"Это не обычный файл, а каталог.");
    EXPECT_EQ(readReason(folder.file(u"big"_s), 1000), u"Файл слишком велик: 1001 байт (допускается не более 1000).");
    EXPECT_LT(clock.elapsed(), 2000); // nothing waited for a writer
    EXPECT_EQ(FileReadFailureCount(), failures + 5);

    EXPECT_TRUE(IsIrregularFile(folder.file(u"pipe"_s)));
    EXPECT_TRUE(IsIrregularFile(folder.file(u"zero"_s)));
    EXPECT_FALSE(IsIrregularFile(folder.file(u"big"_s)));
    EXPECT_FALSE(IsIrregularFile(folder.file(u"missing"_s)));
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
