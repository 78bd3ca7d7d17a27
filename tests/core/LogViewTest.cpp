#include <gtest/gtest.h>

#include <QString>

#include <random>

#include "Fixtures.h"
#include "LogView.h"

using namespace qern;
using namespace qern::test;

namespace {

BeaconRecord logged(const QByteArray &ident, const QByteArray &frequency, quint32 mask = 1, bool inSession = false)
{
    return beacon({.ident = ident, .frequency = frequency, .mask = mask, .cleMark = inSession ? "z" : " "});
}

BeaconRecord placed(const QByteArray &ident, const QByteArray &latitude, const QByteArray &longitude)
{
    return beacon({.ident = ident, .latitude = latitude, .longitude = longitude, .mask = 1});
}

class LogViewTest : public ::testing::Test {
protected:
    LogViewTest()
    {
        t.write("Country.dat", "\"CAN\",\"Canada\",\"CA\"\r\n\"NOR\",\"Norway\",\"NO\"\r\n");
        t.write("State.dat", "\"ON\",\"Ontario\",\"CAN\"\r\n");
    }

    // current: the main window's beacon; its frequency names it when the list does not.
    LogTable load(int mode, const ShownBeacon &current = {}, bool exactMatchSeen = false, int location = 0) const
    {
        LogTableContext ctx;
        ctx.mode = mode;
        ctx.currentLocationIndex = location;
        ctx.currentFrequency = current.frequency;
        ctx.currentBeacon = current;
        ctx.countries = &countries;
        ctx.states = &states;
        ctx.exactMatchSeen = exactMatchSeen;
        return LoadTable(t.folder(), ctx);
    }

    // Seen from 0N 0E.
    LogDetail detail(qint64 recNo, int mode = kLogViewLogbook, bool imperial = false) const
    {
        LogDetailContext ctx;
        ctx.mode = mode;
        ctx.locationLat = "000000N";
        ctx.locationLon = "0000000E";
        ctx.imperial = imperial;
        return LoadAfterScrolling(t.folder(), recNo, ctx);
    }

    PrintedLogBody printed(int location = 0, const std::function<void()> &events = {}) const
    {
        PrintedLogContext ctx;
        ctx.currentLocationIndex = location;
        ctx.locationLat = "000000N";
        ctx.locationLon = "0000000E";
        ctx.countries = &countries;
        return PrintedLogLines(t.folder(), ctx, events);
    }

    DataFolder t;
    CountryTable countries = sampleCountries();
    StateTable states = sampleStates();
};

} // namespace

// --- The list ----------------------------------------------------------------------

TEST_F(LogViewTest, ListHoldsTheBeaconsOfTheLocationOrOfTheSessionInDatabaseOrder)
{
    t.writeDatabase({logged("AAA", "300", 0b101, true), logged("BBB", "310", 0b010, true),
                     logged("CCC", "320", 0b100), logged("DDD", "330", 0b001)});
    const struct { int mode, location; QList<qint64> recNo; QByteArray label; } cases[] = {
        {kLogViewLogbook, 0, {1, 4}, "There are  2 records in your log."},
        {kLogViewLogbook, 2, {1, 3}, "There are  2 records in your log."},
        {kLogViewLogbook, 3, {}, "There are  0 records in your log."},
        {kLogViewSession, 0, {1, 2}, "There are  2 records in your log."}, // marked z, whatever the locations
    };
    for (const auto &c : cases) {
        const LogTable table = load(c.mode, {}, false, c.location);
        EXPECT_EQ(table.RecNo, c.recNo) << c.mode << " at " << c.location;
        EXPECT_EQ(table.lblLog(), c.label) << c.mode << " at " << c.location;
        EXPECT_FALSE(table.error.failed());
    }
}

TEST_F(LogViewTest, RowTextHoldsIdentFrequencyPlaceStateAndCountry)
{
    t.writeDatabase({logged("ABC;2", "338"),
                     beacon({.ident = "AB", .country = "nor", .state = "", .location = "Springfield", .mask = 1}),
                     beacon({.ident = "XY", .country = "ZZZ", .state = "", .location = "Nowhere",
                             .frequency = "1500.5", .mask = 1})});

    EXPECT_EQ(load(kLogViewLogbook).rows, (QList<QByteArray>{"ABC   338    Port Eden, Ontario, CANADA",
                                                             "AB    338    Springfield, NORWAY",
                                                             "XY    1500.5 Nowhere, "}));
}

TEST_F(LogViewTest, MissingDatabaseIsAnErrorAndAnEmptyListOrPrint)
{
    const LogTable table = load(kLogViewLogbook);
    EXPECT_EQ(table.error.number, 53);
    EXPECT_TRUE(table.rows.isEmpty());
    EXPECT_EQ(table.rowToSelect(), -1);
    const PrintedLogBody body = printed();
    EXPECT_EQ(body.error.number, 53);
    EXPECT_TRUE(body.lines.isEmpty());
    EXPECT_FALSE(t.exists(QStringLiteral("ndb.dat")));
}

TEST_F(LogViewTest, RowSelectedFollowsTheMainWindowsBeacon)
{
    // Rows stand in database order: 300, 320, 320, 320, 340; BBB's namesake in Norway.
    const BeaconRecord namesake = beacon({.ident = "BBB", .country = "NOR", .frequency = "320", .mask = 1});
    t.writeDatabase({logged("AAA", "300"), logged("BBB", "320"), logged("BBB;2", "320"), namesake, logged("CCC", "340")});
    // The main window's beacon: the one stored at record, shown at number.
    auto shown = [this](qint64 record, qint64 number, const QByteArray &frequency = {}) {
        ShownBeacon s = t.shownAt(record);
        s.recordNumber = number;
        if (!frequency.isEmpty())
            s.frequency = frequency;
        return s;
    };
    auto notListed = [](const QByteArray &frequency) {
        ShownBeacon s;
        s.recordNumber = 6;
        s.ident = "ZZZ";
        s.frequency = frequency;
        return s;
    };
    const struct {
        const char *name;
        ShownBeacon current;
        int expectedRow;
        bool exactSeen;
    } cases[] = {
        {"the beacon itself", shown(2, 2), 1, true}, {"its duplicate, by its record", shown(3, 3), 2, true},
        {"its namesake, by its record", shown(4, 4), 3, true},
        // The record holds another beacon now: the row by frequency.
        {"a record holding its namesake", shown(2, 4), 1, false},
        {"a record holding another beacon", shown(2, 5), 1, false},
        {"not listed, between two rows", notListed("330"), 4, false},
        {"not listed, above every row", notListed("400"), 4, false},
        {"not listed, below every row", notListed("250"), -1, false}, {"no beacon shown", {}, -1, false},
        {"same ident, other frequency", shown(2, 2, "321"), 4, false},
    };
    for (const auto &c : cases) {
        const LogTable table = load(kLogViewLogbook, c.current);
        EXPECT_EQ(table.rowToSelect(), c.expectedRow) << c.name;
        EXPECT_EQ(table.ExactMatchSeen, c.exactSeen) << c.name;
    }
}

TEST_F(LogViewTest, OnceTheExactBeaconWasSeenTheNextHigherRowIsNoLongerChosen)
{
    t.writeDatabase({logged("AAA", "300"), logged("CCC", "340")});
    ShownBeacon bbb;
    bbb.recordNumber = 3;
    bbb.ident = "BBB";
    bbb.frequency = "320";

    EXPECT_EQ(load(kLogViewLogbook, bbb, false).rowToSelect(), 1);
    const LogTable after = load(kLogViewLogbook, bbb, true);
    EXPECT_EQ(after.rowToSelect(), -1);
    EXPECT_TRUE(after.ExactMatchSeen);
}

// --- One beacon --------------------------------------------------------------------

TEST_F(LogViewTest, DetailShowsTheBeaconsFields)
{
    t.writeDatabase({beacon({.ident = "ABC;2", .latitude = "N45301500", .longitude = "W075420000", .mask = 1})});

    const LogDetail d = detail(1);
    ASSERT_FALSE(d.error.failed());
    EXPECT_EQ((QList<QByteArray>{d.txtLogIdent, d.txtLogFreq, d.txtLogLocation, d.txtLogUSB, d.txtLogLSB,
                                 d.txtLogComments, d.txtLogCountry, d.txtLogProvince, d.txtLogCycle, d.txtLogPower,
                                 d.txtLogLatitude, d.txtLogLongitude, d.txtLogQTH, d.ShownCountryCode}),
              (QList<QByteArray>{"ABC", "338", "Port Eden", "400", "1020", "Heard at dusk", "Canada", "Ontario", "8.0",
                                 "25 / NDB", "45.30.15 N", "075.42.00 W", "FN25dm", "CAN"}));
    EXPECT_TRUE(d.lblDAIDVisible);
}

TEST_F(LogViewTest, DistanceTextIsRoundedInTheChosenUnit)
{
    t.writeDatabase({placed("NNN", "N01000000", "E000000000"), placed("EEE", "N00000000", "E001000000")});

    // One degree of arc on the sphere of 6371.29 km is 111.2 km (69.1 mi).
    EXPECT_EQ(detail(1).txtLogDistance, " 111 km/ 0 deg");
    EXPECT_EQ(detail(1, kLogViewLogbook, true).txtLogDistance, " 69 mi/ 0 deg");
    EXPECT_EQ(detail(2).txtLogDistance, " 111 km/ 90 deg");
    EXPECT_DOUBLE_EQ(detail(2).Bearing, 90.0);
}

TEST_F(LogViewTest, UnknownPositionLeavesDistanceAndLocatorEmpty)
{
    t.writeDatabase({beacon({.state = "", .latitude = "N00000000", .longitude = "W000000000", .daid = "0"})});

    const LogDetail d = detail(1);
    EXPECT_EQ(d.txtLogLatitude, "00.00.00 N");
    EXPECT_EQ(d.txtLogLongitude, "000.00.00 W");
    EXPECT_TRUE(d.txtLogDistance.isEmpty());
    EXPECT_TRUE(d.txtLogQTH.isEmpty());
    EXPECT_EQ(d.txtLogProvince, " ");
    EXPECT_FALSE(d.lblDAIDVisible);
}

TEST_F(LogViewTest, CountryCodeMissingFromTheTableShowsABlank)
{
    t.writeDatabase({beacon({.country = "ZZZ"})});
    EXPECT_EQ(detail(1).txtLogCountry, " ");
}

TEST_F(LogViewTest, MissingCountryFileIsReportedAndLeavesTheBoxEmpty)
{
    t.writeDatabase({beacon()});
    QFile::remove(t.path(QStringLiteral("Country.dat")));

    const LogDetail d = detail(1);
    EXPECT_TRUE(d.countryTableMissing);
    EXPECT_TRUE(d.txtLogCountry.isEmpty());
    EXPECT_FALSE(d.stateTableMissing);
}

TEST_F(LogViewTest, EntriesOfTheBeaconComeInFileOrderWithTheirRecordNumbers)
{
    t.writeDatabase({logged("ABC", "338"), logged("ABC", "400")});
    t.writeLogbook(0, {LogRecord::make("ABC", "338", "0930", "20260101", "first"),
                       LogRecord::make("ABC", "400", "1000", "20260102", "other beacon"),
                       LogRecord::make("abc ", " 338", "1015", "20260103", "second"),
                       LogRecord::make("XYZ", "338", "1100", "20260104", "other ident"),
                       LogRecord::make("ABC", "338", "930", "2026011", "third")});

    QStringList entries;
    for (const LogEntryView &e : detail(1).entries)
        entries << QStringLiteral("%1 %2 %3 %4").arg(e.recordNumber).arg(e.time, e.date, e.comments);
    // Padding is no part of a value: a time stored as three characters stays three.
    EXPECT_EQ(entries, QStringList({"1 0930 20260101 first", "3 1015 20260103 second", "5 930 2026011 third"}));
}

// Quick Log writes a duplicate's entry without the suffix, the reception dialog with
// it: both are the duplicate's. Only the frequency tells it from its namesake.
TEST_F(LogViewTest, EntriesOfADuplicateAreKeyedWithoutTheSuffix)
{
    t.writeDatabase({logged("ABC;2", "338"), logged("ABC", "415")});
    t.writeLogbook(0, {LogRecord::make("ABC;2", "338", "0930", "20260101", "dialog entry"),
                       LogRecord::make("ABC", "415", "0945", "20260101", "namesake"),
                       LogRecord::make("ABC", "338", "1000", "20260102", "quick log entry")});

    const LogDetail duplicate = detail(1);
    ASSERT_EQ(duplicate.entries.size(), 2);
    EXPECT_EQ(duplicate.entries[0].comments, "dialog entry");
    EXPECT_EQ(duplicate.entries[1].comments, "quick log entry");
    const LogDetail namesake = detail(2);
    ASSERT_EQ(namesake.entries.size(), 1);
    EXPECT_EQ(namesake.entries[0].comments, "namesake");
    // The printed log takes the last entry written by either path.
    const PrintedLogBody body = printed();
    ASSERT_EQ(body.lines.size(), 2);
    EXPECT_EQ(body.lines[0].mid(9, 19), "2026/01/02  10:00  ");
}

TEST_F(LogViewTest, MissingLogbookGivesNoEntriesAndNoError)
{
    t.writeDatabase({beacon()});

    const LogDetail d = detail(1);
    EXPECT_TRUE(d.entries.isEmpty());
    EXPECT_FALSE(d.logError.failed());
    EXPECT_FALSE(t.exists(QStringLiteral("Logs/log0.dat")));
}

TEST_F(LogViewTest, SessionModeShowsTheLastMatchingSessionRecord)
{
    t.writeDatabase({logged("ABC", "338", 1, true), logged("DEF", "338", 1, true)});
    t.writeSessionLog({CLERecord::make("ABC", "CAN", "338", "0900", "20260101", "earlier", true),
                       CLERecord::make("ABC", "NOR", "338", "0930", "20260102", "other country", false),
                       CLERecord::make(" abc", "can", "338 ", "1015", "20260103", "later", false),
                       CLERecord::make("DEF", "CAN", "338", "0900", "20260101", "", true)});

    const LogDetail d = detail(1, kLogViewSession);
    EXPECT_TRUE(d.sessionRecordFound);
    EXPECT_EQ(d.sessionTime, "1015");
    EXPECT_EQ(d.sessionDate, "20260103");
    EXPECT_EQ(d.sessionComments, "later");
    EXPECT_FALSE(d.lblNewBeaconVisible);
    EXPECT_TRUE(d.entries.isEmpty());
    // A first reception at the location shows "New beacon".
    EXPECT_TRUE(detail(2, kLogViewSession).lblNewBeaconVisible);
}

TEST_F(LogViewTest, RecordPastTheEndIsAnError)
{
    t.writeDatabase({beacon()});
    EXPECT_TRUE(detail(2).error.failed());
}

TEST(LogViewText, EntryCountUsesTheNumberForm)
{
    EXPECT_EQ(entryCountText(1, 3), " 1/ 3");
}

// --- The printed log ---------------------------------------------------------------

TEST(PrintedLogText, DateAndTimeAreFormattedOnlyAtTheirFullLength)
{
    const std::pair<const char *, const char *> dates[] = {
        {"20261207", "2026/12/07"}, {"2026120", "2026120"}, {"202612070", "202612070"}, {"", ""}};
    for (const auto &[stored, printed] : dates)
        EXPECT_EQ(printedLogDate(stored), printed) << stored;
    const std::pair<const char *, const char *> times[] = {{"0930", "09:30"}, {"930", "930"}, {"", ""}};
    for (const auto &[stored, printed] : times)
        EXPECT_EQ(printedLogTime(stored), printed) << stored;
}

TEST(PrintedLogText, ColumnsStartWhereTheHeadingsDo)
{
    const PrintedLogLineParts parts{"20261207", "0930", "338", "ABC", "ON", "Port Eden", "Canada", " 1234 km/ 87\xB0"};
    const QByteArray line = printedLogLine(parts);
    const QByteArray heading = kPrintedLogColumnHeading;

    EXPECT_EQ(line.left(9), QByteArray(9, ' '));
    const std::pair<const char *, const char *> columns[] = {
        {"2026/12/07", "Date"}, {"09:30", "Time"}, {"338", "Freq"}, {"ABC", "ID"},
        {"ON", "S/P"}, {"Port Eden", "City"}, {"Canada", "Country"}, {"1234", "Dist/Bearing"},
    };
    for (const auto &[value, title] : columns)
        EXPECT_EQ(line.indexOf(value), heading.indexOf(title)) << title;
    EXPECT_EQ(line.size(), 105 + parts.distanceText.size());
}

TEST(PrintedLogText, LongCountryKeepsABlankAndLongCityDoesNot)
{
    PrintedLogLineParts parts;
    parts.city = QByteArray(31, 'c');
    parts.countryName = QByteArray(30, 'n');
    parts.distanceText = " No Coordinates";
    const QByteArray line = printedLogLine(parts);

    EXPECT_EQ(line.mid(47, 29), QByteArray(29, 'c'));
    EXPECT_EQ(line.mid(76, 29), QByteArray(28, 'n') + ' ');
    EXPECT_EQ(line.mid(105), " No Coordinates");
}

TEST(PrintedLogText, DistanceInKilometresOrMiles)
{
    EXPECT_EQ(printedLogDistance(1234.4, 86.6, false), QByteArray(" 1234 km/ 87\xB0"));
    EXPECT_EQ(printedLogDistance(1609, 0, true), QByteArray(" 1000 mi/ 0\xB0"));
}

TEST(PrintedLogText, HeadingJoinsTheCallSignOnlyWhenThereIsOne)
{
    const std::pair<const char *, const char *> cases[] = {
        {"VE3XYZ", "         NDB LOG for Ann, VE3XYZ, Home, FN03aa"},
        {" ", "         NDB LOG for Ann, Home, FN03aa"}, {"", "         NDB LOG for Ann, Home, FN03aa"},
    };
    for (const auto &[callSign, heading] : cases)
        EXPECT_EQ(printedLogHeading("Ann", callSign, "Home", "FN03aa"), heading) << '"' << callSign << '"';
}

// The last entry in the file, even with an earlier date; a beacon without entry has blank date and time.
TEST_F(LogViewTest, PrintedLineTakesTheLastEntryInTheFileEvenWithAnEarlierDate)
{
    t.writeDatabase({logged("ABC", "338"), logged("XYZ", "400")});
    t.writeLogbook(0, {LogRecord::make("ABC", "338", "1200", "20261207", ""),
                       LogRecord::make("ABC", "338", "0800", "20250101", "")});

    const PrintedLogBody body = printed();
    ASSERT_EQ(body.lines.size(), 2);
    EXPECT_EQ(body.lines[0].mid(9, 19), "2025/01/01  08:00  ");
    EXPECT_EQ(body.lines[1].mid(9, 19), QByteArray(19, ' '));
}

TEST_F(LogViewTest, PrintedLinesTakeTheEntryThatAScanOfTheWholeLogbookTakes)
{
    std::mt19937 random(3105);
    auto pick = [&](const QList<QByteArray> &from) { return from[random() % from.size()]; };
    const QList<QByteArray> idents = {"ABC", "abc", "ABC;2", "ABCDE;2", "ABCDEF", "XY", " XY", "#123", ""};
    const QList<QByteArray> frequencies = {"338", " 338", "338.0", "1020.5", "283.50", ""};
    QList<BeaconRecord> beacons;
    for (int i = 0; i < 300; ++i)
        beacons.append(logged(pick(idents), pick(frequencies), random() % 3 ? 1 : 2));
    QList<LogRecord> entries;
    for (int i = 0; i < 900; ++i)
        entries.append(LogRecord::make(pick(idents), pick(frequencies), QByteArray::number(1000 + i),
                                       QByteArray::number(20260000 + random() % 10000), ""));
    t.writeDatabase(beacons);
    t.writeLogbook(0, entries);

    const PrintedLogBody body = printed();
    QList<QByteArray> expected;
    for (const BeaconRecord &b : beacons) {
        if (!b.isLoggedAt(0))
            continue;
        PrintedLogLineParts parts;
        for (const LogRecord &entry : entries) {
            if (logEntryBelongsTo(entry, b.trimmedText(BeaconField::Ident), b.trimmedText(BeaconField::Frequency))) {
                parts.date = entry.date();
                parts.time = entry.time();
            }
        }
        expected.append(printedLogLine(parts).mid(9, 19));
    }
    ASSERT_EQ(body.lines.size(), expected.size());
    for (qsizetype k = 0; k < expected.size(); ++k)
        EXPECT_EQ(body.lines[k].mid(9, 19), expected[k]) << k;
}

TEST_F(LogViewTest, PrintedLogListsOnlyThisLocationsBeaconsAndLetsEventsRunForEveryLoggedOne)
{
    t.writeDatabase({logged("AAA", "300", 0b01), logged("BBB", "310", 0b10), logged("CCC", "320", 0),
                     logged("DDD", "330", 0b11)});
    int eventRuns = 0;

    const PrintedLogBody body = printed(1, [&] { ++eventRuns; });
    ASSERT_EQ(body.lines.size(), 2);
    EXPECT_EQ(body.lines[0].mid(36, 3), "BBB");
    EXPECT_EQ(body.lines[1].mid(36, 3), "DDD");
    EXPECT_EQ(eventRuns, 3);
    EXPECT_FALSE(t.exists(QStringLiteral("Logs/log1.dat")));
}

TEST_F(LogViewTest, PrintedDistanceColumnCoversTheSpecialPositions)
{
    t.writeDatabase({placed("UNK", "N00000000", "W000000000"), placed("EQU", "N00000000", "E001000000"),
                     placed("NTH", "N01000000", "E000000000")});

    const PrintedLogBody body = printed();
    ASSERT_EQ(body.lines.size(), 3);
    EXPECT_EQ(body.lines[0].mid(105), " No Coordinates");
    EXPECT_EQ(body.lines[1].mid(105), QByteArray(" 111 km/ 90\xB0"));
    EXPECT_EQ(body.lines[2].mid(105), QByteArray(" 111 km/ 0\xB0"));
}

