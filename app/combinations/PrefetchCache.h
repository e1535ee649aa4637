#pragma once

#include "app/statistics/DrawsStatCalc.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

class TCustomStat;
class TStatList;
struct MainOptions;
struct TStatMethod;

// The distributions of the statistic methods over all C(45,6) combinations, kept one file per method in
// the folder "Prefetchs" of the program's folder ("Prefetchs/Vendra_POS1.dfc"). A file holds the value
// records (four 16-bit keys, a 32-bit count; 12 bytes each, little-endian) ascending by keys, then a
// 12-byte trailer: the smallest count, the largest count and a zero word.

// Statistic groups as a bit set: bit g stands for group g.
inline constexpr uint32_t StatGroupBit(int group)
{
    return group >= 0 && group < 32 ? uint32_t(1) << group : 0;
}
// Every one of the 13 groups.
inline constexpr uint32_t kAllStatGroups = 8191;

// The folder of the files, with a trailing "/".
QString PrefetchFolder();
// The file of a method: the folder, the program's base name, "_", the method's code, ".dfc".
QString PrefetchFileName(const TStatMethod &method);
// Only methods whose values belong to the six numbers alone (kind N) have a file.
bool MethodHasPrefetch(const TStatMethod &method);

// The distribution of the statistic over every combination of the full set, ascending by keys with
// its smallest and largest count. idle is called every 65,536 combinations (to keep windows painting).
TStatPrefetch ComputePrefetch(TCustomStat &stat, const std::function<void()> &idle = {});

// The same distribution worked out on all cores: the combinations are shared out by their first two
// numbers, every worker counts with its own statistic of the method, and the counts are added up. The
// result is the one ComputePrefetch gives. idle is called on the calling thread while it waits.
TStatPrefetch ComputePrefetchParallel(const TStatMethod &method, const TStatList &list,
                                      const std::function<void()> &idle = {});

// The bytes of a file.
QByteArray EncodePrefetch(const TStatPrefetch &prefetch);
// Reads the bytes of a file; false for anything a complete file cannot be: a length that is not a
// whole number of records plus the trailer, records out of key order or with a negative count, or a
// trailer that does not agree with the records.
bool DecodePrefetch(const QByteArray &bytes, TStatPrefetch &prefetch);
// Reads a method's file; false when it is missing, empty, unreadable or damaged.
bool ReadPrefetchFile(const QString &fileName, TStatPrefetch &prefetch);
// The sum of the counts of a distribution.
int64_t PrefetchTotal(const TStatPrefetch &prefetch);
// What a method's distribution adds up to: every combination's values, that is C(45,6) times the
// number of values each combination has; 0 when that number depends on the combination.
int64_t ExpectedPrefetchTotal(const TStatMethod &method, const TStatList &list);

// What the long rebuild of all files shows: the progress window (text, number of steps), one step,
// and its closing. Any of them may be left empty.
struct TPrefetchProgress {
    std::function<void(const QString &text, int steps)> show;
    std::function<void()> step;
    std::function<void()> close;
};

// The cache of the files: builds, opens and rebuilds them for the registry's methods. The option
// PrefetchsEnabled of the main window switches the use of the files on.
class TPrefetchCache {
public:
    TPrefetchCache(const TStatList &list, const MainOptions &options);

    void setProgress(TPrefetchProgress progress) { m_progress = std::move(progress); }
    // Called while a file is built, every 65,536 combinations; by default pending window messages are
    // processed.
    void setIdle(std::function<void()> idle) { m_idle = std::move(idle); }

    // Builds the method's file anew (through a temporary file that replaces the old one only when
    // complete) and returns its content. The combinations list of the user is not touched. Raises
    // EInOutError when the folder or the file cannot be written (a folder "Prefetchs" that is a link,
    // or a name that is no folder, is named in the message), and what the statistic raises.
    TStatPrefetch CreatePrefetchFile(const TStatMethod &method);

    // The distribution the statistics view compares with: false unless the option is on and the method
    // has a file. A missing, empty or damaged file is built first; a file whose counts do not add up
    // to the method's total is damaged. When it cannot be built the error box
    // "Ошибка открытия файла данных для полного набора вариантов!..." is shown and false returned.
    bool OpenPrefetchFile(const TStatMethod &method, TStatPrefetch &prefetch);

    // Unless force is set or the option is on, nothing is built: the files of the groups given are
    // removed (they were made under other settings) and built when next needed. Otherwise, for every
    // method with a file, in
    // registry order: a missing (or empty, or damaged) file is built, an existing one is built anew
    // when its group is in groups (a set of StatGroupBit). The progress window counts the methods.
    // Failures are raised to the caller; the progress window, status and busy cursor are released.
    void RebuildPrefetchFiles(bool force, uint32_t groups);

    // How many files were built since the cache was made (tests and the batch run's report read it).
    int builtFiles() const { return m_built; }

private:
    // The method's file read whole and sound (its counts adding up to the method's total).
    bool readSoundFile(const TStatMethod &method, TStatPrefetch &prefetch) const;

    const TStatList &m_list;
    const MainOptions &m_options;
    TPrefetchProgress m_progress;
    std::function<void()> m_idle;
    bool m_busy = false; // a build runs: window messages may ask again meanwhile
    int m_built = 0;
};
