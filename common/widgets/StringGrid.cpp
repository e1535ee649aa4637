#include "common/widgets/StringGrid.h"

#include "common/widgets/ListView.h"

#include <QHeaderView>
#include <QPainter>

#include <algorithm>

// Paints the cell as usual, then lets the owner draw over it.
class TGridDelegate : public QStyledItemDelegate {
public:
    explicit TGridDelegate(TQOwnerDrawGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (m_grid->m_defaultDrawing)
            QStyledItemDelegate::paint(painter, option, index);
        if (m_grid->m_drawCell) {
            painter->save();
            painter->setClipRect(option.rect);
            m_grid->m_drawCell(painter, option.rect, index.column() + m_grid->m_fixedCols,
                               index.row() + m_grid->m_fixedRows, option.state & QStyle::State_Selected);
            painter->restore();
        }
    }

private:
    TQOwnerDrawGrid *m_grid;
};

TGridModel::TGridModel(TQOwnerDrawGrid *grid) : QAbstractTableModel(grid), m_grid(grid) {}

int TGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(m_grid->m_rowCount - m_grid->m_fixedRows, 0);
}

int TGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(m_grid->m_colCount - m_grid->m_fixedCols, 0);
}

QVariant TGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int col = index.column() + m_grid->m_fixedCols;
    const int row = index.row() + m_grid->m_fixedRows;
    if (role == Qt::DisplayRole)
        return m_grid->getCellText(col, row);
    if (role == Qt::EditRole)
        return m_grid->getEditText(col, row);
    return {};
}

bool TGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    m_grid->setEditText(index.column() + m_grid->m_fixedCols, index.row() + m_grid->m_fixedRows, value.toString());
    return true;
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal) {
        for (const auto &[col, alignment] : m_grid->m_captionAlignments)
            if (col == section + m_grid->m_fixedCols)
                return QVariant::fromValue(alignment);
        return {};
    }
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal) {
        if (m_grid->m_fixedRows <= 0)
            return QString();
        const QString caption = m_grid->getCellText(section + m_grid->m_fixedCols, 0);
        for (const auto &[whole, wrapped] : m_grid->m_wrappedCaptions)
            if (whole == caption)
                return wrapped;
        return caption;
    }
    return m_grid->m_fixedCols > 0 ? m_grid->getCellText(0, section + m_grid->m_fixedRows) : QString();
}

Qt::ItemFlags TGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (m_grid->m_editing)
        f |= Qt::ItemIsEditable;
    return f;
}

TQOwnerDrawGrid::TQOwnerDrawGrid(QWidget *parent) : QTableView(parent), m_model(new TGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new TGridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    // The arrows move inside the grid; Tab goes on to the next control (in a grid whose cells are
    // edited, to the next cell).
    setTabKeyNavigation(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setVisible(false);
    verticalHeader()->setVisible(false);
}

void TQOwnerDrawGrid::resetModel(const std::function<void()> &change)
{
    m_model->beginResetModel();
    change();
    m_model->endResetModel();
    horizontalHeader()->setVisible(m_fixedRows > 0);
    verticalHeader()->setVisible(m_fixedCols > 0);
}

void TQOwnerDrawGrid::setColCount(int count)
{
    count = std::max(count, 0);
    const int oldColumns = m_model->columnCount();
    const int newColumns = std::max(count - m_fixedCols, 0);
    if (newColumns > oldColumns) {
        m_model->beginInsertColumns({}, oldColumns, newColumns - 1);
        m_colCount = count;
        m_model->endInsertColumns();
    } else if (newColumns < oldColumns) {
        m_model->beginRemoveColumns({}, newColumns, oldColumns - 1);
        m_colCount = count;
        m_model->endRemoveColumns();
    } else {
        m_colCount = count;
    }
}

void TQOwnerDrawGrid::setRowCount(int count)
{
    count = std::max(count, 0);
    const int oldRows = m_model->rowCount();
    const int newRows = std::max(count - m_fixedRows, 0);
    if (newRows > oldRows) {
        m_model->beginInsertRows({}, oldRows, newRows - 1);
        m_rowCount = count;
        m_model->endInsertRows();
    } else if (newRows < oldRows) {
        m_model->beginRemoveRows({}, newRows, oldRows - 1);
        m_rowCount = count;
        m_model->endRemoveRows();
    } else {
        m_rowCount = count;
    }
}

void TQOwnerDrawGrid::setFixedCols(int count)
{
    count = std::clamp(count, 0, 1);
    if (count != m_fixedCols)
        resetModel([&] { m_fixedCols = count; });
}

void TQOwnerDrawGrid::setFixedRows(int count)
{
    count = std::clamp(count, 0, 1);
    if (count != m_fixedRows)
        resetModel([&] { m_fixedRows = count; });
}

void TQOwnerDrawGrid::setColWidth(int col, int width)
{
    if (col < m_fixedCols)
        verticalHeader()->setFixedWidth(width);
    else
        setColumnWidth(col - m_fixedCols, width);
}

void TQOwnerDrawGrid::fitColumnsToCaptions()
{
    if (m_fixedRows <= 0)
        return;
    m_wrappedCaptions.clear();
    for (int col = m_fixedCols; col < m_colCount; ++col) {
        const QString caption = getCellText(col, 0);
        int needed = HeaderCaptionWidth(horizontalHeader(), caption);
        if (needed <= colWidth(col))
            continue;
        // The blank nearest the middle starts the second line.
        qsizetype split = -1;
        for (qsizetype i = 0; i < caption.size(); ++i)
            if (caption[i] == u' ' && (split < 0 || qAbs(i - caption.size() / 2) < qAbs(split - caption.size() / 2)))
                split = i;
        if (split > 0) {
            QString wrapped = caption;
            wrapped[split] = u'\n';
            m_wrappedCaptions.emplace_back(caption, wrapped);
            needed = HeaderCaptionWidth(horizontalHeader(), wrapped);
        }
        if (needed > colWidth(col))
            setColWidth(col, needed);
    }
    m_model->headerDataChanged(Qt::Horizontal, 0, std::max(m_colCount - m_fixedCols - 1, 0));
}

void TQOwnerDrawGrid::setCaptionAlignment(int col, Qt::Alignment alignment)
{
    for (auto &[known, value] : m_captionAlignments)
        if (known == col) {
            value = alignment;
            m_model->headerDataChanged(Qt::Horizontal, col - m_fixedCols, col - m_fixedCols);
            return;
        }
    m_captionAlignments.emplace_back(col, alignment);
    m_model->headerDataChanged(Qt::Horizontal, col - m_fixedCols, col - m_fixedCols);
}

int TQOwnerDrawGrid::colWidth(int col) const
{
    if (col < m_fixedCols)
        return verticalHeader()->width();
    return columnWidth(col - m_fixedCols);
}

void TQOwnerDrawGrid::setEditing(bool on)
{
    m_editing = on;
    setTabKeyNavigation(on);
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                       : QAbstractItemView::NoEditTriggers);
}

int TQOwnerDrawGrid::col() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() + m_fixedCols : -1;
}

int TQOwnerDrawGrid::row() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + m_fixedRows : -1;
}

void TQOwnerDrawGrid::setCurrentCell(int col, int row)
{
    const QModelIndex i = indexOfCell(col, row);
    if (i.isValid())
        setCurrentIndex(i);
}

QModelIndex TQOwnerDrawGrid::indexOfCell(int col, int row) const
{
    return m_model->index(row - m_fixedRows, col - m_fixedCols);
}

QString TQOwnerDrawGrid::getCellText(int col, int row) const
{
    if (!m_getText || col < 0 || row < 0 || col >= m_colCount || row >= m_rowCount)
        return {};
    return m_getText(col, row);
}

void TQOwnerDrawGrid::setCellText(int col, int row, const QString &value)
{
    if (m_setText)
        m_setText(col, row, value);
    invalidateCellText(col, row);
}

void TQOwnerDrawGrid::invalidateCellText(int col, int row)
{
    if (row < m_fixedRows && col >= m_fixedCols) {
        emit m_model->headerDataChanged(Qt::Horizontal, col - m_fixedCols, col - m_fixedCols);
        return;
    }
    if (col < m_fixedCols && row >= m_fixedRows) {
        emit m_model->headerDataChanged(Qt::Vertical, row - m_fixedRows, row - m_fixedRows);
        return;
    }
    const QModelIndex i = indexOfCell(col, row);
    if (!i.isValid())
        return;
    if (m_editLock > 0) {
        // The text comes from the cell's own editor: repaint, leave the editor alone.
        viewport()->update(visualRect(i));
        return;
    }
    // A change of one cell also refreshes its open editor.
    emit m_model->dataChanged(i, i);
}

void TQOwnerDrawGrid::invalidateAll()
{
    if (m_model->rowCount() > 0 && m_model->columnCount() > 0)
        emit m_model->dataChanged(m_model->index(0, 0),
                                  m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1));
    if (m_model->columnCount() > 0)
        emit m_model->headerDataChanged(Qt::Horizontal, 0, m_model->columnCount() - 1);
    if (m_model->rowCount() > 0)
        emit m_model->headerDataChanged(Qt::Vertical, 0, m_model->rowCount() - 1);
}

QString TQOwnerDrawGrid::getEditText(int col, int row) const
{
    return getCellText(col, row);
}

void TQOwnerDrawGrid::setEditText(int col, int row, const QString &value)
{
    ++m_editLock;
    if (value != getCellText(col, row))
        setCellText(col, row, value);
    --m_editLock;
}

TStringGrid::TStringGrid(QWidget *parent) : TQOwnerDrawGrid(parent)
{
    setOnGetCellText([this](int col, int row) { return cells(col, row); });
    setOnSetCellText([this](int col, int row, const QString &value) {
        if (row < 0 || col < 0)
            return;
        if (static_cast<size_t>(row) >= m_cells.size())
            m_cells.resize(static_cast<size_t>(row) + 1);
        auto &line = m_cells[static_cast<size_t>(row)];
        if (static_cast<size_t>(col) >= line.size())
            line.resize(static_cast<size_t>(col) + 1);
        line[static_cast<size_t>(col)] = value;
    });
}

QString TStringGrid::cells(int col, int row) const
{
    if (row < 0 || col < 0 || static_cast<size_t>(row) >= m_cells.size())
        return {};
    const auto &line = m_cells[static_cast<size_t>(row)];
    return static_cast<size_t>(col) < line.size() ? line[static_cast<size_t>(col)] : QString();
}

void TStringGrid::setCells(int col, int row, const QString &value)
{
    setCellText(col, row, value);
}

void TStringGrid::clearCells()
{
    m_cells.clear();
    invalidateAll();
}
