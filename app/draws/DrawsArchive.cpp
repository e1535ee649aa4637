#include "app/draws/DrawsArchive.h"

#include "common/AtomicFile.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "lottery/DrawDates.h"
#include "lottery/DrawTexts.h"

#include <QtEndian>
#include <algorithm>
#include <cstdint>

void ReadDrawRecord(const char *bytes, TDrawRec &draw)
{
    draw.number = qFromLittleEndian<int32_t>(bytes);
    for (int i = 0; i < kMainCount; ++i)
        draw.main[static_cast<size_t>(i)] = static_cast<uint8_t>(bytes[4 + i]);
    for (int i = 0; i < kExtraCount; ++i)
        draw.extra[static_cast<size_t>(i)] = static_cast<uint8_t>(bytes[10 + i]);
    // A damaged length byte never reads past the date field.
    draw.dateLen = std::min<uint8_t>(static_cast<uint8_t>(bytes[12]), kDrawDateMaxLen);
    draw.date.fill(0);
    std::copy(bytes + 13, bytes + 13 + draw.dateLen, draw.date.begin());
}

void WriteDrawRecord(const TDrawRec &draw, char *bytes)
{
    std::fill(bytes, bytes + kDrawRecordSize, 0);
    qToLittleEndian<int32_t>(draw.number, bytes);
    for (int i = 0; i < kMainCount; ++i)
        bytes[4 + i] = static_cast<char>(draw.main[static_cast<size_t>(i)]);
    for (int i = 0; i < kExtraCount; ++i)
        bytes[10 + i] = static_cast<char>(draw.extra[static_cast<size_t>(i)]);
    const uint8_t len = std::min<uint8_t>(draw.dateLen, kDrawDateMaxLen);
    bytes[12] = static_cast<char>(len);
    std::copy(draw.date.begin(), draw.date.begin() + len, bytes + 13);
}

TDrawsArray ParseDrawsFile(const QByteArray &bytes)
{
    TDrawsArray draws(static_cast<size_t>(bytes.size() / kDrawRecordSize));
    for (size_t i = 0; i < draws.size(); ++i)
        ReadDrawRecord(bytes.constData() + i * kDrawRecordSize, draws[i]);
    return draws;
}

QByteArray SerializeDraws(const TDrawsArray &draws)
{
    QByteArray bytes(static_cast<qsizetype>(draws.size()) * kDrawRecordSize, '\0');
    for (size_t i = 0; i < draws.size(); ++i)
        WriteDrawRecord(draws[i], bytes.data() + i * kDrawRecordSize);
    return bytes;
}

int FindDrawIndex(const TDrawsArray &draws, int32_t number)
{
    const int count = static_cast<int>(draws.size());
    if (count == 0)
        return -1;
    const int last = count - 1;
    if (draws.front().number == number)
        return 0;
    if (draws.back().number == number)
        return last;
    const int64_t first = draws.front().number;
    const int64_t span = static_cast<int64_t>(draws.back().number) - first + 1;
    if (span > 1) {
        // Interpolate on an ascending archive, then walk towards the number.
        int64_t estimate = count * (static_cast<int64_t>(number) - first) / span;
        if (estimate < 0 || estimate > last)
            estimate = last;
        int i = static_cast<int>(estimate);
        if (draws[static_cast<size_t>(i)].number == number)
            return i;
        const int step = number > draws[static_cast<size_t>(i)].number ? 1 : -1;
        for (i += step; i >= 0 && i <= last; i += step)
            if (draws[static_cast<size_t>(i)].number == number)
                return i;
    }
    for (int i = last; i >= 0; --i)
        if (draws[static_cast<size_t>(i)].number == number)
            return i;
    return -1;
}

int NextDrawNumber(const TDrawsArray &draws, int index)
{
    if (draws.empty())
        return 1;
    const int i = static_cast<int>(draws.size()) - 1 - index;
    if (index < 0 || i < 0)
        return -1;
    // A damaged number near the top of the range gives the largest number, never an overflow.
    return static_cast<int>(std::min<int64_t>(int64_t(draws[static_cast<size_t>(i)].number) + 2, INT32_MAX));
}

QString DrawNumbersText(const TDrawsArray &draws, int index)
{
    const int count = static_cast<int>(draws.size());
    if (count == 0 || index < 1 || index > count - 1)
        return {};
    return CombToText(DrawToComb(draws[static_cast<size_t>(count - index)]));
}

int DrawDateYMD(const TDrawsArray &draws, int index, int days)
{
    constexpr int kNoDate = 20011201;
    const int count = static_cast<int>(draws.size());
    const int i = count - 1 - index;
    if (count == 0 || index < 0 || i < 0)
        return kNoDate;
    try {
        const TDateTime date = TextToDrawDate(draws[static_cast<size_t>(i)].dateText());
        if (date <= 0)
            return kNoDate;
        return DateToYMD(date + days);
    } catch (const Exception &) {
        return kNoDate;
    }
}

namespace {

// The rule itself: above the draw before, below the draw after (either may be missing).
QString NumberBetweenProblem(int32_t number, const TDrawRec *before, const TDrawRec *after)
{
    if (number < 1)
        return Format(u"Некорректный номер тиража: %d!", {number});
    if (before && number <= before->number)
        return Format(u"Номер тиража %d должен быть больше номера предыдущего тиража архива (%d)!",
                      {number, before->number});
    if (after && number >= after->number)
        return Format(u"Номер тиража %d должен быть меньше номера следующего тиража архива (%d)!",
                      {number, after->number});
    return {};
}

const TDrawRec *drawAt(const TDrawsArray &draws, int index)
{
    return index >= 0 && index < static_cast<int>(draws.size()) ? &draws[static_cast<size_t>(index)] : nullptr;
}

} // namespace

QString DrawNumberPlaceProblem(const TDrawsArray &draws, int index, int32_t number)
{
    return NumberBetweenProblem(number, drawAt(draws, index - 1), drawAt(draws, index + 1));
}

QString RisingDrawsProblem(const TDrawsArray &draws, const TDrawsArray &incoming)
{
    const TDrawRec *before = draws.empty() ? nullptr : &draws.back();
    for (const TDrawRec &draw : incoming) {
        const QString problem = NumberBetweenProblem(draw.number, before, nullptr);
        if (!problem.isEmpty())
            return problem;
        before = &draw;
    }
    return {};
}

int DrawInsertIndex(const TDrawsArray &draws, int32_t number)
{
    const auto it = std::upper_bound(draws.begin(), draws.end(), number,
                                     [](int32_t n, const TDrawRec &d) { return n < d.number; });
    return static_cast<int>(it - draws.begin());
}

TDrawsArchive::TDrawsArchive(QString fileName) : m_fileName(std::move(fileName)) {}

void TDrawsArchive::load()
{
    m_draws.clear();
    ++m_revision;
    m_loadFailed = false;
    QByteArray bytes;
    try {
        if (!ReadRegularFile(m_fileName, FileBounds::kArchive, bytes))
            return;
    } catch (const EInOutError &) {
        m_loadFailed = true;
        throw;
    }
    TDrawsArray loaded = ParseDrawsFile(bytes);
    m_draws.swap(loaded);
}

void TDrawsArchive::save()
{
    if (m_loadFailed)
        throw Exception(Format(u"Файл тиражей \"%s\" не был прочитан при запуске программы, поэтому "
                               u"изменения не могут быть в него записаны (иначе архив тиражей был бы потерян).\r\r"
                               u"Закройте программу, проверьте файл и запустите программу снова.",
                               {m_fileName}));
    WriteFileAtomically(m_fileName, SerializeDraws(m_draws));
}

void TDrawsArchive::append(const TDrawRec &draw)
{
    appendAll({draw});
}

void TDrawsArchive::appendAll(const TDrawsArray &draws)
{
    const QString problem = RisingDrawsProblem(m_draws, draws);
    if (!problem.isEmpty())
        throw Exception(problem);
    m_draws.insert(m_draws.end(), draws.begin(), draws.end());
    ++m_revision;
}

void TDrawsArchive::insertInOrder(const TDrawsArray &draws)
{
    TDrawsArray merged = m_draws;
    for (const TDrawRec &draw : draws) {
        const int at = DrawInsertIndex(merged, draw.number);
        const QString problem = NumberBetweenProblem(draw.number, drawAt(merged, at - 1), drawAt(merged, at));
        if (!problem.isEmpty())
            throw Exception(problem);
        merged.insert(merged.begin() + at, draw);
    }
    m_draws.swap(merged);
    ++m_revision;
}

void TDrawsArchive::replace(int index, const TDrawRec &draw)
{
    if (index < 0 || index >= count())
        throw Exception(Format(u"Запись со индексом %d в файле данных не найдена!", {index}));
    const QString problem = DrawNumberPlaceProblem(m_draws, index, draw.number);
    if (!problem.isEmpty())
        throw Exception(problem);
    m_draws[static_cast<size_t>(index)] = draw;
    ++m_revision;
}

void TDrawsArchive::deleteDraw(int index)
{
    if (index < 0 || index >= count())
        throw Exception(Format(u"Запись со индексом %d в файле данных не найдена!", {index}));
    m_draws.erase(m_draws.begin() + index);
    ++m_revision;
}

void TDrawsArchive::clear()
{
    m_draws.clear();
    ++m_revision;
}
