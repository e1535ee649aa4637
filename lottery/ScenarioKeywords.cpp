#include "lottery/ScenarioKeywords.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

template <size_t N> using TTexts = std::array<const char16_t *, N>;

constexpr TTexts<ScenarioSource::Count> kSourceKeywords{u"FULL", u"EXCL", u"CURR"};
constexpr TTexts<StakeChoice::Count> kStakeKeywords{u"RAND", u"FIRST", u"LAST", u"ALL", u"SYSA",
                                                    u"SYSC", u"STOP",  u"SKIP", u"NONE"};
constexpr TTexts<LevelModes::Count> kConditionKeywords{u"LNO", u"LMV", u"LMP", u"LLV", u"LLP", u"LDV", u"LDP", u"DMV",
                                                       u"DMP", u"DLV", u"DLP", u"DDV", u"DDP", u"CMV", u"CMP", u"CLV",
                                                       u"CLP", u"CDV", u"CDP", u"WMV", u"WLV", u"WDV", u"PIM", u"PIL",
                                                       u"PIR", u"PAM", u"PAL", u"PAR", u"PXM", u"PXL", u"PXR", u"LVA"};
constexpr TTexts<StopModes::Count> kStopKeywords{u"SF", u"SC", u"SZ", u"ST", u"SV", u"SP"};

constexpr TTexts<ScenarioSource::Count> kSourceCaptions{
    u"Исходный список (рекомендуется для тестов)",
    u"Удалить N последних тиражей (для прогнозов)",
    u"Текущий список (для последовательного выполнения)",
};
constexpr TTexts<ScenarioSource::Count> kSourceShortCaptions{
    u"Исходный список",
    u"Исключить %d тиражей",
    u"Текущий список",
};
constexpr TTexts<StakeChoice::Count> kStakeCaptions{
    u"Выбрать одну случайную комбинацию",
    u"Выбрать первую комбинацию в списке",
    u"Выбрать последнюю комбинацию в списке",
    u"Выбрать все комбинации (не рекомендуется)",
    u"Системная игра [вся система]",
    u"Системная игра [система * комбинации]",
    u"Остановить выполнение сценария",
    u"Пропустить (игнорировать) эту ставку",
    u"Не делать ставок (для последовательного выполнения)",
};
constexpr TTexts<StakeChoice::Count> kStakeShortCaptions{
    u"Случайно",   u"Первая",     u"Последняя",        u"Все", u"Система [все]", u"Система [комб]",
    u"Остановить", u"Пропустить", u"Не делать ставок",
};
constexpr TTexts<2> kClearStakesCaptions{u"", u"Удалить ставки"};
constexpr TTexts<2> kNewOnlyCaptions{u"Все создаваемые ставки", u"Только новые ставки"};
constexpr TTexts<StopModes::Count> kStopCaptions{
    u"Обработать все записи", u"Количеству оставшихся комбинаций", u"Пока список не будет пуст и откатить на шаг",
    u"Количеству шагов",      u"Значению в списке статистики",     u"Процентному соотношению в списке статистики",
};

// Conditions: the column a kind tests and the rule it applies.
enum TRule { MoreV, MoreP, LessV, LessP, ListV, ListP };
constexpr TTexts<6> kRuleTexts{
    u"не менее заданного значения", u"не менее заданного процента",  u"не более заданного значения",
    u"не более заданного процента", u"из заданного списка значений", u"из заданного списка процентов",
};
struct TConditionText {
    const char16_t *column;
    TRule rule;
};
constexpr std::array<TConditionText, LevelModes::Count> kConditions{{
    {nullptr, MoreV}, // LNO
    {u"Глубина", MoreV},    {u"Глубина", MoreP},    {u"Глубина", LessV},    {u"Глубина", LessP},
    {u"Глубина", ListV},    {u"Глубина", ListP},    {u"Отклонение", MoreV}, {u"Отклонение", MoreP},
    {u"Отклонение", LessV}, {u"Отклонение", LessP}, {u"Отклонение", ListV}, {u"Отклонение", ListP},
    {u"Количество", MoreV}, {u"Количество", MoreP}, {u"Количество", LessV}, {u"Количество", LessP},
    {u"Количество", ListV}, {u"Количество", ListP}, {u"Вес", MoreV},        {u"Вес", LessV},
    {u"Вес", ListV},        {u"Период min", MoreV}, {u"Период min", LessV}, {u"Период min", ListV},
    {u"Период", MoreV},     {u"Период", LessV},     {u"Период", ListV},     {u"Период max", MoreV},
    {u"Период max", LessV}, {u"Период max", ListV}, {u"Значения", ListV},
}};

template <size_t N> QString textAt(const TTexts<N> &table, int value, QStringView outside)
{
    if (value < 0 || value >= int(N))
        return outside.toString();
    return QString::fromUtf16(table[size_t(value)]);
}

template <size_t N> QString keywordAt(const TTexts<N> &table, int value)
{
    return QString::fromUtf16(table[value >= 0 && value < int(N) ? size_t(value) : 0]);
}

char16_t foldAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

bool startsWithKeyword(QStringView text, QStringView keyword)
{
    return text.size() >= keyword.size() && SameKeyword(text.left(keyword.size()), keyword);
}

template <size_t N> int keywordAtStart(const TTexts<N> &table, QStringView text)
{
    for (size_t i = 0; i < N; ++i)
        if (startsWithKeyword(text, QStringView(table[i])))
            return int(i);
    return -1;
}

bool isDelimiter(QChar c, QStringView delimiters)
{
    return delimiters.contains(c);
}

} // namespace

QString SourceKeyword(int value)
{
    return keywordAt(kSourceKeywords, value);
}

QString StakeChoiceKeyword(int value)
{
    return keywordAt(kStakeKeywords, value);
}

QString ConditionKeyword(int value)
{
    return keywordAt(kConditionKeywords, value);
}

QString StopModeKeyword(int value)
{
    return keywordAt(kStopKeywords, value);
}

int SourceKeywordAtStart(QStringView text)
{
    return keywordAtStart(kSourceKeywords, text);
}

int ConditionKeywordAtStart(QStringView text)
{
    return keywordAtStart(kConditionKeywords, text);
}

int StopModeKeywordAtStart(QStringView text)
{
    return keywordAtStart(kStopKeywords, text);
}

int StakeChoiceKeywordOf(QStringView text)
{
    for (size_t i = 0; i < kStakeKeywords.size(); ++i)
        if (SameKeyword(text, QStringView(kStakeKeywords[i])))
            return int(i);
    return -1;
}

bool SameKeyword(QStringView text, QStringView keyword)
{
    if (text.size() != keyword.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (foldAscii(text[i].unicode()) != foldAscii(keyword[i].unicode()))
            return false;
    return true;
}

QString SourceListCaption(int value)
{
    return textAt(kSourceCaptions, value, kCaptionError);
}

QString SourceListShortCaption(int value)
{
    return textAt(kSourceShortCaptions, value, kCaptionError);
}

QString StakeChoiceCaption(int value)
{
    return textAt(kStakeCaptions, value, kCaptionError);
}

QString StakeChoiceShortCaption(int value)
{
    return textAt(kStakeShortCaptions, value, kCaptionError);
}

QString ClearStakesCaption(int value)
{
    return textAt(kClearStakesCaptions, value, kCaptionError);
}

QString NewOnlyCaption(int value)
{
    return textAt(kNewOnlyCaptions, value, kCaptionError);
}

QString ConditionCaption(int value)
{
    if (value < 0 || value >= LevelModes::Count)
        return QString::fromUtf16(kCaptionError);
    if (value == LevelModes::LNO)
        return u"Весь список (без условий)"_s;
    const TConditionText &c = kConditions[size_t(value)];
    return u'"' + QString::fromUtf16(c.column) + u"\": "_s + QString::fromUtf16(kRuleTexts[size_t(c.rule)]);
}

QString LoopModeCaption(int value)
{
    return textAt(kStopCaptions, value, kCaptionError);
}

QString ScenarioWord(int n, QStringView text, QStringView delimiters)
{
    int word = 0;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        while (i < size && isDelimiter(text[i], delimiters))
            ++i;
        if (i >= size)
            break;
        const qsizetype start = i;
        while (i < size && !isDelimiter(text[i], delimiters))
            ++i;
        if (++word == n)
            return text.mid(start, i - start).toString();
    }
    return {};
}

int ScenarioWordCount(QStringView text, QStringView delimiters)
{
    int words = 0;
    bool inWord = false;
    for (QChar c : text) {
        const bool delimiter = isDelimiter(c, delimiters);
        if (!delimiter && !inWord)
            ++words;
        inWord = !delimiter;
    }
    return words;
}
