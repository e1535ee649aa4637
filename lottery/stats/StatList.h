#pragma once

#include "common/RegularFile.h"
#include "lottery/DrawTypes.h"
#include "lottery/stats/StatMethod.h"
#include "lottery/stats/StatRegistry.h"
#include "lottery/stats/StatSettings.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

class TCustomStat;

// The registry of statistic methods: every available statistic class, once per value of its parameter,
// in a fixed order. It also holds the statistic settings and reads and writes them ("Vendra.ini") and the
// favourite methods (the ".flt" file).
//
// The main window hands it a pointer to its draws array (SetDraws) before the first rebuild; statistics
// read the archive through it, never from a copy. Methods live until the next RebuildMethods, so lists
// that keep references to them must be refilled after a rebuild (or keep method codes instead).
class TStatList {
public:
    TStatList();

    // ---- The archive ----
    void SetDraws(const TDrawsArray *draws) { m_draws = draws; }
    const TDrawsArray *Draws() const { return m_draws; }

    // ---- Methods ----
    // Lists the methods anew from the class table under the current settings; the display flags return
    // to their defaults and every method is a favourite. The mode Listable also lists the classes whose
    // family is not built yet (their CreateStat gives nullptr), for checks of the complete listing.
    void RebuildMethods(TExpandMode mode = TExpandMode::Available);
    int MethodCount() const { return static_cast<int>(m_methods.size()); }
    const TStatMethod &GetMethod(int i) const { return m_methods[size_t(i)]; }
    TStatMethod &GetMethod(int i) { return m_methods[size_t(i)]; }
    bool MethodAvailable(int i) const { return GetMethod(i).StatClass->Available(); }
    bool MethodSelectable(int i) const { return GetMethod(i).StatClass->Selectable(); }
    bool MethodIsGraph(int i) const { return GetMethod(i).StatClass->IsGraph(); }
    bool MethodHasKindN(int i) const { return GetMethod(i).StatClass->HasKindN(); }
    bool MethodIsFavorite(int i) const { return AllFavorites || GetMethod(i).Favorite; }
    // A new statistic of method i; the caller owns it.
    std::unique_ptr<TCustomStat> CreateMethodStat(int i) const;
    // The caption of method i in method lists: the full title, "{ grp } " before it when ShowGroupName is
    // set, and " [ SNG ]" after it when withFlags and ShowMethodFlags are set.
    QString MethodCaption(int i, bool withFlags) const;

    // The method whose code is exactly the given one (letters in any case); -1 when none is.
    int FindMethod(QStringView code) const;
    // The method named at the start of a text such as "CHN12:5": the part before ":" matched exactly
    // first; only when no code equals it, the first method in registry order whose code begins the
    // text. -1 when none does.
    int FindMethodForText(QStringView text) const;

    // ---- Favourites ----
    void SelectAllMethods();
    void UpdateAllFavoritesFlag();
    // The codes of the favourite methods in registry order, joined by ","; "" when all are favourites.
    QString FavoritesToText() const;
    // Makes favourites of the methods named in the text ("," between codes, letters in any case); an
    // empty text, or one that names no method of the registry, makes all methods favourites.
    void TextToFavorites(QStringView text);
    // The favourites file beside the program (".flt").
    static QString FavoritesFileName();
    // Reads (or writes) the favourites file; on failure shows the error box and returns false.
    bool LoadFilterSettings(const QString &fileName, bool withFavorites);
    // A file the user named is written where its link leads (TNamedBy::User).
    bool SaveFilterSettings(const QString &fileName, bool allTitles, TNamedBy namedBy = TNamedBy::Program);

    // ---- Settings in "Vendra.ini" (write errors raise EInOutError) ----
    void LoadStatSettings();
    void SaveStatSettings() const;
    void LoadGenerateSettings();
    void SaveGenerateSettings() const;
    void LoadShreddingFormulas();
    void SaveShreddingFormulas() const;

    // ---- Weights of a scenario run ----
    void BackupWeights() { WeightsBackup = Config.weights; }
    void RestoreWeights() { Config.weights = WeightsBackup; }
    // A filter's own weights, or the saved ones when it has none (nullptr).
    void ApplyWeights(const TWeightCoefs *own);

    // What a system stake of n numbers costs (negative) plus the prize for its number of matches once
    // (when matches >= 0 and the prize table has that entry).
    TCurrency SystemProfit(int n, int matches) const;

    // ---- Settings ----
    TConfigData Config;
    TWeightCoefs WeightsBackup;
    uint8_t CombsGenerateMode = 0;
    QString CombsGenerateParameters;
    TShreddingData Shredding;
    bool Ordered = false;
    bool ShowGroupName = false;
    bool ShowMethodFlags = false;
    bool AllFavorites = false;
    // The three-letter abbreviation of the language whose captions the favourites file holds for us: the
    // captions section is "STRINGS_" followed by it. Empty: the current user-interface language.
    QString LanguageAbbrev;

private:
    // "STRINGS_" and the abbreviation of LanguageAbbrev, else of the current user-interface language, else
    // of the built-in Russian.
    QString CaptionsSection() const;

    const TDrawsArray *m_draws = nullptr;
    std::vector<TStatMethod> m_methods;
    QHash<QString, int> m_byCode; // upper-case code -> method
};

// The program's one registry.
TStatList &StatList();

// The statistic of the method chosen in a list; raises Exception "Не выбран метод расчета статистики
// (cb: <list>)!" when no method is chosen.
std::unique_ptr<TCustomStat> CreateStatForMethod(const TStatList &list, const TStatMethod *method,
                                                 const QString &listName);
