#include "ui/combinations/CombsPage.h"
#include "common/BusyCursor.h"
#include "common/IniFile.h"
#include "common/ProgramFiles.h"
#include "common/widgets/Clipboard.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "tests/support/DrawsStatTestData.h"
#include "ui/combinations/GenCombsDialog.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CombsPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetDraws(&archive.draws());
        list.RebuildMethods();
        page = std::make_unique<TCombsPage>(archive, list, options);
        page->setDrawsOffsetSource([this] { return offset; });
        QObject::connect(page.get(), &TCombsPage::combsCountChanged, page.get(),
                         [this](qint64 n) { statusPanel = TCombsPage::countText(n); });
        page->resize(500, 600);
    }
    void TearDown() override
    {
        SetCombsFileDialog(nullptr);
        SetDialogPlayer(nullptr);
        page.reset();
    }
    // The list from the stored settings, as at start-up: every combination of the numbers given.
    void generateFrom(const QString &numbers)
    {
        list.CombsGenerateMode = gmOnlyFrom;
        list.CombsGenerateParameters = numbers;
        page->generateDefault();
    }
    QAction *action(const QString &name) const { return page->findChild<QAction *>(name); }
    bool enabled(const QString &name)
    {
        page->updateActions();
        return action(name)->isEnabled();
    }
    QAbstractItemModel *model() const { return page->combsList()->model(); }
    QString cell(int row, int column) const { return model()->index(row, column).data().toString(); }
    QString rowText(int row) const
    {
        QStringList parts;
        for (int c = 0; c < model()->columnCount(); ++c)
            parts.append(cell(row, c));
        return parts.join(u' ');
    }
    QString logRow(int row) const
    {
        QAbstractItemModel *m = page->filtersList()->model();
        return m->index(row, 0).data().toString() + u'|' + m->index(row, 1).data().toString() + u'|' +
               m->index(row, 2).data().toString();
    }
    int logRows() const { return page->filtersList()->model()->rowCount(); }
    void selectRows(int first, int last)
    {
        page->combsList()->selectionModel()->select(
            QItemSelection(model()->index(first, 0), model()->index(last, model()->columnCount() - 1)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArchive archive;
    TStatList list;
    MainOptions options;
    int offset = 0;
    QString statusPanel;
    std::unique_ptr<TCombsPage> page;
};

TDrawRec drawOf(int number, std::array<uint8_t, 6> main)
{
    return makeStatDraw(number, main);
}

} // namespace

TEST_F(CombsPage, ActionsCaptionsKeysAndTheirConditions)
{
    struct Expected {
        const char16_t *name, *caption;
        QKeySequence keys;
    };
    const std::vector<Expected> expected = {
        {u"CombsGen", u"Генерировать", QKeySequence(Qt::Key_F2)},
        {u"CombsOpen", u"Открыть", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {u"CombsSave", u"Сохранить", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {u"CombsUndo", u"Отменить", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {u"CombsDelExists", u"Исключить тиражи", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {u"CombsDelSelected", u"Удалить выделенные", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {u"CombsCopy", u"Копировать в буфер", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {u"CombsPaste", u"Вставить из буфера", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {u"CombsSelectAll", u"Выделить все", QKeySequence(Qt::CTRL | Qt::Key_A)},
        {u"CombsCheckNums", u"Количество уникальных номеров", QKeySequence()},
        {u"CombsFindInDraws", u"Проверить по архиву тиражей", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {u"CombsInfo", u"Сведения о комбинации", QKeySequence()},
    };
    for (const Expected &e : expected) {
        QAction *a = action(QString::fromUtf16(e.name));
        ASSERT_TRUE(a) << QString::fromUtf16(e.name).toStdString();
        EXPECT_EQ(a->text(), QString::fromUtf16(e.caption));
        EXPECT_EQ(a->shortcut(), e.keys) << QString::fromUtf16(e.name).toStdString();
    }

    // An empty list: only what makes or inspects a list.
    for (const char16_t *name : {u"CombsSave", u"CombsUndo", u"CombsDelExists", u"CombsDelSelected", u"CombsCopy",
                                 u"CombsSelectAll", u"CombsFindInDraws", u"CombsInfo"})
        EXPECT_FALSE(enabled(QString::fromUtf16(name))) << QString::fromUtf16(name).toStdString();
    EXPECT_TRUE(enabled(u"CombsGen"_s));
    EXPECT_TRUE(enabled(u"CombsOpen"_s));
    EXPECT_TRUE(enabled(u"CombsCheckNums"_s));

    generateFrom(u"1,2,3,4,5,6,7,8"_s);
    EXPECT_EQ(statusPanel, u"Комбинаций: 28");
    EXPECT_TRUE(enabled(u"CombsSave"_s));
    EXPECT_TRUE(enabled(u"CombsCopy"_s));
    EXPECT_TRUE(enabled(u"CombsSelectAll"_s));
    EXPECT_FALSE(enabled(u"CombsUndo"_s)); // nothing to undo after a generation
    // Removing drawn combinations needs draws and a number of them.
    EXPECT_FALSE(enabled(u"CombsDelExists"_s));
    archive.draws() = handMadeDraws();
    EXPECT_FALSE(enabled(u"CombsDelExists"_s));
    page->setDrawsExclude(1);
    EXPECT_TRUE(enabled(u"CombsDelExists"_s));
    selectRows(3, 3);
    EXPECT_TRUE(enabled(u"CombsDelSelected"_s));
    EXPECT_TRUE(enabled(u"CombsFindInDraws"_s));
    EXPECT_FALSE(enabled(u"CombsInfo"_s));
    TComb shown;
    page->setCombInfoHandler([&](const TComb &c) { shown = c; });
    ASSERT_TRUE(enabled(u"CombsInfo"_s));
    action(u"CombsInfo"_s)->trigger();
    EXPECT_EQ(shown, page->combs().at(3));

    {
        BusySection busy;
        page->updateActions();
        for (const Expected &e : expected)
            EXPECT_FALSE(action(QString::fromUtf16(e.name))->isEnabled()) << QString::fromUtf16(e.name).toStdString();
    }
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(CombsPage, RowsShowNumberNumbersAndSumInChannelColours)
{
    generateFrom(u"1,2,3,4,5,6,7,8"_s);
    ASSERT_EQ(model()->rowCount(), 28);
    EXPECT_EQ(rowText(0), u"1 1 2 3 4 5 6 21");
    EXPECT_EQ(rowText(27), u"28 3 4 5 6 7 8 33");

    list.Config.channelSize = 5;
    const QColor first = model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>();
    EXPECT_TRUE(first.isValid());
    EXPECT_EQ(model()->index(0, 5).data(Qt::BackgroundRole).value<QColor>(), first); // 5: channel 1
    EXPECT_NE(model()->index(0, 6).data(Qt::BackgroundRole).value<QColor>(), first); // 6: channel 2
    EXPECT_FALSE(model()->index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model()->index(0, 7).data(Qt::BackgroundRole).isValid());
    options.colorCombs = false;
    EXPECT_FALSE(model()->index(0, 1).data(Qt::BackgroundRole).isValid());
}

TEST_F(CombsPage, DeleteSelectedLogsTheStepAndUndoTakesItBack)
{
    generateFrom(u"1,2,3,4,5,6,7,8"_s);
    selectRows(0, 9);
    selectRows(20, 20);
    action(u"CombsDelSelected"_s)->trigger();
    EXPECT_EQ(model()->rowCount(), 17);
    EXPECT_FALSE(page->combsList()->selectionModel()->hasSelection());
    EXPECT_EQ(statusPanel, u"Комбинаций: 17");
    ASSERT_EQ(logRows(), 1);
    EXPECT_EQ(logRow(0), u"Выделенные комбинации|11|17");

    ASSERT_TRUE(enabled(u"CombsUndo"_s));
    action(u"CombsUndo"_s)->trigger();
    EXPECT_EQ(model()->rowCount(), 28);
    EXPECT_EQ(rowText(0), u"1 1 2 3 4 5 6 21");
    EXPECT_EQ(logRows(), 0);
    EXPECT_FALSE(enabled(u"CombsUndo"_s));
}

TEST_F(CombsPage, ExclusionEditSetsTheOffsetAndEnterRemovesTheDraws)
{
    // Draws 110 to 107, newest first, and one combination that was never drawn.
    SetClipboardUnicodeText(u"1 19 27 33 40 45\n14 41 3 8 22 30\n6 14 21 29 38 43\n2 13 24 35 41 45\n1 2 3 4 5 7"_s);
    action(u"CombsPaste"_s)->trigger();
    ASSERT_EQ(model()->rowCount(), 5);
    archive.draws() = handMadeDraws();

    std::vector<int> announced;
    QObject::connect(page.get(), &TCombsPage::drawsExcludeChanged, page.get(), [&](int v) { announced.push_back(v); });
    page->setDrawsExclude(7); // restoring the stored value announces nothing
    EXPECT_TRUE(announced.empty());
    page->excludeEdit()->setValue(2);
    EXPECT_EQ(announced, std::vector<int>{2});
    offset = 2; // what the main window does with the announcement

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(page->excludeEdit(), &enter);
    // The two draws before the two hidden ones (108 and 107) are gone.
    ASSERT_EQ(model()->rowCount(), 3);
    EXPECT_EQ(rowText(0), u"1 1 19 27 33 40 45 165");
    EXPECT_EQ(rowText(1), u"2 14 41 3 8 22 30 118");
    EXPECT_EQ(rowText(2), u"3 1 2 3 4 5 7 22");
    ASSERT_EQ(logRows(), 1);
    EXPECT_EQ(logRow(0), u"Последние тиражи|2|3");
}

TEST_F(CombsPage, CopyAndPasteThroughTheClipboard)
{
    generateFrom(u"1,2,3,4,5,6,7,8"_s);
    selectRows(2, 2);
    selectRows(1, 1);
    action(u"CombsCopy"_s)->trigger();
    EXPECT_EQ(GetClipboardUnicodeText(), u"01 02 03 04 05 07\n01 02 03 04 05 08");

    // A bad line replaces nothing.
    SetClipboardUnicodeText(u"1 2 3 4 5 6\nbad"_s);
    ASSERT_TRUE(enabled(u"CombsPaste"_s));
    action(u"CombsPaste"_s)->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Ошибка");
    EXPECT_EQ(boxes.last().text, u"Некорректная комбинация: \"bad\"!");
    EXPECT_EQ(model()->rowCount(), 28);

    selectRows(0, 3);
    action(u"CombsDelSelected"_s)->trigger();
    SetClipboardUnicodeText(u"10-20-30-40-41-42\r\n"_s);
    action(u"CombsPaste"_s)->trigger();
    ASSERT_EQ(model()->rowCount(), 1);
    EXPECT_EQ(rowText(0), u"1 10 20 30 40 41 42 183");
    EXPECT_FALSE(enabled(u"CombsUndo"_s));
    EXPECT_EQ(logRows(), 0);
}

TEST_F(CombsPage, ANewListStartsWithNoRowSelected)
{
    generateFrom(u"1,2,3,4,5,6,7,8"_s);
    folder.write(u"two.lcv"_s, "5;6;7;8;9;10\n11;12;13;14;15;16\n");
    SetCombsFileDialog([this](QWidget *, bool, const QString &) { return folder.file(u"two.lcv"_s); });
    SetDialogPlayer([](TDialogSTemplate &d) {
        auto &dialog = static_cast<TFormGenCombs &>(d);
        dialog.modeCombo()->setCurrentIndex(gmOnlyFrom);
        dialog.parametersEdit()->setText(u"1,2,3,4,5,6,7,8,9"_s);
        dialog.pressOk();
        return d.result();
    });
    // Every way to a new list, each after "Выделить все" on the old one.
    const std::vector<std::pair<QString, int>> ways = {{u"CombsGen"_s, 84}, {u"CombsOpen"_s, 2}, {u"CombsPaste"_s, 1}};
    for (const auto &[command, rows] : ways) {
        SetClipboardUnicodeText(u"10-20-30-40-41-42\r\n"_s);
        action(u"CombsSelectAll"_s)->trigger();
        ASSERT_TRUE(page->combsList()->selectionModel()->hasSelection());
        ASSERT_TRUE(enabled(command)) << command.toStdString();
        action(command)->trigger();
        ASSERT_EQ(model()->rowCount(), rows) << command.toStdString();
        EXPECT_FALSE(page->combsList()->selectionModel()->hasSelection()) << command.toStdString();
        EXPECT_FALSE(enabled(u"CombsDelSelected"_s)) << command.toStdString();
    }
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(CombsPage, OpenAndSaveFiles)
{
    QString answer;
    std::vector<bool> asked;
    SetCombsFileDialog([&](QWidget *, bool save, const QString &) {
        asked.push_back(save);
        return answer;
    });
    generateFrom(u"1,2,3,4,5,6,7"_s);
    answer = folder.file(u"seven.lcv"_s);
    action(u"CombsSave"_s)->trigger();
    EXPECT_EQ(folder.read(u"seven.lcv"_s).left(26), QByteArray("1;2;3;4;5;6\r\n1;2;3;4;5;7\r\n"));

    folder.write(u"two.lcv"_s, "5;6;7;8;9;10\n11;12;13;14;15;16\n");
    selectRows(0, 0);
    action(u"CombsDelSelected"_s)->trigger();
    answer = folder.file(u"two.lcv"_s);
    action(u"CombsOpen"_s)->trigger();
    ASSERT_EQ(model()->rowCount(), 2);
    EXPECT_EQ(rowText(1), u"2 11 12 13 14 15 16 81");
    EXPECT_FALSE(enabled(u"CombsUndo"_s));
    EXPECT_EQ(logRows(), 0);

    // A file that cannot be read leaves the list.
    answer = folder.file(u"none.lcv"_s);
    action(u"CombsOpen"_s)->trigger();
    EXPECT_EQ(model()->rowCount(), 2);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка чтения файла"));

    // Cancelled dialogs do nothing.
    answer.clear();
    action(u"CombsOpen"_s)->trigger();
    action(u"CombsSave"_s)->trigger();
    EXPECT_EQ(model()->rowCount(), 2);
    EXPECT_EQ(asked, (std::vector<bool>{true, false, false, false, true}));
}

TEST_F(CombsPage, GenerationDialogFillsValidatesAndStoresTheDefaults)
{
    {
        TFormGenCombs dialog;
        EXPECT_EQ(dialog.windowTitle(), u"Создание нового списка комбинаций");
        ASSERT_EQ(dialog.modeCombo()->count(), 5);
        EXPECT_EQ(dialog.modeCombo()->itemText(0), u"Полный список (все возможные для данного лото варианты)");
        EXPECT_EQ(dialog.modeCombo()->itemText(4), u"Загрузить список из заранее подготовленного CSV-файла");
        EXPECT_TRUE(dialog.saveDefaultBox()->isChecked());

        dialog.fill(TGenCombsRecord{TGenerateSettings{9, u"x"_s}, false}); // a damaged mode byte
        EXPECT_EQ(dialog.modeCombo()->currentIndex(), 0);
        EXPECT_FALSE(dialog.parametersEdit()->isEnabled());
        EXPECT_FALSE(dialog.fileButton()->isEnabled());
        EXPECT_FALSE(dialog.saveDefaultBox()->isChecked());
        dialog.modeCombo()->setCurrentIndex(1);
        EXPECT_TRUE(dialog.parametersEdit()->isEnabled());
        EXPECT_FALSE(dialog.fileButton()->isEnabled());
        dialog.modeCombo()->setCurrentIndex(4);
        EXPECT_TRUE(dialog.fileButton()->isEnabled());

        dialog.parametersEdit()->clear();
        EXPECT_FALSE(dialog.pressOk());
        ASSERT_EQ(boxes.count(), 1);
        SetCombsFileDialog([](QWidget *, bool, const QString &initial) { return initial + u"picked.lcv"; });
        dialog.parametersEdit()->setText(u"/data/"_s);
        dialog.browse();
        EXPECT_EQ(dialog.parametersEdit()->text(), u"/data/picked.lcv");
        dialog.parametersEdit()->setText(QString(300, u'9'));
        TGenCombsRecord back;
        dialog.readBack(back);
        EXPECT_EQ(back.settings.Mode, 4);
        EXPECT_EQ(back.settings.Parameters.size(), 255);
        EXPECT_FALSE(back.saveAsDefault);
    }

    SetDialogPlayer([](TDialogSTemplate &d) {
        auto &dialog = static_cast<TFormGenCombs &>(d);
        dialog.modeCombo()->setCurrentIndex(gmOnlyFrom);
        dialog.parametersEdit()->setText(u"1,2,3,4,5,6,7"_s);
        dialog.pressOk();
        return d.result();
    });
    action(u"CombsGen"_s)->trigger();
    EXPECT_EQ(model()->rowCount(), 7);
    EXPECT_FALSE(enabled(u"CombsUndo"_s));
    EXPECT_EQ(list.CombsGenerateMode, gmOnlyFrom);
    const TGenerateSettings stored = ReadGenerateSettings(IniFile(GetIniFileName()));
    EXPECT_EQ(stored, (TGenerateSettings{gmOnlyFrom, u"1,2,3,4,5,6,7"_s}));
}

TEST_F(CombsPage, FindInDrawsAndUniqueNumbers)
{
    // Thirty draws of 1..6 (numbered 1 to 30) and one other.
    TDrawsArray draws;
    for (int i = 1; i <= 30; ++i)
        draws.push_back(drawOf(i, {6, 5, 4, 3, 2, 1}));
    draws.push_back(drawOf(31, {1, 2, 3, 4, 5, 7}));
    archive.draws() = draws;
    generateFrom(u"1,2,3,4,5,6,7,8"_s);

    selectRows(0, 0);
    action(u"CombsFindInDraws"_s)->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Информация");
    const QStringList lines = boxes.last().text.split(u'\r');
    ASSERT_EQ(lines.size(), 2 + 26);
    EXPECT_EQ(lines[0], u"Выделенная комбинация найдена в следующих тиражах:");
    EXPECT_TRUE(lines[2].startsWith(u"Тираж № 30 "));
    EXPECT_TRUE(lines[27].startsWith(u"Тираж № 5 "));

    page->combsList()->selectionModel()->clearSelection();
    selectRows(27, 27);
    action(u"CombsFindInDraws"_s)->trigger();
    EXPECT_EQ(boxes.last().text, u"Выделенная комбинация не найдена архиве тиражей!");

    action(u"CombsCheckNums"_s)->trigger();
    EXPECT_EQ(boxes.last().text, u"В текущем списке комбинаций содержится 8 уникальных номеров");
}

TEST_F(CombsPage, StatisticsTableFiltersKeepAndDeleteTheSelectedValues)
{
    archive.draws() = handMadeDraws();
    archive.touch();
    TStatisticsPage stats(archive, list, options);
    stats.setDrawsOffsetSource([this] { return offset; });
    stats.show();
    stats.FillMethodCombos(false, false);
    ASSERT_EQ(stats.selectedMethod()->MethodCode(), u"NUMS");
    ASSERT_EQ(stats.table()->model()->rowCount(), 45);
    page->attachStatisticsPage(&stats);
    QAction *keep = stats.findChild<QAction *>(u"StatFilter_Include"_s);
    QAction *drop = stats.findChild<QAction *>(u"StatFilter_Exclude"_s);
    ASSERT_TRUE(keep && drop);
    EXPECT_EQ(keep->text(), u"Оставить выделенные");
    EXPECT_EQ(keep->shortcut(), QKeySequence(Qt::Key_F7));
    EXPECT_EQ(drop->text(), u"Удалить выделенные");
    EXPECT_EQ(drop->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F7));

    generateFrom(u"1,2,3,4,5,6,7,8"_s);
    page->updateActions();
    EXPECT_FALSE(keep->isEnabled()); // no value selected
    QAbstractItemModel *table = stats.table()->model();
    for (int r = 0; r < table->rowCount(); ++r)
        if (table->index(r, 0).data().toString() == u"7")
            stats.table()->selectionModel()->select(table->index(r, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    page->updateActions();
    ASSERT_TRUE(keep->isEnabled());

    keep->trigger();
    EXPECT_EQ(model()->rowCount(), 21); // C(7,5): the other five numbers from 1..8 without 7
    drop->trigger();
    EXPECT_EQ(model()->rowCount(), 0);
    ASSERT_EQ(logRows(), 2);
    const QString caption = stats.methodCombo()->currentText();
    EXPECT_EQ(logRow(0), caption + u"|7|21");
    EXPECT_EQ(logRow(1), caption + u"|7|0");
    page->updateActions();
    EXPECT_FALSE(keep->isEnabled()); // the list is empty

    action(u"CombsUndo"_s)->trigger();
    EXPECT_EQ(model()->rowCount(), 21);
    EXPECT_EQ(logRows(), 1);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(CombsPage, ExclusionOfTheNewestDrawsIsReachableInANarrowPanel)
{
    // The left panel's designed width, and narrower still.
    for (int width : {420, 300}) {
        page->resize(width, 600);
        page->show();
        QApplication::processEvents();
        auto *exclude = page->findChild<QSpinBox *>(u"edCombsExclude"_s);
        ASSERT_NE(exclude, nullptr);
        EXPECT_TRUE(exclude->isVisible()) << width;
        const QRect shown(exclude->mapTo(page.get(), QPoint(0, 0)), exclude->size());
        EXPECT_TRUE(page->rect().contains(shown)) << width;
        EXPECT_GE(exclude->width(), exclude->minimumSizeHint().width()) << width;
    }
}
