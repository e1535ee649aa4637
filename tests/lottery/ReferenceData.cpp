#include "tests/lottery/ReferenceData.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

QString LotteryDataFile(const QString &name)
{
    return TestsSourceFile(u"lottery/data/"_s + name);
}

TDrawsArray LoadReferenceArchive()
{
    TDrawsArray draws;
    QFile archive(LotteryDataFile(u"NumberStatsArchive.txt"_s));
    if (!archive.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << archive.fileName().toStdString();
        return draws;
    }
    QTextStream in(&archive);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(u';');
        if (f.size() != 9) {
            ADD_FAILURE() << "bad archive line: " << f.join(u';').toStdString();
            continue;
        }
        TDrawRec d;
        d.number = f[0].toInt();
        for (int i = 0; i < 6; ++i)
            d.main[size_t(i)] = uint8_t(f[i + 1].toInt());
        d.extra = {uint8_t(f[7].toInt()), uint8_t(f[8].toInt())};
        draws.push_back(d);
    }
    return draws;
}

void ExpectReferenceRecord(const TStatValueRec &v, const QStringList &row, int first, const std::string &where)
{
    EXPECT_EQ(v.Count, row.value(first).toInt()) << where;
    EXPECT_EQ(v.LastDraw, row.value(first + 1).toInt()) << where;
    EXPECT_EQ(v.Depth, row.value(first + 2).toInt()) << where;
    EXPECT_EQ(v.PrevDraw, row.value(first + 3).toInt()) << where;
    EXPECT_EQ(v.MinInterval, row.value(first + 4).toInt()) << where;
    EXPECT_EQ(v.MaxInterval, row.value(first + 5).toInt()) << where;
}
