#pragma once

#include <QString>
#include <QStringView>

// Every interface text goes through Tr: the Russian text is the key, and the loaded language module
// gives its translation; without a module, or without an entry for the text, the text itself comes
// back. Format translates its template the same way, so a message template needs no Tr of its own.
QString Tr(QStringView source);

// The context under which the language modules hold the program's texts.
inline constexpr char kTranslationContext[] = "Vendra";

// Set by the language modules while a module is installed; Tr does no lookup otherwise.
void SetTranslationActive(bool active);
