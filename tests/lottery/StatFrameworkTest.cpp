#include "lottery/DrawDates.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"
#include "lottery/stats/StatRegistry.h"
#include "tests/support/TempDataFolder.h"

#include <QSet>
#include <gtest/gtest.h>

#include <limits>
#include <map>

using namespace Qt::StringLiterals;

namespace {

const TStatClass &classOf(const char16_t *name)
{
    const TStatClass *c = FindStatClass(name);
    EXPECT_NE(c, nullptr) << QString::fromUtf16(name).toStdString();
    return *c;
}

} // namespace

TEST(StatGroups, CaptionsCodesAndLetters)
{
    EXPECT_EQ(GroupCaption(0), u"{ num } Числа тиража");
    EXPECT_EQ(GroupCaption(12), u"{ shr } Методы шинковки");
    EXPECT_EQ(GroupCaption(13), u"#ERROR#");
    EXPECT_EQ(GroupCaption(-1), u"#ERROR#");
    EXPECT_EQ(GroupCode(10), u"mov");
    EXPECT_EQ(KindLetters(skS | skN | skG), u"SNG");
    EXPECT_EQ(KindLetters(skG | skP | skD | skS), u"SDPG");
    EXPECT_EQ(KindLetters(0), u"");
}

TEST(StatClassTable, HoldsEveryClassOnceInItsGroup)
{
    // The classes per group as the statistic families define them.
    const std::map<int, int> perGroup{{sgNum, 22}, {sgSum, 8}, {sgDif, 8}, {sgGrp, 10}, {sgMtx, 26},
                                      {sgSgm, 10}, {sgSeq, 3}, {sgRep, 20}, {sgSer, 6},  {sgPer, 3},
                                      {sgMov, 23}, {sgTlk, 3}, {sgShr, 1}};
    std::map<int, int> counted;
    QSet<QString> codes, names;
    for (const TStatClass &c : StatClasses()) {
        ++counted[c.Group];
        codes.insert(c.CodeTemplate());
        names.insert(QString::fromUtf16(c.ClassName));
        EXPECT_EQ(c.Kinds & skG, 0) << c.CodeTemplate().toStdString();
    }
    EXPECT_EQ(counted, perGroup);
    EXPECT_EQ(codes.size(), kStatClassCount);
    EXPECT_EQ(names.size(), kStatClassCount);
}

TEST(StatClassTable, AvailableClassesMatchTheirDescriptions)
{
    TStatList list;
    for (const TStatClass &c : StatClasses()) {
        if (!c.Available())
            continue;
        int min = 0, max = 0;
        c.ParamRange(list.Config, min, max);
        auto stat = c.Factory(c, list, c.HasParamRange() ? min : 0);
        ASSERT_TRUE(stat);
        EXPECT_EQ(dynamic_cast<TCustomGraphStat *>(stat.get()) != nullptr, c.IsGraph())
            << c.CodeTemplate().toStdString();
        EXPECT_EQ(&stat->StatClass(), &c);
    }
    for (const char16_t *sorted : {u"TstCombValSort2", u"TstCombValSort3", u"TstCombValSort4"})
        EXPECT_FALSE(classOf(sorted).Available());
}

TEST(StatClassTable, FlagsTitlesAndCodes)
{
    EXPECT_EQ(classOf(u"TstPosVal").Flags(), 19u);
    EXPECT_EQ(classOf(u"TstCombValSort2").Flags(), 0u);
    EXPECT_EQ(classOf(u"TstEvenCount").Flags(), unsigned(skN | skG));
    EXPECT_EQ(KindLetters(classOf(u"TstChain2Pos").Flags()), u"SD");
    EXPECT_EQ(KindLetters(classOf(u"TstNumPeriods").Flags()), u"P");

    EXPECT_EQ(classOf(u"TstPosVal").CodeFor(3), u"POS3");
    EXPECT_EQ(classOf(u"TstCombValPos3").CodeFor(4), u"KNP34");
    EXPECT_EQ(classOf(u"TstRepValues2P1").CodeFor(0), u"PRV+1");
    EXPECT_EQ(classOf(u"TstRepCount2over1").CodeFor(0), u"RPO1");
    EXPECT_EQ(classOf(u"TstChain3CnlCnt").CodeFor(7), u"SC3C7");

    EXPECT_EQ(classOf(u"TstPosVal").TitleFor(1), u"Число в 1 позиции тиража");
    EXPECT_EQ(classOf(u"TstSumRanges").TitleFor(1), u"Сумма тиража: диапазон 1 (1/3)");
    EXPECT_EQ(classOf(u"TstSumRanges").TitleFor(2), u"Сумма тиража: диапазон 2 (1/2)");
    EXPECT_EQ(classOf(u"TstSumRanges").TitleFor(3), u"Сумма тиража: диапазон 3 (2/3)");
    EXPECT_EQ(classOf(u"TstCombValMix2").TitleFor(0), u"Сочетания из 2 чисел по всем числам тиража");
    EXPECT_EQ(classOf(u"TstCombValPos2").TitleFor(5), u"Сочетания из 2-х чисел тиража начиная с 5 позиции");
    EXPECT_EQ(classOf(u"TstChain2Pos").TitleTemplate(), u"Переходы чисел между 2 тиражами в %d позиции");
    EXPECT_EQ(classOf(u"TstChain2Pos").TitleFor(4), u"Переходы чисел между 2 тиражами в 4 позиции");
    EXPECT_EQ(classOf(u"TstChain3CnlCnt").TitleFor(6), u"Переходы кол-ва чисел в 6 канале между 3 тиражами");
    EXPECT_EQ(classOf(u"TstRepValues2P1").TitleFor(0), u"Данные предыдущего тиража + 1");
    EXPECT_EQ(classOf(u"TstRepCount2N2").TitleFor(0), u"Количество совпадений \"значений - 2\"");
    EXPECT_EQ(classOf(u"TstRepValues2over2").TitleFor(0), u"Повторяющиеся числа в 2-х тиражах через 2 тираж(а)");
    EXPECT_EQ(classOf(u"TstShreddingStat").TitleFor(2), u"Метод шинковки 2: %s");
    EXPECT_EQ(classOf(u"TstTalvik2").TitleFor(0), u"Число Талвика 2 (разность + сложение, если {0,1})");
}

TEST(StatClassTable, HelpTopics)
{
    const QString saved = HelpFileName;
    HelpFileName.clear();
    EXPECT_EQ(classOf(u"TstValues").HelpURL(0), u"");
    HelpFileName = u"/nonexistent/help.chm"_s;
    EXPECT_EQ(classOf(u"TstValues").HelpURL(0), u"");

    TempDataFolder folder;
    folder.write(u"Help.chm"_s, "x");
    HelpFileName = folder.file(u"Help.chm"_s);
    const QString base = u"ms-its:"_s + HelpFileName + u"::/Filters_1049_"_s;
    EXPECT_EQ(classOf(u"TstValues").HelpURL(0), base + u"NUMS.htm"_s);
    EXPECT_EQ(classOf(u"TstPosVal").HelpURL(4), base + u"POSx.htm"_s);
    EXPECT_EQ(classOf(u"TstPosExt").HelpURL(2), base + u"POSx.htm"_s);
    EXPECT_EQ(classOf(u"TstShreddingStat").HelpURL(1), base + u"SHRx.htm"_s);
    EXPECT_EQ(classOf(u"TstCombValPos2").HelpURL(3), base + u"KNP2.htm"_s);
    EXPECT_EQ(classOf(u"TstChain2CnlCnt").HelpURL(3), base + u"SC2Cx.htm"_s);
    EXPECT_EQ(classOf(u"TstSumRanges").HelpURL(2), base + u"SUM2.htm"_s);
    HelpFileName = saved;
}

TEST(StatFramework, DrawsOutsideTheArchiveReadAsZero)
{
    TStatList list;
    list.RebuildMethods();
    auto noDraws = list.CreateMethodStat(list.FindMethod(u"NUMS"));
    EXPECT_EQ(noDraws->GetDraw(0, false), TDrawRec{});

    TDrawsArray draws(2);
    draws[1].number = 5;
    draws[1].main = {9, 3, 7, 1, 2, 8};
    draws[1].extra = {44, 40};
    list.SetDraws(&draws);
    auto stat = list.CreateMethodStat(list.FindMethod(u"NUMS"));
    EXPECT_EQ(stat->GetDraw(-1, false), TDrawRec{});
    EXPECT_EQ(stat->GetDraw(2, true), TDrawRec{});
    const TDrawRec sorted = stat->GetDraw(1, true);
    EXPECT_EQ(sorted.main, (std::array<uint8_t, 6>{1, 2, 3, 7, 8, 9}));
    EXPECT_EQ(sorted.extra, (std::array<uint8_t, 2>{44, 40}));
    // The statistic reads the archive it was given, as it is now.
    draws[1].main[0] = 45;
    EXPECT_EQ(stat->GetDraw(1, false).main[0], 45);
    EXPECT_EQ(stat->FindDrawWithValue(TStatValueRec{}, 2, 1, false), -1);
}

TEST(StatFramework, SampleBounds)
{
    auto bounds = [](int count, int offset, int length) {
        const TSampleBounds s = SampleBounds(count, offset, length);
        return std::make_pair(s.First, s.Last);
    };
    EXPECT_EQ(bounds(10, 0, 5), std::make_pair(5, 9));
    EXPECT_EQ(bounds(10, 3, 100), std::make_pair(0, 6));
    EXPECT_TRUE(SampleBounds(0, 0, 5).empty());
    EXPECT_TRUE(SampleBounds(10, 10, 5).empty());
    EXPECT_TRUE(SampleBounds(10, 0, 0).empty());
    // Extreme settings stay within integer range (checked by the sanitizer build).
    EXPECT_TRUE(SampleBounds(10, 100, std::numeric_limits<int>::max()).empty());
    EXPECT_TRUE(SampleBounds(0, std::numeric_limits<int>::max(), 5).empty());
    EXPECT_EQ(bounds(10, 0, std::numeric_limits<int>::max()), std::make_pair(0, 9));
}
