#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Languages are named by their locale identifiers (LCID: 1049 Russian, 1033 English, ...): the
// identifiers name the language modules, the help files and settings sections and go to the online
// services, so they stay what they have always been.
using TLCIDs = std::vector<int>;

inline constexpr int kRussianLcid = 1049;
inline constexpr int kEnglishLcid = 1033;

// Font character sets by their old numbers.
inline constexpr int DEFAULT_CHARSET = 1;
inline constexpr int RUSSIAN_CHARSET = 204;

// A language the program can offer.
struct LanguageInfo {
    int lcid;
    const char16_t *abbrev;   // three capital letters: "RUS", "ENU"
    const char16_t *name;     // the language's own name
    int ansiCodePage;
    const char16_t *locale;   // the locale whose dates, day names and numbers the interface shows
};

// The languages the program knows, in ascending LCID order.
const std::vector<LanguageInfo> &KnownLanguages();

// Empty, or 0 / DEFAULT_CHARSET, for an identifier the program does not know.
QString GetLanguageAbbrev(int lcid);
QString GetLanguageName(int lcid);
int GetLocaleAnsiCodePage(int lcid);
int GetLocaleCharset(int lcid);
// The font character set of a code page; DEFAULT_CHARSET when it has none.
int CodePageCharset(int codePage);
// The primary language of an identifier (its low 10 bits): 1033 and 2057 are both English.
inline int PrimaryLanguageId(int lcid) { return lcid & 0x3FF; }

// ---- Language modules ---------------------------------------------------------------------------
// The Russian texts are built into the program. Another language comes as a module beside the
// program, "<program base path>_<abbrev>.lng" (Vendra_ENU.lng): a Qt translation file (.qm) under
// that name. The built-in language's module is the program file itself.

// Called after the texts changed language, to translate the open windows again (the widgets layer
// sets it). It may throw: the switch then falls back to the built-in language.
void SetLanguageChangedHook(std::function<void()> hook);

QString LanguageModuleName(int lcid);
// Lists the known languages whose module exists (the built-in one always), in ascending order.
void FindLanguageModules();
// Sets the built-in and current language to builtInLcid, finds the modules and switches to
// wantedLcid; a missing module leaves the built-in language without a message.
void InitLanguages(int builtInLcid, int wantedLcid);
TLCIDs GetLanguageIds();
// The names of the listed languages in list order; initialises with Russian when nothing is listed.
QStringList GetLanguageNames();
int DefaultLanguageId();
int CurrentLanguageId();
// The index of lcid in the list, else of fallbackLcid, else -1.
int LanguageIndexOf(int lcid, int fallbackLcid);
// The identifier at index, or defaultLcid when index is outside the list.
int LanguageIdAt(int index, int defaultLcid);
// Raises Exception "Языковый модуль "<file>" не найден!" when a language other than the built-in
// one has no module file.
void CheckLanguageModule(int lcid);
// The locale of a language ("ru_RU" for 1049); the C locale for an identifier the program does not know.
QLocale LanguageLocale(int lcid);

// Makes the module of lcid the source of the texts and translates the windows again. Qt's own texts
// (standard buttons, file and colour dialogs) follow the same language through Qt's translations,
// and the default locale becomes the language's, so that dates and day names follow it too. False when
// the module is missing (with raiseIfMissing a box says so) or cannot be loaded (a box says why);
// the texts then stay as they were.
bool LoadLanguageModule(int lcid, bool raiseIfMissing);
// Switches to lcid and returns the language current afterwards: lcid, or the built-in language when
// its module failed (the built-in texts are then really back in place).
int SwitchLanguage(int lcid, bool raiseIfMissing);
// Back to the state before InitLanguages: no list, identifiers 0, built-in texts.
void FinalizeLanguages();
