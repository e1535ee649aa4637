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

int VerticalTickCount(const QValueAxis *axis, double plotHeight, double labelPadding, int maxTicks)
{
    if (plotHeight <= 0)
        return maxTicks;
    const double labelHeight = QFontMetricsF(axis->labelsFont()).height() + 2 * labelPadding;
    return std::clamp(static_cast<int>(plotHeight / labelHeight), 2, std::max(maxTicks, 2));
}

void DeleteChartAxes(QChart *chart)
{
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}
