#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/ScenarioKeywords.h"

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <vector>

class TStatList;
struct TStatMethod;

// The filters of a scenario line. A filter names a statistic and the numbers of draws over which it is
// computed, orders the rows of the statistics table by one column, walks them top down or bottom up,
// selects rows that meet a condition and keeps or deletes the combinations that have the selected
// values, until its stop mode says so.
//
// Text of a filter (one field of a scenario line):
//   <B|T><M|S><F|D><sort column>#<method code>:<draws>#<condition>:<values>#<stop mode>:<stop value>
//   and, for a filter with its own weights, #<count>:<deviation>:<level>:<percents 1|0>:<abs 1|0>
// for example TSF1#SUMS:10#CMV:5#SC:1#1:0.5:2:0:1.
//
// Method points into the registry's method list: it is valid until the registry is rebuilt, so items are
// read from their text again after a change of the statistic settings.

// The sort column of a filter whose text after its three letters is no 32-bit number ("-1x", "--1",
// "99999999999"): no column of any table, so a run refuses it as it refuses a column the table lacks.
// The item keeps that text as typed (SortColumnText), and writes and names it as typed.
constexpr int32_t kUnreadableSortColumn = INT32_MIN;

// One filter of a line as it is edited and stored.
struct TFilterItem {
    bool Used = false;
    QString MethodText{};                // the method field as read ("SUMS:10"); written back when Method is nil
    const TStatMethod *Method = nullptr; // the registry entry named by the method field
    QString DrawsLen{};                  // numbers of draws: "10", "1, 2, 3" or "1-10;2"
    int32_t SortColumn = 0;    // column of the statistics table ("Значение" 0, "Количество" 1, ...)
    QString SortColumnText{};  // the column as typed when it is no number (SortColumn kUnreadableSortColumn)
    bool BottomUp = false;     // B: walk the rows from the bottom; T: from the top
    bool MultiSelect = false;  // M: select all matching rows at once; S: one at a time
    bool KeepSelected = false; // F: keep the combinations with the selected values; D: delete them
    uint8_t LevelMode = LevelModes::LNO; // condition kind
    QString LevelValue{};                // its value or values, same forms as DrawsLen
    bool CDLOverride = false;            // the filter has its own weight coefficients
    TWeightCoefs Coefs{};
    uint8_t StopMode = StopModes::SF;
    int32_t StopValue = 0;

    bool operator==(const TFilterItem &o) const = default;
};

// One filter resolved for one variant of a line: one number of draws and the condition value(s) that
// this variant tests (LevelText), with the value text shown for it (LevelValue).
struct TFilterPart {
    bool Used = false;
    const TStatMethod *Method = nullptr;
    int32_t DrawsLen = 0;
    int32_t SortColumn = 0;
    QString SortColumnText{}; // as in the item
    bool BottomUp = false;
    bool MultiSelect = false;
    bool KeepSelected = false;
    uint8_t LevelMode = LevelModes::LNO;
    QString LevelText{};
    QString LevelValue{};
    bool CDLOverride = false;
    TWeightCoefs Coefs{};
    uint8_t StopMode = StopModes::SF;
    int32_t StopValue = 0;

    bool operator==(const TFilterPart &o) const = default;
};

inline constexpr int kScenarioFilterCount = 7;

// The filters of one variant: element 0..6 = filter slots 1..7 of the line.
using TFilterRec = std::array<TFilterPart, kScenarioFilterCount>;

// One variant of a line's filters. The variants of a line are kept in a TFilterVars list, in the order
// in which they are built and run.
struct TFilterVar {
    TFilterRec Filters{};
};
using TFilterVars = std::vector<TFilterVar>;

// The text of a filter; "" for an unused slot. FilterItemText is the same routine.
QString FilterItemToText(const TFilterItem &item);
QString FilterItemText(const TFilterItem &item);

// The filter a text describes, its method looked up in the given registry (the program's own by
// default). Reading never fails: an empty text is an unused slot, and whatever cannot be read takes its
// default (sort column 1, condition LNO with no value, stop mode SF with value 0, or 1 when its number
// is bad, coefficients 0, no method when the method field names none).
TFilterItem TextToFilterItem(QStringView text, const TStatList &list);
TFilterItem TextToFilterItem(QStringView text);

// The sort column as the filter's text has it: the number, or the text typed in place of one.
QString FilterSortColumnText(const TFilterItem &item);
QString FilterSortColumnText(const TFilterPart &part);

// The text of a resolved filter (as the item's, without the sort column); "" for an unused part.
QString FilterPartToText(const TFilterPart &part);
// The texts of the used parts joined by " + ", in slot order.
QString FilterRecToText(const TFilterRec &rec);

// The filter's own weight coefficients, or nullptr when it uses the settings' ones (for
// TStatList::ApplyWeights).
const TWeightCoefs *OwnWeights(const TFilterItem &item);
const TWeightCoefs *OwnWeights(const TFilterPart &part);
