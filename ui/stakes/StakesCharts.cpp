#include "ui/stakes/StakesCharts.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Translate.h"
#include "ui/charts/ChartWindow.h"
#include "app/stakes/StakesFile.h"

#include <QAction>
#include <QColor>

using namespace Qt::StringLiterals;

namespace {

struct StatusScope {
    explicit StatusScope(const QString &text) { SetStatusText(text); }
    ~StatusScope() { SetStatusText({}); }
};

const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kGrey(80, 80, 80);

// Builds the chart under the busy cursor and the status text, then shows it.
void ShowChart(QWidget *window, const QString &caption, const std::function<void(TFormGraph &)> &fill)
{
    TFormGraph chart(window);
    chart.setWindowTitle(caption);
    {
        BusySection busy;
        StatusScope status(Tr(u"Создание графиков..."));
        fill(chart);
    }
    ShowFormGraph(chart);
}

} // namespace

void FillProfitChart(TFormGraph &window, const std::vector<TProfitChartPoint> &points)
{
    const QString profit = Tr(u"Суммарный профит ставок по тиражу");
    const QString average = Tr(u"Среднее значение");
    const QString cumulative = Tr(u"Накопленное значение");
    window.setYLabelFormat(u"%.2f"_s, false);
    for (const TProfitChartPoint &p : points) {
        window.AddGraphPoint(p.draw, profit, p.profit, true, true, kGreen);
        window.AddGraphPoint(p.draw, average, p.average, false, false, kBlue);
        window.AddGraphPoint(p.draw, cumulative, p.cumulative, true, true, kRed);
    }
}

void FillRatingsChart(TFormGraph &window, const std::vector<TRatingChartPoint> &points, bool profit)
{
    if (profit)
        window.setYLabelFormat(u"%.2f"_s, false);
    for (const TRatingChartPoint &p : points)
        window.AddGraphPoint(p.draw, p.series, p.value, true, true);
}

void FillMatchesChart(TFormGraph &window, const std::vector<const TRatingRec *> &ratings)
{
    const std::array<double, kMainCount + 1> normal = NormalMatchCounts(MostPlays(ratings));
    const QString normalTitle = Tr(u"Нормальные значения");
    // The expected counts are fractions.
    window.setYLabelFormat(u"%.1f"_s, false);
    for (int k = 0; k <= kMainCount; ++k)
        window.AddGraphPoint(k, normalTitle, normal[static_cast<size_t>(k)], true, false, kGrey);
    for (const TRatingRec *r : ratings)
        for (int k = 0; k <= kMainCount; ++k)
            window.AddGraphPoint(k, r->name, r->matchCounts[static_cast<size_t>(k)], true, false);
}

TStakesCharts::TStakesCharts(TStakesFile &stakes, std::function<std::vector<const TRatingRec *>()> selectedRatings,
                             QWidget *window)
    : QObject(window), m_stakes(stakes), m_selectedRatings(std::move(selectedRatings)), m_window(window)
{
    setObjectName(u"StakesCharts"_s);
    m_actDraws = makeAction(Tr(u"Суммарный профит по тиражам"), u"StakesGraphDraws"_s, QKeySequence(Qt::Key_F6),
                            &TStakesCharts::stakesGraphDraws);
    m_actOverlap = makeAction(Tr(u"График совпадений ставок"), u"StakesGraphOverlap"_s,
                              QKeySequence(Qt::CTRL | Qt::Key_F6), &TStakesCharts::stakesGraphOverlap);
    m_actProfits = makeAction(Tr(u"График профита ставок"), u"StakesGraphProfits"_s,
                              QKeySequence(Qt::ALT | Qt::Key_F6), &TStakesCharts::stakesGraphProfits);
    m_actRatingsOverlap = makeAction(Tr(u"Количество совпадений"), u"RatingsGraphOverlap"_s, {},
                                     &TStakesCharts::ratingsGraphOverlap);
    // The shortcuts work wherever the main window has the focus.
    if (window)
        window->addActions({m_actDraws, m_actOverlap, m_actProfits});
}

QAction *TStakesCharts::makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                                   void (TStakesCharts::*command)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setToolTip(caption);
    connect(action, &QAction::triggered, this, [this, command] { guarded([this, command] { (this->*command)(); }); });
    return action;
}

void TStakesCharts::guarded(const std::function<void()> &command)
{
    if (!IsNotBusy())
        return;
    RunCommand(command);
    updateActions();
}

void TStakesCharts::updateActions()
{
    const bool idle = IsNotBusy();
    const bool stakes = m_stakes.hasStakes();
    const bool ratings = m_selectedRatings && !m_selectedRatings().empty();
    m_actDraws->setEnabled(idle && stakes);
    m_actOverlap->setEnabled(idle && stakes && ratings);
    m_actProfits->setEnabled(idle && stakes && ratings);
    m_actRatingsOverlap->setEnabled(idle && ratings);
}

QStringList TStakesCharts::selectedNames() const
{
    QStringList names;
    if (m_selectedRatings)
        for (const TRatingRec *r : m_selectedRatings())
            names << r->name;
    return names;
}

void TStakesCharts::stakesGraphDraws()
{
    std::vector<TProfitChartPoint> points;
    {
        BusySection busy;
        StatusScope status(Tr(u"Создание графиков..."));
        points = ProfitChartPoints(m_stakes);
    }
    ShowChart(m_window, m_actDraws->text(), [&points](TFormGraph &chart) { FillProfitChart(chart, points); });
}

void TStakesCharts::ratingsGraph(QAction *action, bool profit)
{
    std::vector<TRatingChartPoint> points;
    {
        BusySection busy;
        StatusScope status(Tr(u"Создание графиков..."));
        points = RatingChartPoints(m_stakes, selectedNames(), profit);
    }
    ShowChart(m_window, action->text(),
              [&points, profit](TFormGraph &chart) { FillRatingsChart(chart, points, profit); });
}

void TStakesCharts::stakesGraphOverlap()
{
    ratingsGraph(m_actOverlap, false);
}

void TStakesCharts::stakesGraphProfits()
{
    ratingsGraph(m_actProfits, true);
}

void TStakesCharts::ratingsGraphOverlap()
{
    const std::vector<const TRatingRec *> ratings = m_selectedRatings ? m_selectedRatings() : std::vector<const TRatingRec *>{};
    if (ratings.empty())
        return;
    ShowChart(m_window, m_actRatingsOverlap->text(), [&ratings](TFormGraph &chart) { FillMatchesChart(chart, ratings); });
}
