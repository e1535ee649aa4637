// The statistics step by a candidate index: more candidates than a mask holds, of which a
// combination matches at most one; the rows applied only change which candidates are allowed.
#include "app/scenarios/StatStepRebuild.h"

#include <atomic>

using namespace StepWork;

namespace {

constexpr uint16_t kNone = uint16_t(TStepCandidates::kMaxCandidates);

// The one candidate of each combination (16 bits, none = kNone), the combinations of each candidate
// (and of none, last), the candidates still allowed.
class TIndexWay : public TStepWay {
public:
    TIndexWay(const TStepInput &in, TStepList &list) : m_in(in), m_list(list) {}
    TStatStepFilter::Mode mode() const override { return TStatStepFilter::Mode::Index; }
    bool record();
    int64_t apply(const std::vector<int> &candidates, bool deleting) override;
    void finish() override;

private:
    const TStepInput &m_in;
    TStepList &m_list;
    uint8_t *m_index = nullptr;
    std::vector<int64_t> m_perCandidate;
    std::vector<uint8_t> m_allowed;
};

bool TIndexWay::record()
{
    const TComb *combs = m_list.read();
    const int64_t n = m_list.count();
    const size_t k = m_in.candidates.size();
    m_index = m_list.buffer(size_t(n) * sizeof(uint16_t));
    uint8_t *index = m_index;
    // Each worker counts the combinations of each candidate, and of none last.
    WorkerCounts perCandidate(k + 1);
    std::atomic<bool> giveUp{false};
    const int last = m_in.source.last;
    const bool sorted = m_in.source.sorted;
    const TStepCandidates &maps = *m_in.candidateMaps;
    // The one candidate whose lookup the combination asks, -1 for none; false for two of them.
    auto candidateOf = [&maps](const TStatProbeRecorder &recorder, int &found) {
        found = -1;
        for (int p = 0; p < recorder.count(); ++p) {
            int hits = 0;
            uint64_t bits = 0;
            const uint16_t *c = maps.find(recorder[p], hits, bits);
            for (int h = 0; h < hits; ++h) {
                if (found >= 0 && c[h] != found)
                    return false;
                found = c[h];
            }
        }
        return true;
    };
    ParallelWork::run(
        chunkCount(n),
        [&](int chunk, int wi) {
            TStepWorker &w = *m_in.workers[size_t(wi)];
            int64_t *const counts = perCandidate.of(wi);
            const Range range = chunkRange(chunk, n);
            for (int64_t i = range.begin; i < range.end; ++i) {
                if ((i & 4095) == 0 && giveUp.load(std::memory_order_relaxed))
                    return;
                w.recorder.clear();
                w.stat->CombMatches(combs[i], w.probeArray, last, sorted, false);
                int found = -1;
                // An incomplete record, or two candidates in one combination and too many candidates
                // for a mask.
                if (w.recorder.overflow() || !candidateOf(w.recorder, found)) {
                    giveUp = true;
                    return;
                }
                storeAt<uint16_t>(index, i, found < 0 ? kNone : uint16_t(found));
                ++counts[found < 0 ? k : size_t(found)];
            }
        },
        m_in.source.idle);
    if (giveUp)
        return false;
    m_perCandidate = perCandidate.total();
    m_allowed.assign(k + 1, 1);
    return true;
}

int64_t TIndexWay::apply(const std::vector<int> &candidates, bool deleting)
{
    // Each combination has at most one candidate: only the set of allowed candidates changes.
    int64_t matching = 0;
    for (int c : candidates)
        if (m_allowed[size_t(c)])
            matching += m_perCandidate[size_t(c)];
    const int64_t left = deleting ? m_list.count() - matching : matching;
    if (left == 0)
        return 0;
    if (deleting) {
        for (int c : candidates)
            m_allowed[size_t(c)] = 0;
    } else {
        std::vector<uint8_t> keep(m_allowed.size(), 0);
        for (int c : candidates)
            keep[size_t(c)] = m_allowed[size_t(c)];
        m_allowed.swap(keep);
    }
    return left;
}

void TIndexWay::finish()
{
    const uint8_t *index = m_index;
    const uint8_t *allowed = m_allowed.data();
    const size_t none = m_in.candidates.size();
    m_list.rebuild(
        [=](int64_t i, const TComb &) {
            const uint16_t c = loadAt<uint16_t>(index, i);
            return allowed[c == kNone ? none : c] != 0;
        },
        {});
}

} // namespace

std::unique_ptr<TStepWay> MakeIndexWay(const TStepInput &in, TStepList &list)
{
    auto way = std::make_unique<TIndexWay>(in, list);
    if (!way->record())
        return nullptr;
    return way;
}
