#include "lottery/ScenarioLine.h"

#include "lottery/stats/StatList.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// Every statistic class listed, whether its family computes yet or not; channels of four numbers give
// CHN1..CHN12, so that CHN1 begins CHN10..CHN12.
const TStatList &Registry()
{
    static const TStatList list = [] {
        TStatList l;
        l.Config.channelSize = 4;
        l.RebuildMethods(TExpandMode::Listable);
        return l;
    }();
    return list;
}

const TStatMethod *Method(const QString &code)
{
    return &Registry().GetMethod(Registry().FindMethod(code));
}

TFilterItem Read(const QString &text)
{
    return TextToFilterItem(text, Registry());
}

// Header, filters 1..7 and comment as the readers give them.
QStringList Fields(const QString &line)
{
    QStringList fields{ScenarioLineHeader(line)};
    for (int slot = 1; slot <= 7; ++slot)
        fields << ScenarioLineFilter(line, slot);
    return fields << ScenarioLineComment(line);
}

TScenarioHeader Header(int exclude, uint8_t source, uint8_t stake, bool clear, bool newOnly)
{
    return TScenarioHeader{exclude, source, stake, clear, newOnly};
}

const QStringList kSources{u"FULL"_s, u"EXCL"_s, u"CURR"_s};
const QStringList kStakes{u"RAND"_s, u"FIRST"_s, u"LAST"_s, u"ALL"_s, u"SYSA"_s,
                          u"SYSC"_s, u"STOP"_s,  u"SKIP"_s, u"NONE"_s};
const QStringList kConditions{u"LNO"_s, u"LMV"_s, u"LMP"_s, u"LLV"_s, u"LLP"_s, u"LDV"_s, u"LDP"_s, u"DMV"_s,
                              u"DMP"_s, u"DLV"_s, u"DLP"_s, u"DDV"_s, u"DDP"_s, u"CMV"_s, u"CMP"_s, u"CLV"_s,
                              u"CLP"_s, u"CDV"_s, u"CDP"_s, u"WMV"_s, u"WLV"_s, u"WDV"_s, u"PIM"_s, u"PIL"_s,
                              u"PIR"_s, u"PAM"_s, u"PAL"_s, u"PAR"_s, u"PXM"_s, u"PXL"_s, u"PXR"_s, u"LVA"_s};
const QStringList kStops{u"SF"_s, u"SC"_s, u"SZ"_s, u"ST"_s, u"SV"_s, u"SP"_s};

} // namespace

TEST(ScenarioLine, FieldsKeepTheirPlaces)
{
    const QString empty = BuildScenarioLine(u"", u"FULL:0#RAND", {});
    EXPECT_EQ(empty, u"FULL:0#RAND| | | | | | | |");
    EXPECT_EQ(Fields(empty), (QStringList{u"FULL:0#RAND"_s, {}, {}, {}, {}, {}, {}, {}, {}}));

    TScenarioFilterTexts filters;
    filters[0] = u"  TSF1#SUMS:10#CMV:5#SC:1 "_s;
    filters[2] = u"BMD2#NUMS:1-10;2#LDV:1,2,3#SZ:0"_s;
    filters[6] = u"\tTSD1#EVEN:5#LNO:#SF:0"_s;
    const QString line = BuildScenarioLine(u"  Прогноз на неделю ", u" EXCL:3#RAND#NEX", filters);
    EXPECT_EQ(line, u" EXCL:3#RAND#NEX|TSF1#SUMS:10#CMV:5#SC:1| |BMD2#NUMS:1-10;2#LDV:1,2,3#SZ:0| | | |"
                    u"TSD1#EVEN:5#LNO:#SF:0|Прогноз на неделю");
    EXPECT_EQ(Fields(line), (QStringList{u"EXCL:3#RAND#NEX"_s,
                                         u"TSF1#SUMS:10#CMV:5#SC:1"_s,
                                         {},
                                         u"BMD2#NUMS:1-10;2#LDV:1,2,3#SZ:0"_s,
                                         {},
                                         {},
                                         {},
                                         u"TSD1#EVEN:5#LNO:#SF:0"_s,
                                         u"Прогноз на неделю"_s}));
    EXPECT_EQ(ScenarioLineFilter(line, 0), u""); // not the header
    EXPECT_EQ(ScenarioLineFilter(line, 8), u""); // not the comment
}

TEST(ScenarioLine, BarsLineBreaksAndAnEmptyHeaderCannotShiftFields)
{
    TScenarioFilterTexts filters;
    filters[1] = u"TSF1#SUMS:10|x"_s;
    const QString line = BuildScenarioLine(u"до | после\r\nвторая строка", u"FULL:0#ALL", filters);
    EXPECT_EQ(line, u"FULL:0#ALL| |TSF1#SUMS:10¦x| | | | | |до ¦ после  вторая строка");

    filters = {};
    filters[0] = u"TSF1#SUMS:10"_s;
    const QString headless = BuildScenarioLine(u"c", u"", filters);
    EXPECT_EQ(headless, u" |TSF1#SUMS:10| | | | | | |c");
    EXPECT_EQ(Fields(headless), (QStringList{{}, u"TSF1#SUMS:10"_s, {}, {}, {}, {}, {}, {}, u"c"_s}));
}

TEST(ScenarioLine, DamagedLinesGiveWhatTheyHold)
{
    const std::pair<QString, QStringList> cases[] = {
        // Runs of bars count as one: a hand-made line without the blanks moves the later fields up.
        {u"CURR:0#NONE||TSF1#SUMS:10|||comment"_s,
         {u"CURR:0#NONE"_s, u"TSF1#SUMS:10"_s, u"comment"_s, {}, {}, {}, {}, {}, {}}},
        {u"EXCL:3#RAND|TSF1#SUMS:10"_s, {u"EXCL:3#RAND"_s, u"TSF1#SUMS:10"_s, {}, {}, {}, {}, {}, {}, {}}},
        {u"H|1|2|3|4|5|6|7|c|extra"_s, {u"H"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"c"_s}},
        {u""_s, {{}, {}, {}, {}, {}, {}, {}, {}, {}}},
        {u"||||||||||| "_s, {{}, {}, {}, {}, {}, {}, {}, {}, {}}},
    };
    for (const auto &[line, fields] : cases)
        EXPECT_EQ(Fields(line), fields) << line.toStdString();
}

TEST(ScenarioHeader, TextsOfTheHeader)
{
    struct Case {
        TScenarioHeader header;
        QString text, lineText, caption;
    };
    const Case cases[] = {
        {Header(3, ScenarioSource::Excl, StakeChoice::Rand, false, true), u"EXCL:3#RAND#NEX"_s, u"EXCL:3#RAND#NEX"_s,
         u"Исключить 3 тиражей; Случайно; Только новые ставки"_s},
        {Header(0, ScenarioSource::Full, StakeChoice::Rand, false, false), u"FULL:0#RAND"_s, u"FULL#RAND"_s,
         u"Исходный список; Случайно; Все создаваемые ставки"_s},
        {Header(5, ScenarioSource::Curr, StakeChoice::SysC, true, true), u"CURR:5#SYSC#CLR#NEX"_s, u"CURR#SYSC#NEX"_s,
         u"Текущий список; Система [комб]; Удалить ставки; Только новые ставки"_s},
        {Header(12, ScenarioSource::Excl, StakeChoice::None, true, false), u"EXCL:12#NONE#CLR"_s, u"EXCL:12#NONE"_s,
         u"Исключить 12 тиражей; Не делать ставок; Удалить ставки; Все создаваемые ставки"_s},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ScenarioHeaderToText(c.header), c.text);
        EXPECT_EQ(ScenarioHeaderToLineText(c.header), c.lineText);
        EXPECT_EQ(ScenarioHeaderCaption(c.header), c.caption);
    }
    // Values outside the tables: the text stays readable, the caption says so.
    const TScenarioHeader bad = Header(2, 7, 200, false, false);
    EXPECT_EQ(ScenarioHeaderToText(bad), u"FULL:2#RAND");
    EXPECT_EQ(ScenarioHeaderCaption(bad), u"# ERROR #; # ERROR #; Все создаваемые ставки");
}

TEST(ScenarioHeader, EveryKeywordRoundTripsInAnyCase)
{
    for (int source = 0; source < ScenarioSource::Count; ++source)
        for (int stake = 0; stake < StakeChoice::Count; ++stake)
            for (int flags = 0; flags < 4; ++flags) {
                const TScenarioHeader h = Header(7, uint8_t(source), uint8_t(stake), flags & 1, flags & 2);
                const QString text = ScenarioHeaderToText(h);
                EXPECT_TRUE(text.startsWith(kSources[source] + u":7#"_s + kStakes[stake])) << text.toStdString();
                EXPECT_EQ(TextToScenarioHeader(text), h) << text.toStdString();
                EXPECT_EQ(TextToScenarioHeader(text.toLower()), h) << text.toStdString();
            }
}

TEST(ScenarioHeader, LenientReading)
{
    const std::pair<QString, TScenarioHeader> cases[] = {
        {u"curr"_s, Header(0, ScenarioSource::Curr, StakeChoice::Rand, false, false)},
        {u"EXCL:12#sysa#clr#nex"_s, Header(12, ScenarioSource::Excl, StakeChoice::SysA, true, true)},
        {u"FULL:x#BOGUS#zzz"_s, Header(0, ScenarioSource::Full, StakeChoice::Rand, false, false)},
        {u" EXCL : 7 # first # nex "_s, Header(7, ScenarioSource::Excl, StakeChoice::First, false, true)},
        {u"CURRENT:2#ALL"_s, Header(2, ScenarioSource::Curr, StakeChoice::All, false, false)},
        {u"EXCL:3#FIRSTX#NEX#CLR"_s, Header(3, ScenarioSource::Excl, StakeChoice::Rand, true, true)},
        {u"EXCL:3##LAST"_s, Header(3, ScenarioSource::Excl, StakeChoice::Last, false, false)},
        {u"XYZ:4#STOP"_s, Header(4, ScenarioSource::Full, StakeChoice::Stop, false, false)},
        {u""_s, Header(0, ScenarioSource::Full, StakeChoice::Rand, false, false)},
        // A count that is no 32-bit number, or a negative one, leaves no draws out.
        {u"EXCL:99999999999#SKIP"_s, Header(0, ScenarioSource::Excl, StakeChoice::Skip, false, false)},
        {u"EXCL:-5#LAST"_s, Header(0, ScenarioSource::Excl, StakeChoice::Last, false, false)},
    };
    for (const auto &[text, header] : cases)
        EXPECT_EQ(TextToScenarioHeader(text), header) << text.toStdString();
}

TEST(ScenarioCaptions, TablesAndValuesOutsideThem)
{
    EXPECT_EQ(SourceListCaption(1), u"Удалить N последних тиражей (для прогнозов)");
    EXPECT_EQ(SourceListShortCaption(1), u"Исключить %d тиражей");
    EXPECT_EQ(StakeChoiceCaption(5), u"Системная игра [система * комбинации]");
    EXPECT_EQ(StakeChoiceShortCaption(4), u"Система [все]");
    EXPECT_EQ(ClearStakesCaption(0), u"");
    EXPECT_EQ(LoopModeCaption(2), u"Пока список не будет пуст и откатить на шаг");

    using Caption = QString (*)(int);
    const std::pair<Caption, int> routines[] = {
        {SourceListCaption, 3},  {SourceListShortCaption, 3}, {StakeChoiceCaption, 9}, {StakeChoiceShortCaption, 9},
        {ClearStakesCaption, 2}, {NewOnlyCaption, 2},         {ConditionCaption, 32},  {LoopModeCaption, 6},
    };
    for (const auto &[caption, count] : routines)
        for (int v : {-1, count, 255})
            EXPECT_EQ(caption(v), u"# ERROR #") << v;

    const QString moreV = u"не менее заданного значения"_s, moreP = u"не менее заданного процента"_s;
    const QString lessV = u"не более заданного значения"_s, lessP = u"не более заданного процента"_s;
    const QString listV = u"из заданного списка значений"_s, listP = u"из заданного списка процентов"_s;
    QStringList conditions{u"Весь список (без условий)"_s};
    for (const QString &column : {u"Глубина"_s, u"Отклонение"_s, u"Количество"_s})
        for (const QString &rule : {moreV, moreP, lessV, lessP, listV, listP})
            conditions << u'"' + column + u"\": " + rule;
    for (const QString &column : {u"Вес"_s, u"Период min"_s, u"Период"_s, u"Период max"_s})
        for (const QString &rule : {moreV, lessV, listV})
            conditions << u'"' + column + u"\": " + rule;
    conditions << u"\"Значения\": из заданного списка значений"_s;
    for (int kind = 0; kind < LevelModes::Count; ++kind)
        EXPECT_EQ(ConditionCaption(kind), conditions.value(kind)) << kind;
}

TEST(ScenarioFilter, ExamplesDecodeAndEncodeBack)
{
    const std::pair<QString, TFilterItem> cases[] = {
        {u"TSF1#SUMS:10#CMV:5#SC:1"_s,
         {.Used = true,
          .MethodText = u"SUMS:10"_s,
          .Method = Method(u"SUMS"_s),
          .DrawsLen = u"10"_s,
          .SortColumn = 1,
          .KeepSelected = true,
          .LevelMode = LevelModes::CMV,
          .LevelValue = u"5"_s,
          .StopMode = StopModes::SC,
          .StopValue = 1}},
        {u"TSF1#SUMS:10#CMV:5#SC:1#1:0.5:2:0:1"_s,
         {.Used = true,
          .MethodText = u"SUMS:10"_s,
          .Method = Method(u"SUMS"_s),
          .DrawsLen = u"10"_s,
          .SortColumn = 1,
          .KeepSelected = true,
          .LevelMode = LevelModes::CMV,
          .LevelValue = u"5"_s,
          .CDLOverride = true,
          .Coefs = {1, 0.5, 2, false, true},
          .StopMode = StopModes::SC,
          .StopValue = 1}},
        {u"BMD12#NUMS:1-10;2#LDV:1,2,3#SZ:0"_s,
         {.Used = true,
          .MethodText = u"NUMS:1-10;2"_s,
          .Method = Method(u"NUMS"_s),
          .DrawsLen = u"1-10;2"_s,
          .SortColumn = 12,
          .BottomUp = true,
          .MultiSelect = true,
          .LevelMode = LevelModes::LDV,
          .LevelValue = u"1,2,3"_s,
          .StopMode = StopModes::SZ}},
        // A code that names no method is kept and written back as it stands.
        {u"TSF1#XYZW:5#CMV:5#SC:1"_s,
         {.Used = true,
          .MethodText = u"XYZW:5"_s,
          .SortColumn = 1,
          .KeepSelected = true,
          .LevelMode = LevelModes::CMV,
          .LevelValue = u"5"_s,
          .StopMode = StopModes::SC,
          .StopValue = 1}},
        // Sort column -1: the rows stay in the statistic's order.
        {u"TMF-1#NUMS:20#LNO:#ST:3"_s,
         {.Used = true,
          .MethodText = u"NUMS:20"_s,
          .Method = Method(u"NUMS"_s),
          .DrawsLen = u"20"_s,
          .SortColumn = -1,
          .MultiSelect = true,
          .KeepSelected = true,
          .StopMode = StopModes::ST,
          .StopValue = 3}},
    };
    for (const auto &[text, item] : cases) {
        EXPECT_EQ(Read(text), item) << text.toStdString();
        EXPECT_EQ(FilterItemToText(item), text);
        EXPECT_EQ(FilterItemText(item), text);
        EXPECT_EQ(OwnWeights(item), item.CDLOverride ? &item.Coefs : nullptr);
    }
    EXPECT_EQ(Read(u"  \t "_s), TFilterItem{});
    EXPECT_EQ(FilterItemToText(TFilterItem{}), u"");

    // Without any method field the condition and the stop mode keep their places.
    TFilterItem blank = cases[3].second;
    blank.MethodText.clear();
    EXPECT_EQ(FilterItemToText(blank), u"TSF1# #CMV:5#SC:1");
    EXPECT_EQ(FilterItemToText(Read(u"TSF1# #CMV:5#SC:1"_s)), u"TSF1# #CMV:5#SC:1");
}

TEST(ScenarioFilter, EveryConditionAndStopKeywordRoundTrips)
{
    for (int kind = 0; kind < LevelModes::Count; ++kind)
        for (int stop = 0; stop < StopModes::Count; ++stop) {
            const QString text = u"TSF1#SUMS:10#"_s + kConditions[kind] + u":3,4#"_s + kStops[stop] + u":25"_s;
            const TFilterItem item = Read(text.toLower().replace(u"tsf"_s, u"TSF"_s));
            EXPECT_EQ(item.LevelMode, kind) << text.toStdString();
            EXPECT_EQ(item.StopMode, stop) << text.toStdString();
            EXPECT_EQ(item.LevelValue, u"3,4");
            EXPECT_EQ(item.StopValue, 25);
            EXPECT_EQ(FilterItemToText(item), text);
        }
    // The mode letters are case-sensitive.
    EXPECT_EQ(FilterItemToText(Read(u"bmf1#SUMS:10#CMV:5#SC:1"_s)), u"TSD1#SUMS:10#CMV:5#SC:1");
}

TEST(ScenarioFilter, MethodCodesBindExactlyBeforeAnyPrefix)
{
    const std::pair<QString, QString> cases[] = {
        {u"TSF1#CHN12:5"_s, u"CHN12"_s}, // not CHN1, which begins the field too
        {u"TSF1#chn12:5"_s, u"CHN12"_s}, {u"TSF1#CHN1:5"_s, u"CHN1"_s},
        {u"TSF1#CHN10"_s, u"CHN10"_s},   {u"TSF1#POS10:5"_s, u"POS1"_s}, // no such code: the first code that begins it
        {u"TSF1#SUMSX:7"_s, u"SUMS"_s},  {u"TSF1# SUM1 :7"_s, u"SUM1"_s},
    };
    for (const auto &[text, code] : cases) {
        const TFilterItem item = Read(text);
        ASSERT_NE(item.Method, nullptr) << text.toStdString();
        EXPECT_EQ(item.Method->MethodCode(), code) << text.toStdString();
    }
    EXPECT_EQ(Read(u"TSF1#CHN12:5"_s).DrawsLen, u"5");
}

TEST(ScenarioFilter, DamagedFieldsTakeTheirDefaults)
{
    struct Case {
        QString text;
        int sortColumn;
        uint8_t level;
        QString levelValue;
        uint8_t stop;
        int stopValue;
        QString columnShown; // the sort column as the filter's text and the refusal of a run name it
    };
    const Case cases[] = {
        {u"TS"_s, 1, LevelModes::LNO, u""_s, StopModes::SF, 0, u"1"_s},
        // A column that is no number is none the table has: the run refuses it as it refuses -5, and
        // names it as it was typed.
        {u"TSFx#SUMS:10"_s, kUnreadableSortColumn, LevelModes::LNO, u""_s, StopModes::SF, 0, u"x"_s},
        {u"TSD-1x#SUMS:10"_s, kUnreadableSortColumn, LevelModes::LNO, u""_s, StopModes::SF, 0, u"-1x"_s},
        {u"TSD--1#SUMS:10"_s, kUnreadableSortColumn, LevelModes::LNO, u""_s, StopModes::SF, 0, u"--1"_s},
        // A column below -1 is kept as written: the run refuses it as it refuses one above the last.
        {u"TSF-3#SUMS:10#CMV:5"_s, -3, LevelModes::CMV, u"5"_s, StopModes::SF, 0, u"-3"_s},
        {u"TMF-2"_s, -2, LevelModes::LNO, u""_s, StopModes::SF, 0, u"-2"_s},
        {u"TSF99999999999#SUMS:10#ZZZ:5#XX:4"_s, kUnreadableSortColumn, LevelModes::LNO, u""_s, StopModes::SF, 0,
         u"99999999999"_s},
        {u"TSD-2147483648#SUMS:10"_s, kUnreadableSortColumn, LevelModes::LNO, u""_s, StopModes::SF, 0,
         u"-2147483648"_s},
        {u"TSF 7 #SUMS:10#cmv: 5 #sc"_s, 7, LevelModes::CMV, u"5"_s, StopModes::SC, 1, u"7"_s},
        {u"TSF2#SUMS:10#LNO:#SC:abc"_s, 2, LevelModes::LNO, u""_s, StopModes::SC, 1, u"2"_s},
        {u"TSF2#SUMS:10#LVA:1;2#ST:99999999999"_s, 2, LevelModes::LVA, u"1;2"_s, StopModes::ST, 1, u"2"_s},
        {u"TSF2#SUMS:10#LMV:5:6#SV:-4"_s, 2, LevelModes::LMV, u"5"_s, StopModes::SV, -4, u"2"_s},
    };
    for (const Case &c : cases) {
        const TFilterItem f = Read(c.text);
        const auto got = std::make_tuple(f.Used, f.SortColumn, f.LevelMode, f.LevelValue, f.StopMode, f.StopValue,
                                         FilterSortColumnText(f));
        EXPECT_EQ(got, std::make_tuple(true, c.sortColumn, c.level, c.levelValue, c.stop, c.stopValue, c.columnShown))
            << c.text.toStdString();
        // The filter's text, as the scenario list shows it, has the column as typed.
        EXPECT_EQ(FilterItemToText(f).section(u'#', 0, 0).mid(3), c.columnShown) << c.text.toStdString();
    }
    EXPECT_EQ(FilterItemToText(Read(u"TSD-5#SUMS:20#LNO:#ST:2"_s)), u"TSD-5#SUMS:20#LNO:#ST:2"_s);
    EXPECT_EQ(FilterItemToText(Read(u"TSD--1#SUMS:20#LNO:#ST:2"_s)), u"TSD--1#SUMS:20#LNO:#ST:2"_s);
    // Values outside the keyword tables write the first keyword rather than reading past a table.
    TFilterItem bad = Read(u"TSF1#SUMS:10#CMV:5#SC:1"_s);
    bad.LevelMode = 40;
    bad.StopMode = 9;
    EXPECT_EQ(FilterItemToText(bad), u"TSF1#SUMS:10#LNO:5#SF:1");
}

TEST(ScenarioFilter, CoefficientsAreReadLenientlyAndWrittenWithoutExponent)
{
    const std::tuple<QString, TWeightCoefs, QString> cases[] = {
        {u"1,5:1.5:-2:1:0"_s, {1.5, 1.5, -2, true, false}, u"1.5:1.5:-2:1:0"_s},
        {u"0.00001:1e20:2.5E-3:0:1"_s,
         {0.00001, 1e20, 0.0025, false, true},
         u"0.00001:100000000000000000000:0.0025:0:1"_s},
        {u"abc:1.2.3:x7y:yes:1"_s, {0, 0, 7, false, true}, u"0:0:7:0:1"_s},
        {u"1"_s, {1, 0, 0, false, false}, u"1:0:0:0:0"_s},
        {u"1e999:-0:0.333333333333333:1:1"_s, {0, 0, 0.333333333333333, true, true}, u"0:0:0.333333333333333:1:1"_s},
    };
    for (const auto &[weights, coefs, written] : cases) {
        const TFilterItem f = Read(u"TSF1#SUMS:10#WMV:5#SC:1#"_s + weights);
        EXPECT_TRUE(f.CDLOverride);
        EXPECT_EQ(f.Coefs, coefs) << weights.toStdString();
        const QString text = FilterItemToText(f);
        EXPECT_EQ(text, u"TSF1#SUMS:10#WMV:5#SC:1#"_s + written);
        EXPECT_EQ(Read(text), f) << text.toStdString();
    }

    // A comma locale changes neither the writing nor the reading.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const TFilterItem f = Read(u"TSF1#SUMS:10#WMV:5#SC:1#0,25:-1,5:2:0:0"_s);
    EXPECT_EQ(f.Coefs, (TWeightCoefs{0.25, -1.5, 2, false, false}));
    EXPECT_EQ(FilterItemToText(f), u"TSF1#SUMS:10#WMV:5#SC:1#0.25:-1.5:2:0:0");
    QLocale::setDefault(saved);
}

TEST(ScenarioFilter, PartsAndVariantTexts)
{
    const TFilterPart sums{.Used = true,
                           .Method = Method(u"SUMS"_s),
                           .DrawsLen = 10,
                           .SortColumn = 3,
                           .KeepSelected = true,
                           .LevelMode = LevelModes::CMV,
                           .LevelText = u"5"_s,
                           .LevelValue = u"5"_s,
                           .StopMode = StopModes::SC,
                           .StopValue = 1};
    const TFilterPart nums{.Used = true,
                           .Method = Method(u"NUMS"_s),
                           .DrawsLen = 3,
                           .BottomUp = true,
                           .MultiSelect = true,
                           .LevelMode = LevelModes::WDV,
                           .LevelText = u"1,2"_s,
                           .LevelValue = u"1;2"_s,
                           .CDLOverride = true,
                           .Coefs = {0, -1, 1, true, false},
                           .StopMode = StopModes::SC,
                           .StopValue = 1};
    TFilterVar variant;
    EXPECT_EQ(FilterRecToText(variant.Filters), u"");
    variant.Filters[0] = sums;
    variant.Filters[4] = nums;
    EXPECT_EQ(FilterRecToText(variant.Filters), u"TSF#SUMS:10#CMV:5#SC:1 + BMD#NUMS:3#WDV:1;2#SC:1#0:-1:1:1:0");
    EXPECT_EQ(OwnWeights(nums), &nums.Coefs);
    TFilterPart orphan = sums;
    orphan.Method = nullptr;
    EXPECT_EQ(FilterPartToText(orphan), u"TSF#:10#CMV:5#SC:1");
}

TEST(ScenarioLine, WholeLineRoundTrip)
{
    const QString line = u"EXCL:3#RAND#NEX|TSF1#SUMS:10#CMV:5#SC:1#1:0.5:2:0:1| |BMD4#CHN12:1-10;2#LVA:3;7#ST:2"
                         u"| | | | |Прогноз"_s;
    const TScenarioHeader header = TextToScenarioHeader(ScenarioLineHeader(line));
    EXPECT_EQ(header, Header(3, ScenarioSource::Excl, StakeChoice::Rand, false, true));
    TScenarioFilterTexts filters;
    for (int slot = 1; slot <= 7; ++slot)
        filters[size_t(slot - 1)] = FilterItemToText(Read(ScenarioLineFilter(line, slot)));
    EXPECT_EQ(BuildScenarioLine(ScenarioLineComment(line), ScenarioHeaderToText(header), filters), line);
}

TEST(ScenarioLog, StepTexts)
{
    EXPECT_EQ(ScriptStepLogText(1, 3, u"", u"tail"), u"01.003: @ tail");
    EXPECT_EQ(ScriptStepLogText(12, 45, u"Прогноз", u"EXCL:3#RAND"), u"12.045: Прогноз @ EXCL:3#RAND");
    EXPECT_EQ(ScriptStepLogText(123, 4567, u"100%", u""), u"123.4567: 100% @ ");
}
