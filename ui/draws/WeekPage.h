#pragma once

#include "app/combinations/CombsFilter.h"
#include "app/views/WeekModel.h"

#include <QWidget>

class QChart;
class QChartView;
class QPushButton;
class QSpinBox;
class QSplitter;
class TSplitterPane;
class TCombsList;
class TDrawsArchive;
class TQOwnerDrawGrid;
class TStatList;
struct MainOptions;

// The "Неделя" tab: how often each number fell on each day of the week over the newest draws, and a
// chart of one row or one column of that table.
class TWeekPage : public QWidget {
    Q_OBJECT
public:
    TWeekPage(const TDrawsArchive &archive, const TStatList &stats, const MainOptions &options,
              QWidget *parent = nullptr);
    ~TWeekPage() override;

    static QString caption();

    TQOwnerDrawGrid *grid() const { return m_grid; }
    QSpinBox *lengthEdit() const { return m_edWeekLen; }
    QPushButton *calcButton() const { return m_btnCalc; }
    QChartView *chartView() const { return m_chartView; }
    const TWeekTable &table() const { return m_table; }

    // The draws offset of the main window; 0 without a source.
    void setDrawsOffsetSource(std::function<int()> source) { m_offsetSource = std::move(source); }

    // "WeekLen" and "WeekHeight", read at start-up and written at shutdown by the main window.
    int weekLen() const;
    void setWeekLen(int value);
    int weekHeight() const;
    void setWeekHeight(int height);

    // Recomputes the table when forced or when the draws, the offset or the length changed. A page
    // that is not on screen only notes the request and recomputes when it is shown.
    void RefreshWeek(bool force);
    // The chart of the row (mode 0) or the column (mode 1) of a cell.
    void DrawWeekChart(int column, int row);
    // The chart of the grid's current cell (after a change of a chart option).
    void redrawChart();

    // The numbers of the selected columns.
    TFilterSelection selection() const;
    // Saves the undo copy and keeps (or deletes) the combinations that hold a selected number.
    void FilterCombsByWeek(TCombsList &list, bool deleting, const TFilterDraws &draws);

signals:
    // "Обновить" was pressed.
    void calcRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Labels the points of the chart, as many of them as the chart's width lets read.
    void fitNumberLabels();
    void drawCell(QPainter *painter, const QRect &rect, int col, int row, bool selected);
    QString cellText(int col, int row) const;
    TWeekKey currentKey() const;

    const TDrawsArchive &m_archive;
    const TStatList &m_stats;
    const MainOptions &m_options;
    TWeekTable m_table;
    TWeekKey m_key;
    QStringList m_dayNames;
    QSplitter *m_splitter;
    TSplitterPane *m_chartPane = nullptr;
    QSpinBox *m_edWeekLen;
    QPushButton *m_btnCalc;
    TQOwnerDrawGrid *m_grid;
    QChartView *m_chartView;
    QChart *m_chart;
    QStringList m_axisLabels; // of the points charted, in their order
    int m_labelStep = 0;      // every how many points one is labelled (0: no labels yet)
    std::function<int()> m_offsetSource;
    bool m_forcePending = false;
};
