#include "common/Crc32.h"
#include "common/ProgramFiles.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/RecordingProcesses.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/window/FormMain.h"
#include "ui/window/UpdateFeature.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(UpdateFeature, InformerShowsBothVersionsAndTheDescription)
{
    TfrmUpdateInformer dialog;
    TrSU_VerData data;
    data.description = u"Vendra 1.0.0.6"_s;
    dialog.fill(u"1.0.0.5"_s, data, {u"Первая строка"_s, u"Вторая строка"_s});
    EXPECT_EQ(dialog.windowTitle(), u"Найдена новая версия программы");
    EXPECT_EQ(dialog.currentVersionEdit()->text(), u"1.0.0.5");
    EXPECT_EQ(dialog.newVersionEdit()->text(), u"Vendra 1.0.0.6");
    EXPECT_EQ(dialog.descriptionMemo()->toPlainText(), u"Первая строка\nВторая строка");
    EXPECT_TRUE(dialog.descriptionMemo()->isReadOnly());
    EXPECT_EQ(dialog.okButton()->text(), u"Установить");
    EXPECT_EQ(dialog.okButton()->toolTip(), u"Установить это обновление");
    EXPECT_EQ(dialog.cancelButton()->toolTip(), u"Отказаться от обновления");
}

TEST(UpdateFeature, RestartStartsTheProgramAgainWithoutWaiting)
{
    TempDataFolder folder;
    RecordingProcessRunner runner;
    int ended = 0;
    RestartProgram([&] {
        EXPECT_EQ(runner.starts().size(), 1u); // started before this copy ends
        ++ended;
    });
    EXPECT_EQ(ended, 1);
    ASSERT_EQ(runner.starts().size(), 1u);
    EXPECT_EQ(runner.last().command.program, GetProgramFileName());
    EXPECT_EQ(runner.last().command.arguments, QStringList{u"restart"_s});
    EXPECT_EQ(runner.last().command.folder, GetProgramFolder());
    EXPECT_FALSE(runner.last().wait);
}

TEST(UpdateFeature, CheckUpdateCommandInstallsAfterConsentAndRestarts)
{
    const TestCertificates *certs = TestCertificates::instance();
    if (!certs)
        GTEST_SKIP() << "no openssl command for the test certificates";
    LocalHttpServer server;
    ASSERT_TRUE(server.startTls(certs->serverCert(), certs->serverKey()));
    TempDataFolder folder;
    ScriptedMessages messages;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\n");
    folder.write(u"Vendra.ini"_s, "[UPDATE]\r\nUrl=" + server.baseUrl().toUtf8() + "/u/Kenvo_AU.cfg\r\nCaFile=" +
                                      certs->caFile().toUtf8() + "\r\n");

    TFormMain window{TStartSwitches{}};
    window.FormCreate();
    TUpdateFeature *feature = InstallUpdate(window);
    // The program's files live apart from the data folder (VENDRA_HOME).
    QTemporaryDir programFolder;
    feature->setProgramFolder(programFolder.path());
    QMenu *options = window.findMenu(u"menuOptions"_s);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->actions().contains(feature->checkUpdateAction()));
    EXPECT_EQ(feature->checkUpdateAction()->objectName(), u"CheckUpdate");
    int restarts = 0;
    feature->setRestart([&] { ++restarts; });
    // The command is disabled while a request runs and enabled again by the window's next update of
    // its commands, as a user would see it: trigger it only once it is enabled.
    const auto checkUpdate = [&] {
        const QDeadlineTimer deadline(5000);
        while (!feature->checkUpdateAction()->isEnabled() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(feature->checkUpdateAction()->isEnabled());
        feature->checkUpdateAction()->trigger();
    };

    // Automatic updates off: the start-up check asks nothing.
    EXPECT_EQ(feature->AutoUpdateOnStart(), 0);
    EXPECT_EQ(server.requestCount(), 0);

    // No section for this program: the command says so.
    server.route("/u/Kenvo_AU.cfg", LocalHttpReply::text("[Other]\r\nVerId=1.0.0.99\r\n"));
    checkUpdate();
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Обновлений не найдено!");

    const QByteArray script = "#!/bin/sh\nprintf 'new' > Vendra.dat\n";
    const QString section = QFileInfo(GetProgramFileName()).fileName();
    server.route("/u/setup.upd", LocalHttpReply::text(script));
    server.route("/u/Kenvo_AU.cfg",
                 LocalHttpReply::text("[" + section.toUtf8() + "]\r\nVerId=1.0.0.6\r\nDescription=Vendra 1.0.0.6\r\n"
                                      "DownloadUrl=" + server.baseUrl().toUtf8() + "/u/setup.upd\r\n"
                                      "OriginalFileName=setup.sh\r\nChecksumCRC32=" +
                                      QByteArray::number(Crc32Of(script.constData(), size_t(script.size())), 16) +
                                      "\r\n"));

    // Declined in the dialog: nothing installed, no restart.
    QString shownVersion;
    SetDialogPlayer([&](TDialogSTemplate &dialog) {
        // the start-up's first-run window may come first on a loaded machine: it is only closed
        if (auto *informer = dynamic_cast<TfrmUpdateInformer *>(&dialog))
            shownVersion = informer->newVersionEdit()->text();
        dialog.pressCancel();
        return dialog.result();
    });
    checkUpdate();
    EXPECT_EQ(shownVersion, u"Vendra 1.0.0.6");
    EXPECT_FALSE(folder.exists(u"Vendra.dat"_s));
    EXPECT_FALSE(QFileInfo::exists(QDir(programFolder.path()).filePath(u"Vendra.dat"_s)));
    EXPECT_EQ(restarts, 0);

    SetDialogPlayer([](TDialogSTemplate &dialog) {
        if (dynamic_cast<TfrmUpdateInformer *>(&dialog))
            dialog.pressOk();
        else
            dialog.pressCancel();
        return dialog.result();
    });
    checkUpdate();
    SetDialogPlayer(nullptr);
    QFile installed(QDir(programFolder.path()).filePath(u"Vendra.dat"_s));
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    EXPECT_EQ(installed.readAll(), "new");
    EXPECT_FALSE(folder.exists(u"Vendra.dat"_s)); // nothing of the program goes to the data folder
    EXPECT_EQ(restarts, 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Установка обновления \"Vendra 1.0.0.6\" успешно выполнена."_s));
}
