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

// Coordinates beyond 90 and 180 degrees too: a record can hold them.
TEST(DistanceFrom, GivesCalcDistanceBearingsKilometresToTheLastBit)
{
    std::mt19937 random(1102);
    std::uniform_real_distribution<double> latitude(-90, 90);
    std::uniform_real_distribution<double> longitude(-180, 180);
    std::uniform_real_distribution<double> anyLatitude(-99.9, 99.9);
    std::uniform_real_distribution<double> anyLongitude(-999.9, 999.9);
    std::vector<std::pair<double, double>> points = {{0, 0},     {90, 0},  {-90, 0},  {0, 180},        {45, -75},
                                                     {45, -75.0000001},    {99, 105}, {81, -75}, {45, 285}};
    for (int i = 0; i < 2000; ++i)
        points.emplace_back(latitude(random), longitude(random));
    for (int i = 0; i < 500; ++i)
        points.emplace_back(anyLatitude(random), anyLongitude(random));
    // Points within a few degrees of each centre, where the reach decides.
    const std::pair<double, double> centres[] = {{45.0, -75.0}, {-33.9, 151.2}, {90.0, 0.0}, {88.5, 10.0},
                                                 {80.0, 179.9}, {99.0, 105.0},  {45.0, 285.0}};
    for (const auto &[centreLat, centreLon] : centres) {
        std::uniform_real_distribution<double> offset(-3, 3);
        for (int i = 0; i < 300; ++i)
            points.emplace_back(centreLat + offset(random), centreLon + 3 * offset(random));
    }
    for (const auto &[fromLat, fromLon] : centres) {
        const DistanceFrom from(fromLat / kDegreesPerRadian, fromLon / kDegreesPerRadian);
        for (const auto &[lat, lon] : points) {
            const double km = from.km(PointRad(lat / kDegreesPerRadian, lon / kDegreesPerRadian));
            EXPECT_EQ(km, seenFrom(lat, lon, fromLat, fromLon).distanceKm) << lat << ',' << lon;
            // Neither a cosine below the limit's (of a limit below 20000 km), nor a place
            // outside the reach, makes a point farther than it is; nor does a cosine above the
            // limit's make it nearer.
            const double cosine = from.cosineTo(PointRad(lat / kDegreesPerRadian, lon / kDegreesPerRadian));
            for (const double limitKm : {0.0, 0.5, km, std::nextafter(km, 0.0), std::nextafter(km, 1e9), km - 1e-6,
                                         km + 1e-6, 100.0, 5000.0, 19999.9, 25000.0}) {
                if (limitKm < 20000 && cosine < std::cos(limitKm / kEarthRadiusKm) - 1e-9) {
                    EXPECT_GT(km, limitKm) << lat << ',' << lon;
                }
                if (cosine > std::cos(limitKm / kEarthRadiusKm) + 1e-9) {
                    EXPECT_LT(km, limitKm) << lat << ',' << lon;
                }
                const ReachAround reach(fromLat, fromLon, limitKm);
                if (reach.outsideByLatitude(lat) || reach.outsideByLongitude(lat, lon)) {
                    EXPECT_GT(km, limitKm) << lat << ',' << lon << " from " << fromLat << ',' << fromLon;
                }
            }
        }
    }
}

// That it never turns a nearer point away is checked above; here, that it turns away far ones.
TEST(ReachAround, TurnsAwayPointsBeyondTheLimitByEitherCoordinate)
{
    // 100 km around 45N 75W reach 0.90 degrees of latitude and 1.27 of longitude.
    const ReachAround reach(45.0, -75.0, 100.0);
    EXPECT_TRUE(reach.outsideByLatitude(46.0));
    EXPECT_TRUE(reach.outsideByLatitude(44.0));
    EXPECT_FALSE(reach.outsideByLatitude(45.8));
    EXPECT_TRUE(reach.outsideByLongitude(45.0, -73.6));
    EXPECT_TRUE(reach.outsideByLongitude(45.0, 105.0));
    EXPECT_FALSE(reach.outsideByLongitude(45.0, -73.8));
    EXPECT_FALSE(reach.outsideByLongitude(45.0, 285.0)); // the meridian of 75W, written the other way round
    // A circle around a pole, or a centre out of range, has no reach in longitude.
    EXPECT_FALSE(ReachAround(89.5, 0.0, 100.0).outsideByLongitude(89.5, 180.0));
    EXPECT_FALSE(ReachAround(99.0, 105.0, 100.0).outsideByLatitude(10.0));
    EXPECT_FALSE(ReachAround(45.0, 285.0, 100.0).outsideByLongitude(45.0, 105.0));
}
