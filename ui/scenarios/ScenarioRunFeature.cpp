#include "ui/scenarios/ScenarioRunFeature.h"

#include "common/widgets/StatusTextPanel.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/ProcessUtils.h"
#include "common/SysUtils.h"
#include "common/Translate.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/stakes/StakesFeature.h"
#include "ui/stakes/StakesPage.h"
#include "ui/statistics/StatisticsPage.h"
#include "ui/window/TemplateMain.h"
#include "ui/scenarios/TestCountDialog.h"
#include "app/stakes/StakesCheck.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

TStakesFeature *stakesFeature(TTemplateMain &window)
{
    return window.findChild<TStakesFeature *>(u"StakesFeature"_s, Qt::FindDirectChildrenOnly);
}

} // namespace

TScenarioRunFeature::TScenarioRunFeature(TTemplateMain &window) : QObject(&window), m_window(window)
{
    setObjectName(u"ScenarioRunFeature"_s);

    TScenarioRunner::THost host;
    host.stats = &StatList();
    host.combs = &window.combsPage()->combs();
    host.stakes = &window.stakes();
    host.drawsOffset = [&window] { return window.drawsPanel()->drawsOffset(); };
    host.setDrawsOffset = [&window](int offset) { window.drawsPanel()->setDrawsOffset(offset); };
    host.processEvents = [] { ProcessMessages(); };
    host.showStatus = [this](const TScenarioRunStatus &status) { showStatus(status); };
    host.selectLine = [&window](int index) { window.scenarioPage()->selectLine(index); };
    host.checkStakes = [&window] { window.checkStakes(); };
    host.refreshStakes = [&window] {
        if (TStakesFeature *stakes = stakesFeature(window))
            // Stakes added in a row scroll the list to its end when the option says so.
            stakes->stakesPage()->refreshList(true, window.options().stakesScrollEnabled);
        window.refreshStakesCount();
    };
    host.setRunning = [this](bool running) { setRunning(running); };
    host.openLog = [](const QString &fileName) {
        // A desktop without a viewer for text files leaves the log where it is and says where.
        OpenSavedFile(fileName, u"Журнал выполнения сценария сохранен в файле \"%s\".");
    };
    host.prefetch = [&window](const TStatMethod &method, TStatPrefetch &prefetch) {
        const auto &source = window.statisticsPage()->prefetchSource();
        return source && source(method, prefetch);
    };
    m_runner = std::make_unique<TScenarioRunner>(std::move(host), m_log);
    m_testCount = [&window](int maximum) { return AskTestCount(maximum, &window); };

    auto make = [this](const QString &caption, const QString &name, const QKeySequence &key, void (TScenarioRunFeature::*command)()) {
        auto *a = new QAction(caption, &m_window);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setToolTip(caption);
        connect(a, &QAction::triggered, this, [this, a, command] {
            // A key can reach the command before the periodic check disables it.
            updateActions();
            if (a->isEnabled())
                RunCommand([this, command] { (this->*command)(); });
            updateActions();
        });
        m_window.addAction(a);
        return a;
    };
    m_actRun = make(Tr(u"Прогноз"), u"ScriptRun"_s, QKeySequence(Qt::Key_F10), &TScenarioRunFeature::ScriptRun);
    m_actTest = make(Tr(u"Тест"), u"ScriptTest"_s, QKeySequence(Qt::CTRL | Qt::Key_F10), &TScenarioRunFeature::ScriptTest);
    m_actStop = new QAction(Tr(u"Стоп"), &window);
    m_actStop->setObjectName(u"ScriptStop"_s);
    m_actStop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    m_actStop->setToolTip(m_actStop->text());
    connect(m_actStop, &QAction::triggered, this, [this] {
        if (m_runner->running() && !m_runner->stopFlag())
            ScriptStop();
        updateActions();
    });
    window.addAction(m_actStop);
    m_actLogToggle = make(Tr(u"Журнал выполнения сценария"), u"LogToggle"_s, QKeySequence(), &TScenarioRunFeature::LogToggle);
    m_actLogToggle->setCheckable(true);
    m_actLogsDelete = make(Tr(u"Удалить журналы выполнения сценариев"), u"LogsDelete"_s, QKeySequence(),
                           &TScenarioRunFeature::LogsDelete);

    if (QMenu *menu = window.findMenu(u"menuScript"_s)) {
        menu->addSeparator();
        menu->addActions({m_actRun, m_actTest, m_actStop});
        menu->addSeparator();
        menu->addActions({m_actLogToggle, m_actLogsDelete});
    }
    if (TScenarioPage *page = window.scenarioPage()) {
        if (auto *bar = page->findChild<QToolBar *>(u"tbScripts"_s)) {
            // First on the page's bar, where a long bar does not hide them.
            QAction *first = bar->actions().value(0);
            bar->insertActions(first, {m_actRun, m_actTest, m_actStop});
            if (first)
                bar->insertSeparator(first);
        }
        if (QWidget *list = page->scriptsList()) {
            auto *separator = new QAction(list);
            separator->setSeparator(true);
            list->addActions({separator, m_actRun, m_actTest, m_actStop});
        }
    }
    window.addActionUpdater([this] { updateActions(); });
    // The commands follow the scenario and the archive at once, not only at the next periodic check.
    connect(&window.scenarioPage()->scenario(), &TScenarioList::linesChanged, this,
            &TScenarioRunFeature::updateActions);
    connect(window.drawsPanel(), &TDrawsPanel::drawsInfoChanged, this, &TScenarioRunFeature::updateActions);
    updateActions();
}

TScenarioRunFeature::~TScenarioRunFeature() = default;

void TScenarioRunFeature::setSystemGame(TSystemGameFn game)
{
    m_runner->setSystemGame(std::move(game));
}

TScenarioRunner::TOptions TScenarioRunFeature::options() const
{
    const MainOptions &o = m_window.options();
    TScenarioRunner::TOptions r;
    r.logEnabled = o.scriptLogEnabled;
    r.stakesCheckOnLine = o.stakesCheckOnLine;
    r.sortedDraws = o.sortedDraws;
    r.prefetchsEnabled = o.prefetchsEnabled;
    return r;
}

void TScenarioRunFeature::updateActions()
{
    const bool running = m_runner->running();
    const bool idle = IsNotBusy() && !running;
    const bool canRun = idle && m_window.scenarioPage()->scenario().count() > 0 && m_window.archive().count() > 0;
    m_actRun->setEnabled(canRun);
    m_actTest->setEnabled(canRun);
    // The one command of a running scenario: enabled inside its busy section.
    m_actStop->setEnabled(running && !m_runner->stopFlag());
    m_actLogToggle->setEnabled(idle);
    m_actLogToggle->setChecked(m_window.options().scriptLogEnabled);
    m_actLogsDelete->setEnabled(idle);
}

void TScenarioRunFeature::setRunning(bool running)
{
    // The pages that could change the data while the run reads it.
    m_window.drawsPanel()->setEnabled(!running);
    m_window.combsPage()->setEnabled(!running);
    // The steps rebuild the list in place while the window is served: its view does not paint meanwhile.
    m_window.combsPage()->combsList()->viewport()->setUpdatesEnabled(!running);
    m_window.statisticsPage()->setEnabled(!running);
    m_window.scenarioPage()->setRunning(running);
    updateActions();
}

void TScenarioRunFeature::showStatus(const TScenarioRunStatus &status)
{
    TScenarioPage *page = m_window.scenarioPage();
    page->statusPanel(1)->setText(Format(u"Цикл: %d", {status.cycle}));
    page->statusPanel(2)->setText(Format(u"Строка: %d", {status.line}));
    page->statusPanel(3)->setText(Format(u"Ставок: %d", {status.stakes}));
    if (auto *free = qobject_cast<TStatusTextPanel *>(page->statusPanel(4)))
        free->setStatusText(status.text);
    updateActions();
}

void TScenarioRunFeature::ScriptRun()
{
    if (!IsNotBusy() || m_runner->running())
        return;
    m_runner->runForecast(m_window.scenarioPage()->scenario().lines(), options());
    afterRun();
}

void TScenarioRunFeature::ScriptTest()
{
    if (!IsNotBusy() || m_runner->running())
        return;
    const int draws = m_window.archive().count();
    if (draws < 2) {
        ShowInfoBox(Tr(u"Для теста сценария в архиве должно быть не менее двух тиражей!"));
        return;
    }
    const int count = std::min(m_testCount ? m_testCount(TScenarioRunner::maxTestCount(draws)) : 0,
                               TScenarioRunner::maxTestCount(draws));
    if (count < 1)
        return;
    m_runner->runTest(m_window.scenarioPage()->scenario().lines(), count, options());
    afterRun();
}

bool TScenarioRunFeature::ScriptStop()
{
    if (!m_runner->running())
        return false;
    if (m_runner->stopFlag())
        return true;
    if (ConfirmBoxDefaultNo(Tr(u"Остановить выполнение сценария?")) != IDYES)
        return false;
    m_runner->requestStop();
    updateActions();
    return true;
}

void TScenarioRunFeature::LogToggle()
{
    BusySection busy;
    m_window.options().toggle(&MainOptions::scriptLogEnabled);
}

void TScenarioRunFeature::LogsDelete()
{
    DeleteLogFiles(m_log.folder(), TScenarioRunLog::fileMask());
}

bool TScenarioRunFeature::closeQuery()
{
    if (!m_runner->running())
        return true;
    // The run is still on the stack: the window closes once it has unwound.
    if (ScriptStop())
        m_closePending = true;
    return false;
}

void TScenarioRunFeature::afterRun()
{
    updateActions();
    if (m_closePending) {
        m_closePending = false;
        QTimer::singleShot(0, &m_window, [w = &m_window] { w->close(); });
    }
}

TScenarioRunFeature *InstallScenarioRun(TTemplateMain &window)
{
    return new TScenarioRunFeature(window);
}
