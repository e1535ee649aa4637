#pragma once

#include "common/Dialogs.h"

// A box taller than the screen could not be answered: a text of more than maxLines lines shows its
// first lines and its last three, and the whole text goes into details (empty when nothing was cut).
inline constexpr int kMaxMessageBoxLines = 30;
QString ShortenLongMessage(const QString &display, int maxLines, QString &details);

class QWidget;
// The window a message box belongs to and opens centred on: the open modal dialog, else the active
// window, else (no window active, or only a wait or progress window) the main window.
QWidget *MessageBoxOwner();
// Moves the window where a message box of the same moment opens: centred on the box's owner (not the
// window itself), kept on the screen (KeepWindowOnScreen); centred on the primary screen when there is
// no owner.
void PlaceLikeMessageBox(QWidget *window);
// Keeps the window on its screen (KeepWindowOnScreen) each time it is shown, whatever placement it was
// given or kept from a larger screen.
void KeepInsideScreenWhenShown(QWidget *window);

// Shows the program's message boxes as the application's modal boxes.
class WidgetMessageSink : public IMessageSink {
public:
    int show(const QString &caption, const QString &text, unsigned flags) override;
};

// Connects the busy cursor, the status text and the message boxes to the widgets: the hourglass is
// the application's override cursor, the status text goes to the main window's "StatusBar", and the
// boxes are the application's modal boxes; the messages of long operations go to the message viewer.
void InstallWidgetHooks();

// Writes the text into the status bar named "StatusBar" of the application's main window: into its
// panel whose index is the bar's "Tag" property when it has panels, else as its simple text.
// Without such a window or bar nothing changes.
void WriteMainStatusBar(const QString &text);

class QObject;
// Cuts every connection from the receiver's own children to it. A page calls it first thing in its
// destructor: children that are destroyed later may still signal (a spin box losing the focus ends its
// editing), and the page's part of the object is gone by then.
void DisconnectChildrenFrom(QObject *receiver);
