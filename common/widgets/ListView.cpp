#include "common/widgets/ListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>

TQSortListView::TQSortListView(QWidget *parent) : QTableView(parent), m_model(new TListViewModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setAlternatingRowColors(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The arrows move inside the list; Tab goes on to the next control.
    setTabKeyNavigation(false);

    // Fixed row heights keep the vertical header from measuring rows: a list of millions of rows
    // costs no more than a short one.
    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView *columns = horizontalHeader();
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(true);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    // Sorting starts on the caption column, ascending, once the first column exists (an indicator
    // set on an empty header would move along as columns are inserted before it).
    columns->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    connect(m_model, &QAbstractItemModel::columnsInserted, this, [this](const QModelIndex &, int first, int last) {
        if (first == 0 && last + 1 == m_model->columnCount())
            horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    });

    // The selection stays visible when the list loses the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

int TQSortListView::addColumn(const QString &caption, int width, Qt::Alignment alignment)
{
    const int column = m_model->addColumn(caption, alignment);
    setColumnWidth(column, std::max(width, HeaderCaptionWidth(horizontalHeader(), caption)));
    return column;
}

int HeaderCaptionWidth(const QHeaderView *header, const QString &caption)
{
    if (caption.isEmpty())
        return 0;
    QStyleOptionHeader option;
    option.initFrom(header);
    option.orientation = header->orientation();
    option.text = caption;
    option.fontMetrics = header->fontMetrics();
    if (header->isSortIndicatorShown())
        option.sortIndicator = QStyleOptionHeader::SortDown;
    const QSize size = header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header);
    return size.width() + 2;
}

int TQSortListView::sortColumn() const
{
    const int column = horizontalHeader()->sortIndicatorSection();
    return column >= 0 && column < columnCount() ? column : -1;
}

TSortDirection TQSortListView::sortDirection() const
{
    return horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder ? sdDescending : sdAscending;
}

bool TQSortListView::setSortColumn(int column)
{
    if (column < -1 || column >= columnCount())
        return false;
    if (column != sortColumn())
        horizontalHeader()->setSortIndicator(column, horizontalHeader()->sortIndicatorOrder());
    return true;
}

void TQSortListView::setSortDirection(TSortDirection direction)
{
    if (direction != sortDirection())
        horizontalHeader()->setSortIndicator(horizontalHeader()->sortIndicatorSection(),
                                             direction == sdDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TQSortListView::setSort(int column, TSortDirection direction)
{
    if (column < -1 || column >= columnCount())
        column = sortColumn();
    horizontalHeader()->setSortIndicator(column, direction == sdDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool TQSortListView::sort()
{
    return m_model->sortRows(sortColumn(), sortDirection());
}

void TQSortListView::setMultiSelect(bool on)
{
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TQSortListView::multiSelect() const
{
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

std::vector<int> TQSortListView::selectedRows() const
{
    // Read from the selection's ranges, not per cell: a select-all over millions of rows is one range.
    std::vector<int> rows;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int TQSortListView::selectedCount() const
{
    return static_cast<int>(selectedRows().size());
}

int TQSortListView::selectedRow() const
{
    int first = -1;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    return first;
}

void TQSortListView::setSelectedRow(int row)
{
    if (row < 0 || row >= m_model->rowCount() || columnCount() == 0) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TQSortListView::deleteSelected()
{
    if (m_model->isOwnerData())
        return;
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    int target = rows.front();
    if (target == m_model->rowCount() - 1)
        --target;
    // Remove runs of rows from the bottom up, so the indexes above stay valid.
    for (size_t end = rows.size(); end > 0;) {
        size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] + 1 == rows[begin])
            --begin;
        m_model->removeRows(rows[begin], static_cast<int>(end - begin));
        end = begin;
    }
    if (target >= 0 && target < m_model->rowCount())
        setSelectedRow(target);
}

int TQSortListView::visibleRowCount() const
{
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? viewport()->height() / rowHeight : 0;
}
