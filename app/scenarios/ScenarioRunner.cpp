#include "app/scenarios/ScenarioRunner.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/OperationLog.h"
#include "common/Translate.h"
#include "lottery/DrawTexts.h"
#include "lottery/NumberGeometry.h"
#include "lottery/stats/StatList.h"
#include "app/combinations/CombsList.h"
#include "app/draws/DrawsArchive.h"
#include "app/scenarios/FilterVariants.h"
#include "app/scenarios/ScenarioList.h"
#include "app/stakes/StakeRecord.h"
#include "app/stakes/StakesFile.h"
#include "app/stakes/SystemGame.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace {

// The window's messages are served at most this often by the stop checks.
constexpr qint64 kPumpEveryMs = 15;
// While many stakes are added in a row their count is shown at most this often.
constexpr qint64 kStakeStatusEveryMs = 101;

double msOf(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

uint64_t numbersMask(const TNumSet &set)
{
    uint64_t m = 0;
    for (int i = 0; i < NumSetCount(set); ++i)
        m |= uint64_t(1) << (set.numbers[size_t(i)] & 63);
    return m;
}

TNumSet sortedNumSet(const TComb &comb)
{
    TComb c = comb;
    SortComb(c);
    return CombToNumSet(c);
}

// Restores the weights of the settings however a run ends.
class WeightsGuard {
public:
    explicit WeightsGuard(TStatList &stats) : m_stats(stats), m_saved(stats.Config.weights) {}
    ~WeightsGuard() { m_stats.Config.weights = m_saved; }
    WeightsGuard(const WeightsGuard &) = delete;
    WeightsGuard &operator=(const WeightsGuard &) = delete;

private:
    TStatList &m_stats;
    TWeightCoefs m_saved;
};

} // namespace

TScenarioRunner::TScenarioRunner(THost host, TScenarioRunLog &log)
    : m_host(std::move(host)), m_log(log), m_rng(std::random_device{}())
{
}

int TScenarioRunner::drawsOffset() const
{
    return m_host.drawsOffset ? m_host.drawsOffset() : 0;
}

int TScenarioRunner::drawCount() const
{
    const TDrawsArray *draws = m_host.stats->Draws();
    return draws ? int(draws->size()) : 0;
}

void TScenarioRunner::pump()
{
    if (m_pumpClock.isValid())
        m_timings.maxEventGap = std::max(m_timings.maxEventGap, msOf(m_pumpClock));
    if (m_host.processEvents)
        m_host.processEvents();
    else
        ProcessMessages();
    m_pumpClock.restart();
}

bool TScenarioRunner::stopRequested()
{
    if (!m_pumpClock.isValid() || m_pumpClock.elapsed() >= kPumpEveryMs)
        pump();
    return m_stopFlag;
}

void TScenarioRunner::requestStop()
{
    if (!m_running || m_stopFlag)
        return;
    logLine(TScenarioRunLog::interruptedBanner());
    m_stopFlag = true;
}

void TScenarioRunner::logLine(const QString &text)
{
    if (m_log.enabled())
        m_log.write(text);
}

void TScenarioRunner::showStatus(const QString &text)
{
    m_statusText = text;
    if (m_host.showStatus)
        m_host.showStatus(TScenarioRunStatus{m_cycle, m_line, m_stakesAdded, text});
    pump();
}

void TScenarioRunner::checkStakes()
{
    if (m_host.checkStakes)
        m_host.checkStakes();
}

// ---- Runs ----

void TScenarioRunner::runForecast(const QStringList &lines, const TOptions &options)
{
    run(lines, options, 0);
}

void TScenarioRunner::runTest(const QStringList &lines, int count, const TOptions &options)
{
    if (count < 1)
        return;
    run(lines, options, count);
}

void TScenarioRunner::run(const QStringList &lines, const TOptions &options, int testCount)
{
    if (m_running)
        return;
    QElapsedTimer total;
    total.start();
    const TStatStep::TTimings stepBefore = m_step.timings();
    m_timings.maxEventGap = 0;
    m_pumpClock.invalidate();

    BusySection busy;
    // Running before the first message is served: a command that arrives meanwhile sees the run.
    m_running = true;
    m_stopFlag = false;
    m_cycle = testCount > 0 ? 0 : 1;
    m_stakesAdded = 0;
    m_line = 0;
    m_failuresShown.clear();
    if (m_host.setRunning)
        m_host.setRunning(true);
    SetStatusText(Tr(u"Выполнение сценария..."));
    m_options = options;
    m_log.setEnabled(options.logEnabled);
    if (m_log.enabled()) {
        m_log.start();
        logLine(TScenarioRunLog::startBanner());
    }
    // The weights are the user's again however the run ends.
    WeightsGuard weights(*m_host.stats);
    m_step.reset();
    m_stepContext = TStatStep::TContext{};
    m_stepContext.stats = m_host.stats;
    m_stepContext.combs = m_host.combs;
    m_stepContext.sortedDraws = options.sortedDraws;
    m_stepContext.prefetchsEnabled = options.prefetchsEnabled;
    m_stepContext.prefetch = m_host.prefetch;
    m_stepContext.stopRequested = [this] { return stopRequested(); };
    m_stepContext.idle = [this] { pump(); };
    m_stepContext.log = &m_log;
    showStatus(Tr(u"Выполнение сценария..."));

    try {
        if (testCount <= 0) {
            if (m_log.enabled()) {
                logLine(TScenarioRunLog::equalsRule());
                logLine(TScenarioRunLog::offsetBanner(drawsOffset()));
                logLine(TScenarioRunLog::equalsRule());
            }
            runAllLines(lines);
        } else {
            const int savedOffset = drawsOffset();
            for (int k = testCount; k >= 1; --k) {
                ++m_cycle;
                showStatus(Tr(u"Выполнение сценария..."));
                if (stopRequested())
                    break;
                if (m_host.setDrawsOffset)
                    m_host.setDrawsOffset(k);
                if (stopRequested())
                    break;
                if (m_log.enabled()) {
                    logLine(TScenarioRunLog::equalsRule());
                    logLine(TScenarioRunLog::offsetBanner(k));
                    logLine(TScenarioRunLog::equalsRule());
                }
                if (stopRequested())
                    break;
                runAllLines(lines);
            }
            // A stopped test stays at the draw it stopped at.
            if (!m_stopFlag && m_host.setDrawsOffset)
                m_host.setDrawsOffset(savedOffset);
        }
    } catch (const std::exception &e) {
        m_stopFlag = true;
        ShowErrorBox(ExceptionText(e));
    }

    if (!m_stopFlag || testCount > 0)
        showStatus(Tr(u"Сценарий завершен!"));
    m_cycle = 0;
    m_stakesAdded = 0;
    m_running = false;
    m_stopFlag = false;
    // Steps whose rebuilt list did not add up were done again row by row: said once for the run.
    if (const QString fallbacks = m_step.fallbackReport(); !fallbacks.isEmpty()) {
        logLine(fallbacks);
        PostLogMessage(Tr(u"Фильтрация комбинаций"), fallbacks, MsgKindColor(MSG_WARNING));
    }
    m_step.reset();
    if (m_host.setRunning)
        m_host.setRunning(false);
    if (m_log.enabled()) {
        logLine(TScenarioRunLog::endBanner());
        m_log.close();
        // Only a log that was written is shown: never what a link, a FIFO or another name of a file
        // elsewhere under its name holds.
        const QFileInfo logFile(m_log.fileName());
        if (m_host.openLog && !m_log.failed() && logFile.isFile() && !logFile.isSymLink())
            m_host.openLog(m_log.fileName());
    }
    m_log.forget();
    SetStatusText({});

    m_timings.tables += m_step.timings().tables - stepBefore.tables;
    m_timings.filtering += m_step.timings().filtering - stepBefore.filtering;
    m_timings.stepCombinations += m_step.timings().combinations - stepBefore.combinations;
    m_timings.total += msOf(total);
}

void TScenarioRunner::runAllLines(const QStringList &lines)
{
    TStakesFile &stakes = *m_host.stakes;
    // 1. The stakes of this pass stand apart from the ones before.
    if (stakes.count() > 0 && stakes.readRecord(TStakeOrigin::End, -1).isStake()) {
        if (!stakes.appendStake(EmptyStakeRecord())) {
            m_stopFlag = true;
            return;
        }
    }
    // 2, 3.
    m_host.combs->DeleteCombsBuffer();
    m_host.stats->BackupWeights();
    struct Restore {
        TScenarioRunner &r;
        ~Restore()
        {
            r.m_host.stats->RestoreWeights();
            r.m_host.combs->DeleteCombsBuffer();
        }
    } restore{*this};

    m_stepContext.drawsOffset = drawsOffset();
    for (int i = 0; i < lines.size(); ++i) {
        if (stopRequested())
            break;
        const QString &line = lines.at(i);
        if (stopRequested())
            break;
        // A line of blanks is a separator, as the scenario list shows it.
        if (IsScenarioSeparator(line))
            continue;
        if (m_host.selectLine)
            m_host.selectLine(i);
        if (m_log.enabled()) {
            logLine(TScenarioRunLog::dashRule());
            logLine(Format(u"Выполнение строки %.3d: \"%s\"", {i + 1, line}));
            logLine(TScenarioRunLog::dashRule());
        }
        runLine(i + 1, line);
        if (m_stopFlag)
            break;
    }
    if (!m_options.stakesCheckOnLine) {
        QElapsedTimer t;
        t.start();
        checkStakes();
        m_timings.stakes += msOf(t);
    }
}

void TScenarioRunner::runLine(int lineNo, const QString &line)
{
    m_line = lineNo;
    TCombsList &combs = *m_host.combs;
    combs.ClearUndoCount();
    struct EmptyUndo {
        TCombsList &c;
        ~EmptyUndo() { c.ClearUndoCount(); }
    } emptyUndo{combs};

    const bool checkOnLine = m_options.stakesCheckOnLine;
    auto checkAfter = [&] {
        if (!checkOnLine)
            return;
        QElapsedTimer t;
        t.start();
        checkStakes();
        m_timings.stakes += msOf(t);
    };
    auto startList = [&](const TScenarioHeader &header) {
        logLine(Tr(u"Создание начального списка комбинаций..."));
        QElapsedTimer t;
        t.start();
        prepareStartList(header);
        m_timings.startLists += msOf(t);
        ++m_timings.startListCount;
        logLine(Format(u"Количество комбинаций в списке: %d", {combs.count()}));
    };

    try {
        const TScenarioHeader header = TextToScenarioHeader(ScenarioLineHeader(line));
        if (stopRequested())
            return;
        const TLineFilters filters = ReadLineFilters(line, *m_host.stats);
        if (stopRequested())
            return;
        const QString comment = ScenarioLineComment(line);
        logLine(Tr(u"Создание всех вариантов фильтров..."));
        showStatus(Tr(u"Создание всех вариантов фильтров..."));
        const TFilterVariants variants(filters.items, filters.texts);
        logLine(Format(u"Создано %d вариантов фильтров.", {static_cast<long long>(variants.count())}));
        if (stopRequested())
            return;

        if (variants.count() > 0) {
            for (int64_t v = 0; v < variants.count(); ++v) {
                if (stopRequested())
                    break;
                const int variantNo = int(v + 1);
                const TFilterRec rec = variants.variant(v);
                const QString recText = FilterRecToText(rec);
                bool stop = false;
                try {
                    if (m_log.enabled()) {
                        logLine(QString());
                        logLine(TScenarioRunLog::dashRule());
                        logLine(Format(u"Применение набора фильтров %.3d: \"%s\"", {variantNo, recText}));
                        logLine(TScenarioRunLog::dashRule());
                    }
                    showStatus(Format(u"Фильтр %d из %d: %s",
                                      {variantNo, static_cast<long long>(variants.count()), recText}));
                    startList(header);
                    stop = stopRequested();
                    // Each step knows the method of the one after it (the list it leaves is given that
                    // method's sets on the way), and the step after it knows it follows at once.
                    m_stepContext.afterStep = false;
                    for (size_t k = 0; !stop && k < filters.items.size(); ++k) {
                        // A step needs at least two combinations to choose from.
                        if (!rec[k].Used || combs.count() < 2)
                            continue;
                        m_stepContext.drawsOffset = drawsOffset();
                        m_stepContext.nextMethod = nullptr;
                        for (size_t j = k + 1; j < filters.items.size() && !m_stepContext.nextMethod; ++j)
                            if (rec[j].Used)
                                m_stepContext.nextMethod = rec[j].Method;
                        m_step.run(rec[k], filters.methodTexts.value(qsizetype(k)), m_stepContext);
                        m_stepContext.afterStep = true;
                        stop = m_stopFlag;
                    }
                    m_stepContext.afterStep = false;
                    if (!stop)
                        stop = stopRequested();
                    if (!stop) {
                        makeStakes(header, ScenarioHeaderToLineText(header) + u" + "_s + recText, comment, lineNo,
                                   variantNo);
                        stop = stopRequested();
                    }
                    if (!stop)
                        logLine(TScenarioRunLog::dashRule());
                } catch (...) {
                    checkAfter();
                    throw;
                }
                checkAfter();
                if (stop)
                    break;
            }
        } else {
            logLine(Tr(u"{ERROR} Фильтры не применялись!"));
            logLine(QString());
            showStatus(ScenarioHeaderToLineText(header));
            try {
                startList(header);
                if (!stopRequested()) {
                    makeStakes(header, ScenarioHeaderToLineText(header), comment, lineNo, 0);
                    stopRequested();
                }
            } catch (...) {
                checkAfter();
                throw;
            }
            checkAfter();
        }
    } catch (const std::exception &e) {
        m_stopFlag = true;
        ShowErrorBox(ExceptionText(e));
    }
}

void TScenarioRunner::prepareStartList(const TScenarioHeader &header)
{
    TCombsList &combs = *m_host.combs;
    TStatList &stats = *m_host.stats;
    if (header.StartCombsType == ScenarioSource::Full || header.StartCombsType == ScenarioSource::Excl) {
        if (!combs.GenerateCombinations(false, TGenerateSettings{stats.CombsGenerateMode, stats.CombsGenerateParameters})) {
            // The generation told why; the run cannot go on without its list.
            m_stopFlag = true;
            return;
        }
        // A fresh list: the steps of the lists before it are no longer its history.
        combs.ClearFilterLog();
        combs.RefreshCombsCount();
    }
    if (!m_stopFlag && header.StartCombsType == ScenarioSource::Excl && header.ExcludeCount >= 1) {
        const int offset = drawsOffset();
        if (!combs.LoadCombsBuffer(offset, header.ExcludeCount)) {
            combs.SaveUndo(false);
            combs.RemoveLastDrawsCombs(header.ExcludeCount, *stats.Draws(), offset);
            combs.SaveCombsBuffer(offset, header.ExcludeCount);
        }
    }
    if (!m_stopFlag && header.ClearStakes) {
        m_host.stakes->clear();
        m_host.stakes->reopen();
        if (m_host.refreshStakes)
            m_host.refreshStakes();
    }
}

// ---- Stakes ----

void TScenarioRunner::makeStakes(const TScenarioHeader &header, const QString &description, const QString &comment,
                                 int lineNo, int variantNo)
{
    QElapsedTimer clock;
    clock.start();
    TCombsList &combs = *m_host.combs;
    const int64_t count = combs.count();
    const QString stakeComment = ScriptStepLogText(lineNo, variantNo, comment, description);
    const int mode = header.ResultCombsMode;
    logLine(Format(u"{*} Добавление ставки, режим: \"%s\"", {StakeChoiceCaption(mode)}));
    if (count <= 0 || mode == StakeChoice::None)
        return;
    if (count > 1 && mode == StakeChoice::Stop) {
        m_stopFlag = true;
        logLine(Tr(u"{!} Сценарий остановлен!"));
        ShowAttentionBox(Format(u"Выполнение сценария прервано, т.к. после применения всех фильтров в списке "
                                u"комбинаций их осталось более одной: %d!\r\rФильтры: %s",
                                {static_cast<long long>(count), stakeComment}));
        return;
    }
    if (count > 1 && mode == StakeChoice::Skip) {
        logLine(Tr(u"{-} Ставка игнорирована!"));
        return;
    }
    if (m_stopFlag)
        return;
    m_stakeStatusShown = false;
    // Many stakes with "only new" look each one up: the stakes of the file are read once for them.
    m_stakeKeys.reset();
    struct ForgetKeys {
        std::optional<StakeKeys> &keys;
        ~ForgetKeys() { keys.reset(); }
    } forgetKeys{m_stakeKeys};
    if (header.NewOnly && count > 1
        && (mode == StakeChoice::All || mode == StakeChoice::SysA || mode == StakeChoice::SysC)) {
        StakeKeys keys;
        m_host.stakes->forEachRecord(0, [&keys](int64_t, const TStakeRec &rec) {
            if (rec.isStake())
                keys.insert(stakeKey(rec.drawNumber, rec.numbers));
            return true;
        });
        m_stakeKeys = std::move(keys);
    }
    if (count == 1) {
        addStake(sortedNumSet(combs.at(0)), header, stakeComment, count, false);
    } else {
        switch (mode) {
        case StakeChoice::Rand: {
            const int64_t i = m_host.random ? m_host.random(count)
                                            : int64_t(std::uniform_int_distribution<int64_t>(0, count - 1)(m_rng));
            addStake(sortedNumSet(combs.at(std::clamp<int64_t>(i, 0, count - 1))), header, stakeComment, count,
                     false);
            break;
        }
        case StakeChoice::First:
            addStake(sortedNumSet(combs.at(0)), header, stakeComment, count, false);
            break;
        case StakeChoice::Last:
            addStake(sortedNumSet(combs.at(count - 1)), header, stakeComment, count, false);
            break;
        case StakeChoice::All:
            for (int64_t i = 0; i < count; ++i) {
                if (stopRequested())
                    break;
                if (!addStake(sortedNumSet(combs.at(i)), header, stakeComment, count, true))
                    break;
            }
            break;
        case StakeChoice::SysA:
        case StakeChoice::SysC:
            stakeSystem(header, stakeComment, count);
            break;
        default:
            break;
        }
    }
    if (m_host.refreshStakes)
        m_host.refreshStakes();
    m_timings.stakes += msOf(clock);
}

size_t TScenarioRunner::StakeKeyHash::operator()(const StakeKey &k) const
{
    return std::hash<uint64_t>()(k.mask * 0x9E3779B97F4A7C15ull ^ k.drawAndCount);
}

TScenarioRunner::StakeKey TScenarioRunner::stakeKey(int32_t draw, const TNumSet &numbers)
{
    return StakeKey{numbersMask(numbers), (uint64_t(uint32_t(draw)) << 8) | uint64_t(NumSetCount(numbers))};
}

bool TScenarioRunner::stakeExists(int32_t draw, const TNumSet &numbers)
{
    if (!m_stakeKeys)
        return m_host.stakes->findStake(draw, numbers);
    return m_stakeKeys->count(stakeKey(draw, numbers)) != 0;
}

bool TScenarioRunner::addStake(const TNumSet &numbers, const TScenarioHeader &header, const QString &stakeComment,
                               int64_t sample, bool many)
{
    const TDrawsArray &draws = *m_host.stats->Draws();
    const int draw = NextDrawNumber(draws, drawsOffset());
    if (draw < 1)
        throw Exception(Format(u"Нет тиража, на который можно сделать ставку при смещении %d!", {drawsOffset()}));
    const QString numbersText = NumSetToText(numbers, u";");
    if (header.NewOnly && stakeExists(draw, numbers)) {
        logLine(Format(u"{-} Ставка на тираж %d не добавлена, так как уже имеется в списке ставок: [%s]",
                       {draw, numbersText}));
    } else {
        TStakeRec rec;
        rec.version = kStakeVersion;
        rec.kind = STAKE_SCENARIO;
        rec.drawNumber = draw;
        rec.sampleSize = int32_t(std::min<int64_t>(sample, INT32_MAX));
        rec.numbers = numbers;
        rec.matches.count = -1;
        rec.profit = StakeProfit(m_host.stats->Config, NumSetCount(numbers), -1);
        rec.setComment(stakeComment);
        // A stake the file refused stops the run: nothing counts it as made.
        if (!m_host.stakes->appendStakeForDraws(rec, 1)) {
            m_stopFlag = true;
            return false;
        }
        logLine(Format(u"{+} Ставка на тираж %d добавлена в список ставок: [%s]", {draw, numbersText}));
        ++m_stakesAdded;
        if (m_stakeKeys)
            m_stakeKeys->insert(stakeKey(draw, numbers));
    }
    if (!many || !m_stakeStatusShown || m_stakeStatusClock.elapsed() >= kStakeStatusEveryMs) {
        m_stakeStatusShown = true;
        m_stakeStatusClock.restart();
        showStatus(m_statusText);
    }
    return true;
}

void TScenarioRunner::reportFailureOnce(const QString &text)
{
    if (m_failuresShown.contains(text))
        return;
    m_failuresShown.append(text);
    if (AskYesNoDefaultNo(Tr(u"Ошибка"), text + u"\r\rОстановить выполнение сценария?"_s) == IDYES)
        requestStop();
}

void TScenarioRunner::stakeSystem(const TScenarioHeader &header, const QString &stakeComment, int64_t sample)
{
    TCombsList &combs = *m_host.combs;
    const TByteArray numbers = CoveredNumbers(combs.storage(), combs.count());
    const int n = int(numbers.size());
    const TSystemExpansion system = m_host.systemGame ? m_host.systemGame(numbers) : FindSystemForNumbers(numbers);
    if (!system.ok()) {
        // Shown as the system game shows a missing system, once a run: a line that fails so in every
        // cycle of a test would otherwise stand a box between the player and "Стоп" each time.
        reportFailureOnce(system.error == SystemNotFoundText(n) ? SystemNotFoundBoxText(n) : system.error);
        logLine(Format(u"{#} Системная игра для %d чисел [ОШИБКА]: \"%s\"", {n, system.error}));
        return;
    }
    const QString name = QFileInfo(system.path).completeBaseName();
    const bool whole = header.ResultCombsMode == StakeChoice::SysA;
    logLine(whole ? Format(u"{#} Системная игра для %d чисел [все система]: загружен файл \"%s\"", {n, name})
                  : Format(u"{#} Системная игра для %d чисел [система * комбинации]: загружен файл \"%s\"", {n, name}));
    // The system's combinations, each sorted; the filtered game only those the list holds.
    for (const TComb &c : SystemGameCombs(system.combs, combs.data(), combs.count(), !whole))
        if (!addStake(CombToNumSet(c), header, stakeComment, sample, true))
            break;
}
