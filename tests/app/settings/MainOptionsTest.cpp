#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "app/settings/MainOptions.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QString kMain = u"TTemplateMain"_s;

struct BoolOption {
    bool MainOptions::*member;
    const char *key;
    bool defaultValue;
};

// The Boolean keys with their defaults, as the main window has always kept them.
const BoolOption kBoolOptions[] = {
    {&MainOptions::weekChartType, "WeekChartType", false},
    {&MainOptions::autoUpdates, "AutoUpdates", true},
    {&MainOptions::scriptLogEnabled, "ScriptLogEnabled", false},
    {&MainOptions::stakesLogEnabled, "StakesLogEnabled", false},
    {&MainOptions::stakesScrollEnabled, "StakesScrollEnabled", true},
    {&MainOptions::stakesCheckOnLine, "StakesCheckOnLine", true},
    {&MainOptions::colorDraws, "ColorDraws", true},
    {&MainOptions::colorCombs, "ColorCombs", true},
    {&MainOptions::colorCard, "ColorCard", true},
    {&MainOptions::colorCardSequences, "ColorCardSequences", true},
    {&MainOptions::layoutGradient, "LayoutGradient", true},
    {&MainOptions::sortedDraws, "SortedDraws", false},
    {&MainOptions::prefetchsEnabled, "PrefetchsEnabled", false},
    {&MainOptions::showTotalLine, "ShowTotalLine", true},
    {&MainOptions::scriptLibraryOn, "ScriptLibraryOn", true},
    {&MainOptions::prefetchsInit, "PrefetchsInit", false},
    {&MainOptions::firstRun, "FirstRun", true}, // a new installation shows the first-run window
    {&MainOptions::systemsEnabled, "SystemsEnabled", true},
};

QString StoredText(const char *key)
{
    return FormStore().readString(kMain, QString::fromLatin1(key), u"<missing>"_s);
}
} // namespace

TEST(MainOptions, MissingStoreGivesDefaultsAndFirstToggleCreatesTheSection)
{
    TempDataFolder folder;
    MainOptions options;
    options.sortedDraws = true; // whatever was in memory
    options.load();
    for (const BoolOption &o : kBoolOptions)
        EXPECT_EQ(options.*o.member, o.defaultValue) << o.key;
    EXPECT_EQ(options.weekChartMode, 0);
    EXPECT_EQ(options.downloadDrawsOnStart, 0);
    EXPECT_EQ(options.startDownload(), StartDownload::Ask);
    EXPECT_EQ(options.ratingsEffMode, 1);
    EXPECT_EQ(options.language, 1033);
    EXPECT_FALSE(folder.exists(u"Vendra.frm"_s));

    folder.write(u"Vendra.ldr"_s, QByteArray(48, '\x07'));
    EXPECT_TRUE(options.toggle(&MainOptions::sortedDraws));
    EXPECT_EQ(folder.read(u"Vendra.frm"_s), "[TTemplateMain]\r\nSortedDraws=1\r\n\r\n");
    EXPECT_EQ(folder.read(u"Vendra.ldr"_s), QByteArray(48, '\x07')); // the archive is not touched
}

TEST(MainOptions, EveryToggleWritesItsKeyAtOnce)
{
    TempDataFolder folder;
    MainOptions options;
    options.load();
    for (const BoolOption &o : kBoolOptions) {
        EXPECT_EQ(MainOptions::keyOf(o.member), QString::fromLatin1(o.key));
        EXPECT_EQ(options.toggle(o.member), !o.defaultValue) << o.key;
        EXPECT_EQ(StoredText(o.key), o.defaultValue ? u"0" : u"1") << o.key;
    }
    MainOptions back;
    back.load();
    for (const BoolOption &o : kBoolOptions)
        EXPECT_EQ(back.*o.member, !o.defaultValue) << o.key;

    options.set(&MainOptions::colorCard, true);
    EXPECT_EQ(StoredText("ColorCard"), u"1");
}

TEST(MainOptions, ModeKeys)
{
    TempDataFolder folder;
    MainOptions options;
    options.load();
    EXPECT_EQ(options.cycleWeekChartMode(), 1);
    EXPECT_EQ(StoredText("WeekChartMode"), u"1");
    EXPECT_EQ(options.cycleWeekChartMode(), 0);
    EXPECT_EQ(StoredText("WeekChartMode"), u"0");

    for (int mode : {1, 2, 0}) {
        options.setDownloadDrawsOnStart(mode);
        EXPECT_EQ(StoredText("DownloadDrawsOnStart"), QString::number(mode));
    }
    options.setRatingsEffMode(2);
    EXPECT_EQ(StoredText("RatingsEffMode"), u"2");
    options.setLanguage(1049);
    EXPECT_EQ(StoredText("Language"), u"1049");

    MainOptions back;
    back.load();
    EXPECT_EQ(back.weekChartMode, 0);
    EXPECT_EQ(back.downloadDrawsOnStart, 0);
    EXPECT_EQ(back.ratingsEffMode, 2);
    EXPECT_EQ(back.language, 1049);
}

TEST(MainOptions, DownloadOnStartOnlyZeroAsksAndOneDownloads)
{
    TempDataFolder folder;
    const std::pair<const char *, StartDownload> cases[] = {
        {"0", StartDownload::Ask},     {"1", StartDownload::Download}, {"2", StartDownload::Nothing},
        {"5", StartDownload::Nothing}, {"-1", StartDownload::Nothing}, {"x", StartDownload::Ask},
    };
    for (const auto &[stored, expected] : cases) {
        folder.write(u"Vendra.frm"_s, QByteArray("[TTemplateMain]\r\nDownloadDrawsOnStart=") + stored + "\r\n");
        MainOptions options;
        options.load();
        EXPECT_EQ(options.startDownload(), expected) << stored;
    }
    // Loading never rewrites what is stored.
    EXPECT_EQ(StoredText("DownloadDrawsOnStart"), u"x");
}

TEST(MainOptions, DamagedValuesTakeTheirDefaults)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nWeekChartMode=7\r\nRatingsEffMode=9\r\nLanguage=abc\r\n"
                                  "ColorDraws=no\r\nAutoUpdates=0\r\nFirstRun=0\r\nSortedDraws=");
    MainOptions options;
    options.load();
    EXPECT_EQ(options.weekChartMode, 0);
    EXPECT_EQ(options.ratingsEffMode, 1);
    EXPECT_EQ(options.language, 1033);
    EXPECT_TRUE(options.colorDraws);
    EXPECT_FALSE(options.autoUpdates);
    EXPECT_FALSE(options.firstRun);
    EXPECT_FALSE(options.sortedDraws);

    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nLanguage=-5\r\nRatingsEffMode=0\r\n");
    options.load();
    EXPECT_EQ(options.language, 1033);
    EXPECT_EQ(options.ratingsEffMode, 0);
}

TEST(MainOptions, LanguageAtStart)
{
    MainOptions options;
    options.language = 1033;
    EXPECT_EQ(options.startLanguage(false), 1033);
    EXPECT_EQ(options.startLanguage(true), 1049);
}

TEST(MainOptions, FirstRunUntilTurnedOff)
{
    TempDataFolder folder;
    MainOptions options;
    options.load();
    EXPECT_TRUE(options.firstRun);
    options.disableFirstRun();
    EXPECT_EQ(StoredText("FirstRun"), u"0");
    MainOptions back;
    back.load();
    EXPECT_FALSE(back.firstRun);
}

TEST(MainOptions, PrefetchOptionInitialisedOnce)
{
    TempDataFolder folder;
    MainOptions options;
    options.load();
    EXPECT_TRUE(options.initPrefetchs());
    EXPECT_EQ(StoredText("PrefetchsInit"), u"1");
    EXPECT_EQ(StoredText("PrefetchsEnabled"), u"0");
    EXPECT_FALSE(options.initPrefetchs());

    MainOptions next;
    next.load();
    EXPECT_TRUE(next.prefetchsInit);
    EXPECT_FALSE(next.initPrefetchs());
}

TEST(MainOptions, AStoreThatCannotBeWrittenIsReportedNotThrown)
{
    // A settings store that exists but cannot be read is never written over; the writes of the
    // options once threw out of the window's commands and ended the program.
    TempDataFolder folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"Vendra.frm"_s));
    ScriptedMessages boxes;
    MainOptions options;
    options.load();
    EXPECT_TRUE(options.initPrefetchs());
    EXPECT_TRUE(options.prefetchsInit);
    EXPECT_TRUE(options.toggle(&MainOptions::sortedDraws));
    EXPECT_EQ(options.cycleWeekChartMode(), 1);
    options.setDownloadDrawsOnStart(2);
    EXPECT_EQ(options.startDownload(), StartDownload::Nothing);
    options.setRatingsEffMode(0);
    options.setLanguage(1049);
    // Told once, however many options it refuses.
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Ошибка");
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка записи файла"_s)) << boxes.last().text.toStdString();
    EXPECT_TRUE(QFileInfo(folder.file(u"Vendra.frm"_s)).isDir());
}

TEST(MainLayoutSizes, DesignedValuesStoredValuesAndShutdownSave)
{
    TempDataFolder folder;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDrawsStatLen=500\r\nLeftPanelWidth=-20\r\nWeekLen=many\r\n");
    MainLayoutSizes sizes;
    sizes.leftPanelWidth = 320; // designed values
    sizes.drawsStatLen = 1000;
    sizes.weekLen = 52;
    sizes.load(FormStore());
    EXPECT_EQ(sizes.drawsStatLen, 500);
    EXPECT_EQ(sizes.leftPanelWidth, 320);
    EXPECT_EQ(sizes.weekLen, 52);
    EXPECT_EQ(sizes.scriptLibraryFilter, 2);

    sizes.layoutCompareLen3 = 33;
    FormStore store;
    sizes.save(store);
    store.save();
    const char *keys[] = {"LeftPanelWidth", "DrawsExclude", "DrawsStatLen", "DrawsStatHeight", "DrawsGraphLen",
                          "FiltersHeight", "LayoutLen", "LayoutCompareLen1", "LayoutCompareLen2",
                          "LayoutCompareLen3", "LayoutCompareLen4", "LayoutCompareLen5", "WeekLen", "WeekHeight",
                          "LayoutCompareHeight", "ScriptLibraryHeight", "ScriptLibraryFilter", "LeftPage", "MainPage"};
    for (const char *key : keys)
        EXPECT_NE(StoredText(key), u"<missing>") << key;
    EXPECT_EQ(StoredText("LeftPanelWidth"), u"320");
    EXPECT_EQ(StoredText("LayoutCompareLen3"), u"33");
    EXPECT_EQ(StoredText("ScriptLibraryFilter"), u"2");
}
