#include "common/Exception.h"
#include "app/draws/ResultsPageParser.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// One item of the page as the results site writes it.
QString item(int number, const char *date, std::array<int, 6> main, std::array<int, 2> extra)
{
    QString numbers;
    for (int n : main)
        numbers += u"{\"number\":%1,\"s\":0},"_s.arg(n);
    numbers.chop(1);
    QString extras;
    for (int n : extra)
        extras += u"{\"number\":%1,\"s\":0},"_s.arg(n);
    extras.chop(1);
    return u"{\"drawNo\":%1,\"drawDate\":\"%2T00:00:00\",\"numberSets\":[{\"name\":\"Main numbers\",\"numbers\":[%3]},"
           "{\"name\":\"Supplementary\",\"numbers\":[%4]}],\"divisions\":[{\"p\":1}]}"_s
        .arg(number)
        .arg(QString::fromLatin1(date), numbers, extras);
}

QString page(const QStringList &items)
{
    return u"<html><script>var data = {\"drawsPast\":["_s + items.join(u',') + u"]}},\"next\":1};</script></html>"_s;
}

QString failureOf(const QString &text, int limit)
{
    try {
        ParseResultsPage(text, limit);
    } catch (const Exception &e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(ResultsPageParser, TakesNewDrawsOldestFirst)
{
    const QString text = page({item(4104, "2024-03-08", {7, 12, 19, 23, 36, 44}, {2, 40}),
                               item(4102, "2024-03-04", {1, 2, 3, 4, 5, 45}, {44, 6}),
                               item(4100, "2024-03-01", {9, 8, 7, 6, 5, 4}, {3, 2})});
    // The newest stored draw is dated 1 March: the limit is the day after.
    const TDrawsArray draws = ParseResultsPage(text, 20240302);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].number, 4102);
    EXPECT_EQ(draws[0].dateText(), u"4 Mar 2024");
    EXPECT_EQ(draws[0].main, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 45}));
    EXPECT_EQ(draws[0].extra, (std::array<uint8_t, 2>{44, 6}));
    EXPECT_EQ(draws[1].number, 4104);
    EXPECT_EQ(draws[1].dateText(), u"8 Mar 2024");
    EXPECT_EQ(draws[1].main, (std::array<uint8_t, 6>{7, 12, 19, 23, 36, 44})); // drawn order kept
    EXPECT_EQ(draws[1].extra, (std::array<uint8_t, 2>{2, 40}));

    EXPECT_EQ(ParseResultsPage(text, 20240301).size(), 3u);
    EXPECT_TRUE(ParseResultsPage(text, 20240309).empty());
    EXPECT_TRUE(ParseResultsPage(page({}), 20240101).empty());
}

TEST(ResultsPageParser, SkipsARepeatedNumber)
{
    const QString text = page({item(4104, "2024-03-08", {7, 12, 19, 23, 36, 44}, {2, 40}),
                               item(4104, "2024-03-08", {1, 2, 3, 4, 5, 6}, {7, 8})});
    const TDrawsArray draws = ParseResultsPage(text, 20240101);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].main[0], 7);
}

TEST(ResultsPageParser, APageWithoutTheListFails)
{
    EXPECT_EQ(failureOf(u"<html>Service unavailable</html>"_s, 20240101),
              u"На странице результатов нет списка тиражей (\"drawsPast\").");
    EXPECT_EQ(failureOf(QString(), 20240101), u"На странице результатов нет списка тиражей (\"drawsPast\").");
    // The list's end marker missing: a page cut short, told without its text.
    EXPECT_EQ(failureOf(u"{\"drawsPast\":[{\"drawNo\":1"_s + QString(2000, u'x'), 20240101),
              u"Страница результатов получена не полностью: список тиражей (\"drawsPast\") не закончен.");
}

TEST(ResultsPageParser, ABadDrawFailsTheWholePage)
{
    const QString good = item(4104, "2024-03-08", {7, 12, 19, 23, 36, 44}, {2, 40});
    struct Case {
        QString bad;
        const char16_t *problem;
    };
    const Case cases[] = {
        {item(4102, "2024-03-04", {7, 7, 19, 23, 36, 44}, {2, 40}), u"основные числа"},
        {item(4102, "2024-03-04", {7, 12, 19, 23, 36, 46}, {2, 40}), u"основные числа"},
        {item(4102, "2024-03-04", {0, 12, 19, 23, 36, 44}, {2, 40}), u"основные числа"},
        {item(4102, "2024-03-04", {7, 12, 19, 23, 36, 44}, {2, 0}), u"дополнительные числа"},
        {item(4102, "2024-03-04", {7, 12, 19, 23, 36, 44}, {99, 1}), u"дополнительные числа"},
        // The eight numbers of a draw are eight different numbers.
        {item(4102, "2024-03-04", {7, 12, 19, 23, 36, 44}, {2, 44}), u"дополнительные числа повторяют"},
        {item(4102, "2024-03-04", {7, 12, 19, 23, 36, 44}, {40, 40}), u"дополнительные числа повторяют"},
        {item(-5, "2024-03-04", {7, 12, 19, 23, 36, 44}, {2, 40}), u"номер тиража"},
        {item(4102, "2024-02-30", {7, 12, 19, 23, 36, 44}, {2, 40}), u"дата тиража \"2024-02-30\""},
        {item(4102, "someday", {7, 12, 19, 23, 36, 44}, {2, 40}), u"дата тиража"},
    };
    for (const Case &c : cases) {
        const QString failure = failureOf(page({good, c.bad}), 20240101);
        EXPECT_TRUE(failure.contains(QString::fromUtf16(c.problem))) << failure.toStdString();
    }
    // Only five main numbers on the page: the sixth reads as 0.
    QString five = good;
    five.replace(u"{\"number\":44,\"s\":0}"_s, QString());
    EXPECT_EQ(failureOf(page({five}), 20240101),
              u"Тираж 4104 на странице результатов содержит некорректные данные: основные числа.");
    // An item older than the limit is not taken, so its numbers are not checked.
    EXPECT_EQ(ParseResultsPage(page({good, item(4000, "2023-01-01", {1, 1, 1, 1, 1, 1}, {0, 0})}), 20240101).size(),
              1u);
}

TEST(DrawRecordProblem, AcceptsOnlyWholeDraws)
{
    TDrawRec d;
    d.number = 1;
    d.main = {1, 2, 3, 4, 5, 45};
    d.extra = {6, 44};
    EXPECT_TRUE(DrawRecordProblem(d).isEmpty());
    // The supplementary numbers differ from the main ones and from each other.
    d.extra = {1, 44};
    EXPECT_FALSE(DrawRecordProblem(d).isEmpty());
    d.extra = {44, 44};
    EXPECT_FALSE(DrawRecordProblem(d).isEmpty());
    d.extra = {6, 44};
    d.main[5] = 1;
    EXPECT_FALSE(DrawRecordProblem(d).isEmpty());
}
