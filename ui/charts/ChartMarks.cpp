#include "ui/charts/ChartMarks.h"

#include "app/views/AxisScale.h"

#include <QChart>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTimer>
#include <QXYSeries>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

using Config = QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>>;

// The text of a point's mark as the chart writes it: the series' format with the point's values.
QString MarkText(const QXYSeries *series, const QPointF &point)
{
    QString text = series->pointLabelsFormat();
    text.replace(u"@xPoint"_s, QString::number(point.x()));
    text.replace(u"@yPoint"_s, QString::number(point.y()));
    return text;
}

} // namespace

TChartMarks::TChartMarks(QChart *chart) : QObject(chart), m_chart(chart)
{
    connect(chart, &QChart::plotAreaChanged, this, &TChartMarks::update);
}

void TChartMarks::setShown(QXYSeries *series, bool shown)
{
    const bool was = isShown(series);
    if (shown == was)
        return;
    series->setPointLabelsVisible(false);
    if (shown) {
        m_shown.append(series);
        for (auto changed : {&QXYSeries::pointAdded, &QXYSeries::pointRemoved})
            connect(series, changed, this, &TChartMarks::scheduleUpdate, Qt::UniqueConnection);
        connect(series, &QXYSeries::pointsReplaced, this, &TChartMarks::scheduleUpdate, Qt::UniqueConnection);
    } else {
        m_shown.removeAll(series);
        series->setPointsConfiguration(Config());
    }
    update();
}

bool TChartMarks::isShown(const QXYSeries *series) const
{
    for (const QPointer<QXYSeries> &s : m_shown)
        if (s == series)
            return true;
    return false;
}

bool TChartMarks::isDrawn(const QXYSeries *series, int index) const
{
    return isShown(series) &&
           series->pointConfiguration(index).value(QXYSeries::PointConfiguration::LabelVisibility, false).toBool();
}

void TChartMarks::scheduleUpdate()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_scheduled)
            update();
    });
}

void TChartMarks::update()
{
    m_scheduled = false;
    m_shown.removeAll(nullptr);
    const QRectF area = m_chart->plotArea();
    // Where the chart draws each mark: centred over the point, its baseline two pixels above the
    // marker (or the line), in the font the chart sets by pixels.
    std::vector<QRectF> rects;
    std::vector<std::pair<int, int>> owners; // series, point
    double gap = 2;
    for (int k = 0; k < m_shown.size(); ++k) {
        QXYSeries *s = m_shown[k];
        if (area.isEmpty() || !s->isVisible() || !m_chart->series().contains(s))
            continue;
        QFont font = s->pointLabelsFont();
        font.setPixelSize(QFontInfo(s->pointLabelsFont()).pixelSize());
        const QFontMetrics metrics(font);
        gap = std::max<double>(gap, metrics.horizontalAdvance(u'0'));
        const int offset = (s->lightMarker().isNull() ? s->pen().width() / 2 : int(s->markerSize() / 2)) + 2;
        const QList<QPointF> points = s->points();
        for (int i = 0; i < points.size(); ++i) {
            const QPointF at = m_chart->mapToPosition(points[i], s);
            const int width = metrics.horizontalAdvance(MarkText(s, points[i]));
            const double baseline = at.y() - offset;
            rects.emplace_back(at.x() - width / 2, baseline - metrics.ascent(), width, metrics.height());
            owners.emplace_back(k, i);
        }
    }
    const std::vector<bool> kept = ThinLabels(rects, area, gap);
    std::vector<Config> configs(size_t(m_shown.size()));
    QHash<QXYSeries::PointConfiguration, QVariant> on;
    on.insert(QXYSeries::PointConfiguration::LabelVisibility, true);
    for (size_t j = 0; j < owners.size(); ++j)
        if (kept[j])
            configs[size_t(owners[j].first)].insert(owners[j].second, on);
    for (int k = 0; k < m_shown.size(); ++k)
        if (m_shown[k]->pointsConfiguration() != configs[size_t(k)])
            m_shown[k]->setPointsConfiguration(configs[size_t(k)]);
}
