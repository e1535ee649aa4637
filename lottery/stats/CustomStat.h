#pragma once

#include "lottery/DrawTypes.h"
#include "lottery/stats/StatClass.h"
#include "lottery/stats/StatValue.h"

#include <QString>
#include <QStringView>
#include <array>
#include <functional>

class TStatList;

// The scratch area of one pass over a sample: a running series per value 1..45 (length, draw number of
// its last draw, that draw's depth). Cleared by the caller before the pass.
struct TSeriesCounter {
    int32_t Length = 0;
    int32_t DrawNumber = 0;
    int32_t Depth = 0;
};
struct TStatWork {
    std::array<TSeriesCounter, kMaxNumber> Counters{};
    void clear() { Counters.fill(TSeriesCounter{}); }
};
static_assert(sizeof(TStatWork) == 540, "the work area of a pass is 540 bytes");

// A statistic: turns a draw, or a combination, into one or more values. Objects are created from a
// registry method to compute and are freed after use; everything the method lists need is in the
// class description (TStatClass).
//
// Computing over a sample: EnumAllValues (Last), then ValuesOfDraw for every draw of the sample, oldest
// first, with one cleared work area and one last-value list (ComputeStatValues does exactly this).
// Filtering: LoadDraw (-1, Last, Sorted) once, then CombMatches for every combination.
class TCustomStat {
public:
    TCustomStat(const TStatClass &cls, const TStatList &list, int param);
    virtual ~TCustomStat();
    TCustomStat(const TCustomStat &) = delete;
    TCustomStat &operator=(const TCustomStat &) = delete;

    const TStatClass &StatClass() const { return *m_class; }
    int GetParam() const { return Param; }
    // The class's title for the parameter, a template where the class fills in more (a shredding
    // method's "%s"); the user reads the method's full title (TStatMethod::MethodFullTitle).
    QString Title() const { return m_class->TitleFor(Param); }
    QString Code() const { return m_class->CodeFor(Param); }

    // Display text of a value.
    virtual QString ValueToText(const TStatValueRec &value) const;
    // Parses a value text into its key; 0 when the text holds none.
    virtual int TextToValue(QStringView text) const;
    // TextToValue when the class has text values, else 0.
    int ValueFromText(QStringView text) const;

    // Merges a count-0 record for every possible value (nothing for an open value set).
    virtual void EnumAllValues(int last, TStatDrawArray &values);
    // Draw := draw index; for kind D also LastDraw := draw last (both ascending when sorted).
    virtual void LoadDraw(int index, int last, bool sorted);
    // Merges the value(s) of one combination, count 1 each, without intervals.
    virtual void ValuesOfComb(const TComb &comb, TStatDrawArray &values);
    // How many values ValuesOfComb merges for every combination; 0 when that depends on the
    // combination. The distribution over all combinations then adds up to that many times their number.
    virtual int ValuesPerComb() const { return 0; }
    // What the values ValuesOfComb merges for six ascending numbers of the game depend on. The
    // distribution over all combinations is then worked out from one combination of each alike kind,
    // counted as often as there are such combinations.
    enum class TCombDependence : uint8_t {
        Numbers, // the numbers themselves
        Gaps,    // the differences between neighbouring numbers alone (the same for numbers moved by a constant)
        GapSet,  // the same differences in whatever order they come
        Groups,  // how many of the numbers have each NumberFeature alone
        Steps,   // a state alone that the numbers make in ascending order: it starts at 0, and the k-th
                 // number n (k = 0..5) adds StepOf(k, n) to it
        Each,    // each number alone: the values are those ValuesOfNumber merges for each of the six
    };
    virtual TCombDependence CombDependence() const { return TCombDependence::Numbers; }
    // The feature of number n (1..45) for Groups.
    virtual int NumberFeature(int n) const { return n; }
    // For Steps: what the k-th number n adds to the state, and a bound that every state stays below.
    virtual int StepOf(int /*k*/, int n) const { return n; }
    virtual int StepStates() const { return 1; }
    // For Each: merges the values of number n (1..45), count 1 each.
    virtual void ValuesOfNumber(int /*n*/, TStatDrawArray & /*values*/) {}
    // Merges the values of every combination of the first five numbers of comb (ascending numbers of
    // the game) with a sixth number above them, as ValuesOfComb merges them one by one, for a pass that
    // only counts them in tally, the counts of values (whose weight is set here).
    virtual void ValuesOfLastNumbers(const TComb &comb, TStatDrawArray &values, TStatTally &tally);
    // Merges the value(s) of draw index of a sample whose last draw is last, with intervals.
    virtual void ValuesOfDraw(int index, int last, bool sorted, TStatDrawArray &values, TStatWork &work,
                              TLastValueArray &lastValues);
    // The number of the first draw from index start on that has the value; -1 when none does.
    virtual int FindDrawWithValue(const TStatValueRec &value, int start, int last, bool sorted);
    // Whether the combination has one of the selected values.
    virtual bool CombMatches(const TComb &comb, const TStatDrawArray &values, int last, bool sorted,
                             bool deleteMode) = 0;
    // True when CombMatches asks the selected values only through their key lookups (HasValue,
    // HasValuePair, HasWordKey, HasByteKey, HasDWordKey, indexOf), the questions it asks depend only on
    // the combination and on what came before, and it matches as soon as one lookup finds a value and
    // only then. The lookups a combination makes against an array that answers "not found" to all
    // (TStatProbeRecorder) then tell which values it matches, so that a filter can be worked out for
    // many sets of values from one recorded pass.
    virtual bool TestsByKeyLookups() const { return true; }
    // For a test whose one lookup asks for the sum of a weight of each number 1..45 of the combination
    // (six different numbers), the weights fixed by the last draw: fills them (weights[n] for number
    // n) and the kind and key position of the lookup (its key is the sum), and returns true. False for
    // every other test.
    virtual bool NumberWeightsOfTest(int last, std::array<uint8_t, kMaxNumber + 1> &weights, TStatProbe &lookup)
    {
        (void)last;
        (void)weights;
        (void)lookup;
        return false;
    }

    // Draw index as a copy, its six numbers ascending when sorted; an all-zero draw outside the array.
    TDrawRec GetDraw(int index, bool sorted) const;
    int DrawCount() const;

protected:
    // The first step of every ValuesOfDraw: loads the draws and prepares Value (count 1, depth, draw number).
    void BeginDrawValue(int index, int last, bool sorted);
    // The first step of ValuesOfComb: Value cleared with a count of 1.
    void BeginCombValue()
    {
        Value = TStatValueRec{};
        Value.Count = 1;
    }
    // Merges Value with the given key 1 (keys 2 to 4 zero).
    void MergeKey(TStatDrawArray &values, uint16_t key1, bool withIntervals)
    {
        Value.Keys.set(key1);
        AddStatValue(values, Value, withIntervals);
    }
    // Merges count-0 records for the keys first..last (key 1 only).
    void EnumRange(TStatDrawArray &values, int first, int last);
    // True for statistics that carry state from draw to draw in the work area or the last-value list;
    // FindDrawWithValue then runs one pass from the first draw so that the state is real.
    virtual bool CarriesState() const { return false; }

    int Param;
    const TDrawsArray *Draws; // the registry's reference to the archive; never a copy
    TDrawRec Draw;
    TDrawRec LastDraw;
    TStatValueRec Value;

private:
    const TStatClass *m_class;
};

// One integer per draw that can be charted.
class TCustomGraphStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    // The integer value of a combination taken as draw index.
    virtual int NumericValue(const TComb &comb, int index, bool sorted, int last) = 0;
    // NumericValue of draw index.
    int GraphValue(int index, int last, bool sorted);
    int ValuesPerComb() const override { return 1; }
};

// Values are numbers 1..45.
class TCustomValuesStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
};

// Values are counts or other plain numbers.
class TCustomNumbersStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
};

// A graph statistic whose value k (how many of the six numbers have some property) reads "k:(6-k)".
class TCustomRatioStat : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    QString ValueToText(const TStatValueRec &value) const override;
    int TextToValue(QStringView text) const override;
};

// A 6-bit mask, one bit per number (the first number is the most significant bit), shown as six letters
// and the mask: "нЧннЧЧ (044)".
class TCustomMaskStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;
    // The letter of a clear and of a set bit.
    virtual QChar ClearLetter() const = 0;
    virtual QChar SetLetter() const = 0;
    QString ValueToText(const TStatValueRec &value) const override;
    int TextToValue(QStringView text) const override;
    // The masks 0..63.
    void EnumAllValues(int last, TStatDrawArray &values) override;
    int ValuesPerComb() const override { return 1; }
};

// ---- Lookups in the selected values of a filter ----
// (Inline: every combination of a filtering pass asks them several times.)
inline bool HasValue(const TStatDrawArray &values, uint16_t k1, uint16_t k2, uint16_t k3, uint16_t k4)
{
    return values.indexOf(PackStatKeys(k1, k2, k3, k4)) >= 0;
}
inline bool HasWordKey(const TStatDrawArray &values, int n, uint16_t w)
{
    return values.hasWordKey(n, w);
}
inline bool HasByteKey(const TStatDrawArray &values, int n, uint8_t b)
{
    return values.hasByteKey(n, b);
}
inline bool HasDWordKey(const TStatDrawArray &values, int n, uint32_t d)
{
    return values.hasDWordKey(n, d);
}
// 32-bit key 1 equal to a and 32-bit key 2 equal to b (both 16-bit, zero-extended).
inline bool HasValuePair(const TStatDrawArray &values, uint16_t a, uint16_t b)
{
    return HasValue(values, a, 0, b, 0);
}

// ---- The computation over a sample ----

// The draws of a sample: Last = draws - 1 - offset (the newest draws left out), First = Last - length + 1
// raised to 0. Empty (Last < First) when no draw is left.
struct TSampleBounds {
    int First = 0;
    int Last = -1;
    bool empty() const { return Last < First; }
};
TSampleBounds SampleBounds(int drawCount, int offset, int length);

// Every value of the statistic over the draws first..last: the enumerated values first, then the values
// of each draw, oldest first, with one work area and one last-value list for the pass.
TStatDrawArray ComputeStatValues(TCustomStat &stat, const TSampleBounds &sample, bool sorted);
// The same, calling progress(percent) once every one per cent of the draws of a long sample.
TStatDrawArray ComputeStatValues(TCustomStat &stat, const TSampleBounds &sample, bool sorted,
                                 const std::function<void(double percent)> &progress);
