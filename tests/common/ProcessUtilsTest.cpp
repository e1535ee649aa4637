#include "common/BusyCursor.h"
#include "common/ProcessUtils.h"
#include "common/SysUtils.h"
#include "tests/support/RecordingProcesses.h"
#include "tests/support/TempDataFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {
// A copy of "sleep" under a name no other process has, so that tests can see whether it runs.
QString CopySleep(const TempDataFolder &folder, const QString &name)
{
    const QString target = folder.file(name);
    QFile::copy(QStandardPaths::findExecutable(u"sleep"_s), target);
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return target;
}

QString UniqueName(const char16_t *stem)
{
    return QString::fromUtf16(stem) + u'-' + QString::number(QCoreApplication::applicationPid());
}
} // namespace

TEST(RunAndWait, ExitCodesAndWorkingFolder)
{
    TempDataFolder folder;
    folder.write(u"marker"_s, "x");
    EXPECT_EQ(RunAndWait({}, u"sh -c \"exit 3\""_s, SW_SHOW, 0, {}, true), 3);
    EXPECT_EQ(RunAndWait(folder.path(), u"sh -c \"test -f marker\""_s, SW_SHOW, 0, {}, true), 0);
    EXPECT_EQ(RunAndWait(QDir::tempPath(), u"sh -c \"test -f marker\""_s, SW_SHOW, 0, {}, true), 1);
    // A process killed by a signal never reads as a success.
    EXPECT_EQ(RunAndWait({}, u"sh -c \"kill -9 $$\""_s, SW_SHOW, 0, {}, true), -1);
    // Without waiting the result is 0 at once.
    EXPECT_EQ(RunAndWait({}, u"sh -c \"exit 5\""_s, SW_SHOW, 0, {}, false), 0);
}

TEST(RunAndWait, StartFailuresRaiseTheSystemError)
{
    const QString missing = u"/nonexistent/vendra-no-such-program"_s;
    for (bool wait : {true, false}) {
        try {
            RunAndWait({}, missing, SW_SHOW, 0, {}, wait);
            FAIL() << "no exception";
        } catch (const ESystemError &e) {
            EXPECT_EQ(e.message(), SysErrorText(ENOENT, true));
        }
    }
    EXPECT_THROW(RunAndWait({}, u"   "_s, SW_SHOW, 0, {}, true), ESystemError);
}

TEST(RunAndWait, TimeOutEndsTheProcessAndNamesIt)
{
    TempDataFolder folder;
    const QString name = UniqueName(u"vendra-sleep-timeout");
    const QString program = CopySleep(folder, name);
    int ticks = 0;
    QElapsedTimer clock;
    clock.start();
    try {
        RunAndWait({}, program + u" 10"_s, SW_SHOW, 2, [&](bool &) { ++ticks; }, true);
        FAIL() << "no exception";
    } catch (const ESystemError &e) {
        EXPECT_EQ(e.message(), u"Ожидание завершения процесса (файла) \"" + name +
                                   u" 10\" прервано в связи с превышением времени ожидания!");
    }
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_GE(ticks, 10); // asked about every 100 ms
    EXPECT_FALSE(IsProcessRunning(name, false));
}

TEST(RunAndWait, TimeOutEndsWhatTheProcessStartedToo)
{
    // A package that starts a helper and then hangs: at the time-out the helper ends with it, not only
    // the program that was waited for.
    TempDataFolder folder;
    const QString name = UniqueName(u"vendra-sleep-helper");
    const QString helper = CopySleep(folder, name);
    folder.write(u"package.sh"_s, "#!/bin/sh\n\"$1\" 30 &\nsleep 30\n");
    QFile(folder.file(u"package.sh"_s)).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_THROW(RunAndWait(ProcessCommand{folder.file(u"package.sh"_s), {helper}, folder.path()}, 1, {}, true),
                 ESystemError);
    QElapsedTimer clock;
    clock.start();
    while (IsProcessRunning(name, false) && clock.elapsed() < 60000)
        DelayWithMessages(50);
    EXPECT_FALSE(IsProcessRunning(name, false));
}

TEST(RunAndWait, AbortLeavesTheProcessRunning)
{
    TempDataFolder folder;
    const QString name = UniqueName(u"vendra-sleep-abort");
    const QString program = CopySleep(folder, name);
    try {
        RunAndWait({}, program + u" 1"_s, SW_SHOW, 0, [](bool &abort) { abort = true; }, true);
        FAIL() << "no exception";
    } catch (const ESystemError &e) {
        EXPECT_EQ(e.message(), u"Ожидание завершения процесса (файла) \"" + name + u" 1\" прервано!");
    }
    EXPECT_TRUE(IsProcessRunning(name, false));
    QElapsedTimer clock;
    clock.start();
    while (IsProcessRunning(name, false) && clock.elapsed() < 60000)
        DelayWithMessages(50);
    EXPECT_FALSE(IsProcessRunning(name, false));
}

TEST(ShellRunAndWait, ExecutablesRunDocumentsOpen)
{
    TempDataFolder folder;
    folder.write(u"exit-with.sh"_s, "#!/bin/sh\nexit $1\n");
    QFile(folder.file(u"exit-with.sh"_s)).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(ShellRunAndWait(u"open"_s, folder.file(u"exit-with.sh"_s), u"7"_s, 5, {}, true, SW_SHOW), 7);

    RecordingProcessRunner runner;
    folder.write(u"notes.txt"_s, "x");
    ShellRunAndWait({}, folder.file(u"notes.txt"_s), {}, 0, {}, false, SW_SHOWNORMAL);
    EXPECT_EQ(runner.last().command.program, u"xdg-open");
    EXPECT_EQ(runner.last().command.arguments, QStringList{folder.file(u"notes.txt"_s)});
    EXPECT_EQ(runner.last().waitName, u"notes.txt");
    EXPECT_THROW(ShellRunAndWait(u"print"_s, folder.file(u"notes.txt"_s), {}, 0, {}, false, SW_SHOW), ESystemError);
    EXPECT_EQ(runner.starts().size(), 1u);
}

TEST(IsProcessRunning, OwnExecutable)
{
    const QString path = QCoreApplication::applicationFilePath();
    const QString name = QFileInfo(path).fileName();
    EXPECT_TRUE(IsProcessRunning(name, false));
    EXPECT_TRUE(IsProcessRunning(name.toUpper(), false));
    EXPECT_TRUE(IsProcessRunning(path, false)); // the folder is not compared
    EXPECT_TRUE(IsProgramRunning(path, false));
    EXPECT_FALSE(IsProcessRunning(UniqueName(u"vendra-never-started"), false));
    EXPECT_FALSE(IsProgramRunning(u"/nonexistent/"_s + name, false));
}

// Run only inside the single copy started by SkipsItselfWhenNoOtherCopyRuns.
TEST(ProcessProbe, OnlyCopyOfItself)
{
    if (!qEnvironmentVariableIsSet("VENDRA_PROCESS_PROBE"))
        GTEST_SKIP() << "started by SkipsItselfWhenNoOtherCopyRuns";
    const QString path = QCoreApplication::applicationFilePath();
    const QString name = QFileInfo(path).fileName();
    EXPECT_TRUE(IsProcessRunning(name, false));
    EXPECT_FALSE(IsProcessRunning(name, true));
    EXPECT_TRUE(IsProgramRunning(path, false));
    EXPECT_FALSE(IsProgramRunning(path, true));
}

TEST(IsProcessRunning, SkipsItselfWhenNoOtherCopyRuns)
{
    // This binary may run several times at once under the test driver, so the check runs in a copy
    // with a name of its own.
    TempDataFolder folder;
    const QString copy = folder.file(UniqueName(u"vendra-probe"));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"VENDRA_PROCESS_PROBE"_s, u"1"_s);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    probe.setProcessEnvironment(env);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(copy, {u"--gtest_filter=ProcessProbe.OnlyCopyOfItself"_s});
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAll().toStdString();
}

TEST(IsProcessRunning, ReplacedExecutableStillCounts)
{
    TempDataFolder folder;
    const QString name = UniqueName(u"vendra-replaced");
    const QString program = CopySleep(folder, name);
    QProcess child;
    child.start(program, {u"30"_s});
    ASSERT_TRUE(child.waitForStarted());
    // The running file is removed and a new one put in its place, as an update does.
    ASSERT_TRUE(QFile::remove(program));
    EXPECT_TRUE(IsProcessRunning(name, true));
    EXPECT_TRUE(IsProgramRunning(program, true));
    CopySleep(folder, name);
    EXPECT_TRUE(IsProgramRunning(program, true));
    child.kill();
    child.waitForFinished();
    EXPECT_FALSE(IsProcessRunning(name, false));
    EXPECT_FALSE(IsProgramRunning(program, false));
}
