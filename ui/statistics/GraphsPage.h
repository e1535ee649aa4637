#pragma once

#include "app/views/DrawsGraphCalc.h"

#include <QWidget>
#include <functional>

class QAction;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QSpinBox;
class TChartLegend;
class TChartMarks;
class TToolBarCheck;
class TDrawsArchive;
class TStatList;
class TTemplateMain;
struct MainOptions;
struct TStatMethod;

// The "Графики" tab: the value of one graph method for each of the newest draws as a line, with the
// sample's mean and most frequent value as two flat lines.
class TGraphsPage : public QWidget {
    Q_OBJECT
public:
    TGraphsPage(TDrawsArchive &archive, TStatList &list, MainOptions &options, QWidget *parent = nullptr);
    ~TGraphsPage() override;

    static QString caption();

    QSpinBox *lengthEdit() const { return m_length; }
    QComboBox *methodCombo() const { return m_combo; }
    // "Отображать метки на графике" on the page's toolbar (an item of its overflow menu when narrow).
    QCheckBox *showMarksCheck() const;
    QChartView *chartView() const { return m_chartView; }
    TChartLegend *legend() const { return m_legend; }
    TChartMarks *marks() const { return m_marks; }
    QChart *chart() const { return m_chart; }
    QAction *drawAction() const { return m_actDraw; }

    // The draws offset of the main window; 0 without a source.
    void setDrawsOffsetSource(std::function<int()> source) { m_offsetSource = std::move(source); }
    // Whether the tab is shown at all (the "Вкладка "Графики"" option); a hidden tab never draws.
    void setTabShown(bool shown) { m_tabShown = shown; }
    bool tabShown() const { return m_tabShown; }

    // Draws the chart unless nothing it depends on changed (or force is set). Raises what the
    // statistic raises.
    void DrawGraphs(bool force);
    // The main window's refresh of the views: draws only while the page is on screen; a full refresh
    // asked for meanwhile is kept for the next time it is shown. Failures are reported.
    void refresh(bool full);
    void updateActions();

    const TStatMethod *selectedMethod() const;
    int graphLength() const;
    void setGraphLength(int length);

    const TDrawsGraphResult &lastResult() const { return m_result; }
    // How many drawings ran (tests count them).
    int computations() const { return m_computations; }

private:
    void clearChart();
    // What the chart drawn now would depend on.
    TDrawsGraphKey currentKey() const;
    // One drawing; false when the method, length or offset changed while it was computed, so that
    // its result belongs to none of them any more and is not shown.
    bool drawOnce(bool force);
    // A change of method or length while a drawing runs (the drawing lets the window work): the
    // drawing in progress draws again for the newest choice once it ends.
    bool noteChangeWhileDrawing();
    void showResult(const QString &title);
    void guarded(const std::function<void()> &command);
    bool canDraw() const;

    TDrawsArchive &m_archive;
    TStatList &m_list;
    MainOptions &m_options;

    QSpinBox *m_length;
    QComboBox *m_combo;
    TToolBarCheck *m_showMarks;
    QChartView *m_chartView;
    TChartLegend *m_legend = nullptr;
    TChartMarks *m_marks = nullptr;
    QChart *m_chart;
    QAction *m_actDraw;

    std::function<int()> m_offsetSource;
    TDrawsGraphCache m_cache;
    TDrawsGraphResult m_result;
    int xTickCount(const QFont &font) const;
    void fitXTicks();
    bool m_tabShown = true;
    bool m_forcePending = false;
    bool m_drawing = false;
    bool m_redrawPending = false;
    int m_computations = 0;
};

// The graphs feature of the main window: the tab, its commands and the sums distribution chart.
class TGraphsFeature : public QObject {
public:
    using QObject::QObject;
    TGraphsPage *page = nullptr;
    QAction *tabAction = nullptr;       // "Вкладка "Графики"" (TabGraps)
    QAction *totalSumsAction = nullptr; // TotalSumCombs
};

// Creates the tab (shown as the key TabGraphs says), joins its method list to the statistics page's,
// puts the commands into the statistics menu and registers the view and the enabling of the commands.
// The feature lives as long as the window.
TGraphsFeature *InstallGraphs(TTemplateMain &window);

// The "TabGraps" command: shows or hides the tab, writes TabGraphs and, when shown, draws at once and
// makes it the current page.
void SetGraphsTabShown(TTemplateMain &window, TGraphsFeature &feature, bool shown);
