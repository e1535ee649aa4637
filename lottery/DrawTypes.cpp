#include "lottery/DrawTypes.h"

#include "common/Cp1251.h"

#include <algorithm>

QString TDrawRec::dateText() const
{
    return Cp1251::decode(date.data(), std::min<qsizetype>(dateLen, kDrawDateMaxLen));
}

void TDrawRec::setDateText(const QString &text)
{
    date.fill(0);
    const QByteArray bytes = Cp1251::encode(text.left(kDrawDateMaxLen));
    dateLen = static_cast<uint8_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), date.begin());
}
