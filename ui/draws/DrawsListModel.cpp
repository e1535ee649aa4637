#include "ui/draws/DrawsListModel.h"
#include "common/Translate.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
// The row whose index equals the draws offset.
const QColor kOffsetRowColor(255, 170, 170);
} // namespace

TDrawsListModel::TDrawsListModel(const TDrawsArray &draws, QObject *parent)
    : QAbstractTableModel(parent), m_draws(draws)
{
}

void TDrawsListModel::refreshRowCount(bool force)
{
    const int count = static_cast<int>(m_draws.size());
    if (force || count != m_rows) {
        beginResetModel();
        m_rows = count;
        endResetModel();
    } else {
        repaintAll();
    }
}

void TDrawsListModel::repaintAll()
{
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
}

int TDrawsListModel::drawIndexOfRow(int row) const
{
    const int count = static_cast<int>(m_draws.size());
    if (row < 0 || row >= count || row >= m_rows)
        return -1;
    return count - 1 - row;
}

int TDrawsListModel::columnWidth(int column)
{
    if (column == ColNumber)
        return 54;
    if (column == ColSum)
        return 30;
    if (column == ColDate)
        return 100;
    return 24;
}

int TDrawsListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TDrawsListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TDrawsListModel::data(const QModelIndex &index, int role) const
{
    const int i = drawIndexOfRow(index.row());
    if (i < 0)
        return {};
    const TDrawRec &d = m_draws[static_cast<size_t>(i)];
    const int col = index.column();
    std::array<uint8_t, kMainCount> main = d.main;
    if (m_sorted)
        std::sort(main.begin(), main.end());

    switch (role) {
    case Qt::DisplayRole:
        if (col == ColNumber)
            return d.number;
        if (col >= ColMain1 && col < ColExtra1)
            return main[static_cast<size_t>(col - ColMain1)];
        if (col == ColExtra1 || col == ColExtra2)
            return d.extra[static_cast<size_t>(col - ColExtra1)];
        if (col == ColSum)
            return d.mainSum();
        if (col == ColDate)
            return d.dateText();
        return {};
    case Qt::TextAlignmentRole:
        if (col == ColNumber || col == ColDate)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::BackgroundRole:
        if (index.row() == m_highlightedRow)
            return kOffsetRowColor;
        if (!m_colored)
            return {};
        if (col >= ColMain1 && col < ColExtra1 && m_numberColor)
            return m_numberColor(main[static_cast<size_t>(col - ColMain1)]);
        return QColor(Qt::white);
    default:
        return {};
    }
}

QVariant TDrawsListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(section == ColNumber || section == ColDate ? Qt::AlignLeft | Qt::AlignVCenter
                                                                              : Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColNumber:
        return Tr(u"Тираж");
    case ColExtra1: return u"E1"_s;
    case ColExtra2: return u"E2"_s;
    case ColSum: return u"S"_s;
    case ColDate:
        return Tr(u"Дата тиража");
    default: return QString::number(section - ColMain1 + 1);
    }
}
