#include "lottery/DrawTexts.h"

#include "common/Exception.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TComb MakeComb(std::array<uint8_t, 6> n)
{
    TComb c;
    c.n = n;
    return c;
}

QString CombErrorOf(const QString &text)
{
    try {
        TextToComb(text);
    } catch (const Exception &e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(DrawTexts, NumbersAsText)
{
    const TComb c = MakeComb({1, 5, 12, 30, 33, 45});
    EXPECT_EQ(CombToText(c), u"1;5;12;30;33;45");
    EXPECT_EQ(CombToPaddedText(c), u"01 05 12 30 33 45");
    EXPECT_EQ(NumSetToText(CombToNumSet(c), u", "), u"1, 5, 12, 30, 33, 45");
    EXPECT_EQ(NumSetToText(TNumSet{}, u";"), u"");
    TNumSet damaged = CombToNumSet(c);
    damaged.count = 99;
    EXPECT_EQ(NumSetToText(damaged, u";"), u"1;5;12;30;33;45;0;0");
    EXPECT_EQ(IntListToText({3, -1, 20}, u";"), u"3;-1;20");
    EXPECT_EQ(IntListToText({}, u";"), u"");

    TDrawRec d;
    d.number = 1024;
    d.main = {5, 12, 18, 30, 33, 41};
    d.extra = {7, 22};
    d.setDateText(u"5 Jan 2015"_s);
    EXPECT_EQ(FormatDrawText(d), u"Тираж № 1024 от 5 Jan 2015, значения: 5;12;18;30;33;41 e:7;22");
    EXPECT_EQ(DrawToComb(d), MakeComb({5, 12, 18, 30, 33, 41}));
}

TEST(DrawTexts, TextToCombAcceptsEverySeparator)
{
    const TComb expected = MakeComb({1, 2, 3, 4, 5, 6});
    for (const QString &text : {u"1 2 3 4 5 6"_s, u"1,2,3,4,5,6"_s, u"1-2-3-4-5-6"_s, u"1.2:3;4|5\t6"_s,
                                u" 1, 2, 3, 4, 5, 6 "_s})
        EXPECT_EQ(TextToComb(text), expected) << text.toStdString();
    EXPECT_EQ(TextToComb(u"45;9;1;30;2;17"), MakeComb({45, 9, 1, 30, 2, 17})); // order kept
}

TEST(DrawTexts, TextToCombRejectsWhatIsNoCombination)
{
    EXPECT_EQ(CombErrorOf(u"1 2 3 4 5"_s), u"Некорректная комбинация: \"1 2 3 4 5\"!");
    for (const QString &text : {u""_s, u"1 2 3 4 5 6 7"_s, u"a b c d e f"_s, u"0 1 2 3 4 5"_s,
                                u"1 2 3 4 5 46"_s, u"1 2 3 4 5 300"_s, u"1 1 2 3 4 5"_s, u"1 2 3 4 5 x"_s})
        EXPECT_EQ(CombErrorOf(text), u"Некорректная комбинация: \"" + text + u"\"!") << text.toStdString();
}

TEST(DrawTexts, ParseIntListForms)
{
    EXPECT_EQ(ParseIntList(u"5"), (TIntArray{5}));
    EXPECT_EQ(ParseIntList(u"3;7,9"), (TIntArray{3, 7, 9}));
    EXPECT_EQ(ParseIntList(u" 4 ; 5 "), (TIntArray{4, 5}));
    EXPECT_EQ(ParseIntList(u"-5"), (TIntArray{-5}));
    EXPECT_EQ(ParseIntList(u"1-10;3"), (TIntArray{1, 4, 7, 10}));
    EXPECT_EQ(ParseIntList(u"1-10,3"), (TIntArray{1, 4, 7, 10}));
    EXPECT_EQ(ParseIntList(u"-5-5;5"), (TIntArray{-5, 0, 5}));
    EXPECT_EQ(ParseIntList(u"10-1;-3"), (TIntArray{10, 7, 4, 1}));
    EXPECT_EQ(ParseIntList(u"1-3;5"), (TIntArray{1}));
}

TEST(DrawTexts, ParseIntListGivesEmptyForBadText)
{
    for (const char16_t *text : {u"", u"  ", u"1-10", u"a b", u"3;;7", u"3;x", u"1-10;0", u"10-1;1", u"1-x;2",
                                 u"1-10;2;3", u"99999999999"})
        EXPECT_TRUE(ParseIntList(text).empty()) << QString::fromUtf16(text).toStdString();
}

TEST(DrawTexts, ParseIntListCapsTheRange)
{
    EXPECT_TRUE(ParseIntList(u"1-2000000000;1").empty());
    EXPECT_TRUE(ParseIntList(u"-2000000000-2000000000;1").empty());
    EXPECT_TRUE(ParseIntList(u"1-100001;1").empty());
    const TIntArray longest = ParseIntList(u"1-100000;1");
    ASSERT_EQ(longest.size(), static_cast<size_t>(kMaxIntListRange));
    EXPECT_EQ(longest.back(), 100000);
    const TIntArray wide = ParseIntList(u"-2000000000-2000000000;2000000000");
    EXPECT_EQ(wide, (TIntArray{-2000000000, 0, 2000000000}));
}

TEST(DrawTexts, CaptionsAndDeltas)
{
    EXPECT_EQ(StakeKindCaption(1), u"Вручную");
    EXPECT_EQ(StakeKindCaption(2), u"Регуляр");
    EXPECT_EQ(StakeKindCaption(3), u"Сценарий");
    EXPECT_EQ(StakeKindCaption(4), u"Система");
    EXPECT_EQ(StakeKindCaption(0), u"");
    EXPECT_EQ(StakeKindCaption(5), u"");

    EXPECT_EQ(DeltaText(u"7", 5), u"+2");
    EXPECT_EQ(DeltaText(u"5", 5), u"0");
    EXPECT_EQ(DeltaText(u"2", 5), u"-3");
    EXPECT_EQ(DeltaText(u"0", 5), u"-5");
    EXPECT_EQ(DeltaText(u"-1", 5), u"-");
    EXPECT_EQ(DeltaText(u"abc", 5), u"-");
    EXPECT_EQ(DeltaText(u"", 0), u"-");
}

TEST(DrawTexts, Segments)
{
    const TSegmentsArray ones = TextToSegments(u"");
    for (uint8_t s : ones)
        EXPECT_EQ(s, 1);
    const TSegmentsArray partial = TextToSegments(u"0123x5");
    EXPECT_EQ(partial[0], 0);
    EXPECT_EQ(partial[3], 3);
    EXPECT_EQ(partial[4], 1);
    EXPECT_EQ(partial[5], 5);
    EXPECT_EQ(partial[44], 1);

    const QString text = u"123451234512345123451234512345123451234590000"_s;
    EXPECT_EQ(SegmentsToText(TextToSegments(text)), text);
}

TEST(DrawTexts, Sorting)
{
    TComb c = MakeComb({30, 5, 41, 12, 33, 18});
    SortComb(c);
    EXPECT_EQ(c, MakeComb({5, 12, 18, 30, 33, 41}));

    TDrawRec d;
    d.main = {30, 5, 41, 12, 33, 18};
    d.extra = {22, 7};
    SortDrawNumbers(d);
    EXPECT_EQ(d.main, (std::array<uint8_t, 6>{5, 12, 18, 30, 33, 41}));
    EXPECT_EQ(d.extra, (std::array<uint8_t, 2>{22, 7}));

    TNumSet s;
    s.count = 3;
    s.numbers = {9, 2, 5, 1, 0, 0, 0, 0};
    SortNumSet(s);
    EXPECT_EQ(s.numbers, (std::array<uint8_t, 8>{2, 5, 9, 1, 0, 0, 0, 0}));
    s.count = -4; // damaged count: nothing to sort, nothing read
    SortNumSet(s);

    TIntArray list{3, -1, 20, 3};
    SortIntsDesc(list);
    EXPECT_EQ(list, (TIntArray{20, 3, 3, -1}));
}
