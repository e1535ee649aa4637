#include "lottery/stats/StatSettings.h"

#include "common/IniFile.h"
#include "lottery/DrawTexts.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString kGlobal = u"GLOBAL"_s;
const QString kStakes = u"STAKES"_s;
const QString kCdl = u"CDL"_s;
const QString kShredding = u"SHREDDING"_s;

int readRanged(const IniFile &ini, const QString &section, const QString &key, int min, int max, int defaultValue)
{
    const int v = ini.readInteger(section, key, defaultValue);
    return v >= min && v <= max ? v : defaultValue;
}

long double readWeight(const IniFile &ini, const QString &key, double defaultValue)
{
    const double v = ini.readFloat(kCdl, key, defaultValue);
    return std::isfinite(v) ? v : defaultValue;
}

QString profitKey(int i, QStringView what)
{
    return u"Profit_"_s + QString::number(i) + u'_' + what;
}

} // namespace

TConfigData DefaultStatConfig()
{
    TConfigData c;
    c.matrixCols = kDefaultMatrixCols;
    c.channelSize = kDefaultChannelSize;
    c.cost = 0;
    c.maxStake = kDefaultMaxStake;
    c.weights = TWeightCoefs{0, -1, 1, false, false};
    c.matrixSegments.fill(1);
    return c;
}

TShreddingData DefaultShredding()
{
    TShreddingData d;
    d.Formulas = {u"(n1+n2+n3)/(n4+n5+n6)"_s, u"(n4+n5+n6)/(n1+n2+n3)"_s, u"(n1+n3+n5)/(n2+n4+n6)"_s};
    d.Digits.fill(kDefaultFormulaDigits);
    return d;
}

TCurrency MoneyFromUnits(double units, TCurrency defaultValue)
{
    const double scaled = units * double(kCurrencyScale);
    // Amounts beyond a trillion units are no prices: a damaged value.
    if (!std::isfinite(scaled) || std::fabs(units) > double(kMaxSettingsAmount / kCurrencyScale))
        return defaultValue;
    return static_cast<TCurrency>(std::llround(scaled));
}

double MoneyToUnits(TCurrency amount)
{
    return double(amount) / double(kCurrencyScale);
}

TConfigData ReadStatConfig(const IniFile &ini)
{
    TConfigData c = DefaultStatConfig();
    c.matrixCols = readRanged(ini, kGlobal, u"MatrixCols"_s, kMinMatrixCols, kMaxMatrixCols, kDefaultMatrixCols);
    c.channelSize =
        readRanged(ini, kGlobal, u"ChannelSize"_s, kMinChannelSize, kMaxChannelSize, kDefaultChannelSize);
    c.matrixSegments = TextToSegments(ini.readString(kGlobal, u"MatrixSegments"_s));
    for (uint8_t &s : c.matrixSegments)
        if (s < kMinSegment || s > kMaxSegment)
            s = 1;

    c.cost = MoneyFromUnits(ini.readFloat(kStakes, u"Cost"_s, 0));
    c.maxStake = readRanged(ini, kStakes, u"MaxStake"_s, kMainCount, kMaxNumber, kDefaultMaxStake);
    const int profits = readRanged(ini, kStakes, u"Profits"_s, 0, kMaxProfitEntries, 0);
    c.profits.clear();
    for (int i = 0; i < profits; ++i) {
        TProfitDrawRec p;
        p.matches = readRanged(ini, kStakes, profitKey(i, u"Overlap"), 0, 255, 0);
        p.prize = MoneyFromUnits(ini.readFloat(kStakes, profitKey(i, u"Profit"), 0));
        c.profits.push_back(p);
    }

    c.weights.count = readWeight(ini, u"Count"_s, 0);
    c.weights.deviation = readWeight(ini, u"Deviation"_s, -1);
    c.weights.level = readWeight(ini, u"Level"_s, 1);
    c.weights.usePercents = ini.readInteger(kCdl, u"UsePercents"_s, 0) > 0;
    c.weights.useAbsValues = ini.readInteger(kCdl, u"UseAbsValues"_s, 0) > 0;
    return c;
}

void WriteStatConfig(IniFile &ini, const TConfigData &c)
{
    ini.writeInteger(kGlobal, u"MatrixCols"_s, c.matrixCols);
    ini.writeString(kGlobal, u"MatrixSegments"_s, SegmentsToText(c.matrixSegments));
    ini.writeInteger(kGlobal, u"ChannelSize"_s, c.channelSize);

    ini.writeFloat(kStakes, u"Cost"_s, MoneyToUnits(c.cost));
    ini.writeInteger(kStakes, u"MaxStake"_s, c.maxStake);
    const int oldCount = ini.readInteger(kStakes, u"Profits"_s, 0);
    const int count = static_cast<int>(c.profits.size());
    ini.writeInteger(kStakes, u"Profits"_s, count);
    for (int i = 0; i < count; ++i) {
        ini.writeInteger(kStakes, profitKey(i, u"Overlap"), c.profits[size_t(i)].matches);
        ini.writeFloat(kStakes, profitKey(i, u"Profit"), MoneyToUnits(c.profits[size_t(i)].prize));
    }
    // Entries of a longer table written before would otherwise linger in the file.
    for (int i = count; i < std::min(oldCount, kMaxProfitEntries); ++i) {
        ini.deleteKey(kStakes, profitKey(i, u"Overlap"));
        ini.deleteKey(kStakes, profitKey(i, u"Profit"));
    }

    ini.writeFloat(kCdl, u"Count"_s, static_cast<double>(c.weights.count));
    ini.writeFloat(kCdl, u"Deviation"_s, static_cast<double>(c.weights.deviation));
    ini.writeFloat(kCdl, u"Level"_s, static_cast<double>(c.weights.level));
    ini.writeInteger(kCdl, u"UsePercents"_s, c.weights.usePercents ? 1 : 0);
    ini.writeInteger(kCdl, u"UseAbsValues"_s, c.weights.useAbsValues ? 1 : 0);
}

TShreddingData ReadShredding(const IniFile &ini)
{
    TShreddingData d = DefaultShredding();
    for (int i = 0; i < 3; ++i) {
        const QString n = QString::number(i + 1);
        d.Formulas[size_t(i)] = ini.readString(kShredding, u"Formula"_s + n, d.Formulas[size_t(i)]);
        d.Digits[size_t(i)] = static_cast<uint8_t>(readRanged(ini, kShredding, u"Formula"_s + n + u"Digits"_s,
                                                              kMinFormulaDigits, kMaxFormulaDigits,
                                                              kDefaultFormulaDigits));
    }
    return d;
}

void WriteShredding(IniFile &ini, const TShreddingData &d)
{
    for (int i = 0; i < 3; ++i) {
        const QString n = QString::number(i + 1);
        ini.writeString(kShredding, u"Formula"_s + n, d.Formulas[size_t(i)]);
        ini.writeInteger(kShredding, u"Formula"_s + n + u"Digits"_s, d.Digits[size_t(i)]);
    }
}

TGenerateSettings ReadGenerateSettings(const IniFile &ini)
{
    TGenerateSettings s;
    s.Mode = static_cast<uint8_t>(readRanged(ini, kGlobal, u"CombsGenerateMode"_s, 0, 255, 0));
    s.Parameters = ini.readString(kGlobal, u"CombsGenerateParameters"_s).left(kMaxGenerateParametersLength);
    return s;
}

void WriteGenerateSettings(IniFile &ini, const TGenerateSettings &s)
{
    ini.writeInteger(kGlobal, u"CombsGenerateMode"_s, s.Mode);
    ini.writeString(kGlobal, u"CombsGenerateParameters"_s, s.Parameters.left(kMaxGenerateParametersLength));
}
