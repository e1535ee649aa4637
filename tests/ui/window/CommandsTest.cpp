// Every command of the program as the user meets it: its object name, its caption, its keys, the
// places where it is offered (main menu, the lists' own menus, page toolbars and buttons), whether it
// is enabled and checked in a fresh start, and that each key reaches exactly one command.

#include "common/widgets/ExcelExportDialog.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "tests/support/StakesTestData.h"
#include "common/BusyCursor.h"
#include "common/IniFile.h"
#include "common/widgets/ElidedComboBox.h"
#include "common/widgets/ListView.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/statistics/FavouritesDialog.h"
#include "ui/charts/ChartWindow.h"
#include "ui/window/FormMain.h"
#include "ui/window/HelpFeature.h"
#include "ui/statistics/RepeatsWindow.h"
#include "ui/scenarios/ScenarioLineDialog.h"
#include "ui/scenarios/ScenarioPage.h"
#include "app/draws/DrawsArchive.h"
#include "ui/stakes/SystemDialog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Enabled and checked states in a fresh start: 1 yes, 0 no, -1 not asked (or not checkable).
struct Command {
    const char16_t *name;
    const char16_t *caption;
    const char16_t *keys; // portable text, several sequences joined by "; "
    std::vector<const char16_t *> places;
    int enabled;
    int checked;
};

// The fresh start of the table below: no draws, the full list of combinations, an empty stakes file,
// no ratings, no scenario lines, no help file, the catalogues off (no service address), options at
// their defaults except no download and no update check at start.
const std::vector<Command> &Commands()
{
    static const std::vector<Command> commands = {
        // Start-up and options.
        {u"ExitProgram", u"Выход", u"Alt+X", {u"menuFile"}, 1, -1},
        {u"CheckUpdate", u"Проверить наличие обновлений...", u"", {u"menuOptions"}, 1, -1},
        {u"AutoSelfUpdate", u"Проверять обновления при запуске", u"", {u"menuOptions"}, 1, 0},
        {u"AutoDownload0", u"Спрашивать о загрузке тиражей при запуске", u"", {u"menuOptions"}, 1, 0},
        {u"AutoDownload1", u"Загружать новые тиражи при запуске", u"", {u"menuOptions"}, 1, 0},
        {u"AutoDownload2", u"Не загружать тиражи при запуске", u"", {u"menuOptions"}, 1, 1},
        {u"EditConfig", u"Параметры системы...", u"", {u"menuOptions"}, 1, -1},
        {u"EditShredding", u"Методы шинковки...", u"", {u"menuOptions"}, 1, -1},
        {u"EditProxy", u"Настройки прокси-сервера...", u"", {u"menuOptions"}, 1, -1},
        {u"Language1049", u"Русский", u"", {u"menuLanguages"}, 1, 1},

        // Draws archive, CSV and download.
        {u"DrawsAdd", u"Добавить тираж...", u"Ins", {u"menuDraws", u"ctx:lvDraws"}, 1, -1},
        {u"DrawsEdit", u"Изменить тираж...", u"F2", {u"menuDraws", u"ctx:lvDraws"}, 0, -1},
        {u"DrawsDel", u"Удалить тиражи", u"Ctrl+Del", {u"menuDraws", u"ctx:lvDraws"}, 0, -1},
        {u"DrawsSorted", u"Упорядочивать числа тиражей", u"", {u"menuDraws"}, 1, 0},
        {u"DrawsInfo", u"Сведения о тираже", u"", {u"menuDraws", u"ctx:lvDraws"}, 0, -1},
        {u"DrawsImport", u"Импорт тиражей из CSV-файла...", u"", {u"menuDraws"}, 1, -1},
        {u"DrawsExport", u"Экспорт тиражей в CSV-файл...", u"", {u"menuDraws"}, 0, -1},
        {u"DrawsXlsExport", u"Экспорт тиражей в Microsoft Excel", u"", {u"menuDraws", u"ctx:lvDraws"}, 0, -1},
        {u"DrawsDownload", u"Загрузить новые тиражи с сайта", u"Ctrl+D", {u"menuDraws"}, 1, -1},

        // Combinations list.
        {u"CombsGen", u"Генерировать", u"F2", {u"menuCombs", u"ctx:lvCombs", u"bar:tbCombs"}, 1, -1},
        {u"CombsOpen", u"Открыть", u"Ctrl+O", {u"menuCombs", u"ctx:lvCombs", u"bar:tbCombs"}, 1, -1},
        {u"CombsSave", u"Сохранить", u"Ctrl+S", {u"menuCombs", u"ctx:lvCombs", u"bar:tbCombs"}, 1, -1},
        {u"CombsUndo", u"Отменить", u"Ctrl+Z", {u"menuCombs", u"ctx:lvCombs", u"bar:tbCombs"}, 0, -1},
        {u"CombsDelExists", u"Исключить тиражи", u"Ctrl+E", {u"menuCombs", u"ctx:lvCombs", u"btn:btnCombsDelExists"}, 0, -1},
        {u"CombsDelSelected", u"Удалить выделенные", u"Ctrl+Del", {u"menuCombs", u"ctx:lvCombs"}, 0, -1},
        {u"CombsCopy", u"Копировать в буфер", u"Ctrl+C", {u"menuCombs", u"ctx:lvCombs"}, 1, -1},
        {u"CombsPaste", u"Вставить из буфера", u"Ctrl+V", {u"menuCombs", u"ctx:lvCombs"}, -1, -1},
        {u"CombsSelectAll", u"Выделить все", u"Ctrl+A", {u"menuCombs", u"ctx:lvCombs"}, 1, -1},
        {u"CombsCheckNums", u"Количество уникальных номеров", u"", {u"menuCombs", u"ctx:lvCombs"}, 1, -1},
        {u"CombsFindInDraws", u"Проверить по архиву тиражей", u"Ctrl+F", {u"menuCombs", u"ctx:lvCombs"}, 0, -1},
        {u"CombsInfo", u"Сведения о комбинации", u"", {u"menuCombs", u"ctx:lvCombs"}, 0, -1},
        {u"CombsXlsExport", u"Экспорт комбинаций в Microsoft Excel", u"", {u"menuCombs", u"ctx:lvCombs"}, 1, -1},

        // Statistics view, its filters, favourites and the prefetch option.
        {u"DrawsStatCalc", u"Обновить", u"F5", {u"menuStat", u"ctx:lvDrawsStat", u"bar:tbDrawsStat"}, 0, -1},
        {u"StatFilter_Include", u"Оставить выделенные", u"F7", {u"menuStat", u"ctx:lvDrawsStat"}, 0, -1},
        {u"StatFilter_Exclude", u"Удалить выделенные", u"Ctrl+F7", {u"menuStat", u"ctx:lvDrawsStat"}, 0, -1},
        {u"DrawsStatePrefetchsEnabled", u"Использовать сравнение с полным набором комбинаций", u"",
         {u"menuStat", u"ctx:lvDrawsStat", u"bar:tbDrawsStat"}, 1, 0},
        {u"DrawsStatShowTotalLine", u"График идеального распределения", u"",
         {u"menuStat", u"ctx:lvDrawsStat", u"bar:tbDrawsStat"}, 0, 1},
        {u"DrawsStatExportToExcel", u"Экспорт статистики в Microsoft Excel", u"",
         {u"menuStat", u"ctx:lvDrawsStat", u"bar:tbDrawsStat"}, 0, -1},
        {u"FiltersManager", u"Избранные статистики", u"", {u"menuStat"}, 1, -1},
        {u"FiltersReset", u"Все доступные статистики", u"", {u"menuStat"}, 1, -1},
        {u"FiltersInfo", u"Описание статистики", u"F8", {u"menuStat"}, 1, -1},

        // Graphs, sums distribution, layout and repeats.
        {u"DrawsGraphDraw", u"Обновить", u"", {u"bar:tbDrawsGraph"}, 0, -1},
        {u"DrawsGraphShowMarks", u"Отображать метки на графике", u"", {u"bar:tbDrawsGraph"}, 1, 0},
        {u"TabGraps", u"Вкладка \"Графики\"", u"", {u"menuStat"}, 1, 1},
        {u"TotalSumCombs", u"Распределение сумм тиражей и всех возможных комбинаций", u"", {u"menuStat"}, 1, -1},
        {u"TabLayout", u"Вкладка \"Схема\"", u"", {u"menuStat"}, 1, 1},
        {u"LayoutCalc", u"Обновить", u"", {u"btn:tsLayout"}, 0, -1},
        {u"LayoutCmpCalc", u"Обновить", u"", {u"btn:pnlLayoutCompare"}, 0, -1},
        {u"LayoutFilter_Include", u"Оставить выделенные", u"F7", {u"ctx:sgLayout"}, 0, -1},
        {u"LayoutFilter_Exclude", u"Удалить выделенные", u"Ctrl+F7", {u"ctx:sgLayout"}, 0, -1},
        {u"LayoutXlsExport", u"Экспорт схемы в Microsoft Excel", u"", {u"menuStat", u"ctx:sgLayout"}, 0, -1},
        {u"AnalyzeRepeats", u"Количество повторов в зависимости от тиража", u"", {u"menuStat"}, 0, -1},

        // Card and week views and the colour options.
        {u"TabCard", u"Вкладка \"Карта\"", u"", {u"menuView"}, 1, 1},
        {u"TabWeek", u"Вкладка \"Неделя\"", u"", {u"menuView"}, 1, 1},
        {u"ViewColorDraws", u"Выделять каналы в списке тиражей", u"", {u"menuView"}, 1, 1},
        {u"ViewColorCombs", u"Выделять каналы в списке комбинаций", u"", {u"menuView"}, 1, 1},
        {u"ViewColorCard", u"Выделять каналы в карте тиражей", u"", {u"menuView"}, 1, 1},
        {u"ViewColorCardSequences", u"Выделять последовательности в карте тиражей", u"", {u"menuView"}, 1, 1},
        {u"ViewShemaGradient", u"Градиентная раскраска схемы", u"", {u"menuView"}, 1, 1},
        {u"ViewWeekChartMode", u"График по дням недели", u"", {u"menuView", u"ctx:sgWeek"}, 1, 0},
        {u"ViewWeekChartType", u"График / диаграмма", u"", {u"menuView", u"ctx:sgWeek"}, 1, 0},
        {u"CardFilter_Include", u"Оставить выделенные", u"F7", {u"ctx:sgCard"}, 0, -1},
        {u"CardFilter_Exclude", u"Удалить выделенные", u"Ctrl+F7", {u"ctx:sgCard"}, 0, -1},
        {u"CardXlsExport", u"Экспорт карты тиражей в Microsoft Excel", u"", {u"ctx:sgCard"}, 0, -1},
        {u"WeekFilter_Include", u"Оставить выделенные", u"F7", {u"ctx:sgWeek"}, 1, -1},
        {u"WeekFilter_Exclude", u"Удалить выделенные", u"Ctrl+F7", {u"ctx:sgWeek"}, 1, -1},
        {u"WeekStatCalc", u"Обновить", u"", {u"ctx:sgWeek"}, 0, -1},

        // Scenario list and runner.
        {u"ScriptOpen", u"Открыть", u"Ctrl+J", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 1, -1},
        {u"ScriptSave", u"Сохранить", u"Ctrl+I", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptLoad", u"Добавить сценарий", u"", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 1, -1},
        {u"ScriptAdd", u"Добавить фильтры", u"Ctrl+Ins", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 1, -1},
        {u"ScriptEmpty", u"Добавить разделитель", u"Ctrl+Alt+Ins", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptClone", u"Клонировать", u"Ctrl+K", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptEdit", u"Изменить", u"Ctrl+Return; Ctrl+Enter", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptDel", u"Удалить", u"Ctrl+Del", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptClr", u"Удалить все", u"", {u"menuScript", u"ctx:lvScripts"}, 0, -1},
        {u"ScriptUp", u"Переместить вверх", u"Ctrl+Up", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptDown", u"Переместить вниз", u"Ctrl+Down", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptCopy", u"Копировать в буфер", u"Ctrl+C", {u"menuScript", u"ctx:lvScripts"}, 0, -1},
        {u"ScriptPaste", u"Вставить из буфера", u"Ctrl+V", {u"menuScript", u"ctx:lvScripts"}, -1, -1},
        {u"ScriptRun", u"Прогноз", u"F10", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptTest", u"Тест", u"Ctrl+F10", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"ScriptStop", u"Стоп", u"Ctrl+X", {u"menuScript", u"ctx:lvScripts", u"bar:tbScripts"}, 0, -1},
        {u"LogToggle", u"Журнал выполнения сценария", u"", {u"menuScript"}, 1, 0},
        {u"LogsDelete", u"Удалить журналы выполнения сценариев", u"", {u"menuScript"}, 1, -1},

        // Online scenario catalogue.
        {u"ScriptLibrary", u"Online каталог сценариев", u"Ctrl+L", {u"menuScript"}, 1, 1},
        {u"ScriptLibraryRefresh", u"Обновить", u"", {u"ctx:lvOnlineScripts", u"bar:tbOnlineScripts"}, 1, -1},
        {u"ScriptLibraryDownload", u"Скачать из каталога", u"", {u"ctx:lvOnlineScripts", u"bar:tbOnlineScripts"}, 0, -1},
        {u"ScriptLibraryRate1", u"[ 1 ] - Бесполезно", u"", {u"ctx:lvOnlineScripts"}, 0, 0},
        {u"ScriptLibraryRate2", u"[ 2 ] - Плохо", u"", {u"ctx:lvOnlineScripts"}, 0, 0},
        {u"ScriptLibraryRate3", u"[ 3 ] - Удовлетворительно", u"", {u"ctx:lvOnlineScripts"}, 0, 0},
        {u"ScriptLibraryRate4", u"[ 4 ] - Хорошо", u"", {u"ctx:lvOnlineScripts"}, 0, 0},
        {u"ScriptLibraryRate5", u"[ 5 ] - Отлично", u"", {u"ctx:lvOnlineScripts"}, 0, 0},
        {u"ScriptLibraryRate0", u"Удалить оценку", u"", {u"ctx:lvOnlineScripts"}, 0, -1},
        {u"ScriptLibraryHide", u"Скрыть сценарий", u"", {u"ctx:lvOnlineScripts"}, 0, 0},
        {u"ScriptLibraryUpload", u"Опубликовать", u"", {u"ctx:lvOnlineScripts", u"bar:tbOnlineScripts"}, 0, -1},
        {u"ScriptLibraryReplace", u"Изменить", u"", {u"ctx:lvOnlineScripts", u"bar:tbOnlineScripts"}, 0, -1},
        {u"ScriptLibraryDelete", u"Удалить", u"", {u"ctx:lvOnlineScripts", u"bar:tbOnlineScripts"}, 0, -1},
        {u"ScriptLibraryView", u"Свойства сценария", u"", {u"ctx:lvOnlineScripts", u"bar:tbOnlineScripts"}, 0, -1},
        {u"ScriptLibraryRates", u"Просмотр оценок", u"", {u"ctx:lvOnlineScripts", u"bar:tbOnlineScripts"}, 0, -1},

        // Stakes, their checking and charts. Alt+F4 and Ctrl+Alt+F4 belong to the desktop.
        {u"StakeAdd", u"Сделать ставку", u"F4", {u"menuStakes", u"ctx:sgStakes"}, 1, -1},
        {u"StakeAddRandom", u"Сделать случайную ставку", u"Ctrl+F4", {u"menuStakes"}, 1, -1},
        {u"StakeAddSelected", u"Сделать ставки для выделенных комбинаций", u"Shift+F4", {u"menuStakes"}, 0, -1},
        {u"StakeAddAll", u"Сделать ставки для всех комбинаций", u"Ctrl+Shift+F4", {u"menuStakes"}, 1, -1},
        {u"StakeDel", u"Удалить ставку", u"Ctrl+Del", {u"menuStakes", u"ctx:sgStakes"}, 0, -1},
        {u"StakeFilter", u"Удалить по условию", u"Alt+D", {u"menuStakes", u"ctx:sgStakes"}, 0, -1},
        {u"StakeClear", u"Удалить все ставки", u"Ctrl+Shift+Del", {u"menuStakes", u"ctx:sgStakes"}, 0, -1},
        {u"StakesXlsExport", u"Экспорт ставок в Microsoft Excel", u"", {u"menuStakes", u"ctx:sgStakes"}, 0, -1},
        {u"StakesCheckManual", u"Проверить ставки", u"", {u"menuStakes", u"ctx:sgStakes"}, 0, -1},
        {u"LogStakes", u"Вести журналы проверки ставок", u"", {u"menuStakes"}, 1, 0},
        {u"StakesScroll", u"Прокручивать список ставок в конец", u"", {u"menuStakes"}, 1, 1},
        {u"StakesCheckLine", u"Проверять ставки после каждой строки сценария", u"", {u"menuStakes"}, 1, 1},
        {u"LogStakesDelete", u"Удалить журналы ставок", u"", {u"menuStakes"}, 1, -1},
        {u"StakesGraphDraws", u"Суммарный профит по тиражам", u"F6", {u"menuStakes", u"ctx:sgStakes"}, 0, -1},
        {u"StakesGraphOverlap", u"График совпадений ставок", u"Ctrl+F6",
         {u"menuStakes", u"ctx:sgStakes", u"ctx:lvRatings"}, 0, -1},
        {u"StakesGraphProfits", u"График профита ставок", u"Alt+F6",
         {u"menuStakes", u"ctx:sgStakes", u"ctx:lvRatings"}, 0, -1},

        // Ratings and regular stakes tables.
        {u"RatingsRefresh", u"Обновить рейтинг по текущим ставкам", u"", {u"menuRatings", u"ctx:lvRatings"}, 1, -1},
        {u"RatingsExport", u"Экспорт рейтинга в CSV-файл", u"", {u"menuRatings", u"ctx:lvRatings"}, 0, -1},
        {u"RatingsXlsExport", u"Экспорт рейтинга в Microsoft Excel", u"", {u"menuRatings", u"ctx:lvRatings"}, 0, -1},
        {u"RatingsToScript", u"Добавить в сценарий", u"", {u"menuRatings", u"ctx:lvRatings"}, 0, -1},
        {u"RatingsGraphOverlap", u"Количество совпадений", u"", {u"menuRatings", u"ctx:lvRatings"}, 0, -1},
        {u"RatingsEffMode0", u"Ожидаемые значения совпадений", u"", {u"menuRatings>Эффективность в рейтинге"}, 1, 0},
        {u"RatingsEffMode1", u"Абсолютные значения эффективности", u"", {u"menuRatings>Эффективность в рейтинге"}, 1, 1},
        {u"RatingsEffMode2", u"Относительные значения эффективности", u"", {u"menuRatings>Эффективность в рейтинге"}, 1, 0},
        {u"TabTables", u"Вкладка \"Регуляры\"", u"", {u"menuTables"}, 1, 1},
        {u"TablesAdd", u"Добавить регулярную ставку", u"", {u"menuTables", u"ctx:lvTables"}, 1, -1},
        {u"TablesDel", u"Удалить регулярную ставку", u"", {u"menuTables", u"ctx:lvTables"}, 0, -1},
        {u"TablesStakeAdd", u"Сделать ставку по регуляру", u"", {u"menuTables", u"ctx:lvTables"}, 0, -1},
        {u"TablesStakeTest", u"Тест регуляров", u"", {u"menuTables", u"ctx:lvTables"}, 0, -1},

        // Systems page and system games (the two game captions begin with a Latin capital C).
        {u"SystemsOn", u"Системная игра", u"Ctrl+J", {u"menuSystems"}, 1, 1},
        {u"SystemsRefresh", u"Обновить", u"", {u"menuSystems", u"ctx:lvSystems"}, 1, -1},
        {u"SystemsDownload", u"Загрузить", u"", {u"menuSystems", u"ctx:lvSystems"}, 0, -1},
        {u"SystemsAdd", u"Добавить", u"", {u"menuSystems", u"ctx:lvSystems"}, 1, -1},
        {u"SystemsProp", u"Свойства", u"", {u"menuSystems", u"ctx:lvSystems"}, 0, -1},
        {u"SystemsDel", u"Удалить", u"", {u"menuSystems", u"ctx:lvSystems"}, 0, -1},
        {u"SystemStakeAll", u"Cистемная игра по списку системы", u"Ctrl+Alt+J", {u"menuSystems"}, 1, -1},
        {u"SystemStakeFilter", u"Cистемная игра по списку комбинаций", u"Alt+J", {u"menuSystems"}, 1, -1},

        // Help and links.
        {u"GetHelp", u"Справка", u"F1", {u"menuHelp"}, 1, -1}, // without help it says so
        {u"urlLottery", u"Сайт лотереи", u"", {u"menuHelp"}, 1, -1},
        {u"urlMainSite", u"Официальный сайт проекта", u"", {u"menuHelp"}, 1, -1},
        {u"urlAuthSite", u"Страница автора", u"", {u"menuHelp"}, 1, -1},
        {u"urlAuthText", u"Статьи для начинающих", u"", {u"menuHelp"}, 1, -1},
        {u"urlTG", u"Канал в Telegram", u"", {u"menuHelp"}, 1, -1},
        {u"urlBlog", u"Наш блог", u"", {u"menuHelp"}, 1, -1},
        {u"urlYT", u"Наш видеоблог", u"", {u"menuHelp"}, 1, -1},
        {u"urlVK", u"Страница в соцсети \"В контакте\"", u"", {u"menuHelp"}, 1, -1},
        {u"urlOK", u"Страница в соцсети \"Однокласники\"", u"", {u"menuHelp"}, 1, -1},
        {u"About", u"О программе", u"", {u"menuHelp"}, 1, -1},
    };
    return commands;
}

QString WithoutMnemonic(QString text)
{
    text.replace(u"&&"_s, u"\x01"_s);
    text.remove(u'&');
    text.replace(u"\x01"_s, u"&"_s);
    return text;
}

QString KeysText(const QAction *a)
{
    QStringList keys;
    for (const QKeySequence &k : a->shortcuts())
        keys << k.toString(QKeySequence::PortableText);
    return keys.join(u"; "_s);
}

bool HasCyrillic(const QString &text)
{
    return text.contains(QRegularExpression(u"[\u0400-\u04FF]"_s));
}

// A menu's place name: its object name, or its parent menu's place and its own title.
QString MenuPlace(const QMenu *menu, const QString &parentPlace)
{
    if (!menu->objectName().isEmpty())
        return menu->objectName();
    return parentPlace + u">"_s + WithoutMnemonic(menu->title());
}

// One list of items the user sees together: a menu, a list's own menu or a toolbar.
struct ItemList {
    QString place;
    QList<QAction *> actions;
};

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n");
        seed();
        window = std::make_unique<TFormMain>(TStartSwitches{});
        window->FormCreate();
        window->tmrInitTimer();
        collect();
    }

    void collectMenu(QMenu *menu, const QString &parentPlace)
    {
        const QString place = MenuPlace(menu, parentPlace);
        ItemList list{place, {}};
        for (QAction *a : menu->actions()) {
            if (a->isSeparator())
                continue;
            list.actions << a;
            if (a->menu())
                collectMenu(a->menu(), place);
            else
                places[a].insert(place);
        }
        lists.push_back(list);
    }

    void collect()
    {
        for (QAction *a : window->menuBar()->actions())
            if (a->menu())
                collectMenu(a->menu(), {});
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->contextMenuPolicy() == Qt::ActionsContextMenu) {
                ItemList list{u"ctx:"_s + w->objectName(), {}};
                for (QAction *a : w->actions())
                    if (!a->isSeparator()) {
                        list.actions << a;
                        places[a].insert(list.place);
                    }
                lists.push_back(list);
            }
            if (auto *bar = qobject_cast<QToolBar *>(w)) {
                ItemList list{u"bar:"_s + bar->objectName(), {}};
                for (QAction *a : bar->actions())
                    if (!a->isSeparator() && !a->text().isEmpty()) {
                        list.actions << a;
                        places[a].insert(list.place);
                    }
                lists.push_back(list);
            }
            auto *button = qobject_cast<QToolButton *>(w);
            if (button && button->defaultAction() && !qobject_cast<QToolBar *>(button->parentWidget()))
                places[button->defaultAction()].insert(
                    u"btn:"_s + (button->objectName().isEmpty() ? button->parentWidget()->objectName() : button->objectName()));
        }
    }

    // The window checks its commands the moment the last busy section ends.
    static void checkCommands() { BusySection busy; }

    // The data files a test starts with: none by default.
    virtual void seed() {}

    QAction *find(const QString &name) const
    {
        const QList<QAction *> found = window->findChildren<QAction *>(name);
        return found.size() == 1 ? found.front() : nullptr;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<TFormMain> window;
    std::map<QAction *, std::set<QString>> places;
    std::vector<ItemList> lists;
};

// Records the key events that reach the commands, and keeps the commands from running.
class ShortcutRecorder : public QObject {
public:
    struct Hit {
        QAction *action;
        bool ambiguous;
    };
    std::vector<Hit> hits;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Shortcut)
            return false;
        hits.push_back({static_cast<QAction *>(watched), static_cast<QShortcutEvent *>(event)->isAmbiguous()});
        return true;
    }
};

} // namespace

TEST_F(CommandsTest, EveryCommandHasItsCaptionKeysAndPlaces)
{
    for (const Command &c : Commands()) {
        const QString name = QString::fromUtf16(c.name);
        SCOPED_TRACE(name.toStdString());
        QAction *a = find(name);
        ASSERT_NE(a, nullptr) << "no single command of that name";
        EXPECT_EQ(a->text().toStdString(), QString::fromUtf16(c.caption).toStdString());
        EXPECT_EQ(KeysText(a).toStdString(), QString::fromUtf16(c.keys).toStdString());
        EXPECT_TRUE(a->isVisible());
        for (const char16_t *place : c.places) {
            EXPECT_TRUE(places[a].contains(QString::fromUtf16(place))) << QString::fromUtf16(place).toStdString();
        }
        if (c.enabled >= 0) {
            EXPECT_EQ(a->isEnabled(), c.enabled == 1);
        }
        if (c.checked >= 0) {
            EXPECT_TRUE(a->isCheckable());
            EXPECT_EQ(a->isChecked(), c.checked == 1);
        }
    }
}

TEST_F(CommandsTest, EveryOfferedItemIsAKnownCommand)
{
    // A menu item, a list's own menu item or a toolbar button that the table does not know is a
    // command added without its caption and place being checked.
    std::set<QString> known;
    for (const Command &c : Commands())
        known.insert(QString::fromUtf16(c.name));
    for (const auto &[action, where] : places) {
        EXPECT_TRUE(known.contains(action->objectName()))
            << action->objectName().toStdString() << " \"" << action->text().toStdString() << "\" in "
            << where.begin()->toStdString();
    }
}

TEST_F(CommandsTest, MenusAreRussianAndCaptionsDistinct)
{
    const QStringList menuTitles = [this] {
        QStringList titles;
        for (QAction *a : window->menuBar()->actions())
            titles << WithoutMnemonic(a->text());
        return titles;
    }();
    EXPECT_EQ(menuTitles, (QStringList{u"Файл"_s, u"Тиражи"_s, u"Комбинации"_s, u"Статистика"_s, u"Сценарий"_s,
                                       u"Ставки"_s, u"Вид"_s, u"Системы"_s, u"Параметры"_s, u"Справка"_s}));
    // Every menu of the bar can be opened from the keyboard, each by its own letter.
    std::set<QChar> letters;
    for (QAction *a : window->menuBar()->actions()) {
        const qsizetype at = a->text().indexOf(u'&');
        EXPECT_GE(at, 0) << a->text().toStdString() << " has no letter";
        if (at >= 0) {
            EXPECT_TRUE(letters.insert(a->text().at(at + 1).toLower()).second) << a->text().toStdString();
        }
    }

    for (const ItemList &list : lists) {
        std::set<QString> captions;
        for (QAction *a : list.actions) {
            const QString caption = WithoutMnemonic(a->text());
            EXPECT_TRUE(HasCyrillic(caption)) << list.place.toStdString() << ": " << caption.toStdString();
            EXPECT_TRUE(captions.insert(caption).second)
                << list.place.toStdString() << " offers \"" << caption.toStdString() << "\" twice";
        }
    }
}

TEST_F(CommandsTest, EveryCommandWithinReachOnASmallScreen)
{
    // With the window on a screen of 800 x 600 every menu opens in one column under the menu bar, and
    // every command a page's toolbar has no room for is an item of the toolbar's overflow menu ("»").
    const QSize small(800, 600);
    window->resize(small);
    window->show();
    QApplication::processEvents();
    ASSERT_EQ(window->size(), small);

    // A menu taller than the screen would open in several columns over the menu bar. The room under
    // the bar leaves a title bar and a panel of the desktop (40 pixels), as the dialogs do.
    const int room = small.height() - 40 - window->menuBar()->height();
    std::function<void(QMenu *)> fits = [&fits, room](QMenu *menu) {
        EXPECT_LE(menu->sizeHint().height(), room) << WithoutMnemonic(menu->title()).toStdString();
        for (QAction *a : menu->actions())
            if (a->menu() && a->isVisible())
                fits(a->menu());
    };
    for (QAction *a : window->menuBar()->actions())
        if (a->menu() && a->isVisible())
            fits(a->menu());

    for (QTabWidget *pages : {window->leftPages(), window->mainPages()}) {
        for (int i = 0; i < pages->count(); ++i) {
            if (!pages->isTabVisible(i))
                continue;
            pages->setCurrentIndex(i);
            QApplication::processEvents();
            for (QToolBar *toolBar : pages->widget(i)->findChildren<QToolBar *>()) {
                if (!toolBar->isVisibleTo(window.get()))
                    continue;
                // The overflow button is the toolbar's one button without a command of its own.
                QToolButton *overflow = nullptr;
                for (QToolButton *b : toolBar->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly))
                    if (!b->defaultAction())
                        overflow = b;
                for (QAction *a : toolBar->actions()) {
                    const QWidget *shown = toolBar->widgetForAction(a);
                    if (a->isSeparator() || !a->isVisible() || !shown || shown->isVisibleTo(toolBar))
                        continue;
                    const std::string what = toolBar->objectName().toStdString() + ": \"" +
                                             (a->text().isEmpty() ? shown->objectName() : a->text()).toStdString() + "\"";
                    ASSERT_NE(overflow, nullptr) << what;
                    EXPECT_TRUE(overflow->isVisibleTo(toolBar) && overflow->isEnabled()) << what;
                    EXPECT_TRUE(overflow->menu() && overflow->menu()->actions().contains(a))
                        << what << " is hidden and not in the overflow menu";
                }
            }
            // The entry chosen in a list (the statistic shown, the chart's kind) reads whole, or cut
            // short with "…" and whole in the list's tooltip.
            for (QComboBox *c : pages->widget(i)->findChildren<QComboBox *>()) {
                if (!c->isVisibleTo(window.get()) || c->isEditable() || c->currentText().isEmpty())
                    continue;
                QStyleOptionComboBox option;
                option.initFrom(c);
                const QRect field =
                    c->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c);
                if (c->fontMetrics().horizontalAdvance(c->currentText()) <= field.width() - 2)
                    continue;
                QHelpEvent hover(QEvent::ToolTip, c->rect().center(), c->mapToGlobal(c->rect().center()));
                QApplication::sendEvent(c, &hover);
                const auto *elided = qobject_cast<TElidedComboBox *>(c);
                EXPECT_TRUE(elided && elided->shownText().endsWith(u'…') && c->toolTip() == c->currentText())
                    << c->objectName().toStdString() << " shows \"" << c->currentText().toStdString() << "\" cut"
                    << (elided ? QString(u" as \""_s + elided->shownText() + u"\", tooltip \""_s + c->toolTip() + u"\""_s).toStdString() : std::string());
            }
        }
    }
}

TEST_F(CommandsTest, EachKeyReachesOneCommandWhereverTheFocusIs)
{
    window->resize(1200, 760);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    const QList<QAction *> actions = [this] {
        return window->findChildren<QAction *>();
    }();
    // The keys of every command, taken before a page's own key can make a window-wide one give way.
    std::set<int> keys; // combined key and modifiers
    std::map<QAction *, bool> reached;
    ShortcutRecorder recorder;
    for (QAction *a : actions) {
        for (const QKeySequence &k : a->shortcuts())
            keys.insert(k[0].toCombined());
        if (!a->shortcuts().isEmpty())
            reached[a] = false;
        a->installEventFilter(&recorder);
    }
    ASSERT_GT(keys.size(), 40u);

    // Each page of both page controls in turn, with the focus in each of its lists and grids.
    for (QTabWidget *pages : {window->leftPages(), window->mainPages()}) {
        for (int i = 0; i < pages->count(); ++i) {
            if (!pages->isTabVisible(i))
                continue;
            pages->setCurrentIndex(i);
            QApplication::processEvents();
            for (QAbstractItemView *view : pages->widget(i)->findChildren<QAbstractItemView *>()) {
                if (!view->isVisibleTo(window.get()) || view->focusPolicy() == Qt::NoFocus)
                    continue;
                view->setFocus();
                ASSERT_EQ(QApplication::focusWidget(), view);
                const std::string where = pages->tabText(i).toStdString() + "/" + view->objectName().toStdString();
                for (const int combined : keys) {
                    const QKeyCombination key = QKeyCombination::fromCombined(combined);
                    // Every command may be enabled in some state: here all are.
                    for (QAction *a : actions)
                        a->setEnabled(true);
                    recorder.hits.clear();
                    QTest::keyClick(view, key.key(), key.keyboardModifiers());
                    const std::string keyText = QKeySequence(key).toString().toStdString();
                    ASSERT_LE(recorder.hits.size(), 1u) << where << " " << keyText;
                    if (recorder.hits.empty())
                        continue;
                    const auto &hit = recorder.hits.front();
                    EXPECT_FALSE(hit.ambiguous) << where << ": " << keyText << " is taken by more than one command, "
                                                << "among them " << hit.action->objectName().toStdString();
                    if (!hit.ambiguous)
                        reached[hit.action] = true;
                }
            }
        }
    }
    for (const auto &[action, hit] : reached)
        EXPECT_TRUE(hit || !action->isVisible() || !places.contains(action))
            << action->objectName().toStdString() << " " << KeysText(action).toStdString()
            << " is reached from no page";
}

TEST_F(CommandsTest, OptionCommandsWriteTheirKeysAtOnce)
{
    // Each switch of the menus, used once from its default, writes its key into the settings store at
    // once; a second use of an on/off switch brings the default back.
    struct OptionCommand {
        const char16_t *name;
        const char16_t *key;
        int value; // after one use
        bool toggles;
    };
    const OptionCommand options[] = {
        {u"AutoSelfUpdate", u"AutoUpdates", 1, true}, // started with 0
        {u"AutoDownload1", u"DownloadDrawsOnStart", 1, false},
        {u"AutoDownload0", u"DownloadDrawsOnStart", 0, false},
        {u"DrawsSorted", u"SortedDraws", 1, true},
        {u"ViewColorDraws", u"ColorDraws", 0, true},
        {u"ViewColorCombs", u"ColorCombs", 0, true},
        {u"ViewColorCard", u"ColorCard", 0, true},
        {u"ViewColorCardSequences", u"ColorCardSequences", 0, true},
        {u"ViewShemaGradient", u"LayoutGradient", 0, true},
        {u"ViewWeekChartMode", u"WeekChartMode", 1, true},
        {u"ViewWeekChartType", u"WeekChartType", 1, true},
        {u"LogToggle", u"ScriptLogEnabled", 1, true},
        {u"LogStakes", u"StakesLogEnabled", 1, true},
        {u"StakesScroll", u"StakesScrollEnabled", 0, true},
        {u"StakesCheckLine", u"StakesCheckOnLine", 0, true},
        {u"RatingsEffMode2", u"RatingsEffMode", 2, false},
        {u"RatingsEffMode0", u"RatingsEffMode", 0, false},
        {u"ScriptLibrary", u"ScriptLibraryOn", 0, true},
        {u"SystemsOn", u"SystemsEnabled", 0, true},
        {u"TabCard", u"TabCard", 0, true},
        {u"TabWeek", u"TabWeek", 0, true},
        {u"TabLayout", u"TabLayout", 0, true},
        {u"TabGraps", u"TabGraphs", 0, true},
        {u"TabTables", u"TabTables", 0, true},
    };
    auto stored = [this](const char16_t *key) {
        return IniFile(folder.file(u"Vendra.frm"_s)).readInteger(u"TTemplateMain"_s, QString::fromUtf16(key), -1);
    };
    for (const OptionCommand &o : options) {
        const std::string name = QString::fromUtf16(o.name).toStdString();
        QAction *a = find(QString::fromUtf16(o.name));
        ASSERT_NE(a, nullptr) << name;
        checkCommands();
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
        EXPECT_EQ(stored(o.key), o.value) << name;
        checkCommands();
        EXPECT_TRUE(a->isChecked() == (!o.toggles || o.value != 0)) << name;
        if (o.toggles) {
            a->trigger();
            EXPECT_EQ(stored(o.key), 1 - o.value) << name << " used again";
        }
    }
    // Showing the catalogue panel again loads the catalogue, and says that no service is set.
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка загрузки каталога online-сценариев!"_s));
}

TEST_F(CommandsTest, WhileBusyEveryCommandWaits)
{
    {
        BusySection busy;
        // The periodic check of the commands turns them off (in time, however loaded the machine).
        (void)QTest::qWaitFor([&] {
            return std::none_of(places.begin(), places.end(), [](const auto &p) { return p.first->isEnabled(); });
        }, 120000);
        for (const auto &[action, where] : places)
            EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    }
    EXPECT_TRUE(find(u"DrawsAdd"_s)->isEnabled()); // back the moment the work ends
    EXPECT_TRUE(find(u"ScriptLibrary"_s)->isEnabled());
}

namespace {

// Thirty draws, a scenario of one line and one stake for the next draw.
class CommandsWithDataTest : public CommandsTest {
protected:
    void seed() override
    {
        folder.write(u"Vendra.ldr"_s, SerializeDraws(DrawsInStepsOfTwo(30)));
        folder.write(u"Vendra.lss"_s, "FULL:0#ALL| | | | | | | |\r\n");
        TStakeRec stake;
        stake.kind = STAKE_MANUAL;
        stake.drawNumber = 160;
        stake.numbers = TNumSet{6, {1, 2, 3, 4, 5, 6}};
        stake.matches.count = -1;
        folder.write(u"Vendra.lsk"_s, StakesFileBytes({stake}));
    }

    void expectEnabled(const std::vector<std::pair<const char16_t *, bool>> &expected)
    {
        checkCommands();
        for (const auto &[name, enabled] : expected) {
            QAction *a = find(QString::fromUtf16(name));
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->isEnabled(), enabled) << QString::fromUtf16(name).toStdString();
        }
    }
};

} // namespace

TEST_F(CommandsWithDataTest, EnablingFollowsTheDataAndTheSelection)
{
    ASSERT_EQ(boxes.count(), 0) << boxes.last().text.toStdString();
    expectEnabled({
        {u"DrawsExport", true}, {u"DrawsXlsExport", true}, {u"DrawsEdit", false}, {u"DrawsInfo", false},
        {u"DrawsStatCalc", true}, {u"AnalyzeRepeats", true},
        {u"ScriptSave", true}, {u"ScriptEmpty", true}, {u"ScriptClr", true}, {u"ScriptRun", true}, {u"ScriptTest", true},
        {u"ScriptClone", false}, {u"ScriptStop", false},
        {u"StakeFilter", true}, {u"StakeClear", true}, {u"StakesXlsExport", true}, {u"StakesCheckManual", true},
        {u"StakesGraphDraws", true},
        {u"StakeDel", true}, // the grid always has a current row: here the one stake's
    });

    window->drawsPanel()->list()->selectRow(0);
    window->scenarioPage()->scriptsList()->setSelectedRow(0);
    expectEnabled({
        {u"DrawsEdit", true}, {u"DrawsDel", true}, {u"DrawsInfo", true},
        {u"ScriptClone", true}, {u"ScriptEdit", true}, {u"ScriptDel", true},
        {u"ScriptUp", false}, {u"ScriptDown", false}, // the one line is both the first and the last
    });
}

TEST(DialogCommands, FavouritesManagerExportAndSystemDialogs)
{
    TempDataFolder folder; // the export dialog keeps its layout in the settings store
    ScriptedMessages boxes;
    TStatList list;
    TFormManager manager(nullptr, list);
    const std::pair<const char16_t *, const char16_t *> managerCommands[] = {
        {u"CheckNone", u"Сбросить все"},       {u"CheckAll", u"Выбрать все"},      {u"GroupNone", u"Сбросить группу"},
        {u"GroupAll", u"Выбрать группу"},      {u"Rename", u"Переименовать"},      {u"ResetName", u"Вернуть"},
        {u"Info", u"Описание"},                {u"NamesImport", u"Импорт названий"}, {u"NamesExport", u"Экспорт названий"},
    };
    for (const auto &[name, caption] : managerCommands) {
        QAction *a = manager.action(QString::fromUtf16(name));
        ASSERT_NE(a, nullptr) << QString::fromUtf16(name).toStdString();
        EXPECT_EQ(a->text(), QString::fromUtf16(caption));
        EXPECT_TRUE(manager.tree()->actions().contains(a)); // also in the tree's own menu
    }

    TFormExpExcel exportDialog(nullptr);
    struct Keyed {
        const char16_t *name;
        const char16_t *caption;
        const char16_t *keys;
    };
    const Keyed exportCommands[] = {
        {u"actUp", u"Вверх", u"Ctrl+Up"},
        {u"actDown", u"Вниз", u"Ctrl+Down"},
        {u"actProperties", u"Свойства", u"Ctrl+Return; Ctrl+Enter"},
        {u"actLoadParams", u"Загрузить из файла", u"Ctrl+O"},
        {u"actSaveParams", u"Сохранить в файле", u"Ctrl+S"},
    };
    for (const Keyed &c : exportCommands) {
        auto *a = exportDialog.findChild<QAction *>(QString::fromUtf16(c.name));
        ASSERT_NE(a, nullptr) << QString::fromUtf16(c.name).toStdString();
        EXPECT_EQ(a->text().toStdString(), QString::fromUtf16(c.caption).toStdString());
        EXPECT_EQ(KeysText(a).toStdString(), QString::fromUtf16(c.keys).toStdString());
    }

    TFormSystem system;
    QStringList popup;
    for (QAction *a : system.combsMenu()->actions())
        if (!a->isSeparator())
            popup << a->text();
    EXPECT_EQ(popup, (QStringList{u"Копировать в буфер обмена"_s, u"Вставить из буфера обмена"_s, u"Выделить все"_s,
                                  u"Загрузить из файла"_s, u"Сохранить в файле"_s}));
}

TEST(DialogCommands, ButtonsOfTheSmallWindows)
{
    ScriptedMessages boxes;
    auto expectButton = [](QWidget &window, const QString &name, const char16_t *caption) {
        auto *b = window.findChild<QAbstractButton *>(name);
        ASSERT_NE(b, nullptr) << name.toStdString();
        EXPECT_EQ(b->text().toStdString(), QString::fromUtf16(caption).toStdString());
    };

    TFormFirstRun firstRun;
    expectButton(firstRun, u"btnOpenHelpFile"_s, u"Открыть файл встроенной справочной системы");
    expectButton(firstRun, u"btnOnlineManuals"_s, u"Статьи на сайте автора - для начинающих и не только");
    expectButton(firstRun, u"btnBlog"_s, u"Блог");
    expectButton(firstRun, u"btnYoutube"_s, u"Канал на YouTube");
    expectButton(firstRun, u"btnTelegram"_s, u"Канал в Telegram - новости проекта");
    expectButton(firstRun, u"cbDisable"_s, u"Больше не показывать данный диалог");
    EXPECT_NE(firstRun.findChild<QAbstractButton *>(u"btnVK"_s), nullptr);
    EXPECT_NE(firstRun.findChild<QAbstractButton *>(u"btnOK"_s), nullptr);

    TStatList stats;
    TFormScript line(nullptr, stats, {});
    for (int slot = 1; slot <= 7; ++slot)
        expectButton(line, u"btnFilter%1"_s.arg(slot), u"...");

    TRepeatsWindow repeats({});
    expectButton(repeats, u"btnCalc"_s, u"Рассчитать");

    TFormGraph chart;
    expectButton(chart, u"cbShowMarks"_s, u"Отображать метки на графиках");
    EXPECT_EQ(chart.windowTitle(), u"График");
}
