#include "tests/support/OtherKindFiles.h"

#include "common/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char kDevice[] = "/dev/zero";

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

void removeAny(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else
        ::unlink(native(path).constData());
}

} // namespace

QString OtherFileKindName(TOtherFileKind kind)
{
    switch (kind) {
    case TOtherFileKind::Fifo:
        return u"FIFO"_s;
    case TOtherFileKind::Device:
        return u"device"_s;
    case TOtherFileKind::Folder:
        return u"folder"_s;
    case TOtherFileKind::LinkOutside:
        return u"link outside"_s;
    case TOtherFileKind::HardLinkOutside:
        return u"hard link outside"_s;
    }
    return {};
}

bool MakeOtherKindFile(const QString &path, TOtherFileKind kind, const QString &outside, const QByteArray &outsideBytes)
{
    removeAny(path);
    switch (kind) {
    case TOtherFileKind::Fifo:
        return ::mkfifo(native(path).constData(), 0600) == 0;
    case TOtherFileKind::Device:
        return ::symlink(kDevice, native(path).constData()) == 0;
    case TOtherFileKind::Folder: {
        // Not empty, so that a rename cannot take its place.
        QFile keep(path + u"/keep"_s);
        return QDir().mkpath(path) && keep.open(QIODevice::WriteOnly);
    }
    case TOtherFileKind::LinkOutside:
    case TOtherFileKind::HardLinkOutside: {
        QFile out(outside);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(outsideBytes) != outsideBytes.size())
            return false;
        out.close();
        if (kind == TOtherFileKind::HardLinkOutside)
            return ::link(native(outside).constData(), native(path).constData()) == 0;
        return ::symlink(native(outside).constData(), native(path).constData()) == 0;
    }
    }
    return false;
}

bool OtherKindFileIntact(const QString &path, TOtherFileKind kind, const QString &outside,
                         const QByteArray &outsideBytes)
{
    struct stat st {};
    if (::lstat(native(path).constData(), &st) != 0)
        return false;
    switch (kind) {
    case TOtherFileKind::Fifo:
        return S_ISFIFO(st.st_mode);
    case TOtherFileKind::Device:
        return S_ISLNK(st.st_mode);
    case TOtherFileKind::Folder:
        return S_ISDIR(st.st_mode) && QFile::exists(path + u"/keep"_s);
    case TOtherFileKind::LinkOutside:
    case TOtherFileKind::HardLinkOutside: {
        QFile out(outside);
        return out.open(QIODevice::ReadOnly) && out.readAll() == outsideBytes;
    }
    }
    return false;
}

QString TChildRun::text() const
{
    if (timedOut)
        return u"hangs (killed at the deadline)"_s;
    if (crashed)
        return u"crashes"_s + (problem.isEmpty() ? QString() : u": "_s + problem);
    return problem;
}

TChildRun RunInChild(const std::function<QString()> &body, int deadlineMs)
{
    TChildRun run;
    int fds[2];
    if (::pipe(fds) != 0) {
        run.problem = u"no pipe"_s;
        return run;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        run.problem = u"no fork"_s;
        return run;
    }
    if (pid == 0) {
        ::close(fds[0]);
        QString problem;
        try {
            problem = body();
        } catch (const Exception &e) {
            problem = u"an exception left the case: "_s + e.message();
        } catch (const std::exception &e) {
            problem = u"an exception left the case: "_s + QString::fromLocal8Bit(e.what());
        }
        const QByteArray bytes = problem.toUtf8().left(4000);
        if (!bytes.isEmpty() && ::write(fds[1], bytes.constData(), static_cast<size_t>(bytes.size())) < 0)
            ::_exit(3);
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    int status = 0;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
    for (;;) {
        // The child's report is taken as it comes, so that it never waits on a full pipe.
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, 5) > 0) {
            char buffer[4096];
            const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
            if (got > 0)
                out.append(buffer, got);
        }
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            ended = true;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline)
            break;
    }
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        run.timedOut = true;
    }
    for (;;) {
        char buffer[4096];
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        out.append(buffer, got);
    }
    ::close(fds[0]);
    run.problem = QString::fromUtf8(out);
    if (ended && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        run.crashed = true;
    return run;
}
