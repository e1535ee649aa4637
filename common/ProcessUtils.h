#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Asked every 100 ms during a wait for a process; setting abort to true ends the wait (the process
// keeps running).
using AbortQuery = std::function<void(bool &abort)>;

// A program to start: the program (a path or a name looked up in PATH), its arguments and the
// working folder (empty: the current one). Arguments go to the program as they are, never through
// a shell.
struct ProcessCommand {
    QString program;
    QStringList arguments;
    QString folder;
};

// Starts processes. The system runner starts them for real; tests install a recording double.
class IProcessRunner {
public:
    virtual ~IProcessRunner() = default;
    // Starts the command. Without wait returns 0 at once; with wait processes the window messages
    // until the process ends and returns its exit code. A time-out of 0 means no limit.
    // Raises ESystemError when the process cannot be started, when the wait is aborted, and when it
    // times out (the process is then ended). waitName names the process in those messages.
    virtual int run(const ProcessCommand &command, const QString &waitName, int timeoutSeconds,
                    const AbortQuery &onAbortQuery, bool wait) = 0;
};

class SystemProcessRunner : public IProcessRunner {
public:
    int run(const ProcessCommand &command, const QString &waitName, int timeoutSeconds,
            const AbortQuery &onAbortQuery, bool wait) override;
};

// Installs the runner for every call that follows; nullptr restores the system runner.
void SetProcessRunner(IProcessRunner *runner);
IProcessRunner &CurrentProcessRunner();

// The name of a process in the wait messages: the text after the last path delimiter.
QString ProcessWaitName(const QString &commandLine);
// The messages of an aborted and of a timed-out wait.
QString WaitAbortedText(const QString &waitName);
QString WaitTimedOutText(const QString &waitName);

// Starts the command line in the folder: it is split into the program and its arguments at blanks,
// a part in double quotes being one word ("" inside stands for one quote); it never goes to a shell. The show mode has no meaning here.
// Returns the exit code when waiting, else 0. A process killed by a signal gives -1.
int RunAndWait(const QString &folder, const QString &commandLine, int showCmd, int timeoutSeconds,
               const AbortQuery &onAbortQuery, bool wait);
int RunAndWait(const ProcessCommand &command, int timeoutSeconds, const AbortQuery &onAbortQuery, bool wait);

// The shell's start of a file: an executable file is started with the parameters; any other file
// or address is opened with the desktop's program for it ("xdg-open"). The verbs "" and "open" are
// understood; another verb raises ESystemError saying it is not supported.
int ShellRunAndWait(const QString &verb, const QString &fileName, const QString &parameters,
                    int timeoutSeconds, const AbortQuery &onAbortQuery, bool wait, int showCmd);

// Whether a process runs whose executable's file name (no folder) equals exeFileName without regard
// to ASCII case; with skipOwnProcess the calling process does not count. An executable that was
// replaced or deleted while it runs still counts under its name.
bool IsProcessRunning(const QString &exeFileName, bool skipOwnProcess);
// Whether a process runs from exactly this executable file, also when the file was replaced since.
bool IsProgramRunning(const QString &exeFilePath, bool skipOwnProcess);
