#pragma once

#include "lottery/DrawTypes.h"

#include <QObject>

class QAction;
class QWidget;
class TStatList;
class TStatisticsPage;

// ---- Loading and saving the statistic settings around the registry's own routines ----

// The generation settings, the statistic settings and the shredding formulas from "Vendra.ini", under
// the busy cursor with the status text "Загрузка файла конфигурации...".
void LoadStatConfig(TStatList &list);
// What the settings dialogs save: the statistic settings, or (shredding) the formulas instead.
// Raises what the registry raises on a write error.
void SaveStatConfig(const TStatList &list, bool shredding = false);
// The registry with the window's archive, rebuilt, with the favourites file read.
void LoadFavoritesFile(TStatList &list, const TDrawsArray &draws);

// After a change of what the methods depend on (matrix columns, channel size, segments, formulas) or of
// the favourites: the favourites file is written, the registry rebuilt and the file read again, and the
// method lists refilled; keep holds the method shown. Without a page only the registry is reloaded.
void ReloadStatMethods(TStatList &list, TStatisticsPage *page, bool keep);

// The main window's commands of the statistic settings and the favourite methods, with their update
// handler. The window puts the actions into its menus and calls updateActions() with its other update
// handlers; what follows a change outside the registry and the method lists (the all-combinations
// distributions, the views) is the window's, through the signals.
class TStatSettingsActions : public QObject {
    Q_OBJECT
public:
    // The page may be nullptr (the lists are then not refilled); window is the dialogs' parent.
    TStatSettingsActions(TStatList &list, TStatisticsPage *page, QWidget *window);

    QAction *editConfigAction() const { return m_actEditConfig; }
    QAction *editShreddingAction() const { return m_actEditShredding; }
    QAction *filtersManagerAction() const { return m_actFiltersManager; }
    QAction *filtersResetAction() const { return m_actFiltersReset; }
    QAction *filtersInfoAction() const { return m_actFiltersInfo; }

    void updateActions();

    // The commands as the actions run them; true when something changed.
    bool EditConfig();
    bool EditShredding();
    bool FiltersManager();
    bool FiltersReset();
    bool FiltersInfo();

signals:
    // The game parameters were confirmed and saved, the method lists refilled. flags: the statistic
    // groups whose all-combinations distributions are stale (TStatChangeFlag; 0 when none is). The
    // window rebuilds those, refreshes its views fully and repaints the card, draws and combinations.
    void configChanged(int flags);
    // The formulas were confirmed and saved, the method lists refilled; flags is scfShredding.
    void shreddingChanged(int flags);
    // The favourites, names or display options changed and the lists were refilled: the window
    // refreshes its views with force.
    void favouritesChanged();

private:
    QAction *makeAction(const QString &name, const QString &caption, bool (TStatSettingsActions::*command)());

    TStatList &m_list;
    TStatisticsPage *m_page;
    QWidget *m_window;
    QAction *m_actEditConfig;
    QAction *m_actEditShredding;
    QAction *m_actFiltersManager;
    QAction *m_actFiltersReset;
    QAction *m_actFiltersInfo;
};
