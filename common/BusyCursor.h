#pragma once

#include <QString>
#include <functional>

// The nesting busy state that wraps every long operation. While a section is open the hourglass
// shows and the commands of the windows stay disabled.
void BeginBusyCursor();
void EndBusyCursor();
bool IsNotBusy();
int BusyCount();

// The widgets layer shows the cursor: called with true when the hourglass is to show, false for the
// default cursor.
void SetBusyCursorHook(std::function<void(bool)> hook);
// Called when the last busy section closes, so that the main window enables its commands again at
// once instead of at its next periodic update.
void SetBusyEndedHook(std::function<void()> hook);

// Opens a busy section for its own lifetime.
class BusySection {
public:
    BusySection() { BeginBusyCursor(); }
    ~BusySection() { EndBusyCursor(); }
    BusySection(const BusySection &) = delete;
    BusySection &operator=(const BusySection &) = delete;
};

// Writes the text into the main window's status bar (through the installed hook) and processes the
// pending window messages once, so that the text shows during a long operation.
void SetStatusText(const QString &text);
void SetStatusTextHook(std::function<void(const QString &)> hook);
// The text last written with SetStatusText (what the running operation says it does).
QString StatusText();

// Processes the pending window messages once.
void ProcessMessages();
// Waits the given milliseconds while the windows keep working; 0 or less processes messages once.
void DelayWithMessages(int milliseconds);
