#include "common/Cp1251.h"
#include "common/ExcelExport.h"
#include "common/ExcelWriter.h"
#include "common/Exception.h"
#include "common/IniFile.h"
#include "common/ProgramFiles.h"
#include "common/widgets/ExcelExportDialog.h"
#include "common/widgets/ListView.h"
#include "common/widgets/StringGrid.h"
#include "tests/support/DialogPlayerScope.h"
#include "tests/support/RecordingProcesses.h"
#include "tests/support/OtherKindFiles.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <sys/resource.h>
#include <sys/stat.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <csignal>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Keeps a copy of every sheet handed over and writes the real file too.
class RecordingExcel : public IExcelBackend {
public:
    explicit RecordingExcel(const QString &folder)
    {
        m_files.setFolder(folder);
        SetExcelBackend(this);
    }
    ~RecordingExcel() override { SetExcelBackend(nullptr); }
    bool available() override { return true; }
    void show(const TExcelWorkbook &workbook) override
    {
        sheets.clear();
        for (int i = 1; i <= workbook.sheetCount(); ++i)
            sheets.push_back(*workbook.sheet(i));
        m_files.show(workbook);
    }
    QString file() const { return m_files.lastFile(); }

    std::vector<TExcelSheet> sheets;

private:
    XlsxExcelBackend m_files;
};

QString Unzipped(const QString &file, const QString &member)
{
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-p"_s, file, member});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

std::vector<TExportField> ThreeFields()
{
    return {{0, u"Тираж"_s, u"Тираж"_s, true, eaRight, u"10,00"_s},
            {1, u"Дата"_s, u"Дата"_s, true, eaLeft, u"12,50"_s},
            {2, u"Сумма"_s, u"Сумма"_s, true, eaRight, u"7,50"_s}};
}

} // namespace

TEST(ExcelWriter, SheetNamesAlignmentsAndWidthsAsTheExportSendsThem)
{
    const QString name = SanitizeSheetName(u"Статистика/тиражи? за [2023] год: \"итог\" по всем"_s);
    EXPECT_LE(name.size(), 31);
    EXPECT_TRUE(name.startsWith(u"Статистика-тиражи за (2023) год"_s));
    EXPECT_FALSE(name.contains(u'?') || name.contains(u':') || name.contains(u'"'));
    EXPECT_EQ(SanitizeSheetName(u"[a]"_s), u"(a)");
    EXPECT_EQ(SanitizeSheetName(QString(40, QChar(0x0416))), QString(31, QChar(0x0416)));

    EXPECT_EQ(ExcelAlignment(0), -4131);
    EXPECT_EQ(ExcelAlignment(1), -4152);
    EXPECT_EQ(ExcelAlignment(2), -4108);
    EXPECT_EQ(ExcelAlignment(7), -4131);

    TExcelWorkbook book;
    FormatColumn(book.sheet(1), 1, xlLeft, xlCenter, {}, 8, 300);
    FormatColumn(book.sheet(1), 2, xlLeft, xlCenter, {}, 8, 12.5);
    EXPECT_EQ(book.sheet(1)->columns().at(1).width, 255.0);
    EXPECT_EQ(book.sheet(1)->columns().at(2).width, 12.5);
    EXPECT_THROW(FormatColumn(nullptr, 1, xlLeft, xlCenter, {}, 8, 10), Exception);
}

TEST(ExcelWriter, SheetsAreTakenFreeOrAddedAtTheEnd)
{
    try {
        GetSheet(nullptr, 1, u"x"_s);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Рабочая книга Microsoft Excel не создана или не активна");
    }
    TExcelWorkbook book;
    EXPECT_EQ(GetSheet(&book, 5, u"Отчет"_s), book.sheet(1)); // the only sheet is empty
    EXPECT_EQ(book.sheet(1)->name(), u"Отчет");
    book.sheet(1)->cell(1, 1).value = u"занят"_s;
    TExcelSheet *added = GetSheet(&book, 5, u"Второй"_s);
    ASSERT_EQ(book.sheetCount(), 2);
    EXPECT_EQ(added, book.sheet(2));
    EXPECT_EQ(added->name(), u"Второй");
    EXPECT_EQ(GetSheet(&book, 2, u"отчет"_s), nullptr); // the name is the first sheet's
}

TEST(ExcelWriter, TextsThatHoldPlainNumbersBecomeNumbers)
{
    struct Case {
        QString text;
        bool number;
        double value;
    };
    const Case cases[] = {
        {u"12"_s, true, 12},           {u"-3,5"_s, true, -3.5},       {u" 7.25 "_s, true, 7.25},
        {u"1 234,56"_s, true, 1234.56}, {u"1\u00A0000"_s, true, 1000}, {u"1 2345"_s, false, 0},
        {u"05 Jan 2024"_s, false, 0},  {u"1 2 3 4 5 6"_s, false, 0},  {u"12,5%"_s, false, 0},
        {u"1234567890123456"_s, false, 0}, {u""_s, false, 0},          {u"1e5"_s, false, 0},
    };
    for (const Case &c : cases) {
        double value = 0;
        EXPECT_EQ(ExcelTextToNumber(c.text, value), c.number) << c.text.toStdString();
        if (c.number) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text.toStdString();
        }
    }
}

TEST(ExcelWriter, CodesStayTextsAndNumbersFollowTheProgramsRuleNotTheLocale)
{
    // Draw numbers, channel texts and other codes with a leading zero are texts: "007" is not seven.
    // "1,234" where the locale groups thousands with "," may mean 1234: never taken for 1.234 there.
    const QLocale saved;
    struct Case {
        QLocale locale;
        QString text;
        bool number;
        double value;
    };
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const Case cases[] = {
        {russian, u"007"_s, false, 0},    {english, u"007"_s, false, 0},     {russian, u"01"_s, false, 0},
        {russian, u"-05,5"_s, false, 0},  {russian, u"0"_s, true, 0},        {russian, u"0,5"_s, true, 0.5},
        {english, u"0.5"_s, true, 0.5},   {english, u"1,234"_s, false, 0},   {english, u"-1,234"_s, false, 0},
        {english, u"1,5"_s, true, 1.5},   {english, u"12.25"_s, true, 12.25}, {russian, u"1,234"_s, true, 1.234},
        {russian, u"1 234,5"_s, true, 1234.5},
    };
    for (const Case &c : cases) {
        QLocale::setDefault(c.locale);
        double value = -1;
        EXPECT_EQ(ExcelTextToNumber(c.text, value), c.number) << c.text.toStdString() << " "
                                                              << c.locale.name().toStdString();
        if (c.number) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text.toStdString();
        }
    }
    QLocale::setDefault(saved);
}

TEST(ExcelWriter, AFailedWriteKeepsTheOldFileAndLeavesNothingElse)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(u"report.xlsx"_s);
    TExcelWorkbook good;
    good.sheet(1)->cell(1, 1).value = u"старый отчет"_s;
    WriteWorkbookXlsx(good, target);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    TExcelWorkbook bad;
    bad.sheet(1)->cell(1, 1).value = QString(40000, u'x'); // more than a cell holds
    try {
        WriteWorkbookXlsx(bad, target);
        ADD_FAILURE() << "a cell over the limit was written";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().startsWith(u"Текст ячейки длиннее, чем допускает Excel (32767 символов).\r"_s))
            << e.message().toStdString();
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"report.xlsx"_s});

    // A disk that takes no more: the cause in words, not the library's "ZIP_ERRNO".
    TExcelWorkbook large;
    for (int row = 1; row <= 2000; ++row)
        large.sheet(1)->cell(row, 1).value = u"строка отчета номер "_s + QString::number(row);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        WriteWorkbookXlsx(large, target);
    } catch (const Exception &e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);
    EXPECT_TRUE(message.contains(u"файл больше допустимого размера."_s)) << message.toStdString();
    EXPECT_FALSE(message.section(u'\r', 0, 0).contains(u"ZIP"_s)) << message.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"report.xlsx"_s});
    EXPECT_EQ(WorkbookErrorText(LXW_ERROR_ZIP_FILE_OPERATION, ENOSPC),
              u"Не удалось записать файл книги: на диске нет свободного места.\r"_s +
                  QString::fromUtf8(lxw_strerror(LXW_ERROR_ZIP_FILE_OPERATION)));
}

TEST(ExcelWriter, TheWorkbookIsMadeWhereNobodyElseCanPlantAName)
{
    // The reports of a run go into a folder made anew in the temporary area for this user alone, never
    // into one of a fixed name that someone else may have made first.
    QTemporaryDir tmp;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    ASSERT_TRUE(QDir(tmp.path()).mkdir(u"Vendra-Excel"_s));
    XlsxExcelBackend backend;
    const bool available = backend.available();
    qputenv("TMPDIR", oldTmp);
    ASSERT_TRUE(available);
    EXPECT_EQ(QFileInfo(backend.folder()).absolutePath(), tmp.path());
    EXPECT_TRUE(QFileInfo(backend.folder()).fileName().startsWith(u"Vendra-Excel-"_s));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(backend.folder()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A link or a FIFO under the report's name is replaced, never written through nor waited for.
    QTemporaryDir dir;
    const QString outside = dir.filePath(u"victim.txt"_s), target = dir.filePath(u"report.xlsx"_s);
    TExcelWorkbook book;
    book.sheet(1)->cell(1, 1).value = u"отчет"_s;
    for (const TOtherFileKind kind : {TOtherFileKind::LinkOutside, TOtherFileKind::Fifo}) {
        ASSERT_TRUE(MakeOtherKindFile(target, kind, outside, "not yours"));
        EXPECT_TRUE(RunWatched([&] { return (WriteWorkbookXlsx(book, target), QString()); }).ok());
        EXPECT_TRUE(QFileInfo(target).isFile() && !QFileInfo(target).isSymLink());
        // The file the link led to still holds its bytes.
        EXPECT_TRUE(OtherKindFileIntact(target, TOtherFileKind::LinkOutside, outside, "not yours"));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{u"report.xlsx"_s, u"victim.txt"_s}));
}

TEST(ExcelExportParams, ItemLinesRoundTripThroughAnExpFile)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    const QString file = folder.file(u"my.exp"_s);
    const QString section = ExportSectionName(u"TTemplateMain"_s, u"lvDraws"_s);
    EXPECT_EQ(section, u"EXPORT_EXCEL_TTEMPLATEMAIN.LVDRAWS");

    TExportParams saved;
    saved.title = u"Архив тиражей"_s;
    saved.notes = u"за год"_s;
    saved.showCreateTime = false;
    saved.sheetName = u"Тиражи"_s;
    saved.orientation = 2;
    saved.baseFontSize = 10;
    saved.fields = ThreeFields();
    std::swap(saved.fields[0], saved.fields[2]); // Сумма, Дата, Тираж
    saved.fields[0].caption = u"Итого"_s;
    saved.fields[1].checked = false;
    saved.fields[2].alignment = eaCenter;
    saved.fields[2].widthText = u"300,00"_s;
    ASSERT_TRUE(SaveExportParams(file, section, saved, false, TNamedBy::User));

    const IniFile ini(file);
    EXPECT_EQ(ini.readString(section, u"Item_0"_s), u"2;Сумма;Итого;-1;1;7,50");
    EXPECT_EQ(ini.readString(section, u"Item_1"_s), u"1;Дата;Дата;0;0;12,50");
    EXPECT_FALSE(ini.valueExists(section, u"RestoreParameters"_s));
    EXPECT_TRUE(DecodeTextFile(folder.read(u"my.exp"_s)).contains(u"Title=Архив тиражей"_s));

    TExportParams loaded;
    loaded.title = u"Свой заголовок"_s;
    loaded.notes = u"свои сведения"_s;
    loaded.fields = ThreeFields();
    ASSERT_TRUE(LoadExportParams(file, section, loaded, false, true));
    EXPECT_EQ(loaded.fields, saved.fields);
    EXPECT_EQ(loaded.title, u"Архив тиражей"); // forced
    EXPECT_EQ(loaded.notes, u"свои сведения"); // never over non-blank notes
    EXPECT_EQ(loaded.sheetName, u"Тиражи");
    EXPECT_EQ(loaded.orientation, 2);
    EXPECT_EQ(loaded.baseFontSize, 10);
    EXPECT_FALSE(loaded.showCreateTime);
    EXPECT_EQ(boxes.count(), 0);

    // Saving again erases the old lines: the section holds exactly the current fields.
    saved.fields.resize(1);
    ASSERT_TRUE(SaveExportParams(file, section, saved, false, TNamedBy::User));
    EXPECT_FALSE(IniFile(file).valueExists(section, u"Item_1"_s));

    // Saved under a link the user chose: the file it leads to takes them, the link stays.
    const QString link = folder.file(u"link.exp"_s);
    ASSERT_TRUE(QFile::link(file, link));
    saved.title = u"Через ссылку"_s;
    ASSERT_TRUE(SaveExportParams(link, section, saved, false, TNamedBy::User));
    EXPECT_EQ(IniFile(file).readString(section, u"Title"_s), u"Через ссылку");
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), file);
}

TEST(ExcelExportParams, LinesThatNoLongerFitAreSkippedAndTheRestoreFlagDecides)
{
    IniFile ini;
    const QString s = u"EXPORT_EXCEL_W.L"_s;
    ini.writeString(s, u"RestoreParameters"_s, u"1"_s);
    ini.writeString(s, u"Title"_s, u"Сохраненный"_s);
    ini.writeString(s, u"Item_0"_s, u"2;Сумма;;-1;0;5,00"_s);        // empty caption: five words
    ini.writeString(s, u"Item_1"_s, u"0;Номер;Номер;0;0;5,00"_s);    // the column is "Тираж" now
    ini.writeString(s, u"Item_2"_s, u"1; дата ;По дате;0;2;9,00"_s); // found whatever the case

    TExportParams p;
    p.title = u"Текущий"_s;
    p.fields = ThreeFields();
    EXPECT_EQ(ReadExportParams(ini, s, p, true, false), TExportLoad::Loaded);
    EXPECT_EQ(p.title, u"Текущий");
    ASSERT_EQ(p.fields.size(), 3u);
    EXPECT_EQ(p.fields[0], ThreeFields()[0]);
    EXPECT_EQ(p.fields[1], ThreeFields()[2]);
    EXPECT_EQ(p.fields[2].physical, u"Дата");
    EXPECT_EQ(p.fields[2].caption, u"По дате");
    EXPECT_FALSE(p.fields[2].checked);
    EXPECT_EQ(p.fields[2].alignment, eaCenter);

    ini.writeString(s, u"RestoreParameters"_s, u"0"_s);
    TExportParams off;
    off.fields = ThreeFields();
    EXPECT_EQ(ReadExportParams(ini, s, off, true, true), TExportLoad::NotRestored);
    EXPECT_FALSE(off.restoreParameters);
    EXPECT_TRUE(off.title.isEmpty());
    EXPECT_EQ(off.fields, ThreeFields());
}

TEST(ExcelExport, RowsOfTheSheetAndNumbersAsNumbers)
{
    QTemporaryDir dir;
    RecordingExcel excel(dir.path());
    RecordingUrlOpener opener;
    ScriptedMessages boxes;

    TExportJob job;
    job.params.title = u"Отчет"_s;
    job.params.sheetName = u"Лист/1"_s;
    job.params.fields = ThreeFields();
    job.params.fields[1].checked = false;
    job.params.fields[2].widthText = u"300,00"_s;
    job.rows = 2;
    job.cellText = [](int row, int column) {
        const QString texts[2][3] = {{u"101"_s, u"05 Jan 2024"_s, u"1 500,25"_s}, {u"102"_s, u"12 Jan 2024"_s, u"-"_s}};
        return texts[row][column];
    };
    job.createTime = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
    ASSERT_TRUE(RunExcelExport(job));
    EXPECT_EQ(boxes.count(), 0);

    ASSERT_EQ(excel.sheets.size(), 1u);
    const TExcelSheet &sheet = excel.sheets[0];
    EXPECT_EQ(sheet.name(), u"Лист-1");
    // No head line, no notes, the time on: title, time, an empty row, headings, data.
    EXPECT_EQ(sheet.text(1, 1), u"Отчет");
    EXPECT_TRUE(sheet.text(2, 1).startsWith(u"Отчет построен: "_s));
    EXPECT_TRUE(sheet.text(2, 1).contains(u"14:07:09."_s));
    EXPECT_EQ(sheet.text(4, 1), u"Тираж");
    EXPECT_EQ(sheet.text(4, 2), u"Сумма");
    EXPECT_EQ(sheet.findCell(4, 3), nullptr);
    EXPECT_EQ(sheet.text(5, 2), u"1 500,25");
    EXPECT_EQ(sheet.text(6, 1), u"102");
    EXPECT_EQ(sheet.usedRows(), 6);
    EXPECT_EQ(sheet.findCell(1, 1)->format.fontSize, 12.0);
    EXPECT_EQ(sheet.findCell(1, 1)->format.bold, true);
    EXPECT_EQ(sheet.findCell(4, 1)->format.borderWeight, 3);
    EXPECT_EQ(sheet.findCell(5, 1)->format.borderWeight, 2);
    EXPECT_EQ(sheet.columns().at(1).width, 10.0);
    EXPECT_EQ(sheet.columns().at(1).format.hAlign, xlRight);
    EXPECT_EQ(sheet.columns().at(2).width, 255.0);

    ASSERT_EQ(opener.addresses().size(), 1u);
    EXPECT_EQ(opener.addresses()[0], excel.file());
    const QString xml = Unzipped(excel.file(), u"xl/worksheets/sheet1.xml"_s);
    EXPECT_TRUE(xml.contains(u"<c r=\"A5\" s=\""_s) && xml.contains(u"><v>101</v></c>"_s)) << xml.toStdString();
    EXPECT_TRUE(xml.contains(u"<v>1500.25</v>"_s));
    EXPECT_TRUE(xml.contains(u"<col min=\"2\" max=\"2\" width=\"255.7"_s));
    EXPECT_TRUE(xml.contains(u"<pageSetup"_s) == false || !xml.contains(u"landscape"_s));
    const QString strings = Unzipped(excel.file(), u"xl/sharedStrings.xml"_s);
    EXPECT_TRUE(strings.contains(u"<t>Тираж</t>"_s) && strings.contains(u"<t>-</t>"_s));
}

TEST(ExcelExport, AFailedExportIsReportedAndLeavesNoFile)
{
    QTemporaryDir dir;
    RecordingExcel excel(dir.path());
    RecordingUrlOpener opener;
    ScriptedMessages boxes;

    TExportJob job;
    job.params.fields = ThreeFields();
    job.rows = 1;
    job.cellText = [](int, int) { return QString(40000, u'9'); };
    EXPECT_FALSE(RunExcelExport(job));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка экспорта данных в Microsoft Excel!\r"_s));
    EXPECT_TRUE(opener.addresses().empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_FALSE(ExcelConnected());

    boxes.clear();
    for (TExportField &f : job.params.fields)
        f.checked = false;
    EXPECT_FALSE(RunExcelExport(job));
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(ExcelExportDialog, FillReadBackAndTheCheckedBlock)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TFormExpExcel dialog(nullptr);
    TExportDialogData in;
    in.ownerName = u"W"_s;
    in.sourceName = u"L"_s;
    in.params.title = u"Т"_s;
    in.params.orientation = 1;
    in.params.fields = ThreeFields();
    in.params.fields[1].checked = false;
    in.totalRows = 10;
    in.selectedRows = 3;
    in.selectedMode = true;
    in.useSavedParams = false;
    dialog.fill(in);
    dialog.arrangeFields();

    EXPECT_FALSE(dialog.findChild<QCheckBox *>(u"SaveCheckBox"_s)->isEnabled());
    EXPECT_FALSE(dialog.findChild<QCheckBox *>(u"SaveCheckBox"_s)->isChecked());
    EXPECT_TRUE(dialog.findChild<QPushButton *>(u"btnParams"_s)->isHidden());
    EXPECT_EQ(dialog.findChild<QLineEdit *>(u"edRecNum"_s)->text(), u"3");
    dialog.findChild<QComboBox *>(u"edSendMode"_s)->setCurrentIndex(0);
    EXPECT_EQ(dialog.findChild<QLineEdit *>(u"edRecNum"_s)->text(), u"10");

    auto ids = [&] {
        std::vector<int> r;
        for (const TExportField &f : dialog.fields())
            r.push_back(f.sourceIndex);
        return r;
    };
    EXPECT_EQ(ids(), (std::vector<int>{0, 2, 1})); // the checked fields first
    TExportDialogData out;
    dialog.readBack(out);
    EXPECT_EQ(out.params.title, u"Т");
    EXPECT_EQ(out.params.orientation, 1);
    EXPECT_FALSE(out.selectedMode);
    EXPECT_EQ(out.params.fields[2], in.params.fields[1]);

    // Ticking the last field joins it to the block; moving down stops at the block's end.
    dialog.fieldsList()->listModel()->setChecked(2, true);
    dialog.fieldCheckToggled(1);
    EXPECT_EQ(dialog.fieldsList()->selectedRow(), 2);
    dialog.fieldsList()->listModel()->setChecked(0, false);
    dialog.fieldCheckToggled(0);
    EXPECT_EQ(ids(), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(dialog.fieldsList()->selectedRow(), 2);
    dialog.fieldsList()->setSelectedRow(1);
    dialog.moveFieldDown();
    EXPECT_EQ(ids(), (std::vector<int>{2, 1, 0})); // an unchecked field cannot go into the block

    for (int row = 0; row < 3; ++row)
        dialog.fieldsList()->listModel()->setChecked(row, false);
    EXPECT_FALSE(dialog.pressOk());
    EXPECT_EQ(boxes.count(), 1);
}

TEST(ExcelExportDialog, AListViewExportRemembersItsParameters)
{
    TempDataFolder folder;
    QTemporaryDir out;
    RecordingExcel excel(out.path());
    RecordingUrlOpener opener;
    ScriptedMessages boxes;

    QWidget window;
    window.setObjectName(u"FormTest"_s);
    auto *list = new TQSortListView(&window);
    list->setObjectName(u"lvTest"_s);
    list->addColumn(u"Тираж"_s, 80, Qt::AlignRight);
    list->addColumn(u"Дата"_s, 100);
    list->setMultiSelect(true);
    for (int i = 1; i <= 10; ++i) {
        TListItem item;
        item.texts = {QString::number(i), u"%1 Jan 2024"_s.arg(i, 2, 10, QChar(u'0'))};
        list->listModel()->addItem(item);
    }
    list->selectionModel()->select(list->listModel()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->selectionModel()->select(list->listModel()->index(5, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    bool sawSelectedMode = false;
    DialogPlayerScope player([&](TDialogSTemplate &d) {
        auto &dialog = dynamic_cast<TFormExpExcel &>(d);
        sawSelectedMode = dialog.findChild<QComboBox *>(u"edSendMode"_s)->currentIndex() == 1;
        TExportDialogData data;
        dialog.readBack(data);
        std::swap(data.params.fields[0], data.params.fields[1]);
        data.params.fields[0].widthText = u"300,00"_s;
        dialog.fill(data);
        dialog.pressOk();
        return dialog.result();
    });
    ASSERT_TRUE(ExportListViewToExcel(list, u"Тиражи"_s, u"Архив"_s, u"Шапка"_s, {}, 0, true));
    EXPECT_TRUE(sawSelectedMode);
    EXPECT_EQ(boxes.count(), 0);

    // A head line: it in row 1, the title in 3, the time in 4, the headings in 6, two rows of data.
    const TExcelSheet &sheet = excel.sheets.at(0);
    EXPECT_EQ(sheet.name(), u"Архив");
    EXPECT_EQ(sheet.text(1, 1), u"Шапка");
    EXPECT_EQ(sheet.text(3, 1), u"Тиражи");
    EXPECT_EQ(sheet.text(6, 1), u"Дата");
    EXPECT_EQ(sheet.text(6, 2), u"Тираж");
    EXPECT_EQ(sheet.text(7, 1), u"03 Jan 2024");
    EXPECT_EQ(sheet.text(8, 2), u"6");
    EXPECT_EQ(sheet.usedRows(), 8);
    EXPECT_EQ(sheet.columns().at(1).width, 255.0);
    EXPECT_EQ(sheet.columns().at(2).width, 10.0); // 80 pixels
    EXPECT_EQ(sheet.columns().at(2).format.hAlign, xlRight);

    const IniFile ini(GetIniFileName());
    const QString section = u"EXPORT_EXCEL_FORMTEST.LVTEST"_s;
    EXPECT_EQ(ini.readString(section, u"RestoreParameters"_s), u"1");
    EXPECT_EQ(ini.readString(section, u"Item_0"_s), u"1;Дата;Дата;-1;0;300,00");

    // The next export starts from what was remembered.
    DialogPlayerScope check([&](TDialogSTemplate &d) {
        auto &dialog = dynamic_cast<TFormExpExcel &>(d);
        EXPECT_EQ(dialog.fields().at(0).physical, u"Дата");
        EXPECT_EQ(dialog.fields().at(0).widthText, u"300,00");
        dialog.pressCancel();
        return dialog.result();
    });
    EXPECT_FALSE(ExportListViewToExcel(list, u"Тиражи"_s, u"Архив"_s, {}, {}, 0, true));
}

TEST(ExcelExportDialog, AGridSelectionOfSeveralRowsIsSentAlone)
{
    TempDataFolder folder;
    QTemporaryDir out;
    RecordingExcel excel(out.path());
    RecordingUrlOpener opener;
    ScriptedMessages boxes;

    TStringGrid grid;
    grid.setObjectName(u"sgTest"_s);
    grid.setColCount(2);
    grid.setRowCount(6);
    grid.setFixedRows(1);
    grid.setCells(0, 0, u"N"_s);
    grid.setCells(1, 0, u"Число"_s);
    for (int row = 1; row < 6; ++row) {
        grid.setCells(0, row, QString::number(row));
        grid.setCells(1, row, QString::number(row * 10));
    }
    grid.setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid.selectionModel()->select(QItemSelection(grid.indexOfCell(0, 2), grid.indexOfCell(1, 4)),
                                  QItemSelectionModel::Select);

    DialogPlayerScope player([&](TDialogSTemplate &d) {
        EXPECT_EQ(d.findChild<QLineEdit *>(u"edRecNum"_s)->text(), u"3");
        d.findChild<QLineEdit *>(u"edTitle"_s)->setText(u"Сетка"_s);
        static_cast<TFormExpExcel &>(d).pressOk();
        return d.result();
    });
    const QByteArray iniBefore = folder.read(u"Vendra.ini"_s);
    ASSERT_TRUE(ExportStringGridToExcel(&grid, {}, {}, {}, {}, 2, false));
    EXPECT_EQ(folder.read(u"Vendra.ini"_s), iniBefore); // nothing remembered
    const TExcelSheet &sheet = excel.sheets.at(0);
    EXPECT_EQ(sheet.orientation(), 2);
    EXPECT_EQ(sheet.text(4, 2), u"Число");
    EXPECT_EQ(sheet.text(5, 1), u"2");
    EXPECT_EQ(sheet.text(7, 2), u"40");
    EXPECT_EQ(sheet.usedRows(), 7);
}

TEST(ExcelExport, AReportWrittenWhereNothingOpensItIsReportedWithItsPath)
{
    QTemporaryDir dir;
    XlsxExcelBackend files;
    files.setFolder(dir.path());
    SetExcelBackend(&files);
    ScriptedMessages boxes;
    // A fresh machine without a desktop: no program to hand the file to.
    QTemporaryDir emptyBin;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(emptyBin.path()));
    const mode_t oldMask = ::umask(022);

    TExportJob job;
    job.params.fields = ThreeFields();
    job.rows = 1;
    job.cellText = [](int, int column) { return QString::number(column); };
    const bool done = RunExcelExport(job);
    const QString first = files.lastFile();
    ::umask(077);
    const bool privateDone = RunExcelExport(job);
    const QString second = files.lastFile();

    ::umask(oldMask);
    qputenv("PATH", oldPath);
    SetExcelBackend(nullptr);

    EXPECT_TRUE(done);
    EXPECT_TRUE(privateDone);
    ASSERT_TRUE(QFileInfo::exists(first));
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.boxes().at(0).caption, u"Информация");
    EXPECT_TRUE(boxes.boxes().at(0).text.startsWith(u"Отчет сохранен в файле \"" + QDir::toNativeSeparators(first) + u"\"."))
        << boxes.boxes().at(0).text.toStdString();
    EXPECT_FALSE(boxes.boxes().at(0).text.contains(u"Ошибка экспорта"));
    // The permissions any new document gets under the user's umask: 0644, and 0600 under 077.
    const auto mode = [](const QString &file) {
        return QFile::permissions(file) & (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                           QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                           QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    };
    EXPECT_EQ(mode(first), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                               QFileDevice::ReadOther);
    EXPECT_EQ(mode(second), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST(ExcelExportDialog, CommandsAreReadyForTheFieldSelectedAtTheStart)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    QWidget window;
    window.setObjectName(u"FormTest"_s);
    auto *list = new TQSortListView(&window);
    list->setObjectName(u"lvTest"_s);
    list->addColumn(u"Тираж"_s, 80);
    list->addColumn(u"Дата"_s, 100);
    list->addColumn(u"Сумма"_s, 60);
    bool checked = false;
    DialogPlayerScope player([&](TDialogSTemplate &d) {
        checked = true;
        // The first field is selected: it can go down and have its properties edited, not go up.
        EXPECT_FALSE(d.findChild<QPushButton *>(u"btnUp"_s)->isEnabled());
        EXPECT_TRUE(d.findChild<QPushButton *>(u"btnDown"_s)->isEnabled());
        EXPECT_TRUE(d.findChild<QPushButton *>(u"btnProperties"_s)->isEnabled());
        EXPECT_TRUE(d.findChild<QAction *>(u"actProperties"_s)->isEnabled());
        EXPECT_TRUE(d.findChild<QAction *>(u"actLoadParams"_s)->isEnabled());
        EXPECT_TRUE(d.findChild<QAction *>(u"actSaveParams"_s)->isEnabled());
        d.pressCancel();
        return d.result();
    });
    EXPECT_FALSE(ExportListViewToExcel(list, u"Т"_s, u"Л"_s, {}, {}, 0, true));
    EXPECT_TRUE(checked);
}

TEST(ExcelExport, ALongSheetKeepsTheWindowsAlive)
{
    QTemporaryDir dir;
    XlsxExcelBackend files;
    files.setFolder(dir.path());
    SetExcelBackend(&files);
    RecordingUrlOpener opener;
    ScriptedMessages boxes;
    bool eventsRan = false;
    QTimer::singleShot(0, [&] { eventsRan = true; });

    TExportJob job;
    job.params.fields = ThreeFields();
    job.rows = 20000;
    job.cellText = [](int row, int column) { return QString::number(row * 3 + column); };
    const bool done = RunExcelExport(job);
    SetExcelBackend(nullptr);
    EXPECT_TRUE(done);
    EXPECT_TRUE(eventsRan); // the windows were painted while the sheet was written
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(opener.addresses().size(), 1u);
    EXPECT_TRUE(Unzipped(opener.addresses()[0], u"xl/worksheets/sheet1.xml"_s).contains(u"<v>59999</v>"_s));
}
