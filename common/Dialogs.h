#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// Results of the message boxes, as the callers test them.
enum MessageResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Buttons, icons and default button of a message box.
enum MessageFlags : unsigned {
    MB_OK = 0x0,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
};

// Where the message boxes go: the application's modal boxes in the window, standard error in a
// batch run, a scripted responder in the tests.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // Shows the text ("\r" is a line break) and returns IDOK, IDYES or IDNO.
    virtual int show(const QString &caption, const QString &text, unsigned flags) = 0;
};

// Installs the sink for every box that follows; nullptr restores the standard-error sink.
void SetMessageSink(IMessageSink *sink);
IMessageSink &CurrentMessageSink();

// Writes every box to standard error and gives the safe answer: OK, or No to a question.
class StderrMessageSink : public IMessageSink {
public:
    int show(const QString &caption, const QString &text, unsigned flags) override;
};
// True when a box written to standard error so far held the text.
bool PrintedOnStderr(const QString &text);

// The fixed captions.
QString ErrorCaption();
QString InfoCaption();
QString AttentionCaption();
QString WarningCaption();
QString ConfirmCaption();

int ShowErrorBox(const QString &text);
int ShowInfoBox(const QString &text);
int ShowAttentionBox(const QString &text);
int ShowWarningBox(const QString &text);
int AskYesNo(const QString &caption, const QString &text);
int AskYesNoDefaultNo(const QString &caption, const QString &text);
int ConfirmBox(const QString &text);
int ConfirmBoxDefaultNo(const QString &text);
// Asks whether to delete the selected records; true only on Yes.
bool ConfirmDeleteRecords(int count);

// Runs a user command; a failure is shown in an error box with its text. False when it failed.
bool RunCommand(const std::function<void()> &command);
