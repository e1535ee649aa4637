#pragma once

#include <QString>

#include <functional>

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

// The outcome of a case run in a child process.
struct TChildRun {
    bool timedOut = false; // still running at the deadline: killed
    bool crashed = false;  // ended by a signal or an unexpected exit
    QString problem;       // what the case itself reported (empty: all well)
    bool ok() const { return !timedOut && !crashed && problem.isEmpty(); }
    QString text() const;
};

// Runs the case in a child process and waits at most deadlineMs for it; the case returns a description
// of what went wrong, empty when nothing did. An exception that leaves the case is reported as a problem.
TChildRun RunInChild(const std::function<QString()> &body, int deadlineMs = 5000);
