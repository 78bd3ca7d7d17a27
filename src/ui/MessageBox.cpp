#include "MessageBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>

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

// A message box wraps its text at blanks and cuts a word longer than the box can be
// wide (a location's name without blanks): such a word shows its two ends instead, and
// the whole text is under "Show Details...".
void setTextWhole(QMessageBox &box, const QString &text)
{
    const QFontMetrics metrics = box.fontMetrics();
    const QScreen *screen = box.screen();
    const int widest = std::min(screen ? screen->availableGeometry().width() / 3 : 400, 400);
    static const QRegularExpression word(QStringLiteral("\\S+"));
    QString shown;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch &match : word.globalMatch(text)) {
        if (metrics.horizontalAdvance(match.captured()) <= widest)
            continue;
        shown += text.mid(copied, match.capturedStart() - copied) +
                 metrics.elidedText(match.captured(), Qt::ElideMiddle, widest);
        copied = match.capturedEnd();
    }
    if (copied == 0) {
        box.setText(text);
        return;
    }
    box.setText(shown + text.mid(copied));
    box.setDetailedText(text);
}

// The title bar shows the title whole beside the window's icon and its three buttons: the
// box is that wide at least, however short its text ("Not found").
void keepTitleWhole(QMessageBox &box)
{
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) +
                      4 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

// "Show Details..." only shows and hides the details: Enter still answers the box, also
// once the details are open.
void keepEnterForTheAnswer(QMessageBox &box)
{
    const auto *buttons = box.findChild<QDialogButtonBox *>();
    for (QAbstractButton *button : buttons ? buttons->buttons() : QList<QAbstractButton *>()) {
        auto *push = qobject_cast<QPushButton *>(button);
        if (push && buttons->buttonRole(button) == QDialogButtonBox::ActionRole)
            push->setAutoDefault(false);
    }
}

MsgAnswer showReal(const MessageRequest &request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.title);
    // The program's messages hold no markup; a name or path of the user's may look like it.
    box.setTextFormat(Qt::PlainText);
    setTextWhole(box, withLineBreaks(request.text));
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
    keepTitleWhole(box);
    keepEnterForTheAnswer(box);
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
