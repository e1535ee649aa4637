#pragma once

#include <QColor>
#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <set>

class QChart;
class QChartView;
class QCheckBox;
class QLineSeries;
class QValueAxis;
class QCategoryAxis;
class TChartLegend;
class TChartMarks;
class TTemplateMain;
class QAction;
struct TSumsDistribution;

// A general chart window: named line series that the caller fills point by point, then shows the
// window modally. The check box shows or hides the value labels of the series that were created
// with labels; the others never show any.
class TFormGraph : public QDialog {
    Q_OBJECT
public:
    explicit TFormGraph(QWidget *parent = nullptr);

    // Adds the point (x, y) to the series of that title, creating it at the first point: a line of
    // width 2 in the colour (the chart's own when invalid), with point markers of size 3 when markers
    // is set and value labels (the point's value, y) when labels is set.
    void AddGraphPoint(double x, const QString &title, double y, bool markers, bool labels,
                       const QColor &colour = QColor());

    // The labels of the value axis: "%d" with whole steps unless set otherwise (money: "%.2f").
    void setYLabelFormat(const QString &format, bool whole);

    QChart *chart() const { return m_chart; }
    QChartView *chartView() const { return m_view; }
    QCheckBox *labelsCheck() const { return m_labels; }
    TChartLegend *legend() const { return m_legend; }
    QValueAxis *axisX() const;
    // The values the labels under the chart name: only values some series has (no draw that is not
    // one), at the scale's spacing.
    QList<double> xLabelValues() const;
    QValueAxis *axisY() const { return m_axisY; }
    // An axis whose values count something ticks at whole numbers even where a series has fractional
    // points (a scaled curve); by default an axis is whole while all its points are.
    void setWholeNumbers(bool x, bool y);
    QLineSeries *series(const QString &title) const { return m_series.value(title); }
    QList<QLineSeries *> allSeries() const { return m_order; }
    bool isLabelControlled(const QLineSeries *series) const;
    // The value label of the point is drawn: labels are on for its series and the point's label was
    // not left out to keep the labels clear of each other and inside the plot.
    bool isLabelShown(const QLineSeries *series, int index) const;
    TChartMarks *marks() const { return m_marks; }

    void done(int result) override;

private:
    void applyLabels();
    void extendRanges(double x, double y);
    void applyScales();

    QChart *m_chart;
    QChartView *m_view;
    QCheckBox *m_labels;
    TChartLegend *m_legend;
    TChartMarks *m_marks;
    QCategoryAxis *m_axisX;
    QValueAxis *m_axisY;
    std::set<double> m_xs;
    QHash<QString, QLineSeries *> m_series;
    QList<QLineSeries *> m_order;
    QList<QLineSeries *> m_labelControlled;
    bool m_hasPoints = false;
    bool m_wholeX = true, m_wholeY = true;
    bool m_forceWholeX = false, m_forceWholeY = false;
    QString m_yFormat;        // set by setYLabelFormat; empty: chosen from the scale
    bool m_yFormatWhole = true;
    double m_minX = 0, m_maxX = 0, m_minY = 0, m_maxY = 0;
};

// Shows the window modally (exec()) unless a test installs its own way; nullptr restores exec().
using FormGraphShower = std::function<void(TFormGraph &window)>;
void SetFormGraphShower(FormGraphShower shower);
void ShowFormGraph(TFormGraph &window);

// The sums distribution drawn into a chart window.
void FillSumsDistributionChart(TFormGraph &window, const TSumsDistribution &distribution);

// The command "Распределение сумм тиражей и всех возможных комбинаций": counts the sums and shows the
// chart window. Created by the graphs feature; enabled while no busy section is open.
QAction *CreateTotalSumCombsAction(TTemplateMain &window);
