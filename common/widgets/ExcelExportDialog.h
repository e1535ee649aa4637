#pragma once

#include "common/ExcelExport.h"
#include "common/widgets/DialogSTemplate.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class TQFloatEdit;
class TQOwnerDrawGrid;
class TQSortListView;
class TStringGrid;

// The export of the program's lists and grids to a spreadsheet: the user sets the report in the
// dialog, the sheet is built and opened in the desktop's spreadsheet program.
//
// Title, SheetName, HeadLine and Notes prefill the report; Orientation is 0 (not set), 1 (portrait)
// or 2 (landscape). With useSavedParams the dialog's settings are remembered per list in the program's
// settings file ("Vendra.ini", section "EXPORT_EXCEL_<WINDOW>.<LIST>") and can be kept in ".exp"
// files. True when the report was made; false when the dialog was cancelled or the export failed
// (the user has been told why).
bool ExportListViewToExcel(TQSortListView *source, const QString &title, const QString &sheetName,
                           const QString &headLine, const QString &notes, int orientation, bool useSavedParams);
// A table view over any model: the headings and cell texts are the model's display texts, the
// alignment of a column is that of its heading (or of its first row); the selected mode sends the
// selected rows when more than one is selected.
bool ExportTableViewToExcel(QTableView *source, const QString &title, const QString &sheetName,
                            const QString &headLine, const QString &notes, int orientation, bool useSavedParams);
bool ExportStringGridToExcel(TStringGrid *source, const QString &title, const QString &sheetName,
                             const QString &headLine, const QString &notes, int orientation, bool useSavedParams);
bool ExportOwnerDrawGridToExcel(TQOwnerDrawGrid *source, const QString &title, const QString &sheetName,
                                const QString &headLine, const QString &notes, int orientation,
                                bool useSavedParams);

// The fields of a source as the dialog lists them at first.
std::vector<TExportField> FieldsFromListView(const TQSortListView &view);
std::vector<TExportField> FieldsFromGrid(const TQOwnerDrawGrid &grid);
std::vector<TExportField> FieldsFromTableView(const QTableView &view);

// What the export dialog shows and gives back.
struct TExportDialogData {
    QString ownerName;   // the object name of the source's window
    QString sourceName;  // the object name of the source
    TExportParams params;
    int totalRows = 0;
    int selectedRows = 0;
    bool selectedMode = false;  // send only the selected rows
    bool useSavedParams = false;
};

// "Параметры поля": the heading, alignment and width of one exported column.
class TFormExpExcelParam : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormExpExcelParam(QWidget *parent);
    void fill(const TExportField &field);
    void readBack(TExportField &field) const;

protected:
    bool validate() override;

private:
    QLineEdit *m_edCaption;
    QComboBox *m_edAlign;
    TQFloatEdit *m_edWidth;
};

// "Экспорт в Microsoft Excel".
class TFormExpExcel : public TDialogSTemplate {
    Q_OBJECT
public:
    explicit TFormExpExcel(QWidget *parent);
    ~TFormExpExcel() override;

    void fill(const TExportDialogData &record);
    void readBack(TExportDialogData &record) const;

    // The field list in its order.
    std::vector<TExportField> fields() const;
    void setFields(const std::vector<TExportField> &fields);
    TQSortListView *fieldsList() const { return m_lvFields; }
    QString sectionName() const { return ExportSectionName(m_ownerName, m_sourceName); }

    // Loads or saves the dialog's parameters in the file (see LoadExportParams, SaveExportParams).
    bool loadExportParams(const QString &fileName, bool useRestoreFlag, bool force);
    bool saveExportParams(const QString &fileName, bool writeRestoreFlag); // a file the user named
    // The checked fields as a block at the top and the first field selected.
    void arrangeFields();

    // The commands.
    void moveFieldUp();
    void moveFieldDown();
    // Opens "Параметры поля" for the selected field; true when it was changed.
    bool editFieldProperties();
    // A field's check box was ticked or unticked: it is selected and the checked block rebuilt.
    void fieldCheckToggled(int sourceIndex);
    void updateCommands();

protected:
    bool validate() override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildSheetPage();
    QWidget *buildFieldsPage();
    void updateRecordCount();
    void loadFromFile();
    void saveToFile();

    QString m_ownerName;
    QString m_sourceName;
    int m_totalRows = 0;
    int m_selectedRows = 0;
    bool m_updating = false;

    QTabWidget *m_pages;
    QLineEdit *m_edTitle;
    QLineEdit *m_edNotes;
    QCheckBox *m_dateCreateCheckBox;
    QComboBox *m_edOrientation;
    QSpinBox *m_edFontSize;
    QLineEdit *m_edPageName;
    QComboBox *m_edSendMode;
    QLineEdit *m_edRecNum;
    TQSortListView *m_lvFields;
    QPushButton *m_btnUp;
    QPushButton *m_btnDown;
    QPushButton *m_btnProperties;
    QCheckBox *m_saveCheckBox;
    QPushButton *m_btnParams;
    QAction *m_actUp;
    QAction *m_actDown;
    QAction *m_actProperties;
    QAction *m_actLoad;
    QAction *m_actSave;
};
