#include "common/IniFile.h"
#include "lottery/DrawDates.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/statistics/FavouritesDialog.h"
#include "ui/statistics/MethodInfoWindow.h"
#include "ui/statistics/StatSettingsActions.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTextBrowser>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The favourites manager over a registry and the statistics tab of its own, in a data folder of its own.
class FavouritesManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.LanguageAbbrev = u"RUS"_s;
        list.SetDraws(&archive.draws());
        list.RebuildMethods();
        page = std::make_unique<TStatisticsPage>(archive, list, options);
        page->FillMethodCombos(false, false);
        actions = std::make_unique<TStatSettingsActions>(list, page.get(), nullptr);
    }
    void TearDown() override
    {
        SetDialogPlayer(nullptr);
        SetNameInput(nullptr);
        SetNamesFileDialog(nullptr);
        SetFilterHelpShower(nullptr);
        actions.reset();
        page.reset();
    }
    int method(const QString &code) const { return list.FindMethod(code); }
    // The manager as the user sees it after it opened.
    std::unique_ptr<TFormManager> open()
    {
        auto dialog = std::make_unique<TFormManager>(nullptr, list);
        dialog->fill();
        return dialog;
    }
    void click(TFormManager &dialog, const QString &code)
    {
        QTreeWidgetItem *item = dialog.methodItem(method(code));
        ASSERT_NE(item, nullptr) << code.toStdString();
        dialog.tree()->setCurrentItem(item);
        emit dialog.tree()->itemClicked(item, 0);
    }
    bool ticked(TFormManager &dialog, const QString &code)
    {
        return dialog.methodItem(method(code))->data(0, Qt::UserRole + 2).toBool();
    }
    void renameTo(TFormManager &dialog, const QString &code, const QString &name)
    {
        dialog.tree()->setCurrentItem(dialog.methodItem(method(code)));
        SetNameInput([name](QWidget *, const QString &title, const QString &prompt, QString &text) {
            EXPECT_EQ(title, u"Переименование"_s);
            EXPECT_EQ(prompt, u"Введите наименование фильтра:"_s);
            text = name;
            return true;
        });
        dialog.action(u"Rename"_s)->trigger();
    }
    IniFile flt() const { return IniFile(TStatList::FavoritesFileName()); }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArchive archive;
    TStatList list;
    MainOptions options;
    std::unique_ptr<TStatisticsPage> page;
    std::unique_ptr<TStatSettingsActions> actions;
};

} // namespace

TEST_F(FavouritesManager, TheTreeListsEveryMethodUnderItsGroup)
{
    list.TextToFavorites(u"NUMS,SUMS"_s);
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), u"Менеджер избранных методов расчета статистики"_s);
    EXPECT_EQ(dialog->countLabel()->text(), u"всего "_s + QString::number(list.MethodCount()) + u" методов"_s);
    QTreeWidgetItem *first = dialog->tree()->topLevelItem(0);
    EXPECT_EQ(first->text(0), u"{ num } Числа тиража"_s);
    EXPECT_EQ(first->child(0)->text(0), u"Числа тиража"_s);
    EXPECT_TRUE(ticked(*dialog, u"NUMS"_s));
    EXPECT_FALSE(ticked(*dialog, u"DIGS"_s));

    // A click ticks and unticks a method; a group does not tick.
    click(*dialog, u"DIGS"_s);
    EXPECT_TRUE(ticked(*dialog, u"DIGS"_s));
    click(*dialog, u"DIGS"_s);
    EXPECT_FALSE(ticked(*dialog, u"DIGS"_s));
    emit dialog->tree()->itemClicked(first, 0);
    EXPECT_FALSE(ticked(*dialog, u"DIGS"_s));

    // A group item chosen: the group's commands, not a method's.
    dialog->tree()->setCurrentItem(first);
    dialog->updateActions();
    EXPECT_TRUE(dialog->action(u"GroupAll"_s)->isEnabled());
    EXPECT_FALSE(dialog->action(u"Rename"_s)->isEnabled());
    dialog->action(u"GroupAll"_s)->trigger();
    EXPECT_TRUE(ticked(*dialog, u"DIGS"_s));
    EXPECT_FALSE(ticked(*dialog, u"SUM1"_s));

    // A shredding method is listed and renamed by its formula; its name keeps the place of the
    // formula, so that the name follows a new formula.
    const QString formula = u"(n1+n2+n3)/(n4+n5+n6)"_s;
    EXPECT_EQ(dialog->methodItem(method(u"SHR1"_s))->text(0), u"Метод шинковки 1: "_s + formula);
    dialog->tree()->setCurrentItem(dialog->methodItem(method(u"SHR1"_s)));
    SetNameInput([&](QWidget *, const QString &, const QString &, QString &text) {
        EXPECT_EQ(text, u"Метод шинковки 1: "_s + formula);
        text = u"Шинковка "_s + formula;
        return true;
    });
    dialog->action(u"Rename"_s)->trigger();
    EXPECT_EQ(dialog->methodItem(method(u"SHR1"_s))->text(0), u"Шинковка "_s + formula);
    dialog->readBack();
    EXPECT_EQ(list.GetMethod(method(u"SHR1"_s)).Caption, u"Шинковка %s"_s);
}

TEST_F(FavouritesManager, OrderTicksAndNamesReachTheFavouritesFile)
{
    list.TextToFavorites(u"NUMS"_s);
    SetDialogPlayer([this](TDialogSTemplate &d) {
        auto &dialog = static_cast<TFormManager &>(d);
        dialog.action(u"CheckNone"_s)->trigger();
        click(dialog, u"POS2"_s);
        click(dialog, u"NUMS"_s);
        renameTo(dialog, u"POS2"_s, u"Моя позиция"_s);
        renameTo(dialog, u"NUMS"_s, u"Числа тиража"_s); // its own title: no name of its own
        dialog.orderedCheck()->setChecked(true);
        dialog.methodFlagsCheck()->setChecked(false);
        dialog.pressOk();
        return dialog.result();
    });
    EXPECT_TRUE(actions->FiltersManager());

    const IniFile file = flt();
    EXPECT_EQ(file.readString(u"FILTERS"_s, u"Favorites"_s), u"NUMS,POS2"_s);
    EXPECT_TRUE(file.readBool(u"FILTERS"_s, u"Ordered"_s, false));
    EXPECT_FALSE(file.readBool(u"FILTERS"_s, u"ShowMethodFlags"_s, true));
    EXPECT_EQ(file.readSectionValues(u"STRINGS_RUS"_s), QStringList{u"POS2=Моя позиция"_s});
    // The lists are sorted by caption now: "Моя позиция" before "Числа тиража".
    QComboBox *combo = page->methodCombo();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), u"{ num } Моя позиция"_s);
    EXPECT_EQ(combo->itemText(1), u"{ num } Числа тиража"_s);
    EXPECT_EQ(combo->currentIndex(), 0);
}

TEST_F(FavouritesManager, NoTickLeftMakesEveryMethodAFavourite)
{
    list.TextToFavorites(u"NUMS"_s);
    auto dialog = open();
    dialog->action(u"CheckNone"_s)->trigger();
    dialog->readBack();
    EXPECT_TRUE(list.AllFavorites);
    EXPECT_EQ(list.FavoritesToText(), QString());
    for (int i = 0; i < list.MethodCount(); ++i)
        EXPECT_TRUE(list.GetMethod(i).Favorite);
}

TEST_F(FavouritesManager, CancelChangesNothingEvenAfterAnImport)
{
    // A user's file with a name for NUMS.
    const QString names = folder.file(u"names.flt"_s);
    IniFile other(names);
    other.writeString(u"STRINGS_RUS"_s, u"NUMS"_s, u"Номера"_s);
    other.updateFile();

    list.TextToFavorites(u"NUMS"_s);
    SetNamesFileDialog([names](QWidget *, bool save, const QString &) { return save ? QString() : names; });
    auto dialog = open();
    dialog->action(u"NamesImport"_s)->trigger();
    EXPECT_EQ(dialog->methodItem(method(u"NUMS"_s))->text(0), u"Номера"_s);
    EXPECT_EQ(list.GetMethod(method(u"NUMS"_s)).Caption, QString());
    click(*dialog, u"DIGS"_s);
    dialog->pressCancel();
    EXPECT_EQ(list.FavoritesToText(), u"NUMS"_s);
    EXPECT_EQ(list.GetMethod(method(u"NUMS"_s)).Caption, QString());

    // On OK the imported name is taken, and the ticks made in the dialog stay.
    auto confirmed = open();
    confirmed->action(u"NamesImport"_s)->trigger();
    click(*confirmed, u"DIGS"_s);
    confirmed->readBack();
    EXPECT_EQ(list.GetMethod(method(u"NUMS"_s)).MethodDisplayTitle(), u"Номера"_s);
    EXPECT_EQ(list.FavoritesToText(), u"NUMS,DIGS"_s);
}

TEST_F(FavouritesManager, ExportWritesTheTreeNamesAndLeavesTheLiveOnes)
{
    list.GetMethod(method(u"SUMS"_s)).Caption = u"Сумма"_s;
    const QString target = folder.file(u"shared"_s);
    SetNamesFileDialog([target](QWidget *, bool save, const QString &) { return save ? target : QString(); });
    auto dialog = open();
    renameTo(*dialog, u"NUMS"_s, u"Номера"_s);
    dialog->action(u"NamesExport"_s)->trigger();

    const IniFile exported(target + u".flt"_s);
    EXPECT_EQ(exported.readString(u"STRINGS_RUS"_s, u"NUMS"_s), u"Номера"_s);
    EXPECT_EQ(exported.readString(u"STRINGS_RUS"_s, u"SUMS"_s), u"Сумма"_s);
    EXPECT_EQ(exported.readString(u"STRINGS_RUS"_s, u"DIGS"_s), u"Цифры тиража"_s);
    EXPECT_EQ(list.GetMethod(method(u"NUMS"_s)).Caption, QString());
    EXPECT_EQ(list.GetMethod(method(u"SUMS"_s)).Caption, u"Сумма"_s);

    // "Вернуть" gives the method's title back.
    dialog->tree()->setCurrentItem(dialog->methodItem(method(u"SUMS"_s)));
    dialog->action(u"ResetName"_s)->trigger();
    dialog->readBack();
    EXPECT_EQ(list.GetMethod(method(u"SUMS"_s)).Caption, QString());
    EXPECT_EQ(list.GetMethod(method(u"NUMS"_s)).Caption, u"Номера"_s);
}

TEST_F(FavouritesManager, ResetAsksFirstAndOnYesListsEveryMethod)
{
    list.TextToFavorites(u"NUMS"_s);
    list.SaveFilterSettings(TStatList::FavoritesFileName(), false);
    page->FillMethodCombos(false, false);
    const QByteArray before = folder.read(u"Vendra.flt"_s);

    EXPECT_FALSE(actions->FiltersReset());
    EXPECT_EQ(boxes.last().text, u"Вы действительно хотите сбросить список избранных фильтров?"_s);
    EXPECT_TRUE(boxes.last().flags & MB_DEFBUTTON2);
    EXPECT_EQ(folder.read(u"Vendra.flt"_s), before);
    EXPECT_EQ(page->methodCombo()->count(), 1);

    boxes.answer(IDYES);
    EXPECT_TRUE(actions->FiltersReset());
    EXPECT_EQ(flt().readString(u"FILTERS"_s, u"Favorites"_s, u"?"_s), QString());
    EXPECT_GT(page->methodCombo()->count(), 100);
}

TEST_F(FavouritesManager, TheDescriptionShowsTheHelpPageOrSaysWhyNot)
{
    const QString saved = HelpFileName;
    HelpFileName = folder.file(u"help/Kenvo_RUS.chm"_s);
    page->selectMethod(u"NUMS"_s);
    actions->updateActions();
    EXPECT_TRUE(actions->filtersInfoAction()->isEnabled());
    EXPECT_EQ(actions->filtersInfoAction()->shortcut(), QKeySequence(Qt::Key_F8));

    // No help: the notice of every help key, no empty window.
    int shown = 0;
    SetFilterHelpShower([&shown](TFormFilterHelp &) { ++shown; });
    EXPECT_FALSE(actions->FiltersInfo());
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Справка недоступна: папка со страницами справки не найдена."_s));

    // The page in Windows-1251, as the help pages were written.
    QDir().mkpath(folder.file(u"help/Kenvo_RUS"_s));
    folder.write(u"help/Kenvo_RUS/index.html"_s, "<html></html>");
    folder.write(u"help/Kenvo_RUS/Filters_1049_NUMS.htm"_s,
                 QByteArray("<html><body><p>\xd7\xe8\xf1\xeb\xe0 \xf2\xe8\xf0\xe0\xe6\xe0</p></body></html>"));
    QString text;
    SetFilterHelpShower([&](TFormFilterHelp &window) {
        ++shown;
        EXPECT_EQ(window.windowTitle(), u"Описание методики расчета"_s);
        text = window.browser()->toPlainText();
    });
    EXPECT_TRUE(actions->FiltersInfo());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(text, u"Числа тиража"_s);
    HelpFileName = saved;
}
