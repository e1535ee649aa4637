#include "ui/stakes/StakesFeature.h"

#include "common/Format.h"
#include "common/Translate.h"
#include "common/widgets/ListView.h"
#include "common/widgets/StringGrid.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/stakes/RatingsPage.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/stakes/StakesCharts.h"
#include "ui/stakes/StakesPage.h"
#include "ui/stakes/TablesPage.h"
#include "ui/window/TemplateMain.h"
#include "app/stakes/StakesCheck.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

using namespace Qt::StringLiterals;

TStakesFeature::TStakesFeature(TTemplateMain &window) : QObject(&window), m_window(window)
{
    setObjectName(u"StakesFeature"_s);
    TStakesPageLinks links;
    links.archive = &window.archive();
    links.combs = window.combsPage();
    links.options = &window.options();
    links.drawsOffset = [&window] { return window.drawsPanel() ? window.drawsPanel()->drawsOffset() : 0; };
    links.checkStakes = [this] { CheckStakes(); };
    links.refreshRatings = [this] { m_ratings.Refresh(m_window.stakes()); };
    links.showCount = [&window] { window.refreshStakesCount(); };
    m_stakesPage = new TStakesPage(window.stakes(), std::move(links));

    m_ratingsPage = new TRatingsPage(m_ratings, window.options());
    m_ratingsPage->setStakes(&window.stakes());
    if (window.scenarioPage()) {
        m_ratingsPage->setScenario(&window.scenarioPage()->scenario(), &StatList());
        m_ratingsPage->setLinesAddedHandler([&window] {
            if (window.mainPages() && window.scenarioPage())
                window.mainPages()->setCurrentWidget(window.scenarioPage());
        });
    }
    m_ratings.setChangedHandler([this] {
        m_ratingsPage->refreshList();
        showRatingsCount();
    });

    TTablesPageLinks tables;
    tables.archive = &window.archive();
    tables.stakes = &window.stakes();
    tables.combs = window.combsPage();
    tables.pages = window.mainPages();
    tables.drawsOffset = [&window] { return window.drawsPanel() ? window.drawsPanel()->drawsOffset() : 0; };
    tables.setDrawsOffset = [&window](int offset) {
        if (window.drawsPanel())
            window.drawsPanel()->setDrawsOffset(offset);
    };
    tables.lockViews = [&window](bool locked) { window.setViewsLocked(locked); };
    tables.addStake = [this](const TStakeRec &rec, int draws) { m_stakesPage->addStake(rec, draws); };
    tables.checkStakes = [this] {
        CheckStakes();
        m_stakesPage->refreshList(true, true);
    };
    m_tablesPage = new TTablesPage(std::move(tables));

    if (QTabWidget *pages = window.mainPages()) {
        // Before the scenarios, as the page order of the window has it.
        int at = window.scenarioPage() ? pages->indexOf(window.scenarioPage()) : -1;
        if (at < 0)
            at = pages->count();
        pages->insertTab(at, m_stakesPage, TStakesPage::caption());
        pages->insertTab(at + 1, m_ratingsPage, TRatingsPage::caption());
        pages->insertTab(at + 2, m_tablesPage, TTablesPage::caption());
    }

    m_charts = new TStakesCharts(window.stakes(), [this] { return selectedRatings(); }, &window);

    auto *menu = new QMenu(Tr(u"Ст&авки"), window.menuBar());
    menu->setObjectName(u"menuStakes"_s);
    TStakesPage *s = m_stakesPage;
    menu->addActions({s->addAction(), s->addRandomAction(), s->addSelectedAction(), s->addAllAction()});
    menu->addSeparator();
    menu->addActions({s->delAction(), s->filterAction(), s->clearAction()});
    menu->addSeparator();
    menu->addAction(s->checkManualAction());
    menu->addSeparator();
    menu->addAction(s->xlsExportAction());
    menu->addSeparator();
    TStakesCharts *c = m_charts;
    menu->addActions({c->drawsAction(), c->overlapAction(), c->profitsAction()});
    menu->addSeparator();
    menu->addActions({s->logStakesAction(), s->scrollAction(), s->checkLineAction(), s->logStakesDeleteAction()});
    menu->addSeparator();
    // The ratings and the regular stakes have a submenu each, named as their pages: the whole menu
    // then opens in one column within a screen 600 pixels high.
    TRatingsPage *r = m_ratingsPage;
    QMenu *ratingsMenu = menu->addMenu(TRatingsPage::caption());
    ratingsMenu->setObjectName(u"menuRatings"_s);
    ratingsMenu->addActions({r->refreshAction(), r->exportAction(), r->xlsExportAction(), r->toScriptAction()});
    ratingsMenu->addAction(c->ratingsOverlapAction());
    QMenu *effMenu = ratingsMenu->addMenu(Tr(u"Эффективность в рейтинге"));
    effMenu->addActions({r->effModeAction(0), r->effModeAction(1), r->effModeAction(2)});
    TTablesPage *t = m_tablesPage;
    QMenu *tablesMenu = menu->addMenu(TTablesPage::caption());
    tablesMenu->setObjectName(u"menuTables"_s);
    tablesMenu->addActions({t->tabAction(), t->addAction(), t->delAction(), t->stakeAddAction(), t->stakeTestAction()});

    // The charts in the lists' own menus; a double click on a rating draws its matches.
    s->grid()->addActions({c->drawsAction(), c->overlapAction(), c->profitsAction()});
    r->ratingsList()->addActions({c->overlapAction(), c->profitsAction(), c->ratingsOverlapAction()});
    connect(r->ratingsList(), &QAbstractItemView::doubleClicked, this, [c] {
        c->updateActions();
        if (c->ratingsOverlapAction()->isEnabled())
            c->ratingsOverlapAction()->trigger();
    });
    QMenu *options = window.findMenu(u"menuOptions"_s);
    window.menuBar()->insertMenu(options ? options->menuAction() : nullptr, menu);

    if (TCombsPage *combs = window.combsPage()) {
        // A double click on a combination stakes it.
        connect(combs->combsList(), &QAbstractItemView::doubleClicked, this, [this] {
            if (m_window.stakes().isOpen() && m_stakesPage->addAction()->isEnabled())
                m_stakesPage->addAction()->trigger();
        });
    }

    window.addActionUpdater([this] {
        m_stakesPage->updateActions();
        m_ratingsPage->updateActions();
        m_tablesPage->updateActions();
        m_charts->updateActions();
    });
    // After downloads and other changes of the archive the list shows the checked stakes.
    window.addView([this](bool) { m_stakesPage->refreshList(true, false); });
    showRatingsCount();
    connect(&window, &TTemplateMain::languageChanged, this, &TStakesFeature::showRatingsCount);
}

void TStakesFeature::showRatingsCount()
{
    if (QLabel *panel = m_window.statusPanel(5))
        panel->setText(Format(u"Рейтинг: %d", {m_ratings.count()}));
}

void TStakesFeature::LoadRatings()
{
    m_ratings.Load();
    m_ratingsPage->refreshList();
    showRatingsCount();
}

void TStakesFeature::LoadTables()
{
    m_tablesPage->LoadTables();
}

std::vector<const TRatingRec *> TStakesFeature::selectedRatings() const
{
    std::vector<const TRatingRec *> result;
    for (int row : m_ratingsPage->ratingsList()->selectedRows())
        if (row >= 0 && row < m_ratings.count())
            result.push_back(&m_ratings.items()[static_cast<size_t>(row)]);
    return result;
}

void TStakesFeature::CheckStakes()
{
    TStakeCheckContext context;
    context.draws = &m_window.archive().draws();
    context.config = &StatList().Config;
    context.ratings = &m_ratings.items();
    context.log.enabled = m_window.options().stakesLogEnabled;
    CheckStakesAndRefresh(m_window.stakes(), context, [this] { m_ratings.Sort(); });
    m_stakesPage->refreshList(true, false);
}

TStakesFeature *InstallStakes(TTemplateMain &window)
{
    return new TStakesFeature(window);
}
