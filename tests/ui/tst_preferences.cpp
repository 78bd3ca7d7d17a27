// The settings in the windows: the loader filling the preferences, radar and report
// windows, "Set as default", the radar's "Save as Default", the port list, and how
// each of these windows hands control back to the main window.

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabWidget>

#include "preferences/frmLocation.h"
#include "radar/frmDistanceCircle.h"
#include "reports/frmListeningReports.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

constexpr const char *kLocations = RegistryKeys::ListeningLocations;
constexpr const char *kProgram = RegistryKeys::ProgramPreferences;

enum class Towards { Less, More };

// The centre of a scroll bar's part, in the bar.
QPoint centreOf(QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    const QRect rect = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
    return rect.isEmpty() ? QPoint(-1, -1) : rect.center();
}

// Of a bar's two arrows (or its two trough sides), the one on the side of the label
// that reads "More" or "Less".
QStyle::SubControl sideOf(QScrollBar *bar, Towards towards, QStyle::SubControl arrowOrPage)
{
    const bool arrow = arrowOrPage == QStyle::SC_ScrollBarAddLine || arrowOrPage == QStyle::SC_ScrollBarSubLine;
    const QStyle::SubControl add = arrow ? QStyle::SC_ScrollBarAddLine : QStyle::SC_ScrollBarAddPage;
    const QStyle::SubControl sub = arrow ? QStyle::SC_ScrollBarSubLine : QStyle::SC_ScrollBarSubPage;
    QLabel *more = nullptr;
    for (QLabel *label : bar->parentWidget()->findChildren<QLabel *>()) {
        if (label->text() == QLatin1String("More"))
            more = label;
    }
    Q_ASSERT(more);
    const int moreX = more->mapTo(bar->window(), more->rect().center()).x();
    auto distance = [&](QStyle::SubControl part) {
        return std::abs(bar->mapTo(bar->window(), centreOf(bar, part)).x() - moreX);
    };
    const QStyle::SubControl nearMore = distance(add) < distance(sub) ? add : sub;
    return towards == Towards::More ? nearMore : (nearMore == add ? sub : add);
}

void clickDetail(QScrollBar *bar, Towards towards, QStyle::SubControl arrowOrPage)
{
    const QPoint at = centreOf(bar, sideOf(bar, towards, arrowOrPage));
    QVERIFY2(at.x() >= 0, "the part to click is not shown");
    QTest::mouseClick(bar, Qt::LeftButton, {}, at);
}

// The slider pulled all the way to the end of the bar beside "More" or "Less".
void dragDetail(QScrollBar *bar, Towards towards)
{
    const QPoint from = centreOf(bar, QStyle::SC_ScrollBarSlider);
    const QPoint end = centreOf(bar, sideOf(bar, towards, QStyle::SC_ScrollBarAddLine));
    QTest::mousePress(bar, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(bar, from + (end - from) * step / 4);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, end);
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private slots:
    // Metric only for a stored "True": any other value selects miles.
    void theLoaderFillsThePreferencesWindow_data()
    {
        QTest::addColumn<QByteArray>("metric");
        QTest::newRow("True") << QByteArray("True");
        QTest::newRow("lower case") << QByteArray("true");
        QTest::newRow("False") << QByteArray("False");
    }
    void theLoaderFillsThePreferencesWindow()
    {
        QFETCH(QByteArray, metric);
        TestProgram program;
        program.presetSetting(kProgram, kRegistryString, "Metric", metric);
        program.presetSetting(kProgram, kRegistryNumber, "DistanceFilter", "150");
        program.presetSetting(kProgram, kRegistryNumber, "ShowRivers", "1");
        program.presetSetting(kProgram, kRegistryString, "DXLoggerSignature", "XYZ");
        program.presetRemoved(kLocations, "Location(5)");
        QVERIFY(program.startWith({Beacon()}));
        frmLocation *preferences = program.windows->location();

        QCOMPARE(preferences->cmbListeningLocation->count(), 16);
        QCOMPARE(preferences->cmbListeningLocation->itemText(0), "Location 1");
        QCOMPARE(preferences->cmbListeningLocation->itemText(5), "Empty");
        QCOMPARE(preferences->optMetric->isChecked(), metric == "True");
        QCOMPARE(preferences->optImperial->isChecked(), metric != "True");
        QCOMPARE(preferences->txtDistanceFilter->text(), "150");
        QCOMPARE(program.state.DistanceFilterValue, 150);
        QVERIFY(preferences->chkRivers->isChecked());
        QVERIFY(!preferences->chkLakes->isChecked());
        QCOMPARE(detailValue(preferences->HScroll2), 1);
        QCOMPARE(preferences->txtDXLogger->text(), "XYZ");
        QCOMPARE(program.state.LocationLon[15], "08000000W");
        QCOMPARE(program.state.LocationLocator, "FN03aa");
        QVERIFY(!preferences->isVisible());
    }

    void aLocationIndexOutOfRangeIsReportedAndKept()
    {
        TestProgram program;
        program.presetSetting(kLocations, kRegistryNumber, "ListeningLocation", "20");
        frmMain *main = program.startWith({Beacon()});
        QVERIFY(main);

        QVERIFY(program.boxes.summary().contains("QERN: Subscript out of range"));
        QCOMPARE(program.state.CurrentLocationIndex, 0);
        QCOMPARE(main->windowTitle(), "QERN v6.2 - Location 1");
    }

    void thePortsFoundFillThePortList_data()
    {
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<int>("offered");
        QTest::newRow("none") << QStringList() << 0;
        QTest::newRow("two") << QStringList{"ttyS0", "ttyUSB0"} << 2;
        QTest::newRow("five: four numbers") << QStringList{"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyUSB0"} << 4;
    }
    void thePortsFoundFillThePortList()
    {
        QFETCH(QStringList, ports);
        QFETCH(int, offered);
        TestProgram program;
        program.ports = ports;
        frmMain *main = program.startWith({Beacon()});
        QVERIFY(main);
        frmLocation *preferences = program.windows->location();

        // Saving loads again: every port is still listed once.
        preferences->cmdExit_Click();

        QCOMPARE(preferences->cmbPort->count(), offered);
        for (int i = 0; i < offered; ++i)
            QCOMPARE(preferences->cmbPort->itemText(i), QString::number(i + 1));
        QCOMPARE(program.state.GpsPortFound, offered > 0);
        QCOMPARE(preferences->tabPreferences1->isTabEnabled(2), offered > 0);
        QCOMPARE(preferences->tabPreferences1->tabText(2), "GPS Setup");
        QCOMPARE(main->commands().isArmed(main->mnuDynamic), offered > 0);
        if (offered > 0) {
            QCOMPARE(preferences->cmbPort->currentIndex(), 0);
            QCOMPARE(preferences->lblPortName->text(), ports[0]);
            QCOMPARE(preferences->cmbSpeed->count(), 7);
            QCOMPARE(preferences->cmbParity->itemText(3), "N,8,1");
        }
    }

    void setAsDefaultStoresTheWindowAndLoadsItAgain()
    {
        TestProgram program;
        frmMain *main = program.startWith({Beacon()});
        QVERIFY(main);
        main->mnuPreferences_Click();
        frmLocation *preferences = program.windows->location();
        QVERIFY(preferences->isVisible());

        preferences->cmbListeningLocation->setCurrentIndex(3);
        preferences->cmbListeningLocation_Click(3);
        preferences->cmbListeningLocation->setEditText("Home");
        preferences->txtLatitude->setText("451500N");
        preferences->txtLongitude->setText("0753000W");
        preferences->txtDistanceFilter->setText("151.5");
        preferences->txtDXLogger->setText("ABC1");
        preferences->optMetric->setChecked(true);
        preferences->chkIslands->setChecked(true);
        preferences->LocatorCalculate();
        QVERIFY(preferences->cmdExit->isEnabled());

        QTest::mouseClick(preferences->cmdExit, Qt::LeftButton);

        const QList<QByteArray> stored = {
            program.stored(kLocations, "Location(3)"),     program.stored(kLocations, "Lat(3)"),
            program.stored(kLocations, "Lon(3)"),          program.stored(kLocations, "ListeningLocation"),
            program.stored(kProgram, "DistanceFilter"),    program.stored(kProgram, "DXLoggerSignature"),
            program.stored(kProgram, "Metric"),            program.stored(kProgram, "ShowIslands"),
            program.stored(kProgram, "DistanceFilterEnable")};
        QCOMPARE(stored, QList<QByteArray>({"Home", "451500N", "0753000W", "3", "152", "ABC1", "True", "1", " 0"}));
        // The list was refilled and the location selected again.
        QCOMPARE(preferences->cmbListeningLocation->count(), 16);
        QCOMPARE(preferences->cmbListeningLocation->currentIndex(), 3);
        QCOMPARE(preferences->cmbListeningLocation->currentText(), "Home");
        QCOMPARE(program.state.CurrentLocationIndex, 3);
        QCOMPARE(preferences->txtDistanceFilter->text(), "152");
        QVERIFY(preferences->isVisible());

        preferences->close(); // the title bar does what "Exit" does
        QVERIFY(!preferences->isVisible());
        QVERIFY(main->isEnabled());
        QCOMPARE(main->windowTitle(), "QERN v6.2 - Home");
    }

    void typedCoordinatesWorkOutTheLocatorAndNearestStation_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<QString>("longitude");
        QTest::addColumn<QString>("locator"); // empty: the coordinates cannot be set
        QTest::newRow("valid") << "430000N" << "0800000W" << "FN03aa";
        QTest::newRow("incomplete") << "4300" << "0800000W" << "";
        QTest::newRow("minutes past 59") << "436000N" << "0800000W" << "";
        QTest::newRow("wrong letter") << "430000N" << "0800000N" << "";
        QTest::newRow("beyond the pole") << "910000N" << "0800000W" << "";
    }
    void typedCoordinatesWorkOutTheLocatorAndNearestStation()
    {
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        QFETCH(QString, locator);
        TestProgram program;
        QVERIFY(program.startWith({Beacon()}));
        frmLocation *preferences = program.windows->location();
        preferences->showForm();

        preferences->txtLatitude->clear();
        QTest::keyClicks(preferences->txtLatitude, latitude);
        preferences->txtLongitude->clear();
        QTest::keyClicks(preferences->txtLongitude, longitude);

        QCOMPARE(preferences->txtLatitude->text(), latitude);
        QCOMPARE(preferences->txtLongitude->text(), longitude);
        QCOMPARE(preferences->txtLocator->text(), locator);
        QCOMPARE(preferences->lblClosestMetar->text().isEmpty(), locator.isEmpty());
        QCOMPARE(preferences->cmdExit->isEnabled(), !locator.isEmpty());
    }

    void theRadarWindowHoldsItsSettingsAndSavesThem()
    {
        TestProgram program;
        frmMain *main = program.startWith({Beacon()});
        QVERIFY(main);
        frmDistanceCircle *radar = program.windows->distanceCircle();
        QVERIFY(radar->chkLakes->isChecked());
        QVERIFY(radar->chkShowNavtex->isChecked());
        QVERIFY(!radar->chkShowAll->isChecked());
        QCOMPARE(detailValue(radar->HSDetail), 1);
        QVERIFY(radar->txtBeaconRadar->text().endsWith("/radar.txt"));

        main->mnuDistanceCircle_Click();
        QVERIFY(radar->isVisible());
        QVERIFY(!main->isEnabled());
        radar->chkRivers->setChecked(true);
        radar->chkLakes->setChecked(false);
        for (int less = 0; less < 3; ++less)
            clickDetail(radar->HSDetail, Towards::Less, QStyle::SC_ScrollBarSubLine);
        radar->txtBeaconRadar->setText("/tmp/beacons/radar list.txt");
        QTest::mouseClick(radar->cmdSavePrefs, Qt::LeftButton);

        const char *key = RegistryKeys::RadarPreferences;
        QCOMPARE((QList<QByteArray>{program.stored(key, "RadarRivers"), program.stored(key, "RadarLakes"),
                                    program.stored(key, "RadarDetail"), program.stored(key, "RadarNavtex"),
                                    program.stored(RegistryKeys::FilePath, "BeaconRadarPath")}),
                 (QList<QByteArray>{"1", "0", "4", "1", "/tmp/beacons/radar list.txt"}));

        QTest::mouseClick(radar->cmdExit, Qt::LeftButton);
        QVERIFY(!radar->isVisible());
        QVERIFY(main->isEnabled());
    }

    // Pasted text the settings file cannot hold is refused, not stored as "?".
    void textTheSettingsCannotHoldIsRefused_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("location name") << "cmbListeningLocation"
                                       << "The location name holds a character that cannot be stored.";
        QTest::newRow("logger signature") << "txtDXLogger"
                                          << "The DX logger signature holds a character that cannot be stored.";
        QTest::newRow("radar path") << "txtBeaconRadar" << "The file name holds characters that cannot be stored.";
    }
    void textTheSettingsCannotHoldIsRefused()
    {
        QFETCH(QString, box);
        QFETCH(QString, refusal);
        TestProgram program;
        frmMain *main = program.startWith({Beacon()});
        QVERIFY(main);
        const bool radarPath = box == "txtBeaconRadar";
        QWidget *window = radarPath ? static_cast<QWidget *>(program.windows->distanceCircle())
                                    : static_cast<QWidget *>(program.windows->location());
        if (radarPath)
            main->mnuDistanceCircle_Click();
        else
            main->mnuPreferences_Click();
        QVERIFY(window->isVisible());
        auto *target = window->findChild<QWidget *>(box);
        QVERIFY(target);
        auto *edit = qobject_cast<QComboBox *>(target) ? qobject_cast<QComboBox *>(target)->lineEdit()
                                                        : qobject_cast<QLineEdit *>(target);
        QVERIFY(edit);
        const QByteArray before = program.settingsFile();
        program.boxes.shown.clear();

        pasteInto(edit, QStringLiteral("Caf\u00e9 \u2713 \u5317"));
        QCOMPARE(edit->text(), QStringLiteral("Caf\u00e9 \u2713 \u5317"));
        QTest::mouseClick(window->findChild<QPushButton *>(radarPath ? "cmdSavePrefs" : "cmdExit"), Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "Error: " + refusal);
        QCOMPARE(program.settingsFile(), before);
        QVERIFY(window->isVisible());
    }

    // The stored detail keeps its meaning (an outline point is drawn when its level is
    // above it), so the side that reads "More" lowers it.
    void theDetailBarsGiveMoreDetailOnTheSideThatSaysMore_data()
    {
        QTest::addColumn<bool>("radar");
        QTest::addColumn<int>("gesture"); // an arrow, a page or a drag
        QTest::addColumn<bool>("towardsMore");
        QTest::addColumn<QByteArray>("stored");
        for (bool radar : {false, true}) {
            const char *bar = radar ? "radar" : "preferences";
            QTest::addRow("%s, arrow beside More", bar) << radar << int(QStyle::SC_ScrollBarAddLine) << true << QByteArray("0");
            QTest::addRow("%s, arrow beside Less", bar) << radar << int(QStyle::SC_ScrollBarAddLine) << false << QByteArray("2");
            QTest::addRow("%s, page towards More", bar) << radar << int(QStyle::SC_ScrollBarAddPage) << true << QByteArray("0");
            QTest::addRow("%s, page towards Less", bar) << radar << int(QStyle::SC_ScrollBarAddPage) << false << QByteArray("2");
            QTest::addRow("%s, dragged to More", bar) << radar << int(QStyle::SC_ScrollBarSlider) << true << QByteArray("0");
            QTest::addRow("%s, dragged to Less", bar) << radar << int(QStyle::SC_ScrollBarSlider) << false << QByteArray("10");
        }
    }
    void theDetailBarsGiveMoreDetailOnTheSideThatSaysMore()
    {
        QFETCH(bool, radar);
        QFETCH(int, gesture);
        QFETCH(bool, towardsMore);
        QFETCH(QByteArray, stored);
        TestProgram program;
        frmMain *main = program.startWith({Beacon()});
        QVERIFY(main);
        frmLocation *preferences = program.windows->location();
        frmDistanceCircle *radarWindow = program.windows->distanceCircle();
        if (radar) {
            main->mnuDistanceCircle->trigger();
        } else {
            main->mnuPreferences->trigger();
            preferences->tabPreferences1->setCurrentIndex(1);
        }
        QScrollBar *bar = radar ? radarWindow->HSDetail : preferences->HScroll2;
        QVERIFY(bar->isVisible());
        QCOMPARE(detailValue(bar), 1); // the first-run default

        const Towards towards = towardsMore ? Towards::More : Towards::Less;
        if (gesture == QStyle::SC_ScrollBarSlider)
            dragDetail(bar, towards);
        else
            clickDetail(bar, towards, QStyle::SubControl(gesture));
        QTest::mouseClick(radar ? radarWindow->cmdSavePrefs : preferences->cmdExit, Qt::LeftButton);

        QCOMPARE(radar ? program.stored(RegistryKeys::RadarPreferences, "RadarDetail")
                       : program.stored(kProgram, "ShowDetail"),
                 stored);
    }

    void theReportWindowListsTheLocations()
    {
        TestProgram program;
        program.presetSetting(kProgram, kRegistryString, "ListeningReportDefaultLocation", " 4");
        program.presetRemoved(kLocations, "Location(7)");
        frmMain *main = program.startWith({Beacon()});
        QVERIFY(main);
        frmListeningReports *reports = program.windows->listeningReports();
        QCOMPARE(reports->cmbListeningLocation->count(), 0);

        main->cmdListeningReports_Click();

        QVERIFY(!main->isEnabled());
        QCOMPARE(reports->cmbListeningLocation->count(), 16);
        QCOMPARE(reports->cmbListeningLocation->itemText(7), "Empty");
        QCOMPARE(reports->cmbListeningLocation->itemText(8), "Location 9");
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
