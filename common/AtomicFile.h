#pragma once

#include "common/Exception.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// Writes a data file of the program whole through a temporary file beside it (created exclusively, see
// TExclusiveTempFile) that is renamed over the old one, so that a failure never leaves a truncated or
// empty file; a symbolic link of the name is followed (see TNamedBy::Program). Raises EInOutError on
// failure, with the system's text in the user's language.
// When permissions are given the new file gets them (for example owner-only for a file with a password).
void WriteFileAtomically(const QString &path, const QByteArray &data,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// The message of a file that could not be written or read.
QString FileWriteErrorText(const QString &path, const QString &reason);
QString FileReadErrorText(const QString &path, const QString &reason);

// A file that could not be written; reason() is the cause alone (without the file's name).
class EFileWriteError : public EInOutError {
public:
    EFileWriteError(const QString &path, const QString &reason)
        : EInOutError(FileWriteErrorText(path, reason)), m_path(path), m_reason(reason)
    {
    }
    const QString &path() const { return m_path; }
    const QString &reason() const { return m_reason; }

private:
    QString m_path;
    QString m_reason;
};
