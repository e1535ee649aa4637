#include "lottery/stats/StatClass.h"

#include "common/Format.h"
#include "lottery/DrawDates.h"
#include "lottery/NumberGeometry.h"

#include <QFileInfo>
#include <array>

using namespace Qt::StringLiterals;

namespace {

struct GroupText {
    const char16_t *code;
    const char16_t *caption;
};

constexpr std::array<GroupText, kStatGroupCount> kGroups{{
    {u"num", u"Числа тиража"},
    {u"sum", u"Сумма чисел тиража"},
    {u"dif", u"Разности между числами тиража"},
    {u"grp", u"Каналы (группы чисел)"},
    {u"mtx", u"Матрица тиража"},
    {u"sgm", u"Сегменты матрицы тиража"},
    {u"seq", u"Последовательности чисел в одном тираже"},
    {u"rep", u"Повторяющиеся числа в нескольких тиражах"},
    {u"ser", u"Серии (цепочки) значений"},
    {u"per", u"Периоды повторения значений"},
    {u"mov", u"Переходы (изменения) значений между тиражами"},
    {u"tlk", u"Характеристическое число Талвика"},
    {u"shr", u"Методы шинковки"},
}};

} // namespace

QString GroupCode(int group)
{
    if (group < 0 || group >= kStatGroupCount)
        return {};
    return QString::fromUtf16(kGroups[size_t(group)].code);
}

QString GroupCaption(int group)
{
    if (group < 0 || group >= kStatGroupCount)
        return u"#ERROR#"_s;
    return Format(u"{ %1:s } %0:s", {kGroups[size_t(group)].caption, kGroups[size_t(group)].code});
}

QString KindLetters(unsigned flags)
{
    QString letters;
    static constexpr std::array<std::pair<unsigned, char16_t>, 5> kLetters{
        {{skS, u'S'}, {skN, u'N'}, {skD, u'D'}, {skP, u'P'}, {skG, u'G'}}};
    for (const auto &[bit, letter] : kLetters)
        if (flags & bit)
            letters += QChar(letter);
    return letters;
}

QString TStatClass::TitleTemplate() const
{
    switch (Arg.kind) {
    case TClassArg::Int: return Format(TitleText, {Arg.number});
    case TClassArg::Text: return Format(TitleText, {Arg.text});
    case TClassArg::None: break;
    }
    return QString::fromUtf16(TitleText);
}

QString TStatClass::CodeFor(int param) const
{
    return Format(Code, {param});
}

QString TStatClass::TitleFor(int param) const
{
    if (TitleProc)
        return TitleProc(param);
    return Format(TitleTemplate(), {param});
}

QString TStatClass::HelpURL(int param) const
{
    const QString &file = HelpFileName;
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return {};
    return u"ms-its:"_s + file + Format(u"::/Filters_%.4d_%s.htm", {1049, Format(HelpCode(), {param})});
}

void TStatClass::ParamRange(const TConfigData &config, int &min, int &max) const
{
    min = 0;
    max = 0;
    switch (Params) {
    case TParamKind::None: break;
    case TParamKind::Fixed:
        min = ParamMin;
        max = ParamMax;
        break;
    case TParamKind::Channels:
        if (config.channelSize < 1) {
            max = -1;
            break;
        }
        min = ChannelOf(1, config.channelSize);
        max = ChannelOf(kMaxNumber, config.channelSize);
        break;
    case TParamKind::Columns:
        if (config.matrixCols < 1) {
            max = -1;
            break;
        }
        min = 1;
        max = config.matrixCols;
        break;
    case TParamKind::Rows:
        if (config.matrixCols < 1) {
            max = -1;
            break;
        }
        min = 1;
        max = MatrixRowCount(1, kMaxNumber, config.matrixCols);
        break;
    case TParamKind::Segments:
        min = 9;
        max = 1;
        for (uint8_t s : config.matrixSegments) {
            min = std::min<int>(min, s);
            max = std::max<int>(max, s);
        }
        break;
    }
}
