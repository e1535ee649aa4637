#pragma once

#include "common/widgets/DialogSTemplate.h"

#include <QObject>
#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QMenu;
class QPushButton;
class TTemplateMain;
struct MainOptions;

// The window for a new user: where the help and the project's pages are.
class TFormFirstRun : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormFirstRun(QWidget *parent = nullptr);

    QPushButton *helpButton() const { return m_btnOpenHelpFile; }
    QCheckBox *disableBox() const { return m_cbDisable; }

private:
    QPushButton *m_btnOpenHelpFile;
    QCheckBox *m_cbDisable;
};

// "О программе": the title, the version and the project's addresses, each clickable.
class TFormAbout : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget *parent = nullptr);
};

// The help menu (help file, web links, about), the language menu and the first-run window.
class THelpFeature : public QObject {
    Q_OBJECT
public:
    explicit THelpFeature(TTemplateMain &window);

    // Window creation, after the language modules are initialised: finds the help file of the
    // current language (HelpFileName) and lists the languages in "menuLanguages".
    void BuildLanguageMenu();
    // End of the start-up: the first-run window while the option FirstRun is on.
    void ShowFirstRun();
    // Shows the about window.
    void showAbout();
    // Opens the help file, or says where it was looked for (also F1 in a modal dialog).
    void getHelp();

    // How the program restarts after the language changed; by default it starts its file again with
    // the switch "restart" and closes the window.
    void setRestartHandler(std::function<void()> restart) { m_restart = std::move(restart); }

    QMenu *helpMenu() const { return m_menuHelp; }
    QMenu *languagesMenu() const { return m_menuLanguages; }
    QAction *helpAction() const { return m_actGetHelp; }
    QAction *aboutAction() const { return m_actAbout; }
    const std::vector<QAction *> &linkActions() const { return m_linkActions; }
    const std::vector<QAction *> &languageActions() const { return m_languageActions; }

    void updateActions();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void chooseLanguage(int lcid);
    void restartProgram();

    TTemplateMain &m_window;
    QMenu *m_menuHelp;
    QMenu *m_menuLanguages;
    QAction *m_actGetHelp;
    QAction *m_actAbout;
    std::vector<QAction *> m_linkActions;
    std::vector<QAction *> m_languageActions;
    std::function<void()> m_restart;
};

// Adds the help menu, the language menu and the information window's commands to the main window.
THelpFeature *InstallHelpFeature(TTemplateMain &window);
