#include "common/Exception.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList codesOf(const TStatList &list)
{
    QStringList codes;
    for (int i = 0; i < list.MethodCount(); ++i)
        codes << list.GetMethod(i).MethodCode();
    return codes;
}

QStringList withPrefix(const QStringList &codes, const QString &prefix)
{
    QStringList out;
    for (const QString &c : codes)
        if (c.startsWith(prefix))
            out << c;
    return out;
}

// Every method under the default settings once all statistic families are built, in registry order.
const QStringList kFullListing{
    u"NUMS"_s, u"DIGS"_s, u"EVEN"_s, u"EVNV"_s, u"SMAL"_s, u"SMLV"_s, u"PRIM"_s, u"PRMV"_s, u"SUMS"_s, u"SUM1"_s,
    u"SUM2"_s, u"SUM3"_s, u"SUMC"_s, u"SUMV"_s, u"SUMT"_s, u"SUME"_s, u"SUMP"_s, u"S2T3"_s, u"DIFA"_s, u"DIFM"_s,
    u"DIFD"_s, u"DIFO"_s, u"DIFK"_s, u"CHAN"_s, u"CHNV"_s, u"CHNC"_s, u"COLS"_s, u"ROWS"_s, u"COLV"_s, u"ROWV"_s,
    u"COLN"_s, u"ROWN"_s, u"COLM"_s, u"ROWM"_s, u"COLA"_s, u"ROWA"_s, u"COLC"_s, u"ROWC"_s, u"SGMS"_s, u"SGMV"_s,
    u"SGMC"_s, u"SEQL"_s, u"SEQS"_s, u"LENS"_s, u"RPV2"_s, u"RPV3"_s, u"PRL2"_s, u"PRV2O1"_s, u"PRV2O2"_s, u"PRV2O3"_s,
    u"PRV+1"_s, u"PRV-1"_s, u"PRV+2"_s, u"PRV-2"_s, u"RPC2"_s, u"RPC3"_s, u"PRB2"_s, u"RPO1"_s, u"PRC2O2"_s, u"PRC2O3"_s,
    u"PRC+1"_s, u"PRC-1"_s, u"PRC+2"_s, u"PRC-2"_s, u"KNM2"_s, u"KNM3"_s, u"KNM4"_s, u"KNS2"_s, u"KNS3"_s, u"KNS4"_s,
    u"KNP21"_s, u"KNP22"_s, u"KNP23"_s, u"KNP24"_s, u"KNP25"_s, u"KNP31"_s, u"KNP32"_s, u"KNP33"_s, u"KNP34"_s, u"KNP41"_s,
    u"KNP42"_s, u"KNP43"_s, u"KDS2"_s, u"KDS3"_s, u"KDS4"_s, u"KCM2"_s, u"KCM3"_s, u"KCM4"_s, u"KCS2"_s, u"KCS3"_s,
    u"KCS4"_s, u"KFM2"_s, u"KFM3"_s, u"KFM4"_s, u"KFS2"_s, u"KFS3"_s, u"KFS4"_s, u"KRM2"_s, u"KRM3"_s, u"KRM4"_s,
    u"KRS2"_s, u"KRS3"_s, u"KRS4"_s, u"KGM2"_s, u"KGM3"_s, u"KGM4"_s, u"KGS2"_s, u"KGS3"_s, u"KGS4"_s, u"POS1"_s,
    u"POS2"_s, u"POS3"_s, u"POS4"_s, u"POS5"_s, u"POS6"_s, u"POE1"_s, u"POE2"_s, u"CHN1"_s, u"CHN2"_s, u"CHN3"_s,
    u"CHN4"_s, u"CHN5"_s, u"CHN6"_s, u"CHN7"_s, u"CHN8"_s, u"CHN9"_s, u"COL1"_s, u"COL2"_s, u"COL3"_s, u"COL4"_s,
    u"COL5"_s, u"ROW1"_s, u"ROW2"_s, u"ROW3"_s, u"ROW4"_s, u"ROW5"_s, u"ROW6"_s, u"ROW7"_s, u"ROW8"_s, u"ROW9"_s,
    u"SGM1"_s, u"GRPV"_s, u"GRPP"_s, u"GRCV"_s, u"GRCP"_s, u"GRSV"_s, u"GRSP"_s, u"PRDV"_s, u"PRDC"_s, u"PRDG"_s,
    u"SDV2"_s, u"SDP2"_s, u"SDN1"_s, u"SDN2"_s, u"SDN3"_s, u"SDN4"_s, u"SDN5"_s, u"SDN6"_s, u"SDP3"_s, u"SDM1"_s,
    u"SDM2"_s, u"SDM3"_s, u"SDM4"_s, u"SDM5"_s, u"SDM6"_s, u"SCV2"_s, u"SCP2"_s, u"SCN1"_s, u"SCN2"_s, u"SCN3"_s,
    u"SCN4"_s, u"SCN5"_s, u"SCN6"_s, u"SCP3"_s, u"SCM1"_s, u"SCM2"_s, u"SCM3"_s, u"SCM4"_s, u"SCM5"_s, u"SCM6"_s,
    u"SC2C1"_s, u"SC2C2"_s, u"SC2C3"_s, u"SC2C4"_s, u"SC2C5"_s, u"SC2C6"_s, u"SC2C7"_s, u"SC2C8"_s, u"SC2C9"_s, u"SC3C1"_s,
    u"SC3C2"_s, u"SC3C3"_s, u"SC3C4"_s, u"SC3C5"_s, u"SC3C6"_s, u"SC3C7"_s, u"SC3C8"_s, u"SC3C9"_s, u"SDA2"_s, u"SDG2"_s,
    u"SDZ2"_s, u"SDC2"_s, u"SSV2"_s, u"SSP2"_s, u"SSN1"_s, u"SSN2"_s, u"SSN3"_s, u"SSN4"_s, u"SSN5"_s, u"SSN6"_s,
    u"SSP3"_s, u"SSM1"_s, u"SSM2"_s, u"SSM3"_s, u"SSM4"_s, u"SSM5"_s, u"SSM6"_s, u"SS2C1"_s, u"SS3C1"_s, u"HCO1"_s,
    u"HCO2"_s, u"HCO3"_s, u"SHR1"_s, u"SHR2"_s, u"SHR3"_s};

} // namespace

TEST(StatRegistryListing, EveryMethodOncePerParameterInRegistryOrder)
{
    TStatList list;
    list.RebuildMethods(TExpandMode::Listable);
    EXPECT_EQ(kFullListing.size(), 225);
    EXPECT_EQ(codesOf(list), kFullListing);
    EXPECT_FALSE(codesOf(list).contains(u"KNO2"_s));
    EXPECT_EQ(list.FindMethod(u"KNO3"), -1);
}

TEST(StatRegistryListing, AvailableMethodsAndTheNumberStatistics)
{
    TStatList list;
    list.RebuildMethods();
    QStringList available;
    for (const QString &code : kFullListing) {
        TStatList all;
        all.RebuildMethods(TExpandMode::Listable);
        if (all.GetMethod(all.FindMethod(code)).StatClass->Available())
            available << code;
    }
    EXPECT_EQ(codesOf(list), available);
    const QStringList numbers{u"NUMS"_s, u"DIGS"_s, u"EVEN"_s, u"EVNV"_s, u"SMAL"_s, u"SMLV"_s, u"PRIM"_s, u"PRMV"_s,
                              u"POS1"_s, u"POS2"_s, u"POS3"_s, u"POS4"_s, u"POS5"_s, u"POS6"_s, u"POE1"_s, u"POE2"_s};
    QStringList listedNumbers;
    for (int i = 0; i < list.MethodCount(); ++i)
        if (numbers.contains(list.GetMethod(i).MethodCode()))
            listedNumbers << list.GetMethod(i).MethodCode();
    EXPECT_EQ(listedNumbers, numbers);
    for (int i = 0; i < list.MethodCount(); ++i)
        EXPECT_TRUE(list.CreateMethodStat(i)) << list.GetMethod(i).MethodCode().toStdString();
    EXPECT_TRUE(list.ShowGroupName);
    EXPECT_TRUE(list.ShowMethodFlags);
    EXPECT_TRUE(list.AllFavorites);
    EXPECT_FALSE(list.Ordered);
}

TEST(StatRegistryListing, ParameterRangesFollowTheSettings)
{
    TStatList list;
    list.Config.channelSize = 3;
    list.Config.matrixCols = 10;
    for (int n = 0; n < 45; ++n)
        list.Config.matrixSegments[size_t(n)] = uint8_t(n % 4 + 1);
    list.RebuildMethods(TExpandMode::Listable);
    const QStringList codes = codesOf(list);
    EXPECT_EQ(withPrefix(codes, u"CHN"_s).size(), 15 + 2); // CHN1..CHN15 and CHNV, CHNC
    EXPECT_TRUE(codes.contains(u"SC2C15"_s));
    EXPECT_FALSE(codes.contains(u"SC2C16"_s));
    EXPECT_EQ(withPrefix(codes, u"COL"_s).size(), 10 + 6);
    EXPECT_TRUE(codes.contains(u"ROW5"_s));
    EXPECT_FALSE(codes.contains(u"ROW6"_s));
    EXPECT_EQ(withPrefix(codes, u"SGM"_s), (QStringList{u"SGMS"_s, u"SGMV"_s, u"SGMC"_s, u"SGM1"_s, u"SGM2"_s,
                                                        u"SGM3"_s, u"SGM4"_s}));

    list.Config.matrixSegments.fill(5);
    list.RebuildMethods(TExpandMode::Listable);
    EXPECT_EQ(withPrefix(codesOf(list), u"SS2C"_s), QStringList{u"SS2C5"_s});
}

TEST(StatRegistryListing, CodesInTextsMatchExactlyBeforeAnyPrefix)
{
    TStatList list;
    list.Config.channelSize = 3;
    list.RebuildMethods(TExpandMode::Listable);
    auto codeFor = [&](const char16_t *text) {
        const int i = list.FindMethodForText(text);
        return i < 0 ? QString() : list.GetMethod(i).MethodCode();
    };
    EXPECT_EQ(codeFor(u"CHN12:5"), u"CHN12");
    EXPECT_EQ(codeFor(u"chn1:5"), u"CHN1");
    EXPECT_EQ(codeFor(u"SC2C13:20"), u"SC2C13");
    EXPECT_EQ(codeFor(u"NUMS"), u"NUMS");
    // No code equals the text: the first code that begins it.
    EXPECT_EQ(codeFor(u"POS12:10"), u"POS1");
    EXPECT_EQ(codeFor(u"NUMSX:10"), u"NUMS");
    EXPECT_EQ(codeFor(u"ZZZZ:1"), u"");
    EXPECT_EQ(list.FindMethod(u" pos3 "), list.FindMethod(u"POS3"));
}

TEST(StatRegistryCaptions, GroupNameFlagsAndUserCaptions)
{
    TStatList list;
    list.RebuildMethods(TExpandMode::Listable);
    const int nums = list.FindMethod(u"NUMS");
    const int pos1 = list.FindMethod(u"POS1");
    list.ShowGroupName = false;
    EXPECT_EQ(list.MethodCaption(nums, true), u"Числа тиража [ N ]");
    EXPECT_EQ(list.MethodCaption(pos1, true), u"Число в 1 позиции тиража [ SNG ]");
    EXPECT_EQ(list.MethodCaption(pos1, false), u"Число в 1 позиции тиража");
    list.ShowGroupName = true;
    EXPECT_EQ(list.MethodCaption(nums, true), u"{ num } Числа тиража [ N ]");
    list.ShowMethodFlags = false;
    EXPECT_EQ(list.MethodCaption(nums, true), u"{ num } Числа тиража");
    list.ShowGroupName = false;
    EXPECT_EQ(list.MethodCaption(list.FindMethod(u"POE1"), true), u"Extra (Bonus, Star...) - число (!без фильтра!)");

    list.GetMethod(nums).Caption = u"Мои числа"_s;
    EXPECT_EQ(list.MethodCaption(nums, false), u"Мои числа");
}

TEST(StatRegistryCaptions, ShreddingTitlesTakeTheFormulaOfTheLastRebuild)
{
    TStatList list;
    list.RebuildMethods(TExpandMode::Listable);
    const int shr1 = list.FindMethod(u"SHR1");
    EXPECT_EQ(list.GetMethod(shr1).MethodFullTitle(), u"Метод шинковки 1: (n1+n2+n3)/(n4+n5+n6)");
    list.Shredding.Formulas[0] = u"n1*2"_s;
    EXPECT_EQ(list.GetMethod(shr1).MethodFullTitle(), u"Метод шинковки 1: (n1+n2+n3)/(n4+n5+n6)");
    list.RebuildMethods(TExpandMode::Listable);
    EXPECT_EQ(list.GetMethod(shr1).MethodFullTitle(), u"Метод шинковки 1: n1*2");
    // A caption is shown as typed: a stray "%" is no directive.
    list.GetMethod(shr1).Caption = u"Доля 50% %d: %s"_s;
    EXPECT_EQ(list.GetMethod(shr1).MethodFullTitle(), u"Доля 50% %d: n1*2");
    list.GetMethod(shr1).Caption = u"100%% без формулы"_s;
    EXPECT_EQ(list.GetMethod(shr1).MethodFullTitle(), u"100%% без формулы");
    // Other groups never format their captions.
    list.GetMethod(0).Caption = u"%s %d"_s;
    EXPECT_EQ(list.GetMethod(0).MethodFullTitle(), u"%s %d");
}

TEST(StatRegistryFavourites, TextsInRegistryOrder)
{
    TStatList list;
    list.RebuildMethods();
    EXPECT_EQ(list.FavoritesToText(), u"");
    list.TextToFavorites(u"pos1, nums");
    EXPECT_FALSE(list.AllFavorites);
    EXPECT_EQ(list.FavoritesToText(), u"NUMS,POS1");
    EXPECT_TRUE(list.MethodIsFavorite(list.FindMethod(u"NUMS")));
    EXPECT_FALSE(list.MethodIsFavorite(list.FindMethod(u"DIGS")));
    list.TextToFavorites(u"  ");
    EXPECT_TRUE(list.AllFavorites);
    EXPECT_EQ(list.FavoritesToText(), u"");
    // A list naming no method of the registry keeps every method at hand.
    list.TextToFavorites(u"XXXX,YYY9");
    EXPECT_TRUE(list.AllFavorites);
    EXPECT_TRUE(list.MethodIsFavorite(0));

    for (int i = 0; i < list.MethodCount(); ++i)
        list.GetMethod(i).Favorite = false;
    list.UpdateAllFavoritesFlag();
    EXPECT_TRUE(list.AllFavorites);
    EXPECT_TRUE(list.GetMethod(3).Favorite);
    list.GetMethod(3).Favorite = false;
    list.UpdateAllFavoritesFlag();
    EXPECT_FALSE(list.AllFavorites);

    TStatList empty;
    empty.UpdateAllFavoritesFlag();
    EXPECT_TRUE(empty.AllFavorites);
}

TEST(StatRegistryWeights, BackupApplyRestoreAndSystemProfit)
{
    TStatList list;
    list.BackupWeights();
    const TWeightCoefs own{5, 6, 7, true, true};
    list.ApplyWeights(&own);
    EXPECT_EQ(list.Config.weights, own);
    list.ApplyWeights(nullptr);
    EXPECT_EQ(list.Config.weights, (TWeightCoefs{0, -1, 1, false, false}));

    list.Config.cost = 5000;
    list.Config.profits = {{3, 150000}, {6, 10000000}};
    EXPECT_EQ(list.SystemProfit(6, -1), -5000);
    EXPECT_EQ(list.SystemProfit(6, 5), -5000);
    EXPECT_EQ(list.SystemProfit(7, 6), -7 * 5000 + 10000000);
    EXPECT_EQ(list.SystemProfit(8, 3), -28 * 5000 + 150000);
}

TEST(StatRegistryWeights, NoMethodChosenIsReported)
{
    TStatList list;
    list.RebuildMethods();
    try {
        CreateStatForMethod(list, nullptr, u"cbMethod"_s);
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Не выбран метод расчета статистики (cb: cbMethod)!");
    }
    EXPECT_TRUE(CreateStatForMethod(list, &list.GetMethod(0), u"cbMethod"_s));
}
