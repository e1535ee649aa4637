#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// Writes the whole file through a temporary file in the same folder that is renamed over the old one,
// so that a failure never leaves a truncated or empty file. Raises EInOutError on failure.
// When permissions are given the new file gets them (for example owner-only for a file with a password).
void WriteFileAtomically(const QString &path, const QByteArray &data,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// The message of a file that could not be written or read.
QString FileWriteErrorText(const QString &path, const QString &reason);
QString FileReadErrorText(const QString &path, const QString &reason);
