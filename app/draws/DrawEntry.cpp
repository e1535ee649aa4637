#include "app/draws/DrawEntry.h"

#include "common/TextUtils.h"
#include "lottery/DrawTexts.h"

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
    // The numbers are checked by the same rule as every draw that enters the archive; the number of
    // the draw is the dialog's own field and is not part of this text.
    TDrawRec typed;
    typed.number = 1;
    for (int i = 0; i < words.size(); ++i) {
        bool ok = false;
        const int n = TextToIntDef(words[i], 0, &ok);
        if (!ok || n < 0 || n > 255)
            return false;
        (i < kMainCount ? typed.main[static_cast<size_t>(i)] : typed.extra[static_cast<size_t>(i - kMainCount)]) =
            static_cast<uint8_t>(n);
    }
    if (!DrawRecordProblem(typed).isEmpty())
        return false;
    draw.main = typed.main;
    draw.extra = typed.extra;
    return true;
}
