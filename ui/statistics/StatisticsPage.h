#pragma once

#include "common/widgets/ListView.h"
#include "app/statistics/DrawsStatCalc.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QChart;
class QChartView;
class QComboBox;
class QSpinBox;
class QSplitter;
class TSplitterPane;
class TDrawsArchive;
class TStatList;
struct MainOptions;
struct TStatMethod;

// The method chosen in a list of methods that the statistics page filled (its own or the graphs
// page's); null when none is chosen or the registry no longer has it.
const TStatMethod *MethodOfCombo(const QComboBox &combo, const TStatList &list);

// The "Статистика" tab: for the chosen method, one row per value over a sample of the newest draws
// (how often, how recently, against all combinations, when due again) above a chart of the counts.
// The selected rows are the values that the filters of the combinations list use.
class TStatisticsPage : public QWidget {
    Q_OBJECT
public:
    TStatisticsPage(TDrawsArchive &archive, TStatList &list, MainOptions &options, QWidget *parent = nullptr);
    ~TStatisticsPage() override;

    static QString caption();

    QComboBox *methodCombo() const { return m_combo; }
    QSpinBox *sampleLengthEdit() const { return m_length; }
    TQSortListView *table() const { return m_table; }
    QChartView *chartView() const { return m_chartView; }
    QSplitter *splitter() const { return m_splitter; }

    QAction *calcAction() const { return m_actCalc; }
    QAction *prefetchsAction() const { return m_actPrefetchs; }
    QAction *totalLineAction() const { return m_actTotalLine; }
    QAction *exportAction() const { return m_actExport; }

    // The draws offset of the main window (the newest draws hidden from analysis); 0 without a source.
    void setDrawsOffsetSource(std::function<int()> source) { m_offsetSource = std::move(source); }
    // The all-combinations distribution of a method: fills the record and returns true when the method
    // has one. Without a source the norms are not known.
    using PrefetchSource = std::function<bool(const TStatMethod &method, TStatPrefetch &prefetch)>;
    void setPrefetchSource(PrefetchSource source) { m_prefetchSource = std::move(source); }
    const PrefetchSource &prefetchSource() const { return m_prefetchSource; }
    // A second method list filled along with this one, with the graph methods only (the graphs view).
    void setGraphCombo(QComboBox *combo) { m_graphCombo = combo; }

    // Fills the method list(s) from the registry: the available, selectable favourite methods. With
    // reload, the favourites are written, the registry is rebuilt and the favourites read back; with
    // keep, the method shown stays selected (by its code), else the first one is selected.
    void FillMethodCombos(bool reload, bool keep);
    // Recomputes the table and the chart unless nothing they depend on changed (or force is set).
    // Raises what the statistic raises.
    void CalcDrawsStat(bool force);
    // The main window's refresh of the views: recomputes only while the tab is shown; a full refresh
    // asked for while it is hidden is kept for the next time it is shown. Failures are reported.
    void refresh(bool full);
    // Enables and checks the actions for the current state.
    void updateActions();
    // Shows the norm and deviation columns (80 pixels each) while the prefetch option is on, hides them
    // while it is off. The main window applies it at start, after the option and the layout are read.
    void applyPrefetchColumns();

    const TStatMethod *selectedMethod() const;
    // Selects the method with that code without computing (the caller computes); false when the list
    // does not hold it.
    bool selectMethod(const QString &code);
    int sampleLength() const;
    void setSampleLength(int length);
    // The height of the chart under the table.
    int chartHeight() const;
    void setChartHeight(int height);

    // Rows as the table shows them (after sorting).
    int rowCount() const { return static_cast<int>(m_order.size()); }
    const TDrawsStatRow *rowAt(int viewRow) const;
    TStatValues StatRowForExport(int viewRow) const;
    // The records of the selected rows, in table order.
    std::vector<TStatValueRec> selectedValues() const;
    const TDrawsStatResult &lastResult() const { return m_result; }

    // How many computations ran (tests count them).
    int computations() const { return m_computations; }

signals:
    // The prefetch option was toggled: the missing distribution files are to be created when it is on.
    void prefetchsToggled(bool on);

private:
    void buildActions();
    void buildChart();
    void clearResult();
    // One computation of the table and the chart for the method, sample and offset on screen.
    void computeTable(bool force);
    void showRows();
    void showChart();
    // Labels every k-th value along the chart's axis, as many as fit its width whole, and puts as many
    // ticks up its side as fit its height.
    void labelAxes();
    void sortRows(int column, TSortDirection direction);
    void restoreSelection();
    void togglePrefetchs();
    void toggleTotalLine();
    TDrawsStatKey currentKey() const;
    int drawsOffset() const;
    // Runs a user command and reports what it raises.
    void guarded(const std::function<void()> &command);

    TDrawsArchive &m_archive;
    TStatList &m_list;
    const TDrawsArray *m_lentDraws = nullptr; // the archive this page handed to the registry
    MainOptions &m_options;

    QComboBox *m_combo;
    QComboBox *m_graphCombo = nullptr;
    QSpinBox *m_length;
    QSplitter *m_splitter;
    TSplitterPane *m_chartPane = nullptr;
    bool m_calculating = false;
    bool m_recalcPending = false; // a request came while a computation ran
    bool m_recalcForced = false;  // ... and it was a forced one
    // The column and direction the rows of a new table were sorted by before it was shown.
    std::optional<std::pair<int, TSortDirection>> m_sortedBy;
    TQSortListView *m_table;
    QChartView *m_chartView;
    QChart *m_chart;
    QAction *m_actCalc = nullptr;
    QAction *m_actPrefetchs = nullptr;
    QAction *m_actTotalLine = nullptr;
    QAction *m_actExport = nullptr;

    std::function<int()> m_offsetSource;
    PrefetchSource m_prefetchSource;
    TDrawsStatCache m_cache;
    TDrawsStatResult m_result;
    std::vector<int> m_order; // table row -> row of m_result
    std::vector<int> m_reselect;
    bool m_reselectPending = false;
    bool m_forcePending = false;
    int m_computations = 0;
    int m_axisLabelStep = 0; // every k-th value is labelled on the chart's axis (0: not labelled yet)
    int m_axisLabelFirst = 0; // from this one
    int m_axisTicks = 0;     // ticks up the chart's side (0: not set for this chart yet)
    double m_chartTop = 1;   // the largest count on the chart
    double m_axisLabelWidth = 0; // room one value label takes along the chart's axis
    double m_widestLabel = 0;    // the widest value label written across
    int m_labelsAngle = -1;      // the value labels stand upright (-90) or lie (0); -1: not chosen yet
};
