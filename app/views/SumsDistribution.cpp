#include "app/views/SumsDistribution.h"
#include "common/Translate.h"

#include <algorithm>
#include <cmath>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// Counts the sums of all combinations of six of the numbers 1..45 (sums 21..255).
std::array<int32_t, 256> CombinationSums()
{
    std::array<int32_t, 256> counts{};
    for (int a = 1; a <= kMaxNumber - 5; ++a)
        for (int b = a + 1; b <= kMaxNumber - 4; ++b)
            for (int c = b + 1; c <= kMaxNumber - 3; ++c)
                for (int d = c + 1; d <= kMaxNumber - 2; ++d) {
                    const int s4 = a + b + c + d;
                    for (int e = d + 1; e <= kMaxNumber - 1; ++e)
                        for (int f = e + 1; f <= kMaxNumber; ++f)
                            ++counts[size_t(s4 + e + f)];
                }
    return counts;
}

} // namespace

TSumsDistribution CalcSumsDistribution(const TDrawsArray &draws)
{
    TSumsDistribution d;
    static const std::array<int32_t, 256> combinationSums = CombinationSums();
    for (size_t sum = 0; sum < combinationSums.size(); ++sum)
        if (combinationSums[sum] > 0)
            d.theoretical.push_back(TStatSimpleRec{int32_t(sum), combinationSums[sum]});

    std::map<int32_t, int32_t> actual;
    for (const TDrawRec &draw : draws)
        ++actual[draw.mainSum()];
    for (const auto &[sum, count] : actual) {
        d.actual.push_back(TStatSimpleRec{sum, count});
        d.maxA = std::max(d.maxA, count);
    }

    d.minT = d.theoretical.front().Count;
    d.maxT = d.theoretical.front().Count;
    for (const TStatSimpleRec &r : d.theoretical) {
        d.minT = std::min(d.minT, r.Count);
        d.maxT = std::max(d.maxT, r.Count);
    }
    const double span = double(d.maxT) - double(d.minT) + 1.0;
    d.threshold = {int32_t(std::trunc(d.minT + span / 3.0)), int32_t(std::trunc(d.minT + span / 2.0)),
                   int32_t(std::trunc(d.minT + 2.0 * span / 3.0))};

    const int middle = static_cast<int>(d.theoretical.size()) / 2;
    for (size_t k = 0; k < 3; ++k) {
        for (int i = 0; i <= middle; ++i)
            if (d.theoretical[size_t(i)].Count >= d.threshold[k]) {
                d.low[k] = d.theoretical[size_t(i)].Key;
                break;
            }
        for (int i = static_cast<int>(d.theoretical.size()) - 1; i >= middle; --i)
            if (d.theoretical[size_t(i)].Count >= d.threshold[k]) {
                d.high[k] = d.theoretical[size_t(i)].Key;
                break;
            }
    }
    return d;
}

QString ActualSumsTitle()
{
    return Tr(u"Фактическое распределение сумм (по тиражам)");
}

QString TheoreticalSumsTitle()
{
    return Tr(u"Теоретическое распределение сумм (по комбинациям)");
}

QString SumsRangeTitle(const TSumsDistribution &d, int k)
{
    static const char16_t *const parts[] = {u"1/3", u"1/2", u"2/3"};
    const size_t i = size_t(std::clamp(k, 0, 2));
    return Tr(u"Диапазон %1 (от %2 и выше по оси Y) - суммы %3-%4")
        .arg(i + 1)
        .arg(QString::fromUtf16(parts[i]))
        .arg(d.low[i])
        .arg(d.high[i]);
}
