#include "lottery/Ratings.h"

#include "common/Cp1251.h"

#include <algorithm>

namespace {

constexpr size_t kNameMax = 255;
constexpr size_t kPlaysAt = 256;
constexpr size_t kMatchesAt = 260;
constexpr size_t kCountsAt = 264;
constexpr size_t kProfitAt = 296;
static_assert(kCountsAt + 7 * 4 == 292 && kProfitAt + 8 == kRatingRecSize);

template<typename T>
void PutLE(TRatingBytes &b, size_t at, T value)
{
    auto u = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i, u >>= 8)
        b[at + i] = static_cast<uint8_t>(u & 0xFF);
}

template<typename T>
T GetLE(const TRatingBytes &b, size_t at)
{
    std::make_unsigned_t<T> u = 0;
    for (size_t i = sizeof(T); i-- > 0;)
        u = static_cast<std::make_unsigned_t<T>>((u << 8) | b[at + i]);
    return static_cast<T>(u);
}

} // namespace

TRatingBytes RatingToBytes(const TRatingRec &rating)
{
    TRatingBytes b{};
    QByteArray name = Cp1251::encode(rating.name);
    if (static_cast<size_t>(name.size()) > kNameMax)
        name.truncate(static_cast<qsizetype>(kNameMax));
    b[0] = static_cast<uint8_t>(name.size());
    std::copy(name.begin(), name.end(), b.begin() + 1);
    PutLE(b, kPlaysAt, rating.plays);
    PutLE(b, kMatchesAt, rating.totalMatches);
    for (size_t i = 0; i < rating.matchCounts.size(); ++i)
        PutLE(b, kCountsAt + 4 * i, rating.matchCounts[i]);
    PutLE(b, kProfitAt, rating.profit);
    return b;
}

TRatingRec RatingFromBytes(const TRatingBytes &b)
{
    TRatingRec r;
    r.name = Cp1251::decode(reinterpret_cast<const char *>(b.data()) + 1, b[0]);
    r.plays = GetLE<int32_t>(b, kPlaysAt);
    r.totalMatches = GetLE<int32_t>(b, kMatchesAt);
    for (size_t i = 0; i < r.matchCounts.size(); ++i)
        r.matchCounts[i] = GetLE<int32_t>(b, kCountsAt + 4 * i);
    r.profit = GetLE<int64_t>(b, kProfitAt);
    return r;
}

bool RatingFromBuffer(const QByteArray &buffer, qsizetype offset, TRatingRec &rating)
{
    if (offset < 0 || buffer.size() - offset < kRatingRecSize)
        return false;
    TRatingBytes b;
    std::copy_n(buffer.constData() + offset, kRatingRecSize, b.begin());
    rating = RatingFromBytes(b);
    return true;
}

bool AddRatingResult(TRatingsArray &ratings, const QString &scenarioName, int matches, TCurrency profit)
{
    if (matches < 0 || matches >= static_cast<int>(TRatingRec{}.matchCounts.size()))
        return false;
    auto it = std::find_if(ratings.begin(), ratings.end(), [&](const TRatingRec &r) {
        return r.name.compare(scenarioName, Qt::CaseInsensitive) == 0;
    });
    if (it == ratings.end()) {
        TRatingRec r;
        r.name = scenarioName;
        ratings.push_back(r);
        it = ratings.end() - 1;
    }
    TRatingRec next = *it;
    if (__builtin_add_overflow(next.plays, 1, &next.plays) ||
        __builtin_add_overflow(next.totalMatches, matches, &next.totalMatches) ||
        __builtin_add_overflow(next.matchCounts[static_cast<size_t>(matches)], 1,
                               &next.matchCounts[static_cast<size_t>(matches)]) ||
        __builtin_add_overflow(next.profit, profit, &next.profit))
        return false; // a new rating starts from zero: only a full one can refuse
    *it = next;
    return true;
}

void AddProfit(TProfitDrawArray &profits, int matches, TCurrency amount)
{
    auto it = std::find_if(profits.begin(), profits.end(),
                           [&](const TProfitDrawRec &p) { return p.matches == matches; });
    if (it != profits.end())
        it->prize += amount;
    else
        profits.push_back({matches, amount});
}
