#include "app/statistics/DrawsStatCalc.h"

#include "common/Format.h"
#include "common/TextCompare.h"
#include "common/Translate.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

struct ColumnSpec {
    const char16_t *caption;
    int width;
};
constexpr std::array<ColumnSpec, kDrawsStatColumns> kColumns = {{
    {u"Значение", 150},
    {u"Количество", 95},
    {u"Кол-во в %", 85},
    {u"Норма", 80},
    {u"Отклонение", 80},
    {u"Откл-ие в %", 80},
    {u"Глубина", 65},
    {u"Глубина в %", 90},
    {u"Вес", 65},
    {u"Посл. тираж", 90},
    {u"Период min", 90},
    {u"Период", 70},
    {u"Период max", 90},
    {u"Ожд. ПРД", 70},
    {u"Ожд. СТФ", 70},
    {u"Ожд. КРН", 70},
    {u"Факт", 60},
    {u"+/- ПРД", 65},
    {u"+/- СТФ", 65},
    {u"+/- КРН", 65},
}};

const QString kDash = u"-"_s;
// How many rows a long table makes (or sorts) between two calls of its idle routine.
constexpr int kIdleRows = 4096;

QString fixed(long double value, const char16_t *format)
{
    return Format(format, {value});
}

struct RowContext {
    const TCustomStat *stat;
    TStatValuesSummary summary;
    TWeightCoefs weights;
    int sampleSize;
    bool normsKnown;
};

// Every column of one value except the fact and its differences.
void fillRow(const RowContext &ctx, TDrawsStatRow &row)
{
    const TStatValueRec &r = row.rec;
    auto &t = row.texts;
    const int64_t count = r.Count;
    const int64_t norm = r.Norm;
    t[dscValue] = ctx.stat->ValueToText(r);
    t[dscCount] = QString::number(count);
    t[dscCountPct] = ctx.summary.Total != 0
                         ? fixed(static_cast<long double>(count * 100) / ctx.summary.Total, u"%.5f")
                         : kDash;
    if (ctx.normsKnown) {
        t[dscNorm] = QString::number(norm);
        t[dscDeviation] = QString::number(count - norm);
        long double pct;
        if (norm != 0)
            pct = static_cast<long double>((count - norm) * 100) / norm;
        else
            pct = count == 0 ? 0 : 100;
        t[dscDeviationPct] = fixed(pct, u"%.5f");
    } else {
        t[dscNorm] = t[dscDeviation] = t[dscDeviationPct] = kDash;
    }

    if (r.Depth == 0) {
        // The value did not occur in the sample.
        for (int c = dscDepth; c < kDrawsStatColumns; ++c)
            t[size_t(c)] = kDash;
        return;
    }
    t[dscDepth] = QString::number(r.Depth);
    t[dscDepthPct] = ctx.summary.MaxDepth != 0
                         ? fixed(static_cast<long double>(int64_t(r.Depth) * 100) / ctx.summary.MaxDepth, u"%.2f")
                         : kDash;
    t[dscWeight] = fixed(StatValueWeight(ctx.weights, ctx.normsKnown, r.Count, r.Norm, r.Depth, ctx.summary.Total,
                                         ctx.summary.MaxDepth),
                         u"%.2f");
    t[dscLastDraw] = QString::number(r.LastDraw);

    const long double last = r.LastDraw;
    if (count >= 2) {
        const long double period = static_cast<long double>(ctx.sampleSize) / count;
        t[dscPeriodMin] = QString::number(r.MinInterval);
        t[dscPeriod] = fixed(period, u"%.4f");
        t[dscPeriodMax] = QString::number(r.MaxInterval);
        t[dscExpPeriod] = QString::number(RoundHalfEven(last + period));
    } else {
        t[dscPeriodMin] = t[dscPeriod] = t[dscPeriodMax] = t[dscExpPeriod] = kDash;
    }
    if (count >= 1) {
        t[dscExpStf] = QString::number(RoundHalfEven((count + 1) * last / count));
        t[dscExpKrn] = QString::number(RoundHalfEven((count + 2) * (last + 1) / (count + 1)));
    } else {
        t[dscExpStf] = t[dscExpKrn] = kDash;
    }
    // The fact is filled in by the caller; until then there is none.
    t[dscFact] = t[dscDeltaPeriod] = t[dscDeltaStf] = t[dscDeltaKrn] = kDash;
}

void fillFact(TDrawsStatRow &row, int fact)
{
    auto &t = row.texts;
    if (fact < 0 || row.rec.Count < 1)
        return;
    t[dscFact] = QString::number(fact);
    t[dscDeltaPeriod] = DeltaText(t[dscExpPeriod], fact);
    t[dscDeltaStf] = DeltaText(t[dscExpStf], fact);
    t[dscDeltaKrn] = DeltaText(t[dscExpKrn], fact);
}

// The norms from the all-combinations distribution, scaled to the sample: the most frequent value of
// the full set is given the largest actual count (for a flat distribution, the mean of the smallest
// and the largest actual count). Returns the scale, 0 when the norms are not known.
long double applyNorms(const TStatPrefetch &prefetch, const TStatValuesSummary &summary, TStatDrawArray &values)
{
    if (prefetch.maxCount <= 0)
        return 0;
    const long double largest = prefetch.maxCount;
    const long double scale =
        prefetch.minCount == prefetch.maxCount
            ? (static_cast<long double>(int64_t(summary.MinCount) + summary.MaxCount) / 2) / largest
            : summary.MaxCount / largest;
    // The norm is worked out exactly, as file count * scaled / divisor: a product in floating point
    // can land beside a half and round to the wrong neighbour.
    const bool flat = prefetch.minCount == prefetch.maxCount;
    const int64_t scaled = flat ? int64_t(summary.MinCount) + summary.MaxCount : int64_t(summary.MaxCount);
    const int64_t divisor = flat ? 2 * int64_t(prefetch.maxCount) : int64_t(prefetch.maxCount);
    if (!values.empty()) {
        for (const TPrefetchRec &f : prefetch.records) {
            const int i = values.indexOf(PrefetchToStatValue(f).Keys);
            if (i < 0)
                continue;
            const bool exact = scaled == 0 || std::abs(int64_t(f.Count)) <= INT64_MAX / std::abs(scaled);
            values.setNorm(i, static_cast<int32_t>(exact ? RoundHalfEvenRatio(f.Count * scaled, divisor)
                                                         : RoundHalfEven(f.Count * scale)));
        }
    }
    return scale;
}

void buildChart(const TDrawsStatParams &p, const TCustomStat &stat, const TStatDrawArray &values,
                const std::vector<TDrawsStatRow> &rows, long double scale, bool normsKnown, TDrawsStatChart &chart)
{
    if (normsKnown) {
        const auto &recs = p.prefetch->records;
        chart.hasTotal = p.showTotalLine;
        chart.labels.reserve(qsizetype(recs.size()));
        chart.actual.reserve(qsizetype(recs.size()));
        if (chart.hasTotal)
            chart.total.reserve(qsizetype(recs.size()));
        for (size_t k = 0; k < recs.size(); ++k) {
            const TStatValueRec v = PrefetchToStatValue(recs[k]);
            const double x = double(k + 1);
            const int i = values.indexOf(v.Keys);
            // The table's text when the sample has the value; the statistic's text otherwise.
            chart.labels.append(i >= 0 ? rows[size_t(i)].texts[dscValue] : stat.ValueToText(v));
            if (chart.hasTotal)
                chart.total.append(QPointF(x, double(recs[k].Count * scale)));
            if (i >= 0)
                chart.actual.append(QPointF(x, values[i].Count));
            if (p.idle && k % kIdleRows == kIdleRows - 1)
                p.idle();
        }
        return;
    }
    // Without norms the values are charted in the order of their keys.
    std::vector<int> order(size_t(values.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return CompareStatKeys(values[a], values[b]) < 0; });
    chart.labels.reserve(qsizetype(order.size()));
    chart.actual.reserve(qsizetype(order.size()));
    for (size_t k = 0; k < order.size(); ++k) {
        chart.labels.append(rows[size_t(order[k])].texts[dscValue]);
        chart.actual.append(QPointF(double(k + 1), values[order[k]].Count));
        if (p.idle && k % kIdleRows == kIdleRows - 1)
            p.idle();
    }
}

} // namespace

QString DrawsStatColumnCaption(int column)
{
    return column >= 0 && column < kDrawsStatColumns ? Tr(kColumns[size_t(column)].caption) : QString();
}

int DrawsStatColumnWidth(int column)
{
    return column >= 0 && column < kDrawsStatColumns ? kColumns[size_t(column)].width : 0;
}

int64_t RoundHalfEven(long double x)
{
    if (!std::isfinite(x))
        return 0;
    long double whole = std::floor(x);
    const long double fraction = x - whole;
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(whole, 2.0L) != 0))
        whole += 1;
    return static_cast<int64_t>(whole);
}

QList<QPointF> ThinChartPoints(const QList<QPointF> &points, int stretches)
{
    const qsizetype n = points.size();
    if (stretches < 1 || n <= 2 * qsizetype(stretches))
        return points;
    QList<QPointF> thin;
    thin.reserve(2 * stretches + 2);
    for (int s = 0; s < stretches; ++s) {
        const qsizetype begin = n * s / stretches;
        const qsizetype end = n * (s + 1) / stretches;
        qsizetype low = begin;
        qsizetype high = begin;
        for (qsizetype i = begin + 1; i < end; ++i) {
            if (points[i].y() < points[low].y())
                low = i;
            if (points[i].y() > points[high].y())
                high = i;
        }
        // The first and last points of the line stay where they are.
        if (s == 0 && low != 0 && high != 0)
            thin.append(points[0]);
        thin.append(points[std::min(low, high)]);
        if (low != high)
            thin.append(points[std::max(low, high)]);
        if (s == stretches - 1 && low != n - 1 && high != n - 1)
            thin.append(points[n - 1]);
    }
    return thin;
}

int64_t RoundHalfEvenRatio(int64_t numerator, int64_t denominator)
{
    if (denominator == 0)
        return 0;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    int64_t whole = numerator / denominator;
    int64_t rest = numerator % denominator;
    if (rest < 0) {
        whole -= 1;
        rest += denominator;
    }
    // rest / denominator is the fraction in [0, 1): compare it with a half without overflow.
    const int64_t other = denominator - rest;
    if (rest > other || (rest == other && whole % 2 != 0))
        whole += 1;
    return whole;
}

TDrawsStatResult CalcDrawsStat(const TDrawsStatParams &p)
{
    TDrawsStatResult result;
    if (!p.list || !p.method)
        return result;
    const TDrawsArray *draws = p.list->Draws();
    const int drawCount = draws ? static_cast<int>(draws->size()) : 0;
    if (drawCount == 0)
        return result;
    const std::unique_ptr<TCustomStat> stat = p.method->CreateStat(*p.list);
    if (!stat)
        return result;
    result.computed = true;

    // An offset at or beyond the archive leaves an empty sample: every value the statistic enumerates
    // is listed with a count of 0, and no draw is read.
    const TSampleBounds sample = SampleBounds(drawCount, p.offset, std::max(p.sampleLength, 1));
    result.first = sample.First;
    result.last = sample.Last;
    result.sampleSize = sample.empty() ? 0 : sample.Last - sample.First + 1;

    TStatDrawArray values = ComputeStatValues(*stat, sample, p.sortedDraws, p.progress);
    result.summary = StatValuesSummary(values);

    long double scale = 0;
    if (p.prefetch) {
        result.normsKnown = p.prefetch->maxCount > 0;
        scale = applyNorms(*p.prefetch, result.summary, values);
    }

    const RowContext ctx{stat.get(), result.summary, p.list->Config.weights, result.sampleSize, result.normsKnown};
    // Made one by one (not all at once up front), so that a long table lets the window work from its start.
    result.rows.reserve(size_t(values.size()));
    // The fact of a value is the first draw after the sample that has it: only the draws left out by
    // the offset can hold one, so there is nothing to look for without them.
    const bool hiddenDraws = p.withFacts && !sample.empty() && sample.Last + 1 < drawCount;
    for (int i = 0; i < values.size(); ++i) {
        TDrawsStatRow &row = result.rows.emplace_back();
        row.rec = values[i];
        fillRow(ctx, row);
        if (hiddenDraws && row.rec.Depth > 0 && row.rec.Count > 0)
            fillFact(row, stat->FindDrawWithValue(row.rec, sample.Last + 1, sample.Last, p.sortedDraws));
        if (p.idle && i % kIdleRows == kIdleRows - 1)
            p.idle();
    }

    if (p.withChart && values.size() > 1)
        buildChart(p, *stat, values, result.rows, scale, result.normsKnown, result.chart);
    return result;
}

void SortDrawsStatRows(std::vector<int> &order, const std::vector<TDrawsStatRow> &rows, int column, bool descending,
                       const std::function<void()> &idle)
{
    if (column < 0 || column >= kDrawsStatColumns)
        return;
    // Each text is placed once; a long table lets the window work now and then meanwhile.
    constexpr size_t kIdleEvery = kIdleRows;
    std::vector<TTextSortKey> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        keys.emplace_back(rows[i].texts[size_t(column)]);
        if (idle && i % kIdleEvery == kIdleEvery - 1)
            idle();
    }
    // The value's text decides between equal texts.
    std::vector<TTextSortKey> valueKeys;
    if (column != dscValue) {
        valueKeys.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            valueKeys.emplace_back(rows[i].texts[dscValue]);
            if (idle && i % kIdleEvery == kIdleEvery - 1)
                idle();
        }
    }
    auto before = [&](int a, int b) {
        int compare = keys[size_t(a)].compare(keys[size_t(b)]);
        if (compare == 0 && column != dscValue)
            compare = valueKeys[size_t(a)].compare(valueKeys[size_t(b)]);
        return descending ? compare > 0 : compare < 0;
    };
    if (!idle) {
        std::stable_sort(order.begin(), order.end(), before);
        return;
    }
    // A stable merge sort in pieces: runs of a few thousand rows, then merges of neighbouring runs,
    // the window working between any two of them.
    const size_t n = order.size();
    for (size_t begin = 0; begin < n; begin += kIdleEvery) {
        std::stable_sort(order.begin() + ptrdiff_t(begin), order.begin() + ptrdiff_t(std::min(begin + kIdleEvery, n)),
                         before);
        idle();
    }
    std::vector<int> merged(n);
    for (size_t width = kIdleEvery; width < n; width *= 2) {
        for (size_t begin = 0; begin < n; begin += 2 * width) {
            const auto first = order.begin() + ptrdiff_t(begin);
            const auto middle = order.begin() + ptrdiff_t(std::min(begin + width, n));
            const auto last = order.begin() + ptrdiff_t(std::min(begin + 2 * width, n));
            std::merge(first, middle, middle, last, merged.begin() + ptrdiff_t(begin), before);
            idle();
        }
        order.swap(merged);
    }
}

TStatValues StatRowForExport(const TDrawsStatRow *row)
{
    TStatValues v;
    if (!row)
        return v;
    const auto &t = row->texts;
    v.ValueText = t[dscValue];
    v.Count = t[dscCount];
    v.CountPct = t[dscCountPct];
    v.Deviation = t[dscDeviation];
    v.DeviationPct = t[dscDeviationPct];
    v.Depth = t[dscDepth];
    v.DepthPct = t[dscDepthPct];
    v.Weight = t[dscWeight];
    v.PeriodMin = t[dscPeriodMin];
    v.Period = t[dscPeriod];
    v.PeriodMax = t[dscPeriodMax];
    return v;
}

bool TDrawsStatCache::update(const TDrawsStatKey &key)
{
    const bool changed = !m_valid || !(key == m_key);
    m_key = key;
    m_valid = true;
    return changed;
}
