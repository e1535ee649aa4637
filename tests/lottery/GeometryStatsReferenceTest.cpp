#include "tests/lottery/GeometryStatsFixture.h"
#include "tests/lottery/ReferenceData.h"

#include "lottery/stats/StatClass.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace {

// One sample of the reference file: its bounds, the settings it is computed under and the expected rows
// of each method in the order the methods are met.
struct ReferenceSample {
    QString name;
    int offset = 0;
    int length = 0;
    bool sorted = false;
    int channelSize = 0;
    int matrixCols = 0;
    std::array<uint8_t, 45> segments{};
    int subLength = 0;
    std::vector<QString> codes;
    std::map<QString, std::vector<QStringList>> rows;
};

std::vector<ReferenceSample> readReference()
{
    std::vector<ReferenceSample> samples;
    QFile file(LotteryDataFile(u"GeometryStatsExpected.txt"_s));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList w = in.readLine().split(u' ');
        if (w[0] == u"#") {
            ReferenceSample s;
            s.name = w[1];
            s.offset = w[2].toInt();
            s.length = w[3].toInt();
            s.sorted = w[4] == u"1";
            s.channelSize = w[5].toInt();
            s.matrixCols = w[6].toInt();
            const QStringList seg = w[7].split(u',');
            for (int n = 0; n < 45; ++n)
                s.segments[size_t(n)] = uint8_t(seg[n].toInt());
            s.subLength = w[8].toInt();
            samples.push_back(s);
            continue;
        }
        ReferenceSample &s = samples.back();
        if (w[0] == u"@") {
            for (int i = 2; i < w.size(); ++i) {
                s.codes.push_back(w[i]);
                s.rows[w[i]];
            }
            continue;
        }
        s.rows[w[1]].push_back(w);
    }
    return samples;
}

bool isSubCombination(const QString &code)
{
    return code.startsWith(u'K');
}

} // namespace

// Every value of every method, under five settings (channel sizes 3 to 45, 1 to 33 matrix columns, segment
// tables in scrambled order or with a segment 0), against an independent computation.
TEST_F(GeometryStats, AgreeWithTheReferenceComputation)
{
    draws = referenceArchive();
    ASSERT_EQ(draws.size(), 420u);
    const std::vector<ReferenceSample> samples = readReference();
    ASSERT_EQ(samples.size(), 5u);

    for (const ReferenceSample &sample : samples) {
        configure(sample.channelSize, sample.matrixCols, sample.segments);

        // The registry lists exactly the channel, matrix and segment methods the settings give.
        std::set<QString> listed, expected;
        for (int i = 0; i < list.MethodCount(); ++i) {
            const int group = list.GetMethod(i).StatClass->Group;
            if (group == sgGrp || group == sgMtx || group == sgSgm)
                listed.insert(list.GetMethod(i).MethodCode());
        }
        for (const QString &code : sample.codes)
            if (!code.startsWith(u"KN"))
                expected.insert(code);
        EXPECT_EQ(QStringList(listed.begin(), listed.end()).join(u' ').toStdString(),
                  QStringList(expected.begin(), expected.end()).join(u' ').toStdString())
            << sample.name.toStdString();

        for (const QString &code : sample.codes) {
            const std::string where = QString(sample.name + u' ' + code).toStdString();
            auto s = stat(code);
            ASSERT_TRUE(s) << where;
            const TSampleBounds whole = SampleBounds(int(draws.size()), sample.offset, sample.length);
            TSampleBounds bounds = whole;
            if (isSubCombination(code))
                bounds.First = std::max(whole.Last - sample.subLength + 1, whole.First);
            const TStatDrawArray values = ComputeStatValues(*s, bounds, sample.sorted);
            const auto &want = sample.rows.at(code);
            ASSERT_EQ(values.size(), int(want.size())) << where;
            for (int i = 0; i < values.size(); ++i) {
                const QStringList &w = want[size_t(i)];
                const TStatValueRec &v = values[i];
                const std::string row = where + " row " + std::to_string(i);
                ASSERT_EQ(v.Keys, TStatKeys::of(uint16_t(w[2].toUInt()), uint16_t(w[3].toUInt()),
                                                uint16_t(w[4].toUInt()), uint16_t(w[5].toUInt())))
                    << row;
                ExpectReferenceRecord(v, w, 6, row);
            }
        }
    }
}

// The values of a draw, of the same numbers as a combination, and the filter's answers agree for every
// method of the four families, under the default settings and under unusual ones.
TEST_F(GeometryStats, DrawCombinationAndFilterAgree)
{
    draws = referenceArchive();
    const std::vector<ReferenceSample> samples = readReference();
    for (const ReferenceSample &sample : samples) {
        configure(sample.channelSize, sample.matrixCols, sample.segments);
        for (int i = 0; i < list.MethodCount(); ++i) {
            const TStatMethod &m = list.GetMethod(i);
            const int group = m.StatClass->Group;
            const QString code = m.MethodCode();
            if (group == sgGrp || group == sgMtx || group == sgSgm || code.startsWith(u"KN")) {
                SCOPED_TRACE(sample.name.toStdString());
                expectConsistent(code, sample.sorted, 40);
            }
        }
    }
}
