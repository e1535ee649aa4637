#include "ui/stakes/StakesPage.h"

#include "lottery/DrawTexts.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Format.h"
#include "common/Translate.h"
#include "common/widgets/ExcelExportDialog.h"
#include "common/widgets/StringGrid.h"
#include "lottery/stats/StatList.h"
#include "ui/combinations/CombsPage.h"
#include "ui/stakes/StakeDialog.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"
#include "app/stakes/StakesCheck.h"
#include "app/stakes/StakesFile.h"
#include "app/stakes/StakesGridText.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QRandomGenerator>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct StatusReset {
    ~StatusReset() { SetStatusText({}); }
};

constexpr int kMargin = 2;
constexpr int kNumberGap = 3;

} // namespace

TStakesPage::TStakesPage(TStakesFile &stakes, TStakesPageLinks links, QWidget *parent)
    : QWidget(parent), m_stakes(stakes), m_links(std::move(links))
{
    setObjectName(u"tsStakes"_s);
    m_dialogs.stake = &ShowStakeDialog;
    m_dialogs.multi = &ShowMultiStakeDialog;
    m_dialogs.filter = &ShowStakeFilterDialog;
    buildGrid();
    buildActions();
    refreshList(true, false);
}

QString TStakesPage::caption()
{
    return Tr(u"Ставки");
}

QString TStakesPage::manualComment()
{
    return Tr(u"Ставка \"вручную\"");
}

void TStakesPage::buildGrid()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_grid = new TQOwnerDrawGrid(this);
    m_grid->setObjectName(u"sgStakes"_s);
    m_grid->setColCount(kStakesColumns);
    m_grid->setFixedRows(1);
    m_grid->setFixedCols(0);
    m_grid->setRowCount(2);
    for (int c = 0; c < kStakesColumns; ++c)
        m_grid->setColWidth(c, StakesColumnWidth(c));
    // The kinds' names are written whole.
    int kindWidth = StakesColumnWidth(scKind);
    for (int kind = 1; kind <= 4; ++kind)
        kindWidth = std::max(kindWidth, m_grid->fontMetrics().horizontalAdvance(StakeKindCaption(kind)) + 4 * kMargin);
    m_grid->setColWidth(scKind, kindWidth);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setOnGetCellText([this](int col, int row) -> QString {
        if (row == 0)
            return StakesColumnCaptions().value(col);
        return StakeCellText(recordAt(row), col);
    });
    m_grid->fitColumnsToCaptions();
    // The comment column runs far past the window's edge: its caption stands where its texts begin.
    m_grid->setCaptionAlignment(scComment, Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->setDefaultDrawing(false);
    m_grid->setOnDrawCell([this](QPainter *painter, const QRect &rect, int col, int row, bool selected) {
        drawCell(painter, rect, col, row, selected);
    });
    layout->addWidget(m_grid);
}

TStakeRec TStakesPage::recordAt(int row) const
{
    if (row < 1 || !m_stakes.isOpen() || row > m_stakes.count())
        return {};
    try {
        return m_stakes.readRecord(TStakeOrigin::Begin, row - 1);
    } catch (const Exception &e) {
        // Never a box from inside painting: one report once the window is idle again.
        if (!m_readErrorQueued) {
            m_readErrorQueued = true;
            const QString text = Format(u"Ошибка чтения записи из файла ставок!\r\r%s", {e.message()});
            QTimer::singleShot(0, this, [this, text] {
                ShowErrorBox(text);
                m_readErrorQueued = false;
            });
        }
        return {};
    }
}

void TStakesPage::drawCell(QPainter *painter, const QRect &rect, int col, int row, bool selected) const
{
    const TStakeRec rec = recordAt(row);
    const QPalette &pal = palette();
    QColor background = pal.color(QPalette::Base);
    if (selected)
        background = pal.color(QPalette::Highlight);
    else if (const int64_t rgb = StakeKindColor(rec.kind); rgb >= 0 && rec.isStake())
        background = QColor::fromRgb(static_cast<QRgb>(rgb));
    painter->fillRect(rect, background);
    if (!rec.isStake())
        return;

    QColor text = pal.color(selected ? QPalette::HighlightedText : QPalette::Text);
    if (rec.isChecked() && (col == scMatchCount || col == scMatched || col == scProfit))
        text = rec.profit > 0 ? QColor(0, 128, 0) : QColor(Qt::red);
    const QRect area = rect.adjusted(kMargin, 0, -kMargin, 0);

    if (col == scDrawNumbers && IsUncheckableStake(rec)) {
        painter->setPen(QColor(Qt::red));
        painter->drawText(area, Qt::AlignHCenter | Qt::AlignVCenter, UncheckableStakeText());
        return;
    }
    if (col == scNumbers || col == scDrawNumbers) {
        const std::vector<int> numbers = StakeCellNumbers(rec, col);
        QFont bold = painter->font();
        bold.setBold(true);
        const QFontMetrics normalMetrics(painter->font());
        const QFontMetrics boldMetrics(bold);
        int width = 0;
        for (int n : numbers)
            width += (IsMatchedNumber(rec, n) ? boldMetrics : normalMetrics).horizontalAdvance(QString::number(n)) +
                     kNumberGap;
        int x = area.left() + std::max(0, (area.width() - width + kNumberGap) / 2);
        const QFont normal = painter->font();
        for (int n : numbers) {
            const bool matched = IsMatchedNumber(rec, n);
            painter->setFont(matched ? bold : normal);
            painter->setPen(matched ? QColor(Qt::blue) : text);
            const QString s = QString::number(n);
            const int w = (matched ? boldMetrics : normalMetrics).horizontalAdvance(s);
            painter->drawText(QRect(x, area.top(), w, area.height()), Qt::AlignVCenter | Qt::AlignLeft, s);
            x += w + kNumberGap;
        }
        painter->setFont(normal);
        return;
    }
    Qt::Alignment align = Qt::AlignHCenter;
    if (col == scProfit)
        align = Qt::AlignRight;
    else if (col == scComment)
        align = Qt::AlignLeft;
    painter->setPen(text);
    painter->drawText(area, align | Qt::AlignVCenter, StakeCellText(rec, col));
}

QAction *TStakesPage::makeAction(const QString &caption, const QString &name, const QKeySequence &shortcut,
                                 Qt::ShortcutContext context, void (TStakesPage::*command)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setShortcutContext(context);
    action->setToolTip(caption);
    connect(action, &QAction::triggered, this, [this, command] { guarded([this, command] { (this->*command)(); }); });
    QWidget::addAction(action);
    return action;
}

QAction *TStakesPage::makeToggle(const QString &caption, const QString &name, bool MainOptions::*option)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setCheckable(true);
    if (m_links.options)
        action->setChecked(m_links.options->*option);
    connect(action, &QAction::triggered, this, [this, action, option] {
        if (m_links.options)
            action->setChecked(m_links.options->toggle(option));
    });
    return action;
}

void TStakesPage::buildActions()
{
    // Alt+F4 and Ctrl+Alt+F4 belong to the desktop (closing windows, switching consoles): Shift+F4 and
    // Ctrl+Shift+F4 take their place. Ctrl+Del is also the combinations list's: it works inside this page.
    m_actAdd = makeAction(Tr(u"Сделать ставку"), u"StakeAdd"_s, QKeySequence(Qt::Key_F4), Qt::WindowShortcut,
                          &TStakesPage::stakeAdd);
    m_actAddRandom = makeAction(Tr(u"Сделать случайную ставку"), u"StakeAddRandom"_s,
                                QKeySequence(Qt::CTRL | Qt::Key_F4), Qt::WindowShortcut, &TStakesPage::stakeAddRandom);
    m_actAddSelected =
        makeAction(Tr(u"Сделать ставки для выделенных комбинаций"), u"StakeAddSelected"_s,
                   QKeySequence(Qt::SHIFT | Qt::Key_F4), Qt::WindowShortcut, &TStakesPage::stakeAddSelected);
    m_actAddAll =
        makeAction(Tr(u"Сделать ставки для всех комбинаций"), u"StakeAddAll"_s,
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F4), Qt::WindowShortcut, &TStakesPage::stakeAddAll);
    m_actDel = makeAction(Tr(u"Удалить ставку"), u"StakeDel"_s, QKeySequence(Qt::CTRL | Qt::Key_Delete),
                          Qt::WidgetWithChildrenShortcut, &TStakesPage::stakeDel);
    m_actFilter = makeAction(Tr(u"Удалить по условию"), u"StakeFilter"_s, QKeySequence(Qt::ALT | Qt::Key_D),
                             Qt::WidgetWithChildrenShortcut, &TStakesPage::stakeFilter);
    m_actClear =
        makeAction(Tr(u"Удалить все ставки"), u"StakeClear"_s, QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Delete),
                   Qt::WidgetWithChildrenShortcut, &TStakesPage::stakeClear);
    m_actXlsExport = makeAction(Tr(u"Экспорт ставок в Microsoft Excel"), u"StakesXlsExport"_s, {}, Qt::WindowShortcut,
                                &TStakesPage::stakesXlsExport);
    m_actLog = makeToggle(Tr(u"Вести журналы проверки ставок"), u"LogStakes"_s, &MainOptions::stakesLogEnabled);
    m_actScroll =
        makeToggle(Tr(u"Прокручивать список ставок в конец"), u"StakesScroll"_s, &MainOptions::stakesScrollEnabled);
    m_actCheckLine = makeToggle(Tr(u"Проверять ставки после каждой строки сценария"), u"StakesCheckLine"_s,
                                &MainOptions::stakesCheckOnLine);
    m_actLogDelete = makeAction(Tr(u"Удалить журналы ставок"), u"LogStakesDelete"_s, {}, Qt::WindowShortcut,
                                &TStakesPage::logStakesDelete);
    m_actCheckManual = makeAction(Tr(u"Проверить ставки"), u"StakesCheckManual"_s, {}, Qt::WindowShortcut,
                                  &TStakesPage::stakesCheckManual);
    m_grid->addActions({m_actAdd, m_actDel, m_actFilter, m_actClear, m_actCheckManual, m_actXlsExport});
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TStakesPage::guarded(const std::function<void()> &command)
{
    // A key can reach an action before the periodic check disables it.
    if (!IsNotBusy())
        return;
    RunCommand(command);
    updateActions();
}

bool TStakesPage::stakesOpen() const
{
    return m_stakes.isOpen();
}

bool TStakesPage::combsAny() const
{
    return m_links.combs && !m_links.combs->combs().empty();
}

void TStakesPage::updateActions()
{
    const bool idle = IsNotBusy();
    const bool open = stakesOpen();
    const bool has = m_stakes.hasStakes();
    const bool combsSelected = m_links.combs && m_links.combs->selectedRow() >= 0;
    m_actAdd->setEnabled(idle && open);
    m_actAddRandom->setEnabled(idle && open && combsAny());
    m_actAddSelected->setEnabled(idle && open && combsSelected);
    m_actAddAll->setEnabled(idle && open && combsAny());
    m_actDel->setEnabled(idle && has && selectedRows().first >= 1);
    m_actFilter->setEnabled(idle && has);
    m_actClear->setEnabled(idle && has);
    m_actXlsExport->setEnabled(idle && has);
    m_actCheckManual->setEnabled(idle && has);
    for (QAction *a : {m_actLog, m_actScroll, m_actCheckLine, m_actLogDelete})
        a->setEnabled(idle);
    if (m_links.options) {
        m_actLog->setChecked(m_links.options->stakesLogEnabled);
        m_actScroll->setChecked(m_links.options->stakesScrollEnabled);
        m_actCheckLine->setChecked(m_links.options->stakesCheckOnLine);
    }
}

void TStakesPage::refreshList(bool resize, bool goToLast)
{
    const int64_t n = m_stakes.isOpen() ? m_stakes.count() : 0;
    if (n > 0) {
        const int rows = static_cast<int>(std::min<int64_t>(StakesGridRows(n), INT_MAX));
        const bool changed = m_grid->rowCount() != rows;
        if ((resize || goToLast) && changed)
            m_grid->setRowCount(rows);
        if (goToLast)
            m_grid->setCurrentCell(std::max(m_grid->col(), 0), rows - 1);
        if (resize && !changed)
            m_grid->invalidateAll();
    } else {
        m_grid->setRowCount(2);
        m_grid->setCurrentCell(0, 1);
        m_grid->invalidateAll();
    }
    if (m_links.showCount)
        m_links.showCount();
}

std::pair<int64_t, int64_t> TStakesPage::selectedRows() const
{
    int64_t top = -1;
    int64_t bottom = -1;
    if (QItemSelectionModel *sel = m_grid->selectionModel()) {
        for (const QItemSelectionRange &r : sel->selection()) {
            const int64_t t = r.top() + m_grid->fixedRows();
            const int64_t b = r.bottom() + m_grid->fixedRows();
            top = top < 0 ? t : std::min(top, t);
            bottom = std::max(bottom, b);
        }
        if (top < 0 && m_grid->row() >= 1)
            top = bottom = m_grid->row();
    }
    return {top, bottom};
}

TStakeRec TStakesPage::newManualStake(const TComb *comb) const
{
    TStakeRec rec;
    rec.version = kStakeVersion;
    rec.kind = STAKE_MANUAL;
    const int offset = m_links.drawsOffset ? m_links.drawsOffset() : 0;
    rec.drawNumber = m_links.archive ? NextDrawNumber(m_links.archive->draws(), offset) : 1;
    if (rec.drawNumber <= 0)
        rec.drawNumber = 1;
    rec.setComment(manualComment());
    rec.checked = 0;
    rec.sampleSize = m_links.combs ? static_cast<int32_t>(std::min<int64_t>(m_links.combs->combs().count(), INT32_MAX)) : 0;
    if (comb) {
        std::array<uint8_t, kMainCount> sorted = comb->n;
        std::sort(sorted.begin(), sorted.end());
        rec.numbers.count = kMainCount;
        std::copy(sorted.begin(), sorted.end(), rec.numbers.numbers.begin());
    }
    rec.matches.count = -1;
    rec.profit = StakeProfit(StatList().Config, kMainCount, -1);
    return rec;
}

void TStakesPage::addOne(TStakeRec rec)
{
    int draws = 1;
    if (!m_dialogs.stake || !m_dialogs.stake(this, rec, draws))
        return;
    addStake(rec, draws);
}

void TStakesPage::addStake(const TStakeRec &rec, int draws)
{
    bool ok = false;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Создание ставки..."));
        ok = m_stakes.appendStakeForDraws(rec, draws);
    }
    if (ok && m_links.checkStakes)
        m_links.checkStakes();
    refreshList(true, ok);
}

void TStakesPage::stakeAdd()
{
    if (!stakesOpen())
        return;
    const int64_t row = m_links.combs ? m_links.combs->selectedRow() : -1;
    if (row >= 0) {
        const TComb comb = m_links.combs->combs().at(row);
        addOne(newManualStake(&comb));
    } else {
        addOne(newManualStake(nullptr));
    }
}

void TStakesPage::stakeAddRandom()
{
    if (!stakesOpen() || !combsAny())
        return;
    const int64_t count = m_links.combs->combs().count();
    const TComb comb = m_links.combs->combs().at(QRandomGenerator::global()->bounded(qint64(count)));
    addOne(newManualStake(&comb));
}

void TStakesPage::addMany(bool selectedOnly)
{
    if (!stakesOpen() || !m_links.combs)
        return;
    const TStakeRec model = newManualStake(nullptr);
    int drawNumber = model.drawNumber;
    int draws = 1;
    QString comment = manualComment();
    if (!m_dialogs.multi || !m_dialogs.multi(this, drawNumber, draws, comment))
        return;
    TRowRanges rows;
    const TCombsList &combs = m_links.combs->combs();
    if (selectedOnly)
        rows = m_links.combs->selectedRanges();
    else if (!combs.empty())
        rows.push_back({0, combs.count() - 1});
    bool failed = false;
    int64_t added = 0;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Создание ставок..."));
        // A long list shows how far it got, and the window keeps painting.
        TStepProgress progress(RowRangesCount(rows), [](double percent) {
            return Format(u"Создание ставок ( завершено %.0f %% )...", {percent});
        });
        int64_t step = 0;
        for (const TRowRange &range : rows) {
            for (int64_t i = range.first; i <= range.last && i < combs.count() && !failed; ++i, ++step) {
                if (progress.due(step))
                    progress.show(step);
                TStakeRec rec = newManualStake(&combs.at(i));
                rec.drawNumber = drawNumber;
                rec.setComment(comment);
                failed = !m_stakes.appendStakeForDraws(rec, draws);
                if (!failed)
                    ++added;
            }
            if (failed)
                break;
        }
    }
    if (selectedOnly)
        m_links.combs->combsList()->clearSelection();
    // The stakes written before a failure stay in the file: they are checked and shown as well.
    if (added > 0 && m_links.checkStakes)
        m_links.checkStakes();
    refreshList(true, true);
}

void TStakesPage::stakeAddSelected()
{
    addMany(true);
}

void TStakesPage::stakeAddAll()
{
    addMany(false);
}

void TStakesPage::afterDelete(bool ok)
{
    if (ok && m_links.checkStakes)
        m_links.checkStakes();
    refreshList(true, false);
    m_grid->invalidateAll();
}

void TStakesPage::stakeDel()
{
    const auto [top, bottom] = selectedRows();
    if (!m_stakes.hasStakes() || top < 1)
        return;
    const int64_t last = std::min<int64_t>(bottom, m_stakes.count());
    if (last < top || !ConfirmDeleteRecords(static_cast<int>(std::min<int64_t>(last - top + 1, INT_MAX))))
        return;
    bool ok = false;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Удаление ставок..."));
        ok = m_stakes.deleteRows(top, last);
    }
    m_grid->clearSelection();
    afterDelete(ok);
}

void TStakesPage::stakeFilter()
{
    if (!m_stakes.hasStakes())
        return;
    int condition = 0;
    int value = 0;
    if (!m_dialogs.filter || !m_dialogs.filter(this, condition, value))
        return;
    bool ok = false;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Удаление ставок..."));
        ok = m_stakes.deleteByCondition(condition, value);
    }
    afterDelete(ok);
}

void TStakesPage::stakeClear()
{
    if (!m_stakes.hasStakes())
        return;
    if (!ConfirmDeleteRecords(static_cast<int>(std::min<int64_t>(m_stakes.count(), INT_MAX))))
        return;
    {
        BusySection busy;
        StatusReset reset;
        SetStatusText(Tr(u"Удаление ставок..."));
        m_stakes.clear();
        m_stakes.reopen();
    }
    refreshList(true, false);
    if (m_links.refreshRatings)
        m_links.refreshRatings();
}

void TStakesPage::stakesXlsExport()
{
    ExportOwnerDrawGridToExcel(m_grid, caption(), caption(), {}, {}, 0, true);
}

void TStakesPage::logStakesDelete()
{
    DeleteStakeLogs();
}

void TStakesPage::stakesCheckManual()
{
    // The list stays where it is: only the rows of the newly checked stakes change.
    if (m_stakes.hasStakes() && m_links.checkStakes)
        m_links.checkStakes();
}
