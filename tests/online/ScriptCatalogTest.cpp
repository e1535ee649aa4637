#include "online/ScriptCatalog.h"

#include "common/Languages.h"
#include "online/SelfUpdate.h"
#include "tests/support/CatalogueStandIn.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kList = "/scripts/scr_getlist.php";
const QByteArray kData = "/scripts/scr_getdata.php";
const QByteArray kRate = "/scripts/scr_setrate.php";
const QByteArray kTitle = "/scripts/scr_chktitle.php";
const QByteArray kPut = "/scripts/scr_putscript.php";
const QByteArray kRates = "/scripts/scr_getrates.php";

// Base64 of the UTF-8 of "Тест", worked out apart from the program.
const QByteArray kTestBase64 = "0KLQtdGB0YI=";

// Moscow time has been UTC+3 all year since 2014: the service's UTC times show three hours later.
class MoscowTime {
public:
    MoscowTime() : m_old(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", "Europe/Moscow");
        tzset();
    }
    ~MoscowTime()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had;
};

class ScriptCatalogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!standIn.ok())
            GTEST_SKIP() << "no test certificates for the local HTTPS server";
        standIn.configure(folder, "[USER]\r\nName=Иван \"Гроза\"\r\nMail=Ivan@Example.org\r\n");
    }

    std::vector<tScriptInfo> list(int filterId, bool *result = nullptr)
    {
        std::vector<tScriptInfo> rows;
        const bool ok = ScriptLibraryGetList(filterId, [&](const tScriptInfo &info) { rows.push_back(info); });
        if (result)
            *result = ok;
        return rows;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    CatalogueStandIn standIn;
};

QByteArray row(const QByteArray &elements)
{
    return "<row>" + elements + "</row>";
}

} // namespace

TEST_F(ScriptCatalogTest, ListRequestSendsItsFieldsInOrderWithTextsEscaped)
{
    standIn.result(kList, "");
    bool ok = true;
    EXPECT_TRUE(list(1, &ok).empty());
    EXPECT_FALSE(ok); // an empty result
    const QStringList fields = standIn.lastPost(kList);
    ASSERT_EQ(fields.size(), 7);
    EXPECT_EQ(fields[0], u"fltid=1");
    EXPECT_EQ(fields[1], u"appid=" + QString::fromUtf16(kCatalogueAppId));
    EXPECT_EQ(fields[2], u"appver=" + GetProgramVersion());
    EXPECT_TRUE(fields[3].startsWith(u"hwdid="));
    EXPECT_EQ(fields[4], u"cl_name=Иван \\\"Гроза\\\"");
    EXPECT_EQ(fields[5], u"cl_mail=Ivan@Example.org");
    EXPECT_EQ(fields[6], u"cl_lcid=" + QString::number(CurrentLanguageId()));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ScriptCatalogTest, ListRowsAreDecodedWithTheirFlagsAndShownAsTheListShowsThem)
{
    MoscowTime moscow;
    standIn.result(kList,
                   // The user's own row (mail in other letters), published by another program only for itself.
                   row("<id>7</id><app_name>Other</app_name><app_ver>2.1</app_ver><key_cl_name>Иван</key_cl_name>"
                       "<key_cl_mail>ivan@example.ORG</key_cl_mail><key_cl_lcid>1049</key_cl_lcid><uniapps>0</uniapps>"
                       "<publics>1</publics><created>2024-03-05 21:30:00</created><rating_avg>4.25</rating_avg>"
                       "<rating_cnt>4</rating_cnt><rating_you>-1</rating_you><downloads>12</downloads>"
                       "<last_download></last_download><title>" + kTestBase64 + "</title><descr></descr>"
                       "<app_guid>{00000000-0000-0000-0000-000000000001}</app_guid>") +
                       // Another author's universal row with no language and counts that are not numbers.
                       row("<id>8</id><app_name>Vendra</app_name><app_ver>1.0</app_ver><key_cl_name>Петр</key_cl_name>"
                           "<key_cl_mail>p@x.org</key_cl_mail><key_cl_lcid></key_cl_lcid><uniapps>1</uniapps>"
                           "<publics>0</publics><created></created><rating_avg>x</rating_avg><rating_cnt>?</rating_cnt>"
                           "<rating_you>0</rating_you><downloads></downloads><last_download>2024-07-01 00:00:05"
                           "</last_download><title></title><descr>" + kTestBase64 + "</descr>") +
                       // This program's own guid (letters in any case) makes a non-universal row compatible.
                       row("<id>9</id><key_cl_mail>IVAN@example.org</key_cl_mail><uniapps>0</uniapps><publics>1</publics>"
                           "<rating_you>3</rating_you><title></title><descr></descr><app_guid>" +
                           QString::fromUtf16(kCatalogueAppId).toLower().toUtf8() + "</app_guid>"));
    bool ok = false;
    const std::vector<tScriptInfo> rows = list(1, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(boxes.count(), 0);

    const tScriptInfo &own = rows[0];
    EXPECT_TRUE(own.own);
    EXPECT_FALSE(own.compatible);
    EXPECT_FALSE(own.editable);
    EXPECT_EQ(ScriptItemImage(own), 22);
    const QStringList texts = ScriptItemTexts(own);
    ASSERT_EQ(texts.size(), ScriptListColumns().size());
    EXPECT_EQ(texts, (QStringList{u"Мой"_s, u"Тест"_s, u"Иван"_s, u"Other"_s, u"2.1"_s, u"RUS"_s,
                                  u"2024-03-06 00:30:00"_s, QLocale().toString(4.25, 'f', 3), u"4"_s, u"Скрытый"_s,
                                  u"12"_s, QString(), QString()}));

    const tScriptInfo &other = rows[1];
    EXPECT_FALSE(other.own);
    EXPECT_TRUE(other.compatible);
    EXPECT_FALSE(other.editable);
    EXPECT_EQ(other.key_cl_lcid, CurrentLanguageId());
    EXPECT_EQ(ScriptItemImage(other), 39);
    const QStringList otherTexts = ScriptItemTexts(other);
    EXPECT_EQ(otherTexts[0], u"Общий");
    EXPECT_EQ(otherTexts[3], u"Универсальный");
    EXPECT_EQ(otherTexts[6], QString()); // no time
    EXPECT_EQ(otherTexts[8], u"0");
    EXPECT_EQ(otherTexts[9], QString()); // no own mark
    EXPECT_EQ(otherTexts[10], u"0");
    EXPECT_EQ(otherTexts[11], u"2024-07-01 03:00:05");
    EXPECT_EQ(otherTexts[12], u"Тест");

    EXPECT_TRUE(rows[2].own && rows[2].compatible && rows[2].editable);
    EXPECT_EQ(ScriptItemTexts(rows[2])[9], u"3");
}

TEST_F(ScriptCatalogTest, AnErrorRowFailsWithItsTextAndKeepsTheRowsBeforeIt)
{
    standIn.result(kList, row("<id>1</id><title></title><descr></descr>") + row("<error>x</error>") +
                              row("<id>2</id><title></title><descr></descr>"));
    bool ok = true;
    const std::vector<tScriptInfo> rows = list(0, &ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, 1);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Ошибка загрузки каталога online-сценариев!\r\rx");
    EXPECT_EQ(boxes.last().caption, u"Ошибка");

    // A row without a numeric id is a failure of the whole list too.
    boxes.clear();
    standIn.result(kList, row("<id>abc</id>"));
    EXPECT_TRUE(list(1, &ok).empty());
    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка загрузки каталога online-сценариев!\r\r"));
}

TEST_F(ScriptCatalogTest, DataReplyGivesTheFirstScriptThatHoldsLines)
{
    const QByteArray script = QByteArray("EXCL:3#RAND|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |Сумма\r\n").toBase64();
    standIn.result(kData, row("<note>no script here</note>") + row("<script></script>") +
                              row("<script>" + QByteArray("  \r\n").toBase64() + "</script>") +
                              row("<SCRIPT>" + script + "</SCRIPT>") + row("<script>" + kTestBase64 + "</script>"));
    QString text = u"unchanged"_s;
    EXPECT_EQ(ScriptLibraryGetData(41, text), TScriptFetch::Found);
    EXPECT_EQ(text, u"EXCL:3#RAND|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |Сумма\r\n");
    EXPECT_EQ(standIn.lastPost(kData), QStringList{u"scr_id=41"_s});

    // Nothing but empty scripts: the caller's text stays, and no error is claimed.
    standIn.result(kData, row("<script></script>"));
    text = u"unchanged"_s;
    EXPECT_EQ(ScriptLibraryGetData(41, text), TScriptFetch::Empty);
    EXPECT_EQ(text, u"unchanged");
    EXPECT_EQ(boxes.count(), 0);

    standIn.reply(kData, LocalHttpReply::text("boom", 500));
    EXPECT_EQ(ScriptLibraryGetData(41, text), TScriptFetch::Failed);
    EXPECT_EQ(text, u"unchanged");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка загрузки online-сценария!\r\r"));
}

TEST_F(ScriptCatalogTest, MarkSendsItsFieldsAndTheLastCodeDecides)
{
    standIn.result(kRate, row("<res_code>-3</res_code>") + row("<res_code>1</res_code>"));
    EXPECT_TRUE(ScriptLibrarySetRate(5, 4, u"Хорошо \"очень\"\tи?"_s));
    const QStringList fields = standIn.lastPost(kRate);
    ASSERT_EQ(fields.size(), 9);
    EXPECT_EQ(fields.mid(0, 3), (QStringList{u"scr_id=5"_s, u"rate_value=4"_s,
                                             u"rate_notes=Хорошо \\\"очень\\\"\\tи\\?"_s}));
    EXPECT_TRUE(fields[3].startsWith(u"appid="));
    EXPECT_EQ(fields[8], u"cl_lcid=" + QString::number(CurrentLanguageId()));
    EXPECT_EQ(boxes.count(), 0);

    standIn.result(kRate, row("<res_code>1</res_code>") + row("<res_code>-3</res_code>"));
    EXPECT_FALSE(ScriptLibrarySetRate(5, -1, {}));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Ошибка сохранения оценки online-сценария!\r\rКод возврата: -3");
    EXPECT_EQ(standIn.lastPost(kRate)[1], u"rate_value=-1");

    // No answer at all is not taken as done.
    boxes.clear();
    standIn.result(kRate, "");
    EXPECT_FALSE(ScriptLibrarySetRate(5, 0, {}));
    EXPECT_EQ(boxes.count(), 1);
}

TEST_F(ScriptCatalogTest, TitleCheckTellsFreeTakenAndFailedApart)
{
    standIn.result(kTitle, row("<ret_code>1</ret_code>"));
    EXPECT_EQ(ScriptLibraryCheckTitle(12, u"Мой \"лучший\""_s), TTitleCheck::Taken);
    EXPECT_EQ(standIn.lastPost(kTitle), (QStringList{u"scr_id=12"_s, u"scr_title=Мой \\\"лучший\\\""_s}));
    standIn.result(kTitle, row("<ret_code>1</ret_code>") + row("<ret_code>0</ret_code>"));
    EXPECT_EQ(ScriptLibraryCheckTitle(-1, u"a"_s), TTitleCheck::Free);
    EXPECT_EQ(boxes.count(), 0);

    standIn.reply(kTitle, LocalHttpReply::text("<result><row><ret_code>0</ret_code></row></result>", 500));
    EXPECT_EQ(ScriptLibraryCheckTitle(12, u"a"_s), TTitleCheck::Failed);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка проверки уникальности online-сценария!\r\r"));
    EXPECT_FALSE(boxes.last().text.contains(u"уже существует"));

    standIn.result(kTitle, "");
    EXPECT_EQ(ScriptLibraryCheckTitle(12, u"a"_s), TTitleCheck::Failed);
}

TEST_F(ScriptCatalogTest, PublishAndDeleteSendTheRecordAndGiveTheIdOfTheReply)
{
    tScriptData data;
    data.id = -1;
    data.key_cl_name = u"Автор"_s;
    data.key_cl_lcid = 1033;
    data.uniapps = true;
    data.publics = false;
    data.title = u"T\"1"_s;
    data.descr = u"строка 1\r\nстрока 2"_s;
    standIn.result(kPut, row("<id_scripts>56</id_scripts>") + row("<id_scripts>57</id_scripts>"));
    EXPECT_EQ(ScriptLibraryPutScript(data, ScriptTextOfLines({u"FULL:0#ALL| | | | | | | |"_s, QString()})), 57);
    QStringList fields = standIn.lastPost(kPut);
    ASSERT_EQ(fields.size(), 13);
    EXPECT_EQ(fields.mid(0, 7),
              (QStringList{u"del_mode=0"_s, u"scr_id=-1"_s, u"scr_uniapps=1"_s, u"scr_publics=0"_s, u"scr_title=T\\\"1"_s,
                           u"scr_descr=строка 1\\r\\nстрока 2"_s, u"scr_script=FULL:0#ALL| | | | | | | |\\r\\n\\r\\n"_s}));
    EXPECT_TRUE(fields[7].startsWith(u"appid="));
    EXPECT_EQ(fields[10], u"cl_name=Автор");
    EXPECT_EQ(fields[11], u"cl_mail=Ivan@Example.org");
    EXPECT_EQ(fields[12], u"cl_lcid=1033"); // the scenario's language

    data.id = 57;
    standIn.result(kPut, row("<id_scripts>0</id_scripts>"));
    EXPECT_EQ(ScriptLibraryDeleteScript(data), 0);
    fields = standIn.lastPost(kPut);
    ASSERT_EQ(fields.size(), 12);
    EXPECT_EQ(fields[0], u"del_mode=1");
    EXPECT_EQ(fields[1], u"scr_id=57");
    EXPECT_TRUE(fields[6].startsWith(u"appid=")); // no script
    EXPECT_EQ(boxes.count(), 0);

    // A reply without the id: -1 and the request's own box.
    standIn.result(kPut, row("<result_note>ok</result_note>"));
    EXPECT_EQ(ScriptLibraryPutScript(data, {}), -1);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка сохранения online-сценария в базе данных!\r\r"));
    standIn.result(kPut, row("<error>denied</error>"));
    EXPECT_EQ(ScriptLibraryDeleteScript(data), -1);
    EXPECT_EQ(boxes.last().text, u"Ошибка удаления online-сценария из базы данных!\r\rdenied");
}

TEST_F(ScriptCatalogTest, TextsOutsideTheWireCodePageAreRefusedBeforeSending)
{
    tScriptData data = NewScriptData(u"Автор"_s, 1049);
    data.title = u"Галочка ✓"_s;
    standIn.result(kPut, row("<id_scripts>57</id_scripts>"));
    EXPECT_EQ(ScriptLibraryPutScript(data, {}), -1);
    EXPECT_EQ(standIn.count(kPut), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(u"✓"));
    EXPECT_FALSE(ScriptWireProblem(u"✓"_s).isEmpty());
    EXPECT_TRUE(ScriptWireProblem(u"Тест € №"_s).isEmpty());
}

TEST_F(ScriptCatalogTest, MarksListShowsTimesInLocalTime)
{
    MoscowTime moscow;
    standIn.result(kRates, row("<key_cl_name>Анна</key_cl_name><rate>5</rate><created>2024-01-31 22:15:00</created>"
                               "<app_name>Vendra</app_name><app_ver>1.0</app_ver><notes>Спасибо</notes>") +
                               row("<key_cl_name>Bob</key_cl_name><rate>2</rate><created>вчера</created>"));
    std::vector<TScriptRate> rates;
    EXPECT_TRUE(ScriptLibraryGetRates(3, [&](const TScriptRate &r) { rates.push_back(r); }));
    EXPECT_EQ(standIn.lastPost(kRates), QStringList{u"scr_id=3"_s});
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[0].texts(), (QStringList{u"Анна"_s, u"5"_s, u"2024-02-01 01:15:00"_s, u"Vendra"_s, u"1.0"_s,
                                             u"Спасибо"_s}));
    EXPECT_EQ(rates[1].created, u"вчера"); // not a time: shown as it came

    standIn.result(kRates, "");
    EXPECT_FALSE(ScriptLibraryGetRates(3, [](const TScriptRate &) {}));
    EXPECT_EQ(boxes.count(), 0);
}
