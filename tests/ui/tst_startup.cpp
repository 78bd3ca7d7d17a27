// The start-up window and the main window's load: first run, the data checks, the
// folders and logbooks, placing the main window.

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

const QString kWelcome = QStringLiteral("Welcome to QERN. Please set your preferences in the Preferences menu.");
const QString kDataMissing = QStringLiteral("Country, State/Province and Region data missing.");
const QString kMapsMissing =
    QStringLiteral("Map components missing. Your mapping options may be severely restricted.");

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartGreetsAndWritesDefaults()
    {
        TestProgram program(TestProgram::FirstRun);
        program.writeBeacons({Beacon()});
        program.start();

        QCOMPARE(program.boxes.summary(), "Welcome: " + kWelcome);
        QVERIFY(program.store->baseKeyExists());
        QCOMPARE(program.store->GetRegistryValue(RegistryKeys::ListeningLocations, "Lon(15)"), "08000000W");
        QCOMPARE(program.store->GetRegistryValue(RegistryKeys::RadarPreferences, "RadarNavtex"), "1");
        QVERIFY(program.state.UserName.isEmpty());
        QVERIFY(program.state.UserCallSign.isEmpty());
        QVERIFY(QFile::exists(program.settingsPath()));
    }

    void secondStartReadsTheUserAndDoesNotGreet()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.presetSetting(RegistryKeys::UserInfo, kRegistryString, "Call Sign", "VE3XYZ");
        program.start();

        QVERIFY(!program.boxes.texts().contains(kWelcome));
        QCOMPARE(program.state.UserName, QByteArray(kDefaultUserName));
        QCOMPARE(program.state.UserCallSign, "VE3XYZ");
    }

    void unreadableSettingsAreReportedAndNotOverwritten()
    {
        TestProgram program(TestProgram::FirstRun);
        program.writeBeacons({Beacon()});
        const QByteArray garbage = "this is not a settings file\n[unterminated\n";
        {
            QFile f(program.settingsPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(garbage);
        }
        program.start();

        QVERIFY(!program.boxes.texts().contains(kWelcome));
        QVERIFY(!program.boxes.shown.isEmpty());
        QCOMPARE(program.boxes.shown[0].title, "Error");
        QVERIFY(program.boxes.shown[0].text.startsWith("Error # "));
        // The message names the way out.
        QVERIFY(program.boxes.shown[0].text.endsWith(QLatin1String(kDamagedSettingsWayOut)));
        QFile f(program.settingsPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), garbage);
    }

    void aMissingTableEndsTheProgramWithLoadError_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reportedFirst");
        QTest::newRow("region.dat") << "region.dat" << QString();
        QTest::newRow("State.dat") << "State.dat" << "State, Province lookup table missing.";
    }
    void aMissingTableEndsTheProgramWithLoadError()
    {
        QFETCH(QString, file);
        QFETCH(QString, reportedFirst);
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.remove(file);
        program.start();

        QVERIFY(program.windows->hasEnded());
        QCOMPARE(program.windows->exitCode(), 1);
        QCOMPARE(program.boxes.shown.last().text, kDataMissing);
        QCOMPARE(program.boxes.shown.last().title, "Load Error");
        if (!reportedFirst.isEmpty())
            QVERIFY(program.boxes.texts().contains(reportedFirst));
        // The map check does not run after the data check failed.
        QVERIFY(!program.boxes.texts().contains(kMapsMissing));
        QVERIFY(!program.windows->splash()->cmdContinue->isEnabled());
    }

    void missingMapFileWarnsOnceAndTheProgramGoesOn()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.remove("maps/river.pnt");
        frmMain *main = program.startToMain();

        QVERIFY(main);
        QCOMPARE(program.boxes.texts().count(kMapsMissing), 1);
        QVERIFY(program.boxes.summary().contains("Load Error: " + kMapsMissing));
        QVERIFY(main->isVisible());
        QVERIFY(!program.windows->hasEnded());
    }

    void foldersAndEmptyLogbooksAreCreatedAndExistingOnesKept()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        const QByteArray entry = logEntry("ABC", "338", "1200", "20260101");
        program.write("LOGS/log3.dat", entry);
        program.start();

        QVERIFY(QFileInfo(program.path("AutoBackups")).isDir());
        // The existing "LOGS" serves as the logs folder: no second one is made.
        QVERIFY(!program.exists("Logs") ||
                QFileInfo(program.path("Logs")).canonicalFilePath() ==
                    QFileInfo(program.path("LOGS")).canonicalFilePath());
        for (int n = 0; n < 16; ++n) {
            const QFileInfo logbook(program.path(QStringLiteral("LOGS/log%1.dat").arg(n)));
            QVERIFY2(logbook.isFile(), qPrintable(logbook.filePath()));
            QCOMPARE(logbook.size(), n == 3 ? qint64(entry.size()) : qint64(0));
        }
    }

    void continueWaitsForTheCountAndThenPlacesTheMainWindow()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.store = std::make_unique<RegistryStore>(program.settingsPath());
        program.windows = std::make_unique<WindowSet>(program.state, *program.store);
        frmSplash *splash = program.windows->splash();
        QVERIFY(!splash->cmdContinue->isEnabled());
        QVERIFY(!program.windows->isMainLoaded());

        splash->showForm();
        QVERIFY(splash->cmdContinue->isEnabled());
        QVERIFY(splash->lblChecking->text().isEmpty());
        // The settings loader created the main window, hidden.
        QVERIFY(program.windows->isMainLoaded());
        frmMain *main = program.windows->main();
        QVERIFY(!main->isVisible());

        splash->cmdContinue_Click();
        QVERIFY(main->isVisible());
        QVERIFY(!program.windows->isSplashLoaded());
        QCOMPARE(main->height(), 333);
        const QRect screen = main->screen()->geometry();
        const QRect frame = main->frameGeometry();
        // The frame's own size is known only once the window is shown: a pixel either way.
        QVERIFY(qAbs(frame.top() - screen.top() - (screen.height() - frame.height()) / 5.0) <= 1.0);
        QVERIFY(qAbs(frame.left() - screen.left() - (screen.width() - frame.width()) / 2.0) <= 2.0);
    }

    void activationRunsOnce()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.start();
        const qsizetype shownAfterStart = program.boxes.shown.size();
        // A second activation would probe, load and count again.
        program.remove("ndb.dat");
        program.windows->splash()->Form_Activate();
        QCOMPARE(program.boxes.shown.size(), shownAfterStart);
    }

    void missingDatabaseIsReportedAtStartUp()
    {
        TestProgram program;
        program.start();
        QVERIFY(program.boxes.summary().contains(
            "Missing Database: NDB Database not found. Try restoring from a backup."));
        QVERIFY(!program.exists("ndb.dat"));
        QVERIFY(program.windows->splash()->cmdContinue->isEnabled());
    }

    void closingTheStartUpWindowAfterTheCountEndsTheProgram()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.start();
        program.windows->splash()->close();
        QVERIFY(program.windows->hasEnded());
        QCOMPARE(program.windows->exitCode(), 0);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
