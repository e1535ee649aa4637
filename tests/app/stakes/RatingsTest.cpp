#include "common/Cp1251.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/stakes/RatingsList.h"
#include "app/stakes/StakesCheck.h"
#include "app/stakes/StakesFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

TRatingRec rating(const QString &name, int plays, std::array<int32_t, 7> counts, TCurrency profit)
{
    TRatingRec r;
    r.name = name;
    r.plays = plays;
    r.matchCounts = counts;
    for (int k = 0; k < 7; ++k)
        r.totalMatches += k * counts[static_cast<size_t>(k)];
    r.profit = profit;
    return r;
}

int32_t le32(const QByteArray &b, int at)
{
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | static_cast<uint8_t>(b[at + i]);
    return static_cast<int32_t>(u);
}

int64_t le64(const QByteArray &b, int at)
{
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = (u << 8) | static_cast<uint8_t>(b[at + i]);
    return static_cast<int64_t>(u);
}

TStakeRec stake(int draw, std::initializer_list<int> numbers, const QString &comment)
{
    TStakeRec r;
    r.kind = STAKE_MANUAL;
    r.drawNumber = draw;
    for (int n : numbers)
        r.numbers.numbers[static_cast<size_t>(r.numbers.count++)] = static_cast<uint8_t>(n);
    r.matches.count = -1;
    r.profit = -100000;
    r.setComment(comment);
    return r;
}

} // namespace

TEST(RatingsFile, RecordsByteForByteAndBack)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TRatings ratings;
    ratings.setSort(-1, false);
    ratings.items() = {rating(u"Сценарий А"_s, 4, {1, 2, 0, 1, 0, 0, 0}, -125000), rating(u"B"_s, 1, {1, 0, 0, 0, 0, 0, 0}, 0),
                       rating(u"C"_s, 2, {0, 0, 0, 0, 0, 0, 2}, 1)};
    ASSERT_TRUE(ratings.Save());

    const QByteArray b = folder.read(u"Vendra.lrt"_s);
    ASSERT_EQ(b.size(), 912);
    const QByteArray name = Cp1251::encode(u"Сценарий А");
    EXPECT_EQ(static_cast<uint8_t>(b[0]), name.size());
    EXPECT_EQ(b.mid(1, name.size()), name);
    EXPECT_EQ(b.mid(1 + name.size(), 255 - name.size()), QByteArray(255 - name.size(), '\0'));
    EXPECT_EQ(le32(b, 256), 4);
    EXPECT_EQ(le32(b, 260), 5); // 1x1 + 1x3... two of one match and one of three
    EXPECT_EQ(le32(b, 264), 1);
    EXPECT_EQ(le32(b, 268), 2);
    EXPECT_EQ(le32(b, 276), 1);
    EXPECT_EQ(b.mid(292, 4), QByteArray(4, '\0'));
    EXPECT_EQ(le64(b, 296), -125000);
    EXPECT_EQ(le32(b, 304 * 2 + 288), 2); // c6 of the third record

    // A torn tail loses only itself; the rest comes back field for field.
    folder.write(u"Vendra.lrt"_s, b);
    TRatings loaded;
    loaded.setSort(-1, false);
    ASSERT_TRUE(loaded.Load());
    ASSERT_EQ(loaded.count(), 3);
    EXPECT_EQ(loaded.items()[0], ratings.items()[0]);
    EXPECT_EQ(loaded.items()[1], ratings.items()[1]);
    EXPECT_EQ(loaded.items()[2], ratings.items()[2]);
    EXPECT_EQ(boxes.count(), 0);
}

TEST(RatingsFile, DamagedFileIsBackedUpToldAndOnlySoundRecordsKept)
{
    TempDataFolder folder;
    TRatingsArray three = {rating(u"A"_s, 4, {1, 2, 0, 1, 0, 0, 0}, -125000), rating(u"B"_s, 1, {1, 0, 0, 0, 0, 0, 0}, 0),
                           rating(u"C"_s, 2, {0, 0, 0, 0, 0, 0, 2}, 1)};
    const QByteArray whole = SerializeRatings(three);

    struct Case {
        const char *name;
        QByteArray bytes;
        int kept;
    };
    QByteArray badSums = whole;
    badSums[304 + 256] = 9; // "B": 9 plays, but its counts add up to 1
    QByteArray noise(3 * 304, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    const Case cases[] = {
        {"cut mid-record", whole.left(2 * 304 + 100), 2},
        {"a record whose counts do not add up", badSums, 2},
        {"random bytes", noise, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        folder.write(u"Vendra.lrt"_s, c.bytes);
        QFile::remove(folder.file(u"Vendra.lrt.bak"_s));
        ScriptedMessages boxes;
        TRatings loaded;
        loaded.setSort(-1, false);
        EXPECT_FALSE(loaded.Load());
        // The player is told, the old bytes are kept whole, and only sound records stay.
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().caption, u"Предупреждение");
        EXPECT_TRUE(boxes.last().text.contains(folder.file(u"Vendra.lrt.bak"_s)));
        EXPECT_EQ(folder.read(u"Vendra.lrt.bak"_s), c.bytes);
        ASSERT_EQ(loaded.count(), c.kept);
        for (const TRatingRec &r : loaded.items())
            EXPECT_TRUE(IsSoundRating(r));
        EXPECT_EQ(ParseRatings(folder.read(u"Vendra.lrt"_s)), loaded.items());
    }

    // Without a backup the damaged file is not rewritten at all.
    folder.write(u"Vendra.lrt"_s, whole.left(304 + 10));
    QFile::remove(folder.file(u"Vendra.lrt.bak"_s));
    ASSERT_TRUE(QDir().mkpath(folder.file(u"Vendra.lrt.bak"_s))); // a folder stands where the copy goes
    ScriptedMessages boxes;
    TRatings blocked;
    EXPECT_FALSE(blocked.Load());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка чтения файла рейтинга!\r\r"));
    EXPECT_EQ(folder.read(u"Vendra.lrt"_s), whole.left(304 + 10));
    EXPECT_TRUE(blocked.saveBlocked());
}

TEST(RatingsFile, FileThatIsNoRegularFileIsReportedAndKept)
{
    // A ratings file that is a FIFO without a writer never holds the program; it is reported.
    TempDataFolder folder;
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file(u"Vendra.lrt"_s)).constData(), 0600), 0);
    ScriptedMessages boxes;
    TRatings ratings;
    EXPECT_FALSE(ratings.Load());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка чтения файла рейтинга!\r\r"));
    EXPECT_TRUE(ratings.saveBlocked());
}

TEST(RatingsFile, MissingFileIsNoRatingsAndLongNamesAreCut)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TRatings ratings;
    EXPECT_TRUE(ratings.Load());
    EXPECT_EQ(ratings.count(), 0);
    EXPECT_FALSE(folder.exists(u"Vendra.lrt"_s));

    ratings.items() = {rating(QString(300, u'Я'), 1, {0, 1, 0, 0, 0, 0, 0}, 0)};
    ASSERT_TRUE(ratings.Save());
    const QByteArray b = folder.read(u"Vendra.lrt"_s);
    ASSERT_EQ(b.size(), 304);
    EXPECT_EQ(static_cast<uint8_t>(b[0]), 255);
    EXPECT_EQ(le32(b, 256), 1);
}

TEST(RatingsUpdate, CheckedStakesCountUnderTheirCommentIgnoringCase)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TStakesFile file;
    file.open();
    // Draw 500: 42 7 28 14 35 21. Cost 10.00, 50.00 for three matches.
    TDrawRec d;
    d.number = 500;
    d.main = {42, 7, 28, 14, 35, 21};
    d.extra = {1, 2};
    TDrawsArray draws{d};
    TConfigData config;
    config.cost = 100000;
    config.profits = {{3, 500000}};
    ASSERT_TRUE(file.appendStake(stake(500, {7, 14, 21, 1, 2, 3}, u"Test"_s)));    // 3 matches: +40.00
    ASSERT_TRUE(file.appendStake(stake(500, {42, 2, 3, 4, 5, 6}, u"TEST"_s)));     // 1 match: -10.00
    ASSERT_TRUE(file.appendStake(stake(502, {1, 2, 3, 4, 5, 6}, u"test"_s)));      // no draw yet
    ASSERT_TRUE(file.appendStake(stake(500, {1, 2, 3, 4, 5, 6}, u"Другой"_s)));    // 0 matches: -10.00

    TRatings ratings;
    TStakeCheckContext ctx;
    ctx.draws = &draws;
    ctx.config = &config;
    ctx.ratings = &ratings.items();
    ASSERT_TRUE(CheckStakesAndRefresh(file, ctx, [&] { ratings.Sort(); }));

    // Sorted by the average, descending: "Test" (2.0) before "Другой" (0.0).
    ASSERT_EQ(ratings.count(), 2);
    const TRatingRec &t = ratings.items()[0];
    EXPECT_EQ(t.name, u"Test"_s);
    EXPECT_EQ(t.plays, 2);
    EXPECT_EQ(t.totalMatches, 4);
    EXPECT_EQ(t.matchCounts, (std::array<int32_t, 7>{0, 1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(t.profit, 300000);
    EXPECT_EQ(ratings.items()[1].matchCounts[0], 1);
    EXPECT_EQ(ParseRatings(folder.read(u"Vendra.lrt"_s)), ratings.items());

    // The rebuild from the stakes file finds the same after the question is answered Yes; No keeps them.
    TRatingsArray before = ratings.items();
    ratings.items()[0].plays = 99;
    EXPECT_FALSE(ratings.Refresh(file));
    EXPECT_EQ(ratings.items()[0].plays, 99);
    boxes.answer(IDYES);
    ASSERT_TRUE(ratings.Refresh(file));
    EXPECT_EQ(ratings.items(), before);
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, u"Пересчитать рейтинг только по текущим ставкам?\r\rНакопленные ранее данные по "
                                 u"удаленным ставкам будут потеряны."_s);
}

TEST(RatingsList, EfficiencyColumnsAndAverages)
{
    const TMatchShares p = ExpectedMatchShares();
    EXPECT_NEAR(static_cast<double>(p[3]), 182780.0 / 8145060.0, 1e-12);
    long double sum = 0;
    for (long double s : p)
        sum += s;
    EXPECT_NEAR(static_cast<double>(sum), 1.0, 1e-12);

    const TRatingRec r = rating(u"X"_s, 10, {8, 0, 0, 2, 0, 0, 0}, -255000);
    EXPECT_EQ(RatingCellText(r, rcEff0 + 3, remAbsolute, p), u"17.756%"_s);
    EXPECT_EQ(RatingCellText(r, rcEff0 + 3, remRelative, p), u"891.242%"_s);
    EXPECT_EQ(RatingCellText(r, rcEff0 + 3, remExpected, p), u"0"_s);
    EXPECT_EQ(RatingCellText(r, rcEff0 + 0, remExpected, p), u"4"_s); // 10 x 0.40056
    EXPECT_EQ(RatingCellText(r, rcEff0 + 3, 7, p), u"0"_s);
    EXPECT_EQ(RatingCellText(r, rcAverage, 1, p), u"0.600"_s);
    EXPECT_EQ(RatingCellText(r, rcProfit, 1, p), u"-25.50"_s);
    EXPECT_EQ(RatingCellText(r, rcAvgProfit, 1, p), u"-2.55"_s);
    EXPECT_EQ(RatingCellText(r, rcCount0 + 3, 1, p), u"2"_s);

    const TRatingRec none = rating(u"Y"_s, 0, {}, 0);
    for (int c : {int(rcAverage), int(rcAvgProfit), rcEff0 + 2})
        EXPECT_TRUE(RatingCellText(none, c, 1, p).isEmpty()) << c;
}

TEST(RatingsList, SortingByColumnsAndDegenerateKeys)
{
    TRatingsArray a{rating(u"a"_s, 3, {3}, 0), rating(u"b"_s, 7, {7}, 0), rating(u"c"_s, 5, {5}, 0)};
    SortRatings(a, rcPlays, true);
    EXPECT_EQ(a[0].plays, 7);
    EXPECT_EQ(a[1].plays, 5);
    EXPECT_EQ(a[2].plays, 3);
    SortRatings(a, rcPlays, false);
    EXPECT_EQ(a[0].plays, 3);
    EXPECT_EQ(a[2].plays, 7);

    // Ratings without plays compare equal to everything: the sort stays inside the array and keeps them.
    TRatingsArray mixed;
    for (int i = 0; i < 200; ++i)
        mixed.push_back(rating(QString::number(i), i % 3 == 0 ? 0 : i, {i}, i * 7 % 13));
    for (int column = -1; column < kRatingsColumns; ++column) {
        TRatingsArray copy = mixed;
        SortRatings(copy, column, column % 2 == 0);
        EXPECT_EQ(copy.size(), mixed.size());
        if (column < 0 || column >= rcEff0) {
            EXPECT_EQ(copy, mixed) << column;
        }
    }
}

TEST(RatingsList, CsvExport)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TRatings ratings;
    ratings.items() = {rating(u"Ставка \"вручную\""_s, 4, {1, 2, 0, 1, 0, 0, 0}, -125000)};
    const QString name = folder.file(u"r.csv"_s);
    ASSERT_TRUE(ratings.ExportCsv(name));
    const QString text = Cp1251::decode(folder.read(u"r.csv"_s));
    const QStringList lines = text.split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(lines[0].split(u';').size(), 20);
    EXPECT_TRUE(lines[0].startsWith(u"\"Комментарий\";\"Ставок\";\"Угадано\";\"Среднее\""_s));
    EXPECT_EQ(lines[1], u"\"Ставка \"\"вручную\"\"\";4;5;1.250;-12.50;-3.13;1;2;0;1;0;0;0"_s);
}

TEST(RatingsList, NamesBackToScenarioLines)
{
    EXPECT_EQ(RatingNameToScenarioLine(u"01.001: X @ H + F1 + F2"_s), u"H|F1|F2| | | | | |01.001: X"_s);
    EXPECT_EQ(RatingNameToScenarioLine(u"H + F1"_s), u"H|F1| | | | | | |"_s);

    TDrawsArray draws;
    TStatList stats;
    stats.SetDraws(&draws);
    stats.RebuildMethods();
    const QString good = u"01.002: мой @ EXCL:3#RAND#NEX + TSF1#SUMS:10#CMV:5#SC:1"_s;
    const QString line = RatingNameToScenarioLine(good);
    EXPECT_TRUE(IsRatingLineAcceptable(good, line, stats)) << line.toStdString();
    for (const QString &bad : {u"Ставка \"вручную\""_s, u"A + B"_s, u"EXCL:3#RAND + TSF1#NOPE:10#CMV:5#SC:1"_s,
                               u"EXCL:3#RAND"_s})
        EXPECT_FALSE(IsRatingLineAcceptable(bad, RatingNameToScenarioLine(bad), stats)) << bad.toStdString();
    const QString cut = good + QString(260, u' ') + u"x"_s;
    EXPECT_FALSE(IsRatingLineAcceptable(cut, RatingNameToScenarioLine(cut), stats));
}
