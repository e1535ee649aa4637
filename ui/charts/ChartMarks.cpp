#include "ui/charts/ChartMarks.h"

#include "app/views/AxisScale.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QPainter>
#include <QTimer>
#include <QXYSeries>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The text of a point's mark as the chart writes it: the series' format with the point's values.
QString MarkText(const QXYSeries *series, const QPointF &point)
{
    QString text = series->pointLabelsFormat();
    text.replace(u"@xPoint"_s, QString::number(point.x()));
    text.replace(u"@yPoint"_s, QString::number(point.y()));
    return text;
}

// Room between a mark's text and the edge of its ground.
constexpr double kGroundMargin = 3;

} // namespace

// The top layer of the chart: above the series and their markers, below nothing.
class TChartMarks::Layer : public QGraphicsItem {
public:
    Layer(QChart *chart, const QList<TChartMark> &marks) : QGraphicsItem(chart), m_marks(marks)
    {
        setZValue(1000);
        setAcceptedMouseButtons(Qt::NoButton);
    }
    QRectF boundingRect() const override { return m_bounds; }
    void refresh()
    {
        prepareGeometryChange();
        m_bounds = QRectF();
        for (const TChartMark &m : m_marks)
            m_bounds |= m.rect;
        update();
    }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        for (const TChartMark &m : m_marks) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(255, 255, 255, 225));
            painter->drawRect(m.rect);
            painter->setPen(m.colour);
            painter->setFont(m.font);
            painter->drawText(m.rect, Qt::AlignCenter, m.text);
        }
    }

private:
    const QList<TChartMark> &m_marks;
    QRectF m_bounds;
};

TChartMarks::TChartMarks(QChart *chart) : QObject(chart), m_chart(chart), m_layer(new Layer(chart, m_drawn))
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
        connect(series, &QXYSeries::visibleChanged, this, &TChartMarks::scheduleUpdate, Qt::UniqueConnection);
    } else {
        m_shown.removeAll(series);
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
    return isShown(series) && m_drawnPoints.value(series).contains(index);
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
    // Each mark centred over its point, its ground's foot two pixels above the marker (or the line).
    std::vector<QRectF> rects;
    QList<TChartMark> wanted;
    std::vector<std::pair<const QXYSeries *, int>> owners; // series, point
    double gap = 2;
    for (int k = 0; k < m_shown.size(); ++k) {
        QXYSeries *s = m_shown[k];
        if (area.isEmpty() || !s->isVisible() || !m_chart->series().contains(s))
            continue;
        const QFont font = s->pointLabelsFont();
        const QFontMetricsF metrics(font);
        gap = std::max(gap, metrics.horizontalAdvance(u'0'));
        const double offset = (s->pointsVisible() ? s->markerSize() / 2 : s->pen().widthF() / 2) + 2;
        const QList<QPointF> points = s->points();
        for (int i = 0; i < points.size(); ++i) {
            const QPointF at = m_chart->mapToPosition(points[i], s);
            const QString text = MarkText(s, points[i]);
            const double width = metrics.horizontalAdvance(text) + 2 * kGroundMargin;
            const double height = metrics.height();
            rects.emplace_back(at.x() - width / 2, at.y() - offset - height, width, height);
            wanted.append({rects.back(), text, font, s->pointLabelsColor()});
            owners.emplace_back(s, i);
        }
    }
    const std::vector<bool> kept = ThinLabels(rects, area, gap);
    m_drawn.clear();
    m_drawnPoints.clear();
    for (size_t j = 0; j < owners.size(); ++j)
        if (kept[j]) {
            m_drawn.append(wanted[qsizetype(j)]);
            m_drawnPoints[owners[j].first].append(owners[j].second);
        }
    m_layer->refresh();
}
