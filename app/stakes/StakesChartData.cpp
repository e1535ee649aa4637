#include "app/stakes/StakesChartData.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "lottery/Combinatorics.h"
#include "app/stakes/StakesFile.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr double kMoneyUnit = 10000.0;

double Money(TMoneySum amount)
{
    return static_cast<double>(amount) / kMoneyUnit;
}

} // namespace

QString ChartDrawsMessage()
{
    return Format(u"Для построения графиков необходимо, чтобы в выделенном диапазоне данных было более одного тиража!");
}

void TDrawProfits::add(int32_t draw, TCurrency profit)
{
    auto it = std::lower_bound(m_index.begin(), m_index.end(), draw,
                               [](const std::pair<int32_t, size_t> &e, int32_t d) { return e.first < d; });
    if (it != m_index.end() && it->first == draw) {
        m_entries[it->second].profit += profit;
        return;
    }
    m_index.insert(it, {draw, m_entries.size()});
    m_entries.push_back({draw, profit});
}

std::vector<TProfitChartPoint> ProfitChartPoints(const std::vector<TDrawProfit> &unordered)
{
    if (unordered.size() < 2)
        throw Exception(ChartDrawsMessage());
    // The lines read along the draws, whatever order the stakes were made in.
    std::vector<TDrawProfit> entries = unordered;
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TDrawProfit &a, const TDrawProfit &b) { return a.draw < b.draw; });
    TMoneySum total = 0;
    for (const TDrawProfit &e : entries)
        total += e.profit;
    const double average = Money(total) / static_cast<double>(entries.size());
    std::vector<TProfitChartPoint> points;
    points.reserve(entries.size());
    TMoneySum running = 0;
    for (const TDrawProfit &e : entries) {
        running += e.profit;
        points.push_back({e.draw, Money(e.profit), average, Money(running)});
    }
    return points;
}

std::vector<TProfitChartPoint> ProfitChartPoints(const TStakesFile &stakes)
{
    TDrawProfits profits;
    if (stakes.isOpen()) {
        stakes.forEachRecord(0, [&profits](int64_t, const TStakeRec &rec) {
            if (rec.isStake())
                profits.add(rec.drawNumber, rec.profit);
            return true;
        });
    }
    return ProfitChartPoints(profits.entries());
}

std::vector<TRatingChartPoint> RatingChartPoints(const TStakesFile &stakes, const QStringList &names, bool profit)
{
    if (names.isEmpty() || !stakes.isOpen())
        throw Exception(ChartDrawsMessage());
    const TStakesFile::TCheckedDraws window = stakes.countCheckedDraws(kChartCheckedDraws);
    if (window.count < 2)
        throw Exception(ChartDrawsMessage());
    std::vector<TRatingChartPoint> points;
    stakes.forEachRecord(window.startIndex, [&](int64_t, const TStakeRec &rec) {
        if (rec.drawNumber < 1 || !rec.isChecked() || rec.matchCount() < 0)
            return true;
        const QString comment = rec.comment();
        for (const QString &name : names) {
            if (comment.compare(name, Qt::CaseInsensitive) == 0) {
                points.push_back({name, rec.drawNumber, profit ? Money(rec.profit) : rec.matchCount()});
                break;
            }
        }
        return true;
    });
    // Each rating's line reads along the draws; stakes of one draw keep their order in the file.
    std::stable_sort(points.begin(), points.end(),
                     [](const TRatingChartPoint &a, const TRatingChartPoint &b) { return a.draw < b.draw; });
    return points;
}

std::array<double, kMainCount + 1> NormalMatchCounts(int plays)
{
    std::array<double, kMainCount + 1> counts{};
    const double all = static_cast<double>(Binomial(kMaxNumber, kMainCount));
    for (int k = 0; k <= kMainCount; ++k)
        counts[static_cast<size_t>(k)] = static_cast<double>(plays) * static_cast<double>(Binomial(kMainCount, k)) *
                                         static_cast<double>(Binomial(kMaxNumber - kMainCount, kMainCount - k)) / all;
    return counts;
}

int MostPlays(const std::vector<const TRatingRec *> &ratings)
{
    int most = 0;
    for (const TRatingRec *r : ratings)
        most = std::max(most, static_cast<int>(r->plays));
    return most;
}
