#include "FormSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QTextDocument>
#include <QValidator>
#include <QWidget>

#include "BeaconRecord.h"
#include "ClockTexts.h"
#include "MessageBox.h"
#include "Text.h"

namespace qern {

namespace {

// A window closed (title bar, Alt+F4) while a handler lets events run would go while
// the handler still works on it and its files; Exit cannot be clicked then either.
// The close waits until the handler is done, then happens as if just asked. A modal
// box or dialog opened meanwhile runs its own loop and closes at once.
class CloseAfterHandler : public QObject {
public:
    CloseAfterHandler() : m_loopLevel(QThread::currentThread()->loopLevel())
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~CloseAfterHandler() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Close || QThread::currentThread()->loopLevel() != m_loopLevel)
            return false;
        // Windows and dialogs only: a tooltip or popup may close on its own timer.
        auto *window = qobject_cast<QWidget *>(watched);
        if (!window || (window->windowType() != Qt::Window && window->windowType() != Qt::Dialog))
            return false;
        event->ignore();
        QTimer::singleShot(0, window, [window] {
            if (window->isVisible())
                window->close();
        });
        return true;
    }

private:
    const int m_loopLevel;
};

} // namespace

void letEventsRun()
{
    if (!QCoreApplication::instance())
        return;
    const CloseAfterHandler closeWaits;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

namespace {

// A validator sees every edit of a line edit, typed or pasted, before it lands.
class EnteredCharacterMap : public QValidator {
public:
    EnteredCharacterMap(QList<std::pair<QChar, QChar>> replacements, QObject *parent)
        : QValidator(parent), m_replacements(std::move(replacements))
    {
    }

    State validate(QString &input, int &) const override
    {
        for (const auto &[entered, stored] : m_replacements)
            input.replace(entered, stored);
        return Acceptable;
    }

private:
    QList<std::pair<QChar, QChar>> m_replacements;
};

} // namespace

void replaceEnteredCharacters(QLineEdit *box, const QList<std::pair<QChar, QChar>> &replacements)
{
    box->setValidator(new EnteredCharacterMap(replacements, box));
}

QFont namedFont(const QString &family, int pointSize, bool bold)
{
    QFont font(family, pointSize);
    font.setBold(bold);
    return font;
}

QFont fixedListFont()
{
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(courier).fixedPitch())
        return courier;
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

int captionWidth(const QWidget *control)
{
    if (auto *label = qobject_cast<const QLabel *>(control))
        return captionWidth(control, label->text());
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return captionWidth(control, button->text());
    return 0;
}

int captionWidth(const QWidget *control, const QString &caption)
{
    const QFontMetrics metrics = control->fontMetrics();
    if (auto *label = qobject_cast<const QLabel *>(control)) {
        // What a label adds around its text: frame, margins and indent (half an "x"
        // beside a frame unless set).
        int indent = label->indent();
        if (indent < 0)
            indent = label->frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        const int around = 2 * (label->frameWidth() + label->margin()) + indent;
        return metrics.size(0, caption).width() + around;
    }
    auto *button = qobject_cast<const QAbstractButton *>(control);
    if (!button)
        return 0;
    QSize contents = metrics.size(Qt::TextShowMnemonic, caption);
    if (!button->icon().isNull())
        contents.rwidth() += button->iconSize().width() + 4;
    QStyleOptionButton option;
    option.initFrom(button);
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::ContentsType type = QStyle::CT_PushButton;
    if (qobject_cast<const QCheckBox *>(button))
        type = QStyle::CT_CheckBox;
    else if (qobject_cast<const QRadioButton *>(button))
        type = QStyle::CT_RadioButton;
    else if (auto *push = qobject_cast<const QPushButton *>(button); push && push->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    return button->style()->sizeFromContents(type, &option, contents, button).width();
}

int fittedWidth(const QWidget *control, int designedWidth)
{
    return std::max(designedWidth, captionWidth(control));
}

int rightOf(const QWidget *control, int gap)
{
    return control->x() + control->width() + gap;
}

int alignCaptionColumn(const QList<QLabel *> &captions)
{
    int width = 0;
    for (const QLabel *caption : captions)
        width = std::max(width, caption->width());
    for (QLabel *caption : captions)
        caption->resize(width, caption->height());
    return captions.isEmpty() ? 0 : captions.first()->x() + width;
}

namespace {

// A tool tip that looks like markup would be shown as markup.
QString plainToolTip(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

// Keeps one control's caption fitted to its width; a child of the control.
class UserTextCaption : public QObject {
public:
    explicit UserTextCaption(QWidget *control) : QObject(control), m_control(control)
    {
        setObjectName(QLatin1String(kName));
        control->installEventFilter(this);
        if (auto *label = qobject_cast<QLabel *>(control))
            label->setTextFormat(Qt::PlainText);
    }

    static UserTextCaption *of(QWidget *control)
    {
        auto *caption = control->findChild<UserTextCaption *>(QLatin1String(kName), Qt::FindDirectChildrenOnly);
        return caption ? caption : new UserTextCaption(control);
    }

    void set(const QString &before, const QString &userText, const QString &after, Qt::TextElideMode mode)
    {
        m_before = before;
        m_userText = userText;
        m_after = after;
        m_mode = mode;
        fit();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_control &&
            (event->type() == QEvent::Resize || event->type() == QEvent::FontChange ||
             event->type() == QEvent::StyleChange))
            fit();
        return false;
    }

private:
    static constexpr const char *kName = "qern_userTextCaption";

    // What the control is given: a button would take an ampersand for a mnemonic.
    QString literal(const QString &caption) const
    {
        if (!qobject_cast<QAbstractButton *>(m_control))
            return caption;
        return QString(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
    }

    bool fits(const QString &caption) const { return captionWidth(m_control, literal(caption)) <= m_control->width(); }

    void fit()
    {
        const QString whole = m_before + m_userText + m_after;
        QString shown = whole;
        if (!fits(whole)) {
            // The fixed words take their room first; kerning may want a little more.
            const QFontMetrics metrics = m_control->fontMetrics();
            int room = m_control->width() - captionWidth(m_control, literal(m_before + m_after));
            do {
                shown = m_before + metrics.elidedText(m_userText, m_mode, std::max(room, 0)) + m_after;
                room -= 2;
            } while (!fits(shown) && room > 0);
        }
        if (auto *label = qobject_cast<QLabel *>(m_control))
            label->setText(shown);
        else if (auto *button = qobject_cast<QAbstractButton *>(m_control))
            button->setText(literal(shown));
        m_control->setToolTip(shown == whole ? QString() : plainToolTip(whole));
    }

    QWidget *m_control;
    QString m_before;
    QString m_userText;
    QString m_after;
    Qt::TextElideMode m_mode = Qt::ElideRight;
};

// Keeps a read-only box's text shown from its start, with the whole in the tool tip when
// cut; a child of the box.
class TextFromStart : public QObject {
public:
    explicit TextFromStart(QLineEdit *box) : QObject(box), m_box(box)
    {
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this] {
            m_box->setCursorPosition(0);
            updateToolTip();
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_box && (event->type() == QEvent::Resize || event->type() == QEvent::FontChange))
            updateToolTip();
        return false;
    }

private:
    void updateToolTip()
    {
        QStyleOptionFrame option;
        option.initFrom(m_box);
        option.lineWidth = m_box->hasFrame() ? m_box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, m_box)
                                             : 0;
        // The box keeps two pixels either side of its text.
        const QRect room = m_box->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, m_box)
                               .marginsRemoved(m_box->textMargins())
                               .adjusted(2, 0, -2, 0);
        const QString text = m_box->text();
        const bool whole = m_box->fontMetrics().horizontalAdvance(text) <= room.width();
        m_box->setToolTip(whole ? QString() : plainToolTip(text));
    }

    QLineEdit *m_box;
};

} // namespace

void showTextFromStart(QLineEdit *box)
{
    new TextFromStart(box);
}

void setUserTextCaption(QWidget *control, const QString &before, const QString &userText, const QString &after,
                        Qt::TextElideMode mode)
{
    UserTextCaption::of(control)->set(before, userText, after, mode);
}

NameList::NameList(const char *objectName)
{
    setObjectName(QLatin1String(objectName));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(layoutOf(BeaconField::Location).width);
    connect(this, &QComboBox::currentTextChanged, this, &NameList::updateToolTip);
}

QRect NameList::nameRect() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
}

void NameList::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, nameRect().width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void NameList::resizeEvent(QResizeEvent *event)
{
    QComboBox::resizeEvent(event);
    updateToolTip();
}

void NameList::updateToolTip()
{
    const bool whole = fontMetrics().horizontalAdvance(currentText()) <= nameRect().width();
    setToolTip(whole ? QString() : plainToolTip(currentText()));
}

QPushButton *namedButton(const char *objectName, const QString &caption)
{
    auto *button = new QPushButton(caption);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

QRadioButton *namedOption(const char *objectName, const QString &caption)
{
    auto *option = new QRadioButton(caption);
    option->setObjectName(QLatin1String(objectName));
    return option;
}

QScrollBar *newDetailScrollBar(const char *objectName, int minimum, int maximum)
{
    auto *bar = new QScrollBar(Qt::Horizontal);
    bar->setObjectName(QLatin1String(objectName));
    bar->setRange(minimum, maximum);
    bar->setPageStep(1);
    return bar;
}

int detailValue(const QScrollBar *bar)
{
    return bar->minimum() + bar->maximum() - bar->value();
}

void setDetailValue(QScrollBar *bar, int detail)
{
    bar->setValue(bar->minimum() + bar->maximum() - detail);
}

void bringToFront(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void refreshClockLabels(SharedState &state, QLabel *utc, QLabel *local)
{
    const ClockTexts clock = RefreshClockTexts(state);
    utc->setText(fromWindows1252("UTC " + clock.UTCDateText + "  " + clock.UTCTimeText));
    local->setText(fromWindows1252("Local " + clock.LocalDateText + "   " + clock.LocalTimeText));
}

int clockLabelWidth(const QLabel *clock)
{
    int width = 0;
    for (const char *widest : {"UTC 0000-00-00  00:00", "Local 0000-00-00   00:00 AM", "Local 0000-00-00   00:00 PM"})
        width = std::max(width, captionWidth(clock, QLatin1String(widest)));
    return width;
}

std::optional<QByteArray> storableText(const QString &text, const QString &refusal)
{
    bool lossless = true;
    QByteArray bytes = toWindows1252(text, &lossless);
    if (!lossless) {
        MessageBox::show(refusal, QStringLiteral("Error"));
        return std::nullopt;
    }
    return bytes;
}

bool commentsStorable(std::initializer_list<QLineEdit *> boxes)
{
    for (QLineEdit *box : boxes) {
        if (!storableText(box->text(), QStringLiteral("The comments hold a character that cannot be stored."))) {
            box->setFocus();
            return false;
        }
    }
    return true;
}

int checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void setCheckValue(QCheckBox *box, int value)
{
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

namespace {

bool currentlyEnabled(QObject *command)
{
    if (auto *widget = qobject_cast<QWidget *>(command))
        return widget->isEnabled();
    if (auto *action = qobject_cast<QAction *>(command))
        return action->isEnabled();
    return false;
}

} // namespace

void CommandGate::setAvailable(QObject *command, bool available)
{
    auto it = m_entries.find(command);
    if (it == m_entries.end())
        it = m_entries.insert(command, Entry{command, currentlyEnabled(command), true});
    it->available = available;
    apply(command);
}

bool CommandGate::isAvailable(QObject *command) const
{
    const auto it = m_entries.constFind(command);
    return it == m_entries.constEnd() || it->available;
}

void CommandGate::setArmed(QObject *command, bool armed)
{
    auto it = m_entries.find(command);
    if (it == m_entries.end())
        it = m_entries.insert(command, Entry{command, armed, true});
    it->armed = armed;
    apply(command);
}

bool CommandGate::isArmed(QObject *command) const
{
    const auto it = m_entries.constFind(command);
    return it == m_entries.constEnd() ? currentlyEnabled(command) : it->armed;
}

void CommandGate::apply(QObject *command)
{
    const Entry &entry = m_entries[command];
    if (!entry.command)
        return;
    const bool enabled = entry.armed && entry.available;
    if (auto *widget = qobject_cast<QWidget *>(command))
        widget->setEnabled(enabled);
    else if (auto *action = qobject_cast<QAction *>(command))
        action->setEnabled(enabled);
}

} // namespace qern
