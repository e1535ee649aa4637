#pragma once

#include "common/FormStore.h"

#include <QString>

// The main window's section of the settings store.
inline constexpr char16_t kMainFormSection[] = u"TTemplateMain";
QString MainFormSection();

// What the start-up does about new draws (key "DownloadDrawsOnStart"): 0 asks, 1 downloads, and any
// other stored value (2 or a damaged one) does neither.
enum class StartDownload { Ask, Download, Nothing };

// The sizes and lengths of the main window: read into its controls at creation and written from them
// once, at shutdown. Each member holds the control's designed value until load() reads the stored
// one over it; a stored value that is not a number, or is negative, keeps the designed value.
struct MainLayoutSizes {
    int leftPanelWidth = 0;
    int drawsExclude = 0;
    int drawsStatLen = 0;
    int drawsStatHeight = 0;
    int drawsGraphLen = 0;
    int filtersHeight = 0;
    int layoutLen = 0;
    int layoutCompareLen1 = 0;
    int layoutCompareLen2 = 0;
    int layoutCompareLen3 = 0;
    int layoutCompareLen4 = 0;
    int layoutCompareLen5 = 0;
    int weekLen = 0;
    int weekHeight = 0;
    int layoutCompareHeight = 0;
    int scriptLibraryHeight = 0;
    int scriptLibraryFilter = 2;
    // The pages shown at shutdown, left and right (indexes of the tabs, hidden ones counted).
    int leftPage = 0;
    int mainPage = 0;

    void load(const FormStore &store);
    // Writes every key into the store; the caller saves the store once with the other layouts.
    void save(FormStore &store) const;
};

// The main window's options. The Boolean and mode options are written the moment they change, each
// write landing in the store file at once; load() reads them all at window creation. A write that
// fails is reported in an error box and the option keeps its new value for this run.
struct MainOptions {
    int weekChartMode = 0;          // 0 or 1
    bool weekChartType = false;
    bool autoUpdates = true;
    int downloadDrawsOnStart = 0;   // see StartDownload
    bool scriptLogEnabled = false;
    bool stakesLogEnabled = false;
    bool stakesScrollEnabled = true;
    bool stakesCheckOnLine = true;
    bool colorDraws = true;
    bool colorCombs = true;
    bool colorCard = true;
    bool colorCardSequences = true;
    bool layoutGradient = true;
    bool sortedDraws = false;
    bool prefetchsEnabled = false;
    bool showTotalLine = true;
    int ratingsEffMode = 1;         // 0..2
    bool scriptLibraryOn = true;
    bool prefetchsInit = false;
    bool firstRun = true;           // shown until the user turns it off; a new installation has no key
    int language = 1033;            // locale identifier of the user interface
    bool systemsEnabled = true;

    // Reads every option; a missing or unreadable key, or a mode out of its range, takes the default.
    void load(const FormStore &store);
    void load();

    // The store key of a Boolean option ("SortedDraws" for &MainOptions::sortedDraws).
    static QString keyOf(bool MainOptions::*option);

    // Inverts the option, writes it at once and returns the new value.
    bool toggle(bool MainOptions::*option);
    // Sets the option and writes it at once.
    void set(bool MainOptions::*option, bool value);

    // The week chart mode action: 1 or more becomes 0, anything else goes up by one; written at once.
    int cycleWeekChartMode();
    // The radio actions AutoDownload0..2 (0 ask, 1 download, 2 nothing).
    void setDownloadDrawsOnStart(int mode);
    StartDownload startDownload() const;
    // The ratings efficiency actions write their tag (0..2).
    void setRatingsEffMode(int tag);
    // The language menu writes the chosen locale identifier before the program restarts.
    void setLanguage(int lcid);
    // The language to load at start: Russian (built in) with the switch "no-language".
    int startLanguage(bool noLanguageSwitch) const;
    // The first-run window's box "Больше не показывать данный диалог" was ticked.
    void disableFirstRun();
    // The first start of this version: writes PrefetchsInit = true and PrefetchsEnabled with its value,
    // and returns true so that the caller shows or hides the prefetch columns. False afterwards.
    bool initPrefetchs();
};
