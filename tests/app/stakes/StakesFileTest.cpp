#include "common/Cp1251.h"
#include "common/DamagedFile.h"
#include "common/Exception.h"
#include "common/RegularFile.h"
#include "tests/support/StakesTestData.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/OtherKindFiles.h"
#include "tests/support/TempDataFolder.h"
#include "app/stakes/StakesCheck.h"
#include "app/stakes/StakesFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

TNumSet numSet(std::initializer_list<int> numbers)
{
    TNumSet s;
    for (int n : numbers)
        s.numbers[static_cast<size_t>(s.count++)] = static_cast<uint8_t>(n);
    return s;
}

TStakeRec stake(int draw, std::initializer_list<int> numbers = {1, 2, 3, 4, 5, 6}, int matches = -1)
{
    TStakeRec r;
    r.kind = STAKE_MANUAL;
    r.drawNumber = draw;
    r.sampleSize = 100;
    r.numbers = numSet(numbers);
    r.matches.count = matches;
    if (matches >= 0) {
        // As the check writes it: the draw holds the first `matches` numbers of the stake and numbers
        // from 45 down that the stake does not hold.
        r.checked = 1;
        size_t at = 0;
        for (int k = 0; k < matches; ++k)
            r.drawNumbers[at++] = r.matches.numbers[static_cast<size_t>(k)] = r.numbers.numbers[static_cast<size_t>(k)];
        for (int n = kMaxNumber; at < r.drawNumbers.size(); --n)
            if (std::find(numbers.begin(), numbers.end(), n) == numbers.end())
                r.drawNumbers[at++] = static_cast<uint8_t>(n);
    }
    r.profit = -100000;
    r.setComment(u"Ставка \"вручную\""_s);
    return r;
}

std::vector<int32_t> drawsOf(TStakesFile &file)
{
    std::vector<int32_t> draws;
    file.forEachRecord(0, [&](int64_t, const TStakeRec &r) {
        draws.push_back(r.drawNumber);
        return true;
    });
    return draws;
}

} // namespace

TEST(StakeRecord, FieldsAtTheirOffsetsAndPaddingZero)
{
    TStakeRec r;
    r.kind = STAKE_SCENARIO;
    r.drawNumber = 0x01020304;
    r.checked = 1;
    r.sampleSize = 8145060; // 0x007C48A4
    r.numbers = numSet({3, 9, 17, 25, 33, 41, 44});
    r.drawNumbers = {41, 3, 12, 25, 8, 30};
    r.matches = numSet({3, 25, 41});
    r.profit = -2800000; // -280.00
    r.setComment(u"Сценарий A"_s);

    const TStakeBytes b = StakeToBytes(r);
    QByteArray expected(kStakeRecSize, '\0');
    const char head[] = "\x02\x03\x00\x00" "\x04\x03\x02\x01" "\x01\x00\x00\x00" "\xA4\x48\x7C\x00"
                        "\x07\x00\x00\x00" "\x03\x09\x11\x19\x21\x29\x2C\x00"
                        "\x29\x03\x0C\x19\x08\x1E" "\x00\x00"
                        "\x03\x00\x00\x00" "\x03\x19\x29\x00\x00\x00\x00\x00";
    expected.replace(0, 48, QByteArray(head, 48));
    // -2800000 as two's complement little-endian.
    expected.replace(48, 8, QByteArray("\x80\x46\xD5\xFF\xFF\xFF\xFF\xFF", 8));
    const QByteArray comment = Cp1251::encode(u"Сценарий A");
    expected[56] = static_cast<char>(comment.size());
    expected.replace(57, comment.size(), comment);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(b.data()), kStakeRecSize).toHex(), expected.toHex());

    EXPECT_EQ(StakeFromBytes(b), r);
    EXPECT_EQ(StakeFromBytes(b).comment(), u"Сценарий A");
}

TEST(StakeRecord, SeparatorRowAndLongComment)
{
    const TStakeBytes sep = StakeToBytes(EmptyStakeRecord());
    QByteArray expected(kStakeRecSize, '\0');
    expected[0] = 2;
    expected.replace(4, 4, QByteArray("\xFF\xFF\xFF\xFF", 4));
    expected.replace(36, 4, QByteArray("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(sep.data()), kStakeRecSize), expected);

    TStakeRec r;
    r.setComment(QString(300, u'ж'));
    EXPECT_EQ(r.commentLen, 255);
    EXPECT_EQ(r.comment(), QString(255, u'ж'));
}

TEST(StakeRecord, DamagedNumberSetsAreNeverCheckable)
{
    EXPECT_TRUE(ValidStakeNumbers(numSet({1, 2, 3, 4, 5, 45})));
    EXPECT_TRUE(ValidStakeNumbers(numSet({1, 2, 3, 4, 5, 6, 7, 8})));
    EXPECT_FALSE(ValidStakeNumbers(numSet({1, 2, 3, 4, 5})));
    EXPECT_FALSE(ValidStakeNumbers(numSet({1, 2, 3, 4, 5, 46})));
    EXPECT_FALSE(ValidStakeNumbers(numSet({0, 2, 3, 4, 5, 6})));
    EXPECT_FALSE(ValidStakeNumbers(numSet({1, 1, 3, 4, 5, 6})));
    TNumSet huge = numSet({1, 2, 3, 4, 5, 6, 7, 8});
    huge.count = 200;
    EXPECT_FALSE(ValidStakeNumbers(huge));
    huge.count = -5;
    EXPECT_FALSE(ValidStakeNumbers(huge));
}

TEST(StakeRecord, MoneyTextRoundsHalfAwayFromZero)
{
    EXPECT_EQ(MoneyText(0), u"0.00");
    EXPECT_EQ(MoneyText(400000), u"40.00");
    EXPECT_EQ(MoneyText(-2800000), u"-280.00");
    EXPECT_EQ(MoneyText(12345), u"1.23");
    EXPECT_EQ(MoneyText(12350), u"1.24");
    EXPECT_EQ(MoneyText(-12350), u"-1.24");
    EXPECT_EQ(MoneyText(-49), u"0.00");
    EXPECT_EQ(MoneyText(INT64_MIN), u"-922337203685477.58");
}

TEST(StakesFileOpen, SecondOpenIsRefusedWhileTheFirstHoldsIt)
{
    TempDataFolder folder;
    TStakesFile first;
    first.open();
    EXPECT_TRUE(QFile::exists(folder.file(u"Vendra.lsk"_s)));
    TStakesFile second;
    EXPECT_THROW(second.open(), EInOutError);
    {
        // Held by another copy: the caller says so (the program's exclusive-access message), the load
        // itself shows nothing.
        ScriptedMessages boxes;
        EXPECT_FALSE(second.load());
        EXPECT_TRUE(second.lockedElsewhere());
        EXPECT_EQ(boxes.count(), 0);
    }
    // A deletion replaces the file; the replacement is still held.
    ASSERT_TRUE(first.appendStake(stake(10)));
    ASSERT_TRUE(first.appendStake(stake(11)));
    ASSERT_TRUE(first.deleteRows(1, 1));
    EXPECT_THROW(second.open(), EInOutError);
    // Reopening after a check keeps the hold.
    EXPECT_TRUE(first.reopen());
    EXPECT_THROW(second.open(), EInOutError);
    EXPECT_EQ(first.count(), 1);
    first.close();
    EXPECT_NO_THROW(second.open());
}

TEST(StakesFileOpen, VersionCheckOnLoad)
{
    TempDataFolder folder;
    const QString name = folder.file(u"Vendra.lsk"_s);
    {
        // An empty file passes.
        ScriptedMessages boxes;
        TStakesFile file;
        EXPECT_TRUE(file.load());
        EXPECT_EQ(boxes.count(), 0);
        EXPECT_FALSE(file.hasStakes());
    }
    const QByteArray good = StakesFileBytes({stake(5), EmptyStakeRecord(), stake(6)});
    folder.write(u"Vendra.lsk"_s, good);
    {
        ScriptedMessages boxes;
        TStakesFile file;
        EXPECT_TRUE(file.load());
        EXPECT_EQ(boxes.count(), 0);
        EXPECT_EQ(file.count(), 3);
    }
    EXPECT_EQ(folder.read(u"Vendra.lsk"_s), good);

    // Stakes as the program makes and checks them load untouched, whatever the settings were: every kind,
    // 6..8 numbers, samples of 0 and 2147483647, unchecked and checked with 0..6 matches, under the
    // largest cost and prizes either way (a stake of 8 numbers then wins up to 29 largest amounts).
    {
        TStakesFile file;
        ASSERT_TRUE(file.load());
        TDrawsArray draws;
        int32_t drawNumber = 1000;
        TCurrency largest = 0;
        for (int c = 0; c < 4; ++c) { // cost and prize each the largest amount, either way
            TConfigData config;
            config.cost = c / 2 ? -kMaxSettingsAmount : kMaxSettingsAmount;
            for (int m = 0; m <= kMainCount; ++m)
                config.profits.push_back({m, c % 2 ? -kMaxSettingsAmount : kMaxSettingsAmount});
            for (int n = kMainCount; n <= 8; ++n) {
                TStakeRec made = stake(0, {1, 2, 3, 4, 5, 6, 7, 8});
                made.numbers.count = n;
                for (int m = 0; m <= kMainCount; ++m) {
                    TDrawRec draw;
                    draw.number = ++drawNumber;
                    for (int k = 0; k < kMainCount; ++k)
                        draw.main[static_cast<size_t>(k)] = static_cast<uint8_t>(k < m ? k + 1 : kMaxNumber - k);
                    draws.push_back(draw);
                    made.kind = static_cast<uint8_t>(STAKE_MANUAL + drawNumber % 4);
                    made.drawNumber = drawNumber;
                    made.sampleSize = drawNumber % 2 ? INT32_MAX : 0;
                    made.profit = StakeProfit(config, n, -1);
                    ASSERT_TRUE(file.appendStakeForDraws(made, drawNumber % 3 ? 1 : 2)); // the second draw waits
                }
            }
            const TStakeCheckContext ctx{&draws, &config, nullptr, {}};
            ASSERT_TRUE(CheckStakes(file, ctx));
        }
        file.forEachRecord(0, [&largest](int64_t, const TStakeRec &r) {
            largest = std::max(largest, r.profit);
            return true;
        });
        EXPECT_EQ(largest, 29 * kMaxSettingsAmount);
        file.close();
        const QByteArray made = folder.read(u"Vendra.lsk"_s);
        ScriptedMessages boxes;
        EXPECT_TRUE(file.load());
        EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
        file.close();
        EXPECT_EQ(folder.read(u"Vendra.lsk"_s), made);
    }
    folder.write(u"Vendra.lsk"_s, good);

    // Each damaged file loses only what is not sound, with a warning that names it, and is kept in its
    // copy first. Fifty stakes with a random record and a zeroed one among them:
    std::vector<TStakeRec> fifty;
    for (int i = 0; i < 50; ++i)
        fifty.push_back(stake(100 + i, {1, 2, 3, 4, 5, 6 + i % 30}, i % 3 == 0 ? 2 : -1));
    QByteArray mixed = StakesFileBytes(fifty), noise(kStakeRecSize, '\0');
    uint32_t x = 88172645u;
    for (char &ch : noise)
        x ^= x << 13, x ^= x >> 17, x ^= x << 5, ch = char(x);
    mixed.insert(10 * kStakeRecSize, noise);
    mixed.insert(30 * kStakeRecSize, QByteArray(kStakeRecSize, '\0'));
    TStakeRec separatorWithDraw = EmptyStakeRecord(), uncheckedWithMatches = stake(7);
    separatorWithDraw.drawNumber = 9;
    uncheckedWithMatches.matches.count = 3;
    // Fields of checked stakes that no check writes: more matches than a draw has, matched numbers no
    // game has, a draw of one number six times; profits past any cost or prize; a negative sample.
    TStakeRec sevenMatches = stake(11, {1, 2, 3, 4, 5, 6}, 6), eightMatches = sevenMatches;
    sevenMatches.matches.count = 7, sevenMatches.matches.numbers[6] = 45;
    eightMatches.matches.count = 8, eightMatches.drawNumber = 12;
    TStakeRec outOfGame = stake(13, {1, 2, 3, 4, 5, 6}, 2), sameSix = stake(14, {1, 2, 3, 4, 5, 6}, 0);
    outOfGame.matches.numbers = {99, 200};
    sameSix.drawNumbers = {7, 7, 7, 7, 7, 7};
    TStakeRec mostProfit = stake(15, {1, 2, 3, 4, 5, 6}, 6), leastProfit = stake(16);
    mostProfit.profit = INT64_MAX, leastProfit.profit = INT64_MIN;
    TStakeRec negativeSample = stake(17);
    negativeSample.sampleSize = -5;
    const auto between = [](std::vector<TStakeRec> damaged) {
        damaged.insert(damaged.begin(), stake(5));
        damaged.push_back(stake(6));
        return StakesFileBytes(damaged);
    };
    const QByteArray sound = StakesFileBytes({stake(5), stake(6)});
    struct Case { QByteArray file, kept; std::vector<const char16_t *> notes; };
    const Case cases[] = {
        {good.left(311), {}, {u"Обнаружен файл ставок устаревшей версии - имеющиеся в файле ставки будут удалены!"}},
        {QByteArray(good).replace(0, 1, "\x01"), good.mid(kStakeRecSize),
         {u"записей с недопустимыми значениями - 1. Загружены только исправные записи (2).", u"запись 1: версия записи 1"}},
        {good + QByteArray(100, '\x07'), good, {u"Последняя запись файла ставок повреждена (100 байт)"}},
        {mixed, StakesFileBytes(fifty),
         {u"значениями - 2. Загружены только исправные записи (50).", u"запись 11: ", u"запись 31: версия записи 0"}},
        {StakesFileBytes({stake(5), separatorWithDraw, uncheckedWithMatches, stake(6)}),
         StakesFileBytes({stake(5), stake(6)}),
         {u"запись 2: пустая строка-разделитель с данными ставки (тираж № 9)",
          u"запись 3: результат проверки ставки на тираж № 7"}},
        {between({sevenMatches, eightMatches}), sound,
         {u"запись 2: совпадения ставки на тираж № 11", u"запись 3: совпадения ставки на тираж № 12"}},
        {between({outOfGame}), sound, {u"запись 2: совпадения ставки на тираж № 13"}},
        {between({sameSix}), sound, {u"запись 2: результаты тиража в ставке на тираж № 14"}},
        {between({mostProfit, leastProfit}), sound,
         {u"запись 2: профит 922337203685477.58 в ставке на тираж № 15",
          u"запись 3: профит -922337203685477.58 в ставке на тираж № 16"}},
        {between({negativeSample}), sound, {u"запись 2: выборка -5 в ставке на тираж № 17"}},
    };
    for (const Case &c : cases) {
        for (int n = 1; n <= kDamagedFileCopies; ++n)
            QFile::remove(DamagedFileCopyName(name, n));
        folder.write(u"Vendra.lsk"_s, c.file);
        ScriptedMessages boxes;
        TStakesFile file;
        EXPECT_TRUE(file.load());
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(boxes.last().caption, WarningCaption());
        for (const char16_t *note : c.notes)
            EXPECT_TRUE(boxes.last().text.contains(QString::fromUtf16(note))) << boxes.last().text.toStdString();
        EXPECT_TRUE(boxes.last().text.endsWith(u"Прежний файл сохранён как \""_s + folder.file(u"Vendra.lsk.bak"_s) + u"\"."_s));
        file.close();
        EXPECT_EQ(folder.read(u"Vendra.lsk"_s), c.kept);
        EXPECT_EQ(folder.read(u"Vendra.lsk.bak"_s), c.file);
    }

    // 3 GB of nothing is refused as it is, neither copied nor cut; a gigabyte of zeros after the stakes is
    // no stakes, and its copy takes no room.
    QFile::remove(folder.file(u"Vendra.lsk.bak"_s));
    folder.write(u"Vendra.lsk"_s, good);
    const qint64 full = FileBounds::kStakes / kStakeRecSize * kStakeRecSize;
    for (const qint64 size : {3'000'000'000LL, full}) {
        ASSERT_EQ(::truncate(QFile::encodeName(name).constData(), size), 0);
        ScriptedMessages boxes;
        TStakesFile file;
        EXPECT_EQ(file.load(), size == full);
        EXPECT_TRUE(boxes.boxes().front().text.contains(size == full ? u"Загружены только исправные записи (3)."_s
                                                                     : u"Файл ставок слишком велик: 3000000000 байт"_s));
        EXPECT_EQ(QFileInfo(name).size(), size == full ? good.size() : size);
        EXPECT_EQ(folder.exists(u"Vendra.lsk.bak"_s), size == full);
    }
    const QString copy = folder.file(u"Vendra.lsk.bak"_s);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(copy).constData(), &st), 0);
    EXPECT_EQ(st.st_size, full);
    EXPECT_LT(st.st_blocks * 512, 16 * 1024 * 1024);
}

TEST(StakesFileRead, CacheAndMissingRecords)
{
    TempDataFolder folder;
    TStakesFile file;
    ScriptedMessages boxes;
    TStakeRec rec;
    EXPECT_FALSE(file.readStake(TStakeOrigin::Begin, rec, 0));
    EXPECT_EQ(boxes.last().text, u"Ошибка чтения записи из файла ставок!\r\rФайл ставок не открыт!");

    file.open();
    for (int d : {1, 2, 3})
        ASSERT_TRUE(file.appendStake(stake(d)));
    ASSERT_TRUE(file.readStake(TStakeOrigin::End, rec, -1));
    EXPECT_EQ(rec.drawNumber, 3);
    // An append is seen by the next read of the last record.
    ASSERT_TRUE(file.appendStake(stake(4)));
    ASSERT_TRUE(file.readStake(TStakeOrigin::End, rec, -1));
    EXPECT_EQ(rec.drawNumber, 4);
    ASSERT_TRUE(file.readStake(TStakeOrigin::Begin, rec, 1));
    EXPECT_EQ(rec.drawNumber, 2);
    // A rewrite in place is seen too.
    TStakeRec changed = stake(22);
    file.writeRecord(1, changed);
    ASSERT_TRUE(file.readStake(TStakeOrigin::Begin, rec, 1));
    EXPECT_EQ(rec, changed);

    boxes.clear();
    EXPECT_FALSE(file.readStake(TStakeOrigin::Begin, rec, 5));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              u"Ошибка чтения записи из файла ставок!\r\rЗапись со индексом 5 в файле данных не найдена!");
    EXPECT_EQ(rec.drawNumber, 0);
    EXPECT_FALSE(rec.isStake());
    EXPECT_FALSE(file.readStake(TStakeOrigin::End, rec, -5));
    EXPECT_FALSE(file.readStake(TStakeOrigin::Begin, rec, -1));
}

TEST(StakesFileAppend, SeriesOfDrawsBetweenSeparators)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TStakesFile file;
    file.open();
    // On an empty file the first copy needs no separator before it.
    ASSERT_TRUE(file.appendStakeForDraws(stake(100), 3));
    EXPECT_EQ(drawsOf(file), (std::vector<int32_t>{100, -1, 101, -1, 102}));
    // After a real stake every copy stands after a separator.
    ASSERT_TRUE(file.appendStakeForDraws(stake(200), 3));
    EXPECT_EQ(drawsOf(file), (std::vector<int32_t>{100, -1, 101, -1, 102, -1, 200, -1, 201, -1, 202}));
    ASSERT_TRUE(file.appendStakeForDraws(stake(300), 1));
    EXPECT_EQ(drawsOf(file).back(), 300);
    EXPECT_EQ(file.count(), 12);
    EXPECT_EQ(boxes.count(), 0);

    // A checked stake is refused and nothing is written.
    EXPECT_FALSE(file.appendStakeForDraws(stake(400, {1, 2, 3, 4, 5, 6}, 2), 1));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              u"Ошибка добавления записи в файл ставок!\r\rДобавление в конец файла уже проверенной ставки!");
    // So is a series running past the largest draw number.
    EXPECT_FALSE(file.appendStakeForDraws(stake(2147483600), 65535));
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(file.count(), 12);

    EXPECT_TRUE(file.findStake(201, numSet({6, 5, 4, 3, 2, 1})));
    EXPECT_FALSE(file.findStake(201, numSet({1, 2, 3, 4, 5, 7})));
    EXPECT_FALSE(file.findStake(203, numSet({1, 2, 3, 4, 5, 6})));
}

TEST(StakesFileDelete, RowsAndConditions)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    // Matches -1 (unchecked), 0, 2, 3, 5, with a separator in the middle.
    const std::vector<TStakeRec> records = {stake(1, {1, 2, 3, 4, 5, 6}, -1), stake(2, {1, 2, 3, 4, 5, 6}, 0),
                                            EmptyStakeRecord(), stake(3, {1, 2, 3, 4, 5, 6}, 2),
                                            stake(4, {1, 2, 3, 4, 5, 6}, 3), stake(5, {1, 2, 3, 4, 5, 6}, 5)};
    struct Case {
        int condition;
        int value;
        std::vector<int32_t> kept;
    };
    const Case cases[] = {
        {0, 0, {1, -1, 3, 4, 5}},  // = 0
        {1, 2, {1, 2, -1, 3}},     // > 2
        {2, 3, {1, 2, -1, 3}},     // >= 3: unchecked stakes stay
        {3, 3, {-1, 4, 5}},        // < 3: unchecked stakes go too
        {4, 2, {-1, 4, 5}},        // <= 2
        {9, 0, {1, 2, -1, 3, 4, 5}}, // unknown condition: nothing removed
    };
    for (const Case &c : cases) {
        folder.write(u"Vendra.lsk"_s, StakesFileBytes(records));
        TStakesFile file;
        file.open();
        EXPECT_TRUE(file.deleteByCondition(c.condition, c.value));
        EXPECT_EQ(drawsOf(file), c.kept) << c.condition << " " << c.value;
        EXPECT_FALSE(folder.exists(u"Vendra.~tmp"_s));
    }

    folder.write(u"Vendra.lsk"_s, StakesFileBytes(records));
    TStakesFile file;
    file.open();
    TStakeRec rec;
    ASSERT_TRUE(file.readStake(TStakeOrigin::Begin, rec, 2)); // fills the cache
    ASSERT_TRUE(file.deleteRows(2, 3));                       // grid rows 2..3: records 1..2
    EXPECT_EQ(drawsOf(file), (std::vector<int32_t>{1, 3, 4, 5}));
    ASSERT_TRUE(file.readStake(TStakeOrigin::Begin, rec, 2));
    EXPECT_EQ(rec.drawNumber, 4);
    file.close();
    EXPECT_EQ(folder.read(u"Vendra.lsk"_s), StakesFileBytes({records[0], records[3], records[4], records[5]}));
    EXPECT_EQ(boxes.count(), 0);
}

TEST(StakesFileDelete, FailureKeepsTheFile)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    const QByteArray original = StakesFileBytes({stake(1), stake(2)});
    folder.write(u"Vendra.lsk"_s, original);
    TStakesFile file;
    file.open();
    // The temporary file cannot be made: a folder of that name stands in the way.
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"Vendra.~tmp"_s));
    EXPECT_FALSE(file.deleteRows(1, 1));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка удаления записи из файла ставок!\r\r"));
    EXPECT_EQ(file.count(), 2);
    EXPECT_EQ(folder.read(u"Vendra.lsk"_s), original);
    // The file stays open and usable.
    EXPECT_TRUE(file.appendStake(stake(3)));
    EXPECT_EQ(drawsOf(file), (std::vector<int32_t>{1, 2, 3}));

    // Another file put under the name while the stakes file is held is never replaced.
    ASSERT_TRUE(QDir(folder.path()).rmdir(u"Vendra.~tmp"_s));
    folder.write(u"intruder"_s, "someone else's");
    ASSERT_EQ(::rename(QFile::encodeName(folder.file(u"intruder"_s)).constData(),
                       QFile::encodeName(folder.file(u"Vendra.lsk"_s)).constData()),
              0);
    EXPECT_FALSE(file.deleteRows(1, 1));
    EXPECT_TRUE(boxes.last().text.contains(u"под его именем оказался другой файл"_s)) << boxes.last().text.toStdString();
    EXPECT_EQ(folder.read(u"Vendra.lsk"_s), "someone else's");

    TStakesFile empty(folder.file(u"other.lsk"_s));
    empty.open();
    boxes.clear();
    EXPECT_FALSE(empty.deleteRows(1, 1));
    EXPECT_EQ(boxes.last().text, u"Ошибка удаления записи из файла ставок!\r\rФайл ставок не открыт!");
}

TEST(StakesFileCount, CheckedDrawsFromTheEnd)
{
    TempDataFolder folder;
    // Records: 0 d10 checked, 1 sep, 2 d11 checked, 3 d11 checked, 4 d12 unchecked, 5 d12 checked, 6 sep.
    folder.write(u"Vendra.lsk"_s,
                 StakesFileBytes({stake(10, {1, 2, 3, 4, 5, 6}, 1), EmptyStakeRecord(), stake(11, {1, 2, 3, 4, 5, 6}, 0),
                         stake(11, {1, 2, 3, 4, 5, 7}, 2), stake(12), stake(12, {1, 2, 3, 4, 5, 6}, 3),
                         EmptyStakeRecord()}));
    TStakesFile file;
    file.open();
    const auto two = file.countCheckedDraws(2);
    EXPECT_EQ(two.count, 2);
    EXPECT_EQ(two.startIndex, 1); // just after draw 10's record
    const auto all = file.countCheckedDraws(10);
    EXPECT_EQ(all.count, 3);
    EXPECT_EQ(all.startIndex, 0);
    EXPECT_EQ(file.countCheckedDraws(0).startIndex, 6);
}

TEST(StakesFileOpen, TheTemporaryFileOfADeletionNeverWritesThroughALink)
{
    // "Vendra.~tmp" planted as a link to a file elsewhere: the deletion makes its own file and the
    // other file keeps every byte.
    TempDataFolder folder;
    QTemporaryDir elsewhere;
    const QString victim = QDir(elsewhere.path()).filePath(u"victim.txt"_s);
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not the stakes");
    }
    ASSERT_TRUE(QFile::link(victim, folder.file(u"Vendra.~tmp"_s)));
    TStakesFile file;
    file.open();
    ASSERT_TRUE(file.appendStake(stake(10)));
    ASSERT_TRUE(file.appendStake(stake(11)));
    ScriptedMessages boxes;
    ASSERT_TRUE(file.deleteRows(1, 1));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(file.count(), 1);
    EXPECT_EQ(file.readRecord(TStakeOrigin::Begin, 0).drawNumber, 11);
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "not the stakes");
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"Vendra.~tmp"_s)));
}

TEST(StakesFileOpen, AStakesFileThatIsALinkToAFileElsewhereIsNeverWrittenThrough)
{
    // A file elsewhere would be cut (after its copy) through a link, or when written under another name.
    const std::pair<TOtherFileKind, QString> cases[] = {
        {TOtherFileKind::LinkOutside, u"Это не обычный файл, а символьная ссылка."_s},
        {TOtherFileKind::HardLinkOutside, u"У файла есть и другие имена (жёстких ссылок: 2)"_s},
    };
    for (const auto &[kind, reason] : cases) {
        TempDataFolder folder;
        const QString elsewhere = folder.file(u"../notes-%1"_s.arg(QFileInfo(folder.path()).fileName()));
        const QString name = folder.file(u"Vendra.lsk"_s);
        ASSERT_TRUE(MakeOtherKindFile(name, kind, elsewhere, "the user's own notes, not stakes"));
        TStakesFile file;
        ScriptedMessages boxes;
        EXPECT_FALSE(file.load());
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.contains(reason)) << boxes.last().text.toStdString();
        EXPECT_FALSE(file.isOpen());
        EXPECT_TRUE(OtherKindFileIntact(name, kind, elsewhere, "the user's own notes, not stakes"));
        EXPECT_FALSE(folder.exists(u"Vendra.lsk.bak"_s));
        QFile::remove(elsewhere);
    }
}

TEST(StakesFileOpen, AStakesFileThatIsADeviceOrAPipeIsRefused)
{
    // Stakes written to a device would be lost without a word.
    TempDataFolder folder;
    ASSERT_TRUE(QFile::link(u"/dev/null"_s, folder.file(u"Vendra.lsk"_s)));
    TStakesFile file;
    ScriptedMessages boxes;
    EXPECT_FALSE(file.load());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(u"Это не обычный файл, а устройство."_s)) << boxes.last().text.toStdString();
    EXPECT_FALSE(file.isOpen());
}
