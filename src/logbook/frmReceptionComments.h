#pragma once
// The reception dialog: one reception of the beacon on display with a time, a date
// and two comments, checked as they are typed and written through the one reception
// write path. The main window stays disabled while it is open.

#include <QWidget>

#include "BeaconDatabase.h"
#include "FormSupport.h"

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace qern {

class DatePickerPanel;
class WindowSet;
struct SharedState;

class frmReceptionComments : public QWidget {
    Q_OBJECT

public:
    explicit frmReceptionComments(WindowSet &windows);

    QLabel *lblShowAddedBeacon = nullptr;
    QLabel *lblLocation = nullptr;
    QLabel *lblCountry = nullptr;
    QLabel *lblUTC = nullptr;
    QLabel *lblLocal = nullptr;
    QLineEdit *txtTime = nullptr;
    QLineEdit *txtDate = nullptr;
    QLabel *lblTimeError = nullptr;
    QLineEdit *txtReceptionComments = nullptr;
    QLineEdit *txtSessionComments = nullptr;
    QPushButton *cmdAddBeacon = nullptr;
    QPushButton *cmdChangeBeacon = nullptr;
    QPushButton *Command3 = nullptr; // "Cancel"
    QPushButton *cmdDateSelect = nullptr;
    QTimer *Timer1 = nullptr;

    // The date picker and its controls.
    DatePickerPanel *picCalendar2 = nullptr;
    QCalendarWidget *cdrCalendar2 = nullptr;
    QComboBox *cmbMonth = nullptr;
    QComboBox *cmbYear = nullptr;
    QPushButton *Command1 = nullptr; // "Select date"
    QPushButton *Command2 = nullptr; // "Cancel"

    CommandGate &commands() { return m_commands; }

    // Shows the dialog and runs its activation: on opening and when the beacon
    // editor hands the dialog back.
    void showForm();

    void DisplayRequestedBeacon();
    void RefreshTime();
    // ndb.dat was replaced while the dialog is open (the restore window is modeless):
    // the dialog follows its beacon to where it stands now, as before a write.
    void filesReplaced();

public slots:
    void Form_Load();
    void Form_Activate();
    void Timer1_Timer();
    void txtTime_Change();
    void txtTime_GotFocus();
    void txtTime_LostFocus();
    void txtDate_Change();
    void cmdAddBeacon_Click();
    void cmdChangeBeacon_Click();
    void Command3_Click();
    void cmdDateSelect_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Look { Red, Green, Neutral };
    void setLook(QLineEdit *box, Look look);
    void checkTime(bool moveSelection);
    void showTimeError(const QString &text);
    void setTimeVerdict(bool valid);
    void setDateVerdict(bool valid);
    void applyAddEnabled();
    void capComment(QLineEdit *box);
    void showBeaconAgain();
    void clearBeacon();
    void unloadAndReturn();

    WindowSet &m_windows;
    SharedState &m_state;
    CommandGate m_commands;
    ShownBeacon m_shown; // the beacon the lines show and Add writes; empty when none
    // The last verdict of each box: the add button needs both.
    bool m_timeValid = true;
    bool m_dateValid = true;
};

} // namespace qern
