#include "ui/window/TemplateMain.h"

#include "common/AtomicFile.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/FormStore.h"
#include "common/Languages.h"
#include "common/Translate.h"
#include "common/ProcessUtils.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "common/TempFile.h"
#include "common/widgets/FormLayouts.h"
#include "common/widgets/SplitterPane.h"
#include "common/widgets/WaitWindow.h"
#include "lottery/Combinatorics.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/CardWeekFeature.h"
#include "ui/draws/DrawsCsvActions.h"
#include "ui/statistics/GraphsPage.h"
#include "ui/window/HelpFeature.h"
#include "ui/draws/LayoutFeature.h"
#include "ui/scenarios/ScenarioLineDialog.h"
#include "ui/stakes/RatingsPage.h"
#include "ui/stakes/StakesFeature.h"
#include "ui/stakes/StakesPage.h"
#include "ui/stakes/TablesPage.h"
#include "common/widgets/StringGrid.h"
#include "ui/stakes/SystemsPage.h"
#include "ui/window/UpdateFeature.h"
#include "ui/combinations/PrefetchFeature.h"
#include "app/combinations/PrefetchCache.h"
#include "online/SystemsFolder.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/scenarios/ScenarioRunFeature.h"
#include "ui/scenarios/ScriptCatalogPanel.h"
#include "ui/statistics/StatSettingsActions.h"
#include "app/settings/ProxyListCandidates.h"
#include "ui/draws/DrawsPanel.h"
#include "common/widgets/StatusTextPanel.h"
#include "ui/window/ProxyDialog.h"
#include "ui/statistics/StatisticsPage.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QString ExclusiveAccessMessage()
{
    return Tr(u"Невозможно получить монопольный доступ к файлам данных!\r\r"
    u"Возможные причины данной ошибки: \r\r"
    u"1) Вы пытаетесь запустить вторую копию программы из одного и того же каталога. Корректная работа "
    u"нескольких копий программы возможна только из разных каталогов.\r\r"
    u"2) Для программы нет прав на запись в том каталоге, где она расположена. Например: в Windows 7 и выше "
    u"по умолчанию запрещена запись в c:\\Program Files.\r\r"
    u"Программа будет закрыта!");
}

// Each panel starts with its text for a count of 0.
constexpr std::array<const char16_t *, 7> kStatusPanels = {
    u"Архив тиражей: %d", u"Следующий тираж: %d", u"", u"Комбинаций: %d", u"Ставок: %d", u"Рейтинг: %d", u"",
};
// An empty panel still shows as one.
constexpr int kMinStatusPanelWidth = 40;
constexpr int kFreeStatusPanel = 6;
constexpr int kDesignedLeftPanelWidth = 420;

} // namespace

TTemplateMain::TTemplateMain(const TStartSwitches &switches, QWidget *parent)
    : QMainWindow(parent), m_switches(switches), m_readFailuresAtStart(FileReadFailureCount()),
      m_writeFailuresAtStart(FileWriteFailureCount()),
      m_archive(ProgramFilePath(u"Vendra.ldr"_s))
{
    ResetDeferredFileReadFailures(); // what came before the window is not the window's to show
    setObjectName(u"TTemplateMain"_s);
    // The data folder is locked before anything in it is read, features' options among them; a copy
    // started by a restart first waits for the copy that started it to end.
    m_previousCopyEnded = !m_switches.restart || waitForPreviousCopy();
    if (m_previousCopyEnded && m_folderLock.lock(GetProgramFolder())) {
        removeLeftovers();
        m_settingsRun.emplace(QStringList{GetFormFileName(), GetIniFileName()});
    }
    buildWindow();
    buildActions();
    // A copy refused the folder reads nothing of it: it only says why it closes.
    if (m_folderLock.isLocked())
        installFeatures();
    // A request that keeps the window waiting can be cancelled, and clicks meant for the window then
    // are dropped rather than acted on after it. A batch run has nobody to ask.
    if (!m_switches.isBatch()) {
        auto *waitHost = new TWaitWindowHost();
        waitHost->setParent(this);
        SetBlockingWaitHost(waitHost);
    }
    // The commands come back the moment the last busy section closes, not at the next periodic check.
    SetBusyEndedHook([this] {
        if (!m_destroyed)
            updateActions();
    });
}

void TTemplateMain::removeLeftovers()
{
    // What a killed run left: the temporaries of every folder written through them, and the
    // combinations buffer, a cache of one run only.
    for (const QString &folder : QStringList{GetProgramFolder(), GetProgramFolder() + u"Prefetchs/"_s, SystemsFolder()})
        RemoveLeftoverTemporaries(folder);
    QFile::remove(TCombsList::DefaultBufferFileName());
}

void TTemplateMain::installFeatures()
{
    m_stakesFeature = InstallStakes(*this);
    m_graphs = InstallGraphs(*this);
    m_cardWeek = InstallCardWeek(*this);
    m_layoutFeature = InstallLayoutFeature(*this);
    m_helpFeature = InstallHelpFeature(*this);
    InstallScenarioDialogs(*this);
    m_scenarioRun = InstallScenarioRun(*this);
    m_systems = InstallSystems(*this);
    m_update = InstallUpdate(*this);
    m_scriptCatalog = InstallScriptCatalog(*this);
}

TTemplateMain::~TTemplateMain()
{
    SetBusyEndedHook({});
    FormDestroy();
}

void TTemplateMain::buildWindow()
{
    resize(1200, 760);

    auto *bar = new QStatusBar(this);
    bar->setObjectName(u"StatusBar"_s);
    bar->setProperty("Tag", kFreeStatusPanel);
    bar->setSizeGripEnabled(true);
    for (size_t i = 0; i < kStatusPanels.size(); ++i) {
        const QStringView text(kStatusPanels[i]);
        // The count panels are as wide as their texts; the free one, last, takes the rest of the bar.
        QLabel *label = i == kFreeStatusPanel
                            ? new TStatusTextPanel(bar, QList<QLabel *>(m_statusPanels.begin(), m_statusPanels.begin() + i))
                            : new QLabel(bar);
        if (!text.isEmpty())
            label->setText(Format(text, {0}));
        label->setObjectName(u"StatusPanel%1"_s.arg(i + 1));
        label->setProperty("panelIndex", static_cast<int>(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setMinimumWidth(kMinStatusPanelWidth);
        if (i == 2)
            label->setAlignment(Qt::AlignCenter);
        m_statusPanels[i] = label;
    }
    setStatusBar(bar);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(u"splLeft"_s);
    m_leftPages = new QTabWidget(m_splitter);
    m_leftPages->setObjectName(u"pcLeft"_s);
    m_drawsPanel = new TDrawsPanel(m_archive, m_leftPages);
    m_leftPages->addTab(m_drawsPanel, Tr(u"Тиражи"));
    m_mainPages = new QTabWidget(m_splitter);
    m_mainPages->setObjectName(u"pcMain"_s);
    m_statisticsPage = new TStatisticsPage(m_archive, StatList(), m_options, m_mainPages);
    m_statisticsPage->setDrawsOffsetSource([this] { return m_drawsPanel->drawsOffset(); });
    m_mainPages->addTab(m_statisticsPage, TStatisticsPage::caption());
    addView([this](bool full) { m_statisticsPage->refresh(full); });
    m_prefetch = new TPrefetchFeature(StatList(), m_options, *m_statisticsPage, this);

    m_combsPage = new TCombsPage(m_archive, StatList(), m_options, m_leftPages);
    m_leftPages->addTab(m_combsPage, TCombsPage::caption());
    m_combsPage->setDrawsOffsetSource([this] { return m_drawsPanel->drawsOffset(); });
    m_combsPage->attachStatisticsPage(m_statisticsPage);
    // The exclusion of the newest draws from the list also sets the draws offset.
    connect(m_combsPage, &TCombsPage::drawsExcludeChanged, m_drawsPanel, &TDrawsPanel::setDrawsOffset);
    connect(m_combsPage, &TCombsPage::combsCountChanged, this,
            [this](qint64 n) { m_statusPanels[3]->setText(TCombsPage::countText(n)); });

    // The analysis pages filter the combinations list: Ctrl+Z undoes that from them too.
    m_mainPages->addAction(m_combsPage->undoAction());

    m_scenarioPage = new TScenarioPage(StatList(), m_mainPages);
    m_mainPages->addTab(m_scenarioPage, TScenarioPage::caption());
    m_scenarioPage->setDefaultDrawsSource([this] { return m_combsPage->drawsExclude(); });
    m_splitter->addWidget(m_leftPages);
    m_splitter->addWidget(m_mainPages);
    // The left panel keeps its width ("LeftPanelWidth"); the pages take the rest of the window.
    m_leftPane = new TSplitterPane(m_splitter, 0, kDesignedLeftPanelWidth);
    setCentralWidget(m_splitter);

    connect(m_drawsPanel, &TDrawsPanel::drawsInfoChanged, this, &TTemplateMain::setDrawsStatus);
    connect(m_drawsPanel, &TDrawsPanel::refreshViewsRequested, this, &TTemplateMain::RefreshViews);
    connect(m_mainPages, &QTabWidget::currentChanged, this, [this] { RefreshViews(false); });

    m_initTimer = new QTimer(this);
    m_initTimer->setObjectName(u"tmrInit"_s);
    m_initTimer->setInterval(100);
    m_initTimer->setSingleShot(true);
    connect(m_initTimer, &QTimer::timeout, this, &TTemplateMain::tmrInitTimer);

    // Commands are enabled from their state; the check runs often, as the state changes anywhere.
    m_actionTimer = new QTimer(this);
    m_actionTimer->setInterval(200);
    connect(m_actionTimer, &QTimer::timeout, this, &TTemplateMain::updateActions);
    m_actionTimer->start();
}

void TTemplateMain::buildActions()
{
    buildOwnActions();
    buildActionFeatures();
    buildDataMenus();
    buildAnalysisMenus();
    buildOptionsMenu();
    connect(m_drawsPanel, &TDrawsPanel::sortedDrawsToggled, this,
            [this](bool sorted) { m_options.set(&MainOptions::sortedDraws, sorted); });
}

// The window's own commands: exit, the download of new draws, the proxy settings and the start-up options.
void TTemplateMain::buildOwnActions()
{
    m_actExit = new QAction(Tr(u"Выход"), this);
    m_actExit->setObjectName(u"ExitProgram"_s);
    m_actExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    connect(m_actExit, &QAction::triggered, this, [this] {
        if (IsNotBusy())
            close();
    });

    m_actDownload = new QAction(Tr(u"Загрузить новые тиражи с сайта"), this);
    m_actDownload->setObjectName(u"DrawsDownload"_s);
    m_actDownload->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(m_actDownload, &QAction::triggered, this, &TTemplateMain::drawsDownload);

    m_actProxy = new QAction(Tr(u"Настройки прокси-сервера..."), this);
    m_actProxy->setObjectName(u"EditProxy"_s);
    connect(m_actProxy, &QAction::triggered, this, [this] {
        if (IsNotBusy())
            EditProxySettings(m_proxy, this, GetIniFileName());
    });

    m_actAutoUpdates = new QAction(Tr(u"Проверять обновления при запуске"), this);
    m_actAutoUpdates->setObjectName(u"AutoSelfUpdate"_s);
    m_actAutoUpdates->setCheckable(true);
    connect(m_actAutoUpdates, &QAction::triggered, this, [this] {
        BusySection busy;
        m_options.toggle(&MainOptions::autoUpdates);
    });

    const std::array<QString, 3> autoDownloadCaptions = {Tr(u"Спрашивать о загрузке тиражей при запуске"),
                                                         Tr(u"Загружать новые тиражи при запуске"),
                                                         Tr(u"Не загружать тиражи при запуске")};
    auto *autoDownloadGroup = new QActionGroup(this);
    for (int i = 0; i < 3; ++i) {
        QAction *a = new QAction(autoDownloadCaptions[static_cast<size_t>(i)], autoDownloadGroup);
        a->setObjectName(u"AutoDownload%1"_s.arg(i));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] {
            BusySection busy;
            m_options.setDownloadDrawsOnStart(i);
        });
        m_actAutoDownload[static_cast<size_t>(i)] = a;
    }
}

// The features that bring commands of their own: the draws' CSV and spreadsheet files and the
// statistics settings, with what the window redoes when they change its data.
void TTemplateMain::buildActionFeatures()
{
    m_drawsCsv = new TDrawsCsvActions(m_archive, this);
    m_drawsCsv->setLists(m_drawsPanel->list(), m_combsPage->combsList());
    connect(m_drawsCsv, &TDrawsCsvActions::drawsImported, this, [this](int) {
        m_drawsPanel->updateDrawsInfo(true);
        RefreshViews(false);
    });

    m_statActions = new TStatSettingsActions(StatList(), m_statisticsPage, this);
    connect(m_statActions, &TStatSettingsActions::configChanged, this, [this](int flags) {
        rebuildPrefetchs(flags);
        m_drawsPanel->setChannelSize(StatList().Config.channelSize);
        m_drawsPanel->model()->repaintAll();
        m_combsPage->refreshList();
        RefreshViews(true);
    });
    connect(m_statActions, &TStatSettingsActions::shreddingChanged, this, [this](int flags) {
        rebuildPrefetchs(flags);
        RefreshViews(true);
    });
    connect(m_statActions, &TStatSettingsActions::favouritesChanged, this, [this] { RefreshViews(true); });
}

void TTemplateMain::buildDataMenus()
{
    QMenu *fileMenu = menuBar()->addMenu(Tr(u"&Файл"));
    fileMenu->setObjectName(u"menuFile"_s);
    fileMenu->addAction(m_actExit);

    QMenu *drawsMenu = menuBar()->addMenu(Tr(u"&Тиражи"));
    drawsMenu->setObjectName(u"menuDraws"_s);
    drawsMenu->addAction(m_drawsPanel->addAction());
    drawsMenu->addAction(m_drawsPanel->editAction());
    drawsMenu->addAction(m_drawsPanel->deleteAction());
    drawsMenu->addSeparator();
    drawsMenu->addAction(m_drawsPanel->sortedAction());
    drawsMenu->addSeparator();
    drawsMenu->addAction(m_drawsCsv->importAction());
    drawsMenu->addAction(m_drawsCsv->exportAction());
    drawsMenu->addAction(m_drawsCsv->drawsXlsExportAction());
    drawsMenu->addSeparator();
    drawsMenu->addAction(m_actDownload);

    QMenu *combsMenu = menuBar()->addMenu(Tr(u"&Комбинации"));
    combsMenu->setObjectName(u"menuCombs"_s);
    combsMenu->addActions({m_combsPage->genAction(), m_combsPage->openAction(), m_combsPage->saveAction()});
    combsMenu->addSeparator();
    combsMenu->addActions({m_combsPage->undoAction(), m_combsPage->delExistsAction(), m_combsPage->delSelectedAction()});
    combsMenu->addSeparator();
    combsMenu->addActions({m_combsPage->copyAction(), m_combsPage->pasteAction(), m_combsPage->selectAllAction()});
    combsMenu->addSeparator();
    combsMenu->addActions({m_combsPage->checkNumsAction(), m_combsPage->findInDrawsAction(), m_combsPage->infoAction()});
    combsMenu->addSeparator();
    combsMenu->addAction(m_drawsCsv->combsXlsExportAction());
}

void TTemplateMain::buildAnalysisMenus()
{
    QMenu *statMenu = menuBar()->addMenu(Tr(u"&Статистика"));
    statMenu->setObjectName(u"menuStat"_s);
    statMenu->addAction(m_statisticsPage->calcAction());
    statMenu->addSeparator();
    statMenu->addAction(m_combsPage->statIncludeAction());
    statMenu->addAction(m_combsPage->statExcludeAction());
    statMenu->addSeparator();
    statMenu->addAction(m_statisticsPage->prefetchsAction());
    statMenu->addAction(m_statisticsPage->totalLineAction());
    statMenu->addSeparator();
    statMenu->addAction(m_statisticsPage->exportAction());
    statMenu->addSeparator();
    statMenu->addActions({m_statActions->filtersManagerAction(), m_statActions->filtersResetAction(),
                          m_statActions->filtersInfoAction()});

    QMenu *scenarioMenu = menuBar()->addMenu(Tr(u"С&ценарий"));
    scenarioMenu->setObjectName(u"menuScript"_s);
    scenarioMenu->addActions({m_scenarioPage->openAction(), m_scenarioPage->saveAction(), m_scenarioPage->loadAction()});
    scenarioMenu->addSeparator();
    scenarioMenu->addActions({m_scenarioPage->addLineAction(), m_scenarioPage->emptyAction(),
                              m_scenarioPage->cloneAction(), m_scenarioPage->editAction()});
    scenarioMenu->addSeparator();
    scenarioMenu->addActions({m_scenarioPage->delAction(), m_scenarioPage->clrAction()});
    scenarioMenu->addSeparator();
    scenarioMenu->addActions({m_scenarioPage->upAction(), m_scenarioPage->downAction()});
    scenarioMenu->addSeparator();
    scenarioMenu->addActions({m_scenarioPage->copyAction(), m_scenarioPage->pasteAction()});
}

void TTemplateMain::buildOptionsMenu()
{
    QMenu *optionsMenu = menuBar()->addMenu(Tr(u"&Параметры"));
    optionsMenu->setObjectName(u"menuOptions"_s);
    optionsMenu->addActions({m_statActions->editConfigAction(), m_statActions->editShreddingAction()});
    optionsMenu->addSeparator();
    optionsMenu->addAction(m_actProxy);
    optionsMenu->addSeparator();
    for (QAction *a : m_actAutoDownload)
        optionsMenu->addAction(a);
    optionsMenu->addSeparator();
    optionsMenu->addAction(m_actAutoUpdates);
}

void TTemplateMain::updateActions()
{
    const bool idle = IsNotBusy();
    for (QAction *a : {m_actExit, m_actDownload, m_actProxy, m_actAutoUpdates})
        a->setEnabled(idle);
    m_actAutoUpdates->setChecked(m_options.autoUpdates);
    for (size_t i = 0; i < m_actAutoDownload.size(); ++i) {
        m_actAutoDownload[i]->setEnabled(idle);
        m_actAutoDownload[i]->setChecked(m_options.downloadDrawsOnStart == static_cast<int>(i));
    }
    m_drawsPanel->updateActions();
    m_statisticsPage->updateActions();
    m_combsPage->updateActions();
    m_scenarioPage->updateActions();
    m_statActions->updateActions();
    m_drawsCsv->updateActions();
    for (const auto &update : m_actionUpdaters)
        update();
}

QMenu *TTemplateMain::findMenu(const QString &objectName) const
{
    return menuBar()->findChild<QMenu *>(objectName);
}

void TTemplateMain::FormCreate()
{
    // Steps that belong to features not present in this build are left to them: each feature adds
    // its own set-up here when it is built.
    if (!m_previousCopyEnded) {
        terminateApplication();
        return;
    }
    if (!takeDataFolder())
        return;
    try {
        m_options.load();
        showDeferredReadFailures();
        InitLanguages(1049, m_options.startLanguage(m_switches.noLanguage));
        m_helpFeature->BuildLanguageMenu();

        m_viewsLocked = false;

        RestoreFormPlacement(MainFormSection(), this, true, true);
        m_sizes.leftPanelWidth = kDesignedLeftPanelWidth;
        m_sizes.drawsStatLen = m_statisticsPage->sampleLength();
        m_sizes.drawsStatHeight = m_statisticsPage->chartHeight();
        m_sizes.drawsExclude = m_combsPage->drawsExclude();
        m_sizes.filtersHeight = m_combsPage->filtersHeight();
        m_layoutFeature->storeSizes(m_sizes);
        m_cardWeek->readSizes(m_sizes);
        m_sizes.drawsGraphLen = m_graphs->page->graphLength();
        m_sizes.load(FormStore());
        applyOptions();
        m_scriptCatalog->applyOptions(m_options, m_sizes);
        {
            const FormStore store;
            for (QTableView *list : keptLists())
                RestoreListViewSettings(store, MainFormSection(), list, false);
            if (QTableView *grid = stakesGrid())
                RestoreGridColumns(store, MainFormSection(), grid);
        }
        m_options.initPrefetchs();
        m_statisticsPage->applyPrefetchColumns();

        TStatList &stats = StatList();
        stats.LoadGenerateSettings();
        stats.LoadStatSettings();
        stats.LoadShreddingFormulas();
        LoadProxySettings(m_proxy, GetIniFileName());
        stats.SetDraws(&m_archive.draws());
        stats.RebuildMethods();
        stats.LoadFilterSettings(TStatList::FavoritesFileName(), true);
        m_drawsPanel->setChannelSize(stats.Config.channelSize);
        m_statisticsPage->FillMethodCombos(false, false);
    } catch (const std::exception &e) {
        reportInitError(e);
        if (m_switches.isBatch())
            return;
    }
    showDeferredReadFailures();
    m_initTimer->start();
}

bool TTemplateMain::takeDataFolder()
{
    if (m_folderLock.isLocked())
        return true;
    // Taken (or refused) when the window was made; a refused copy ends here, once.
    if (!m_terminating) {
        // A second copy hears only why it closes; any other cause is named as it is.
        ShowErrorBox(m_folderLock.heldElsewhere()
                         ? ExclusiveAccessMessage()
                         : Format(u"Невозможно получить монопольный доступ к файлам данных!\r\r"
                                  u"Каталог данных \"%s\": %s\r\rПрограмма будет закрыта!",
                                  {GetProgramFolder(), m_folderLock.errorText()}));
        setBatchFailed();
        terminateApplication();
    }
    return false;
}

void TTemplateMain::showDeferredReadFailures()
{
    const QStringList failures = TakeDeferredFileReadFailures();
    if (failures.isEmpty())
        return;
    ShowErrorBox(failures.join(u"\r\r"_s) + u"\r\r" +
                 Tr(u"Настройки из этих файлов не использованы; сами файлы оставлены без изменений."));
}

bool TTemplateMain::waitForPreviousCopy()
{
    // Only a copy of this same program file counts, not any process of that name.
    const QString program = GetProgramFileName();
    for (int i = 0; i < 601; ++i) {
        if (!IsProgramRunning(program, true))
            return true;
        DelayWithMessages(100);
    }
    if (!IsProgramRunning(program, true))
        return true;
    std::fprintf(stderr, "%s\n",
                 qPrintable(Tr(u"Предыдущая копия программы не завершила работу; перезапуск отменен.")));
    return false;
}

void TTemplateMain::applyOptions()
{
    if (m_sizes.leftPanelWidth > 0)
        m_leftPane->setSize(m_sizes.leftPanelWidth);
    if (m_sizes.drawsStatLen > 0)
        m_statisticsPage->setSampleLength(m_sizes.drawsStatLen);
    if (m_sizes.drawsStatHeight > 0)
        m_statisticsPage->setChartHeight(m_sizes.drawsStatHeight);
    m_combsPage->setDrawsExclude(m_sizes.drawsExclude);
    if (m_sizes.filtersHeight > 0)
        m_combsPage->setFiltersHeight(m_sizes.filtersHeight);
    m_layoutFeature->applySizes(m_sizes);
    m_cardWeek->applySizes(m_sizes);
    if (m_sizes.drawsGraphLen > 0)
        m_graphs->page->setGraphLength(m_sizes.drawsGraphLen);
    m_drawsPanel->setSortedDraws(m_options.sortedDraws);
    m_drawsPanel->setColorDraws(m_options.colorDraws);
    updateActions();
}

std::vector<QTableView *> TTemplateMain::keptLists() const
{
    std::vector<QTableView *> lists = {m_drawsPanel->list(), m_statisticsPage->table(), m_combsPage->combsList(),
                                       m_combsPage->filtersList(), m_scenarioPage->scriptsList()};
    if (m_scriptCatalog)
        lists.push_back(m_scriptCatalog->list());
    if (m_stakesFeature) {
        lists.push_back(m_stakesFeature->ratingsPage()->ratingsList());
        lists.push_back(m_stakesFeature->tablesPage()->tablesList());
    }
    if (m_systems)
        lists.push_back(m_systems->list());
    return lists;
}

QTableView *TTemplateMain::stakesGrid() const
{
    return m_stakesFeature ? m_stakesFeature->stakesPage()->grid() : nullptr;
}

void TTemplateMain::saveSettings()
{
    try {
        FormStore store;
        SaveFormPlacement(store, MainFormSection(), this);
        m_sizes.leftPanelWidth = m_leftPane->size();
        m_sizes.drawsStatLen = m_statisticsPage->sampleLength();
        m_sizes.drawsStatHeight = m_statisticsPage->chartHeight();
        m_sizes.drawsExclude = m_combsPage->drawsExclude();
        m_sizes.filtersHeight = m_combsPage->filtersHeight();
        m_layoutFeature->storeSizes(m_sizes);
        m_cardWeek->readSizes(m_sizes);
        m_sizes.drawsGraphLen = m_graphs->page->graphLength();
        m_scriptCatalog->readSizes(m_sizes);
        m_sizes.leftPage = m_leftPages->currentIndex();
        m_sizes.mainPage = m_mainPages->currentIndex();
        m_sizes.save(store);
        for (const QTableView *list : keptLists())
            SaveListViewSettings(store, MainFormSection(), list, false);
        if (const QTableView *grid = stakesGrid())
            SaveGridColumns(store, MainFormSection(), grid);
        store.save();
    } catch (const EFileWriteError &e) {
        // The window is gone: the reason goes to standard error, unless the store was named already.
        if (!FileFailureTold(e.path())) {
            MarkFileReadFailureReported(e.path());
            std::fprintf(stderr, "%s\n", qPrintable(MessageToDisplay(e.message())));
        }
    } catch (const Exception &e) {
        std::fprintf(stderr, "%s\n", qPrintable(MessageToDisplay(e.message())));
    }
}

void TTemplateMain::setDrawsStatus(int count, int nextDraw, const QString &numbersText)
{
    m_drawsStatus = {count, nextDraw, numbersText};
    m_statusPanels[0]->setText(Format(u"Архив тиражей: %d", {count}));
    m_statusPanels[1]->setText(Format(u"Следующий тираж: %d", {nextDraw}));
    m_statusPanels[2]->setText(numbersText);
}

void TTemplateMain::setProgramTitle(const QString &source)
{
    m_titleSource = source;
    updateTitle();
}

void TTemplateMain::updateTitle()
{
    QString title = Tr(m_titleSource);
    if (m_titleVersion)
        title += Format(u" версия %s", {QStringLiteral(VENDRA_VERSION)});
    setWindowTitle(title);
}

void TTemplateMain::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateStatus();
    QMainWindow::changeEvent(event);
}

void TTemplateMain::retranslateStatus()
{
    updateTitle();
    setDrawsStatus(m_drawsStatus.count, m_drawsStatus.nextDraw, m_drawsStatus.numbersText);
    refreshStakesCount();
    m_statusPanels[3]->setText(TCombsPage::countText(m_combsPage->combs().count()));
    emit languageChanged();
}

void TTemplateMain::ShowStatusText(const QString &text)
{
    static_cast<TStatusTextPanel *>(m_statusPanels[kFreeStatusPanel])->setStatusText(text);
    ProcessMessages();
}

void TTemplateMain::RefreshViews(bool full)
{
    if (m_viewsLocked)
        return;
    for (const auto &refresh : m_views)
        refresh(full);
}

void TTemplateMain::loadDraws()
{
    if (!QFile::exists(m_archive.fileName())) {
        m_archive.load();
        return;
    }
    BusySection busy;
    SetStatusText(Tr(u"Загрузка файла тиражей..."));
    m_archive.load();
    m_drawsPanel->updateDrawsInfo(false);
    SetStatusText({});
}

void TTemplateMain::tmrInitTimer()
{
    m_initTimer->stop();
    if (m_terminating || !takeDataFolder())
        return;
    try {
        SetStatusText(Tr(u"Инициализация..."));

        m_allCombs = static_cast<int>(CombinationCount(kMaxNumber, kMainCount));
        for (int m = 0; m <= kMainCount; ++m) {
            m_matchCounts[static_cast<size_t>(m)] = CombinationsWithMatches(kMaxNumber, kMainCount, m);
            m_matchShares[static_cast<size_t>(m)] =
                static_cast<long double>(m_matchCounts[static_cast<size_t>(m)]) / m_allCombs;
        }
        m_combsPage->initCapacity(m_allCombs);
        m_titleVersion = true;
        updateTitle();
        m_drawsPanel->setDrawsOffset(0);

        if (!m_stakes.load(Tr(u"Программа будет закрыта!"))) {
            // Only a copy of another build, which does not lock the folder, can hold the stakes file;
            // any other failure was named by the load itself.
            if (m_stakes.lockedElsewhere())
                ShowErrorBox(ExclusiveAccessMessage());
            setBatchFailed();
            terminateApplication();
            return;
        }

        refreshStakesCount();
        loadDraws();
        m_combsPage->generateDefault();
        RefreshViews(false);
        m_scenarioPage->LoadScenarioList();
        m_stakesFeature->LoadRatings();
        m_stakesFeature->LoadTables();
        showDeferredReadFailures();
        // A batch run does its work only on data files it could read whole.
        if (m_switches.isBatch() && FileReadFailureCount() > m_readFailuresAtStart) {
            setBatchFailed();
            terminateApplication();
            return;
        }
        // The online lists are not loaded in a batch run.
        m_systems->InitSystemsPage(!m_switches.isBatch());
        if (!m_switches.isBatch())
            m_scriptCatalog->startUp();

        if (m_switches.loadOnly) {
            DownloadDraws();
            checkStakes();
            if (!m_lastDownload.ok)
                setBatchFailed();
            if (!m_switches.fullRecreate && !m_switches.fullRefresh) {
                terminateApplication();
                return;
            }
        }
        // The update check is no part of a batch run's work: a file it could not read or write does
        // not fail the run.
        const int reads = FileReadFailureCount();
        const int writes = FileWriteFailureCount();
        const int updated = m_update->AutoUpdateOnStart();
        m_readFailuresAtStart += FileReadFailureCount() - reads;
        m_writeFailuresAtStart += FileWriteFailureCount() - writes;
        if (updated == 1) {
            RestartProgram([this] { terminateApplication(); });
            return;
        }
        if (m_switches.fullRecreate) {
            m_prefetch->RebuildPrefetchFiles(true, kAllStatGroups);
            terminateApplication();
            return;
        }
        m_prefetch->RebuildPrefetchFiles(m_switches.fullRefresh, 0);
        if (m_switches.fullRefresh) {
            terminateApplication();
            return;
        }
        // The pages left open at shutdown come back, once every page is set up (a page hidden since
        // leaves the one shown).
        for (const auto &[pages, index] :
             {std::pair{m_leftPages, m_sizes.leftPage}, std::pair{m_mainPages, m_sizes.mainPage}})
            if (index < pages->count() && pages->isTabVisible(index))
                pages->setCurrentIndex(index);
        startDownload();
        m_helpFeature->ShowFirstRun();
    } catch (const std::exception &e) {
        SetStatusText({});
        reportInitError(e);
    }
}

void TTemplateMain::reportInitError(const std::exception &e)
{
    // The window stays open with what was loaded; a batch run ends with a failure status.
    ShowErrorBox(Format(u"Ошибка инициализации программы!\r\r%s", {ExceptionText(e)}));
    if (m_switches.isBatch()) {
        setBatchFailed();
        terminateApplication();
    }
}

void TTemplateMain::startDownload()
{
    switch (m_options.startDownload()) {
    case StartDownload::Ask:
        if (ConfirmBox(Tr(u"Обновить список тиражей?\r\rДля выполнения обновления необходимо действующее "
                          u"подключение к сети Интернет.")) == IDYES)
            drawsDownload();
        break;
    case StartDownload::Download: drawsDownload(); break;
    case StartDownload::Nothing: break;
    }
}

int TTemplateMain::DownloadDraws()
{
    TProxyListCandidates candidates(LoadProxyListUrl(GetIniFileName()));
    TDrawsDownloader downloader(m_archive, m_proxy, candidates, LoadDownloadSettings(GetIniFileName()),
                                GetIniFileName());
    downloader.setRefreshViews([this] {
        m_drawsPanel->updateDrawsInfo(true);
        RefreshViews(false);
    });
    downloader.setWaitTextSink(&UpdateWait);
    downloader.setWaitShown([](bool shown) { shown ? ResumeWait() : SuspendWait(); });
    downloader.setBatch(m_switches.isBatch());
    m_lastDownload = downloader.run();
    m_drawsPanel->updateDrawsInfo(false);
    return m_lastDownload.total;
}

void TTemplateMain::drawsDownload()
{
    if (!IsNotBusy())
        return;
    BusySection busy;
    WaitGuard wait(Tr(u"Загрузка архива тиражей..."));
    SetStatusText(Tr(u"Загрузка архива тиражей..."));
    DownloadDraws();
    checkStakes();
    SetStatusText({});
}

void TTemplateMain::rebuildPrefetchs(int groups)
{
    // The distributions of the groups whose settings changed are made anew.
    try {
        m_prefetch->RebuildPrefetchFiles(false, static_cast<uint32_t>(groups));
    } catch (const std::exception &e) {
        ShowErrorBox(ExceptionText(e));
    }
}

void TTemplateMain::checkStakes()
{
    // Checked stakes go to the ratings and the logs, and the stakes list and counts follow.
    m_stakesFeature->CheckStakes();
    refreshStakesCount();
}

void TTemplateMain::refreshStakesCount()
{
    m_statusPanels[4]->setText(Format(u"Ставок: %d", {static_cast<long long>(m_stakes.count())}));
}

bool TTemplateMain::event(QEvent *event)
{
    // The hint of the command under the mouse goes to the free status panel while nothing runs.
    if (event->type() == QEvent::StatusTip) {
        if (IsNotBusy())
            ShowStatusText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    const bool result = QMainWindow::event(event);
    // The placement restored at start was fitted to the screen without the frame, which is known now.
    if (event->type() == QEvent::Show && !std::exchange(m_shownOnce, true))
        KeepWindowOnScreen(this);
    return result;
}

bool TTemplateMain::FormCloseQuery()
{
    return !m_scenarioRun || m_scenarioRun->closeQuery();
}

void TTemplateMain::closeEvent(QCloseEvent *event)
{
    // Closing in the middle of a long operation would pull the window from under it; a scenario run is
    // asked to stop first and closes the window once it has ended.
    if (!m_terminating && (!FormCloseQuery() || !IsNotBusy())) {
        event->ignore();
        return;
    }
    event->accept();
}

void TTemplateMain::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    // A copy that did not get the data folder leaves the settings to the copy that has it.
    if (m_stakes.isOpen())
        saveSettings();
    if (m_folderLock.isLocked() && m_combsPage)
        m_combsPage->combs().DeleteCombsBuffer();
    m_archive.clear();
    m_stakes.closeForShutdown();
    // The registry outlives the window: it must not keep reading an archive that goes with it.
    if (StatList().Draws() == &m_archive.draws())
        StatList().SetDraws(nullptr);
}

bool TTemplateMain::metFileFailures() const
{
    return FileReadFailureCount() > m_readFailuresAtStart || FileWriteFailureCount() > m_writeFailuresAtStart;
}

int TTemplateMain::finish(int status)
{
    FormDestroy();
    if (m_switches.isBatch() && status == 0 && metFileFailures())
        status = 1;
    // A batch run that fails says why: every file it could not read or write that no message named yet.
    if (m_switches.isBatch() && status != 0)
        for (const QString &message : FileFailureMessages())
            if (!PrintedOnStderr(message))
                ShowErrorBox(message);
    return status;
}

void TTemplateMain::terminateApplication()
{
    // A batch run that met a file it could not read or write ends with a failure status.
    if (m_switches.isBatch() && metFileFailures())
        m_batchFailed = true;
    m_terminating = true;
    m_initTimer->stop();
    // Posted to the window itself, so that an end asked for before the event loop runs is not lost, and an
    // end of a window that went first reaches no later one.
    QTimer::singleShot(0, this, [this, failed = m_batchFailed] { emit ended(failed ? 1 : 0); });
}
