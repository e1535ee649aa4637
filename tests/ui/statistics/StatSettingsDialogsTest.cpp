#include "common/IniFile.h"
#include "common/ProgramFiles.h"
#include "common/widgets/NumericEdit.h"
#include "lottery/DrawTexts.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/statistics/ConfigDialog.h"
#include "ui/statistics/ShreddingDialog.h"
#include "ui/statistics/StatSettingsActions.h"
#include "ui/statistics/StatisticsPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/views/StatSettingsEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTableWidget>
#include <QLocale>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TConfigData sampleConfig()
{
    TConfigData c;
    c.matrixCols = 9;
    c.channelSize = 5;
    c.cost = 15000; // 1.50
    c.maxStake = 12;
    c.profits = {{3, 1000000}, {4, 25000000}, {5, 1000000000}, {6, 100000000000}};
    c.weights = {0.5L, -1.25L, 2, true, false};
    for (int n = 0; n < kMaxNumber; ++n)
        c.matrixSegments[size_t(n)] = static_cast<uint8_t>(1 + n % 9);
    return c;
}

QString cellText(QTableWidget *grid, int row, int col)
{
    const QTableWidgetItem *item = grid->item(row, col);
    return item ? item->text() : QString();
}

// The user types into a cell of a table.
void type(QTableWidget *table, int row, int col, const QString &text)
{
    if (!table->item(row, col))
        table->setItem(row, col, new QTableWidgetItem);
    table->item(row, col)->setText(text);
}

// The dialog writes money with the decimal mark of the interface language's locale (the program sets it
// as the default); a test that reads the texts with "." pins the plain locale while it runs.
struct PlainLocale {
    QLocale saved;
    PlainLocale() { QLocale::setDefault(QLocale::c()); }
    ~PlainLocale() { QLocale::setDefault(saved); }
};

} // namespace

TEST(ConfigDialog, FillAndReadBackKeepEveryField)
{
    const PlainLocale plain;
    TFormConfig dialog;
    const TConfigData config = sampleConfig();
    dialog.fill(config);

    EXPECT_EQ(dialog.windowTitle(), u"Параметры системы"_s);
    EXPECT_EQ(dialog.matrixRowEdit()->value(), 5);
    // Lines for 0..6 matches, each with the prize for that many matches.
    const std::vector<TProfitLine> lines = dialog.profitLines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[0], (TProfitLine{u"0"_s, u"0.00"_s}));
    EXPECT_EQ(lines[3], (TProfitLine{u"3"_s, u"100.00"_s}));
    EXPECT_EQ(lines[6], (TProfitLine{u"6"_s, u"10000000.00"_s}));
    EXPECT_EQ(dialog.segmentsGrid()->columnCount(), 9);
    EXPECT_EQ(dialog.segmentsGrid()->rowCount(), 5);
    EXPECT_EQ(cellText(dialog.segmentsGrid(), 1, 0), u"1"_s); // number 10
    EXPECT_EQ(cellText(dialog.segmentsGrid(), 0, 8), u"9"_s); // number 9

    TConfigData back;
    dialog.readBack(back);
    EXPECT_EQ(back.matrixCols, 9);
    EXPECT_EQ(back.channelSize, 5);
    EXPECT_EQ(back.cost, 15000);
    EXPECT_EQ(back.maxStake, 12); // hidden, passed through
    EXPECT_EQ(back.weights, config.weights);
    EXPECT_EQ(back.matrixSegments, config.matrixSegments);
    // The table read back has every line, 0..2 matches with no prize.
    const TProfitDrawArray expected{{0, 0},      {1, 0},          {2, 0},           {3, 1000000},
                                    {4, 25000000}, {5, 1000000000}, {6, 100000000000}};
    EXPECT_EQ(back.profits, expected);
}

TEST(ConfigDialog, CostAndPrizesShowMoneyInOneStyle)
{
    // On any desktop (one that writes "1 234,50" too) the cost and every prize are written as the
    // stakes list and the charts write money, "1234.50", also what was just typed with a comma, and
    // read back unchanged.
    const PlainLocale restore;
    for (const QLocale &locale : {QLocale(QLocale::Russian, QLocale::Russia), QLocale::c()}) {
        QLocale::setDefault(locale);
        TConfigData config = sampleConfig();
        config.cost = 12345000; // 1234.50
        TFormConfig dialog;
        dialog.fill(config);
        EXPECT_EQ(dialog.costEdit()->text(), u"1234.50"_s) << locale.name().toStdString();
        EXPECT_EQ(cellText(dialog.profitsEdit(), 3, 1), u"100.00"_s);
        EXPECT_EQ(cellText(dialog.profitsEdit(), 6, 1), u"10000000.00"_s);
        dialog.profitsEdit()->item(3, 1)->setText(u"300,5"_s);
        EXPECT_EQ(cellText(dialog.profitsEdit(), 3, 1), u"300.50"_s) << locale.name().toStdString();
        dialog.profitsEdit()->item(3, 1)->setText(u"100"_s);
        dialog.show();
        dialog.costEdit()->setFocus();
        dialog.costEdit()->selectAll();
        QTest::keyClicks(dialog.costEdit(), u"1234,5"_s);
        QTest::keyClick(dialog.costEdit(), Qt::Key_Return);
        EXPECT_EQ(dialog.costEdit()->text(), u"1234.50"_s) << locale.name().toStdString();
        TConfigData back;
        dialog.readBack(back);
        EXPECT_EQ(back.cost, config.cost);
        EXPECT_EQ(back.profits, (TProfitDrawArray{{0, 0}, {1, 0}, {2, 0}, {3, 1000000}, {4, 25000000},
                                                  {5, 1000000000}, {6, 100000000000}}));
    }
}

TEST(ConfigDialog, PrizeLinesFollowTheirMatchesAndKeepLinesBeyondSix)
{
    const PlainLocale plain;
    // A table in another order, with an entry for 7 matches: each line shows its own prize, and a second
    // confirmation gives the same table.
    TConfigData config = sampleConfig();
    config.profits = {{6, 500000}, {7, 900000}, {3, 10000}};
    TFormConfig dialog;
    dialog.fill(config);
    const std::vector<TProfitLine> lines = dialog.profitLines();
    EXPECT_EQ(lines[0], (TProfitLine{u"0"_s, u"0.00"_s}));
    EXPECT_EQ(lines[6], (TProfitLine{u"6"_s, u"50.00"_s}));
    EXPECT_EQ(lines[7], (TProfitLine{u"7"_s, u"90.00"_s}));

    TFormConfig again;
    TConfigData back;
    dialog.readBack(back);
    again.fill(back);
    TConfigData second;
    again.readBack(second);
    EXPECT_EQ(second.profits, back.profits);
}

TEST(ConfigDialog, AUserLineForSevenMatchesBecomesAnEntry)
{
    TFormConfig dialog;
    dialog.fill(sampleConfig());
    QTableWidget *profits = dialog.profitsEdit();
    const int spare = profits->rowCount() - 1; // the empty line for a new entry
    EXPECT_EQ(cellText(profits, spare, 0), QString());
    type(profits, spare, 0, u"7"_s);
    type(profits, spare, 1, u"100"_s);
    EXPECT_EQ(profits->rowCount(), spare + 2); // a new empty line follows

    ScriptedMessages boxes;
    EXPECT_TRUE(dialog.pressOk());
    EXPECT_EQ(boxes.count(), 0);
    TConfigData back;
    dialog.readBack(back);
    ASSERT_EQ(back.profits.size(), 8u);
    EXPECT_EQ(back.profits.back(), (TProfitDrawRec{7, 1000000}));
}

TEST(ConfigDialog, BadOrRepeatedPrizeLinesKeepTheDialogOpen)
{
    const PlainLocale plain;
    ScriptedMessages boxes;
    TFormConfig dialog;
    dialog.fill(sampleConfig());
    QTableWidget *profits = dialog.profitsEdit();

    type(profits, 2, 1, u"12,5"_s); // a comma is a decimal separator
    EXPECT_TRUE(dialog.pressOk());

    TFormConfig bad;
    bad.fill(sampleConfig());
    type(bad.profitsEdit(), 2, 0, QString());
    EXPECT_FALSE(bad.pressOk());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, u"Ошибка"_s);
    EXPECT_TRUE(boxes.last().text.startsWith(u"Некорректная строка таблицы выигрышей: \"=0.00\"!"_s));

    type(bad.profitsEdit(), 2, 0, u"3"_s); // the line for 3 matches twice
    EXPECT_FALSE(bad.pressOk());
    EXPECT_TRUE(boxes.last().text.startsWith(u"Выигрыш для 3 совпадений указан дважды!"_s));
    EXPECT_FALSE(bad.isVisible());

    TProfitDrawArray parsed;
    QString error;
    ASSERT_TRUE(ParseProfitLines({{u"2"_s, u"12,5"_s}, {u" "_s, u""_s}, {u"3"_s, u"1 000.25"_s}}, parsed, error));
    EXPECT_EQ(parsed, (TProfitDrawArray{{2, 125000}, {3, 10002500}}));
    EXPECT_FALSE(ParseProfitLines({{u"256"_s, u"1"_s}}, parsed, error));
    EXPECT_FALSE(ParseProfitLines({{u"1"_s, u"1..2"_s}}, parsed, error));
}

TEST(ConfigDialog, MatrixColumnsReshapeTheSegmentsGrid)
{
    TFormConfig dialog;
    const TConfigData config = sampleConfig();
    dialog.fill(config);
    type(dialog.segmentsGrid(), 4, 0, QString()); // number 37: an empty cell counts as 1

    dialog.matrixColEdit()->setValue(10);
    QTableWidget *grid = dialog.segmentsGrid();
    EXPECT_EQ(grid->columnCount(), 10);
    EXPECT_EQ(grid->rowCount(), 5);
    EXPECT_EQ(dialog.matrixRowEdit()->value(), 5);
    TSegmentsArray expected = config.matrixSegments;
    expected[36] = 1;
    EXPECT_EQ(dialog.gridSegments(), expected);
    EXPECT_EQ(cellText(grid, 1, 0), QString::number(expected[10])); // number 11 starts the second row
    // The cells after number 45 cannot be chosen.
    EXPECT_EQ(grid->item(4, 5)->flags(), Qt::NoItemFlags);
    EXPECT_TRUE(grid->item(4, 4)->flags() & Qt::ItemIsSelectable);

    dialog.matrixColEdit()->setValue(1);
    EXPECT_EQ(grid->rowCount(), 45);
    EXPECT_EQ(dialog.gridSegments(), expected);
}

TEST(ConfigDialog, ABadSegmentIsCorrectedWithTheMessage)
{
    ScriptedMessages boxes;
    TFormConfig dialog;
    dialog.fill(sampleConfig());
    for (const QString &typed : {u"0"_s, u"10"_s}) {
        type(dialog.segmentsGrid(), 0, 2, typed);
        EXPECT_EQ(boxes.last().text, u"Некорректное значение: "_s + typed + u"!\r\rУкажите любое число от 1 до 9"_s);
        EXPECT_EQ(cellText(dialog.segmentsGrid(), 0, 2), u"1"_s);
    }
    type(dialog.segmentsGrid(), 0, 2, u"7"_s);
    EXPECT_EQ(boxes.count(), 2);
}

TEST(ShreddingDialog, RoundTripAndFormulasThatCannotBeEvaluated)
{
    ScriptedMessages boxes;
    TFormShredding dialog;
    TShreddingData data = DefaultShredding();
    data.Formulas[1] = u"sqrt(n1*p1)+N6"_s;
    data.Digits = {1, 3, 5};
    dialog.fill(data);
    EXPECT_EQ(dialog.windowTitle(), u"Методы шинковки"_s);
    EXPECT_EQ(dialog.findChild<QLineEdit *>(u"edFormula2"_s)->text(), u"sqrt(n1*p1)+N6"_s);
    TShreddingData back;
    dialog.readBack(back);
    EXPECT_EQ(back, data);
    EXPECT_TRUE(dialog.pressOk());

    for (const QString &formula : {u"(n1+n2"_s, QString(), u"n1 # n2"_s}) {
        TFormShredding bad;
        bad.fill(data);
        bad.formulaEdit(2)->setText(formula);
        EXPECT_FALSE(bad.pressOk());
        EXPECT_TRUE(boxes.last().text.startsWith(u"Некорректная формула 3: "_s + formula + u"!"_s));
    }
}

TEST(StatSettings, ChangeFlagsNameTheStaleGroups)
{
    const TConfigData base = sampleConfig();
    TConfigData c = base;
    c.cost = 20000;
    c.profits.clear();
    EXPECT_EQ(ConfigChangeFlags(base, c), 0);
    c.channelSize = 6;
    c.matrixSegments[0] = 5;
    EXPECT_EQ(ConfigChangeFlags(base, c), 8 | 32);
    c.matrixCols = 4;
    EXPECT_EQ(ConfigChangeFlags(base, c), 8 | 16 | 32);
}

// The main window's actions over a registry, the statistics tab and a data folder of their own.
class StatSettingsActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.Config = DefaultStatConfig();
        list.Shredding = DefaultShredding();
        list.LanguageAbbrev = u"RUS"_s;
        list.SetDraws(&archive.draws());
        list.RebuildMethods();
        page = std::make_unique<TStatisticsPage>(archive, list, options);
        page->FillMethodCombos(false, false);
        actions = std::make_unique<TStatSettingsActions>(list, page.get(), nullptr);
        QObject::connect(actions.get(), &TStatSettingsActions::configChanged, [this](int f) { flags.push_back(f); });
        QObject::connect(actions.get(), &TStatSettingsActions::shreddingChanged,
                         [this](int f) { flags.push_back(f); });
    }
    void TearDown() override
    {
        SetDialogPlayer(nullptr);
        actions.reset();
        page.reset();
    }
    QStringList listedCodes(const QString &prefix) const
    {
        QStringList codes;
        for (int i = 0; i < list.MethodCount(); ++i) {
            const QString code = list.GetMethod(i).MethodCode();
            if (code.startsWith(prefix) && code.mid(prefix.size()).toInt() > 0)
                codes.append(code);
        }
        return codes;
    }
    int comboItems(const QString &code) const
    {
        return page->methodCombo()->findData(code, Qt::UserRole + 1);
    }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TDrawsArchive archive;
    TStatList list;
    MainOptions options;
    std::unique_ptr<TStatisticsPage> page;
    std::unique_ptr<TStatSettingsActions> actions;
    std::vector<int> flags;
};

TEST_F(StatSettingsActions, ChannelSizeSevenListsSevenChannelsAndSavesTheSettings)
{
    ASSERT_EQ(listedCodes(u"CHN"_s).size(), 9);
    // A renamed method keeps its name through the rebuild.
    list.GetMethod(list.FindMethod(u"NUMS")).Caption = u"Все числа"_s;
    SetDialogPlayer([](TDialogSTemplate &d) {
        auto &dialog = static_cast<TFormConfig &>(d);
        dialog.channelSizeEdit()->setValue(7);
        dialog.pressOk();
        return dialog.result();
    });
    EXPECT_TRUE(actions->EditConfig());

    EXPECT_EQ(listedCodes(u"CHN"_s), (QStringList{u"CHN1"_s, u"CHN2"_s, u"CHN3"_s, u"CHN4"_s, u"CHN5"_s,
                                                  u"CHN6"_s, u"CHN7"_s}));
    EXPECT_GE(comboItems(u"CHN7"_s), 0);
    EXPECT_LT(comboItems(u"CHN8"_s), 0);
    EXPECT_EQ(list.GetMethod(list.FindMethod(u"NUMS")).Caption, u"Все числа"_s);
    EXPECT_EQ(flags, std::vector<int>{8});
    const IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readInteger(u"GLOBAL"_s, u"ChannelSize"_s, 0), 7);
}

TEST_F(StatSettingsActions, OnlyTheCostChangedGivesNoStaleGroups)
{
    SetDialogPlayer([](TDialogSTemplate &d) {
        auto &dialog = static_cast<TFormConfig &>(d);
        dialog.costEdit()->setValue(1.5);
        dialog.pressOk();
        return dialog.result();
    });
    EXPECT_TRUE(actions->EditConfig());
    EXPECT_EQ(flags, std::vector<int>{0});
    EXPECT_EQ(list.Config.cost, 15000);
    EXPECT_EQ(IniFile(GetIniFileName()).readString(u"STAKES"_s, u"Cost"_s), u"1.5"_s);
}

TEST_F(StatSettingsActions, CancelSavesAndRebuildsNothing)
{
    const int methods = list.MethodCount();
    for (bool shredding : {false, true}) {
        SetDialogPlayer([](TDialogSTemplate &d) {
            if (auto *config = qobject_cast<TFormConfig *>(&d))
                config->channelSizeEdit()->setValue(9);
            d.pressCancel();
            return d.result();
        });
        EXPECT_FALSE(shredding ? actions->EditShredding() : actions->EditConfig());
    }
    EXPECT_FALSE(QFileInfo::exists(GetIniFileName()));
    EXPECT_FALSE(QFileInfo::exists(TStatList::FavoritesFileName()));
    EXPECT_EQ(list.Config.channelSize, 5);
    EXPECT_EQ(list.MethodCount(), methods);
    EXPECT_TRUE(flags.empty());
}

TEST_F(StatSettingsActions, ConfirmedFormulasAreSavedAndShownInTheCaptions)
{
    SetDialogPlayer([](TDialogSTemplate &d) {
        auto &dialog = static_cast<TFormShredding &>(d);
        dialog.formulaEdit(0)->setText(u"n1/n2"_s);
        dialog.digitsEdit(0)->setValue(4);
        dialog.pressOk();
        return dialog.result();
    });
    EXPECT_TRUE(actions->EditShredding());
    EXPECT_EQ(flags, std::vector<int>{4096});
    const IniFile ini(GetIniFileName());
    EXPECT_EQ(ini.readString(u"SHREDDING"_s, u"Formula1"_s), u"n1/n2"_s);
    EXPECT_EQ(ini.readInteger(u"SHREDDING"_s, u"Formula1Digits"_s, 0), 4);
    const int shr1 = list.FindMethod(u"SHR1");
    EXPECT_TRUE(list.GetMethod(shr1).MethodFullTitle().endsWith(u"n1/n2"_s));
    EXPECT_GE(page->methodCombo()->findText(list.MethodCaption(shr1, true)), 0);
}
