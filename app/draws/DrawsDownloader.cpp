#include "app/draws/DrawsDownloader.h"

#include "common/BlockingWait.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/IniFile.h"
#include "common/Translate.h"
#include "lottery/DrawDates.h"
#include "lottery/DrawTexts.h"
#include "app/draws/DrawsArchive.h"
#include "app/draws/ResultsPageParser.h"
#include "app/draws/ResultsSiteDates.h"

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kConnectTimeoutMs = 5000;
constexpr int kReadTimeoutMs = 10000;
// However steadily a server sends, one month's page comes within this time or the month fails.
constexpr int kMonthDeadlineMs = 120000;
constexpr char kPageAccept[] = "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8";

int nextMonth(int yearMonth)
{
    return yearMonth % 100 < 12 ? yearMonth + 1 : (yearMonth / 100 + 1) * 100 + 1;
}

// A stored draw that turns away every new draw: trying again cannot help, the player has to correct it.
class EStoredDrawBlocks : public Exception {
public:
    using Exception::Exception;
};

// What is wrong with the newest stored draw that no new draw can follow, and what to do.
QString BlockingNewestText(const TDrawRec &newest, const QString &reason, const QString &advice)
{
    return Format(u"Номер последнего тиража архива (тираж № %d, дата \"%s\") не может быть верным: %s После него не "
                  u"может быть загружен ни один новый тираж.\r\r%s",
                  {newest.number, newest.dateText(), reason, advice});
}

const char16_t kCorrectNewest[] = u"Исправьте номер этого тиража и повторите загрузку.";

// A page draw dated after the newest stored draw but numbered not above it: the stored draws numbered
// as high are wrong, whatever stands before them (numbers rise with dates).
QString StoredDrawsBehindText(const TDrawsArray &stored, const TDrawRec &listed, const QString &month)
{
    const int wrong = static_cast<int>(stored.size()) - DrawInsertIndex(stored, listed.number - 1);
    const TDrawRec &first = stored[stored.size() - static_cast<size_t>(wrong)];
    const QString reason = Format(u"на странице результатов за %s есть тираж № %d, проведенный позже (%s), а номера "
                                  u"тиражей растут с датами.",
                                  {month, listed.number, listed.dateText()});
    return BlockingNewestText(
        stored.back(), reason,
        wrong <= 1 ? Tr(kCorrectNewest)
                   : Format(u"Номера тиражей архива не меньше %d начиная с тиража № %d (дата \"%s\"), тиражей: %d. "
                            u"Исправьте номера этих тиражей и повторите загрузку.",
                            {listed.number, first.number, first.dateText(), wrong}));
}

// The stored draw of the listed draw's number dated a day before it: the same draw when the numbers
// are the same (the local date of a draw held in the game's time zone); -1 when there is none.
int StoredDrawADayBefore(const TDrawsArray &stored, const TDrawRec &listed)
{
    const int at = FindDrawIndex(stored, listed.number);
    return at >= 0 && DrawDayOf(listed) - DrawDayOf(stored[static_cast<size_t>(at)]) == 1 ? at : -1;
}

// That stored draw with other numbers than the page's: its number and date fit, its numbers do not.
QString StoredDrawDiffersText(const TDrawRec &stored, const TDrawRec &listed, const QString &month)
{
    return Format(u"%s в архиве не совпадает с тиражом с тем же номером на странице результатов за %s (%s): "
                  u"числа тиражей различаются. После него не может быть загружен ни один новый тираж.\r\r"
                  u"Сверьте числа этого тиража со страницей результатов, исправьте их в окне тиража и повторите "
                  u"загрузку.",
                  {FormatDrawText(stored), month, FormatDrawText(listed)});
}

} // namespace

TDownloadSettings LoadDownloadSettings(const QString &iniFileName)
{
    const IniFile ini(iniFileName);
    TDownloadSettings settings;
    settings.resultsHost = ini.readString(u"DOWNLOAD"_s, u"ResultsHost"_s, settings.resultsHost).trimmed();
    settings.caFile = ini.readString(u"DOWNLOAD"_s, u"CaFile"_s).trimmed();
    return settings;
}

QString ResultsPageUrl(const QString &resultsHost, int yearMonth)
{
    if (!IsValidHostAndPort(resultsHost))
        throw Exception(Format(u"Некорректное имя сервера результатов: \"%s\" (ключ ResultsHost раздела DOWNLOAD "
                               u"файла Vendra.ini).",
                               {resultsHost}));
    return u"https://"_s + resultsHost + Format(u"/vendra/results/%s", {ResultsArchiveMonthKey(yearMonth)});
}

TDrawsDownloader::TDrawsDownloader(TDrawsArchive &archive, TProxy &proxy, IProxyCandidateSource &candidates,
                                   TDownloadSettings settings, QString iniFileName)
    : m_archive(archive), m_proxy(proxy), m_proxyManager(proxy, candidates), m_settings(std::move(settings)),
      m_iniFileName(std::move(iniFileName)), m_today(&TodayDate)
{
    m_client.setConnectTimeout(kConnectTimeoutMs);
    m_client.setReadTimeout(kReadTimeoutMs);
    m_client.setTotalTimeout(kMonthDeadlineMs);
    m_client.setFollowRedirects(true);
    m_client.setRedirects(THttpRedirects::SameServer);
    m_client.setAccept(kPageAccept);
    m_client.setCaFile(m_settings.caFile);
    m_proxyManager.setIniFileName(m_iniFileName);
    m_proxyManager.setRoundDeadline(kMonthDeadlineMs);
    m_saveArchive = [this] { m_archive.save(); };
}

void TDrawsDownloader::setWaitTextSink(std::function<void(const QString &)> sink)
{
    m_proxyManager.setWaitTextSink(std::move(sink));
}

QString TDrawsDownloader::HttpGetText(const QString &url, bool decodeUtf8)
{
    // A proxy that cannot be set up fails the request: an empty page would pass the month over.
    if (!m_proxyManager.SetupProxy(m_client, url, m_attempt))
        throw EHttpError(m_proxyManager.lastError(), 0, true);
    const QByteArray bytes = m_httpGet ? m_httpGet(url) : m_client.get(url);
    return decodeUtf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

int TDrawsDownloader::DownloadMonth(int yearMonth, int dateLimit)
{
    const QString key = ResultsArchiveMonthKey(yearMonth);
    SetStatusText(Format(u"Загрузка тиражей за %s...", {key}));
    const QString page = HttpGetText(ResultsPageUrl(m_settings.resultsHost, yearMonth), true);
    // A page the server sent from the address of another month is that month's, whatever it lists:
    // taken, the month asked for would be passed over for good.
    if (!m_httpGet && !m_client.lastUrl().contains(key, Qt::CaseInsensitive))
        throw Exception(Format(u"Сервер перенаправил запрос страницы результатов за %s по адресу \"%s\", "
                               u"это страница другого месяца.",
                               {key, m_client.lastUrl()}));
    int listed = 0;
    TDrawsArray draws;
    try {
        draws = ParseResultsPage(page, dateLimit, yearMonth, &listed);
    } catch (const Exception &e) {
        // A page whose end only the closing connection told may have been cut on the way: through a
        // proxy that is the route's failure, and another route may bring the whole page.
        if (!m_httpGet && m_client.proxy().isSet() && m_client.lastReplyEndedByClose())
            throw EHttpError(e.message(), 0, true);
        throw;
    }
    // The newest stored draw dated a day before the site's date (the local date of a draw in the game's
    // time zone) is listed again: it is no new draw.
    const TDrawsArray &stored = m_archive.draws();
    std::erase_if(draws, [&stored](const TDrawRec &draw) {
        const int at = StoredDrawADayBefore(stored, draw);
        return at >= 0 && SameDrawNumbers(draw, stored[static_cast<size_t>(at)]);
    });
    // The month of the newest stored draw has its draws, whatever its page lists.
    if (listed == 0 && yearMonth > DrawDateYMD(m_archive.draws(), 0, 0) / 100)
        m_emptyMonths.append(key);
    // A draw listed after the newest stored one but numbered not above it: the stored number is wrong,
    // and every month would fail the same.
    for (const TDrawRec &draw : draws) {
        if (stored.empty() || draw.number > stored.back().number)
            continue;
        const int sameDraw = StoredDrawADayBefore(stored, draw);
        throw EStoredDrawBlocks(sameDraw >= 0 ? StoredDrawDiffersText(stored[static_cast<size_t>(sameDraw)], draw, key)
                                              : StoredDrawsBehindText(stored, draw, key));
    }
    // Each draw by the rule of every way in, from the newest stored draw on, or nothing of the month is
    // taken. A draw from the future is a wrong page: stored, it would make every later download start
    // after it and pass over the real draws.
    const TDrawRec *before = m_archive.draws().empty() ? nullptr : &m_archive.draws().back();
    for (const TDrawRec &draw : draws) {
        const QString problem = DrawDateAndPlaceProblem(draw, {before, nullptr}, m_today());
        if (!problem.isEmpty())
            throw Exception(Tr(u"Страница результатов содержит некорректные данные: ") + problem);
        before = &draw;
    }
    SetStatusText(Tr(u"Сохранение файла тиражей..."));
    m_archive.appendAll(draws);
    return static_cast<int>(draws.size());
}

bool TDrawsDownloader::askRetry(const QString &error)
{
    const QString question = Format(u"Ошибка загрузки архива тиражей с сайта: \"%s\"\r\rПовторить попытку?", {error});
    if (m_batch) {
        StderrMessageSink().show(ErrorCaption(), question, MB_YESNO | MB_ICONERROR);
        std::fprintf(stderr, "%s\n", qPrintable(Tr(u"Повторная попытка отклонена: в пакетном режиме загрузка "
                                                 u"не повторяется.")));
        std::fflush(stderr);
        return false;
    }
    hideWait();
    if (AskYesNo(ErrorCaption(), question) != IDYES)
        return false;
    if (m_waitShown)
        m_waitShown(true);
    return true;
}

void TDrawsDownloader::hideWait()
{
    if (m_waitShown)
        m_waitShown(false);
}

void TDrawsDownloader::tell(const QString &caption, const QString &text, unsigned flags)
{
    if (m_batch) {
        StderrMessageSink().show(caption, text, flags);
        return;
    }
    hideWait();
    CurrentMessageSink().show(caption, text, flags);
}

bool TDrawsDownloader::newestDateKnown()
{
    if (m_archive.draws().empty())
        return true;
    const TDrawRec &newest = m_archive.draws().back();
    TDateTime date = 0;
    try {
        date = TextToDrawDate(newest.dateText());
    } catch (const Exception &) {
    }
    const bool future = date > 0 && IsFutureDrawDate(date, m_today());
    // A number far ahead of the draw before it turns away every real draw the site lists after it.
    const QString ahead = m_archive.count() > 1
                              ? DrawRunsAheadProblem(newest, m_archive.draws()[m_archive.draws().size() - 2], m_today())
                              : QString();
    if (date > 0 && !future && ahead.isEmpty())
        return true;
    // Without the newest draw's date the download would start in December 2001 and append every
    // draw of the site again; after a date still to come it would fetch nothing until that day.
    if (date > 0 && !future)
        reportStop(BlockingNewestText(newest, ahead, Tr(kCorrectNewest)));
    else
        reportStop(Format(future ? u"Дата последнего тиража архива (тираж № %d, дата \"%s\") еще не наступила, "
                                   u"поэтому новые тиражи не могут быть загружены.\r\r"
                                   u"Исправьте дату этого тиража и повторите загрузку."
                                 : u"Не удалось определить дату последнего тиража архива (тираж № %d, дата \"%s\"), "
                                   u"поэтому неизвестно, с какого месяца загружать новые тиражи.\r\r"
                                   u"Исправьте дату этого тиража и повторите загрузку.",
                          {newest.number, newest.dateText()}));
    return false;
}

void TDrawsDownloader::reportStop(const QString &error)
{
    m_result.ok = false;
    m_result.error = error;
    tell(ErrorCaption(), error, MB_OK | MB_ICONERROR);
}

int TDrawsDownloader::DownloadDraws()
{
    m_result = {};
    m_attempt = 1;
    m_emptyMonths.clear();
    QStringList holes; // empty months that lie before a month with draws
    int total = 0;
    if (!newestDateKnown())
        return 0;
    bool unsaved = false; // draws appended whose save failed: written with the next save
    // A settings file that cannot be written is told once: the route that works stays in use for
    // this download without being saved again after every month.
    bool proxySaveFailed = false;
    int month = DrawDateYMD(m_archive.draws(), 0, 1) / 100;
    m_proxyManager.beginDownload();
    try {
        do {
            try {
                const int added = DownloadMonth(month, DrawDateYMD(m_archive.draws(), 0, 1));
                total += added;
                if (added > 0) {
                    unsaved = true;
                    holes += m_emptyMonths;
                    m_emptyMonths.clear();
                }
                if (!m_proxy.saved && !proxySaveFailed)
                    proxySaveFailed = !SaveProxySettings(m_proxy, false, m_iniFileName);
                m_proxyManager.routeWorked();
                if (unsaved) {
                    m_saveArchive();
                    unsaved = false;
                    if (m_refreshViews)
                        m_refreshViews();
                }
                month = nextMonth(month);
            } catch (const EStoredDrawBlocks &e) {
                reportStop(e.message());
                break;
            } catch (const Exception &e) {
                // Given up by the user: neither another proxy nor the question to try again.
                if (IsWaitCancelled(e)) {
                    m_result.ok = false;
                    m_result.error = e.message();
                    break;
                }
                ++m_attempt;
                // A route that failed gives way to the next one; the site's own answer through a
                // route would be the same through any other.
                const bool routeFailed = IsRouteFailure(e);
                if (routeFailed && m_proxyManager.NextProxyCandidate(e.message()))
                    continue;
                if (askRetry(routeFailed ? m_proxyManager.roundFailureText(e.message()) : e.message())) {
                    m_proxyManager.newRound();
                    continue;
                }
                m_result.ok = false;
                m_result.error = e.message();
                break;
            }
        } while (DateToYMD(m_today()) / 100 >= month);
    } catch (...) {
        m_proxyManager.endDownload();
        m_result.total = total;
        throw;
    }
    m_proxyManager.endDownload();
    m_result.total = total;
    warnOfHoles(holes);
    return total;
}

void TDrawsDownloader::warnOfHoles(const QStringList &months)
{
    if (months.isEmpty())
        return;
    // Passed once, a month is never fetched again: the player is told where draws may be missing.
    const QString text = Format(u"Страницы результатов за месяцы, после которых тиражи есть, не содержат ни одного "
                                u"тиража: %s.\r\rЕсли тиражи в эти месяцы проводились, их нет в архиве: введите их "
                                u"в окне тиража или импортируйте из файла.",
                                {months.join(u", "_s)});
    tell(WarningCaption(), text, MB_OK | MB_ICONWARNING);
}

TDownloadResult TDrawsDownloader::run()
{
    BusySection busy;
    SetStatusText(Tr(u"Загрузка архива тиражей..."));
    DownloadDraws();
    SetStatusText(QString());
    return m_result;
}
