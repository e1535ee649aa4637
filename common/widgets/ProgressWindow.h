#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// The borderless window with a text and a gauge for an operation with a known number of steps.
// There is at most one; it is not modal.
class TFormProgress : public QWidget {
    Q_OBJECT
public:
    explicit TFormProgress(QWidget *parent = nullptr);

    QString text() const;
    int position() const;
    int maximum() const;
    // True once the stop button was clicked (it is disabled then).
    bool stopRequested() const { return m_stopRequested; }

    QLabel *textLabel() const { return m_text; }
    QProgressBar *gauge() const { return m_gauge; }
    QPushButton *stopButton() const { return m_btnStop; }

    static constexpr int kClientWidth = 416;
    static constexpr int kHeightWithoutStop = 74;
    static constexpr int kHeightWithStop = 105;

private:
    friend void ShowProgress(const QString &, int, bool);
    friend void SetProgressText(const QString &);
    friend void StepProgress(int);

    void setup(const QString &text, int maxValue, bool showStop);
    void onStopClicked();

    QLabel *m_text;
    QProgressBar *m_gauge;
    QPushButton *m_btnStop;
    bool m_stopRequested = false;
};

// Opens the progress window with the text, a gauge from 0 to maxValue and, when asked, the stop
// button. Raises Exception "Окно индикатора уже создано!" when one is already open (that one is
// left as it is).
void ShowProgress(const QString &text, int maxValue, bool showStop = false);
// Changes the text of the open window; nothing when none is open.
void SetProgressText(const QString &text);
// Moves the gauge on by delta, never past its maximum nor below 0; nothing when none is open.
void StepProgress(int delta = 1);
// Closes the window when there is one.
void CloseProgress();
// Repaints the open window and processes the pending window messages once.
void RepaintProgress();
// The open progress window, or nullptr.
TFormProgress *ProgressWindow();
// True when the open window's stop button was clicked.
bool ProgressStopRequested();

// Opens the progress window for its own lifetime. When the window cannot be opened the
// constructor throws, so a guard never closes a window that another operation opened.
class ProgressGuard {
public:
    ProgressGuard(const QString &text, int maxValue, bool showStop = false)
    {
        ShowProgress(text, maxValue, showStop);
    }
    ~ProgressGuard() { CloseProgress(); }
    ProgressGuard(const ProgressGuard &) = delete;
    ProgressGuard &operator=(const ProgressGuard &) = delete;
};
