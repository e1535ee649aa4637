#include "common/IniFile.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/window/ProxyDialog.h"
#include "app/settings/ProxySettings.h"

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Hands out a fixed list and remembers what it was asked.
class FixedCandidates : public IProxyCandidateSource {
public:
    explicit FixedCandidates(QStringList list) : m_list(std::move(list)) {}
    QStringList searchProxies(const TProxySearchRequest &request) override
    {
        ++searches;
        lastRequest = request;
        return m_list;
    }
    int searches = 0;
    TProxySearchRequest lastRequest;

private:
    QStringList m_list;
};

TProxy readFrom(const QString &iniText)
{
    IniFile ini;
    ini.setText(iniText);
    TProxy proxy;
    ReadProxySection(ini, proxy);
    return proxy;
}

} // namespace

TEST(ProxySettings, ModeDefaultsFollowTheServer)
{
    const TProxy manual = readFrom(u"[PROXY]\r\nProxyServer=10.0.0.5\r\n"_s);
    EXPECT_EQ(manual.mode, pmProxyManual);
    EXPECT_EQ(manual.port, 80);
    EXPECT_EQ(readFrom(u"[PROXY]\r\nProxyPort=3128\r\n"_s).mode, pmProxyOff);
    EXPECT_EQ(readFrom(u"[PROXY]\r\nProxyMode=1\r\nProxyServer=h\r\nProxyPort=8080\r\n"_s).mode, pmProxyAuto);
    EXPECT_EQ(readFrom(u"[PROXY]\r\nProxyMode=7\r\nProxyServer=h\r\n"_s).mode, pmProxyOff);
}

TEST(ProxySettings, SaveKeepsOtherSectionsAndHidesThePassword)
{
    TempDataFolder folder;
    const QString ini = folder.file(u"Vendra.ini"_s);
    folder.write(u"Vendra.ini"_s, "[GLOBAL]\r\nDrawsStatLen=100\r\n");
    TProxy proxy{pmProxyManual, u"10.0.0.5"_s, 3128, u"ivan"_s, u"секрет"_s, false};
    ScriptedMessages boxes;
    ASSERT_TRUE(SaveProxySettings(proxy, true, ini));
    EXPECT_TRUE(proxy.saved);
    EXPECT_EQ(boxes.count(), 0);

    const QByteArray text = folder.read(u"Vendra.ini"_s);
    EXPECT_TRUE(text.startsWith("[GLOBAL]\r\nDrawsStatLen=100\r\n"));
    EXPECT_TRUE(text.contains("[PROXY]\r\nProxyMode=2\r\nProxyServer=10.0.0.5\r\nProxyPort=3128\r\n"
                              "ProxyUsername=ivan\r\nProxyPassword="));
    EXPECT_EQ(QFile::permissions(ini) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());

    TProxy loaded;
    LoadProxySettings(loaded, ini);
    EXPECT_EQ(loaded, proxy);
}

TEST(ProxySettings, AFailedSaveSaysSoAndLeavesTheSettingsUnsaved)
{
    TempDataFolder folder;
    TProxy proxy{pmProxyManual, u"h"_s, 80, {}, {}, false};
    ScriptedMessages boxes;
    EXPECT_FALSE(SaveProxySettings(proxy, false, folder.file(u"missing/Vendra.ini"_s)));
    EXPECT_FALSE(proxy.saved);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка записи в файл конфигурации!\r\r"));
}

TEST(ProxyManager, AppliesTheModeAndShowsTheAttempt)
{
    TProxy proxy{pmProxyManual, u"10.0.0.5"_s, 3128, u"ivan"_s, u"pw"_s, true};
    TNoProxyCandidates none;
    TProxyManager manager(proxy, none);
    QStringList texts;
    manager.setWaitTextSink([&texts](const QString &t) { texts << t; });
    THttpClient client;

    EXPECT_TRUE(manager.SetupProxy(client, u"https://site/x"_s, 1));
    EXPECT_EQ(client.proxy(), (THttpProxy{u"10.0.0.5"_s, 3128, u"ivan"_s, u"pw"_s}));
    EXPECT_EQ(texts.last(), u"Загрузка архива тиражей...\r\rПопытка 1, proxy 10.0.0.5 : 3128");
    EXPECT_FALSE(manager.NextProxyCandidate()); // only the automatic mode has candidates
    EXPECT_EQ(proxy.server, u"10.0.0.5");

    proxy.mode = pmProxyOff;
    EXPECT_TRUE(manager.SetupProxy(client, u"https://site/x"_s, 2));
    EXPECT_FALSE(client.proxy().isSet());
    EXPECT_EQ(texts.last(), u"Загрузка архива тиражей...");

    // Automatic with a saved server: that server first, no search.
    proxy = {pmProxyAuto, u"10.0.0.9"_s, 8080, {}, {}, true};
    manager.beginDownload();
    EXPECT_TRUE(manager.SetupProxy(client, u"https://site/x"_s, 1));
    EXPECT_EQ(client.proxy().server, u"10.0.0.9");
    // When it fails a search is to come; the settings file is left alone, and with no other route
    // that carried a page the saved server is the one in use again.
    TempDataFolder folder;
    manager.setIniFileName(folder.file(u"Vendra.ini"_s));
    EXPECT_TRUE(manager.NextProxyCandidate());
    EXPECT_TRUE(proxy.server.isEmpty());
    EXPECT_FALSE(QFile::exists(folder.file(u"Vendra.ini"_s)));
    manager.endDownload();
    EXPECT_EQ(proxy, (TProxy{pmProxyAuto, u"10.0.0.9"_s, 8080, {}, {}, true}));

    // Automatic without candidates: the set-up fails with the reason, the client goes nowhere.
    proxy = {pmProxyAuto, {}, 0, {}, {}, true};
    EXPECT_FALSE(manager.SetupProxy(client, u"https://site/x"_s, 1));
    EXPECT_EQ(manager.lastError(), u"Не найдено ни одного proxy-сервера с заданными параметрами");
    EXPECT_FALSE(client.proxy().isSet());
    EXPECT_TRUE(texts.contains(u"Загрузка архива тиражей...\r\rПоиск proxy-серверов"_s));
}

TEST(ProxyManager, WalksTheCandidatesAndDropsBadEntries)
{
    TProxy proxy{pmProxyAuto, {}, 0, {}, {}, true};
    FixedCandidates source({u"127.0.0.1"_s, u" 10.0.0.1 : 8080 "_s, u"10.0.0.2:3128"_s});
    TProxyManager manager(proxy, source);
    THttpClient client;

    // An entry without a port is a failed attempt.
    EXPECT_FALSE(manager.SetupProxy(client, u"http://site/x"_s, 1));
    EXPECT_EQ(manager.lastError(), u"\"\" - некорректное целое число");
    EXPECT_FALSE(source.lastRequest.httpsOnly);
    EXPECT_TRUE(manager.NextProxyCandidate());

    EXPECT_TRUE(manager.SetupProxy(client, u"https://site/x"_s, 2));
    EXPECT_EQ(client.proxy(), (THttpProxy{u"10.0.0.1"_s, 8080, {}, {}}));
    EXPECT_EQ(proxy.server, u"10.0.0.1");
    EXPECT_FALSE(proxy.saved);
    EXPECT_EQ(source.searches, 1);

    EXPECT_TRUE(manager.NextProxyCandidate());
    EXPECT_TRUE(proxy.server.isEmpty());
    EXPECT_EQ(proxy.port, 0);
    EXPECT_TRUE(manager.SetupProxy(client, u"https://site/x"_s, 3));
    EXPECT_EQ(client.proxy().port, 3128);
    EXPECT_FALSE(manager.NextProxyCandidate());
    ASSERT_NE(manager.candidates(), nullptr);
    EXPECT_TRUE(manager.candidates()->isEmpty());

    // The list ran out: the next set-up searches again.
    EXPECT_FALSE(manager.SetupProxy(client, u"https://site/x"_s, 4));
    EXPECT_EQ(source.searches, 2);
    EXPECT_TRUE(source.lastRequest.httpsOnly);
    EXPECT_EQ(source.lastRequest.minUptime, 75);
    EXPECT_EQ(source.lastRequest.count, 30);
    manager.freeCandidates();
    EXPECT_EQ(manager.candidates(), nullptr);
}

TEST(ProxyDialog, FillsEnablesAndReadsBack)
{
    TFormProxy dialog;
    dialog.fill({pmProxyManual, u"10.0.0.5"_s, 3128, u"ivan"_s, u"pw"_s, true});
    EXPECT_EQ(dialog.windowTitle(), u"Параметры proxy-сервера");
    EXPECT_TRUE(dialog.findChild<QRadioButton *>(u"rbProxyManual"_s)->isChecked());
    EXPECT_TRUE(dialog.findChild<QLineEdit *>(u"edServer"_s)->isEnabled());
    EXPECT_EQ(dialog.findChild<QSpinBox *>(u"edPort"_s)->value(), 3128);

    dialog.findChild<QRadioButton *>(u"rbProxyOff"_s)->setChecked(true);
    EXPECT_FALSE(dialog.findChild<QLineEdit *>(u"edServer"_s)->isEnabled());
    EXPECT_FALSE(dialog.findChild<QLineEdit *>(u"edPassword"_s)->isEnabled());
    TProxy off;
    dialog.readBack(off);
    EXPECT_EQ(off, (TProxy{pmProxyOff, u"10.0.0.5"_s, 3128, u"ivan"_s, u"pw"_s, false}));

    TFormProxy fresh;
    fresh.fill({});
    EXPECT_TRUE(fresh.offButton()->isChecked());
    EXPECT_EQ(fresh.portEdit()->value(), 1); // port 0 shows as the lowest the edit allows
}

TEST(ProxyDialog, AutomaticModeIsSavedWithoutAServer)
{
    TempDataFolder folder;
    const QString ini = folder.file(u"Vendra.ini"_s);
    TProxy proxy{pmProxyManual, u"10.0.0.5"_s, 3128, u"ivan"_s, u"pw"_s, true};
    SetDialogPlayer([](TDialogSTemplate &d) {
        auto &dialog = static_cast<TFormProxy &>(d);
        dialog.autoButton()->setChecked(true);
        dialog.pressOk();
        return dialog.result();
    });
    EXPECT_TRUE(EditProxySettings(proxy, nullptr, ini));
    SetDialogPlayer(nullptr);
    EXPECT_EQ(proxy, (TProxy{pmProxyAuto, {}, 0, {}, {}, true}));
    EXPECT_TRUE(folder.read(u"Vendra.ini"_s)
                    .contains("ProxyMode=1\r\nProxyServer=\r\nProxyPort=0\r\nProxyUsername=\r\nProxyPassword="));
}

TEST(ProxyDialog, ATypedAddressWithSchemeOrBlanksIsRefused)
{
    ScriptedMessages boxes;
    TFormProxy dialog;
    dialog.fill({pmProxyManual, u"http://proxy:8080"_s, 80, {}, {}, false});
    EXPECT_FALSE(dialog.pressOk());
    EXPECT_EQ(boxes.count(), 1);
    dialog.serverEdit()->setText(u" proxy.example.org "_s);
    EXPECT_TRUE(dialog.pressOk());
    TProxy proxy;
    dialog.readBack(proxy);
    EXPECT_EQ(proxy.server, u"proxy.example.org");
}
