#include "SingleDrawStatsFixture.h"

#include "lottery/stats/SequenceStats.h"

using namespace Qt::StringLiterals;
using namespace single_draw_stats;

namespace {

class SequenceStats : public SingleDrawStats {
protected:
    // The values with a count and their counts, "3=1, 2=1", in order of first merge.
    QString counted(const QString &code, bool sorted = false)
    {
        QStringList out;
        for (const TStatValueRec &r : compute(code, sorted))
            if (r.Count)
                out << QString::number(r.Keys.word(1)) + u'=' + QString::number(r.Count);
        return out.join(u", ");
    }
    int graphValue(const QString &code)
    {
        auto s = stat(code);
        return graph(s).GraphValue(0, 0, false);
    }
};

} // namespace

TEST_F(SequenceStats, AgreeWithTheReferenceComputation)
{
    loadReferenceArchive();
    expectReferenceValues({u"SEQL"_s, u"SEQS"_s, u"LENS"_s});
    expectReferenceGraphs({u"SEQS"_s, u"LENS"_s});
    for (const QString &code : {u"SEQL"_s, u"SEQS"_s, u"LENS"_s})
        expectDrawCombAndFilterAgree(code);
}

TEST_F(SequenceStats, RunsOfSingleDraws)
{
    struct Case {
        std::array<uint8_t, 6> numbers;
        const char16_t *lengths; // SEQL, by value 1..6
        int runs, longest, runsGraph, longestGraph;
    };
    const Case cases[] = {
        {{1, 2, 3, 10, 11, 40}, u"1=1, 2=1, 3=1", 2, 3, 2, 3},
        {{5, 10, 15, 20, 25, 30}, u"1=6", 0, 1, 0, 0},
        {{1, 2, 3, 4, 5, 6}, u"6=1", 1, 6, 1, 6},
        {{1, 2, 10, 11, 20, 21}, u"2=3", 3, 2, 3, 2},
        {{3, 9, 17, 30, 40, 41}, u"1=4, 2=1", 1, 2, 1, 2}, // a run that ends the draw
        // Only steps of +1 join numbers; the graphs join steps of -1 too.
        {{19, 18, 17, 4, 30, 41}, u"1=6", 0, 1, 1, 3},
        {{41, 30, 4, 18, 19, 20}, u"1=3, 3=1", 1, 3, 1, 3},
        {{45, 44, 1, 2, 30, 31}, u"1=2, 2=2", 2, 2, 3, 2},
    };
    for (const Case &c : cases) {
        draws = {makeDraw(1, c.numbers)};
        const std::string at = std::to_string(c.numbers[0]) + "," + std::to_string(c.numbers[1]) + "...";
        EXPECT_EQ(counted(u"SEQL"_s), QString::fromUtf16(c.lengths)) << at;
        EXPECT_EQ(counted(u"SEQS"_s), QString::number(c.runs) + u"=1") << at;
        EXPECT_EQ(counted(u"LENS"_s), QString::number(c.longest) + u"=1") << at;
        EXPECT_EQ(graphValue(u"SEQS"_s), c.runsGraph) << at;
        EXPECT_EQ(graphValue(u"LENS"_s), c.longestGraph) << at;
    }
    // Sorted, the descending run is a run.
    draws = {makeDraw(1, {19, 18, 17, 4, 30, 41})};
    EXPECT_EQ(counted(u"SEQL"_s, true), u"1=3, 3=1");
    EXPECT_EQ(counted(u"LENS"_s, true), u"3=1");
    EXPECT_EQ(compute(u"SEQS"_s).size(), 4); // 0..3 enumerated
    EXPECT_EQ(compute(u"LENS"_s).size(), 6); // 1..6

    // The filters use the value, not the graph.
    auto lens = stat(u"LENS"_s);
    const TStatDrawArray three = selection({TStatKeys::of(3)});
    EXPECT_TRUE(lens->CombMatches(makeComb({1, 2, 5, 6, 7, 9}), three, 0, false, false));
    EXPECT_FALSE(lens->CombMatches(makeComb({1, 2, 3, 4, 10, 20}), three, 0, false, false));
    EXPECT_FALSE(lens->CombMatches(makeComb({19, 18, 17, 4, 30, 41}), three, 0, false, false));
}
