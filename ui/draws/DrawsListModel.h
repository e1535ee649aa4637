#pragma once

#include "lottery/DrawTypes.h"

#include <QAbstractTableModel>
#include <QColor>
#include <functional>

// The draws list of the main window: newest draw first, one row per draw, nothing stored per row.
class TDrawsListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColNumber = 0, ColMain1 = 1, ColExtra1 = 7, ColExtra2 = 8, ColSum = 9, ColDate = 10, ColumnCount = 11 };

    explicit TDrawsListModel(const TDrawsArray &draws, QObject *parent = nullptr);

    // The row count follows the array after this call (the list's item count).
    void refreshRowCount(bool force);
    // Repaints every row without changing the count.
    void repaintAll();

    void setSortedNumbers(bool sorted) { m_sorted = sorted; }
    void setColored(bool colored) { m_colored = colored; }
    void setHighlightedRow(int row) { m_highlightedRow = row; }
    // Gives the background colour of a main number (the colour of its channel).
    void setNumberColorFunc(std::function<QColor(int)> func) { m_numberColor = std::move(func); }

    // The index in the draws array of a list row, -1 outside.
    int drawIndexOfRow(int row) const;
    static int columnWidth(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TDrawsArray &m_draws;
    int m_rows = 0;
    bool m_sorted = false;
    bool m_colored = true;
    int m_highlightedRow = 0;
    std::function<QColor(int)> m_numberColor;
};
