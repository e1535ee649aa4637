#include "app/combinations/PrefetchCache.h"

#include "app/combinations/ParallelWork.h"
#include "app/settings/MainOptions.h"
#include "common/AtomicFile.h"
#include "common/TempFile.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "common/Translate.h"
#include "lottery/Combinatorics.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <limits>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// A file of the cache could not be written: the message names the file or the folder, the reason
// says why.
class EPrefetchWriteError : public EInOutError {
public:
    EPrefetchWriteError(const QString &message, const QString &reason) : EInOutError(message), m_reason(reason) {}
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

TCacheFolder openFolder()
{
    try {
        return TCacheFolder::open(PrefetchFolder());
    } catch (const ECacheFolderError &e) {
        throw EPrefetchWriteError(e.message(), e.reason());
    }
}

void writeWhole(const TCacheFolder &folder, const QString &path, const QByteArray &data)
{
    try {
        folder.write(QFileInfo(path).fileName(), data);
    } catch (const EFileWriteError &e) {
        throw EPrefetchWriteError(e.message(), e.reason());
    }
}

bool keysBelow(const TPrefetchRec &a, const TPrefetchRec &b)
{
    return a.Keys < b.Keys; // key 1 first, each compared as unsigned
}

// Holds a flag set for its lifetime.
class FlagGuard {
public:
    explicit FlagGuard(bool &flag) : m_flag(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard &) = delete;
    FlagGuard &operator=(const FlagGuard &) = delete;

private:
    bool &m_flag;
};

} // namespace

QString PrefetchFolder()
{
    return GetProgramFolder() + u"Prefetchs/"_s;
}

QString PrefetchFileName(const TStatMethod &method)
{
    const QString baseName = QFileInfo(GetProgramBasePath()).fileName();
    return PrefetchFolder() + baseName + u'_' + method.MethodCode() + u".dfc"_s;
}

bool MethodHasPrefetch(const TStatMethod &method)
{
    return method.StatClass && method.StatClass->Available() && method.StatClass->HasKindN();
}

namespace {

// The distribution from the counts: a record per value, ascending by keys.
TStatPrefetch prefetchOf(const TStatTally &tally)
{
    TStatDrawArray values;
    for (const TStatTally::Entry &e : tally.entries()) {
        TStatValueRec rec;
        rec.Keys = TStatKeys{e.key};
        // A value's count is at most C(45,6) for each merge one combination makes; a statistic would
        // need more than 263 merges of one value per combination to pass the record's 32 bits, and
        // such a distribution is refused rather than stored wrapped.
        if (e.count > std::numeric_limits<int32_t>::max())
            throw Exception(u"Количество комбинаций со значением статистики превышает допустимое!"_s);
        rec.Count = int32_t(e.count);
        values.append(rec);
    }
    SortStatValues(values);
    const TStatValuesSummary summary = StatValuesSummary(values);
    TStatPrefetch prefetch;
    prefetch.records.reserve(size_t(values.size()));
    for (const TStatValueRec &v : values)
        prefetch.records.push_back(StatValueToPrefetch(v));
    prefetch.minCount = summary.MinCount;
    prefetch.maxCount = summary.MaxCount;
    return prefetch;
}

// Calls visit for every combination of the full set that begins with the first three numbers of comb,
// in ascending order, as the generated list holds them.
template <class Visit>
void WalkLastThree(TComb comb, Visit &&visit)
{
    for (int d = comb[2] + 1; d <= kMaxNumber - 2; ++d) {
        comb[3] = uint8_t(d);
        for (int e = d + 1; e <= kMaxNumber - 1; ++e) {
            comb[4] = uint8_t(e);
            for (int f = e + 1; f <= kMaxNumber; ++f) {
                comb[5] = uint8_t(f);
                visit(comb);
            }
        }
    }
}

// Adds the values of every combination of the full set whose two smallest numbers are a < b, the
// combinations of each first five numbers together.
void AddValuesOfCombsFrom(uint8_t a, uint8_t b, TCustomStat &stat, TStatDrawArray &values, TStatTally &tally)
{
    TComb comb;
    comb[0] = a;
    comb[1] = b;
    for (int c = b + 1; c <= kMaxNumber - 3; ++c) {
        comb[2] = uint8_t(c);
        for (int d = c + 1; d <= kMaxNumber - 2; ++d) {
            comb[3] = uint8_t(d);
            for (int e = d + 1; e <= kMaxNumber - 1; ++e) {
                comb[4] = uint8_t(e);
                stat.ValuesOfLastNumbers(comb, values, tally);
            }
        }
    }
}

// For a statistic whose values depend on the gaps between the numbers alone: adds the values of the
// combinations that start with 1, b, c, each counted for itself and for every combination it can be
// moved up to (as many as the numbers above its largest one, and one).
void AddValuesOfGapsFrom(uint8_t b, uint8_t c, TCustomStat &stat, TStatDrawArray &values, TStatTally &tally)
{
    TComb comb;
    comb[0] = 1;
    comb[1] = b;
    comb[2] = c;
    WalkLastThree(comb, [&](const TComb &full) {
        tally.setWeight(kMaxNumber + 1 - full[5]);
        stat.ValuesOfComb(full, values);
    });
}

// For a statistic whose values depend on the gaps between the numbers in any order: one combination
// per set of five gaps (ascending), counted for every order of them and every place the combination
// can be moved to.
void AddValuesOfGapSets(TCustomStat &stat, TStatDrawArray &values, TStatTally &tally)
{
    constexpr int kSpan = kMaxNumber - 1; // the largest sum of the gaps
    std::array<int, kMainCount - 1> g{};
    TComb comb;
    comb[0] = 1;
    // The orders of the five gaps: 5! over the orders within each run of equal ones.
    auto orders = [&g] {
        int count = 120;
        for (size_t i = 1, run = 1; i < g.size(); ++i) {
            run = g[i] == g[i - 1] ? run + 1 : 1;
            count /= int(run);
        }
        return count;
    };
    for (g[0] = 1; 5 * g[0] <= kSpan; ++g[0])
        for (g[1] = g[0]; g[0] + 4 * g[1] <= kSpan; ++g[1])
            for (g[2] = g[1]; g[0] + g[1] + 3 * g[2] <= kSpan; ++g[2])
                for (g[3] = g[2]; g[0] + g[1] + g[2] + 2 * g[3] <= kSpan; ++g[3])
                    for (g[4] = g[3]; g[0] + g[1] + g[2] + g[3] + g[4] <= kSpan; ++g[4]) {
                        for (size_t i = 0; i < g.size(); ++i)
                            comb[i + 1] = uint8_t(comb[i] + g[i]);
                        tally.setWeight(orders() * (kMaxNumber + 1 - comb[5]));
                        stat.ValuesOfComb(comb, values);
                    }
}

// The tasks of a pass over the full set: the pairs of first numbers that leave room for four more;
// for a statistic of the gaps alone, the second and third numbers after a first number of 1.
std::vector<std::pair<uint8_t, uint8_t>> PassTasks(bool gaps)
{
    std::vector<std::pair<uint8_t, uint8_t>> tasks;
    if (gaps) {
        for (int b = 2; b <= kMaxNumber - 4; ++b)
            for (int c = b + 1; c <= kMaxNumber - 3; ++c)
                tasks.push_back({uint8_t(b), uint8_t(c)});
    } else {
        for (int a = 1; a <= kMaxNumber - 5; ++a)
            for (int b = a + 1; b <= kMaxNumber - 4; ++b)
                tasks.push_back({uint8_t(a), uint8_t(b)});
    }
    return tasks;
}

void RunPassTask(bool gaps, std::pair<uint8_t, uint8_t> task, TCustomStat &stat, TStatDrawArray &values,
                 TStatTally &tally)
{
    if (gaps)
        AddValuesOfGapsFrom(task.first, task.second, stat, values, tally);
    else
        AddValuesOfCombsFrom(task.first, task.second, stat, values, tally);
}

// Sharing out six numbers among the groups of numbers of one feature: each group gives its smallest
// numbers, and the combination they form stands for all that take as many numbers from each group.
class TGroupsWalk {
public:
    TGroupsWalk(TCustomStat &stat, TStatDrawArray &values, TStatTally &tally)
        : m_stat(stat), m_values(values), m_tally(tally)
    {
    }
    // False when the features form too many groups for the walk to pay (nothing is added then).
    bool run()
    {
        for (int n = 1; n <= kMaxNumber; ++n) {
            const int feature = m_stat.NumberFeature(n);
            int g = 0;
            while (g < m_groupCount && m_feature[size_t(g)] != feature)
                ++g;
            if (g == m_groupCount) {
                m_feature[size_t(g)] = feature;
                ++m_groupCount;
            }
            m_members[size_t(g)][m_size[size_t(g)]++] = uint8_t(n);
        }
        // Each way of sharing is one multiset of six groups.
        if (Binomial(m_groupCount + kMainCount - 1, kMainCount) > kMaxWays)
            return false;
        walk(0, 0, 1);
        return true;
    }

private:
    static constexpr int64_t kMaxWays = 250000;

    void walk(int group, int taken, int64_t ways)
    {
        if (taken == kMainCount) {
            TComb comb;
            comb.n = m_picked;
            std::sort(comb.n.begin(), comb.n.end());
            m_tally.setWeight(ways);
            m_stat.ValuesOfComb(comb, m_values);
            return;
        }
        if (group == m_groupCount)
            return;
        const int size = m_size[size_t(group)];
        for (int j = 0; j <= size && taken + j <= kMainCount; ++j) {
            for (int i = 0; i < j; ++i)
                m_picked[size_t(taken + i)] = m_members[size_t(group)][size_t(i)];
            walk(group + 1, taken + j, ways * Binomial(size, j));
        }
    }

    TCustomStat &m_stat;
    TStatDrawArray &m_values;
    TStatTally &m_tally;
    int m_groupCount = 0;
    std::array<int, kMaxNumber> m_feature{};
    std::array<int, kMaxNumber> m_size{};
    std::array<std::array<uint8_t, kMaxNumber>, kMaxNumber> m_members{};
    std::array<uint8_t, kMainCount> m_picked{};
};

// For a statistic whose values depend on a state alone that its numbers make one by one: the number
// of combinations of each state, with the first of them, counted number by number; then one
// combination per state stands for all of it. False when a step leads outside the states.
bool AddValuesByState(TCustomStat &stat, TStatDrawArray &values, TStatTally &tally)
{
    const int states = stat.StepStates();
    if (states < 1 || states > 65536)
        return false;
    std::vector<int64_t> count(size_t(kMainCount + 1) * size_t(states), 0);
    std::vector<TComb> first(count.size());
    auto at = [states](int k, int state) { return size_t(k) * size_t(states) + size_t(state); };
    count[at(0, 0)] = 1;
    for (int n = 1; n <= kMaxNumber; ++n)
        for (int k = kMainCount - 1; k >= 0; --k) {
            const int add = stat.StepOf(k, n);
            if (add < 0 || add >= states)
                return false;
            for (int state = 0; state < states; ++state) {
                const int64_t c = count[at(k, state)];
                if (c == 0)
                    continue;
                if (state + add >= states)
                    return false;
                if (count[at(k + 1, state + add)] == 0) {
                    first[at(k + 1, state + add)] = first[at(k, state)];
                    first[at(k + 1, state + add)][size_t(k)] = uint8_t(n);
                }
                count[at(k + 1, state + add)] += c;
            }
        }
    for (int state = 0; state < states; ++state)
        if (const int64_t c = count[at(kMainCount, state)]; c > 0) {
            tally.setWeight(c);
            stat.ValuesOfComb(first[at(kMainCount, state)], values);
        }
    return true;
}

// The distribution of a statistic whose values need not be asked of every combination, worked out on
// the calling thread; false for the others.
bool AddValuesOfAlikeCombs(TCustomStat &stat, TStatDrawArray &values, TStatTally &tally)
{
    switch (stat.CombDependence()) {
    case TCustomStat::TCombDependence::Groups:
        return TGroupsWalk(stat, values, tally).run();
    case TCustomStat::TCombDependence::Steps:
        return AddValuesByState(stat, values, tally);
    case TCustomStat::TCombDependence::GapSet:
        AddValuesOfGapSets(stat, values, tally);
        return true;
    case TCustomStat::TCombDependence::Each:
        // Every number lies in C(44,5) combinations.
        tally.setWeight(Binomial(kMaxNumber - 1, kMainCount - 1));
        for (int n = 1; n <= kMaxNumber; ++n)
            stat.ValuesOfNumber(n, values);
        return true;
    default:
        return false;
    }
}

} // namespace

TStatPrefetch ComputePrefetch(TCustomStat &stat, const std::function<void()> &idle)
{
    const auto tally = std::make_unique<TStatTally>();
    TStatDrawArray values;
    values.setTally(tally.get());
    if (AddValuesOfAlikeCombs(stat, values, *tally))
        return prefetchOf(*tally);
    // Every combination of the full set in ascending order, as the generated list holds them; the
    // window is served between tasks (at most C(43,4) combinations each).
    const bool gaps = stat.CombDependence() == TCustomStat::TCombDependence::Gaps;
    for (const auto &task : PassTasks(gaps)) {
        RunPassTask(gaps, task, stat, values, *tally);
        if (idle)
            idle();
    }
    return prefetchOf(*tally);
}

TStatPrefetch ComputePrefetchParallel(const TStatMethod &method, const TStatList &list,
                                      const std::function<void()> &idle)
{
    const std::unique_ptr<TCustomStat> first = method.CreateStat(list);
    if (!first)
        throw Exception(Format(u"Метод \"%s\" недоступен!", {method.MethodCode()}));
    {
        const auto tally = std::make_unique<TStatTally>();
        TStatDrawArray values;
        values.setTally(tally.get());
        if (AddValuesOfAlikeCombs(*first, values, *tally))
            return prefetchOf(*tally);
    }
    const bool gaps = first->CombDependence() == TCustomStat::TCombDependence::Gaps;
    const std::vector<std::pair<uint8_t, uint8_t>> tasks = PassTasks(gaps);
    // Each worker's counts on cache lines of their own: a count written beside another worker's
    // fields would bounce the line between the cores.
    struct alignas(64) Worker {
        alignas(64) TStatTally tally;
        std::unique_ptr<TCustomStat> stat;
        TStatDrawArray values;
    };
    std::vector<Worker> workers(size_t(ParallelWork::workerCount()));
    for (Worker &w : workers)
        w.values.setTally(&w.tally);
    // Each worker makes its statistic on its own thread, so that it lies in that thread's memory and
    // not beside another worker's (a value written there would bounce the line between the cores);
    // one at a time, as on the calling thread.
    std::mutex creating;
    ParallelWork::run(
        int(tasks.size()),
        [&](int task, int wi) {
            Worker &w = workers[size_t(wi)];
            if (!w.stat) {
                const std::lock_guard<std::mutex> lock(creating);
                w.stat = method.CreateStat(list);
                if (!w.stat)
                    throw Exception(Format(u"Метод \"%s\" недоступен!", {method.MethodCode()}));
            }
            RunPassTask(gaps, tasks[size_t(task)], *w.stat, w.values, w.tally);
        },
        idle);
    // The counts of every worker added up by the values' keys.
    TStatTally &total = workers.front().tally;
    for (size_t i = 1; i < workers.size(); ++i)
        total.addTally(workers[i].tally);
    return prefetchOf(total);
}

QByteArray EncodePrefetch(const TStatPrefetch &prefetch)
{
    QByteArray bytes((qsizetype(prefetch.records.size()) + 1) * kPrefetchRecSize, '\0');
    auto *out = reinterpret_cast<uint8_t *>(bytes.data());
    for (const TPrefetchRec &r : prefetch.records) {
        WritePrefetchRec(r, out);
        out += kPrefetchRecSize;
    }
    qToLittleEndian<int32_t>(prefetch.minCount, out);
    qToLittleEndian<int32_t>(prefetch.maxCount, out + 4);
    qToLittleEndian<int32_t>(0, out + 8);
    return bytes;
}

bool DecodePrefetch(const QByteArray &bytes, TStatPrefetch &prefetch)
{
    if (bytes.size() < kPrefetchRecSize || bytes.size() % kPrefetchRecSize != 0)
        return false;
    const auto *in = reinterpret_cast<const uint8_t *>(bytes.constData());
    const qsizetype n = bytes.size() / kPrefetchRecSize - 1;
    const uint8_t *trailer = in + n * kPrefetchRecSize;
    const int32_t minCount = qFromLittleEndian<int32_t>(trailer);
    const int32_t maxCount = qFromLittleEndian<int32_t>(trailer + 4);
    if (qFromLittleEndian<int32_t>(trailer + 8) != 0)
        return false;

    TStatPrefetch p;
    p.records.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i) {
        const TPrefetchRec r = ReadPrefetchRec(in + i * kPrefetchRecSize);
        if (r.Count < 0 || (!p.records.empty() && !keysBelow(p.records.back(), r)))
            return false;
        p.minCount = std::min(p.minCount, r.Count);
        p.maxCount = std::max(p.maxCount, r.Count);
        p.records.push_back(r);
    }
    // The trailer is the summary of the records (2147483647 and 0 for none).
    if (p.minCount != minCount || p.maxCount != maxCount)
        return false;
    prefetch = std::move(p);
    return true;
}

bool ReadPrefetchFile(const QString &fileName, TStatPrefetch &prefetch)
{
    // Anything but a sound file is built anew, which is no failure; the build reports what stands in
    // its way.
    QByteArray bytes;
    return ReadCacheFile(fileName, FileBounds::kPrefetch, bytes) && DecodePrefetch(bytes, prefetch);
}

int64_t PrefetchTotal(const TStatPrefetch &prefetch)
{
    int64_t total = 0;
    for (const TPrefetchRec &r : prefetch.records)
        total += r.Count;
    return total;
}

int64_t ExpectedPrefetchTotal(const TStatMethod &method, const TStatList &list)
{
    const std::unique_ptr<TCustomStat> stat = method.CreateStat(list);
    return stat ? int64_t(stat->ValuesPerComb()) * CombinationCount(kMaxNumber, kMainCount) : 0;
}

// ---- The cache ----

TPrefetchCache::TPrefetchCache(const TStatList &list, const MainOptions &options)
    : m_list(list), m_options(options), m_idle(&ProcessMessages)
{
}

bool TPrefetchCache::readSoundFile(const TStatMethod &method, TStatPrefetch &prefetch) const
{
    TStatPrefetch read;
    if (!ReadPrefetchFile(PrefetchFileName(method), read))
        return false;
    const int64_t expected = ExpectedPrefetchTotal(method, m_list);
    const int64_t total = PrefetchTotal(read);
    // A distribution over all combinations counts every one of them: a file whose counts add up to
    // anything else was damaged (or cut short) and would give wrong norms.
    if (expected > 0 && total != expected)
        return false;
    prefetch = std::move(read);
    return true;
}

TStatPrefetch TPrefetchCache::CreatePrefetchFile(const TStatMethod &method)
{
    BusySection busy;
    const QString fileName = PrefetchFileName(method);
    SetStatusText(Format(u"Создание файла предварительной выборки %s...", {QFileInfo(fileName).fileName()}));
    const std::unique_ptr<TCustomStat> stat = method.CreateStat(m_list);
    if (!stat)
        throw Exception(Format(u"Метод \"%s\" недоступен!", {method.MethodCode()}));
    // Held from here on: a folder swapped for a link while the file is built is never written through.
    const TCacheFolder folder = openFolder();

    TStatPrefetch prefetch;
    {
        FlagGuard building(m_busy);
        prefetch = ComputePrefetchParallel(method, m_list, m_idle);
    }
    writeWhole(folder, fileName, EncodePrefetch(prefetch));
    ++m_built;
    return prefetch;
}

bool TPrefetchCache::OpenPrefetchFile(const TStatMethod &method, TStatPrefetch &prefetch)
{
    if (!m_options.prefetchsEnabled || !MethodHasPrefetch(method))
        return false;
    const QString fileName = PrefetchFileName(method);
    if (readSoundFile(method, prefetch))
        return true;
    // Asked again from a window message while a file is being built: no second build inside the first.
    if (m_busy)
        return false;
    try {
        prefetch = CreatePrefetchFile(method);
        return true;
    } catch (const EPrefetchWriteError &e) {
        ShowErrorBox(Format(u"Ошибка открытия файла данных для полного набора вариантов!\r\rИмя файла: %s\r\r%s",
                            {fileName, e.reason()}));
    } catch (const Exception &e) {
        ShowErrorBox(Format(u"Ошибка открытия файла данных для полного набора вариантов!\r\rИмя файла: %s\r\r%s",
                            {fileName, e.message()}));
    } catch (const std::exception &e) {
        ShowErrorBox(Format(u"Ошибка открытия файла данных для полного набора вариантов!\r\rИмя файла: %s\r\r%s",
                            {fileName, QString::fromLocal8Bit(e.what())}));
    }
    return false;
}

void TPrefetchCache::RebuildPrefetchFiles(bool force, uint32_t groups)
{
    if (m_busy)
        return;
    if (!force && !m_options.prefetchsEnabled) {
        // Not rebuilt now, the files of the changed groups would keep the old settings' distributions
        // and give wrong norms once the option is on: they go, and are built when next needed (nothing
        // is deleted through a linked folder).
        const TCacheFolder folder = TCacheFolder::existing(PrefetchFolder());
        for (int i = 0; folder.isOpen() && groups != 0 && i < m_list.MethodCount(); ++i) {
            const TStatMethod &method = m_list.GetMethod(i);
            if (MethodHasPrefetch(method) && (groups & StatGroupBit(method.StatClass->Group)) != 0)
                folder.remove(QFileInfo(PrefetchFileName(method)).fileName());
        }
        return;
    }
    const QString text = Tr(u"Создание файлов для полного набора комбинаций...");
    BusySection busy;
    struct Release {
        const TPrefetchProgress &progress;
        bool shown = false;
        ~Release()
        {
            SetStatusText({});
            if (shown && progress.close)
                progress.close();
        }
    } release{m_progress};

    const int count = m_list.MethodCount();
    if (m_progress.show)
        m_progress.show(text, count);
    release.shown = true;
    SetStatusText(text);
    for (int i = 0; i < count; ++i) {
        const TStatMethod &method = m_list.GetMethod(i);
        if (MethodHasPrefetch(method)) {
            TStatPrefetch existing;
            const bool present = readSoundFile(method, existing);
            if (!present || (groups & StatGroupBit(method.StatClass->Group)) != 0)
                CreatePrefetchFile(method);
        }
        if (m_progress.step)
            m_progress.step();
    }
}
