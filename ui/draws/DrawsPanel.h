#pragma once

#include "ui/draws/DrawsListModel.h"
#include "app/draws/DrawsArchive.h"

#include <QWidget>
#include <bitset>
#include <functional>

class QAction;
class QLabel;
class QSpinBox;
class QTableView;

// The draws page of the main window: the draws list (newest first), the draws offset that hides the
// newest draws from analysis, and the commands that add, edit and delete draws.
class TDrawsPanel : public QWidget {
    Q_OBJECT
public:
    TDrawsPanel(TDrawsArchive &archive, QWidget *parent = nullptr);

    QTableView *list() const { return m_list; }
    TDrawsListModel *model() const { return m_model; }
    QSpinBox *offsetEdit() const { return m_offsetEdit; }

    QAction *addAction() const { return m_actAdd; }
    QAction *editAction() const { return m_actEdit; }
    QAction *deleteAction() const { return m_actDelete; }
    QAction *sortedAction() const { return m_actSorted; }

    int drawsOffset() const { return m_offset; }
    // Stores a new offset, updates the list and the status and refreshes the views.
    void setDrawsOffset(int offset);
    // The main numbers of the first hidden draw (empty when the offset is 0 or out of range).
    const std::bitset<kMaxNumber + 1> &hiddenDrawNumbers() const { return m_hiddenNumbers; }

    // Sets the list's item count (always when forced, else when it differs), recomputes the hidden
    // draw and the status texts.
    void updateDrawsInfo(bool force);

    // The options that change how the list shows the draws.
    void setSortedDraws(bool sorted);
    void setColorDraws(bool colored);
    void setChannelSize(int size) { m_channelSize = size; }

    // Enables the commands for the current state; busy sections disable them all.
    void updateActions();

    // Selected draws as indexes of the draws array, newest first.
    std::vector<int> selectedDrawIndexes() const;

    // The commands; each saves the archive after its change.
    void drawsAdd();
    void drawsEdit();
    void drawsDel();
    void drawsSorted();

    // The draw entry dialog; tests replace it to answer without a window.
    using DrawDialogFunc = std::function<bool(const QString &caption, TDrawRec &draw)>;
    void setDrawDialog(DrawDialogFunc func) { m_dialog = std::move(func); }

signals:
    // The status panels: archive size, next draw number, the numbers of the newest hidden draw.
    void drawsInfoChanged(int count, int nextDraw, const QString &numbersText);
    // The analysis views must recompute (fully when the flag is set).
    void refreshViewsRequested(bool full);
    // An option was toggled by the user.
    void sortedDrawsToggled(bool sorted);

private:
    void saveAndRefresh();
    void placeOffsetEdit();
    void resizeEvent(QResizeEvent *event) override;

    TDrawsArchive &m_archive;
    TDrawsListModel *m_model;
    QTableView *m_list;
    QWidget *m_top;
    QLabel *m_offsetLabel;
    QSpinBox *m_offsetEdit;
    QAction *m_actAdd;
    QAction *m_actEdit;
    QAction *m_actDelete;
    QAction *m_actSorted;
    int m_offset = 0;
    bool m_sorted = false;
    int m_channelSize = 5;
    std::bitset<kMaxNumber + 1> m_hiddenNumbers;
    DrawDialogFunc m_dialog;
    std::function<QString(const TDrawRec &)> m_drawCheck; // the rule for the draw being entered
};
