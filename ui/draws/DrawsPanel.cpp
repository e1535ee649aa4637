#include "ui/draws/DrawsPanel.h"

#include "common/BusyCursor.h"
#include "common/Dialogs.h"
#include "common/Exception.h"
#include "common/Translate.h"
#include "lottery/NumberGeometry.h"
#include "ui/draws/DrawDialog.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QColor toQColor(const TRgbColor &c)
{
    if (c.isSystemWindow)
        return QApplication::palette().color(QPalette::Base);
    return QColor(c.red, c.green, c.blue);
}

// Runs a change of the archive and saves it; when the save fails the array goes back to what the
// file holds and the user is told why.
template <typename Change>
bool changeAndSave(TDrawsArchive &archive, Change change)
{
    const TDrawsArray backup = archive.draws();
    try {
        change();
        BusySection busy;
        SetStatusText(Tr(u"Сохранение файла тиражей..."));
        archive.save();
        SetStatusText({});
        return true;
    } catch (const Exception &e) {
        archive.draws() = backup;
        archive.touch();
        SetStatusText({});
        ShowErrorBox(e.message());
        return false;
    }
}

} // namespace

TDrawsPanel::TDrawsPanel(TDrawsArchive &archive, QWidget *parent)
    : QWidget(parent), m_archive(archive), m_model(new TDrawsListModel(archive.draws(), this))
{
    setObjectName(u"DrawsPanel"_s);
    m_model->setNumberColorFunc([this](int n) { return toQColor(NumberColor(n, m_channelSize)); });

    m_top = new QWidget(this);
    m_top->setObjectName(u"pnlDrawsTop"_s);
    m_top->setFixedHeight(28);
    m_offsetLabel = new QLabel(Tr(u"Смещение назад:"), m_top);
    m_offsetLabel->setObjectName(u"lblDrawsOffset"_s);
    m_offsetEdit = new QSpinBox(m_top);
    m_offsetEdit->setObjectName(u"edDrawsOffset"_s);
    m_offsetEdit->setRange(0, 0);
    m_offsetEdit->setFixedWidth(70);
    m_offsetEdit->setToolTip(Tr(u"Количество последних тиражей, исключаемых из анализа"));
    m_offsetLabel->setBuddy(m_offsetEdit);
    connect(m_offsetEdit, &QSpinBox::valueChanged, this, &TDrawsPanel::setDrawsOffset);

    m_list = new QTableView(this);
    m_list->setObjectName(u"lvDraws"_s);
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(20);
    m_list->setWordWrap(false);
    for (int c = 0; c < TDrawsListModel::ColumnCount; ++c)
        m_list->setColumnWidth(c, TDrawsListModel::columnWidth(c));
    // Every column keeps the width it was given, the last one too, so that a saved layout comes back
    // as it was.
    m_list->horizontalHeader()->setStretchLastSection(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_top);
    layout->addWidget(m_list, 1);

    m_actAdd = new QAction(Tr(u"Добавить тираж..."), this);
    m_actAdd->setObjectName(u"DrawsAdd"_s);
    m_actAdd->setShortcut(QKeySequence(Qt::Key_Insert));
    m_actEdit = new QAction(Tr(u"Изменить тираж..."), this);
    m_actEdit->setObjectName(u"DrawsEdit"_s);
    m_actEdit->setShortcut(QKeySequence(Qt::Key_F2));
    m_actDelete = new QAction(Tr(u"Удалить тиражи"), this);
    m_actDelete->setObjectName(u"DrawsDel"_s);
    m_actDelete->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_actSorted = new QAction(Tr(u"Упорядочивать числа тиражей"), this);
    m_actSorted->setObjectName(u"DrawsSorted"_s);
    m_actSorted->setCheckable(true);
    for (QAction *a : {m_actAdd, m_actEdit, m_actDelete})
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_list->addActions({m_actAdd, m_actEdit, m_actDelete});
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(m_actAdd, &QAction::triggered, this, &TDrawsPanel::drawsAdd);
    connect(m_actEdit, &QAction::triggered, this, &TDrawsPanel::drawsEdit);
    connect(m_actDelete, &QAction::triggered, this, &TDrawsPanel::drawsDel);
    connect(m_actSorted, &QAction::triggered, this, &TDrawsPanel::drawsSorted);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TDrawsPanel::updateActions);

    m_dialog = [this](const QString &caption, TDrawRec &draw) {
        return ShowDrawDialog(this, caption, draw, true, m_drawCheck);
    };
    updateActions();
}

void TDrawsPanel::placeOffsetEdit()
{
    m_offsetEdit->move(m_top->width() - m_offsetEdit->width() - 2, 2);
    m_offsetLabel->adjustSize();
    m_offsetLabel->move(m_offsetEdit->x() - m_offsetLabel->width() - 4, 6);
}

void TDrawsPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeOffsetEdit();
}

void TDrawsPanel::setDrawsOffset(int offset)
{
    if (offset < 0)
        offset = 0;
    if (offset == m_offset)
        return;
    m_offset = offset;
    if (m_offsetEdit->value() != offset) {
        // The edit's maximum follows the archive; an offset set from elsewhere may exceed it.
        if (offset > m_offsetEdit->maximum())
            m_offsetEdit->setMaximum(offset);
        m_offsetEdit->setValue(offset);
    }
    updateDrawsInfo(false);
    emit refreshViewsRequested(false);
    m_model->repaintAll();
}

void TDrawsPanel::updateDrawsInfo(bool force)
{
    m_model->refreshRowCount(force);
    const TDrawsArray &draws = m_archive.draws();
    const int count = static_cast<int>(draws.size());
    m_hiddenNumbers.reset();
    if (m_offset > 0 && m_offset <= count) {
        for (uint8_t n : draws[static_cast<size_t>(count - m_offset)].main)
            if (IsGameNumber(n))
                m_hiddenNumbers.set(n);
    }
    m_model->setHighlightedRow(m_offset);
    emit drawsInfoChanged(m_model->rowCount(), NextDrawNumber(draws, m_offset), DrawNumbersText(draws, m_offset));
    const QSignalBlocker block(m_offsetEdit);
    m_offsetEdit->setMaximum(std::max(0, std::max(m_model->rowCount() - 1, m_offset)));
}

void TDrawsPanel::setSortedDraws(bool sorted)
{
    m_sorted = sorted;
    m_actSorted->setChecked(sorted);
    m_model->setSortedNumbers(sorted);
    m_model->repaintAll();
}

void TDrawsPanel::setColorDraws(bool colored)
{
    m_model->setColored(colored);
    m_model->repaintAll();
}

std::vector<int> TDrawsPanel::selectedDrawIndexes() const
{
    std::vector<int> indexes;
    for (const QModelIndex &row : m_list->selectionModel()->selectedRows()) {
        const int i = m_model->drawIndexOfRow(row.row());
        if (i >= 0)
            indexes.push_back(i);
    }
    std::sort(indexes.begin(), indexes.end(), std::greater<int>());
    return indexes;
}

void TDrawsPanel::updateActions()
{
    const bool idle = IsNotBusy();
    const bool selected = m_list->selectionModel() && m_list->selectionModel()->hasSelection();
    m_actAdd->setEnabled(idle);
    m_actEdit->setEnabled(idle && selected);
    m_actDelete->setEnabled(idle && selected);
    m_actSorted->setEnabled(idle);
}

void TDrawsPanel::saveAndRefresh()
{
    updateDrawsInfo(true);
    emit refreshViewsRequested(false);
}

void TDrawsPanel::drawsAdd()
{
    if (!IsNotBusy())
        return;
    TDrawRec draw;
    draw.number = NextDrawNumber(m_archive.draws(), 0);
    // A new draw is the newest: its number rises above the stored ones.
    m_drawCheck = [this](const TDrawRec &d) {
        return DrawEntryProblem(d, DrawNeighboursAt(m_archive.draws(), m_archive.count()), m_archive.today());
    };
    if (!m_dialog(Tr(u"Введите данные следующего тиража"), draw))
        return;
    changeAndSave(m_archive, [&] { m_archive.append(draw); });
    saveAndRefresh();
}

void TDrawsPanel::drawsEdit()
{
    if (!IsNotBusy())
        return;
    const std::vector<int> selected = selectedDrawIndexes();
    const QModelIndex current = m_list->currentIndex();
    int index = current.isValid() ? m_model->drawIndexOfRow(current.row()) : -1;
    if (index < 0 || std::find(selected.begin(), selected.end(), index) == selected.end())
        index = selected.empty() ? -1 : selected.front();
    if (index < 0)
        return;
    TDrawRec draw = m_archive.draws()[static_cast<size_t>(index)];
    // An edited draw keeps its place between its neighbours.
    m_drawCheck = [this, index](const TDrawRec &d) {
        return DrawEntryProblem(d, DrawNeighboursAt(m_archive.draws(), index), m_archive.today());
    };
    if (!m_dialog(Tr(u"Введите данные следующего тиража"), draw))
        return;
    changeAndSave(m_archive, [&] { m_archive.replace(index, draw); });
    saveAndRefresh();
}

void TDrawsPanel::drawsDel()
{
    if (!IsNotBusy())
        return;
    const std::vector<int> indexes = selectedDrawIndexes();
    if (indexes.empty() || !ConfirmDeleteRecords(static_cast<int>(indexes.size())))
        return;
    {
        BusySection busy;
        SetStatusText(Tr(u"Удаление выделенных тиражей...."));
        // The rows are deleted by their index, newest first, so that two draws with one number
        // never make the wrong record go.
        changeAndSave(m_archive, [&] {
            for (int index : indexes)
                m_archive.deleteDraw(index);
        });
        m_list->clearSelection();
        SetStatusText({});
    }
    saveAndRefresh();
}

void TDrawsPanel::drawsSorted()
{
    BusySection busy;
    const bool sorted = !m_sorted;
    setSortedDraws(sorted);
    emit sortedDrawsToggled(sorted);
    emit refreshViewsRequested(true);
}
