#pragma once

#include "common/Dialogs.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

// Records every message box and gives scripted answers (Yes/No/OK); installed for its lifetime.
class ScriptedMessages : public IMessageSink {
public:
    struct Box {
        QString caption;
        QString text;
        unsigned flags;
    };

    ScriptedMessages() { SetMessageSink(this); }
    ~ScriptedMessages() override { SetMessageSink(nullptr); }

    // The next questions get these answers in order; without one a question gets No.
    void answer(int result) { m_answers.push_back(result); }
    // Runs for every box as it is shown, to look at the windows the user would see with it.
    void onShow(std::function<void(const Box &)> look) { m_onShow = std::move(look); }
    int show(const QString &caption, const QString &text, unsigned flags) override;

    const std::vector<Box> &boxes() const { return m_boxes; }
    int count() const { return static_cast<int>(m_boxes.size()); }
    const Box &last() const { return m_boxes.back(); }
    void clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<int> m_answers;
    std::function<void(const Box &)> m_onShow;
};
