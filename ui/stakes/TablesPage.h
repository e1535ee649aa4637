#pragma once

#include "app/stakes/StakeTables.h"

#include <QWidget>

#include <functional>

class QAction;
class QTabWidget;
class TCombsPage;
class TDrawsArchive;
class TQSortListView;
class TStakesFile;

// What the tables page takes from the main window.
struct TTablesPageLinks {
    TDrawsArchive *archive = nullptr;
    TStakesFile *stakes = nullptr;
    // The combinations list: its selection starts new tables, its size is the stakes' sample.
    TCombsPage *combs = nullptr;
    // The page control that shows the page (its tab is hidden and shown by TabTables).
    QTabWidget *pages = nullptr;
    // The main window's draws offset and its change (the views follow it unless locked).
    std::function<int()> drawsOffset;
    std::function<void(int)> setDrawsOffset;
    std::function<void(bool)> lockViews;
    // The single-stake addition: the stake for that many draws, checked at once, the list moved to it.
    std::function<void(const TStakeRec &, int draws)> addStake;
    // Checks the stakes and refreshes the stakes list moved to its end (after a test).
    std::function<void()> checkStakes;
};

// The dialogs the commands open; tests give their own answers.
struct TTablesDialogs {
    std::function<bool(QWidget *, const QStringList &names, int selectedCount, TTableRec &)> table;
    std::function<int(int maximum, QWidget *)> testCount;
    std::function<bool(QWidget *, TStakeRec &, int &draws)> stake;
};

// The "Регуляры" tab: the regular stakes tables of "Vendra.ltb" with the commands that add and delete
// them, make a stake from one, and test them over past draws. The file is read and written only while
// the tab is shown; hiding the tab empties the tables in memory.
class TTablesPage : public QWidget {
    Q_OBJECT
public:
    explicit TTablesPage(TTablesPageLinks links, QWidget *parent = nullptr);

    static QString caption();
    // The option key of the tab's visibility.
    static QString tabKey();

    TStakeTables &tables() { return m_tables; }
    TQSortListView *tablesList() const { return m_list; }
    void setDialogs(TTablesDialogs dialogs) { m_dialogs = std::move(dialogs); }

    // Start-up: shows or hides the tab as the option says and loads the tables when shown.
    void LoadTables();
    bool isShown() const;
    // Shows or hides the tab, writes the option; shown: loads the tables and brings the tab to front,
    // hidden: empties the tables in memory.
    void setShown(bool shown);

    void refreshList();
    void updateActions();

    // The commands.
    void tabTables();
    void tablesAdd();
    void tablesDel();
    void tablesStakeAdd();
    void tablesStakeTest();

    QAction *tabAction() const { return m_actTab; }
    QAction *addAction() const { return m_actAdd; }
    QAction *delAction() const { return m_actDel; }
    QAction *stakeAddAction() const { return m_actStakeAdd; }
    QAction *stakeTestAction() const { return m_actStakeTest; }

private:
    QAction *makeAction(const QString &caption, const QString &name, void (TTablesPage::*command)());
    void guarded(const std::function<void()> &command);
    void saveTables();
    int drawsOffset() const;
    int sampleSize() const;
    std::vector<TSelectedComb> selectedCombs(int64_t limit) const;

    TTablesPageLinks m_links;
    TTablesDialogs m_dialogs;
    TStakeTables m_tables;
    TQSortListView *m_list = nullptr;
    QAction *m_actTab = nullptr;
    QAction *m_actAdd = nullptr;
    QAction *m_actDel = nullptr;
    QAction *m_actStakeAdd = nullptr;
    QAction *m_actStakeTest = nullptr;
};
