#include "app/scenarios/FilterCheck.h"

#include "common/Translate.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/StatList.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString FilterRangeMessage()
{
    return Tr(u"Введен некорректный диапазон значений!");
}

QString FilterNoValueListMessage()
{
    return Tr(u"Для данного вида статистики не доступен режим выделения по списку значений!");
}

QString FilterMultiStopMessage()
{
    return Tr(u"В режиме мультивыделения остановка сценария по количеству комбинаций или чисел не может быть "
              u"выполнена!\rВыберите другой способ останова.");
}

QString FilterNoMethodMessage()
{
    return Tr(u"Не выбран метод расчета статистики!");
}

namespace {

// A list as the filter text holds it: digits, ",", "-", ";" and blanks. Anything else ("#", ":", "|")
// would end the field in the written filter, and the filter would read back as another one.
bool IsFilterListText(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return IsFilterListChar(c) || c == u' '; });
}

} // namespace

TFilterProblem CheckFilterItem(const TFilterItem &item)
{
    if (!item.Method)
        return {TFilterField::Method, FilterNoMethodMessage()};
    if (!IsFilterListText(item.DrawsLen))
        return {TFilterField::DrawsLen, FilterRangeMessage()};
    // Also under "no condition", whose values are kept in the filter as they are typed.
    if (!IsFilterListText(item.LevelValue))
        return {TFilterField::LevelValue, FilterRangeMessage()};

    // A statistic over no draws (or a negative number of them) counts nothing: every value of the list
    // has to be a real sample.
    const TIntArray draws = ParseIntList(item.DrawsLen);
    if (draws.empty() || std::any_of(draws.begin(), draws.end(), [](int n) { return n < 1; }))
        return {TFilterField::DrawsLen, FilterRangeMessage()};

    if (item.LevelMode != LevelModes::LNO) {
        if (item.LevelMode == LevelModes::LVA && !item.Method->MethodHasTextValue())
            return {TFilterField::LevelMode, FilterNoValueListMessage()};
        if (ParseIntList(item.LevelValue).empty())
            return {TFilterField::LevelValue, FilterRangeMessage()};
    }

    if (item.MultiSelect && item.StopMode == StopModes::SC)
        return {TFilterField::StopMode, FilterMultiStopMessage()};
    return {};
}

bool IsFilterListChar(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u',' || c == u'-' || c == u';';
}

bool ConditionUsesWeights(int levelMode)
{
    return levelMode == LevelModes::WMV || levelMode == LevelModes::WLV || levelMode == LevelModes::WDV;
}

int FilterSortColumnShown(int sortColumn, int columnCount)
{
    return sortColumn >= -1 && sortColumn < columnCount ? sortColumn : 1;
}

std::vector<TFilterMethodEntry> FilterMethodEntries(const TStatList &list)
{
    std::vector<TFilterMethodEntry> entries;
    for (int i = 0; i < list.MethodCount(); ++i) {
        if (!list.MethodAvailable(i) || !list.MethodSelectable(i) || !list.MethodIsFavorite(i))
            continue;
        entries.push_back({list.MethodCaption(i, true), &list.GetMethod(i)});
    }
    if (list.Ordered)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const TFilterMethodEntry &a, const TFilterMethodEntry &b) { return a.caption < b.caption; });
    return entries;
}
