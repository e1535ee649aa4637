#include "app/draws/DrawsCsv.h"
#include "common/Format.h"
#include "common/Cp1251.h"
#include "app/draws/ResultsSiteDates.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/draws/DrawsCsvActions.h"
#include "app/draws/DrawsArchive.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TDrawRec makeDraw(int number, std::array<uint8_t, 6> main, std::array<uint8_t, 2> extra, const QString &date)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    d.extra = extra;
    d.setDateText(date);
    return d;
}

std::vector<int> numbersOf(const TDrawsArray &draws)
{
    std::vector<int> numbers;
    for (const TDrawRec &d : draws)
        numbers.push_back(d.number);
    return numbers;
}

// An archive file in a fresh data folder, and the actions on it with the file dialog answered.
struct CsvFixture {
    TempDataFolder folder;
    TDrawsArchive archive{folder.file(u"Vendra.ldr"_s)};
    QWidget window;
    TDrawsCsvActions actions{archive, &window};
    ScriptedMessages boxes;
    QString chosen;
    std::vector<int> imported; // the counts the import signal gave

    CsvFixture()
    {
        QObject::connect(&actions, &TDrawsCsvActions::drawsImported, &window,
                         [this](int count) { imported.push_back(count); });
        SetDrawsCsvFileDialog([this](QWidget *, bool) { return chosen; });
    }
    ~CsvFixture() { SetDrawsCsvFileDialog(nullptr); }

    void store(const TDrawsArray &draws)
    {
        archive.draws() = draws;
        archive.save();
    }
};

} // namespace

TEST(DrawsCsv, FieldsSplitOnSemicolonsOutsideQuotes)
{
    EXPECT_EQ(SplitCsvFields(u"1;\"5 Jan 2015\";3"), QStringList({u"1"_s, u"5 Jan 2015"_s, u"3"_s}));
    EXPECT_EQ(SplitCsvFields(u"\"a;b\"\"c\";d"), QStringList({u"a;b\"c"_s, u"d"_s}));
    EXPECT_EQ(SplitCsvFields(u" 7 ; \" x \" ;"), QStringList({u"7"_s, u" x "_s, QString()}));
    EXPECT_EQ(SplitCsvFields(u"5 Jan 2015;1"), QStringList({u"5 Jan 2015"_s, u"1"_s})); // blanks do not split
    EXPECT_EQ(QuoteCsvField(u"say \"hi\""), u"\"say \"\"hi\"\"\"");
}

TEST(DrawsCsv, ExportIsTheTenFieldFormAndImportsBackByteForByte)
{
    CsvFixture f;
    // With draws that earlier versions let in: supplementary numbers repeating others, or not known.
    f.store({makeDraw(4100, {5, 12, 18, 30, 33, 41}, {7, 22}, u"1 Jan 2015"_s),
             makeDraw(4102, {3, 11, 17, 25, 30, 41}, {8, 44}, u"5 Jan 2015"_s),
             makeDraw(4104, {3, 11, 17, 25, 30, 42}, {3, 3}, {}), makeDraw(4106, {1, 2, 3, 4, 5, 6}, {0, 0}, {})});
    f.chosen = f.folder.file(u"draws.csv"_s);
    f.actions.updateActions();
    ASSERT_TRUE(f.actions.exportAction()->isEnabled());
    f.actions.exportAction()->trigger();
    EXPECT_EQ(f.boxes.count(), 0);
    const QByteArray exported = f.folder.read(u"draws.csv"_s);
    EXPECT_EQ(exported, "4100;\"1 Jan 2015\";5;12;18;30;33;41;7;22\r\n"
                        "4102;\"5 Jan 2015\";3;11;17;25;30;41;8;44\r\n"
                        "4104;\"\";3;11;17;25;30;42;3;3\r\n4106;\"\";1;2;3;4;5;6;0;0\r\n");

    // Importing what was just exported adds nothing, says so, and leaves the file alone.
    const QByteArray archiveBytes = f.folder.read(u"Vendra.ldr"_s);
    f.actions.importAction()->trigger();
    EXPECT_TRUE(f.imported.empty());
    EXPECT_EQ(f.folder.read(u"Vendra.ldr"_s), archiveBytes);
    ASSERT_EQ(f.boxes.count(), 1);
    EXPECT_EQ(f.boxes.last().caption, u"Информация");
    EXPECT_NE(f.boxes.last().text.indexOf(u"добавлено тиражей: 0\rуже есть в архиве: 4"), -1);

    // Into an empty archive it gives the same archive file, and exports to the same bytes.
    CsvFixture g;
    ASSERT_TRUE(g.actions.importFile(f.chosen));
    ASSERT_EQ(g.boxes.count(), 1);
    EXPECT_TRUE(g.boxes.last().text.endsWith(u"(их можно исправить в окне тиража): 2\r\rстрока 3: тираж № 4104: "
                                             u"дополнительные числа повторяют другие числа тиража\rстрока 4: тираж "
                                             u"№ 4106: дополнительные числа"));
    EXPECT_EQ(g.folder.read(u"Vendra.ldr"_s), archiveBytes);
    ASSERT_TRUE(g.actions.exportFile(g.folder.file(u"again.csv"_s)));
    EXPECT_EQ(g.folder.read(u"again.csv"_s), exported);
}

TEST(DrawsCsv, ExportOntoALinkWritesTheFileItLeadsTo)
{
    CsvFixture f;
    f.store({makeDraw(4102, {3, 11, 17, 25, 30, 41}, {8, 44}, u"5 Jan 2015"_s)});
    f.folder.write(u"kept.csv"_s, "old\r\n");
    ASSERT_TRUE(QFile::link(f.folder.file(u"kept.csv"_s), f.folder.file(u"draws.csv"_s)));
    ASSERT_TRUE(f.actions.exportFile(f.folder.file(u"draws.csv"_s)));
    EXPECT_EQ(f.boxes.count(), 0);
    EXPECT_EQ(f.folder.read(u"kept.csv"_s), "4102;\"5 Jan 2015\";3;11;17;25;30;41;8;44\r\n");
    EXPECT_EQ(QFileInfo(f.folder.file(u"draws.csv"_s)).symLinkTarget(), f.folder.file(u"kept.csv"_s));

    // A link that leads nowhere: said, and nothing is made.
    ASSERT_TRUE(QFile::link(f.folder.file(u"gone.csv"_s), f.folder.file(u"dangling.csv"_s)));
    EXPECT_FALSE(f.actions.exportFile(f.folder.file(u"dangling.csv"_s)));
    ASSERT_EQ(f.boxes.count(), 1);
    EXPECT_EQ(f.boxes.last().caption, u"Ошибка");
    EXPECT_EQ(f.boxes.last().text, u"Ошибка записи файла \""_s + f.folder.file(u"dangling.csv"_s) +
                                       u"\"!\r\rЭто ссылка на файл \""_s + f.folder.file(u"gone.csv"_s) +
                                       u"\", которого нет."_s);
    EXPECT_FALSE(QFileInfo::exists(f.folder.file(u"gone.csv"_s)));
}

TEST(DrawsCsv, NineFieldLinesAreNumberedAfterTheNewest)
{
    const QString nine = u"\"1 Mar 2024\";1;2;3;4;5;6;7;8\r\n"
                         u"\"4 Mar 2024\";9;10;11;12;13;14;1;2\r\n"
                         u"\r\n"
                         u"\"8 Mar 2024\";21;22;23;24;25;26;27;28\r\n"_s;
    const TCsvImportResult intoEmpty = ParseDrawsCsv(nine, {});
    EXPECT_EQ(numbersOf(intoEmpty.added), std::vector<int>({1, 2, 3}));
    EXPECT_EQ(intoEmpty.added[1].dateText(), u"4 Mar 2024");
    EXPECT_EQ(intoEmpty.added[1].extra, (std::array<uint8_t, 2>{1, 2}));

    // After stored draws the numbers go on from the newest, not from the count of draws.
    const TDrawsArray stored = {makeDraw(4100, {1, 2, 3, 4, 5, 6}, {7, 8}, u"26 Feb 2024"_s)};
    EXPECT_EQ(numbersOf(ParseDrawsCsv(nine, stored).added), std::vector<int>({4101, 4102, 4103}));

    // Listed newest first, the draws are numbered in the order of their dates all the same.
    const QString newestFirst = u"\"8 Mar 2024\";21;22;23;24;25;26;27;28\r\n"
                                u"\"4 Mar 2024\";9;10;11;12;13;14;1;2\r\n"
                                u"\"1 Mar 2024\";1;2;3;4;5;6;7;8\r\n"_s;
    TDrawsArray reversed = stored, ascending = stored;
    MergeImportedDraws(reversed, ParseDrawsCsv(newestFirst, stored).added);
    MergeImportedDraws(ascending, ParseDrawsCsv(nine, stored).added);
    EXPECT_EQ(reversed, ascending);

    // The same file again: every draw is there already, under whatever number.
    const TCsvImportResult again = ParseDrawsCsv(nine, ascending);
    EXPECT_TRUE(again.added.empty());
    EXPECT_EQ(again.duplicates, 3);
}

TEST(DrawsCsv, BadLinesAreSkippedCountedAndReported)
{
    CsvFixture f;
    f.store({makeDraw(10, {1, 2, 3, 4, 5, 6}, {7, 8}, u"1 Mar 2024"_s)});
    f.folder.write(u"mixed.csv"_s,
                   "\xEF\xBB\xBF" // a byte order mark does not cost the first line
                   "11;\"4 Mar 2024\";1;2;3;4;5;6;7;8\n"
                   "12;\"8 Mar 2024\";1;2;3;4;5;6;7;8;9\n"    // 11 fields
                   "0;\"8 Mar 2024\";1;2;3;4;5;6;7;8\n"       // number 0
                   "abc;\"8 Mar 2024\";1;2;3;4;5;6;7;8\n"     // number not a number
                   "13;\"8 Mar 2024\";1;2;3;4;5;46;7;8\n"     // 46
                   "14;\"8 Mar 2024\";1;2;3;4;5;5;7;8\n"      // a main number twice
                   "15;\"8 Mar 2024\";1;2;3;4;5;261;7;8\n"    // 261 must not become 5
                   "16;\"8 Mar 2024\";1;2;3;4;5;6;7;0\n"      // supplementary 0
                   "17;\"2024-03-08\";1;2;3;4;5;6;7;8\n"      // not the game's date form
                   "18;\"\";1;2;3;4;5;6;7;8\n"                // date unknown: fine
                   "10;\"1 Mar 2024\";1;2;3;4;5;6;7;8\n"      // stored already
                   "11;\"4 Mar 2024\";9;10;11;12;13;14;1;2\n" // earlier in the file with other numbers
                   "19;\"8 Mar 2024\";1;2;3;4;5;6;6;8\n"      // a supplementary number equal to a main one
                   "20;\"8 Mar 2024\";1;2;3;4;5;6;8;8\n"      // the supplementary numbers equal
                   "21;\"9 mar 2024\";+1;2;3;4;5;06;7;8\n"    // a sign, a leading zero, a lower-case month
                   "   \n");
    ASSERT_TRUE(f.actions.importFile(f.folder.file(u"mixed.csv"_s)));
    EXPECT_EQ(numbersOf(f.archive.draws()), std::vector<int>({10, 11, 18, 19, 20, 21}));
    EXPECT_EQ(f.imported, std::vector<int>({5}));
    EXPECT_EQ(f.archive.draws().back(), makeDraw(21, {1, 2, 3, 4, 5, 6}, {7, 8}, u"9 Mar 2024"_s));
    EXPECT_EQ(f.folder.read(u"Vendra.ldr"_s), SerializeDraws(f.archive.draws()));

    ASSERT_EQ(f.boxes.count(), 1);
    EXPECT_EQ(f.boxes.last().caption, u"Предупреждение");
    const QString &report = f.boxes.last().text;
    EXPECT_NE(report.indexOf(u"добавлено тиражей: 5\rуже есть в архиве: 1\rпропущено строк с ошибками: 9"), -1)
        << report.toStdString();
    for (int line : {2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14})
        EXPECT_NE(report.indexOf(Format(u"\rстрока %d: ", {line})), -1) << line;
    EXPECT_NE(report.indexOf(u"строка 9: некорректная дата тиража \"2024-03-08\""), -1);
    EXPECT_NE(report.indexOf(u"строка 12: противоречит строке 1 файла с тем же номером тиража (Тираж № 11"), -1);
    EXPECT_NE(report.indexOf(u"окне тиража): 2\r\rстрока 13: тираж № 19: дополнительные числа повторяют"), -1);
}

TEST(DrawsCsv, DatesAreReadAsDatesAndFollowTheNumbers)
{
    // Each line alone: the date it is stored with, the reason it is refused or named, or neither (a
    // duplicate). A line that breaks only the rules of a new draw comes in, named.
    const TDrawsArray stored = {makeDraw(2051, {1, 2, 3, 4, 5, 6}, {7, 8}, u"1 Oct 1986"_s),
                                makeDraw(2053, {3, 11, 17, 25, 30, 41}, {8, 44}, u"4 Oct 1986"_s),
                                makeDraw(4100, {1, 2, 3, 4, 5, 6}, {7, 8}, u"1 Mar 2024"_s)};
    const TDrawsArray none, undated = {makeDraw(4100, {1, 2, 3, 4, 5, 6}, {7, 8}, {})};
    struct Case { const TDrawsArray &into; const char16_t *line, *added, *note; };
    const Case cases[] = {
        {stored, u"4101;\"05 Mar 2024\";1;2;3;4;5;6;7;8", u"5 Mar 2024", nullptr},
        {stored, u"4101;\" 4 MAR 2024\";1;2;3;4;5;6;7;8", u"4 Mar 2024", nullptr},
        {stored, u"4101;\"5 Jan 2030\";1;2;3;4;5;6;7;8", u"5 Jan 2030", u"Дата тиража 4101 (5 Jan 2030) еще не наступила!"},
        {stored, u"4101;\"5 Jan 1899\";1;2;3;4;5;6;7;8", nullptr, u"некорректная дата тиража \"5 Jan 1899\""},
        {stored, u"4101;\"28 Feb 2024\";1;2;3;4;5;6;7;8", u"28 Feb 2024", u"не может быть раньше даты предыдущего тиража архива № 4100"},
        {stored, u"2052;\"5 Oct 1986\";1;2;3;4;5;6;7;8", u"5 Oct 1986", u"не может быть позже даты следующего тиража архива № 2053"},
        {stored, u"4600;\"5 Mar 2024\";1;2;3;4;5;6;7;8", u"5 Mar 2024", u"Номер тиража 4600 слишком велик"},
        {stored, u"2147483647;\"2 Mar 2024\";1;2;3;4;5;6;7;8", nullptr, u"Номер тиража 2147483647 слишком велик"},
        {stored, u"2147483647;;1;2;3;4;5;6;7;8", nullptr, u"Номер тиража 2147483647 слишком велик"},
        // With no dated draw before it, the number is still bound by its date (or today).
        {none, u"2147483647;\"2 Mar 2024\";1;2;3;4;5;6;7;8", nullptr, u"и к 2 Mar 2024 они не могли превысить 453540!"},
        {undated, u"2147483647;;1;2;3;4;5;6;7;8", nullptr, u"и к 10 Apr 2024 они не могли превысить 453930!"},
        {none, u"453540;\"2 Mar 2024\";1;2;3;4;5;6;7;8", u"2 Mar 2024", nullptr},
        {stored, u"\"04 Oct 1986\";3;11;17;25;30;41;8;44", nullptr, nullptr},
        {stored, u"\"4 OCT 1986\";3;11;17;25;30;41;8;44", nullptr, nullptr},
        {stored, u"\" 4 Oct 1986\";3;11;17;25;30;41;8;44", nullptr, nullptr},
        {stored, u"\"4  Oct 1986\";3;11;17;25;30;41;8;44", nullptr, nullptr},
        // A line without a number is the draw of its date: the same numbers in any order are that draw,
        // others contradict it; before the newest draw a date without a draw cannot be given a number.
        {stored, u"\"4 Oct 1986\";41;30;25;17;11;3;8;44", nullptr, nullptr},
        {stored, u"\"4 Oct 1986\";3;11;17;25;30;41;44;8", nullptr, nullptr},
        {stored, u"\"4 Oct 1986\";3;11;17;25;30;42;8;44", nullptr,
         u"противоречит тиражу той же даты, который уже есть в архиве (Тираж № 2053 от 4 Oct 1986"},
        {stored, u"\"2 Oct 1986\";3;11;17;25;30;41;8;44", nullptr, u"тираж от 2 Oct 1986 без номера"},
        // A stored number with other numbers is no duplicate.
        {stored, u"2053;\"4 Oct 1986\";1;2;3;4;5;6;7;8", nullptr,
         u"противоречит тиражу с тем же номером, который уже есть в архиве (Тираж № 2053"},
    };
    for (const Case &c : cases) {
        const TCsvImportResult r = ParseDrawsCsv(QStringView(c.line), c.into, EncodeDate(2024, 4, 10));
        SCOPED_TRACE(QString::fromUtf16(c.line).toStdString());
        ASSERT_EQ(r.added.size(), c.added ? 1u : 0u);
        EXPECT_TRUE(!c.added || r.added[0].dateText() == QString::fromUtf16(c.added));
        EXPECT_EQ(r.duplicates, c.added || c.note ? 0 : 1);
        const std::vector<TCsvLineProblem> &named = c.added ? r.legacyLines : r.problems;
        EXPECT_EQ(named.size(), c.note ? 1u : 0u);
        EXPECT_TRUE(!c.note || (named.size() == 1 && named[0].reason.contains(QString::fromUtf16(c.note))))
            << (named.empty() ? std::string() : named[0].reason.toStdString());
    }
}

TEST(DrawsCsv, WhatTheArchiveLoadsImportsAgainWhole)
{
    // 1987's draws with one dated 5 Jan 2020 among them, one dated 2030, and a newest number 500 ahead
    // within a week: the archive loads them without a word, and what it exports comes back whole.
    TDrawsArray records;
    for (int i = 0; i < 60; ++i)
        records.push_back(makeDraw(2100 + i, {1, 2, 3, 4, 5, static_cast<uint8_t>(6 + i % 30)}, {7, 8},
                                   FormatResultsDate(EncodeDate(1987, 1, 3) + 3 * i)));
    records[20].setDateText(u"5 Jan 2020"_s);
    records[40].setDateText(u"5 Jan 2030"_s);
    records.back().number += 500;
    const TDrawsRead read = ReadDrawsBytes(SerializeDraws(records), EncodeDate(2024, 4, 10));
    ASSERT_FALSE(read.damaged());
    ASSERT_EQ(read.draws, records);
    const TCsvImportResult back = ParseDrawsCsv(DecodeTextFile(DrawsToCsv(read.draws)), {}, EncodeDate(2024, 4, 10));
    EXPECT_EQ(back.added, records);
    EXPECT_EQ(back.badLines, 0);
    EXPECT_EQ(back.legacy, read.legacyDraws);
}

TEST(DrawsCsv, DrawsOutOfOrderTakeTheirPlaceByNumber)
{
    TDrawsArray draws = {makeDraw(100, {1, 2, 3, 4, 5, 6}, {7, 8}, u"1 Mar 2024"_s),
                         makeDraw(104, {1, 2, 3, 4, 5, 6}, {7, 8}, u"8 Mar 2024"_s)};
    // Newest first, and one draw that fills a gap.
    const TCsvImportResult result = ParseDrawsCsv(u"106;12 Mar 2024;1;2;3;4;5;6;7;8\n"
                                                  u"105;11 Mar 2024;1;2;3;4;5;6;7;8\n"
                                                  u"102;4 Mar 2024;1;2;3;4;5;6;7;8\n",
                                                  draws);
    MergeImportedDraws(draws, result.added);
    EXPECT_EQ(numbersOf(draws), std::vector<int>({100, 102, 104, 105, 106}));
}

TEST(DrawsCsv, AFailedImportLeavesTheArchiveAsItWas)
{
    CsvFixture f;
    f.store({makeDraw(10, {1, 2, 3, 4, 5, 6}, {7, 8}, u"1 Mar 2024"_s)});
    const TDrawsArray before = f.archive.draws();
    const QByteArray fileBefore = f.folder.read(u"Vendra.ldr"_s);
    f.folder.write(u"new.csv"_s, "11;\"4 Mar 2024\";1;2;3;4;5;6;7;8\r\n");

    // A file that is not there.
    EXPECT_FALSE(f.actions.importFile(f.folder.file(u"missing.csv"_s)));
    ASSERT_EQ(f.boxes.count(), 1);
    EXPECT_EQ(f.boxes.last().caption, u"Ошибка");
    EXPECT_NE(f.boxes.last().text.indexOf(u"missing.csv"), -1);

    // An archive that cannot be written: the new draw is not kept in memory either.
    f.folder.write(u"blocked"_s, "a file, not a folder");
    f.archive.setFileName(f.folder.file(u"blocked/Vendra.ldr"_s));
    EXPECT_FALSE(f.actions.importFile(f.folder.file(u"new.csv"_s)));
    EXPECT_EQ(f.boxes.count(), 2);
    EXPECT_EQ(f.archive.draws(), before);
    EXPECT_EQ(f.folder.read(u"Vendra.ldr"_s), fileBefore);
    EXPECT_TRUE(f.imported.empty());
}
