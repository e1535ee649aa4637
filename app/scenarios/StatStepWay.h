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

// What a way of working reads and never changes: the table's rows, the candidates (table rows that
// may be applied), what the step filters with, the candidates by the keys a lookup asks for, and the
// statistic of each core (the ways run them). The filter sets it up before it makes a way.
struct TStepInput {
    std::vector<TStatValueRec> rows;
    std::vector<int> candidates;
    TStatStepFilter::TSource source;
    std::unique_ptr<TStepCandidates> candidateMaps;
    std::vector<std::unique_ptr<TStepWorker>> workers;

    // The statistic of each core, its latest draw loaded; recording the lookups when asked.
    void makeWorkers(bool withRecorder);
};

// The list during a step, changed only through its operations: the ways rebuild it, leave it
// unwritten or filter it in place; what they read of it (the counts, what the step before carried)
// they cannot write. The filter keeps the rest (which rows were applied since the list last held the
// step's result, whether a rebuild did not add up).
class TStepList {
public:
    struct RebuildHints;
    struct RebuildPlan;

    const TCombsList &combs() const { return *m_list; }
    // The list's combinations, written first when it was left unwritten. A list whose write fell
    // back holds what the plain write counted: the step's counts follow it.
    const TComb *read();
    // The combinations the rows applied so far leave.
    int64_t count() const { return m_count; }
    // The list's count when the step began, or when it was last rebuilt.
    int64_t listCount() const { return m_listCount; }
    const TStepCarried &carried() const { return m_carried; }
    // The carried piece holds for the list as it is now.
    bool holdsFor(uint64_t revision, bool valid) const;
    // The step's buffer of bytes bytes (a value per combination of the list, or a flag per place of
    // the full set), kept from step to step; its content is not kept.
    uint8_t *buffer(size_t bytes);

    // The list becomes the combinations keep(place, combination) holds for, in order; false when a
    // task did not write exactly what the counts promised (the list is then as it was). With the next
    // method's sets given, each kept combination's set of them is written on the way.
    template <class Keep> bool rebuild(Keep keep, const RebuildHints &hints);
    // The list, the full set until now, becomes the combinations whose weights add up to a sum the
    // survivors allow, unwritten, when they are as many as the step's count (noted as the list's
    // survivors then).
    bool leaveSurvivors(const TStepCarried::SumsKept &survivors);
    // The survivors describe the list as it is now.
    void noteSurvivors(const TStepCarried::SumsKept &survivors);
    // The same for a subset of the full set (what each prefix of it holds given, counted as the
    // subset writes them).
    bool leaveSubset(std::shared_ptr<TFullSetSubset> subset);
    // The list becomes the combinations flagged, left of them (the step's count then), rebuilt; or,
    // in place, the list's own storage with each flagged one moved up.
    bool keepFlagged(const uint8_t *flags, int64_t left);
    void keepFlaggedInPlace(const uint8_t *flags);

private:
    friend class TStatStepFilter;
    struct Applied {
        std::vector<int> candidates;
        bool deleting = false;
        size_t call = 0; // the call of apply that applied them
    };

    bool leaveChosen(const TNumbersChoice &choice);
    // The promises of what each part keeps add up to the step's count, none below 0 (the miscount of
    // tests goes into them first).
    bool promisesAddUp(std::vector<int64_t> &promised);
    // A list left unwritten writes as many combinations as the step counted.
    bool leavesAsMany(int64_t written);
    template <class Keep> std::vector<int64_t> promisedKept(const RebuildPlan &plan, const Keep &keep);
    template <class Keep>
    bool writeRebuilt(const RebuildPlan &plan, const Keep &keep, const std::vector<int64_t> &promised);
    RebuildPlan planRebuild(const RebuildHints &hints);
    void keepNextSets(const TFullSetLookups::Entry *next, std::vector<int64_t> counts);
    bool failed();

    TCombsList *m_list = nullptr;
    const TStatStepFilter::TSource *m_source = nullptr;
    int64_t m_count = 0;
    int64_t m_listCount = 0;
    // Every combination of the list ascends within 1..45 (the full set, or checked by the pass that
    // recorded the masks or read the sets).
    bool m_ascending = false;
    // The rows applied since the list last held the step's result, in order.
    std::vector<Applied> m_applied;
    // A rebuild (or a list left unwritten) did not add up: the list is as it was before the rows
    // applied, and the filter applies them again by the statistic's own test.
    bool m_rebuildFailed = false;
    int64_t m_miscount = 0;
    // A list left unwritten: the fault its write is given (tests), and what it tells when its write
    // did not add up and it was written the plain way.
    TWriteFault m_writeFault;
    std::function<void()> m_writeFellBack;
    TStepCarried m_carried;
    std::vector<uint8_t> m_bufferRoom;
};

// One way of working of the step: what it works out of the list, how a row applied changes it, and
// the list rebuilt from it at the end. Each reads the step's input and changes the list only through
// the list's operations.
class TStepWay {
public:
    // Returned by apply when the way cannot count the rows given: the step goes on by the
    // statistic's own test.
    static constexpr int64_t kGoDirect = -1;

    virtual ~TStepWay() = default;
    virtual TStatStepFilter::Mode mode() const = 0;
    // How many combinations the candidates given (numbers of the step's candidates) leave; 0 when
    // they would leave none (nothing changes then).
    virtual int64_t apply(const std::vector<int> &candidates, bool deleting) = 0;
    // The list becomes what the rows applied left (rebuilt, or left unwritten).
    virtual void finish() = 0;
    // The way read every combination of the list and found each ascending within 1..45.
    virtual bool foundAscending() const { return false; }
};

// The statistic's own test, one pass over the list per row applied; also the plain step the others
// fall back to. It takes the statistic of each core as it is (made without recorders).
class TDirectWay : public TStepWay {
public:
    TDirectWay(const TStepInput &in, TStepList &list) : m_in(in), m_list(list) {}
    TStatStepFilter::Mode mode() const override { return TStatStepFilter::Mode::Direct; }
    int64_t apply(const std::vector<int> &candidates, bool deleting) override;
    void finish() override {}
    // The candidates applied to the list in place, undone when they would empty it.
    void plainStep(const std::vector<int> &candidates, bool deleting);

private:
    // Flags every combination of the list the statistic's test keeps; returns how many.
    int64_t flagKept(const std::vector<int> &candidates, bool deleting);

    const TStepInput &m_in;
    TStepList &m_list;
    uint8_t *m_flags = nullptr;
};

// The ways that work out the candidates of every combination, nullptr when the step's method or list
// does not allow them (the filter's chooseWay tries them in turn).
// Sets: the method's lookups kept for the full set (a method of sets).
std::unique_ptr<TStepWay> MakeSetsWay(const TStepInput &in, TStepList &list, const TFullSetLookups::Entry &entry);
// Masks of a method that asks one question per number (kept for the full set).
std::unique_ptr<TStepWay> MakeNumberQuestionsWay(const TStepInput &in, TStepList &list,
                                                 const TFullSetLookups::Entry &entry);
// Masks of a test of a sum of weights of the numbers (the workers' statistic says the weights).
std::unique_ptr<TStepWay> MakeWeightMasksWay(const TStepInput &in, TStepList &list);
// Masks recorded by the statistic's test (the workers record their lookups).
std::unique_ptr<TStepWay> MakeRecordedMasksWay(const TStepInput &in, TStepList &list);
// The candidate index: more candidates than a mask holds, of which a combination matches one.
std::unique_ptr<TStepWay> MakeIndexWay(const TStepInput &in, TStepList &list);
