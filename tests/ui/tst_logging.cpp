// Logging receptions and clearing logs: Quick Log, the reception dialog with its
// checks and date picker, the session clear and the master log clear.

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimeZone>
#include <QTimer>
#include <QToolButton>

#include <optional>

#include "BeaconDatabase.h"
#include "Clock.h"
#include "LogMaintenance.h"
#include "ReceptionWrite.h"
#include "editor/frmName.h"
#include "logbook/DatePickerPanel.h"
#include "logbook/frmMasterLogClear.h"
#include "logbook/frmReceptionComments.h"
#include "preferences/frmLocation.h"
#include "startup/frmRestore.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

QDateTime utc(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone::utc());
}

// The program at listening location 3 ("Cabin"), the beacons written, ident on display.
frmMain *startAtCabinShowing(TestProgram &program, const QList<Beacon> &beacons, const QString &ident = "ABC")
{
    program.presetSetting(RegistryKeys::ListeningLocations, kRegistryNumber, "ListeningLocation", "3");
    program.presetSetting(RegistryKeys::ListeningLocations, kRegistryString, "Location(3)", "Cabin");
    return program.startShowing(beacons, ident);
}

// "Log It" at the cabin for ABC on 338 kHz.
frmReceptionComments *openDialog(TestProgram &program)
{
    frmMain *main = startAtCabinShowing(program, {beacon("ABC")});
    if (!main)
        return nullptr;
    main->cmdAddToLog_Click();
    return program.windows->receptionComments();
}

QByteArray abcSession()
{
    return sessionEntry("ABC", "338", "1200", "20260101", "", true);
}

// ABC in the session (other beacons after it), the program started and the next
// question answered.
frmMain *startInSession(TestProgram &program, MsgAnswer answer, const QByteArray &others = {})
{
    program.write("ndb.dat", inSession(beacon("ABC")) + others);
    program.write("Logs/cle.dat", abcSession());
    frmMain *main = program.startToMain();
    program.boxes.shown.clear();
    program.boxes.answerNext(answer);
    return main;
}

} // namespace

class LoggingTest : public QObject {
    Q_OBJECT

private slots:
    // --- Quick Log ----------------------------------------------------------------

    void quickLogWritesTheEntryTheMaskTheMarkAndTheSessionRecord_data()
    {
        QTest::addColumn<QByteArray>("stored"); // the ident as ndb.dat holds it
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QByteArray>("logbook");
        QTest::addColumn<QByteArray>("session");
        QTest::addColumn<QString>("lastLogged");
        const QByteArray first = logEntry("ABC", "338", "1706", "20260304");
        QTest::newRow("first at the location: a new session record")
            << QByteArray("ABC") << 1 << first << sessionEntry("ABC", "338", "1706", "20260304", "", true)
            << " *** Last logged on 04-Mar-2026 ***";
        QTest::newRow("again: a second entry, the session record overwritten")
            << QByteArray("ABC") << 2 << first + logEntry("ABC", "338", "0240", "20260305")
            << sessionEntry("ABC", "338", "0240", "20260305", "", false) << " *** Last logged on 05-Mar-2026 ***";
        // The entry carries the ident without its suffix, and is still its last reception.
        QTest::newRow("a duplicate") << QByteArray("ABC;2") << 1 << first
                                     << sessionEntry("ABC;2", "338", "1706", "20260304", "", true)
                                     << " *** Last logged on 04-Mar-2026 ***";
    }
    void quickLogWritesTheEntryTheMaskTheMarkAndTheSessionRecord()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, clicks);
        QFETCH(QByteArray, logbook);
        QFETCH(QByteArray, session);
        QFETCH(QString, lastLogged);
        QDateTime now = utc(2026, 3, 4, 17, 6);
        const ScopedClock clock([&now] { return now; });
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("XYZ", "400"), beacon(stored)});
        QVERIFY(main);
        QVERIFY(main->cmdQuickLog->isEnabled());
        QByteArray before;

        for (int click = 0; click < clicks; ++click) {
            if (click > 0)
                now = utc(2026, 3, 5, 2, 40);
            before = program.read("ndb.dat");
            QTest::mouseClick(main->cmdQuickLog, Qt::LeftButton);
        }

        QCOMPARE(program.read("Logs/log3.dat"), logbook);
        const BeaconRecord logged = program.storedBeacon(2);
        QCOMPARE(logged.loggedMask(), 8u);
        QCOMPARE(logged.text(BeaconField::LoggedMask), "8    ");
        QVERIFY(logged.inSession());
        QCOMPARE(program.read("Logs/cle.dat"), session);
        QCOMPARE(program.read("ndb.bak"), before);
        QCOMPARE(main->lblLogged->text(), lastLogged);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    // A failing backup stops the write with its message; a session write that fails
    // after the logbook entry takes the entry back in place (no file can be written
    // beside the logbook, as on a full disk); a read-only ndb.dat stops it before the
    // first write. The dialog stays open over the main window.
    void aFailedReceptionLeavesEveryFileAsItWas_data()
    {
        QTest::addColumn<bool>("byDialog");
        QTest::addColumn<QStringList>("blockers"); // folders where a write goes
        QTest::addColumn<QString>("readOnly");     // a file the user made read-only
        for (bool byDialog : {false, true}) {
            const char *way = byDialog ? "Log It dialog" : "Quick Log";
            QTest::addRow("%s, no backup", way) << byDialog << QStringList{"ndb.bak"} << "";
            QTest::addRow("%s, no session write", way)
                << byDialog << QStringList{"Logs/cle.dat", "Logs/log3.dat.tmp"} << "";
            QTest::addRow("%s, ndb.dat read-only", way) << byDialog << QStringList() << "ndb.dat";
        }
    }
    void aFailedReceptionLeavesEveryFileAsItWas()
    {
        QFETCH(bool, byDialog);
        QFETCH(QStringList, blockers);
        QFETCH(QString, readOnly);
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC")});
        QVERIFY(main);
        if (byDialog)
            main->cmdAddToLog_Click();
        program.boxes.shown.clear();
        const QByteArray database = program.read("ndb.dat");
        for (const QString &blocker : blockers)
            QVERIFY(QDir().mkpath(program.path(blocker)));
        std::optional<ReadOnlyFile> readOnlyFile;
        if (!readOnly.isEmpty())
            readOnlyFile.emplace(program.path(readOnly));

        if (byDialog)
            QTest::mouseClick(program.windows->receptionComments()->cmdAddBeacon, Qt::LeftButton);
        else
            QTest::mouseClick(main->cmdQuickLog, Qt::LeftButton);

        QVERIFY(program.boxes.onlyError());
        const QString said = program.boxes.shown[0].text;
        QVERIFY(!said.contains(QLatin1String(kReceptionNotUndoneText)));
        // The backup is the reception's first step: its message says what is true, and
        // names the copy that could not be made.
        QVERIFY(said.endsWith(QLatin1String(kReceptionNotWrittenText)));
        QCOMPARE(said.contains(program.path("ndb.bak")), blockers == QStringList{"ndb.bak"});
        QCOMPARE(program.read("ndb.dat"), database);
        QCOMPARE(program.read("Logs/log3.dat"), "");
        QVERIFY(!QFileInfo(program.path("Logs/cle.dat")).isFile());
        QCOMPARE(program.windows->isReceptionCommentsLoaded(), byDialog);
        QCOMPARE(main->isEnabled(), !byDialog);
    }

    // Another copy of the program moves the beacon on display: another beacon, or its
    // namesake of another country, takes its record.
    void aBeaconMovedBehindTheWindowsBackIsNotLoggedAndShownAgain_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("namesake");
        for (bool namesake : {false, true}) {
            const char *taker = namesake ? "its namesake" : "another beacon";
            QTest::addRow("Quick Log, %s", taker) << "QLog" << namesake;
            QTest::addRow("Log It dialog, %s", taker) << "Log It" << namesake;
            QTest::addRow("editor opened from the dialog, %s", taker) << "editor" << namesake;
        }
    }
    void aBeaconMovedBehindTheWindowsBackIsNotLoggedAndShownAgain()
    {
        QFETCH(QString, command);
        QFETCH(bool, namesake);
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        const Beacon shown = namesake ? laGrandeRiviere() : beacon("ABC");
        const Beacon other = namesake ? galela() : beacon("XYZ", "400");
        const QString ident = QString::fromLatin1(shown.ident);
        const QString frequency = QString::fromLatin1(shown.frequency);
        frmMain *main = startAtCabinShowing(program, {shown, other}, ident);
        QVERIFY(main);
        frmReceptionComments *dialog = nullptr;
        frmName *editor = nullptr;
        if (command != "QLog") {
            QTest::mouseClick(main->cmdAddToLog, Qt::LeftButton);
            dialog = program.windows->receptionComments();
        }
        if (command == "editor") {
            QTest::mouseClick(dialog->cmdChangeBeacon, Qt::LeftButton);
            editor = program.windows->editor();
        }

        // Another copy of the program sorts the other one ahead.
        program.writeBeacons({other, shown});
        const QByteArray swapped = program.read("ndb.dat");
        if (command == "QLog")
            QTest::mouseClick(main->cmdQuickLog, Qt::LeftButton);
        else if (command == "Log It")
            QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);
        else
            QTest::mouseClick(editor->cmdWrite, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "Error: " + QLatin1String(kBeaconMovedText));
        QCOMPARE(program.read("ndb.dat"), swapped);
        QCOMPARE(program.read("Logs/log3.dat"), "");
        QVERIFY(!program.exists("Logs/cle.dat"));
        // The beacon is shown again where it stands now, and the next write is its.
        if (command == "QLog") {
            QCOMPARE(textsOf({main->lblkHz, main->txtCountry}), QStringList({ident + "  " + frequency + " kHz", "Canada"}));
            QTest::mouseClick(main->cmdQuickLog, Qt::LeftButton);
        } else if (command == "Log It") {
            QCOMPARE(textsOf({dialog->lblShowAddedBeacon, dialog->lblCountry}),
                     QStringList({ident + " - " + frequency + " kHz", "Canada"}));
            QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);
        } else {
            QCOMPARE(textsOf({editor->txtIdentIn, editor->txtCountryIn}), QStringList({ident, "Canada"}));
            QCOMPARE(editor->recordNumber(), 2);
            QTest::mouseClick(editor->Command1, Qt::LeftButton);
            QCOMPARE(textsOf({dialog->lblShowAddedBeacon, dialog->lblCountry}),
                     QStringList({ident + " - " + frequency + " kHz", "Canada"}));
            QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);
        }
        QCOMPARE(program.state.CurrentRecordNumber, 2);
        QCOMPARE(program.read("Logs/log3.dat"), logEntry(shown.ident, shown.frequency, "1706", "20260304"));
        QCOMPARE(program.read("Logs/cle.dat"), sessionEntry(shown.ident, shown.frequency, "1706", "20260304", "", true));
        QCOMPARE(program.storedBeacon(2).loggedMask(), 8u);
        QCOMPARE(program.storedBeacon(1).loggedMask(), 0u);
    }

    // The restore window is modeless: it can replace ndb.dat while the dialog and the
    // editor it opened are open. The dialog shows the second of the two beacons; the
    // restored database holds it first, or holds in its place its namesake alone.
    void aRestoreUnderTheDialogAndItsEditorIsFollowed_data()
    {
        QTest::addColumn<bool>("editorOpen");
        QTest::addColumn<QString>("restored");
        for (bool editorOpen : {false, true}) {
            const char *open = editorOpen ? "the dialog and its editor" : "the dialog";
            QTest::addRow("%s, another beacon first", open) << editorOpen << "moved";
            QTest::addRow("%s, its namesake first", open) << editorOpen << "namesake first";
            QTest::addRow("%s, its namesake in its place", open) << editorOpen << "namesake in its place";
        }
    }
    void aRestoreUnderTheDialogAndItsEditorIsFollowed()
    {
        QFETCH(bool, editorOpen);
        QFETCH(QString, restored);
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        const bool namesakes = restored != "moved";
        const bool gone = restored == "namesake in its place";
        const Beacon shown = namesakes ? laGrandeRiviere() : beacon("CFX", "239");
        const Beacon other = namesakes ? galela() : beacon("TI", "300");
        TempFolder drive;
        drive.write("ndb.bak", gone ? beaconBytes(beacon("XYZ", "400")) + beaconBytes(other)
                                    : beaconBytes(shown) + beaconBytes(other));
        drive.write("cle.bak", "");
        frmMain *main = startAtCabinShowing(program, {other, shown}, QString::fromLatin1(shown.ident));
        QVERIFY(main);
        if (namesakes)
            stepToNextMatch(main);
        main->mnuDBRestore->trigger();
        frmRestore *restore = restoreFrom(program, drive, &frmRestore::chkCLE);
        QTest::mouseClick(main->cmdAddToLog, Qt::LeftButton);
        frmReceptionComments *dialog = program.windows->receptionComments();
        const QStringList lines = {QString::fromLatin1(shown.ident + " - " + shown.frequency + " kHz"),
                                   namesakes ? "La Grande Riviere, Quebec" : "Port Eden, Ontario", "Canada"};
        QCOMPARE(textsOf({dialog->lblShowAddedBeacon, dialog->lblLocation, dialog->lblCountry}), lines);
        if (editorOpen)
            QTest::mouseClick(dialog->cmdChangeBeacon, Qt::LeftButton);

        QTest::mouseClick(restore->Command1, Qt::LeftButton);
        QCOMPARE(program.read("ndb.dat"), drive.read("ndb.bak"));

        // The beacon is record 1 now, in the editor and in the dialog; or it is gone
        // from both, and nothing can be logged.
        if (editorOpen) {
            frmName *editor = program.windows->editor();
            QCOMPARE(textsOf({editor->txtIdentIn, editor->txtCountryIn}),
                     gone ? QStringList({"", ""}) : QStringList({QString::fromLatin1(shown.ident), "Canada"}));
            QCOMPARE(editor->cmdWrite->isEnabled(), !gone);
            if (!gone)
                QCOMPARE(editor->recordNumber(), 1);
            QTest::mouseClick(editor->Command1, Qt::LeftButton);
        }
        QCOMPARE(textsOf({dialog->lblShowAddedBeacon, dialog->lblLocation, dialog->lblCountry}),
                 gone ? QStringList({"", "", ""}) : lines);
        QCOMPARE(dialog->cmdAddBeacon->isEnabled(), !gone);
        QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);
        QCOMPARE(program.boxes.summary(), "");
        if (gone) {
            QCOMPARE(program.read("ndb.dat"), drive.read("ndb.bak"));
            QCOMPARE(program.read("Logs/log3.dat"), "");
            QCOMPARE(program.read("Logs/cle.dat"), "");
            return;
        }
        QCOMPARE(program.read("Logs/log3.dat"), logEntry(shown.ident, shown.frequency, "1706", "20260304"));
        QCOMPARE(program.read("Logs/cle.dat"), sessionEntry(shown.ident, shown.frequency, "1706", "20260304", "", true));
        QCOMPARE(program.storedBeacon(1).loggedMask(), 8u);
        QCOMPARE(program.storedBeacon(2).loggedMask(), 0u);
    }

    // --- Reception dialog ---------------------------------------------------------

    void logItOpensTheDialogForTheBeaconOnDisplay()
    {
        const ScopedClock clock(utc(2006, 4, 8, 14, 5));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC")});
        QVERIFY(main);

        QTest::mouseClick(main->cmdAddToLog, Qt::LeftButton);

        QVERIFY(program.windows->isReceptionCommentsLoaded());
        frmReceptionComments *dialog = program.windows->receptionComments();
        QVERIFY(dialog->isVisible());
        QVERIFY(!main->isEnabled());
        QCOMPARE(dialog->windowTitle(), "Entry to Cabin log.");
        QCOMPARE(textsOf({dialog->lblShowAddedBeacon, dialog->lblLocation, dialog->lblCountry, dialog->lblUTC,
                          dialog->txtTime, dialog->txtDate, dialog->cmdAddBeacon}),
                 QStringList({"ABC - 338 kHz", main->txtLocation->text(), "Canada", "UTC 2006-04-08  14:05", "1405",
                              "20060408", "Add beacon to \"Cabin\" log."}));
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
        frmMain *main = startAtCabinShowing(program, {beacon("XYZ", "400"), beacon("ABC;2")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        QCOMPARE(dialog->lblShowAddedBeacon->text(), "ABC - 338 kHz");

        dialog->txtTime->setText("0930");
        dialog->txtDate->setText("20260301");
        QTest::keyClicks(dialog->txtReceptionComments, "Loud \"id\"");
        QTest::keyClicks(dialog->txtSessionComments, "  CLE 12  ");
        QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);

        // The dialog's entry keeps the duplicate suffix (cut to five characters).
        QCOMPARE(program.read("Logs/log3.dat"), logEntry("ABC;2", "338", "0930", "20260301", "Loud 'id'"));
        QCOMPARE(program.read("Logs/cle.dat"), sessionEntry("ABC;2", "338", "0930", "20260301", "CLE 12", true));
        QCOMPARE(program.storedBeacon(2).loggedMask(), 8u);
        QVERIFY(program.storedBeacon(2).inSession());
        QVERIFY(!program.windows->isReceptionCommentsLoaded());
        QVERIFY(main->isEnabled());
        QCOMPARE(main->lblkHz->text(), "ABC  338 kHz");
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void cancelWritesNothingAndGivesTheMainWindowBack_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("title bar") << "title bar";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("Escape, date panel open") << "Escape, panel";
    }
    void cancelWritesNothingAndGivesTheMainWindowBack()
    {
        QFETCH(QString, way);
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);
        const QByteArray before = program.read("ndb.dat");
        QTest::keyClicks(dialog->txtReceptionComments, "heard");
        const QString date = dialog->txtDate->text();

        if (way == "Cancel") {
            QTest::mouseClick(dialog->Command3, Qt::LeftButton);
        } else if (way == "title bar") {
            dialog->close();
        } else {
            if (way == "Escape, panel") {
                QTest::mouseClick(dialog->cmdDateSelect, Qt::LeftButton);
                dialog->cdrCalendar2->setSelectedDate(QDate(2006, 3, 5));
                dialog->cdrCalendar2->setFocus(Qt::MouseFocusReason);
                // The first Escape is the panel's Cancel: the dialog stays, its date too.
                pressEscape(dialog);
                QVERIFY(dialog->picCalendar2->isHidden());
                QVERIFY(program.windows->isReceptionCommentsLoaded());
                QVERIFY(dialog->isVisible());
                QCOMPARE(dialog->txtDate->text(), date);
            }
            pressEscape(dialog);
        }

        QVERIFY(!program.windows->isReceptionCommentsLoaded());
        QVERIFY(program.windows->main()->isEnabled());
        QCOMPARE(program.read("ndb.dat"), before);
        QCOMPARE(program.read("Logs/log3.dat"), "");
        QVERIFY(!program.exists("Logs/cle.dat"));
    }

    // A frequency changed in the editor is the one logged: the sort moves the beacon
    // after XYZ and the dialog follows it, every line read again from its record.
    void modifyBeaconDataOpensTheEditorAndComesBackToTheDialog()
    {
        QDateTime now = utc(2026, 3, 4, 17, 6);
        const ScopedClock clock([&now] { return now; });
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC"), beacon("XYZ", "400")});
        QVERIFY(main);
        main->cmdAddToLog_Click();
        frmReceptionComments *dialog = program.windows->receptionComments();
        dialog->txtTime->setText("0101");
        dialog->txtReceptionComments->setText("kept");

        QTest::mouseClick(dialog->cmdChangeBeacon, Qt::LeftButton);

        QVERIFY(program.windows->isEditorLoaded());
        frmName *editor = program.windows->editor();
        QVERIFY(editor->isVisible());
        QVERIFY(!editor->isModal());
        QVERIFY(!editor->cmdDelete->isEnabled());
        QVERIFY(!editor->Command2->isEnabled());
        QCOMPARE(program.state.NewRecordFlag, 0);
        QCOMPARE(program.state.EditRecordNumber, 1);
        QVERIFY(!program.state.EditorOpenedFromMain);
        QVERIFY(program.windows->isReceptionCommentsLoaded());
        QVERIFY(dialog->isHidden());
        QVERIFY(!main->isEnabled());

        editor->txtFrequencyIn->setText("450");
        editor->txtLocationIn->setText("Lake Town");
        editor->cmdWrite_Click();
        // Not shown again in the main window, whose beacon on 338 kHz is gone.
        QCOMPARE(main->lblkHz->text(), "");
        QVERIFY(!main->cmdQuickLog->isEnabled());
        now = utc(2026, 3, 4, 17, 20);
        editor->Command1_Click();

        QVERIFY(!program.windows->isEditorLoaded());
        QVERIFY(dialog->isVisible());
        QVERIFY(!main->isEnabled());
        QCOMPARE(dialog->txtTime->text(), "1720");
        QCOMPARE(dialog->txtReceptionComments->text(), "kept");
        QCOMPARE(program.state.CurrentRecordNumber, 2);
        QCOMPARE(textsOf({dialog->lblShowAddedBeacon, dialog->lblLocation, dialog->lblCountry}),
                 QStringList({"ABC - 450 kHz", "Lake Town, Ontario", "Canada"}));
        dialog->cmdAddBeacon_Click();
        QCOMPARE(program.read("Logs/log3.dat"), logEntry("ABC", "450", "1720", "20260304", "kept"));
        QCOMPARE(program.storedBeacon(2).loggedMask(), 8u);
        QCOMPARE(program.storedBeacon(1).loggedMask(), 0u);
    }

    void theDialogAndTheMainWindowFollowTheirBeaconThroughTheEditorsSort_data()
    {
        QTest::addColumn<bool>("cancelDialog");
        QTest::addColumn<bool>("namesakes");
        for (bool namesakes : {false, true}) {
            const char *beacons = namesakes ? "namesakes" : "two frequencies";
            QTest::addRow("%s, the dialog's add button", beacons) << false << namesakes;
            QTest::addRow("%s, Cancel, then Quick Log", beacons) << true << namesakes;
        }
    }
    void theDialogAndTheMainWindowFollowTheirBeaconThroughTheEditorsSort()
    {
        QFETCH(bool, cancelDialog);
        QFETCH(bool, namesakes);
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        // Two matches: EGN on 338 kHz shown, which the sort puts at 3, HML between; or
        // GL in Canada stepped to at 3, which the sort puts at 2, after its namesake.
        const Beacon shown = namesakes ? laGrandeRiviere() : beacon("EGN");
        const Beacon other = namesakes ? galela() : beacon("EGN", "250");
        const QList<Beacon> database = namesakes ? QList<Beacon>{other, beacon("HML", "300"), shown}
                                                 : QList<Beacon>{shown, beacon("HML", "300"), other};
        const qint64 sortedTo = namesakes ? 2 : 3;
        frmMain *main = startAtCabinShowing(program, database, QString::fromLatin1(shown.ident));
        QVERIFY(main);
        QVERIFY(!main->scrBeaconNumber->isHidden());
        if (namesakes)
            stepToNextMatch(main);
        QTest::mouseClick(main->cmdAddToLog, Qt::LeftButton);
        frmReceptionComments *dialog = program.windows->receptionComments();
        QTest::mouseClick(dialog->cmdChangeBeacon, Qt::LeftButton);
        frmName *editor = program.windows->editor();

        QTest::mouseClick(editor->cmdSort, Qt::LeftButton);
        QCOMPARE(program.storedBeacon(sortedTo).bytes(), beaconBytes(shown));
        QTest::mouseClick(editor->Command1, Qt::LeftButton);

        const QString kHz = QString::fromLatin1(shown.ident + " - " + shown.frequency + " kHz");
        QCOMPARE(textsOf({dialog->lblShowAddedBeacon, dialog->lblCountry}), QStringList({kHz, "Canada"}));
        if (cancelDialog) {
            QTest::mouseClick(dialog->Command3, Qt::LeftButton);
            QTest::mouseClick(main->cmdQuickLog, Qt::LeftButton);
        } else {
            QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);
        }
        QCOMPARE(program.boxes.summary(), "");
        QCOMPARE(program.read("Logs/log3.dat"), logEntry(shown.ident, shown.frequency, "1706", "20260304"));
        QCOMPARE(program.read("Logs/cle.dat"), sessionEntry(shown.ident, shown.frequency, "1706", "20260304", "", true));
        for (qint64 record = 1; record <= 3; ++record)
            QCOMPARE(program.storedBeacon(record).loggedMask(), record == sortedTo ? 8u : 0u);
        QCOMPARE(textsOf({main->lblkHz, main->txtCountry}),
                 QStringList({QString::fromLatin1(shown.ident + "  " + shown.frequency + " kHz"), "Canada"}));
        // The look-up's record numbers went with the old order.
        QVERIFY(main->scrBeaconNumber->isHidden());
    }

    void typingTheTimeChecksIt_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("left"); // the box left afterwards
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("look"); // red, green or neutral
        QTest::addColumn<QString>("error"); // empty: hidden
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("addEnabled");
        QTest::newRow("empty") << "" << false << "" << "green" << "" << "" << true;
        QTest::newRow("one digit") << "1" << false << "1" << "green" << "" << "" << true;
        QTest::newRow("valid hours") << "12" << false << "12" << "neutral" << "" << "" << true;
        QTest::newRow("hours 25") << "25" << false << "25" << "red" << "Invalid hours" << "" << false;
        QTest::newRow("third digit cuts") << "253" << false << "25" << "red" << "Invalid hours" << "25" << false;
        QTest::newRow("minutes 60") << "1260" << false << "1260" << "red" << "Invalid minutes" << "60" << false;
        QTest::newRow("valid time") << "1259" << false << "1259" << "neutral" << "" << "" << true;
        QTest::newRow("five characters") << "12345" << false << "12345" << "red" << "Invalid Time Entry" << "" << false;
        // Letters and blanks would count 0.
        QTest::newRow("a letter in the minutes") << "12a5" << false << "12a5" << "red" << "Invalid Time Entry" << ""
                                                 << false;
        QTest::newRow("letters for the hours") << "ab12" << false << "ab12" << "red" << "Invalid Time Entry" << ""
                                               << false;
        QTest::newRow("a blank") << "12 3" << false << "12 3" << "red" << "Invalid Time Entry" << "" << false;
        // Leaving the box checks the length; four characters that are no time stay refused.
        QTest::newRow("left: three digits get a zero") << "123" << true << "0123" << "neutral" << "" << "" << true;
        QTest::newRow("left: two digits") << "93" << true << "93" << "red" << "Invalid time" << "" << false;
        QTest::newRow("left: empty") << "" << true << "" << "red" << "Invalid time" << "" << false;
        QTest::newRow("left: four digits") << "2359" << true << "2359" << "neutral" << "" << "" << true;
        QTest::newRow("left: minutes 75") << "1275" << true << "1275" << "red" << "Invalid minutes" << "" << false;
    }

    void typingTheTimeChecksIt()
    {
        QFETCH(QString, typed);
        QFETCH(bool, left);
        QFETCH(QString, text);
        QFETCH(QString, look);
        QFETCH(QString, error);
        QFETCH(QString, selected);
        QFETCH(bool, addEnabled);
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);
        dialog->txtTime->clear();

        QTest::keyClicks(dialog->txtTime, typed);
        if (left)
            dialog->txtTime_LostFocus();

        QCOMPARE(dialog->txtTime->text(), text);
        const QColor expected = look == "red" ? kRed : look == "green" ? kGreen : neutralColour(dialog->txtTime);
        QCOMPARE(baseColour(dialog->txtTime), expected);
        QCOMPARE(dialog->lblTimeError->isHidden(), error.isEmpty());
        if (!error.isEmpty())
            QCOMPARE(dialog->lblTimeError->text(), error);
        if (!selected.isEmpty())
            QCOMPARE(dialog->txtTime->selectedText(), selected);
        QCOMPARE(dialog->cmdAddBeacon->isEnabled(), addEnabled);

        // Only a whole time is logged, whatever the button showed while typing.
        const bool whole = text.size() == 4 && addEnabled;
        QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);
        QCOMPARE(program.windows->isReceptionCommentsLoaded(), !whole);
        QCOMPARE(LogRecord::fromBytes(program.read("Logs/log3.dat")).time(), whole ? text.toLatin1() : QByteArray());
        QCOMPARE(program.exists("Logs/cle.dat"), whole);
    }

    // The Add button waits for both boxes to be valid.
    void theDateBoxTurnsRedForAnInvalidDateWithoutAMessage_data()
    {
        QTest::addColumn<QString>("time"); // empty: the time proposed
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("addEnabled");
        QTest::newRow("29 February 2004") << "" << "20040229" << true << true;
        QTest::newRow("29 February 2006") << "" << "20060229" << false << false;
        QTest::newRow("seven characters") << "" << "2006041" << false << false;
        QTest::newRow("before 1950") << "" << "19491231" << false << false;
        QTest::newRow("empty") << "" << "" << false << false;
        QTest::newRow("hours 25, a valid date") << "2500" << "20260101" << true << false;
        QTest::newRow("a valid time, month 13") << "1200" << "20261301" << false << false;
        QTest::newRow("a valid time and date") << "1200" << "20261201" << true << true;
    }
    void theDateBoxTurnsRedForAnInvalidDateWithoutAMessage()
    {
        QFETCH(QString, time);
        QFETCH(QString, date);
        QFETCH(bool, valid);
        QFETCH(bool, addEnabled);
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);

        if (!time.isEmpty())
            dialog->txtTime->setText(time);
        dialog->txtDate->clear();
        dialog->txtDate->setText(date);

        QCOMPARE(baseColour(dialog->txtDate), valid ? kGreen : kRed);
        QCOMPARE(dialog->cmdAddBeacon->isEnabled(), addEnabled);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void commentBoxesKeepSixtyCharactersAndTurnQuotesIntoApostrophes()
    {
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);

        for (QLineEdit *box : {dialog->txtReceptionComments, dialog->txtSessionComments}) {
            box->setText(QString(70, QLatin1Char('x')));
            QCOMPARE(box->text(), QString(60, QLatin1Char('x')));
            QCOMPARE(box->cursorPosition(), 60);
            box->clear();
            QTest::keyClicks(box, "a\"b");
            QCOMPARE(box->text(), "a'b");
        }

        pasteInto(dialog->txtReceptionComments, "say \"hi\"");
        pasteInto(dialog->txtSessionComments, "\"CLE\" 12");
        QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);

        QCOMPARE(program.read("Logs/log3.dat"), logEntry("ABC", "338", "1706", "20260304", "say 'hi'"));
        QCOMPARE(program.read("Logs/cle.dat"), sessionEntry("ABC", "338", "1706", "20260304", "'CLE' 12", true));
    }

    void aLocationPickedButNotSavedIsNotTheOneNamed()
    {
        const ScopedClock clock(utc(2026, 3, 4, 17, 6));
        TestProgram program;
        frmMain *main = startAtCabinShowing(program, {beacon("ABC")});
        QVERIFY(main);
        const QString title = main->windowTitle();
        main->mnuPreferences->trigger();
        frmLocation *preferences = program.windows->location();
        QCOMPARE(preferences->cmbListeningLocation->currentIndex(), 3);
        QTest::keyClick(preferences->cmbListeningLocation, Qt::Key_Down);
        QCOMPARE(preferences->cmbListeningLocation->currentIndex(), 4);
        QTest::mouseClick(preferences->cmdJustExit, Qt::LeftButton);

        QCOMPARE(main->windowTitle(), title);
        QTest::mouseClick(main->cmdAddToLog, Qt::LeftButton);
        frmReceptionComments *dialog = program.windows->receptionComments();
        QCOMPARE(dialog->windowTitle(), "Entry to Cabin log.");
        QCOMPARE(dialog->cmdAddBeacon->text(), "Add beacon to \"Cabin\" log.");
        QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);
        QCOMPARE(program.read("Logs/log3.dat"), logEntry("ABC", "338", "1706", "20260304"));
        QCOMPARE(program.read("Logs/log4.dat"), "");
    }

    // Comments the logbook cannot hold are refused, not logged with "?".
    void pastedCommentsTheFilesCannotHoldAreRefused_data()
    {
        bothWays("sessionBox", "reception comments", "session comments");
    }
    void pastedCommentsTheFilesCannotHoldAreRefused()
    {
        QFETCH(bool, sessionBox);
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);
        const QByteArray database = program.read("ndb.dat");
        QLineEdit *box = sessionBox ? dialog->txtSessionComments : dialog->txtReceptionComments;

        pasteInto(box, QStringLiteral("Heard \u2713 at \u5317"));
        QCOMPARE(box->text(), QStringLiteral("Heard \u2713 at \u5317"));
        QTest::mouseClick(dialog->cmdAddBeacon, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "Error: The comments hold a character that cannot be stored.");
        QVERIFY(program.windows->isReceptionCommentsLoaded());
        QCOMPARE(program.read("Logs/log3.dat"), "");
        QVERIFY(!program.exists("Logs/cle.dat"));
        QCOMPARE(program.read("ndb.dat"), database);
        QVERIFY2(!program.exists("ndb.bak"), "refused before the automatic backup");
    }

    // --- Date picker ----------------------------------------------------------------

    void openingThePickerPresetsItFromTheDateBoxOrToday_data()
    {
        QTest::addColumn<QString>("dateBox");
        QTest::addColumn<QDate>("shown");
        QTest::addColumn<QString>("month");
        const QDate today(2006, 6, 20);
        QTest::newRow("a date") << "20060408" << QDate(2006, 4, 8) << "April";
        QTest::newRow("empty") << "" << today << "June";
        QTest::newRow("month 13") << "20061308" << today << "June";
        QTest::newRow("day 31 of April") << "20060431" << today << "June";
        QTest::newRow("letters") << "abcdefgh" << today << "June";
    }
    void openingThePickerPresetsItFromTheDateBoxOrToday()
    {
        QFETCH(QString, dateBox);
        QFETCH(QDate, shown);
        QFETCH(QString, month);
        const ScopedClock clock(utc(2006, 6, 20, 12, 0));
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);
        dialog->txtDate->setText(dateBox);

        QTest::mouseClick(dialog->cmdDateSelect, Qt::LeftButton);

        QVERIFY(dialog->picCalendar2->isVisible());
        QCOMPARE(dialog->picCalendar2->pos(), QPoint(288, 56));
        QCOMPARE(dialog->cdrCalendar2->selectedDate(), shown);
        QCOMPARE(dialog->cmbMonth->count(), 12);
        QCOMPARE(dialog->cmbMonth->currentText(), month);
        // The calendar names the month as the list does, in every language setting.
        const auto *monthButton = dialog->cdrCalendar2->findChild<QToolButton *>("qt_calendar_monthbutton");
        QVERIFY(monthButton);
        QCOMPARE(monthButton->text(), month);
        QCOMPARE(dialog->cmbYear->currentText(), "2006");
        QCOMPARE(dialog->cmbYear->count(), 42);
        QCOMPARE(dialog->cmbYear->itemText(0), "1965");
        QCOMPARE(dialog->txtDate->text(), dateBox);
    }

    void theListsMoveTheCalendar()
    {
        const ScopedClock clock(utc(2006, 6, 20, 12, 0));
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);
        dialog->txtDate->setText("20060331");
        dialog->cmdDateSelect_Click();

        dialog->cmbMonth->setCurrentIndex(11);
        emit dialog->cmbMonth->activated(11);
        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(2006, 12, 31));

        const int at = dialog->cmbYear->findText("1999");
        dialog->cmbYear->setCurrentIndex(at);
        emit dialog->cmbYear->activated(at);
        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(1999, 12, 31));

        // A month shorter than the day keeps its last day.
        dialog->cmbMonth->setCurrentIndex(1);
        emit dialog->cmbMonth->activated(1);
        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(1999, 2, 28));

        // Paging before 1965 snaps back to January 1965.
        dialog->cdrCalendar2->setSelectedDate(QDate(1965, 1, 15));
        dialog->cdrCalendar2->showPreviousMonth();

        QCOMPARE(dialog->cdrCalendar2->selectedDate(), QDate(1965, 1, 15));
        QCOMPARE(dialog->cmbMonth->currentText(), "January");
        QCOMPARE(dialog->cmbYear->currentText(), "1965");
    }

    void confirmWritesTheZeroPaddedDateAndCancelKeepsTheBox()
    {
        const ScopedClock clock(utc(2006, 6, 20, 12, 0));
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);

        dialog->cmdDateSelect_Click();
        dialog->cdrCalendar2->setSelectedDate(QDate(2006, 3, 5));
        QTest::mouseClick(dialog->Command2, Qt::LeftButton);
        QCOMPARE(dialog->txtDate->text(), "20060620");
        QVERIFY(dialog->picCalendar2->isHidden());

        dialog->cmdDateSelect_Click();
        dialog->cdrCalendar2->setSelectedDate(QDate(2006, 3, 5));
        QCOMPARE(dialog->cmbMonth->currentText(), "March");
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QCOMPARE(dialog->txtDate->text(), "20060305");
        QVERIFY(dialog->picCalendar2->isHidden());
        QCOMPARE(baseColour(dialog->txtDate), kGreen);
    }

    // The open panel has the focus, and Tab walks the panel and what it leaves uncovered,
    // never a control under it, where Space would press a button the user cannot see.
    // Closed, it hides nothing.
    void theOpenPickerHasTheFocusAndTabPassesWhatItCovers()
    {
        TestProgram program;
        frmReceptionComments *dialog = openDialog(program);
        QVERIFY(dialog);
        auto tabOnce = [dialog] {
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            return dialog->focusWidget();
        };
        auto covered = [dialog](QWidget *control) {
            const QRect at(control->mapTo(dialog, QPoint(0, 0)), control->size());
            return !dialog->picCalendar2->isAncestorOf(control) && dialog->picCalendar2->geometry().intersects(at);
        };

        QTest::mouseClick(dialog->cmdDateSelect, Qt::LeftButton);

        QVERIFY(dialog->picCalendar2->isAncestorOf(dialog->focusWidget()));
        for (QPushButton *hidden : {dialog->cmdChangeBeacon, dialog->Command3})
            QVERIFY2(covered(hidden), qPrintable(hidden->objectName()));
        QSet<QWidget *> reached;
        for (int i = 0; i < 30; ++i) {
            QWidget *focus = tabOnce();
            QVERIFY2(!covered(focus), qPrintable(focus->objectName()));
            reached.insert(focus);
        }
        QVERIFY(reached.contains(dialog->Command1) && reached.contains(dialog->Command2) &&
                reached.contains(dialog->txtTime));

        QTest::mouseClick(dialog->Command2, Qt::LeftButton);
        reached.clear();
        for (int i = 0; i < 30; ++i)
            reached.insert(tabOnce());
        QVERIFY(reached.contains(dialog->cmdChangeBeacon) && reached.contains(dialog->Command3));
    }

    // --- Session clear ------------------------------------------------------------

    void sessionClearAnsweredYesDeletesTheSessionAndEveryMark()
    {
        TestProgram program;
        frmMain *main = startInSession(program, MsgAnswer::Yes, beaconBytes(beacon("DEF", "290")));
        QVERIFY(main);
        QVERIFY(main->mnuSessionClr->isEnabled());

        main->mnuSessionClr->trigger();

        QCOMPARE(program.boxes.summary(), "Confirm Session/CLE Delete: This action will delete your entire "
                                          "Session/CLE. Are you sure you want to do this?\n"
                                          "QERN:      Session/CLE deleted.     ");
        QCOMPARE(program.boxes.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(program.boxes.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(program.boxes.shown[0].defaultAnswer, MsgAnswer::No);
        QVERIFY(!program.exists("Logs/cle.dat"));
        QCOMPARE(program.read("AutoBackups/cle.bak"), abcSession());
        for (int n : {1, 2}) {
            const BeaconRecord record = program.storedBeacon(n);
            QVERIFY(!record.inSession());
            QCOMPARE(record.bytes().at(BeaconRecord::Length - 2), '"');
        }
        QVERIFY(!main->mnuSessionClr->isEnabled());
        QVERIFY(!main->cmdViewSession->isEnabled());
    }

    void sessionClearAnsweredNoChangesNothing()
    {
        TestProgram program;
        frmMain *main = startInSession(program, MsgAnswer::No);
        QVERIFY(main);
        const QByteArray before = program.read("ndb.dat");

        main->mnuSessionClr_Click();

        QCOMPARE(program.boxes.texts(),
                 QStringList({"This action will delete your entire Session/CLE. Are you sure you want to do this?",
                              "Session/CLE not deleted."}));
        QCOMPARE(program.read("ndb.dat"), before);
        QCOMPARE(program.read("Logs/cle.dat"), abcSession());
        QVERIFY(!program.exists("AutoBackups/cle.bak"));
        QVERIFY(!program.exists("ndb.bak"));
    }

    void sessionClearWithoutADatabaseKeepsItsLastCopy()
    {
        TestProgram program;
        frmMain *main = startInSession(program, MsgAnswer::Yes);
        QVERIFY(main);
        // ndb.dat is gone; ndb.bak is the only copy of the database left.
        const QByteArray copy = beaconBytes(beacon("ABC"));
        program.remove("ndb.dat");
        program.write("ndb.bak", copy);

        main->mnuSessionClr_Click();

        QCOMPARE(program.boxes.shown.size(), 2);
        QCOMPARE(program.boxes.shown[1].title, "Error");
        QVERIFY(program.boxes.shown[1].text.startsWith("Error # 53: File not found"));
        QCOMPARE(program.read("ndb.bak"), copy);
        QCOMPARE(program.read("Logs/cle.dat"), abcSession());
        QVERIFY(!program.exists("ndb.dat"));
    }

    // A user who made a file, or the folder the session log is deleted from, read-only
    // is told so; nothing is cleared.
    void sessionClearOfAReadOnlyFileSaysSoAndChangesNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("cause"); // after the session log's or database's name
        QTest::newRow("database") << "ndb.dat" << "";
        QTest::newRow("session log") << "Logs/cle.dat" << "";
        QTest::newRow("Logs folder") << "Logs" << ": its folder %1 is read-only";
    }
    void sessionClearOfAReadOnlyFileSaysSoAndChangesNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, cause);
        TestProgram program;
        frmMain *main = startInSession(program, MsgAnswer::Yes);
        QVERIFY(main);
        const QByteArray database = program.read("ndb.dat");
        const ReadOnlyFile readOnly(program.path(file));

        main->mnuSessionClr->trigger();

        QCOMPARE(program.boxes.shown.size(), 2);
        QCOMPARE(program.boxes.shown[1].title, "Error");
        const QString named = cause.isEmpty() ? program.path(file) : program.path("Logs/cle.dat") + cause.arg(program.path(file));
        QCOMPARE(program.boxes.shown[1].text, "Error # 70: Permission denied (" + named + ")");
        QCOMPARE(program.read("ndb.dat"), database);
        QCOMPARE(program.read("Logs/cle.dat"), abcSession());
        QVERIFY(main->mnuSessionClr->isEnabled());
    }

    // --- Master log clear ---------------------------------------------------------

    void masterClearOfTwoTickedLocationsEmptiesTheirLogbooksAndBits()
    {
        TestProgram program;
        const QByteArray log0 = logEntry("ABC", "338", "1200", "20260101");
        const QByteArray log2 = logEntry("ABC", "338", "1300", "20260102") + logEntry("DEF", "290", "1310", "20260102");
        const QByteArray log3 = logEntry("ABC", "338", "1400", "20260103");
        program.write("Logs/log0.dat", log0);
        program.write("Logs/log2.dat", log2);
        program.write("Logs/log3.dat", log3);
        // Locations 0, 2 and 3, and location 2 only.
        frmMain *main = program.startShowing({beacon("ABC", "338", 13), beacon("DEF", "290", 4)});
        QVERIFY(main);
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
        QCOMPARE(captions.value(0), "Location 1 -  1 entries");
        QCOMPARE(captions.value(2), "Location 3 -  2 entries");
        QCOMPARE(visible, QList<bool>({true, false, true, true, false, false, false, false, false, false, false,
                                       false, false, false, false, false}));
        QCOMPARE(program.boxes.texts(),
                 QStringList({"This action will delete your selected logs. Are you sure you want to do this?",
                              "     Selected NDB Logs deleted.     "}));
        QCOMPARE(program.boxes.shown[0].title, "Confirm Log Delete");
        QCOMPARE(program.boxes.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(program.storedBeacon(1).loggedMask(), 4u);
        QCOMPARE(program.storedBeacon(2).loggedMask(), 4u);
        QCOMPARE(program.read("Logs/log0.dat"), "");
        QCOMPARE(program.read("Logs/log3.dat"), "");
        QVERIFY(program.exists("Logs/log3.dat"));
        QCOMPARE(program.read("Logs/log2.dat"), log2);
        QCOMPARE(program.read("AutoBackups/log0.bak"), log0);
        QCOMPARE(program.read("AutoBackups/log3.bak"), log3);
        QCOMPARE(main->lblkHz->text(), "");
        QVERIFY(!program.windows->isMasterLogClearLoaded());
        QVERIFY(main->isEnabled());
    }

    void masterClearChangesNothingWithNothingTickedOrAnsweredNo_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("secondBox");
        QTest::newRow("nothing ticked: no question") << false << QString();
        QTest::newRow("answered No") << true << "Selected NDB Logs not deleted.";
    }
    void masterClearChangesNothingWithNothingTickedOrAnsweredNo()
    {
        QFETCH(bool, ticked);
        QFETCH(QString, secondBox);
        TestProgram program;
        const QByteArray log0 = logEntry("ABC", "338", "1200", "20260101");
        program.write("Logs/log0.dat", log0);
        frmMain *main = program.startWith({beacon("ABC", "338", 1)});
        QVERIFY(main);
        const QByteArray before = program.read("ndb.dat");
        frmMasterLogClear *window = program.windows->masterLogClear();
        main->GatherDatabaseStatistics(true);
        window->chklog[0]->setChecked(ticked);
        program.boxes.shown.clear();
        if (ticked)
            program.boxes.answerNext(MsgAnswer::No);

        window->cmdDelete_Click();

        QCOMPARE(program.boxes.shown.size(), ticked ? 2 : 0);
        QCOMPARE(program.boxes.texts().value(1), secondBox);
        QVERIFY(window->cmdDelete->isEnabled());
        QVERIFY(window->cmdExit->isEnabled());
        QCOMPARE(program.read("ndb.dat"), before);
        QCOMPARE(program.read("Logs/log0.dat"), log0);
        QVERIFY(!program.exists("ndb.bak"));
    }
};

QTEST_MAIN(LoggingTest)
#include "tst_logging.moc"
