#pragma once

#include "lottery/DrawTypes.h"
#include "app/stakes/StakeRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Regular stakes tables: a rule that makes one six-number stake per draw by moving every number of
// a combination by a fixed step (wrapping within 1..45), from the table's own combination or from the
// numbers of the latest draw.
//
// One record of the tables file "Vendra.ltb", 280 bytes, little-endian, no header:
//   0 name (length byte + 255 bytes, Windows-1251), 256 mode, 257 start combination (6 bytes),
//   263 current combination (6 bytes), 269 padding (3 zero bytes), 272 step (int32), 276 stakes made (int32).
inline constexpr int kTableRecSize = 280;
inline constexpr int kTableNameMax = 255;
inline constexpr int kTableStepMax = 45;
// The comment typed in the dialog.
inline constexpr int kTableCommentMax = 64;

enum TTableMode : uint8_t {
    tmFixedStart = 0, // steps from the table's own current combination
    tmLatestDraw = 1, // steps from the main numbers of the latest draw
};

struct TTableRec {
    QString name;
    uint8_t mode = tmFixedStart;
    TComb start;   // ascending; zeros for a table that steps from the latest draw
    TComb current; // the numbers of the last stake made (the start combination until then)
    int32_t step = 1;
    int32_t stakesMade = 0;
    bool operator==(const TTableRec &o) const = default;
};

using TTablesArray = std::vector<TTableRec>;
using TTableBytes = std::array<uint8_t, kTableRecSize>;

// A name longer than 255 bytes in Windows-1251 is cut; a character with no form there becomes "?".
TTableBytes TableToBytes(const TTableRec &table);
// Reads a record from kTableRecSize bytes.
TTableRec TableFromBytes(const char *bytes);
QByteArray SerializeTables(const TTablesArray &tables);
// The whole records of the bytes; a trailing part shorter than a record is left out.
TTablesArray ParseTables(const QByteArray &bytes);

// A record the program could have written: a name of 1..255 characters without control characters,
// mode 0 or 1, six different numbers 1..45 in the start and current combinations of a fixed-start
// table (a latest-draw table has no start, and no current one before its first stake), a step within
// -45..45 and a count of stakes made that is not negative.
bool IsSoundTable(const char *bytes);

// The sound records of a tables file, with what was left out.
struct TTablesRead {
    TTablesArray tables;
    int badRecords = 0; // whole records that are not sound
    int tailBytes = 0;  // bytes after the last whole record
    bool damaged() const { return badRecords > 0 || tailBytes > 0; }
};
TTablesRead ReadTablesBytes(const QByteArray &bytes);

// The six numbers joined by ";".
QString TableCombText(const TComb &comb);

// ---- Stakes from a table ----
enum class TTableStep {
    Stepped,
    NoDraw,     // no draw to step from, or no draw after the one the stake is for
    BadNumbers, // the stepped combination is not six different numbers 1..45 (a damaged record or draw)
};

// Steps the table with the draws offset d (the number of newest draws hidden from analysis): the base
// is the table's current combination, or the main numbers of the draw d places back from the newest;
// every number moves by the step with wrap-around, the result sorted ascending becomes the current
// combination and the count of stakes made goes up by one. Anything but Stepped leaves the table as
// it was.
TTableStep StepTable(TTableRec &table, const TDrawsArray &draws, int offset);

// Steps the table and builds its stake: version 2, kind "regular", for the draw after the one
// `offset` places back from the newest, the table's name as comment, the sample size, the new current
// combination, not checked, costing a six-number stake. Anything but Stepped leaves the table as it
// was and builds nothing (a stake is never made for a draw number below 1).
TTableStep MakeTableStake(TTableRec &table, const TDrawsArray &draws, int offset, int sampleSize,
                          const TConfigData &config, TStakeRec &stake);

// The message that tells why a table made no stake (empty for Stepped).
QString TableStepMessage(TTableStep result, const TTableRec &table);

// ---- Adding tables ----
// The start combination can be typed in mode 0 with exactly one combination selected in the
// combinations list (shown there first) or with none selected (typed from nothing).
bool TableStartTyped(int mode, int selectedCount);

// A typed start combination: six different numbers 1..45 separated by "," or ";", read ascending.
bool ReadTableStart(const QString &text, TComb &start);

enum class TTableInputCheck { Ok, BadCombination, NoComment, DuplicateName };

// Checks what the dialog holds before it closes: a typed start combination must be six different
// numbers 1..45 (read into start, ascending), then the comment must not be blank nor equal to one of
// the existing names, both trimmed.
TTableInputCheck CheckTableInput(const QString &comment, int mode, const QString &startText, int selectedCount,
                                 const QStringList &existingNames, TComb &start);

// A combination selected in the combinations list with its row (from 0).
struct TSelectedComb {
    int64_t row = 0;
    TComb comb;
};

// The tables that the dialog's answer adds: in mode 0 with several combinations selected one table a
// combination, named comment + " (n)" with its row counted from 1, starting from it; otherwise one
// table from the entered record. Each starts with current = start and no stakes made; the name is
// stored trimmed.
TTablesArray NewTables(const TTableRec &entered, const std::vector<TSelectedComb> &selected);

// ---- The test over past draws ----
struct TTablesTestLinks {
    const TDrawsArray *draws = nullptr;
    const TConfigData *config = nullptr;
    int sampleSize = 0;
    // The offset the main window started with, set back in any case at the end.
    int initialOffset = 0;
    // Sets the main window's draws offset (the views treat the archive as ending that many draws earlier).
    std::function<void(int offset)> setOffset;
    // Adds the stake for one draw; false stops the test.
    std::function<bool(const TStakeRec &stake)> addStake;
};

struct TTablesTestResult {
    int added = 0;
    bool stopped = false; // an addition failed or a table could make no stake
    QString message;      // why a table could make no stake
};

// For offset = count down to 1: every selected table (indexes into tables, in list order) is stepped
// with that offset and its stake added, as if that draw were the next one. The tables keep their
// steps; the offset is set back at the end.
TTablesTestResult RunTablesTest(TTablesArray &tables, const std::vector<int> &selected, int count,
                                const TTablesTestLinks &links);

// The largest number of tests over an archive of that many draws (0: the test cannot run).
int TablesTestMaximum(int drawsCount);

// ---- The tables file ----
class TStakeTables {
public:
    // The file in the program's folder when no name is given.
    explicit TStakeTables(QString fileName = {});
    static QString DefaultFileName();
    const QString &fileName() const { return m_fileName; }

    TTablesArray &items() { return m_items; }
    const TTablesArray &items() const { return m_items; }
    int count() const { return static_cast<int>(m_items.size()); }
    QStringList names() const;

    // Reads the file when it exists ("Загрузка файла регулярных ставок..."). A file that cannot be read
    // shows "Ошибка чтения файла регулярных ставок!\r\r%s", leaves the tables as they were, and is
    // never written over by this run. A damaged file (records that are not sound, or cut short) keeps
    // its sound records; its old bytes first go to "Vendra.ltb.bak" (without that copy it is never
    // written over) and the loss is reported. False after any failure.
    bool Load();
    // Writes the whole file through a temporary file ("Сохранение файла регулярных ставок..."); a
    // failure shows "Ошибка записи в файл регулярных ставок!\r\r%s" and gives false.
    bool Save();
    // Removes the table, moving the later ones up; raises "Запись со индексом %d в файле данных не
    // найдена!" for an index outside the array.
    void Delete(int index);
    void Clear() { m_items.clear(); }

    bool saveBlocked() const { return m_saveBlocked; }

private:
    QString m_fileName;
    TTablesArray m_items;
    bool m_saveBlocked = false;
};
