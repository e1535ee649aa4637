#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// A temporary file created exclusively: the name is taken only when nothing has it, and a link of
// that name is never followed, so that no write can go through a planted link to a file elsewhere.
// Every file that is rewritten whole is written to one of these beside it and renamed over it once
// complete. Temporary names end with ".~tmp"; those left by a save that never ended are removed at
// the next start (RemoveLeftoverTemporaries). Failures raise EInOutError naming the file.
class TExclusiveTempFile {
public:
    // A new file beside the target: "<target>.<random>.~tmp". The new file takes the target's
    // permissions when the target exists, the given ones when set.
    static TExclusiveTempFile beside(const QString &target,
                                     std::optional<QFileDevice::Permissions> permissions = std::nullopt);
    // A new file of exactly this name: whatever had the name (a left-over file or a link) is removed
    // first, without following it.
    static TExclusiveTempFile named(const QString &path);

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
    // Flushes the file to disk and renames it over the target (which it then replaces in one step);
    // raises on failure, the target then being as it was.
    void commitTo(const QString &target);
    // Flushes the file to disk, renames it over the target and hands its open handle to the caller,
    // who closes it (the file stays open through the rename).
    int commitAndRelease(const QString &target);

private:
    TExclusiveTempFile(int fd, QString path, QString reportName);
    void sync();
    void rename(const QString &target);

    int m_fd = -1;
    QString m_path;
    QString m_reportName; // the file named in messages: the target of a save
    bool m_done = false;
};

// Removes the temporary files ("*.~tmp") that saves killed half-way left in the folder; links of such
// names are removed, never followed. Returns the number removed.
int RemoveLeftoverTemporaries(const QString &folder);
