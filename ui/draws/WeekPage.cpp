#include "ui/draws/WeekPage.h"

#include "ui/charts/ChartAxes.h"

#include "common/Translate.h"
#include "common/widgets/WidgetHooks.h"

#include "common/BusyCursor.h"
#include "common/Exception.h"
#include "common/widgets/SplitterPane.h"
#include "common/widgets/StringGrid.h"
#include "app/combinations/CombsList.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QHeaderView>
#include <QScrollBar>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
constexpr int kDesignedWeekLen = 1000;
constexpr int kDesignedChartHeight = 400;
constexpr int kMinChartHeight = 150;
// Room on either side of a label of the axis under the chart.
constexpr double kLabelGap = 2;

// A small green point with a fuchsia outline.
QImage WeekMarker()
{
    QImage image(6, 6, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 0, 255), 1));
    p.setBrush(QColor(0, 128, 0));
    p.drawEllipse(QRectF(0.5, 0.5, 5, 5));
    return image;
}
} // namespace

TWeekPage::TWeekPage(const TDrawsArchive &archive, const TStatList &stats, const MainOptions &options,
                     QWidget *parent)
    : QWidget(parent), m_archive(archive), m_stats(stats), m_options(options), m_dayNames(WeekDayNames())
{
    setObjectName(u"tsWeek"_s);
    auto *top = new QWidget(this);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(4, 4, 4, 4);
    m_edWeekLen = new QSpinBox(top);
    m_edWeekLen->setObjectName(u"edWeekLen"_s);
    m_edWeekLen->setRange(1, 999999);
    m_edWeekLen->setValue(kDesignedWeekLen);
    m_edWeekLen->setToolTip(Tr(u"Количество тиражей, использующихся для расчета статистики"));
    m_btnCalc = new QPushButton(Tr(u"Обновить"), top);
    m_btnCalc->setObjectName(u"btnWeekStatCalc"_s);
    topLayout->addWidget(new QLabel(Tr(u"Тиражей:"), top));
    topLayout->addWidget(m_edWeekLen);
    topLayout->addWidget(m_btnCalc);
    topLayout->addStretch(1);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(u"splWeek"_s);
    m_grid = new TQOwnerDrawGrid(m_splitter);
    m_grid->setObjectName(u"sgWeek"_s);
    m_grid->setColCount(1 + kMaxNumber);
    m_grid->setRowCount(1 + TWeekTable::kDays);
    m_grid->setFixedCols(1);
    m_grid->setFixedRows(1);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setDefaultDrawing(false);
    const int width = m_grid->fontMetrics().horizontalAdvance(u"0000"_s) + 6;
    for (int c = 1; c <= kMaxNumber; ++c)
        m_grid->setColWidth(c, width);
    m_grid->setOnGetCellText([this](int col, int row) { return cellText(col, row); });
    m_grid->setOnDrawCell([this](QPainter *painter, const QRect &rect, int col, int row, bool selected) {
        drawCell(painter, rect, col, row, selected);
    });

    m_chart = new QChart();
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chartView = new QChartView(m_chart, m_splitter);
    m_chartView->setObjectName(u"crtWeek"_s);
    m_splitter->addWidget(m_grid);
    m_splitter->addWidget(m_chartView);
    m_splitter->setChildrenCollapsible(false);
    m_chartView->setMinimumHeight(kMinChartHeight);
    // Every day of the week stays in view above the chart, whatever height the chart was given.
    m_grid->setMinimumHeight(2 * m_grid->frameWidth() + m_grid->horizontalHeader()->sizeHint().height() +
                             m_grid->verticalHeader()->length() +
                             m_grid->horizontalScrollBar()->sizeHint().height());
    // The chart keeps its height ("WeekHeight"); the grid takes the rest.
    m_chartPane = new TSplitterPane(m_splitter, 1, kDesignedChartHeight);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(top);
    layout->addWidget(m_splitter, 1);

    connect(m_chart, &QChart::plotAreaChanged, this, &TWeekPage::fitNumberLabels);
    connect(m_btnCalc, &QPushButton::clicked, this, &TWeekPage::calcRequested);
    connect(m_edWeekLen, &QSpinBox::editingFinished, this, [this] { RefreshWeek(false); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    DrawWeekChart(current.column() + m_grid->fixedCols(), current.row() + m_grid->fixedRows());
            });
}

QString TWeekPage::caption()
{
    return Tr(u"Неделя");
}

int TWeekPage::weekLen() const
{
    return m_edWeekLen->value();
}

void TWeekPage::setWeekLen(int value)
{
    m_edWeekLen->setValue(value);
}

int TWeekPage::weekHeight() const
{
    return m_chartPane->size();
}

void TWeekPage::setWeekHeight(int height)
{
    // A strip saved by an older version is no chart: it gets the designed height back.
    m_chartPane->setSize(height >= kMinChartHeight ? height : kDesignedChartHeight);
}

QString TWeekPage::cellText(int col, int row) const
{
    if (row == 0)
        return col >= 1 ? QString::number(col) : QString();
    if (col == 0)
        return m_dayNames.value(row - 1);
    return m_table.cellText(col, row);
}

void TWeekPage::drawCell(QPainter *painter, const QRect &rect, int col, int row, bool selected)
{
    const QPalette &pal = m_grid->palette();
    const bool focused = col == m_grid->col() && row == m_grid->row() && m_grid->hasFocus();
    QColor back = pal.color(QPalette::Base);
    QColor fore = pal.color(QPalette::Text);
    if (selected || focused) {
        back = pal.color(QPalette::Highlight);
        fore = pal.color(QPalette::HighlightedText);
    } else {
        const TRgbColor c = WeekHeatColor(m_table.count(col, row), m_table.maxCount());
        if (!c.isSystemWindow) {
            back = QColor(c.red, c.green, c.blue);
            fore = Qt::black;
        }
    }
    painter->fillRect(rect, back);
    painter->setPen(fore);
    painter->drawText(rect.adjusted(0, 2, 0, 0), Qt::AlignHCenter | Qt::AlignTop, cellText(col, row));
}

TWeekKey TWeekPage::currentKey() const
{
    return TWeekKey{m_archive.count(), m_offsetSource ? m_offsetSource() : 0, weekLen(), m_archive.revision()};
}

void TWeekPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_forcePending)
        RefreshWeek(true);
}

void TWeekPage::RefreshWeek(bool force)
{
    if (!isVisible()) {
        m_forcePending = m_forcePending || force;
        return;
    }
    force = force || m_forcePending;
    m_forcePending = false;
    const TWeekKey key = currentKey();
    if (!force && key == m_key)
        return;
    m_key = key;
    BusySection busy;
    SetStatusText(Tr(u"Построение статистики по дням недели..."));
    m_dayNames = WeekDayNames();
    m_table.build(m_archive.draws(), key.drawsOffset, key.weekLen);
    m_grid->invalidateAll();
    SetStatusText({});
    // As in any grid, a cell is current from the start: its row is charted until another is chosen.
    if (m_grid->col() < 1 || m_grid->row() < 1)
        m_grid->setCurrentCell(1, 1);
    redrawChart();
}

void TWeekPage::redrawChart()
{
    const int col = m_grid->col();
    const int row = m_grid->row();
    if (col >= 1 && row >= 1)
        DrawWeekChart(col, row);
}

void TWeekPage::DrawWeekChart(int column, int row)
{
    BusySection busy;
    SetStatusText(Tr(u"Построение статистики по дням недели..."));
    m_chart->removeAllSeries();
    DeleteChartAxes(m_chart);

    const std::vector<TWeekChartPoint> points = WeekChartPoints(m_table, m_options.weekChartMode, column, row, m_dayNames);
    m_axisLabels.clear();
    int top = 0;
    for (const TWeekChartPoint &p : points) {
        m_axisLabels << p.label;
        top = std::max(top, p.value);
    }
    // Point k stands at x = k, each in its share of the axis; its label is put under it by
    // fitNumberLabels, which leaves out as many as the chart's width needs.
    auto *axisX = new QCategoryAxis;
    axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axisX->setRange(-0.5, double(points.size()) - 0.5);
    axisX->setGridLineVisible(false);
    // The 45 numbers in a smaller type, so that as many of them as can be stand under their bars.
    QFont font = axisX->labelsFont();
    if (points.size() > 10)
        font.setPointSizeF(7);
    axisX->setLabelsFont(font);
    axisX->setTruncateLabels(false);
    m_labelStep = 0;
    auto *axisY = NewValueAxis(0, std::max(top, 1), true, 6, true);
    m_chart->addAxis(axisX, Qt::AlignBottom);
    m_chart->addAxis(axisY, Qt::AlignLeft);
    const QColor green(0, 128, 0);
    if (!m_options.weekChartType) {
        auto *set = new QBarSet(QString());
        set->setColor(green);
        for (const TWeekChartPoint &p : points)
            set->append(p.value);
        auto *series = new QBarSeries(m_chart);
        series->append(set);
        series->setLabelsVisible(false);
        m_chart->addSeries(series);
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    } else {
        auto *series = new QLineSeries(m_chart);
        series->setPen(QPen(green, 2));
        series->setLightMarker(WeekMarker());
        for (size_t i = 0; i < points.size(); ++i)
            series->append(double(i), points[i].value);
        series->setPointLabelsVisible(false);
        m_chart->addSeries(series);
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }
    fitNumberLabels();
    SetStatusText({});
}

void TWeekPage::fitNumberLabels()
{
    auto *axis = qobject_cast<QCategoryAxis *>(m_chart->axes(Qt::Horizontal).value(0));
    const int count = int(m_axisLabels.size());
    if (!axis || count == 0)
        return;
    // Every k-th point is labelled, k as small as leaves each label its own room: on a narrow window
    // the numbers would otherwise run into each other.
    const QFontMetricsF metrics(axis->labelsFont());
    double widest = 0;
    for (const QString &label : m_axisLabels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    double width = m_chart->plotArea().width();
    if (width <= 0)
        width = std::max(m_chartView->width() - 60, 100);
    // The axis runs from half a share before the first point to half a share after the last.
    const int step = CategoryLabelStep(count, width * (count + 1) / count, widest, kLabelGap);
    if (step == m_labelStep)
        return;
    m_labelStep = step;
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    for (int k = 0; k < count; k += step)
        axis->append(m_axisLabels[k], k);
}

TFilterSelection TWeekPage::selection() const
{
    int left = -1;
    int right = -1;
    for (const QItemSelectionRange &range : m_grid->selectionModel()->selection()) {
        const int l = range.left() + m_grid->fixedCols();
        const int r = range.right() + m_grid->fixedCols();
        left = left < 0 ? l : std::min(left, l);
        right = std::max(right, r);
    }
    if (left < 0)
        return {};
    return WeekSelection(std::max(left, 1), std::min(right, kMaxNumber));
}

void TWeekPage::FilterCombsByWeek(TCombsList &list, bool deleting, const TFilterDraws &draws)
{
    const TFilterSelection values = selection();
    if (values.empty())
        throw Exception(Tr(u"В выделенном диапазоне нет значений для фильтра!"));
    list.SaveUndo(true);
    FilterCombsByNumbers(list, m_stats, values, deleting, draws, caption());
}

TWeekPage::~TWeekPage()
{
    DisconnectChildrenFrom(this);
}
