// The log viewer: its list in both modes, the beacon shown with its entries, Update
// and Delete, the edit boxes' checks, the printed log and the way back to the main
// window.

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include "BeaconRecord.h"
#include "LogMaintenance.h"
#include "LogRecords.h"
#include "logbook/DatePickerPanel.h"
#include "logbook/frmLog.h"
#include "preferences/frmLocation.h"
#include "reports/frmCLEReport.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

Beacon beacon(const QByteArray &ident, const QByteArray &frequency, quint32 mask = 1)
{
    Beacon b;
    b.ident = ident;
    b.frequency = frequency;
    b.loggedMask = mask;
    return b;
}

// A beacon in the session: its record carries "z".
QByteArray withSessionMark(const Beacon &b)
{
    BeaconRecord r = BeaconRecord::fromBytes(beaconBytes(b));
    r.setSessionMark();
    return r.bytes();
}

QByteArray entry(const QByteArray &ident, const QByteArray &frequency, const QByteArray &time,
                 const QByteArray &date, const QByteArray &comments = {})
{
    return LogRecord::make(ident, frequency, time, date, comments).bytes();
}

BeaconRecord storedBeacon(const TestProgram &program, int number)
{
    return BeaconRecord::fromBytes(program.read(QStringLiteral("ndb.dat")).mid((number - 1) * 213, 213));
}

void typeAndEnter(frmMain *main, const QString &text)
{
    main->txtIdent->clear();
    QTest::keyClicks(main->txtIdent, text);
    QTest::keyClick(main->txtIdent, Qt::Key_Return);
}

frmLog *viewLog(TestProgram &program)
{
    program.windows->main()->cmdViewLog_Click();
    return program.windows->isLogLoaded() ? program.windows->log() : nullptr;
}

frmLog *viewSession(TestProgram &program)
{
    program.windows->main()->cmdViewSession_Click();
    return program.windows->isLogLoaded() ? program.windows->log() : nullptr;
}

QColor baseColour(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base);
}

const QColor kRed(255, 0, 0);
const QColor kGreen(0x80, 0xFF, 0x80);
const QColor kLightRed(0xFF, 0x80, 0x80);

// The pages of a PDF as pdftotext lays them out.
QStringList pdfPages(const QString &pdf)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
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
        program.writeBeacons({beacon("AAA", "300", 1), beacon("BBB", "310", 2), beacon("CCC", "320", 3)});
        QVERIFY(program.startToMain());

        QVERIFY(program.windows->main()->cmdViewLog->isEnabled());
        QTest::mouseClick(program.windows->main()->cmdViewLog, Qt::LeftButton);
        QVERIFY(program.windows->isLogLoaded());
        frmLog *log = program.windows->log();

        QCOMPARE(log->lstLog->count(), 2);
        QCOMPARE(log->lstLog->item(0)->text(), QStringLiteral("AAA   300    Port Eden, Ontario, CANADA"));
        QVERIFY(log->lstLog->item(1)->text().startsWith(QStringLiteral("CCC   320    ")));
        QCOMPARE(log->RecNo, (QList<qint64>{1, 3}));
        QCOMPARE(log->lblLog->text(), QStringLiteral("There are  2 records in your log."));
        const QString location = program.windows->location()->cmbListeningLocation->itemText(0);
        QCOMPARE(log->lblTitle->text(), location + QStringLiteral(" NDB Log"));
        QCOMPARE(log->cmdExport->text(), QStringLiteral("Print Log"));
        QCOMPARE(log->cmdDelete->text(), QStringLiteral("Delete From Log"));
        QVERIFY(log->cmdExport->isEnabled());
        QVERIFY(!log->txtReceptionComments->isHidden());
        QVERIFY(log->txtCLEComments->isHidden());
        QVERIFY(program.windows->main()->isHidden());
        QVERIFY(!log->isHidden());
    }

    void sessionModeListsTheBeaconsInTheSession()
    {
        TestProgram program;
        program.write(QStringLiteral("ndb.dat"), withSessionMark(beacon("AAA", "300", 0)) +
                                                     beaconBytes(beacon("BBB", "310", 1)) +
                                                     withSessionMark(beacon("CCC", "320", 4)));
        program.write(QStringLiteral("Logs/cle.dat"),
                      CLERecord::make("CCC", "CAN", "320", "1015", "20260301", "heard well", true).bytes());
        QVERIFY(program.startToMain());

        frmLog *log = viewSession(program);
        QVERIFY(log);

        QCOMPARE(log->RecNo, (QList<qint64>{1, 3}));
        QCOMPARE(log->lblTitle->text(), QStringLiteral("CLE Log"));
        QCOMPARE(log->cmdDelete->text(), QStringLiteral("Delete From CLE/Session"));
        QCOMPARE(log->cmdExport->text(), QStringLiteral("Create CLE/Session Report"));
        QVERIFY(log->txtReceptionComments->isHidden());
        QVERIFY(!log->txtCLEComments->isHidden());

        log->lstLog->setCurrentRow(1);
        QCOMPARE(log->txtLogIdent->text(), QStringLiteral("CCC"));
        QCOMPARE(log->txtLogTime->text(), QStringLiteral("1015"));
        QCOMPARE(log->txtLogDate->text(), QStringLiteral("20260301"));
        QCOMPARE(log->txtCLEComments->text(), QStringLiteral("heard well"));
        QVERIFY(!log->lblNewBeacon->isHidden());
        QVERIFY(log->cmdUpdate->isEnabled());
    }

    void anEmptyLogbookDisablesPrintUpdateAndDelete()
    {
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300", 0)});
        QVERIFY(program.startToMain());

        frmLog *log = viewLog(program);
        QVERIFY(log);

        QCOMPARE(log->lstLog->count(), 0);
        QCOMPARE(log->lblLog->text(), QStringLiteral("There are  0 records in your log."));
        QVERIFY(!log->cmdExport->isEnabled());
        QVERIFY(!log->cmdUpdate->isEnabled());
        QVERIFY(!log->cmdDelete->isEnabled());
        QVERIFY(log->txtLogIdent->text().isEmpty());
    }

    void theMainWindowsBeaconIsSelectedAndShown()
    {
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300"), beacon("BBB", "320"), beacon("CCC", "340")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("BBB", "320", "0930", "20260301", "evening"));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("BBB"));

        frmLog *log = viewLog(program);
        QVERIFY(log);

        QCOMPARE(log->lstLog->currentRow(), 1);
        QCOMPARE(log->txtLogIdent->text(), QStringLiteral("BBB"));
        QCOMPARE(log->txtLogFreq->text(), QStringLiteral("320"));
        QCOMPARE(log->txtLogCountry->text(), QStringLiteral("Canada"));
        QCOMPARE(log->txtLogProvince->text(), QStringLiteral("Ontario"));
        QCOMPARE(log->txtLogLatitude->text(), QStringLiteral("45.30.00 N"));
        QCOMPARE(log->txtLogLongitude->text(), QStringLiteral("075.42.10 W"));
        QVERIFY(log->txtLogDistance->text().endsWith(QStringLiteral(" deg")));
        QCOMPARE(log->txtLogTime->text(), QStringLiteral("0930"));
        QCOMPARE(log->txtLogDate->text(), QStringLiteral("20260301"));
        QCOMPARE(log->txtReceptionComments->text(), QStringLiteral("evening"));
        QVERIFY(log->HLogged->isHidden());
        QCOMPARE(baseColour(log->txtLogTime), kGreen);
        QVERIFY(log->cmdUpdate->isEnabled());
    }

    void aBeaconNotInTheLogSelectsTheRowAfterTheLastLowerFrequency()
    {
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300"), beacon("CCC", "340"), beacon("BBB", "320", 0)});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("BBB"));

        frmLog *log = viewLog(program);
        QVERIFY(log);

        QCOMPARE(log->lstLog->currentRow(), 1);
        QCOMPARE(log->txtLogIdent->text(), QStringLiteral("CCC"));
    }

    void withoutABeaconInTheMainWindowNoRowIsSelected()
    {
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300"), beacon("BBB", "320")});
        QVERIFY(program.startToMain());

        frmLog *log = viewLog(program);
        QVERIFY(log);

        QCOMPARE(log->lstLog->selectedItems().size(), 0);
        QVERIFY(log->txtLogIdent->text().isEmpty());
        QCOMPARE(log->lstLog->count(), 2);
    }

    // --- One beacon ----------------------------------------------------------------

    void theScrollBarStepsThroughTheEntries()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338"), beacon("XYZ", "400")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "0100", "20260101", "one") +
                                                           entry("XYZ", "400", "0200", "20260102", "other") +
                                                           entry("ABC", "338", "0300", "20260103", "two") +
                                                           entry("ABC", "338", "0400", "20260104", "three"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);

        log->lstLog->setCurrentRow(0);
        QVERIFY(!log->HLogged->isHidden());
        QCOMPARE(log->HLogged->minimum(), 1);
        QCOMPARE(log->HLogged->maximum(), 3);
        QCOMPARE(log->lblCount->text(), QStringLiteral(" 1/ 3"));
        QCOMPARE(log->txtReceptionComments->text(), QStringLiteral("one"));

        log->HLogged->setValue(3);
        QCOMPARE(log->lblCount->text(), QStringLiteral(" 3/ 3"));
        QCOMPARE(log->txtLogTime->text(), QStringLiteral("0400"));
        QCOMPARE(log->txtLogDate->text(), QStringLiteral("20260104"));
        QCOMPARE(log->txtReceptionComments->text(), QStringLiteral("three"));
        QCOMPARE(log->Entries[2].recordNumber, qint64(4));
    }

    void aStoredTimeOfThreeCharactersIsLightRedAndDisablesUpdate()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "930", "20260101"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);

        log->lstLog->setCurrentRow(0);

        QCOMPARE(log->txtLogTime->text(), QStringLiteral("930"));
        QCOMPARE(baseColour(log->txtLogTime), kLightRed);
        QVERIFY(!log->cmdUpdate->isEnabled());
    }

    void aLoggedBeaconWithoutEntriesIsShownOutOfSync()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);

        log->lstLog->setCurrentRow(0);

        QVERIFY(!log->lblOutOfSync->isHidden());
        QVERIFY(log->txtLogTime->isReadOnly());
        QVERIFY(log->txtLogDate->isReadOnly());
        QVERIFY(!log->cmdCalendar->isEnabled());
        QVERIFY(log->HLogged->isHidden());
        QCOMPARE(log->lblCount->text(), QString());
    }

    // --- Update --------------------------------------------------------------------

    void updateInLogbookModeWritesTheCommentsAndTheEntryShown()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        const QByteArray session = CLERecord::make("ABC", "CAN", "338", "0100", "20260101", "session", true).bytes();
        program.write(QStringLiteral("Logs/cle.dat"), session);
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "0100", "20260101", "one") +
                                                           entry("ABC", "338", "0200", "20260102", "two"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);
        log->HLogged->setValue(2);

        log->txtLogComments->setText(QStringLiteral("new beacon notes"));
        log->txtLogTime->setText(QStringLiteral("2215"));
        log->txtLogDate->setText(QStringLiteral("20260105"));
        log->txtReceptionComments->setText(QStringLiteral("faded at dusk"));
        QVERIFY(log->cmdUpdate->isEnabled());
        QTest::mouseClick(log->cmdUpdate, Qt::LeftButton);

        QVERIFY2(program.boxes.shown.isEmpty(), qPrintable(program.boxes.texts().join(QLatin1Char('|'))));
        const BeaconRecord stored = storedBeacon(program, 1);
        QCOMPARE(stored.raw(BeaconField::Comments).first(16).toByteArray(), QByteArray("pgy\"dgceqp\"pqvgu"));
        QCOMPARE(stored.trimmedText(BeaconField::Comments), QByteArray("new beacon notes"));
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")),
                 entry("ABC", "338", "0100", "20260101", "one") +
                     entry("ABC", "338", "2215", "20260105", "faded at dusk"));
        QCOMPARE(program.read(QStringLiteral("Logs/cle.dat")), session);
        QVERIFY(QFile::exists(program.path(QStringLiteral("ndb.bak"))));
        QCOMPARE(log->txtLogComments->text(), QStringLiteral("new beacon notes"));
    }

    void updateInSessionModeWritesTheSessionRecordOnly()
    {
        TestProgram program;
        program.write(QStringLiteral("ndb.dat"), withSessionMark(beacon("ABC", "338")));
        program.write(QStringLiteral("Logs/cle.dat"),
                      CLERecord::make("ABC", "CAN", "338", "0100", "20260101", "session", true).bytes());
        const QByteArray logbook = entry("ABC", "338", "0100", "20260101", "one");
        program.write(QStringLiteral("Logs/log0.dat"), logbook);
        QVERIFY(program.startToMain());
        const QByteArray database = program.read(QStringLiteral("ndb.dat"));
        frmLog *log = viewSession(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);

        log->txtLogTime->setText(QStringLiteral("1830"));
        log->txtCLEComments->setText(QStringLiteral("  strong  "));
        log->txtLogComments->setText(QStringLiteral("not saved in this mode"));
        log->cmdUpdate_Click();

        QCOMPARE(program.read(QStringLiteral("Logs/cle.dat")),
                 CLERecord::make("ABC", "CAN", "338", "1830", "20260101", "strong", true).bytes());
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), database);
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")), logbook);
    }

    void updateOfABeaconWithoutEntrySavesItsCommentsAndSaysBeaconMissing()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("ABC"));
        frmLog *log = viewLog(program);
        QVERIFY(log);
        QVERIFY(log->cmdUpdate->isEnabled());

        log->txtLogComments->setText(QStringLiteral("kept anyway"));
        log->cmdUpdate_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Beacon Missing"));
        QCOMPARE(program.boxes.shown[0].text, QLatin1String(kBeaconMissingText));
        QVERIFY(program.boxes.shown[0].text.contains(QLatin1String("master lookup database. \rThis condition")));
        QCOMPARE(storedBeacon(program, 1).trimmedText(BeaconField::Comments), QByteArray("kept anyway"));
        QVERIFY(!QFile::exists(program.path(QStringLiteral("Logs/log0.dat"))) ||
                program.read(QStringLiteral("Logs/log0.dat")).isEmpty());
    }

    void aFailingBackupStopsUpdateBeforeAnythingChanges()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "0100", "20260101", "one"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);
        const QByteArray database = program.read(QStringLiteral("ndb.dat"));
        // A folder where the database's copy belongs: the copy cannot be made.
        QVERIFY(QDir().mkpath(program.path(QStringLiteral("ndb.bak"))));

        log->txtLogComments->setText(QStringLiteral("changed"));
        log->cmdUpdate_Click();
        log->cmdDelete_Click();

        QCOMPARE(program.boxes.shown.size(), 2);
        for (const MessageRequest &box : program.boxes.shown) {
            QVERIFY2(box.text.startsWith(QStringLiteral("Error # ")), qPrintable(box.text));
            QCOMPARE(box.title, QStringLiteral("Error"));
        }
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), database);
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")), entry("ABC", "338", "0100", "20260101", "one"));
    }

    // --- Delete --------------------------------------------------------------------

    void deletingTheSecondOfThreeEntriesKeepsTheOthersInOrder()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338"), beacon("XYZ", "400")});
        const QByteArray first = entry("ABC", "338", "0100", "20260101", "one");
        const QByteArray other = entry("XYZ", "400", "0200", "20260102", "other");
        const QByteArray second = entry("ABC", "338", "0300", "20260103", "two");
        const QByteArray third = entry("ABC", "338", "0400", "20260104", "three");
        program.write(QStringLiteral("Logs/log0.dat"), first + other + second + third);
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);
        log->HLogged->setValue(2);
        QCOMPARE(log->txtReceptionComments->text(), QStringLiteral("two"));

        QTest::mouseClick(log->cmdDelete, Qt::LeftButton);

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")), first + other + third);
        QCOMPARE(storedBeacon(program, 1).loggedMask(), 1u);
        QCOMPARE(log->lstLog->count(), 2);
        QCOMPARE(log->lstLog->currentRow(), 0);
        QCOMPARE(log->lblCount->text(), QStringLiteral(" 1/ 2"));
        QVERIFY(log->cmdDelete->isEnabled());
    }

    void deletingTheOnlyEntryClearsTheBitAndMovesTheSelection_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("selectedAfter");
        QTest::newRow("a middle row: the next one takes its place") << 1 << QStringLiteral("CCC");
        QTest::newRow("the last row: the new last row") << 2 << QStringLiteral("BBB");
    }
    void deletingTheOnlyEntryClearsTheBitAndMovesTheSelection()
    {
        QFETCH(int, row);
        QFETCH(QString, selectedAfter);
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300", 1), beacon("BBB", "310", 3), beacon("CCC", "320", 3)});
        program.write(QStringLiteral("Logs/log0.dat"), entry("AAA", "300", "0100", "20260101") +
                                                           entry("BBB", "310", "0200", "20260102") +
                                                           entry("CCC", "320", "0300", "20260103"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(row);

        log->cmdDelete_Click();

        const int removed = row + 1; // BBB or CCC, record 2 or 3
        QCOMPARE(storedBeacon(program, removed).loggedMask(), 2u);
        QCOMPARE(log->lstLog->count(), 2);
        QCOMPARE(log->txtLogIdent->text(), selectedAfter);
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")).size(), 2 * 83);
        QCOMPARE(log->lblLog->text(), QStringLiteral("There are  2 records in your log."));
    }

    void deletingInSessionModeUnmarksTheBeaconAndKeepsTheSessionLog()
    {
        TestProgram program;
        program.write(QStringLiteral("ndb.dat"),
                      withSessionMark(beacon("AAA", "300")) + withSessionMark(beacon("BBB", "310")));
        const QByteArray session = CLERecord::make("AAA", "CAN", "300", "0100", "20260101", "a", true).bytes() +
                                   CLERecord::make("BBB", "CAN", "310", "0200", "20260102", "b", false).bytes();
        program.write(QStringLiteral("Logs/cle.dat"), session);
        QVERIFY(program.startToMain());
        frmLog *log = viewSession(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);

        log->cmdDelete_Click();

        QCOMPARE(program.read(QStringLiteral("Logs/cle.dat")), session);
        QCOMPARE(storedBeacon(program, 1).raw(BeaconField::CLEMark).toByteArray(), QByteArray("\""));
        QVERIFY(storedBeacon(program, 2).inSession());
        QCOMPARE(log->lstLog->count(), 1);
        QCOMPARE(log->txtLogIdent->text(), QStringLiteral("BBB"));
        QCOMPARE(log->txtCLEComments->text(), QStringLiteral("b"));
    }

    void withNoRowSelectedUpdateAndDeleteChangeNothing()
    {
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("AAA", "300", "0100", "20260101"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        QCOMPARE(log->lstLog->selectedItems().size(), 0);
        QVERIFY(log->cmdDelete->isEnabled());
        const QByteArray database = program.read(QStringLiteral("ndb.dat"));

        log->cmdDelete_Click();
        log->cmdUpdate_Click();

        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(program.read(QStringLiteral("ndb.dat")), database);
        QCOMPARE(program.read(QStringLiteral("Logs/log0.dat")), entry("AAA", "300", "0100", "20260101"));
        QVERIFY(!QFile::exists(program.path(QStringLiteral("ndb.bak"))));
    }

    // --- The edit boxes ------------------------------------------------------------

    void typedTimesAreCheckedAsTheyAreTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("red");
        QTest::addColumn<QString>("selected");
        QTest::newRow("minutes 60") << QStringLiteral("2360") << QStringLiteral("2360") << true << QStringLiteral("60");
        QTest::newRow("hours 25") << QStringLiteral("25") << QStringLiteral("25") << true << QStringLiteral("25");
        QTest::newRow("five digits") << QStringLiteral("12345") << QStringLiteral("1234") << false
                                     << QStringLiteral("34");
        QTest::newRow("a valid time") << QStringLiteral("2359") << QStringLiteral("2359") << false << QString();
    }
    void typedTimesAreCheckedAsTheyAreTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(bool, red);
        QFETCH(QString, selected);
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "0100", "20260101"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);

        log->txtLogTime->clear();
        QTest::keyClicks(log->txtLogTime, typed);

        QCOMPARE(log->txtLogTime->text(), text);
        QCOMPARE(baseColour(log->txtLogTime), red ? kRed : kGreen);
        QCOMPARE(log->cmdUpdate->isEnabled(), !red);
        QCOMPARE(log->txtLogTime->selectedText(), selected);
    }

    void aDateThatBreaksARuleTurnsRedAndDisablesUpdate()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "0100", "20260101"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);

        log->txtLogDate->setText(QStringLiteral("20060229"));
        QCOMPARE(baseColour(log->txtLogDate), kRed);
        QVERIFY(!log->cmdUpdate->isEnabled());

        log->txtLogDate->setText(QStringLiteral("20040229"));
        QCOMPARE(baseColour(log->txtLogDate), kGreen);
        QVERIFY(log->cmdUpdate->isEnabled());
    }

    void aTimeOfThreeDigitsGetsALeadingZeroWhenTheBoxIsLeft()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "0100", "20260101"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);
        QApplication::setActiveWindow(log);
        QVERIFY(QTest::qWaitForWindowActive(log));

        log->txtLogTime->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(log->txtLogTime->selectedText(), QStringLiteral("0100"));
        // Typed key by key, "93" would be refused as hours: the time arrives whole.
        log->txtLogTime->selectAll();
        log->txtLogTime->insert(QStringLiteral("930"));
        QCOMPARE(baseColour(log->txtLogTime), kRed);
        log->txtLogDate->setFocus(Qt::TabFocusReason);

        QCOMPARE(log->txtLogTime->text(), QStringLiteral("0930"));
        QCOMPARE(baseColour(log->txtLogTime), kGreen);
        QVERIFY(!program.state.UTCTimeText.isEmpty());
    }

    void typedCommasAndQuotesArriveAsBlanksAndApostrophes()
    {
        TestProgram program;
        program.write(QStringLiteral("ndb.dat"), withSessionMark(beacon("ABC", "338")));
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "0100", "20260101"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(0);

        log->txtLogComments->clear();
        QTest::keyClicks(log->txtLogComments, QStringLiteral("a,b \"c\""));
        QCOMPARE(log->txtLogComments->text(), QStringLiteral("a b 'c'"));

        log->txtReceptionComments->clear();
        QTest::keyClicks(log->txtReceptionComments, QStringLiteral("say \"hi\", then"));
        QCOMPARE(log->txtReceptionComments->text(), QStringLiteral("say 'hi', then"));

        log->txtCLEComments->clear();
        QTest::keyClicks(log->txtCLEComments, QStringLiteral("\"q\""));
        QCOMPARE(log->txtCLEComments->text(), QStringLiteral("'q'"));

        log->txtLogTime->clear();
        QTest::keyClicks(log->txtLogTime, QStringLiteral("12,3"));
        QCOMPARE(log->txtLogTime->text(), QStringLiteral("12 3"));
    }

    void commentBoxesKeepAsManyCharactersAsTheirField()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);

        QCOMPARE(log->txtReceptionComments->maxLength(), 60);
        QCOMPARE(log->txtCLEComments->maxLength(), 60);
        QCOMPARE(log->txtLogComments->maxLength(), 90);
    }

    void theDatePickerWritesTheChosenDateIntoTheDateBox()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        program.write(QStringLiteral("Logs/log0.dat"), entry("ABC", "338", "0100", "20060408"));
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);

        log->cmdCalendar_Click();
        QVERIFY(log->picCalendar2->isHidden());

        log->lstLog->setCurrentRow(0);
        log->cmdCalendar_Click();
        QVERIFY(!log->picCalendar2->isHidden());
        QCOMPARE(log->cmbMonth->currentText(), QStringLiteral("April"));
        QCOMPARE(log->cmbYear->currentText(), QStringLiteral("2006"));
        log->cdrCalendar2->setSelectedDate(QDate(2006, 3, 5));
        QTest::mouseClick(log->cmdSelectDate, Qt::LeftButton);

        QCOMPARE(log->txtLogDate->text(), QStringLiteral("20060305"));
        QVERIFY(log->picCalendar2->isHidden());
    }

    // --- The printed log -----------------------------------------------------------

    void printingBreaksPagesWithAFooterAndRepeatsTheHeading()
    {
        TestProgram program;
        QList<Beacon> beacons;
        QByteArray logbook;
        for (int i = 1; i <= 150; ++i) {
            const QByteArray ident = "B" + QByteArray::number(i).rightJustified(3, '0');
            const QByteArray frequency = QByteArray::number(200 + i);
            beacons.append(beacon(ident, frequency));
            logbook += entry(ident, frequency, "0930", "20261207");
        }
        program.writeBeacons(beacons);
        program.write(QStringLiteral("Logs/log0.dat"), logbook);
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        QTemporaryDir output;
        const QString pdf = output.filePath(QStringLiteral("log.pdf"));
        log->setPrinterSource([pdf] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        });

        QTest::mouseClick(log->cmdExport, Qt::LeftButton);

        QVERIFY2(program.boxes.shown.isEmpty(), qPrintable(program.boxes.texts().join(QLatin1Char('|'))));
        const QStringList pages = pdfPages(pdf);
        QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
        for (int p = 0; p < pages.size(); ++p) {
            const QString &page = pages[p];
            QVERIFY2(page.contains(QStringLiteral("NDB LOG for")), qPrintable(page.left(300)));
            QVERIFY(page.contains(QStringLiteral("Most recent entries")));
            QVERIFY(page.contains(QStringLiteral("Dist/Bearing")));
            const QString footer = QStringLiteral("Page - %1").arg(p + 1);
            // Every page that fills gets its number; the last one ends without.
            QCOMPARE(page.contains(footer), p + 1 < pages.size());
        }
        const QString all = pages.join(QLatin1Char('\n'));
        QVERIFY(all.contains(QStringLiteral("2026/12/07")));
        QVERIFY(all.contains(QStringLiteral("09:30")));
        QVERIFY(all.contains(QStringLiteral("B001")));
        QVERIFY(all.contains(QStringLiteral("B150")));
        QVERIFY(pages.last().contains(QStringLiteral("Beacons logged at this location:")));
        QCOMPARE(log->lstLog->count(), 150);
    }

    void printingWithoutAPrinterSaysPrinterNotFound()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        QVERIFY(program.startToMain());
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->setPrinterSource([] { return std::unique_ptr<QPrinter>(); });

        log->cmdExport_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].text, QStringLiteral("482 Printer not found."));
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        const QWidgetList top = QApplication::topLevelWidgets();
        for (QWidget *window : top)
            QVERIFY(window->objectName() != QLatin1String("frmPrintProgress") || window->isHidden());
    }

    void theSessionReportButtonHidesTheViewerUntilTheReportWindowCloses()
    {
        TestProgram program;
        program.write(QStringLiteral("ndb.dat"),
                      withSessionMark(beacon("AAA", "300")) + beaconBytes(beacon("BBB", "310")));
        QVERIFY(program.startToMain());
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
        program.write(QStringLiteral("ndb.dat"),
                      withSessionMark(beacon("AAA", "300")) + withSessionMark(beacon("BBB", "310")));
        program.windows->cleReport()->Command2_Click();

        QVERIFY(!log->isHidden());
        QVERIFY(!program.windows->isCLEReportLoaded());
        QVERIFY(log->cmdExport->isEnabled());
        QCOMPARE(log->lstLog->count(), 2);
        QVERIFY(program.windows->main()->isHidden());
    }

    // --- Leaving -------------------------------------------------------------------

    void exitShowsTheMainWindowWithTheBeaconLastViewed_data()
    {
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("Exit button") << false;
        QTest::newRow("title bar") << true;
    }
    void exitShowsTheMainWindowWithTheBeaconLastViewed()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300"), beacon("ABC;2", "338"), beacon("ABC", "415")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("AAA"));
        frmLog *log = viewLog(program);
        QVERIFY(log);
        log->lstLog->setCurrentRow(1);
        QCOMPARE(log->txtLogIdent->text(), QStringLiteral("ABC"));

        if (byTitleBar)
            log->close();
        else
            QTest::mouseClick(log->cmdExit, Qt::LeftButton);

        QVERIFY(!program.windows->isLogLoaded());
        QVERIFY(!main->isHidden());
        QVERIFY(main->isEnabled());
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  338 kHz"));
        QCOMPARE(program.state.CurrentRecordNumber, qint64(2));
    }

    void exitWithNothingShownClearsTheMainWindow()
    {
        TestProgram program;
        program.writeBeacons({beacon("AAA", "300", 0)});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("AAA"));
        frmLog *log = viewLog(program);
        QVERIFY(log);

        log->cmdExit_Click();

        QVERIFY(!main->isHidden());
        QCOMPARE(main->lblkHz->text(), QString());
        QVERIFY(!main->cmdQuickLog->isEnabled());
    }
};

QTEST_MAIN(LogViewerTest)
#include "tst_logviewer.moc"
