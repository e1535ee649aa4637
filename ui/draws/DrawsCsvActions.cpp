#include "ui/draws/DrawsCsvActions.h"

#include "common/widgets/FileDialogs.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "common/widgets/ExcelExportDialog.h"
#include "common/widgets/ListView.h"
#include "app/draws/DrawsCsv.h"

#include <QAction>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

DrawsCsvFileDialog g_fileDialog;

QString runFileDialog(QWidget *parent, bool save)
{
    return RunFileDialog(parent, {Tr(u"Файлы тиражей (*.csv)"), u"csv"_s, save, {}, {}});
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
    m_actImport = new QAction(Tr(u"Импорт тиражей из CSV-файла..."), this);
    m_actImport->setObjectName(u"DrawsImport"_s);
    m_actImport->setStatusTip(Tr(u"Добавить в архив тиражи из текстового файла CSV"));
    connect(m_actImport, &QAction::triggered, this, &TDrawsCsvActions::drawsImport);

    m_actExport = new QAction(Tr(u"Экспорт тиражей в CSV-файл..."), this);
    m_actExport->setObjectName(u"DrawsExport"_s);
    m_actExport->setStatusTip(Tr(u"Записать весь архив тиражей в текстовый файл CSV"));
    connect(m_actExport, &QAction::triggered, this, &TDrawsCsvActions::drawsExport);

    m_actDrawsXls = new QAction(Tr(u"Экспорт тиражей в Microsoft Excel"), this);
    m_actDrawsXls->setObjectName(u"DrawsXlsExport"_s);
    connect(m_actDrawsXls, &QAction::triggered, this, &TDrawsCsvActions::drawsXlsExport);

    m_actCombsXls = new QAction(Tr(u"Экспорт комбинаций в Microsoft Excel"), this);
    m_actCombsXls->setObjectName(u"CombsXlsExport"_s);
    connect(m_actCombsXls, &QAction::triggered, this, &TDrawsCsvActions::combsXlsExport);
    updateActions();
}

void TDrawsCsvActions::setLists(QTableView *draws, TQSortListView *combs)
{
    m_drawsList = draws;
    m_combsList = combs;
    if (m_drawsList)
        m_drawsList->addAction(m_actDrawsXls);
    if (m_combsList)
        m_combsList->addAction(m_actCombsXls);
    updateActions();
}

QString TDrawsCsvActions::drawsCaption()
{
    return Tr(u"Архив тиражей");
}

QString TDrawsCsvActions::combsCaption()
{
    return Tr(u"Комбинации");
}

void TDrawsCsvActions::updateActions()
{
    const bool idle = IsNotBusy();
    m_actImport->setEnabled(idle);
    m_actExport->setEnabled(idle && m_archive.count() > 0);
    m_actDrawsXls->setEnabled(idle && m_drawsList && m_drawsList->model() && m_drawsList->model()->rowCount() > 0);
    m_actCombsXls->setEnabled(idle && m_combsList && m_combsList->listModel()->rowCount() > 0);
}

void TDrawsCsvActions::drawsXlsExport()
{
    if (!IsNotBusy() || !m_drawsList || m_archive.count() == 0)
        return;
    ExportTableViewToExcel(m_drawsList, drawsCaption(), drawsCaption(), {}, {}, 0, true);
}

void TDrawsCsvActions::combsXlsExport()
{
    if (!IsNotBusy() || !m_combsList || m_combsList->listModel()->rowCount() == 0)
        return;
    ExportListViewToExcel(m_combsList, combsCaption(), combsCaption(), {}, {}, 0, true);
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
