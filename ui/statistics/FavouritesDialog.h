#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "app/views/FavouritesModel.h"

#include <functional>

class QAction;
class QCheckBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class TStatList;

// The favourites manager: the methods under their groups, ticked when favourite, with their names;
// the user ticks, renames, exchanges names through files and picks how method lists show methods.
class TFormManager : public TDialogSTemplate {
    Q_OBJECT
public:
    TFormManager(QWidget *parent, TStatList &list);

    // The tree and the check boxes from the registry.
    void fill();
    // Ticks, names and display options into the registry.
    void readBack();

    TFavouritesModel &model() { return m_model; }
    QTreeWidget *tree() const { return m_tvMethods; }
    QLabel *countLabel() const { return m_lbCount; }
    QCheckBox *orderedCheck() const { return m_cbOrdered; }
    QCheckBox *groupNameCheck() const { return m_cbShowGroupName; }
    QCheckBox *methodFlagsCheck() const { return m_cbShowMethodFlags; }
    QAction *action(const QString &name) const;

    // The tree item of a method (nullptr when it is not listed).
    QTreeWidgetItem *methodItem(int method) const;
    // Enables the actions for the current state.
    void updateActions();

    // The commands, as the actions run them (on the selected item).
    void checkAll(bool ticked);
    void checkGroup(bool ticked);
    void rename();
    void resetName();
    void info();
    void namesImport();
    void namesExport();

private:
    QAction *addAction(const QString &name, const QString &caption, void (TFormManager::*slot)());
    void showTree();
    void showNode(QTreeWidgetItem *item);
    void itemActivated(QTreeWidgetItem *item);
    // The selected item as a group and node of the model; node -1 for a group item; false without one.
    bool selected(int &group, int &node) const;

    TStatList &m_list;
    TFavouritesModel m_model;
    QTreeWidget *m_tvMethods;
    QLabel *m_lbCount;
    QCheckBox *m_cbOrdered;
    QCheckBox *m_cbShowGroupName;
    QCheckBox *m_cbShowMethodFlags;
    QList<QAction *> m_actions;
};

// Shows the manager; on OK the registry holds the new ticks, names and options and the result is true.
bool ShowManagerDialog(TStatList &list, QWidget *parent);

// The user's answers that the manager asks for, replaceable by tests: a name typed into an input box
// (false on Cancel), and a file chosen in an open or save dialog (empty on Cancel).
using NameInputFn = std::function<bool(QWidget *parent, const QString &title, const QString &prompt, QString &text)>;
using NamesFileDialogFn = std::function<QString(QWidget *parent, bool save, const QString &folder)>;
void SetNameInput(NameInputFn fn);
void SetNamesFileDialog(NamesFileDialogFn fn);
