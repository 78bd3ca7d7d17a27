#pragma once
// The one way QERN shows a message box. Tests replace the handler with a scripted
// answerer and read what was shown; no other code calls QMessageBox.

#include <QString>

#include <functional>

namespace qern {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };
enum class MsgIcon { None, Information, Warning, Critical, Question };

struct MessageRequest {
    QString text; // as the program builds it; carriage returns break lines
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    // The button Enter presses: No for a Yes/No question, so a destructive action
    // never happens by a stray key.
    MsgAnswer defaultAnswer = MsgAnswer::Ok;
};

class MessageBox {
public:
    // A box without a title of its own shows the program's default title.
    static MsgAnswer show(const QString &text, const QString &title = QString(),
                          MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None);
    static QString defaultTitle() { return QStringLiteral("QERN"); }

    using Handler = std::function<MsgAnswer(const MessageRequest &)>;
    // An empty handler restores the real message box.
    static void setHandler(Handler handler);
};

} // namespace qern
