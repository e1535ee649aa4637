#include "tests/support/OtherKindFiles.h"

#include "common/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
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

TWatchedRun RunWatched(const std::function<QString()> &body, int deadlineMs, const std::string &what)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "?";
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::thread watch([&] {
        std::unique_lock lock(mutex);
        if (!ended.wait_for(lock, std::chrono::milliseconds(deadlineMs), [&] { return done; })) {
            std::fprintf(stderr, "%s: a case still runs after %d ms (it hangs)%s%s\n", name.c_str(), deadlineMs,
                         what.empty() ? "" : ": ", what.c_str());
            std::fflush(stderr);
            std::_Exit(3);
        }
    });
    TWatchedRun run;
    try {
        run.problem = body();
    } catch (const Exception &e) {
        run.problem = u"an exception left the case: "_s + e.message();
    } catch (const std::exception &e) {
        run.problem = u"an exception left the case: "_s + QString::fromLocal8Bit(e.what());
    }
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    ended.notify_all();
    watch.join();
    return run;
}
