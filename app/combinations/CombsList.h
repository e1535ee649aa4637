#pragma once

#include "app/combinations/CombsOfNumbers.h"
#include "lottery/DrawTypes.h"
#include "lottery/stats/StatSettings.h"

#include <QObject>
#include <QString>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Images of the filter log rows.
enum TFilterLogImage : int { fliUndo = 11, fliKeep = 12, fliDelete = 13 };

// One row of the filter log: the step, its values or argument, and the list's count after it.
struct TFilterLogRow {
    int image = fliKeep;
    QString caption;
    QString values;
    int64_t count = 0;
    bool operator==(const TFilterLogRow &o) const = default;
};

// A run of list rows, both ends included.
struct TRowRange {
    int64_t first = 0;
    int64_t last = -1;
    bool operator==(const TRowRange &o) const = default;
};
using TRowRanges = std::vector<TRowRange>;
// Sorted by first row, overlapping or touching runs joined, empty runs dropped.
TRowRanges NormalizeRowRanges(TRowRanges ranges);
int64_t RowRangesCount(const TRowRanges &ranges);

// The six numbers of a combination as a mask (bit n for number n); 0 when a number is not one of
// the game's. Six different numbers 1..45 give a mask with six bits.
uint64_t CombMask(const TComb &comb);
bool IsValidComb(const TComb &comb);

// The generation modes, in the order of the generation dialog.
inline constexpr int kGenerateModeCount = 5;
enum TGenerateMode : int { gmAll = 0, gmAnyOf = 1, gmOnlyFrom = 2, gmNoneOf = 3, gmFromFile = 4 };
// The caption of a mode in the dialog.
QString GenerateModeCaption(int mode);
// A mode byte outside 0..4 (a damaged settings file) is taken as the full list.
int NormalizeGenerateMode(int mode);
// The numbers of modes 1 to 3: the parameter's words (split at "," and ";", trimmed, 0 for a word that
// is not a number) as a mask of the numbers 1..45 among them; other values are accepted but match
// nothing.
uint64_t GenerateNumbersMask(QStringView parameters);

// What a combinations text file gave: the valid combinations and the number of lines that were not
// taken (blank lines are not counted).
struct TCombsTextResult {
    TCombsArray combs;
    int64_t skipped = 0;
};
// Reads the lines of a combinations file: six words split at "," and ";" (runs of separators count as
// one, blanks around a number do not matter), each a number 1..45 and all six different. Lines end in
// CR LF, LF or CR; a UTF-8 byte order mark is passed over, a UTF-16 one decodes the text first.
// A long text reports how far it got: progress(percent) once every one per cent of it.
using TTextProgress = std::function<void(double percent)>;
TCombsTextResult ParseCombsText(const QByteArray &bytes, const TTextProgress &progress = {});
// One line per combination: "1;2;3;4;5;6" with CR LF.
QByteArray CombsToText(const TComb *combs, int64_t count);

// The pasted text: one combination per line (any separators of TextToComb); blank lines are passed
// over. Raises "Некорректная комбинация..." for the first bad line.
TCombsArray ParsePastedCombs(QStringView text, const TTextProgress &progress = {});

// The working list of combinations with its one-level undo copy, the filter log and the buffer file
// that keeps a prepared list between runs of a scenario.
//
// The storage of the list (and of the undo copy) is its capacity: it grows, never shrinks while the
// program runs, so the list view can always read a row below its old count while a long step
// processes window messages. The count is the list.
//
// The full list is written when it is first read, not when it is generated: a step that makes the
// combinations it keeps again from their numbers never reads it (a scenario starts from the full list
// once per filter set and draw). So is a list a step leaves as what it is made of (a choice of numbers
// and sums of their weights, or the full list's combinations of some sets), when the next step works
// on that instead of the list. Every reader of the storage makes it first, on whichever thread asks.
class TCombsList : public QObject {
    Q_OBJECT
public:
    explicit TCombsList(QObject *parent = nullptr);

    // ---- The list ----
    int64_t count() const { return m_count; }
    int64_t capacity() const { return static_cast<int64_t>(m_combs.size()); }
    bool empty() const { return m_count == 0; }
    const TComb &at(int64_t i) const
    {
        made();
        return m_combs[static_cast<size_t>(i)];
    }
    const TComb *data() const
    {
        made();
        return m_combs.data();
    }
    // The storage: the list is its first count() entries.
    const TCombsArray &storage() const
    {
        made();
        return m_combs;
    }
    // A number that changes with every change of the list's content or count and that no other list
    // had: what was worked out from the list holds for it while the revision is the same.
    uint64_t revision() const { return m_revision; }
    // The list's entries for a step that rebuilds the list in place (it then calls truncate).
    TComb *mutableData()
    {
        made();
        m_fullSet = false;
        changed();
        return m_combs.data();
    }
    // The same for a step that writes every entry it keeps before it is read, from the first one on,
    // from what it knows of the full list without reading it: a full list not yet written is not made.
    TComb *rewrittenData()
    {
        replaced();
        m_fullSet = false;
        return m_combs.data();
    }
    // The list becomes its first n entries (n held to 0..count).
    void truncate(int64_t n)
    {
        if (n < m_count) {
            made();
            changed();
        }
        m_fullSet = m_fullSet && n >= m_count;
        m_count = std::clamp<int64_t>(n, 0, m_count);
    }
    // True while the list is every combination of the game in the order of their generation (as the
    // full generation left it, nothing changed since): entry i is then the combination of rank i.
    bool isFullSet() const { return m_fullSet; }
    // True while the list is known but not yet written (the full list just generated, or what a step
    // left unwritten).
    bool unwritten() const { return m_pending.load(std::memory_order_acquire); }
    // How a list left unwritten is written when it is first read (from any thread, once): write says
    // what it put in the list. When that is not exactly the count promised, each entry filled and
    // none empty, inOrder writes the list again the plain way (one pass in order, never beyond room
    // entries) and returns how many there are, which the list then holds; fellBack is told.
    struct TUnwrittenWrite {
        std::function<TCombsWritten(TComb *out)> write;
        std::function<int64_t(TComb *out, int64_t room)> inOrder;
        std::function<void()> fellBack;
    };
    // The list becomes the count combinations of the choice, in the order of the full list, written
    // when first read (the storage grows to hold them); fellBack as in TUnwrittenWrite, fault for
    // tests.
    void assignChosen(const TNumbersChoice &choice, int64_t count, std::function<void()> fellBack = {},
                      const TWriteFault &fault = {});
    // The list becomes the count combinations the write writes when the list is first read; state
    // stands for them (unwrittenState) until then.
    void assignUnwritten(int64_t count, std::shared_ptr<const void> state, TUnwrittenWrite write);
    const void *unwrittenState() const { return unwritten() ? m_writerState.get() : nullptr; }

    void ClearCombs();
    // Grows the capacity to n when it is smaller and sets the count (held to the capacity).
    void SetCombsCapacity(int64_t n, int64_t count);
    void FreeCombs();
    // Appends one combination, growing the capacity when the list is full.
    void append(const TComb &comb);
    // Replaces the list with the combinations given.
    void assign(const TCombsArray &combs);

    // Linear search comparing all six numbers in their order.
    bool IsCombInList(const TComb &comb) const;

    // ---- Undo ----
    int64_t undoCount() const { return m_undoCount; }
    const TComb &undoAt(int64_t i) const { return m_undo[static_cast<size_t>(i)]; }
    void SaveUndo(bool interactive);
    void RestoreUndo(bool interactive);
    void ClearUndo();
    void SetUndoCapacity(int64_t n, int64_t count);
    void ClearUndoCount();
    // For a step that rebuilds the list out of place: the undo copy's storage, emptied and made as
    // large as the list's. adoptRebuilt then makes its first count entries the list (the list's old
    // storage becomes the empty undo copy's; neither storage shrinks).
    TComb *rebuildRoom()
    {
        m_undoCount = 0;
        if (m_undo.size() < m_combs.size())
            m_undo.resize(m_combs.size());
        return m_undo.data();
    }
    void adoptRebuilt(int64_t count)
    {
        replaced();
        m_combs.swap(m_undo);
        m_undoCount = 0;
        m_fullSet = false;
        m_count = std::clamp<int64_t>(count, 0, static_cast<int64_t>(m_combs.size()));
    }

    // ---- Building the list ----
    // Generates the list as the settings say (busy cursor and status when interactive). Failures are
    // reported; a file that cannot be read keeps the list as it was. Returns false on failure.
    bool GenerateCombinations(bool interactive, const TGenerateSettings &settings);

    // Rebuilds the list from the undo copy without the combinations equal to one of the n draws before
    // the draws offset (last = draws - 1 - offset); n of 0 keeps every combination. The step is logged.
    void RemoveLastDrawsCombs(int n, const TDrawsArray &draws, int drawsOffset);
    // Rebuilds the list from the undo copy without the rows given. The step is logged.
    void DeleteSelectedCombs(const TRowRanges &selected);

    // Rebuilds the list from the undo copy: the combinations for which keep is true, in order. Every
    // one per cent the status shows progressText(percent) when it is given.
    template <class Keep> void rebuildFromUndo(Keep &&keep, const std::function<QString(double)> &progressText = {});

    // ---- Text files and the clipboard ----
    // Replaces the list with the combinations of the file; lines without a valid combination are skipped
    // and counted in a warning. A file that cannot be read, or holds lines but no combination, is
    // reported and leaves the list as it was (false).
    bool LoadCombsFromText(const QString &fileName);
    // Writes the list through a temporary file that replaces the old one only when complete.
    bool SaveCombsToText(const QString &fileName);
    // Replaces the list with the pasted combinations; a bad line raises and nothing is replaced. A text
    // without lines changes nothing (false).
    bool PasteCombs(QStringView text);
    // The rows as text lines "01 02 03 04 05 06", one per row.
    QString CombsText(const TRowRanges &rows) const;

    // ---- The buffer file ----
    // The program's path with the extension ".~buff", unless another name was set.
    QString bufferFileName() const;
    static QString DefaultBufferFileName();
    void setBufferFileName(const QString &fileName) { m_bufferFile = fileName; }
    int32_t bufferKey1() const { return m_key1; }
    int32_t bufferKey2() const { return m_key2; }
    void SaveCombsBuffer(int32_t key1, int32_t key2);
    bool LoadCombsBuffer(int32_t key1, int32_t key2);
    void DeleteCombsBuffer();
    void ResetCombsBufferKeys();

    // ---- The filter log ----
    const std::vector<TFilterLogRow> &filterLog() const { return m_log; }
    void ClearFilterLog();
    void AddFilterLog(bool deleting, const QString &caption, const QString &values);
    // The same with the count the step left (a scenario step notes it before the list is rebuilt).
    void AddFilterLog(bool deleting, const QString &caption, const QString &values, int64_t count);
    // Puts right the count of a row logged before (a step whose count was worked out again).
    void SetFilterLogCount(size_t row, int64_t count);
    void AddUndoLog();
    void RemoveLastFilterLog();

    // Announces the count (the list view and the status panel follow it).
    void RefreshCombsCount();

signals:
    void countRefreshed(qint64 count);
    void filterLogChanged();
    // A new list took the place of the old one (generated, loaded, pasted, read from the buffer): no
    // row of the old one stands for any of it.
    void listReplaced();

private:
    void ensureCapacity(int64_t n);
    // Writes the list when it is still to be written.
    void made() const
    {
        if (m_pending.load(std::memory_order_acquire))
            writeUnwritten();
    }
    void writeUnwritten() const;
    // The content is replaced: a list not yet written will not be.
    void replaced()
    {
        changed();
        m_pending.store(false, std::memory_order_release);
        m_writer = {};
        m_writerState.reset();
    }
    void changed() { m_revision = NextRevision(); }
    static uint64_t NextRevision();
    void generateAll();
    void generateCombsOfNumbers(uint64_t allowed, uint64_t anyOf, bool requireAny);
    void setCountFromUndo();

    // Written when an unwritten list is first read (a const reader may write it).
    mutable TCombsArray m_combs;
    // A list whose write fell back holds what the plain write counted (see TUnwrittenWrite).
    mutable int64_t m_count = 0;
    mutable uint64_t m_revision = NextRevision();
    bool m_fullSet = false;
    mutable std::atomic<bool> m_pending{false}; // the list is known but not yet written
    mutable std::mutex m_making;
    // What writes the list when it is first read (the full list, or what a step left).
    TUnwrittenWrite m_writer;
    std::shared_ptr<const void> m_writerState;
    TCombsArray m_undo;
    int64_t m_undoCount = 0;
    std::vector<TFilterLogRow> m_log;
    QString m_bufferFile;
    int32_t m_key1 = -1;
    int32_t m_key2 = -1;
    int64_t m_bufferCount = 0; // the combinations the buffer file was written with
};

// Shows the progress text every one per cent of count steps.
class TStepProgress {
public:
    TStepProgress(int64_t count, std::function<QString(double)> text);
    // True when step k ends one more per cent.
    bool due(int64_t k) const { return m_text && (k + 1) % m_every == 0; }
    // Shows the text for step k.
    void show(int64_t k);

private:
    int64_t m_count;
    int64_t m_every;
    std::function<QString(double)> m_text;
};

template <class Keep> void TCombsList::rebuildFromUndo(Keep &&keep, const std::function<QString(double)> &progressText)
{
    ensureCapacity(m_undoCount);
    replaced();
    TStepProgress progress(m_undoCount, progressText);
    int64_t count = 0;
    m_count = 0;
    m_fullSet = false;
    for (int64_t k = 0; k < m_undoCount; ++k) {
        const TComb &c = m_undo[static_cast<size_t>(k)];
        if (keep(c))
            m_combs[static_cast<size_t>(count++)] = c;
        // The view reads the list while messages are processed: the count follows the rebuild.
        if (progress.due(k)) {
            m_count = count;
            progress.show(k);
        }
    }
    m_count = count;
}
