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
    if (aNumber != bNumber)
        return aNumber ? -1 : 1;
    return sign(textCollator().compare(a, b));
}

std::vector<int> SortedRowsByText(int count, const std::function<QString(int row)> &text, bool descending)
{
    struct Key {
        bool isNumber;
        double number;
        QString text;
    };
    std::vector<Key> keys;
    keys.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int row = 0; row < count; ++row) {
        const QString t = text(row);
        Key k{false, 0, {}};
        k.isNumber = SortTextToNumber(t, k.number);
        if (!k.isNumber)
            k.text = t;
        keys.push_back(std::move(k));
    }
    auto compare = [&](int a, int b) {
        const Key &x = keys[static_cast<size_t>(a)];
        const Key &y = keys[static_cast<size_t>(b)];
        if (x.isNumber && y.isNumber)
            return compareNumbers(x.number, y.number);
        if (x.isNumber != y.isNumber)
            return x.isNumber ? -1 : 1;
        return sign(textCollator().compare(x.text, y.text));
    };
    std::vector<int> rows(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        rows[static_cast<size_t>(i)] = i;
    std::stable_sort(rows.begin(), rows.end(),
                     [&](int a, int b) { return descending ? compare(b, a) < 0 : compare(a, b) < 0; });
    return rows;
}
