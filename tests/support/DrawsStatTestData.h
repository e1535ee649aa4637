#pragma once

#include "lottery/DrawTypes.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

#include <map>

// The archives of the statistics table tests. The expected figures come from
// tests/support/data/draws_stat_reference.py, which computes the table from the column rules with exact
// fractions.

inline TDrawRec makeStatDraw(int number, std::array<uint8_t, 6> main)
{
    TDrawRec d;
    d.number = number;
    d.main = main;
    return d;
}

// Ten draws 101..110, numbers in drawn order.
inline TDrawsArray handMadeDraws()
{
    return {
        makeStatDraw(101, {3, 14, 25, 36, 41, 7}),  makeStatDraw(102, {5, 14, 22, 30, 41, 9}),
        makeStatDraw(103, {1, 2, 3, 4, 5, 6}),      makeStatDraw(104, {14, 20, 33, 41, 44, 45}),
        makeStatDraw(105, {7, 8, 9, 10, 11, 12}),   makeStatDraw(106, {3, 14, 19, 28, 37, 40}),
        makeStatDraw(107, {2, 13, 24, 35, 41, 45}), makeStatDraw(108, {6, 14, 21, 29, 38, 43}),
        makeStatDraw(109, {14, 41, 3, 8, 22, 30}),  makeStatDraw(110, {1, 19, 27, 33, 40, 45}),
    };
}

inline QString statDataFile(const QString &name)
{
    return TestsSourceFile(QStringLiteral("support/data/") + name);
}

// A real-looking archive of 2,000 draws numbered 3001..5000; empty when the file cannot be read.
inline TDrawsArray referenceArchive()
{
    TDrawsArray draws;
    QFile file(statDataFile(QStringLiteral("DrawsStatArchive.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return draws;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(u';');
        if (f.size() != 9)
            return {};
        TDrawRec d;
        d.number = f[0].toInt();
        for (int k = 0; k < 6; ++k)
            d.main[size_t(k)] = uint8_t(f[k + 1].toInt());
        d.extra = {uint8_t(f[7].toInt()), uint8_t(f[8].toInt())};
        draws.push_back(d);
    }
    return draws;
}

// The expected rows of each case ("NUMS/1000/0": method, length, offset), the twenty texts joined by ";".
inline std::map<QString, QStringList> referenceRows()
{
    std::map<QString, QStringList> expected;
    QFile file(statDataFile(QStringLiteral("DrawsStatExpected.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return expected;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype cut = line.indexOf(u';');
        expected[line.left(cut)].append(line.mid(cut + 1));
    }
    return expected;
}
