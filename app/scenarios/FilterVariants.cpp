#include "app/scenarios/FilterVariants.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "lottery/DrawTexts.h"
#include "lottery/ScenarioLine.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void badFilter(const QString &text)
{
    throw Exception(Format(u"Некорректное описание фильтра: %s!", {text}));
}

QString joinInts(const TIntArray &values)
{
    QStringList texts;
    texts.reserve(qsizetype(values.size()));
    for (int v : values)
        texts.append(QString::number(v));
    return texts.join(u',');
}

} // namespace

bool IsSingleValueCondition(int m)
{
    using namespace LevelModes;
    switch (m) {
    case LMV: case LMP: case LLV: case LLP:
    case DMV: case DMP: case DLV: case DLP:
    case CMV: case CMP: case CLV: case CLP:
    case WMV: case WLV:
    case PIM: case PIL:
    case PAM: case PAL:
    case PXM: case PXL:
        return true;
    default:
        return false;
    }
}

TLineFilters ReadLineFilters(const QString &line, const TStatList &stats)
{
    TLineFilters filters;
    for (int slot = 1; slot <= kScenarioFilterCount; ++slot) {
        const QString field = ScenarioLineFilter(line, slot);
        if (field.isEmpty())
            continue;
        filters.items.push_back(TextToFilterItem(field, stats));
        filters.methodTexts.append(filters.items.back().MethodText);
        filters.texts.append(field);
    }
    return filters;
}

QString TooManyVariantsText(const QString &reason)
{
    return Tr(u"Вы задали слишком много вариантов фильтров - программа не сможет обработать их все!\r"
              u"Пожалуйста, уменьшите в каждом из фильтров количество вариантов длины выборки и глубины, а затем "
              u"повторите попытку.")
           + u"\r\r"_s + reason;
}

namespace {

[[noreturn]] void tooManyVariants()
{
    throw Exception(TooManyVariantsText(
        Format(u"Количество вариантов превышает %d.", {static_cast<long long>(kMaxFilterVariants)})));
}

} // namespace

TFilterVariants::TFilterVariants(const std::vector<TFilterItem> &items, const QStringList &texts)
{
    m_filters.reserve(items.size());
    for (const TFilterItem &item : items) {
        const qsizetype k = qsizetype(&item - items.data());
        const auto refuse = [&] { badFilter(k < texts.size() ? texts[k] : FilterItemText(item)); };
        // A range too long to list is no bad filter but too many variants.
        if (IsIntListRangeTooLong(item.DrawsLen) ||
            (item.LevelMode != LevelModes::LNO && IsIntListRangeTooLong(item.LevelValue)))
            tooManyVariants();
        Filter f{item, ParseIntList(item.DrawsLen), {}, {}, 1};
        // A sample of no draws counts nothing: such a filter is refused like an unreadable one.
        if (f.draws.empty() || std::any_of(f.draws.begin(), f.draws.end(), [](int d) { return d < 1; }))
            refuse();
        if (item.LevelMode != LevelModes::LNO) {
            const TIntArray values = ParseIntList(item.LevelValue);
            if (values.empty())
                refuse();
            if (IsSingleValueCondition(item.LevelMode))
                f.values = values;
            else
                f.levelText = joinInts(values);
        } else {
            f.levelText = item.LevelValue;
        }
        f.span = int64_t(f.draws.size()) * int64_t(f.values.empty() ? 1 : f.values.size());
        m_filters.push_back(std::move(f));
    }
    if (m_filters.empty())
        return;
    // Counted before anything is made: the lists come from files and the catalogue.
    int64_t count = 1;
    for (const Filter &f : m_filters) {
        if (f.span > kMaxFilterVariants || count > kMaxFilterVariants / f.span)
            tooManyVariants();
        count *= f.span;
    }
    m_count = count;
}

TFilterRec TFilterVariants::variant(int64_t v) const
{
    TFilterRec rec;
    // The last filter changes fastest.
    for (size_t k = m_filters.size(); k-- > 0;) {
        const Filter &f = m_filters[k];
        const int64_t digit = v % f.span;
        v /= f.span;
        const int64_t valueCount = f.values.empty() ? 1 : int64_t(f.values.size());
        const TFilterItem &item = f.item;
        TFilterPart &p = rec[k];
        p.Used = item.Used;
        p.Method = item.Method;
        p.DrawsLen = f.draws[size_t(digit / valueCount)];
        p.SortColumn = item.SortColumn;
        p.SortColumnText = item.SortColumnText;
        p.BottomUp = item.BottomUp;
        p.MultiSelect = item.MultiSelect;
        p.KeepSelected = item.KeepSelected;
        p.LevelMode = item.LevelMode;
        if (f.values.empty()) {
            p.LevelText = f.levelText;
            p.LevelValue = item.LevelValue;
        } else {
            p.LevelText = p.LevelValue = QString::number(f.values[size_t(digit % valueCount)]);
        }
        p.CDLOverride = item.CDLOverride;
        p.Coefs = item.Coefs;
        p.StopMode = item.StopMode;
        p.StopValue = item.StopValue;
    }
    return rec;
}
