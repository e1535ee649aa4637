#pragma once

#include "lottery/DrawTypes.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>

class TCustomStat;
class TStatList;
struct TStatClass;

// ---- Groups of statistics ----
inline constexpr int kStatGroupCount = 13;
enum TStatGroup : uint8_t {
    sgNum = 0, sgSum, sgDif, sgGrp, sgMtx, sgSgm, sgSeq, sgRep, sgSer, sgPer, sgMov, sgTlk, sgShr
};
// The three-letter code of a group ("num"); "" outside 0..12.
QString GroupCode(int group);
// "{ num } Числа тиража"; "#ERROR#" outside 0..12.
QString GroupCaption(int group);

// ---- Kinds of statistics (bit set) ----
enum TStatKind : uint8_t {
    skS = 1,  // the value depends on the order of the six numbers
    skN = 2,  // the value is a property of the six numbers alone (any combination has one)
    skD = 4,  // the value is taken relative to the last draw of the sample
    skP = 8,  // the values are periods between occurrences
    skG = 16, // a graph statistic; added by Flags, never part of Kinds
};
// The letters of the set bits in the order S, N, D, P, G ("SNG").
QString KindLetters(unsigned flags);

// ---- Class-level description of a statistic ----

// Where the parameter range of a class comes from.
enum class TParamKind : uint8_t {
    None,     // no parameter
    Fixed,    // the fixed range of the class
    Channels, // 1 .. the channel of 45 with the current channel size
    Columns,  // 1 .. the matrix columns
    Rows,     // 1 .. the matrix rows needed for 45 numbers
    Segments, // the smallest to the largest number of the segment table
};

// A class argument that the code and title templates are formatted with at class level.
struct TClassArg {
    enum Kind : uint8_t { None, Int, Text } kind = None;
    int number = 0;
    const char16_t *text = nullptr;
};

using TStatFactory = std::unique_ptr<TCustomStat> (*)(const TStatClass &cls, const TStatList &list, int param);
using TStatTitleProc = QString (*)(int param);

// Creates a statistic of class T: the factory of a registry row.
template <class T>
std::unique_ptr<TCustomStat> StatFactory(const TStatClass &cls, const TStatList &list, int param)
{
    return std::make_unique<T>(cls, list, param);
}

// Traits of a class beyond its kinds.
enum TStatTrait : uint8_t {
    stGraph = 1,       // derived from TCustomGraphStat: one integer per draw that can be charted
    stNoTextValue = 2, // values cannot be typed as text
    stNeverAvailable = 4, // a class the registry never lists
};

// One statistic class as the registry knows it: everything the method lists need without creating an
// object. A class whose family is not built has no factory and is not available.
struct TStatClass {
    const char16_t *ClassName;  // "TstValues"
    const char16_t *Code;       // the code template with any class argument applied ("KNM2", "POS%d")
    const char16_t *TitleText;  // the title message before the class argument is applied
    TClassArg Arg;
    uint8_t Group;
    uint8_t Kinds;
    uint8_t Traits;
    TParamKind Params;
    int8_t ParamMin; // the range of a Fixed parameter
    int8_t ParamMax;
    const char16_t *Help;       // the help code when it is not the code template ("POSx")
    TStatTitleProc TitleProc;   // a class that builds its title itself
    TStatFactory Factory;

    QString CodeTemplate() const { return QString::fromUtf16(Code); }
    // The title with the class argument applied; "%0:d" (or "%d") remains for the parameter.
    QString TitleTemplate() const;
    QString HelpCode() const { return QString::fromUtf16(Help ? Help : Code); }
    unsigned Flags() const { return Kinds | (IsGraph() ? unsigned(skG) : 0u); }
    QString CodeFor(int param) const;
    QString TitleFor(int param) const;
    // "ms-its:<help file>::/Filters_1049_<help code>.htm" in the help file (HelpFileName); empty while
    // that file is not set or does not exist.
    QString HelpURL(int param) const;
    bool Available() const { return Factory != nullptr && !NeverAvailable(); }
    bool NeverAvailable() const { return (Traits & stNeverAvailable) != 0; }
    bool Selectable() const { return true; }
    bool IsGraph() const { return (Traits & stGraph) != 0; }
    bool HasKindN() const { return (Kinds & skN) != 0; }
    bool HasTextValue() const { return (Traits & stNoTextValue) == 0; }
    bool HasParamRange() const { return Params != TParamKind::None; }
    // The parameter range under the given settings, both ends included; max < min when there is none.
    void ParamRange(const TConfigData &config, int &min, int &max) const;
};
