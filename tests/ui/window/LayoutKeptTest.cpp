#include "common/FormStore.h"
#include "tests/support/Screenshots.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "tests/support/DrawsStatTestData.h"
#include "ui/window/FormMain.h"
#include "app/draws/DrawsArchive.h"
#include "common/widgets/ElidedComboBox.h"
#include "common/widgets/ExcelExportDialog.h"
#include "common/widgets/MessageViewer.h"
#include "lottery/stats/StatList.h"
#include "ui/charts/ChartWindow.h"
#include "ui/combinations/GenCombsDialog.h"
#include "ui/draws/DrawDialog.h"
#include "ui/draws/InfoWindow.h"
#include "ui/scenarios/FilterDialog.h"
#include "ui/scenarios/ScenarioLineDialog.h"
#include "ui/scenarios/ScrPublicDialog.h"
#include "ui/scenarios/ScrRatesDialog.h"
#include "ui/scenarios/TestCountDialog.h"
#include "ui/stakes/StakeDialog.h"
#include "ui/stakes/SystemDialog.h"
#include "ui/stakes/TableDialog.h"
#include "ui/statistics/ConfigDialog.h"
#include "ui/statistics/FavouritesDialog.h"
#include "ui/statistics/MethodInfoWindow.h"
#include "ui/statistics/RepeatsWindow.h"
#include "ui/statistics/ShreddingDialog.h"
#include "ui/window/HelpFeature.h"
#include "ui/window/ProxyDialog.h"
#include "ui/window/UpdateFeature.h"
#include "online/ScriptCatalog.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include "ui/draws/DrawsPanel.h"
#include <functional>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Starts the program's window as a user does (created, initialised, shown, every tab looked at),
// then closes it; the window writes its layout into the settings store when it goes.
void StartLookAroundAndClose(const std::function<void(TFormMain &)> &check = {})
{
    TFormMain window{TStartSwitches{}};
    window.FormCreate();
    window.tmrInitTimer();
    window.show();
    QApplication::processEvents();
    // Back on the page it started on, as a user who only looked.
    for (QTabWidget *pages : {window.mainPages(), window.leftPages()}) {
        const int started = pages->currentIndex();
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QApplication::processEvents();
        }
        pages->setCurrentIndex(started);
    }
    QApplication::processEvents();
    if (check)
        check(window);
    window.close();
}

QString MainSection(const TempDataFolder &folder)
{
    return QString::fromUtf8(folder.read(u"Vendra.frm"_s));
}

int Key(const TempDataFolder &folder, const QString &key)
{
    return FormStore(folder.file(u"Vendra.frm"_s)).readInteger(u"TTemplateMain"_s, key, -1);
}

TEST(LayoutKept, FiveRestartsMoveNothing)
{
    TempDataFolder folder;
    folder.write(u"Vendra.ldr"_s, SerializeDraws(handMadeDraws()));
    // Sizes a user left behind: none of them the designed one.
    folder.write(u"Vendra.frm"_s,
                 "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n"
                 "NormPos=40,30,1140,830\r\nPixelsPerInch=96\r\nShowCmd=1\r\n"
                 "LeftPanelWidth=377\r\nDrawsStatHeight=233\r\nWeekHeight=211\r\nFiltersHeight=97\r\n"
                 "LayoutCompareHeight=181\r\nLeftPage=1\r\nMainPage=7\r\n"
                 "lvDraws.Column0=71\r\nlvDraws.Column10=95\r\nlvDrawsStat.Column0=150\r\nlvDrawsStat.Column19=66\r\n"
                 "lvCombs.Column0=88\r\nlvFilters.Column1=133\r\n");
    ScriptedMessages boxes;

    // Every pane has the size saved for it, on the screen and not only in the file.
    StartLookAroundAndClose([](TFormMain &window) {
        const auto pane = [&window](const char *name, int index) {
            const auto *splitter = window.findChild<QSplitter *>(QString::fromLatin1(name));
            return splitter ? splitter->sizes().value(index) : -1;
        };
        EXPECT_EQ(pane("splLeft", 0), 377);
        EXPECT_EQ(pane("splDrawsStat", 1), 233);
        EXPECT_EQ(pane("splWeek", 1), 211);
        EXPECT_EQ(pane("splCombs", 1), 97);
        EXPECT_EQ(pane("splLayout", 1), 181);
        EXPECT_EQ(window.drawsPanel()->list()->columnWidth(10), 95);
        EXPECT_EQ(window.leftPages()->currentIndex(), 1); // the pages left open
        EXPECT_EQ(window.mainPages()->currentIndex(), 7);
    });
    const QString first = MainSection(folder);
    // What was saved came back exactly.
    EXPECT_EQ(Key(folder, u"LeftPanelWidth"_s), 377);
    EXPECT_EQ(Key(folder, u"DrawsStatHeight"_s), 233);
    EXPECT_EQ(Key(folder, u"WeekHeight"_s), 211);
    EXPECT_EQ(Key(folder, u"FiltersHeight"_s), 97);
    EXPECT_EQ(Key(folder, u"LayoutCompareHeight"_s), 181);
    const FormStore store(folder.file(u"Vendra.frm"_s));
    for (const auto &[key, width] : std::vector<std::pair<QString, int>>{{u"lvDraws.Column0"_s, 71},
                                                                           {u"lvDraws.Column10"_s, 95},
                                                                           {u"lvDrawsStat.Column0"_s, 150},
                                                                           {u"lvDrawsStat.Column19"_s, 66},
                                                                           {u"lvCombs.Column0"_s, 88},
                                                                           {u"lvFilters.Column1"_s, 133}})
        EXPECT_EQ(store.readInteger(u"TTemplateMain"_s, key, -1), width) << key.toStdString();

    for (int restart = 2; restart <= 5; ++restart) {
        StartLookAroundAndClose();
        EXPECT_EQ(MainSection(folder), first) << "start " << restart;
    }
    EXPECT_EQ(boxes.count(), 0);
}

TEST(LayoutKept, EveryListKeepsItsColumnWidths)
{
    // A width per list that no list is designed with, in a column other than the first.
    struct Kept {
        const char *list;
        int column;
        int width;
    };
    const std::vector<Kept> kept = {
        {"lvDraws", 2, 83},   {"lvDrawsStat", 7, 91}, {"lvCombs", 1, 77},       {"lvFilters", 2, 111},
        {"lvRatings", 1, 97}, {"lvTables", 2, 171},   {"lvSystems", 3, 73},     {"lvScripts", 1, 233},
        {"lvOnlineScripts", 2, 127}, {"sgStakes", 8, 333}, {"sgStakes", 2, 141},
    };
    TempDataFolder folder;
    folder.write(u"Vendra.ldr"_s, SerializeDraws(handMadeDraws()));
    QByteArray frm = "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n";
    for (const Kept &k : kept)
        frm += QByteArray(k.list) + ".Column" + QByteArray::number(k.column) + "=" + QByteArray::number(k.width) + "\r\n";
    folder.write(u"Vendra.frm"_s, frm);
    ScriptedMessages boxes;

    const auto widthsOnScreen = [&kept](TFormMain &window) {
        for (const Kept &k : kept) {
            const auto *view = window.findChild<QTableView *>(QString::fromLatin1(k.list));
            ASSERT_NE(view, nullptr) << k.list;
            EXPECT_EQ(view->columnWidth(k.column), k.width) << k.list << " column " << k.column;
        }
    };
    StartLookAroundAndClose(widthsOnScreen);
    // Written back at the close, and on the screen again at the next start.
    const FormStore store(folder.file(u"Vendra.frm"_s));
    for (const Kept &k : kept)
        EXPECT_EQ(store.readInteger(u"TTemplateMain"_s, QString::fromLatin1(k.list) + u".Column"_s + QString::number(k.column), -1),
                  k.width)
            << k.list;
    StartLookAroundAndClose(widthsOnScreen);
    EXPECT_EQ(boxes.count(), 0);
}

TEST(LayoutKept, WindowFromALargerScreenComesBackInside)
{
    TempDataFolder folder;
    folder.write(u"Vendra.ldr"_s, SerializeDraws(handMadeDraws()));
    // Closed on a 2560x1440 screen, filling most of it; started again on this one.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QByteArray ppi = QByteArray::number(qRound(screen->logicalDotsPerInch()));
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n"
                                  "ShowCmd=1\r\nPixelsPerInch=" + ppi + "\r\nNormPos=60,40,2460,1400\r\n"
                                  "NormPos_2560x1440=60,40,2460,1400\r\n");
    ScriptedMessages boxes;
    const QRect area = screen->availableGeometry();
    ASSERT_TRUE(area.width() < 2400 && area.height() < 1360) << "the test wants a screen smaller than the saved window";
    StartLookAroundAndClose([&area](TFormMain &window) {
        EXPECT_TRUE(area.contains(window.geometry()))
            << window.geometry().x() << "," << window.geometry().y() << " " << window.width() << "x" << window.height();
        SaveScreenshot(window, u"window-restarted-on-a-smaller-screen"_s);
    });
    EXPECT_EQ(boxes.count(), 0);
}

TEST(LayoutKept, DesignedLayoutSurvivesRestartsToo)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\nFirstRun=0\r\n");
    ScriptedMessages boxes;
    StartLookAroundAndClose();
    const QString first = MainSection(folder);
    EXPECT_GT(Key(folder, u"WeekHeight"_s), 100); // a chart, not a strip
    EXPECT_GT(Key(folder, u"DrawsStatHeight"_s), 100);
    for (int restart = 2; restart <= 5; ++restart) {
        StartLookAroundAndClose();
        EXPECT_EQ(MainSection(folder), first) << "start " << restart;
    }
}

} // namespace

// Every dialog and window of the program fits a screen of 800 x 600 whole, its buttons and fields in view,
// and opens inside the screen.
TEST(LayoutKept, EveryDialogFitsASmallScreen)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TStatList stats;
    stats.RebuildMethods();
    // Each dialog holds what it holds for a user, the longest of it among it: the filter dialog every
    // method of the registry, the table's columns and the weights with their signs and decimals.
    const TFilterDialogSetup setup = FilterDialogSetup(stats);
    ASSERT_GT(setup.methods.size(), 100u);
    TDrawsArray draws;
    std::vector<std::unique_ptr<QWidget>> windows;
    for (QWidget *w : std::initializer_list<QWidget *>{
             new TFormGraph, new TFormGenCombs, new TFormDraw, new TFormInfo(9, 5), new TFormFilter(nullptr, setup),
             new TFormScript(nullptr, stats, {}),
             new TFormScrPublic(nullptr, ScriptLibraryCheckTitle, ScriptWireProblem), new TFormScrRates,
             new TFormTestCnt(nullptr, 9999), new TFormStake, new TFormMulti, new TFormStakeFilter, new TFormSystem,
             new TFormTable(nullptr, {}, 1), new TFormConfig, new TFormManager(nullptr, stats), new TFormFilterHelp,
             new TRepeatsWindow(draws), new TFormShredding, new TFormFirstRun, new TFormAbout, new TFormProxy,
             new TfrmUpdateInformer, new TFormExpExcelParam(nullptr), new TFormExpExcel(nullptr), new TFormMsgViewer})
        windows.emplace_back(w);
    const QRect screen(0, 0, 800, 600);
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    for (const auto &w : windows) {
        const std::string name = w->metaObject()->className();
        // Every list shows its longest entry.
        for (QComboBox *c : w->findChildren<QComboBox *>()) {
            int longest = c->currentIndex();
            for (int i = 0; i < c->count(); ++i)
                if (c->itemText(i).size() > c->itemText(longest).size())
                    longest = i;
            c->setCurrentIndex(longest);
        }
        const QSize hint = w->sizeHint().expandedTo(w->minimumSizeHint());
        EXPECT_LE(hint.width(), screen.width()) << name;
        EXPECT_LE(hint.height(), screen.height() - 40) << name; // a title bar and a panel of the desktop
        // Put beyond the screen's edge, it opens inside.
        w->move(desktop.right() - 50, desktop.top() - 30);
        w->show();
        QApplication::processEvents();
        EXPECT_TRUE(qobject_cast<QDialog *>(w.get()) == nullptr || desktop.contains(w->frameGeometry())) << name;
        // The size it opens at fits the small screen too.
        EXPECT_LE(w->width(), screen.width()) << name;
        EXPECT_LE(w->height(), screen.height() - 40) << name;
        // A button's caption keeps a margin inside it on either side.
        for (const QPushButton *b : w->findChildren<QPushButton *>())
            if (b->isVisible() && b->icon().isNull() && !b->text().isEmpty()) {
                EXPECT_GE(b->width() - b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')), 8)
                    << name << " " << b->text().toStdString();
            }
        // A field's text reads whole; an entry of a list that is cut short reads whole in its tooltip.
        for (const QLineEdit *e : w->findChildren<QLineEdit *>())
            if (e->isVisible() && !e->text().isEmpty()) {
                EXPECT_LE(e->fontMetrics().horizontalAdvance(e->text()), e->width() - (e->hasFrame() ? 8 : 4))
                    << name << " " << e->objectName().toStdString() << " \"" << e->text().toStdString() << "\"";
            }
        for (const TElidedComboBox *c : w->findChildren<TElidedComboBox *>())
            if (c->isVisible() && c->shownText() != c->currentText()) {
                EXPECT_EQ(c->toolTip(), c->currentText()) << name << " " << c->objectName().toStdString();
            }
        w->hide();
    }
}
