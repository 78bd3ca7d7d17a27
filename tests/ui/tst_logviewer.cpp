// The log viewer: its list in both modes, the beacon shown with its entries, Update
// and Delete, the edit boxes' checks, the printed log and the way back to the main
// window.

#include <QCalendarWidget>
#include <QCheckBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>

#include "BeaconDatabase.h"
#include "LogMaintenance.h"
#include "logbook/DatePickerPanel.h"
#include "logbook/frmLog.h"
#include "preferences/frmLocation.h"
#include "reports/frmCLEReport.h"
#include "startup/frmRestore.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

// A beacon logged at listening location 1, the current one.
Beacon logged(const QByteArray &ident, const QByteArray &frequency = "338")
{
    return beacon(ident, frequency, 1);
}

// The viewer opened from the main window (started when it is not yet), with row selected.
frmLog *openViewer(TestProgram &program, bool session, int row)
{
    if (!program.windows && !program.startToMain())
        return nullptr;
    frmMain *main = program.windows->main();
    if (session)
        main->cmdViewSession_Click();
    else
        main->cmdViewLog_Click();
    if (!program.windows->isLogLoaded())
        return nullptr;
    if (row >= 0)
        clickRow(program.windows->log()->lstLog, row);
    return program.windows->log();
}

frmLog *viewLog(TestProgram &program, int row = -1)
{
    return openViewer(program, false, row);
}

frmLog *viewSession(TestProgram &program, int row = -1)
{
    return openViewer(program, true, row);
}

QByteArray abcSessionEntry()
{
    return sessionEntry("ABC", "338", "0100", "20260101", "session", true);
}

// ABC, logged and in the session, with its logbook entries and one session record, in
// the viewer.
frmLog *viewOneEntry(TestProgram &program, const QByteArray &entries = logEntry("ABC", "338", "0100", "20260101"),
                     int row = 0, bool session = false)
{
    program.write("ndb.dat", inSession(logged("ABC")));
    program.write("Logs/log0.dat", entries);
    program.write("Logs/cle.dat", abcSessionEntry());
    return openViewer(program, session, row);
}

void printTo(frmLog *log, const QString &pdf)
{
    log->setPrinterSource([pdf] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    });
}

// A logbook of count beacons, B001 upwards, each logged once, in the viewer; the log
// prints to pdf.
frmLog *viewLogPrintingTo(TestProgram &program, int count, const QString &pdf)
{
    QList<Beacon> beacons;
    QByteArray logbook;
    for (int i = 1; i <= count; ++i) {
        const QByteArray ident = "B" + QByteArray::number(i).rightJustified(3, '0');
        const QByteArray frequency = QByteArray::number(200 + i);
        beacons.append(logged(ident, frequency));
        logbook += logEntry(ident, frequency, "0930", "20261207");
    }
    program.writeBeacons(beacons);
    program.write("Logs/log0.dat", logbook);
    frmLog *log = viewLog(program);
    if (log)
        printTo(log, pdf);
    return log;
}

// The pages of a PDF as pdftotext lays them out.
QStringList pdfPages(const QString &pdf)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", pdf, "-"});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
    while (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace

class LogViewerTest : public QObject {
    Q_OBJECT

private slots:
    // --- The list ------------------------------------------------------------------

    void logbookModeListsTheBeaconsLoggedHere()
    {
        TestProgram program;
        QVERIFY(program.startWith({beacon("AAA", "300", 1), beacon("BBB", "310", 2), beacon("CCC", "320", 3)}));

        QVERIFY(program.windows->main()->cmdViewLog->isEnabled());
        QTest::mouseClick(program.windows->main()->cmdViewLog, Qt::LeftButton);
        QVERIFY(program.windows->isLogLoaded());
        frmLog *log = program.windows->log();

        QCOMPARE(log->lstLog->count(), 2);
        QCOMPARE(log->lstLog->item(0)->text(), "AAA   300    Port Eden, Ontario, CANADA");
        QVERIFY(log->lstLog->item(1)->text().startsWith("CCC   320    "));
        QCOMPARE(log->RecNo, (QList<qint64>{1, 3}));
        const QString location = program.windows->location()->cmbListeningLocation->itemText(0);
        QCOMPARE(textsOf({log->lblLog, log->lblTitle, log->cmdExport, log->cmdDelete}),
                 QStringList({"There are  2 records in your log.", location + " NDB Log", "Print Log",
                              "Delete From Log"}));
        QVERIFY(log->cmdExport->isEnabled());
        QVERIFY(!log->txtReceptionComments->isHidden());
        QVERIFY(log->txtCLEComments->isHidden());
        QVERIFY(program.windows->main()->isHidden());
        QVERIFY(!log->isHidden());
    }

    void sessionModeListsTheBeaconsInTheSession()
    {
        TestProgram program;
        program.write("ndb.dat", inSession(beacon("AAA", "300", 0)) + beaconBytes(beacon("BBB", "310", 1)) +
                                     inSession(beacon("CCC", "320", 4)));
        program.write("Logs/cle.dat", sessionEntry("CCC", "320", "1015", "20260301", "heard well", true));

        frmLog *log = viewSession(program);
        QVERIFY(log);

        QCOMPARE(log->RecNo, (QList<qint64>{1, 3}));
        QCOMPARE(textsOf({log->lblTitle, log->cmdDelete, log->cmdExport}),
                 QStringList({"CLE Log", "Delete From CLE/Session", "Create CLE/Session Report"}));
        QVERIFY(log->txtReceptionComments->isHidden());
        QVERIFY(!log->txtCLEComments->isHidden());

        clickRow(log->lstLog, 1);
        QCOMPARE(textsOf({log->txtLogIdent, log->txtLogTime, log->txtLogDate, log->txtCLEComments}),
                 QStringList({"CCC", "1015", "20260301", "heard well"}));
        QVERIFY(!log->lblNewBeacon->isHidden());
        QVERIFY(log->cmdUpdate->isEnabled());
    }

    void anEmptyLogbookDisablesPrintUpdateAndDelete()
    {
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300", 0)});

        frmLog *log = viewLog(program);
        QVERIFY(log);

        QCOMPARE(log->lstLog->count(), 0);
        QCOMPARE(log->lblLog->text(), "There are  0 records in your log.");
        QVERIFY(!log->cmdExport->isEnabled());
        QVERIFY(!log->cmdUpdate->isEnabled());
        QVERIFY(!log->cmdDelete->isEnabled());
        QVERIFY(log->txtLogIdent->text().isEmpty());
    }

    void theMainWindowsBeaconIsSelectedAndShown_data()
    {
        QTest::addColumn<int>("steps"); // through the look-up's matches
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("location");
        QTest::newRow("the beacon found") << 0 << 1 << "Port Eden";
        // It shares ident and frequency with its namesake, and its entries too.
        QTest::newRow("its duplicate, stepped to") << 1 << 2 << "Lake Town";
    }
    void theMainWindowsBeaconIsSelectedAndShown()
    {
        QFETCH(int, steps);
        QFETCH(int, row);
        QFETCH(QString, location);
        TestProgram program;
        program.write("Logs/log0.dat", logEntry("BBB", "320", "0930", "20260301", "evening"));
        Beacon duplicate = logged("BBB;2", "320");
        duplicate.location = "Lake Town";
        frmMain *main = program.startShowing({logged("AAA", "300"), logged("BBB", "320"), duplicate, logged("CCC", "340")},
                                             "BBB");
        QVERIFY(main);
        for (int step = 0; step < steps; ++step)
            stepToNextMatch(main);
        QCOMPARE(main->txtLocation->text(), location + ", Ontario");

        frmLog *log = viewLog(program);
        QVERIFY(log);

        QCOMPARE(log->lstLog->currentRow(), row);
        QCOMPARE(textsOf({log->txtLogIdent, log->txtLogFreq, log->txtLogLocation, log->txtLogCountry,
                          log->txtLogProvince, log->txtLogLatitude, log->txtLogLongitude, log->txtLogTime,
                          log->txtLogDate, log->txtReceptionComments}),
                 QStringList({"BBB", "320", location, "Canada", "Ontario", "45.30.00 N", "075.42.10 W", "0930",
                              "20260301", "evening"}));
        QVERIFY(log->txtLogDistance->text().endsWith(" deg"));
        QVERIFY(log->HLogged->isHidden());
        QCOMPARE(baseColour(log->txtLogTime), kGreen);
        QVERIFY(log->cmdUpdate->isEnabled());
    }

    void otherwiseTheRowAfterTheLastLowerFrequencyOrNoneIsSelected_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("ident");
        QTest::newRow("a beacon not in the log") << "BBB" << 1 << "CCC";
        QTest::newRow("no beacon shown") << "" << -1 << "";
    }
    void otherwiseTheRowAfterTheLastLowerFrequencyOrNoneIsSelected()
    {
        QFETCH(QString, shown);
        QFETCH(int, row);
        QFETCH(QString, ident);
        TestProgram program;
        frmMain *main = program.startWith({logged("AAA", "300"), logged("CCC", "340"), beacon("BBB", "320")});
        QVERIFY(main);
        if (!shown.isEmpty())
            typeAndEnter(main, shown);

        frmLog *log = viewLog(program);
        QVERIFY(log);

        QCOMPARE(log->lstLog->count(), 2);
        QCOMPARE(log->lstLog->currentRow(), row);
        QCOMPARE(log->lstLog->selectedItems().size(), row >= 0 ? 1 : 0);
        QCOMPARE(log->txtLogIdent->text(), ident);
    }

    void aRowTheProgramSelectsIsCheckedAsOneChosenByHand_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::newRow("on opening") << "";
        QTest::newRow("after Print Log") << "print";
        QTest::newRow("by the mouse") << "mouse";
        QTest::newRow("by the keyboard") << "keyboard";
    }
    void aRowTheProgramSelectsIsCheckedAsOneChosenByHand()
    {
        QFETCH(QString, selection);
        TestProgram program;
        const QByteArray logbook = logEntry("AAA", "300", "0100", "20260101") + logEntry("BBB", "310", "930", "20260102");
        program.write("Logs/log0.dat", logbook);
        // The main window shows BBB: opening the viewer selects its row.
        QVERIFY(program.startShowing({logged("AAA", "300"), logged("BBB", "310")}, "BBB"));
        frmLog *log = viewLog(program);
        QVERIFY(log);
        QTemporaryDir output;
        printTo(log, output.filePath("log.pdf"));
        if (!selection.isEmpty()) {
            clickRow(log->lstLog, 0);
            QVERIFY(log->cmdUpdate->isEnabled());
        }
        if (selection == "print")
            QTest::mouseClick(log->cmdExport, Qt::LeftButton);
        else if (selection == "mouse")
            clickRow(log->lstLog, 1);
        else if (selection == "keyboard")
            QTest::keyClick(log->lstLog, Qt::Key_Down);

        QCOMPARE(log->txtLogIdent->text(), "BBB");
        QCOMPARE(log->txtLogTime->text(), "930");
        QCOMPARE(baseColour(log->txtLogTime), kLightRed);
        QVERIFY(!log->cmdUpdate->isEnabled());
        QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);
        QCOMPARE(program.read("Logs/log0.dat"), logbook);
        QCOMPARE(program.boxes.summary(), "");
    }

    // --- One beacon ----------------------------------------------------------------

    void aClickedRowIsTheBeaconShownUpdatedAndDeleted_data()
    {
        QTest::addColumn<bool>("session");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("byMouse");
        QTest::addColumn<QByteArray>("stored"); // the third beacon's ident in ndb.dat
        QTest::newRow("logbook, Update") << false << "Update" << true << QByteArray("CCC");
        QTest::newRow("logbook, Delete") << false << "Delete" << true << QByteArray("CCC");
        QTest::newRow("session, Update") << true << "Update" << true << QByteArray("CCC");
        QTest::newRow("session, Delete") << true << "Delete" << true << QByteArray("CCC");
        QTest::newRow("logbook, Update, arrow keys") << false << "Update" << false << QByteArray("CCC");
        // A duplicate's entry as Quick Log writes it, without the suffix.
        QTest::newRow("logbook, Update, a duplicate") << false << "Update" << true << QByteArray("CCC;2");
        QTest::newRow("logbook, Delete, a duplicate") << false << "Delete" << true << QByteArray("CCC;2");
    }
    void aClickedRowIsTheBeaconShownUpdatedAndDeleted()
    {
        QFETCH(bool, session);
        QFETCH(QString, command);
        QFETCH(bool, byMouse);
        QFETCH(QByteArray, stored);
        TestProgram program;
        program.write("ndb.dat", inSession(logged("AAA", "300")) + inSession(logged("BBB", "310")) +
                                     inSession(logged(stored, "320")));
        const QByteArray a = logEntry("AAA", "300", "0100", "20260101", "a");
        const QByteArray b = logEntry("BBB", "310", "0200", "20260102", "b");
        const QByteArray c = logEntry("CCC", "320", "0300", "20260103", "c");
        program.write("Logs/log0.dat", a + b + c);
        const QByteArray sessionAB = sessionEntry("AAA", "300", "0100", "20260101", "a", true) +
                                     sessionEntry("BBB", "310", "0200", "20260102", "b", true);
        const QByteArray sessionC = sessionEntry("CCC", "320", "0300", "20260103", "c", true);
        program.write("Logs/cle.dat", sessionAB + sessionC);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, "AAA");
        frmLog *log = openViewer(program, session, -1);
        QVERIFY(log);
        QCOMPARE(log->txtLogIdent->text(), "AAA");
        const QByteArray database = program.read("ndb.dat");

        if (byMouse) {
            clickRow(log->lstLog, 2);
        } else {
            QTest::keyClick(log->lstLog, Qt::Key_Down);
            QTest::keyClick(log->lstLog, Qt::Key_Down);
        }
        QLineEdit *comments = session ? log->txtCLEComments : log->txtReceptionComments;
        QCOMPARE(textsOf({log->txtLogIdent, log->txtLogTime, comments}), QStringList({"CCC", "0300", "c"}));
        if (command == "Update") {
            QTest::keyClicks(log->txtLogComments, "!");
            QTest::keyClicks(comments, "!");
            log->txtLogTime->clear();
            QTest::keyClicks(log->txtLogTime, "1830");
            QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);
        } else {
            QTest::mouseClick(log->cmdDelete, Qt::LeftButton);
        }

        QCOMPARE(program.boxes.summary(), "");
        // AAA and BBB are as they were; CCC changed.
        QCOMPARE(program.read("ndb.dat").first(2 * BeaconRecord::Length), database.first(2 * BeaconRecord::Length));
        const BeaconRecord ccc = program.storedBeacon(3);
        const QByteArray logbook = program.read("Logs/log0.dat");
        const QByteArray sessionLog = program.read("Logs/cle.dat");
        if (!session && command == "Update") {
            QCOMPARE(ccc.trimmedText(BeaconField::Comments), "test beacon!");
            QCOMPARE(logbook, a + b + logEntry("CCC", "320", "1830", "20260103", "c!"));
        } else if (!session) {
            QCOMPARE(ccc.loggedMask(), 0u);
            QCOMPARE(logbook, a + b);
        } else if (command == "Update") {
            QCOMPARE(sessionLog, sessionAB + sessionEntry("CCC", "320", "1830", "20260103", "c!", true));
            QCOMPARE(program.read("ndb.dat"), database);
            QCOMPARE(logbook, a + b + c);
        } else {
            // Unmarked with the shifted blank; the session log and the logbook stay.
            QCOMPARE(ccc.raw(BeaconField::CLEMark).toByteArray(), "\"");
            QCOMPARE(ccc.loggedMask(), 1u);
            QCOMPARE(sessionLog, sessionAB + sessionC);
            QCOMPARE(logbook, a + b + c);
            QCOMPARE(log->lstLog->count(), 2);
            QCOMPARE(textsOf({log->txtLogIdent, log->txtCLEComments}), QStringList({"BBB", "b"}));
        }
    }

    // Another copy of the program moves the beacon shown: another beacon, or its
    // namesake of another country, takes its record.
    void aBeaconMovedBehindTheWindowsBackIsNotWrittenAndShownAgain_data()
    {
        QTest::addColumn<bool>("session");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("namesake");
        for (bool namesake : {false, true}) {
            const char *taker = namesake ? "its namesake" : "another beacon";
            QTest::addRow("logbook, Update, %s", taker) << false << "Update" << namesake;
            QTest::addRow("logbook, Delete, %s", taker) << false << "Delete" << namesake;
            QTest::addRow("session, Update, %s", taker) << true << "Update" << namesake;
            QTest::addRow("session, Delete, %s", taker) << true << "Delete" << namesake;
        }
    }
    void aBeaconMovedBehindTheWindowsBackIsNotWrittenAndShownAgain()
    {
        QFETCH(bool, session);
        QFETCH(QString, command);
        QFETCH(bool, namesake);
        TestProgram program;
        const Beacon shown = namesake ? laGrandeRiviere(1) : logged("ABC");
        const Beacon other = namesake ? galela(1) : logged("XYZ", "400");
        program.write("ndb.dat", inSession(shown) + inSession(other));
        // Namesakes share their entries: the viewer shows the first.
        const QByteArray logbook = logEntry(shown.ident, shown.frequency, "0100", "20260101", "a") +
                                   logEntry(other.ident, other.frequency, "0200", "20260102", "x");
        program.write("Logs/log0.dat", logbook);
        const QByteArray sessionLog = sessionEntry(shown.ident, shown.frequency, "0100", "20260101", "a", true) +
                                      CLERecord::make(other.ident, other.country, other.frequency, "0200", "20260102",
                                                      "x", true)
                                          .bytes();
        program.write("Logs/cle.dat", sessionLog);
        frmLog *log = openViewer(program, session, 0);
        QVERIFY(log);
        QCOMPARE(textsOf({log->txtLogIdent, log->txtLogCountry}),
                 QStringList({QString::fromLatin1(shown.ident), "Canada"}));

        // Another copy of the program sorts the other one ahead.
        const QByteArray swapped = inSession(other) + inSession(shown);
        program.write("ndb.dat", swapped);
        if (command == "Update") {
            QTest::keyClicks(log->txtLogComments, "!");
            QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);
        } else {
            QTest::mouseClick(log->cmdDelete, Qt::LeftButton);
        }

        QCOMPARE(program.boxes.summary(), "Error: " + QLatin1String(kBeaconMovedText));
        QCOMPARE(program.read("ndb.dat"), swapped);
        QCOMPARE(program.read("Logs/log0.dat"), logbook);
        QCOMPARE(program.read("Logs/cle.dat"), sessionLog);
        // The beacon is shown again where it stands now.
        QCOMPARE(textsOf({log->txtLogIdent, log->txtLogCountry, log->txtLogComments}),
                 QStringList({QString::fromLatin1(shown.ident), "Canada", "test beacon"}));
        QCOMPARE(log->RecNo.value(log->lstLog->currentRow()), 2);
        QVERIFY(log->lstLog->currentItem()->isSelected());
    }

    // The restore window is modeless: it can replace the files while the viewer is open.
    // The beacon shown may be gone from the restored files: the pane then shows nothing
    // of it, and nothing acts on it. When ndb.dat cannot be read, the viewer says so
    // and keeps what it shows.
    void aRestoreWhileTheViewerIsOpenIsWhatTheViewerShowsAndWrites_data()
    {
        QTest::addColumn<QString>("restored");
        QTest::newRow("the beacon restored") << "beacon";
        QTest::newRow("the beacon not in the restored files") << "gone";
        QTest::newRow("the logbook alone, ndb.dat unreadable") << "unreadable";
    }
    void aRestoreWhileTheViewerIsOpenIsWhatTheViewerShowsAndWrites()
    {
        QFETCH(QString, restored);
        const bool gone = restored == "gone";
        TestProgram program;
        TempFolder drive;
        program.writeBeacons({logged("CFX", "239"), logged("TI", "300")});
        program.write("Logs/log0.dat", logEntry("CFX", "239", "0100", "20260101", "first") +
                                           logEntry("CFX", "239", "0200", "20260102", "second"));
        // The set: TI not yet logged, and an older logbook whose second entry is another;
        // or CFX's namesake of another country in its place, not logged either.
        Beacon namesake = beacon("CFX", "239");
        namesake.country = "NOR";
        drive.write("ndb.bak", beaconBytes(gone ? namesake : logged("CFX", "239")) + beaconBytes(beacon("TI", "300")));
        const QByteArray older =
            logEntry("CFX", "239", "0100", "20260101", "first") + logEntry("CFX", "239", "0050", "20251231", "older");
        drive.write("log0.bak", older);
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->mnuDBRestore->trigger();
        frmRestore *restore = restoreFrom(program, drive, &frmRestore::chkLocation);
        frmLog *log = viewLog(program, 0);
        QVERIFY(log);
        log->HLogged->setValue(2);
        QCOMPARE(log->txtReceptionComments->text(), "second");
        if (restored == "unreadable") {
            drive.remove("ndb.bak");
            program.remove("ndb.dat");
            program.mkdir("ndb.dat");
            QTest::keyClicks(log->txtReceptionComments, "!");
        }

        QTest::mouseClick(restore->Command1, Qt::LeftButton);

        if (restored == "unreadable") {
            QVERIFY(!program.boxes.shown.isEmpty());
            QCOMPARE(program.boxes.shown[0].title, "Error");
            QVERIFY2(program.boxes.shown[0].text.contains("ndb.dat"), qPrintable(program.boxes.summary()));
            QCOMPARE(textsOf({log->txtLogIdent, log->lblCount, log->txtReceptionComments}),
                     QStringList({"CFX", " 2/ 2", "second!"}));
            // Its entry numbers belong to the logbook replaced: nothing writes them.
            for (QWidget *command : {log->cmdUpdate, log->cmdDelete, log->cmdCalendar})
                QVERIFY2(!command->isEnabled(), qPrintable(command->objectName()));
            return;
        }
        if (gone) {
            QCOMPARE(log->lstLog->count(), 0);
            const QList<QLineEdit *> boxes = log->findChildren<QLineEdit *>(QRegularExpression("^txt"));
            QCOMPARE(boxes.size(), 18);
            for (QLineEdit *box : boxes)
                QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
            for (QLineEdit *box : {log->txtLogTime, log->txtLogDate})
                QCOMPARE(baseColour(box), neutralColour(box));
            QVERIFY(log->HLogged->isHidden());
            QCOMPARE(log->lblCount->text(), "");
            for (QWidget *command : {log->cmdUpdate, log->cmdDelete, log->cmdCalendar, log->cmdExport})
                QVERIFY2(!command->isEnabled(), qPrintable(command->objectName()));
            QCOMPARE(program.boxes.summary(), "");
            return;
        }
        // The list and CFX's entries as the restored files hold them.
        QCOMPARE(log->RecNo, QList<qint64>{1});
        QCOMPARE(log->lstLog->currentRow(), 0);
        QCOMPARE(textsOf({log->txtLogIdent, log->lblCount, log->txtReceptionComments}),
                 QStringList({"CFX", " 1/ 2", "first"}));
        QTest::keyClicks(log->txtReceptionComments, "!");
        QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);
        QCOMPARE(program.boxes.summary(), "");
        QCOMPARE(program.read("Logs/log0.dat"),
                 logEntry("CFX", "239", "0100", "20260101", "first!") + logEntry("CFX", "239", "0050", "20251231", "older"));
    }

    void aLoggedBeaconWithoutEntriesIsShownOutOfSync()
    {
        TestProgram program;
        frmLog *log = viewOneEntry(program, "");
        QVERIFY(log);

        QVERIFY(!log->lblOutOfSync->isHidden());
        QVERIFY(log->txtLogTime->isReadOnly());
        QVERIFY(log->txtLogDate->isReadOnly());
        QVERIFY(!log->cmdCalendar->isEnabled());
        QVERIFY(log->HLogged->isHidden());
        QCOMPARE(log->lblCount->text(), "");
    }

    // --- Update --------------------------------------------------------------------

    void updateInLogbookModeWritesTheCommentsAndTheEntryShown()
    {
        TestProgram program;
        frmLog *log = viewOneEntry(program, logEntry("ABC", "338", "0100", "20260101", "one") +
                                                logEntry("ABC", "338", "0200", "20260102", "two"));
        QVERIFY(log);
        log->HLogged->setValue(2);

        log->txtLogComments->setText("new beacon notes");
        log->txtLogTime->setText("2215");
        log->txtLogDate->setText("20260105");
        log->txtReceptionComments->setText("faded at dusk");
        QVERIFY(log->cmdUpdate->isEnabled());
        QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "");
        const BeaconRecord stored = program.storedBeacon(1);
        QCOMPARE(stored.raw(BeaconField::Comments).first(16).toByteArray(), "pgy\"dgceqp\"pqvgu");
        QCOMPARE(stored.trimmedText(BeaconField::Comments), "new beacon notes");
        QCOMPARE(program.read("Logs/log0.dat"), logEntry("ABC", "338", "0100", "20260101", "one") +
                                                    logEntry("ABC", "338", "2215", "20260105", "faded at dusk"));
        QCOMPARE(program.read("Logs/cle.dat"), abcSessionEntry());
        QVERIFY(program.exists("ndb.bak"));
        QCOMPARE(log->txtLogComments->text(), "new beacon notes");
    }

    // Comments the files cannot hold are refused, not stored with "?".
    void pastedCommentsTheFilesCannotHoldAreRefused_data()
    {
        QTest::addColumn<bool>("session");
        QTest::addColumn<QString>("box");
        QTest::newRow("beacon comments") << false << "txtLogComments";
        QTest::newRow("reception comments") << false << "txtReceptionComments";
        QTest::newRow("session comments") << true << "txtCLEComments";
    }
    void pastedCommentsTheFilesCannotHoldAreRefused()
    {
        QFETCH(bool, session);
        QFETCH(QString, box);
        TestProgram program;
        frmLog *log = viewOneEntry(program, logEntry("ABC", "338", "0100", "20260101"), 0, session);
        QVERIFY(log);
        const QStringList files = {"ndb.dat", "Logs/cle.dat", "Logs/log0.dat"};
        const QList<QByteArray> before = program.readEach(files);
        auto *edit = log->findChild<QLineEdit *>(box);
        QVERIFY(edit);
        program.boxes.shown.clear();

        pasteInto(edit, QStringLiteral("\u2713 ok"));
        QCOMPARE(edit->text(), QStringLiteral("\u2713 ok"));
        QVERIFY(log->cmdUpdate->isEnabled());
        QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "Error: The comments hold a character that cannot be stored.");
        QCOMPARE(program.readEach(files), before);
        QVERIFY2(!program.exists("ndb.bak"), "refused before the automatic backup");
    }

    void updateOfABeaconWithoutEntrySavesItsCommentsAndSaysBeaconMissing()
    {
        TestProgram program;
        QVERIFY(program.startShowing({logged("ABC")}));
        frmLog *log = viewLog(program);
        QVERIFY(log);
        // Without an entry there is no time to store: Update is off, as for a row chosen by hand.
        QVERIFY(!log->cmdUpdate->isEnabled());

        log->txtLogComments->setText("kept anyway");
        log->cmdUpdate_Click();

        QCOMPARE(program.boxes.summary(), "Beacon Missing: " + QLatin1String(kBeaconMissingText));
        QVERIFY(program.boxes.shown[0].text.contains("master lookup database. \rThis condition"));
        QCOMPARE(program.storedBeacon(1).trimmedText(BeaconField::Comments), "kept anyway");
        QCOMPARE(program.read("Logs/log0.dat"), "");
    }

    // --- Delete --------------------------------------------------------------------

    void theScrollBarStepsThroughTheEntriesAndDeleteTakesTheOneShown()
    {
        TestProgram program;
        program.writeBeacons({logged("ABC"), logged("XYZ", "400")});
        const QByteArray first = logEntry("ABC", "338", "0100", "20260101", "one");
        const QByteArray other = logEntry("XYZ", "400", "0200", "20260102", "other");
        const QByteArray second = logEntry("ABC", "338", "0300", "20260103", "two");
        const QByteArray third = logEntry("ABC", "338", "0400", "20260104", "three");
        program.write("Logs/log0.dat", first + other + second + third);
        frmLog *log = viewLog(program, 0);
        QVERIFY(log);
        QVERIFY(!log->HLogged->isHidden());
        QCOMPARE(log->HLogged->minimum(), 1);
        QCOMPARE(log->HLogged->maximum(), 3);
        QCOMPARE(textsOf({log->lblCount, log->txtReceptionComments}), QStringList({" 1/ 3", "one"}));
        log->HLogged->setValue(3);
        QCOMPARE(textsOf({log->lblCount, log->txtLogTime, log->txtLogDate, log->txtReceptionComments}),
                 QStringList({" 3/ 3", "0400", "20260104", "three"}));
        QCOMPARE(log->Entries[2].recordNumber, 4);
        log->HLogged->setValue(2);
        QCOMPARE(log->txtReceptionComments->text(), "two");

        QTest::mouseClick(log->cmdDelete, Qt::LeftButton);

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(program.read("Logs/log0.dat"), first + other + third);
        QCOMPARE(program.storedBeacon(1).loggedMask(), 1u);
        QCOMPARE(log->lstLog->count(), 2);
        QCOMPARE(log->lstLog->currentRow(), 0);
        QCOMPARE(log->lblCount->text(), " 1/ 2");
        QVERIFY(log->cmdDelete->isEnabled());
    }

    void deletingTheOnlyEntryClearsTheBitAndMovesTheSelection_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("selectedAfter");
        QTest::newRow("a middle row: the next one takes its place") << 1 << "CCC";
        QTest::newRow("the last row: the new last row") << 2 << "BBB";
    }
    void deletingTheOnlyEntryClearsTheBitAndMovesTheSelection()
    {
        QFETCH(int, row);
        QFETCH(QString, selectedAfter);
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300", 1), beacon("BBB", "310", 3), beacon("CCC", "320", 3)});
        program.write("Logs/log0.dat", logEntry("AAA", "300", "0100", "20260101") +
                                           logEntry("BBB", "310", "0200", "20260102") +
                                           logEntry("CCC", "320", "0300", "20260103"));
        frmLog *log = viewLog(program, row);
        QVERIFY(log);

        log->cmdDelete_Click();

        const int removed = row + 1; // BBB or CCC, record 2 or 3
        QCOMPARE(program.storedBeacon(removed).loggedMask(), 2u);
        QCOMPARE(log->lstLog->count(), 2);
        QCOMPARE(log->txtLogIdent->text(), selectedAfter);
        QCOMPARE(program.read("Logs/log0.dat").size(), 2 * 83);
        QCOMPARE(log->lblLog->text(), "There are  2 records in your log.");
    }

    // A failing backup stops Update and Delete before anything changes; a Delete that
    // cannot clear the bit takes no entry away. The user can repeat it once the files
    // can be written.
    void aFailingUpdateOrDeleteChangesNothing_data()
    {
        bothWays("readOnly", "no backup can be made", "ndb.dat read-only");
    }
    void aFailingUpdateOrDeleteChangesNothing()
    {
        QFETCH(bool, readOnly);
        TestProgram program;
        program.writeBeacons({logged("AAA", "300"), logged("BBB", "310")});
        const QByteArray logbook = logEntry("AAA", "300", "0100", "20260101") + logEntry("BBB", "310", "0200", "20260102");
        program.write("Logs/log0.dat", logbook);
        frmLog *log = viewLog(program, 0);
        QVERIFY(log);
        const QByteArray database = program.read("ndb.dat");
        std::optional<ReadOnlyFile> readOnlyDatabase;
        if (readOnly)
            readOnlyDatabase.emplace(program.path("ndb.dat"));
        else // a folder where the database's copy belongs
            QVERIFY(QDir().mkpath(program.path("ndb.bak")));

        log->txtLogComments->setText("changed");
        QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);
        QVERIFY(program.boxes.onlyError());
        program.boxes.shown.clear();
        QTest::mouseClick(log->cmdDelete, Qt::LeftButton);

        QVERIFY(program.boxes.onlyError());
        QCOMPARE(program.read("Logs/log0.dat"), logbook);
        QCOMPARE(program.read("ndb.dat"), database);
        QCOMPARE(log->lstLog->count(), 2);

        readOnlyDatabase.reset();
        QDir(program.path("ndb.bak")).removeRecursively();
        program.boxes.shown.clear();
        QCOMPARE(log->txtLogIdent->text(), "AAA");
        QTest::mouseClick(log->cmdDelete, Qt::LeftButton);
        QCOMPARE(program.boxes.summary(), "");
        QCOMPARE(program.read("Logs/log0.dat"), logEntry("BBB", "310", "0200", "20260102"));
        QCOMPARE(program.storedBeacon(1).loggedMask(), 0u);
    }

    void withNoRowSelectedUpdateAndDeleteChangeNothing()
    {
        TestProgram program;
        frmLog *log = viewOneEntry(program, logEntry("ABC", "338", "0100", "20260101"), -1);
        QVERIFY(log);
        QCOMPARE(log->lstLog->selectedItems().size(), 0);
        // With no beacon shown, nothing is there to act on.
        for (QWidget *command : {log->cmdUpdate, log->cmdDelete, log->cmdCalendar})
            QVERIFY2(!command->isEnabled(), qPrintable(command->objectName()));
        const QByteArray database = program.read("ndb.dat");

        log->cmdDelete_Click();
        log->cmdUpdate_Click();

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(program.read("ndb.dat"), database);
        QCOMPARE(program.read("Logs/log0.dat"), logEntry("ABC", "338", "0100", "20260101"));
        QVERIFY(!program.exists("ndb.bak"));
    }

    // --- The edit boxes ------------------------------------------------------------

    void typedTimesAndDatesAreCheckedAsTheyAreTyped_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("stored"); // Update is on and writes it
        const QString time = "txtLogTime";
        QTest::newRow("minutes 60") << time << "2360" << "2360" << kRed << "60" << false;
        QTest::newRow("hours 25") << time << "25" << "25" << kRed << "25" << false;
        QTest::newRow("five digits") << time << "12345" << "1234" << kGreen << "34" << true;
        QTest::newRow("a valid time") << time << "2359" << "2359" << kGreen << "" << true;
        // Only four digits are a time: green only for what can be stored.
        QTest::newRow("one digit") << time << "0" << "0" << kLightRed << "" << false;
        QTest::newRow("three digits") << time << "123" << "123" << kLightRed << "" << false;
        QTest::newRow("a letter in the minutes") << time << "12a5" << "12a5" << kRed << "" << false;
        QTest::newRow("letters for the hours") << time << "ab12" << "ab12" << kRed << "" << false;
        QTest::newRow("a comma, typed as a blank") << time << "12,3" << "12 3" << kRed << "" << false;
        QTest::newRow("29 February 2006") << "txtLogDate" << "20060229" << "20060229" << kRed << "" << false;
        QTest::newRow("29 February 2004") << "txtLogDate" << "20040229" << "20040229" << kGreen << "" << true;
    }
    void typedTimesAndDatesAreCheckedAsTheyAreTyped()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        QFETCH(QString, selected);
        QFETCH(bool, stored);
        TestProgram program;
        frmLog *log = viewOneEntry(program);
        QVERIFY(log);
        QLineEdit *edit = log->findChild<QLineEdit *>(box);

        edit->clear();
        QTest::keyClicks(edit, typed);

        QCOMPARE(edit->text(), text);
        QCOMPARE(baseColour(edit), colour);
        QCOMPARE(log->cmdUpdate->isEnabled(), stored);
        QCOMPARE(edit->selectedText(), selected);

        QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);
        const bool date = edit == log->txtLogDate;
        QCOMPARE(program.read("Logs/log0.dat"), logEntry("ABC", "338", stored && !date ? text.toLatin1() : "0100",
                                                         stored && date ? text.toLatin1() : "20260101"));
    }

    void aTimeOfThreeDigitsGetsALeadingZeroWhenTheBoxIsLeft()
    {
        TestProgram program;
        frmLog *log = viewOneEntry(program);
        QVERIFY(log);
        QApplication::setActiveWindow(log);
        QVERIFY(QTest::qWaitForWindowActive(log));

        log->txtLogTime->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(log->txtLogTime->selectedText(), "0100");
        // Typed key by key, "93" would be refused as hours: the time arrives whole.
        log->txtLogTime->selectAll();
        log->txtLogTime->insert("930");
        QCOMPARE(baseColour(log->txtLogTime), kRed);
        log->txtLogDate->setFocus(Qt::TabFocusReason);

        QCOMPARE(log->txtLogTime->text(), "0930");
        QCOMPARE(baseColour(log->txtLogTime), kGreen);
        QVERIFY(!program.state.UTCTimeText.isEmpty());
    }

    void theEditBoxesTakeOnlyWhatTheirFieldsCanHold_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fieldLength");
        QTest::newRow("beacon comments") << "txtLogComments" << "a,b \"c\"" << "a b 'c'" << 90;
        QTest::newRow("reception comments") << "txtReceptionComments" << "say \"hi\", then" << "say 'hi', then" << 60;
        QTest::newRow("session comments") << "txtCLEComments" << "\"q\"" << "'q'" << 60;
    }
    void theEditBoxesTakeOnlyWhatTheirFieldsCanHold()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(int, fieldLength);
        TestProgram program;
        frmLog *log = viewOneEntry(program);
        QVERIFY(log);
        QLineEdit *edit = log->findChild<QLineEdit *>(box);
        QVERIFY(edit);

        // Typed or pasted alike.
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), text);
        pasteInto(edit, typed);
        QCOMPARE(edit->text(), text);

        edit->setText(QString(fieldLength + 10, QLatin1Char('x')));
        QCOMPARE(edit->text(), QString(fieldLength, QLatin1Char('x')));
    }

    void theDatePickerWritesTheChosenDateIntoTheDateBox()
    {
        TestProgram program;
        frmLog *log = viewOneEntry(program, logEntry("ABC", "338", "0100", "20060408"), -1);
        QVERIFY(log);

        log->cmdCalendar_Click();
        QVERIFY(log->picCalendar2->isHidden());

        clickRow(log->lstLog, 0);
        log->cmdCalendar_Click();
        QVERIFY(!log->picCalendar2->isHidden());
        QCOMPARE(log->cmbMonth->currentText(), "April");
        QCOMPARE(log->cmbYear->currentText(), "2006");
        log->cdrCalendar2->setSelectedDate(QDate(2006, 3, 5));
        QTest::mouseClick(log->cmdSelectDate, Qt::LeftButton);

        QCOMPARE(log->txtLogDate->text(), "20060305");
        QVERIFY(log->picCalendar2->isHidden());

        // Escape is the panel's Cancel; the viewer stays.
        QTest::mouseClick(log->cmdCalendar, Qt::LeftButton);
        log->cdrCalendar2->setSelectedDate(QDate(2001, 1, 1));
        log->cdrCalendar2->setFocus(Qt::MouseFocusReason);
        pressEscape(log);
        QVERIFY(log->picCalendar2->isHidden());
        QCOMPARE(log->txtLogDate->text(), "20060305");
        QVERIFY(log->isVisible());
        QVERIFY(program.windows->isLogLoaded());
    }

    // --- The printed log -----------------------------------------------------------

    // The title bar's close box, pressed while the print lets events run: the print
    // goes on to its end, then the viewer closes as Exit closes it.
    void printingBreaksPagesWithAFooterAndRepeatsTheHeading_data()
    {
        bothWays("closedMeanwhile", "viewer left open", "viewer closed while printing");
    }
    void printingBreaksPagesWithAFooterAndRepeatsTheHeading()
    {
        QFETCH(bool, closedMeanwhile);
        TestProgram program;
        QTemporaryDir output;
        const QString pdf = output.filePath("log.pdf");
        frmLog *log = viewLogPrintingTo(program, 150, pdf);
        QVERIFY(log);
        if (closedMeanwhile)
            QTimer::singleShot(0, log, [log] { log->close(); });

        QTest::mouseClick(log->cmdExport, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "");
        const QStringList pages = pdfPages(pdf);
        QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
        for (int p = 0; p < pages.size(); ++p) {
            const QString &page = pages[p];
            QVERIFY2(page.contains("NDB LOG for"), qPrintable(page.left(300)));
            QVERIFY(page.contains("Most recent entries"));
            QVERIFY(page.contains("Dist/Bearing"));
            // Every page that fills gets its number; the last one ends without.
            QCOMPARE(page.contains(QStringLiteral("Page - %1").arg(p + 1)), p + 1 < pages.size());
        }
        const QString all = pages.join(QLatin1Char('\n'));
        for (const char *text : {"2026/12/07", "09:30", "B001", "B150"})
            QVERIFY2(all.contains(QLatin1String(text)), text);
        QVERIFY(pages.last().contains("Beacons logged at this location:"));
        QCOMPARE(log->lstLog->count(), 150);

        QVERIFY(program.windows->isLogLoaded());
        QCoreApplication::processEvents();
        QCOMPARE(program.windows->isLogLoaded(), !closedMeanwhile);
        QCOMPARE(program.windows->main()->isVisible(), closedMeanwhile);
    }

    void printingWithoutAPrinterSaysPrinterNotFound()
    {
        TestProgram program;
        program.writeBeacons({logged("ABC")});
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->setPrinterSource([] { return std::unique_ptr<QPrinter>(); });

        log->cmdExport_Click();

        QCOMPARE(program.boxes.summary(), "Error: 482 Printer not found.");
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(window->objectName() != QLatin1String("frmPrintProgress") || window->isHidden());
    }

    void theSessionReportButtonHidesTheViewerUntilTheReportWindowCloses()
    {
        TestProgram program;
        program.write("ndb.dat", inSession(logged("AAA", "300")) + beaconBytes(logged("BBB", "310")));
        frmLog *log = viewSession(program);
        QVERIFY(log);
        QCOMPARE(log->lstLog->count(), 1);
        QVERIFY(log->cmdExport->isEnabled());

        QTest::mouseClick(log->cmdExport, Qt::LeftButton);
        QVERIFY(log->isHidden());
        QVERIFY(program.windows->isCLEReportLoaded());
        QVERIFY(!program.windows->cleReport()->isHidden());
        QVERIFY(!log->cmdExport->isEnabled());

        // A beacon that joined the session meanwhile is listed on the way back.
        program.write("ndb.dat", inSession(logged("AAA", "300")) + inSession(logged("BBB", "310")));
        program.windows->cleReport()->Command2_Click();

        QVERIFY(!log->isHidden());
        QVERIFY(!program.windows->isCLEReportLoaded());
        QVERIFY(log->cmdExport->isEnabled());
        QCOMPARE(log->lstLog->count(), 2);
        QVERIFY(program.windows->main()->isHidden());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    // --- Leaving -------------------------------------------------------------------

    void leavingShowsTheMainWindowWithTheBeaconLastViewed_data()
    {
        QTest::addColumn<bool>("byTitleBar");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<qint64>("record");
        QTest::newRow("Exit button") << false << 0 << "ABC  338 kHz" << qint64(2);
        QTest::newRow("title bar") << true << 0 << "ABC  338 kHz" << qint64(2);
        // The beacon shown before is not in the log: nothing is viewed, nothing is shown.
        QTest::newRow("nothing viewed") << false << -1 << "" << qint64(0);
        // Its ident and frequency are also those of the first match: its own record is shown.
        QTest::newRow("a duplicate of the same frequency") << false << 2 << "ABC  338 kHz" << qint64(4);
        // GL in Canada, viewed at 3, while another copy of the program sorts it ahead
        // of its namesake in Indonesia: it is shown where it stands.
        QTest::newRow("its namesake moved into its record") << false << 1 << "GL  201 kHz" << qint64(2);
    }
    void leavingShowsTheMainWindowWithTheBeaconLastViewed()
    {
        QFETCH(bool, byTitleBar);
        QFETCH(int, row);
        QFETCH(QString, shown);
        QFETCH(qint64, record);
        const bool namesakes = shown.startsWith("GL");
        TestProgram program;
        const QList<Beacon> beacons =
            namesakes ? QList<Beacon>{beacon("AAA", "300", 0), galela(1), laGrandeRiviere(1)}
                      : QList<Beacon>{beacon("AAA", "300", 0), logged("ABC;2"), logged("ABC", "415"), logged("ABC;3")};
        frmMain *main = program.startShowing(beacons, "AAA");
        QVERIFY(main);
        frmLog *log = viewLog(program, row);
        QVERIFY(log);
        if (row >= 0)
            QCOMPARE(log->txtLogIdent->text(), namesakes ? "GL" : "ABC");
        if (namesakes) {
            QCOMPARE(log->txtLogCountry->text(), "Canada");
            program.writeBeacons({beacons[0], beacons[2], beacons[1]});
        }

        closeWindow(log, log->cmdExit, byTitleBar);

        QVERIFY(!program.windows->isLogLoaded());
        QVERIFY(!main->isHidden());
        QVERIFY(main->isEnabled());
        QCOMPARE(main->lblkHz->text(), shown);
        QCOMPARE(main->txtCountry->text(), shown.isEmpty() ? "" : "Canada");
        QCOMPARE(main->cmdQuickLog->isEnabled(), !shown.isEmpty());
        if (record > 0) {
            QCOMPARE(program.state.CurrentRecordNumber, record);
            // The stepper stands at it among the three matches.
            QCOMPARE(main->scrBeaconNumber->value(), int(record) - 1);
            QCOMPARE(main->lblEntryNumber->text(), QString::number(record - 1));
        }
    }
};

QTEST_MAIN(LogViewerTest)
#include "tst_logviewer.moc"
