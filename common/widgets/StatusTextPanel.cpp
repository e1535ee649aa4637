#include "common/widgets/StatusTextPanel.h"

#include <QEvent>
#include <QStatusBar>

namespace {
// Room the bar keeps between and around its panels, and for its size grip, with some to spare so that
// a text on the edge never switches back and forth.
constexpr int kPanelSpacing = 6;
constexpr int kBarReserve = 32;
} // namespace

TStatusTextPanel::TStatusTextPanel(QStatusBar *bar) : QLabel(bar), m_bar(bar)
{
    // A long text never widens the window: the panel takes the room there is.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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
    const QList<QLabel *> panels = m_bar->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    int others = 0;
    for (const QLabel *panel : panels)
        if (panel != this)
            others += panel->sizeHint().width() + kPanelSpacing;
    const int needed = fontMetrics().horizontalAdvance(text()) + 2 * frameWidth() + 2 * margin() + 4;
    const bool spans = !text().isEmpty() && others + needed + kBarReserve > m_bar->width();
    if (spans == m_spans)
        return;
    m_spans = spans;
    for (QLabel *panel : panels)
        if (panel != this)
            panel->setVisible(!spans);
}
