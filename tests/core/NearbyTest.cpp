#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "ClockTexts.h"
#include "Fixtures.h"
#include "Geodesy.h"
#include "Nearby.h"
#include "NumberText.h"
#include "Text.h"

using namespace qern;
using namespace qern::test;

namespace {

BeaconRecord at(const QByteArray &ident, const QByteArray &latitude, const QByteArray &longitude, quint32 mask = 0)
{
    return beacon({.ident = ident, .latitude = latitude, .longitude = longitude, .mask = mask});
}

// DD + MM / 60 + SS / 3600 from the characters of a coordinate text, read by the number reader.
double plainDegrees(QByteArrayView text, qsizetype degreesAt, qsizetype degreeDigits, qsizetype minutesAt,
                    qsizetype secondsAt, bool negative)
{
    const double value = numericValue(characters(text, degreesAt, degreeDigits))
                         + numericValue(characters(text, minutesAt, 2)) / 60
                         + numericValue(characters(text, secondsAt, 2)) / 3600;
    return negative ? -value : value;
}

// What a build lists, line by line.
struct Listed {
    QList<qint64> records;
    QList<QByteArray> texts;
    QList<bool> logged;
    qint64 foundCount = 0;
    bool loggedFlag = false;
};

Listed listed(const NearbyResult &r)
{
    Listed out;
    for (qsizetype k = 0; k < r.lines.size(); ++k) {
        out.records.append(r.lines[k].recordNumber);
        out.texts.append(r.lineText(k));
        out.logged.append(r.lines[k].logged);
    }
    out.foundCount = r.foundCount;
    out.loggedFlag = r.loggedFlag;
    return out;
}

// The nearby list built the plain way: every record decoded whole, every distance
// worked out with its bearing, each line written from its whole record.
Listed plainNearby(const QList<BeaconRecord> &beacons, double radius, QByteArrayView centreLat,
                   QByteArrayView centreLon, const NearbyContext &ctx)
{
    const double centreLatDeg = plainDegrees(centreLat, 1, 2, 4, 7, characters(centreLat, 10, 1) == "S");
    const double centreLonDeg = plainDegrees(centreLon, 1, 3, 5, 8, characters(centreLon, 11, 1) == "W");
    const QthDegrees qth = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);
    auto distance = [&](double latDeg, double lonDeg, double toLatDeg, double toLonDeg) {
        const double km = CalcDistanceBearing(latDeg / kDegreesPerRadian, lonDeg / kDegreesPerRadian,
                                              toLatDeg / kDegreesPerRadian, toLonDeg / kDegreesPerRadian)
                              .distanceKm;
        return ctx.imperial ? km / 1.609 : km;
    };
    Listed result;
    for (qsizetype k = 0; k < beacons.size(); ++k) {
        const BeaconRecord &b = beacons[k];
        const QByteArray lat = b.trimmedText(BeaconField::Latitude);
        const QByteArray lon = b.trimmedText(BeaconField::Longitude);
        const double latDeg = plainDegrees(lat, 2, 2, 4, 6, lat.startsWith('S'));
        const double lonDeg = plainDegrees(lon, 2, 3, 5, 7, lon.startsWith('W'));
        if ((latDeg == centreLatDeg && lonDeg == centreLonDeg)
            || !(distance(latDeg, lonDeg, centreLatDeg, centreLonDeg) <= radius))
            continue;
        const bool logged = b.isLoggedAt(ctx.currentLocationIndex);
        const double shown = distance(latDeg, lonDeg, qth.latitude, qth.longitude);
        result.records.append(k + 1);
        result.texts.append(nearbyLineText(b, logged, qint64(std::floor(shown + 0.5)), ctx));
        result.logged.append(logged);
        result.loggedFlag = result.loggedFlag || logged;
        ++result.foundCount;
    }
    return result;
}

// Beacons around 45N 75W with every field in its odd forms too: lower-case and unknown
// codes, duplicate suffixes, empty fields, blanks and letters in the coordinates.
QByteArray oddBeacons(int count, unsigned seed)
{
    std::mt19937 random(seed);
    auto pick = [&](const QList<QByteArray> &from) { return from[random() % from.size()]; };
    auto digits = [&](int n, int below) { return QByteArray::number(random() % below).rightJustified(n, '0'); };
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        Beacon b;
        b.ident = pick({"ABC", "abc;2", "#123", "$A", "", "X;Y", "AB;12", "LONGID;3"});
        b.country = pick({"CAN", "can", "NOR", "USA", "XYZ", "", "NRL"});
        b.state = pick({"ON", "WA", "", "ME", "et", "ZZ"});
        b.location = pick({"Port Eden", "", "Saint-Jean-sur-Richelieu, far along", "A"});
        b.frequency = pick({"338", "1020.5", "", "12345", "283.50"});
        b.latitude = pick({"N", "N", "N", "S"}) + QByteArray::number(40 + random() % 10) + digits(2, 60) + digits(2, 60)
                     + "00";
        b.longitude = pick({"W", "W", "W", "E"}) + QByteArray::number(70 + random() % 10).rightJustified(3, '0')
                      + digits(2, 60) + digits(2, 60) + "00";
        if (random() % 25 == 0)
            b.latitude =
                pick({"N4530", "N45 30 00", "X4530000", "N00000000", "", "N4500000Z", " S4530000", "s45300000"});
        if (random() % 25 == 0)
            b.longitude = pick({"W07542", "W075 42 0", "W000000000", "", "E1800000", " W0754200", "W07542.0"});
        b.mask = random() % 3 ? 0 : quint32(random() % 65536);
        bytes += beacon(b).bytes();
    }
    return bytes;
}

// Beacons at every pair of latitudes and longitudes in and out of their range; the
// sphere's formulas place N99 as N81 on the far meridian, and E285 as W75.
QByteArray outOfRangeBeacons()
{
    QList<BeaconRecord> records;
    for (const QByteArray latitude : {"N99000000", "N95300000", "N90000000", "N89595900", "N81000000", "S99595900",
                                      "N45000000", "S45000000"}) {
        for (const QByteArray longitude : {"E105000000", "E285000000", "W999595900", "E180000000", "W180000000",
                                           "E180300000", "W075000000", "W255000000"})
            records.append(at("OUT", latitude, longitude));
    }
    return bytesOf(records);
}

// Beacons of oddBeacons' places whose stored Frequency is, in turn, every six-byte form
// of a digit, the point, the shifted blank and the plain blank.
QByteArray everyFrequencyForm()
{
    const QByteArray alphabet = QByteArray(1, char('3' + 2)) + char('.' + 2) + kShiftedBlank + ' ';
    const qsizetype forms = 4 * 4 * 4 * 4 * 4 * 4;
    QByteArray bytes = oddBeacons(int(forms), 11);
    const qsizetype offset = layoutOf(BeaconField::Frequency).offset;
    for (qsizetype form = 0; form < forms; ++form) {
        for (qsizetype k = 0, rest = form; k < 6; ++k, rest /= 4)
            bytes[form * BeaconRecord::Length + offset + k] = alphabet[rest % 4];
    }
    return bytes;
}

// The centre as the main window shows 45 00 00 N, 075 00 00 W.
constexpr const char *kCentreLat = "45 00 00 N";
constexpr const char *kCentreLon = "075 00 00 W";

class NearbyTest : public ::testing::Test {
protected:
    NearbyTest()
    {
        ctx.countries = &countries;
        ctx.states = &states;
        ctx.locationLat = "430000N";
        ctx.locationLon = "0800000W";
    }

    NearbyResult find(double radius, const char *centreLat = kCentreLat, const char *centreLon = kCentreLon)
    {
        return FindNearbyBeacons(t.folder(), radius, centreLat, centreLon, ctx);
    }

    static QList<QByteArray> texts(const NearbyResult &r) { return listed(r).texts; }

    DataFolder t;
    CountryTable countries = sampleCountries();
    StateTable states = sampleStates();
    NearbyContext ctx;
};

} // namespace

TEST(NearbyCentre, ReadsTheDisplayedCoordinateTexts)
{
    const struct { const char *lat, *lon; double latitude, longitude; } cases[] = {
        {"45 30 20 N", "075 42 10 W", 45 + 30 / 60.0 + 20 / 3600.0, -(75 + 42 / 60.0 + 10 / 3600.0)},
        {"12 00 36 S", "140 06 00 E", -(12 + 36 / 3600.0), 140.1},
        {"12 00 36 s", "140 06 00 w", 12 + 36 / 3600.0, 140.1}, // only capitals negate
        {" 5 30 00 N", "075 4  00 W", 5.5, -(75 + 4 / 60.0)},  // blanks read as the leading-number rule does
        {"", "", 0, 0},
    };
    for (const auto &c : cases) {
        const NearbyCentre centre = nearbyCentreDegrees(c.lat, c.lon);
        EXPECT_DOUBLE_EQ(centre.latitude, c.latitude) << c.lat;
        EXPECT_DOUBLE_EQ(centre.longitude, c.longitude) << c.lon;
    }
}

TEST(NearbyTexts, CaptionsFollowTheUnitAndTheCount)
{
    EXPECT_EQ(nearbyCoverageCaption("ABC", "338", true), "Coverage radius from ABC-338 kHz (mi)");
    EXPECT_EQ(nearbyCoverageCaption("#123", "1020.5", false), "Coverage radius from #123-1020.5 kHz (km)");
    EXPECT_EQ(proposedNearbyRadius(true), "100");
    EXPECT_EQ(proposedNearbyRadius(false), "160");
    EXPECT_EQ(nearbySearchCaption(0), "Search returned 0 beacons.");
    EXPECT_EQ(nearbySearchCaption(12), "Search returned 12 beacons.");
}

TEST_F(NearbyTest, LineHasTheFixedColumnsAndTheNames)
{
    // 46N 75W and 45.5N 75W lie 518.0 and 485.5 km from the listener at 43N 80W.
    t.writeDatabase({at("ABC;2", "N46000000", "W075000000", 1),
                     beacon({.ident = "#123", .country = "nor", .state = "", .frequency = "1020.5",
                             .latitude = "N45300000", .longitude = "W075000000"})});
    const NearbyResult r = find(160);
    EXPECT_EQ(texts(r), (QList<QByteArray>{
                            "***ABC     338 kHz  Port Eden, Ontario, Canada ( 518 km)",
                            "   #123    1020.5 kHPort Eden, Norway ( 486 km)",
                        }));
    EXPECT_EQ(r.foundCount, 2);
    EXPECT_TRUE(r.loggedFlag);
    EXPECT_EQ(r.outcome, NearbyOutcome::Done);
    EXPECT_EQ(r.lblSearchCaption(), "Search returned 2 beacons.");
}

TEST_F(NearbyTest, BeaconsExactlyAtTheCentreAreNeitherListedNorCounted)
{
    const struct { const char *lat, *lon; QList<BeaconRecord> beacons; } cases[] = {
        {kCentreLat, kCentreLon,
         {at("CTR", "N45000000", "W075000000"), at("TWN", "N45000000", "W075000000"),
          at("NBR", "N45100000", "W075000000")}},
        // 20 seconds do not come out even in four decimals: the comparison must not round.
        {"45 30 20 N", "075 42 10 W", {at("CTR", "N45302000", "W075421000"), at("NBR", "N45312000", "W075421000")}},
    };
    for (const auto &c : cases) {
        t.writeDatabase(c.beacons);
        const NearbyResult r = find(160, c.lat, c.lon);
        ASSERT_EQ(r.lines.size(), 1) << c.lat;
        EXPECT_TRUE(r.lineText(0).startsWith("   NBR")) << c.lat;
        EXPECT_EQ(r.foundCount, 1) << c.lat;
    }
}

TEST_F(NearbyTest, DistanceEqualToTheRadiusIsListed)
{
    ctx.imperial = true;
    // 99.98 and 100.0001 miles north of the centre: the proposed radius takes the first only.
    t.writeDatabase({at("IN", "N46264800", "W075000000"), at("OUT", "N46264900", "W075000000")});
    const NearbyResult proposed = find(numericValue(proposedNearbyRadius(true)));
    ASSERT_EQ(proposed.lines.size(), 1);
    EXPECT_TRUE(proposed.lineText(0).startsWith("   IN "));

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
    t.writeDatabase({at("NTH", "N45000000", "W080000000"), at("STH", "N43000000", "W080000000")});
    EXPECT_EQ(texts(find(160, "44 00 00 N", "080 00 00 W")),
              (QList<QByteArray>{"   NTH     338 kHz  Port Eden, Ontario, Canada ( 222 km)",
                                 "   STH     338 kHz  Port Eden, Ontario, Canada ( 0 km)"}));
}

TEST_F(NearbyTest, ShownDistanceRoundsHalfUp)
{
    // 522.52 and 522.45 km north of the listening location at 43N 80W.
    t.writeDatabase({at("UP", "N47415600", "W080000000"), at("DOWN", "N47415400", "W080000000")});
    const NearbyResult r = find(100, "47 00 00 N", "080 00 00 W");
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_EQ(texts(r)[0].right(9), "( 523 km)");
    EXPECT_EQ(texts(r)[1].right(9), "( 522 km)");
}

// Checked apart from the plain build, which shares the unit and the mark with it.
TEST_F(NearbyTest, LoggedMarkFollowsTheCurrentLocationAndMilesShowTheirUnit)
{
    t.writeDatabase({at("ABC", "N45100000", "W075000000", 1u << 3)});
    for (const int location : {0, 3}) {
        ctx.currentLocationIndex = location;
        ctx.imperial = location == 3;
        const NearbyResult r = find(160);
        ASSERT_EQ(r.lines.size(), 1);
        EXPECT_TRUE(r.lineText(0).startsWith(location == 3 ? "***ABC" : "   ABC")) << location;
        EXPECT_TRUE(r.lineText(0).endsWith(location == 3 ? " mi)" : " km)")) << location;
        EXPECT_EQ(r.loggedFlag, location == 3);
        EXPECT_EQ(r.lines[0].logged, location == 3);
    }
}

TEST_F(NearbyTest, EmptyRadiusFindsNothing)
{
    t.writeDatabase({at("CTR", "N45000000", "W075000000"), at("NBR", "N45000100", "W075000000")});
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
    EXPECT_FALSE(t.exists("ndb.dat"));
}

TEST_F(NearbyTest, TheListIsThePlainBuildsLineForLine)
{
    CountryTable shippedCountries;
    StateTable shippedStates;
    ASSERT_FALSE(loadCountryTable(QStringLiteral(QERN_SOURCE_DATA_DIR "/Country.dat"), &shippedCountries));
    ASSERT_FALSE(loadStateTable(QStringLiteral(QERN_SOURCE_DATA_DIR "/State.dat"), &shippedStates));
    QByteArray shipped;
    ASSERT_FALSE(readWholeFile(QStringLiteral(QERN_SOURCE_DATA_DIR "/ndb.dat"), &shipped).failed());

    const struct { const char *name; QByteArray database; const CountryTable *countries; const StateTable *states; }
        databases[] = {
            {"shipped", shipped, &shippedCountries, &shippedStates},
            {"odd fields", oddBeacons(600, 7), &countries, &states},
            {"odd fields, no tables", oddBeacons(200, 8), nullptr, nullptr},
            {"every six-byte frequency", everyFrequencyForm(), &countries, &states},
            {"coordinates out of range", outOfRangeBeacons(), &countries, &states},
        };
    const struct { const char *lat, *lon; } centres[] = {
        {kCentreLat, kCentreLon}, {"60 10 00 N", "024 56 00 E"}, {"45 30 00 N", "075 42 10 W"}, {"", ""},
        // Out of range, as a beacon's coordinates can be: near beacons stored in range.
        {"80 00 00 N", "075 00 00 W"}, {"99 00 00 N", "105 00 00 E"}, {"45 00 00 N", "285 00 00 E"},
    };
    for (const auto &d : databases) {
        t.write("ndb.dat", d.database);
        const QList<BeaconRecord> beacons = recordsOf<BeaconRecord>(d.database);
        ctx.countries = d.countries;
        ctx.states = d.states;
        for (const auto &c : centres) {
            for (const double radius : {0.0, 25.0, 160.0, 1500.0, 20000.0}) {
                for (const bool imperial : {false, true}) {
                    ctx.imperial = imperial;
                    ctx.currentLocationIndex = imperial ? 3 : 0;
                    const NearbyResult found = find(radius, c.lat, c.lon);
                    const Listed r = listed(found);
                    const Listed plain = plainNearby(beacons, radius, c.lat, c.lon, ctx);
                    SCOPED_TRACE(testing::Message() << d.name << " around " << c.lat << ", " << c.lon << " within "
                                                    << radius << (imperial ? " mi" : " km"));
                    EXPECT_EQ(r.records, plain.records);
                    EXPECT_EQ(r.texts, plain.texts);
                    EXPECT_EQ(r.logged, plain.logged);
                    EXPECT_EQ(r.foundCount, plain.foundCount);
                    EXPECT_EQ(r.loggedFlag, plain.loggedFlag);
                    EXPECT_EQ(found.outcome, NearbyOutcome::Done);
                }
            }
        }
    }
}
