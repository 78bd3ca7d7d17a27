// The main window: look-up, the beacon on display, the distance filter, the
// integrity check's commands, the statistics box and the clocks.

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QTimeZone>

#include "Clock.h"
#include "MessageBox.h"
#include "preferences/frmLocation.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The clipboard holds the summary line; the coordinates give their dotted form at
    // every click; commands whose windows are not built yet are enabled.
    void typingAnIdentAndEnterShowsTheBeacon()
    {
        TestProgram program;
        frmMain *main = program.startWith({beacon("XYZ", "400"), beacon("ABC")});
        QVERIFY(main);
        program.windows->location()->txtDXLogger->setText("XYZ");
        typeAndEnter(main, "abc");

        QCOMPARE(textsOf({main->lblkHz, main->txtCountry, main->txtLocation, main->txtPower, main->txtLat,
                          main->txtLon, main->txtIdent}),
                 QStringList({"ABC  338 kHz", "Canada", "Port Eden, Ontario", "25 / NDB", "45 30 00 N",
                              "075 42 10 W", ""}));
        QVERIFY(!main->lblkHz->isHidden());
        QVERIFY(main->txtDistance->text().endsWith(" miles"));
        QVERIFY(main->txtBearing->text().endsWith(QChar(0x00B0)));
        QVERIFY(main->scrBeaconNumber->isHidden());
        QVERIFY(main->lblEntryNumber->isHidden());
        QCOMPARE(program.state.CurrentRecordNumber, 2);
        QCOMPARE(program.state.CurrentIdent, "ABC");
        QVERIFY(main->commands().isArmed(main->cmdAddToLog));
        QVERIFY(main->commands().isArmed(main->cmdQuickLog));
        QVERIFY(program.boxes.shown.isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), "ABC:338, +400 -400 Port Eden, Ontario, Canada XYZ");

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

        for (int click = 0; click < 2; ++click) {
            QTest::mouseClick(main->txtLat, Qt::LeftButton);
            QTest::mouseClick(main->txtLon, Qt::LeftButton);
            QCOMPARE(main->txtLat->text(), "45.30.00.N");
            QCOMPARE(main->txtLon->text(), "075.42.10.W");
        }
    }

    void twoMatchesShowTheFirstAndTheCount()
    {
        TestProgram program;
        frmMain *main = program.startShowing({beacon("ABC"), beacon("DEF", "290"), beacon("ABC;2", "415")});
        QVERIFY(main);

        QCOMPARE(main->lblEntryNumber->text(), "1");
        QCOMPARE(main->lblFound->text(), "/ 2");
        QVERIFY(!main->lblEntryNumber->isHidden());
        QVERIFY(!main->lblFound->isHidden());
        QVERIFY(!main->scrBeaconNumber->isHidden());
        QCOMPARE(main->scrBeaconNumber->minimum(), 1);
        QCOMPARE(main->scrBeaconNumber->maximum(), 2);
        QCOMPARE(main->scrBeaconNumber->value(), 1);
        QCOMPARE(main->lblkHz->text(), "ABC  338 kHz");

        main->scrBeaconNumber->setValue(2);
        QCOMPARE(main->lblEntryNumber->text(), "2");
        QCOMPARE(main->lblkHz->text(), "ABC  415 kHz");
        QCOMPARE(program.state.CurrentRecordNumber, 3);
    }

    void refusedTextsGiveTheirMessageAndClearTheDisplay_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box");
        QTest::newRow("wildcards only") << "???" << "A big no, no.: Searching wildcards only is not allowed.";
        QTest::newRow("empty") << "" << "Huh?: Empty search field.";
        // Letters no ident can hold are not wildcards.
        QTest::newRow("outside Windows-1252") << QString::fromUtf8("\u0410\u0411") << "Not found: Facility not found.";
    }
    void refusedTextsGiveTheirMessageAndClearTheDisplay()
    {
        QFETCH(QString, typed);
        QFETCH(QString, box);
        TestProgram program;
        frmMain *main = program.startShowing({beacon("ABC")});
        QVERIFY(main);
        QVERIFY(!main->lblkHz->text().isEmpty());

        typeAndEnter(main, typed);

        QCOMPARE(program.boxes.summary(), box);
        QCOMPARE(main->lblkHz->text(), "");
        QCOMPARE(main->txtCountry->text(), "");
        QVERIFY(!main->commands().isArmed(main->cmdQuickLog));
        QVERIFY(main->cmdLookUp->isEnabled());
        QVERIFY(main->txtIdent->isEnabled());
    }

    void notFoundKeepsTheTypedText_data()
    {
        QTest::addColumn<bool>("database");
        QTest::addColumn<bool>("filterOn");
        QTest::addColumn<QString>("text");
        QTest::newRow("filter off") << true << false << "Facility not found.";
        QTest::newRow("filter on") << true << true
                                   << "Facility not found. Try turning Distance Filter OFF and search again.";
        // A look-up never creates the database.
        QTest::newRow("no database") << false << false << "Facility not found.";
    }
    void notFoundKeepsTheTypedText()
    {
        QFETCH(bool, database);
        QFETCH(bool, filterOn);
        QFETCH(QString, text);
        TestProgram program;
        frmMain *main = database ? program.startWith({beacon("ABC")}) : program.startToMain();
        QVERIFY(main);
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        program.boxes.shown.clear();
        if (filterOn)
            main->cmdDistanceFilter_Click();

        typeAndEnter(main, "XYZ");

        QCOMPARE(program.boxes.summary(), "Not found: " + text);
        QCOMPARE(main->txtIdent->text(), "XYZ");
        // The focus comes back to the box with the whole text selected, to type over.
        QCOMPARE(main->txtIdent->selectedText(), "XYZ");
        QCOMPARE(program.state.SearchMatchCount, 0);
        QCOMPARE(program.exists("ndb.dat"), database);
    }

    void aGivenFrequencyShowsOnlyAMatchThatHasIt_data()
    {
        QTest::addColumn<QByteArray>("frequency");
        QTest::addColumn<QString>("shown");
        QTest::newRow("the second match") << QByteArray("415") << "ABC  415 kHz";
        QTest::newRow("no match has it") << QByteArray("999") << "";
    }
    void aGivenFrequencyShowsOnlyAMatchThatHasIt()
    {
        QFETCH(QByteArray, frequency);
        QFETCH(QString, shown);
        TestProgram program;
        frmMain *main = program.startShowing({beacon("ABC"), beacon("ABC;2", "415")});
        QVERIFY(main);
        QVERIFY(main->commands().isArmed(main->cmdQuickLog));

        main->SearchBeacons("ABC", frequency, false);

        // The beacon shown before is not left armed for logging.
        const bool found = !shown.isEmpty();
        QCOMPARE(main->lblkHz->text(), shown);
        QCOMPARE(main->commands().isArmed(main->cmdAddToLog), found);
        QCOMPARE(main->commands().isArmed(main->cmdQuickLog), found);
        QCOMPARE(program.state.SearchMatchCount, found ? 2 : 0);
        QCOMPARE(main->scrBeaconNumber->isHidden(), !found);
        QVERIFY(program.boxes.shown.isEmpty());
        if (found) {
            QCOMPARE(main->lblEntryNumber->text(), "2");
            QCOMPARE(main->scrBeaconNumber->value(), 2);
            QCOMPARE(program.state.CurrentRecordNumber, 2);
        }
    }

    void theTitleFollowsTheLocation()
    {
        TestProgram program;
        frmMain *main = program.startWith({beacon("ABC")});
        QVERIFY(main);
        QCOMPARE(main->windowTitle(), "QERN v6.2 - Location 1");
        QCOMPARE(program.state.LogFileName, "Logs/log0.dat");

        main->mnuPreferences_Click();
        QVERIFY(!main->isEnabled());
        frmLocation *preferences = program.windows->location();
        preferences->cmbListeningLocation->setCurrentIndex(2);
        preferences->cmdExit_Click();
        preferences->cmdJustExit_Click();

        QVERIFY(main->isEnabled());
        QCOMPARE(main->windowTitle(), "QERN v6.2 - Location 3");
        QCOMPARE(program.state.LogFileName, "Logs/log2.dat");
    }

    void theDistanceFilterButtonTurnsTheFilterOnAndOff_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("enabled");
        QTest::newRow("off") << QByteArray(" 0") << 0;
        // Any value other than 1 counts as off: the button turns it on.
        QTest::newRow("a stored 2") << QByteArray(" 2") << 2;
    }
    void theDistanceFilterButtonTurnsTheFilterOnAndOff()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, enabled);
        TestProgram program;
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "DistanceFilterEnable", stored);
        frmMain *main = program.startWith({beacon("ABC")});
        QVERIFY(main);
        QCOMPARE(program.state.DistanceFilterEnabled, enabled);
        QCOMPARE(main->cmdDistanceFilter->text(), "OFF");
        QVERIFY(!program.state.DistanceFilterOn);

        main->cmdDistanceFilter_Click();
        QCOMPARE(main->cmdDistanceFilter->text(), "ON");
        QCOMPARE(program.state.DistanceFilterEnabled, 1);
        QVERIFY(program.state.DistanceFilterOn);

        main->cmdDistanceFilter_Click();
        QCOMPARE(main->cmdDistanceFilter->text(), "OFF");
        QCOMPARE(program.state.DistanceFilterEnabled, 0);
        QVERIFY(!program.state.DistanceFilterOn);
    }

    void aDamagedDatabaseDisablesItsCommandsUntilACheckPasses_data()
    {
        QTest::addColumn<QByteArray>("frequencyField");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("backupItemsTouched");
        // The stored bytes of Frequency: "2" is the shifted "0".
        QTest::newRow("mismatch") << QByteArray("2") << "Records mismatched. Database corrupted." << true;
        QTest::newRow("read error") << QByteArray("\x01", 1) << "Error reading database data. Database corrupted."
                                    << false;
    }
    void aDamagedDatabaseDisablesItsCommandsUntilACheckPasses()
    {
        QFETCH(QByteArray, frequencyField);
        QFETCH(QString, message);
        QFETCH(bool, backupItemsTouched);
        TestProgram program;
        QByteArray damaged = beaconBytes(beacon("BAD"));
        damaged.replace(42, 6, frequencyField.leftJustified(6, ' '));
        program.write("ndb.dat", beaconBytes(beacon("ABC")) + damaged);
        frmMain *main = program.startToMain();
        QVERIFY(main);

        QCOMPARE(program.boxes.texts().count(message), 1);
        QVERIFY(program.boxes.summary().contains("Error: " + message));
        QVERIFY(!main->cmdLookUp->isEnabled());
        QVERIFY(!main->mnuLogClear->menuAction()->isEnabled());
        QVERIFY(!main->mnuDistanceCircle->isEnabled());
        QVERIFY(!main->commands().isArmed(main->cmdUpdate));
        QVERIFY(!main->commands().isArmed(main->mnuWeblogImport));
        QCOMPARE(main->commands().isArmed(main->mnuDBBackup), !backupItemsTouched);

        // Enter obeys the disabled look-up button.
        program.boxes.shown.clear();
        typeAndEnter(main, "ABC");
        QCOMPARE(main->lblkHz->text(), "");
        QVERIFY(program.boxes.shown.isEmpty());

        // A restored database passes the next check.
        program.writeBeacons({beacon("ABC"), beacon("DEF", "290")});
        main->GatherDatabaseStatistics(true);
        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(main->cmdLookUp->isEnabled());
        QVERIFY(main->mnuLogClear->menuAction()->isEnabled());
        QVERIFY(main->mnuDistanceCircle->isEnabled());
        QVERIFY(main->commands().isArmed(main->cmdUpdate));
        QVERIFY(main->commands().isArmed(main->mnuWeblogImport));
        QVERIFY(main->commands().isArmed(main->mnuDBBackup));
        typeAndEnter(main, "ABC");
        QCOMPARE(main->lblkHz->text(), "ABC  338 kHz");
    }

    void theStatisticsBoxShowsTheCounts()
    {
        TestProgram program;
        const Beacon logged = beacon("ABC", "338", 0b1001); // locations 1 and 4
        program.write("ndb.dat", beaconBytes(logged) + inSession(beacon("DEF", "290")) + beaconBytes(beacon("GHI")));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        program.boxes.shown.clear();

        main->mnuStatistics_Click();

        QString expected = "QERN Statistics               : Number of beacons in main database -  3\r\r"
                           "Number of logged beacons \r\r";
        for (int i = 0; i < 16; ++i)
            expected += QStringLiteral("      Location %1 -  %2\r").arg(i + 1).arg(i == 0 || i == 3 ? 1 : 0);
        expected += "\rNumber of beacons in CLE log -  1";
        QCOMPARE(program.boxes.summary(), expected);
        QCOMPARE(program.state.LoggedCountHere, 1);
        QVERIFY(main->commands().isArmed(main->cmdViewLog));
        QVERIFY(main->commands().isArmed(main->cmdViewSession));
    }

    // A location's name longer than a box can be wide shows its two ends, the whole under
    // "Show Details...". Opening the details only shows them: Enter still answers OK.
    void aBoxWithItsDetailsOpenTakesEnterAsOk()
    {
        TestProgram program;
        program.presetSetting(RegistryKeys::ListeningLocations, kRegistryString, "Location(0)", QByteArray(300, 'W'));
        program.write("ndb.dat", beaconBytes(beacon("ABC")));
        frmMain *main = program.startToMain();
        QVERIFY(main);
        bool detailsShown = false;
        bool closedByEnter = false;
        MessageBox::setHandler({});
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            const auto *buttons = box->findChild<QDialogButtonBox *>();
            for (QAbstractButton *button : buttons->buttons()) {
                if (buttons->buttonRole(button) == QDialogButtonBox::ActionRole)
                    QTest::mouseClick(button, Qt::LeftButton);
            }
            const auto *details = box->findChild<QTextEdit *>();
            detailsShown = details && details->isVisible() && details->toPlainText().contains(QString(300, 'W'));
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
            closedByEnter = !box->isVisible();
            if (!closedByEnter)
                box->button(QMessageBox::Ok)->click();
        });

        main->mnuStatistics->trigger();
        program.boxes.install();

        QVERIFY(detailsShown);
        QVERIFY(closedByEnter);
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
        Beacon b = beacon("ABC");
        b.latitude = latitude;
        b.longitude = longitude;
        frmMain *main = program.startShowing({b});
        QVERIFY(main);

        main->Form_Activate();

        QCOMPARE(main->commands().isArmed(main->cmdMapIt), armed);
        QCOMPARE(main->commands().isArmed(main->cmdNearby), armed);
    }

    void theLoggedListOpensUnderThePointer()
    {
        TestProgram program;
        program.write("Logs/log3.dat", logEntry("ABC", "338", "1200", "20260105"));
        program.write("Logs/log0.dat", logEntry("AAA", "338", "1200", "20260105"));
        frmMain *main = program.startShowing(
            {beacon("ABC", "338", 1u << 3), beacon("AAA", "338", 1), beacon("DEF", "290", 1), beacon("GHI")});
        QVERIFY(main);

        QCOMPARE(main->lblLogged->text(), " *** Logged from a different QTH *** ");
        QVERIFY(!main->lblGotLogged->isHidden());
        QVERIFY(main->lstGotLogged->isHidden());
        QCOMPARE(listTexts(main->lstGotLogged), QStringList{"Location 4 - Last logged on 05-Jan-2026"});

        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), QPointF(2, 2), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(main->lblGotLogged, &move);
        QVERIFY(!main->lstGotLogged->isHidden());
        QApplication::sendEvent(main->lblLogged, &move);
        QVERIFY(main->lstGotLogged->isHidden());

        // The caption is the shown beacon's own. DEF is marked as logged here, but the
        // logbook holds no entry of it.
        const struct {
            const char *typed;
            const char *caption;
            bool visible;
        } rows[] = {{"AAA", " *** Last logged on 05-Jan-2026 ***", true}, {"DEF", " *** Logged *** ", true},
                    {"GHI", "", false}};
        for (const auto &row : rows) {
            typeAndEnter(main, row.typed);
            QCOMPARE(main->lblLogged->text(), row.caption);
            QCOMPARE(!main->lblLogged->isHidden(), row.visible);
        }
    }

    void theClocksShowUtcAndLocalTime()
    {
        const ScopedClock clock(QDateTime(QDate(2026, 3, 4), QTime(17, 6), QTimeZone(3600)));
        TestProgram program;
        frmMain *main = program.startWith({beacon("ABC")});
        QVERIFY(main);

        QCOMPARE(main->lblUTC->text(), "UTC 2026-03-04  16:06");
        QCOMPARE(main->lblLocal->text(), "Local 2026-03-04   05:06 PM");
        QVERIFY(main->tmrTimeDate->isActive());
        QCOMPARE(main->tmrTimeDate->interval(), 10000);

        // The about box has four lines.
        program.boxes.shown.clear();

        main->mnuAbout_Click();

        QCOMPARE(program.boxes.shown.size(), 1);
        QCOMPARE(program.boxes.shown[0].title, "About...");
        QCOMPARE(program.boxes.shown[0].text.count(QLatin1Char('\r')), 4);
        QVERIFY(program.boxes.shown[0].text.contains("6.2"));
    }

    void exitAndClosingTheWindowEndTheProgram_data() { closingRows(); }
    void exitAndClosingTheWindowEndTheProgram()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        frmMain *main = program.startWith({beacon("ABC")});
        QVERIFY(main);
        program.windows->location()->showForm();
        QVERIFY(program.windows->location()->isVisible());

        closeWindow(main, main->cmdExit, byTitleBar);

        QVERIFY(program.windows->hasEnded());
        QCOMPARE(program.windows->exitCode(), 0);
        QVERIFY(!program.windows->location()->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
