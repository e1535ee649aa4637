#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

enum TSortDirection { sdAscending, sdDescending };

// One row of an ordinary (item) list: the caption and the sub-items, a check mark, the id of the
// record it shows and any further data of its owner.
struct TListItem {
    QStringList texts;
    bool checked = false;
    int id = -1;
    QVariant data;

    QString caption() const { return texts.value(0); }
};

// Colours of one cell; an invalid colour keeps the view's own.
struct TCellColors {
    QColor text;
    QColor background;
};

using TListTextFn = std::function<QString(int row, int column)>;
using TListColorFn = std::function<TCellColors(int row, int column)>;
// The image of a cell (an icon or pixmap), or an empty value for none.
using TListDecorationFn = std::function<QVariant(int row, int column)>;
// Sorts the owner's data of an owner-data list.
using TOwnerSortFn = std::function<void(int column, TSortDirection direction)>;
// Called after the built-in comparison of two items with the sort column; returns the final result.
using TListCompareFn = std::function<int(const TListItem &a, const TListItem &b, int column, int compare)>;

// The model of the program's report lists. It works in one of two ways:
// - item list: the model keeps the rows (TListItem) and sorts them itself;
// - owner data: the model keeps nothing per row; every cell text is asked from the owner, and
//   sorting is the owner's business (TOwnerSortFn), so lists of millions of rows cost nothing.
class TListViewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TListViewModel(QObject *parent = nullptr);

    // Columns.
    int addColumn(const QString &caption, Qt::Alignment alignment = Qt::AlignLeft);
    void setColumnCaption(int column, const QString &caption);
    QString columnCaption(int column) const;
    void setColumnAlignment(int column, Qt::Alignment alignment);
    Qt::Alignment columnAlignment(int column) const;
    void clearColumns();

    // Owner data.
    bool isOwnerData() const { return static_cast<bool>(m_ownerText); }
    void setOwnerData(TListTextFn text);
    void setOwnerSort(TOwnerSortFn sort) { m_ownerSort = std::move(sort); }
    bool hasOwnerSort() const { return static_cast<bool>(m_ownerSort); }
    // Number of rows of an owner-data list.
    void setRowCount(int count);
    // The owner's data changed: every visible cell is asked again.
    void refresh();

    // Item list.
    void setCheckBoxes(bool on);
    bool checkBoxes() const { return m_checkBoxes; }
    int addItem(const TListItem &item);
    void insertItem(int row, const TListItem &item);
    void setItem(int row, const TListItem &item);
    const TListItem &item(int row) const { return m_items.at(static_cast<size_t>(row)); }
    const std::vector<TListItem> &items() const { return m_items; }
    void setChecked(int row, bool checked);
    void clearItems();
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    // Moves the item at from to the index to (as it would be found after the move).
    bool moveItem(int from, int to);
    void exchangeItems(int a, int b);

    // Text of a cell in either mode.
    QString cellText(int row, int column) const;
    void setCellColors(TListColorFn colors) { m_colors = std::move(colors); }
    void setDecoration(TListDecorationFn decoration) { m_decoration = std::move(decoration); }
    void setCompare(TListCompareFn compare) { m_compare = std::move(compare); }

    // Sorts by the column (-1 leaves the order as it is). An item list sorts stably by the
    // texts of the column with the captions as the tie-break; an owner-data list hands the sort to its
    // owner. Returns false for an owner-data list without an owner sort.
    bool sortRows(int column, TSortDirection direction);
    // The comparison of two items by the column, with the direction and the owner's hook.
    int compareItems(const TListItem &a, const TListItem &b, int column, TSortDirection direction) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    struct Column {
        QString caption;
        Qt::Alignment alignment;
    };
    void applyOrder(const std::vector<int> &order);

    std::vector<Column> m_columns;
    std::vector<TListItem> m_items;
    TListTextFn m_ownerText;
    TOwnerSortFn m_ownerSort;
    TListColorFn m_colors;
    TListDecorationFn m_decoration;
    TListCompareFn m_compare;
    int m_ownerRows = 0;
    bool m_checkBoxes = false;
};
