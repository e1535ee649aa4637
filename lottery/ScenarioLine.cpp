#include "lottery/ScenarioLine.h"

#include "common/Format.h"
#include "common/TextUtils.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kLineDelimiter = u"|";
constexpr QStringView kHeaderDelimiter = u"#";
constexpr QStringView kCountDelimiter = u":";

// A field made safe for the line: a bar would end it early and a line break would split the line in
// the scenario file.
QString lineSafe(QStringView field)
{
    QString text = field.toString();
    for (QChar &c : text) {
        if (c == u'|')
            c = u'¦';
        else if (c.unicode() < 0x20)
            c = u' ';
    }
    return text;
}

QString lineField(QStringView line, int n)
{
    return TrimControl(ScenarioWord(n, line, kLineDelimiter));
}

} // namespace

QString BuildScenarioLine(QStringView comment, QStringView header, const TScenarioFilterTexts &filters)
{
    // The header goes in as it is; only an empty one is written as a blank, or the first filter would
    // be read back as the header.
    QString line = lineSafe(header);
    if (TrimControl(line).isEmpty())
        line = u" "_s;
    line += u'|';
    for (const QString &filter : filters) {
        const QString text = TrimControl(lineSafe(filter));
        line += text.isEmpty() ? u" "_s : text;
        line += u'|';
    }
    line += TrimControl(lineSafe(comment));
    return line;
}

QString ScenarioLineHeader(QStringView line)
{
    return lineField(line, 1);
}

QString ScenarioLineFilter(QStringView line, int slot)
{
    if (slot < 1 || slot > kScenarioFilterCount)
        return {};
    return lineField(line, slot + 1);
}

QString ScenarioLineComment(QStringView line)
{
    return lineField(line, kScenarioFilterCount + 2);
}

QString ScenarioHeaderToText(const TScenarioHeader &header)
{
    QString text = SourceKeyword(header.StartCombsType) + u':' + QString::number(header.ExcludeCount);
    text = AddWithDelimiter(text, StakeChoiceKeyword(header.ResultCombsMode), kHeaderDelimiter);
    if (header.ClearStakes)
        text += u"#CLR"_s;
    if (header.NewOnly)
        text += u"#NEX"_s;
    return text;
}

TScenarioHeader TextToScenarioHeader(QStringView text)
{
    TScenarioHeader header;
    const QString source = TrimControl(ScenarioWord(1, text, kHeaderDelimiter));
    const int sourceType = SourceKeywordAtStart(source);
    if (sourceType >= 0)
        header.StartCombsType = uint8_t(sourceType);
    header.ExcludeCount = std::max(0, TextToIntDef(ScenarioWord(2, source, kCountDelimiter), 0));

    const int stake = StakeChoiceKeywordOf(TrimControl(ScenarioWord(2, text, kHeaderDelimiter)));
    if (stake >= 0)
        header.ResultCombsMode = uint8_t(stake);

    const int words = ScenarioWordCount(text, kHeaderDelimiter);
    for (int i = 3; i <= words; ++i) {
        const QString flag = TrimControl(ScenarioWord(i, text, kHeaderDelimiter));
        if (SameKeyword(flag, u"CLR"))
            header.ClearStakes = true;
        else if (SameKeyword(flag, u"NEX"))
            header.NewOnly = true;
    }
    return header;
}

QString ScenarioHeaderToLineText(const TScenarioHeader &header)
{
    QString text = SourceKeyword(header.StartCombsType);
    if (header.StartCombsType == ScenarioSource::Excl)
        text += u':' + QString::number(header.ExcludeCount);
    text += u'#' + StakeChoiceKeyword(header.ResultCombsMode);
    if (header.NewOnly)
        text += u"#NEX"_s;
    return text;
}

QString ScenarioHeaderCaption(const TScenarioHeader &header)
{
    QString caption = Format(SourceListShortCaption(header.StartCombsType), {header.ExcludeCount});
    caption += u"; "_s + StakeChoiceShortCaption(header.ResultCombsMode);
    if (header.ClearStakes)
        caption += u"; "_s + ClearStakesCaption(1);
    caption += u"; "_s + NewOnlyCaption(header.NewOnly ? 1 : 0);
    return caption;
}

QString ScriptStepLogText(int lineNo, int stepNo, QStringView text, QStringView tail)
{
    QString result = Format(u"%.2d.%.3d:", {lineNo, stepNo}) + u' ';
    if (!text.isEmpty())
        result += text + u' ';
    result += u"@ "_s + tail;
    return result;
}
