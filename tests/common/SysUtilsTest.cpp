#include "common/SysUtils.h"
#include "tests/support/RecordingProcesses.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

TEST(SysErrorText, FormsOfTheText)
{
    EXPECT_EQ(SysErrorText(EACCES, true), u"SysError #13: \"Нет прав доступа к файлу или каталогу\"!"_s);
    EXPECT_EQ(SysErrorText(EACCES, false), u"\"Нет прав доступа к файлу или каталогу\"!"_s);
    const QString zero = QString::fromLocal8Bit(std::strerror(0));
    EXPECT_EQ(SysErrorText(0, true), zero + u'.');
    EXPECT_EQ(SysErrorText(0, false), zero + u'.');

    errno = ENOENT;
    EXPECT_EQ(LastErrorText(true), SysErrorText(ENOENT, true));
}

TEST(SysErrorText, TheErrorsFilesMeetAreSaidInRussianWhateverTheLocale)
{
    const std::pair<int, const char16_t *> cases[] = {
        {ENXIO, u"Нет такого устройства или адреса"}, {EISDIR, u"Это каталог, а не файл"},
        {EACCES, u"Нет прав доступа к файлу или каталогу"}, {ENOSPC, u"На диске нет свободного места"},
        {ENOENT, u"Нет такого файла или каталога"}, {EROFS, u"Диск доступен только для чтения"},
        {ELOOP, u"Слишком много уровней символьных ссылок"}, {EDQUOT, u"Превышена дисковая квота"}};
    for (const auto &[code, text] : cases)
        EXPECT_EQ(SystemErrorString(code), QString::fromUtf16(text)) << code;
}

TEST(SysErrorText, RaiseOnlyForNonZeroCodes)
{
    EXPECT_NO_THROW(RaiseSystemError(0));
    try {
        RaiseSystemError(ENOENT);
        FAIL() << "no exception";
    } catch (const ESystemError &e) {
        EXPECT_EQ(e.message(), SysErrorText(ENOENT, true));
    }
    // A system error is one of the program's exceptions: the general handlers catch it.
    EXPECT_THROW(RaiseSystemError(EIO), Exception);
}

TEST(ProgramFolders, NoWindowsFolderIsAClearError)
{
    try {
        GetWindowsFolder();
        FAIL() << "no exception";
    } catch (const ESystemError &e) {
        EXPECT_TRUE(e.message().contains(u"Windows"));
    }
}

TEST(ProgramFolders, LocalFilesAreNotNetworkPaths)
{
    TempDataFolder folder;
    EXPECT_FALSE(IsUncPath(folder.file(u"Vendra.ldr"_s)));
    EXPECT_FALSE(IsUncPath(folder.file(u"not/yet/made.txt"_s)));
    EXPECT_TRUE(IsUncPath(u"//server/share/file.txt"_s));
}

TEST(OpenAddresses, SchemesAndPrefixes)
{
    RecordingUrlOpener opener;
    OpenUrl(u"example.com/page"_s);
    OpenUrl(u"HTTPS://x.org"_s);
    OpenUrl(u"ftps://files.example.org/a"_s);
    OpenUrl(u"ftp://files.example.org/b"_s);
    OpenUrl(u"www.example.org:8080"_s);
    OpenMailTo(u"a@b.c"_s);
    OpenMailTo(u"MAILTO:x@y.z"_s);
    const std::vector<QString> expected{u"http://example.com/page"_s, u"HTTPS://x.org"_s,
                                        u"ftps://files.example.org/a"_s, u"ftp://files.example.org/b"_s,
                                        u"http://www.example.org:8080"_s, u"mailto:a@b.c"_s, u"MAILTO:x@y.z"_s};
    EXPECT_EQ(opener.addresses(), expected);
}

TEST(OpenAddresses, DesktopOpenerStartsXdgOpenWithoutWaiting)
{
    RecordingProcessRunner runner;
    OpenUrl(u"example.com"_s);
    ASSERT_EQ(runner.starts().size(), 1u);
    EXPECT_EQ(runner.last().command.program, u"xdg-open");
    EXPECT_EQ(runner.last().command.arguments, QStringList{u"http://example.com"_s});
    EXPECT_FALSE(runner.last().wait);
}

class HelpFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(folder.path()).mkpath(u"help/Kenvo_RUS"_s);
        folder.write(u"help/Kenvo_RUS/index.html"_s, "<html></html>");
        folder.write(u"help/Kenvo_RUS/Filters_1049_SUMV.htm"_s, "<html></html>");
        folder.write(u"help/Kenvo_RUS.chm"_s, "ITSF");
    }
    QString chm() const { return folder.file(u"help/Kenvo_RUS.chm"_s); }
    QString pageUrl(const QString &page) const
    {
        return QUrl::fromLocalFile(folder.file(u"help/Kenvo_RUS/"_s + page)).toString(QUrl::FullyEncoded);
    }

    TempDataFolder folder;
    RecordingUrlOpener opener;
    RecordingProcessRunner runner;
    ScriptedMessages messages;
};

TEST_F(HelpFiles, ChmFileOpensItsHtmlPages)
{
    EXPECT_TRUE(OpenHelpFile(folder.file(u"help/Kenvo_RUS.CHM"_s)));
    EXPECT_TRUE(OpenHelpFile(chm(), u"Filters_1049_SUMV.htm"_s));
    EXPECT_TRUE(OpenHelpAddress(u"ms-its:"_s + chm() + u"::/Filters_1049_SUMV.htm#top"_s));
    ASSERT_EQ(opener.addresses().size(), 3u);
    EXPECT_EQ(opener.addresses()[0], pageUrl(u"index.html"_s));
    EXPECT_EQ(opener.addresses()[1], pageUrl(u"Filters_1049_SUMV.htm"_s));
    EXPECT_EQ(opener.addresses()[2], pageUrl(u"Filters_1049_SUMV.htm"_s) + u"#top");
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(HelpFiles, MissingPageSaysTheHelpCannotBeShown)
{
    EXPECT_FALSE(OpenHelpFile(chm(), u"Filters_1049_NONE.htm"_s));
    EXPECT_TRUE(opener.addresses().empty());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().caption, u"Ошибка");
    EXPECT_TRUE(messages.last().text.contains(chm()));
    EXPECT_TRUE(messages.last().text.contains(u"CHM"));
}

TEST_F(HelpFiles, OtherDocumentsOpenWithTheirProgram)
{
    folder.write(u"manual.pdf"_s, "%PDF-1.4");
    EXPECT_TRUE(OpenHelpFile(folder.file(u"manual.pdf"_s), u"ignored"_s));
    ASSERT_EQ(runner.starts().size(), 1u);
    EXPECT_EQ(runner.last().command.program, u"xdg-open");
    EXPECT_EQ(runner.last().command.arguments, QStringList{folder.file(u"manual.pdf"_s)});
    EXPECT_FALSE(runner.last().wait);
}

TEST(OpenAddresses, NoDesktopOpenerIsAClearError)
{
    if (!QStandardPaths::findExecutable(u"xdg-open"_s).isEmpty())
        GTEST_SKIP() << "this system has xdg-open; the test must not open a browser";
    try {
        OpenUrl(u"example.com"_s);
        FAIL() << "no exception";
    } catch (const ESystemError &e) {
        EXPECT_EQ(e.message(), u"Не удалось открыть \"http://example.com\": в системе не найдена программа "
                               u"\"xdg-open\", которая открывает файлы и адреса программами рабочего стола.");
    }
}
