#pragma once

#include "lottery/stats/StatValue.h"
#include "app/combinations/FullSetLookups.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TCombsList;
class TCustomStat;
class TStatList;
struct TNumbersChoice;
struct TStatMethod;

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
//   on all cores into the undo copy's storage, which becomes the list's;
// - what is left of the full set may stay unwritten for the next step (the list writes it when it is
//   read): numbers kept by sums of their weights, before a step of a method that asks one question
//   per number (it writes what it keeps from the numbers), or most of the full set kept by sets,
//   before a step of sets (it reads each combination's set at its place in the full set);
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
    bool countSets();
    template <class MaskOf> bool recordMasks(MaskOf maskOf);
    bool recordIndexes();
    int64_t applyMask(uint64_t selection, bool single, bool deleting);
    int64_t applyIndex(const std::vector<int> &candidates, bool deleting);
    int64_t applySets(const std::vector<int> &candidates, bool deleting);
    int64_t applyDirect(const std::vector<int> &rows, bool deleting);
    // The list becomes the combinations keep(place, combination) holds for, in order; with a next
    // method's lookups given, each kept combination's set of them is written on the way. prefixKept:
    // over the full set, how many keep keeps of each prefix of the full set, when known without a pass.
    // chosen: the list is to become the combinations of that choice of numbers (a subset of the list):
    // they are made again from the numbers instead of read, and keep is not asked.
    // placeFlags: keep is "the flag of the place in the full set is set" (over a list left unwritten):
    // when few are, the places without one are passed over.
    template <class Keep>
    void compact(Keep keep, const std::vector<int64_t> *prefixKept = nullptr, const TNumbersChoice *chosen = nullptr,
                 const uint8_t *placeFlags = nullptr);
    template <class T> int64_t countMasks(uint64_t d, uint64_t a, uint64_t m) const;
    void compactSurvivors();
    bool survivorsOfNumbers(TNumbersChoice &choice) const;
    bool leaveWhere();
    struct WeightedSurvivors;
    bool countFullSetByNumbers(const WeightedSurvivors *within);
    bool useNumberWeights(const std::array<uint8_t, kMaxNumber + 1> &weights, const TStatProbe &lookup);
    // Fills m_survivors' weights and sums for a method of sets whose test asks for a sum of weights of
    // the numbers; false for the others.
    bool survivorsOfSets();
    // The combinations of the full set whose weights add up to a sum m_survivors allows.
    TNumbersChoice survivorsChoice() const;
    // m_survivors describes the list as it is now.
    void noteSurvivors();
    // The list, the full set until now, becomes those combinations, unwritten (the next step asks one
    // question per number and makes what it keeps from the numbers).
    void leaveSurvivorsUnwritten();
    void countFullSetByWeights();

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
    // The masks of a method that asks one question per number come from the numbers' candidates
    // (m_numberBits); those of a test of a sum of weights of the numbers, from the candidates of the
    // sum (m_sumBits). m_masksFromNumbers: the masks are worked out from the numbers when the list is
    // rebuilt (none were recorded).
    bool m_masksFromNumbers = false;
    bool m_masksFromWeights = false;
    std::array<uint64_t, 256> m_numberBits{};
    std::array<uint8_t, 256> m_numberWeight{};
    std::array<uint64_t, 256> m_sumBits{};
    // Every combination of the list ascends within 1..45 (the full set, or checked by the pass that
    // recorded the masks or read the sets).
    bool m_listAscending = false;
    // Index: the one candidate of each combination (kNone for none), the count of each, the allowed ones.
    std::vector<int64_t> m_hist;
    std::vector<uint8_t> m_allowed;
    // Sets: the run's lookups of the method; the set of each combination (the kept lookups' own when
    // the list is the full set, else the step's buffer) and its width; the combinations of each set
    // in the list; the sets still alive (a flag per set, and their list); the candidates each set
    // answers (m_setCandidates from m_setCandidateStart[set] on).
    const TFullSetLookups::Entry *m_entry = nullptr;
    const uint8_t *m_ids = nullptr;
    int m_idWidth = 1;
    std::vector<int64_t> m_setCount;
    std::vector<uint8_t> m_setAlive;
    std::vector<uint32_t> m_liveSets;
    std::vector<int32_t> m_setCandidateStart;
    std::vector<int32_t> m_setCandidates;
    std::vector<uint8_t> m_selected;   // scratch of a row applied: the candidates selected
    std::vector<uint8_t> m_setMatches; // and the sets that answer them

    // The sets of the next method for the list a step left (written while it was rebuilt): valid for
    // that list only (its storage and count), and read by the next step when it follows at once.
    struct Prepared {
        const TFullSetLookups::Entry *entry = nullptr;
        const TComb *data = nullptr;
        int64_t count = -1;
        std::vector<uint8_t> ids;
        std::vector<int64_t> counts;
        bool valid = false;
    };
    Prepared m_prepared;
    Prepared m_preparing;
    // The list a step over the full set left when it tested sums of weights of the numbers: the
    // combinations of the full set whose sum is allowed. Valid for that list only (its storage and
    // count); a step of a method that asks one question per number counts it without reading it when
    // it follows at once.
    struct WeightedSurvivors {
        const TComb *data = nullptr;
        int64_t count = -1;
        std::array<uint8_t, 256> weight{};
        std::array<uint8_t, 256> allowed{};
        bool valid = false;
    };
    WeightedSurvivors m_survivors;
    // The same for the list of this step, when it is such a list (read when it is rebuilt).
    WeightedSurvivors m_within;
    // A list left unwritten as the full set's combinations of the sets that the steps before kept
    // (when it is read, it is written); a Sets step over it reads each combination's set at its place
    // in the full set (m_overWhere) and works over the full set.
    struct Where;
    std::shared_ptr<const Where> m_where;
    bool m_overWhere = false;
    uint8_t *m_whereMarks = nullptr; // in the step's buffer: what the steps before kept, place by place

    std::vector<std::unique_ptr<Worker>> m_workers;
    std::unique_ptr<CandidateMaps> m_maps;
};
