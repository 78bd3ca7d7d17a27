#include "frmReceptionComments.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "BeaconDatabase.h"
#include "BeaconDisplay.h"
#include "BeaconRecord.h"
#include "ClockTexts.h"
#include "DatePickerPanel.h"
#include "MessageBox.h"
#include "NumberText.h"
#include "ReceptionWrite.h"
#include "SharedState.h"
#include "Tables.h"
#include "Text.h"
#include "WindowSet.h"
#include "editor/frmName.h"
#include "main/frmMain.h"
#include "preferences/frmLocation.h"

namespace qern {

namespace {

constexpr int kClockIntervalMs = 10000;
constexpr int kCommentLength = 60; // LogRecord.Comments and CLERecord.Comments

const QColor kErrorRed(255, 0, 0);
const QColor kAcceptGreen(128, 255, 128);

QString withoutByte(const QByteArray &text, char removed)
{
    QByteArray out = text;
    out.replace(QByteArray(1, removed), QByteArray());
    return fromWindows1252(out);
}

} // namespace

frmReceptionComments::frmReceptionComments(WindowSet &windows) : m_windows(windows), m_state(windows.state())
{
    setObjectName(QStringLiteral("frmReceptionComments"));
    setWindowTitle(QStringLiteral("Time / Date / Comments"));

    // Created in the order the Tab key visits them, then laid out: each control as large as
    // designed, or as its caption needs in the font of the day.
    auto label = [this](const char *objectName, const QString &text, int w = 0) {
        auto *l = new QLabel(text, this);
        if (objectName)
            l->setObjectName(QLatin1String(objectName));
        setDesignedSize(l, w);
        return l;
    };
    auto box = [this](const char *objectName, int w, const QString &widest) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(objectName));
        setBoxWidth(e, w, widest);
        return e;
    };
    auto button = [this](const char *objectName, const QString &text, int w) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(objectName));
        setDesignedSize(b, w, 28);
        b->setAutoDefault(false);
        return b;
    };

    lblShowAddedBeacon = label("lblShowAddedBeacon", QString(), 320);
    lblShowAddedBeacon->setFont(namedFont(QStringLiteral("Tahoma"), 11, true));
    setDesignedSize(lblShowAddedBeacon, 320);
    lblUTC = label("lblUTC", QString(), 210);
    lblLocal = label("lblLocal", QString(), 210);
    for (QLabel *clock : {lblUTC, lblLocal})
        keepClockWidth(clock);
    // The beacon's place and country, below the clocks so that they can take the window's
    // width: room for a full Location field with the longest state name, and the longest
    // country name, of the tables.
    lblLocation = label("lblLocation", QString());
    lblCountry = label("lblCountry", QString());
    const QString fullPlace(layoutOf(BeaconField::Location).width, QLatin1Char('W'));
    int placeWidth = captionWidth(lblLocation, fullPlace);
    for (const StateEntry &state : m_state.States.rows)
        placeWidth = std::max(placeWidth, captionWidth(lblLocation, fullPlace + QStringLiteral(", ") +
                                                                        fromWindows1252(state.Name)));
    for (const CountryEntry &country : m_state.Countries.rows)
        placeWidth = std::max(placeWidth, captionWidth(lblCountry, fromWindows1252(country.Name)));
    for (QLabel *place : {lblLocation, lblCountry})
        place->setMinimumWidth(placeWidth);
    // The beacon's texts are never markup.
    for (QLabel *beacon : {lblShowAddedBeacon, lblLocation, lblCountry})
        beacon->setTextFormat(Qt::PlainText);

    QLabel *timeCaption = label(nullptr, QStringLiteral("Time (HHMM)"), 118);
    QLabel *dateCaption = label(nullptr, QStringLiteral("Date (YYYYMMDD)"), 118);
    txtTime = box("txtTime", 70, QStringLiteral("0000"));
    lblTimeError = label("lblTimeError", QString(), 220);
    QPalette errorText = lblTimeError->palette();
    errorText.setColor(QPalette::WindowText, kErrorRed);
    lblTimeError->setPalette(errorText);
    keepRoomWhenHidden(lblTimeError);
    lblTimeError->hide();
    txtDate = box("txtDate", 90, QStringLiteral("00000000"));
    cmdDateSelect = button("cmdDateSelect", QStringLiteral("Select"), 62);

    QLabel *receptionCaption = label(nullptr, QStringLiteral("Reception Comments"), 200);
    txtReceptionComments = new QLineEdit(this);
    txtReceptionComments->setObjectName(QStringLiteral("txtReceptionComments"));
    QLabel *sessionCaption = label(nullptr, QStringLiteral("Session/CLE Comments"), 200);
    txtSessionComments = new QLineEdit(this);
    txtSessionComments->setObjectName(QStringLiteral("txtSessionComments"));

    // The add button names the location: it takes the row's room to spare.
    cmdAddBeacon = button("cmdAddBeacon", QString(), 270);
    cmdChangeBeacon = button("cmdChangeBeacon", QStringLiteral("Modify beacon data"), 150);
    Command3 = button("Command3", QStringLiteral("Cancel"), 108);
    picCalendar2 = new DatePickerPanel(this, txtDate, QPoint(4320, 840),
                                       {QStringLiteral("Command1"), QStringLiteral("Select date"),
                                        QStringLiteral("Command2"), QStringLiteral("Cancel")});
    picCalendar2->setObjectName(QStringLiteral("picCalendar2"));
    cdrCalendar2 = picCalendar2->cdrCalendar2;
    cmbMonth = picCalendar2->cmbMonth;
    cmbYear = picCalendar2->cmbYear;
    Command1 = picCalendar2->confirmButton;
    Command2 = picCalendar2->cancelButton;

    auto *clocks = new QVBoxLayout;
    clocks->setSpacing(0);
    clocks->addWidget(lblUTC);
    clocks->addWidget(lblLocal);
    auto *beaconRow = new QHBoxLayout;
    beaconRow->addWidget(lblShowAddedBeacon);
    beaconRow->addStretch();
    beaconRow->addLayout(clocks);

    auto *timeAndDate = new QGridLayout;
    timeAndDate->addWidget(timeCaption, 0, 0);
    timeAndDate->addWidget(txtTime, 0, 1);
    timeAndDate->addWidget(lblTimeError, 0, 2, 1, 2);
    timeAndDate->addWidget(dateCaption, 1, 0);
    timeAndDate->addWidget(txtDate, 1, 1);
    timeAndDate->addWidget(cmdDateSelect, 1, 2, Qt::AlignLeft);
    timeAndDate->setColumnStretch(3, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdAddBeacon, 1);
    buttons->addWidget(cmdChangeBeacon);
    buttons->addWidget(Command3);

    auto *column = new QVBoxLayout;
    column->setSpacing(2);
    column->addLayout(beaconRow);
    column->addSpacing(4);
    column->addWidget(lblLocation);
    column->addWidget(lblCountry);
    column->addSpacing(6);
    column->addLayout(timeAndDate);
    column->addSpacing(6);
    column->addWidget(receptionCaption);
    column->addWidget(txtReceptionComments);
    column->addSpacing(4);
    column->addWidget(sessionCaption);
    column->addWidget(txtSessionComments);
    column->addStretch();
    column->addSpacing(8);
    column->addLayout(buttons);
    // The designed size, or more for what the calendar panel needs where it opens.
    const QRect panel = picCalendar2->geometry();
    layOutWindow(this, column, QSize(560, 310).expandedTo(QSize(panel.right() + 1, panel.bottom() + 1)));
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kClockIntervalMs);

    txtTime->installEventFilter(this);
    for (QLineEdit *comments : {txtReceptionComments, txtSessionComments})
        replaceEnteredCharacters(comments, {{QLatin1Char('"'), QLatin1Char('\'')}});

    connect(Timer1, &QTimer::timeout, this, &frmReceptionComments::Timer1_Timer);
    connect(txtTime, &QLineEdit::textChanged, this, &frmReceptionComments::txtTime_Change);
    connect(txtDate, &QLineEdit::textChanged, this, &frmReceptionComments::txtDate_Change);
    connect(txtReceptionComments, &QLineEdit::textChanged, this, [this] { capComment(txtReceptionComments); });
    connect(txtSessionComments, &QLineEdit::textChanged, this, [this] { capComment(txtSessionComments); });
    connect(cmdAddBeacon, &QPushButton::clicked, this, &frmReceptionComments::cmdAddBeacon_Click);
    connect(cmdChangeBeacon, &QPushButton::clicked, this, &frmReceptionComments::cmdChangeBeacon_Click);
    connect(Command3, &QPushButton::clicked, this, &frmReceptionComments::Command3_Click);
    connect(cmdDateSelect, &QPushButton::clicked, this, &frmReceptionComments::cmdDateSelect_Click);
}

void frmReceptionComments::showForm()
{
    bringToFront(this);
    Form_Activate();
}

// ---------------------------------------------------------------------------------
// Loading and activation

void frmReceptionComments::Form_Load()
{
    // The list's text may be a choice not saved yet; the entry goes to the current location.
    const QString location = m_windows.location()->cmbListeningLocation->itemText(m_state.CurrentLocationIndex);
    setWindowTitle(QStringLiteral("Entry to ") + location + QStringLiteral(" log."));
    DisplayRequestedBeacon();
    RefreshTime();
    Timer1->start();
}

void frmReceptionComments::Form_Activate()
{
    picCalendar2->hide();
    m_state.LogFileName = MakeLogFileName(m_state.CurrentLocationIndex);
    DisplayRequestedBeacon();
    RefreshTime();

    txtTime->setText(withoutByte(m_state.UTCTimeText, ':'));
    txtDate->setText(withoutByte(m_state.UTCDateText, '-'));

    const QString location = m_windows.location()->cmbListeningLocation->itemText(m_state.CurrentLocationIndex);
    setUserTextCaption(cmdAddBeacon, QStringLiteral("Add beacon to \""), location, QStringLiteral("\" log."));

    checkTime(false);
}

// Every line that names the beacon is read from its record, so that two namesakes are
// told apart by what the record holds now (the main window may show an older text).
void frmReceptionComments::DisplayRequestedBeacon()
{
    BeaconRecord record;
    // The editor hands back no beacon when it lost its own.
    const FileError error = m_state.CurrentRecordNumber < 1
                                ? FileError{}
                                : readBeacon(m_state.folder, m_state.CurrentRecordNumber, &record);
    bool decodable = false;
    const ShownBeacon shown = shownBeaconOf(m_state.CurrentRecordNumber, record, &decodable);
    const bool readable = !error && !shown.isEmpty() && decodable;

    // A beacon that cannot be read cannot be logged: the write path would refuse it.
    if (!readable) {
        clearBeacon();
        if (isVisible() && !shown.isEmpty()) {
            const QString text =
                error ? error.messageText() : undecodableRecord(m_state.CurrentRecordNumber).description;
            MessageBox::show(text, QStringLiteral("Error"));
        }
        return;
    }
    m_shown = shown;
    m_commands.setAvailable(cmdAddBeacon, true);
    m_state.CurrentIdent = shown.ident;
    m_state.CurrentFrequency = shown.frequency;
    lblShowAddedBeacon->setText(fromWindows1252(StripSemicolonSuffix(shown.ident) + " - " + shown.frequency + " kHz"));
    const BeaconPlace place = beaconPlace(record, &m_state.Countries, &m_state.States);
    lblLocation->setText(fromWindows1252(place.location));
    lblCountry->setText(fromWindows1252(place.countryName));
}

// No beacon: nothing of the last one stays, and nothing can be logged.
void frmReceptionComments::clearBeacon()
{
    m_shown = {};
    for (QLabel *line : {lblShowAddedBeacon, lblLocation, lblCountry})
        line->clear();
    m_commands.setAvailable(cmdAddBeacon, false);
}

void frmReceptionComments::RefreshTime()
{
    refreshClockLabels(m_state, lblUTC, lblLocal);
}

void frmReceptionComments::Timer1_Timer()
{
    RefreshTime();
}

// ---------------------------------------------------------------------------------
// Checks while typing

void frmReceptionComments::setLook(QLineEdit *box, Look look)
{
    QPalette palette = QApplication::palette(box);
    if (look == Look::Red)
        palette.setColor(QPalette::Base, kErrorRed);
    else if (look == Look::Green)
        palette.setColor(QPalette::Base, kAcceptGreen);
    box->setPalette(palette);
}

void frmReceptionComments::showTimeError(const QString &text)
{
    lblTimeError->setText(text);
    lblTimeError->show();
}

void frmReceptionComments::applyAddEnabled()
{
    m_commands.setArmed(cmdAddBeacon, m_timeValid && m_dateValid);
}

void frmReceptionComments::setTimeVerdict(bool valid)
{
    m_timeValid = valid;
    applyAddEnabled();
}

void frmReceptionComments::setDateVerdict(bool valid)
{
    m_dateValid = valid;
    applyAddEnabled();
}

void frmReceptionComments::txtTime_Change()
{
    checkTime(true);
}

void frmReceptionComments::checkTime(bool moveSelection)
{
    const QString text = txtTime->text();
    // Letters and blanks would count 0 as hours or minutes: a time is digits only.
    const bool digitsOnly =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    if (text.size() >= 5 || !digitsOnly) {
        setLook(txtTime, Look::Red);
        showTimeError(QStringLiteral("Invalid Time Entry"));
        setTimeVerdict(false);
        return;
    }
    setLook(txtTime, Look::Green);
    setTimeVerdict(true);
    lblTimeError->hide();

    if (text.size() == 4) {
        const double minutes = numericValueOfText(text.right(2));
        if (minutes < 0 || minutes > 59) {
            setLook(txtTime, Look::Red);
            showTimeError(QStringLiteral("Invalid minutes"));
            setTimeVerdict(false);
            if (moveSelection)
                txtTime->setSelection(2, 2);
            return;
        }
        setLook(txtTime, Look::Neutral);
        lblTimeError->hide();
        setTimeVerdict(true);
    }
    if (text.size() >= 2) {
        const double hours = numericValueOfText(text.left(2));
        if (hours < 0 || hours > 23) {
            setLook(txtTime, Look::Red);
            showTimeError(QStringLiteral("Invalid hours"));
            setTimeVerdict(false);
            if (moveSelection && text.size() >= 3) {
                txtTime->setText(text.left(2)); // checked again as it changes
                txtTime->setSelection(0, 2);
            }
            return;
        }
        setLook(txtTime, Look::Neutral);
        lblTimeError->hide();
        setTimeVerdict(true);
    }
}

void frmReceptionComments::txtTime_GotFocus()
{
    txtTime->selectAll();
}

void frmReceptionComments::txtTime_LostFocus()
{
    if (txtTime->text().size() == 3)
        txtTime->setText(QLatin1Char('0') + txtTime->text());
    if (txtTime->text().size() != 4) {
        setLook(txtTime, Look::Red);
        showTimeError(QStringLiteral("Invalid time"));
        setTimeVerdict(false);
        return;
    }
    // Four characters are a time only when their hours and minutes are: 1275 stays refused.
    checkTime(false);
}

void frmReceptionComments::txtDate_Change()
{
    const bool valid = CheckDate(toWindows1252(txtDate->text())) == 0;
    setLook(txtDate, valid ? Look::Green : Look::Red);
    setDateVerdict(valid);
}

void frmReceptionComments::capComment(QLineEdit *box)
{
    if (box->text().size() <= kCommentLength)
        return;
    box->setText(box->text().left(kCommentLength));
    box->setCursorPosition(kCommentLength);
}

bool frmReceptionComments::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtTime) {
        if (event->type() == QEvent::FocusIn) {
            txtTime_GotFocus();
        } else if (event->type() == QEvent::FocusOut) {
            // Leaving the window for another one is not leaving the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                txtTime_LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------
// Commands

void frmReceptionComments::cmdAddBeacon_Click()
{
    // A time still being typed is no time: refused as leaving the box refuses it.
    if (!isStorableTime(toWindows1252(txtTime->text()))) {
        setLook(txtTime, Look::Red);
        showTimeError(QStringLiteral("Invalid time"));
        setTimeVerdict(false);
        return;
    }
    if (!m_dateValid)
        return;
    if (!commentsStorable({txtReceptionComments, txtSessionComments}))
        return;

    ReceptionInput input;
    input.ident = m_shown.ident;
    input.frequency = m_shown.frequency;
    input.time = toWindows1252(txtTime->text());
    input.date = toWindows1252(txtDate->text());
    input.receptionComments = toWindows1252(txtReceptionComments->text());
    input.sessionComments = toWindows1252(txtSessionComments->text());
    const ReceptionResult result = writeReception(m_state.folder, m_shown, m_state.CurrentLocationIndex, input);
    if (result.beaconMoved) {
        showBeaconAgain();
        MessageBox::show(QLatin1String(kBeaconMovedText), QStringLiteral("Error"));
        return;
    }
    if (result.error) {
        // The dialog stays open with what was typed, to try again.
        MessageBox::show(result.messageText(), QStringLiteral("Error"));
        return;
    }

    frmMain *main = m_windows.main();
    main->GatherDatabaseStatistics(true);
    unloadAndReturn();
    main->ShowBeacon(m_state.CurrentRecordNumber);
}

void frmReceptionComments::filesReplaced()
{
    if (m_shown.isEmpty())
        return;
    BeaconRecord record;
    const BeaconCheck check = readShownBeacon(m_state.folder, m_shown, &record);
    if (check.error.failed())
        MessageBox::show(check.error.messageText(), QStringLiteral("Error"));
    else if (check.moved)
        showBeaconAgain();
    else
        DisplayRequestedBeacon();
}

// The dialog follows its beacon to the one record holding it now and keeps what was
// typed; with none, or several, it shows no beacon. A read error is told and the
// dialog stays as it is.
void frmReceptionComments::showBeaconAgain()
{
    const FoundBeacon found = findShownBeacon(m_state.folder, m_shown);
    if (found.error.failed()) {
        MessageBox::show(found.error.messageText(), QStringLiteral("Error"));
        return;
    }
    if (!found.found()) {
        clearBeacon();
        return;
    }
    m_state.CurrentRecordNumber = found.recordNumber;
    DisplayRequestedBeacon();
}

void frmReceptionComments::cmdChangeBeacon_Click()
{
    m_state.NewRecordFlag = 0;
    m_state.EditRecordNumber = m_state.CurrentRecordNumber;
    m_state.EditorOpenedFromMain = false;
    hide();
    // The editor reads the three values above when it loads; its exit shows this dialog again.
    frmName *editor = m_windows.editor();
    editor->showForm();
    editor->cmdDelete->setEnabled(false);
    editor->Command2->setEnabled(false);
}

void frmReceptionComments::Command3_Click()
{
    unloadAndReturn();
}

void frmReceptionComments::unloadAndReturn()
{
    Timer1->stop();
    hide();
    m_windows.unloadReceptionComments();
    m_windows.returnToMain();
}

void frmReceptionComments::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Command3_Click();
}

void frmReceptionComments::keyPressEvent(QKeyEvent *event)
{
    // Escape is the open date panel's Cancel, else the dialog's.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (picCalendar2->isVisible())
            Command2_Click();
        else
            Command3_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------
// Date picker

void frmReceptionComments::cmdDateSelect_Click()
{
    picCalendar2->open();
}

void frmReceptionComments::Command1_Click()
{
    picCalendar2->confirm();
}

void frmReceptionComments::Command2_Click()
{
    picCalendar2->cancel();
}

} // namespace qern
