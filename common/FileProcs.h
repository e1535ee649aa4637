#pragma once

#include "common/Exception.h"
#include "common/FileWrappers.h"
#include "common/OperationLog.h"

#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

// File procedures: the plain wrappers of the file system calls (FileWrappers.h), folder scans with
// Windows-style masks, and checked and batch copy, move and delete operations that report every step
// through the operation log and never raise.

// The exception of the copy engine (message text only).
class EQfoError : public Exception {
public:
    using Exception::Exception;
};

// Options of the checked and batch operations (bit set).
enum TQfoOption : uint32_t {
    QFO_CREATE_DIRS = 1u << 0,       // create the target folder with its parents when missing
    QFO_RECURSIVE = 1u << 1,         // batch operations: subfolders too
    QFO_COMMON_ROOT = 1u << 2,       // batch copy: relative to the deepest folder of all found files;
                                     // batch delete: leave folders in place
    QFO_FLAT = 1u << 3,              // batch copy: every file straight into the target folder;
                                     // batch delete: delete the empty folders under the path
    QFO_OVERWRITE = 1u << 4,         // overwrite an existing target (else the step is a SKIP)
    QFO_RETRY = 1u << 5,             // batch operations: retry a failed item
    QFO_TEMP_FILE = 1u << 6,         // write through a temporary file (every copy does so)
    QFO_REPLACE_LOCKED = 1u << 7,    // a target that is in use is moved to its backup name and replaced
    QFO_VERIFY = 1u << 8,            // verify the copy (size and CRC-32, with QFO_COPY_TIMES the time too)
    QFO_COPY_TIMES = 1u << 9,        // the target gets the source's last-write time
    QFO_COPY_ATTRS = 1u << 10,       // the target (and a created folder) gets the source's permissions
    QFO_SKIP_READONLY = 1u << 11,    // skip read-only files (source or existing target)
    QFO_SKIP_SYSTEM = 1u << 12,      // skip system files
    QFO_SKIP_HIDDEN = 1u << 13,      // skip hidden files
    QFO_SAME_TIME = 1u << 14,        // with QFO_OVERWRITE: skip when the target has the same time,
    QFO_SAME_SIZE = 1u << 15,        //   the same size,
    QFO_SAME_CRC = 1u << 16,         //   the same CRC-32 (every selected test must hold)
    QFO_ADD_TO_LIST = 1u << 17,      // add each copied file to the caller's copy list
};

// ---- Masks and scans ---------------------------------------------------------------------------

// Windows-style wildcards, letters compared without regard to case: "*" any run, "?" one character;
// "*.*" matches every name, also one without a dot, and "name.*" matches "name".
bool MatchesMask(const QString &name, const QString &mask);
// True when the name matches one of the ";"-separated masks.
bool MatchesMasks(const QString &name, const QString &masks);
// A file matching one of the ";"-separated masks lies in the folder (or its subfolders).
bool FilesExist(const QString &folder, const QString &masks, bool recursive);

// Flags of TQFileItem.
enum TQFileItemFlag : uint8_t { QFI_DIRECTORY = 0x01 };

struct TQFileItem {
    uint8_t flags = 0;
    QString name;
};

// A list of file names without duplicates. Names are compared as they stand, since two names that
// differ only in case are two files here.
class TQFileList {
public:
    int count() const { return static_cast<int>(m_items.size()); }
    // An empty item for an index out of range.
    TQFileItem item(int index) const;
    int indexOf(const QString &name) const;
    // Adds the name unless it is already listed; returns its index.
    int add(const QString &name, uint8_t flags = 0);
    void remove(int index); // nothing for an index out of range
    void clear() { m_items.clear(); }
    const std::vector<TQFileItem> &items() const { return m_items; }

private:
    std::vector<TQFileItem> m_items;
};

struct TQCopyItem {
    QString source;
    QString target;
};

class TQCopyList {
public:
    int count() const { return static_cast<int>(m_items.size()); }
    const TQCopyItem &item(int index) const { return m_items.at(static_cast<size_t>(index)); }
    int indexOf(const QString &source) const;
    // Adds the pair unless the source is already listed; returns its index.
    int add(const QString &source, const QString &target);
    void clear() { m_items.clear(); }

private:
    std::vector<TQCopyItem> m_items;
};

using TDirList = QStringList;

// The copy engine reports (position 0..100 percent, 101 file in place, 102 times set, 103 attributes
// set; maximum 103) and once (0, -1) at the end. The batch delete reports (done, count).
using TFileProgressEvent = std::function<void(int64_t position, int64_t maximum)>;

// What the checked and batch operations take besides their paths and options.
struct TQfoContext {
    TLogMessageEvent onLog;
    TAbortQueryEvent onAbortQuery;
    TFileProgressEvent onProgress;
    TLoadFactorEvent onLoadFactor;
    int defaultLoadFactor = 100;   // percent of the full copying speed over network paths
    int chunkSizeKb = 1024;        // at least 1
    TQCopyList *copyList = nullptr; // filled with QFO_ADD_TO_LIST
    // Batch operations.
    unsigned stepOptions = 0;      // TAddTransactionOption bits for each step
    int emptyRule = EMPTY_OK;      // TEmptyRule when nothing is found
    int retries = 0;               // with QFO_RETRY
    int retryPauseSeconds = 0;
};

// All subfolders under the folder, parents before their children. Reports the scan through
// onLog; the returned step ends INFO, or per emptyRule when nothing was found, or ERROR
// "Каталог "%s" не найден!".
TQTransaction ScanDirectories(const QString &folder, TDirList &dirs, const TQfoContext &ctx);
// The entries of the folder matching the ";"-separated masks ("*.*" when empty), by full path.
// Recursively, the subfolders are searched too and the matching folders are listed (flag
// QFI_DIRECTORY) after their contents. Symbolic links to folders are not followed.
TQTransaction ScanFiles(const QString &folder, const QString &masks, bool recursive, TQFileList &files,
                        const TQfoContext &ctx);

// ---- Copy engine -------------------------------------------------------------------------------

// The file-system steps of the copy engine that another process can make fail: tests put a
// double here to play a target that is in use.
class ICopyEngineFs {
public:
    virtual ~ICopyEngineFs() = default;
    // Puts the finished temporary file in place of the target in one step; 0 or the error code.
    virtual int replace(const QString &tempFile, const QString &target);
};
// Installs the file-system steps for every copy that follows; nullptr restores the system's.
void SetCopyEngineFs(ICopyEngineFs *fs);

// The free backup name of a file that is in use: every "." of its extension becomes ".~", again
// until the name is free (x.exe -> x.~exe -> x.~~exe); a name without extension gets ".~" (".~~", ...).
QString LockedFileBackupName(const QString &fileName);
// The pause after a chunk that took elapsedMs at the load factor (1..100) in percent.
int64_t ThrottlePauseMs(int64_t elapsedMs, int loadFactor);

// Copies one file in chunks into a temporary file beside the target that takes the target's name
// only when it is complete (and, with QFO_VERIFY, checked); on any failure the temporary file is
// removed and an existing target is left as it was. Returns the bytes copied; raises EQfoError.
int64_t CopyFileChunked(const QString &source, const QString &target, uint32_t options, const TQfoContext &ctx);

// ---- Checked operations (never raise; each fills one step) -------------------------------------

// Copies or moves one file. The target may be a folder (existing, or written with a trailing
// "/"), or empty for the current folder; then the source's name is used. Returns true on OK.
bool CopyOrMoveFile(const QString &source, const QString &target, bool move, uint32_t options,
                    const TQfoContext &ctx, TQTransaction &tr);
bool DeleteFileChecked(const QString &fileName, uint32_t options, const TQfoContext &ctx, TQTransaction &tr);
bool DeleteDirectoryChecked(const QString &dir, uint32_t options, const TQfoContext &ctx, TQTransaction &tr);
bool CreateDirectoryChecked(const QString &dir, uint32_t options, const TQfoContext &ctx, TQTransaction &tr);

// ---- Batch operations --------------------------------------------------------------------------

// Copies or moves the files of sourceFolder matching the masks into targetFolder.
void CopyFilesByMask(const QString &sourceFolder, const QString &targetFolder, const QString &masks, bool move,
                     uint32_t options, const TQfoContext &ctx, TQOperation &op);
// Deletes the files matching the mask of pathMask ("folder/*.tmp"); with QFO_FLAT the empty folders
// under the path instead.
void DeleteFilesByMask(const QString &pathMask, uint32_t options, const TQfoContext &ctx, TQOperation &op);
