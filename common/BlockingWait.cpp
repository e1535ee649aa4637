#include "common/BlockingWait.h"

#include "common/Translate.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {
IBlockingWaitHost *g_host = nullptr;
int g_cancelled = 0;
} // namespace

void SetBlockingWaitHost(IBlockingWaitHost *host)
{
    g_host = host;
}

IBlockingWaitHost *BlockingWaitHost()
{
    return g_host;
}

BlockingWait::BlockingWait(const QString &text) : m_host(g_host)
{
    if (m_host)
        m_host->begin(text);
}

BlockingWait::~BlockingWait()
{
    // A host that went away meanwhile (its window closed) is not told.
    if (m_host && m_host == g_host)
        m_host->end();
}

bool BlockingWait::poll()
{
    if (m_cancelled)
        return true;
    if (m_host != g_host)
        m_host = nullptr;
    if (m_host) {
        m_cancelled = m_host->poll();
        if (m_cancelled)
            ++g_cancelled;
    } else if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return m_cancelled;
}

EWaitCancelled::EWaitCancelled() : Exception(Tr(u"Операция отменена пользователем.")) {}

bool IsWaitCancelled(const std::exception &e)
{
    return dynamic_cast<const EWaitCancelled *>(&e) != nullptr;
}

int CancelledWaitCount()
{
    return g_cancelled;
}
