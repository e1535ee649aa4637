#pragma once

#include "lottery/DrawTypes.h"

#include <QString>
#include <array>
#include <cstdint>

class IniFile;

// The three shredding formulas and the digits kept of each formula's value; formula i belongs to SHR<i>.
struct TShreddingData {
    std::array<QString, 3> Formulas;
    std::array<uint8_t, 3> Digits{};
    bool operator==(const TShreddingData &o) const = default;
};

// The ranges the settings dialogs allow. A value outside them in the settings file (a hand-edited or
// damaged file) is replaced by its default when the file is read, so that nothing downstream ever divides
// by a zero channel size or column count.
inline constexpr int kMinMatrixCols = 1;
inline constexpr int kMaxMatrixCols = 45;
inline constexpr int kDefaultMatrixCols = 5;
inline constexpr int kMinChannelSize = 3;
inline constexpr int kMaxChannelSize = 45;
inline constexpr int kDefaultChannelSize = 5;
inline constexpr int kDefaultMaxStake = 6;
inline constexpr int kMinSegment = 1;
inline constexpr int kMaxSegment = 9;
inline constexpr int kMinFormulaDigits = 1;
inline constexpr int kMaxFormulaDigits = 5;
inline constexpr int kDefaultFormulaDigits = 2;
inline constexpr int kMaxProfitEntries = 256;
inline constexpr int kMaxGenerateParametersLength = 255;

// The settings as a fresh program has them.
TConfigData DefaultStatConfig();
TShreddingData DefaultShredding();

// Sections GLOBAL (matrix and channels), STAKES and CDL of "Vendra.ini".
TConfigData ReadStatConfig(const IniFile &ini);
void WriteStatConfig(IniFile &ini, const TConfigData &config);

// Section SHREDDING.
TShreddingData ReadShredding(const IniFile &ini);
void WriteShredding(IniFile &ini, const TShreddingData &data);

// The combination generation settings of section GLOBAL.
struct TGenerateSettings {
    uint8_t Mode = 0;
    QString Parameters; // at most 255 characters
    bool operator==(const TGenerateSettings &o) const = default;
};
TGenerateSettings ReadGenerateSettings(const IniFile &ini);
void WriteGenerateSettings(IniFile &ini, const TGenerateSettings &settings);

// Money units of the settings file and the 1/10000 units of the records.
TCurrency MoneyFromUnits(double units, TCurrency defaultValue = 0);
double MoneyToUnits(TCurrency amount);
