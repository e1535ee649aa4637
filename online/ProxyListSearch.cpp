#include "online/ProxyListSearch.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/IniFile.h"
#include "common/TextUtils.h"
#include "online/HttpClient.h"
#include "online/HttpRoutines.h"

#include <QByteArray>
#include <QUrl>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr uint8_t kPlainHttp = 0;
constexpr uint8_t kTls12 = 6;

// The row's server, or false when the row does not give a usable one.
bool parseRow(QStringView row, int offset, TProxyListEntry &entry)
{
    const QString script = ExtractBetween(row, u"<script>", u"</script>");
    if (script.isEmpty())
        return false;

    // The first half of the host is written backwards in the script.
    QString host = ExtractBetween(ExtractBetween(script, u"var", u"split"), u"'", u"'");
    std::reverse(host.begin(), host.end());

    // The second half is Base64 text given as "\x" escaped character codes.
    const QString escaped = ExtractBetween(script, u"atob('", u"'");
    QString base64;
    for (const QString &piece : escaped.split(u"\\x"_s, Qt::SkipEmptyParts, Qt::CaseInsensitive))
        base64 += HexCodeToChar(piece);
    const auto decoded = QByteArray::fromBase64Encoding(base64.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return false;
    host += QString::fromLatin1(*decoded);

    // "pp = (8000 + ...)": the number after the bracket, plus the page's offset.
    const QString portText = ExtractBetween(script, u"pp =", u";");
    const qsizetype bracket = portText.indexOf(u'(');
    if (bracket < 0)
        return false;
    qsizetype end = bracket + 1;
    while (end < portText.size() && portText[end] > u' ' && portText[end] != u')')
        ++end;
    bool ok = false;
    const int number = TextToIntDef(QStringView(portText).mid(bracket + 1, end - bracket - 1), 0, &ok);
    if (!ok)
        return false;
    const int64_t port = int64_t(number) + offset;
    // The entry is "host:port", so an IPv6 address cannot be one.
    if (port < 1 || port > 65535 || host.contains(u':') || !IsValidProxyHost(host))
        return false;
    entry.host = host;
    entry.port = static_cast<int>(port);
    return true;
}

} // namespace

QString HexCodeToChar(QStringView hex)
{
    if (hex.isEmpty() || hex.size() > 6)
        return {};
    char32_t code = 0;
    for (QChar c : hex) {
        const int digit = c.isDigit()                ? c.unicode() - u'0'
                          : (c >= u'a' && c <= u'f') ? c.unicode() - u'a' + 10
                          : (c >= u'A' && c <= u'F') ? c.unicode() - u'A' + 10
                                                     : -1;
        if (digit < 0 || c.unicode() > 0x7f)
            return {};
        code = code * 16 + static_cast<char32_t>(digit);
    }
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {};
    return QString::fromUcs4(&code, 1);
}

QString ProxyListQuery(const TProxyListFilter &filter, int page)
{
    static constexpr const char16_t *kProtocols[] = {u"http", u"https", u"socks4", u"socks5"};
    QString query;
    for (int i = 0; i < 4; ++i)
        if (filter.protocols & (1u << i))
            query = AddUrlParam(query, Format(u"protocol=%s", {kProtocols[i]}));
    for (int level = 1; level <= 4; ++level)
        if (filter.anonymityLevels & (1u << (level - 1)))
            query = AddUrlParam(query, Format(u"anonlvl=%d", {level}));
    QString countries = filter.countries;
    countries.replace(u';', u',');
    for (const QString &code : countries.split(u',')) {
        const QString trimmed = code.trimmed();
        if (!trimmed.isEmpty())
            query = AddUrlParam(query, u"country="_s + QString::fromLatin1(QUrl::toPercentEncoding(trimmed)));
    }
    if (filter.minUptime > 0)
        query = AddUrlParam(query, Format(u"min_uptime=%d", {filter.minUptime}));
    if (filter.maxResponseMs > 0)
        query = AddUrlParam(query, Format(u"max_response_time=%d", {filter.maxResponseMs / 1000}));
    if (page > 1)
        query = AddUrlParam(query, Format(u"offset=%d", {(page - 1) * kProxyListPageRows}));
    return query;
}

QString ProxyListPageUrl(const QString &siteUrl, const TProxyListFilter &filter, int page)
{
    QString url = siteUrl.trimmed();
    const qsizetype scheme = url.indexOf(u"://");
    if (url.indexOf(u'/', scheme < 0 ? 0 : scheme + 3) < 0)
        url += u'/';
    const QString query = ProxyListQuery(filter, page);
    return query.isEmpty() ? url : url + u'?' + query;
}

QString TProxyListEntry::text() const
{
    return Format(u"%s:%d", {host, port});
}

TProxyListPage ParseProxyListPage(QStringView page)
{
    TProxyListPage result;
    const qsizetype open = page.indexOf(u"<tbody>", 0, Qt::CaseInsensitive);
    const qsizetype close = open < 0 ? -1 : page.indexOf(u"</tbody>", open, Qt::CaseInsensitive);
    if (close < 0)
        return result;
    result.hasTable = true;

    const int offset = TextToIntZero(
        ExtractBetween(ExtractBetween(page, u"<div style=\"display:none\" data-", u"</div>"), u"=\"", u"\""));

    QString table = page.mid(open + 7, close - open - 7).toString();
    while (true) {
        const QString row = CutItemAfterKey(table, u"<tr>");
        if (row.isEmpty())
            break;
        ++result.rows;
        TProxyListEntry entry;
        if (parseRow(row, offset, entry))
            result.entries.push_back(entry);
        else
            ++result.badRows;
    }
    return result;
}

QString LoadProxyListUrl(const QString &iniFileName)
{
    const IniFile ini(iniFileName);
    const QString url = ini.readString(u"PROXYLIST"_s, u"Url"_s).trimmed();
    return url.isEmpty() ? QString::fromUtf16(kDefaultProxyListUrl) : url;
}

TProxyListSearch::TProxyListSearch(QString siteUrl) : m_siteUrl(std::move(siteUrl))
{
}

int TProxyListSearch::FetchProxyListPage(int page, QStringList &list, const TProxyListFilter &filter)
{
    const QString url = ProxyListPageUrl(m_siteUrl, filter, page);
    QByteArray bytes;
    // Within a search a page has what is left of the search's time.
    const qint64 left = m_clock.isValid() ? m_deadlineMs - m_clock.elapsed() : m_deadlineMs;
    HttpGetTextEx(nullptr, url, IsHttpsUrl(url) ? kTls12 : kPlainHttp, bytes, true,
                  static_cast<int>(std::max<qint64>(left, 1)));
    ++m_pages;

    const TProxyListPage parsed = ParseProxyListPage(QString::fromLatin1(bytes));
    if (!parsed.hasTable)
        throw Exception(
            Format(u"Страница списка proxy-серверов \"%s\" не распознана: на ней нет таблицы серверов.", {url}));
    if (parsed.rows > 0 && parsed.badRows == parsed.rows)
        throw Exception(Format(u"Страница списка proxy-серверов \"%s\" не распознана: не удалось прочитать "
                               u"ни одного адреса сервера.",
                               {url}));
    m_newOnLastPage = 0;
    for (const TProxyListEntry &entry : parsed.entries) {
        const QString text = entry.text();
        if (!m_seen.contains(text)) {
            m_seen.insert(text);
            ++m_newOnLastPage;
        }
        if ((filter.port == 0 || filter.port == entry.port) && !list.contains(text))
            list.append(text);
    }
    return parsed.rows;
}

int TProxyListSearch::FetchProxyList(QStringList &list, const TProxyListFilter &filter, int count)
{
    list.clear();
    m_seen.clear();
    m_pages = 0;
    m_clock.start();
    try {
        for (int page = 1; page <= kProxyListMaxPages && !m_clock.hasExpired(m_deadlineMs); ++page) {
            const int rows = FetchProxyListPage(page, list, filter);
            if (list.size() >= count || rows < kProxyListPageRows || m_newOnLastPage == 0)
                break;
        }
    } catch (const EHttpError &) {
        // A page cut by the search's deadline: the search's own time is what ran out.
        const bool late = m_clock.hasExpired(m_deadlineMs);
        m_clock.invalidate();
        if (late)
            throw Exception(Format(u"Превышено общее время поиска proxy-серверов (%d мс)", {m_deadlineMs}));
        throw;
    } catch (...) {
        m_clock.invalidate();
        throw;
    }
    m_clock.invalidate();
    return static_cast<int>(list.size());
}
