#include "common/BusyCursor.h"
#include "common/Languages.h"
#include "common/widgets/DialogSTemplate.h"
#include "common/widgets/Retranslate.h"
#include "tests/support/DialogPlayerScope.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/combinations/CombsPage.h"
#include "ui/window/FormMain.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A language module as a translator makes one: a translation source with a few of the program's
// texts, compiled by the Qt translation tools into the module beside the program.
void WriteEnglishModule(const TempDataFolder &folder)
{
    const std::vector<std::pair<QString, QString>> texts = {
        {u"&Файл"_s, u"&File"_s},
        {u"&Тиражи"_s, u"&Draws"_s},
        {u"&Статистика"_s, u"&Statistics"_s},
        {u"Тиражи"_s, u"Draws"_s},
        {u"Комбинации"_s, u"Combinations"_s},
        {u"Статистика"_s, u"Statistics"_s},
        {u"Генерировать"_s, u"Generate"_s},
        {u"О программе"_s, u"About"_s},
        {u"Информация"_s, u"Information"_s},
        {u"В текущем списке комбинаций содержится %d уникальных номеров"_s,
         u"The current list of combinations holds %d different numbers"_s},
        {u"Анализ статистики лотереи \"Vendra 6 из 45\""_s, u"Lottery statistics \"Vendra 6/45\""_s},
        {u" версия %s"_s, u" version %s"_s},
        {u"Архив тиражей: %d"_s, u"Draws archive: %d"_s},
    };
    QString ts = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                 u"<TS version=\"2.1\" language=\"en_US\">\n<context>\n<name>Vendra</name>\n"_s;
    for (const auto &[source, translation] : texts)
        ts += u"<message>\n<source>"_s + source.toHtmlEscaped() + u"</source>\n<translation>"_s +
              translation.toHtmlEscaped() + u"</translation>\n</message>\n"_s;
    ts += u"</context>\n</TS>\n"_s;
    folder.write(u"english.ts"_s, ts.toUtf8());
    QProcess lrelease;
    lrelease.start(QStringLiteral(VENDRA_LRELEASE),
                   {u"-silent"_s, folder.file(u"english.ts"_s), u"-qm"_s, folder.file(u"Vendra_ENU.lng"_s)});
    ASSERT_TRUE(lrelease.waitForFinished(30000));
    ASSERT_EQ(lrelease.exitCode(), 0) << lrelease.readAllStandardError().toStdString();
    ASSERT_TRUE(folder.exists(u"Vendra_ENU.lng"_s));
}

void SeedStart(const TempDataFolder &folder, int language)
{
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\nLanguage=" +
                                      QByteArray::number(language) + "\r\n");
}

QString MenuTitle(const TFormMain &window, const char *name)
{
    const QMenu *menu = window.menuBar()->findChild<QMenu *>(QString::fromLatin1(name));
    return menu ? menu->title() : QString();
}

class LanguageSwitch : public ::testing::Test {
protected:
    void SetUp() override
    {
        FinalizeLanguages();
        InstallRetranslation();
        WriteEnglishModule(folder);
    }
    void TearDown() override
    {
        SetLanguageChangedHook({});
        FinalizeLanguages();
    }
    // What the user sees a moment later: the events of the switch are handled and the commands are
    // enabled by the window's periodic check.
    static void Settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        DelayWithMessages(250);
    }

    TempDataFolder folder;
};

} // namespace

TEST_F(LanguageSwitch, MenusTabsDialogsAndMessagesFollowTheLanguageAndBack)
{
    SeedStart(folder, 1049);
    ScriptedMessages boxes;
    TFormMain window{TStartSwitches{}};
    window.FormCreate();
    window.tmrInitTimer();
    Settle();
    ASSERT_EQ(CurrentLanguageId(), 1049);
    EXPECT_EQ(MenuTitle(window, "menuFile"), u"&Файл");
    EXPECT_EQ(window.mainPages()->tabText(0), u"Статистика");

    ASSERT_EQ(SwitchLanguage(1033, true), 1033);
    Settle();
    // The menus, the tabs and the commands of the open window.
    EXPECT_EQ(MenuTitle(window, "menuFile"), u"&File");
    EXPECT_EQ(MenuTitle(window, "menuDraws"), u"&Draws");
    EXPECT_EQ(MenuTitle(window, "menuStat"), u"&Statistics");
    EXPECT_EQ(window.mainPages()->tabText(0), u"Statistics");
    EXPECT_EQ(window.leftPages()->tabText(0), u"Draws");
    EXPECT_EQ(window.leftPages()->tabText(1), u"Combinations");
    EXPECT_EQ(window.combsPage()->genAction()->text(), u"Generate");
    EXPECT_TRUE(window.windowTitle().startsWith(u"Lottery statistics \"Vendra 6/45\" version "));
    EXPECT_EQ(window.statusPanel(0)->text(), u"Draws archive: 0");
    // A text the module does not hold stays Russian.
    EXPECT_EQ(MenuTitle(window, "menuCombs"), u"&Комбинации");

    // A dialog opened now, and a message.
    QString dialogCaption;
    {
        DialogPlayerScope player([&](TDialogSTemplate &dialog) {
            dialogCaption = dialog.windowTitle();
            dialog.pressCancel();
            return dialog.result();
        });
        window.findChild<QAction *>(u"About"_s)->trigger();
    }
    EXPECT_EQ(dialogCaption, u"About");
    window.combsPage()->checkNumsAction()->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Information");
    EXPECT_EQ(boxes.last().text, u"The current list of combinations holds 45 different numbers");

    // Back to Russian: everything as it was.
    ASSERT_EQ(SwitchLanguage(1049, true), 1049);
    Settle();
    EXPECT_EQ(MenuTitle(window, "menuFile"), u"&Файл");
    EXPECT_EQ(MenuTitle(window, "menuDraws"), u"&Тиражи");
    EXPECT_EQ(window.mainPages()->tabText(0), u"Статистика");
    EXPECT_EQ(window.leftPages()->tabText(1), u"Комбинации");
    EXPECT_EQ(window.combsPage()->genAction()->text(), u"Генерировать");
    EXPECT_TRUE(window.windowTitle().startsWith(u"Анализ статистики лотереи \"Vendra 6 из 45\" версия "));
    EXPECT_EQ(window.statusPanel(0)->text(), u"Архив тиражей: 0");
    window.combsPage()->checkNumsAction()->trigger();
    EXPECT_EQ(boxes.last().caption, u"Информация");
    EXPECT_EQ(boxes.last().text, u"В текущем списке комбинаций содержится 45 уникальных номеров");
}

TEST_F(LanguageSwitch, TheSavedLanguageIsTheOneTheWindowOpensIn)
{
    // The language menu stores the choice and starts the program again: it opens in that language.
    SeedStart(folder, 1033);
    ScriptedMessages boxes;
    TFormMain window{TStartSwitches{}};
    window.FormCreate();
    Settle();
    EXPECT_EQ(CurrentLanguageId(), 1033);
    EXPECT_EQ(MenuTitle(window, "menuFile"), u"&File");
    EXPECT_EQ(window.mainPages()->tabText(0), u"Statistics");
    EXPECT_TRUE(window.windowTitle().startsWith(u"Lottery statistics \"Vendra 6/45\""));
    EXPECT_EQ(boxes.count(), 0);
}
