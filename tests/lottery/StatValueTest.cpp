#include "lottery/stats/KeyTable.h"
#include "lottery/stats/StatValue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <stdexcept>

namespace {

TStatValueRec occurrence(uint16_t key, int drawNumber, int depth, int count = 1)
{
    TStatValueRec r;
    r.LastDraw = drawNumber;
    r.PrevDraw = drawNumber;
    r.Depth = depth;
    r.Count = count;
    r.Keys.set(key);
    return r;
}

} // namespace

TEST(StatValueMerge, NearestOccurrenceWinsAndIntervalsAreDrawNumberGaps)
{
    TStatDrawArray v;
    AddStatValue(v, occurrence(7, 105, 5), true);
    AddStatValue(v, occurrence(7, 107, 3), true);
    AddStatValue(v, occurrence(7, 106, 4), true);
    ASSERT_EQ(v.size(), 1);
    EXPECT_EQ(v[0].Depth, 3);
    EXPECT_EQ(v[0].LastDraw, 107);
    EXPECT_EQ(v[0].Count, 3);

    TStatDrawArray w;
    AddStatValue(w, occurrence(9, 10, 6), true);
    AddStatValue(w, occurrence(9, 14, 2), true);
    AddStatValue(w, occurrence(9, 15, 1), true);
    EXPECT_EQ(w[0].MinInterval, 1);
    EXPECT_EQ(w[0].MaxInterval, 4);
    EXPECT_EQ(w[0].PrevDraw, 15);
    EXPECT_EQ(w[0].Count, 3);
}

TEST(StatValueMerge, EnumeratedRecordTakesTheFirstRealOccurrence)
{
    TStatDrawArray v;
    AddStatValue(v, occurrence(3, 0, 0, 0), false);
    EXPECT_EQ(v[0].Count, 0);
    EXPECT_EQ(v[0].Depth, 0);
    AddStatValue(v, occurrence(3, 50, 9), true);
    EXPECT_EQ(v[0].Depth, 9);
    EXPECT_EQ(v[0].LastDraw, 50);
    EXPECT_EQ(v[0].MinInterval, 0); // no interval before the first occurrence
    // A count-0 merge never changes the count of an existing value.
    AddStatValue(v, occurrence(3, 0, 0, 0), false);
    EXPECT_EQ(v[0].Count, 1);
}

TEST(StatValueMerge, SecondOccurrenceInOneDrawKeepsTheShortestGap)
{
    // Gaps 3, then a repeat within draw 13, then 7: the shortest gap stays 3.
    TStatDrawArray v;
    for (int draw : {10, 13, 13, 20})
        AddStatValue(v, occurrence(1, draw, 30 - draw), true);
    EXPECT_EQ(v[0].Count, 4);
    EXPECT_EQ(v[0].MinInterval, 3);
    EXPECT_EQ(v[0].MaxInterval, 7);
}

TEST(StatValueMerge, GapsBeyondSixteenBitsAreHeld)
{
    TStatDrawArray v;
    AddStatValue(v, occurrence(1, 1, 2), true);
    AddStatValue(v, occurrence(1, 100001, 1), true);
    EXPECT_EQ(v[0].MaxInterval, 65535);
    EXPECT_EQ(v[0].MinInterval, 65535);
}

TEST(StatValueMerge, NormIsNeverTakenFromAMergedRecord)
{
    TStatDrawArray v;
    TStatValueRec r = occurrence(4, 10, 1);
    r.Norm = 77;
    AddStatValue(v, r, true);
    EXPECT_EQ(v[0].Norm, 0);
}

TEST(StatValueMerge, ManyValuesKeepFirstMergeOrderAndCounts)
{
    // 40,000 distinct four-key values merged three times each in a shuffled order.
    std::vector<TStatKeys> keys;
    for (int i = 0; i < 40000; ++i) {
        TStatKeys k;
        k.set(uint16_t(i % 45 + 1), uint16_t(i / 45 % 45 + 1), uint16_t(i / 2025 + 1), uint16_t(i & 1));
        keys.push_back(k);
    }
    std::mt19937 rng(12345);
    std::vector<int> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::shuffle(order.begin(), order.end(), rng);
    TStatDrawArray v;
    for (int pass = 0; pass < 3; ++pass)
        for (int i : order) {
            TStatValueRec r = occurrence(0, 100 + pass, 3 - pass);
            r.Keys = keys[size_t(i)];
            AddStatValue(v, r, true);
        }
    ASSERT_EQ(v.size(), 40000);
    for (int j = 0; j < v.size(); ++j) {
        ASSERT_EQ(v[j].Keys, keys[size_t(order[size_t(j)])]) << j;
        ASSERT_EQ(v[j].Count, 3);
        ASSERT_EQ(v[j].Depth, 1);
        ASSERT_EQ(v[j].MinInterval, 1);
    }
}

TEST(StatValueMerge, TalliesCountWhatMergedRecordsCount)
{
    // Small and large keys, values merged with a count of 0 only, and enough large keys to make the
    // table grow: two tallies added up hold the keys and counts of the records merged one by one.
    std::mt19937 rng(777);
    TStatDrawArray merged;
    TStatTally halves[2];
    TStatDrawArray counted[2];
    for (int h = 0; h < 2; ++h)
        counted[h].setTally(&halves[h]);
    for (int i = 0; i < 60000; ++i) {
        const uint32_t pick = rng() % 5000;
        TStatValueRec r = occurrence(0, 0, 0, pick % 7 == 0 ? 0 : int(pick % 3 + 1));
        r.Keys = pick < 2000 ? TStatKeys::of(uint16_t(pick)) : TStatKeys::of(uint16_t(pick), 0, uint16_t(pick % 5), 1);
        AddStatValue(merged, r, false);
        AddStatValue(counted[i & 1], r, false);
    }
    EXPECT_TRUE(counted[0].empty());
    halves[0].addTally(halves[1]);
    std::vector<TStatTally::Entry> entries = halves[0].entries();
    ASSERT_EQ(int(entries.size()), merged.size());
    for (const TStatTally::Entry &e : entries) {
        const int i = merged.indexOf(e.key);
        ASSERT_GE(i, 0) << e.key;
        EXPECT_EQ(e.count, merged[i].Count) << e.key;
    }

    // A count taken as many times as the full set has combinations passes 32 bits, small key or large;
    // a weight beyond the full set is refused.
    TStatTally weighted;
    weighted.setWeight(8145060);
    for (const uint64_t key : {uint64_t(5), PackStatKeys(700, 3, 1, 0)})
        for (int k = 0; k < 2; ++k)
            weighted.add(key, 300);
    for (const TStatTally::Entry &e : weighted.entries())
        EXPECT_EQ(e.count, int64_t(8145060) * 600) << e.key;
    EXPECT_THROW(weighted.setWeight(8145061), std::out_of_range);
}

TEST(StatValueMerge, SmallAndLargeKeysAcrossAClear)
{
    TStatDrawArray v;
    for (int round = 0; round < 2; ++round) {
        for (int k = 300; k >= 0; --k)
            AddStatValue(v, occurrence(uint16_t(k), 10, 1), true);
        for (int k = 0; k <= 300; ++k)
            AddStatValue(v, occurrence(uint16_t(k), 12, 1), true);
        ASSERT_EQ(v.size(), 301);
        for (int k = 0; k <= 300; ++k) {
            const int i = v.indexOf(PackStatKeys(uint16_t(k), 0, 0, 0));
            ASSERT_EQ(i, 300 - k);
            ASSERT_EQ(v[i].Count, 2);
            ASSERT_EQ(v[i].MinInterval, 2);
        }
        v.clear();
        EXPECT_EQ(v.indexOf(PackStatKeys(5, 0, 0, 0)), -1);
        EXPECT_EQ(v.indexOf(PackStatKeys(299, 0, 0, 0)), -1);
    }
}

TEST(KeyTable, TheLimitRefusesOnlyNewKeysAndGrowthKeepsEveryValue)
{
    // Keys whose low and high halves repeat, so that many share a first slot; counted beside a std::map.
    TKeyTable<int64_t> table;
    std::map<uint64_t, int64_t> expected;
    for (uint64_t i = 0; i < 3000; ++i) {
        const uint64_t key = (i % 700) << ((i % 3) * 24);
        table[key] += int64_t(i);
        expected[key] += int64_t(i);
    }
    ASSERT_EQ(table.size(), expected.size());
    for (const auto &[key, count] : expected)
        ASSERT_NE(table.find(key), nullptr) << key;
    int64_t seen = 0;
    table.forEach([&](uint64_t key, int64_t count) { seen += int(expected.at(key) == count); });
    EXPECT_EQ(seen, int64_t(expected.size()));
    EXPECT_EQ(table.find(uint64_t(1) << 63), nullptr);
    // At its limit the table still gives the keys it holds, and refuses a new one without adding it.
    const size_t full = table.size();
    EXPECT_EQ(table.valueOf(expected.begin()->first, full), table.find(expected.begin()->first));
    EXPECT_EQ(table.valueOf(uint64_t(1) << 63, full), nullptr);
    EXPECT_EQ(table.size(), full);
    EXPECT_NE(table.valueOf(uint64_t(1) << 63, full + 1), nullptr);
    table.clear();
    EXPECT_EQ(table.find(0), nullptr);
    table.reserve(5);
    EXPECT_EQ(++table[0], 1);
}

TEST(StatValueKeys, ByteAndDoubleWordViewsAreLittleEndian)
{
    TStatKeys k;
    k.setDWord(1, 0x00030201);
    EXPECT_EQ(k.word(1), 0x0201);
    EXPECT_EQ(k.word(2), 0x0003);
    EXPECT_EQ(k.byte(1), 0x01);
    EXPECT_EQ(k.byte(2), 0x02);
    EXPECT_EQ(k.byte(3), 0x03);
    k.setByte(8, 0xAB);
    EXPECT_EQ(k.word(4), 0xAB00);
    EXPECT_EQ(k.dword(2), 0xAB000000u);
    EXPECT_EQ(k.word(5), 0);
    EXPECT_EQ(k.byte(0), 0);
}

TEST(StatValueSort, ByKeysAsUnsignedNumbersStable)
{
    TStatDrawArray v;
    auto add = [&](uint16_t k1, uint16_t k2, int count) {
        TStatValueRec r;
        r.Keys.set(k1, k2);
        r.Count = count;
        v.append(r);
    };
    add(65535, 0, 1);
    add(2, 9, 2);
    add(2, 1, 3);
    add(2, 1, 4); // the same keys again: stays after the first
    SortStatValues(v);
    EXPECT_EQ(v[0].Count, 3);
    EXPECT_EQ(v[1].Count, 4);
    EXPECT_EQ(v[2].Count, 2);
    EXPECT_EQ(v[3].Count, 1);
    // The index follows the new order.
    EXPECT_EQ(v.indexOf(PackStatKeys(65535, 0, 0, 0)), 3);
}

TEST(StatValueSummary, EmptyAndFilled)
{
    EXPECT_EQ(StatValuesSummary(TStatDrawArray{}), (TStatValuesSummary{2147483647, 0, 0, 0}));
    TStatDrawArray v;
    AddStatValue(v, occurrence(1, 10, 4, 2), true);
    AddStatValue(v, occurrence(2, 11, 3, 5), true);
    AddStatValue(v, occurrence(3, 0, 0, 0), false);
    EXPECT_EQ(StatValuesSummary(v), (TStatValuesSummary{0, 5, 4, 7}));
}

TEST(StatValueWeight, DefaultsPercentagesAndFailures)
{
    const TWeightCoefs defaults{0, -1, 1, false, false};
    // depth - deviation: 7 - (3 - 5) = 9
    EXPECT_DOUBLE_EQ(double(StatValueWeight(defaults, true, 3, 5, 7, 100, 10)), 9.0);
    // Without norms the deviation is 0.
    EXPECT_DOUBLE_EQ(double(StatValueWeight(defaults, false, 3, 5, 7, 100, 10)), 7.0);

    const TWeightCoefs percents{2, 3, 5, true, false};
    // total 0 and maxDepth 0: only the deviation term, 3 * ((4 - 8) * 100 / 8) = -150
    EXPECT_DOUBLE_EQ(double(StatValueWeight(percents, true, 4, 8, 6, 0, 0)), -150.0);
    const TWeightCoefs absolute{2, 3, 5, true, true};
    EXPECT_DOUBLE_EQ(double(StatValueWeight(absolute, true, 4, 8, 6, 0, 0)), 150.0);
    // Counts over all combinations do not wrap when scaled by 100.
    EXPECT_NEAR(double(StatValueWeight(TWeightCoefs{1, 0, 0, true, false}, false, 8000000, 0, 0, 8145060, 0)),
                8000000.0 * 100 / 8145060, 1e-9);
    // A damaged coefficient gives the weight of a failed computation.
    const TWeightCoefs infinite{std::numeric_limits<long double>::infinity(), 0, 0, false, false};
    EXPECT_EQ(StatValueWeight(infinite, false, 1, 0, 0, 0, 0), kBadStatWeight);
    const TWeightCoefs notANumber{0, std::numeric_limits<long double>::quiet_NaN(), 0, false, false};
    EXPECT_EQ(StatValueWeight(notANumber, false, 1, 0, 0, 0, 0), kBadStatWeight);
}

TEST(StatSimpleArrays, SimpleCountsAndLastValues)
{
    TStatSimpleArray list;
    AddSimpleStat(list, 5, 0);
    EXPECT_EQ(list, (TStatSimpleArray{{5, 0}}));
    AddSimpleStat(list, 5, 0);
    AddSimpleStat(list, 5, -3);
    EXPECT_EQ(list, (TStatSimpleArray{{5, 0}}));
    AddSimpleStat(list, 5, 2);
    AddSimpleStat(list, 1, 1);
    SortSimpleStat(list);
    EXPECT_EQ(list, (TStatSimpleArray{{1, 1}, {5, 2}}));

    TLastValueArray last;
    TLastValueRec r;
    r.Keys.set(17);
    r.DrawNumber = 17;
    EXPECT_EQ(UpdateLastValue(r, last), -1);
    r.DrawNumber = 20;
    EXPECT_EQ(UpdateLastValue(r, last), 3);
    r.Keys.set(18);
    EXPECT_EQ(UpdateLastValue(r, last), -1);
    EXPECT_EQ(last.size(), 2);
}

TEST(StatPrefetch, TwelveLittleEndianBytes)
{
    TStatValueRec v;
    v.Keys.set(0x0102, 0x0304, 0x0506, 0x0708);
    v.Count = -2;
    v.Depth = 9;
    const TPrefetchRec p = StatValueToPrefetch(v);
    uint8_t bytes[kPrefetchRecSize];
    WritePrefetchRec(p, bytes);
    const uint8_t expected[] = {0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07, 0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(0, std::memcmp(bytes, expected, sizeof expected));
    const TStatValueRec back = PrefetchToStatValue(ReadPrefetchRec(bytes));
    EXPECT_EQ(back.Keys, v.Keys);
    EXPECT_EQ(back.Count, -2);
    EXPECT_EQ(back.Depth, 0);
}

TEST(StatLookups, CachedAnswersMatchAndFollowChanges)
{
    TStatDrawArray v;
    for (uint16_t k = 1; k <= 20; ++k) {
        TStatValueRec r;
        r.Keys.set(k, uint16_t(100 + k), 0, uint16_t(k * 1000));
        v.append(r);
    }
    // Repeated questions switch to the tables; the answers must not change.
    for (int round = 0; round < 5; ++round) {
        EXPECT_TRUE(v.hasWordKey(1, 20));
        EXPECT_FALSE(v.hasWordKey(1, 21));
        EXPECT_TRUE(v.hasWordKey(4, 7000));
        EXPECT_TRUE(v.hasByteKey(3, 101));
        EXPECT_TRUE(v.hasByteKey(8, uint8_t((20000) >> 8)));
        EXPECT_FALSE(v.hasByteKey(9, 0));
        EXPECT_TRUE(v.hasDWordKey(1, 5u | (105u << 16)));
        EXPECT_FALSE(v.hasDWordKey(1, 5u));
    }
    TStatValueRec extra;
    extra.Keys.set(21);
    v.append(extra);
    EXPECT_TRUE(v.hasWordKey(1, 21));
    v.removeAt(v.indexOf(PackStatKeys(20, 120, 0, 20000)));
    for (int round = 0; round < 5; ++round)
        EXPECT_FALSE(v.hasWordKey(1, 20));
    TStatDrawArray copy = v;
    EXPECT_TRUE(copy.hasWordKey(1, 21));
    v.clear();
    EXPECT_FALSE(v.hasWordKey(1, 21));
    EXPECT_EQ(v.indexOf(PackStatKeys(21, 0, 0, 0)), -1);
}
