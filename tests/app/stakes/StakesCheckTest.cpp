#include "common/Cp1251.h"
#include "tests/support/OtherKindFiles.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/stakes/StakesCheck.h"
#include "app/stakes/StakesFile.h"

#include <QFile>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

TNumSet numSet(std::initializer_list<int> numbers)
{
    TNumSet s;
    for (int n : numbers)
        s.numbers[static_cast<size_t>(s.count++)] = static_cast<uint8_t>(n);
    return s;
}

TStakeRec stake(int draw, std::initializer_list<int> numbers, const QString &comment = u"Тест"_s)
{
    TStakeRec r;
    r.kind = STAKE_SCENARIO;
    r.drawNumber = draw;
    r.sampleSize = 1000;
    r.numbers = numSet(numbers);
    r.matches.count = -1;
    r.profit = -100000;
    r.setComment(comment);
    return r;
}

// Cost 10.00 a combination; prizes 50.00 for 3 matches, 300.00 for 4, 5000.00 for 5.
TConfigData prizeConfig()
{
    TConfigData c;
    c.cost = 100000;
    c.profits = {{3, 500000}, {4, 3000000}, {5, 50000000}};
    return c;
}

// Draw 500: main numbers in drawn order 42 7 28 14 35 21, supplementary 1 and 2.
TDrawsArray archive()
{
    TDrawRec d;
    d.number = 500;
    d.main = {42, 7, 28, 14, 35, 21};
    d.extra = {1, 2};
    d.setDateText(u"5 Jan 2024"_s);
    return {d};
}

struct Fixture {
    TempDataFolder folder;
    ScriptedMessages boxes;
    TStakesFile file;
    TDrawsArray draws = archive();
    TConfigData config = prizeConfig();
    TRatingsArray ratings;
    TStakeCheckContext ctx;

    Fixture()
    {
        file.open();
        ctx.draws = &draws;
        ctx.config = &config;
        ctx.ratings = &ratings;
        ctx.log.folder = folder.path() + u"/"_s;
        ctx.log.now = [] { return QDateTime(QDate(2024, 3, 5), QTime(17, 4, 9)); };
    }
    TStakeRec at(int64_t index) { return file.readRecord(TStakeOrigin::Begin, index); }
};

} // namespace

TEST(StakeCheck, MatchesAndProfitsWithThePrizeTable)
{
    Fixture f;
    ASSERT_TRUE(f.file.appendStake(stake(500, {1, 2, 7, 14, 21, 44})));              // 3 main, 2 supplementary
    ASSERT_TRUE(f.file.appendStake(stake(500, {3, 7, 14, 21, 28, 30, 31, 32})));     // 8 numbers, 4 matches
    ASSERT_TRUE(f.file.appendStake(stake(501, {7, 14, 21, 28, 35, 42})));            // draw not downloaded
    ASSERT_TRUE(f.file.appendStake(stake(500, {7, 14, 21, 28, 35})));                // five numbers
    ASSERT_TRUE(f.file.appendStake(EmptyStakeRecord()));
    TStakeRec damaged = stake(500, {7, 14, 21, 28, 35, 42});
    damaged.numbers.count = 200;
    ASSERT_TRUE(f.file.appendStake(damaged));
    ASSERT_TRUE(f.file.appendStake(stake(500, {7, 14, 21, 28, 35, 42}, u"Другой"_s))); // 6 matches, no prize

    EXPECT_TRUE(CheckStakes(f.file, f.ctx));
    EXPECT_EQ(f.boxes.count(), 0);

    const TStakeRec a = f.at(0);
    EXPECT_TRUE(a.isChecked());
    EXPECT_EQ(a.drawNumbers, (std::array<uint8_t, 6>{42, 7, 28, 14, 35, 21}));
    EXPECT_EQ(a.matches, numSet({7, 14, 21}));
    EXPECT_EQ(a.profit, 400000); // 50.00 - 10.00

    const TStakeRec b = f.at(1);
    EXPECT_EQ(b.matches, numSet({7, 14, 21, 28}));
    EXPECT_EQ(b.profit, 200000); // 300.00 - 28 × 10.00

    for (int64_t i : {2, 3, 4, 5}) {
        const TStakeRec r = f.at(i);
        EXPECT_FALSE(r.isChecked()) << i;
        EXPECT_EQ(r.matchCount(), -1) << i;
        EXPECT_EQ(r.drawNumbers, (std::array<uint8_t, 6>{})) << i;
    }
    EXPECT_EQ(f.at(2).profit, -100000);

    const TStakeRec g = f.at(6);
    EXPECT_EQ(g.matchCount(), 6);
    EXPECT_EQ(g.profit, -100000);

    // Two names in the ratings: "Тест" got both checked stakes, "Другой" one.
    ASSERT_EQ(f.ratings.size(), 2u);
    EXPECT_EQ(f.ratings[0].name, u"Тест");
    EXPECT_EQ(f.ratings[0].plays, 2);
    EXPECT_EQ(f.ratings[0].totalMatches, 7);
    EXPECT_EQ(f.ratings[0].profit, 600000);
    EXPECT_EQ(f.ratings[1].plays, 1);

    // A second pass checks nothing and counts nothing again.
    const QByteArray before = f.folder.read(u"Vendra.lsk"_s);
    EXPECT_FALSE(CheckStakes(f.file, f.ctx));
    EXPECT_EQ(f.folder.read(u"Vendra.lsk"_s), before);
    EXPECT_EQ(f.ratings[0].plays, 2);
    int refreshed = 0;
    EXPECT_FALSE(CheckStakesAndRefresh(f.file, f.ctx, [&] { ++refreshed; }));
    EXPECT_EQ(refreshed, 0);

    // Once the draw is there the waiting stake is checked, and the file is reopened.
    TDrawRec next = f.draws[0];
    next.number = 501;
    f.draws.push_back(next);
    EXPECT_TRUE(CheckStakesAndRefresh(f.file, f.ctx, [&] { ++refreshed; }));
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(f.file.isOpen());
    EXPECT_EQ(f.at(2).matchCount(), 6);
}

TEST(StakeCheck, EightNumbersWithoutAPrizeEntry)
{
    TConfigData c = prizeConfig();
    c.profits = {{3, 500000}};
    TStakeRec r = stake(500, {3, 7, 14, 21, 28, 30, 31, 32});
    CheckStakeAgainstDraw(r, archive()[0], c);
    EXPECT_EQ(r.matchCount(), 4);
    EXPECT_EQ(r.profit, -2800000);
    EXPECT_EQ(StakeProfit(c, 6, -1), -100000);
    EXPECT_EQ(StakeProfit(c, 7, -1), -700000);
}

TEST(StakeCheck, ALogThatIsAFifoIsReportedNeverWaitedFor)
{
    // A FIFO without a reader in a log's place would hold the check for ever; it gets a message.
    Fixture f;
    f.ctx.log.enabled = true;
    ASSERT_EQ(::mkfifo(QFile::encodeName(f.folder.file(u"Vendra-3.log"_s)).constData(), 0600), 0);
    ASSERT_TRUE(f.file.appendStake(stake(500, {1, 2, 7, 14, 21, 44})));
    // A check held by the FIFO would end the test program at the watch.
    RunWatched([&] {
        EXPECT_TRUE(CheckStakes(f.file, f.ctx));
        return QString();
    });
    ASSERT_EQ(f.boxes.count(), 1);
    EXPECT_EQ(f.boxes.last().text, u"Ошибка записи файла \""_s + f.folder.file(u"Vendra-3.log"_s) +
                                       u"\"!\r\rЭто не обычный файл, а именованный канал."_s);
}

TEST(StakeCheck, LogLinesInCp1251WithCrLf)
{
    Fixture f;
    ASSERT_TRUE(f.file.appendStake(stake(500, {1, 2, 7, 14, 21, 44})));
    // Logging off: no file is touched.
    EXPECT_TRUE(CheckStakes(f.file, f.ctx));
    EXPECT_FALSE(f.folder.exists(u"Vendra-3.log"_s));

    f.ctx.log.enabled = true;
    ASSERT_TRUE(f.file.appendStake(stake(500, {1, 2, 7, 14, 21, 44})));
    ASSERT_TRUE(f.file.appendStake(stake(500, {1, 2, 3, 4, 5, 6}, u"Ноль"_s)));
    EXPECT_TRUE(CheckStakes(f.file, f.ctx));
    const QString line3 =
        u"2024.03.05 17:04:09: Тираж № 500. Ставка: \"Тест\" [1;2;7;14;21;44] {1000}. "
        u"Результаты тиража: [42;7;28;14;35;21]. Совпадений: 3. Профит: 40.00.\r\n"_s;
    EXPECT_EQ(f.folder.read(u"Vendra-3.log"_s), Cp1251::encode(line3));
    const QString line0 =
        u"2024.03.05 17:04:09: Тираж № 500. Ставка: \"Ноль\" [1;2;3;4;5;6] {1000}. "
        u"Результаты тиража: [42;7;28;14;35;21]. Совпадений: 0. Профит: -10.00.\r\n"_s;
    EXPECT_EQ(f.folder.read(u"Vendra-0.log"_s), Cp1251::encode(line0));

    // Lines are appended; a log over its size limit starts anew.
    TStakeRec checked = f.at(1);
    WriteStakeLog(checked, f.ctx.log);
    EXPECT_EQ(f.folder.read(u"Vendra-3.log"_s), Cp1251::encode(QString(line3 + line3)));
    f.ctx.log.sizeLimit = 10;
    WriteStakeLog(checked, f.ctx.log);
    EXPECT_EQ(f.folder.read(u"Vendra-3.log"_s), Cp1251::encode(line3));
    // An unchecked stake is never logged.
    WriteStakeLog(stake(500, {1, 2, 3, 4, 5, 6}), f.ctx.log);
    EXPECT_EQ(f.folder.read(u"Vendra-3.log"_s), Cp1251::encode(line3));
    EXPECT_EQ(f.boxes.count(), 0);

    DeleteStakeLogs(f.ctx.log.folder);
    EXPECT_FALSE(f.folder.exists(u"Vendra-0.log"_s));
    EXPECT_FALSE(f.folder.exists(u"Vendra-3.log"_s));
    EXPECT_EQ(f.boxes.last().caption, InfoCaption());
    DeleteStakeLogs(f.ctx.log.folder);
    EXPECT_EQ(f.boxes.last().text, u"Файлы журналов не найдены!");
}
