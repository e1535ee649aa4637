#pragma once

#include <QString>

// Unicode text through the system clipboard. Setting an empty text leaves the clipboard as it is.
void SetClipboardUnicodeText(const QString &text);
QString GetClipboardUnicodeText();
