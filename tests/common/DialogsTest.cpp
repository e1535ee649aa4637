#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/widgets/WidgetHooks.h"
#include "tests/support/ScriptedMessages.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;

TEST(Dialogs, FixedCaptionsAndFlags)
{
    ScriptedMessages boxes;
    EXPECT_EQ(ShowErrorBox(u"e"_s), IDOK);
    ShowInfoBox(u"i"_s);
    ShowAttentionBox(u"a"_s);
    ShowWarningBox(u"w"_s);
    ConfirmBox(u"c"_s);
    ConfirmBoxDefaultNo(u"d"_s);
    ASSERT_EQ(boxes.count(), 6);
    EXPECT_EQ(boxes.boxes()[0].caption, u"Ошибка");
    EXPECT_EQ(boxes.boxes()[0].flags, 0x10u);
    EXPECT_EQ(boxes.boxes()[1].caption, u"Информация");
    EXPECT_EQ(boxes.boxes()[1].flags, 0x40u);
    EXPECT_EQ(boxes.boxes()[2].caption, u"Внимание!");
    EXPECT_EQ(boxes.boxes()[2].flags, 0x30u);
    EXPECT_EQ(boxes.boxes()[3].caption, u"Предупреждение");
    EXPECT_EQ(boxes.boxes()[4].caption, u"Подтверждение");
    EXPECT_EQ(boxes.boxes()[4].flags, 0x24u);
    EXPECT_EQ(boxes.boxes()[5].flags, 0x124u);
}

TEST(Dialogs, ConfirmDeleteRecords)
{
    ScriptedMessages boxes;
    boxes.answer(IDYES);
    EXPECT_TRUE(ConfirmDeleteRecords(1));
    EXPECT_EQ(boxes.last().text, u"Удалить выделенную запись?");
    EXPECT_EQ(boxes.last().caption, u"Предупреждение");
    EXPECT_EQ(boxes.last().flags, 0x124u);
    boxes.answer(IDNO);
    EXPECT_FALSE(ConfirmDeleteRecords(5));
    EXPECT_EQ(boxes.last().text, u"Удалить все выделенные записи (всего будет удалено 5 записи(ей))?");
    EXPECT_FALSE(ConfirmDeleteRecords(2)); // no scripted answer: the safe No
}

TEST(BusyCursor, NestsAndNeverGoesBelowZero)
{
    std::vector<bool> shown;
    SetBusyCursorHook([&](bool busy) { shown.push_back(busy); });
    EndBusyCursor();
    EXPECT_TRUE(IsNotBusy());
    EXPECT_EQ(shown, std::vector<bool>{false});
    BeginBusyCursor();
    BeginBusyCursor();
    EndBusyCursor();
    EXPECT_FALSE(IsNotBusy());
    EndBusyCursor();
    EXPECT_TRUE(IsNotBusy());
    EXPECT_EQ(BusyCount(), 0);
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true, false}));
    SetBusyCursorHook({});
}

TEST(BusyCursor, StatusTextProcessesMessagesWithoutWindow)
{
    bool ran = false;
    QTimer::singleShot(0, qApp, [&] { ran = true; });
    SetStatusText(u"text"_s);
    EXPECT_TRUE(ran);
}

TEST(BusyCursor, DelayWaitsAtLeastTheTime)
{
    QElapsedTimer t;
    t.start();
    DelayWithMessages(120);
    EXPECT_GE(t.elapsed(), 115);
}

// A failed command is shown once in an error box with the text the user can read, and the caller
// learns that it failed; a command that ends normally shows nothing.
TEST(Dialogs, CommandFailuresAreShownWithTheirText)
{
    ScriptedMessages boxes;
    EXPECT_TRUE(RunCommand([] {}));
    EXPECT_EQ(boxes.count(), 0);

    EXPECT_FALSE(RunCommand([] { throw EInOutError(u"Ошибка чтения файла ставок!"_s); }));
    EXPECT_FALSE(RunCommand([] { throw std::bad_alloc(); }));
    EXPECT_FALSE(RunCommand([] { throw std::runtime_error("disk full"); }));
    ASSERT_EQ(boxes.count(), 3);
    for (const auto &box : boxes.boxes())
        EXPECT_EQ(box.caption, u"Ошибка");
    EXPECT_EQ(boxes.boxes()[0].text, u"Ошибка чтения файла ставок!");
    EXPECT_EQ(boxes.boxes()[1].text, u"Недостаточно памяти для выполнения операции!");
    EXPECT_EQ(boxes.boxes()[2].text, u"disk full");
}

// A report of many lines (one per deleted file) would make a box taller than the screen with its
// button out of reach: it keeps its head and its last lines in view, and nothing of it is lost.
TEST(Dialogs, LongMessagesKeepTheirButtonInReach)
{
    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines << u"Удаление файла \"ScriptLog_%1.txt\""_s.arg(i);
    lines << QString() << u"Удалено файлов: 150"_s;
    const QString text = lines.join(u'\n');
    QString details;
    const QString shown = ShortenLongMessage(text, kMaxMessageBoxLines, details);
    const QStringList shownLines = shown.split(u'\n');
    EXPECT_LE(shownLines.size(), kMaxMessageBoxLines);
    EXPECT_EQ(shownLines.first(), lines.first());
    EXPECT_EQ(shownLines.last(), u"Удалено файлов: 150");
    EXPECT_EQ(details, text);

    const QString shortText = u"Файлы журналов не найдены!"_s;
    EXPECT_EQ(ShortenLongMessage(shortText, kMaxMessageBoxLines, details), shortText);
    EXPECT_TRUE(details.isEmpty());
}

TEST(Dialogs, BoxesOpenOnTheWindowTheUserWorksInNotOnAWaitWindow)
{
    QMainWindow window;
    window.show();
    QWidget wait(nullptr, Qt::Tool | Qt::FramelessWindowHint); // as the wait and progress windows
    wait.show();
    wait.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wait));
    QDialog dialog(&window);
    dialog.setModal(true);
    for (QWidget *owner : {static_cast<QWidget *>(&window), static_cast<QWidget *>(&dialog)}) {
        QTimer::singleShot(0, [owner] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr) << "no box is open";
            EXPECT_EQ(box->parentWidget(), owner);
            box->done(0);
        });
        WidgetMessageSink().show(u"Информация"_s, u"Текст"_s, MB_OK);
        dialog.show(); // a box of a modal dialog belongs to it
    }
}
