#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace qern {

namespace {

MessageBox::Handler &handler()
{
    static MessageBox::Handler h;
    return h;
}

QString withLineBreaks(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// A scripted run (QERN_UNATTENDED set) has nobody to press a button: each box goes to
// the standard error as "title: text" and takes its default answer, No for a question.
bool isUnattended()
{
    static const bool unattended = !qEnvironmentVariableIsEmpty("QERN_UNATTENDED");
    return unattended;
}

MsgAnswer answerUnattended(const MessageRequest &request)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(request.title), qPrintable(withLineBreaks(request.text)));
    std::fflush(stderr);
    return request.defaultAnswer;
}

MsgAnswer showReal(const MessageRequest &request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.title);
    box.setText(withLineBreaks(request.text));
    switch (request.icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (request.buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (request.defaultAnswer) {
    case MsgAnswer::Yes:
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgAnswer::No:
        box.setDefaultButton(QMessageBox::No);
        break;
    case MsgAnswer::Cancel:
        box.setDefaultButton(QMessageBox::Cancel);
        break;
    case MsgAnswer::Ok:
        box.setDefaultButton(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

} // namespace

MsgAnswer MessageBox::show(const QString &text, const QString &title, MsgButtons buttons, MsgIcon icon)
{
    const bool question = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
    const MessageRequest request{text, title.isEmpty() ? defaultTitle() : title, buttons, icon,
                                 question ? MsgAnswer::No : MsgAnswer::Ok};
    if (handler())
        return handler()(request);
    if (isUnattended())
        return answerUnattended(request);
    return showReal(request);
}

void MessageBox::setHandler(Handler h)
{
    handler() = std::move(h);
}

} // namespace qern
