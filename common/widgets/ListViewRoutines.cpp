#include "common/widgets/ListViewRoutines.h"

#include "common/widgets/ListView.h"

#include <QItemSelectionModel>

namespace {

bool validRow(const TListViewModel &model, int row)
{
    return !model.isOwnerData() && row >= 0 && row < model.rowCount();
}

} // namespace

int ListItemId(const TQSortListView &view, int row)
{
    const TListViewModel &model = *view.listModel();
    return validRow(model, row) ? model.item(row).id : -1;
}

int FindListItemById(const TQSortListView &view, int id)
{
    const TListViewModel &model = *view.listModel();
    if (model.isOwnerData())
        return -1;
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.item(row).id == id)
            return row;
    return -1;
}

void ExchangeListItems(TQSortListView &view, int i, int j)
{
    view.listModel()->exchangeItems(i, j);
}

int MoveListItem(TQSortListView &view, int row, int newIndex)
{
    TListViewModel &model = *view.listModel();
    if (!validRow(model, row) || newIndex < 0)
        return -1;
    newIndex = std::min(newIndex, model.rowCount() - 1);
    return model.moveItem(row, newIndex) ? newIndex : -1;
}

void ScrollItemIntoView(TQSortListView &view, int row)
{
    if (row < 0 || row >= view.listModel()->rowCount() || view.columnCount() == 0)
        return;
    view.scrollTo(view.listModel()->index(row, 0), QAbstractItemView::EnsureVisible);
}

void ScrollSelectedIntoView(TQSortListView &view)
{
    ScrollItemIntoView(view, view.selectedRow());
}

void MoveSelectedItemUp(TQSortListView &view)
{
    const int row = view.selectedRow();
    if (!validRow(*view.listModel(), row) || row < 1)
        return;
    view.listModel()->exchangeItems(row, row - 1);
    view.setSelectedRow(row - 1);
    ScrollItemIntoView(view, row - 1);
}

void MoveSelectedItemDown(TQSortListView &view)
{
    const int row = view.selectedRow();
    if (!validRow(*view.listModel(), row) || row >= view.listModel()->rowCount() - 1)
        return;
    view.listModel()->exchangeItems(row, row + 1);
    view.setSelectedRow(row + 1);
    ScrollItemIntoView(view, row + 1);
}

int LastLeadingCheckedItem(const TQSortListView &view)
{
    const TListViewModel &model = *view.listModel();
    if (model.isOwnerData())
        return -1;
    int row = 0;
    while (row < model.rowCount() && model.item(row).checked)
        ++row;
    return row - 1;
}

void MoveCheckedItemsToTop(TQSortListView &view)
{
    // Rows are moved through the model, so the selection and the current row follow their items.
    TListViewModel &model = *view.listModel();
    if (model.isOwnerData())
        return;
    int top = LastLeadingCheckedItem(view) + 1;
    for (int row = top; row < model.rowCount(); ++row) {
        if (!model.item(row).checked)
            continue;
        if (row > top)
            model.moveItem(row, top);
        ++top;
    }
}
