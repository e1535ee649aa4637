#pragma once

#include "app/stakes/StakeRecord.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

// Where a record index is counted from: index n from the start, or from the end (-1 the last record).
enum class TStakeOrigin { Begin, End };

// The stakes file "Vendra.lsk", kept open for the program's life with an exclusive advisory lock, so that
// a second copy of the program on the same folder cannot open it. Records are read one at a time through
// a one-record cache (the stakes list) or in blocks (checking, finding, deleting), never loaded whole.
//
// The operations named after the user's commands show their own error boxes and return false; the
// lower-level ones (open, readRecord, writeRecord, readBlock) raise EInOutError or Exception.
class TStakesFile {
public:
    // The file in the program's folder when no name is given.
    explicit TStakesFile(QString fileName = {});
    ~TStakesFile();
    TStakesFile(const TStakesFile &) = delete;
    TStakesFile &operator=(const TStakesFile &) = delete;

    static QString DefaultFileName();
    const QString &fileName() const { return m_fileName; }

    // Opens the file for reading and writing (creating it empty when missing) and locks it. Raises
    // EInOutError when it cannot be opened or another process holds it, and for a name that is no
    // regular file of its own (a link, or a file with other names): stakes written in place would
    // land elsewhere. Resets the read cache.
    void open();
    // Closes and unlocks; no effect when not open.
    void close();
    bool isOpen() const { return m_fd >= 0; }
    // Starts afresh after a change: the read cache is reset, and the stream is opened again unless it
    // still holds the file of its name (the lock is then never let go). A failure to open shows
    // "Ошибка чтения файла ставок!\r\r%s" and gives false.
    bool reopen();

    // Start-up: opens the file and checks each record (StakeRecordProblem). A file larger than
    // FileBounds::kStakes is left as it is and refused. A file of sound records is kept as it is. A
    // record that is not sound, and a last record cut short (an append torn by a crash or a full disk),
    // loses only itself, the warning saying how many and which; a file without one sound record is
    // emptied after the warning of an outdated file. Either way the old file is first copied beside it
    // (common/DamagedFile.h), and nothing is cut when that copy fails. Any
    // failure shows "Ошибка чтения файла ставок!\r\r%s" (with the note after an empty line when one
    // is given) and gives false, except when another process holds the file: that is only told by
    // lockedElsewhere().
    bool load(const QString &failureNote = {});
    // The last open failed because another process holds the file.
    bool lockedElsewhere() const { return m_lockedElsewhere; }
    // Shutdown: closes the file with the status text "Сохранение файла ставок...".
    void closeForShutdown();

    // Number of whole records and whether there is any.
    int64_t count() const;
    bool hasStakes() const { return isOpen() && count() > 0; }

    // ---- Single records ----
    // Reads through the one-record cache; raises "Файл ставок не открыт!" or
    // "Запись со индексом %d в файле данных не найдена!".
    TStakeRec readRecord(TStakeOrigin origin, int64_t index);
    // The same, showing "Ошибка чтения записи из файла ставок!\r\r%s" on failure; the record is then
    // zeroed (draw number 0: no stake) and the result false.
    bool readStake(TStakeOrigin origin, TStakeRec &rec, int64_t index);
    // Rewrites the record in place (a checked stake); raises on failure.
    void writeRecord(int64_t index, const TStakeRec &rec);
    // Appends one record; shows "Ошибка добавления записи в файл ставок!\r\r%s" and gives false on failure
    // (a file that would pass FileBounds::kStakes takes no more records).
    bool appendStake(const TStakeRec &rec);

    // Reads up to maxCount records from the index on into the buffer (312 bytes each); gives the number
    // read (0 at the end). Raises on failure.
    int readBlock(int64_t first, int maxCount, QByteArray &buffer) const;
    // Calls visit for every record from the index on, in blocks; visit returns false to stop early.
    void forEachRecord(int64_t first, const std::function<bool(int64_t index, const TStakeRec &rec)> &visit) const;

    // ---- Stakes ----
    // Appends the stake for `draws` consecutive draws from its draw number on (one record when draws < 2;
    // otherwise each copy after a separator row unless the file's last record is one already).
    // Refuses a checked record ("Добавление в конец файла уже проверенной ставки!") and a series whose last
    // draw number would pass 2147483647. Any failure stops the series and shows
    // "Ошибка добавления записи в файл ставок!\r\r%s"; the result is then false.
    bool appendStakeForDraws(const TStakeRec &rec, int draws);
    // True at the first stake of that draw with that number set; a failure shows
    // "Ошибка поиска записи в файле ставок!\r\r%s" and gives false.
    bool findStake(int32_t drawNumber, const TNumSet &numbers);

    // Removes the records shown in grid rows top..bottom (row r is record r - 1). The kept records are
    // written to "Vendra.~tmp" beside the file, which then takes the file's place in one rename while
    // the lock is held; on any failure the stakes file stays as it was. A failure shows
    // "Ошибка удаления записи из файла ставок!\r\r%s" and gives false.
    bool deleteRows(int64_t topRow, int64_t bottomRow);
    // Removes the stakes whose number of matches m (-1 unchecked) meets the condition against value:
    // 0 m = value, 1 m > value, 2 m >= value, 3 m < value, 4 m <= value; separator rows always stay, and
    // an unknown condition removes nothing. Same way and messages as deleteRows.
    bool deleteByCondition(int condition, int value);
    // Empties the file (all stakes removed) and resets the read cache; raises on failure.
    void clear();

    // The checked draws at the end of the file: walks back from the last record counting distinct draw
    // numbers of checked stakes, at most `limit`. startIndex is the record the charts read on from:
    // the one after the first record of a draw beyond the limit, or 0 when the file ran out first.
    struct TCheckedDraws {
        int count = 0;
        int64_t startIndex = 0;
    };
    TCheckedDraws countCheckedDraws(int limit) const;

    // Invalidates the read cache (after the file was changed behind it).
    void resetCache();

private:
    void requireOpen() const;
    int64_t sizeBytes() const;
    void pwriteAll(int fd, const char *data, int64_t size, int64_t offset) const;
    bool rewriteKeeping(const std::function<bool(int64_t index, const TStakeRec &rec)> &keep);
    void rewriteKeepingOrRaise(const std::function<bool(int64_t index, const TStakeRec &rec)> &keep);
    void repairOnLoad();
    // The damaged file's copy: whether a copy holds its bytes, and writing them into one.
    bool sameBytesAs(const QString &copyName, int64_t size) const;
    void copyTo(int fd, int64_t size) const;

    QString m_fileName;
    int m_fd = -1;
    bool m_lockedElsewhere = false;
    // The one-record cache.
    int64_t m_cacheIndex = -1;
    TStakeOrigin m_cacheOrigin = TStakeOrigin::Begin;
    TStakeRec m_cacheRec{};
    bool m_cacheValid = false;
};

