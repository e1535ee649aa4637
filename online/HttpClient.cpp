#include "online/HttpClient.h"

#include "common/AtomicFile.h"
#include "common/BlockingWait.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "common/TempFile.h"
#include "common/Translate.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QUrl>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// How often the window gets to process its events while a request waits for the network.
constexpr int kPollIntervalMs = 40;

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The scheme, host and port a request goes to (the port of the scheme when none is given).
struct TServer {
    QString scheme;
    QString host;
    int port = -1;

    explicit TServer(const QUrl &url)
        : scheme(url.scheme().toLower()), host(url.host().toLower()),
          port(url.port(scheme == u"https" ? 443 : scheme == u"http" ? 80 : -1))
    {
    }
    bool operator==(const TServer &) const = default;
};

struct EasyDeleter {
    void operator()(CURL *easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM *multi) const { curl_multi_cleanup(multi); }
};
struct SlistDeleter {
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

bool isHostNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'.' || c == u'_';
}

// The proxy of a request; an empty proxy string also keeps the environment's proxy variables out.
void applyProxy(CURL *h, const THttpProxy &proxy)
{
    QByteArray proxyUrl;
    if (proxy.isSet()) {
        if (!IsValidProxyHost(proxy.server) || proxy.port > 65535)
            throw EHttpError(Format(u"Некорректный адрес proxy-сервера: \"%s : %d\"", {proxy.server, proxy.port}));
        const bool v6 = proxy.server.contains(u':') && !proxy.server.startsWith(u'[');
        proxyUrl = "http://" + (v6 ? '[' + proxy.server.toLatin1() + ']' : proxy.server.toLatin1());
        curl_easy_setopt(h, CURLOPT_PROXYPORT, static_cast<long>(proxy.port));
        if (!proxy.username.isEmpty()) {
            curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, proxy.username.toUtf8().constData());
            curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, proxy.password.toUtf8().constData());
            curl_easy_setopt(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
        }
        curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    }
    curl_easy_setopt(h, CURLOPT_PROXY, proxyUrl.constData());
}

// True once the connection (to the proxy, when one is set) stands.
bool hasConnected(CURL *h)
{
    curl_off_t connectTime = 0;
    return curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK && connectTime > 0;
}

// What the library knows of the connection once a transfer ended.
void readConnectionFacts(CURL *h, bool viaProxy, THttpOutcome &out)
{
    // A request that ended within one step connected all the same.
    out.connected = out.connected || hasConnected(h);
    if (viaProxy)
        curl_easy_getinfo(h, CURLINFO_HTTP_CONNECTCODE, &out.tunnelStatus);
    curl_easy_getinfo(h, CURLINFO_SSL_VERIFYRESULT, &out.verifyResult);
    curl_off_t expected = -1;
    curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    out.expected = expected;
}

} // namespace


bool IsValidProxyHost(QStringView host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    if (host.contains(u':')) {
        QString bare = host.toString();
        if (bare.startsWith(u'[') && bare.endsWith(u']'))
            bare = bare.mid(1, bare.size() - 2);
        in6_addr addr{};
        return inet_pton(AF_INET6, bare.toLatin1().constData(), &addr) == 1 &&
               bare.toLatin1() == bare.toUtf8(); // ASCII only
    }
    for (QChar c : host)
        if (!isHostNameChar(c))
            return false;
    return host.front() != u'.' && host.front() != u'-';
}

bool IsValidHostAndPort(QStringView host)
{
    QStringView name = host;
    const qsizetype colon = host.lastIndexOf(u':');
    const bool bracketed = host.startsWith(u'[');
    if (colon > 0 && (!host.contains(u']') || colon > host.indexOf(u']'))) {
        bool ok = false;
        const int port = host.mid(colon + 1).toInt(&ok);
        if (!ok || port < 1 || port > 65535 || (!bracketed && host.left(colon).contains(u':')))
            return false;
        name = host.left(colon);
    }
    if (bracketed) {
        if (!name.endsWith(u']'))
            return false;
        name = name.mid(1, name.size() - 2);
    } else if (name.contains(u':')) {
        return false;
    }
    return IsValidProxyHost(name);
}

// The state of one request, shared with curl's callbacks.
struct THttpClient::Transfer {
    QByteArray *body = nullptr;
    TExclusiveTempFile *file = nullptr;
    QString fileName;
    QString fileError;
    qint64 received = 0;
    qint64 limit = 0;
    bool overLimit = false;
    bool fileFailed = false;
    int status = 0;
    QByteArray statusLine;
    bool lengthTold = false; // the reply says where its body ends (a length or chunks)
    QElapsedTimer activity;
    // Redirects: the handle (for the address being answered), the server a redirect must stay on
    // (none: any), the last address a reply redirected to and one that was refused.
    CURL *easy = nullptr;
    std::optional<TServer> sameServer;
    QString location;
    QString refusedLocation;

    // A new reply begins (after a redirect or an interim reply): what came before is dropped.
    void restart()
    {
        received = 0;
        if (body)
            body->clear();
        if (file && !fileFailed) {
            try {
                file->truncate();
            } catch (const EFileWriteError &e) {
                fileFailed = true;
                fileError = e.reason();
            }
        }
    }

    static size_t onHeader(char *data, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<Transfer *>(self);
        const size_t n = size * count;
        t->activity.restart();
        const QByteArray line = QByteArray(data, static_cast<qsizetype>(n)).trimmed();
        if (line.startsWith("HTTP/")) {
            t->statusLine = line;
            const QList<QByteArray> parts = line.split(' ');
            t->status = parts.size() > 1 ? parts[1].toInt() : 0;
            t->lengthTold = false;
            t->restart();
        } else if (const QByteArray lower = line.toLower();
                   lower.startsWith("content-length:") ||
                   (lower.startsWith("transfer-encoding:") && lower.contains("chunked"))) {
            t->lengthTold = true;
        } else if (t->status >= 300 && t->status < 400 && line.size() > 9 && line.left(9).toLower() == "location:") {
            // Checked before the library follows it: a refused address is never requested.
            char *current = nullptr;
            curl_easy_getinfo(t->easy, CURLINFO_EFFECTIVE_URL, &current);
            const QUrl target =
                QUrl(QString::fromUtf8(current)).resolved(QUrl(QString::fromUtf8(line.mid(9).trimmed())));
            t->location = target.toString();
            if (t->sameServer && !(TServer(target) == *t->sameServer)) {
                t->refusedLocation = t->location;
                return 0;
            }
        }
        return n;
    }

    static size_t onBody(char *data, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<Transfer *>(self);
        const size_t n = size * count;
        t->activity.restart();
        t->received += static_cast<qint64>(n);
        if (t->received > t->limit) {
            t->overLimit = true;
            return 0;
        }
        // An error reply's body is never taken as the result.
        if (t->status >= 400)
            return n;
        if (t->file) {
            try {
                t->file->write(data, static_cast<qint64>(n));
            } catch (const EFileWriteError &e) {
                t->fileFailed = true;
                t->fileError = e.reason();
                return 0;
            }
        } else if (t->body) {
            t->body->append(data, static_cast<qsizetype>(n));
        }
        return n;
    }
};

THttpClient::THttpClient() = default;

QByteArray THttpClient::encodeForm(const QStringList &fields)
{
    QByteArray form;
    for (const QString &field : fields) {
        const qsizetype eq = field.indexOf(u'=');
        const QByteArray key = (eq < 0 ? field : field.left(eq)).toUtf8();
        if (!form.isEmpty())
            form += '&';
        form += key.toPercentEncoding();
        if (eq >= 0)
            form += '=' + field.mid(eq + 1).toUtf8().toPercentEncoding();
    }
    return form;
}

QByteArray THttpClient::get(const QString &url)
{
    QByteArray body;
    Transfer transfer;
    transfer.body = &body;
    perform(url, nullptr, transfer);
    return body;
}

void THttpClient::getToFile(const QString &url, const QString &fileName)
{
    // The body goes to a temporary file beside the target (removed when the request fails).
    std::optional<TExclusiveTempFile> file;
    try {
        file.emplace(TExclusiveTempFile::beside(fileName, TNamedBy::Cache));
    } catch (const EFileWriteError &e) {
        throw EHttpError(Format(u"Не удалось создать файл \"%s\":\r%s", {fileName, e.reason()}));
    }
    Transfer transfer;
    transfer.file = &*file;
    transfer.fileName = fileName;
    perform(url, nullptr, transfer);
    try {
        file->commit();
    } catch (const EFileWriteError &e) {
        throw EHttpError(Format(u"Не удалось записать файл \"%s\":\r%s", {fileName, e.reason()}));
    }
}

QByteArray THttpClient::post(const QString &url, const QStringList &fields)
{
    return postForm(url, encodeForm(fields));
}

QByteArray THttpClient::postForm(const QString &url, const QByteArray &form)
{
    QByteArray body;
    Transfer transfer;
    transfer.body = &body;
    perform(url, &form, transfer);
    return body;
}

struct THttpClient::Handles {
    std::unique_ptr<CURL, EasyDeleter> easy{curl_easy_init()};
    std::unique_ptr<CURLM, MultiDeleter> multi{curl_multi_init()};
    std::unique_ptr<curl_slist, SlistDeleter> headers;
    QElapsedTimer overall; // the deadline covers every connection of the request
};

void THttpClient::perform(const QString &url, const QByteArray *postBody, Transfer &transfer)
{
    globalInit();
    m_lastStatus = 0;
    m_lastEndedByClose = false;
    m_lastUrl = url;
    transfer.limit = m_maxReplySize;
    Handles handles;
    if (!handles.easy || !handles.multi)
        throw EHttpError(u"Не удалось создать HTTP-клиент"_s);
    configure(handles, url, postBody, transfer);

    BlockingWait wait(Format(u"Ожидание ответа сервера \"%s\"...", {QUrl(url).host()}));
    handles.overall.start();
    THttpOutcome outcome = run(handles, transfer, wait);
    if (prepareProxyAuthRetry(handles, transfer, outcome))
        outcome = run(handles, transfer, wait);

    m_lastStatus = outcome.status;
    m_lastEndedByClose = outcome.status > 0 && !transfer.lengthTold;
    char *effective = nullptr;
    if (curl_easy_getinfo(handles.easy.get(), CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
        m_lastUrl = QString::fromUtf8(effective);
    if (outcome.cancelled)
        throw EWaitCancelled();
    if (std::optional<EHttpError> failure = HttpFailureOf(outcome, facts(url, transfer)))
        throw *failure;
}

void THttpClient::configure(Handles &handles, const QString &url, const QByteArray *postBody, Transfer &transfer) const
{
    CURL *h = handles.easy.get();
    const bool https = url.startsWith(u"https://", Qt::CaseInsensitive);
    curl_easy_setopt(h, CURLOPT_URL, url.toUtf8().constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, m_tlsEnabled ? "http,https" : "http");
    // A redirect never leaves HTTPS for plain HTTP.
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : (m_tlsEnabled ? "http,https" : "http"));
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, m_followRedirects ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, static_cast<long>(m_maxRedirects));
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_maxReplySize));

    // TLS: the peer's certificate and name are checked, TLS 1.2 or later.
    curl_easy_setopt(h, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_caFile.isEmpty()) {
        // A file that cannot serve is named as such, not taken for the server's certificate.
        if (https)
            if (const QString problem = CaFileProblem(m_caFile); !problem.isEmpty())
                throw EHttpError(problem);
        curl_easy_setopt(h, CURLOPT_CAINFO, m_caFile.toLocal8Bit().constData());
    }

    // Headers: curl writes Accept-Encoding itself and decodes what it announces.
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, kHttpAcceptEncoding);
    curl_easy_setopt(h, CURLOPT_USERAGENT, m_userAgent.constData());
    handles.headers.reset(curl_slist_append(nullptr, QByteArray("Accept: " + m_accept).constData()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, handles.headers.get());

    applyProxy(h, m_proxy);

    if (postBody) {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, postBody->constData());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
    }

    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    transfer.easy = h;
    if (m_followRedirects && m_redirects == THttpRedirects::SameServer)
        transfer.sameServer.emplace(QUrl(url));
}

THttpOutcome THttpClient::run(Handles &handles, Transfer &transfer, BlockingWait &wait) const
{
    // The transfer runs in small steps so that the window keeps painting and the read time-out can
    // be watched: it counts from the moment the connection stands and restarts with every byte.
    CURL *h = handles.easy.get();
    CURLM *multi = handles.multi.get();
    THttpOutcome out;
    curl_multi_add_handle(multi, h);
    transfer.activity.start();
    for (int running = 1; running;) {
        if (curl_multi_perform(multi, &running) != CURLM_OK || !running)
            break;
        curl_multi_poll(multi, nullptr, 0, kPollIntervalMs, nullptr);
        if (m_pump) {
            m_pump();
        } else if (wait.poll()) {
            out.cancelled = true;
            break;
        }
        // A server that sends a byte now and then never trips the read time-out; the whole
        // request still ends in time.
        if (m_totalTimeoutMs > 0 && handles.overall.elapsed() > m_totalTimeoutMs) {
            out.overDeadline = true;
            break;
        }
        if (m_replyTimeoutMs > 0 && transfer.status == 0 && handles.overall.elapsed() > m_replyTimeoutMs) {
            out.replyLate = true;
            break;
        }
        if (!out.connected && hasConnected(h)) {
            out.connected = true;
            transfer.activity.restart();
        } else if (out.connected && transfer.activity.elapsed() > m_readTimeoutMs) {
            out.timedOut = true;
            break;
        }
    }
    int msgsLeft = 0;
    while (CURLMsg *msg = curl_multi_info_read(multi, &msgsLeft))
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == h)
            out.curlCode = msg->data.result;
    curl_multi_remove_handle(multi, h);
    readConnectionFacts(h, m_proxy.isSet(), out);
    out.status = transfer.status;
    out.statusLine = transfer.statusLine;
    out.received = transfer.received;
    out.overLimit = transfer.overLimit;
    out.fileError = transfer.fileFailed ? transfer.fileError : QString();
    out.location = transfer.location;
    out.refusedLocation = transfer.refusedLocation;
    return out;
}

bool THttpClient::prepareProxyAuthRetry(Handles &handles, Transfer &transfer, const THttpOutcome &outcome) const
{
    // A proxy that asks for the password and then closes the connection without saying so leaves
    // the library nowhere to send it: the request is made again on a new connection, with the
    // credentials sent at once in the way the proxy asked for.
    long offered = 0;
    if (outcome.cancelled || outcome.overDeadline || outcome.timedOut || outcome.replyLate ||
        m_proxy.username.isEmpty() || (outcome.tunnelStatus != 407 && outcome.status != 407) ||
        curl_easy_getinfo(handles.easy.get(), CURLINFO_PROXYAUTH_AVAIL, &offered) != CURLE_OK || offered == 0)
        return false;
    curl_easy_setopt(handles.easy.get(), CURLOPT_PROXYAUTH, (offered & CURLAUTH_BASIC) ? CURLAUTH_BASIC : offered);
    transfer.status = 0;
    transfer.statusLine.clear();
    transfer.location.clear();
    transfer.restart();
    return true;
}

THttpRequestFacts THttpClient::facts(const QString &url, const Transfer &transfer) const
{
    return {QUrl(url),       m_proxy,          m_caFile,         transfer.fileName, m_connectTimeoutMs,
            m_readTimeoutMs, m_totalTimeoutMs, m_replyTimeoutMs, m_maxReplySize};
}
