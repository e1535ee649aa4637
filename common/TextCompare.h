#pragma once

#include <QCollatorSortKey>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

// The order of the list columns: texts that hold numbers compare as numbers, the rest as texts.
//
// A text is a number when, after its first "," is replaced by ".", the whole of it (leading blanks
// allowed) reads as a float with "." as the decimal point. Numbers compare by value; the other texts
// compare without regard to case in the user's locale. A number against a text goes as the locale
// would place the two texts, settled once per text so that the order stays consistent: a text that
// the locale sorts before the digits (the "-" of a value not seen, an empty text) comes below every
// number, any other text above every number.
// This is a strict weak ordering, so it can drive std::sort and std::stable_sort on any mix.

// The number the text holds as a sort key; false when it holds none.
bool SortTextToNumber(QStringView text, double &value);

// -1, 0 or 1 as a sorts before, together with or after b.
int CompareTexts(QStringView a, QStringView b);

// A text's place in that order, worked out once, for sorting many rows: comparing two keys gives
// what CompareTexts gives for their texts, without asking the locale again.
class TTextSortKey {
public:
    explicit TTextSortKey(QStringView text);
    int compare(const TTextSortKey &other) const;

private:
    enum Rank { BeforeNumbers, Number, AfterNumbers };
    Rank m_rank;
    double m_number = 0;
    std::optional<QCollatorSortKey> m_text;
};

// The rows 0..count-1 in the order of their texts, equal texts keeping their order (descending
// reverses the order of the texts, not that of the equal ones). The sort keys are computed once
// per row, so large owner-data lists sort without asking the text twice.
std::vector<int> SortedRowsByText(int count, const std::function<QString(int row)> &text, bool descending);
