// The main window: look-up, the beacon on display, the distance filter, the
// integrity check's commands, the statistics box and the clocks.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTimeZone>

#include "Clock.h"
#include "preferences/frmLocation.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

Beacon beacon(const QByteArray &ident, const QByteArray &frequency)
{
    Beacon b;
    b.ident = ident;
    b.frequency = frequency;
    return b;
}

void typeAndEnter(frmMain *main, const QString &text)
{
    main->txtIdent->clear();
    // Qt Test types Latin-1 only; other letters arrive as a paste would.
    if (text.toLatin1() == text.toUtf8())
        QTest::keyClicks(main->txtIdent, text);
    else
        main->txtIdent->insert(text);
    QTest::keyClick(main->txtIdent, Qt::Key_Return);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void typingAnIdentAndEnterShowsTheBeacon()
    {
        TestProgram program;
        program.writeBeacons({beacon("XYZ", "400"), beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);

        typeAndEnter(main, QStringLiteral("abc"));

        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  338 kHz"));
        QVERIFY(!main->lblkHz->isHidden());
        QCOMPARE(main->txtCountry->text(), QStringLiteral("Canada"));
        QCOMPARE(main->txtLocation->text(), QStringLiteral("Port Eden, Ontario"));
        QCOMPARE(main->txtPower->text(), QStringLiteral("25 / NDB"));
        QCOMPARE(main->txtLat->text(), QStringLiteral("45 30 00 N"));
        QCOMPARE(main->txtLon->text(), QStringLiteral("075 42 10 W"));
        QVERIFY(main->txtDistance->text().endsWith(QStringLiteral(" miles")));
        QVERIFY(main->txtBearing->text().endsWith(QChar(0x00B0)));
        QCOMPARE(main->txtIdent->text(), QString());
        QVERIFY(main->scrBeaconNumber->isHidden());
        QVERIFY(main->lblEntryNumber->isHidden());
        QCOMPARE(program.state.CurrentRecordNumber, qint64(2));
        QCOMPARE(program.state.CurrentIdent, QByteArray("ABC"));
        QVERIFY(main->commands().isArmed(main->cmdAddToLog));
        QVERIFY(main->commands().isArmed(main->cmdQuickLog));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void commandsWhoseWindowsAreNotBuiltStayDisabled()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("ABC"));

        // No serial port in these tests: the GPS radar's item stays disabled.
        QVERIFY(!main->mnuDynamic->isEnabled());
        QVERIFY(main->cmdUpdate->isEnabled());
        for (QAction *item : {main->mnuPreferences, main->mnuDistanceCircle, main->cmdListeningReports,
                              main->mnuStatistics, main->mnuAbout, main->mnuCnts, main->mnuDBBackup,
                              main->mnuDBRestore, main->mnuWeblogImport, main->mnuNAO, main->mnuComparison})
            QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
        QVERIFY(main->cmdMapIt->isEnabled());
        QVERIFY(main->cmdNearby->isEnabled());
        QVERIFY(main->cmdLookUp->isEnabled());
        QVERIFY(main->cmdExit->isEnabled());
    }

    void twoMatchesShowTheFirstAndTheCount()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338"), beacon("DEF", "290"), beacon("ABC;2", "415")});
        frmMain *main = program.startToMain();
        QVERIFY(main);

        typeAndEnter(main, QStringLiteral("ABC"));

        QCOMPARE(main->lblEntryNumber->text(), QStringLiteral("1"));
        QCOMPARE(main->lblFound->text(), QStringLiteral("/ 2"));
        QVERIFY(!main->lblEntryNumber->isHidden());
        QVERIFY(!main->lblFound->isHidden());
        QVERIFY(!main->scrBeaconNumber->isHidden());
        QCOMPARE(main->scrBeaconNumber->minimum(), 1);
        QCOMPARE(main->scrBeaconNumber->maximum(), 2);
        QCOMPARE(main->scrBeaconNumber->value(), 1);
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  338 kHz"));

        main->scrBeaconNumber->setValue(2);
        QCOMPARE(main->lblEntryNumber->text(), QStringLiteral("2"));
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  415 kHz"));
        QCOMPARE(program.state.CurrentRecordNumber, qint64(3));
    }

    void refusedTextsGiveTheirMessageAndClearTheDisplay_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("wildcards only") << QStringLiteral("???")
                                        << QStringLiteral("Searching wildcards only is not allowed.")
                                        << QStringLiteral("A big no, no.");
        QTest::newRow("empty") << QString() << QStringLiteral("Empty search field.") << QStringLiteral("Huh?");
        // Letters no ident can hold are not wildcards.
        QTest::newRow("outside Windows-1252") << QString::fromUtf8("\u0410\u0411") << QStringLiteral("Facility not found.")
                                              << QStringLiteral("Not found");
    }
    void refusedTextsGiveTheirMessageAndClearTheDisplay()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, title);
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("ABC"));
        QVERIFY(!main->lblkHz->text().isEmpty());

        typeAndEnter(main, typed);

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].text, text);
        QCOMPARE(program.boxes.shown[0].title, title);
        QCOMPARE(main->lblkHz->text(), QString());
        QCOMPARE(main->txtCountry->text(), QString());
        QVERIFY(!main->commands().isArmed(main->cmdQuickLog));
        QVERIFY(main->cmdLookUp->isEnabled());
        QVERIFY(main->txtIdent->isEnabled());
    }

    void notFoundKeepsTheTypedText_data()
    {
        QTest::addColumn<bool>("filterOn");
        QTest::addColumn<QString>("text");
        QTest::newRow("filter off") << false << QStringLiteral("Facility not found.");
        QTest::newRow("filter on") << true
                                   << QStringLiteral(
                                          "Facility not found. Try turning Distance Filter OFF and search again.");
    }
    void notFoundKeepsTheTypedText()
    {
        QFETCH(bool, filterOn);
        QFETCH(QString, text);
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        if (filterOn)
            main->cmdDistanceFilter_Click();

        typeAndEnter(main, QStringLiteral("XYZ"));

        QCOMPARE(program.boxes.texts(), QStringList{text});
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Not found"));
        QCOMPARE(main->txtIdent->text(), QStringLiteral("XYZ"));
        QCOMPARE(program.state.SearchMatchCount, qint64(0));
    }

    void aLookUpNeverCreatesTheDatabase()
    {
        TestProgram program;
        frmMain *main = program.startToMain();
        QVERIFY(main);
        program.boxes.shown.clear();

        typeAndEnter(main, QStringLiteral("ABC"));

        QCOMPARE(program.boxes.texts(), QStringList{QStringLiteral("Facility not found.")});
        QVERIFY(!QFile::exists(program.path(QStringLiteral("ndb.dat"))));
    }

    void aFrequencyNoMatchHasShowsNothingAndDisarmsLogging()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338"), beacon("ABC;2", "415")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("ABC"));
        QVERIFY(main->commands().isArmed(main->cmdQuickLog));

        main->SearchBeacons(QStringLiteral("ABC"), "999", false);

        QCOMPARE(main->lblkHz->text(), QString());
        QVERIFY(!main->commands().isArmed(main->cmdAddToLog));
        QVERIFY(!main->commands().isArmed(main->cmdQuickLog));
        QCOMPARE(program.state.SearchMatchCount, qint64(0));
        QVERIFY(main->scrBeaconNumber->isHidden());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void aGivenFrequencyShowsThatMatch()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338"), beacon("ABC;2", "415")});
        frmMain *main = program.startToMain();
        QVERIFY(main);

        main->SearchBeacons(QStringLiteral("ABC"), "415", false);

        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  415 kHz"));
        QCOMPARE(main->lblEntryNumber->text(), QStringLiteral("2"));
        QCOMPARE(main->scrBeaconNumber->value(), 2);
        QCOMPARE(program.state.CurrentRecordNumber, qint64(2));
    }

    void theClipboardHoldsTheSummaryLine()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        program.windows->location()->txtDXLogger->setText(QStringLiteral("XYZ"));

        typeAndEnter(main, QStringLiteral("ABC"));

        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("ABC:338, +400 -400 Port Eden, Ontario, Canada XYZ"));
    }

    void theTitleFollowsTheLocation()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        QCOMPARE(main->windowTitle(), QStringLiteral("QERN v6.2 - Location 1"));
        QCOMPARE(program.state.LogFileName, QStringLiteral("Logs/log0.dat"));

        main->mnuPreferences_Click();
        QVERIFY(!main->isEnabled());
        frmLocation *preferences = program.windows->location();
        preferences->cmbListeningLocation->setCurrentIndex(2);
        preferences->cmdExit_Click();
        preferences->cmdJustExit_Click();

        QVERIFY(main->isEnabled());
        QCOMPARE(main->windowTitle(), QStringLiteral("QERN v6.2 - Location 3"));
        QCOMPARE(program.state.LogFileName, QStringLiteral("Logs/log2.dat"));
    }

    void theDistanceFilterButtonTwiceRestoresTheState()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        const QString caption = main->cmdDistanceFilter->text();
        const int enabled = program.state.DistanceFilterEnabled;
        const bool on = program.state.DistanceFilterOn;
        QCOMPARE(caption, QStringLiteral("OFF"));

        main->cmdDistanceFilter_Click();
        QCOMPARE(main->cmdDistanceFilter->text(), QStringLiteral("ON"));
        QCOMPARE(program.state.DistanceFilterEnabled, 1);
        QVERIFY(program.state.DistanceFilterOn);
        main->cmdDistanceFilter_Click();

        QCOMPARE(main->cmdDistanceFilter->text(), caption);
        QCOMPARE(program.state.DistanceFilterEnabled, enabled);
        QCOMPARE(program.state.DistanceFilterOn, on);
    }

    void theDistanceFilterButtonTurnsAStoredTwoOn()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "DistanceFilterEnable", " 2");
        frmMain *main = program.startToMain();
        QVERIFY(main);
        QCOMPARE(program.state.DistanceFilterEnabled, 2);
        QCOMPARE(main->cmdDistanceFilter->text(), QStringLiteral("OFF"));

        main->cmdDistanceFilter_Click();

        QCOMPARE(main->cmdDistanceFilter->text(), QStringLiteral("ON"));
        QVERIFY(program.state.DistanceFilterOn);
    }

    void aDamagedDatabaseDisablesItsCommandsUntilACheckPasses_data()
    {
        QTest::addColumn<QByteArray>("frequencyField");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("backupItemsTouched");
        // The stored bytes of Frequency: "2" is the shifted "0".
        QTest::newRow("mismatch") << QByteArray("2") << QStringLiteral("Records mismatched. Database corrupted.")
                                  << true;
        QTest::newRow("read error") << QByteArray("\x01", 1)
                                    << QStringLiteral("Error reading database data. Database corrupted.") << false;
    }
    void aDamagedDatabaseDisablesItsCommandsUntilACheckPasses()
    {
        QFETCH(QByteArray, frequencyField);
        QFETCH(QString, message);
        QFETCH(bool, backupItemsTouched);
        TestProgram program;
        QByteArray damaged = beaconBytes(beacon("BAD", "338"));
        damaged.replace(42, 6, frequencyField.leftJustified(6, ' '));
        program.write(QStringLiteral("ndb.dat"), beaconBytes(beacon("ABC", "338")) + damaged);
        frmMain *main = program.startToMain();
        QVERIFY(main);

        QCOMPARE(program.boxes.texts().count(message), 1);
        QCOMPARE(program.boxes.shown[program.boxes.texts().indexOf(message)].title, QStringLiteral("Error"));
        QVERIFY(!main->cmdLookUp->isEnabled());
        QVERIFY(!main->mnuLogClear->menuAction()->isEnabled());
        QVERIFY(!main->mnuDistanceCircle->isEnabled());
        QVERIFY(!main->commands().isArmed(main->cmdUpdate));
        QVERIFY(!main->commands().isArmed(main->mnuWeblogImport));
        QCOMPARE(main->commands().isArmed(main->mnuDBBackup), !backupItemsTouched);

        // Enter obeys the disabled look-up button.
        program.boxes.shown.clear();
        typeAndEnter(main, QStringLiteral("ABC"));
        QCOMPARE(main->lblkHz->text(), QString());
        QVERIFY(program.boxes.shown.isEmpty());

        // A restored database passes the next check.
        program.writeBeacons({beacon("ABC", "338"), beacon("DEF", "290")});
        main->GatherDatabaseStatistics(true);
        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(main->cmdLookUp->isEnabled());
        QVERIFY(main->mnuLogClear->menuAction()->isEnabled());
        QVERIFY(main->mnuDistanceCircle->isEnabled());
        QVERIFY(main->commands().isArmed(main->cmdUpdate));
        QVERIFY(main->commands().isArmed(main->mnuWeblogImport));
        QVERIFY(main->commands().isArmed(main->mnuDBBackup));
        typeAndEnter(main, QStringLiteral("ABC"));
        QCOMPARE(main->lblkHz->text(), QStringLiteral("ABC  338 kHz"));
    }

    void theStatisticsBoxShowsTheCounts()
    {
        TestProgram program;
        Beacon logged = beacon("ABC", "338");
        logged.loggedMask = 0b1001; // locations 1 and 4
        QByteArray inSession = beaconBytes(beacon("DEF", "290"));
        inSession[211] = 'z';
        program.write(QStringLiteral("ndb.dat"), beaconBytes(logged) + inSession + beaconBytes(beacon("GHI", "300")));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        program.boxes.shown.clear();

        main->mnuStatistics_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("QERN Statistics               "));
        QString expected = QStringLiteral("Number of beacons in main database -  3\r\rNumber of logged beacons \r\r");
        for (int i = 0; i < 16; ++i)
            expected += QStringLiteral("      Location %1 -  %2\r").arg(i + 1).arg(i == 0 || i == 3 ? 1 : 0);
        expected += QStringLiteral("\rNumber of beacons in CLE log -  1");
        QCOMPARE(program.boxes.shown[0].text, expected);
        QCOMPARE(program.state.LoggedCountHere, qint64(1));
        QVERIFY(main->commands().isArmed(main->cmdViewLog));
        QVERIFY(main->commands().isArmed(main->cmdViewSession));
    }

    void newOrChangeAsksForTheRecordAfterTheLastOrTheOneShown()
    {
        TestProgram program;
        QByteArray database;
        for (int i = 0; i < 2130; ++i)
            database += beaconBytes(beacon("N" + QByteArray::number(i), "338"));
        program.write(QStringLiteral("ndb.dat"), database);
        frmMain *main = program.startToMain();
        QVERIFY(main);

        main->SetEditorRequest();
        QCOMPARE(program.state.NewRecordFlag, 1);
        QCOMPARE(program.state.EditRecordNumber, qint64(2131));
        QVERIFY(program.state.EditorOpenedFromMain);

        typeAndEnter(main, QStringLiteral("N7"));
        main->SetEditorRequest();
        QCOMPARE(program.state.NewRecordFlag, 0);
        QCOMPARE(program.state.EditRecordNumber, qint64(8));
    }

    void clickingTheCoordinatesGivesTheDottedFormEveryTime()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("ABC"));

        for (int click = 0; click < 2; ++click) {
            QTest::mouseClick(main->txtLat, Qt::LeftButton);
            QTest::mouseClick(main->txtLon, Qt::LeftButton);
            QCOMPARE(main->txtLat->text(), QStringLiteral("45.30.00.N"));
            QCOMPARE(main->txtLon->text(), QStringLiteral("075.42.10.W"));
        }
    }

    void activationArmsMapAndNearbyOnlyForAKnownPosition_data()
    {
        QTest::addColumn<QByteArray>("latitude");
        QTest::addColumn<QByteArray>("longitude");
        QTest::addColumn<bool>("armed");
        QTest::newRow("known") << QByteArray("N45300000") << QByteArray("W075421000") << true;
        QTest::newRow("unknown") << QByteArray("N00000000") << QByteArray("W000000000") << false;
    }
    void activationArmsMapAndNearbyOnlyForAKnownPosition()
    {
        QFETCH(QByteArray, latitude);
        QFETCH(QByteArray, longitude);
        QFETCH(bool, armed);
        TestProgram program;
        Beacon b = beacon("ABC", "338");
        b.latitude = latitude;
        b.longitude = longitude;
        program.writeBeacons({b});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("ABC"));

        main->Form_Activate();

        QCOMPARE(main->commands().isArmed(main->cmdMapIt), armed);
        QCOMPARE(main->commands().isArmed(main->cmdNearby), armed);
    }

    void theLoggedListOpensUnderThePointer()
    {
        TestProgram program;
        Beacon b = beacon("ABC", "338");
        b.loggedMask = 1u << 3;
        program.writeBeacons({b});
        program.write(QStringLiteral("Logs/log3.dat"), LogRecord::make("ABC", "338", "1200", "20260105", "").bytes());
        frmMain *main = program.startToMain();
        QVERIFY(main);
        typeAndEnter(main, QStringLiteral("ABC"));

        QCOMPARE(main->lblLogged->text(), QStringLiteral(" *** Logged from a different QTH *** "));
        QVERIFY(!main->lblGotLogged->isHidden());
        QVERIFY(main->lstGotLogged->isHidden());
        QCOMPARE(main->lstGotLogged->count(), 1);
        QCOMPARE(main->lstGotLogged->item(0)->text(), QStringLiteral("Location 4 - Last logged on 05-Jan-2026"));

        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), QPointF(2, 2), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(main->lblGotLogged, &move);
        QVERIFY(!main->lstGotLogged->isHidden());
        QApplication::sendEvent(main->lblLogged, &move);
        QVERIFY(main->lstGotLogged->isHidden());
    }

    void theClocksShowUtcAndLocalTime()
    {
        const ScopedClock clock(QDateTime(QDate(2026, 3, 4), QTime(17, 6), QTimeZone(3600)));
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);

        QCOMPARE(main->lblUTC->text(), QStringLiteral("UTC 2026-03-04  16:06"));
        QCOMPARE(main->lblLocal->text(), QStringLiteral("Local 2026-03-04   05:06 PM"));
        QVERIFY(main->tmrTimeDate->isActive());
        QCOMPARE(main->tmrTimeDate->interval(), 10000);
    }

    void theAboutBoxHasFourLines()
    {
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        program.boxes.shown.clear();

        main->mnuAbout_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("About..."));
        QCOMPARE(program.boxes.shown[0].text.count(QLatin1Char('\r')), 4);
        QVERIFY(program.boxes.shown[0].text.contains(QStringLiteral("6.2")));
    }

    void exitAndClosingTheWindowEndTheProgram_data()
    {
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("exit button") << false;
        QTest::newRow("title bar") << true;
    }
    void exitAndClosingTheWindowEndTheProgram()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        program.writeBeacons({beacon("ABC", "338")});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        program.windows->location()->showForm();
        QVERIFY(program.windows->location()->isVisible());

        if (byTitleBar)
            main->close();
        else
            QTest::mouseClick(main->cmdExit, Qt::LeftButton);

        QVERIFY(program.windows->hasEnded());
        QCOMPARE(program.windows->exitCode(), 0);
        QVERIFY(!program.windows->location()->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
