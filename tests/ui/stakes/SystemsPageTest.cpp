#include "common/BlockingWait.h"
#include "common/widgets/ListView.h"
#include "common/widgets/WaitWindow.h"
#include "lottery/stats/StatList.h"
#include "online/SystemsFolder.h"
#include "tests/support/CatalogueStandIn.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/statistics/StatisticsPage.h"
#include "ui/window/FormMain.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/stakes/SystemDialog.h"
#include "ui/stakes/SystemsPage.h"
#include "app/stakes/StakesFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcutEvent>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char kListPath[] = "/scripts/sys_getlist.php";
constexpr char kDataPath[] = "/scripts/sys_getdata.php";

// Base64 of "Десятка 10/3", "Девятка 9/3", "Чужая 9/4" and of a description.
QByteArray row(int id, int nums, int olap, int csize, const char *title, const char *mail)
{
    return "<row><id>" + QByteArray::number(id) + "</id><nums>" + QByteArray::number(nums) + "</nums><olap>" +
           QByteArray::number(olap) + "</olap><csize>" + QByteArray::number(csize) + "</csize><title>" + title +
           "</title><descr>0J7Qv9C40YHQsNC90LjQtQ==</descr><author>Пётр</author><cl_mail>" + mail +
           "</cl_mail><created>2024-03-05 14:07:09</created><downloads>3</downloads>"
           "<last_download>2024-04-01 08:00:00</last_download><url>example.org/s</url></row>";
}

const QByteArray kRows = row(12, 10, 3, 30, "0JTQtdGB0Y/RgtC60LAgMTAvMw==", "me@example.org") +
                         row(13, 9, 3, 4, "0JTQtdCy0Y/RgtC60LAgOS8z", "me@example.org") +
                         row(14, 9, 4, 4, "0KfRg9C20LDRjyA5LzQ=", "other@example.org");

QByteArray systemLines(int count, int nums)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "1 2 3 4 5 " + QByteArray::number(6 + i % (nums - 5)) + "\r\n";
    return text;
}

class SystemsPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!standIn.ok())
            GTEST_SKIP() << "no test certificates for the local HTTPS server";
        standIn.result(kListPath, kRows);
        // The scenario catalogue of the same service has nothing to show.
        standIn.result("/scripts/scr_getlist.php", "");
        standIn.result(kDataPath, "<row><clist>" + systemLines(4, 9).toBase64() + "</clist></row>");
        standIn.configure(folder, "[USER]\r\nName=Я\r\nMail=Me@Example.org\r\n");
        savedConfig = StatList().Config;
    }
    void TearDown() override { StatList().Config = savedConfig; }

    void start(const QByteArray &frm = {})
    {
        folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n" + frm);
        window = std::make_unique<TFormMain>(TStartSwitches{});
        window->FormCreate();
        window->tmrInitTimer();
        page = window->findChild<TSystemsPage *>();
        ASSERT_NE(page, nullptr);
        page->updateActions();
    }

    int tabIndex() const { return window->mainPages()->indexOf(page); }

    TempDataFolder folder;
    CatalogueStandIn standIn;
    ScriptedMessages messages;
    TConfigData savedConfig;
    std::unique_ptr<TFormMain> window;
    TSystemsPage *page = nullptr;
};

} // namespace

TEST_F(SystemsPageTest, MenuHoldsEveryCommandWithItsCaptionAndKey)
{
    start();
    QMenu *menu = window->findMenu(u"menuSystems"_s);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), u"С&истемы");
    EXPECT_TRUE(menu->menuAction()->isVisible());
    struct Expect {
        const char16_t *name;
        const char16_t *caption;
        QKeySequence key;
    };
    const Expect expected[] = {
        {u"SystemsOn", u"Системная игра", QKeySequence(Qt::CTRL | Qt::Key_J)},
        {u"SystemsRefresh", u"Обновить", {}},
        {u"SystemsDownload", u"Загрузить", {}},
        {u"SystemsAdd", u"Добавить", {}},
        {u"SystemsProp", u"Свойства", {}},
        {u"SystemsDel", u"Удалить", {}},
        {u"SystemStakeAll", u"Cистемная игра по списку системы", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J)},
        {u"SystemStakeFilter", u"Cистемная игра по списку комбинаций", QKeySequence(Qt::ALT | Qt::Key_J)},
    };
    QStringList names;
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            names << a->objectName();
    ASSERT_EQ(names.size(), 8);
    for (const Expect &e : expected) {
        auto *action = window->findChild<QAction *>(QString::fromUtf16(e.name));
        ASSERT_NE(action, nullptr) << QString::fromUtf16(e.name).toStdString();
        EXPECT_TRUE(names.contains(action->objectName()));
        EXPECT_EQ(action->text(), QString::fromUtf16(e.caption));
        EXPECT_EQ(action->shortcut(), e.key) << action->objectName().toStdString();
    }
    // The game captions begin with a Latin capital C.
    EXPECT_EQ(page->stakeAllAction()->text().at(0), QChar(u'C'));
}

TEST_F(SystemsPageTest, StartUpLoadsTheListIntoTheShownPage)
{
    start();
    EXPECT_TRUE(page->pageShown());
    EXPECT_TRUE(window->mainPages()->isTabVisible(tabIndex()));
    EXPECT_EQ(window->mainPages()->tabText(tabIndex()), u"Системы");
    EXPECT_EQ(standIn.count(kListPath), 1);
    TQSortListView *list = page->list();
    EXPECT_EQ(list->objectName(), u"lvSystems");
    ASSERT_EQ(list->listModel()->rowCount(), 3);
    const QStringList columns{u"Название"_s, u"Автор"_s, u"Числа"_s, u"Блок"_s, u"Комбинаций"_s, u"Дата создания"_s,
                              u"Статус"_s, u"Загрузок"_s, u"Последняя"_s, u"Комментарии"_s, u"Ссылка"_s};
    for (int c = 0; c < columns.size(); ++c)
        EXPECT_EQ(list->listModel()->columnCaption(c), columns[c]);
    // Sorted by the count of numbers: the two 9-number systems first.
    EXPECT_EQ(list->sortColumn(), 2);
    EXPECT_EQ(list->listModel()->cellText(0, 2), u"09");
    EXPECT_EQ(list->listModel()->cellText(2, 0), u"Десятка 10/3");
    EXPECT_EQ(list->listModel()->cellText(2, 9), u"Описание");
    EXPECT_FALSE(list->model()->index(0, 0).data(Qt::DecorationRole).isNull());
    EXPECT_EQ(messages.count(), 0);

    // Nothing is selected: the commands on a system wait for one.
    EXPECT_TRUE(page->refreshAction()->isEnabled());
    EXPECT_TRUE(page->addAction()->isEnabled());
    EXPECT_FALSE(page->downloadAction()->isEnabled());
    EXPECT_FALSE(page->propAction()->isEnabled());
    EXPECT_FALSE(page->delAction()->isEnabled());
    // Another author's system cannot be deleted, an own one can.
    const int foreign = page->rowOf(page->library().indexOfId(14));
    list->setSelectedRow(foreign);
    page->updateActions();
    EXPECT_TRUE(page->propAction()->isEnabled());
    EXPECT_FALSE(page->delAction()->isEnabled());
    list->setSelectedRow(page->rowOf(page->library().indexOfId(13)));
    page->updateActions();
    EXPECT_TRUE(page->delAction()->isEnabled());
}

TEST_F(SystemsPageTest, TheSwitchHidesAndShowsThePageAndWritesItsKey)
{
    start("SystemsEnabled=0\r\n");
    EXPECT_FALSE(page->pageShown());
    EXPECT_FALSE(window->mainPages()->isTabVisible(tabIndex()));
    EXPECT_FALSE(page->stakeAllAction()->isVisible());
    EXPECT_FALSE(page->stakeFilterAction()->isVisible());
    EXPECT_EQ(standIn.count(kListPath), 0);
    EXPECT_TRUE(page->onAction()->isEnabled());
    EXPECT_FALSE(page->onAction()->isChecked());

    page->onAction()->trigger();
    EXPECT_TRUE(page->pageShown());
    EXPECT_TRUE(page->onAction()->isChecked());
    EXPECT_TRUE(page->stakeAllAction()->isVisible());
    EXPECT_EQ(window->mainPages()->currentWidget(), page);
    EXPECT_EQ(standIn.count(kListPath), 1);
    EXPECT_EQ(page->list()->listModel()->rowCount(), 3);
    EXPECT_TRUE(folder.read(u"Vendra.frm"_s).contains("SystemsEnabled=1"));

    page->onAction()->trigger();
    EXPECT_FALSE(page->pageShown());
    EXPECT_EQ(page->list()->listModel()->rowCount(), 0);
    EXPECT_FALSE(page->stakeFilterAction()->isVisible());
    EXPECT_TRUE(folder.read(u"Vendra.frm"_s).contains("SystemsEnabled=0"));
    EXPECT_EQ(standIn.count(kListPath), 1);
}

TEST_F(SystemsPageTest, DownloadOfTheSelectedSystemsKeepsOnePerCountOfNumbers)
{
    start();
    TQSortListView *list = page->list();
    // Both 9-number systems selected: the second download replaces the first.
    list->selectAll();
    list->setSelectedRow(-1);
    for (int id : {13, 14})
        list->selectionModel()->select(list->model()->index(page->rowOf(page->library().indexOfId(id)), 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    page->updateActions();
    ASSERT_TRUE(page->downloadAction()->isEnabled());
    page->downloadAction()->trigger();
    EXPECT_EQ(QDir(SystemsFolder()).entryList(QDir::Files), QStringList{u"6-09-4_0014.dat"_s});
    const int first = page->rowOf(page->library().indexOfId(13));
    const int second = page->rowOf(page->library().indexOfId(14));
    EXPECT_EQ(list->listModel()->cellText(first, 6), QString());
    EXPECT_EQ(list->listModel()->cellText(second, 6), u"Загружена");
    // The list kept its selection through a reload.
    list->setSelectedRow(second);
    page->refreshAction()->trigger();
    EXPECT_EQ(page->libraryIndex(list->selectedRow()), page->library().indexOfId(14));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(SystemsPageTest, AStalledDownloadIsCancelledAtOnceAndChangesNothing)
{
    start();
    LocalHttpReply stalled;
    stalled.delayMs = -1;
    standIn.reply(kDataPath, stalled);
    TQSortListView *list = page->list();
    const int row = page->rowOf(page->library().indexOfId(13));
    // Two systems chosen: the cancel ends the whole command.
    list->setSelectedRow(row);
    list->selectionModel()->select(list->model()->index(page->rowOf(page->library().indexOfId(12)), 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    page->updateActions();
    ASSERT_TRUE(page->downloadAction()->isEnabled());
    window->show();

    // While the server keeps silent the user presses a key in the list, then "Отмена" once the wait
    // window shows.
    QElapsedTimer clock;
    qint64 shownAt = -1;
    qint64 cancelledAt = -1;
    bool keyPressed = false;
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!keyPressed && clock.elapsed() > 100) {
            keyPressed = true;
            QTest::keyClick(list, Qt::Key_Down);
        }
        const TFormWait *wait = nullptr;
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows)
            if (auto *form = qobject_cast<TFormWait *>(w); form && form->isVisible())
                wait = form;
        if (!wait || cancelledAt >= 0)
            return;
        shownAt = clock.elapsed();
        EXPECT_EQ(wait->cancelButton()->text(), u"Отмена");
        EXPECT_TRUE(wait->cancelButton()->isVisible());
        cancelledAt = clock.elapsed();
        QTest::mouseClick(wait->cancelButton(), Qt::LeftButton);
    });
    clock.start();
    user.start();
    page->downloadAction()->trigger();
    user.stop();

    ASSERT_GE(cancelledAt, 0) << "no wait window with its button showed";
    EXPECT_GE(shownAt, TWaitWindowHost::kShowAfterMs - 50);
    // Nothing changed: no file, the item as it was, no error box, and the key went nowhere.
    EXPECT_TRUE(QDir(SystemsFolder()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(list->listModel()->cellText(row, 6), QString());
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(standIn.count(kDataPath), 1);
    QApplication::processEvents();
    EXPECT_EQ(list->selectedRows().size(), 2);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<TFormWait *>(w) && w->isVisible());
    // With no request running the same key moves the selection.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->selectedRows().size(), 1);
}

TEST_F(SystemsPageTest, ARefreshTheUserCancelsKeepsTheList)
{
    start();
    struct : IBlockingWaitHost {
        void begin(const QString &) override {}
        bool poll() override { return true; } // "Отмена"
        void end() override {}
    } user;
    SetBlockingWaitHost(&user);
    page->refreshAction()->trigger();
    SetBlockingWaitHost(nullptr);
    EXPECT_EQ(page->list()->listModel()->rowCount(), 3);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(SystemsPageTest, WithoutACatalogueHostTheLineReadsWholeAndAddingSaysWhyFirst)
{
    folder.write(u"Vendra.ini"_s, "[USER]\r\nName=Я\r\nMail=me@example.org\r\n");
    start();
    TQSortListView *list = page->list();
    ASSERT_EQ(list->listModel()->rowCount(), 1);
    EXPECT_EQ(list->listModel()->cellText(0, 0), u"Список систем не доступен!");
    EXPECT_EQ(list->columnSpan(0, 0), list->listModel()->columnCount());
    EXPECT_EQ(messages.count(), 0);

    int dialogs = 0;
    page->setSystemDialog([&](tSystemData &, bool) {
        ++dialogs;
        return false;
    });
    page->updateActions();
    ASSERT_TRUE(page->addAction()->isEnabled());
    page->addAction()->trigger();
    EXPECT_EQ(dialogs, 0);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Ошибка добавления системы!\r\rАдрес сервера каталога не задан"))
        << messages.last().text.toStdString();
    EXPECT_EQ(standIn.server().requestCount(), 0);
}

TEST_F(SystemsPageTest, SystemGamesStakeTheDownloadedSystemOverTheListsNumbers)
{
    start();
    standIn.result(kDataPath, "<row><clist>" + systemLines(30, 10).toBase64() + "</clist></row>");
    const int row = page->rowOf(page->library().indexOfId(12));
    page->list()->setSelectedRow(row);
    page->updateActions();
    page->downloadAction()->trigger();
    ASSERT_TRUE(folder.exists(u"Systems/6-10-3_0012.dat"_s));

    // Ten numbers in the list: 3 7 12 18 21 25 first, then 30 33 40 44.
    TCombsArray combs;
    for (const std::array<uint8_t, 6> &c : {std::array<uint8_t, 6>{3, 7, 12, 18, 21, 25},
                                            std::array<uint8_t, 6>{30, 21, 18, 12, 7, 3},
                                            std::array<uint8_t, 6>{3, 33, 40, 44, 7, 12}}) {
        TComb comb;
        comb.n = c;
        combs.push_back(comb);
    }
    window->combsPage()->combs().assign(combs);
    StatList().Config.cost = 30000;
    page->updateActions();
    ASSERT_TRUE(page->stakeAllAction()->isEnabled());
    QString comment;
    page->setMultiDialog([&comment](int &, int &, QString &c) {
        comment = c;
        return true;
    });
    const int64_t before = window->stakes().count();
    page->stakeAllAction()->trigger();
    EXPECT_EQ(comment, u"Системная игра для 10 чисел [вся система]: 6-10-3_0012");
    EXPECT_EQ(window->stakes().count(), before + 30);
    const TStakeRec last = window->stakes().readRecord(TStakeOrigin::End, -1);
    EXPECT_EQ(last.kind, STAKE_SYSTEM);
    EXPECT_EQ(last.sampleSize, 30);
    EXPECT_EQ(last.profit, -30000); // minus the cost, as for every other stake
    // Line 30 is "1 2 3 4 5 10": the numbers at those places, sorted.
    EXPECT_EQ(last.numbers.numbers, (std::array<uint8_t, 8>{3, 7, 12, 18, 21, 44, 0, 0}));

    // The filtered game stakes only "1 2 3 4 5 6" (the first list entry) and "1 2 3 4 5 7" (the
    // second, in another order), each as often as the system has it: six times each.
    page->stakeFilterAction()->trigger();
    EXPECT_EQ(comment, u"Системная игра для 10 чисел [комбинации]: 6-10-3_0012");
    const int64_t filtered = window->stakes().count() - (before + 30) - 1; // after a separator
    EXPECT_EQ(filtered, 12);
    EXPECT_EQ(window->stakes().readRecord(TStakeOrigin::End, -1).sampleSize, 3);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(SystemsPageTest, CtrlJBelongsToTheScenarioPageWhileItIsShownAndToTheSystemsElsewhere)
{
    start();
    // Records the command a key reaches and keeps it from running.
    struct Reached : QObject {
        std::vector<QString> names;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() != QEvent::Shortcut)
                return false;
            names.push_back(watched->objectName() + (static_cast<QShortcutEvent *>(event)->isAmbiguous() ? u"?"_s : u""_s));
            return true;
        }
    } reached;
    QAction *open = window->scenarioPage()->findChild<QAction *>(u"ScriptOpen"_s);
    ASSERT_NE(open, nullptr);
    for (QAction *a : {open, page->onAction(), page->stakeAllAction(), page->stakeFilterAction()})
        a->installEventFilter(&reached);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const auto press = [&](QWidget *focus, QKeyCombination key) {
        focus->setFocus();
        reached.names.clear();
        QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        return reached.names;
    };
    const QKeyCombination ctrlJ = Qt::CTRL | Qt::Key_J;
    QWidget *drawsList = window->drawsPanel()->list();

    // The scenario page shown: Ctrl+J opens a scenario wherever the focus is (in its list or in the
    // draws list beside it) and never hides the systems page; the systems menu shows no Ctrl+J then.
    window->mainPages()->setCurrentWidget(window->scenarioPage());
    QApplication::processEvents();
    EXPECT_EQ(press(window->scenarioPage()->scriptsList(), ctrlJ), std::vector<QString>{u"ScriptOpen"_s});
    EXPECT_EQ(press(drawsList, ctrlJ), std::vector<QString>{u"ScriptOpen"_s});
    EXPECT_TRUE(page->onAction()->shortcut().isEmpty());
    EXPECT_EQ(open->shortcut(), QKeySequence(ctrlJ));
    // The system games keep their own keys: nothing else has them.
    EXPECT_EQ(press(drawsList, Qt::ALT | Qt::Key_J), std::vector<QString>{u"SystemStakeFilter"_s});

    // Any other page: Ctrl+J is the systems page's switch again, from anywhere.
    for (QWidget *other : {static_cast<QWidget *>(window->statisticsPage()), static_cast<QWidget *>(page)}) {
        window->mainPages()->setCurrentWidget(other);
        QApplication::processEvents();
        EXPECT_EQ(page->onAction()->shortcut(), QKeySequence(ctrlJ));
        EXPECT_EQ(press(drawsList, ctrlJ), std::vector<QString>{u"SystemsOn"_s});
    }
}
