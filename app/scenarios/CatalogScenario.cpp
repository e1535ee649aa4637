#include "app/scenarios/CatalogScenario.h"

#include "common/Cp1251.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "app/scenarios/ScenarioList.h"

#include <algorithm>

namespace {

// Characters of the line that Windows-1251 cannot hold (a surrogate pair is one character) and the
// length of the line in that code page.
struct LineMeasure {
    int unencodable = 0;
    qsizetype bytes = 0;
};

LineMeasure measure(QStringView line)
{
    LineMeasure m;
    if (Cp1251::canEncode(line)) {
        m.bytes = line.size();
        return m;
    }
    for (qsizetype i = 0; i < line.size(); ++i) {
        const qsizetype n = line[i].isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate() ? 2 : 1;
        if (!Cp1251::canEncode(line.mid(i, n)))
            ++m.unencodable;
        ++m.bytes;
        i += n - 1;
    }
    return m;
}

} // namespace

bool TCatalogScenario::isEmpty() const
{
    return std::all_of(lines.cbegin(), lines.cend(), IsScenarioSeparator);
}

TCatalogScenario DecodeCatalogScenario(const QString &text)
{
    const QStringList raw = SplitScenarioText(text);
    if (raw.size() > kMaxCatalogScenarioLines)
        throw EConvertError(Format(u"Сценарий содержит слишком много строк: %d (допустимо не более %d).",
                                   {static_cast<long long>(raw.size()), kMaxCatalogScenarioLines}));
    TCatalogScenario result;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const LineMeasure m = measure(raw.at(i));
        if (m.bytes > kMaxCatalogScenarioLineBytes)
            throw EConvertError(Format(u"Строка %d сценария слишком длинная: %s (допустимо не более %d).",
                                       {static_cast<long long>(i + 1), BytesText(m.bytes),
                                        kMaxCatalogScenarioLineBytes}));
        result.replacedChars += m.unencodable;
    }
    // Checked and kept as a scenario file's lines: characters with no Windows-1251 form become "?".
    result.lines = ParseScenarioText(text);
    return result;
}
