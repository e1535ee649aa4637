#include "app/views/AxisScale.h"

#include <algorithm>
#include <cmath>
#include <numeric>

QString TAxisScale::labelFormat() const
{
    return decimals <= 0 ? QStringLiteral("%d") : QStringLiteral("%.") + QString::number(decimals) + u'f';
}

TAxisScale NiceAxisScale(double lo, double hi, bool wholeNumbers, int maxTicks, bool pad)
{
    if (!std::isfinite(lo) || !std::isfinite(hi)) {
        lo = 0;
        hi = 1;
    }
    if (hi < lo)
        std::swap(lo, hi);
    maxTicks = std::max(maxTicks, 2);
    if (pad && hi > lo) {
        const double room = (hi - lo) * 0.04;
        hi += room;
        if (lo < 0)
            lo -= room;
    }
    if (hi == lo) {
        const double half = wholeNumbers || lo == 0 ? 1.0 : std::fabs(lo) * 0.1;
        lo -= half;
        hi += half;
    }

    const double raw = (hi - lo) / (maxTicks - 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normal = raw / magnitude;
    const double factor = normal <= 1.0 ? 1.0 : normal <= 2.0 ? 2.0 : normal <= 5.0 ? 5.0 : 10.0;
    double step = factor * magnitude;
    if (wholeNumbers)
        step = std::max(1.0, std::round(step));

    // The ends as whole numbers of steps; the ticks between are counted rather than added up, so no
    // rounding error creeps into them.
    const double first = std::floor(lo / step + 1e-9);
    const double last = std::ceil(hi / step - 1e-9);

    TAxisScale scale;
    scale.step = step;
    scale.min = first * step;
    scale.tickCount = static_cast<int>(last - first) + 1;
    if (scale.tickCount < 2)
        scale.tickCount = 2;
    scale.max = scale.min + (scale.tickCount - 1) * step;
    scale.decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return scale;
}

int CategoryLabelStep(int count, double axisWidth, double labelWidth, double padding)
{
    if (count <= 1)
        return 1;
    const double needed = labelWidth + 2 * padding;
    for (int step = 1; step < count; ++step) {
        const int shown = (count + step - 1) / step;
        if (axisWidth / (shown + 1) >= needed)
            return step;
    }
    return count;
}

std::vector<bool> ThinLabels(const std::vector<QRectF> &labels, const QRectF &area, double gap)
{
    std::vector<bool> kept(labels.size(), false);
    std::vector<QRectF> taken;
    for (size_t i = 0; i < labels.size(); ++i) {
        const QRectF &label = labels[i];
        if (label.isEmpty() || !area.contains(label))
            continue;
        const QRectF around = label.adjusted(-gap, -gap, gap, gap);
        bool clear = true;
        for (const QRectF &other : taken)
            if (around.intersects(other)) {
                clear = false;
                break;
            }
        if (clear) {
            taken.push_back(label);
            kept[i] = true;
        }
    }
    return kept;
}

std::vector<double> RealValueTicks(const std::vector<double> &values, double step)
{
    std::vector<double> ticks;
    if (values.empty())
        return ticks;
    const auto first = static_cast<long long>(values.front());
    long long stride = 0;
    for (double v : values)
        stride = std::gcd(stride, static_cast<long long>(v) - first);
    if (stride <= 0)
        return {values.front()};
    const long long spacing = std::max(stride, (static_cast<long long>(std::ceil(step - 1e-9)) + stride - 1) / stride * stride);
    // Round numbers lie among the values only when the values are multiples of the stride.
    long long tick = first;
    if (first % stride == 0) {
        tick = first / spacing * spacing;
        if (tick < first)
            tick += spacing;
    }
    const long long last = static_cast<long long>(values.back());
    const long long reach = spacing / 4;
    for (; tick <= last; tick += spacing) {
        // The value nearest the tick within reach, if any.
        auto at = std::lower_bound(values.begin(), values.end(), double(tick - reach));
        double best = 0;
        bool found = false;
        for (; at != values.end() && *at <= double(tick + reach); ++at)
            if (!found || std::fabs(*at - double(tick)) < std::fabs(best - double(tick)))
                best = *at, found = true;
        if (found && (ticks.empty() || best > ticks.back()))
            ticks.push_back(best);
    }
    return ticks;
}
