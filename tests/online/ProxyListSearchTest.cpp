#include "online/ProxyListSearch.h"
#include "common/Exception.h"
#include "tests/support/LocalHttpServer.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// One table row as the site writes it: the first half of the address backwards, the second half
// as Base64 in "\x" escapes, the port less the page's offset.
QByteArray row(const QByteArray &firstHalf, const QByteArray &secondHalf, int portLessOffset)
{
    QByteArray reversed = firstHalf;
    std::reverse(reversed.begin(), reversed.end());
    QByteArray escaped;
    for (char c : secondHalf.toBase64())
        escaped += "\\x" + QByteArray::number(static_cast<unsigned char>(c), 16);
    return "<tr><td><script>var a = '" + reversed + "'.split('').reverse().join(''); var b = atob('" + escaped +
           "'); var pp = (" + QByteArray::number(portLessOffset) +
           " + parseInt(o)); document.write(a + b + ':' + pp);</script></td><td>HTTPS</td><td>75%</td></tr>\n";
}

QByteArray page(const QByteArray &rows, int offset = 0)
{
    return "<html><body><div style=\"display:none\" data-port=\"" + QByteArray::number(offset) +
           "\"></div><table><thead><tr><th>IP</th><th>Type</th></tr></thead><tbody>\n" + rows +
           "</tbody></table></body></html>";
}

// A page of `count` servers 10.<block>.0.1 .. 10.<block>.0.count, ports 3000 + n.
QByteArray fullPage(int block, int count = 15, int offset = 0)
{
    QByteArray rows;
    for (int n = 1; n <= count; ++n)
        rows += row("10." + QByteArray::number(block) + ".", "0." + QByteArray::number(n), 3000 + n - offset);
    return page(rows, offset);
}

QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Exception &e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(ProxyListSearch, HexCodes)
{
    EXPECT_EQ(HexCodeToChar(u"41"), u"A");
    EXPECT_EQ(HexCodeToChar(u"3D"), u"=");
    EXPECT_EQ(HexCodeToChar(u"410"), u"А"_s); // Cyrillic capital A
    for (const char16_t *bad : {u"", u"4g", u"-1"})
        EXPECT_EQ(HexCodeToChar(bad), QString());
}

TEST(ProxyListSearch, QueryKeepsTheSitesOrderAndPaging)
{
    TProxyListFilter none;
    EXPECT_EQ(ProxyListPageUrl(u"http://h:81"_s, none, 1), u"http://h:81/");
    EXPECT_EQ(ProxyListPageUrl(u"http://h:81/"_s, none, 3), u"http://h:81/?offset=30");

    TProxyListFilter all;
    all.protocols = ppSocks5 | ppHttp | ppHttps;
    all.anonymityLevels = 0x1 | 0x8;
    all.countries = u"RU; DE,US"_s;
    all.port = 8080; // filtered here, never sent
    all.minUptime = 75;
    all.maxResponseMs = 10500;
    EXPECT_EQ(ProxyListQuery(all, 2), u"protocol=http&protocol=https&protocol=socks5&anonlvl=1&anonlvl=4&country=RU&"
                                      u"country=DE&country=US&min_uptime=75&max_response_time=10&offset=15");
    TProxyListFilter fast;
    fast.maxResponseMs = 999; // below a second: whole seconds give 0
    EXPECT_EQ(ProxyListQuery(fast, 1), u"max_response_time=0");
}

TEST(ProxyListSearch, PageRowsGiveHostsAndPortsWithTheOffset)
{
    QByteArray rows = row("127.0.", "0.1", 8000);
    rows += row("", "proxy.example.net", 3000);                 // the whole host in the second half
    rows += "<tr><td>no script here</td></tr>\n";               // skipped, but seen
    rows += row("10.0.0.", "9", 8000).replace("(8000", "(80x"); // port not a number
    rows += row("evil.host/path@", "x", 100);                   // not a host
    rows += row("10.0.0.", "8", 65535);                         // port beyond 65535 with the offset
    const TProxyListPage parsed = ParseProxyListPage(QString::fromLatin1(page(rows, 80)));
    ASSERT_TRUE(parsed.hasTable);
    EXPECT_EQ(parsed.rows, 6);
    EXPECT_EQ(parsed.badRows, 4);
    ASSERT_EQ(parsed.entries.size(), 2u);
    EXPECT_EQ(parsed.entries[0].text(), u"127.0.0.1:8080");
    EXPECT_EQ(parsed.entries[1].text(), u"proxy.example.net:3080");

    EXPECT_FALSE(ParseProxyListPage(u"<html><body>Сервис временно недоступен</body></html>").hasTable);
    EXPECT_FALSE(ParseProxyListPage(u"<table><tbody><tr><td>1</td></tr>").hasTable); // cut short
    const TProxyListPage empty = ParseProxyListPage(QString::fromLatin1(page({})));
    EXPECT_TRUE(empty.hasTable);
    EXPECT_EQ(empty.rows, 0);
}

TEST(ProxyListSearch, PagesUntilEnoughOrAShortPage)
{
    LocalHttpServer server;
    server.setHandler([](const LocalHttpRequest &r) {
        if (r.path == "/?protocol=https")
            return LocalHttpReply::text(fullPage(1));
        if (r.path == "/?protocol=https&offset=15")
            return LocalHttpReply::text(fullPage(2, 14, 7));
        return LocalHttpReply::text("unexpected", 404);
    });
    ASSERT_TRUE(server.start());
    TProxyListSearch search(server.baseUrl());
    TProxyListFilter filter;
    filter.protocols = ppHttps;

    QStringList list{u"stale:1"_s};
    // 30 wanted: the second page has 14 rows and ends the search.
    EXPECT_EQ(search.FetchProxyList(list, filter, 30), 29);
    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_EQ(list.first(), u"10.1.0.1:3001");
    EXPECT_EQ(list.last(), u"10.2.0.14:3014");
    EXPECT_FALSE(list.contains(u"stale:1"_s));

    // 10 wanted: the first page is enough.
    server.clearRequests();
    EXPECT_EQ(search.FetchProxyList(list, filter, 10), 15);
    EXPECT_EQ(server.requestCount(), 1);

    // A port only one server has.
    filter.port = 3014;
    EXPECT_EQ(search.FetchProxyList(list, filter, 30), 2);
    EXPECT_EQ(list, QStringList({u"10.1.0.14:3014"_s, u"10.2.0.14:3014"_s}));
}

TEST(ProxyListSearch, PagingEndsOnAPortNoServerHasAndOnASiteIgnoringTheOffset)
{
    LocalHttpServer server;
    int served = 0;
    server.setHandler([&served](const LocalHttpRequest &) { return LocalHttpReply::text(fullPage(++served)); });
    ASSERT_TRUE(server.start());
    TProxyListSearch search(server.baseUrl());
    TProxyListFilter filter;
    filter.port = 1;
    QStringList list;
    // Every page is full and new, and none has the port: the search still ends.
    EXPECT_EQ(search.FetchProxyList(list, filter, 30), 0);
    EXPECT_EQ(server.requestCount(), kProxyListMaxPages);
    EXPECT_EQ(search.pagesFetched(), kProxyListMaxPages);

    LocalHttpServer same;
    same.setHandler([](const LocalHttpRequest &) { return LocalHttpReply::text(fullPage(1)); });
    ASSERT_TRUE(same.start());
    TProxyListSearch again(same.baseUrl());
    EXPECT_EQ(again.FetchProxyList(list, {}, 30), 15);
    EXPECT_EQ(same.requestCount(), 2); // the second page listed nothing new
}

TEST(ProxyListSearch, APageOfAnotherShapeOrAFailedFetchSaysWhy)
{
    LocalHttpServer server;
    server.route("/", LocalHttpReply::text("<html><body><h1>Новый дизайн сайта</h1></body></html>"));
    server.route("/?offset=15", LocalHttpReply::text("busy", 503));
    server.route("/?protocol=http",
                 LocalHttpReply::text(page("<tr><td><script>document.write(decode(x));</script></td></tr>")));
    ASSERT_TRUE(server.start());
    TProxyListSearch search(server.baseUrl());
    QStringList list;
    const QString noTable = errorOf([&] { search.FetchProxyList(list, {}, 30); });
    EXPECT_NE(noTable.indexOf(u"не распознана: на ней нет таблицы серверов"), -1) << noTable.toStdString();
    EXPECT_TRUE(list.isEmpty());

    TProxyListFilter http;
    http.protocols = ppHttp;
    const QString noRows = errorOf([&] { search.FetchProxyList(list, http, 30); });
    EXPECT_NE(noRows.indexOf(u"не удалось прочитать ни одного адреса"), -1) << noRows.toStdString();

    // A failure on page 2 keeps what page 1 gave.
    server.route("/", LocalHttpReply::text(fullPage(1)));
    EXPECT_FALSE(errorOf([&] { search.FetchProxyList(list, {}, 30); }).isEmpty());
    EXPECT_EQ(list.size(), 15);

    // A page that drips a byte now and then ends with the search's deadline, and says so.
    LocalHttpReply dripping = LocalHttpReply::text(fullPage(1));
    dripping.trickleMs = 20;
    server.route("/?protocol=https", dripping);
    TProxyListFilter https;
    https.protocols = ppHttps;
    search.setDeadline(1500);
    EXPECT_EQ(errorOf([&] { search.FetchProxyList(list, https, 30); }),
              u"Превышено общее время поиска proxy-серверов (1500 мс)");
    EXPECT_TRUE(list.isEmpty());
}
