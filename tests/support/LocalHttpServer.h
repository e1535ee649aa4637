#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// One request as the local server saw it.
struct LocalHttpRequest {
    QByteArray method;
    QByteArray target;   // as sent: "/path?q", "http://host:port/path" through the proxy, "host:port" for CONNECT
    QByteArray path;     // the path and query, also for an absolute target
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool tls = false;

    // The value of a header (name without regard to case); empty when absent.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
};

// The reply the server gives to one request.
struct LocalHttpReply {
    enum class Encoding { Identity, Gzip, Deflate };

    int status = 200;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
    Encoding encoding = Encoding::Identity;
    // Waits this long before answering; a negative value never answers (until the client leaves).
    int delayMs = 0;
    // Sends the body one byte at a time with this pause between bytes (a server that dribbles).
    int trickleMs = 0;
    // Sends no length: the body ends where the server closes the connection.
    bool closeDelimited = false;

    static LocalHttpReply text(const QByteArray &body, int status = 200);
    // Closes the connection without a word (status 0).
    static LocalHttpReply nothing();
    static LocalHttpReply redirect(const QByteArray &location, int status = 302);
};

// How the proxy answers a tunnel request (CONNECT), as real proxies in trouble do.
enum class LocalTunnelAnswer {
    Open,              // opens the tunnel to the server asked for (the default)
    Close,             // closes the connection without a word
    Status,            // answers the status given (502, 503, 504, 403, 407...) and closes
    OpenThenStall,     // answers 200 and then passes nothing on, holding the connection
    OpenThenHoldReply, // opens the tunnel, passes the TLS handshake, then holds the server's reply
    OpenThenCutReply,  // opens the tunnel, passes the handshake and the reply's first half second, then closes
    OpenThenClose,     // answers 200 and closes
    Junk,              // answers a line that is no HTTP and closes
};

// A small HTTP/1.1 server on 127.0.0.1 for the tests, with an optional TLS layer and an optional
// forward proxy (CONNECT tunnels to 127.0.0.1 only, and absolute-URI requests that it answers
// itself, as a caching proxy would). It runs in its own threads, so a client may block the test's
// thread while talking to it. Every connection serves one request and is closed.
class LocalHttpServer {
public:
    using Handler = std::function<LocalHttpReply(const LocalHttpRequest &)>;

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    // Answers every request by its path; unknown paths get 404.
    void route(const QByteArray &path, const LocalHttpReply &reply);
    // Answers the requests that no route takes.
    void setHandler(Handler handler);
    // Accepts CONNECT and absolute-URI requests.
    void setProxyEnabled(bool enabled) { m_proxyEnabled = enabled; }
    // Asks proxy clients for Basic credentials (407) until they send these.
    void setProxyCredentials(const QByteArray &user, const QByteArray &password);
    // The proxy's challenge (407) does not say that the connection closes, and the proxy closes it.
    void setProxyChallengeCloses(bool closes) { m_challengeCloses = closes; }
    // How tunnel requests are answered (status: the one given with LocalTunnelAnswer::Status).
    void setTunnelAnswer(LocalTunnelAnswer answer, int status = 0)
    {
        m_tunnelAnswer = answer;
        m_tunnelStatus = status;
    }
    // The answer to a tunnel whose server cannot be reached: 502 by default, 0 closes without a word.
    void setUnreachableStatus(int status) { m_unreachableStatus = status; }

    // Starts listening on 127.0.0.1 at a free port; false on failure.
    bool start();
    // The same with TLS from a PEM certificate (chain) and key.
    bool startTls(const QString &certFile, const QString &keyFile);
    void stop();

    quint16 port() const { return m_port; }
    // "http://127.0.0.1:port" or "https://127.0.0.1:port".
    QString baseUrl() const;
    QString hostAndPort() const;

    std::vector<LocalHttpRequest> requests() const;
    QList<QByteArray> paths() const;
    int requestCount() const;
    void clearRequests();

private:
    struct Connection;
    void acceptLoop();
    void serve(int fd);
    LocalHttpReply answer(const LocalHttpRequest &request);
    void tunnel(Connection &client, const QByteArray &target);

    int m_listenFd = -1;
    quint16 m_port = 0;
    void *m_sslContext = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_proxyEnabled{false};
    std::atomic<bool> m_challengeCloses{false};
    std::atomic<LocalTunnelAnswer> m_tunnelAnswer{LocalTunnelAnswer::Open};
    std::atomic<int> m_tunnelStatus{0};
    std::atomic<int> m_unreachableStatus{502};
    QByteArray m_proxyAuth;
    std::thread m_acceptThread;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_workers;
    std::vector<LocalHttpRequest> m_requests;
    std::map<QByteArray, LocalHttpReply> m_routes;
    Handler m_handler;
};

// A certificate authority and certificates made with the openssl command for one test run: a
// server certificate for 127.0.0.1 and localhost signed by the authority, one it signed for another
// name (other.example), and a self-signed one.
class TestCertificates {
public:
    // Made once per test binary; nullptr when the openssl command failed.
    static const TestCertificates *instance();
    // Removes the certificates and their folder once no test uses them (the test main does this
    // when the tests have run); a later instance() makes new ones.
    static void release();

    QString caFile() const { return m_dir.filePath(QStringLiteral("ca.pem")); }
    QString serverCert() const { return m_dir.filePath(QStringLiteral("server.pem")); }
    QString serverKey() const { return m_dir.filePath(QStringLiteral("server.key")); }
    QString selfSignedCert() const { return m_dir.filePath(QStringLiteral("self.pem")); }
    QString selfSignedKey() const { return m_dir.filePath(QStringLiteral("self.key")); }
    QString otherNameCert() const { return m_dir.filePath(QStringLiteral("other.pem")); }
    QString otherNameKey() const { return m_dir.filePath(QStringLiteral("other.key")); }

private:
    TestCertificates() = default;
    bool generate();
    QTemporaryDir m_dir;
};

// A port on 127.0.0.1 where nothing listens (bound and released at once).
quint16 ClosedLocalPort();
