#include "common/Dialogs.h"
#include "common/OperationLog.h"
#include "common/widgets/WidgetHooks.h"
#include "ui/window/FormMain.h"

#include <QApplication>
#include <clocale>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const TStartSwitches switches = TStartSwitches::fromArguments(arguments);

    // A batch run works without a user and may run where there is no display.
    if (switches.isBatch() && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString());
    // Numbers in files are written and read with "." whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");

    InstallWidgetHooks();
    // In a batch run no box may wait for an answer: messages go to standard error and questions
    // take their safe answer.
    StderrMessageSink batchSink;
    if (switches.isBatch()) {
        SetMessageSink(&batchSink);
        SetLogViewerHook({});
    }

    TFormMain window(switches);
    QObject::connect(&window, &TTemplateMain::ended, &app, &QCoreApplication::exit);
    window.FormCreate();
    if (!switches.isBatch())
        window.show();
    return window.finish(app.exec());
}
