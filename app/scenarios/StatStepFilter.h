#pragma once

#include "lottery/stats/StatValue.h"
#include "app/combinations/CombsOfNumbers.h"
#include "app/combinations/FullSetLookups.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TCombsList;
class TStatList;
class TStepWay;
struct TStatMethod;
class TDirectWay;
class TStepList;
struct TStepInput;

// The combinations list during one statistics step of a scenario: the rows of the step's statistics
// table are walked one after another, and each selected row keeps or deletes the combinations that
// have its value. The result is exactly that of filtering the list row by row with the statistic's
// combination test, undoing a row that would empty the list; only the work differs:
//
// - only the rows that meet the step's condition can ever be applied (the candidates);
// - for a method of the six numbers alone the run keeps what every combination of the full set asks
//   (TFullSetLookups): each combination of the list reads its set of lookups there, in one pass over
//   the list that counts the combinations of each set (none for the untouched full list, whose
//   counts are kept too); a row applied then only changes which sets are alive, and the counts give
//   how many combinations it leaves before the list is touched. Methods that ask one question per
//   number get each combination's candidates from its numbers;
// - otherwise the statistic's lookups are recorded once per combination in one pass over the list (on
//   all cores), giving each combination the candidates it matches: a mask of up to 64 candidates (8
//   to 64 bits a combination), or the one candidate it matches when there are more; combinations
//   with the same mask are counted together, so a row that would empty the list is never applied;
// - the rows applied only change a few masks or sets; the list is rebuilt once when the step ends,
//   on all cores into the undo copy's storage, which becomes the list's (the list is only read
//   meanwhile);
// - what is left of the full set may stay unwritten for the next step (the list writes it when it is
//   read): numbers kept by sums of their weights, before a step of a method that asks one question
//   per number (it writes what it keeps from the numbers), or most of the full set kept by sets,
//   before a step of sets (it reads each combination's set at its place in the full set);
// - the rebuild checks that every task wrote exactly the combinations the counts promised it, and a
//   list left unwritten that it will write as many as the step counted; when one did not, the list
//   is left as it was and the rows applied are applied again by the statistic's own test, one after
//   another (the list is never wrong), and that is counted (the run reports it once, at its end);
// - a list left unwritten checks its own write when it is read: every pair of first numbers counts
//   what it stores (never past its place) and sees an empty entry in what it writes; when that is not
//   exactly what was promised, the list is written again the plain way, one pass in order, and that
//   is counted with the others;
// - each way of working (masks, candidate index, sets, the statistic's own test) is a type of its own
//   behind one interface (StatStepWay.h) that reads the step's input and changes the list only
//   through the list's operations; the filter picks one in one place (chooseWay), keeps the rows
//   applied and falls back;
// - a statistic whose test does not work through key lookups, or one with more than 64 candidates
//   that a combination can match together, is filtered by its own test, one pass per applied row
//   (still on all cores).
class TStatStepFilter {
public:
    enum class Mode { Idle, Pending, Mask, Index, Direct, Sets };

    TStatStepFilter();
    ~TStatStepFilter();
    TStatStepFilter(const TStatStepFilter &) = delete;
    TStatStepFilter &operator=(const TStatStepFilter &) = delete;

    // What the step filters with: the method's statistic, the last draw it knows (draws - 1 - offset,
    // 0 when that is negative) and the sorted-draws option. idle is called while the cores work.
    struct TSource {
        const TStatList *stats = nullptr;
        const TStatMethod *method = nullptr;
        int last = 0;
        bool sorted = false;
        std::function<void()> idle;
        // The run's lookups of the full set (a step over a list of the full set's combinations reads
        // them).
        TFullSetLookups *fullSet = nullptr;
        // The kept lookups of the method of the step that will follow on the list this one leaves: the
        // list, when rebuilt, is given the sets of that method on the way. afterStep: the list is the
        // one the previous step left, untouched since (what it gave on the way is read).
        const TFullSetLookups::Entry *next = nullptr;
        bool afterStep = false;
    };

    // Starts a step on the list with the table's rows (their records, in table order) and the rows
    // that may be applied (indexes into rows). Nothing is worked out until the first row is applied.
    void begin(TCombsList &list, std::vector<TStatValueRec> rows, std::vector<int> candidates, TSource source);
    // The number of combinations the list holds now.
    int64_t count() const;
    // Keeps (or, deleting, deletes) the combinations that have one of the values of the rows given
    // (candidates, as indexes into the table's rows) and returns how many combinations that leaves.
    // When it would leave none, nothing changes and 0 is returned. No row: nothing changes.
    int64_t apply(const std::vector<int> &rows, bool deleting);
    // Works out the candidates of every combination now rather than at the first row applied.
    void prepare();
    // Ends the step: the list holds the result and announces its count. The undo copy stays empty.
    void finish();
    // How the step was worked out (tests and benchmarks read it).
    Mode mode() const;

    // For tests: the next rebuild of the list is promised delta combinations more for its first task
    // and, when it has several, delta fewer for its last one (a miscount the rebuild must catch).
    void miscountNextRebuild(int64_t delta);
    // For tests: the next row applied is counted delta combinations off (a way that miscounts).
    void miscountNextRow(int64_t delta);
    // For tests: the next list left unwritten is written with that fault (its write must catch it).
    void faultNextWrite(const TWriteFault &fault);

    // The steps whose rebuild did not add up, or whose list left unwritten was not written as
    // promised (each then worked out the plain way) since the last clearFallbacks, and the codes of
    // their methods, each once.
    struct TFallbacks {
        int taken = 0;
        QStringList methods;
    };
    TFallbacks fallbacks() const;
    void clearFallbacks();
    // True when the step begun last was worked out again since its begin: its rebuild did not add up,
    // or it read the list it left unwritten itself. A list left by a step before that is written
    // again when this one reads it is counted for that step, not this one.
    bool stepFellBack() const;
    // The list's count after each row applied since begin (0: the row was undone), in the order of
    // the calls of apply: what the list holds, also when a fallback worked it out again.
    const std::vector<int64_t> &rowCounts() const { return m_rowCounts; }

private:
    // Picks the way of working at the first row applied (or when asked to prepare), trying each in
    // turn: sets, masks of one question per number, masks of a sum of weights, masks recorded by the
    // test, the candidate index, and else the statistic's own test.
    void chooseWay();
    int64_t applyRows(const std::vector<int> &rows, bool deleting, size_t call);
    // The plain step: the statistic of each core, without recorders.
    std::unique_ptr<TDirectWay> makeDirectWay();
    // The rows applied since the list last held the step's result are applied again by the statistic's
    // own test, one after another (a rebuild that did not add up left the list as it was before them).
    void fallBackToPlain();
    // The list becomes what the rows applied left: by the way of working, or by the plain step when
    // its rebuild did not add up.
    void finishWay();
    void releaseStep();

    // The fallbacks counted, shared with the lists the steps left unwritten (written later, on
    // whichever thread reads them first).
    class TFallbackCount {
    public:
        // step: the begin the fallback belongs to.
        void note(const QString &method, uint64_t step);
        TFallbacks taken() const;
        bool noted(uint64_t step) const;
        void clear();

    private:
        mutable std::mutex m_lock;
        TFallbacks m_taken;
        std::vector<uint64_t> m_steps; // the steps that fell back, each once
    };

    std::unique_ptr<TStepInput> m_in;
    std::unique_ptr<TStepList> m_list;
    std::vector<int> m_candidateOf; // table row -> candidate, -1 for the others
    std::unique_ptr<TStepWay> m_way;
    bool m_active = false;
    bool m_changed = false;
    std::shared_ptr<TFallbackCount> m_fallbacks;
    uint64_t m_step = 0; // counts the begins
    std::vector<int64_t> m_rowCounts;
    int64_t m_rowMiscount = 0;
};
