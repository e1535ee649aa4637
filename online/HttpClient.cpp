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
// The largest file of trusted certificate authorities read (the system's bundle is a few hundred KB).
constexpr qint64 kMaxCaFileBytes = 16LL * 1024 * 1024;

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

} // namespace

QString NetworkFailureText(int curlCode, const QString &cause, const THttpProxy &proxy, bool connected)
{
    const bool viaProxy = proxy.isSet();
    const QString proxyName = viaProxy ? Format(u"%s : %d", {proxy.server, proxy.port}) : QString();
    QString sentence;
    switch (curlCode) {
    case CURLE_COULDNT_RESOLVE_PROXY:
        sentence = Format(u"Proxy-сервер \"%s\" не найден: проверьте настройки proxy-сервера.", {proxy.server});
        break;
    case CURLE_COULDNT_RESOLVE_HOST:
        sentence = Tr(u"Сервер не найден: проверьте адрес и подключение к сети Интернет.");
        break;
    case CURLE_COULDNT_CONNECT:
        // Through a proxy the connection is made to the proxy: it is the one that did not answer.
        sentence = viaProxy ? Format(u"Нет соединения с proxy-сервером \"%s\": он не отвечает или отказал в соединении.",
                                     {proxyName})
                            : Tr(u"Не удалось соединиться с сервером: он недоступен или отказал в соединении.");
        break;
    case CURLE_OPERATION_TIMEDOUT:
        sentence = viaProxy && !connected
                       ? Format(u"Proxy-сервер \"%s\" не ответил за отведенное время.", {proxyName})
                       : Tr(u"Сервер не ответил за отведенное время: проверьте подключение к сети Интернет.");
        break;
    case CURLE_PROXY:
        sentence = Format(u"Proxy-сервер \"%s\" отказал в соединении: проверьте настройки proxy-сервера.", {proxyName});
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        sentence = Tr(u"Сертификат сервера не принят: защищенное соединение не установлено.");
        break;
    case CURLE_SSL_CONNECT_ERROR:
        sentence = Tr(u"Не удалось установить защищенное соединение с сервером.");
        break;
    case CURLE_GOT_NOTHING:
        sentence = Tr(u"Сервер закрыл соединение, не прислав ответа.");
        break;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        sentence = Tr(u"Соединение с сервером прервано: ответ получен не полностью.");
        break;
    case CURLE_WEIRD_SERVER_REPLY:
        sentence = Tr(u"Ответ сервера не удалось разобрать: это не ответ HTTP.");
        break;
    case CURLE_BAD_CONTENT_ENCODING:
        sentence = Tr(u"Не удалось распаковать ответ сервера.");
        break;
    case CURLE_TOO_MANY_REDIRECTS:
        sentence = Tr(u"Сервер перенаправляет запрос слишком много раз: адрес, вероятно, устарел или сервер "
                      u"настроен с ошибкой.");
        break;
    case CURLE_UNSUPPORTED_PROTOCOL:
        sentence = Tr(u"Адрес отклонен: допускаются только адреса http и https, а после защищенного "
                      u"соединения (https) - только защищенные.");
        break;
    case CURLE_URL_MALFORMAT:
        sentence = Tr(u"Некорректный адрес запроса.");
        break;
    default:
        sentence = Format(u"Сетевой запрос не выполнен (ошибка %d).", {curlCode});
        break;
    }
    return cause.isEmpty() ? sentence : sentence + u'\r' + cause;
}

QString CertificateFailureCause(long verifyResult)
{
    // The verification codes of the TLS library that a user can act on.
    switch (verifyResult) {
    case 0:
    case 62:
        return Tr(u"Причина: сертификат выдан для другого имени сервера.");
    case 2:
    case 20:
    case 21:
        return Tr(u"Причина: сертификат заверен центром сертификации, которому нет доверия.");
    case 18:
    case 19:
        return Tr(u"Причина: сертификат самоподписанный, его не заверил доверенный центр сертификации.");
    case 9:
        return Tr(u"Причина: срок действия сертификата еще не начался.");
    case 10:
        return Tr(u"Причина: срок действия сертификата истек.");
    case 23:
        return Tr(u"Причина: сертификат отозван.");
    default:
        return Format(u"Причина: сертификат не прошел проверку (код %d).", {static_cast<long long>(verifyResult)});
    }
}

QString CaFileProblem(const QString &fileName)
{
    const QString text = u"Файл сертификатов \"%s\" (параметр CaFile) %s"_s;
    QByteArray bytes;
    try {
        if (!ReadRegularFile(fileName, kMaxCaFileBytes, bytes))
            return Format(text, {fileName, Tr(u"не найден.")});
    } catch (const EFileReadError &e) {
        return Format(text, {fileName, QString(Tr(u"не удалось прочитать: ") + e.reason())});
    }
    if (bytes.trimmed().isEmpty())
        return Format(text, {fileName, Tr(u"пуст.")});
    // At least one certificate in the PEM form whose body is Base64.
    static const QByteArray kBegin = "-----BEGIN CERTIFICATE-----";
    static const QByteArray kEnd = "-----END CERTIFICATE-----";
    for (qsizetype at = bytes.indexOf(kBegin); at >= 0; at = bytes.indexOf(kBegin, at + 1)) {
        const qsizetype end = bytes.indexOf(kEnd, at);
        if (end < 0)
            break;
        QByteArray body = bytes.mid(at + kBegin.size(), end - at - kBegin.size());
        body.replace('\r', QByteArray()).replace('\n', QByteArray()).replace(' ', QByteArray());
        const auto decoded = QByteArray::fromBase64Encoding(body, QByteArray::AbortOnBase64DecodingErrors);
        if (decoded && !decoded.decoded.isEmpty())
            return {};
    }
    return Format(text, {fileName, Tr(u"не содержит ни одного сертификата в формате PEM.")});
}

QString HttpStatusFailureText(int status, const QByteArray &statusLine)
{
    QString sentence;
    if (status == 401 || status == 403)
        sentence = Format(u"Сервер отказал в доступе (ошибка %d).", {status});
    else if (status == 404 || status == 410)
        sentence = Format(u"Запрошенная страница на сервере не найдена (ошибка %d).", {status});
    else if (status == 408 || status == 504)
        sentence = Format(u"Сервер не дождался выполнения запроса (ошибка %d): повторите попытку позже.", {status});
    else if (status == 429 || status == 503)
        sentence = Format(u"Сервер сейчас перегружен или недоступен (ошибка %d): повторите попытку позже.", {status});
    else if (status >= 500)
        sentence = Format(u"На сервере произошла ошибка (ошибка %d): повторите попытку позже.", {status});
    else
        sentence = Format(u"Сервер отклонил запрос (ошибка %d).", {status});
    const QString line = QString::fromLatin1(statusLine).trimmed();
    return line.isEmpty() ? sentence : sentence + u'\r' + line;
}

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
            t->restart();
        } else if (t->status >= 300 && t->status < 400 && line.size() > 9 &&
                   line.left(9).toLower() == "location:") {
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

void THttpClient::perform(const QString &url, const QByteArray *postBody, Transfer &transfer)
{
    globalInit();
    m_lastStatus = 0;
    m_lastStatusLine.clear();
    m_lastUrl = url;
    transfer.limit = m_maxReplySize;

    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi)
        throw EHttpError(u"Не удалось создать HTTP-клиент"_s);
    CURL *h = easy.get();

    const bool https = url.startsWith(u"https://", Qt::CaseInsensitive);
    const QByteArray urlBytes = url.toUtf8();
    curl_easy_setopt(h, CURLOPT_URL, urlBytes.constData());
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
    const QByteArray caFile = m_caFile.toLocal8Bit();
    if (!caFile.isEmpty()) {
        // A file that cannot serve is named as such, not taken for the server's certificate.
        if (https)
            if (const QString problem = CaFileProblem(m_caFile); !problem.isEmpty())
                throw EHttpError(problem);
        curl_easy_setopt(h, CURLOPT_CAINFO, caFile.constData());
    }

    // Headers: curl writes Accept-Encoding itself and decodes what it announces.
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, kHttpAcceptEncoding);
    curl_easy_setopt(h, CURLOPT_USERAGENT, m_userAgent.constData());
    const QByteArray acceptHeader = "Accept: " + m_accept;
    std::unique_ptr<curl_slist, SlistDeleter> headers(curl_slist_append(nullptr, acceptHeader.constData()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    // Proxy: an empty proxy string also keeps the environment's proxy variables out.
    QByteArray proxyUrl;
    const QByteArray proxyUser = m_proxy.username.toUtf8();
    const QByteArray proxyPassword = m_proxy.password.toUtf8();
    if (m_proxy.isSet()) {
        if (!IsValidProxyHost(m_proxy.server) || m_proxy.port > 65535)
            throw EHttpError(Format(u"Некорректный адрес proxy-сервера: \"%s : %d\"", {m_proxy.server, m_proxy.port}));
        const bool v6 = m_proxy.server.contains(u':') && !m_proxy.server.startsWith(u'[');
        proxyUrl = "http://" + (v6 ? '[' + m_proxy.server.toLatin1() + ']' : m_proxy.server.toLatin1());
        curl_easy_setopt(h, CURLOPT_PROXYPORT, static_cast<long>(m_proxy.port));
        if (!proxyUser.isEmpty()) {
            curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, proxyUser.constData());
            curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
            curl_easy_setopt(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
        }
        curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    }
    curl_easy_setopt(h, CURLOPT_PROXY, proxyUrl.constData());

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
    const QUrl requestUrl(url);
    if (m_followRedirects && m_redirects == THttpRedirects::SameServer)
        transfer.sameServer.emplace(requestUrl);

    // The transfer runs in small steps so that the window keeps painting and the read time-out can
    // be watched: it counts from the moment the connection stands and restarts with every byte. The
    // overall deadline covers every connection of the request.
    QElapsedTimer overall;
    overall.start();
    BlockingWait wait(Format(u"Ожидание ответа сервера \"%s\"...", {requestUrl.host()}));
    struct Outcome {
        CURLcode result = CURLE_OK;
        bool connected = false;
        bool timedOut = false;
        bool overDeadline = false;
        bool cancelled = false;
    };
    auto run = [&] {
        Outcome out;
        curl_multi_add_handle(multi.get(), h);
        transfer.activity.start();
        int running = 1;
        while (running) {
            if (curl_multi_perform(multi.get(), &running) != CURLM_OK || !running)
                break;
            curl_multi_poll(multi.get(), nullptr, 0, kPollIntervalMs, nullptr);
            if (m_pump) {
                m_pump();
            } else if (wait.poll()) {
                out.cancelled = true;
                break;
            }
            // A server that sends a byte now and then never trips the read time-out; the whole
            // request still ends in time.
            if (m_totalTimeoutMs > 0 && overall.elapsed() > m_totalTimeoutMs) {
                out.overDeadline = true;
                break;
            }
            if (!out.connected) {
                curl_off_t connectTime = 0;
                if (curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK && connectTime > 0) {
                    out.connected = true;
                    transfer.activity.restart();
                }
            } else if (transfer.activity.elapsed() > m_readTimeoutMs) {
                out.timedOut = true;
                break;
            }
        }
        int msgsLeft = 0;
        while (CURLMsg *msg = curl_multi_info_read(multi.get(), &msgsLeft))
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == h)
                out.result = msg->data.result;
        curl_multi_remove_handle(multi.get(), h);
        return out;
    };

    // The short cause of a failure, in the user's words.
    auto failureCause = [&](CURLcode result, bool connected) -> QString {
        const QString server =
            requestUrl.port() > 0 ? requestUrl.host() + u':' + QString::number(requestUrl.port()) : requestUrl.host();
        switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return Format(u"Сервер: %s.", {server});
        case CURLE_COULDNT_CONNECT:
            return m_proxy.isSet() ? QString() : Format(u"Сервер: %s.", {server});
        case CURLE_OPERATION_TIMEDOUT:
            return connected ? QString() : Format(u"Соединение не установлено за %d мс.", {m_connectTimeoutMs});
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_INVALIDCERTSTATUS: {
            long verifyResult = 0;
            curl_easy_getinfo(h, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
            return CertificateFailureCause(verifyResult);
        }
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR: {
            curl_off_t expected = -1;
            curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
            return expected > 0 ? Format(u"Получено %d байт из %d.",
                                         {static_cast<long long>(transfer.received), static_cast<long long>(expected)})
                                : Format(u"Получено %d байт.", {static_cast<long long>(transfer.received)});
        }
        default:
            return {};
        }
    };

    Outcome out = run();
    long tunnelStatus = 0;
    if (m_proxy.isSet())
        curl_easy_getinfo(h, CURLINFO_HTTP_CONNECTCODE, &tunnelStatus);
    // A proxy that asks for the password and then closes the connection without saying so leaves
    // the library nowhere to send it: the request is made again on a new connection, with the
    // credentials sent at once in the way the proxy asked for.
    long offered = 0;
    if (!out.cancelled && !out.overDeadline && !out.timedOut && !proxyUser.isEmpty() &&
        (tunnelStatus == 407 || transfer.status == 407) &&
        curl_easy_getinfo(h, CURLINFO_PROXYAUTH_AVAIL, &offered) == CURLE_OK && offered != 0) {
        curl_easy_setopt(h, CURLOPT_PROXYAUTH, (offered & CURLAUTH_BASIC) ? CURLAUTH_BASIC : offered);
        transfer.status = 0;
        transfer.statusLine.clear();
        transfer.location.clear();
        transfer.restart();
        out = run();
        tunnelStatus = 0;
        curl_easy_getinfo(h, CURLINFO_HTTP_CONNECTCODE, &tunnelStatus);
    }
    CURLcode result = out.result;

    m_lastStatus = transfer.status;
    m_lastStatusLine = transfer.statusLine;
    char *effective = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
        m_lastUrl = QString::fromUtf8(effective);
    if (out.cancelled)
        throw EWaitCancelled();
    if (!transfer.refusedLocation.isEmpty())
        throw EHttpError(Format(u"Сервер \"%s\" перенаправил запрос по адресу \"%s\". Переход отклонен: данные "
                                u"запроса передаются только тому серверу, которому они предназначены, и только "
                                u"по защищенному соединению.",
                                {requestUrl.host(), transfer.refusedLocation}),
                         transfer.status);
    if (out.overDeadline)
        throw EHttpError(Format(u"Превышено общее время выполнения запроса (%d мс)", {m_totalTimeoutMs}));
    if (out.timedOut)
        throw EHttpError(Format(u"Превышено время ожидания ответа сервера (%d мс)", {m_readTimeoutMs}));
    if (transfer.overLimit || result == CURLE_FILESIZE_EXCEEDED)
        throw EHttpError(Format(u"Ответ сервера больше допустимого размера (%d байт)", {m_maxReplySize}));
    if (transfer.fileFailed)
        throw EHttpError(Format(u"Не удалось записать файл \"%s\":\r%s", {transfer.fileName, transfer.fileError}));
    if (result != CURLE_OK) {
        // A tunnel the proxy would not open is the proxy's refusal, whatever code the library gives.
        if (tunnelStatus >= 300)
            result = CURLE_PROXY;
        if (result == CURLE_SSL_CACERT_BADFILE && !m_caFile.isEmpty())
            throw EHttpError(Format(u"Файл сертификатов \"%s\" (параметр CaFile) не удалось прочитать: в нем "
                                    u"нет пригодных сертификатов.",
                                    {m_caFile}));
        QString text = NetworkFailureText(result, failureCause(result, out.connected), m_proxy, out.connected);
        // A redirect to a refused scheme: the address it pointed to tells the user more.
        if (result == CURLE_UNSUPPORTED_PROTOCOL && !transfer.location.isEmpty())
            text = Format(u"Сервер перенаправил запрос по адресу \"%s\".\r", {transfer.location}) + text;
        throw EHttpError(text);
    }
    if (transfer.status == 407 && m_proxy.isSet())
        throw EHttpError(NetworkFailureText(CURLE_PROXY, QString(), m_proxy, true), transfer.status);
    if (transfer.status >= 400)
        throw EHttpError(HttpStatusFailureText(transfer.status, transfer.statusLine), transfer.status);
    if (transfer.status == 0)
        throw EHttpError(u"Сервер не прислал ответа"_s);
}
