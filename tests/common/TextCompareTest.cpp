#include "common/TextCompare.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QStringList sortedAscending(QStringList texts)
{
    std::stable_sort(texts.begin(), texts.end(), [](const QString &a, const QString &b) { return CompareTexts(a, b) < 0; });
    return texts;
}

} // namespace

TEST(TextCompare, NumbersAndTexts)
{
    EXPECT_EQ(sortedAscending({u"10"_s, u"9"_s, u"100"_s}), (QStringList{u"9"_s, u"10"_s, u"100"_s}));
    EXPECT_EQ(sortedAscending({u"abc"_s, u"Abd"_s, u"9"_s}), (QStringList{u"9"_s, u"abc"_s, u"Abd"_s}));
    // The first comma is the decimal point.
    EXPECT_LT(CompareTexts(u"1.4", u"1,5"), 0);
    EXPECT_GT(CompareTexts(u"1,5", u"1.4"), 0);
    EXPECT_EQ(CompareTexts(u"2,50", u"2.5"), 0);
    // Only the first comma is replaced: this one is a text, after every number.
    double v = 0;
    EXPECT_FALSE(SortTextToNumber(u"1,234,5", v));
    EXPECT_GT(CompareTexts(u"1,234,5", u"99999"), 0);
    // Case does not count among texts.
    EXPECT_EQ(CompareTexts(u"Тираж", u"тираж"), 0);
    EXPECT_LT(CompareTexts(u"альфа", u"Бета"), 0);
}

// A number against a text goes as the locale places the two texts: "-" (a value not seen) and an empty
// text below every number, negative ones too, and letters above; the same in both directions.
TEST(TextCompare, TextsBeforeTheDigitsSortBelowEveryNumber)
{
    EXPECT_LT(CompareTexts(u"-", u"0"), 0);
    EXPECT_LT(CompareTexts(u"-", u"-7,5"), 0);
    EXPECT_GT(CompareTexts(u"12", u"-"), 0);
    EXPECT_LT(CompareTexts(u"", u"-3"), 0);
    EXPECT_GT(CompareTexts(u"x", u"1e9"), 0);
    const QStringList texts{u"7"_s, u"-"_s, u"abc"_s, u"-2,5"_s, u"10"_s, u"-"_s, u"0.5"_s};
    EXPECT_EQ(sortedAscending(texts),
              (QStringList{u"-"_s, u"-"_s, u"-2,5"_s, u"0.5"_s, u"7"_s, u"10"_s, u"abc"_s}));
    // Descending, as the statistics steps walk a column from the top: the dashes come last.
    const auto text = [&](int row) { return texts[row]; };
    EXPECT_EQ(SortedRowsByText(7, text, true), (std::vector<int>{2, 4, 0, 6, 3, 1, 5}));
    EXPECT_EQ(SortedRowsByText(7, text, false), (std::vector<int>{1, 5, 3, 6, 0, 4, 2}));
}

TEST(TextCompare, WhatReadsAsNumber)
{
    struct Case {
        const char16_t *text;
        bool number;
        double value;
    };
    const Case cases[] = {
        {u"  42", true, 42},     {u"-3,5", true, -3.5}, {u"+7", true, 7},     {u".5", true, 0.5},
        {u"1e3", true, 1000},    {u"42 ", false, 0},    {u"", false, 0},      {u"inf", false, 0},
        {u"nan", false, 0},      {u"12a", false, 0},    {u"1 000", false, 0}, {u"-", false, 0},
        {u"١٢", false, 0},
    };
    for (const Case &c : cases) {
        double v = -1;
        EXPECT_EQ(SortTextToNumber(c.text, v), c.number) << QString::fromUtf16(c.text).toStdString();
        if (c.number) {
            EXPECT_DOUBLE_EQ(v, c.value);
        }
    }
}

// A mixed column of this kind made a cycle in the old comparison (9 < 10 as numbers, "10" < "1a"
// and "1a" < "9" as texts); the order must be a strict weak ordering over every mix.
TEST(TextCompare, StrictWeakOrderingOnMixedTexts)
{
    const QStringList texts{u"9"_s,   u"10"_s,  u"1a"_s,  u"abc"_s, u"ABC"_s, u""_s,    u" 3"_s, u"3,0"_s,
                            u"-1"_s,  u"b"_s,   u"1,2,3"_s, u"x9"_s, u"0.5"_s, u"Ёж"_s,  u"еж"_s, u"1e2"_s,
                            u"-"_s,   u"-x"_s,  u"#"_s};
    for (const QString &a : texts) {
        EXPECT_EQ(CompareTexts(a, a), 0) << a.toStdString();
        for (const QString &b : texts) {
            EXPECT_EQ(CompareTexts(a, b), -CompareTexts(b, a)) << a.toStdString() << " " << b.toStdString();
            for (const QString &c : texts) {
                const int ab = CompareTexts(a, b);
                const int bc = CompareTexts(b, c);
                const int ac = CompareTexts(a, c);
                if (ab < 0 && bc < 0) {
                    EXPECT_LT(ac, 0) << a.toStdString() << " " << b.toStdString() << " " << c.toStdString();
                }
                if (ab == 0 && bc == 0) {
                    EXPECT_EQ(ac, 0) << a.toStdString() << " " << b.toStdString() << " " << c.toStdString();
                }
            }
        }
    }
    // Sort keys order exactly as the comparison does.
    for (const QString &a : texts)
        for (const QString &b : texts)
            EXPECT_EQ(TTextSortKey(a).compare(TTextSortKey(b)), CompareTexts(a, b))
                << a.toStdString() << " " << b.toStdString();
    // The cycle of the old comparison: now numbers first.
    EXPECT_EQ(sortedAscending({u"1a"_s, u"10"_s, u"9"_s}), (QStringList{u"9"_s, u"10"_s, u"1a"_s}));
}

TEST(TextCompare, SortedRowsAreStableBothWays)
{
    const QStringList texts{u"b"_s, u"2"_s, u"B"_s, u"10"_s, u"2,0"_s, u"a"_s};
    const auto text = [&](int row) { return texts[row]; };
    // Equal texts ("b"/"B", "2"/"2,0") keep their order in both directions.
    EXPECT_EQ(SortedRowsByText(6, text, false), (std::vector<int>{1, 4, 3, 5, 0, 2}));
    EXPECT_EQ(SortedRowsByText(6, text, true), (std::vector<int>{0, 2, 5, 3, 1, 4}));
    EXPECT_TRUE(SortedRowsByText(0, text, false).empty());
}
