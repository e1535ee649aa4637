#include "common/ProcessUtils.h"

#include "common/BusyCursor.h"
#include "common/Format.h"
#include "common/SysUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <memory>
#include <unistd.h>

namespace {
IProcessRunner *g_runner = nullptr;
SystemProcessRunner g_systemRunner;

constexpr int kWaitStepMs = 100;
// The desktop's own "open this file or address" command.
constexpr char16_t kDesktopOpener[] = u"xdg-open";

// The errno that best explains why the program could not be started.
int StartFailureCode(const ProcessCommand &command)
{
    if (!command.folder.isEmpty() && !QFileInfo(command.folder).isDir())
        return ENOENT;
    QString path = command.program;
    if (!path.contains(u'/')) {
        path = QStandardPaths::findExecutable(path);
        if (path.isEmpty())
            return ENOENT;
    } else if (QFileInfo(path).isRelative() && !command.folder.isEmpty()) {
        path = QDir(command.folder).filePath(path);
    }
    const QFileInfo info(path);
    if (!info.exists())
        return ENOENT;
    if (info.isDir() || !info.isExecutable())
        return EACCES;
    return ENOEXEC;
}

[[noreturn]] void RaiseStartFailure(const ProcessCommand &command)
{
    throw ESystemError(SysErrorText(static_cast<uint32_t>(StartFailureCode(command)), true));
}

// Ends the process with every process it started (its process group, of which it is the leader): asks
// them to stop, then kills them when they do not.
void EndProcess(QProcess &process)
{
    const qint64 group = process.processId();
    if (group > 0)
        ::kill(static_cast<pid_t>(-group), SIGTERM);
    process.terminate();
    const bool ended = process.waitForFinished(1000);
    if (group > 0)
        ::kill(static_cast<pid_t>(-group), SIGKILL); // what the leader left behind goes too
    if (!ended) {
        process.kill();
        process.waitForFinished(-1);
    }
}

// The proc file system's link to a process's executable, without the mark of a replaced file.
QString ProcessExePath(const QString &pid)
{
    const QByteArray link = QFile::encodeName(u"/proc/" + pid + u"/exe");
    char buffer[4096];
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    QString path = QFile::decodeName(QByteArray(buffer, static_cast<qsizetype>(n)));
    if (path.endsWith(u" (deleted)"))
        path.chop(10);
    return path;
}

// The process name the kernel keeps (at most 15 characters), for processes whose executable link
// cannot be read.
QString ProcessCommName(const QString &pid)
{
    QFile file(u"/proc/" + pid + u"/comm");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QFile::decodeName(file.readAll()).trimmed();
}

bool AsciiEqualNoCase(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x = static_cast<char16_t>(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = static_cast<char16_t>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

// Walks the running processes and stops at the first for which the test holds.
template <typename Test>
bool AnyProcess(bool skipOwnProcess, Test test)
{
    const QString own = skipOwnProcess ? QString::number(QCoreApplication::applicationPid()) : QString();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : entries) {
        bool numeric = false;
        pid.toLongLong(&numeric);
        if (!numeric || pid == own)
            continue;
        if (test(pid))
            return true;
    }
    return false;
}
} // namespace

void SetProcessRunner(IProcessRunner *runner)
{
    g_runner = runner;
}

IProcessRunner &CurrentProcessRunner()
{
    return g_runner ? *g_runner : g_systemRunner;
}

QString ProcessWaitName(const QString &commandLine)
{
    const qsizetype slash = std::max(commandLine.lastIndexOf(u'/'), commandLine.lastIndexOf(u'\\'));
    return commandLine.mid(slash + 1);
}

QString WaitAbortedText(const QString &waitName)
{
    return Format(u"Ожидание завершения процесса (файла) \"%s\" прервано!", {waitName});
}

QString WaitTimedOutText(const QString &waitName)
{
    return Format(u"Ожидание завершения процесса (файла) \"%s\" прервано в связи с превышением времени ожидания!",
                  {waitName});
}

int SystemProcessRunner::run(const ProcessCommand &command, const QString &waitName, int timeoutSeconds,
                             const AbortQuery &onAbortQuery, bool wait)
{
    if (command.program.isEmpty())
        throw ESystemError(SysErrorText(ENOENT, true));
    if (command.program == QStringView(kDesktopOpener) && QStandardPaths::findExecutable(command.program).isEmpty())
        throw ESystemError(Format(u"Не удалось открыть \"%s\": в системе не найдена программа \"%s\", "
                                  u"которая открывает файлы и адреса программами рабочего стола.",
                                  {command.arguments.value(0), command.program}));
    if (!wait) {
        // A detached process is not a child of ours: it outlives us and leaves no zombie behind.
        if (!QProcess::startDetached(command.program, command.arguments, command.folder))
            RaiseStartFailure(command);
        return 0;
    }

    auto process = std::make_unique<QProcess>();
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    if (!command.folder.isEmpty())
        process->setWorkingDirectory(command.folder);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    // A process group of its own, so that a time-out ends whatever the program started as well.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
    process->start();
    if (!process->waitForStarted(-1))
        RaiseStartFailure(command);

    QElapsedTimer clock;
    clock.start();
    while (process->state() != QProcess::NotRunning) {
        ProcessMessages();
        bool abort = false;
        if (onAbortQuery)
            onAbortQuery(abort);
        if (abort) {
            // The process goes on; its object stays with the application and goes when it ends.
            QProcess *orphan = process.release();
            if (QCoreApplication *app = QCoreApplication::instance()) {
                orphan->setParent(app);
                QObject::connect(orphan, &QProcess::finished, orphan, &QObject::deleteLater);
            }
            throw ESystemError(WaitAbortedText(waitName));
        }
        if (process->waitForFinished(kWaitStepMs))
            break;
        if (timeoutSeconds > 0 && clock.elapsed() > static_cast<qint64>(timeoutSeconds) * 1000) {
            EndProcess(*process);
            throw ESystemError(WaitTimedOutText(waitName));
        }
    }
    if (process->exitStatus() == QProcess::CrashExit)
        return -1;
    return process->exitCode();
}

int RunAndWait(const ProcessCommand &command, int timeoutSeconds, const AbortQuery &onAbortQuery, bool wait)
{
    QString line = command.program;
    for (const QString &arg : command.arguments)
        line += u' ' + arg;
    return CurrentProcessRunner().run(command, ProcessWaitName(line), timeoutSeconds, onAbortQuery, wait);
}

int RunAndWait(const QString &folder, const QString &commandLine, int /*showCmd*/, int timeoutSeconds,
               const AbortQuery &onAbortQuery, bool wait)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        throw ESystemError(SysErrorText(ENOENT, true));
    ProcessCommand command;
    command.program = words.takeFirst();
    command.arguments = words;
    command.folder = folder;
    return CurrentProcessRunner().run(command, ProcessWaitName(commandLine), timeoutSeconds, onAbortQuery, wait);
}

int ShellRunAndWait(const QString &verb, const QString &fileName, const QString &parameters, int timeoutSeconds,
                    const AbortQuery &onAbortQuery, bool wait, int /*showCmd*/)
{
    if (!verb.isEmpty() && verb.compare(u"open", Qt::CaseInsensitive) != 0)
        throw ESystemError(Format(u"Действие \"%s\" над файлом \"%s\" в этой системе не поддерживается!",
                                  {verb, fileName}));
    ProcessCommand command;
    const QFileInfo info(fileName);
    if (info.isFile() && info.isExecutable()) {
        command.program = info.absoluteFilePath();
        command.arguments = QProcess::splitCommand(parameters);
        command.folder = info.absolutePath();
    } else {
        command.program = QString::fromUtf16(kDesktopOpener);
        command.arguments = {fileName};
    }
    return CurrentProcessRunner().run(command, ProcessWaitName(fileName), timeoutSeconds, onAbortQuery, wait);
}

bool IsProcessRunning(const QString &exeFileName, bool skipOwnProcess)
{
    const QString wanted = QFileInfo(exeFileName).fileName();
    if (wanted.isEmpty())
        return false;
    return AnyProcess(skipOwnProcess, [&](const QString &pid) {
        const QString exe = ProcessExePath(pid);
        if (!exe.isEmpty())
            return AsciiEqualNoCase(QFileInfo(exe).fileName(), wanted);
        // Without the link (a process of another user) only the kernel's short name is left.
        const QString comm = ProcessCommName(pid);
        return !comm.isEmpty() && AsciiEqualNoCase(comm, wanted.left(15));
    });
}

bool IsProgramRunning(const QString &exeFilePath, bool skipOwnProcess)
{
    const QFileInfo info(exeFilePath);
    const QString plain = QDir::cleanPath(info.absoluteFilePath());
    const QString canonical = info.canonicalFilePath();
    return AnyProcess(skipOwnProcess, [&](const QString &pid) {
        const QString exe = ProcessExePath(pid);
        return !exe.isEmpty() && (exe == plain || (!canonical.isEmpty() && exe == canonical));
    });
}
