#include "online/HttpFailure.h"

#include "common/Format.h"
#include "common/RegularFile.h"
#include "common/Translate.h"

#include <QFile>

#include <algorithm>
#include <curl/curl.h>
#include <iterator>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// The largest file of trusted certificate authorities read (the system's bundle is a few hundred KB).
constexpr qint64 kMaxCaFileBytes = 16LL * 1024 * 1024;

// The sentences of the failures that name neither the proxy nor the server.
struct TFailureSentence {
    int curlCode;
    const char16_t *text;
};
constexpr char16_t kCertificateRefused[] = u"Сертификат сервера не принят: защищенное соединение не установлено.";
constexpr char16_t kReplyCutShort[] = u"Соединение с сервером прервано: ответ получен не полностью.";
constexpr TFailureSentence kFailureSentences[] = {
    {CURLE_COULDNT_RESOLVE_HOST, u"Сервер не найден: проверьте адрес и подключение к сети Интернет."},
    {CURLE_PEER_FAILED_VERIFICATION, kCertificateRefused},
    {CURLE_SSL_CACERT_BADFILE, kCertificateRefused},
    {CURLE_SSL_CERTPROBLEM, kCertificateRefused},
    {CURLE_SSL_ISSUER_ERROR, kCertificateRefused},
    {CURLE_SSL_PINNEDPUBKEYNOTMATCH, kCertificateRefused},
    {CURLE_SSL_INVALIDCERTSTATUS, kCertificateRefused},
    {CURLE_SSL_CONNECT_ERROR, u"Не удалось установить защищенное соединение с сервером."},
    {CURLE_GOT_NOTHING, u"Сервер закрыл соединение, не прислав ответа."},
    {CURLE_RECV_ERROR, kReplyCutShort},
    {CURLE_SEND_ERROR, kReplyCutShort},
    {CURLE_PARTIAL_FILE, kReplyCutShort},
    {CURLE_WEIRD_SERVER_REPLY, u"Ответ сервера не удалось разобрать: это не ответ HTTP."},
    {CURLE_BAD_CONTENT_ENCODING, u"Не удалось распаковать ответ сервера."},
    {CURLE_TOO_MANY_REDIRECTS, u"Сервер перенаправляет запрос слишком много раз: адрес, вероятно, устарел или сервер "
                               u"настроен с ошибкой."},
    {CURLE_UNSUPPORTED_PROTOCOL, u"Адрес отклонен: допускаются только адреса http и https, а после защищенного "
                                 u"соединения (https) - только защищенные."},
    {CURLE_URL_MALFORMAT, u"Некорректный адрес запроса."},
};

QString proxyName(const THttpProxy &proxy)
{
    return Format(u"%s : %d", {proxy.server, proxy.port});
}

QString serverName(const QUrl &url)
{
    return url.port() > 0 ? url.host() + u':' + QString::number(url.port()) : url.host();
}

// The cause of a refused certificate, from the verification result of the TLS library (0: the
// certificate is sound but names another server).
QString certificateFailureCause(long verifyResult)
{
    // The verification codes of the TLS library that a user can act on.
    switch (verifyResult) {
    // 1: the network library checks the name itself, after a chain the TLS library accepted, and
    // leaves its verdict at 1 when the name does not match.
    case 0:
    case 1:
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

// The message of an HTTP error status: a sentence in the user's language, then the status line as the
// server sent it ("HTTP/1.1 500 Internal Server Error").
QString httpStatusFailureText(int status, const QByteArray &statusLine)
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

// A tunnel the proxy answered but could not lead to the server (a gateway's failure).
bool isProxyGatewayStatus(long status)
{
    return status == 502 || status == 503 || status == 504;
}

// The short cause of a failure of the library, in the user's words.
QString failureCause(const THttpOutcome &out, const THttpRequestFacts &facts)
{
    switch (out.curlCode) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return Format(u"Сервер: %s.", {serverName(facts.url)});
    case CURLE_COULDNT_CONNECT:
        return facts.proxy.isSet() ? QString() : Format(u"Сервер: %s.", {serverName(facts.url)});
    case CURLE_OPERATION_TIMEDOUT:
        return out.connected ? QString() : Format(u"Соединение не установлено за %d мс.", {facts.connectTimeoutMs});
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return certificateFailureCause(out.verifyResult);
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
        return out.expected > 0 ? Format(u"Получено %s из %d.", {BytesText(out.received), out.expected})
                                : Format(u"Получено %s.", {BytesText(out.received)});
    default:
        return {};
    }
}

bool isHttps(const QUrl &url)
{
    return url.scheme().compare(u"https"_s, Qt::CaseInsensitive) == 0;
}

bool isCertificateFailure(int curlCode)
{
    return curlCode == CURLE_PEER_FAILED_VERIFICATION || curlCode == CURLE_SSL_ISSUER_ERROR ||
           curlCode == CURLE_SSL_INVALIDCERTSTATUS || curlCode == CURLE_SSL_PINNEDPUBKEYNOTMATCH;
}

// The failure of a tunnel through the proxy, told from the proxy's answer to the tunnel request and
// the library's result; none when the library's own sentence tells it (the proxy unreachable or
// silent, a certificate refused) or no tunnel was asked for.
std::optional<QString> tunnelFailureText(const THttpOutcome &out, const THttpRequestFacts &facts)
{
    const QString proxy = proxyName(facts.proxy);
    const QString server = serverName(facts.url);
    // The certificate came through the proxy's tunnel: the proxy may have shown its own.
    if (isHttps(facts.url) && out.tunnelStatus == 200 && isCertificateFailure(out.curlCode)) {
        const QString sentence = Format(u"Сертификат сервера \"%s\", полученный через proxy-сервер \"%s\", не "
                                        u"принят: защищенное соединение не установлено.",
                                        {server, proxy});
        const QString cause = failureCause(out, facts);
        return cause.isEmpty() ? sentence : sentence + u'\r' + cause;
    }
    if (!isHttps(facts.url) || out.status > 0 || out.curlCode == CURLE_COULDNT_CONNECT ||
        out.curlCode == CURLE_COULDNT_RESOLVE_PROXY || out.curlCode == CURLE_SSL_CACERT_BADFILE ||
        isCertificateFailure(out.curlCode))
        return std::nullopt;
    if (out.tunnelStatus >= 300) {
        const QString answer = Format(u"Ответ proxy-сервера: ошибка %d.", {static_cast<long long>(out.tunnelStatus)});
        if (isProxyGatewayStatus(out.tunnelStatus))
            return Format(u"Proxy-сервер \"%s\" не смог соединиться с сервером \"%s\".\r%s", {proxy, server, answer});
        return NetworkFailureText(CURLE_PROXY, answer, facts.proxy, true);
    }
    if (out.tunnelStatus == 0) {
        if (out.curlCode == CURLE_OPERATION_TIMEDOUT)
            return std::nullopt;
        return Format(u"Proxy-сервер \"%s\" не открыл соединение с сервером \"%s\": он закрыл соединение, не "
                      u"ответив на запрос, или ответил не по протоколу HTTP.",
                      {proxy, server});
    }
    // The tunnel stood, and the server's reply never came through it.
    if (out.curlCode == CURLE_OPERATION_TIMEDOUT)
        return Format(u"Сервер \"%s\" не ответил через proxy-сервер \"%s\" за отведенное время.", {server, proxy});
    return Format(u"Соединение с сервером \"%s\" через proxy-сервер \"%s\" прервано до ответа сервера.",
                  {server, proxy});
}

// The failure of the library's result.
EHttpError networkFailure(const THttpOutcome &out, const THttpRequestFacts &facts)
{
    const THttpProxy &proxy = facts.proxy;
    if (proxy.isSet())
        if (std::optional<QString> text = tunnelFailureText(out, facts))
            return EHttpError(*text);
    if (out.curlCode == CURLE_SSL_CACERT_BADFILE && !facts.caFile.isEmpty())
        return EHttpError(Format(u"Файл сертификатов \"%s\" (параметр CaFile) не удалось прочитать: в нем "
                                 u"нет пригодных сертификатов.",
                                 {facts.caFile}));
    QString text = NetworkFailureText(out.curlCode, failureCause(out, facts), proxy, out.connected);
    // A redirect to a refused scheme: the address it pointed to tells the user more.
    if (out.curlCode == CURLE_UNSUPPORTED_PROTOCOL && !out.location.isEmpty())
        text = Format(u"Сервер перенаправил запрос по адресу \"%s\".\r", {out.location}) + text;
    return EHttpError(text);
}

// The failure the outcome tells of, before the route is judged.
std::optional<EHttpError> failureOf(const THttpOutcome &out, const THttpRequestFacts &facts)
{
    if (!out.refusedLocation.isEmpty())
        return EHttpError(Format(u"Сервер \"%s\" перенаправил запрос по адресу \"%s\". Переход отклонен: данные "
                                 u"запроса передаются только тому серверу, которому они предназначены, и только "
                                 u"по защищенному соединению.",
                                 {facts.url.host(), out.refusedLocation}),
                          out.status);
    // Silent before the tunnel opened: the proxy kept the request.
    const bool proxySilent = facts.proxy.isSet() && out.tunnelStatus == 0 && isHttps(facts.url);
    if (out.overDeadline)
        return EHttpError(Format(u"Превышено общее время выполнения запроса (%d мс)", {facts.totalTimeoutMs}));
    if (out.replyLate)
        return EHttpError(
            facts.proxy.isSet()
                ? Format(proxySilent ? u"Proxy-сервер \"%0:s\" не открыл соединение с сервером \"%1:s\" за %2:d мс."
                                     : u"Сервер \"%1:s\" не начал ответ через proxy-сервер \"%0:s\" за %2:d мс.",
                         {proxyName(facts.proxy), serverName(facts.url), facts.replyTimeoutMs})
                : Format(u"Сервер не начал ответ за %d мс.", {facts.replyTimeoutMs}));
    if (out.timedOut)
        return EHttpError(Format(u"Превышено время ожидания ответа сервера (%d мс)", {facts.readTimeoutMs}) +
                          (facts.proxy.isSet()
                               ? Format(u": соединение через proxy-сервер \"%s\"", {proxyName(facts.proxy)})
                               : QString()));
    if (out.overLimit || out.curlCode == CURLE_FILESIZE_EXCEEDED)
        return EHttpError(Format(u"Ответ сервера больше допустимого размера (%s)", {BytesText(facts.maxReplySize)}));
    if (!out.fileError.isEmpty())
        return EHttpError(Format(u"Не удалось записать файл \"%s\":\r%s", {facts.fileName, out.fileError}));
    if (out.curlCode != CURLE_OK)
        return networkFailure(out, facts);
    if (out.status == 407 && facts.proxy.isSet())
        return EHttpError(NetworkFailureText(CURLE_PROXY, QString(), facts.proxy, true), out.status);
    if (out.status >= 400)
        return EHttpError(httpStatusFailureText(out.status, out.statusLine), out.status);
    if (out.status == 0)
        return EHttpError(u"Сервер не прислал ответа"_s);
    return std::nullopt;
}

// The server's own reply came whole through the proxy's tunnel, over the encrypted connection that
// only the server could make: what it says is the server's, whatever route carried it. Over plain
// HTTP the proxy may answer in the server's place, so nothing there is taken for the server's.
bool serverAnsweredThroughTheTunnel(const THttpOutcome &out, const THttpRequestFacts &facts)
{
    if (!isHttps(facts.url) || out.tunnelStatus != 200 || out.status <= 0)
        return false;
    if (!out.refusedLocation.isEmpty() || out.overLimit || out.curlCode == CURLE_FILESIZE_EXCEEDED ||
        !out.fileError.isEmpty())
        return true;
    return out.curlCode == CURLE_OK && !out.overDeadline && !out.timedOut && !out.replyLate;
}

} // namespace

QString NetworkFailureText(int curlCode, const QString &cause, const THttpProxy &proxy, bool connected)
{
    const bool viaProxy = proxy.isSet();
    QString sentence;
    switch (curlCode) {
    case CURLE_COULDNT_RESOLVE_PROXY:
        sentence = Format(u"Proxy-сервер \"%s\" не найден: проверьте настройки proxy-сервера.", {proxy.server});
        break;
    case CURLE_COULDNT_CONNECT:
        // Through a proxy the connection is made to the proxy: it is the one that did not answer.
        sentence = viaProxy
                       ? Format(u"Нет соединения с proxy-сервером \"%s\": он не отвечает или отказал в соединении.",
                                {proxyName(proxy)})
                       : Tr(u"Не удалось соединиться с сервером: он недоступен или отказал в соединении.");
        break;
    case CURLE_OPERATION_TIMEDOUT:
        sentence = viaProxy && !connected
                       ? Format(u"Proxy-сервер \"%s\" не ответил за отведенное время.", {proxyName(proxy)})
                       : Tr(u"Сервер не ответил за отведенное время: проверьте подключение к сети Интернет.");
        break;
    case CURLE_PROXY:
        sentence =
            Format(u"Proxy-сервер \"%s\" отказал в соединении: проверьте настройки proxy-сервера.", {proxyName(proxy)});
        break;
    default: {
        const auto *row = std::find_if(std::begin(kFailureSentences), std::end(kFailureSentences),
                                       [curlCode](const TFailureSentence &r) { return r.curlCode == curlCode; });
        sentence = row != std::end(kFailureSentences) ? Tr(row->text)
                                                      : Format(u"Сетевой запрос не выполнен (ошибка %d).", {curlCode});
        break;
    }
    }
    return cause.isEmpty() ? sentence : sentence + u'\r' + cause;
}

QString CaFileProblem(const QString &fileName)
{
    const QString text = u"Файл сертификатов \"%s\" (параметр CaFile) %s"_s;
    // A folder or another file that is no regular one: told here alone, never read (a failed read
    // would be reported a second time as a data file the run could not read).
    struct stat st {};
    if (::stat(QFile::encodeName(fileName).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return Format(text, {fileName, QString(Tr(u"не удалось прочитать: ") + NotRegularFileText(st.st_mode))});
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

std::optional<EHttpError> HttpFailureOf(const THttpOutcome &out, const THttpRequestFacts &facts)
{
    std::optional<EHttpError> failure = failureOf(out, facts);
    if (!failure)
        return std::nullopt;
    const bool routeFailed = facts.proxy.isSet() && !serverAnsweredThroughTheTunnel(out, facts);
    return EHttpError(failure->message(), failure->status(), routeFailed);
}
