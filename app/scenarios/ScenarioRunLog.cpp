#include "app/scenarios/ScenarioRunLog.h"

#include "common/AtomicFile.h"
#include "common/Cp1251.h"
#include "common/Dialogs.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"

#include <cerrno>
#include <unistd.h>

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
    m_failed = false;
}

void TScenarioRunLog::write(const QString &text)
{
    if (!m_enabled)
        return;
    if (m_fileName.isEmpty())
        start();
    if (m_failed)
        return;
    const QDateTime now = m_now ? m_now() : QDateTime::currentDateTime();
    const QString line = u"["_s + now.toString(u"yyyy-MM-dd HH:mm:ss"_s) + u"]: "_s + text + u"\r\n"_s;
    // The file stays open between lines: a long run writes hundreds of thousands of them.
    QString failure;
    try {
        if (m_fd < 0)
            m_fd = OpenRegularFileForAppend(m_fileName);
        const QByteArray bytes = Cp1251::encode(line);
        const char *data = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0 && failure.isEmpty()) {
            const ssize_t done = ::write(m_fd, data, static_cast<size_t>(left));
            if (done < 0 && errno != EINTR) {
                failure = SystemErrorString(errno);
                NoteFileWriteFailure();
            } else if (done > 0) {
                data += done;
                left -= done;
            }
        }
    } catch (const EFileWriteError &e) {
        failure = e.reason();
    }
    if (failure.isEmpty())
        return;
    close();
    // Once per file: a disk that refuses one line usually refuses them all.
    m_failed = true;
    if (failure.endsWith(u'.'))
        failure.chop(1);
    ShowErrorBox(Format(u"Ошибка записи журнала: %s!", {failure}));
}

void TScenarioRunLog::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
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
