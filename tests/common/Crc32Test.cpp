#include "common/Crc32.h"
#include "common/Exception.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Bytes (i * 31 + 7) mod 256; their CRC-32 values below were computed with Python's zlib.crc32.
QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    return bytes;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

} // namespace

TEST(Crc32, CheckValuesOfBuffers)
{
    EXPECT_EQ(Crc32Of("abc", 3), 0x352441C2u);
    EXPECT_EQ(Crc32Of("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32Of("", 0), 0u);

    // The running CRC over pieces equals one pass over all the bytes.
    const QByteArray bytes = pattern(100000);
    uint32_t crc = 0xFFFFFFFFu;
    crc = Crc32Update(crc, bytes.constData(), 1);
    crc = Crc32Update(crc, bytes.constData() + 1, 65535);
    crc = Crc32Update(crc, bytes.constData() + 65536, 0);
    crc = Crc32Update(crc, bytes.constData() + 65536, bytes.size() - 65536);
    EXPECT_EQ(~crc, 0x92858800u);
}

TEST(Crc32, FilesAcrossTheChunkBoundary)
{
    QTemporaryDir dir;
    EXPECT_EQ(FileCrc32Hex(writeFile(dir, u"abc.txt"_s, "abc")), u"352441C2");
    EXPECT_EQ(FileCrc32(writeFile(dir, u"empty"_s, {})), 0u);
    EXPECT_EQ(FileCrc32Hex(dir.filePath(u"empty"_s)), u"00000000");
    EXPECT_EQ(FileCrc32(writeFile(dir, u"one.bin"_s, pattern(32768))), 0x7BC368D8u);
    EXPECT_EQ(FileCrc32(writeFile(dir, u"two.bin"_s, pattern(32769))), 0xC415E3A0u);
    EXPECT_EQ(FileCrc32Hex(writeFile(dir, u"big.bin"_s, pattern(100000))), u"92858800");
}

TEST(Crc32, UnreadableFilesRaise)
{
    QTemporaryDir dir;
    EXPECT_THROW(FileCrc32(dir.filePath(u"missing.bin"_s)), EInOutError);
    // A folder opens but cannot be read: it must not pass for an empty file.
    EXPECT_THROW(FileCrc32(dir.path()), EInOutError);
}
