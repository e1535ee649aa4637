#pragma once

#include "common/widgets/ListViewModel.h"

#include <QTableView>

class QHeaderView;

#include <vector>

// The report list of the program: rows selected whole, columns with captions, widths and
// alignments set by the caller, sorting by a click on a column caption (the same column again
// reverses the order, another column sorts ascending) with numbers compared as numbers.
//
// The sort column and direction live in the horizontal header's sort indicator, so code that saves
// and restores the header (QHeaderView::setSortIndicator, QTableView::sortByColumn) sorts the list
// the same way as a click does. Column -1 means no sorting.
class TQSortListView : public QTableView {
    Q_OBJECT
public:
    explicit TQSortListView(QWidget *parent = nullptr);

    TListViewModel *listModel() const { return m_model; }

    // A column at least as wide as its caption needs (with room for the sort mark).
    int addColumn(const QString &caption, int width, Qt::Alignment alignment = Qt::AlignLeft);
    int columnCount() const { return m_model->columnCount(); }

    // -1 when the list is not sorted.
    int sortColumn() const;
    TSortDirection sortDirection() const;
    // Sorts by the column when it differs from the current one. A column outside -1..columns-1 is
    // ignored (false), so a stale saved layout cannot break the window.
    bool setSortColumn(int column);
    void setSortDirection(TSortDirection direction);
    void setSort(int column, TSortDirection direction);
    // Sorts again by the current column (after the data changed). False for an owner-data list
    // without an owner sort.
    bool sort();

    void setMultiSelect(bool on);
    bool multiSelect() const;
    // Selected rows in ascending order.
    std::vector<int> selectedRows() const;
    int selectedCount() const;
    // The first selected row, or -1.
    int selectedRow() const;
    // Selects just that row and makes it current; -1 clears the selection.
    void setSelectedRow(int row);
    // Removes the selected items of an item list and selects the item that took the place of the
    // first of them (the new last item when the last was removed).
    void deleteSelected();
    // Number of rows fully visible in the viewport.
    int visibleRowCount() const;

private:
    TListViewModel *m_model;
};

// The width a header section needs to show the caption whole, its margins and sort mark included.
int HeaderCaptionWidth(const QHeaderView *header, const QString &caption);
