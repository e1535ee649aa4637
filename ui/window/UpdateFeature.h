#pragma once

#include "common/widgets/DialogSTemplate.h"
#include "online/SelfUpdate.h"

#include <QObject>
#include <functional>

class QAction;
class QLineEdit;
class QPlainTextEdit;
class TTemplateMain;

// The dialog that offers a new version: the running version, the new one and its description.
class TfrmUpdateInformer : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TfrmUpdateInformer(QWidget *parent = nullptr);

    void fill(const QString &currentVersion, const TrSU_VerData &info, const QStringList &lines);

    QLineEdit *currentVersionEdit() const { return m_edCurrent; }
    QLineEdit *newVersionEdit() const { return m_edNew; }
    QPlainTextEdit *descriptionMemo() const { return m_memDescription; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_edCurrent;
    QLineEdit *m_edNew;
    QPlainTextEdit *m_memDescription;
};

// Shows the update's progress in the progress window and asks with TfrmUpdateInformer.
class TUpdateWindowUi : public ISelfUpdateUi {
public:
    explicit TUpdateWindowUi(QWidget *parent) : m_parent(parent) {}
    void showProgress(const QString &text, int steps) override;
    void stepProgress() override;
    void closeProgress() override;
    bool confirmUpdate(const QString &currentVersion, const TrSU_VerData &data, const QStringList &lines) override;

private:
    QWidget *m_parent;
};

// The update in the main window: the CheckUpdate command of the options menu and the silent check
// at start-up. The index's address is "[UPDATE] Url" of the settings file.
class TUpdateFeature : public QObject {
    Q_OBJECT
public:
    explicit TUpdateFeature(TTemplateMain &window);
    ~TUpdateFeature() override;

    QAction *checkUpdateAction() const { return m_actCheckUpdate; }

    // The CheckUpdate command: the interactive check; after an install the program restarts.
    void CheckUpdateExecute();
    // The silent check of the first timer tick, only while automatic updates are on; 1 when an
    // update was installed (the caller then calls RestartProgram), else 0.
    int AutoUpdateOnStart();
    // The check itself, with the window's settings; the TSelfUpdateResult.
    int RunSelfUpdate(bool silent);

    // Tests replace the restart.
    void setRestart(std::function<void()> restart) { m_restart = std::move(restart); }
    // The folder of the program's own files that an update replaces; by default the executable's
    // (never the data folder). Tests install into a folder of their own.
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }

private:
    TTemplateMain &m_window;
    TUpdateWindowUi m_ui;
    QAction *m_actCheckUpdate;
    std::function<void()> m_restart;
    QString m_programFolder;
};

// Creates the CheckUpdate command in the options menu of the window; the window owns the feature.
TUpdateFeature *InstallUpdate(TTemplateMain &window);

// Starts the program file again with "restart" in the program's folder, without waiting, and ends
// this copy (the new one waits for it to end) through terminate, the window's end. When the program cannot be started the error is raised and this copy
// keeps running.
void RestartProgram(const std::function<void()> &terminate);
