#include "ui/charts/ChartWindow.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/FormStore.h"
#include "common/Translate.h"
#include "common/widgets/FormLayouts.h"
#include "common/widgets/WidgetHooks.h"
#include "ui/charts/ChartAxes.h"
#include "ui/charts/ChartLegend.h"
#include "ui/charts/ChartMarks.h"
#include "ui/window/TemplateMain.h"
#include "app/views/SumsDistribution.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QLegend>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <cmath>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

FormGraphShower &shower()
{
    static FormGraphShower s;
    return s;
}

QString FormGraphSection()
{
    return FormSection(u"TFormGraph"_s);
}

bool IsWhole(double v)
{
    return v == static_cast<double>(static_cast<long long>(v));
}

} // namespace

TFormGraph::TFormGraph(QWidget *parent)
    : QDialog(parent), m_chart(new QChart), m_view(new QChartView(m_chart, this)),
      m_labels(new QCheckBox(Tr(u"Отображать метки на графиках"), this)), m_legend(new TChartLegend(m_chart, this)),
      m_marks(new TChartMarks(m_chart)), m_axisX(new QCategoryAxis(m_chart)), m_axisY(new QValueAxis(m_chart))
{
    setObjectName(u"FormGraph"_s);
    setWindowTitle(Tr(u"График"));
    setWindowFlag(Qt::Tool);
    setSizeGripEnabled(true);
    resize(760, 500);
    KeepInsideScreenWhenShown(this);

    m_view->setObjectName(u"crtGraph"_s);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_axisX->setLabelFormat(u"%d"_s);
    m_axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_axisY->setLabelFormat(u"%d"_s);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);

    m_labels->setObjectName(u"cbShowMarks"_s);
    m_labels->setChecked(true);
    connect(m_labels, &QCheckBox::toggled, this, &TFormGraph::applyLabels);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_legend);
    layout->addWidget(m_labels);
    m_legend->hide();

    try {
        RestoreFormPlacement(FormGraphSection(), this, false, true);
    } catch (const std::exception &) {
        // An unreadable settings store leaves the designed placement.
    }
}

void TFormGraph::AddGraphPoint(double x, const QString &title, double y, bool markers, bool labels,
                               const QColor &colour)
{
    QLineSeries *s = m_series.value(title);
    if (!s) {
        s = new QLineSeries(m_chart);
        s->setName(title);
        m_chart->addSeries(s);
        s->attachAxis(m_axisX);
        s->attachAxis(m_axisY);
        QPen pen = s->pen();
        pen.setWidth(2);
        if (colour.isValid())
            pen.setColor(colour);
        s->setPen(pen);
        s->setPointsVisible(markers);
        s->setMarkerSize(3);
        s->setPointLabelsFormat(u"@yPoint"_s);
        // Inside the plot only: never over the axis labels.
        s->setPointLabelsClipping(true);
        if (labels) {
            m_labelControlled.append(s);
            m_marks->setShown(s, m_labels->isChecked());
        }
        m_series.insert(title, s);
        m_order.append(s);
        m_legend->refresh();
    }
    s->append(x, y);
    extendRanges(x, y);
}

QValueAxis *TFormGraph::axisX() const
{
    return m_axisX;
}

QList<double> TFormGraph::xLabelValues() const
{
    QList<double> values;
    for (const QString &label : m_axisX->categoriesLabels())
        values.append(m_axisX->endValue(label));
    return values;
}

void TFormGraph::setYLabelFormat(const QString &format, bool whole)
{
    m_yFormat = format;
    m_yFormatWhole = whole;
    m_axisY->setLabelFormat(format);
    applyScales();
}

bool TFormGraph::isLabelControlled(const QLineSeries *series) const
{
    return m_labelControlled.contains(const_cast<QLineSeries *>(series));
}

void TFormGraph::applyLabels()
{
    for (QLineSeries *s : std::as_const(m_labelControlled))
        m_marks->setShown(s, m_labels->isChecked());
}

bool TFormGraph::isLabelShown(const QLineSeries *series, int index) const
{
    return m_marks->isDrawn(series, index);
}

void TFormGraph::setWholeNumbers(bool x, bool y)
{
    m_forceWholeX = x;
    m_forceWholeY = y;
    applyScales();
}

void TFormGraph::extendRanges(double x, double y)
{
    if (!m_hasPoints) {
        m_minX = m_maxX = x;
        m_minY = m_maxY = y;
        m_hasPoints = true;
    } else {
        m_minX = std::min(m_minX, x);
        m_maxX = std::max(m_maxX, x);
        m_minY = std::min(m_minY, y);
        m_maxY = std::max(m_maxY, y);
    }
    m_wholeX = m_wholeX && IsWhole(x);
    m_xs.insert(x);
    m_wholeY = m_wholeY && IsWhole(y);
    applyScales();
}

void TFormGraph::applyScales()
{
    if (!m_hasPoints)
        return;
    TAxisScale x = NiceAxisScale(m_minX, m_maxX, m_wholeX || m_forceWholeX, 13);
    if (!m_labelControlled.isEmpty()) {
        // A step to spare at either end, so that the value labels of the first and last points fit in.
        x.min -= x.step;
        x.max += x.step;
        x.tickCount += 2;
    }
    ApplyAxisScale(m_axisX, x);
    // The labels under the chart name values there are: draws that exist, sums that occur.
    std::vector<double> ticks;
    if (m_wholeX)
        ticks = RealValueTicks(std::vector<double>(m_xs.begin(), m_xs.end()), x.step);
    else
        for (int i = 0; i < x.tickCount; ++i)
            ticks.push_back(x.tick(i));
    const QList<double> labelled = xLabelValues();
    if (ticks != std::vector<double>(labelled.begin(), labelled.end())) {
        for (const QString &label : m_axisX->categoriesLabels())
            m_axisX->remove(label);
        m_axisX->setStartValue(x.min);
        for (double t : ticks)
            m_axisX->append(QString::number(t, 'f', m_wholeX ? 0 : x.decimals), t);
    }
    // Room above the highest point for its value label.
    const bool wholeY = m_yFormat.isEmpty() ? m_wholeY || m_forceWholeY : m_yFormatWhole;
    ApplyAxisScale(m_axisY, NiceAxisScale(m_minY, m_maxY, wholeY, 9, true));
    if (!m_yFormat.isEmpty())
        m_axisY->setLabelFormat(m_yFormat);
}

void TFormGraph::done(int result)
{
    try {
        SaveFormPlacement(FormGraphSection(), this);
    } catch (const std::exception &e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    }
    QDialog::done(result);
}

void SetFormGraphShower(FormGraphShower s)
{
    shower() = std::move(s);
}

void ShowFormGraph(TFormGraph &window)
{
    if (shower())
        shower()(window);
    else
        window.exec();
}

void FillSumsDistributionChart(TFormGraph &window, const TSumsDistribution &d)
{
    // Sums across and numbers of draws up: both count whole things, whatever the scaled curves hold.
    window.setWholeNumbers(true, true);
    for (const TStatSimpleRec &r : d.actual)
        window.AddGraphPoint(r.Key, ActualSumsTitle(), r.Count, true, true, QColor(255, 0, 0));
    static const QColor rangeColours[] = {QColor(0, 128, 0), QColor(0, 0, 255), QColor(255, 0, 255)};
    for (const TStatSimpleRec &r : d.theoretical) {
        window.AddGraphPoint(r.Key, TheoreticalSumsTitle(), d.scaled(r.Count), false, false, QColor(128, 0, 0));
        for (int k = 0; k < 3; ++k)
            window.AddGraphPoint(r.Key, SumsRangeTitle(d, k), d.scaled(d.threshold[size_t(k)]), false, false,
                                 rangeColours[k]);
    }
}

QAction *CreateTotalSumCombsAction(TTemplateMain &window)
{
    auto *action = new QAction(Tr(u"Распределение сумм тиражей и всех возможных комбинаций"), &window);
    action->setObjectName(u"TotalSumCombs"_s);
    QObject::connect(action, &QAction::triggered, &window, [&window, action] {
        if (!IsNotBusy())
            return;
        TSumsDistribution distribution;
        {
            const BusySection busy;
            SetStatusText(Tr(u"Идет сбор статистики...."));
            distribution = CalcSumsDistribution(window.archive().draws());
            SetStatusText(QString());
        }
        TFormGraph chart(&window);
        chart.setWindowTitle(action->text());
        FillSumsDistributionChart(chart, distribution);
        ShowFormGraph(chart);
    });
    window.addActionUpdater([action] { action->setEnabled(IsNotBusy()); });
    return action;
}
