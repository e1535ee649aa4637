#include "app/draws/DrawsCsv.h"

#include "common/Cp1251.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/RegularFile.h"
#include "common/TextUtils.h"
#include "common/Translate.h"
#include "lottery/DrawTexts.h"
#include "app/draws/DrawsArchive.h"
#include "app/draws/ResultsSiteDates.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <limits>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFullFields = 10; // number, date, 6 main, 2 supplementary
constexpr int kShortFields = 9; // date, 6 main, 2 supplementary

// A number field; anything but a number of a byte's range reads as 0, which no draw accepts.
uint8_t numberField(const QString &text)
{
    const int value = TextToIntZero(text);
    return value < 0 || value > 255 ? 0 : static_cast<uint8_t>(value);
}

// The date and the eight numbers: two draws with the same key are the same draw, whichever way
// their dates were written.
QString contentKey(const TDrawRec &draw)
{
    QString key;
    try {
        key = GameDrawDateText(draw.dateText());
    } catch (const Exception &) {
        key = draw.dateText();
    }
    for (uint8_t n : draw.main)
        key += u';' + QString::number(n);
    for (uint8_t n : draw.extra)
        key += u';' + QString::number(n);
    return key;
}

} // namespace

QStringList SplitCsvFields(QStringView line)
{
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        QString field;
        qsizetype j = i;
        while (j < n && line[j] != u';' && line[j] <= u' ')
            ++j;
        if (j < n && line[j] == u'"') {
            // Quoted: up to the closing quote; whatever follows it up to the separator is kept too.
            ++j;
            while (j < n) {
                if (line[j] == u'"') {
                    if (j + 1 < n && line[j + 1] == u'"') {
                        field += u'"';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                field += line[j++];
            }
            const qsizetype end = line.indexOf(u';', j);
            field += TrimControl(line.mid(j, (end < 0 ? n : end) - j));
            i = end < 0 ? n : end;
        } else {
            const qsizetype end = line.indexOf(u';', i);
            field = TrimControl(line.mid(i, (end < 0 ? n : end) - i));
            i = end < 0 ? n : end;
        }
        fields.append(field);
        if (i >= n)
            break;
        ++i; // past the separator; a line ending with ";" has an empty last field
        if (i == n) {
            fields.append(QString());
            break;
        }
    }
    return fields;
}

QString QuoteCsvField(QStringView text)
{
    QString quoted = text.toString();
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString DrawToCsvLine(const TDrawRec &draw)
{
    QString line = QString::number(draw.number) + u';' + QuoteCsvField(draw.dateText());
    for (uint8_t n : draw.main)
        line += u';' + QString::number(n);
    for (uint8_t n : draw.extra)
        line += u';' + QString::number(n);
    return line;
}

QByteArray DrawsToCsv(const TDrawsArray &draws)
{
    QString text;
    text.reserve(static_cast<qsizetype>(draws.size()) * 40);
    for (const TDrawRec &draw : draws)
        text += DrawToCsvLine(draw) + u"\r\n"_s;
    return EncodeTextFileCp1251(text);
}

TCsvImportResult ParseDrawsCsv(QStringView text, const TDrawsArray &stored, TDateTime today)
{
    TCsvImportResult result;
    // The archive as it will be, ordered by number: each line is checked against the draws it will
    // stand between. A draw is found by its number, and by its day (a line without a number is the
    // draw of its date).
    TDrawsArray merged = stored;
    std::unordered_map<int32_t, TDrawRec> byNumber;
    std::unordered_map<int64_t, std::vector<TDrawRec>> byDay;
    QSet<QString> undated; // draws without a date, by their sorted numbers (contentKey)
    int32_t highest = 0;
    int64_t newestDay = 0;
    auto remember = [&](const TDrawRec &draw) {
        byNumber[draw.number] = draw;
        const int64_t day = DrawDayOf(draw);
        if (day > 0)
            byDay[day].push_back(draw);
        else
            undated.insert(contentKey(SortedDrawNumbers(draw)));
        highest = std::max(highest, draw.number);
        newestDay = std::max(newestDay, day);
    };
    for (const TDrawRec &draw : stored)
        remember(draw);

    // Every line noted, the first kMaxCsvProblems by line kept at the end.
    auto note = [](std::vector<TCsvLineProblem> &list, int line, const QString &reason) {
        list.push_back({line, reason});
    };
    auto reject = [&](int line, const QString &reason) {
        ++result.badLines;
        note(result.problems, line, reason);
    };
    // A line that is a stored draw, or the draw of another line, with other numbers or date.
    std::unordered_map<int32_t, int> lineOf; // the line each imported draw came from, by number
    auto contradicts = [&lineOf](const TDrawRec &there, bool sameNumber) {
        const auto line = lineOf.find(there.number);
        if (line != lineOf.end())
            return Format(sameNumber ? u"противоречит строке %d файла с тем же номером тиража (%s)"
                                     : u"противоречит строке %d файла с той же датой тиража (%s)",
                          {line->second, FormatDrawText(there)});
        return Format(sameNumber ? u"противоречит тиражу с тем же номером, который уже есть в архиве (%s)"
                                 : u"противоречит тиражу той же даты, который уже есть в архиве (%s)",
                      {FormatDrawText(there)});
    };

    // Lines with a draw number first, in file order; then the lines without one in the order of their
    // dates (a file may list the newest draw first), so that each is numbered after the draws before it.
    struct TLine {
        int number;
        QStringList fields;
        int64_t day; // of a line without a draw number: its date's, or that of the dated line before it
    };
    std::vector<TLine> lines, withoutNumber;
    int lineNumber = 0;
    int64_t lastDay = 0;
    for (QStringView line : text.split(u'\n')) {
        ++lineNumber;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (TrimControl(line).isEmpty())
            continue;
        QStringList fields = SplitCsvFields(line);
        const int count = static_cast<int>(fields.size());
        if (count == kFullFields) {
            lines.push_back({lineNumber, std::move(fields), 0});
        } else if (count == kShortFields) {
            TDrawRec dated;
            try {
                dated.setDateText(GameDrawDateText(fields[0]));
            } catch (const Exception &) {
            }
            if (const int64_t day = DrawDayOf(dated); day > 0)
                lastDay = day;
            withoutNumber.push_back({lineNumber, std::move(fields), lastDay});
        } else {
            reject(lineNumber, Format(u"полей: %d (ожидается 10 или 9)", {count}));
        }
    }
    std::stable_sort(withoutNumber.begin(), withoutNumber.end(),
                     [](const TLine &a, const TLine &b) { return a.day < b.day; });
    lines.insert(lines.end(), std::make_move_iterator(withoutNumber.begin()),
                 std::make_move_iterator(withoutNumber.end()));
    for (const TLine &taken : lines) {
        lineNumber = taken.number;
        const QStringList &fields = taken.fields;
        const int count = static_cast<int>(fields.size());
        const bool full = count == kFullFields;
        const int first = full ? 1 : 0; // index of the date field
        TDrawRec draw;
        if (full) {
            draw.number = TextToIntZero(fields[0]);
        } else if (highest < std::numeric_limits<int32_t>::max()) {
            draw.number = highest + 1;
        }
        for (int i = 0; i < kMainCount; ++i)
            draw.main[static_cast<size_t>(i)] = numberField(fields[first + 1 + i]);
        for (int i = 0; i < kExtraCount; ++i)
            draw.extra[static_cast<size_t>(i)] = numberField(fields[first + 1 + kMainCount + i]);

        const QString problem = StoredDrawProblem(draw);
        if (!problem.isEmpty()) {
            reject(lineNumber, Format(u"некорректные данные тиража (%s)", {problem}));
            continue;
        }
        try {
            draw.setDateText(GameDrawDateText(fields[first]));
        } catch (const Exception &) {
            reject(lineNumber, Format(u"некорректная дата тиража \"%s\"", {fields[first]}));
            continue;
        }
        const int64_t day = DrawDayOf(draw);
        if (full) {
            // A number the archive has is that draw: the same numbers in any order (and the same date
            // when both are known) are it again, other ones contradict it.
            const auto there = byNumber.find(draw.number);
            if (there != byNumber.end()) {
                const int64_t thereDay = DrawDayOf(there->second);
                if (SameDrawNumbers(draw, there->second) && (day == 0 || thereDay == 0 || day == thereDay))
                    ++result.duplicates;
                else
                    reject(lineNumber, contradicts(there->second, true));
                continue;
            }
        } else if (day > 0) {
            // A line without a number is the draw of its date. A date without a draw in the archive
            // before its newest one is a draw whose number cannot be told.
            const auto there = byDay.find(day);
            if (there != byDay.end()) {
                const auto same = std::find_if(there->second.begin(), there->second.end(),
                                               [&draw](const TDrawRec &d) { return SameDrawNumbers(draw, d); });
                if (same != there->second.end())
                    ++result.duplicates;
                else
                    reject(lineNumber, contradicts(there->second.front(), false));
                continue;
            }
            if (day < newestDay) {
                reject(lineNumber, Format(u"тираж от %s без номера: в архиве есть более поздние тиражи, поэтому "
                                          u"его номер неизвестен (укажите номер в первом поле строки)",
                                          {draw.dateText()}));
                continue;
            }
        } else if (undated.contains(contentKey(SortedDrawNumbers(draw)))) {
            ++result.duplicates;
            continue;
        }
        // Only what the archive itself cannot hold keeps a line out: a number beyond any date
        // (DrawNumberBoundProblem). Its place is found by its number, so a line never costs the lines
        // after it.
        const int at = DrawInsertIndex(merged, draw.number);
        const TDrawNeighbours neighbours = DrawNeighboursAt(merged, at, true);
        const QString refused = DrawNumberBoundProblem(draw, today);
        if (!refused.isEmpty()) {
            reject(lineNumber, refused);
            continue;
        }
        // A draw that breaks only the rules of a new draw (earlier versions let it in, and the archive
        // loads it) comes back as it was, to be corrected in the draw dialog: what the program exports
        // it imports again whole.
        const QString numbersProblem = DrawRecordProblem(draw);
        const QString legacy = numbersProblem.isEmpty() ? DrawDateAndPlaceProblem(draw, neighbours, today)
                                                        : Format(u"тираж № %d: %s", {draw.number, numbersProblem});
        if (!legacy.isEmpty()) {
            ++result.legacy;
            note(result.legacyLines, lineNumber, legacy);
        }
        merged.insert(merged.begin() + at, draw);
        remember(draw);
        lineOf[draw.number] = lineNumber;
        result.added.push_back(draw);
    }
    for (std::vector<TCsvLineProblem> *list : {&result.problems, &result.legacyLines}) {
        std::stable_sort(list->begin(), list->end(),
                         [](const TCsvLineProblem &a, const TCsvLineProblem &b) { return a.line < b.line; });
        if (static_cast<int>(list->size()) > kMaxCsvProblems)
            list->resize(kMaxCsvProblems);
    }
    return result;
}

void MergeImportedDraws(TDrawsArray &draws, const TDrawsArray &added)
{
    TDrawsArchive merged;
    merged.draws() = draws;
    merged.insertInOrder(added);
    draws.swap(merged.draws());
}

TCsvImportResult ImportDrawsCsv(TDrawsArchive &archive, const QString &fileName)
{
    const QByteArray bytes = ReadRegularFile(fileName, FileBounds::kDrawsCsv);

    TCsvImportResult result = ParseDrawsCsv(DecodeTextFile(bytes), archive.draws(), archive.today());
    if (result.added.empty())
        return result;

    // The array is changed in place (others hold references to it) and put back when the file
    // cannot be written, so that memory and file never part.
    const TDrawsArray backup = archive.draws();
    archive.insertInOrder(result.added);
    try {
        archive.save();
    } catch (...) {
        archive.draws() = backup;
        archive.touch();
        throw;
    }
    return result;
}

void ExportDrawsCsv(const TDrawsArray &draws, const QString &fileName)
{
    WriteChosenFile(fileName, DrawsToCsv(draws));
}

QString CsvImportReport(const TCsvImportResult &result, const QString &fileName)
{
    if (result.duplicates == 0 && result.badLines == 0 && result.legacy == 0 && !result.added.empty())
        return {};
    QString text = Format(u"Импорт тиражей из файла \"%s\":\rдобавлено тиражей: %d\rуже есть в архиве: %d\r"
                          u"пропущено строк с ошибками: %d",
                          {fileName, static_cast<int>(result.added.size()), result.duplicates, result.badLines});
    auto lines = [&text](const std::vector<TCsvLineProblem> &list, int total) {
        text += u"\r"_s;
        for (const TCsvLineProblem &p : list)
            text += Format(u"\rстрока %d: %s", {p.line, p.reason});
        if (total > static_cast<int>(list.size()))
            text += u"\r..."_s;
    };
    if (!result.problems.empty())
        lines(result.problems, result.badLines);
    if (result.legacy > 0) {
        text += Format(u"\r\rДобавлено тиражей, которые не могли бы быть введены сейчас (их можно исправить в окне "
                       u"тиража): %d",
                       {result.legacy});
        lines(result.legacyLines, result.legacy);
    }
    return text;
}
