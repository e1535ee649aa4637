// The step filter against the plain filtering it stands for: the statistic's own combination test
// applied to a copy of the list, one selected row at a time, a row that would empty the list undone.
#include "app/scenarios/StatStepFilter.h"

#include "tests/support/DrawsStatTestData.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "app/combinations/CombsList.h"
#include "app/statistics/DrawsStatCalc.h"
#include "common/OperationLog.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

using Mode = TStatStepFilter::Mode;

class StepFilterFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        draws = referenceArchive();
        ASSERT_EQ(draws.size(), 2000u);
        stats.SetDraws(&draws);
        stats.RebuildMethods();
    }

    // The table of a method over the 40 draws before the offset, its rows' records in table order.
    std::vector<TStatValueRec> tableRows(int method, int offset)
    {
        TDrawsStatParams p;
        p.list = &stats;
        p.method = &stats.GetMethod(method);
        p.sampleLength = 40;
        p.offset = offset;
        p.withChart = false;
        p.withFacts = false;
        std::vector<TStatValueRec> recs;
        for (const TDrawsStatRow &row : CalcDrawsStat(p).rows)
            recs.push_back(row.rec);
        return recs;
    }

    // The plain step: the combinations of ref that the test keeps; when none is left ref stays.
    static int64_t plainApply(TCustomStat &stat, std::vector<TComb> &ref, const std::vector<TStatValueRec> &rows,
                              const std::vector<int> &selected, bool deleting, int last)
    {
        TStatDrawArray values;
        for (int r : selected)
            values.append(rows[size_t(r)]);
        std::vector<TComb> kept;
        for (const TComb &c : ref)
            if (stat.CombMatches(c, values, last, false, deleting) != deleting)
                kept.push_back(c);
        if (!kept.empty())
            ref.swap(kept);
        return int64_t(kept.empty() ? 0 : ref.size());
    }

    // Walks rows of the table with both filters and compares every count and the final list. The
    // candidates are the rows walked, or every row of the table.
    Mode compareWalk(int method, TCombsList &list, int offset, int rowsToWalk, bool everyRowCandidate,
                     bool alternate)
    {
        const std::vector<TStatValueRec> rows = tableRows(method, offset);
        const int last = int(draws.size()) - 1 - offset;
        std::vector<TComb> ref(list.data(), list.data() + list.count());
        const auto stat = stats.CreateMethodStat(method);
        stat->LoadDraw(-1, last, false);

        const int n = int(rows.size());
        const int stride = std::max(1, n / std::max(1, rowsToWalk));
        std::vector<int> walk;
        for (int r = 0, op = 0; r < n; r += stride, ++op)
            walk.push_back(op % 3 == 2 ? n - 1 - r : r); // from the top and from the bottom of the table
        std::vector<int> candidates = walk;
        if (n >= 3)
            candidates.insert(candidates.end(), {0, n / 2, n - 1});
        if (everyRowCandidate) {
            candidates.resize(size_t(n));
            std::iota(candidates.begin(), candidates.end(), 0);
        }

        TStatStepFilter filter;
        filter.begin(list, rows, candidates,
                     TStatStepFilter::TSource{&stats, &stats.GetMethod(method), last, false, {}});
        const QString code = stats.GetMethod(method).MethodCode();
        int op = 0;
        for (int row : walk) {
            // Deletes only (as a deleting filter does), or deletes and keeps by turns.
            const bool deleting = !alternate || op++ % 2 == 0;
            const int64_t expected = plainApply(*stat, ref, rows, {row}, deleting, last);
            EXPECT_EQ(filter.apply({row}, deleting), expected) << code.toStdString() << " row " << row;
        }
        if (n >= 3) {
            const std::vector<int> several = {0, n / 2, n - 1};
            EXPECT_EQ(filter.apply(several, alternate), plainApply(*stat, ref, rows, several, alternate, last))
                << code.toStdString() << " several rows";
        }
        const Mode mode = filter.mode();
        filter.finish();
        EXPECT_EQ(list.count(), int64_t(ref.size())) << code.toStdString();
        EXPECT_TRUE(std::equal(ref.begin(), ref.end(), list.data())) << code.toStdString();
        EXPECT_EQ(list.undoCount(), 0);
        return mode;
    }

    TDrawsArray draws;
    TStatList stats;
};

TEST_F(StepFilterFixture, EveryMethodFiltersAsItsOwnTestDoes)
{
    std::map<Mode, int> modes;
    for (int m = 0; m < stats.MethodCount(); ++m) {
        if (!stats.MethodAvailable(m) || !stats.MethodSelectable(m))
            continue;
        for (const bool everyRow : {false, true}) {
            TCombsList list;
            // 18 numbers over the whole range: 18,564 combinations.
            list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"3,5,8,9,11,14,16,19,22,"
                                                                           u"24,27,30,33,36,40,41,44,45"_s});
            ASSERT_EQ(list.count(), 18564);
            // With room in the undo copy to spare (the step keeps its own buffer whatever the room).
            if (everyRow)
                list.SetUndoCapacity(list.count() * 2, 0);
            ++modes[compareWalk(m, list, 7, 8, everyRow, !everyRow)];
        }
    }
    // Every way of working the step is met by the registry's methods.
    EXPECT_GT(modes[Mode::Mask], 0);
    EXPECT_GT(modes[Mode::Index], 0);
    EXPECT_GT(modes[Mode::Direct], 0);
}

TEST_F(StepFilterFixture, WaysOfWorkingByKindOfStatistic)
{
    auto modeOf = [&](const char16_t *code, bool everyRow) {
        // 376,740 combinations: several chunks of the parallel passes.
        TCombsList list;
        list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"3,4,5,7,8,9,11,12,14,15,16,18,19,21,22,"
                                                                       u"24,25,27,28,30,31,33,35,36,38,40,41,44"_s});
        return compareWalk(stats.FindMethod(code), list, 0, 30, everyRow, false);
    };
    // A few candidate rows: a mask per combination; one sum per combination among its 235 rows: its
    // index; periods read the selected records themselves; the pairs of numbers, 990 rows of which a
    // combination has 15: its own test.
    EXPECT_EQ(modeOf(u"NUMS", false), Mode::Mask);
    EXPECT_EQ(modeOf(u"NUMS", true), Mode::Mask);
    EXPECT_EQ(modeOf(u"SUMS", true), Mode::Index);
    EXPECT_EQ(modeOf(u"PRDV", false), Mode::Direct);
    EXPECT_EQ(modeOf(u"KNM2", false), Mode::Mask);
    EXPECT_EQ(modeOf(u"KNM2", true), Mode::Direct);
}

TEST_F(StepFilterFixture, RowThatWouldEmptyTheListLeavesItAsItWas)
{
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});
    const int method = stats.FindMethod(u"NUMS");
    std::vector<TStatValueRec> rows(45);
    for (int n = 1; n <= 45; ++n)
        rows[size_t(n - 1)].Keys.set(uint16_t(n));
    TStatStepFilter filter;
    std::vector<int> every(45);
    std::iota(every.begin(), every.end(), 0);
    filter.begin(list, rows, every, TStatStepFilter::TSource{&stats, &stats.GetMethod(method), 0, false, {}});
    // 8 is in none of the seven combinations of 1..7; 1 is in six of them.
    EXPECT_EQ(filter.apply({7}, false), 0);
    EXPECT_EQ(filter.count(), 7);
    EXPECT_EQ(filter.apply({0}, true), 1);
    // Deleting 2 from the one combination left (2..7) would empty the list.
    EXPECT_EQ(filter.apply({1}, true), 0);
    // No row selected: nothing changes.
    EXPECT_EQ(filter.apply({}, false), 1);
    filter.finish();
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.at(0), (TComb{{2, 3, 4, 5, 6, 7}}));
}

TEST_F(StepFilterFixture, ARebuildThatDoesNotAddUpFallsBackToThePlainStep)
{
    // A wrong count handed to the rebuild (one more for its first task and, with several tasks, one
    // fewer for its last, or the other way round), or to a list left unwritten for the next step (the
    // survivors by sums before a method that asks one question per number; most of the full set kept
    // by sets before another method of sets, the third row deleted): the list is left as it was, the
    // rows applied are applied again by the statistic's own test, and that is counted once. A list
    // left unwritten whose write goes wrong with the total right (3 entries of the last pair of first
    // numbers counted for the first one; the first combination skipped) is written again the plain
    // way when it is read, and that is counted once too.
    enum Universe { OneChunk, Chunks, FullSet };
    struct Case {
        const char16_t *code;
        Universe universe;
        bool everyRow;
        int64_t delta;
        Mode mode;
        const char16_t *next = nullptr;
        bool deleteThird = false;
        TWriteFault write = {};
    };
    const Case cases[] = {
        {u"NUMS", OneChunk, false, 1, Mode::Mask}, {u"NUMS", Chunks, false, 1, Mode::Mask},
        {u"SUMS", Chunks, true, -1, Mode::Index},  {u"PRDV", Chunks, false, 1, Mode::Direct},
        {u"NUMS", FullSet, false, 1, Mode::Mask},  {u"SUMS", FullSet, false, -1, Mode::Sets},
        {u"SUMS", FullSet, false, 1, Mode::Sets, u"NUMS"}, {u"SUMS", FullSet, false, -1, Mode::Sets, u"SUMS", true},
        {u"SUMS", FullSet, false, 0, Mode::Sets, u"SUMS", true, {3, false}},
        {u"SUMS", FullSet, false, 0, Mode::Sets, u"SUMS", true, {0, true}},
        {u"SUMS", FullSet, false, 0, Mode::Sets, u"NUMS", true, {3, false}},
        {u"SUMS", FullSet, false, 0, Mode::Sets, u"NUMS", true, {0, true}},
    };
    TFullSetLookups kept;
    const int last = int(draws.size()) - 1;
    for (const Case &k : cases) {
        const int m = stats.FindMethod(k.code);
        const std::string what = QString::fromUtf16(k.code).toStdString() + " " + std::to_string(int(k.universe)) +
                                 (k.next ? " before " + QString::fromUtf16(k.next).toStdString() : std::string()) +
                                 " write " + std::to_string(k.write.shift) + "/" + std::to_string(k.write.skipOne);
        TCombsList list;
        list.GenerateCombinations(false, k.universe == FullSet ? TGenerateSettings{gmAll, {}}
                                         : k.universe == Chunks
                                             ? TGenerateSettings{gmOnlyFrom, u"3,4,5,7,8,9,11,12,14,15,16,18,19,21,22,"
                                                                             u"24,25,27,28,30,31,33,35,36,38,40,41,44"_s}
                                             : TGenerateSettings{gmOnlyFrom, u"3,5,8,9,11,14,16,19,22,"
                                                                             u"24,27,30,33,36,40,41,44,45"_s});
        const std::vector<TStatValueRec> rows = tableRows(m, 0);
        const int n = int(rows.size());
        // Rows of numbers that the smaller lists hold (3 and 8 deleted, 5 kept), else rows of the table.
        auto rowOf = [&](int value, int otherwise) {
            for (int r = 0; r < n && QStringView(k.code) == u"NUMS"; ++r)
                if (rows[size_t(r)].Keys.word(1) == value)
                    return r;
            return otherwise;
        };
        const std::array<int, 3> picked = {rowOf(3, 0), rowOf(8, n / 2), rowOf(5, 1)};
        std::vector<int> candidates(picked.begin(), picked.end());
        if (k.everyRow) {
            candidates.resize(size_t(n));
            std::iota(candidates.begin(), candidates.end(), 0);
        }
        std::vector<TComb> ref(list.data(), list.data() + list.count());
        const auto stat = stats.CreateMethodStat(m);
        stat->LoadDraw(-1, last, false);
        const TFullSetLookups::Entry *next =
            k.next ? kept.get(stats.GetMethod(stats.FindMethod(k.next)), stats, false, {}) : nullptr;
        TStatStepFilter filter;
        filter.begin(list, rows, candidates,
                     TStatStepFilter::TSource{&stats, &stats.GetMethod(m), last, false, {},
                                              k.universe == FullSet ? &kept : nullptr, next});
        filter.miscountNextRebuild(k.delta);
        filter.faultNextWrite(k.write);
        for (const auto &[row, deleting] :
             {std::pair{picked[0], true}, {picked[1], true}, {picked[2], k.deleteThird}})
            EXPECT_EQ(filter.apply({row}, deleting), plainApply(*stat, ref, rows, {row}, deleting, last)) << what;
        EXPECT_EQ(filter.mode(), k.mode) << what;
        filter.finish();
        ASSERT_EQ(list.count(), int64_t(ref.size())) << what;
        EXPECT_TRUE(std::equal(ref.begin(), ref.end(), list.data())) << what;
        EXPECT_EQ(filter.fallbacks().taken, 1) << what;
        EXPECT_EQ(filter.fallbacks().methods, QStringList{QString::fromUtf16(k.code)}) << what;
    }
}

TEST_F(StepFilterFixture, TwoSelectionsOfSeveralRowsKeptOneAfterTheOther)
{
    // Not what a step does (it applies one such selection), but the filter stays exact: combinations
    // with 1 or 2, then among them those with 7 or 8.
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8"_s});
    const int method = stats.FindMethod(u"NUMS");
    std::vector<TStatValueRec> rows(45);
    for (int n = 1; n <= 45; ++n)
        rows[size_t(n - 1)].Keys.set(uint16_t(n));
    std::vector<int> every(45);
    std::iota(every.begin(), every.end(), 0);
    TStatStepFilter filter;
    filter.begin(list, rows, every, TStatStepFilter::TSource{&stats, &stats.GetMethod(method), 0, false, {}});
    EXPECT_EQ(filter.apply({0, 1}, false), 27);
    EXPECT_EQ(filter.apply({6, 7}, false), 26);
    filter.finish();
    ASSERT_EQ(list.count(), 26);
    for (int64_t i = 0; i < list.count(); ++i) {
        const uint64_t m = CombMask(list.at(i));
        EXPECT_TRUE((m & 0b110) != 0 && (m & 0b110000000) != 0);
    }

    // The same over the full list (44 or 45, then 7 or 8), told that a step of sums follows: the list
    // is rebuilt twice in the step, and the sums it gives on the way are those of the list it leaves.
    TFullSetLookups kept;
    const TStatMethod &sums = stats.GetMethod(stats.FindMethod(u"SUMS"));
    list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
    TStatStepFilter::TSource source{&stats, &stats.GetMethod(method), 0, false, {}};
    source.fullSet = &kept;
    source.next = kept.get(sums, stats, false, {});
    ASSERT_NE(source.next, nullptr);
    filter.begin(list, rows, every, source);
    filter.apply({43, 44}, false);
    const int64_t left = filter.apply({6, 7}, false);
    filter.finish();
    ASSERT_EQ(list.count(), left);
    std::vector<TStatValueRec> sumRows(300);
    for (int s = 0; s < 300; ++s)
        sumRows[size_t(s)].Keys.set(uint16_t(s));
    int64_t withSum = 0;
    for (int64_t i = 0; i < list.count(); ++i) {
        int sum = 0;
        for (uint8_t n : list.at(i).n)
            sum += n;
        withSum += sum == 150;
    }
    ASSERT_GT(withSum, 0);
    source.method = &sums;
    source.next = nullptr;
    source.afterStep = true;
    filter.begin(list, sumRows, {150}, source);
    EXPECT_EQ(filter.apply({150}, false), withSum);
    filter.finish();
    EXPECT_EQ(list.count(), withSum);
}

TEST_F(StepFilterFixture, StepsOverTheUntouchedFullListReadTheKeptLookups)
{
    // Methods whose values belong to the six numbers: the lookups of every combination of the full set
    // are kept for the run and a step over the untouched full list reads them. Same counts and the
    // same list as the statistic's own test. The room given holds three of them.
    TFullSetLookups kept(size_t(8145060) * 3);
    int read = 0;
    for (const char16_t *code : {u"SUMS", u"EVEN", u"DIFM", u"SEQL"}) {
        const int m = stats.FindMethod(code);
        ASSERT_GE(m, 0);
        TCombsList list;
        list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
        ASSERT_TRUE(list.isFullSet());
        const std::vector<TStatValueRec> rows = tableRows(m, 4);
        const int last = int(draws.size()) - 1 - 4;
        std::vector<int> candidates;
        for (int r = 0; r < int(rows.size()); r += 2)
            candidates.push_back(r);
        std::vector<TComb> ref(list.data(), list.data() + list.count());
        const auto stat = stats.CreateMethodStat(m);
        stat->LoadDraw(-1, last, false);
        TStatStepFilter filter;
        filter.begin(list, rows, candidates,
                     TStatStepFilter::TSource{&stats, &stats.GetMethod(m), last, false, {}, &kept});
        for (size_t i = 0; i < candidates.size() && i < 4; ++i)
            EXPECT_EQ(filter.apply({candidates[i]}, true), plainApply(*stat, ref, rows, {candidates[i]}, true, last))
                << QString::fromUtf16(code).toStdString();
        read += filter.mode() != TStatStepFilter::Mode::Direct && kept.get(stats.GetMethod(m), stats, false, {});
        filter.finish();
        EXPECT_FALSE(list.isFullSet());
        ASSERT_EQ(list.count(), int64_t(ref.size()));
        EXPECT_TRUE(std::equal(ref.begin(), ref.end(), list.data()));
    }
    EXPECT_GE(read, 3);
    EXPECT_LE(kept.usedBytes(), size_t(8145060) * 3);

    // Steps of sets that keep most of the full list one after the other, each told the method that
    // follows: the list is left unwritten between them, and the last one keeps a single sum (a few
    // places of the full set) and writes it.
    TFullSetLookups chainKept;
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
    TCombsList copy;
    copy.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
    std::vector<TComb> ref(copy.data(), copy.data() + copy.count());
    const int last = int(draws.size()) - 1 - 4;
    const char16_t *const chain[] = {u"DIFA", u"SEQL", u"SUMS"};
    TStatStepFilter filter;
    for (size_t k = 0; k < std::size(chain); ++k) {
        const int m = stats.FindMethod(chain[k]);
        const std::vector<TStatValueRec> rows = tableRows(m, 4);
        const bool keeping = k + 1 == std::size(chain);
        // A row whose deletion leaves 84% of the full list (of the differences) or 95% (of the
        // sequences), or the middle one kept.
        const int row = keeping ? int(rows.size()) / 2 : k == 0 ? 10 : 2;
        const auto stat = stats.CreateMethodStat(m);
        stat->LoadDraw(-1, last, false);
        TStatStepFilter::TSource source{&stats, &stats.GetMethod(m), last, false, {}, &chainKept};
        if (!keeping)
            source.next = chainKept.get(stats.GetMethod(stats.FindMethod(chain[k + 1])), stats, false, {});
        source.afterStep = k > 0;
        filter.begin(list, rows, {row}, source);
        EXPECT_EQ(filter.apply({row}, !keeping), plainApply(*stat, ref, rows, {row}, !keeping, last))
            << QString::fromUtf16(chain[k]).toStdString();
        if (keeping)
            (void)list.at(0); // the window reads the list left unwritten while the step runs
        filter.finish();
        ASSERT_EQ(list.count(), int64_t(ref.size()));
        if (!keeping) {
            EXPECT_NE(list.unwrittenState(), nullptr) << QString::fromUtf16(chain[k]).toStdString();
        }
    }
    EXPECT_LT(list.count() * 8, 8145060);
    EXPECT_TRUE(std::equal(ref.begin(), ref.end(), list.data()));
}

TEST_F(StepFilterFixture, EveryCombinationOfTheFullSetFindsItsPlaceFromItsNumbers)
{
    // A step over a list the earlier steps left reads each combination's lookups at its place in the
    // full list: the place must be the one the generation gives it, and a combination whose numbers
    // do not ascend within 1..45 has none.
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
    ASSERT_EQ(list.count(), 8145060);
    int64_t wrong = 0;
    for (int64_t i = 0; i < list.count(); ++i)
        wrong += TFullSetLookups::rankOf(list.at(i)) != i;
    EXPECT_EQ(wrong, 0);
    for (const TComb &c : {TComb{{2, 1, 3, 4, 5, 6}}, TComb{{1, 2, 3, 4, 5, 5}}, TComb{{0, 2, 3, 4, 5, 6}},
                           TComb{{1, 2, 3, 4, 5, 46}}, TComb{{40, 41, 42, 43, 44, 255}}})
        EXPECT_EQ(TFullSetLookups::rankOf(c), -1);
}

TEST_F(StepFilterFixture, ValuesOfTheNumbersAloneAskTheSameWhateverTheDraws)
{
    // What lets the lookups of these methods be kept for a whole run: the questions a combination asks
    // do not change with the last draw.
    TCombsArray sample;
    for (int i = 0; i < 3000; ++i) {
        TComb comb;
        int n = 1 + (i * 7) % 20;
        for (int k = 0; k < 6; ++k)
            comb[size_t(k)] = uint8_t(n += 1 + (i >> k) % 4);
        sample.push_back(comb);
    }
    int checked = 0;
    for (int m = 0; m < stats.MethodCount(); ++m) {
        const TStatMethod &method = stats.GetMethod(m);
        if (!stats.MethodAvailable(m) || !method.StatClass->HasKindN())
            continue;
        const auto a = stats.CreateMethodStat(m);
        const auto b = stats.CreateMethodStat(m);
        if (!a->TestsByKeyLookups())
            continue;
        a->LoadDraw(-1, 0, false);
        b->LoadDraw(-1, 1500, true);
        TStatProbeRecorder ra, rb;
        TStatDrawArray va, vb;
        va.setRecorder(&ra);
        vb.setRecorder(&rb);
        for (const TComb &c : sample) {
            ra.clear();
            rb.clear();
            a->CombMatches(c, va, 0, false, false);
            b->CombMatches(c, vb, 1500, true, true);
            ASSERT_EQ(ra.count(), rb.count()) << method.MethodCode().toStdString();
            for (int i = 0; i < ra.count(); ++i)
                ASSERT_EQ(ra[i], rb[i]) << method.MethodCode().toStdString();
        }
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

} // namespace
