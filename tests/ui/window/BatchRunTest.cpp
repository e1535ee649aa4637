#include "lottery/DrawDates.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TempDataFolder.h"
#include "app/draws/DrawsArchive.h"
#include "app/draws/ResultsSiteDates.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// The program run as a batch tool: "loadonly" brings the archive up to date from the results site
// and exits, with a status that tells whether it succeeded.

namespace {

QByteArray pageItem(int number, QDate date, const char *main, const char *extra)
{
    auto numbers = [](const char *list) {
        QByteArray out;
        for (const QByteArray &n : QByteArray(list).split(','))
            out += "{\"number\":" + n + ",\"drawn\":1},";
        out.chop(1);
        return out;
    };
    return "{\"drawNo\":" + QByteArray::number(number) + ",\"drawDate\":\"" +
           date.toString(u"yyyy-MM-dd"_s).toLatin1() + "T00:00:00\",\"numberSets\":[{\"name\":\"Main numbers\","
           "\"numbers\":[" + numbers(main) + "]},{\"name\":\"Supplementary\",\"numbers\":[" + numbers(extra) +
           "]}],\"divisions\":[]}";
}

QByteArray monthPath(QDate month)
{
    return "/vendra/results/" + ResultsArchiveMonthKey(month.year() * 100 + month.month()).toLatin1();
}

struct BatchRun {
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::NormalExit;
    bool finished = false;
    QByteArray errors;
};

// fileSizeLimit > 0 lets the program write no file larger than that many bytes (a write past it fails
// as on a full disk); user > 0 runs it as that user, to whom the program's own folder is not writable.
BatchRun runProgram(const TempDataFolder &folder, const QStringList &arguments, rlim_t fileSizeLimit = 0,
                    uid_t user = 0)
{
    QProcess process;
    if (fileSizeLimit > 0 || user > 0)
        process.setChildProcessModifier([fileSizeLimit, user] {
            const rlim_t size = fileSizeLimit > 0 ? fileSizeLimit : RLIM_INFINITY;
            const rlimit limit{size, size};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::signal(SIGXFSZ, SIG_IGN);
            if (user > 0 && (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0))
                ::_exit(99);
        });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"VENDRA_HOME"_s, folder.path());
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    env.remove(u"QT_QPA_PLATFORM"_s);
    // Another user gets a home, runtime and temporary folder of his own: the test's are closed to him.
    QTemporaryDir otherHome;
    if (user > 0) {
        const QByteArray home = QFile::encodeName(otherHome.path());
        const QByteArray runtime = home + "/runtime";
        if (::mkdir(runtime.constData(), S_IRWXU) != 0 || ::chown(home.constData(), user, user) != 0 ||
            ::chown(runtime.constData(), user, user) != 0)
            return {};
        for (const QString &name : {u"XDG_CONFIG_HOME"_s, u"XDG_DATA_HOME"_s, u"XDG_STATE_HOME"_s, u"XDG_CACHE_HOME"_s})
            env.remove(name);
        env.insert(u"HOME"_s, otherHome.path());
        env.insert(u"TMPDIR"_s, otherHome.path());
        env.insert(u"XDG_RUNTIME_DIR"_s, otherHome.filePath(u"runtime"_s));
    }
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VENDRA_EXE), arguments);
    BatchRun run;
    run.finished = process.waitForFinished(90000);
    if (!run.finished)
        process.kill();
    run.exitCode = process.exitCode();
    run.exitStatus = process.exitStatus();
    run.errors = process.readAllStandardError();
    return run;
}

TDrawRec storedDraw(int number, QDate date)
{
    TDrawRec d;
    d.number = number;
    d.main = {9, 8, 7, 6, 5, 4};
    d.extra = {3, 2};
    d.setDateText(FormatResultsDate(QDateToDateTime(date)));
    return d;
}

} // namespace

TEST(BatchRun, LoadOnlyBringsTheArchiveUpToDate)
{
    const TestCertificates *certs = TestCertificates::instance();
    ASSERT_NE(certs, nullptr);
    const QDate today = QDate::currentDate();
    const QDate previous = today.addMonths(-1);
    const QDate stored(previous.year(), previous.month(), 1);

    LocalHttpServer server;
    server.route(monthPath(previous),
                 LocalHttpReply::text("{\"drawsPast\":[" + pageItem(101, stored.addDays(5), "1,2,3,4,5,6", "7,8") + "," +
                                      pageItem(100, stored, "9,8,7,6,5,4", "3,2") + "]}},"));
    server.route(monthPath(today),
                 LocalHttpReply::text("{\"drawsPast\":[" +
                                      pageItem(102, QDate(today.year(), today.month(), 1), "11,12,13,14,15,16", "1,2") +
                                      "]}},"));
    ASSERT_TRUE(server.startTls(certs->serverCert(), certs->serverKey()));

    TempDataFolder folder;
    folder.write(u"Vendra.ldr"_s, SerializeDraws({storedDraw(100, stored)}));
    // The catalogue is served by the same server: a batch run never loads it.
    folder.write(u"Vendra.ini"_s, "[DOWNLOAD]\r\nResultsHost=" + server.hostAndPort().toLatin1() + "\r\nCaFile=" +
                                      certs->caFile().toLocal8Bit() + "\r\n[CATALOGUE]\r\nHost=" +
                                      server.hostAndPort().toLatin1() + "\r\nCaFile=" +
                                      certs->caFile().toLocal8Bit() + "\r\n");
    const BatchRun run = runProgram(folder, {u"--LoadOnly"_s});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.errors.constData();
    const TDrawsArray draws = ParseDrawsFile(folder.read(u"Vendra.ldr"_s));
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[1].number, 101);
    EXPECT_EQ(draws[2].number, 102);
    EXPECT_EQ(draws[2].main, (std::array<uint8_t, 6>{11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(server.paths(), (QList<QByteArray>{monthPath(previous), monthPath(today)}));
}

TEST(BatchRun, LoadOnlyWithTheServerDownFailsAndKeepsTheArchive)
{
    TempDataFolder folder;
    const QByteArray archive = SerializeDraws({storedDraw(100, QDate::currentDate().addDays(-3))});
    folder.write(u"Vendra.ldr"_s, archive);
    folder.write(u"Vendra.ini"_s, "[DOWNLOAD]\r\nResultsHost=127.0.0.1:" + QByteArray::number(ClosedLocalPort()) + "\r\n");
    const BatchRun run = runProgram(folder, {u"loadonly"_s});
    ASSERT_TRUE(run.finished);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(run.errors.isEmpty()); // the reason goes to standard error
    // The retry question is answered on the next line: nobody is there to agree.
    EXPECT_TRUE(run.errors.contains(QString(u"Повторить попытку?\nПовторная попытка отклонена"_s).toUtf8()))
        << run.errors.constData();
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), archive);
}

namespace {

// A data folder whose archive is up to date, and a results site with nothing new: a batch run that
// succeeds unless something else stands in its way.
struct UpToDate {
    UpToDate()
    {
        const QDate today = QDate::currentDate();
        for (const QDate month : {today, today.addMonths(1)})
            server.route(monthPath(month), LocalHttpReply::text("{\"drawsPast\":[]}},"));
        ok = TestCertificates::instance() && server.startTls(TestCertificates::instance()->serverCert(),
                                                             TestCertificates::instance()->serverKey());
        folder.write(u"Vendra.ldr"_s, SerializeDraws({storedDraw(100, today)}));
        folder.write(u"Vendra.ini"_s, "[DOWNLOAD]\r\nResultsHost=" + server.hostAndPort().toLatin1() + "\r\nCaFile=" +
                                          TestCertificates::instance()->caFile().toLocal8Bit() + "\r\n");
    }
    LocalHttpServer server;
    TempDataFolder folder;
    bool ok = false;
};

} // namespace

TEST(BatchRun, ADataFileThatCannotBeReadFailsTheRun)
{
    {
        UpToDate site;
        ASSERT_TRUE(site.ok);
        const BatchRun run = runProgram(site.folder, {u"loadonly"_s});
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0) << run.errors.constData();
    }
    // A ratings file that is a FIFO: reported, never waited for, and the run fails.
    {
        UpToDate site;
        ASSERT_TRUE(site.ok);
        ASSERT_EQ(::mkfifo(QFile::encodeName(site.folder.file(u"Vendra.lrt"_s)).constData(), 0600), 0);
        const BatchRun run = runProgram(site.folder, {u"loadonly"_s});
        ASSERT_TRUE(run.finished);
        EXPECT_NE(run.exitCode, 0);
        // Named once, with its path, where it is read.
        EXPECT_TRUE(run.errors.contains(
            QByteArray(QByteArray("Ошибка чтения файла рейтинга!\n\nОшибка чтения файла \"") +
                       site.folder.file(u"Vendra.lrt"_s).toUtf8())))
            << run.errors.constData();
        EXPECT_EQ(run.errors.count("именованный канал"), 1) << run.errors.constData();
    }
    // A settings store linked to an endless device: reported, and the run fails instead of crashing.
    {
        UpToDate site;
        ASSERT_TRUE(site.ok);
        ASSERT_TRUE(QFile::link(u"/dev/zero"_s, site.folder.file(u"Vendra.frm"_s)));
        const BatchRun run = runProgram(site.folder, {u"loadonly"_s});
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitStatus, QProcess::NormalExit);
        EXPECT_NE(run.exitCode, 0);
        // Its read failure named once: the options it then cannot keep are not told again.
        EXPECT_EQ(run.errors.count(site.folder.file(u"Vendra.frm"_s).toUtf8()), 1) << run.errors.constData();
        EXPECT_EQ(ParseDrawsFile(site.folder.read(u"Vendra.ldr"_s)).size(), 1u);
    }
}

TEST(BatchRun, AFileThatCannotBeWrittenFailsTheRun)
{
    // Nothing new to download, but the settings store written at the end does not fit: the run says so
    // and fails.
    UpToDate site;
    ASSERT_TRUE(site.ok);
    const BatchRun run = runProgram(site.folder, {u"loadonly"_s}, 64);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitStatus, QProcess::NormalExit);
    EXPECT_NE(run.exitCode, 0) << run.errors.constData();
    EXPECT_EQ(run.errors.count(site.folder.file(u"Vendra.frm"_s).toUtf8()), 1) << run.errors.constData();
}

TEST(BatchRun, TheUpdateCheckOfAnInstalledProgramNeverFailsTheRun)
{
    // The program's folder belongs to root; the user runs it with a data folder of his own.
    const TestCertificates *certs = TestCertificates::instance();
    if (::geteuid() != 0 || !certs)
        GTEST_SKIP() << "running the program as another user needs root";
    LocalHttpServer server;
    server.route("/Kenvo_AU.cfg", LocalHttpReply::text("[Other]\r\nVerId=9.9.9.99\r\n"));
    ASSERT_TRUE(server.startTls(certs->serverCert(), certs->serverKey()));
    TempDataFolder folder;
    ::chmod(QFile::encodeName(folder.path()).constData(), 0777);
    QFile::copy(certs->caFile(), folder.file(u"ca.pem"_s));
    folder.write(u"Vendra.ini"_s, "[UPDATE]\r\nUrl=" + server.baseUrl().toLatin1() + "/Kenvo_AU.cfg\r\nCaFile=" +
                                      folder.file(u"ca.pem"_s).toLocal8Bit() + "\r\n");
    // The index checked from the data folder, then a check that fails and says why: both runs succeed.
    for (const bool served : {true, false}) {
        const BatchRun run = runProgram(folder, {u"fullrefresh"_s}, 0, 65534);
        EXPECT_EQ(run.exitCode, 0) << run.errors.constData();
        EXPECT_EQ(server.requestCount(), 1);
        EXPECT_NE(run.errors.contains("Ошибка поиска обновлений!"), served) << run.errors.constData();
        server.stop();
    }
}
