#include "app/settings/ProxyListCandidates.h"

#include "common/BlockingWait.h"
#include "common/Exception.h"
#include "common/Format.h"

TProxyListFilter ProxyListFilterOf(const TProxySearchRequest &request)
{
    TProxyListFilter filter;
    filter.protocols = request.httpsOnly ? ppHttps : (ppHttp | ppHttps);
    filter.minUptime = request.minUptime;
    filter.maxResponseMs = request.maxResponseMs;
    return filter;
}

TProxyListCandidates::TProxyListCandidates(QString siteUrl) : m_siteUrl(std::move(siteUrl))
{
}

QStringList TProxyListCandidates::searchProxies(const TProxySearchRequest &request)
{
    TProxyListSearch search(m_siteUrl);
    QStringList list;
    try {
        search.FetchProxyList(list, ProxyListFilterOf(request), request.count);
    } catch (const Exception &e) {
        // A search the user cancelled ends the operation it serves.
        if (IsWaitCancelled(e))
            throw;
        if (list.isEmpty())
            throw Exception(Format(u"Поиск proxy-серверов не удался: %s", {e.message()}));
    }
    return list;
}
