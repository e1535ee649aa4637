#include "app/stakes/StakesGridText.h"

#include "common/Translate.h"
#include "lottery/DrawTexts.h"
#include "lottery/NumberGeometry.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QStringList StakesColumnCaptions()
{
    return {Tr(u"№ тиража"),   Tr(u"Вид ставки"), Tr(u"Моя ставка"), Tr(u"Выборка"),    Tr(u"Результаты тиража"),
            Tr(u"Совпадений"), Tr(u"Совпадения"), Tr(u"Профит"),     Tr(u"Комментарий")};
}

int StakesColumnWidth(int column)
{
    switch (column) {
    case scNumbers:
    case scDrawNumbers:
        return 120;
    case scComment:
        return 1000;
    default:
        return 60;
    }
}

namespace {

QString JoinNumbers(const std::vector<int> &numbers, QStringView separator)
{
    QString text;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            text += separator;
        text += QString::number(numbers[i]);
    }
    return text;
}

std::vector<int> SetNumbers(const TNumSet &set)
{
    std::vector<int> numbers;
    const int count = NumSetCount(set);
    for (int i = 0; i < count; ++i)
        numbers.push_back(set.numbers[static_cast<size_t>(i)]);
    return numbers;
}

} // namespace

bool IsUncheckableStake(const TStakeRec &rec)
{
    return rec.isStake() && !rec.isChecked() && !ValidStakeNumbers(rec.numbers);
}

QString UncheckableStakeText()
{
    return Tr(u"Неверная ставка");
}

std::vector<int> StakeCellNumbers(const TStakeRec &rec, int column)
{
    if (!rec.isStake())
        return {};
    if (column == scNumbers)
        return SetNumbers(rec.numbers);
    if (column == scDrawNumbers && rec.isChecked())
        return {rec.drawNumbers.begin(), rec.drawNumbers.end()};
    return {};
}

bool IsMatchedNumber(const TStakeRec &rec, int number)
{
    if (!rec.isChecked())
        return false;
    const std::vector<int> matched = SetNumbers(rec.matches);
    return std::find(matched.begin(), matched.end(), number) != matched.end();
}

QString StakeCellText(const TStakeRec &rec, int column)
{
    if (!rec.isStake())
        return {};
    switch (column) {
    case scDraw:
        return QString::number(rec.drawNumber);
    case scKind:
        return StakeKindCaption(rec.kind);
    case scNumbers:
        return JoinNumbers(StakeCellNumbers(rec, column), u";");
    case scDrawNumbers:
        if (IsUncheckableStake(rec))
            return UncheckableStakeText();
        return JoinNumbers(StakeCellNumbers(rec, column), u";");
    case scSample:
        return QString::number(rec.sampleSize);
    case scMatchCount:
        return rec.isChecked() ? QString::number(rec.matchCount()) : QString();
    case scMatched:
        return rec.isChecked() ? JoinNumbers(SetNumbers(rec.matches), u" ") : QString();
    case scProfit:
        return MoneyText(rec.profit);
    case scComment:
        return rec.comment();
    default:
        return {};
    }
}

int64_t StakeKindColor(int kind)
{
    switch (kind) {
    case STAKE_MANUAL:
        return 0xEAFFEA;
    case STAKE_REGULAR:
        return 0xFFEAEA;
    case STAKE_SCENARIO:
        return 0xEAFFFF;
    case STAKE_SYSTEM:
        return 0xFCFDD9;
    default:
        return -1;
    }
}

int64_t StakesGridRows(int64_t records)
{
    return records > 0 ? records + 1 : 2;
}
