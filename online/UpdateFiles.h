#pragma once

#include "common/TempFile.h"

#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <vector>

// The update's own files in the program's folder (the executable's): the work folder where a package
// unpacks and the record of an install, from which what an install stopped half-way left is rolled
// back. The folder may hold the user's own files of any name: none of them is ever touched.

// The work folder of an install, beside the executable.
inline constexpr char16_t kUpdateWorkFolderName[] = u"SelfUpdate";
// The record of an install, beside the executable: the names of the files it makes there besides the
// program's files themselves, written before it makes any, so that what an install stopped half-way
// left is known by its exact names (never by the shape of a name) and the install can be rolled back.
inline constexpr char16_t kInstallRecordName[] = u"SelfUpdate.lst";

// True for a file (path relative to the program's folder) that belongs to the user, not to the
// program: archives, stakes, settings, lists and the Systems and Prefetchs folders.
bool IsUserDataFile(const QString &relativePath);

// One file an install places (paths relative to the program's folder): the file, the copy staged
// beside it, and the name the file it replaces keeps until the install has ended.
struct TInstallStep {
    QString target;
    QString staged;
    QString backup;
};

// The steps for the files (paths relative to the program's folder): staged and backup names free
// beside each file and none of them another step's name. Raises Exception naming a file whose name
// no record can hold or whose folder on the way is a link or no folder: nothing of an update is
// written through a link.
std::vector<TInstallStep> PlanInstallSteps(const QString &programFolder, const QStringList &targets);
// Records the steps before any of their files is made. Raises when the record cannot be written.
void RecordInstallSteps(const QString &programFolder, const std::vector<TInstallStep> &steps);
// Records what an ended install left to remove (paths relative to the program's folder); none
// removes the record.
void RecordInstallLeftovers(const QString &programFolder, const QStringList &paths);
// At the search, after an install that did not end: its files put back from their backups and the
// staged copies removed, or what an ended install left removed, all by the names the record gives:
// regular files only, never through a link. A record that is no regular file of such lines is left as
// it is and nothing is touched; nor is anything while another copy of the program installs.
void DeleteUpdateLeftovers(const QString &programFolder);

// The work folder of one install, made anew in the program's folder and held open: whatever the name
// comes to hold meanwhile, only this folder is ever emptied and removed. It goes with all it holds when
// the object goes.
class TUpdateWorkFolder {
public:
    // A folder of this user's left by an install that did not end is removed first, never following a
    // link. A link, anything that is no folder, or another user's folder at that name is never entered
    // nor removed: raises Exception naming it. The program's folder is held for this install alone
    // while the object lives: raises Exception while another copy of the program installs.
    static TUpdateWorkFolder create(const QString &programFolder);

    TUpdateWorkFolder(TUpdateWorkFolder &&other) noexcept;
    TUpdateWorkFolder &operator=(TUpdateWorkFolder &&) = delete;
    TUpdateWorkFolder(const TUpdateWorkFolder &) = delete;
    ~TUpdateWorkFolder();

    // The folder's path, with a trailing "/".
    const QString &path() const { return m_path; }
    // Raises unless the name still holds this folder.
    void confirm() const;
    // Removes the folder with all it holds; raises when it cannot.
    void remove();

private:
    TUpdateWorkFolder(TCacheFolder parent, TCacheFolder folder, QString path);
    bool removeQuietly();

    TCacheFolder m_parent;
    TCacheFolder m_folder;
    QString m_path;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    bool m_removed = false;
};
