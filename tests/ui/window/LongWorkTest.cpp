#include "common/BusyCursor.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/combinations/CombsPage.h"
#include "ui/stakes/StakesPage.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/combinations/CombsList.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/stakes/StakesFile.h"

#include <QComboBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Records the status texts of a long operation and whether the window's events ran meanwhile (a
// timer due at once fires only when they do).
class Watch {
public:
    Watch()
    {
        SetStatusTextHook([this](const QString &text) { texts << text; });
        QTimer::singleShot(0, [this] { eventsRan = true; });
    }
    ~Watch() { SetStatusTextHook({}); }
    // The texts that carry a share done, in order.
    QStringList progress(const QString &start) const
    {
        QStringList found;
        for (const QString &t : texts)
            if (t.startsWith(start) && t.contains(u"( завершено "))
                found << t;
        return found;
    }
    QStringList texts;
    bool eventsRan = false;
};

// Every combination of 1..n, lexicographic, as the lines of a text.
QByteArray CombsLines(int n, const char *separator)
{
    QByteArray text;
    for (int a = 1; a <= n; ++a)
        for (int b = a + 1; b <= n; ++b)
            for (int c = b + 1; c <= n; ++c)
                for (int d = c + 1; d <= n; ++d)
                    for (int e = d + 1; e <= n; ++e)
                        for (int f = e + 1; f <= n; ++f)
                            text += QByteArray::number(a) + separator + QByteArray::number(b) + separator +
                                    QByteArray::number(c) + separator + QByteArray::number(d) + separator +
                                    QByteArray::number(e) + separator + QByteArray::number(f) + "\r\n";
    return text;
}

TEST(LongWork, CombinationsFromAFileOrTheClipboardShowHowFarTheyGot)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    const QByteArray lines = CombsLines(20, ";"); // C(20,6) = 38760 lines
    folder.write(u"big.lcv"_s, lines);
    TCombsList list;
    {
        Watch watch;
        ASSERT_TRUE(list.LoadCombsFromText(folder.file(u"big.lcv"_s)));
        EXPECT_EQ(list.count(), 38760);
        const QStringList shown = watch.progress(u"Загрузка файла \""_s + folder.file(u"big.lcv"_s) + u"\""_s);
        EXPECT_GE(shown.size(), 90);
        EXPECT_TRUE(shown.contains(u"Загрузка файла \"" + folder.file(u"big.lcv"_s) + u"\" ( завершено 50 % )..."));
        EXPECT_TRUE(watch.eventsRan);
    }
    {
        Watch watch;
        ASSERT_TRUE(list.PasteCombs(QString::fromLatin1(CombsLines(19, " "))));
        EXPECT_EQ(list.count(), 27132); // C(19,6)
        const QStringList shown = watch.progress(u"Вставка комбинаций из буфера"_s);
        EXPECT_GE(shown.size(), 90);
        EXPECT_EQ(shown.last(), u"Вставка комбинаций из буфера ( завершено 100 % )...");
        EXPECT_TRUE(watch.eventsRan);
    }
    EXPECT_EQ(boxes.count(), 0);
}

TEST(LongWork, StakesForAllCombinationsShowHowFarTheyGot)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArchive archive;
    TStatList stats;
    MainOptions options;
    TCombsPage combs(archive, stats, options);
    combs.combs().PasteCombs(QString::fromLatin1(CombsLines(12, ","))); // 924 combinations
    TStakesFile stakes;
    stakes.open();
    TStakesPageLinks links;
    links.archive = &archive;
    links.combs = &combs;
    links.options = &options;
    TStakesPage page(stakes, std::move(links));
    TStakesDialogs dialogs;
    dialogs.multi = [](QWidget *, int &draw, int &draws, QString &) {
        draw = 7;
        draws = 1;
        return true;
    };
    page.setDialogs(std::move(dialogs));
    Watch watch;
    page.stakeAddAll();
    EXPECT_EQ(stakes.count(), 924);
    const QStringList shown = watch.progress(u"Создание ставок"_s);
    EXPECT_GE(shown.size(), 90);
    // Every ninth of the 924 stakes: the last report at 918 of them.
    EXPECT_EQ(shown.last(), u"Создание ставок ( завершено 99 % )...");
    EXPECT_TRUE(watch.eventsRan);
    EXPECT_EQ(boxes.count(), 0);
}

TEST(LongWork, AStatisticsTableOverManyDrawsShowsHowFarItGot)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArchive archive;
    uint32_t seed = 7;
    for (int i = 1; i <= 20000; ++i) {
        TDrawRec d;
        d.number = i;
        std::array<bool, 46> used{};
        for (size_t k = 0; k < 6; ++k) {
            uint32_t n;
            do
                n = (seed = seed * 1103515245u + 12345u, (seed >> 16) % 45 + 1);
            while (used[n]);
            used[n] = true;
            d.main[k] = uint8_t(n);
        }
        archive.draws().push_back(d);
    }
    archive.touch();
    TStatList list;
    list.SetDraws(&archive.draws());
    list.RebuildMethods();
    MainOptions options;
    TStatisticsPage page(archive, list, options);
    page.setSampleLength(20000);
    page.show();
    page.FillMethodCombos(false, false);
    Watch watch;
    page.CalcDrawsStat(true);
    ASSERT_EQ(page.rowCount(), 45);
    long long total = 0;
    for (int r = 0; r < page.rowCount(); ++r)
        total += page.rowAt(r)->rec.Count;
    EXPECT_EQ(total, 6LL * 20000); // every number of every draw counted once
    const QStringList shown = watch.progress(u"Анализ тиражей и расчет статистики"_s);
    EXPECT_GE(shown.size(), 90);
    EXPECT_EQ(shown.last(), u"Анализ тиражей и расчет статистики ( завершено 100 % )...");
    EXPECT_TRUE(watch.eventsRan);

    // A method of many values (every four of 45 numbers) spends most of its time after the draws
    // are read, making, sorting and charting its rows: the window keeps working through all of it.
    bool drawsRead = false;
    int turnsAfter = 0;
    SetStatusTextHook([&](const QString &text) { drawsRead = drawsRead || text.contains(u"завершено 100 %"); });
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, [&] { turnsAfter += drawsRead ? 1 : 0; });
    turns.start(0);
    ASSERT_TRUE(page.selectMethod(u"KNM4"_s));
    page.CalcDrawsStat(false);
    turns.stop();
    SetStatusTextHook({});
    ASSERT_TRUE(drawsRead);
    EXPECT_GT(page.rowCount(), 100000);
    EXPECT_GE(turnsAfter, 20);
    EXPECT_EQ(boxes.count(), 0);
}

} // namespace
