#pragma once

#include "app/views/AxisScale.h"

class QChart;
class QValueAxis;

// Puts the axis on the scale: its range, one tick per step and labels with the digits the step needs.
void ApplyAxisScale(QValueAxis *axis, const TAxisScale &scale);

// A new value axis on the scale of the values lo..hi (see NiceAxisScale).
QValueAxis *NewValueAxis(double lo, double hi, bool wholeNumbers, int maxTicks = 11, bool pad = false);

// Gives the chart's upright axis of whole values 0..top as many ticks as a plot of its height shows
// with each label its own height and padding about it, between 2 and maxTicks (maxTicks while the
// plot has no height yet); with more the chart cuts the labels down to "...". ticks holds the count
// last applied: the scale is set again only when the count changes.
void FitVerticalTicks(QChart *chart, double top, double labelPadding, int maxTicks, int &ticks);

// Takes every axis off the chart and frees it (the chart gives removed axes back to the caller).
void DeleteChartAxes(QChart *chart);
