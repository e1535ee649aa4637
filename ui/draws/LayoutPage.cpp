#include "ui/draws/LayoutPage.h"

#include "common/BusyCursor.h"
#include "common/Translate.h"
#include "common/widgets/ListView.h"
#include "common/widgets/SplitterPane.h"
#include "common/widgets/StringGrid.h"
#include "app/draws/DrawsArchive.h"
#include "app/settings/MainOptions.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStyle>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultLayoutLen = 100;
constexpr std::array<int, TLayoutPage::kCompareLists> kDefaultCompareLens = {50, 100, 200, 300, 400};
constexpr int kMaxLength = 100000;
constexpr int kHeaderColWidth = 50;
constexpr int kColWidth = 40;

QString LengthHint()
{
    return Tr(u"Количество тиражей, использующихся для расчета статистики");
}

QSpinBox *MakeLengthEdit(const QString &name, int value, QWidget *parent)
{
    auto *edit = new QSpinBox(parent);
    edit->setObjectName(name);
    edit->setRange(1, kMaxLength);
    edit->setValue(value);
    edit->setToolTip(LengthHint());
    return edit;
}

QToolButton *MakeButton(QAction *action, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

TLayoutPage::TLayoutPage(const TDrawsArchive &archive, const MainOptions &options, QWidget *parent)
    : QWidget(parent), m_archive(archive), m_options(options)
{
    setObjectName(u"tsLayout"_s);

    m_actCalc = new QAction(Tr(u"Обновить"), this);
    m_actCalc->setObjectName(u"LayoutCalc"_s);
    m_actCmpCalc = new QAction(Tr(u"Обновить"), this);
    m_actCmpCalc->setObjectName(u"LayoutCmpCalc"_s);
    connect(m_actCalc, &QAction::triggered, this, [this] {
        if (IsNotBusy())
            RefreshLayout(true);
    });
    connect(m_actCmpCalc, &QAction::triggered, this, [this] {
        if (IsNotBusy())
            RefreshLayoutLists(true);
    });

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(Tr(u"Тиражей:"), this));
    m_edLen = MakeLengthEdit(u"edLayoutLen"_s, kDefaultLayoutLen, this);
    m_edLen->installEventFilter(this);
    top->addWidget(m_edLen);
    top->addWidget(MakeButton(m_actCalc, this));
    top->addStretch(1);

    m_grid = new TStringGrid(this);
    m_grid->setObjectName(u"sgLayout"_s);
    m_grid->setFixedCols(1);
    m_grid->setFixedRows(1);
    m_grid->setColCount(2);
    m_grid->setRowCount(2);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setDefaultDrawing(false);
    m_grid->setOnDrawCell([this](QPainter *painter, const QRect &rect, int col, int row, bool selected) {
        paintCell(painter, rect, col, row, selected);
    });

    // The five lists keep the width they need to be read and share what is left; a window too narrow
    // for all five scrolls them sideways.
    m_compareScroll = new QScrollArea(this);
    m_compareScroll->setObjectName(u"sbLayoutCompare"_s);
    m_compareScroll->setFrameShape(QFrame::NoFrame);
    m_compareScroll->setWidgetResizable(true);
    m_compareScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_comparePanel = new QWidget(m_compareScroll);
    m_comparePanel->setObjectName(u"pnlLayoutCompare"_s);
    auto *lists = new QHBoxLayout(m_comparePanel);
    lists->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < kCompareLists; ++k) {
        auto *column = new QVBoxLayout;
        auto *head = new QHBoxLayout;
        QSpinBox *edit = MakeLengthEdit(u"edLayoutCmp%1"_s.arg(k + 1), kDefaultCompareLens[static_cast<size_t>(k)],
                                        m_comparePanel);
        edit->installEventFilter(this);
        head->addWidget(edit, 1);
        if (k == kCompareLists - 1)
            head->addWidget(MakeButton(m_actCmpCalc, m_comparePanel));
        auto *list = new TQSortListView(m_comparePanel);
        list->setObjectName(u"lvLayoutCmp%1"_s.arg(k + 1));
        // Five lists share the panel: no sort mark takes room from the captions (the lists still
        // sort by a click), and the window's range fills the rest of each list.
        list->horizontalHeader()->setSortIndicatorShown(false);
        list->addColumn(Tr(u"Кол-во"), 40, Qt::AlignRight);
        list->addColumn(QString(), 40);
        list->horizontalHeader()->setStretchLastSection(true);
        // The numbers of a count go on in further lines rather than end in "...": the lists are short.
        list->setWordWrap(true);
        list->setTextElideMode(Qt::ElideNone);
        list->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        column->addLayout(head);
        column->addWidget(list, 1);
        // Equal stretches share the panel's width equally whatever its size.
        lists->addLayout(column, 1);
        m_edCmp[static_cast<size_t>(k)] = edit;
        m_lvCmp[static_cast<size_t>(k)] = list;
        fitCompareList(list);
    }
    m_compareScroll->setWidget(m_comparePanel);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(u"splLayout"_s);
    m_splitter->addWidget(m_grid);
    m_splitter->addWidget(m_compareScroll);
    m_splitter->setChildrenCollapsible(false);
    // The comparison panel keeps its height ("LayoutCompareHeight"); the scheme takes the rest.
    m_comparePane = new TSplitterPane(m_splitter, 1, m_comparePanel->sizeHint().height());

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_splitter, 1);
}

QString TLayoutPage::caption()
{
    return Tr(u"Схема");
}

bool TLayoutPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *edit = qobject_cast<QSpinBox *>(watched);
        if (edit && (key == Qt::Key_Return || key == Qt::Key_Enter) && IsNotBusy()) {
            // A text outside the bounds is not taken: the edit keeps its last valid value.
            if (!edit->hasAcceptableInput())
                return false;
            edit->interpretText();
            if (edit == m_edLen)
                RefreshLayout(false);
            else
                RefreshLayoutLists(true);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TLayoutPage::RefreshLayout(bool force)
{
    if (!isShownTab())
        return;
    const Cache now{m_archive.revision(), m_archive.count(), drawsOffset(), m_edLen->value()};
    if (!force && now == m_schemeCache)
        return;
    BusySection busy;
    SetStatusText(Tr(u"Построение схемы выпадения номеров..."));
    const int offset = drawsOffset();
    m_scheme = BuildLayoutScheme(m_archive.draws(), offset, m_edLen->value(),
                                 LayoutMarkedNumbers(m_archive.draws(), offset));
    m_schemeCache = now;
    showScheme();
    SetStatusText({});
}

void TLayoutPage::showScheme()
{
    m_grid->clearSelection();
    m_grid->clearCells();
    m_grid->setColCount(m_scheme.colCount());
    m_grid->setRowCount(m_scheme.rowCount());
    const QFontMetrics metrics(m_grid->font());
    for (int col = 0; col < m_scheme.colCount(); ++col) {
        int width = col == 0 ? kHeaderColWidth : kColWidth;
        for (int row = 0; row < m_scheme.rowCount(); ++row) {
            const QString text = m_scheme.cell(col, row);
            m_grid->setCells(col, row, text);
            if (row > 0 && col > 0)
                width = std::max(width, metrics.horizontalAdvance(text) + 10);
        }
        m_grid->setColWidth(col, width);
    }
    m_grid->invalidateAll();
}

void TLayoutPage::RefreshLayoutLists(bool force)
{
    if (!isShownTab())
        return;
    const Cache now{m_archive.revision(), m_archive.count(), drawsOffset(), 0};
    if (!force && now == m_listsCache)
        return;
    BusySection busy;
    SetStatusText(Tr(u"Построение схемы выпадения номеров..."));
    for (int k = 0; k < kCompareLists; ++k) {
        const TLayoutList built = BuildLayoutList(m_archive.draws(), now.offset, compareLen(k));
        TListViewModel *model = compareList(k)->listModel();
        model->clearItems();
        model->setColumnCaption(1, built.caption);
        for (const TLayoutListRow &row : built.rows) {
            TListItem item;
            item.texts = {QString::number(row.count), row.numbers};
            model->addItem(item);
        }
        fitCompareList(compareList(k));
    }
    m_listsCache = now;
    SetStatusText({});
}

void TLayoutPage::fitCompareList(TQSortListView *list)
{
    // The counts and their caption read whole; the numbers column holds its caption (the window's
    // draws) and two numbers a line, and takes the rest of the list's width.
    const TListViewModel *model = list->listModel();
    const QHeaderView *header = list->horizontalHeader();
    const QFontMetrics metrics(list->font());
    const int cellMargins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1) + 2;
    int counts = HeaderCaptionWidth(header, model->columnCaption(0));
    for (int row = 0; row < model->rowCount(); ++row)
        counts = std::max(counts, metrics.horizontalAdvance(model->cellText(row, 0)) + cellMargins);
    const int numbers = std::max(HeaderCaptionWidth(header, model->columnCaption(1)),
                                 metrics.horizontalAdvance(u"45, 45"_s) + cellMargins);
    list->setColumnWidth(0, counts);
    list->setMinimumWidth(counts + numbers + 2 * list->frameWidth() +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list));
}

void TLayoutPage::paintCell(QPainter *painter, const QRect &rect, int col, int row, bool selected) const
{
    const QString text = m_grid->cells(col, row);
    QColor background;
    QColor foreground = m_grid->palette().color(QPalette::Text);
    if (selected) {
        background = m_grid->palette().color(QPalette::Highlight);
        foreground = m_grid->palette().color(QPalette::HighlightedText);
    } else {
        const TRgb c = LayoutCellColour(text, col, row, m_grid->colCount(), m_grid->rowCount(), m_options.layoutGradient);
        background = QColor(c.r, c.g, c.b);
        foreground = Qt::black;
    }
    painter->fillRect(rect, background);
    painter->setPen(foreground);
    painter->drawText(rect.adjusted(0, 2, 0, 0), Qt::AlignHCenter | Qt::AlignTop, text);
}

int TLayoutPage::layoutLen() const
{
    return m_edLen->value();
}

void TLayoutPage::setLayoutLen(int value)
{
    if (value >= 1)
        m_edLen->setValue(value);
}

int TLayoutPage::compareLen(int k) const
{
    return compareEdit(k)->value();
}

void TLayoutPage::setCompareLen(int k, int value)
{
    if (k >= 0 && k < kCompareLists && value >= 1)
        compareEdit(k)->setValue(value);
}

int TLayoutPage::compareHeight() const
{
    return m_comparePane->size();
}

void TLayoutPage::setCompareHeight(int height)
{
    if (height > 0)
        m_comparePane->setSize(height);
}

bool TLayoutPage::hasSelection() const
{
    return m_grid->selectionModel() && m_grid->selectionModel()->hasSelection();
}

TFilterSelection TLayoutPage::selection() const
{
    if (!hasSelection())
        return {};
    // The bounding rectangle of the selected cells, in grid coordinates.
    QRect cells;
    for (const QModelIndex &i : m_grid->selectionModel()->selectedIndexes())
        cells |= QRect(i.column() + m_grid->fixedCols(), i.row() + m_grid->fixedRows(), 1, 1);
    return LayoutSelection([this](int col, int row) { return m_grid->cells(col, row); }, cells);
}
