#include "ui/draws/CardPage.h"

#include "common/BusyCursor.h"
#include "common/Exception.h"
#include "common/Translate.h"
#include "common/widgets/StringGrid.h"
#include "lottery/stats/StatList.h"
#include "app/combinations/CombsList.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TCardPage::TCardPage(const TDrawsArchive &archive, const TStatList &stats, const MainOptions &options,
                     QWidget *parent)
    : QWidget(parent), m_archive(archive), m_stats(stats), m_options(options), m_grid(new TQOwnerDrawGrid(this))
{
    setObjectName(u"tsCard"_s);
    m_grid->setObjectName(u"sgCard"_s);
    m_grid->setColCount(TCardModel::kColCount);
    m_grid->setRowCount(m_model.rowCount());
    m_grid->setFixedCols(1);
    m_grid->setFixedRows(1);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setDefaultDrawing(false);
    const int width = m_grid->fontMetrics().horizontalAdvance(u"000"_s) + 6;
    for (int c = 1; c < TCardModel::kColCount; ++c)
        m_grid->setColWidth(c, width);
    m_grid->horizontalHeader()->setMinimumSectionSize(8);
    m_grid->setOnGetCellText([this](int col, int row) { return m_model.cell(col, row); });
    m_grid->setOnDrawCell([this](QPainter *painter, const QRect &rect, int col, int row, bool selected) {
        drawCell(painter, rect, col, row, selected);
    });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
}

QString TCardPage::caption()
{
    return Tr(u"Карта");
}

void TCardPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_forcePending)
        RefreshCard(true);
}

void TCardPage::RefreshCard(bool force)
{
    if (!isVisible()) {
        m_forcePending = m_forcePending || force;
        return;
    }
    force = force || m_forcePending;
    m_forcePending = false;
    // An edited draw leaves the count as it was: the archive's revision tells the card too.
    if (!force && !m_model.stale(m_archive.count(), m_archive.revision()))
        return;
    BusySection busy;
    SetStatusText(Tr(u"Обновление карты тиражей..."));
    m_grid->clearSelection();
    m_model.build(m_archive.draws(), m_archive.revision());
    m_grid->setRowCount(m_model.rowCount());
    m_grid->invalidateAll();
    SetStatusText({});
}

void TCardPage::repaintCard()
{
    m_grid->viewport()->update();
}

void TCardPage::drawCell(QPainter *painter, const QRect &rect, int col, int row, bool selected)
{
    const QPalette &pal = m_grid->palette();
    const bool focused = col == m_grid->col() && row == m_grid->row() && m_grid->hasFocus();
    QColor back = pal.color(QPalette::Base);
    QColor fore = pal.color(QPalette::Text);
    if (selected || focused) {
        back = pal.color(QPalette::Highlight);
        fore = pal.color(QPalette::HighlightedText);
    } else {
        const TRgbColor c = TCardModel::colorOf(
            m_model.paintOf(col, row, m_options.colorCard, m_options.colorCardSequences), col,
            m_stats.Config.channelSize);
        if (!c.isSystemWindow) {
            back = QColor(c.red, c.green, c.blue);
            fore = Qt::black;
        }
    }
    painter->fillRect(rect, back);
    painter->setPen(fore);
    painter->drawText(rect.adjusted(0, 2, 0, 0), Qt::AlignHCenter | Qt::AlignTop, m_model.cell(col, row));
}

QRect TCardPage::selectedRect() const
{
    QRect cells;
    for (const QItemSelectionRange &range : m_grid->selectionModel()->selection()) {
        const QRect r(QPoint(range.left() + m_grid->fixedCols(), range.top() + m_grid->fixedRows()),
                      QPoint(range.right() + m_grid->fixedCols(), range.bottom() + m_grid->fixedRows()));
        cells = cells.isValid() ? cells.united(r) : r;
    }
    return cells;
}

bool TCardPage::filterable() const
{
    return CardSelectionFilterable(selectedRect(), m_model.drawCount());
}

TFilterSelection TCardPage::selection() const
{
    const QRect cells = selectedRect();
    if (!CardSelectionFilterable(cells, m_model.drawCount()))
        return {};
    return CardSelection([this](int col, int row) { return m_model.cell(col, row); }, cells);
}

void TCardPage::FilterCombsByCard(TCombsList &list, bool deleting, const TFilterDraws &draws)
{
    const TFilterSelection values = selection();
    // Nothing to filter by: the undo copy keeps the step before.
    if (values.empty())
        throw Exception(Tr(u"В выделенном диапазоне нет значений для фильтра!"));
    list.SaveUndo(true);
    FilterCombsByNumbers(list, m_stats, values, deleting, draws, caption());
}
