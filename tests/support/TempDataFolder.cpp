#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString TestsSourceFile(const QString &pathUnderTests)
{
    return QDir(QStringLiteral(VENDRA_TESTS_SOURCE_DIR)).filePath(pathUnderTests);
}

TempDataFolder::TempDataFolder()
    : m_oldHome(qgetenv("VENDRA_HOME")), m_hadHome(qEnvironmentVariableIsSet("VENDRA_HOME"))
{
    qputenv("VENDRA_HOME", m_dir.path().toUtf8());
}

TempDataFolder::~TempDataFolder()
{
    if (m_hadHome)
        qputenv("VENDRA_HOME", m_oldHome);
    else
        qunsetenv("VENDRA_HOME");
}

void TempDataFolder::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    QDir().mkpath(QFileInfo(f.fileName()).absolutePath());
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray TempDataFolder::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TempDataFolder::exists(const QString &name) const
{
    return QFile::exists(file(name));
}
