#include "ui/statistics/GraphsPage.h"

#include "common/Translate.h"
#include "common/widgets/ElidedComboBox.h"
#include "common/widgets/ToolBarCheck.h"
#include "common/widgets/WidgetHooks.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/FormStore.h"
#include "lottery/stats/StatList.h"
#include "ui/charts/ChartAxes.h"
#include "ui/charts/ChartLegend.h"
#include "ui/charts/ChartMarks.h"
#include "ui/charts/ChartWindow.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/statistics/StatisticsPage.h"
#include "ui/window/TemplateMain.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QMenu>
#include <QScatterSeries>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDesignedGraphLen = 100;
constexpr int kMaxGraphLen = 1000000;

QString TabGraphsKey()
{
    return u"TabGraphs"_s;
}

} // namespace

TGraphsPage::TGraphsPage(TDrawsArchive &archive, TStatList &list, MainOptions &options, QWidget *parent)
    : QWidget(parent), m_archive(archive), m_list(list), m_options(options), m_length(new QSpinBox(this)),
      m_combo(new TElidedComboBox(12, this)), m_showMarks(new TToolBarCheck(Tr(u"Отображать метки на графике"), u"cbDrawsGraphShowMarks"_s, this)),
      m_chart(new QChart), m_actDraw(new QAction(Tr(u"Обновить"), this))
{
    setObjectName(u"tsGraphs"_s);
    m_length->setObjectName(u"edDrawsGraphLen"_s);
    m_length->setRange(1, kMaxGraphLen);
    m_length->setValue(kDesignedGraphLen);
    m_length->setToolTip(Tr(u"Количество тиражей, использующихся для построения графиков"));
    m_combo->setObjectName(u"cbDrawsGraphType"_s);
    m_combo->setToolTip(Tr(u"Тип графика"));
    m_showMarks->setObjectName(u"DrawsGraphShowMarks"_s);
    m_actDraw->setObjectName(u"DrawsGraphDraw"_s);

    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_marks = new TChartMarks(m_chart);
    // The draw numbers under the chart read whole at any width.
    connect(m_chart, &QChart::plotAreaChanged, this, &TGraphsPage::fitXTicks);
    m_chartView = new QChartView(m_chart, this);
    m_chartView->setObjectName(u"crtDrawsGraph"_s);
    m_chartView->setRenderHint(QPainter::Antialiasing);

    // What does not fit a narrow window goes into the toolbar's overflow menu.
    auto *commands = new QToolBar(this);
    commands->setObjectName(u"tbDrawsGraph"_s);
    commands->setToolButtonStyle(Qt::ToolButtonTextOnly);
    commands->addAction(m_actDraw);
    commands->addAction(m_showMarks);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(Tr(u"Тираж:"), this));
    top->addWidget(m_length);
    top->addWidget(new QLabel(Tr(u"Тип графика:"), this));
    top->addWidget(m_combo, 1);
    top->addWidget(commands);
    // The series' titles (the method's title is long) are listed whole under the chart.
    m_legend = new TChartLegend(m_chart, this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_chartView, 1);
    layout->addWidget(m_legend);
    m_legend->hide();

    connect(m_actDraw, &QAction::triggered, this, [this] {
        updateActions();
        if (m_actDraw->isEnabled())
            guarded([this] { DrawGraphs(true); });
    });
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this] {
        if (noteChangeWhileDrawing())
            return;
        updateActions();
        if (m_actDraw->isEnabled())
            guarded([this] { DrawGraphs(false); });
    });
    // The spin box keeps its value within its bounds, so Enter always gives a valid length.
    connect(m_length, &QSpinBox::editingFinished, this, [this] {
        if (!noteChangeWhileDrawing())
            guarded([this] { DrawGraphs(false); });
    });
    connect(m_showMarks, &QAction::toggled, this, [this](bool on) {
        const QList<QAbstractSeries *> series = m_chart->series();
        if (!series.isEmpty())
            if (auto *first = qobject_cast<QXYSeries *>(series.first()))
                m_marks->setShown(first, on);
    });
    updateActions();
}

QCheckBox *TGraphsPage::showMarksCheck() const
{
    return m_showMarks->checkBox();
}

QString TGraphsPage::caption()
{
    return Tr(u"Графики");
}

int TGraphsPage::graphLength() const
{
    return m_length->value();
}

void TGraphsPage::setGraphLength(int length)
{
    m_length->setValue(std::clamp(length, m_length->minimum(), m_length->maximum()));
}

const TStatMethod *TGraphsPage::selectedMethod() const
{
    return MethodOfCombo(*m_combo, m_list);
}

bool TGraphsPage::canDraw() const
{
    return IsNotBusy() && m_archive.count() > 0 && m_combo->currentIndex() >= 0;
}

void TGraphsPage::updateActions()
{
    m_actDraw->setEnabled(canDraw());
    m_showMarks->setEnabled(IsNotBusy());
}

void TGraphsPage::clearChart()
{
    m_chart->removeAllSeries();
    DeleteChartAxes(m_chart);
    m_legend->refresh();
}

bool TGraphsPage::noteChangeWhileDrawing()
{
    if (!m_drawing)
        return false;
    m_redrawPending = true;
    return true;
}

TDrawsGraphKey TGraphsPage::currentKey() const
{
    const TStatMethod *method = selectedMethod();
    TDrawsGraphKey key;
    key.drawCount = m_archive.count();
    key.revision = m_archive.revision();
    key.offset = m_offsetSource ? m_offsetSource() : 0;
    key.length = graphLength();
    key.method = method ? method->MethodCode() : QString();
    key.sortedDraws = m_options.sortedDraws;
    return key;
}

void TGraphsPage::DrawGraphs(bool force)
{
    if (!m_tabShown)
        return;
    if (noteChangeWhileDrawing())
        return;
    const QScopedValueRollback drawing(m_drawing, true);
    m_redrawPending = false;
    while (!drawOnce(force) || m_redrawPending) {
        m_redrawPending = false;
        force = false;
    }
}

bool TGraphsPage::drawOnce(bool force)
{
    const TStatMethod *method = selectedMethod();
    const TDrawsGraphKey key = currentKey();
    if (!m_cache.update(key) && !force)
        return true;

    clearChart();
    m_result = TDrawsGraphResult();
    if (!method || m_archive.count() == 0)
        return true;

    ++m_computations;
    {
        const BusySection busy;
        SetStatusText(Tr(u"Анализ тиражей и построение графиков..."));
        TDrawsGraphParams params;
        params.list = &m_list;
        params.method = method;
        params.length = key.length;
        params.offset = key.offset;
        params.sortedDraws = key.sortedDraws;
        try {
            m_result = CalcDrawsGraph(params);
        } catch (...) {
            // A drawing that failed is tried again on the next refresh.
            m_cache.clear();
            SetStatusText(QString());
            throw;
        }
        if (m_redrawPending || !(currentKey() == key)) {
            // Computed for a choice the user has left meanwhile.
            m_result = TDrawsGraphResult();
            m_cache.clear();
            SetStatusText(QString());
            return false;
        }
        showResult(m_combo->currentText());
        SetStatusText(QString());
    }
    updateActions();
    return true;
}

void TGraphsPage::showResult(const QString &title)
{
    if (m_result.values.isEmpty())
        return;
    auto *values = new QLineSeries(m_chart);
    values->setName(title);
    values->setPen(QPen(QColor(0, 128, 0), 2));
    values->setPointLabelsFormat(u"@xPoint"_s);
    values->setPointLabelsClipping(true);
    values->append(m_result.values);

    // The points: small green markers with a fuchsia outline over the line.
    auto *points = new QScatterSeries(m_chart);
    points->setMarkerSize(5);
    points->setColor(QColor(0, 128, 0));
    points->setBorderColor(QColor(255, 0, 255));
    points->append(m_result.values);

    auto *mean = new QLineSeries(m_chart);
    mean->setName(Tr(u"Среднее значение"));
    mean->setPen(QPen(QColor(0, 0, 255), 2));
    mean->append(m_result.mean);

    auto *frequent = new QLineSeries(m_chart);
    frequent->setName(Tr(u"Наиболее часто встречающееся значение"));
    frequent->setPen(QPen(QColor(255, 0, 0), 2));
    frequent->append(m_result.mostFrequent);

    for (QAbstractSeries *s : std::initializer_list<QAbstractSeries *>{values, mean, frequent, points})
        m_chart->addSeries(s);
    m_legend->refresh();

    double minY = m_result.values.first().y(), maxY = minY;
    for (const QPointF &p : std::as_const(m_result.values)) {
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    // The mean lies between the values; the axis is whole when the values are.
    const bool wholeY = AllWholeNumbers(m_result.values, [](const QPointF &p) { return p.y(); });
    auto *axisX = NewValueAxis(m_result.values.first().x(), m_result.values.last().x(), true, 11);
    auto *axisY = NewValueAxis(minY, maxY, wholeY, 9, true);
    m_chart->addAxis(axisX, Qt::AlignBottom);
    m_chart->addAxis(axisY, Qt::AlignLeft);
    for (QAbstractSeries *s : m_chart->series()) {
        s->attachAxis(axisX);
        s->attachAxis(axisY);
    }
    fitXTicks();
    m_marks->setShown(values, m_showMarks->isChecked());
}

int TGraphsPage::xTickCount(const QFont &font) const
{
    // As many draw numbers as the plot holds whole, with room between them, and no more than 11.
    const double plot = m_chart->plotArea().isEmpty() ? m_chartView->width() * 0.8 : m_chart->plotArea().width();
    const QString widest = m_result.values.isEmpty() ? QString() : QString::number(m_result.values.last().x(), 'f', 0);
    const int label = QFontMetrics(font).horizontalAdvance(widest + u"00"_s);
    return std::clamp(int(plot / std::max(label, 1)), 2, 11);
}

void TGraphsPage::fitXTicks()
{
    const auto axes = m_chart->axes(Qt::Horizontal);
    auto *axis = axes.isEmpty() ? nullptr : qobject_cast<QValueAxis *>(axes.first());
    if (!axis || m_result.values.isEmpty())
        return;
    const TAxisScale scale = NiceAxisScale(m_result.values.first().x(), m_result.values.last().x(), true, xTickCount(axis->labelsFont()));
    if (axis->tickCount() != scale.tickCount || axis->min() != scale.min || axis->max() != scale.max)
        ApplyAxisScale(axis, scale);
}

void TGraphsPage::refresh(bool full)
{
    if (!isVisible()) {
        m_forcePending = m_forcePending || full;
        return;
    }
    const bool force = full || m_forcePending;
    m_forcePending = false;
    guarded([this, force] { DrawGraphs(force); });
}

void TGraphsPage::guarded(const std::function<void()> &command)
{
    RunCommand(command);
}

void SetGraphsTabShown(TTemplateMain &window, TGraphsFeature &feature, bool shown)
{
    QTabWidget *pages = window.mainPages();
    const int index = pages->indexOf(feature.page);
    feature.page->setTabShown(shown);
    pages->setTabVisible(index, shown);
    feature.tabAction->setChecked(shown);
    try {
        WriteFormBool(MainFormSection(), TabGraphsKey(), shown);
    } catch (const std::exception &e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    }
    if (shown) {
        pages->setCurrentIndex(index);
        feature.page->refresh(true);
    }
}

TGraphsFeature *InstallGraphs(TTemplateMain &window)
{
    auto *feature = new TGraphsFeature(&window);
    auto *page = new TGraphsPage(window.archive(), StatList(), window.options(), window.mainPages());
    feature->page = page;
    page->setDrawsOffsetSource([&window] { return window.drawsPanel() ? window.drawsPanel()->drawsOffset() : 0; });
    window.mainPages()->addTab(page, TGraphsPage::caption());
    if (TStatisticsPage *stats = window.statisticsPage())
        stats->setGraphCombo(page->methodCombo());

    feature->tabAction = new QAction(Tr(u"Вкладка \"Графики\""), &window);
    feature->tabAction->setObjectName(u"TabGraps"_s);
    feature->tabAction->setCheckable(true);
    bool shown = true;
    try {
        shown = ReadFormBool(MainFormSection(), TabGraphsKey(), true);
    } catch (const std::exception &) {
        // An unreadable store shows the tab, as a new installation does.
    }
    page->setTabShown(shown);
    window.mainPages()->setTabVisible(window.mainPages()->indexOf(page), shown);
    feature->tabAction->setChecked(shown);
    QObject::connect(feature->tabAction, &QAction::triggered, &window, [&window, feature](bool checked) {
        SetGraphsTabShown(window, *feature, checked);
    });

    feature->totalSumsAction = CreateTotalSumCombsAction(window);

    // The page's own "Обновить" stays on its page: the statistics menu already has the statistics one.
    if (QMenu *menu = window.findMenu(u"menuStat"_s)) {
        menu->addSeparator();
        menu->addAction(feature->tabAction);
        menu->addAction(feature->totalSumsAction);
    }
    window.addView([page](bool full) { page->refresh(full); });
    window.addActionUpdater([page, feature] {
        page->updateActions();
        feature->tabAction->setEnabled(IsNotBusy());
    });
    return feature;
}

TGraphsPage::~TGraphsPage()
{
    DisconnectChildrenFrom(this);
}
