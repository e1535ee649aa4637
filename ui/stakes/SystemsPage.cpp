#include "ui/stakes/SystemsPage.h"

#include "common/BlockingWait.h"
#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/widgets/ListView.h"
#include "common/Translate.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/stakes/StakeDialog.h"
#include "ui/stakes/StakesPage.h"
#include "ui/stakes/SystemDialog.h"
#include "ui/window/TemplateMain.h"
#include "app/draws/DrawsArchive.h"
#include "app/stakes/StakeRecord.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The images of the list: a filled disc for a stored system, a ring for one that is not stored;
// green for the user's own, blue for another author's, grey when the author left no mail.
QIcon systemImage(int image)
{
    static QIcon cache[6];
    int slot = -1;
    QColor colour;
    bool filled = true;
    switch (image) {
    case 47: slot = 0, colour = QColor(0x2E, 0x8B, 0x57); break;
    case 46: slot = 1, colour = QColor(0x1E, 0x64, 0xC8); break;
    case 2: slot = 2, colour = QColor(0x80, 0x80, 0x80); break;
    case 39: slot = 3, colour = QColor(0x2E, 0x8B, 0x57), filled = false; break;
    case 45: slot = 4, colour = QColor(0x1E, 0x64, 0xC8), filled = false; break;
    case 22: slot = 5, colour = QColor(0x80, 0x80, 0x80), filled = false; break;
    default: return {};
    }
    if (cache[slot].isNull()) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(colour, 2));
        painter.setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
        painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        cache[slot] = QIcon(pixmap);
    }
    return cache[slot];
}

struct StatusClear {
    ~StatusClear() { SetStatusText({}); }
};

} // namespace

QString TSystemsPage::caption()
{
    return Tr(u"Системы");
}

TSystemsPage::TSystemsPage(TTemplateMain &window) : QWidget(window.mainPages()), m_window(window)
{
    setObjectName(u"tsSystems"_s);
    buildList();
    buildActions();
    m_library.setDialog([this](tSystemData &system, bool editable) {
        return ShowSystemDialog(this, system, editable);
    });
    m_multiDialog = [this](int &drawNumber, int &draws, QString &comment) {
        return ShowMultiStakeDialog(this, drawNumber, draws, comment);
    };
    m_library.setChangedHandler([this](int index) {
        if (index < 0)
            rebuildItems();
        else
            refreshRow(index);
    });
}

void TSystemsPage::setSystemDialog(TSystemDialogFn dialog)
{
    m_library.setDialog(std::move(dialog));
}

void TSystemsPage::buildList()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *panel = new QWidget(this);
    panel->setObjectName(u"pnlSystems"_s);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_list = new TQSortListView(panel);
    m_list->setObjectName(u"lvSystems"_s);
    m_list->setMultiSelect(true);
    m_list->addColumn(Tr(u"Название"), 240);
    m_list->addColumn(Tr(u"Автор"), 100);
    m_list->addColumn(Tr(u"Числа"), 60, Qt::AlignHCenter);
    m_list->addColumn(Tr(u"Блок"), 50, Qt::AlignHCenter);
    m_list->addColumn(Tr(u"Комбинаций"), 95, Qt::AlignRight);
    m_list->addColumn(Tr(u"Дата создания"), 150, Qt::AlignHCenter);
    m_list->addColumn(Tr(u"Статус"), 85, Qt::AlignHCenter);
    m_list->addColumn(Tr(u"Загрузок"), 80, Qt::AlignRight);
    m_list->addColumn(Tr(u"Последняя"), 150, Qt::AlignHCenter);
    m_list->addColumn(Tr(u"Комментарии"), 250);
    m_list->addColumn(Tr(u"Ссылка"), 150);
    m_list->setSort(2, sdAscending);
    m_list->listModel()->setDecoration([this](int row, int column) -> QVariant {
        const int index = libraryIndex(row);
        if (column != 0 || index < 0)
            return {};
        const QIcon icon = systemImage(m_library.imageOf(index));
        return icon.isNull() ? QVariant() : QVariant(icon);
    });
    panelLayout->addWidget(m_list);
    layout->addWidget(panel);
    // A double click shows the properties even while something else runs.
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] {
        try {
            systemsProp();
        } catch (const Exception &e) {
            ShowErrorBox(e.message());
        }
    });
}

QAction *TSystemsPage::makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                                  void (TSystemsPage::*command)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setToolTip(caption);
    connect(action, &QAction::triggered, this, [this, command] { guarded([this, command] { (this->*command)(); }); });
    return action;
}

void TSystemsPage::buildActions()
{
    m_actOn = makeAction(Tr(u"Системная игра"), u"SystemsOn"_s, QKeySequence(Qt::CTRL | Qt::Key_J),
                         &TSystemsPage::systemsOn);
    m_actOn->setCheckable(true);
    m_actRefresh = makeAction(Tr(u"Обновить"), u"SystemsRefresh"_s, {}, &TSystemsPage::systemsRefresh);
    m_actDownload = makeAction(Tr(u"Загрузить"), u"SystemsDownload"_s, {}, &TSystemsPage::systemsDownload);
    m_actAdd = makeAction(Tr(u"Добавить"), u"SystemsAdd"_s, {}, &TSystemsPage::systemsAdd);
    m_actProp = makeAction(Tr(u"Свойства"), u"SystemsProp"_s, {}, &TSystemsPage::systemsProp);
    m_actDel = makeAction(Tr(u"Удалить"), u"SystemsDel"_s, {}, &TSystemsPage::systemsDel);
    // The captions begin with a Latin capital C, as the program has always shown them.
    m_actStakeAll = makeAction(Tr(u"Cистемная игра по списку системы"), u"SystemStakeAll"_s,
                               QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J), &TSystemsPage::systemStakeAll);
    m_actStakeFilter = makeAction(Tr(u"Cистемная игра по списку комбинаций"), u"SystemStakeFilter"_s,
                                  QKeySequence(Qt::ALT | Qt::Key_J), &TSystemsPage::systemStakeFilter);

    m_menu = new QMenu(Tr(u"С&истемы"), m_window.menuBar());
    m_menu->setObjectName(u"menuSystems"_s);
    m_menu->addAction(m_actOn);
    m_menu->addSeparator();
    m_menu->addActions({m_actRefresh, m_actDownload});
    m_menu->addSeparator();
    m_menu->addActions({m_actAdd, m_actProp, m_actDel});
    m_menu->addSeparator();
    m_menu->addActions({m_actStakeAll, m_actStakeFilter});
    // The keys work anywhere in the window, also while the page is hidden.
    m_window.addActions({m_actOn, m_actStakeAll, m_actStakeFilter});
    m_list->addActions({m_actRefresh, m_actDownload, m_actAdd, m_actProp, m_actDel});
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);

    // A page's own command on the same key (the scenario page's "Открыть" on Ctrl+J) has the key while
    // its page is shown; on every other page the key is this page's.
    if (QTabWidget *pages = m_window.mainPages())
        connect(pages, &QTabWidget::currentChanged, this, &TSystemsPage::shareKeysWithShownPage);
    shareKeysWithShownPage();
}

void TSystemsPage::shareKeysWithShownPage()
{
    QTabWidget *pages = m_window.mainPages();
    QWidget *shown = pages ? pages->currentWidget() : nullptr;
    // The commands of a page left behind work inside their page only again.
    for (const QPointer<QAction> &taker : std::as_const(m_keyTakers))
        if (taker)
            taker->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_keyTakers.clear();
    const std::array<std::pair<QAction *, QKeySequence>, 3> keys = {{
        {m_actOn, QKeySequence(Qt::CTRL | Qt::Key_J)},
        {m_actStakeAll, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J)},
        {m_actStakeFilter, QKeySequence(Qt::ALT | Qt::Key_J)},
    }};
    for (const auto &[action, key] : keys) {
        QAction *taker = nullptr;
        if (shown && shown != this)
            for (QAction *other : shown->actions())
                if (other != action && other->shortcuts().contains(key))
                    taker = other;
        action->setShortcut(taker ? QKeySequence() : key);
        if (taker) {
            // Wherever the focus is in the window, as this page's command would be.
            taker->setShortcutContext(Qt::WindowShortcut);
            m_keyTakers.append(taker);
        }
    }
}

void TSystemsPage::guarded(const std::function<void()> &command)
{
    // A key can reach a command before the periodic check disables it.
    if (!IsNotBusy())
        return;
    RunCommand(command);
    updateActions();
}

int TSystemsPage::libraryIndex(int row) const
{
    const TListViewModel *model = m_list->listModel();
    if (row < 0 || row >= model->rowCount())
        return -1;
    const int index = model->item(row).id;
    return index >= 0 && index < m_library.count() ? index : -1;
}

int TSystemsPage::rowOf(int index) const
{
    const TListViewModel *model = m_list->listModel();
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->item(row).id == index)
            return row;
    return -1;
}

int TSystemsPage::selectedIndex() const
{
    return libraryIndex(m_list->selectedRow());
}

void TSystemsPage::rebuildItems()
{
    TListViewModel *model = m_list->listModel();
    m_list->clearSpans();
    model->clearItems();
    for (int i = 0; i < m_library.count(); ++i) {
        TListItem item;
        item.texts = SystemItemTexts(m_library.item(i).system, m_library.item(i).filePresent);
        item.id = i;
        model->addItem(item);
    }
    m_list->sort();
    // The line that says the list is not available runs over every column, so that it reads whole.
    for (int i = 0; i < m_library.count(); ++i)
        if (m_library.item(i).system.isPlaceholder())
            m_list->setSpan(rowOf(i), 0, 1, model->columnCount());
}

void TSystemsPage::refreshRow(int index)
{
    const int row = rowOf(index);
    if (row < 0) {
        rebuildItems();
        return;
    }
    TListItem item = m_list->listModel()->item(row);
    item.texts = SystemItemTexts(m_library.item(index).system, m_library.item(index).filePresent);
    m_list->listModel()->setItem(row, item);
}

bool TSystemsPage::combsAny() const
{
    return m_window.combsPage() && !m_window.combsPage()->combs().empty();
}

void TSystemsPage::updateActions()
{
    const bool idle = IsNotBusy();
    const bool shown = idle && m_shown;
    const int index = shown ? selectedIndex() : -1;
    const bool selected = index >= 0 && !m_library.item(index).system.isPlaceholder();
    m_actOn->setEnabled(idle);
    m_actOn->setChecked(m_shown);
    m_actRefresh->setEnabled(shown);
    m_actDownload->setEnabled(selected);
    m_actAdd->setEnabled(shown);
    m_actProp->setEnabled(selected);
    m_actDel->setEnabled(selected && IsOwnSystemImage(m_library.imageOf(index)));
    const bool game = shown && combsAny() && m_window.stakes().isOpen();
    m_actStakeAll->setEnabled(game);
    m_actStakeFilter->setEnabled(game);
    m_actStakeAll->setVisible(m_shown);
    m_actStakeFilter->setVisible(m_shown);
}

void TSystemsPage::showPage(bool shown)
{
    m_shown = shown;
    if (QTabWidget *pages = m_window.mainPages())
        pages->setTabVisible(pages->indexOf(this), shown);
    m_actStakeAll->setVisible(shown);
    m_actStakeFilter->setVisible(shown);
    m_actOn->setChecked(shown);
}

void TSystemsPage::InitSystemsPage(bool loadList)
{
    m_menu->menuAction()->setVisible(true);
    showPage(m_window.options().systemsEnabled);
    if (m_shown && loadList)
        LoadSystemsList();
    updateActions();
}

void TSystemsPage::LoadSystemsList()
{
    BusySection busy;
    StatusClear clear;
    SetStatusText(Tr(u"Загрузка списка систем..."));
    m_list->setUpdatesEnabled(false);
    int keepId = 0;
    const int index = m_shown ? selectedIndex() : -1;
    if (index >= 0)
        keepId = m_library.item(index).system.id;
    m_library.GetList();
    const int row = keepId > 0 ? rowOf(m_library.indexOfId(keepId)) : -1;
    if (row >= 0) {
        m_list->setSelectedRow(row);
        m_list->scrollTo(m_list->model()->index(row, 0));
    }
    m_list->setUpdatesEnabled(true);
}

void TSystemsPage::systemsOn()
{
    {
        BusySection busy;
        StatusClear clear;
        SetStatusText(Tr(u"Подождите пожалуйста..."));
        const bool shown = !m_shown;
        showPage(shown);
        m_window.options().set(&MainOptions::systemsEnabled, shown);
        if (!shown) {
            m_library.clear();
            return;
        }
    }
    LoadSystemsList();
    if (QTabWidget *pages = m_window.mainPages())
        pages->setCurrentWidget(this);
}

void TSystemsPage::systemsRefresh()
{
    if (m_shown)
        LoadSystemsList();
}

void TSystemsPage::systemsDownload()
{
    if (!m_shown)
        return;
    StatusClear clear;
    // In the order the list shows them.
    std::vector<int> ids;
    for (int row : m_list->selectedRows())
        if (const int index = libraryIndex(row); index >= 0)
            ids.push_back(m_library.item(index).system.id);
    BusySection busy;
    // A download the user cancelled ends the whole command.
    const int cancelled = CancelledWaitCount();
    for (int id : ids)
        if (!m_library.DownloadItem(m_library.indexOfId(id)) && CancelledWaitCount() != cancelled)
            break;
}

void TSystemsPage::systemsAdd()
{
    if (!m_shown)
        return;
    const int index = m_library.AddSystem();
    if (const int row = rowOf(index); row >= 0) {
        m_list->setSelectedRow(row);
        m_list->scrollTo(m_list->model()->index(row, 0));
    }
}

void TSystemsPage::systemsProp()
{
    const int index = selectedIndex();
    if (index >= 0)
        m_library.EditSystem(index);
}

void TSystemsPage::systemsDel()
{
    const int index = selectedIndex();
    if (index >= 0)
        m_library.DeleteSystem(index);
}

void TSystemsPage::systemStakeAll()
{
    stakeSystem(false);
}

void TSystemsPage::systemStakeFilter()
{
    stakeSystem(true);
}

void TSystemsPage::stakeSystem(bool filtered)
{
    if (!m_shown || !combsAny() || !m_window.stakes().isOpen())
        return;
    const TCombsList &combs = m_window.combsPage()->combs();
    TSystemGameContext context;
    context.stakes = &m_window.stakes();
    context.list = &combs.storage();
    context.listCount = combs.count();
    const int offset = m_window.drawsPanel() ? m_window.drawsPanel()->drawsOffset() : 0;
    context.nextDrawNumber = std::max(1, NextDrawNumber(m_window.archive().draws(), offset));
    context.profit = StakeProfit(StatList().Config, kMainCount, -1);
    context.multiDialog = m_multiDialog;
    context.checkStakes = [this] { m_window.checkStakes(); };
    const TSystemGameResult result = StakeSystem(context, filtered);
    if (result.played) {
        if (auto *stakesPage = m_window.findChild<TStakesPage *>())
            stakesPage->refreshList(true, true);
        m_window.refreshStakesCount();
    }
}

TSystemsPage *InstallSystems(TTemplateMain &window)
{
    auto *page = new TSystemsPage(window);
    if (QTabWidget *pages = window.mainPages()) {
        pages->addTab(page, TSystemsPage::caption());
        pages->setTabVisible(pages->indexOf(page), false);
    }
    QMenu *options = window.findMenu(u"menuOptions"_s);
    window.menuBar()->insertMenu(options ? options->menuAction() : nullptr, page->menu());
    window.addActionUpdater([page] { page->updateActions(); });
    return page;
}
