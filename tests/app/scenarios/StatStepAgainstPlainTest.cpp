// The statistics step of a scenario filter against the plain row-by-row step (PlainStatStep): random
// archives, starting lists, methods of every family, conditions, stop modes, selections, sort columns,
// own weights and draws offsets. Both must leave the same combinations in the same order, count the
// same steps, write the same run log lines and filter log rows, and check for a stop at the same
// places.
#include "tests/app/scenarios/PlainStatStep.h"

#include "common/Cp1251.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "tests/support/FullSetPasses.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/combinations/CombsList.h"
#include "app/scenarios/ScenarioRunLog.h"
#include "app/scenarios/StatStep.h"

#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <random>
#include <set>

using namespace Qt::StringLiterals;

void PrintTo(const TFilterLogRow &row, std::ostream *os)
{
    *os << "{" << row.image << ", \"" << row.caption.toStdString() << "\", \"" << row.values.toStdString() << "\", "
        << row.count << "}";
}

namespace {

// The rounds of one case per method: one in the slow builds.
constexpr int kRounds = kSlowBuild ? 1 : 2;

constexpr int kNoStop = INT_MAX;

// An archive of count draws numbered from first on (now and then a number skipped), the numbers in
// drawn order; half of them from lowNumbers, so that small universes meet the draws often.
TDrawsArray randomArchive(std::mt19937 &rng, int count, int first, int lowNumbers)
{
    TDrawsArray draws;
    int number = first;
    for (int i = 0; i < count; ++i) {
        TDrawRec d;
        d.number = number;
        number += rng() % 7 == 0 ? 2 : 1;
        std::vector<int> taken;
        while (taken.size() < 6) {
            const int n = rng() % 2 ? 1 + int(rng() % uint32_t(lowNumbers)) : 1 + int(rng() % 45);
            if (std::find(taken.begin(), taken.end(), n) == taken.end())
                taken.push_back(n);
        }
        for (int k = 0; k < 6; ++k)
            d.main[size_t(k)] = uint8_t(taken[size_t(k)]);
        draws.push_back(d);
    }
    return draws;
}


// The combinations of the numbers (ascending) in the order the generation lists them.
TCombsArray combsOf(const std::vector<int> &numbers)
{
    TCombsArray combs;
    const int k = int(numbers.size());
    std::array<int, 6> at{0, 1, 2, 3, 4, 5};
    while (k >= 6) {
        TComb c;
        for (int i = 0; i < 6; ++i)
            c[size_t(i)] = uint8_t(numbers[size_t(at[size_t(i)])]);
        combs.push_back(c);
        int i = 5;
        while (i >= 0 && at[size_t(i)] == k - 6 + i)
            --i;
        if (i < 0)
            break;
        ++at[size_t(i)];
        for (int j = i + 1; j < 6; ++j)
            at[size_t(j)] = at[size_t(j - 1)] + 1;
    }
    return combs;
}

// k different numbers, mostly low ones.
std::vector<int> randomNumbers(std::mt19937 &rng, int k)
{
    std::vector<int> numbers;
    while (int(numbers.size()) < k) {
        const int n = rng() % 3 ? 1 + int(rng() % 14) : 1 + int(rng() % 45);
        if (std::find(numbers.begin(), numbers.end(), n) == numbers.end())
            numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

class StepAgainstPlain : public ::testing::Test {
protected:
    void SetUp() override
    {
        log.setEnabled(true);
        log.start();
    }

    // A new archive: the run starts afresh (as every run of a scenario does).
    void useArchive(TDrawsArray archive, bool sorted)
    {
        draws = std::move(archive);
        stats.SetDraws(&draws);
        stats.RebuildMethods();
        step.reset();
        prefetchs.clear();
        sortedDraws = sorted;
        userWeights = TWeightCoefs{1.0L + (rng() % 3), (rng() % 4) / 2.0L, (rng() % 5) / 4.0L, rng() % 2 == 0,
                                   rng() % 2 == 0};
        stats.WeightsBackup = userWeights;
        stats.Config.weights = userWeights;
    }

    std::vector<int> listedMethods() const
    {
        std::vector<int> methods;
        for (int m = 0; m < stats.MethodCount(); ++m)
            if (stats.MethodAvailable(m) && stats.MethodSelectable(m) && stats.MethodIsFavorite(m))
                methods.push_back(m);
        return methods;
    }

    // A made-up distribution over all combinations for the values the archive has (now and then a
    // flat one), the same every time it is asked for.
    const TStatPrefetch &prefetchOf(const TStatMethod &method)
    {
        const QString code = method.MethodCode();
        auto it = prefetchs.find(code);
        if (it != prefetchs.end())
            return it->second;
        TDrawsStatParams p;
        p.list = &stats;
        p.method = &method;
        p.sampleLength = int(draws.size());
        p.withChart = false;
        p.withFacts = false;
        const TDrawsStatResult whole = CalcDrawsStat(p);
        std::vector<TStatValueRec> recs;
        for (const TDrawsStatRow &row : whole.rows)
            recs.push_back(row.rec);
        std::stable_sort(recs.begin(), recs.end(),
                         [](const TStatValueRec &a, const TStatValueRec &b) { return CompareStatKeys(a, b) < 0; });
        TStatPrefetch prefetch;
        const bool flat = rng() % 5 == 0;
        for (TStatValueRec rec : recs) {
            rec.Count = flat ? 77 : 1 + int32_t(rng() % 5000);
            prefetch.records.push_back(StatValueToPrefetch(rec));
            prefetch.minCount = std::min(prefetch.minCount, rec.Count);
            prefetch.maxCount = std::max(prefetch.maxCount, rec.Count);
        }
        return prefetchs.emplace(code, std::move(prefetch)).first->second;
    }

    struct Case {
        TFilterPart part;
        int offset = 0;
        bool norms = false;
        int stopAt = kNoStop; // the stop check that finds the run stopped
    };

    // The table the step of the case reads, as the page shows it.
    std::vector<TStatValues> tableOf(const Case &c)
    {
        const TWeightCoefs before = stats.Config.weights;
        stats.Config.weights = c.part.CDLOverride ? c.part.Coefs : userWeights;
        TDrawsStatParams p;
        p.list = &stats;
        p.method = c.part.Method;
        p.sampleLength = c.part.DrawsLen;
        p.offset = c.offset;
        p.sortedDraws = sortedDraws;
        p.withChart = false;
        p.prefetch = c.norms ? &prefetchOf(*c.part.Method) : nullptr;
        const TDrawsStatResult table = CalcDrawsStat(p);
        stats.Config.weights = before;
        const auto stat = c.part.Method->CreateStat(stats);
        std::vector<TStatValues> rows;
        for (const TDrawsStatRow &row : table.rows) {
            rows.push_back(StatRowForExport(&row));
            rows.back().Value = stat->ValueFromText(rows.back().ValueText);
        }
        return rows;
    }

    // A random filter of the method over a list of listCount combinations, its condition and stop
    // values taken near the texts of its table.
    Case randomCase(int method, int64_t listCount)
    {
        Case c;
        TFilterPart &p = c.part;
        p.Used = true;
        p.Method = &stats.GetMethod(method);
        static const int lengths[] = {1, 2, 3, 5, 8, 13, 30, 100, 300, 1000};
        p.DrawsLen = lengths[rng() % std::size(lengths)];
        p.SortColumn = rng() % 25 == 0 ? -1 : int(rng() % kDrawsStatColumns);
        p.BottomUp = rng() % 2;
        p.MultiSelect = rng() % 3 == 0;
        p.KeepSelected = rng() % 2;
        p.CDLOverride = rng() % 4 == 0;
        if (p.CDLOverride)
            p.Coefs = TWeightCoefs{(rng() % 5) / 2.0L, (rng() % 3) / 2.0L, (rng() % 4) / 2.0L, rng() % 2 == 0,
                                   rng() % 2 == 0};
        const int drawCount = int(draws.size());
        static const int offsets[] = {0, 0, 0, 1, 2, 5};
        c.offset = rng() % 12 == 0 ? drawCount + int(rng() % 3) : offsets[rng() % std::size(offsets)];
        c.offset = std::min(c.offset, drawCount + 2);
        c.norms = p.Method->StatClass->HasKindN() && rng() % 2 == 0;

        const std::vector<TStatValues> rows = tableOf(c);
        const bool textValues = p.Method->MethodHasTextValue();
        do
            p.LevelMode = uint8_t(rng() % 5 == 0 ? 0 : rng() % 32);
        while (p.LevelMode == LevelModes::LVA && !textValues);
        auto anyRow = [&]() -> const TStatValues * { return rows.empty() ? nullptr : &rows[rng() % rows.size()]; };
        // The integer part of a cell (a value near it now and then), or a small number.
        auto near = [&](QString TStatValues::*cell) {
            const TStatValues *r = anyRow();
            double v = 0;
            QString t = r ? (r->*cell).trimmed() : QString();
            t.replace(u',', u'.');
            bool ok = false;
            v = t.toDouble(&ok);
            int64_t n = ok ? int64_t(std::floor(v)) : int64_t(rng() % 10);
            if (rng() % 4 == 0)
                n += int64_t(rng() % 3) - 1;
            return n;
        };
        static const std::map<int, QString TStatValues::*> columns = {
            {0, &TStatValues::Depth},     {1, &TStatValues::DepthPct},     {2, &TStatValues::Deviation},
            {3, &TStatValues::DeviationPct}, {4, &TStatValues::Count},    {5, &TStatValues::CountPct},
            {6, &TStatValues::Weight},    {7, &TStatValues::PeriodMin},    {8, &TStatValues::Period},
            {9, &TStatValues::PeriodMax}};
        const int kind = p.LevelMode;
        if (kind == LevelModes::LNO) {
            p.LevelText = rng() % 2 ? QString() : u"7"_s;
        } else if (kind == LevelModes::LVA) {
            QStringList items;
            for (int i = 1 + int(rng() % 3); i > 0; --i)
                items << QString::number(anyRow() && rng() % 4 ? anyRow()->Value : int(rng() % 64));
            p.LevelText = items.join(u',');
        } else {
            // Kinds 1..18 come in sixes (depth, deviation, count), each "not less", "not more", list for
            // value and percent; 19..30 in threes (weight, period min, period, period max).
            int column, rule;
            if (kind <= LevelModes::CDP) {
                const int group = (kind - 1) / 6, r = (kind - 1) % 6;
                column = group * 2 + r % 2;
                rule = r / 2;
            } else {
                column = 6 + (kind - LevelModes::WMV) / 3;
                rule = (kind - LevelModes::WMV) % 3;
            }
            if (rule < 2) {
                p.LevelText = QString::number(near(columns.at(column)));
            } else {
                QStringList items;
                for (int i = 1 + int(rng() % 4); i > 0; --i)
                    items << QString::number(near(columns.at(column)));
                p.LevelText = items.join(rng() % 5 == 0 ? u";"_s : u","_s);
            }
        }
        p.LevelValue = p.LevelText;

        p.StopMode = uint8_t(rng() % StopModes::Count);
        // Stop values that let a few rows by as often as not.
        const bool early = rng() % 4 == 0;
        switch (p.StopMode) {
        case StopModes::SC: p.StopValue = int32_t(rng() % uint64_t(early ? listCount + 1 : listCount / 3 + 1)); break;
        case StopModes::ST: p.StopValue = int32_t(early ? rng() % 2 : 1 + rng() % 6); break;
        case StopModes::SV:
            p.StopValue = int32_t(early ? near(&TStatValues::Count) : p.BottomUp ? 1000 + rng() % 2 : -int(rng() % 2));
            break;
        case StopModes::SP:
            p.StopValue = int32_t(early ? near(&TStatValues::CountPct) : p.BottomUp ? 101 : -1);
            break;
        default: p.StopValue = int32_t(rng() % 3); break;
        }
        if (rng() % 7 == 0)
            c.stopAt = 1 + int(rng() % (rows.size() + 4));
        return c;
    }

    QStringList engineLog()
    {
        log.close();
        QFile file(log.fileName());
        QStringList lines;
        if (!file.open(QIODevice::ReadOnly))
            return lines;
        const QString text = Cp1251::decode(file.readAll());
        file.close();
        for (const QString &line : text.split(u"\r\n"_s, Qt::SkipEmptyParts))
            lines << line.mid(line.indexOf(u"]: "_s) + 3);
        return lines;
    }

    static QStringList asLogged(const QStringList &lines)
    {
        QStringList out;
        for (const QString &line : lines)
            out << Cp1251::decode(Cp1251::encode(line));
        return out;
    }

    static std::string describe(const Case &c)
    {
        return QString(FilterPartToText(c.part) + u" sort "_s + QString::number(c.part.SortColumn) + u" offset "_s
                + QString::number(c.offset) + (c.norms ? u" norms"_s : u""_s) + u" stop at "_s
                + (c.stopAt == kNoStop ? u"-"_s : QString::number(c.stopAt)))
            .toStdString();
    }

    // Runs the case on both lists (which hold the same combinations) and compares what they leave. The
    // tuned step may be told the method of the step to follow, and that it follows the step before.
    // unread: the combinations are compared by their count only (the tuned list may be left unwritten
    // for the next step; a later case reads it).
    void compare(const Case &c, TCombsList &engine, TCombsList &plain, const TStatMethod *nextMethod = nullptr,
                 bool afterStep = false, bool unread = false)
    {
        ++cases;
        ASSERT_EQ(engine.count(), plain.count());
        logRowsBefore = engine.filterLog().size();
        const std::string what = describe(c);
        SCOPED_TRACE(what);

        QFile::remove(log.fileName());
        stats.Config.weights = userWeights;
        int engineChecks = 0;
        TStatStep::TContext ctx;
        ctx.stats = &stats;
        ctx.combs = &engine;
        ctx.drawsOffset = c.offset;
        ctx.sortedDraws = sortedDraws;
        ctx.prefetchsEnabled = c.norms;
        ctx.prefetch = [this](const TStatMethod &m, TStatPrefetch &out) {
            out = prefetchOf(m);
            return true;
        };
        ctx.stopRequested = [&] { return ++engineChecks >= c.stopAt; };
        ctx.log = &log;
        ctx.nextMethod = nextMethod;
        ctx.afterStep = afterStep;
        try {
            step.run(c.part, {}, ctx);
        } catch (const std::exception &e) {
            ADD_FAILURE() << "the step raised " << e.what();
        }
        const QStringList engineLines = engineLog();
        const TWeightCoefs engineWeights = stats.Config.weights;

        stats.Config.weights = userWeights;
        int plainChecks = 0;
        PlainStepInput in;
        in.stats = &stats;
        in.list = &plain;
        in.drawsOffset = c.offset;
        in.sortedDraws = sortedDraws;
        in.prefetch = c.norms && c.part.Method->StatClass->HasKindN() ? &prefetchOf(*c.part.Method) : nullptr;
        in.stop = [&] { return ++plainChecks >= c.stopAt; };
        const PlainStepResult expected = RunPlainStatStep(c.part, in);
        const QStringList expectedLines = asLogged(expected.log);

        EXPECT_EQ(step.lastSteps(), expected.steps);
        EXPECT_EQ(engineChecks, plainChecks) << "stop checks";
        EXPECT_EQ(engineWeights, stats.Config.weights);
        ASSERT_EQ(engine.count(), plain.count());
        seen.unwritten += engine.unwrittenState() != nullptr;
        if (!unread) {
            EXPECT_TRUE(std::equal(plain.data(), plain.data() + plain.count(), engine.data())) << "list order";
        }
        EXPECT_EQ(engine.filterLog(), plain.filterLog());
        if (engineLines != expectedLines) {
            qsizetype i = 0;
            while (i < engineLines.size() && i < expectedLines.size() && engineLines[i] == expectedLines[i])
                ++i;
            ADD_FAILURE() << "log line " << i << " of " << engineLines.size() << "/" << expectedLines.size()
                          << "\n engine: " << engineLines.value(i).toStdString()
                          << "\n plain:  " << expectedLines.value(i).toStdString();
        }
        EXPECT_EQ(boxes.count(), 0);
        if (engine.count() > 1 && engine.count() < 200)
            ++smallLeft;
        const int64_t before = c.part.MultiSelect ? 0 : 0;
        (void)before;
        seen.changed += engine.filterLog().size() > logRowsBefore;
        seen.undone += expected.log.contains(u"{UNDO} Откат изменений..."_s);
        seen.stopped += expected.stopped;
        seen.modes[int(step.lastMode())]++;
        seen.steps += expected.steps;
        seen.kinds.insert(c.part.LevelMode);
        seen.stops.insert(c.part.StopMode);
    }
    struct Seen {
        int changed = 0, undone = 0, stopped = 0, steps = 0, unwritten = 0;
        std::map<int, int> modes;
        std::set<int> kinds, stops;
    } seen;
    size_t logRowsBefore = 0;

    // The two lists from one set of combinations.
    // The two lists from one set of combinations. As in the window, the undo copy of the tuned step's
    // list may have room to spare (the step then keeps its work there).
    void fill(TCombsList &engine, TCombsList &plain, const TCombsArray &combs)
    {
        for (TCombsList *l : {&engine, &plain}) {
            l->assign(combs);
            l->ClearUndoCount();
            l->ClearFilterLog();
        }
        if (rng() % 2)
            engine.SetUndoCapacity(int64_t(combs.size()) * 2, 0);
    }

    // A starting list for a table of rowCount rows: the combinations of a few numbers, or a random
    // part of those of more numbers (in a shuffled order, now and then with the numbers of each
    // combination shuffled too). Large tables get small lists: the plain step filters once per row.
    void randomList(TCombsList &engine, TCombsList &plain, size_t rowCount)
    {
        if (rowCount > 400 || rng() % 2) {
            const int k = rowCount > 400 ? 7 + int(rng() % 3) : 7 + int(rng() % 6);
            fill(engine, plain, combsOf(randomNumbers(rng, k)));
            return;
        }
        const TCombsArray all = combsOf(randomNumbers(rng, 13 + rng() % 4));
        const double share = 0.05 + (rng() % 60) / 100.0;
        TCombsArray part;
        std::uniform_real_distribution<double> unit(0, 1);
        for (const TComb &comb : all)
            if (unit(rng) < share)
                part.push_back(comb);
        if (part.size() < 2)
            part = {all.front(), all.back()};
        if (rng() % 2)
            std::shuffle(part.begin(), part.end(), rng);
        if (rng() % 3 == 0)
            for (TComb &comb : part)
                std::shuffle(comb.n.begin(), comb.n.end(), rng);
        fill(engine, plain, part);
    }

    // One case per listed method (and now and then a few more steps on the list it left).
    void everyMethod(int rounds)
    {
        std::vector<int> order;
        for (int r = 0; r < rounds; ++r)
            for (int m : listedMethods())
                order.push_back(m);
        for (int m : order) {
            TCombsList engine, plain;
            Case c = randomCase(m, 0);
            randomList(engine, plain, tableOf(c).size());
            if (c.part.StopMode == StopModes::SC)
                c.part.StopValue = int32_t(rng() % uint64_t(engine.count() + 1));
            // The steps that follow on the list, their methods known beforehand as a line knows them.
            const std::vector<int> methods = listedMethods();
            std::vector<int> nextMethods(rng() % 3 == 0 ? 1 + size_t(rng() % 2) : 0);
            for (int &next : nextMethods)
                next = methods[rng() % methods.size()];
            auto methodAt = [&](size_t k) { return k < nextMethods.size() ? &stats.GetMethod(nextMethods[k]) : nullptr; };
            compare(c, engine, plain, methodAt(0));
            if (HasFatalFailure())
                return;
            bool after = true;
            for (size_t k = 0; k < nextMethods.size() && engine.count() >= 2; ++k) {
                Case n = randomCase(nextMethods[k], engine.count());
                if (tableOf(n).size() * size_t(engine.count()) > 2000000) {
                    after = false;
                    continue;
                }
                compare(n, engine, plain, methodAt(k + 1), after);
                ++sequels;
            }
        }
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    std::mt19937 rng{20260102};
    TDrawsArray draws;
    TStatList stats;
    TScenarioRunLog log{folder.path(), [] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); }};
    TStatStep step;
    bool sortedDraws = false;
    TWeightCoefs userWeights;
    std::map<QString, TStatPrefetch> prefetchs;
    int cases = 0;
    int sequels = 0;
    int smallLeft = 0;
};

TEST_F(StepAgainstPlain, EveryMethodOverAShortArchive)
{
    // Sixteen draws: most values never came up, many cells are "-".
    useArchive(randomArchive(rng, 16, 501, 12), false);
    everyMethod(kRounds);
    EXPECT_GT(cases, 300 * kRounds);
    EXPECT_GT(sequels, 75 * kRounds);
    // The cases reach what they are meant to: rows applied and undone, stops, every condition kind and
    // stop mode, the ways the tuned step works.
    EXPECT_GT(seen.changed, 125 * kRounds);
    EXPECT_GT(seen.undone, 50 * kRounds);
    EXPECT_GT(seen.stopped, 15 * kRounds);
    EXPECT_EQ(seen.kinds.size(), 32u);
    EXPECT_EQ(seen.stops.size(), size_t(StopModes::Count));
    EXPECT_GT(seen.modes[int(TStatStepFilter::Mode::Mask)], 100 * kRounds);
    EXPECT_GT(seen.modes[int(TStatStepFilter::Mode::Direct)], kRounds);
}

TEST_F(StepAgainstPlain, EveryMethodOverThreeHundredDraws)
{
    rng.seed(4157);
    // Another channel size and segments of the number matrix: other values for their families.
    stats.Config.channelSize = 7;
    for (int n = 1; n <= 45; ++n)
        stats.Config.matrixSegments[size_t(n - 1)] = uint8_t(1 + (n * 7) % 5);
    useArchive(randomArchive(rng, 300, 1201, 15), true);
    everyMethod(kRounds);
    EXPECT_GT(cases, 300 * kRounds);
    EXPECT_GT(smallLeft, 50 * kRounds);
    EXPECT_GT(seen.changed, 125 * kRounds);
    EXPECT_GT(seen.undone, 50 * kRounds);
    EXPECT_GT(seen.modes[int(TStatStepFilter::Mode::Mask)], 100 * kRounds);
}

TEST_F(StepAgainstPlain, BroadSelectionsInLargeTables)
{
    // Tables of more than 64 rows with conditions that most rows meet: more rows than a mask holds,
    // one of them per combination (an index) or several (the statistic's own test).
    rng.seed(2718);
    useArchive(randomArchive(rng, 300, 7001, 20), false);
    std::vector<int> large;
    for (int m : listedMethods()) {
        Case c = randomCase(m, 2);
        c.part.DrawsLen = 300;
        c.offset = 0;
        if (tableOf(c).size() > 64)
            large.push_back(m);
    }
    ASSERT_GT(large.size(), 20u);
    static const uint8_t broad[][2] = {{LevelModes::LNO, 0}, {LevelModes::CMV, 0}, {LevelModes::LLV, 1}};
    for (int round = 0; round < kRounds; ++round) {
        for (int m : large) {
            Case c = randomCase(m, 2);
            const auto &b = broad[rng() % std::size(broad)];
            c.part.LevelMode = b[0];
            c.part.LevelText = c.part.LevelValue = b[1] ? u"65535"_s : u"0"_s;
            c.stopAt = kNoStop;
            if (c.part.StopMode == StopModes::SV || c.part.StopMode == StopModes::SP)
                c.part.StopMode = StopModes::SF;
            TCombsList engine, plain;
            const size_t rows = tableOf(c).size();
            fill(engine, plain, combsOf(randomNumbers(rng, rows > 1000 ? 7 : 8 + int(rng() % 3))));
            if (c.part.StopMode == StopModes::SC)
                c.part.StopValue = int32_t(rng() % 4);
            compare(c, engine, plain);
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_GT(seen.modes[int(TStatStepFilter::Mode::Index)], 5 * kRounds);
    EXPECT_GT(seen.modes[int(TStatStepFilter::Mode::Direct)], 5 * kRounds);
    EXPECT_GT(seen.undone, 10 * kRounds);
}

TEST_F(StepAgainstPlain, OwnWeightsAndNormsOnTheSameTable)
{
    // Steps of one method over one sample one after the other, as the variants of a line run them:
    // only the weights (own or the user's) and the comparison with all combinations change, and the
    // weight column the conditions read must follow them.
    rng.seed(2104);
    useArchive(randomArchive(rng, 120, 301, 18), false);
    for (const char16_t *code : {u"NUMS", u"SUMS", u"EVNV", u"KNM2", u"RPV2", u"PRDV", u"SHR2"}) {
        const int m = stats.FindMethod(code);
        ASSERT_GE(m, 0);
        const int length = 5 + int(rng() % 60);
        const int offset = int(rng() % 3);
        for (int k = 0; k < 8; ++k) {
            Case c = randomCase(m, 10);
            c.part.DrawsLen = length;
            c.offset = offset;
            static const uint8_t weightKinds[] = {LevelModes::WMV, LevelModes::WLV, LevelModes::WDV};
            c.part.LevelMode = weightKinds[rng() % 3];
            const std::vector<TStatValues> rows = tableOf(c);
            QStringList items;
            for (int i = 1 + int(rng() % 3); i > 0 && !rows.empty(); --i) {
                bool ok = false;
                const double w = rows[rng() % rows.size()].Weight.toDouble(&ok);
                items << QString::number(ok ? int64_t(std::floor(w)) : 0);
            }
            c.part.LevelText = c.part.LevelValue =
                c.part.LevelMode == LevelModes::WDV ? items.join(u',') : items.value(0, u"0"_s);
            TCombsList engine, plain;
            fill(engine, plain, combsOf(randomNumbers(rng, 8 + int(rng() % 4))));
            if (c.part.StopMode == StopModes::SC)
                c.part.StopValue = int32_t(rng() % 4);
            compare(c, engine, plain);
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_EQ(cases, 56);
    EXPECT_GT(seen.changed, 20);
    // The tables came from the step's store when their inputs were the same.
    EXPECT_LT(step.tableComputations(), cases);
}

TEST_F(StepAgainstPlain, FirstStepsOverTheFullList)
{
    // The full list of a line's first filter, read through the lookups the run keeps for it (values of
    // the six numbers alone) or recorded for the step, then a step on what it left.
    rng.seed(45);
    useArchive(randomArchive(rng, 300, 9001, 45), false);
    // A short run (the slow builds, the thread sanitizer's) takes one case of each way of working.
    const bool shortRun = ShortFullSetTests();
    const std::vector<const char16_t *> codes =
        shortRun ? std::vector<const char16_t *>{u"SUMS"}
                 : std::vector<const char16_t *>{u"SUMS", u"EVNV", u"SHR1", u"KNM2", u"RPV2", u"PRDV", u"NUMS", u"DIFA", u"RPC2"};
    TCombsList engine, plain;
    // A row or two applied: every one of them is a pass over the full list for the plain step.
    auto fewRows = [&](Case &c) {
        c.part.StopMode = StopModes::ST;
        c.part.StopValue = c.part.MultiSelect ? 1 + int32_t(rng() % 8) : 1;
        if (c.part.MultiSelect || rng() % 3) {
            c.part.LevelMode = LevelModes::LNO;
            c.part.LevelText = c.part.LevelValue = QString();
        } else {
            c.part.LevelMode = LevelModes::CMV;
            c.part.LevelText = c.part.LevelValue = u"1"_s;
        }
        c.stopAt = kNoStop;
    };
    for (const char16_t *code : codes) {
        const int m = stats.FindMethod(code);
        ASSERT_GE(m, 0);
        for (TCombsList *l : {&engine, &plain}) {
            l->GenerateCombinations(false, TGenerateSettings{gmAll, {}});
            l->ClearUndoCount();
            l->ClearFilterLog();
        }
        // The window's undo copy has room for every combination.
        engine.SetUndoCapacity(engine.count(), 0);
        ASSERT_EQ(engine.count(), 8145060);
        ASSERT_TRUE(engine.isFullSet());
        Case c = randomCase(m, engine.count());
        fewRows(c);
        // Two steps after it, each told beforehand (the list a step leaves is given the sets of the
        // method that follows).
        static const char16_t *const followers[] = {u"NUMS", u"SUMS", u"EVEN", u"DIFA", u"DIFM", u"COLV"};
        const TStatMethod &nextMethod = stats.GetMethod(stats.FindMethod(followers[rng() % std::size(followers)]));
        const TStatMethod &thirdMethod = stats.GetMethod(stats.FindMethod(followers[rng() % std::size(followers)]));
        compare(c, engine, plain, &nextMethod);
        if (HasFatalFailure())
            return;
        if (engine.count() < 2 || engine.count() > 4000000)
            continue;
        Case next = randomCase(ListedMethodIndex(stats, &nextMethod), engine.count());
        fewRows(next);
        compare(next, engine, plain, &thirdMethod, true);
        if (engine.count() < 2 || HasFatalFailure())
            continue;
        Case third = randomCase(ListedMethodIndex(stats, &thirdMethod), engine.count());
        fewRows(third);
        compare(third, engine, plain, nullptr, true);
    }
    // The next cycle of a test: the full list again, another draw hidden, the same first method (its
    // kept lookups read again).
    for (const char16_t *code : shortRun ? std::vector<const char16_t *>{u"SUMS"}
                                          : std::vector<const char16_t *>{u"SUMS", u"EVNV"}) {
        for (TCombsList *l : {&engine, &plain}) {
            l->GenerateCombinations(false, TGenerateSettings{gmAll, {}});
            l->ClearUndoCount();
        }
        Case c = randomCase(stats.FindMethod(code), engine.count());
        fewRows(c);
        c.offset = 7;
        compare(c, engine, plain);
    }
    // A count of the numbers of the draw before, or the sums, then numbers deleted from what it left
    // (counted from the sums the first step allowed), then what follows; several draws hidden.
    {
        const TStatMethod &numbers = stats.GetMethod(stats.FindMethod(u"NUMS"));
        const TStatMethod &sums = stats.GetMethod(stats.FindMethod(u"SUMS"));
        for (int offset : shortRun ? std::vector<int>{3} : std::vector<int>{0, 3, 11, 1, 4}) {
            const TStatMethod &repeats = stats.GetMethod(stats.FindMethod(offset < 3 ? u"SUMS" : u"RPC2"));
            for (TCombsList *l : {&engine, &plain}) {
                l->GenerateCombinations(false, TGenerateSettings{gmAll, {}});
                l->ClearUndoCount();
            }
            Case first = randomCase(ListedMethodIndex(stats, &repeats), engine.count());
            fewRows(first);
            first.part.KeepSelected = offset == 11;
            first.part.MultiSelect = offset == 3;
            first.offset = offset;
            compare(first, engine, plain, &numbers);
            if (HasFatalFailure())
                return;
            Case second = randomCase(ListedMethodIndex(stats, &numbers), engine.count());
            fewRows(second);
            second.part.KeepSelected = false;
            second.part.MultiSelect = false;
            second.part.StopValue = 2;
            second.offset = offset;
            // The numbers that came up most often: a few of them.
            std::vector<int64_t> counts;
            for (const TStatValues &row : tableOf(second))
                counts.push_back(row.Count.toLongLong());
            std::sort(counts.rbegin(), counts.rend());
            second.part.LevelMode = LevelModes::CMV;
            second.part.LevelText = second.part.LevelValue = QString::number(counts[std::min<size_t>(4, counts.size() - 1)]);
            compare(second, engine, plain, &sums, true);
            if (HasFatalFailure() || engine.count() < 2)
                return;
            Case third = randomCase(ListedMethodIndex(stats, &sums), engine.count());
            fewRows(third);
            compare(third, engine, plain, nullptr, true);
        }
    }
    // Steps of sets that keep most of the full list one after the other, the list read only after the
    // last one (in between it may be left unwritten, each step reading the sets at the places of the
    // full set).
    {
        const char16_t *const chain[] = {u"DIFA", u"SEQL", u"SUMS", u"COLV", u"EVEN", u"DIFM", u"SUMS"};
        seen.unwritten = 0;
        for (int round = shortRun ? 2 : 0; round < 3; ++round) {
            for (TCombsList *l : {&engine, &plain}) {
                l->GenerateCombinations(false, TGenerateSettings{gmAll, {}});
                l->ClearUndoCount();
            }
            const size_t first = size_t(round) * 2;
            for (size_t k = first; k < first + 3 && engine.count() >= 2; ++k) {
                const TStatMethod &method = stats.GetMethod(stats.FindMethod(chain[k]));
                const bool last = k == first + 2;
                Case c = randomCase(ListedMethodIndex(stats, &method), engine.count());
                fewRows(c);
                c.part.KeepSelected = last && round != 1;
                const TStatMethod *next = last ? nullptr : &stats.GetMethod(stats.FindMethod(chain[k + 1]));
                // Once, the list left unwritten is read at once (and written for it).
                compare(c, engine, plain, next, k > first, !last && !(round == 2 && k == first + 1));
                if (HasFatalFailure())
                    return;
            }
        }
        EXPECT_GT(seen.unwritten, 0) << "no list was left unwritten between the steps";
    }
    EXPECT_GE(seen.changed, int(codes.size()));
}

} // namespace
