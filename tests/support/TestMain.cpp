#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>
#include <csignal>

// Every test binary runs with an application object, headless.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The local test server writes TLS replies with plain writes: a client that gives up (a size
    // limit, a cancelled request) must not kill the whole test binary with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
