#include "common/TextCompare.h"

#include "common/TextUtils.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <charconv>

namespace {

const QCollator &textCollator()
{
    static const QCollator collator = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        return c;
    }();
    return collator;
}

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int compareNumbers(double a, double b)
{
    return (a > b) - (a < b);
}

// Whether the locale places a text that is no number before the digits.
bool sortsBeforeNumbers(QStringView text)
{
    return textCollator().compare(text, u"0") < 0;
}

} // namespace

bool SortTextToNumber(QStringView text, double &value)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    // Only plain ASCII can form a number; anything else is a text.
    char buf[64];
    qsizetype n = 0;
    bool commaSeen = false;
    for (; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c == u',' && !commaSeen) {
            commaSeen = true;
            c = u'.';
        }
        if (c > 0x7F || n >= qsizetype(sizeof buf))
            return false;
        buf[n++] = static_cast<char>(c);
    }
    return AsciiToFloat(buf, buf + n, value);
}

int CompareTexts(QStringView a, QStringView b)
{
    double x = 0;
    double y = 0;
    const bool aNumber = SortTextToNumber(a, x);
    const bool bNumber = SortTextToNumber(b, y);
    if (aNumber && bNumber)
        return compareNumbers(x, y);
    if (aNumber)
        return sortsBeforeNumbers(b) ? 1 : -1;
    if (bNumber)
        return sortsBeforeNumbers(a) ? -1 : 1;
    return sign(textCollator().compare(a, b));
}

TTextSortKey::TTextSortKey(QStringView text)
{
    if (SortTextToNumber(text, m_number)) {
        m_rank = Number;
        return;
    }
    m_rank = sortsBeforeNumbers(text) ? BeforeNumbers : AfterNumbers;
    // Folded first: the key of some collators keeps the case that their comparison ignores.
    m_text.emplace(textCollator().sortKey(text.toString().toCaseFolded()));
}

int TTextSortKey::compare(const TTextSortKey &other) const
{
    if (m_rank != other.m_rank)
        return m_rank < other.m_rank ? -1 : 1;
    if (m_rank == Number)
        return compareNumbers(m_number, other.m_number);
    return sign(m_text->compare(*other.m_text));
}

std::vector<int> SortedRowsByText(int count, const std::function<QString(int row)> &text, bool descending)
{
    std::vector<TTextSortKey> keys;
    keys.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int row = 0; row < count; ++row)
        keys.emplace_back(text(row));
    std::vector<int> rows(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        rows[static_cast<size_t>(i)] = i;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return descending ? c > 0 : c < 0;
    });
    return rows;
}
