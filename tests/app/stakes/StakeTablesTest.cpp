#include "common/Exception.h"
#include "tests/support/StakesTestData.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/draws/DrawsArchive.h"
#include "app/stakes/StakeTables.h"
#include "lottery/DrawTexts.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TComb comb(std::initializer_list<int> numbers)
{
    TComb c;
    size_t i = 0;
    for (int n : numbers)
        c[i++] = static_cast<uint8_t>(n);
    return c;
}

TTableRec fixedTable(const QString &name, const TComb &start, int step)
{
    TTableRec t;
    t.name = name;
    t.mode = tmFixedStart;
    t.start = t.current = start;
    t.step = step;
    return t;
}

TConfigData config()
{
    TConfigData c;
    c.cost = 100000;
    return c;
}

} // namespace

TEST(StakeTables, StepsWrapWithinTheNumbersAndSortTheResult)
{
    const TDrawsArray none;
    // 44 + 3 = 47 - 45 = 2; 2 - 3 = -1 + 45 = 44; step 0 keeps.
    TTableRec up = fixedTable(u"R"_s, comb({1, 2, 3, 4, 5, 44}), 3);
    ASSERT_EQ(StepTable(up, none, 0), TTableStep::Stepped);
    EXPECT_EQ(up.current, comb({2, 4, 5, 6, 7, 8}));
    EXPECT_EQ(up.stakesMade, 1);
    EXPECT_EQ(up.start, comb({1, 2, 3, 4, 5, 44})) << "the start stays";

    TTableRec down = fixedTable(u"R"_s, comb({2, 10, 20, 30, 40, 45}), -3);
    ASSERT_EQ(StepTable(down, none, 0), TTableStep::Stepped);
    EXPECT_EQ(down.current, comb({7, 17, 27, 37, 42, 44}));

    TTableRec still = fixedTable(u"R"_s, comb({3, 9, 15, 21, 33, 45}), 0);
    ASSERT_EQ(StepTable(still, none, 0), TTableStep::Stepped);
    EXPECT_EQ(still.current, comb({3, 9, 15, 21, 33, 45}));
    EXPECT_EQ(still.stakesMade, 1);

    TTableRec top = fixedTable(u"R"_s, comb({40, 41, 42, 43, 44, 45}), 3);
    ASSERT_EQ(StepTable(top, none, 0), TTableStep::Stepped);
    EXPECT_EQ(top.current, comb({1, 2, 3, 43, 44, 45}));
    // The next step goes on from there.
    ASSERT_EQ(StepTable(top, none, 0), TTableStep::Stepped);
    EXPECT_EQ(top.current, comb({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(top.stakesMade, 2);
}

TEST(StakeTables, LatestDrawTablesStepTheDrawBehindTheOffset)
{
    const TDrawsArray draws = DrawsInStepsOfTwo(5); // the third-newest draw (offset 2) holds 3..8
    TTableRec t;
    t.name = u"Д"_s;
    t.mode = tmLatestDraw;
    t.step = 1;
    ASSERT_EQ(StepTable(t, draws, 2), TTableStep::Stepped);
    EXPECT_EQ(t.current, comb({4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(t.start, TComb{}) << "a latest-draw table has no start";

    // Drawn order is not ascending: the result is sorted.
    TDrawsArray shuffled = DrawsInStepsOfTwo(1);
    shuffled[0].main = {45, 7, 28, 14, 35, 21};
    ASSERT_EQ(StepTable(t, shuffled, 0), TTableStep::Stepped);
    EXPECT_EQ(t.current, comb({1, 8, 15, 22, 29, 36}));
}

TEST(StakeTables, NoBaseDrawOrDamagedNumbersMakeNoStake)
{
    const TConfigData cfg = config();
    TTableRec latest;
    latest.name = u"Д"_s;
    latest.mode = tmLatestDraw;
    const TTableRec before = latest;
    TStakeRec stake;
    stake.drawNumber = 77;

    // An empty archive, or an offset beyond it: never six equal numbers, never draw -1.
    EXPECT_EQ(MakeTableStake(latest, {}, 0, 10, cfg, stake), TTableStep::NoDraw);
    EXPECT_EQ(MakeTableStake(latest, DrawsInStepsOfTwo(3), 3, 10, cfg, stake), TTableStep::NoDraw);
    TTableRec fixed = fixedTable(u"F"_s, comb({1, 2, 3, 4, 5, 6}), 1);
    EXPECT_EQ(MakeTableStake(fixed, DrawsInStepsOfTwo(3), 5, 10, cfg, stake), TTableStep::NoDraw);
    EXPECT_EQ(latest, before);
    EXPECT_EQ(fixed.stakesMade, 0);
    EXPECT_EQ(stake.drawNumber, 77) << "nothing was built";
    EXPECT_TRUE(TableStepMessage(TTableStep::NoDraw, latest).contains(u"\"Д\""_s));

    // A draw with a repeated number, a damaged current combination.
    TDrawsArray bad = DrawsInStepsOfTwo(2);
    bad[1].main = {5, 5, 6, 7, 8, 9};
    EXPECT_EQ(MakeTableStake(latest, bad, 0, 10, cfg, stake), TTableStep::BadNumbers);
    TTableRec zeros = fixedTable(u"Z"_s, TComb{}, 1);
    EXPECT_EQ(StepTable(zeros, {}, 0), TTableStep::BadNumbers);
    EXPECT_EQ(zeros.current, TComb{});
}

TEST(StakeTables, StakeOfATableIsARegularStakeForTheNextDraw)
{
    const TDrawsArray draws = DrawsInStepsOfTwo(3); // newest 104: the next draw is 106, behind offset 1 it is 104
    TTableRec t = fixedTable(u"Регуляр"_s, comb({10, 11, 12, 13, 14, 15}), 2);
    TStakeRec stake;
    ASSERT_EQ(MakeTableStake(t, draws, 1, 8145060, config(), stake), TTableStep::Stepped);
    EXPECT_EQ(stake.version, 2);
    EXPECT_EQ(stake.kind, STAKE_REGULAR);
    EXPECT_EQ(stake.drawNumber, 104);
    EXPECT_EQ(stake.comment(), u"Регуляр"_s);
    EXPECT_EQ(stake.checked, 0);
    EXPECT_EQ(stake.sampleSize, 8145060);
    EXPECT_EQ(stake.numbers.count, 6);
    EXPECT_EQ(NumSetToText(stake.numbers, u";"), u"12;13;14;15;16;17"_s);
    EXPECT_EQ(stake.matches.count, -1);
    EXPECT_EQ(stake.profit, -100000);
    EXPECT_EQ(t.current, comb({12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(t.stakesMade, 1);

    // With no draws at all a fixed table still stakes the first draw.
    TTableRec first = fixedTable(u"R"_s, comb({1, 2, 3, 4, 5, 6}), 1);
    ASSERT_EQ(MakeTableStake(first, {}, 0, 1, config(), stake), TTableStep::Stepped);
    EXPECT_EQ(stake.drawNumber, 1);
}

TEST(StakeTables, RecordFieldByFieldAndBack)
{
    TTableRec t = fixedTable(u"R"_s, comb({1, 2, 3, 4, 5, 6}), 5);
    t.current = comb({6, 7, 8, 9, 10, 11});
    t.stakesMade = 7;
    const TTableBytes b = TableToBytes(t);
    ASSERT_EQ(b.size(), 280u);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[1], 'R');
    EXPECT_EQ(b[2], 0);
    EXPECT_EQ(b[256], 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(b[257 + i], i + 1);
        EXPECT_EQ(b[263 + i], i + 6);
    }
    EXPECT_EQ(b[269], 0);
    EXPECT_EQ(b[270], 0);
    EXPECT_EQ(b[271], 0);
    EXPECT_EQ(b[272], 5);
    EXPECT_EQ(b[273], 0);
    EXPECT_EQ(b[276], 7);
    EXPECT_EQ(b[279], 0);
    EXPECT_EQ(TableFromBytes(reinterpret_cast<const char *>(b.data())), t);

    // A negative step, the latest-draw mode, a Cyrillic name in Windows-1251, a name cut to 255 bytes.
    TTableRec d;
    d.name = u"Ряд"_s;
    d.mode = tmLatestDraw;
    d.current = comb({2, 3, 4, 5, 6, 7});
    d.step = -3;
    const TTableBytes db = TableToBytes(d);
    EXPECT_EQ(db[0], 3);
    EXPECT_EQ(db[1], 0xD0); // "Р"
    EXPECT_EQ(db[256], 1);
    EXPECT_EQ(db[272], 0xFD);
    EXPECT_EQ(db[275], 0xFF);
    EXPECT_EQ(TableFromBytes(reinterpret_cast<const char *>(db.data())), d);
    TTableRec longName = d;
    longName.name = QString(300, u'ж');
    EXPECT_EQ(TableFromBytes(reinterpret_cast<const char *>(TableToBytes(longName).data())).name, QString(255, u'ж'));

    // A file of two records and a torn third.
    QByteArray file = SerializeTables({t, d});
    ASSERT_EQ(file.size(), 560);
    EXPECT_EQ(ParseTables(file), (TTablesArray{t, d}));
    file.append(100, 'x');
    EXPECT_EQ(ParseTables(file), (TTablesArray{t, d}));
}

TEST(StakeTables, DialogChecksAndTheTablesItAdds)
{
    TComb start;
    const QStringList names{u"A"_s, u"B (3)"_s};
    // A typed start: one combination selected or none.
    for (const QString &bad : {u"1;2;3;4;5"_s, u"1;1;2;3;4;5"_s, u"1;2;3;4;5;46"_s, u"{...Выделенные комбинации...}"_s})
        EXPECT_EQ(CheckTableInput(u"C"_s, tmFixedStart, bad, 1, names, start), TTableInputCheck::BadCombination) << bad.toStdString();
    EXPECT_EQ(CheckTableInput(u"C"_s, tmFixedStart, u"6,5,4,3,2,1"_s, 0, names, start), TTableInputCheck::Ok);
    EXPECT_EQ(start, comb({1, 2, 3, 4, 5, 6}));
    // Not typed: several selected, or the latest-draw mode.
    EXPECT_EQ(CheckTableInput(u"C"_s, tmFixedStart, u"{...Выделенные комбинации...}"_s, 3, names, start),
              TTableInputCheck::Ok);
    EXPECT_EQ(CheckTableInput(u"C"_s, tmLatestDraw, u"x"_s, 1, names, start), TTableInputCheck::Ok);
    // The comment: not blank, not an existing name (compared exactly), numbered names aside.
    EXPECT_EQ(CheckTableInput(u"  "_s, tmLatestDraw, {}, 0, names, start), TTableInputCheck::NoComment);
    EXPECT_EQ(CheckTableInput(u"A"_s, tmLatestDraw, {}, 0, names, start), TTableInputCheck::DuplicateName);
    EXPECT_EQ(CheckTableInput(u"B"_s, tmLatestDraw, {}, 0, names, start), TTableInputCheck::Ok);
    EXPECT_EQ(CheckTableInput(u"a"_s, tmLatestDraw, {}, 0, names, start), TTableInputCheck::Ok);
    // Blanks around a name do not make another one, typed or stored.
    EXPECT_EQ(CheckTableInput(u" A "_s, tmLatestDraw, {}, 0, names, start), TTableInputCheck::DuplicateName);
    EXPECT_EQ(CheckTableInput(u"C"_s, tmLatestDraw, {}, 0, {u" C"_s}, start), TTableInputCheck::DuplicateName);
    EXPECT_EQ(NewTables(fixedTable(u"  T\t"_s, comb({5, 6, 7, 8, 9, 10}), 1), {})[0].name, u"T"_s);

    // Three selected combinations named "A": one table each, named with its row counted from 1.
    TTableRec entered = fixedTable(u"A"_s, TComb{}, 2);
    entered.stakesMade = 3;
    const std::vector<TSelectedComb> selected{
        {0, comb({1, 2, 3, 4, 5, 6})}, {4, comb({9, 3, 7, 1, 2, 8})}, {9, comb({40, 41, 42, 43, 44, 45})}};
    entered.name = u" A "_s;
    const TTablesArray three = NewTables(entered, selected);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].name, u"A (1)"_s);
    EXPECT_EQ(three[1].name, u"A (5)"_s);
    EXPECT_EQ(three[2].name, u"A (10)"_s);
    EXPECT_EQ(three[1].start, comb({1, 2, 3, 7, 8, 9}));
    EXPECT_EQ(three[1].current, three[1].start);
    EXPECT_EQ(three[2].step, 2);
    EXPECT_EQ(three[2].stakesMade, 0);

    // One table otherwise: from the typed start, or from the latest draw with no start.
    TTableRec typed = fixedTable(u"T"_s, comb({5, 6, 7, 8, 9, 10}), 1);
    typed.current = TComb{};
    const TTablesArray one = NewTables(typed, {});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].current, comb({5, 6, 7, 8, 9, 10}));
    TTableRec latest = typed;
    latest.mode = tmLatestDraw;
    const TTablesArray fromDraw = NewTables(latest, selected);
    ASSERT_EQ(fromDraw.size(), 1u);
    EXPECT_EQ(fromDraw[0].start, TComb{});
    EXPECT_EQ(fromDraw[0].current, TComb{});
    EXPECT_EQ(fromDraw[0].name, u"T"_s);
}

TEST(StakeTables, TestOverPastDrawsStakesEachDrawAsTheNext)
{
    const TDrawsArray draws = DrawsInStepsOfTwo(8);
    TTablesArray tables{fixedTable(u"A"_s, comb({1, 2, 3, 4, 5, 6}), 1), fixedTable(u"skip"_s, comb({1, 2, 3, 4, 5, 6}), 1),
                        fixedTable(u"B"_s, comb({10, 20, 30, 40, 41, 42}), -1)};
    const TConfigData cfg = config();
    std::vector<int> offsets;
    std::vector<std::pair<QString, int32_t>> stakes;
    TTablesTestLinks links;
    links.draws = &draws;
    links.config = &cfg;
    links.sampleSize = 42;
    links.initialOffset = 0;
    links.setOffset = [&](int offset) { offsets.push_back(offset); };
    links.addStake = [&](const TStakeRec &s) {
        stakes.emplace_back(s.comment(), s.drawNumber);
        return true;
    };
    const TTablesTestResult result = RunTablesTest(tables, {0, 2}, 5, links);
    EXPECT_EQ(result.added, 10);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(offsets, (std::vector<int>{5, 4, 3, 2, 1, 0}));
    ASSERT_EQ(stakes.size(), 10u);
    for (int i = 0; i < 5; ++i) {
        const int expectedDraw = NextDrawNumber(draws, 5 - i);
        EXPECT_EQ(stakes[size_t(2 * i)], std::make_pair(u"A"_s, expectedDraw));
        EXPECT_EQ(stakes[size_t(2 * i + 1)], std::make_pair(u"B"_s, expectedDraw));
    }
    EXPECT_EQ(stakes.front().second, 106); // newest 114: five back is 104, and the draw after it is 106
    EXPECT_EQ(stakes.back().second, 114);
    EXPECT_EQ(tables[0].stakesMade, 5);
    EXPECT_EQ(tables[0].current, comb({6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(tables[1].stakesMade, 0);
    EXPECT_EQ(tables[2].stakesMade, 5);

    // A failed addition stops the test; the offset still goes back.
    offsets.clear();
    stakes.clear();
    int calls = 0;
    links.initialOffset = 2;
    links.addStake = [&](const TStakeRec &) { return ++calls < 3; };
    const TTablesTestResult stopped = RunTablesTest(tables, {0, 2}, 4, links);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.added, 2);
    EXPECT_EQ(offsets, (std::vector<int>{4, 3, 2}));
}

TEST(StakeTables, TestNeedsTwoDrawsAndStopsOnATableWithoutItsDraw)
{
    EXPECT_EQ(TablesTestMaximum(0), 0);
    EXPECT_EQ(TablesTestMaximum(1), 0);
    EXPECT_EQ(TablesTestMaximum(2), 1);
    EXPECT_EQ(TablesTestMaximum(100), 99);

    // A count beyond the archive is held to it: no stake for a draw number below 1.
    const TDrawsArray draws = DrawsInStepsOfTwo(3);
    TTablesArray tables{fixedTable(u"A"_s, comb({1, 2, 3, 4, 5, 6}), 1)};
    const TConfigData cfg = config();
    std::vector<int32_t> drawNumbers;
    TTablesTestLinks links;
    links.draws = &draws;
    links.config = &cfg;
    links.addStake = [&](const TStakeRec &s) {
        drawNumbers.push_back(s.drawNumber);
        return true;
    };
    RunTablesTest(tables, {0}, 10, links);
    EXPECT_EQ(drawNumbers, (std::vector<int32_t>{102, 104}));

    TDrawsArray bad = DrawsInStepsOfTwo(3);
    bad[0].main = {1, 1, 1, 1, 1, 1}; // the draw behind offset 2
    TTableRec latest;
    latest.name = u"L"_s;
    latest.mode = tmLatestDraw;
    TTablesArray one{latest};
    links.draws = &bad;
    drawNumbers.clear();
    const TTablesTestResult result = RunTablesTest(one, {0}, 2, links);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(drawNumbers.size(), 0u);
    EXPECT_FALSE(result.message.isEmpty());
}

TEST(StakeTablesFile, SavedThroughATemporaryFileAndReadBack)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TStakeTables tables;
    EXPECT_EQ(tables.fileName(), folder.file(u"Vendra.ltb"_s));
    EXPECT_TRUE(tables.Load()) << "no file is no tables";
    EXPECT_EQ(tables.count(), 0);
    tables.items() = {fixedTable(u"A"_s, comb({1, 2, 3, 4, 5, 6}), 1), fixedTable(u"B"_s, comb({7, 8, 9, 10, 11, 12}), -2)};
    ASSERT_TRUE(tables.Save());
    EXPECT_EQ(folder.read(u"Vendra.ltb"_s).size(), 560);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"Vendra.ltb"_s});

    TStakeTables again;
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.items(), tables.items());
    EXPECT_EQ(again.names(), (QStringList{u"A"_s, u"B"_s}));

    again.Delete(0);
    EXPECT_EQ(again.names(), QStringList{u"B"_s});
    try {
        again.Delete(1);
        FAIL() << "an index outside the tables";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Запись со индексом 1 в файле данных не найдена!"_s);
    }
    EXPECT_EQ(boxes.count(), 0);
}

TEST(StakeTablesFile, ATornFileKeepsItsWholeRecordsAndACopy)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    QByteArray torn = SerializeTables({fixedTable(u"A"_s, comb({1, 2, 3, 4, 5, 6}), 1),
                                       fixedTable(u"B"_s, comb({7, 8, 9, 10, 11, 12}), 1)});
    torn.append(100, '\x01');
    folder.write(u"Vendra.ltb"_s, torn);

    TStakeTables tables;
    EXPECT_FALSE(tables.Load());
    EXPECT_EQ(tables.names(), (QStringList{u"A"_s, u"B"_s}));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка чтения файла регулярных ставок!\r\r"_s));
    EXPECT_EQ(folder.read(u"Vendra.ltb.bak"_s), torn);
    EXPECT_EQ(folder.read(u"Vendra.ltb"_s), torn) << "reading changes nothing";
    ASSERT_TRUE(tables.Save());
    EXPECT_EQ(folder.read(u"Vendra.ltb"_s).size(), 560);
}

TEST(StakeTablesFile, DamagedRecordsAreReportedAndOnlySoundOnesKept)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    const TTableRec a = fixedTable(u"A"_s, comb({1, 2, 3, 4, 5, 6}), 1);
    TTableRec b;
    b.name = u"B"_s;
    b.mode = tmLatestDraw;
    b.step = -45;
    b.stakesMade = 2147483647;
    TTableRec c = b;
    c.name = u"C"_s;
    c.current = comb({45, 1, 7, 20, 33, 2});
    // Each damage on its own record: name length 0, a control character in the name, mode 2, a number
    // repeated, a number above 45, a zero in a fixed-start table, step 46, a negative count, and a
    // latest-draw table with five numbers.
    std::vector<TTableBytes> bad;
    auto damaged = [&](const TTableRec &t, int offset, uint8_t value) {
        TTableBytes bytes = TableToBytes(t);
        bytes[size_t(offset)] = value;
        bad.push_back(bytes);
    };
    damaged(a, 0, 0);
    damaged(a, 1, '\n');
    damaged(a, 256, 2);
    damaged(a, 258, 1);
    damaged(a, 264, 46);
    damaged(a, 262, 0);
    damaged(a, 272, 46);
    damaged(a, 279, 0x80);
    damaged(c, 265, 0);
    QByteArray file = SerializeTables({a});
    for (const TTableBytes &bytes : bad)
        file.append(reinterpret_cast<const char *>(bytes.data()), kTableRecSize);
    file += SerializeTables({b, c});
    folder.write(u"Vendra.ltb"_s, file);

    TStakeTables tables;
    EXPECT_FALSE(tables.Load());
    EXPECT_EQ(tables.items(), (TTablesArray{a, b, c}));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка чтения файла регулярных ставок!\r\r"_s));
    EXPECT_TRUE(boxes.last().text.contains(
        u"поврежден: пропущено записей с недопустимыми значениями - 9. Загружены только исправные записи (3)."_s));
    EXPECT_EQ(folder.read(u"Vendra.ltb.bak"_s), file);
    const QByteArray cut = SerializeTables({a}) + "cut";
    folder.write(u"Vendra.ltb"_s, cut);
    EXPECT_FALSE(TStakeTables().Load());
    EXPECT_TRUE(boxes.last().text.contains(u"поврежден: пропущено байт в конце файла, не составляющих целой записи "
                                           u"(280 байт), - 3. Загружены только исправные записи (1)."_s));
    ASSERT_TRUE(tables.Save());
    EXPECT_EQ(folder.read(u"Vendra.ltb"_s), SerializeTables({a, b, c}));

    // Random bytes in whole records are no tables at all.
    QByteArray noise(280 * 100, '\0');
    uint32_t x = 2463534242u;
    for (char &ch : noise) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        ch = char(x);
    }
    folder.write(u"Vendra.ltb"_s, noise);
    TStakeTables random;
    EXPECT_FALSE(random.Load());
    EXPECT_EQ(random.count(), 0);
    // Each damaged load kept its own copy; none was written over.
    EXPECT_EQ(folder.read(u"Vendra.ltb.bak"_s), file);
    EXPECT_EQ(folder.read(u"Vendra.ltb.bak.2"_s), cut);
    EXPECT_EQ(folder.read(u"Vendra.ltb.bak.3"_s), noise);

    // A count at its largest value stays there when the table steps.
    const TDrawsArray draws;
    TTableRec full = a;
    full.stakesMade = 2147483647;
    ASSERT_EQ(StepTable(full, draws, 0), TTableStep::Stepped);
    EXPECT_EQ(full.stakesMade, 2147483647);
}

TEST(StakeTablesFile, AnUnreadableFileIsNeverWrittenOver)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    // A folder in the file's place cannot be read as a file.
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"Vendra.ltb"_s));
    TStakeTables tables;
    tables.items() = {fixedTable(u"A"_s, comb({1, 2, 3, 4, 5, 6}), 1)};
    EXPECT_FALSE(tables.Load());
    EXPECT_EQ(tables.count(), 1) << "the tables in memory stay as they are";
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка чтения файла регулярных ставок!\r\r"_s));
    EXPECT_FALSE(tables.Save());
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка записи в файл регулярных ставок!\r\r"_s));
    EXPECT_TRUE(QFileInfo(folder.file(u"Vendra.ltb"_s)).isDir());
}
