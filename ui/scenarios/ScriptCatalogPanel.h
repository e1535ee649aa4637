#pragma once

#include "online/ScriptInfo.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class QAction;
class QComboBox;
class TQSortListView;
class TScenarioPage;
class TTemplateMain;
struct MainLayoutSizes;
struct MainOptions;

// Asks for the comment that goes with a mark ("Комментарий"); false when cancelled. Tests install
// their own answer; nullptr restores the input box.
using ScriptCommentInput = std::function<bool(QWidget *parent, QString &comment)>;
void SetScriptCommentInput(ScriptCommentInput input);

// The online scenario catalogue under the scenario list: the scenarios users have published, filtered
// by the drop-down list, with the commands that download, rate, hide, publish, replace, delete and
// show them.
class TScriptCatalogPanel : public QWidget {
    Q_OBJECT
public:
    // The panel puts itself under the page's scenario list.
    explicit TScriptCatalogPanel(TScenarioPage &page);

    // The filter items; an item's filter id is its index - 1.
    static QStringList filterCaptions();
    static constexpr int kDefaultFilterIndex = 2;
    static constexpr int kRateActions = 6;   // marks 0..5

    QComboBox *filterBox() const { return m_cbFilter; }
    TQSortListView *list() const { return m_lvOnlineScripts; }

    QAction *libraryAction() const { return m_actLibrary; }
    QAction *refreshAction() const { return m_actRefresh; }
    QAction *downloadAction() const { return m_actDownload; }
    QAction *rateAction(int mark) const { return m_actRate[static_cast<size_t>(mark)]; }
    QAction *hideAction() const { return m_actHide; }
    QAction *uploadAction() const { return m_actUpload; }
    QAction *replaceAction() const { return m_actReplace; }
    QAction *deleteAction() const { return m_actDelete; }
    QAction *viewAction() const { return m_actView; }
    QAction *ratesAction() const { return m_actRates; }

    // Whether the panel is shown (the option ScriptLibraryOn), whatever the window's own state.
    bool panelShown() const { return m_shown; }
    // Shows or hides the panel and its splitter, without writing the option or loading.
    void setPanelShown(bool shown);
    int panelHeight() const;
    void setPanelHeight(int height);
    int filterIndex() const;
    // Selects the filter item (an index outside the items takes the default) without loading.
    void setFilterIndex(int index);

    // The window's options, which the panel switch keeps up to date (without them the switch writes its
    // key alone).
    void setOptions(MainOptions *options) { m_options = options; }
    // The window's stored options into the panel, and the panel's sizes back (at shutdown).
    void applyOptions(const MainOptions &options, const MainLayoutSizes &sizes);
    void readSizes(MainLayoutSizes &sizes) const;
    // The start-up load (not in batch runs, nor while no catalogue host is set); from now on the filter
    // reloads the catalogue when it changes.
    void startUp();

    // The selected scenario, nullptr without a selection.
    const tScriptInfo *selectedInfo() const;
    // Selects the first item of the scenario id and scrolls to it; false when there is none.
    bool selectScript(int scriptId);

    void updateActions();

    // ---- Commands ----
    // Clears the list and, while the panel is shown, fills it from the catalogue with the current
    // filter, selecting again the scenario selected before.
    void LoadScriptCatalog();
    // ScriptLibrary: toggles the panel, writes ScriptLibraryOn and reloads.
    void toggleLibrary();
    void downloadSelected();
    void rateSelected(int mark);
    void PublishScript(const QStringList &lines, int lcid, int defaultLcid);
    void ReplaceScript(const QStringList &lines, int defaultLcid);
    void DeleteScriptItem();
    void ViewScriptProperties(int defaultLcid);
    void showRates();

    // The item of a scenario: its texts, and the record it owns.
    void addScriptItem(const tScriptInfo &info);
    // The one line of a list that cannot be loaded because no catalogue host is set.
    void showUnavailable();
    void refreshScriptItem(int row, const tScriptInfo &info);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void applyHeight();
    QAction *makeAction(const QString &caption, const QString &name, void (TScriptCatalogPanel::*command)());
    void buildActions();
    void guarded(const std::function<void()> &command);
    bool idle() const;

    TScenarioPage &m_page;
    MainOptions *m_options = nullptr;
    QComboBox *m_cbFilter;
    TQSortListView *m_lvOnlineScripts;
    bool m_shown = true;
    bool m_filterLive = false;
    int m_height = 160;

    QAction *m_actLibrary = nullptr;
    QAction *m_actRefresh = nullptr;
    QAction *m_actDownload = nullptr;
    std::array<QAction *, kRateActions> m_actRate{};
    QAction *m_actHide = nullptr;
    QAction *m_actUpload = nullptr;
    QAction *m_actReplace = nullptr;
    QAction *m_actDelete = nullptr;
    QAction *m_actView = nullptr;
    QAction *m_actRates = nullptr;
};

// Puts the panel under the scenario list of the window, its switch into the scenario menu and its
// commands into the window's command updates.
TScriptCatalogPanel *InstallScriptCatalog(TTemplateMain &window);
