#pragma once

#include <QLabel>
#include <QList>

class QGridLayout;
class QStatusBar;

// The free panel of a status bar: the text of the operation in progress or the hint of a command, beside
// the panels of counts. The counts stay in view whatever the text: while the texts shown so far fit beside
// them the bar is one row; once one does not, the free panel goes above the counts across the whole bar
// and stays there until the bar is made wider, so that the bar never switches back and forth with the
// texts of a running operation. The count panels are as wide as their texts; a text longer than the
// whole bar is cut rather than widening the window.
class TStatusTextPanel : public QLabel {
    Q_OBJECT
public:
    // Puts the count panels (children of the bar) and the free panel, after them, on the bar.
    TStatusTextPanel(QStatusBar *bar, const QList<QLabel *> &counts);

    void setStatusText(const QString &text);
    // The free panel is a row of its own above the counts.
    bool twoRows() const { return m_twoRows; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit();
    void arrange();

    QStatusBar *m_bar;
    QList<QLabel *> m_counts;
    QWidget *m_box;
    QGridLayout *m_grid;
    int m_widest = 0;     // the widest text shown since the bar last grew
    int m_barWidth = -1;  // the bar's width when the texts were last measured
    bool m_twoRows = false;
};
