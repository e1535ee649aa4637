#include "common/ExcelExport.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/ExcelWriter.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/IniFile.h"
#include "common/TextUtils.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString ExportAlignmentName(int alignment)
{
    const QStringList names = ExportAlignmentNames();
    return alignment >= 0 && alignment < names.size() ? names[alignment] : u"#ERROR#"_s;
}

QStringList ExportAlignmentNames()
{
    return {u"по левому краю"_s, u"по правому краю"_s, u"по центру"_s};
}

QString ExportWidthText(double width, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(width, 'f', 2);
}

QString ExportWidthTextOfPixels(int pixels, const QLocale &locale)
{
    return ExportWidthText(pixels / 8.0, locale);
}

QString ExportSectionName(const QString &ownerName, const QString &sourceName)
{
    return Format(u"EXPORT_EXCEL_%s.%s", {ownerName.toUpper(), sourceName.toUpper()});
}

QString ExportItemText(const TExportField &field)
{
    return Format(u"%d;%s;%s;%s;%d;%s", {field.sourceIndex, TrimControl(field.physical), field.caption,
                                         field.checked ? u"-1"_s : u"0"_s, field.alignment, field.widthText});
}

namespace {

bool Blank(const QString &text)
{
    return TrimControl(text).isEmpty();
}

// A Boolean word of a saved line: any integer (non-zero is true) or "True"/"False".
bool WordToBool(const QString &word, bool current)
{
    bool ok = false;
    const int n = TextToIntDef(word, 0, &ok);
    if (ok)
        return n != 0;
    if (word.compare(u"true"_s, Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"false"_s, Qt::CaseInsensitive) == 0)
        return false;
    return current;
}

void ReadItem(const QString &line, int position, std::vector<TExportField> &fields)
{
    // Runs of ";" count as one separator, so an empty caption leaves five words.
    const QStringList words = line.split(u';', Qt::SkipEmptyParts);
    if (words.size() != 6)
        return;
    const int id = TextToIntDef(TrimControl(words[0]), -1);
    const auto found = std::find_if(fields.begin(), fields.end(),
                                    [id](const TExportField &f) { return f.sourceIndex == id; });
    if (found == fields.end() ||
        TrimControl(found->physical).compare(TrimControl(words[1]), Qt::CaseInsensitive) != 0)
        return;
    auto from = found - fields.begin();
    if (from != position) {
        TExportField moved = std::move(*found);
        fields.erase(fields.begin() + from);
        fields.insert(fields.begin() + position, std::move(moved));
    }
    TExportField &f = fields[size_t(position)];
    f.caption = words[2];
    f.checked = WordToBool(TrimControl(words[3]), f.checked);
    bool ok = false;
    const int alignment = TextToIntDef(TrimControl(words[4]), f.alignment, &ok);
    if (ok && alignment >= eaLeft && alignment <= eaCenter)
        f.alignment = alignment;
    f.widthText = TrimControl(words[5]);
}

} // namespace

TExportLoad ReadExportParams(const IniFile &ini, const QString &section, TExportParams &params,
                             bool useRestoreFlag, bool force, const std::function<void(int position)> &itemError)
{
    if (!ini.sectionExists(section))
        return TExportLoad::NoSection;
    if (useRestoreFlag) {
        params.restoreParameters = ini.readBool(section, u"RestoreParameters"_s, params.restoreParameters);
        if (!params.restoreParameters)
            return TExportLoad::NotRestored;
    }
    if (force || Blank(params.title))
        params.title = ini.readString(section, u"Title"_s, params.title);
    if (Blank(params.notes))
        params.notes = ini.readString(section, u"Notes"_s, params.notes);
    params.showCreateTime = ini.readBool(section, u"ShowCreateTime"_s, params.showCreateTime);
    params.sheetName = ini.readString(section, u"SheetName"_s, params.sheetName);
    // Values the dialog cannot show keep the current ones.
    const int orientation = ini.readInteger(section, u"PageOrientation"_s, params.orientation);
    if (orientation >= 0 && orientation <= 2)
        params.orientation = orientation;
    const int fontSize = ini.readInteger(section, u"BaseFontSize"_s, params.baseFontSize);
    if (fontSize >= 1 && fontSize <= 100)
        params.baseFontSize = fontSize;

    for (int i = 0; i < int(params.fields.size()); ++i) {
        try {
            const QString line = ini.readString(section, u"Item_%1"_s.arg(i));
            if (!line.isEmpty())
                ReadItem(line, i, params.fields);
        } catch (const std::exception &) {
            if (itemError)
                itemError(i);
        }
    }
    return TExportLoad::Loaded;
}

void WriteExportParams(IniFile &ini, const QString &section, const TExportParams &params, bool writeRestoreFlag)
{
    ini.eraseSection(section);
    if (writeRestoreFlag)
        ini.writeBool(section, u"RestoreParameters"_s, params.restoreParameters);
    ini.writeString(section, u"Title"_s, params.title);
    ini.writeString(section, u"Notes"_s, params.notes);
    ini.writeBool(section, u"ShowCreateTime"_s, params.showCreateTime);
    ini.writeString(section, u"SheetName"_s, params.sheetName);
    ini.writeInteger(section, u"PageOrientation"_s, params.orientation);
    ini.writeInteger(section, u"BaseFontSize"_s, params.baseFontSize);
    for (size_t i = 0; i < params.fields.size(); ++i)
        ini.writeString(section, u"Item_%1"_s.arg(i), ExportItemText(params.fields[i]));
}

bool LoadExportParams(const QString &fileName, const QString &section, TExportParams &params,
                      bool useRestoreFlag, bool force)
{
    BusySection busy;
    try {
        const IniFile ini(fileName);
        if (ini.unreadable())
            throw EInOutError(ini.readError());
        ReadExportParams(ini, section, params, useRestoreFlag, force, [](int position) {
            ShowErrorBox(Format(u"Ошибка загрузки параметров экспортируемого поля ID=\"%d\"!", {position}));
        });
        return true;
    } catch (const std::exception &) {
        ShowErrorBox(Format(u"Ошибка загрузки параметров экспорта из файла \"%s\"!", {fileName}));
        return false;
    }
}

bool SaveExportParams(const QString &fileName, const QString &section, const TExportParams &params,
                      bool writeRestoreFlag, TNamedBy namedBy)
{
    BusySection busy;
    try {
        IniFile ini(fileName);
        ini.setNamedBy(namedBy);
        WriteExportParams(ini, section, params, writeRestoreFlag);
        ini.updateFile();
        return true;
    } catch (const std::exception &) {
        ShowErrorBox(Format(u"Ошибка сохранения параметров экспорта в файле \"%s\"!", {fileName}));
        return false;
    }
}

TExportRowPlan PlanExportRows(const QString &headLine, const QString &notes, bool showCreateTime)
{
    TExportRowPlan plan;
    plan.headRows = headLine.isEmpty() ? 0 : 2;
    plan.infoRows = (Blank(notes) ? 0 : 1) + (showCreateTime ? 1 : 0);
    plan.headingRow = plan.headRows + plan.infoRows + 3;
    return plan;
}

QString ReportTimeLine(const QDateTime &time, const QLocale &locale)
{
    const QString text = locale.toString(time.date(), QLocale::ShortFormat) + u' ' + time.time().toString(u"hh:mm:ss"_s);
    return Format(u"Отчет построен: %s.", {text});
}

namespace {

QString ExportErrorText(const QString &reason)
{
    return Format(u"Ошибка экспорта данных в Microsoft Excel!\r%s", {reason});
}

// Progress calls that may go nowhere.
struct Progress {
    IExportProgress *p;
    void text(const QString &t) const { if (p) p->setText(t); }
    void step() const { if (p) p->step(); }
};

void BuildSheet(const TExportJob &job, const std::vector<const TExportField *> &checked, const Progress &progress)
{
    const TExportParams &params = job.params;
    const int base = params.baseFontSize;
    const int n = int(checked.size());

    progress.text(u"Создание рабочей книги..."_s);
    progress.step();
    if (!NewWorkbook())
        throw Exception(u"Рабочая книга Microsoft Excel не создана или не активна"_s);
    progress.text(u"Создание листа..."_s);
    progress.step();
    TExcelSheet *sheet = GetWorkbookSheet(1, params.sheetName);
    if (!sheet)
        throw Exception(Format(u"Не удалось создать лист \"%s\".", {SanitizeSheetName(params.sheetName)}));
    progress.text(u"Форматирование листа..."_s);

    const TExportRowPlan plan = PlanExportRows(job.headLine, params.notes, params.showCreateTime);
    if (params.orientation == 1 || params.orientation == 2)
        SetPageOrientation(sheet, params.orientation);
    progress.step();

    int k = 0;
    for (const TExportField &f : params.fields) {
        if (f.checked)
            FormatColumn(sheet, ++k, ExcelAlignment(f.alignment), xlCenter, QString(), base,
                         DotTextToFloatDef(f.widthText, 10));
        progress.step();
    }

    auto textCell = [&](int row, const QString &value, int size, unsigned style) {
        FormatCell(sheet, row, 1, value, size, QString(), false, xlCenter, xlLeft, 0, style);
    };
    if (!job.headLine.isEmpty())
        textCell(1, job.headLine, base - 2, fsItalic);
    textCell(plan.headRows + 1, params.title, base + 4, fsBold);
    if (!Blank(params.notes))
        textCell(plan.headRows + 2, params.notes, base, fsBold);
    if (params.showCreateTime) {
        const QDateTime time = job.createTime.isValid() ? job.createTime : QDateTime::currentDateTime();
        textCell(plan.headRows + plan.infoRows + 1, ReportTimeLine(time), base, fsItalic);
    }
    progress.step();

    QStringList headings;
    for (const TExportField &f : params.fields) {
        if (f.checked)
            headings << f.caption;
        progress.step();
    }
    const int f = plan.headingRow;
    PutFormattedRange(sheet, f, f, 1, n, {headings}, base, 0, 3, xlCenter, xlCenter, true);

    progress.text(u"Подготовка данных для экспорта..."_s);
    std::vector<QStringList> data(size_t(job.rows));
    for (int row = 0; row < job.rows; ++row) {
        QStringList &values = data[size_t(row)];
        values.reserve(n);
        for (const TExportField *field : checked)
            values << (job.cellText ? job.cellText(row, field->sourceIndex) : QString());
        progress.step();
    }

    progress.text(u"Передача данных в Microsoft Excel..."_s);
    // An empty source sends its headings alone.
    if (job.rows > 0)
        PutRangeValue(sheet, f + 1, f + job.rows, 1, n, data, 2);
    progress.step();
}

} // namespace

bool RunExcelExport(const TExportJob &job, IExportProgress *progress)
{
    std::vector<const TExportField *> checked;
    for (const TExportField &f : job.params.fields)
        if (f.checked)
            checked.push_back(&f);
    if (checked.empty()) {
        ShowErrorBox(ExportErrorText(u"Не выбрано ни одного столбца для экспорта."_s));
        return false;
    }
    const TExportRowPlan plan = PlanExportRows(job.headLine, job.params.notes, job.params.showCreateTime);
    if (job.rows < 0 || job.rows > kExcelMaxRows - plan.headingRow) {
        ShowErrorBox(ExportErrorText(
            Format(u"Лист Microsoft Excel вмещает не более %d строк данных.", {kExcelMaxRows - plan.headingRow})));
        return false;
    }

    struct ProgressCloser {
        IExportProgress *p;
        ~ProgressCloser() { if (p) p->close(); }
    } closer{progress};
    if (progress)
        progress->show(u"Вызов Microsoft Excel..."_s, 2 * int(job.params.fields.size()) + job.rows + 5);

    if (!ConnectExcel())
        return false;
    bool done = false;
    try {
        BuildSheet(job, checked, Progress{progress});
        done = true;
    } catch (const Exception &e) {
        ShowErrorBox(ExportErrorText(e.message()));
    } catch (const std::exception &e) {
        ShowErrorBox(ExportErrorText(QString::fromLocal8Bit(e.what())));
    }
    // A sheet that failed half-way is dropped unseen, never handed over as if it were the report.
    try {
        ReleaseExcel(done);
    } catch (const Exception &e) {
        done = false;
        ShowErrorBox(ExportErrorText(e.message()));
    }
    return done;
}
