#pragma once

#include <QRectF>
#include <QString>

#include <vector>

// The scale of a chart's value axis: its ends and the distance between its ticks. The ends are whole
// multiples of the step, so every tick, and the label drawn at it, falls on a round value.
struct TAxisScale {
    double min = 0;
    double max = 1;
    double step = 1;
    int tickCount = 2;
    int decimals = 0; // digits after the point that the labels need

    double tick(int i) const { return min + i * step; }
    // The printf-style format of the axis labels: "%d" for whole numbers, "%.1f" and so on otherwise.
    QString labelFormat() const;
};

// A scale that holds the values lo..hi with about maxTicks ticks, 1, 2 or 5 times a power of ten
// apart. For values that are whole numbers (counts, draw numbers) the step is at least 1, so that no
// tick falls between two whole numbers. With pad, a little room is left beyond the largest value (and
// below the smallest when it is negative) so that markers and value labels at the ends stay inside.
TAxisScale NiceAxisScale(double lo, double hi, bool wholeNumbers, int maxTicks = 11, bool pad = false);

// Where an axis over whole values (draw numbers, sums) puts its labels so that each names a value there
// is: values ascending and without repeats. The labels keep the scale's spacing, rounded up to a whole
// number of the values' common stride (draws going in steps of 2 are labelled every 2, 4, 10...); they
// fall on round numbers when the values do, else they count from the first value. A label whose place
// holds no value moves to a value within a quarter of the spacing, or is left out.
std::vector<double> RealValueTicks(const std::vector<double> &values, double step);

// True when every value is a whole number.
template <typename Range, typename Value>
bool AllWholeNumbers(const Range &values, Value value)
{
    for (const auto &v : values) {
        const double d = value(v);
        if (d != static_cast<double>(static_cast<long long>(d)))
            return false;
    }
    return true;
}

// Category labels along an axis axisWidth pixels long, every k-th of count labelled: the smallest step k
// at which each shown label (labelWidth pixels, with padding on either side) has room in its share of
// the axis, the axis being shared among the shown labels plus one.
int CategoryLabelStep(int count, double axisWidth, double labelWidth, double padding);

// Which value labels to show where they would crowd: a label is kept when it lies whole inside the area
// and at least gap away from every label kept before it, the labels taken in the order given.
std::vector<bool> ThinLabels(const std::vector<QRectF> &labels, const QRectF &area, double gap);
