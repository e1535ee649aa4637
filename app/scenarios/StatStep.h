#pragma once

#include "lottery/FilterItem.h"
#include "lottery/ScenarioLine.h"
#include "app/statistics/DrawsStatCalc.h"
#include "app/scenarios/StatStepFilter.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>

class QElapsedTimer;
class TCombsList;
class TScenarioRunLog;
class TStatList;
struct TStatMethod;

// Whether a row of a statistics table meets the condition of a resolved filter. Raises EConvertError
// when the condition's value (or an item of its list) is not a number.
bool RowMatches(const TFilterPart &part, const TStatValues &row);

// The place of a method in the list of methods the statistics page offers (available, selectable,
// favourite), -1 when the page does not offer it.
int ListedMethodIndex(const TStatList &stats, const TStatMethod *method);

// What a statistics table of a run depends on.
struct TStatTableKey {
    QString method; // the method's code with its parameter
    int drawCount = 0;
    int sampleLength = 0;
    int offset = 0;
    bool sortedDraws = false;
    bool norms = false;     // compared with the all-combinations distribution
    bool withFacts = false; // the fact columns were worked out
    TWeightCoefs weights;   // the weight column follows them
    bool operator==(const TStatTableKey &o) const = default;
};

// The computed statistics tables of a run, kept by everything they depend on (the weights among it),
// so that a step that asks again for a table it had gets it without computing.
class TStatTableCache {
public:
    std::shared_ptr<const TDrawsStatResult> get(const TDrawsStatParams &params, const TStatTableKey &key);
    void clear() { m_entries.clear(); }
    int computations() const { return m_computations; }

private:
    static constexpr size_t kCapacity = 16;
    struct Entry {
        TStatTableKey key;
        std::shared_ptr<const TDrawsStatResult> result;
    };
    std::list<Entry> m_entries; // most recent first
    int m_computations = 0;
};

// One statistics step of a scenario line: the table of the filter's statistic over its number of
// draws, walked in the order the filter asks, each row tested against the condition, the
// combinations with the selected values kept or deleted, a row that would empty the list undone.
class TStatStep {
public:
    struct TContext {
        TStatList *stats = nullptr; // the registry; its weights are set for the step
        TCombsList *combs = nullptr;
        int drawsOffset = 0;
        bool sortedDraws = false;
        bool prefetchsEnabled = false;
        // The all-combinations distribution of a method (the statistics page's source).
        std::function<bool(const TStatMethod &, TStatPrefetch &)> prefetch;
        // The stop check of the run: true when the run is to stop.
        std::function<bool()> stopRequested;
        // Called while the cores work (keeps the window alive).
        std::function<void()> idle;
        TScenarioRunLog *log = nullptr;
        // The method of the step that will follow on the list this one leaves (none: unknown), and
        // whether this step's list is the one the previous step left, untouched since.
        const TStatMethod *nextMethod = nullptr;
        bool afterStep = false;
    };

    // Time spent (in milliseconds) since the step object was made.
    struct TTimings {
        double tables = 0;
        double filtering = 0;
        // The combinations the steps filtered: the list's count when each step began, added up.
        int64_t combinations = 0;
    };

    // Runs one used part of a variant. methodText is the filter's method field as written (shown when
    // the filter names no method). Raises the step's messages (a method the page does not offer, a bad
    // sort column or condition value) and what the statistic raises; the list then holds what the rows
    // applied before left.
    void run(const TFilterPart &part, const QString &methodText, TContext &ctx);

    // Starts a run afresh: the tables, the kept lookups and the fallbacks of the previous run are
    // forgotten.
    void reset()
    {
        m_tables.clear();
        m_fullSet.clear();
        m_filter.clearFallbacks();
    }
    // What the run's log and the program's log say of the steps since reset that fell back to the
    // plain step; empty when none did.
    QString fallbackReport() const;
    const TTimings &timings() const { return m_timings; }
    TStatStepFilter::Mode lastMode() const { return m_lastMode; }
    // The steps the last run counted (rows applied, or rows walked with several rows selected at once).
    int lastSteps() const { return m_lastSteps; }
    int tableComputations() const { return m_tables.computations(); }
    // For tests: the next row applied is counted delta combinations off, as a faulty way would.
    void miscountNextRow(int64_t delta) { m_filter.miscountNextRow(delta); }
    // For tests: the next list a step leaves unwritten is written with that fault.
    void faultNextWrite(const TWriteFault &fault) { m_filter.faultNextWrite(fault); }

private:
    struct TWalk;
    std::shared_ptr<const TDrawsStatResult> computeTable(const TFilterPart &part, const TStatMethod &method,
                                                         TContext &ctx, std::vector<int> &order);
    void beginFilter(const TStatMethod &method, TContext &ctx, std::vector<TStatValueRec> records,
                     std::vector<int> candidates);
    void endFilter(const QElapsedTimer &clock);
    // Walks the rows in the order the filter asks, applying the selected ones.
    void walkRows(TWalk &walk);
    // A single selection: the row applied (or undone); returns the combinations it leaves (0: undone).
    int64_t applyRow(TWalk &walk, int idx);
    // Several rows selected at once, applied after the walk.
    void applySelected(TWalk &walk, std::vector<int> selected);
    // After a step worked out again the plain way: the counts of its rows logged again.
    void sayTrueCounts(const TWalk &walk);

    TStatTableCache m_tables;
    TFullSetLookups m_fullSet;
    TStatStepFilter m_filter;
    TTimings m_timings;
    TStatStepFilter::Mode m_lastMode = TStatStepFilter::Mode::Idle;
    int m_lastSteps = 0;
};

// The texts of a table row as the step logs it:
// "< [value] кол-во: c (c% %), отклонение: d (d% %), глубина: g (g% %), вес: w >".
QString StatRowLogText(const TStatValues &row);
