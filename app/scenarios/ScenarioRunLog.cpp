#include "app/scenarios/ScenarioRunLog.h"

#include "common/Cp1251.h"
#include "common/Dialogs.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kBannerWidth = 94;

QString padded(const QString &head, QChar fill)
{
    return head + QString(std::max<qsizetype>(0, kBannerWidth - head.size()), fill);
}

} // namespace

TScenarioRunLog::TScenarioRunLog(QString folder, std::function<QDateTime()> now)
    : m_folder(std::move(folder)), m_now(std::move(now))
{
}

TScenarioRunLog::~TScenarioRunLog()
{
    close();
}

QString TScenarioRunLog::folder() const
{
    QString f = m_folder.isEmpty() ? GetProgramFolder() : m_folder;
    if (!f.endsWith(u'/'))
        f += u'/';
    return f;
}

QString TScenarioRunLog::fileMask()
{
    return u"ScriptLog_*.txt"_s;
}

void TScenarioRunLog::start()
{
    close();
    const QDateTime now = m_now ? m_now() : QDateTime::currentDateTime();
    m_fileName = folder() + u"ScriptLog_"_s + now.toString(u"yyyy-MM-dd-HH-mm-ss"_s) + u".txt"_s;
    m_failureShown = false;
}

void TScenarioRunLog::write(const QString &text)
{
    if (!m_enabled)
        return;
    if (m_fileName.isEmpty())
        start();
    const QDateTime now = m_now ? m_now() : QDateTime::currentDateTime();
    const QString line = u"["_s + now.toString(u"yyyy-MM-dd HH:mm:ss"_s) + u"]: "_s + text + u"\r\n"_s;
    // The file stays open between lines: a long run writes hundreds of thousands of them.
    if (m_file.fileName() != m_fileName) {
        m_file.close();
        m_file.setFileName(m_fileName);
    }
    QString failure;
    if (!m_file.isOpen() && !m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        failure = m_file.errorString();
    if (failure.isEmpty()) {
        const QByteArray bytes = Cp1251::encode(line);
        if (m_file.write(bytes) != bytes.size() || !m_file.flush())
            failure = m_file.errorString();
    }
    if (failure.isEmpty())
        return;
    m_file.close();
    // Once per file: a disk that refuses one line usually refuses them all.
    if (!m_failureShown) {
        m_failureShown = true;
        ShowErrorBox(Format(u"Ошибка записи журнала: %s!", {failure}));
    }
}

void TScenarioRunLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}

void TScenarioRunLog::forget()
{
    close();
    m_fileName.clear();
}

QString TScenarioRunLog::startBanner()
{
    return padded(u"### ЗАПУСК СЦЕНАРИЯ "_s, u'#');
}

QString TScenarioRunLog::endBanner()
{
    return padded(u"### ЗАВЕРШЕНИЕ СЦЕНАРИЯ "_s, u'#');
}

QString TScenarioRunLog::interruptedBanner()
{
    return padded(u"### ВЫПОЛНЕНИЕ СЦЕНАРИЯ ПРЕРВАНО "_s, u'#');
}

QString TScenarioRunLog::offsetBanner(int offset)
{
    return padded(Format(u"=== Выполнение сценария для смещения %.6d ", {offset}), u'=');
}

QString TScenarioRunLog::equalsRule()
{
    return QString(kBannerWidth, u'=');
}

QString TScenarioRunLog::dashRule()
{
    return QString(kBannerWidth, u'-');
}
