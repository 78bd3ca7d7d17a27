#include <gtest/gtest.h>

#include <cmath>

#include "BeaconRecord.h"
#include "Geodesy.h"
#include "Nearby.h"
#include "NumberText.h"
#include "Tables.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

struct Beacon {
    QByteArray ident = "ABC";
    QByteArray frequency = "338";
    QByteArray country = "NRL";
    QByteArray state = "ET";
    QByteArray location = "Port Eden";
    QByteArray latitude = "N45000000";
    QByteArray longitude = "W075000000";
    quint32 mask = 0;
};

QByteArray record(const Beacon &b)
{
    BeaconRecord r;
    const std::pair<BeaconField, QByteArray> fields[] = {
        {BeaconField::Ident, b.ident},         {BeaconField::CountryCode, b.country},
        {BeaconField::StateCode, b.state},     {BeaconField::Location, b.location},
        {BeaconField::Frequency, b.frequency}, {BeaconField::Latitude, b.latitude},
        {BeaconField::Longitude, b.longitude},
    };
    for (const auto &[field, value] : fields)
        EXPECT_TRUE(r.setShiftedOrBlank(field, value));
    r.setLoggedMask(b.mask);
    return r.bytes();
}

Beacon at(const QByteArray &ident, const QByteArray &latitude, const QByteArray &longitude)
{
    Beacon b;
    b.ident = ident;
    b.latitude = latitude;
    b.longitude = longitude;
    return b;
}

// The centre as the main window shows 45 00 00 N, 075 00 00 W.
constexpr const char *kCentreLat = "45 00 00 N";
constexpr const char *kCentreLon = "075 00 00 W";

class NearbyTest : public ::testing::Test {
protected:
    NearbyTest()
    {
        countries.rows = {{"NRL", "Norland", ""}, {"CAN", "Canada", ""}};
        states.rows = {{"ET", "Eastland", "NRL"}, {"ON", "Ontario", "CAN"}};
        ctx.countries = &countries;
        ctx.states = &states;
        ctx.locationLat = "430000N";
        ctx.locationLon = "0800000W";
    }

    void writeDatabase(std::initializer_list<Beacon> beacons)
    {
        QByteArray bytes;
        for (const Beacon &b : beacons)
            bytes += record(b);
        folder.write("ndb.dat", bytes);
    }

    NearbyResult find(double radius, const char *centreLat = kCentreLat, const char *centreLon = kCentreLon,
                      const NearbyLineSink &sink = {})
    {
        return FindNearbyBeacons(folder.folder(), radius, centreLat, centreLon, ctx, sink);
    }

    QList<QByteArray> texts(const NearbyResult &r)
    {
        QList<QByteArray> out;
        for (const NearbyLine &line : r.lines)
            out.append(line.text);
        return out;
    }

    TestFolder folder;
    CountryTable countries;
    StateTable states;
    NearbyContext ctx;
};

TEST(NearbyCentre, ReadsTheDisplayedCoordinateTexts)
{
    const struct {
        const char *lat, *lon;
        double latitude, longitude;
    } cases[] = {
        {"45 30 20 N", "075 42 10 W", 45 + 30 / 60.0 + 20 / 3600.0, -(75 + 42 / 60.0 + 10 / 3600.0)},
        {"12 00 36 S", "140 06 00 E", -(12 + 36 / 3600.0), 140.1},
        {"12 00 36 s", "140 06 00 w", 12 + 36 / 3600.0, 140.1}, // only capitals negate
        {" 5 30 00 N", "075 4  00 W", 5.5, -(75 + 4 / 60.0)}, // blanks read as the leading-number rule does
        {"", "", 0, 0},
    };
    for (const auto &c : cases) {
        const NearbyCentre centre = nearbyCentreDegrees(c.lat, c.lon);
        EXPECT_DOUBLE_EQ(centre.latitude, c.latitude) << c.lat;
        EXPECT_DOUBLE_EQ(centre.longitude, c.longitude) << c.lon;
    }
}

TEST(NearbyTexts, CoverageCaptionAndProposedRadiusFollowTheUnit)
{
    EXPECT_EQ(nearbyCoverageCaption("ABC", "338", true), "Coverage radius from ABC-338 kHz (mi)");
    EXPECT_EQ(nearbyCoverageCaption("#123", "1020.5", false), "Coverage radius from #123-1020.5 kHz (km)");
    EXPECT_EQ(proposedNearbyRadius(true), "100");
    EXPECT_EQ(proposedNearbyRadius(false), "160");
}

TEST(NearbyTexts, SearchCaptionHasABlankBeforeTheCount)
{
    EXPECT_EQ(nearbySearchCaption(0), "Search returned 0 beacons.");
    EXPECT_EQ(nearbySearchCaption(12), "Search returned 12 beacons.");
}

TEST_F(NearbyTest, LineHasTheFixedColumnsAndTheNames)
{
    Beacon b = at("ABC;2", "N46000000", "W075000000");
    b.mask = 1;
    Beacon d = at("#123", "N45300000", "W075000000");
    d.frequency = "1020.5";
    d.state = "";
    d.country = "nrl";
    writeDatabase({b, d});
    const NearbyResult r = find(160);
    // 46N 75W and 45.5N 75W seen from 43N 80W.
    const qint64 toB = std::llround(CalcDistanceBearing(46 / kDegreesPerRadian, -75 / kDegreesPerRadian,
                                                        43 / kDegreesPerRadian, -80 / kDegreesPerRadian).distanceKm);
    const qint64 toD = std::llround(CalcDistanceBearing(45.5 / kDegreesPerRadian, -75 / kDegreesPerRadian,
                                                        43 / kDegreesPerRadian, -80 / kDegreesPerRadian).distanceKm);
    EXPECT_EQ(texts(r), (QList<QByteArray>{
                            "***ABC     338 kHz  Port Eden, Eastland, Norland (" + signedText(toB) + " km)",
                            "   #123    1020.5 kHPort Eden, Norland (" + signedText(toD) + " km)",
                        }));
    EXPECT_EQ(r.foundCount, 2);
    EXPECT_TRUE(r.loggedFlag);
    EXPECT_EQ(r.outcome, NearbyOutcome::Done);
    EXPECT_EQ(r.lblSearchCaption(), "Search returned 2 beacons.");
}

TEST_F(NearbyTest, MilesAreShownWithTheirUnit)
{
    ctx.imperial = true;
    writeDatabase({at("ABC", "N45300000", "W075000000")});
    const NearbyResult r = find(100);
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_TRUE(r.lines[0].text.endsWith(" mi)"));
}

TEST_F(NearbyTest, CentreBeaconIsNeitherListedNorCounted)
{
    writeDatabase({at("CTR", "N45000000", "W075000000"), at("TWN", "N45000000", "W075000000"),
                   at("NBR", "N45100000", "W075000000")});
    const NearbyResult r = find(160);
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_TRUE(r.lines[0].text.startsWith("   NBR"));
    EXPECT_EQ(r.foundCount, 1);
}

TEST_F(NearbyTest, CentreWithSecondsIsMatchedExactly)
{
    // 20 seconds do not come out even in four decimals: the comparison must not round.
    writeDatabase({at("CTR", "N45302000", "W075421000"), at("NBR", "N45312000", "W075421000")});
    const NearbyResult r = find(160, "45 30 20 N", "075 42 10 W");
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_TRUE(r.lines[0].text.startsWith("   NBR"));
}

TEST_F(NearbyTest, HundredMilesIsInsideTheProposedRadius)
{
    ctx.imperial = true;
    // 99.98 and 100.0001 miles north of the centre.
    writeDatabase({at("IN", "N46264800", "W075000000"), at("OUT", "N46264900", "W075000000")});
    const NearbyResult r = find(numericValue(proposedNearbyRadius(true)));
    ASSERT_EQ(r.lines.size(), 1);
    EXPECT_TRUE(r.lines[0].text.startsWith("   IN "));
}

TEST_F(NearbyTest, DistanceEqualToTheRadiusIsListed)
{
    ctx.imperial = true;
    writeDatabase({at("EDGE", "N46264800", "W075000000")});
    const double lat = 46 + 26 / 60.0 + 48 / 3600.0;
    const double miles = CalcDistanceBearing(lat / kDegreesPerRadian, -75 / kDegreesPerRadian,
                                             45 / kDegreesPerRadian, -75 / kDegreesPerRadian)
                             .distanceKm /
                         1.609;
    EXPECT_EQ(find(miles).foundCount, 1);
    EXPECT_EQ(find(std::nextafter(miles, 0.0)).foundCount, 0);
}

TEST_F(NearbyTest, DistancesAreFromTheListeningLocation)
{
    // Both 1 degree from the centre at 44N 80W; one is 2 degrees from the listening
    // location at 43N 80W, the other sits on it.
    writeDatabase({at("NTH", "N45000000", "W080000000"), at("STH", "N43000000", "W080000000")});
    const NearbyResult r = find(160, "44 00 00 N", "080 00 00 W");
    EXPECT_EQ(texts(r), (QList<QByteArray>{
                            "   NTH     338 kHz  Port Eden, Eastland, Norland ( 222 km)",
                            "   STH     338 kHz  Port Eden, Eastland, Norland ( 0 km)",
                        }));
}

TEST_F(NearbyTest, ShownDistanceRoundsHalfUp)
{
    // 522.52 and 522.45 km north of the listening location at 43N 80W.
    writeDatabase({at("UP", "N47415600", "W080000000"), at("DOWN", "N47415400", "W080000000")});
    const NearbyResult r = find(100, "47 00 00 N", "080 00 00 W");
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_TRUE(r.lines[0].text.endsWith("( 523 km)")) << r.lines[0].text.constData();
    EXPECT_TRUE(r.lines[1].text.endsWith("( 522 km)")) << r.lines[1].text.constData();
}

TEST_F(NearbyTest, LoggedMarkFollowsTheCurrentLocation)
{
    Beacon b = at("ABC", "N45100000", "W075000000");
    b.mask = 1u << 3;
    writeDatabase({b});
    const NearbyResult here0 = find(160);
    ASSERT_EQ(here0.lines.size(), 1);
    EXPECT_TRUE(here0.lines[0].text.startsWith("   ABC"));
    EXPECT_FALSE(here0.loggedFlag);
    ctx.currentLocationIndex = 3;
    const NearbyResult here3 = find(160);
    ASSERT_EQ(here3.lines.size(), 1);
    EXPECT_TRUE(here3.lines[0].text.startsWith("***ABC"));
    EXPECT_TRUE(here3.loggedFlag);
    EXPECT_TRUE(here3.lines[0].logged);
}

TEST_F(NearbyTest, LinesKeepRecordOrder)
{
    writeDatabase({at("FAR", "N46000000", "W075000000"), at("CTR", "N45000000", "W075000000"),
                   at("NEAR", "N45010000", "W075000000")});
    const NearbyResult r = find(160);
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_EQ(r.lines[0].recordNumber, 1);
    EXPECT_EQ(r.lines[1].recordNumber, 3);
}

TEST_F(NearbyTest, EmptyRadiusFindsNothing)
{
    writeDatabase({at("CTR", "N45000000", "W075000000"), at("NBR", "N45000100", "W075000000")});
    const NearbyResult r = find(numericValue(""));
    EXPECT_EQ(r.foundCount, 0);
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_EQ(r.lblSearchCaption(), "Search returned 0 beacons.");
    EXPECT_FALSE(r.hasMessage());
}

TEST_F(NearbyTest, MissingDatabaseIsReportedAndNotCreated)
{
    const NearbyResult r = find(160);
    EXPECT_EQ(r.outcome, NearbyOutcome::DatabaseMissing);
    EXPECT_TRUE(r.hasMessage());
    EXPECT_EQ(r.messageText(), QStringLiteral("Main database missing"));
    EXPECT_EQ(r.messageTitle(), QStringLiteral("Error"));
    EXPECT_FALSE(folder.exists("ndb.dat"));
}

TEST_F(NearbyTest, EachLineReachesTheWindowAsItIsMade)
{
    writeDatabase({at("ONE", "N45100000", "W075000000"), at("TWO", "N45200000", "W075000000"),
                   at("THR", "N45300000", "W075000000")});
    QList<qint64> numbers;
    const NearbyResult r = find(160, kCentreLat, kCentreLon, [&](const NearbyLine &line) {
        numbers.append(line.lineNumber);
        return true;
    });
    EXPECT_EQ(numbers, (QList<qint64>{1, 2, 3}));
    EXPECT_EQ(r.foundCount, 3);
}

TEST_F(NearbyTest, WindowCanStopTheBuild)
{
    writeDatabase({at("ONE", "N45100000", "W075000000"), at("TWO", "N45200000", "W075000000"),
                   at("THR", "N45300000", "W075000000")});
    int seen = 0;
    const NearbyResult r = find(160, kCentreLat, kCentreLon, [&](const NearbyLine &) { return ++seen < 2; });
    EXPECT_EQ(r.outcome, NearbyOutcome::Stopped);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(r.lines.size(), 2);
    EXPECT_FALSE(r.hasMessage());
}

} // namespace
