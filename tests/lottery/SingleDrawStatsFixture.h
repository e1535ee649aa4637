#pragma once

// Shared by the tests of the sum, difference and sequence statistics: a registry over an archive of the
// test's own, the reference archive and figures of data/sum_diff_seq_reference.py, and the check that
// the values of a draw, of a combination and the filter test agree.

#include "lottery/DrawTexts.h"
#include "tests/lottery/ReferenceData.h"
#include "lottery/stats/CustomStat.h"
#include "lottery/stats/StatList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>

#include <map>
#include <set>

namespace single_draw_stats {

inline TDrawRec makeDraw(int number, std::array<uint8_t, 6> main)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    return d;
}

inline TComb makeComb(std::array<uint8_t, 6> n)
{
    TComb c;
    c.n = n;
    return c;
}

// Selected values of a filter with the given keys.
inline TStatDrawArray selection(std::initializer_list<TStatKeys> keys)
{
    TStatDrawArray v;
    for (const TStatKeys &k : keys) {
        TStatValueRec r;
        r.Keys = k;
        v.append(r);
    }
    return v;
}

// Keys from a signed 32-bit value in key 1 (and optionally one in key 2).
inline TStatKeys dwordKeys(int32_t a, int32_t b = 0)
{
    TStatKeys k;
    k.setDWord(1, static_cast<uint32_t>(a));
    k.setDWord(2, static_cast<uint32_t>(b));
    return k;
}

class SingleDrawStats : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&draws);
        list.RebuildMethods();
    }

    std::unique_ptr<TCustomStat> stat(const QString &code)
    {
        const int i = list.FindMethod(code);
        EXPECT_GE(i, 0) << code.toStdString();
        return i >= 0 ? list.CreateMethodStat(i) : nullptr;
    }
    TCustomGraphStat &graph(std::unique_ptr<TCustomStat> &s) { return dynamic_cast<TCustomGraphStat &>(*s); }

    // The values over the whole archive.
    TStatDrawArray compute(const QString &code, bool sorted = false)
    {
        auto s = stat(code);
        return ComputeStatValues(*s, SampleBounds(int(draws.size()), 0, int(draws.size())), sorted);
    }
    // The values of draw index alone, in a sample that ends with draw last.
    TStatDrawArray drawValues(TCustomStat &s, int index, int last, bool sorted)
    {
        TStatDrawArray values;
        TStatWork work;
        TLastValueArray lastValues;
        s.ValuesOfDraw(index, last, sorted, values, work, lastValues);
        return values;
    }
    static const TStatValueRec *find(const TStatDrawArray &values, TStatKeys keys)
    {
        const int i = values.indexOf(keys);
        return i >= 0 ? &values[i] : nullptr;
    }
    static int countOf(const TStatDrawArray &values, TStatKeys keys)
    {
        const TStatValueRec *r = find(values, keys);
        return r ? r->Count : -1;
    }
    // The counts of the values with a count, by keys.
    static std::map<uint64_t, int> counted(const TStatDrawArray &values)
    {
        std::map<uint64_t, int> m;
        for (const TStatValueRec &r : values)
            if (r.Count)
                m[r.Keys.packed()] += r.Count;
        return m;
    }

    void loadReferenceArchive()
    {
        draws = LoadReferenceArchive();
        ASSERT_EQ(draws.size(), 420u);
    }

    // Every value of the given methods over the samples of the reference: count, last draw, depth,
    // previous draw and intervals, in the order of first merge.
    void expectReferenceValues(const std::set<QString> &codes)
    {
        QFile expected(LotteryDataFile(QStringLiteral("SumDiffSeqExpected.txt")));
        ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
        QTextStream lines(&expected);
        std::map<QString, std::tuple<int, int, bool>> samples;
        std::map<std::pair<QString, QString>, std::vector<QStringList>> rows;
        while (!lines.atEnd()) {
            const QStringList w = lines.readLine().split(u' ');
            if (w[0] == u"#")
                samples[w[1]] = {w[2].toInt(), w[3].toInt(), w[4] == u"1"};
            else if (codes.count(w[1]))
                rows[{w[0], w[1]}].push_back(w);
        }
        ASSERT_EQ(samples.size(), 3u);
        ASSERT_FALSE(rows.empty());
        for (const auto &[sample, bounds] : samples)
            for (const QString &code : codes) {
                // A method without any value in a sample has no rows.
                const std::pair<QString, QString> key{sample, code};
                const std::vector<QStringList> &want = rows[key];
                const auto [offset, length, sorted] = bounds;
                auto s = stat(key.second);
                ASSERT_TRUE(s);
                const TStatDrawArray values =
                    ComputeStatValues(*s, SampleBounds(int(draws.size()), offset, length), sorted);
                const std::string where = QString(key.first + u' ' + key.second).toStdString();
                ASSERT_EQ(values.size(), int(want.size())) << where;
                for (int i = 0; i < values.size(); ++i) {
                    const QStringList &w = want[size_t(i)];
                    const QStringList k = w[2].split(u':');
                    const TStatValueRec &v = values[i];
                    const std::string at = where + ' ' + w[2].toStdString();
                    EXPECT_EQ(v.Keys, TStatKeys::of(uint16_t(k[0].toUInt()), uint16_t(k[1].toUInt()),
                                                    uint16_t(k[2].toUInt()), uint16_t(k[3].toUInt())))
                        << at;
                    ExpectReferenceRecord(v, w, 3, at);
                }
            }
    }

    // The graph value of every draw of the reference archive, in drawn and in ascending order.
    void expectReferenceGraphs(const std::set<QString> &codes)
    {
        QFile file(LotteryDataFile(QStringLiteral("SumDiffSeqGraphs.txt")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QTextStream lines(&file);
        const QStringList header = lines.readLine().split(u' ');
        ASSERT_EQ(header.value(1), u"codes");
        int checked = 0;
        while (!lines.atEnd()) {
            const QStringList w = lines.readLine().split(u' ');
            const bool sorted = w[0] == u"1";
            const int index = w[1].toInt();
            for (int c = 2; c < header.size(); ++c) {
                if (!codes.count(header[c]))
                    continue;
                auto s = stat(header[c]);
                EXPECT_EQ(graph(s).GraphValue(index, int(draws.size()) - 1, sorted), w[c].toInt())
                    << header[c].toStdString() << ' ' << index << (sorted ? " sorted" : "");
                ++checked;
            }
        }
        EXPECT_EQ(checked, int(2 * draws.size() * codes.size()));
    }

    // For a statistic of the six numbers alone: for every draw of the archive, in both orders, the
    // values of the draw and of the same numbers as a combination are the same (unless the statistic
    // gives a combination no values), and the filter matches the combination by each of its values
    // and by none of the values the other draws have.
    void expectDrawCombAndFilterAgree(const QString &code, bool combHasValues = true)
    {
        auto s = stat(code);
        ASSERT_TRUE(s);
        for (bool sorted : {false, true}) {
            const TStatDrawArray all = compute(code, sorted);
            for (int i = 0; i < int(draws.size()); ++i) {
                const TStatDrawArray ofDraw = drawValues(*s, i, i, sorted);
                ASSERT_FALSE(ofDraw.empty()) << code.toStdString() << ' ' << i;
                const TComb comb = DrawToComb(s->GetDraw(i, sorted));
                TStatDrawArray ofComb;
                s->ValuesOfComb(comb, ofComb);
                if (combHasValues)
                    EXPECT_EQ(counted(ofComb), counted(ofDraw)) << code.toStdString() << ' ' << i;
                else
                    EXPECT_TRUE(ofComb.empty()) << code.toStdString();
                for (const TStatValueRec &r : ofDraw)
                    EXPECT_TRUE(s->CombMatches(comb, selection({r.Keys}), i, sorted, false))
                        << code.toStdString() << ' ' << i;
                TStatDrawArray others;
                for (const TStatValueRec &r : all)
                    if (ofDraw.indexOf(r.Keys) < 0)
                        others.append(r);
                EXPECT_FALSE(s->CombMatches(comb, others, i, sorted, false)) << code.toStdString() << ' ' << i;
            }
        }
    }

    TDrawsArray draws;
    TStatList list;
};

} // namespace single_draw_stats
