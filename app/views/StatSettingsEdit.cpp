#include "app/views/StatSettingsEdit.h"

#include "app/stakes/StakeRecord.h"

#include "common/Format.h"
#include "common/TextUtils.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/FormulaEvaluator.h"
#include "lottery/stats/ShreddingStats.h"
#include "lottery/stats/StatSettings.h"

#include <QLocale>
#include <QSet>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

int ConfigChangeFlags(const TConfigData &before, const TConfigData &after)
{
    int flags = 0;
    if (before.matrixCols != after.matrixCols)
        flags |= scfMatrix;
    if (before.channelSize != after.channelSize)
        flags |= scfChannels;
    if (SegmentsToText(before.matrixSegments) != SegmentsToText(after.matrixSegments))
        flags |= scfSegments;
    return flags;
}

namespace {

TProfitLine lineOf(int matches, TCurrency prize)
{
    return {QString::number(matches), MoneyText(prize)};
}

} // namespace

std::vector<TProfitLine> ProfitLinesOf(const TProfitDrawArray &profits)
{
    // A line shows the prize for its own number of matches: the table read from the settings file need
    // not be in the order of the matches, and an entry for more than six matches must not be lost the
    // next time the dialog is confirmed.
    std::vector<TProfitLine> lines;
    auto prizeFor = [&profits](int matches) -> TCurrency {
        for (const TProfitDrawRec &p : profits)
            if (p.matches == matches)
                return p.prize;
        return 0;
    };
    for (int k = 0; k <= kMainCount; ++k)
        lines.push_back(lineOf(k, prizeFor(k)));
    std::vector<int> others;
    for (const TProfitDrawRec &p : profits)
        if ((p.matches < 0 || p.matches > kMainCount) && std::find(others.begin(), others.end(), p.matches) == others.end())
            others.push_back(p.matches);
    std::sort(others.begin(), others.end());
    for (int matches : others)
        lines.push_back(lineOf(matches, prizeFor(matches)));
    return lines;
}

bool ParseMoneyText(QStringView text, TCurrency &amount)
{
    QString s = text.trimmed().toString();
    s.remove(u' ');
    s.remove(QChar(0x00A0));
    s.replace(u',', u'.');
    const QString locale = QLocale().decimalPoint();
    if (locale.size() == 1)
        s.replace(locale.front(), u'.');
    if (s.isEmpty())
        return false;
    bool ok = false;
    const double units = s.toDouble(&ok);
    if (!ok || !std::isfinite(units))
        return false;
    constexpr TCurrency kBad = INT64_MIN;
    amount = MoneyFromUnits(units, kBad);
    return amount != kBad;
}

bool ParseProfitLines(const std::vector<TProfitLine> &lines, TProfitDrawArray &profits, QString &error)
{
    TProfitDrawArray result;
    QSet<int> seen;
    for (const TProfitLine &line : lines) {
        const QString key = line.key.trimmed();
        const QString value = line.value.trimmed();
        if (key.isEmpty() && value.isEmpty())
            continue;
        bool keyOk = false;
        const int matches = TextToIntDef(key, -1, &keyOk);
        TCurrency prize = 0;
        if (!keyOk || matches < 0 || matches > kMaxProfitMatches || !ParseMoneyText(value, prize)) {
            error = Format(u"Некорректная строка таблицы выигрышей: \"%s=%s\"!\r\r"
                           u"Укажите количество совпадений (от 0 до %d) и сумму выигрыша, например 6=1000000.00",
                           {key, value, kMaxProfitMatches});
            return false;
        }
        if (seen.contains(matches)) {
            error = Format(u"Выигрыш для %d совпадений указан дважды!\r\rОставьте одну строку для каждого "
                           u"количества совпадений.",
                           {matches});
            return false;
        }
        seen.insert(matches);
        result.push_back({matches, prize});
    }
    if (static_cast<int>(result.size()) > kMaxProfitEntries) {
        error = Format(u"Слишком много строк в таблице выигрышей (больше %d)!", {kMaxProfitEntries});
        return false;
    }
    profits = std::move(result);
    return true;
}

int SegmentGridRows(int cols)
{
    return MatrixRowCount(1, kMaxNumber, std::clamp(cols, kMinMatrixCols, kMaxMatrixCols));
}

uint8_t SegmentOfCell(QStringView text)
{
    bool ok = false;
    const int v = TextToIntDef(text, 1, &ok);
    return ok && v >= kMinSegment && v <= kMaxSegment ? static_cast<uint8_t>(v) : uint8_t(1);
}

bool IsValidSegmentText(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return true;
    if (!std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    const int v = TextToIntZero(t);
    return v >= kMinSegment && v <= kMaxSegment;
}

QString BadSegmentMessage(const QString &typed)
{
    return Format(u"Некорректное значение: %s!\r\rУкажите любое число от 1 до 9", {typed});
}

bool IsValidShreddingFormula(const QString &formula)
{
    if (formula.trimmed().isEmpty())
        return false;
    // The numbers of a draw and of the two before it, as the statistic puts them in.
    const TSixNumbers n{1, 2, 3, 4, 5, 6}, p{7, 8, 9, 10, 11, 12}, t{13, 14, 15, 16, 17, 18};
    TFormulaEvaluator evaluator;
    return evaluator.SetExpression(SubstituteShreddingVariables(formula, n, p, t));
}

QString BadFormulaMessage(int index, const QString &formula)
{
    return Format(u"Некорректная формула %d: %s!\r\rФормула не может быть вычислена: проверьте числа, "
                  u"переменные, скобки и знаки действий.",
                  {index, formula});
}
