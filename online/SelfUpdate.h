#pragma once

#include "online/UpdateFiles.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

// Self-update of the program from the maker's update index "Kenvo_AU.cfg": an ini file with one
// section per program file (its name) and the section "GlobalOptions". The search compares build
// numbers and shows the new version's description; on the user's consent the package is downloaded
// (HTTPS with a verified peer, or a local file when the index itself is a local file), checked
// against the index's CRC-32, run in the work folder "SelfUpdate/" where it unpacks the new files,
// and those files replace the program's files all together or not at all.

// What the index says about the newest build of one program file.
struct TrSU_VerData {
    QString verId;
    QString description;
    QString downloadUrl;
    QString originalFileName;
    QString checksumCrc32;
    // "GlobalOptions"
    QString globalDeleteAfter;
    QString globalDeleteBefore;
    QString globalExecAfter;
    QString globalExecBefore;
    // the program's own section
    QString deleteAfter;
    QString deleteBefore;
    QString execAfter;
    QString execBefore;
};

enum TSelfUpdateResult : int { suNothing = 0, suInstalled = 1, suFailed = 2 };

// Where the update looks and what it works on.
struct TSelfUpdateSettings {
    QString programFolder;   // the executable's folder (never the data folder), with a trailing "/"
    // Where the search keeps its copies of the index and the description, with a trailing "/": the
    // data folder, which the user can always write to (an installed program's own folder may not
    // be writable); empty: the program's folder.
    QString workFolder;
    QString programFile;     // the running program's file name: the index section
    QString currentVersion;  // "a.b.c.build"
    QString caFile;          // trusted authorities in place of the system's store (empty: the store)
    int connectTimeoutMs = 10000;
    int readTimeoutMs = 30000;
    // The whole search (the index and the description) ends within this time: it runs at every
    // start, and a server that sends a byte now and then must not hold the start-up longer.
    int searchTimeoutMs = 60000;
    // The package (up to 256 MB) comes within this time, all its download attempts together.
    int packageTimeoutMs = 600000;
    int programTimeoutSeconds = 60; // the package and the programs of the Exec lists
    // Told the message of a search failure that a silent run does not show (a batch run writes it
    // to standard error).
    std::function<void(const QString &)> silentFailure;
};
// The running program: its folder, its file name and its version.
TSelfUpdateSettings DefaultSelfUpdateSettings();

// The address of the index, from "[UPDATE] Url" of the settings file; "[UPDATE] CaFile" names
// trusted authorities in place of the system's store.
inline constexpr char16_t kDefaultUpdateUrl[] = u"https://update.vendra.example/files/autoupdates/Kenvo_AU.cfg";
struct TUpdateServerConfig {
    QString url;
    QString caFile;
};
TUpdateServerConfig ReadUpdateServerConfig(const QString &iniFileName);

// The windows of the update: the progress window and the dialog that offers the new version.
// Without one installed nothing is shown and no update is accepted.
class ISelfUpdateUi {
public:
    virtual ~ISelfUpdateUi() = default;
    virtual void showProgress(const QString &text, int steps) = 0;
    virtual void stepProgress() = 0;
    virtual void closeProgress() = 0;
    // True when the user chose to install.
    virtual bool confirmUpdate(const QString &currentVersion, const TrSU_VerData &data, const QStringList &lines) = 0;
};
void SetSelfUpdateUi(ISelfUpdateUi *ui);

// The version text of the program, four numbers ("1.0.0.0").
QString GetProgramVersion();
// The 4th word of a version text split at ",", "-", ".", "_", as a number; 0 when missing or bad.
int VersionBuild(QStringView text);
// 0 for an "http://" or "https://" address (any case), 1 for a file path.
int UpdateSourceKind(QStringView source);

// Downloads the address, or copies the file path, into target (its folder is created when missing);
// returns the source kind. Only "https://" addresses are fetched, a reply of at most maxBytes within
// totalTimeoutMs; a file path must name a regular file of at most maxBytes. Either way whatever has the
// target's name, a link included, is replaced and never followed. Raises Exception on failure and then
// leaves an existing target as it was.
int FetchUpdateFile(const QString &source, const QString &target, const TSelfUpdateSettings &settings,
                    qint64 maxBytes = 256LL * 1024 * 1024, int totalTimeoutMs = 0);
// Reads the index (a regular file of at most FileBounds::kUpdateIndex); missing keys give "" and VerId
// the current version.
void ReadUpdateInfo(const QString &indexFile, const QString &section, const QString &currentVersion,
                    TrSU_VerData &data);
// Refuses an offered update that could reach outside the program's folder or its work folder, touch
// the user's data or take the package from this computer when the index came from the network.
// indexKind is the kind of the index's source. Raises Exception with the reason.
void CheckUpdateInfo(const TrSU_VerData &data, int indexKind, const QString &programFile);
// The folder of the description files beside the index.
QString UpdateDescriptionFolder(const QString &source);
// Fetches the description of data.verId in the user's language (langId 0: only the plain name)
// within settings.searchTimeoutMs, loads its lines and deletes the local copy; "< Описание обновления
// не доступно >" when none came.
void LoadUpdateDescription(QStringList &lines, const TrSU_VerData &data, const QString &descrFolder, int langId,
                           const QString &localFolder, const TSelfUpdateSettings &settings);

// Deletes the files of the folder matching the ";"-separated names or masks; the user's data files
// are never deleted. Raises Exception when a file cannot be deleted.
void DeleteFileList(const QString &folder, const QString &list);
// Runs the listed programs that exist in the folder, one after another, each waited for.
void ExecFileList(const QString &folder, const QString &list, int timeoutSeconds = 60);

// Searches for an update and, when the user agrees, installs it. Returns TSelfUpdateResult; with
// suInstalled the caller restarts the program. Search failures are reported unless silent; install
// failures always are.
int SelfUpdate(const QString &source, bool silent, int langId);
int SelfUpdate(const QString &source, bool silent, int langId, const TSelfUpdateSettings &settings);
