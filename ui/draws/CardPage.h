#pragma once

#include "app/views/CardModel.h"
#include "app/combinations/CombsFilter.h"

#include <QWidget>

class TCombsList;
class TDrawsArchive;
class TQOwnerDrawGrid;
class TStatList;
struct MainOptions;

// The "Карта" tab: the draws as a map, with the colours of channels, repeats and runs.
class TCardPage : public QWidget {
    Q_OBJECT
public:
    TCardPage(const TDrawsArchive &archive, const TStatList &stats, const MainOptions &options,
              QWidget *parent = nullptr);

    static QString caption();

    TQOwnerDrawGrid *grid() const { return m_grid; }
    const TCardModel &model() const { return m_model; }

    // Builds the card again when forced or when the archive changed since the last build. A card that
    // is not on screen only notes the request and builds when it is shown.
    void RefreshCard(bool force);
    // Repaints after a change of a colour option or of the channel size.
    void repaintCard();

    // The selected cells as one rectangle in grid coordinates (invalid without a selection).
    QRect selectedRect() const;
    // The card filters may run on the selection.
    bool filterable() const;
    // The numbers of the selected cells.
    TFilterSelection selection() const;
    // Saves the undo copy and keeps (or deletes) the combinations that hold a selected number; raises
    // "В выделенном диапазоне нет значений для фильтра!" when the selection holds no number.
    void FilterCombsByCard(TCombsList &list, bool deleting, const TFilterDraws &draws);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void drawCell(QPainter *painter, const QRect &rect, int col, int row, bool selected);

    const TDrawsArchive &m_archive;
    const TStatList &m_stats;
    const MainOptions &m_options;
    TCardModel m_model;
    TQOwnerDrawGrid *m_grid;
    bool m_forcePending = false;
};
