#pragma once

#include "common/DateTime.h"
#include "online/HttpClient.h"
#include "app/settings/ProxySettings.h"

#include <QString>
#include <QStringList>
#include <functional>

class TDrawsArchive;

// Where the results come from: section "DOWNLOAD" of "Vendra.ini".
struct TDownloadSettings {
    // The results site's host, with a port when it is not 443 ("127.0.0.1:8443").
    QString resultsHost = QStringLiteral("results.vendra.example");
    // Trusted certificate authorities in place of the system's store; empty: the system's store.
    QString caFile;
};
TDownloadSettings LoadDownloadSettings(const QString &iniFileName);

// The results page address of a month (yyyymm): "https://" + host + "/vendra/results/2024-march".
// Raises when the host is not a host name or address with an optional port.
QString ResultsPageUrl(const QString &resultsHost, int yearMonth);

// The result of one download: the draws appended and whether every month up to today came in.
struct TDownloadResult {
    int total = 0;
    bool ok = true;
    QString error; // the last failure's message when not ok
};

// The download of new draws: month by month from the month after the newest stored draw up to
// the current month, each month's page fetched through the window's own HTTP client (through the
// proxy settings), parsed, and its new draws appended oldest first. After each month with new
// draws the archive is saved and the views are refreshed. A failed month is tried again with the
// next proxy candidate, or after the user agrees; it is never passed over.
class TDrawsDownloader {
public:
    TDrawsDownloader(TDrawsArchive &archive, TProxy &proxy, IProxyCandidateSource &candidates,
                     TDownloadSettings settings, QString iniFileName);

    // The client that fetches the pages (connect 5,000 ms, read 10,000 ms, TLS verified).
    THttpClient &client() { return m_client; }
    TProxyManager &proxyManager() { return m_proxyManager; }

    // Replaces the page fetch (address -> page bytes); by default the client's GET.
    void setHttpGet(std::function<QByteArray(const QString &url)> get) { m_httpGet = std::move(get); }
    // Today's date; by default the system clock.
    void setToday(std::function<TDateTime()> today) { m_today = std::move(today); }
    // Writes the archive; by default the archive's own save().
    void setSaveArchive(std::function<void()> save) { m_saveArchive = std::move(save); }
    // Refreshes the analysis views after new draws came in.
    void setRefreshViews(std::function<void()> refresh) { m_refreshViews = std::move(refresh); }
    // The wait window's text.
    void setWaitTextSink(std::function<void(const QString &)> sink);
    // Hides (false) the wait window before a message box of the download, and shows it again (true)
    // when the user lets the download go on.
    void setWaitShown(std::function<void(bool)> shown) { m_waitShown = std::move(shown); }
    // A batch run asks no question: a failed month ends the download, with the error on standard
    // error.
    void setBatch(bool batch) { m_batch = batch; }

    // The whole download inside a busy section.
    TDownloadResult run();

    // The month loop; the number of draws appended.
    int DownloadDraws();
    // One month's page: its new draws (dated on or after the limit, yyyymmdd) appended to the
    // archive in memory; the number appended. A draw dated so but numbered not above the newest
    // stored one shows the stored number wrong: the download then stops, naming it; only a stored
    // draw listed again with the same numbers a day after its stored date is passed over as it.
    int DownloadMonth(int yearMonth, int dateLimit);
    // The page at the address through the proxy settings, decoded from UTF-8 when asked.
    QString HttpGetText(const QString &url, bool decodeUtf8);

    // The attempt counter of the running download (1, and one more after each failed month).
    int attempt() const { return m_attempt; }
    const TDownloadResult &lastResult() const { return m_result; }

private:
    bool askRetry(const QString &error);
    void hideWait();
    // A box of the download: on standard error in a batch run, else over the hidden wait window.
    void tell(const QString &caption, const QString &text, unsigned flags);
    // False, with the failure reported, when the archive has draws but the newest one's date cannot
    // be read (the first month to fetch is then unknown), is still to come, or its number runs far
    // ahead of the draw before it (every real draw would be turned away).
    bool newestDateKnown();
    // Ends the download on a stored draw that no new draw can follow: said in an error box (on
    // standard error in a batch run), no question to try again.
    void reportStop(const QString &error);
    // Names the months whose pages listed no draw although a later month had draws.
    void warnOfHoles(const QStringList &months);

    TDrawsArchive &m_archive;
    TProxy &m_proxy;
    TProxyManager m_proxyManager;
    TDownloadSettings m_settings;
    QString m_iniFileName;
    THttpClient m_client;
    std::function<QByteArray(const QString &)> m_httpGet;
    std::function<TDateTime()> m_today;
    std::function<void()> m_saveArchive;
    std::function<void()> m_refreshViews;
    std::function<void(bool)> m_waitShown;
    bool m_batch = false;
    int m_attempt = 1;
    QStringList m_emptyMonths; // months whose pages listed no draw, since the last month with draws
    TDownloadResult m_result;
};
