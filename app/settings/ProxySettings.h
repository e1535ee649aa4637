#pragma once

#include "online/HttpClient.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class IniFile;

// How the results download reaches the site.
enum TProxyMode : uint8_t {
    pmProxyOff = 0,    // direct
    pmProxyAuto = 1,   // a server found in a public proxy list
    pmProxyManual = 2, // the server the user typed
};

// The proxy settings kept by the main window, section PROXY of "Vendra.ini".
struct TProxy {
    uint8_t mode = pmProxyOff;
    QString server;
    int port = 0;
    QString username;
    QString password;
    bool saved = false; // the values are those of the ini file

    bool operator==(const TProxy &o) const = default;
};

inline constexpr int kDefaultProxyPort = 80;

// The PROXY section as the ini file holds it. Without "ProxyMode" the mode is manual when a
// server is set, else off; a mode outside 0..2 reads as off.
void ReadProxySection(const IniFile &ini, TProxy &proxy);
// Writes the five keys in their order: mode, server, port, user name, password.
void WriteProxySection(IniFile &ini, const TProxy &proxy);

// Reads the settings from the ini file (busy cursor and status text while it runs) and marks
// them saved. A file that exists but cannot be read shows "Ошибка чтения файла конфигурации!"
// and leaves the values read so far.
void LoadProxySettings(TProxy &proxy, const QString &iniFileName);
// Writes the settings into the ini file, keeping its other sections; the file is then readable by
// its owner only when a password is stored. The interactive save shows the busy cursor and the
// status text. A failure shows "Ошибка записи в файл конфигурации!" and returns false; the
// settings are marked saved only once they are in the file.
bool SaveProxySettings(TProxy &proxy, bool interactive, const QString &iniFileName);

// What the automatic mode asks of the public proxy-list search.
struct TProxySearchRequest {
    bool httpsOnly = true;   // the results address is an https:// one
    int minUptime = 75;      // percent
    int maxResponseMs = 10000;
    int count = 30;          // entries wanted
};

// Finds proxy candidates: "host:port" entries, best first.
class IProxyCandidateSource {
public:
    virtual ~IProxyCandidateSource() = default;
    virtual QStringList searchProxies(const TProxySearchRequest &request) = 0;
};

// The source used until a public proxy-list search is available: it never finds any.
class TNoProxyCandidates : public IProxyCandidateSource {
public:
    QStringList searchProxies(const TProxySearchRequest &) override { return {}; }
};

// True for a server and port that the HTTP client can be given as a proxy.
bool IsUsableProxy(const QString &server, int port);
// One "host:port" entry of the candidate list as a server and port; raises EConvertError for a
// bad port (an entry without one included) or a host that cannot be a proxy server.
void SplitProxyCandidate(const QString &entry, QString &server, int &port);

// True for a failed request whose route failed: through a proxy, the server's whole reply never came
// (EHttpError::routeFailed), or a candidate that could not be used. Another route may still succeed;
// the server's own answer through a route is none.
bool IsRouteFailure(const std::exception &e);

// The most routes one round of the automatic mode tries (the saved one and the candidates) before
// the user is asked whether to try again.
inline constexpr int kMaxRoutesPerRound = 15;
// A route is not tried with less of the round's time than this.
inline constexpr int kMinRouteMs = 1000;

// Applies the proxy settings to the HTTP client before each request of a download and walks the
// automatic mode's routes. In the automatic mode a route that fails gives way to the next one (the
// saved server first, then the candidates of a search), within one round: at most
// kMaxRoutesPerRound routes sharing the round's one deadline. The saved server stays in the settings
// file until another route carries a page, and is the one in use again when none did. The candidate
// list lives from the first search to the end of the download.
class TProxyManager {
public:
    using TextSink = std::function<void(const QString &)>;

    TProxyManager(TProxy &proxy, IProxyCandidateSource &source);

    // The wait window's text, updated at each set-up and search.
    void setWaitTextSink(TextSink sink) { m_waitText = std::move(sink); }
    // The settings file where a route that carried a page is saved.
    void setIniFileName(QString fileName) { m_iniFileName = std::move(fileName); }
    // The time all routes of one round share (one page's deadline); 0 for no limit.
    void setRoundDeadline(int milliseconds) { m_roundDeadlineMs = milliseconds; }

    // A download begins: the saved route of the automatic mode is remembered, a round begins.
    void beginDownload();
    // Sets the client's proxy for the address, and in the automatic mode the route's share of the
    // round's time (the whole round's rest, and a share of it for the server's reply to begin).
    // False when the automatic mode finds no usable candidate: the client then goes direct and
    // lastError() tells why.
    bool SetupProxy(THttpClient &client, const QString &url, int attempt);
    const QString &lastError() const { return m_lastError; }

    // After an attempt whose route failed (IsRouteFailure) in the automatic mode, with the failure's
    // message: drops the route in use (never from the settings file) and tells whether another one
    // is left within the round's bounds; a saved route that failed leaves a search to make. Always
    // false in the other modes.
    bool NextProxyCandidate(const QString &failure = QString());
    // What the round that ended without a route tells the user: the first route's failure (the
    // saved server's, when there was one), with the number of other routes that failed too.
    QString roundFailureText(const QString &lastFailure) const;
    // A page came through the route in use: the next page begins a round. The loop saves an
    // unsaved route (SaveProxySettings); from then on it is the one kept.
    void routeWorked();
    // The user agreed to try again: a new round, going on with the candidates left.
    void newRound();
    // The download ended: the candidate list is freed, and unless another route carried a page the
    // saved route is the one in use again (as in the settings file).
    void endDownload();

    const QStringList *candidates() const { return m_candidates ? &*m_candidates : nullptr; }
    void freeCandidates() { m_candidates.reset(); }

private:
    void chooseCandidate(const QString &url);
    // The route in use: its server and port, no credentials (the automatic mode sends none).
    void useRoute(const QString &server, int port, bool saved);
    void showWait(const QString &line);
    void applyRoundTime(THttpClient &client) const;
    int routesLeft() const;

    TProxy &m_proxy;
    IProxyCandidateSource &m_source;
    TextSink m_waitText;
    QString m_iniFileName;
    std::optional<QStringList> m_candidates;
    QString m_lastError;
    int m_roundDeadlineMs = 0;
    // The saved route of the automatic mode (server and port), kept while no other carried a page.
    std::optional<TProxy> m_kept;
    // The round: routes failed ("host:port"), the first failure, the time its attempts took.
    QStringList m_failedRoutes;
    QString m_firstFailure;
    qint64 m_spentMs = 0;
    QElapsedTimer m_attemptTimer;
    bool m_currentFromList = false; // the route in use is the candidate list's first entry
};
