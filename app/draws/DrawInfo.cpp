#include "app/draws/DrawInfo.h"

#include "common/Translate.h"
#include "lottery/NumberGeometry.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <algorithm>

using namespace Qt::StringLiterals;

TInfoSubject DrawInfoSubject(const TDrawsArray &draws, int index, bool sorted)
{
    TInfoSubject s;
    if (index < 0 || index >= int(draws.size()))
        return s;
    const TDrawRec &d = draws[size_t(index)];
    s.drawNumber = d.number;
    s.dateText = d.dateText();
    std::copy(d.main.begin(), d.main.end(), s.numbers.n.begin());
    if (sorted)
        std::sort(s.numbers.n.begin(), s.numbers.n.end());
    s.sorted = sorted;
    s.index = index;
    s.last = index;
    return s;
}

TInfoSubject CombInfoSubject(const TComb &comb, int drawCount, int drawsOffset, bool sorted)
{
    TInfoSubject s;
    s.numbers = comb;
    s.sorted = sorted;
    s.last = std::max(-1, drawCount - 1 - std::max(0, drawsOffset));
    s.index = s.last + 1;
    return s;
}

std::vector<TInfoRow> InfoRows(const TStatList &list, const TInfoSubject &subject)
{
    std::vector<TInfoRow> rows;
    if (subject.drawNumber >= 0)
        rows.push_back({Tr(u"Номер тиража:"), QString::number(subject.drawNumber)});
    if (!subject.dateText.isEmpty())
        rows.push_back({Tr(u"Дата тиража:"), subject.dateText});
    for (int i = 0; i < list.MethodCount(); ++i) {
        if (!list.MethodIsGraph(i) || !list.MethodSelectable(i))
            continue;
        std::unique_ptr<TCustomStat> stat = list.CreateMethodStat(i);
        auto *graph = dynamic_cast<TCustomGraphStat *>(stat.get());
        if (!graph) // a family not built in this program
            continue;
        const int value = graph->NumericValue(subject.numbers, subject.index, subject.sorted, subject.last);
        rows.push_back({list.GetMethod(i).MethodFullTitle(), QString::number(value)});
    }
    return rows;
}

TInfoCard InfoCard(const TComb &numbers, int cols)
{
    TInfoCard card;
    card.cols = std::clamp(cols, 1, kMaxNumber);
    card.rows = (kMaxNumber + card.cols - 1) / card.cols;
    card.cells.assign(size_t(card.rows * card.cols), 0);
    for (uint8_t n : numbers.n) {
        if (!IsGameNumber(n))
            continue;
        const TMatrixCell cell = MatrixCellOf(1, n, card.cols);
        card.cells[size_t(cell.row * card.cols + cell.col)] = n;
    }
    return card;
}
