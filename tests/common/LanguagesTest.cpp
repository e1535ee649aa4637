#include "common/Exception.h"
#include "common/Languages.h"
#include "common/ProgramFiles.h"
#include "common/Translate.h"
#include "common/widgets/FileDialogs.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempDataFolder.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeySequence>
#include <QTest>
#include <QTreeView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// A translation file with one text: "Архив тиражей" in the context "LanguagesTest" is
// "Draws archive" (made with the Qt translation tools from a one-message source).
const unsigned char kEnglishModule[] = {
  0x3c, 0xb8, 0x64, 0x18, 0xca, 0xef, 0x9c, 0x95, 0xcd, 0x21, 0x1c, 0xbf,
  0x60, 0xa1, 0xbd, 0xdd, 0xa7, 0x00, 0x00, 0x00, 0x05, 0x65, 0x6e, 0x5f,
  0x55, 0x53, 0x42, 0x00, 0x00, 0x00, 0x08, 0x02, 0x04, 0xc8, 0x69, 0x00,
  0x00, 0x00, 0x00, 0x69, 0x00, 0x00, 0x00, 0x55, 0x03, 0x00, 0x00, 0x00,
  0x1a, 0x00, 0x44, 0x00, 0x72, 0x00, 0x61, 0x00, 0x77, 0x00, 0x73, 0x00,
  0x20, 0x00, 0x61, 0x00, 0x72, 0x00, 0x63, 0x00, 0x68, 0x00, 0x69, 0x00,
  0x76, 0x00, 0x65, 0x08, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,
  0x19, 0xd0, 0x90, 0xd1, 0x80, 0xd1, 0x85, 0xd0, 0xb8, 0xd0, 0xb2, 0x20,
  0xd1, 0x82, 0xd0, 0xb8, 0xd1, 0x80, 0xd0, 0xb0, 0xd0, 0xb6, 0xd0, 0xb5,
  0xd0, 0xb9, 0x07, 0x00, 0x00, 0x00, 0x0d, 0x4c, 0x61, 0x6e, 0x67, 0x75,
  0x61, 0x67, 0x65, 0x73, 0x54, 0x65, 0x73, 0x74, 0x01, 0x88, 0x00, 0x00,
};

QString Translated()
{
    return QCoreApplication::translate("LanguagesTest", "Архив тиражей");
}

class LanguageModules : public ::testing::Test {
protected:
    void SetUp() override
    {
        FinalizeLanguages();
        folder.write(u"Vendra_ENU.lng"_s, QByteArray(reinterpret_cast<const char *>(kEnglishModule),
                                                     sizeof kEnglishModule));
        folder.write(u"Vendra_DEU.lng"_s, "MZ this is not a translation file");
        SetLanguageChangedHook([this] { ++retranslations; });
    }
    void TearDown() override
    {
        SetLanguageChangedHook({});
        FinalizeLanguages();
    }

    TempDataFolder folder;
    ScriptedMessages messages;
    int retranslations = 0;
};
} // namespace

TEST(LanguageTable, IdentifiersAbbreviationsAndCharsets)
{
    EXPECT_EQ(GetLanguageAbbrev(1049), u"RUS");
    EXPECT_EQ(GetLanguageAbbrev(1033), u"ENU");
    EXPECT_EQ(GetLanguageAbbrev(1058), u"UKR");
    EXPECT_EQ(GetLanguageName(1049), u"Русский");
    EXPECT_EQ(GetLocaleAnsiCodePage(1049), 1251);
    EXPECT_EQ(GetLocaleCharset(1049), 204);
    EXPECT_EQ(GetLocaleCharset(1033), 0);
    EXPECT_EQ(GetLocaleCharset(1045), 238);
    // Unknown to the program: empty texts, no code page, the default character set, no error.
    EXPECT_EQ(GetLanguageAbbrev(9999), u"");
    EXPECT_EQ(GetLanguageName(9999), u"");
    EXPECT_EQ(GetLocaleAnsiCodePage(9999), 0);
    EXPECT_EQ(GetLocaleCharset(9999), DEFAULT_CHARSET);
    EXPECT_EQ(PrimaryLanguageId(2057), PrimaryLanguageId(1033));

    int previous = 0;
    for (const LanguageInfo &info : KnownLanguages()) {
        EXPECT_GT(info.lcid, previous); // ascending, no duplicates
        previous = info.lcid;
        EXPECT_EQ(QString::fromUtf16(info.abbrev).size(), 3);
    }
}

TEST_F(LanguageModules, NamesAndListOfModules)
{
    InitLanguages(1049, 1049);
    EXPECT_EQ(LanguageModuleName(1033), folder.file(u"Vendra_ENU.lng"_s));
    EXPECT_EQ(LanguageModuleName(1049), GetProgramFileName());
    EXPECT_EQ(GetLanguageIds(), (TLCIDs{1031, 1033, 1049}));
    EXPECT_EQ(GetLanguageNames(), (QStringList{u"Deutsch"_s, u"English"_s, u"Русский"_s}));
    EXPECT_EQ(DefaultLanguageId(), 1049);
    EXPECT_EQ(CurrentLanguageId(), 1049);

    EXPECT_EQ(LanguageIndexOf(1033, 1049), 1);
    EXPECT_EQ(LanguageIndexOf(1058, 1049), 2);
    EXPECT_EQ(LanguageIndexOf(1058, 1059), -1);
    EXPECT_EQ(LanguageIdAt(-1, 1049), 1049);
    EXPECT_EQ(LanguageIdAt(3, 7), 7);
    EXPECT_EQ(LanguageIdAt(0, 7), 1031);

    EXPECT_NO_THROW(CheckLanguageModule(1049));
    EXPECT_NO_THROW(CheckLanguageModule(1033));
    try {
        CheckLanguageModule(1058);
        FAIL() << "no exception";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), u"Языковый модуль \"" + folder.file(u"Vendra_UKR.lng"_s) + u"\" не найден!");
    }
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(LanguageModules, GetLanguageNamesInitialisesWithRussian)
{
    EXPECT_EQ(GetLanguageNames().size(), 3);
    EXPECT_EQ(DefaultLanguageId(), 1049);
    EXPECT_EQ(CurrentLanguageId(), 1049);
}

TEST_F(LanguageModules, SwitchLoadsTheTranslationAndBack)
{
    InitLanguages(1049, 1033);
    EXPECT_EQ(CurrentLanguageId(), 1033);
    EXPECT_EQ(Translated(), u"Draws archive");
    EXPECT_EQ(retranslations, 1);

    EXPECT_EQ(SwitchLanguage(1033, true), 1033); // already current: nothing happens
    EXPECT_EQ(retranslations, 1);

    EXPECT_EQ(SwitchLanguage(1049, true), 1049);
    EXPECT_EQ(Translated(), u"Архив тиражей");
    EXPECT_EQ(retranslations, 2);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(LanguageModules, MissingModuleFallsBack)
{
    InitLanguages(1049, 1058);
    EXPECT_EQ(CurrentLanguageId(), 1049);
    EXPECT_EQ(messages.count(), 0); // silent at start

    ASSERT_EQ(SwitchLanguage(1033, false), 1033);
    EXPECT_EQ(SwitchLanguage(1058, false), 1049);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(Translated(), u"Архив тиражей");

    EXPECT_EQ(SwitchLanguage(1058, true), 1049);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().caption, u"Ошибка");
    EXPECT_EQ(messages.last().text, u"Языковый модуль \"" + folder.file(u"Vendra_UKR.lng"_s) + u"\" не найден!");
}

TEST_F(LanguageModules, InvalidModuleFallsBackToBuiltInTexts)
{
    InitLanguages(1049, 1033);
    ASSERT_EQ(Translated(), u"Draws archive");
    const int before = retranslations;
    EXPECT_EQ(SwitchLanguage(1031, false), 1049);
    EXPECT_EQ(CurrentLanguageId(), 1049);
    EXPECT_EQ(Translated(), u"Архив тиражей");
    EXPECT_EQ(retranslations, before + 1); // the windows show the Russian texts again
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"Не удалось загрузить языковый модуль \"" +
                                                folder.file(u"Vendra_DEU.lng"_s) + u"\"!\r\r"));
    EXPECT_GT(messages.last().text.size(), 60);
}

TEST_F(LanguageModules, FailedRetranslationRestoresTheBuiltInLanguage)
{
    InitLanguages(1049, 1049);
    bool fail = true;
    SetLanguageChangedHook([&] {
        if (fail) {
            fail = false;
            throw Exception(u"Окно не удалось перевести"_s);
        }
        ++retranslations;
    });
    EXPECT_EQ(SwitchLanguage(1033, false), 1049);
    EXPECT_EQ(CurrentLanguageId(), 1049);
    EXPECT_EQ(Translated(), u"Архив тиражей");
    EXPECT_EQ(retranslations, 1); // translated back after the failure
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, u"Окно не удалось перевести");
    // Now that the windows work, the switch succeeds.
    EXPECT_EQ(SwitchLanguage(1033, false), 1033);
    EXPECT_EQ(Translated(), u"Draws archive");
}

TEST_F(LanguageModules, QtOwnTextsAndLocaleFollowTheLanguage)
{
    const QLocale before;
    InitLanguages(1049, 1049);
    {
        // Qt's standard buttons and the day and month names of the calendar speak Russian.
        QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text().remove(u'&'), u"Да");
        EXPECT_EQ(buttons.button(QDialogButtonBox::No)->text().remove(u'&'), u"Нет");
        EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&'), u"Отмена");
        EXPECT_EQ(QLocale().dayName(1, QLocale::LongFormat), u"понедельник");
        EXPECT_EQ(QLocale().toString(QDate(2026, 12, 7), u"d MMMM yyyy"), u"7 декабря 2026");
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        auto *fileType = files.findChild<QLabel *>(u"fileTypeLabel"_s);
        ASSERT_NE(fileType, nullptr);
        EXPECT_FALSE(fileType->text().contains(u"Files of type"));
        // Key names as the keys are labelled, in menus and texts alike.
        EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_Up).toString(QKeySequence::NativeText), u"Ctrl+Up");
        EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText), u"Ctrl+Return");
    }
    {
        // The program's file dialog: Russian throughout, columns wide enough for what they show,
        // opening in the data folder, then in the folder of the file chosen last.
        QDir(folder.path()).mkdir(u"Сценарии"_s);
        folder.write(u"Заметки.txt"_s, QByteArray(170, 'a'));
        RememberFileDialogFolder({});
        QFileDialog files;
        PrepareFileDialog(files, {u"Сценарии и заметки (*.lsc *.txt)"_s, u"lsc"_s, false, {}, {}});
        EXPECT_EQ(QDir(files.directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
        files.show();
        auto *details = files.findChild<QTreeView *>(u"treeView"_s);
        ASSERT_NE(details, nullptr);
        auto cellAt = [details](int row, int column) { return details->model()->index(row, column, details->rootIndex()); };
        ASSERT_TRUE(QTest::qWaitFor([&] { return !cellAt(1, 3).data().toString().isEmpty(); }, 10000));
        QApplication::processEvents();
        EXPECT_EQ(cellAt(0, 0).data().toString(), u"Сценарии");
        EXPECT_EQ(cellAt(0, 2).data().toString(), u"Папка");
        EXPECT_EQ(cellAt(1, 1).data().toString(), u"170 байт");
        // Every cell whole, the desktop's name of a file's kind included.
        for (int row = 0; row < 2; ++row)
            for (int column = 1; column <= 3; ++column)
                EXPECT_GE(details->header()->sectionSize(column),
                          std::max(details->fontMetrics().horizontalAdvance(cellAt(row, column).data().toString()),
                                   details->fontMetrics().horizontalAdvance(details->model()->headerData(column, Qt::Horizontal).toString())))
                    << cellAt(row, column).data().toString().toStdString();
        SaveScreenshot(files, u"file-dialog-screen-%1"_s.arg(files.screen()->size().width()));
        RememberFileDialogFolder(folder.file(u"Сценарии/Мой сценарий.lsc"_s));
        PrepareFileDialog(files, {Tr(u"Файлы сценариев (*.lsc)"), u"lsc"_s, true, {}, {}});
        EXPECT_EQ(QDir(files.directory()).canonicalPath(), QDir(folder.file(u"Сценарии"_s)).canonicalPath());
        RememberFileDialogFolder({});
    }

    ASSERT_EQ(SwitchLanguage(1033, false), 1033);
    {
        QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text().remove(u'&'), u"Yes");
        EXPECT_EQ(QLocale().dayName(1, QLocale::LongFormat), u"Monday");
    }
    // A box already open follows the switch too.
    ASSERT_EQ(SwitchLanguage(1049, false), 1049);
    QDialogButtonBox open(QDialogButtonBox::Yes);
    ASSERT_EQ(SwitchLanguage(1033, false), 1033);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(open.button(QDialogButtonBox::Yes)->text().remove(u'&'), u"Yes");

    FinalizeLanguages();
    EXPECT_EQ(QLocale(), before); // the system's locale again
}
