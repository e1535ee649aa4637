// Damaged inputs for every reader of the program's files and pages: a few thousand inputs per reader,
// each a valid file mutated at random (bytes flipped, set, cut, repeated, spliced from another input),
// from a fixed seed so that a failure repeats (VENDRA_FUZZ_SEED gives another). No reader may crash, hang or leak an exception that is
// not the program's own, and a data file read at start is never left damaged: it is either as it was
// or replaced by sound records with the old bytes kept beside it. Each reader stops after its inputs
// or its time budget, whichever comes first, so the whole harness stays short under the sanitizers.

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

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

using namespace Qt::StringLiterals;

namespace {

constexpr int kInputs = 3000;
constexpr qint64 kBudgetMs = 6000;

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

// Runs the reader over the inputs within the budget; the number of inputs tried.
int fuzz(Mutator &mutator, const std::function<void(const QByteArray &)> &reader)
{
    QElapsedTimer clock;
    clock.start();
    int done = 0;
    for (; done < kInputs && clock.elapsed() < kBudgetMs; ++done) {
        const QByteArray input = mutator.next();
        try {
            reader(input);
        } catch (const Exception &) {
            // The program's own refusal: what a damaged input is expected to get at worst.
        }
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
    const int done = fuzz(mutator, [&](const QByteArray &input) {
        const TDrawsArray parsed = ParseDrawsFile(input);
        ASSERT_EQ(ParseDrawsFile(SerializeDraws(parsed)), parsed);
        folder.write(u"Vendra.ldr"_s, input);
        TDrawsArchive archive(folder.file(u"Vendra.ldr"_s));
        archive.load();
        ASSERT_EQ(archive.count(), int(input.size() / kDrawRecordSize));
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
        // Every tenth input also goes through the file, as at start (a save waits for the disk).
        if (++round % 10 != 0)
            return;
        QFile::remove(folder.file(u"Vendra.lrt.bak"_s));
        folder.write(u"Vendra.lrt"_s, input);
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
        if (++round % 10 != 0)
            return;
        QFile::remove(folder.file(u"Vendra.lsk.bak"_s));
        folder.write(u"Vendra.lsk"_s, input);
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
