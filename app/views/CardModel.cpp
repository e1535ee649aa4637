#include "app/views/CardModel.h"

#include <algorithm>

void TCardModel::build(const TDrawsArray &draws, uint64_t revision)
{
    m_rows.clear();
    m_rows.reserve(draws.size());
    for (auto it = draws.rbegin(); it != draws.rend(); ++it) {
        Row r;
        r.number = it->number;
        for (uint8_t n : it->main)
            if (IsGameNumber(n))
                r.numbers.set(n);
        r.extra = it->extra;
        m_rows.push_back(r);
    }
    m_revision = revision;
    m_built = true;
}

bool TCardModel::stale(int drawCount, uint64_t revision) const
{
    return !m_built || drawCount != this->drawCount() || revision != m_revision;
}

const TCardModel::Row *TCardModel::rowAt(int row) const
{
    if (row < 1 || row > drawCount())
        return nullptr;
    return &m_rows[static_cast<size_t>(row - 1)];
}

bool TCardModel::hasNumber(int col, int row) const
{
    const Row *r = rowAt(row);
    return r && IsGameNumber(col) && r->numbers.test(static_cast<size_t>(col));
}

QString TCardModel::cell(int col, int row) const
{
    if (row == 0) {
        if (col >= 1 && col <= kMaxNumber)
            return QString::number(col);
        if (col == kFirstExtraCol || col == kFirstExtraCol + 1)
            return QStringLiteral("E%1").arg(col - kFirstExtraCol + 1);
        return {};
    }
    const Row *r = rowAt(row);
    if (!r)
        return {};
    if (col == 0)
        return QString::number(r->number);
    if (col >= 1 && col <= kMaxNumber)
        return hasNumber(col, row) ? QString::number(col) : QString();
    if (col == kFirstExtraCol || col == kFirstExtraCol + 1)
        return QString::number(r->extra[static_cast<size_t>(col - kFirstExtraCol)]);
    return {};
}

TCardModel::Paint TCardModel::paintOf(int col, int row, bool colorCard, bool colorSequences) const
{
    if (row < 1 || col < 1 || col > kMaxNumber)
        return Paint::Default;
    if (colorSequences && hasNumber(col, row)) {
        const bool neighbourRow = hasNumber(col, row - 1) || hasNumber(col, row + 1);
        const bool neighbourCol = (col > 1 && hasNumber(col - 1, row)) || (col < kMaxNumber && hasNumber(col + 1, row));
        if (neighbourRow)
            return neighbourCol ? Paint::RepeatRun : Paint::Repeat;
        if (neighbourCol)
            return Paint::Run;
    }
    return colorCard ? Paint::Channel : Paint::Default;
}

TRgbColor TCardModel::colorOf(Paint paint, int col, int channelSize)
{
    switch (paint) {
    case Paint::RepeatRun:
        return {255, 255, 0, false}; // yellow
    case Paint::Repeat:
        return {0, 255, 0, false}; // lime
    case Paint::Run:
        return {0, 255, 255, false}; // aqua
    case Paint::Channel:
        return NumberColor(col, channelSize);
    case Paint::Default:
        break;
    }
    return {255, 255, 255, true};
}

bool CardSelectionFilterable(const QRect &cells, int drawCount)
{
    return drawCount > 0 && cells.isValid() && cells.left() >= 1 && cells.right() <= kMaxNumber && cells.top() >= 1;
}
