#include "common/Translate.h"

#include <QCoreApplication>
#include <atomic>

namespace {
std::atomic<bool> g_active{false};
}

void SetTranslationActive(bool active)
{
    g_active.store(active, std::memory_order_relaxed);
}

QString Tr(QStringView source)
{
    if (!g_active.load(std::memory_order_relaxed) || source.isEmpty() || !QCoreApplication::instance())
        return source.toString();
    const QByteArray key = source.toUtf8();
    return QCoreApplication::translate(kTranslationContext, key.constData());
}
