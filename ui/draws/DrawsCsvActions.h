#pragma once

#include "app/draws/DrawsArchive.h"

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QTableView;
class QWidget;
class TQSortListView;

// Asks for the name of a draws CSV file ("Файлы тиражей (*.csv)"): the open dialog, or the save
// dialog that adds the extension; empty when cancelled. Tests install their own answer; nullptr
// restores the dialogs.
using DrawsCsvFileDialog = std::function<QString(QWidget *parent, bool save)>;
void SetDrawsCsvFileDialog(DrawsCsvFileDialog dialog);
QString AskDrawsCsvFileName(QWidget *parent, bool save);

// The draws CSV commands of the "Тиражи" menu: import of draws from a file into the archive and
// export of the whole archive to a file; and the export of the draws list and of the combinations
// list to a spreadsheet.
class TDrawsCsvActions : public QObject {
    Q_OBJECT
public:
    TDrawsCsvActions(TDrawsArchive &archive, QWidget *window);

    QAction *importAction() const { return m_actImport; }
    QAction *exportAction() const { return m_actExport; }
    QAction *drawsXlsExportAction() const { return m_actDrawsXls; }
    QAction *combsXlsExportAction() const { return m_actCombsXls; }

    // The lists the spreadsheet exports send: the draws list and the combinations list.
    void setLists(QTableView *draws, TQSortListView *combs);

    // Import while not busy; the exports while not busy and their list holds rows.
    void updateActions();

    // The commands: ask for the file, then run.
    void drawsImport();
    void drawsExport();
    void drawsXlsExport();
    void combsXlsExport();

    // The captions of the tabs that give the exports their title and sheet name.
    static QString drawsCaption();
    static QString combsCaption();

    // The work of the commands on a chosen file, with the busy cursor, the status text and the
    // messages. True when it went through.
    bool importFile(const QString &fileName);
    bool exportFile(const QString &fileName);

signals:
    // New draws went into the archive (and its file): the list and the views must follow.
    void drawsImported(int count);

private:
    TDrawsArchive &m_archive;
    QWidget *m_window;
    QAction *m_actImport;
    QAction *m_actExport;
    QAction *m_actDrawsXls;
    QAction *m_actCombsXls;
    QTableView *m_drawsList = nullptr;
    TQSortListView *m_combsList = nullptr;
};
