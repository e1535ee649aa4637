#pragma once

#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <vector>

// The search of a public proxy-list web site for the automatic proxy mode of the results
// download. The site lists servers 15 to a page, filtered by the query of the page address; each
// table row hides the server's address and port behind a small script, whose pieces are read
// here the way the page's script puts them together.

// Protocols a listed server must speak (flags, any combination).
enum TProxyProtocol : uint8_t {
    ppHttp = 0x1,
    ppHttps = 0x2,
    ppSocks4 = 0x4,
    ppSocks5 = 0x8,
};

// The filters of a search. Anonymity levels are flags too: bit 0 for level 1 ... bit 3 for level 4.
struct TProxyListFilter {
    uint8_t protocols = 0;
    uint8_t anonymityLevels = 0;
    QString countries;     // country codes separated by "," or ";"
    int port = 0;          // 0, or the port the servers must have
    int minUptime = 0;     // percent; 0 = any
    int maxResponseMs = 0; // milliseconds (sent in whole seconds); 0 = any
};

inline constexpr int kProxyListPageRows = 15;
// A search reads at most this many pages, whatever the site answers.
inline constexpr int kProxyListMaxPages = 10;
// ... and ends within this time, however slowly the site sends: the list only serves to reach the
// results site, whose months have a deadline of their own.
inline constexpr int kProxyListDeadlineMs = 60000;
inline constexpr char16_t kDefaultProxyListUrl[] = u"http://proxylist.vendra.example/";

// The character whose code is the hexadecimal number ("41" gives "A"); empty when the text is not
// a hexadecimal number.
QString HexCodeToChar(QStringView hex);

// The query of a page: protocol=..., anonlvl=..., country=..., min_uptime=..., max_response_time=...
// (whole seconds), offset=... (from page 2 on), in that order; empty without filters on page 1.
QString ProxyListQuery(const TProxyListFilter &filter, int page);
// The site's address (its root when it has no path) followed by "?" and the query, when there is one.
QString ProxyListPageUrl(const QString &siteUrl, const TProxyListFilter &filter, int page);

// One server the page lists.
struct TProxyListEntry {
    QString host;
    int port = 0;
    QString text() const; // "host:port"
};

// What one page holds.
struct TProxyListPage {
    bool hasTable = false;                // the page has the servers table at all
    int rows = 0;                         // table rows seen, read or not
    int badRows = 0;                      // rows without a usable address and port
    std::vector<TProxyListEntry> entries; // the readable rows, in page order
};
// Reads a page. Only a host name or an IPv4 address with a port 1..65535 is taken: a row whose
// script is missing or damaged, whose port is not a number or whose host could carry anything
// else is counted as seen and skipped.
TProxyListPage ParseProxyListPage(QStringView page);

// The site's address from section "PROXYLIST", key "Url" of the program's ini file, the default
// site when it has none.
QString LoadProxyListUrl(const QString &iniFileName);

// Fetches pages of the proxy list and collects "host:port" entries.
class TProxyListSearch {
public:
    explicit TProxyListSearch(QString siteUrl = QString::fromUtf16(kDefaultProxyListUrl));

    const QString &siteUrl() const { return m_siteUrl; }
    // The time a whole search (or one page fetched alone) may take.
    void setDeadline(int milliseconds) { m_deadlineMs = milliseconds; }

    // Clears the list and reads pages 1, 2, 3, ... until it holds at least `count` entries, a page
    // has fewer than 15 rows, a page lists no server not seen before (a site that ignores the
    // offset), kProxyListMaxPages were read or the deadline passed. Returns the number of entries.
    // A failed fetch or a page that is not a proxy list raises Exception (a page cut by the deadline
    // "Превышено общее время поиска proxy-серверов"); the entries found before stay in the list.
    int FetchProxyList(QStringList &list, const TProxyListFilter &filter, int count);
    // One page: appends its servers that pass the port filter and are not in the list yet; the
    // number of table rows seen. Raises when the page cannot be fetched, has no servers table, or
    // has rows of which not one could be read.
    int FetchProxyListPage(int page, QStringList &list, const TProxyListFilter &filter);

    // Pages fetched since the last FetchProxyList began.
    int pagesFetched() const { return m_pages; }

private:
    QString m_siteUrl;
    int m_deadlineMs = kProxyListDeadlineMs;
    QElapsedTimer m_clock; // runs from the start of a whole search
    QSet<QString> m_seen; // every server of the running search, before the port filter
    int m_newOnLastPage = 0;
    int m_pages = 0;
};
