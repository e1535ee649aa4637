#include "app/combinations/CombsFilter.h"

#include "common/BusyCursor.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/TextUtils.h"
#include "common/Translate.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "app/combinations/CombsList.h"

using namespace Qt::StringLiterals;

void TFilterSelection::add(const TStatValueRec &value, const QString &valueText)
{
    values.append(value);
    if (!text.isEmpty())
        text += u"; ";
    text += valueText;
}

bool TFilterSelection::addNumber(int n, const QString &numberText)
{
    if (n < 1 || n > kMaxNumber || values.indexOf(TStatKeys::of(uint16_t(n))) >= 0)
        return false;
    TStatValueRec value;
    value.Keys.set(uint16_t(n));
    add(value, numberText);
    return true;
}

int TFilterDraws::lastDraw() const
{
    const int64_t last = int64_t(drawCount) - 1 - drawsOffset;
    return last >= 0 ? int(last) : 0;
}

bool FilterCombsStep(TCombsList &list, TCustomStat &stat, const TFilterSelection &selection, bool deleting,
                     const TFilterDraws &draws, const QString &caption)
{
    BusySection busy;
    struct StatusReset {
        ~StatusReset() { SetStatusText({}); }
    } reset;
    SetStatusText(Tr(u"Фильтрация комбинаций..."));
    if (selection.empty())
        return false;

    if (list.undoCount() == 0) {
        list.SetCombsCapacity(0, 0);
    } else {
        const int last = draws.lastDraw();
        const bool sorted = draws.sortedDraws;
        const TStatDrawArray &values = selection.values;
        try {
            stat.LoadDraw(-1, last, sorted);
            list.rebuildFromUndo(
                [&](const TComb &c) { return stat.CombMatches(c, values, last, sorted, deleting) != deleting; },
                [](double percent) { return Format(u"Фильтрация комбинаций ( завершено %.0f %% )...", {percent}); });
        } catch (...) {
            // Not a half-filtered list: back to the list before the step.
            list.RestoreUndo(false);
            throw;
        }
        list.AddFilterLog(deleting, caption, selection.text);
    }
    list.RefreshCombsCount();
    return true;
}

void FilterCombsByNumbers(TCombsList &list, const TStatList &stats, const TFilterSelection &selection, bool deleting,
                          const TFilterDraws &draws, const QString &caption)
{
    if (selection.empty())
        throw Exception(Tr(u"В выделенном диапазоне нет значений для фильтра!"));
    const int method = stats.FindMethod(u"NUMS");
    std::unique_ptr<TCustomStat> stat = method >= 0 ? stats.CreateMethodStat(method) : nullptr;
    if (!stat)
        throw Exception(Tr(u"Статистика чисел тиража недоступна!"));
    FilterCombsStep(list, *stat, selection, deleting, draws, caption);
}

TFilterSelection CardSelection(const TCellTextFn &cell, const QRect &cells)
{
    TFilterSelection selection;
    for (int column = cells.left(); column <= cells.right(); ++column)
        for (int row = cells.top(); row <= cells.bottom(); ++row) {
            const QString text = cell(column, row);
            if (!text.trimmed().isEmpty())
                selection.addNumber(TextToIntZero(text), text);
        }
    return selection;
}

TFilterSelection LayoutSelection(const TCellTextFn &cell, const QRect &cells)
{
    TFilterSelection selection;
    for (int column = cells.left(); column <= cells.right(); ++column)
        for (int row = cells.top(); row <= cells.bottom(); ++row) {
            const QString text = cell(column, row);
            for (QStringView word : QStringView(text).split(u',')) {
                QString clean = word.toString();
                clean.remove(u'[').remove(u']');
                clean = clean.trimmed();
                if (!clean.isEmpty())
                    selection.addNumber(TextToIntZero(clean), clean);
            }
        }
    return selection;
}

TFilterSelection WeekSelection(int left, int right)
{
    TFilterSelection selection;
    for (int n = std::max(left, 1); n <= std::min(right, kMaxNumber); ++n)
        selection.addNumber(n, QString::number(n));
    return selection;
}
