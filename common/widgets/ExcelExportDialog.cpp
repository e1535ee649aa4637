#include "common/widgets/ExcelExportDialog.h"

#include "common/widgets/FileDialogs.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/FormStore.h"
#include "common/ProgramFiles.h"
#include "common/TextUtils.h"
#include "common/Translate.h"
#include "common/widgets/FormLayouts.h"
#include "common/widgets/ListView.h"
#include "common/widgets/ListViewRoutines.h"
#include "common/widgets/NumericEdit.h"
#include "common/widgets/ProgressWindow.h"
#include "common/widgets/StringGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <set>

using namespace Qt::StringLiterals;

namespace {

const QString kFormSection = u"TFormExpExcel"_s;

QString ExpFileFilter()
{
    return Tr(u"Файлы параметров экспорта (*.exp);;Все файлы (*)");
}

TListItem ItemOf(const TExportField &f)
{
    TListItem item;
    item.texts = {f.caption, ExportAlignmentName(f.alignment), f.widthText, f.physical};
    item.checked = f.checked;
    item.id = f.sourceIndex;
    item.data = f.alignment;
    return item;
}

TExportField FieldOf(const TListItem &item)
{
    TExportField f;
    f.sourceIndex = item.id;
    f.caption = item.texts.value(0);
    f.widthText = item.texts.value(2);
    f.physical = item.texts.value(3);
    f.checked = item.checked;
    f.alignment = item.data.toInt();
    return f;
}

int AlignmentOf(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return eaRight;
    if (alignment & Qt::AlignHCenter)
        return eaCenter;
    return eaLeft;
}

// A model's alignment value, whether it holds the flags, one flag or a plain number.
Qt::Alignment AlignmentValue(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<Qt::Alignment>())
        return value.value<Qt::Alignment>();
    if (value.metaType() == QMetaType::fromType<Qt::AlignmentFlag>())
        return value.value<Qt::AlignmentFlag>();
    return Qt::Alignment(value.toInt());
}

QAction *MakeAction(QWidget *owner, const QString &text, const QString &hint, const QKeySequence &keys)
{
    auto *a = new QAction(text, owner);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    a->setShortcut(keys);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(a);
    return a;
}

} // namespace

// --- Field properties ----------------------------------------------------------------------------

TFormExpExcelParam::TFormExpExcelParam(QWidget *parent) : TDialogSTemplate(parent)
{
    setWindowTitle(Tr(u"Параметры поля"));
    auto *form = new QFormLayout(clientArea());
    m_edCaption = new QLineEdit(clientArea());
    m_edCaption->setObjectName(u"edCaption"_s);
    m_edAlign = new QComboBox(clientArea());
    m_edAlign->setObjectName(u"edAlign"_s);
    m_edAlign->addItems(ExportAlignmentNames());
    m_edWidth = new TQFloatEdit(clientArea());
    m_edWidth->setObjectName(u"edWidth"_s);
    m_edWidth->setDisplayFormat(u",0.00"_s);
    form->addRow(Tr(u"Заголовок столбца:"), m_edCaption);
    form->addRow(Tr(u"Выравнивание данных:"), m_edAlign);
    form->addRow(Tr(u"Ширина:"), m_edWidth);
}

void TFormExpExcelParam::fill(const TExportField &field)
{
    m_edCaption->setText(field.caption);
    m_edAlign->setCurrentIndex(std::clamp(field.alignment, 0, 2));
    m_edWidth->setValue(DotTextToFloatDef(field.widthText, 10));
}

void TFormExpExcelParam::readBack(TExportField &field) const
{
    field.caption = m_edCaption->text();
    field.alignment = m_edAlign->currentIndex();
    field.widthText = ExportWidthText(m_edWidth->value());
}

bool TFormExpExcelParam::validate()
{
    // The saved line of the field is split at ";": a heading with one would lose its settings.
    if (m_edCaption->text().contains(u';')) {
        ShowErrorBox(Tr(u"Заголовок столбца не может содержать символ \";\"!"));
        m_edCaption->setFocus();
        return false;
    }
    m_edWidth->parseText();
    return true;
}

// --- The export dialog ---------------------------------------------------------------------------

TFormExpExcel::TFormExpExcel(QWidget *parent) : TDialogSTemplate(parent)
{
    setObjectName(u"FormExpExcel"_s);
    setWindowTitle(Tr(u"Экспорт в Microsoft Excel"));
    okButton()->setToolTip(Tr(u"Начать экспорт"));
    cancelButton()->setToolTip(Tr(u"Закрыть окно"));

    auto *layout = new QVBoxLayout(clientArea());
    m_pages = new QTabWidget(clientArea());
    m_pages->setObjectName(u"pcPages"_s);
    m_pages->addTab(buildSheetPage(), Tr(u"Параметры листа"));
    m_pages->addTab(buildFieldsPage(), Tr(u"Столбцы таблицы"));
    layout->addWidget(m_pages);

    auto *bottom = new QHBoxLayout;
    m_saveCheckBox = new QCheckBox(Tr(u"Сохранить параметры экспорта в файле конфигурации"), clientArea());
    m_saveCheckBox->setObjectName(u"SaveCheckBox"_s);
    m_saveCheckBox->setChecked(true);
    m_btnParams = new QPushButton(Tr(u"Параметры"), clientArea());
    m_btnParams->setObjectName(u"btnParams"_s);
    m_btnParams->setToolTip(Tr(u"Сохранение параметров экспорта в файле"));
    m_actLoad = MakeAction(this, Tr(u"Загрузить из файла"), Tr(u"Загрузить параметры экспорта из файла"),
                           QKeySequence(u"Ctrl+O"_s));
    m_actLoad->setObjectName(u"actLoadParams"_s);
    m_actSave = MakeAction(this, Tr(u"Сохранить в файле"), Tr(u"Сохранить параметры экспорта в файле"),
                           QKeySequence(u"Ctrl+S"_s));
    m_actSave->setObjectName(u"actSaveParams"_s);
    auto *paramsMenu = new QMenu(m_btnParams);
    paramsMenu->addActions({m_actLoad, m_actSave});
    m_btnParams->setMenu(paramsMenu);
    bottom->addWidget(m_saveCheckBox);
    bottom->addStretch();
    bottom->addWidget(m_btnParams);
    layout->addLayout(bottom);

    connect(m_actLoad, &QAction::triggered, this, [this] { loadFromFile(); });
    connect(m_actSave, &QAction::triggered, this, [this] { saveToFile(); });
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 0)
            m_edTitle->setFocus();
        else
            m_lvFields->setFocus();
    });
    connect(m_edSendMode, &QComboBox::currentIndexChanged, this, [this] { updateRecordCount(); });
    connect(m_saveCheckBox, &QCheckBox::toggled, this, [this] { updateCommands(); });

    try {
        RestoreListViewSettings(kFormSection, m_lvFields, false);
    } catch (const std::exception &) {
        // A damaged settings store leaves the built-in layout.
    }
    resize(620, 420);
    updateCommands();
}

TFormExpExcel::~TFormExpExcel()
{
    try {
        SaveListViewSettings(kFormSection, m_lvFields, false);
    } catch (const std::exception &) {
        // The layout is a convenience: a store that cannot be written keeps the old one.
    }
}

QWidget *TFormExpExcel::buildSheetPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *form = new QFormLayout;
    m_edTitle = new QLineEdit(page);
    m_edTitle->setObjectName(u"edTitle"_s);
    m_edTitle->setToolTip(Tr(u"Название отчета"));
    m_edNotes = new QLineEdit(page);
    m_edNotes->setObjectName(u"edNotes"_s);
    m_edNotes->setToolTip(Tr(u"Дополнительная информация"));
    form->addRow(Tr(u"Наименование отчета:"), m_edTitle);
    form->addRow(Tr(u"Дополнительные сведения:"), m_edNotes);
    layout->addLayout(form);
    m_dateCreateCheckBox =
        new QCheckBox(Tr(u"Добавить строку с датой и временем формирования отчета (экспорта)."), page);
    m_dateCreateCheckBox->setObjectName(u"DateCreateCheckBox"_s);
    m_dateCreateCheckBox->setChecked(true);
    layout->addWidget(m_dateCreateCheckBox);

    auto *sheetBox = new QGroupBox(Tr(u" Параметры листа Microsoft Excel "), page);
    auto *sheetForm = new QFormLayout(sheetBox);
    m_edOrientation = new QComboBox(sheetBox);
    m_edOrientation->setObjectName(u"edOrientation"_s);
    m_edOrientation->addItems({Tr(u"Не устанавливать"), Tr(u"Книжная"), Tr(u"Альбомная")});
    m_edOrientation->setToolTip(Tr(u"Ориентация страницы"));
    m_edFontSize = new QSpinBox(sheetBox);
    m_edFontSize->setObjectName(u"edFontSize"_s);
    m_edFontSize->setRange(1, 100);
    m_edFontSize->setValue(8);
    m_edFontSize->setToolTip(Tr(u"Базовый размер шрифта"));
    m_edPageName = new QLineEdit(sheetBox);
    m_edPageName->setObjectName(u"edPageName"_s);
    m_edPageName->setMaxLength(128);
    m_edPageName->setToolTip(Tr(u"Наименование листа"));
    sheetForm->addRow(Tr(u"Ориентация:"), m_edOrientation);
    sheetForm->addRow(Tr(u"Базовый размер шрифта:"), m_edFontSize);
    sheetForm->addRow(Tr(u"Наименование листа:"), m_edPageName);
    layout->addWidget(sheetBox);

    auto *sendBox = new QGroupBox(Tr(u" Режим передачи данных "), page);
    auto *sendForm = new QFormLayout(sendBox);
    m_edSendMode = new QComboBox(sendBox);
    m_edSendMode->setObjectName(u"edSendMode"_s);
    m_edSendMode->addItems({Tr(u"Экспортировать все отображенные записи"), Tr(u"Экспортировать выделенные записи")});
    m_edSendMode->setToolTip(Tr(u"Режим передачи данных в Microsoft Excel"));
    m_edRecNum = new QLineEdit(sendBox);
    m_edRecNum->setObjectName(u"edRecNum"_s);
    m_edRecNum->setReadOnly(true);
    m_edRecNum->setToolTip(Tr(u"Число строк, которые будут переданы в Microsoft Excel"));
    sendForm->addRow(Tr(u"Число строк:"), m_edSendMode);
    sendForm->addRow(QString(), m_edRecNum);
    layout->addWidget(sendBox);
    layout->addStretch();
    return page;
}

QWidget *TFormExpExcel::buildFieldsPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(Tr(u"Перечень экспортируемых полей:"), page));
    auto *row = new QHBoxLayout;
    m_lvFields = new TQSortListView(page);
    m_lvFields->setObjectName(u"lvFields"_s);
    m_lvFields->addColumn(Tr(u"Наименование столбца"), 250);
    m_lvFields->addColumn(Tr(u"Выравнивание"), 134, Qt::AlignHCenter);
    m_lvFields->addColumn(Tr(u"Ширина"), 60, Qt::AlignHCenter);
    m_lvFields->addColumn(Tr(u"Физическое поле"), 150);
    m_lvFields->listModel()->setCheckBoxes(true);
    m_lvFields->setShowGrid(true);
    // The order of the list is the order of the export: no sorting by the captions.
    m_lvFields->setSortingEnabled(false);
    m_lvFields->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_lvFields->horizontalHeader()->setSortIndicatorShown(false);
    m_lvFields->horizontalHeader()->setSectionsClickable(false);
    row->addWidget(m_lvFields, 1);

    m_actUp = MakeAction(this, Tr(u"Вверх"), Tr(u"Переместить на одну строку вверх"), QKeySequence(u"Ctrl+Up"_s));
    m_actUp->setObjectName(u"actUp"_s);
    m_actDown = MakeAction(this, Tr(u"Вниз"), Tr(u"Переместить на одну строку вниз"), QKeySequence(u"Ctrl+Down"_s));
    m_actDown->setObjectName(u"actDown"_s);
    m_actProperties = MakeAction(this, Tr(u"Свойства"), Tr(u"Изменить свойства экспортируемого поля"),
                                 QKeySequence(u"Ctrl+Return"_s));
    m_actProperties->setObjectName(u"actProperties"_s);
    // Enter of the main keyboard and of the keypad alike.
    m_actProperties->setShortcuts({QKeySequence(u"Ctrl+Return"_s), QKeySequence(u"Ctrl+Enter"_s)});
    auto *buttons = new QVBoxLayout;
    auto button = [&](QAction *action, const QString &name) {
        auto *b = new QPushButton(action->text(), page);
        b->setObjectName(name);
        b->setToolTip(action->toolTip());
        connect(b, &QPushButton::clicked, action, &QAction::trigger);
        buttons->addWidget(b);
        return b;
    };
    m_btnUp = button(m_actUp, u"btnUp"_s);
    m_btnDown = button(m_actDown, u"btnDown"_s);
    m_btnProperties = button(m_actProperties, u"btnProperties"_s);
    buttons->addStretch();
    row->addLayout(buttons);
    layout->addLayout(row);

    m_lvFields->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_lvFields->addActions({m_actUp, m_actDown, m_actProperties});

    connect(m_actUp, &QAction::triggered, this, [this] { moveFieldUp(); });
    connect(m_actDown, &QAction::triggered, this, [this] { moveFieldDown(); });
    connect(m_actProperties, &QAction::triggered, this, [this] { editFieldProperties(); });
    connect(m_lvFields, &QAbstractItemView::doubleClicked, this, [this] { editFieldProperties(); });
    connect(m_lvFields->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateCommands(); });
    // A check box ticked with the mouse or the space bar: the list is rearranged once the click is over.
    connect(m_lvFields->listModel(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &, const QList<int> &roles) {
                if (m_updating || !roles.contains(Qt::CheckStateRole))
                    return;
                const int id = ListItemId(*m_lvFields, topLeft.row());
                QMetaObject::invokeMethod(this, [this, id] { fieldCheckToggled(id); }, Qt::QueuedConnection);
            });
    return page;
}

std::vector<TExportField> TFormExpExcel::fields() const
{
    std::vector<TExportField> result;
    for (const TListItem &item : m_lvFields->listModel()->items())
        result.push_back(FieldOf(item));
    return result;
}

void TFormExpExcel::setFields(const std::vector<TExportField> &fields)
{
    const int selectedId = ListItemId(*m_lvFields, m_lvFields->selectedRow());
    m_updating = true;
    TListViewModel *model = m_lvFields->listModel();
    model->clearItems();
    for (const TExportField &f : fields)
        model->addItem(ItemOf(f));
    m_updating = false;
    if (selectedId >= 0)
        m_lvFields->setSelectedRow(FindListItemById(*m_lvFields, selectedId));
    updateCommands();
}

void TFormExpExcel::fill(const TExportDialogData &record)
{
    m_ownerName = record.ownerName;
    m_sourceName = record.sourceName;
    m_totalRows = record.totalRows;
    m_selectedRows = record.selectedRows;
    const TExportParams &p = record.params;
    m_edTitle->setText(p.title);
    m_edNotes->setText(p.notes);
    m_dateCreateCheckBox->setChecked(p.showCreateTime);
    m_edOrientation->setCurrentIndex(std::clamp(p.orientation, 0, 2));
    m_edFontSize->setValue(p.baseFontSize);
    m_edPageName->setText(p.sheetName);
    m_saveCheckBox->setEnabled(record.useSavedParams);
    m_saveCheckBox->setChecked(record.useSavedParams && p.restoreParameters);
    m_btnParams->setVisible(record.useSavedParams);
    m_edSendMode->setCurrentIndex(record.selectedMode ? 1 : 0);
    updateRecordCount();
    setFields(p.fields);
}

void TFormExpExcel::readBack(TExportDialogData &record) const
{
    record.ownerName = m_ownerName;
    record.sourceName = m_sourceName;
    record.totalRows = m_totalRows;
    record.selectedRows = m_selectedRows;
    record.selectedMode = m_edSendMode->currentIndex() == 1;
    record.useSavedParams = m_saveCheckBox->isEnabled();
    TExportParams &p = record.params;
    p.title = m_edTitle->text();
    p.notes = m_edNotes->text();
    p.showCreateTime = m_dateCreateCheckBox->isChecked();
    p.orientation = std::max(m_edOrientation->currentIndex(), 0);
    p.baseFontSize = m_edFontSize->value();
    p.sheetName = m_edPageName->text();
    p.restoreParameters = m_saveCheckBox->isChecked();
    p.fields = fields();
}

void TFormExpExcel::updateRecordCount()
{
    m_edRecNum->setText(QString::number(m_edSendMode->currentIndex() == 1 ? m_selectedRows : m_totalRows));
}

bool TFormExpExcel::loadExportParams(const QString &fileName, bool useRestoreFlag, bool force)
{
    TExportDialogData record;
    readBack(record);
    const bool loaded = LoadExportParams(fileName, sectionName(), record.params, useRestoreFlag, force);
    fill(record);
    return loaded;
}

bool TFormExpExcel::saveExportParams(const QString &fileName, bool writeRestoreFlag)
{
    TExportDialogData record;
    readBack(record);
    return SaveExportParams(fileName, sectionName(), record.params, writeRestoreFlag, TNamedBy::User);
}

void TFormExpExcel::arrangeFields()
{
    m_updating = true;
    MoveCheckedItemsToTop(*m_lvFields);
    m_updating = false;
    if (m_lvFields->listModel()->rowCount() > 0)
        m_lvFields->setSelectedRow(0);
    updateCommands();
}

void TFormExpExcel::moveFieldUp()
{
    if (!IsNotBusy())
        return;
    MoveSelectedItemUp(*m_lvFields);
    MoveCheckedItemsToTop(*m_lvFields);
    ScrollSelectedIntoView(*m_lvFields);
    m_lvFields->setFocus();
    updateCommands();
}

void TFormExpExcel::moveFieldDown()
{
    if (!IsNotBusy())
        return;
    MoveSelectedItemDown(*m_lvFields);
    MoveCheckedItemsToTop(*m_lvFields);
    ScrollSelectedIntoView(*m_lvFields);
    m_lvFields->setFocus();
    updateCommands();
}

bool TFormExpExcel::editFieldProperties()
{
    const int row = m_lvFields->selectedRow();
    if (!IsNotBusy() || row < 0)
        return false;
    TExportField field = FieldOf(m_lvFields->listModel()->item(row));
    if (!EditInDialog<TFormExpExcelParam>(field, this))
        return false;
    m_lvFields->listModel()->setItem(row, ItemOf(field));
    m_lvFields->setFocus();
    return true;
}

void TFormExpExcel::fieldCheckToggled(int sourceIndex)
{
    const int row = FindListItemById(*m_lvFields, sourceIndex);
    if (row < 0)
        return;
    m_lvFields->setSelectedRow(row);
    MoveCheckedItemsToTop(*m_lvFields);
    ScrollSelectedIntoView(*m_lvFields);
    updateCommands();
}

void TFormExpExcel::updateCommands()
{
    const bool idle = IsNotBusy();
    const int row = m_lvFields->selectedRow();
    const int count = m_lvFields->listModel()->rowCount();
    m_actUp->setEnabled(idle && row > 0);
    m_actDown->setEnabled(idle && row >= 0 && row < count - 1);
    m_actProperties->setEnabled(idle && row >= 0);
    m_btnUp->setEnabled(m_actUp->isEnabled());
    m_btnDown->setEnabled(m_actDown->isEnabled());
    m_btnProperties->setEnabled(m_actProperties->isEnabled());
    m_actLoad->setEnabled(idle && m_saveCheckBox->isEnabled());
    m_actSave->setEnabled(idle && m_saveCheckBox->isEnabled());
}

void TFormExpExcel::showEvent(QShowEvent *event)
{
    TDialogSTemplate::showEvent(event);
    updateCommands();
}

bool TFormExpExcel::validate()
{
    const auto &items = m_lvFields->listModel()->items();
    if (std::none_of(items.begin(), items.end(), [](const TListItem &i) { return i.checked; })) {
        ShowErrorBox(Tr(u"Не выбрано ни одного столбца для экспорта!"));
        m_pages->setCurrentIndex(1);
        return false;
    }
    return true;
}

void TFormExpExcel::loadFromFile()
{
    if (!IsNotBusy() || !m_saveCheckBox->isEnabled())
        return;
    const QString fileName = RunFileDialog(this, {ExpFileFilter(), {}, false, {}, m_actLoad->toolTip()});
    if (!fileName.isEmpty())
        loadExportParams(fileName, false, true);
}

void TFormExpExcel::saveToFile()
{
    if (!IsNotBusy() || !m_saveCheckBox->isEnabled())
        return;
    const QString fileName = RunFileDialog(this, {ExpFileFilter(), u"exp"_s, true, {}, m_actSave->toolTip()});
    if (!fileName.isEmpty())
        saveExportParams(fileName, false);
}

// --- Entry routines ------------------------------------------------------------------------------

std::vector<TExportField> FieldsFromListView(const TQSortListView &view)
{
    std::vector<TExportField> result;
    const TListViewModel &model = *view.listModel();
    for (int i = 0; i < model.columnCount(); ++i) {
        TExportField f;
        f.sourceIndex = i;
        f.caption = f.physical = model.columnCaption(i);
        f.alignment = AlignmentOf(model.columnAlignment(i));
        f.widthText = ExportWidthTextOfPixels(view.columnWidth(i));
        result.push_back(f);
    }
    return result;
}

std::vector<TExportField> FieldsFromGrid(const TQOwnerDrawGrid &grid)
{
    std::vector<TExportField> result;
    for (int i = 0; i < grid.colCount(); ++i) {
        TExportField f;
        f.sourceIndex = i;
        f.caption = f.physical = grid.getCellText(i, 0);
        f.widthText = ExportWidthTextOfPixels(grid.colWidth(i));
        result.push_back(f);
    }
    return result;
}

std::vector<TExportField> FieldsFromTableView(const QTableView &view)
{
    std::vector<TExportField> result;
    const QAbstractItemModel *model = view.model();
    if (!model)
        return result;
    for (int i = 0; i < model->columnCount(); ++i) {
        TExportField f;
        f.sourceIndex = i;
        f.caption = f.physical = model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        QVariant align = model->headerData(i, Qt::Horizontal, Qt::TextAlignmentRole);
        if (!align.isValid() && model->rowCount() > 0)
            align = model->index(0, i).data(Qt::TextAlignmentRole);
        f.alignment = AlignmentOf(AlignmentValue(align));
        f.widthText = ExportWidthTextOfPixels(view.columnWidth(i));
        result.push_back(f);
    }
    return result;
}

namespace {

class ProgressWindowAdapter : public IExportProgress {
public:
    void show(const QString &text, int maximum) override { ShowProgress(text, maximum, false); }
    void setText(const QString &text) override { SetProgressText(text); }
    void step() override { StepProgress(1); }
    void close() override { CloseProgress(); }
};

struct SourceRows {
    int total = 0;
    int selectedCount = 0;
    bool selectedMode = false;
    // The source row of a sent row in either mode.
    std::function<int(int)> allRow;
    std::function<int(int)> selectedRow;
};

bool RunExportDialog(QWidget *source, std::vector<TExportField> fields, const SourceRows &rows,
                     const std::function<QString(int sourceRow, int column)> &text, const QString &title,
                     const QString &sheetName, const QString &headLine, const QString &notes, int orientation,
                     bool useSavedParams)
{
    try {
        TExportDialogData data;
        data.ownerName = source->window()->objectName();
        data.sourceName = source->objectName();
        data.params.title = title;
        data.params.notes = notes;
        data.params.sheetName = sheetName;
        data.params.orientation = orientation;
        data.params.baseFontSize = 8;
        data.params.restoreParameters = useSavedParams;
        data.params.fields = std::move(fields);
        data.totalRows = rows.total;
        data.selectedRows = rows.selectedCount;
        data.selectedMode = rows.selectedMode;
        data.useSavedParams = useSavedParams;

        std::unique_ptr<TFormExpExcel> dialog;
        {
            BusySection busy;
            dialog = std::make_unique<TFormExpExcel>(source->window());
            dialog->fill(data);
            if (useSavedParams)
                dialog->loadExportParams(GetIniFileName(), true, false);
            dialog->arrangeFields();
        }
        // Prepared while busy, the commands are enabled now for the field selected at the start.
        dialog->updateCommands();
        if (ExecDialog(*dialog) != QDialog::Accepted)
            return false;
        dialog->readBack(data);

        BusySection busy;
        if (useSavedParams)
            SaveExportParams(GetIniFileName(), dialog->sectionName(), data.params, true, TNamedBy::Program);
        TExportJob job;
        job.headLine = headLine;
        job.params = data.params;
        job.rows = data.selectedMode ? rows.selectedCount : rows.total;
        const std::function<int(int)> rowOf = data.selectedMode ? rows.selectedRow : rows.allRow;
        job.cellText = [&](int row, int column) { return text(rowOf(row), column); };
        ProgressWindowAdapter progress;
        return RunExcelExport(job, &progress);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
        return false;
    }
}

} // namespace

bool ExportListViewToExcel(TQSortListView *source, const QString &title, const QString &sheetName,
                           const QString &headLine, const QString &notes, int orientation, bool useSavedParams)
{
    if (!source)
        return false;
    SourceRows rows;
    rows.total = source->listModel()->rowCount();
    // Only the rows really selected are sent: none selected sends the headings alone.
    const std::vector<int> selected = source->selectedRows();
    rows.selectedCount = int(selected.size());
    rows.selectedMode = source->multiSelect() && selected.size() > 1;
    rows.allRow = [](int row) { return row; };
    rows.selectedRow = [selected](int row) { return selected[size_t(row)]; };
    const TListViewModel *model = source->listModel();
    return RunExportDialog(
        source, FieldsFromListView(*source), rows,
        [model](int row, int column) { return model->cellText(row, column); }, title, sheetName, headLine, notes,
        orientation, useSavedParams);
}

bool ExportOwnerDrawGridToExcel(TQOwnerDrawGrid *source, const QString &title, const QString &sheetName,
                                const QString &headLine, const QString &notes, int orientation, bool useSavedParams)
{
    if (!source)
        return false;
    // Row 0 holds the headings; the selection is taken as the span from its top to its bottom row.
    SourceRows rows;
    rows.total = std::max(source->rowCount() - 1, 0);
    int top = -1;
    int bottom = -1;
    std::set<int> selected;
    for (const QModelIndex &i : source->selectionModel()->selectedIndexes())
        selected.insert(i.row() + source->fixedRows());
    if (!selected.empty()) {
        top = *selected.begin();
        bottom = *selected.rbegin();
    } else if (source->row() >= 0) {
        top = bottom = source->row();
    }
    top = std::max(top, 1);
    rows.selectedCount = bottom >= top ? bottom - top + 1 : 0;
    rows.selectedMode = rows.selectedCount > 1;
    rows.allRow = [](int row) { return row + 1; };
    rows.selectedRow = [top](int row) { return top + row; };
    return RunExportDialog(
        source, FieldsFromGrid(*source), rows,
        [source](int row, int column) { return source->getCellText(column, row); }, title, sheetName, headLine,
        notes, orientation, useSavedParams);
}

bool ExportTableViewToExcel(QTableView *source, const QString &title, const QString &sheetName,
                            const QString &headLine, const QString &notes, int orientation, bool useSavedParams)
{
    if (!source || !source->model())
        return false;
    const QAbstractItemModel *model = source->model();
    SourceRows rows;
    rows.total = model->rowCount();
    std::vector<int> selected;
    if (QItemSelectionModel *selection = source->selectionModel()) {
        std::set<int> distinct;
        for (const QModelIndex &i : selection->selectedIndexes())
            distinct.insert(i.row());
        selected.assign(distinct.begin(), distinct.end());
    }
    rows.selectedCount = int(selected.size());
    rows.selectedMode = source->selectionMode() != QAbstractItemView::SingleSelection && selected.size() > 1;
    rows.allRow = [](int row) { return row; };
    rows.selectedRow = [selected](int row) { return selected[size_t(row)]; };
    return RunExportDialog(
        source, FieldsFromTableView(*source), rows,
        [model](int row, int column) { return model->index(row, column).data(Qt::DisplayRole).toString(); }, title,
        sheetName, headLine, notes, orientation, useSavedParams);
}

bool ExportStringGridToExcel(TStringGrid *source, const QString &title, const QString &sheetName,
                             const QString &headLine, const QString &notes, int orientation, bool useSavedParams)
{
    return ExportOwnerDrawGridToExcel(source, title, sheetName, headLine, notes, orientation, useSavedParams);
}
