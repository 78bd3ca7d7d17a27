#include <gtest/gtest.h>

#include <optional>

#include "BeaconRecord.h"
#include "Statistics.h"
#include "TestFolder.h"
#include "Text.h"

namespace qern {
namespace {

using test::TestFolder;
using Names = std::array<QByteArray, kStatisticsLocations>;

QByteArray beacon(const QByteArray &mask, const QByteArray &cleMark)
{
    BeaconRecord record;
    EXPECT_TRUE(record.setShifted(BeaconField::Ident, "ABC"));
    EXPECT_TRUE(record.setShifted(BeaconField::Frequency, "338"));
    record.setRaw(BeaconField::LoggedMask, fitField(mask, 5));
    record.setRaw(BeaconField::CLEMark, cleMark);
    return record.bytes();
}

Names defaultNames()
{
    Names names;
    for (int i = 0; i < kStatisticsLocations; ++i)
        names[i] = "Location " + QByteArray::number(i + 1);
    return names;
}

TEST(Statistics, MaskBitsCountPerLocation)
{
    TestFolder dir;
    dir.write("ndb.dat", beacon("9", "z") + beacon(" 5", " ") + beacon("32768", "\"") + beacon("0", "z")
                             + beacon("", " ") + beacon("abc", " "));
    const DatabaseStatistics s = GatherDatabaseStatistics(dir.folder(), defaultNames(), 0);
    EXPECT_FALSE(s.databaseMissing);
    EXPECT_FALSE(s.readError.failed());
    EXPECT_EQ(s.RecordCount, 6);
    const std::array<qint64, 16> expected = {2, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(s.loggedCounts, expected);
    EXPECT_EQ(s.loggedTotal, 5);
    EXPECT_EQ(s.LoggedCountHere, 2);
}

TEST(Statistics, EveryMaskFormCountsAsTheRecordReadsIt)
{
    for (const QByteArray mask : {"1 2", " 5", "5.5", "2.5", "-1", "+4", "1e3", "0x10", "65535", "99999", "7abc"}) {
        TestFolder dir;
        const QByteArray bytes = beacon(mask, " ");
        dir.write("ndb.dat", bytes);
        const quint32 expected = BeaconRecord::fromBytes(bytes).loggedMask();
        const DatabaseStatistics s = GatherDatabaseStatistics(dir.folder(), defaultNames(), 0);
        for (int i = 0; i < kStatisticsLocations; ++i)
            EXPECT_EQ(s.loggedCounts[i], (expected >> i) & 1u) << mask.constData() << " bit " << i;
    }
}

TEST(Statistics, OnlyAZMarkIsInTheSession)
{
    TestFolder dir;
    dir.write("ndb.dat", beacon("0", "z") + beacon("0", "\"") + beacon("0", " ") + beacon("0", "Z")
                             + beacon("0", "y"));
    const DatabaseStatistics s = GatherDatabaseStatistics(dir.folder(), defaultNames(), 0);
    EXPECT_EQ(s.sessionCount, 1);
    EXPECT_EQ(s.StatisticsText3, "Number of beacons in CLE log -  1");
}

TEST(Statistics, TextsUseSignedNumbersAndCarriageReturns)
{
    TestFolder dir;
    dir.write("ndb.dat", beacon("1", "z") + beacon("3", " ") + beacon("2", " "));
    Names names;
    names.fill("Empty");
    names[0] = "Home";
    names[1] = "Cabin";
    names[5] = "Boat";
    const DatabaseStatistics s = GatherDatabaseStatistics(dir.folder(), names, 1);
    EXPECT_EQ(s.StatisticsText1, "Number of beacons in main database -  3\r");
    EXPECT_EQ(s.StatisticsText2, "Number of logged beacons \r\r"
                                 "      Home -  2\r"
                                 "      Cabin -  2\r"
                                 "      Boat -  0\r");
    EXPECT_EQ(s.StatisticsText3, "Number of beacons in CLE log -  1");
    EXPECT_EQ(s.chklogCaptions[0], "Home -  2 entries");
    EXPECT_EQ(s.chklogCaptions[2], "Empty -  0 entries") << "an unnamed slot still gets its caption";
    EXPECT_TRUE(s.chklogVisible[0]);
    EXPECT_TRUE(s.chklogVisible[1]);
    EXPECT_FALSE(s.chklogVisible[2]);
    EXPECT_FALSE(s.chklogVisible[5]);
}

TEST(Statistics, EnableStatesFollowTheCounts)
{
    const struct { QByteArray records; int current; bool viewLog; bool viewSession; bool deleteLogs; } cases[] = {
        {beacon("2", " "), 1, true, false, true}, {beacon("2", " "), 0, false, false, true},
        {beacon("0", "z"), 0, false, true, false}, {beacon("0", " "), 0, false, false, false},
        {QByteArray(), 0, false, false, false},
    };
    for (const auto &c : cases) {
        TestFolder dir;
        dir.write("ndb.dat", c.records);
        const DatabaseStatistics s = GatherDatabaseStatistics(dir.folder(), defaultNames(), c.current);
        EXPECT_EQ(s.cmdViewLogEnabled, c.viewLog);
        EXPECT_EQ(s.cmdViewSessionEnabled, c.viewSession);
        EXPECT_EQ(s.cmdDeleteEnabled, c.deleteLogs);
        EXPECT_TRUE(s.mnuMasterClearEnabled);
    }
}

TEST(Statistics, MissingDatabaseCountsNothingAndLeavesTheCommandsAlone)
{
    for (const bool folderInItsPlace : {false, true}) {
        SCOPED_TRACE(folderInItsPlace ? "a folder named ndb.dat" : "no ndb.dat");
        TestFolder dir;
        if (folderInItsPlace)
            dir.mkdir("ndb.dat");
        const DatabaseStatistics s = GatherDatabaseStatistics(dir.folder(), defaultNames(), 0);
        // A folder is no missing database, which a restore would bring back: it is named.
        EXPECT_EQ(s.databaseMissing, !folderInItsPlace);
        if (folderInItsPlace) {
            EXPECT_EQ(s.readError.messageText().toStdString(),
                      ("Error # 75: Path/File access error (" + dir.path("ndb.dat") + " is a folder)").toStdString());
        }
        EXPECT_EQ(s.RecordCount, 0);
        EXPECT_EQ(s.StatisticsText1, "Number of beacons in main database -  0\r");
        for (int i = 0; i < kStatisticsLocations; ++i) {
            EXPECT_TRUE(s.StatisticsText2.contains("Location " + QByteArray::number(i + 1) + " -  0\r"));
            EXPECT_FALSE(s.chklogVisible[i]);
        }
        EXPECT_EQ(s.LoggedCountHere, std::nullopt);
        EXPECT_EQ(s.cmdViewLogEnabled, std::nullopt);
        EXPECT_EQ(s.cmdViewSessionEnabled, std::nullopt);
        EXPECT_EQ(s.cmdDeleteEnabled, std::nullopt);
        EXPECT_TRUE(s.mnuMasterClearEnabled);
        EXPECT_EQ(dir.exists("ndb.dat"), folderInItsPlace) << "counting never creates the database";
    }
}

TEST(Statistics, CountsAreNotBoundBy16Bits)
{
    TestFolder dir;
    const int records = 40000;
    dir.write("ndb.dat", beacon("65535", "z").repeated(records));
    int eventsLetRun = 0;
    const DatabaseStatistics s =
        GatherDatabaseStatistics(dir.folder(), defaultNames(), 15, [&eventsLetRun] { ++eventsLetRun; });
    EXPECT_EQ(s.RecordCount, records);
    EXPECT_EQ(s.loggedCounts[15], records);
    EXPECT_EQ(s.loggedTotal, qint64(records) * 16);
    EXPECT_EQ(s.sessionCount, records);
    EXPECT_EQ(s.LoggedCountHere, records);
    EXPECT_EQ(s.StatisticsText1, "Number of beacons in main database -  40000\r");
    EXPECT_EQ(eventsLetRun, 1) << "events run once, at record 5000";
}

TEST(Statistics, RecordCountRoundsACutShortLastRecord)
{
    TestFolder dir;
    dir.write("ndb.dat", beacon("1", " ") + beacon("1", " ").left(107));
    const DatabaseStatistics s = GatherDatabaseStatistics(dir.folder(), defaultNames(), 0);
    EXPECT_EQ(s.RecordCount, 2);
    dir.write("ndb.dat", beacon("1", " ") + beacon("1", " ").left(106));
    EXPECT_EQ(GatherDatabaseStatistics(dir.folder(), defaultNames(), 0).RecordCount, 1);
}

TEST(Statistics, OneReadGivesWhatTheCheckAndTheWalkGiveApart)
{
    auto withByte = [](QByteArray record, qsizetype at, char byte) {
        record[at] = byte;
        return record;
    };
    const QByteArray good = beacon("9", "z");
    const QByteArray badFrequency = [] {
        BeaconRecord r = BeaconRecord::fromBytes(beacon("1", " "));
        r.setRaw(BeaconField::Frequency, "NDB");
        return r.bytes();
    }();
    const struct { const char *name; std::optional<QByteArray> database; qint64 before; } cases[] = {
        {"sound", good + beacon(" 5", " ") + beacon("32768", "\"") + beacon("7abc", "z"), 0},
        {"a bad frequency", good + badFrequency + good, 0},
        {"a byte 0 in a shifted field half-way", good + withByte(good, 20, 0) + beacon("1", "z"), 0},
        {"a byte 1 at the end of the shifted fields", withByte(good, 205, 1) + good, 0},
        {"a byte 0 in the plain fields", withByte(good, 212, 0) + good, 0},
        {"a cut-short last record", good + good.left(150), 0},
        {"stray bytes", good + good.left(20), 0},
        {"empty", QByteArray(), 4},
        {"missing, nothing counted before", std::nullopt, 0},
        {"missing, counted before", std::nullopt, 7},
        {"past 5000 records", (good + badFrequency).repeated(2600), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder dir;
        if (c.database)
            dir.write("ndb.dat", *c.database);
        int eventsApart = 0;
        int eventsTogether = 0;
        const IntegrityResult integrity = CheckDatabaseIntegrity(dir.folder(), c.before);
        const DatabaseStatistics stats =
            GatherDatabaseStatistics(dir.folder(), defaultNames(), 3, [&eventsApart] { ++eventsApart; });
        const CheckedStatistics checked = CheckAndGatherStatistics(dir.folder(), defaultNames(), 3, c.before,
                                                                   [&eventsTogether] { ++eventsTogether; });
        auto verdict = [](const IntegrityResult &r) {
            return std::tuple(r.verdict, r.recordCount, r.validCount, r.readError.number);
        };
        auto counts = [](const DatabaseStatistics &s) {
            return std::tuple(s.databaseMissing, s.readError.number, s.RecordCount, s.loggedCounts, s.sessionCount,
                              s.loggedTotal, s.LoggedCountHere, s.cmdViewLogEnabled, s.cmdViewSessionEnabled,
                              s.cmdDeleteEnabled, s.StatisticsText1, s.StatisticsText2, s.StatisticsText3,
                              s.chklogCaptions, s.chklogVisible);
        };
        EXPECT_EQ(verdict(checked.integrity), verdict(integrity));
        EXPECT_EQ(counts(checked.statistics), counts(stats));
        EXPECT_EQ(eventsTogether, eventsApart);
    }
}

} // namespace
} // namespace qern
