#include "common/BusyCursor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {
int g_busy = 0;
std::function<void(bool)> g_cursorHook;
std::function<void(const QString &)> g_statusHook;
std::function<void()> g_idleHook;
QString g_statusText;
} // namespace

void BeginBusyCursor()
{
    ++g_busy;
    if (g_cursorHook)
        g_cursorHook(true);
}

void EndBusyCursor()
{
    if (g_busy > 0)
        --g_busy;
    if (g_busy == 0 && g_cursorHook)
        g_cursorHook(false);
    if (g_busy == 0 && g_idleHook)
        g_idleHook();
}

bool IsNotBusy()
{
    return g_busy == 0;
}

int BusyCount()
{
    return g_busy;
}

void SetBusyEndedHook(std::function<void()> hook)
{
    g_idleHook = std::move(hook);
}

void SetBusyCursorHook(std::function<void(bool)> hook)
{
    g_cursorHook = std::move(hook);
}

void SetStatusText(const QString &text)
{
    g_statusText = text;
    if (g_statusHook)
        g_statusHook(text);
    ProcessMessages();
}

void SetStatusTextHook(std::function<void(const QString &)> hook)
{
    g_statusHook = std::move(hook);
}

QString StatusText()
{
    return g_statusText;
}

void ProcessMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void DelayWithMessages(int milliseconds)
{
    if (milliseconds <= 0 || !QCoreApplication::instance()) {
        ProcessMessages();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
