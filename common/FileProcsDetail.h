#pragma once

#include "common/FileProcs.h"

// Small path and step helpers shared by the units of the file procedures.
namespace fileprocs_detail {

QString fileNameOf(const QString &path);
// The folder part of a path ("." without one, "/" for a file in the root).
QString folderOf(const QString &path);
QString joinPath(const QString &folder, const QString &name);
// Ends the step with the kind and detail now.
void finish(TQTransaction &tr, TQMsgKind kind, const QString &detail);
void reportProgress(const TQfoContext &ctx, int64_t position, int64_t maximum);

} // namespace fileprocs_detail
