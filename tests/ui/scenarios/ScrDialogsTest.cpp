#include "ui/scenarios/ScrPublicDialog.h"
#include "ui/scenarios/ScrRatesDialog.h"

#include "common/Languages.h"
#include "common/widgets/ListView.h"
#include "online/ScriptCatalog.h"
#include "tests/support/CatalogueStandIn.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kTitle = "/scripts/scr_chktitle.php";
const QString kTitleTaken = u"Сценарий с таким названием уже существует!\rВыберите другое название."_s;

class ScrPublicDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!standIn.ok())
            GTEST_SKIP() << "no test certificates for the local HTTPS server";
        standIn.configure(folder);
        // Two languages on offer: the built-in Russian and English from its module.
        folder.write(u"Vendra_ENU.lng"_s, "module");
        InitLanguages(kRussianLcid, kRussianLcid);
        record = NewScriptData(u"Автор"_s, kRussianLcid);
        record.id = 12;
    }
    void TearDown() override { FinalizeLanguages(); }

    std::unique_ptr<TFormScrPublic> dialog(bool editable)
    {
        auto form = std::make_unique<TFormScrPublic>(nullptr, ScriptLibraryCheckTitle, ScriptWireProblem);
        form->fill(record, kRussianLcid, editable);
        return form;
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    CatalogueStandIn standIn;
    tScriptData record;
};

} // namespace

TEST_F(ScrPublicDialogTest, OkChecksTitleThenItsUniquenessThenTheAuthor)
{
    auto form = dialog(true);
    EXPECT_EQ(form->windowTitle(), u"Свойства сценария");
    EXPECT_EQ(form->okButton()->toolTip(), u"Отправить сценарий на сервер");
    EXPECT_EQ(form->cancelButton()->toolTip(), u"Закрыть окно");
    EXPECT_EQ(form->titleEdit()->maxLength(), 64);
    EXPECT_EQ(form->authorEdit()->maxLength(), 64);
    EXPECT_EQ(form->appModeButton(0)->text(), u"Только в \"Vendra\"");
    EXPECT_EQ(form->appModeButton(1)->text(), u"В любом приложении Kenvo");

    // 1. An empty title: refused without asking the catalogue.
    form->titleEdit()->setText(u"   "_s);
    form->authorEdit()->clear();
    EXPECT_FALSE(form->pressOk());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, u"Название сценария должно быть указано обязательно!");
    EXPECT_EQ(standIn.count(kTitle), 0);

    // 2. A title that another scenario has, asked for this scenario's id.
    standIn.result(kTitle, "<row><ret_code>1</ret_code></row>");
    form->titleEdit()->setText(u"Занято"_s);
    EXPECT_FALSE(form->pressOk());
    EXPECT_EQ(boxes.last().text, kTitleTaken);
    EXPECT_EQ(standIn.lastPost(kTitle), (QStringList{u"scr_id=12"_s, u"scr_title=Занято"_s}));

    // 3. A free title with no author.
    standIn.result(kTitle, "<row><ret_code>0</ret_code></row>");
    EXPECT_FALSE(form->pressOk());
    EXPECT_EQ(boxes.last().text, u"Имя автора должно быть указано обязательно!");

    // A description the wire cannot carry keeps the dialog open too.
    form->authorEdit()->setText(u" Новый автор "_s);
    form->descrEdit()->setPlainText(u"смайлик 😀"_s);
    EXPECT_FALSE(form->pressOk());
    EXPECT_TRUE(boxes.last().text.contains(u"😀"));
    EXPECT_EQ(boxes.count(), 4);

    form->descrEdit()->setPlainText(u"Описание\nв две строки"_s);
    form->viewModeButton(1)->setChecked(true);
    form->appModeButton(1)->setChecked(true);
    form->languageBox()->setCurrentIndex(LanguageIndexOf(kEnglishLcid, kRussianLcid));
    EXPECT_TRUE(form->pressOk());
    tScriptData back;
    form->readBack(back);
    EXPECT_EQ(back.id, 12);
    EXPECT_EQ(back.title, u"Занято");
    EXPECT_EQ(back.key_cl_name, u"Новый автор");
    EXPECT_EQ(back.key_cl_lcid, kEnglishLcid);
    EXPECT_FALSE(back.publics);
    EXPECT_TRUE(back.uniapps);
    EXPECT_EQ(back.descr, u"Описание\nв две строки");
    EXPECT_EQ(boxes.count(), 4);
}

TEST_F(ScrPublicDialogTest, AFailedTitleCheckShowsOnlyItsOwnError)
{
    auto form = dialog(true);
    form->titleEdit()->setText(u"Название"_s);
    standIn.reply(kTitle, LocalHttpReply::text("<result><row><ret_code>1</ret_code></row></result>", 500));
    EXPECT_FALSE(form->pressOk());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Ошибка проверки уникальности online-сценария!\r\r"));
    EXPECT_NE(boxes.last().text, kTitleTaken);

    // A title the wire cannot carry is refused before the catalogue is asked.
    form->titleEdit()->setText(u"Ноты ♫"_s);
    EXPECT_FALSE(form->pressOk());
    EXPECT_TRUE(boxes.last().text.contains(u"♫"));
    EXPECT_EQ(standIn.count(kTitle), 1);
}

TEST_F(ScrPublicDialogTest, ReadOnlyModeShowsTheRecordAndReturnsNothing)
{
    record.title = u"Чужой"_s;
    record.uniapps = true;
    record.publics = false;
    record.key_cl_lcid = 1031; // not on offer: the default language shows
    auto form = dialog(false);
    EXPECT_TRUE(form->okButton()->isHidden());
    EXPECT_TRUE(form->titleEdit()->isReadOnly());
    EXPECT_TRUE(form->authorEdit()->isReadOnly());
    EXPECT_TRUE(form->descrEdit()->isReadOnly());
    EXPECT_FALSE(form->languageBox()->isEnabled());
    EXPECT_FALSE(form->viewModeGroup()->isEnabled());
    EXPECT_FALSE(form->appModeGroup()->isEnabled());
    EXPECT_EQ(form->titleEdit()->text(), u"Чужой");
    EXPECT_EQ(form->languageBox()->currentText(), GetLanguageName(kRussianLcid));
    EXPECT_EQ(form->appModeIndex(), 1);
    EXPECT_EQ(form->viewModeIndex(), 1);
    EXPECT_FALSE(form->pressOk());
    EXPECT_EQ(standIn.count(kTitle), 0);

    int shown = 0;
    SetDialogPlayer([&](TDialogSTemplate &dialog) {
        ++shown;
        dialog.pressOk();
        return dialog.result();
    });
    tScriptData copy = record;
    EXPECT_FALSE(ShowScrPublicDialog(copy, kRussianLcid, false, nullptr, ScriptLibraryCheckTitle, ScriptWireProblem));
    SetDialogPlayer(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(copy.title, record.title);
}

TEST(ScrRatesDialog, ShowsTheMarksOnlyWhenTheyCameAndKeepsItsColumns)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    int shown = 0;
    SetDialogPlayer([&](TDialogSTemplate &dialog) {
        ++shown;
        auto &form = static_cast<TFormScrRates &>(dialog);
        TQSortListView *list = form.ratesList();
        EXPECT_EQ(form.windowTitle(), u"Оценки пользователей");
        EXPECT_TRUE(form.okButton()->isHidden());
        EXPECT_EQ(form.cancelButton()->text(), u"Закрыть");
        EXPECT_EQ(list->columnCount(), 6);
        EXPECT_EQ(list->listModel()->columnCaption(5), u"Комментарии");
        EXPECT_EQ(list->listModel()->columnAlignment(1), Qt::AlignCenter);
        EXPECT_EQ(list->listModel()->rowCount(), 1);
        EXPECT_EQ(list->listModel()->item(0).texts,
                  (QStringList{u"Анна"_s, u"5"_s, u"2024-02-01 01:15:00"_s, u"Vendra"_s, u"1.0"_s, u"Спасибо"_s}));
        if (shown == 1) {
            EXPECT_EQ(list->columnWidth(0), 150);
            EXPECT_EQ(list->columnWidth(2), 120);
            EXPECT_EQ(list->columnWidth(5), 5000);
            list->setColumnWidth(0, 222);
        } else {
            EXPECT_EQ(list->columnWidth(0), 222);
        }
        dialog.pressCancel();
        return dialog.result();
    });
    const ScriptRatesFetch fetch = [](int id, const std::function<void(const TScriptRate &)> &add) {
        EXPECT_EQ(id, 9);
        add({u"Анна"_s, u"5"_s, u"2024-02-01 01:15:00"_s, u"Vendra"_s, u"1.0"_s, u"Спасибо"_s});
        return true;
    };
    EXPECT_TRUE(ShowScrRatesDialog(9, nullptr, fetch));
    EXPECT_TRUE(ShowScrRatesDialog(9, nullptr, fetch));
    EXPECT_EQ(shown, 2);

    // Marks that could not be fetched open no dialog.
    EXPECT_FALSE(ShowScrRatesDialog(9, nullptr, [](int, const std::function<void(const TScriptRate &)> &) {
        return false;
    }));
    EXPECT_EQ(shown, 2);
    SetDialogPlayer(nullptr);
}
