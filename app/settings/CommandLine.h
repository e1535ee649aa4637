#pragma once

#include <QString>
#include <QStringList>

// The command-line switches of the program.
inline constexpr char16_t kSwitchRestart[] = u"restart";
inline constexpr char16_t kSwitchNoLanguage[] = u"no-language";
inline constexpr char16_t kSwitchLoadOnly[] = u"loadonly";
inline constexpr char16_t kSwitchFullRecreate[] = u"fullrecreate";
inline constexpr char16_t kSwitchFullRefresh[] = u"fullrefresh";

// True when a parameter after the program name is the word, or the word after "-", "--", "/" or "\",
// in any letter case.
bool HasSwitch(const QStringList &arguments, QStringView word);

// The switches of one run.
struct TStartSwitches {
    bool restart = false;
    bool noLanguage = false;
    bool loadOnly = false;
    bool fullRecreate = false;
    bool fullRefresh = false;

    static TStartSwitches fromArguments(const QStringList &arguments);
    // A batch run does its work without a user: no question may wait for an answer.
    bool isBatch() const { return loadOnly || fullRecreate || fullRefresh; }
};
