#include "online/CatalogueReply.h"
#include "online/CatalogueService.h"
#include "online/HttpClient.h"
#include "online/HttpRoutines.h"
#include "online/SelfUpdate.h"
#include "common/Cp1251.h"
#include "common/Languages.h"
#include "tests/support/CatalogueStandIn.h"
#include "tests/support/TempDataFolder.h"

#include <QUuid>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CatalogueServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!standIn.ok())
            GTEST_SKIP() << "no test certificates for the local HTTPS server";
    }

    TempDataFolder folder;
    CatalogueStandIn standIn;
};

} // namespace

TEST(CatalogueSettings, HostAndAuthorityComeFromTheIniFileAndTheHostIsChecked)
{
    TempDataFolder folder;
    // Without a host nothing is sent anywhere.
    const TCatalogueSettings defaults = LoadCatalogueSettings();
    EXPECT_FALSE(defaults.configured());
    EXPECT_FALSE(CatalogueConfigured());
    EXPECT_TRUE(defaults.caFile.isEmpty());
    EXPECT_THROW(CatalogueUrl(defaults, u"/a"), ECatalogueError);
    EXPECT_THROW(CataloguePost(u"/scripts/sys_getlist.php", {}), ECatalogueError);

    folder.write(u"Vendra.ini"_s, "[CATALOGUE]\r\nHost= 127.0.0.1:8443 \r\nCaFile=/tmp/ca.pem\r\n");
    const TCatalogueSettings settings = LoadCatalogueSettings();
    EXPECT_EQ(settings.host, u"127.0.0.1:8443");
    EXPECT_EQ(settings.caFile, u"/tmp/ca.pem");
    EXPECT_TRUE(CatalogueConfigured());
    EXPECT_EQ(CatalogueUrl(settings, u"/scripts/sys_getlist.php"), u"https://127.0.0.1:8443/scripts/sys_getlist.php");
    EXPECT_EQ(CatalogueUrl({u"[::1]:443"_s, {}}, u"/a"), u"https://[::1]:443/a");

    for (const QString &bad : {u"user@evil.example"_s, u"host/path"_s, u"host:0"_s, u"host:70000"_s, u":443"_s,
                               u"http://host"_s, u"a b"_s})
        EXPECT_THROW(CatalogueUrl({bad, {}}, u"/a"), ECatalogueError) << bad.toStdString();
}

TEST(CatalogueIdentity, InstallationIdIsRandomMadeOnceAndKeptInTheSettingsStore)
{
    QString first;
    {
        TempDataFolder folder;
        // Without a catalogue host nothing is sent, so no id is made.
        folder.write(u"Vendra.ini"_s, "[USER]\r\nName=Иван\r\nMail= ivan@example.org \r\n");
        EXPECT_TRUE(LoadClientIdentity().hwdId.isEmpty());
        EXPECT_FALSE(folder.read(u"Vendra.frm"_s).contains("InstallationId"));
        folder.write(u"Vendra.ini"_s,
                     "[CATALOGUE]\r\nHost=catalogue.example\r\n[USER]\r\nName=Иван\r\nMail= ivan@example.org \r\n");
        const TClientIdentity identity = LoadClientIdentity();
        first = identity.hwdId;
        EXPECT_FALSE(QUuid::fromString(first).isNull());
        EXPECT_TRUE(folder.read(u"Vendra.frm"_s).contains(first.toLatin1()));
        EXPECT_EQ(LoadClientIdentity().hwdId, first);
        EXPECT_EQ(identity.name, u"Иван");
        EXPECT_EQ(identity.mail, u"ivan@example.org");
        EXPECT_EQ(identity.appId, QString::fromUtf16(kCatalogueAppId));
        EXPECT_EQ(identity.appVersion, GetProgramVersion());
        EXPECT_EQ(identity.lcid, CurrentLanguageId());
    }
    TempDataFolder other;
    EXPECT_NE(InstallationId(), first);
    // A damaged id is replaced, not sent.
    other.write(u"Vendra.frm"_s, "[Catalogue]\r\nInstallationId=../../etc\r\n");
    EXPECT_FALSE(QUuid::fromString(InstallationId()).isNull());
}

TEST(CatalogueIdentity, FieldsInTheirOrderWithNameAndMailEscaped)
{
    TClientIdentity identity{u"APP"_s, u"1.2.3.4"_s, u"HW"_s, u"Ivan \"The\" \\ Terrible"_s, u"i'v@x.org"_s, 1049};
    QStringList fields{u"comblen=6"_s};
    AppendIdentityFields(fields, identity);
    EXPECT_EQ(fields, (QStringList{u"comblen=6"_s, u"appid=APP"_s, u"appver=1.2.3.4"_s, u"hwdid=HW"_s,
                                   u"cl_name=Ivan \\\"The\\\" \\\\ Terrible"_s, u"cl_mail=i\\'v@x.org"_s,
                                   u"cl_lcid=1049"_s}));
    fields.clear();
    AppendIdentityFields(fields, identity, u"Author?"_s, u"a@b"_s);
    EXPECT_EQ(fields[3], u"cl_name=Author\\?");
    EXPECT_EQ(fields[4], u"cl_mail=a@b");
}

TEST(CatalogueWire, TextsGoAsWindows1251AndOtherCharactersAreRefused)
{
    EXPECT_EQ(CatalogueWireBytes(u"Тест €"), QByteArray("\xD2\xE5\xF1\xF2 \x88"));
    EXPECT_EQ(CatalogueBase64(u"01 02"), u"MDEgMDI=");
    try {
        CatalogueWireBytes(u"ok 漢字 漢 ok");
        FAIL() << "a character outside the code page was sent";
    } catch (const ECatalogueError &e) {
        EXPECT_TRUE(e.message().contains(u"\"漢字\"")) << e.message().toStdString();
    }
    // Keys and values are percent-encoded each on its own; "=" and "&" inside a value stay data.
    EXPECT_EQ(EncodeCatalogueForm({u"a=x&y=z"_s, u"b=Я"_s, u"c"_s}), QByteArray("a=x%26y%3Dz&b=%DF&c"));
}

TEST_F(CatalogueServiceTest, PostSendsTheFieldsInOrderOverVerifiedHttps)
{
    standIn.configure(folder);
    standIn.result("/scripts/sys_getlist.php", "<row><id>1</id></row>");
    const QStringList fields{u"comblen=6"_s, u"cl_name=Иван \\\"Грозный\\\""_s, u"empty="_s, u"x=a+b c&d"_s};
    const QString reply = CataloguePost(u"/scripts/sys_getlist.php", fields);
    EXPECT_EQ(reply, u"<result><row><id>1</id></row></result>");
    ASSERT_EQ(standIn.server().requestCount(), 1);
    const LocalHttpRequest request = standIn.server().requests().front();
    EXPECT_TRUE(request.tls);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(standIn.lastPost("/scripts/sys_getlist.php"), fields);
}

TEST_F(CatalogueServiceTest, RedirectsAreFollowedAndErrorStatusesFail)
{
    standIn.configure(folder);
    standIn.reply("/scripts/old.php", LocalHttpReply::redirect("/scripts/new.php", 307));
    standIn.result("/scripts/new.php", "<row><v>moved</v></row>");
    TCatalogueReply reply(CataloguePost(u"/scripts/old.php", {u"a=1"_s}));
    TCatalogueRow row;
    ASSERT_TRUE(reply.next(row));
    EXPECT_EQ(row.element(u"v"), u"moved");
    EXPECT_EQ(standIn.lastPost("/scripts/new.php"), QStringList{u"a=1"_s});

    standIn.reply("/scripts/fail.php", LocalHttpReply::text("<result><row><id>5</id></row></result>", 500));
    try {
        CataloguePost(u"/scripts/fail.php", {});
        FAIL() << "an error status was taken as a reply";
    } catch (const EHttpError &e) {
        EXPECT_EQ(e.status(), 500);
    }
}

TEST_F(CatalogueServiceTest, TheFormIsNeverResentToAnotherServerOrOverPlainHttp)
{
    const TestCertificates *certs = TestCertificates::instance();
    ASSERT_NE(certs, nullptr);
    LocalHttpServer elsewhere;
    ASSERT_TRUE(elsewhere.startTls(certs->serverCert(), certs->serverKey()));
    elsewhere.route("/scripts/sys_getlist.php", LocalHttpReply::text("<result></result>"));
    LocalHttpServer plain;
    ASSERT_TRUE(plain.start());
    plain.route("/scripts/sys_getlist.php", LocalHttpReply::text("<result></result>"));
    standIn.configure(folder);
    const QStringList identity{u"hwdid=5a0c3f1e-0000-4000-8000-000000000001"_s, u"cl_name=Иван"_s,
                               u"cl_mail=ivan@example.org"_s};
    // Another port of this host (another server), "localhost" for the same address, and plain HTTP.
    const QByteArray port = QByteArray::number(standIn.server().port());
    const QList<QByteArray> targets{elsewhere.baseUrl().toLatin1() + "/scripts/sys_getlist.php",
                                    "https://localhost:" + port + "/scripts/sys_getlist.php",
                                    plain.baseUrl().toLatin1() + "/scripts/sys_getlist.php"};
    for (const QByteArray &target : targets) {
        standIn.server().clearRequests();
        standIn.reply("/scripts/away.php", LocalHttpReply::redirect(target, 307));
        try {
            CataloguePost(u"/scripts/away.php", identity);
            FAIL() << "a redirect to " << target.toStdString() << " was followed";
        } catch (const EHttpError &e) {
            EXPECT_TRUE(e.message().contains(u"Переход отклонен"_s)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(target))) << e.message().toStdString();
        }
        EXPECT_EQ(standIn.server().requestCount(), 1) << target.toStdString();
    }
    EXPECT_EQ(elsewhere.requestCount(), 0);
    EXPECT_EQ(plain.requestCount(), 0);
}

TEST_F(CatalogueServiceTest, NothingIsSentWhenTheHostIsNotTrustedOrATextCannotBeSent)
{
    standIn.result("/scripts/sys_getlist.php", "");
    // Without the test authority the server's certificate is refused.
    folder.write(u"Vendra.ini"_s, "[CATALOGUE]\r\nHost=" + standIn.server().hostAndPort().toLatin1() + "\r\n");
    EXPECT_THROW(CataloguePost(u"/scripts/sys_getlist.php", {}), EHttpError);
    EXPECT_EQ(standIn.count("/scripts/sys_getlist.php"), 0);

    standIn.configure(folder);
    EXPECT_THROW(CataloguePost(u"/scripts/sys_getlist.php", {u"title=漢"_s}), ECatalogueError);
    EXPECT_EQ(standIn.server().requestCount(), 0);
}

TEST(CatalogueServicePlain, APlainHttpServerIsNeverTalkedTo)
{
    TempDataFolder folder;
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    // The server never answers the TLS greeting: the connection time-out ends the wait.
    THttpRoutineSettings &settings = HttpRoutineSettings();
    const THttpRoutineSettings saved = settings;
    settings.connectTimeoutMs = 1500;
    settings.readTimeoutMs = 1500;
    server.route("/scripts/sys_getlist.php", LocalHttpReply::text("<result></result>"));
    folder.write(u"Vendra.ini"_s, "[CATALOGUE]\r\nHost=" + server.hostAndPort().toLatin1() + "\r\n");
    EXPECT_THROW(CataloguePost(u"/scripts/sys_getlist.php", {}), EHttpError);
    settings = saved;
    EXPECT_EQ(server.requestCount(), 0);
}
