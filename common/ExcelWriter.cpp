#include "common/ExcelWriter.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/FileProcs.h"
#include "common/Format.h"
#include "common/SysUtils.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

QString NoWorkbookText()
{
    return u"Рабочая книга Microsoft Excel не создана или не активна"_s;
}

} // namespace

// --- Model ---------------------------------------------------------------------------------------

TExcelFormat TExcelFormat::mergedWith(const TExcelFormat &other) const
{
    TExcelFormat r = *this;
    auto take = [](auto &mine, const auto &theirs) {
        if (theirs)
            mine = theirs;
    };
    take(r.fontSize, other.fontSize);
    take(r.bold, other.bold);
    take(r.italic, other.italic);
    take(r.underline, other.underline);
    take(r.strikeOut, other.strikeOut);
    take(r.hAlign, other.hAlign);
    take(r.vAlign, other.vAlign);
    take(r.wrapText, other.wrapText);
    take(r.numberFormat, other.numberFormat);
    take(r.borderWeight, other.borderWeight);
    return r;
}

TExcelCell &TExcelSheet::cell(int row, int column)
{
    return m_cells[{row, column}];
}

const TExcelCell *TExcelSheet::findCell(int row, int column) const
{
    const auto it = m_cells.find({row, column});
    return it == m_cells.end() ? nullptr : &it->second;
}

QString TExcelSheet::text(int row, int column) const
{
    const TExcelCell *c = findCell(row, column);
    return c ? c->value : QString();
}

TExcelColumn &TExcelSheet::column(int column)
{
    return m_columns[column];
}

int TExcelSheet::usedRows() const
{
    int rows = 1;
    for (const auto &[key, cell] : m_cells)
        rows = std::max(rows, key.first);
    return rows;
}

int TExcelSheet::usedColumns() const
{
    int columns = 1;
    for (const auto &[key, cell] : m_cells)
        columns = std::max(columns, key.second);
    return columns;
}

TExcelWorkbook::TExcelWorkbook()
{
    addSheet();
}

TExcelSheet *TExcelWorkbook::sheet(int index)
{
    return index >= 1 && index <= sheetCount() ? m_sheets[size_t(index - 1)].get() : nullptr;
}

const TExcelSheet *TExcelWorkbook::sheet(int index) const
{
    return index >= 1 && index <= sheetCount() ? m_sheets[size_t(index - 1)].get() : nullptr;
}

TExcelSheet *TExcelWorkbook::addSheet(int after)
{
    QString name;
    do
        name = u"Лист"_s + QString::number(m_nextNumber++);
    while (hasOtherSheetNamed(name, nullptr));
    const int at = after >= 1 && after <= sheetCount() ? after : sheetCount();
    auto it = m_sheets.insert(m_sheets.begin() + at, std::make_unique<TExcelSheet>(name));
    return it->get();
}

bool TExcelWorkbook::hasOtherSheetNamed(const QString &name, const TExcelSheet *except) const
{
    return std::any_of(m_sheets.begin(), m_sheets.end(), [&](const auto &s) {
        return s.get() != except && s->name().compare(name, Qt::CaseInsensitive) == 0;
    });
}

// --- Numbers in cell texts -----------------------------------------------------------------------

bool ExcelTextToNumber(const QString &text, double &value)
{
    // Whole digits without a leading zero ("007" is a code, not seven), or digits grouped by threes
    // with a blank or a no-break space; then decimals after "." or ",", as the program reads numbers.
    static const QRegularExpression number(
        u"^[+-]?(?:[1-9][0-9]{0,2}(?:[ \u00A0][0-9]{3})+|[1-9][0-9]*|0)(?:[.,][0-9]*)?$|^[+-]?[.,][0-9]+$"_s);
    const QString t = text.trimmed();
    if (!number.match(t).hasMatch())
        return false;
    // Where the user's locale groups thousands with "," or ".", a text such as "1,234" may mean either;
    // it is never taken for a number it may not be.
    static const QRegularExpression grouped(u"^[+-]?[1-9][0-9]{0,2}[.,][0-9]{3}$"_s);
    const QString group = QLocale().groupSeparator();
    if ((group == u","_s || group == u"."_s) && t.contains(group) && grouped.match(t).hasMatch())
        return false;
    std::string plain;
    int digits = 0;
    for (const QChar c : t) {
        if (c >= u'0' && c <= u'9') {
            plain += char(c.unicode());
            ++digits;
        } else if (c == u',' || c == u'.') {
            plain += '.';
        } else if (c == u'-') {
            plain += '-';
        }
    }
    if (digits > 15)
        return false;
    const char *first = plain.data();
    const auto [end, ec] = std::from_chars(first, first + plain.size(), value);
    return ec == std::errc() && end == first + plain.size();
}

// --- Writing .xlsx -------------------------------------------------------------------------------

namespace {

uint8_t BorderStyle(int weight)
{
    if (weight <= 0)
        return LXW_BORDER_NONE;
    if (weight == 1)
        return LXW_BORDER_HAIR;
    if (weight == 2)
        return LXW_BORDER_THIN;
    if (weight == 3)
        return LXW_BORDER_MEDIUM;
    return LXW_BORDER_THICK;
}

uint8_t HorizontalAlign(int align)
{
    switch (align) {
    case xlLeft: return LXW_ALIGN_LEFT;
    case xlRight: return LXW_ALIGN_RIGHT;
    case xlCenter: return LXW_ALIGN_CENTER;
    default: return LXW_ALIGN_NONE;
    }
}

uint8_t VerticalAlign(int align)
{
    switch (align) {
    case xlTop: return LXW_ALIGN_VERTICAL_TOP;
    case xlCenter: return LXW_ALIGN_VERTICAL_CENTER;
    case xlBottom: return LXW_ALIGN_VERTICAL_BOTTOM;
    default: return LXW_ALIGN_NONE;
    }
}

QString FormatKey(const TExcelFormat &f)
{
    auto opt = [](const auto &v) { return v ? QString::number(*v) : u"-"_s; };
    return QStringList{opt(f.fontSize), opt(f.bold), opt(f.italic), opt(f.underline), opt(f.strikeOut),
                       opt(f.hAlign), opt(f.vAlign), opt(f.wrapText), opt(f.borderWeight),
                       f.numberFormat ? u"#"_s + *f.numberFormat : u"-"_s}
        .join(u'|');
}

// Why a file could not be written, as a part of a sentence.
QString FileErrorCause(int code)
{
    if (code == 0)
        return u"причина не сообщается"_s;
    QString cause = SystemErrorString(code);
    if (!cause.isEmpty())
        cause[0] = cause[0].toLower();
    return cause;
}

} // namespace

QString WorkbookErrorText(int error, int errnoCode)
{
    const auto err = static_cast<lxw_error>(error);
    const QString cause = FileErrorCause(errnoCode);
    QString sentence;
    switch (err) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED: sentence = u"Недостаточно памяти для создания книги."_s; break;
    case LXW_ERROR_CREATING_XLSX_FILE: sentence = Format(u"Не удалось создать файл книги: %s.", {cause}); break;
    case LXW_ERROR_CREATING_TMPFILE:
        sentence = Format(u"Не удалось создать временный файл книги: %s.", {cause});
        break;
    case LXW_ERROR_READING_TMPFILE:
        sentence = Format(u"Не удалось прочитать временный файл книги: %s.", {cause});
        break;
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE: sentence = Format(u"Не удалось записать файл книги: %s.", {cause}); break;
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        sentence = u"Текст ячейки длиннее, чем допускает Excel (32767 символов)."_s;
        break;
    case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED:
    case LXW_ERROR_INVALID_SHEETNAME_CHARACTER:
    case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE:
    case LXW_ERROR_SHEETNAME_ALREADY_USED: sentence = u"Недопустимое наименование листа."_s; break;
    default: sentence = u"Не удалось записать книгу Excel."_s; break;
    }
    // The library's own words follow for whoever needs the detail.
    return sentence + u'\r' + QString::fromUtf8(lxw_strerror(err));
}

namespace {

// One libxlsxwriter workbook being written; freed without writing unless it was closed.
class XlsxFile {
public:
    explicit XlsxFile(const QString &fileName)
    {
        const QByteArray name = QFile::encodeName(fileName);
        m_wb = workbook_new(name.constData());
        if (!m_wb)
            throw Exception(u"Не удалось создать рабочую книгу."_s);
    }
    ~XlsxFile()
    {
        if (m_wb)
            lxw_workbook_free(m_wb);
    }
    XlsxFile(const XlsxFile &) = delete;
    XlsxFile &operator=(const XlsxFile &) = delete;

    void writeSheet(const TExcelSheet &sheet);
    void close()
    {
        errno = 0;
        const lxw_error err = workbook_close(m_wb);
        m_wb = nullptr; // freed by workbook_close, written or not
        check(err);
    }

private:
    static void check(lxw_error err)
    {
        if (err != LXW_NO_ERROR)
            throw Exception(WorkbookErrorText(err, errno));
    }
    lxw_format *format(const TExcelFormat &f);

    lxw_workbook *m_wb = nullptr;
    std::map<QString, lxw_format *> m_formats;
};

lxw_format *XlsxFile::format(const TExcelFormat &f)
{
    if (f == TExcelFormat())
        return nullptr;
    const QString key = FormatKey(f);
    if (auto it = m_formats.find(key); it != m_formats.end())
        return it->second;
    lxw_format *x = workbook_add_format(m_wb);
    if (f.fontSize)
        format_set_font_size(x, *f.fontSize);
    if (f.bold.value_or(false))
        format_set_bold(x);
    if (f.italic.value_or(false))
        format_set_italic(x);
    if (f.underline.value_or(false))
        format_set_underline(x, LXW_UNDERLINE_SINGLE);
    if (f.strikeOut.value_or(false))
        format_set_font_strikeout(x);
    if (f.hAlign && HorizontalAlign(*f.hAlign) != LXW_ALIGN_NONE)
        format_set_align(x, HorizontalAlign(*f.hAlign));
    if (f.vAlign && VerticalAlign(*f.vAlign) != LXW_ALIGN_NONE)
        format_set_align(x, VerticalAlign(*f.vAlign));
    if (f.wrapText.value_or(false))
        format_set_text_wrap(x);
    if (f.numberFormat && !f.numberFormat->isEmpty())
        format_set_num_format(x, f.numberFormat->toUtf8().constData());
    if (f.borderWeight)
        format_set_border(x, BorderStyle(*f.borderWeight));
    m_formats.emplace(key, x);
    return x;
}

void XlsxFile::writeSheet(const TExcelSheet &sheet)
{
    lxw_worksheet *ws = workbook_add_worksheet(m_wb, sheet.name().toUtf8().constData());
    if (!ws)
        throw Exception(u"Недопустимое наименование листа \"%1\"."_s.arg(sheet.name()));
    if (sheet.orientation() == 1)
        worksheet_set_portrait(ws);
    else if (sheet.orientation() == 2)
        worksheet_set_landscape(ws);

    for (const auto &[col, column] : sheet.columns())
        check(worksheet_set_column(ws, lxw_col_t(col - 1), lxw_col_t(col - 1),
                                   column.width.value_or(LXW_DEF_COL_WIDTH), format(column.format)));

    // Cells of a data block share their format: it is looked up once per run of equal formats.
    TExcelFormat merged;
    lxw_format *fmt = nullptr;
    bool haveFormat = false;
    int lastColumn = 0;
    TExcelFormat lastOwn;
    int64_t written = 0;
    for (const auto &[key, cell] : sheet.cells()) {
        const auto row = lxw_row_t(key.first - 1);
        const auto col = lxw_col_t(key.second - 1);
        if (!haveFormat || key.second != lastColumn || !(cell.format == lastOwn)) {
            const auto columnIt = sheet.columns().find(key.second);
            // A cell's own format overrides its column's, field by field.
            merged = columnIt == sheet.columns().end() ? cell.format : columnIt->second.format.mergedWith(cell.format);
            fmt = format(merged);
            haveFormat = true;
            lastColumn = key.second;
            lastOwn = cell.format;
        }
        // A sheet of a million rows takes a while: the windows keep painting meanwhile.
        if (++written % 8192 == 0)
            ProcessMessages();
        double number = 0;
        if (cell.value.isEmpty())
            check(worksheet_write_blank(ws, row, col, fmt));
        else if (merged.numberFormat.value_or(QString()) != u"@" && ExcelTextToNumber(cell.value, number))
            check(worksheet_write_number(ws, row, col, number, fmt));
        else
            check(worksheet_write_string(ws, row, col, cell.value.toUtf8().constData(), fmt));
    }
}

} // namespace

namespace {

// A folder made anew that only this user can enter (mode 0700), removed with what it holds when the
// object goes.
class PrivateFolder {
public:
    explicit PrivateFolder(const QString &pattern) : m_path(QFile::encodeName(pattern))
    {
        if (!::mkdtemp(m_path.data())) {
            m_error = errno;
            m_path.clear();
        }
    }
    ~PrivateFolder()
    {
        if (!m_path.isEmpty())
            QDir(path()).removeRecursively();
    }
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;
    bool made() const { return !m_path.isEmpty(); }
    int error() const { return m_error; }
    QString path() const { return QFile::decodeName(m_path); }
    // The folder stays for whoever opens its files.
    void keep() { m_path.clear(); }

private:
    QByteArray m_path;
    int m_error = 0;
};

} // namespace

void WriteWorkbookXlsx(const TExcelWorkbook &workbook, const QString &fileName)
{
    const QFileInfo target(fileName);
    // The library opens its file by name: that name lies in a folder made for this workbook alone, which
    // nobody else can enter to plant a link or a FIFO there. The finished file takes the target's name in
    // one step; whatever had it (a link included) is replaced, never followed.
    PrivateFolder work(target.absolutePath() + u"/.Vendra-XXXXXX"_s);
    if (!work.made())
        throw Exception(Format(u"Не удалось создать файл \"%s\": %s", {fileName, SystemErrorString(work.error())}));
    const QString temp = work.path() + u"/book.xlsx"_s;
    {
        XlsxFile file(temp);
        for (int i = 1; i <= workbook.sheetCount(); ++i)
            file.writeSheet(*workbook.sheet(i));
        file.close();
    }
    // A report is a document like any other: the permissions the user's umask gives a new file, or those
    // of the file it replaces.
    struct stat old {};
    const QByteArray native = QFile::encodeName(target.absoluteFilePath());
    const mode_t mode = ::lstat(native.constData(), &old) == 0 && S_ISREG(old.st_mode) ? old.st_mode & 07777
                                                                                        : 0666 & ~CurrentUmask();
    if (::chmod(QFile::encodeName(temp).constData(), mode) != 0 ||
        ::rename(QFile::encodeName(temp).constData(), native.constData()) != 0)
        throw Exception(Format(u"Не удалось записать файл \"%s\": %s", {fileName, SystemErrorString(errno)}));
}

// --- Back-end ------------------------------------------------------------------------------------

namespace {

IExcelBackend *g_backend = nullptr;

XlsxExcelBackend &DefaultBackend()
{
    static XlsxExcelBackend backend;
    return backend;
}

} // namespace

XlsxExcelBackend::XlsxExcelBackend() = default;

bool XlsxExcelBackend::available()
{
    if (m_folder.isEmpty()) {
        // The system's temporary folder is everybody's: the reports of this run get a folder of their
        // own there, made anew, that only this user can enter.
        PrivateFolder folder(QDir::tempPath() + u"/Vendra-Excel-XXXXXX"_s);
        if (!folder.made())
            return false;
        m_folder = folder.path();
        folder.keep();
    }
    return QDir().mkpath(m_folder);
}

void XlsxExcelBackend::show(const TExcelWorkbook &workbook)
{
    if (!available())
        throw Exception(Format(u"Не удалось создать папку \"%s\": %s",
                               {m_folder.isEmpty() ? QDir::tempPath() : m_folder, SystemErrorString(errno)}));
    QString base = workbook.sheetCount() > 0 ? SanitizeSheetName(workbook.sheet(1)->name()) : QString();
    if (base.isEmpty() || base.startsWith(u'.'))
        base = u"Книга"_s + base;
    base += u' ' + QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh-mm-ss"_s);
    QDir dir(m_folder);
    QString fileName = dir.filePath(base + u".xlsx"_s);
    for (int n = 2; QFileInfo::exists(fileName); ++n)
        fileName = dir.filePath(base + u" (%1).xlsx"_s.arg(n));
    WriteWorkbookXlsx(workbook, fileName);
    m_lastFile = fileName;
    // The report is written whatever happens next: a desktop without a program for it is told where
    // the file is, never that the export failed.
    OpenSavedFile(fileName, u"Отчет сохранен в файле \"%s\".");
}

void SetExcelBackend(IExcelBackend *backend)
{
    g_backend = backend;
}

IExcelBackend &CurrentExcelBackend()
{
    return g_backend ? *g_backend : DefaultBackend();
}

// --- The calls of the export ---------------------------------------------------------------------

namespace {

IExcelBackend *g_application = nullptr;
std::unique_ptr<TExcelWorkbook> g_workbook;

TExcelSheet &CheckedSheet(TExcelSheet *sheet)
{
    if (!sheet)
        throw Exception(u"Лист рабочей книги не создан."_s);
    return *sheet;
}

void CheckRange(int row1, int row2, int col1, int col2)
{
    if (row1 < 1 || col1 < 1 || row2 < row1 || col2 < col1 || row2 > 1048576 || col2 > 16384)
        throw Exception(u"Недопустимый диапазон ячеек (%1, %2):(%3, %4)."_s.arg(row1).arg(col1).arg(row2).arg(col2));
}

void ForRange(TExcelSheet &sheet, int row1, int row2, int col1, int col2,
              const std::function<void(TExcelCell &, int r, int c)> &fn)
{
    CheckRange(row1, row2, col1, col2);
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c)
            fn(sheet.cell(r, c), r - row1, c - col1);
}

void PutValues(TExcelSheet &sheet, int row1, int row2, int col1, int col2, const std::vector<QStringList> &data)
{
    ForRange(sheet, row1, row2, col1, col2, [&](TExcelCell &cell, int r, int c) {
        cell.value = size_t(r) < data.size() ? data[size_t(r)].value(c) : QString();
    });
}

} // namespace

QString GetExcelProgId()
{
    return u"Excel.Application"_s;
}

bool ConnectExcel()
{
    if (g_application)
        ReleaseExcel(false);
    IExcelBackend &backend = CurrentExcelBackend();
    if (backend.available())
        g_application = &backend;
    return g_application != nullptr;
}

void ReleaseExcel(bool present)
{
    IExcelBackend *application = std::exchange(g_application, nullptr);
    std::unique_ptr<TExcelWorkbook> workbook = std::move(g_workbook);
    if (present && application && workbook)
        application->show(*workbook);
}

bool ExcelConnected()
{
    return g_application != nullptr;
}

TExcelWorkbook *AddWorkbook()
{
    if (!g_application && !ConnectExcel())
        return nullptr;
    g_workbook = std::make_unique<TExcelWorkbook>();
    return g_workbook.get();
}

bool NewWorkbook()
{
    return AddWorkbook() != nullptr;
}

TExcelWorkbook *CurrentWorkbook()
{
    return g_workbook.get();
}

TExcelSheet *GetWorkbookSheet(int index, const QString &name)
{
    return GetSheet(g_workbook.get(), index, name);
}

namespace {

TExcelSheet *NameSheet(TExcelWorkbook &workbook, TExcelSheet *sheet, const QString &name)
{
    if (!sheet || name.isEmpty())
        return sheet;
    const QString clean = SanitizeSheetName(name);
    if (clean.isEmpty())
        return sheet;
    if (workbook.hasOtherSheetNamed(clean, sheet))
        return nullptr;
    sheet->setName(clean);
    return sheet;
}

} // namespace

TExcelSheet *GetSheet(TExcelWorkbook *workbook, int index, const QString &name)
{
    if (!workbook)
        throw Exception(NoWorkbookText());
    TExcelSheet *sheet = workbook->sheet(index);
    if (!sheet)
        return GetFreeSheet(workbook, name);
    return NameSheet(*workbook, sheet, name);
}

TExcelSheet *GetFreeSheet(TExcelWorkbook *workbook, const QString &name)
{
    if (!workbook)
        throw Exception(NoWorkbookText());
    TExcelSheet *sheet = nullptr;
    for (int i = 1; i <= workbook->sheetCount() && !sheet; ++i)
        if (IsSheetEmpty(*workbook->sheet(i)))
            sheet = workbook->sheet(i);
    if (!sheet)
        sheet = workbook->addSheet(workbook->sheetCount());
    return NameSheet(*workbook, sheet, name);
}

bool IsSheetEmpty(const TExcelSheet &sheet)
{
    return sheet.usedRows() == 1 && sheet.usedColumns() == 1 && sheet.text(1, 1).isEmpty();
}

QString SanitizeSheetName(const QString &name)
{
    QString s = name;
    s.remove(u'"').remove(u'\'').remove(u'*');
    s.replace(u'/', u'-').replace(u'\\', u'-').replace(u'[', u'(').replace(u']', u')');
    s.remove(u'?').remove(u':');
    // 31 characters, not UTF-16 units: a character outside the basic plane is not cut in two.
    qsizetype cut = 0;
    for (int chars = 0; cut < s.size() && chars < 31; ++chars)
        cut += s[cut].isHighSurrogate() && cut + 1 < s.size() ? 2 : 1;
    s.truncate(cut);
    return s.trimmed();
}

void SetPageOrientation(TExcelSheet *sheet, int orientation)
{
    if (sheet && (orientation == 1 || orientation == 2))
        sheet->setOrientation(orientation);
}

int ExcelAlignment(int alignment)
{
    switch (alignment) {
    case 1: return xlRight;
    case 2: return xlCenter;
    default: return xlLeft;
    }
}

double ExcelColumnWidth(double width)
{
    return width >= 255 ? 255.0 : std::max(width, 0.0);
}

void FormatColumn(TExcelSheet *sheet, int column, int hAlign, int vAlign, const QString &numberFormat,
                  double fontSize, double width)
{
    CheckRange(1, 1, column, column);
    TExcelColumn &c = CheckedSheet(sheet).column(column);
    c.width = ExcelColumnWidth(width);
    c.format.fontSize = fontSize;
    c.format.hAlign = hAlign;
    c.format.vAlign = vAlign;
    c.format.numberFormat = numberFormat;
}

void SetRangeBorders(TExcelSheet *sheet, int row1, int row2, int col1, int col2, int weight)
{
    ForRange(CheckedSheet(sheet), row1, row2, col1, col2,
             [&](TExcelCell &cell, int, int) { cell.format.borderWeight = weight; });
}

namespace {

void SetFont(TExcelFormat &f, double fontSize, unsigned fontStyle)
{
    f.fontSize = fontSize;
    f.bold = (fontStyle & fsBold) != 0;
    f.italic = (fontStyle & fsItalic) != 0;
    f.underline = (fontStyle & fsUnderline) != 0;
    f.strikeOut = (fontStyle & fsStrikeOut) != 0;
}

} // namespace

void FormatCell(TExcelSheet *sheet, int row, int column, const QString &value, double fontSize,
                const QString &numberFormat, bool wrapText, int vAlign, int hAlign, int borderWeight,
                unsigned fontStyle)
{
    TExcelSheet &s = CheckedSheet(sheet);
    CheckRange(row, row, column, column);
    TExcelCell &cell = s.cell(row, column);
    if (!numberFormat.isEmpty())
        cell.format.numberFormat = numberFormat;
    cell.value = value;
    SetFont(cell.format, fontSize, fontStyle);
    if (borderWeight > 0)
        cell.format.borderWeight = borderWeight;
    cell.format.hAlign = hAlign;
    cell.format.vAlign = vAlign;
    cell.format.wrapText = wrapText;
}

void PutFormattedRange(TExcelSheet *sheet, int row1, int row2, int col1, int col2,
                       const std::vector<QStringList> &data, double fontSize, unsigned fontStyle,
                       int borderWeight, int hAlign, int vAlign, bool wrapText)
{
    TExcelSheet &s = CheckedSheet(sheet);
    PutValues(s, row1, row2, col1, col2, data);
    ForRange(s, row1, row2, col1, col2, [&](TExcelCell &cell, int, int) {
        SetFont(cell.format, fontSize, fontStyle);
        if (borderWeight > 0)
            cell.format.borderWeight = borderWeight;
        cell.format.hAlign = hAlign;
        cell.format.vAlign = vAlign;
        cell.format.wrapText = wrapText;
    });
}

void PutRangeValue(TExcelSheet *sheet, int row1, int row2, int col1, int col2,
                   const std::vector<QStringList> &data, int borderWeight)
{
    TExcelSheet &s = CheckedSheet(sheet);
    PutValues(s, row1, row2, col1, col2, data);
    if (borderWeight > 0)
        SetRangeBorders(sheet, row1, row2, col1, col2, borderWeight);
}
