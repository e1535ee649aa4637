#pragma once

#include "app/stakes/StakeRecord.h"

#include <QWidget>

#include <functional>

class QAction;
class TCombsPage;
class TDrawsArchive;
class TQOwnerDrawGrid;
class TStakesFile;
struct MainOptions;

// What the stakes page takes from the main window.
struct TStakesPageLinks {
    TDrawsArchive *archive = nullptr;
    // The combinations list stakes are made from (none: those commands stay disabled).
    TCombsPage *combs = nullptr;
    MainOptions *options = nullptr;
    // The main window's draws offset.
    std::function<int()> drawsOffset;
    // Checks the stakes against the archive (ratings and logs included).
    std::function<void()> checkStakes;
    // Rebuilds the ratings after every stake was removed (asks its own question).
    std::function<void()> refreshRatings;
    // Shows the number of stakes in the status bar.
    std::function<void()> showCount;
};

// The dialogs the commands open; tests give their own answers.
struct TStakesDialogs {
    std::function<bool(QWidget *, TStakeRec &, int &)> stake;
    std::function<bool(QWidget *, int &, int &, QString &)> multi;
    std::function<bool(QWidget *, int &, int &)> filter;
};

// The "Ставки" tab: the stakes file as a grid, one row a record, with the commands that place stakes by
// hand or from the combinations list, delete them and export the grid, and the stake options.
class TStakesPage : public QWidget {
    Q_OBJECT
public:
    TStakesPage(TStakesFile &stakes, TStakesPageLinks links, QWidget *parent = nullptr);

    static QString caption();
    // The comment of the stakes placed by hand.
    static QString manualComment();

    TQOwnerDrawGrid *grid() const { return m_grid; }
    void setDialogs(TStakesDialogs dialogs) { m_dialogs = std::move(dialogs); }

    // The grid follows the file: with resize or goToLast its row count is set to the records' (the
    // current row moved to the last with goToLast); with resize and no change of count it is repainted.
    void refreshList(bool resize, bool goToLast);
    // The grid rows of the selection (top, bottom); (-1, -1) without one.
    std::pair<int64_t, int64_t> selectedRows() const;

    // A manual stake for the next draw (after the draws offset) on the combination.
    TStakeRec newManualStake(const TComb *comb) const;

    void updateActions();

    // The commands.
    void stakeAdd();
    void stakeAddRandom();
    void stakeAddSelected();
    void stakeAddAll();
    void stakeDel();
    void stakeFilter();
    void stakeClear();
    void stakesXlsExport();
    void logStakesDelete();
    void stakesCheckManual();

    // The single-stake addition: the stake for that many draws ("Создание ставки..."), checked at once,
    // the list moved to the new row.
    void addStake(const TStakeRec &rec, int draws);

    QAction *addAction() const { return m_actAdd; }
    QAction *addRandomAction() const { return m_actAddRandom; }
    QAction *addSelectedAction() const { return m_actAddSelected; }
    QAction *addAllAction() const { return m_actAddAll; }
    QAction *delAction() const { return m_actDel; }
    QAction *filterAction() const { return m_actFilter; }
    QAction *clearAction() const { return m_actClear; }
    QAction *xlsExportAction() const { return m_actXlsExport; }
    QAction *logStakesAction() const { return m_actLog; }
    QAction *scrollAction() const { return m_actScroll; }
    QAction *checkLineAction() const { return m_actCheckLine; }
    QAction *logStakesDeleteAction() const { return m_actLogDelete; }
    QAction *checkManualAction() const { return m_actCheckManual; }

private:
    void buildGrid();
    void buildActions();
    QAction *makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                        Qt::ShortcutContext context, void (TStakesPage::*command)());
    QAction *makeToggle(const QString &caption, const QString &name, bool MainOptions::*option);
    TStakeRec recordAt(int row) const;
    void drawCell(QPainter *painter, const QRect &rect, int col, int row, bool selected) const;
    void addOne(TStakeRec rec);
    void addMany(bool selectedOnly);
    void afterDelete(bool ok);
    bool stakesOpen() const;
    bool combsAny() const;
    void guarded(const std::function<void()> &command);

    TStakesFile &m_stakes;
    TStakesPageLinks m_links;
    TStakesDialogs m_dialogs;
    TQOwnerDrawGrid *m_grid = nullptr;
    mutable bool m_readErrorQueued = false;

    QAction *m_actAdd = nullptr;
    QAction *m_actAddRandom = nullptr;
    QAction *m_actAddSelected = nullptr;
    QAction *m_actAddAll = nullptr;
    QAction *m_actDel = nullptr;
    QAction *m_actFilter = nullptr;
    QAction *m_actClear = nullptr;
    QAction *m_actXlsExport = nullptr;
    QAction *m_actLog = nullptr;
    QAction *m_actScroll = nullptr;
    QAction *m_actCheckLine = nullptr;
    QAction *m_actLogDelete = nullptr;
    QAction *m_actCheckManual = nullptr;
};
