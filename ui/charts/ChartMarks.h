#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QChart;
class QXYSeries;

// The value marks of a chart's series, drawn only where they read: of the marks wanted, a mark is drawn
// when it lies whole inside the plot and at least a digit's width away from every mark drawn before it
// (the series in the order their marks were asked for, each from its first point). The marks are chosen
// again whenever the plot changes size or the points change. Every chart with value marks keeps them so.
//
// The series' own switch for labels stays off: the marks kept are switched on point by point, so a
// line of many thousand points costs no more than the few marks that fit.
class TChartMarks : public QObject {
    Q_OBJECT
public:
    explicit TChartMarks(QChart *chart);

    // Marks of the series wanted or not. The series' label format and font decide the texts.
    void setShown(QXYSeries *series, bool shown);
    bool isShown(const QXYSeries *series) const;
    // Whether the mark of the point is drawn now.
    bool isDrawn(const QXYSeries *series, int index) const;
    // Chooses the marks again, at once.
    void update();
    // Chooses them again once the events now waiting have run (after a run of added points).
    void scheduleUpdate();

private:
    QChart *m_chart;
    QList<QPointer<QXYSeries>> m_shown;
    bool m_scheduled = false;
};
