#pragma once

#include "app/stakes/StakesChartData.h"

#include <QObject>

#include <functional>
#include <vector>

class QAction;
class QWidget;
class TFormGraph;
class TRatings;
class TStakesFile;

// The charts of the checked stakes and of the ratings, each drawn into the chart window captioned with
// its command: the profit by draw, the matches and the profit of the chosen ratings' stakes over the
// newest checked draws, and the distribution of matches of the chosen ratings against the expected one.
class TStakesCharts : public QObject {
    Q_OBJECT
public:
    // selectedRatings gives the ratings chosen in the ratings list.
    TStakesCharts(TStakesFile &stakes, std::function<std::vector<const TRatingRec *>()> selectedRatings,
                  QWidget *window);

    QAction *drawsAction() const { return m_actDraws; }
    QAction *overlapAction() const { return m_actOverlap; }
    QAction *profitsAction() const { return m_actProfits; }
    QAction *ratingsOverlapAction() const { return m_actRatingsOverlap; }

    void updateActions();

    // The commands; a chart that cannot be drawn raises Exception and opens no window.
    void stakesGraphDraws();
    void stakesGraphOverlap();
    void stakesGraphProfits();
    void ratingsGraphOverlap();

private:
    QAction *makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                        void (TStakesCharts::*command)());
    void guarded(const std::function<void()> &command);
    void ratingsGraph(QAction *action, bool profit);
    QStringList selectedNames() const;

    TStakesFile &m_stakes;
    std::function<std::vector<const TRatingRec *>()> m_selectedRatings;
    QWidget *m_window;
    QAction *m_actDraws;
    QAction *m_actOverlap;
    QAction *m_actProfits;
    QAction *m_actRatingsOverlap;
};

// The series of the charts, as the window shows them.
void FillProfitChart(TFormGraph &window, const std::vector<TProfitChartPoint> &points);
void FillRatingsChart(TFormGraph &window, const std::vector<TRatingChartPoint> &points, bool profit);
void FillMatchesChart(TFormGraph &window, const std::vector<const TRatingRec *> &ratings);
