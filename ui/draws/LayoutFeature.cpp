#include "ui/draws/LayoutFeature.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/FormStore.h"
#include "common/Translate.h"
#include "common/widgets/ExcelExportDialog.h"
#include "common/widgets/StringGrid.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/draws/LayoutPage.h"
#include "ui/statistics/RepeatsWindow.h"
#include "ui/window/TemplateMain.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

QString TabKey()
{
    return u"TabLayout"_s;
}

QAction *MakeAction(const QString &caption, const QString &name, QObject *parent)
{
    auto *action = new QAction(caption, parent);
    action->setObjectName(name);
    return action;
}

} // namespace

TLayoutFeature::TLayoutFeature(TTemplateMain &window) : QObject(&window), m_window(window)
{
    setObjectName(u"LayoutFeature"_s);
    m_page = new TLayoutPage(window.archive(), window.options(), window.mainPages());
    m_page->setDrawsOffsetSource([this] { return m_window.drawsPanel()->drawsOffset(); });
    m_page->setShownCheck([this] { return tabShown(); });
    window.mainPages()->addTab(m_page, TLayoutPage::caption());

    m_actInclude = MakeAction(Tr(u"Оставить выделенные"), u"LayoutFilter_Include"_s, this);
    m_actExclude = MakeAction(Tr(u"Удалить выделенные"), u"LayoutFilter_Exclude"_s, this);
    m_actExport = MakeAction(Tr(u"Экспорт схемы в Microsoft Excel"), u"LayoutXlsExport"_s, this);
    m_actTab = MakeAction(Tr(u"Вкладка \"Схема\""), u"TabLayout"_s, this);
    m_actTab->setCheckable(true);
    m_actRepeats = MakeAction(TRepeatsWindow::caption(), u"AnalyzeRepeats"_s, this);

    connect(m_actInclude, &QAction::triggered, this, [this] { layoutFilter(false); });
    connect(m_actExclude, &QAction::triggered, this, [this] { layoutFilter(true); });
    connect(m_actExport, &QAction::triggered, this, [this] {
        if (IsNotBusy() && tabShown())
            ExportStringGridToExcel(m_page->grid(), TLayoutPage::caption(), TLayoutPage::caption(), {}, {}, 0, true);
    });
    connect(m_actTab, &QAction::triggered, this, [this] {
        if (IsNotBusy())
            setTabEnabled(!m_tabOn);
    });
    connect(m_actRepeats, &QAction::triggered, this, [this] {
        if (IsNotBusy() && m_window.archive().count() > 0)
            ShowRepeatsWindow(m_window.archive().draws(), &m_window);
    });

    // The same keys as the other views' filters, on this page only.
    m_actInclude->setShortcut(QKeySequence(Qt::Key_F7));
    m_actExclude->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F7));
    for (QAction *a : {m_actInclude, m_actExclude})
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_page->addActions({m_actInclude, m_actExclude});

    // The grid's own menu.
    TStringGrid *grid = m_page->grid();
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    grid->addAction(m_actInclude);
    grid->addAction(m_actExclude);
    grid->addAction(m_actExport);

    if (QMenu *menu = window.findMenu(u"menuStat"_s)) {
        menu->addSeparator();
        menu->addAction(m_actTab);
        menu->addAction(m_actExport);
        menu->addSeparator();
        menu->addAction(m_actRepeats);
    }

    m_tabOn = ReadFormBool(MainFormSection(), TabKey(), true);
    window.mainPages()->setTabVisible(window.mainPages()->indexOf(m_page), m_tabOn);

    window.addView([this](bool full) {
        m_page->RefreshLayout(full);
        m_page->RefreshLayoutLists(full);
    });
    window.addActionUpdater([this] { updateActions(); });
    updateActions();
}

bool TLayoutFeature::tabShown() const
{
    return m_tabOn && m_window.mainPages()->currentWidget() == m_page;
}

void TLayoutFeature::setTabEnabled(bool on)
{
    m_tabOn = on;
    QTabWidget *pages = m_window.mainPages();
    pages->setTabVisible(pages->indexOf(m_page), on);
    try {
        WriteFormBool(MainFormSection(), TabKey(), on);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
    if (on) {
        pages->setCurrentWidget(m_page);
        m_page->RefreshLayout(true);
        m_page->RefreshLayoutLists(true);
    }
    updateActions();
}

void TLayoutFeature::storeSizes(MainLayoutSizes &sizes) const
{
    sizes.layoutLen = m_page->layoutLen();
    sizes.layoutCompareLen1 = m_page->compareLen(0);
    sizes.layoutCompareLen2 = m_page->compareLen(1);
    sizes.layoutCompareLen3 = m_page->compareLen(2);
    sizes.layoutCompareLen4 = m_page->compareLen(3);
    sizes.layoutCompareLen5 = m_page->compareLen(4);
    sizes.layoutCompareHeight = m_page->compareHeight();
}

void TLayoutFeature::applySizes(const MainLayoutSizes &sizes)
{
    m_page->setLayoutLen(sizes.layoutLen);
    m_page->setCompareLen(0, sizes.layoutCompareLen1);
    m_page->setCompareLen(1, sizes.layoutCompareLen2);
    m_page->setCompareLen(2, sizes.layoutCompareLen3);
    m_page->setCompareLen(3, sizes.layoutCompareLen4);
    m_page->setCompareLen(4, sizes.layoutCompareLen5);
    m_page->setCompareHeight(sizes.layoutCompareHeight);
}

void TLayoutFeature::layoutFilter(bool deleting)
{
    TCombsPage *combs = m_window.combsPage();
    if (!IsNotBusy() || !tabShown() || combs->combs().empty() || !m_page->hasSelection())
        return;
    try {
        const TFilterSelection selection = m_page->selection();
        // Without a number the step refuses before the undo copy is replaced, so the last step can
        // still be undone.
        if (selection.empty())
            throw Exception(Tr(u"В выделенном диапазоне нет значений для фильтра!"));
        combs->combs().SaveUndo(true);
        FilterCombsByNumbers(combs->combs(), StatList(), selection, deleting, combs->filterDraws(),
                             TLayoutPage::caption());
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    } catch (const std::bad_alloc &) {
        ShowErrorBox(Tr(u"Недостаточно памяти для выполнения операции!"));
    }
    updateActions();
    combs->updateActions();
}

void TLayoutFeature::updateActions()
{
    const bool idle = IsNotBusy();
    const bool shown = idle && tabShown();
    const bool hasDraws = m_window.archive().count() > 0;
    m_page->calcAction()->setEnabled(shown && hasDraws);
    m_page->compareCalcAction()->setEnabled(shown && hasDraws);
    const bool canFilter = shown && !m_window.combsPage()->combs().empty() && m_page->hasSelection();
    m_actInclude->setEnabled(canFilter);
    m_actExclude->setEnabled(canFilter);
    m_actExport->setEnabled(shown && m_page->grid()->rowCount() > 2);
    m_actTab->setEnabled(idle);
    m_actTab->setChecked(m_tabOn);
    // The gradient option is toggled with the other colour options: repaint when it changed.
    if (m_gradient != m_window.options().layoutGradient) {
        m_gradient = m_window.options().layoutGradient;
        m_page->grid()->viewport()->update();
    }
    m_actRepeats->setEnabled(idle && hasDraws);
}

TLayoutFeature *InstallLayoutFeature(TTemplateMain &window)
{
    return new TLayoutFeature(window);
}
