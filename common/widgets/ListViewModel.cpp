#include "common/widgets/ListViewModel.h"

#include "common/BusyCursor.h"
#include "common/TextCompare.h"

#include <algorithm>

TListViewModel::TListViewModel(QObject *parent) : QAbstractTableModel(parent) {}

int TListViewModel::addColumn(const QString &caption, Qt::Alignment alignment)
{
    const int column = static_cast<int>(m_columns.size());
    beginInsertColumns({}, column, column);
    m_columns.push_back({caption, alignment});
    endInsertColumns();
    return column;
}

void TListViewModel::setColumnCaption(int column, const QString &caption)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[static_cast<size_t>(column)].caption = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString TListViewModel::columnCaption(int column) const
{
    if (column < 0 || column >= columnCount())
        return {};
    return m_columns[static_cast<size_t>(column)].caption;
}

void TListViewModel::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (column < 0 || column >= columnCount())
        return;
    m_columns[static_cast<size_t>(column)].alignment = alignment;
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::TextAlignmentRole});
}

Qt::Alignment TListViewModel::columnAlignment(int column) const
{
    if (column < 0 || column >= columnCount())
        return Qt::AlignLeft;
    return m_columns[static_cast<size_t>(column)].alignment;
}

void TListViewModel::clearColumns()
{
    if (m_columns.empty())
        return;
    beginRemoveColumns({}, 0, columnCount() - 1);
    m_columns.clear();
    endRemoveColumns();
}

void TListViewModel::setOwnerData(TListTextFn text)
{
    beginResetModel();
    m_ownerText = std::move(text);
    m_items.clear();
    m_ownerRows = 0;
    endResetModel();
}

void TListViewModel::setRowCount(int count)
{
    if (!isOwnerData())
        return;
    count = std::max(count, 0);
    if (count > m_ownerRows) {
        beginInsertRows({}, m_ownerRows, count - 1);
        m_ownerRows = count;
        endInsertRows();
    } else if (count < m_ownerRows) {
        beginRemoveRows({}, count, m_ownerRows - 1);
        m_ownerRows = count;
        endRemoveRows();
    }
}

void TListViewModel::refresh()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TListViewModel::setCheckBoxes(bool on)
{
    if (m_checkBoxes == on)
        return;
    m_checkBoxes = on;
    refresh();
}

int TListViewModel::addItem(const TListItem &item)
{
    const int row = rowCount();
    insertItem(row, item);
    return row;
}

void TListViewModel::insertItem(int row, const TListItem &item)
{
    if (isOwnerData())
        return;
    row = std::clamp(row, 0, rowCount());
    beginInsertRows({}, row, row);
    m_items.insert(m_items.begin() + row, item);
    endInsertRows();
}

void TListViewModel::setItem(int row, const TListItem &item)
{
    if (isOwnerData() || row < 0 || row >= rowCount())
        return;
    m_items[static_cast<size_t>(row)] = item;
    emit dataChanged(index(row, 0), index(row, std::max(columnCount() - 1, 0)));
}

void TListViewModel::setChecked(int row, bool checked)
{
    if (isOwnerData() || row < 0 || row >= rowCount())
        return;
    m_items[static_cast<size_t>(row)].checked = checked;
    emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

void TListViewModel::clearItems()
{
    if (isOwnerData()) {
        setRowCount(0);
        return;
    }
    if (m_items.empty())
        return;
    beginRemoveRows({}, 0, rowCount() - 1);
    m_items.clear();
    endRemoveRows();
}

bool TListViewModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || isOwnerData() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_items.erase(m_items.begin() + row, m_items.begin() + row + count);
    endRemoveRows();
    return true;
}

bool TListViewModel::moveItem(int from, int to)
{
    if (isOwnerData() || from < 0 || from >= rowCount() || to < 0 || to >= rowCount())
        return false;
    if (from == to)
        return true;
    // Qt counts the destination before the move: one further when moving down.
    if (!beginMoveRows({}, from, from, {}, to > from ? to + 1 : to))
        return false;
    TListItem moved = std::move(m_items[static_cast<size_t>(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(moved));
    endMoveRows();
    return true;
}

void TListViewModel::exchangeItems(int a, int b)
{
    if (isOwnerData() || a < 0 || b < 0 || a >= rowCount() || b >= rowCount() || a == b)
        return;
    std::swap(m_items[static_cast<size_t>(a)], m_items[static_cast<size_t>(b)]);
    const int last = std::max(columnCount() - 1, 0);
    emit dataChanged(index(a, 0), index(a, last));
    emit dataChanged(index(b, 0), index(b, last));
}

QString TListViewModel::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0)
        return {};
    if (isOwnerData())
        return m_ownerText(row, column);
    return m_items[static_cast<size_t>(row)].texts.value(column);
}

int TListViewModel::compareItems(const TListItem &a, const TListItem &b, int column, TSortDirection direction) const
{
    int compare = 0;
    if (column == 0) {
        compare = CompareTexts(a.caption(), b.caption());
    } else if (column > 0) {
        // A missing sub-item counts as an empty text, so the order stays consistent on ragged rows.
        compare = CompareTexts(a.texts.value(column), b.texts.value(column));
        if (compare == 0)
            compare = CompareTexts(a.caption(), b.caption());
    }
    if (direction == sdDescending)
        compare = -compare;
    if (m_compare)
        compare = m_compare(a, b, column, compare);
    return compare;
}

bool TListViewModel::sortRows(int column, TSortDirection direction)
{
    if (column < 0 || column >= columnCount())
        return !isOwnerData() || hasOwnerSort();
    BusySection busy;
    if (isOwnerData()) {
        if (!m_ownerSort)
            return false;
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        m_ownerSort(column, direction);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        return true;
    }
    std::vector<int> order(m_items.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compareItems(m_items[static_cast<size_t>(a)], m_items[static_cast<size_t>(b)], column, direction) < 0;
    });
    applyOrder(order);
    return true;
}

void TListViewModel::applyOrder(const std::vector<int> &order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    std::vector<TListItem> sorted;
    sorted.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newRowOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
        sorted.push_back(std::move(m_items[static_cast<size_t>(order[i])]));
    }
    m_items = std::move(sorted);
    // The selection and the current row follow their items.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &idx : from)
        to.append(index(newRowOf[static_cast<size_t>(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TListViewModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return isOwnerData() ? m_ownerRows : static_cast<int>(m_items.size());
}

int TListViewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant TListViewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(row, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns[static_cast<size_t>(column)].alignment | Qt::AlignVCenter);
    case Qt::CheckStateRole:
        if (m_checkBoxes && !isOwnerData() && column == 0)
            return m_items[static_cast<size_t>(row)].checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
        if (m_colors) {
            const TCellColors colors = m_colors(row, column);
            const QColor &c = role == Qt::ForegroundRole ? colors.text : colors.background;
            if (c.isValid())
                return c;
        }
        return {};
    case Qt::DecorationRole:
        return m_decoration ? m_decoration(row, column) : QVariant();
    default:
        return {};
    }
}

bool TListViewModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !m_checkBoxes || isOwnerData() || !index.isValid() || index.column() != 0)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant TListViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_columns[static_cast<size_t>(section)].caption;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns[static_cast<size_t>(section)].alignment | Qt::AlignVCenter);
    case Qt::InitialSortOrderRole:
        // A newly clicked column sorts ascending.
        return static_cast<int>(Qt::AscendingOrder);
    default:
        return {};
    }
}

Qt::ItemFlags TListViewModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (m_checkBoxes && !isOwnerData() && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void TListViewModel::sort(int column, Qt::SortOrder order)
{
    sortRows(column, order == Qt::AscendingOrder ? sdAscending : sdDescending);
}
