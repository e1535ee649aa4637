#include "common/AtomicFile.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/RegularFile.h"


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
    WriteNamedFile(TNamedBy::Program, path, data, permissions);
}
