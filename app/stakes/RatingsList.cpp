#include "app/stakes/RatingsList.h"

#include "common/AtomicFile.h"
#include "common/BusyCursor.h"
#include "common/Cp1251.h"
#include "common/DamagedFile.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/ProgramFiles.h"
#include "common/RegularFile.h"
#include "common/Translate.h"
#include "lottery/FilterItem.h"
#include "lottery/ScenarioLine.h"
#include "app/stakes/StakeRecord.h"
#include "app/stakes/StakesFile.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

long double Choose(int n, int k)
{
    if (k < 0 || k > n)
        return 0;
    long double r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

// Clears the status text however the operation ends.
struct StatusScope {
    explicit StatusScope(const QString &text) { SetStatusText(text); }
    ~StatusScope() { SetStatusText({}); }
};

int Sign(long double v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// The average profit of a play in 1/10000 units, rounded as the currency is.
long double ProfitPerPlay(const TRatingRec &r)
{
    return std::round(static_cast<long double>(r.profit) / r.plays);
}

QString Quoted(const QString &text)
{
    QString inner = text;
    inner.replace(u"\""_s, u"\"\""_s);
    return u'"' + inner + u'"';
}

} // namespace

TMatchShares ExpectedMatchShares()
{
    TMatchShares shares{};
    const long double all = Choose(45, 6);
    for (int k = 0; k <= 6; ++k)
        shares[static_cast<size_t>(k)] = Choose(6, k) * Choose(39, 6 - k) / all;
    return shares;
}

QStringList RatingsColumnCaptions()
{
    QStringList captions{Tr(u"Комментарий"), Tr(u"Ставок"), Tr(u"Угадано"),
                         Tr(u"Среднее"),     Tr(u"Профит"), Tr(u"Ср. профит")};
    for (int k = 0; k <= 6; ++k)
        captions << QString::number(k);
    for (int k = 0; k <= 6; ++k)
        captions << u"E%1"_s.arg(k);
    return captions;
}

QString RatingCellText(const TRatingRec &r, int column, int effMode, const TMatchShares &shares)
{
    const int n = r.plays;
    switch (column) {
    case rcName:
        return r.name;
    case rcPlays:
        return QString::number(n);
    case rcMatched:
        return QString::number(r.totalMatches);
    case rcAverage:
        return n == 0 ? QString() : Format(u"%.3f", {static_cast<double>(r.totalMatches) / n});
    case rcProfit:
        return MoneyText(r.profit);
    case rcAvgProfit:
        return n == 0 ? QString() : MoneyText(static_cast<TCurrency>(ProfitPerPlay(r)));
    default:
        break;
    }
    if (column >= rcCount0 && column < rcEff0)
        return QString::number(r.matchCounts[static_cast<size_t>(column - rcCount0)]);
    if (column < rcEff0 || column >= kRatingsColumns || n == 0)
        return {};
    const size_t k = static_cast<size_t>(column - rcEff0);
    const long double p = shares[k];
    const long double c = r.matchCounts[k];
    switch (effMode) {
    case remAbsolute:
        return Format(u"%.3f%%", {c * 100 / n - p * 100});
    case remRelative:
        return p > 0 ? Format(u"%.3f%%", {c * 100 / (n * p)}) : QString();
    default:
        return QString::number(std::llround(n * p));
    }
}

QByteArray SerializeRatings(const TRatingsArray &ratings)
{
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(ratings.size()) * kRatingRecSize);
    for (const TRatingRec &r : ratings) {
        const TRatingBytes b = RatingToBytes(r);
        bytes.append(reinterpret_cast<const char *>(b.data()), kRatingRecSize);
    }
    return bytes;
}

TRatingsArray ParseRatings(const QByteArray &bytes)
{
    TRatingsArray ratings;
    TRatingRec r;
    for (qsizetype at = 0; RatingFromBuffer(bytes, at, r); at += kRatingRecSize)
        ratings.push_back(r);
    return ratings;
}

bool IsSoundRating(const TRatingRec &rating)
{
    if (rating.plays < 1 || rating.totalMatches < 0)
        return false;
    int64_t plays = 0;
    int64_t matches = 0;
    for (size_t k = 0; k < rating.matchCounts.size(); ++k) {
        if (rating.matchCounts[k] < 0)
            return false;
        plays += rating.matchCounts[k];
        matches += static_cast<int64_t>(k) * rating.matchCounts[k];
    }
    return plays == rating.plays && matches == rating.totalMatches;
}

TRatingsRead ReadRatingsBytes(const QByteArray &bytes)
{
    TRatingsRead read;
    TRatingRec r;
    qsizetype at = 0;
    for (; RatingFromBuffer(bytes, at, r); at += kRatingRecSize) {
        if (IsSoundRating(r))
            read.ratings.push_back(r);
        else
            ++read.badRecords;
    }
    read.tailBytes = static_cast<int>(bytes.size() - at);
    return read;
}

int CompareRatings(const TRatingRec &a, const TRatingRec &b, int column)
{
    if (a.plays == 0 || b.plays == 0 || column >= rcEff0)
        return 0;
    switch (column) {
    case rcName: {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseSensitive);
        return Sign(collator.compare(a.name, b.name));
    }
    case rcPlays:
        return Sign(static_cast<long double>(a.plays) - b.plays);
    case rcMatched:
        return Sign(static_cast<long double>(a.totalMatches) - b.totalMatches);
    case rcAverage:
        return Sign(std::round((static_cast<long double>(a.totalMatches) / a.plays -
                                static_cast<long double>(b.totalMatches) / b.plays) * 100));
    case rcProfit:
        return Sign(std::round((static_cast<long double>(a.profit) - b.profit) / 100));
    case rcAvgProfit:
        return Sign(std::round((ProfitPerPlay(a) - ProfitPerPlay(b)) / 100));
    default:
        if (column >= rcCount0 && column < rcEff0) {
            const size_t k = static_cast<size_t>(column - rcCount0);
            return Sign(static_cast<long double>(a.matchCounts[k]) - b.matchCounts[k]);
        }
        return 0;
    }
}

namespace {

// The comparison above is not a strict order (ratings without plays equal everything), so the scans are
// held inside the range instead of relying on the pivot to stop them.
void QuickSort(TRatingsArray &a, int left, int right, const std::function<int(const TRatingRec &, const TRatingRec &)> &cmp)
{
    while (left < right) {
        int i = left;
        int j = right;
        const TRatingRec pivot = a[static_cast<size_t>(left + (right - left) / 2)];
        do {
            while (i < right && cmp(a[static_cast<size_t>(i)], pivot) < 0)
                ++i;
            while (j > left && cmp(a[static_cast<size_t>(j)], pivot) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(a[static_cast<size_t>(i)], a[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (left < j)
            QuickSort(a, left, j, cmp);
        left = i;
    }
}

} // namespace

void SortRatings(TRatingsArray &ratings, int column, bool descending)
{
    // The E columns have no order: sorting by them leaves the list as it is, rather than letting the
    // exchanges of equal keys shuffle it.
    if (column < 0 || column >= rcEff0 || ratings.size() < 2)
        return;
    QuickSort(ratings, 0, static_cast<int>(ratings.size()) - 1, [&](const TRatingRec &a, const TRatingRec &b) {
        const int c = CompareRatings(a, b, column);
        return descending ? -c : c;
    });
}

QByteArray RatingsCsv(const TRatingsArray &ratings)
{
    QStringList captions = RatingsColumnCaptions();
    for (QString &c : captions)
        c = Quoted(c);
    QString text = captions.join(u';') + u"\r\n"_s;
    const TMatchShares shares = ExpectedMatchShares();
    for (const TRatingRec &r : ratings) {
        QStringList fields{Quoted(r.name)};
        for (int column = rcPlays; column < rcEff0; ++column)
            fields << RatingCellText(r, column, remExpected, shares);
        text += fields.join(u';') + u"\r\n"_s;
    }
    return Cp1251::encode(text);
}

QString RatingNameToScenarioLine(const QString &name)
{
    QString a;
    QString b = name;
    const qsizetype at = name.indexOf(u'@');
    if (at >= 0) {
        a = name.left(at).trimmed();
        b = name.mid(at + 1).trimmed();
    }
    b.replace(u" + "_s, u"|"_s);
    while (b.split(u'|').size() <= 7)
        b += u"| "_s;
    return b + u'|' + a;
}

bool IsRatingLineAcceptable(const QString &name, const QString &line, const TStatList &stats)
{
    // A name the file had to cut may decode into another line than the one that made the stakes.
    if (Cp1251::encode(name).size() >= 255)
        return false;
    if (SourceKeywordAtStart(ScenarioLineHeader(line)) < 0)
        return false;
    bool used = false;
    for (int slot = 1; slot <= kScenarioFilterCount; ++slot) {
        const QString filter = ScenarioLineFilter(line, slot);
        if (filter.isEmpty())
            continue;
        const TFilterItem item = TextToFilterItem(filter, stats);
        if (!item.Used || !item.Method || FilterItemText(item).isEmpty())
            return false;
        used = true;
    }
    return used;
}

// ---- TRatings ----

TRatings::TRatings(QString fileName) : m_fileName(fileName.isEmpty() ? DefaultFileName() : std::move(fileName)) {}

QString TRatings::DefaultFileName()
{
    return ProgramFilePath(u"Vendra.lrt"_s);
}

void TRatings::setSort(int column, bool descending)
{
    m_sortColumn = column;
    m_descending = descending;
}

bool TRatings::Load()
{
    bool ok = true;
    {
        BusySection busy;
        StatusScope status(Tr(u"Загрузка файла рейтинга..."));
        QByteArray bytes;
        try {
            if (!ReadRegularFile(m_fileName, FileBounds::kRatings, bytes))
                return true;
        } catch (const EFileReadError &e) {
            m_saveBlocked = true;
            ShowErrorBox(Format(u"Ошибка чтения файла рейтинга!\r\r%s", {e.message()}));
            MarkFileReadFailureReported(e.path()); // named here, not again at the end of a run
            return false;
        }
        TRatingsRead read = ReadRatingsBytes(bytes);
        m_items = std::move(read.ratings);
        if (read.damaged()) {
            // Never rewritten silently: the old bytes are kept first, and without that copy the file
            // stays as it is.
            ok = false;
            QString note;
            if (KeepDamagedFileCopy(m_fileName, bytes, note)) {
                ShowWarningBox(Format(u"Ошибка чтения файла рейтинга!\r\r%s\r\r%s",
                                      {DamagedFileText(m_fileName, read.badRecords, kRatingRecSize, read.tailBytes,
                                                       count()),
                                       note}));
            } else {
                m_saveBlocked = true;
                ShowErrorBox(Format(u"Ошибка чтения файла рейтинга!\r\r%s",
                                    {Format(u"Файл поврежден, а его копию сохранить не удалось, поэтому он оставлен "
                                            u"без изменений.\r\r%s",
                                            {note})}));
            }
        }
    }
    Sort();
    return ok;
}

bool TRatings::Save()
{
    bool ok = true;
    {
        BusySection busy;
        StatusScope status(Tr(u"Сохранение файла рейтинга..."));
        if (m_saveBlocked) {
            // The file on disk holds ratings this run could not read: it is kept as it is.
            ok = false;
        } else {
            try {
                WriteFileAtomically(m_fileName, SerializeRatings(m_items));
            } catch (const std::exception &e) {
                ShowErrorBox(Format(u"Ошибка записи в файл рейтинга!\r\r%s", {ExceptionText(e)}));
                ok = false;
            }
        }
    }
    if (m_changed)
        m_changed();
    return ok;
}

bool TRatings::Sort()
{
    {
        BusySection busy;
        StatusScope status(Tr(u"Сортировка рейтинга..."));
        SortRatings(m_items, m_sortColumn, m_descending);
    }
    return Save();
}

bool TRatings::Refresh(TStakesFile &stakes)
{
    if ((!m_items.empty() || m_saveBlocked) &&
        ConfirmBox(Tr(u"Пересчитать рейтинг только по текущим ставкам?\r\rНакопленные ранее данные по удаленным "
                      u"ставкам будут потеряны.")) != IDYES)
        return false;
    {
        BusySection busy;
        StatusScope status(Tr(u"Обновление рейтинга..."));
        TRatingsArray rebuilt;
        try {
            stakes.forEachRecord(0, [&rebuilt](int64_t, const TStakeRec &rec) {
                if (rec.drawNumber >= 0 && rec.isChecked())
                    AddRatingResult(rebuilt, rec.comment(), rec.matchCount(), rec.profit);
                return true;
            });
        } catch (const std::exception &e) {
            // A rebuild that could not read every stake would save a partial rating over the file:
            // the ratings stay as they were.
            ShowErrorBox(Format(u"Ошибка обновления рейтинга!\r\r%s", {ExceptionText(e)}));
            return false;
        }
        m_items = std::move(rebuilt);
        m_saveBlocked = false;
    }
    return Sort();
}

bool TRatings::ExportCsv(const QString &fileName) const
{
    BusySection busy;
    StatusScope status(Tr(u"Экспорт в CSV-файл..."));
    try {
        WriteChosenFile(fileName, RatingsCsv(m_items));
        return true;
    } catch (const std::exception &e) {
        ShowErrorBox(ExceptionText(e));
        return false;
    }
}
