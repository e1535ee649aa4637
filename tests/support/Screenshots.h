#pragma once

#include <QString>

class QWidget;

// Saves a picture of the widget as <name>.png into the folder named by the environment variable
// VENDRA_SCREENSHOTS, for a person to look at; does nothing when the variable is not set.
void SaveScreenshot(QWidget &widget, const QString &name);
