#include "online/SystemsFolder.h"
#include "online/SystemsLibrary.h"
#include "online/SelfUpdate.h"
#include "common/Languages.h"
#include "tests/support/CatalogueStandIn.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char kListPath[] = "/scripts/sys_getlist.php";
constexpr char kDataPath[] = "/scripts/sys_getdata.php";
constexpr char kPutPath[] = "/scripts/sys_putdata.php";

// "Система 9/3", "Покрытие "тройки"", "Чужая", "Без почты" as Base64 of UTF-8.
constexpr char kTitle93[] = "0KHQuNGB0YLQtdC80LAgOS8z";
constexpr char kDescr93[] = "0J/QvtC60YDRi9GC0LjQtSAi0YLRgNC+0LnQutC4Ig==";
constexpr char kForeign[] = "0KfRg9C20LDRjw==";
constexpr char kNoMail[] = "0JHQtdC3INC/0L7Rh9GC0Ys=";

QByteArray row(int id, int nums, int olap, int csize, const char *title, const char *mail,
               const char *created = "2024-03-05 14:07:09")
{
    return "<row><id>" + QByteArray::number(id) + "</id><nums>" + QByteArray::number(nums) + "</nums><olap>" +
           QByteArray::number(olap) + "</olap><csize>" + QByteArray::number(csize) + "</csize><title>" + title +
           "</title><descr>" + kDescr93 + "</descr><author>Автор</author><cl_mail>" + mail +
           "</cl_mail><created>" + created + "</created><downloads>17</downloads><last_download></last_download>"
           "<url>example.org/s</url></row>";
}

QByteArray clistRow(const QByteArray &lines)
{
    return "<row><clist>" + lines.toBase64() + "</clist></row>";
}

QByteArray lines(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "1 2 3 4 5 " + QByteArray::number(6 + i % 4) + "\r\n";
    return text;
}

void touch(const QString &path, int64_t mtime)
{
    struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

class SystemsLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!standIn.ok())
            GTEST_SKIP() << "no test certificates for the local HTTPS server";
        standIn.configure(folder, "[USER]\r\nName=Иван \"И\"\r\nMail=Ivan@Example.org\r\n");
    }

    QStringList dataFiles() const
    {
        QStringList files = QDir(SystemsFolder()).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        return files;
    }

    TempDataFolder folder;
    CatalogueStandIn standIn;
    ScriptedMessages messages;
    TSystemsLibrary library;
};

} // namespace

TEST_F(SystemsLibraryTest, ListRequestByteForByteAndItsItems)
{
    standIn.result(kListPath, row(12, 9, 3, 4, kTitle93, "ivan@example.org") + row(13, 10, 3, 30, kForeign, "x@y.z") +
                                  row(14, 11, 2, 5, kNoMail, ""));
    ASSERT_TRUE(library.GetList());
    ASSERT_EQ(standIn.server().requestCount(), 1);
    const QByteArray expected = "comblen=6&maxnums=45&appid=%7B7E3A41C2-5B9D-4F08-A6E1-2C84D0F95B37%7D&appver=" +
                                GetProgramVersion().toLatin1() + "&hwdid=" + InstallationId().toLatin1() +
                                "&cl_name=%C8%E2%E0%ED%20%5C%22%C8%5C%22&cl_mail=Ivan%40Example.org&cl_lcid=" +
                                QByteArray::number(CurrentLanguageId());
    EXPECT_EQ(standIn.server().requests().front().body, expected);

    ASSERT_EQ(library.count(), 3);
    const tSystemInfo &first = library.item(0).system;
    EXPECT_EQ(first.title, u"Система 9/3");
    EXPECT_EQ(first.descr, u"Покрытие \"тройки\"");
    EXPECT_EQ(first.author, u"Автор");
    EXPECT_DOUBLE_EQ(first.created, EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9));
    EXPECT_EQ(first.last_download, 0);
    QStringList texts = SystemItemTexts(first, false);
    texts[5].clear(); // the creation time is local time, checked with the parser
    EXPECT_EQ(texts, (QStringList{u"Система 9/3"_s, u"Автор"_s, u"09"_s, u"3"_s, u"4"_s, QString(), QString(),
                                  u"17"_s, QString(), u"Покрытие \"тройки\""_s, u"example.org/s"_s}));
    EXPECT_EQ(SystemItemTexts(first, true)[6], u"Загружена");
    // Own (mail in another case), another author's, no mail: without the file.
    EXPECT_EQ(library.imageOf(0), 39);
    EXPECT_EQ(library.imageOf(1), 45);
    EXPECT_EQ(library.imageOf(2), 22);
    EXPECT_EQ(SystemItemImage(first, true, u"ivan@example.org"_s), 47);
    EXPECT_EQ(SystemItemImage(library.item(1).system, true, u"ivan@example.org"_s), 46);
    EXPECT_EQ(SystemItemImage(library.item(2).system, true, u""_s), 2);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(SystemsLibraryTest, EmptyResultGivesOnePlaceholderWithoutImage)
{
    standIn.result(kListPath, "");
    EXPECT_FALSE(library.GetList());
    ASSERT_EQ(library.count(), 1);
    EXPECT_EQ(library.item(0).system.title, u"Список систем не доступен!");
    EXPECT_EQ(library.imageOf(0), -1);
    const QStringList texts = SystemItemTexts(library.item(0).system, false);
    EXPECT_EQ(texts[0], u"Список систем не доступен!");
    for (int i = 1; i < texts.size(); ++i)
        EXPECT_TRUE(texts[i].isEmpty()) << i;
    EXPECT_FALSE(library.DownloadItem(0));
    EXPECT_EQ(standIn.count(kDataPath), 0);
}

TEST_F(SystemsLibraryTest, AnErrorRowOrABadValueStopsTheListAndKeepsTheRowsBefore)
{
    standIn.result(kListPath, row(12, 9, 3, 4, kTitle93, "") + "<row><error>Сервис закрыт</error></row>" +
                                  row(13, 9, 3, 4, kTitle93, ""));
    EXPECT_FALSE(library.GetList());
    EXPECT_EQ(library.count(), 1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Ошибка загрузки списка систем!\r\rСервис закрыт");

    // A count of numbers no system can have would name another N's file.
    standIn.result(kListPath, row(12, 9, 3, 4, kTitle93, "") + row(13, 265, 3, 4, kTitle93, ""));
    EXPECT_FALSE(library.GetList());
    EXPECT_EQ(library.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка загрузки списка систем!\r\r"));
}

TEST_F(SystemsLibraryTest, DownloadWritesTheFileWithItsTimeAndAnUnchangedSystemIsNotFetchedAgain)
{
    standIn.result(kListPath, row(12, 9, 3, 4, kTitle93, ""));
    standIn.result(kDataPath, "<row><clist></clist></row>" + clistRow(lines(4)));
    ASSERT_TRUE(library.GetList());
    ASSERT_TRUE(library.DownloadItem(0)) << (messages.count() ? messages.last().text.toStdString() : "");
    EXPECT_EQ(standIn.lastPost(kDataPath), QStringList{u"sys_id=12"_s});
    EXPECT_EQ(folder.read(u"Systems/6-09-3_0012.dat"_s), lines(4));
    EXPECT_EQ(SystemFileTime(folder.file(u"Systems/6-09-3_0012.dat"_s)), 1709647629);
    EXPECT_TRUE(library.item(0).filePresent);
    EXPECT_EQ(library.imageOf(0), 2);

    ASSERT_TRUE(library.GetList());
    EXPECT_EQ(standIn.count(kDataPath), 1);
    EXPECT_TRUE(library.item(0).filePresent);

    // A file whose time is not the system's is taken again, once.
    touch(folder.file(u"Systems/6-09-3_0012.dat"_s), 1709647629 + 3600);
    ASSERT_TRUE(library.GetList());
    EXPECT_EQ(standIn.count(kDataPath), 2);
    EXPECT_EQ(SystemFileTime(folder.file(u"Systems/6-09-3_0012.dat"_s)), 1709647629);
    ASSERT_TRUE(library.GetList());
    EXPECT_EQ(standIn.count(kDataPath), 2);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(SystemsLibraryTest, ACountMismatchLeavesNoFile)
{
    standIn.result(kListPath, row(12, 9, 3, 4, kTitle93, ""));
    standIn.result(kDataPath, clistRow(lines(3)));
    ASSERT_TRUE(library.GetList());
    EXPECT_FALSE(library.DownloadItem(0));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Ошибка загрузки системы #12!\r\rКоличество скачанных комбинаций ( 3 ) "
                                    u"отличается от ожидаемого значения ( 4 )");
    EXPECT_TRUE(dataFiles().isEmpty());
    EXPECT_FALSE(library.item(0).filePresent);

    // A failed data request reports itself, then the download the missing lines.
    standIn.reply(kDataPath, LocalHttpReply::text("down", 503));
    messages.clear();
    EXPECT_FALSE(library.DownloadItem(0));
    ASSERT_EQ(messages.count(), 2);
    EXPECT_TRUE(messages.boxes()[0].text.startsWith(u"Ошибка загрузки системы #12!\r\r"));
    EXPECT_TRUE(messages.boxes()[1].text.endsWith(u"( 0 ) отличается от ожидаемого значения ( 4 )"));
    EXPECT_TRUE(dataFiles().isEmpty());
}

TEST_F(SystemsLibraryTest, ASecondSystemForTheSameNumbersReplacesTheFirstAndAnyStaleFile)
{
    standIn.result(kListPath, row(12, 9, 3, 4, kTitle93, "") + row(15, 9, 4, 4, kTitle93, "") +
                                  row(16, 10, 3, 4, kTitle93, ""));
    standIn.result(kDataPath, clistRow(lines(4)));
    ASSERT_TRUE(library.GetList());
    ASSERT_TRUE(library.DownloadItem(0));
    ASSERT_TRUE(library.DownloadItem(2));
    folder.write(u"Systems/6-09-2_0099.dat"_s, "1 2 3 4 5 6\r\n"); // withdrawn from the catalogue

    std::vector<int> changed;
    library.setChangedHandler([&changed](int index) { changed.push_back(index); });
    ASSERT_TRUE(library.DownloadItem(1));
    EXPECT_EQ(dataFiles(), (QStringList{u"6-09-4_0015.dat"_s, u"6-10-3_0016.dat"_s}));
    EXPECT_FALSE(library.item(0).filePresent);
    EXPECT_TRUE(library.item(1).filePresent);
    EXPECT_TRUE(library.item(2).filePresent);
    EXPECT_NE(std::find(changed.begin(), changed.end(), 0), changed.end());
}

TEST_F(SystemsLibraryTest, PublishingSendsThePutFieldsInOrderAndAddsTheItem)
{
    standIn.result(kListPath, "");
    standIn.result(kPutPath, "<row><id_systems>57</id_systems></row>");
    bool askedEditable = false;
    library.setDialog([&](tSystemData &data, bool editable) {
        askedEditable = editable;
        EXPECT_EQ(data.author, u"Иван \"И\"");
        EXPECT_EQ(data.cl_mail, u"Ivan@Example.org");
        data.title = u"Моя \"система\""_s;
        data.descr = u"Строка 1\r\nСтрока 2"_s;
        data.nums = 7;
        data.olap = 3;
        data.csize = 2;
        data.url = u"https://example.org/?a=1&b=2"_s;
        data.clist = u"01 02 03 04 05 06\r\n01 02 03 04 05 07"_s;
        return true;
    });
    const int index = library.AddSystem();
    ASSERT_EQ(index, 0);
    EXPECT_TRUE(askedEditable);
    const QStringList expected{
        u"del_mode=0"_s, u"sys_id=0"_s, u"nums=7"_s, u"clen=6"_s, u"olap=3"_s,
        u"title=Моя \\\"система\\\""_s, u"descr=Строка 1\\r\\nСтрока 2"_s, u"csize=2"_s,
        u"clist=MDEgMDIgMDMgMDQgMDUgMDZcclxuMDEgMDIgMDMgMDQgMDUgMDc="_s, // Base64 of the escaped lines
        u"url=https://example.org/?a=1&b=2"_s,
        u"appid={7E3A41C2-5B9D-4F08-A6E1-2C84D0F95B37}"_s, u"appver="_s + GetProgramVersion(),
        u"hwdid="_s + InstallationId(), u"cl_name=Иван \\\"И\\\""_s, u"cl_mail=Ivan@Example.org"_s,
        u"cl_lcid="_s + QString::number(CurrentLanguageId())};
    EXPECT_EQ(standIn.lastPost(kPutPath), expected);
    EXPECT_EQ(library.item(0).system.id, 57);
    EXPECT_EQ(library.item(0).system.title, u"Моя \"система\"");
    EXPECT_EQ(library.imageOf(0), 39);
    EXPECT_EQ(messages.count(), 0);

    // An id of 0 is not a system: nothing is added.
    standIn.result(kPutPath, "<row><id_systems>0</id_systems></row>");
    EXPECT_EQ(library.AddSystem(), -1);
    EXPECT_EQ(library.count(), 1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка добавления системы!\r\r"));
    // A reply without an id says so too.
    standIn.result(kPutPath, "<row><other>1</other></row>");
    EXPECT_EQ(library.AddSystem(), -1);
    EXPECT_EQ(library.count(), 1);
    EXPECT_EQ(messages.count(), 2);
    // A failed request shows its own box only.
    standIn.reply(kPutPath, LocalHttpReply::text("", 500));
    EXPECT_EQ(library.AddSystem(), -1);
    ASSERT_EQ(messages.count(), 3);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка сохранения системы #0!\r\r"));
    // Cancel sends nothing.
    const int puts = standIn.count(kPutPath);
    library.setDialog([](tSystemData &, bool) { return false; });
    EXPECT_EQ(library.AddSystem(), -1);
    EXPECT_EQ(standIn.count(kPutPath), puts);
}

TEST_F(SystemsLibraryTest, WithoutAMailInTheProfileNothingIsPublished)
{
    standIn.configure(folder, "[USER]\r\nName=Иван\r\n");
    bool dialogShown = false;
    library.setDialog([&](tSystemData &, bool) { return dialogShown = true; });
    EXPECT_EQ(library.AddSystem(), -1);
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(standIn.server().requestCount(), 0);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.contains(u"Mail")) << messages.last().text.toStdString();
}

TEST_F(SystemsLibraryTest, AForeignSystemIsShownReadOnlyAndNeverDeleted)
{
    standIn.result(kListPath, row(13, 10, 3, 4, kForeign, "x@y.z"));
    standIn.result(kDataPath, clistRow(lines(4)));
    standIn.result(kPutPath, "<row><id_systems>0</id_systems></row>");
    ASSERT_TRUE(library.GetList());
    std::optional<bool> editable;
    library.setDialog([&](tSystemData &data, bool e) {
        editable = e;
        EXPECT_EQ(data.clist, QString::fromLatin1(lines(4)));
        return true;
    });
    EXPECT_FALSE(library.EditSystem(0));
    ASSERT_TRUE(editable.has_value());
    EXPECT_FALSE(*editable);

    messages.answer(IDYES);
    EXPECT_FALSE(library.DeleteSystem(0));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Вы можете удалять только свои системы!");
    EXPECT_EQ(standIn.count(kPutPath), 0);
    EXPECT_EQ(library.count(), 1);
}

TEST_F(SystemsLibraryTest, OwnSystemIsRepublishedUnderItsIdAndDeletedWithItsFile)
{
    standIn.result(kListPath, row(12, 9, 3, 4, kTitle93, "ivan@example.org"));
    standIn.result(kDataPath, clistRow(lines(4)));
    standIn.result(kPutPath, "<row><id_systems>12</id_systems></row>");
    ASSERT_TRUE(library.GetList());
    ASSERT_TRUE(library.DownloadItem(0));
    library.setDialog([](tSystemData &data, bool editable) {
        EXPECT_TRUE(editable);
        data.title = u"Новое имя"_s;
        return true;
    });
    ASSERT_TRUE(library.EditSystem(0));
    QStringList put = standIn.lastPost(kPutPath);
    EXPECT_EQ(put.value(1), u"sys_id=12");
    EXPECT_EQ(put.value(5), u"title=Новое имя");
    EXPECT_EQ(put.value(13), u"cl_name=Автор");          // the system's own author
    EXPECT_EQ(put.value(14), u"cl_mail=ivan@example.org"); // and mail
    EXPECT_EQ(library.item(0).system.title, u"Новое имя");

    // No answers: the question gets No and nothing is sent.
    const int puts = standIn.count(kPutPath);
    EXPECT_FALSE(library.DeleteSystem(0));
    EXPECT_EQ(standIn.count(kPutPath), puts);
    EXPECT_EQ(messages.last().text, u"Вы действительно хотите удалить систему \"Новое имя\"?");

    // A reply other than 0 keeps the system, and says so.
    messages.answer(IDYES);
    EXPECT_FALSE(library.DeleteSystem(0));
    EXPECT_EQ(library.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка удаления системы!\r\r"));
    EXPECT_FALSE(dataFiles().isEmpty());

    standIn.result(kPutPath, "<row><id_systems>0</id_systems></row>");
    messages.answer(IDYES);
    ASSERT_TRUE(library.DeleteSystem(0));
    put = standIn.lastPost(kPutPath);
    EXPECT_EQ(put.value(0), u"del_mode=1");
    EXPECT_EQ(put.value(8), u"clist=");
    EXPECT_EQ(library.count(), 0);
    EXPECT_TRUE(dataFiles().isEmpty());
}
