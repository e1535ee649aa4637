#include "HistoryStatsFixture.h"
#include "tests/lottery/ReferenceData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <map>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

} // namespace

void HistoryStats::SetUp()
{
    list.SetDraws(&draws);
    list.RebuildMethods();
}

TDrawRec HistoryStats::draw(int number, std::array<uint8_t, 6> main) const
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    return d;
}

TComb HistoryStats::comb(std::array<uint8_t, 6> n)
{
    TComb c;
    c.n = n;
    return c;
}

TStatDrawArray HistoryStats::selected(std::initializer_list<uint16_t> keys)
{
    TStatDrawArray v;
    for (uint16_t k : keys) {
        TStatValueRec r;
        r.Keys.set(k);
        v.append(r);
    }
    return v;
}

TStatDrawArray HistoryStats::selectedPairs(std::initializer_list<std::pair<uint16_t, uint16_t>> pairs)
{
    TStatDrawArray v;
    for (auto [k1, k2] : pairs) {
        TStatValueRec r;
        r.Keys.set(k1, k2);
        v.append(r);
    }
    return v;
}

std::unique_ptr<TCustomStat> HistoryStats::stat(const QString &code)
{
    const int i = list.FindMethod(code);
    EXPECT_GE(i, 0) << code.toStdString();
    return i >= 0 ? list.CreateMethodStat(i) : nullptr;
}

TStatDrawArray HistoryStats::compute(const QString &code, bool sorted)
{
    auto s = stat(code);
    return ComputeStatValues(*s, SampleBounds(int(draws.size()), 0, int(draws.size())), sorted);
}

TStatDrawArray HistoryStats::computeTo(const QString &code, int last, int length, bool sorted)
{
    auto s = stat(code);
    return ComputeStatValues(*s, SampleBounds(int(draws.size()), int(draws.size()) - 1 - last, length), sorted);
}

TStatDrawArray HistoryStats::valuesOfDraw(TCustomStat &s, int index, int last, bool sorted)
{
    TStatDrawArray values;
    TStatWork work;
    TLastValueArray lastValues;
    s.ValuesOfDraw(index, last, sorted, values, work, lastValues);
    return values;
}

const TStatValueRec *HistoryStats::find(const TStatDrawArray &values, uint16_t k1, uint16_t k2, uint16_t k3,
                                        uint16_t k4)
{
    const int i = values.indexOf(PackStatKeys(k1, k2, k3, k4));
    return i >= 0 ? &values[i] : nullptr;
}

void HistoryStats::loadReferenceArchive()
{
    draws = LoadReferenceArchive();
    ASSERT_EQ(draws.size(), 420u);
    list.Config.channelSize = 6;
    for (int n = 1; n <= kMaxNumber; ++n)
        list.Config.matrixSegments[size_t(n - 1)] = uint8_t(2 + (7 * n) % 5);
    list.RebuildMethods();
}

void HistoryStats::checkAgainstReference(const QStringList &codes)
{
    QFile expected(LotteryDataFile(u"HistoryStatsExpected.txt"_s));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    QTextStream lines(&expected);
    // sample -> (offset, length, sorted); (sample, code) -> rows in order of first merge
    std::map<QString, std::tuple<int, int, bool>> samples;
    std::map<std::pair<QString, QString>, std::vector<QStringList>> rows;
    while (!lines.atEnd()) {
        const QStringList w = lines.readLine().split(u' ');
        if (w[0] == u"#")
            samples[w[1]] = {w[2].toInt(), w[3].toInt(), w[4] == u"1"};
        else if (codes.contains(w[1]))
            rows[{w[0], w[1]}].push_back(w);
    }
    ASSERT_EQ(samples.size(), 4u);

    for (const auto &[sample, bounds] : samples) {
        const auto [offset, length, sorted] = bounds;
        for (const QString &code : codes) {
            auto s = stat(code);
            ASSERT_TRUE(s);
            const TStatDrawArray values =
                ComputeStatValues(*s, SampleBounds(int(draws.size()), offset, length), sorted);
            const std::vector<QStringList> &want = rows[{sample, code}];
            const std::string where = QString(sample + u' ' + code).toStdString();
            ASSERT_EQ(values.size(), int(want.size())) << where;
            for (int i = 0; i < values.size(); ++i) {
                const QStringList &w = want[size_t(i)];
                const TStatValueRec &v = values[i];
                const std::string at = where + ' ' + w.mid(2, 4).join(u',').toStdString();
                EXPECT_EQ(v.Keys, TStatKeys::of(uint16_t(w[2].toInt()), uint16_t(w[3].toInt()),
                                                uint16_t(w[4].toInt()), uint16_t(w[5].toInt())))
                    << at;
                ExpectReferenceRecord(v, w, 6, at);
            }
        }
    }
}
