#pragma once

class TQSortListView;

// Moving, exchanging and scrolling the items of an item list (the rows are the indexes; -1 means
// no item). The field list of the export and the scenario lists use them.

// The id of the record the item shows; -1 for no item.
int ListItemId(const TQSortListView &view, int row);
// The first row whose id is the given one; -1 when there is none.
int FindListItemById(const TQSortListView &view, int id);
// Swaps the contents of two items when both exist.
void ExchangeListItems(TQSortListView &view, int i, int j);
// Moves the item so that it ends up at newIndex (clamped to the last row); returns its new row,
// or -1 when the item is missing or newIndex is negative.
int MoveListItem(TQSortListView &view, int row, int newIndex);
// Scrolls the list as little as needed to show the row fully.
void ScrollItemIntoView(TQSortListView &view, int row);
void ScrollSelectedIntoView(TQSortListView &view);
// Exchange the selected item with its neighbour, keep it selected and in view.
void MoveSelectedItemUp(TQSortListView &view);
void MoveSelectedItemDown(TQSortListView &view);
// The last item of the run of checked items that starts at row 0; -1 when there is none.
int LastLeadingCheckedItem(const TQSortListView &view);
// Moves the checked items to the top, both groups keeping their order; the selection follows.
void MoveCheckedItemsToTop(TQSortListView &view);
