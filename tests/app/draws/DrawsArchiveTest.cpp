#include "common/Exception.h"
#include "common/Format.h"
#include "lottery/DrawDates.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/draws/DrawsArchive.h"
#include "app/draws/ResultsSiteDates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
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

TDrawsArray numbered(std::initializer_list<int> numbers)
{
    TDrawsArray draws;
    for (int n : numbers)
        draws.push_back(makeDraw(n, {1, 2, 3, 4, 5, 6}, {7, 8}, {}));
    return draws;
}

} // namespace

TEST(DrawRecord, BytesAtTheirOffsets)
{
    const TDrawRec d = makeDraw(4100, {5, 12, 18, 30, 33, 41}, {7, 22}, u"5 Jan 2015"_s);
    char bytes[kDrawRecordSize];
    WriteDrawRecord(d, bytes);
    const QByteArray expected("\x04\x10\x00\x00" "\x05\x0c\x12\x1e\x21\x29" "\x07\x16" "\x0a" "5 Jan 2015\x00",
                              kDrawRecordSize);
    EXPECT_EQ(QByteArray(bytes, kDrawRecordSize), expected);
    TDrawRec back;
    ReadDrawRecord(bytes, back);
    EXPECT_EQ(back, d);
    EXPECT_EQ(back.dateText(), u"5 Jan 2015");
}

TEST(DrawRecord, DamagedLengthByteIsClampedAndShortTailIgnored)
{
    QByteArray file(kDrawRecordSize + 1, '\0');
    file[0] = 7;
    file[12] = static_cast<char>(200);
    for (int i = 13; i < 24; ++i)
        file[i] = 'x';
    const TDrawsArray draws = ParseDrawsFile(file);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].number, 7);
    EXPECT_EQ(draws[0].dateText(), u"xxxxxxxxxxx");
    // Saving a damaged record writes a valid length.
    EXPECT_EQ(SerializeDraws(draws).at(12), 11);
    EXPECT_TRUE(ParseDrawsFile(QByteArray(23, '\0')).empty());
}

TEST(FindDraw, InterpolatesWalksAndScans)
{
    TDrawsArray gapFree;
    for (int n = 1; n <= 100; ++n)
        gapFree.push_back(numbered({n})[0]);
    for (int n = 1; n <= 100; ++n)
        EXPECT_EQ(FindDrawIndex(gapFree, n), n - 1);
    EXPECT_EQ(FindDrawIndex(gapFree, 0), -1);
    EXPECT_EQ(FindDrawIndex(gapFree, 101), -1);

    const TDrawsArray gaps = numbered({3, 4, 10, 11, 12, 40, 41, 90, 100});
    for (size_t i = 0; i < gaps.size(); ++i)
        EXPECT_EQ(FindDrawIndex(gaps, gaps[i].number), static_cast<int>(i));
    EXPECT_EQ(FindDrawIndex(gaps, 50), -1);
    EXPECT_EQ(FindDrawIndex({}, 5), -1);
}

TEST(FindDraw, ArchiveNotAscendingNeverDividesByZero)
{
    EXPECT_EQ(FindDrawIndex(numbered({10, 9}), 7), -1);
    EXPECT_EQ(FindDrawIndex(numbered({10, 9, 7, 10}), 7), 2);
    EXPECT_EQ(FindDrawIndex(numbered({5, 5, 5}), 6), -1);
    EXPECT_EQ(FindDrawIndex(numbered({-2147483647, 2147483647, 3}), 3), 2);
    EXPECT_EQ(FindDrawIndex(numbered({1, 2147483647}), 1000), -1);
}

TEST(DrawsInfo, NextNumberNumbersTextAndDates)
{
    TDrawsArray draws;
    for (int i = 0; i < 10; ++i)
        draws.push_back(makeDraw(4091 + i, {static_cast<uint8_t>(i + 1), 11, 12, 13, 14, 15}, {16, 17},
                                 FormatResultsDate(EncodeDate(2015, 1, 1 + i))));
    EXPECT_EQ(NextDrawNumber(draws, 0), 4102);
    EXPECT_EQ(NextDrawNumber({}, 0), 1);
    EXPECT_EQ(NextDrawNumber(draws, 10), -1);
    EXPECT_EQ(NextDrawNumber(draws, -1), -1);
    // An offset of 3 hides the three newest draws: the next draw follows the 4th newest.
    EXPECT_EQ(NextDrawNumber(draws, 3), 4097 + 2);
    EXPECT_EQ(DrawNumbersText(draws, 3), u"8;11;12;13;14;15");
    EXPECT_EQ(DrawNumbersText(draws, 0), QString());
    EXPECT_EQ(DrawNumbersText(draws, 10), QString());
    EXPECT_EQ(DrawNumbersText({}, 1), QString());
    InstallResultsDateHooks();
    EXPECT_EQ(DrawDateYMD(draws, 0, 1), 20150111);
    EXPECT_EQ(DrawDateYMD(draws, 9, 0), 20150101);
    EXPECT_EQ(DrawDateYMD(draws, 10, 0), 20011201);
    EXPECT_EQ(DrawDateYMD({}, 0, 1), 20011201);
}

TEST(ResultsDates, GameDateForm)
{
    EXPECT_EQ(FormatResultsDate(EncodeDate(2015, 1, 5)), u"5 Jan 2015");
    EXPECT_EQ(FormatResultsDate(EncodeDate(2015, 12, 15)), u"15 Dec 2015");
    EXPECT_EQ(ParseResultsDate(u"5 Jan 2015"_s), EncodeDate(2015, 1, 5));
    EXPECT_EQ(ParseResultsDate(u"15 jan 2015"_s), EncodeDate(2015, 1, 15));
    EXPECT_THROW(ParseResultsDate(u"5 Foo 2015"_s), EConvertError);
    EXPECT_THROW(ParseResultsDate(u"31 Feb 2015"_s), EConvertError);
    EXPECT_THROW(ParseResultsDate(u"x"_s), EConvertError);
    EXPECT_EQ(ResultsArchiveMonthKey(202403), u"2024-march");
    EXPECT_EQ(ResultsArchiveMonthKey(202413), u"2024-error");
    EXPECT_EQ(YearMonthNumber(u"2024-03-04"_s), 20240304);
    EXPECT_THROW(YearMonthNumber(u"2024-0x"_s), EConvertError);
}

TEST(DrawsArchiveFile, LoadSaveAndEdits)
{
    TempDataFolder folder;
    const QString path = folder.file(u"Vendra.ldr"_s);
    TDrawsArchive archive(path);
    archive.load();
    EXPECT_EQ(archive.count(), 0);
    EXPECT_FALSE(folder.exists(u"Vendra.ldr"_s));

    TDrawsArray &ref = archive.draws();
    for (const TDrawRec &d : numbered({1, 2, 3, 4, 5}))
        archive.append(d);
    archive.save();
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s).size(), 5 * kDrawRecordSize);

    const uint64_t rev = archive.revision();
    archive.deleteDraw(0);
    archive.deleteDraw(1); // the draw numbered 3
    EXPECT_GT(archive.revision(), rev);
    archive.save();
    const QByteArray bytes = folder.read(u"Vendra.ldr"_s);
    ASSERT_EQ(bytes.size(), 3 * kDrawRecordSize);
    const TDrawsArray back = ParseDrawsFile(bytes);
    EXPECT_EQ(back[0].number, 2);
    EXPECT_EQ(back[1].number, 4);
    EXPECT_EQ(back[2].number, 5);
    try {
        archive.deleteDraw(-1);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Запись со индексом -1 в файле данных не найдена!");
    }
    // The registry holds the array by reference: loading keeps the same object.
    archive.load();
    EXPECT_EQ(&ref, &archive.draws());
    EXPECT_EQ(archive.count(), 3);
}

TEST(DrawsArchiveFile, FailedLoadNeverOverwritesTheFile)
{
    // An archive that exists but cannot be read (here a folder in its place) fails the load, and the
    // partial array in memory is then never written over it.
    TempDataFolder folder;
    const QString path = folder.file(u"Vendra.ldr"_s);
    ASSERT_TRUE(QDir().mkdir(path));
    QFile(path + u"/keep"_s).open(QIODevice::WriteOnly);
    TDrawsArchive archive(path);
    EXPECT_THROW(archive.load(), EInOutError);
    EXPECT_TRUE(archive.saveBlocked());
    archive.append(numbered({9})[0]);
    try {
        archive.save();
        FAIL() << "saved over an archive that was not read";
    } catch (const EInOutError &) {
        FAIL() << "tried to write";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().contains(u"не был прочитан"));
    }
    EXPECT_TRUE(QFile::exists(path + u"/keep"_s));
}

TEST(DrawsArchiveFile, AnArchiveBehindALinkIsWrittenWhereItLeadsOrRefused)
{
    // The save lands where the link leads, the link staying; a link leading nowhere is refused.
    QTemporaryDir elsewhere;
    const QString file = elsewhere.filePath(u"archive.ldr"_s), gone = elsewhere.filePath(u"gone.ldr"_s);
    QFile(file).open(QIODevice::WriteOnly);
    for (const QString &target : {file, gone}) {
        TempDataFolder folder;
        ASSERT_TRUE(QFile::link(target, folder.file(u"Vendra.ldr"_s)));
        TDrawsArchive archive(folder.file(u"Vendra.ldr"_s));
        archive.appendAll(numbered({1, 2}));
        if (target == file)
            archive.save();
        else
            EXPECT_THROW(archive.save(), EInOutError);
        EXPECT_EQ(ParseDrawsFile(folder.read(u"Vendra.ldr"_s)).size(), target == file ? 2u : 0u);
        EXPECT_EQ(QFileInfo(folder.file(u"Vendra.ldr"_s)).symLinkTarget(), target);
    }
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::System), QStringList{u"archive.ldr"_s});
}

TEST(DrawsArchiveFile, SaveIntoMissingFolderFailsWithoutLosingTheOldFile)
{
    TDrawsArchive archive(u"/nonexistent-folder/Vendra.ldr"_s);
    archive.append(numbered({1})[0]);
    EXPECT_THROW(archive.save(), EInOutError);
}

TEST(DrawsArchiveFile, EveryWayInKeepsTheNumbersRising)
{
    TDrawsArchive archive;
    archive.draws() = numbered({10, 11, 13});
    // Appended draws rise above the newest and above each other, or none of them is taken.
    EXPECT_THROW(archive.append(numbered({13})[0]), Exception);
    EXPECT_THROW(archive.appendAll(numbered({14, 16, 15})), Exception);
    EXPECT_THROW(archive.appendAll(numbered({0})), Exception);
    EXPECT_EQ(archive.count(), 3);
    archive.appendAll(numbered({14, 16}));
    // A replaced draw stays between its neighbours.
    EXPECT_THROW(archive.replace(1, numbered({13})[0]), Exception);
    EXPECT_THROW(archive.replace(1, numbered({10})[0]), Exception);
    archive.replace(1, numbered({12})[0]);
    // Draws put in by number take their place; a number that is there already is refused whole.
    archive.insertInOrder(numbered({15, 11, 17}));
    EXPECT_THROW(archive.insertInOrder(numbered({9, 12})), Exception);
    std::vector<int> numbers;
    for (const TDrawRec &d : archive.draws())
        numbers.push_back(d.number);
    EXPECT_EQ(numbers, (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17}));

    EXPECT_EQ(RisingDrawsProblem(numbered({5}), numbered({6, 6})),
              u"Номер тиража 6 должен быть больше номера предыдущего тиража архива (6)!");
    EXPECT_TRUE(RisingDrawsProblem({}, numbered({1, 2})).isEmpty());
    EXPECT_EQ(DrawInsertIndex(numbered({10, 12, 14}), 13), 2);

    // A damaged newest number at the top of the range (found by the fuzz harness) never overflows.
    EXPECT_EQ(NextDrawNumber(numbered({2147483647}), 0), 2147483647);
    EXPECT_EQ(NextDrawNumber(numbered({2147483646}), 0), 2147483647);
}

TEST(DrawsArchiveFile, LoadKeepsTheDrawsAndReportsTheRest)
{
    // Today is 10 April 2024. Each record with the note the load gives it, and its date when kept.
    struct Case { TDrawRec record; const char16_t *note, *keptDate; };
    const std::array<uint8_t, 6> six = {1, 2, 3, 4, 5, 6};
    const Case cases[] = {
        {makeDraw(4100, six, {7, 8}, u"1 Mar 2024"_s), nullptr, u"1 Mar 2024"},
        {makeDraw(4101, {1, 1, 3, 4, 5, 6}, {7, 8}, {}), u"запись 2 (тираж № 4101): основные числа", nullptr},
        {makeDraw(4102, six, {1, 44}, u"4 Mar 2024"_s), u"тиража 4102: дополнительные числа повторяют", u"4 Mar 2024"},
        {makeDraw(4103, six, {0, 0}, u" 4 MAR 2024"_s), u"тиража 4103: дополнительные числа!", u"4 Mar 2024"},
        {makeDraw(4102, six, {7, 8}, {}),
         u"(тираж № 4102): номер тиража не больше номера предыдущего тиража (№ 4103 от 4 Mar 2024, запись 4)", nullptr},
        {makeDraw(4104, six, {7, 8}, u"05 Mar 2024"_s), nullptr, u"5 Mar 2024"},
        {makeDraw(4105, six, {7, 8}, u"xxxxxxxxxxx"_s), u"запись 7 (тираж № 4105): дата тиража \"xxxxxxxxxxx\"", nullptr},
        {makeDraw(4106, six, {46, 8}, {}), u"запись 8 (тираж № 4106): дополнительные числа", nullptr},
        {makeDraw(0, six, {7, 8}, {}), u"запись 9 (тираж № 0): номер тиража", nullptr},
        {makeDraw(4107, six, {7, 8}, u"5 Jan 2030"_s), u"Дата тиража 4107 (5 Jan 2030) еще не наступила!", u"5 Jan 2030"},
    };
    TDrawsArray records, kept;
    for (const Case &c : cases) {
        records.push_back(c.record);
        if (c.keptDate)
            kept.push_back(c.record), kept.back().setDateText(QString::fromUtf16(c.keptDate));
    }
    const QByteArray file = SerializeDraws(records) + QByteArray(7, '\x01'); // the last record cut short
    TempDataFolder folder;
    folder.write(u"Vendra.ldr"_s, file);
    ScriptedMessages boxes;
    TDrawsArchive archive(folder.file(u"Vendra.ldr"_s));
    archive.setToday([] { return EncodeDate(2024, 4, 10); });
    archive.load();
    ASSERT_EQ(boxes.count(), 1);
    const QString text = boxes.last().text + u'\r';
    EXPECT_TRUE(text.startsWith(u"Ошибка чтения файла тиражей!\r\rФайл \""_s + folder.file(u"Vendra.ldr"_s) +
                                u"\" поврежден: пропущено записей с недопустимыми значениями - 5; пропущено байт в конце "
                                u"файла, не составляющих целой записи (24 байта), - 7. Загружены только исправные "
                                u"записи (5).\r"_s));
    for (const Case &c : cases)
        EXPECT_TRUE(!c.note || text.contains(QString::fromUtf16(c.note))) << text.toStdString();
    EXPECT_EQ(archive.draws(), kept);
    // The file as found is kept before anything is written over it.
    EXPECT_EQ(folder.read(u"Vendra.ldr.bak"_s), file);
}

TEST(DrawsArchiveFile, ARecordThatDoesNotFitBetweenItsNeighboursCostsOnlyItself)
{
    // Draws 1001.. one a day from 1 Jan 2000 (or without dates), or 1001, 1003.. 5105 one a week from
    // 30 Aug 1986 to 27 Dec 2025, or 1001.. every third day from 1 Jan 2000 with a pause of four months
    // after the 1000th, or 1001.. two a day from 1 Jan 2000, or 1001.. on Tuesdays and Fridays from
    // 1 Nov 2016 with two more draws on 31 Dec; then some records are changed and only those may be
    // left out. Where
    // leaving out either of two records would do, the one whose number does not fit its date goes, and
    // its note names the kept record it was left out for. Today is 8 Dec 2026.
    enum Archive { kDaily, kUndated, kWeekly, kPaused, kTwoADay, kYearEnd };
    struct Change {
        int index;
        int32_t number;
        const char16_t *date = nullptr;
    };
    struct Case {
        const char *what;
        int count;
        Archive archive;
        std::vector<Change> changed;
        int named = 0; // the kept record the first note names
    };
    std::vector<Change> raisedNearTheEnd;
    for (int i = 2038; i < 2048; ++i)
        raisedNearTheEnd.push_back({i, 1001 + 2 * i + 100000});
    auto withFirst = [&raisedNearTheEnd](Change first) {
        std::vector<Change> changed{first};
        changed.insert(changed.end(), raisedNearTheEnd.begin(), raisedNearTheEnd.end());
        return changed;
    };
    const Case cases[] = {
        {"one bit flipped in the middle", 2000, kDaily, {{1000, 2001 + (1 << 24)}}},
        {"the largest number in the middle", 2053, kDaily, {{1026, 2147483647}}},
        {"a spike below any bound", 2000, kDaily, {{1000, 30000}}},
        {"a run of numbers far ahead", 2000, kDaily, {{1500, 200000}, {1501, 200001}, {1502, 200002}}},
        {"a run far ahead just before the last draws", 20, kDaily, {{14, 200000}, {15, 200001}, {16, 200002}, {17, 200003}}},
        {"the first record far ahead", 50, kDaily, {{0, 300000}}},
        {"the last record not above the one before", 50, kDaily, {{49, 7}}},
        {"a record fallen below its neighbours", 50, kDaily, {{20, 3}}},
        {"draws without dates", 50, kUndated, {{25, 2147483647}, {26, 1}}},
        {"a low bit flipped: 3001 becomes the next draw's 3003", 2053, kWeekly, {{1000, 3003}}, 1002},
        {"a dip: 3001 becomes 2998", 2053, kWeekly, {{1000, 2998}}, 1000},
        {"the last record lowered below the one before: 5105 becomes 5102", 2053, kWeekly, {{2052, 5102}}, 2052},
        {"a too-high first record and ten records raised near the end", 2053, kWeekly, withFirst({0, 200000})},
        {"a first record 110000 of 5 Jan 2026 and ten records raised near the end", 2053, kWeekly,
         withFirst({0, 110000, u"5 Jan 2026"})},
        {"the last draw before a pause of months lowered to the one before", 2000, kPaused, {{999, 1999}}, 999},
        {"the first draw after a pause of months raised to the one after", 2000, kPaused, {{1000, 2002}}, 1002},
        {"a draw raised to the next one of the same date", 2000, kTwoADay, {{1000, 2002}}, 1002},
        {"an undated draw raised to the next one", 50, kUndated, {{25, 1027}}, 27},
        {"a draw lowered to the one before and the second after it below the first after it", 40, kYearEnd,
         {{13, 1013}, {15, 1014}}, 13},
    };
    for (const Case &c : cases) {
        const bool weekly = c.archive == kWeekly;
        TDrawsArray records;
        for (int i = 0; i < c.count; ++i) {
            const TDateTime day = weekly                  ? EncodeDate(1986, 8, 30) + 7 * i
                                  : c.archive == kPaused  ? EncodeDate(2000, 1, 1) + 3 * i + (i < 1000 ? 0 : 120)
                                  : c.archive == kTwoADay ? EncodeDate(2000, 1, 1) + i / 2
                                  : c.archive == kYearEnd
                                      ? (i < 18   ? EncodeDate(2016, 11, 1) + 7 * (i / 2) + 3 * (i % 2)
                                         : i < 20 ? EncodeDate(2016, 12, 31)
                                                  : EncodeDate(2017, 1, 3) + 7 * ((i - 20) / 2) + 3 * (i % 2))
                                                          : EncodeDate(2000, 1, 1) + i;
            records.push_back(makeDraw(weekly ? 1001 + 2 * i : 1001 + i, {1, 2, 3, 4, 5, 6}, {7, 8},
                                       c.archive == kUndated ? QString() : FormatResultsDate(day)));
        }
        TDrawsArray expected = records;
        for (auto it = c.changed.rbegin(); it != c.changed.rend(); ++it) {
            records[static_cast<size_t>(it->index)].number = it->number;
            if (it->date)
                records[static_cast<size_t>(it->index)].setDateText(QString::fromUtf16(it->date));
            expected.erase(expected.begin() + it->index);
        }
        const TDrawsRead read = ReadDrawsBytes(SerializeDraws(records), EncodeDate(2026, 12, 8));
        EXPECT_EQ(read.draws, expected) << c.what;
        EXPECT_EQ(read.badRecords, static_cast<int>(c.changed.size())) << c.what;
        ASSERT_FALSE(read.badNotes.isEmpty()) << c.what;
        const QString &note = read.badNotes.front();
        EXPECT_TRUE(
            note.startsWith(Format(u"запись %d (тираж № %d", {c.changed.front().index + 1, c.changed.front().number})))
            << c.what << ": " << note.toStdString();
        EXPECT_TRUE(!c.named || note.contains(Format(u"запись %d)", {c.named})))
            << c.what << ": " << note.toStdString();
    }
}

TEST(DrawsArchiveFile, DamagedLoadsInARowNeverWriteOverAnEarlierCopy)
{
    TempDataFolder folder;
    TDrawsArray draws;
    for (int i = 0; i < 30; ++i)
        draws.push_back(makeDraw(3001 + i, {1, 2, 3, 4, 5, 6}, {7, 8}, FormatResultsDate(EncodeDate(2020, 1, 1) + i)));
    TDrawsArray flipped = draws;
    flipped[10].number += 1 << 24;
    const QByteArray first = SerializeDraws(flipped);
    // Each load finds the file as the one before left it (the sound draws saved) with new damage; the
    // same damage found again is kept once.
    struct Load { QByteArray file; const char *copy; const char16_t *note; };
    const Load loads[] = {
        {first, "Vendra.ldr.bak", u"Прежний файл сохранён как"},
        {first, "Vendra.ldr.bak", u"Прежний файл уже сохранён как"},
        {SerializeDraws(draws) + "12345", "Vendra.ldr.bak.2", u"Прежний файл сохранён как"},
        {SerializeDraws(draws) + "123", "Vendra.ldr.bak.3", u"Прежний файл сохранён как"},
        {SerializeDraws(draws) + "1", "Vendra.ldr.bak.3", u"Самая старая копия удалена: хранится не более 3 копий."},
    };
    for (const Load &load : loads) {
        folder.write(u"Vendra.ldr"_s, load.file);
        ScriptedMessages boxes;
        TDrawsArchive archive(folder.file(u"Vendra.ldr"_s));
        archive.load();
        EXPECT_EQ(archive.count(), 29 + (load.file.size() % kDrawRecordSize != 0));
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.contains(QString::fromUtf16(load.note))) << boxes.last().text.toStdString();
        EXPECT_TRUE(boxes.last().text.contains(folder.file(QString::fromLatin1(load.copy))));
        EXPECT_EQ(folder.read(QString::fromLatin1(load.copy)), load.file);
    }
    // The oldest copy went last; the others moved down a place.
    EXPECT_EQ(folder.read(u"Vendra.ldr.bak"_s), SerializeDraws(draws) + "12345");
    EXPECT_EQ(folder.read(u"Vendra.ldr.bak.2"_s), SerializeDraws(draws) + "123");
    EXPECT_FALSE(folder.exists(u"Vendra.ldr.bak.4"_s));
}
