#include <gtest/gtest.h>

#include <QString>

#include "BeaconRecord.h"
#include "LogRecords.h"
#include "LogView.h"
#include "Tables.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

struct Beacon {
    QByteArray ident = "ABC";
    QByteArray frequency = "338";
    QByteArray country = "CAN";
    QByteArray state = "ON";
    QByteArray location = "Port Eden";
    QByteArray latitude = "N01000000";
    QByteArray longitude = "E000000000";
    QByteArray daid = "0";
    quint32 mask = 0;
    bool inSession = false;
};

Beacon beacon(const QByteArray &ident, const QByteArray &frequency, quint32 mask = 1, bool inSession = false)
{
    Beacon b;
    b.ident = ident;
    b.frequency = frequency;
    b.mask = mask;
    b.inSession = inSession;
    return b;
}

QByteArray recordOf(const Beacon &b)
{
    BeaconRecord r;
    EXPECT_TRUE(r.setShifted(BeaconField::Ident, b.ident));
    EXPECT_TRUE(r.setShifted(BeaconField::CountryCode, b.country));
    EXPECT_TRUE(r.setShiftedOrBlank(BeaconField::StateCode, b.state));
    EXPECT_TRUE(r.setShifted(BeaconField::Location, b.location));
    EXPECT_TRUE(r.setShifted(BeaconField::Frequency, b.frequency));
    EXPECT_TRUE(r.setShifted(BeaconField::BeaconClass, "NDB"));
    EXPECT_TRUE(r.setShifted(BeaconField::Power, "25"));
    EXPECT_TRUE(r.setShifted(BeaconField::Latitude, b.latitude));
    EXPECT_TRUE(r.setShifted(BeaconField::Longitude, b.longitude));
    EXPECT_TRUE(r.setShifted(BeaconField::Cycle, "8"));
    EXPECT_TRUE(r.setShifted(BeaconField::USB, "400"));
    EXPECT_TRUE(r.setShifted(BeaconField::LSB, "1020"));
    EXPECT_TRUE(r.setShifted(BeaconField::DAID, b.daid));
    EXPECT_TRUE(r.setShifted(BeaconField::Comments, "near the harbour"));
    r.setLoggedMask(b.mask);
    if (b.inSession)
        r.setSessionMark();
    else
        r.clearSessionMark();
    return r.bytes();
}

class LogViewTest : public ::testing::Test {
protected:
    LogViewTest()
    {
        folder.write(QStringLiteral("Country.dat"),
                     "\"CAN\",\"Canada\",\"CA\"\r\n\"NOR\",\"Norway\",\"NO\"\r\n"
                     "\"LNG\",\"The Country With A Very Long Name Indeed\",\"LN\"\r\n");
        folder.write(QStringLiteral("State.dat"), "\"ON\",\"Ontario\",\"CAN\"\r\n");
        countries.rows = {{"CAN", "Canada", "CA"},
                          {"NOR", "Norway", "NO"},
                          {"LNG", "The Country With A Very Long Name Indeed", "LN"}};
        states.rows = {{"ON", "Ontario", "CAN"}};
    }

    void writeBeacons(const QList<Beacon> &beacons) const
    {
        QByteArray bytes;
        for (const Beacon &b : beacons)
            bytes += recordOf(b);
        folder.write(QStringLiteral("ndb.dat"), bytes);
    }
    void writeLogbook(int location, const QList<LogRecord> &entries) const
    {
        QByteArray bytes;
        for (const LogRecord &e : entries)
            bytes += e.bytes();
        folder.write(QStringLiteral("Logs/log%1.dat").arg(location), bytes);
    }
    void writeSessionLog(const QList<CLERecord> &records) const
    {
        QByteArray bytes;
        for (const CLERecord &r : records)
            bytes += r.bytes();
        folder.write(QStringLiteral("Logs/cle.dat"), bytes);
    }

    LogTable load(int mode, const QByteArray &currentIdent = {}, const QByteArray &currentFrequency = {},
                  bool exactMatchSeen = false, int location = 0) const
    {
        LogTableContext ctx;
        ctx.mode = mode;
        ctx.currentLocationIndex = location;
        ctx.currentIdent = currentIdent;
        ctx.currentFrequency = currentFrequency;
        ctx.countries = &countries;
        ctx.states = &states;
        ctx.exactMatchSeen = exactMatchSeen;
        return LoadTable(folder.folder(), ctx);
    }

    LogDetail detail(qint64 recNo, int mode = kLogViewLogbook, bool imperial = false, int location = 0) const
    {
        LogDetailContext ctx;
        ctx.mode = mode;
        ctx.currentLocationIndex = location;
        ctx.locationLat = "000000N";
        ctx.locationLon = "0000000E";
        ctx.imperial = imperial;
        return LoadAfterScrolling(folder.folder(), recNo, ctx);
    }

    PrintedLogBody printed(int location = 0, bool imperial = false, const std::function<void()> &events = {}) const
    {
        PrintedLogContext ctx;
        ctx.currentLocationIndex = location;
        ctx.locationLat = "000000N";
        ctx.locationLon = "0000000E";
        ctx.imperial = imperial;
        ctx.countries = &countries;
        return PrintedLogLines(folder.folder(), ctx, events);
    }

    TestFolder folder;
    CountryTable countries;
    StateTable states;
};

} // namespace

// --- The list ----------------------------------------------------------------------

TEST_F(LogViewTest, LogbookModeListsTheBeaconsWithTheLocationBitInDatabaseOrder)
{
    writeBeacons({beacon("AAA", "300", 0b101), beacon("BBB", "310", 0b010), beacon("CCC", "320", 0b100),
                  beacon("DDD", "330", 0b001)});

    const LogTable at0 = load(kLogViewLogbook);
    EXPECT_EQ(at0.RecNo, (QList<qint64>{1, 4}));
    const LogTable at2 = load(kLogViewLogbook, {}, {}, false, 2);
    EXPECT_EQ(at2.RecNo, (QList<qint64>{1, 3}));
    EXPECT_FALSE(at0.error.failed());
}

TEST_F(LogViewTest, SessionModeListsTheBeaconsMarkedZWhateverTheirLocations)
{
    writeBeacons({beacon("AAA", "300", 1, true), beacon("BBB", "310", 0, true), beacon("CCC", "320", 1, false)});

    EXPECT_EQ(load(kLogViewSession).RecNo, (QList<qint64>{1, 2}));
}

TEST_F(LogViewTest, RowTextHoldsIdentFrequencyPlaceStateAndCountry)
{
    Beacon withState = beacon("ABC;2", "338");
    Beacon withoutState = beacon("AB", "338");
    withoutState.state = "";
    withoutState.country = "nor";
    withoutState.location = "Springfield";
    Beacon unknownCountry = beacon("XY", "1500.5");
    unknownCountry.state = "";
    unknownCountry.country = "ZZZ";
    unknownCountry.location = "Nowhere";
    writeBeacons({withState, withoutState, unknownCountry});

    const LogTable table = load(kLogViewLogbook);
    ASSERT_EQ(table.rows.size(), 3);
    EXPECT_EQ(table.rows[0], "ABC   338    Port Eden, Ontario, CANADA");
    EXPECT_EQ(table.rows[1], "AB    338    Springfield, NORWAY");
    EXPECT_EQ(table.rows[2], "XY    1500.5 Nowhere, ");
}

TEST_F(LogViewTest, CountLabelPutsTheNumberFormAfterThereAre)
{
    writeBeacons({beacon("AAA", "300", 0), beacon("BBB", "310", 1)});

    EXPECT_EQ(load(kLogViewSession).lblLog(), "There are  0 records in your log.");
    EXPECT_EQ(load(kLogViewLogbook).lblLog(), "There are  1 records in your log.");
}

TEST_F(LogViewTest, MissingDatabaseIsAnErrorAndAnEmptyList)
{
    const LogTable table = load(kLogViewLogbook);
    EXPECT_EQ(table.error.number, 53);
    EXPECT_TRUE(table.rows.isEmpty());
    EXPECT_EQ(table.rowToSelect(), -1);
    EXPECT_FALSE(folder.exists(QStringLiteral("ndb.dat")));
}

TEST_F(LogViewTest, RowSelectedFollowsTheMainWindowsBeacon)
{
    // Rows stand in database order: 300, 320, 340.
    writeBeacons({beacon("AAA", "300"), beacon("BBB", "320"), beacon("CCC", "340")});
    struct Case {
        const char *name;
        QByteArray ident;
        QByteArray frequency;
        int expectedRow;
        bool exactSeen;
    };
    const Case cases[] = {
        {"the beacon itself", "bbb", "320", 1, true},
        {"not listed, between two rows", "ZZZ", "330", 2, false},
        {"not listed, above every row", "ZZZ", "400", 2, false},
        {"not listed, below every row", "ZZZ", "250", -1, false},
        {"no beacon shown", "", "", -1, false},
        {"same ident, other frequency", "BBB", "321", 2, false},
    };
    for (const Case &c : cases) {
        const LogTable table = load(kLogViewLogbook, c.ident, c.frequency);
        EXPECT_EQ(table.rowToSelect(), c.expectedRow) << c.name;
        EXPECT_EQ(table.ExactMatchSeen, c.exactSeen) << c.name;
    }
}

TEST_F(LogViewTest, OnceTheExactBeaconWasSeenTheNextHigherRowIsNoLongerChosen)
{
    writeBeacons({beacon("AAA", "300"), beacon("CCC", "340")});

    EXPECT_EQ(load(kLogViewLogbook, "BBB", "320", false).rowToSelect(), 1);
    const LogTable after = load(kLogViewLogbook, "BBB", "320", true);
    EXPECT_EQ(after.rowToSelect(), -1);
    EXPECT_TRUE(after.ExactMatchSeen);
}

// --- One beacon --------------------------------------------------------------------

TEST_F(LogViewTest, DetailShowsTheBeaconsFields)
{
    Beacon b = beacon("ABC;2", "338");
    b.latitude = "N45301500";
    b.longitude = "W075420000";
    b.daid = "1";
    writeBeacons({b});

    const LogDetail d = detail(1);
    ASSERT_FALSE(d.error.failed());
    EXPECT_EQ(d.txtLogIdent, "ABC");
    EXPECT_EQ(d.txtLogFreq, "338");
    EXPECT_EQ(d.txtLogLocation, "Port Eden");
    EXPECT_EQ(d.txtLogUSB, "400");
    EXPECT_EQ(d.txtLogLSB, "1020");
    EXPECT_EQ(d.txtLogComments, "near the harbour");
    EXPECT_EQ(d.txtLogCountry, "Canada");
    EXPECT_EQ(d.txtLogProvince, "Ontario");
    EXPECT_EQ(d.txtLogCycle, "8");
    EXPECT_EQ(d.txtLogPower, "25 / NDB");
    EXPECT_EQ(d.txtLogLatitude, "45.30.15 N");
    EXPECT_EQ(d.txtLogLongitude, "075.42.00 W");
    EXPECT_EQ(d.txtLogQTH, "FN25dm");
    EXPECT_EQ(d.ShownCountryCode, "CAN");
    EXPECT_TRUE(d.lblDAIDVisible);
}

TEST_F(LogViewTest, DistanceTextIsRoundedInTheChosenUnit)
{
    Beacon north = beacon("NNN", "300");
    north.latitude = "N01000000";
    north.longitude = "E000000000";
    Beacon east = beacon("EEE", "310");
    east.latitude = "N00000000";
    east.longitude = "E001000000";
    writeBeacons({north, east});

    // One degree of arc on the sphere of 6371.29 km is 111.2 km (69.1 mi).
    EXPECT_EQ(detail(1).txtLogDistance, " 111 km/ 0 deg");
    EXPECT_EQ(detail(1, kLogViewLogbook, true).txtLogDistance, " 69 mi/ 0 deg");
    EXPECT_EQ(detail(2).txtLogDistance, " 111 km/ 90 deg");
    EXPECT_DOUBLE_EQ(detail(2).Bearing, 90.0);
}

TEST_F(LogViewTest, UnknownPositionLeavesDistanceAndLocatorEmpty)
{
    Beacon b = beacon("ABC", "338");
    b.latitude = "N00000000";
    b.longitude = "W000000000";
    b.state = "";
    writeBeacons({b});

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
    Beacon b = beacon("ABC", "338");
    b.country = "ZZZ";
    writeBeacons({b});

    EXPECT_EQ(detail(1).txtLogCountry, " ");
}

TEST_F(LogViewTest, MissingCountryFileIsReportedAndLeavesTheBoxEmpty)
{
    writeBeacons({beacon("ABC", "338")});
    QFile::remove(folder.path(QStringLiteral("Country.dat")));

    const LogDetail d = detail(1);
    EXPECT_TRUE(d.countryTableMissing);
    EXPECT_TRUE(d.txtLogCountry.isEmpty());
    EXPECT_FALSE(d.stateTableMissing);
}

TEST_F(LogViewTest, EntriesOfTheBeaconComeInFileOrderWithTheirRecordNumbers)
{
    writeBeacons({beacon("ABC", "338"), beacon("ABC", "400")});
    writeLogbook(0, {LogRecord::make("ABC", "338", "0930", "20260101", "first"),
                     LogRecord::make("ABC", "400", "1000", "20260102", "other beacon"),
                     LogRecord::make("abc ", " 338", "1015", "20260103", "second"),
                     LogRecord::make("XYZ", "338", "1100", "20260104", "other ident"),
                     LogRecord::make("ABC", "338", "930", "2026011", "third")});

    const LogDetail d = detail(1);
    ASSERT_EQ(d.entries.size(), 3);
    EXPECT_EQ(d.entries[0].recordNumber, 1);
    EXPECT_EQ(d.entries[1].recordNumber, 3);
    EXPECT_EQ(d.entries[2].recordNumber, 5);
    EXPECT_EQ(d.entries[0].time, "0930");
    EXPECT_EQ(d.entries[0].date, "20260101");
    EXPECT_EQ(d.entries[0].comments, "first");
    EXPECT_EQ(d.entries[1].comments, "second");
    // Padding is no part of a value: a time stored as three characters stays three.
    EXPECT_EQ(d.entries[2].time, "930");
    EXPECT_EQ(d.entries[2].date, "2026011");
}

TEST_F(LogViewTest, DuplicateSuffixKeepsTheEntriesApart)
{
    writeBeacons({beacon("ABC;2", "338"), beacon("ABC", "338")});
    writeLogbook(0, {LogRecord::make("ABC;2", "338", "0930", "20260101", "dialog entry"),
                     LogRecord::make("ABC", "338", "1000", "20260102", "quick log entry")});

    ASSERT_EQ(detail(1).entries.size(), 1);
    EXPECT_EQ(detail(1).entries[0].comments, "dialog entry");
    ASSERT_EQ(detail(2).entries.size(), 1);
    EXPECT_EQ(detail(2).entries[0].comments, "quick log entry");
}

TEST_F(LogViewTest, MissingLogbookGivesNoEntriesAndNoError)
{
    writeBeacons({beacon("ABC", "338")});

    const LogDetail d = detail(1);
    EXPECT_TRUE(d.entries.isEmpty());
    EXPECT_FALSE(d.logError.failed());
    EXPECT_FALSE(folder.exists(QStringLiteral("Logs/log0.dat")));
}

TEST_F(LogViewTest, SessionModeShowsTheLastMatchingSessionRecord)
{
    writeBeacons({beacon("ABC", "338", 1, true)});
    writeSessionLog({CLERecord::make("ABC", "CAN", "338", "0900", "20260101", "earlier", true),
                     CLERecord::make("ABC", "NOR", "338", "0930", "20260102", "other country", false),
                     CLERecord::make(" abc", "can", "338 ", "1015", "20260103", "later", false)});

    const LogDetail d = detail(1, kLogViewSession);
    EXPECT_TRUE(d.sessionRecordFound);
    EXPECT_EQ(d.sessionTime, "1015");
    EXPECT_EQ(d.sessionDate, "20260103");
    EXPECT_EQ(d.sessionComments, "later");
    EXPECT_FALSE(d.lblNewBeaconVisible);
    EXPECT_TRUE(d.entries.isEmpty());
}

TEST_F(LogViewTest, SessionRecordOfAFirstReceptionShowsNewBeacon)
{
    writeBeacons({beacon("ABC", "338", 1, true)});
    writeSessionLog({CLERecord::make("ABC", "CAN", "338", "0900", "20260101", "", true)});

    EXPECT_TRUE(detail(1, kLogViewSession).lblNewBeaconVisible);
}

TEST_F(LogViewTest, RecordPastTheEndIsAnError)
{
    writeBeacons({beacon("ABC", "338")});

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
    PrintedLogLineParts parts;
    parts.date = "20261207";
    parts.time = "0930";
    parts.frequency = "338";
    parts.ident = "ABC";
    parts.stateCode = "ON";
    parts.city = "Port Eden";
    parts.countryName = "Canada";
    parts.distanceText = " 1234 km/ 87\xB0";
    const QByteArray line = printedLogLine(parts);
    const QByteArray heading = kPrintedLogColumnHeading;

    EXPECT_EQ(line.left(9), QByteArray(9, ' '));
    EXPECT_EQ(line.indexOf("2026/12/07"), heading.indexOf("Date"));
    EXPECT_EQ(line.indexOf("09:30"), heading.indexOf("Time"));
    EXPECT_EQ(line.indexOf("338"), heading.indexOf("Freq"));
    EXPECT_EQ(line.indexOf("ABC"), heading.indexOf("ID"));
    EXPECT_EQ(line.indexOf("ON"), heading.indexOf("S/P"));
    EXPECT_EQ(line.indexOf("Port Eden"), heading.indexOf("City"));
    EXPECT_EQ(line.indexOf("Canada"), heading.indexOf("Country"));
    EXPECT_EQ(line.indexOf("1234"), heading.indexOf("Dist/Bearing"));
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
    EXPECT_EQ(printedLogHeading("Ann", "VE3XYZ", "Home", "FN03aa"), "         NDB LOG for Ann, VE3XYZ, Home, FN03aa");
    EXPECT_EQ(printedLogHeading("Ann", " ", "Home", "FN03aa"), "         NDB LOG for Ann, Home, FN03aa");
    EXPECT_EQ(printedLogHeading("Ann", "", "Home", "FN03aa"), "         NDB LOG for Ann, Home, FN03aa");
}

TEST_F(LogViewTest, PrintedLineTakesTheLastEntryInTheFileEvenWithAnEarlierDate)
{
    writeBeacons({beacon("ABC", "338")});
    writeLogbook(0, {LogRecord::make("ABC", "338", "1200", "20261207", ""),
                     LogRecord::make("ABC", "338", "0800", "20250101", "")});

    const PrintedLogBody body = printed();
    ASSERT_EQ(body.lines.size(), 1);
    EXPECT_EQ(body.lines[0].mid(9, 19), "2025/01/01  08:00  ");
}

TEST_F(LogViewTest, PrintedLineWithoutEntryHasBlankDateAndTimeAfterOneWithThem)
{
    writeBeacons({beacon("ABC", "338"), beacon("XYZ", "400")});
    writeLogbook(0, {LogRecord::make("ABC", "338", "1200", "20261207", "")});

    const PrintedLogBody body = printed();
    ASSERT_EQ(body.lines.size(), 2);
    EXPECT_EQ(body.lines[0].mid(9, 10), "2026/12/07");
    EXPECT_EQ(body.lines[1].mid(9, 19), QByteArray(19, ' '));
}

TEST_F(LogViewTest, PrintedLogListsOnlyThisLocationsBeaconsAndLetsEventsRunForEveryLoggedOne)
{
    writeBeacons({beacon("AAA", "300", 0b01), beacon("BBB", "310", 0b10), beacon("CCC", "320", 0),
                  beacon("DDD", "330", 0b11)});
    int eventRuns = 0;

    const PrintedLogBody body = printed(1, false, [&] { ++eventRuns; });
    ASSERT_EQ(body.lines.size(), 2);
    EXPECT_EQ(body.lines[0].mid(36, 3), "BBB");
    EXPECT_EQ(body.lines[1].mid(36, 3), "DDD");
    EXPECT_EQ(eventRuns, 3);
    EXPECT_FALSE(folder.exists(QStringLiteral("Logs/log1.dat")));
}

TEST_F(LogViewTest, PrintedDistanceColumnCoversTheSpecialPositions)
{
    Beacon unknown = beacon("UNK", "300");
    unknown.latitude = "N00000000";
    unknown.longitude = "W000000000";
    Beacon equator = beacon("EQU", "310");
    equator.latitude = "N00000000";
    equator.longitude = "E001000000";
    Beacon north = beacon("NTH", "320");
    north.latitude = "N01000000";
    north.longitude = "E000000000";
    writeBeacons({unknown, equator, north});

    const PrintedLogBody body = printed();
    ASSERT_EQ(body.lines.size(), 3);
    EXPECT_EQ(body.lines[0].mid(105), " No Coordinates");
    EXPECT_EQ(body.lines[1].mid(105), QByteArray(" 111 km/ 90\xB0"));
    EXPECT_EQ(body.lines[2].mid(105), QByteArray(" 111 km/ 0\xB0"));
}

TEST_F(LogViewTest, PrintedLogOfAMissingDatabaseIsAnError)
{
    const PrintedLogBody body = printed();
    EXPECT_EQ(body.error.number, 53);
    EXPECT_TRUE(body.lines.isEmpty());
}
