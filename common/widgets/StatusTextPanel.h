#pragma once

#include <QLabel>

class QStatusBar;

// The free panel of a status bar: the text of the operation in progress or the hint of a command. A
// text longer than the room the other panels leave is shown across the whole bar, the other panels
// hidden meanwhile, so that it reads whole (how far the operation got included); the panels come back
// with a text that fits, or when the bar has grown wide enough. The other panels are as wide as their
// texts, so that the free one has all the room left.
class TStatusTextPanel : public QLabel {
    Q_OBJECT
public:
    explicit TStatusTextPanel(QStatusBar *bar);

    void setStatusText(const QString &text);
    // The text takes the whole bar (the other panels are hidden).
    bool spansBar() const { return m_spans; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit();

    QStatusBar *m_bar;
    bool m_spans = false;
};
