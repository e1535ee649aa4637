#include "common/BusyCursor.h"
#include "common/Exception.h"
#include "common/widgets/ProgressWindow.h"
#include "common/widgets/WaitWindow.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ProgressWindow, GaugeNeverPassesItsMaximum)
{
    ProgressGuard guard(u"Экспорт"_s, 10);
    ASSERT_NE(ProgressWindow(), nullptr);
    EXPECT_EQ(ProgressWindow()->position(), 0);
    EXPECT_EQ(ProgressWindow()->maximum(), 10);
    StepProgress(4);
    EXPECT_EQ(ProgressWindow()->position(), 4);
    StepProgress(4);
    StepProgress(4);
    EXPECT_EQ(ProgressWindow()->position(), 10);
    StepProgress(2'000'000'000);
    StepProgress(2'000'000'000);
    EXPECT_EQ(ProgressWindow()->position(), 10);
    StepProgress(-100);
    EXPECT_EQ(ProgressWindow()->position(), 0);
}

TEST(ProgressWindow, SecondWindowIsRefusedAndFirstKept)
{
    ShowProgress(u"Первое"_s, 5);
    TFormProgress *first = ProgressWindow();
    StepProgress(3);
    try {
        ShowProgress(u"Второе"_s, 100, true);
        FAIL() << "a second progress window was opened";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Окно индикатора уже создано!");
    }
    EXPECT_EQ(ProgressWindow(), first);
    EXPECT_EQ(first->text(), u"Первое");
    EXPECT_EQ(first->position(), 3);
    EXPECT_EQ(first->maximum(), 5);

    // A guard whose window could not open must not close the one that is open.
    EXPECT_THROW(ProgressGuard(u"x"_s, 1), Exception);
    EXPECT_EQ(ProgressWindow(), first);

    CloseProgress();
    EXPECT_EQ(ProgressWindow(), nullptr);
    ShowProgress(u"Снова"_s, 2);
    EXPECT_NE(ProgressWindow(), nullptr);
    CloseProgress();
}

TEST(ProgressWindow, TextStopButtonAndHeight)
{
    {
        ProgressGuard guard(u"Шаг 1\rиз 2"_s, 2);
        TFormProgress *w = ProgressWindow();
        EXPECT_EQ(w->text(), u"Шаг 1\nиз 2");
        EXPECT_TRUE(w->stopButton()->isHidden());
        EXPECT_EQ(w->height(), 74);
        EXPECT_EQ(w->width(), 416);
        SetProgressText(u"Шаг 2"_s);
        EXPECT_EQ(w->findChild<QLabel *>(u"TextLabel"_s)->text(), u"Шаг 2");
    }
    EXPECT_EQ(ProgressWindow(), nullptr);

    ProgressGuard guard(u"С кнопкой"_s, 3, true);
    TFormProgress *w = ProgressWindow();
    EXPECT_FALSE(w->stopButton()->isHidden());
    EXPECT_EQ(w->height(), 105);
    EXPECT_EQ(w->stopButton()->text(), u"Отмена");
    EXPECT_EQ(w->stopButton()->toolTip(), u"Прервать операцию");
    EXPECT_FALSE(ProgressStopRequested());
    w->stopButton()->click();
    EXPECT_TRUE(ProgressStopRequested());
    EXPECT_FALSE(w->stopButton()->isEnabled());
}

TEST(StatusWindows, UpdatesWithoutWindowDoNothing)
{
    ASSERT_EQ(ProgressWindow(), nullptr);
    ASSERT_EQ(WaitWindow(), nullptr);
    SetProgressText(u"x"_s);
    StepProgress(1);
    RepaintProgress();
    CloseProgress();
    UpdateWait(u"x"_s);
    HideWait();
    EXPECT_EQ(ProgressWindow(), nullptr);
    EXPECT_EQ(WaitWindow(), nullptr);
    EXPECT_FALSE(ProgressStopRequested());
}

TEST(WaitWindow, ReusedAndTextCentredWithinLimits)
{
    WaitGuard guard(u"Загрузка тиражей..."_s);
    TFormWait *w = WaitWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    ShowWait(u"Второй текст"_s);
    EXPECT_EQ(WaitWindow(), w);
    EXPECT_EQ(w->infoText(), u"Второй текст");
    UpdateWait(u"Третий"_s);
    EXPECT_EQ(w->infoText(), u"Третий");

    const QLabel *label = w->infoLabel();
    EXPECT_EQ(label->width(), 346);
    const int shortHeight = label->height();
    EXPECT_GE(shortHeight, 10);
    EXPECT_EQ(label->y(), (77 - shortHeight) / 2);

    QString longText;
    for (int i = 0; i < 60; ++i)
        longText += u"очень длинный текст "_s;
    UpdateWait(longText);
    EXPECT_EQ(label->height(), 53);
    EXPECT_EQ(label->y(), (77 - 53) / 2);
}

TEST(WaitWindow, WaitAndProgressOpenWhereTheActionsBoxesOpen)
{
    // A main window off the screen's centre: the boxes of its actions open centred on it, and so do
    // the windows of its waits; one partly off the screen keeps them inside the screen.
    QMainWindow main;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QRect &at : {QRect(screen.left() + 10, screen.top() + 20, 500, 300),
                            QRect(screen.right() - 150, screen.bottom() - 100, 500, 300)}) {
        main.setGeometry(at);
        main.show();
        QApplication::processEvents();
        const QPoint centre = main.frameGeometry().center();
        for (const bool progress : {false, true}) {
            progress ? ShowProgress(u"Генерация комбинаций..."_s, 10, true) : ShowWait(u"Загрузка тиражей..."_s);
            const QWidget *shown = progress ? static_cast<QWidget *>(ProgressWindow()) : WaitWindow();
            ASSERT_NE(shown, nullptr);
            const QRect placed = shown->frameGeometry();
            EXPECT_TRUE(screen.contains(placed)) << progress;
            if (screen.contains(main.frameGeometry())) {
                EXPECT_LE((placed.center() - centre).manhattanLength(), 2) << progress;
            }
            progress ? CloseProgress() : HideWait();
        }
    }
}

TEST(WaitWindow, ABlockingWaitDropsInputButNotThatOfADialogOpenedMeanwhileAndEscCancels)
{
    TWaitWindowHost host;
    SetBlockingWaitHost(&host);
    QLineEdit field;
    field.show();
    int dialogs = 0;
    bool typedInDialog = false;
    QTimer user;
    user.setInterval(10);
    QElapsedTimer clock;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (dialogs == 0 && clock.elapsed() > 50) {
            ++dialogs;
            QTest::keyClicks(&field, u"abc"_s);
            // Something the wait let run asks a question: the user can answer it.
            QDialog dialog;
            QLineEdit answer(&dialog);
            QTimer::singleShot(30, &dialog, [&] {
                QTest::keyClicks(&answer, u"yes"_s);
                typedInDialog = answer.text() == u"yes";
                QTest::keyClick(&dialog, Qt::Key_Escape);
                if (dialog.isVisible())
                    dialog.reject(); // never left hanging
            });
            dialog.exec();
        }
        if (host.window() && host.window()->isVisible())
            QTest::keyClick(&field, Qt::Key_Escape);
    });
    clock.start();
    user.start();
    bool cancelled = false;
    {
        BlockingWait wait(u"Ожидание ответа сервера"_s);
        // Only Esc ends the wait; the deadline only keeps a fault from holding the test for ever.
        while (!cancelled && clock.elapsed() < 120000)
            cancelled = wait.poll();
    }
    user.stop();
    SetBlockingWaitHost(nullptr);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(typedInDialog);
    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_TRUE(cancelled);
    EXPECT_GE(clock.elapsed(), TWaitWindowHost::kShowAfterMs);
    EXPECT_EQ(host.window(), nullptr);
    QTest::keyClicks(&field, u"abc"_s);
    EXPECT_EQ(field.text(), u"abc");
}

TEST(WaitWindow, OverTheProgressWindowTheWaitOfARequestNamesItsTask)
{
    SetStatusText({}); // the update check writes none
    TWaitWindowHost host;
    ProgressGuard progress(u"Поиск доступных обновлений..."_s, 5);
    host.begin(u"Ожидание ответа сервера"_s);
    QElapsedTimer clock;
    clock.start();
    while (!host.window() && clock.elapsed() < 10000)
        host.poll();
    ASSERT_NE(host.window(), nullptr);
    EXPECT_EQ(host.window()->infoText(), u"Поиск доступных обновлений...\nОжидание ответа сервера");
    host.end();
}
