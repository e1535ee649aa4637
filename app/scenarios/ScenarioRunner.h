#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/ScenarioLine.h"
#include "online/SystemsFolder.h"
#include "app/scenarios/ScenarioRunLog.h"
#include "app/scenarios/StatStep.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <unordered_set>

class TCombsList;
class TStakesFile;
class TStatList;
struct TStakeRec;
struct TStatPrefetch;
struct TStatMethod;

// The system of a scenario line's system game: the numbers the combinations list covers, in the order
// they first appear, give the system for that many numbers expanded over them (by default the systems
// folder's, FindSystemForNumbers).
using TSystemGameFn = std::function<TSystemExpansion(const std::vector<uint8_t> &numbers)>;

// What the runner shows in the scenario page's status panels 1..4.
struct TScenarioRunStatus {
    int cycle = 0;
    int line = 0;
    int stakes = 0;
    QString text; // "Фильтр %d из %d: %s" or a free text
};

// Runs the scenario of the main window: "Прогноз" once at the current draws offset, "Тест" once for
// each of the last N draws hidden from the analysis. Every line prepares its starting list, applies
// each variant of its filters through the statistics step and stakes what is left. Everything runs on
// the calling (window) thread, which serves its messages at every stop check; only pure computation
// goes to the other cores.
class TScenarioRunner {
public:
    // What the window gives the runner. Every hook may be left empty.
    struct THost {
        TStatList *stats = nullptr;   // the registry: draws, settings, weights, methods
        TCombsList *combs = nullptr;  // the combinations list with its undo copy and buffer
        TStakesFile *stakes = nullptr;
        // The main window's draws offset; setting it refreshes the views.
        std::function<int()> drawsOffset;
        std::function<void(int)> setDrawsOffset;
        // Serves the window's pending messages (default: ProcessMessages).
        std::function<void()> processEvents;
        std::function<void(const TScenarioRunStatus &)> showStatus;
        // The scenario list shows the line being run.
        std::function<void(int index)> selectLine;
        // Checks the stakes against the draws and refreshes the stakes list (the ratings follow).
        std::function<void()> checkStakes;
        // Refreshes the stakes list after stakes were added or the file emptied.
        std::function<void()> refreshStakes;
        // A run started (true) or ended (false): the pages that could change the data follow it.
        std::function<void(bool running)> setRunning;
        // Opens the run log in the desktop's viewer.
        std::function<void(const QString &fileName)> openLog;
        // The all-combinations distribution of a method (the statistics page's source).
        std::function<bool(const TStatMethod &, TStatPrefetch &)> prefetch;
        TSystemGameFn systemGame;
        // A random index 0..count-1 (default: a seeded Mersenne twister).
        std::function<int64_t(int64_t count)> random;
    };

    // The options a run reads when it starts.
    struct TOptions {
        bool logEnabled = false;        // ScriptLogEnabled
        bool stakesCheckOnLine = true;  // StakesCheckOnLine
        bool sortedDraws = false;
        bool prefetchsEnabled = false;
    };

    // Where the time of the runs went, in milliseconds.
    struct TTimings {
        double total = 0;
        double tables = 0;
        double filtering = 0;
        double startLists = 0;
        double stakes = 0;   // making the stakes and checking them
        double maxEventGap = 0; // the longest time the window's messages waited for the runner
        int startListCount = 0;       // the starting lists prepared
        int64_t stepCombinations = 0; // the combinations the statistics steps filtered, added up
    };

    TScenarioRunner(THost host, TScenarioRunLog &log);

    // The system of SYSA and SYSC (nullptr: the systems folder's).
    void setSystemGame(TSystemGameFn game) { m_host.systemGame = std::move(game); }

    // ---- The commands ----
    // "Прогноз": the scenario once at the current draws offset.
    void runForecast(const QStringList &lines, const TOptions &options);
    // "Тест": the scenario once for each of the count newest draws, newest last, hidden from the
    // analysis (the offset goes count, count-1, ..., 1), then the offset is put back unless stopped.
    void runTest(const QStringList &lines, int count, const TOptions &options);
    // "Стоп" (after its question): the interrupted banner is logged and the run stops at its next
    // stop check.
    void requestStop();
    // The stop check: serves the window's messages (at most every few milliseconds), then tells
    // whether the run is to stop.
    bool stopRequested();

    bool running() const { return m_running; }
    bool stopFlag() const { return m_stopFlag; }
    int cycle() const { return m_cycle; }
    int stakesAdded() const { return m_stakesAdded; }
    const TTimings &timings() const { return m_timings; }
    TStatStep &step() { return m_step; }

    // The number of tests a run over the archive can have: the draws less one (at least 2 draws are
    // needed for a test at all).
    static int maxTestCount(int drawCount) { return drawCount - 1; }

private:
    void run(const QStringList &lines, const TOptions &options, int testCount);
    void runAllLines(const QStringList &lines);
    void runLine(int lineNo, const QString &line);
    void prepareStartList(const TScenarioHeader &header);
    void makeStakes(const TScenarioHeader &header, const QString &description, const QString &comment, int lineNo,
                    int variantNo);
    // Stakes one number set; false when the stakes file refused it (the run then stops).
    bool addStake(const TNumSet &numbers, const TScenarioHeader &header, const QString &stakeComment,
                  int64_t sample, bool many);
    void stakeSystem(const TScenarioHeader &header, const QString &stakeComment, int64_t sample);
    // Shows a failure the run goes on after, the first time in a run, offering to stop the run.
    void reportFailureOnce(const QString &text);
    bool stakeExists(int32_t draw, const TNumSet &numbers);
    struct StakeKey {
        uint64_t mask = 0;         // the numbers
        uint64_t drawAndCount = 0; // the draw number and the count of numbers
        bool operator==(const StakeKey &o) const = default;
    };
    struct StakeKeyHash {
        size_t operator()(const StakeKey &k) const;
    };
    using StakeKeys = std::unordered_set<StakeKey, StakeKeyHash>;
    static StakeKey stakeKey(int32_t draw, const TNumSet &numbers);
    void checkStakes();
    void showStatus(const QString &text);
    void logLine(const QString &text);
    void pump();
    int drawsOffset() const;
    int drawCount() const;

    THost m_host;
    TScenarioRunLog &m_log;
    TOptions m_options;
    TStatStep m_step;
    TStatStep::TContext m_stepContext;
    std::mt19937_64 m_rng;

    bool m_running = false;
    bool m_stopFlag = false;
    int m_cycle = 0;
    int m_line = 0;
    int m_stakesAdded = 0;
    QString m_statusText;
    QElapsedTimer m_pumpClock;
    QElapsedTimer m_stakeStatusClock;
    bool m_stakeStatusShown = false;
    // Failures that let the run go on, each asked about once a run (then only logged).
    QStringList m_failuresShown;
    std::optional<StakeKeys> m_stakeKeys; // the stakes of the file while many are added with "only new"
    TTimings m_timings;
};
