#include "ui/scenarios/ScriptCatalogPanel.h"

#include "common/BlockingWait.h"
#include "common/BusyCursor.h"
#include "common/FormStore.h"
#include "common/widgets/ListView.h"
#include "lottery/stats/StatList.h"
#include "online/CatalogueService.h"
#include "tests/support/CatalogueStandIn.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/window/FormMain.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/window/TemplateMain.h"
#include "ui/scenarios/ScrPublicDialog.h"
#include "ui/scenarios/ScrRatesDialog.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QApplication>
#include <QTabWidget>
#include <QComboBox>
#include <QIcon>
#include <QMenu>
#include <QLineEdit>
#include <QRadioButton>
#include <QSplitter>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kList = "/scripts/scr_getlist.php";
const QByteArray kData = "/scripts/scr_getdata.php";
const QByteArray kRate = "/scripts/scr_setrate.php";
const QByteArray kTitle = "/scripts/scr_chktitle.php";
const QByteArray kPut = "/scripts/scr_putscript.php";

// "Сумма" in Windows-1251, worked out from the code page table.
const QByteArray kSummaCp1251 = "\xD1\xF3\xEC\xEC\xE0";

QByteArray row(int id, const QByteArray &more = {})
{
    return "<row><id>" + QByteArray::number(id) + "</id><key_cl_name>Я</key_cl_name><key_cl_mail>me@x.org</key_cl_mail><uniapps>1</uniapps>"
           "<publics>1</publics><title>" + QByteArray("Сценарий " + QByteArray::number(id)).toBase64() +
           "</title><descr></descr>" + more + "</row>";
}

QByteArray scriptRow(const QString &text)
{
    return "<row><script>" + text.toUtf8().toBase64() + "</script></row>";
}

class ScriptCatalogPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!standIn.ok())
            GTEST_SKIP() << "no test certificates for the local HTTPS server";
        standIn.configure(folder, "[USER]\r\nName=Я\r\nMail=me@x.org\r\n");
        stats.RebuildMethods();
        page = std::make_unique<TScenarioPage>(stats);
        panel = new TScriptCatalogPanel(*page);
        page->resize(900, 600);
        standIn.result(kList, row(1) + row(2) + row(3, "<rating_you>3</rating_you>"));
    }
    void TearDown() override
    {
        SetDialogPlayer(nullptr);
        SetScriptCommentInput(nullptr);
        page.reset();
    }
    QStringList ids() const
    {
        QStringList out;
        for (const TListItem &item : panel->list()->listModel()->items())
            out << QString::number(item.id);
        return out;
    }
    void select(int id) { ASSERT_TRUE(panel->selectScript(id)); }
    bool enabled(QAction *action)
    {
        panel->updateActions();
        return action->isEnabled();
    }
    QString fieldOf(const QStringList &fields, const QString &key) const
    {
        for (const QString &f : fields)
            if (f.startsWith(key + u'='))
                return f.mid(key.size() + 1);
        return u"<none>"_s;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    CatalogueStandIn standIn;
    TStatList stats;
    std::unique_ptr<TScenarioPage> page;
    TScriptCatalogPanel *panel = nullptr;
};

} // namespace

TEST_F(ScriptCatalogPanelTest, FilterItemsSendTheirIdAndAHiddenPanelSendsNothing)
{
    ASSERT_EQ(panel->filterBox()->count(), 8);
    EXPECT_EQ(panel->filterBox()->itemText(2), u"Все, кроме скрытых (по умолчанию)");
    EXPECT_EQ(panel->filterBox()->currentIndex(), TScriptCatalogPanel::kDefaultFilterIndex);
    // Before the start-up load the filter is only shown.
    EXPECT_FALSE(panel->filterBox()->isEnabled());
    panel->filterBox()->setCurrentIndex(5);
    EXPECT_EQ(standIn.count(kList), 0);
    panel->setFilterIndex(2);

    panel->startUp();
    ASSERT_EQ(standIn.count(kList), 1);
    EXPECT_EQ(standIn.lastPost(kList).value(0), u"fltid=1");
    EXPECT_EQ(ids().size(), 3);
    EXPECT_TRUE(panel->filterBox()->isEnabled());

    panel->filterBox()->setCurrentIndex(0); // "Скрытые"
    ASSERT_EQ(standIn.count(kList), 2);
    EXPECT_EQ(standIn.lastPost(kList).value(0), u"fltid=-1");
    panel->filterBox()->setCurrentIndex(7);
    EXPECT_EQ(standIn.lastPost(kList).value(0), u"fltid=6");

    // Hidden: a load only empties the list.
    panel->setPanelShown(false);
    panel->LoadScriptCatalog();
    EXPECT_EQ(standIn.count(kList), 3);
    EXPECT_TRUE(ids().isEmpty());
    EXPECT_FALSE(enabled(panel->refreshAction()));
    EXPECT_TRUE(enabled(panel->libraryAction()));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ScriptCatalogPanelTest, WithoutACatalogueHostTheStartIsQuietAndARefreshSaysWhy)
{
    folder.write(u"Vendra.ini"_s, "[USER]\r\nName=Я\r\n");
    panel->startUp();
    EXPECT_EQ(boxes.count(), 0);
    // The list says that the catalogue is not available, in a line that is no scenario.
    ASSERT_EQ(ids(), QStringList{u"-1"_s});
    EXPECT_EQ(panel->list()->listModel()->item(0).texts.value(1), u"Каталог online-сценариев не доступен!");
    // It runs over the columns after the first and so reads whole at the columns' own widths.
    const auto readsWhole = [&] {
        TQSortListView *list = panel->list();
        return list->columnSpan(0, 1) == list->listModel()->columnCount() - 1 &&
               list->visualRect(list->model()->index(0, 1)).width() >
                   list->fontMetrics().horizontalAdvance(u"Каталог online-сценариев не доступен!"_s) + 10;
    };
    EXPECT_TRUE(readsWhole());
    panel->list()->setSelectedRow(0);
    EXPECT_FALSE(enabled(panel->viewAction()));
    EXPECT_TRUE(panel->filterBox()->isEnabled());
    panel->refreshAction()->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка загрузки каталога online-сценариев!\r\r"));
    EXPECT_EQ(ids(), QStringList{u"-1"_s});
    EXPECT_TRUE(readsWhole());

    // Publishing says why before the properties are asked for.
    page->scenario().AddLines({u"FULL:0#ALL| | | | | | | |первая"_s});
    int dialogs = 0;
    SetDialogPlayer([&](TDialogSTemplate &d) {
        ++dialogs;
        d.pressCancel();
        return d.result();
    });
    ASSERT_TRUE(enabled(panel->uploadAction()));
    panel->uploadAction()->trigger();
    EXPECT_EQ(dialogs, 0);
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка публикации online-сценария!\r\rАдрес сервера каталога не задан"));
    EXPECT_EQ(standIn.server().requestCount(), 0);
    // Nothing was sent, so no installation id was made either.
    EXPECT_FALSE(folder.read(u"Vendra.frm"_s).contains("InstallationId"));
}

TEST_F(ScriptCatalogPanelTest, LibrarySwitchShowsThePanelWritesItsKeyAndReloads)
{
    EXPECT_EQ(panel->libraryAction()->shortcut(), QKeySequence(u"Ctrl+L"_s));
    EXPECT_EQ(panel->libraryAction()->text(), u"Online каталог сценариев");
    panel->startUp();
    EXPECT_TRUE(panel->libraryAction()->isChecked());
    panel->libraryAction()->trigger();
    EXPECT_FALSE(panel->panelShown());
    EXPECT_FALSE(panel->libraryAction()->isChecked());
    EXPECT_FALSE(ReadFormBool(MainFormSection(), u"ScriptLibraryOn"_s, true));
    EXPECT_TRUE(ids().isEmpty());
    EXPECT_EQ(standIn.count(kList), 1);
    panel->libraryAction()->trigger();
    EXPECT_TRUE(ReadFormBool(MainFormSection(), u"ScriptLibraryOn"_s, false));
    EXPECT_EQ(standIn.count(kList), 2);
    EXPECT_EQ(ids().size(), 3);

    // The stored options come back into the panel; a filter index out of range takes the default.
    MainOptions options;
    options.scriptLibraryOn = false;
    MainLayoutSizes sizes;
    sizes.scriptLibraryFilter = 42;
    panel->applyOptions(options, sizes);
    EXPECT_FALSE(panel->panelShown());
    EXPECT_EQ(panel->filterIndex(), 2);
    sizes.scriptLibraryFilter = 4;
    sizes.scriptLibraryHeight = 0;
    panel->readSizes(sizes);
    EXPECT_EQ(sizes.scriptLibraryFilter, 2);
    EXPECT_GT(sizes.scriptLibraryHeight, 0);
}

TEST_F(ScriptCatalogPanelTest, CommandsFollowTheSelectedScenario)
{
    standIn.result(kList,
                   // The user's own scenario from another program, only for that program.
                   "<row><id>5</id><key_cl_mail>ME@x.org</key_cl_mail><uniapps>0</uniapps><app_guid>{1}</app_guid>"
                   "<title></title><descr></descr><rating_you>-1</rating_you></row>" +
                   row(6, "<rating_you>4</rating_you>") +
                   "<row><id>7</id><key_cl_mail>other@x.org</key_cl_mail><uniapps>1</uniapps><title></title>"
                   "<descr></descr></row>");
    panel->startUp();
    ASSERT_EQ(ids().size(), 3);
    EXPECT_FALSE(enabled(panel->downloadAction()));
    EXPECT_FALSE(enabled(panel->viewAction()));
    EXPECT_FALSE(enabled(panel->uploadAction())); // the scenario has no lines yet
    page->scenario().AddLine(u"FULL:0#ALL| | | | | | | |"_s);
    EXPECT_TRUE(enabled(panel->uploadAction()));

    select(5);
    EXPECT_FALSE(enabled(panel->downloadAction()));
    EXPECT_FALSE(enabled(panel->replaceAction()));
    EXPECT_FALSE(enabled(panel->deleteAction()));
    EXPECT_TRUE(enabled(panel->rateAction(0)));
    EXPECT_TRUE(panel->hideAction()->isChecked());
    EXPECT_EQ(panel->list()->listModel()->cellText(panel->list()->selectedRow(), 9), u"Скрытый");

    select(6);
    EXPECT_TRUE(enabled(panel->downloadAction()));
    EXPECT_TRUE(enabled(panel->replaceAction()));
    EXPECT_TRUE(enabled(panel->deleteAction()));
    EXPECT_TRUE(panel->rateAction(4)->isChecked());
    EXPECT_FALSE(panel->rateAction(3)->isChecked());
    EXPECT_FALSE(panel->hideAction()->isChecked());

    select(7);
    EXPECT_TRUE(enabled(panel->downloadAction()));
    EXPECT_FALSE(enabled(panel->deleteAction()));
    EXPECT_FALSE(enabled(panel->rateAction(0))); // no mark to remove
    EXPECT_TRUE(enabled(panel->rateAction(1)));

    // A busy section disables everything, the switch too.
    {
        BusySection busy;
        EXPECT_FALSE(enabled(panel->libraryAction()));
        EXPECT_FALSE(enabled(panel->rateAction(1)));
    }
}

TEST_F(ScriptCatalogPanelTest, MarksAskForACommentKeepTheSelectionAndReportTheServiceCode)
{
    panel->startUp();
    select(2);
    int asked = 0;
    SetScriptCommentInput([&](QWidget *, QString &comment) {
        ++asked;
        EXPECT_TRUE(comment.isEmpty());
        return false;
    });
    panel->rateAction(3)->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(standIn.count(kRate), 0);
    EXPECT_EQ(standIn.count(kList), 1);

    SetScriptCommentInput([&](QWidget *, QString &comment) {
        comment = u"Годится"_s;
        return true;
    });
    standIn.result(kRate, "<row><res_code>0</res_code></row>");
    // The reloaded list comes in another order: the same scenario is selected again.
    standIn.result(kList, row(3) + row(2) + row(1));
    panel->list()->setSortColumn(-1);
    panel->rateAction(3)->trigger();
    const QStringList fields = standIn.lastPost(kRate);
    EXPECT_EQ(fields.mid(0, 3), (QStringList{u"scr_id=2"_s, u"rate_value=3"_s, u"rate_notes=Годится"_s}));
    EXPECT_EQ(standIn.count(kList), 2);
    ASSERT_NE(panel->selectedInfo(), nullptr);
    EXPECT_EQ(panel->selectedInfo()->id, 2);

    // Hiding and removing a mark ask nothing.
    asked = 0;
    SetScriptCommentInput([&](QWidget *, QString &) { return ++asked, true; });
    panel->hideAction()->trigger();
    EXPECT_EQ(fieldOf(standIn.lastPost(kRate), u"rate_value"_s), u"-1");
    EXPECT_EQ(fieldOf(standIn.lastPost(kRate), u"rate_notes"_s), QString());
    EXPECT_EQ(asked, 0);

    // A negative code is shown and nothing is reloaded.
    standIn.result(kRate, "<row><res_code>-3</res_code></row>");
    const int loads = standIn.count(kList);
    select(1);
    panel->rateAction(5)->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Ошибка сохранения оценки online-сценария!\r\rКод возврата: -3");
    EXPECT_EQ(standIn.count(kList), loads);
}

TEST_F(ScriptCatalogPanelTest, DownloadReplacesTheScenarioAndItsFileOnlyWithARealScript)
{
    panel->startUp();
    const QStringList old{u"CURR:0#NONE| | | | | | | |старая"_s};
    page->scenario().AddLines(old);
    const QByteArray oldFile = folder.read(u"Vendra.lss"_s);
    ASSERT_FALSE(oldFile.isEmpty());
    select(2);

    // An empty script and a failed request change nothing.
    standIn.result(kData, "<row><script></script></row>");
    panel->downloadAction()->trigger();
    EXPECT_EQ(page->scenario().lines(), old);
    EXPECT_EQ(folder.read(u"Vendra.lss"_s), oldFile);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Информация");
    standIn.reply(kData, LocalHttpReply::text("", 500));
    panel->downloadAction()->trigger();
    EXPECT_EQ(page->scenario().lines(), old);
    EXPECT_EQ(folder.read(u"Vendra.lss"_s), oldFile);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка загрузки online-сценария!\r\r"));

    // A real script replaces a list that holds lines only after the user agrees.
    standIn.result(kData, scriptRow(u"EXCL:3#RAND|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |Сумма\n\nFULL:0#ALL| | | | | | | |\n"_s));
    boxes.clear();
    boxes.answer(IDNO);
    panel->downloadAction()->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Подтверждение");
    EXPECT_EQ(page->scenario().lines(), old);
    EXPECT_EQ(folder.read(u"Vendra.lss"_s), oldFile);

    boxes.answer(IDYES);
    panel->downloadAction()->trigger();
    const QStringList downloaded{u"EXCL:3#RAND|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |Сумма"_s, QString(),
                                 u"FULL:0#ALL| | | | | | | |"_s};
    EXPECT_EQ(page->scenario().lines(), downloaded);
    EXPECT_EQ(folder.read(u"Vendra.lss"_s),
              "EXCL:3#RAND|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |" + kSummaCp1251 + "\r\n\r\nFULL:0#ALL| | | | | | | |\r\n");
    EXPECT_EQ(standIn.lastPost(kData), QStringList{u"scr_id=2"_s});
}

TEST_F(ScriptCatalogPanelTest, DownloadedScenariosAreCheckedAsUntrustedText)
{
    panel->startUp();
    select(1);
    // Into an empty list without a question; a character outside Windows-1251 becomes "?" and is reported.
    standIn.result(kData, scriptRow(u"FULL:0#ALL| | | | | | | |Звезда ★ и 漢\r\n"_s));
    panel->downloadAction()->trigger();
    EXPECT_EQ(page->scenario().lines(), QStringList{u"FULL:0#ALL| | | | | | | |Звезда ? и ?"_s});
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Предупреждение");
    EXPECT_TRUE(boxes.last().text.contains(u"2"));
    const QByteArray kept = folder.read(u"Vendra.lss"_s);

    // Too many lines, a line too long, and a line that is no scenario line are refused whole.
    const QString line = u"FULL:0#ALL| | | | | | | |\r\n"_s;
    const QStringList refused{line.repeated(10001), u"FULL:0#ALL| | | | | | | |"_s + QString(64 * 1024, u'x'),
                              u"FULL:0#ALL| | | | | | | |\r\n<html>\r\n"_s};
    for (const QString &text : refused) {
        boxes.clear();
        boxes.answer(IDYES);
        standIn.result(kData, scriptRow(text));
        panel->downloadAction()->trigger();
        EXPECT_EQ(page->scenario().count(), 1);
        EXPECT_EQ(folder.read(u"Vendra.lss"_s), kept);
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка загрузки online-сценария!\r\r")) << boxes.last().text.toStdString();
    }
    // The limits themselves are allowed.
    boxes.answer(IDYES);
    standIn.result(kData, scriptRow(line.repeated(10000)));
    panel->downloadAction()->trigger();
    EXPECT_EQ(page->scenario().count(), 10000);
}

TEST_F(ScriptCatalogPanelTest, PublishAddsAndSelectsTheNewScenario)
{
    panel->startUp();
    page->scenario().AddLines({u"FULL:0#ALL| | | | | | | |первая"_s, QString()});
    standIn.result(kTitle, "<row><ret_code>0</ret_code></row>");
    standIn.result(kPut, "<row><id_scripts>57</id_scripts></row>");
    SetDialogPlayer([](TDialogSTemplate &dialog) {
        auto &form = static_cast<TFormScrPublic &>(dialog);
        EXPECT_EQ(form.authorEdit()->text(), u"Я");
        form.titleEdit()->setText(u"  Новый  "_s);
        dialog.pressOk();
        return dialog.result();
    });
    panel->uploadAction()->trigger();
    EXPECT_EQ(boxes.count(), 0);
    const QStringList fields = standIn.lastPost(kPut);
    EXPECT_EQ(fieldOf(fields, u"scr_title"_s), u"Новый");
    EXPECT_EQ(fieldOf(fields, u"scr_script"_s), u"FULL:0#ALL| | | | | | | |первая\\r\\n\\r\\n");
    EXPECT_EQ(fieldOf(fields, u"scr_publics"_s), u"1");
    EXPECT_EQ(fieldOf(fields, u"scr_uniapps"_s), u"0");
    EXPECT_EQ(ids().size(), 4);
    const tScriptInfo *info = panel->selectedInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->id, 57);
    EXPECT_EQ(info->title, u"Новый");
    EXPECT_TRUE(info->own && info->editable && info->compatible);
    const QStringList texts = panel->list()->listModel()->item(panel->list()->selectedRow()).texts;
    EXPECT_EQ(texts.value(0), u"Мой");
    EXPECT_EQ(texts.value(1), u"Новый");
    EXPECT_EQ(texts.value(3), u"Vendra");
    EXPECT_FALSE(texts.value(6).isEmpty());

    // A reply without an id adds nothing.
    standIn.result(kPut, "<row></row>");
    panel->uploadAction()->trigger();
    EXPECT_EQ(ids().size(), 4);
    EXPECT_EQ(boxes.count(), 1);
}

TEST_F(ScriptCatalogPanelTest, ReplaceAndDeleteWorkOnTheSelectedOwnScenario)
{
    panel->startUp();
    page->scenario().AddLine(u"FULL:0#ALL| | | | | | | |"_s);
    select(2);
    standIn.result(kTitle, "<row><ret_code>0</ret_code></row>");
    standIn.result(kPut, "<row><id_scripts>2</id_scripts></row>");
    SetDialogPlayer([](TDialogSTemplate &dialog) {
        auto &form = static_cast<TFormScrPublic &>(dialog);
        EXPECT_EQ(form.titleEdit()->text(), u"Сценарий 2");
        form.titleEdit()->setText(u"Другой"_s);
        form.appModeButton(1)->setChecked(true);
        dialog.pressOk();
        return dialog.result();
    });
    panel->replaceAction()->trigger();
    EXPECT_EQ(standIn.lastPost(kTitle), (QStringList{u"scr_id=2"_s, u"scr_title=Другой"_s}));
    EXPECT_EQ(fieldOf(standIn.lastPost(kPut), u"scr_id"_s), u"2");
    EXPECT_EQ(fieldOf(standIn.lastPost(kPut), u"scr_uniapps"_s), u"1");
    ASSERT_NE(panel->selectedInfo(), nullptr);
    EXPECT_EQ(panel->selectedInfo()->title, u"Другой");
    EXPECT_EQ(panel->list()->listModel()->cellText(panel->list()->selectedRow(), 1), u"Другой");
    EXPECT_EQ(panel->list()->listModel()->cellText(panel->list()->selectedRow(), 3), u"Универсальный");

    // Deleting asks first; only a reply of 0 removes the item.
    standIn.result(kPut, "<row><id_scripts>0</id_scripts></row>");
    boxes.answer(IDNO);
    panel->deleteAction()->trigger();
    EXPECT_EQ(boxes.last().text, u"Вы действительно хотите удалить сценарий \"Другой\"?");
    EXPECT_EQ(standIn.posts(kPut).size(), 1u);
    boxes.answer(IDYES);
    panel->deleteAction()->trigger();
    EXPECT_EQ(fieldOf(standIn.lastPost(kPut), u"del_mode"_s), u"1");
    EXPECT_EQ(fieldOf(standIn.lastPost(kPut), u"scr_script"_s), u"<none>");
    EXPECT_EQ(ids(), (QStringList{u"1"_s, u"3"_s}));
}

TEST_F(ScriptCatalogPanelTest, ACancelKeepsTheListAndThePublishDialogWithItsTexts)
{
    panel->startUp();
    const QStringList shown = ids();
    struct : IBlockingWaitHost { // the user presses "Отмена" in every wait from the from-th on
        int begun = 0, from = 1;
        void begin(const QString &) override { ++begun; }
        bool poll() override { return begun >= from; }
        void end() override {}
    } user;
    SetBlockingWaitHost(&user);
    panel->refreshAction()->trigger();
    EXPECT_EQ(ids(), shown);
    page->scenario().AddLine(u"FULL:0#ALL| | | | | | | |"_s);
    standIn.result(kTitle, "<row><ret_code>0</ret_code></row>");
    user.begun = 0, user.from = 2; // the title check answers, the publish is cancelled
    SetDialogPlayer([](TDialogSTemplate &dialog) {
        static_cast<TFormScrPublic &>(dialog).titleEdit()->setText(u"Новый"_s);
        EXPECT_FALSE(dialog.pressOk());
        EXPECT_EQ(static_cast<TFormScrPublic &>(dialog).titleEdit()->text(), u"Новый");
        return dialog.result();
    });
    ASSERT_TRUE(enabled(panel->uploadAction()));
    panel->uploadAction()->trigger();
    SetBlockingWaitHost(nullptr);
    EXPECT_EQ(boxes.last().text, u"Отправка сценария прервана до ответа сервера. Сервер мог уже сохранить сценарий: "
                                 u"обновите каталог, прежде чем отправлять его снова.");
}

TEST_F(ScriptCatalogPanelTest, AnErrorRowLeavesTheRowsBeforeItInTheList)
{
    standIn.result(kList, row(4) + "<row><error>Сервис на обслуживании</error></row>" + row(5));
    panel->startUp();
    EXPECT_EQ(ids(), QStringList{u"4"_s});
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Ошибка загрузки каталога online-сценариев!\r\rСервис на обслуживании");
}

TEST(ScriptCatalogWindow, TheWindowLoadsTheCatalogueAtStartWithItsStoredOptions)
{
    TempDataFolder folder;
    CatalogueStandIn standIn;
    if (!standIn.ok())
        GTEST_SKIP() << "no test certificates for the local HTTPS server";
    standIn.configure(folder);
    standIn.result(kList, row(1) + row(2));
    // The systems catalogue of the same service has nothing to show.
    standIn.result("/scripts/sys_getlist.php", "");
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n"
                                  "ScriptLibraryFilter=5\r\nScriptLibraryHeight=210\r\n");
    ScriptedMessages boxes;
    {
        TFormMain window{TStartSwitches{}};
        window.FormCreate();
        auto *panel = window.findChild<TScriptCatalogPanel *>(u"pnlOnlineScripts"_s);
        ASSERT_NE(panel, nullptr);
        // Under the scenario list, in the same splitter.
        EXPECT_EQ(panel->parentWidget(), window.scenarioPage()->splitter());
        EXPECT_EQ(window.scenarioPage()->splitter()->indexOf(panel), 1);
        QMenu *menu = window.findMenu(u"menuScript"_s);
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->actions().contains(panel->libraryAction()));
        EXPECT_EQ(panel->filterIndex(), 5);
        EXPECT_EQ(standIn.count(kList), 0);

        window.tmrInitTimer();
        ASSERT_EQ(standIn.count(kList), 1);
        EXPECT_EQ(standIn.lastPost(kList).value(0), u"fltid=4");
        EXPECT_EQ(panel->list()->listModel()->rowCount(), 2);
        EXPECT_EQ(boxes.count(), 0);
        // Shown on the screen, the panel takes its stored height.
        window.mainPages()->setCurrentWidget(window.scenarioPage());
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(panel->height(), 210);
        // The switch (Ctrl+L anywhere in the window) hides the panel and keeps the option.
        EXPECT_TRUE(window.actions().contains(panel->libraryAction()));
        panel->updateActions(); // as the window's periodic check does once the load is over
        panel->libraryAction()->trigger();
        EXPECT_FALSE(panel->isVisible());
        EXPECT_FALSE(window.options().scriptLibraryOn);
        EXPECT_FALSE(ReadFormBool(MainFormSection(), u"ScriptLibraryOn"_s, true));
        EXPECT_EQ(panel->list()->listModel()->rowCount(), 0);
        panel->updateActions();
        panel->libraryAction()->trigger();
        EXPECT_TRUE(panel->isVisible());
        EXPECT_EQ(panel->height(), 210);
        panel->setFilterIndex(6);
    }
    const FormStore store;
    EXPECT_EQ(store.readInteger(MainFormSection(), u"ScriptLibraryFilter"_s, -1), 6);
    EXPECT_EQ(store.readInteger(MainFormSection(), u"ScriptLibraryHeight"_s, -1), 210);
    EXPECT_TRUE(store.valueExists(MainFormSection(), u"lvOnlineScripts.Column1"_s));
}

// The window with a catalogue from the stand-in, as a user sees it; with VENDRA_SCREENSHOT_DIR set the
// picture is saved there for a look by eye.
TEST(ScriptCatalogWindow, PanelUnderTheScenarioListWithAListFromTheService)
{
    TempDataFolder folder;
    CatalogueStandIn standIn;
    if (!standIn.ok())
        GTEST_SKIP() << "no test certificates for the local HTTPS server";
    standIn.configure(folder, "[USER]\r\nName=Иван\r\nMail=ivan@x.org\r\n");
    standIn.result("/scripts/sys_getlist.php", "");
    auto item = [](int id, const char *title, const char *author, const char *mail, int uniapps, int publics,
                   const char *created, const char *rating, int count, int mine, int downloads,
                   const char *descr) -> QByteArray {
        return "<row><id>" + QByteArray::number(id) + "</id><app_name>Vendra</app_name><app_ver>1.0.0.0</app_ver>"
               "<key_cl_name>" + QByteArray(author) + "</key_cl_name><key_cl_mail>" + mail + "</key_cl_mail>"
               "<key_cl_lcid>1049</key_cl_lcid><uniapps>" + QByteArray::number(uniapps) + "</uniapps><publics>" +
               QByteArray::number(publics) + "</publics><created>" + created + "</created><rating_avg>" + rating +
               "</rating_avg><rating_cnt>" + QByteArray::number(count) + "</rating_cnt><rating_you>" +
               QByteArray::number(mine) + "</rating_you><downloads>" + QByteArray::number(downloads) +
               "</downloads><last_download>2024-05-02 08:00:00</last_download><title>" +
               QByteArray(title).toBase64() + "</title><descr>" + QByteArray(descr).toBase64() +
               "</descr><app_guid>" + QString::fromUtf16(kCatalogueAppId).toUtf8() + "</app_guid></row>";
    };
    standIn.result(kList, item(11, "Суммы и чётность", "Иван", "ivan@x.org", 0, 1, "2024-03-05 21:30:00", "4.6", 5,
                               0, 31, "Отбор по суммам за 10 тиражей") +
                              item(12, "Горячие числа", "Мария", "m@x.org", 1, 1, "2024-02-11 10:00:00", "3.25", 8, 4,
                                   120, "Числа, выпадавшие чаще всего") +
                              item(13, "Без повторов", "Пётр", "p@x.org", 0, 1, "2023-12-30 18:45:10", "2", 2, -1, 7,
                                   "") +
                              item(14, "Личный черновик", "Иван", "ivan@x.org", 0, 0, "2024-04-20 06:05:00", "0", 0,
                                   0, 0, "Только для меня"));
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n"
                                  "ScriptLibraryHeight=230\r\n");
    folder.write(u"Vendra.lss"_s, "EXCL:3#RAND#NEX|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |" + kSummaCp1251 +
                                      "\r\nFULL:0#ALL| | | | | | | |\r\n");
    ScriptedMessages boxes;
    TFormMain window{TStartSwitches{}};
    window.FormCreate();
    window.tmrInitTimer();
    auto *panel = window.findChild<TScriptCatalogPanel *>(u"pnlOnlineScripts"_s);
    ASSERT_NE(panel, nullptr);
    window.resize(1280, 800);
    window.mainPages()->setCurrentWidget(window.scenarioPage());
    window.show();
    panel->selectScript(12);
    QApplication::processEvents();
    EXPECT_EQ(panel->list()->listModel()->rowCount(), 4);
    // Every caption has its image (public or private); the other columns have none.
    const QAbstractItemModel *model = panel->list()->model();
    for (int r = 0; r < 4; ++r) {
        EXPECT_TRUE(model->index(r, 0).data(Qt::DecorationRole).canConvert<QIcon>());
        EXPECT_FALSE(model->index(r, 1).data(Qt::DecorationRole).isValid());
    }
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_TRUE(panel->isVisible());
    const QString dir = qEnvironmentVariable("VENDRA_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(window.grab().save(dir + u"/catalogue-panel.png"_s));
        TFormScrPublic properties(&window, {}, {});
        properties.fill(ScriptInfoToData(*panel->selectedInfo()), 1049, false);
        properties.show();
        QApplication::processEvents();
        EXPECT_TRUE(properties.grab().save(dir + u"/catalogue-properties.png"_s));
        TFormScrRates rates(&window);
        rates.addRate({u"Анна"_s, u"5"_s, u"2024-02-01 01:15:00"_s, u"Vendra"_s, u"1.0.0.0"_s, u"Спасибо, помогло"_s});
        rates.show();
        QApplication::processEvents();
        EXPECT_TRUE(rates.grab().save(dir + u"/catalogue-rates.png"_s));
    }
}
