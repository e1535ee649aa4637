#pragma once

#include <QString>

#include <functional>
#include <string>

// Files of the kinds a reader or writer of the program must never hang on nor write through, planted
// under a data file's name, and a way to run a case that may hang.
enum class TOtherFileKind {
    Fifo,        // a named pipe without a writer or a reader
    Device,      // a link to the zero device (endless bytes, writes vanish)
    Folder,      // a folder of that name
    LinkOutside, // a link to a regular file in another folder
    HardLinkOutside, // another name of a regular file in another folder (on the same file system)
};

inline constexpr TOtherFileKind kOtherFileKinds[] = {TOtherFileKind::Fifo, TOtherFileKind::Device,
                                                     TOtherFileKind::Folder, TOtherFileKind::LinkOutside,
                                                     TOtherFileKind::HardLinkOutside};

QString OtherFileKindName(TOtherFileKind kind);

// Replaces whatever has the name with a file of that kind; for the links, `outside` is the file the
// link points to (written with `outsideBytes` first). False when it could not be made.
bool MakeOtherKindFile(const QString &path, TOtherFileKind kind, const QString &outside = {},
                       const QByteArray &outsideBytes = {});

// True when the path is still the file of that kind (and the outside file holds its bytes).
bool OtherKindFileIntact(const QString &path, TOtherFileKind kind, const QString &outside = {},
                         const QByteArray &outsideBytes = {});

// The outcome of a case run under a watch.
struct TWatchedRun {
    QString problem; // what the case itself reported, or the exception that left it (empty: all well)
    bool ok() const { return problem.isEmpty(); }
    QString text() const { return problem; }
};

// Runs the case on the calling thread under a watch: a case still running after deadlineMs (held by a
// FIFO or a device, say) ends the test program with a message that names the test, so that a hang never
// waits for the harness's own limit. The deadline is far above what any case takes on a loaded machine
// or under the sanitizers. The case returns a description of what went wrong, empty when nothing did.
TWatchedRun RunWatched(const std::function<QString()> &body, int deadlineMs = 120000, const std::string &what = {});
