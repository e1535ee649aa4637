#include "online/HttpRoutines.h"

namespace {

constexpr uint8_t kDefaultTlsCode = 4;

THttpClient makeClient(const THttpProxy *proxy, uint8_t tlsCode, bool followRedirects)
{
    const THttpRoutineSettings &settings = HttpRoutineSettings();
    THttpClient client;
    client.setConnectTimeout(settings.connectTimeoutMs);
    client.setReadTimeout(settings.readTimeoutMs);
    client.setTotalTimeout(settings.totalTimeoutMs);
    client.setMaxReplySize(settings.maxReplySize);
    client.setCaFile(settings.caFile);
    client.setTlsEnabled(SslMethodOf(tlsCode) != TSslMethod::None);
    client.setFollowRedirects(followRedirects);
    if (proxy && proxy->isSet())
        client.setProxy(*proxy);
    return client;
}

} // namespace

QString ExtractUrlPath(const QString &url)
{
    const qsizetype p = url.lastIndexOf(u'/');
    return p < 0 ? QString() : url.left(p + 1);
}

QString AddUrlParam(const QString &query, const QString &param)
{
    if (query.isEmpty())
        return param;
    if (param.isEmpty())
        return query;
    return query + u'&' + param;
}

bool IsHttpsUrl(QStringView url)
{
    return url.startsWith(u"https://", Qt::CaseInsensitive);
}

TSslMethod SslMethodOf(uint8_t tlsCode)
{
    switch (tlsCode) {
    case 0: return TSslMethod::None;
    case 1: return TSslMethod::SSLv2;
    case 2: return TSslMethod::SSLv23;
    case 3: return TSslMethod::SSLv3;
    case 4: return TSslMethod::TLSv1;
    case 5: return TSslMethod::TLSv1_1;
    case 6: return TSslMethod::TLSv1_2;
    default: return TSslMethod::TLSv1;
    }
}

THttpRoutineSettings &HttpRoutineSettings()
{
    static THttpRoutineSettings settings;
    return settings;
}

void HttpGetToFileEx(const THttpProxy *proxy, const QString &url, const QString &fileName, uint8_t tlsCode)
{
    THttpClient client = makeClient(proxy, tlsCode, true);
    client.getToFile(url, fileName);
}

void HttpGetToFile(const QString &url, const QString &fileName, bool useTls)
{
    HttpGetToFileEx(nullptr, url, fileName, useTls ? kDefaultTlsCode : 0);
}

void HttpGetTextEx(const THttpProxy *proxy, const QString &url, uint8_t tlsCode, QByteArray &text, bool followRedirects,
                   int totalTimeoutMs)
{
    THttpClient client = makeClient(proxy, tlsCode, followRedirects);
    if (totalTimeoutMs > 0)
        client.setTotalTimeout(totalTimeoutMs);
    text = client.get(url);
}

void HttpPostEx(const THttpProxy *proxy, const QString &url, const QStringList &fields, QByteArray &text,
                bool followRedirects, uint8_t tlsCode)
{
    THttpClient client = makeClient(proxy, tlsCode, followRedirects);
    text = client.post(url, fields);
}

void HttpPostTls(const QString &url, const QStringList &fields, bool useTls, QByteArray &text, bool followRedirects)
{
    HttpPostEx(nullptr, url, fields, text, followRedirects, useTls ? kDefaultTlsCode : 0);
}

void HttpPost(const QString &url, const QStringList &fields, bool followRedirects, QByteArray &text)
{
    HttpPostTls(url, fields, IsHttpsUrl(url), text, followRedirects);
}
