#include "common/widgets/SplitterPane.h"

#include <QEvent>
#include <QSplitter>

#include <algorithm>

TSplitterPane::TSplitterPane(QSplitter *splitter, int pane, int designedSize)
    : QObject(splitter), m_splitter(splitter), m_pane(pane)
{
    for (int i = 0; i < splitter->count(); ++i)
        splitter->setStretchFactor(i, i == pane ? 0 : 1);
    splitter->installEventFilter(this);
    setSize(designedSize);
}

int TSplitterPane::size() const
{
    return m_pending >= 0 ? m_pending : m_splitter->sizes().value(m_pane);
}

void TSplitterPane::setSize(int size)
{
    if (size < 0)
        return;
    m_pending = size;
    apply();
}

bool TSplitterPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_splitter && m_pending >= 0 && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        apply();
    return QObject::eventFilter(watched, event);
}

bool TSplitterPane::apply()
{
    if (!m_splitter->isVisible() || m_pane >= m_splitter->count())
        return false;
    const QRect area = m_splitter->contentsRect();
    const bool vertical = m_splitter->orientation() == Qt::Vertical;
    int room = vertical ? area.height() : area.width();
    if (room <= 0)
        return false;
    QList<int> sizes = m_splitter->sizes();
    int others = 0;
    int shown = 0;
    for (int i = 0; i < m_splitter->count(); ++i)
        if (!m_splitter->widget(i)->isHidden()) {
            ++shown;
            if (i != m_pane)
                others += std::max(sizes.value(i), 1);
        }
    room -= m_splitter->handleWidth() * std::max(shown - 1, 0);
    const int mine = std::min(m_pending, std::max(room, 0));
    // The other panes share the rest as they shared it before.
    const int rest = std::max(room - mine, 0);
    int given = 0;
    int last = -1;
    for (int i = 0; i < m_splitter->count(); ++i) {
        if (i == m_pane || m_splitter->widget(i)->isHidden())
            continue;
        const long long share = others > 0 ? static_cast<long long>(rest) * std::max(sizes.value(i), 1) / others : 0;
        sizes[i] = static_cast<int>(share);
        given += sizes[i];
        last = i;
    }
    if (last >= 0)
        sizes[last] += rest - given;
    sizes[m_pane] = mine;
    m_splitter->setSizes(sizes);
    m_pending = -1;
    return true;
}
