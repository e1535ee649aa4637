#include "tests/lottery/GeometryStatsFixture.h"
#include "tests/lottery/ReferenceData.h"

#include "lottery/DrawTexts.h"
#include "lottery/stats/StatClass.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <set>

using namespace Qt::StringLiterals;

void GeometryStats::SetUp()
{
    list.SetDraws(&draws);
    list.RebuildMethods();
}

void GeometryStats::configure(int channelSize, int matrixCols, const std::array<uint8_t, 45> &segments)
{
    list.Config.channelSize = channelSize;
    list.Config.matrixCols = matrixCols;
    list.Config.matrixSegments = segments;
    list.RebuildMethods();
}

void GeometryStats::configure(int channelSize, int matrixCols)
{
    configure(channelSize, matrixCols, list.Config.matrixSegments);
}

std::unique_ptr<TCustomStat> GeometryStats::stat(const QString &code)
{
    const int i = list.FindMethod(code);
    EXPECT_GE(i, 0) << code.toStdString();
    return i >= 0 ? list.CreateMethodStat(i) : nullptr;
}

TStatDrawArray GeometryStats::compute(const QString &code, bool sorted)
{
    auto s = stat(code);
    if (!s)
        return {};
    return ComputeStatValues(*s, SampleBounds(int(draws.size()), 0, int(draws.size())), sorted);
}

const TStatValueRec *GeometryStats::find(const TStatDrawArray &values, uint16_t k1, uint16_t k2, uint16_t k3,
                                         uint16_t k4)
{
    const int i = values.indexOf(PackStatKeys(k1, k2, k3, k4));
    return i >= 0 ? &values[i] : nullptr;
}

TStatDrawArray GeometryStats::selected(std::initializer_list<TStatKeys> keys)
{
    TStatDrawArray v;
    for (const TStatKeys &k : keys) {
        TStatValueRec r;
        r.Keys = k;
        v.append(r);
    }
    return v;
}

TDrawRec GeometryStats::makeDraw(int number, std::array<uint8_t, 6> main)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    return d;
}

TComb GeometryStats::makeComb(std::array<uint8_t, 6> n)
{
    TComb c;
    c.n = n;
    return c;
}

TDrawsArray GeometryStats::referenceArchive()
{
    return LoadReferenceArchive();
}

void GeometryStats::expectConsistent(const QString &code, bool sorted, int drawCount)
{
    auto s = stat(code);
    ASSERT_TRUE(s);
    const TStatClass &cls = s->StatClass();
    drawCount = std::min(drawCount, int(draws.size()));

    std::vector<TStatDrawArray> ofDraw(static_cast<size_t>(drawCount));
    std::vector<TStatKeys> pool;
    std::set<uint64_t> seen;
    for (int i = 0; i < drawCount; ++i) {
        TStatWork work;
        TLastValueArray lastValues;
        s->ValuesOfDraw(i, i, sorted, ofDraw[size_t(i)], work, lastValues);
        for (const TStatValueRec &r : ofDraw[size_t(i)])
            if (seen.insert(r.Keys.packed()).second)
                pool.push_back(r.Keys);
    }
    // (A method may have no value in these draws, as the rows of a one-column matrix never hold two
    // numbers side by side; its filter then has nothing to find.)

    std::vector<TStatDrawArray> single;
    for (const TStatKeys &k : pool)
        single.push_back(selected({k}));
    TStatDrawArray every3rd;
    for (size_t p = 0; p < pool.size(); p += 3)
        every3rd.append(single[p][0]);

    for (int i = 0; i < drawCount; ++i) {
        const TStatDrawArray &drawValues = ofDraw[size_t(i)];
        const std::string where = code.toStdString() + " draw " + std::to_string(i);
        const TComb comb = DrawToComb(s->GetDraw(i, sorted));

        TStatDrawArray combValues;
        s->ValuesOfComb(comb, combValues);
        if (cls.HasKindN()) {
            ASSERT_EQ(combValues.size(), drawValues.size()) << where;
            for (int v = 0; v < combValues.size(); ++v) {
                EXPECT_EQ(combValues[v].Keys, drawValues[v].Keys) << where;
                EXPECT_EQ(combValues[v].Count, drawValues[v].Count) << where;
            }
        } else {
            EXPECT_TRUE(combValues.empty()) << where;
        }
        if (cls.IsGraph()) {
            ASSERT_EQ(drawValues.size(), 1) << where;
            EXPECT_EQ(static_cast<TCustomGraphStat &>(*s).GraphValue(i, i, sorted), drawValues[0].Keys.word(1))
                << where;
        }

        for (size_t p = 0; p < pool.size(); ++p)
            ASSERT_EQ(s->CombMatches(comb, single[p], i, sorted, false), drawValues.indexOf(pool[p]) >= 0)
                << where << " value " << pool[p].packed();
        bool any = false;
        for (const TStatValueRec &r : every3rd)
            any = any || drawValues.indexOf(r.Keys) >= 0;
        EXPECT_EQ(s->CombMatches(comb, every3rd, i, sorted, false), any) << where;
    }
}
