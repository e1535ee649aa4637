#include "common/Exception.h"
#include "common/Format.h"
#include "common/TextUtils.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FloatText, ReadsCommaPointAndDropsBlanks)
{
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"1,5", 0), 1.5);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"1.5", 0), 1.5);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u" 2 500 ", 0), 2500);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"abc", 7), 7);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"1.2.3", 7), 7);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"1-2", 7), 7);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"", 7), 7);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"-0.25", 7), -0.25);
}

TEST(FloatText, WritesPointUnderAnyLocale)
{
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(FloatToDotText(0.5), u"0.5");
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"0,75", 0), 0.75);
    QLocale::setDefault(old);
}

TEST(FloatText, RoundTripsWithoutExponents)
{
    // Values whose general form would carry an exponent are written as plain decimals and read back.
    for (double v : {1e20, 1e-5, 1.25e-7, 123456789012345.0, -3.5e16, 0.1, 2.0 / 3.0, 1e300}) {
        const QString text = FloatToDotText(v);
        EXPECT_FALSE(text.contains(u'e') || text.contains(u'E')) << text.toStdString();
        const double back = DotTextToFloatDef(text, -1);
        EXPECT_NEAR(back, v, std::abs(v) * 1e-14) << text.toStdString();
        EXPECT_EQ(FloatToDotText(back), text);
    }
    EXPECT_EQ(FloatToDotText(1e20), u"100000000000000000000");
    EXPECT_EQ(FloatToDotText(1e-5), u"0.00001");
    EXPECT_EQ(FloatToDotText(0), u"0");
    EXPECT_EQ(FloatToDotText(-2.5), u"-2.5");
    // The reader also accepts texts with an exponent, as other programs write them.
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"1E20", 0), 1e20);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"1e-5", 0), 1e-5);
    EXPECT_DOUBLE_EQ(DotTextToFloatDef(u"2,5E+3", 0), 2500);
}

TEST(IntText, AcceptsOnlyWholeDecimalIntegers)
{
    EXPECT_EQ(TextToIntZero(u" 42 "), 42);
    EXPECT_EQ(TextToIntZero(u"-7"), -7);
    EXPECT_EQ(TextToIntZero(u"+7"), 7);
    EXPECT_EQ(TextToIntZero(u"12a"), 0);
    EXPECT_EQ(TextToIntZero(u"-"), 0);
    EXPECT_EQ(TextToIntZero(u"99999999999"), 0);
    EXPECT_EQ(TextToIntZero(u"2147483647"), 2147483647);
    EXPECT_EQ(TextToIntZero(u"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(TextToIntZero(u"2147483648"), 0);
    EXPECT_EQ(IntToText(-15), u"-15");
}

TEST(IntText, RussianWordFormsFollowTheCount)
{
    // "строка" names the form the count takes: 1 строка, 2 строки, 5 строк. A count of bytes in a
    // message says "байт" after 1 and 5 alike, "байта" after 2; after "не более" (genitive) "байта"
    // goes with 1 and "байт" with 2 and 5.
    struct Case {
        int64_t count;
        QString line;
        QString bytes;
        QString bytesAfterLimit;
    };
    const Case cases[] = {
        {0, u"строк"_s, u"0 байт"_s, u"0 байт"_s},
        {1, u"строка"_s, u"1 байт"_s, u"1 байта"_s},
        {2, u"строки"_s, u"2 байта"_s, u"2 байт"_s},
        {4, u"строки"_s, u"4 байта"_s, u"4 байт"_s},
        {5, u"строк"_s, u"5 байт"_s, u"5 байт"_s},
        {11, u"строк"_s, u"11 байт"_s, u"11 байт"_s},
        {12, u"строк"_s, u"12 байт"_s, u"12 байт"_s},
        {14, u"строк"_s, u"14 байт"_s, u"14 байт"_s},
        {21, u"строка"_s, u"21 байт"_s, u"21 байта"_s},
        {22, u"строки"_s, u"22 байта"_s, u"22 байт"_s},
        {25, u"строк"_s, u"25 байт"_s, u"25 байт"_s},
        {101, u"строка"_s, u"101 байт"_s, u"101 байта"_s},
        {111, u"строк"_s, u"111 байт"_s, u"111 байт"_s},
        {112, u"строк"_s, u"112 байт"_s, u"112 байт"_s},
        {122, u"строки"_s, u"122 байта"_s, u"122 байт"_s},
        {170, u"строк"_s, u"170 байт"_s, u"170 байт"_s},
        {1023, u"строки"_s, u"1023 байта"_s, u"1023 байт"_s},
        {3000000002, u"строки"_s, u"3000000002 байта"_s, u"3000000002 байт"_s},
        {-2, u"строки"_s, u"-2 байта"_s, u"-2 байт"_s},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(RussianPlural(c.count, u"строка"_s, u"строки"_s, u"строк"_s), c.line) << c.count;
        EXPECT_EQ(BytesText(c.count), c.bytes) << c.count;
        EXPECT_EQ(BytesGenitiveText(c.count), c.bytesAfterLimit) << c.count;
    }
}

TEST(BoolText, OnlyOneIsTrue)
{
    EXPECT_TRUE(DigitToBool(u"1"));
    EXPECT_FALSE(DigitToBool(u"true"));
    EXPECT_FALSE(DigitToBool(u"2"));
    EXPECT_EQ(BoolToDigit(true), u"1");
    EXPECT_EQ(BoolToDigit(false), u"0");
}

TEST(Texts, AddWithDelimiter)
{
    EXPECT_EQ(AddWithDelimiter({}, {}, u"; "), QString());
    EXPECT_EQ(AddWithDelimiter(u"a"_s, {}, u"; "), u"a");
    EXPECT_EQ(AddWithDelimiter({}, u"b"_s, u"; "), u"b");
    EXPECT_EQ(AddWithDelimiter(u"a"_s, u"b"_s, u"; "), u"a; b");
}

TEST(Texts, EscapeCString)
{
    EXPECT_EQ(EscapeCString(u"a\"b"), u"a\\\"b");
    EXPECT_EQ(EscapeCString(u"\\"), u"\\\\");
    EXPECT_EQ(EscapeCString(u"\t"), u"\\t");
    EXPECT_EQ(EscapeCString(QString(QChar(20))), QString(QChar(20)));
    EXPECT_EQ(EscapeCString(QString(QChar(0))), u"\\0");
    EXPECT_EQ(EscapeCString(u"\x1b?'"), u"\\e\\?\\'");
    EXPECT_EQ(EscapeCString(u"Тест\r\n"), u"Тест\\r\\n");
}

TEST(Texts, DequoteValue)
{
    EXPECT_EQ(DequoteValue(u"  \"a\"\"b\"  "), u"a\"b");
    EXPECT_EQ(DequoteValue(u"\""), u"\"");
    EXPECT_EQ(DequoteValue(u"  plain text\t"), u"plain text");
    EXPECT_EQ(DequoteValue(u"\"a\"b\""), u"ab");
    EXPECT_EQ(DequoteValue(u"\"a\"\"\"b\""), u"a\"\"b");
    EXPECT_EQ(DequoteValue(u"\"\""), u"");
}

TEST(Markers, ExtractBetweenModes)
{
    EXPECT_EQ(ExtractBetween(u"<a>1</a>", u"<A>", u"</A>"), u"1");
    for (auto mode : {ExtractMode::Raise, ExtractMode::Empty, ExtractMode::Rest})
        EXPECT_EQ(ExtractBetween(u"<a>1</a>", u"<b>", u"</b>", mode), QString());
    EXPECT_EQ(ExtractBetween(u"<a>1</a>", u"<a>", u"</x>", ExtractMode::Empty), QString());
    EXPECT_EQ(ExtractBetween(u"<a>1</a>", u"<a>", u"</x>", ExtractMode::Rest), u"1</a>");
    try {
        ExtractBetween(u"<a>1</a>", u"<a>", u"</x>", ExtractMode::Raise);
        FAIL() << "no exception";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Не удалось найти пару идентификаторов \"<a>\" - \"</x>\" в тексте\r\r[<a>1</a>]!");
    }
    EXPECT_EQ(ExtractModeFromByte(9), ExtractMode::Empty);
    EXPECT_EQ(ExtractBetween(u"x=<v> \"q\" </v>", u"<v>", {}), u"\"q\" </v>");
}

TEST(Markers, CutBetweenWalksRows)
{
    QString text = u"<row>1</row><row>2</row>"_s;
    EXPECT_EQ(CutBetween(text, u"<row>", u"</row>"), u"1");
    EXPECT_EQ(CutBetween(text, u"<row>", u"</row>"), u"2");
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(CutBetween(text, u"<row>", u"</row>"), QString());

    QString rest = u"head <b>tail"_s;
    EXPECT_EQ(CutBetween(rest, u"<b>", u"</b>", ExtractMode::Empty), QString());
    EXPECT_EQ(rest, u"head <b>tail");
    EXPECT_EQ(CutBetween(rest, u"<b>", u"</b>", ExtractMode::Rest), u"tail");
    EXPECT_TRUE(rest.isEmpty());
}

TEST(Markers, CutItemAfterKey)
{
    QString text = u"k=1 k=2"_s;
    EXPECT_EQ(CutItemAfterKey(text, u"k="), u"1");
    EXPECT_EQ(text, u"k=2");
    EXPECT_EQ(CutItemAfterKey(text, u"k="), u"2");
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(CutItemAfterKey(text, u"k="), QString());
}

TEST(Markers, ExtractNested)
{
    EXPECT_EQ(ExtractNestedBetween(u"<o><i>x</i></o><i>y</i>", u"<o>", u"</o>", u"<i>", u"</i>"), u"x");
}
