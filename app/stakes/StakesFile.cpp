#include "app/stakes/StakesFile.h"

#include "common/BusyCursor.h"
#include "common/DamagedFile.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/FileProcs.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/TempFile.h"
#include "common/RegularFile.h"
#include "common/SysUtils.h"
#include "common/AtomicFile.h"
#include "common/Translate.h"
#include "lottery/NumberGeometry.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <optional>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kBlockRecords = 4096;
constexpr int kCopyChunk = 1024 * 1024;
// At most this many records left out are named in the load's message.
constexpr int kMaxStakeNotes = 10;

QString SystemErrorText(int error)
{
    return SystemErrorString(error);
}

[[noreturn]] void RaiseNotOpen()
{
    throw Exception(Tr(u"Файл ставок не открыт!"));
}

[[noreturn]] void RaiseNoRecord(int64_t index)
{
    throw Exception(Format(u"Запись со индексом %d в файле данных не найдена!", {static_cast<long long>(index)}));
}

void ShowFailure(QStringView pattern, const QString &text)
{
    ShowErrorBox(Format(pattern, {text}));
}

// Opens (creating when missing) and locks a file; -1 with errno set on failure.
int OpenLocked(const QString &path, int extraFlags)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | extraFlags, 0644);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// The name of the temporary file beside the stakes file: "Vendra.~tmp".
QString TempFileName(const QString &fileName)
{
    return QFileInfo(fileName).completeBaseName() + u".~tmp"_s;
}

} // namespace

TStakesFile::TStakesFile(QString fileName) : m_fileName(std::move(fileName))
{
    if (m_fileName.isEmpty())
        m_fileName = DefaultFileName();
}

TStakesFile::~TStakesFile()
{
    close();
}

QString TStakesFile::DefaultFileName()
{
    return ProgramFilePath(u"Vendra.lsk"_s);
}

void TStakesFile::open()
{
    close();
    m_lockedElsewhere = false;
    // The stakes are written into the file itself: never through a link to a file elsewhere, nor to a
    // device or a pipe, where they would be lost without a word.
    const QString problem = InPlaceFileProblem(m_fileName);
    if (!problem.isEmpty())
        throw EInOutError(Format(u"Не удалось открыть файл \"%s\": %s", {m_fileName, problem}));
    const int fd = OpenLocked(m_fileName, O_NOFOLLOW);
    if (fd < 0) {
        const int error = errno;
        m_lockedElsewhere = error == EWOULDBLOCK;
        if (error == EWOULDBLOCK)
            throw EInOutError(Format(u"Файл \"%s\" используется другой копией программы.", {m_fileName}));
        throw EInOutError(Format(u"Не удалось открыть файл \"%s\": %s", {m_fileName, SystemErrorText(error)}));
    }
    const QString irregular = InPlaceHandleReason(fd);
    if (!irregular.isEmpty()) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        throw EInOutError(Format(u"Не удалось открыть файл \"%s\": %s", {m_fileName, irregular}));
    }
    m_fd = fd;
    resetCache();
}

void TStakesFile::close()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
    resetCache();
}

bool TStakesFile::reopen()
{
    // While the open stream is still the file of that name, the lock is kept: closing and opening
    // again would leave a moment in which a second copy of the program could take the file.
    if (m_fd >= 0) {
        struct stat held {};
        struct stat named {};
        if (::fstat(m_fd, &held) == 0 && ::stat(QFile::encodeName(m_fileName).constData(), &named) == 0
            && held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            resetCache();
            return true;
        }
    }
    close();
    try {
        open();
    } catch (const Exception &e) {
        ShowFailure(u"Ошибка чтения файла ставок!\r\r%s", e.message());
        return false;
    }
    return true;
}

void TStakesFile::resetCache()
{
    m_cacheValid = false;
    m_cacheIndex = -1;
    m_cacheOrigin = TStakeOrigin::Begin;
    m_cacheRec = TStakeRec{};
}

void TStakesFile::requireOpen() const
{
    if (m_fd < 0)
        RaiseNotOpen();
}

int64_t TStakesFile::sizeBytes() const
{
    if (m_fd < 0)
        return 0;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        throw EInOutError(SystemErrorText(errno));
    return static_cast<int64_t>(st.st_size);
}

int64_t TStakesFile::count() const
{
    return sizeBytes() / kStakeRecSize;
}

bool TStakesFile::load(const QString &failureNote)
{
    bool ok = true;
    BusySection busy;
    SetStatusText(Tr(u"Загрузка файла ставок..."));
    try {
        open();
        repairOnLoad();
    } catch (const std::exception &e) {
        if (!m_lockedElsewhere) {
            QString text = ExceptionText(e);
            if (!failureNote.isEmpty())
                text += u"\r\r"_s + failureNote;
            ShowFailure(u"Ошибка чтения файла ставок!\r\r%s", text);
        }
        ok = false;
    }
    SetStatusText(QString());
    return ok;
}

void TStakesFile::repairOnLoad()
{
    const int64_t size = sizeBytes();
    if (size == 0)
        return;
    // Far above what stakes fill: neither copied nor cut, nor taken as stakes.
    if (size > FileBounds::kStakes)
        throw EInOutError(Format(u"Файл ставок слишком велик: %s (допускается не более %d). Файл оставлен "
                                 u"без изменений.",
                                 {BytesText(size), static_cast<long long>(FileBounds::kStakes)}));
    // Every record such as the program writes is kept; the others, and a last record cut short, are
    // left out.
    int64_t bad = 0;
    QStringList notes;
    forEachRecord(0, [&](int64_t index, const TStakeRec &rec) {
        const QString problem = StakeRecordProblem(rec);
        if (!problem.isEmpty() && bad++ < kMaxStakeNotes)
            notes << Format(u"запись %d: %s", {static_cast<long long>(index + 1), problem});
        return true;
    });
    const int64_t records = size / kStakeRecSize;
    const int64_t tail = size % kStakeRecSize;
    if (bad == 0 && tail == 0)
        return;

    // Keep a copy of what is about to be cut; without it nothing is cut.
    TDamagedFileCopy copy;
    try {
        copy = KeepDamagedFileCopy(
            m_fileName, [this, size](const QString &name) { return sameBytesAs(name, size); },
            [this, size](TExclusiveTempFile &temp) { copyTo(temp.handle(), size); });
    } catch (const std::exception &e) {
        throw EInOutError(Format(u"Файл ставок поврежден, а его копию сохранить не удалось, поэтому он "
                                 u"оставлен без изменений.\r\r%s",
                                 {ExceptionText(e)}));
    }

    const int64_t kept = records - bad;
    if (kept == 0) {
        ShowWarningBox(Format(u"Обнаружен файл ставок устаревшей версии - имеющиеся в файле ставки будут удалены!\r\r%s",
                              {copy.text()}));
    } else if (bad == 0) {
        ShowWarningBox(Format(u"Последняя запись файла ставок повреждена (%s) и будет удалена!\r\r%s",
                              {BytesText(tail), copy.text()}));
    } else {
        ShowWarningBox(Format(u"%s\r%s%s\r\r%s",
                              {DamagedFileText(m_fileName, static_cast<int>(std::min<int64_t>(bad, INT_MAX)),
                                               kStakeRecSize, tail, static_cast<int>(std::min<int64_t>(kept, INT_MAX))),
                               notes.join(u'\r'), bad > notes.size() ? u"\r..."_s : QString(), copy.text()}));
    }
    if (bad > 0 && kept > 0) {
        rewriteKeepingOrRaise([](int64_t, const TStakeRec &rec) { return StakeRecordProblem(rec).isEmpty(); });
    } else if (::ftruncate(m_fd, static_cast<off_t>(kept > 0 ? size - tail : 0)) != 0) {
        throw EInOutError(SystemErrorText(errno));
    }
    resetCache();
}

bool TStakesFile::sameBytesAs(const QString &copyName, int64_t size) const
{
    QFile copy(copyName);
    if (copy.size() != size || !copy.open(QIODevice::ReadOnly))
        return false;
    QByteArray mine(kCopyChunk, '\0');
    for (int64_t at = 0; at < size; at += kCopyChunk) {
        const qint64 n = std::min<int64_t>(kCopyChunk, size - at);
        if (::pread(m_fd, mine.data(), static_cast<size_t>(n), static_cast<off_t>(at)) != n || copy.read(n) != mine.left(n))
            return false;
    }
    return true;
}

void TStakesFile::copyTo(int fd, int64_t size) const
{
    // Blocks of zeros are left as holes: a file of nothing but zeros takes no room in its copy either.
    QByteArray chunk(kCopyChunk, '\0');
    for (int64_t at = 0; at < size; at += kCopyChunk) {
        const int64_t n = std::min<int64_t>(kCopyChunk, size - at);
        if (::pread(m_fd, chunk.data(), static_cast<size_t>(n), static_cast<off_t>(at)) != n)
            throw EInOutError(SystemErrorText(errno));
        if (std::any_of(chunk.constData(), chunk.constData() + n, [](char c) { return c != 0; }))
            pwriteAll(fd, chunk.constData(), n, at);
    }
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0)
        throw EInOutError(SystemErrorText(errno));
}

void TStakesFile::closeForShutdown()
{
    BusySection busy;
    SetStatusText(Tr(u"Сохранение файла ставок..."));
    close();
    SetStatusText(QString());
}

TStakeRec TStakesFile::readRecord(TStakeOrigin origin, int64_t index)
{
    if (m_cacheValid && index == m_cacheIndex && origin == m_cacheOrigin)
        return m_cacheRec;
    requireOpen();
    const int64_t size = sizeBytes();
    if (index < -(INT64_MAX / kStakeRecSize) || index > INT64_MAX / kStakeRecSize)
        RaiseNoRecord(index);
    // From the end, whole records only: a torn tail is not a record.
    const int64_t position = (origin == TStakeOrigin::Begin ? index : count() + index) * kStakeRecSize;
    if (position < 0 || position + kStakeRecSize > size)
        RaiseNoRecord(index);
    char bytes[kStakeRecSize];
    const ssize_t got = ::pread(m_fd, bytes, kStakeRecSize, static_cast<off_t>(position));
    if (got < 0)
        throw EInOutError(SystemErrorText(errno));
    if (got != kStakeRecSize)
        RaiseNoRecord(index);
    m_cacheRec = ReadStakeRecord(bytes);
    m_cacheIndex = index;
    m_cacheOrigin = origin;
    m_cacheValid = true;
    return m_cacheRec;
}

bool TStakesFile::readStake(TStakeOrigin origin, TStakeRec &rec, int64_t index)
{
    try {
        rec = readRecord(origin, index);
        return true;
    } catch (const Exception &e) {
        rec = TStakeRec{};
        rec.version = 0;
        ShowFailure(u"Ошибка чтения записи из файла ставок!\r\r%s", e.message());
        return false;
    }
}

void TStakesFile::pwriteAll(int fd, const char *data, int64_t size, int64_t offset) const
{
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, data, static_cast<size_t>(size), static_cast<off_t>(offset));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            NoteFileWriteFailure();
            throw EInOutError(SystemErrorText(error));
        }
        data += done;
        size -= done;
        offset += done;
    }
}

void TStakesFile::writeRecord(int64_t index, const TStakeRec &rec)
{
    requireOpen();
    if (index < 0 || index >= count())
        RaiseNoRecord(index);
    char bytes[kStakeRecSize];
    WriteStakeRecord(rec, bytes);
    resetCache();
    pwriteAll(m_fd, bytes, kStakeRecSize, index * kStakeRecSize);
}

bool TStakesFile::appendStake(const TStakeRec &rec)
{
    try {
        requireOpen();
        char bytes[kStakeRecSize];
        WriteStakeRecord(rec, bytes);
        // Whole records only: a torn tail left by an earlier failure is overwritten.
        const int64_t position = count() * kStakeRecSize;
        if (position + kStakeRecSize > FileBounds::kStakes)
            throw EInOutError(Tr(u"Файл ставок достиг предельного размера, новые ставки в него не добавляются. "
                                 u"Удалите ненужные ставки."));
        resetCache();
        try {
            pwriteAll(m_fd, bytes, kStakeRecSize, position);
        } catch (...) {
            // Leave no part of the failed record behind.
            if (::ftruncate(m_fd, static_cast<off_t>(position)) != 0) {
            }
            throw;
        }
        return true;
    } catch (const Exception &e) {
        ShowFailure(u"Ошибка добавления записи в файл ставок!\r\r%s", e.message());
        return false;
    }
}

int TStakesFile::readBlock(int64_t first, int maxCount, QByteArray &buffer) const
{
    requireOpen();
    const int64_t total = count();
    if (first < 0 || first >= total || maxCount <= 0) {
        buffer.clear();
        return 0;
    }
    const int n = static_cast<int>(std::min<int64_t>(maxCount, total - first));
    buffer.resize(static_cast<qsizetype>(n) * kStakeRecSize);
    int64_t done = 0;
    const int64_t want = buffer.size();
    while (done < want) {
        const ssize_t got = ::pread(m_fd, buffer.data() + done, static_cast<size_t>(want - done),
                                    static_cast<off_t>(first * kStakeRecSize + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError(SystemErrorText(errno));
        }
        if (got == 0)
            break;
        done += got;
    }
    const int records = static_cast<int>(done / kStakeRecSize);
    buffer.resize(static_cast<qsizetype>(records) * kStakeRecSize);
    return records;
}

void TStakesFile::forEachRecord(int64_t first,
                                const std::function<bool(int64_t index, const TStakeRec &rec)> &visit) const
{
    QByteArray buffer;
    int64_t index = std::max<int64_t>(first, 0);
    for (;;) {
        const int n = readBlock(index, kBlockRecords, buffer);
        if (n == 0)
            return;
        for (int i = 0; i < n; ++i, ++index)
            if (!visit(index, ReadStakeRecord(buffer.constData() + static_cast<qsizetype>(i) * kStakeRecSize)))
                return;
    }
}

bool TStakesFile::appendStakeForDraws(const TStakeRec &rec, int draws)
{
    try {
        requireOpen();
        if (rec.isChecked())
            throw Exception(Tr(u"Добавление в конец файла уже проверенной ставки!"));
        if (draws < 2) {
            if (!appendStake(rec))
                return false;
            return true;
        }
        if (static_cast<int64_t>(rec.drawNumber) + draws - 1 > INT32_MAX)
            throw Exception(Format(u"Номер тиража %d вне допустимого диапазона!",
                                   {static_cast<long long>(rec.drawNumber) + draws - 1}));
        for (int i = 1; i <= draws; ++i) {
            if (count() > 0 && readRecord(TStakeOrigin::End, -1).drawNumber > 0)
                if (!appendStake(EmptyStakeRecord()))
                    return false;
            TStakeRec copy = rec;
            copy.drawNumber = rec.drawNumber + i - 1;
            if (!appendStake(copy))
                return false;
        }
        return true;
    } catch (const Exception &e) {
        ShowFailure(u"Ошибка добавления записи в файл ставок!\r\r%s", e.message());
        return false;
    }
}

bool TStakesFile::findStake(int32_t drawNumber, const TNumSet &numbers)
{
    try {
        requireOpen();
        bool found = false;
        forEachRecord(0, [&](int64_t, const TStakeRec &rec) {
            found = rec.drawNumber == drawNumber && NumSetsEqual(rec.numbers, numbers);
            return !found;
        });
        return found;
    } catch (const Exception &e) {
        ShowFailure(u"Ошибка поиска записи в файле ставок!\r\r%s", e.message());
        return false;
    }
}

bool TStakesFile::rewriteKeeping(const std::function<bool(int64_t index, const TStakeRec &rec)> &keep)
{
    try {
        rewriteKeepingOrRaise(keep);
        return true;
    } catch (const Exception &e) {
        resetCache();
        ShowFailure(u"Ошибка удаления записи из файла ставок!\r\r%s", e.message());
        return false;
    }
}

void TStakesFile::rewriteKeepingOrRaise(const std::function<bool(int64_t index, const TStakeRec &rec)> &keep)
{
    const QString tempName = TempFileName(m_fileName);
    const QString tempPath = QFileInfo(m_fileName).dir().filePath(tempName);
    if (count() == 0)
        RaiseNotOpen();
    // Created anew and exclusively: a left-over file or a link of that name is removed first, so the
    // kept stakes can never be written through a link to a file elsewhere.
    // The new file replaces the very file held open, in its folder: anything that came to stand
    // under the name meanwhile is never replaced.
    std::optional<TExclusiveTempFile> temp;
    try {
        temp.emplace(TExclusiveTempFile::named(tempName, TWriteTarget::held(m_fileName, m_fd)));
    } catch (const EFileWriteError &e) {
        throw EInOutError(Format(u"Не удалось создать файл \"%s\": %s", {tempPath, e.reason()}));
    }
    const int tempFd = temp->handle();
    if (::flock(tempFd, LOCK_EX | LOCK_NB) != 0)
        throw EInOutError(Format(u"Не удалось создать файл \"%s\": %s", {tempPath, SystemErrorText(errno)}));

    // Copy the kept records block by block.
    QByteArray in;
    QByteArray out;
    int64_t index = 0;
    int64_t written = 0;
    for (;;) {
        const int n = readBlock(index, kBlockRecords, in);
        if (n == 0)
            break;
        out.resize(0);
        for (int i = 0; i < n; ++i, ++index) {
            const char *bytes = in.constData() + static_cast<qsizetype>(i) * kStakeRecSize;
            if (keep(index, ReadStakeRecord(bytes)))
                out.append(bytes, kStakeRecSize);
        }
        pwriteAll(tempFd, out.constData(), out.size(), written);
        written += out.size();
    }
    // The new file takes the old one's place in one step; it is locked already, so the folder is
    // never without a locked stakes file.
    int newFd = -1;
    try {
        newFd = temp->commitAndRelease();
    } catch (const EFileWriteError &e) {
        throw EInOutError(Format(u"Ошибка переименования / удаления временного файла ставок %s!\r\r%s",
                                 {tempPath, e.reason()}));
    }
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = newFd;
    resetCache();
}

bool TStakesFile::deleteRows(int64_t topRow, int64_t bottomRow)
{
    return rewriteKeeping([=](int64_t index, const TStakeRec &) {
        const int64_t row = index + 1;
        return row < topRow || row > bottomRow;
    });
}

bool TStakesFile::deleteByCondition(int condition, int value)
{
    return rewriteKeeping([=](int64_t, const TStakeRec &rec) {
        if (rec.kind == STAKE_SEPARATOR)
            return true;
        const int m = rec.matchCount();
        switch (condition) {
        case 0: return m != value;
        case 1: return m <= value;
        case 2: return m < value;
        case 3: return m >= value;
        case 4: return m > value;
        default: return true;
        }
    });
}

void TStakesFile::clear()
{
    requireOpen();
    resetCache();
    if (::ftruncate(m_fd, 0) != 0)
        throw EInOutError(SystemErrorText(errno));
}

TStakesFile::TCheckedDraws TStakesFile::countCheckedDraws(int limit) const
{
    TCheckedDraws result;
    int64_t lastCounted = 0;
    bool any = false;
    QByteArray buffer;
    int64_t end = count();
    while (end > 0) {
        const int64_t first = std::max<int64_t>(0, end - kBlockRecords);
        const int n = readBlock(first, static_cast<int>(end - first), buffer);
        for (int i = n - 1; i >= 0; --i) {
            const TStakeRec rec = ReadStakeRecord(buffer.constData() + static_cast<qsizetype>(i) * kStakeRecSize);
            if (rec.drawNumber < 1 || !rec.isChecked() || rec.matchCount() < 0)
                continue;
            if (any && rec.drawNumber == lastCounted)
                continue;
            if (result.count >= limit) {
                result.startIndex = first + i + 1;
                return result;
            }
            ++result.count;
            lastCounted = rec.drawNumber;
            any = true;
        }
        end = first;
    }
    result.startIndex = 0;
    return result;
}
