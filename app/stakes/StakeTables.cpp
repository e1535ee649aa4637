#include "app/stakes/StakeTables.h"

#include "common/RegularFile.h"
#include "common/AtomicFile.h"
#include "common/BusyCursor.h"
#include "common/Cp1251.h"
#include "common/DamagedFile.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/Translate.h"
#include "lottery/DrawTexts.h"
#include "lottery/NumberGeometry.h"
#include "app/draws/DrawsArchive.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Field offsets of the record.
constexpr int kOffName = 0;
constexpr int kOffMode = 256;
constexpr int kOffStart = 257;
constexpr int kOffCurrent = 263;
constexpr int kOffStep = 272;
constexpr int kOffStakesMade = 276;
static_assert(kOffName + 1 + kTableNameMax == kOffMode, "the name fills the first 256 bytes");
static_assert(kOffStakesMade + 4 == kTableRecSize, "the count of stakes ends the record");

struct StatusScope {
    explicit StatusScope(const QString &text) { SetStatusText(text); }
    ~StatusScope() { SetStatusText({}); }
};

// Six different numbers 1..45.
bool ValidComb(const TComb &comb)
{
    bool seen[kMaxNumber + 1] = {};
    for (uint8_t n : comb.n) {
        if (n < 1 || n > kMaxNumber || seen[n])
            return false;
        seen[n] = true;
    }
    return true;
}

} // namespace

TTableBytes TableToBytes(const TTableRec &table)
{
    TTableBytes bytes{};
    char *p = reinterpret_cast<char *>(bytes.data());
    const QByteArray name = Cp1251::encode(table.name).left(kTableNameMax);
    bytes[kOffName] = static_cast<uint8_t>(name.size());
    std::memcpy(p + kOffName + 1, name.constData(), static_cast<size_t>(name.size()));
    bytes[kOffMode] = table.mode;
    std::copy(table.start.n.begin(), table.start.n.end(), bytes.begin() + kOffStart);
    std::copy(table.current.n.begin(), table.current.n.end(), bytes.begin() + kOffCurrent);
    qToLittleEndian<int32_t>(table.step, p + kOffStep);
    qToLittleEndian<int32_t>(table.stakesMade, p + kOffStakesMade);
    return bytes;
}

TTableRec TableFromBytes(const char *bytes)
{
    TTableRec table;
    const auto *b = reinterpret_cast<const uint8_t *>(bytes);
    table.name = Cp1251::decode(bytes + kOffName + 1, b[kOffName]);
    table.mode = b[kOffMode];
    std::copy(b + kOffStart, b + kOffStart + kMainCount, table.start.n.begin());
    std::copy(b + kOffCurrent, b + kOffCurrent + kMainCount, table.current.n.begin());
    table.step = qFromLittleEndian<int32_t>(bytes + kOffStep);
    table.stakesMade = qFromLittleEndian<int32_t>(bytes + kOffStakesMade);
    return table;
}

QByteArray SerializeTables(const TTablesArray &tables)
{
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(tables.size()) * kTableRecSize);
    for (const TTableRec &t : tables) {
        const TTableBytes b = TableToBytes(t);
        bytes.append(reinterpret_cast<const char *>(b.data()), kTableRecSize);
    }
    return bytes;
}

TTablesArray ParseTables(const QByteArray &bytes)
{
    TTablesArray tables;
    const qsizetype count = bytes.size() / kTableRecSize;
    tables.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i)
        tables.push_back(TableFromBytes(bytes.constData() + i * kTableRecSize));
    return tables;
}

bool IsSoundTable(const char *bytes)
{
    const auto *b = reinterpret_cast<const uint8_t *>(bytes);
    const int nameLength = b[kOffName];
    if (nameLength < 1)
        return false;
    for (int i = 1; i <= nameLength; ++i)
        if (b[kOffName + i] < 0x20 || b[kOffName + i] == 0x7F)
            return false;
    const TTableRec table = TableFromBytes(bytes);
    if (table.step < -kTableStepMax || table.step > kTableStepMax || table.stakesMade < 0)
        return false;
    switch (table.mode) {
    case tmFixedStart:
        return ValidComb(table.start) && ValidComb(table.current);
    case tmLatestDraw:
        return table.current == TComb{} || ValidComb(table.current);
    default:
        return false;
    }
}

TTablesRead ReadTablesBytes(const QByteArray &bytes)
{
    TTablesRead read;
    const qsizetype count = bytes.size() / kTableRecSize;
    for (qsizetype i = 0; i < count; ++i) {
        const char *record = bytes.constData() + i * kTableRecSize;
        if (IsSoundTable(record))
            read.tables.push_back(TableFromBytes(record));
        else
            ++read.badRecords;
    }
    read.tailBytes = static_cast<int>(bytes.size() - count * kTableRecSize);
    return read;
}

QString TableCombText(const TComb &comb)
{
    return CombToText(comb);
}

TTableStep StepTable(TTableRec &table, const TDrawsArray &draws, int offset)
{
    TComb base = table.current;
    if (table.mode == tmLatestDraw) {
        const int index = static_cast<int>(draws.size()) - 1 - offset;
        if (offset < 0 || index < 0)
            return TTableStep::NoDraw;
        base = DrawToComb(draws[static_cast<size_t>(index)]);
    }
    // Moving every number by one step keeps different numbers different, so a sound base gives a
    // sound stake; a damaged one is refused before it makes anything.
    if (!ValidComb(base))
        return TTableStep::BadNumbers;
    TComb next = ShiftComb(base, table.step);
    SortComb(next);
    table.current = next;
    // The count stops at its largest value rather than turn negative.
    if (table.stakesMade < std::numeric_limits<int32_t>::max())
        table.stakesMade += 1;
    return TTableStep::Stepped;
}

TTableStep MakeTableStake(TTableRec &table, const TDrawsArray &draws, int offset, int sampleSize,
                          const TConfigData &config, TStakeRec &stake)
{
    const int drawNumber = NextDrawNumber(draws, offset);
    if (drawNumber < 1)
        return TTableStep::NoDraw;
    TTableRec stepped = table;
    const TTableStep result = StepTable(stepped, draws, offset);
    if (result != TTableStep::Stepped)
        return result;
    table = stepped;

    stake = TStakeRec{};
    stake.version = kStakeVersion;
    stake.kind = STAKE_REGULAR;
    stake.drawNumber = drawNumber;
    stake.setComment(table.name);
    stake.checked = 0;
    stake.sampleSize = sampleSize;
    stake.numbers = CombToNumSet(table.current);
    stake.matches.count = -1;
    stake.profit = StakeProfit(config, kMainCount, -1);
    return TTableStep::Stepped;
}

QString TableStepMessage(TTableStep result, const TTableRec &table)
{
    switch (result) {
    case TTableStep::Stepped:
        return {};
    case TTableStep::NoDraw:
        return Format(u"Для регулярной ставки \"%s\" в архиве нет нужного тиража: ставка не сделана!", {table.name});
    case TTableStep::BadNumbers:
        return Format(u"Регулярная ставка \"%s\" дает некорректную комбинацию: ставка не сделана!", {table.name});
    }
    return {};
}

bool TableStartTyped(int mode, int selectedCount)
{
    return mode == tmFixedStart && selectedCount <= 1;
}

bool ReadTableStart(const QString &text, TComb &start)
{
    TNumSet numbers;
    if (!ParseStakeNumbers(text, numbers))
        return false;
    std::copy(numbers.numbers.begin(), numbers.numbers.begin() + kMainCount, start.n.begin());
    return true;
}

TTableInputCheck CheckTableInput(const QString &comment, int mode, const QString &startText, int selectedCount,
                                 const QStringList &existingNames, TComb &start)
{
    if (TableStartTyped(mode, selectedCount) && !ReadTableStart(startText, start))
        return TTableInputCheck::BadCombination;
    // Names are compared as they are stored, trimmed: " A" is "A".
    const QString name = comment.trimmed();
    if (name.isEmpty())
        return TTableInputCheck::NoComment;
    if (std::any_of(existingNames.begin(), existingNames.end(),
                    [&](const QString &existing) { return existing.trimmed() == name; }))
        return TTableInputCheck::DuplicateName;
    return TTableInputCheck::Ok;
}

TTablesArray NewTables(const TTableRec &entered, const std::vector<TSelectedComb> &selected)
{
    TTablesArray tables;
    const QString name = entered.name.trimmed();
    if (entered.mode == tmFixedStart && selected.size() > 1) {
        for (const TSelectedComb &s : selected) {
            TTableRec t = entered;
            t.name = name + Format(u" (%d)", {static_cast<long long>(s.row + 1)});
            t.start = s.comb;
            SortComb(t.start);
            t.current = t.start;
            t.stakesMade = 0;
            tables.push_back(t);
        }
        return tables;
    }
    TTableRec t = entered;
    t.name = name;
    if (t.mode != tmFixedStart)
        t.start = TComb{};
    t.current = t.start;
    t.stakesMade = 0;
    tables.push_back(t);
    return tables;
}

int TablesTestMaximum(int drawsCount)
{
    // Each test takes a draw of the archive as the next one and needs one before it: fewer than two
    // draws leave nothing to test.
    return drawsCount >= 2 ? drawsCount - 1 : 0;
}

TTablesTestResult RunTablesTest(TTablesArray &tables, const std::vector<int> &selected, int count,
                                const TTablesTestLinks &links)
{
    TTablesTestResult result;
    struct OffsetRestore {
        const TTablesTestLinks &links;
        ~OffsetRestore()
        {
            if (links.setOffset)
                links.setOffset(links.initialOffset);
        }
    } restore{links};

    const TDrawsArray &draws = *links.draws;
    count = std::min(count, TablesTestMaximum(static_cast<int>(draws.size())));
    for (int offset = count; offset >= 1 && !result.stopped; --offset) {
        if (links.setOffset)
            links.setOffset(offset);
        for (int index : selected) {
            if (index < 0 || index >= static_cast<int>(tables.size()))
                continue;
            TTableRec &table = tables[static_cast<size_t>(index)];
            TStakeRec stake;
            const TTableStep step = MakeTableStake(table, draws, offset, links.sampleSize, *links.config, stake);
            if (step != TTableStep::Stepped) {
                result.stopped = true;
                result.message = TableStepMessage(step, table);
                break;
            }
            if (!links.addStake(stake)) {
                result.stopped = true;
                break;
            }
            ++result.added;
        }
    }
    return result;
}

// ---- The tables file ----

TStakeTables::TStakeTables(QString fileName)
    : m_fileName(fileName.isEmpty() ? DefaultFileName() : std::move(fileName))
{
}

QString TStakeTables::DefaultFileName()
{
    return ProgramFilePath(u"Vendra.ltb"_s);
}

QStringList TStakeTables::names() const
{
    QStringList list;
    for (const TTableRec &t : m_items)
        list << t.name;
    return list;
}

bool TStakeTables::Load()
{
    m_saveBlocked = false;
    if (!QFileInfo::exists(m_fileName))
        return true;
    BusySection busy;
    StatusScope status(Tr(u"Загрузка файла регулярных ставок..."));
    QByteArray bytes;
    try {
        ReadRegularFile(m_fileName, FileBounds::kTables, bytes);
    } catch (const EFileReadError &e) {
        m_saveBlocked = true;
        ShowErrorBox(Format(u"Ошибка чтения файла регулярных ставок!\r\r%s", {e.message()}));
        MarkFileReadFailureReported(e.path()); // named here, not again at the end of a run
        return false;
    }
    TTablesRead read = ReadTablesBytes(bytes);
    m_items = std::move(read.tables);
    if (!read.damaged())
        return true;

    // A damaged file: its sound records are kept, and the file as found is kept beside it before
    // anything is written over it.
    const QString damage = DamagedFileText(m_fileName, read.badRecords, kTableRecSize, read.tailBytes, count());
    QString reason, note;
    if (KeepDamagedFileCopy(m_fileName, bytes, note)) {
        reason = damage + u"\r\r"_s + note;
    } else {
        m_saveBlocked = true;
        reason = damage + u"\r\r"_s +
                 Format(u"Его копию сохранить не удалось, поэтому он не будет перезаписан.\r\r%s", {note});
    }
    ShowErrorBox(Format(u"Ошибка чтения файла регулярных ставок!\r\r%s", {reason}));
    return false;
}

bool TStakeTables::Save()
{
    BusySection busy;
    StatusScope status(Tr(u"Сохранение файла регулярных ставок..."));
    if (m_saveBlocked) {
        // The file on disk holds tables this run could not read: it is kept as it is.
        ShowErrorBox(Format(u"Ошибка записи в файл регулярных ставок!\r\r%s",
                            {Format(u"Файл \"%s\" не был прочитан и не будет перезаписан.", {m_fileName})}));
        return false;
    }
    try {
        WriteFileAtomically(m_fileName, SerializeTables(m_items));
    } catch (const std::exception &e) {
        ShowErrorBox(Format(u"Ошибка записи в файл регулярных ставок!\r\r%s", {ExceptionText(e)}));
        return false;
    }
    return true;
}

void TStakeTables::Delete(int index)
{
    if (index < 0 || index >= count())
        throw Exception(Format(u"Запись со индексом %d в файле данных не найдена!", {index}));
    m_items.erase(m_items.begin() + index);
}
