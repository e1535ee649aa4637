#pragma once

#include "common/TempFile.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <sys/types.h>

// The update's own files in the program's folder (the executable's): the work folder where a package
// unpacks, the list of the files updates installed, and what an install stopped half-way leaves beside
// those files. The folder may hold the user's own files of any name: none of them is ever touched.

// The work folder of an install, beside the executable.
inline constexpr char16_t kUpdateWorkFolderName[] = u"SelfUpdate";
// The files updates installed (paths relative to the program's folder, one a line), kept for good so
// that what an install stopped half-way left beside them is known for the program's own.
inline constexpr char16_t kInstalledFilesListName[] = u"SelfUpdate.lst";

// True for a file (path relative to the program's folder) that belongs to the user, not to the
// program: archives, stakes, settings, lists and the Systems and Prefetchs folders.
bool IsUserDataFile(const QString &relativePath);

// The program's own files (paths relative to its folder): the executable (programFile and the
// program's base name), its language modules and help files, and the files updates installed.
QStringList ProgramOwnFiles(const QString &programFolder, const QString &programFile);
// Adds the files an install places to the list of those updates installed, before it places them.
// Raises when the list cannot be written.
void RecordInstalledFiles(const QString &programFolder, const QStringList &relativePaths);

// True for a name an update gives a file of its own beside one of the program's files (ownFiles: the
// names of those in the same folder), left there only when an install was stopped half-way: the staged
// copy "<file>.~upd", one cut short "<file>.~upd.XXXXXX.~tmp", or the backup of a replaced file
// ("x.~ext", "x.~~ext" of "x.ext", "Vendra.~" of "Vendra") when isFile says the file is there. Any
// other name, whatever its shape, is no leftover.
bool IsUpdateLeftover(const QString &name, const QStringList &ownFiles,
                      const std::function<bool(const QString &)> &isFile);
// Removes those leftovers of the program's own files: regular files only, looked at and removed where
// they lie, never through a link.
void DeleteUpdateLeftovers(const QString &programFolder, const QString &programFile);

// The work folder of one install, made anew in the program's folder and held open: whatever the name
// comes to hold meanwhile, only this folder is ever emptied and removed. It goes with all it holds when
// the object goes.
class TUpdateWorkFolder {
public:
    // A folder of this user's left by an install that did not end is removed first, never following a
    // link. A link, anything that is no folder, or another user's folder at that name is never entered
    // nor removed: raises Exception naming it.
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
