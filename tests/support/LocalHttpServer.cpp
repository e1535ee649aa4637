#include "tests/support/LocalHttpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <csignal>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

namespace {

constexpr int kStepMs = 50;
constexpr int kIdleLimitMs = 15000; // a silent client is dropped after this long
constexpr qsizetype kMaxHeaderBytes = 64 * 1024;

QByteArray reasonOf(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Status";
    }
}

QByteArray compress(const QByteArray &data, bool gzip)
{
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, gzip ? 16 + 15 : 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(static_cast<qsizetype>(deflateBound(&z, static_cast<uLong>(data.size()))) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(static_cast<qsizetype>(z.total_out));
    deflateEnd(&z);
    return out;
}

void setNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
}

bool waitFd(int fd, short events, int ms)
{
    pollfd p{fd, events, 0};
    return ::poll(&p, 1, ms) > 0;
}

int connectLocal(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    setNonBlocking(fd);
    return fd;
}

} // namespace

QByteArray LocalHttpRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

bool LocalHttpRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

LocalHttpReply LocalHttpReply::text(const QByteArray &body, int status)
{
    LocalHttpReply r;
    r.status = status;
    r.body = body;
    return r;
}

LocalHttpReply LocalHttpReply::nothing()
{
    LocalHttpReply r;
    r.status = 0;
    return r;
}

LocalHttpReply LocalHttpReply::redirect(const QByteArray &location, int status)
{
    LocalHttpReply r;
    r.status = status;
    r.headers.append({QByteArray("Location"), location});
    r.body = "moved";
    return r;
}

// One accepted socket with its TLS layer; reads and writes wait in small steps so that the
// server can stop at any time.
struct LocalHttpServer::Connection {
    int fd = -1;
    SSL *ssl = nullptr;
    const std::atomic<bool> *stop = nullptr;

    ~Connection()
    {
        if (ssl)
            SSL_free(ssl);
        if (fd >= 0)
            ::close(fd);
    }

    // Waits as the TLS layer or the socket asks; false once stopped or after the idle limit.
    bool waitFor(int sslError, int &waitedMs) const
    {
        if (stop->load() || waitedMs > kIdleLimitMs)
            return false;
        waitFd(fd, sslError == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN, kStepMs);
        waitedMs += kStepMs;
        return true;
    }

    bool handshake()
    {
        int waited = 0;
        for (;;) {
            const int r = SSL_accept(ssl);
            if (r == 1)
                return true;
            const int e = SSL_get_error(ssl, r);
            if ((e != SSL_ERROR_WANT_READ && e != SSL_ERROR_WANT_WRITE) || !waitFor(e, waited))
                return false;
        }
    }

    // Bytes read, 0 at the end of the stream, -1 on failure.
    qsizetype readSome(char *buffer, int size, int idleLimitMs = kIdleLimitMs)
    {
        int waited = 0;
        for (;;) {
            if (ssl) {
                const int r = SSL_read(ssl, buffer, size);
                if (r > 0)
                    return r;
                const int e = SSL_get_error(ssl, r);
                if (e == SSL_ERROR_ZERO_RETURN)
                    return 0;
                if ((e != SSL_ERROR_WANT_READ && e != SSL_ERROR_WANT_WRITE) || waited > idleLimitMs ||
                    !waitFor(e, waited))
                    return -1;
            } else {
                const ssize_t r = ::recv(fd, buffer, static_cast<size_t>(size), 0);
                if (r >= 0)
                    return r;
                if ((errno != EAGAIN && errno != EWOULDBLOCK) || waited > idleLimitMs ||
                    !waitFor(SSL_ERROR_WANT_READ, waited))
                    return -1;
            }
        }
    }

    bool writeAll(const QByteArray &data)
    {
        qsizetype done = 0;
        int waited = 0;
        while (done < data.size()) {
            const int chunk = static_cast<int>(data.size() - done);
            if (ssl) {
                const int r = SSL_write(ssl, data.constData() + done, chunk);
                if (r > 0) {
                    done += r;
                    continue;
                }
                const int e = SSL_get_error(ssl, r);
                if ((e != SSL_ERROR_WANT_READ && e != SSL_ERROR_WANT_WRITE) || !waitFor(e, waited))
                    return false;
            } else {
                const ssize_t r = ::send(fd, data.constData() + done, static_cast<size_t>(chunk), MSG_NOSIGNAL);
                if (r > 0) {
                    done += r;
                    continue;
                }
                if ((errno != EAGAIN && errno != EWOULDBLOCK) || !waitFor(SSL_ERROR_WANT_WRITE, waited))
                    return false;
            }
        }
        return true;
    }
};

LocalHttpServer::LocalHttpServer()
{
    // A client that stops reading (a reply larger than it takes) closes the connection under the
    // server's feet: the TLS layer's write must fail, not end the test program with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
}

LocalHttpServer::~LocalHttpServer()
{
    stop();
    if (m_sslContext)
        SSL_CTX_free(static_cast<SSL_CTX *>(m_sslContext));
}

void LocalHttpServer::route(const QByteArray &path, const LocalHttpReply &reply)
{
    std::lock_guard lock(m_mutex);
    m_routes[path] = reply;
}

void LocalHttpServer::setHandler(Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void LocalHttpServer::setProxyCredentials(const QByteArray &user, const QByteArray &password)
{
    m_proxyAuth = "Basic " + QByteArray(user + ':' + password).toBase64();
}

bool LocalHttpServer::start()
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listenFd < 0)
        return false;
    const int one = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(m_listenFd, 16) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_port = ntohs(addr.sin_port);
    m_stop = false;
    m_acceptThread = std::thread([this] { acceptLoop(); });
    return true;
}

bool LocalHttpServer::startTls(const QString &certFile, const QString &keyFile)
{
    SSL_CTX *ctx = SSL_CTX_new(TLS_server_method());
    if (!ctx)
        return false;
    if (SSL_CTX_use_certificate_chain_file(ctx, QFile::encodeName(certFile).constData()) != 1 ||
        SSL_CTX_use_PrivateKey_file(ctx, QFile::encodeName(keyFile).constData(), SSL_FILETYPE_PEM) != 1) {
        SSL_CTX_free(ctx);
        return false;
    }
    m_sslContext = ctx;
    return start();
}

void LocalHttpServer::stop()
{
    m_stop = true;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (std::thread &t : workers)
        t.join();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
    }
}

QString LocalHttpServer::baseUrl() const
{
    return (m_sslContext ? QStringLiteral("https://") : QStringLiteral("http://")) + hostAndPort();
}

QString LocalHttpServer::hostAndPort() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(m_port);
}

std::vector<LocalHttpRequest> LocalHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

QList<QByteArray> LocalHttpServer::paths() const
{
    std::lock_guard lock(m_mutex);
    QList<QByteArray> list;
    for (const LocalHttpRequest &r : m_requests)
        list.append(r.method == "CONNECT" ? r.target : r.path);
    return list;
}

int LocalHttpServer::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_requests.size());
}

void LocalHttpServer::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

void LocalHttpServer::acceptLoop()
{
    while (!m_stop) {
        if (!waitFd(m_listenFd, POLLIN, kStepMs))
            continue;
        const int fd = ::accept(m_listenFd, nullptr, nullptr);
        if (fd < 0)
            continue;
        setNonBlocking(fd);
        std::lock_guard lock(m_mutex);
        m_workers.emplace_back([this, fd] { serve(fd); });
    }
}

LocalHttpReply LocalHttpServer::answer(const LocalHttpRequest &request)
{
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_routes.find(request.path);
        if (it != m_routes.end())
            return it->second;
        handler = m_handler;
    }
    if (handler)
        return handler(request);
    return LocalHttpReply::text("not found", 404);
}

void LocalHttpServer::serve(int fd)
{
    Connection conn;
    conn.fd = fd;
    conn.stop = &m_stop;
    if (m_sslContext) {
        conn.ssl = SSL_new(static_cast<SSL_CTX *>(m_sslContext));
        SSL_set_fd(conn.ssl, fd);
        if (!conn.handshake())
            return;
    }

    // The request line and headers, then a body of Content-Length bytes.
    QByteArray data;
    char buffer[16384];
    qsizetype headerEnd = -1;
    while ((headerEnd = data.indexOf("\r\n\r\n")) < 0) {
        const qsizetype n = conn.readSome(buffer, sizeof buffer);
        if (n <= 0 || data.size() > kMaxHeaderBytes)
            return;
        data.append(buffer, n);
    }
    LocalHttpRequest request;
    request.tls = conn.ssl != nullptr;
    const QList<QByteArray> lines = data.left(headerEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    request.body = data.mid(headerEnd + 4);
    const qsizetype length = request.header("Content-Length").toLongLong();
    while (request.body.size() < length) {
        const qsizetype n = conn.readSome(buffer, sizeof buffer);
        if (n <= 0)
            return;
        request.body.append(buffer, n);
    }

    const bool isConnect = request.method == "CONNECT";
    const bool isAbsolute = request.target.startsWith("http://") || request.target.startsWith("https://");
    request.path = request.target;
    if (isAbsolute) {
        const qsizetype slash = request.target.indexOf('/', request.target.indexOf("//") + 2);
        request.path = slash < 0 ? QByteArray("/") : request.target.mid(slash);
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
    }

    auto send = [&conn, this](const LocalHttpReply &reply) {
        if (reply.status <= 0)
            return;
        QByteArray body = reply.body;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonOf(reply.status) + "\r\n";
        if (reply.encoding != LocalHttpReply::Encoding::Identity) {
            const bool gzip = reply.encoding == LocalHttpReply::Encoding::Gzip;
            body = compress(body, gzip);
            head += QByteArray("Content-Encoding: ") + (gzip ? "gzip" : "deflate") + "\r\n";
        }
        for (const auto &[key, value] : reply.headers)
            head += key + ": " + value + "\r\n";
        // A proxy's challenge may keep quiet about the connection it closes all the same.
        const bool quiet = reply.status == 407 && m_challengeCloses;
        if (!reply.closeDelimited)
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        head += quiet ? "\r\n" : "Connection: close\r\n\r\n";
        if (reply.trickleMs <= 0) {
            conn.writeAll(head + body);
            return;
        }
        if (!conn.writeAll(head))
            return;
        for (qsizetype i = 0; i < body.size() && !m_stop; ++i) {
            if (!conn.writeAll(body.mid(i, 1)))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.trickleMs));
        }
    };

    if (isConnect || isAbsolute) {
        if (!m_proxyEnabled) {
            send(LocalHttpReply::text("not a proxy", 400));
            return;
        }
        if (!m_proxyAuth.isEmpty() && request.header("Proxy-Authorization") != m_proxyAuth) {
            LocalHttpReply challenge = LocalHttpReply::text("credentials needed", 407);
            challenge.headers.append({QByteArray("Proxy-Authenticate"), QByteArray("Basic realm=\"local\"")});
            send(challenge);
            return;
        }
        if (isConnect) {
            tunnel(conn, request.target);
            return;
        }
    }

    const LocalHttpReply reply = answer(request);
    if (reply.delayMs != 0) {
        // Waits in small steps; a client that gives up ends the wait.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(reply.delayMs);
        while (!m_stop && (reply.delayMs < 0 || std::chrono::steady_clock::now() < until)) {
            if (waitFd(conn.fd, POLLIN, kStepMs)) {
                char probe;
                if (::recv(conn.fd, &probe, 1, MSG_PEEK) == 0)
                    return;
            }
        }
        if (reply.delayMs < 0)
            return;
    }
    send(reply);
}

void LocalHttpServer::tunnel(Connection &client, const QByteArray &target)
{
    static const QByteArray kEstablished = "HTTP/1.1 200 Connection established\r\n\r\n";
    const auto statusLine = [](int status) -> QByteArray {
        return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonOf(status) +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    };
    // Holds the connection, passing nothing on, until the client leaves or the server stops.
    const auto hold = [&client, this] {
        char sink[4096];
        while (!m_stop) {
            if (!waitFd(client.fd, POLLIN, kStepMs))
                continue;
            const ssize_t n = ::recv(client.fd, sink, sizeof sink, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                return;
        }
    };
    const LocalTunnelAnswer answer = m_tunnelAnswer.load();
    switch (answer) {
    case LocalTunnelAnswer::Open:
    case LocalTunnelAnswer::OpenThenHoldReply:
    case LocalTunnelAnswer::OpenThenCutReply:
        break;
    case LocalTunnelAnswer::Close:
        return;
    case LocalTunnelAnswer::Status:
        client.writeAll(statusLine(m_tunnelStatus));
        return;
    case LocalTunnelAnswer::OpenThenStall:
    case LocalTunnelAnswer::OpenThenClose: // the tunnel opened, then held or closed with nothing passed on
        if (client.writeAll(kEstablished) && answer == LocalTunnelAnswer::OpenThenStall)
            hold();
        return;
    case LocalTunnelAnswer::Junk:
        client.writeAll("?? no tunnel here ??\r\n\r\n");
        return;
    }
    // Only tunnels to this machine: the tests never reach out.
    const qsizetype colon = target.lastIndexOf(':');
    const QByteArray host = target.left(colon);
    const int port = target.mid(colon + 1).toInt();
    const int upstream = (host == "127.0.0.1" || host == "localhost") && port > 0 && port < 65536
                             ? connectLocal(static_cast<quint16>(port))
                             : -1;
    if (upstream < 0) {
        if (m_unreachableStatus > 0)
            client.writeAll(statusLine(m_unreachableStatus));
        return;
    }
    if (!client.writeAll(kEstablished)) {
        ::close(upstream);
        return;
    }
    Connection other;
    other.fd = upstream;
    other.stop = &m_stop;
    char buffer[16384];
    // Holding the reply: once the client sends its first encrypted record (TLS record type 23), the
    // handshake is over on its side and nothing more of the server's passes. Cutting it: from then
    // on the server's records pass for half a second, and the connection closes without the TLS
    // layer's closing record.
    const bool cutting = answer == LocalTunnelAnswer::OpenThenCutReply;
    bool holding = false;
    QElapsedTimer sinceHandshake;
    QByteArray records;
    while (!m_stop && !(cutting && holding && sinceHandshake.elapsed() > 500)) {
        pollfd fds[2] = {{client.fd, POLLIN, 0}, {upstream, POLLIN, 0}};
        if (::poll(fds, 2, kStepMs) <= 0)
            continue;
        if (fds[0].revents) {
            const qsizetype n = client.readSome(buffer, sizeof buffer, 0);
            if (n <= 0 || !other.writeAll(QByteArray(buffer, n)))
                break;
            if ((answer == LocalTunnelAnswer::OpenThenHoldReply || cutting) && !holding) {
                records.append(buffer, n);
                while (records.size() >= 5) {
                    const qsizetype length = 5 + ((static_cast<uchar>(records[3]) << 8) | static_cast<uchar>(records[4]));
                    if (records.size() < length)
                        break;
                    holding = holding || records[0] == 23;
                    records.remove(0, length);
                }
                if (holding)
                    sinceHandshake.start();
            }
        }
        if (fds[1].revents) {
            const qsizetype n = other.readSome(buffer, sizeof buffer, 0);
            const bool passes = !holding || cutting;
            if (n <= 0 && holding && !cutting)
                hold();
            if (n <= 0 || (passes && !client.writeAll(QByteArray(buffer, n))))
                break;
        }
    }
}

namespace {

struct HeldCertificates {
    std::mutex lock;
    std::unique_ptr<TestCertificates> certificates;
    bool tried = false;
};

HeldCertificates &heldCertificates()
{
    static HeldCertificates held;
    return held;
}

} // namespace

const TestCertificates *TestCertificates::instance()
{
    HeldCertificates &held = heldCertificates();
    const std::lock_guard guard(held.lock);
    if (!held.tried) {
        held.tried = true;
        std::unique_ptr<TestCertificates> made(new TestCertificates);
        if (made->generate())
            held.certificates = std::move(made);
    }
    return held.certificates.get();
}

void TestCertificates::release()
{
    HeldCertificates &held = heldCertificates();
    const std::lock_guard guard(held.lock);
    held.certificates.reset();
    held.tried = false;
}

bool TestCertificates::generate()
{
    if (!m_dir.isValid())
        return false;
    // The extensions of a server certificate for the names given; empty when they cannot be written.
    const auto writeExt = [this](const QString &name, const QByteArray &names) {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write("subjectAltName=" + names +
                   "\nbasicConstraints=CA:FALSE\n"
                   "keyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n");
        return file.fileName();
    };
    const QString ext = writeExt(QStringLiteral("server.ext"), "IP:127.0.0.1,DNS:localhost");
    // A certificate the authority signed for another server's name (a proxy that shows its own).
    const QString otherExt = writeExt(QStringLiteral("other.ext"), "DNS:other.example");
    if (ext.isEmpty() || otherExt.isEmpty())
        return false;

    const QStringList ec = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    // A key and a certificate "<base>.key" and "<base>.pem" that the authority signs.
    const auto signedByTheAuthority = [&ec](const QString &base, const QString &subject, const QString &extFile) {
        return QList<QStringList>{
            QStringList{QStringLiteral("req")} + ec +
                QStringList{QStringLiteral("-keyout"), base + QStringLiteral(".key"), QStringLiteral("-out"),
                            base + QStringLiteral(".csr"), QStringLiteral("-subj"), subject},
            QStringList{QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                        base + QStringLiteral(".csr"), QStringLiteral("-CA"), QStringLiteral("ca.pem"),
                        QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                        QStringLiteral("-out"), base + QStringLiteral(".pem"), QStringLiteral("-days"),
                        QStringLiteral("2"), QStringLiteral("-extfile"), extFile},
        };
    };
    const QList<QStringList> steps =
        QList<QStringList>{
            QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec +
                QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"), QStringLiteral("-out"),
                            QStringLiteral("ca.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                            QStringLiteral("-subj"), QStringLiteral("/CN=Local Test Authority"),
                            QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                            QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
            QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec +
                QStringList{QStringLiteral("-keyout"), QStringLiteral("self.key"), QStringLiteral("-out"),
                            QStringLiteral("self.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                            QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                            QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost")},
        } +
        signedByTheAuthority(QStringLiteral("server"), QStringLiteral("/CN=127.0.0.1"), ext) +
        signedByTheAuthority(QStringLiteral("other"), QStringLiteral("/CN=other.example"), otherExt);
    for (const QStringList &args : steps) {
        QProcess openssl;
        openssl.setWorkingDirectory(m_dir.path());
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(QStringLiteral("openssl"), args);
        if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
            openssl.exitCode() != 0) {
            qWarning("openssl failed: %s", openssl.readAll().constData());
            return false;
        }
    }
    return true;
}

quint16 ClosedLocalPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}
