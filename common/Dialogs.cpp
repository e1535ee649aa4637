#include "common/Dialogs.h"

#include "common/Exception.h"

#include "common/Format.h"
#include "common/Translate.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace {
IMessageSink *g_sink = nullptr;
StderrMessageSink g_stderrSink;
QStringList g_printed; // what went to standard error, as given
} // namespace

void SetMessageSink(IMessageSink *sink)
{
    g_sink = sink;
}

IMessageSink &CurrentMessageSink()
{
    return g_sink ? *g_sink : g_stderrSink;
}

int StderrMessageSink::show(const QString &caption, const QString &text, unsigned flags)
{
    g_printed.append(text);
    const QByteArray line = (caption + u": " + MessageToDisplay(text)).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
    return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
}

bool PrintedOnStderr(const QString &text)
{
    return std::any_of(g_printed.begin(), g_printed.end(), [&](const QString &printed) { return printed.contains(text); });
}

QString ErrorCaption() { return Tr(u"Ошибка"); }
QString InfoCaption() { return Tr(u"Информация"); }
QString AttentionCaption() { return Tr(u"Внимание!"); }
QString WarningCaption() { return Tr(u"Предупреждение"); }
QString ConfirmCaption() { return Tr(u"Подтверждение"); }

int ShowErrorBox(const QString &text) { return CurrentMessageSink().show(ErrorCaption(), text, MB_OK | MB_ICONERROR); }
int ShowInfoBox(const QString &text) { return CurrentMessageSink().show(InfoCaption(), text, MB_OK | MB_ICONINFORMATION); }
int ShowAttentionBox(const QString &text) { return CurrentMessageSink().show(AttentionCaption(), text, MB_OK | MB_ICONWARNING); }
int ShowWarningBox(const QString &text) { return CurrentMessageSink().show(WarningCaption(), text, MB_OK | MB_ICONWARNING); }

int AskYesNo(const QString &caption, const QString &text)
{
    return CurrentMessageSink().show(caption, text, MB_YESNO | MB_ICONQUESTION);
}

int AskYesNoDefaultNo(const QString &caption, const QString &text)
{
    return CurrentMessageSink().show(caption, text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

int ConfirmBox(const QString &text) { return AskYesNo(ConfirmCaption(), text); }
int ConfirmBoxDefaultNo(const QString &text) { return AskYesNoDefaultNo(ConfirmCaption(), text); }

bool ConfirmDeleteRecords(int count)
{
    const QString text = count == 1
        ? Tr(u"Удалить выделенную запись?")
        : Format(u"Удалить все выделенные записи (всего будет удалено %d записи(ей))?", {count});
    return AskYesNoDefaultNo(WarningCaption(), text) == IDYES;
}

bool RunCommand(const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const std::exception &e) {
        ShowErrorBox(ExceptionText(e));
        return false;
    }
}
