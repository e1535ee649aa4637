#pragma once

#include <QString>
#include <QStringList>

// A scenario downloaded from the online catalogue, made ready to replace the user's scenario. The
// text comes from the network, so it is checked as a scenario file is and held within limits.
inline constexpr int kMaxCatalogScenarioLines = 10000;
inline constexpr int kMaxCatalogScenarioLineBytes = 64 * 1024;

struct TCatalogScenario {
    QStringList lines;
    // Characters with no Windows-1251 form, each replaced with "?" in the lines.
    int replacedChars = 0;

    // True when there is no line but separators: such a scenario replaces nothing.
    bool isEmpty() const;
};

// The lines of the text (CR LF, LF or CR ending each), each kept as the scenario list keeps it.
// Raises EConvertError for more than kMaxCatalogScenarioLines lines, a line longer than
// kMaxCatalogScenarioLineBytes in Windows-1251, or a line that is not a scenario line.
TCatalogScenario DecodeCatalogScenario(const QString &text);
