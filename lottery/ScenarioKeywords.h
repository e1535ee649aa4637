#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

// The keywords through which a scenario line is written as text, the captions shown for each of its
// choices, and the word splitting that reads the line back.

// ---- Choices of a line and of its filters (the values stored in the records) ----

// Where the starting list of combinations comes from.
namespace ScenarioSource {
enum : uint8_t {
    Full = 0, // the list of all combinations
    Excl = 1, // all combinations without those of the N most recent draws
    Curr = 2, // the current list, as the previous line left it
};
inline constexpr int Count = 3;
} // namespace ScenarioSource

// What to stake from the combinations that are left.
namespace StakeChoice {
enum : uint8_t { Rand = 0, First = 1, Last = 2, All = 3, SysA = 4, SysC = 5, Stop = 6, Skip = 7, None = 8 };
inline constexpr int Count = 9;
} // namespace StakeChoice

// The condition a row of the statistics table has to meet to be selected. The letters name the
// column (L depth, D deviation, C count, W weight, PI minimum period, PA period, PX maximum period),
// then the test (M not less than, L not more than, D/R one of a list) and whether values or
// percentages are given (V, P). LNO tests nothing; LVA tests the row's own value against a list.
namespace LevelModes {
// clang-format off
enum : uint8_t {
    LNO, LMV, LMP, LLV, LLP, LDV, LDP,
    DMV, DMP, DLV, DLP, DDV, DDP,
    CMV, CMP, CLV, CLP, CDV, CDP,
    WMV, WLV, WDV,
    PIM, PIL, PIR,
    PAM, PAL, PAR,
    PXM, PXL, PXR,
    LVA,
};
// clang-format on
inline constexpr int Count = 32;
} // namespace LevelModes

// Until what the selection loop of a filter runs.
namespace StopModes {
enum : uint8_t {
    SF = 0, // every row
    SC = 1, // the number of combinations left
    SZ = 2, // until the list would be empty, that step undone
    ST = 3, // the number of steps
    SV = 4, // the count in the statistics table
    SP = 5, // the count percentage in the statistics table
};
inline constexpr int Count = 6;
} // namespace StopModes

// ---- Keywords (a value outside its table gives the keyword of value 0) ----
QString SourceKeyword(int value);
QString StakeChoiceKeyword(int value);
QString ConditionKeyword(int value);
QString StopModeKeyword(int value);

// The value whose keyword begins the text (letters in any case), the first in table order; -1 when none.
int SourceKeywordAtStart(QStringView text);
int ConditionKeywordAtStart(QStringView text);
int StopModeKeywordAtStart(QStringView text);
// The value whose keyword is the text (letters in any case); -1 when none.
int StakeChoiceKeywordOf(QStringView text);

// True when the texts are equal apart from the case of the Latin letters.
bool SameKeyword(QStringView text, QStringView keyword);

// ---- Captions (a value outside its table gives "# ERROR #") ----
inline constexpr char16_t kCaptionError[] = u"# ERROR #";

// The starting list as the line dialog offers it.
QString SourceListCaption(int value);
// The starting list as the scenario list shows it; "%d" stands for the number of draws left out.
QString SourceListShortCaption(int value);
QString StakeChoiceCaption(int value);
QString StakeChoiceShortCaption(int value);
// 0: "" (the stakes are kept), 1: "Удалить ставки".
QString ClearStakesCaption(int value);
QString NewOnlyCaption(int value);
QString ConditionCaption(int value);
QString LoopModeCaption(int value);

// ---- Words of a text ----
// The n-th word (from 1) of a text cut at any of the delimiters; runs of delimiters count as one and
// leading ones are skipped, so an empty field cannot be addressed. "" when there is no such word.
QString ScenarioWord(int n, QStringView text, QStringView delimiters);
// The number of words counted the same way.
int ScenarioWordCount(QStringView text, QStringView delimiters);
