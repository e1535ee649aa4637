#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The spreadsheet behind the export of lists and grids.
//
// The export builds one workbook at a time through the calls below, in the order a spreadsheet
// program would take them: connect, a new workbook, a named sheet, column formats, formatted cells
// and blocks of values. The workbook is kept in memory; ReleaseExcel hands it to the spreadsheet
// back-end, which writes it as an .xlsx file and opens that file in the desktop's spreadsheet
// program, where the user goes on with it. Rows and columns are counted from 1.

// Alignment values as the export passes them.
inline constexpr int xlLeft = -4131;
inline constexpr int xlRight = -4152;
inline constexpr int xlCenter = -4108;
inline constexpr int xlTop = -4160;
inline constexpr int xlBottom = -4107;
// Border line style and colour as the export passes them (a continuous line in the automatic colour).
inline constexpr int xlBorderLineStyle = 9;
inline constexpr int xlColorIndexAutomatic = -4105;

// Font styles of a cell.
enum TExcelFontStyle : unsigned {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

// The format of a cell or a column. A field that is not set leaves the column's (or the default) one.
struct TExcelFormat {
    std::optional<double> fontSize;
    std::optional<bool> bold, italic, underline, strikeOut;
    std::optional<int> hAlign, vAlign;
    std::optional<bool> wrapText;
    std::optional<QString> numberFormat;
    // Weight of the lines around the cell: 1 hair, 2 thin, 3 medium, 4 thick.
    std::optional<int> borderWeight;

    // This format with every field that other sets taken from other.
    TExcelFormat mergedWith(const TExcelFormat &other) const;
    bool operator==(const TExcelFormat &) const = default;
};

struct TExcelCell {
    QString value;
    TExcelFormat format;
};

struct TExcelColumn {
    // Width in characters of the standard font; a width of 255 or more is kept as 255.
    std::optional<double> width;
    TExcelFormat format;
};

class TExcelSheet {
public:
    explicit TExcelSheet(QString name) : m_name(std::move(name)) {}

    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // 0 not set, 1 portrait, 2 landscape.
    int orientation() const { return m_orientation; }
    void setOrientation(int orientation) { m_orientation = orientation; }

    // The cell at (row, column), made when missing.
    TExcelCell &cell(int row, int column);
    const TExcelCell *findCell(int row, int column) const;
    // The text of a cell ("" for a missing one).
    QString text(int row, int column) const;
    TExcelColumn &column(int column);
    const std::map<int, TExcelColumn> &columns() const { return m_columns; }
    const std::map<std::pair<int, int>, TExcelCell> &cells() const { return m_cells; }
    // The number of rows and columns of the block from (1, 1) that holds every cell; at least 1 x 1.
    int usedRows() const;
    int usedColumns() const;

private:
    QString m_name;
    int m_orientation = 0;
    std::map<std::pair<int, int>, TExcelCell> m_cells; // (row, column)
    std::map<int, TExcelColumn> m_columns;
};

class TExcelWorkbook {
public:
    // A new workbook with one empty sheet, "Лист1".
    TExcelWorkbook();

    int sheetCount() const { return static_cast<int>(m_sheets.size()); }
    // The sheet by its number from 1; nullptr when there is none.
    TExcelSheet *sheet(int index);
    const TExcelSheet *sheet(int index) const;
    // Adds a sheet after the given one (after the last one when 0) named "Лист<n>".
    TExcelSheet *addSheet(int after = 0);
    // A sheet of that name, compared without regard to case, other than the one given.
    bool hasOtherSheetNamed(const QString &name, const TExcelSheet *except) const;

private:
    std::vector<std::unique_ptr<TExcelSheet>> m_sheets;
    int m_nextNumber = 1;
};

// Where a finished workbook goes.
class IExcelBackend {
public:
    virtual ~IExcelBackend() = default;
    // True when a workbook can be handed over at all.
    virtual bool available() = 0;
    // Hands the finished workbook to the user; raises Exception when that fails.
    virtual void show(const TExcelWorkbook &workbook) = 0;
};

// Writes the workbook as an .xlsx file into its folder (a new name for every workbook, so that no
// earlier report is written over) and opens it with the desktop's program for it.
class XlsxExcelBackend : public IExcelBackend {
public:
    // A folder "Vendra-Excel-XXXXXX" made anew in the system's temporary folder for this user alone
    // (mode 0700) when the first workbook comes, unless another is set.
    XlsxExcelBackend();
    void setFolder(const QString &folder) { m_folder = folder; }
    const QString &folder() const { return m_folder; }
    // The file written last ("" before the first).
    const QString &lastFile() const { return m_lastFile; }

    bool available() override;
    void show(const TExcelWorkbook &workbook) override;

private:
    QString m_folder;
    QString m_lastFile;
};

// Installs the back-end for every call that follows; nullptr restores the .xlsx back-end.
void SetExcelBackend(IExcelBackend *backend);
IExcelBackend &CurrentExcelBackend();

// Writes the workbook into the file. The file is written whole in a folder made anew beside the target
// that only this user can enter (mode 0700), and then renamed over the target (a link of that name is
// replaced, never followed), so a failure never leaves a half-written file, and an older file of that
// name stays as it was. Texts that hold plain numbers are written as numbers.
// Raises Exception with the reason when the file cannot be written.
void WriteWorkbookXlsx(const TExcelWorkbook &workbook, const QString &fileName);
// The message of a failed workbook write: a sentence with the cause (errnoCode, as the C library set
// it), then the spreadsheet library's own text on the next line.
QString WorkbookErrorText(int lxwError, int errnoCode);

// The number a cell text stands for, by the program's own rule for numbers (not the spreadsheet's
// reading under the user's locale): an optional sign, digits without a leading zero (optionally
// grouped by threes with blanks), one "," or "." as the decimal separator; at most 15 digits so
// nothing is lost. A text such as "007" stays a text, and so does "1,234" where the user's locale
// groups thousands with "," (it may mean 1234 as well as 1.234). Anything else stays a text.
bool ExcelTextToNumber(const QString &text, double &value);

// --- The calls of the export -------------------------------------------------------------------

QString GetExcelProgId();
// Takes the back-end; false (and nothing shown) when it cannot take a workbook. A held connection is
// released first.
bool ConnectExcel();
// Hands the workbook made by NewWorkbook to the back-end (when present is true and there is one)
// and drops the connection and the workbook. With present false the workbook is dropped unseen (an
// export that failed half-way). Raises Exception when the workbook cannot be handed over; the
// connection is dropped in any case.
void ReleaseExcel(bool present = true);
bool ExcelConnected();

// A new workbook, connecting first when needed; nullptr when none can be made.
TExcelWorkbook *AddWorkbook();
// A new workbook held as the current one; true when one is held.
bool NewWorkbook();
TExcelWorkbook *CurrentWorkbook();

// Sheet Index of the current workbook (see GetSheet).
TExcelSheet *GetWorkbookSheet(int index, const QString &name);
// Sheet Index of the workbook, or, when there is no such sheet, the first empty one or a new last
// one. A non-empty name is given to the sheet after SanitizeSheetName; a name that is empty after
// that keeps the sheet's own, and a name that another sheet has leaves the sheet unnamed (nullptr).
// Raises Exception "Рабочая книга Microsoft Excel не создана или не активна" without a workbook.
TExcelSheet *GetSheet(TExcelWorkbook *workbook, int index, const QString &name);
TExcelSheet *GetFreeSheet(TExcelWorkbook *workbook, const QString &name);
bool IsSheetEmpty(const TExcelSheet &sheet);
// A name a sheet can take: no quotes, apostrophes, "*", "?" or ":", "/" and "\" as "-", square
// brackets as round ones, at most 31 characters, trimmed.
QString SanitizeSheetName(const QString &name);

// 1 portrait, 2 landscape; other values leave the sheet as it is.
void SetPageOrientation(TExcelSheet *sheet, int orientation);
// 0 left, 1 right, 2 centre; anything else left.
int ExcelAlignment(int alignment);
// The width as it is stored: the width itself, or 255 for 255 and more.
double ExcelColumnWidth(double width);

// The calls below raise Exception when the sheet is missing or the range is not a valid one.
void FormatColumn(TExcelSheet *sheet, int column, int hAlign, int vAlign, const QString &numberFormat,
                  double fontSize, double width);
void SetRangeBorders(TExcelSheet *sheet, int row1, int row2, int col1, int col2, int weight);
void FormatCell(TExcelSheet *sheet, int row, int column, const QString &value, double fontSize,
                const QString &numberFormat, bool wrapText, int vAlign, int hAlign, int borderWeight,
                unsigned fontStyle);
// Data holds the rows of the range, each with its columns (missing values are empty).
void PutFormattedRange(TExcelSheet *sheet, int row1, int row2, int col1, int col2,
                       const std::vector<QStringList> &data, double fontSize, unsigned fontStyle,
                       int borderWeight, int hAlign, int vAlign, bool wrapText);
void PutRangeValue(TExcelSheet *sheet, int row1, int row2, int col1, int col2,
                   const std::vector<QStringList> &data, int borderWeight);
