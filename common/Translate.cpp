#include "common/Translate.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <atomic>

namespace {
std::atomic<bool> g_active{false};

// Every translation Tr gave back, with its source. Interface texts are few and fixed, so the table
// stays small.
struct Sources {
    QMutex mutex;
    QHash<QString, QString> ofTranslation;
};
Sources &TranslatedSources()
{
    static Sources sources;
    return sources;
}
} // namespace

void SetTranslationActive(bool active)
{
    g_active.store(active, std::memory_order_relaxed);
}

QString Tr(QStringView source)
{
    if (!g_active.load(std::memory_order_relaxed) || source.isEmpty() || !QCoreApplication::instance())
        return source.toString();
    const QByteArray key = source.toUtf8();
    QString translated = QCoreApplication::translate(kTranslationContext, key.constData());
    if (translated != source) {
        Sources &s = TranslatedSources();
        const QMutexLocker lock(&s.mutex);
        s.ofTranslation.insert(translated, source.toString());
    }
    return translated;
}

QString SourceText(const QString &shown)
{
    Sources &s = TranslatedSources();
    const QMutexLocker lock(&s.mutex);
    return s.ofTranslation.value(shown, shown);
}

QString Retranslated(const QString &shown)
{
    return shown.isEmpty() ? shown : Tr(SourceText(shown));
}
