#include "tests/support/ScriptedMessages.h"

int ScriptedMessages::show(const QString &caption, const QString &text, unsigned flags)
{
    m_boxes.push_back({caption, text, flags});
    if (m_onShow)
        m_onShow(m_boxes.back());
    const bool question = (flags & 0xF) == MB_YESNO;
    if (!m_answers.empty()) {
        const int a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    return question ? IDNO : IDOK;
}
