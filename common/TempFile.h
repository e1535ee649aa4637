#pragma once

#include "common/Exception.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <optional>
#include <sys/stat.h>
#include <sys/types.h>

// How the name of a file that is written whole is taken.
enum class TNamedBy {
    // A data file of the program ("Vendra.ldr", "Vendra.ini", ...): a symbolic link of that name is
    // followed to the regular file it leads to, which is replaced there (the link stays, so the file
    // is never split in two); a link that leads nowhere is refused (the file may be back later). A
    // FIFO, a device or a socket standing under the name, or a link to one, is replaced by the file.
    Program,
    // A file the user named in a save dialog: as a data file, but a name that is neither a regular
    // file nor a link to one is refused too.
    User,
    // A cache or work file of the program (prefetch and system files, the combinations buffer, a
    // backup copy, a download): whatever has the name is replaced, a link is never followed.
    Cache,
};

// Where a file written whole goes, decided once: the folder it lies in, held open so that every later
// step works in that very folder whatever happens to the path meanwhile, the name in it, and what the
// name held when it was looked at. Raises EFileWriteError naming the path given for what is refused.
class TWriteTarget {
public:
    static TWriteTarget resolve(const QString &path, TNamedBy namedBy);
    // The file open at the handle under that name (a file written in place and replaced as a whole).
    static TWriteTarget held(const QString &path, int fd);
    // The file of that name in a folder open at the handle (a cache folder): whatever has the name is
    // replaced, a link never followed.
    static TWriteTarget inFolder(int folder, const QString &folderPath, const QString &name);

    TWriteTarget(TWriteTarget &&other) noexcept;
    TWriteTarget &operator=(TWriteTarget &&) = delete;
    TWriteTarget(const TWriteTarget &) = delete;
    ~TWriteTarget();

    const QString &path() const { return m_path; }   // the name given, as messages show it
    const QString &folderPath() const { return m_folderPath; } // the folder written in
    const QByteArray &name() const { return m_name; }
    int folder() const { return m_dir; }
    // The mode of the regular file that is replaced, none for a new file.
    std::optional<mode_t> oldMode() const;
    // Raises unless the name still holds what it held when it was looked at: the same file (device
    // and inode, without following a link), or nothing.
    void confirm() const;
    // Renames the file of that name in the folder over the target once confirmed; raises when
    // anything else came to stand under the target's name meanwhile.
    void replaceWith(const QByteArray &tempName) const;

private:
    TWriteTarget() = default;
    // Opens the folder of the file and takes its name there; what the name holds is taken apart.
    void open(const QString &file);
    void take(const struct stat &st);
    [[noreturn]] void changed() const;

    int m_dir = -1;
    QString m_path;
    QString m_folderPath;
    QByteArray m_name;
    bool m_existed = false;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    mode_t m_mode = 0;
};

// A temporary file created exclusively: the name is taken only when nothing has it, and a link of
// that name is never followed, so that no write can go through a planted link to a file elsewhere.
// Every file that is rewritten whole is written to one of these beside it and renamed over it once
// complete. Temporary names end with ".~tmp"; those left by a save that never ended are removed at
// the next start (RemoveLeftoverTemporaries). Failures raise EInOutError naming the file.
class TExclusiveTempFile {
public:
    // A new file "<name>.<random>.~tmp" beside the file the target names (see TNamedBy). The new file
    // takes the given permissions when set, else the replaced file's (a cache file the usual ones).
    static TExclusiveTempFile beside(const QString &target, TNamedBy namedBy = TNamedBy::Program,
                                     std::optional<QFileDevice::Permissions> permissions = std::nullopt);
    // The same for a target already decided; the new file gets the mode given, else the usual one.
    static TExclusiveTempFile in(TWriteTarget target, std::optional<mode_t> mode = std::nullopt);
    // A new file of exactly this name in the target's folder: whatever had the name (a left-over file
    // or a link) is removed first, without following it.
    static TExclusiveTempFile named(const QString &fileName, TWriteTarget target);

    TExclusiveTempFile(TExclusiveTempFile &&other) noexcept;
    TExclusiveTempFile &operator=(TExclusiveTempFile &&) = delete;
    TExclusiveTempFile(const TExclusiveTempFile &) = delete;
    // Closes the file and removes it unless it was committed or released.
    ~TExclusiveTempFile();

    const QString &path() const { return m_path; }
    int handle() const { return m_fd; }

    // Appends the bytes; raises on failure.
    void write(const char *data, qint64 size);
    void write(const QByteArray &bytes) { write(bytes.constData(), bytes.size()); }
    // Empties the file and starts it again from the beginning.
    void truncate();
    // Flushes the file to disk and renames it over its target (which it then replaces in one step),
    // once the target's name is confirmed to hold what was looked at; raises on failure, the target
    // then being as it was.
    void commit();
    // The same, handing the open file to the caller, who closes it (it stays open through the rename).
    int commitAndRelease();

private:
    TExclusiveTempFile(TWriteTarget target, int fd, QByteArray name);
    void sync();
    void rename();

    TWriteTarget m_target;
    int m_fd = -1;
    QByteArray m_name; // in the target's folder
    QString m_path;
    bool m_done = false;
};

// Removes the temporary files ("*.~tmp") that saves killed half-way left in the folder; links of such
// names are removed, never followed, and a folder that is itself a link is left alone. Returns the
// number removed.
int RemoveLeftoverTemporaries(const QString &folder);

// A cache folder of the program ("Prefetchs", "Systems") that cannot be used.
class ECacheFolderError : public EInOutError {
public:
    ECacheFolderError(const QString &folder, const QString &reason);
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

// A cache folder of the program, opened once without following a link: its files are created, renamed
// and deleted through that handle, so that a folder swapped for a link meanwhile is never written nor
// deleted through.
class TCacheFolder {
public:
    // Makes the folder when missing and opens it; raises ECacheFolderError naming what is wrong.
    static TCacheFolder open(const QString &folder);
    // The folder when it is one; none (isOpen() false) when it is missing, a link or no folder.
    static TCacheFolder existing(const QString &folder);

    TCacheFolder(TCacheFolder &&other) noexcept;
    TCacheFolder &operator=(TCacheFolder &&) = delete;
    TCacheFolder(const TCacheFolder &) = delete;
    ~TCacheFolder();

    // The folder at that path below this one, each folder on the way opened without following a link;
    // none when one of them is missing, a link or no folder.
    TCacheFolder subfolder(const QString &relative) const;

    bool isOpen() const { return m_fd >= 0; }
    int handle() const { return m_fd; }
    const QString &path() const { return m_path; }
    // Writes the file of that name whole, through a temporary file in the folder.
    void write(const QString &name, const QByteArray &data) const;
    TExclusiveTempFile create(const QString &name) const;
    // Removes the file of that name (a link itself, never what it leads to); true when it is gone.
    bool remove(const QString &name) const;
    // The names of the regular files in the folder (and of the links in it too, when asked).
    QStringList fileNames(bool withLinks = false) const;
    // Empties the folder, never following a link: a link is removed itself, a subfolder with all it
    // holds. False when something could not be removed.
    bool removeAll() const;

private:
    TCacheFolder(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd = -1;
    QString m_path;
};

// Why nothing may be written into or deleted from a cache folder: it is a symbolic link (its files
// would land elsewhere), or the name is no folder. Empty for a folder and for no folder at all.
QString CacheFolderProblem(const QString &folder);
// Makes the cache folder when missing; raises ECacheFolderError naming what is wrong.
void EnsureCacheFolder(const QString &folder);
