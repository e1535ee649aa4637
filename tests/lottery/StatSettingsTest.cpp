#include "common/Cp1251.h"
#include "common/IniFile.h"
#include "common/Languages.h"
#include "common/ProgramFiles.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A settings file with every key of the statistic sections, and a section of another unit.
const char16_t kFullIni[] = u"[GLOBAL]\r\n"
                            u"MatrixCols=9\r\n"
                            u"MatrixSegments=112233445566778899112233445566778899112233445\r\n"
                            u"ChannelSize=7\r\n"
                            u"CombsGenerateMode=3\r\n"
                            u"CombsGenerateParameters=1-45;6\r\n"
                            u"\r\n"
                            u"[STAKES]\r\n"
                            u"Cost=0.5\r\n"
                            u"MaxStake=8\r\n"
                            u"Profits=2\r\n"
                            u"Profit_0_Overlap=3\r\n"
                            u"Profit_0_Profit=15.25\r\n"
                            u"Profit_1_Overlap=6\r\n"
                            u"Profit_1_Profit=1000000\r\n"
                            u"\r\n"
                            u"[CDL]\r\n"
                            u"Count=0.5\r\n"
                            u"Deviation=-2\r\n"
                            u"Level=1.25\r\n"
                            u"UsePercents=1\r\n"
                            u"UseAbsValues=0\r\n"
                            u"\r\n"
                            u"[SHREDDING]\r\n"
                            u"Formula1=(n1+n2)/p1\r\n"
                            u"Formula1Digits=3\r\n"
                            u"Formula2=(n4+n5+n6)/(n1+n2+n3)\r\n"
                            u"Formula2Digits=2\r\n"
                            u"Formula3=n1*t6\r\n"
                            u"Formula3Digits=5\r\n"
                            u"\r\n"
                            u"[PROXY]\r\n"
                            u"Server=proxy.local\r\n"
                            u"\r\n";

void writeIni(TempDataFolder &folder, const QString &text)
{
    folder.write(u"Vendra.ini"_s, Cp1251::encode(text));
}

} // namespace

TEST(StatSettings, MissingFileGivesTheDefaults)
{
    TempDataFolder folder;
    TStatList list;
    list.Config.matrixCols = 17;
    list.LoadStatSettings();
    list.LoadShreddingFormulas();
    list.LoadGenerateSettings();
    EXPECT_EQ(list.Config, DefaultStatConfig());
    EXPECT_EQ(list.Config.matrixCols, 5);
    EXPECT_EQ(list.Config.channelSize, 5);
    EXPECT_EQ(list.Config.maxStake, 6);
    EXPECT_EQ(list.Config.weights, (TWeightCoefs{0, -1, 1, false, false}));
    for (uint8_t s : list.Config.matrixSegments)
        EXPECT_EQ(s, 1);
    EXPECT_EQ(list.Shredding.Formulas[0], u"(n1+n2+n3)/(n4+n5+n6)");
    EXPECT_EQ(list.Shredding.Formulas[1], u"(n4+n5+n6)/(n1+n2+n3)");
    EXPECT_EQ(list.Shredding.Formulas[2], u"(n1+n3+n5)/(n2+n4+n6)");
    EXPECT_EQ(list.Shredding.Digits, (std::array<uint8_t, 3>{2, 2, 2}));
    EXPECT_EQ(list.CombsGenerateMode, 0);
    EXPECT_EQ(list.CombsGenerateParameters, u"");
}

TEST(StatSettings, EveryKeyIsReadAndWrittenBack)
{
    TempDataFolder folder;
    writeIni(folder, QString::fromUtf16(kFullIni));
    TStatList list;
    list.LoadGenerateSettings();
    list.LoadStatSettings();
    list.LoadShreddingFormulas();
    EXPECT_EQ(list.Config.matrixCols, 9);
    EXPECT_EQ(list.Config.channelSize, 7);
    EXPECT_EQ(list.Config.matrixSegments[0], 1);
    EXPECT_EQ(list.Config.matrixSegments[2], 2);
    EXPECT_EQ(list.Config.matrixSegments[44], 5);
    EXPECT_EQ(list.Config.cost, 5000);
    EXPECT_EQ(list.Config.maxStake, 8);
    EXPECT_EQ(list.Config.profits, (TProfitDrawArray{{3, 152500}, {6, 10000000000}}));
    EXPECT_EQ(list.Config.weights, (TWeightCoefs{0.5, -2, 1.25, true, false}));
    EXPECT_EQ(list.Shredding.Formulas[0], u"(n1+n2)/p1");
    EXPECT_EQ(list.Shredding.Digits, (std::array<uint8_t, 3>{3, 2, 5}));
    EXPECT_EQ(list.CombsGenerateMode, 3);
    EXPECT_EQ(list.CombsGenerateParameters, u"1-45;6");

    // Written back in a fresh file, the statistic sections hold the same keys and values; other sections stay.
    folder.write(u"Vendra.ini"_s, Cp1251::encode(u"[PROXY]\r\nServer=proxy.local\r\n"_s));
    list.SaveGenerateSettings();
    list.SaveStatSettings();
    list.SaveShreddingFormulas();
    const IniFile written(GetIniFileName());
    const IniFile original = [] {
        IniFile ini;
        ini.setText(QString::fromUtf16(kFullIni));
        return ini;
    }();
    for (const QString &section : original.readSections()) {
        EXPECT_EQ(written.readSectionValues(section).size(), original.readSectionValues(section).size())
            << section.toStdString();
        for (const QString &key : original.readSection(section))
            EXPECT_EQ(written.readString(section, key), original.readString(section, key))
                << section.toStdString() << '/' << key.toStdString();
    }
}

TEST(StatSettings, BadValuesTakeTheirDefaults)
{
    TempDataFolder folder;
    writeIni(folder, u"[GLOBAL]\r\nMatrixCols=0\r\nChannelSize=2\r\nMatrixSegments=1203x5\r\n"
                     u"CombsGenerateMode=300\r\nCombsGenerateParameters="_s +
                         QString(300, u'a') +
                         u"\r\n[STAKES]\r\nCost=abc\r\nMaxStake=-1\r\nProfits=-4\r\n"
                         u"[CDL]\r\nLevel=x\r\nUsePercents=5\r\n"
                         u"[SHREDDING]\r\nFormula1Digits=9\r\nFormula2Digits=0\r\n"_s);
    TStatList list;
    list.LoadStatSettings();
    list.LoadShreddingFormulas();
    list.LoadGenerateSettings();
    EXPECT_EQ(list.Config.matrixCols, 5);
    EXPECT_EQ(list.Config.channelSize, 5);
    EXPECT_EQ(list.Config.matrixSegments[0], 1);
    EXPECT_EQ(list.Config.matrixSegments[1], 2);
    EXPECT_EQ(list.Config.matrixSegments[2], 1); // 0 is no segment
    EXPECT_EQ(list.Config.matrixSegments[3], 3);
    EXPECT_EQ(list.Config.matrixSegments[4], 1); // not a digit
    EXPECT_EQ(list.Config.matrixSegments[5], 5);
    EXPECT_EQ(list.Config.matrixSegments[6], 1); // missing
    EXPECT_EQ(list.Config.cost, 0);
    EXPECT_EQ(list.Config.maxStake, 6);
    EXPECT_TRUE(list.Config.profits.empty());
    EXPECT_EQ(list.Config.weights.level, 1);
    EXPECT_TRUE(list.Config.weights.usePercents);
    EXPECT_EQ(list.Shredding.Digits, (std::array<uint8_t, 3>{2, 2, 2}));
    EXPECT_EQ(list.CombsGenerateMode, 0);
    EXPECT_EQ(list.CombsGenerateParameters.size(), 255);

    // A channel size or column count far out of range never reaches the parameter ranges.
    writeIni(folder, u"[GLOBAL]\r\nMatrixCols=256\r\nChannelSize=-7\r\n"_s);
    list.LoadStatSettings();
    list.RebuildMethods(TExpandMode::Listable);
    EXPECT_GE(list.FindMethod(u"CHN9"), 0);
    EXPECT_EQ(list.FindMethod(u"CHN10"), -1);
    EXPECT_GE(list.FindMethod(u"COL5"), 0);
    EXPECT_EQ(list.FindMethod(u"COL6"), -1);
}

TEST(StatSettings, CostRoundTripsInMoneyUnits)
{
    TempDataFolder folder;
    writeIni(folder, u"[STAKES]\r\nCost=0,5\r\nProfits=3\r\nProfit_0_Overlap=1\r\nProfit_1_Overlap=2\r\n"
                     u"Profit_2_Overlap=3\r\n"_s);
    TStatList list;
    list.LoadStatSettings();
    EXPECT_EQ(list.Config.cost, 5000);
    list.Config.profits.resize(1);
    list.SaveStatSettings();
    const IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readString(u"STAKES"_s, u"Cost"_s), u"0.5");
    EXPECT_EQ(ini.readInteger(u"STAKES"_s, u"Profits"_s, -1), 1);
    // The entries of the longer table are gone.
    EXPECT_FALSE(ini.valueExists(u"STAKES"_s, u"Profit_2_Overlap"_s));
    EXPECT_EQ(MoneyFromUnits(123.4567), 1234567);
    EXPECT_EQ(MoneyFromUnits(1e300, -1), -1);
}

TEST(StatFavouritesFile, CaptionsAndFavouritesRoundTrip)
{
    TempDataFolder folder;
    const QString file = TStatList::FavoritesFileName();
    EXPECT_EQ(file, GetProgramBasePath() + u".flt"_s);

    TStatList list;
    list.RebuildMethods(TExpandMode::Listable);
    list.TextToFavorites(u"POS2,nums,CHN3");
    list.Ordered = true;
    list.ShowGroupName = false;
    list.GetMethod(list.FindMethod(u"DIGS")).Caption = u"Цифры"_s;
    ASSERT_TRUE(list.SaveFilterSettings(file, false));
    IniFile saved(file);
    EXPECT_EQ(saved.readString(u"FILTERS"_s, u"Favorites"_s), u"NUMS,POS2,CHN3");
    EXPECT_EQ(saved.readSection(u"STRINGS_RUS"_s), QStringList{u"DIGS"_s});

    TStatList back;
    back.RebuildMethods(TExpandMode::Listable);
    ASSERT_TRUE(back.LoadFilterSettings(file, true));
    EXPECT_EQ(back.FavoritesToText(), u"NUMS,POS2,CHN3");
    EXPECT_TRUE(back.Ordered);
    EXPECT_FALSE(back.ShowGroupName);
    EXPECT_TRUE(back.ShowMethodFlags);
    EXPECT_EQ(back.GetMethod(back.FindMethod(u"DIGS")).MethodDisplayTitle(), u"Цифры");
    EXPECT_EQ(back.GetMethod(back.FindMethod(u"NUMS")).Caption, u"");

    // Every title written; read without the favourites, the captions alone are taken.
    ASSERT_TRUE(list.SaveFilterSettings(file, true));
    EXPECT_EQ(IniFile(file).readString(u"STRINGS_RUS"_s, u"POS1"_s), u"Число в 1 позиции тиража");
    EXPECT_EQ(IniFile(file).readSection(u"STRINGS_RUS"_s).size(), list.MethodCount());
    TStatList titles;
    titles.RebuildMethods(TExpandMode::Listable);
    ASSERT_TRUE(titles.LoadFilterSettings(file, false));
    EXPECT_TRUE(titles.AllFavorites);
    EXPECT_EQ(titles.GetMethod(titles.FindMethod(u"POS1")).Caption, u"Число в 1 позиции тиража");
}

TEST(StatFavouritesFile, MissingKeysKeepTheCurrentState)
{
    TempDataFolder folder;
    folder.write(u"user.flt"_s, Cp1251::encode(u"[FILTERS]\r\nOrdered=1\r\n[STRINGS_ENU]\r\nNUMS=Numbers\r\n"_s));
    TStatList list;
    list.RebuildMethods();
    list.TextToFavorites(u"DIGS");
    ASSERT_TRUE(list.LoadFilterSettings(folder.file(u"user.flt"_s), true));
    EXPECT_EQ(list.FavoritesToText(), u"DIGS");
    EXPECT_TRUE(list.Ordered);
    EXPECT_EQ(list.GetMethod(0).Caption, u""); // another language's captions are not ours
    list.LanguageAbbrev = u"ENU"_s;
    ASSERT_TRUE(list.LoadFilterSettings(folder.file(u"user.flt"_s), false));
    EXPECT_EQ(list.GetMethod(0).MethodDisplayTitle(), u"Numbers");
}

TEST(StatFavouritesFile, CaptionsFollowTheUserInterfaceLanguage)
{
    TempDataFolder folder;
    const QString file = folder.file(u"user.flt"_s);
    folder.write(u"user.flt"_s, Cp1251::encode(u"[STRINGS_RUS]\r\nNUMS=Числа\r\n[STRINGS_ENU]\r\nNUMS=Numbers\r\n"_s));
    TStatList list;
    list.RebuildMethods();
    FinalizeLanguages();
    ASSERT_TRUE(list.LoadFilterSettings(file, false));
    EXPECT_EQ(list.GetMethod(0).Caption, u"Числа");

    // With English as the user-interface language the English captions are read, and saving writes them
    // there, leaving the Russian ones alone.
    InitLanguages(kEnglishLcid, kEnglishLcid);
    ASSERT_TRUE(list.LoadFilterSettings(file, false));
    EXPECT_EQ(list.GetMethod(0).Caption, u"Numbers");
    list.GetMethod(0).Caption = u"All numbers"_s;
    ASSERT_TRUE(list.SaveFilterSettings(file, false));
    FinalizeLanguages();
    const IniFile saved(file);
    EXPECT_EQ(saved.readString(u"STRINGS_ENU"_s, u"NUMS"_s), u"All numbers");
    EXPECT_EQ(saved.readString(u"STRINGS_RUS"_s, u"NUMS"_s), u"Числа");
}

TEST(StatFavouritesFile, FailuresAreShownAndReported)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TStatList list;
    list.RebuildMethods();
    QDir(folder.path()).mkdir(u"folder.flt"_s);
    EXPECT_FALSE(list.LoadFilterSettings(folder.file(u"folder.flt"_s), true));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка загрузки списка фильтров!\r\r"));
    EXPECT_TRUE(list.AllFavorites);

    EXPECT_FALSE(list.SaveFilterSettings(folder.file(u"no/such/folder/x.flt"_s), false));
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка сохранения списка фильтров!\r\r"));
}
