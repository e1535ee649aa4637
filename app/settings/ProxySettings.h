#pragma once

#include "online/HttpClient.h"

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

// One "host:port" entry of the candidate list as a server and port; raises EConvertError for a
// bad port (an entry without one included) or a host that cannot be a proxy server.
void SplitProxyCandidate(const QString &entry, QString &server, int &port);

// True for a failed request that was the proxy's own failure: no connection to it, the tunnel or the
// user refused, or a candidate that could not be used. The site behind a proxy that answered failing
// is none.
bool IsProxyFailure(const std::exception &e);

// Applies the proxy settings to the HTTP client before each request of a download and walks the
// automatic mode's candidates. The candidate list lives from the first search to the end of the
// download (freeCandidates()).
class TProxyManager {
public:
    using TextSink = std::function<void(const QString &)>;

    TProxyManager(TProxy &proxy, IProxyCandidateSource &source);

    // The wait window's text, updated at each set-up and search.
    void setWaitTextSink(TextSink sink) { m_waitText = std::move(sink); }
    // The settings file where a saved candidate that failed is forgotten.
    void setIniFileName(QString fileName) { m_iniFileName = std::move(fileName); }

    // Sets the client's proxy for the address. False when the automatic mode finds no usable
    // candidate: the client then goes direct and lastError() tells why.
    bool SetupProxy(THttpClient &client, const QString &url, int attempt);
    const QString &lastError() const { return m_lastError; }

    // After an attempt the proxy itself failed (IsProxyFailure) in the automatic mode: drops the
    // candidate in use (from the settings file too, when it was the saved one) and tells whether
    // another one is left; a saved candidate of an earlier run that failed leaves a search to make.
    // Always false in the other modes.
    bool NextProxyCandidate();

    const QStringList *candidates() const { return m_candidates ? &*m_candidates : nullptr; }
    void freeCandidates() { m_candidates.reset(); }

private:
    void chooseCandidate(const QString &url);
    void showWait(const QString &line);

    TProxy &m_proxy;
    IProxyCandidateSource &m_source;
    TextSink m_waitText;
    QString m_iniFileName;
    std::optional<QStringList> m_candidates;
    QString m_lastError;
};
