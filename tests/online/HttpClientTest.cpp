#include "online/HttpClient.h"
#include "online/HttpRoutines.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TempDataFolder.h"
#include "common/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString url(const LocalHttpServer &server, const char *path)
{
    return server.baseUrl() + QString::fromLatin1(path);
}

// A client as the tests use it: short time-outs, the test authority trusted.
THttpClient testClient()
{
    THttpClient client;
    client.setConnectTimeout(2000);
    client.setReadTimeout(2000);
    if (const TestCertificates *certs = TestCertificates::instance())
        client.setCaFile(certs->caFile());
    return client;
}

QString errorOf(const std::function<void()> &call, int *status = nullptr)
{
    try {
        call();
    } catch (const EHttpError &e) {
        if (status)
            *status = e.status();
        return e.message();
    }
    return {};
}

} // namespace

TEST(HttpRoutines, UrlHelpers)
{
    EXPECT_EQ(AddUrlParam(QString(), u"a=1"_s), u"a=1");
    EXPECT_EQ(AddUrlParam(u"a=1"_s, u"b=2"_s), u"a=1&b=2");
    EXPECT_EQ(AddUrlParam(u"a=1"_s, QString()), u"a=1");
    EXPECT_TRUE(IsHttpsUrl(u"HTTPS://host/"));
    EXPECT_FALSE(IsHttpsUrl(u"http://host/"));
    EXPECT_FALSE(IsHttpsUrl(u"https:/"));
    EXPECT_EQ(ExtractUrlPath(u"https://h/a/b.cfg"_s), u"https://h/a/");
    EXPECT_EQ(ExtractUrlPath(u"file.cfg"_s), QString());
    EXPECT_EQ(SslMethodOf(0), TSslMethod::None);
    EXPECT_EQ(SslMethodOf(6), TSslMethod::TLSv1_2);
    EXPECT_EQ(SslMethodOf(9), TSslMethod::TLSv1);
}

TEST(HttpClient, ProxyHostsThatCouldSmuggleAnythingAreRefused)
{
    EXPECT_TRUE(IsValidProxyHost(u"proxy.example.org"));
    EXPECT_TRUE(IsValidProxyHost(u"10.0.0.1"));
    EXPECT_TRUE(IsValidProxyHost(u"::1"));
    EXPECT_FALSE(IsValidProxyHost(u""));
    EXPECT_FALSE(IsValidProxyHost(u"user@host"));
    EXPECT_FALSE(IsValidProxyHost(u"host/path"));
    EXPECT_FALSE(IsValidProxyHost(u"socks5://host"));
    EXPECT_FALSE(IsValidProxyHost(u"host name"));
    EXPECT_FALSE(IsValidProxyHost(u"host\r\nX: y"));
    EXPECT_FALSE(IsValidProxyHost(u"1.2.3.4:80"));
}

TEST(HttpClient, DecodesGzipAndDeflateAndSendsTheFixedHeaders)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    LocalHttpReply gz = LocalHttpReply::text(QByteArray(5000, 'g') + "end");
    gz.encoding = LocalHttpReply::Encoding::Gzip;
    LocalHttpReply df = LocalHttpReply::text("deflated body");
    df.encoding = LocalHttpReply::Encoding::Deflate;
    server.route("/gz", gz);
    server.route("/df", df);

    THttpClient client = testClient();
    EXPECT_EQ(client.get(url(server, "/gz")), QByteArray(5000, 'g') + "end");
    EXPECT_EQ(client.get(url(server, "/df")), "deflated body");
    EXPECT_EQ(client.lastStatus(), 200);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const LocalHttpRequest &r = requests[0];
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.header("Accept"), "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    EXPECT_EQ(r.header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(r.header("User-Agent"), "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                                      "Chrome/47.0.2526.80 Safari/537.36");
    EXPECT_FALSE(r.hasHeader("Cookie"));
}

TEST(HttpClient, PostsFormFieldsInOrderAndEncoded)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    server.route("/scripts/post.php", LocalHttpReply::text("<result>ok</result>"));

    QByteArray reply;
    HttpRoutineSettings().connectTimeoutMs = 2000;
    HttpPost(url(server, "/scripts/post.php"), {u"a=x&y"_s, u"b=1+1"_s, u"c=пробел"_s, u"d=a=b"_s}, true, reply);
    EXPECT_EQ(reply, "<result>ok</result>");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].body, "a=x%26y&b=1%2B1&c=%D0%BF%D1%80%D0%BE%D0%B1%D0%B5%D0%BB&d=a%3Db");
    const QUrlQuery decoded(QString::fromLatin1(requests[0].body));
    EXPECT_EQ(decoded.queryItemValue(u"c"_s, QUrl::FullyDecoded), u"пробел");
    EXPECT_EQ(decoded.queryItemValue(u"a"_s, QUrl::FullyDecoded), u"x&y");
}

TEST(HttpClient, RedirectsAreFollowedOnlyWhenAskedAndNeverDowngradeTls)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    server.route("/old", LocalHttpReply::redirect("/new"));
    server.route("/new", LocalHttpReply::text("new page"));

    THttpClient client = testClient();
    EXPECT_EQ(client.get(url(server, "/old")), "new page");
    EXPECT_EQ(server.paths(), (QList<QByteArray>{"/old", "/new"}));

    server.clearRequests();
    client.setFollowRedirects(false);
    EXPECT_EQ(client.get(url(server, "/old")), "moved");
    EXPECT_EQ(client.lastStatus(), 302);
    EXPECT_EQ(server.paths(), (QList<QByteArray>{"/old"}));

    const TestCertificates *certs = TestCertificates::instance();
    ASSERT_NE(certs, nullptr);
    LocalHttpServer secure;
    ASSERT_TRUE(secure.startTls(certs->serverCert(), certs->serverKey()));
    secure.route("/down", LocalHttpReply::redirect(server.baseUrl().toLatin1() + "/new"));
    server.clearRequests();
    THttpClient follower = testClient();
    const QString downgrade = errorOf([&] { follower.get(url(secure, "/down")); });
    EXPECT_TRUE(downgrade.startsWith(u"Сервер перенаправил запрос по адресу \""_s + server.baseUrl() + u"/new\".\r"
                                      u"Адрес отклонен"_s))
        << downgrade.toStdString();
    EXPECT_EQ(server.requestCount(), 0);

    // A redirect that never ends.
    server.route("/loop", LocalHttpReply::redirect("/loop"));
    follower.setMaxRedirects(3);
    const QString loop = errorOf([&] { follower.get(url(server, "/loop")); });
    EXPECT_TRUE(loop.startsWith(u"Сервер перенаправляет запрос слишком много раз"_s)) << loop.toStdString();
    EXPECT_EQ(server.requestCount(), 4);

    // Kept to its server: the same server's address is followed, another port is not asked at all.
    LocalHttpServer other;
    ASSERT_TRUE(other.start());
    other.route("/new", LocalHttpReply::text("elsewhere"));
    server.route("/away", LocalHttpReply::redirect(url(other, "/new").toLatin1(), 307));
    server.route("/here", LocalHttpReply::redirect(url(server, "/new").toLatin1(), 307));
    follower.setRedirects(THttpRedirects::SameServer);
    EXPECT_EQ(follower.post(url(server, "/here"), {u"a=1"_s}), "new page");
    EXPECT_EQ(server.requests().back().body, "a=1");
    EXPECT_TRUE(errorOf([&] { follower.post(url(server, "/away"), {u"a=1"_s}); }).contains(u"Переход отклонен"_s));
    EXPECT_EQ(other.requestCount(), 0);
}

TEST(HttpClient, ErrorStatusesFailAndNeverReachTheTargetFile)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    server.route("/missing", LocalHttpReply::text("no such page", 404));
    server.route("/broken", LocalHttpReply::text("oops", 500));
    server.route("/short", LocalHttpReply::text("new"));

    THttpClient client = testClient();
    int status = 0;
    EXPECT_EQ(errorOf([&] { client.get(url(server, "/missing")); }, &status),
              u"Запрошенная страница на сервере не найдена (ошибка 404).\rHTTP/1.1 404 Not Found");
    EXPECT_EQ(status, 404);
    EXPECT_EQ(errorOf([&] { client.get(url(server, "/broken")); }, &status),
              u"На сервере произошла ошибка (ошибка 500): повторите попытку позже.\rHTTP/1.1 500 Internal Server Error");
    EXPECT_EQ(status, 500);
    server.route("/nothing", LocalHttpReply::nothing());
    const QString nothing = errorOf([&] { client.get(url(server, "/nothing")); });
    EXPECT_EQ(nothing, u"Сервер закрыл соединение, не прислав ответа."_s);

    QTemporaryDir dir;
    const QString target = dir.filePath(u"package.bin"_s);
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("a much longer old content");
    old.close();

    EXPECT_FALSE(errorOf([&] { client.getToFile(url(server, "/broken"), target); }).isEmpty());
    QFile check(target);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "a much longer old content");
    check.close();

    client.getToFile(url(server, "/short"), target);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "new");
    check.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"package.bin"_s});

    const QString fresh = dir.filePath(u"fresh.bin"_s);
    EXPECT_FALSE(errorOf([&] { HttpGetToFile(url(server, "/missing"), fresh, false); }).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"package.bin"_s});
}

TEST(HttpClient, TlsPeersAreVerified)
{
    const TestCertificates *certs = TestCertificates::instance();
    ASSERT_NE(certs, nullptr);
    LocalHttpServer trusted;
    ASSERT_TRUE(trusted.startTls(certs->serverCert(), certs->serverKey()));
    trusted.route("/page", LocalHttpReply::text("secret"));
    LocalHttpServer selfSigned;
    ASSERT_TRUE(selfSigned.startTls(certs->selfSignedCert(), certs->selfSignedKey()));
    selfSigned.route("/page", LocalHttpReply::text("forged"));

    THttpClient client = testClient();
    EXPECT_EQ(client.get(url(trusted, "/page")), "secret");
    EXPECT_FALSE(errorOf([&] { client.get(url(selfSigned, "/page")); }).isEmpty());
    EXPECT_EQ(selfSigned.requestCount(), 0);

    // The system's store does not know the test authority.
    THttpClient systemStore;
    systemStore.setConnectTimeout(2000);
    systemStore.setReadTimeout(2000);
    EXPECT_FALSE(errorOf([&] { systemStore.get(url(trusted, "/page")); }).isEmpty());

    // TLS code 0 gives no TLS layer at all: an https address fails.
    HttpRoutineSettings().caFile = certs->caFile();
    QByteArray text;
    EXPECT_FALSE(errorOf([&] { HttpGetTextEx(nullptr, url(trusted, "/page"), 0, text, true); }).isEmpty());
    HttpGetTextEx(nullptr, url(trusted, "/page"), 4, text, true);
    EXPECT_EQ(text, "secret");
    HttpRoutineSettings().caFile.clear();
}

TEST(HttpClient, SilentServersAndOversizedRepliesFailInTime)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.start());
    LocalHttpReply never;
    never.delayMs = -1;
    server.route("/never", never);
    server.route("/big", LocalHttpReply::text(QByteArray(100000, 'x')));

    THttpClient client = testClient();
    client.setReadTimeout(400);
    int pumped = 0;
    client.setEventPump([&pumped] { ++pumped; });
    EXPECT_EQ(errorOf([&] { client.get(url(server, "/never")); }), u"Превышено время ожидания ответа сервера (400 мс)");
    EXPECT_GE(pumped, 5); // the window kept working while the server was silent

    // The limit in bytes, with the word in the form its number takes.
    for (const auto &[limit, told] :
         {std::pair{1000, u"(1000 байт)"}, {1001, u"(1001 байт)"}, {1002, u"(1002 байта)"}, {1011, u"(1011 байт)"}}) {
        client.setMaxReplySize(limit);
        EXPECT_EQ(errorOf([&] { client.get(url(server, "/big")); }),
                  u"Ответ сервера больше допустимого размера "_s + QString::fromUtf16(told));
    }

    THttpClient refused = testClient();
    EXPECT_FALSE(errorOf([&] { refused.get(u"http://127.0.0.1:"_s + QString::number(ClosedLocalPort()) + u"/"_s); })
                     .isEmpty());
}

TEST(HttpClient, GoesThroughAProxyWhenOneIsSet)
{
    const TestCertificates *certs = TestCertificates::instance();
    ASSERT_NE(certs, nullptr);
    LocalHttpServer origin;
    ASSERT_TRUE(origin.startTls(certs->serverCert(), certs->serverKey()));
    origin.route("/page", LocalHttpReply::text("through the tunnel"));
    LocalHttpServer proxy;
    proxy.setProxyEnabled(true);
    proxy.setProxyCredentials("user", "pa:ss");
    proxy.route("/plain", LocalHttpReply::text("from the proxy"));
    ASSERT_TRUE(proxy.start());

    THttpClient client = testClient();
    client.setProxy({u"127.0.0.1"_s, proxy.port(), u"user"_s, u"pa:ss"_s});
    EXPECT_EQ(client.get(url(origin, "/page")), "through the tunnel");
    EXPECT_EQ(client.get(u"http://results.invalid:81/plain"_s), "from the proxy");
    const QList<QByteArray> seen = proxy.paths();
    EXPECT_TRUE(seen.contains(origin.hostAndPort().toLatin1()));
    EXPECT_TRUE(seen.contains("/plain"));
    EXPECT_EQ(proxy.requests().back().target, "http://results.invalid:81/plain");
    EXPECT_EQ(origin.paths(), (QList<QByteArray>{"/page"}));

    // A proxy that closes the connection after its challenge without saying so: a new one is made.
    proxy.setProxyChallengeCloses(true);
    for (const QString &address : {url(origin, "/page"), u"http://results.invalid:81/plain"_s}) {
        EXPECT_EQ(errorOf([&] { client.get(address); }), QString()) << address.toStdString();
        EXPECT_FALSE(proxy.requests().back().header("Proxy-Authorization").isEmpty());
    }
    proxy.setProxyChallengeCloses(false);

    // Wrong credentials: the proxy's refusal is a failure.
    client.setProxy({u"127.0.0.1"_s, proxy.port(), u"user"_s, u"wrong"_s});
    EXPECT_FALSE(errorOf([&] { client.get(u"http://results.invalid:81/plain"_s); }).isEmpty());

    // A proxy with an empty server or port 0 means a direct connection.
    client.setProxy({QString(), proxy.port(), {}, {}});
    origin.clearRequests();
    EXPECT_EQ(client.get(url(origin, "/page")), "through the tunnel");
    client.setProxy({u"bad host"_s, 8080, {}, {}});
    EXPECT_EQ(errorOf([&] { client.get(url(origin, "/page")); }), u"Некорректный адрес proxy-сервера: \"bad host : 8080\"");
}

TEST(HttpClient, FailuresAreToldInRussianWithAShortCause)
{
    const TestCertificates *certs = TestCertificates::instance();
    ASSERT_NE(certs, nullptr);
    const quint16 closedPort = ClosedLocalPort();
    const QString closed = u"127.0.0.1:"_s + QString::number(closedPort);

    // Nobody listens: the sentence, then the server on the next line (never the library's English).
    THttpClient client = testClient();
    EXPECT_EQ(errorOf([&] { client.get(u"http://"_s + closed + u"/"_s); }),
              u"Не удалось соединиться с сервером: он недоступен или отказал в соединении.\rСервер: "_s + closed + u'.');
    // A name that never resolves.
    EXPECT_EQ(errorOf([&] { client.get(u"http://results.invalid/"_s); }),
              u"Сервер не найден: проверьте адрес и подключение к сети Интернет.\rСервер: results.invalid."_s);

    // A certificate no trusted authority signed.
    LocalHttpServer selfSigned;
    ASSERT_TRUE(selfSigned.startTls(certs->selfSignedCert(), certs->selfSignedKey()));
    EXPECT_EQ(errorOf([&] { client.get(url(selfSigned, "/page")); }),
              u"Сертификат сервера не принят: защищенное соединение не установлено.\rПричина: сертификат "
              u"самоподписанный, его не заверил доверенный центр сертификации."_s);

    // A file of authorities that cannot serve is named, and no connection is made.
    TempDataFolder dir;
    dir.write(u"empty.pem"_s, {});
    dir.write(u"junk.pem"_s, "-----BEGIN CERTIFICATE-----\n%%%\n-----END CERTIFICATE-----\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.pem"_s));
    const int readFailures = FileReadFailureCount();
    THttpClient badCa = testClient();
    for (const auto &[name, problem] : {std::pair{u"missing.pem", u"не найден."}, {u"empty.pem", u"пуст."},
                                        {u"junk.pem", u"не содержит ни одного сертификата в формате PEM."},
                                        {u"folder.pem", u"не удалось прочитать: Это не обычный файл, а каталог."}}) {
        badCa.setCaFile(dir.file(QString::fromUtf16(name)));
        EXPECT_EQ(errorOf([&] { badCa.get(url(selfSigned, "/page")); }),
                  u"Файл сертификатов \""_s + badCa.caFile() + u"\" (параметр CaFile) "_s + QString::fromUtf16(problem));
    }
    EXPECT_EQ(selfSigned.requestCount(), 0);
    EXPECT_EQ(FileReadFailureCount(), readFailures); // told once, not again as a data file of the run

    // A dead proxy is named as the proxy, not taken for the site.
    client.setProxy({u"127.0.0.1"_s, closedPort, {}, {}});
    const QString deadProxy = errorOf([&] { client.get(u"http://results.invalid/"_s); });
    EXPECT_TRUE(deadProxy.startsWith(u"Нет соединения с proxy-сервером \"127.0.0.1 : " + QString::number(closedPort) +
                                     u"\""))
        << deadProxy.toStdString();

    // A proxy that refuses the user.
    LocalHttpServer proxy;
    proxy.setProxyEnabled(true);
    proxy.setProxyCredentials("user", "right");
    ASSERT_TRUE(proxy.start());
    client.setProxy({u"127.0.0.1"_s, proxy.port(), u"user"_s, u"wrong"_s});
    for (const QString &address : {u"http://results.invalid:81/plain"_s, url(selfSigned, "/page")}) {
        const QString refusedByProxy = errorOf([&] { client.get(address); });
        EXPECT_TRUE(refusedByProxy.startsWith(u"Proxy-сервер \"127.0.0.1 : " + QString::number(proxy.port()) +
                                              u"\" отказал в соединении"))
            << refusedByProxy.toStdString();
    }
}

TEST(HttpClient, TimeOutsAndUnknownFailuresInTheirOwnWords)
{
    const THttpProxy none;
    const THttpProxy proxy{u"proxy.example"_s, 3128, {}, {}};
    EXPECT_EQ(NetworkFailureText(28, u"Соединение не установлено за 5000 мс."_s, none, false),
              u"Сервер не ответил за отведенное время: проверьте подключение к сети Интернет.\r"
              u"Соединение не установлено за 5000 мс.");
    EXPECT_TRUE(NetworkFailureText(28, u"x"_s, proxy, false)
                    .startsWith(u"Proxy-сервер \"proxy.example : 3128\" не ответил за отведенное время."));
    // Once connected to the proxy, a silent answer is the site's.
    EXPECT_TRUE(NetworkFailureText(28, u"x"_s, proxy, true).startsWith(u"Сервер не ответил"));
    EXPECT_TRUE(NetworkFailureText(5, u"Could not resolve proxy: proxy.example"_s, proxy, false)
                    .startsWith(u"Proxy-сервер \"proxy.example\" не найден"));
    EXPECT_EQ(NetworkFailureText(18, u"Получено 10 байт из 20."_s, none, true),
              u"Соединение с сервером прервано: ответ получен не полностью.\rПолучено 10 байт из 20.");
    // Anything else is told with its code, in Russian too.
    EXPECT_EQ(NetworkFailureText(43, {}, none, true), u"Сетевой запрос не выполнен (ошибка 43).");
}

TEST(HttpClient, ARouteFailsUnlessTheSiteAnsweredThroughIt)
{
    // Real proxies in the ways real ones fail, before an HTTPS site: the route failed unless the
    // site's whole reply came through the tunnel, and the message says what the proxy did.
    const TestCertificates *certs = TestCertificates::instance();
    ASSERT_NE(certs, nullptr);
    LocalHttpServer site;
    site.route("/page", LocalHttpReply::text("page"));
    site.route("/down", LocalHttpReply::text("down", 500));
    LocalHttpReply silent = LocalHttpReply::text("late");
    silent.delayMs = -1;
    site.route("/silent", silent);
    ASSERT_TRUE(site.startTls(certs->serverCert(), certs->serverKey()));
    // What a proxy that reads the traffic shows in the site's place: its own certificate, signed by
    // nobody trusted or by a trusted authority for another name.
    LocalHttpServer selfSigned, otherName;
    ASSERT_TRUE(selfSigned.startTls(certs->selfSignedCert(), certs->selfSignedKey()));
    ASSERT_TRUE(otherName.startTls(certs->otherNameCert(), certs->otherNameKey()));
    LocalHttpServer proxy;
    proxy.setProxyEnabled(true);
    ASSERT_TRUE(proxy.start());
    const QString name = u"\"127.0.0.1 : "_s + QString::number(proxy.port()) + u'"';
    const QString server = u"\""_s + site.hostAndPort() + u'"';
    const QString siteDown = u"127.0.0.1:"_s + QString::number(ClosedLocalPort());
    const auto closedProxy = ClosedLocalPort(); // the proxy of the row that refuses the connection
    const QString notOpened = u"Proxy-сервер "_s + name + u" не открыл соединение с сервером "_s + server;
    const QString gateway = u"Proxy-сервер "_s + name + u" не смог соединиться с сервером "_s + server +
                            u".\rОтвет proxy-сервера: ошибка "_s;
    const QString refused = u"Proxy-сервер "_s + name +
                            u" отказал в соединении: проверьте настройки proxy-сервера.\rОтвет "_s +
                            u"proxy-сервера: ошибка "_s;
    struct Case {
        const char *fault;
        LocalTunnelAnswer answer;
        int status;      // the proxy's status to the tunnel request, or its answer when the site is down
        QString address; // the site's page
        int replyTimeoutMs;
        bool routeFailed;
        QString text; // the start of the message (empty: no failure)
    };
    const QString page = url(site, "/page");
    const Case cases[] = {
        {"refuses the connection", LocalTunnelAnswer::Open, 0, page, 0, true,
         u"Нет соединения с proxy-сервером \"127.0.0.1 : "_s + QString::number(closedProxy) + u'"'},
        {"closes before a reply", LocalTunnelAnswer::Close, 0, page, 0, true, notOpened},
        {"answers 502", LocalTunnelAnswer::Status, 502, page, 0, true, gateway + u"502."_s},
        {"answers 503", LocalTunnelAnswer::Status, 503, page, 0, true, gateway + u"503."_s},
        {"answers 504", LocalTunnelAnswer::Status, 504, page, 0, true, gateway + u"504."_s},
        {"answers 403", LocalTunnelAnswer::Status, 403, page, 0, true, refused + u"403."_s},
        {"answers 407", LocalTunnelAnswer::Status, 407, page, 0, true, refused + u"407."_s},
        {"opens, then stalls", LocalTunnelAnswer::OpenThenStall, 0, page, 0, true,
         u"Сервер "_s + server + u" не ответил через proxy-сервер "_s + name + u" за отведенное время."_s},
        {"opens, then stalls past the route's share", LocalTunnelAnswer::OpenThenStall, 0, page, 700, true,
         u"Сервер "_s + server + u" не начал ответ через proxy-сервер "_s + name + u" за 700 мс."_s},
        {"opens, then holds the reply", LocalTunnelAnswer::OpenThenHoldReply, 0, page, 0, true,
         u"Превышено время ожидания ответа сервера (2000 мс): соединение через proxy-сервер "_s + name},
        {"sends junk", LocalTunnelAnswer::Junk, 0, page, 0, true, notOpened},
        {"opens, then closes", LocalTunnelAnswer::OpenThenClose, 0, page, 0, true,
         u"Соединение с сервером "_s + server + u" через proxy-сервер "_s + name + u" прервано до ответа сервера."_s},
        {"site down, the proxy closes", LocalTunnelAnswer::Open, 0, u"https://"_s + siteDown + u"/page"_s, 0, true,
         u"Proxy-сервер "_s + name + u" не открыл соединение с сервером \""_s + siteDown},
        {"site down, the proxy answers 502", LocalTunnelAnswer::Open, 502, u"https://"_s + siteDown + u"/page"_s, 0,
         true, u"Proxy-сервер "_s + name + u" не смог соединиться с сервером \""_s + siteDown},
        {"opens, then shows a self-signed certificate", LocalTunnelAnswer::Open, 0, url(selfSigned, "/page"), 0, true,
         u"Сертификат сервера \""_s + selfSigned.hostAndPort() + u"\", полученный через proxy-сервер "_s + name +
             u", не принят: защищенное соединение не установлено.\rПричина: сертификат самоподписанный"_s},
        {"opens, then shows a certificate for another name", LocalTunnelAnswer::Open, 0, url(otherName, "/page"), 0,
         true,
         u"Сертификат сервера \""_s + otherName.hostAndPort() + u"\", полученный через proxy-сервер "_s + name +
             u", не принят: защищенное соединение не установлено.\rПричина: сертификат выдан для другого имени "
             u"сервера."_s},
        {"the site falls silent", LocalTunnelAnswer::Open, 0, url(site, "/silent"), 0, true,
         u"Превышено время ожидания ответа сервера"_s},
        {"the site answers 500", LocalTunnelAnswer::Open, 0, url(site, "/down"), 0, false,
         u"На сервере произошла ошибка (ошибка 500)"_s},
        {"works", LocalTunnelAnswer::Open, 0, page, 0, false, QString()},
    };
    for (const Case &c : cases) {
        proxy.setTunnelAnswer(c.answer, c.status);
        proxy.setUnreachableStatus(c.status);
        THttpClient client = testClient();
        client.setReplyTimeout(c.replyTimeoutMs);
        const bool refuses = QByteArray(c.fault) == "refuses the connection";
        client.setProxy({u"127.0.0.1"_s, refuses ? closedProxy : proxy.port(), {}, {}});
        std::optional<EHttpError> failure;
        try {
            EXPECT_EQ(client.get(c.address), "page") << c.fault;
        } catch (const EHttpError &e) {
            failure = e;
        }
        ASSERT_EQ(failure.has_value(), !c.text.isEmpty()) << c.fault;
        if (!failure)
            continue;
        EXPECT_TRUE(failure->message().startsWith(c.text)) << c.fault << ": " << failure->message().toStdString();
        EXPECT_FALSE(failure->message().contains(u"Получено 0 байт"_s)) << failure->message().toStdString();
        EXPECT_EQ(failure->routeFailed(), c.routeFailed) << c.fault;
    }
    // Without a proxy no route is judged; a cut reply says how much came, in the word's form.
    THttpOutcome out;
    out.curlCode = 18;
    out.connected = true;
    out.status = 200;
    THttpRequestFacts facts;
    facts.url = QUrl(page);
    for (const auto &[received, told] : {std::pair{1, u"Получено 1 байт из 20."},
                                         {2, u"Получено 2 байта из 20."},
                                         {5, u"Получено 5 байт из 20."},
                                         {12, u"Получено 12 байт из 20."}}) {
        out.received = received;
        out.expected = 20;
        const std::optional<EHttpError> direct = HttpFailureOf(out, facts);
        ASSERT_TRUE(direct.has_value());
        EXPECT_TRUE(direct->message().endsWith(u'\r' + QString::fromUtf16(told))) << direct->message().toStdString();
        EXPECT_FALSE(direct->routeFailed());
    }
    THttpOutcome complete;
    complete.status = 200;
    EXPECT_FALSE(HttpFailureOf(complete, facts).has_value());
}
