#include "tests/support/RecordingProcesses.h"
#include "tests/support/ScriptedMessages.h"
#include "online/CatalogueReply.h"
#include "ui/stakes/SystemDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

tSystemData sampleSystem()
{
    tSystemData system;
    system.id = 12;
    system.nums = 9;
    system.olap = 3;
    system.csize = 2;
    system.title = u"Система"_s;
    system.author = u"Автор"_s;
    system.cl_mail = u"a@b.c"_s;
    system.descr = u"Описание"_s;
    system.url = u"example.org/x"_s;
    system.created = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9);
    system.downloads = 17;
    system.clist = u"01 02 03 04 05 06\r\n04 05 06 07 08 09\r\n"_s;
    return system;
}

} // namespace

TEST(SystemDialog, FilledFromTheRecordAndReadBackUnchanged)
{
    TFormSystem dialog;
    const tSystemData system = sampleSystem();
    dialog.fill(system, true);
    EXPECT_EQ(dialog.clenEdit()->text(), u"6");
    EXPECT_TRUE(dialog.clenEdit()->isReadOnly());
    EXPECT_EQ(dialog.createdEdit()->text(), CatalogueTimeText(system.created));
    EXPECT_EQ(dialog.lastDownloadEdit()->text(), QString());
    EXPECT_EQ(dialog.combsEdit()->toPlainText(), u"01 02 03 04 05 06\n04 05 06 07 08 09");
    ASSERT_TRUE(dialog.pressOk());
    tSystemData back;
    dialog.readBack(back);
    tSystemData expected = system;
    expected.clist = u"01 02 03 04 05 06\r\n04 05 06 07 08 09"_s;
    EXPECT_EQ(back, expected);
}

TEST(SystemDialog, TheListIsCheckedOnOkSoPastedLinesCount)
{
    ScriptedMessages boxes;
    TFormSystem dialog;
    dialog.fill(sampleSystem(), true);
    // Leaving the list rewrites it; five-number lines go.
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 6\n1 2 3 4 5\n9 8 7 6 5 4"_s);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(dialog.combsEdit(), &leave);
    EXPECT_EQ(dialog.combsEdit()->toPlainText(), u"01 02 03 04 05 06\n09 08 07 06 05 04");
    EXPECT_EQ(dialog.numsEdit()->text(), u"9");
    EXPECT_EQ(dialog.csizeEdit()->text(), u"2");
    // Lines typed or pasted without leaving the list: the counts still follow them.
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 6\n7 8 9 10 11 12\n1 2 3 4 5\n2;4;6;8;10;12"_s);
    ASSERT_TRUE(dialog.pressOk()) << (boxes.count() ? boxes.last().text.toStdString() : "");
    EXPECT_EQ(dialog.numsEdit()->text(), u"12");
    EXPECT_EQ(dialog.csizeEdit()->text(), u"3");
    EXPECT_EQ(dialog.combsEdit()->toPlainText(), u"01 02 03 04 05 06\n07 08 09 10 11 12\n02 04 06 08 10 12");
    tSystemData back;
    dialog.readBack(back);
    EXPECT_EQ(back.nums, 12);
    EXPECT_EQ(back.csize, 3);
}

TEST(SystemDialog, ANonNumberNamesItsLineAndTheDialogStaysUsable)
{
    ScriptedMessages boxes;
    TFormSystem dialog;
    dialog.fill(sampleSystem(), true);
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 6\n1 2 3 4 5 six"_s);
    EXPECT_FALSE(dialog.pressOk());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Строка 2: \"six\" не является допустимым целым числом.");
    EXPECT_EQ(dialog.combsEdit()->textCursor().blockNumber(), 1);
    EXPECT_EQ(dialog.combsEdit()->toPlainText(), u"1 2 3 4 5 6\n1 2 3 4 5 six"); // nothing lost
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 6\n1 2 3 4 5 7\n1 2 3 4 8 9"_s);
    EXPECT_TRUE(dialog.pressOk());
}

TEST(SystemDialog, OkIsRefusedInTheOrderOfTheChecks)
{
    ScriptedMessages boxes;
    TFormSystem dialog;
    dialog.fill(sampleSystem(), true);
    const auto refusedWith = [&](const QString &message) {
        boxes.clear();
        EXPECT_FALSE(dialog.pressOk());
        return boxes.count() == 1 && boxes.last().text == message;
    };
    dialog.titleEdit()->setText(u"  "_s);
    dialog.authorEdit()->clear();
    EXPECT_TRUE(refusedWith(u"Название системы должно быть указано обязательно!"_s));
    dialog.titleEdit()->setText(u"T"_s);
    // Six numbers are not a system; the check takes the count from the lines.
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 6"_s);
    EXPECT_TRUE(refusedWith(u"Указано недопустмое количество используемых чисел!"_s));
    EXPECT_TRUE(dialog.numsEdit()->hasFocus() || !dialog.isVisible());
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 46"_s);
    EXPECT_TRUE(refusedWith(u"Указано недопустмое количество используемых чисел!"_s));
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 7"_s);
    dialog.olapEdit()->setText(u"6"_s);
    EXPECT_TRUE(refusedWith(u"Указан недопустмый размер блока!"_s));
    dialog.olapEdit()->setText(u"0"_s);
    EXPECT_TRUE(refusedWith(u"Имя автора должно быть указано обязательно!"_s));
    dialog.authorEdit()->setText(u"A"_s);
    dialog.descrEdit()->setPlainText(u" \n "_s);
    EXPECT_TRUE(refusedWith(u"Описание системы должно быть указано обязательно!"_s));
    dialog.descrEdit()->setPlainText(u"D"_s);
    // A list with no line left, or a blank one, is named itself (not the count it leaves), in the list.
    for (const QString &list : {u"1 2 3"_s, u""_s, u" \n\t\n"_s}) {
        dialog.combsEdit()->setPlainText(list);
        EXPECT_TRUE(refusedWith(u"Содержимое системы должно быть указано обязательно!"_s)) << list.toStdString();
        EXPECT_TRUE(dialog.combsEdit()->hasFocus() || !dialog.isVisible());
    }
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 7"_s);
    EXPECT_TRUE(dialog.pressOk());
}

TEST(SystemDialog, TheCountFollowsTheListAndATypedOneIsNeverPutOver)
{
    ScriptedMessages boxes;
    TFormSystem dialog;
    dialog.fill(sampleSystem(), true);
    EXPECT_EQ(dialog.numsEdit()->text(), u"9");
    // Edited, the list carries the counts along.
    dialog.combsEdit()->setPlainText(u"1 2 3 4 5 6\n4 5 6 7 8 11"_s);
    EXPECT_EQ(dialog.numsEdit()->text(), u"11");
    EXPECT_EQ(dialog.csizeEdit()->text(), u"2");
    // A count typed afterwards that the lines do not bear out is named on OK and left as typed.
    dialog.numsEdit()->setText(u"15"_s);
    EXPECT_FALSE(dialog.pressOk());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              u"Указанное количество чисел (15) не совпадает со списком комбинаций, в котором используется 11 чисел!");
    EXPECT_EQ(dialog.numsEdit()->text(), u"15");
    EXPECT_TRUE(dialog.numsEdit()->hasFocus() || !dialog.isVisible());
    dialog.numsEdit()->setText(u"11"_s);
    ASSERT_TRUE(dialog.pressOk());
    tSystemData back;
    dialog.readBack(back);
    EXPECT_EQ(back.nums, 11);
}

TEST(SystemDialog, ReadOnlyHasNoOkAndReturnsNothing)
{
    tSystemData system = sampleSystem();
    const tSystemData before = system;
    SetDialogPlayer([](TDialogSTemplate &dialog) {
        auto &form = static_cast<TFormSystem &>(dialog);
        EXPECT_TRUE(form.okButton()->isHidden());
        EXPECT_TRUE(form.titleEdit()->isReadOnly());
        EXPECT_TRUE(form.combsEdit()->isReadOnly());
        form.updateMenu();
        EXPECT_FALSE(form.pasteAction()->isEnabled());
        EXPECT_FALSE(form.loadAction()->isEnabled());
        EXPECT_TRUE(form.copyAction()->isEnabled());
        EXPECT_TRUE(form.saveAction()->isEnabled());
        form.titleEdit()->setText(u"changed"_s);
        form.accept(); // even an accepted read-only dialog returns nothing
        return dialog.result();
    });
    EXPECT_FALSE(ShowSystemDialog(nullptr, system, false));
    SetDialogPlayer(nullptr);
    EXPECT_EQ(system, before);
}

TEST(SystemDialog, NumberFieldsTakeDigitsOnlyAndTheLinkOpensAsAWebAddress)
{
    TFormSystem dialog;
    dialog.fill(sampleSystem(), true);
    dialog.olapEdit()->clear();
    for (const auto &[key, text] : {std::pair{Qt::Key_4, u"4"_s}, {Qt::Key_A, u"a"_s}, {Qt::Key_Minus, u"-"_s},
                                    {Qt::Key_2, u"2"_s}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(dialog.olapEdit(), &press);
    }
    EXPECT_EQ(dialog.olapEdit()->text(), u"42");

    RecordingUrlOpener opener;
    EXPECT_TRUE(dialog.urlButton()->isEnabled());
    dialog.urlButton()->click();
    dialog.urlEdit()->setText(u"file:///etc/passwd"_s);
    dialog.urlButton()->click();
    dialog.urlEdit()->setText(u"HTTPS://example.org/y"_s);
    dialog.urlButton()->click();
    EXPECT_EQ(opener.addresses(), (std::vector<QString>{u"http://example.org/x"_s, u"http://file:///etc/passwd"_s,
                                                        u"HTTPS://example.org/y"_s}));
    dialog.urlEdit()->clear();
    EXPECT_FALSE(dialog.urlButton()->isEnabled());
}

TEST(SystemDialog, ListMenuLoadsSavesAndUsesTheClipboard)
{
    ScriptedMessages boxes;
    QTemporaryDir dir;
    const QString file = dir.filePath(u"system.txt"_s);
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        QByteArray text;
        for (int i = 0; i < 12; ++i)
            text += QByteArray::number(i % 4 + 1) + " 5 6 7 8 " + QByteArray::number(9 + i % 3) + "\r\n";
        out.write(text);
    }
    QString answer = file;
    SetSystemFileDialog([&answer](QWidget *, bool) { return answer; });
    TFormSystem dialog;
    dialog.fill(tSystemData{}, true);
    dialog.updateMenu();
    EXPECT_FALSE(dialog.copyAction()->isEnabled());
    EXPECT_FALSE(dialog.saveAction()->isEnabled());
    EXPECT_TRUE(dialog.loadAction()->isEnabled());
    dialog.loadAction()->trigger();
    EXPECT_EQ(dialog.csizeEdit()->text(), u"12");
    EXPECT_EQ(dialog.numsEdit()->text(), u"11");

    answer = dir.filePath(u"copy.txt"_s);
    dialog.updateMenu();
    dialog.saveAction()->trigger();
    QFile saved(answer);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("01 05 06 07 08 09\r\n02 05 06 07 08 10\r\n"));
    SetSystemFileDialog(nullptr);

    dialog.combsEdit()->selectAll();
    dialog.updateMenu();
    dialog.copyAction()->trigger();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(u"01 05 06 07 08 09\n"));
    dialog.combsEdit()->clear();
    QApplication::clipboard()->setText(u"3 4 5 6 7 8"_s);
    dialog.updateMenu();
    EXPECT_TRUE(dialog.pasteAction()->isEnabled());
    dialog.pasteAction()->trigger();
    EXPECT_EQ(dialog.combsEdit()->toPlainText(), u"3 4 5 6 7 8");
    EXPECT_EQ(boxes.count(), 0);
}
