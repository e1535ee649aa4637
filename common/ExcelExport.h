#pragma once

#include "common/RegularFile.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class IniFile;

// The export of a list or grid to a spreadsheet, without its windows: the fields to send, their
// parameters in the program's settings file or in a user's ".exp" file, and the building of the sheet.

// Alignment of the data of an exported column.
enum TExportAlignment : int { eaLeft = 0, eaRight = 1, eaCenter = 2 };

// "по левому краю", "по правому краю", "по центру"; "#ERROR#" for another value.
QString ExportAlignmentName(int alignment);
QStringList ExportAlignmentNames();

// One column of the source as the export sends it.
struct TExportField {
    int sourceIndex = 0;  // the column in the source, from 0
    QString physical;     // the source column's own heading
    QString caption;      // the heading sent
    bool checked = true;  // sent at all
    int alignment = eaLeft;
    QString widthText;    // width in characters, two decimals in the locale's format

    bool operator==(const TExportField &) const = default;
};

// The width text of a source column: its width in pixels / 8 with two decimals.
QString ExportWidthText(double width, const QLocale &locale = QLocale());
QString ExportWidthTextOfPixels(int pixels, const QLocale &locale = QLocale());

// The parameters of one export, as the dialog shows them and the settings keep them.
struct TExportParams {
    QString title;
    QString notes;
    bool showCreateTime = true;
    QString sheetName;
    int orientation = 0;  // 0 not set, 1 portrait, 2 landscape
    int baseFontSize = 8;
    bool restoreParameters = true;  // "Сохранить параметры экспорта в файле конфигурации"
    std::vector<TExportField> fields;
};

// "EXPORT_EXCEL_<OWNER>.<SOURCE>", the names in upper case.
QString ExportSectionName(const QString &ownerName, const QString &sourceName);
// The "Item_%d" line of a field: "%d;%s;%s;%s;%d;%s".
QString ExportItemText(const TExportField &field);

// What reading a section came to.
enum class TExportLoad { NoSection, NotRestored, Loaded };

// Takes the saved parameters of the section over into params. With useRestoreFlag the
// RestoreParameters key decides first (and nothing else is taken when it is off). The title is
// taken when force is set or the current one is blank, the notes only when the current ones are
// blank. Each "Item_%d" line moves its field (found by source index and physical field) to the
// position %d and sets it; a malformed line, or one for a column the source no longer has, is
// skipped. itemError is called with the position of a line that could not be taken.
TExportLoad ReadExportParams(const IniFile &ini, const QString &section, TExportParams &params,
                             bool useRestoreFlag, bool force,
                             const std::function<void(int position)> &itemError = {});
// Erases the section and writes every parameter and one "Item_%d" line per field, in list order.
void WriteExportParams(IniFile &ini, const QString &section, const TExportParams &params, bool writeRestoreFlag);

// The same on a file, inside a busy section, with the messages of a failure shown in error boxes:
// "Ошибка загрузки параметров экспорта из файла "%s"!", "Ошибка загрузки параметров экспортируемого
// поля ID="%d"!", "Ошибка сохранения параметров экспорта в файле "%s"!". The loaded file is never
// changed. True when the file was read or written. A file the user named is written where its link
// leads (TNamedBy::User).
bool LoadExportParams(const QString &fileName, const QString &section, TExportParams &params,
                      bool useRestoreFlag, bool force);
bool SaveExportParams(const QString &fileName, const QString &section, const TExportParams &params,
                      bool writeRestoreFlag, TNamedBy namedBy);

// The rows of the sheet: a head line takes rows 1 and 2, then the title, the notes and the creation
// time, an empty row and the headings; the data follow the headings.
struct TExportRowPlan {
    int headRows = 0;    // H
    int infoRows = 0;    // I
    int headingRow = 3;  // F = H + I + 3
};
TExportRowPlan PlanExportRows(const QString &headLine, const QString &notes, bool showCreateTime);

// "Отчет построен: %s." with the date and time in the locale's format.
QString ReportTimeLine(const QDateTime &time, const QLocale &locale = QLocale());

// The progress of the export (the widgets show it in the progress window).
class IExportProgress {
public:
    virtual ~IExportProgress() = default;
    virtual void show(const QString &text, int maximum) = 0;
    virtual void setText(const QString &text) = 0;
    virtual void step() = 0;
    virtual void close() = 0;
};

// One export of data rows.
struct TExportJob {
    QString headLine;
    TExportParams params;
    int rows = 0;
    // The text of a data row (0 .. rows - 1, in the order they are sent) in a source column.
    std::function<QString(int row, int sourceIndex)> cellText;
    QDateTime createTime;  // the current time when not set
};

// The largest number of rows a sheet holds.
inline constexpr int kExcelMaxRows = 1048576;

// Builds the sheet and hands the workbook to the spreadsheet back-end. False when the back-end
// cannot be reached (nothing shown) or when the export failed ("Ошибка экспорта данных в
// Microsoft Excel!\r%s" shown; no workbook is handed over then).
bool RunExcelExport(const TExportJob &job, IExportProgress *progress = nullptr);
