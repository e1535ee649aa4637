#pragma once

#include "common/widgets/ListView.h"
#include "app/combinations/CombsFilter.h"
#include "app/combinations/CombsList.h"

#include <QWidget>
#include <functional>

class QAction;
class QSpinBox;
class QSplitter;
class TSplitterPane;
class TCustomStat;
class TDrawsArchive;
class TStatList;
class TStatisticsPage;
struct MainOptions;

// The "Комбинации" tab: the working list of combinations (generated, loaded or pasted, then cut down
// by filters, by the recent draws or by hand) above the log of the steps applied to it.
class TCombsPage : public QWidget {
    Q_OBJECT
public:
    TCombsPage(TDrawsArchive &archive, TStatList &stats, MainOptions &options, QWidget *parent = nullptr);

    static QString caption();
    // "Комбинаций: %d", the text of the main window's status panel.
    static QString countText(qint64 count);

    TCombsList &combs() { return m_combs; }
    const TCombsList &combs() const { return m_combs; }
    TQSortListView *combsList() const { return m_lvCombs; }
    TQSortListView *filtersList() const { return m_lvFilters; }
    QSpinBox *excludeEdit() const { return m_edExclude; }
    QSplitter *splitter() const { return m_splitter; }

    // The draws offset of the main window; 0 without a source.
    void setDrawsOffsetSource(std::function<int()> source) { m_offsetSource = std::move(source); }
    // Opens the information window of a combination; the command stays disabled without it.
    void setCombInfoHandler(std::function<void(const TComb &)> handler) { m_infoHandler = std::move(handler); }

    // Start-up: room for every combination in the list and in the undo copy.
    void initCapacity(int64_t allCombinations);
    // Start-up: the list generated with the stored generation settings.
    void generateDefault();

    // The exclusion edit ("DrawsExclude"); setting it does not announce a change.
    int drawsExclude() const;
    void setDrawsExclude(int value);
    // The height of the filter log under the list ("FiltersHeight").
    int filtersHeight() const;
    void setFiltersHeight(int height);
    // Repaints the list after a change of its colour option or of the channel size.
    void refreshList();

    // The filters by the rows selected in the statistics table: the two commands are placed on that
    // page (its table's menu and shortcuts).
    void attachStatisticsPage(TStatisticsPage *page);
    QAction *statIncludeAction() const { return m_actStatInclude; }
    QAction *statExcludeAction() const { return m_actStatExclude; }
    // Keeps (or deletes) the combinations with one of the values selected in the statistics table, tested
    // by stat, or by the statistic of the method shown there when stat is nullptr. Raises what the
    // statistic raises (the list is then as before the step).
    void FilterCombsByStat(TCustomStat *stat, bool deleting);
    // The values of the rows selected in the statistics table (in table order) and their captions.
    TFilterSelection statSelection() const;
    // What a filter step needs of the draws now.
    TFilterDraws filterDraws() const;

    // Enables the commands for the current state; busy sections disable them all.
    void updateActions();

    // The commands (the actions run them).
    void combsGen();
    void combsOpen();
    void combsSave();
    void combsUndo();
    void combsDelExists();
    void combsDelSelected();
    void combsCopy();
    void combsPaste();
    void combsSelectAll();
    void combsCheckNums();
    void combsFindInDraws();
    void combsInfo();
    void statFilter(bool deleting);

    // The selected rows of the list as runs.
    TRowRanges selectedRanges() const;
    // The first selected row, -1 without a selection.
    int64_t selectedRow() const;

    QAction *genAction() const { return m_actGen; }
    QAction *openAction() const { return m_actOpen; }
    QAction *saveAction() const { return m_actSave; }
    QAction *undoAction() const { return m_actUndo; }
    QAction *delExistsAction() const { return m_actDelExists; }
    QAction *delSelectedAction() const { return m_actDelSelected; }
    QAction *copyAction() const { return m_actCopy; }
    QAction *pasteAction() const { return m_actPaste; }
    QAction *selectAllAction() const { return m_actSelectAll; }
    QAction *checkNumsAction() const { return m_actCheckNums; }
    QAction *findInDrawsAction() const { return m_actFindInDraws; }
    QAction *infoAction() const { return m_actInfo; }

signals:
    // The list's count changed (the status panel "Комбинаций: %d" follows it).
    void combsCountChanged(qint64 count);
    // The user changed the exclusion edit: the main window sets its draws offset to the value.
    void drawsExcludeChanged(int value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLists();
    void buildActions();
    QAction *makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                        void (TCombsPage::*command)());
    void showCount(qint64 count);
    void showFilterLog();
    int drawsOffset() const { return m_offsetSource ? m_offsetSource() : 0; }
    // Runs a user command unless the program is busy, and reports what it raises.
    void guarded(const std::function<void()> &command);

    TDrawsArchive &m_archive;
    TStatList &m_stats;
    MainOptions &m_options;
    TCombsList m_combs;

    TQSortListView *m_lvCombs;
    TQSortListView *m_lvFilters;
    QSplitter *m_splitter;
    TSplitterPane *m_filtersPane = nullptr;
    QSpinBox *m_edExclude;
    TStatisticsPage *m_statPage = nullptr;

    QAction *m_actGen = nullptr;
    QAction *m_actOpen = nullptr;
    QAction *m_actSave = nullptr;
    QAction *m_actUndo = nullptr;
    QAction *m_actDelExists = nullptr;
    QAction *m_actDelSelected = nullptr;
    QAction *m_actCopy = nullptr;
    QAction *m_actPaste = nullptr;
    QAction *m_actSelectAll = nullptr;
    QAction *m_actCheckNums = nullptr;
    QAction *m_actFindInDraws = nullptr;
    QAction *m_actInfo = nullptr;
    QAction *m_actStatInclude = nullptr;
    QAction *m_actStatExclude = nullptr;

    std::function<int()> m_offsetSource;
    std::function<void(const TComb &)> m_infoHandler;
};
