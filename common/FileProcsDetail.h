#pragma once

#include "common/FileProcs.h"

#include <sys/stat.h>

// Small path and step helpers shared by the units of the file procedures.
namespace FileProcsDetail {

// The path in the file system's encoding.
QByteArray enc(const QString &path);
// The system's text of an error code.
QString errorText(int code);
// stat() of the path (following links); false when it fails.
bool statOf(const QString &path, struct stat &st);
// "Каталог \"%s\" не найден!"
QString notFoundFolderText(const QString &dir);

QString fileNameOf(const QString &path);
// The folder part of a path ("." without one, "/" for a file in the root).
QString folderOf(const QString &path);
QString joinPath(const QString &folder, const QString &name);
// Ends the step with the kind and detail now.
void finish(TQTransaction &tr, TQMsgKind kind, const QString &detail);
void reportProgress(const TQfoContext &ctx, int64_t position, int64_t maximum);

} // namespace FileProcsDetail
