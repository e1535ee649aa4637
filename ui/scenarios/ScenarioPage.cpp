#include "ui/scenarios/ScenarioPage.h"

#include "common/widgets/FileDialogs.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "common/widgets/Clipboard.h"
#include "common/widgets/StatusTextPanel.h"
#include "lottery/FilterItem.h"
#include "lottery/ScenarioLine.h"
#include "lottery/stats/StatList.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

ScenarioFileDialog g_fileDialog;

QString runFileDialog(QWidget *parent, bool save)
{
    return RunFileDialog(parent, {Tr(u"Файлы сценариев (*.lsc)"), u"lsc"_s, save, {}, {}});
}

// The captions of the line dialog.
QString NewLineCaption()
{
    return Tr(u"Создание новой строки");
}
QString EditLineCaption()
{
    return Tr(u"Редактирование строки");
}

constexpr int kCommentColumn = 0;
constexpr int kOptionsColumn = 1;
constexpr int kFirstFilterColumn = 2;

struct StatusReset {
    ~StatusReset() { SetStatusText({}); }
};

} // namespace

void SetScenarioFileDialog(ScenarioFileDialog dialog)
{
    g_fileDialog = std::move(dialog);
}

QString AskScenarioFileName(QWidget *parent, bool save)
{
    return g_fileDialog ? g_fileDialog(parent, save) : runFileDialog(parent, save);
}

TScenarioPage::TScenarioPage(const TStatList &stats, QWidget *parent) : QWidget(parent), m_stats(stats)
{
    setObjectName(u"tsScripts"_s);
    buildList();
    buildActions();

    auto *bar = new QToolBar(this);
    bar->setObjectName(u"tbScripts"_s);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addActions({m_actOpen, m_actSave, m_actLoad});
    bar->addSeparator();
    bar->addActions({m_actAdd, m_actEmpty, m_actClone, m_actEdit, m_actDel});
    bar->addSeparator();
    bar->addActions({m_actUp, m_actDown});

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(u"splScripts"_s);
    m_splitter->addWidget(m_lvScripts);
    m_splitter->setChildrenCollapsible(false);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(u"sbScripts"_s);
    m_statusBar->setSizeGripEnabled(false);
    for (int i = 0; i < kStatusPanels; ++i) {
        // The last panel takes the free room (the runner's filter or free text); it goes above the
        // counts when its texts need the room, never cutting "Сценарий завершен!".
        QLabel *panel = i < kStatusPanels - 1
                            ? new QLabel(m_statusBar)
                            : new TStatusTextPanel(m_statusBar, QList<QLabel *>(m_panels.begin(), m_panels.begin() + i));
        panel->setObjectName(u"lblScriptsStatus%1"_s.arg(i));
        if (i < kStatusPanels - 1)
            panel->setMinimumWidth(90);
        m_panels[static_cast<size_t>(i)] = panel;
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(bar);
    layout->addWidget(m_splitter, 1);
    layout->addWidget(m_statusBar);

    connect(&m_scenario, &TScenarioList::linesChanged, this, &TScenarioPage::refreshView);
    connect(m_lvScripts->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TScenarioPage::updateActions);
    connect(m_lvScripts, &QAbstractItemView::doubleClicked, this, [this] {
        updateActions();
        if (m_actEdit->isEnabled())
            m_actEdit->trigger();
    });
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, &TScenarioPage::updateActions);
    refreshView();
}

QString TScenarioPage::caption()
{
    return Tr(u"Сценарии");
}

QString TScenarioPage::countText(int count)
{
    return Format(u"Строк: %d", {count});
}

QString TScenarioPage::cellText(const QString &line, int column, const TStatList &stats)
{
    if (IsScenarioSeparator(line))
        return {};
    if (column == kCommentColumn)
        return ScenarioLineComment(line);
    if (column == kOptionsColumn)
        return ScenarioHeaderCaption(TextToScenarioHeader(ScenarioLineHeader(line)));
    const QString filter = ScenarioLineFilter(line, column - kFirstFilterColumn + 1);
    // Shown as the program writes it; the stored text stays as it is until the line is edited.
    return filter.isEmpty() ? QString() : FilterItemText(TextToFilterItem(filter, stats));
}

void TScenarioPage::buildList()
{
    m_lvScripts = new TQSortListView(this);
    m_lvScripts->setObjectName(u"lvScripts"_s);
    m_lvScripts->setMultiSelect(true);
    // The order of the lines is their run order: never sorted.
    m_lvScripts->setSortingEnabled(false);
    m_lvScripts->horizontalHeader()->setSortIndicatorShown(false);
    m_lvScripts->listModel()->setOwnerData([this](int row, int column) -> QString {
        if (row < 0 || row >= m_scenario.count())
            return {};
        return cellText(m_scenario.lines().at(row), column, m_stats);
    });
    m_lvScripts->addColumn(Tr(u"Комментарии"), 180);
    m_lvScripts->addColumn(Tr(u"Опции"), 220);
    for (int i = 1; i <= kScenarioFilterCount; ++i)
        m_lvScripts->addColumn(Tr(u"Фильтр %1").arg(i), 160);
}

QAction *TScenarioPage::makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                                   void (TScenarioPage::*command)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    // Other pages use some of these keys (Ctrl+J, Ctrl+Del): each page's keys work inside the page only.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setToolTip(caption);
    connect(action, &QAction::triggered, this, [this, command] { guarded([this, command] { (this->*command)(); }); });
    QWidget::addAction(action);
    return action;
}

void TScenarioPage::buildActions()
{
    m_actOpen =
        makeAction(Tr(u"Открыть"), u"ScriptOpen"_s, QKeySequence(Qt::CTRL | Qt::Key_J), &TScenarioPage::scriptOpen);
    m_actSave =
        makeAction(Tr(u"Сохранить"), u"ScriptSave"_s, QKeySequence(Qt::CTRL | Qt::Key_I), &TScenarioPage::scriptSave);
    m_actLoad = makeAction(Tr(u"Добавить сценарий"), u"ScriptLoad"_s, QKeySequence(), &TScenarioPage::scriptLoad);
    m_actAdd = makeAction(Tr(u"Добавить фильтры"), u"ScriptAdd"_s, QKeySequence(Qt::CTRL | Qt::Key_Insert),
                          &TScenarioPage::scriptAdd);
    m_actEmpty = makeAction(Tr(u"Добавить разделитель"), u"ScriptEmpty"_s,
                            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Insert), &TScenarioPage::scriptEmpty);
    m_actClone = makeAction(Tr(u"Клонировать"), u"ScriptClone"_s, QKeySequence(Qt::CTRL | Qt::Key_K),
                            &TScenarioPage::scriptClone);
    m_actEdit = makeAction(Tr(u"Изменить"), u"ScriptEdit"_s, QKeySequence(Qt::CTRL | Qt::Key_Return),
                           &TScenarioPage::scriptEdit);
    m_actEdit->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    m_actDel =
        makeAction(Tr(u"Удалить"), u"ScriptDel"_s, QKeySequence(Qt::CTRL | Qt::Key_Delete), &TScenarioPage::scriptDel);
    m_actClr = makeAction(Tr(u"Удалить все"), u"ScriptClr"_s, QKeySequence(), &TScenarioPage::scriptClr);
    m_actUp = makeAction(Tr(u"Переместить вверх"), u"ScriptUp"_s, QKeySequence(Qt::CTRL | Qt::Key_Up),
                         &TScenarioPage::scriptUp);
    m_actDown = makeAction(Tr(u"Переместить вниз"), u"ScriptDown"_s, QKeySequence(Qt::CTRL | Qt::Key_Down),
                           &TScenarioPage::scriptDown);
    m_actCopy = makeAction(Tr(u"Копировать в буфер"), u"ScriptCopy"_s, QKeySequence(Qt::CTRL | Qt::Key_C),
                           &TScenarioPage::scriptCopy);
    m_actPaste = makeAction(Tr(u"Вставить из буфера"), u"ScriptPaste"_s, QKeySequence(Qt::CTRL | Qt::Key_V),
                            &TScenarioPage::scriptPaste);

    auto separator = [this] {
        auto *s = new QAction(this);
        s->setSeparator(true);
        return s;
    };
    m_lvScripts->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_lvScripts->addActions({m_actAdd, m_actEmpty, m_actClone, m_actEdit, separator(), m_actDel, m_actClr,
                             separator(), m_actUp, m_actDown, separator(), m_actCopy, m_actPaste, separator(),
                             m_actOpen, m_actSave, m_actLoad});
}

void TScenarioPage::guarded(const std::function<void()> &command)
{
    // A key can reach an action before the periodic check disables it.
    if (!IsNotBusy() || m_running)
        return;
    RunCommand(command);
    updateActions();
}

// ---- View ----

void TScenarioPage::refreshView()
{
    TListViewModel *model = m_lvScripts->listModel();
    model->setRowCount(m_scenario.count());
    model->refresh();
    m_panels[0]->setText(countText(m_scenario.count()));
    updateActions();
}

void TScenarioPage::LoadScenarioList()
{
    m_scenario.LoadScenarioList();
    refreshView();
}

void TScenarioPage::setRunning(bool running)
{
    m_running = running;
    m_lvScripts->setEnabled(!running);
    updateActions();
}

void TScenarioPage::selectLine(int index)
{
    m_lvScripts->setSelectedRow(index);
    if (index >= 0 && index < m_scenario.count())
        m_lvScripts->scrollTo(m_lvScripts->model()->index(index, 0));
}

int TScenarioPage::selectedLine() const
{
    const int row = m_lvScripts->selectedRow();
    return row < m_scenario.count() ? row : -1;
}

std::vector<int> TScenarioPage::selectedLines() const
{
    std::vector<int> rows = m_lvScripts->selectedRows();
    std::erase_if(rows, [this](int row) { return row >= m_scenario.count(); });
    return rows;
}

bool TScenarioPage::canEditSelected() const
{
    const int row = selectedLine();
    return row >= 0 && !IsScenarioSeparator(m_scenario.lines().at(row));
}

void TScenarioPage::updateActions()
{
    const bool idle = IsNotBusy() && !m_running;
    const int count = m_scenario.count();
    const int row = selectedLine();
    const bool selected = row >= 0;
    const QMimeData *clip = QGuiApplication::clipboard() ? QGuiApplication::clipboard()->mimeData() : nullptr;

    m_actOpen->setEnabled(idle);
    m_actSave->setEnabled(idle && count > 0);
    m_actLoad->setEnabled(idle);
    m_actAdd->setEnabled(idle && m_lineDialog);
    m_actEmpty->setEnabled(idle && count > 0);
    m_actClone->setEnabled(idle && m_lineDialog && canEditSelected());
    m_actEdit->setEnabled(idle && m_lineDialog && canEditSelected());
    m_actDel->setEnabled(idle && selected);
    m_actClr->setEnabled(idle && count > 0);
    m_actUp->setEnabled(idle && row > 0);
    m_actDown->setEnabled(idle && selected && row < count - 1);
    m_actCopy->setEnabled(idle && selected);
    m_actPaste->setEnabled(idle && clip && clip->hasText());
}

// ---- Commands ----

void TScenarioPage::scriptOpen()
{
    const QString fileName = AskScenarioFileName(this, false);
    if (fileName.isEmpty())
        return;
    m_lvScripts->selectionModel()->clearSelection();
    if (m_scenario.LoadScenarioFile(fileName, false))
        m_scenario.SaveScenarioList();
}

void TScenarioPage::scriptSave()
{
    const QString fileName = AskScenarioFileName(this, true);
    if (!fileName.isEmpty())
        m_scenario.SaveScenarioFile(fileName);
}

void TScenarioPage::scriptLoad()
{
    const QString fileName = AskScenarioFileName(this, false);
    if (fileName.isEmpty())
        return;
    if (m_scenario.LoadScenarioFile(fileName, true))
        m_scenario.SaveScenarioList();
}

bool TScenarioPage::runLineDialog(const QString &caption, QString &line)
{
    if (!m_lineDialog)
        return false;
    const int draws = m_defaultDraws ? m_defaultDraws() : 0;
    return m_lineDialog(this, caption, draws, line);
}

void TScenarioPage::appendLines(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    m_lvScripts->selectionModel()->clearSelection();
    const int first = m_scenario.AddLines(lines);
    const int last = m_scenario.count() - 1;
    QAbstractItemModel *model = m_lvScripts->model();
    m_lvScripts->selectionModel()->setCurrentIndex(model->index(last, 0), QItemSelectionModel::NoUpdate);
    m_lvScripts->selectionModel()->select(
        QItemSelection(model->index(first, 0), model->index(last, model->columnCount() - 1)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_lvScripts->scrollTo(model->index(last, 0));
}

void TScenarioPage::scriptAdd()
{
    QString line;
    if (runLineDialog(NewLineCaption(), line))
        appendLines({line});
}

void TScenarioPage::scriptEmpty()
{
    appendLines({QString()});
}

void TScenarioPage::scriptClone()
{
    if (!canEditSelected())
        return;
    QString line = m_scenario.GetLine(selectedLine());
    if (runLineDialog(NewLineCaption(), line))
        appendLines({line});
}

void TScenarioPage::scriptEdit()
{
    if (!canEditSelected())
        return;
    const int row = selectedLine();
    QString line = m_scenario.GetLine(row);
    if (runLineDialog(EditLineCaption(), line))
        m_scenario.SetLine(row, line);
}

void TScenarioPage::scriptDel()
{
    const std::vector<int> rows = selectedLines();
    if (rows.empty() || !ConfirmDeleteRecords(static_cast<int>(rows.size())))
        return;
    BusySection busy;
    StatusReset reset;
    SetStatusText(Tr(u"Удаление строк..."));
    m_lvScripts->selectionModel()->clearSelection();
    m_scenario.DeleteLines(rows);
}

void TScenarioPage::scriptClr()
{
    if (m_scenario.isEmpty() || !ConfirmDeleteRecords(m_scenario.count()))
        return;
    BusySection busy;
    StatusReset reset;
    SetStatusText(Tr(u"Удаление строк..."));
    m_lvScripts->selectionModel()->clearSelection();
    m_scenario.Clear();
}

void TScenarioPage::moveSelected(int delta)
{
    const int row = selectedLine();
    const int target = row + delta;
    if (row < 0 || target < 0 || target >= m_scenario.count())
        return;
    BusySection busy;
    m_scenario.ExchangeLines(row, target);
    selectLine(target);
}

void TScenarioPage::scriptUp()
{
    moveSelected(-1);
}

void TScenarioPage::scriptDown()
{
    moveSelected(1);
}

void TScenarioPage::scriptCopy()
{
    const std::vector<int> rows = selectedLines();
    QString text;
    for (int row : rows)
        text += m_scenario.lines().at(row) + u'\n';
    SetClipboardUnicodeText(text);
}

void TScenarioPage::scriptPaste()
{
    const QString text = GetClipboardUnicodeText();
    if (text.isEmpty())
        return;
    QStringList lines;
    try {
        lines = ParseScenarioText(text);
    } catch (const EConvertError &e) {
        ShowErrorBox(Tr(u"Текст в буфере обмена не является сценарием!\r\r") + e.message());
        return;
    }
    appendLines(lines);
}
