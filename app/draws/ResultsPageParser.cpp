#include "app/draws/ResultsPageParser.h"

#include "common/Exception.h"
#include "common/Format.h"
#include "common/TextUtils.h"
#include "common/Translate.h"
#include "lottery/DrawDates.h"
#include "app/draws/ResultsSiteDates.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kDrawsPast = u"\"drawsPast\""_s;
const QString kDrawNo = u"\"drawNo\""_s;
const QString kDrawDate = u"\"drawDate\":\""_s;
const QString kNumberSets = u"\"numberSets\":["_s;
const QString kDivisions = u",\"divisions\":"_s;
const QString kMainSet = u"\"name\":\"Main numbers\""_s;
const QString kExtraSet = u"\"name\":\"Supplementary\""_s;
const QString kNumber = u"\"number\":"_s;

[[noreturn]] void badItem(int number, const QString &problem)
{
    throw Exception(Format(u"Тираж %d на странице результатов содержит некорректные данные: %s.", {number, problem}));
}

// The draw of one item (the text after its "drawNo" key); the date as yyyymmdd.
TDrawRec parseItem(const QString &item, int &ymd)
{
    TDrawRec draw;
    draw.number = TextToIntZero(ExtractBetween(item, u":", u","));

    const QString dateText = ExtractBetween(item, kDrawDate, u"T");
    ymd = 0;
    try {
        ymd = YearMonthNumber(dateText);
    } catch (const EConvertError &) {
    }
    const TDateTime date = dateText.size() == 10 ? YMDToDate(ymd) : 0;
    if (date <= 0)
        badItem(draw.number, Format(u"дата тиража \"%s\"", {dateText}));
    draw.setDateText(FormatResultsDate(date));

    const QString sets = ExtractBetween(item, kNumberSets, kDivisions, ExtractMode::Rest) + kDivisions;
    QString mainPart = ExtractBetween(sets, kMainSet, kExtraSet);
    for (uint8_t &n : draw.main)
        n = static_cast<uint8_t>(std::clamp(TextToIntZero(CutBetween(mainPart, kNumber, u",")), 0, 255));
    QString extraPart = ExtractBetween(sets, kExtraSet, u"\"divisions\"");
    for (uint8_t &n : draw.extra)
        n = static_cast<uint8_t>(std::clamp(TextToIntZero(CutBetween(extraPart, kNumber, u",")), 0, 255));
    return draw;
}

} // namespace

TDrawsArray ParseResultsPage(const QString &page, int dateLimit, int yearMonth, int *listedOut)
{
    // A page without the list is a failed fetch, never an empty month: the next download starts
    // after the newest stored draw, so a month passed over here would never be fetched again.
    if (!page.contains(kDrawsPast, Qt::CaseInsensitive))
        throw Exception(Tr(u"На странице результатов нет списка тиражей (\"drawsPast\")."));
    // A page cut short is a failed fetch too, told without the page's text.
    if (page.indexOf(u"}},", page.indexOf(kDrawsPast, 0, Qt::CaseInsensitive)) < 0)
        throw Exception(Tr(u"Страница результатов получена не полностью: список тиражей (\"drawsPast\") не закончен."));
    QString section = ExtractBetween(page, kDrawsPast, u"}},");

    TDrawsArray newestFirst;
    bool taken = false; // an item was taken: its number is the previous one
    int previous = 0;
    int listed = 0;
    int ofTheMonth = 0;
    while (section.contains(kDrawNo, Qt::CaseInsensitive)) {
        const QString item = CutItemAfterKey(section, kDrawNo);
        ++listed;
        const int number = TextToIntZero(ExtractBetween(item, u":", u","));
        if (taken && number == previous)
            continue;
        int ymd = 0;
        const TDrawRec draw = parseItem(item, ymd);
        if (ymd / 100 == yearMonth)
            ++ofTheMonth;
        if (ymd < dateLimit)
            continue;
        const QString problem = DrawRecordProblem(draw);
        if (!problem.isEmpty())
            badItem(draw.number, problem);
        newestFirst.push_back(draw);
        taken = true;
        previous = number;
    }
    // A page that lists draws, none of them of its month, is another month's page (or one whose
    // items could not be read): the month's own draws would be passed over for good.
    if (yearMonth != 0 && listed > 0 && ofTheMonth == 0)
        throw Exception(Format(u"Страница результатов за %s не содержит ни одного тиража этого месяца "
                               u"(тиражей на странице: %d).",
                               {ResultsArchiveMonthKey(yearMonth), listed}));
    if (listedOut)
        *listedOut = listed;
    return TDrawsArray(newestFirst.rbegin(), newestFirst.rend());
}
