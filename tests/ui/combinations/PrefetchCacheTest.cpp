#include "app/combinations/PrefetchCache.h"
#include "lottery/stats/CustomStat.h"
#include "common/Exception.h"
#include "common/FileWrappers.h"
#include "common/RegularFile.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "tests/support/DrawsStatTestData.h"
#include "tests/support/FullSetPasses.h"
#include "ui/combinations/PrefetchFeature.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Little-endian bytes of the given 32-bit words and 16-bit keys, built by hand.
void put16(QByteArray &b, uint16_t v)
{
    b.append(char(v & 0xFF)).append(char(v >> 8));
}
void put32(QByteArray &b, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((uint32_t(v) >> (8 * i)) & 0xFF));
}

// A small valid file that stands for a method's file the test does not want built: one value counted
// as often as the method's values over all combinations add up to (7 when that is not known).
QByteArray placeholderFile(int64_t total = 0)
{
    const int32_t count = total > 0 ? int32_t(total) : 7;
    QByteArray b;
    put16(b, 1), put16(b, 0), put16(b, 0), put16(b, 0), put32(b, count);
    put32(b, count), put32(b, count), put32(b, 0);
    return b;
}

// Counts of k even numbers among all C(45,6) combinations: C(22,k) * C(23,6-k).
const int32_t kEvenCounts[] = {100947, 740278, 2045505, 2727340, 1850695, 605682, 74613};

QByteArray expectedEvenFile()
{
    QByteArray b;
    for (uint16_t k = 0; k <= 6; ++k)
        put16(b, k), put16(b, 0), put16(b, 0), put16(b, 0), put32(b, kEvenCounts[k]);
    put32(b, 74613), put32(b, 2727340), put32(b, 0);
    return b;
}

class PrefetchCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&archive.draws());
        list.RebuildMethods();
        TPrefetchProgress progress;
        progress.show = [this](const QString &text, int count) { shown.push_back({text, count}); };
        progress.step = [this] { ++steps; };
        progress.close = [this] { ++closed; };
        cache.setProgress(progress);
        cache.setIdle({});
    }

    const TStatMethod &method(const QString &code) const
    {
        const int i = list.FindMethod(code);
        EXPECT_GE(i, 0) << code.toStdString();
        return list.GetMethod(i);
    }
    QString fileOf(const QString &code) const { return PrefetchFileName(method(code)); }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(PrefetchFolder());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Every method with a file gets a placeholder, except the ones named.
    void placeholdersExcept(const QStringList &codes)
    {
        for (int i = 0; i < list.MethodCount(); ++i) {
            const TStatMethod &m = list.GetMethod(i);
            if (MethodHasPrefetch(m) && !codes.contains(m.MethodCode()))
                write(PrefetchFileName(m), placeholderFile(ExpectedPrefetchTotal(m, list)));
        }
    }
    // A short last channel and matrix row, and segments scattered over the matrix.
    void useUnevenLayouts()
    {
        list.Config.channelSize = 7;
        list.Config.matrixCols = 8;
        for (size_t n = 0; n < list.Config.matrixSegments.size(); ++n)
            list.Config.matrixSegments[n] = static_cast<uint8_t>(1 + (n * 7) % 5);
        list.RebuildMethods();
    }
    // The methods whose file is no longer the placeholder.
    QStringList rebuiltMethods() const
    {
        QStringList codes;
        for (int i = 0; i < list.MethodCount(); ++i) {
            const TStatMethod &m = list.GetMethod(i);
            if (MethodHasPrefetch(m) && read(PrefetchFileName(m)) != placeholderFile(ExpectedPrefetchTotal(m, list)))
                codes.append(m.MethodCode());
        }
        return codes;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArchive archive;
    TStatList list;
    MainOptions options;
    TPrefetchCache cache{list, options};
    std::vector<std::pair<QString, int>> shown;
    int steps = 0;
    int closed = 0;
};

} // namespace

TEST_F(PrefetchCache, FileLayoutOfSmallMethods)
{
    // The name: program folder, "Prefetchs", base name and code.
    EXPECT_EQ(fileOf(u"EVEN"_s), folder.path() + u"/Prefetchs/Vendra_EVEN.dfc");
    EXPECT_TRUE(fileOf(u"POS1"_s).endsWith(u"/Prefetchs/Vendra_POS1.dfc"));
    EXPECT_TRUE(MethodHasPrefetch(method(u"NUMS"_s)));
    EXPECT_FALSE(MethodHasPrefetch(method(u"SUMC"_s))); // taken relative to the last draw

    // EVEN byte for byte: seven records ascending by key, then the trailer (smallest, largest, 0).
    cache.CreatePrefetchFile(method(u"EVEN"_s));
    EXPECT_EQ(read(fileOf(u"EVEN"_s)), expectedEvenFile());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(PrefetchFolder()).entryList(QDir::Files), QStringList{u"Vendra_EVEN.dfc"_s});

    // NUMS: every number lies in C(44,5) combinations, so the trailer's smallest and largest are equal.
    cache.CreatePrefetchFile(method(u"NUMS"_s));
    QByteArray nums;
    for (uint16_t n = 1; n <= 45; ++n)
        put16(nums, n), put16(nums, 0), put16(nums, 0), put16(nums, 0), put32(nums, 1086008);
    put32(nums, 1086008), put32(nums, 1086008), put32(nums, 0);
    EXPECT_EQ(read(fileOf(u"NUMS"_s)), nums);

    // SUMS (computed independently): 235 sums 21..255; 21 and 255 once each, 138 the most often.
    const TStatPrefetch sums = cache.CreatePrefetchFile(method(u"SUMS"_s));
    ASSERT_EQ(sums.records.size(), 235u);
    EXPECT_EQ(sums.records.front().Keys[0], 21);
    EXPECT_EQ(sums.records.back().Keys[0], 255);
    EXPECT_EQ(sums.records[2].Count, 2); // 23 = 1+2+3+4+5+8 = 1+2+3+4+6+7
    EXPECT_EQ(sums.records[138 - 21].Count, 105690);
    EXPECT_EQ(sums.minCount, 1);
    EXPECT_EQ(sums.maxCount, 105690);
}

TEST_F(PrefetchCache, DamagedFilesAreRejected)
{
    const QByteArray good = expectedEvenFile();
    TStatPrefetch p;
    ASSERT_TRUE(DecodePrefetch(good, p));
    EXPECT_EQ(p.records.size(), 7u);
    EXPECT_EQ(p.records[3], (TPrefetchRec{{3, 0, 0, 0}, 2727340}));

    // A file of no records: its trailer holds 2147483647 and 0.
    QByteArray none;
    put32(none, 2147483647), put32(none, 0), put32(none, 0);
    ASSERT_TRUE(DecodePrefetch(none, p));
    EXPECT_TRUE(p.records.empty());

    QByteArray badTrailer = good;
    badTrailer[good.size() - 8] = 1; // the largest count no longer agrees with the records
    QByteArray unsorted = good;
    std::swap(unsorted[0], unsorted[12]); // keys 1, 0, ...
    QByteArray badZeroWord = good;
    badZeroWord[good.size() - 1] = 1;
    const std::map<std::string, QByteArray> damaged = {
        {"empty", {}},
        {"shorter than a trailer", good.left(8)},
        {"cut inside a record", good.left(50)},
        {"last record cut off whole", good.left(72) + good.right(12)},
        {"trailer cut off", good.left(84)},
        {"trailer disagrees", badTrailer},
        {"keys out of order", unsorted},
        {"third trailer word", badZeroWord},
    };
    for (const auto &[name, bytes] : damaged)
        EXPECT_FALSE(DecodePrefetch(bytes, p)) << name;
}

TEST_F(PrefetchCache, OpenBuildsMissingEmptyAndDamagedFiles)
{
    // Off: nothing, even with a complete file at hand.
    write(fileOf(u"EVEN"_s), expectedEvenFile());
    TStatPrefetch p;
    EXPECT_FALSE(cache.OpenPrefetchFile(method(u"EVEN"_s), p));

    options.prefetchsEnabled = true;
    EXPECT_FALSE(cache.OpenPrefetchFile(method(u"SUMC"_s), p)); // no file for kind D
    ASSERT_TRUE(cache.OpenPrefetchFile(method(u"EVEN"_s), p));
    EXPECT_EQ(cache.builtFiles(), 0); // the complete file was read
    EXPECT_EQ(p.maxCount, 2727340);

    const QByteArray name = QFile::encodeName(fileOf(u"EVEN"_s));
    for (const QByteArray &bad : {QByteArray(), expectedEvenFile().left(50), expectedEvenFile().left(84)}) {
        write(fileOf(u"EVEN"_s), bad);
        ASSERT_EQ(::chmod(name.constData(), 0), 0); // rebuilt with the usual mode, not again at every run
        TStatPrefetch q;
        ASSERT_TRUE(cache.OpenPrefetchFile(method(u"EVEN"_s), q));
        EXPECT_EQ(q.records.size(), 7u);
        EXPECT_EQ(read(fileOf(u"EVEN"_s)), expectedEvenFile());
        struct stat st {};
        EXPECT_EQ(::stat(name.constData(), &st) == 0 ? st.st_mode & 0777 : 0, 0666 & ~CurrentUmask()) << bad.size();
    }
    EXPECT_EQ(cache.builtFiles(), 3);
    EXPECT_EQ(boxes.count(), 0);

    // A FIFO, a link to a device or 3 GB of nothing is built anew too, which is no failure of the run.
    const int failures = FileReadFailureCount() + FileWriteFailureCount();
    for (const int kind : {0, 1, 2}) {
        QFile::remove(fileOf(u"EVEN"_s));
        ASSERT_EQ(kind == 0   ? ::mkfifo(name.constData(), 0600)
                  : kind == 1 ? ::symlink("/dev/zero", name.constData())
                              : (write(fileOf(u"EVEN"_s), {}), ::truncate(name.constData(), 3'000'000'000LL)),
                  0);
        TStatPrefetch q;
        ASSERT_TRUE(cache.OpenPrefetchFile(method(u"EVEN"_s), q)) << kind;
        EXPECT_EQ(read(fileOf(u"EVEN"_s)), expectedEvenFile()) << kind;
    }
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(FileReadFailureCount() + FileWriteFailureCount(), failures);
}

TEST_F(PrefetchCache, CountsThatDoNotAddUpToAllCombinationsAreRebuilt)
{
    // The EVEN file with one count off by one: sorted, its trailer still right, but it no longer
    // counts the 8,145,060 combinations, so its norms would be wrong.
    QByteArray off = expectedEvenFile();
    off[2 * 12 + 8] = static_cast<char>(static_cast<uint8_t>(off[2 * 12 + 8]) - 1); // 2045505 -> 2045504
    TStatPrefetch p;
    ASSERT_TRUE(DecodePrefetch(off, p));
    EXPECT_EQ(PrefetchTotal(p), 8145059);
    EXPECT_EQ(ExpectedPrefetchTotal(method(u"EVEN"_s), list), 8145060);
    EXPECT_EQ(ExpectedPrefetchTotal(method(u"NUMS"_s), list), 6 * 8145060LL); // six numbers each

    options.prefetchsEnabled = true;
    write(fileOf(u"EVEN"_s), off);
    TStatPrefetch q;
    ASSERT_TRUE(cache.OpenPrefetchFile(method(u"EVEN"_s), q));
    EXPECT_EQ(cache.builtFiles(), 1);
    EXPECT_EQ(read(fileOf(u"EVEN"_s)), expectedEvenFile());
    EXPECT_EQ(PrefetchTotal(q), 8145060);
}

TEST_F(PrefetchCache, DeclaredValuesPerCombinationHoldForEveryCombination)
{
    // What a method says about the number of its values is what decides that a file is damaged: it
    // must hold for any combination (checked on a spread of them, each on its own).
    uint32_t seed = 12345;
    auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % uint32_t(bound));
    };
    for (int i = 0; i < list.MethodCount(); ++i) {
        const TStatMethod &m = list.GetMethod(i);
        if (!MethodHasPrefetch(m))
            continue;
        const std::unique_ptr<TCustomStat> stat = m.CreateStat(list);
        ASSERT_NE(stat, nullptr);
        const int k = stat->ValuesPerComb();
        if (k == 0)
            continue;
        for (int c = 0; c < 300; ++c) {
            bool used[46] = {};
            TComb comb;
            for (uint8_t &n : comb.n) {
                int v;
                do
                    v = 1 + next(45);
                while (used[v]);
                used[v] = true;
                n = uint8_t(v);
            }
            std::sort(comb.n.begin(), comb.n.end());
            TStatDrawArray values;
            stat->ValuesOfComb(comb, values);
            int64_t counted = 0;
            for (const TStatValueRec &v : values)
                counted += v.Count;
            ASSERT_EQ(counted, k) << m.MethodCode().toStdString();
        }
    }
}

TEST_F(PrefetchCache, OpenReportsAFileThatCannotBeWritten)
{
    options.prefetchsEnabled = true;
    // A link to a folder elsewhere, a FIFO or a plain file where the folder should be: nothing is
    // written through the link, and the message says in words what stands in the way.
    QTemporaryDir elsewhere;
    const QString prefetchs = folder.file(u"Prefetchs"_s);
    for (const QString &reason : {QString(u"является символьной ссылкой на \""_s + elsewhere.path()),
                                  u"не каталог, а именованный канал."_s, u"не каталог, а обычный файл."_s}) {
        QFile::remove(prefetchs);
        boxes.clear();
        ASSERT_TRUE(reason.contains(u"ссылкой")  ? QFile::link(elsewhere.path(), prefetchs)
                    : reason.contains(u"канал") ? ::mkfifo(QFile::encodeName(prefetchs).constData(), 0600) == 0
                                                : (folder.write(u"Prefetchs"_s, "x"), true));
        TStatPrefetch p;
        EXPECT_FALSE(cache.OpenPrefetchFile(method(u"EVEN"_s), p));
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка открытия файла данных для полного набора вариантов!\r\r"
                                                 u"Имя файла: "_s + fileOf(u"EVEN"_s) + u"\r\r"_s));
        EXPECT_TRUE(boxes.last().text.contains(reason)) << boxes.last().text.toStdString();
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot));
    }

    // The rebuild raises to its caller and still closes its progress window.
    EXPECT_THROW(cache.RebuildPrefetchFiles(true, 0), EInOutError);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(closed, 1);
}

TEST_F(PrefetchCache, RebuildFollowsOptionForceAndGroups)
{
    placeholdersExcept({u"EVEN"_s});
    // Off and not forced: nothing is built, no progress window; the files of the groups whose settings
    // changed are dropped, so that they cannot give old norms once the option is on.
    cache.RebuildPrefetchFiles(false, StatGroupBit(6));
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(QFile::exists(fileOf(u"EVEN"_s)));
    EXPECT_FALSE(QFile::exists(fileOf(u"SEQL"_s)));
    EXPECT_TRUE(QFile::exists(fileOf(u"NUMS"_s)));
    EXPECT_EQ(cache.builtFiles(), 0);
    placeholdersExcept({u"EVEN"_s});

    // Forced with no group ("fullrefresh"): only the missing file is made; every method is one step.
    cache.RebuildPrefetchFiles(true, 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, u"Создание файлов для полного набора комбинаций...");
    EXPECT_EQ(shown[0].second, list.MethodCount());
    EXPECT_EQ(steps, list.MethodCount());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(read(fileOf(u"EVEN"_s)), expectedEvenFile());
    EXPECT_EQ(cache.builtFiles(), 1);

    // On, with the sequence group (6): its three files are built anew, the others kept; a damaged
    // file of another group counts as missing.
    write(fileOf(u"EVEN"_s), placeholderFile().left(20));
    options.prefetchsEnabled = true;
    cache.RebuildPrefetchFiles(false, StatGroupBit(6));
    EXPECT_EQ(rebuiltMethods(), (QStringList{u"EVEN"_s, u"SEQL"_s, u"SEQS"_s, u"LENS"_s}));
    EXPECT_EQ(cache.builtFiles(), 5);
}

// The statistics tab takes its norms from the file, built when the option is switched on.
TEST_F(PrefetchCache, StatisticsViewNormsFromTheCache)
{
    archive.draws() = handMadeDraws();
    archive.touch();
    placeholdersExcept({u"EVEN"_s});
    TStatisticsPage page(archive, list, options);
    TPrefetchFeature feature(list, options, page);
    feature.cache().setIdle({});
    page.resize(1100, 700);
    page.show();
    page.FillMethodCombos(false, false);
    ASSERT_TRUE(page.selectMethod(u"EVEN"_s));
    page.setSampleLength(10);
    page.CalcDrawsStat(true);
    EXPECT_FALSE(QFile::exists(fileOf(u"EVEN"_s)));
    EXPECT_TRUE(page.table()->isColumnHidden(dscNorm));

    page.prefetchsAction()->trigger(); // on: the missing file is made, the columns shown
    ASSERT_TRUE(options.prefetchsEnabled);
    EXPECT_EQ(read(fileOf(u"EVEN"_s)), expectedEvenFile());
    for (int c = dscNorm; c <= dscDeviationPct; ++c) {
        EXPECT_FALSE(page.table()->isColumnHidden(c));
        EXPECT_EQ(page.table()->columnWidth(c), 80);
    }
    // Largest actual count 6 (3:3) against 2727340: each norm is the file's count scaled by that.
    const std::map<QString, QString> norms = {{u"1:5"_s, u"2"_s}, {u"2:4"_s, u"4"_s}, {u"3:3"_s, u"6"_s},
                                              {u"4:2"_s, u"4"_s}, {u"5:1"_s, u"1"_s}, {u"6:0"_s, u"0"_s}};
    ASSERT_TRUE(page.lastResult().normsKnown);
    ASSERT_EQ(page.rowCount(), 6);
    for (int r = 0; r < page.rowCount(); ++r) {
        const auto &texts = page.rowAt(r)->texts;
        EXPECT_EQ(texts[dscNorm], norms.at(texts[dscValue])) << texts[dscValue].toStdString();
    }

    // Off: no norms, columns hidden, the file stays.
    page.prefetchsAction()->trigger();
    EXPECT_FALSE(page.lastResult().normsKnown);
    EXPECT_TRUE(page.table()->isColumnHidden(dscNorm));
    EXPECT_TRUE(QFile::exists(fileOf(u"EVEN"_s)));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(PrefetchCache, WorkOnAllCoresGivesTheSameFileAsOnePass)
{
    // One method of each of several groups: the counts shared out among the workers and added up give
    // the very bytes of the one-pass distribution.
    std::set<int> groups;
    int compared = 0;
    for (int i = 0; i < list.MethodCount(); ++i) {
        const TStatMethod &m = list.GetMethod(i);
        if (!MethodHasPrefetch(m) || !groups.insert(m.StatClass->Group).second || groups.size() > 6)
            continue;
        const auto stat = list.CreateMethodStat(i);
        EXPECT_EQ(EncodePrefetch(ComputePrefetchParallel(m, list)), EncodePrefetch(ComputePrefetch(*stat)))
            << m.MethodCode().toStdString();
        ++compared;
    }
    EXPECT_EQ(compared, 6);
}

TEST_F(PrefetchCache, AlikeCombinationsStandForEveryCombination)
{
    // Every method with a file, both ways of building it, against every combination counted one by one:
    // in the default layouts, and the channels, the matrix and the segments again in uneven layouts.
    struct Compared { std::string name; TStatPrefetch parallel, onePass; };
    std::vector<Compared> compared;
    const unsigned workers = std::max(4u, std::thread::hardware_concurrency());
    std::vector<std::vector<std::unique_ptr<TCustomStat>>> stats(workers); // the workers' own objects
    for (const int layout : {0, 1}) {
        if (layout == 1)
            useUnevenLayouts();
        for (int i = 0; i < list.MethodCount(); ++i) {
            const TStatMethod &m = list.GetMethod(i);
            const bool grouped = m.StatClass->Group == sgGrp || m.StatClass->Group == sgMtx || m.StatClass->Group == sgSgm;
            if (!MethodHasPrefetch(m) || (layout == 1 && !grouped))
                continue;
            const auto stat = list.CreateMethodStat(i);
            // Slow builds: the first three classes counting alike combinations (every pass takes minutes there).
            const bool firstOfClass = i == 0 || list.GetMethod(i - 1).StatClass != m.StatClass;
            if (kSlowBuild && (!firstOfClass || grouped != (layout == 1) || compared.size() >= 3 ||
                               stat->CombDependence() == TCustomStat::TCombDependence::Numbers))
                continue;
            compared.push_back({m.MethodCode().toStdString() + " layout " + std::to_string(layout),
                                ComputePrefetchParallel(m, list), ComputePrefetch(*stat)});
            for (auto &own : stats)
                own.push_back(list.CreateMethodStat(i));
        }
    }
    // The threads take the pairs of first numbers in turn.
    using Counts = std::map<std::array<uint16_t, 4>, int64_t>;
    std::vector<std::vector<Counts>> counts(workers, std::vector<Counts>(compared.size()));
    std::atomic<int> nextPair{0};
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            TStatDrawArray values;
            TComb comb;
            for (int pair = nextPair++; pair < kMaxNumber * kMaxNumber; pair = nextPair++) {
                const int a = 1 + pair / kMaxNumber, b = 1 + pair % kMaxNumber;
                if (b <= a)
                    continue;
                for (int c = b + 1; c <= kMaxNumber; ++c)
                    for (int d = c + 1; d <= kMaxNumber; ++d)
                        for (int e = d + 1; e <= kMaxNumber; ++e)
                            for (int f = e + 1; f <= kMaxNumber; ++f) {
                                comb.n = {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d), uint8_t(e), uint8_t(f)};
                                for (size_t s = 0; s < compared.size(); ++s) {
                                    values.clear();
                                    stats[w][s]->ValuesOfComb(comb, values);
                                    for (const TStatValueRec &rec : values)
                                        counts[w][s][{rec.Keys.word(1), rec.Keys.word(2), rec.Keys.word(3), rec.Keys.word(4)}] += rec.Count;
                                }
                            }
            }
        });
    for (std::thread &t : threads)
        t.join();
    for (size_t s = 0; s < compared.size(); ++s) {
        Counts expected;
        for (const std::vector<Counts> &own : counts)
            for (const auto &[keys, count] : own[s])
                expected[keys] += count;
        for (const TStatPrefetch *p : {&compared[s].parallel, &compared[s].onePass}) {
            Counts got;
            for (const TPrefetchRec &r : p->records)
                got[r.Keys] += r.Count;
            EXPECT_EQ(got, expected) << compared[s].name;
        }
    }
    RecordProperty("methods", int(compared.size()));
    // 76 methods in the default layouts and 44 of channels, matrix and segments in the uneven ones.
    EXPECT_TRUE(kSlowBuild ? compared.size() == 3u : compared.size() == 120u) << compared.size();
}

TEST_F(PrefetchCache, LastNumbersTogetherMergeWhatEachCombinationMerges)
{
    // The distributions ask the combinations of each first five numbers together: every method must
    // count what its combinations count one by one. Dense first numbers (at the bottom and at the top
    // of the range) make adjacent numbers, pairs adding up to a last number and runs; in the default
    // and in uneven layouts.
    std::vector<TComb> prefixes;
    for (const int low : {1, kMaxNumber - 12})
        for (int a = low; a < low + 12; ++a)
            for (int b = a + 1; b < low + 12; ++b)
                for (int c = b + 1; c < low + 12; ++c)
                    for (int d = c + 1; d < low + 12; ++d)
                        for (int e = d + 1; e < low + 12; ++e)
                            prefixes.push_back(TComb{{uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d), uint8_t(e), 0}});
    for (const int layout : {0, 1}) {
        if (layout == 1)
            useUnevenLayouts();
        for (int i = 0; i < list.MethodCount(); ++i) {
            const TStatMethod &m = list.GetMethod(i);
            if (!MethodHasPrefetch(m) || (i > 0 && list.GetMethod(i - 1).StatClass == m.StatClass))
                continue;
            const auto stat = list.CreateMethodStat(i);
            TStatTally together;
            TStatTally oneByOne;
            TStatDrawArray values;
            for (const TComb &prefix : prefixes) {
                values.setTally(&together);
                stat->ValuesOfLastNumbers(prefix, values, together);
                values.setTally(&oneByOne);
                TComb comb = prefix;
                for (int f = prefix[4] + 1; f <= kMaxNumber; ++f) {
                    comb[5] = uint8_t(f);
                    stat->ValuesOfComb(comb, values);
                }
            }
            auto sorted = [](const TStatTally &t) {
                std::map<uint64_t, int32_t> counts;
                for (const TStatTally::Entry &e : t.entries())
                    counts[e.key] = e.count;
                return counts;
            };
            EXPECT_EQ(sorted(together), sorted(oneByOne)) << m.MethodCode().toStdString() << " layout " << layout;
        }
    }
}
