#include "common/FormStore.h"
#include "common/Languages.h"
#include "lottery/DrawDates.h"
#include "tests/support/RecordingProcesses.h"
#include "tests/support/Screenshots.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/window/FormMain.h"
#include "ui/window/HelpFeature.h"
#include "app/settings/HelpSupport.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QScreen>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString StoredOption(const QString &key)
{
    return FormStore().readString(MainFormSection(), key, u"<missing>"_s);
}

class HelpFeatureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.write(u"Vendra_ENU.lng"_s, "module");
        InitLanguages(kRussianLcid, kRussianLcid); // as with "no-language"
        window = std::make_unique<TFormMain>(TStartSwitches{});
        feature = InstallHelpFeature(*window);
        feature->setRestartHandler([this] { ++restarts; });
        feature->BuildLanguageMenu();
    }
    void TearDown() override
    {
        SetDialogPlayer(nullptr);
        window.reset();
        FinalizeLanguages();
        HelpFileName.clear();
    }
    QAction *languageItem(int lcid) const
    {
        for (QAction *a : feature->languageActions())
            if (a->data().toInt() == lcid)
                return a;
        return nullptr;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<TFormMain> window;
    THelpFeature *feature = nullptr;
    int restarts = 0;
};

} // namespace

TEST(HelpFile, FoundInTheParentsHelpFolderElseTheLastCandidateStays)
{
    TempDataFolder folder;
    const QString program = folder.path() + u"/app/"_s;
    QDir().mkpath(program);
    const QStringList candidates = HelpFileCandidates(program, u"RUS"_s);
    ASSERT_EQ(candidates.size(), 3);
    EXPECT_EQ(candidates[0], program + u"Kenvo_RUS.chm");
    EXPECT_EQ(candidates[1], program + u"help/Kenvo_RUS.chm");
    EXPECT_EQ(candidates[2], folder.path() + u"/help/Kenvo_RUS.chm");

    EXPECT_EQ(FindHelpFile(program, u"RUS"_s), candidates[2]);
    EXPECT_FALSE(HelpFileExists(candidates[2]));

    // The pages of the help stand for the file.
    QDir().mkpath(folder.path() + u"/help/Kenvo_RUS"_s);
    folder.write(u"help/Kenvo_RUS/index.html"_s, "<html></html>");
    EXPECT_TRUE(HelpFileExists(candidates[2]));
    // A copy nearer the program wins.
    folder.write(u"app/Kenvo_RUS.chm"_s, "chm");
    EXPECT_EQ(FindHelpFile(program, u"RUS"_s), candidates[0]);
}

TEST(HelpSupport, RestartCommandAndVersionText)
{
    TempDataFolder folder;
    const ProcessCommand command = RestartCommand();
    EXPECT_EQ(command.arguments, QStringList{u"restart"_s});
    EXPECT_EQ(QDir(command.folder), QDir(folder.path()));
    EXPECT_EQ(AboutVersionText(u"2.3.1"_s), u"2.3 ( 2.3.1.0 )");
    EXPECT_EQ(AboutVersionText(u"5"_s), u"5.0 ( 5.0.0.0 )");
}

TEST_F(HelpFeatureTest, LanguageMenuListsModulesAndStoresTheChoice)
{
    QMenu *menu = window->findMenu(u"menuLanguages"_s);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(feature->languageActions().size(), 2u);
    EXPECT_EQ(feature->languageActions()[0]->text(), u"English");
    EXPECT_EQ(feature->languageActions()[1]->text(), u"Русский");
    EXPECT_TRUE(languageItem(kRussianLcid)->isChecked());
    EXPECT_FALSE(languageItem(kEnglishLcid)->isChecked());
    // No help file anywhere: the last place looked at stays (the help command then says it is missing).
    EXPECT_TRUE(HelpFileName.endsWith(u"/help/Kenvo_RUS.chm"));

    // The current language does nothing.
    languageItem(kRussianLcid)->trigger();
    EXPECT_EQ(restarts, 0);
    EXPECT_EQ(StoredOption(u"Language"_s), u"<missing>");

    languageItem(kEnglishLcid)->trigger();
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(window->options().language, kEnglishLcid);
    EXPECT_EQ(StoredOption(u"Language"_s), u"1033");
    EXPECT_EQ(boxes.count(), 0);
    // This run keeps its language until the restart.
    EXPECT_TRUE(languageItem(kRussianLcid)->isChecked());
}

TEST_F(HelpFeatureTest, MissingModuleIsReportedAndNotStored)
{
    QFile::remove(folder.file(u"Vendra_ENU.lng"_s));
    languageItem(kEnglishLcid)->trigger();
    EXPECT_EQ(restarts, 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Языковый модуль \""));
    EXPECT_EQ(StoredOption(u"Language"_s), u"<missing>");
}

TEST_F(HelpFeatureTest, FirstRunBoxTurnsTheWindowOff)
{
    RecordingUrlOpener urls;
    int shown = 0;
    SetDialogPlayer([&](TDialogSTemplate &d) {
        ++shown;
        auto &dialog = static_cast<TFormFirstRun &>(d);
        EXPECT_EQ(dialog.windowTitle(), u"Справочная информация");
        EXPECT_FALSE(dialog.helpButton()->isEnabled()); // no help file
        dialog.findChild<QPushButton *>(u"btnBlog"_s)->click();
        dialog.findChild<QPushButton *>(u"btnTelegram"_s)->click();
        EXPECT_EQ(dialog.disableBox()->text(), u"Больше не показывать данный диалог");
        if (shown == 2)
            dialog.disableBox()->setChecked(true);
        dialog.pressOk();
        return dialog.result();
    });
    feature->ShowFirstRun(); // left unticked
    EXPECT_TRUE(window->options().firstRun);
    EXPECT_EQ(StoredOption(u"FirstRun"_s), u"<missing>");
    feature->ShowFirstRun(); // ticked
    EXPECT_FALSE(window->options().firstRun);
    EXPECT_EQ(StoredOption(u"FirstRun"_s), u"0");
    feature->ShowFirstRun(); // no longer shown
    EXPECT_EQ(shown, 2);
    ASSERT_EQ(urls.addresses().size(), 4u);
    EXPECT_EQ(urls.addresses()[0], ProjectLinkAddress(u"urlBlog"_s));
    EXPECT_EQ(urls.addresses()[1], ProjectLinkAddress(u"urlTG"_s));

    // It opens on its default button: Enter closes it and opens no page.
    window->resize(1200, 800);
    window->show();
    TFormFirstRun firstRun(window.get());
    firstRun.show();
    SaveScreenshot(firstRun, u"first-run-window"_s);
    if (const QString shots = qEnvironmentVariable("VENDRA_SCREENSHOTS"); !shots.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(shots + u"/first-run-over-the-window-1200.png"_s);
    QTest::keyClick(firstRun.focusWidget(), Qt::Key_Return);
    EXPECT_EQ(firstRun.result(), QDialog::Accepted);
    EXPECT_EQ(urls.addresses().size(), 4u);
    TFormAbout about(window.get()); // opens on its links
    about.show();
    EXPECT_EQ(about.focusWidget(), about.okButton());
}

TEST_F(HelpFeatureTest, EveryLinkOpensItsAddressOnce)
{
    RecordingUrlOpener urls;
    window->findChild<QAction *>(u"urlLottery"_s)->trigger();
    for (const char16_t *name : {u"urlMainSite", u"urlAuthSite", u"urlAuthText", u"urlTG", u"urlBlog", u"urlYT",
                                 u"urlVK", u"urlOK"}) {
        QAction *action = window->findChild<QAction *>(QString::fromUtf16(name));
        ASSERT_NE(action, nullptr) << QString::fromUtf16(name).toStdString();
        action->trigger();
    }
    ASSERT_EQ(urls.addresses().size(), ProjectLinks().size());
    for (size_t i = 0; i < ProjectLinks().size(); ++i) {
        EXPECT_EQ(urls.addresses()[i], QString::fromUtf16(ProjectLinks()[i].address));
        EXPECT_TRUE(urls.addresses()[i].startsWith(u"https://"));
    }
    EXPECT_EQ(window->findChild<QAction *>(u"urlVK"_s)->text(), u"Страница в соцсети \"В контакте\"");

    // The about window's mail address goes through "mailto:".
    SetDialogPlayer([](TDialogSTemplate &d) {
        EXPECT_EQ(d.windowTitle(), u"О программе");
        emit d.findChild<QLabel *>(u"lblMail"_s)->linkActivated(u"#"_s);
        d.pressOk();
        return d.result();
    });
    feature->aboutAction()->trigger();
    EXPECT_EQ(urls.addresses().back(), u"mailto:" + ProjectMailAddress());
}

TEST(HelpKey, WithoutHelpItSaysSoAndWithHelpItOpensIt)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n");
    ScriptedMessages boxes;
    RecordingUrlOpener urls;
    // F1 and F8 in the window, F1 in a modal dialog.
    const auto pressF1 = [] {
        TFormMain window{TStartSwitches{}};
        window.FormCreate();
        window.tmrInitTimer();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        window.drawsPanel()->list()->setFocus();
        QTest::keyClick(window.drawsPanel()->list(), Qt::Key_F1);
        QTest::keyClick(window.drawsPanel()->list(), Qt::Key_F8);
        TDialogSTemplate dialog(&window);
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_F1); dialog.reject(); });
        dialog.exec();
    };

    // No help anywhere: every key gives one notice that help is not available and where it was looked for.
    pressF1();
    ASSERT_EQ(boxes.count(), 3);
    const QString program = QDir(folder.path()).absolutePath() + u'/';
    EXPECT_EQ(boxes.last().text,
              u"Справка недоступна: папка со страницами справки не найдена. Она ищется здесь:\r"_s +
                  QDir::toNativeSeparators(program + u"Kenvo_RUS"_s) + u'\r' +
                  QDir::toNativeSeparators(program + u"help/Kenvo_RUS"_s) + u'\r' +
                  QDir::toNativeSeparators(QDir::cleanPath(program + u"../help/Kenvo_RUS"_s)))
        << boxes.last().text.toStdString();
    for (const ScriptedMessages::Box &box : boxes.boxes())
        EXPECT_EQ(box.caption + box.text, u"Информация"_s + boxes.last().text);
    EXPECT_TRUE(urls.addresses().empty());

    // With the help's pages in place F1 opens them in the window and in the dialog, and says nothing.
    QDir().mkpath(folder.path() + u"/help/Kenvo_RUS"_s);
    folder.write(u"help/Kenvo_RUS/index.html"_s, "<html></html>");
    pressF1();
    EXPECT_TRUE(boxes.last().text.startsWith(u"Описание статистики \""_s)); // F8: no page for the statistic
    ASSERT_EQ(urls.addresses().size(), 2u);
    EXPECT_TRUE(urls.addresses().front().endsWith(u"help/Kenvo_RUS/index.html"_s)) << urls.addresses().front().toStdString();
}
