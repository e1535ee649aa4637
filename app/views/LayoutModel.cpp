#include "app/views/LayoutModel.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

TMarkedNumbers LayoutMarkedNumbers(const TDrawsArray &draws, int drawsOffset)
{
    TMarkedNumbers marked;
    const int count = static_cast<int>(draws.size());
    if (drawsOffset >= 1 && drawsOffset < count)
        for (uint8_t n : draws[static_cast<size_t>(count - drawsOffset)].main)
            if (n >= 1 && n <= kMaxNumber)
                marked.set(n);
    return marked;
}

TDrawsWindow LayoutWindow(int drawCount, int drawsOffset, int length)
{
    TDrawsWindow w;
    w.last = drawCount - 1 - std::max(drawsOffset, 0);
    w.first = std::max(w.last - std::max(length, 1) + 1, 0);
    return w;
}

namespace {

// Walks the window from the newest draw back, handing each valid main number with its draw.
void ForEachNumber(const TDrawsArray &draws, TDrawsWindow window, const std::function<void(int, const TDrawRec &)> &fn)
{
    for (int i = window.last; i >= window.first; --i) {
        const TDrawRec &draw = draws[static_cast<size_t>(i)];
        for (uint8_t n : draw.main)
            if (n >= 1 && n <= kMaxNumber)
                fn(n, draw);
    }
}

template <class T> std::vector<T> DistinctDescending(std::vector<T> values)
{
    std::sort(values.begin(), values.end(), std::greater<T>());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

template <class T> int PositionOf(const std::vector<T> &values, T value)
{
    return static_cast<int>(std::find(values.begin(), values.end(), value) - values.begin());
}

} // namespace

TShemaArray CollectShema(const TDrawsArray &draws, TDrawsWindow window)
{
    TShemaArray records;
    std::array<int, kMaxNumber + 1> slot;
    slot.fill(-1);
    ForEachNumber(draws, window, [&](int n, const TDrawRec &draw) {
        int &s = slot[static_cast<size_t>(n)];
        if (s >= 0) {
            ++records[static_cast<size_t>(s)].count;
        } else {
            s = static_cast<int>(records.size());
            records.push_back({n, 1, draw.number});
        }
    });
    return records;
}

QString TLayoutScheme::cell(int col, int row) const
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= colCount())
        return {};
    return cells[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

TLayoutScheme BuildLayoutScheme(const TDrawsArray &draws, int drawsOffset, int length, const TMarkedNumbers &marked)
{
    TLayoutScheme scheme;
    scheme.records = CollectShema(draws, LayoutWindow(static_cast<int>(draws.size()), drawsOffset, length));
    std::vector<int> counts, lastDraws;
    for (const TShemaRec &r : scheme.records) {
        counts.push_back(r.count);
        lastDraws.push_back(r.lastDraw);
    }
    scheme.counts = DistinctDescending(std::move(counts));
    scheme.lastDraws = DistinctDescending(std::move(lastDraws));

    const size_t cols = std::max<size_t>(scheme.lastDraws.size() + 1, 2);
    const size_t rows = std::max<size_t>(scheme.counts.size() + 1, 2);
    scheme.cells.assign(rows, std::vector<QString>(cols));
    for (size_t c = 0; c < scheme.lastDraws.size(); ++c)
        scheme.cells[0][c + 1] = QString::number(scheme.lastDraws[c]);
    for (size_t r = 0; r < scheme.counts.size(); ++r)
        scheme.cells[r + 1][0] = QString::number(scheme.counts[r]);

    for (const TShemaRec &rec : scheme.records) {
        const int col = PositionOf(scheme.lastDraws, rec.lastDraw) + 1;
        const int row = PositionOf(scheme.counts, rec.count) + 1;
        QString text = QString::number(rec.number);
        if (marked.test(static_cast<size_t>(rec.number)))
            text = u'[' + text + u']';
        QString &cell = scheme.cells[static_cast<size_t>(row)][static_cast<size_t>(col)];
        cell = cell.isEmpty() ? text : cell + u", "_s + text;
    }
    return scheme;
}

TLayoutList BuildLayoutList(const TDrawsArray &draws, int drawsOffset, int length)
{
    TLayoutList list;
    const TDrawsWindow window = LayoutWindow(static_cast<int>(draws.size()), drawsOffset, length);
    if (window.empty())
        return list;
    list.caption = QString::number(draws[static_cast<size_t>(window.first)].number) + u" - "_s +
                   QString::number(draws[static_cast<size_t>(window.last)].number);
    const TShemaArray records = CollectShema(draws, window);
    std::vector<int> counts;
    for (const TShemaRec &r : records)
        counts.push_back(r.count);
    for (int count : DistinctDescending(std::move(counts))) {
        QStringList numbers;
        for (const TShemaRec &r : records)
            if (r.count == count)
                numbers << QString::number(r.number);
        list.rows.push_back({count, numbers.join(u", "_s)});
    }
    return list;
}

bool LayoutInBand(int index)
{
    return index >= 1 && index <= 95 && ((index - 1) / 5) % 2 == 0;
}

TRgb LayoutCellColour(const QString &text, int col, int row, int colCount, int rowCount, bool gradient)
{
    if (text.contains(u'['))
        return kLayoutMarkedColour;
    if (gradient && colCount > 0 && rowCount > 0) {
        const double down = 155.0 * row / rowCount;
        const double across = 155.0 * col / colCount;
        return {static_cast<int>(std::lround(255 - down)), static_cast<int>(std::lround(255 - across)),
                static_cast<int>(std::lround(100 + down))};
    }
    return LayoutInBand(row) != LayoutInBand(col) ? kLayoutBandColour : kLayoutPlainColour;
}
