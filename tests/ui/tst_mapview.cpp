// The main window's nearby panel, the map view and the help viewer.

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtEndian>

#include "main/MapCanvas.h"
#include "main/frmBrowser.h"
#include "main/frmDisplay.h"
#include "preferences/frmLocation.h"
#include "radar/frmDistanceCircle.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

Beacon beaconAt(const QByteArray &ident, const QByteArray &latitude, const QByteArray &longitude)
{
    Beacon b = beacon(ident);
    b.latitude = latitude;
    b.longitude = longitude;
    return b;
}

// The centre beacon, one at the very same place, one 1' north (about 1.2 miles)
// and one far away with a neighbour of its own.
const Beacon kCentre = beaconAt("ABC", "N45300000", "W075421000");
const Beacon kTwin = beaconAt("TWN", "N45300000", "W075421000");
const Beacon kNear = beaconAt("DEF", "N45310000", "W075421000");
const Beacon kFar = beaconAt("FAR", "N50000000", "W090000000");
const Beacon kNearFar = beaconAt("GHI", "N50010000", "W090000000");

// A line of the nearby list; miles from the listening location, 43 00 00 N 80 00 00 W,
// along the great circle.
QString nearbyLine(const Beacon &b, bool logged, int miles)
{
    return (logged ? QStringLiteral("***") : QStringLiteral("   ")) + QString::fromLatin1(b.ident).leftJustified(8) +
           QStringLiteral("338 kHz  Port Eden, Ontario, Canada ( %1 mi)").arg(miles);
}

// ---- map outline files ----

QByteArray pointBytes(qint16 level, qint16 latMinutes, qint16 lonMinutes)
{
    QByteArray bytes(6, '\0');
    qToLittleEndian<qint16>(level, bytes.data());
    qToLittleEndian<qint16>(latMinutes, bytes.data() + 2);
    qToLittleEndian<qint16>(lonMinutes, bytes.data() + 4);
    return bytes;
}

// A short east-west line at latMinutes from lonFrom to lonTo (minutes of arc).
QByteArray lineBytes(qint16 latMinutes, qint16 lonFrom, qint16 lonTo)
{
    return pointBytes(1001, latMinutes, lonFrom) + pointBytes(5, latMinutes, lonTo);
}

// Every layer gets one short line of its own around the listening location:
// coast to the north, states to the south, rivers to the west, lakes to the east.
// Borders, islands and the overview map are empty.
void writeTestLayers(TestProgram &program)
{
    program.write("maps/coast.pnt", lineBytes(44 * 60, -4830, -4770));
    program.write("maps/state.pnt", lineBytes(42 * 60, -4830, -4770));
    program.write("maps/river.pnt", lineBytes(43 * 60, -4890, -4860));
    program.write("maps/lake.pnt", lineBytes(43 * 60, -4740, -4710));
    for (const char *empty : {"prov.pnt", "country.pnt", "island.pnt", "mapper.pnt"})
        program.write(QStringLiteral("maps/") + QLatin1String(empty), QByteArray());
}

const QRgb kGreenLine = qRgb(0, 192, 0);
const QRgb kTealLine = qRgb(0, 128, 128);
const QRgb kRedMark = qRgb(255, 0, 0);

struct ColourCount {
    int left = 0;
    int right = 0;
    int above = 0;
    int below = 0;
    int total() const { return left + right; }
};

ColourCount countColour(const QImage &image, QRgb colour)
{
    ColourCount count;
    const int cx = image.width() / 2;
    const int cy = image.height() / 2;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF))
                continue;
            (x < cx ? count.left : count.right) += 1;
            (y < cy ? count.above : count.below) += 1;
        }
    }
    return count;
}

frmDisplay *mapIt(TestProgram &program, frmMain *main)
{
    QTest::mouseClick(main->cmdMapIt, Qt::LeftButton);
    return program.windows->isDisplayLoaded() ? program.windows->display() : nullptr;
}

void sendPointer(QWidget *widget, QPointF position)
{
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

const QString kDeg(QChar(0xB0));

} // namespace

class MapViewTest : public QObject {
    Q_OBJECT

private slots:
    // ---- nearby beacons ----

    void nearbyListsTheBeaconsAroundTheOneShownButNeverItsPlace()
    {
        TestProgram program;
        frmMain *main = program.startShowing({kFar, kCentre, kNear, kTwin});
        QVERIFY(main);
        QVERIFY(main->cmdNearby->isEnabled());

        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        QCOMPARE(listTexts(main->lstNearbyBeacons), QStringList{nearbyLine(kNear, false, 275)});
        QCOMPARE(main->lstNearbyBeacons->indexAt(QPoint(2, 2)).data().toString(), nearbyLine(kNear, false, 275));
        QCOMPARE(main->lblSearch->text(), "Search returned 1 beacons.");
        QCOMPARE(main->height(), 494); // 7404 twips
        QVERIFY(main->picBeaconList->isHidden());
        QVERIFY(main->lstNearbyBeacons->isEnabled());
        QVERIFY(main->cmdUpdateNearby->isEnabled());
        QVERIFY(main->lblAlreadyLogged->isHidden());
        QCOMPARE(main->focusWidget(), main->txtIdent);
        QVERIFY(program.boxes.shown.isEmpty());

        // Hide covers the panel and focuses the ident box; Tab no longer reaches the
        // panel's controls below the window's edge.
        main->txtCoverage->setFocus();
        QTest::mouseClick(main->Command1, Qt::LeftButton);
        QCOMPARE(main->height(), 333); // 4992 twips
        QCOMPARE(main->focusWidget(), main->txtIdent);
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(main->focusWidget(), Qt::Key_Tab);
            QVERIFY2(main->focusWidget()->mapTo(main, QPoint(0, 0)).y() < main->height(),
                     qPrintable(main->focusWidget()->objectName()));
        }
    }

    // Two beacons 1' either side of the centre: the same distance from it, not from the
    // listener. The one logged here, at location 0, is marked; the other is logged elsewhere.
    void distancesAreFromTheListeningLocationAndBeaconsLoggedHereAreMarked()
    {
        TestProgram program;
        Beacon east = beaconAt("EAS", "N45300000", "W075411000");
        east.loggedMask = 1;
        Beacon west = beaconAt("WES", "N45300000", "W075431000");
        west.loggedMask = 1u << 4;
        frmMain *main = program.startShowing({kCentre, east, west});
        QVERIFY(main);

        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        QCOMPARE(listTexts(main->lstNearbyBeacons),
                 QStringList({nearbyLine(east, true, 275), nearbyLine(west, false, 273)}));
        QVERIFY(!main->lblAlreadyLogged->isHidden());
        QCOMPARE(main->lblAlreadyLogged->text(), "***  Beacons Already Logged");
    }

    void theProposedRadiusAndCaptionFollowTheUnits_data()
    {
        QTest::addColumn<QByteArray>("metric");
        QTest::addColumn<QString>("radius");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("unit");
        QTest::newRow("miles") << QByteArray("False") << "100" << "Coverage radius from ABC-338 kHz (mi)" << " mi)";
        QTest::newRow("km") << QByteArray("True") << "160" << "Coverage radius from ABC-338 kHz (km)" << " km)";
    }
    void theProposedRadiusAndCaptionFollowTheUnits()
    {
        QFETCH(QByteArray, metric);
        QFETCH(QString, radius);
        QFETCH(QString, caption);
        QFETCH(QString, unit);
        TestProgram program;
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", metric);
        frmMain *main = program.startShowing({kCentre, kNear});
        QVERIFY(main);
        main->txtCoverage->setText("5");

        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        QCOMPARE(main->txtCoverage->text(), radius);
        QCOMPARE(main->lblCoverage->text(), caption);
        QCOMPARE(listTexts(main->lstNearbyBeacons).size(), 1);
        QVERIFY(listTexts(main->lstNearbyBeacons).constFirst().endsWith(unit));
    }

    void updateKeepsTheCentreOfTheLastClick()
    {
        TestProgram program;
        frmMain *main = program.startShowing({kCentre, kNear, kFar, kNearFar});
        QVERIFY(main);
        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        typeAndEnter(main, "FAR");
        QCOMPARE(program.state.ShownIdent, "FAR");
        main->txtCoverage->setText("50");
        QTest::mouseClick(main->cmdUpdateNearby, Qt::LeftButton);

        QCOMPARE(listTexts(main->lstNearbyBeacons), QStringList{nearbyLine(kNear, false, 275)});
        QCOMPARE(main->lblCoverage->text(), "Coverage radius from ABC-338 kHz (mi)");
        QVERIFY(main->cmdUpdateNearby->isEnabled());
    }

    void theRadiusInTheBoxDecidesTheList_data()
    {
        QTest::addColumn<QString>("radius");
        QTest::addColumn<int>("key"); // 0: the Update button
        QTest::addColumn<int>("found");
        QTest::newRow("1 mile, Return") << "1" << int(Qt::Key_Return) << 0;
        QTest::newRow("2 miles, Enter") << "2" << int(Qt::Key_Enter) << 1;
        QTest::newRow("empty, Update") << "" << 0 << 0;
        QTest::newRow("no number, Update") << "far" << 0 << 0;
    }
    void theRadiusInTheBoxDecidesTheList()
    {
        QFETCH(QString, radius);
        QFETCH(int, key);
        QFETCH(int, found);
        TestProgram program;
        frmMain *main = program.startShowing({kCentre, kNear, kTwin});
        QVERIFY(main);
        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);
        QCOMPARE(listTexts(main->lstNearbyBeacons).size(), 1);

        main->txtCoverage->setText(radius);
        if (key)
            QTest::keyClick(main->txtCoverage, Qt::Key(key));
        else
            QTest::mouseClick(main->cmdUpdateNearby, Qt::LeftButton);

        QCOMPARE(main->lblSearch->text(), QStringLiteral("Search returned %1 beacons.").arg(found));
        QCOMPARE(listTexts(main->lstNearbyBeacons).size(), found);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void theRadiusBoxSwallowsOnlyEnter_data()
    {
        QTest::addColumn<int>("keyAscii");
        QTest::addColumn<int>("after");
        QTest::newRow("enter") << 13 << 0;
        QTest::newRow("digit") << int('7') << int('7');
        QTest::newRow("letter") << int('a') << int('a');
    }
    void theRadiusBoxSwallowsOnlyEnter()
    {
        QFETCH(int, keyAscii);
        QFETCH(int, after);
        TestProgram program;
        frmMain *main = program.startShowing({kCentre, kNear});
        QVERIFY(main);
        main->cmdNearby_Click();
        main->txtCoverage->setText("0");

        main->txtCoverage_KeyPress(keyAscii);

        QCOMPARE(keyAscii, after);
        QCOMPARE(listTexts(main->lstNearbyBeacons).size(), after == 0 ? 0 : 1);
    }

    void aMissingDatabaseIsReportedAndThePanelStaysUsable_data() { bothWays("byUpdate", "show nearby", "update"); }
    void aMissingDatabaseIsReportedAndThePanelStaysUsable()
    {
        QFETCH(bool, byUpdate);
        TestProgram program;
        frmMain *main = program.startShowing({kCentre, kNear});
        QVERIFY(main);
        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);
        QCOMPARE(main->lblSearch->text(), "Search returned 1 beacons.");
        program.remove("ndb.dat");

        QTest::mouseClick(byUpdate ? main->cmdUpdateNearby : main->cmdNearby, Qt::LeftButton);

        QCOMPARE(program.boxes.summary(), "Error: Main database missing");
        QVERIFY(!program.exists("ndb.dat"));
        QVERIFY(main->picBeaconList->isHidden());
        QVERIFY(main->cmdUpdateNearby->isEnabled());
        QVERIFY(main->lstNearbyBeacons->isEnabled());
        QCOMPARE(listTexts(main->lstNearbyBeacons).size(), 0);
        QCOMPARE(main->lblSearch->text().trimmed(), QString()); // no count of the list that is gone
    }

    void theCaptionShowsWholeWhateverTheCount_data()
    {
        QTest::addColumn<int>("found");
        QTest::newRow("17") << 17;
        QTest::newRow("7088") << 7088;
    }
    void theCaptionShowsWholeWhateverTheCount()
    {
        QFETCH(int, found);
        // Beacons a few minutes from the centre, each at a place of its own.
        QList<Beacon> beacons = {kCentre};
        for (int i = 0; i < found; ++i) {
            const QByteArray latitude = "N45" + QByteArray::number(31 + i % 29) +
                                        QByteArray::number(i / 29 % 60).rightJustified(2, '0') + "00";
            const QByteArray longitude = "W07542" + QByteArray::number(10 + i / (29 * 60)) + "00";
            beacons.append(beaconAt("N" + QByteArray::number(i), latitude, longitude));
        }
        TestProgram program;
        frmMain *main = program.startShowing(beacons);
        QVERIFY(main);

        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        const QString caption = QStringLiteral("Search returned %1 beacons.").arg(found);
        QCOMPARE(main->lblSearch->text(), caption);
        QCOMPARE(listTexts(main->lstNearbyBeacons).size(), found);
        QVERIFY(listTexts(main->lstNearbyBeacons).constLast().startsWith(
            QStringLiteral("   N%1 ").arg(found - 1)));
        // This caption and the one of the largest database fit (the window's fit test
        // covers a larger font).
        const int room = main->lblSearch->contentsRect().width();
        QVERIFY(main->lblSearch->isVisible());
        QVERIFY(main->lblSearch->geometry().right() < main->centralWidget()->width());
        for (const QString &text : {caption, QStringLiteral("Search returned 32767 beacons.")})
            QVERIFY2(QFontMetrics(main->lblSearch->font()).horizontalAdvance(text) <= room, qPrintable(text));
    }

    // ---- map view ----

    void mapItShowsTheBeaconInPlaceOfTheMainWindow()
    {
        TestProgram program;
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        QVERIFY(main->cmdMapIt->isEnabled());
        const QString distance = main->txtDistance->text();
        const QString bearing = main->txtBearing->text();

        frmDisplay *display = mapIt(program, main);

        QVERIFY(display);
        QVERIFY(display->isVisible());
        QVERIFY(!main->isVisible());
        QVERIFY(main->picGeneratingImage->isHidden());
        QVERIFY(!main->commands().isArmed(main->cmdMapIt));
        QCOMPARE(display->windowTitle(), "Beacon Radar centered on Location 1");
        QCOMPARE(textsOf({display->lblBeacon, display->lblRange, display->lblNumberOfBeacons}),
                 QStringList({"ABC - 338 kHz", "Distance" + distance, "Bearing " + bearing}));
        QVERIFY(!display->lblRange->isHidden());
        QVERIFY(!display->lblNumberOfBeacons->isHidden());
        QVERIFY(display->cmdToggle->isHidden());
        QVERIFY(!display->shBlocker->isHidden());
        QVERIFY(display->cmdExit->isEnabled());
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void theRangeComesFromTheDistanceText_data()
    {
        QTest::addColumn<QString>("distance");
        QTest::addColumn<int>("range");
        QTest::newRow("100") << " 100 miles" << 110;
        QTest::newRow("101") << " 101 miles" << 201;
        QTest::newRow("1001") << " 1001 miles" << 2001;
        QTest::newRow("10001") << " 10001 miles" << 11501;
        QTest::newRow("no number") << "miles" << 10;
    }
    void theRangeComesFromTheDistanceText()
    {
        QFETCH(QString, distance);
        QFETCH(int, range);
        TestProgram program;
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        main->txtDistance->setText(distance);

        frmDisplay *display = mapIt(program, main);

        QVERIFY(display);
        QCOMPARE(program.state.MapRange, range);
        QCOMPARE(display->lblRange->text(), "Distance" + distance);
        // The edge of the picture is the range away.
        display->picRadar_MouseMove(Qt::NoButton, Qt::NoModifier, 8000, 4000);
        QCOMPARE(display->lblMouseKm->text(), QStringLiteral(" %1 mi,  90").arg(range) + kDeg);
    }

    void layersAreDrawnAsTheirSwitchesSay_data()
    {
        QTest::addColumn<bool>("states");
        QTest::addColumn<bool>("rivers");
        QTest::addColumn<bool>("lakes");
        QTest::newRow("none") << false << false << false;
        QTest::newRow("states") << true << false << false;
        QTest::newRow("rivers") << false << true << false;
        QTest::newRow("lakes without rivers") << false << false << true;
        QTest::newRow("all") << true << true << true;
    }
    void layersAreDrawnAsTheirSwitchesSay()
    {
        QFETCH(bool, states);
        QFETCH(bool, rivers);
        QFETCH(bool, lakes);
        TestProgram program;
        writeTestLayers(program);
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        frmLocation *preferences = program.windows->location();
        preferences->chkStates->setChecked(states);
        preferences->chkRivers->setChecked(rivers);
        preferences->chkLakes->setChecked(lakes);

        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);
        const QImage image = display->picRadar->grab().toImage();

        const ColourCount green = countColour(image, kGreenLine);
        const ColourCount teal = countColour(image, kTealLine);
        QVERIFY2(green.above > 0, "the coast is always drawn");
        QCOMPARE(green.below > 0, states);
        QCOMPARE(teal.left > 0, rivers);
        QCOMPARE(teal.right > 0, lakes);
        QVERIFY(countColour(image, kRedMark).total() > 0);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void aMissingLayerIsReportedOnceWhenSwitchedOnAndTheRestIsDrawn_data()
    {
        QTest::addColumn<bool>("rivers");
        QTest::addColumn<QString>("boxes");
        QTest::newRow("switched on") << true << "Error: maps\\river.pnt file missing.";
        QTest::newRow("switched off: not looked for") << false << "";
    }
    void aMissingLayerIsReportedOnceWhenSwitchedOnAndTheRestIsDrawn()
    {
        QFETCH(bool, rivers);
        QFETCH(QString, boxes);
        TestProgram program;
        writeTestLayers(program);
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        program.windows->location()->chkRivers->setChecked(rivers);
        program.windows->location()->chkLakes->setChecked(true);
        program.remove("maps/river.pnt");

        frmDisplay *display = mapIt(program, main);

        QVERIFY(display);
        QCOMPARE(program.boxes.summary(), boxes);
        QVERIFY(!program.exists("maps/river.pnt"));
        const QImage image = display->picRadar->grab().toImage();
        QVERIFY(countColour(image, kGreenLine).above > 0);
        QCOMPARE(countColour(image, kTealLine).left, 0);
        QVERIFY(countColour(image, kTealLine).right > 0);
        QVERIFY(countColour(image, kRedMark).total() > 0);
        QVERIFY(display->cmdExit->isEnabled());
        QVERIFY(display->isVisible());
    }

    void thePointerReadOutGivesDistanceAndBearing_data()
    {
        QTest::addColumn<QByteArray>("metric");
        QTest::addColumn<QString>("distance");
        QTest::addColumn<QPointF>("plot");
        QTest::addColumn<QString>("readout"); // empty: hidden
        const QByteArray km = "True";
        const QByteArray miles = "False";
        QTest::newRow("right") << km << " 100 km" << QPointF(8000, 4000) << " 110 km,  90" + kDeg;
        QTest::newRow("above") << km << " 100 km" << QPointF(4000, 0) << " 110 km,  0" + kDeg;
        QTest::newRow("below") << km << " 100 km" << QPointF(4000, 6000) << " 55 km,  180" + kDeg;
        QTest::newRow("left, miles") << miles << " 100 miles" << QPointF(2000, 4000) << " 55 mi,  270" + kDeg;
        QTest::newRow("north-east") << km << " 100 km" << QPointF(6000, 2000) << " 77.8 km,  45" + kDeg;
        QTest::newRow("km cap") << km << " 19000 km" << QPointF(8000, 4000) << " 20000 km,  90" + kDeg;
        QTest::newRow("mile cap") << miles << " 12000 miles" << QPointF(8000, 4000) << " 12430 mi,  90" + kDeg;
        QTest::newRow("beyond the corner") << km << " 100 km" << QPointF(-10, -10) << QString();
    }
    void thePointerReadOutGivesDistanceAndBearing()
    {
        QFETCH(QByteArray, metric);
        QFETCH(QString, distance);
        QFETCH(QPointF, plot);
        QFETCH(QString, readout);
        TestProgram program;
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", metric);
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        main->txtDistance->setText(distance);
        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);

        display->picRadar_MouseMove(Qt::NoButton, Qt::NoModifier, plot.x(), plot.y());

        QCOMPARE(display->lblMouseKm->isHidden(), readout.isEmpty());
        if (!readout.isEmpty())
            QCOMPARE(display->lblMouseKm->text(), readout);
    }

    // The pointer over the picture is read in plot units; a Map It after the radar reads
    // it with its own range.
    void thePointerOverThePictureIsReadInPlotUnitsAndItsOwnRange()
    {
        TestProgram program;
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", "True");
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        program.windows->distanceCircle()->txtRange->setText("500");
        main->txtDistance->setText(" 100 km");
        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);

        // Three quarters across, a quarter down: (6000, 2000) in plot units.
        const QSizeF size = display->picRadar->size();
        sendPointer(display->picRadar, QPointF(size.width() * 0.75, size.height() * 0.25));
        QCOMPARE(display->lblMouseKm->text(), " 77.8 km,  45" + kDeg);
        display->picRadar_MouseMove(Qt::NoButton, Qt::NoModifier, 8000, 4000);
        QCOMPARE(display->lblMouseKm->text(), " 110 km,  90" + kDeg);

        display->setUse(frmDisplay::Use::BeaconRadar);
        display->picRadar_MouseMove(Qt::NoButton, Qt::NoModifier, 8000, 4000);
        QCOMPARE(display->lblMouseKm->text(), " 500 km,  90" + kDeg);
    }

    void exitReturnsToTheMainWindowWithMapItEnabled_data() { closingRows(); }
    void exitReturnsToTheMainWindowWithMapItEnabled()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);
        const QPointer<frmDisplay> first(display);

        closeWindow(display, display->cmdExit, byTitleBar);

        QVERIFY(!program.windows->isDisplayLoaded());
        QVERIFY(!display->isVisible());
        QVERIFY(main->isVisible());
        QVERIFY(main->cmdMapIt->isEnabled());
        QCOMPARE(main->focusWidget(), main->txtIdent);
        deleteUnloadedWindows();
        QVERIFY(first.isNull());

        // The next Map It draws on a fresh view.
        QVERIFY(mapIt(program, main));
        QVERIFY(program.windows->display()->isVisible());
    }

    // Exit from the radar view leaves the main window alone.
    void toggleCallsHidesAndShowsTheRadarLabels()
    {
        TestProgram program;
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        frmDisplay *display = program.windows->display();
        display->setUse(frmDisplay::Use::BeaconRadar);
        QVERIFY(!main->isVisible());
        QList<QLabel *> labels{display->loadBeaconLabel(), display->loadBeaconLabel()};
        for (QLabel *label : labels)
            label->show();
        program.state.RadarLabelCount = 2;

        for (int hidden : {1, 0}) {
            display->cmdToggle_Click();
            QCOMPARE(program.state.BeaconLabelsHidden, hidden);
            for (QLabel *label : labels)
                QCOMPARE(label->isHidden(), hidden == 1);
            QVERIFY(display->lblNDB[0]->isHidden());
        }

        // A count left from an earlier radar view touches only the labels loaded.
        program.state.RadarLabelCount = 40;
        display->ToggleBeaconLabels();
        for (QLabel *label : labels)
            QVERIFY(label->isHidden());
        QCOMPARE(display->lblNDB.size(), 3);

        display->cmdExit_Click();
        QVERIFY(!program.windows->isDisplayLoaded());
        QVERIFY(!main->isVisible());
        QVERIFY(main->commands().isArmed(main->cmdMapIt));
    }

    // ---- help viewer ----

    void helpShowsTheFoldersPageEachTimeAndClosingReturnsToTheIdentBox_data() { closingRows(); }
    void helpShowsTheFoldersPageEachTimeAndClosingReturnsToTheIdentBox()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        program.write("help.htm", "<html><body><p>Folder page 4711</p></body></html>");
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        QVERIFY(main->mnuCnts->isEnabled());

        for (int opening = 1; opening <= 2; ++opening) {
            main->txtCoverage->setFocus();
            main->mnuCnts->trigger();

            QVERIFY(program.windows->isBrowserLoaded());
            frmBrowser *browser = program.windows->browser();
            QVERIFY(browser->isVisible());
            QVERIFY(!main->isVisible());
            QCOMPARE(browser->windowTitle(), "QERN Help");
            QCOMPARE(program.state.BrowserTitle, "QERN Help");
            QCOMPARE(program.state.BrowserURL, program.path("help.htm"));
            QCOMPARE(browser->brwWebBrowser->source(), QUrl::fromLocalFile(program.path("help.htm")));
            QVERIFY(browser->brwWebBrowser->toPlainText().contains("Folder page 4711"));

            closeWindow(browser, browser->cmdClose, byTitleBar);

            QVERIFY2(!program.windows->isBrowserLoaded(), qPrintable(QString::number(opening)));
            QVERIFY(!browser->isVisible());
            QVERIFY(main->isVisible());
            QCOMPARE(main->focusWidget(), main->txtIdent);
            deleteUnloadedWindows();
        }
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void aMissingHelpPageSaysSoInTheViewerAndAnotherPageClosesAlone()
    {
        TestProgram program;
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);
        program.remove("help.htm");

        main->mnuCnts->trigger();

        frmBrowser *browser = program.windows->browser();
        QVERIFY(browser->isVisible());
        QVERIFY(browser->brwWebBrowser->toPlainText().contains("cannot be displayed"));
        QVERIFY(browser->brwWebBrowser->toPlainText().contains(program.path("help.htm")));
        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(!program.exists("help.htm"));
        browser->cmdClose_Click();
        deleteUnloadedWindows();

        // A viewer opened for another page closes without the main window.
        main->hide();
        program.state.BrowserTitle = "Some other page";
        program.state.BrowserURL = program.path("other.htm");
        frmBrowser *other = program.windows->browser();
        QCOMPARE(other->windowTitle(), "Some other page");

        other->cmdClose_Click();

        QVERIFY(!program.windows->isBrowserLoaded());
        QVERIFY(!main->isVisible());
    }

    void theShippedHelpPageDescribesTheProgram()
    {
        TestProgram program;
        QFile shipped(QStringLiteral(QERN_SOURCE_DATA_DIR "/help.htm"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        program.write("help.htm", shipped.readAll());
        frmMain *main = program.startShowing({kCentre});
        QVERIFY(main);

        main->mnuCnts->trigger();

        QTextBrowser *page = program.windows->browser()->brwWebBrowser;
        QCOMPARE(page->documentTitle(), "QERN Help");
        const QString text = page->toPlainText();
        for (const char *topic : {"Looking up a beacon", "Nearby beacons", "The map", "Logging a reception",
                                  "Viewing and correcting your logs", "Preferences", "The files", "ndb.dat",
                                  "Logs/cle.dat", "Show Nearby Beacons", "Show Beacon on Map", "QLog", "Log It",
                                  "View Log", "View Session", "New/Change", "Distance Filter"})
            QVERIFY2(text.contains(QLatin1String(topic)), topic);
        // It claims nothing the program does not do: the README's list, in the words a
        // page describing them would use.
        for (const char *claim : {"added.txt", "very field is checked", "write the list to a text file",
                                  "draws the beacons around its position", "exports the database", "imports them",
                                  "the current auroral-oval images", "view, sort, print or save",
                                  "worked out in both directions"})
            QVERIFY2(!text.contains(QLatin1String(claim), Qt::CaseInsensitive), claim);

        // Every link of the contents leads to a section of the page itself.
        QStringList links;
        QStringList anchors;
        for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (format.isAnchor() && !format.anchorHref().isEmpty())
                    links << format.anchorHref();
                anchors << format.anchorNames();
            }
        }
        QVERIFY(links.size() >= 10);
        for (const QString &link : std::as_const(links)) {
            QVERIFY2(link.startsWith(QLatin1Char('#')), qPrintable(link));
            QVERIFY2(anchors.contains(link.mid(1)), qPrintable(link));
        }
    }
};

QTEST_MAIN(MapViewTest)
#include "tst_mapview.moc"
