#include "app/settings/MainOptions.h"

#include "common/AtomicFile.h"
#include "common/RegularFile.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Languages.h"

#include <array>
#include <utility>

namespace {
struct BoolKey {
    const char16_t *key;
    bool MainOptions::*member;
};

const std::array<BoolKey, 18> kBoolKeys{{
    {u"WeekChartType", &MainOptions::weekChartType},
    {u"AutoUpdates", &MainOptions::autoUpdates},
    {u"ScriptLogEnabled", &MainOptions::scriptLogEnabled},
    {u"StakesLogEnabled", &MainOptions::stakesLogEnabled},
    {u"StakesScrollEnabled", &MainOptions::stakesScrollEnabled},
    {u"StakesCheckOnLine", &MainOptions::stakesCheckOnLine},
    {u"ColorDraws", &MainOptions::colorDraws},
    {u"ColorCombs", &MainOptions::colorCombs},
    {u"ColorCard", &MainOptions::colorCard},
    {u"ColorCardSequences", &MainOptions::colorCardSequences},
    {u"LayoutGradient", &MainOptions::layoutGradient},
    {u"SortedDraws", &MainOptions::sortedDraws},
    {u"PrefetchsEnabled", &MainOptions::prefetchsEnabled},
    {u"ShowTotalLine", &MainOptions::showTotalLine},
    {u"ScriptLibraryOn", &MainOptions::scriptLibraryOn},
    {u"PrefetchsInit", &MainOptions::prefetchsInit},
    {u"FirstRun", &MainOptions::firstRun},
    {u"SystemsEnabled", &MainOptions::systemsEnabled},
}};

struct IntKey {
    const char16_t *key;
    int MainLayoutSizes::*member;
};

const std::array<IntKey, 19> kSizeKeys{{
    {u"LeftPanelWidth", &MainLayoutSizes::leftPanelWidth},
    {u"DrawsExclude", &MainLayoutSizes::drawsExclude},
    {u"DrawsStatLen", &MainLayoutSizes::drawsStatLen},
    {u"DrawsStatHeight", &MainLayoutSizes::drawsStatHeight},
    {u"DrawsGraphLen", &MainLayoutSizes::drawsGraphLen},
    {u"FiltersHeight", &MainLayoutSizes::filtersHeight},
    {u"LayoutLen", &MainLayoutSizes::layoutLen},
    {u"LayoutCompareLen1", &MainLayoutSizes::layoutCompareLen1},
    {u"LayoutCompareLen2", &MainLayoutSizes::layoutCompareLen2},
    {u"LayoutCompareLen3", &MainLayoutSizes::layoutCompareLen3},
    {u"LayoutCompareLen4", &MainLayoutSizes::layoutCompareLen4},
    {u"LayoutCompareLen5", &MainLayoutSizes::layoutCompareLen5},
    {u"WeekLen", &MainLayoutSizes::weekLen},
    {u"WeekHeight", &MainLayoutSizes::weekHeight},
    {u"LayoutCompareHeight", &MainLayoutSizes::layoutCompareHeight},
    {u"ScriptLibraryHeight", &MainLayoutSizes::scriptLibraryHeight},
    {u"ScriptLibraryFilter", &MainLayoutSizes::scriptLibraryFilter},
    {u"LeftPage", &MainLayoutSizes::leftPage},
    {u"MainPage", &MainLayoutSizes::mainPage},
}};

QString Key(const char16_t *key)
{
    return QString::fromUtf16(key);
}

// Writes an option into the store. A store that cannot be written (a read-only folder, a file that
// exists but cannot be read) must not end the program: the option keeps its new value for this run
// and the user is told why it is not remembered.
template <typename Write>
void WriteOrReport(Write write)
{
    try {
        write();
    } catch (const EFileWriteError &e) {
        ShowFileFailureOnce(e.path(), e.message()); // the store is named once however many options it refuses
    } catch (const Exception &e) {
        ShowErrorBox(e.message());
    }
}

// A stored mode inside its range, else the default.
int ReadMode(const FormStore &store, const char16_t *key, int defaultValue, int low, int high)
{
    const int value = store.readInteger(MainFormSection(), Key(key), defaultValue);
    return value >= low && value <= high ? value : defaultValue;
}
} // namespace

QString MainFormSection()
{
    return QString::fromUtf16(kMainFormSection);
}

void MainLayoutSizes::load(const FormStore &store)
{
    for (const IntKey &k : kSizeKeys) {
        const int value = store.readInteger(MainFormSection(), Key(k.key), this->*k.member);
        if (value >= 0)
            this->*k.member = value;
    }
}

void MainLayoutSizes::save(FormStore &store) const
{
    for (const IntKey &k : kSizeKeys)
        store.writeInteger(MainFormSection(), Key(k.key), this->*k.member);
}

void MainOptions::load(const FormStore &store)
{
    const MainOptions defaults;
    for (const BoolKey &k : kBoolKeys)
        this->*k.member = store.readBool(MainFormSection(), Key(k.key), defaults.*k.member);
    weekChartMode = ReadMode(store, u"WeekChartMode", defaults.weekChartMode, 0, 1);
    // Kept as stored: only 0 asks and only 1 downloads, whatever else the file holds.
    downloadDrawsOnStart =
        store.readInteger(MainFormSection(), QStringLiteral("DownloadDrawsOnStart"), defaults.downloadDrawsOnStart);
    ratingsEffMode = ReadMode(store, u"RatingsEffMode", defaults.ratingsEffMode, 0, 2);
    language = ReadMode(store, u"Language", defaults.language, 1, 0xFFFF);
}

void MainOptions::load()
{
    load(FormStore());
}

QString MainOptions::keyOf(bool MainOptions::*option)
{
    for (const BoolKey &k : kBoolKeys)
        if (k.member == option)
            return Key(k.key);
    return {};
}

bool MainOptions::toggle(bool MainOptions::*option)
{
    set(option, !(this->*option));
    return this->*option;
}

void MainOptions::set(bool MainOptions::*option, bool value)
{
    this->*option = value;
    WriteOrReport([&] { WriteFormBool(MainFormSection(), keyOf(option), value); });
}

int MainOptions::cycleWeekChartMode()
{
    weekChartMode = weekChartMode >= 1 ? 0 : weekChartMode + 1;
    WriteOrReport([&] { WriteFormInteger(MainFormSection(), QStringLiteral("WeekChartMode"), weekChartMode); });
    return weekChartMode;
}

void MainOptions::setDownloadDrawsOnStart(int mode)
{
    downloadDrawsOnStart = mode;
    WriteOrReport([&] { WriteFormInteger(MainFormSection(), QStringLiteral("DownloadDrawsOnStart"), mode); });
}

StartDownload MainOptions::startDownload() const
{
    switch (downloadDrawsOnStart) {
    case 0:
        return StartDownload::Ask;
    case 1:
        return StartDownload::Download;
    default:
        return StartDownload::Nothing;
    }
}

void MainOptions::setRatingsEffMode(int tag)
{
    ratingsEffMode = tag;
    WriteOrReport([&] { WriteFormInteger(MainFormSection(), QStringLiteral("RatingsEffMode"), tag); });
}

void MainOptions::setLanguage(int lcid)
{
    language = lcid;
    WriteOrReport([&] { WriteFormInteger(MainFormSection(), QStringLiteral("Language"), lcid); });
}

int MainOptions::startLanguage(bool noLanguageSwitch) const
{
    return noLanguageSwitch ? kRussianLcid : language;
}

void MainOptions::disableFirstRun()
{
    set(&MainOptions::firstRun, false);
}

bool MainOptions::initPrefetchs()
{
    if (prefetchsInit)
        return false;
    WriteOrReport([&] {
        FormStore store;
        store.writeBool(MainFormSection(), keyOf(&MainOptions::prefetchsInit), true);
        store.writeBool(MainFormSection(), keyOf(&MainOptions::prefetchsEnabled), prefetchsEnabled);
        store.save();
    });
    prefetchsInit = true;
    return true;
}
