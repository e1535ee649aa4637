#include "ui/scenarios/ScenarioPage.h"
#include "common/BusyCursor.h"
#include "common/widgets/Clipboard.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kSumsLine = u"EXCL:3#RAND#NEX|TSF1#sums:10#cmv:5#sc:1| | | | | | |Сумма"_s;
const QString kLowerLetters = u"FULL:0#ALL|tsf1#SUMS:10#CMV:5#SC:1| | | | | | |"_s;
const QString kPlain = u"CURR:0#NONE| | | | | | | |третья"_s;

class ScenarioPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        stats.RebuildMethods();
        page = std::make_unique<TScenarioPage>(stats);
        page->setDefaultDrawsSource([] { return 7; });
        page->resize(800, 400);
    }
    void TearDown() override
    {
        SetScenarioFileDialog(nullptr);
        page.reset();
    }
    // A line dialog that records what it was given and answers with the text set here.
    void installDialog(const QString &answer)
    {
        page->setLineDialog([this, answer](QWidget *, const QString &caption, int draws, QString &line) {
            dialogCalls.push_back(caption + u" " + QString::number(draws) + u" [" + line + u"]");
            line = answer;
            return true;
        });
    }
    void fill(const QStringList &lines) { page->scenario().AddLines(lines); }
    bool enabled(const char *name)
    {
        page->updateActions();
        QAction *a = page->findChild<QAction *>(QString::fromLatin1(name));
        EXPECT_TRUE(a) << name;
        return a && a->isEnabled();
    }
    void run(const char *name)
    {
        ASSERT_TRUE(enabled(name)) << name;
        page->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    }
    QString cell(int row, int column) const { return page->scriptsList()->model()->index(row, column).data().toString(); }
    void select(std::initializer_list<int> rows)
    {
        page->scriptsList()->selectionModel()->clearSelection();
        QAbstractItemModel *m = page->scriptsList()->model();
        for (int r : rows)
            page->scriptsList()->selectionModel()->select(m->index(r, 0),
                                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QByteArray listFile() const { return folder.read(u"Vendra.lss"_s); }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TStatList stats;
    std::unique_ptr<TScenarioPage> page;
    QStringList dialogCalls;
};

} // namespace

TEST_F(ScenarioPage, ColumnsShowCommentOptionsAndCanonicalFiltersWhileTheFileKeepsItsText)
{
    page->LoadScenarioList();
    EXPECT_EQ(page->statusPanel(0)->text(), u"Строк: 0");
    EXPECT_EQ(boxes.count(), 0);

    fill({kSumsLine, QString(), kLowerLetters});
    EXPECT_EQ(page->statusPanel(0)->text(), u"Строк: 3");
    EXPECT_EQ(page->scriptsList()->model()->headerData(8, Qt::Horizontal).toString(), u"Фильтр 7");
    EXPECT_EQ(cell(0, 0), u"Сумма");
    EXPECT_EQ(cell(0, 1), u"Исключить 3 тиражей; Случайно; Только новые ставки");
    EXPECT_EQ(cell(0, 2), u"TSF1#SUMS:10#CMV:5#SC:1");
    EXPECT_EQ(cell(0, 3), QString());
    for (int c = 0; c < 9; ++c)
        EXPECT_EQ(cell(1, c), QString()) << c;
    // The three letters are case-sensitive: "tsf1" has no "F", so the filter deletes.
    EXPECT_EQ(cell(2, 2), u"TSD1#SUMS:10#CMV:5#SC:1");
    EXPECT_TRUE(listFile().contains("TSF1#sums:10#cmv:5#sc:1"));
}

TEST_F(ScenarioPage, CommandsAreEnabledByTheListTheSelectionAndTheIdleState)
{
    // An empty list: only opening and loading; adding waits for the line dialog.
    EXPECT_TRUE(enabled("ScriptOpen"));
    EXPECT_TRUE(enabled("ScriptLoad"));
    for (const char *name : {"ScriptSave", "ScriptAdd", "ScriptEmpty", "ScriptClone", "ScriptEdit", "ScriptDel",
                             "ScriptClr", "ScriptUp", "ScriptDown", "ScriptCopy"})
        EXPECT_FALSE(enabled(name)) << name;
    installDialog({});
    EXPECT_TRUE(enabled("ScriptAdd"));

    fill({kSumsLine, QString(), kPlain});
    for (const char *name : {"ScriptSave", "ScriptEmpty", "ScriptClr"})
        EXPECT_TRUE(enabled(name)) << name;
    EXPECT_FALSE(enabled("ScriptDel"));

    select({0});
    EXPECT_TRUE(enabled("ScriptClone"));
    EXPECT_TRUE(enabled("ScriptEdit"));
    EXPECT_FALSE(enabled("ScriptUp"));
    EXPECT_TRUE(enabled("ScriptDown"));

    // A separator can only be deleted or moved.
    select({1});
    EXPECT_FALSE(enabled("ScriptClone"));
    EXPECT_FALSE(enabled("ScriptEdit"));
    EXPECT_TRUE(enabled("ScriptDel"));
    EXPECT_TRUE(enabled("ScriptUp"));
    EXPECT_TRUE(enabled("ScriptDown"));

    select({2});
    EXPECT_FALSE(enabled("ScriptDown"));

    // A busy section or a run disables everything.
    {
        BusySection busy;
        EXPECT_FALSE(enabled("ScriptOpen"));
        EXPECT_FALSE(enabled("ScriptUp"));
    }
    page->setRunning(true);
    EXPECT_FALSE(page->scriptsList()->isEnabled());
    EXPECT_FALSE(enabled("ScriptDel"));
}

TEST_F(ScenarioPage, AddCloneEditAndSeparatorGoThroughTheLineDialogAndAreSaved)
{
    fill({kPlain});
    installDialog(kSumsLine);
    run("ScriptAdd");
    EXPECT_EQ(page->scenario().lines(), QStringList({kPlain, kSumsLine}));
    EXPECT_EQ(page->selectedLines(), std::vector<int>({1}));

    run("ScriptEmpty");
    EXPECT_EQ(page->scenario().lines().at(2), QString());
    EXPECT_EQ(page->selectedLines(), std::vector<int>({2}));

    select({0});
    installDialog(kLowerLetters);
    run("ScriptClone");
    select({0});
    run("ScriptEdit");
    EXPECT_EQ(dialogCalls, QStringList({u"Создание новой строки 7 []"_s, u"Создание новой строки 7 [" + kPlain + u"]",
                                        u"Редактирование строки 7 [" + kPlain + u"]"}));
    EXPECT_EQ(page->scenario().lines(), QStringList({kLowerLetters, kSumsLine, QString(), kLowerLetters}));
}

TEST_F(ScenarioPage, DeleteAsksAndMovesKeepTheListInStep)
{
    fill({kPlain, kSumsLine, QString(), kLowerLetters});
    select({1, 3});
    boxes.answer(IDNO);
    run("ScriptDel");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Удалить все выделенные записи (всего будет удалено 2 записи(ей))?");
    EXPECT_EQ(page->scenario().count(), 4);

    boxes.answer(IDYES);
    run("ScriptDel");
    EXPECT_EQ(page->scenario().lines(), QStringList({kPlain, QString()}));
    EXPECT_TRUE(page->selectedLines().empty());

    select({0});
    run("ScriptDown");
    EXPECT_EQ(page->scenario().lines(), QStringList({QString(), kPlain}));
    EXPECT_EQ(page->selectedLine(), 1);
    run("ScriptUp");
    EXPECT_EQ(page->scenario().lines(), QStringList({kPlain, QString()}));
    EXPECT_EQ(page->selectedLine(), 0);
    EXPECT_EQ(listFile(), (u"CURR:0#NONE| | | | | | | |"_s).toLatin1() + "\xF2\xF0\xE5\xF2\xFC\xFF\r\n\r\n");

    boxes.answer(IDYES);
    run("ScriptClr");
    EXPECT_EQ(page->scenario().count(), 0);
    EXPECT_EQ(page->statusPanel(0)->text(), u"Строк: 0");
    EXPECT_EQ(listFile(), QByteArray());
}

TEST_F(ScenarioPage, FilesOpenAppendAndSaveThroughTheDialogs)
{
    fill({kPlain});
    const QString scenarioFile = folder.file(u"other.lsc"_s);
    folder.write(u"other.lsc"_s, "FULL:0#FIRST| | | | | | | |\r\n");
    QString answer;
    SetScenarioFileDialog([&answer](QWidget *, bool) { return answer; });

    answer = scenarioFile;
    run("ScriptLoad");
    EXPECT_EQ(page->scenario().lines(), QStringList({kPlain, QString(), u"FULL:0#FIRST| | | | | | | |"_s}));

    run("ScriptOpen");
    EXPECT_EQ(page->scenario().lines(), QStringList({u"FULL:0#FIRST| | | | | | | |"_s}));
    EXPECT_EQ(listFile(), "FULL:0#FIRST| | | | | | | |\r\n");

    answer = folder.file(u"saved.lsc"_s);
    run("ScriptSave");
    EXPECT_EQ(folder.read(u"saved.lsc"_s), listFile());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ScenarioPage, CopyAndPasteThroughTheClipboard)
{
    fill({kSumsLine, QString(), kPlain});
    select({0, 1});
    run("ScriptCopy");
    EXPECT_EQ(GetClipboardUnicodeText(), kSumsLine + u"\n\n");

    run("ScriptPaste");
    EXPECT_EQ(page->scenario().lines(), QStringList({kSumsLine, QString(), kPlain, kSumsLine, QString()}));
    EXPECT_EQ(page->selectedLines(), std::vector<int>({3, 4}));

    // Text that is not a scenario is refused whole.
    SetClipboardUnicodeText(u"CURR:0#NONE| | | | | | | |\r\nпросто текст"_s);
    run("ScriptPaste");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              u"Текст в буфере обмена не является сценарием!\r\rСтрока 2 не является строкой сценария:\rпросто текст");
    EXPECT_EQ(page->scenario().count(), 5);
}
