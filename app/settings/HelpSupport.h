#pragma once

#include "common/ProcessUtils.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

struct MainOptions;

// ---- The help file ----

// "Kenvo_<abbrev>.chm": the help in the language of that three-letter abbreviation.
QString HelpFileNameFor(const QString &languageAbbrev);
// Where the help is looked for, in order: the program's folder, its "help" subfolder and the "help"
// subfolder of the program folder's parent (programFolder ends with "/").
QStringList HelpFileCandidates(const QString &programFolder, const QString &languageAbbrev);
// The help is there: the file itself, or the folder of HTML pages that stands for it.
bool HelpFileExists(const QString &fileName);
// The first candidate that exists; the last one when none does.
QString FindHelpFile(const QString &programFolder, const QString &languageAbbrev);
// What the help key says when the help is nowhere: that it is not available, and the folders of help
// pages that were looked for.
QString HelpMissingText(const QString &programFolder, const QString &languageAbbrev);
// Opens the help file (HelpFileName) at the topic; when the help is nowhere, the one notice of every
// help key: an information box with HelpMissingText for the program's folder and language. False when
// no help was shown.
bool ShowHelp(const QString &topic = {});
// That notice alone.
void ShowHelpMissing();

// ---- Web links of the project ----

struct TProjectLink {
    const char16_t *name;    // action name ("urlBlog"), empty for the lottery site
    const char16_t *caption;
    const char16_t *address;
};
// The link actions of the help menu in menu order; the first is the lottery's site.
const std::vector<TProjectLink> &ProjectLinks();
// The address of a link by its action name; empty for an unknown name.
QString ProjectLinkAddress(const QString &name);
// The contact address of the about window.
QString ProjectMailAddress();

// ---- The user-interface language ----

// The language item of lcid is checked when its primary language is that of the current language.
bool LanguageItemChecked(int itemLcid, int currentLcid);

// The command that starts the program again: its file with the switch "restart", in its folder.
ProcessCommand RestartCommand();

// What a language menu item did.
enum class LanguageChoice { Unchanged, Restarted, Failed };
// Chooses the language lcid: nothing when it is the current one; otherwise its module must be
// usable (else an error box says which is missing), the choice is stored in the options and restart
// runs. A failed restart is reported in an error box; the stored choice then takes effect at the
// next start.
LanguageChoice ChooseLanguage(int lcid, int currentLcid, MainOptions &options, const std::function<void()> &restart);

// The version text of the about window: "<product version> ( <file version> )", the product version
// being the first two parts of the program's version and the file version all four.
QString AboutVersionText(const QString &version);
