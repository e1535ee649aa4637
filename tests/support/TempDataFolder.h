#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A file of the tests' source folder, by its path under tests/ ("lottery/data/NumberStatsArchive.txt").
// The folder is fixed when the tests are built, so it does not depend on how the compiler was
// given the source files' paths.
QString TestsSourceFile(const QString &pathUnderTests);

// A fresh data folder for one test: VENDRA_HOME points at it while the object lives.
class TempDataFolder {
public:
    TempDataFolder();
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder &) = delete;
    TempDataFolder &operator=(const TempDataFolder &) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
    bool exists(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    bool m_hadHome;
};
