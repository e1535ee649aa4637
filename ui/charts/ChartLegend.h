#pragma once

#include <QWidget>

class QChart;
class QGridLayout;

// A legend under a chart that shows every series' whole title, wrapping long titles onto more lines
// instead of cutting them, as the chart's own legend does when the titles do not fit in one row.
// Series without a title are left out. The chart's own legend is hidden.
class TChartLegend : public QWidget {
    Q_OBJECT
public:
    explicit TChartLegend(QChart *chart, QWidget *parent = nullptr);

    // Lists the chart's series anew (after series were added or removed).
    void refresh();
    // The titles shown, in the chart's order.
    QStringList titles() const;

private:
    QChart *m_chart;
    QGridLayout *m_layout;
};
