#include "ui/StakesFeature.h"

#include "common/Format.h"
#include "common/widgets/ListView.h"
#include "lottery/stats/StatList.h"
#include "ui/CombsPage.h"
#include "ui/DrawsPanel.h"
#include "ui/RatingsPage.h"
#include "ui/ScenarioPage.h"
#include "ui/StakesPage.h"
#include "ui/TemplateMain.h"
#include "ui/logic/StakesCheck.h"

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

    if (QTabWidget *pages = window.mainPages()) {
        // Before the scenarios, as the page order of the window has it.
        int at = window.scenarioPage() ? pages->indexOf(window.scenarioPage()) : -1;
        if (at < 0)
            at = pages->count();
        pages->insertTab(at, m_stakesPage, TStakesPage::caption());
        pages->insertTab(at + 1, m_ratingsPage, TRatingsPage::caption());
    }

    auto *menu = new QMenu(u"Ставки"_s, &window);
    menu->setObjectName(u"menuStakes"_s);
    TStakesPage *s = m_stakesPage;
    menu->addActions({s->addAction(), s->addRandomAction(), s->addSelectedAction(), s->addAllAction()});
    menu->addSeparator();
    menu->addActions({s->delAction(), s->filterAction(), s->clearAction()});
    menu->addSeparator();
    menu->addAction(s->xlsExportAction());
    menu->addSeparator();
    menu->addActions({s->logStakesAction(), s->scrollAction(), s->checkLineAction(), s->logStakesDeleteAction()});
    menu->addSeparator();
    TRatingsPage *r = m_ratingsPage;
    menu->addActions({r->refreshAction(), r->exportAction(), r->xlsExportAction(), r->toScriptAction()});
    QMenu *effMenu = menu->addMenu(u"Эффективность в рейтинге"_s);
    effMenu->addActions({r->effModeAction(0), r->effModeAction(1), r->effModeAction(2)});
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
    });
    // After downloads and other changes of the archive the list shows the checked stakes.
    window.addView([this](bool) { m_stakesPage->refreshList(true, false); });
    showRatingsCount();
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
