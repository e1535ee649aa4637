#pragma once

#include "app/stakes/RatingsList.h"

#include <QObject>

class TRatingsPage;
class TStakesCharts;
class TStakesPage;
class TTablesPage;
class TTemplateMain;

// The stakes list, the ratings and the regular stakes tables of the main window: their tabs, their
// menu, their charts and their commands.
class TStakesFeature : public QObject {
    Q_OBJECT
public:
    explicit TStakesFeature(TTemplateMain &window);

    TStakesPage *stakesPage() const { return m_stakesPage; }
    TRatingsPage *ratingsPage() const { return m_ratingsPage; }
    TTablesPage *tablesPage() const { return m_tablesPage; }
    TStakesCharts *charts() const { return m_charts; }
    TRatings &ratings() { return m_ratings; }

    // Start-up, after the draws are loaded: reads "Vendra.lrt" (sorts and saves it) and shows the list.
    void LoadRatings();
    // Start-up, after the ratings: shows the regular stakes tables' tab as its option says and reads
    // "Vendra.ltb" when it is shown.
    void LoadTables();
    // Checks the stakes against the archive, counting them in the ratings and the logs; when something
    // was checked the stakes file is reopened and the ratings sorted and saved. Then the stakes list is
    // refreshed in place.
    void CheckStakes();

private:
    void showRatingsCount();
    std::vector<const TRatingRec *> selectedRatings() const;

    TTemplateMain &m_window;
    TRatings m_ratings;
    TStakesPage *m_stakesPage = nullptr;
    TRatingsPage *m_ratingsPage = nullptr;
    TTablesPage *m_tablesPage = nullptr;
    TStakesCharts *m_charts = nullptr;
};

// Creates the stakes, ratings and tables tabs, the "Ставки" menu and their command updates.
TStakesFeature *InstallStakes(TTemplateMain &window);
