#pragma once

#include "common/DateTime.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

// One scenario of the online catalogue as the list shows it. Times are UTC, as the service keeps
// them (the list shows them in local time); 0 means none.
struct tScriptInfo {
    int id = 0;
    QString key_cl_name;     // author's name
    QString key_cl_mail;     // author's e-mail, the owner key
    int key_cl_lcid = 0;     // language of the scenario
    QString app_name;        // the program that published it
    QString app_ver;
    bool uniapps = false;    // usable in any program of the family
    bool publics = false;    // visible to every user
    TDateTime created = 0;
    double rating_avg = 0;
    int rating_cnt = 0;
    int rating_you = 0;      // the user's own mark; below 0: hidden by this user
    int downloads = 0;
    TDateTime last_download = 0;
    QString title;
    QString descr;
    bool own = false;        // published by this user (same e-mail)
    bool editable = false;   // own and compatible
    bool compatible = false; // uniapps, or published by this program
};
Q_DECLARE_METATYPE(tScriptInfo)

// The part of a scenario the user edits in the properties dialog.
struct tScriptData {
    int id = -1;             // -1 for a scenario not yet published
    QString key_cl_name;
    int key_cl_lcid = 0;
    bool uniapps = false;
    bool publics = true;
    QString title;
    QString descr;
};

// A new scenario: no id, the user's name, the language given, visible to all, only for this program.
tScriptData NewScriptData(const QString &authorName, int lcid);
tScriptData ScriptInfoToData(const tScriptInfo &info);
// Copies the edited fields back (all but the id).
void ScriptDataToInfo(const tScriptData &data, tScriptInfo &info);

// The marks the user can give: 1..5, 0 removes the mark, -1 hides the scenario from this user.
inline constexpr int kScriptMarkHide = -1;
inline constexpr int kScriptMarkNone = 0;
inline constexpr int kScriptMarkBest = 5;

// The catalogue list: image of an item (public or private scenario) and its texts, the caption
// ("Мой" or "Общий") followed by one text per further column.
inline constexpr int kScriptImagePublic = 22;
inline constexpr int kScriptImagePrivate = 39;
int ScriptItemImage(const tScriptInfo &info);
QStringList ScriptItemTexts(const tScriptInfo &info);
// The captions of the list's columns, in the order of ScriptItemTexts.
QStringList ScriptListColumns();
// The column the list is sorted by at first (the rating).
inline constexpr int kScriptListSortColumn = 7;

// The answer to whether a title is free in the catalogue: a failed check (no connection, an error
// reply) is neither free nor taken.
enum class TTitleCheck { Free, Taken, Failed };

// One mark in the list of marks of a scenario, the texts as the service sent them (the time shown
// in local time).
struct TScriptRate {
    QString clName;
    QString rate;
    QString created;
    QString appName;
    QString appVer;
    QString notes;

    QStringList texts() const { return {clName, rate, created, appName, appVer, notes}; }
};
