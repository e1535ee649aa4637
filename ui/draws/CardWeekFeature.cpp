#include "ui/draws/CardWeekFeature.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/FormStore.h"
#include "common/Translate.h"
#include "common/widgets/ExcelExportDialog.h"
#include "common/widgets/StringGrid.h"
#include "lottery/stats/StatList.h"
#include "ui/draws/CardPage.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/window/TemplateMain.h"
#include "ui/draws/WeekPage.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {
const QString kTabCardKey = u"TabCard"_s;
const QString kTabWeekKey = u"TabWeek"_s;

QAction *Separator(QObject *parent)
{
    auto *a = new QAction(parent);
    a->setSeparator(true);
    return a;
}
} // namespace

TCardWeekFeature::TCardWeekFeature(TTemplateMain &window)
    : QObject(&window), m_window(window),
      m_card(new TCardPage(window.archive(), StatList(), window.options(), window.mainPages())),
      m_week(new TWeekPage(window.archive(), StatList(), window.options(), window.mainPages()))
{
    setObjectName(u"CardWeekFeature"_s);
    QTabWidget *pages = window.mainPages();
    pages->addTab(m_card, TCardPage::caption());
    pages->addTab(m_week, TWeekPage::caption());
    m_week->setDrawsOffsetSource([this] { return m_window.drawsPanel()->drawsOffset(); });

    // The card.
    QAction *cardInclude = makeAction(Tr(u"Оставить выделенные"), u"CardFilter_Include"_s);
    QAction *cardExclude = makeAction(Tr(u"Удалить выделенные"), u"CardFilter_Exclude"_s);
    cardInclude->setShortcut(QKeySequence(Qt::Key_F7));
    cardExclude->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F7));
    QAction *cardExport = makeAction(Tr(u"Экспорт карты тиражей в Microsoft Excel"), u"CardXlsExport"_s);
    QAction *tabCard = makeAction(Tr(u"Вкладка \"Карта\""), u"TabCard"_s, true);
    connect(cardInclude, &QAction::triggered, this, [this] { guarded([this] { cardFilter(false); }); });
    connect(cardExclude, &QAction::triggered, this, [this] { guarded([this] { cardFilter(true); }); });
    connect(cardExport, &QAction::triggered, this, [this] {
        guarded([this] {
            ExportOwnerDrawGridToExcel(m_card->grid(), TCardPage::caption(), TCardPage::caption(), {}, {}, 0, true);
        });
    });
    connect(tabCard, &QAction::triggered, this, [this] { guarded([this] { setCardTabShown(!cardTabShown()); }); });
    for (QAction *a : {cardInclude, cardExclude})
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_card->addActions({cardInclude, cardExclude});
    m_card->grid()->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_card->grid()->addActions({cardInclude, cardExclude, Separator(this), cardExport});

    // The week.
    QAction *weekCalc = makeAction(Tr(u"Обновить"), u"WeekStatCalc"_s);
    QAction *weekMode = makeAction(Tr(u"График по дням недели"), u"ViewWeekChartMode"_s, true);
    QAction *weekType = makeAction(Tr(u"График / диаграмма"), u"ViewWeekChartType"_s, true);
    QAction *weekInclude = makeAction(Tr(u"Оставить выделенные"), u"WeekFilter_Include"_s);
    QAction *weekExclude = makeAction(Tr(u"Удалить выделенные"), u"WeekFilter_Exclude"_s);
    weekInclude->setShortcut(QKeySequence(Qt::Key_F7));
    weekExclude->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F7));
    QAction *tabWeek = makeAction(Tr(u"Вкладка \"Неделя\""), u"TabWeek"_s, true);
    connect(weekCalc, &QAction::triggered, this, [this] { guarded([this] { m_week->RefreshWeek(true); }); });
    connect(m_week, &TWeekPage::calcRequested, weekCalc, &QAction::trigger);
    connect(weekMode, &QAction::triggered, this, [this] {
        guarded([this] {
            BusySection busy;
            m_window.options().cycleWeekChartMode();
            m_week->redrawChart();
        });
    });
    connect(weekType, &QAction::triggered, this, [this] {
        guarded([this] {
            BusySection busy;
            m_window.options().toggle(&MainOptions::weekChartType);
            m_week->redrawChart();
        });
    });
    connect(weekInclude, &QAction::triggered, this, [this] { guarded([this] { weekFilter(false); }); });
    connect(weekExclude, &QAction::triggered, this, [this] { guarded([this] { weekFilter(true); }); });
    connect(tabWeek, &QAction::triggered, this, [this] { guarded([this] { setWeekTabShown(!weekTabShown()); }); });
    for (QAction *a : {weekInclude, weekExclude})
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_week->addActions({weekInclude, weekExclude});
    m_week->grid()->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_week->grid()->addActions({weekInclude, weekExclude, Separator(this), weekCalc, weekMode, weekType});

    // The colour options.
    struct ColorAction {
        const char16_t *caption;
        const char16_t *name;
        bool MainOptions::*option;
    };
    const ColorAction colors[] = {
        {u"Выделять каналы в списке тиражей", u"ViewColorDraws", &MainOptions::colorDraws},
        {u"Выделять каналы в списке комбинаций", u"ViewColorCombs", &MainOptions::colorCombs},
        {u"Выделять каналы в карте тиражей", u"ViewColorCard", &MainOptions::colorCard},
        {u"Выделять последовательности в карте тиражей", u"ViewColorCardSequences", &MainOptions::colorCardSequences},
        {u"Градиентная раскраска схемы", u"ViewShemaGradient", &MainOptions::layoutGradient},
    };
    std::vector<QAction *> colorActions;
    for (const ColorAction &c : colors) {
        QAction *a = makeAction(Tr(c.caption), QString::fromUtf16(c.name), true);
        const auto option = c.option;
        connect(a, &QAction::triggered, this, [this, option] { guarded([this, option] { toggleColor(option); }); });
        colorActions.push_back(a);
    }

    // The view menu, before the options menu.
    m_viewMenu = window.findMenu(u"menuView"_s);
    if (!m_viewMenu) {
        m_viewMenu = new QMenu(Tr(u"&Вид"), window.menuBar());
        m_viewMenu->setObjectName(u"menuView"_s);
        QMenu *options = window.findMenu(u"menuOptions"_s);
        if (options)
            window.menuBar()->insertMenu(options->menuAction(), m_viewMenu);
        else
            window.menuBar()->addMenu(m_viewMenu);
    } else {
        m_viewMenu->addSeparator();
    }
    m_viewMenu->addActions({tabCard, tabWeek});
    m_viewMenu->addSeparator();
    for (QAction *a : colorActions)
        m_viewMenu->addAction(a);
    m_viewMenu->addSeparator();
    m_viewMenu->addActions({weekMode, weekType});

    loadOptions();
    window.addView([this](bool full) {
        if (cardTabShown())
            m_card->RefreshCard(full);
        if (weekTabShown())
            m_week->RefreshWeek(full);
    });
    window.addActionUpdater([this] { updateActions(); });
    updateActions();
}

QAction *TCardWeekFeature::makeAction(const QString &caption, const QString &name, bool checkable)
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    a->setCheckable(checkable);
    a->setToolTip(caption);
    return a;
}

QAction *TCardWeekFeature::action(const QString &name) const
{
    return findChild<QAction *>(name, Qt::FindDirectChildrenOnly);
}

void TCardWeekFeature::guarded(const std::function<void()> &command)
{
    if (!IsNotBusy())
        return;
    RunCommand(command);
    updateActions();
}

void TCardWeekFeature::loadOptions()
{
    QTabWidget *pages = m_window.mainPages();
    pages->setTabVisible(pages->indexOf(m_card), ReadFormBool(MainFormSection(), kTabCardKey, true));
    pages->setTabVisible(pages->indexOf(m_week), ReadFormBool(MainFormSection(), kTabWeekKey, true));
}

void TCardWeekFeature::readSizes(MainLayoutSizes &sizes) const
{
    sizes.weekLen = m_week->weekLen();
    sizes.weekHeight = m_week->weekHeight();
}

void TCardWeekFeature::applySizes(const MainLayoutSizes &sizes)
{
    if (sizes.weekLen > 0)
        m_week->setWeekLen(sizes.weekLen);
    if (sizes.weekHeight > 0)
        m_week->setWeekHeight(sizes.weekHeight);
}

bool TCardWeekFeature::tabShown(QWidget *page) const
{
    const int index = m_window.mainPages()->indexOf(page);
    return index >= 0 && m_window.mainPages()->isTabVisible(index);
}

bool TCardWeekFeature::cardTabShown() const
{
    return tabShown(m_card);
}

bool TCardWeekFeature::weekTabShown() const
{
    return tabShown(m_week);
}

void TCardWeekFeature::setTabShown(QWidget *page, const QString &key, bool shown)
{
    QTabWidget *pages = m_window.mainPages();
    pages->setTabVisible(pages->indexOf(page), shown);
    try {
        WriteFormBool(MainFormSection(), key, shown);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
    if (shown)
        pages->setCurrentWidget(page);
}

void TCardWeekFeature::setCardTabShown(bool shown)
{
    setTabShown(m_card, kTabCardKey, shown);
    if (shown)
        m_card->RefreshCard(true);
}

void TCardWeekFeature::setWeekTabShown(bool shown)
{
    setTabShown(m_week, kTabWeekKey, shown);
    if (shown)
        m_week->RefreshWeek(true);
}

void TCardWeekFeature::toggleColor(bool MainOptions::*option)
{
    BusySection busy;
    const bool value = m_window.options().toggle(option);
    if (option == &MainOptions::colorDraws) {
        m_window.drawsPanel()->setColorDraws(value);
    } else if (option == &MainOptions::colorCombs) {
        m_window.combsPage()->refreshList();
    } else if (option == &MainOptions::layoutGradient) {
        // The scheme reads its option when it paints.
        for (QAbstractScrollArea *area : m_window.mainPages()->findChildren<QAbstractScrollArea *>())
            area->viewport()->update();
    } else {
        m_card->repaintCard();
    }
}

void TCardWeekFeature::cardFilter(bool deleting)
{
    TCombsPage *combs = m_window.combsPage();
    if (combs->combs().empty() || !cardTabShown() || !m_card->filterable())
        return;
    m_card->FilterCombsByCard(combs->combs(), deleting, combs->filterDraws());
}

void TCardWeekFeature::weekFilter(bool deleting)
{
    TCombsPage *combs = m_window.combsPage();
    if (combs->combs().empty() || !weekTabShown())
        return;
    m_week->FilterCombsByWeek(combs->combs(), deleting, combs->filterDraws());
}

void TCardWeekFeature::updateActions()
{
    const bool idle = IsNotBusy();
    const bool haveCombs = !m_window.combsPage()->combs().empty();
    const bool card = cardTabShown();
    const bool week = weekTabShown();
    const MainOptions &options = m_window.options();
    const bool cardFilters = idle && haveCombs && card && m_card->filterable();
    action(u"CardFilter_Include"_s)->setEnabled(cardFilters);
    action(u"CardFilter_Exclude"_s)->setEnabled(cardFilters);
    action(u"CardXlsExport"_s)->setEnabled(idle && card && m_card->grid()->rowCount() > 2);
    action(u"TabCard"_s)->setEnabled(idle);
    action(u"TabCard"_s)->setChecked(card);
    action(u"TabWeek"_s)->setEnabled(idle);
    action(u"TabWeek"_s)->setChecked(week);
    action(u"WeekStatCalc"_s)->setEnabled(idle && week && m_window.archive().count() > 0);
    m_week->calcButton()->setEnabled(action(u"WeekStatCalc"_s)->isEnabled());
    action(u"ViewWeekChartMode"_s)->setEnabled(idle && week);
    action(u"ViewWeekChartMode"_s)->setChecked(options.weekChartMode == 1);
    action(u"ViewWeekChartType"_s)->setEnabled(idle && week);
    action(u"ViewWeekChartType"_s)->setChecked(options.weekChartType);
    action(u"WeekFilter_Include"_s)->setEnabled(idle && haveCombs && week);
    action(u"WeekFilter_Exclude"_s)->setEnabled(idle && haveCombs && week);
    const std::pair<const char16_t *, bool MainOptions::*> colors[] = {
        {u"ViewColorDraws", &MainOptions::colorDraws},
        {u"ViewColorCombs", &MainOptions::colorCombs},
        {u"ViewColorCard", &MainOptions::colorCard},
        {u"ViewColorCardSequences", &MainOptions::colorCardSequences},
        {u"ViewShemaGradient", &MainOptions::layoutGradient},
    };
    for (const auto &[name, option] : colors) {
        QAction *a = action(QString::fromUtf16(name));
        a->setEnabled(idle);
        a->setChecked(options.*option);
    }
}

TCardWeekFeature *InstallCardWeek(TTemplateMain &window)
{
    return new TCardWeekFeature(window);
}
