#include "tests/support/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

void SaveScreenshot(QWidget &widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("VENDRA_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget.show();
    QApplication::processEvents();
    widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
