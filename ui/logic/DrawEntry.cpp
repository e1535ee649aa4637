#include "ui/logic/DrawEntry.h"

#include "common/TextUtils.h"

#include <QRegularExpression>

QString DrawEntryText(const TDrawRec &draw)
{
    QString text;
    for (uint8_t n : draw.main)
        text = AddWithDelimiter(text, QString::number(n), u";");
    for (uint8_t n : draw.extra)
        text += u';' + QString::number(n);
    return text;
}

bool ParseDrawEntryText(const QString &text, TDrawRec &draw)
{
    static const QRegularExpression separators(QStringLiteral("[,;]"));
    const QStringList words = text.split(separators);
    if (words.size() != kMainCount + kExtraCount)
        return false;
    std::array<uint8_t, kMainCount + kExtraCount> numbers{};
    for (int i = 0; i < words.size(); ++i) {
        bool ok = false;
        const int n = TextToIntDef(words[i], 0, &ok);
        if (!ok || n < 1 || n > kMaxNumber)
            return false;
        numbers[static_cast<size_t>(i)] = static_cast<uint8_t>(n);
    }
    for (int i = 0; i < kMainCount; ++i)
        for (int j = i + 1; j < kMainCount; ++j)
            if (numbers[static_cast<size_t>(i)] == numbers[static_cast<size_t>(j)])
                return false;
    std::copy(numbers.begin(), numbers.begin() + kMainCount, draw.main.begin());
    std::copy(numbers.begin() + kMainCount, numbers.end(), draw.extra.begin());
    return true;
}
