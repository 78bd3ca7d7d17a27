#pragma once
// The log viewer: the beacons of the current location's logbook (mode 0) or of the
// session log (mode 1), one row each, and the detail of the selected beacon with its
// entries or its session record. Update writes the edited fields back, Delete removes
// the entry shown or the session mark, and the third button prints the logbook or
// opens the session report. Leaving the window shows the main window again with the
// beacon last viewed here.

#include <QByteArray>
#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

#include "FormSupport.h"
#include "LogView.h"

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QPushButton;
class QScrollBar;

namespace qern {

class DatePickerPanel;
class WindowSet;
struct FieldCheck;
struct SharedState;

class frmLog : public QWidget {
    Q_OBJECT

public:
    explicit frmLog(WindowSet &windows);
    ~frmLog() override;

    QLabel *lblTitle = nullptr;
    QLabel *lblHeading = nullptr; // "ID          FREQ      LOCATION"
    QListWidget *lstLog = nullptr;
    QLabel *lblLog = nullptr;

    QLineEdit *txtLogIdent = nullptr;
    QLineEdit *txtLogFreq = nullptr;
    QLineEdit *txtLogLocation = nullptr;
    QLineEdit *txtLogProvince = nullptr;
    QLineEdit *txtLogCountry = nullptr;
    QLineEdit *txtLogCycle = nullptr;
    QLineEdit *txtLogPower = nullptr;
    QLineEdit *txtLogUSB = nullptr;
    QLineEdit *txtLogLSB = nullptr;
    QLineEdit *txtLogLatitude = nullptr;
    QLineEdit *txtLogLongitude = nullptr;
    QLineEdit *txtLogQTH = nullptr;
    QLineEdit *txtLogDistance = nullptr;
    QLabel *lblDAID = nullptr;
    QLineEdit *txtLogComments = nullptr;

    QLineEdit *txtLogTime = nullptr;
    QLineEdit *txtLogDate = nullptr;
    QPushButton *cmdCalendar = nullptr;
    QLabel *lblReceptionComments = nullptr;
    QLineEdit *txtReceptionComments = nullptr;
    QLabel *lblCLEComments = nullptr;
    QLineEdit *txtCLEComments = nullptr;
    QScrollBar *HLogged = nullptr;
    QLabel *lblCount = nullptr;
    QLabel *lblOutOfSync = nullptr;
    QLabel *lblNewBeacon = nullptr;

    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdExport = nullptr;
    QPushButton *cmdExit = nullptr;

    // The date picker.
    DatePickerPanel *picCalendar2 = nullptr;
    QCalendarWidget *cdrCalendar2 = nullptr;
    QComboBox *cmbMonth = nullptr;
    QComboBox *cmbYear = nullptr;
    QPushButton *cmdSelectDate = nullptr;
    QPushButton *cmdCancel = nullptr;

    // The window's state, lost when it is unloaded.
    QList<qint64> RecNo;           // ndb.dat record of list row k at k
    QList<LogEntryView> Entries;   // EntryTimes, EntryDates, EntryComments, EntryRecNo
    qsizetype EntryCount() const { return Entries.size(); }
    QByteArray ShownCountryCode;
    bool ExactMatchSeen = false;
    int LogListSelectRow = -1;

    // Where PrintLog prints: the default printer unless a test says otherwise. A
    // source that gives no printer is the "no printer" case.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;
    void setPrinterSource(PrinterSource source) { m_printerSource = std::move(source); }

    CommandGate &commands() { return m_commands; }

    // Shows the window and runs its activation.
    void showForm();

    void LoadTable();
    // ndb.dat and the logbooks were replaced while the window is open (the restore
    // window is modeless): what it holds of them is read again.
    void filesReplaced();
    void ClearEverything();
    void LoadAfterScrolling();
    void PrintLog();

public slots:
    void Form_Load();
    void Form_Activate();
    void lstLog_Click();
    void HLogged_Change(int value);
    void cmdExport_Click();
    void cmdExit_Click();
    void cmdUpdate_Click();
    void cmdDelete_Click();
    void txtLogTime_Change();
    void txtLogTime_GotFocus();
    void txtLogTime_LostFocus();
    void txtLogDate_Change();
    void cmdCalendar_Click();
    void cmdSelectDate_Click();
    void cmdCancel_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Unload();
    void selectRow(int row);
    int selectedRow() const;
    void showEntry(qsizetype position);
    qint64 shownEntryRecord() const;
    void checkShownLength(QLineEdit *box, qsizetype length);
    void checkTimeLength();
    void checkDateLength();
    void applyCheck(QLineEdit *box, const FieldCheck &check);
    void applyButtons();
    void showBeaconAgain();
    void showError(const QString &text);

    WindowSet &m_windows;
    SharedState &m_state;
    CommandGate m_commands;
    PrinterSource m_printerSource;
    bool m_settingSelection = false;
    bool m_unloading = false;
    // The beacon whose data the boxes show, and whether their time and date can be stored.
    ShownBeacon m_shown;
    bool m_timeValid = false;
    bool m_dateValid = false;
};

} // namespace qern
