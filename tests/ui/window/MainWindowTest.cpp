#include "lottery/DrawDates.h"
#include "common/DataFolderLock.h"
#include "common/RegularFile.h"
#include "common/IniFile.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempDataFolder.h"
#include "ui/draws/DrawDialog.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/window/FormMain.h"
#include "common/widgets/ListView.h"
#include "common/widgets/WaitWindow.h"
#include "ui/scenarios/ScenarioPage.h"
#include "ui/statistics/StatisticsPage.h"
#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include "app/draws/DrawsArchive.h"
#include "app/draws/ResultsSiteDates.h"

#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QLabel>
#include <QLayout>
#include <QSpinBox>
#include <QApplication>
#include <QTableView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include "ui/combinations/CombsPage.h"
#include <gtest/gtest.h>

#include <optional>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// A real-looking archive: draws numbered up to the newest, weekly dates, numbers from a fixed sequence.
TDrawsArray realLookingDraws(int count, int newest)
{
    TDrawsArray draws;
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) % 45 + 1; };
    for (int i = 0; i < count; ++i) {
        TDrawRec d;
        d.number = newest - count + 1 + i;
        std::array<bool, 46> used{};
        for (int k = 0; k < 8; ++k) {
            uint32_t n;
            do
                n = next();
            while (used[n]);
            used[n] = true;
            if (k < 6)
                d.main[static_cast<size_t>(k)] = static_cast<uint8_t>(n);
            else
                d.extra[static_cast<size_t>(k - 6)] = static_cast<uint8_t>(n);
        }
        d.setDateText(FormatResultsDate(EncodeDate(1986, 1, 4) + 7 * i));
        draws.push_back(d);
    }
    return draws;
}

// Options of a test run: no download and no update check at start unless a test asks for them.
void seedQuietStart(const TempDataFolder &folder)
{
    if (!folder.exists(u"Vendra.frm"_s))
        folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n");
}

struct Started {
    explicit Started(const TStartSwitches &switches = {}) : window(switches)
    {
        window.FormCreate();
        window.tmrInitTimer();
    }
    TFormMain window;
};

} // namespace

TEST(MainWindow, EmptyFolderStartsWithDesignedPanels)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    ScriptedMessages boxes;
    Started s;
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_TRUE(s.window.windowTitle().startsWith(u"Анализ статистики лотереи \"Vendra 6 из 45\" версия "));
    EXPECT_EQ(s.window.statusPanel(0)->text(), u"Архив тиражей: 0");
    EXPECT_EQ(s.window.statusPanel(1)->text(), u"Следующий тираж: 0");
    EXPECT_EQ(s.window.statusPanel(3)->text(), u"Комбинаций: 8145060"); // the full list by default
    EXPECT_EQ(s.window.allCombinationsCount(), 8145060);
    EXPECT_EQ(s.window.matchCounts()[0], 3262623);
    EXPECT_EQ(s.window.matchCounts()[6], 1);
    // No archive is written by starting; the stakes file is the one the program holds open.
    EXPECT_FALSE(folder.exists(u"Vendra.ldr"_s));
    EXPECT_TRUE(folder.exists(u"Vendra.lsk"_s));
    EXPECT_FALSE(folder.exists(u"Vendra.ini"_s));
}

TEST(MainWindow, ArchiveShownNewestFirst)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    const TDrawsArray draws = realLookingDraws(2000, 4100);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(draws));
    ScriptedMessages boxes;
    Started s;
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(s.window.statusPanel(0)->text(), u"Архив тиражей: 2000");
    EXPECT_EQ(s.window.statusPanel(1)->text(), u"Следующий тираж: 4102");
    QAbstractItemModel *model = s.window.drawsPanel()->list()->model();
    ASSERT_EQ(model->rowCount(), 2000);
    const TDrawRec &newest = draws.back();
    EXPECT_EQ(model->index(0, 0).data().toInt(), 4100);
    EXPECT_EQ(model->index(0, 1).data().toInt(), newest.main[0]);
    EXPECT_EQ(model->index(0, 9).data().toInt(), newest.mainSum());
    EXPECT_EQ(model->index(0, 10).data().toString(), newest.dateText());
    EXPECT_EQ(model->index(1999, 0).data().toInt(), 2101);
    EXPECT_EQ(model->headerData(10, Qt::Horizontal).toString(), u"Дата тиража");
    // The row at the offset is highlighted.
    EXPECT_EQ(model->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 170, 170));
}

TEST(MainWindow, OffsetHidesNewestDraws)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    const TDrawsArray draws = realLookingDraws(10, 100);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(draws));
    ScriptedMessages boxes;
    Started s;
    int refreshed = 0;
    s.window.addView([&](bool) { ++refreshed; });
    s.window.drawsPanel()->offsetEdit()->setValue(3);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(s.window.statusPanel(1)->text(), u"Следующий тираж: 99"); // the 4th newest (97) + 2
    EXPECT_EQ(s.window.statusPanel(2)->text(), DrawNumbersText(draws, 3));
    const auto &hidden = s.window.drawsPanel()->hiddenDrawNumbers();
    EXPECT_EQ(static_cast<int>(hidden.count()), 6);
    for (uint8_t n : draws[7].main)
        EXPECT_TRUE(hidden.test(n));
    QAbstractItemModel *model = s.window.drawsPanel()->list()->model();
    EXPECT_EQ(model->index(3, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 170, 170));
    EXPECT_EQ(s.window.drawsPanel()->offsetEdit()->maximum(), 9);
}

TEST(MainWindow, AddEditDeleteChangeTheFile)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(5, 50)));
    ScriptedMessages boxes;
    Started s;
    TDrawsPanel *panel = s.window.drawsPanel();
    QString caption;
    panel->setDrawDialog([&](const QString &c, TDrawRec &d) {
        caption = c;
        EXPECT_EQ(d.number, 52);
        d.main = {1, 2, 3, 4, 5, 6};
        d.extra = {7, 8};
        d.setDateText(u"5 Jan 2015"_s);
        return true;
    });
    panel->drawsAdd();
    EXPECT_EQ(caption, u"Введите данные следующего тиража");
    TDrawsArray onDisk = ParseDrawsFile(folder.read(u"Vendra.ldr"_s));
    ASSERT_EQ(onDisk.size(), 6u);
    EXPECT_EQ(onDisk.back().number, 52);
    EXPECT_EQ(onDisk.back().dateText(), u"5 Jan 2015");
    EXPECT_EQ(s.window.statusPanel(0)->text(), u"Архив тиражей: 6");

    // Draw numbers rise through the archive: an edit that would give the newest draw the number of
    // an older one is refused, and the file stays as it was.
    const QByteArray beforeEdit = folder.read(u"Vendra.ldr"_s);
    panel->setDrawDialog([](const QString &, TDrawRec &d) {
        d.number = 49;
        return true;
    });
    panel->list()->selectRow(0); // the newest, now numbered 52
    panel->drawsEdit();
    EXPECT_EQ(boxes.last().text, u"Номер тиража 49 должен быть больше номера предыдущего тиража архива (50)!");
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), beforeEdit);
    panel->setDrawDialog([](const QString &, TDrawRec &d) {
        d.number = 51;
        return true;
    });
    panel->list()->selectRow(0);
    panel->drawsEdit();
    onDisk = ParseDrawsFile(folder.read(u"Vendra.ldr"_s));
    EXPECT_EQ(onDisk.back().number, 51);
    EXPECT_EQ(onDisk.back().main, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));

    panel->list()->clearSelection();
    panel->list()->selectRow(0);
    boxes.answer(IDYES);
    panel->drawsDel();
    EXPECT_EQ(boxes.last().text, u"Удалить выделенную запись?");
    onDisk = ParseDrawsFile(folder.read(u"Vendra.ldr"_s));
    ASSERT_EQ(onDisk.size(), 5u);
    EXPECT_EQ(onDisk.back().number, 50);
    EXPECT_EQ(onDisk[3].number, 49);

    // No answer Yes: nothing deleted.
    panel->list()->selectRow(1);
    panel->drawsDel();
    EXPECT_EQ(ParseDrawsFile(folder.read(u"Vendra.ldr"_s)).size(), 5u);
}

TEST(MainWindow, SortedOptionChangesDisplayOnly)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    TDrawsArray draws = realLookingDraws(3, 10);
    draws.back().main = {40, 3, 22, 1, 9, 17};
    folder.write(u"Vendra.ldr"_s, SerializeDraws(draws));
    const QByteArray before = folder.read(u"Vendra.ldr"_s);
    ScriptedMessages boxes;
    Started s;
    int full = 0;
    s.window.addView([&](bool f) { full += f; });
    QAbstractItemModel *model = s.window.drawsPanel()->list()->model();
    EXPECT_EQ(model->index(0, 1).data().toInt(), 40);
    s.window.drawsPanel()->drawsSorted();
    EXPECT_EQ(model->index(0, 1).data().toInt(), 1);
    EXPECT_EQ(model->index(0, 6).data().toInt(), 40);
    EXPECT_EQ(full, 1);
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), before);
}

TEST(MainWindow, SecondCopyOnTheSameFolderIsRefused)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(3, 10)));
    const QByteArray before = folder.read(u"Vendra.ldr"_s);
    ScriptedMessages boxes;
    Started first;
    const QByteArray frmBefore = folder.read(u"Vendra.frm"_s);
    Started second;
    // The second copy touches no data file: it hears only why it closes.
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Ошибка");
    EXPECT_TRUE(boxes.last().text.startsWith(u"Невозможно получить монопольный доступ к файлам данных!\r\r"));
    EXPECT_TRUE(boxes.last().text.endsWith(u"Программа будет закрыта!"));
    EXPECT_TRUE(second.window.batchFailed());
    EXPECT_EQ(second.window.drawsPanel()->list()->model()->rowCount(), 0);
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), before);
    // The refused copy leaves the settings of the folder to the copy that runs there.
    second.window.close();
    EXPECT_EQ(folder.read(u"Vendra.frm"_s), frmBefore);
    // It ends the program with a failure once the event loop runs, and leaves a later modal loop alone.
    QSignalSpy ended(&second.window, &TTemplateMain::ended);
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(ended.first().value(0).toInt(), 1);
    QDialog dialog;
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(7); });
    EXPECT_EQ(dialog.exec(), 7);
}

TEST(MainWindow, ACopyRefusedTheFolderReadsNothingOfIt)
{
    // Another copy holds the folder. A settings store that cannot be read would count a read failure
    // the moment anything of the folder is read: the refused copy reads nothing, not even its options.
    TempDataFolder folder;
    ASSERT_TRUE(QDir().mkdir(folder.file(u"Vendra.frm"_s)));
    folder.write(u"Vendra.lrt"_s, "x");
    TDataFolderLock other;
    ASSERT_TRUE(other.lock(folder.path()));
    const int failures = FileReadFailureCount();
    ScriptedMessages boxes;
    Started refused;
    EXPECT_EQ(FileReadFailureCount(), failures);
    EXPECT_TRUE(TakeDeferredFileReadFailures().isEmpty());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Невозможно получить монопольный доступ к файлам данных!\r\r"_s));
    EXPECT_TRUE(refused.window.batchFailed());
    EXPECT_FALSE(folder.exists(u"Vendra.lsk"_s)); // not even the stakes file is made
}

TEST(MainWindow, StartUpFailureNamesItsRealCause)
{
    // A damaged stakes file whose backup cannot be written: the start-up says exactly that, not that a
    // second copy runs, and the stakes file is left as it was.
    TempDataFolder folder;
    seedQuietStart(folder);
    folder.write(u"Vendra.lsk"_s, QByteArray(311, '\x02'));
    ASSERT_TRUE(QDir().mkpath(folder.file(u"Vendra.lsk.bak"_s))); // a folder stands where the copy goes
    ScriptedMessages boxes;
    Started s;
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка чтения файла ставок!\r\rФайл ставок поврежден, а его копию"_s))
        << boxes.last().text.toStdString();
    EXPECT_FALSE(boxes.last().text.contains(u"монопольный"_s));
    EXPECT_TRUE(boxes.last().text.endsWith(u"Программа будет закрыта!"_s));
    EXPECT_TRUE(s.window.batchFailed());
    EXPECT_EQ(folder.read(u"Vendra.lsk"_s), QByteArray(311, '\x02'));
}

TEST(MainWindow, UnreadableSettingsAreReportedAndTheProgramGoesOn)
{
    // A settings store linked to an endless device, and settings that are a FIFO: each is named once,
    // neither is waited for nor written over, and the program starts with its defaults.
    TempDataFolder folder;
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, folder.file(u"Vendra.frm"_s)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file(u"Vendra.ini"_s)).constData(), 0600), 0);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(3, 10)));
    ScriptedMessages boxes;
    boxes.answer(IDNO); // the download question of the default options
    {
        Started s;
        EXPECT_EQ(s.window.drawsPanel()->list()->model()->rowCount(), 3);
        EXPECT_FALSE(s.window.batchFailed());
    }
    QStringList texts;
    for (const auto &box : boxes.boxes())
        texts << box.text;
    const QString all = texts.join(u"\n"_s);
    EXPECT_TRUE(all.contains(u"Ошибка чтения файла \""_s + folder.file(u"Vendra.frm"_s) +
                             u"\"!\r\rЭто не обычный файл, а устройство."_s))
        << all.toStdString();
    EXPECT_TRUE(all.contains(u"Ошибка чтения файла \""_s + folder.file(u"Vendra.ini"_s) +
                             u"\"!\r\rЭто не обычный файл, а именованный канал."_s))
        << all.toStdString();
    EXPECT_EQ(all.count(folder.file(u"Vendra.ini"_s) + u"\"!\r\rЭто"_s), 1) << all.toStdString(); // named once
    EXPECT_TRUE(QFileInfo(folder.file(u"Vendra.frm"_s)).isSymLink());
    EXPECT_EQ(QFileInfo(folder.file(u"Vendra.frm"_s)).symLinkTarget(), u"/dev/zero"_s);
}

TEST(MainWindow, TemporariesOfKilledSavesGoAtTheNextStart)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    QTemporaryDir outside;
    const QString victim = QDir(outside.path()).filePath(u"victim.txt"_s);
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    folder.write(u"Vendra.ldr.k3x9q2ab.~tmp"_s, "half an archive");
    folder.write(u"Vendra.~tmp"_s, "half the stakes");
    ASSERT_TRUE(QDir().mkpath(folder.file(u"Prefetchs"_s)));
    folder.write(u"Prefetchs/Vendra_NUMS.dfc.a1b2c3d4.~tmp"_s, "half a file");
    ASSERT_TRUE(QFile::link(victim, folder.file(u"Vendra.ini.zzzzzzzz.~tmp"_s)));
    folder.write(u"notes.txt"_s, "the user's");
    // A system file half written, a system file in place, and the combinations buffer of a killed run.
    folder.write(u"Systems/6-09-3_0012.dat.q1w2e3r4.~tmp"_s, "1 2 3");
    folder.write(u"Systems/6-10-3_0013.dat"_s, "1 2 3 4 5 6\r\n");
    folder.write(u"Vendra.~buff"_s, QByteArray(6 * 1000, '\x01'));
    ScriptedMessages boxes;
    std::optional<Started> s(std::in_place);
    EXPECT_FALSE(folder.exists(u"Vendra.ldr.k3x9q2ab.~tmp"_s));
    EXPECT_FALSE(folder.exists(u"Vendra.~tmp"_s));
    EXPECT_FALSE(folder.exists(u"Prefetchs/Vendra_NUMS.dfc.a1b2c3d4.~tmp"_s));
    EXPECT_FALSE(folder.exists(u"Systems/6-09-3_0012.dat.q1w2e3r4.~tmp"_s));
    EXPECT_TRUE(folder.exists(u"Systems/6-10-3_0013.dat"_s));
    EXPECT_FALSE(folder.exists(u"Vendra.~buff"_s));
    // The buffer is a cache of one run: it goes when the program ends too.
    folder.write(u"Vendra.~buff"_s, QByteArray(6, '\x01'));
    s.reset();
    EXPECT_FALSE(folder.exists(u"Vendra.~buff"_s));
    EXPECT_FALSE(QFileInfo(folder.file(u"Vendra.ini.zzzzzzzz.~tmp"_s)).isSymLink());
    EXPECT_TRUE(folder.exists(u"notes.txt"_s));
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), "keep me"); // a link is removed, never followed
}

TEST(MainWindow, StartDownloadQuestionAnsweredNo)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nAutoUpdates=0\r\nFirstRun=0\r\n");
    folder.write(u"Vendra.ini"_s, "[DOWNLOAD]\r\nResultsHost=127.0.0.1:" + QByteArray::number(ClosedLocalPort()) + "\r\n");
    ScriptedMessages boxes;
    Started s;
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Подтверждение");
    EXPECT_EQ(boxes.last().text,
              u"Обновить список тиражей?\r\rДля выполнения обновления необходимо действующее подключение к сети Интернет.");
    EXPECT_EQ(s.window.lastDownload().total, 0);
    EXPECT_FALSE(folder.exists(u"Vendra.ldr"_s));
}

TEST(MainWindow, AFailedDownloadAsksWithoutTheWaitWindowAndYesShowsItAgain)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=1\r\nAutoUpdates=0\r\nFirstRun=0\r\n");
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(3, 10)));
    folder.write(u"Vendra.ini"_s, "[DOWNLOAD]\r\nResultsHost=127.0.0.1:" + QByteArray::number(ClosedLocalPort()) + "\r\n");
    // The user sees the question alone: no wait window, whole or in part, about it. After "Да" the wait
    // window is back while the month is fetched again.
    struct Look {
        bool waitVisible;
        int waitShows;
    };
    std::vector<Look> looks;
    int shows = 0;
    struct ShowCounter : QObject {
        int *shows;
        explicit ShowCounter(int *s) : shows(s) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            *shows += e->type() == QEvent::Show;
            return false;
        }
    } counter(&shows);
    ScriptedMessages boxes;
    boxes.answer(IDYES);
    boxes.answer(IDNO);
    boxes.onShow([&](const ScriptedMessages::Box &) {
        TFormWait *wait = WaitWindow();
        if (wait && looks.empty())
            wait->installEventFilter(&counter);
        looks.push_back({wait && wait->isVisible(), shows});
    });
    Started s;
    ASSERT_EQ(boxes.count(), 2);
    for (const auto &box : boxes.boxes())
        EXPECT_TRUE(box.text.endsWith(u"Повторить попытку?"_s)) << box.text.toStdString();
    EXPECT_FALSE(looks[0].waitVisible);
    EXPECT_FALSE(looks[1].waitVisible);
    EXPECT_GE(looks[1].waitShows, 1);
    EXPECT_EQ(WaitWindow(), nullptr); // "Нет" ended the download, and its wait with it
    EXPECT_FALSE(s.window.lastDownload().ok);
}

TEST(MainWindow, LoadOnlyWithServerDownFailsWithoutTouchingTheArchive)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(3, 10)));
    const QByteArray before = folder.read(u"Vendra.ldr"_s);
    folder.write(u"Vendra.ini"_s, "[DOWNLOAD]\r\nResultsHost=127.0.0.1:" + QByteArray::number(ClosedLocalPort()) + "\r\n");
    ScriptedMessages boxes; // stands for standard error: no question may wait for an answer
    TStartSwitches batch;
    batch.loadOnly = true;
    Started s(batch);
    EXPECT_FALSE(s.window.lastDownload().ok);
    EXPECT_TRUE(s.window.batchFailed());
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), before);
}

TEST(MainWindow, PlacementOptionsAndLayoutSurviveARestart)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(3, 10)));
    ScriptedMessages boxes;
    {
        Started s;
        s.window.resize(900, 640);
        s.window.drawsPanel()->list()->setColumnWidth(0, 77);
        s.window.drawsPanel()->drawsSorted();
        s.window.statisticsPage()->table()->setSort(6, sdDescending);
        s.window.close();
    }
    const IniFile frm(folder.file(u"Vendra.frm"_s));
    EXPECT_TRUE(frm.readBool(u"TTemplateMain"_s, u"SortedDraws"_s, false));
    EXPECT_EQ(frm.readString(u"TTemplateMain"_s, u"lvDraws.Column0"_s), u"77");
    EXPECT_TRUE(frm.valueExists(u"TTemplateMain"_s, u"NormPos"_s));
    EXPECT_TRUE(frm.valueExists(u"TTemplateMain"_s, u"LeftPanelWidth"_s));
    Started again;
    EXPECT_EQ(again.window.drawsPanel()->list()->columnWidth(0), 77);
    EXPECT_TRUE(again.window.drawsPanel()->sortedAction()->isChecked());
    EXPECT_EQ(again.window.size(), QSize(900, 640));
    EXPECT_EQ(again.window.statisticsPage()->table()->sortColumn(), 6);
    EXPECT_EQ(again.window.statisticsPage()->table()->sortDirection(), sdDescending);
}

TEST(MainWindow, DamagedSettingsStillStart)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nFirstRun=0\r\nAutoUpdates=0\r\nDownloadDrawsOnStart=5\r\nSortedDraws=yes\r\nLeftPanelWidth=-4\r\n"
                                  "lvDraws.SortType=99,7\r\nlvDraws.Column0=abc\r\nNormPos=1,2,x\r\nShowCmd=3\r\n[broken");
    ScriptedMessages boxes;
    Started s;
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_FALSE(s.window.drawsPanel()->sortedAction()->isChecked());
    EXPECT_EQ(s.window.drawsPanel()->list()->columnWidth(0), 54);
}

TEST(DrawDialog, ValidationKeepsTheDialogOpenAndReadsBack)
{
    InstallResultsDateHooks();
    ScriptedMessages boxes;
    TFormDraw dialog;
    TDrawRec draw;
    draw.number = 4102;
    draw.main = {5, 12, 18, 30, 33, 41};
    draw.extra = {7, 22};
    draw.setDateText(u"5 Jan 2015"_s);
    dialog.fill(draw, true);
    EXPECT_EQ(dialog.dataEdit()->text(), u"5;12;18;30;33;41;7;22");
    EXPECT_EQ(dialog.dateEdit()->date(), QDate(2015, 1, 5));

    dialog.dataEdit()->setText(u"5;12;18;30;33;33;7;22"_s);
    EXPECT_FALSE(dialog.pressOk());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Введена некорректная комбинация!");
    EXPECT_EQ(boxes.last().caption, u"Ошибка");

    // A supplementary number is one of the eight different numbers of the draw too.
    dialog.dataEdit()->setText(u"1,2,3,4,5,6,1,9"_s);
    EXPECT_FALSE(dialog.pressOk());
    EXPECT_EQ(boxes.count(), 2);

    dialog.dataEdit()->setText(u"1,2,3,4,5,6,45,9"_s);
    EXPECT_TRUE(dialog.pressOk());
    TDrawRec back = draw;
    dialog.readBack(back);
    EXPECT_EQ(back.main, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(back.extra, (std::array<uint8_t, 2>{45, 9}));
    EXPECT_EQ(back.dateText(), u"5 Jan 2015"); // the date is kept unless the pickers change it

    dialog.dateEdit()->setDate(QDate(2016, 2, 29));
    dialog.readBack(back);
    EXPECT_EQ(back.dateText(), u"29 Feb 2016");
}

TEST(DrawDialog, ADrawThatBreaksTheArchiveOrderKeepsTheDialogOpen)
{
    // The archive 10 (4 Jan 1986), 11 and 13 (11 Jan 1986): a new draw must come after 13; the draw 11
    // edited stays between 10 and 13. Dates follow the numbers, and none is to come yet.
    const TDrawsArray draws = realLookingDraws(2, 11);
    TDrawsArray archive = draws;
    TDrawRec thirteen = draws.back();
    thirteen.number = 13;
    archive.push_back(thirteen);
    ScriptedMessages boxes;
    struct Case {
        int index; // where the draw goes: the count for a new one
        int number;
        QString date;
        QString message;
    };
    const Case cases[] = {
        {3, 13, u"11 Jan 1986"_s, u"Номер тиража 13 должен быть больше номера предыдущего тиража архива (13)!"_s},
        {3, 12, u"11 Jan 1986"_s, u"Номер тиража 12 должен быть больше номера предыдущего тиража архива (13)!"_s},
        {3, 14, u"11 Jan 1986"_s, {}},
        {1, 13, u"11 Jan 1986"_s, u"Номер тиража 13 должен быть меньше номера следующего тиража архива (13)!"_s},
        {1, 10, u"11 Jan 1986"_s, u"Номер тиража 10 должен быть больше номера предыдущего тиража архива (10)!"_s},
        {1, 12, u"11 Jan 1986"_s, {}},
        {3, 14, u"10 Jan 1986"_s,
         u"Дата тиража 14 (10 Jan 1986) не может быть раньше даты предыдущего тиража архива № 13 (11 Jan 1986)!"_s},
        {3, 14, u"6 Jan 2099"_s, u"Дата тиража 14 (6 Jan 2099) еще не наступила!"_s},
    };
    for (const Case &c : cases) {
        boxes.clear();
        TFormDraw dialog;
        TDrawRec draw = archive.front();
        draw.number = c.number;
        draw.setDateText(c.date);
        dialog.fill(draw, false);
        dialog.setDrawCheck([&](const TDrawRec &d) {
            return DrawEntryProblem(d, DrawNeighboursAt(archive, c.index), EncodeDate(2024, 4, 10));
        });
        EXPECT_EQ(dialog.pressOk(), c.message.isEmpty()) << c.number;
        if (c.message.isEmpty()) {
            EXPECT_EQ(boxes.count(), 0);
        } else {
            ASSERT_EQ(boxes.count(), 1);
            EXPECT_EQ(boxes.last().text, c.message);
        }
    }
}

TEST(DrawDialog, UnreadableStoredDateIsKept)
{
    InstallResultsDateHooks();
    TFormDraw dialog;
    TDrawRec draw;
    draw.number = 7;
    draw.main = {1, 2, 3, 4, 5, 6};
    draw.extra = {7, 8};
    draw.setDateText(u"?? bad ??"_s);
    dialog.fill(draw, true);
    TDrawRec back;
    dialog.readBack(back);
    EXPECT_EQ(back.dateText(), u"?? bad ??");
    EXPECT_EQ(back.number, 7);
}

TEST(MainWindow, StatisticsTabFollowsTheArchive)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(200, 300)));
    ScriptedMessages boxes;
    Started s;
    s.window.show();
    TStatisticsPage *page = s.window.statisticsPage();
    ASSERT_GT(page->methodCombo()->count(), 0);
    page->CalcDrawsStat(false);
    ASSERT_GT(page->rowCount(), 0);
    int total = 0;
    for (int r = 0; r < page->rowCount(); ++r)
        total += page->rowAt(r)->rec.Count;
    const int computed = page->computations();

    // Hiding the newest draw through the offset recomputes the table over the draws before it.
    s.window.drawsPanel()->offsetEdit()->setValue(1);
    EXPECT_GT(page->computations(), computed);
    // Deleting a draw changes the archive and the table with it.
    const int beforeDelete = page->computations();
    s.window.drawsPanel()->list()->selectRow(150);
    boxes.answer(IDYES);
    s.window.drawsPanel()->drawsDel();
    EXPECT_GT(page->computations(), beforeDelete);
    EXPECT_GT(total, 0);
    EXPECT_EQ(boxes.count(), 1);
}

TEST(MainWindow, CtrlZInTheStatisticsTableUndoesItsFilter)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(200, 300)));
    ScriptedMessages boxes;
    Started s;
    s.window.show();
    QApplication::setActiveWindow(&s.window);
    TStatisticsPage *page = s.window.statisticsPage();
    page->CalcDrawsStat(false);
    ASSERT_GT(page->rowCount(), 0);
    QTableView *table = page->table();
    table->selectRow(0);
    QAction *keep = page->findChild<QAction *>(u"StatFilter_Include"_s);
    ASSERT_NE(keep, nullptr);
    s.window.combsPage()->updateActions();
    keep->trigger();
    const qint64 filtered = s.window.combsPage()->combsList()->model()->rowCount();
    ASSERT_LT(filtered, 8145060);

    // The key works where the user just filtered, as the menu command does.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(s.window.combsPage()->combsList()->model()->rowCount(), 8145060);
    EXPECT_EQ(boxes.count(), 0);
}

// Long texts in the status bars (an operation's free text, a scenario filter of many values) are cut
// at the window's edge: the window keeps the size the user gave it.
TEST(MainWindow, LongStatusTextsNeverWidenTheWindow)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    ScriptedMessages boxes;
    Started s;
    s.window.resize(1200, 760);
    s.window.show();
    QApplication::processEvents();
    const int width = s.window.width();
    const QString longText = u"Фильтр 1 из 1: TSD1#NUMS:10#LDV:"_s + QString(u"1,2,3,4,5,6,7,8,9,10,"_s).repeated(60);

    s.window.ShowStatusText(longText);
    s.window.scenarioPage()->statusPanel(TScenarioPage::kStatusPanels - 1)->setText(longText);
    s.window.scenarioPage()->show();
    for (QLayout *layout : s.window.findChildren<QLayout *>())
        layout->activate();
    QApplication::processEvents();

    EXPECT_EQ(s.window.width(), width);
    EXPECT_LT(s.window.minimumSizeHint().width(), width);
    s.window.ShowStatusText({});
}

// At every screen size the window fits, buttons and a grid's last caption begun in view read whole (the
// rest goes to the toolbar's overflow menu), and the status bar shows how far an operation got.
TEST(MainWindow, CaptionsAndProgressReadWholeAtEverySize)
{
    TempDataFolder folder;
    seedQuietStart(folder);
    folder.write(u"Vendra.ldr"_s, SerializeDraws(realLookingDraws(200, 300)));
    ScriptedMessages boxes;
    Started s;
    const QString progress = u"Анализ тиражей и расчет статистики ( завершено 100 % )..."_s;
    for (const QSize size : {QSize(800, 600), QSize(1200, 760), QSize(1600, 900)}) {
        const std::string at = std::to_string(size.width());
        s.window.resize(size);
        s.window.show();
        for (const QString &name : {u"tsDrawsStat"_s, u"tsGraphs"_s, u"tsStakes"_s}) {
            QWidget *page = s.window.mainPages()->findChild<QWidget *>(name);
            s.window.mainPages()->setCurrentWidget(page);
            QApplication::processEvents();
            EXPECT_LE(s.window.width(), size.width()) << at;
            for (const QAbstractButton *b : page->findChildren<QAbstractButton *>())
                EXPECT_TRUE(!b->isVisible() || b->width() >= b->sizeHint().width()) << at << b->text().toStdString();
            for (const QTableView *grid : page->findChildren<QTableView *>()) {
                const QHeaderView *header = grid->horizontalHeader();
                const int last = header->logicalIndex(header->count() - 1), room = header->viewport()->width();
                const QString caption = grid->model()->headerData(last, Qt::Horizontal).toString();
                if (grid->isVisible() && header->sectionViewportPosition(last) < room) {
                    EXPECT_GE(room - header->sectionViewportPosition(last), HeaderCaptionWidth(header, caption)) << at;
                }
            }
            SaveScreenshot(s.window, u"window-%1-%2"_s.arg(name).arg(size.width()));
        }
        // The share done reads whole; at the usual size and more the whole text beside the counts.
        s.window.ShowStatusText(progress);
        QApplication::processEvents();
        const QLabel *panel = s.window.statusPanel(6);
        EXPECT_TRUE(panel->text().endsWith(u"( завершено 100 % )...")) << at;
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width()) << at;
        for (const int count : {0, 4, 5}) // the counts stay in view beside it
            EXPECT_TRUE(s.window.statusPanel(count)->isVisible()) << at;
        SaveScreenshot(s.window, u"window-status-%1"_s.arg(size.width()));
        s.window.ShowStatusText({});
    }
    EXPECT_EQ(boxes.count(), 0);
}
