// The scenario runs in the real main window (offscreen): the commands, the status panels, the stop and
// the close query during a run.
#include "common/Cp1251.h"
#include "tests/support/RecordingProcesses.h"
#include "tests/support/Screenshots.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/window/FormMain.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/scenarios/ScenarioRunFeature.h"
#include "ui/stakes/StakesFeature.h"
#include "ui/stakes/StakesPage.h"
#include "common/widgets/StringGrid.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/draws/DrawsArchive.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TDrawsArray smallArchive(int count)
{
    TDrawsArray draws;
    for (int i = 0; i < count; ++i) {
        TDrawRec d;
        d.number = 2 * (i + 1);
        for (int k = 0; k < 6; ++k)
            d.main[size_t(k)] = uint8_t((i * 7 + k * 5) % 45 + 1);
        d.setDateText(u"5 Jan 2015"_s);
        draws.push_back(d);
    }
    return draws;
}

// A data folder with an archive, a scenario and the universe of the numbers 1..8 (or every combination).
struct Window {
    explicit Window(int draws, const QStringList &lines, bool everyCombination = false, bool logging = false)
    {
        folder.write(u"Vendra.frm"_s, QByteArray("[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n")
                                          + (logging ? "ScriptLogEnabled=1\r\n" : ""));
        folder.write(u"Vendra.ini"_s, everyCombination ? QByteArray("[STAKES]\r\nCost=10\r\n")
                                                       : QByteArray("[GLOBAL]\r\nCombsGenerateMode=2\r\n"
                                                                    "CombsGenerateParameters=1,2,3,4,5,6,7,8\r\n"));
        if (draws > 0)
            folder.write(u"Vendra.ldr"_s, SerializeDraws(smallArchive(draws)));
        folder.write(u"Vendra.lss"_s, lines.join(u"\r\n"_s).toUtf8() + "\r\n");
        window = std::make_unique<TFormMain>(TStartSwitches{});
        window->FormCreate();
        window->tmrInitTimer();
        feature = window->scenarioRun();
        // What the window's periodic check of the commands does once the start-up is over.
        feature->updateActions();
    }
    QString panel(int i) const { return window->scenarioPage()->statusPanel(i)->text(); }

    TempDataFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<TFormMain> window;
    TScenarioRunFeature *feature = nullptr;
};

const QString kLine = u"FULL:0#FIRST|TSD1#NUMS:10#LNO:#ST:2| | | | | | |"_s;

} // namespace

TEST(ScenarioRunFeature, CommandsSitInTheScenarioMenu)
{
    Window w(20, {kLine});
    QMenu *menu = w.window->findMenu(u"menuScript"_s);
    ASSERT_NE(menu, nullptr);
    auto find = [&](const QString &name) -> QAction * {
        for (QAction *a : menu->actions())
            if (a->objectName() == name)
                return a;
        return nullptr;
    };
    ASSERT_NE(find(u"ScriptRun"_s), nullptr);
    EXPECT_EQ(find(u"ScriptRun"_s)->text(), u"Прогноз"_s);
    EXPECT_EQ(find(u"ScriptRun"_s)->shortcut(), QKeySequence(Qt::Key_F10));
    EXPECT_EQ(find(u"ScriptTest"_s)->text(), u"Тест"_s);
    EXPECT_EQ(find(u"ScriptTest"_s)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F10));
    EXPECT_EQ(find(u"ScriptStop"_s)->text(), u"Стоп"_s);
    EXPECT_EQ(find(u"ScriptStop"_s)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    EXPECT_EQ(find(u"LogToggle"_s)->text(), u"Журнал выполнения сценария"_s);
    EXPECT_EQ(find(u"LogsDelete"_s)->text(), u"Удалить журналы выполнения сценариев"_s);
    EXPECT_TRUE(find(u"ScriptRun"_s)->isEnabled());
    EXPECT_TRUE(find(u"ScriptTest"_s)->isEnabled());
    EXPECT_FALSE(find(u"ScriptStop"_s)->isEnabled());

    // The log option is stored at once; with no log there is nothing to delete.
    find(u"LogToggle"_s)->trigger();
    EXPECT_TRUE(w.window->options().scriptLogEnabled);
    EXPECT_TRUE(w.folder.read(u"Vendra.frm"_s).contains("ScriptLogEnabled=1"));
    find(u"LogsDelete"_s)->trigger();
    ASSERT_EQ(w.boxes.count(), 1);
    EXPECT_EQ(w.boxes.last().text, u"Файлы журналов не найдены!"_s);
}

TEST(ScenarioRunFeature, ForecastStakesAndShowsItsPanels)
{
    Window w(20, {kLine});
    // On a small screen, the run's panels and the window's counts in view.
    w.window->resize(800, 600);
    w.window->show();
    w.window->mainPages()->setCurrentWidget(w.window->scenarioPage());
    w.feature->runAction()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(w.boxes.count(), 0);
    EXPECT_EQ(w.window->stakes().count(), 1);
    EXPECT_EQ(w.panel(4), u"Сценарий завершен!"_s);
    const QLabel *done = w.window->scenarioPage()->statusPanel(4);
    EXPECT_GE(done->contentsRect().width(), done->fontMetrics().horizontalAdvance(done->text()));
    for (const int count : {0, 4, 5})
        EXPECT_TRUE(w.window->statusPanel(count)->isVisible()) << count;
    EXPECT_EQ(w.panel(3), u"Ставок: 1"_s);
    EXPECT_EQ(w.panel(2), u"Строка: 1"_s);
    EXPECT_EQ(w.window->statusPanel(4)->text(), u"Ставок: 1"_s);
    // The stakes list shows the new stakes: with the scroll option on it stands on the last row.
    TStakesPage *stakes = w.window->findChild<TStakesPage *>();
    ASSERT_NE(stakes, nullptr);
    w.feature->updateActions();
    w.feature->runAction()->trigger();
    w.feature->updateActions();
    w.feature->runAction()->trigger();
    EXPECT_EQ(w.window->stakes().count(), 5); // a separator before each later run's stake
    EXPECT_EQ(stakes->grid()->row(), stakes->grid()->rowCount() - 1);
    // Back to idle: pages and commands enabled again.
    EXPECT_TRUE(w.window->combsPage()->isEnabled());
    EXPECT_TRUE(w.feature->runAction()->isEnabled());
}

TEST(ScenarioRunFeature, ALogNoProgramCanOpenIsNamedWithItsPlace)
{
    // A desktop with nothing to hand a text file to.
    struct NoViewer : IUrlOpener {
        NoViewer() { SetUrlOpener(this); }
        ~NoViewer() override { SetUrlOpener(nullptr); }
        void open(const QString &) override { throw ESystemError(u"xdg-open: команда не найдена"_s); }
    } noViewer;
    Window w(20, {kLine}, false, true);
    w.feature->runAction()->trigger();
    EXPECT_EQ(w.window->stakes().count(), 1);
    const QStringList logs = QDir(w.folder.path()).entryList({u"ScriptLog_*.txt"_s});
    ASSERT_EQ(logs.size(), 1);
    ASSERT_EQ(w.boxes.count(), 1);
    EXPECT_EQ(w.boxes.last().text,
              u"Журнал выполнения сценария сохранен в файле \""_s +
                  QDir::toNativeSeparators(QDir(w.folder.path()).filePath(logs.first())) +
                  u"\".\r\rОткрыть его не удалось: на этом компьютере нет программы, открывающей такие файлы.\r\r"
                  u"xdg-open: команда не найдена"_s);
}

TEST(ScenarioRunFeature, StopDuringATestAsksAndStops)
{
    Window w(30, {kLine, kLine});
    bool stopEnabled = false;
    bool pagesDisabled = false;
    QTimer::singleShot(0, w.window.get(), [&] {
        stopEnabled = w.feature->stopAction()->isEnabled();
        pagesDisabled = !w.window->combsPage()->isEnabled() && !w.window->drawsPanel()->isEnabled()
                        && !w.window->statisticsPage()->isEnabled();
        w.boxes.answer(IDYES);
        w.feature->stopAction()->trigger();
    });
    w.feature->setTestCountQuery([](int maximum) {
        EXPECT_EQ(maximum, 29);
        return 10;
    });
    w.feature->testAction()->trigger();
    EXPECT_TRUE(stopEnabled);
    EXPECT_TRUE(pagesDisabled);
    ASSERT_GE(w.boxes.count(), 1);
    EXPECT_EQ(w.boxes.boxes().front().text, u"Остановить выполнение сценария?"_s);
    // Stopped at its first stop check, before the first draw was hidden: nothing staked, the offset as
    // it was (a test stopped later stays at the draw it stopped at).
    EXPECT_EQ(w.window->stakes().count(), 0);
    EXPECT_EQ(w.window->drawsPanel()->drawsOffset(), 0);
    EXPECT_EQ(w.panel(4), u"Сценарий завершен!"_s);
    EXPECT_FALSE(w.feature->running());
    EXPECT_FALSE(w.feature->stopAction()->isEnabled());
}

TEST(ScenarioRunFeature, ClosingDuringARunClosesOnceTheRunHasEnded)
{
    Window w(30, {kLine});
    w.window->show();
    bool visibleAfterClose = false;
    QTimer::singleShot(0, w.window.get(), [&] {
        w.boxes.answer(IDYES);
        w.window->close();
        visibleAfterClose = w.window->isVisible();
    });
    w.feature->setTestCountQuery([](int) { return 20; });
    w.feature->testAction()->trigger();
    // The close was refused while the run was on the stack, and carried out after it.
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(w.feature->running());
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.window->isVisible());
}

TEST(ScenarioRunFeature, TestNeedsTwoDraws)
{
    Window w(1, {kLine});
    bool asked = false;
    w.feature->setTestCountQuery([&](int) {
        asked = true;
        return 1;
    });
    w.feature->testAction()->trigger();
    EXPECT_FALSE(asked);
    ASSERT_EQ(w.boxes.count(), 1);
    EXPECT_EQ(w.boxes.last().text, u"Для теста сценария в архиве должно быть не менее двух тиражей!"_s);
    EXPECT_EQ(w.window->stakes().count(), 0);
}

TEST(ScenarioRunFeature, TestOverTwentyDrawsShowsItsProgressAndItsCheckedStakes)
{
    RecordingProcessRunner processes;
    Window w(300,
             {u"FULL:0#FIRST|TSD1#SUMS:100#CLV:0#SF:0|TSF1#EVEN:30#CMV:8#SZ:0| | | | | |Суммы и чётные"_s, QString(),
              u"FULL:0#LAST|TSD1#NUMS:20#CLV:1#SF:0|TSF1#DIFM:50#CMV:5#ST:1| | | | | |Редкие числа"_s},
             true, true);
    w.window->resize(1400, 860);
    w.window->show();
    w.window->mainPages()->setCurrentWidget(w.window->scenarioPage());
    QStringList seen;
    bool stopped = false;
    int stoppedAt = 0;
    int offsetAtStop = -1;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const int cycle = w.feature->runner().cycle();
        if (cycle >= 4 && seen.isEmpty() && w.panel(4).startsWith(u"Фильтр"_s)) {
            seen = {w.panel(1), w.panel(2), w.panel(3), w.panel(4)};
            SaveScreenshot(*w.window, u"scenario-test-running"_s);
        }
        if (cycle >= 12 && !stopped) {
            stopped = true;
            stoppedAt = cycle;
            offsetAtStop = w.window->drawsPanel()->drawsOffset();
            w.boxes.answer(IDYES);
            w.feature->stopAction()->trigger();
        }
    });
    watch.start();
    w.feature->setTestCountQuery([](int maximum) {
        EXPECT_EQ(maximum, 299);
        return 20;
    });
    w.feature->testAction()->trigger();
    watch.stop();

    // The panels showed the cycle, the line and the variant being run.
    ASSERT_EQ(seen.size(), 4);
    EXPECT_TRUE(seen[0].startsWith(u"Цикл: "_s));
    EXPECT_TRUE(seen[1] == u"Строка: 1"_s || seen[1] == u"Строка: 3"_s) << seen[1].toStdString();
    EXPECT_TRUE(seen[2].startsWith(u"Ставок: "_s));
    EXPECT_TRUE(seen[3].startsWith(u"Фильтр 1 из 1: TSD#"_s)) << seen[3].toStdString();
    // Stopped in its 12th cycle (or a little later): it stays at the draw it stopped at, and the stakes
    // of the cycles before were checked.
    EXPECT_TRUE(stopped);
    EXPECT_GE(stoppedAt, 12);
    EXPECT_EQ(w.window->drawsPanel()->drawsOffset(), offsetAtStop);
    EXPECT_TRUE(offsetAtStop == 21 - stoppedAt || offsetAtStop == 22 - stoppedAt) << offsetAtStop;
    int checked = 0;
    w.window->stakes().forEachRecord(0, [&](int64_t, const TStakeRec &r) {
        checked += r.isStake() && r.isChecked();
        return true;
    });
    EXPECT_GE(checked, 2 * 11);
    w.window->mainPages()->setCurrentWidget(w.window->findChild<TStakesFeature *>()->stakesPage());
    SaveScreenshot(*w.window, u"scenario-test-stakes"_s);

    // The run log with its banners, handed to the desktop to open.
    const QStringList logs = QDir(w.folder.path()).entryList({u"ScriptLog_*.txt"_s});
    ASSERT_EQ(logs.size(), 1);
    const QString log = Cp1251::decode(w.folder.read(logs.first()));
    EXPECT_TRUE(log.contains(u"### ЗАПУСК СЦЕНАРИЯ "_s + QString(74, u'#')));
    EXPECT_TRUE(log.contains(u"=== Выполнение сценария для смещения 000020 "_s));
    EXPECT_TRUE(log.contains(u"### ВЫПОЛНЕНИЕ СЦЕНАРИЯ ПРЕРВАНО "_s));
    EXPECT_TRUE(log.contains(u"### ЗАВЕРШЕНИЕ СЦЕНАРИЯ "_s + QString(70, u'#')));
    ASSERT_FALSE(processes.starts().empty());
    EXPECT_TRUE(processes.last().command.arguments.join(u' ').contains(logs.first()))
        << processes.last().command.program.toStdString();
}
