#include "common/BlockingWait.h"
#include "common/DateTime.h"
#include "common/Exception.h"
#include "common/IniFile.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/draws/DrawsArchive.h"
#include "app/draws/DrawsDownloader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray item(int number, const char *date, const char *main, const char *extra)
{
    auto numbers = [](const char *list) {
        QByteArray out;
        for (const QByteArray &n : QByteArray(list).split(','))
            out += "{\"number\":" + n + ",\"s\":0},";
        out.chop(1);
        return out;
    };
    return "{\"drawNo\":" + QByteArray::number(number) + ",\"drawDate\":\"" + date +
           "T00:00:00\",\"numberSets\":[{\"name\":\"Main numbers\",\"numbers\":[" + numbers(main) +
           "]},{\"name\":\"Supplementary\",\"numbers\":[" + numbers(extra) + "]}],\"divisions\":[]}";
}

QByteArray page(const QList<QByteArray> &items)
{
    return "{\"drawsPast\":[" + items.join(',') + "]}},\"x\":1}";
}

const QByteArray kMarch = page({item(4104, "2024-03-08", "7,12,19,23,36,44", "2,40"),
                                item(4102, "2024-03-04", "1,2,3,4,5,6", "7,8"),
                                item(4100, "2024-03-01", "9,8,7,6,5,4", "3,2")});
const QByteArray kApril = page({item(4106, "2024-04-05", "11,22,33,44,45,1", "5,6")});
const QByteArray kFebruary = page({item(4098, "2024-02-26", "1,2,3,4,5,6", "7,8"), item(4096, "2024-02-22", "1,2,3,4,5,6", "7,8")});
const QByteArray kFebruaryPath = "/vendra/results/2024-february";
const QByteArray kMarchPath = "/vendra/results/2024-march";
const QByteArray kAprilPath = "/vendra/results/2024-april";

TDrawRec storedDraw(int number, const QString &date)
{
    TDrawRec d;
    d.number = number;
    d.main = {9, 8, 7, 6, 5, 4};
    d.extra = {3, 2};
    d.setDateText(date);
    return d;
}

std::vector<int> numbersOf(const TDrawsArray &draws)
{
    std::vector<int> numbers;
    for (const TDrawRec &d : draws)
        numbers.push_back(d.number);
    return numbers;
}

// The candidates a proxy search finds in the automatic mode (none unless a test lists some).
struct ListedCandidates : IProxyCandidateSource {
    QStringList searchProxies(const TProxySearchRequest &) override
    {
        ++searches;
        return list;
    }
    QStringList list;
    int searches = 0;
};

// A data folder with an archive whose newest draw is 4100 of 1 March 2024, a trusted HTTPS
// results server, and today's date 10 April 2024.
class DrawsDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        certs = TestCertificates::instance();
        ASSERT_NE(certs, nullptr);
        ASSERT_TRUE(site.startTls(certs->serverCert(), certs->serverKey()));
        serveMonths(LocalHttpReply::text(kMarch));
        storeArchive({storedDraw(4099, u"26 Feb 2024"_s), storedDraw(4100, u"1 Mar 2024"_s)});
        settings.resultsHost = site.hostAndPort();
        settings.caFile = certs->caFile();
    }

    // March as given, February and April as they are; other months empty.
    void serveMonths(const LocalHttpReply &march)
    {
        site.setHandler([march](const LocalHttpRequest &r) {
            if (r.path == kMarchPath)
                return march;
            return LocalHttpReply::text(r.path == kAprilPath ? kApril : r.path == kFebruaryPath ? kFebruary : page({}));
        });
    }

    void storeArchive(const TDrawsArray &draws)
    {
        folder.write(u"Vendra.ldr"_s, SerializeDraws(draws));
        archive.setFileName(folder.file(u"Vendra.ldr"_s));
        archive.load();
    }

    TDrawsDownloader &downloader(int year = 2024, int month = 4, int day = 10)
    {
        m_downloader = std::make_unique<TDrawsDownloader>(archive, proxy, candidates, settings, iniFile());
        m_downloader->setToday([=] { return EncodeDate(year, month, day); });
        m_downloader->setRefreshViews([this] { ++refreshes; });
        m_downloader->setWaitTextSink([this](const QString &t) { waitTexts << t; });
        return *m_downloader;
    }

    QString iniFile() const { return folder.file(u"Vendra.ini"_s); }
    TDrawsArray fileDraws() const { return ParseDrawsFile(folder.read(u"Vendra.ldr"_s)); }

    TempDataFolder folder;
    const TestCertificates *certs = nullptr;
    LocalHttpServer site;
    TDrawsArchive archive;
    TProxy proxy;
    ListedCandidates candidates;
    TDownloadSettings settings;
    ScriptedMessages boxes;
    int refreshes = 0;
    QStringList waitTexts;

private:
    std::unique_ptr<TDrawsDownloader> m_downloader;
};

const QString k500 = u"На сервере произошла ошибка (ошибка 500): повторите попытку позже.\r"
                    u"HTTP/1.1 500 Internal Server Error"_s;
const QString kRetry500 = u"Ошибка загрузки архива тиражей с сайта: \""_s + k500 + u"\"\r\rПовторить попытку?"_s;

} // namespace

TEST_F(DrawsDownload, TwoMonthsPlainAndGzip)
{
    for (const auto encoding : {LocalHttpReply::Encoding::Identity, LocalHttpReply::Encoding::Gzip}) {
        SCOPED_TRACE(static_cast<int>(encoding));
        site.setHandler([encoding](const LocalHttpRequest &r) {
            LocalHttpReply reply = LocalHttpReply::text(r.path == kMarchPath ? kMarch : kApril);
            reply.encoding = encoding;
            return reply;
        });
        site.clearRequests();
        storeArchive({storedDraw(4099, u"26 Feb 2024"_s), storedDraw(4100, u"1 Mar 2024"_s)});
        refreshes = 0;

        const TDownloadResult result = downloader().run();
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.total, 3);
        EXPECT_EQ(numbersOf(archive.draws()), (std::vector<int>{4099, 4100, 4102, 4104, 4106}));
        EXPECT_EQ(fileDraws(), archive.draws());
        EXPECT_EQ(archive.draws()[3].dateText(), u"8 Mar 2024");
        EXPECT_EQ(archive.draws()[3].main, (std::array<uint8_t, 6>{7, 12, 19, 23, 36, 44}));
        EXPECT_EQ(refreshes, 2);
        EXPECT_EQ(boxes.count(), 0);

        EXPECT_EQ(site.paths(), (QList<QByteArray>{kMarchPath, kAprilPath}));
        const LocalHttpRequest first = site.requests().front();
        EXPECT_EQ(first.header("Accept"), "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8");
        EXPECT_EQ(first.header("Accept-Encoding"), "gzip, deflate");
        EXPECT_EQ(first.header("User-Agent"), "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like "
                                              "Gecko) Chrome/47.0.2526.80 Safari/537.36");
        EXPECT_TRUE(first.tls);
    }
}

TEST_F(DrawsDownload, FirstMonthFollowsTheNewestDraw)
{
    // Newest draw on 31 December: January of the next year comes first.
    storeArchive({storedDraw(4000, u"31 Dec 2023"_s)});
    downloader(2024, 1, 20).run();
    EXPECT_EQ(site.paths(), (QList<QByteArray>{"/vendra/results/2024-january"}));

    // Today in the newest draw's month: exactly that month.
    site.clearRequests();
    storeArchive({storedDraw(4100, u"1 Mar 2024"_s)});
    const TDownloadResult result = downloader(2024, 3, 30).run();
    EXPECT_EQ(site.paths(), (QList<QByteArray>{kMarchPath}));
    EXPECT_EQ(result.total, 2);

    // The newest draw stored with the local date, a day before the site's: listed again, it is that
    // draw, and the draws after it come in.
    storeArchive({storedDraw(4099, u"26 Feb 2024"_s), storedDraw(4100, u"29 Feb 2024"_s)});
    const TDownloadResult local = downloader(2024, 3, 30).run();
    EXPECT_TRUE(local.ok) << local.error.toStdString();
    EXPECT_EQ(numbersOf(fileDraws()), (std::vector<int>{4099, 4100, 4102, 4104}));
    EXPECT_EQ(fileDraws()[1].dateText(), u"29 Feb 2024");

    // An empty archive starts in December 2001.
    site.clearRequests();
    storeArchive({});
    downloader(2001, 12, 30).run();
    EXPECT_EQ(site.paths(), (QList<QByteArray>{"/vendra/results/2001-december"}));
}

TEST_F(DrawsDownload, ServerErrorAsksAndYesTriesAgain)
{
    auto marchCalls = std::make_shared<std::atomic<int>>(0);
    site.setHandler([marchCalls](const LocalHttpRequest &r) {
        if (r.path == kMarchPath)
            return ++*marchCalls == 1 ? LocalHttpReply::text("down", 500) : LocalHttpReply::text(kMarch);
        return LocalHttpReply::text(kApril);
    });
    boxes.answer(IDYES);
    const TDownloadResult result = downloader().run();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Ошибка");
    EXPECT_EQ(boxes.last().text, kRetry500);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.total, 3);
    EXPECT_EQ(site.paths(), (QList<QByteArray>{kMarchPath, kMarchPath, kAprilPath}));
    EXPECT_EQ(numbersOf(fileDraws()), (std::vector<int>{4099, 4100, 4102, 4104, 4106}));
}

TEST_F(DrawsDownload, ServerErrorAndNoLeavesTheArchiveAlone)
{
    serveMonths(LocalHttpReply::text("down", 500));
    const QByteArray before = folder.read(u"Vendra.ldr"_s);
    boxes.answer(IDNO);
    const TDownloadResult result = downloader().run();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.total, 0);
    EXPECT_EQ(result.error, k500);
    EXPECT_EQ(site.paths(), (QList<QByteArray>{kMarchPath}));
    EXPECT_EQ(archive.count(), 2);
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), before);
    EXPECT_EQ(refreshes, 0);
}

TEST_F(DrawsDownload, AStalledMonthCancelledByTheUserEndsTheDownloadWithoutAQuestion)
{
    // Stands for the wait window: the user cancels once the wait has lasted 300 ms.
    struct UserCancels : IBlockingWaitHost {
        QElapsedTimer since;
        int waits = 0;
        void begin(const QString &) override
        {
            ++waits;
            since.start();
        }
        bool poll() override { return since.elapsed() > 300; }
        void end() override {}
    } user;
    LocalHttpReply stalled;
    stalled.delayMs = -1;
    serveMonths(stalled);
    const QByteArray before = folder.read(u"Vendra.ldr"_s);
    SetBlockingWaitHost(&user);
    // Only the cancel ends the wait before two minutes: a time-out would ask to try again.
    TDrawsDownloader &d = downloader();
    d.client().setReadTimeout(120000);
    const TDownloadResult result = d.run();
    SetBlockingWaitHost(nullptr);
    EXPECT_EQ(user.waits, 1);
    EXPECT_EQ(boxes.count(), 0); // neither the question to try again nor an error box
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.total, 0);
    EXPECT_EQ(site.paths(), (QList<QByteArray>{kMarchPath}));
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), before);
    EXPECT_EQ(refreshes, 0);
}

TEST_F(DrawsDownload, ARedirectToAnotherServerIsNeverFollowed)
{
    LocalHttpServer other;
    ASSERT_TRUE(other.startTls(certs->serverCert(), certs->serverKey()));
    other.route(kMarchPath, LocalHttpReply::text(kMarch));
    serveMonths(LocalHttpReply::redirect(other.baseUrl().toLatin1() + kMarchPath, 307));
    boxes.answer(IDNO);
    const TDownloadResult result = downloader().run();
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(u"Переход отклонен"_s)) << result.error.toStdString();
    EXPECT_EQ(other.requestCount(), 0);
    EXPECT_EQ(archive.count(), 2);
}

TEST_F(DrawsDownload, NewestDrawWithoutAUsableDateFetchesNothing)
{
    // Without a date the download started in 2001; after one still to come it fetched nothing silently;
    // after a number far ahead of the draw before it every month failed, blamed on the site.
    const std::pair<int, QString> newest[] = {{4100, QString()}, {4100, u"20 Apr 2024"_s}, {4700, u"1 Mar 2024"_s}};
    for (const auto &[number, date] : newest) {
        SCOPED_TRACE(date.toStdString());
        storeArchive({storedDraw(4099, u"26 Feb 2024"_s), storedDraw(number, date)});
        const QByteArray before = folder.read(u"Vendra.ldr"_s);
        site.clearRequests();
        boxes.clear();
        const TDownloadResult result = downloader().run();
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.total, 0);
        EXPECT_EQ(site.requestCount(), 0);
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().caption, u"Ошибка");
        EXPECT_EQ(boxes.last().text, result.error);
        EXPECT_TRUE(result.error.contains(u"тираж № "_s + QString::number(number))) << result.error.toStdString();
        EXPECT_EQ(numbersOf(archive.draws()), (std::vector<int>{4099, number}));
        EXPECT_EQ(folder.read(u"Vendra.ldr"_s), before);
    }
}

TEST_F(DrawsDownload, BadPagesAppendNothingOfTheirMonth)
{
    const QByteArray badDraw = page({item(4104, "2024-03-08", "7,12,19,23,36,44", "2,40"),
                                     item(4102, "2024-03-04", "1,2,3,4,5,5", "7,8")});
    const QByteArray unreadable = QByteArray(kMarch).replace("\"drawNo\":41", "\"drawNo\":\"41");
    const std::pair<LocalHttpReply, QString> cases[] = {
        {LocalHttpReply::text("<html>Технические работы</html>"),
         u"На странице результатов нет списка тиражей (\"drawsPast\")."_s},
        {LocalHttpReply::text(badDraw), u"Тираж 4102 на странице результатов содержит некорректные данные: основные числа."_s},
        {LocalHttpReply::text(unreadable), u"Тираж 0 на странице результатов содержит некорректные данные: номер тиража."_s},
        // A page that lists draws, none of its month.
        {LocalHttpReply::text(kFebruary),
         u"Страница результатов за 2024-march не содержит ни одного тиража этого месяца (тиражей на странице: 2)."_s},
        // Another month's page on the same server, with draws or without.
        {LocalHttpReply::redirect(kFebruaryPath, 307),
         u"Сервер перенаправил запрос страницы результатов за 2024-march по адресу \""_s + site.baseUrl() + QString::fromLatin1(kFebruaryPath) +
             u"\", это страница другого месяца."_s},
        {LocalHttpReply::redirect("/vendra/results/2024-may", 302),
         u"Сервер перенаправил запрос страницы результатов за 2024-march по адресу \""_s + site.baseUrl() +
             u"/vendra/results/2024-may\", это страница другого месяца."_s},
    };
    for (const auto &[reply, message] : cases) {
        serveMonths(reply);
        site.clearRequests();
        boxes.clear();
        boxes.answer(IDNO);
        const TDownloadResult result = downloader().run();
        EXPECT_FALSE(result.ok);
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().text,
                  u"Ошибка загрузки архива тиражей с сайта: \""_s + message + u"\"\r\rПовторить попытку?"_s);
        EXPECT_FALSE(site.paths().contains(kAprilPath)); // April is never reached
        EXPECT_EQ(numbersOf(archive.draws()), (std::vector<int>{4099, 4100}));
        EXPECT_EQ(numbersOf(fileDraws()), (std::vector<int>{4099, 4100}));
    }
    // The next download fetches the month again.
    serveMonths(LocalHttpReply::text(kMarch));
    EXPECT_TRUE(downloader().run().ok);
    EXPECT_EQ(numbersOf(fileDraws()), (std::vector<int>{4099, 4100, 4102, 4104, 4106}));
}

TEST_F(DrawsDownload, AnEmptyMonthBeforeAMonthWithDrawsIsNamed)
{
    // March lists no draw, April does: the download succeeds, and the player is told where to look.
    serveMonths(LocalHttpReply::text(page({})));
    const QString warning = u"не содержат ни одного тиража: 2024-march."_s;
    for (const bool batch : {false, true}) {
        storeArchive({storedDraw(4096, u"22 Feb 2024"_s), storedDraw(4098, u"26 Feb 2024"_s)});
        boxes.clear();
        TDrawsDownloader &d = downloader();
        d.setBatch(batch);
        ::testing::internal::CaptureStderr();
        const TDownloadResult result = d.run();
        const QString err = QString::fromStdString(::testing::internal::GetCapturedStderr());
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(numbersOf(fileDraws()), (std::vector<int>{4096, 4098, 4106}));
        ASSERT_EQ(boxes.count(), batch ? 0 : 1);
        EXPECT_TRUE((batch ? err : boxes.last().text).contains(warning)) << err.toStdString();
    }
    // An empty month with no draws after it (the month just begun) is no hole, nor the month of the
    // newest stored draw.
    site.setHandler([](const LocalHttpRequest &r) {
        return LocalHttpReply::text(r.path == kMarchPath ? kMarch : page({}));
    });
    storeArchive({storedDraw(4099, u"26 Feb 2024"_s), storedDraw(4100, u"1 Mar 2024"_s)});
    boxes.clear();
    EXPECT_TRUE(downloader().run().ok);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(DrawsDownload, UntrustedCertificatesAndSilentServersFailTheMonth)
{
    LocalHttpServer forged;
    ASSERT_TRUE(forged.startTls(certs->selfSignedCert(), certs->selfSignedKey()));
    forged.setHandler([](const LocalHttpRequest &) { return LocalHttpReply::text(kMarch); });
    settings.resultsHost = forged.hostAndPort();
    boxes.answer(IDNO);
    EXPECT_FALSE(downloader().run().ok);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(u"Сертификат сервера не принят"_s)) << boxes.last().text.toStdString();
    EXPECT_EQ(forged.requestCount(), 0);
    EXPECT_EQ(archive.count(), 2);

    // The test authority is not in the system's store either.
    settings.resultsHost = site.hostAndPort();
    settings.caFile.clear();
    boxes.answer(IDNO);
    EXPECT_FALSE(downloader().run().ok);
    EXPECT_EQ(site.requestCount(), 0);

    // A server that never answers fails within the read time-out.
    LocalHttpReply never;
    never.delayMs = -1;
    serveMonths(never);
    settings.caFile = certs->caFile();
    TDrawsDownloader &d = downloader();
    d.client().setReadTimeout(300);
    boxes.answer(IDNO);
    EXPECT_FALSE(d.run().ok);
    EXPECT_TRUE(boxes.last().text.contains(u"Превышено время ожидания ответа сервера (300 мс)"_s));
}

TEST_F(DrawsDownload, DrawsFromTheFutureAreNeverStored)
{
    // Today is 10 April 2024. A draw of 20 April is a wrong page: stored, it would make every later
    // download start in May and pass over the real April draws.
    const QByteArray future = page({item(4108, "2024-04-20", "1,2,3,4,5,6", "7,8"),
                                    item(4106, "2024-04-05", "11,22,33,44,45,1", "5,6")});
    site.setHandler([future](const LocalHttpRequest &r) {
        return LocalHttpReply::text(r.path == kMarchPath ? kMarch : r.path == kAprilPath ? future : page({}));
    });
    boxes.answer(IDNO);
    const TDownloadResult result = downloader().run();
    EXPECT_FALSE(result.ok);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(u"некорректные данные: Дата тиража 4108 (20 Apr 2024) еще не наступила!"_s))
        << boxes.last().text.toStdString();
    // March came in; nothing of April.
    EXPECT_EQ(numbersOf(fileDraws()), (std::vector<int>{4099, 4100, 4102, 4104}));

    // A day ahead is a time zone, not the future.
    const QByteArray tomorrow = page({item(4108, "2024-04-11", "1,2,3,4,5,6", "7,8"),
                                      item(4106, "2024-04-05", "11,22,33,44,45,1", "5,6")});
    site.setHandler([tomorrow](const LocalHttpRequest &r) {
        return LocalHttpReply::text(r.path == kAprilPath ? tomorrow : page({}));
    });
    boxes.clear();
    EXPECT_TRUE(downloader().run().ok);
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(numbersOf(fileDraws()), (std::vector<int>{4099, 4100, 4102, 4104, 4106, 4108}));
}

TEST_F(DrawsDownload, DrawNumbersThatDoNotRiseFailTheMonth)
{
    // A page whose own numbers do not rise is the site's fault: the month fails with the question to try
    // again. A draw listed after the newest stored one but numbered not above it shows the stored number
    // wrong, however near the draw before it: the download stops, naming the stored draw.
    const TDrawsArray fixture = {storedDraw(4099, u"26 Feb 2024"_s), storedDraw(4100, u"1 Mar 2024"_s)};
    const QString kCorrect = u"После него не может быть загружен ни один новый тираж.\r\rИсправьте номер этого тиража "
                             u"и повторите загрузку."_s;
    struct Case {
        TDrawsArray stored;
        QByteArray body;
        QString message;
        bool asked;
    };
    const Case cases[] = {
        // The archive's newest number again, on a later date.
        {fixture, page({item(4100, "2024-03-04", "1,2,3,4,5,6", "7,8")}),
         u"Номер последнего тиража архива (тираж № 4100, дата \"1 Mar 2024\") не может быть верным: на странице "
         u"результатов за 2024-march есть тираж № 4100, проведенный позже (4 Mar 2024), а номера тиражей растут с "
         u"датами. "_s + kCorrect,
         false},
        // A page whose numbers run backwards in time.
        {fixture,
         page({item(4104, "2024-03-08", "7,12,19,23,36,44", "2,40"), item(4105, "2024-03-04", "1,2,3,4,5,6", "7,8")}),
         u"Номер тиража 4104 должен быть больше номера предыдущего тиража архива (4105)!"_s, true},
        // The newest stored draw raised by 10, the last two by 1000, a sole draw far ahead of its time.
        {{storedDraw(4099, u"26 Feb 2024"_s), storedDraw(4110, u"1 Mar 2024"_s)}, kMarch,
         u"(тираж № 4110, дата \"1 Mar 2024\") не может быть верным: на странице результатов за 2024-march есть тираж "
         u"№ 4102, проведенный позже (4 Mar 2024), а номера тиражей растут с датами. "_s + kCorrect,
         false},
        {{storedDraw(4098, u"22 Feb 2024"_s), storedDraw(5099, u"26 Feb 2024"_s), storedDraw(5100, u"1 Mar 2024"_s)},
         kMarch,
         u"тираж № 4102, проведенный позже (4 Mar 2024), а номера тиражей растут с датами. После него не может "
         u"быть загружен ни один новый тираж.\r\rНомера тиражей архива не меньше 4102 начиная с тиража № 5099 (дата "
         u"\"26 Feb 2024\"), тиражей: 2. Исправьте номера этих тиражей и повторите загрузку."_s,
         false},
        {{storedDraw(420000, u"1 Mar 2024"_s)}, kMarch, u"(тираж № 420000, дата \"1 Mar 2024\") не может быть верным"_s,
         false},
        // The newest draw stored a day before the site's date but with other numbers: the same draw, its
        // numbers to be checked, not its number.
        {{storedDraw(4099, u"26 Feb 2024"_s), storedDraw(4100, u"29 Feb 2024"_s)},
         page({item(4100, "2024-03-01", "1,2,3,4,5,6", "7,8")}),
         u"Тираж № 4100 от 29 Feb 2024, значения: 9;8;7;6;5;4 e:3;2 в архиве не совпадает с тиражом с тем же "
         u"номером на странице результатов за 2024-march (Тираж № 4100 от 1 Mar 2024, значения: 1;2;3;4;5;6 "
         u"e:7;8): числа тиражей различаются."_s,
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        storeArchive(c.stored);
        const QByteArray before = folder.read(u"Vendra.ldr"_s);
        serveMonths(LocalHttpReply::text(c.body));
        site.clearRequests();
        boxes.clear();
        boxes.answer(IDNO);
        const TDownloadResult result = downloader().run();
        EXPECT_FALSE(result.ok);
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.contains(c.message)) << boxes.last().text.toStdString();
        EXPECT_EQ(boxes.last().text.contains(u"Повторить попытку?"_s), c.asked);
        EXPECT_EQ(site.paths(), QList<QByteArray>{kMarchPath}); // the month is not asked for again
        EXPECT_EQ(archive.draws(), c.stored);
        EXPECT_EQ(folder.read(u"Vendra.ldr"_s), before);
    }
}

TEST_F(DrawsDownload, AServerThatDribblesCannotHoldTheMonthPastItsDeadline)
{
    // A byte every 40 ms never trips the read time-out; the month's deadline ends the request.
    LocalHttpReply dribble = LocalHttpReply::text(kMarch);
    dribble.trickleMs = 40;
    serveMonths(dribble);
    TDrawsDownloader &d = downloader();
    EXPECT_EQ(d.client().totalTimeout(), 120000); // two minutes for one month
    d.proxyManager().setRoundDeadline(600);
    boxes.answer(IDNO);
    EXPECT_FALSE(d.run().ok);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(u"Превышено общее время выполнения запроса (600 мс)"_s))
        << boxes.last().text.toStdString();
    EXPECT_EQ(numbersOf(fileDraws()), (std::vector<int>{4099, 4100}));
}

TEST_F(DrawsDownload, BatchRunAsksNobodyAndFails)
{
    serveMonths(LocalHttpReply::text("down", 500));
    TDrawsDownloader &d = downloader();
    d.setBatch(true);
    const TDownloadResult result = d.run();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(boxes.count(), 0); // the question went to standard error with the answer No
    EXPECT_EQ(site.paths(), (QList<QByteArray>{kMarchPath}));
}

TEST_F(DrawsDownload, ManualProxyIsUsed)
{
    LocalHttpServer proxyServer;
    proxyServer.setProxyEnabled(true);
    ASSERT_TRUE(proxyServer.start());
    proxy = {pmProxyManual, u"127.0.0.1"_s, proxyServer.port(), {}, {}, true};

    const TDownloadResult result = downloader().run();
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.total, 3);
    const QByteArray tunnel = site.hostAndPort().toLatin1();
    EXPECT_EQ(proxyServer.paths(), (QList<QByteArray>{tunnel, tunnel}));
    EXPECT_EQ(proxyServer.requests().front().method, "CONNECT");
    EXPECT_EQ(site.paths(), (QList<QByteArray>{kMarchPath, kAprilPath}));
    EXPECT_EQ(waitTexts.first(), u"Загрузка архива тиражей...\r\rПопытка 1, proxy 127.0.0.1 : "_s +
                                     QString::number(proxyServer.port()));
}

TEST_F(DrawsDownload, AutomaticModeMovesToTheNextCandidateWithoutAsking)
{
    // Candidates that fail as real proxies do, ahead of a working one: each is tried once, the
    // working one carries both months and is saved, and nobody is asked anything.
    struct Proxy {
        LocalTunnelAnswer answer;
        int status = 0;
    };
    const Proxy closes{LocalTunnelAnswer::Close}, stalls{LocalTunnelAnswer::OpenThenStall},
        holds{LocalTunnelAnswer::OpenThenHoldReply};
    struct Case {
        const char *name;
        QList<Proxy> failing; // proxies ahead of the working one
        QStringList unusable; // entries that name no proxy (a closed port, no port at all)
        bool firstIsSaved;    // the first entry (unusable, else failing) is the saved one of an earlier run
        int timeoutMs;        // the connect and read time-outs (0: the download's own)
        int roundDeadlineMs;  // 0: the download's own
        bool iniUnwritable = false; // "Vendra.ini" cannot be written: told once, not after every month
        bool marchEndsByClose = false; // the site sends March without a length, slowly
    };
    const QString closed1 = u"127.0.0.1:"_s + QString::number(ClosedLocalPort());
    const QString closed2 = u"127.0.0.1:"_s + QString::number(ClosedLocalPort());
    const Case cases[] = {
        {"closed ports and an entry without a port", {}, {closed1, u"127.0.0.1"_s, closed2}, false, 0, 0},
        {"closes before a reply", {closes}, {}, false, 0, 0},
        {"answers 502", {{LocalTunnelAnswer::Status, 502}}, {}, false, 0, 0},
        {"answers 503", {{LocalTunnelAnswer::Status, 503}}, {}, false, 0, 0},
        {"answers 504", {{LocalTunnelAnswer::Status, 504}}, {}, false, 0, 0},
        {"answers 403", {{LocalTunnelAnswer::Status, 403}}, {}, false, 0, 0},
        {"answers 407", {{LocalTunnelAnswer::Status, 407}}, {}, false, 0, 0},
        {"sends junk", {{LocalTunnelAnswer::Junk}}, {}, false, 0, 0},
        {"opens, then closes", {{LocalTunnelAnswer::OpenThenClose}}, {}, false, 0, 0},
        {"the saved proxy answers 502", {{LocalTunnelAnswer::Status, 502}}, {}, true, 0, 0},
        // A saved entry that names no proxy is passed over like a listed one, never used as it is
        // (the request made again and again, or sent direct).
        {"the saved entry names no proxy", {}, {u"bad host:8080"_s}, true, 0, 0},
        {"the saved server has no port", {}, {u"127.0.0.1:0"_s}, true, 0, 0},
        {"opens, then stalls", {stalls}, {}, false, 700, 0},
        // Twelve that hold the reply once the encrypted connection stands: each is given up at the
        // read time-out (here 700 ms), and the thirteenth carries the page.
        {"twelve that open the tunnel and hold the reply", QList<Proxy>(12, holds), {}, false, 700, 0},
        // Each holding route gets its share of the round (2 s of 6 s), not the whole read time-out:
        // with 10 s each, the first would use the round up.
        {"two that hold the reply within a short round", {holds, holds}, {}, false, 0, 6000},
        {"the settings file cannot be written", {{LocalTunnelAnswer::Status, 502}}, {}, false, 0, 0, true},
        // A page whose end only the closing connection tells, cut short on the way: the cut page is
        // no answer of the site's.
        {"cuts a reply that ends by the close", {{LocalTunnelAnswer::OpenThenCutReply}}, {}, false, 0, 0, false, true},
    };
    LocalHttpServer working;
    working.setProxyEnabled(true);
    ASSERT_TRUE(working.start());
    for (const Case &c : cases) {
        std::vector<std::unique_ptr<LocalHttpServer>> failing;
        QStringList list = c.unusable;
        for (const Proxy &p : c.failing) {
            failing.push_back(std::make_unique<LocalHttpServer>());
            failing.back()->setProxyEnabled(true);
            failing.back()->setTunnelAnswer(p.answer, p.status);
            ASSERT_TRUE(failing.back()->start());
            list.append(failing.back()->hostAndPort());
        }
        LocalHttpReply march = LocalHttpReply::text(kMarch);
        march.closeDelimited = c.marchEndsByClose;
        march.trickleMs = c.marchEndsByClose ? 5 : 0;
        serveMonths(march);
        proxy = {pmProxyAuto, {}, 0, {}, {}, true};
        if (c.firstIsSaved) {
            const qsizetype colon = list.first().lastIndexOf(u':');
            proxy = {pmProxyAuto, list.first().left(colon), list.first().mid(colon + 1).toInt(), {}, {}, true};
            SaveProxySettings(proxy, false, iniFile());
            list.removeFirst();
        }
        candidates.list = list + QStringList{working.hostAndPort()};
        candidates.searches = 0;
        boxes.clear();
        waitTexts.clear();
        working.clearRequests();

        TDrawsDownloader &d = downloader();
        if (c.timeoutMs > 0) {
            d.client().setConnectTimeout(c.timeoutMs);
            d.client().setReadTimeout(c.timeoutMs);
        }
        if (c.roundDeadlineMs > 0)
            d.proxyManager().setRoundDeadline(c.roundDeadlineMs);
        storeArchive({storedDraw(4099, u"26 Feb 2024"_s), storedDraw(4100, u"1 Mar 2024"_s)});
        if (c.iniUnwritable) {
            QFile::remove(iniFile());
            ASSERT_TRUE(QDir(folder.path()).mkdir(u"Vendra.ini"_s));
        }
        const TDownloadResult result = d.run();

        EXPECT_TRUE(result.ok) << c.name << ": " << result.error.toStdString();
        EXPECT_EQ(result.total, 3) << c.name;
        EXPECT_EQ(boxes.count(), c.iniUnwritable ? 1 : 0) << c.name;
        EXPECT_EQ(candidates.searches, 1) << c.name;
        const int failed = static_cast<int>(c.unusable.size() + c.failing.size());
        EXPECT_EQ(d.attempt(), failed + 1) << c.name; // every failed route one attempt, the next one worked
        EXPECT_TRUE(waitTexts.contains(u"Загрузка архива тиражей...\r\rПопытка "_s + QString::number(failed + 1) +
                                       u", proxy 127.0.0.1 : "_s + QString::number(working.port())))
            << c.name;
        for (const auto &bad : failing)
            EXPECT_EQ(bad->requestCount(), 1) << c.name; // tried once, never again
        EXPECT_EQ(working.requestCount(), 2) << c.name;  // March and April
        if (c.iniUnwritable) {
            EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка записи в файл конфигурации!"_s)) << c.name;
            ASSERT_TRUE(QDir(iniFile()).removeRecursively());
            continue;
        }
        // The candidate that worked is kept for the next run, in place of the saved one.
        const IniFile ini(iniFile());
        EXPECT_EQ(ini.readInteger(u"PROXY"_s, u"ProxyMode"_s, -1), 1);
        EXPECT_EQ(ini.readString(u"PROXY"_s, u"ProxyServer"_s), u"127.0.0.1");
        EXPECT_EQ(ini.readInteger(u"PROXY"_s, u"ProxyPort"_s, -1), working.port()) << c.name;
        EXPECT_TRUE(proxy.saved);
        EXPECT_EQ(d.proxyManager().candidates(), nullptr); // freed at the end
    }
}

TEST_F(DrawsDownload, AutomaticModeWithoutCandidatesAsks)
{
    proxy = {pmProxyAuto, {}, 0, {}, {}, true};
    boxes.answer(IDNO);
    EXPECT_FALSE(downloader().run().ok);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Ошибка загрузки архива тиражей с сайта: \"Не найдено ни одного proxy-сервера с "
                                 u"заданными параметрами\"\r\rПовторить попытку?");
    EXPECT_EQ(site.requestCount(), 0);

    // "Да" after every candidate failed searches again: each answer tries each candidate once more.
    LocalHttpServer badGateway;
    badGateway.setProxyEnabled(true);
    badGateway.setTunnelAnswer(LocalTunnelAnswer::Status, 502);
    ASSERT_TRUE(badGateway.start());
    candidates.list = {badGateway.hostAndPort()};
    boxes.clear();
    boxes.answer(IDYES);
    boxes.answer(IDNO);
    EXPECT_FALSE(downloader().run().ok);
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.contains(u"Ответ proxy-сервера: ошибка 502."_s)) << boxes.last().text.toStdString();
    EXPECT_EQ(badGateway.requestCount(), 2);
    EXPECT_EQ(candidates.searches, 3);
    EXPECT_EQ(proxy, (TProxy{pmProxyAuto, {}, 0, {}, {}, false})); // nothing saved, nothing in use
}

TEST(DownloadSettings, HostAndAuthorityFromTheIni)
{
    TempDataFolder folder;
    EXPECT_EQ(LoadDownloadSettings(folder.file(u"Vendra.ini"_s)).resultsHost, u"results.vendra.example");
    folder.write(u"Vendra.ini"_s, "[DOWNLOAD]\r\nResultsHost=127.0.0.1:8443\r\nCaFile=/tmp/ca.pem\r\n");
    const TDownloadSettings s = LoadDownloadSettings(folder.file(u"Vendra.ini"_s));
    EXPECT_EQ(s.resultsHost, u"127.0.0.1:8443");
    EXPECT_EQ(s.caFile, u"/tmp/ca.pem");
    EXPECT_EQ(ResultsPageUrl(s.resultsHost, 202403), u"https://127.0.0.1:8443/vendra/results/2024-march");
    EXPECT_EQ(ResultsPageUrl(u"[::1]:8443"_s, 202412), u"https://[::1]:8443/vendra/results/2024-december");
    for (const QString &bad : {u"evil.example/x?"_s, u"user@host"_s, u"host:0"_s, u"host:99999"_s, u""_s})
        EXPECT_THROW(ResultsPageUrl(bad, 202403), Exception) << bad.toStdString();
}

TEST_F(DrawsDownload, AutomaticModeKeepsASavedProxyThatAnsweredWhenTheSiteFails)
{
    // The saved proxy works, the site behind it does not (or is slow): whatever other route is tried
    // fails the same, so the saved one stays in the settings and the question tells what it answered.
    LocalHttpServer proxyServer, other;
    proxyServer.setProxyEnabled(true);
    other.setProxyEnabled(true);
    ASSERT_TRUE(proxyServer.start());
    ASSERT_TRUE(other.start());
    const QString downHost = u"127.0.0.1:"_s + QString::number(ClosedLocalPort());
    const QString othersToo = u"\rЧерез другие proxy-серверы страницу загрузить также не удалось (проверено: 1)."_s;
    const QString closedUnanswered =
        u"\": он закрыл соединение, не ответив на запрос, или ответил не по протоколу HTTP."_s;
    struct Case {
        QString host;         // the results site
        LocalHttpReply march; // its March page
        int unreachable;      // the proxies' answer when the site is down (0: they close)
        QString told;         // what the retry question says (empty: the page came, nobody is asked)
        int searches;         // the site's own answer is the same through any route: no search
        int roundDeadlineMs = 0; // 0: the download's own
    };
    // A site slow to begin its reply, within the read time-out: the saved proxy waits for it as long
    // as in the other modes, not a share of a short round that would hand its place to another.
    LocalHttpReply slowMarch = LocalHttpReply::text(kMarch);
    slowMarch.delayMs = 1500;
    const Case cases[] = {
        {site.hostAndPort(), LocalHttpReply::text("down", 500), 502, k500, 0},
        {site.hostAndPort(), LocalHttpReply::text(kMarch.left(kMarch.size() / 2)), 502, u"drawsPast"_s, 0},
        {downHost, LocalHttpReply::text(kMarch), 502,
         u"не смог соединиться с сервером \""_s + downHost + u"\".\rОтвет proxy-сервера: ошибка 502."_s + othersToo, 1},
        {downHost, LocalHttpReply::text(kMarch), 0,
         u"не открыл соединение с сервером \""_s + downHost + closedUnanswered + othersToo, 1},
        {site.hostAndPort(), slowMarch, 502, QString(), 0, 6000},
    };
    for (const Case &c : cases) {
        serveMonths(c.march);
        settings.resultsHost = c.host;
        proxyServer.setUnreachableStatus(c.unreachable);
        other.setUnreachableStatus(c.unreachable);
        proxy = {pmProxyAuto, u"127.0.0.1"_s, proxyServer.port(), {}, {}, true};
        SaveProxySettings(proxy, false, iniFile());
        // The search finds the saved one again (not tried twice) and another.
        candidates.list = {proxyServer.hostAndPort(), other.hostAndPort()};
        candidates.searches = 0;
        proxyServer.clearRequests();
        boxes.clear();
        const bool asks = !c.told.isEmpty();
        if (asks)
            boxes.answer(IDNO);
        TDrawsDownloader &d = downloader();
        if (c.roundDeadlineMs > 0)
            d.proxyManager().setRoundDeadline(c.roundDeadlineMs);
        EXPECT_EQ(d.run().ok, !asks) << c.told.toStdString();
        ASSERT_EQ(boxes.count(), asks ? 1 : 0) << c.told.toStdString();
        if (asks) {
            EXPECT_TRUE(boxes.last().text.contains(c.told)) << boxes.last().text.toStdString();
            EXPECT_FALSE(boxes.last().text.contains(u"Получено 0 байт"_s)) << boxes.last().text.toStdString();
        }
        EXPECT_EQ(candidates.searches, c.searches) << c.told.toStdString();
        EXPECT_EQ(proxyServer.requestCount(), asks ? 1 : 2) << c.told.toStdString(); // March (and April)
        const IniFile ini(iniFile());
        EXPECT_EQ(ini.readString(u"PROXY"_s, u"ProxyServer"_s), u"127.0.0.1") << c.told.toStdString();
        EXPECT_EQ(ini.readInteger(u"PROXY"_s, u"ProxyPort"_s, -1), proxyServer.port());
        // In use again for the next download, as the file says.
        EXPECT_EQ(proxy, (TProxy{pmProxyAuto, u"127.0.0.1"_s, proxyServer.port(), {}, {}, true}));
    }
}
