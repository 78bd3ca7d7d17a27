#include "frmName.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "BeaconDatabase.h"
#include "BeaconEditor.h"
#include "Clock.h"
#include "ClockTexts.h"
#include "FormSupport.h"
#include "MessageBox.h"
#include "SharedState.h"
#include "Tables.h"
#include "Text.h"
#include "WindowSet.h"
#include "logbook/frmReceptionComments.h"
#include "main/frmMain.h"
#include "startup/frmSortProgress.h"

namespace qern {

namespace {

const QString kErrorTitle = QStringLiteral("Error");

QString unstorableEntry(const QString &label)
{
    return QStringLiteral("The %1 entry holds a character that cannot be stored in the database.").arg(label);
}

} // namespace

frmName::frmName(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmName"));
    setWindowTitle(QStringLiteral("New/Modify Entry"));

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(2); // seventeen rows, on a screen of 768 lines scaled by a quarter
    int row = 0;
    auto entry = [&](QLineEdit *&box, const char *objectName, const QString &caption, int maxLength) {
        box = new QLineEdit;
        box->setObjectName(QLatin1String(objectName));
        if (maxLength > 0)
            box->setMaxLength(maxLength);
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(box, row, 1);
        ++row;
        return box;
    };

    // Widths of the record's fields: a longer entry would be cut silently.
    entry(txtIdentIn, "txtIdentIn", QStringLiteral("Ident"), 7);
    entry(txtCountryIn, "txtCountryIn", QStringLiteral("Country"), 0);
    txtCountryIn->setToolTip(QStringLiteral("Country name or code"));
    entry(txtStateIn, "txtStateIn", QStringLiteral("State/Province"), 0);
    txtStateIn->setToolTip(QStringLiteral("State or province name or code"));
    lstStateIn = new QListWidget;
    lstStateIn->setObjectName(QStringLiteral("lstStateIn"));
    lstStateIn->setMaximumHeight(90);
    grid->addWidget(lstStateIn, row++, 1);
    entry(txtLocationIn, "txtLocationIn", QStringLiteral("Location"), 30);
    entry(txtFrequencyIn, "txtFrequencyIn", QStringLiteral("Frequency (kHz)"), 6);
    entry(txtClassIn, "txtClassIn", QStringLiteral("Class"), 7);
    entry(txtPowerIn, "txtPowerIn", QStringLiteral("Power"), 5);
    entry(txtLatitudeIn, "txtLatitudeIn", QStringLiteral("Latitude"), 9);
    txtLatitudeIn->setToolTip(QStringLiteral("N or S, degrees, minutes, seconds, then 00: N45300000"));
    entry(txtLongitudeIn, "txtLongitudeIn", QStringLiteral("Longitude"), 10);
    txtLongitudeIn->setToolTip(QStringLiteral("E or W, degrees, minutes, seconds, then 00: W075421000"));
    entry(txtCurrentIn, "txtCurrentIn", QStringLiteral("Data As Of"), 6);
    txtCurrentIn->setReadOnly(true);
    txtCurrentIn->setToolTip(QStringLiteral("Set to the present month when the beacon is written"));
    entry(txtCycleIn, "txtCycleIn", QStringLiteral("Ident Cycle"), 20);
    entry(txtUSBIn, "txtUSBIn", QStringLiteral("USB (Hz)"), 5);
    entry(txtLSBIn, "txtLSBIn", QStringLiteral("LSB (Hz)"), 5);
    chkDAID = new QCheckBox(QStringLiteral("Dash after ident"));
    chkDAID->setObjectName(QStringLiteral("chkDAID"));
    grid->addWidget(new QLabel(QStringLiteral("DAID")), row, 0);
    grid->addWidget(chkDAID, row++, 1);
    entry(txtCommentsIn, "txtCommentsIn", QStringLiteral("Comments"), 90);

    auto button = [](QPushButton *&b, const char *objectName, const QString &caption) {
        b = new QPushButton(caption);
        b->setObjectName(QLatin1String(objectName));
        b->setAutoDefault(false);
        return b;
    };
    button(cmdWrite, "cmdWrite", QStringLiteral("Update"));
    button(cmdSort, "cmdSort", QStringLiteral("Sort Database"));
    button(Command2, "Command2", QStringLiteral("New Record"));
    button(cmdDelete, "cmdDelete", QStringLiteral("Delete Record"));
    button(Command1, "Command1", QStringLiteral("Exit"));
    // Creating and deleting beacons from the editor are not part of this version.
    Command2->setEnabled(false);
    cmdDelete->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdWrite, cmdSort, Command2, cmdDelete})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(Command1);

    auto *column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    // A minimum width set by hand stops the layout from keeping the buttons whole, so it
    // takes what they need when that is more.
    setMinimumWidth(std::max(twipsToPixels(7200), column->totalMinimumSize().width()));

    txtCountryIn->installEventFilter(this);
    // A state chosen with the arrow keys is taken as one clicked.
    connect(lstStateIn, &QListWidget::itemSelectionChanged, this, &frmName::lstStateIn_Click);
    connect(cmdWrite, &QPushButton::clicked, this, &frmName::cmdWrite_Click);
    connect(cmdSort, &QPushButton::clicked, this, &frmName::cmdSort_Click);
    connect(Command1, &QPushButton::clicked, this, &frmName::Command1_Click);
}

void frmName::showForm()
{
    bringToFront(this);
}

void frmName::showModal()
{
    exec();
}

// ---------------------------------------------------------------------------------
// Loading

void frmName::Form_Load()
{
    m_newRecord = m_state.NewRecordFlag == 1;
    m_shown = {};
    m_shown.recordNumber = m_state.EditRecordNumber;
    m_openedFromMain = m_state.EditorOpenedFromMain;
    if (m_newRecord) {
        LoadStateList(QByteArray(), QByteArray());
        return;
    }
    loadRecord(m_state.EditRecordNumber);
}

void frmName::loadRecord(qint64 number)
{
    const EditorLoad load = loadBeaconForEditing(m_state.folder, number, m_state.Countries);
    if (load.error.failed()) {
        // Writing boxes that hold nothing of the record would overwrite it with blanks.
        cmdWrite->setEnabled(false);
        MessageBox::show(load.error.messageText(), kErrorTitle);
        return;
    }
    m_shown = load.shown;
    showEntries(load.entries);
    LoadStateList(load.stateCode, toWindows1252(txtCountryIn->text()));
    if (load.undecodable) {
        cmdWrite->setEnabled(false);
        MessageBox::show(QStringLiteral("Error reading database data. Database corrupted."), kErrorTitle);
    }
}

void frmName::showEntries(const BeaconEntries &e)
{
    txtIdentIn->setText(fromWindows1252(e.ident));
    txtCountryIn->setText(fromWindows1252(e.country));
    txtStateIn->setText(fromWindows1252(e.state));
    txtLocationIn->setText(fromWindows1252(e.location));
    txtFrequencyIn->setText(fromWindows1252(e.frequency));
    txtClassIn->setText(fromWindows1252(e.beaconClass));
    txtPowerIn->setText(fromWindows1252(e.power));
    txtLatitudeIn->setText(fromWindows1252(e.latitude));
    txtLongitudeIn->setText(fromWindows1252(e.longitude));
    txtCurrentIn->setText(fromWindows1252(e.current));
    txtCycleIn->setText(fromWindows1252(e.cycle));
    txtUSBIn->setText(fromWindows1252(e.usb));
    txtLSBIn->setText(fromWindows1252(e.lsb));
    chkDAID->setChecked(e.daid);
    txtCommentsIn->setText(fromWindows1252(e.comments));
}

// A character outside Windows-1252 would be stored as "?": the user is told instead.
bool frmName::readEntries(BeaconEntries *e)
{
    const struct {
        QLineEdit *box;
        QByteArray BeaconEntries::*entry;
        const char *label;
    } boxes[] = {
        {txtIdentIn, &BeaconEntries::ident, "Ident"},
        {txtCountryIn, &BeaconEntries::country, "Country"},
        {txtStateIn, &BeaconEntries::state, "State/Province"},
        {txtLocationIn, &BeaconEntries::location, "Location"},
        {txtFrequencyIn, &BeaconEntries::frequency, "Frequency"},
        {txtClassIn, &BeaconEntries::beaconClass, "Class"},
        {txtPowerIn, &BeaconEntries::power, "Power"},
        {txtLatitudeIn, &BeaconEntries::latitude, "Latitude"},
        {txtLongitudeIn, &BeaconEntries::longitude, "Longitude"},
        {txtCycleIn, &BeaconEntries::cycle, "Ident Cycle"},
        {txtUSBIn, &BeaconEntries::usb, "USB"},
        {txtLSBIn, &BeaconEntries::lsb, "LSB"},
        {txtCommentsIn, &BeaconEntries::comments, "Comments"},
    };
    for (const auto &b : boxes) {
        bool lossless = true;
        e->*(b.entry) = toWindows1252(b.box->text(), &lossless);
        if (!lossless) {
            MessageBox::show(unstorableEntry(QLatin1String(b.label)), kErrorTitle);
            b.box->setFocus();
            return false;
        }
    }
    e->daid = chkDAID->isChecked();
    return true;
}

// ---------------------------------------------------------------------------------
// State list

void frmName::LoadStateList(const QByteArray &stateCode, const QByteArray &countryName)
{
    {
        // Emptying the list is no choice of a state.
        const QSignalBlocker blocker(lstStateIn);
        lstStateIn->clear();
    }
    // A code shared by states of several countries is named as the main window names it.
    const QByteArray countryCode = countryCodeFor(countryName, m_state.Countries).value_or(QByteArray());
    const StateList list = qern::LoadStateList(m_state.folder, stateCode, countryName, countryCode);
    if (list.fileMissing) {
        MessageBox::show(QStringLiteral("State and Province lookup table missing"), kErrorTitle);
        return;
    }
    if (list.error.failed()) {
        MessageBox::show(list.error.messageText(), kErrorTitle);
        return;
    }
    for (const QByteArray &name : list.names)
        lstStateIn->addItem(fromWindows1252(name));
    if (list.stateBoxText)
        txtStateIn->setText(fromWindows1252(*list.stateBoxText));
}

QByteArray frmName::stateCodeShown() const
{
    const QByteArray country =
        countryCodeFor(toWindows1252(txtCountryIn->text()), m_state.Countries).value_or(QByteArray());
    return stateCodeFor(toWindows1252(txtStateIn->text()), country, m_state.States).value_or(QByteArray());
}

void frmName::txtCountryIn_LostFocus()
{
    if (m_leaving)
        return;
    QByteArray countryName = toWindows1252(txtCountryIn->text());
    // A code typed into the box is shown as the country's name, the form the list needs.
    if (const std::optional<QByteArray> code = countryCodeFor(countryName, m_state.Countries)) {
        const QByteArray found = FindCountryName(m_state.Countries, *code);
        if (!found.isEmpty() && found != countryName) {
            countryName = found;
            txtCountryIn->setText(fromWindows1252(found));
        }
    }
    LoadStateList(stateCodeShown(), countryName);
}

void frmName::lstStateIn_Click()
{
    const QList<QListWidgetItem *> chosen = lstStateIn->selectedItems();
    if (!chosen.isEmpty())
        txtStateIn->setText(chosen.first()->text());
}

// ---------------------------------------------------------------------------------
// Writing and sorting

// The sort moves records: the editor goes on with its beacon wherever it went, so a
// second "Update" changes the same beacon and never the one now at the old number,
// and the reception dialog that opened it logs that beacon too.
void frmName::followRecord(const QByteArray &recordBytes)
{
    followTo(findBeaconRecord(m_state.folder, BeaconRecord::fromBytes(recordBytes)), false);
}

// Its record holds another beacon now: the editor loads its beacon from where it
// stands.
void frmName::showBeaconAgain()
{
    followTo(findShownBeacon(m_state.folder, m_shown), true);
}

// To the one record holding the beacon, its boxes loaded from there when load; with
// none, or several, the editor shows nothing and writes nothing, and hands the
// reception dialog no beacon. A read error is told, and the boxes keep what they hold.
void frmName::followTo(const FoundBeacon &found, bool load)
{
    if (found.error.failed()) {
        MessageBox::show(found.error.messageText(), kErrorTitle);
        return;
    }
    if (!m_openedFromMain)
        m_state.CurrentRecordNumber = found.recordNumber;
    m_state.EditRecordNumber = found.recordNumber;
    m_state.NewRecordFlag = 0;
    if (!found.found()) {
        for (QLineEdit *box : findChildren<QLineEdit *>())
            box->clear();
        cmdWrite->setEnabled(false);
        m_shown = {};
    } else if (load) {
        loadRecord(found.recordNumber);
    } else {
        m_shown.recordNumber = found.recordNumber;
    }
}

void frmName::filesReplaced()
{
    if (m_newRecord || m_shown.isEmpty())
        return;
    BeaconRecord record;
    const BeaconCheck check = readShownBeacon(m_state.folder, m_shown, &record);
    if (check.error.failed())
        MessageBox::show(check.error.messageText(), kErrorTitle);
    else if (check.moved)
        showBeaconAgain();
}

void frmName::cmdWrite_Click()
{
    BeaconEntries entries;
    if (!readEntries(&entries))
        return;
    const QByteArray month = Clock::now().date().toString(QStringLiteral("yyyyMM")).toLatin1();
    const PreparedBeacon prepared = prepareBeaconWrite(m_state.folder, entries, m_state.Countries, m_state.States,
                                                       m_newRecord, m_shown, month);
    if (prepared.beaconMoved) {
        showBeaconAgain();
        MessageBox::show(QLatin1String(kBeaconMovedText), kErrorTitle);
        return;
    }
    if (prepared.error.failed()) {
        MessageBox::show(prepared.error.messageText(), kErrorTitle);
        return;
    }
    if (!prepared.refusal.isEmpty()) {
        MessageBox::show(prepared.refusal, kErrorTitle);
        return;
    }
    if (const BeaconWriteResult written = writePreparedBeacon(m_state.folder, prepared); written.error) {
        MessageBox::show(written.messageText(), kErrorTitle);
        return;
    }
    m_newRecord = false;
    m_shown = shownBeaconOf(prepared.number, prepared.record);
    if (!m_openedFromMain)
        m_state.CurrentRecordNumber = prepared.number;
    txtCurrentIn->setText(QString::fromLatin1(month));
    // The box shows the ident as stored.
    txtIdentIn->setText(fromWindows1252(m_shown.ident));

    // The write's automatic backup keeps the database as it was before the edit.
    SortBeaconDatabase(m_windows, AutomaticBackup::AlreadyTaken);
    frmMain *main = m_windows.main();
    main->CheckDatabaseIntegrity();
    followRecord(prepared.record.bytes());
    if (m_openedFromMain)
        main->ShowBeacon(m_shown.recordNumber);
}

void frmName::cmdSort_Click()
{
    BeaconRecord before;
    const bool follow = !m_newRecord && readShownBeacon(m_state.folder, m_shown, &before).passed();
    if (SortBeaconDatabase(m_windows) && follow)
        followRecord(before.bytes());
}

// ---------------------------------------------------------------------------------
// Leaving

void frmName::Command1_Click()
{
    if (m_leaving)
        return;
    m_leaving = true;
    hide();
    letEventsRun();
    if (m_openedFromMain) {
        frmMain *main = m_windows.main();
        m_windows.returnToMain();
        const QByteArray ident = toWindows1252(txtIdentIn->text());
        if (ident.isEmpty()) {
            main->ClearBeaconDisplay();
        } else {
            const QByteArray frequency = toWindows1252(txtFrequencyIn->text());
            main->SearchBeacons(fromWindows1252(StripSemicolonSuffix(ident)), StripSemicolonSuffix(frequency), false,
                                m_shown);
        }
    } else {
        m_windows.receptionComments()->showForm();
    }
    m_windows.unloadEditor();
}

void frmName::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Command1_Click();
}

void frmName::reject()
{
    Command1_Click();
}

bool frmName::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtCountryIn && event->type() == QEvent::FocusOut)
        txtCountryIn_LostFocus();
    return QDialog::eventFilter(watched, event);
}

} // namespace qern
