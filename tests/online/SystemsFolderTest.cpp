#include "common/Exception.h"
#include "online/SystemsFolder.h"
#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const std::vector<uint8_t> kNumbers{5, 9, 14, 20, 33, 41};

tSystemInfo makeSystem(int id, int nums, int olap, TDateTime created = 0)
{
    tSystemInfo system;
    system.id = id;
    system.nums = static_cast<uint8_t>(nums);
    system.olap = static_cast<uint8_t>(olap);
    system.created = created;
    return system;
}

void writeFile(const QString &path, const QByteArray &bytes, int64_t mtime = -1)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (mtime >= 0) {
        struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
}

TSystemComb comb(std::initializer_list<int> numbers)
{
    TSystemComb c{};
    size_t i = 0;
    for (int n : numbers)
        c[i++] = static_cast<uint8_t>(n);
    return c;
}

} // namespace

TEST(SystemsFolder, NamesMaskAndFolder)
{
    TempDataFolder folder;
    const tSystemInfo system = makeSystem(12, 9, 3);
    EXPECT_EQ(SystemFileName(system), u"6-09-3_0012.dat");
    EXPECT_EQ(SystemFileName(makeSystem(12345, 45, 0)), u"6-45-0_12345.dat");
    EXPECT_EQ(SystemFileNameMask(9), u"6-09-*_*.dat");
    EXPECT_EQ(QDir::cleanPath(SystemsFolder()), QDir::cleanPath(folder.path() + u"/Systems"_s));
    EXPECT_EQ(SystemFilePath(system), SystemsFolder() + u"/6-09-3_0012.dat");
    EXPECT_EQ(SystemFileMask(10), SystemsFolder() + u"/6-10-*_*.dat");
}

TEST(SystemsFolder, LinesFollowLineListRules)
{
    EXPECT_EQ(SplitSystemLines(u"a\r\nb\r\n"_s), (QStringList{u"a"_s, u"b"_s}));
    EXPECT_EQ(SplitSystemLines(u"a\nb"_s), (QStringList{u"a"_s, u"b"_s}));
    EXPECT_EQ(SplitSystemLines(u"a\rb\r"_s), (QStringList{u"a"_s, u"b"_s}));
    EXPECT_EQ(SplitSystemLines(u"a\r\n\r\nb"_s).size(), 3);
    EXPECT_TRUE(SplitSystemLines(QString()).isEmpty());
}

TEST(SystemsFolder, EverySystemLineIsCheckedBeforeItIsPlayed)
{
    std::array<uint8_t, kSystemCombLength> p{};
    EXPECT_TRUE(ParseSystemLine(u" 01 , 02*03+04/05_06 ", 6, p));
    EXPECT_EQ(p, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(ParseSystemLine(u"9~8|7=6\\5:4", 9, p));
    EXPECT_EQ(p, (std::array<uint8_t, 6>{9, 8, 7, 6, 5, 4}));
    EXPECT_FALSE(ParseSystemLine(u"1 2 3 4 5 10", 9, p));   // position beyond N
    EXPECT_FALSE(ParseSystemLine(u"1 1 2 3 4 5", 9, p));    // the same number twice
    EXPECT_FALSE(ParseSystemLine(u"0 1 2 3 4 5", 9, p));    // positions count from 1
    EXPECT_FALSE(ParseSystemLine(u"1 2 3 4 5", 9, p));
    EXPECT_FALSE(ParseSystemLine(u"1 2 3 4 5 6 7", 9, p));
    EXPECT_FALSE(ParseSystemLine(u"1 2 3 4 5 x", 9, p));
    EXPECT_FALSE(ParseSystemLine(u"1 2 3 4 5 99999999999", 9, p));
}

TEST(SystemsFolder, ExpansionOverThePlayersNumbers)
{
    const TSystemExpansion e = ExpandSystemLines(
        {u"1 2 3 4 5 6"_s, u"6;5;4;3;2;1"_s, u""_s, u"1 2 3 4 5 10"_s, u"1 1 2 3 4 5"_s, u"  "_s}, kNumbers);
    ASSERT_EQ(e.combs.size(), 2u);
    EXPECT_EQ(e.combs[0], comb({5, 9, 14, 20, 33, 41}));
    EXPECT_EQ(e.combs[1], comb({41, 33, 20, 14, 9, 5}));
    EXPECT_EQ(e.badLines, 2);
}

TEST(SystemsFolder, FindSystemForNumbersReadsTheDownloadedFile)
{
    TempDataFolder folder;
    TSystemExpansion none = FindSystemForNumbers(kNumbers);
    EXPECT_FALSE(none.ok());
    EXPECT_EQ(none.error, u"Система для 6 чисел не найдена или не загружена на компьютер!");
    EXPECT_EQ(SystemNotFoundBoxText(6),
              u"Система для 6 чисел не найдена или не загружена на компьютер!\r\rПеред системной игрой необходимо "
              u"предварительно загрузить системы на Ваш компьютер через меню \"Системы\" - \"Загрузить\".");

    const QString path = SystemsFolder() + u"/6-06-0_0007.dat";
    writeFile(path, "1 2 3 4 5 6\r\n6;5;4;3;2;1\r\n1 2 3 4 5 7\r\n");
    const TSystemExpansion found = FindSystemForNumbers(kNumbers);
    ASSERT_TRUE(found.ok()) << found.error.toStdString();
    EXPECT_EQ(found.path, path);
    EXPECT_EQ(found.combs, (TSystemCombs{comb({5, 9, 14, 20, 33, 41}), comb({41, 33, 20, 14, 9, 5})}));
    EXPECT_EQ(found.badLines, 1);
    EXPECT_TRUE(found.error.isEmpty());

    // Numbers that are not a player's set never reach the file.
    EXPECT_FALSE(FindSystemForNumbers({5, 9, 14, 20, 33, 33}).ok());
    EXPECT_FALSE(FindSystemForNumbers({5, 9, 14, 20, 33, 46}).ok());
    EXPECT_FALSE(FindSystemForNumbers({0, 9, 14, 20, 33, 41}).ok());
}

TEST(SystemsFolder, AFileWithoutAValidLineFailsWithItsName)
{
    TempDataFolder folder;
    const QString path = SystemsFolder() + u"/6-06-0_0007.dat";
    writeFile(path, "1 2 3 4 5 9\r\n1 1 1 1 1 1\r\n");
    const TSystemExpansion e = FindSystemForNumbers(kNumbers);
    EXPECT_FALSE(e.ok());
    EXPECT_EQ(e.path, path);
    EXPECT_EQ(e.badLines, 2);
    EXPECT_TRUE(e.error.contains(path)) << e.error.toStdString();
}

TEST(SystemsFolder, TheChoiceAmongFilesIsNewestThenByName)
{
    TempDataFolder folder;
    const QString dir = SystemsFolder();
    writeFile(dir + u"/6-06-0_0003.dat", "1 2 3 4 5 6\r\n", 1'000'000);
    writeFile(dir + u"/6-06-0_0002.dat", "6 5 4 3 2 1\r\n", 2'000'000);
    writeFile(dir + u"/6-06-0_0001.dat", "2 1 3 4 5 6\r\n", 2'000'000);
    writeFile(dir + u"/6-07-0_0009.dat", "1 2 3 4 5 7\r\n", 3'000'000); // another N
    writeFile(dir + u"/x6-06-0_0009.dat", "1 2 3 4 5 6\r\n", 3'000'000); // not under the mask
    EXPECT_EQ(SystemFilesFor(6, dir), (QStringList{dir + u"/6-06-0_0001.dat", dir + u"/6-06-0_0002.dat",
                                                   dir + u"/6-06-0_0003.dat"}));
    EXPECT_EQ(FindSystemForNumbers(kNumbers).combs.front(), comb({9, 5, 14, 20, 33, 41}));
}

TEST(SystemsFolder, WrittenFileCarriesTheCreationTimeInUtcWholeSeconds)
{
    TempDataFolder folder;
    const TDateTime created = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9);
    const tSystemInfo system = makeSystem(12, 9, 3, created);
    WriteSystemFile(system, {u"1 2 3 4 5 6"_s, u"4 5 6 7 8 9"_s});
    EXPECT_EQ(folder.read(u"Systems/6-09-3_0012.dat"_s), "1 2 3 4 5 6\r\n4 5 6 7 8 9\r\n");
    EXPECT_EQ(SystemFileTime(SystemFilePath(system)), 1709647629); // 2024-03-05 14:07:09 UTC
    EXPECT_EQ(UtcToUnixSeconds(created), 1709647629);
    EXPECT_FALSE(SystemFileChanged(system));

    // The comparison does not depend on the time zone.
    const char *oldZone = std::getenv("TZ");
    const std::string saved = oldZone ? oldZone : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    EXPECT_FALSE(SystemFileChanged(system));
    oldZone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();

    tSystemInfo changed = system;
    changed.created += 1.0 / 86400; // one second later in the catalogue
    EXPECT_TRUE(SystemFileChanged(changed));
    changed.created = 0;
    EXPECT_FALSE(SystemFileChanged(changed));
    EXPECT_FALSE(SystemFileChanged(makeSystem(13, 9, 3, created))); // no file: nothing to compare

    // Nothing but the file is left in the folder.
    EXPECT_EQ(QDir(SystemsFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{u"6-09-3_0012.dat"_s});
}

TEST(SystemsFolder, AFileIsDatedBeforeItTakesItsName)
{
    // Watched from outside: no change of times may reach the file once it has its name, so that a run
    // killed between the two never leaves a file dated now.
    TempDataFolder folder;
    ASSERT_TRUE(QDir().mkpath(SystemsFolder()));
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(SystemsFolder()).constData(), IN_ATTRIB | IN_MOVED_TO), 0);
    const tSystemInfo system = makeSystem(12, 9, 3, EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9));
    WriteSystemFile(system, {u"1 2 3 4 5 6"_s});
    std::vector<std::pair<uint32_t, QString>> events;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;)
        for (char *p = buffer; p < buffer + got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(p);
            events.emplace_back(event->mask, QString::fromLocal8Bit(event->name));
            p += sizeof(inotify_event) + event->len;
        }
    ::close(watch);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), std::make_pair(uint32_t(IN_MOVED_TO), u"6-09-3_0012.dat"_s));
    EXPECT_EQ(SystemFileTime(SystemFilePath(system)), 1709647629);
}

TEST(SystemsFolder, OtherFilesForTheSameNumbersAreDeleted)
{
    TempDataFolder folder;
    const QString dir = SystemsFolder();
    const tSystemInfo system = makeSystem(12, 9, 3);
    writeFile(SystemFilePath(system), "1 2 3 4 5 6\r\n");
    writeFile(dir + u"/6-09-2_0011.dat", "x\r\n");
    writeFile(dir + u"/6-09-4_0099.dat", "x\r\n");
    writeFile(dir + u"/6-10-3_0012.dat", "x\r\n");
    EXPECT_TRUE(DeleteOtherSystemFiles(system).isEmpty());
    QStringList left = QDir(dir).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{u"6-09-3_0012.dat"_s, u"6-10-3_0012.dat"_s}));
    EXPECT_TRUE(DeleteSystemFile(system));
    EXPECT_FALSE(SystemFileExists(system));
    EXPECT_TRUE(DeleteSystemFile(system)); // absent counts as deleted
}

TEST(SystemsFolder, ALinkedFolderIsNamedAndNeverWrittenNorDeletedThrough)
{
    TempDataFolder folder;
    QTemporaryDir elsewhere;
    writeFile(elsewhere.filePath(u"6-09-2_0011.dat"_s), "kept\r\n");
    ASSERT_TRUE(QFile::link(elsewhere.path(), SystemsFolder()));
    try {
        WriteSystemFile(makeSystem(12, 9, 3), {u"1 2 3 4 5 6"_s});
        ADD_FAILURE() << "written through the link";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().startsWith(u"Ошибка создания каталога \""_s + SystemsFolder() + u"\"!\r\rКаталог \""_s +
                                           SystemsFolder() + u"\" является символьной ссылкой на"_s));
    }
    EXPECT_EQ(DeleteOtherSystemFiles(makeSystem(12, 9, 3)).size(), 1);
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"6-09-2_0011.dat"_s});
}
