#pragma once

#include <QObject>

class QAction;
class TLayoutPage;
class TTemplateMain;
struct MainLayoutSizes;

// The layout view ("Схема" tab with its comparison lists and layout filter) and the repeats analysis
// window, with their commands in the main window's menus.
class TLayoutFeature : public QObject {
    Q_OBJECT
public:
    explicit TLayoutFeature(TTemplateMain &window);

    TLayoutPage *page() const { return m_page; }
    // Whether the tab is switched on ("TabLayout") and is the current main page.
    bool tabShown() const;
    // Shows or hides the tab and stores the choice; showing refreshes both parts and switches to the tab.
    void setTabEnabled(bool on);

    // Start-up: the page's designed sizes go into the sizes before they are read from the store, and
    // the read sizes come back into the page. Shutdown: the page's sizes go into the sizes to be saved.
    void storeSizes(MainLayoutSizes &sizes) const;
    void applySizes(const MainLayoutSizes &sizes);

    // Keeps (or deletes) the combinations with one of the numbers of the selected cells.
    void layoutFilter(bool deleting);
    // Enables the commands for the current state.
    void updateActions();

    QAction *filterIncludeAction() const { return m_actInclude; }
    QAction *filterExcludeAction() const { return m_actExclude; }
    QAction *exportAction() const { return m_actExport; }
    QAction *tabAction() const { return m_actTab; }
    QAction *repeatsAction() const { return m_actRepeats; }

private:
    TTemplateMain &m_window;
    TLayoutPage *m_page;
    bool m_tabOn = true;
    bool m_gradient = true;
    QAction *m_actInclude;
    QAction *m_actExclude;
    QAction *m_actExport;
    QAction *m_actTab;
    QAction *m_actRepeats;
};

// Creates the feature in the main window (tab, menus, views and command updates).
TLayoutFeature *InstallLayoutFeature(TTemplateMain &window);
