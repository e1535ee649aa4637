#include "common/AtomicFile.h"

#include "common/Exception.h"
#include "common/Format.h"

#include <QSaveFile>

QString FileWriteErrorText(const QString &path, const QString &reason)
{
    return Format(u"Ошибка записи файла \"%s\"!\r\r%s", {path, reason});
}

QString FileReadErrorText(const QString &path, const QString &reason)
{
    return Format(u"Ошибка чтения файла \"%s\"!\r\r%s", {path, reason});
}

void WriteFileAtomically(const QString &path, const QByteArray &data,
                         std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(FileWriteErrorText(path, file.errorString()));
    if (permissions)
        file.setPermissions(*permissions);
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EInOutError(FileWriteErrorText(path, reason));
    }
    if (!file.commit())
        throw EInOutError(FileWriteErrorText(path, file.errorString()));
}
