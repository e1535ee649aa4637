#include "lottery/Ratings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

int64_t ReadLE(const TRatingBytes &b, size_t at, size_t size)
{
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i)
        v |= uint64_t(b[at + i]) << (8 * i);
    if (size == 4)
        return static_cast<int32_t>(v);
    return static_cast<int64_t>(v);
}

} // namespace

TEST(Ratings, RecordLayout)
{
    TRatingRec r;
    r.name = u"Сценарий 1"_s;
    r.plays = 0x01020304;
    r.totalMatches = 77;
    r.matchCounts = {1, 2, 3, 4, 5, 6, -7};
    r.profit = -123456789012LL;
    const TRatingBytes b = RatingToBytes(r);

    EXPECT_EQ(b[0], 10);     // length in cp1251 bytes
    EXPECT_EQ(b[1], 0xD1);   // "С" in cp1251
    EXPECT_EQ(b[10], '1');
    EXPECT_EQ(b[11], 0);
    EXPECT_EQ(b[256], 0x04); // little-endian
    EXPECT_EQ(b[259], 0x01);
    EXPECT_EQ(ReadLE(b, 260, 4), 77);
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(ReadLE(b, 264 + 4 * i, 4), r.matchCounts[i]);
    for (size_t i = 292; i < 296; ++i)
        EXPECT_EQ(b[i], 0);
    EXPECT_EQ(ReadLE(b, 296, 8), -123456789012LL);

    EXPECT_EQ(RatingFromBytes(b), r);
}

TEST(Ratings, LongNamesAreCutAndShortBuffersRefused)
{
    TRatingRec r;
    r.name = QString(300, u'Ж');
    const TRatingBytes b = RatingToBytes(r);
    EXPECT_EQ(b[0], 255);
    EXPECT_EQ(RatingFromBytes(b).name, QString(255, u'Ж'));

    QByteArray buffer(2 * kRatingRecSize - 1, '\0');
    TRatingRec read;
    EXPECT_TRUE(RatingFromBuffer(buffer, 0, read));
    EXPECT_FALSE(RatingFromBuffer(buffer, kRatingRecSize, read));
    EXPECT_FALSE(RatingFromBuffer(buffer, -1, read));
}

TEST(Ratings, AddRatingResultMergesNamesWithoutRegardToCase)
{
    TRatingsArray ratings;
    EXPECT_TRUE(AddRatingResult(ratings, u"Тест"_s, 2, -50000));
    EXPECT_TRUE(AddRatingResult(ratings, u"ТЕСТ"_s, 3, 1000000));
    EXPECT_TRUE(AddRatingResult(ratings, u"Другой"_s, 0, -50000));
    ASSERT_EQ(ratings.size(), 2u);
    EXPECT_EQ(ratings[0].name, u"Тест");
    EXPECT_EQ(ratings[0].plays, 2);
    EXPECT_EQ(ratings[0].totalMatches, 5);
    EXPECT_EQ(ratings[0].profit, 950000);
    EXPECT_EQ(ratings[0].matchCounts, (std::array<int32_t, 7>{0, 0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(ratings[1].plays, 1);
    EXPECT_EQ(ratings[1].matchCounts[0], 1);
}

TEST(Ratings, AddRatingResultSkipsUncheckedAndImpossibleStakes)
{
    TRatingsArray ratings;
    EXPECT_FALSE(AddRatingResult(ratings, u"a"_s, -1, -50000)); // its draw has not come yet
    EXPECT_FALSE(AddRatingResult(ratings, u"a"_s, 7, 0));       // a damaged stake
    EXPECT_FALSE(AddRatingResult(ratings, u"a"_s, 1000, 0));
    EXPECT_TRUE(ratings.empty());
    EXPECT_TRUE(AddRatingResult(ratings, u"a"_s, 6, 0));
    EXPECT_EQ(ratings[0].matchCounts[6], 1);

    // A rating read from a file with its counters or its profit at their largest values takes no
    // more stakes and stays whole (still sound), never wrapping round.
    TRatingRec full;
    full.name = u"full"_s;
    full.plays = 2147483647;
    full.matchCounts[0] = 2147483647;
    TRatingRec rich;
    rich.name = u"rich"_s;
    rich.plays = 1;
    rich.matchCounts[6] = 1;
    rich.totalMatches = 6;
    rich.profit = 9223372036854775000;
    TRatingsArray kept{full, rich};
    EXPECT_FALSE(AddRatingResult(kept, u"full"_s, 0, 0));
    EXPECT_FALSE(AddRatingResult(kept, u"rich"_s, 1, 1000));
    EXPECT_EQ(kept, (TRatingsArray{full, rich}));
    EXPECT_TRUE(AddRatingResult(kept, u"rich"_s, 1, -1000));
    EXPECT_EQ(kept[1].plays, 2);
}

TEST(Ratings, AddProfit)
{
    TProfitDrawArray profits{{3, 100}, {4, 500}};
    AddProfit(profits, 4, 250);
    AddProfit(profits, 6, 9000);
    EXPECT_EQ(profits, (TProfitDrawArray{{3, 100}, {4, 750}, {6, 9000}}));
}
