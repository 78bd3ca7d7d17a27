#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "Geodesy.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

// Distance and bearing of a beacon seen from a listener, both in degrees.
DistanceBearing seenFrom(double beaconLat, double beaconLon, double listenerLat, double listenerLon)
{
    return CalcDistanceBearing(beaconLat / kDegreesPerRadian, beaconLon / kDegreesPerRadian,
                               listenerLat / kDegreesPerRadian, listenerLon / kDegreesPerRadian);
}

} // namespace

TEST(CalcDistanceBearing, GivesKnownDistancesAndBearings)
{
    const struct {
        const char *name;
        double beaconLat, beaconLon, listenerLat, listenerLon, km, deg, kmTolerance, degTolerance;
    } cases[] = {
        {"worked example north-east", 45, -75, 43, -80, 457.5, 59.2, 0.05, 0.05},
        {"worked example west", 43, -85, 43, -80, 406.6, 271.7, 0.05, 0.05},
        // The arc-tangent form of the arc cosine leaves a few hundred-thousandths of a degree.
        {"same meridian, north", 50, -80, 43, -80, 778.3999167, 0, 1e-6, 1e-4},
        {"same meridian, south", 30, -80, 43, -80, 1445.5998453, 180, 1e-6, 1e-4},
        {"beacon at the north pole", 90, 0, 45, -80, 5003.9994645, 0, 1e-6, 1e-6},
        {"beacon at the south pole", -90, 0, 45, -80, 15011.9983934, 180, 1e-6, 1e-6},
        {"identical points", 45.5, -75.7, 45.5, -75.7, 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        const DistanceBearing db = seenFrom(c.beaconLat, c.beaconLon, c.listenerLat, c.listenerLon);
        EXPECT_NEAR(db.distanceKm, c.km, c.kmTolerance) << c.name;
        EXPECT_NEAR(db.bearingDeg, c.deg, c.degTolerance) << c.name;
    }
}

TEST(CalcDistanceBearing, NearlyIdenticalPointsAreClampedTo285Metres)
{
    // cos of the tiny longitude difference rounds to exactly 1.
    const DistanceBearing db = CalcDistanceBearing(0, 1e-9, 0, 0);
    EXPECT_NEAR(db.distanceKm, 0.0285, 0.00005);
    EXPECT_TRUE(std::isfinite(db.bearingDeg));
}

TEST(CalcDistanceBearing, AntipodesAndPolesStayFinite)
{
    const struct { double beaconLat, beaconLon, listenerLat, listenerLon; } cases[] = {
        {0, 180, 0, 0}, {45, -75, -45, 105}, {-90, 0, 90, 0}, // antipodes
        {45, 10, 90, 0}, {45, 10, -90, 0},                   // listener at a pole
        {90, 0, 45, -80}, {-90, 0, 45, -80},                  // beacon at a pole
    };
    for (const auto &c : cases) {
        const DistanceBearing db = seenFrom(c.beaconLat, c.beaconLon, c.listenerLat, c.listenerLon);
        SCOPED_TRACE(testing::Message() << c.beaconLat << ',' << c.beaconLon << " from "
                                        << c.listenerLat << ',' << c.listenerLon);
        ASSERT_TRUE(std::isfinite(db.distanceKm));
        ASSERT_TRUE(std::isfinite(db.bearingDeg));
        EXPECT_GE(db.bearingDeg, 0);
        EXPECT_LE(db.bearingDeg, 360);
        EXPECT_LE(db.distanceKm, M_PI * kEarthRadiusKm);
    }
    EXPECT_NEAR(seenFrom(0, 180, 0, 0).distanceKm, M_PI * kEarthRadiusKm, 0.05);
    EXPECT_NEAR(seenFrom(45, 10, 90, 0).distanceKm, 45 / kDegreesPerRadian * kEarthRadiusKm, 1e-6);
}

TEST(CalcDistanceBearing, WestOfTheListenerMirrorsTheBearing)
{
    const struct { double beaconLat, lonOffset; } cases[] = {{43, 1}, {44, 1}, {42, 3}, {60, 40}, {-10, 120}};
    for (const auto &c : cases) {
        const DistanceBearing east = seenFrom(c.beaconLat, -80 + c.lonOffset, 43, -80);
        const DistanceBearing west = seenFrom(c.beaconLat, -80 - c.lonOffset, 43, -80);
        SCOPED_TRACE(testing::Message() << c.beaconLat << ' ' << c.lonOffset);
        EXPECT_GT(east.bearingDeg, 0);
        EXPECT_LT(east.bearingDeg, 180);
        EXPECT_NEAR(west.bearingDeg, 360 - east.bearingDeg, 1e-9);
        EXPECT_NEAR(west.distanceKm, east.distanceKm, 1e-9);
    }
}

TEST(ComputeQTHDegrees, ReadsDegreesMinutesSecondsAndACapitalHemisphere)
{
    const struct { const char *lat, *lon; double latDeg, lonDeg; } cases[] = {
        {"430000N", "08000000W", 43, -80},     // first-run texts: extra digit ignored
        {"430000N", "0800000W", 43, -80}, {"451500S", "0753036E", -45.25, 75.51},
        {"430000s", "0800000w", 43, 80},       // lower case is no hemisphere letter
        {"4330N", "0801W", 43.5, -80.0166666666667}, // "1W" reads as 1 minute
        {"AB3000N", "XYZ3000W", 0.5, -0.5},    // a group that is no number counts 0
        {"", "", 0, 0},
    };
    for (const auto &c : cases) {
        const QthDegrees qth = ComputeQTHDegrees(c.lat, c.lon);
        EXPECT_NEAR(qth.latitude, c.latDeg, 1e-9) << c.lat;
        EXPECT_NEAR(qth.longitude, c.lonDeg, 1e-9) << c.lon;
    }
}

TEST(BeaconDegrees, ReadTheRecordTextsRoundedToFourDecimals)
{
    const struct { const char *text; double deg; } latitudes[] = {
        {"N45300000", 45.5}, {"S45301500", -45.5042}, {"N00000000", 0}, {"s45300000", 45.5}, {"", 0},
    };
    for (const auto &c : latitudes)
        EXPECT_DOUBLE_EQ(beaconLatitudeDegrees(c.text), c.deg) << c.text;

    const struct { const char *text; double deg; } longitudes[] = {
        {"W075421000", -75.7028}, {"E075421000", 75.7028}, {"W000000000", 0}, {"W1800000", -180},
    };
    for (const auto &c : longitudes)
        EXPECT_DOUBLE_EQ(beaconLongitudeDegrees(c.text), c.deg) << c.text;
}

TEST(MakeLocator, GivesTheSixCharacterSquare)
{
    const struct { double lat, lon; const char *locator; } cases[] = {
        {43, -80, "FN03aa"}, {51.5, -0.1, "IO91wm"}, {0, 0, "JJ00aa"},
        {90, 180, "AS00aa"}, // longitude wraps, latitude goes one past R
        {-90, -180, "AA00aa"}, {45.5083, -75.7028, "FN25dm"}, {-33.9, 151.2, "QF56oc"},
        // Exact boundaries, where multiplying by 0.1 and dividing by 20 decide the square.
        {-8, 0, "JI02aa"}, {-78.5, 0, "JB01am"}, {0, -156, "BJ10xa"}, {0, -159.5, "BJ00fa"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MakeLocator(c.lat, c.lon), QByteArray(c.locator)) << c.lat << ' ' << c.lon;
}

class FindClosestMetarTest : public testing::Test {
protected:
    TestFolder dir;
};

TEST_F(FindClosestMetarTest, NamesTheNearestStationWithItsRegionUnlessXX)
{
    dir.write("Metar.txt", "\"AAAA\",\"\",45.0,-75.0,\"Alpha Field\",\"XX\"\r\n"
                           "\"BBBB\",\"\",40.0,-70.0,\"Bravo Airport\",\"NY\"\r\n"
                           "\"CCCC\",\"\",-33.9,151.2,\"Charlie, Sydney\",\" XX \"\r\n");
    EXPECT_EQ(FindClosestMetar(dir.folder(), 45.1, -75.0), "AAAA, Alpha Field");
    EXPECT_EQ(FindClosestMetar(dir.folder(), 40.1, -70.2), "BBBB, NY, Bravo Airport");
    // The region is trimmed before it is compared; a quoted name keeps its comma.
    EXPECT_EQ(FindClosestMetar(dir.folder(), -34, 151), "CCCC, Charlie, Sydney");
}

TEST_F(FindClosestMetarTest, OfEquallyDistantStationsTheFirstWins)
{
    dir.write("Metar.txt", "ZZZZ,x,10,10,First,XX\nYYYY,x,10,10,Second,XX\n");
    EXPECT_EQ(FindClosestMetar(dir.folder(), 11, 11), "ZZZZ, First");
}

TEST_F(FindClosestMetarTest, MissingFileOrNoStationWithin20000KmLeavesTheCaptionEmpty)
{
    EXPECT_EQ(FindClosestMetar(dir.folder(), 45, -75), "");
    dir.write("Metar.txt", "AAAA,,45.0,-75.0,Alpha,XX\n");
    // The antipode is 20015.9 km away.
    EXPECT_EQ(FindClosestMetar(dir.folder(), -45, 105), "");
    dir.write("Metar.txt", "");
    EXPECT_EQ(FindClosestMetar(dir.folder(), 45, -75), "");
}

TEST_F(FindClosestMetarTest, FindsTheFileWhateverItsCaseAndIgnoresACutOffStation)
{
    dir.write("METAR.TXT", "AAAA,,45.0,-75.0,Alpha,XX\r\nBBBB,,45.1,-75.0\r\n");
    EXPECT_EQ(FindClosestMetar(dir.folder(), 45.1, -75.0), "AAAA, Alpha");
}

TEST_F(FindClosestMetarTest, KeepsTheBestDistanceToFourDecimals)
{
    // 1111.99988 km is kept as 1111.9999, so the next station at 1111.99989 km still wins.
    dir.write("Metar.txt", "AAAA,,10.0000000,0,Nearer,XX\nBBBB,,10.0000001,0,Farther,XX\n");
    EXPECT_EQ(FindClosestMetar(dir.folder(), 0, 0), "BBBB, Farther");
}

TEST(DistanceFrom, GivesCalcDistanceBearingsKilometresToTheLastBit)
{
    std::mt19937 random(1102);
    std::uniform_real_distribution<double> latitude(-90, 90);
    std::uniform_real_distribution<double> longitude(-180, 180);
    std::vector<std::pair<double, double>> points = {{0, 0}, {90, 0}, {-90, 0}, {0, 180}, {45, -75}, {45, -75.0000001}};
    for (int i = 0; i < 2000; ++i)
        points.emplace_back(latitude(random), longitude(random));
    for (const auto &[fromLat, fromLon] : {std::pair{45.0, -75.0}, std::pair{-33.9, 151.2}, std::pair{90.0, 0.0}}) {
        const DistanceFrom from(fromLat / kDegreesPerRadian, fromLon / kDegreesPerRadian);
        for (const auto &[lat, lon] : points) {
            const double km = from.km(PointRad(lat / kDegreesPerRadian, lon / kDegreesPerRadian));
            EXPECT_EQ(km, seenFrom(lat, lon, fromLat, fromLon).distanceKm) << lat << ',' << lon;
            // The meridian alone never makes a point farther than it is, but for the clamp's metres.
            EXPECT_LE(from.lowerBoundKm(lat / kDegreesPerRadian), km + 0.03) << lat << ',' << lon;
            // Neither does a cosine below the limit's, nor one above it nearer.
            const double cosine = from.cosineTo(PointRad(lat / kDegreesPerRadian, lon / kDegreesPerRadian));
            for (const double limitKm : {0.0, 0.5, km, std::nextafter(km, 0.0), std::nextafter(km, 1e9), km - 1e-6,
                                         km + 1e-6, 5000.0, 19999.9}) {
                if (cosine < std::cos(limitKm / kEarthRadiusKm) - 1e-9) {
                    EXPECT_GT(km, limitKm) << lat << ',' << lon;
                }
                if (cosine > std::cos(limitKm / kEarthRadiusKm) + 1e-9) {
                    EXPECT_LT(km, limitKm) << lat << ',' << lon;
                }
            }
        }
    }
}
