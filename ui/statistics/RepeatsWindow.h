#pragma once

#include "lottery/DrawTypes.h"
#include "app/views/RepeatsAnalysis.h"

#include <QDialog>
#include <functional>

class QChart;
class QChartView;
class QPushButton;
class QSpinBox;
class QSplitter;
class TSplitterPane;
class TQSortListView;

// The window "Количество повторов в зависимости от тиража": for each of the newest draws, how many
// earlier draws within the look-back depth share exactly m numbers with it, as a list and as one chart
// line per m.
class TRepeatsWindow : public QDialog {
    Q_OBJECT
public:
    explicit TRepeatsWindow(const TDrawsArray &draws, QWidget *parent = nullptr);

    static QString caption();
    // The window's section of the settings store.
    static QString section();

    // Runs the analysis and shows it; a failure is reported in an error box.
    void RefreshAnalyze();

    // The lengths, the chart's height, the placement and the list's columns in the settings store.
    void loadSettings();
    void saveSettings() const;

    QSpinBox *lengthEdit() const { return m_edDrawsLen; }
    QSpinBox *depthEdit() const { return m_edDeep; }
    QPushButton *calcButton() const { return m_btnCalc; }
    TQSortListView *list() const { return m_lvList; }
    QChart *chart() const { return m_chart; }
    const TRepeatsResult &result() const { return m_result; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillChart();
    // Gives the axis of counts as many ticks as the chart's height lets show whole.
    void fitYTicks();

    const TDrawsArray &m_draws;
    TRepeatsResult m_result;
    QSpinBox *m_edDrawsLen;
    QSpinBox *m_edDeep;
    QPushButton *m_btnCalc;
    TQSortListView *m_lvList;
    QSplitter *m_splitter;
    TSplitterPane *m_chartPane = nullptr;
    QChart *m_chart;
    QChartView *m_chartView;
    double m_maxY = 1;
    int m_yTicks = 0;
};

// Opens the window over the draws, runs the analysis once and shows it modally; its settings are
// kept when it closes. Tests may replace the modal run (nullptr restores exec()).
void ShowRepeatsWindow(const TDrawsArray &draws, QWidget *parent);
void SetRepeatsWindowRunner(std::function<void(TRepeatsWindow &)> runner);
