#pragma once

#include "common/BlockingWait.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

class QLabel;
class QFrame;
class QPushButton;

// The borderless window that shows one text while a long step runs. There is at most one; it is
// not modal, so the caller's loop keeps running and paints it by processing messages.
class TFormWait : public QWidget {
    Q_OBJECT
public:
    explicit TFormWait(QWidget *parent = nullptr);

    void setInfoText(const QString &text);
    QString infoText() const;
    QLabel *infoLabel() const { return m_infoLabel; }
    // Shows the button "Отмена" below the text (the window grows to hold it), or hides it again.
    void setCancellable(bool cancellable);
    QPushButton *cancelButton() const { return m_cancelButton; }

    static constexpr int kClientWidth = 355;
    static constexpr int kClientHeight = 77;
    static constexpr int kLabelWidth = 346;
    static constexpr int kLabelMinHeight = 10;
    static constexpr int kLabelMaxHeight = 53;
    static constexpr int kButtonRowHeight = 36;

signals:
    void cancelClicked();

private:
    void placeLabel();

    QFrame *m_infoPanel;
    QLabel *m_infoLabel;
    QPushButton *m_cancelButton;
};

// Opens the wait window when there is none (or reuses it), shows the text centred in it,
// repaints it and processes the pending window messages once.
void ShowWait(const QString &text);
// The same for an open wait window; nothing when none is open.
void UpdateWait(const QString &text);
// Closes the wait window when there is one.
void HideWait();
// Hides the open wait window while a message box asks the user something (its edges would show
// under the box), keeping it with its text; a later ShowWait or UpdateWait shows it again.
void SuspendWait();
// Shows the hidden wait window again; nothing when none is open.
void ResumeWait();
// The open wait window, or nullptr.
TFormWait *WaitWindow();

// Shows the wait window for its own lifetime.
class WaitGuard {
public:
    explicit WaitGuard(const QString &text) { ShowWait(text); }
    ~WaitGuard() { HideWait(); }
    WaitGuard(const WaitGuard &) = delete;
    WaitGuard &operator=(const WaitGuard &) = delete;
};

// The wait of a blocking request as the user sees it: once the request has lasted half a second,
// the wait window shows with the button "Отмена" (the open wait window gains it; else one opens
// with the text of the wait); the button or Esc cancels the request. The windows keep painting, and
// the user's input to every other window is dropped while the wait lasts, never kept to act once
// the request is over.
class TWaitWindowHost : public QObject, public IBlockingWaitHost {
    Q_OBJECT
public:
    static constexpr int kShowAfterMs = 500;

    TWaitWindowHost();
    ~TWaitWindowHost() override;

    void begin(const QString &text) override;
    bool poll() override;
    void end() override;

    // The window that shows the wait, once it shows.
    TFormWait *window() const { return m_window; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showWindow();
    void closeWindow();
    static bool within(QObject *watched, const QWidget *window);

    int m_depth = 0;
    bool m_cancelled = false;
    QString m_text;
    QElapsedTimer m_since;
    QPointer<TFormWait> m_window;
    bool m_ownWindow = false;
    // The dialog that was modal when the wait began: it waits too. One that opens during the wait
    // (a message of something the wait let run) gets its input, or nobody could close it.
    QPointer<QWidget> m_modalAtBegin;
    bool m_cursorPushed = false;
};
