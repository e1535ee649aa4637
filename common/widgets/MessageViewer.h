#pragma once

#include <QColor>
#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QTextEdit;
class QTimer;

// The stay-on-top window that lists messages of long operations in colour: a read-only text
// without word wrap, a status bar with the message count, a menu and a pop-up menu.
// There is at most one; closing it frees it.
class TFormMsgViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMsgViewer(QWidget *parent = nullptr);
    ~TFormMsgViewer() override;

    // Adds the trimmed text in the colour and style (TLogFontStyle bits), after an empty line when
    // the list already holds messages. An empty text adds nothing.
    void AddMessageLine(const QString &text, const QColor &color, unsigned style = 0);

    int messageCount() const { return m_count; }
    QTextEdit *msgList() const { return m_msgList; }
    QString statusText() const;
    QMenu *popupMenu() const { return m_popup; }

    QAction *actEditSelectAll() const { return m_actSelectAll; }
    QAction *actEditCopy() const { return m_actCopy; }
    QAction *actCloseMsgs() const { return m_actClose; }

    // Enables the actions as the busy state allows.
    void updateActions();

private:
    void closeMsgs();

    QTextEdit *m_msgList;
    QLabel *m_status;
    QMenu *m_popup;
    QAction *m_actSelectAll;
    QAction *m_actCopy;
    QAction *m_actClose;
    QTimer *m_updateTimer;
    int m_count = 0;
};

// The open message viewer, or nullptr.
TFormMsgViewer *MessageViewer();

// Adds a message to the viewer, opening it when none is open; an empty caption keeps the
// window's caption. The window is shown and brought to the front.
void ShowLogMessage(const QString &caption, const QString &text, const QColor &color, unsigned style = 0);

// Sends the operation log's messages for the viewer (warnings and errors of file operations) here.
void InstallMessageViewer();
