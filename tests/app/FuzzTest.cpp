// Damaged inputs for every reader of the program's files and pages: a few hundred inputs per reader,
// each a valid file mutated at random (bytes flipped, set, cut, repeated, spliced from another input),
// from a fixed seed so that a failure repeats (VENDRA_FUZZ_SEED gives another). No reader may crash, hang or leak an exception that is
// not the program's own, and a data file read at start is never left damaged: it is either as it was
// or replaced by sound records with the old bytes kept beside it. Each reader takes the same fixed
// number of inputs on any machine, few enough to stay short under the sanitizers; an input that runs
// past its own time limit ends the run naming the reader and the input.
// Every reader and writer of a file also meets the kinds of file it must never wait on nor write
// through (a FIFO, a device, a folder, a link or another name of a file elsewhere), each case under a
// watch with a deadline.

#include "common/Cp1251.h"
#include "common/Exception.h"
#include "common/IniFile.h"
#include "lottery/DrawTexts.h"
#include "lottery/FilterItem.h"
#include "lottery/ScenarioLine.h"
#include "lottery/stats/StatList.h"
#include "online/SelfUpdate.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/combinations/CombsList.h"
#include "app/draws/DrawsArchive.h"
#include "app/draws/DrawsCsv.h"
#include "app/combinations/PrefetchCache.h"
#include "app/stakes/RatingsList.h"
#include "app/draws/ResultsPageParser.h"
#include "app/scenarios/ScenarioList.h"
#include "app/stakes/StakesFile.h"
#include "app/stakes/StakeTables.h"
#include "app/stakes/StakesCheck.h"
#include "app/scenarios/ScenarioRunLog.h"
#include "common/FormStore.h"
#include "common/Languages.h"
#include "common/RegularFile.h"
#include "online/CatalogueReply.h"
#include "online/CatalogueService.h"
#include "online/ScriptCatalog.h"
#include "online/SystemsFolder.h"
#include "online/SystemsLibrary.h"
#include "tests/support/OtherKindFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

using namespace Qt::StringLiterals;

namespace {

constexpr int kInputs = 500;

// The seed of the run: fixed, so that a failure repeats; VENDRA_FUZZ_SEED tries others.
uint32_t fuzzSeed()
{
    bool ok = false;
    const uint32_t seed = qEnvironmentVariable("VENDRA_FUZZ_SEED").toUInt(&ok);
    return ok ? seed : 20240601;
}

// Mutates the seeds: each input starts from one of them and takes one to four mutations.
class Mutator {
public:
    explicit Mutator(std::vector<QByteArray> seeds) : m_seeds(std::move(seeds)), m_rng(fuzzSeed()) {}

    QByteArray next()
    {
        QByteArray data = m_seeds[pick(m_seeds.size())];
        const int steps = 1 + int(pick(4));
        for (int i = 0; i < steps; ++i)
            mutate(data);
        return data;
    }

private:
    size_t pick(size_t bound) { return bound == 0 ? 0 : size_t(m_rng() % bound); }

    void mutate(QByteArray &data)
    {
        static const char interesting[] = {'\0', '\x01', '\x7F', '\x80', '\xFF', '=', '[', ']', '#', ':', '|', ';',
                                           '"', '\r', '\n', ',', '-', '0', '9'};
        switch (pick(8)) {
        case 0: // flip a bit
            if (!data.isEmpty())
                data[qsizetype(pick(size_t(data.size())))] ^= char(1 << pick(8));
            break;
        case 1: // set a byte to one that parsers care about
            if (!data.isEmpty())
                data[qsizetype(pick(size_t(data.size())))] = interesting[pick(sizeof interesting)];
            break;
        case 2: // cut the end
            data.truncate(qsizetype(pick(size_t(data.size()) + 1)));
            break;
        case 3: // random bytes inserted
        {
            QByteArray noise(qsizetype(1 + pick(16)), '\0');
            for (char &c : noise)
                c = char(m_rng());
            data.insert(qsizetype(pick(size_t(data.size()) + 1)), noise);
            break;
        }
        case 4: // a piece repeated
            if (!data.isEmpty()) {
                const qsizetype from = qsizetype(pick(size_t(data.size())));
                const QByteArray piece = data.mid(from, qsizetype(1 + pick(64)));
                data.insert(qsizetype(pick(size_t(data.size()) + 1)), piece);
            }
            break;
        case 5: // a piece removed
            if (!data.isEmpty())
                data.remove(qsizetype(pick(size_t(data.size()))), qsizetype(1 + pick(32)));
            break;
        case 6: // spliced with another seed
        {
            const QByteArray &other = m_seeds[pick(m_seeds.size())];
            data = data.left(qsizetype(pick(size_t(data.size()) + 1))) + other.mid(qsizetype(pick(size_t(other.size()) + 1)));
            break;
        }
        default: // a 32-bit field set to an edge value
            if (data.size() >= 4) {
                static const uint32_t edges[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 304, 8145060};
                const uint32_t v = edges[pick(std::size(edges))];
                const qsizetype at = qsizetype(pick(size_t(data.size() - 3)));
                for (int b = 0; b < 4; ++b)
                    data[at + b] = char((v >> (8 * b)) & 0xFF);
            }
        }
    }

    std::vector<QByteArray> m_seeds;
    std::mt19937 m_rng;
};

// The time one input may take, far above what any takes under the sanitizers: past it the reader hangs.
constexpr int kInputLimitMs = 10000;

// Runs the reader over the inputs, each within its own time limit; the number of inputs tried.
int fuzz(Mutator &mutator, const std::function<void(const QByteArray &)> &reader)
{
    int done = 0;
    for (; done < kInputs; ++done) {
        const QByteArray input = mutator.next();
        const TWatchedRun run = RunWatched(
            [&]() -> QString {
                try {
                    reader(input);
                } catch (const Exception &) {
                    // The program's own refusal: what a damaged input is expected to get at worst.
                }
                return {};
            },
            kInputLimitMs, "input (hex, first 256 bytes) " + input.left(256).toHex().toStdString());
        EXPECT_TRUE(run.ok()) << run.text().toStdString() << " on input " << input.left(256).toHex().constData();
    }
    return done;
}

TDrawRec draw(int number, std::array<uint8_t, 6> main, const QString &date)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    d.extra = {7, 8};
    d.setDateText(date);
    return d;
}

TDrawsArray someDraws()
{
    return {draw(4100, {1, 2, 3, 4, 5, 6}, u"1 Mar 2024"_s), draw(4101, {9, 18, 27, 36, 44, 45}, u"5 Mar 2024"_s),
            draw(4102, {11, 12, 13, 24, 35, 40}, u"8 Mar 2024"_s)};
}

TRatingRec rating(const QString &name, std::array<int32_t, 7> counts, TCurrency profit)
{
    TRatingRec r;
    r.name = name;
    r.matchCounts = counts;
    for (int k = 0; k < 7; ++k) {
        r.plays += counts[size_t(k)];
        r.totalMatches += k * counts[size_t(k)];
    }
    r.profit = profit;
    return r;
}

// Every tenth input also goes through the data file, as at start (a save waits for the disk): true
// for such an input, which the file then holds, with no old copy beside it.
bool throughTheFile(int &round, const TempDataFolder &folder, const QString &name, const QByteArray &input)
{
    if (++round % 10 != 0)
        return false;
    QFile::remove(folder.file(name + u".bak"_s));
    folder.write(name, input);
    return true;
}

} // namespace

TEST(Fuzz, IniFiles)
{
    Mutator mutator({"[GLOBAL]\r\nMatrixCols=7\r\nChannelSize=5\r\nCost=1.5\r\n\r\n[PROXY]\r\nMode=2\r\nServer=h\r\n",
                     Cp1251::encode(u"[Раздел]\r\nИмя=Значение\r\n; комментарий\r\n[Other]\r\nk = v \r\nk=w\r\n"_s),
                     "[Vendra]\r\nVerId=1.0.0.6\r\nDownloadUrl=https://h/p.upd\r\nChecksumCRC32=ABCDEF01\r\n"});
    TempDataFolder folder;
    const QString path = folder.file(u"Vendra.ini"_s);
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        folder.write(u"Vendra.ini"_s, input);
        IniFile ini(path);
        ASSERT_FALSE(ini.unreadable());
        // Whatever was read is written and read back as the same settings.
        IniFile again;
        again.setText(ini.text());
        ASSERT_EQ(again.readSections(), ini.readSections());
        for (const QString &section : ini.readSections())
            ASSERT_EQ(again.readSectionValues(section), ini.readSectionValues(section));
        (void)ini.readInteger(u"GLOBAL"_s, u"MatrixCols"_s, 5);
        (void)ini.readFloat(u"GLOBAL"_s, u"Cost"_s, 1);
        TrSU_VerData data;
        ReadUpdateInfo(path, u"Vendra"_s, u"1.0.0.5"_s, data);
        ASSERT_EQ(folder.read(u"Vendra.ini"_s), input); // reading never writes
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, DrawsArchive)
{
    Mutator mutator({SerializeDraws(someDraws()), SerializeDraws({someDraws()[0]})});
    TempDataFolder folder;
    ScriptedMessages boxes;
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        const TDrawsArray parsed = ParseDrawsFile(input);
        ASSERT_EQ(ParseDrawsFile(SerializeDraws(parsed)), parsed);
        QFile::remove(folder.file(u"Vendra.ldr.bak"_s));
        folder.write(u"Vendra.ldr"_s, input);
        TDrawsArchive archive(folder.file(u"Vendra.ldr"_s));
        archive.load();
        // Only draws come in, rising; whenever a record was left out, the file as found is kept.
        for (int i = 0; i < archive.count(); ++i)
            ASSERT_TRUE(StoredDrawProblem(archive.draws()[size_t(i)]).isEmpty() &&
                        (i == 0 || archive.draws()[size_t(i - 1)].number < archive.draws()[size_t(i)].number));
        ASSERT_TRUE(qsizetype(archive.count()) * kDrawRecordSize == input.size() ||
                    folder.read(u"Vendra.ldr.bak"_s) == input);
        for (int i = 0; i <= archive.count(); ++i) {
            (void)NextDrawNumber(archive.draws(), i);
            (void)DrawNumbersText(archive.draws(), i);
            (void)DrawDateYMD(archive.draws(), i, 1);
            (void)FindDrawIndex(archive.draws(), 4101);
        }
        (void)RisingDrawsProblem(archive.draws(), someDraws());
        ASSERT_EQ(folder.read(u"Vendra.ldr"_s), input);
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, RatingsFileIsNeverLeftDamaged)
{
    Mutator mutator({SerializeRatings({rating(u"01.001: A @ FULL:0#RAND + TSF1#SUMS:10#CMV:5#SC:1"_s,
                                              {1, 2, 0, 1, 0, 0, 0}, -125000),
                                       rating(u"B"_s, {0, 0, 0, 0, 0, 0, 2}, 1)})});
    TempDataFolder folder;
    ScriptedMessages boxes;
    int round = 0;
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        const TRatingsRead parsed = ReadRatingsBytes(input);
        for (const TRatingRec &r : parsed.ratings)
            ASSERT_TRUE(IsSoundRating(r));
        ASSERT_EQ(ReadRatingsBytes(SerializeRatings(parsed.ratings)).badRecords, 0);
        if (!throughTheFile(round, folder, u"Vendra.lrt"_s, input))
            return;
        TRatings ratings;
        ratings.Load();
        for (const TRatingRec &r : ratings.items()) {
            ASSERT_TRUE(IsSoundRating(r));
            for (int c = 0; c < kRatingsColumns; ++c)
                (void)RatingCellText(r, c, remRelative, ExpectedMatchShares());
            (void)RatingNameToScenarioLine(r.name);
        }
        // The file holds what the program holds: the sound records of the input (sorted), and when
        // anything was left out, the old bytes are kept beside it.
        const TRatingsRead read = ReadRatingsBytes(input);
        ASSERT_EQ(folder.read(u"Vendra.lrt"_s), SerializeRatings(ratings.items()));
        ASSERT_TRUE(std::is_permutation(ratings.items().begin(), ratings.items().end(), read.ratings.begin(),
                                        read.ratings.end()));
        if (read.damaged())
            ASSERT_EQ(folder.read(u"Vendra.lrt.bak"_s), input);
        else
            ASSERT_FALSE(QFileInfo::exists(folder.file(u"Vendra.lrt.bak"_s)));
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, StakesFileIsNeverCutWithoutACopy)
{
    QByteArray seed;
    for (int i = 0; i < 3; ++i) {
        TStakeRec r = EmptyStakeRecord();
        r.kind = STAKE_MANUAL;
        r.drawNumber = 4100 + i;
        r.matches.count = -1;
        char bytes[kStakeRecSize];
        WriteStakeRecord(r, bytes);
        seed.append(bytes, kStakeRecSize);
    }
    Mutator mutator({seed});
    TempDataFolder folder;
    ScriptedMessages boxes;
    int round = 0;
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        for (qsizetype at = 0; at + kStakeRecSize <= input.size(); at += kStakeRecSize) {
            const TStakeRec rec = ReadStakeRecord(input.constData() + at);
            char bytes[kStakeRecSize];
            WriteStakeRecord(rec, bytes);
            ASSERT_EQ(ReadStakeRecord(bytes).drawNumber, rec.drawNumber);
            (void)rec.comment();
        }
        if (!throughTheFile(round, folder, u"Vendra.lsk"_s, input))
            return;
        {
            TStakesFile stakes;
            if (stakes.load()) {
                stakes.forEachRecord(0, [](int64_t, const TStakeRec &rec) {
                    (void)rec.comment();
                    return true;
                });
                (void)stakes.countCheckedDraws(10);
            }
        }
        const QByteArray now = folder.read(u"Vendra.lsk"_s);
        if (now != input) {
            ASSERT_EQ(folder.read(u"Vendra.lsk.bak"_s), input);
        }
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, PrefetchFiles)
{
    QByteArray even;
    const int32_t counts[] = {100947, 740278, 2045505, 2727340, 1850695, 605682, 74613};
    TStatPrefetch p;
    for (uint16_t k = 0; k <= 6; ++k)
        p.records.push_back(TPrefetchRec{{k, 0, 0, 0}, counts[k]});
    p.minCount = 74613;
    p.maxCount = 2727340;
    Mutator mutator({EncodePrefetch(p), EncodePrefetch(TStatPrefetch{})});
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        TStatPrefetch read;
        if (DecodePrefetch(input, read)) {
            // Only what a complete file can be is taken, and it writes back byte for byte.
            ASSERT_EQ(EncodePrefetch(read), input);
            ASSERT_LE(read.minCount, read.records.empty() ? read.minCount : read.maxCount);
        }
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, TextReaders)
{
    TStatList list;
    list.RebuildMethods();
    Mutator mutator({DrawsToCsv(someDraws()), QByteArray("\"1 Mar 2024\";1;2;3;4;5;6;7;8\r\n"),
                     QByteArray("1;2;3;4;5;6\r\n7;8;9;10;11;12\r\n"),
                     Cp1251::encode(u"EXCL:3#RAND#NEX|TSF1#SUMS:10#CMV:5#SC:1|BMD12#NUMS:1-10;2#LDV:1,2,3#ST:4| | | | | |Тест\r\n"_s),
                     QByteArray("FULL:0#ALL|TSF1#SUMS:10#WLV:3#SV:2#1:0.5:2:0:1| | | | | | |\r\n")});
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        const QString text = QString::fromLatin1(input);
        (void)ParseDrawsCsv(text, someDraws());
        const TCombsTextResult combs = ParseCombsText(input);
        for (const TComb &c : combs.combs)
            ASSERT_TRUE(IsValidComb(c));
        int unknown = 0;
        try {
            for (const QString &line : ParseScenarioText(text, &unknown)) {
                (void)TextToScenarioHeader(ScenarioLineHeader(line));
                for (int slot = 1; slot <= kScenarioFilterCount; ++slot) {
                    const TFilterItem item = TextToFilterItem(ScenarioLineFilter(line, slot), list);
                    (void)FilterItemToText(item);
                }
            }
        } catch (const EConvertError &) {
        }
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, ResultsPages)
{
    const QByteArray item = "{\"drawNo\":4102,\"drawDate\":\"2024-03-04T00:00:00\",\"numberSets\":[{\"name\":\"Main numbers\","
                            "\"numbers\":[{\"number\":1},{\"number\":2},{\"number\":3},{\"number\":4},{\"number\":5},"
                            "{\"number\":6}]},{\"name\":\"Supplementary\",\"numbers\":[{\"number\":7},{\"number\":8}]}],"
                            "\"divisions\":[]}";
    Mutator mutator({"{\"drawsPast\":[" + item + "]}},\"x\":1}", "{\"drawsPast\":[" + item + "," + item + "]}},"});
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        const TDrawsArray draws = ParseResultsPage(QString::fromUtf8(input), 20240301);
        for (const TDrawRec &d : draws)
            ASSERT_TRUE(DrawRecordProblem(d).isEmpty());
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

namespace {

TTableRec table(const QString &name, uint8_t mode, TComb start, TComb current, int step, int made)
{
    TTableRec t;
    t.name = name;
    t.mode = mode;
    t.start = start;
    t.current = current;
    t.step = step;
    t.stakesMade = made;
    return t;
}

TTablesArray someTables()
{
    return {table(u"Регулярная ставка"_s, tmFixedStart, TComb{1, 2, 3, 4, 5, 6}, TComb{4, 5, 6, 7, 8, 9}, 3, 1),
            table(u"B (2)"_s, tmLatestDraw, TComb{}, TComb{}, -45, 0),
            table(u"C"_s, tmLatestDraw, TComb{}, TComb{2, 9, 18, 27, 36, 44}, 1, 2147483647)};
}

const std::vector<uint8_t> kNineNumbers{3, 7, 11, 15, 19, 23, 31, 38, 45};

} // namespace

TEST(Fuzz, RegularTablesFileIsNeverLeftDamaged)
{
    Mutator mutator({SerializeTables(someTables()), SerializeTables({someTables()[0]})});
    TempDataFolder folder;
    ScriptedMessages boxes;
    int round = 0;
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        const TTablesRead read = ReadTablesBytes(input);
        ASSERT_EQ(int(read.tables.size()) + read.badRecords, int(input.size() / kTableRecSize));
        // What is kept is sound, steps without leaving 1..45, and writes back as sound records.
        const TDrawsArray draws = someDraws();
        for (TTableRec t : read.tables) {
            ASSERT_TRUE(IsSoundTable(reinterpret_cast<const char *>(TableToBytes(t).data())));
            if (StepTable(t, draws, 0) == TTableStep::Stepped) {
                for (uint8_t n : t.current.n)
                    ASSERT_TRUE(n >= 1 && n <= 45);
                ASSERT_GE(t.stakesMade, 1);
            }
        }
        ASSERT_EQ(ReadTablesBytes(SerializeTables(read.tables)).badRecords, 0);
        if (!throughTheFile(round, folder, u"Vendra.ltb"_s, input))
            return;
        TStakeTables tables;
        ASSERT_EQ(tables.Load(), !read.damaged());
        ASSERT_EQ(tables.count(), int(read.tables.size()));
        ASSERT_EQ(folder.read(u"Vendra.ltb"_s), input) << "reading changes nothing";
        if (read.damaged())
            ASSERT_EQ(folder.read(u"Vendra.ltb.bak"_s), input);
        else
            ASSERT_FALSE(QFileInfo::exists(folder.file(u"Vendra.ltb.bak"_s)));
        ASSERT_TRUE(tables.Save());
        ASSERT_EQ(ReadTablesBytes(folder.read(u"Vendra.ltb"_s)).badRecords, 0);
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, SystemFiles)
{
    Mutator mutator({"1 2 3 4 5 6\r\n9;8;7;6;5;4\r\n1 2 3 4 5 7\r\n", "1*2+3,4-5.6\r\n7/8:9=1\\2_3|4~5\r\n",
                     " 1 , 2 , 3 , 4 , 5 , 9 \n\n2 3 4 5 6 7\n"});
    TempDataFolder folder;
    ScriptedMessages boxes;
    const QString name = u"Systems/6-09-3_0012.dat"_s;
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        folder.write(name, input);
        const TSystemExpansion found = FindSystemForNumbers(kNineNumbers);
        ASSERT_EQ(found.ok(), found.error.isEmpty());
        // Every combination plays the player's numbers only.
        for (const auto &comb : found.combs)
            for (uint8_t n : comb)
                ASSERT_NE(std::find(kNineNumbers.begin(), kNineNumbers.end(), n), kNineNumbers.end());
        ASSERT_EQ(folder.read(name), input);
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, ScenarioListAndFiles)
{
    Mutator mutator({Cp1251::encode(u"EXCL:3#RAND#NEX|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |Тест\r\n\r\nFULL:0#ALL| | | | | | | |\r\n"_s),
                     QByteArray("\xEF\xBB\xBF") + u"CURR:0#FIRST|TSF1#SUMS:10#WLV:3#SV:2#1:0.5:2:0:1| | | | | | |ж\n"_s.toUtf8()});
    TempDataFolder folder;
    ScriptedMessages boxes;
    int round = 0;
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        folder.write(u"a.lsc"_s, input);
        TScenarioList list;
        if (list.LoadScenarioFile(folder.file(u"a.lsc"_s), false)) {
            for (const QString &line : list.lines())
                ASSERT_TRUE(IsScenarioLineText(line));
        }
        ASSERT_EQ(folder.read(u"a.lsc"_s), input);
        // Every tenth input is the list file read at start: one that cannot be read is kept beside the
        // new list at the first change.
        if (++round % 10 != 0)
            return;
        QFile::remove(folder.file(u"Vendra.lss.bad"_s));
        folder.write(u"Vendra.lss"_s, input);
        TScenarioList started;
        boxes.clear();
        started.LoadScenarioList();
        const bool unread = started.count() == 0 && boxes.count() > 0 &&
                            boxes.last().text.startsWith(u"Ошибка чтения файла"_s);
        boxes.clear();
        started.AddLine(u"FULL:0#ALL| | | | | | | |"_s);
        if (unread) {
            ASSERT_EQ(folder.read(u"Vendra.lss.bad"_s), input);
        }
        ASSERT_EQ(TScenarioList::ReadScenarioFile(folder.file(u"Vendra.lss"_s)), started.lines());
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, CombinationsBuffer)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TCombsList list;
    list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7,8"_s});
    list.SaveCombsBuffer(1, 1);
    const QByteArray saved = folder.read(u"Vendra.~buff"_s);
    ASSERT_EQ(saved.size(), 28 * 6);
    Mutator mutator({saved});
    int32_t key = 1;
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        list.SaveCombsBuffer(1, ++key);
        folder.write(u"Vendra.~buff"_s, input);
        const std::vector<TComb> before(list.data(), list.data() + list.count());
        // Only a file of the size it was stored with, of sound combinations, is taken; anything else
        // leaves the list as it was.
        if (list.LoadCombsBuffer(1, key)) {
            ASSERT_EQ(input.size(), saved.size());
            ASSERT_EQ(list.count(), 28);
            for (int64_t i = 0; i < list.count(); ++i)
                ASSERT_TRUE(IsValidComb(list.at(i)));
        } else {
            ASSERT_TRUE(std::equal(before.begin(), before.end(), list.data(), list.data() + list.count()));
        }
    });
    // Each input waits for the disk (the buffer is stored anew before it is damaged).
    EXPECT_GT(done, 50);
    RecordProperty("inputs", done);
}

TEST(Fuzz, SettingsStoreWithItsInstallationId)
{
    const QString id = u"3f2b8c1e-9a47-4d5b-8e21-7c6a0f9d1b34"_s;
    Mutator mutator({"[Catalogue]\r\nInstallationId=" + id.toLatin1() +
                         "\r\n[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\n",
                     "[TTemplateMain]\r\nLeft=10\r\nTop=20\r\n[Catalogue]\r\nInstallationId={" + id.toLatin1() + "}\r\n"});
    TempDataFolder folder;
    ScriptedMessages boxes;
    folder.write(u"Vendra.ini"_s, "[CATALOGUE]\r\nHost=127.0.0.1:1\r\n");
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        folder.write(u"Vendra.frm"_s, input);
        const FormStore before;
        const QString stored = before.readString(u"Catalogue"_s, u"InstallationId"_s).trimmed();
        const QString made = InstallationId();
        // Only an id of the right form is sent, the stored one when it has that form, and the same
        // one again on the next request.
        ASSERT_FALSE(QUuid::fromString(made).isNull());
        if (!QUuid::fromString(stored).isNull()) {
            ASSERT_EQ(made, stored);
        }
        ASSERT_EQ(InstallationId(), made);
        const TClientIdentity identity = LoadClientIdentity();
        ASSERT_EQ(identity.hwdId, made);
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

TEST(Fuzz, CatalogueReplies)
{
    const QByteArray title = QByteArray("Система на 9").toBase64();
    Mutator mutator({"<result><row><id>12</id><nums>9</nums><olap>3</olap><csize>4</csize><title>" + title +
                         "</title><descr>" + title + "</descr><author>A</author><cl_mail>a@b.c</cl_mail><url>u</url>"
                         "<created>2024-03-05 14:07:09</created><last_download></last_download><downloads>7"
                         "</downloads></row><row><id>13</id><nums>10</nums><olap>2</olap><csize>1</csize></row></result>",
                     "<result><row><clist>" + QByteArray("1 2 3 4 5 6\r\n4 5 6 7 8 9").toBase64() +
                         "</clist></row></result>",
                     "<result><row><id_systems>12</id_systems></row><row><error></error></row></result>",
                     "<result><row><id_scripts>5</id_scripts><title>" + title + "</title><rate>3.5</rate>"
                     "<app_guid>x</app_guid><mark>4</mark><comment>" + title + "</comment></row></result>",
                     "<result><row><error>denied</error></row></result>",
                     "<result><row><script>" + QByteArray("FULL:0#ALL| | | | | | | |\r\n").toBase64() +
                         "</script></row></result>",
                     "<result><row><id_scripts>5</id_scripts><res_code>0</res_code><ret_code>1</ret_code></row>"
                     "</result>"});
    TClientIdentity identity;
    identity.mail = u"a@b.c"_s;
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        TCatalogueReply reply(QString::fromUtf8(input));
        TCatalogueRow row;
        while (reply.next(row)) {
            for (const auto &decode : std::initializer_list<std::function<void()>>{
                     [&] { (void)DecodeSystemRow(row); },
                     [&] { (void)DecodeScriptListRow(row, identity); },
                     [&] { (void)DecodeScriptRateRow(row); },
                     [&] { (void)row.base64Text(u"clist"); },
                     [&] {
                         const QStringList lines = ParseScenarioText(row.base64Text(u"script"));
                         for (const QString &line : lines)
                             ASSERT_TRUE(IsScenarioLineText(line));
                     },
                     [&] { (void)(row.integer(u"id_scripts") + row.integer(u"res_code") + row.integer(u"ret_code")); },
                     [&] { (void)row.integerDef(u"id_systems", -1); },
                     [&] { (void)row.utcTime(u"created"); }}) {
                try {
                    decode();
                } catch (const Exception &) {
                }
            }
        }
    });
    EXPECT_GT(done, 100);
    RecordProperty("inputs", done);
}

// ---- Files of another kind under a file's name ----

namespace {

// One reader or writer of a file, with a sound file of its kind (what a link to a file elsewhere
// points at).
struct TFileCase {
    const char *what;
    QString name;
    QByteArray sound;
    std::function<void(TempDataFolder &folder)> run;
    bool writes = false;
    // A file the user names is written where a link of its name leads: what that file then holds.
    // Empty for the files of the program's own.
    QByteArray through = {};
    // A data file of the program is written where a link of its name leads too.
    bool follows = false;
};

QByteArray soundStakes()
{
    TStakeRec r = EmptyStakeRecord();
    r.kind = STAKE_MANUAL;
    r.drawNumber = 4103;
    r.matches.count = -1;
    char bytes[kStakeRecSize];
    WriteStakeRecord(r, bytes);
    return QByteArray(bytes, kStakeRecSize);
}

std::vector<TFileCase> fileCases()
{
    const QByteArray ini = "[GLOBAL]\r\nMatrixCols=7\r\n";
    const QByteArray draws = SerializeDraws(someDraws());
    const QByteArray lines = "FULL:0#ALL| | | | | | | |\r\n";
    const QByteArray combs = "1;2;3;4;5;6\r\n";
    const QByteArray system = "1 2 3 4 5 6\r\n";
    const TStakeLogOptions logOptions{true, {}, kStakeLogSizeLimit, {}};
    TStakeRec checked = EmptyStakeRecord();
    checked.kind = STAKE_MANUAL;
    checked.drawNumber = 4102;
    checked.checked = 1;
    checked.matches.count = 0;
    return {
        {"settings read", u"Vendra.ini"_s, ini, [](TempDataFolder &f) { IniFile read(f.file(u"Vendra.ini"_s)); }},
        {"settings written", u"Vendra.ini"_s, ini,
         [](TempDataFolder &f) {
             IniFile written(f.file(u"Vendra.ini"_s));
             written.writeInteger(u"GLOBAL"_s, u"MatrixCols"_s, 8);
             written.updateFile();
         },
         true, {}, true},
        {"installation id", u"Vendra.frm"_s, "[Catalogue]\r\nInstallationId=3f2b8c1e-9a47-4d5b-8e21-7c6a0f9d1b34\r\n",
         [](TempDataFolder &f) {
             f.write(u"Vendra.ini"_s, "[CATALOGUE]\r\nHost=127.0.0.1:1\r\n");
             (void)InstallationId();
         },
         true, {}, true},
        {"archive read", u"Vendra.ldr"_s, draws, [](TempDataFolder &f) { TDrawsArchive(f.file(u"Vendra.ldr"_s)).load(); }},
        {"archive written", u"Vendra.ldr"_s, draws,
         [](TempDataFolder &f) {
             TDrawsArchive archive(f.file(u"Vendra.ldr"_s));
             archive.draws() = someDraws();
             archive.save();
         },
         true, {}, true},
        {"draws CSV read", u"draws.csv"_s, DrawsToCsv(someDraws()),
         [](TempDataFolder &f) {
             TDrawsArchive archive(f.file(u"Vendra.ldr"_s));
             (void)ImportDrawsCsv(archive, f.file(u"draws.csv"_s));
         }},
        {"draws CSV written", u"draws.csv"_s, "old lines\r\n",
         [](TempDataFolder &f) { ExportDrawsCsv(someDraws(), f.file(u"draws.csv"_s)); }, true,
         DrawsToCsv(someDraws())},
        {"ratings", u"Vendra.lrt"_s, SerializeRatings({rating(u"B"_s, {0, 0, 0, 0, 0, 0, 2}, 1)}),
         [](TempDataFolder &) {
             TRatings ratings;
             ratings.Load();
             ratings.items().push_back(rating(u"C"_s, {1, 0, 0, 0, 0, 0, 0}, 1));
             ratings.Save();
         },
         true, {}, true},
        {"stakes", u"Vendra.lsk"_s, soundStakes(),
         [](TempDataFolder &) {
             TStakesFile stakes;
             if (stakes.load()) {
                 TStakeRec r = EmptyStakeRecord();
                 r.kind = STAKE_MANUAL;
                 r.drawNumber = 4104;
                 r.matches.count = -1;
                 (void)stakes.appendStake(r);
             }
         },
         true},
        {"regular tables", u"Vendra.ltb"_s, SerializeTables(someTables()),
         [](TempDataFolder &) {
             TStakeTables tables;
             tables.Load();
             tables.Save();
         },
         true, {}, true},
        {"scenario list", u"Vendra.lss"_s, lines,
         [](TempDataFolder &) {
             TScenarioList list;
             list.LoadScenarioList();
             list.AddLine(u"FULL:0#FIRST| | | | | | | |"_s);
         },
         true, {}, true},
        {"scenario file read", u"a.lsc"_s, lines,
         [](TempDataFolder &f) { TScenarioList().LoadScenarioFile(f.file(u"a.lsc"_s), true); }},
        {"scenario file written", u"a.lsc"_s, lines,
         [](TempDataFolder &f) {
             TScenarioList list;
             list.AddLine(u"FULL:0#FIRST| | | | | | | |"_s);
             list.SaveScenarioFile(f.file(u"a.lsc"_s));
         },
         true, "FULL:0#FIRST| | | | | | | |\r\n"},
        {"combinations text read", u"a.lcv"_s, combs,
         [](TempDataFolder &f) { TCombsList().LoadCombsFromText(f.file(u"a.lcv"_s)); }},
        {"combinations text written", u"a.lcv"_s, "old lines\r\n",
         [](TempDataFolder &f) {
             TCombsList list;
             list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6"_s});
             list.SaveCombsToText(f.file(u"a.lcv"_s));
         },
         true, combs},
        {"combinations buffer", u"Vendra.~buff"_s, QByteArray("\x01\x02\x03\x04\x05\x06"),
         [](TempDataFolder &f) {
             TCombsList list;
             list.GenerateCombinations(false, TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6"_s});
             list.setBufferFileName(f.file(u"other.~buff"_s));
             list.SaveCombsBuffer(1, 1);
             list.setBufferFileName({});
             (void)list.LoadCombsBuffer(1, 1);
             list.SaveCombsBuffer(2, 2);
         },
         true},
        {"prefetch file", u"Prefetchs/Vendra_NUMS.dfc"_s, EncodePrefetch(TStatPrefetch{}),
         [](TempDataFolder &f) {
             TStatPrefetch prefetch;
             (void)ReadPrefetchFile(f.file(u"Prefetchs/Vendra_NUMS.dfc"_s), prefetch);
         }},
        {"favourites", u"Vendra.flt"_s, "[FAVORITES]\r\n",
         [](TempDataFolder &f) {
             TStatList list;
             list.RebuildMethods();
             list.LoadFilterSettings(f.file(u"Vendra.flt"_s), true);
             list.SaveFilterSettings(f.file(u"Vendra.flt"_s), false);
         },
         true, {}, true},
        {"system file read", u"Systems/6-09-3_0012.dat"_s, system,
         [](TempDataFolder &) { (void)FindSystemForNumbers(kNineNumbers); }},
        {"system file written", u"Systems/6-09-3_0012.dat"_s, system,
         [](TempDataFolder &) {
             tSystemInfo info;
             info.id = 12;
             info.nums = 9;
             info.olap = 3;
             info.created = 45000;
             WriteSystemFile(info, {u"1 2 3 4 5 6"_s});
         },
         true},
        {"language module", u"Vendra_"_s + GetLanguageAbbrev(1033) + u".lng"_s, "not a module",
         [](TempDataFolder &) { (void)LoadLanguageModule(1033, true); }},
        {"stake log", u"Vendra-0.log"_s, "old lines\r\n",
         [logOptions, checked](TempDataFolder &) { WriteStakeLog(checked, logOptions); }, true},
        {"scenario run log", u"ScriptLog_2026-03-04-05-06-07.txt"_s, "old lines\r\n",
         [](TempDataFolder &f) {
             TScenarioRunLog log(f.path(), [] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); });
             log.setEnabled(true);
             log.start();
             log.write(TScenarioRunLog::startBanner());
             log.write(TScenarioRunLog::endBanner());
         },
         true},
    };
}

} // namespace

TEST(Fuzz, FilesOfAnotherKindNeverHoldAReaderNorTakeAWrite)
{
    // Each reader and writer of a file meets a FIFO, a device, a non-empty folder, a link to a sound
    // file elsewhere and another name of one under the file's name: it ends within its time limit
    // without crashing, and leaves the FIFO, the device link, the folder and the file elsewhere as they
    // were (a reader and a writer may put a file of their own in place of a FIFO or a device link,
    // never write into either). A data file and a file the user names are the exception: they are
    // written where their link leads, the link staying; for a file the user names nothing takes the
    // place of a FIFO or a device either.
    QTemporaryDir outsideDir;
    const QString outside = QDir(outsideDir.path()).filePath(u"elsewhere"_s);
    QStringList results;
    for (const TFileCase &c : fileCases()) {
        for (TOtherFileKind kind : kOtherFileKinds) {
            TempDataFolder folder;
            ScriptedMessages boxes;
            QDir().mkpath(QFileInfo(folder.file(c.name)).absolutePath());
            const QString path = folder.file(c.name);
            ASSERT_TRUE(MakeOtherKindFile(path, kind, outside, c.sound)) << c.what;
            QString outcome; // what the case gave: its messages or its refusal
            const TWatchedRun run = RunWatched([&]() -> QString {
                QStringList said;
                try {
                    c.run(folder);
                } catch (const Exception &e) {
                    said << u"refused: "_s + e.message();
                }
                for (const ScriptedMessages::Box &box : boxes.boxes())
                    said << box.text;
                outcome = (said.isEmpty() ? u"no message"_s : said.join(u" / "_s)).simplified();
                return {};
            });
            const QString where = QString::fromLatin1(c.what) + u" / "_s + OtherFileKindName(kind);
            EXPECT_TRUE(run.ok()) << where.toStdString() << ": " << run.text().toStdString();
            // A link to a file elsewhere: the file elsewhere is written only by the writer of a data file
            // or of a file the user names, and then the link stays (a cache replaces the link with its
            // own file, the stakes file and the logs, written in place, refuse it). Another name (a hard
            // link) of a file elsewhere never changes that file: it is replaced, or refused.
            if (kind == TOtherFileKind::LinkOutside) {
                QFile out(outside);
                ASSERT_TRUE(out.open(QIODevice::ReadOnly));
                if (!c.follows) {
                    EXPECT_EQ(out.readAll(), c.through.isEmpty() ? c.sound : c.through) << where.toStdString();
                }
                if (!c.through.isEmpty() || c.follows) {
                    EXPECT_EQ(QFileInfo(path).symLinkTarget(), outside) << where.toStdString();
                }
            } else if (kind == TOtherFileKind::HardLinkOutside) {
                EXPECT_TRUE(OtherKindFileIntact(path, kind, outside, c.sound)) << where.toStdString();
            } else if (kind == TOtherFileKind::Folder) {
                EXPECT_TRUE(OtherKindFileIntact(path, kind)) << where.toStdString();
            } else if (!c.writes || !c.through.isEmpty()) {
                EXPECT_TRUE(OtherKindFileIntact(path, kind)) << where.toStdString();
            }
            results << where + u": "_s + (run.ok() ? outcome : run.text());
        }
    }
    RecordProperty("cases", results.join(u"\n"_s).toStdString());
}
