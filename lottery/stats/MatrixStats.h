#pragma once

#include "lottery/stats/CustomStat.h"

#include <array>
#include <cstdint>

// The number matrix: the numbers 1..45 laid out row by row in MatrixCols columns, over MatrixRows rows
// (the last row may be incomplete). Every matrix statistic exists for the columns and for the rows; the
// row form is the column form with columns and rows exchanged.
enum class TMatrixAxis : uint8_t { Columns, Rows };

// The layout copied from the settings when a statistic is created. The settings file is checked when it is
// read; a column count below 1 would divide by zero and one above 45 lays out the same single row as 45,
// so the copy is held to 1..45.
struct TMatrixGeometry {
    explicit TMatrixGeometry(const TConfigData &config);

    uint8_t MatrixCols = 1;
    uint8_t MatrixRows = 1;
    // The one-based column and row of every byte value; 0 for a value that is not a number of the game.
    std::array<uint8_t, 256> ColOf{};
    std::array<uint8_t, 256> RowOf{};

    using TNumbers = std::array<uint8_t, kMainCount>;
    // Numbers per column (or row), index = its number; index 0 gathers the values outside 1..45.
    using TCounts = std::array<uint8_t, kMaxNumber + 1>;
    // The columns (rows) holding numbers in adjacent cells, in the order of their first adjacent pair,
    // with the number of pairs each holds. Six numbers form at most 15 pairs.
    struct TAdjacency {
        int Size = 0;
        std::array<uint8_t, 15> Line{};
        std::array<uint8_t, 15> Pairs{};
        // One more pair in the line.
        void addPair(uint8_t line)
        {
            int k = 0;
            while (k < Size && Line[size_t(k)] != line)
                ++k;
            if (k == Size) {
                Line[size_t(k)] = line;
                Pairs[size_t(k)] = 0;
                ++Size;
            }
            ++Pairs[size_t(k)];
        }
    };

    // Columns (rows) of the matrix, and the cells across one of them (its rows; a row's columns).
    int Lines(TMatrixAxis axis) const { return axis == TMatrixAxis::Columns ? MatrixCols : MatrixRows; }
    int Across(TMatrixAxis axis) const { return axis == TMatrixAxis::Columns ? MatrixRows : MatrixCols; }
    // The column (row) of n, and its place along it (its row; its column).
    uint8_t LineOf(TMatrixAxis axis, uint8_t n) const { return axis == TMatrixAxis::Columns ? ColOf[n] : RowOf[n]; }
    uint8_t PlaceOf(TMatrixAxis axis, uint8_t n) const { return axis == TMatrixAxis::Columns ? RowOf[n] : ColOf[n]; }

    void CountNumbers(TMatrixAxis axis, const TNumbers &numbers, TCounts &counts) const;
    int DistinctLines(TMatrixAxis axis, const TNumbers &numbers) const;
    int CountIn(TMatrixAxis axis, const TNumbers &numbers, int line) const;
    // One bit per column (row), column 1 the most significant: up to 45 bits.
    uint64_t Mask(TMatrixAxis axis, const TNumbers &numbers) const;
    // "10101 (021)": one character per column (row), then the mask.
    QString MaskText(TMatrixAxis axis, uint64_t mask) const;
    // The mask of such a text: a "1" sets the bit of its column; a missing character is a clear bit.
    uint64_t TextToMask(TMatrixAxis axis, QStringView text) const;
    // Two numbers are adjacent when they stand in one column in neighbouring rows (in one row in
    // neighbouring columns for the row form).
    void Adjacency(TMatrixAxis axis, const TNumbers &numbers, TAdjacency &adjacency) const;
    // The numbers adjacent to n (1..45) as a bit set, bit m for number m.
    uint64_t Neighbours(TMatrixAxis axis, uint8_t n) const { return NeighbourBits[size_t(axis)][n]; }
    // Merges the values of stat, a statistic of the adjacent numbers, for every combination of the first
    // five numbers of comb with a last number above them: the last numbers adjacent to none of the
    // five add no pair and are asked once for all of them.
    void AdjacencyValuesOfLastNumbers(TCustomStat &stat, TMatrixAxis axis, const TComb &comb, TStatDrawArray &values,
                                      TStatTally &tally) const;

private:
    // Adjacent numbers of the layout lie a fixed step apart: bit n of AdjacentFrom is set when n and
    // n + AdjacentStep are adjacent (a step of 0 when the layout does not allow this shortcut).
    std::array<uint8_t, 2> AdjacentStep{};
    std::array<uint64_t, 2> AdjacentFrom{};
    std::array<std::array<uint64_t, kMaxNumber + 1>, 2> NeighbourBits{};
};

// Matrix statistics with plain values.
class TCustomMatrixStat : public TCustomNumbersStat {
public:
    TCustomMatrixStat(const TStatClass &cls, const TStatList &list, int param);
    uint8_t MatrixCols() const { return Matrix.MatrixCols; }
    uint8_t MatrixRows() const { return Matrix.MatrixRows; }

protected:
    TMatrixGeometry Matrix;
};

// Matrix statistics with one charted integer per draw.
class TCustomMatrixGraphStat : public TCustomGraphStat {
public:
    TCustomMatrixGraphStat(const TStatClass &cls, const TStatList &list, int param);
    uint8_t MatrixCols() const { return Matrix.MatrixCols; }
    uint8_t MatrixRows() const { return Matrix.MatrixRows; }
    // The one value of a combination as ValuesOfComb, ValuesOfDraw and CombMatches take it.
    virtual int ValueOf(const TMatrixGeometry::TNumbers &numbers) const = 0;
    int NumericValue(const TComb &comb, int index, bool sorted, int last) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

protected:
    TMatrixGeometry Matrix;
};

// COLS / ROWS: the column (row) of each of the six numbers.
class TMatrixLinesStat : public TCustomMatrixStat {
public:
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Matrix.LineOf(m_axis, uint8_t(n)); }
    TMatrixLinesStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis);
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    int ValuesPerComb() const override { return kMainCount; }
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    TMatrixAxis m_axis;
};

// COLV / ROWV: (column, how many numbers it holds) for every column, empty ones included.
class TMatrixLineValuesStat : public TCustomMatrixStat {
public:
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Matrix.LineOf(m_axis, uint8_t(n)); }
    TMatrixLineValuesStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis);
    QString ValueToText(const TStatValueRec &value) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    void MergeCounts(const TMatrixGeometry::TNumbers &numbers, TStatDrawArray &values, bool withIntervals);
    TMatrixAxis m_axis;
};

// COLM / ROWM: the pattern of occupied columns (rows) as a bit mask held in all eight key bytes, so that
// the 45 rows of a one-column matrix keep a bit each. A mask below 2^32 has the same keys as the 32-bit
// first key it used to be.
class TMatrixMaskStat : public TCustomMatrixStat {
public:
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Matrix.LineOf(m_axis, uint8_t(n)); }
    TMatrixMaskStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis);
    QString ValueToText(const TStatValueRec &value) const override;
    // The mask of a text when it fits an integer (matrices of up to 31 columns or rows); 0 otherwise,
    // which no draw has. TextToMask reads any width.
    int TextToValue(QStringView text) const override;
    uint64_t TextToMask(QStringView text) const { return Matrix.TextToMask(m_axis, text); }
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    void MergeMask(uint64_t mask, TStatDrawArray &values, bool withIntervals);
    TMatrixAxis m_axis;
};

// COLA / ROWA: (column, adjacent pairs in it + 1) for every column holding numbers in adjacent cells.
class TMatrixAdjacentStat : public TCustomMatrixStat {
public:
    void ValuesOfLastNumbers(const TComb &comb, TStatDrawArray &values, TStatTally &tally) override
    {
        Matrix.AdjacencyValuesOfLastNumbers(*this, m_axis, comb, values, tally);
    }
    TMatrixAdjacentStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis);
    QString ValueToText(const TStatValueRec &value) const override;
    void ValuesOfComb(const TComb &comb, TStatDrawArray &values) override;
    void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                      TLastValueArray &lastValues) override;
    bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                     bool deleteMode) override;

private:
    void MergePairs(const TMatrixGeometry::TNumbers &numbers, TStatDrawArray &values, bool withIntervals);
    TMatrixAxis m_axis;
};

// COLN / ROWN: how many columns (rows) hold a number.
class TMatrixLineCountStat : public TCustomMatrixGraphStat {
public:
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Matrix.LineOf(m_axis, uint8_t(n)); }
    TMatrixLineCountStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis);
    int ValueOf(const TMatrixGeometry::TNumbers &numbers) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;

private:
    TMatrixAxis m_axis;
};

// COLC / ROWC: how many columns (rows) hold numbers in adjacent cells.
class TMatrixAdjacentCountStat : public TCustomMatrixGraphStat {
public:
    void ValuesOfLastNumbers(const TComb &comb, TStatDrawArray &values, TStatTally &tally) override
    {
        Matrix.AdjacencyValuesOfLastNumbers(*this, m_axis, comb, values, tally);
    }
    TMatrixAdjacentCountStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis);
    int ValueOf(const TMatrixGeometry::TNumbers &numbers) const override;

private:
    TMatrixAxis m_axis;
};

// COL<k> / ROW<k>: how many of the six numbers lie in column (row) k.
class TMatrixLineValCntStat : public TCustomMatrixGraphStat {
public:
    TCombDependence CombDependence() const override { return TCombDependence::Groups; }
    int NumberFeature(int n) const override { return Matrix.LineOf(m_axis, uint8_t(n)) == Param ? 1 : 0; }
    TMatrixLineValCntStat(const TStatClass &cls, const TStatList &list, int param, TMatrixAxis axis);
    int ValueOf(const TMatrixGeometry::TNumbers &numbers) const override;
    void EnumAllValues(int last, TStatDrawArray &values) override;

private:
    TMatrixAxis m_axis;
};

// The column and row forms.
template <class Generic, TMatrixAxis Axis>
class TMatrixAxisStat : public Generic {
public:
    TMatrixAxisStat(const TStatClass &cls, const TStatList &list, int param) : Generic(cls, list, param, Axis) {}
};

class TstColumns : public TMatrixAxisStat<TMatrixLinesStat, TMatrixAxis::Columns> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstRows : public TMatrixAxisStat<TMatrixLinesStat, TMatrixAxis::Rows> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstColValues : public TMatrixAxisStat<TMatrixLineValuesStat, TMatrixAxis::Columns> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstRowValues : public TMatrixAxisStat<TMatrixLineValuesStat, TMatrixAxis::Rows> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstColCount : public TMatrixAxisStat<TMatrixLineCountStat, TMatrixAxis::Columns> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstRowCount : public TMatrixAxisStat<TMatrixLineCountStat, TMatrixAxis::Rows> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstColMask : public TMatrixAxisStat<TMatrixMaskStat, TMatrixAxis::Columns> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstRowMask : public TMatrixAxisStat<TMatrixMaskStat, TMatrixAxis::Rows> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstColAjacent : public TMatrixAxisStat<TMatrixAdjacentStat, TMatrixAxis::Columns> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstRowAjacent : public TMatrixAxisStat<TMatrixAdjacentStat, TMatrixAxis::Rows> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstColAjacentCnt : public TMatrixAxisStat<TMatrixAdjacentCountStat, TMatrixAxis::Columns> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstRowAjacentCnt : public TMatrixAxisStat<TMatrixAdjacentCountStat, TMatrixAxis::Rows> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstColValCnt : public TMatrixAxisStat<TMatrixLineValCntStat, TMatrixAxis::Columns> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
class TstRowValCnt : public TMatrixAxisStat<TMatrixLineValCntStat, TMatrixAxis::Rows> {
public:
    using TMatrixAxisStat::TMatrixAxisStat;
};
