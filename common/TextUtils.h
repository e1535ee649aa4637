#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

// Numbers and Booleans as texts. Floats are always written with "." and read with ",", "." or the
// locale's separator alike, so settings and scenario texts read the same under any locale.
QString IntToText(int64_t value);
// The integer the text holds (blanks around and a sign allowed, decimal digits only, 32-bit range);
// 0 when it holds none.
int TextToIntZero(QStringView text);
// As TextToIntZero, with a default of our choice; ok tells whether the text held an integer.
int TextToIntDef(QStringView text, int defaultValue, bool *ok = nullptr);
QString BoolToDigit(bool value);
bool DigitToBool(QStringView text);
// Plain decimal text of the value with up to 15 significant digits and no exponent, "." as separator.
QString FloatToDotText(double value);
// The float a text holds: digits and "-" count, ",", "." and the locale's separator are the decimal
// separator, an exponent ("e" or "E" with an optional sign) is read, every other character is dropped.
double DotTextToFloatDef(QStringView text, double defaultValue);
// Reads the whole of [first, last) as a float with "." as the decimal point and an optional sign;
// false for anything else ("inf" and "nan" are no numbers here).
bool AsciiToFloat(const char *first, const char *last, double &value);

// The Russian word form that goes with the count: one for 1, 21, 31..., few for 2-4, 22-24...,
// many for the others (0, 5-20, 25-30..., 111-114 included): "1 байт", "2 байта", "5 байт".
QString RussianPlural(int64_t count, const QString &one, const QString &few, const QString &many);

// Left + delimiter + right when both are non-empty, else the non-empty one.
QString AddWithDelimiter(const QString &left, const QString &right, QStringView delimiter);
// C-style escapes of the control characters, quotes, "?" and the backslash.
QString EscapeCString(QStringView text);
// Trimmed, taken out of its double quotes; a doubled quote inside becomes one, a lone one goes.
QString DequoteValue(QStringView text);
// Characters at or below the blank removed at both ends (not Unicode spaces).
QString TrimControl(QStringView text);

// What to do when the end identifier is not found after the start identifier.
enum class ExtractMode : uint8_t {
    Raise = 0,    // raise "Не удалось найти пару идентификаторов ..."
    Empty = 1,    // empty value
    Rest = 2,     // the rest of the text after the start identifier
};
ExtractMode ExtractModeFromByte(uint8_t mode);

// The text between two identifiers (found without regard to case), trimmed and dequoted.
// A missing start identifier gives an empty value in every mode.
QString ExtractBetween(QStringView text, QStringView startId, QStringView endId,
                       ExtractMode mode = ExtractMode::Empty);
// As ExtractBetween, and removes from the text everything up to the end of the end identifier,
// so that repeated calls walk through a list of items.
QString CutBetween(QString &text, QStringView startId, QStringView endId, ExtractMode mode = ExtractMode::Empty);
// The value after the key up to the next occurrence of the key; the text then begins with that key.
QString CutItemAfterKey(QString &text, QStringView key);
QString ExtractNestedBetween(QStringView text, QStringView outerStartId, QStringView outerEndId,
                             QStringView innerStartId, QStringView innerEndId,
                             ExtractMode mode = ExtractMode::Empty);
