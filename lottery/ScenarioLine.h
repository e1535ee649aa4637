#pragma once

#include "lottery/FilterItem.h"
#include "lottery/ScenarioKeywords.h"

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

// A scenario is an ordered list of lines; each line says how to prepare the starting list of
// combinations, which filters (up to seven) cut it down and what to stake from what is left. A line is
// one text, stored in the scenario files and exchanged through the online catalogue:
//
//   <header>|<filter 1>|...|<filter 7>|<comment>
//
// Empty filters are written as one blank, so that a line always has eight bars and every field keeps its
// place (runs of bars count as one when the line is read). The header is
//   <source>:<excluded draws>#<stake choice>[#CLR][#NEX]      for example EXCL:3#RAND#NEX
// and the filters are described in FilterItem.h.

// The options of one line.
struct TScenarioHeader {
    int32_t ExcludeCount = 0;                      // the most recent draws left out (source EXCL)
    uint8_t StartCombsType = ScenarioSource::Full; // where the starting list comes from
    uint8_t ResultCombsMode = StakeChoice::Rand;   // what to stake from the list that is left
    bool ClearStakes = false;                      // CLR: empty the stakes file before the line runs
    bool NewOnly = false;                          // NEX: a stake already in the stakes list is not added again

    bool operator==(const TScenarioHeader &o) const = default;
};

// One row of a computed statistics table as the selection step of a scenario reads it: the value as
// shown and as a number, then the texts of the table's count, deviation, depth, weight and period
// columns.
struct TStatValues {
    QString ValueText;
    int32_t Value = 0;
    QString Count;
    QString CountPct;
    QString Deviation;
    QString DeviationPct;
    QString Depth;
    QString DepthPct;
    QString Weight;
    QString PeriodMin;
    QString Period;
    QString PeriodMax;

    bool operator==(const TStatValues &o) const = default;
};

// The texts of filter slots 1..7 (element 0 is slot 1).
using TScenarioFilterTexts = std::array<QString, kScenarioFilterCount>;

// The line of a header text, seven filter texts and a comment. A bar or a line break inside a field
// would split the line, so a bar becomes "¦" and control characters become blanks.
QString BuildScenarioLine(QStringView comment, QStringView header, const TScenarioFilterTexts &filters);

// The fields of a line, trimmed; a missing field (or a filter slot outside 1..7) gives "".
QString ScenarioLineHeader(QStringView line);
QString ScenarioLineFilter(QStringView line, int slot);
QString ScenarioLineComment(QStringView line);

// The header field as stored ("FULL:0#RAND") and back. Reading never fails: what cannot be read takes
// its default (FULL, 0 draws, RAND, no flags); a negative number of draws is read as 0.
QString ScenarioHeaderToText(const TScenarioHeader &header);
TScenarioHeader TextToScenarioHeader(QStringView text);

// The short form of the header for the run log and the comments of scenario stakes ("EXCL:3#RAND#NEX";
// the number of draws only for EXCL, the clearing of the stakes not shown).
QString ScenarioHeaderToLineText(const TScenarioHeader &header);
// The summary shown in the scenario list ("Исключить 3 тиражей; Случайно; Только новые ставки").
QString ScenarioHeaderCaption(const TScenarioHeader &header);

// A line of the run log for a step: "01.003: <text> @ <tail>" (the text and its blank left out when
// the text is empty).
QString ScriptStepLogText(int lineNo, int stepNo, QStringView text, QStringView tail);
