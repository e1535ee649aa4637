#include "ui/DrawsCsvActions.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "ui/logic/DrawsCsv.h"

#include <QAction>
#include <QFileDialog>

using namespace Qt::StringLiterals;

namespace {

DrawsCsvFileDialog g_fileDialog;

QString runFileDialog(QWidget *parent, bool save)
{
    QFileDialog dialog(parent);
    dialog.setNameFilter(u"Файлы тиражей (*.csv)"_s);
    dialog.setDefaultSuffix(u"csv"_s);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// Clears the status text however the command ends.
struct StatusGuard {
    explicit StatusGuard(const QString &text) { SetStatusText(text); }
    ~StatusGuard() { SetStatusText({}); }
};

} // namespace

void SetDrawsCsvFileDialog(DrawsCsvFileDialog dialog)
{
    g_fileDialog = std::move(dialog);
}

QString AskDrawsCsvFileName(QWidget *parent, bool save)
{
    return g_fileDialog ? g_fileDialog(parent, save) : runFileDialog(parent, save);
}

TDrawsCsvActions::TDrawsCsvActions(TDrawsArchive &archive, QWidget *window)
    : QObject(window), m_archive(archive), m_window(window)
{
    m_actImport = new QAction(u"Импорт тиражей из CSV-файла..."_s, this);
    m_actImport->setObjectName(u"DrawsImport"_s);
    m_actImport->setStatusTip(u"Добавить в архив тиражи из текстового файла CSV"_s);
    connect(m_actImport, &QAction::triggered, this, &TDrawsCsvActions::drawsImport);

    m_actExport = new QAction(u"Экспорт тиражей в CSV-файл..."_s, this);
    m_actExport->setObjectName(u"DrawsExport"_s);
    m_actExport->setStatusTip(u"Записать весь архив тиражей в текстовый файл CSV"_s);
    connect(m_actExport, &QAction::triggered, this, &TDrawsCsvActions::drawsExport);
    updateActions();
}

void TDrawsCsvActions::updateActions()
{
    const bool idle = IsNotBusy();
    m_actImport->setEnabled(idle);
    m_actExport->setEnabled(idle && m_archive.count() > 0);
}

void TDrawsCsvActions::drawsImport()
{
    if (!IsNotBusy())
        return;
    const QString fileName = AskDrawsCsvFileName(m_window, false);
    if (!fileName.isEmpty())
        importFile(fileName);
}

void TDrawsCsvActions::drawsExport()
{
    if (!IsNotBusy() || m_archive.count() == 0)
        return;
    const QString fileName = AskDrawsCsvFileName(m_window, true);
    if (!fileName.isEmpty())
        exportFile(fileName);
}

bool TDrawsCsvActions::importFile(const QString &fileName)
{
    TCsvImportResult result;
    try {
        BusySection busy;
        StatusGuard status(Format(u"Импорт тиражей из файла \"%s\"...", {fileName}));
        result = ImportDrawsCsv(m_archive, fileName);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
        return false;
    }
    if (!result.added.empty())
        emit drawsImported(static_cast<int>(result.added.size()));
    const QString report = CsvImportReport(result, fileName);
    if (!report.isEmpty()) {
        if (result.badLines > 0)
            ShowWarningBox(report);
        else
            ShowInfoBox(report);
    }
    return true;
}

bool TDrawsCsvActions::exportFile(const QString &fileName)
{
    try {
        BusySection busy;
        StatusGuard status(Format(u"Экспорт тиражей в файл \"%s\"...", {fileName}));
        ExportDrawsCsv(m_archive.draws(), fileName);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
        return false;
    }
    return true;
}
