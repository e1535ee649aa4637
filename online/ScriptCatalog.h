#pragma once

#include "online/CatalogueReply.h"
#include "online/CatalogueService.h"
#include "online/ScriptInfo.h"

#include <QString>
#include <QStringList>
#include <functional>

// The online scenario catalogue: the requests to the catalogue service and the decoding of their
// replies. Every operation reports its own failure in an error box (its leading line, an empty line
// and the reason) and tells the caller only whether it succeeded.

// The paths of the service.
inline constexpr char16_t kScriptListPath[] = u"/scripts/scr_getlist.php";
inline constexpr char16_t kScriptDataPath[] = u"/scripts/scr_getdata.php";
inline constexpr char16_t kScriptRatePath[] = u"/scripts/scr_setrate.php";
inline constexpr char16_t kScriptTitlePath[] = u"/scripts/scr_chktitle.php";
inline constexpr char16_t kScriptPutPath[] = u"/scripts/scr_putscript.php";
inline constexpr char16_t kScriptRatesPath[] = u"/scripts/scr_getrates.php";

// ---- Requests: the posted fields in their order ----
QStringList ScriptListFields(int filterId, const TClientIdentity &identity);
QStringList ScriptDataFields(int scriptId);
QStringList ScriptRateFields(int scriptId, int mark, const QString &comment, const TClientIdentity &identity);
QStringList ScriptTitleFields(int scriptId, const QString &title);
// Publishing sends the scenario text; deleting (deleting true) sends none. The author is the record's,
// the mail the user's, the language the scenario's.
QStringList ScriptPutFields(const tScriptData &data, const QString &scriptText, bool deleting,
                            const TClientIdentity &identity);
QStringList ScriptRatesFields(int scriptId);

// The scenario text as it is published: every line followed by CR LF.
QString ScriptTextOfLines(const QStringList &lines);

// ---- Replies ----
// A row of the list: a scenario with its derived flags. A row without an integer id, or with a bad
// Base64 text or time, raises. The user owns a row when its mail is his (letters compared without
// regard to case; an empty mail owns nothing).
tScriptInfo DecodeScriptListRow(const TCatalogueRow &row, const TClientIdentity &identity);
// A row of the marks list.
TScriptRate DecodeScriptRateRow(const TCatalogueRow &row);

// ---- Operations ----
// Adds every row of the list for the filter (filter item index - 1), each as it is read; after a
// failure the rows read before it stay. True when the reply held a result.
bool ScriptLibraryGetList(int filterId, const std::function<void(const tScriptInfo &)> &addItem);

// The outcome of fetching a scenario's text.
enum class TScriptFetch { Found, Empty, Failed };
// The text of the scenario: the first row with a script that holds more than blanks. The text is
// only handed back; the caller decides what becomes of it.
TScriptFetch ScriptLibraryGetData(int scriptId, QString &scriptText);

// Sends the user's mark (-1 hides, 0 removes, 1..5) with a comment; true when the service accepted it.
bool ScriptLibrarySetRate(int scriptId, int mark, const QString &comment);

// Whether the title is free for the scenario id (in a busy section).
TTitleCheck ScriptLibraryCheckTitle(int scriptId, const QString &title);

// Publishes (or replaces, for an id above 0) the scenario; the id from the reply, -1 on failure.
int ScriptLibraryPutScript(const tScriptData &data, const QString &scriptText);
// Deletes the scenario; the id from the reply (0 on success), -1 on failure.
int ScriptLibraryDeleteScript(const tScriptData &data);

// Adds every mark given to the scenario (in a busy section, with its status text). True when the
// reply held a result.
bool ScriptLibraryGetRates(int scriptId, const std::function<void(const TScriptRate &)> &addItem);

// Empty when the text can be sent to the catalogue, else the reason (the characters it cannot hold).
QString ScriptWireProblem(const QString &text);
