#include "app/scenarios/StatStep.h"

#include "common/TextUtils.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"
#include "app/combinations/CombsFilter.h"
#include "app/scenarios/FilterCheck.h"
#include "app/combinations/CombsList.h"
#include "app/scenarios/ScenarioRunLog.h"

#include <QElapsedTimer>

#include <algorithm>
#include <charconv>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// ---- Numbers in the table's texts ----

QByteArray asciiOf(QStringView text)
{
    QByteArray bytes;
    const QStringView t = text.trimmed();
    bytes.reserve(t.size());
    for (QChar c : t) {
        if (c.unicode() > 0x7F)
            return {};
        bytes.append(char(c.unicode()));
    }
    return bytes;
}

bool textToInt(QStringView text, int64_t &value)
{
    const QByteArray b = asciiOf(text);
    const char *first = b.constData();
    const char *last = first + b.size();
    if (first < last && *first == '+')
        ++first;
    if (first == last)
        return false;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

// A float with "," or "." as the decimal point.
bool textToFloat(QStringView text, double &value)
{
    QByteArray b = asciiOf(text);
    b.replace(',', '.');
    return AsciiToFloat(b.constData(), b.constData() + b.size(), value);
}

int64_t intOrRaise(QStringView text)
{
    int64_t v = 0;
    if (!textToInt(text, v))
        throw EConvertError(Format(u"\"%s\" не является допустимым целым числом", {text.toString()}));
    return v;
}

double floatOrRaise(QStringView text)
{
    double v = 0;
    if (!textToFloat(text, v))
        throw EConvertError(Format(u"\"%s\" не является допустимым числом с плавающей точкой", {text.toString()}));
    return v;
}

// The items of a condition's list ("1,2;3").
QList<QStringView> listItems(const QString &text)
{
    QList<QStringView> items;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u',' || text[i] == u';') {
            items.append(QStringView(text).mid(start, i - start).trimmed());
            start = i + 1;
        }
    }
    return items;
}

enum class Test { AtLeast, AtMost, InList };

struct Condition {
    const QString TStatValues::*column = nullptr;
    bool isFloat = false;
    double lowDefault = 0;  // a cell that is no number, in the "not less than" test
    double highDefault = 0; // and in the "not more than" test
    Test test = Test::AtLeast;
};

Condition conditionOf(int kind)
{
    Condition c;
    if (kind >= LevelModes::LMV && kind <= LevelModes::CDP) {
        static const QString TStatValues::*const values[] = {&TStatValues::Depth, &TStatValues::Deviation,
                                                             &TStatValues::Count};
        static const QString TStatValues::*const percents[] = {&TStatValues::DepthPct, &TStatValues::DeviationPct,
                                                               &TStatValues::CountPct};
        const int group = (kind - 1) / 6;
        const int rule = (kind - 1) % 6; // MV MP LV LP DV DP
        c.isFloat = rule % 2 == 1;
        c.column = c.isFloat ? percents[group] : values[group];
        c.test = rule < 2 ? Test::AtLeast : rule < 4 ? Test::AtMost : Test::InList;
        c.highDefault = 65535;
        return c;
    }
    if (kind >= LevelModes::WMV && kind <= LevelModes::PXR) {
        const int group = (kind - LevelModes::WMV) / 3; // weight, period min, period, period max
        const int rule = (kind - LevelModes::WMV) % 3;
        static const QString TStatValues::*const columns[] = {&TStatValues::Weight, &TStatValues::PeriodMin,
                                                              &TStatValues::Period, &TStatValues::PeriodMax};
        c.column = columns[group];
        c.isFloat = group == 0 || group == 2;
        c.highDefault = c.isFloat ? 0 : 65535;
        c.test = rule == 0 ? Test::AtLeast : rule == 1 ? Test::AtMost : Test::InList;
        return c;
    }
    return c;
}

QString methodCodeOfText(const QString &methodText)
{
    const qsizetype colon = methodText.indexOf(u':');
    return (colon >= 0 ? methodText.left(colon) : methodText).trimmed();
}

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

bool RowMatches(const TFilterPart &part, const TStatValues &row)
{
    const int kind = part.LevelMode;
    if (kind == LevelModes::LNO)
        return true;
    if (kind == LevelModes::LVA) {
        for (QStringView item : listItems(part.LevelText))
            if (intOrRaise(item) == row.Value)
                return true;
        return false;
    }
    const Condition c = conditionOf(kind);
    if (!c.column)
        return false;
    const QString &cell = row.*(c.column);
    if (c.test == Test::InList) {
        // Every item is converted first: a bad list fails whatever the row holds.
        QList<double> floats;
        QList<int64_t> ints;
        for (QStringView item : listItems(part.LevelText)) {
            if (c.isFloat)
                floats.append(floatOrRaise(item));
            else
                ints.append(intOrRaise(item));
        }
        // A cell without a number (a value that never came up shows "-") equals no item.
        if (c.isFloat) {
            double v = 0;
            return textToFloat(cell, v) && floats.contains(v);
        }
        int64_t v = 0;
        return textToInt(cell, v) && ints.contains(v);
    }
    const int64_t n = intOrRaise(part.LevelText);
    double v = 0;
    if (c.isFloat) {
        if (!textToFloat(cell, v))
            v = c.test == Test::AtLeast ? c.lowDefault : c.highDefault;
    } else {
        int64_t i = 0;
        v = textToInt(cell, i) ? double(i) : (c.test == Test::AtLeast ? c.lowDefault : c.highDefault);
    }
    return c.test == Test::AtLeast ? v >= double(n) : v <= double(n);
}

int ListedMethodIndex(const TStatList &stats, const TStatMethod *method)
{
    if (!method)
        return -1;
    for (int i = 0; i < stats.MethodCount(); ++i)
        if (&stats.GetMethod(i) == method)
            return stats.MethodAvailable(i) && stats.MethodSelectable(i) && stats.MethodIsFavorite(i) ? i : -1;
    return -1;
}

QString StatRowLogText(const TStatValues &r)
{
    return Format(u"< [%s] кол-во: %s (%s %%), отклонение: %s (%s %%), глубина: %s (%s %%), вес: %s >",
                  {r.ValueText, r.Count, r.CountPct, r.Deviation, r.DeviationPct, r.Depth, r.DepthPct, r.Weight});
}

// ---- Tables ----

std::shared_ptr<const TDrawsStatResult> TStatTableCache::get(const TDrawsStatParams &params, const TStatTableKey &key)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->key == key) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return m_entries.front().result;
        }
    }
    auto result = std::make_shared<const TDrawsStatResult>(CalcDrawsStat(params));
    ++m_computations;
    m_entries.push_front({key, result});
    if (m_entries.size() > kCapacity)
        m_entries.pop_back();
    return result;
}

// ---- The step ----

namespace {

// 1. The method must be one the statistics page offers: its place in the registry.
int listedMethodOrRaise(const TFilterPart &part, const QString &methodText, const TStatList &stats)
{
    const int mi = ListedMethodIndex(stats, part.Method);
    if (mi < 0) {
        const QString code = part.Method ? part.Method->MethodCode() : methodCodeOfText(methodText);
        const QString title = part.Method ? part.Method->MethodFullTitle() : methodText;
        throw Exception(Format(u"Метод расчета статистики \"%s\" на найден!\r%s\r\rВозможно, Вы отключили данных "
                               u"метод расчета либо использовали сценарий от другой модификации программы.",
                               {code, title}));
    }
    if (part.LevelMode == LevelModes::LVA && !stats.GetMethod(mi).MethodHasTextValue())
        throw Exception(FilterNoValueListMessage());
    // 2. The order of the rows and the sample.
    if (part.SortColumn < -1 || part.SortColumn >= kDrawsStatColumns)
        throw Exception(Format(u"Некорректное значение номера столбца сортировки (%s)", {FilterSortColumnText(part)}));
    if (part.DrawsLen < 1)
        throw Exception(Format(u"Некорректное описание фильтра: %s!", {FilterPartToText(part)}));
    return mi;
}

// The rows of the table in the order the walk reads them: their records, their texts with the value
// the statistic reads from its text, and the ones that meet the condition (only those can be applied).
struct TWalkRows {
    std::vector<TStatValueRec> records;
    std::vector<TStatValues> values;
    std::vector<int> candidates;
};

TWalkRows walkRowsOf(const TFilterPart &part, const TDrawsStatResult &table, const std::vector<int> &order,
                     const TCustomStat &stat)
{
    TWalkRows rows;
    rows.records.resize(order.size());
    rows.values.resize(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        rows.records[k] = table.rows[size_t(order[k])].rec;
        rows.values[k] = StatRowForExport(&table.rows[size_t(order[k])]);
        rows.values[k].Value = stat.ValueFromText(rows.values[k].ValueText);
    }
    try {
        for (size_t k = 0; k < rows.values.size(); ++k)
            if (RowMatches(part, rows.values[k]))
                rows.candidates.push_back(int(k));
    } catch (const EConvertError &) {
        // The condition cannot be read: the walk raises it at its first row.
        rows.candidates.clear();
    }
    return rows;
}

// 7. The stop mode, tested before a row is used.
bool stopsBefore(const TFilterPart &part, const TStatValues &row, int steps, int64_t count)
{
    switch (part.StopMode) {
    case StopModes::SC:
        return !part.MultiSelect && count <= part.StopValue;
    case StopModes::SV: {
        int64_t c = 0;
        if (!textToInt(row.Count, c))
            c = 0;
        return part.BottomUp ? c >= part.StopValue : c <= part.StopValue;
    }
    case StopModes::SP: {
        double p = 0;
        if (!textToFloat(row.CountPct, p))
            p = 0;
        return part.BottomUp ? p >= part.StopValue : p <= part.StopValue;
    }
    case StopModes::ST:
        return steps >= part.StopValue;
    default:
        return false;
    }
}

QString countText(int64_t n)
{
    return Format(u"Количество комбинаций в списке: %d", {n});
}

QString stepText(int step, const TStatValues &r)
{
    return Format(u"Шаг %.3d. Выделение строки: < [%s] кол-во: %s (%s %%), отклонение: %s (%s %%), "
                  u"глубина: %s (%s %%), вес: %s >",
                  {step, r.ValueText, r.Count, r.CountPct, r.Deviation, r.DeviationPct, r.Depth, r.DepthPct, r.Weight});
}

} // namespace

// What one run of the step walks with.
struct TStatStep::TWalk {
    const TFilterPart &part;
    TContext &ctx;
    QString caption;
    std::vector<TStatValues> rows;
    bool deleting = false;
    QString keepText;
    // For each row applied (each call of the filter's apply): the filter log's row that shows its
    // count (-1: none).
    std::vector<qsizetype> logRows;

    void log(const QString &text) const
    {
        if (ctx.log && ctx.log->enabled())
            ctx.log->write(text);
    }
};

void TStatStep::run(const TFilterPart &part, const QString &methodText, TContext &ctx)
{
    TStatList &stats = *ctx.stats;
    m_lastSteps = 0;
    const int mi = listedMethodOrRaise(part, methodText, stats);
    const TStatMethod &method = stats.GetMethod(mi);
    TWalk walk{part, ctx, stats.MethodCaption(mi, true), {}, !part.KeepSelected,
               part.KeepSelected ? Tr(u"Оставляем выделенные значения...") : Tr(u"Удаляем выделенные значения..."),
               {}};
    // 3, 4.
    walk.log(Format(u"Анализ тиражей и расчет статистики \"%s\" для выборки в %d тиражей...",
                    {walk.caption, part.DrawsLen}));
    stats.ApplyWeights(OwnWeights(part));

    // 5. The table, with the columns the step reads (the facts only to sort by them).
    QElapsedTimer clock;
    clock.start();
    std::vector<int> order;
    const std::shared_ptr<const TDrawsStatResult> table = computeTable(part, method, ctx, order);
    m_timings.tables += msSince(clock);
    if (ctx.stopRequested())
        return;
    if (ctx.log && ctx.log->enabled())
        for (int r : order)
            walk.log(StatRowLogText(StatRowForExport(&table->rows[size_t(r)])));
    if (ctx.stopRequested())
        return;

    // 6. The statistic that reads the values' texts.
    const std::unique_ptr<TCustomStat> stat = method.CreateStat(stats);
    if (!stat)
        throw Exception(Format(u"Метод \"%s\" недоступен!", {method.MethodCode()}));
    clock.restart();
    TWalkRows rows = walkRowsOf(part, *table, order, *stat);
    walk.rows = std::move(rows.values);
    beginFilter(method, ctx, std::move(rows.records), std::move(rows.candidates));
    try {
        walkRows(walk);
    } catch (...) {
        endFilter(clock);
        throw;
    }
    endFilter(clock);
    // Only this step's own work said again: a list the step before left, written again the plain way
    // when this one read it, changed none of the counts this step said (it counts that list as read).
    if (m_filter.stepFellBack())
        sayTrueCounts(walk);
}

void TStatStep::sayTrueCounts(const TWalk &walk)
{
    // The step was worked out again the plain way: the counts said of its rows are said again as the
    // list holds them (the filter log's rows put right).
    const std::vector<int64_t> &counts = m_filter.rowCounts();
    walk.log(Tr(u"{!} Шаг выполнен заново обычным способом, количество комбинаций после каждой строки:"));
    for (size_t k = 0; k < walk.logRows.size() && k < counts.size(); ++k) {
        walk.log(countText(counts[k]));
        if (walk.logRows[k] >= 0)
            walk.ctx.combs->SetFilterLogCount(size_t(walk.logRows[k]), counts[k]);
    }
}

std::shared_ptr<const TDrawsStatResult> TStatStep::computeTable(const TFilterPart &part, const TStatMethod &method,
                                                                TContext &ctx, std::vector<int> &order)
{
    TStatList &stats = *ctx.stats;
    TStatPrefetch prefetch;
    bool norms = false;
    if (ctx.prefetchsEnabled && method.StatClass->HasKindN() && ctx.prefetch)
        norms = ctx.prefetch(method, prefetch);
    TDrawsStatParams params;
    params.list = &stats;
    params.method = &method;
    params.sampleLength = part.DrawsLen;
    params.offset = ctx.drawsOffset;
    params.sortedDraws = ctx.sortedDraws;
    params.prefetch = norms ? &prefetch : nullptr;
    params.withFacts = part.SortColumn >= dscFact && part.SortColumn <= dscDeltaKrn;
    params.withChart = false;
    TStatTableKey key;
    key.method = method.MethodCode();
    key.drawCount = stats.Draws() ? int(stats.Draws()->size()) : 0;
    key.sampleLength = part.DrawsLen;
    key.offset = ctx.drawsOffset;
    key.sortedDraws = ctx.sortedDraws;
    key.norms = norms;
    key.withFacts = params.withFacts;
    key.weights = stats.Config.weights;
    std::shared_ptr<const TDrawsStatResult> table = m_tables.get(params, key);
    order.resize(table->rows.size());
    std::iota(order.begin(), order.end(), 0);
    SortDrawsStatRows(order, table->rows, part.SortColumn, true);
    return table;
}

void TStatStep::beginFilter(const TStatMethod &method, TContext &ctx, std::vector<TStatValueRec> records,
                            std::vector<int> candidates)
{
    TStatList &stats = *ctx.stats;
    const int drawCount = stats.Draws() ? int(stats.Draws()->size()) : 0;
    TStatStepFilter::TSource source;
    source.stats = &stats;
    source.method = &method;
    source.last = TFilterDraws{drawCount, ctx.drawsOffset, ctx.sortedDraws}.lastDraw();
    source.sorted = ctx.sortedDraws;
    source.idle = ctx.idle;
    source.fullSet = &m_fullSet;
    source.afterStep = ctx.afterStep;
    if (ctx.nextMethod && ctx.nextMethod->StatClass && ctx.nextMethod->StatClass->HasKindN())
        source.next = m_fullSet.get(*ctx.nextMethod, stats, ctx.sortedDraws, ctx.idle);
    m_timings.combinations += ctx.combs->count();
    m_filter.begin(*ctx.combs, std::move(records), std::move(candidates), source);
}

void TStatStep::endFilter(const QElapsedTimer &clock)
{
    m_lastMode = m_filter.mode();
    m_filter.finish();
    m_timings.filtering += msSince(clock);
}

void TStatStep::walkRows(TWalk &walk)
{
    const TFilterPart &part = walk.part;
    const int rowCount = int(walk.rows.size());
    int &steps = m_lastSteps;
    std::vector<int> selected;
    for (int k = 0; k < rowCount; ++k) {
        const int idx = part.BottomUp ? rowCount - 1 - k : k;
        // 7. A stop ends the step without any further filtering.
        if (walk.ctx.stopRequested())
            return;
        const TStatValues &row = walk.rows[size_t(idx)];
        if (stopsBefore(part, row, steps, m_filter.count()))
            break;
        if (part.MultiSelect) {
            // 9. Every matching row is selected; every row walked is a step.
            if (RowMatches(part, row)) {
                selected.push_back(idx);
                walk.log(stepText(steps + 1, row));
            }
            ++steps;
            continue;
        }
        // 8. Single selection: one row at a time.
        if (!RowMatches(part, row))
            continue;
        walk.log(stepText(steps + 1, row));
        if (applyRow(walk, idx) > 0)
            ++steps;
        else if (part.StopMode == StopModes::SZ)
            break;
    }
    if (part.MultiSelect)
        applySelected(walk, std::move(selected));
}

int64_t TStatStep::applyRow(TWalk &walk, int idx)
{
    walk.log(walk.keepText);
    const int64_t left = m_filter.apply({idx}, walk.deleting);
    walk.logRows.push_back(qsizetype(walk.ctx.combs->filterLog().size()));
    walk.ctx.combs->AddFilterLog(walk.deleting, walk.caption, walk.rows[size_t(idx)].ValueText, left);
    walk.log(countText(left));
    if (left == 0)
        walk.log(Tr(u"{UNDO} Откат изменений..."));
    return left;
}

void TStatStep::applySelected(TWalk &walk, std::vector<int> selected)
{
    walk.log(walk.keepText);
    // Keeping no row at all would leave no combination: that is logged and undone at once.
    const bool applied = !selected.empty() || walk.deleting;
    const int64_t left = applied ? m_filter.apply(selected, walk.deleting) : 0;
    if (applied)
        walk.logRows.push_back(selected.empty() ? -1 : qsizetype(walk.ctx.combs->filterLog().size()));
    if (!selected.empty()) {
        // The values as the table lists the selected rows, top to bottom, whichever way it was walked.
        std::sort(selected.begin(), selected.end());
        QStringList texts;
        for (int idx : selected)
            texts.append(walk.rows[size_t(idx)].ValueText);
        walk.ctx.combs->AddFilterLog(walk.deleting, walk.caption, texts.join(u"; "_s), left);
    }
    walk.log(countText(left));
    if (left == 0)
        walk.log(Tr(u"{UNDO} Откат изменений..."));
}

QString TStatStep::fallbackReport() const
{
    const TStatStepFilter::TFallbacks f = m_filter.fallbacks();
    if (f.taken == 0)
        return {};
    return Format(u"Ускоренная фильтрация списка комбинаций не сошлась со своим подсчетом %d %s (методы: %s). "
                  u"Результат сценария верен: эти шаги выполнены заново обычным способом, только медленнее.",
                  {f.taken, RussianPlural(f.taken, u"раз"_s, u"раза"_s, u"раз"_s), f.methods.join(u", "_s)});
}
