#include "app/settings/ProxyListCandidates.h"
#include "tests/support/LocalHttpServer.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A list page with one server per address, the whole address in the Base64 half of the script.
QByteArray listPage(const QList<QByteArray> &servers, int port)
{
    QByteArray rows;
    for (const QByteArray &host : servers) {
        QByteArray escaped;
        for (char c : host.toBase64())
            escaped += "\\x" + QByteArray::number(static_cast<unsigned char>(c), 16);
        rows += "<tr><td><script>var a = ''.split(''); var b = atob('" + escaped + "'); var pp = (" +
                QByteArray::number(port) + " + o);</script></td></tr>";
    }
    return "<div style=\"display:none\" data-p=\"0\"></div><table><tbody>" + rows + "</tbody></table>";
}

} // namespace

TEST(ProxyListCandidates, TheAutomaticModeGetsTheListsServers)
{
    LocalHttpServer site;
    site.route("/?protocol=https&min_uptime=75&max_response_time=10",
               LocalHttpReply::text(listPage({"127.0.0.1", "10.0.0.2"}, 3128)));
    site.route("/?protocol=http&protocol=https&min_uptime=75&max_response_time=10",
               LocalHttpReply::text(listPage({"10.0.0.3"}, 8080)));
    ASSERT_TRUE(site.start());
    TProxyListCandidates candidates(site.baseUrl());

    TProxySearchRequest plain;
    plain.httpsOnly = false;
    EXPECT_EQ(candidates.searchProxies(plain), QStringList({u"10.0.0.3:8080"_s}));

    // Through the proxy settings: the first server found is the one used.
    TProxy proxy;
    proxy.mode = pmProxyAuto;
    TProxyManager manager(proxy, candidates);
    THttpClient client;
    ASSERT_TRUE(manager.SetupProxy(client, u"https://results.vendra.example/vendra/results/2024-march"_s, 1))
        << manager.lastError().toStdString();
    EXPECT_EQ(client.proxy(), (THttpProxy{u"127.0.0.1"_s, 3128, {}, {}}));
    EXPECT_EQ(*manager.candidates(), QStringList({u"127.0.0.1:3128"_s, u"10.0.0.2:3128"_s}));
}
