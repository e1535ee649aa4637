#include "app/views/RepeatsAnalysis.h"

#include "lottery/NumberGeometry.h"

#include <algorithm>

using namespace Qt::StringLiterals;

TRepeatsResult AnalyzeRepeats(const TDrawsArray &draws, int length, int depth, const std::function<void()> &step)
{
    TRepeatsResult result;
    const int count = static_cast<int>(draws.size());
    const int oldest = std::max(0, count - std::max(length, 1));
    depth = std::max(depth, 1);
    for (int i = count - 1; i >= oldest; --i) {
        const TDrawRec &draw = draws[static_cast<size_t>(i)];
        const size_t firstRow = result.rows.size();
        for (int j = i - 1; j >= std::max(0, i - depth); --j) {
            const TDrawRec &earlier = draws[static_cast<size_t>(j)];
            const int m = DrawDrawMatches(draw, earlier);
            result.maxMatches = std::max(result.maxMatches, m);
            if (m <= 0)
                continue;
            auto row = std::find_if(result.rows.begin() + static_cast<std::ptrdiff_t>(firstRow), result.rows.end(),
                                    [m](const TRepeatsRow &r) { return r.matches == m; });
            if (row == result.rows.end()) {
                result.rows.push_back({draw.number, m, 1, QString::number(earlier.number)});
            } else {
                ++row->repeats;
                row->draws += u' ' + QString::number(earlier.number);
            }
        }
        if (step)
            step();
    }
    return result;
}

std::vector<std::vector<QPointF>> RepeatsSeries(const TRepeatsResult &result)
{
    std::vector<std::vector<QPointF>> series(static_cast<size_t>(std::max(result.maxMatches, 0)));
    for (auto row = result.rows.rbegin(); row != result.rows.rend(); ++row)
        if (row->matches >= 1 && row->matches <= result.maxMatches)
            series[static_cast<size_t>(row->matches - 1)].push_back(QPointF(row->draw, row->repeats));
    return series;
}
