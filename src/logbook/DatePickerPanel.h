#pragma once
// The date picker: a small panel with a month calendar, a month list and a year list
// that writes the chosen date as "yyyymmdd" into a window's date box. The reception
// dialog and the log viewer each hold one; only the names of its two buttons and its
// place on the window differ.

#include <QFrame>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <utility>

class QCalendarWidget;
class QComboBox;
class QDate;
class QLineEdit;
class QPushButton;

namespace qern {

class DatePickerPanel : public QFrame {
    Q_OBJECT

public:
    struct Buttons {
        QString confirmName;    // objectName of the confirm button
        QString confirmCaption; // "Select date"
        QString cancelName;
        QString cancelCaption;  // "Cancel"
    };

    // target: the date box written on confirm. positionTwips: where the panel opens
    // on its window.
    DatePickerPanel(QWidget *window, QLineEdit *target, QPoint positionTwips, const Buttons &buttons);

    QCalendarWidget *cdrCalendar2 = nullptr;
    QComboBox *cmbMonth = nullptr;
    QComboBox *cmbYear = nullptr;
    QPushButton *confirmButton = nullptr;
    QPushButton *cancelButton = nullptr;

    // The calendar's Day, Month and Year.
    int day() const;
    int month() const;
    int year() const;

    // Fills the lists and opens the panel at the target's date, or at today's date
    // (local clock) when the target holds no valid date, with the focus in the calendar.
    void open();

public slots:
    void cdrCalendar2_MouseUp();
    void cmbMonth_Click(int index);
    void cmbYear_Click();
    void confirm();
    void cancel();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setCalendarDate(const QDate &date);
    void userMovedPage(int year, int month);
    void openAtToday();

    QLineEdit *m_target;
    QPoint m_position;
    bool m_settingCalendar = false;
    // The window's controls under the open panel, with the focus they take otherwise.
    QList<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> m_covered;
};

} // namespace qern
