#include "common/BusyCursor.h"
#include "common/OperationLog.h"
#include "common/widgets/MessageViewer.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

void closeViewer()
{
    if (TFormMsgViewer *viewer = MessageViewer())
        viewer->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QColor colourOfBlock(const QTextEdit *list, int blockNo)
{
    const QTextBlock block = list->document()->findBlockByNumber(blockNo);
    return block.begin().fragment().charFormat().foreground().color();
}

} // namespace

TEST(MessageViewer, OneWindowCollectsTheMessages)
{
    closeViewer();
    ShowLogMessage({}, u"  Первое\r\nсообщение  "_s, Qt::darkGreen);
    TFormMsgViewer *viewer = MessageViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), u"Сообщения");
    EXPECT_TRUE(viewer->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(viewer->msgList()->isReadOnly());
    EXPECT_EQ(viewer->msgList()->lineWrapMode(), QTextEdit::NoWrap);

    ShowLogMessage(u"Обновление"_s, u"Второе"_s, QColor(0x80, 0, 0), LFS_BOLD);
    ShowLogMessage({}, u" \r\n "_s, Qt::red); // blank: nothing is added
    EXPECT_EQ(MessageViewer(), viewer);
    EXPECT_EQ(viewer->windowTitle(), u"Обновление");
    EXPECT_EQ(viewer->messageCount(), 2);
    EXPECT_EQ(viewer->statusText(), u"Всего сообщений: 2");
    EXPECT_EQ(viewer->msgList()->toPlainText(), u"Первое\nсообщение\n\nВторое");
    EXPECT_EQ(colourOfBlock(viewer->msgList(), 0), QColor(Qt::darkGreen));
    EXPECT_EQ(colourOfBlock(viewer->msgList(), 3), QColor(0x80, 0, 0));
    closeViewer();
    EXPECT_EQ(MessageViewer(), nullptr);

    // A new window counts from zero again.
    ShowLogMessage({}, u"Снова"_s, Qt::black);
    ASSERT_NE(MessageViewer(), nullptr);
    EXPECT_EQ(MessageViewer()->messageCount(), 1);
    EXPECT_EQ(MessageViewer()->windowTitle(), u"Сообщения");
    closeViewer();
}

TEST(MessageViewer, ActionsAndBusyState)
{
    closeViewer();
    ShowLogMessage({}, u"Текст"_s, Qt::black);
    TFormMsgViewer *viewer = MessageViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->actEditSelectAll()->objectName(), u"EditSelectAll");
    EXPECT_EQ(viewer->actEditSelectAll()->text(), u"Выделить все");
    EXPECT_EQ(viewer->actEditSelectAll()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    EXPECT_EQ(viewer->actEditCopy()->text(), u"Копировать");
    EXPECT_EQ(viewer->actEditCopy()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Insert));
    EXPECT_EQ(viewer->actCloseMsgs()->text(), u"Закрыть");
    EXPECT_EQ(viewer->actCloseMsgs()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F4));

    viewer->actEditSelectAll()->trigger();
    EXPECT_EQ(viewer->msgList()->textCursor().selectedText(), u"Текст");

    {
        BusySection busy;
        viewer->updateActions();
        EXPECT_FALSE(viewer->actCloseMsgs()->isEnabled());
        viewer->actCloseMsgs()->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(MessageViewer(), viewer);
    }
    viewer->updateActions();
    EXPECT_TRUE(viewer->actCloseMsgs()->isEnabled());
    viewer->actCloseMsgs()->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(MessageViewer(), nullptr);
}

TEST(MessageViewer, OperationErrorsReachTheViewer)
{
    closeViewer();
    InstallMessageViewer();
    TQOperation op;
    InitOperation(u"Обновление"_s, op);
    TQTransaction tr;
    InitTransaction(u"Копирование \"a\""_s, tr);
    tr.kind = MSG_ERROR;
    tr.detail = u"Нет места"_s;
    tr.endTime = tr.startTime;
    bool abort = false;
    AddTransaction(tr, op, ATO_SHOW_IN_VIEWER, {}, abort);
    SetLogViewerHook({});

    ASSERT_NE(MessageViewer(), nullptr);
    EXPECT_EQ(MessageViewer()->messageCount(), 1);
    const QString text = MessageViewer()->msgList()->toPlainText();
    EXPECT_TRUE(text.contains(u"] Ошибка при выполнении операции \"Копирование \"a\"\":\nНет места!")) << qPrintable(text);
    EXPECT_EQ(colourOfBlock(MessageViewer()->msgList(), 0), QColor(0x80, 0, 0));
    closeViewer();
}
