#include "FormSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QtMath>
#include <QTextDocument>
#include <QValidator>
#include <QWidget>

#include <functional>

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

namespace {

// What a label or a button keeps around its caption, as its style lays it out: frame,
// margins, indent; a box's indicator; a push button's bevel and margin; an icon.
int captionChrome(const QWidget *control)
{
    if (auto *label = qobject_cast<const QLabel *>(control)) {
        // Half an "x" of indent beside a frame, unless set.
        int indent = label->indent();
        if (indent < 0)
            indent = label->frameWidth() > 0 ? label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        return 2 * (label->frameWidth() + label->margin()) + indent;
    }
    auto *button = qobject_cast<const QAbstractButton *>(control);
    if (!button)
        return 0;
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect.setWidth(1000);
    int room = 0;
    if (qobject_cast<const QCheckBox *>(button)) {
        room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width();
    } else if (qobject_cast<const QRadioButton *>(button)) {
        room = button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button).width();
    } else {
        if (auto *push = qobject_cast<const QPushButton *>(button); push && push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width() -
               button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    }
    const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    return 1000 - room + icon;
}

} // namespace

int captionWidth(const QWidget *control, const QString &caption)
{
    const QFontMetrics metrics = control->fontMetrics();
    // A label shows its text as it is; a button underlines the letter after an ampersand.
    const int text = qobject_cast<const QLabel *>(control)
                         ? metrics.boundingRect(QRect(0, 0, 100000, 100000), 0, caption).width()
                         : metrics.size(Qt::TextShowMnemonic, caption).width();
    return text + captionChrome(control);
}

QSize roomOnScreen(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    // A title bar is about two lines of its font high; borders a few pixels.
    const int titleBar = 2 * QFontMetrics(QFontDatabase::systemFont(QFontDatabase::TitleFont)).height();
    constexpr int kBorder = 4;
    return available - QSize(2 * kBorder, titleBar + 2 * kBorder);
}

void setDesignedSize(QWidget *control, int width, int height)
{
    QSize least = control->minimumSizeHint().expandedTo(QSize(width, height));
    if (auto *button = qobject_cast<const QAbstractButton *>(control)) {
        // The style's least width for any push button is left out: a short caption keeps
        // the width its window designed for it.
        least.setWidth(std::max(width, captionWidth(control, button->text())));
    } else if (auto *label = qobject_cast<const QLabel *>(control); label && label->text().isEmpty()) {
        // A label that gets its text later has room for a line of it.
        const QRect line = label->fontMetrics().boundingRect(QRect(0, 0, 1000, 1000), 0, QStringLiteral("X"));
        least.setHeight(std::max(least.height(), line.height() + 2 * (label->frameWidth() + label->margin())));
    }
    control->setMinimumSize(least);
}

void keepRoomWhenHidden(QWidget *control)
{
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
}

void setBoxWidth(QLineEdit *box, int designedWidth, const QString &widest)
{
    // The box keeps two pixels either side of its text, within its margins and frame.
    const QMargins margins = box->textMargins();
    const QSize text(box->fontMetrics().horizontalAdvance(widest) + 4 + margins.left() + margins.right(),
                     box->fontMetrics().height());
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const int needed = box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, box).width();
    box->setFixedWidth(std::max(designedWidth, needed));
}

void layOutWindow(QWidget *window, QLayout *content, QSize designed)
{
    auto *frame = new QGridLayout(window);
    frame->setContentsMargins(8, 8, 8, 8);
    frame->addLayout(content, 0, 0);
    const QMargins margins = frame->contentsMargins();
    frame->setColumnMinimumWidth(0, designed.width() - margins.left() - margins.right());
    frame->setRowMinimumHeight(0, designed.height() - margins.top() - margins.bottom());
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
        claimRoom();
        fit();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_control && !m_probing &&
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

    // In a layout the control asks for the width of the whole caption, or as much of it as
    // its window can widen to on its screen beside what shares its row.
    void claimRoom()
    {
        QWidget *window = m_control->window();
        if (!m_control->parentWidget() || !m_control->parentWidget()->layout() || !window->layout())
            return;
        m_control->setSizePolicy(QSizePolicy::Ignored, m_control->sizePolicy().verticalPolicy());
        // So wide a control makes its row the widest: what the window needs beyond it is
        // what shares the row. The control keeps its size meanwhile.
        constexpr int kProbe = 1 << 16;
        const QSize size = m_control->size();
        m_probing = true;
        m_control->setMinimumWidth(kProbe);
        const int beside = minimumWidthOf(window) - kProbe;
        const int whole = captionWidth(m_control, literal(m_before + m_userText + m_after));
        m_control->setMinimumWidth(std::clamp(whole, 1, std::max(roomOnScreen(window).width() - beside, 1)));
        m_control->resize(size);
        m_probing = false;
    }

    // The least width of a window as its layouts work it out now, not as they last did.
    static int minimumWidthOf(QWidget *window)
    {
        const std::function<void(QLayout *)> forget = [&forget](QLayout *layout) {
            layout->invalidate();
            for (int i = 0; i < layout->count(); ++i) {
                QLayoutItem *item = layout->itemAt(i);
                if (QLayout *inner = item->layout())
                    forget(inner);
                else if (item->widget() && item->widget()->layout())
                    forget(item->widget()->layout());
            }
        };
        forget(window->layout());
        return window->minimumSizeHint().width();
    }

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
    bool m_probing = false;
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

namespace {

// Lays a row's text out in the list's width, wrapping between words, or inside a word
// too long for a line.
class WrappedRows : public QStyledItemDelegate {
public:
    explicit WrappedRows(QListView *list) : QStyledItemDelegate(list), m_list(list) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int width = m_list->viewport()->width();
        return {width, textHeight(option.font, index.data().toString(), textRoom(QRect(0, 0, width, 0)).width()) +
                           2 * kVerticalMargin};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        const QString text = row.text;
        row.text.clear();
        m_list->style()->drawControl(QStyle::CE_ItemViewItem, &row, painter, m_list);
        painter->save();
        const bool selected = row.state & QStyle::State_Selected;
        painter->setPen(row.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(row.font);
        painter->drawText(textRoom(row.rect).adjusted(0, kVerticalMargin, 0, 0), text, wrapping());
        painter->restore();
    }

private:
    static constexpr int kVerticalMargin = 1;

    static QTextOption wrapping()
    {
        QTextOption option(Qt::AlignLeft | Qt::AlignTop);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return option;
    }

    static int textHeight(const QFont &font, const QString &text, int width)
    {
        QTextLayout layout(text, font);
        layout.setTextOption(wrapping());
        layout.beginLayout();
        qreal height = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            height += line.height();
        }
        layout.endLayout();
        return qCeil(height);
    }

    // The style's margin either side of a row's text.
    QRect textRoom(const QRect &row) const
    {
        const int margin = m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1;
        return row.adjusted(margin, 0, -margin, 0);
    }

    QListView *m_list;
};

} // namespace

void wrapRowsToWidth(QListView *list)
{
    list->setItemDelegate(new WrappedRows(list));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Rows are laid out again whenever the width changes.
    list->setResizeMode(QListView::Adjust);
}

void setUserTextCaption(QWidget *control, const QString &before, const QString &userText, const QString &after,
                        Qt::TextElideMode mode)
{
    UserTextCaption::of(control)->set(before, userText, after, mode);
}

ElidingList::ElidingList(const char *objectName, Qt::TextElideMode mode) : m_mode(mode)
{
    setObjectName(QLatin1String(objectName));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(this, &QComboBox::currentTextChanged, this, &ElidingList::updateToolTip);
}

QRect ElidingList::choiceRect() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
}

void ElidingList::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = fontMetrics().elidedText(option.currentText, m_mode, choiceRect().width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void ElidingList::resizeEvent(QResizeEvent *event)
{
    QComboBox::resizeEvent(event);
    updateToolTip();
}

void ElidingList::updateToolTip()
{
    const bool whole = fontMetrics().horizontalAdvance(currentText()) <= choiceRect().width();
    setToolTip(whole ? QString() : plainToolTip(currentText()));
}

NameList::NameList(const char *objectName) : ElidingList(objectName, Qt::ElideRight)
{
    setMinimumContentsLength(layoutOf(BeaconField::Location).width);
}

FolderList::FolderList(const char *objectName) : ElidingList(objectName, Qt::ElideMiddle)
{
    // As wide as a folder of a few levels needs.
    setMinimumContentsLength(30);
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

void keepClockWidth(QLabel *clock)
{
    int width = 0;
    for (const char *widest : {"UTC 0000-00-00  00:00", "Local 0000-00-00   00:00 AM", "Local 0000-00-00   00:00 PM"})
        width = std::max(width, captionWidth(clock, QLatin1String(widest)));
    clock->setMinimumWidth(std::max(clock->minimumWidth(), width));
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
