#include "common/DamagedFile.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"
#include "common/TempFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

QString DamagedFileCopyName(const QString &fileName, int n)
{
    return n <= 1 ? QString(fileName + u".bak"_s) : QString(fileName + u".bak."_s + QString::number(n));
}

QString DamagedFileText(const QString &fileName, int badRecords, int recordSize, qint64 tailBytes, int kept)
{
    QStringList dropped;
    if (badRecords > 0)
        dropped << Format(u"пропущено записей с недопустимыми значениями - %d", {badRecords});
    if (tailBytes > 0)
        dropped << Format(u"пропущено байт в конце файла, не составляющих целой записи (%s), - %d",
                          {BytesText(recordSize), static_cast<long long>(tailBytes)});
    return Format(u"Файл \"%s\" поврежден: %s. Загружены только исправные записи (%d).",
                  {fileName, dropped.join(u"; "_s), kept});
}

QString TDamagedFileCopy::text() const
{
    if (keptBefore)
        return Format(u"Прежний файл уже сохранён как \"%s\".", {name});
    QString text = Format(u"Прежний файл сохранён как \"%s\".", {name});
    if (oldestRemoved)
        text += u' ' + Format(u"Самая старая копия удалена: хранится не более %d копий.", {kDamagedFileCopies});
    return text;
}

TDamagedFileCopy KeepDamagedFileCopy(const QString &fileName, const std::function<bool(const QString &copy)> &holdsSame,
                                     const std::function<void(TExclusiveTempFile &temp)> &write)
{
    NoteFileReadFailure();
    std::vector<QString> copies; // the copies there are, oldest first
    for (int n = 1; n <= kDamagedFileCopies; ++n) {
        const QString name = DamagedFileCopyName(fileName, n);
        const QFileInfo info(name);
        if (!info.exists() && !info.isSymLink())
            continue;
        // Something else under a copy's name is nothing the program may move or remove.
        if (!info.isSymLink() && !info.isFile())
            throw EInOutError(Format(u"Не удалось сохранить копию файла \"%s\": под именем \"%s\" находится не файл.",
                                     {fileName, name}));
        if (!info.isSymLink() && holdsSame(name))
            return {name, true, false};
        copies.push_back(name);
    }
    TDamagedFileCopy copy;
    copy.oldestRemoved = static_cast<int>(copies.size()) >= kDamagedFileCopies;
    // The copies keep their order of age in the lowest places; the new one comes after them.
    const size_t first = copy.oldestRemoved ? 1 : 0;
    copy.name = DamagedFileCopyName(fileName, static_cast<int>(copies.size() - first) + 1);
    // Written in full under a name of its own before any older copy moves or goes.
    const QString fresh = fileName + u".bak.new"_s;
    TExclusiveTempFile temp = TExclusiveTempFile::beside(fresh, TNamedBy::Cache);
    write(temp);
    temp.commit();
    auto move = [&fresh](const QString &from, const QString &to) {
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
            return;
        const int error = errno;
        QFile::remove(fresh);
        throw EInOutError(Format(u"Не удалось переименовать файл \"%s\" в \"%s\": %s", {from, to, SystemErrorString(error)}));
    };
    for (size_t i = first; i < copies.size(); ++i) {
        const QString to = DamagedFileCopyName(fileName, static_cast<int>(i - first) + 1);
        if (copies[i] != to)
            move(copies[i], to);
    }
    move(fresh, copy.name);
    return copy;
}

bool KeepDamagedFileCopy(const QString &fileName, const QByteArray &bytes, QString &note)
{
    try {
        const TDamagedFileCopy copy = KeepDamagedFileCopy(
            fileName,
            [&bytes](const QString &name) {
                QByteArray held;
                try {
                    return QFileInfo(name).size() == bytes.size() && ReadRegularFile(name, bytes.size(), held) &&
                           held == bytes;
                } catch (const std::exception &) {
                    return false;
                }
            },
            [&bytes](TExclusiveTempFile &temp) { temp.write(bytes); });
        note = copy.text();
        return true;
    } catch (const std::exception &e) {
        note = ExceptionText(e);
        return false;
    }
}
