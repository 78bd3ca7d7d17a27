#pragma once
// Test double of the message box service: records every box shown and answers from
// a script (the first button when the script is empty).

#include <QList>
#include <QQueue>

#include "MessageBox.h"

namespace qern::test {

class ScriptedMessageBox {
public:
    ScriptedMessageBox()
    {
        MessageBox::setHandler([this](const MessageRequest &request) {
            shown.append(request);
            if (!m_answers.isEmpty())
                return m_answers.dequeue();
            return request.buttons == MsgButtons::YesNo || request.buttons == MsgButtons::YesNoCancel
                       ? MsgAnswer::Yes
                       : MsgAnswer::Ok;
        });
    }
    ~ScriptedMessageBox() { MessageBox::setHandler({}); }
    ScriptedMessageBox(const ScriptedMessageBox &) = delete;
    ScriptedMessageBox &operator=(const ScriptedMessageBox &) = delete;

    void answerNext(MsgAnswer answer) { m_answers.enqueue(answer); }
    QStringList texts() const
    {
        QStringList list;
        for (const MessageRequest &r : shown)
            list << r.text;
        return list;
    }

    QList<MessageRequest> shown;

private:
    QQueue<MsgAnswer> m_answers;
};

} // namespace qern::test
