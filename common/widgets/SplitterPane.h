#pragma once

#include <QObject>

class QSplitter;

// One pane of a splitter that keeps the size the user gave it (a chart's height, a panel's width):
// the window's resizes go to the other panes, and a size set before the splitter is laid out (at
// start-up, or while its tab is not shown) is applied as it stands once the splitter has its real
// size. Until then size() gives back the size that was set, so a layout that was never shown is saved
// unchanged.
class TSplitterPane : public QObject {
    Q_OBJECT
public:
    TSplitterPane(QSplitter *splitter, int pane, int designedSize);

    int size() const;
    void setSize(int size);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool apply();

    QSplitter *m_splitter;
    int m_pane;
    int m_pending = -1;
};
