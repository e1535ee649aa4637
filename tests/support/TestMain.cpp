#include <QApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <clocale>

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
    return RUN_ALL_TESTS();
}
