// Logging receptions and clearing logs: Quick Log, the reception dialog with its
// checks and date picker, the session clear and the master log clear.

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeZone>
#include <QTimer>

#include "Clock.h"
#include "LogMaintenance.h"
#include "editor/frmName.h"
#include "logbook/DatePickerPanel.h"
#include "logbook/frmMasterLogClear.h"
#include "logbook/frmReceptionComments.h"
#include "preferences/frmLocation.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(128, 255, 128);

QDateTime utc(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone::utc());
}

Beacon beacon(const QByteArray &ident, const QByteArray &frequency, quint32 mask = 0)
{
    Beacon b;
    b.ident = ident;
    b.frequency = frequency;
    b.loggedMask = mask;
    return b;
}

QByteArray inSession(const Beacon &b)
{
    BeaconRecord record = BeaconRecord::fromBytes(beaconBytes(b));
    record.setSessionMark();
    return record.bytes();
}

BeaconRecord storedBeacon(const TestProgram &program, int number)
{
    return BeaconRecord::fromBytes(program.read(QStringLiteral("ndb.dat")).mid((number - 1) * BeaconRecord::Length,
                                                                              BeaconRecord::Length));
}

QByteArray logEntry(const QByteArray &ident, const QByteArray &frequency, const QByteArray &time,
                    const QByteArray &date, const QByteArray &comments = {})
{
    return LogRecord::make(ident, frequency, time, date, comments).bytes();
}

// The program at listening location 3 ("Cabin"), the beacons written, ABC on display.
frmMain *startAtCabinShowing(TestProgram &program, const QList<Beacon> &beacons, const QString &ident = "ABC")
{
    program.presetSetting(RegistryKeys::ListeningLocations, kRegistryNumber, "ListeningLocation", "3");
    program.presetSetting(RegistryKeys::ListeningLocations, kRegistryString, "Location(3)", "Cabin");
    program.writeBeacons(beacons);
    frmMain *main = program.startToMain();
    if (!main)
        return nullptr;
    main->txtIdent->setText(ident);
    main->cmdLookUp_Click();
    return main;
}

QColor baseColour(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base);
}

QColor neutralColour(const QLineEdit *box)
{
    return QApplication::palette(box).color(QPalette::Base);
}

} // namespace

class LoggingTest : public QObject {
    Q_OBJECT

private slots:
    // --- Quick Log ----------------------------------------------------------------

    void quickLogFirstAtALocationWritesEntryMaskMarkAndNewSessionRecord()
    {
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("XYZ", "400"), beacon("ABC", "338")});
        QVERIFY(main);
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        QVERIFY(main->cmdQuickLog->isEnabled());

        QTest::mouseClick(main->cmdQuickLog, Qt::LeftButton);

        QCOMPARE(program.read(QStringLiteral("Logs/log3.dat")), logEntry("ABC", "338", "1706", "20260304"));
        const BeaconRecord logged = storedBeacon(program, 2);
        QCOMPARE(logged.loggedMask(), 8u);
        QCOMPARE(logged.text(BeaconField::LoggedMask), QByteArray("8    "));
        QVERIFY(logged.inSession());
        QCOMPARE(program.read(QStringLiteral("Logs/cle.dat")),
                 CLERecord::make("ABC", "CAN", "338", "1706", "20260304", "", true).bytes());
        QCOMPARE(program.read(QStringLiteral("ndb.bak")), before);
        QCOMPARE(main->lblLogged->text(), QStringLiteral(" *** Last logged on 04-Mar-2026 ***"));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void quickLogAgainAppendsAnEntryAndOverwritesTheSessionRecord()
    {
        QDateTime now = utc(2026, 3, 4, 17, 6);
        const ScopedClock clock([&now] { return now; });
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdQuickLog_Click();
        now = utc(2026, 3, 5, 2, 40);

        main->cmdQuickLog_Click();

        QCOMPARE(program.read(QStringLiteral("Logs/log3.dat")),
                 logEntry("ABC", "338", "1706", "20260304") + logEntry("ABC", "338", "0240", "20260305"));
        QCOMPARE(storedBeacon(program, 1).loggedMask(), 8u);
        QCOMPARE(program.read(QStringLiteral("Logs/cle.dat")),
                 CLERecord::make("ABC", "CAN", "338", "0240", "20260305", "", false).bytes());
    }

    void quickLogStopsWithTheMessageWhenTheBackupFails()
    {
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        // A folder where the database's copy belongs: the copy cannot be made.
        QVERIFY(QDir().mkpath(program.path(QStringLiteral("ndb.bak"))));

        main->cmdQuickLog_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QVERIFY2(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # ")),
                 qPrintable(program.boxes.shown[0].text));
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), before);
        QCOMPARE(program.read(QStringLiteral("Logs/log3.dat")), QByteArray());
        QVERIFY(!QFile::exists(program.path(QStringLiteral("Logs/cle.dat"))));
    }

    // --- Reception dialog ---------------------------------------------------------

    void logItOpensTheDialogForTheBeaconOnDisplay()
    {
        const ScopedClock clock(utc(2006, 4, 8, 14, 5));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);

        QTest::mouseClick(main->cmdAddToLog, Qt::LeftButton);

        QVERIFY(program.windows->isReceptionCommentsLoaded());
        frmReceptionComments *dialog = program.windows->receptionComments();
        QVERIFY(dialog->isVisible());
        QVERIFY(!main->isEnabled());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Entry to Cabin log."));
        QCOMPARE(dialog->lblShowAddedBeacon->text(), QStringLiteral("ABC - 338 kHz"));
        QCOMPARE(dialog->lblLocation->text(), main->txtLocation->text());
        QCOMPARE(dialog->lblCountry->text(), QStringLiteral("Canada"));
        QCOMPARE(dialog->lblUTC->text(), QStringLiteral("UTC 2006-04-08  14:05"));
        QCOMPARE(dialog->txtTime->text(), QStringLiteral("1405"));
        QCOMPARE(dialog->txtDate->text(), QStringLiteral("20060408"));
        QCOMPARE(dialog->cmdAddBeacon->text(), QStringLiteral("Add beacon to \"Cabin\" log."));
        QVERIFY(dialog->cmdAddBeacon->isEnabled());
        QCOMPARE(baseColour(dialog->txtTime), neutralColour(dialog->txtTime));
        QCOMPARE(baseColour(dialog->txtDate), kGreen);
        QVERIFY(dialog->picCalendar2->isHidden());
        QVERIFY(dialog->lblTimeError->isHidden());
    }

    void addingWritesTypedTimeDateAndCommentsThenClosesTheDialog()
    {
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("XYZ", "400"), beacon("ABC;2", "338")}, "ABC");
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        QCOMPARE(dialog->lblShowAddedBeacon->text(), QStringLiteral("ABC - 338 kHz"));

        dialog->txtTime->setText(QStringLiteral("0930"));
        dialog->txtDate->setText(QStringLiteral("20260301"));
        QTest::keyClicks(dialog->txtReceptionComments, QStringLiteral("Loud \"id\""));
        QTest::keyClicks(dialog->txtSessionComments, QStringLiteral("  CLE 12  "));
        QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);

        // The dialog's entry keeps the duplicate suffix (cut to five characters).
        QCOMPARE(program.read(QStringLiteral("Logs/log3.dat")),
                 logEntry("ABC;2", "338", "0930", "20260301", "Loud 'id'"));
        QCOMPARE(program.read(QStringLiteral("Logs/cle.dat")),
                 CLERecord::make("ABC;2", "CAN", "338", "0930", "20260301", "CLE 12", true).bytes());
        QCOMPARE(storedBeacon(program, 2).loggedMask(), 8u);
        QVERIFY(storedBeacon(program, 2).inSession());
        QVERIFY(!program.windows->isReceptionCommentsLoaded());
        QVERIFY(main->isEnabled());
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  338 kHz"));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void cancelWritesNothingAndGivesTheMainWindowBack()
    {
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();

        QTest::mouseClick(dialog->Command3, Qt::LeftButton);

        QVERIFY(!program.windows->isReceptionCommentsLoaded());
        QVERIFY(main->isEnabled());
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), before);
        QCOMPARE(program.read(QStringLiteral("Logs/log3.dat")), QByteArray());
        QVERIFY(!QFile::exists(program.path(QStringLiteral("Logs/cle.dat"))));
    }

    void aFailingBackupKeepsTheDialogOpenAndWritesNothing()
    {
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        QVERIFY(QDir().mkpath(program.path(QStringLiteral("ndb.bak"))));

        dialog->cmdAddBeacon_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QVERIFY(program.boxes.shown[0].text.startsWith(QStringLiteral("Error # ")));
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QVERIFY(program.windows->isReceptionCommentsLoaded());
        QVERIFY(!main->isEnabled());
        QCOMPARE(program.read(QStringLiteral("Logs/log3.dat")), QByteArray());
    }

    void modifyBeaconDataOpensTheEditorAndComesBackToTheDialog()
    {
        QDateTime now = utc(2026, 3, 4, 17, 6);
        const ScopedClock clock([&now] { return now; });
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("XYZ", "400"), beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->txtTime->setText(QStringLiteral("0101"));
        dialog->txtReceptionComments->setText(QStringLiteral("kept"));

        QTest::mouseClick(dialog->cmdChangeBeacon, Qt::LeftButton);

        QVERIFY(program.windows->isEditorLoaded());
        frmName *editor = program.windows->editor();
        QVERIFY(editor->isVisible());
        QVERIFY(!editor->isModal());
        QVERIFY(!editor->cmdDelete->isEnabled());
        QVERIFY(!editor->Command2->isEnabled());
        QCOMPARE(program.state.NewRecordFlag, 0);
        QCOMPARE(program.state.EditRecordNumber, qint64(2));
        QVERIFY(!program.state.EditorOpenedFromMain);
        QVERIFY(program.windows->isReceptionCommentsLoaded());
        QVERIFY(dialog->isHidden());
        QVERIFY(!main->isEnabled());

        now = utc(2026, 3, 4, 17, 20);
        editor->Command1_Click();

        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtTime->text(), QStringLiteral("1720"));
        QCOMPARE(dialog->txtReceptionComments->text(), QStringLiteral("kept"));
        QCOMPARE(dialog->lblShowAddedBeacon->text(), QStringLiteral("ABC - 338 kHz"));
        QVERIFY(!main->isEnabled());
    }

    void aFrequencyChangedInTheEditorIsTheOneLogged()
    {
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338"), beacon("XYZ", "400")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->cmdChangeBeacon_Click();
        frmName *editor = program.windows->editor();

        editor->txtFrequencyIn->setText(QStringLiteral("450"));
        editor->cmdWrite_Click();
        editor->Command1_Click();

        // The sort moved the beacon after XYZ; the dialog follows it.
        QCOMPARE(program.state.CurrentRecordNumber, qint64(2));
        QCOMPARE(dialog->lblShowAddedBeacon->text(), QStringLiteral("ABC - 450 kHz"));
        dialog->cmdAddBeacon_Click();
        QCOMPARE(program.read(QStringLiteral("Logs/log3.dat")), logEntry("ABC", "450", "1706", "20260304"));
        QCOMPARE(storedBeacon(program, 2).loggedMask(), 8u);
        QCOMPARE(storedBeacon(program, 1).loggedMask(), 0u);
    }

    void typingTheTimeChecksIt_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("look"); // red, green or neutral
        QTest::addColumn<QString>("error"); // empty: hidden
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("addEnabled");
        QTest::newRow("empty") << "" << "" << "green" << "" << "" << true;
        QTest::newRow("one digit") << "1" << "1" << "green" << "" << "" << true;
        QTest::newRow("valid hours") << "12" << "12" << "neutral" << "" << "" << true;
        QTest::newRow("hours 25") << "25" << "25" << "red" << "Invalid hours" << "" << false;
        QTest::newRow("third digit cuts") << "253" << "25" << "red" << "Invalid hours" << "25" << false;
        QTest::newRow("minutes 60") << "1260" << "1260" << "red" << "Invalid minutes" << "60" << false;
        QTest::newRow("valid time") << "1259" << "1259" << "neutral" << "" << "" << true;
        QTest::newRow("five characters") << "12345" << "12345" << "red" << "Invalid Time Entry" << "" << false;
    }
    void typingTheTimeChecksIt()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, look);
        QFETCH(QString, error);
        QFETCH(QString, selected);
        QFETCH(bool, addEnabled);
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->txtTime->clear();

        QTest::keyClicks(dialog->txtTime, typed);

        QCOMPARE(dialog->txtTime->text(), text);
        const QColor expected =
            look == "red" ? kRed : look == "green" ? kGreen : neutralColour(dialog->txtTime);
        QCOMPARE(baseColour(dialog->txtTime), expected);
        QCOMPARE(dialog->lblTimeError->isHidden(), error.isEmpty());
        if (!error.isEmpty())
            QCOMPARE(dialog->lblTimeError->text(), error);
        if (!selected.isEmpty())
            QCOMPARE(dialog->txtTime->selectedText(), selected);
        QCOMPARE(dialog->cmdAddBeacon->isEnabled(), addEnabled);
    }

    void leavingTheTimeBoxChecksItsLength_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("addEnabled");
        QTest::newRow("three digits get a zero") << "123" << "0123" << "" << true;
        QTest::newRow("two digits") << "93" << "93" << "Invalid time" << false;
        QTest::newRow("empty") << "" << "" << "Invalid time" << false;
        QTest::newRow("four digits") << "2359" << "2359" << "" << true;
        // Four characters are refused when they are no time.
        QTest::newRow("minutes 75") << "1275" << "1275" << "Invalid minutes" << false;
    }
    void leavingTheTimeBoxChecksItsLength()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, error);
        QFETCH(bool, addEnabled);
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->txtTime->clear();
        QTest::keyClicks(dialog->txtTime, typed);

        dialog->txtTime_LostFocus();

        QCOMPARE(dialog->txtTime->text(), text);
        QCOMPARE(dialog->lblTimeError->isHidden(), error.isEmpty());
        if (!error.isEmpty()) {
            QCOMPARE(dialog->lblTimeError->text(), error);
            QCOMPARE(baseColour(dialog->txtTime), kRed);
        } else {
            QCOMPARE(baseColour(dialog->txtTime), neutralColour(dialog->txtTime));
        }
        QCOMPARE(dialog->cmdAddBeacon->isEnabled(), addEnabled);
    }

    void theDateBoxTurnsRedForAnInvalidDateWithoutAMessage_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("valid");
        QTest::newRow("29 February 2004") << "20040229" << true;
        QTest::newRow("29 February 2006") << "20060229" << false;
        QTest::newRow("seven characters") << "2006041" << false;
        QTest::newRow("before 1950") << "19491231" << false;
        QTest::newRow("empty") << "" << false;
    }
    void theDateBoxTurnsRedForAnInvalidDateWithoutAMessage()
    {
        QFETCH(QString, date);
        QFETCH(bool, valid);
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();

        dialog->txtDate->setText(date);

        QCOMPARE(baseColour(dialog->txtDate), valid ? kGreen : kRed);
        QCOMPARE(dialog->cmdAddBeacon->isEnabled(), valid);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void theAddButtonWaitsForBothBoxesToBeValid()
    {
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();

        dialog->txtTime->setText(QStringLiteral("2500"));
        dialog->txtDate->setText(QStringLiteral("20260101"));
        QVERIFY(!dialog->cmdAddBeacon->isEnabled());

        dialog->txtDate->setText(QStringLiteral("20261301"));
        dialog->txtTime->setText(QStringLiteral("1200"));
        QVERIFY(!dialog->cmdAddBeacon->isEnabled());

        dialog->txtDate->setText(QStringLiteral("20261201"));
        QVERIFY(dialog->cmdAddBeacon->isEnabled());
    }

    void commentBoxesKeepSixtyCharactersAndTurnQuotesIntoApostrophes()
    {
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();

        for (QLineEdit *box : {dialog->txtReceptionComments, dialog->txtSessionComments}) {
            box->setText(QString(70, QLatin1Char('x')));
            QCOMPARE(box->text(), QString(60, QLatin1Char('x')));
            QCOMPARE(box->cursorPosition(), 60);
            box->clear();
            QTest::keyClicks(box, QStringLiteral("a\"b"));
            QCOMPARE(box->text(), QStringLiteral("a'b"));
        }
    }

    // --- Date picker ----------------------------------------------------------------

    void openingThePickerPresetsItFromTheDateBox()
    {
        const ScopedClock clock(utc(2006, 6, 20, 12, 0));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->txtDate->setText(QStringLiteral("20060408"));

        QTest::mouseClick(dialog->cmdDateSelect, Qt::LeftButton);

        QVERIFY(dialog->picCalendar2->isVisible());
        QCOMPARE(dialog->picCalendar2->pos(), QPoint(288, 56));
        QCOMPARE(dialog->cmbMonth->count(), 12);
        QCOMPARE(dialog->cmbMonth->currentText(), QStringLiteral("April"));
        QCOMPARE(dialog->cmbYear->currentText(), QStringLiteral("2006"));
        QCOMPARE(dialog->cmbYear->count(), 42);
        QCOMPARE(dialog->cmbYear->itemText(0), QStringLiteral("1965"));
        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(2006, 4, 8));
    }

    void aDateBoxWithoutADateOpensThePickerAtToday_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("empty") << "";
        QTest::newRow("month 13") << "20061308";
        QTest::newRow("day 31 of April") << "20060431";
        QTest::newRow("letters") << "abcdefgh";
    }
    void aDateBoxWithoutADateOpensThePickerAtToday()
    {
        QFETCH(QString, target);
        const ScopedClock clock(QDateTime(QDate(2006, 6, 20), QTime(12, 0)));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->txtDate->setText(target);

        dialog->cmdDateSelect_Click();

        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(2006, 6, 20));
        QCOMPARE(dialog->cmbMonth->currentText(), QStringLiteral("June"));
        QCOMPARE(dialog->cmbYear->currentText(), QStringLiteral("2006"));
        QCOMPARE(dialog->cmbYear->count(), 42);
        QCOMPARE(dialog->txtDate->text(), target);
    }

    void theListsMoveTheCalendar()
    {
        const ScopedClock clock(utc(2006, 6, 20, 12, 0));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->txtDate->setText(QStringLiteral("20060331"));
        dialog->cmdDateSelect_Click();

        dialog->cmbMonth->setCurrentIndex(11);
        emit dialog->cmbMonth->activated(11);
        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(2006, 12, 31));

        const int at = dialog->cmbYear->findText(QStringLiteral("1999"));
        dialog->cmbYear->setCurrentIndex(at);
        emit dialog->cmbYear->activated(at);
        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(1999, 12, 31));

        // A month shorter than the day keeps its last day.
        dialog->cmbMonth->setCurrentIndex(1);
        emit dialog->cmbMonth->activated(1);
        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(1999, 2, 28));
    }

    void pagingTheCalendarBefore1965SnapsBackToJanuary1965()
    {
        const ScopedClock clock(utc(2006, 6, 20, 12, 0));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->txtDate->setText(QStringLiteral("19650115"));
        dialog->cmdDateSelect_Click();

        dialog->cdrCalendar2->showPreviousMonth();

        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(1965, 1, 15));
        QCOMPARE(dialog->cmbMonth->currentText(), QStringLiteral("January"));
        QCOMPARE(dialog->cmbYear->currentText(), QStringLiteral("1965"));
    }

    void confirmWritesTheZeroPaddedDateAndCancelKeepsTheBox()
    {
        const ScopedClock clock(utc(2006, 6, 20, 12, 0));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC", "338")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();

        dialog->cmdDateSelect_Click();
        dialog->cdrCalendar2->setSelectedDate(QDate(2006, 3, 5));
        QTest::mouseClick(dialog->Command2, Qt::LeftButton);
        QCOMPARE(dialog->txtDate->text(), QStringLiteral("20060620"));
        QVERIFY(dialog->picCalendar2->isHidden());

        dialog->cmdDateSelect_Click();
        dialog->cdrCalendar2->setSelectedDate(QDate(2006, 3, 5));
        QCOMPARE(dialog->cmbMonth->currentText(), QStringLiteral("March"));
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QCOMPARE(dialog->txtDate->text(), QStringLiteral("20060305"));
        QVERIFY(dialog->picCalendar2->isHidden());
        QCOMPARE(baseColour(dialog->txtDate), kGreen);
    }

    // --- Session clear ------------------------------------------------------------

    void sessionClearAnsweredYesDeletesTheSessionAndEveryMark()
    {
        TestProgram program;
        program.write(QStringLiteral("ndb.dat"), inSession(beacon("ABC", "338")) + beaconBytes(beacon("DEF", "290")));
        const QByteArray session = CLERecord::make("ABC", "CAN", "338", "1200", "20260101", "", true).bytes();
        program.write(QStringLiteral("Logs/cle.dat"), session);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        QVERIFY(main->mnuSessionClr->isEnabled());
        program.boxes.shown.clear();
        program.boxes.answerNext(MsgAnswer::Yes);

        main->mnuSessionClr->trigger();

        QCOMPARE(program.boxes.shown.size(), 2);
        QCOMPARE(program.boxes.shown[0].text,
                 QStringLiteral("This action will delete your entire Session/CLE. Are you sure you want to do this?"));
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Confirm Session/CLE Delete"));
        QCOMPARE(program.boxes.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(program.boxes.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(program.boxes.shown[0].defaultAnswer, MsgAnswer::No);
        QCOMPARE(program.boxes.shown[1].text, QStringLiteral("     Session/CLE deleted.     "));
        QCOMPARE(program.boxes.shown[1].title, QStringLiteral("QERN"));
        QVERIFY(!QFile::exists(program.path(QStringLiteral("Logs/cle.dat"))));
        QCOMPARE(program.read(QStringLiteral("AutoBackups/cle.bak")), session);
        for (int n : {1, 2}) {
            const BeaconRecord record = storedBeacon(program, n);
            QVERIFY(!record.inSession());
            QCOMPARE(record.bytes().at(BeaconRecord::Length - 2), '"');
        }
        QVERIFY(!main->mnuSessionClr->isEnabled());
        QVERIFY(!main->cmdViewSession->isEnabled());
    }

    void sessionClearAnsweredNoChangesNothing()
    {
        TestProgram program;
        program.write(QStringLiteral("ndb.dat"), inSession(beacon("ABC", "338")));
        const QByteArray session = CLERecord::make("ABC", "CAN", "338", "1200", "20260101", "", true).bytes();
        program.write(QStringLiteral("Logs/cle.dat"), session);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        program.boxes.shown.clear();
        program.boxes.answerNext(MsgAnswer::No);

        main->mnuSessionClr_Click();

        QCOMPARE(program.boxes.texts(),
                 QStringList({QStringLiteral("This action will delete your entire Session/CLE. Are you sure you want "
                                             "to do this?"),
                              QStringLiteral("Session/CLE not deleted.")}));
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), before);
        QCOMPARE(program.read(QStringLiteral("Logs/cle.dat")), session);
        QVERIFY(!QFile::exists(program.path(QStringLiteral("AutoBackups/cle.bak"))));
        QVERIFY(!QFile::exists(program.path(QStringLiteral("ndb.bak"))));
    }

    // --- Master log clear ---------------------------------------------------------

    void masterClearOfTwoTickedLocationsEmptiesTheirLogbooksAndBits()
    {
        TestProgram program;
        // Locations 0, 2 and 3, and location 2 only.
        program.writeBeacons({beacon("ABC", "338", 13), beacon("DEF", "290", 4)});
        const QByteArray log0 = logEntry("ABC", "338", "1200", "20260101");
        const QByteArray log2 = logEntry("ABC", "338", "1300", "20260102") + logEntry("DEF", "290", "1310", "20260102");
        const QByteArray log3 = logEntry("ABC", "338", "1400", "20260103");
        program.write(QStringLiteral("Logs/log0.dat"), log0);
        program.write(QStringLiteral("Logs/log2.dat"), log2);
        program.write(QStringLiteral("Logs/log3.dat"), log3);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->txtIdent->setText(QStringLiteral("ABC"));
        main->cmdLookUp_Click();
        QVERIFY(!main->lblkHz->text().isEmpty());
        program.boxes.shown.clear();

        QStringList captions;
        QList<bool> visible;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            frmMasterLogClear *window = program.windows->masterLogClear();
            modal = window->isModal() && window->isVisible();
            for (QCheckBox *box : window->chklog) {
                captions << box->text();
                visible << !box->isHidden();
            }
            window->chklog[0]->setChecked(true);
            window->chklog[3]->setChecked(true);
            QTest::mouseClick(window->cmdDelete, Qt::LeftButton);
            QVERIFY(window->cmdDelete->isEnabled());
            QVERIFY(window->cmdExit->isEnabled());
            QTest::mouseClick(window->cmdExit, Qt::LeftButton);
        });
        main->mnuMasterClear->trigger();

        QVERIFY(modal);
        QCOMPARE(captions.value(0), QStringLiteral("Location 1 -  1 entries"));
        QCOMPARE(captions.value(2), QStringLiteral("Location 3 -  2 entries"));
        QCOMPARE(visible, QList<bool>({true, false, true, true, false, false, false, false, false, false, false,
                                       false, false, false, false, false}));
        QCOMPARE(program.boxes.texts(),
                 QStringList({QStringLiteral("This action will delete your selected logs. Are you sure you want to "
                                             "do this?"),
                              QStringLiteral("     Selected NDB Logs deleted.     ")}));
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Confirm Log Delete"));
        QCOMPARE(program.boxes.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(storedBeacon(program, 1).loggedMask(), 4u);
        QCOMPARE(storedBeacon(program, 2).loggedMask(), 4u);
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")), QByteArray());
        QCOMPARE(program.read(QStringLiteral("Logs/log3.dat")), QByteArray());
        QVERIFY(QFile::exists(program.path(QStringLiteral("Logs/log3.dat"))));
        QCOMPARE(program.read(QStringLiteral("Logs/log2.dat")), log2);
        QCOMPARE(program.read(QStringLiteral("AutoBackups/log0.bak")), log0);
        QCOMPARE(program.read(QStringLiteral("AutoBackups/log3.bak")), log3);
        QCOMPARE(main->lblkHz->text(), QString());
        QVERIFY(!program.windows->isMasterLogClearLoaded());
        QVERIFY(main->isEnabled());
    }

    void masterClearWithNothingTickedAsksAndChangesNothing()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338", 1)});
        const QByteArray log0 = logEntry("ABC", "338", "1200", "20260101");
        program.write(QStringLiteral("Logs/log0.dat"), log0);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        frmMasterLogClear *window = program.windows->masterLogClear();
        main->GatherDatabaseStatistics(true);
        program.boxes.shown.clear();

        window->cmdDelete_Click();

        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(window->cmdDelete->isEnabled());
        QVERIFY(window->cmdExit->isEnabled());
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), before);
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")), log0);
        QVERIFY(!QFile::exists(program.path(QStringLiteral("ndb.bak"))));
    }

    void masterClearAnsweredNoChangesNothing()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338", 1)});
        const QByteArray log0 = logEntry("ABC", "338", "1200", "20260101");
        program.write(QStringLiteral("Logs/log0.dat"), log0);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        const QByteArray before = program.read(QStringLiteral("ndb.dat"));
        frmMasterLogClear *window = program.windows->masterLogClear();
        window->chklog[0]->setChecked(true);
        program.boxes.shown.clear();
        program.boxes.answerNext(MsgAnswer::No);

        window->cmdDelete_Click();

        QCOMPARE(program.boxes.texts().value(1), QStringLiteral("Selected NDB Logs not deleted."));
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), before);
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")), log0);
        QVERIFY(!QFile::exists(program.path(QStringLiteral("ndb.bak"))));
        QVERIFY(window->cmdDelete->isEnabled());
    }
};

QTEST_MAIN(LoggingTest)
#include "tst_logging.moc"
