#include "lottery/Combinatorics.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/stakes/StakeRecord.h"
#include "app/stakes/StakesFile.h"
#include "app/stakes/SystemGame.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TComb comb(std::initializer_list<int> numbers)
{
    TComb c;
    size_t i = 0;
    for (int n : numbers)
        c.n[i++] = static_cast<uint8_t>(n);
    return c;
}

// The first 29 sets of six of the positions 1..10 in lexicographic order, then "10 9 8 7 2 1".
QByteArray thirtyLineSystem()
{
    QByteArray text;
    int lines = 0;
    std::array<int, 6> p{1, 2, 3, 4, 5, 6};
    while (lines < 29) {
        for (int k = 0; k < 6; ++k)
            text += QByteArray::number(p[static_cast<size_t>(k)]) + (k < 5 ? " " : "\r\n");
        ++lines;
        int k = 5;
        while (k >= 0 && p[static_cast<size_t>(k)] == 10 - 5 + k)
            --k;
        ++p[static_cast<size_t>(k)];
        for (int j = k + 1; j < 6; ++j)
            p[static_cast<size_t>(j)] = p[static_cast<size_t>(j - 1)] + 1;
    }
    return text + "10 9 8 7 2 1\r\n";
}

class SystemGameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.write(u"Systems/6-10-3_0012.dat"_s, thirtyLineSystem());
        // Covers 3 7 12 18 21 25 30 33 40 44 in this order of first appearance.
        list = {comb({3, 7, 12, 18, 21, 25}), comb({30, 33, 40, 44, 3, 7}), comb({44, 21, 18, 12, 7, 3}),
                comb({12, 18, 21, 25, 30, 33})};
        stakes.open();
        context.stakes = &stakes;
        context.list = &list;
        context.listCount = static_cast<int64_t>(list.size());
        context.nextDrawNumber = 1501;
        context.profit = -250000;
        context.multiDialog = [this](int &draw, int &draws, QString &comment) {
            dialogDraw = draw;
            dialogComment = comment;
            draws = drawsAnswer;
            return dialogAnswer;
        };
        context.checkStakes = [this] { ++checks; };
    }

    std::vector<TStakeRec> records()
    {
        std::vector<TStakeRec> all;
        stakes.forEachRecord(0, [&all](int64_t, const TStakeRec &rec) {
            all.push_back(rec);
            return true;
        });
        return all;
    }

    TempDataFolder folder;
    TStakesFile stakes{folder.file(u"Vendra.lsk"_s)};
    TCombsArray list;
    TSystemGameContext context;
    ScriptedMessages messages;
    int dialogDraw = 0;
    QString dialogComment;
    int drawsAnswer = 1;
    bool dialogAnswer = true;
    int checks = 0;
};

} // namespace

TEST_F(SystemGameTest, WholeSystemStakesEveryLineSorted)
{
    const TSystemGameResult result = StakeSystem(context, false);
    EXPECT_EQ(result.added, 30);
    EXPECT_EQ(dialogDraw, 1501);
    EXPECT_EQ(dialogComment, u"Системная игра для 10 чисел [вся система]: 6-10-3_0012");
    const std::vector<TStakeRec> all = records();
    ASSERT_EQ(all.size(), 30u); // an empty file needs no separator
    for (const TStakeRec &rec : all) {
        EXPECT_EQ(rec.kind, STAKE_SYSTEM);
        EXPECT_EQ(rec.drawNumber, 1501);
        EXPECT_EQ(rec.sampleSize, 30);
        EXPECT_EQ(rec.comment(), dialogComment);
        EXPECT_EQ(rec.matches.count, -1);
        EXPECT_EQ(rec.checked, 0);
        EXPECT_EQ(rec.profit, -250000);
        EXPECT_EQ(rec.numbers.count, 6);
        EXPECT_TRUE(std::is_sorted(rec.numbers.numbers.begin(), rec.numbers.numbers.begin() + 6));
    }
    // Line 1 is positions 1..6; line 2 is 1 2 3 4 5 7; the last is 10 9 8 7 2 1.
    EXPECT_EQ(all[0].numbers.numbers, (std::array<uint8_t, 8>{3, 7, 12, 18, 21, 25, 0, 0}));
    EXPECT_EQ(all[1].numbers.numbers, (std::array<uint8_t, 8>{3, 7, 12, 18, 21, 30, 0, 0}));
    EXPECT_EQ(all[29].numbers.numbers, (std::array<uint8_t, 8>{3, 7, 30, 33, 40, 44, 0, 0}));
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(SystemGameTest, FilteredGameKeepsOnlyLinesOfTheListInAnyOrder)
{
    // The file already ends with a stake: the game begins after a separator.
    TStakeRec earlier;
    earlier.kind = STAKE_MANUAL;
    earlier.drawNumber = 1499;
    earlier.numbers = {6, {1, 2, 3, 4, 5, 6, 0, 0}};
    earlier.matches.count = -1;
    ASSERT_TRUE(stakes.appendStake(earlier));

    const TSystemGameResult result = StakeSystem(context, true);
    EXPECT_EQ(result.added, 3);
    EXPECT_EQ(dialogComment, u"Системная игра для 10 чисел [комбинации]: 6-10-3_0012");
    const std::vector<TStakeRec> all = records();
    ASSERT_EQ(all.size(), 5u);
    EXPECT_FALSE(all[1].isStake());
    // Lines 1, 5 (1 2 3 4 5 10) and 30, in the system's order; the sample is the list's size.
    EXPECT_EQ(all[2].numbers.numbers, (std::array<uint8_t, 8>{3, 7, 12, 18, 21, 25, 0, 0}));
    EXPECT_EQ(all[3].numbers.numbers, (std::array<uint8_t, 8>{3, 7, 12, 18, 21, 44, 0, 0}));
    EXPECT_EQ(all[4].numbers.numbers, (std::array<uint8_t, 8>{3, 7, 30, 33, 40, 44, 0, 0}));
    for (size_t i = 2; i < all.size(); ++i) {
        EXPECT_EQ(all[i].sampleSize, 4);
        EXPECT_EQ(all[i].kind, STAKE_SYSTEM);
    }
    EXPECT_EQ(checks, 1);
}

TEST_F(SystemGameTest, AFilteredGameWithoutAHitAddsOnlyTheSeparator)
{
    TStakeRec earlier;
    earlier.kind = STAKE_MANUAL;
    earlier.drawNumber = 1499;
    earlier.numbers = {6, {1, 2, 3, 4, 5, 6, 0, 0}};
    earlier.matches.count = -1;
    ASSERT_TRUE(stakes.appendStake(earlier));
    // The same ten numbers; the system's lines both take positions 1 to 5 with 7 or 8.
    folder.write(u"Systems/6-10-3_0012.dat"_s, "1 2 3 4 5 7\r\n1 2 3 4 5 8\r\n");
    list = {comb({3, 7, 12, 18, 21, 25}), comb({30, 33, 40, 44, 12, 18})};
    context.listCount = 2;
    const TSystemGameResult result = StakeSystem(context, true);
    EXPECT_TRUE(result.played);
    EXPECT_EQ(result.added, 0);
    ASSERT_EQ(stakes.count(), 2);
    EXPECT_FALSE(records()[1].isStake());
    EXPECT_EQ(checks, 0);
}

TEST_F(SystemGameTest, WithoutASystemOrOnCancelNothingIsStaked)
{
    list.push_back(comb({1, 3, 7, 12, 18, 21})); // eleven numbers now: no system for them
    context.listCount = 5;
    EXPECT_FALSE(StakeSystem(context, false).played);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, SystemNotFoundBoxText(11));
    EXPECT_TRUE(dialogComment.isEmpty());

    context.listCount = 4;
    dialogAnswer = false;
    EXPECT_FALSE(StakeSystem(context, false).played);
    EXPECT_EQ(stakes.count(), 0);
    EXPECT_EQ(checks, 0);
}

TEST_F(SystemGameTest, BadLinesAreSkippedWithAWarning)
{
    folder.write(u"Systems/6-10-3_0012.dat"_s, "1 2 3 4 5 6\r\n1 2 3 4 5 11\r\n1 1 2 3 4 5\r\n1 2 3 4 5 7\r\n");
    drawsAnswer = 2;
    const TSystemGameResult result = StakeSystem(context, false);
    EXPECT_EQ(result.added, 2);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.endsWith(u": 2.")) << messages.last().text.toStdString();
    // Each stake for two draws: stake, separator, next draw, separator, ...
    const std::vector<TStakeRec> all = records();
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[0].drawNumber, 1501);
    EXPECT_EQ(all[2].drawNumber, 1502);
    EXPECT_EQ(all[2].sampleSize, 2);
}

TEST(SystemGameCombs, FilteredOverEveryCombinationFindsEachLineOnce)
{
    TCombsArray all;
    all.reserve(static_cast<size_t>(CombinationCount(45, 6)));
    std::array<uint8_t, 6> c{1, 2, 3, 4, 5, 6};
    for (;;) {
        TComb t;
        t.n = c;
        all.push_back(t);
        int k = 5;
        while (k >= 0 && c[static_cast<size_t>(k)] == 45 - 5 + k)
            --k;
        if (k < 0)
            break;
        ++c[static_cast<size_t>(k)];
        for (int j = k + 1; j < 6; ++j)
            c[static_cast<size_t>(j)] = static_cast<uint8_t>(c[static_cast<size_t>(j - 1)] + 1);
    }
    ASSERT_EQ(all.size(), 8145060u);
    const TSystemCombs system{{45, 44, 43, 42, 41, 40}, {1, 2, 3, 4, 5, 6}, {6, 5, 4, 3, 2, 1}, {9, 9, 1, 2, 3, 4}};
    const TCombsArray kept = SystemGameCombs(system, all.data(), static_cast<int64_t>(all.size()), true);
    // A line with a number twice is no combination; the repeated line is staked twice.
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0], comb({40, 41, 42, 43, 44, 45}));
    EXPECT_EQ(kept[1], comb({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(kept[2], comb({1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(SystemGameCombs(system, all.data(), 0, true).empty());
}
