#include "lottery/stats/SubCombStats.h"

#include <QStringList>

TSubCombTuples::TSubCombTuples(TSubCombPattern pattern, int size, int position)
    : m_pattern(pattern), m_size(std::clamp(size, 2, 4))
{
    auto addWindow = [this](int first) {
        for (int i = 0; i < m_size; ++i)
            m_positions[size_t(m_count)][size_t(i)] = static_cast<uint8_t>(first + i);
        ++m_count;
    };
    switch (pattern) {
    case TSubCombPattern::Mix: {
        // Every choice of m_size positions out of six, in lexicographic order.
        std::array<int, 4> pos{};
        for (int i = 0; i < m_size; ++i)
            pos[size_t(i)] = i;
        while (true) {
            for (int i = 0; i < m_size; ++i)
                m_positions[size_t(m_count)][size_t(i)] = static_cast<uint8_t>(pos[size_t(i)]);
            ++m_count;
            int i = m_size - 1;
            while (i >= 0 && pos[size_t(i)] == kMainCount - m_size + i)
                --i;
            if (i < 0)
                break;
            ++pos[size_t(i)];
            for (int j = i + 1; j < m_size; ++j)
                pos[size_t(j)] = pos[size_t(j - 1)] + 1;
        }
        break;
    }
    case TSubCombPattern::Seq:
    case TSubCombPattern::Sort:
        for (int first = 0; first + m_size <= kMainCount; ++first)
            addWindow(first);
        break;
    case TSubCombPattern::Pos:
        addWindow(position >= 1 && position - 1 + m_size <= kMainCount ? position - 1 : 0);
        break;
    }
}

QString TSubCombTuples::Text(const TStatValueRec &value) const
{
    QStringList members;
    for (int i = 1; i <= m_size; ++i)
        members << QString::number(value.Keys.word(i));
    return members.join(u':');
}
