#pragma once

#include "lottery/stats/StatValue.h"
#include "app/combinations/FullSetLookups.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TCombsList;
class TCustomStat;
class TStatList;
struct TStatMethod;

// The combinations list during one statistics step of a scenario: the rows of the step's statistics
// table are walked one after another, and each selected row keeps or deletes the combinations that
// have its value. The result is exactly that of filtering the list row by row with the statistic's
// combination test, undoing a row that would empty the list; only the work differs:
//
// - only the rows that meet the step's condition can ever be applied (the candidates);
// - the statistic's lookups are recorded once per combination in one pass over the list (on all
//   cores), giving each combination the candidates it matches: a mask of up to 64 candidates (8 to 64
//   bits a combination), or the one candidate it matches when there are more;
// - combinations with the same mask are counted together, so how many combinations a keep or delete
//   would leave is known from the counts before the list is touched, and a row that would empty the
//   list is never applied and undone;
// - the rows applied only change a few masks; the list is rebuilt once, in place, when the step ends;
// - a statistic whose test does not work through key lookups, or one with more than 64 candidates
//   that a combination can match together, is filtered by its own test, one pass per applied row
//   (still on all cores).
class TStatStepFilter {
public:
    enum class Mode { Idle, Pending, Mask, Index, Direct };

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
        // The run's lookups of the full set: a step over the untouched full list reads them.
        TFullSetLookups *fullSet = nullptr;
    };

    // Starts a step on the list with the table's rows (their records, in table order) and the rows
    // that may be applied (indexes into rows). Nothing is worked out until the first row is applied.
    void begin(TCombsList &list, std::vector<TStatValueRec> rows, std::vector<int> candidates, TSource source);
    // The number of combinations the list holds now.
    int64_t count() const { return m_count; }
    // Keeps (or, deleting, deletes) the combinations that have one of the values of the rows given
    // (candidates, as indexes into the table's rows) and returns how many combinations that leaves.
    // When it would leave none, nothing changes and 0 is returned. No row: nothing changes.
    int64_t apply(const std::vector<int> &rows, bool deleting);
    // Works out the candidates of every combination now rather than at the first row applied.
    void prepare();
    // Ends the step: the list holds the result and announces its count. The undo copy stays empty.
    void finish();
    // How the step was worked out (tests and benchmarks read it).
    Mode mode() const { return m_mode; }

private:
    struct Worker;
    class CandidateMaps;

    void makeWorkers(bool withRecorder);
    void buildIndex();
    bool useFullSet();
    bool recordMasks();
    bool recordIndexes();
    int64_t applyMask(uint64_t selection, bool single, bool deleting);
    int64_t applyIndex(const std::vector<int> &candidates, bool deleting);
    int64_t applyDirect(const std::vector<int> &rows, bool deleting);
    template <class Keep> void compact(Keep keep);
    template <class T> int64_t countMasks(uint64_t d, uint64_t a, uint64_t m) const;
    template <class T> void compactMasks();

    TCombsList *m_list = nullptr;
    std::vector<TStatValueRec> m_rows;
    std::vector<int> m_candidates;   // table rows
    std::vector<int> m_candidateOf;  // table row -> candidate, -1 for the others
    TSource m_source;
    Mode m_mode = Mode::Idle;
    int64_t m_count = 0;
    int64_t m_listCount = 0; // the list's count when the step began
    bool m_changed = false;

    // The step's buffer of one entry per combination (the masks, the indexes or the flags below): the
    // undo copy's storage when it is large enough (a step keeps no undo copy), else its own.
    uint8_t *buffer(size_t bytes);
    uint8_t *m_buffer = nullptr;
    std::vector<uint8_t> m_ownBuffer;

    // Mask: the candidates of each combination, m_width bytes each; the counts of the distinct masks
    // (empty when there are too many of them: each row is then counted over the list); the result so
    // far: no candidate of m_deleted, every candidate of m_required, and one of m_anyOf when set.
    int m_width = 0;
    std::vector<std::pair<uint64_t, int64_t>> m_classes;
    uint64_t m_deleted = 0;
    uint64_t m_required = 0;
    uint64_t m_anyOf = 0;
    // Index: the one candidate of each combination (kNone for none), the count of each, the allowed ones.
    std::vector<int64_t> m_hist;
    std::vector<uint8_t> m_allowed;
    // Over the untouched full list: the kept sets of lookups, with the mask (Mask) or the one
    // candidate (Index, -1 for none) of each set; no buffer of the step's own.
    const TFullSetLookups::Entry *m_entry = nullptr;
    std::vector<uint64_t> m_setMask;
    std::vector<int32_t> m_setCandidate;

    std::vector<std::unique_ptr<Worker>> m_workers;
    std::unique_ptr<CandidateMaps> m_maps;
};
