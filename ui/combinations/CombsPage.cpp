#include "ui/combinations/CombsPage.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "common/widgets/Clipboard.h"
#include "common/widgets/SplitterPane.h"
#include "lottery/DrawTexts.h"
#include "lottery/NumberGeometry.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/GenCombsDialog.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QHBoxLayout>
#include <QToolBar>
#include <QVBoxLayout>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

constexpr int kNumberColumns = kMainCount;
constexpr int kSumColumn = kNumberColumns + 1;
constexpr int kMaxExclude = 99999;
// Find in draws stops once more than this many draws were found.
constexpr int kMaxFoundDraws = 25;

const QColor kKeepColor(0, 110, 0);
const QColor kDeleteColor(170, 0, 0);
const QColor kUndoColor(110, 110, 110);

struct StatusReset {
    ~StatusReset() { SetStatusText({}); }
};

} // namespace

TCombsPage::TCombsPage(TDrawsArchive &archive, TStatList &stats, MainOptions &options, QWidget *parent)
    : QWidget(parent), m_archive(archive), m_stats(stats), m_options(options)
{
    setObjectName(u"tsCombs"_s);
    buildLists();
    buildActions();

    m_edExclude = new QSpinBox(this);
    m_edExclude->setObjectName(u"edCombsExclude"_s);
    m_edExclude->setRange(0, kMaxExclude);
    m_edExclude->setToolTip(Tr(u"Количество последних тиражей, комбинации которых исключаются из списка"));
    m_edExclude->installEventFilter(this);
    connect(m_edExclude, &QSpinBox::valueChanged, this, [this](int value) { emit drawsExcludeChanged(value); });

    auto *bar = new QToolBar(this);
    bar->setObjectName(u"tbCombs"_s);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(m_actGen);
    bar->addAction(m_actOpen);
    bar->addAction(m_actSave);
    bar->addAction(m_actUndo);

    // The exclusion of the newest draws has a row of its own, so that it stays reachable however
    // narrow the panel is.
    auto *excludeRow = new QHBoxLayout;
    excludeRow->setContentsMargins(4, 0, 4, 0);
    auto *excludeButton = new QToolButton(this);
    excludeButton->setObjectName(u"btnCombsDelExists"_s);
    excludeButton->setDefaultAction(m_actDelExists);
    excludeButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    excludeRow->addWidget(m_edExclude);
    excludeRow->addWidget(excludeButton);
    excludeRow->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(bar);
    layout->addLayout(excludeRow);
    layout->addWidget(m_splitter, 1);

    connect(&m_combs, &TCombsList::countRefreshed, this, &TCombsPage::showCount);
    connect(&m_combs, &TCombsList::filterLogChanged, this, &TCombsPage::showFilterLog);
    // A new list starts with no row selected and none current: the rows of the old list stand for nothing
    // in it.
    connect(&m_combs, &TCombsList::listReplaced, this, [this] {
        m_lvCombs->selectionModel()->clear();
        updateActions();
    });
    // The commands follow the selection and the clipboard at once, not only at the next periodic check.
    connect(m_lvCombs->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TCombsPage::updateActions);
    connect(m_edExclude, &QSpinBox::valueChanged, this, &TCombsPage::updateActions);
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, &TCombsPage::updateActions);
    updateActions();
}

QString TCombsPage::caption()
{
    return Tr(u"Комбинации");
}

QString TCombsPage::countText(qint64 count)
{
    return Format(u"Комбинаций: %d", {count});
}

void TCombsPage::buildLists()
{
    m_lvCombs = new TQSortListView(this);
    m_lvCombs->setObjectName(u"lvCombs"_s);
    m_lvCombs->setMultiSelect(true);
    m_lvCombs->setSortingEnabled(false);
    m_lvCombs->horizontalHeader()->setSortIndicatorShown(false);
    TListViewModel *model = m_lvCombs->listModel();
    model->setOwnerData([this](int row, int column) -> QString {
        if (row < 0 || row >= m_combs.count())
            return {};
        const TComb &c = m_combs.at(row);
        if (column == 0)
            return QString::number(int64_t(row) + 1);
        if (column <= kNumberColumns)
            return QString::number(c[size_t(column - 1)]);
        int sum = 0;
        for (uint8_t n : c.n)
            sum += n;
        return QString::number(sum);
    });
    model->setCellColors([this](int row, int column) -> TCellColors {
        if (!m_options.colorCombs || column < 1 || column > kNumberColumns || row < 0 || row >= m_combs.count())
            return {};
        const TRgbColor color = NumberColor(m_combs.at(row)[size_t(column - 1)], m_stats.Config.channelSize);
        return {QColor(Qt::black),
                color.isSystemWindow ? QColor(Qt::white) : QColor(color.red, color.green, color.blue)};
    });
    m_lvCombs->addColumn(u"№"_s, 64, Qt::AlignRight);
    for (int i = 1; i <= kNumberColumns; ++i)
        m_lvCombs->addColumn(QString::number(i), 28, Qt::AlignHCenter);
    m_lvCombs->addColumn(u"S"_s, 36, Qt::AlignHCenter);
    // The column captions never show a selection: with the list's own selection model every repaint of
    // the captions would ask, for each column, whether all its millions of rows are selected.
    m_lvCombs->horizontalHeader()->setSelectionModel(new QItemSelectionModel(model, m_lvCombs->horizontalHeader()));

    m_lvFilters = new TQSortListView(this);
    m_lvFilters->setObjectName(u"lvFilters"_s);
    m_lvFilters->setSortingEnabled(false);
    m_lvFilters->horizontalHeader()->setSortIndicatorShown(false);
    TListViewModel *log = m_lvFilters->listModel();
    log->setOwnerData([this](int row, int column) -> QString {
        const auto &rows = m_combs.filterLog();
        if (row < 0 || size_t(row) >= rows.size())
            return {};
        const TFilterLogRow &r = rows[size_t(row)];
        switch (column) {
        case 0:
            return r.caption;
        case 1:
            return r.values;
        default:
            return QString::number(r.count);
        }
    });
    log->setCellColors([this](int row, int) -> TCellColors {
        const auto &rows = m_combs.filterLog();
        if (row < 0 || size_t(row) >= rows.size())
            return {};
        const int image = rows[size_t(row)].image;
        return {image == fliKeep ? kKeepColor : image == fliDelete ? kDeleteColor : kUndoColor, QColor()};
    });
    m_lvFilters->addColumn(Tr(u"Примененные фильтры"), 170);
    m_lvFilters->addColumn(Tr(u"Значения"), 150);
    m_lvFilters->addColumn(Tr(u"Комбинаций"), 80, Qt::AlignRight);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(u"splCombs"_s);
    m_splitter->addWidget(m_lvCombs);
    m_splitter->addWidget(m_lvFilters);
    m_splitter->setChildrenCollapsible(false);
    // The filter log keeps its height ("FiltersHeight"); the list takes the rest.
    m_filtersPane = new TSplitterPane(m_splitter, 1, 150);
}

QAction *TCombsPage::makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                                void (TCombsPage::*command)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    // The page's keys work while the focus is in the page, so Ctrl+C and the like stay with other widgets.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setToolTip(caption);
    connect(action, &QAction::triggered, this, [this, command] { guarded([this, command] { (this->*command)(); }); });
    addAction(action);
    return action;
}

void TCombsPage::buildActions()
{
    m_actGen = makeAction(Tr(u"Генерировать"), u"CombsGen"_s, QKeySequence(Qt::Key_F2), &TCombsPage::combsGen);
    m_actOpen = makeAction(Tr(u"Открыть"), u"CombsOpen"_s, QKeySequence(Qt::CTRL | Qt::Key_O), &TCombsPage::combsOpen);
    m_actSave =
        makeAction(Tr(u"Сохранить"), u"CombsSave"_s, QKeySequence(Qt::CTRL | Qt::Key_S), &TCombsPage::combsSave);
    m_actUndo = makeAction(Tr(u"Отменить"), u"CombsUndo"_s, QKeySequence(Qt::CTRL | Qt::Key_Z), &TCombsPage::combsUndo);
    m_actDelExists = makeAction(Tr(u"Исключить тиражи"), u"CombsDelExists"_s, QKeySequence(Qt::CTRL | Qt::Key_E),
                                &TCombsPage::combsDelExists);
    m_actDelSelected = makeAction(Tr(u"Удалить выделенные"), u"CombsDelSelected"_s,
                                  QKeySequence(Qt::CTRL | Qt::Key_Delete), &TCombsPage::combsDelSelected);
    m_actCopy = makeAction(Tr(u"Копировать в буфер"), u"CombsCopy"_s, QKeySequence(Qt::CTRL | Qt::Key_C),
                           &TCombsPage::combsCopy);
    m_actPaste = makeAction(Tr(u"Вставить из буфера"), u"CombsPaste"_s, QKeySequence(Qt::CTRL | Qt::Key_V),
                            &TCombsPage::combsPaste);
    m_actSelectAll = makeAction(Tr(u"Выделить все"), u"CombsSelectAll"_s, QKeySequence(Qt::CTRL | Qt::Key_A),
                                &TCombsPage::combsSelectAll);
    m_actCheckNums = makeAction(Tr(u"Количество уникальных номеров"), u"CombsCheckNums"_s, QKeySequence(),
                                &TCombsPage::combsCheckNums);
    m_actFindInDraws = makeAction(Tr(u"Проверить по архиву тиражей"), u"CombsFindInDraws"_s,
                                  QKeySequence(Qt::CTRL | Qt::Key_F), &TCombsPage::combsFindInDraws);
    m_actInfo = makeAction(Tr(u"Сведения о комбинации"), u"CombsInfo"_s, QKeySequence(), &TCombsPage::combsInfo);

    m_lvCombs->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto separator = [this] {
        auto *s = new QAction(this);
        s->setSeparator(true);
        return s;
    };
    m_lvCombs->addActions({m_actGen, m_actOpen, m_actSave, separator(), m_actUndo, m_actDelExists, m_actDelSelected,
                           separator(), m_actCopy, m_actPaste, m_actSelectAll, separator(), m_actCheckNums,
                           m_actFindInDraws, m_actInfo});
}

void TCombsPage::guarded(const std::function<void()> &command)
{
    // A key can reach an action before the periodic check disables it.
    if (!IsNotBusy())
        return;
    RunCommand(command);
    updateActions();
}

// ---- Start-up and layout ----

void TCombsPage::initCapacity(int64_t allCombinations)
{
    m_combs.SetCombsCapacity(allCombinations, m_combs.count());
    m_combs.SetUndoCapacity(allCombinations, m_combs.undoCount());
}

void TCombsPage::generateDefault()
{
    m_combs.GenerateCombinations(true, TGenerateSettings{m_stats.CombsGenerateMode, m_stats.CombsGenerateParameters});
    updateActions();
}

int TCombsPage::drawsExclude() const
{
    return m_edExclude->value();
}

void TCombsPage::setDrawsExclude(int value)
{
    const QSignalBlocker block(m_edExclude);
    m_edExclude->setValue(value);
}

int TCombsPage::filtersHeight() const
{
    return m_filtersPane->size();
}

void TCombsPage::setFiltersHeight(int height)
{
    m_filtersPane->setSize(height);
}

void TCombsPage::refreshList()
{
    m_lvCombs->listModel()->refresh();
}

void TCombsPage::showCount(qint64 count)
{
    TListViewModel *model = m_lvCombs->listModel();
    model->setRowCount(int(std::min<qint64>(count, INT_MAX)));
    model->refresh();
    emit combsCountChanged(count);
}

void TCombsPage::showFilterLog()
{
    TListViewModel *model = m_lvFilters->listModel();
    model->setRowCount(int(m_combs.filterLog().size()));
    model->refresh();
    if (model->rowCount() > 0)
        m_lvFilters->scrollToBottom();
}

bool TCombsPage::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the exclusion edit runs the command when it is enabled.
    if (watched == m_edExclude && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_edExclude->interpretText();
            updateActions();
            if (m_actDelExists->isEnabled())
                m_actDelExists->trigger();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Selection ----

TRowRanges TCombsPage::selectedRanges() const
{
    TRowRanges ranges;
    for (const QItemSelectionRange &r : m_lvCombs->selectionModel()->selection())
        ranges.push_back({r.top(), r.bottom()});
    return NormalizeRowRanges(std::move(ranges));
}

int64_t TCombsPage::selectedRow() const
{
    const TRowRanges ranges = selectedRanges();
    return ranges.empty() || ranges.front().first >= m_combs.count() ? -1 : ranges.front().first;
}

// ---- Commands ----

void TCombsPage::updateActions()
{
    const bool idle = IsNotBusy();
    const bool any = !m_combs.empty();
    const bool selected = m_lvCombs->selectionModel()->hasSelection();
    const QMimeData *clip = QGuiApplication::clipboard() ? QGuiApplication::clipboard()->mimeData() : nullptr;
    m_actGen->setEnabled(idle);
    m_actOpen->setEnabled(idle);
    m_actSave->setEnabled(idle && any);
    m_actUndo->setEnabled(idle && m_combs.undoCount() > 0);
    m_actDelExists->setEnabled(idle && any && m_archive.count() > 0 && m_edExclude->value() > 0);
    m_actDelSelected->setEnabled(idle && any && selected);
    m_actCopy->setEnabled(idle && any);
    m_actPaste->setEnabled(idle && clip && clip->hasText());
    m_actSelectAll->setEnabled(idle && any);
    m_actCheckNums->setEnabled(idle);
    m_actFindInDraws->setEnabled(idle && selected);
    m_actInfo->setEnabled(idle && selected && m_infoHandler);
    if (m_actStatInclude) {
        const bool rows = m_statPage->table()->selectionModel()->hasSelection();
        m_actStatInclude->setEnabled(idle && any && rows);
        m_actStatExclude->setEnabled(idle && any && rows);
    }
}

void TCombsPage::combsGen()
{
    TGenerateSettings settings{uint8_t(NormalizeGenerateMode(m_stats.CombsGenerateMode)),
                               m_stats.CombsGenerateParameters};
    bool saveAsDefault = true;
    if (!ShowGenCombsDialog(settings, saveAsDefault, this))
        return;
    if (saveAsDefault) {
        m_stats.CombsGenerateMode = settings.Mode;
        m_stats.CombsGenerateParameters = settings.Parameters;
        try {
            m_stats.SaveGenerateSettings();
        } catch (const Exception &e) {
            // The list is still generated; only the defaults were not written.
            ShowErrorBox(e.message());
        }
    }
    m_combs.SaveUndo(true);
    m_combs.GenerateCombinations(true, settings);
}

void TCombsPage::combsOpen()
{
    const QString name = AskCombsFileName(this, false);
    if (name.isEmpty())
        return;
    BusySection busy;
    StatusReset reset;
    SetStatusText(Format(u"Загрузка файла \"%s\"...", {name}));
    // The file is read aside: one that cannot be read leaves the list, its undo copy and its log.
    if (m_combs.LoadCombsFromText(name)) {
        m_combs.ClearUndoCount();
        m_combs.ClearFilterLog();
    }
    m_combs.RefreshCombsCount();
}

void TCombsPage::combsSave()
{
    const QString name = AskCombsFileName(this, true);
    if (name.isEmpty())
        return;
    BusySection busy;
    StatusReset reset;
    SetStatusText(Format(u"Сохранение файла \"%s\"...", {name}));
    m_combs.SaveCombsToText(name);
}

void TCombsPage::combsUndo()
{
    if (m_combs.undoCount() == 0)
        return;
    m_combs.RestoreUndo(true);
    m_combs.RemoveLastFilterLog();
}

void TCombsPage::combsDelExists()
{
    m_combs.SaveUndo(true);
    m_combs.RemoveLastDrawsCombs(m_edExclude->value(), m_archive.draws(), drawsOffset());
}

void TCombsPage::combsDelSelected()
{
    const TRowRanges rows = selectedRanges();
    if (rows.empty())
        return;
    m_combs.SaveUndo(true);
    m_lvCombs->selectionModel()->clearSelection();
    m_combs.DeleteSelectedCombs(rows);
}

void TCombsPage::combsCopy()
{
    BusySection busy;
    StatusReset reset;
    SetStatusText(Tr(u"Подождите пожалуйста..."));
    SetClipboardUnicodeText(m_combs.CombsText(selectedRanges()));
}

void TCombsPage::combsPaste()
{
    // A bad line raises before the list is touched; the handler shows the message.
    BusySection busy;
    StatusReset reset;
    SetStatusText(Tr(u"Вставка комбинаций из буфера..."));
    m_combs.PasteCombs(GetClipboardUnicodeText());
}

void TCombsPage::combsSelectAll()
{
    m_lvCombs->selectAll();
}

void TCombsPage::combsCheckNums()
{
    ShowInfoBox(Format(u"В текущем списке комбинаций содержится %d уникальных номеров",
                       {CoveredNumberCount(m_combs.storage(), m_combs.count())}));
}

void TCombsPage::combsFindInDraws()
{
    const int64_t row = selectedRow();
    if (row < 0)
        return;
    const TComb comb = m_combs.at(row);
    QStringList found;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Поиск по архиву тиражей..."));
        const TDrawsArray &draws = m_archive.draws();
        for (auto d = draws.rbegin(); d != draws.rend() && found.size() <= kMaxFoundDraws; ++d)
            if (DrawCombMatches(*d, comb) == kMainCount)
                found.append(FormatDrawText(*d));
    }
    if (found.isEmpty())
        ShowInfoBox(Tr(u"Выделенная комбинация не найдена архиве тиражей!"));
    else
        ShowInfoBox(Tr(u"Выделенная комбинация найдена в следующих тиражах:") + u"\r\r" + found.join(u'\r'));
}

void TCombsPage::combsInfo()
{
    const int64_t row = selectedRow();
    if (row >= 0 && m_infoHandler)
        m_infoHandler(m_combs.at(row));
}

// ---- Filters by the statistics table ----

void TCombsPage::attachStatisticsPage(TStatisticsPage *page)
{
    m_statPage = page;
    auto make = [this, page](const QString &name, const QKeySequence &shortcut, bool deleting) {
        auto *action = new QAction(deleting ? Tr(u"Удалить выделенные") : Tr(u"Оставить выделенные"), page);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setToolTip(action->text());
        connect(action, &QAction::triggered, this,
                [this, deleting] { guarded([this, deleting] { statFilter(deleting); }); });
        page->addAction(action);
        return action;
    };
    m_actStatInclude = make(u"StatFilter_Include"_s, QKeySequence(Qt::Key_F7), false);
    m_actStatExclude = make(u"StatFilter_Exclude"_s, QKeySequence(Qt::CTRL | Qt::Key_F7), true);
    auto *separator = new QAction(page);
    separator->setSeparator(true);
    page->table()->addActions({separator, m_actStatInclude, m_actStatExclude});
    connect(page->table()->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TCombsPage::updateActions);
    updateActions();
}

TFilterDraws TCombsPage::filterDraws() const
{
    return TFilterDraws{m_archive.count(), drawsOffset(), m_options.sortedDraws};
}

void TCombsPage::statFilter(bool deleting)
{
    if (!m_statPage || m_combs.empty() || statSelection().empty())
        return;
    m_combs.SaveUndo(true);
    FilterCombsByStat(nullptr, deleting);
}

TFilterSelection TCombsPage::statSelection() const
{
    TFilterSelection selection;
    if (m_statPage)
        for (int row : m_statPage->table()->selectedRows())
            if (const TDrawsStatRow *r = m_statPage->rowAt(row))
                selection.add(r->rec, r->texts[dscValue]);
    return selection;
}

void TCombsPage::FilterCombsByStat(TCustomStat *stat, bool deleting)
{
    if (!m_statPage)
        return;
    const TFilterSelection selection = statSelection();
    std::unique_ptr<TCustomStat> own;
    if (!stat) {
        const TStatMethod *method = m_statPage->selectedMethod();
        if (!method || selection.empty())
            return;
        own = method->CreateStat(m_stats);
        if (!own)
            return;
        stat = own.get();
    }
    FilterCombsStep(m_combs, *stat, selection, deleting, filterDraws(), m_statPage->methodCombo()->currentText());
}
