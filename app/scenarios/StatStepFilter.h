#pragma once

#include "lottery/stats/StatValue.h"
#include "app/combinations/CombsOfNumbers.h"
#include "app/combinations/FullSetLookups.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TCombsList;
class TCustomStat;
class TStepCandidates;
struct TFullSetSubset;
class TStatList;
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
//   on all cores into the undo copy's storage, which becomes the list's (the list is only read
//   meanwhile);
// - what is left of the full set may stay unwritten for the next step (the list writes it when it is
//   read): numbers kept by sums of their weights, before a step of a method that asks one question
//   per number (it writes what it keeps from the numbers), or most of the full set kept by sets,
//   before a step of sets (it reads each combination's set at its place in the full set);
// - the rebuild checks that every task wrote exactly the combinations the counts promised it; when
//   one did not, the list is left as it was and the rows applied are applied again by the statistic's
//   own test, one after another (the list is never wrong), and that is reported once in the log;
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
    // For tests: the next rebuild of the list is promised delta combinations more for its first task
    // and, when it has several, delta fewer for its last one (a miscount the rebuild must catch).
    void miscountNextRebuild(int64_t delta) { m_miscount = delta; }

private:
    struct Worker;
    struct RebuildHints;
    struct RebuildPlan;
    struct SumsKept;

    // ---- The step (StatStepFilter.cpp) ----
    void makeWorkers(bool withRecorder);
    void buildIndex();
    bool useFullSet();
    bool useKeyLookups();
    void useDirect();
    void releaseStep();
    // The table rows of candidates.
    std::vector<int> rowsOf(const std::vector<int> &candidates) const;
    // A row applied leaves left combinations: the step's count, noted among the rows applied.
    int64_t accept(const std::vector<int> &candidates, bool deleting, int64_t left);
    // The step's buffer of bytes bytes, kept from step to step; see m_buffer.
    uint8_t *buffer(size_t bytes);
    // The rows applied since the list last held the step's result are applied again by the statistic's
    // own test, one after another (a rebuild that did not add up leaves the list as it was before
    // them); reported once in the program's log.
    void fallBackToPlain();

    // ---- The list rebuilt (StatStepRebuild.h, StatStepFilter.cpp) ----
    // The list becomes the combinations keep(place, combination) holds for, in order; false when a
    // task did not write exactly what the counts promised (the step then fell back to the plain one).
    // With the next method's sets given, each kept combination's set of them is written on the way.
    template <class Keep> bool rebuild(Keep keep, const RebuildHints &hints);
    // What each task of the rebuild is to keep.
    template <class Keep> std::vector<int64_t> promisedKept(const RebuildPlan &plan, const Keep &keep);
    // The promises add up to the step's count, none below 0.
    bool promisesAddUp(const std::vector<int64_t> &promised) const;
    // Writes the rebuilt list into the undo copy's storage, which becomes the list's; false (the list
    // as it was) when a task did not keep exactly what it was promised.
    template <class Keep>
    bool writeRebuilt(const RebuildPlan &plan, const Keep &keep, const std::vector<int64_t> &promised);
    RebuildPlan planRebuild(const RebuildHints &hints);
    void forgetCarried();
    void keepNextSets(const TFullSetLookups::Entry *next, std::vector<int64_t> counts);

    // ---- Masks (StatStepMasks.cpp) ----
    bool useNumberQuestions();
    bool countFullSetByNumbers(const SumsKept *within);
    bool useNumberWeights(const std::array<uint8_t, kMaxNumber + 1> &weights, const TStatProbe &lookup);
    void countFullSetByWeights();
    bool recordTestMasks();
    template <class MaskOf> bool recordMasks(MaskOf maskOf);
    void takeMaskCounts(const TKeyTable<int64_t> &byMask);
    int64_t applyMask(const std::vector<int> &candidates, bool deleting);
    int64_t countSurvivingMasks(uint64_t d, uint64_t a, uint64_t m) const;
    void rebuildMasks();
    void rebuildMasksOfWeights();
    void rebuildMasksOfNumbers();
    int64_t switchToDirect(const std::vector<int> &rows, bool deleting);
    bool survivorsOfNumbers(TNumbersChoice &choice) const;
    // The combinations of the full set whose weights add up to a sum m_leftBySums allows.
    TNumbersChoice survivorsChoice() const;
    // m_leftBySums describes the list as it is now.
    void noteSurvivors();
    // The list, the full set until now, becomes those combinations, unwritten (the next step asks one
    // question per number and makes what it keeps from the numbers).
    void leaveSurvivorsUnwritten();

    // ---- Candidate index (StatStepIndex.cpp) ----
    bool recordIndexes();
    int64_t applyIndex(const std::vector<int> &candidates, bool deleting);
    void rebuildIndexed();

    // ---- Sets (StatStepSets.cpp) ----
    bool countSets();
    void findSetCandidates();
    void countSetsOverSubset();
    bool countSetsOfList();
    void takeSetCounts(std::vector<int64_t> counts);
    int64_t applySets(const std::vector<int> &candidates, bool deleting);
    void rebuildSets();
    void rebuildSubset();
    // Fills m_leftBySums' weights and sums for a method of sets whose test asks for a sum of weights of
    // the numbers; false for the others.
    bool survivorsOfSets();
    bool leaveSubset();

    // ---- Direct (StatStepDirect.cpp) ----
    int64_t applyDirect(const std::vector<int> &rows, bool deleting);
    // Flags every combination of the list the statistic's test keeps (in the step's buffer); returns
    // how many.
    int64_t flagKept(const std::vector<int> &rows, bool deleting);
    void plainStep(const std::vector<int> &rows, bool deleting);

    // ---- The step ----
    TCombsList *m_list = nullptr;
    std::vector<TStatValueRec> m_rows;
    std::vector<int> m_candidates;   // table rows
    std::vector<int> m_candidateOf;  // table row -> candidate, -1 for the others
    TSource m_source;
    Mode m_mode = Mode::Idle;
    int64_t m_count = 0;
    int64_t m_listCount = 0; // the list's count when the step began, or when it was last rebuilt
    bool m_changed = false;
    // Every combination of the list ascends within 1..45 (the full set, or checked by the pass that
    // recorded the masks or read the sets).
    bool m_listAscending = false;
    // The rows applied since the list last held the step's result, in order.
    struct Applied {
        std::vector<int> rows;
        bool deleting = false;
    };
    std::vector<Applied> m_applied;
    int64_t m_miscount = 0;
    bool m_miscountReported = false;

    // The step's buffer: a value per combination of the list (the masks, the candidate indexes, the
    // sets or the flags of the statistic's own test), or a flag per place of the full set over a
    // subset left unwritten. Its room is the step's own, kept from step to step.
    uint8_t *m_buffer = nullptr;
    std::vector<uint8_t> m_bufferRoom;

    // Masks: the candidates of each combination, width bytes each in the buffer; the counts of the
    // distinct masks (empty when there are too many of them: each row is then counted over the list);
    // the result so far: no candidate of deleted, every candidate of required, and one of anyOf when
    // set. The masks of a method that asks one question per number come from the numbers' candidates
    // (numberBits); those of a test of a sum of weights of the numbers, from the candidates of the sum
    // (sumBits). fromNumbers: the masks are worked out from the numbers when the list is rebuilt (none
    // were recorded).
    struct MaskState {
        int width = 0;
        std::vector<std::pair<uint64_t, int64_t>> classes;
        uint64_t deleted = 0;
        uint64_t required = 0;
        uint64_t anyOf = 0;
        bool fromNumbers = false;
        bool fromWeights = false;
        std::array<uint64_t, 256> numberBits{};  // by byte value: numbers 1..45, 0 for the others
        std::array<uint8_t, 256> numberWeight{}; // likewise
        std::array<uint64_t, kWeightSums> sumBits{};
    } m_masks;

    // Candidate index: the one candidate of each combination in the buffer (16 bits, none = 0xFFFF),
    // the combinations of each candidate (and of none, last), the candidates still allowed.
    struct IndexState {
        std::vector<int64_t> perCandidate;
        std::vector<uint8_t> allowed;
    } m_index;

    // Sets: the run's lookups of the method; the set of each combination (the kept lookups' own when
    // the list is the full set or a subset of it left unwritten, else the buffer) and its width; the
    // combinations of each set in the list; the sets still alive (a flag per set, and their list); the
    // candidates each set answers (candidates from candidateStart[set] on). overSubset: the list is a
    // subset of the full set left unwritten, walked place by place over the full set, what the steps
    // before kept flagged in subsetFlags (the buffer).
    struct SetsState {
        const TFullSetLookups::Entry *entry = nullptr;
        const uint8_t *ids = nullptr;
        int idWidth = 1;
        std::vector<int64_t> count;
        std::vector<uint8_t> alive;
        std::vector<uint32_t> live;
        std::vector<int32_t> candidateStart;
        std::vector<int32_t> candidates;
        std::vector<uint8_t> selected; // scratch of a row applied: the candidates selected
        std::vector<uint8_t> matches;  // and the sets that answer them
        bool overSubset = false;
        uint8_t *subsetFlags = nullptr;
    } m_sets;

    // ---- Carried from one step to the next that follows at once on the list it left ----
    // The sets of the next method for the list a step left (written while it was rebuilt): valid for
    // that list only (its storage and count).
    struct NextSets {
        const TFullSetLookups::Entry *entry = nullptr;
        const TComb *data = nullptr;
        int64_t count = -1;
        std::vector<uint8_t> ids;
        std::vector<int64_t> counts;
        bool valid = false;
    };
    NextSets m_nextSetsGiven;
    NextSets m_nextSetsWriting;
    // The combinations of the full set whose weights add up to an allowed sum, a list a step left
    // (m_leftBySums: a step of a method that asks one question per number counts it without reading
    // it) or the list of this step (m_listBySums: read when it is rebuilt). Valid for that list only
    // (its storage and count).
    struct SumsKept {
        const TComb *data = nullptr;
        int64_t count = -1;
        std::array<uint8_t, 256> weight{}; // by byte value, as the masks' numberWeight
        std::array<uint8_t, kWeightSums> allowed{};
        bool valid = false;
    };
    SumsKept m_leftBySums;
    SumsKept m_listBySums;
    // The subset of the full set a step of sets left unwritten (the list's unwritten state while the
    // list is still that subset).
    std::shared_ptr<const TFullSetSubset> m_leftSubset;

    std::vector<std::unique_ptr<Worker>> m_workers;
    std::unique_ptr<TStepCandidates> m_candidateMaps;
};
