#pragma once

#include "common/widgets/ListView.h"
#include "app/scenarios/ScenarioList.h"

#include <QWidget>
#include <array>
#include <functional>

class QAction;
class QLabel;
class QSplitter;
class QStatusBar;
class TStatList;

// Asks for the name of a scenario file ("*.lsc"): the open dialog, or the save dialog that adds the
// extension; empty when cancelled. Tests install their own answer; nullptr restores the dialogs.
using ScenarioFileDialog = std::function<QString(QWidget *parent, bool save)>;
void SetScenarioFileDialog(ScenarioFileDialog dialog);
QString AskScenarioFileName(QWidget *parent, bool save);

// The line dialog: edits the line text under the caption ("Создание новой строки" or
// "Редактирование строки"), starting a new line with the given number of draws to leave out; true on OK.
using ScenarioLineDialog =
    std::function<bool(QWidget *parent, const QString &caption, int defaultDraws, QString &line)>;

// The "Сценарии" tab: the lines of the scenario (options, seven filters and comment of each) with the
// commands that edit them and exchange them as files, and the status bar of the scenario runs. The
// scenario is saved to "Vendra.lss" after every change.
class TScenarioPage : public QWidget {
    Q_OBJECT
public:
    explicit TScenarioPage(const TStatList &stats, QWidget *parent = nullptr);

    static QString caption();
    // "Строк: %d", panel 0 of the page's status bar.
    static QString countText(int count);
    static constexpr int kStatusPanels = 5;

    TScenarioList &scenario() { return m_scenario; }
    const TScenarioList &scenario() const { return m_scenario; }
    TQSortListView *scriptsList() const { return m_lvScripts; }
    // The list on top; the online catalogue panel goes below it.
    QSplitter *splitter() const { return m_splitter; }
    QStatusBar *statusBar() const { return m_statusBar; }
    // Panel 0 "Строк: %d"; panels 1..4 belong to the runner (cycle, line, stakes, filter or free text).
    QLabel *statusPanel(int index) const { return m_panels[static_cast<size_t>(index)]; }

    // The line dialog; adding, cloning and editing stay disabled until one is set.
    void setLineDialog(ScenarioLineDialog dialog) { m_lineDialog = std::move(dialog); }
    // The default number of draws of a new line: the combinations page's exclusion edit.
    void setDefaultDrawsSource(std::function<int()> source) { m_defaultDraws = std::move(source); }

    // Start-up: reads "Vendra.lss" (no file, no message).
    void LoadScenarioList();
    // A run holds the list: disabled (with every command) while it goes on.
    void setRunning(bool running);
    // Selects just that line and scrolls to it (the runner shows the line it runs).
    void selectLine(int index);
    // The first selected line, -1 without one.
    int selectedLine() const;
    std::vector<int> selectedLines() const;

    // Enables the commands for the current state; a busy section disables them all.
    void updateActions();

    // The commands (the actions run them).
    void scriptOpen();
    void scriptSave();
    void scriptLoad();
    void scriptAdd();
    void scriptEmpty();
    void scriptClone();
    void scriptEdit();
    void scriptDel();
    void scriptClr();
    void scriptUp();
    void scriptDown();
    void scriptCopy();
    void scriptPaste();

    QAction *openAction() const { return m_actOpen; }
    QAction *saveAction() const { return m_actSave; }
    QAction *loadAction() const { return m_actLoad; }
    QAction *addLineAction() const { return m_actAdd; }
    QAction *emptyAction() const { return m_actEmpty; }
    QAction *cloneAction() const { return m_actClone; }
    QAction *editAction() const { return m_actEdit; }
    QAction *delAction() const { return m_actDel; }
    QAction *clrAction() const { return m_actClr; }
    QAction *upAction() const { return m_actUp; }
    QAction *downAction() const { return m_actDown; }
    QAction *copyAction() const { return m_actCopy; }
    QAction *pasteAction() const { return m_actPaste; }

    // The texts of a row as the list shows them: comment, options, then filters 1..7 in their canonical
    // form; every column empty for a separator.
    static QString cellText(const QString &line, int column, const TStatList &stats);

private:
    void buildList();
    void buildActions();
    QAction *makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                        void (TScenarioPage::*command)());
    void refreshView();
    void moveSelected(int delta);
    // Appends lines as a new line is added: the selection cleared, the new lines selected and shown.
    void appendLines(const QStringList &lines);
    bool runLineDialog(const QString &caption, QString &line);
    bool canEditSelected() const;
    void guarded(const std::function<void()> &command);

    const TStatList &m_stats;
    TScenarioList m_scenario;

    QSplitter *m_splitter = nullptr;
    TQSortListView *m_lvScripts = nullptr;
    QStatusBar *m_statusBar = nullptr;
    std::array<QLabel *, kStatusPanels> m_panels{};
    bool m_running = false;

    QAction *m_actOpen = nullptr;
    QAction *m_actSave = nullptr;
    QAction *m_actLoad = nullptr;
    QAction *m_actAdd = nullptr;
    QAction *m_actEmpty = nullptr;
    QAction *m_actClone = nullptr;
    QAction *m_actEdit = nullptr;
    QAction *m_actDel = nullptr;
    QAction *m_actClr = nullptr;
    QAction *m_actUp = nullptr;
    QAction *m_actDown = nullptr;
    QAction *m_actCopy = nullptr;
    QAction *m_actPaste = nullptr;

    ScenarioLineDialog m_lineDialog;
    std::function<int()> m_defaultDraws;
};
