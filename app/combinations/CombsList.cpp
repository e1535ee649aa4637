#include "app/combinations/CombsList.h"
#include "app/combinations/CombsOfNumbers.h"
#include "app/combinations/FullSetLookups.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/AtomicFile.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "common/TempFile.h"
#include "common/TextUtils.h"
#include "common/Translate.h"
#include "lottery/Combinatorics.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/KeyTable.h"
#include "app/combinations/ParallelWork.h"

#include <QFile>
#include <QStringDecoder>

#include <array>
#include <bit>
#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Bit n for each number of the game, 0 for every other byte value.
constexpr std::array<uint64_t, 256> kNumberBits = [] {
    std::array<uint64_t, 256> bits{};
    for (int n = 1; n <= kMaxNumber; ++n)
        bits[size_t(n)] = uint64_t(1) << n;
    return bits;
}();

QString exceptionText(const std::exception &e)
{
    // A file's own failure: the caller's message names the file already.
    if (const auto *read = dynamic_cast<const EFileReadError *>(&e))
        return read->reason();
    if (const auto *write = dynamic_cast<const EFileWriteError *>(&e))
        return write->reason();
    if (const auto *own = dynamic_cast<const Exception *>(&e))
        return own->message();
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return Tr(u"Недостаточно памяти");
    return QString::fromLocal8Bit(e.what());
}

// Clears the status text when the operation ends, however it ends.
struct StatusReset {
    bool active = true;
    ~StatusReset()
    {
        if (active)
            SetStatusText({});
    }
};

bool isBlankByte(char ch)
{
    return static_cast<unsigned char>(ch) <= ' ';
}

// A word of a file line as a number of the game; 0 for anything else.
int wordNumber(const char *begin, const char *end)
{
    if (begin < end && *begin == '+')
        ++begin;
    if (begin == end)
        return 0;
    int v = 0;
    for (const char *p = begin; p < end; ++p) {
        if (*p < '0' || *p > '9')
            return 0;
        v = v * 10 + (*p - '0');
        if (v > kMaxNumber)
            return 0;
    }
    return v;
}

enum class LineKind { Blank, Comb, Other };

LineKind parseLine(const char *begin, const char *end, TComb &comb)
{
    int words = 0;
    bool good = true;
    bool anyText = false;
    uint64_t seen = 0;
    const char *w = begin;
    for (const char *q = begin;; ++q) {
        const bool atEnd = q == end;
        if (!atEnd && *q != ',' && *q != ';') {
            anyText = anyText || !isBlankByte(*q);
            continue;
        }
        anyText = anyText || !atEnd;
        const char *e = q;
        while (w < e && isBlankByte(*w))
            ++w;
        while (e > w && isBlankByte(e[-1]))
            --e;
        if (w < e) {
            if (++words > kMainCount) {
                good = false;
                break;
            }
            const int n = wordNumber(w, e);
            const uint64_t bit = kNumberBits[size_t(n)];
            if (bit == 0 || (seen & bit)) {
                good = false;
            } else {
                seen |= bit;
                comb[size_t(words - 1)] = uint8_t(n);
            }
        }
        if (atEnd)
            break;
        w = q + 1;
    }
    if (!anyText)
        return LineKind::Blank;
    return good && words == kMainCount ? LineKind::Comb : LineKind::Other;
}

// Appends "n" or "nn".
char *putNumber(char *p, uint8_t n)
{
    if (n >= 100) {
        *p++ = char('0' + n / 100);
        n %= 100;
        *p++ = char('0' + n / 10);
    } else if (n >= 10) {
        *p++ = char('0' + n / 10);
    }
    *p++ = char('0' + n % 10);
    return p;
}

QString percentText(QStringView pattern, double percent)
{
    return Format(pattern, {percent});
}

} // namespace

// ---- Free routines ----

TRowRanges NormalizeRowRanges(TRowRanges ranges)
{
    std::erase_if(ranges, [](const TRowRange &r) { return r.last < r.first; });
    std::sort(ranges.begin(), ranges.end(), [](const TRowRange &a, const TRowRange &b) { return a.first < b.first; });
    TRowRanges joined;
    for (const TRowRange &r : ranges) {
        if (!joined.empty() && r.first <= joined.back().last + 1)
            joined.back().last = std::max(joined.back().last, r.last);
        else
            joined.push_back(r);
    }
    return joined;
}

int64_t RowRangesCount(const TRowRanges &ranges)
{
    int64_t n = 0;
    for (const TRowRange &r : ranges)
        n += std::max<int64_t>(0, r.last - r.first + 1);
    return n;
}

uint64_t CombMask(const TComb &comb)
{
    uint64_t m = 0;
    for (uint8_t n : comb.n) {
        const uint64_t bit = kNumberBits[n];
        if (bit == 0 || (m & bit))
            return 0;
        m |= bit;
    }
    return m;
}

bool IsValidComb(const TComb &comb)
{
    return CombMask(comb) != 0;
}

QString GenerateModeCaption(int mode)
{
    switch (mode) {
    case gmAll:
        return Tr(u"Полный список (все возможные для данного лото варианты)");
    case gmAnyOf:
        return Tr(u"Мои числа - должно присутствовать любое из указанных");
    case gmOnlyFrom:
        return Tr(u"Мои числа - комбинации только из списка указанных");
    case gmNoneOf:
        return Tr(u"Мои числа - исключить комбинации с любым из указанных");
    case gmFromFile:
        return Tr(u"Загрузить список из заранее подготовленного CSV-файла");
    default:
        return u"#ERROR#"_s;
    }
}

int NormalizeGenerateMode(int mode)
{
    return mode >= 0 && mode < kGenerateModeCount ? mode : gmAll;
}

uint64_t GenerateNumbersMask(QStringView parameters)
{
    uint64_t mask = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= parameters.size(); ++i) {
        if (i < parameters.size() && parameters[i] != u',' && parameters[i] != u';')
            continue;
        const int v = TextToIntZero(parameters.mid(start, i - start).trimmed());
        if (v >= 0 && v <= 255)
            mask |= kNumberBits[size_t(v)];
        start = i + 1;
    }
    return mask;
}

namespace {
// Calls the progress once every one per cent of a text of size characters.
class TextProgress {
public:
    TextProgress(qsizetype size, const TTextProgress &progress)
        : m_size(size), m_every(std::max<qsizetype>(size / 100, 1)), m_next(progress ? m_every : -1),
          m_progress(progress)
    {
    }
    void at(qsizetype pos)
    {
        if (m_next < 0 || pos < m_next)
            return;
        m_next = (pos / m_every + 1) * m_every;
        m_progress(double(pos) * 100.0 / double(std::max<qsizetype>(m_size, 1)));
    }

private:
    qsizetype m_size;
    qsizetype m_every;
    qsizetype m_next;
    const TTextProgress &m_progress;
};
} // namespace

TCombsTextResult ParseCombsText(const QByteArray &input, const TTextProgress &progress)
{
    QByteArray converted;
    const QByteArray *bytes = &input;
    qsizetype pos = 0;
    if (input.startsWith("\xFF\xFE") || input.startsWith("\xFE\xFF")) {
        // A text saved as UTF-16: its lines as UTF-8 (the decoder reads the byte order mark).
        QStringDecoder decoder(QStringDecoder::Utf16);
        converted = QString(decoder.decode(input)).toUtf8();
        bytes = &converted;
    } else if (input.startsWith("\xEF\xBB\xBF")) {
        pos = 3;
    }
    TCombsTextResult result;
    const char *const data = bytes->constData();
    const qsizetype size = bytes->size();
    // The shortest line that holds a combination is 11 characters and its line end.
    result.combs.reserve(size_t((size - pos) / 12 + 1));
    TextProgress report(size, progress);
    TComb comb;
    while (pos < size) {
        report.at(pos);
        qsizetype end = pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        switch (parseLine(data + pos, data + end, comb)) {
        case LineKind::Comb:
            result.combs.push_back(comb);
            break;
        case LineKind::Other:
            ++result.skipped;
            break;
        case LineKind::Blank:
            break;
        }
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            ++end;
        pos = end + 1;
    }
    return result;
}

QByteArray CombsToText(const TComb *combs, int64_t count)
{
    // Three characters per number at most, the separators and CR LF.
    QByteArray text(qsizetype(count * (kMainCount * 3 + 1)), Qt::Uninitialized);
    char *p = text.data();
    for (int64_t i = 0; i < count; ++i) {
        const TComb &c = combs[i];
        for (size_t k = 0; k < c.n.size(); ++k) {
            if (k > 0)
                *p++ = ';';
            p = putNumber(p, c.n[k]);
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    text.truncate(p - text.constData());
    return text;
}

TCombsArray ParsePastedCombs(QStringView text, const TTextProgress &progress)
{
    TCombsArray combs;
    TextProgress report(text.size(), progress);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\n' && text[i] != u'\r')
            continue;
        report.at(i);
        const QStringView line = text.mid(start, i - start);
        start = i + 1;
        if (!line.trimmed().isEmpty())
            combs.push_back(TextToComb(line));
    }
    return combs;
}

TStepProgress::TStepProgress(int64_t count, std::function<QString(double)> text)
    : m_count(count), m_every(std::max<int64_t>(1, count / 100)), m_text(std::move(text))
{
}

void TStepProgress::show(int64_t k)
{
    SetStatusText(m_text(double(k + 1) * 100.0 / double(std::max<int64_t>(1, m_count))));
}

// ---- The list ----

TCombsList::TCombsList(QObject *parent) : QObject(parent)
{
}

uint64_t TCombsList::NextRevision()
{
    static std::atomic<uint64_t> last{0};
    return ++last;
}

void TCombsList::ensureCapacity(int64_t n)
{
    if (capacity() < n)
        m_combs.resize(size_t(n));
}

void TCombsList::ClearCombs()
{
    replaced();
    m_fullSet = false;
    TCombsArray().swap(m_combs);
    m_count = 0;
}

void TCombsList::SetCombsCapacity(int64_t n, int64_t count)
{
    made();
    changed();
    m_fullSet = false;
    ensureCapacity(n);
    m_count = std::clamp<int64_t>(count, 0, capacity());
}

void TCombsList::FreeCombs()
{
    ClearCombs();
}

void TCombsList::append(const TComb &comb)
{
    made();
    changed();
    m_fullSet = false;
    if (m_count == capacity())
        m_combs.resize(m_combs.size() + 1);
    m_combs[size_t(m_count++)] = comb;
}

void TCombsList::assign(const TCombsArray &combs)
{
    replaced();
    m_fullSet = false;
    ensureCapacity(static_cast<int64_t>(combs.size()));
    std::copy(combs.begin(), combs.end(), m_combs.begin());
    m_count = static_cast<int64_t>(combs.size());
    emit listReplaced();
}

bool TCombsList::IsCombInList(const TComb &comb) const
{
    made();
    const auto end = m_combs.begin() + m_count;
    return std::find(m_combs.begin(), end, comb) != end;
}

// ---- Undo ----

void TCombsList::SaveUndo(bool interactive)
{
    std::optional<BusySection> busy;
    StatusReset reset{interactive};
    if (interactive) {
        busy.emplace();
        SetStatusText(Tr(u"Создание файла отката..."));
    }
    made();
    if (m_undo.size() < m_combs.size())
        m_undo.resize(m_combs.size());
    std::copy(m_combs.begin(), m_combs.begin() + m_count, m_undo.begin());
    m_undoCount = m_count;
}

void TCombsList::setCountFromUndo()
{
    replaced();
    m_fullSet = false;
    ensureCapacity(m_undoCount);
    std::copy(m_undo.begin(), m_undo.begin() + m_undoCount, m_combs.begin());
    m_count = m_undoCount;
}

void TCombsList::RestoreUndo(bool interactive)
{
    std::optional<BusySection> busy;
    StatusReset reset{interactive};
    if (interactive) {
        busy.emplace();
        SetStatusText(Tr(u"Отмена изменений..."));
    }
    setCountFromUndo();
    m_undoCount = 0;
    RefreshCombsCount();
}

void TCombsList::ClearUndo()
{
    TCombsArray().swap(m_undo);
    m_undoCount = 0;
}

void TCombsList::SetUndoCapacity(int64_t n, int64_t count)
{
    if (static_cast<int64_t>(m_undo.size()) < n)
        m_undo.resize(size_t(n));
    m_undoCount = std::clamp<int64_t>(count, 0, static_cast<int64_t>(m_undo.size()));
}

void TCombsList::ClearUndoCount()
{
    m_undoCount = 0;
}

// ---- Building the list ----

void TCombsList::generateAll()
{
    // Written when first read. Every combination has its place known from its first two numbers, so
    // the list is written on all cores, each pair of first numbers by one task, in the same order as
    // one pass would write it.
    const int64_t all = FullSetPrefixes().back().end;
    TUnwrittenWrite write;
    write.write = [all](TComb *out) {
        const std::vector<TFullSetPrefix> &prefixes = FullSetPrefixes();
        ParallelWork::run(int(prefixes.size()), [&prefixes, out](int task, int) {
            ForEachOfPrefix(prefixes[size_t(task)], [out](const TComb &c, int64_t i) { out[i] = c; });
        });
        return TCombsWritten{all, true};
    };
    assignUnwritten(all, nullptr, std::move(write));
    m_fullSet = true;
}

void TCombsList::assignUnwritten(int64_t count, std::shared_ptr<const void> state, TUnwrittenWrite write)
{
    replaced();
    ensureCapacity(count);
    m_count = count;
    m_fullSet = false;
    m_writer = std::move(write);
    m_writerState = std::move(state);
    m_pending.store(true, std::memory_order_release);
}

void TCombsList::assignChosen(const TNumbersChoice &choice, int64_t count, std::function<void()> fellBack,
                              const TWriteFault &fault)
{
    // The choice with its own weights and sums.
    struct Chosen {
        TNumbersChoice choice;
        std::array<uint8_t, kMaxNumber + 1> weight{};
        std::array<uint8_t, kWeightSums> sums{};
    };
    auto chosen = std::make_shared<Chosen>();
    chosen->choice = choice;
    if (choice.weight) {
        std::copy(choice.weight, choice.weight + kMaxNumber + 1, chosen->weight.begin());
        std::copy(choice.sums, choice.sums + kWeightSums, chosen->sums.begin());
        chosen->choice.weight = chosen->weight.data();
        chosen->choice.sums = chosen->sums.data();
    }
    TUnwrittenWrite write;
    write.write = [chosen, fault](TComb *out) { return WriteCombsOfNumbers(chosen->choice, out, {}, fault); };
    write.inOrder = [chosen](TComb *out, int64_t room) { return WriteCombsOfNumbersInOrder(chosen->choice, out, room); };
    write.fellBack = std::move(fellBack);
    assignUnwritten(count, chosen, std::move(write));
}

void TCombsList::writeUnwritten() const
{
    // Readers on several threads: one writes it, the others wait for it.
    const std::lock_guard<std::mutex> lock(m_making);
    if (!m_pending.load(std::memory_order_acquire))
        return;
    const TCombsWritten written = m_writer.write(m_combs.data());
    if ((!written.exact || written.count != m_count) && m_writer.inOrder) {
        // The write did not put in the list what was promised: the list is written again the plain
        // way, and holds what that counts.
        const int64_t n = m_writer.inOrder(m_combs.data(), capacity());
        if (n != m_count) {
            m_count = std::clamp<int64_t>(n, 0, capacity());
            m_revision = NextRevision();
        }
        if (m_writer.fellBack)
            m_writer.fellBack();
    }
    m_pending.store(false, std::memory_order_release);
}

void TCombsList::generateCombsOfNumbers(uint64_t allowed, uint64_t anyOf, bool requireAny)
{
    if (!requireAny && (allowed & kAllNumbers) == kAllNumbers) {
        generateAll();
        return;
    }
    m_fullSet = false;
    replaced();
    const TNumbersChoice choice{allowed, anyOf, requireAny};
    ensureCapacity(CountCombsOfNumbers(choice));
    const TCombsWritten written = WriteCombsOfNumbers(choice, m_combs.data());
    m_count = written.exact ? written.count
                            : std::min(WriteCombsOfNumbersInOrder(choice, m_combs.data(), capacity()), capacity());
    // Every combination in the order of generation: the full set.
    m_fullSet = m_count == CombinationCount(kMaxNumber, kMainCount);
}

bool TCombsList::GenerateCombinations(bool interactive, const TGenerateSettings &settings)
{
    std::optional<BusySection> busy;
    StatusReset reset{interactive};
    if (interactive) {
        busy.emplace();
        SetStatusText(Tr(u"Генерация возможных комбинаций..."));
    }
    bool ok = true;
    try {
        m_fullSet = false;
        const int mode = NormalizeGenerateMode(settings.Mode);
        if (mode == gmFromFile) {
            // A file that cannot be read leaves the list as it was.
            ok = LoadCombsFromText(settings.Parameters);
        } else {
            // Only the combinations the mode keeps are walked: the time goes with the list made.
            const uint64_t set = mode == gmAll ? 0 : GenerateNumbersMask(settings.Parameters) & kAllNumbers;
            switch (mode) {
            case gmAnyOf:
                generateCombsOfNumbers(kAllNumbers, set, true);
                break;
            case gmOnlyFrom:
                generateCombsOfNumbers(set, 0, false);
                break;
            case gmNoneOf:
                generateCombsOfNumbers(kAllNumbers & ~set, 0, false);
                break;
            default:
                generateCombsOfNumbers(kAllNumbers, 0, false);
                break;
            }
        }
    } catch (const std::exception &e) {
        ok = false;
        ShowErrorBox(Format(u"Ошибка генерации файла комбинаций!\r\r%s", {exceptionText(e)}));
    }
    if (ok)
        emit listReplaced();
    if (interactive) {
        if (ok) {
            ClearFilterLog();
            SetUndoCapacity(m_count, 0);
        } else {
            ClearUndoCount();
        }
        RefreshCombsCount();
    }
    return ok;
}

void TCombsList::RemoveLastDrawsCombs(int n, const TDrawsArray &draws, int drawsOffset)
{
    BusySection busy;
    StatusReset reset;
    SetStatusText(Format(u"Удаление из списка комбинаций %d последних тиражей...", {n}));

    // The n draws before the offset; none at all for n of 0.
    int64_t first = 0;
    int64_t last = -1;
    if (n > 0) {
        last = std::min<int64_t>(int64_t(draws.size()) - 1 - drawsOffset, int64_t(draws.size()) - 1);
        first = std::max<int64_t>(0, last - n + 1);
    }
    // A combination equals a draw when they share all six numbers: their masks are equal. A damaged
    // draw (a repeated number) equals no combination.
    TKeyTable<bool> drawMasks;
    drawMasks.reserve(size_t(std::max<int64_t>(0, last - first + 1)));
    for (int64_t i = first; i <= last; ++i)
        if (const uint64_t mask = CombMask(DrawToComb(draws[size_t(i)])); mask != 0)
            drawMasks[mask] = true;

    const QString pattern =
        Format(u"Удаление из списка комбинаций %d последних тиражей ( завершено %%.0f %%%% )...", {n});
    rebuildFromUndo([&drawMasks](const TComb &c) { return drawMasks.find(CombMask(c)) == nullptr; },
                    [&pattern](double percent) { return percentText(pattern, percent); });
    AddFilterLog(true, Tr(u"Последние тиражи"), QString::number(n));
    RefreshCombsCount();
}

void TCombsList::DeleteSelectedCombs(const TRowRanges &selected)
{
    BusySection busy;
    StatusReset reset;
    SetStatusText(Tr(u"Удаление выделенных комбинаций..."));

    TRowRanges rows = NormalizeRowRanges(selected);
    for (TRowRange &r : rows)
        r.last = std::min(r.last, m_undoCount - 1);
    std::erase_if(rows, [](const TRowRange &r) { return r.last < r.first; });

    ensureCapacity(m_undoCount);
    replaced();
    int64_t out = 0;
    int64_t from = 0;
    auto keep = [&](int64_t to) {
        std::copy(m_undo.begin() + from, m_undo.begin() + to, m_combs.begin() + out);
        out += to - from;
    };
    for (const TRowRange &r : rows) {
        keep(r.first);
        from = r.last + 1;
    }
    keep(m_undoCount);
    m_count = out;
    m_fullSet = false;
    AddFilterLog(true, Tr(u"Выделенные комбинации"), QString::number(RowRangesCount(rows)));
    RefreshCombsCount();
}

// ---- Text files and the clipboard ----

bool TCombsList::LoadCombsFromText(const QString &fileName)
{
    try {
        const QByteArray bytes = ReadRegularFile(fileName, FileBounds::kCombsText);
        const TCombsTextResult result = ParseCombsText(bytes, [&fileName](double percent) {
            SetStatusText(Format(u"Загрузка файла \"%s\" ( завершено %.0f %% )...", {fileName, percent}));
        });
        if (result.combs.empty() && result.skipped > 0)
            throw EConvertError(
                Tr(u"В файле нет ни одной строки с корректной комбинацией (шесть разных чисел от 1 до 45)."));
        assign(result.combs);
        if (result.skipped > 0)
            ShowWarningBox(Format(u"Из файла \"%s\" загружено комбинаций: %d.\r\r"
                                  u"Пропущено строк без корректной комбинации (шесть разных чисел от 1 до 45): %d.",
                                  {fileName, m_count, result.skipped}));
        return true;
    } catch (const std::exception &e) {
        ShowErrorBox(Format(u"Ошибка чтения файла \"%s\"!\r\r%s", {fileName, exceptionText(e)}));
        return false;
    }
}

bool TCombsList::SaveCombsToText(const QString &fileName)
{
    try {
        TExclusiveTempFile file = TExclusiveTempFile::beside(fileName, TNamedBy::User);
        constexpr int64_t kBlock = 65536;
        made();
        for (int64_t i = 0; i < m_count; i += kBlock)
            file.write(CombsToText(m_combs.data() + i, std::min(kBlock, m_count - i)));
        file.commit();
        return true;
    } catch (const std::exception &e) {
        ShowErrorBox(Format(u"Ошибка записи в файл \"%s\"!\r\r%s", {fileName, exceptionText(e)}));
        return false;
    }
}

bool TCombsList::PasteCombs(QStringView text)
{
    // Every line is checked before the list is touched.
    const TCombsArray combs = ParsePastedCombs(text, [](double percent) {
        SetStatusText(Format(u"Вставка комбинаций из буфера ( завершено %.0f %% )...", {percent}));
    });
    if (combs.empty())
        return false;
    assign(combs);
    ClearFilterLog();
    ClearUndoCount();
    RefreshCombsCount();
    return true;
}

QString TCombsList::CombsText(const TRowRanges &rows) const
{
    TRowRanges clipped = NormalizeRowRanges(rows);
    for (TRowRange &r : clipped)
        r.last = std::min(r.last, m_count - 1);
    std::erase_if(clipped, [](const TRowRange &r) { return r.last < r.first; });
    const int64_t lines = RowRangesCount(clipped);
    if (lines == 0)
        return {};
    made();
    // "nn nn nn nn nn nn" and a line feed between lines.
    constexpr int kLine = kMainCount * 3;
    QString text(qsizetype(lines * kLine - 1), Qt::Uninitialized);
    QChar *p = text.data();
    bool firstLine = true;
    for (const TRowRange &r : clipped) {
        for (int64_t i = r.first; i <= r.last; ++i) {
            if (!firstLine)
                *p++ = u'\n';
            firstLine = false;
            const TComb &c = m_combs[size_t(i)];
            for (size_t k = 0; k < c.n.size(); ++k) {
                if (k > 0)
                    *p++ = u' ';
                *p++ = QChar(u'0' + c.n[k] / 10 % 10);
                *p++ = QChar(u'0' + c.n[k] % 10);
            }
        }
    }
    return text;
}

// ---- The buffer file ----

QString TCombsList::bufferFileName() const
{
    return m_bufferFile.isEmpty() ? DefaultBufferFileName() : m_bufferFile;
}

QString TCombsList::DefaultBufferFileName()
{
    return GetProgramBasePath() + u".~buff";
}

void TCombsList::SaveCombsBuffer(int32_t key1, int32_t key2)
{
    if (key1 == m_key1 && key2 == m_key2)
        return;
    StatusReset reset;
    SetStatusText(Tr(u"Создание буфера комбинаций..."));
    const QString fileName = bufferFileName();
    // The keys name the file's list only once the whole list is in it.
    m_key1 = -1;
    m_key2 = -1;
    try {
        TExclusiveTempFile file = TExclusiveTempFile::beside(fileName, TNamedBy::Cache);
        made();
        const int64_t every = std::max<int64_t>(1, m_count / 100);
        QByteArray block;
        for (int64_t i = 0; i < m_count; i += every) {
            const int64_t n = std::min(every, m_count - i);
            block.resize(qsizetype(n * kMainCount));
            char *p = block.data();
            for (int64_t k = 0; k < n; ++k)
                for (uint8_t v : m_combs[size_t(i + k)].n)
                    *p++ = char(v);
            file.write(block);
            SetStatusText(percentText(u"Создание буфера комбинаций ( завершено %.0f %% )...",
                                      double(i + n) * 100.0 / double(m_count)));
        }
        file.commit();
        m_key1 = key1;
        m_key2 = key2;
        m_bufferCount = m_count;
    } catch (const std::exception &e) {
        QFile::remove(fileName);
        ShowErrorBox(Format(u"Ошибка создания буфера комбинаций!\r\r%s", {exceptionText(e)}));
    }
}

bool TCombsList::LoadCombsBuffer(int32_t key1, int32_t key2)
{
    const QString fileName = bufferFileName();
    if (key1 != m_key1 || key2 != m_key2 || !QFile::exists(fileName))
        return false;
    StatusReset reset;
    SetStatusText(Tr(u"Загрузка буфера комбинаций..."));
    try {
        const QByteArray bytes = ReadRegularFile(fileName, FileBounds::kCombsBuffer);
        // Only the file as this run wrote it is trusted: one cut short or grown is another list.
        const int64_t count = m_bufferCount;
        if (bytes.size() != count * kMainCount)
            throw EConvertError(Format(u"Размер буфера (%s) не соответствует числу сохраненных в нем "
                                       u"комбинаций (%d по %s).",
                                       {BytesText(bytes.size()), static_cast<long long>(count), BytesText(kMainCount)}));
        // Read aside and checked first: a damaged file leaves the list as it was.
        TCombsArray combs(static_cast<size_t>(count));
        const int64_t every = std::max<int64_t>(1, count / 100);
        for (int64_t i = 0; i < count; i += every) {
            const int64_t n = std::min(every, count - i);
            const char *p = bytes.constData() + i * kMainCount;
            for (int64_t k = 0; k < n; ++k) {
                TComb &c = combs[size_t(i + k)];
                for (uint8_t &v : c.n)
                    v = uint8_t(*p++);
                if (!IsValidComb(c))
                    throw EConvertError(Format(u"Запись %d буфера не является корректной комбинацией.", {i + k + 1}));
            }
            SetStatusText(percentText(u"Загрузка буфера комбинаций ( завершено %.0f %% )...",
                                      double(i + n) * 100.0 / double(count)));
        }
        assign(combs);
        RefreshCombsCount();
        return true;
    } catch (const std::exception &e) {
        // The list is made again and stored anew.
        DeleteCombsBuffer();
        ShowErrorBox(Format(u"Ошибка загрузки буфера комбинаций!\r\r%s", {exceptionText(e)}));
        return false;
    }
}

void TCombsList::DeleteCombsBuffer()
{
    ResetCombsBufferKeys();
    const QString fileName = bufferFileName();
    if (QFile::exists(fileName))
        QFile::remove(fileName);
}

void TCombsList::ResetCombsBufferKeys()
{
    m_key1 = -1;
    m_key2 = -1;
}

// ---- The filter log ----

void TCombsList::ClearFilterLog()
{
    if (m_log.empty())
        return;
    m_log.clear();
    emit filterLogChanged();
}

void TCombsList::AddFilterLog(bool deleting, const QString &caption, const QString &values)
{
    AddFilterLog(deleting, caption, values, m_count);
}

void TCombsList::AddFilterLog(bool deleting, const QString &caption, const QString &values, int64_t count)
{
    m_log.push_back({deleting ? fliDelete : fliKeep, caption, values, count});
    emit filterLogChanged();
}

void TCombsList::SetFilterLogCount(size_t row, int64_t count)
{
    if (row >= m_log.size() || m_log[row].count == count)
        return;
    m_log[row].count = count;
    emit filterLogChanged();
}

void TCombsList::AddUndoLog()
{
    m_log.push_back({fliUndo, Tr(u"Отмена последней операции"), QString(), m_count});
    emit filterLogChanged();
}

void TCombsList::RemoveLastFilterLog()
{
    if (m_log.empty())
        return;
    m_log.pop_back();
    emit filterLogChanged();
}

void TCombsList::RefreshCombsCount()
{
    emit countRefreshed(m_count);
}
