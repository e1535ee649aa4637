#include "tests/app/scenarios/PlainStatStep.h"

#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"
#include "app/combinations/CombsFilter.h"
#include "app/combinations/CombsList.h"

#include <memory>
#include <numeric>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

bool cellInt(const QString &text, int64_t &value)
{
    bool ok = false;
    value = text.trimmed().toLongLong(&ok);
    return ok;
}

bool cellFloat(const QString &text, double &value)
{
    QString t = text.trimmed();
    t.replace(u',', u'.');
    if (t.isEmpty() || !(t[0].isDigit() || t[0] == u'-' || t[0] == u'+' || t[0] == u'.'))
        return false;
    bool ok = false;
    value = t.toDouble(&ok);
    return ok;
}

int64_t conditionInt(const QString &text)
{
    int64_t v = 0;
    if (!cellInt(text, v))
        throw std::runtime_error("condition value is not an integer");
    return v;
}

QStringList conditionItems(const QString &text)
{
    QStringList items;
    for (const QString &item : QString(text).replace(u';', u',').split(u','))
        items << item.trimmed();
    return items;
}

// The columns a condition kind reads, and how.
struct Column {
    QString TStatValues::*cell;
    bool isFloat;
    double lowDefault;  // no number, "not less than"
    double highDefault; // no number, "not more than"
};

Column columnOf(int kind)
{
    using S = TStatValues;
    switch (kind) {
    case LevelModes::LMV: case LevelModes::LLV: case LevelModes::LDV: return {&S::Depth, false, 0, 65535};
    case LevelModes::LMP: case LevelModes::LLP: case LevelModes::LDP: return {&S::DepthPct, true, 0, 65535};
    case LevelModes::DMV: case LevelModes::DLV: case LevelModes::DDV: return {&S::Deviation, false, 0, 65535};
    case LevelModes::DMP: case LevelModes::DLP: case LevelModes::DDP: return {&S::DeviationPct, true, 0, 65535};
    case LevelModes::CMV: case LevelModes::CLV: case LevelModes::CDV: return {&S::Count, false, 0, 65535};
    case LevelModes::CMP: case LevelModes::CLP: case LevelModes::CDP: return {&S::CountPct, true, 0, 65535};
    case LevelModes::WMV: case LevelModes::WLV: case LevelModes::WDV: return {&S::Weight, true, 0, 0};
    case LevelModes::PIM: case LevelModes::PIL: case LevelModes::PIR: return {&S::PeriodMin, false, 0, 65535};
    case LevelModes::PAM: case LevelModes::PAL: case LevelModes::PAR: return {&S::Period, true, 0, 0};
    case LevelModes::PXM: case LevelModes::PXL: case LevelModes::PXR: return {&S::PeriodMax, false, 0, 65535};
    default: return {nullptr, false, 0, 0};
    }
}

enum class Rule { AtLeast, AtMost, InList };

Rule ruleOf(int kind)
{
    switch (kind) {
    case LevelModes::LMV: case LevelModes::LMP: case LevelModes::DMV: case LevelModes::DMP:
    case LevelModes::CMV: case LevelModes::CMP: case LevelModes::WMV: case LevelModes::PIM:
    case LevelModes::PAM: case LevelModes::PXM:
        return Rule::AtLeast;
    case LevelModes::LLV: case LevelModes::LLP: case LevelModes::DLV: case LevelModes::DLP:
    case LevelModes::CLV: case LevelModes::CLP: case LevelModes::WLV: case LevelModes::PIL:
    case LevelModes::PAL: case LevelModes::PXL:
        return Rule::AtMost;
    default:
        return Rule::InList;
    }
}

QString rowText(const TStatValues &r)
{
    return u"< ["_s + r.ValueText + u"] кол-во: "_s + r.Count + u" ("_s + r.CountPct + u" %), отклонение: "_s
           + r.Deviation + u" ("_s + r.DeviationPct + u" %), глубина: "_s + r.Depth + u" ("_s + r.DepthPct
           + u" %), вес: "_s + r.Weight + u" >"_s;
}

QString stepText(int step, const TStatValues &r)
{
    return u"Шаг "_s + QString::number(step).rightJustified(3, u'0') + u". Выделение строки: "_s + rowText(r);
}

QString countText(int64_t count)
{
    return u"Количество комбинаций в списке: "_s + QString::number(count);
}

} // namespace

bool PlainRowMatches(const TFilterPart &part, const TStatValues &row)
{
    const int kind = part.LevelMode;
    if (kind == LevelModes::LNO)
        return true;
    if (kind == LevelModes::LVA) {
        bool found = false;
        for (const QString &item : conditionItems(part.LevelText))
            found = conditionInt(item) == row.Value || found;
        return found;
    }
    const Column column = columnOf(kind);
    if (!column.cell)
        return false;
    const QString &cell = row.*(column.cell);
    const Rule rule = ruleOf(kind);
    if (rule == Rule::InList) {
        bool found = false;
        for (const QString &item : conditionItems(part.LevelText)) {
            if (column.isFloat) {
                double want = 0, have = 0;
                if (!cellFloat(item, want))
                    throw std::runtime_error("list item is not a number");
                found = (cellFloat(cell, have) && have == want) || found;
            } else {
                int64_t have = 0;
                const int64_t want = conditionInt(item);
                found = (cellInt(cell, have) && have == want) || found;
            }
        }
        return found;
    }
    const double n = double(conditionInt(part.LevelText));
    double v = 0;
    bool number;
    if (column.isFloat) {
        number = cellFloat(cell, v);
    } else {
        int64_t i = 0;
        number = cellInt(cell, i);
        v = double(i);
    }
    if (!number)
        v = rule == Rule::AtLeast ? column.lowDefault : column.highDefault;
    return rule == Rule::AtLeast ? v >= n : v <= n;
}

PlainStepResult RunPlainStatStep(const TFilterPart &part, const PlainStepInput &in)
{
    TStatList &stats = *in.stats;
    TCombsList &list = *in.list;
    PlainStepResult out;
    auto stop = [&] { return in.stop && in.stop(); };

    // The method as the statistics page lists it.
    int listed = -1;
    for (int i = 0; i < stats.MethodCount(); ++i)
        if (&stats.GetMethod(i) == part.Method && stats.MethodAvailable(i) && stats.MethodSelectable(i)
            && stats.MethodIsFavorite(i))
            listed = i;
    if (listed < 0)
        throw std::runtime_error("the page does not offer the method");
    const TStatMethod &method = stats.GetMethod(listed);
    const QString caption = stats.MethodCaption(listed, true);
    out.log << u"Анализ тиражей и расчет статистики \""_s + caption + u"\" для выборки в "_s
                   + QString::number(part.DrawsLen) + u" тиражей..."_s;
    stats.Config.weights = part.CDLOverride ? part.Coefs : stats.WeightsBackup;

    // The whole table, as the page computes it, ordered by the column from the largest down.
    TDrawsStatParams params;
    params.list = &stats;
    params.method = &method;
    params.sampleLength = part.DrawsLen;
    params.offset = in.drawsOffset;
    params.sortedDraws = in.sortedDraws;
    params.prefetch = in.prefetch;
    const TDrawsStatResult table = CalcDrawsStat(params);
    std::vector<int> order(table.rows.size());
    std::iota(order.begin(), order.end(), 0);
    SortDrawsStatRows(order, table.rows, part.SortColumn, true);

    if (stop()) {
        out.stopped = true;
        return out;
    }
    for (int r : order)
        out.log << rowText(StatRowForExport(&table.rows[size_t(r)]));
    if (stop()) {
        out.stopped = true;
        return out;
    }

    const std::unique_ptr<TCustomStat> stat = method.CreateStat(stats);
    const bool deleting = !part.KeepSelected;
    const QString keepText = part.KeepSelected ? u"Оставляем выделенные значения..."_s
                                               : u"Удаляем выделенные значения..."_s;
    const int drawCount = int(stats.Draws()->size());
    const TFilterDraws draws{drawCount, in.drawsOffset, in.sortedDraws};
    std::vector<bool> selected(order.size(), false);

    const int n = int(order.size());
    for (int k = 0; k < n; ++k) {
        const int pos = part.BottomUp ? n - 1 - k : k;
        if (stop()) {
            out.stopped = true;
            break;
        }
        const TDrawsStatRow &tableRow = table.rows[size_t(order[size_t(pos)])];
        TStatValues row = StatRowForExport(&tableRow);
        row.Value = stat->ValueFromText(row.ValueText);

        int64_t count = 0;
        double countPct = 0;
        if (!cellInt(row.Count, count))
            count = 0;
        if (!cellFloat(row.CountPct, countPct))
            countPct = 0;
        bool stopHere = false;
        switch (part.StopMode) {
        case StopModes::SC: stopHere = !part.MultiSelect && list.count() <= part.StopValue; break;
        case StopModes::SV: stopHere = part.BottomUp ? count >= part.StopValue : count <= part.StopValue; break;
        case StopModes::SP: stopHere = part.BottomUp ? countPct >= part.StopValue : countPct <= part.StopValue; break;
        case StopModes::ST: stopHere = out.steps >= part.StopValue; break;
        default: break;
        }
        if (stopHere)
            break;

        if (part.MultiSelect) {
            if (PlainRowMatches(part, row)) {
                selected[size_t(pos)] = true;
                out.log << stepText(out.steps + 1, row);
            }
            ++out.steps;
            continue;
        }
        if (!PlainRowMatches(part, row))
            continue;
        out.log << stepText(out.steps + 1, row) << keepText;
        list.SaveUndo(false);
        TFilterSelection selection;
        selection.add(tableRow.rec, row.ValueText);
        FilterCombsStep(list, *stat, selection, deleting, draws, caption);
        out.log << countText(list.count());
        if (list.count() == 0) {
            out.log << u"{UNDO} Откат изменений..."_s;
            list.RestoreUndo(false);
            if (part.StopMode == StopModes::SZ)
                break;
            continue;
        }
        ++out.steps;
    }

    if (part.MultiSelect && !out.stopped) {
        // The selected rows as the table lists them, top to bottom.
        TFilterSelection selection;
        for (size_t pos = 0; pos < order.size(); ++pos)
            if (selected[pos]) {
                const TDrawsStatRow &r = table.rows[size_t(order[pos])];
                selection.add(r.rec, r.texts[dscValue]);
            }
        out.log << keepText;
        list.SaveUndo(false);
        FilterCombsStep(list, *stat, selection, deleting, draws, caption);
        // Keeping the combinations with any of no values keeps none.
        const int64_t left = selection.empty() && !deleting ? 0 : list.count();
        out.log << countText(left);
        if (left == 0) {
            out.log << u"{UNDO} Откат изменений..."_s;
            list.RestoreUndo(false);
        }
    }
    return out;
}
