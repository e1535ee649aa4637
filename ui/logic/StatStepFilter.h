#pragma once

#include "lottery/stats/StatValue.h"

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
// - the statistic's lookups are recorded once per combination in one pass over the list (on all
//   cores), giving each combination the row it matches (one 16-bit index) or, when a combination can
//   match several rows of a table of at most 64 rows, a 64-bit mask of its rows;
// - from a count per row the filter knows how many combinations a keep or delete would leave before
//   touching the list, so a row that would empty it is never applied and undone;
// - with one row per combination the rows are applied to a set of allowed rows only, and the list is
//   rebuilt once, in place, when the step ends;
// - a statistic whose test does not work through key lookups, or a table too large for a mask, is
//   filtered by its test directly, one pass per applied row (still on all cores).
class TStatStepFilter {
public:
    enum class Mode { Idle, Pending, Single, Mask, Direct };

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
    };

    // Starts a step on the list with the table's rows (their records, in table order). Nothing is
    // worked out until the first row is applied.
    void begin(TCombsList &list, std::vector<TStatValueRec> rows, TSource source);
    // The number of combinations the list holds now.
    int64_t count() const { return m_count; }
    // Keeps (or, deleting, deletes) the combinations that have one of the values of the rows given
    // (indexes into the table's rows) and returns how many combinations that leaves. When it would
    // leave none, nothing changes and 0 is returned.
    int64_t apply(const std::vector<int> &rows, bool deleting);
    // Ends the step: the list holds the result and announces its count. The undo copy stays empty.
    void finish();
    // How the step was worked out (tests and benchmarks read it).
    Mode mode() const { return m_mode; }

private:
    struct Worker;
    class RowMaps;

    void buildIndex(bool deleting);
    bool recordPass(bool masks);
    void makeWorkers(bool withRecorder);
    void compactSingle();
    int64_t applyMask(const std::vector<int> &rows, bool deleting);
    int64_t applyDirect(const std::vector<int> &rows, bool deleting);
    // Keeps, in order and in place, the combinations for which keep(index) is true, moving the masks
    // along (and counting the rows anew) with withMasks; the list's count is the caller's.
    template <class Keep> void compact(Keep keep, bool withMasks);

    TCombsList *m_list = nullptr;
    std::vector<TStatValueRec> m_rows;
    TSource m_source;
    Mode m_mode = Mode::Idle;
    int64_t m_count = 0;
    bool m_changed = false;

    // Single: the row of each combination (kNoRow for none), the count of each row, the allowed rows.
    std::vector<uint16_t> m_rowOf;
    std::vector<int64_t> m_hist;
    std::vector<uint8_t> m_allowed;
    // Mask: the rows of each combination.
    std::vector<uint64_t> m_masks;
    // Direct: a flag per combination.
    std::vector<uint8_t> m_flags;

    std::vector<std::unique_ptr<Worker>> m_workers;
    std::unique_ptr<RowMaps> m_maps;
};
