#include "ui/draws/InfoWindow.h"

#include "common/widgets/WidgetHooks.h"
#include "common/BusyCursor.h"
#include "common/Translate.h"
#include "lottery/NumberGeometry.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/CombsPage.h"
#include "ui/draws/DrawsPanel.h"
#include "ui/window/TemplateMain.h"

#include <QAction>
#include <algorithm>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

InfoWindowPlayer &infoPlayer()
{
    static InfoWindowPlayer player;
    return player;
}

} // namespace

TFormInfo::TFormInfo(int matrixCols, int channelSize, QWidget *parent)
    : QDialog(parent), m_channelSize(channelSize)
{
    setObjectName(u"FormInfo"_s);
    setWindowTitle(Tr(u"Подробная информация"));
    setWindowFlag(Qt::Tool);
    resize(420, 520);
    KeepInsideScreenWhenShown(this);

    auto *layout = new QVBoxLayout(this);
    auto *colsRow = new QHBoxLayout;
    auto *colsLabel = new QLabel(Tr(u"Количество столбцов:"), this);
    m_seCols = new QSpinBox(this);
    m_seCols->setObjectName(u"seCols"_s);
    m_seCols->setRange(1, kMaxNumber);
    m_seCols->setValue(std::clamp(matrixCols, 1, kMaxNumber));
    colsLabel->setBuddy(m_seCols);
    colsRow->addWidget(colsLabel);
    colsRow->addWidget(m_seCols);
    colsRow->addStretch();
    layout->addLayout(colsRow);

    m_sgCard = new QTableWidget(this);
    m_sgCard->setObjectName(u"sgCard"_s);
    m_sgCard->horizontalHeader()->hide();
    m_sgCard->verticalHeader()->hide();
    m_sgCard->horizontalHeader()->setDefaultSectionSize(26);
    m_sgCard->verticalHeader()->setDefaultSectionSize(22);
    m_sgCard->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sgCard->setSelectionMode(QAbstractItemView::NoSelection);

    m_lvProps = new QTreeWidget(this);
    m_lvProps->setObjectName(u"lvProps"_s);
    m_lvProps->setRootIsDecorated(false);
    m_lvProps->setColumnCount(2);
    m_lvProps->setHeaderLabels({Tr(u"Свойство"), Tr(u"Значение")});
    m_lvProps->header()->resizeSection(0, 300);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_sgCard);
    splitter->addWidget(m_lvProps);
    layout->addWidget(splitter);

    connect(m_seCols, &QSpinBox::valueChanged, this, &TFormInfo::rebuildCard);
}

void TFormInfo::fill(const TComb &numbers, const std::vector<TInfoRow> &rows)
{
    m_numbers = numbers;
    rebuildCard();
    m_lvProps->clear();
    for (const TInfoRow &row : rows)
        new QTreeWidgetItem(m_lvProps, {row.property, row.value});
}

void TFormInfo::rebuildCard()
{
    const TInfoCard card = InfoCard(m_numbers, m_seCols->value());
    m_sgCard->clear();
    m_sgCard->setColumnCount(card.cols);
    m_sgCard->setRowCount(card.rows);
    for (int r = 0; r < card.rows; ++r) {
        for (int c = 0; c < card.cols; ++c) {
            const int n = card.at(r, c);
            if (n == 0)
                continue;
            auto *item = new QTableWidgetItem(QString::number(n));
            item->setTextAlignment(Qt::AlignCenter);
            const TRgbColor color = NumberColor(n, m_channelSize);
            if (!color.isSystemWindow)
                item->setBackground(QColor(color.red, color.green, color.blue));
            m_sgCard->setItem(r, c, item);
        }
    }
}

void SetInfoWindowPlayer(InfoWindowPlayer player)
{
    infoPlayer() = std::move(player);
}

void ShowInfoWindow(const TInfoSubject &subject, QWidget *parent)
{
    const TStatList &stats = StatList();
    TFormInfo window(stats.Config.matrixCols, stats.Config.channelSize, parent);
    {
        BusySection busy;
        window.fill(subject.numbers, InfoRows(stats, subject));
    }
    if (infoPlayer())
        infoPlayer()(window);
    else
        window.exec();
}

QAction *InstallInfoWindow(TTemplateMain &window)
{
    TDrawsPanel *panel = window.drawsPanel();
    auto *action = new QAction(Tr(u"Сведения о тираже"), panel);
    action->setObjectName(u"DrawsInfo"_s);
    TTemplateMain *main = &window;
    auto showSelected = [main] {
        if (!IsNotBusy())
            return;
        const std::vector<int> selected = main->drawsPanel()->selectedDrawIndexes();
        if (selected.empty())
            return;
        const TDrawsArray &draws = main->archive().draws();
        if (selected.front() < 0 || selected.front() >= int(draws.size()))
            return;
        ShowInfoWindow(DrawInfoSubject(draws, selected.front(), main->options().sortedDraws), main);
    };
    QObject::connect(action, &QAction::triggered, panel, showSelected);
    QObject::connect(panel->list(), &QAbstractItemView::doubleClicked, panel, showSelected);
    panel->list()->addAction(action);
    if (QMenu *menu = window.findMenu(u"menuDraws"_s))
        menu->addAction(action);
    window.addActionUpdater([main, action] {
        action->setEnabled(IsNotBusy() && !main->drawsPanel()->selectedDrawIndexes().empty());
    });

    window.combsPage()->setCombInfoHandler([main](const TComb &comb) {
        const int count = int(main->archive().draws().size());
        ShowInfoWindow(CombInfoSubject(comb, count, main->drawsPanel()->drawsOffset(), main->options().sortedDraws),
                       main);
    });
    return action;
}
