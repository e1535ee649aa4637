#pragma once

#include "app/combinations/CombsFilter.h"
#include "app/views/LayoutModel.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QAction;
class QSpinBox;
class QScrollArea;
class QSplitter;
class TSplitterPane;
class TDrawsArchive;
class TQSortListView;
class TStringGrid;
struct MainOptions;

// The "Схема" tab: the scheme of number appearances over the last draws and, under it, five lists that
// compare how often the numbers were drawn over five window lengths.
class TLayoutPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCompareLists = 5;

    TLayoutPage(const TDrawsArchive &archive, const MainOptions &options, QWidget *parent = nullptr);

    static QString caption();

    // The main window's draws offset; 0 without a source.
    void setDrawsOffsetSource(std::function<int()> source) { m_offsetSource = std::move(source); }
    // Whether the tab is on screen; the views compute only then. Without a check the page counts as shown.
    void setShownCheck(std::function<bool()> check) { m_shownCheck = std::move(check); }
    bool isShownTab() const { return !m_shownCheck || m_shownCheck(); }

    // Builds the scheme; unless forced, only when the archive, the offset or the length changed since.
    void RefreshLayout(bool force);
    // Fills the five comparison lists; unless forced, only when the archive or the offset changed.
    void RefreshLayoutLists(bool force);

    const TLayoutScheme &scheme() const { return m_scheme; }
    TStringGrid *grid() const { return m_grid; }
    QSpinBox *lengthEdit() const { return m_edLen; }
    QSpinBox *compareEdit(int k) const { return m_edCmp[static_cast<size_t>(k)]; }
    TQSortListView *compareList(int k) const { return m_lvCmp[static_cast<size_t>(k)]; }
    QAction *calcAction() const { return m_actCalc; }
    QAction *compareCalcAction() const { return m_actCmpCalc; }

    // The lengths and the height of the lists' panel, as the settings store keeps them.
    int layoutLen() const;
    void setLayoutLen(int value);
    int compareLen(int k) const;
    void setCompareLen(int k, int value);
    int compareHeight() const;
    void setCompareHeight(int height);

    // The numbers of the selected cells of the scheme.
    TFilterSelection selection() const;
    bool hasSelection() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintCell(QPainter *painter, const QRect &rect, int col, int row, bool selected) const;
    void showScheme();
    // Gives a comparison list the width that shows both its columns and their captions whole.
    static void fitCompareList(TQSortListView *list);
    int drawsOffset() const { return m_offsetSource ? m_offsetSource() : 0; }

    struct Cache {
        uint64_t revision = 0;
        int count = -1;
        int offset = -1;
        int length = -1;
        bool operator==(const Cache &o) const = default;
    };

    const TDrawsArchive &m_archive;
    const MainOptions &m_options;
    TLayoutScheme m_scheme;
    Cache m_schemeCache;
    Cache m_listsCache;

    QSpinBox *m_edLen;
    TStringGrid *m_grid;
    QSplitter *m_splitter;
    TSplitterPane *m_comparePane = nullptr;
    QScrollArea *m_compareScroll;
    QWidget *m_comparePanel;
    std::array<QSpinBox *, kCompareLists> m_edCmp{};
    std::array<TQSortListView *, kCompareLists> m_lvCmp{};
    QAction *m_actCalc;
    QAction *m_actCmpCalc;

    std::function<int()> m_offsetSource;
    std::function<bool()> m_shownCheck;
};
