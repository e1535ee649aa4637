#pragma once

#include "online/SystemsLibrary.h"
#include "app/stakes/SystemGame.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

class QAction;
class QMenu;
class TQSortListView;
class TTemplateMain;

// The "Системы" page of the main window: the systems of the online catalogue with their state,
// the commands that download, publish, change and delete them, the page's on/off switch and the two
// system games. The page, its menu and its commands install themselves in the window.
class TSystemsPage : public QWidget {
    Q_OBJECT
public:
    explicit TSystemsPage(TTemplateMain &window);

    static QString caption();

    TSystemsLibrary &library() { return m_library; }
    TQSortListView *list() const { return m_list; }
    QMenu *menu() const { return m_menu; }

    // The dialogs the commands open; tests give their own answers.
    void setSystemDialog(TSystemDialogFn dialog);
    void setMultiDialog(std::function<bool(int &drawNumber, int &draws, QString &comment)> dialog)
    {
        m_multiDialog = std::move(dialog);
    }

    // Start-up: the menu shows, the page and the two games as "SystemsEnabled" says; the list is
    // loaded when the page shows and loading is asked for (not in a batch run).
    void InitSystemsPage(bool loadList);
    // Reloads the list from the catalogue, keeping the selected system selected.
    void LoadSystemsList();
    bool pageShown() const { return m_shown; }
    // The catalogue index of the item in a list row (-1 for none).
    int libraryIndex(int row) const;
    // The list row of the library's item (-1 for none).
    int rowOf(int libraryIndex) const;

    void updateActions();

    // The commands.
    void systemsOn();
    void systemsRefresh();
    void systemsDownload();
    void systemsAdd();
    void systemsProp();
    void systemsDel();
    void systemStakeAll();
    void systemStakeFilter();

    QAction *onAction() const { return m_actOn; }
    QAction *refreshAction() const { return m_actRefresh; }
    QAction *downloadAction() const { return m_actDownload; }
    QAction *addAction() const { return m_actAdd; }
    QAction *propAction() const { return m_actProp; }
    QAction *delAction() const { return m_actDel; }
    QAction *stakeAllAction() const { return m_actStakeAll; }
    QAction *stakeFilterAction() const { return m_actStakeFilter; }

private:
    void buildList();
    void buildActions();
    QAction *makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                        void (TSystemsPage::*command)());
    void guarded(const std::function<void()> &command);
    void showPage(bool shown);
    void rebuildItems();
    void refreshRow(int libraryIndex);
    int selectedIndex() const;
    void stakeSystem(bool filtered);
    bool combsAny() const;
    // Ctrl+J (and the other keys of the system games) belongs to the shown page's own command on that key
    // when the shown page has one, to this page's command otherwise: one key, one command at a time.
    void shareKeysWithShownPage();

    TTemplateMain &m_window;
    TSystemsLibrary m_library;
    TQSortListView *m_list = nullptr;
    QMenu *m_menu = nullptr;
    std::function<bool(int &, int &, QString &)> m_multiDialog;
    bool m_shown = false;

    QAction *m_actOn = nullptr;
    QAction *m_actRefresh = nullptr;
    QAction *m_actDownload = nullptr;
    QAction *m_actAdd = nullptr;
    QAction *m_actProp = nullptr;
    QAction *m_actDel = nullptr;
    QAction *m_actStakeAll = nullptr;
    QAction *m_actStakeFilter = nullptr;
    QList<QPointer<QAction>> m_keyTakers; // the shown page's commands that have this page's keys
};

// Creates the page, its "Системы" menu and its command updates in the window.
TSystemsPage *InstallSystems(TTemplateMain &window);
