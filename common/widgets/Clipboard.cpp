#include "common/widgets/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

void SetClipboardUnicodeText(const QString &text)
{
    // The text always goes as Unicode, whatever the clipboard held before, so no character is lost.
    if (text.isEmpty() || !QGuiApplication::instance())
        return;
    QGuiApplication::clipboard()->setText(text);
}

QString GetClipboardUnicodeText()
{
    if (!QGuiApplication::instance())
        return {};
    return QGuiApplication::clipboard()->text();
}
