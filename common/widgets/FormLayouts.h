#pragma once

#include "common/FormStore.h"

#include <QString>

class QTableView;
class QWidget;

// The placement of windows and the layouts of their lists and grids in the settings store.
// The section is the owning window's class name ("TTemplateMain"); a list or grid is stored under
// its object name ("lvDraws.Column0=60").
//
// Each function comes twice: with a store, to which it only writes (the caller saves it once after
// writing several layouts), and without, which reads or writes the store file at once.

// The placement: show state, screen density and the normal rectangle, under keys both general and
// for the current screen size. Minimised and maximised positions do not exist on this desktop and are
// written as -1.
void SaveFormPlacement(FormStore &store, const QString &section, const QWidget *window);
void SaveFormPlacement(const QString &section, const QWidget *window);

// Restores what was saved. The position is taken only when it was saved at the current screen
// density; a window of fixed size keeps its size; the rectangle comes back whole inside the free area
// of the screen it lies on (shrunk when it was saved on a larger screen), or of the primary screen
// when it lies on none. The state: normal, minimised or maximised as stored (other values leave the
// window's state). Nothing happens when both flags are false.
void RestoreFormPlacement(const FormStore &store, const QString &section, QWidget *window, bool loadState,
                          bool loadPosition);
void RestoreFormPlacement(const QString &section, QWidget *window, bool loadState, bool loadPosition);

// Moves and, when needed, shrinks a shown window so that it lies whole, its frame included, inside the
// free area of its screen (the frame is known only once the window is shown).
void KeepWindowOnScreen(QWidget *window);

// A list: grid lines and multiple selection (withFlags), the sort column and direction of a sortable
// list (its header shows a sort indicator or the view sorts), and the column widths.
// The sort is restored through the header's sort indicator, which sorts the list as a click does;
// a saved column that the list no longer has is ignored.
void SaveListViewSettings(FormStore &store, const QString &section, const QTableView *view, bool withFlags);
void SaveListViewSettings(const QString &section, const QTableView *view, bool withFlags);
void RestoreListViewSettings(const FormStore &store, const QString &section, QTableView *view, bool withFlags);
void RestoreListViewSettings(const QString &section, QTableView *view, bool withFlags);

// A grid: the column widths only.
void SaveGridColumns(FormStore &store, const QString &section, const QTableView *grid);
void SaveGridColumns(const QString &section, const QTableView *grid);
void RestoreGridColumns(const FormStore &store, const QString &section, QTableView *grid);
void RestoreGridColumns(const QString &section, QTableView *grid);
