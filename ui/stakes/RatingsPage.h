#pragma once

#include "app/stakes/RatingsList.h"

#include <QWidget>

#include <functional>

class QAction;
class TQSortListView;
class TScenarioList;
class TStakesFile;
class TStatList;
struct MainOptions;

// Asks for the name of the CSV file to export to; empty when cancelled. Tests install their own answer;
// nullptr restores the save dialog.
using RatingsCsvDialog = std::function<QString(QWidget *parent)>;
void SetRatingsCsvDialog(RatingsCsvDialog dialog);

// The "Рейтинг" tab: one row per rating with its efficiency columns, the rebuild from the stakes, the
// exports and the way back from a rating to a scenario line.
class TRatingsPage : public QWidget {
    Q_OBJECT
public:
    TRatingsPage(TRatings &ratings, MainOptions &options, QWidget *parent = nullptr);

    static QString caption();

    TQSortListView *ratingsList() const { return m_list; }
    void setStakes(TStakesFile *stakes) { m_stakes = stakes; }
    void setScenario(TScenarioList *scenario, const TStatList *stats)
    {
        m_scenario = scenario;
        m_stats = stats;
    }
    // Called after lines were added to the scenario (the main window shows the scenarios).
    void setLinesAddedHandler(std::function<void()> handler) { m_linesAdded = std::move(handler); }

    // The list follows the ratings (their count and texts).
    void refreshList();
    void updateActions();

    // The commands.
    void ratingsRefresh();
    void ratingsExport();
    void ratingsXlsExport();
    void ratingsToScript();
    void setEffMode(int mode);

    QAction *refreshAction() const { return m_actRefresh; }
    QAction *exportAction() const { return m_actExport; }
    QAction *xlsExportAction() const { return m_actXlsExport; }
    QAction *toScriptAction() const { return m_actToScript; }
    QAction *effModeAction(int mode) const { return m_actEffMode[static_cast<size_t>(mode)]; }

private:
    QAction *makeAction(const QString &caption, const QString &name, void (TRatingsPage::*command)());
    void guarded(const std::function<void()> &command);

    TRatings &m_ratings;
    MainOptions &m_options;
    TMatchShares m_shares;
    TStakesFile *m_stakes = nullptr;
    TScenarioList *m_scenario = nullptr;
    const TStatList *m_stats = nullptr;
    std::function<void()> m_linesAdded;
    TQSortListView *m_list = nullptr;
    QAction *m_actRefresh = nullptr;
    QAction *m_actExport = nullptr;
    QAction *m_actXlsExport = nullptr;
    QAction *m_actToScript = nullptr;
    std::array<QAction *, 3> m_actEffMode{};
};
