#include "DatePickerPanel.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>

#include <optional>

#include "Clock.h"
#include "FormSupport.h"
#include "NumberText.h"

namespace qern {

namespace {

constexpr int kFirstListedYear = 1965;

const char *const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// A whole number as the calendar's properties take it; nothing for any other text.
std::optional<int> wholeNumber(const QString &text)
{
    const StrictResult result = strictToInt16(QByteArrayView(text.toLatin1()));
    if (!result.ok())
        return std::nullopt;
    return static_cast<int>(result.value);
}

// The same day in another month, or that month's last day when it is shorter.
QDate sameDayIn(int year, int month, int day)
{
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    return QDate(year, month, std::min(day, first.daysInMonth()));
}

QString twoDigits(int value)
{
    return (QLatin1Char('0') + QString::number(value)).right(2);
}

} // namespace

DatePickerPanel::DatePickerPanel(QWidget *window, QLineEdit *target, QPoint positionTwips, const Buttons &buttons)
    : QFrame(window), m_target(target),
      m_position(twipsToPixels(positionTwips.x()), twipsToPixels(positionTwips.y()))
{
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);

    cdrCalendar2 = new QCalendarWidget(this);
    cdrCalendar2->setObjectName(QStringLiteral("cdrCalendar2"));
    cdrCalendar2->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // Month and day names in English beside the English month list, whatever the language setting.
    cdrCalendar2->setLocale(QLocale::c());
    cdrCalendar2->setMinimumSize(250, 170);

    cmbMonth = new QComboBox(this);
    cmbMonth->setObjectName(QStringLiteral("cmbMonth"));
    cmbYear = new QComboBox(this);
    cmbYear->setObjectName(QStringLiteral("cmbYear"));
    // The year list shows any year of a typed date, also one outside the list.
    cmbYear->setEditable(true);
    cmbYear->setInsertPolicy(QComboBox::NoInsert);

    confirmButton = new QPushButton(buttons.confirmCaption, this);
    confirmButton->setObjectName(buttons.confirmName);
    confirmButton->setAutoDefault(false);
    cancelButton = new QPushButton(buttons.cancelCaption, this);
    cancelButton->setObjectName(buttons.cancelName);
    cancelButton->setAutoDefault(false);

    // The calendar above, the month list and the confirm button on its left, the year list
    // and the cancel button on its right; as large as designed, or as the font needs.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(6);
    grid->addWidget(cdrCalendar2, 0, 0, 1, 2);
    grid->addWidget(cmbMonth, 1, 0);
    grid->addWidget(cmbYear, 1, 1);
    grid->addWidget(confirmButton, 2, 0);
    grid->addWidget(cancelButton, 2, 1);
    grid->setColumnMinimumWidth(0, 130);
    grid->setColumnStretch(0, 130);
    grid->setColumnStretch(1, 114);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    move(m_position);
    adjustSize();

    connect(cdrCalendar2, &QCalendarWidget::clicked, this, &DatePickerPanel::cdrCalendar2_MouseUp);
    connect(cdrCalendar2, &QCalendarWidget::selectionChanged, this, [this] {
        if (!m_settingCalendar)
            cdrCalendar2_MouseUp();
    });
    connect(cdrCalendar2, &QCalendarWidget::currentPageChanged, this, [this](int year, int month) {
        if (!m_settingCalendar)
            userMovedPage(year, month);
    });
    connect(cmbMonth, &QComboBox::activated, this, &DatePickerPanel::cmbMonth_Click);
    connect(cmbYear, &QComboBox::activated, this, &DatePickerPanel::cmbYear_Click);
    connect(confirmButton, &QPushButton::clicked, this, &DatePickerPanel::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &DatePickerPanel::cancel);

    hide();
}

int DatePickerPanel::day() const
{
    return cdrCalendar2->selectedDate().day();
}

int DatePickerPanel::month() const
{
    return cdrCalendar2->selectedDate().month();
}

int DatePickerPanel::year() const
{
    return cdrCalendar2->selectedDate().year();
}

void DatePickerPanel::setCalendarDate(const QDate &date)
{
    m_settingCalendar = true;
    cdrCalendar2->setSelectedDate(date);
    cdrCalendar2->setCurrentPage(date.year(), date.month());
    m_settingCalendar = false;
}

void DatePickerPanel::open()
{
    move(m_position);
    show();
    raise();
    cdrCalendar2->setFocus(Qt::OtherFocusReason);

    const QSignalBlocker monthBlocker(cmbMonth);
    const QSignalBlocker yearBlocker(cmbYear);
    cmbMonth->clear();
    for (const char *name : kMonthNames)
        cmbMonth->addItem(QLatin1String(name));
    // Both lists are filled before the date is read, so a bad date still leaves
    // a full year list to choose from.
    cmbYear->clear();
    const int currentYear = Clock::now().date().year();
    for (int y = kFirstListedYear; y <= currentYear; ++y)
        cmbYear->addItem(QString::number(y));

    const QString target = m_target->text();
    const std::optional<int> month = wholeNumber(target.mid(4, 2));
    const std::optional<int> day = wholeNumber(target.right(2));
    const std::optional<int> year = wholeNumber(target.left(4));
    if (!month || !day || !year || *year < 1) {
        openAtToday();
        return;
    }
    const QDate date(*year, *month, *day);
    if (!date.isValid()) {
        openAtToday();
        return;
    }
    cmbMonth->setCurrentIndex(*month - 1);
    cmbYear->setCurrentText(target.left(4).trimmed());
    setCalendarDate(date);
}

void DatePickerPanel::openAtToday()
{
    const QDate today = Clock::now().date();
    setCalendarDate(today);
    cmbYear->setCurrentText(QString::number(today.year()));
    cmbMonth->setCurrentIndex(today.month() - 1);
}

void DatePickerPanel::userMovedPage(int year, int month)
{
    // Paging the calendar moves its date along, as the calendar's Month and Year follow the page.
    const QDate selected = cdrCalendar2->selectedDate();
    if (selected.year() != year || selected.month() != month) {
        const QDate moved = sameDayIn(year, month, selected.day());
        if (moved.isValid())
            setCalendarDate(moved);
    }
    cdrCalendar2_MouseUp();
}

void DatePickerPanel::cdrCalendar2_MouseUp()
{
    if (year() < kFirstListedYear)
        setCalendarDate(sameDayIn(kFirstListedYear, 1, day()));
    const QSignalBlocker monthBlocker(cmbMonth);
    const QSignalBlocker yearBlocker(cmbYear);
    cmbYear->setCurrentText(QString::number(year()));
    cmbMonth->setCurrentIndex(month() - 1);
}

void DatePickerPanel::cmbMonth_Click(int index)
{
    if (index < 0 || index >= 12)
        return;
    setCalendarDate(sameDayIn(year(), index + 1, day()));
}

void DatePickerPanel::cmbYear_Click()
{
    // A typed year that is no whole number leaves the calendar where it is.
    const std::optional<int> chosen = wholeNumber(cmbYear->currentText());
    if (!chosen || *chosen < 1)
        return;
    const QDate moved = sameDayIn(*chosen, month(), day());
    if (moved.isValid())
        setCalendarDate(moved);
}

void DatePickerPanel::confirm()
{
    m_target->setText(QString::number(year()) + twoDigits(month()) + twoDigits(day()));
    hide();
}

void DatePickerPanel::cancel()
{
    hide();
}

void DatePickerPanel::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    // What lies under the panel cannot be seen: Tab does not reach it while the panel is open.
    if (!m_covered.isEmpty())
        return;
    QWidget *window = parentWidget();
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (control == this || isAncestorOf(control) || control->window() != window->window() ||
            !(control->focusPolicy() & Qt::TabFocus))
            continue;
        const QRect at(control->mapTo(window, QPoint(0, 0)), control->size());
        if (!geometry().intersects(at))
            continue;
        m_covered.append({control, control->focusPolicy()});
        control->setFocusPolicy(Qt::FocusPolicy(control->focusPolicy() & ~Qt::TabFocus));
    }
}

void DatePickerPanel::hideEvent(QHideEvent *event)
{
    for (const auto &[control, policy] : std::as_const(m_covered)) {
        if (control)
            control->setFocusPolicy(policy);
    }
    m_covered.clear();
    QFrame::hideEvent(event);
}

} // namespace qern
