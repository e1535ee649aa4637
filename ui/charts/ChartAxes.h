#pragma once

#include "app/views/AxisScale.h"

class QChart;
class QValueAxis;

// Puts the axis on the scale: its range, one tick per step and labels with the digits the step needs.
void ApplyAxisScale(QValueAxis *axis, const TAxisScale &scale);

// A new value axis on the scale of the values lo..hi (see NiceAxisScale).
QValueAxis *NewValueAxis(double lo, double hi, bool wholeNumbers, int maxTicks = 11, bool pad = false);

// How many ticks an upright value axis can have on a plot of that height, each label with its own
// height and padding about it, between 2 and maxTicks (maxTicks while the plot has no height yet); with
// more the chart cuts the labels down to "...".
int VerticalTickCount(const QValueAxis *axis, double plotHeight, double labelPadding, int maxTicks);

// Takes every axis off the chart and frees it (the chart gives removed axes back to the caller).
void DeleteChartAxes(QChart *chart);
