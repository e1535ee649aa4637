#include "common/widgets/ListView.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/statistics/RepeatsWindow.h"
#include "app/views/RepeatsAnalysis.h"

#include <QApplication>
#include <QChart>
#include <QFontMetricsF>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QSpinBox>
#include <QValueAxis>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace {

TDrawRec draw(int number, std::array<uint8_t, 6> main)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    return d;
}

// Draws 1 = {1..6}, 2 = {1,2,3,7,8,9}, 3 = {1,10..14}: 3 shares one number with 2 and with 1;
// 2 shares three with 1.
TDrawsArray threeDraws()
{
    return {draw(1, {1, 2, 3, 4, 5, 6}), draw(2, {1, 2, 3, 7, 8, 9}), draw(3, {1, 10, 11, 12, 13, 14})};
}

TDrawsArray pseudoRandomDraws(int count)
{
    TDrawsArray draws;
    uint32_t seed = 777;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u, (seed >> 16) % 45 + 1; };
    for (int i = 0; i < count; ++i) {
        std::set<uint32_t> numbers;
        while (numbers.size() < 6)
            numbers.insert(next());
        TDrawRec d;
        d.number = 500 + i;
        size_t k = 0;
        for (uint32_t n : numbers)
            d.main[k++] = static_cast<uint8_t>(n);
        draws.push_back(d);
    }
    return draws;
}

} // namespace

TEST(RepeatsAnalysis, RowsAndSeriesOfThreeDraws)
{
    const TRepeatsResult r = AnalyzeRepeats(threeDraws(), 3, 2);
    EXPECT_EQ(r.rows, (std::vector<TRepeatsRow>{{3, 1, 2, u"2 1"_s}, {2, 3, 1, u"1"_s}}));
    EXPECT_EQ(r.maxMatches, 3);
    const auto series = RepeatsSeries(r);
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series[0], (std::vector<QPointF>{{3, 2}}));
    EXPECT_TRUE(series[1].empty());
    EXPECT_EQ(series[2], (std::vector<QPointF>{{2, 1}})); // x the draw, y its repeats

    // Depth 1: each draw against the one before it only.
    EXPECT_EQ(AnalyzeRepeats(threeDraws(), 3, 1).rows,
              (std::vector<TRepeatsRow>{{3, 1, 1, u"2"_s}, {2, 3, 1, u"1"_s}}));
    // Length 1: only the newest draw is analysed.
    EXPECT_EQ(AnalyzeRepeats(threeDraws(), 1, 5).rows.size(), 1u);
    // One draw, or no common number: nothing.
    EXPECT_TRUE(AnalyzeRepeats({draw(1, {1, 2, 3, 4, 5, 6})}, 100, 100).rows.empty());
    const TRepeatsResult apart = AnalyzeRepeats({draw(1, {1, 2, 3, 4, 5, 6}), draw(2, {7, 8, 9, 10, 11, 12})}, 9, 9);
    EXPECT_TRUE(apart.rows.empty());
    EXPECT_TRUE(RepeatsSeries(apart).empty());
}

TEST(RepeatsAnalysis, AgreesWithAnIndependentCountOfDrawPairs)
{
    const TDrawsArray draws = pseudoRandomDraws(300);
    const int length = 120, depth = 40;
    // (draw, m) -> earlier draw numbers sharing exactly m numbers, by set intersection.
    std::map<std::pair<int, int>, std::vector<int>> expected;
    for (int i = 299; i >= 300 - length; --i)
        for (int j = i - 1; j >= std::max(0, i - depth); --j) {
            const std::set<int> a(draws[i].main.begin(), draws[i].main.end());
            int m = 0;
            for (uint8_t n : draws[j].main)
                m += a.count(n);
            if (m > 0)
                expected[{draws[i].number, m}].push_back(draws[j].number);
        }
    int analysed = 0;
    const TRepeatsResult r = AnalyzeRepeats(draws, length, depth, [&] { ++analysed; });
    EXPECT_EQ(analysed, length);
    ASSERT_EQ(r.rows.size(), expected.size());
    for (const TRepeatsRow &row : r.rows) {
        const std::vector<int> &list = expected[{row.draw, row.matches}];
        EXPECT_EQ(row.repeats, static_cast<int>(list.size()));
        QStringList texts;
        for (int n : list)
            texts << QString::number(n);
        EXPECT_EQ(row.draws, texts.join(u' '));
    }
}

TEST(RepeatsWindow, ListAndChartFollowTheAnalysis)
{
    ScriptedMessages boxes;
    const TDrawsArray draws = threeDraws();
    TRepeatsWindow window(draws);
    window.lengthEdit()->setValue(3);
    window.depthEdit()->setValue(2);
    window.RefreshAnalyze();
    EXPECT_EQ(boxes.count(), 0);
    TListViewModel *list = window.list()->listModel();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->cellText(0, 0), u"3");
    EXPECT_EQ(list->cellText(0, 3), u"2 1");
    EXPECT_EQ(list->columnCaption(2), u"Кол-во повторов");
    const auto series = window.chart()->series();
    ASSERT_EQ(series.size(), 3);
    EXPECT_EQ(series[0]->name(), u"Совпадений: 1");
    EXPECT_EQ(static_cast<QLineSeries *>(series[2])->count(), 1);

    // Over 2,000 draws the points hide the lines: each series' points, line and legend mark are of one
    // colour, and no two series share theirs.
    const TDrawsArray many = pseudoRandomDraws(2000);
    TRepeatsWindow large(many);
    large.lengthEdit()->setValue(2000);
    large.RefreshAnalyze();
    const auto lines = large.chart()->series();
    ASSERT_GE(lines.size(), 4);
    std::set<QString> seen;
    for (QAbstractSeries *s : lines) {
        auto *line = static_cast<QLineSeries *>(s);
        const QString colour = line->pen().color().name();
        const auto markers = large.chart()->legend()->markers(line);
        ASSERT_EQ(markers.size(), 1) << line->name().toStdString();
        EXPECT_EQ(markers[0]->brush().color().name(), colour) << line->name().toStdString();
        ASSERT_FALSE(line->lightMarker().isNull());
        EXPECT_EQ(line->lightMarker().pixelColor(1, 1).name(), colour) << line->name().toStdString();
        EXPECT_TRUE(seen.insert(colour).second) << line->name().toStdString();
    }
    // The chart as the window opens it (200 px under the list): each count up the side has the
    // height for its label, which the chart would otherwise cut down to "...".
    large.resize(760, 520);
    large.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const auto *counts = qobject_cast<QValueAxis *>(large.chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(counts, nullptr);
    const double plot = large.chart()->plotArea().height();
    ASSERT_GT(plot, 0);
    EXPECT_GE(plot / (counts->tickCount() - 1), QFontMetricsF(counts->labelsFont()).height())
        << counts->tickCount() << " ticks on " << plot << " px";
}
