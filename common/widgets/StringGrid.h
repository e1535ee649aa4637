#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <vector>

class TQOwnerDrawGrid;

// Cell texts asked from and handed to the grid's owner, in grid coordinates: column and row count
// the fixed (heading) column and row too, as the owner's tables do.
using TGetTextFn = std::function<QString(int col, int row)>;
using TSetTextFn = std::function<void(int col, int row, const QString &value)>;
// Draws over a cell after the default drawing (or instead of it when default drawing is off).
using TDrawCellFn = std::function<void(QPainter *painter, const QRect &rect, int col, int row, bool selected)>;

// The Qt model behind the grid: the scrolling cells, the fixed row and column as headers.
class TGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TGridModel(TQOwnerDrawGrid *grid);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    friend class TQOwnerDrawGrid;
    TQOwnerDrawGrid *m_grid;
};

// A grid that holds no texts of its own: every cell text comes from its owner, so large tables
// show without being copied. Row 0 and column 0 may be fixed (headings).
class TQOwnerDrawGrid : public QTableView {
    Q_OBJECT
public:
    explicit TQOwnerDrawGrid(QWidget *parent = nullptr);

    void setOnGetCellText(TGetTextFn fn) { m_getText = std::move(fn); invalidateAll(); }
    void setOnSetCellText(TSetTextFn fn) { m_setText = std::move(fn); }
    void setOnDrawCell(TDrawCellFn fn) { m_drawCell = std::move(fn); viewport()->update(); }
    void setDefaultDrawing(bool on) { m_defaultDrawing = on; viewport()->update(); }
    bool defaultDrawing() const { return m_defaultDrawing; }

    // Size in grid coordinates, fixed row and column included.
    void setColCount(int count);
    void setRowCount(int count);
    int colCount() const { return m_colCount; }
    int rowCount() const { return m_rowCount; }
    // 0 or 1.
    void setFixedCols(int count);
    void setFixedRows(int count);
    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    void setColWidth(int col, int width);
    // Fits every column to its caption in the fixed top row: a caption of two or more words that is
    // too wide for its column is written on two lines (the heading takes their height) and the column
    // is widened only as far as the wider line needs.
    void fitColumnsToCaptions();
    // Where the caption of a column stands in its heading (centred unless set): a wide column whose
    // caption stands at its left shows the caption even while only its start is in view.
    void setCaptionAlignment(int col, Qt::Alignment alignment);
    int colWidth(int col) const;
    // Cells may be edited in place (Tab then moves to the next cell).
    void setEditing(bool on);
    bool editing() const { return m_editing; }

    // The current cell in grid coordinates (-1 when there is none).
    int col() const;
    int row() const;
    void setCurrentCell(int col, int row);

    QString getCellText(int col, int row) const;
    void setCellText(int col, int row, const QString &value);
    // Repaints the cell; the in-place editor of the current cell shows the new text too, unless
    // the text is being stored from that editor.
    void invalidateCellText(int col, int row);
    // Every cell is asked again.
    void invalidateAll();

    QModelIndex indexOfCell(int col, int row) const;

protected:
    // The text the in-place editor starts with.
    virtual QString getEditText(int col, int row) const;
    // The text typed into a cell: stored only when it differs from the cell's text.
    virtual void setEditText(int col, int row, const QString &value);

private:
    friend class TGridModel;
    friend class TGridDelegate;
    void resetModel(const std::function<void()> &change);

    TGridModel *m_model;
    TGetTextFn m_getText;
    TSetTextFn m_setText;
    TDrawCellFn m_drawCell;
    int m_colCount = 5;
    int m_rowCount = 5;
    int m_fixedCols = 0;
    int m_fixedRows = 0;
    int m_editLock = 0;
    bool m_editing = false;
    bool m_defaultDrawing = true;
    std::vector<std::pair<int, Qt::Alignment>> m_captionAlignments; // grid column -> alignment
    std::vector<std::pair<QString, QString>> m_wrappedCaptions;      // caption -> on two lines
};

// A grid that keeps its texts itself.
class TStringGrid : public TQOwnerDrawGrid {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget *parent = nullptr);

    QString cells(int col, int row) const;
    void setCells(int col, int row, const QString &value);
    // Every text cleared; the size stays.
    void clearCells();

private:
    std::vector<std::vector<QString>> m_cells; // [row][col], grown on demand
};
