#pragma once
// The beacon editor ("New/Modify Entry"): one beacon's fields in entry boxes, written
// back as a whole record, after which the database is sorted again. It opens on the
// record that NewRecordFlag and EditRecordNumber name when it loads: modal from the
// main window's "New/Change", modeless from the reception dialog.

#include <QDialog>

#include "BeaconDatabase.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qern {

class WindowSet;
struct SharedState;
struct BeaconEntries;

class frmName : public QDialog {
    Q_OBJECT

public:
    explicit frmName(WindowSet &windows);

    QLineEdit *txtIdentIn = nullptr;
    QLineEdit *txtCountryIn = nullptr;
    QLineEdit *txtStateIn = nullptr;
    QListWidget *lstStateIn = nullptr;
    QLineEdit *txtLocationIn = nullptr;
    QLineEdit *txtFrequencyIn = nullptr;
    QLineEdit *txtClassIn = nullptr;
    QLineEdit *txtPowerIn = nullptr;
    QLineEdit *txtLatitudeIn = nullptr;
    QLineEdit *txtLongitudeIn = nullptr;
    QLineEdit *txtCurrentIn = nullptr; // shown only: every write stores the present month
    QLineEdit *txtCycleIn = nullptr;
    QLineEdit *txtUSBIn = nullptr;
    QLineEdit *txtLSBIn = nullptr;
    QCheckBox *chkDAID = nullptr;
    QLineEdit *txtCommentsIn = nullptr;

    QPushButton *cmdWrite = nullptr;  // "Update"
    QPushButton *cmdSort = nullptr;
    QPushButton *cmdDelete = nullptr; // "Delete Record"
    QPushButton *Command2 = nullptr;  // "New Record"
    QPushButton *Command1 = nullptr;  // "Exit"

    // The record the editor works on: a change of it, or a new record when isNewRecord.
    qint64 recordNumber() const { return m_shown.recordNumber; }
    bool isNewRecord() const { return m_newRecord; }

    // Modeless, as the reception dialog opens it.
    void showForm();
    // Modal, as the main window opens it; returns when the editor has gone.
    void showModal();

    // Fills lstStateIn with the states of countryName (Canada, Australia, USA) and
    // names stateCode, a state of that country where there is one, in txtStateIn.
    void LoadStateList(const QByteArray &stateCode, const QByteArray &countryName);
    // ndb.dat was replaced while the editor is open (it is modeless when the reception
    // dialog opens it): a beacon no longer at its record is loaded from where it stands.
    void filesReplaced();

public slots:
    void Form_Load();
    void txtCountryIn_LostFocus();
    void lstStateIn_Click();
    void cmdWrite_Click();
    void cmdSort_Click();
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadRecord(qint64 number);
    void showEntries(const BeaconEntries &entries);
    bool readEntries(BeaconEntries *entries);
    void followRecord(const QByteArray &recordBytes);
    void showBeaconAgain();
    void followTo(const FoundBeacon &found, bool load);
    QByteArray stateCodeShown() const;

    WindowSet &m_windows;
    SharedState &m_state;
    bool m_newRecord = false;
    ShownBeacon m_shown; // the beacon the boxes were loaded from, and its record
    bool m_openedFromMain = false;
    bool m_leaving = false;
};

} // namespace qern
