#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>

class QChart;
class QXYSeries;

// The value marks of a chart's series, drawn only where they read: of the marks wanted, a mark is drawn
// when it lies whole inside the plot and at least a digit's width away from every mark drawn before it
// (the series in the order their marks were asked for, each from its first point). The marks are chosen
// again whenever the plot changes size or the points change. Every chart with value marks keeps them so.
//
// The marks are drawn by the chart's top layer, over every line and on a light ground of their own, so a
// line never strikes one through; the series' own labels stay off. A mark is drawn whole or not at all.
struct TChartMark {
    QRectF rect; // in the chart's coordinates, its ground included
    QString text;
    QFont font;
    QColor colour;
};

class TChartMarks : public QObject {
    Q_OBJECT
public:
    explicit TChartMarks(QChart *chart);

    // Marks of the series wanted or not. The series' label format and font decide the texts.
    void setShown(QXYSeries *series, bool shown);
    bool isShown(const QXYSeries *series) const;
    // Whether the mark of the point is drawn now.
    bool isDrawn(const QXYSeries *series, int index) const;
    // The marks drawn now, in drawing order.
    const QList<TChartMark> &drawn() const { return m_drawn; }
    // Chooses the marks again, at once.
    void update();
    // Chooses them again once the events now waiting have run (after a run of added points).
    void scheduleUpdate();

private:
    QChart *m_chart;
    class Layer;
    Layer *m_layer;
    QList<QPointer<QXYSeries>> m_shown;
    QList<TChartMark> m_drawn;
    QHash<const QXYSeries *, QList<int>> m_drawnPoints;
    bool m_scheduled = false;
};
