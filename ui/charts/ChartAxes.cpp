#include "ui/charts/ChartAxes.h"

#include <QChart>
#include <QFontMetricsF>
#include <QValueAxis>

#include <algorithm>

void ApplyAxisScale(QValueAxis *axis, const TAxisScale &scale)
{
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setRange(scale.min, scale.max);
    axis->setTickCount(scale.tickCount);
    axis->setMinorTickCount(0);
    axis->setLabelFormat(scale.labelFormat());
}

QValueAxis *NewValueAxis(double lo, double hi, bool wholeNumbers, int maxTicks, bool pad)
{
    auto *axis = new QValueAxis;
    ApplyAxisScale(axis, NiceAxisScale(lo, hi, wholeNumbers, maxTicks, pad));
    return axis;
}

void FitVerticalTicks(QChart *chart, double top, double labelPadding, int maxTicks, int &ticks)
{
    auto *axis = qobject_cast<QValueAxis *>(chart->axes(Qt::Vertical).value(0));
    if (!axis)
        return;
    const double plotHeight = chart->plotArea().height();
    const double labelHeight = QFontMetricsF(axis->labelsFont()).height() + 2 * labelPadding;
    const int fit =
        plotHeight > 0 ? std::clamp(static_cast<int>(plotHeight / labelHeight), 2, std::max(maxTicks, 2)) : maxTicks;
    if (fit == ticks)
        return;
    ticks = fit;
    ApplyAxisScale(axis, NiceAxisScale(0, top, true, fit, true));
}

void DeleteChartAxes(QChart *chart)
{
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}
