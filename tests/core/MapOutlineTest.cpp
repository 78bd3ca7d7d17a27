#include <gtest/gtest.h>

#include <QtEndian>

#include <cmath>
#include <limits>

#include "Geodesy.h"
#include "MapOutline.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

constexpr double kKmPerDegree = kEarthRadiusKm / kDegreesPerRadian;

QByteArray pointBytes(qint16 level, qint16 latMinutes, qint16 lonMinutes)
{
    QByteArray bytes(kMapPointLength, '\0');
    qToLittleEndian<qint16>(level, bytes.data());
    qToLittleEndian<qint16>(latMinutes, bytes.data() + 2);
    qToLittleEndian<qint16>(lonMinutes, bytes.data() + 4);
    return bytes;
}

QByteArray outlineBytes(std::initializer_list<MapPoint> points)
{
    QByteArray bytes;
    for (const MapPoint &p : points)
        bytes += pointBytes(p.Level, p.Latitude, p.Longitude);
    return bytes;
}

// Seen from 0N 0E, a point on the equator lies due east (bearing 90) and one on the
// prime meridian due north (bearing 0), at an arc of its minutes / 60 degrees.
QPointF eastOfCentre(double distance, double range)
{
    return {4000 + 4000 / range * distance, 4000};
}
QPointF northOfCentre(double distance, double range)
{
    return {4000, 4000 - 4000 / range * distance};
}
double kmForMinutes(int minutes)
{
    return minutes / 60.0 * kKmPerDegree;
}

using Triple = std::tuple<int, int, int>;
QList<Triple> triples(const QList<MapPoint> &points)
{
    QList<Triple> out;
    for (const MapPoint &p : points)
        out.append({p.Level, p.Latitude, p.Longitude});
    return out;
}

void expectPoint(QPointF actual, QPointF expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-3);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-3);
}

// ---- file format ----

TEST(MapPointFormat, ReadsSignedLittleEndianTriples)
{
    const QByteArray bytes = pointBytes(1001, 2700, -4800) + pointBytes(3, -2700, 10799);
    EXPECT_EQ(triples(parseMapPoints(bytes)), (QList<Triple>{{1001, 2700, -4800}, {3, -2700, 10799}}));
}

TEST(MapPointFormat, IncompleteLastRecordIsLeftOutAndCounted)
{
    qsizetype ignored = -1;
    const QList<MapPoint> points = parseMapPoints(pointBytes(1001, 1, 2) + QByteArray("\x05\x00\x10\x00", 4), &ignored);
    ASSERT_EQ(points.size(), 1);
    EXPECT_EQ(ignored, 4);
}

TEST(MapPointFormat, MissingFileIsReportedAndNotCreated)
{
    TestFolder folder;
    const MapOutlineFile outline = readMapOutline(folder.path("maps/coast.pnt"));
    EXPECT_TRUE(outline.missing);
    EXPECT_FALSE(outline.error.failed());
    EXPECT_FALSE(folder.exists("maps/coast.pnt"));
}

TEST(MapPointFormat, ReadsBeyondEightyThousandPoints)
{
    TestFolder folder;
    QByteArray bytes;
    for (int i = 0; i < 80010; ++i)
        bytes += pointBytes(qint16(1 + i % 10), qint16(i % 5000), qint16(-(i % 7000)));
    folder.write("maps/coast.pnt", bytes);
    const MapOutlineFile outline = readMapOutline(folder.path("maps/coast.pnt"));
    ASSERT_EQ(outline.points.size(), 80010);
    EXPECT_EQ(outline.points.last().Level, 1 + 80009 % 10);
    EXPECT_EQ(outline.points.last().Latitude, 80009 % 5000);
}

// ---- colours and layers ----

TEST(MapColours, HexLiteralsReadAsNumbers)
{
    const struct { const char *text; quint32 value; } cases[] = {
        {"&H0000C000&", 49152}, {"&H00808000&", 8421376}, {"&HFFFF80", 0xFFFF80},
        {"&h404040&", 0x404040}, {"C000", 0}, {"&H12G4&", 0}, {"&H&", 0}, {"", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(colourFromHexLiteral(c.text), c.value) << c.text;
}

TEST(MapColours, ValuesAreBlueGreenRed)
{
    const auto rgb = [](quint32 colour) {
        const ColourParts parts = colourParts(colour);
        return std::tuple(parts.red, parts.green, parts.blue);
    };
    EXPECT_EQ(rgb(colourFromHexLiteral("&H00808000&")), std::tuple(0, 128, 128)); // teal
    EXPECT_EQ(rgb(kRed), std::tuple(255, 0, 0));
}

TEST(MapLayers, SwitchesChooseLayersAndCoastIsAlwaysDrawn)
{
    MapLayerSwitches none;
    MapLayerSwitches states;
    states.states = true;
    int drawnWithNone = 0;
    int drawnWithStates = 0;
    for (const MapLayer &layer : kMapLayers) {
        drawnWithNone += layerIsDrawn(layer, none);
        drawnWithStates += layerIsDrawn(layer, states);
    }
    EXPECT_EQ(drawnWithNone, 1);
    EXPECT_EQ(drawnWithStates, 3); // coast, state and prov
    EXPECT_TRUE(layerIsDrawn(kMapLayers[0], none));
}

// ---- range and projection ----

TEST(MapRange, GrowsByStepsOfTheDistance)
{
    const struct { const char *txtDistance; qint32 range; } cases[] = {
        {" 100 km", 110}, {" 101 km", 201}, {" 1000 km", 1100}, {" 1001 km", 2001},
        {" 10000 km", 11000}, {" 10001 km", 11501}, {" 0 km", 10}, {"", 10},
        {" 325 miles", 425}, {"100.5", 110}, {"101.5", 202}, {" 20015 km", 21515},
    };
    for (const auto &c : cases)
        EXPECT_EQ(mapRangeForDistance(c.txtDistance), c.range) << c.txtDistance;
}

TEST(MapProjection, RangeLiesAtTheMiddleOfEachEdge)
{
    const MapProjection projection(1000);
    EXPECT_DOUBLE_EQ(projection.scale(), 4.0);
    const struct { double distance, bearing; QPointF point; } cases[] = {
        {1000, 0, {4000, 0}}, {1000, 90, {8000, 4000}}, {500, 180, {4000, 6000}},
        {1000, 270, {0, 4000}}, {0, 123, {4000, 4000}},
    };
    for (const auto &c : cases)
        expectPoint(projection.project(c.distance, c.bearing), c.point);
}

TEST(MapProjection, CornerDistanceIsOnThePlot)
{
    const MapProjection projection(3);
    const double corner = std::sqrt(18.0);
    EXPECT_TRUE(projection.withinCorners(corner));
    EXPECT_FALSE(projection.withinCorners(std::nextafter(corner, 100.0)));
}

// ---- outline polylines ----

TEST(OutlineTracer, JoinsThePointsOfEachLayerIntoLines)
{
    constexpr double kRange = 1000; // km
    const QPointF centre{4000, 4000};
    const auto east = [](int minutes) { return eastOfCentre(kmForMinutes(minutes), kRange); };
    const auto north = [](int minutes) { return northOfCentre(kmForMinutes(minutes), kRange); };
    struct Layer {
        QList<MapPoint> points;
        int detail = 1;
        quint32 colour = kOutlineGreen;
    };
    const struct { const char *name; QList<Layer> layers; qint64 drawn; QList<Polyline> lines; } cases[] = {
        {"a first point without line start joins from the centre", {{{{5, 0, 300}}}}, 1,
         {{{centre, east(300)}, kOutlineGreen}}},
        {"a line start sets a point and the points after it join it", {{{{1001, 0, 60}, {5, 0, 120}, {7, 60, 0}}}}, 3,
         {{{east(60), east(120), north(60)}, kOutlineGreen}}},
        {"a lone line start is a dot", {{{{1001, 0, 60}, {1001, 0, 120}}}}, 2,
         {{{east(60)}, kOutlineGreen}, {{east(120)}, kOutlineGreen}}},
        {"level 1000 does not start a line", {{{{1001, 0, 60}, {1000, 0, 120}}}}, 2,
         {{{east(60), east(120)}, kOutlineGreen}}},
        {"a level equal to the detail is not drawn", {{{{1001, 0, 60}, {5, 0, 120}, {6, 0, 180}}, 5}}, 2,
         {{{east(60), east(180)}, kOutlineGreen}}},
        // Detail above 1001 leaves out every point, line starts included.
        {"a line start below the detail is no line start", {{{{1001, 0, 60}, {5, 0, 120}}, 1001}}, 0, {}},
        // 60 degrees east is far beyond the corners of a 1000 km plot.
        {"a line start off the plot starts the line at the next drawn point",
         {{{{5, 0, 60}, {1001, 0, 3600}, {5, 0, 120}, {5, 0, 180}}}}, 3,
         {{{centre, east(60)}, kOutlineGreen}, {{east(120), east(180)}, kOutlineGreen}}},
        {"a pending line start carries into the next layer",
         {{{{1001, 0, 60}, {1001, 0, 3600}}}, {{{5, 0, 120}}, 1, kOutlineTeal}}, 2,
         {{{east(60)}, kOutlineGreen}, {{east(120)}, kOutlineTeal}}},
        {"the next layer joins from where the previous ended",
         {{{{1001, 0, 60}, {5, 0, 120}}}, {{{5, 60, 0}}, 1, kOutlineTeal}}, 3,
         {{{east(60), east(120)}, kOutlineGreen}, {{east(120), north(60)}, kOutlineTeal}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        OutlineTracer tracer(MapProjection(kRange), 0, 0, false);
        qint64 drawn = 0;
        for (const Layer &layer : c.layers)
            drawn += tracer.traceLayer(layer.points, layer.detail, layer.colour);
        EXPECT_EQ(drawn, c.drawn);
        EXPECT_FALSE(tracer.newLinePending());
        ASSERT_EQ(tracer.polylines().size(), c.lines.size());
        for (qsizetype i = 0; i < c.lines.size(); ++i) {
            const Polyline &line = tracer.polylines()[i];
            EXPECT_EQ(line.colour, c.lines[i].colour) << "line " << i;
            ASSERT_EQ(line.points.size(), c.lines[i].points.size()) << "line " << i;
            for (qsizetype k = 0; k < line.points.size(); ++k)
                expectPoint(line.points[k], c.lines[i].points[k]);
        }
    }
}

TEST(OutlineTracer, LineStartOffThePlotStaysPending)
{
    OutlineTracer tracer(MapProjection(1000), 0, 0, false);
    tracer.traceLayer({{1001, 0, 60}, {1001, 0, 3600}}, 1, kOutlineGreen);
    EXPECT_TRUE(tracer.newLinePending());
}

TEST(OutlineTracerCorner, PointAtTheCornerDistanceIsDrawnAndFartherIsSkipped)
{
    const MapPoint near1{1001, 0, 60};
    const MapPoint atCorner{5, 0, 600};
    const MapPoint near2{5, 60, 0};
    const double cornerKm = CalcDistanceBearing(0, 600 / 60.0 / kDegreesPerRadian, 0, 0).distanceKm;
    // The range whose corner distance is exactly that point's distance.
    double range = cornerKm / std::sqrt(2.0);
    for (int step = 0; step < 8 && std::sqrt(2 * range * range) != cornerKm; ++step)
        range = std::nextafter(range, std::sqrt(2 * range * range) < cornerKm ? 1e9 : 0.0);
    ASSERT_EQ(std::sqrt(2 * range * range), cornerKm);

    OutlineTracer onCorner(MapProjection(range), 0, 0, false);
    EXPECT_EQ(onCorner.traceLayer({near1, atCorner, near2}, 1, kOutlineGreen), 3);
    ASSERT_EQ(onCorner.polylines().size(), 1);
    EXPECT_EQ(onCorner.polylines()[0].points.size(), 3);

    const double smaller = std::nextafter(range, 0.0);
    ASSERT_GT(cornerKm, std::sqrt(2 * smaller * smaller));
    OutlineTracer beyond(MapProjection(smaller), 0, 0, false);
    EXPECT_EQ(beyond.traceLayer({near1, atCorner, near2}, 1, kOutlineGreen), 2);
    ASSERT_EQ(beyond.polylines().size(), 1);
    const Polyline &line = beyond.polylines()[0];
    ASSERT_EQ(line.points.size(), 2);
    expectPoint(line.points[1], northOfCentre(kmForMinutes(60), smaller));
}

TEST(OutlineTracerUnits, MilesDivideOutlineDistances)
{
    const double rangeMiles = 1000;
    OutlineTracer tracer(MapProjection(rangeMiles), 0, 0, true);
    tracer.traceLayer({{1001, 0, 300}}, 1, kOutlineGreen);
    ASSERT_EQ(tracer.polylines().size(), 1);
    expectPoint(tracer.polylines()[0].points[0], eastOfCentre(kmForMinutes(300) / 1.609, rangeMiles));
}

// ---- the whole view ----

class MapViewTest : public ::testing::Test {
protected:
    MapViewTest()
    {
        request.range = 1000;
        request.ident = "ABC";
        request.frequency = "338";
        request.txtDistance = " 500 km";
        request.txtBearing = " 90\xB0";
        request.locationLat = "000000N";
        request.locationLon = "0000000E";
        request.latitudeRad = 1 / kDegreesPerRadian;
        request.longitudeRad = 4 / kDegreesPerRadian;
        request.detail = 1;
    }

    void writeLayer(const QString &name, std::initializer_list<MapPoint> points)
    {
        folder.write(name, outlineBytes(points));
    }

    TestFolder folder;
    MapViewRequest request;
};

TEST_F(MapViewTest, BeaconIsPlacedFromTheShownDistanceAndBearing)
{
    const MapView view = DrawMapDisplay(folder.folder(), request);
    expectPoint(view.beaconPoint, {6000, 4000});
    EXPECT_EQ(view.Distance, 500);
    EXPECT_EQ(view.Bearing, 90);
    EXPECT_EQ(view.lblBeacon, "ABC - 338 kHz");
    EXPECT_EQ(view.lblRange, "Distance 500 km");
    EXPECT_EQ(view.lblNumberOfBeacons, "Bearing  90\xB0");
    EXPECT_DOUBLE_EQ(view.PlotXScale, 4.0);
    EXPECT_DOUBLE_EQ(view.PlotYScale, 4.0);
}

TEST_F(MapViewTest, BeaconOnTheListeningLocationIsAtTheCentre)
{
    request.locationLat = "453000N";
    request.locationLon = "0754500W";
    request.latitudeRad = 45.5 / kDegreesPerRadian;
    request.longitudeRad = -75.75 / kDegreesPerRadian;
    request.txtDistance = " 523 km";
    request.txtBearing = " 45\xB0";
    const MapView view = DrawMapDisplay(folder.folder(), request);
    expectPoint(view.beaconPoint, {4000, 4000});
    EXPECT_EQ(view.Distance, 0);
    EXPECT_EQ(view.Bearing, 0);
    EXPECT_DOUBLE_EQ(view.QTHLatitude, 45.5 / kDegreesPerRadian);
    EXPECT_DOUBLE_EQ(view.QTHLongitude, -75.75 / kDegreesPerRadian);
}

TEST_F(MapViewTest, DiscCoversTwentyThousandUnitsInEitherUnit)
{
    for (const bool imperial : {false, true}) {
        request.imperial = imperial;
        const MapView view = DrawMapDisplay(folder.folder(), request);
        EXPECT_DOUBLE_EQ(view.disc.radius, 4.0 * 20000);
        EXPECT_TRUE(view.disc.filled);
        EXPECT_EQ(view.disc.fillColour, 0x404040u);
        EXPECT_EQ(view.disc.colour, 0xFFFF80u);
        expectPoint(view.disc.centre, {4000, 4000});
    }
}

TEST_F(MapViewTest, MarksDoNotScaleWithTheRange)
{
    request.range = 5000;
    request.txtDistance = " 2500 km";
    request.txtBearing = " 180\xB0";
    const MapView view = DrawMapDisplay(folder.folder(), request);
    ASSERT_EQ(view.marks.size(), 3);
    const double radii[] = {10, 200, 30};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(view.marks[i].radius, radii[i]);
    expectPoint(view.marks[0].centre, {4000, 6000});
    expectPoint(view.marks[1].centre, {4000, 6000});
    EXPECT_EQ(view.marks[0].colour, kWhite);
    EXPECT_EQ(view.marks[1].colour, kWhite);
    expectPoint(view.marks[2].centre, {4000, 4000});
    EXPECT_EQ(view.marks[2].colour, kRed);
    ASSERT_EQ(view.cross.size(), 2);
    expectPoint(view.cross[0].from, {3500, 4000});
    expectPoint(view.cross[0].to, {4500, 4000});
    expectPoint(view.cross[1].from, {4000, 3500});
    expectPoint(view.cross[1].to, {4000, 4500});
}

TEST_F(MapViewTest, MissingLayerIsReportedAndTheOthersAreDrawn)
{
    request.layers.lakes = true;
    request.layers.rivers = true;
    writeLayer("maps/lake.pnt", {{1001, 0, 60}, {5, 0, 120}});
    const MapView view = DrawMapDisplay(folder.folder(), request);
    ASSERT_EQ(view.layers.size(), 3);
    EXPECT_TRUE(view.layers[0].missing);
    EXPECT_EQ(view.layers[0].messageText(), QStringLiteral("maps\\coast.pnt file missing."));
    EXPECT_EQ(view.layers[0].messageTitle(), QStringLiteral("Error"));
    EXPECT_EQ(view.layers[1].messageText(), QStringLiteral("maps\\river.pnt file missing."));
    EXPECT_FALSE(view.layers[2].hasMessage());
    EXPECT_EQ(view.layers[2].pointsDrawn, 2);
    EXPECT_EQ(view.outlines.size(), 1);
    EXPECT_EQ(view.marks.size(), 3);
    EXPECT_FALSE(folder.exists("maps/coast.pnt"));
}

TEST_F(MapViewTest, LakesAreTealWithRiversOff)
{
    request.layers.lakes = true;
    writeLayer("maps/coast.pnt", {{1001, 0, 60}, {5, 0, 120}});
    writeLayer("maps/lake.pnt", {{1001, 60, 0}, {5, 120, 0}});
    writeLayer("maps/river.pnt", {{1001, 30, 30}, {5, 40, 40}});
    const MapView view = DrawMapDisplay(folder.folder(), request);
    ASSERT_EQ(view.layers.size(), 2);
    EXPECT_EQ(view.layers[1].fileName, "maps\\Lake.pnt");
    ASSERT_EQ(view.outlines.size(), 2);
    EXPECT_EQ(view.outlines[0].colour, 49152u);
    EXPECT_EQ(view.outlines[1].colour, 8421376u);
    expectPoint(view.outlines[1].points[0], northOfCentre(kmForMinutes(60), 1000));
}

TEST_F(MapViewTest, FirstLayerWithoutLineStartJoinsFromTheCentre)
{
    writeLayer("maps/coast.pnt", {{5, 0, 60}});
    const MapView view = DrawMapDisplay(folder.folder(), request);
    ASSERT_EQ(view.outlines.size(), 1);
    ASSERT_EQ(view.outlines[0].points.size(), 2);
    expectPoint(view.outlines[0].points[0], {4000, 4000});
}

TEST_F(MapViewTest, DetailLeavesOutLowerLevels)
{
    writeLayer("maps/coast.pnt", {{1001, 0, 60}, {3, 0, 90}, {4, 0, 120}});
    request.detail = 3;
    const MapView view = DrawMapDisplay(folder.folder(), request);
    ASSERT_EQ(view.layers.size(), 1);
    EXPECT_EQ(view.layers[0].pointCount, 3);
    EXPECT_EQ(view.layers[0].pointsDrawn, 2);
}

// ---- pointer read-out ----

TEST(DisplayPointer, BearingFollowsTheAxesAndQuadrants)
{
    const struct { double x, y; qint64 bearing; } cases[] = {
        {6000, 4000, 90}, {2000, 4000, 270}, {4000, 2000, 0}, {4000, 6000, 180},
        {6000, 2000, 45}, {6000, 6000, 135}, {2000, 6000, 225}, {2000, 2000, 315}, {4000, 4000, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DisplayPointer(c.x, c.y, 1000, true).bearingDeg, c.bearing) << c.x << "," << c.y;
}

TEST(DisplayPointer, CaptionHasBlanksBeforeNumbersAndTheDegreeSign)
{
    const double range = 2000;
    const double units = 1234.5 * 4000 / range;
    const double bearingRad = 87 / kDegreesPerRadian;
    const PointerReadout metric =
        DisplayPointer(4000 + units * std::sin(bearingRad), 4000 - units * std::cos(bearingRad), range, true);
    EXPECT_EQ(metric.caption, QByteArray(" 1234.5 km,  87\xB0"));
    EXPECT_TRUE(metric.visible);
    const PointerReadout miles = DisplayPointer(6000, 4000, 1000, false);
    EXPECT_EQ(miles.caption, QByteArray(" 500 mi,  90\xB0"));
}

TEST(DisplayPointer, DistanceIsCappedPerUnit)
{
    const PointerReadout km = DisplayPointer(0, 0, 20000, true); // 28284.3 at the corner
    EXPECT_EQ(km.distance, 20000);
    EXPECT_TRUE(km.caption.startsWith(" 20000 km, "));
    const PointerReadout mi = DisplayPointer(0, 0, 12430, false);
    EXPECT_EQ(mi.distance, 12430);
    EXPECT_TRUE(mi.caption.startsWith(" 12430 mi, "));
    EXPECT_EQ(DisplayPointer(8000, 4000, 12430, true).distance, 12430); // below the km cap
}

TEST(DisplayPointer, HiddenBeyondTheCorners)
{
    EXPECT_TRUE(DisplayPointer(0, 0, 1000, true).visible);
    EXPECT_FALSE(DisplayPointer(-100, -100, 1000, true).visible);
}

TEST(DisplayPointer, RangeComesFromTheViewThatIsShown)
{
    EXPECT_EQ(PointerRange(true, "300", 1100), 300);
    EXPECT_EQ(PointerRange(true, "250.5", 1100), 250);
    EXPECT_EQ(PointerRange(false, "300", 1100), 1100);
}

TEST(ToggleBeaconLabels, TwoTogglesHideThenShow)
{
    int hidden = 0;
    EXPECT_FALSE(ToggleBeaconLabels(hidden));
    EXPECT_EQ(hidden, 1);
    EXPECT_TRUE(ToggleBeaconLabels(hidden));
    EXPECT_EQ(hidden, 0);
}

} // namespace
