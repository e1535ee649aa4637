#include "app/combinations/CombsList.h"
#include "app/combinations/ParallelWork.h"
#include "common/BusyCursor.h"
#include "common/Exception.h"
#include "lottery/DrawTexts.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Expected counts from the binomial coefficients, computed apart from the program.
constexpr int64_t kAll = 8145060;        // C(45,6)
constexpr int64_t kWithoutOne = 7059052; // C(44,6)

TComb comb(std::initializer_list<int> numbers)
{
    TComb c;
    size_t i = 0;
    for (int n : numbers)
        c[i++] = uint8_t(n);
    return c;
}

int64_t generated(int mode, const QString &parameters)
{
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{uint8_t(mode), parameters});
    return list.count();
}

std::vector<TComb> contents(const TCombsList &list)
{
    return std::vector<TComb>(list.data(), list.data() + list.count());
}

TDrawRec draw(int number, std::initializer_list<int> main)
{
    TDrawRec d;
    d.number = number;
    size_t i = 0;
    for (int n : main)
        d.main[i++] = uint8_t(n);
    d.extra = {44, 45};
    return d;
}

} // namespace

TEST(CombsGenerate, FullListIsEveryCombinationOnceInOrder)
{
    TCombsList list;
    ASSERT_TRUE(list.GenerateCombinations(false, TGenerateSettings{0, u"1,2,3"_s}));
    ASSERT_EQ(list.count(), kAll);
    EXPECT_EQ(list.at(0), comb({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(list.at(kAll - 1), comb({40, 41, 42, 43, 44, 45}));
    // Strictly ascending lexicographic order makes every combination distinct.
    for (int64_t i = 1; i < list.count(); ++i)
        ASSERT_TRUE(std::lexicographical_compare(list.at(i - 1).n.begin(), list.at(i - 1).n.end(), list.at(i).n.begin(),
                                                 list.at(i).n.end()))
            << i;
    // A mode byte from a damaged settings file is the full list.
    EXPECT_EQ(generated(7, u"1"_s), kAll);

    // The full list is written when it is first read, whichever reader comes first, over the storage of
    // a list without the number 1.
    const TComb first = comb({1, 2, 3, 4, 5, 6});
    const TComb last = comb({40, 41, 42, 43, 44, 45});
    auto regenerate = [&list] {
        list.GenerateCombinations(false, TGenerateSettings{gmNoneOf, u"1"_s});
        list.GenerateCombinations(false, TGenerateSettings{gmAll, {}});
    };
    regenerate();
    EXPECT_TRUE(list.IsCombInList(first));
    regenerate();
    EXPECT_EQ(list.CombsText({{0, 0}}), u"01 02 03 04 05 06");
    regenerate();
    list.SaveUndo(false);
    list.RestoreUndo(false);
    EXPECT_EQ(list.at(0), first);
    regenerate();
    list.truncate(1);
    EXPECT_EQ(list.at(0), first);
    regenerate();
    std::vector<TComb> read(8);
    ParallelWork::run(int(read.size()), [&](int task, int) { read[size_t(task)] = list.at(task % 2 ? kAll - 1 : 0); });
    for (size_t k = 0; k < read.size(); ++k)
        EXPECT_EQ(read[k], k % 2 ? last : first) << k;
}

TEST(CombsGenerate, MyNumbersModesCountAsTheBinomialsSay)
{
    EXPECT_EQ(generated(gmAnyOf, u"1,2,3"_s), kAll - 5245786); // C(45,6) - C(42,6)
    EXPECT_EQ(generated(gmAnyOf, u""_s), 0);
    // Values outside 1..45 and words that are not numbers match nothing.
    EXPECT_EQ(generated(gmAnyOf, u"0; 46; abc; 100; 7; -3"_s), kAll - kWithoutOne);
    EXPECT_EQ(generated(gmOnlyFrom, u"1,2,3,4,5,6,7,8"_s), 28);
    EXPECT_EQ(generated(gmOnlyFrom, u" 1, 2;3 ;4,5,6,,7,8;9 ; 10"_s), 210);
    EXPECT_EQ(generated(gmOnlyFrom, u"1,2,3,4,5"_s), 0);
    EXPECT_EQ(generated(gmNoneOf, u"1"_s), kWithoutOne);
    EXPECT_EQ(generated(gmNoneOf, u"1;2;3;4"_s), 4496388); // C(41,6)
    EXPECT_EQ(generated(gmNoneOf, u""_s), kAll);

    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"3,9,12,18,30,41,45"_s});
    ASSERT_EQ(list.count(), 7);
    for (const TComb &c : contents(list))
        for (uint8_t n : c.n)
            EXPECT_TRUE(n == 3 || n == 9 || n == 12 || n == 18 || n == 30 || n == 41 || n == 45) << int(n);
}

TEST(CombsGenerate, InteractiveRunClearsLogAndUndo)
{
    ScriptedMessages messages;
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});
    list.SaveUndo(false);
    list.AddFilterLog(false, u"x"_s, u"y"_s);
    int64_t announced = -1;
    QObject::connect(&list, &TCombsList::countRefreshed, &list, [&](qint64 n) { announced = n; });
    ASSERT_TRUE(list.GenerateCombinations(true, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8"_s}));
    EXPECT_EQ(list.count(), 28);
    EXPECT_EQ(announced, 28);
    EXPECT_EQ(list.undoCount(), 0);
    EXPECT_TRUE(list.filterLog().empty());
    EXPECT_EQ(messages.count(), 0);
}

TEST(CombsGenerate, FromFileReadsItAndAMissingFileKeepsTheList)
{
    TempDataFolder folder;
    ScriptedMessages messages;
    folder.write(u"my.lcv"_s, "1;2;3;4;5;6\r\n7;8;9;10;11;12\r\n");
    TCombsList list;
    ASSERT_TRUE(list.GenerateCombinations(true, TGenerateSettings{gmFromFile, folder.file(u"my.lcv"_s)}));
    EXPECT_EQ(contents(list), (std::vector{comb({1, 2, 3, 4, 5, 6}), comb({7, 8, 9, 10, 11, 12})}));

    list.SaveUndo(false);
    list.AddFilterLog(true, u"Последние тиражи"_s, u"1"_s);
    const QString missing = folder.file(u"gone.lcv"_s);
    EXPECT_FALSE(list.GenerateCombinations(true, TGenerateSettings{gmFromFile, missing}));
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.filterLog().size(), 1u);
    EXPECT_EQ(list.undoCount(), 0);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().caption, u"Ошибка");
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка чтения файла \"" + missing + u"\"!\r\r"));
}

TEST(CombsText, ReaderTakesSixDifferentNumbersPerLine)
{
    struct Case {
        QByteArray line;
        std::optional<TComb> expected;
    };
    const std::vector<Case> cases = {
        {"1;2;3;4;5;6", comb({1, 2, 3, 4, 5, 6})},
        {" 1 ;2,,3;4;5;6 ", comb({1, 2, 3, 4, 5, 6})},
        {"45,44;43,,;42;41;40", comb({45, 44, 43, 42, 41, 40})},
        {"\t07;+8;9;10;11;12\t", comb({7, 8, 9, 10, 11, 12})},
        {"1;2;3;4;5", std::nullopt},
        {"1;2;3;4;5;6;7", std::nullopt},
        {"1;2;3;4;5;46", std::nullopt},
        {"0;2;3;4;5;6", std::nullopt},
        {"1;1;2;3;4;5", std::nullopt},
        {"1;2;3;4;5;x", std::nullopt},
        {"a;b;c;d;e;f", std::nullopt},
        {"1 2 3 4 5 6", std::nullopt},
        {"1;2;3;4;5;-6", std::nullopt},
        {"1;2;3;4;5;300", std::nullopt},
    };
    for (const Case &c : cases) {
        const TCombsTextResult r = ParseCombsText(c.line + "\r\n");
        if (c.expected) {
            ASSERT_EQ(r.combs.size(), 1u) << c.line.constData();
            EXPECT_EQ(r.combs[0], *c.expected) << c.line.constData();
            EXPECT_EQ(r.skipped, 0) << c.line.constData();
        } else {
            EXPECT_TRUE(r.combs.empty()) << c.line.constData();
            EXPECT_EQ(r.skipped, 1) << c.line.constData();
        }
    }
}

TEST(CombsText, LineEndsByteOrderMarksAndBlankLines)
{
    const std::vector<TComb> two = {comb({1, 2, 3, 4, 5, 6}), comb({6, 5, 4, 3, 2, 1})};
    for (const QByteArray &text : {QByteArray("1;2;3;4;5;6\r\n6;5;4;3;2;1\r\n"), QByteArray("1;2;3;4;5;6\n6;5;4;3;2;1"),
                                   QByteArray("1;2;3;4;5;6\r6;5;4;3;2;1\r"),
                                   QByteArray("\xEF\xBB\xBF"
                                              "1;2;3;4;5;6\r\n\r\n   \n6;5;4;3;2;1\r\n")}) {
        const TCombsTextResult r = ParseCombsText(text);
        EXPECT_EQ(r.combs, two) << text.toStdString();
        EXPECT_EQ(r.skipped, 0) << text.toStdString();
    }
    QString utf16 = u"1;2;3;4;5;6\r\n6;5;4;3;2;1\r\n"_s;
    QByteArray le("\xFF\xFE");
    le.append(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2);
    EXPECT_EQ(ParseCombsText(le).combs, two);

    EXPECT_EQ(CombsToText(two.data(), 2), QByteArray("1;2;3;4;5;6\r\n6;5;4;3;2;1\r\n"));
    EXPECT_EQ(CombsToText(two.data(), 0), QByteArray());
}

TEST(CombsText, SaveAndLoadThroughAFile)
{
    TempDataFolder folder;
    ScriptedMessages messages;
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8,9,10"_s});
    const QString name = folder.file(u"list.lcv"_s);
    ASSERT_TRUE(list.SaveCombsToText(name));
    EXPECT_TRUE(folder.read(u"list.lcv"_s).startsWith("1;2;3;4;5;6\r\n1;2;3;4;5;7\r\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"list.lcv"_s}); // no temporary left

    TCombsList other;
    other.SetCombsCapacity(3, 0); // more lines than the capacity grow the list
    ASSERT_TRUE(other.LoadCombsFromText(name));
    EXPECT_EQ(contents(other), contents(list));
    EXPECT_EQ(messages.count(), 0);

    // A folder that does not exist cannot take the file.
    const QString bad = folder.file(u"no/such/list.lcv"_s);
    EXPECT_FALSE(list.SaveCombsToText(bad));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка записи в файл \"" + bad + u"\"!\r\r"));
}

TEST(CombsText, BadLinesAreSkippedAndCountedAndAFileWithoutCombinationsKeepsTheList)
{
    TempDataFolder folder;
    ScriptedMessages messages;
    folder.write(u"mixed.lcv"_s, "Комбинации\r\n1;2;3;4;5;6\r\n1;2;3;4;5;99\r\n\r\n9;8;7;6;5;4\r\n1;2;3\r\n");
    TCombsList list;
    ASSERT_TRUE(list.LoadCombsFromText(folder.file(u"mixed.lcv"_s)));
    EXPECT_EQ(contents(list), (std::vector{comb({1, 2, 3, 4, 5, 6}), comb({9, 8, 7, 6, 5, 4})}));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().caption, u"Предупреждение");
    EXPECT_TRUE(messages.last().text.contains(u"загружено комбинаций: 2."));
    EXPECT_TRUE(messages.last().text.endsWith(u": 3."));

    messages.clear();
    folder.write(u"draws.csv"_s, "4100;5 Jan 2015;1;2;3;4;5;6;7;8\r\n");
    EXPECT_FALSE(list.LoadCombsFromText(folder.file(u"draws.csv"_s)));
    EXPECT_EQ(list.count(), 2);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().caption, u"Ошибка");

    // An empty file is an empty list.
    messages.clear();
    folder.write(u"empty.lcv"_s, "");
    EXPECT_TRUE(list.LoadCombsFromText(folder.file(u"empty.lcv"_s)));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(messages.count(), 0);
}

TEST(CombsPaste, ReplacesTheListOnlyWhenEveryLineIsACombination)
{
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});
    list.SaveUndo(false);
    list.AddFilterLog(true, u"x"_s, u"1"_s);

    try {
        list.PasteCombs(u"01 02 03 04 05 06\n1 2 3\n7 8 9 10 11 12\n");
        FAIL() << "a bad line must raise";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Некорректная комбинация: \"1 2 3\"!");
    }
    EXPECT_EQ(list.count(), 7);
    EXPECT_EQ(list.undoCount(), 7);
    EXPECT_EQ(list.filterLog().size(), 1u);

    EXPECT_FALSE(list.PasteCombs(u"\r\n  \r\n"));
    EXPECT_EQ(list.count(), 7);

    ASSERT_TRUE(list.PasteCombs(u"01 02 03 04 05 06\r\n45|44|43|42|41|40\r\n\r\n"));
    EXPECT_EQ(contents(list), (std::vector{comb({1, 2, 3, 4, 5, 6}), comb({45, 44, 43, 42, 41, 40})}));
    EXPECT_EQ(list.undoCount(), 0);
    EXPECT_TRUE(list.filterLog().empty());
}

TEST(CombsCopy, SelectedRowsAsPaddedLines)
{
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,10"_s});
    // Rows 0, 27 (the last) and a run beyond the list.
    EXPECT_EQ(list.CombsText({{27, 40}, {0, 0}}), u"01 02 03 04 05 06\n03 04 05 06 07 10"_s);
    EXPECT_EQ(list.CombsText({}), QString());
}

TEST(CombsUndo, OneLevelCopyOfTheList)
{
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8"_s});
    const std::vector<TComb> before = contents(list);
    list.SaveUndo(true);
    EXPECT_EQ(list.undoCount(), 28);
    list.DeleteSelectedCombs({{0, 9}});
    EXPECT_EQ(list.count(), 18);
    list.RestoreUndo(true);
    EXPECT_EQ(contents(list), before);
    EXPECT_EQ(list.undoCount(), 0);

    list.SaveUndo(false);
    list.ClearUndoCount();
    EXPECT_EQ(list.undoCount(), 0);
    list.SetCombsCapacity(5, 100);
    EXPECT_EQ(list.count(), list.capacity());
    list.FreeCombs();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), 0);
}

TEST(CombsRemoveDraws, RemovesTheCombinationsOfTheDrawsBeforeTheOffset)
{
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8,9,10"_s});
    const TDrawsArray draws = {
        draw(1, {1, 2, 3, 4, 5, 6}),  draw(2, {10, 9, 8, 7, 6, 5}), // drawn order, not sorted
        draw(3, {1, 2, 3, 4, 5, 44}), draw(4, {2, 3, 4, 5, 6, 7}),  draw(5, {3, 4, 5, 6, 7, 8}),
    };
    auto has = [&](std::initializer_list<int> n) { return list.IsCombInList(comb(n)); };

    list.SaveUndo(false);
    QStringList status;
    SetStatusTextHook([&](const QString &text) { status.append(text); });
    list.RemoveLastDrawsCombs(2, draws, 0); // draws 4 and 5
    SetStatusTextHook({});
    EXPECT_EQ(list.count(), 208);
    // One step per cent of the 210 combinations, then the status is cleared.
    ASSERT_EQ(status.size(), 1 + 105 + 1);
    EXPECT_EQ(status.front(), u"Удаление из списка комбинаций 2 последних тиражей...");
    EXPECT_EQ(status[1], u"Удаление из списка комбинаций 2 последних тиражей ( завершено 1 % )...");
    EXPECT_EQ(status[105], u"Удаление из списка комбинаций 2 последних тиражей ( завершено 100 % )...");
    EXPECT_EQ(status.back(), u"");
    EXPECT_FALSE(has({2, 3, 4, 5, 6, 7}));
    EXPECT_FALSE(has({3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(has({1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(list.filterLog().size(), 1u);
    EXPECT_EQ(list.filterLog().back(), (TFilterLogRow{fliDelete, u"Последние тиражи"_s, u"2"_s, 208}));

    list.RestoreUndo(false);
    list.SaveUndo(false);
    list.RemoveLastDrawsCombs(3, draws, 1); // draws 2, 3 and 4; draw 3 is not in the list
    EXPECT_EQ(list.count(), 208);
    EXPECT_FALSE(has({5, 6, 7, 8, 9, 10}));
    EXPECT_TRUE(has({3, 4, 5, 6, 7, 8}));

    // No draws: every combination stays, the step is still logged.
    for (auto [n, offset] : {std::pair{0, 0}, std::pair{3, 5}, std::pair{3, 100}}) {
        list.RestoreUndo(false);
        list.SaveUndo(false);
        list.RemoveLastDrawsCombs(n, draws, offset);
        EXPECT_EQ(list.count(), 210) << n << " " << offset;
        EXPECT_EQ(list.filterLog().back().values, QString::number(n));
    }
}

TEST(CombsDeleteSelected, KeepsTheOtherRowsInOrder)
{
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});
    const std::vector<TComb> all = contents(list);
    list.SaveUndo(false);
    list.DeleteSelectedCombs({{5, 6}, {2, 3}, {3, 3}, {6, 9}}); // rows 2, 3 and 5, 6 (the list ends at 6)
    EXPECT_EQ(contents(list), (std::vector{all[0], all[1], all[4]}));
    EXPECT_EQ(list.filterLog().back(), (TFilterLogRow{fliDelete, u"Выделенные комбинации"_s, u"4"_s, 3}));

    EXPECT_EQ(NormalizeRowRanges({{4, 6}, {0, 1}, {2, 2}, {9, 8}, {5, 7}}), (TRowRanges{{0, 2}, {4, 7}}));
}

TEST(CombsBuffer, KeysNameTheStoredList)
{
    TempDataFolder folder;
    ScriptedMessages messages;
    TCombsList list;
    EXPECT_EQ(list.bufferFileName(), folder.file(u"Vendra.~buff"_s));
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8"_s});
    const std::vector<TComb> saved = contents(list);

    list.SaveCombsBuffer(3, 100);
    EXPECT_EQ(folder.read(u"Vendra.~buff"_s).size(), 28 * 6);
    EXPECT_EQ(folder.read(u"Vendra.~buff"_s).left(6), QByteArray("\x01\x02\x03\x04\x05\x06"));
    EXPECT_EQ(list.bufferKey1(), 3);
    EXPECT_EQ(list.bufferKey2(), 100);

    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6"_s});
    EXPECT_FALSE(list.LoadCombsBuffer(3, 101));
    EXPECT_EQ(list.count(), 1);
    ASSERT_TRUE(list.LoadCombsBuffer(3, 100));
    EXPECT_EQ(contents(list), saved);

    // The same keys again write nothing.
    QFile::remove(folder.file(u"Vendra.~buff"_s));
    list.SaveCombsBuffer(3, 100);
    EXPECT_FALSE(folder.exists(u"Vendra.~buff"_s));
    EXPECT_FALSE(list.LoadCombsBuffer(3, 100));

    list.SaveCombsBuffer(4, 100);
    list.DeleteCombsBuffer();
    EXPECT_FALSE(folder.exists(u"Vendra.~buff"_s));
    EXPECT_EQ(list.bufferKey1(), -1);
    EXPECT_EQ(list.bufferKey2(), -1);
    EXPECT_EQ(messages.count(), 0);
}

TEST(CombsBuffer, FailedWriteAndDamagedFileAreReported)
{
    TempDataFolder folder;
    ScriptedMessages messages;
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});

    // A write that cannot complete stores no keys, so no later load trusts a partial file.
    list.setBufferFileName(folder.file(u"missing/Vendra.~buff"_s));
    list.SaveCombsBuffer(1, 2);
    EXPECT_EQ(list.bufferKey1(), -1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка создания буфера комбинаций!\r\r"));
    EXPECT_FALSE(list.LoadCombsBuffer(1, 2));

    // A damaged record, a file cut short between save and load, or one that grew: reported, the list
    // stays, and the buffer is no longer trusted (it is made again).
    list.setBufferFileName({});
    list.SaveCombsBuffer(1, 2);
    const QByteArray bytes = folder.read(u"Vendra.~buff"_s);
    ASSERT_EQ(bytes.size(), 7 * 6);
    QByteArray damaged = bytes;
    damaged[13] = char(46);
    for (const QByteArray &file : std::vector<QByteArray>{damaged, bytes.left(6 * 6), bytes.left(40), bytes + "\x01\x02"}) {
        messages.clear();
        list.SaveCombsBuffer(1, 2);
        folder.write(u"Vendra.~buff"_s, file);
        list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6"_s});
        EXPECT_FALSE(list.LoadCombsBuffer(1, 2)) << file.size();
        EXPECT_EQ(list.count(), 1);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка загрузки буфера комбинаций!\r\r"));
        EXPECT_EQ(list.bufferKey1(), -1);
        EXPECT_FALSE(folder.exists(u"Vendra.~buff"_s));
        list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s});
    }
}
