#include "app/draws/DrawsArchive.h"

#include "common/AtomicFile.h"
#include "common/DamagedFile.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "lottery/DrawDates.h"
#include "lottery/DrawTexts.h"
#include "app/draws/ResultsSiteDates.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

using namespace Qt::StringLiterals;

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

// How far the number may run ahead of the draw before it: kMaxDrawsPerDay a day between their dates
// and on the day itself (an unknown date counts as today).
bool RunsAhead(int64_t number, int64_t day, int64_t beforeNumber, int64_t beforeDay)
{
    return number - beforeNumber > kMaxDrawsPerDay * (std::max<int64_t>(0, day - beforeDay) + 1);
}

// A draw as a note names it: "№ 4100 от 1 Mar 2024", or "№ 4100" without a date.
QString NumberAndDate(const TDrawRec &draw)
{
    return draw.dateLen > 0 ? Format(u"№ %d от %s", {draw.number, draw.dateText()}) : Format(u"№ %d", {draw.number});
}

const TDrawRec *drawAt(const TDrawsArray &draws, int index)
{
    return index >= 0 && index < static_cast<int>(draws.size()) ? &draws[static_cast<size_t>(index)] : nullptr;
}

// At most this many notes of one kind go into a report.
void addNote(QStringList &notes, const QString &note)
{
    if (notes.size() < kMaxDrawsReadNotes)
        notes.append(note);
}

} // namespace

TDateTime DrawDateOf(const TDrawRec &draw)
{
    try {
        const QString text = GameDrawDateText(draw.dateText());
        return text.isEmpty() ? 0 : ParseResultsDate(text);
    } catch (const Exception &) {
        return 0;
    }
}

int64_t DrawDayOf(const TDrawRec &draw)
{
    const TDateTime date = DrawDateOf(draw);
    return date > 0 ? static_cast<int64_t>(std::floor(date)) : 0;
}

TDrawNeighbours DrawNeighboursAt(const TDrawsArray &draws, int index, bool inserting)
{
    return {drawAt(draws, index - 1), drawAt(draws, inserting ? index : index + 1)};
}

QString DrawPlaceProblem(const TDrawRec &draw, TDrawNeighbours neighbours)
{
    const QString problem = NumberBetweenProblem(draw.number, neighbours.before, neighbours.after);
    if (!problem.isEmpty())
        return problem;
    const TDateTime date = DrawDateOf(draw);
    if (date <= 0)
        return {};
    if (neighbours.before && DrawDateOf(*neighbours.before) > date)
        return Format(u"Дата тиража %d (%s) не может быть раньше даты предыдущего тиража архива № %d (%s)!",
                      {draw.number, draw.dateText(), neighbours.before->number, neighbours.before->dateText()});
    const TDateTime afterDate = neighbours.after ? DrawDateOf(*neighbours.after) : 0;
    if (afterDate > 0 && afterDate < date)
        return Format(u"Дата тиража %d (%s) не может быть позже даты следующего тиража архива № %d (%s)!",
                      {draw.number, draw.dateText(), neighbours.after->number, neighbours.after->dateText()});
    return {};
}

QString DrawEntryProblem(const TDrawRec &draw, TDrawNeighbours neighbours, TDateTime today)
{
    const QString numbers = DrawRecordProblem(draw);
    if (!numbers.isEmpty())
        return Format(u"Некорректные данные тиража %d: %s!", {draw.number, numbers});
    return DrawDateAndPlaceProblem(draw, neighbours, today);
}

QString DrawDateAndPlaceProblem(const TDrawRec &draw, TDrawNeighbours neighbours, TDateTime today)
{
    try {
        GameDrawDateText(draw.dateText());
    } catch (const Exception &) {
        return Format(u"Некорректная дата тиража %d: \"%s\"!", {draw.number, draw.dateText()});
    }
    const TDateTime date = DrawDateOf(draw);
    if (date > 0 && IsFutureDrawDate(date, today))
        return Format(u"Дата тиража %d (%s) еще не наступила!", {draw.number, draw.dateText()});
    const QString bound = DrawNumberBoundProblem(draw, today);
    if (!bound.isEmpty())
        return bound;
    const QString place = DrawPlaceProblem(draw, neighbours);
    if (!place.isEmpty())
        return place;
    return neighbours.before ? DrawRunsAheadProblem(draw, *neighbours.before, today) : QString();
}

QString DrawRunsAheadProblem(const TDrawRec &draw, const TDrawRec &before, TDateTime today)
{
    // However many draws a day the game had, a number cannot run far ahead of the calendar: such a
    // number is a slip, and stored it would turn away every real draw after it.
    const int64_t beforeDay = DrawDayOf(before), day = DrawDayOf(draw);
    if (beforeDay <= 0 ||
        !RunsAhead(draw.number, day > 0 ? day : static_cast<int64_t>(std::floor(today)), before.number, beforeDay))
        return {};
    return Format(u"Номер тиража %d слишком велик: предыдущий тираж архива № %d проведен %s, а номера "
                  u"тиражей растут не более чем на %d в день!",
                  {draw.number, before.number, before.dateText(), kMaxDrawsPerDay});
}

QString DrawNumberBoundProblem(const TDrawRec &draw, TDateTime today)
{
    const TDateTime date = DrawDateOf(draw);
    const TDateTime day = std::floor(date > 0 ? date : today);
    const int64_t bound = kMaxDrawsPerDay * (static_cast<int64_t>(day) + 1);
    if (draw.number <= bound)
        return {};
    return Format(u"Номер тиража %d слишком велик: номера тиражей растут не более чем на %d в день, и к %s они не "
                  u"могли превысить %d!",
                  {draw.number, kMaxDrawsPerDay, FormatResultsDate(day), static_cast<long long>(bound)});
}

QString RisingDrawsProblem(const TDrawsArray &draws, const TDrawsArray &incoming)
{
    const TDrawRec *before = draws.empty() ? nullptr : &draws.back();
    for (const TDrawRec &draw : incoming) {
        const QString problem = DrawPlaceProblem(draw, {before, nullptr});
        if (!problem.isEmpty())
            return problem;
        before = &draw;
    }
    return {};
}

TDrawRec SortedDrawNumbers(TDrawRec draw)
{
    SortDrawNumbers(draw);
    std::sort(draw.extra.begin(), draw.extra.end());
    return draw;
}

bool SameDrawNumbers(const TDrawRec &a, const TDrawRec &b)
{
    const TDrawRec x = SortedDrawNumbers(a), y = SortedDrawNumbers(b);
    return x.main == y.main && x.extra == y.extra;
}

int DrawInsertIndex(const TDrawsArray &draws, int32_t number)
{
    const auto it = std::upper_bound(draws.begin(), draws.end(), number,
                                     [](int32_t n, const TDrawRec &d) { return n < d.number; });
    return static_cast<int>(it - draws.begin());
}

namespace {

// The day of each record's date; 0 when it is not known.
std::vector<int64_t> DaysOf(const TDrawsArray &records)
{
    std::vector<int64_t> days(records.size(), 0);
    for (size_t i = 0; i < records.size(); ++i)
        days[i] = DrawDayOf(records[i]);
    return days;
}

// The weight of each record in the choice of the kept ones: a record that runs far ahead of its date
// weighs 1, any other more than all of those together. Each record is told against the last dated
// record before it that is a reference: in the first round any that does not run ahead itself and
// rises above the references before it, then only those kept by the round before that do not run
// ahead (a record left out is no reference).
std::vector<int64_t> AheadWeights(const TDrawsArray &records, const std::vector<int64_t> &days, TDateTime today,
                                  const std::vector<bool> *kept)
{
    const size_t n = records.size();
    std::vector<int64_t> weight(n, static_cast<int64_t>(n) + 1);
    const int64_t todayDay = static_cast<int64_t>(std::floor(today));
    const int64_t none = -1;
    int64_t anchor = none;
    for (size_t i = 0; i < n; ++i) {
        const int32_t number = records[i].number;
        const int64_t a = anchor;
        if (a != none && number > records[static_cast<size_t>(a)].number &&
            RunsAhead(number, days[i] > 0 ? days[i] : todayDay, records[static_cast<size_t>(a)].number,
                      days[static_cast<size_t>(a)])) {
            weight[i] = 1;
            continue;
        }
        if (days[i] > 0 && (a == none || number > records[static_cast<size_t>(a)].number) && (!kept || (*kept)[i]))
            anchor = static_cast<int64_t>(i);
    }
    return weight;
}

// How far each record's number lies from the number the trusted records beside it give it. The
// kFitNeighbours nearest trusted records on one side draw lines of numbers over dates, and over places
// in the file (draws follow each other one number apart but for draws missing from the archive):
// every two of them draw one, and the median of what those lines give for the record is the number it
// should have by that side. By the side it fits better (the mean of what its dates and its places
// say) a record is told: a sound record fits its own side even at a pause of months, a change of draw
// days, draws on one date, draws missing from the archive or records without dates, and a record gone
// wrong beside it moves only the other side, while a record gone wrong fits neither side. In units of
// 1/kFitScale of a draw; 0 for a record without two such records of different dates or places on
// either side.
constexpr int kFitNeighbours = 4;
constexpr int kFitReach = 64; // records looked at on each side at most
constexpr int kFitScale = 8;

struct TFitPoint {
    double at = 0;
    double number = 0;
};

// The median of what the lines through every two of the points (of different places) give at the
// place; false when there are no two such points.
bool MedianOfLines(const std::array<TFitPoint, kFitNeighbours> &points, size_t count, double at, double &median)
{
    std::array<double, kFitNeighbours * (kFitNeighbours - 1) / 2> lines{};
    size_t found = 0;
    for (size_t a = 0; a < count; ++a)
        for (size_t b = a + 1; b < count; ++b) {
            const TFitPoint &p = points[a], &q = points[b];
            if (p.at != q.at)
                lines[found++] = p.number + (q.number - p.number) * (at - p.at) / (q.at - p.at);
        }
    if (found == 0)
        return false;
    const auto end = lines.begin() + static_cast<std::ptrdiff_t>(found);
    const auto middle = lines.begin() + static_cast<std::ptrdiff_t>(found / 2);
    std::nth_element(lines.begin(), middle, end);
    // Of an even count, halfway between the two middle ones.
    median = found % 2 ? *middle : (*middle + *std::max_element(lines.begin(), middle)) / 2;
    return true;
}

std::vector<int64_t> NumberMisfits(const TDrawsArray &records, const std::vector<qsizetype> &places,
                                   const std::vector<int64_t> &days, const std::vector<bool> &trusted)
{
    const int64_t n = static_cast<int64_t>(records.size());
    std::vector<int64_t> misfit(records.size(), 0);
    std::array<TFitPoint, kFitNeighbours> points{};
    for (int64_t i = 0; i < n; ++i) {
        const size_t at = static_cast<size_t>(i);
        double best = -1;
        for (const int64_t step : {int64_t(-1), int64_t(1)}) {
            double sum = 0;
            int found = 0;
            for (const bool byDate : {true, false}) {
                if (byDate && days[at] <= 0)
                    continue;
                auto place = [&](size_t j) { return static_cast<double>(byDate ? days[j] : places[j]); };
                size_t count = 0;
                for (int64_t j = i + step, reach = 0; j >= 0 && j < n && count < points.size() && reach < kFitReach;
                     j += step, ++reach) {
                    const size_t k = static_cast<size_t>(j);
                    if (trusted[k] && (!byDate || days[k] > 0))
                        points[count++] = {place(k), static_cast<double>(records[k].number)};
                }
                double median = 0;
                if (MedianOfLines(points, count, place(at), median)) {
                    sum += std::min(std::abs(records[at].number - median), 1e9);
                    ++found;
                }
            }
            if (found > 0)
                best = best < 0 ? sum / found : std::min(best, sum / found);
        }
        if (best > 0)
            misfit[at] = std::llround(best * kFitScale);
    }
    return misfit;
}

// The heaviest chain of rising numbers, by a tree of prefix maxima over the numbers' ranks: the most
// weight, then the least misfit of the records kept, then the lowest number at its end.
std::vector<bool> HeaviestRisingChain(const TDrawsArray &records, const std::vector<int64_t> &weight,
                                      const std::vector<int64_t> &misfit)
{
    const size_t n = records.size();
    std::vector<int32_t> numbers(n);
    for (size_t i = 0; i < n; ++i)
        numbers[i] = records[i].number;
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    struct Best {
        int64_t weight = 0;
        int64_t misfit = 0;
        int rank = 0;
        int index = -1;
        bool operator<(const Best &o) const
        {
            if (weight != o.weight)
                return weight < o.weight;
            if (misfit != o.misfit)
                return misfit > o.misfit;
            return rank > o.rank;
        }
    };
    std::vector<Best> tree(numbers.size() + 1);
    std::vector<int> previous(n, -1);
    Best end;
    for (size_t i = 0; i < n; ++i) {
        const int rank = static_cast<int>(std::lower_bound(numbers.begin(), numbers.end(), records[i].number) -
                                          numbers.begin()) + 1;
        Best before;
        for (int r = rank - 1; r > 0; r -= r & -r)
            before = std::max(before, tree[static_cast<size_t>(r)]);
        const Best here{before.weight + weight[i], before.misfit + misfit[i], rank, static_cast<int>(i)};
        previous[i] = before.index;
        for (size_t r = static_cast<size_t>(rank); r < tree.size(); r += r & (~r + 1))
            tree[r] = std::max(tree[r], here);
        end = std::max(end, here);
    }
    std::vector<bool> keep(n, false);
    for (int i = end.index; i >= 0; i = previous[static_cast<size_t>(i)])
        keep[static_cast<size_t>(i)] = true;
    return keep;
}

// Which of the records (each a draw on its own) stay, so that the numbers rise through the archive:
// of all the ways to keep the numbers rising, the one that leaves out the fewest records that do not
// run far ahead of their dates, then the fewest that do, then the one whose kept numbers fit the
// draws around them best (where leaving out either of two records would do, the one that fits worse
// by the side it fits better goes, by dates and by places in the file: NumberMisfits). A record that does not fit between the records around it thus costs
// only itself, and so does a run of them, while a run of numbers gone far ahead of their dates is
// left out before sound draws are. The choice is made again with the kept records as the only
// references until it holds (a few rounds at most).
std::vector<bool> RisingRecords(const TDrawsArray &records, const std::vector<qsizetype> &places, TDateTime today)
{
    constexpr int kRounds = 4;
    const std::vector<int64_t> days = DaysOf(records);
    std::vector<bool> keep(records.size(), true);
    for (int round = 0; round < kRounds; ++round) {
        const std::vector<int64_t> weight = AheadWeights(records, days, today, round > 0 ? &keep : nullptr);
        std::vector<bool> next = HeaviestRisingChain(records, weight, NumberMisfits(records, places, days, keep));
        if (next == keep)
            break;
        keep.swap(next);
    }
    return keep;
}

} // namespace

TDrawsRead ReadDrawsBytes(const QByteArray &bytes, TDateTime today)
{
    TDrawsRead read;
    const qsizetype count = bytes.size() / kDrawRecordSize;
    auto leaveOut = [&read](qsizetype record, const QString &draw, const QString &problem) {
        ++read.badRecords;
        addNote(read.badNotes, Format(u"запись %d (%s): %s", {static_cast<int>(record + 1), draw, problem}));
    };
    // Each record on its own first: a draw, its date in the game's form.
    TDrawsArray records;
    std::vector<qsizetype> recordOf;
    records.reserve(static_cast<size_t>(count));
    recordOf.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        TDrawRec draw;
        ReadDrawRecord(bytes.constData() + i * kDrawRecordSize, draw);
        QString problem = StoredDrawProblem(draw);
        if (problem.isEmpty()) {
            try {
                draw.setDateText(GameDrawDateText(draw.dateText()));
                problem = DrawNumberBoundProblem(draw, today);
            } catch (const Exception &) {
                problem = Format(u"дата тиража \"%s\"", {draw.dateText()});
            }
        }
        if (!problem.isEmpty()) {
            leaveOut(i, Format(u"тираж № %d", {draw.number}), problem);
            continue;
        }
        records.push_back(draw);
        recordOf.push_back(i);
    }
    // Then each draw by the draws around it.
    const std::vector<bool> keep = RisingRecords(records, recordOf, today);
    constexpr size_t kNone = SIZE_MAX;
    std::vector<size_t> nextKept(records.size() + 1, kNone);
    for (size_t j = records.size(); j-- > 0;)
        nextKept[j] = keep[j] ? j : nextKept[j + 1];
    // A record as a note names it: the number, the date when known, the place in the file.
    auto named = [&](size_t j) {
        return Format(u"%s, запись %d", {NumberAndDate(records[j]), static_cast<int>(recordOf[j] + 1)});
    };
    read.draws.reserve(records.size());
    size_t lastKept = kNone;
    for (size_t j = 0; j < records.size(); ++j) {
        const TDrawRec &draw = records[j];
        if (!keep[j]) {
            // The kept draw it was left out for, named so that the player can check both: it is not
            // above the one before, or not below the one after.
            const size_t after = nextKept[j + 1];
            const bool below = lastKept != kNone && (draw.number <= records[lastKept].number || after == kNone);
            leaveOut(recordOf[j], Format(u"тираж %s", {NumberAndDate(draw)}),
                     below ? Format(u"номер тиража не больше номера предыдущего тиража (%s)", {named(lastKept)})
                           : Format(u"номер тиража не меньше номера следующего тиража (%s)", {named(after)}));
            continue;
        }
        lastKept = j;
        const QString legacy =
            DrawEntryProblem(draw, {read.draws.empty() ? nullptr : &read.draws.back(), nullptr}, today);
        if (!legacy.isEmpty()) {
            ++read.legacyDraws;
            addNote(read.legacyNotes, legacy);
        }
        read.draws.push_back(draw);
    }
    read.tailBytes = static_cast<int>(bytes.size() - count * kDrawRecordSize);
    return read;
}

TDrawsArchive::TDrawsArchive(QString fileName) : m_fileName(std::move(fileName)), m_today(&TodayDate) {}

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
    TDrawsRead read = ReadDrawsBytes(bytes, today());
    m_draws.swap(read.draws);

    // Draws that earlier versions let in are whole draws: they alone are no reason to speak up at every
    // start, only to be named beside records that had to be left out.
    if (!read.damaged())
        return;
    // The sound draws are kept, and the file as found is kept beside it before anything is written
    // over it.
    QString reason = DamagedFileText(m_fileName, read.badRecords, kDrawRecordSize, read.tailBytes, count());
    if (!read.badNotes.isEmpty())
        reason += u"\r"_s + read.badNotes.join(u'\r') +
                  (read.badRecords > read.badNotes.size() ? u"\r..."_s : QString());
    QString note;
    if (KeepDamagedFileCopy(m_fileName, bytes, note)) {
        reason += u"\r\r"_s + note;
    } else {
        m_loadFailed = true;
        reason += u"\r\r"_s + Format(u"Его копию сохранить не удалось, поэтому он не будет перезаписан.\r\r%s", {note});
    }
    if (read.legacyDraws > 0)
        reason += u"\r\r"_s +
                  Format(u"Тиражи архива, которые не могли бы быть введены сейчас, - %d. Они оставлены в архиве; "
                         u"исправьте их в окне тиража:\r%s",
                         {read.legacyDraws, read.legacyNotes.join(u'\r')}) +
                  (read.legacyDraws > read.legacyNotes.size() ? u"\r..."_s : QString());
    ShowErrorBox(Format(u"Ошибка чтения файла тиражей!\r\r%s", {reason}));
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
        const TDrawNeighbours neighbours = DrawNeighboursAt(merged, at, true);
        const QString problem = NumberBetweenProblem(draw.number, neighbours.before, neighbours.after);
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
    const QString problem = DrawPlaceProblem(draw, DrawNeighboursAt(m_draws, index));
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
