#include "lottery/FilterItem.h"

#include "common/TextUtils.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatMethod.h"

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kFieldDelimiter = u"#";
constexpr QStringView kValueDelimiter = u":";

QString modeLetters(bool bottomUp, bool multiSelect, bool keepSelected)
{
    QString letters;
    letters += bottomUp ? u'B' : u'T';
    letters += multiSelect ? u'M' : u'S';
    letters += keepSelected ? u'F' : u'D';
    return letters;
}

// Coefficients as plain decimals with "." (never an exponent, which the reader would take apart),
// then the two flags.
QString weightsText(const TWeightCoefs &c)
{
    return FloatToDotText(double(c.count)) + u':' + FloatToDotText(double(c.deviation)) + u':' +
           FloatToDotText(double(c.level)) + u':' + BoolToDigit(c.usePercents) + u':' + BoolToDigit(c.useAbsValues);
}

QString conditionText(uint8_t levelMode, const QString &levelValue)
{
    return ConditionKeyword(levelMode) + u':' + levelValue;
}

QString stopText(uint8_t stopMode, int32_t stopValue)
{
    return StopModeKeyword(stopMode) + u':' + QString::number(stopValue);
}

QString sortColumnText(int32_t column, const QString &typed)
{
    return column == kUnreadableSortColumn && !typed.isEmpty() ? typed : QString::number(column);
}

// The text after the first ":" of a field ("CMV:5" gives "5"), trimmed.
QString valueOf(QStringView field)
{
    return TrimControl(ScenarioWord(2, field, kValueDelimiter));
}

} // namespace

QString FilterItemToText(const TFilterItem &item)
{
    if (!item.Used)
        return {};
    QString text = modeLetters(item.BottomUp, item.MultiSelect, item.KeepSelected) + FilterSortColumnText(item);
    // An empty method field is written as a blank: runs of "#" count as one when the text is read, so
    // an empty field would move the condition into the method's place.
    const QString method = item.Method ? QString(item.Method->MethodCode() + u':' + item.DrawsLen) : item.MethodText;
    text += u'#';
    text += TrimControl(method).isEmpty() ? u" "_s : method;
    text += u'#' + conditionText(item.LevelMode, item.LevelValue);
    text += u'#' + stopText(item.StopMode, item.StopValue);
    if (item.CDLOverride)
        text += u'#' + weightsText(item.Coefs);
    return text;
}

QString FilterItemText(const TFilterItem &item)
{
    return FilterItemToText(item);
}

TFilterItem TextToFilterItem(QStringView text, const TStatList &list)
{
    TFilterItem item;
    const QString trimmed = TrimControl(text);
    if (trimmed.isEmpty())
        return item;
    item.Used = true;
    const int words = ScenarioWordCount(trimmed, kFieldDelimiter);

    // Mode letters and sort column (-1 leaves the rows unsorted; none written gives the count column).
    // A number is kept as written and a text that is no number gets a column no table has, so that the
    // run refuses both (below -1 as above its last) rather than sort by another column in silence; that
    // text is kept, for the filter's text and the refusal to show what was typed.
    const QString modes = ScenarioWord(1, trimmed, kFieldDelimiter);
    const QString column = TrimControl(QStringView(modes).mid(qMin<qsizetype>(3, modes.size())));
    bool columnRead = false;
    item.SortColumn = TextToIntDef(column, 1, &columnRead);
    if (!column.isEmpty() && !columnRead) {
        item.SortColumn = kUnreadableSortColumn;
        item.SortColumnText = column;
    }
    item.BottomUp = modes.contains(u'B');
    item.MultiSelect = modes.contains(u'M');
    item.KeepSelected = modes.contains(u'F');

    // Method and draws. A code written whole before ":" wins over a shorter code that merely begins
    // the field (CHN12 before CHN1).
    item.MethodText = ScenarioWord(2, trimmed, kFieldDelimiter);
    if (!item.MethodText.isEmpty()) {
        const int index = list.FindMethodForText(TrimControl(item.MethodText));
        if (index >= 0) {
            item.Method = &list.GetMethod(index);
            item.DrawsLen = valueOf(item.MethodText);
        }
    }

    if (words >= 3) {
        const QString condition = TrimControl(ScenarioWord(3, trimmed, kFieldDelimiter));
        const int mode = ConditionKeywordAtStart(condition);
        if (mode >= 0) {
            item.LevelMode = uint8_t(mode);
            item.LevelValue = valueOf(condition);
        }
    }

    if (words >= 4) {
        const QString stop = TrimControl(ScenarioWord(4, trimmed, kFieldDelimiter));
        const int mode = StopModeKeywordAtStart(stop);
        if (mode >= 0) {
            item.StopMode = uint8_t(mode);
            item.StopValue = TextToIntDef(valueOf(stop), 1);
        }
    }

    if (words >= 5) {
        const QString weights = ScenarioWord(5, trimmed, kFieldDelimiter);
        item.CDLOverride = true;
        item.Coefs.count = DotTextToFloatDef(ScenarioWord(1, weights, kValueDelimiter), 0);
        item.Coefs.deviation = DotTextToFloatDef(ScenarioWord(2, weights, kValueDelimiter), 0);
        item.Coefs.level = DotTextToFloatDef(ScenarioWord(3, weights, kValueDelimiter), 0);
        item.Coefs.usePercents = TrimControl(ScenarioWord(4, weights, kValueDelimiter)) == u"1";
        item.Coefs.useAbsValues = TrimControl(ScenarioWord(5, weights, kValueDelimiter)) == u"1";
    }
    return item;
}

TFilterItem TextToFilterItem(QStringView text)
{
    return TextToFilterItem(text, StatList());
}

QString FilterSortColumnText(const TFilterItem &item)
{
    return sortColumnText(item.SortColumn, item.SortColumnText);
}

QString FilterSortColumnText(const TFilterPart &part)
{
    return sortColumnText(part.SortColumn, part.SortColumnText);
}

QString FilterPartToText(const TFilterPart &part)
{
    if (!part.Used)
        return {};
    QString text = modeLetters(part.BottomUp, part.MultiSelect, part.KeepSelected);
    text += kFieldDelimiter;
    if (part.Method)
        text += part.Method->MethodCode();
    text += u':' + QString::number(part.DrawsLen);
    text += u'#' + conditionText(part.LevelMode, part.LevelValue);
    text += u'#' + stopText(part.StopMode, part.StopValue);
    if (part.CDLOverride)
        text += u'#' + weightsText(part.Coefs);
    return text;
}

QString FilterRecToText(const TFilterRec &rec)
{
    QString text;
    for (const TFilterPart &part : rec)
        text = AddWithDelimiter(text, FilterPartToText(part), u" + ");
    return text;
}

const TWeightCoefs *OwnWeights(const TFilterItem &item)
{
    return item.CDLOverride ? &item.Coefs : nullptr;
}

const TWeightCoefs *OwnWeights(const TFilterPart &part)
{
    return part.CDLOverride ? &part.Coefs : nullptr;
}
