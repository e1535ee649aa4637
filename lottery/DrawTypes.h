#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// The game: six main and two supplementary numbers drawn from 1..45.
inline constexpr int kMaxNumber = 45;
inline constexpr int kMainCount = 6;
inline constexpr int kExtraCount = 2;
inline constexpr int kDrawDateMaxLen = 11;

// Money: a signed count of 1/10000 units.
using TCurrency = int64_t;
inline constexpr TCurrency kCurrencyScale = 10000;
// No amount of the settings (the cost of one combination, a prize) passes a trillion units: a larger one
// is a damaged value (MoneyFromUnits).
inline constexpr TCurrency kMaxSettingsAmount = 1'000'000'000'000LL * kCurrencyScale;

// One draw, the record of the draws archive: number, the six main numbers in drawn order, the two
// supplementary numbers, and the date text ("5 Jan 2015") as a short string of at most 11 characters.
struct TDrawRec {
    int32_t number = 0;
    std::array<uint8_t, kMainCount> main{};
    std::array<uint8_t, kExtraCount> extra{};
    uint8_t dateLen = 0;
    std::array<char, kDrawDateMaxLen> date{};

    // The date text; the length byte of a damaged record is taken at most as 11.
    QString dateText() const;
    // Stores the text cut to 11 characters, in Windows-1251.
    void setDateText(const QString &text);
    int mainSum() const
    {
        int s = 0;
        for (uint8_t n : main)
            s += n;
        return s;
    }
    bool operator==(const TDrawRec &o) const = default;
};
static_assert(sizeof(TDrawRec) == 24, "a draw is 24 bytes");

using TDrawsArray = std::vector<TDrawRec>;

// Six numbers; ascending for the combinations of the full set, in drawn order when taken from a draw.
struct TComb {
    std::array<uint8_t, kMainCount> n{};
    uint8_t &operator[](size_t i) { return n[i]; }
    uint8_t operator[](size_t i) const { return n[i]; }
    bool operator==(const TComb &o) const = default;
};
static_assert(sizeof(TComb) == 6, "a combination is 6 bytes");

using TCombsArray = std::vector<TComb>;
using TByteArray = std::vector<uint8_t>;
using TIntArray = std::vector<int32_t>;

// Up to eight numbers with their count: the numbers of a stake.
struct TNumSet {
    int32_t count = 0;
    std::array<uint8_t, 8> numbers{};
    bool operator==(const TNumSet &o) const = default;
};
static_assert(sizeof(TNumSet) == 12, "a number set is 12 bytes");

// One line of the prize table: the prize for a number of matches.
struct TProfitDrawRec {
    int32_t matches = 0;
    TCurrency prize = 0;
    bool operator==(const TProfitDrawRec &o) const = default;
};
using TProfitDrawArray = std::vector<TProfitDrawRec>;

// The weights of count, deviation and level by which statistic values are chosen.
struct TWeightCoefs {
    long double count = 0;
    long double deviation = 0;
    long double level = 0;
    bool usePercents = false;
    bool useAbsValues = false;
    bool operator==(const TWeightCoefs &o) const = default;
};

// The settings that statistics and stakes read.
struct TConfigData {
    int32_t matrixCols = 5;
    int32_t channelSize = 5;
    TCurrency cost = 0;
    int32_t maxStake = 6;
    TProfitDrawArray profits;
    TWeightCoefs weights;
    std::array<uint8_t, kMaxNumber> matrixSegments{};
    bool operator==(const TConfigData &o) const = default;
};
