// The main window's nearby panel, the map view and the help viewer.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtEndian>

#include <cmath>

#include "Geodesy.h"
#include "main/MapCanvas.h"
#include "main/frmBrowser.h"
#include "main/frmDisplay.h"
#include "preferences/frmLocation.h"
#include "radar/frmDistanceCircle.h"
#include "UiTestSupport.h"

using namespace qern;
using namespace qern::test;

namespace {

// The default listening location: 43 00 00 N, 80 00 00 W.
constexpr double kQthLatDeg = 43.0;
constexpr double kQthLonDeg = -80.0;

Beacon beaconAt(const QByteArray &ident, const QByteArray &latitude, const QByteArray &longitude)
{
    Beacon b;
    b.ident = ident;
    b.latitude = latitude;
    b.longitude = longitude;
    return b;
}

// "N45310000" -> 45.5167
double degreesOf(const QByteArray &text, int degreeDigits)
{
    const double value = text.mid(1, degreeDigits).toInt() + text.mid(1 + degreeDigits, 2).toInt() / 60.0 +
                         text.mid(3 + degreeDigits, 2).toInt() / 3600.0;
    return text.startsWith('S') || text.startsWith('W') ? -value : value;
}

qint64 milesFromQth(const Beacon &b)
{
    const DistanceBearing db =
        CalcDistanceBearing(degreesOf(b.latitude, 2) / kDegreesPerRadian, degreesOf(b.longitude, 3) / kDegreesPerRadian,
                            kQthLatDeg / kDegreesPerRadian, kQthLonDeg / kDegreesPerRadian);
    return qint64(std::floor(db.distanceKm / 1.609 + 0.5));
}

// The centre beacon, one at the very same place, one 1' north (about 1.2 miles)
// and one far away with a neighbour of its own.
const Beacon kCentre = beaconAt("ABC", "N45300000", "W075421000");
const Beacon kTwin = beaconAt("TWN", "N45300000", "W075421000");
const Beacon kNear = beaconAt("DEF", "N45310000", "W075421000");
const Beacon kFar = beaconAt("FAR", "N50000000", "W090000000");
const Beacon kNearFar = beaconAt("GHI", "N50010000", "W090000000");

void lookUp(frmMain *main, const QString &text)
{
    main->txtIdent->setText(text);
    QTest::keyClick(main->txtIdent, Qt::Key_Return);
}

frmMain *startShowing(TestProgram &program, const QList<Beacon> &beacons, const QString &ident)
{
    program.writeBeacons(beacons);
    frmMain *main = program.startToMain();
    if (main)
        lookUp(main, ident);
    return main;
}

QStringList listLines(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

QString nearbyLine(const Beacon &b, bool logged)
{
    return (logged ? QStringLiteral("***") : QStringLiteral("   ")) + QString::fromLatin1(b.ident).leftJustified(8) +
           QStringLiteral("338 kHz  Port Eden, Ontario, Canada ( %1 mi)").arg(milesFromQth(b));
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
    program.write(QStringLiteral("maps/coast.pnt"), lineBytes(44 * 60, -4830, -4770));
    program.write(QStringLiteral("maps/state.pnt"), lineBytes(42 * 60, -4830, -4770));
    program.write(QStringLiteral("maps/prov.pnt"), QByteArray());
    program.write(QStringLiteral("maps/river.pnt"), lineBytes(43 * 60, -4890, -4860));
    program.write(QStringLiteral("maps/lake.pnt"), lineBytes(43 * 60, -4740, -4710));
    for (const char *empty : {"country.pnt", "island.pnt", "mapper.pnt"})
        program.write(QStringLiteral("maps/") + QLatin1String(empty), QByteArray());
}

const QRgb kGreen = qRgb(0, 192, 0);
const QRgb kTeal = qRgb(0, 128, 128);
const QRgb kRed = qRgb(255, 0, 0);

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

void deleteUnloadedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class MapViewTest : public QObject {
    Q_OBJECT

private slots:
    // ---- nearby beacons ----

    void nearbyListsTheBeaconsAroundTheOneShownButNeverItsPlace()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kFar, kCentre, kNear, kTwin}, QStringLiteral("ABC"));
        QVERIFY(main);
        QVERIFY(main->cmdNearby->isEnabled());

        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        QCOMPARE(listLines(main->lstNearbyBeacons), QStringList{nearbyLine(kNear, false)});
        QCOMPARE(main->lblSearch->text(), QStringLiteral("Search returned 1 beacons."));
        QCOMPARE(main->height(), twipsToPixels(7404));
        QVERIFY(main->picBeaconList->isHidden());
        QVERIFY(main->lstNearbyBeacons->isEnabled());
        QVERIFY(main->cmdUpdateNearby->isEnabled());
        QVERIFY(main->lblAlreadyLogged->isHidden());
        QCOMPARE(main->focusWidget(), main->txtIdent);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void distancesInTheListAreFromTheListeningLocation()
    {
        // Two beacons 1' either side of the centre: the same distance from it, not
        // from the listener.
        TestProgram program;
        const Beacon east = beaconAt("EAS", "N45300000", "W075411000");
        const Beacon west = beaconAt("WES", "N45300000", "W075431000");
        frmMain *main = startShowing(program, {kCentre, east, west}, QStringLiteral("ABC"));
        QVERIFY(main);

        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        QCOMPARE(listLines(main->lstNearbyBeacons), (QStringList{nearbyLine(east, false), nearbyLine(west, false)}));
        QVERIFY(milesFromQth(east) != milesFromQth(west));
    }

    void theProposedRadiusAndCaptionFollowTheUnits_data()
    {
        QTest::addColumn<QByteArray>("metric");
        QTest::addColumn<QString>("radius");
        QTest::addColumn<QString>("caption");
        QTest::newRow("miles") << QByteArray("False") << QStringLiteral("100")
                               << QStringLiteral("Coverage radius from ABC-338 kHz (mi)");
        QTest::newRow("km") << QByteArray("True") << QStringLiteral("160")
                            << QStringLiteral("Coverage radius from ABC-338 kHz (km)");
    }
    void theProposedRadiusAndCaptionFollowTheUnits()
    {
        QFETCH(QByteArray, metric);
        QFETCH(QString, radius);
        QFETCH(QString, caption);
        TestProgram program;
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", metric);
        frmMain *main = startShowing(program, {kCentre, kNear}, QStringLiteral("ABC"));
        QVERIFY(main);
        main->txtCoverage->setText(QStringLiteral("5"));

        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        QCOMPARE(main->txtCoverage->text(), radius);
        QCOMPARE(main->lblCoverage->text(), caption);
        QCOMPARE(main->lstNearbyBeacons->count(), 1);
        QVERIFY(main->lstNearbyBeacons->item(0)->text().endsWith(metric == "True" ? QStringLiteral(" km)")
                                                                                  : QStringLiteral(" mi)")));
    }

    void beaconsLoggedHereAreMarked()
    {
        TestProgram program;
        Beacon logged = kNear;
        logged.loggedMask = 1; // location 0, the current one
        Beacon elsewhere = beaconAt("ELS", "N45290000", "W075421000");
        elsewhere.loggedMask = 1u << 4;
        frmMain *main = startShowing(program, {kCentre, logged, elsewhere}, QStringLiteral("ABC"));
        QVERIFY(main);

        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        QCOMPARE(listLines(main->lstNearbyBeacons), (QStringList{nearbyLine(logged, true), nearbyLine(elsewhere, false)}));
        QVERIFY(!main->lblAlreadyLogged->isHidden());
        QCOMPARE(main->lblAlreadyLogged->text(), QStringLiteral("***  Beacons Already Logged"));
    }

    void updateKeepsTheCentreOfTheLastClick()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre, kNear, kFar, kNearFar}, QStringLiteral("ABC"));
        QVERIFY(main);
        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        lookUp(main, QStringLiteral("FAR"));
        QCOMPARE(program.state.ShownIdent, QByteArray("FAR"));
        main->txtCoverage->setText(QStringLiteral("50"));
        QTest::mouseClick(main->cmdUpdateNearby, Qt::LeftButton);

        QCOMPARE(listLines(main->lstNearbyBeacons), QStringList{nearbyLine(kNear, false)});
        QCOMPARE(main->lblCoverage->text(), QStringLiteral("Coverage radius from ABC-338 kHz (mi)"));
        QVERIFY(main->cmdUpdateNearby->isEnabled());
    }

    void enterInTheRadiusBoxRebuildsTheList()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre, kNear}, QStringLiteral("ABC"));
        QVERIFY(main);
        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);

        main->txtCoverage->setText(QStringLiteral("1"));
        QTest::keyClick(main->txtCoverage, Qt::Key_Return);
        QCOMPARE(main->lblSearch->text(), QStringLiteral("Search returned 0 beacons."));
        QCOMPARE(main->lstNearbyBeacons->count(), 0);

        main->txtCoverage->setText(QStringLiteral("2"));
        QTest::keyClick(main->txtCoverage, Qt::Key_Enter);
        QCOMPARE(main->lblSearch->text(), QStringLiteral("Search returned 1 beacons."));
        QCOMPARE(main->lstNearbyBeacons->count(), 1);
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
        frmMain *main = startShowing(program, {kCentre, kNear}, QStringLiteral("ABC"));
        QVERIFY(main);
        main->cmdNearby_Click();
        main->txtCoverage->setText(QStringLiteral("0"));

        main->txtCoverage_KeyPress(keyAscii);

        QCOMPARE(keyAscii, after);
        QCOMPARE(main->lstNearbyBeacons->count(), after == 0 ? 0 : 1);
    }

    void anEmptyOrNonNumericRadiusFindsNothing_data()
    {
        QTest::addColumn<QString>("radius");
        QTest::newRow("empty") << QString();
        QTest::newRow("text") << QStringLiteral("far");
    }
    void anEmptyOrNonNumericRadiusFindsNothing()
    {
        QFETCH(QString, radius);
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre, kNear, kTwin}, QStringLiteral("ABC"));
        QVERIFY(main);
        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);
        QCOMPARE(main->lstNearbyBeacons->count(), 1);

        main->txtCoverage->setText(radius);
        QTest::mouseClick(main->cmdUpdateNearby, Qt::LeftButton);

        QCOMPARE(main->lblSearch->text(), QStringLiteral("Search returned 0 beacons."));
        QCOMPARE(main->lstNearbyBeacons->count(), 0);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void aMissingDatabaseIsReportedAndThePanelStaysUsable_data()
    {
        QTest::addColumn<bool>("byUpdate");
        QTest::newRow("show nearby") << false;
        QTest::newRow("update") << true;
    }
    void aMissingDatabaseIsReportedAndThePanelStaysUsable()
    {
        QFETCH(bool, byUpdate);
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre, kNear}, QStringLiteral("ABC"));
        QVERIFY(main);
        if (byUpdate)
            QTest::mouseClick(main->cmdNearby, Qt::LeftButton);
        program.remove(QStringLiteral("ndb.dat"));

        QTest::mouseClick(byUpdate ? main->cmdUpdateNearby : main->cmdNearby, Qt::LeftButton);

        QCOMPARE(program.boxes.texts(), QStringList{QStringLiteral("Main database missing")});
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QVERIFY(!QFile::exists(program.path(QStringLiteral("ndb.dat"))));
        QVERIFY(main->picBeaconList->isHidden());
        QVERIFY(main->cmdUpdateNearby->isEnabled());
        QVERIFY(main->lstNearbyBeacons->isEnabled());
        QCOMPARE(main->lstNearbyBeacons->count(), 0);
    }

    void hideCoversThePanelAndFocusesTheIdent()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre, kNear}, QStringLiteral("ABC"));
        QVERIFY(main);
        QTest::mouseClick(main->cmdNearby, Qt::LeftButton);
        main->txtCoverage->setFocus();

        QTest::mouseClick(main->Command1, Qt::LeftButton);

        QCOMPARE(main->height(), twipsToPixels(4992));
        QCOMPARE(main->focusWidget(), main->txtIdent);
    }

    // ---- map view ----

    void mapItShowsTheBeaconInPlaceOfTheMainWindow()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
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
        QCOMPARE(display->windowTitle(), QStringLiteral("Beacon Radar centered on Location 1"));
        QCOMPARE(display->lblBeacon->text(), QStringLiteral("ABC - 338 kHz"));
        QCOMPARE(display->lblRange->text(), QStringLiteral("Distance") + distance);
        QCOMPARE(display->lblNumberOfBeacons->text(), QStringLiteral("Bearing ") + bearing);
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
        QTest::newRow("100") << QStringLiteral(" 100 miles") << 110;
        QTest::newRow("101") << QStringLiteral(" 101 miles") << 201;
        QTest::newRow("1001") << QStringLiteral(" 1001 miles") << 2001;
        QTest::newRow("10001") << QStringLiteral(" 10001 miles") << 11501;
        QTest::newRow("no number") << QStringLiteral("miles") << 10;
    }
    void theRangeComesFromTheDistanceText()
    {
        QFETCH(QString, distance);
        QFETCH(int, range);
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        main->txtDistance->setText(distance);

        frmDisplay *display = mapIt(program, main);

        QVERIFY(display);
        QCOMPARE(program.state.MapRange, range);
        QCOMPARE(display->lblRange->text(), QStringLiteral("Distance") + distance);
        // The edge of the picture is the range away.
        display->picRadar_MouseMove(Qt::NoButton, Qt::NoModifier, 8000, 4000);
        QCOMPARE(display->lblMouseKm->text(), QStringLiteral(" %1 mi,  90").arg(range) + QChar(0xB0));
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
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        frmLocation *preferences = program.windows->location();
        preferences->chkStates->setChecked(states);
        preferences->chkRivers->setChecked(rivers);
        preferences->chkLakes->setChecked(lakes);

        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);
        const QImage image = display->picRadar->grab().toImage();

        const ColourCount green = countColour(image, kGreen);
        const ColourCount teal = countColour(image, kTeal);
        QVERIFY2(green.above > 0, "the coast is always drawn");
        QCOMPARE(green.below > 0, states);
        QCOMPARE(teal.left > 0, rivers);
        QCOMPARE(teal.right > 0, lakes);
        QVERIFY(countColour(image, kRed).total() > 0);
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void aMissingLayerIsReportedOnceAndTheRestIsDrawn()
    {
        TestProgram program;
        writeTestLayers(program);
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        program.windows->location()->chkRivers->setChecked(true);
        program.windows->location()->chkLakes->setChecked(true);
        program.remove(QStringLiteral("maps/river.pnt"));

        frmDisplay *display = mapIt(program, main);

        QVERIFY(display);
        QCOMPARE(program.boxes.texts(), QStringList{QStringLiteral("maps\\river.pnt file missing.")});
        QCOMPARE(program.boxes.shown[0].title, QStringLiteral("Error"));
        QVERIFY(!QFile::exists(program.path(QStringLiteral("maps/river.pnt"))));
        const QImage image = display->picRadar->grab().toImage();
        QVERIFY(countColour(image, kGreen).above > 0);
        QCOMPARE(countColour(image, kTeal).left, 0);
        QVERIFY(countColour(image, kTeal).right > 0);
        QVERIFY(countColour(image, kRed).total() > 0);
        QVERIFY(display->cmdExit->isEnabled());
        QVERIFY(display->isVisible());
    }

    void aLayerSwitchedOffIsNotLookedFor()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        program.windows->location()->chkRivers->setChecked(false);
        program.remove(QStringLiteral("maps/river.pnt"));

        QVERIFY(mapIt(program, main));

        QVERIFY(program.boxes.shown.isEmpty());
    }

    void thePointerReadOutGivesDistanceAndBearing_data()
    {
        QTest::addColumn<QByteArray>("metric");
        QTest::addColumn<QString>("distance");
        QTest::addColumn<QPointF>("plot");
        QTest::addColumn<QString>("readout");
        QTest::addColumn<bool>("visible");
        const QString deg(QChar(0xB0));
        QTest::newRow("right") << QByteArray("True") << QStringLiteral(" 100 km") << QPointF(8000, 4000)
                               << QStringLiteral(" 110 km,  90") + deg << true;
        QTest::newRow("above") << QByteArray("True") << QStringLiteral(" 100 km") << QPointF(4000, 0)
                               << QStringLiteral(" 110 km,  0") + deg << true;
        QTest::newRow("below") << QByteArray("True") << QStringLiteral(" 100 km") << QPointF(4000, 6000)
                               << QStringLiteral(" 55 km,  180") + deg << true;
        QTest::newRow("left, miles") << QByteArray("False") << QStringLiteral(" 100 miles") << QPointF(2000, 4000)
                                     << QStringLiteral(" 55 mi,  270") + deg << true;
        QTest::newRow("north-east") << QByteArray("True") << QStringLiteral(" 100 km") << QPointF(6000, 2000)
                                    << QStringLiteral(" 77.8 km,  45") + deg << true;
        QTest::newRow("km cap") << QByteArray("True") << QStringLiteral(" 19000 km") << QPointF(8000, 4000)
                                << QStringLiteral(" 20000 km,  90") + deg << true;
        QTest::newRow("mile cap") << QByteArray("False") << QStringLiteral(" 12000 miles") << QPointF(8000, 4000)
                                  << QStringLiteral(" 12430 mi,  90") + deg << true;
        QTest::newRow("beyond the corner") << QByteArray("True") << QStringLiteral(" 100 km") << QPointF(-10, -10)
                                           << QString() << false;
    }
    void thePointerReadOutGivesDistanceAndBearing()
    {
        QFETCH(QByteArray, metric);
        QFETCH(QString, distance);
        QFETCH(QPointF, plot);
        QFETCH(QString, readout);
        QFETCH(bool, visible);
        TestProgram program;
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", metric);
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        main->txtDistance->setText(distance);
        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);

        display->picRadar_MouseMove(Qt::NoButton, Qt::NoModifier, plot.x(), plot.y());

        QCOMPARE(!display->lblMouseKm->isHidden(), visible);
        if (visible)
            QCOMPARE(display->lblMouseKm->text(), readout);
    }

    void thePointerOverThePictureIsReadInPlotUnits()
    {
        TestProgram program;
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", "True");
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        main->txtDistance->setText(QStringLiteral(" 100 km"));
        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);
        const QSizeF size = display->picRadar->size();

        // Three quarters across, a quarter down: (6000, 2000) in plot units.
        sendPointer(display->picRadar, QPointF(size.width() * 0.75, size.height() * 0.25));

        QCOMPARE(display->lblMouseKm->text(), QStringLiteral(" 77.8 km,  45") + QChar(0xB0));
    }

    void aMapItAfterTheRadarStillReadsThePointerWithItsOwnRange()
    {
        TestProgram program;
        program.presetSetting(RegistryKeys::ProgramPreferences, kRegistryString, "Metric", "True");
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        program.windows->distanceCircle()->txtRange->setText(QStringLiteral("500"));
        main->txtDistance->setText(QStringLiteral(" 100 km"));
        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);

        display->picRadar_MouseMove(Qt::NoButton, Qt::NoModifier, 8000, 4000);
        QCOMPARE(display->lblMouseKm->text(), QStringLiteral(" 110 km,  90") + QChar(0xB0));

        display->setUse(frmDisplay::Use::BeaconRadar);
        display->picRadar_MouseMove(Qt::NoButton, Qt::NoModifier, 8000, 4000);
        QCOMPARE(display->lblMouseKm->text(), QStringLiteral(" 500 km,  90") + QChar(0xB0));
    }

    void exitReturnsToTheMainWindowWithMapItEnabled_data()
    {
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("exit button") << false;
        QTest::newRow("title bar") << true;
    }
    void exitReturnsToTheMainWindowWithMapItEnabled()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        frmDisplay *display = mapIt(program, main);
        QVERIFY(display);
        const QPointer<frmDisplay> first(display);

        if (byTitleBar)
            display->close();
        else
            QTest::mouseClick(display->cmdExit, Qt::LeftButton);

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

    void exitFromTheRadarViewLeavesTheMainWindowAlone()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        frmDisplay *display = program.windows->display();
        display->setUse(frmDisplay::Use::BeaconRadar);
        QVERIFY(!main->isVisible());

        display->cmdExit_Click();

        QVERIFY(!program.windows->isDisplayLoaded());
        QVERIFY(!main->isVisible());
        QVERIFY(main->commands().isArmed(main->cmdMapIt));
    }

    void toggleCallsHidesAndShowsTheRadarLabels()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        frmDisplay *display = program.windows->display();
        display->setUse(frmDisplay::Use::BeaconRadar);
        QList<QLabel *> labels{display->loadBeaconLabel(), display->loadBeaconLabel()};
        for (QLabel *label : labels)
            label->show();
        program.state.RadarLabelCount = 2;

        display->cmdToggle_Click();
        QCOMPARE(program.state.BeaconLabelsHidden, 1);
        for (QLabel *label : labels)
            QVERIFY(label->isHidden());
        QVERIFY(display->lblNDB[0]->isHidden());

        display->cmdToggle_Click();
        QCOMPARE(program.state.BeaconLabelsHidden, 0);
        for (QLabel *label : labels)
            QVERIFY(!label->isHidden());
        QVERIFY(display->lblNDB[0]->isHidden());
    }

    void toggleCallsWithMoreCountedThanLoadedTouchesOnlyTheLoaded()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        frmDisplay *display = program.windows->display();
        QLabel *label = display->loadBeaconLabel();
        label->show();
        program.state.RadarLabelCount = 40; // left from an earlier radar view

        display->ToggleBeaconLabels();

        QVERIFY(label->isHidden());
        QCOMPARE(display->lblNDB.size(), 2);
    }

    // ---- help viewer ----

    void helpShowsTheFoldersPageInPlaceOfTheMainWindow()
    {
        TestProgram program;
        program.write(QStringLiteral("help.htm"), "<html><body><p>Folder page 4711</p></body></html>");
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        QVERIFY(main->mnuCnts->isEnabled());

        main->mnuCnts->trigger();

        QVERIFY(program.windows->isBrowserLoaded());
        frmBrowser *browser = program.windows->browser();
        QVERIFY(browser->isVisible());
        QVERIFY(!main->isVisible());
        QCOMPARE(browser->windowTitle(), QStringLiteral("QERN Help"));
        QCOMPARE(program.state.BrowserTitle, QStringLiteral("QERN Help"));
        QCOMPARE(program.state.BrowserURL, program.path(QStringLiteral("help.htm")));
        QCOMPARE(browser->brwWebBrowser->source(), QUrl::fromLocalFile(program.path(QStringLiteral("help.htm"))));
        QVERIFY(browser->brwWebBrowser->toPlainText().contains(QStringLiteral("Folder page 4711")));
        QVERIFY(program.boxes.shown.isEmpty());
    }

    void helpOpensEveryTimeAndCloseReturnsToTheIdentBox_data()
    {
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("close button") << false;
        QTest::newRow("title bar") << true;
    }
    void helpOpensEveryTimeAndCloseReturnsToTheIdentBox()
    {
        QFETCH(bool, byTitleBar);
        TestProgram program;
        program.write(QStringLiteral("help.htm"), "<html><body><p>Folder page 4711</p></body></html>");
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);

        for (int opening = 1; opening <= 2; ++opening) {
            main->txtCoverage->setFocus();
            main->mnuCnts->trigger();
            frmBrowser *browser = program.windows->browser();
            QVERIFY(browser->brwWebBrowser->toPlainText().contains(QStringLiteral("Folder page 4711")));

            if (byTitleBar)
                browser->close();
            else
                QTest::mouseClick(browser->cmdClose, Qt::LeftButton);

            QVERIFY2(!program.windows->isBrowserLoaded(), qPrintable(QString::number(opening)));
            QVERIFY(!browser->isVisible());
            QVERIFY(main->isVisible());
            QCOMPARE(main->focusWidget(), main->txtIdent);
            deleteUnloadedWindows();
        }
    }

    void aMissingHelpPageSaysSoInTheViewer()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        program.remove(QStringLiteral("help.htm"));

        main->mnuCnts->trigger();

        frmBrowser *browser = program.windows->browser();
        QVERIFY(browser->isVisible());
        QVERIFY(browser->brwWebBrowser->toPlainText().contains(QStringLiteral("cannot be displayed")));
        QVERIFY(browser->brwWebBrowser->toPlainText().contains(program.path(QStringLiteral("help.htm"))));
        QVERIFY(program.boxes.shown.isEmpty());
        QVERIFY(!QFile::exists(program.path(QStringLiteral("help.htm"))));
    }

    void aViewerOpenedForAnotherPageClosesWithoutTheMainWindow()
    {
        TestProgram program;
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);
        main->hide();
        program.state.BrowserTitle = QStringLiteral("Some other page");
        program.state.BrowserURL = program.path(QStringLiteral("other.htm"));
        frmBrowser *browser = program.windows->browser();
        QCOMPARE(browser->windowTitle(), QStringLiteral("Some other page"));

        browser->cmdClose_Click();

        QVERIFY(!program.windows->isBrowserLoaded());
        QVERIFY(!main->isVisible());
    }

    void theShippedHelpPageDescribesTheProgram()
    {
        TestProgram program;
        QFile shipped(QStringLiteral(QERN_SOURCE_DATA_DIR "/help.htm"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        program.write(QStringLiteral("help.htm"), shipped.readAll());
        frmMain *main = startShowing(program, {kCentre}, QStringLiteral("ABC"));
        QVERIFY(main);

        main->mnuCnts->trigger();

        QTextBrowser *page = program.windows->browser()->brwWebBrowser;
        QCOMPARE(page->documentTitle(), QStringLiteral("QERN Help"));
        const QString text = page->toPlainText();
        for (const char *topic : {"Looking up a beacon", "Nearby beacons", "The map", "Logging a reception",
                                  "Viewing and correcting your logs", "Preferences", "The files", "ndb.dat",
                                  "Logs/cle.dat", "Show Nearby Beacons", "Show Beacon on Map", "QLog", "Log It",
                                  "View Log", "View Session", "New/Change", "Distance Filter"})
            QVERIFY2(text.contains(QLatin1String(topic)), topic);

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
