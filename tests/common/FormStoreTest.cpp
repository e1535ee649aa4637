#include "common/Exception.h"
#include "common/FormStore.h"
#include "common/ProgramFiles.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QString kMain = u"TTemplateMain"_s;
} // namespace

TEST(FormStore, MissingFileGivesDefaultsAndFirstWriteCreatesIt)
{
    TempDataFolder folder;
    EXPECT_EQ(GetFormFileName(), folder.file(u"Vendra.frm"_s));
    EXPECT_TRUE(ReadFormBool(kMain, u"AutoUpdates"_s, true));
    EXPECT_FALSE(ReadFormBool(kMain, u"SortedDraws"_s, false));
    EXPECT_EQ(ReadFormInteger(kMain, u"Language"_s, 1033), 1033);
    EXPECT_FALSE(folder.exists(u"Vendra.frm"_s));

    WriteFormBool(kMain, u"SortedDraws"_s, true);
    EXPECT_EQ(folder.read(u"Vendra.frm"_s), "[TTemplateMain]\r\nSortedDraws=1\r\n\r\n");
    WriteFormInteger(kMain, u"DrawsStatLen"_s, 500);
    WriteFormBool(u"TFormFirstRun"_s, u"x"_s, false);
    EXPECT_EQ(folder.read(u"Vendra.frm"_s),
              "[TTemplateMain]\r\nSortedDraws=1\r\nDrawsStatLen=500\r\n\r\n[TFormFirstRun]\r\nx=0\r\n\r\n");
    // Every write goes through a temporary file renamed over the store: nothing else stays behind.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"Vendra.frm"_s});
}

TEST(FormStore, ReadsLikeTheIniFacility)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[ttemplatemain]\r\nsorteddraws=5\r\nLanguage=abc\r\nWeekLen= 52 \r\n");
    EXPECT_TRUE(ReadFormBool(kMain, u"SortedDraws"_s, false)); // any non-zero number is true
    EXPECT_EQ(ReadFormInteger(kMain, u"Language"_s, 1033), 1033);
    EXPECT_EQ(ReadFormInteger(kMain, u"WeekLen"_s, 0), 52);
    EXPECT_EQ(FormSection(u"TFormChart"_s, true), u"TFormChart.MDIChildren");
}

TEST(FormStore, DamagedFileNeverStopsReadsNorLosesItsGoodKeys)
{
    TempDataFolder folder;
    QByteArray bytes("\xff\xfe\x00garbage\r\n[TTemplateMain]\r\nLeftPanelWidth=250\r\n\x01\x02=\x03\r\n"
                     "ColorDraws=yes\r\n[TFormChart\r\nDrawsStatLen=",
                     92);
    folder.write(u"Vendra.frm"_s, bytes);
    EXPECT_EQ(ReadFormInteger(kMain, u"LeftPanelWidth"_s, 0), 250);
    EXPECT_TRUE(ReadFormBool(kMain, u"ColorDraws"_s, true));      // unreadable: default
    EXPECT_EQ(ReadFormInteger(kMain, u"DrawsStatLen"_s, 1000), 1000); // truncated last line: default
    WriteFormInteger(kMain, u"WeekLen"_s, 10);
    EXPECT_EQ(ReadFormInteger(kMain, u"LeftPanelWidth"_s, 0), 250);
    EXPECT_EQ(ReadFormInteger(kMain, u"WeekLen"_s, 0), 10);
}

TEST(FormStore, UnreadableFileIsNotOverwritten)
{
    // A store that exists but cannot be read (a folder stands in its place) is never written over.
    TempDataFolder folder;
    ASSERT_TRUE(QDir().mkdir(folder.file(u"Vendra.frm"_s)));
    EXPECT_THROW(WriteFormBool(kMain, u"SortedDraws"_s, true), EInOutError);
    EXPECT_TRUE(QFileInfo(folder.file(u"Vendra.frm"_s)).isDir());
}

TEST(FormStore, OneStoreWritesManyKeysAtOnce)
{
    TempDataFolder folder;
    FormStore store;
    store.writeInteger(kMain, u"LeftPanelWidth"_s, 300);
    store.writeInteger(kMain, u"WeekLen"_s, 20);
    EXPECT_FALSE(folder.exists(u"Vendra.frm"_s));
    store.save();
    EXPECT_EQ(FormStore().readInteger(kMain, u"WeekLen"_s, 0), 20);
}

TEST(FormStore, ARunReadsTheFileOnceAndWritesItEveryTime)
{
    // A run reads the store and the settings once however many windows ask; every write still lands in
    // the file.
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nWeekLen=7\r\n");
    folder.write(u"Vendra.ini"_s, "[GLOBAL]\r\nMatrixCols=7\r\n");
    {
        TIniFileRun run({GetFormFileName(), GetIniFileName()});
        folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nWeekLen=8\r\n"); // behind the run's back
        folder.write(u"Vendra.ini"_s, "[GLOBAL]\r\nMatrixCols=8\r\n");
        EXPECT_EQ(FormStore().readInteger(kMain, u"WeekLen"_s, 0), 7);
        EXPECT_EQ(IniFile(GetIniFileName()).readInteger(u"GLOBAL"_s, u"MatrixCols"_s, 0), 7);
        WriteFormInteger(kMain, u"LeftPanelWidth"_s, 300);
        EXPECT_EQ(folder.read(u"Vendra.frm"_s), "[TTemplateMain]\r\nWeekLen=7\r\nLeftPanelWidth=300\r\n\r\n");
        IniFile ini(GetIniFileName());
        ini.writeInteger(u"GLOBAL"_s, u"ChannelSize"_s, 5);
        ini.updateFile();
        EXPECT_EQ(IniFile(GetIniFileName()).readInteger(u"GLOBAL"_s, u"ChannelSize"_s, 0), 5);
    }
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nWeekLen=8\r\n");
    EXPECT_EQ(ReadFormInteger(kMain, u"WeekLen"_s, 0), 8);
}

TEST(FormWords, CommasOrBlanks)
{
    const auto w = ParseFormWords(u" 10, 20 30,,x "_s, 5);
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(w[0], 10);
    EXPECT_EQ(w[1], 20);
    EXPECT_EQ(w[2], 30);
    EXPECT_FALSE(w[3].has_value());
    EXPECT_FALSE(w[4].has_value());
}

TEST(FormPlacementKeys, WrittenUnderGeneralAndScreenKeys)
{
    TempDataFolder folder;
    FormStore store;
    FormPlacement p;
    p.showCmd = ShowCmdMaximized;
    p.pixelsPerInch = 96;
    p.normalRect = QRect(10, 20, 800, 600);
    WriteFormPlacement(store, kMain, p, QSize(1920, 1080));
    store.save();
    EXPECT_EQ(folder.read(u"Vendra.frm"_s),
              "[TTemplateMain]\r\nFlags=0\r\nShowCmd=3\r\nPixelsPerInch=96\r\nMinMaxPos=-1,-1,-1,-1\r\n"
              "MinMaxPos_1920x1080=-1,-1,-1,-1\r\nNormPos=10,20,810,620\r\nNormPos_1920x1080=10,20,810,620\r\n\r\n");
}

TEST(FormPlacementKeys, ScreenKeysWinAndDensityMustMatch)
{
    FormStore store(u"unused.frm"_s);
    const QRect current(0, 0, 640, 480);
    EXPECT_FALSE(ReadFormNormalRect(store, kMain, QSize(1920, 1080), 96, current).has_value());

    store.writeString(kMain, u"NormPos"_s, u"10,20,810,620"_s);
    store.writeString(kMain, u"NormPos_1920x1080"_s, u"100 200 1100 900"_s);
    EXPECT_EQ(ReadFormNormalRect(store, kMain, QSize(1920, 1080), 96, current), QRect(100, 200, 1000, 700));
    // A screen size without keys of its own takes the general ones.
    EXPECT_EQ(ReadFormNormalRect(store, kMain, QSize(1280, 1024), 96, current), QRect(10, 20, 800, 600));
    // Saved at 96 pixels per inch, the screen now at 120: ignored.
    store.writeInteger(kMain, u"PixelsPerInch"_s, 96);
    EXPECT_FALSE(ReadFormNormalRect(store, kMain, QSize(1920, 1080), 120, current).has_value());

    // Missing or bad words come from the current rectangle; an empty rectangle is no placement.
    store.writeString(kMain, u"NormPos"_s, u"50,x"_s);
    EXPECT_EQ(ReadFormNormalRect(store, kMain, QSize(800, 600), 96, QRect(5, 6, 100, 50)), QRect(50, 6, 55, 50));
    store.writeString(kMain, u"NormPos"_s, u"500,0,100,100"_s);
    EXPECT_FALSE(ReadFormNormalRect(store, kMain, QSize(800, 600), 96, current).has_value());
}

TEST(FormPlacementKeys, ShowCommands)
{
    using S = FormWindowState;
    for (int cmd : {1, 5, 9})
        EXPECT_EQ(ShowCmdToWindowState(cmd, S::Maximized), S::Normal) << cmd;
    for (int cmd : {2, 6, 7})
        EXPECT_EQ(ShowCmdToWindowState(cmd, S::Normal), S::Minimized) << cmd;
    EXPECT_EQ(ShowCmdToWindowState(3, S::Normal), S::Maximized);
    for (int cmd : {0, 4, 8, 10, -1})
        EXPECT_EQ(ShowCmdToWindowState(cmd, S::Maximized), S::Maximized) << cmd;
}

TEST(ListLayoutKeys, RoundTripWithExactKeys)
{
    TempDataFolder folder;
    FormStore store;
    ListLayout layout;
    layout.gridLines = true;
    layout.multiSelect = false;
    layout.sortable = true;
    layout.sortColumn = 2;
    layout.sortDirection = 1;
    layout.columnWidths = {60, 80, 0};
    WriteListLayout(store, kMain, u"lvDraws"_s, layout, true);
    WriteGridLayout(store, kMain, u"sgStakes"_s, {40, 50});
    store.save();
    EXPECT_EQ(folder.read(u"Vendra.frm"_s),
              "[TTemplateMain]\r\nlvDraws.GridLines=1\r\nlvDraws.MultiSelect=0\r\nlvDraws.SortType=2,1\r\n"
              "lvDraws.Column0=60\r\nlvDraws.Column1=80\r\nlvDraws.Column2=0\r\nsgStakes.Column0=40\r\n"
              "sgStakes.Column1=50\r\n\r\n");

    ListLayout current;
    current.sortable = true;
    current.columnWidths = {10, 10, 10};
    const ListLayout back = ReadListLayout(FormStore(), kMain, u"lvDraws"_s, current, true);
    EXPECT_TRUE(back.gridLines);
    EXPECT_EQ(back.sortColumn, 2);
    EXPECT_EQ(back.sortDirection, 1);
    EXPECT_EQ(back.columnWidths, (std::vector<int>{60, 80, 0}));
    EXPECT_EQ(ReadGridLayout(FormStore(), kMain, u"sgStakes"_s, {1, 1, 1}), (std::vector<int>{40, 50, 1}));

    // Without flags the GridLines and MultiSelect keys are neither written nor read.
    FormStore plain(folder.file(u"other.frm"_s));
    WriteListLayout(plain, kMain, u"lv"_s, layout, false);
    EXPECT_FALSE(plain.valueExists(kMain, u"lv.GridLines"_s));
    EXPECT_FALSE(ReadListLayout(FormStore(), kMain, u"lvDraws"_s, current, false).gridLines);
}

TEST(ListLayoutKeys, StaleOrPartialSortIsHandled)
{
    FormStore store(u"unused.frm"_s);
    ListLayout current;
    current.sortable = true;
    current.sortColumn = 0;
    current.sortDirection = 0;
    current.columnWidths = {10, 10, 10};
    auto sortAfter = [&](const QString &text) {
        store.writeString(kMain, u"lv.SortType"_s, text);
        const ListLayout l = ReadListLayout(store, kMain, u"lv"_s, current, false);
        return std::pair(l.sortColumn, l.sortDirection);
    };
    EXPECT_EQ(sortAfter(u"9,0"_s), std::pair(0, 0));   // the list has 3 columns: ignored
    EXPECT_EQ(sortAfter(u"9,1"_s), std::pair(0, 1));   // the direction still applies
    EXPECT_EQ(sortAfter(u"2"_s), std::pair(2, 0));     // no second word: direction kept
    EXPECT_EQ(sortAfter(u"1 1"_s), std::pair(1, 1));
    EXPECT_EQ(sortAfter(u"-1,0"_s), std::pair(-1, 0)); // unsorted
    EXPECT_EQ(sortAfter(u"1,7"_s), std::pair(1, 0));   // a direction other than 0 or 1 is ignored
    EXPECT_EQ(sortAfter(u"  "_s), std::pair(0, 0));

    // A list that is not sortable keeps its sort whatever the file says.
    current.sortable = false;
    store.writeString(kMain, u"lv.SortType"_s, u"2,1"_s);
    EXPECT_EQ(ReadListLayout(store, kMain, u"lv"_s, current, false).sortColumn, 0);

    store.writeString(kMain, u"lv.Column0"_s, u"-5"_s);
    store.writeString(kMain, u"lv.Column1"_s, u"99999999"_s);
    store.writeString(kMain, u"lv.Column2"_s, u"abc"_s);
    EXPECT_EQ(ReadListLayout(store, kMain, u"lv"_s, current, false).columnWidths, (std::vector<int>{10, 10, 10}));
}
