#pragma once

#include "common/DateTime.h"

#include <QFileDevice>
#include <QString>
#include <cstdint>

// The file procedures' wrappers over single system calls: one path, one answer.
//
// Attributes are given with the Windows values the callers test. On this system a file is
// read-only when its owner may not write it, hidden when its name begins with "."; no file is a
// system file. Paths have no length limit of their own, so the long-path forms are the paths as
// they stand.

enum TFileAttribute : uint32_t {
    FILE_ATTR_READONLY = 0x01,
    FILE_ATTR_HIDDEN = 0x02,
    FILE_ATTR_SYSTEM = 0x04,
    FILE_ATTR_DIRECTORY = 0x10,
    FILE_ATTR_ARCHIVE = 0x20,
    FILE_ATTR_NORMAL = 0x80,
};
inline constexpr uint32_t INVALID_FILE_ATTRS = 0xFFFFFFFFu;

// The path as the system functions take it (there is no long-path prefix here).
QString LongPathToWide(const QString &path);
// The user's umask, and the permissions it leaves a new document: read and write for whom it allows
// (0644 under the usual umask 022), as any program's new file gets them.
unsigned CurrentUmask();
QFileDevice::Permissions UsualFilePermissions();

// Each returns true on success and leaves errno set on failure.
bool LongCreateDirectory(const QString &dir);
bool LongRemoveDirectory(const QString &dir);
bool LongDeleteFile(const QString &fileName);
// Moves or renames; fails (EEXIST) when the new name is taken.
bool LongMoveFile(const QString &from, const QString &to);

// Open modes: access in the low two bits (0 read, 1 write, 2 read and write), sharing in bits 4
// to 7 (0 compatibility, 1 exclusive, 2 deny write, 3 deny read, 4 deny none; sharing is not
// enforced here). Another mode gives -1. The result is a file descriptor or -1.
enum TFileOpenMode : unsigned {
    FOM_READ = 0x00, FOM_WRITE = 0x01, FOM_READ_WRITE = 0x02,
    FOM_SHARE_COMPAT = 0x00, FOM_SHARE_EXCLUSIVE = 0x10, FOM_SHARE_DENY_WRITE = 0x20,
    FOM_SHARE_DENY_READ = 0x30, FOM_SHARE_DENY_NONE = 0x40,
};
int LongFileOpen(const QString &fileName, unsigned mode);
// Creates or truncates the file for reading and writing; a descriptor or -1.
int LongFileCreate(const QString &fileName);

// The attributes, or INVALID_FILE_ATTRS when the path does not exist.
uint32_t LongGetFileAttributes(const QString &path);
// Sets or clears the read-only attribute (the others have no form here); 0 or the error code.
int LongSetFileAttributes(const QString &path, uint32_t attributes);

// The last-write time of a file (not a folder) in seconds since 1970, -1 when it is missing.
int64_t LongFileAge(const QString &fileName);
bool LongFileExists(const QString &fileName);      // a file, not a folder
bool LongDirectoryExists(const QString &dir);
bool IsDirectoryEmpty(const QString &dir);         // exists and holds nothing
// Creates the folder and its missing parents; true when it exists afterwards. An empty name raises
// EInOutError "Каталог "" не найден!".
bool LongForceDirectories(const QString &dir);
// The full path ("./" and "../" resolved against the current folder).
QString LongExpandFileName(const QString &path);

// Times. The creation time is the birth time where the file system keeps one, else the last
// change time; it cannot be set here, so setting it succeeds without effect.
// A missing file raises ESystemError.
TDateTime GetFileLastWriteTime(const QString &fileName);
void GetFileTimes(const QString &fileName, TDateTime &creationTime, TDateTime &lastWriteTime);
// Each returns 0 or the system error code.
int SetFileCreationTime(const QString &fileName, TDateTime time);
int SetFileLastWriteTime(const QString &fileName, TDateTime time);
int SetFileTimes(const QString &fileName, TDateTime creationTime, TDateTime lastWriteTime);

// The size, or -1 when the file cannot be opened (with raiseErrors ESystemError instead).
int64_t LongFileSize(const QString &fileName, bool raiseErrors = false);
// -1, 0 or 1 comparing the last-write times of two files to the second (milliseconds ignored).
int CompareFileTimes(const QString &fileA, const QString &fileB);
// Both exist with equal sizes and equal CRC-32; with compareTimes also equal last-write times.
bool SameFileContents(const QString &fileA, const QString &fileB, bool compareTimes);
