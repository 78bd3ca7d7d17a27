#include <gtest/gtest.h>

#include <random>

#include "ClockTexts.h"
#include "Fixtures.h"
#include "Geodesy.h"
#include "LikePattern.h"
#include "NumberText.h"
#include "Search.h"
#include "SharedState.h"
#include "Text.h"

using namespace qern;
using namespace qern::test;

namespace {

struct Found {
    QByteArray ident;
    QByteArray frequency = "338";
    QByteArray latitude = "N45300000";
    QByteArray longitude = "W075421000";
};

QByteArray database(std::initializer_list<Found> beacons)
{
    QList<BeaconRecord> records;
    for (const Found &b : beacons)
        records.append(beacon({.ident = b.ident, .frequency = b.frequency, .latitude = b.latitude,
                               .longitude = b.longitude}));
    return bytesOf(records);
}

// The listener at 43N 80W.
SearchContext home(int filterValue = 0, bool metric = true)
{
    SearchContext ctx;
    ctx.locationLat = "430000N";
    ctx.locationLon = "0800000W";
    ctx.distanceFilterValue = filterValue;
    ctx.metric = metric;
    return ctx;
}

// Degrees of a beacon's coordinate text, read by the number reader, four decimals.
double plainDegrees(QByteArrayView text, qsizetype degreeDigits, bool rounded = true)
{
    const double value = numericValue(characters(text, 2, degreeDigits))
                         + numericValue(characters(text, 2 + degreeDigits, 2)) / 60
                         + numericValue(characters(text, 4 + degreeDigits, 2)) / 3600;
    const double degrees = rounded ? roundToDecimals(value, 4) : value;
    return text.startsWith("S") || text.startsWith("W") ? -degrees : degrees;
}

// Degrees, minutes and seconds of a whole number of seconds, as a record stores them.
QByteArray sexagesimalText(int seconds, int degreeDigits)
{
    return QByteArray::number(seconds / 3600).rightJustified(degreeDigits, '0')
           + QByteArray::number(seconds / 60 % 60).rightJustified(2, '0')
           + QByteArray::number(seconds % 60).rightJustified(2, '0');
}

// The matches of a look-up found the plain way: every record decoded whole. Unrounded,
// the distance filter takes the coordinates as they are, not to four decimals.
QList<qint64> plainMatches(const QByteArray &bytes, QByteArrayView text, bool filterOn, const SearchContext &ctx,
                           bool rounded = true)
{
    if (text.isEmpty() || std::all_of(text.begin(), text.end(), [](char c) { return c == '?'; }))
        return {}; // refused
    const QByteArray wanted = upperCase(trimBlanks(text));
    const bool frequencySearch = std::all_of(wanted.begin(), wanted.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.';
    });
    const auto pattern = wanted.contains('?') ? LikePattern::compile(wanted) : std::nullopt;
    const QthDegrees qth = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);
    QList<qint64> matches;
    const QList<BeaconRecord> records = recordsOf<BeaconRecord>(bytes);
    for (qsizetype k = 0; k < records.size(); ++k) {
        const BeaconRecord &r = records[k];
        const QByteArray ident = StripSemicolonSuffix(r.trimmedText(BeaconField::Ident));
        const bool candidate = frequencySearch ? r.trimmedText(BeaconField::Frequency) == wanted
                                               : (pattern && pattern->matches(ident)) || ident == wanted;
        if (!candidate)
            continue;
        if (filterOn) {
            const double lat = plainDegrees(r.trimmedText(BeaconField::Latitude), 2, rounded);
            const double lon = plainDegrees(r.trimmedText(BeaconField::Longitude), 3, rounded);
            const double km = CalcDistanceBearing(lat / kDegreesPerRadian, lon / kDegreesPerRadian,
                                                  qth.latitude / kDegreesPerRadian, qth.longitude / kDegreesPerRadian)
                                  .distanceKm;
            if (lat != 0 && lon != 0 && (ctx.metric ? km : km / 1.609) > ctx.distanceFilterValue)
                continue;
        }
        matches.append(k + 1);
    }
    return matches;
}

class SearchTest : public ::testing::Test {
protected:
    SearchResult search(QByteArrayView text, QByteArrayView frequency = {})
    {
        return SearchBeacons(folder.folder(), text, frequency, false, home());
    }

    TestFolder folder;
};

} // namespace

TEST_F(SearchTest, RefusedTextsSayWhy)
{
    folder.write("ndb.dat", database({{"ABC"}}));
    const struct { const char *text; SearchOutcome outcome; const char *message, *title; } cases[] = {
        {"", SearchOutcome::EmptyText, "Empty search field.", "Huh?"},
        {"?", SearchOutcome::WildcardsOnly, "Searching wildcards only is not allowed.", "A big no, no."},
        {"???", SearchOutcome::WildcardsOnly, "Searching wildcards only is not allowed.", "A big no, no."},
        {"???????", SearchOutcome::WildcardsOnly, "Searching wildcards only is not allowed.", "A big no, no."},
        {"AB[?", SearchOutcome::BadPattern, "Invalid pattern.", "Huh?"},
    };
    for (const auto &c : cases) {
        const SearchResult r = search(c.text);
        EXPECT_EQ(r.outcome, c.outcome) << c.text;
        EXPECT_TRUE(r.hasMessage()) << c.text;
        EXPECT_EQ(r.messageText(), c.message) << c.text;
        EXPECT_EQ(r.messageTitle(), c.title) << c.text;
        EXPECT_TRUE(r.matches.isEmpty()) << c.text;
        EXPECT_EQ(r.searchMatchCount(), 0) << c.text;
    }
}

TEST_F(SearchTest, ExactIdentSearchUpperCasesTheTextButNotTheStoredIdent)
{
    folder.write("ndb.dat", database({{"ABC"}, {"abd"}, {"AB"}, {"ABCD"}}));
    const struct { const char *text; QList<qint64> matches; } cases[] = {
        {"abc", {1}}, {"  ABC ", {1}},
        {"abd", {}}, // a stored lower-case ident is never found
        {"ABD", {}}, {"AB", {3}}, {"ABCD", {4}},
    };
    for (const auto &c : cases) {
        const SearchResult r = search(c.text);
        EXPECT_EQ(r.matches, c.matches) << c.text;
        EXPECT_FALSE(r.frequencySearch) << c.text;
        EXPECT_EQ(r.outcome, c.matches.isEmpty() ? SearchOutcome::NotFound : SearchOutcome::Found) << c.text;
    }
}

TEST_F(SearchTest, DuplicateSuffixIsIgnoredSoBothEntriesMatch)
{
    folder.write("ndb.dat", database({{"XYZ"}, {"ABC"}, {"QQQ"}, {"ABC;2"}}));
    const SearchResult r = search("ABC");
    EXPECT_EQ(r.outcome, SearchOutcome::Found);
    EXPECT_EQ(r.matches, (QList<qint64>{2, 4}));
    EXPECT_EQ(r.shownRecord(), 2);
    EXPECT_EQ(r.searchMatchCount(), 2);
}

TEST_F(SearchTest, FrequencySearchComparesTheTextExactly)
{
    // "338" is a frequency search, so a beacon whose ident reads 338 is not found by it.
    folder.write("ndb.dat", database({{"A", "338"}, {"B", "338.0"}, {"C", "338.5"}, {"D", "1.2.3"}, {"E", "0338"},
                                      {"F", "338"}, {"338", "400"}}));
    const struct { const char *text; QList<qint64> matches; } cases[] = {
        {"338", {1, 6}}, {"338.5", {3}}, {"338.0", {2}}, {"1.2.3", {4}}, {" 338 ", {1, 6}}, {"33", {}}, {"400", {7}},
    };
    for (const auto &c : cases) {
        const SearchResult r = search(c.text);
        EXPECT_TRUE(r.frequencySearch) << c.text;
        EXPECT_EQ(r.matches, c.matches) << c.text;
        EXPECT_EQ(r.outcome, c.matches.isEmpty() ? SearchOutcome::NotFound : SearchOutcome::Found) << c.text;
    }
}

TEST_F(SearchTest, PatternFindsIdentsByTheOperatorRules)
{
    folder.write("ndb.dat", database({{"ABC"}, {"AB"}, {"ABCD"}, {"ABZ;2"}, {"#123"}, {"XB1"}, {"$NAV1"}, {"abc"},
                                      {"#124"}, {"[A-C]*"}, {"*"}, {"#?"}, {"1X"}}));
    const struct { const char *text; QList<qint64> matches; } cases[] = {
        {"AB?", {1, 4}},     // three characters beginning AB, the duplicate by its plain ident
        {"ab?", {1, 4}},     // the text is upper-cased first
        {"#12?", {}},        // "#" stands for a digit
        {"?B#", {6}}, {"$NAV?", {7}}, {"[A-C]B?", {1, 4}}, {"[!A]B?", {6}},
        {"?*", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}}, // any characters take the lower-case ident too
        // Without "?" the text is an exact ident, whatever operators it holds.
        {"#123", {5}}, {"[A-C]*", {10}}, {"*", {11}},
        // "#?" asks for a digit first; the stored ident "#?" fails that but equals the text.
        {"#?", {12, 13}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(search(c.text).matches, c.matches) << c.text;
}

TEST_F(SearchTest, NotFoundMessageNamesTheFilterWhenItIsOn)
{
    const SearchResult missing = search("ABC"); // a missing database is empty and is not created
    EXPECT_EQ(missing.outcome, SearchOutcome::NotFound);
    EXPECT_EQ(missing.messageText(), "Facility not found.");
    EXPECT_EQ(missing.messageTitle(), "Not found");
    EXPECT_FALSE(folder.exists("ndb.dat"));

    folder.write("ndb.dat", database({{"ABC"}}));
    const SearchResult off = SearchBeacons(folder.folder(), "XYZ", {}, false, home());
    EXPECT_EQ(off.outcome, SearchOutcome::NotFound);
    EXPECT_EQ(off.messageText(), "Facility not found.");
    const SearchResult on = SearchBeacons(folder.folder(), "XYZ", {}, true, home(100));
    EXPECT_EQ(on.messageText(), "Facility not found. Try turning Distance Filter OFF and search again.");
    EXPECT_EQ(on.messageTitle(), "Not found");
}

TEST_F(SearchTest, FileOfPartRecordsEndsInNotFound)
{
    const QByteArray whole = database({{"ABC"}, {"XYZ"}});
    for (const qsizetype extra : {1, 106, 107, 212}) {
        folder.write("ndb.dat", whole + QByteArray(extra, ' '));
        const SearchResult r = search("ABC");
        EXPECT_EQ(r.outcome, SearchOutcome::NotFound) << extra;
        EXPECT_EQ(r.searchMatchCount(), 0) << extra;
    }
    folder.write("ndb.dat", whole.left(whole.size() - 1));
    EXPECT_EQ(search("ABC").outcome, SearchOutcome::NotFound);
}

// A frequency that no match has shows nothing and arms nothing.
TEST_F(SearchTest, FrequencyPicksTheMatchToShow)
{
    folder.write("ndb.dat", database({{"ABC", "338"}, {"ABC;2", "339"}, {"ABC;3", "340"}}));
    const SearchResult r = search("ABC", "339");
    EXPECT_EQ(r.outcome, SearchOutcome::Found);
    EXPECT_EQ(r.matches, (QList<qint64>{1, 2, 3}));
    EXPECT_EQ(r.shownMatch, 1);
    EXPECT_EQ(r.shownRecord(), 2);
    EXPECT_EQ(r.searchMatchCount(), 3);
    EXPECT_FALSE(r.hasMessage());

    const SearchResult none = search("ABC", "341");
    EXPECT_EQ(none.outcome, SearchOutcome::FrequencyNotAmongMatches);
    EXPECT_FALSE(none.found());
    EXPECT_FALSE(none.shownRecord().has_value());
    EXPECT_EQ(none.searchMatchCount(), 0);
    EXPECT_FALSE(none.hasMessage());
}

TEST(SearchFilter, DropsOnlyCandidatesBeyondTheRadius)
{
    TestFolder folder;
    // 43N 80W is the listener; 44N 80W lies 111.2 km (69.1 miles) north.
    folder.write("ndb.dat", database({{"ABC", "338", "N43000000", "W080000000"},
                                      {"ABC", "338", "N44000000", "W080000000"}}));
    const struct { int radius; bool metric; QList<qint64> matches; } cases[] = {
        {0, true, {1}},     // a distance equal to the radius passes
        {111, true, {1}}, {112, true, {1, 2}},
        {70, true, {1}},    // 111 km is more than 70 km
        {69, false, {1}},   // 69.1 miles
        {70, false, {1, 2}},
    };
    for (const auto &c : cases) {
        const SearchResult r = SearchBeacons(folder.folder(), "ABC", {}, true, home(c.radius, c.metric));
        EXPECT_EQ(r.matches, c.matches) << c.radius << (c.metric ? " km" : " miles");
    }
    // With the filter off the radius means nothing.
    EXPECT_EQ(SearchBeacons(folder.folder(), "ABC", {}, false, home(0)).matches,
              (QList<qint64>{1, 2}));
}

// A zero latitude or longitude always passes; a frequency search is filtered too.
TEST(SearchFilter, ZeroLatitudeOrLongitudeAlwaysPasses)
{
    TestFolder folder;
    folder.write("ndb.dat", database({{"ABC", "338", "N00000000", "E100000000"},
                                      {"ABC", "338", "S50000000", "E000000000"},
                                      {"ABC", "338", "N00000000", "W000000000"},
                                      {"ABC", "338", "S50000000", "E100000000"},
                                      {"AAA", "338", "N44000000", "W080000000"}}));
    EXPECT_EQ(SearchBeacons(folder.folder(), "ABC", {}, true, home(10)).matches, (QList<qint64>{1, 2, 3}));
    EXPECT_EQ(SearchBeacons(folder.folder(), "338", {}, true, home(500)).matches, (QList<qint64>{1, 2, 3, 5}));
}

TEST(SearchContextTest, TakesTheCurrentLocationsTexts)
{
    SharedState state;
    state.LocationLat[3] = "511500N";
    state.LocationLon[3] = "0010000W";
    state.CurrentLocationIndex = 3;
    state.DistanceFilterValue = 250;
    const SearchContext ctx = SearchContext::fromState(state, false);
    EXPECT_EQ(ctx.locationLat, "511500N");
    EXPECT_EQ(ctx.locationLon, "0010000W");
    EXPECT_EQ(ctx.distanceFilterValue, 250);
    EXPECT_FALSE(ctx.metric);
}

TEST(SearchLarge, AnyIdentPatternMatchesAll32767Records)
{
    TestFolder folder;
    QByteArray bytes;
    constexpr int kCount = 32767;
    bytes.reserve(qsizetype(kCount) * BeaconRecord::Length);
    for (int i = 1; i <= kCount; ++i)
        bytes += beacon({.ident = "B" + QByteArray::number(i, 36).toUpper(),
                         .frequency = QByteArray::number(200 + i % 300)})
                     .bytes();
    folder.write("ndb.dat", bytes);
    const SearchResult r = SearchBeacons(folder.folder(), "?*", {}, false, home());
    ASSERT_EQ(r.outcome, SearchOutcome::Found);
    EXPECT_EQ(r.recordCount, kCount);
    ASSERT_EQ(r.matches.size(), kCount);
    EXPECT_EQ(r.matches.first(), 1);
    EXPECT_EQ(r.matches.last(), kCount);
    EXPECT_EQ(r.searchMatchCount(), kCount);
}

TEST(SearchLarge, MatchesAreThePlainScansOnTheShippedAndOddDatabases)
{
    QByteArray shipped;
    ASSERT_FALSE(readWholeFile(QStringLiteral(QERN_SOURCE_DATA_DIR "/ndb.dat"), &shipped).failed());
    // Odd forms: lower case, duplicate suffixes, blanks and letters in the coordinates.
    std::mt19937 random(2101);
    auto pick = [&](const QList<QByteArray> &from) { return from[random() % from.size()]; };
    QList<BeaconRecord> odd;
    for (int i = 0; i < 800; ++i)
        odd.append(beacon({.ident = pick({"ABQ", "abq", "ABQ;2", "ABQ;X", "#123", "$A", "", "Q", "XQ;12", "XYZ", " ABQ",
                                          ";2", "  Q", "ABQ;", "XQ;"}),
                           .frequency = pick({"338", "338.0", "283.5", "283.50", "", "1020", " 338", "3 38"}),
                           .latitude = pick({"N45300000", "S12000000", "N00000000", "N45 30 00", "X4530000", ""}),
                           .longitude = pick({"W075421000", "E140000000", "W000000000", "W0754", ""})}));
    // Beacons at whole seconds within metres of the filter's circles below (800 km, 3000
    // miles) around the listener at 43N 80W, some moved across by the rounding of their
    // coordinates to four decimals; and a second either side of 0.
    QList<BeaconRecord> nearTheRadius;
    for (const double radiusKm : {800.0, 3000 * 1.609}) {
        for (int second = 0; second < 120; ++second) {
            const double latRad = (48 + second / 3600.0) / kDegreesPerRadian;
            const double listenerLatRad = 43 / kDegreesPerRadian;
            const double eastRad =
                std::acos((std::cos(radiusKm / kEarthRadiusKm) - std::sin(latRad) * std::sin(listenerLatRad))
                          / (std::cos(latRad) * std::cos(listenerLatRad)));
            const int westSeconds = int(std::lround((80 - eastRad * kDegreesPerRadian) * 3600));
            for (int west = westSeconds - 1; west <= westSeconds + 1; ++west)
                nearTheRadius.append(beacon({.ident = "ABQ",
                                             .latitude = "N" + sexagesimalText(48 * 3600 + second, 2) + "00",
                                             .longitude = "W" + sexagesimalText(west, 3) + "00"}));
        }
    }
    for (const QByteArray latitude : {"N00000000", "N00000.10", "S00000100", "N45300000"}) {
        for (const QByteArray longitude : {"W000000000", "E00000.100", "W000000100", "W080000000"})
            nearTheRadius.append(beacon({.ident = "ABQ", .latitude = latitude, .longitude = longitude}));
    }
    // Coordinates out of range, read by the formulas as places elsewhere.
    for (const QByteArray latitude : {"N99000000", "S95300000", "N50113000"}) {
        for (const QByteArray longitude : {"E285000000", "W999595900", "E100000000"})
            nearTheRadius.append(beacon({.ident = "ABQ", .latitude = latitude, .longitude = longitude}));
    }
    for (const auto &[filterOn, radius, metric] : {std::tuple{true, 800, true}, std::tuple{true, 3000, false}}) {
        EXPECT_NE(plainMatches(bytesOf(nearTheRadius), "ABQ", filterOn, home(radius, metric)),
                  plainMatches(bytesOf(nearTheRadius), "ABQ", filterOn, home(radius, metric), false))
            << "rounding decides for a beacon within " << radius << (metric ? " km" : " miles");
    }
    for (const QByteArray &bytes : {shipped, bytesOf(odd), bytesOf(nearTheRadius)}) {
        TestFolder folder;
        folder.write("ndb.dat", bytes);
        const QList<BeaconRecord> records = recordsOf<BeaconRecord>(bytes);
        QList<QByteArray> texts = {"*?Q", "A?*", "#12?", "[A-C]?", "*;2", "338", "338.0", "283.5", "1020", "ABQ",
                                   "abq", "$A", "Q", ";2", "   "};
        for (int k = 0; k < 10; ++k)
            texts.append(records[random() % records.size()].trimmedText(BeaconField::Ident));
        for (const QByteArray &text : texts) {
            for (const auto &[filterOn, radius, metric] :
                 {std::tuple{false, 0, true}, std::tuple{true, 800, true}, std::tuple{true, 3000, false}}) {
                const SearchContext ctx = home(radius, metric);
                const SearchResult r = SearchBeacons(folder.folder(), text, {}, filterOn, ctx);
                EXPECT_EQ(r.matches, plainMatches(bytes, text, filterOn, ctx))
                    << "\"" << text.constData() << "\"" << (filterOn ? " filtered" : "");
            }
        }
    }
}
