#include "ui/window/UpdateFeature.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Format.h"
#include "common/Languages.h"
#include "common/ProcessUtils.h"
#include "common/ProgramFiles.h"
#include "common/Translate.h"
#include "common/widgets/ProgressWindow.h"
#include "ui/window/TemplateMain.h"

#include <QAction>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

// ---- The dialog -------------------------------------------------------------------------------

TfrmUpdateInformer::TfrmUpdateInformer(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"frmUpdateInformer"_s);
    setWindowTitle(Tr(u"Найдена новая версия программы"));
    resize(480, 360);

    m_edCurrent = new QLineEdit(clientArea());
    m_edCurrent->setObjectName(u"edCurrentVersion"_s);
    m_edCurrent->setReadOnly(true);
    m_edNew = new QLineEdit(clientArea());
    m_edNew->setObjectName(u"edNewVersion"_s);
    m_edNew->setReadOnly(true);
    m_memDescription = new QPlainTextEdit(clientArea());
    m_memDescription->setObjectName(u"memDescription"_s);
    m_memDescription->setReadOnly(true);
    m_memDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto *layout = new QFormLayout(clientArea());
    layout->setRowWrapPolicy(QFormLayout::WrapLongRows);
    layout->addRow(Tr(u"Текущая версия программы:"), m_edCurrent);
    layout->addRow(Tr(u"Новая версия программы:"), m_edNew);
    layout->addRow(Tr(u"Описание версии:"), m_memDescription);

    okButton()->setText(Tr(u"Установить"));
    okButton()->setToolTip(Tr(u"Установить это обновление"));
    cancelButton()->setToolTip(Tr(u"Отказаться от обновления"));
    okButton()->setDefault(true);
}

void TfrmUpdateInformer::fill(const QString &currentVersion, const TrSU_VerData &info, const QStringList &lines)
{
    m_edCurrent->setText(currentVersion);
    m_edNew->setText(info.description);
    m_memDescription->setPlainText(lines.join(u'\n'));
}

void TfrmUpdateInformer::showEvent(QShowEvent *event)
{
    TDialogSTemplate::showEvent(event);
    okButton()->setFocus();
}

// ---- The windows of a run ---------------------------------------------------------------------

void TUpdateWindowUi::showProgress(const QString &text, int steps)
{
    ShowProgress(text, steps);
    RepaintProgress();
}

void TUpdateWindowUi::stepProgress()
{
    StepProgress(1);
    RepaintProgress();
}

void TUpdateWindowUi::closeProgress()
{
    CloseProgress();
}

bool TUpdateWindowUi::confirmUpdate(const QString &currentVersion, const TrSU_VerData &data, const QStringList &lines)
{
    TfrmUpdateInformer dialog(m_parent);
    dialog.fill(currentVersion, data, lines);
    return ExecDialog(dialog) == QDialog::Accepted;
}

// ---- The feature ------------------------------------------------------------------------------

TUpdateFeature::TUpdateFeature(TTemplateMain &window)
    : QObject(&window), m_window(window), m_ui(&window), m_restart([&window] { RestartProgram([&window] { window.terminateApplication(); }); })
{
    m_actCheckUpdate = new QAction(Tr(u"Проверить наличие обновлений..."), this);
    m_actCheckUpdate->setObjectName(u"CheckUpdate"_s);
    m_actCheckUpdate->setStatusTip(Tr(u"Проверить наличие новой версии программы и установить её"));
    connect(m_actCheckUpdate, &QAction::triggered, this, &TUpdateFeature::CheckUpdateExecute);
    window.addActionUpdater([this] { m_actCheckUpdate->setEnabled(IsNotBusy()); });
}

TUpdateFeature::~TUpdateFeature() = default;

int TUpdateFeature::RunSelfUpdate(bool silent)
{
    const TUpdateServerConfig config = ReadUpdateServerConfig(GetIniFileName());
    TSelfUpdateSettings settings = DefaultSelfUpdateSettings();
    if (!m_programFolder.isEmpty())
        settings.programFolder = m_programFolder.endsWith(u'/') ? m_programFolder : m_programFolder + u'/';
    settings.caFile = config.caFile;
    // A batch run goes on without the update, but says why the check failed.
    if (m_window.switches().isBatch())
        settings.silentFailure = [](const QString &text) {
            StderrMessageSink().show(WarningCaption(), text, MB_OK | MB_ICONWARNING);
        };
    SetSelfUpdateUi(&m_ui);
    const int result = SelfUpdate(config.url, silent, CurrentLanguageId(), settings);
    SetSelfUpdateUi(nullptr);
    return result;
}

void TUpdateFeature::CheckUpdateExecute()
{
    if (!IsNotBusy())
        return;
    if (RunSelfUpdate(false) != suInstalled)
        return;
    try {
        m_restart();
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
}

int TUpdateFeature::AutoUpdateOnStart()
{
    if (!m_window.options().autoUpdates)
        return 0;
    return RunSelfUpdate(true) == suInstalled ? 1 : 0;
}

TUpdateFeature *InstallUpdate(TTemplateMain &window)
{
    auto *feature = new TUpdateFeature(window);
    if (QMenu *menu = window.findMenu(u"menuOptions"_s))
        menu->addAction(feature->checkUpdateAction());
    else if (QMenu *file = window.findMenu(u"menuFile"_s))
        file->addAction(feature->checkUpdateAction());
    return feature;
}

void RestartProgram(const std::function<void()> &terminate)
{
    const QString program = GetProgramFileName();
    CurrentProcessRunner().run(ProcessCommand{program, {u"restart"_s}, GetProgramFolder()}, ProcessWaitName(program),
                               0, AbortQuery(), false);
    terminate();
}
