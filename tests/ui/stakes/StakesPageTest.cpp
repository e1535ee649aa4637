#include "common/widgets/StringGrid.h"
#include "lottery/stats/StatList.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDataFolder.h"
#include "ui/stakes/StakesPage.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/stakes/StakesCheck.h"
#include "app/stakes/StakesFile.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class StakesPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedConfig = StatList().Config;
        StatList().Config.cost = 100000;
        StatList().Config.profits = {{3, 500000}};
        // Draws 100 and 102 (the archive numbers its draws in steps of two).
        for (int number : {100, 102}) {
            TDrawRec d;
            d.number = number;
            d.main = {42, 7, 28, 14, 35, 21};
            archive.draws().push_back(d);
        }
        stakes.open();
        TStakesPageLinks links;
        links.archive = &archive;
        links.options = &options;
        links.drawsOffset = [this] { return offset; };
        links.checkStakes = [this] {
            TStakeCheckContext ctx;
            ctx.draws = &archive.draws();
            ctx.config = &StatList().Config;
            CheckStakesAndRefresh(stakes, ctx, {});
            ++checks;
        };
        links.showCount = [this] { ++counts; };
        page = std::make_unique<TStakesPage>(stakes, std::move(links));
        page->resize(800, 400);
    }
    void TearDown() override
    {
        page.reset();
        StatList().Config = savedConfig;
    }
    QString cell(int col, int row) const { return page->grid()->getCellText(col, row); }

    TempDataFolder folder;
    ScriptedMessages boxes;
    TConfigData savedConfig;
    TDrawsArchive archive;
    TStakesFile stakes;
    MainOptions options;
    int offset = 0;
    int checks = 0;
    int counts = 0;
    std::unique_ptr<TStakesPage> page;
};

} // namespace

TEST_F(StakesPage, EmptyFileShowsHeaderAndOneEmptyRow)
{
    EXPECT_EQ(page->grid()->rowCount(), 2);
    EXPECT_EQ(page->grid()->colCount(), 9);
    EXPECT_EQ(cell(0, 0), u"№ тиража"_s);
    EXPECT_EQ(cell(8, 0), u"Комментарий"_s);
    for (int c = 0; c < 9; ++c)
        EXPECT_TRUE(cell(c, 1).isEmpty());
    page->updateActions();
    EXPECT_TRUE(page->addAction()->isEnabled());
    EXPECT_FALSE(page->clearAction()->isEnabled());
    EXPECT_FALSE(page->addRandomAction()->isEnabled()); // no combinations list
}

TEST_F(StakesPage, CommentCaptionShowsWhereverTheWindowEnds)
{
    page->show();
    QHeaderView *header = page->grid()->horizontalHeader();
    for (int width : {1300, 1000, 850}) {
        page->resize(width, 400);
        QApplication::processEvents();
        // The part of the comment heading in view holds writing: the caption, not an empty strip.
        const int start = header->sectionViewportPosition(8);
        const int end = std::min(header->width(), start + header->sectionSize(8));
        ASSERT_LT(start + 40, end) << width;
        const QImage picture = header->grab().toImage();
        const QColor background = picture.pixelColor(start + 2, 2);
        int writing = 0;
        for (int x = start + 2; x < end - 2; ++x)
            for (int y = 2; y < picture.height() - 2; ++y)
                writing += std::abs(picture.pixelColor(x, y).lightness() - background.lightness()) > 80;
        EXPECT_GT(writing, 20) << width;
    }
}

TEST_F(StakesPage, ManualStakeForThreeDrawsIsCheckedAtOnce)
{
    // The offset hides the newest draw: the next draw is then 102, which is already in the archive.
    offset = 1;
    TStakeRec seen;
    page->setDialogs({[&](QWidget *, TStakeRec &rec, int &draws) {
                          seen = rec;
                          EXPECT_EQ(draws, 1);
                          const TNumSet typed{6, {1, 7, 14, 21, 40, 45}};
                          rec.numbers = typed;
                          draws = 3;
                          return true;
                      },
                      {}, {}});
    page->stakeAdd();

    EXPECT_EQ(seen.kind, STAKE_MANUAL);
    EXPECT_EQ(seen.drawNumber, 102);
    EXPECT_EQ(seen.comment(), u"Ставка \"вручную\""_s);
    EXPECT_EQ(seen.numbers.count, 0);
    EXPECT_EQ(seen.matches.count, -1);
    EXPECT_EQ(seen.profit, -100000);
    EXPECT_EQ(seen.version, 2);

    // Stake, separator, stake, separator, stake; only the first draw is in the archive.
    EXPECT_EQ(checks, 1);
    ASSERT_EQ(stakes.count(), 5);
    ASSERT_EQ(page->grid()->rowCount(), 6);
    EXPECT_EQ(page->grid()->row(), 5);
    EXPECT_EQ(cell(0, 1), u"102"_s);
    EXPECT_EQ(cell(1, 1), u"Вручную"_s);
    EXPECT_EQ(cell(2, 1), u"1;7;14;21;40;45"_s);
    EXPECT_EQ(cell(4, 1), u"42;7;28;14;35;21"_s);
    EXPECT_EQ(cell(5, 1), u"3"_s);
    EXPECT_EQ(cell(6, 1), u"7 14 21"_s);
    EXPECT_EQ(cell(7, 1), u"40.00"_s);
    EXPECT_TRUE(cell(0, 2).isEmpty());
    EXPECT_EQ(cell(0, 3), u"103"_s);
    // Unchecked: no results, the cost as the profit.
    EXPECT_TRUE(cell(4, 5).isEmpty());
    EXPECT_TRUE(cell(5, 5).isEmpty());
    EXPECT_TRUE(cell(6, 5).isEmpty());
    EXPECT_EQ(cell(7, 5), u"-10.00"_s);
    EXPECT_EQ(cell(8, 5), u"Ставка \"вручную\""_s);
    page->grid()->grab(); // paints every visible row without a box
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(StakesPage, DeleteByConditionThenSelectedRowsThenAll)
{
    page->setDialogs({[](QWidget *, TStakeRec &rec, int &) {
                          const TNumSet typed{6, {1, 7, 14, 21, 40, 45}};
                          rec.numbers = typed;
                          return true;
                      },
                      {},
                      [](QWidget *, int &condition, int &value) {
                          EXPECT_EQ(condition, 0);
                          EXPECT_EQ(value, 0);
                          condition = 2;
                          value = 3;
                          return true;
                      }});
    offset = 1; // draw 102: 3 matches
    page->stakeAdd();
    offset = 0; // draw 104: not drawn yet
    page->stakeAdd();
    ASSERT_EQ(stakes.count(), 2);

    // ">= 3" removes the checked stake and keeps the unchecked one.
    page->stakeFilter();
    ASSERT_EQ(stakes.count(), 1);
    EXPECT_EQ(page->grid()->rowCount(), 2);
    EXPECT_EQ(cell(0, 1), u"104"_s);

    // Delete the selected row after the confirmation.
    page->grid()->setCurrentCell(0, 1);
    page->grid()->selectRow(0);
    EXPECT_EQ(page->selectedRows(), std::make_pair(int64_t(1), int64_t(1)));
    boxes.answer(IDYES);
    page->stakeDel();
    EXPECT_EQ(boxes.last().text, u"Удалить выделенную запись?"_s);
    EXPECT_EQ(stakes.count(), 0);
    EXPECT_EQ(page->grid()->rowCount(), 2);
    EXPECT_TRUE(cell(0, 1).isEmpty());
}

#include "common/widgets/ListView.h"
#include "ui/window/FormMain.h"
#include "ui/stakes/RatingsPage.h"
#include "ui/stakes/StakesFeature.h"

#include <QLabel>
#include <QMenu>
#include <QTabWidget>

TEST(StakesFeature, InstalledTabsMenuAndRatingsFromChecks)
{
    TempDataFolder folder;
    ScriptedMessages boxes;
    folder.write(u"Vendra.frm"_s, "[TTemplateMain]\r\nDownloadDrawsOnStart=2\r\nAutoUpdates=0\r\n");
    TFormMain window({});
    window.FormCreate();
    TStakesFeature *feature = InstallStakes(window);
    window.tmrInitTimer();
    feature->LoadRatings();

    EXPECT_GE(window.mainPages()->indexOf(feature->stakesPage()), 0);
    EXPECT_EQ(window.mainPages()->indexOf(feature->ratingsPage()), window.mainPages()->indexOf(feature->stakesPage()) + 1);
    EXPECT_NE(window.findChild<QMenu *>(u"menuStakes"_s), nullptr);
    EXPECT_EQ(window.statusPanel(5)->text(), u"Рейтинг: 0"_s);
    EXPECT_EQ(feature->ratingsPage()->ratingsList()->sortColumn(), 3);
    // Setting up the list sorts nothing and writes no file.
    EXPECT_FALSE(folder.exists(u"Vendra.lrt"_s));
}
