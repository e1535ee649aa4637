#pragma once

// What the ways of working of the statistics step share: the step's state (the list, the table's rows
// and candidates, what the step left so far), the rebuild of the list (StatStepRebuild.h), what a step
// leaves for the next one, and the interface of a way of working.

#include "app/scenarios/StatStepFilter.h"

#include "app/combinations/CombsOfNumbers.h"
#include "app/combinations/FullSetLookups.h"
#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TStepCandidates;
struct TFullSetSubset;

// The statistic of one core of the step.
struct TStepWorker {
    std::unique_ptr<TCustomStat> stat;
    TStatProbeRecorder recorder;
    TStatDrawArray probeArray; // answers nothing, records every lookup
    TStatDrawArray values;     // the selected values (the statistic's own test)
};

// Carried from one step to the next that follows at once on the list it left: each piece holds for
// the list of one revision only (the list it was made for, as it was then).
struct TStepCarried {
    // The sets of the next method for the list a step left (written while it was rebuilt).
    struct NextSets {
        const TFullSetLookups::Entry *entry = nullptr;
        uint64_t revision = 0;
        std::vector<uint8_t> ids;
        std::vector<int64_t> counts;
        bool valid = false;
    };
    // The combinations of the full set whose weights add up to an allowed sum, as a list a step left:
    // a step of a method that asks one question per number counts it without reading it.
    struct SumsKept {
        uint64_t revision = 0;
        std::array<uint8_t, 256> weight{}; // by byte value
        std::array<uint8_t, kWeightSums> allowed{};
        bool valid = false;

        TNumbersChoice choice() const { return TNumbersChoice{kAllNumbers, 0, false, weight.data(), allowed.data()}; }
    };
    NextSets nextSetsGiven;
    NextSets nextSetsWriting;
    SumsKept leftBySums;
    // The subset of the full set a step of sets left unwritten (the list's unwritten state while the
    // list is still that subset).
    std::shared_ptr<const TFullSetSubset> leftSubset;

    void forget()
    {
        nextSetsGiven.valid = false;
        leftBySums.valid = false;
    }
};

// The step's state, read by every way of working; what each way works out is its own.
struct TStepState {
    struct Applied {
        std::vector<int> rows;
        bool deleting = false;
        size_t call = 0; // the call of apply that applied them
    };
    struct RebuildHints;
    struct RebuildPlan;

    TCombsList *list = nullptr;
    std::vector<TStatValueRec> rows;
    std::vector<int> candidates;  // table rows
    std::vector<int> candidateOf; // table row -> candidate, -1 for the others
    TStatStepFilter::TSource source;
    int64_t count = 0;
    int64_t listCount = 0; // the list's count when the step began, or when it was last rebuilt
    // Every combination of the list ascends within 1..45 (the full set, or checked by the pass that
    // recorded the masks or read the sets).
    bool listAscending = false;
    // The rows applied since the list last held the step's result, in order.
    std::vector<Applied> applied;
    // A rebuild (or a list left unwritten) did not add up: the list is as it was before the rows
    // applied, and the filter applies them again by the statistic's own test.
    bool rebuildFailed = false;
    int64_t miscount = 0;
    // A list left unwritten: the fault its write is given (tests), and what it tells when its write
    // did not add up and it was written the plain way.
    TWriteFault writeFault;
    std::function<void()> writeFellBack;
    std::vector<std::unique_ptr<TStepWorker>> workers;
    std::unique_ptr<TStepCandidates> candidateMaps;
    TStepCarried carried;

    // The step's buffer of bytes bytes (a value per combination of the list, or a flag per place of
    // the full set), kept from step to step; its content is not kept.
    uint8_t *buffer(size_t bytes);
    void makeWorkers(bool withRecorder);
    // The table rows of the candidates picked.
    std::vector<int> rowsOf(const std::vector<int> &picked) const;
    // The carried piece holds for the list as it is now.
    bool holdsFor(uint64_t revision, bool valid) const;

    // The list becomes the combinations keep(place, combination) holds for, in order; false when a
    // task did not write exactly what the counts promised (rebuildFailed is then set). With the next
    // method's sets given, each kept combination's set of them is written on the way.
    template <class Keep> bool rebuild(Keep keep, const RebuildHints &hints);
    // The list, the full set until now, becomes the combinations of the choice, unwritten, when they
    // are as many as the step's count; else rebuildFailed.
    bool leaveChosen(const TNumbersChoice &choice);
    // The same for the combinations whose weights add up to a sum the carried survivors allow (kept
    // as the list's survivors then).
    bool leaveSurvivors();
    // The carried survivors describe the list as it is now.
    void noteSurvivors();
    // The same for a subset of the full set (what each prefix of it holds given, counted as the
    // subset writes them).
    bool leaveSubset(std::shared_ptr<TFullSetSubset> subset);
    // The promises of what each part keeps add up to the step's count, none below 0 (the miscount of
    // tests goes into them first).
    bool promisesAddUp(std::vector<int64_t> &promised);
    // A list left unwritten writes as many combinations as the step counted.
    bool leavesAsMany(int64_t written);

private:
    template <class Keep> std::vector<int64_t> promisedKept(const RebuildPlan &plan, const Keep &keep);
    template <class Keep>
    bool writeRebuilt(const RebuildPlan &plan, const Keep &keep, const std::vector<int64_t> &promised);
    RebuildPlan planRebuild(const RebuildHints &hints);
    void keepNextSets(const TFullSetLookups::Entry *next, std::vector<int64_t> counts);
    bool failed();

    std::vector<uint8_t> m_bufferRoom;
};

// One way of working of the step: what it works out of the list, how a row applied changes it, and
// the list rebuilt from it at the end.
class TStepWay {
public:
    // Returned by apply when the way cannot count the rows given: the step goes on by the
    // statistic's own test.
    static constexpr int64_t kGoDirect = -1;

    virtual ~TStepWay() = default;
    virtual TStatStepFilter::Mode mode() const = 0;
    // How many combinations the rows given leave (candidates, and their table rows); 0 when they
    // would leave none (nothing changes then).
    virtual int64_t apply(const std::vector<int> &candidates, const std::vector<int> &rows, bool deleting) = 0;
    // The list becomes what the rows applied left (rebuilt, or left unwritten).
    virtual void finish() = 0;
};

// The statistic's own test, one pass over the list per row applied; also the plain step the others
// fall back to.
class TDirectWay : public TStepWay {
public:
    explicit TDirectWay(TStepState &step);
    TStatStepFilter::Mode mode() const override { return TStatStepFilter::Mode::Direct; }
    int64_t apply(const std::vector<int> &candidates, const std::vector<int> &rows, bool deleting) override;
    void finish() override {}
    // The rows applied to the list in place, undone when they would empty it.
    void plainStep(const std::vector<int> &rows, bool deleting);

private:
    // Flags every combination of the list the statistic's test keeps; returns how many.
    int64_t flagKept(const std::vector<int> &rows, bool deleting);

    TStepState &m_step;
    uint8_t *m_flags = nullptr;
};

// The ways that work out the candidates of every combination, nullptr when the step's method or list
// does not allow them.
// Sets: the method's lookups kept for the full set (a method of sets).
std::unique_ptr<TStepWay> MakeSetsWay(TStepState &step, const TFullSetLookups::Entry &entry);
// Masks of a method that asks one question per number (kept for the full set).
std::unique_ptr<TStepWay> MakeNumberQuestionsWay(TStepState &step, const TFullSetLookups::Entry &entry);
// Masks of a test of a sum of weights of the numbers, masks recorded by the statistic's test, or the
// candidate index (more candidates than a mask holds).
std::unique_ptr<TStepWay> MakeKeyLookupsWay(TStepState &step);
std::unique_ptr<TStepWay> MakeIndexWay(TStepState &step);
