// The settings in the windows: the loader filling the preferences, radar and report
// windows, "Set as default", the radar's "Save as Default", the port list, and how
// each of these windows hands control back to the main window.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

#include "preferences/frmLocation.h"
#include "radar/frmDistanceCircle.h"
#include "reports/frmListeningReports.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

QByteArray stored(TestProgram &program, const char *key, const char *name)
{
    return RegistryStore(program.settingsPath()).GetRegistryValue(key, name);
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private slots:
    void theLoaderFillsThePreferencesWindow()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", "True");
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryNumber, "DistanceFilter", "150");
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryNumber, "ShowRivers", "1");
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "DXLoggerSignature", "XYZ");
        {
            RegistryStore preset(program.settingsPath());
            QVERIFY(preset.DeleteRegistryValue(RegistryKeys::ListeningLocations, "Location(5)"));
        }
        program.startToMain();
        frmLocation *preferences = program.windows->location();

        QCOMPARE(preferences->cmbListeningLocation->count(), 16);
        QCOMPARE(preferences->cmbListeningLocation->itemText(0), QStringLiteral("Location 1"));
        QCOMPARE(preferences->cmbListeningLocation->itemText(5), QStringLiteral("Empty"));
        QVERIFY(preferences->optMetric->isChecked());
        QVERIFY(!preferences->optImperial->isChecked());
        QCOMPARE(preferences->txtDistanceFilter->text(), QStringLiteral("150"));
        QCOMPARE(program.state.DistanceFilterValue, 150);
        QVERIFY(preferences->chkRivers->isChecked());
        QVERIFY(!preferences->chkLakes->isChecked());
        QCOMPARE(preferences->HScroll2->value(), 1);
        QCOMPARE(preferences->txtDXLogger->text(), QStringLiteral("XYZ"));
        QCOMPARE(program.state.LocationLon[15], QByteArray("08000000W"));
        QCOMPARE(program.state.LocationLocator, QByteArray("FN03aa"));
        QVERIFY(!preferences->isVisible());
    }

    void metricOtherThanTrueSelectsMiles_data()
    {
        QTest::addColumn<QByteArray>("metric");
        QTest::newRow("lower case") << QByteArray("true");
        QTest::newRow("False") << QByteArray("False");
    }
    void metricOtherThanTrueSelectsMiles()
    {
        QFETCH(QByteArray, metric);
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", metric);
        program.startToMain();
        QVERIFY(program.windows->location()->optImperial->isChecked());
        QVERIFY(!program.windows->location()->optMetric->isChecked());
    }

    void aLocationIndexOutOfRangeIsReportedAndKept()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.presetSetting(RegistryKeys::ListeningLocations, kRegistryNumber, "ListeningLocation", "20");
        frmMain *main = program.startToMain();
        QVERIFY(main);

        QVERIFY(program.boxes.texts().contains(QStringLiteral("Subscript out of range")));
        const qsizetype at = program.boxes.texts().indexOf(QStringLiteral("Subscript out of range"));
        QCOMPARE(program.boxes.shown[at].title, QStringLiteral("QERN"));
        QCOMPARE(program.state.CurrentLocationIndex, 0);
        QCOMPARE(main->windowTitle(), QStringLiteral("QERN v6.2 - Location 1"));
    }

    void thePortsFoundFillThePortList_data()
    {
        QTest::addColumn<QStringList>("ports");
        QTest::newRow("none") << QStringList();
        QTest::newRow("two") << QStringList{QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0")};
        QTest::newRow("five") << QStringList{QStringLiteral("ttyS0"), QStringLiteral("ttyS1"), QStringLiteral("ttyS2"),
                                             QStringLiteral("ttyS3"), QStringLiteral("ttyUSB0")};
    }
    void thePortsFoundFillThePortList()
    {
        QFETCH(QStringList, ports);
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.ports = ports;
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmLocation *preferences = program.windows->location();
        const int offered = static_cast<int>(std::min<qsizetype>(ports.size(), 4));

        // Saving loads again: every port is still listed once.
        preferences->cmdExit_Click();

        QCOMPARE(preferences->cmbPort->count(), offered);
        for (int i = 0; i < offered; ++i)
            QCOMPARE(preferences->cmbPort->itemText(i), QString::number(i + 1));
        QCOMPARE(program.state.GpsPortFound, offered > 0);
        QCOMPARE(preferences->tabPreferences1->isTabEnabled(2), offered > 0);
        QCOMPARE(preferences->tabPreferences1->tabText(2), QStringLiteral("GPS Setup"));
        QCOMPARE(main->commands().isArmed(main->mnuDynamic), offered > 0);
        if (offered > 0) {
            QCOMPARE(preferences->cmbPort->currentIndex(), 0);
            QCOMPARE(preferences->lblPortName->text(), ports[0]);
            QCOMPARE(preferences->cmbSpeed->count(), 7);
            QCOMPARE(preferences->cmbParity->itemText(3), QStringLiteral("N,8,1"));
        }
    }

    void setAsDefaultStoresTheWindowAndLoadsItAgain()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        main->mnuPreferences_Click();
        frmLocation *preferences = program.windows->location();
        QVERIFY(preferences->isVisible());

        preferences->cmbListeningLocation->setCurrentIndex(3);
        preferences->cmbListeningLocation_Click(3);
        preferences->cmbListeningLocation->setEditText(QStringLiteral("Home"));
        preferences->txtLatitude->setText(QStringLiteral("451500N"));
        preferences->txtLongitude->setText(QStringLiteral("0753000W"));
        preferences->txtDistanceFilter->setText(QStringLiteral("151.5"));
        preferences->txtDXLogger->setText(QStringLiteral("ABC1"));
        preferences->optMetric->setChecked(true);
        preferences->chkIslands->setChecked(true);
        preferences->LocatorCalculate();
        QVERIFY(preferences->cmdExit->isEnabled());

        QTest::mouseClick(preferences->cmdExit, Qt::LeftButton);

        QCOMPARE(stored(program, RegistryKeys::ListeningLocations, "Location(3)"), QByteArray("Home"));
        QCOMPARE(stored(program, RegistryKeys::ListeningLocations, "Lat(3)"), QByteArray("451500N"));
        QCOMPARE(stored(program, RegistryKeys::ListeningLocations, "Lon(3)"), QByteArray("0753000W"));
        QCOMPARE(stored(program, RegistryKeys::ListeningLocations, "ListeningLocation"), QByteArray("3"));
        QCOMPARE(stored(program, RegistryKeys::ProgramPreferences, "DistanceFilter"), QByteArray("152"));
        QCOMPARE(stored(program, RegistryKeys::ProgramPreferences, "DXLoggerSignature"), QByteArray("ABC1"));
        QCOMPARE(stored(program, RegistryKeys::ProgramPreferences, "Metric"), QByteArray("True"));
        QCOMPARE(stored(program, RegistryKeys::ProgramPreferences, "ShowIslands"), QByteArray("1"));
        QCOMPARE(stored(program, RegistryKeys::ProgramPreferences, "DistanceFilterEnable"), QByteArray(" 0"));
        // The list was refilled and the location selected again.
        QCOMPARE(preferences->cmbListeningLocation->count(), 16);
        QCOMPARE(preferences->cmbListeningLocation->currentIndex(), 3);
        QCOMPARE(preferences->cmbListeningLocation->currentText(), QStringLiteral("Home"));
        QCOMPARE(program.state.CurrentLocationIndex, 3);
        QCOMPARE(preferences->txtDistanceFilter->text(), QStringLiteral("152"));
        QVERIFY(preferences->isVisible());

        preferences->close(); // the title bar does what "Exit" does
        QVERIFY(!preferences->isVisible());
        QVERIFY(main->isEnabled());
        QCOMPARE(main->windowTitle(), QStringLiteral("QERN v6.2 - Home"));
    }

    void typedCoordinatesWorkOutTheLocatorAndNearestStation()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.startToMain();
        frmLocation *preferences = program.windows->location();
        preferences->showForm();

        preferences->txtLatitude->clear();
        QTest::keyClicks(preferences->txtLatitude, QStringLiteral("430000N"));
        preferences->txtLongitude->clear();
        QTest::keyClicks(preferences->txtLongitude, QStringLiteral("0800000W"));

        QCOMPARE(preferences->txtLocator->text(), QStringLiteral("FN03aa"));
        QVERIFY(!preferences->lblClosestMetar->text().isEmpty());
        QVERIFY(preferences->cmdExit->isEnabled());
    }

    void incompleteOrWrongCoordinatesCannotBeSet_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<QString>("longitude");
        QTest::newRow("incomplete") << QStringLiteral("4300") << QStringLiteral("0800000W");
        QTest::newRow("minutes past 59") << QStringLiteral("436000N") << QStringLiteral("0800000W");
        QTest::newRow("wrong letter") << QStringLiteral("430000N") << QStringLiteral("0800000N");
        QTest::newRow("beyond the pole") << QStringLiteral("910000N") << QStringLiteral("0800000W");
    }
    void incompleteOrWrongCoordinatesCannotBeSet()
    {
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.startToMain();
        frmLocation *preferences = program.windows->location();
        preferences->showForm();

        preferences->txtLatitude->setText(latitude);
        preferences->txtLongitude->setText(longitude);
        preferences->LocatorCalculate();

        QVERIFY(!preferences->cmdExit->isEnabled());
        QCOMPARE(preferences->txtLocator->text(), QString());
        QCOMPARE(preferences->lblClosestMetar->text(), QString());
    }

    void theRadarWindowHoldsItsSettingsAndSavesThem()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmDistanceCircle *radar = program.windows->distanceCircle();
        QVERIFY(radar->chkLakes->isChecked());
        QVERIFY(radar->chkShowNavtex->isChecked());
        QVERIFY(!radar->chkShowAll->isChecked());
        QCOMPARE(radar->HSDetail->value(), 1);
        QVERIFY(radar->txtBeaconRadar->text().endsWith(QStringLiteral("/radar.txt")));

        main->mnuDistanceCircle_Click();
        QVERIFY(radar->isVisible());
        QVERIFY(!main->isEnabled());
        QVERIFY(!radar->cmdDrawRadar->isEnabled());
        radar->chkRivers->setChecked(true);
        radar->chkLakes->setChecked(false);
        radar->HSDetail->setValue(4);
        radar->txtBeaconRadar->setText(QStringLiteral("/tmp/beacons/radar list.txt"));
        QTest::mouseClick(radar->cmdSavePrefs, Qt::LeftButton);

        QCOMPARE(stored(program, RegistryKeys::RadarPreferences, "RadarRivers"), QByteArray("1"));
        QCOMPARE(stored(program, RegistryKeys::RadarPreferences, "RadarLakes"), QByteArray("0"));
        QCOMPARE(stored(program, RegistryKeys::RadarPreferences, "RadarDetail"), QByteArray("4"));
        QCOMPARE(stored(program, RegistryKeys::RadarPreferences, "RadarNavtex"), QByteArray("1"));
        QCOMPARE(stored(program, RegistryKeys::FilePath, "BeaconRadarPath"),
                 QByteArray("/tmp/beacons/radar list.txt"));

        QTest::mouseClick(radar->cmdExit, Qt::LeftButton);
        QVERIFY(!radar->isVisible());
        QVERIFY(main->isEnabled());
    }

    void theReportWindowListsTheLocations()
    {
        TestProgram program;
        program.writeBeacons({Beacon()});
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "ListeningReportDefaultLocation",
                              " 4");
        {
            RegistryStore preset(program.settingsPath());
            QVERIFY(preset.DeleteRegistryValue(RegistryKeys::ListeningLocations, "Location(7)"));
        }
        frmMain *main = program.startToMain();
        QVERIFY(main);
        frmListeningReports *reports = program.windows->listeningReports();
        QCOMPARE(reports->cmbListeningLocation->count(), 0);

        main->cmdListeningReports_Click();

        QVERIFY(!main->isEnabled());
        QCOMPARE(reports->cmbListeningLocation->count(), 16);
        QCOMPARE(reports->cmbListeningLocation->itemText(7), QStringLiteral("Empty"));
        QCOMPARE(reports->cmbListeningLocation->itemText(8), QStringLiteral("Location 9"));
        QCOMPARE(reports->cmbListeningLocation->currentIndex(), 4);
        QVERIFY(reports->cmdCreate->isEnabled());

        // Activated again: the list is filled afresh, not doubled.
        reports->cmdExit_Click();
        QVERIFY(main->isEnabled());
        main->cmdListeningReports_Click();
        QCOMPARE(reports->cmbListeningLocation->count(), 16);
        reports->close();
        QVERIFY(main->isEnabled());
        QVERIFY(!program.windows->hasEnded());
    }
};

QTEST_MAIN(PreferencesTest)
#include "tst_preferences.moc"
