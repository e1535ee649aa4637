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

// The source text of a text that Tr gave back in this or an earlier language (so that an open
// window can be given the texts of another language); the text itself when Tr never made it.
QString SourceText(const QString &shown);
// The text in the current language of a text that an open window shows: Tr of its source.
QString Retranslated(const QString &shown);
