#include "online/SelfUpdate.h"
#include "common/BlockingWait.h"
#include "common/Crc32.h"
#include "common/Exception.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/OtherKindFiles.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kIndexPath = "/files/autoupdates/Kenvo_AU.cfg";

// Records what the update shows and answers its question.
class FakeUpdateUi : public ISelfUpdateUi {
public:
    FakeUpdateUi() { SetSelfUpdateUi(this); }
    ~FakeUpdateUi() override { SetSelfUpdateUi(nullptr); }
    void showProgress(const QString &text, int steps) override { progress << text + u'/' + QString::number(steps); }
    void stepProgress() override { ++stepCount; }
    void closeProgress() override {}
    bool confirmUpdate(const QString &current, const TrSU_VerData &data, const QStringList &lines) override
    {
        ++asked;
        shownCurrent = current;
        shownData = data;
        shownLines = lines;
        return accept;
    }

    bool accept = true;
    int asked = 0;
    int stepCount = 0;
    QStringList progress;
    QString shownCurrent;
    TrSU_VerData shownData;
    QStringList shownLines;
};

class SelfUpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        certs = TestCertificates::instance();
        if (!certs)
            GTEST_SKIP() << "no openssl command for the test certificates";
        ASSERT_TRUE(server.startTls(certs->serverCert(), certs->serverKey()));
        settings.programFolder = folder.path() + u'/';
        settings.programFile = u"Vendra"_s;
        settings.currentVersion = u"1.0.0.5"_s;
        settings.caFile = certs->caFile();
        settings.programTimeoutSeconds = 20;
        folder.write(u"Vendra.dat"_s, "old program data");
        folder.write(u"Vendra.ldr"_s, "draws of the user");
    }

    QString indexUrl() const { return server.baseUrl() + QString::fromLatin1(kIndexPath); }
    void serveIndex(const QByteArray &text) { server.route(kIndexPath, LocalHttpReply::text(text)); }
    // An index offering build 6 with a package at /pkg/setup.upd.
    QByteArray offer(const QByteArray &extra, const QByteArray &crc) const
    {
        return "[Vendra]\r\nVerId=1.0.0.6\r\nDescription=Vendra 1.0.0.6\r\nDownloadUrl=" + server.baseUrl().toLatin1() +
               "/pkg/setup.upd\r\nOriginalFileName=setup.sh\r\nChecksumCRC32=" + crc + "\r\n" + extra;
    }
    void servePackage(const QByteArray &script) { server.route("/pkg/setup.upd", LocalHttpReply::text(script)); }
    static QByteArray crcOf(const QByteArray &bytes)
    {
        return QByteArray::number(Crc32Of(bytes.constData(), static_cast<size_t>(bytes.size())), 16);
    }
    int packageRequests() const { return static_cast<int>(server.paths().count("/pkg/setup.upd")); }
    int run(bool silent = false, int langId = 0) { return SelfUpdate(indexUrl(), silent, langId, settings); }
    bool untouched() const
    {
        return folder.read(u"Vendra.dat"_s) == "old program data" &&
               folder.read(u"Vendra.ldr"_s) == "draws of the user";
    }

    const TestCertificates *certs = nullptr;
    LocalHttpServer server;
    TempDataFolder folder;
    TSelfUpdateSettings settings;
    ScriptedMessages messages;
    FakeUpdateUi ui;
};

} // namespace

TEST(SelfUpdateVersions, OnlyTheFourthNumberCounts)
{
    EXPECT_EQ(VersionBuild(u"1.2.3.40"), 40);
    EXPECT_EQ(VersionBuild(u"2,0-0_39"), 39);
    EXPECT_EQ(VersionBuild(u"1.2.3. 7 .9"), 7);
    EXPECT_EQ(VersionBuild(u"1.2.3"), 0);
    EXPECT_EQ(VersionBuild(u"1.2.3.x"), 0);
    EXPECT_LT(VersionBuild(u"2.0.0.39"), VersionBuild(u"1.2.3.40")); // a higher version with a lower build
    EXPECT_EQ(VersionBuild(GetProgramVersion()), 0);
    EXPECT_EQ(GetProgramVersion().count(u'.'), 3);

    EXPECT_EQ(UpdateSourceKind(u"HTTPS://host/x"), 0);
    EXPECT_EQ(UpdateSourceKind(u"Http://host/x"), 0);
    EXPECT_EQ(UpdateSourceKind(u"/srv/updates/Kenvo_AU.cfg"), 1);
}

TEST(SelfUpdateVersions, UserFilesAreNeverTheUpdatesToReplace)
{
    for (const char16_t *name : {u"Vendra.ldr", u"vendra.LSK", u"Vendra.ini", u"Vendra.frm", u"Vendra.lss", u"my.lcv",
                                 u"a.lsc", u"Vendra-3.log", u"Systems/6-45.dat", u"Prefetchs/x.dfc"})
        EXPECT_TRUE(IsUserDataFile(QString::fromUtf16(name))) << QString::fromUtf16(name).toStdString();
    for (const char16_t *name : {u"Vendra", u"Vendra.chm", u"lib/libx.so", u"Vendra_ENU.lng"})
        EXPECT_FALSE(IsUserDataFile(QString::fromUtf16(name))) << QString::fromUtf16(name).toStdString();
}

TEST_F(SelfUpdateTest, NoUpdateWhenTheIndexOffersNoNewerBuildWithAPackage)
{
    // The search rolls back an install killed half-way, by the names its record gives, and touches
    // nothing else the folder holds: the user's files of any name (those of a backup's shape beside a
    // program file too), a link, a FIFO.
    const QStringList users = {u"notes.txt.~1~"_s,
                               u".~lock.report.odt#"_s,
                               u"data.~old"_s,
                               u"Vendra.~ldr"_s,
                               u"x.~upd.short.~tmp"_s,
                               u"Vendra.~dat"_s,
                               u"notes.~txt"_s,
                               u"report.~doc"_s,
                               u"report.~~doc"_s,
                               u"libfoo.~so"_s,
                               u"photo.~jpg"_s,
                               u"thesis.~tex"_s,
                               u"thesis.tex.~upd"_s,
                               u"Vendra.~"_s,
                               u"Vendra.~upd"_s,
                               u"lib/notes.~txt"_s,
                               u"Vendra_ENU.lng.~upd.a1B2c3.~tmp"_s};
    folder.write(u"Vendra"_s, "program");
    folder.write(u"Vendra_ENU.lng"_s, "language");
    for (const char16_t *name :
         {u"notes.txt", u"report.doc", u"data.old", u"libfoo.so", u"photo.jpg", u"thesis.tex", u"lib/notes.txt"})
        folder.write(QString::fromUtf16(name), "the user's");
    for (const QString &name : users)
        folder.write(name, "x");
    QFile::remove(folder.file(u"Vendra.~dat"_s));
    ASSERT_TRUE(QFile::link(folder.file(u"Vendra.dat"_s), folder.file(u"Vendra.~dat"_s)));
    ASSERT_TRUE(MakeOtherKindFile(folder.file(u"pipe.~p"_s), TOtherFileKind::Fifo));
    // Killed while it replaced "Vendra" (the old one aside, the new one staged), after it replaced the
    // language module, and while it staged "lib/notes.txt".
    const std::vector<TInstallStep> steps =
        PlanInstallSteps(folder.path(), {u"Vendra"_s, u"Vendra_ENU.lng"_s, u"lib/notes.txt"_s});
    RecordInstallSteps(folder.path(), steps);
    ASSERT_TRUE(QFile::rename(folder.file(steps[0].target), folder.file(steps[0].backup)));
    folder.write(steps[0].staged, "new program");
    ASSERT_TRUE(QFile::rename(folder.file(steps[1].target), folder.file(steps[1].backup)));
    folder.write(steps[1].target, "new language");
    folder.write(steps[2].staged + u".Zq81xW.~tmp"_s, "new no");
    serveIndex("[Other.exe]\r\nVerId=9.9.9.99\r\nDownloadUrl=https://x/y\r\n");
    EXPECT_EQ(run(), suNothing);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Обновлений не найдено!");
    EXPECT_EQ(ui.asked, 0);
    EXPECT_FALSE(folder.exists(u"SelfUpdates.inf"_s));
    EXPECT_EQ(folder.read(u"Vendra"_s), "program");
    EXPECT_EQ(folder.read(u"Vendra_ENU.lng"_s), "language");
    for (const TInstallStep &step : steps)
        for (const QString &name : {step.staged, step.backup, QString(step.staged + u".Zq81xW.~tmp"_s)})
            EXPECT_FALSE(folder.exists(name)) << name.toStdString();
    EXPECT_FALSE(folder.exists(u"SelfUpdate.lst"_s));
    for (const QString &name : users + QStringList{u"pipe.~p"_s, u"Vendra.ldr"_s, u"lib/notes.txt"_s})
        EXPECT_TRUE(QFileInfo(folder.file(name)).exists()) << name.toStdString();
    EXPECT_TRUE(untouched());
    EXPECT_EQ(ui.progress, QStringList{u"Поиск доступных обновлений.../5"_s});
    EXPECT_EQ(ui.stepCount, 5);

    // A damaged record (junk, a line of no install's, names no install gives its files, the user's data
    // as an install's file) is no record: nothing it names is touched.
    for (const QByteArray &record :
         {QByteArray(QByteArray("\x01\xff\xfe junk") + '\0' + "\nnotes.txt\nleft\tnotes.~txt\n"),
          QByteArray("left\tnotes.~txt\nleft\t../notes.~txt\n"),
          QByteArray("step\tnotes.txt\tnotes.txt.~upd\treport.doc\nleft\tnotes.~txt\n"),
          QByteArray("step\tVendra.ldr\tVendra.ldr.~upd\tVendra.~ldr\n"), QByteArray("left\tVendra.~ldr\n")}) {
        folder.write(u"SelfUpdate.lst"_s, record);
        EXPECT_EQ(run(true), suNothing);
        EXPECT_TRUE(folder.exists(u"notes.~txt"_s));
        EXPECT_TRUE(folder.exists(u"Vendra.~ldr"_s));
        EXPECT_EQ(folder.read(u"notes.txt"_s), "the user's");
        EXPECT_EQ(folder.read(u"report.doc"_s), "the user's");
        EXPECT_TRUE(untouched());
        EXPECT_EQ(folder.read(u"SelfUpdate.lst"_s), record);
    }
    QFile::remove(folder.file(u"SelfUpdate.lst"_s));

    messages.clear();
    serveIndex("[Vendra]\r\nVerId=1.0.0.6\r\nDownloadUrl=\r\n");
    EXPECT_EQ(run(true), suNothing);
    EXPECT_EQ(messages.count(), 0);
    serveIndex("[Vendra]\r\nVerId=2.0.0.4\r\nDownloadUrl=https://x/y\r\n");
    EXPECT_EQ(run(true), suNothing);
    EXPECT_EQ(ui.asked, 0);
}

TEST_F(SelfUpdateTest, SearchFailuresAreReportedUnlessSilent)
{
    EXPECT_EQ(run(true), suFailed); // no index served: 404
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(run(false), suFailed);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка поиска обновлений!\r\r"))
        << messages.last().text.toStdString();

    // An index over plain HTTP is not taken.
    messages.clear();
    EXPECT_EQ(SelfUpdate(u"http://127.0.0.1:1/Kenvo_AU.cfg"_s, false, 0, settings), suFailed);
    EXPECT_TRUE(messages.last().text.contains(u"https"_s));

    // An index that drips a byte now and then ends with the search's deadline; nothing is left behind.
    LocalHttpReply dripping = LocalHttpReply::text(offer({}, "00000000"));
    dripping.trickleMs = 50;
    server.route(kIndexPath, dripping);
    settings.searchTimeoutMs = 1500;
    EXPECT_EQ(run(false), suFailed);
    EXPECT_EQ(run(true), suFailed);
    EXPECT_TRUE(QDir(folder.path()).entryList({u"SelfUpdates.inf*"_s}, QDir::Files).isEmpty());
    EXPECT_EQ(messages.last().text, u"Ошибка поиска обновлений!\r\rПревышено общее время выполнения запроса (1500 мс)");
}

TEST_F(SelfUpdateTest, DescriptionInTheUsersLanguageFallsBackToThePlainName)
{
    serveIndex(offer({}, "00000000"));
    server.route("/files/autoupdates/UpdDescr/UpdDescr_1.0.0.6.txt",
                 LocalHttpReply::text(u"Исправления.\r\nНовые методы.\r\n"_s.toUtf8()));
    ui.accept = false;
    EXPECT_EQ(run(false, 1049), suNothing);
    const QList<QByteArray> paths = server.paths();
    ASSERT_EQ(paths.size(), 4);
    EXPECT_EQ(paths[1], "/files/autoupdates/UpdDescr/UpdDescr_RUS_1.0.0.6.txt");
    EXPECT_EQ(paths[2], "/files/autoupdates/UpdDescr/UpdDescr_1049_1.0.0.6.txt");
    EXPECT_EQ(paths[3], "/files/autoupdates/UpdDescr/UpdDescr_1.0.0.6.txt");
    EXPECT_EQ(ui.shownLines, (QStringList{u"Исправления."_s, u"Новые методы."_s}));
    EXPECT_EQ(ui.shownCurrent, u"1.0.0.5");
    EXPECT_EQ(ui.shownData.description, u"Vendra 1.0.0.6");
    EXPECT_EQ(messages.count(), 0); // declining is no error
    EXPECT_FALSE(folder.exists(u"UpdDescr_1.0.0.6.txt"_s));
    EXPECT_EQ(packageRequests(), 0);

    server.clearRequests();
    server.route("/files/autoupdates/UpdDescr/UpdDescr_1.0.0.6.txt", LocalHttpReply::text("", 404));
    EXPECT_EQ(run(false, 0), suNothing);
    ASSERT_EQ(server.paths().size(), 2);
    EXPECT_EQ(ui.shownLines, QStringList{u"< Описание обновления не доступно >"_s});
}

TEST_F(SelfUpdateTest, PackageWithAWrongChecksumIsFetchedThreeTimesAndNeverRun)
{
    folder.write(u"ran.txt"_s, "");
    servePackage("#!/bin/sh\necho ran > ../ran.txt\n");
    serveIndex(offer({}, "DEADBEEF"));
    EXPECT_EQ(run(true), suFailed); // install failures show even in a silent run
    EXPECT_EQ(packageRequests(), 3);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Ошибка установки обновления!\r\rНеверная контрольная сумма скачанного файла.");
    EXPECT_EQ(folder.read(u"ran.txt"_s), "");
    EXPECT_TRUE(untouched());
    EXPECT_FALSE(folder.exists(u"SelfUpdate"_s));
}

TEST_F(SelfUpdateTest, ADrippingPackageEndsAtOneCancelOrAtItsOneDeadline)
{
    // The user presses "Отмена" once, while the package comes.
    struct UserCancels : IBlockingWaitHost {
        const LocalHttpServer *server = nullptr;
        bool cancel = false;
        void begin(const QString &) override {}
        bool poll() override
        {
            const bool press = cancel && server->paths().contains("/pkg/setup.upd");
            cancel = cancel && !press;
            return press;
        }
        void end() override {}
    } user;
    user.server = &server;
    SetBlockingWaitHost(&user);
    LocalHttpReply dripping = LocalHttpReply::text(QByteArray(4000, '#'));
    dripping.trickleMs = 20;
    server.route("/pkg/setup.upd", dripping);
    serveIndex(offer({}, "00000000"));
    settings.packageTimeoutMs = 1500;
    for (const bool cancel : {true, false}) {
        user.cancel = cancel;
        server.clearRequests();
        messages.clear();
        EXPECT_EQ(run(), suFailed);
        EXPECT_EQ(packageRequests(), 1) << cancel; // neither a cancel nor the deadline is retried
        if (cancel)
            EXPECT_EQ(messages.count(), 0); // the user knows why it stopped
        else
            EXPECT_EQ(messages.last().text,
                      u"Ошибка установки обновления!\r\rПревышено общее время загрузки пакета обновления (1500 мс)");
        EXPECT_TRUE(untouched());
        EXPECT_FALSE(folder.exists(u"SelfUpdate"_s));
    }
    SetBlockingWaitHost(nullptr);
}

TEST_F(SelfUpdateTest, UnsafeIndexEntriesAreRefusedBeforeAnythingIsTouched)
{
    const QByteArray url = server.baseUrl().toLatin1() + "/pkg/setup.upd";
    const QByteArray cases[] = {
        "[Vendra]\r\nVerId=1.0.0.6../x\r\nDownloadUrl=" + url + "\r\nOriginalFileName=setup.sh\r\n",
        "[Vendra]\r\nVerId=1.0.0.6\r\nDownloadUrl=" + url + "\r\nOriginalFileName=../../evil\r\n",
        "[Vendra]\r\nVerId=1.0.0.6\r\nDownloadUrl=" + url + "\r\nOriginalFileName=\r\n",
        offer("DeleteBefore=old.tmp; *.ldr\r\n", ""),
        offer("[GlobalOptions]\r\nDeleteAfter=../*\r\n", ""),
        offer("ExecBefore=/bin/rm\r\n", ""),
        "[Vendra]\r\nVerId=1.0.0.6\r\nDownloadUrl=/bin/sh\r\nOriginalFileName=setup.sh\r\n",
        "[Vendra]\r\nVerId=1.0.0.6\r\nDownloadUrl=http://127.0.0.1:1/p\r\nOriginalFileName=setup.sh\r\n",
    };
    for (const QByteArray &index : cases) {
        messages.clear();
        serveIndex(index);
        EXPECT_EQ(run(), suFailed) << index.toStdString();
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка поиска обновлений!\r\r")) << index.toStdString();
    }
    EXPECT_EQ(ui.asked, 0);
    EXPECT_EQ(packageRequests(), 0);
    EXPECT_TRUE(untouched());
}

TEST_F(SelfUpdateTest, GoodPackageReplacesTheProgramFilesButNotTheUsersData)
{
    folder.write(u"old.tmp"_s, "to delete before");
    folder.write(u"gone.log"_s, "to delete after");
    folder.write(u"Vendra-1.log"_s, "stakes log of the user");
    folder.write(u"Vendra.~dat"_s, "the user's");
    folder.write(u"Vendra.dat.~upd"_s, "the user's");
    const QByteArray script = "#!/bin/sh\n"
                              "printf 'new program data' > Vendra.dat\n"
                              "mkdir -p lib && printf 'library' > lib/libnew.so\n"
                              "printf 'archive from the package' > Vendra.ldr\n"
                              "printf '#!/bin/sh\\necho global >> ../order.txt\\n' > g.sh\n"
                              "printf '#!/bin/sh\\necho own >> ../order.txt\\n' > own.sh\n"
                              "chmod +x g.sh own.sh\n";
    servePackage(script);
    serveIndex(offer("DeleteBefore=old.tmp\r\nExecBefore=own.sh\r\n[GlobalOptions]\r\nExecBefore=g.sh\r\n"
                     "DeleteAfter=*.log\r\n",
                     crcOf(script).toUpper()));
    EXPECT_EQ(run(true), suInstalled);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Установка обновления \"Vendra 1.0.0.6\" успешно выполнена.\r\r"
                                    u"Для завершения установки необходимо перезапустить программу!");
    EXPECT_EQ(folder.read(u"Vendra.dat"_s), "new program data");
    EXPECT_EQ(folder.read(u"lib/libnew.so"_s), "library");
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), "draws of the user");
    EXPECT_EQ(folder.read(u"order.txt"_s), "global\nown\n");
    EXPECT_FALSE(folder.exists(u"old.tmp"_s));
    EXPECT_FALSE(folder.exists(u"gone.log"_s));
    EXPECT_EQ(folder.read(u"Vendra-1.log"_s), "stakes log of the user");
    EXPECT_FALSE(folder.exists(u"SelfUpdate"_s));
    EXPECT_FALSE(folder.exists(u"SelfUpdates.inf"_s));
    EXPECT_EQ(QDir(folder.path()).entryList({u"*.~*"_s}, QDir::Files),
              (QStringList{u"Vendra.dat.~upd"_s, u"Vendra.~dat"_s}));
    EXPECT_EQ(ui.progress.last(), u"Загрузка и установка обновления \"1.0.0.6\".../14");
    EXPECT_EQ(ui.stepCount, 5 + 14);

    EXPECT_EQ(folder.read(u"Vendra.~dat"_s), "the user's");     // of a backup's shape, there before
    EXPECT_EQ(folder.read(u"Vendra.dat.~upd"_s), "the user's"); // of a staged copy's shape
    EXPECT_FALSE(folder.exists(u"SelfUpdate.lst"_s));           // nothing left to roll back

    // Files of a backup's or a staged copy's shape beside the files it installed are the user's: the
    // next search leaves them.
    const QStringList users = {u"lib/libnew.~so"_s, u"lib/libnew.so.~upd"_s, u"g.~sh"_s,       u"lib/libfoo.~so"_s,
                               u"notes.~txt"_s,     u"Vendra.~~ldr"_s,       u"Vendra.~~dat"_s};
    folder.write(u"lib/libfoo.so"_s, "the user's");
    folder.write(u"notes.txt"_s, "the user's");
    for (const QString &name : users)
        folder.write(name, "x");
    serveIndex("[Vendra]\r\nVerId=1.0.0.6\r\n");
    EXPECT_EQ(run(true), suNothing);
    for (const QString &name : users)
        EXPECT_TRUE(folder.exists(name)) << name.toStdString();
}

TEST_F(SelfUpdateTest, FailedPackageOrCopyLeavesTheInstalledProgramAsItWas)
{
    const QByteArray failing = "#!/bin/sh\nprintf 'new' > Vendra.dat\nexit 3\n";
    servePackage(failing);
    serveIndex(offer({}, crcOf(failing)));
    EXPECT_EQ(run(), suFailed);
    EXPECT_EQ(messages.last().text,
              u"Ошибка установки обновления!\r\rПрограмма установки \"setup.sh\" завершилась с кодом 3.");
    EXPECT_TRUE(untouched());

    // Another file cannot be placed: a file stands where its folder should be, a folder where the file
    // should be, its name holds a line break, a link to the user's folder stands where its folder should be. The first
    // one, though ready, must not replace the old one either, nothing is written through the link, and no record is
    // left to take a name for the install's later.
    TempDataFolder users;
    users.write(u"b.dat"_s, "the user's");
    folder.write(u"z"_s, "a file, not a folder");
    QDir(folder.path()).mkpath(u"d/b.dat"_s);
    ASSERT_TRUE(QFile::link(users.path(), folder.file(u"lib"_s)));
    for (const QByteArray &second :
         {QByteArray("z/b.dat"), QByteArray("d/b.dat"), QByteArray("\"$(printf 'x\\ny')\""), QByteArray("lib/b.dat")}) {
        const QByteArray halfway =
            "#!/bin/sh\nprintf 'new' > Vendra.dat\nmkdir -p z d lib && printf 'b' > " + second + "\n";
        servePackage(halfway);
        serveIndex(offer({}, crcOf(halfway)));
        messages.clear();
        EXPECT_EQ(run(), suFailed);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка установки обновления!\r\r"))
            << messages.last().text.toStdString();
        EXPECT_TRUE(untouched()) << second.constData();
        EXPECT_TRUE(QDir(folder.path()).entryList({u"*.~*"_s}, QDir::Files).isEmpty());
        EXPECT_FALSE(folder.exists(u"SelfUpdate.lst"_s)) << second.constData();
        EXPECT_EQ(users.read(u"b.dat"_s), "the user's");
        EXPECT_EQ(QDir(users.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"b.dat"_s});
    }
    EXPECT_TRUE(messages.last().text.contains(folder.file(u"lib"_s))) << messages.last().text.toStdString();

    // The work folder's name a link to a folder elsewhere: never entered, the link kept, and the
    // message names it.
    TempDataFolder elsewhere;
    elsewhere.write(u"keep.txt"_s, "not the update's");
    QDir(folder.path()).rmdir(u"SelfUpdate"_s);
    ASSERT_TRUE(QFile::link(elsewhere.path(), folder.file(u"SelfUpdate"_s)));
    const QByteArray good = "#!/bin/sh\nprintf 'new' > Vendra.dat\n";
    servePackage(good);
    serveIndex(offer({}, crcOf(good)));
    messages.clear();
    server.clearRequests();
    EXPECT_EQ(run(), suFailed);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка установки обновления!\r\r"_s));
    EXPECT_TRUE(messages.last().text.contains(folder.file(u"SelfUpdate"_s))) << messages.last().text.toStdString();
    EXPECT_EQ(QFileInfo(folder.file(u"SelfUpdate"_s)).symLinkTarget(), elsewhere.path());
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"keep.txt"_s});
    EXPECT_EQ(elsewhere.read(u"keep.txt"_s), "not the update's");
    EXPECT_EQ(packageRequests(), 0);
    EXPECT_TRUE(untouched());

    // Another copy of the program (another user's, with a data folder of his own) is installing: its
    // staged files are not taken for a killed install's, and no second install starts beside it.
    QFile::remove(folder.file(u"SelfUpdate"_s));
    const std::vector<TInstallStep> steps = PlanInstallSteps(folder.path(), {u"Vendra.dat"_s});
    RecordInstallSteps(folder.path(), steps);
    folder.write(steps[0].staged, "new, being installed");
    const int other = ::open(QFile::encodeName(folder.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    messages.clear();
    EXPECT_EQ(run(), suFailed);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Ошибка установки обновления!\r\rОбновление программы уже устанавливает другая "
                                    u"её копия. Дождитесь окончания установки и повторите попытку.");
    EXPECT_EQ(folder.read(steps[0].staged), "new, being installed");
    EXPECT_TRUE(folder.exists(u"SelfUpdate.lst"_s));
    EXPECT_EQ(packageRequests(), 0);
    EXPECT_TRUE(untouched());
    ::close(other);
}

TEST(SelfUpdateSettings, ProgramFilesGoBesideTheExecutableNotToTheDataFolder)
{
    // VENDRA_HOME names the data folder: an update installs the program where the program is.
    TempDataFolder data;
    const TSelfUpdateSettings settings = DefaultSelfUpdateSettings();
    EXPECT_EQ(settings.programFolder, QCoreApplication::applicationDirPath() + u'/');
    EXPECT_NE(QDir(settings.programFolder).canonicalPath(), QDir(data.path()).canonicalPath());
}

TEST_F(SelfUpdateTest, AnIndexFarLargerThanAnIndexIsRefused)
{
    // Half a megabyte of comments in front of a genuine offer: no index is that large.
    serveIndex(QByteArray(600 * 1024, ';') + "\r\n" + offer({}, crcOf("x")));
    EXPECT_EQ(run(), suFailed);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка поиска обновлений!\r\r"_s));
    EXPECT_EQ(ui.asked, 0);
    EXPECT_EQ(packageRequests(), 0);
    EXPECT_TRUE(untouched());

    // Read from a local copy too.
    folder.write(u"big.cfg"_s, QByteArray(600 * 1024, ';'));
    TrSU_VerData data;
    EXPECT_THROW(ReadUpdateInfo(folder.file(u"big.cfg"_s), u"Vendra"_s, u"1.0.0.5"_s, data), Exception);
}

TEST_F(SelfUpdateTest, AnIndexFromAFolderIsCopiedAsADownloadIsAndNeverThroughALink)
{
    // "SelfUpdates.inf" a link to a folder or to a file elsewhere: the copy of an index in a folder
    // replaces the link as a download over https does, and nothing where it leads is written.
    TempDataFolder source;
    source.write(u"index.inf"_s, "[Vendra]\r\nVerId=1.0.0.6\r\nDownloadUrl=\r\n");
    TempDataFolder elsewhere;
    elsewhere.write(u"victim.txt"_s, "not yours");
    for (const QString &target : {elsewhere.path(), elsewhere.file(u"victim.txt"_s)}) {
        QFile::remove(folder.file(u"SelfUpdates.inf"_s));
        ASSERT_TRUE(QFile::link(target, folder.file(u"SelfUpdates.inf"_s)));
        EXPECT_EQ(SelfUpdate(source.file(u"index.inf"_s), true, 0, settings), suNothing);
        EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{u"victim.txt"_s});
        EXPECT_EQ(elsewhere.read(u"victim.txt"_s), "not yours");
        EXPECT_FALSE(QFileInfo(folder.file(u"SelfUpdates.inf"_s)).exists());
    }
    EXPECT_EQ(messages.count(), 0);
}
