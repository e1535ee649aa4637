#include "ui/statistics/StatisticsPage.h"

#include "ui/charts/ChartAxes.h"

#include "common/Format.h"
#include "common/Translate.h"
#include "common/widgets/ElidedComboBox.h"
#include "common/widgets/SplitterPane.h"
#include "common/widgets/WidgetHooks.h"

#include "common/widgets/ExcelExportDialog.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QItemSelection>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QSet>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <numeric>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMethodIndexRole = Qt::UserRole;
constexpr int kMethodCodeRole = Qt::UserRole + 1;
constexpr int kDefaultSampleLength = 1000;
constexpr int kMaxSampleLength = 999999;
constexpr int kPrefetchColumnWidth = 80;
// The most value labels the chart's axis shows; with more values every k-th is labelled and the hint
// of a point names its value.
constexpr int kMaxAxisLabels = 40;
// Room the chart leaves on either side of an axis label.
constexpr double kAxisLabelPadding = 5;
// The most ticks up the side of the chart.
constexpr int kMaxAxisTicks = 9;
constexpr int kDesignedChartHeight = 260;
constexpr int kMarkerSize = 5;
constexpr qsizetype kMaxMarkedPoints = 2000;
// A line of more values than this is drawn through the smallest and largest count of each of as many
// stretches (the same line, far fewer points to lay out and paint).
constexpr int kChartStretches = 2000;
constexpr size_t kReleaseRows = 8192;

const QColor kActualColor(0, 128, 0);
const QColor kActualMarkerColor(255, 0, 255);
const QColor kTotalColor(255, 0, 0);

// The point marker of the actual series: a small dot with a fuchsia outline.
QImage actualMarker()
{
    const int size = kMarkerSize * 2;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kActualMarkerColor, 2));
    p.setBrush(kActualColor);
    p.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    return image;
}

} // namespace

TStatisticsPage::TStatisticsPage(TDrawsArchive &archive, TStatList &list, MainOptions &options, QWidget *parent)
    : QWidget(parent), m_archive(archive), m_list(list), m_options(options)
{
    setObjectName(u"tsDrawsStat"_s);
    // Statistics read the archive through the registry; a registry without one reads ours.
    if (!m_list.Draws()) {
        m_lentDraws = &m_archive.draws();
        m_list.SetDraws(m_lentDraws);
    }

    // A long method title is cut short with "…" and reads whole in the tooltip and in the open list.
    m_combo = new TElidedComboBox(10, this);
    m_combo->setObjectName(u"cbDrawsStatType"_s);
    m_combo->setMaxVisibleItems(30);

    auto *lengthLabel = new QLabel(Tr(u"Тиражей:"), this);
    m_length = new QSpinBox(this);
    m_length->setObjectName(u"edDrawsStatLen"_s);
    m_length->setRange(1, kMaxSampleLength);
    m_length->setValue(kDefaultSampleLength);
    m_length->setToolTip(Tr(u"Количество тиражей, использующихся для расчета статистики"));
    lengthLabel->setBuddy(m_length);

    m_table = new TQSortListView(this);
    m_table->setObjectName(u"lvDrawsStat"_s);
    m_table->setMultiSelect(true);
    TListViewModel *model = m_table->listModel();
    model->setOwnerData([this](int row, int column) {
        if (row < 0 || row >= rowCount() || column < 0 || column >= kDrawsStatColumns)
            return QString();
        return m_result.rows[size_t(m_order[size_t(row)])].texts[size_t(column)];
    });
    model->setOwnerSort([this](int column, TSortDirection direction) { sortRows(column, direction); });
    for (int c = 0; c < kDrawsStatColumns; ++c)
        m_table->addColumn(DrawsStatColumnCaption(c), DrawsStatColumnWidth(c),
                           c == dscValue ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
    m_table->setSort(dscCount, sdAscending);
    // The selection follows its values when the rows are sorted anew (connected after the view's own
    // selection model, so it has the last word).
    connect(model, &QAbstractItemModel::layoutChanged, this, &TStatisticsPage::restoreSelection);

    buildChart();

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(u"splDrawsStat"_s);
    m_splitter->addWidget(m_table);
    m_splitter->addWidget(m_chartView);
    m_splitter->setChildrenCollapsible(false);
    // The chart keeps its height ("DrawsStatHeight"); the table takes the rest of the window.
    m_chartPane = new TSplitterPane(m_splitter, 1, kDesignedChartHeight);

    buildActions();

    // The commands that do not fit a narrow window go into the toolbar's overflow menu; the method
    // list keeps room for the start of its captions.
    auto *commands = new QToolBar(this);
    commands->setObjectName(u"tbDrawsStat"_s);
    commands->setToolButtonStyle(Qt::ToolButtonTextOnly);
    commands->addActions({m_actCalc, m_actPrefetchs, m_actTotalLine, m_actExport});
    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_combo, 1);
    top->addWidget(lengthLabel);
    top->addWidget(m_length);
    top->addWidget(commands);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(m_splitter, 1);

    connect(m_combo, &QComboBox::currentIndexChanged, this, [this] { guarded([this] { CalcDrawsStat(false); }); });
    connect(m_length, &QSpinBox::editingFinished, this, [this] { guarded([this] { CalcDrawsStat(false); }); });

    applyPrefetchColumns();
    updateActions();
}

QString TStatisticsPage::caption()
{
    return Tr(u"Статистика");
}

void TStatisticsPage::buildActions()
{
    m_actCalc = new QAction(Tr(u"Обновить"), this);
    m_actCalc->setObjectName(u"DrawsStatCalc"_s);
    m_actCalc->setShortcut(QKeySequence(Qt::Key_F5));
    m_actCalc->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(m_actCalc, &QAction::triggered, this, [this] { guarded([this] { CalcDrawsStat(true); }); });

    m_actPrefetchs = new QAction(Tr(u"Использовать сравнение с полным набором комбинаций"), this);
    m_actPrefetchs->setObjectName(u"DrawsStatePrefetchsEnabled"_s);
    m_actPrefetchs->setIconText(Tr(u"Полный набор"));
    m_actPrefetchs->setCheckable(true);
    connect(m_actPrefetchs, &QAction::triggered, this, [this] { guarded([this] { togglePrefetchs(); }); });

    m_actTotalLine = new QAction(Tr(u"График идеального распределения"), this);
    m_actTotalLine->setObjectName(u"DrawsStatShowTotalLine"_s);
    m_actTotalLine->setIconText(Tr(u"Идеальный график"));
    m_actTotalLine->setCheckable(true);
    connect(m_actTotalLine, &QAction::triggered, this, [this] { guarded([this] { toggleTotalLine(); }); });

    m_actExport = new QAction(Tr(u"Экспорт статистики в Microsoft Excel"), this);
    m_actExport->setObjectName(u"DrawsStatExportToExcel"_s);
    m_actExport->setIconText(u"Excel"_s);
    m_actExport->setEnabled(false);
    connect(m_actExport, &QAction::triggered, this, [this] {
        if (IsNotBusy() && rowCount() > 0)
            guarded([this] { ExportListViewToExcel(m_table, caption(), caption(), {}, {}, 0, true); });
    });

    for (QAction *a : {m_actCalc, m_actPrefetchs, m_actTotalLine, m_actExport})
        a->setToolTip(a->text());
    addAction(m_actCalc);
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_table->addActions({m_actCalc, m_actPrefetchs, m_actTotalLine, m_actExport});
}

void TStatisticsPage::buildChart()
{
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chartView = new QChartView(m_chart, this);
    m_chartView->setObjectName(u"crtDrawsStat"_s);
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumHeight(120);
    // The value labels are chosen again when the chart takes another width.
    connect(m_chart, &QChart::plotAreaChanged, this, &TStatisticsPage::labelAxes);
}

void TStatisticsPage::guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    } catch (const std::exception &e) {
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
    }
}

// ---- Method lists ----

void TStatisticsPage::FillMethodCombos(bool reload, bool keep)
{
    struct Remembered {
        QComboBox *combo;
        int index;
        QString code;
    };
    std::vector<Remembered> combos;
    for (QComboBox *c : {m_combo, m_graphCombo})
        if (c)
            combos.push_back({c, keep ? c->currentIndex() : 0,
                              keep ? c->currentData(kMethodCodeRole).toString() : QString()});
    {
        // Selecting while filling is no user choice: the lists change silently.
        const QSignalBlocker block(m_combo);
        const QSignalBlocker blockGraph(m_graphCombo);

        if (reload) {
            const QString favourites = TStatList::FavoritesFileName();
            m_list.SaveFilterSettings(favourites, false);
            m_list.RebuildMethods();
            m_list.SelectAllMethods();
            m_list.LoadFilterSettings(favourites, true);
        }
        for (const Remembered &r : combos)
            r.combo->clear();
        for (int i = 0; i < m_list.MethodCount(); ++i) {
            if (!m_list.MethodAvailable(i) || !m_list.MethodSelectable(i) || !m_list.MethodIsFavorite(i))
                continue;
            const QString caption = m_list.MethodCaption(i, true);
            const QString code = m_list.GetMethod(i).MethodCode();
            for (const Remembered &r : combos) {
                if (r.combo == m_graphCombo && !m_list.MethodIsGraph(i))
                    continue;
                r.combo->addItem(caption);
                const int item = r.combo->count() - 1;
                r.combo->setItemData(item, i, kMethodIndexRole);
                r.combo->setItemData(item, code, kMethodCodeRole);
            }
        }
        for (const Remembered &r : combos) {
            if (m_list.Ordered)
                r.combo->model()->sort(0);
            // The same method when it is still listed, else the remembered place.
            const int byCode = r.code.isEmpty() ? -1 : r.combo->findData(r.code, kMethodCodeRole);
            if (byCode >= 0)
                r.combo->setCurrentIndex(byCode);
            else if (r.combo->count() > r.index)
                r.combo->setCurrentIndex(r.index);
            else
                r.combo->setCurrentIndex(-1);
        }
    }
    // A list that now shows another method never keeps the figures of the old one on screen.
    if (isVisible())
        guarded([this] { CalcDrawsStat(false); });
    updateActions();
}

const TStatMethod *MethodOfCombo(const QComboBox &combo, const TStatList &list)
{
    if (combo.currentIndex() < 0)
        return nullptr;
    const QString code = combo.currentData(kMethodCodeRole).toString();
    const int i = combo.currentData(kMethodIndexRole).toInt();
    // The registry may have been rebuilt since the list was filled: trust the code, not the place.
    if (i >= 0 && i < list.MethodCount() && list.GetMethod(i).MethodCode() == code)
        return &list.GetMethod(i);
    const int found = list.FindMethod(code);
    return found >= 0 ? &list.GetMethod(found) : nullptr;
}

const TStatMethod *TStatisticsPage::selectedMethod() const
{
    return MethodOfCombo(*m_combo, m_list);
}

bool TStatisticsPage::selectMethod(const QString &code)
{
    const int item = m_combo->findData(code, kMethodCodeRole, Qt::MatchFixedString);
    if (item < 0)
        return false;
    const QSignalBlocker block(m_combo);
    m_combo->setCurrentIndex(item);
    return true;
}

int TStatisticsPage::sampleLength() const
{
    return m_length->value();
}

void TStatisticsPage::setSampleLength(int length)
{
    m_length->setValue(length);
}

int TStatisticsPage::chartHeight() const
{
    return m_chartPane->size();
}

void TStatisticsPage::setChartHeight(int height)
{
    if (height > 0)
        m_chartPane->setSize(height);
}

// ---- Computation ----

int TStatisticsPage::drawsOffset() const
{
    return m_offsetSource ? std::max(m_offsetSource(), 0) : 0;
}

TDrawsStatKey TStatisticsPage::currentKey() const
{
    TDrawsStatKey key;
    key.drawCount = m_archive.count();
    key.revision = m_archive.revision();
    key.offset = drawsOffset();
    key.sampleLength = sampleLength();
    if (const TStatMethod *m = selectedMethod())
        key.method = m->MethodCode();
    key.sortedDraws = m_options.sortedDraws;
    key.prefetchs = m_options.prefetchsEnabled;
    key.weights = m_list.Config.weights;
    return key;
}

void TStatisticsPage::refresh(bool full)
{
    if (!isVisible()) {
        m_forcePending = m_forcePending || full;
        return;
    }
    const bool force = full || m_forcePending;
    m_forcePending = false;
    guarded([this, force] { CalcDrawsStat(force); });
}

void TStatisticsPage::clearResult()
{
    m_reselectPending = false;
    m_table->selectionModel()->clearSelection();
    m_order.clear();
    m_table->listModel()->setRowCount(0);
    m_chart->removeAllSeries();
    DeleteChartAxes(m_chart);
    // The rows of a long table are let go of in pieces, the window working in between.
    std::vector<TDrawsStatRow> rows = std::move(m_result.rows);
    m_result = TDrawsStatResult{};
    while (rows.size() > kReleaseRows) {
        rows.resize(rows.size() - kReleaseRows);
        ProcessMessages();
    }
}

namespace {

// Thrown out of a computation that a newer request has made useless.
struct Superseded {};

} // namespace

void TStatisticsPage::CalcDrawsStat(bool force)
{
    // The window works while a long table is computed. A request that comes meanwhile (another method,
    // another length or offset) is not served inside the running computation: it is noted, replacing
    // any request noted before, and served once the running one has ended or given up.
    if (m_calculating) {
        m_recalcPending = true;
        m_recalcForced = m_recalcForced || force;
        return;
    }
    struct Running {
        bool &flag;
        explicit Running(bool &f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(m_calculating);
    m_recalcPending = false;
    m_recalcForced = false;
    for (bool forced = force;;) {
        computeTable(forced);
        if (!std::exchange(m_recalcPending, false))
            break;
        forced = std::exchange(m_recalcForced, false);
    }
    // Outside the busy section, so that the commands come back enabled.
    updateActions();
}

void TStatisticsPage::computeTable(bool force)
{
    const TDrawsStatKey key = currentKey();
    if (!m_cache.update(key) && !force)
        return;
    const TStatMethod *method = selectedMethod();
    clearResult();
    if (!method || m_archive.count() == 0)
        return;

    BusySection busy;
    struct StatusReset {
        ~StatusReset() { SetStatusText({}); }
    } statusReset;
    ++m_computations;
    // The window's messages are processed now and then; once they have brought a request for other
    // figures, or for these anew, this computation gives up.
    auto answerWindow = [this, &key] {
        if (m_recalcPending && (m_recalcForced || !(currentKey() == key)))
            throw Superseded{};
    };
    try {
        SetStatusText(Tr(u"Анализ тиражей и расчет статистики..."));
        answerWindow();

        TStatPrefetch prefetch;
        bool hasPrefetch = false;
        if (m_options.prefetchsEnabled && m_prefetchSource && method->StatClass->HasKindN())
            hasPrefetch = m_prefetchSource(*method, prefetch);

        TDrawsStatParams params;
        params.list = &m_list;
        params.method = method;
        params.sampleLength = key.sampleLength;
        params.offset = key.offset;
        params.sortedDraws = key.sortedDraws;
        params.prefetch = hasPrefetch ? &prefetch : nullptr;
        params.showTotalLine = m_options.showTotalLine;
        params.progress = [&answerWindow](double percent) {
            SetStatusText(Format(u"Анализ тиражей и расчет статистики ( завершено %.0f %% )...", {percent}));
            answerWindow();
        };
        params.idle = [&answerWindow] {
            ProcessMessages();
            answerWindow();
        };
        TDrawsStatResult result = ::CalcDrawsStat(params);
        // The rows in the table's order, made here where the window still works.
        std::vector<int> order(result.rows.size());
        std::iota(order.begin(), order.end(), 0);
        const int sortColumn = m_table->sortColumn();
        const TSortDirection sortDirection = m_table->sortDirection();
        SortDrawsStatRows(order, result.rows, sortColumn, sortDirection == sdDescending, params.idle);
        answerWindow();
        m_result = std::move(result);
        m_order = std::move(order);
        m_sortedBy = {sortColumn, sortDirection};
    } catch (const Superseded &) {
        // The request that superseded it is served next.
        m_cache.clear();
        m_result = TDrawsStatResult{};
        return;
    } catch (...) {
        // The next request computes again rather than trusting a half-done result.
        m_cache.clear();
        m_result = TDrawsStatResult{};
        m_recalcPending = false;
        updateActions();
        throw;
    }
    showRows();
    // The table shows before the chart is laid out.
    ProcessMessages();
    showChart();
}

void TStatisticsPage::showRows()
{
    m_table->listModel()->setRowCount(rowCount());
    m_table->sort();
    m_sortedBy.reset();
}

void TStatisticsPage::sortRows(int column, TSortDirection direction)
{
    // The selection is noted by value and put back once the view has taken the new order.
    m_reselect.clear();
    for (int row : m_table->selectedRows())
        if (row >= 0 && row < rowCount())
            m_reselect.push_back(m_order[size_t(row)]);
    m_reselectPending = true;

    // Rows that come sorted as asked (a new table is sorted while the window works) are taken as they are.
    if (std::exchange(m_sortedBy, {}) == std::pair{column, direction})
        return;
    SortDrawsStatRows(m_order, m_result.rows, column, direction == sdDescending);
}

void TStatisticsPage::restoreSelection()
{
    if (!m_reselectPending)
        return;
    m_reselectPending = false;
    if (m_reselect.empty())
        return;
    std::vector<char> wanted(m_result.rows.size(), 0);
    for (int i : m_reselect)
        wanted[size_t(i)] = 1;
    QItemSelection selection;
    const int last = kDrawsStatColumns - 1;
    for (int row = 0; row < rowCount(); ++row)
        if (wanted[size_t(m_order[size_t(row)])])
            selection.select(m_table->listModel()->index(row, 0), m_table->listModel()->index(row, last));
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TStatisticsPage::showChart()
{
    const TDrawsStatChart &chartData = m_result.chart;
    if (chartData.empty())
        return;

    auto *actual = new QLineSeries;
    actual->setName(Tr(u"Фактические данные"));
    actual->setPen(QPen(kActualColor, 2));
    actual->setMarkerSize(kMarkerSize);
    // Markers on a line of many thousand values would only cover it (and take long to paint).
    if (chartData.actual.size() <= kMaxMarkedPoints)
        actual->setLightMarker(actualMarker());

    QLineSeries *total = nullptr;
    if (chartData.hasTotal) {
        total = new QLineSeries;
        total->setName(Tr(u"Все возможные комбинации"));
        total->setPen(QPen(kTotalColor, 1));
        m_chart->addSeries(total);
    }
    m_chart->addSeries(actual);

    const int count = static_cast<int>(chartData.labels.size());
    auto *axisX = new QCategoryAxis;
    axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axisX->setStartValue(0);
    axisX->setRange(0.5, count + 0.5);
    // How long the value texts are across; whether they stand upright is chosen with the chart's height.
    qsizetype longest = 0;
    for (const QString &label : chartData.labels)
        longest = std::max(longest, label.size());
    const QFontMetricsF metrics(axisX->labelsFont());
    m_widestLabel = 0;
    for (const QString &label : chartData.labels)
        if (label.size() >= longest - 1)
            m_widestLabel = std::max(m_widestLabel, metrics.horizontalAdvance(label));
    m_labelsAngle = -1;
    m_axisLabelStep = 0;

    double maxY = 0;
    for (const QPointF &p : chartData.actual)
        maxY = std::max(maxY, p.y());
    for (const QPointF &p : chartData.total)
        maxY = std::max(maxY, p.y());
    // Counts of draws: whole ticks from 0.
    m_chartTop = maxY > 0 ? maxY : 1;
    m_axisTicks = 0;
    auto *axisY = NewValueAxis(0, m_chartTop, true, kMaxAxisTicks, true);

    m_chart->addAxis(axisX, Qt::AlignBottom);
    m_chart->addAxis(axisY, Qt::AlignLeft);
    labelAxes();
    for (QLineSeries *s : {actual, total}) {
        if (!s)
            continue;
        s->attachAxis(axisX);
        s->attachAxis(axisY);
        const int decimals = s == total ? 2 : 0;
        connect(s, &QXYSeries::hovered, this, [this, s, decimals](const QPointF &point, bool state) {
            if (!state) {
                QToolTip::hideText();
                return;
            }
            // The hint names the value under the mouse and its count on this series.
            const int k = qRound(point.x());
            const QStringList &labels = m_result.chart.labels;
            if (k < 1 || k > labels.size())
                return;
            const QList<QPointF> points = s->points();
            const auto it = std::find_if(points.begin(), points.end(),
                                         [k](const QPointF &p) { return qRound(p.x()) == k; });
            if (it == points.end())
                return;
            QToolTip::showText(QCursor::pos(),
                               s->name() + u"\n"_s + labels[k - 1] + u": "_s + QString::number(it->y(), 'f', decimals),
                               m_chartView);
        });
    }
    // The points come once the axes are attached, so that the chart lays them out only once.
    actual->replace(ThinChartPoints(chartData.actual, kChartStretches));
    if (total)
        total->replace(ThinChartPoints(chartData.total, kChartStretches));
}

void TStatisticsPage::labelAxes()
{
    auto *axis = qobject_cast<QCategoryAxis *>(m_chart->axes(Qt::Horizontal).value(0));
    const QStringList &labels = m_result.chart.labels;
    if (!axis || labels.isEmpty())
        return;
    // Up the side, as many ticks as leave each label its height (a low chart has fewer of them).
    FitVerticalTicks(m_chart, m_chartTop, kAxisLabelPadding, kMaxAxisTicks, m_axisTicks);
    // Long value texts (masks, combinations) stand upright so that more of them fit along the axis,
    // when the axis has the height for them: the chart gives the axis under the plot at most 40 % of
    // what its margins and legend leave, and cuts a longer label down to "...". Short texts, and long
    // ones on a low chart, lie along the axis.
    const QFontMetricsF metrics(axis->labelsFont());
    const QLegend *legend = m_chart->legend();
    const double content = m_chart->size().height() - m_chart->margins().top() - m_chart->margins().bottom() -
                           (legend->isVisible() ? legend->size().height() : 0) - 2 * kAxisLabelPadding;
    const bool upright = m_widestLabel > metrics.horizontalAdvance(u"0000"_s) &&
                         m_widestLabel + 3 * kAxisLabelPadding <= 0.4 * content;
    const int angle = upright ? -90 : 0;
    if (angle != m_labelsAngle) {
        m_labelsAngle = angle;
        axis->setLabelsAngle(angle);
        m_axisLabelWidth = (upright ? metrics.height() : m_widestLabel) + 2;
        m_axisLabelStep = 0;
    }
    // Every k-th value is labelled, k as small as lets each label show whole in its share of the axis
    // (the chart cuts a label that does not fit down to "...").
    double axisWidth = m_chart->plotArea().width();
    if (axisWidth <= 0)
        axisWidth = std::max(m_chartView->width() - 80, 100);
    const int count = static_cast<int>(labels.size());
    const int step = std::max(CategoryLabelStep(count, axisWidth, m_axisLabelWidth, kAxisLabelPadding),
                              (count + kMaxAxisLabels - 1) / kMaxAxisLabels);
    // A label centred on its value must not stick out past the chart's sides (the chart leaves out such
    // a label): the labels start at the first value whose label fits.
    const QRectF plot = m_chart->plotArea();
    const double halfLabel = m_axisLabelWidth / 2;
    auto centre = [&](int k) { return plot.left() + (k + 0.5) * plot.width() / count; };
    int first = 0;
    if (plot.width() > 0)
        while (first + 1 < count && centre(first) - halfLabel < m_chart->margins().left() + kAxisLabelPadding)
            ++first;
    const double right = m_chart->size().width() - m_chart->margins().right() - kAxisLabelPadding;
    if (step == m_axisLabelStep && first == m_axisLabelFirst)
        return;
    m_axisLabelStep = step;
    m_axisLabelFirst = first;
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    QSet<QString> used;
    for (int k = first; k < count; k += step) {
        if (plot.width() > 0 && centre(k) + halfLabel > right)
            break;
        const QString &label = labels[k];
        // Category labels must differ; a repeated text is left off the axis (its hint still names it).
        if (!used.contains(label)) {
            used.insert(label);
            axis->append(label, k + 1);
        }
    }
}

// ---- Rows ----

const TDrawsStatRow *TStatisticsPage::rowAt(int viewRow) const
{
    if (viewRow < 0 || viewRow >= rowCount())
        return nullptr;
    return &m_result.rows[size_t(m_order[size_t(viewRow)])];
}

TStatValues TStatisticsPage::StatRowForExport(int viewRow) const
{
    return ::StatRowForExport(rowAt(viewRow));
}

std::vector<TStatValueRec> TStatisticsPage::selectedValues() const
{
    std::vector<TStatValueRec> values;
    for (int row : m_table->selectedRows())
        if (const TDrawsStatRow *r = rowAt(row))
            values.push_back(r->rec);
    return values;
}

// ---- Options ----

void TStatisticsPage::applyPrefetchColumns()
{
    const bool on = m_options.prefetchsEnabled;
    for (int c = dscNorm; c <= dscDeviationPct; ++c) {
        m_table->setColumnHidden(c, !on);
        if (on)
            m_table->setColumnWidth(c, kPrefetchColumnWidth);
    }
}

void TStatisticsPage::togglePrefetchs()
{
    const bool on = m_options.toggle(&MainOptions::prefetchsEnabled);
    emit prefetchsToggled(on);
    applyPrefetchColumns();
    updateActions();
    CalcDrawsStat(true);
}

void TStatisticsPage::toggleTotalLine()
{
    m_options.toggle(&MainOptions::showTotalLine);
    SetStatusText(Tr(u"Создание графиков..."));
    m_chart->removeAllSeries();
    updateActions();
    CalcDrawsStat(true);
    SetStatusText({});
}

void TStatisticsPage::updateActions()
{
    const bool notBusy = IsNotBusy();
    m_actCalc->setEnabled(notBusy && m_archive.count() > 0 && selectedMethod() != nullptr);
    m_actPrefetchs->setEnabled(notBusy);
    m_actPrefetchs->setChecked(m_options.prefetchsEnabled);
    m_actTotalLine->setEnabled(notBusy && m_options.prefetchsEnabled);
    m_actTotalLine->setChecked(m_options.showTotalLine);
    m_actExport->setEnabled(notBusy && rowCount() > 0);
}

TStatisticsPage::~TStatisticsPage()
{
    DisconnectChildrenFrom(this);
    // The registry outlives the page: it must not keep reading an archive that goes with it.
    if (m_lentDraws && m_list.Draws() == m_lentDraws)
        m_list.SetDraws(nullptr);
}
