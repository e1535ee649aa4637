#pragma once

#include <QWidget>

class QLabel;
class QFrame;

// The borderless window that shows one text while a long step runs. There is at most one; it is
// not modal, so the caller's loop keeps running and paints it by processing messages.
class TFormWait : public QWidget {
    Q_OBJECT
public:
    explicit TFormWait(QWidget *parent = nullptr);

    void setInfoText(const QString &text);
    QString infoText() const;
    QLabel *infoLabel() const { return m_infoLabel; }

    static constexpr int kClientWidth = 355;
    static constexpr int kClientHeight = 77;
    static constexpr int kLabelWidth = 346;
    static constexpr int kLabelMinHeight = 10;
    static constexpr int kLabelMaxHeight = 53;

private:
    QFrame *m_infoPanel;
    QLabel *m_infoLabel;
};

// Opens the wait window when there is none (or reuses it), shows the text centred in it,
// repaints it and processes the pending window messages once.
void ShowWait(const QString &text);
// The same for an open wait window; nothing when none is open.
void UpdateWait(const QString &text);
// Closes the wait window when there is one.
void HideWait();
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
