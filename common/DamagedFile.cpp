#include "common/DamagedFile.h"

#include "common/AtomicFile.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/RegularFile.h"

using namespace Qt::StringLiterals;

QString DamagedFileCopyName(const QString &fileName)
{
    return fileName + u".bak"_s;
}

QString DamagedFileText(const QString &fileName, int badRecords, int recordSize, qint64 tailBytes, int kept)
{
    QStringList dropped;
    if (badRecords > 0)
        dropped << Format(u"пропущено записей с недопустимыми значениями - %d", {badRecords});
    if (tailBytes > 0)
        dropped << Format(u"пропущено байт в конце файла, не составляющих целой записи (%d байт), - %d",
                          {recordSize, static_cast<long long>(tailBytes)});
    return Format(u"Файл \"%s\" поврежден: %s. Загружены только исправные записи (%d).",
                  {fileName, dropped.join(u"; "_s), kept});
}

bool KeepDamagedFileCopy(const QString &fileName, const QByteArray &bytes, QString &error)
{
    NoteFileReadFailure();
    try {
        WriteNamedFile(TNamedBy::Cache, DamagedFileCopyName(fileName), bytes);
        return true;
    } catch (const std::exception &e) {
        error = ExceptionText(e);
        return false;
    }
}
