#include "ui/statistics/RepeatsWindow.h"

#include "common/widgets/WidgetHooks.h"
#include "common/Translate.h"
#include "common/widgets/SplitterPane.h"
#include "ui/charts/ChartAxes.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/FormStore.h"
#include "common/widgets/FormLayouts.h"
#include "common/widgets/ListView.h"
#include "common/widgets/ProgressWindow.h"

#include <QChart>
#include <QChartView>
#include <QEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxLength = 100000;
constexpr int kDefaultGraphHeight = 200;
constexpr int kMaxYTicks = 9;
constexpr double kAxisLabelPadding = 5;

std::function<void(TRepeatsWindow &)> &Runner()
{
    static std::function<void(TRepeatsWindow &)> runner;
    return runner;
}

// The colour of the series of m + 1 common numbers, for its line, its points and its legend mark
// alike; the colours lie far apart and dark enough on white that no line passes for another.
QColor SeriesColour(size_t m)
{
    static const QColor colours[] = {QColor(0x1E, 0x64, 0xC8), QColor(0xD0, 0x20, 0x20), QColor(0x20, 0x90, 0x30),
                                     QColor(0xE0, 0x80, 0x00), QColor(0x80, 0x30, 0xA0), QColor(0x40, 0x40, 0x40)};
    return colours[m % std::size(colours)];
}

QSpinBox *MakeEdit(const QString &name, const QString &hint, QWidget *parent)
{
    auto *edit = new QSpinBox(parent);
    edit->setObjectName(name);
    edit->setRange(1, kMaxLength);
    edit->setValue(100);
    edit->setToolTip(hint);
    return edit;
}

} // namespace

TRepeatsWindow::TRepeatsWindow(const TDrawsArray &draws, QWidget *parent) : QDialog(parent), m_draws(draws)
{
    setObjectName(u"TFormRepeats"_s);
    setWindowTitle(caption());
    resize(760, 520);
    KeepInsideScreenWhenShown(this);

    m_edDrawsLen = MakeEdit(u"edDrawsLen"_s, Tr(u"Количество тиражей, использующихся для расчета статистики"), this);
    m_edDeep =
        MakeEdit(u"edDeep"_s, Tr(u"Количество тиражей, просматриваемых \"в глубину\" для поиска совпадений"), this);
    m_edDrawsLen->setValue(kRepeatsDefaultLength);
    m_edDeep->setValue(kRepeatsDefaultDepth);
    m_edDrawsLen->installEventFilter(this);
    m_edDeep->installEventFilter(this);
    m_btnCalc = new QPushButton(Tr(u"Рассчитать"), this);
    m_btnCalc->setObjectName(u"btnCalc"_s);
    m_btnCalc->setAutoDefault(false);
    connect(m_btnCalc, &QPushButton::clicked, this, &TRepeatsWindow::RefreshAnalyze);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(Tr(u"Тиражей:"), this));
    top->addWidget(m_edDrawsLen);
    top->addWidget(new QLabel(Tr(u"Глубина:"), this));
    top->addWidget(m_edDeep);
    top->addWidget(m_btnCalc);
    top->addStretch(1);

    m_lvList = new TQSortListView(this);
    m_lvList->setObjectName(u"lvList"_s);
    m_lvList->addColumn(Tr(u"Тираж"), 60, Qt::AlignRight);
    m_lvList->addColumn(Tr(u"Совпадений"), 80, Qt::AlignRight);
    m_lvList->addColumn(Tr(u"Кол-во повторов"), 100, Qt::AlignRight);
    m_lvList->addColumn(Tr(u"Список тиражей"), 400);

    m_chart = new QChart;
    m_chart->legend()->setVisible(true);
    connect(m_chart, &QChart::plotAreaChanged, this, &TRepeatsWindow::fitYTicks);
    m_chartView = new QChartView(m_chart, this);
    m_chartView->setObjectName(u"chrtRepeats"_s);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(u"splRepeats"_s);
    m_splitter->addWidget(m_lvList);
    m_splitter->addWidget(m_chartView);
    m_splitter->setChildrenCollapsible(false);
    // The chart keeps its height ("GraphHeight"); the list takes the rest of the window.
    m_chartPane = new TSplitterPane(m_splitter, 1, kDefaultGraphHeight);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_splitter, 1);
}

QString TRepeatsWindow::caption()
{
    return Tr(u"Количество повторов в зависимости от тиража");
}

QString TRepeatsWindow::section()
{
    return FormSection(u"TFormRepeats"_s);
}

bool TRepeatsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_edDrawsLen || watched == m_edDeep)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            auto *edit = static_cast<QSpinBox *>(watched);
            if (edit->hasAcceptableInput()) {
                edit->interpretText();
                RefreshAnalyze();
            }
            // Enter never closes the window.
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TRepeatsWindow::RefreshAnalyze()
{
    if (!IsNotBusy())
        return;
    try {
        BusySection busy;
        m_lvList->listModel()->clearItems();
        m_result = {};
        const int analysed = std::min(static_cast<int>(m_draws.size()), std::max(m_edDrawsLen->value(), 1));
        {
            ProgressGuard progress(Tr(u"Идет сбор статистики...."), analysed);
            m_result = AnalyzeRepeats(m_draws, m_edDrawsLen->value(), m_edDeep->value(), [] {
                StepProgress();
                RepaintProgress();
            });
        }
        for (const TRepeatsRow &row : m_result.rows) {
            TListItem item;
            item.texts = {QString::number(row.draw), QString::number(row.matches), QString::number(row.repeats),
                          row.draws};
            m_lvList->listModel()->addItem(item);
        }
        fillChart();
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    } catch (const std::bad_alloc &) {
        ShowErrorBox(Tr(u"Недостаточно памяти для выполнения операции!"));
    }
}

void TRepeatsWindow::fillChart()
{
    ProgressGuard progress(Tr(u"Создание графиков..."), static_cast<int>(m_result.rows.size()));
    m_chart->removeAllSeries();
    DeleteChartAxes(m_chart);

    const std::vector<std::vector<QPointF>> points = RepeatsSeries(m_result);
    std::vector<QLineSeries *> series;
    for (size_t m = 0; m < points.size(); ++m) {
        auto *line = new QLineSeries;
        line->setName(Format(u"Совпадений: %d", {static_cast<int>(m + 1)}));
        const QColor colour = SeriesColour(m);
        line->setColor(colour);
        line->setPointsVisible(true);
        line->setMarkerSize(2);
        line->setPointLabelsVisible(false);
        QImage marker(4, 4, QImage::Format_ARGB32);
        marker.fill(colour);
        line->setLightMarker(marker);
        line->setVisible(false);
        line->replace(QList<QPointF>(points[m].begin(), points[m].end()));
        series.push_back(line);
        StepProgress(static_cast<int>(points[m].size()));
    }
    if (series.empty())
        return;
    qreal minX = 0, maxX = 0, maxY = 1;
    bool first = true;
    for (const auto &line : points)
        for (const QPointF &p : line) {
            minX = first ? p.x() : std::min(minX, p.x());
            maxX = first ? p.x() : std::max(maxX, p.x());
            maxY = std::max(maxY, p.y());
            first = false;
        }
    // Draw numbers across, counts of repeats up: both whole.
    m_maxY = maxY;
    m_yTicks = kMaxYTicks;
    auto *axisX = NewValueAxis(minX, maxX, true, 11);
    auto *axisY = NewValueAxis(0, maxY, true, m_yTicks, true);
    m_chart->addAxis(axisX, Qt::AlignBottom);
    m_chart->addAxis(axisY, Qt::AlignLeft);
    for (QLineSeries *line : series) {
        m_chart->addSeries(line);
        line->attachAxis(axisX);
        line->attachAxis(axisY);
        line->setVisible(true);
    }
    fitYTicks();
}

void TRepeatsWindow::fitYTicks()
{
    // Up the side, as many ticks as leave each label its height (the chart is low by default).
    FitVerticalTicks(m_chart, m_maxY, kAxisLabelPadding, kMaxYTicks, m_yTicks);
}

void TRepeatsWindow::loadSettings()
{
    const FormStore store;
    RestoreFormPlacement(store, section(), this, true, true);
    RestoreListViewSettings(store, section(), m_lvList, false);
    m_edDrawsLen->setValue(std::max(store.readInteger(section(), u"DrawsLength"_s, kRepeatsDefaultLength), 1));
    m_edDeep->setValue(std::max(store.readInteger(section(), u"DrawsDeep"_s, kRepeatsDefaultDepth), 1));
    const int height = store.readInteger(section(), u"GraphHeight"_s, kDefaultGraphHeight);
    if (height > 0)
        m_chartPane->setSize(height);
}

void TRepeatsWindow::saveSettings() const
{
    try {
        FormStore store;
        SaveFormPlacement(store, section(), this);
        SaveListViewSettings(store, section(), m_lvList, false);
        store.writeInteger(section(), u"DrawsLength"_s, m_edDrawsLen->value());
        store.writeInteger(section(), u"DrawsDeep"_s, m_edDeep->value());
        store.writeInteger(section(), u"GraphHeight"_s, m_chartPane->size());
        store.save();
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
}

void ShowRepeatsWindow(const TDrawsArray &draws, QWidget *parent)
{
    TRepeatsWindow window(draws, parent);
    window.loadSettings();
    window.RefreshAnalyze();
    if (Runner())
        Runner()(window);
    else
        window.exec();
    window.saveSettings();
}

void SetRepeatsWindowRunner(std::function<void(TRepeatsWindow &)> runner)
{
    Runner() = std::move(runner);
}
