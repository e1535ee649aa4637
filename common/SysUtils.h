#pragma once

#include "common/Exception.h"

#include <QString>
#include <cstdint>

// A failure of the operating system: its message is the system's text for the error code, or the
// message of an interrupted wait for a process.
class ESystemError : public Exception {
public:
    using Exception::Exception;
};

// The system's text for an error code (errno), in the user's language:
//   code 0                   -> "<text>."
//   code != 0, without code  -> "\"<text>\"!"
//   code != 0, with code     -> "SysError #<code>: \"<text>\"!"
QString SysErrorText(uint32_t code, bool withCode);
// The system's own text for an error code (errno) in the user's language, as it stands.
QString SystemErrorString(int code);
// SysErrorText of the calling thread's errno.
QString LastErrorText(bool withCode);
// Raises ESystemError with SysErrorText(code, true); nothing for code 0.
void RaiseSystemError(uint32_t code);
void RaiseLastSystemError();

// The full path of the running module (the executable: the program is not built as a shared library).
QString GetModuleName();
// True when the file lies on a network file system (NFS, SMB/CIFS) or is written as "//host/...".
bool IsUncPath(const QString &fileName);
// The system has no Windows folder: raises ESystemError with a message that says so.
QString GetWindowsFolder();

// Show modes of a started program as the callers pass them; a Linux process has no show mode and
// they are kept only so that the callers read as they always did.
enum ShowWindowMode : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_SHOWDEFAULT = 10 };

// Opens web and mail addresses and documents in the user's programs. The default opener runs
// "xdg-open" through the current process runner without waiting; tests install their own.
class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    // Raises ESystemError when the address cannot be handed to the desktop.
    virtual void open(const QString &address) = 0;
};

class XdgUrlOpener : public IUrlOpener {
public:
    void open(const QString &address) override;
};

// Installs the opener for every call that follows; nullptr restores the default.
void SetUrlOpener(IUrlOpener *opener);
IUrlOpener &CurrentUrlOpener();

// The address as OpenUrl opens it: "http://" in front unless it begins (any case) with
// "http://", "https://", "ftp://" or "ftps://".
QString WebAddress(const QString &address);
// The address with "mailto:" in front unless it already begins with it (any case).
QString MailAddress(const QString &address);
void OpenUrl(const QString &address);
void OpenMailTo(const QString &address);
// Hands a file the program has just written (a report, a log) to the desktop's program for it. When
// that cannot be done the file stays where it is and an information box says so: savedText with the
// file's name for its "%s" ("Отчет сохранен в файле \"%s\"."), then that it could not be opened and why.
void OpenSavedFile(const QString &fileName, QStringView savedText);

// Help. A ".chm" file (any case) goes to OpenChmTopic; any other file is opened with the desktop's
// program for it ("open", no wait) and the topic is not used.
// Returns false when the help could not be shown; the user has then been told why in an error box.
bool OpenHelpFile(const QString &fileName, const QString &topic = {});
// There is no viewer of compiled HTML help here. The help is shipped as HTML pages in a folder
// named as the help file without ".chm" (help/Kenvo_RUS.chm -> help/Kenvo_RUS/): the topic is a
// page of that folder ("index.html" without a topic) and is opened in the browser. Without the
// page an error box says that the help cannot be shown.
bool OpenChmTopic(const QString &fileName, const QString &topic = {});
// The HTML page that stands for the help file's topic (see OpenChmTopic), whether it exists or not.
QString HelpTopicPage(const QString &fileName, const QString &topic);
// Opens a help address of the form "ms-its:<file.chm>::/<topic>" (or a plain file name).
bool OpenHelpAddress(const QString &address);
