#include "tests/support/LocalHttpServer.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Every test binary runs in a folder of its own, made afresh in the system's temporary folder and
// removed when the binary ends: it holds the binary's home with the desktop's configuration, data,
// cache and state folders, its runtime folder and its temporary folder, so that no test reads or writes
// the user's own files (Qt's file dialog keeps its history in the configuration folder) nor leaves
// anything in the shared temporary folder. The programs the tests start inherit all of them.
class TestRunFolder {
public:
    bool make()
    {
        QByteArray root = QFile::encodeName(QDir::tempPath()) + "/vendra-tests-XXXXXX";
        if (!::mkdtemp(root.data()))
            return false;
        m_root = QFile::decodeName(root);
        // Open to another user's passage alone, and only as far as the temporary folder: a test runs the
        // program as another user on a data folder it opens to him there.
        if (::chmod(root.constData(), kPassable) != 0)
            return false;
        for (const auto &[variable, path] : kFolders) {
            const QByteArray folder = QFile::encodeName(file(QString::fromLatin1(path)));
            if (::mkdir(folder.constData(), S_IRWXU) != 0 ||
                (qstrcmp(variable, "TMPDIR") == 0 && ::chmod(folder.constData(), kPassable) != 0))
                return false;
            if (variable)
                qputenv(variable, folder);
        }
        return true;
    }

    QString file(const QString &name) const { return m_root + u'/' + name; }

    // What is there besides the folders made above and what the tests are expected to leave in their
    // home: anything in the temporary folder and the runtime folder, anything else in the home.
    std::vector<std::string> leftovers() const
    {
        std::set<QString> known;
        for (const auto &[variable, path] : kFolders)
            known.insert(QString::fromLatin1(path));
        for (const char *path : kExpected)
            known.insert(QString::fromLatin1(path));
        std::vector<std::string> found;
        QDirIterator it(m_root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = it.next().mid(m_root.size() + 1);
            if (!known.contains(name))
                found.push_back(name.toStdString());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    // Removes the folder with whatever is left there, a folder a test left closed to writing included.
    bool remove() const
    {
        if (m_root.isEmpty())
            return true;
        QDirIterator it(m_root, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo folder(it.next());
            if (!folder.isSymLink())
                ::chmod(QFile::encodeName(folder.filePath()).constData(), S_IRWXU);
        }
        return QDir(m_root).removeRecursively();
    }

    const QString &root() const { return m_root; }

private:
    static constexpr mode_t kPassable = S_IRWXU | S_IXGRP | S_IXOTH;
    // In the order they are made; the environment variable that names each, if any.
    static constexpr std::pair<const char *, const char *> kFolders[] = {
        {"HOME", "home"},
        {"XDG_CONFIG_HOME", "home/.config"},
        {nullptr, "home/.local"},
        {"XDG_DATA_HOME", "home/.local/share"},
        {"XDG_STATE_HOME", "home/.local/state"},
        {"XDG_CACHE_HOME", "home/.cache"},
        {"XDG_RUNTIME_DIR", "runtime"},
        {"TMPDIR", "tmp"},
    };
    // Qt's file dialog writes its history and last folder when it closes, as it does in the program.
    static constexpr const char *kExpected[] = {"home/.config/QtProject.conf"};

    QString m_root;
};

// The headless screen is a desktop of the size the program is used on (1600x1000 at 96 dots per inch),
// not the platform's small default, so that the main window, whose smallest size is wider than 800
// pixels, fits on it as it does for a user. Its file is made in the binary's own folder.
QString OffscreenConfig(const TestRunFolder &run)
{
    const QString path = run.file(QStringLiteral("offscreen.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return {};
    file.write(R"({"screens": [{"name": "Vendra", "x": 0, "y": 0, "width": 1600, "height": 1000,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    return path;
}

// A test works in a data folder of its own: without one the program would keep its files beside the
// executable, where a later run reads them. The run fails when any of them appeared or changed there.
class ProgramFolderUntouched : public ::testing::Environment {
public:
    void SetUp() override { m_before = dataFiles(); }
    void TearDown() override
    {
        EXPECT_EQ(dataFiles(), m_before) << "a test wrote into "
                                         << QCoreApplication::applicationDirPath().toStdString();
    }

private:
    static std::vector<std::string> dataFiles()
    {
        const QDir folder(QCoreApplication::applicationDirPath());
        std::vector<std::string> files;
        const QStringList names{QStringLiteral("Vendra.*"), QStringLiteral("*.~tmp"), QStringLiteral("Prefetchs"),
                                QStringLiteral("Systems")};
        const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System;
        for (const QFileInfo &f : folder.entryInfoList(names, all, QDir::Name))
            files.push_back(QString(f.fileName() + u' ' + f.lastModified().toString(Qt::ISODateWithMs)).toStdString());
        return files;
    }
    std::vector<std::string> m_before;
};

// A test removes what it made in the temporary folder and writes nothing into its home: the run fails
// when, the tests done and the shared test certificates gone, anything else is left there.
class RunFolderLeftClean : public ::testing::Environment {
public:
    explicit RunFolderLeftClean(const TestRunFolder &run) : m_run(run) {}
    void TearDown() override
    {
        TestCertificates::release();
        EXPECT_EQ(m_run.leftovers(), std::vector<std::string>{})
            << "left in the home or the temporary folder under " << m_run.root().toStdString();
    }

private:
    const TestRunFolder &m_run;
};

} // namespace

// Every test binary runs with an application object, headless, in its own home and temporary folder.
int main(int argc, char **argv)
{
    TestRunFolder run;
    if (!run.make()) {
        std::fprintf(stderr, "cannot make the tests' own folder under %s\n", qPrintable(QDir::tempPath()));
        run.remove();
        return 1;
    }
    int result = 0;
    {
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        QString config;
        if (platform.isEmpty() || platform == "offscreen") {
            config = OffscreenConfig(run);
            qputenv("QT_QPA_PLATFORM", config.isEmpty() ? QByteArray("offscreen")
                                                        : "offscreen:configfile=" + QFile::encodeName(config));
        }
        QApplication app(argc, argv);
        if (!config.isEmpty())
            QFile::remove(config);
        std::setlocale(LC_NUMERIC, "C");
        ::testing::InitGoogleTest(&argc, argv);
        ::testing::AddGlobalTestEnvironment(new ProgramFolderUntouched);
        ::testing::AddGlobalTestEnvironment(new RunFolderLeftClean(run));
        result = RUN_ALL_TESTS();
    }
    if (!run.remove()) {
        std::fprintf(stderr, "could not remove the tests' own folder %s\n", qPrintable(run.root()));
        result = 1;
    }
    return result;
}
