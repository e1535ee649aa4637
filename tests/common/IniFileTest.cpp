#include "common/Cp1251.h"
#include "common/Exception.h"
#include "common/IniFile.h"
#include "common/RegularFile.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(IniFile, ReadsTypedValuesWithDefaults)
{
    IniFile ini;
    ini.setText(u"[GLOBAL]\r\nMatrixCols=7\r\nbad=12x\r\nFlag=1\r\nF=0,25\r\n\r\n[other]\r\nk = v \r\n"_s);
    EXPECT_EQ(ini.readInteger(u"global"_s, u"matrixcols"_s, 5), 7);
    EXPECT_EQ(ini.readInteger(u"GLOBAL"_s, u"bad"_s, 5), 5);
    EXPECT_EQ(ini.readInteger(u"GLOBAL"_s, u"missing"_s, 9), 9);
    EXPECT_TRUE(ini.readBool(u"GLOBAL"_s, u"Flag"_s, false));
    EXPECT_DOUBLE_EQ(ini.readFloat(u"GLOBAL"_s, u"F"_s, 0), 0.25);
    EXPECT_EQ(ini.readString(u"other"_s, u"k"_s), u"v");
    EXPECT_EQ(ini.readSections(), (QStringList{u"GLOBAL"_s, u"other"_s}));
}

TEST(IniFile, DamagedTextStillReads)
{
    IniFile ini;
    ini.setText(u"garbage line\n=novalue\n[S]\nA=1\n[broken\nB=2\nC=3"_s);
    EXPECT_EQ(ini.readInteger(u"S"_s, u"A"_s, 0), 1);
    EXPECT_EQ(ini.readInteger(u"S"_s, u"B"_s, 0), 2); // a broken header is skipped
    EXPECT_EQ(ini.readInteger(u"S"_s, u"C"_s, 0), 3); // a last line without line end
}

TEST(IniFile, WritesWholeFileAtomicallyInCp1251)
{
    TempDataFolder folder;
    const QString path = folder.file(u"Vendra.ini"_s);
    {
        IniFile ini(path);
        ini.writeString(u"Раздел"_s, u"Имя"_s, u"Значение"_s);
        ini.writeInteger(u"Раздел"_s, u"N"_s, -3);
        ini.writeBool(u"Раздел"_s, u"B"_s, true);
        ini.writeFloat(u"Раздел"_s, u"F"_s, 0.001);
        ini.writeString(u"Раздел"_s, u"Multi"_s, u"a\r\nb"_s);
        ini.updateFile();
    }
    const QByteArray bytes = folder.read(u"Vendra.ini"_s);
    EXPECT_EQ(bytes, Cp1251::encode(u"[Раздел]\r\nИмя=Значение\r\nN=-3\r\nB=1\r\nF=0.001\r\nMulti=a  b\r\n\r\n"));
    IniFile back(path);
    EXPECT_EQ(back.readString(u"раздел"_s, u"имя"_s), u"Значение");
    EXPECT_EQ(back.readInteger(u"Раздел"_s, u"N"_s, 0), -3);
}

TEST(IniFile, OwnerOnlyFile)
{
    TempDataFolder folder;
    IniFile ini(folder.file(u"p.ini"_s));
    ini.setOwnerOnly(true);
    ini.writeString(u"PROXY"_s, u"Password"_s, u"x"_s);
    ini.updateFile();
    const auto perms = QFile(folder.file(u"p.ini"_s)).permissions();
    EXPECT_FALSE(perms & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
}

TEST(IniFile, EditsSectionsAndKeys)
{
    IniFile ini;
    ini.writeString(u"A"_s, u"x"_s, u"1"_s);
    ini.writeString(u"a"_s, u"X"_s, u"2"_s);
    ini.writeString(u"B"_s, u"y"_s, u"3"_s);
    EXPECT_EQ(ini.readSectionValues(u"A"_s), QStringList{u"x=2"_s});
    ini.deleteKey(u"A"_s, u"X"_s);
    EXPECT_FALSE(ini.valueExists(u"A"_s, u"x"_s));
    ini.eraseSection(u"b"_s);
    EXPECT_FALSE(ini.sectionExists(u"B"_s));
}

TEST(IniFile, UnreadableFileIsNeverWrittenOver)
{
    // A settings file that exists but cannot be read (here a folder stands in its place) reads as
    // empty, and writing it back is refused so that whatever it holds is not lost.
    TempDataFolder folder;
    const QString path = folder.file(u"Vendra.ini"_s);
    ASSERT_TRUE(QDir().mkdir(path));
    IniFile ini(path);
    EXPECT_TRUE(ini.unreadable());
    EXPECT_EQ(ini.readInteger(u"GLOBAL"_s, u"MatrixCols"_s, 5), 5);
    ini.writeInteger(u"GLOBAL"_s, u"MatrixCols"_s, 7);
    EXPECT_THROW(ini.updateFile(), EInOutError);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_FALSE(IniFile(folder.file(u"missing.ini"_s)).unreadable());
}

TEST(IniFile, TheFirstOfTwoEqualKeysCounts)
{
    IniFile ini;
    ini.setText(u"[GLOBAL]\r\nMatrixCols=7\r\nmatrixcols=9\r\n[Other]\r\nk=1\r\n[global]\r\nMATRIXCOLS=11\r\nNew=3\r\n"_s);
    EXPECT_EQ(ini.readInteger(u"GLOBAL"_s, u"MatrixCols"_s, 0), 7);
    EXPECT_EQ(ini.readInteger(u"GLOBAL"_s, u"New"_s, 0), 3); // a section met twice is one section
    EXPECT_EQ(ini.readSection(u"global"_s), (QStringList{u"MatrixCols"_s, u"New"_s}));
    EXPECT_EQ(ini.readSections(), (QStringList{u"GLOBAL"_s, u"Other"_s}));
    // Writing replaces the one key; the text holds each key once.
    ini.writeInteger(u"Global"_s, u"MATRIXCOLS"_s, 5);
    EXPECT_EQ(ini.text(), u"[GLOBAL]\r\nMatrixCols=5\r\nNew=3\r\n\r\n[Other]\r\nk=1\r\n\r\n"_s);
    // Lookups stay right after keys and sections go.
    ini.deleteKey(u"GLOBAL"_s, u"matrixcols"_s);
    EXPECT_EQ(ini.readInteger(u"GLOBAL"_s, u"New"_s, 0), 3);
    EXPECT_FALSE(ini.valueExists(u"GLOBAL"_s, u"MatrixCols"_s));
    ini.eraseSection(u"GLOBAL"_s);
    EXPECT_EQ(ini.readInteger(u"Other"_s, u"K"_s, 0), 1);
    ini.writeString(u"Third"_s, u"x"_s, u"y"_s);
    EXPECT_EQ(ini.readString(u"third"_s, u"X"_s), u"y");
}

TEST(IniFile, LargeFilesReadWhole)
{
    // Two hundred thousand keys, then fifty thousand sections: every key is found, the first of two
    // wins however far apart they stand (the time this takes is measured in the benchmarks).
    QString text = u"[Big]\r\n"_s;
    for (int i = 0; i < 200000; ++i)
        text += u"Key"_s + QString::number(i) + u'=' + QString::number(i) + u"\r\n";
    text += u"key0=duplicate\r\n"_s;
    for (int i = 0; i < 50000; ++i)
        text += u"[S"_s + QString::number(i) + u"]\r\nv="_s + QString::number(i) + u"\r\n";
    IniFile ini;
    ini.setText(text);
    EXPECT_EQ(ini.readInteger(u"big"_s, u"KEY0"_s, -1), 0);
    EXPECT_EQ(ini.readInteger(u"Big"_s, u"Key199999"_s, -1), 199999);
    EXPECT_EQ(ini.readInteger(u"s49999"_s, u"V"_s, -1), 49999);
    EXPECT_EQ(ini.readSections().size(), 50001);
    EXPECT_EQ(ini.readSection(u"Big"_s).size(), 200000);
}

TEST(IniFile, UnreadableFileIsLeftForTheProgramToShowUnlessItsReaderAsks)
{
    TempDataFolder folder;
    const QString path = folder.file(u"Vendra.ini"_s);
    ASSERT_TRUE(QDir().mkdir(path));
    ResetDeferredFileReadFailures();
    { IniFile ini(path); }
    const QStringList left = TakeDeferredFileReadFailures();
    ASSERT_EQ(left.size(), 1);
    EXPECT_TRUE(left[0].startsWith(u"Ошибка чтения файла \"" + path + u"\"!\r\r")) << left[0].toStdString();

    ResetDeferredFileReadFailures();
    {
        IniFile ini(path);
        EXPECT_TRUE(ini.unreadable()); // this reader reports it itself
    }
    EXPECT_TRUE(TakeDeferredFileReadFailures().isEmpty());
    ResetDeferredFileReadFailures();
}
