#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/Ratings.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

class TStakesFile;

// The figures behind the stakes and ratings charts. Money goes out in currency units (the stored
// amount / 10,000). A chart over fewer than two draws is refused with ChartDrawsMessage(), raised as
// Exception before any window opens.

QString ChartDrawsMessage();

// The stakes charts look at most at this many of the newest checked draws.
inline constexpr int kChartCheckedDraws = 100;

// ---- Profit by draw ----
// A sum of amounts: any number of stored amounts, each as large as an int64 holds, adds up without
// wrapping.
__extension__ typedef __int128 TMoneySum;

struct TDrawProfit {
    int32_t draw = 0;
    TMoneySum profit = 0;
};

// Accumulates the profit of every stake per draw number, in order of the draws' first appearance.
// Unchecked stakes count with their cost; separator rows and records that are no stake are skipped.
class TDrawProfits {
public:
    void add(int32_t draw, TCurrency profit);
    const std::vector<TDrawProfit> &entries() const { return m_entries; }

private:
    std::vector<TDrawProfit> m_entries;
    std::vector<std::pair<int32_t, size_t>> m_index; // draw -> entry, sorted by draw
};

struct TProfitChartPoint {
    int32_t draw = 0;
    double profit = 0;     // that draw's profit
    double average = 0;    // total of all profits / number of draws
    double cumulative = 0; // running total up to this draw
};

// The points run in rising draw order (the running total too), whatever the order of the stakes in the
// file. Reads the whole stakes file; raises ChartDrawsMessage() with fewer than two draws.
std::vector<TProfitChartPoint> ProfitChartPoints(const TStakesFile &stakes);
std::vector<TProfitChartPoint> ProfitChartPoints(const std::vector<TDrawProfit> &entries);

// ---- Matches and profit of chosen ratings ----
struct TRatingChartPoint {
    QString series; // the rating's name as chosen
    int32_t draw = 0;
    double value = 0; // the number of matches, or the profit
};

// The checked stakes of the newest kChartCheckedDraws checked draws whose comment is one of the
// names (letter case ignored), as points (draw, matches) or (draw, profit), in rising draw order. Raises
// ChartDrawsMessage() when no name is given or fewer than two checked draws are found.
std::vector<TRatingChartPoint> RatingChartPoints(const TStakesFile &stakes, const QStringList &names, bool profit);

// ---- Distribution of matches ----
// The expected number of stakes with k matches among n plays: n × C(6,k) × C(39,6-k) / C(45,6).
std::array<double, kMainCount + 1> NormalMatchCounts(int plays);
// The largest number of plays among the ratings (0 for none).
int MostPlays(const std::vector<const TRatingRec *> &ratings);
