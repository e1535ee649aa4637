#include "common/widgets/FormLayouts.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {
QScreen *WindowScreen(const QWidget *window)
{
    QScreen *screen = window->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

QSize ScreenSize(const QScreen *screen)
{
    return screen ? screen->geometry().size() : QSize();
}

int PixelsPerInch(const QScreen *screen)
{
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

// Keeps a restored rectangle where the user can reach it, whole: on the screen it mostly lies on (the
// primary screen when it lies on none, as when a monitor has gone), shrunk to that screen's free area
// when it was saved on a larger screen, and moved inside it.
QRect OntoScreens(const QRect &rect)
{
    const QScreen *best = nullptr;
    qint64 bestOverlap = 0;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(rect);
        const qint64 overlap = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (overlap > bestOverlap) {
            best = screen;
            bestOverlap = overlap;
        }
    }
    if (!best)
        best = QGuiApplication::primaryScreen();
    if (!best)
        return rect;
    const QRect area = best->availableGeometry();
    QRect fitted(rect.topLeft(), rect.size().boundedTo(area.size()));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
    return fitted;
}

bool IsSortable(const QTableView *view)
{
    return view->isSortingEnabled() || view->horizontalHeader()->isSortIndicatorShown();
}

std::vector<int> ColumnWidths(const QTableView *view)
{
    std::vector<int> widths;
    const int count = view->model() ? view->model()->columnCount() : 0;
    for (int i = 0; i < count; ++i)
        widths.push_back(view->columnWidth(i));
    return widths;
}

void ApplyColumnWidths(QTableView *view, const std::vector<int> &widths)
{
    for (size_t i = 0; i < widths.size(); ++i)
        if (view->columnWidth(static_cast<int>(i)) != widths[i])
            view->setColumnWidth(static_cast<int>(i), widths[i]);
}

ListLayout CurrentLayout(const QTableView *view)
{
    ListLayout layout;
    layout.gridLines = view->showGrid();
    layout.multiSelect = view->selectionMode() == QAbstractItemView::ExtendedSelection ||
                         view->selectionMode() == QAbstractItemView::MultiSelection;
    layout.sortable = IsSortable(view);
    const QHeaderView *header = view->horizontalHeader();
    layout.sortColumn = header->sortIndicatorSection();
    layout.sortDirection = header->sortIndicatorOrder() == Qt::DescendingOrder ? 1 : 0;
    layout.columnWidths = ColumnWidths(view);
    if (layout.sortColumn >= static_cast<int>(layout.columnWidths.size()))
        layout.sortColumn = -1;
    return layout;
}
} // namespace

void SaveFormPlacement(FormStore &store, const QString &section, const QWidget *window)
{
    const QScreen *screen = WindowScreen(window);
    FormPlacement placement;
    if (window->isMinimized())
        placement.showCmd = ShowCmdMinimized;
    else if (window->isMaximized() || window->isFullScreen())
        placement.showCmd = ShowCmdMaximized;
    placement.pixelsPerInch = PixelsPerInch(screen);
    const bool normal = !(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    placement.normalRect = normal ? window->geometry() : window->normalGeometry();
    if (placement.normalRect.isEmpty())
        placement.normalRect = window->geometry();
    WriteFormPlacement(store, section, placement, ScreenSize(screen));
}

void SaveFormPlacement(const QString &section, const QWidget *window)
{
    FormStore store;
    SaveFormPlacement(store, section, window);
    store.save();
}

void RestoreFormPlacement(const FormStore &store, const QString &section, QWidget *window, bool loadState,
                          bool loadPosition)
{
    if (!loadState && !loadPosition)
        return;
    if (loadPosition) {
        const QScreen *screen = WindowScreen(window);
        const QRect current = window->geometry();
        if (auto rect = ReadFormNormalRect(store, section, ScreenSize(screen), PixelsPerInch(screen), current)) {
            // A window that cannot be resized keeps its designed size.
            if (window->minimumSize() == window->maximumSize())
                rect->setSize(current.size());
            window->setGeometry(OntoScreens(*rect));
        }
    }
    if (loadState) {
        const Qt::WindowStates states = window->windowState();
        const FormWindowState now = states & Qt::WindowMinimized   ? FormWindowState::Minimized
                                    : states & Qt::WindowMaximized ? FormWindowState::Maximized
                                                                   : FormWindowState::Normal;
        const Qt::WindowStates plain = states & ~(Qt::WindowMinimized | Qt::WindowMaximized);
        switch (ShowCmdToWindowState(ReadFormShowCmd(store, section), now)) {
        case FormWindowState::Normal:
            window->setWindowState(plain);
            break;
        case FormWindowState::Minimized:
            window->setWindowState(plain | Qt::WindowMinimized);
            break;
        case FormWindowState::Maximized:
            window->setWindowState(plain | Qt::WindowMaximized);
            break;
        }
    }
}

void RestoreFormPlacement(const QString &section, QWidget *window, bool loadState, bool loadPosition)
{
    RestoreFormPlacement(FormStore(), section, window, loadState, loadPosition);
}

void KeepWindowOnScreen(QWidget *window)
{
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QRect frame = window->frameGeometry();
    const QRect fitted = OntoScreens(frame);
    if (fitted == frame)
        return;
    const QRect client = window->geometry();
    const QMargins border(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                          frame.bottom() - client.bottom());
    window->setGeometry(fitted.marginsRemoved(border));
}

void SaveListViewSettings(FormStore &store, const QString &section, const QTableView *view, bool withFlags)
{
    WriteListLayout(store, section, view->objectName(), CurrentLayout(view), withFlags);
}

void SaveListViewSettings(const QString &section, const QTableView *view, bool withFlags)
{
    FormStore store;
    SaveListViewSettings(store, section, view, withFlags);
    store.save();
}

void RestoreListViewSettings(const FormStore &store, const QString &section, QTableView *view, bool withFlags)
{
    const ListLayout current = CurrentLayout(view);
    const ListLayout stored = ReadListLayout(store, section, view->objectName(), current, withFlags);
    if (withFlags) {
        view->setShowGrid(stored.gridLines);
        if (stored.multiSelect != current.multiSelect)
            view->setSelectionMode(stored.multiSelect ? QAbstractItemView::ExtendedSelection
                                                      : QAbstractItemView::SingleSelection);
    }
    if (stored.sortable && (stored.sortColumn != current.sortColumn || stored.sortDirection != current.sortDirection))
        view->horizontalHeader()->setSortIndicator(stored.sortColumn,
                                                   stored.sortDirection ? Qt::DescendingOrder : Qt::AscendingOrder);
    ApplyColumnWidths(view, stored.columnWidths);
}

void RestoreListViewSettings(const QString &section, QTableView *view, bool withFlags)
{
    RestoreListViewSettings(FormStore(), section, view, withFlags);
}

void SaveGridColumns(FormStore &store, const QString &section, const QTableView *grid)
{
    WriteGridLayout(store, section, grid->objectName(), ColumnWidths(grid));
}

void SaveGridColumns(const QString &section, const QTableView *grid)
{
    FormStore store;
    SaveGridColumns(store, section, grid);
    store.save();
}

void RestoreGridColumns(const FormStore &store, const QString &section, QTableView *grid)
{
    ApplyColumnWidths(grid, ReadGridLayout(store, section, grid->objectName(), ColumnWidths(grid)));
}

void RestoreGridColumns(const QString &section, QTableView *grid)
{
    RestoreGridColumns(FormStore(), section, grid);
}
