#pragma once

#include "app/settings/MainOptions.h"

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class TCardPage;
class TTemplateMain;
class TWeekPage;

// The card and week views of the main window with their commands, and the colour options of the
// view menu ("Вид").
class TCardWeekFeature : public QObject {
    Q_OBJECT
public:
    explicit TCardWeekFeature(TTemplateMain &window);

    TCardPage *cardPage() const { return m_card; }
    TWeekPage *weekPage() const { return m_week; }
    QMenu *viewMenu() const { return m_viewMenu; }
    // Actions by object name ("CardFilter_Include", "ViewColorCard", "TabWeek", ...).
    QAction *action(const QString &name) const;

    // Start-up: the tabs as stored ("TabCard", "TabWeek") and the options' checks.
    void loadOptions();
    // "WeekLen" and "WeekHeight": the main window reads them before start-up (designed values) and
    // writes them at shutdown.
    void readSizes(MainLayoutSizes &sizes) const;
    void applySizes(const MainLayoutSizes &sizes);

    bool cardTabShown() const;
    bool weekTabShown() const;
    // Shows or hides a tab, writing its key; a shown tab is refreshed in full and made current.
    void setCardTabShown(bool shown);
    void setWeekTabShown(bool shown);

    void updateActions();

    // The filter commands of the two views.
    void cardFilter(bool deleting);
    void weekFilter(bool deleting);

private:
    QAction *makeAction(const QString &caption, const QString &name, bool checkable = false);
    void toggleColor(bool MainOptions::*option);
    void setTabShown(QWidget *page, const QString &key, bool shown);
    bool tabShown(QWidget *page) const;
    void guarded(const std::function<void()> &command);

    TTemplateMain &m_window;
    TCardPage *m_card;
    TWeekPage *m_week;
    QMenu *m_viewMenu = nullptr;
};

// Creates the two tabs, their commands and the view menu, and registers the views and the command
// updates with the main window.
TCardWeekFeature *InstallCardWeek(TTemplateMain &window);
