#pragma once

#include "online/ProxyListSearch.h"
#include "app/settings/ProxySettings.h"

// The filters the automatic proxy mode asks of the public proxy list: HTTPS servers for an
// https:// results address (else HTTP and HTTPS), any anonymity, any country, any port, the
// request's minimum uptime and response time.
TProxyListFilter ProxyListFilterOf(const TProxySearchRequest &request);

// The candidates of the automatic proxy mode, found in the public proxy list.
class TProxyListCandidates : public IProxyCandidateSource {
public:
    explicit TProxyListCandidates(QString siteUrl = QString::fromUtf16(kDefaultProxyListUrl));

    // The servers found. When the search fails before finding any (the site cannot be reached,
    // its page is of another form), raises Exception telling why; a failure on a later page keeps
    // what the earlier pages gave.
    QStringList searchProxies(const TProxySearchRequest &request) override;

private:
    QString m_siteUrl;
};
