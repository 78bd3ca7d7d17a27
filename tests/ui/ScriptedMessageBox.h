#pragma once
// Test double of the message box service: records every box shown and answers from
// a script (the first button when the script is empty).

#include <QDebug>
#include <QList>
#include <QQueue>

#include "MessageBox.h"

namespace qern::test {

class ScriptedMessageBox {
public:
    ScriptedMessageBox() { install(); }
    ~ScriptedMessageBox() { MessageBox::setHandler({}); }
    ScriptedMessageBox(const ScriptedMessageBox &) = delete;
    ScriptedMessageBox &operator=(const ScriptedMessageBox &) = delete;

    // Answers from the script again, after a test has let the real box show.
    void install()
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

    void answerNext(MsgAnswer answer) { m_answers.enqueue(answer); }
    QStringList texts() const
    {
        QStringList list;
        for (const MessageRequest &r : shown)
            list << r.text;
        return list;
    }
    // Every box shown as "title: text", one a line.
    QString summary() const
    {
        QStringList lines;
        for (const MessageRequest &r : shown)
            lines << r.title + QStringLiteral(": ") + r.text;
        return lines.join(QLatin1Char('\n'));
    }
    // One box only, titled "Error", its text "Error # n: description" with the given end.
    bool onlyError(const QString &end = {}) const
    {
        const bool one = shown.size() == 1 && shown[0].title == QLatin1String("Error") &&
                         shown[0].text.startsWith(QLatin1String("Error # ")) && shown[0].text.endsWith(end);
        if (!one)
            qWarning().noquote() << "boxes shown:" << summary();
        return one;
    }

    QList<MessageRequest> shown;

private:
    QQueue<MsgAnswer> m_answers;
};

} // namespace qern::test
