#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

// The headless screen is a desktop of the size the program is used on (1600x1000 at 96 dots per inch),
// not the platform's small default, so that the main window, whose smallest size is wider than 800
// pixels, fits on it as it does for a user.
QString OffscreenConfig()
{
    const QString path = QDir::temp().filePath(QStringLiteral("vendra-offscreen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
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

} // namespace

// Every test binary runs with an application object, headless.
int main(int argc, char **argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QString config;
    if (platform.isEmpty() || platform == "offscreen") {
        config = OffscreenConfig();
        qputenv("QT_QPA_PLATFORM", config.isEmpty() ? QByteArray("offscreen")
                                                    : "offscreen:configfile=" + QFile::encodeName(config));
    }
    QApplication app(argc, argv);
    if (!config.isEmpty())
        QFile::remove(config);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ProgramFolderUntouched);
    return RUN_ALL_TESTS();
}
