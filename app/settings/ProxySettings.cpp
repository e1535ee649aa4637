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

void SplitProxyCandidate(const QString &entry, QString &server, int &port)
{
    const qsizetype colon = entry.indexOf(u':');
    const QString host = (colon < 0 ? entry : entry.left(colon)).trimmed();
    const QString portText = colon < 0 ? QString() : entry.mid(colon + 1).trimmed();
    bool ok = false;
    const int value = TextToIntDef(portText, 0, &ok);
    if (!ok)
        throw EConvertError(Format(u"\"%s\" - некорректное целое число", {portText}));
    if (value < 1 || value > 65535 || !IsValidProxyHost(host))
        throw EConvertError(Format(u"Некорректный адрес proxy-сервера: \"%s\"", {entry}));
    server = host;
    port = value;
}

bool IsProxyFailure(const std::exception &e)
{
    const auto *failure = dynamic_cast<const EHttpError *>(&e);
    return failure && failure->proxyFailed();
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
        if (m_candidates->isEmpty())
            throw Exception(Tr(u"Не найдено ни одного proxy-сервера с заданными параметрами"));
    }
    SplitProxyCandidate(m_candidates->first(), m_proxy.server, m_proxy.port);
    m_proxy.username.clear();
    m_proxy.password.clear();
    m_proxy.saved = false;
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
    if (m_proxy.mode != pmProxyOff && !m_proxy.server.isEmpty())
        showWait(Format(u"Попытка %d, proxy %s : %d", {attempt, m_proxy.server, m_proxy.port}));
    else
        showWait(QString());
    return result;
}

bool TProxyManager::NextProxyCandidate()
{
    if (m_proxy.mode != pmProxyAuto)
        return false;
    const bool wasSaved = m_proxy.saved && !m_proxy.server.isEmpty();
    // No search has run in this download: the candidate came from the settings of an earlier run.
    const bool fromEarlierRun = !m_candidates && !m_proxy.server.isEmpty();
    m_proxy.server.clear();
    m_proxy.port = 0;
    m_proxy.username.clear();
    m_proxy.password.clear();
    m_proxy.saved = false;
    // A dead candidate is not offered to the next run.
    if (wasSaved && !m_iniFileName.isEmpty())
        SaveProxySettings(m_proxy, false, m_iniFileName);
    if (fromEarlierRun)
        return true;
    if (m_candidates && !m_candidates->isEmpty())
        m_candidates->removeFirst();
    return m_candidates && !m_candidates->isEmpty();
}
