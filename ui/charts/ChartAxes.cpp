#include "ui/charts/ChartAxes.h"

#include <QChart>
#include <QValueAxis>

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

void DeleteChartAxes(QChart *chart)
{
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}
