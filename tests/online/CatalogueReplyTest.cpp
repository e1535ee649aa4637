#include "online/CatalogueReply.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

QStringList rowTexts(const QString &reply, QString *error = nullptr)
{
    QStringList rows;
    TCatalogueReply parsed(reply);
    TCatalogueRow row;
    try {
        while (parsed.next(row))
            rows << row.element(u"v");
    } catch (const ECatalogueError &e) {
        if (error)
            *error = e.message();
    }
    return rows;
}

// Sets the time zone for one test and puts the old one back.
class ZoneGuard {
public:
    explicit ZoneGuard(const char *zone)
    {
        if (const char *old = std::getenv("TZ"))
            m_old = old, m_had = true;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string m_old;
    bool m_had = false;
};

} // namespace

TEST(CatalogueReply, RowsAreTakenOneAfterAnotherBetweenTheResultTags)
{
    EXPECT_EQ(rowTexts(u"junk<RESULT><row><v>1</v></row>\r\n<Row><v> 2 </v></ROW></result>junk<row><v>3</v></row>"_s),
              (QStringList{u"1"_s, u"2"_s}));

    TCatalogueReply empty(u"<result>  \r\n </result>"_s);
    TCatalogueRow row;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.next(row));
    EXPECT_TRUE(TCatalogueReply(u"<html>Service unavailable</html>"_s).isEmpty());
    EXPECT_FALSE(TCatalogueReply(u"<result><row></row></result>"_s).isEmpty());
}

TEST(CatalogueReply, AnErrorRowFailsAfterTheRowsBeforeItAndAnEmptyErrorDoesNot)
{
    QString error;
    const QStringList rows = rowTexts(
        u"<result><row><v>1</v><error></error></row><row><v>2</v><error> Нет доступа </error></row>"
        u"<row><v>3</v></row></result>"_s,
        &error);
    EXPECT_EQ(rows, QStringList{u"1"_s});
    EXPECT_EQ(error, u"Нет доступа");
}

TEST(CatalogueReply, ACutOffReplyFailsInsteadOfLookingComplete)
{
    EXPECT_THROW(TCatalogueReply(u"<result><row><v>1</v></row>"_s), ECatalogueError);
    QString error;
    EXPECT_EQ(rowTexts(u"<result><row><v>1</v></row><row><v>2</v></result>"_s, &error), QStringList{u"1"_s});
    EXPECT_TRUE(error.contains(u"</row>")) << error.toStdString();
}

TEST(CatalogueRow, ElementsAreTrimmedAndUnquotedAndAnUnclosedTagFails)
{
    const TCatalogueRow row(u"<Title> \"a \"\"b\"\" c\" </TITLE><plain> x y </plain><open>1"_s);
    EXPECT_EQ(row.element(u"title"), u"a \"b\" c");
    EXPECT_EQ(row.element(u"plain"), u"x y");
    EXPECT_EQ(row.element(u"missing"), QString());
    EXPECT_THROW(row.element(u"open"), ECatalogueError); // told by its tag, without the reply's text
}

TEST(CatalogueRow, NumbersWithFailureOrDefault)
{
    const TCatalogueRow row(u"<id> 42 </id><neg>-7</neg><bad>4x</bad><empty></empty><avg>3.25</avg><comma>3,5</comma>"_s);
    EXPECT_EQ(row.integer(u"id"), 42);
    EXPECT_EQ(row.integer(u"neg"), -7);
    EXPECT_THROW(row.integer(u"bad"), EConvertError);
    EXPECT_THROW(row.integer(u"empty"), EConvertError);
    EXPECT_THROW(row.integer(u"missing"), EConvertError);
    EXPECT_EQ(row.integerDef(u"bad", -1), -1);
    EXPECT_EQ(row.integerDef(u"missing", 0), 0);
    EXPECT_EQ(row.integerDef(u"id", -1), 42);
    EXPECT_DOUBLE_EQ(row.decimal(u"avg", 0), 3.25);
    EXPECT_DOUBLE_EQ(row.decimal(u"comma", 0), 3.5);
    EXPECT_DOUBLE_EQ(row.decimal(u"empty", 9), 9);
}

TEST(CatalogueRow, Base64TextsAreUtf8)
{
    // "Тест" and "a\r\nb" encoded independently.
    const TCatalogueRow row(u"<t>0KLQtdGB0YI=</t><m>YQ0KYg==</m><w>0KLQtd\r\nGB0YI=</w><e></e><bad>@@@</bad>"_s);
    EXPECT_EQ(row.base64Text(u"t"), u"Тест");
    EXPECT_EQ(row.base64Text(u"m"), u"a\r\nb");
    EXPECT_EQ(row.base64Text(u"w"), u"Тест");
    EXPECT_EQ(row.base64Text(u"e"), QString());
    EXPECT_THROW(row.base64Text(u"bad"), EConvertError);
}

TEST(CatalogueRow, TimesAreUtcAtFixedPlacesAndShownInLocalTime)
{
    const TCatalogueRow row(u"<c>2024-03-05 14:07:09</c><e></e><bad>2024-13-05 14:07:09</bad><x>yesterday</x>"_s);
    EXPECT_DOUBLE_EQ(row.utcTime(u"c"), EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9));
    EXPECT_EQ(row.utcTime(u"e"), 0);
    EXPECT_THROW(row.utcTime(u"bad"), EConvertError);
    EXPECT_THROW(row.utcTime(u"x"), EConvertError);

    {
        ZoneGuard zone("Europe/Moscow"); // UTC+3 all year
        EXPECT_EQ(CatalogueTimeText(row.utcTime(u"c")), u"2024-03-05 17:07:09");
        EXPECT_DOUBLE_EQ(CatalogueTimeFromText(u"2024-03-05 17:07:09"_s), row.utcTime(u"c"));
    }
    {
        ZoneGuard zone("Europe/Berlin"); // summer time: UTC+2, winter: UTC+1
        EXPECT_EQ(CatalogueTimeText(EncodeDate(2024, 7, 1) + EncodeTime(10, 0, 0)), u"2024-07-01 12:00:00");
        EXPECT_EQ(CatalogueTimeText(EncodeDate(2024, 1, 1) + EncodeTime(10, 0, 0)), u"2024-01-01 11:00:00");
        EXPECT_DOUBLE_EQ(CatalogueTimeFromText(u"2024-07-01 12:00:00"_s), EncodeDate(2024, 7, 1) + EncodeTime(10, 0, 0));
    }
    EXPECT_EQ(CatalogueTimeText(0), QString());
    EXPECT_EQ(CatalogueTimeFromText(u"  "_s), 0);
}
