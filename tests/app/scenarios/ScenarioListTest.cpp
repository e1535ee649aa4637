#include "app/scenarios/ScenarioList.h"
#include "lottery/ScenarioKeywords.h"
#include "lottery/ScenarioLine.h"
#include "common/Exception.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/OtherKindFiles.h"
#include "tests/support/TempDataFolder.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// "Тест" in Windows-1251.
const QByteArray kTestCp1251 = QByteArray("\xD2\xE5\xF1\xF2");
const QString kLineA = u"EXCL:3#RAND#NEX|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |Тест"_s;
const QString kLineB = u"FULL:0#ALL| | | | | | | |"_s;

QByteArray fileBytes(std::initializer_list<QByteArray> lines)
{
    QByteArray bytes;
    for (const QByteArray &l : lines)
        bytes += l + "\r\n";
    return bytes;
}

const QByteArray kLineABytes = "EXCL:3#RAND#NEX|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |" + kTestCp1251;

struct ScenarioFiles : ::testing::Test {
    TempDataFolder folder;
    ScriptedMessages boxes;
    TScenarioList list;

    QByteArray listFile() const { return folder.read(u"Vendra.lss"_s); }
};

} // namespace

TEST_F(ScenarioFiles, WrittenAsWindows1251WithCrLfAndReadBackByteForByte)
{
    const QByteArray expected = fileBytes({kLineABytes, "", "FULL:0#ALL| | | | | | | |"});
    TScenarioList::WriteScenarioFile(folder.file(u"a.lsc"_s), {kLineA, QString(), kLineB});
    EXPECT_EQ(folder.read(u"a.lsc"_s), expected);

    // A file from another player, loaded and saved as the list, keeps every byte.
    folder.write(u"b.lsc"_s, expected);
    ASSERT_TRUE(list.LoadScenarioFile(folder.file(u"b.lsc"_s), false));
    EXPECT_EQ(list.lines(), QStringList({kLineA, QString(), kLineB}));
    ASSERT_TRUE(list.SaveScenarioList());
    EXPECT_EQ(listFile(), expected);
    ASSERT_TRUE(list.SaveScenarioFile(folder.file(u"c.lsc"_s)));
    EXPECT_EQ(folder.read(u"c.lsc"_s), expected);
    EXPECT_EQ(boxes.count(), 0);

    // An empty scenario is an empty file.
    list.Clear();
    EXPECT_EQ(listFile(), QByteArray());
}

TEST_F(ScenarioFiles, LineEndsByteOrderMarkAndUtf8AreRead)
{
    EXPECT_EQ(SplitScenarioText(u"a\r\nb\nc\rd"_s), QStringList({u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
    EXPECT_EQ(SplitScenarioText(u"a\r\n\r\n"_s), QStringList({u"a"_s, QString()}));
    EXPECT_EQ(SplitScenarioText(QString()), QStringList());

    folder.write(u"u.lsc"_s, "\xEF\xBB\xBF" + kLineA.toUtf8() + "\n\nFULL:0#ALL| | | | | | | |");
    EXPECT_EQ(TScenarioList::ReadScenarioFile(folder.file(u"u.lsc"_s)), QStringList({kLineA, QString(), kLineB}));
}

TEST_F(ScenarioFiles, DamagedFileIsRefusedWholeAndTheListStays)
{
    list.AddLines({kLineA, kLineB});
    const QByteArray saved = listFile();
    boxes.clear();

    // Another kind of text: the second line names no source of combinations.
    folder.write(u"text.lsc"_s, fileBytes({"FULL:0#RAND| | | | | | | |", "Hello, world", kLineABytes}));
    EXPECT_FALSE(list.LoadScenarioFile(folder.file(u"text.lsc"_s), false));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Ошибка");
    EXPECT_EQ(boxes.last().text, u"Ошибка чтения файла \"" + folder.file(u"text.lsc"_s) +
                                     u"\"!\r\rСтрока 2 не является строкой сценария:\rHello, world");

    // Binary data, even when it begins like a scenario line.
    folder.write(u"bin.lsc"_s, QByteArray("FULL:0#RAND|\x00\x01\x02\xFF", 16));
    EXPECT_FALSE(list.LoadScenarioFile(folder.file(u"bin.lsc"_s), true));

    // Far too large for a scenario.
    {
        QFile big(folder.file(u"big.lsc"_s));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(17 * 1024 * 1024));
    }
    EXPECT_FALSE(list.LoadScenarioFile(folder.file(u"big.lsc"_s), false));

    EXPECT_EQ(boxes.count(), 3);
    EXPECT_EQ(list.lines(), QStringList({kLineA, kLineB}));
    EXPECT_EQ(listFile(), saved);

    // Lower-case keywords are the same keywords.
    EXPECT_TRUE(IsScenarioLineText(u"  excl:12#sysa#clr#nex|x"_s));
}

TEST_F(ScenarioFiles, LinesWithAnUnknownSourceAreReadWithTheFallbackAndCounted)
{
    // A line whose header names no known source (a newer program's keyword, a typing slip) is still a
    // scenario line: it runs on the full set, and an unknown stake choice runs as RAND. The file is
    // read, and the player hears how many lines are read that way.
    folder.write(u"new.lsc"_s, fileBytes({kLineABytes, "NEXT:4#FIRST|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |",
                                          "", "zzz|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |"}));
    ASSERT_TRUE(list.LoadScenarioFile(folder.file(u"new.lsc"_s), false));
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.lines().at(1), u"NEXT:4#FIRST|TSF1#SUMS:10#CMV:5#SC:1| | | | | | |");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Предупреждение");
    EXPECT_TRUE(boxes.last().text.contains(u": 2."_s)) << boxes.last().text.toStdString();

    const TScenarioHeader first = TextToScenarioHeader(ScenarioLineHeader(list.lines().at(1)));
    EXPECT_EQ(first.StartCombsType, ScenarioSource::Full);
    EXPECT_EQ(first.ResultCombsMode, StakeChoiceKeywordOf(u"FIRST"));
    const TScenarioHeader second = TextToScenarioHeader(ScenarioLineHeader(list.lines().at(3)));
    EXPECT_EQ(second.StartCombsType, ScenarioSource::Full);
    EXPECT_EQ(second.ResultCombsMode, StakeChoiceKeywordOf(u"RAND"));

    // A file of known lines says nothing.
    boxes.clear();
    folder.write(u"known.lsc"_s, fileBytes({kLineABytes}));
    ASSERT_TRUE(list.LoadScenarioFile(folder.file(u"known.lsc"_s), true));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ScenarioFiles, AppendAddsOneSeparatorAndNothingForAnEmptyFile)
{
    folder.write(u"two.lsc"_s, fileBytes({"CURR:0#FIRST| | | | | | | |", "CURR:0#LAST| | | | | | | |"}));
    folder.write(u"empty.lsc"_s, QByteArray());

    // An empty list is replaced.
    ASSERT_TRUE(list.LoadScenarioFile(folder.file(u"two.lsc"_s), true));
    EXPECT_EQ(list.count(), 2);

    // A list that does not end with a separator gets one.
    ASSERT_TRUE(list.LoadScenarioFile(folder.file(u"two.lsc"_s), true));
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.lines().at(2), QString());

    // A list that ends with one gets exactly the file's lines.
    list.AddLine(QString());
    ASSERT_TRUE(list.LoadScenarioFile(folder.file(u"two.lsc"_s), true));
    EXPECT_EQ(list.count(), 8);

    ASSERT_TRUE(list.LoadScenarioFile(folder.file(u"empty.lsc"_s), true));
    EXPECT_EQ(list.count(), 8);

    // Without append the list becomes the file.
    ASSERT_TRUE(list.LoadScenarioFile(folder.file(u"empty.lsc"_s), false));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ScenarioFiles, StartUpWithoutAFileAndWithADamagedOne)
{
    list.LoadScenarioList();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_FALSE(folder.exists(u"Vendra.lss"_s));

    // A list file that cannot be read is reported and kept: the first save leaves a copy of it.
    const QByteArray damaged = fileBytes({kLineABytes, QByteArray("\x00\x00garbage", 9)});
    folder.write(u"Vendra.lss"_s, damaged);
    TScenarioList restarted;
    restarted.LoadScenarioList();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка чтения файла"));
    EXPECT_EQ(restarted.count(), 0);
    EXPECT_EQ(folder.read(u"Vendra.lss"_s), damaged);

    restarted.AddLine(kLineB);
    EXPECT_EQ(restarted.heldListCopy(), folder.file(u"Vendra.lss.bad"_s));
    EXPECT_EQ(folder.read(u"Vendra.lss.bad"_s), damaged);
    EXPECT_EQ(folder.read(u"Vendra.lss"_s), fileBytes({"FULL:0#ALL| | | | | | | |"}));
    EXPECT_EQ(boxes.last().caption, u"Информация");

    // Only once.
    restarted.AddLine(kLineB);
    EXPECT_FALSE(folder.exists(u"Vendra.lss.bad2"_s));
}

TEST_F(ScenarioFiles, AListFileThatIsNoRegularFileIsNeverCopied)
{
    // A FIFO, a device or a folder under the list's name: the first save must not wait on it nor copy it;
    // the message names it and the new list is saved when the name can take it.
    const QString name = folder.file(u"Vendra.lss"_s);
    for (TOtherFileKind kind : {TOtherFileKind::Fifo, TOtherFileKind::Device, TOtherFileKind::Folder}) {
        SCOPED_TRACE(OtherFileKindName(kind).toStdString());
        ASSERT_TRUE(MakeOtherKindFile(name, kind));
        boxes.clear();
        const TWatchedRun run = RunWatched([&]() -> QString {
            TScenarioList restarted;
            restarted.LoadScenarioList();
            if (boxes.count() != 1 || !boxes.last().text.startsWith(u"Ошибка чтения файла"))
                return u"the unreadable list is not reported"_s;
            restarted.AddLine(kLineB);
            if (folder.exists(u"Vendra.lss.bad"_s))
                return u"a copy was made"_s;
            if (!restarted.heldListCopy().isEmpty())
                return u"a copy is named"_s;
            if (boxes.count() < 2 || !boxes.boxes()[1].text.contains(name))
                return u"the second message does not name the file"_s;
            if (kind != TOtherFileKind::Folder && listFile() != fileBytes({"FULL:0#ALL| | | | | | | |"}))
                return u"the new list was not saved"_s;
            return {};
        });
        EXPECT_TRUE(run.ok()) << run.text().toStdString();
    }
}

TEST_F(ScenarioFiles, EveryChangeIsSavedAndBadIndexesRaise)
{
    int changes = 0;
    QObject::connect(&list, &TScenarioList::linesChanged, &list, [&changes] { ++changes; });
    EXPECT_EQ(list.AddLine(kLineA), 0);
    EXPECT_EQ(list.AddLines({QString(), kLineB}), 1);
    EXPECT_EQ(listFile(), fileBytes({kLineABytes, "", "FULL:0#ALL| | | | | | | |"}));

    // Down then up gives the list back; each move is saved.
    list.ExchangeLines(0, 1);
    EXPECT_EQ(listFile(), fileBytes({"", kLineABytes, "FULL:0#ALL| | | | | | | |"}));
    list.ExchangeLines(1, 0);
    EXPECT_EQ(listFile(), fileBytes({kLineABytes, "", "FULL:0#ALL| | | | | | | |"}));

    list.SetLine(1, u"CURR:0#NONE| | | | | | | |"_s);
    list.DeleteLines({2, 0, 2});
    EXPECT_EQ(list.lines(), QStringList({u"CURR:0#NONE| | | | | | | |"_s}));
    EXPECT_EQ(listFile(), fileBytes({"CURR:0#NONE| | | | | | | |"}));
    EXPECT_EQ(changes, 6);

    try {
        list.SetLine(1, kLineA);
        ADD_FAILURE() << "no exception";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Запись со индексом 1 в файле данных не найдена!");
    }
    EXPECT_THROW(list.ExchangeLines(0, 1), Exception);
    EXPECT_EQ(listFile(), fileBytes({"CURR:0#NONE| | | | | | | |"}));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ScenarioFiles, LinesKeepOnlyWhatTheFileCanHold)
{
    // A line break inside a line would split it in the file; a character outside the code page would
    // be read back as something else.
    list.AddLine(u"FULL:0#RAND| | | | | | | |a\nb\u2713"_s);
    EXPECT_EQ(list.GetLine(0), u"FULL:0#RAND| | | | | | | |a b?"_s);
    EXPECT_EQ(listFile(), fileBytes({"FULL:0#RAND| | | | | | | |a b?"}));
}

TEST_F(ScenarioFiles, FailedWriteIsReportedWithTheFileName)
{
    const QString target = folder.file(u"missing/x.lsc"_s);
    list.AddLine(kLineB);
    boxes.clear();
    EXPECT_FALSE(list.SaveScenarioFile(target));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка записи в файл \"" + target + u"\"!\r\r"));
}
