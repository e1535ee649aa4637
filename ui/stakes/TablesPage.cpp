#include "ui/stakes/TablesPage.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/FormStore.h"
#include "common/Translate.h"
#include "common/widgets/ListView.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/CombsPage.h"
#include "ui/stakes/StakeDialog.h"
#include "ui/stakes/TableDialog.h"
#include "ui/scenarios/TestCountDialog.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/stakes/StakesFile.h"

#include <QAction>
#include <QHeaderView>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace {

struct StatusScope {
    explicit StatusScope(const QString &text) { SetStatusText(text); }
    ~StatusScope() { SetStatusText({}); }
};

// The most combinations that start tables of their own at once: each makes a table of the file.
constexpr int64_t kMaxNewTables = 10000;

enum TTablesColumn { tcName, tcStart, tcCurrent, tcStep, tcStakes, kTablesColumns };

QString TableCellText(const TTableRec &table, int column)
{
    switch (column) {
    case tcName:
        return table.name;
    case tcStart:
        return TableCombText(table.start);
    case tcCurrent:
        return TableCombText(table.current);
    case tcStep:
        return QString::number(table.step);
    case tcStakes:
        return QString::number(table.stakesMade);
    default:
        return {};
    }
}

} // namespace

TTablesPage::TTablesPage(TTablesPageLinks links, QWidget *parent) : QWidget(parent), m_links(std::move(links))
{
    setObjectName(u"tsTables"_s);
    m_dialogs.table = &ShowTableDialog;
    m_dialogs.testCount = &AskTestCount;
    m_dialogs.stake = &ShowStakeDialog;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new TQSortListView(this);
    m_list->setObjectName(u"lvTables"_s);
    m_list->setMultiSelect(true);
    m_list->addColumn(Tr(u"Комментарий"), 260);
    m_list->addColumn(Tr(u"Стартовая комбинация"), 170, Qt::AlignCenter);
    m_list->addColumn(Tr(u"Текущая комбинация"), 170, Qt::AlignCenter);
    m_list->addColumn(Tr(u"Шаг"), 50, Qt::AlignRight);
    m_list->addColumn(Tr(u"Ставок"), 60, Qt::AlignRight);
    // The tables stay in the order of the file.
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->horizontalHeader()->setSortIndicatorShown(false);
    m_list->listModel()->setOwnerData([this](int row, int column) -> QString {
        if (row < 0 || row >= m_tables.count())
            return {};
        return TableCellText(m_tables.items()[static_cast<size_t>(row)], column);
    });
    layout->addWidget(m_list);

    m_actTab = makeAction(Tr(u"Вкладка \"Регуляры\""), u"TabTables"_s, &TTablesPage::tabTables);
    m_actTab->setCheckable(true);
    m_actAdd = makeAction(Tr(u"Добавить регулярную ставку"), u"TablesAdd"_s, &TTablesPage::tablesAdd);
    m_actDel = makeAction(Tr(u"Удалить регулярную ставку"), u"TablesDel"_s, &TTablesPage::tablesDel);
    m_actStakeAdd = makeAction(Tr(u"Сделать ставку по регуляру"), u"TablesStakeAdd"_s, &TTablesPage::tablesStakeAdd);
    m_actStakeTest = makeAction(Tr(u"Тест регуляров"), u"TablesStakeTest"_s, &TTablesPage::tablesStakeTest);
    m_list->addActions({m_actAdd, m_actDel, m_actStakeAdd, m_actStakeTest});
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    refreshList();
}

QString TTablesPage::caption()
{
    return Tr(u"Регуляры");
}

QString TTablesPage::tabKey()
{
    return u"TabTables"_s;
}

QAction *TTablesPage::makeAction(const QString &caption, const QString &name, void (TTablesPage::*command)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setToolTip(caption);
    connect(action, &QAction::triggered, this, [this, command] { guarded([this, command] { (this->*command)(); }); });
    return action;
}

void TTablesPage::guarded(const std::function<void()> &command)
{
    if (!IsNotBusy())
        return;
    RunCommand(command);
    updateActions();
}

int TTablesPage::drawsOffset() const
{
    return m_links.drawsOffset ? m_links.drawsOffset() : 0;
}

int TTablesPage::sampleSize() const
{
    return m_links.combs ? static_cast<int>(std::min<int64_t>(m_links.combs->combs().count(), INT_MAX)) : 0;
}

bool TTablesPage::isShown() const
{
    if (!m_links.pages)
        return true;
    const int index = m_links.pages->indexOf(const_cast<TTablesPage *>(this));
    return index >= 0 && m_links.pages->isTabVisible(index);
}

void TTablesPage::LoadTables()
{
    bool shown = true;
    try {
        shown = ReadFormBool(MainFormSection(), tabKey(), true);
    } catch (const Exception &) {
        // An unreadable settings store leaves the tab shown.
    }
    if (m_links.pages)
        m_links.pages->setTabVisible(m_links.pages->indexOf(this), shown);
    if (shown)
        m_tables.Load();
    refreshList();
}

void TTablesPage::setShown(bool shown)
{
    if (m_links.pages)
        m_links.pages->setTabVisible(m_links.pages->indexOf(this), shown);
    try {
        WriteFormBool(MainFormSection(), tabKey(), shown);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
    m_tables.Clear();
    if (shown) {
        m_tables.Load();
        if (m_links.pages)
            m_links.pages->setCurrentWidget(this);
    }
    refreshList();
}

void TTablesPage::refreshList()
{
    m_list->listModel()->setRowCount(m_tables.count());
    m_list->listModel()->refresh();
}

void TTablesPage::saveTables()
{
    // With the tab hidden the tables are not kept.
    if (isShown())
        m_tables.Save();
    refreshList();
}

void TTablesPage::updateActions()
{
    const bool idle = IsNotBusy();
    const bool shown = isShown();
    const bool selected = m_list->selectedRow() >= 0;
    const bool stakesOpen = m_links.stakes && m_links.stakes->isOpen();
    const int draws = m_links.archive ? m_links.archive->count() : 0;
    m_actTab->setEnabled(idle);
    m_actTab->setChecked(shown);
    m_actAdd->setEnabled(idle && shown);
    m_actDel->setEnabled(idle && shown && selected);
    m_actStakeAdd->setEnabled(idle && shown && selected && stakesOpen);
    m_actStakeTest->setEnabled(idle && shown && selected && stakesOpen && TablesTestMaximum(draws) > 0);
}

void TTablesPage::tabTables()
{
    setShown(!isShown());
}

std::vector<TSelectedComb> TTablesPage::selectedCombs(int64_t limit) const
{
    std::vector<TSelectedComb> result;
    if (!m_links.combs)
        return result;
    const TCombsList &combs = m_links.combs->combs();
    for (const TRowRange &range : m_links.combs->selectedRanges())
        for (int64_t row = range.first; row <= range.last && row < combs.count(); ++row) {
            if (static_cast<int64_t>(result.size()) >= limit)
                return result;
            result.push_back({row, combs.at(row)});
        }
    return result;
}

void TTablesPage::tablesAdd()
{
    if (!isShown())
        return;
    const int64_t selectedCount = m_links.combs ? RowRangesCount(m_links.combs->selectedRanges()) : 0;
    if (selectedCount > kMaxNewTables) {
        ShowErrorBox(Format(u"Выделено комбинаций: %d. Регулярные ставки создаются не более чем для %d "
                            u"выделенных комбинаций за раз.",
                            {static_cast<long long>(selectedCount), static_cast<long long>(kMaxNewTables)}));
        return;
    }
    std::vector<TSelectedComb> selected = selectedCombs(kMaxNewTables);
    TTableRec entered;
    entered.name = Tr(u"Регулярная ставка");
    entered.mode = tmFixedStart;
    entered.step = 1;
    if (selected.size() == 1) {
        entered.start = selected.front().comb;
        SortComb(entered.start);
    }
    if (!m_dialogs.table || !m_dialogs.table(this, m_tables.names(), static_cast<int>(selected.size()), entered))
        return;
    {
        BusySection busy;
        StatusScope status(Tr(u"Создание регулярных ставок..."));
        if (entered.mode != tmFixedStart || selected.size() < 2)
            selected.clear();
        for (TTableRec &t : NewTables(entered, selected))
            m_tables.items().push_back(std::move(t));
    }
    saveTables();
}

void TTablesPage::tablesDel()
{
    const std::vector<int> rows = m_list->selectedRows();
    if (!isShown() || rows.empty())
        return;
    if (!ConfirmDeleteRecords(static_cast<int>(rows.size())))
        return;
    {
        BusySection busy;
        StatusScope status(Tr(u"Удаление регулярных ставок..."));
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            m_tables.Delete(*it);
        m_list->clearSelection();
    }
    saveTables();
}

void TTablesPage::tablesStakeAdd()
{
    const int row = m_list->selectedRow();
    if (!isShown() || row < 0 || row >= m_tables.count() || !m_links.archive)
        return;
    TTableRec stepped = m_tables.items()[static_cast<size_t>(row)];
    TStakeRec stake;
    const TTableStep step =
        MakeTableStake(stepped, m_links.archive->draws(), drawsOffset(), sampleSize(), StatList().Config, stake);
    if (step != TTableStep::Stepped) {
        ShowErrorBox(TableStepMessage(step, stepped));
        return;
    }
    int draws = 1;
    if (!m_dialogs.stake || !m_dialogs.stake(this, stake, draws))
        return;
    m_tables.items()[static_cast<size_t>(row)] = stepped;
    saveTables();
    if (m_links.addStake)
        m_links.addStake(stake, draws);
}

void TTablesPage::tablesStakeTest()
{
    const std::vector<int> selected = m_list->selectedRows();
    if (!isShown() || selected.empty() || !m_links.archive || !m_links.stakes)
        return;
    const int maximum = TablesTestMaximum(m_links.archive->count());
    if (maximum < 1)
        return;
    const int count = m_dialogs.testCount ? m_dialogs.testCount(maximum, this) : 0;
    if (count < 1)
        return;

    TTablesTestResult result;
    {
        BusySection busy;
        StatusScope status(Tr(u"Создание ставок по регулярным табличным ставкам..."));
        struct ViewsLock {
            const std::function<void(bool)> &lock;
            explicit ViewsLock(const std::function<void(bool)> &l) : lock(l)
            {
                if (lock)
                    lock(true);
            }
            ~ViewsLock()
            {
                if (lock)
                    lock(false);
            }
        } views(m_links.lockViews);

        TTablesTestLinks links;
        links.draws = &m_links.archive->draws();
        links.config = &StatList().Config;
        links.sampleSize = sampleSize();
        links.initialOffset = drawsOffset();
        links.setOffset = m_links.setDrawsOffset;
        links.addStake = [this](const TStakeRec &stake) { return m_links.stakes->appendStakeForDraws(stake, 1); };
        result = RunTablesTest(m_tables.items(), selected, count, links);
        saveTables();
    }
    if (!result.message.isEmpty())
        ShowErrorBox(result.message);
    // The stakes written before a failure stay in the file: they are checked and shown as well.
    if (result.added > 0 && m_links.checkStakes)
        m_links.checkStakes();
}
