#include "ui/statistics/StatSettingsActions.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Translate.h"
#include "lottery/stats/StatList.h"
#include "ui/statistics/ConfigDialog.h"
#include "ui/statistics/FavouritesDialog.h"
#include "ui/statistics/MethodInfoWindow.h"
#include "ui/statistics/ShreddingDialog.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/views/StatSettingsEdit.h"

#include <QAction>

using namespace Qt::StringLiterals;

void LoadStatConfig(TStatList &list)
{
    BusySection busy;
    SetStatusText(Tr(u"Загрузка файла конфигурации..."));
    list.LoadGenerateSettings();
    list.LoadStatSettings();
    list.LoadShreddingFormulas();
    SetStatusText({});
}

void SaveStatConfig(const TStatList &list, bool shredding)
{
    BusySection busy;
    SetStatusText(Tr(u"Сохранение файла конфигурации..."));
    struct ClearStatus {
        ~ClearStatus() { SetStatusText({}); }
    } clear;
    if (shredding)
        list.SaveShreddingFormulas();
    else
        list.SaveStatSettings();
}

void LoadFavoritesFile(TStatList &list, const TDrawsArray &draws)
{
    list.SetDraws(&draws);
    list.RebuildMethods();
    list.LoadFilterSettings(TStatList::FavoritesFileName(), true);
}

void ReloadStatMethods(TStatList &list, TStatisticsPage *page, bool keep)
{
    if (page) {
        page->FillMethodCombos(true, keep);
        return;
    }
    // What the page does when it refills: the favourites and names outlive the rebuild through the file.
    const QString favourites = TStatList::FavoritesFileName();
    list.SaveFilterSettings(favourites, false);
    list.RebuildMethods();
    list.SelectAllMethods();
    list.LoadFilterSettings(favourites, true);
}

TStatSettingsActions::TStatSettingsActions(TStatList &list, TStatisticsPage *page, QWidget *window)
    : QObject(window), m_list(list), m_page(page), m_window(window)
{
    m_actEditConfig = makeAction(u"EditConfig"_s, Tr(u"Параметры системы..."), &TStatSettingsActions::EditConfig);
    m_actEditShredding =
        makeAction(u"EditShredding"_s, Tr(u"Методы шинковки..."), &TStatSettingsActions::EditShredding);
    m_actFiltersManager =
        makeAction(u"FiltersManager"_s, Tr(u"Избранные статистики"), &TStatSettingsActions::FiltersManager);
    m_actFiltersReset =
        makeAction(u"FiltersReset"_s, Tr(u"Все доступные статистики"), &TStatSettingsActions::FiltersReset);
    m_actFiltersInfo = makeAction(u"FiltersInfo"_s, Tr(u"Описание статистики"), &TStatSettingsActions::FiltersInfo);
    m_actFiltersInfo->setShortcut(QKeySequence(Qt::Key_F8));
    updateActions();
}

QAction *TStatSettingsActions::makeAction(const QString &name, const QString &caption,
                                          bool (TStatSettingsActions::*command)())
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, command] {
        // The update handler may not have run since the state changed.
        updateActions();
        if (IsNotBusy())
            (this->*command)();
    });
    return a;
}

void TStatSettingsActions::updateActions()
{
    const bool free = IsNotBusy();
    m_actEditConfig->setEnabled(free);
    m_actEditShredding->setEnabled(free);
    m_actFiltersManager->setEnabled(free);
    m_actFiltersReset->setEnabled(free);
    m_actFiltersInfo->setEnabled(free && m_page && m_page->selectedMethod());
}

bool TStatSettingsActions::EditConfig()
{
    TConfigData edited = m_list.Config;
    if (!ShowConfigDialog(edited, m_window))
        return false;
    const int flags = ConfigChangeFlags(m_list.Config, edited);
    m_list.Config = edited;
    try {
        SaveStatConfig(m_list);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
    ReloadStatMethods(m_list, m_page, true);
    emit configChanged(flags);
    return true;
}

bool TStatSettingsActions::EditShredding()
{
    TShreddingData edited = m_list.Shredding;
    if (!ShowShreddingDialog(edited, m_window))
        return false;
    m_list.Shredding = edited;
    try {
        SaveStatConfig(m_list, true);
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
    // The method captions show the formulas as they were at the rebuild.
    ReloadStatMethods(m_list, m_page, true);
    emit shreddingChanged(scfShredding);
    return true;
}

bool TStatSettingsActions::FiltersManager()
{
    if (!ShowManagerDialog(m_list, m_window))
        return false;
    SetStatusText(Tr(u"Подождите пожалуйста..."));
    m_list.SaveFilterSettings(TStatList::FavoritesFileName(), false);
    ReloadStatMethods(m_list, m_page, false);
    SetStatusText({});
    emit favouritesChanged();
    return true;
}

bool TStatSettingsActions::FiltersReset()
{
    if (ConfirmBoxDefaultNo(Tr(u"Вы действительно хотите сбросить список избранных фильтров?")) != IDYES)
        return false;
    m_list.SelectAllMethods();
    m_list.SaveFilterSettings(TStatList::FavoritesFileName(), false);
    ReloadStatMethods(m_list, m_page, false);
    emit favouritesChanged();
    return true;
}

bool TStatSettingsActions::FiltersInfo()
{
    const TStatMethod *method = m_page ? m_page->selectedMethod() : nullptr;
    if (!method)
        return false;
    return ShowFilterHelp(*method, m_window);
}
