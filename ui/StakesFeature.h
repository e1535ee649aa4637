#pragma once

#include "ui/logic/RatingsList.h"

#include <QObject>

class TRatingsPage;
class TStakesPage;
class TTemplateMain;

// The stakes list and the ratings of the main window: their tabs, their menu and their commands.
class TStakesFeature : public QObject {
    Q_OBJECT
public:
    explicit TStakesFeature(TTemplateMain &window);

    TStakesPage *stakesPage() const { return m_stakesPage; }
    TRatingsPage *ratingsPage() const { return m_ratingsPage; }
    TRatings &ratings() { return m_ratings; }

    // Start-up, after the draws are loaded: reads "Vendra.lrt" (sorts and saves it) and shows the list.
    void LoadRatings();
    // Checks the stakes against the archive, counting them in the ratings and the logs; when something
    // was checked the stakes file is reopened and the ratings sorted and saved. Then the stakes list is
    // refreshed in place.
    void CheckStakes();

private:
    void showRatingsCount();

    TTemplateMain &m_window;
    TRatings m_ratings;
    TStakesPage *m_stakesPage = nullptr;
    TRatingsPage *m_ratingsPage = nullptr;
};

// Creates the stakes and ratings tabs, the "Ставки" menu and their command updates.
TStakesFeature *InstallStakes(TTemplateMain &window);
