#pragma once

#include "app/scenarios/ScenarioRunner.h"

#include <QObject>

#include <functional>
#include <memory>

class QAction;
class TTemplateMain;

// The scenario runs of the main window: "Прогноз", "Тест" and "Стоп" in the scenario menu and on the
// scenario page, the run log's option and deletion, the page's status panels during a run, and the
// close query (closing during a run asks to stop and closes once the run has ended).
class TScenarioRunFeature : public QObject {
    Q_OBJECT
public:
    explicit TScenarioRunFeature(TTemplateMain &window);
    ~TScenarioRunFeature() override;

    QAction *runAction() const { return m_actRun; }
    QAction *testAction() const { return m_actTest; }
    QAction *stopAction() const { return m_actStop; }
    QAction *logToggleAction() const { return m_actLogToggle; }
    QAction *logsDeleteAction() const { return m_actLogsDelete; }

    TScenarioRunner &runner() { return *m_runner; }
    TScenarioRunLog &log() { return m_log; }
    bool running() const { return m_runner->running(); }

    // The system of the stake choices SYSA and SYSC; by default the systems folder's.
    void setSystemGame(TSystemGameFn game);
    // The number of tests; by default the test-count dialog asks for it (0 cancels).
    void setTestCountQuery(std::function<int(int maximum)> query) { m_testCount = std::move(query); }

    // The commands (the actions run them).
    void ScriptRun();
    void ScriptTest();
    // Asks "Остановить выполнение сценария?" and stops the run on Yes; true when a stop is requested.
    bool ScriptStop();
    void LogToggle();
    void LogsDelete();

    // The main window's close query: true when the window may close now. During a run it asks to stop
    // (unless a stop is already on its way) and the window closes by itself once the run has ended.
    bool closeQuery();

    void updateActions();

private:
    TScenarioRunner::TOptions options() const;
    void setRunning(bool running);
    void showStatus(const TScenarioRunStatus &status);
    void afterRun();

    TTemplateMain &m_window;
    TScenarioRunLog m_log;
    std::unique_ptr<TScenarioRunner> m_runner;
    std::function<int(int)> m_testCount;
    bool m_closePending = false;

    QAction *m_actRun = nullptr;
    QAction *m_actTest = nullptr;
    QAction *m_actStop = nullptr;
    QAction *m_actLogToggle = nullptr;
    QAction *m_actLogsDelete = nullptr;
};

TScenarioRunFeature *InstallScenarioRun(TTemplateMain &window);
