#include "common/DamagedFile.h"

#include "common/AtomicFile.h"
#include "common/Exception.h"
#include "common/RegularFile.h"

using namespace Qt::StringLiterals;

QString DamagedFileCopyName(const QString &fileName)
{
    return fileName + u".bak"_s;
}

bool KeepDamagedFileCopy(const QString &fileName, const QByteArray &bytes, QString &error)
{
    NoteFileReadFailure();
    try {
        WriteFileAtomically(DamagedFileCopyName(fileName), bytes);
        return true;
    } catch (const std::exception &e) {
        error = ExceptionText(e);
        return false;
    }
}
