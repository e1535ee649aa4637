#include "common/FileProcs.h"
#include "common/FileProcsDetail.h"

#include "common/Format.h"

#include <algorithm>
#include <vector>

// The batch operations: copy, move and delete by mask, with retries.

using namespace Qt::StringLiterals;
using namespace FileProcsDetail;

namespace {

// The deepest folder that holds all the files.
QString commonFolder(const std::vector<QString> &files, const QString &fallback)
{
    if (files.empty())
        return fallback;
    QStringList common = folderOf(files.front()).split(u'/');
    for (const QString &f : files) {
        const QStringList parts = folderOf(f).split(u'/');
        qsizetype n = 0;
        while (n < common.size() && n < parts.size() && common[n] == parts[n])
            ++n;
        common = common.mid(0, n);
    }
    const QString folder = common.join(u'/');
    return folder.isEmpty() ? u"/"_s : folder;
}

// Runs one item, again after a failure while retries are left and asked for (QFO_RETRY); a
// failed attempt that is followed by another is kept but not counted as an error.
void runWithRetries(const std::function<void(TQTransaction &)> &attempt, uint32_t options, const TQfoContext &ctx,
                    TQOperation &op, bool &abort)
{
    for (int tryNo = 1;; ++tryNo) {
        TQTransaction tr;
        attempt(tr);
        if (tryNo > 1)
            tr.text += Format(u" (попытка %d)", {tryNo});
        const bool retry = tr.kind == MSG_ERROR && (options & QFO_RETRY) && tryNo <= ctx.retries &&
                           !QueryAbort(abort, ctx.onAbortQuery);
        AddTransaction(tr, op, ctx.stepOptions, ctx.onLog, abort, !retry);
        if (!retry)
            return;
        if (ctx.onLog)
            ctx.onLog(3,
                      Format(u"Во время выполнения операции произошла ошибка! Повторная попытка ( %d ) будет "
                             u"предпринята через %d секунд...",
                             {tryNo, ctx.retryPauseSeconds}),
                      MSG_WARNING, NowDateTime());
        PauseWithCountdown(ctx.retryPauseSeconds, abort, {}, ctx.onAbortQuery, ctx.onLog);
        if (abort)
            return;
    }
}

} // namespace

// ---- Batch operations --------------------------------------------------------------------------

void CopyFilesByMask(const QString &sourceFolder, const QString &targetFolder, const QString &masks, bool move,
                     uint32_t options, const TQfoContext &ctx, TQOperation &op)
{
    const QString shownMasks = masks.isEmpty() ? u"*.*"_s : masks;
    BeginOperation(Format(move ? u"Перемещение \"%s\" из \"%s\" в \"%s\"" : u"Копирование \"%s\" из \"%s\" в \"%s\"",
                          {shownMasks, sourceFolder, targetFolder}),
                   op, ctx.onLog);
    bool abort = false;
    TQFileList found;
    op.steps.push_back(ScanFiles(sourceFolder, masks, (options & QFO_RECURSIVE) != 0, found, ctx));
    if (op.steps.back().kind == MSG_STOP)
        OperationAborted(op, abort, [](bool &a) { a = true; });

    std::vector<QString> files;
    for (const TQFileItem &item : found.items())
        if (!(item.flags & QFI_DIRECTORY))
            files.push_back(item.name);
    op.total = static_cast<int32_t>(files.size());

    const QString root = LongExpandFileName(sourceFolder);
    const QString base = (options & QFO_COMMON_ROOT) ? commonFolder(files, root) : root;
    const QString targetRoot = LongExpandFileName(targetFolder);
    std::vector<QString> movedFolders;

    for (const QString &file : files) {
        if (OperationAborted(op, abort, ctx.onAbortQuery))
            break;
        QString relative = fileNameOf(file);
        if (!(options & QFO_FLAT) && file.startsWith(base + u'/'))
            relative = file.mid(base.size() + 1);
        else if (!(options & QFO_FLAT) && base == u"/")
            relative = file.mid(1);
        // The target is always named as a file, so a name without extension is never taken for a folder.
        const QString target = joinPath(targetRoot, relative);
        bool done = false;
        runWithRetries([&](TQTransaction &tr) { done = CopyOrMoveFile(file, target, move, options, ctx, tr); },
                       options, ctx, op, abort);
        if (move && done)
            movedFolders.push_back(folderOf(file));
        if (abort)
            break;
    }

    if (move) {
        // Folders under the source folder that the move has emptied, deepest first.
        std::sort(movedFolders.begin(), movedFolders.end(),
                  [](const QString &a, const QString &b) { return a.size() > b.size(); });
        for (QString folder : movedFolders) {
            while (folder.startsWith(root + u'/') && IsDirectoryEmpty(folder) && LongRemoveDirectory(folder))
                folder = folderOf(folder);
        }
    }
    EndOperation(op, ctx.emptyRule, ctx.onLog);
}

void DeleteFilesByMask(const QString &pathMask, uint32_t options, const TQfoContext &ctx, TQOperation &op)
{
    bool abort = false;
    struct Entry {
        QString name;
        bool folder;
    };
    std::vector<Entry> entries;
    if (options & QFO_FLAT) {
        BeginOperation(Format(u"Удаление пустых каталогов \"%s\"", {pathMask}), op, ctx.onLog);
        TDirList dirs;
        op.steps.push_back(ScanDirectories(pathMask, dirs, ctx));
        // Children before their parents, so that a folder emptied by the removal of its
        // subfolders goes too.
        for (auto it = dirs.crbegin(); it != dirs.crend(); ++it)
            entries.push_back({*it, true});
    } else {
        BeginOperation(Format(u"Удаление \"%s\"", {pathMask}), op, ctx.onLog);
        QString folder = pathMask, mask = u"*.*"_s;
        if (!LongDirectoryExists(pathMask)) {
            folder = folderOf(pathMask);
            mask = fileNameOf(pathMask);
        }
        TQFileList found;
        op.steps.push_back(ScanFiles(folder, mask, (options & QFO_RECURSIVE) != 0, found, ctx));
        for (const TQFileItem &item : found.items())
            entries.push_back({item.name, (item.flags & QFI_DIRECTORY) != 0});
    }
    if (op.steps.back().kind == MSG_STOP)
        OperationAborted(op, abort, [](bool &a) { a = true; });
    op.total = static_cast<int32_t>(entries.size());

    int done = 0;
    for (const Entry &entry : entries) {
        if (OperationAborted(op, abort, ctx.onAbortQuery))
            break;
        runWithRetries(
            [&](TQTransaction &tr) {
                if (!entry.folder) {
                    DeleteFileChecked(entry.name, options, ctx, tr);
                } else if ((options & QFO_COMMON_ROOT) && !(options & QFO_FLAT)) {
                    BeginTransaction(Format(u"Удаление каталога \"%s\"", {entry.name}), tr, ctx.onLog);
                    finish(tr, MSG_SKIP, u"Каталог игнорирован"_s);
                } else {
                    DeleteDirectoryChecked(entry.name, options, ctx, tr);
                }
            },
            options, ctx, op, abort);
        reportProgress(ctx, ++done, static_cast<int64_t>(entries.size()));
        if (abort)
            break;
    }
    EndOperation(op, ctx.emptyRule, ctx.onLog);
}
