#include "common/widgets/StatusTextPanel.h"

#include <QEvent>
#include <QGridLayout>
#include <QStatusBar>

namespace {
// Room the bar keeps between and around its panels, and for its size grip.
constexpr int kPanelSpacing = 6;
constexpr int kBarReserve = 32;
} // namespace

TStatusTextPanel::TStatusTextPanel(QStatusBar *bar, const QList<QLabel *> &counts)
    : QLabel(bar), m_bar(bar), m_counts(counts), m_box(new QWidget(bar)), m_grid(new QGridLayout(m_box))
{
    m_box->setObjectName(QStringLiteral("StatusPanels"));
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(kPanelSpacing);
    m_grid->setVerticalSpacing(1);
    // A long text never widens the window: the panel takes the room there is.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel *count : m_counts)
        count->setParent(m_box);
    setParent(m_box);
    bar->addWidget(m_box, 1);
    arrange();
    bar->installEventFilter(this);
}

void TStatusTextPanel::setStatusText(const QString &text)
{
    setText(text);
    fit();
}

bool TStatusTextPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_bar && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        fit();
    return QLabel::eventFilter(watched, event);
}

void TStatusTextPanel::fit()
{
    // A wider bar may hold in one row what did not fit before: the texts are measured afresh.
    if (m_bar->width() > m_barWidth)
        m_widest = 0;
    m_barWidth = m_bar->width();
    int counts = 0;
    for (const QLabel *count : std::as_const(m_counts))
        counts += count->sizeHint().width() + kPanelSpacing;
    if (!text().isEmpty())
        m_widest = std::max(m_widest, fontMetrics().horizontalAdvance(text()) + 2 * frameWidth() + 2 * margin() + 4);
    const bool twoRows = m_widest > 0 && counts + m_widest + kBarReserve > m_bar->width();
    if (twoRows == m_twoRows)
        return;
    m_twoRows = twoRows;
    arrange();
}

void TStatusTextPanel::arrange()
{
    for (QLabel *count : std::as_const(m_counts))
        m_grid->removeWidget(count);
    m_grid->removeWidget(this);
    const int n = int(m_counts.size());
    for (int column = 0; column <= n; ++column)
        m_grid->setColumnStretch(column, 0);
    const int countsRow = m_twoRows ? 1 : 0;
    for (int i = 0; i < n; ++i)
        m_grid->addWidget(m_counts[i], countsRow, i);
    if (m_twoRows)
        m_grid->addWidget(this, 0, 0, 1, n + 1);
    else
        m_grid->addWidget(this, 0, n);
    // The free panel, or the room after the counts, takes what is left.
    m_grid->setColumnStretch(n, 1);
}
