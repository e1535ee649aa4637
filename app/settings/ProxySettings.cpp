#include "app/settings/ProxySettings.h"

#include "common/AtomicFile.h"
#include "common/BlockingWait.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/IniFile.h"
#include "common/TextUtils.h"
#include "common/Translate.h"

#include <QFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kSection = u"PROXY"_s;
const QString kKeyMode = u"ProxyMode"_s;
const QString kKeyServer = u"ProxyServer"_s;
const QString kKeyPort = u"ProxyPort"_s;
const QString kKeyUsername = u"ProxyUsername"_s;
const QString kKeyPassword = u"ProxyPassword"_s;

QString DownloadText()
{
    return Tr(u"Загрузка архива тиражей...");
}

// A route as the round remembers it: "host:port".
QString routeKey(const QString &server, int port)
{
    return server + u':' + QString::number(port);
}

} // namespace

void ReadProxySection(const IniFile &ini, TProxy &proxy)
{
    proxy.server = ini.readString(kSection, kKeyServer);
    proxy.port = ini.readInteger(kSection, kKeyPort, kDefaultProxyPort);
    proxy.username = ini.readString(kSection, kKeyUsername);
    proxy.password = ini.readString(kSection, kKeyPassword);
    if (ini.valueExists(kSection, kKeyMode)) {
        const int mode = ini.readInteger(kSection, kKeyMode, pmProxyOff);
        proxy.mode = mode >= pmProxyOff && mode <= pmProxyManual ? static_cast<uint8_t>(mode) : uint8_t{pmProxyOff};
    } else {
        proxy.mode = proxy.server.isEmpty() ? pmProxyOff : pmProxyManual;
    }
}

void WriteProxySection(IniFile &ini, const TProxy &proxy)
{
    ini.writeInteger(kSection, kKeyMode, proxy.mode);
    ini.writeString(kSection, kKeyServer, proxy.server);
    ini.writeInteger(kSection, kKeyPort, proxy.port);
    ini.writeString(kSection, kKeyUsername, proxy.username);
    ini.writeString(kSection, kKeyPassword, proxy.password);
}

void LoadProxySettings(TProxy &proxy, const QString &iniFileName)
{
    BusySection busy;
    SetStatusText(Tr(u"Загрузка файла конфигурации..."));
    try {
        const IniFile ini(iniFileName);
        if (ini.unreadable())
            throw EInOutError(FileReadErrorText(iniFileName, ini.readError()));
        ReadProxySection(ini, proxy);
        proxy.saved = true;
    } catch (const Exception &e) {
        ShowErrorBox(Format(u"Ошибка чтения файла конфигурации!\r\r%s", {e.message()}));
    }
    SetStatusText(QString());
}

bool SaveProxySettings(TProxy &proxy, bool interactive, const QString &iniFileName)
{
    std::optional<BusySection> busy;
    if (interactive) {
        busy.emplace();
        SetStatusText(Tr(u"Сохранение файла конфигурации..."));
    }
    bool ok = true;
    try {
        IniFile ini(iniFileName);
        WriteProxySection(ini, proxy);
        // The password is stored as typed: nobody else may read the file.
        ini.setOwnerOnly(!proxy.password.isEmpty());
        ini.updateFile();
        proxy.saved = true;
    } catch (const Exception &e) {
        ShowErrorBox(Format(u"Ошибка записи в файл конфигурации!\r\r%s", {e.message()}));
        ok = false;
    }
    if (interactive)
        SetStatusText(QString());
    return ok;
}

bool IsUsableProxy(const QString &server, int port)
{
    return port >= 1 && port <= 65535 && IsValidProxyHost(server);
}

void SplitProxyCandidate(const QString &entry, QString &server, int &port)
{
    const qsizetype colon = entry.indexOf(u':');
    const QString host = (colon < 0 ? entry : entry.left(colon)).trimmed();
    const QString portText = colon < 0 ? QString() : entry.mid(colon + 1).trimmed();
    bool ok = false;
    const int value = TextToIntDef(portText, 0, &ok);
    if (!ok)
        throw EConvertError(Format(u"\"%s\" - некорректное целое число", {portText}));
    if (!IsUsableProxy(host, value))
        throw EConvertError(Format(u"Некорректный адрес proxy-сервера: \"%s\"", {entry}));
    server = host;
    port = value;
}

bool IsRouteFailure(const std::exception &e)
{
    const auto *failure = dynamic_cast<const EHttpError *>(&e);
    return failure && failure->routeFailed();
}

TProxyManager::TProxyManager(TProxy &proxy, IProxyCandidateSource &source) : m_proxy(proxy), m_source(source) {}

void TProxyManager::showWait(const QString &line)
{
    if (m_waitText)
        m_waitText(line.isEmpty() ? DownloadText() : Format(u"%s\r\r%s", {DownloadText(), line}));
}

void TProxyManager::chooseCandidate(const QString &url)
{
    if (!m_candidates || m_candidates->isEmpty()) {
        showWait(Tr(u"Поиск proxy-серверов"));
        if (!m_candidates)
            m_candidates.emplace();
        TProxySearchRequest request;
        request.httpsOnly = url.startsWith(u"https://", Qt::CaseInsensitive);
        *m_candidates = m_source.searchProxies(request);
        // A route that failed in this round is not tried again in it (the saved one found again).
        m_candidates->removeIf([this](const QString &entry) {
            QString server;
            int port = 0;
            try {
                SplitProxyCandidate(entry, server, port);
            } catch (const Exception &) {
                return false;
            }
            return m_failedRoutes.contains(routeKey(server, port));
        });
        if (m_candidates->isEmpty())
            throw Exception(Tr(u"Не найдено ни одного proxy-сервера с заданными параметрами"));
    }
    // An entry that cannot be used is a failed attempt of its own.
    m_currentFromList = true;
    QString server;
    int port = 0;
    SplitProxyCandidate(m_candidates->first(), server, port);
    useRoute(server, port, false);
}

void TProxyManager::useRoute(const QString &server, int port, bool saved)
{
    m_proxy.server = server;
    m_proxy.port = port;
    m_proxy.username.clear();
    m_proxy.password.clear();
    m_proxy.saved = saved;
}

int TProxyManager::routesLeft() const
{
    const int left = kMaxRoutesPerRound - static_cast<int>(m_failedRoutes.size());
    const int listed = m_currentFromList && m_candidates ? static_cast<int>(m_candidates->size()) : left;
    return std::max(1, std::min(left, listed));
}

void TProxyManager::applyRoundTime(THttpClient &client) const
{
    if (m_roundDeadlineMs <= 0) {
        client.setTotalTimeout(0);
        client.setReplyTimeout(0);
        return;
    }
    if (m_proxy.mode != pmProxyAuto) {
        client.setTotalTimeout(m_roundDeadlineMs);
        client.setReplyTimeout(0);
        return;
    }
    // The rest of the round for the whole page; for the server's reply to begin, the route's share
    // of it, so that a route that holds the reply leaves time for those after it. The saved route
    // has carried pages: it waits as long as in the other modes, so that a server slow to begin its
    // reply does not hand its place to another.
    const qint64 rest = std::max<qint64>(kMinRouteMs, m_roundDeadlineMs - m_spentMs);
    const qint64 window = client.connectTimeout() + client.readTimeout();
    const qint64 share = m_proxy.saved ? window : std::max<qint64>(kMinRouteMs, rest / routesLeft());
    client.setTotalTimeout(static_cast<int>(rest));
    client.setReplyTimeout(static_cast<int>(std::min({share, window, rest})));
}

void TProxyManager::beginDownload()
{
    m_kept.reset();
    m_currentFromList = false;
    routeWorked(); // the saved route, having carried pages before, is the one kept
}

bool TProxyManager::SetupProxy(THttpClient &client, const QString &url, int attempt)
{
    m_lastError.clear();
    bool result = true;
    switch (m_proxy.mode) {
    case pmProxyManual:
        client.setProxy({m_proxy.server, m_proxy.port, m_proxy.username, m_proxy.password});
        break;
    case pmProxyAuto:
        try {
            if (m_proxy.server.isEmpty())
                chooseCandidate(url);
            // A saved server that names no proxy is a failed route like a listed one: used as it
            // is, it would fail every request or send it direct.
            else if (!IsUsableProxy(m_proxy.server, m_proxy.port))
                throw EConvertError(
                    Format(u"Некорректный адрес proxy-сервера: \"%s : %d\"", {m_proxy.server, m_proxy.port}));
            client.setProxy({m_proxy.server, m_proxy.port, {}, {}});
        } catch (const Exception &e) {
            client.clearProxy();
            if (IsWaitCancelled(e))
                throw;
            m_lastError = e.message();
            result = false;
        }
        break;
    default:
        client.clearProxy();
        break;
    }
    applyRoundTime(client);
    m_attemptTimer.start();
    if (m_proxy.mode != pmProxyOff && !m_proxy.server.isEmpty())
        showWait(Format(u"Попытка %d, proxy %s : %d", {attempt, m_proxy.server, m_proxy.port}));
    else
        showWait(QString());
    return result;
}

bool TProxyManager::NextProxyCandidate(const QString &failure)
{
    if (m_proxy.mode != pmProxyAuto)
        return false;
    if (m_attemptTimer.isValid())
        m_spentMs += m_attemptTimer.elapsed();
    m_attemptTimer.invalidate();
    const bool fromList = m_currentFromList;
    // A route was in use (or a listed entry that could not be used): it counts as one tried.
    if (!m_proxy.server.isEmpty() || fromList) {
        m_failedRoutes.append(m_proxy.server.isEmpty() ? m_candidates->value(0)
                                                       : routeKey(m_proxy.server, m_proxy.port));
        if (m_firstFailure.isEmpty())
            m_firstFailure = failure;
    }
    useRoute({}, 0, false);
    m_currentFromList = false;
    if (fromList && m_candidates && !m_candidates->isEmpty())
        m_candidates->removeFirst();
    if (m_failedRoutes.size() >= kMaxRoutesPerRound ||
        (m_roundDeadlineMs > 0 && m_roundDeadlineMs - m_spentMs < kMinRouteMs))
        return false;
    // The saved route failed before any search: a search is to come.
    if (!fromList && !m_candidates)
        return true;
    return m_candidates && !m_candidates->isEmpty();
}

QString TProxyManager::roundFailureText(const QString &lastFailure) const
{
    if (m_proxy.mode != pmProxyAuto || m_firstFailure.isEmpty())
        return lastFailure;
    const int others = static_cast<int>(m_failedRoutes.size()) - 1;
    if (others <= 0)
        return m_firstFailure;
    return m_firstFailure + u"\r" +
           Format(u"Через другие proxy-серверы страницу загрузить также не удалось (проверено: %d).", {others});
}

void TProxyManager::routeWorked()
{
    if (m_proxy.mode == pmProxyAuto && m_proxy.saved && !m_proxy.server.isEmpty())
        m_kept = m_proxy;
    newRound();
}

void TProxyManager::newRound()
{
    m_failedRoutes.clear();
    m_firstFailure.clear();
    m_spentMs = 0;
    m_attemptTimer.invalidate();
}

void TProxyManager::endDownload()
{
    m_candidates.reset();
    m_currentFromList = false;
    if (m_proxy.mode != pmProxyAuto || m_proxy.saved)
        return;
    // No other route carried a page: the one in the settings file is the one in use again.
    useRoute(m_kept ? m_kept->server : QString(), m_kept ? m_kept->port : 0, m_kept.has_value());
}
