#pragma once

#include "common/DataFolderLock.h"
#include "common/FormStore.h"
#include "app/settings/CommandLine.h"
#include "app/draws/DrawsArchive.h"
#include "app/draws/DrawsDownloader.h"
#include "app/settings/MainOptions.h"
#include "app/settings/ProxySettings.h"
#include "app/stakes/StakesFile.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class TSplitterPane;
class QTabWidget;
class QTableView;
class QTimer;
class TCombsPage;
class TDrawsCsvActions;
class TPrefetchFeature;
class TCardWeekFeature;
class TGraphsFeature;
class THelpFeature;
class TUpdateFeature;
class TLayoutFeature;
class TStakesFeature;
class TSystemsPage;
class TScenarioPage;
class TScenarioRunFeature;
class TScriptCatalogPanel;
class TStatSettingsActions;
class TDrawsPanel;
class TStatisticsPage;

// The main window of the program: it owns the draws archive and the other in-memory data, runs the
// start-up sequence, and hosts one widget per feature. The game's own window class derives from it.
class TTemplateMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TTemplateMain(const TStartSwitches &switches, QWidget *parent = nullptr);
    ~TTemplateMain() override;

    // The window creation steps; the game's class installs its own parts first.
    virtual void FormCreate();

    // Downloads every month from the newest stored draw to today, saving the archive after each
    // month with new draws; returns the number appended.
    virtual int DownloadDraws();
    const TDownloadResult &lastDownload() const { return m_lastDownload; }

    TDrawsArchive &archive() { return m_archive; }
    TDrawsPanel *drawsPanel() const { return m_drawsPanel; }
    TStatisticsPage *statisticsPage() const { return m_statisticsPage; }
    TCombsPage *combsPage() const { return m_combsPage; }
    TScenarioPage *scenarioPage() const { return m_scenarioPage; }
    TScenarioRunFeature *scenarioRun() const { return m_scenarioRun; }
    QTabWidget *mainPages() const { return m_mainPages; }
    QTabWidget *leftPages() const { return m_leftPages; }
    // A menu of the menu bar by its object name ("menuDraws", "menuCombs", "menuStat", "menuScript",
    // "menuOptions", "menuFile"); nullptr when there is none.
    QMenu *findMenu(const QString &objectName) const;
    QLabel *statusPanel(int index) const { return m_statusPanels[static_cast<size_t>(index)]; }
    const TStartSwitches &switches() const { return m_switches; }
    TStakesFile &stakes() { return m_stakes; }
    // Checks the stakes against the draws of the archive and shows their count.
    void checkStakes();
    void refreshStakesCount();
    MainOptions &options() { return m_options; }
    TProxy &proxy() { return m_proxy; }

    // Writes a text into the free status panel and lets the window paint it.
    void ShowStatusText(const QString &text);
    // Recomputes the analysis views unless the views are locked.
    void RefreshViews(bool full);
    // Each analysis view registers how it refreshes itself.
    void addView(std::function<void(bool full)> refresh) { m_views.push_back(std::move(refresh)); }
    // Each feature registers how its commands are enabled; run with the window's own commands.
    void addActionUpdater(std::function<void()> update) { m_actionUpdaters.push_back(std::move(update)); }
    void setViewsLocked(bool locked) { m_viewsLocked = locked; }

    // The number of combinations that share 0..6 numbers with a draw, and their shares.
    const std::array<int64_t, 7> &matchCounts() const { return m_matchCounts; }
    const std::array<long double, 7> &matchShares() const { return m_matchShares; }
    int allCombinationsCount() const { return m_allCombs; }

    // The one-shot initialisation that follows the window's creation (run by its timer).
    void tmrInitTimer();

    // The window's caption (its source text): shown in the interface language, with the version once
    // the start-up has run.
    void setProgramTitle(const QString &source);

    // True once the start-up failed in a way that a batch run must report.
    bool batchFailed() const { return m_batchFailed; }

    // Ends the window's life once the event loop has returned the status: the settings store is written
    // as the window goes. Returns the program's exit status: a batch run that could not read or write
    // one of its files ends with a failure status.
    int finish(int status);

    // Ends the program; a batch run ends with a failure status when its work failed. The end is
    // announced by ended() once the event loop runs again, never while the window is gone.
    void terminateApplication();

signals:
    // The program ends with this status (0, or 1 for a batch run that failed): whoever runs the
    // application's event loop ends it.
    void ended(int status);
    // The interface language changed: texts made from data (counts in the status panels) are made
    // again in the new language.
    void languageChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    // The close query: false while a scenario runs (it is asked to stop, and the window closes once it
    // has ended).
    bool FormCloseQuery();
    // Saves what the window owns in the settings store and frees the lists.
    void FormDestroy();
    void setBatchFailed() { m_batchFailed = true; }

private:
    void buildWindow();
    // Files this window could not read or write so far.
    bool metFileFailures() const;
    // The commands and the menu bar: buildActions runs the parts below in this order.
    void buildActions();
    void buildOwnActions();
    void buildActionFeatures();
    void buildDataMenus(); // "Файл", "Тиражи", "Комбинации"
    void buildAnalysisMenus(); // "Статистика", "Сценарий"
    void buildOptionsMenu();
    void installFeatures();
    void removeLeftovers();
    void updateActions();
    void loadDraws();
    void reportInitError(const std::exception &e);
    void rebuildPrefetchs(int groups);
    bool waitForPreviousCopy();
    // True when the window holds the data folder (locked, and cleared of what killed saves left in it,
    // as the window was made); otherwise shows why the program closes, ends it and gives false.
    bool takeDataFolder();
    // Shows the files that readers went on without (settings read as their defaults).
    void showDeferredReadFailures();
    void applyOptions();
    void saveSettings();
    // The lists and the grid whose layouts (sort, column widths) the window keeps between starts.
    std::vector<QTableView *> keptLists() const;
    QTableView *stakesGrid() const;
    void drawsDownload();
    void startDownload();
    void setDrawsStatus(int count, int nextDraw, const QString &numbersText);
    void updateTitle();
    void retranslateStatus();

    TStartSwitches m_switches;
    TDataFolderLock m_folderLock;
    std::optional<TIniFileRun> m_settingsRun; // the settings files read once, while the folder is ours
    bool m_previousCopyEnded = true;
    int m_readFailuresAtStart = 0; // read failures met before this window: a batch run counts its own
    int m_writeFailuresAtStart = 0; // the same for writes
    TDrawsArchive m_archive;
    TStakesFile m_stakes;
    MainOptions m_options;
    MainLayoutSizes m_sizes;
    TProxy m_proxy;
    TDownloadResult m_lastDownload;

    QSplitter *m_splitter = nullptr;
    TSplitterPane *m_leftPane = nullptr;
    QTabWidget *m_leftPages = nullptr;
    QTabWidget *m_mainPages = nullptr;
    TDrawsPanel *m_drawsPanel = nullptr;
    TStatisticsPage *m_statisticsPage = nullptr;
    TCombsPage *m_combsPage = nullptr;
    TScenarioPage *m_scenarioPage = nullptr;
    TStatSettingsActions *m_statActions = nullptr;
    TDrawsCsvActions *m_drawsCsv = nullptr;
    TPrefetchFeature *m_prefetch = nullptr;
    TStakesFeature *m_stakesFeature = nullptr;
    TSystemsPage *m_systems = nullptr;
    TLayoutFeature *m_layoutFeature = nullptr;
    THelpFeature *m_helpFeature = nullptr;
    TCardWeekFeature *m_cardWeek = nullptr;
    TUpdateFeature *m_update = nullptr;
    TScriptCatalogPanel *m_scriptCatalog = nullptr;
    TGraphsFeature *m_graphs = nullptr;
    TScenarioRunFeature *m_scenarioRun = nullptr;
    std::array<QLabel *, 7> m_statusPanels{};
    QTimer *m_initTimer = nullptr;
    QTimer *m_actionTimer = nullptr;
    QAction *m_actExit = nullptr;
    QAction *m_actDownload = nullptr;
    QAction *m_actProxy = nullptr;
    QAction *m_actAutoUpdates = nullptr;
    std::array<QAction *, 3> m_actAutoDownload{};

    std::vector<std::function<void(bool)>> m_views;
    std::vector<std::function<void()>> m_actionUpdaters;
    std::array<int64_t, 7> m_matchCounts{};
    std::array<long double, 7> m_matchShares{};
    int m_allCombs = 0;

    bool m_viewsLocked = false;
    bool m_batchFailed = false;
    bool m_destroyed = false;
    bool m_terminating = false;
    bool m_shownOnce = false;
    QString m_titleSource;
    bool m_titleVersion = false;
    struct {
        int count = 0;
        int nextDraw = 0;
        QString numbersText;
    } m_drawsStatus;
};
