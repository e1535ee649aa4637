#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/FilterItem.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class TStatList;

// The most variants one line may ask for; a line above it is refused before anything is built.
inline constexpr int64_t kMaxFilterVariants = 100000;

// True for the condition kinds that test one value (each value of the list makes its own variant);
// the list kinds, LVA and LNO test all their values at once.
bool IsSingleValueCondition(int levelMode);

// The filters of a scenario line: the non-empty fields 1..7 read as filter items, packed in field
// order (empty fields leave no gap). methodTexts holds each filter's method field as written, texts
// each filter's whole field.
struct TLineFilters {
    std::vector<TFilterItem> items;
    QStringList methodTexts;
    QStringList texts;
};
TLineFilters ReadLineFilters(const QString &line, const TStatList &stats);

// The variants of a line's filters: every combination of one number of draws per filter and, for the
// single-value conditions, one condition value per filter; the first filter changes slowest, and
// within a filter the number of draws before the value. A variant is made when it is asked for, so a
// line's variants never all sit in memory.
class TFilterVariants {
public:
    // Reads the filters' lists. Raises Exception "Некорректное описание фильтра: %s!" for a filter whose
    // numbers of draws are empty or not all at least 1, or whose condition (other than LNO) has no
    // value; and the too-many-variants message when the line asks for more than kMaxFilterVariants.
    // The message quotes the filter's field as the line holds it when texts gives it, else the text
    // the item writes.
    explicit TFilterVariants(const std::vector<TFilterItem> &items, const QStringList &texts = {});

    // The number of variants: the product over the filters of their numbers of draws times, for a
    // single-value condition, its number of values. 0 for a line without filters.
    int64_t count() const { return m_count; }
    // Variant v (0-based): parts 0..n-1 filled, the rest unused.
    TFilterRec variant(int64_t v) const;

private:
    struct Filter {
        TFilterItem item;
        TIntArray draws;
        TIntArray values; // single-value conditions: one variant each
        QString levelText; // the other conditions: the text every variant tests
        int64_t span = 1;  // the values of this filter (draws × values)
    };
    std::vector<Filter> m_filters;
    int64_t m_count = 0;
};

// The message of a line whose filters ask for too many variants (the reason after an empty line).
QString TooManyVariantsText(const QString &reason);
