#include "frmLog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>

#include "ClockTexts.h"
#include "DatePickerPanel.h"
#include "LogMaintenance.h"
#include "LogRecords.h"
#include "MessageBox.h"
#include "PrintedLog.h"
#include "SharedState.h"
#include "Text.h"
#include "WindowSet.h"
#include "main/frmMain.h"
#include "preferences/frmLocation.h"
#include "reports/frmCLEReport.h"

namespace qern {

namespace {

constexpr int kDesignedWidth = 800; // larger only when captions need it
constexpr int kWindowHeight = 524;
constexpr int kCommentsWidth = 60;      // LogRecord and CLERecord Comments
constexpr int kBeaconCommentsWidth = 90; // BeaconRecord Comments

const QColor kRed(255, 0, 0);
const QColor kGreen(0x80, 0xFF, 0x80);    // accepted or incomplete
const QColor kLightRed(0xFF, 0x80, 0x80); // a time or date of the wrong length: not storable

const QString kErrorTitle = QStringLiteral("Error");

void setBoxColour(QLineEdit *box, const QColor &colour)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colour);
    box->setPalette(palette);
}

} // namespace

frmLog::frmLog(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(QStringLiteral("QERN Log"));
    buildControls();
}

frmLog::~frmLog() = default;

void frmLog::buildControls()
{
    // Created in the order the Tab key visits them, then laid out: each control as large as
    // designed, or as its caption needs in the font of the day.
    auto name = [](QObject *object, const char *objectName) { object->setObjectName(QLatin1String(objectName)); };
    auto label = [&](const char *objectName, const QString &text, int w = 0) {
        auto *l = new QLabel(text, this);
        if (objectName)
            name(l, objectName);
        setDesignedSize(l, w);
        return l;
    };
    auto box = [&](const char *objectName, int w, bool readOnly) {
        auto *e = new QLineEdit(this);
        name(e, objectName);
        e->setMinimumWidth(w);
        e->setReadOnly(readOnly);
        if (readOnly)
            showTextFromStart(e);
        return e;
    };
    // A button as wide as designed, or as the widest of the captions it takes.
    auto button = [&](const char *objectName, const QStringList &captions, int w) {
        auto *b = new QPushButton(captions.first(), this);
        name(b, objectName);
        for (const QString &caption : captions)
            w = std::max(w, captionWidth(b, caption));
        setDesignedSize(b, w, 28);
        b->setAutoDefault(false);
        return b;
    };

    lblTitle = label("lblTitle", QString());
    lblTitle->setFont(namedFont(QStringLiteral("Tahoma"), 12, true));
    setDesignedSize(lblTitle, 0);
    lblHeading = label("lblHeading", QStringLiteral("ID          FREQ      LOCATION"));
    lblHeading->setFont(fixedListFont());
    lstLog = new QListWidget(this);
    name(lstLog, "lstLog");
    setDesignedSize(lstLog, 380, 300);
    lstLog->setFont(fixedListFont());
    lstLog->setSortingEnabled(false);
    lblLog = label("lblLog", QString());

    // The beacon: a column of captions with their boxes, three rows holding a second pair.
    const QStringList captions = {QStringLiteral("Beacon ident"), QStringLiteral("Location"),
                                  QStringLiteral("Province/State"), QStringLiteral("Country"),
                                  QStringLiteral("Ident Cycle"), QStringLiteral("Mod Offset"),
                                  QStringLiteral("Latitude"), QStringLiteral("QTH Locator"),
                                  QStringLiteral("Distance/Bearing")};
    auto *beacon = new QGridLayout;
    beacon->setHorizontalSpacing(2);
    beacon->setVerticalSpacing(2);
    for (int row = 0; row < captions.size(); ++row)
        beacon->addWidget(label(nullptr, captions[row], 108), row, 0);
    QLabel *frequencyCaption = label(nullptr, QStringLiteral("Frequency"), 70);
    lblDAID = label("lblDAID", QStringLiteral("DAID"), 36);
    keepRoomWhenHidden(lblDAID);
    beacon->addWidget(label(nullptr, QStringLiteral("Power/Class"), 80), 4, 2);
    beacon->addWidget(label(nullptr, QStringLiteral("Longitude"), 80), 6, 2);

    txtLogIdent = box("txtLogIdent", 90, true);
    txtLogFreq = box("txtLogFreq", 80, true);
    txtLogLocation = box("txtLogLocation", 280, true);
    txtLogProvince = box("txtLogProvince", 280, true);
    txtLogCountry = box("txtLogCountry", 280, true);
    txtLogCycle = box("txtLogCycle", 90, true);
    txtLogPower = box("txtLogPower", 102, true);
    txtLogUSB = box("txtLogUSB", 90, true);
    txtLogLSB = box("txtLogLSB", 90, true);
    txtLogLatitude = box("txtLogLatitude", 90, true);
    txtLogLongitude = box("txtLogLongitude", 102, true);
    txtLogQTH = box("txtLogQTH", 90, true);
    txtLogDistance = box("txtLogDistance", 280, true);
    auto *frequencyRow = new QHBoxLayout;
    frequencyRow->setSpacing(2);
    frequencyRow->addWidget(frequencyCaption);
    frequencyRow->addWidget(txtLogFreq);
    frequencyRow->addWidget(lblDAID);
    frequencyRow->addStretch();
    beacon->addWidget(txtLogIdent, 0, 1);
    beacon->addLayout(frequencyRow, 0, 2, 1, 2);
    for (auto [row, wide] :
         {std::pair{1, txtLogLocation}, {2, txtLogProvince}, {3, txtLogCountry}, {8, txtLogDistance}})
        beacon->addWidget(wide, row, 1, 1, 3);
    beacon->addWidget(txtLogCycle, 4, 1);
    beacon->addWidget(txtLogPower, 4, 3);
    auto *offsets = new QHBoxLayout;
    offsets->addWidget(txtLogUSB);
    offsets->addWidget(txtLogLSB);
    offsets->addStretch();
    beacon->addLayout(offsets, 5, 1, 1, 3);
    beacon->addWidget(txtLogLatitude, 6, 1);
    beacon->addWidget(txtLogLongitude, 6, 3);
    beacon->addWidget(txtLogQTH, 7, 1);
    beacon->setColumnStretch(3, 1);

    QLabel *commentsCaption = label(nullptr, QStringLiteral("Beacon Comments"), 200);
    txtLogComments = box("txtLogComments", 0, false);
    txtLogComments->setMaxLength(kBeaconCommentsWidth);

    QLabel *timeCaption = label(nullptr, QStringLiteral("Time"), 40);
    txtLogTime = box("txtLogTime", 60, false);
    QLabel *dateCaption = label(nullptr, QStringLiteral("Date"), 34);
    txtLogDate = box("txtLogDate", 90, false);
    cmdCalendar = button("cmdCalendar", {QStringLiteral("Select")}, 64);
    lblOutOfSync = label("lblOutOfSync", QStringLiteral("!"), 20);
    lblOutOfSync->setFont(namedFont(QStringLiteral("Tahoma"), 14, true));
    setDesignedSize(lblOutOfSync, 20);
    lblOutOfSync->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    lblOutOfSync->setToolTip(QStringLiteral("Logged, but the logbook holds no entry of this beacon"));
    auto *entry = new QHBoxLayout;
    entry->addWidget(timeCaption);
    entry->addWidget(txtLogTime);
    entry->addSpacing(6);
    entry->addWidget(dateCaption);
    entry->addWidget(txtLogDate);
    entry->addWidget(cmdCalendar);
    entry->addWidget(lblOutOfSync);
    entry->addStretch();

    HLogged = new QScrollBar(Qt::Horizontal, this);
    name(HLogged, "HLogged");
    HLogged->setFixedWidth(300);
    HLogged->setPageStep(1);
    keepRoomWhenHidden(HLogged);
    lblCount = label("lblCount", QString(), 84);
    auto *stepping = new QHBoxLayout;
    stepping->addWidget(HLogged);
    stepping->addWidget(lblCount);
    stepping->addStretch();

    // The log and the session show their own comments in one place.
    lblReceptionComments = label("lblReceptionComments", QStringLiteral("Reception Comments"), 200);
    lblCLEComments = label("lblCLEComments", QStringLiteral("CLE/Session Comments"), 200);
    lblNewBeacon = label("lblNewBeacon", QStringLiteral("NEW BEACON !"), 170);
    lblNewBeacon->setFont(namedFont(QStringLiteral("Tahoma"), 10, true));
    setDesignedSize(lblNewBeacon, 170);
    lblNewBeacon->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    keepRoomWhenHidden(lblNewBeacon);
    txtReceptionComments = box("txtReceptionComments", 0, false);
    txtReceptionComments->setMaxLength(kCommentsWidth);
    txtCLEComments = box("txtCLEComments", 0, false);
    txtCLEComments->setMaxLength(kCommentsWidth);
    auto *comments = new QGridLayout;
    comments->setVerticalSpacing(2);
    comments->addWidget(lblReceptionComments, 0, 0);
    comments->addWidget(lblCLEComments, 0, 0);
    comments->addWidget(lblNewBeacon, 0, 1);
    comments->addWidget(txtReceptionComments, 1, 0, 1, 3);
    comments->addWidget(txtCLEComments, 1, 0, 1, 3);
    comments->setColumnStretch(2, 1);

    // The captions that the log and the session give the two middle buttons.
    cmdUpdate = button("cmdUpdate", {QStringLiteral("Update")}, 110);
    cmdDelete =
        button("cmdDelete", {QStringLiteral("Delete From Log"), QStringLiteral("Delete From CLE/Session")}, 170);
    cmdExport = button("cmdExport", {QStringLiteral("Create CLE/Session Report"), QStringLiteral("Print Log")}, 200);
    cmdExit = button("cmdExit", {QStringLiteral("Exit")}, 92);

    auto *list = new QVBoxLayout;
    list->setSpacing(2);
    list->addWidget(lblTitle);
    list->addWidget(lblHeading);
    list->addWidget(lstLog, 1);
    list->addWidget(lblLog);

    auto *panel = new QVBoxLayout;
    panel->setSpacing(2);
    panel->addLayout(beacon);
    panel->addSpacing(4);
    panel->addWidget(commentsCaption);
    panel->addWidget(txtLogComments);
    panel->addSpacing(6);
    panel->addLayout(entry);
    panel->addSpacing(4);
    panel->addLayout(stepping);
    panel->addSpacing(4);
    panel->addLayout(comments);
    panel->addStretch();

    auto *halves = new QHBoxLayout;
    halves->setSpacing(10);
    halves->addLayout(list);
    halves->addLayout(panel, 1);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdUpdate, cmdDelete, cmdExport})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdExit);

    auto *column = new QVBoxLayout;
    column->addLayout(halves, 1);
    column->addSpacing(4);
    column->addLayout(buttons);
    picCalendar2 = new DatePickerPanel(this, txtLogDate, QPoint(3960, 3600),
                                       {QStringLiteral("cmdSelectDate"), QStringLiteral("Select Date"),
                                        QStringLiteral("cmdCancel"), QStringLiteral("Cancel")});
    picCalendar2->setObjectName(QStringLiteral("picCalendar2"));
    picCalendar2->hide();
    cdrCalendar2 = picCalendar2->cdrCalendar2;
    cmbMonth = picCalendar2->cmbMonth;
    cmbYear = picCalendar2->cmbYear;
    cmdSelectDate = picCalendar2->confirmButton;
    cmdCancel = picCalendar2->cancelButton;
    // The designed size, or more for what the calendar panel needs where it opens.
    const QRect panelArea = picCalendar2->geometry();
    layOutWindow(this, column,
                 QSize(kDesignedWidth, kWindowHeight).expandedTo(QSize(panelArea.right() + 1, panelArea.bottom() + 1)));
    resize(minimumSizeHint());

    txtLogTime->installEventFilter(this);
    const std::pair<QChar, QChar> quoteToApostrophe{QLatin1Char('"'), QLatin1Char('\'')};
    const std::pair<QChar, QChar> commaToBlank{QLatin1Char(','), QLatin1Char(' ')};
    replaceEnteredCharacters(txtLogTime, {commaToBlank});
    replaceEnteredCharacters(txtLogComments, {quoteToApostrophe, commaToBlank});
    replaceEnteredCharacters(txtReceptionComments, {quoteToApostrophe});
    replaceEnteredCharacters(txtCLEComments, {quoteToApostrophe});

    // A mouse press makes the row current before it selects it: the beacon is shown
    // once the selection has followed, whether by mouse or by keyboard.
    connect(lstLog, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_settingSelection)
            lstLog_Click();
    });
    connect(HLogged, &QScrollBar::valueChanged, this, &frmLog::HLogged_Change);
    connect(txtLogTime, &QLineEdit::textChanged, this, &frmLog::txtLogTime_Change);
    connect(txtLogDate, &QLineEdit::textChanged, this, &frmLog::txtLogDate_Change);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmLog::cmdUpdate_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmLog::cmdDelete_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmLog::cmdExport_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmLog::cmdExit_Click);
    connect(cmdCalendar, &QPushButton::clicked, this, &frmLog::cmdCalendar_Click);
}

void frmLog::showForm()
{
    bringToFront(this);
    Form_Activate();
}

void frmLog::showError(const QString &text)
{
    MessageBox::show(text, kErrorTitle);
}

// ---------------------------------------------------------------------------------
// Loading, activation and leaving

void frmLog::Form_Load()
{
    HLogged->hide();
    HLogged->setEnabled(false);
    lblNewBeacon->hide();
    lblOutOfSync->hide();
}

void frmLog::Form_Activate()
{
    setEnabled(false);
    lblOutOfSync->hide();
    picCalendar2->hide();

    const bool session = m_state.LogViewMode == kLogViewSession;
    lblReceptionComments->setVisible(!session);
    txtReceptionComments->setVisible(!session);
    lblCLEComments->setVisible(session);
    txtCLEComments->setVisible(session);
    cmdExport->show();
    if (session) {
        // Fitted like the location's caption, which would otherwise come back on a resize.
        setUserTextCaption(lblTitle, QStringLiteral("CLE Log"), QString());
        cmdDelete->setText(QStringLiteral("Delete From CLE/Session"));
    } else {
        m_state.LogFileName = MakeLogFileName(m_state.CurrentLocationIndex);
        const QString location =
            m_windows.location()->cmbListeningLocation->itemText(m_state.CurrentLocationIndex);
        setUserTextCaption(lblTitle, QString(), location, QStringLiteral(" NDB Log"));
        cmdExport->setText(QStringLiteral("Print Log"));
        cmdDelete->setText(QStringLiteral("Delete From Log"));
    }
    m_commands.setArmed(cmdExport, true);

    LoadTable();
    setEnabled(true);
}

void frmLog::cmdExit_Click()
{
    close();
}

void frmLog::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_unloading)
        return;
    m_unloading = true;
    hide();
    Form_Unload();
    m_windows.unloadLog();
}

void frmLog::Form_Unload()
{
    if (m_windows.hasEnded())
        return;
    frmMain *main = m_windows.main();
    m_windows.returnToMain();
    // The main window shows the beacon last viewed here.
    if (!txtLogIdent->text().isEmpty())
        main->SearchBeacons(txtLogIdent->text(), toWindows1252(txtLogFreq->text()), false, m_shown);
    else
        main->ClearBeaconDisplay();
}

// ---------------------------------------------------------------------------------
// The list

void frmLog::LoadTable()
{
    {
        const QSignalBlocker blocker(lstLog);
        lstLog->clear();
    }
    LogTableContext ctx;
    ctx.mode = m_state.LogViewMode;
    ctx.currentLocationIndex = m_state.CurrentLocationIndex;
    ctx.currentFrequency = m_state.CurrentFrequency;
    ctx.currentBeacon = m_windows.main()->shownBeacon();
    ctx.countries = &m_state.Countries;
    ctx.states = &m_state.States;
    ctx.exactMatchSeen = ExactMatchSeen;
    const LogTable table = qern::LoadTable(m_state.folder, ctx);

    RecNo = table.RecNo;
    LogListSelectRow = table.LogListSelectRow;
    ExactMatchSeen = table.ExactMatchSeen;
    lblLog->setText(fromWindows1252(table.lblLog()));
    lstLog->setUpdatesEnabled(false);
    for (const QByteArray &row : table.rows)
        lstLog->addItem(fromWindows1252(row));
    lstLog->setUpdatesEnabled(true);

    if (table.error.failed())
        showError(table.error.messageText());

    if (table.rows.isEmpty()) {
        selectRow(-1);
        m_commands.setArmed(cmdExport, false);
        return;
    }
    m_state.LogSelectCurrent = false;
    m_commands.setArmed(cmdExport, true);
    // Update and Delete follow the beacon shown, as after a row chosen by hand.
    selectRow(table.rowToSelect());
}

void frmLog::selectRow(int row)
{
    {
        m_settingSelection = true;
        if (row < 0)
            lstLog->clearSelection();
        lstLog->setCurrentRow(row);
        m_settingSelection = false;
    }
    // Setting the selection in code shows the beacon, as a click does; a list
    // without a selection shows none.
    lstLog_Click();
}

int frmLog::selectedRow() const
{
    const int row = lstLog->currentRow();
    if (row < 0 || row >= RecNo.size() || !lstLog->item(row)->isSelected())
        return -1;
    return row;
}

// Nothing of the last beacon stays: no field, no colour of a check, no command that
// would act on it.
void frmLog::ClearEverything()
{
    for (QLineEdit *box : {txtLogIdent, txtLogFreq, txtLogLocation, txtLogComments, txtReceptionComments, txtLogCountry,
                           txtLogProvince, txtLogCycle, txtLogPower, txtLogUSB, txtLogLSB, txtLogLatitude,
                           txtLogLongitude, txtLogQTH, txtLogDistance, txtCLEComments})
        box->clear();
    for (QLineEdit *box : {txtLogDate, txtLogTime}) {
        const QSignalBlocker blocker(box); // an empty box is no time or date to check
        box->clear();
        box->setPalette(QApplication::palette(box));
    }
    m_timeValid = false;
    m_dateValid = false;
    lblDAID->hide();
    lblNewBeacon->hide();
    // Nothing is shown, so no entry either.
    Entries.clear();
    ShownCountryCode.clear();
    HLogged->hide();
    lblCount->clear();
    lblOutOfSync->hide();
    cmdCalendar->setEnabled(false);
    picCalendar2->hide();
    m_shown = {};
    applyButtons();
}

void frmLog::lstLog_Click()
{
    LoadAfterScrolling();
}

// ---------------------------------------------------------------------------------
// One beacon

void frmLog::LoadAfterScrolling()
{
    const int k = selectedRow();
    if (k < 0) {
        ClearEverything();
        return;
    }

    lblNewBeacon->hide();
    Entries.clear();
    for (QLineEdit *box : {txtLogTime, txtLogDate, txtLogIdent, txtLogFreq, txtLogQTH, txtLogDistance, txtLogCountry,
                           txtLogProvince, txtLogPower, txtLogCycle, txtLogLatitude, txtLogLongitude, txtLogLSB,
                           txtLogUSB, txtLogComments, txtCLEComments, txtReceptionComments})
        box->clear();

    frmLocation *preferences = m_windows.location();
    LogDetailContext ctx;
    ctx.mode = m_state.LogViewMode;
    ctx.currentLocationIndex = m_state.CurrentLocationIndex;
    if (m_state.CurrentLocationIndex >= 0 && m_state.CurrentLocationIndex < kLocationCount) {
        ctx.locationLat = m_state.LocationLat[m_state.CurrentLocationIndex];
        ctx.locationLon = m_state.LocationLon[m_state.CurrentLocationIndex];
    }
    ctx.imperial = preferences->optImperial->isChecked();
    const LogDetail d = qern::LoadAfterScrolling(m_state.folder, RecNo[k], ctx);
    if (d.error.failed()) {
        ClearEverything();
        showError(d.error.messageText());
        return;
    }
    m_shown = d.shown;
    applyButtons();

    txtLogIdent->setText(fromWindows1252(d.txtLogIdent));
    txtLogFreq->setText(fromWindows1252(d.txtLogFreq));
    txtLogLocation->setText(fromWindows1252(d.txtLogLocation));
    txtLogUSB->setText(fromWindows1252(d.txtLogUSB));
    txtLogLSB->setText(fromWindows1252(d.txtLogLSB));
    txtLogComments->setText(fromWindows1252(d.txtLogComments));
    ShownCountryCode = d.ShownCountryCode;
    txtLogCountry->setText(fromWindows1252(d.txtLogCountry));
    txtLogProvince->setText(fromWindows1252(d.txtLogProvince));
    txtLogCycle->setText(fromWindows1252(d.txtLogCycle));
    txtLogPower->setText(fromWindows1252(d.txtLogPower));
    txtLogLatitude->setText(fromWindows1252(d.txtLogLatitude));
    txtLogLongitude->setText(fromWindows1252(d.txtLogLongitude));
    txtLogQTH->setText(fromWindows1252(d.txtLogQTH));
    txtLogDistance->setText(fromWindows1252(d.txtLogDistance));
    lblDAID->setVisible(d.lblDAIDVisible);
    m_state.QTHLatitude = d.QTHLatitude;
    m_state.QTHLongitude = d.QTHLongitude;
    m_state.Distance = d.Distance;
    m_state.Bearing = d.Bearing;
    m_state.QTHLocator = d.QTHLocator;

    if (d.countryTableMissing)
        showError(QStringLiteral("Country lookup table missing."));
    if (d.stateTableMissing)
        showError(QStringLiteral("State, Province lookup table missing."));
    if (d.lookupError.failed())
        showError(d.lookupError.messageText());

    cmdCalendar->setEnabled(true);
    if (m_state.LogViewMode == kLogViewSession) {
        lblCount->hide();
        if (d.sessionRecordFound) {
            lblNewBeacon->setVisible(d.lblNewBeaconVisible);
            txtLogTime->setText(fromWindows1252(d.sessionTime));
            txtLogDate->setText(fromWindows1252(d.sessionDate));
            txtCLEComments->setText(fromWindows1252(d.sessionComments));
        }
    } else {
        Entries = d.entries;
        lblOutOfSync->hide();
        txtLogTime->setReadOnly(false);
        txtLogDate->setReadOnly(false);
        lblCount->show();
        if (Entries.isEmpty()) {
            // Marked as logged here, yet the logbook holds no entry of it.
            HLogged->hide();
            lblCount->clear();
            lblOutOfSync->show();
            txtLogTime->setReadOnly(true);
            txtLogDate->setReadOnly(true);
            cmdCalendar->setEnabled(false);
        } else if (Entries.size() == 1) {
            HLogged->hide();
            lblCount->clear();
            showEntry(1);
        } else {
            {
                const QSignalBlocker blocker(HLogged);
                HLogged->setEnabled(true);
                HLogged->setRange(1, static_cast<int>(std::min<qsizetype>(Entries.size(), INT_MAX)));
                HLogged->setValue(1);
            }
            HLogged->show();
            lblCount->setText(fromWindows1252(entryCountText(1, Entries.size())));
            showEntry(1);
        }
    }
    if (d.logError.failed())
        showError(d.logError.messageText());
    checkTimeLength();
}

void frmLog::showEntry(qsizetype position)
{
    if (position < 1 || position > Entries.size())
        return;
    const LogEntryView &entry = Entries[position - 1];
    txtLogTime->setText(fromWindows1252(entry.time));
    txtLogDate->setText(fromWindows1252(entry.date));
    txtReceptionComments->setText(fromWindows1252(entry.comments));
}

void frmLog::HLogged_Change(int value)
{
    lblCount->setText(fromWindows1252(entryCountText(value, Entries.size())));
    showEntry(value);
    checkTimeLength();
    checkDateLength();
}

qint64 frmLog::shownEntryRecord() const
{
    if (Entries.isEmpty())
        return 0;
    const qsizetype position = Entries.size() > 1 ? HLogged->value() : 1;
    if (position < 1 || position > Entries.size())
        return 0;
    return Entries[position - 1].recordNumber;
}

// The check of a time or date as shown: light red for the wrong length, else the
// check of typing.
void frmLog::checkShownLength(QLineEdit *box, qsizetype length)
{
    const bool time = box == txtLogTime;
    if (box->text().size() == length) {
        time ? txtLogTime_Change() : txtLogDate_Change();
        return;
    }
    setBoxColour(box, kLightRed);
    (time ? m_timeValid : m_dateValid) = false;
    applyButtons();
}

void frmLog::checkTimeLength()
{
    checkShownLength(txtLogTime, 4);
}

void frmLog::checkDateLength()
{
    checkShownLength(txtLogDate, 8);
}

// Update needs the selected row's beacon shown with a time and a date that can be
// stored, whichever box was checked last; Delete, that beacon shown (it takes the
// entry shown, or a bit without entries, or the session mark).
void frmLog::applyButtons()
{
    const bool shown = !m_shown.isEmpty() && selectedRow() >= 0;
    cmdUpdate->setEnabled(shown && m_timeValid && m_dateValid);
    cmdDelete->setEnabled(shown);
}

// ---------------------------------------------------------------------------------
// The editable fields

void frmLog::applyCheck(QLineEdit *box, const FieldCheck &check)
{
    const QString text = fromWindows1252(check.text);
    if (box->text() != text) {
        const QSignalBlocker blocker(box);
        box->setText(text);
    }
    setBoxColour(box, check.colour == BoxColour::Red        ? kRed
                      : check.colour == BoxColour::LightRed ? kLightRed
                                                            : kGreen);
    (box == txtLogTime ? m_timeValid : m_dateValid) = check.updateEnabled;
    applyButtons();
    if (check.selectionStart >= 0)
        box->setSelection(check.selectionStart, check.selectionLength);
}

void frmLog::txtLogTime_Change()
{
    applyCheck(txtLogTime, checkLogTime(toWindows1252(txtLogTime->text())));
}

void frmLog::txtLogDate_Change()
{
    applyCheck(txtLogDate, checkLogDate(toWindows1252(txtLogDate->text())));
}

void frmLog::txtLogTime_GotFocus()
{
    RefreshClockTexts(m_state);
    // A click places the cursor after the focus arrives: select once it has.
    QTimer::singleShot(0, txtLogTime, [box = txtLogTime] { box->selectAll(); });
}

void frmLog::txtLogTime_LostFocus()
{
    const QString padded = fromWindows1252(logTimeAfterFocusLoss(toWindows1252(txtLogTime->text())));
    if (padded != txtLogTime->text())
        txtLogTime->setText(padded);
}

bool frmLog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtLogTime && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // Switching to another window and back neither leaves nor enters the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (event->type() == QEvent::FocusIn)
                txtLogTime_GotFocus();
            else
                txtLogTime_LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------
// The date picker

void frmLog::cmdCalendar_Click()
{
    if (lstLog->currentRow() < 0 || selectedRow() < 0)
        return;
    picCalendar2->open();
    picCalendar2->raise();
}

void frmLog::cmdSelectDate_Click()
{
    picCalendar2->confirm();
}

void frmLog::cmdCancel_Click()
{
    picCalendar2->cancel();
}

// Escape cancels the open date panel, as on the reception dialog.
void frmLog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && picCalendar2->isVisible()) {
        cmdCancel_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------
// Update and Delete

void frmLog::cmdUpdate_Click()
{
    // Without a beacon shown there is nothing to write back.
    const int k = selectedRow();
    if (k < 0 || m_shown.isEmpty())
        return;
    m_state.LogFileName = MakeLogFileName(m_state.CurrentLocationIndex);
    const bool storable = m_state.LogViewMode == kLogViewSession
                              ? commentsStorable({txtCLEComments})
                              : commentsStorable({txtLogComments, txtReceptionComments});
    if (!storable)
        return;

    LogEditResult result;
    if (m_state.LogViewMode == kLogViewSession) {
        result = updateSessionRecords(m_state.folder, m_shown, toWindows1252(txtLogTime->text()),
                                      toWindows1252(txtLogDate->text()), toWindows1252(txtCLEComments->text()));
    } else {
        LogbookEntryEdit edit;
        edit.beaconComments = toWindows1252(txtLogComments->text());
        edit.time = toWindows1252(txtLogTime->text());
        edit.date = toWindows1252(txtLogDate->text());
        edit.receptionComments = toWindows1252(txtReceptionComments->text());
        result = updateLogbookEntry(m_state.folder, m_state.CurrentLocationIndex, m_shown, shownEntryRecord(), edit);
    }
    if (result.beaconMoved) {
        showBeaconAgain();
        return;
    }
    if (result.error.failed()) {
        showError(result.messageText());
        return;
    }
    if (result.beaconMissing) {
        MessageBox::show(QLatin1String(kBeaconMissingText), QLatin1String(kBeaconMissingTitle));
        return;
    }

    m_windows.main()->CheckDatabaseIntegrity();
    LoadTable();
    if (k < lstLog->count())
        selectRow(k);
}

void frmLog::cmdDelete_Click()
{
    const int k = selectedRow();
    if (k < 0 || m_shown.isEmpty())
        return;
    cmdUpdate->setEnabled(false);
    cmdDelete->setEnabled(false);
    txtCLEComments->clear();

    const LogEditResult result =
        m_state.LogViewMode == kLogViewSession
            ? removeFromSession(m_state.folder, m_shown)
            : deleteLogbookEntry(m_state.folder, m_state.CurrentLocationIndex, m_shown, shownEntryRecord());
    if (result.beaconMoved) {
        showBeaconAgain();
        return;
    }
    if (result.error.failed())
        showError(result.messageText());

    LoadTable();
    const int rows = lstLog->count();
    if (rows > 0)
        selectRow(std::min(k, rows - 1));
    m_windows.main()->CheckDatabaseIntegrity();
}

// The shown beacon's record holds another beacon now: nothing was written.
void frmLog::showBeaconAgain()
{
    filesReplaced();
    showError(QLatin1String(kBeaconMovedText));
}

// The list, its record numbers and the entries are read again, and the beacon shown
// from the one record holding it now, or none when none or several do. A read error
// is told, and the window stays as it is.
void frmLog::filesReplaced()
{
    const FoundBeacon found = m_shown.isEmpty() ? FoundBeacon{} : findShownBeacon(m_state.folder, m_shown);
    if (found.error.failed()) {
        showError(found.error.messageText());
        // The record and entry numbers may belong to the replaced files: nothing acts
        // on what the pane shows until a row is chosen again.
        m_settingSelection = true;
        lstLog->clearSelection();
        m_settingSelection = false;
        cmdCalendar->setEnabled(false);
        applyButtons();
        return;
    }
    LoadTable();
    selectRow(found.found() ? static_cast<int>(RecNo.indexOf(found.recordNumber)) : -1);
}

// ---------------------------------------------------------------------------------
// The third button

void frmLog::cmdExport_Click()
{
    if (m_state.LogViewMode == kLogViewSession) {
        // The report window shows this one again when it closes.
        hide();
        m_windows.cleReport()->showForm();
        return;
    }
    PrintLog();
}

void frmLog::PrintLog()
{
    frmPrintProgress progress(this);
    progress.show();
    letEventsRun();

    const std::unique_ptr<QPrinter> printer = m_printerSource ? m_printerSource() : defaultPrinter();
    if (!printer) {
        progress.hide();
        PrintOutcome none;
        none.errorNumber = kPrinterError;
        showError(none.messageText());
        return;
    }

    PrintedLogContext ctx;
    ctx.currentLocationIndex = m_state.CurrentLocationIndex;
    if (m_state.CurrentLocationIndex >= 0 && m_state.CurrentLocationIndex < kLocationCount) {
        ctx.locationLat = m_state.LocationLat[m_state.CurrentLocationIndex];
        ctx.locationLon = m_state.LocationLon[m_state.CurrentLocationIndex];
    }
    ctx.imperial = m_windows.location()->optImperial->isChecked();
    ctx.countries = &m_state.Countries;
    m_state.LogFileName = MakeLogFileName(m_state.CurrentLocationIndex);
    m_state.LogRecordLength = LogRecord::Length;
    const PrintedLogBody body = PrintedLogLines(m_state.folder, ctx, letEventsRun);
    if (body.error.failed()) {
        progress.hide();
        showError(body.error.messageText());
        return;
    }
    m_state.Distance = body.Distance;
    m_state.Bearing = body.Bearing;

    PrintedLogPages pages;
    pages.heading =
        printedLogHeading(m_state.UserName, m_state.UserCallSign, m_state.LocationName, m_state.LocationLocator);
    pages.lines = body.lines;
    pages.closing = printedLogClosing(m_state.LoggedCountHere);
    LogPrinter logPrinter(*printer);
    const PrintOutcome outcome = logPrinter.print(pages, letEventsRun);
    progress.hide();
    if (outcome.failed()) {
        showError(outcome.messageText());
        return;
    }
    LoadTable();
}

} // namespace qern
