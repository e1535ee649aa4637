#include "common/SysUtils.h"

#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/ProcessUtils.h"
#include "common/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <sys/vfs.h>
#include <system_error>

namespace {
IUrlOpener *g_urlOpener = nullptr;
XdgUrlOpener g_xdgOpener;

// File system types whose files lie on another machine.
constexpr long kNfsMagic = 0x6969;
constexpr long kSmbMagic = 0x517B;
constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;
} // namespace

namespace {

// The program speaks Russian whatever the system's locale: the errors a file, a folder or a download
// meets are said in its words; a rarer one keeps the C library's text.
const char16_t *russianErrorText(int code)
{
    switch (code) {
    case EPERM: return u"Операция не разрешена";
    case ENOENT: return u"Нет такого файла или каталога";
    case EINTR: return u"Операция прервана";
    case EIO: return u"Ошибка ввода-вывода диска";
    case ENXIO: return u"Нет такого устройства или адреса";
    case EBADF: return u"Неверный дескриптор файла";
    case EAGAIN: return u"Ресурс временно недоступен";
    case ENOMEM: return u"Недостаточно памяти";
    case EACCES: return u"Нет прав доступа к файлу или каталогу";
    case EBUSY: return u"Устройство или ресурс занято";
    case EEXIST: return u"Файл уже существует";
    case EXDEV: return u"Файл нельзя переместить на другую файловую систему";
    case ENODEV: return u"Нет такого устройства";
    case ENOTDIR: return u"Часть пути не является каталогом";
    case EISDIR: return u"Это каталог, а не файл";
    case EINVAL: return u"Недопустимый аргумент";
    case ENFILE:
    case EMFILE: return u"Открыто слишком много файлов";
    case ETXTBSY: return u"Файл занят: это выполняемая программа";
    case EFBIG: return u"Файл больше допустимого размера";
    case ENOSPC: return u"На диске нет свободного места";
    case ESPIPE: return u"Недопустимое перемещение по файлу";
    case EROFS: return u"Диск доступен только для чтения";
    case EMLINK: return u"Слишком много ссылок на файл";
    case EPIPE: return u"Канал закрыт с другой стороны";
    case ENAMETOOLONG: return u"Слишком длинное имя файла";
    case ENOTEMPTY: return u"Каталог не пуст";
    case ELOOP: return u"Слишком много уровней символьных ссылок";
    case EOVERFLOW: return u"Значение слишком велико";
    case ETIMEDOUT: return u"Время ожидания истекло";
    case ESTALE: return u"Файл на сетевом диске больше недоступен";
    case EDQUOT: return u"Превышена дисковая квота";
    default: return nullptr;
    }
}

} // namespace

QString SystemErrorString(int code)
{
    if (const char16_t *text = russianErrorText(code))
        return QString::fromUtf16(text);
    // The C library's text follows the user's locale (LC_MESSAGES).
    char buffer[256] = {};
    return QString::fromLocal8Bit(::strerror_r(code, buffer, sizeof buffer));
}

QString SysErrorText(uint32_t code, bool withCode)
{
    const QString text = SystemErrorString(static_cast<int>(code));
    if (code == 0)
        return text + u'.';
    const QString quoted = u'"' + text + u"\"!";
    return withCode ? Format(u"SysError #%d: ", {code}) + quoted : quoted;
}

QString LastErrorText(bool withCode)
{
    return SysErrorText(static_cast<uint32_t>(errno), withCode);
}

void RaiseSystemError(uint32_t code)
{
    if (code != 0)
        throw ESystemError(SysErrorText(code, true));
}

void RaiseLastSystemError()
{
    RaiseSystemError(static_cast<uint32_t>(errno));
}

QString GetModuleName()
{
    return GetProgramFileName();
}

bool IsUncPath(const QString &fileName)
{
    if (fileName.startsWith(u"//") || fileName.startsWith(u"\\\\"))
        return true;
    // The nearest folder that exists tells the file system of a file still to be made.
    QFileInfo info(QFileInfo(fileName).absoluteFilePath());
    QString path = info.absoluteFilePath();
    while (!QFileInfo::exists(path) && path != u"/")
        path = QFileInfo(path).absolutePath();
    struct statfs fs {};
    if (::statfs(QFile::encodeName(path).constData(), &fs) != 0)
        return false;
    const long type = static_cast<long>(fs.f_type);
    return type == kNfsMagic || type == kSmbMagic || type == kCifsMagic || type == kSmb2Magic;
}

QString GetWindowsFolder()
{
    throw ESystemError(QStringLiteral("В этой операционной системе нет папки Windows."));
}

void XdgUrlOpener::open(const QString &address)
{
    CurrentProcessRunner().run({QStringLiteral("xdg-open"), {address}, {}}, QStringLiteral("xdg-open"), 0, {},
                               false);
}

void SetUrlOpener(IUrlOpener *opener)
{
    g_urlOpener = opener;
}

IUrlOpener &CurrentUrlOpener()
{
    return g_urlOpener ? *g_urlOpener : g_xdgOpener;
}

QString WebAddress(const QString &address)
{
    for (const char16_t *scheme : {u"http://", u"https://", u"ftp://", u"ftps://"})
        if (address.startsWith(QStringView(scheme), Qt::CaseInsensitive))
            return address;
    return u"http://" + address;
}

QString MailAddress(const QString &address)
{
    return address.startsWith(u"mailto:", Qt::CaseInsensitive) ? address : u"mailto:" + address;
}

void OpenUrl(const QString &address)
{
    CurrentUrlOpener().open(WebAddress(address));
}

void OpenMailTo(const QString &address)
{
    CurrentUrlOpener().open(MailAddress(address));
}

void OpenSavedFile(const QString &fileName, QStringView savedText)
{
    try {
        CurrentUrlOpener().open(fileName);
    } catch (const Exception &e) {
        ShowInfoBox(Format(savedText, {QDir::toNativeSeparators(fileName)}) +
                    Format(u"\r\rОткрыть его не удалось: на этом компьютере нет программы, открывающей такие "
                           u"файлы.\r\r%s",
                           {e.message()}));
    }
}

bool OpenHelpFile(const QString &fileName, const QString &topic)
{
    if (fileName.endsWith(u".chm", Qt::CaseInsensitive))
        return OpenChmTopic(fileName, topic);
    ShellRunAndWait(QStringLiteral("open"), fileName, {}, 0, {}, false, SW_SHOWDEFAULT);
    return true;
}

QString HelpTopicPage(const QString &fileName, const QString &topic)
{
    QString folder = fileName;
    if (folder.endsWith(u".chm", Qt::CaseInsensitive))
        folder.chop(4);
    QString page = topic;
    while (page.startsWith(u'/') || page.startsWith(u'\\'))
        page.remove(0, 1);
    if (page.isEmpty())
        page = QStringLiteral("index.html");
    return QDir::cleanPath(folder + u'/' + page.replace(u'\\', u'/'));
}

bool OpenChmTopic(const QString &fileName, const QString &topic)
{
    // A topic may carry an anchor ("page.htm#part"): the page is the part before it.
    const qsizetype hash = topic.indexOf(u'#');
    const QString pageTopic = hash < 0 ? topic : topic.left(hash);
    const QString anchor = hash < 0 ? QString() : topic.mid(hash + 1);
    const QString page = HelpTopicPage(fileName, pageTopic);
    if (!QFileInfo(page).isFile()) {
        ShowErrorBox(Format(u"Не удалось открыть справку \"%s\"!\r\rФайлы справки в формате CHM в этой системе "
                            u"не открываются, а страница справки \"%s\" не найдена.",
                            {fileName, page}));
        return false;
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath());
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    CurrentUrlOpener().open(url.toString(QUrl::FullyEncoded));
    return true;
}

bool OpenHelpAddress(const QString &address)
{
    QString rest = address;
    if (rest.startsWith(u"ms-its:", Qt::CaseInsensitive))
        rest.remove(0, 7);
    const qsizetype sep = rest.indexOf(u"::");
    if (sep < 0)
        return OpenHelpFile(rest);
    return OpenHelpFile(rest.left(sep), rest.mid(sep + 2));
}
