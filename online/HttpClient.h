#pragma once

#include "online/HttpFailure.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

class BlockingWait;

// Which redirects a client follows (when it follows any).
enum class THttpRedirects {
    // Any address over HTTP or HTTPS, never from HTTPS down to plain HTTP.
    Any,
    // Only to the same scheme, host and port as the request: a form that carries the user's identity
    // is never re-sent to another server or over plain HTTP.
    SameServer,
};

// The request headers every client sends unless told otherwise.
inline constexpr char kHttpAccept[] = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
// Only the encodings the client decodes are offered.
inline constexpr char kHttpAcceptEncoding[] = "gzip, deflate";
inline constexpr char kHttpUserAgent[] = "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                                         "Chrome/47.0.2526.80 Safari/537.36";

// True for a host name, an IPv4 or an IPv6 address that may be given to the client as a proxy
// server: nothing that could smuggle a scheme, credentials, a path or a second header line.
bool IsValidProxyHost(QStringView host);
// True for such a host with an optional port ("example.org", "127.0.0.1:8443", "[::1]:443"), as the
// settings name the servers of the results site and the catalogues.
bool IsValidHostAndPort(QStringView host);

// One HTTP client: GET into a string or a file, POST of form fields, redirects, a proxy server,
// gzip and deflate decoding and HTTPS. TLS peers are verified against the system's certificate
// store (or the given CA file), TLS 1.2 at least. Every request has a connect time-out and a read
// time-out (the longest silence of the server once connected); HTTP error statuses raise.
// Nothing is kept between requests: no cookies and no connection reuse.
//
// The calls block the calling thread, but the window keeps painting: while a request runs, the
// installed wait host (common/BlockingWait.h) gets the events processed every few dozen
// milliseconds, and a request the user cancels there raises EWaitCancelled at once.
class THttpClient {
public:
    THttpClient();

    int connectTimeout() const { return m_connectTimeoutMs; }
    void setConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }
    int readTimeout() const { return m_readTimeoutMs; }
    void setReadTimeout(int milliseconds) { m_readTimeoutMs = milliseconds; }
    // The longest a whole request may take, however steadily the server sends; 0 for no limit.
    int totalTimeout() const { return m_totalTimeoutMs; }
    void setTotalTimeout(int milliseconds) { m_totalTimeoutMs = milliseconds; }
    // The longest wait for the server's reply to begin, connection and tunnel included; 0 for no
    // limit beyond the others. A route that is tried among others gets a share of their time.
    int replyTimeout() const { return m_replyTimeoutMs; }
    void setReplyTimeout(int milliseconds) { m_replyTimeoutMs = milliseconds; }

    bool followRedirects() const { return m_followRedirects; }
    void setFollowRedirects(bool follow) { m_followRedirects = follow; }
    void setMaxRedirects(int count) { m_maxRedirects = count; }
    THttpRedirects redirects() const { return m_redirects; }
    void setRedirects(THttpRedirects redirects) { m_redirects = redirects; }

    const THttpProxy &proxy() const { return m_proxy; }
    void setProxy(const THttpProxy &proxy) { m_proxy = proxy; }
    void clearProxy() { m_proxy = {}; }

    // A file of trusted certificate authorities in place of the system's store (tests use it).
    const QString &caFile() const { return m_caFile; }
    void setCaFile(const QString &fileName) { m_caFile = fileName; }
    // False: plain HTTP only, an "https://" address fails.
    void setTlsEnabled(bool enabled) { m_tlsEnabled = enabled; }

    void setAccept(const QByteArray &value) { m_accept = value; }
    void setUserAgent(const QByteArray &value) { m_userAgent = value; }

    // The largest reply body taken; a longer one fails the request.
    qint64 maxReplySize() const { return m_maxReplySize; }
    void setMaxReplySize(qint64 bytes) { m_maxReplySize = bytes; }

    // Called while a request runs in place of the wait (common/BlockingWait.h) through which the
    // windows keep painting and the user may cancel a request that lasts.
    void setEventPump(std::function<void()> pump) { m_pump = std::move(pump); }

    // GET; the body, decoded from gzip or deflate.
    QByteArray get(const QString &url);
    // GET into a file: the body goes to a temporary file in the same folder that replaces the file
    // once complete; after a failure the file is as it was.
    void getToFile(const QString &url, const QString &fileName);
    // POST of "key=value" lines as an URL-encoded form (UTF-8); the reply body.
    QByteArray post(const QString &url, const QStringList &fields);
    // POST of a form body already encoded as "application/x-www-form-urlencoded"; the reply body.
    QByteArray postForm(const QString &url, const QByteArray &form);

    // The status of the last reply (0 when none arrived).
    int lastStatus() const { return m_lastStatus; }
    // The address the last reply came from, after the redirects that were followed.
    const QString &lastUrl() const { return m_lastUrl; }
    // The last reply told no length (neither a length nor chunks): only the server's closing the
    // connection ended it, and a connection cut on the way ends it the same.
    bool lastReplyEndedByClose() const { return m_lastEndedByClose; }

    // The body of an URL-encoded form made of "key=value" lines.
    static QByteArray encodeForm(const QStringList &fields);

private:
    struct Transfer;
    struct Handles;
    // One request: set up, run (again once with the proxy's credentials when the proxy asked for
    // them and closed the connection), and its failure raised.
    void perform(const QString &url, const QByteArray *postBody, Transfer &transfer);
    // The handle's options for the request; a CA file that cannot serve raises before anything is sent.
    void configure(Handles &handles, const QString &url, const QByteArray *postBody, Transfer &transfer) const;
    // Runs the transfer in small steps until it ends, the user cancels, the server falls silent or
    // the request's deadline passes.
    THttpOutcome run(Handles &handles, Transfer &transfer, BlockingWait &wait) const;
    // True, with the handle ready to try again, when a proxy that asked for the password closed the
    // connection without taking it.
    bool prepareProxyAuthRetry(Handles &handles, Transfer &transfer, const THttpOutcome &outcome) const;
    THttpRequestFacts facts(const QString &url, const Transfer &transfer) const;

    int m_connectTimeoutMs = 15000;
    int m_readTimeoutMs = 30000;
    int m_totalTimeoutMs = 0;
    int m_replyTimeoutMs = 0;
    bool m_followRedirects = true;
    int m_maxRedirects = 10;
    THttpRedirects m_redirects = THttpRedirects::Any;
    THttpProxy m_proxy;
    QString m_caFile;
    bool m_tlsEnabled = true;
    QByteArray m_accept = kHttpAccept;
    QByteArray m_userAgent = kHttpUserAgent;
    qint64 m_maxReplySize = 32 * 1024 * 1024;
    std::function<void()> m_pump;
    int m_lastStatus = 0;
    bool m_lastEndedByClose = false;
    QString m_lastUrl;
};
