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

QString SystemErrorString(int code)
{
    // The C library's text follows the user's locale (LC_MESSAGES), unlike the fixed English phrases of
    // Qt's file classes.
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
