#include "lottery/stats/MatrixStats.h"

#include "common/BitCount.h"
#include "common/Format.h"
#include "lottery/NumberGeometry.h"
#include "lottery/stats/StatList.h"

#include <algorithm>
#include <bit>
#include <limits>

using namespace Qt::StringLiterals;

// ---- Geometry ----

TMatrixGeometry::TMatrixGeometry(const TConfigData &config)
    : MatrixCols(static_cast<uint8_t>(std::clamp(config.matrixCols, 1, kMaxNumber)))
{
    MatrixRows = static_cast<uint8_t>(MatrixRowCount(1, kMaxNumber, MatrixCols));
    for (int n = 1; n <= kMaxNumber; ++n) {
        ColOf[size_t(n)] = static_cast<uint8_t>(::ColumnOf(n, MatrixCols));
        RowOf[size_t(n)] = static_cast<uint8_t>(::RowOf(n, MatrixCols));
    }
    for (const TMatrixAxis axis : {TMatrixAxis::Columns, TMatrixAxis::Rows}) {
        const int step = axis == TMatrixAxis::Columns ? MatrixCols : 1;
        uint64_t from = 0;
        bool fixedStep = true;
        for (int a = 1; a <= kMaxNumber; ++a)
            for (int b = a + 1; b <= kMaxNumber; ++b) {
                const int d = PlaceOf(axis, uint8_t(b)) - PlaceOf(axis, uint8_t(a));
                if (LineOf(axis, uint8_t(a)) != LineOf(axis, uint8_t(b)) || (d != 1 && d != -1))
                    continue;
                NeighbourBits[size_t(axis)][size_t(a)] |= uint64_t(1) << b;
                NeighbourBits[size_t(axis)][size_t(b)] |= uint64_t(1) << a;
                if (b - a == step)
                    from |= uint64_t(1) << a;
                else
                    fixedStep = false;
            }
        AdjacentStep[size_t(axis)] = fixedStep ? uint8_t(step) : 0;
        AdjacentFrom[size_t(axis)] = from;
    }
}

void TMatrixGeometry::CountNumbers(TMatrixAxis axis, const TNumbers &numbers, TCounts &counts) const
{
    counts.fill(0);
    for (uint8_t n : numbers)
        ++counts[LineOf(axis, n)];
}

int TMatrixGeometry::DistinctLines(TMatrixAxis axis, const TNumbers &numbers) const
{
    uint64_t seen = 0;
    for (uint8_t n : numbers)
        if (const uint8_t line = LineOf(axis, n))
            seen |= uint64_t(1) << line;
    return BitCount(seen);
}

int TMatrixGeometry::CountIn(TMatrixAxis axis, const TNumbers &numbers, int line) const
{
    int k = 0;
    for (uint8_t n : numbers) {
        const uint8_t l = LineOf(axis, n);
        k += l != 0 && l == line ? 1 : 0;
    }
    return k;
}

uint64_t TMatrixGeometry::Mask(TMatrixAxis axis, const TNumbers &numbers) const
{
    const int lines = Lines(axis);
    uint64_t mask = 0;
    for (uint8_t n : numbers)
        if (const uint8_t line = LineOf(axis, n))
            mask |= uint64_t(1) << (lines - line);
    return mask;
}

QString TMatrixGeometry::MaskText(TMatrixAxis axis, uint64_t mask) const
{
    const int lines = Lines(axis);
    QString bits;
    bits.reserve(lines);
    for (int k = 1; k <= lines; ++k)
        bits += (mask >> (lines - k)) & 1 ? u'1' : u'0';
    return Format(u"%s (%.3d)", {bits, static_cast<unsigned long long>(mask)});
}

uint64_t TMatrixGeometry::TextToMask(TMatrixAxis axis, QStringView text) const
{
    uint64_t mask = 0;
    for (int k = 0; k < Lines(axis); ++k)
        mask = mask * 2 + (k < text.size() && text[k] == u'1' ? 1 : 0);
    return mask;
}

void TMatrixGeometry::Adjacency(TMatrixAxis axis, const TNumbers &numbers, TAdjacency &adjacency) const
{
    adjacency.Size = 0;
    // Numbers of the game in ascending order: each adjacent pair starts at its smaller number, so
    // the pairs come in the order of their smaller numbers, found all at once in the numbers' bit set.
    bool ascending = numbers[0] >= 1 && numbers[kMainCount - 1] <= kMaxNumber;
    for (size_t i = 1; i < kMainCount; ++i)
        ascending = ascending && numbers[i - 1] < numbers[i];
    if (const int step = AdjacentStep[size_t(axis)]; ascending && step != 0) {
        uint64_t set = 0;
        for (uint8_t n : numbers)
            set |= uint64_t(1) << n;
        for (uint64_t pairs = set & (set >> step) & AdjacentFrom[size_t(axis)]; pairs != 0; pairs &= pairs - 1) {
            const uint8_t line = LineOf(axis, uint8_t(std::countr_zero(pairs)));
            adjacency.addPair(line);
        }
        return;
    }
    for (int i = 0; i < kMainCount; ++i) {
        const uint8_t line = LineOf(axis, numbers[size_t(i)]);
        if (line == 0)
            continue;
        const int place = PlaceOf(axis, numbers[size_t(i)]);
        for (int j = i + 1; j < kMainCount; ++j) {
            if (LineOf(axis, numbers[size_t(j)]) != line)
                continue;
            const int d = PlaceOf(axis, numbers[size_t(j)]) - place;
            if (d != 1 && d != -1)
                continue;
            adjacency.addPair(line);
        }
    }
}

void TMatrixGeometry::AdjacencyValuesOfLastNumbers(TCustomStat &stat, TMatrixAxis axis, const TComb &comb,
                                                   TStatDrawArray &values, TStatTally &tally) const
{
    uint64_t touched = 0;
    for (size_t i = 0; i + 1 < kMainCount; ++i)
        touched |= Neighbours(axis, comb[i]);
    TComb full = comb;
    int plain = 0;
    int plainLast = 0;
    tally.setWeight(1);
    for (int f = comb[4] + 1; f <= kMaxNumber; ++f) {
        if (((touched >> f) & 1) == 0) {
            plainLast = plain++ == 0 ? f : plainLast;
            continue;
        }
        full[5] = uint8_t(f);
        stat.ValuesOfComb(full, values);
    }
    if (plain > 0) {
        full[5] = uint8_t(plainLast);
        tally.setWeight(plain);
        stat.ValuesOfComb(full, values);
    }
}

// ---- Bases ----

TCustomMatrixStat::TCustomMatrixStat(const TStatClass &cls, const TStatList &list, int param)
    : TCustomNumbersStat(cls, list, param), Matrix(list.Config)
{
}

TCustomMatrixGraphStat::TCustomMatrixGraphStat(const TStatClass &cls, const TStatList &list, int param)
    : TCustomGraphStat(cls, list, param), Matrix(list.Config)
{
}

int TCustomMatrixGraphStat::NumericValue(const TComb &comb, int, bool, int)
{
    return ValueOf(comb.n);
}

void TCustomMatrixGraphStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeKey(values, static_cast<uint16_t>(ValueOf(comb.n)), false);
}

void TCustomMatrixGraphStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                          TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeKey(values, static_cast<uint16_t>(ValueOf(Draw.main)), true);
}

bool TCustomMatrixGraphStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return HasWordKey(values, 1, static_cast<uint16_t>(ValueOf(comb.n)));
}

// ---- COLS / ROWS ----

TMatrixLinesStat::TMatrixLinesStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis)
    : TCustomMatrixStat(cls, list, param), m_axis(axis)
{
}

void TMatrixLinesStat::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, Matrix.Lines(m_axis));
}

void TMatrixLinesStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    for (uint8_t n : comb.n)
        MergeKey(values, Matrix.LineOf(m_axis, n), false);
}

void TMatrixLinesStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                    TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    for (uint8_t n : Draw.main)
        MergeKey(values, Matrix.LineOf(m_axis, n), true);
}

bool TMatrixLinesStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    for (uint8_t n : comb.n)
        if (HasWordKey(values, 1, Matrix.LineOf(m_axis, n)))
            return true;
    return false;
}

// ---- COLV / ROWV ----

TMatrixLineValuesStat::TMatrixLineValuesStat(const TStatClass &cls, const TStatList &list, int param,
                                             TMatrixAxis axis)
    : TCustomMatrixStat(cls, list, param), m_axis(axis)
{
}

QString TMatrixLineValuesStat::ValueToText(const TStatValueRec &value) const
{
    return Format(u"%0:d x %1:d", {value.Keys.word(1), value.Keys.word(2)});
}

void TMatrixLineValuesStat::EnumAllValues(int, TStatDrawArray &values)
{
    Value = TStatValueRec{};
    const int maxCount = std::min(Matrix.Across(m_axis), kMainCount);
    for (int k = 1; k <= Matrix.Lines(m_axis); ++k)
        for (int m = 0; m <= maxCount; ++m) {
            Value.Keys.set(static_cast<uint16_t>(k), static_cast<uint16_t>(m));
            AddStatValue(values, Value, false);
        }
}

void TMatrixLineValuesStat::MergeCounts(const TMatrixGeometry::TNumbers &numbers, TStatDrawArray &values,
                                        bool withIntervals)
{
    TMatrixGeometry::TCounts counts;
    Matrix.CountNumbers(m_axis, numbers, counts);
    for (int k = 1; k <= Matrix.Lines(m_axis); ++k) {
        Value.Keys.set(static_cast<uint16_t>(k), counts[size_t(k)]);
        AddStatValue(values, Value, withIntervals);
    }
}

void TMatrixLineValuesStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeCounts(comb.n, values, false);
}

void TMatrixLineValuesStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                         TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeCounts(Draw.main, values, true);
}

bool TMatrixLineValuesStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    TMatrixGeometry::TCounts counts;
    Matrix.CountNumbers(m_axis, comb.n, counts);
    for (int k = 1; k <= Matrix.Lines(m_axis); ++k)
        if (HasValue(values, static_cast<uint16_t>(k), counts[size_t(k)], 0, 0))
            return true;
    return false;
}

// ---- COLM / ROWM ----

TMatrixMaskStat::TMatrixMaskStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis)
    : TCustomMatrixStat(cls, list, param), m_axis(axis)
{
}

QString TMatrixMaskStat::ValueToText(const TStatValueRec &value) const
{
    return Matrix.MaskText(m_axis, value.Keys.packed());
}

int TMatrixMaskStat::TextToValue(QStringView text) const
{
    const uint64_t mask = TextToMask(text);
    return mask <= uint64_t(std::numeric_limits<int>::max()) ? static_cast<int>(mask) : 0;
}

void TMatrixMaskStat::MergeMask(uint64_t mask, TStatDrawArray &values, bool withIntervals)
{
    Value.Keys = TStatKeys{mask};
    AddStatValue(values, Value, withIntervals);
}

void TMatrixMaskStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergeMask(Matrix.Mask(m_axis, comb.n), values, false);
}

void TMatrixMaskStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                   TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergeMask(Matrix.Mask(m_axis, Draw.main), values, true);
}

bool TMatrixMaskStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    return values.indexOf(Matrix.Mask(m_axis, comb.n)) >= 0;
}

// ---- COLA / ROWA ----

TMatrixAdjacentStat::TMatrixAdjacentStat(const TStatClass &cls, const TStatList &list, int param,
                                         TMatrixAxis axis)
    : TCustomMatrixStat(cls, list, param), m_axis(axis)
{
}

QString TMatrixAdjacentStat::ValueToText(const TStatValueRec &value) const
{
    return Format(u"%0:d x %1:d", {value.Keys.word(1), value.Keys.word(2)});
}

void TMatrixAdjacentStat::MergePairs(const TMatrixGeometry::TNumbers &numbers, TStatDrawArray &values,
                                     bool withIntervals)
{
    TMatrixGeometry::TAdjacency adjacency;
    Matrix.Adjacency(m_axis, numbers, adjacency);
    for (int i = 0; i < adjacency.Size; ++i) {
        Value.Keys.set(adjacency.Line[size_t(i)], static_cast<uint16_t>(adjacency.Pairs[size_t(i)] + 1));
        AddStatValue(values, Value, withIntervals);
    }
}

void TMatrixAdjacentStat::ValuesOfComb(const TComb &comb, TStatDrawArray &values)
{
    BeginCombValue();
    MergePairs(comb.n, values, false);
}

void TMatrixAdjacentStat::ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &,
                                       TLastValueArray &)
{
    BeginDrawValue(index, last, sorted);
    MergePairs(Draw.main, values, true);
}

bool TMatrixAdjacentStat::CombMatches(const TComb &comb, const TStatDrawArray &values, int, bool, bool)
{
    TMatrixGeometry::TAdjacency adjacency;
    Matrix.Adjacency(m_axis, comb.n, adjacency);
    for (int i = 0; i < adjacency.Size; ++i)
        if (HasValue(values, adjacency.Line[size_t(i)], static_cast<uint16_t>(adjacency.Pairs[size_t(i)] + 1), 0, 0))
            return true;
    return false;
}

// ---- COLN / ROWN ----

TMatrixLineCountStat::TMatrixLineCountStat(const TStatClass &cls, const TStatList &list, int param,
                                           TMatrixAxis axis)
    : TCustomMatrixGraphStat(cls, list, param), m_axis(axis)
{
}

int TMatrixLineCountStat::ValueOf(const TMatrixGeometry::TNumbers &numbers) const
{
    return Matrix.DistinctLines(m_axis, numbers);
}

void TMatrixLineCountStat::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, std::min(Matrix.Lines(m_axis), kMainCount));
}

// ---- COLC / ROWC ----

TMatrixAdjacentCountStat::TMatrixAdjacentCountStat(const TStatClass &cls, const TStatList &list, int param,
                                                   TMatrixAxis axis)
    : TCustomMatrixGraphStat(cls, list, param), m_axis(axis)
{
}

int TMatrixAdjacentCountStat::ValueOf(const TMatrixGeometry::TNumbers &numbers) const
{
    TMatrixGeometry::TAdjacency adjacency;
    Matrix.Adjacency(m_axis, numbers, adjacency);
    return adjacency.Size;
}

// ---- COL<k> / ROW<k> ----

TMatrixLineValCntStat::TMatrixLineValCntStat(const TStatClass &cls, const TStatList &list, int param,
                                             TMatrixAxis axis)
    : TCustomMatrixGraphStat(cls, list, param), m_axis(axis)
{
}

int TMatrixLineValCntStat::ValueOf(const TMatrixGeometry::TNumbers &numbers) const
{
    return Matrix.CountIn(m_axis, numbers, Param);
}

void TMatrixLineValCntStat::EnumAllValues(int, TStatDrawArray &values)
{
    EnumRange(values, 1, Matrix.Across(m_axis));
}
