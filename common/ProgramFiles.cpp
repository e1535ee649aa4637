#include "common/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString GetProgramFolder()
{
    QString folder = qEnvironmentVariable("VENDRA_HOME");
    if (folder.isEmpty())
        folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    folder = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString GetProgramFileName()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString GetExecutableFolder()
{
    QString folder = QFileInfo(GetProgramFileName()).absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString GetProgramBasePath()
{
    return GetProgramFolder() + QString::fromUtf16(kProgramBaseName);
}

QString GetIniFileName()
{
    return GetProgramBasePath() + u".ini";
}

QString GetFormFileName()
{
    return GetProgramBasePath() + u".frm";
}

QString ProgramFilePath(const QString &name)
{
    return GetProgramFolder() + name;
}
