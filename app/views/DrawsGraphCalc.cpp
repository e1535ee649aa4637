#include "app/views/DrawsGraphCalc.h"

#include "common/Exception.h"
#include "common/Translate.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <memory>

using namespace Qt::StringLiterals;

int MostFrequentValue(const TStatSimpleArray &counts)
{
    const TStatSimpleRec *best = nullptr;
    for (const TStatSimpleRec &r : counts)
        if (!best || r.Count > best->Count)
            best = &r;
    return best ? best->Key : 0;
}

TDrawsGraphResult CalcDrawsGraph(const TDrawsGraphParams &p)
{
    TDrawsGraphResult result;
    if (!p.list || !p.method)
        return result;
    const TDrawsArray *draws = p.list->Draws();
    const int drawCount = draws ? static_cast<int>(draws->size()) : 0;
    if (drawCount == 0)
        return result;

    const std::unique_ptr<TCustomStat> stat = CreateStatForMethod(*p.list, p.method, u"cbDrawsGraphType"_s);
    auto *graph = dynamic_cast<TCustomGraphStat *>(stat.get());
    if (!graph)
        throw Exception(Tr(u"Метод \"%1\" не строит графиков!").arg(p.method->MethodCode()));
    result.computed = true;

    const TSampleBounds sample = SampleBounds(drawCount, p.offset, std::max(p.length, 1));
    result.first = sample.First;
    result.last = sample.Last;
    if (sample.empty())
        return result;

    TStatSimpleArray counts;
    int64_t sum = 0;
    for (int i = sample.First; i <= sample.Last; ++i) {
        const int v = graph->GraphValue(i, sample.Last, p.sortedDraws);
        result.values.append(QPointF((*draws)[size_t(i)].number, v));
        AddSimpleStat(counts, v, 1);
        sum += v;
    }
    result.meanValue = double(sum) / double(sample.Last - sample.First + 1);
    result.mostFrequentValue = MostFrequentValue(counts);
    for (const QPointF &point : std::as_const(result.values)) {
        result.mean.append(QPointF(point.x(), result.meanValue));
        result.mostFrequent.append(QPointF(point.x(), result.mostFrequentValue));
    }
    return result;
}

bool TDrawsGraphCache::update(const TDrawsGraphKey &key)
{
    if (m_valid && m_key == key)
        return false;
    m_key = key;
    m_valid = true;
    return true;
}
