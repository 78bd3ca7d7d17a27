#include <gtest/gtest.h>

#include "BeaconDatabase.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

BeaconRecord beacon(const QByteArray &ident, const QByteArray &frequency)
{
    BeaconRecord r;
    EXPECT_TRUE(r.setShifted(BeaconField::Ident, ident));
    EXPECT_TRUE(r.setShifted(BeaconField::CountryCode, "NOR"));
    EXPECT_TRUE(r.setShifted(BeaconField::Location, "Port Eden"));
    EXPECT_TRUE(r.setShiftedOrBlank(BeaconField::Frequency, frequency));
    EXPECT_TRUE(r.setShifted(BeaconField::Latitude, "N59300000"));
    EXPECT_TRUE(r.setShifted(BeaconField::Longitude, "E010150000"));
    r.setLoggedMask(0);
    return r;
}

QByteArray database(const QList<BeaconRecord> &records)
{
    QByteArray bytes;
    for (const BeaconRecord &r : records)
        bytes += r.bytes();
    return bytes;
}

QByteArray goodDatabase(int count)
{
    QList<BeaconRecord> records;
    for (int i = 0; i < count; ++i)
        records.append(beacon("B" + QByteArray::number(i), QByteArray::number(200 + i)));
    return database(records);
}

} // namespace

TEST(BeaconDatabase, RecordCountRoundsTheQuotientHalfToEven)
{
    const struct {
        qint64 length;
        qint64 count;
    } cases[] = {
        {0, 0},
        {106, 0},  // under half a record
        {107, 1},  // over half a record
        {213, 1},
        {2236, 10}, // 10 records and 106 bytes
        {2237, 11}, // 10 records and 107 bytes
        {2130, 10},
    };
    for (const auto &c : cases) {
        TestFolder t;
        t.write("ndb.dat", QByteArray(c.length, 'x'));
        EXPECT_EQ(databaseRecordCount(t.folder()), c.count) << c.length;
    }
}

TEST(BeaconDatabase, MissingDatabaseCountsZeroAndStaysMissing)
{
    TestFolder t;
    EXPECT_EQ(databaseRecordCount(t.folder()), 0);
    BeaconRecord r;
    EXPECT_EQ(readBeacon(t.folder(), 1, &r).number, 53);
    EXPECT_EQ(writeBeacon(t.folder(), 1, beacon("ABC", "338")).number, 53);
    EXPECT_EQ(forEachBeacon(t.folder(), [](qint64, const BeaconRecord &) { return true; }).number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
}

TEST(BeaconDatabase, FindsTheFileWhateverTheCaseOfItsName)
{
    TestFolder t;
    t.write("NDB.DAT", goodDatabase(2));
    EXPECT_EQ(databaseRecordCount(t.folder()), 2);
    BeaconRecord r;
    ASSERT_FALSE(readBeacon(t.folder(), 2, &r));
    EXPECT_EQ(r.trimmedText(BeaconField::Ident), "B1");
}

TEST(BeaconDatabase, ReadsEachRecordAtItsOffset)
{
    TestFolder t;
    t.write("ndb.dat", database({beacon("AAA", "300"), beacon("BBB", "301"), beacon("CCC", "302")}));
    const struct {
        qint64 number;
        const char *ident;
        const char *frequency;
    } cases[] = {{1, "AAA", "300"}, {2, "BBB", "301"}, {3, "CCC", "302"}};
    for (const auto &c : cases) {
        BeaconRecord r;
        ASSERT_FALSE(readBeacon(t.folder(), c.number, &r)) << c.number;
        EXPECT_EQ(r.trimmedText(BeaconField::Ident), c.ident);
        EXPECT_EQ(r.trimmedText(BeaconField::Frequency), c.frequency);
    }
}

TEST(BeaconDatabase, ReadOutsideTheRecordsIsAnError)
{
    TestFolder t;
    t.write("ndb.dat", goodDatabase(3));
    for (const qint64 number : {qint64(0), qint64(-1), qint64(4), qint64(100000)}) {
        BeaconRecord r = beacon("KEEP", "1");
        EXPECT_EQ(readBeacon(t.folder(), number, &r).number, 62) << number;
        EXPECT_EQ(r.trimmedText(BeaconField::Ident), "KEEP"); // untouched on failure
    }
}

TEST(BeaconDatabase, WritesOneRecordInPlaceLeavingTheOthersByteForByte)
{
    TestFolder t;
    const QByteArray before = goodDatabase(5);
    t.write("ndb.dat", before);
    const BeaconRecord changed = beacon("NEW", "412");
    ASSERT_FALSE(writeBeacon(t.folder(), 3, changed));

    const QByteArray after = t.read("ndb.dat");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.left(2 * 213), before.left(2 * 213));
    EXPECT_EQ(after.mid(2 * 213, 213), changed.bytes());
    EXPECT_EQ(after.mid(3 * 213), before.mid(3 * 213));
}

TEST(BeaconDatabase, WritingTheNextNumberAppends)
{
    TestFolder t;
    t.write("ndb.dat", goodDatabase(2));
    ASSERT_FALSE(writeBeacon(t.folder(), 3, beacon("NEW", "412")));
    EXPECT_EQ(databaseRecordCount(t.folder()), 3);
    BeaconRecord r;
    ASSERT_FALSE(readBeacon(t.folder(), 3, &r));
    EXPECT_EQ(r.trimmedText(BeaconField::Ident), "NEW");
}

TEST(BeaconDatabase, WriteBeyondTheNextRecordIsRefusedAndChangesNothing)
{
    TestFolder t;
    const QByteArray before = goodDatabase(2);
    t.write("ndb.dat", before);
    for (const qint64 number : {qint64(0), qint64(-3), qint64(4), qint64(40000)}) {
        EXPECT_TRUE(writeBeacon(t.folder(), number, beacon("NEW", "412")).failed()) << number;
        EXPECT_EQ(t.read("ndb.dat"), before) << number;
    }
}

TEST(BeaconDatabase, WalksEveryRecordInOrderAndStopsWhenAsked)
{
    TestFolder t;
    t.write("ndb.dat", goodDatabase(6));
    QList<QByteArray> idents;
    ASSERT_FALSE(forEachBeacon(t.folder(), [&](qint64 number, const BeaconRecord &r) {
        EXPECT_EQ(number, idents.size() + 1);
        idents.append(r.trimmedText(BeaconField::Ident));
        return true;
    }));
    EXPECT_EQ(idents, (QList<QByteArray>{"B0", "B1", "B2", "B3", "B4", "B5"}));

    qint64 last = 0;
    ASSERT_FALSE(forEachBeacon(t.folder(), [&](qint64 number, const BeaconRecord &) {
        last = number;
        return number < 4;
    }));
    EXPECT_EQ(last, 4);
}

TEST(BeaconDatabase, ValidFrequencyIsAboveZeroAndBelow4500)
{
    const struct {
        const char *frequency;
        bool valid;
    } cases[] = {
        {"338", true},   {"4499.9", true}, {"0.1", true},  {"1", true},
        {"0", false},    {"", false},      {"ABC", false}, {"4500", false},
        {"4500.1", false}, {"9999", false}, {"-5", false},  {"338kHz", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isValidFrequency(beacon("ABC", c.frequency)), c.valid) << c.frequency;
}

TEST(IntegrityCheck, AllValidRecordsPassSilently)
{
    TestFolder t;
    t.write("ndb.dat", goodDatabase(12));
    const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
    EXPECT_EQ(r.verdict, IntegrityVerdict::Ok);
    EXPECT_EQ(r.recordCount, 12);
    EXPECT_EQ(r.validCount, 12);
    EXPECT_EQ(r.message(), "");
}

TEST(IntegrityCheck, OneBadFrequencyIsARecordMismatch)
{
    const struct {
        const char *frequency;
        IntegrityVerdict verdict;
    } cases[] = {
        {"0", IntegrityVerdict::RecordsMismatched},
        {"", IntegrityVerdict::RecordsMismatched},
        {"NDB", IntegrityVerdict::RecordsMismatched},
        {"4500", IntegrityVerdict::RecordsMismatched},
        {"12000", IntegrityVerdict::RecordsMismatched},
        {"4499.9", IntegrityVerdict::Ok},
        {" 338", IntegrityVerdict::Ok},
    };
    for (const auto &c : cases) {
        TestFolder t;
        t.write("ndb.dat", database({beacon("AAA", "300"), beacon("BBB", c.frequency), beacon("CCC", "302")}));
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
        EXPECT_EQ(r.verdict, c.verdict) << c.frequency;
        EXPECT_EQ(r.recordCount, 3);
        EXPECT_EQ(r.validCount, c.verdict == IntegrityVerdict::Ok ? 3 : 2) << c.frequency;
    }
}

TEST(IntegrityCheck, MismatchHasItsMessage)
{
    IntegrityResult r;
    r.verdict = IntegrityVerdict::RecordsMismatched;
    EXPECT_EQ(r.message(), "Records mismatched. Database corrupted.");
    r.verdict = IntegrityVerdict::ReadError;
    EXPECT_EQ(r.message(), "Error reading database data. Database corrupted.");
}

TEST(IntegrityCheck, MissingDatabaseKeepsTheEarlierCount)
{
    const struct {
        qint64 before;
        IntegrityVerdict verdict;
    } cases[] = {{0, IntegrityVerdict::Ok}, {1, IntegrityVerdict::RecordsMismatched}, {40000, IntegrityVerdict::RecordsMismatched}};
    for (const auto &c : cases) {
        TestFolder t;
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), c.before);
        EXPECT_EQ(r.verdict, c.verdict) << c.before;
        EXPECT_EQ(r.recordCount, c.before);
        EXPECT_EQ(r.validCount, 0);
        EXPECT_FALSE(t.exists("ndb.dat"));
    }
}

TEST(IntegrityCheck, EmptyDatabaseIsConsistent)
{
    TestFolder t;
    t.write("ndb.dat", "");
    const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 7);
    EXPECT_EQ(r.verdict, IntegrityVerdict::Ok);
    EXPECT_EQ(r.recordCount, 0);
}

TEST(IntegrityCheck, LengthNotAWholeNumberOfRecordsIsAMismatch)
{
    // Stray bytes that round down (50) and a valid-looking part record that rounds up (150).
    for (const int extra : {1, 50, 106, 107, 150, 212}) {
        TestFolder t;
        t.write("ndb.dat", goodDatabase(3) + beacon("XYZ", "300").bytes().left(extra));
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
        EXPECT_EQ(r.verdict, IntegrityVerdict::RecordsMismatched) << extra;
        EXPECT_EQ(r.recordCount, extra >= 107 ? 4 : 3) << extra;
    }
}

TEST(IntegrityCheck, StoredByteZeroOrOneInFrequencyIsAReadError)
{
    for (const char stored : {char(0), char(1)}) {
        TestFolder t;
        BeaconRecord bad = beacon("BBB", "300");
        bad.setRaw(BeaconField::Frequency, QByteArray("55") + stored);
        t.write("ndb.dat", database({beacon("AAA", "300"), bad, beacon("CCC", "302")}));
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
        EXPECT_EQ(r.verdict, IntegrityVerdict::ReadError) << int(stored);
        EXPECT_EQ(r.message(), "Error reading database data. Database corrupted.");
        EXPECT_EQ(r.recordCount, 3);
    }
}

TEST(IntegrityCheck, ReadErrorWinsOverALengthMismatch)
{
    TestFolder t;
    BeaconRecord bad = beacon("BBB", "300");
    bad.setRaw(BeaconField::Frequency, QByteArray(1, char(0)));
    t.write("ndb.dat", database({bad}) + "stray");
    EXPECT_EQ(CheckDatabaseIntegrity(t.folder(), 0).verdict, IntegrityVerdict::ReadError);
}

TEST(IntegrityCheck, OnlyFrequencyIsDecoded)
{
    TestFolder t;
    BeaconRecord odd = beacon("BBB", "300");
    odd.setRaw(BeaconField::Comments, QByteArray(1, char(0)) + QByteArray(1, char(1)));
    t.write("ndb.dat", database({odd}));
    EXPECT_EQ(CheckDatabaseIntegrity(t.folder(), 0).verdict, IntegrityVerdict::Ok);
}

TEST(IntegrityCheck, EveryStoredByteInFrequencyGivesAVerdict)
{
    for (int b = 0; b < 256; ++b) {
        TestFolder t;
        BeaconRecord r = beacon("AAA", "300");
        r.setRaw(BeaconField::Frequency, QByteArray(1, static_cast<char>(b)) + "5:");
        t.write("ndb.dat", r.bytes());
        const IntegrityResult result = CheckDatabaseIntegrity(t.folder(), 0);
        const int plain = b - 2;
        if (b < 2)
            EXPECT_EQ(result.verdict, IntegrityVerdict::ReadError) << b;
        else if ((plain >= '0' && plain <= '9') || b == ' ' || b == kShiftedBlank)
            EXPECT_EQ(result.verdict, IntegrityVerdict::Ok) << b; // "x38" or "38" or " 38"
        else if ((plain >= 'A' && plain <= 'Z') || plain == '-')
            EXPECT_EQ(result.verdict, IntegrityVerdict::RecordsMismatched) << b;
        else
            EXPECT_NE(result.verdict, IntegrityVerdict::ReadError) << b;
    }
}

TEST(IntegrityCheck, CountsBeyondSixteenBits)
{
    TestFolder t;
    const QByteArray one = beacon("ABC", "338").bytes();
    t.write("ndb.dat", one.repeated(40000));
    const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
    EXPECT_EQ(r.verdict, IntegrityVerdict::Ok);
    EXPECT_EQ(r.recordCount, 40000);
    EXPECT_EQ(r.validCount, 40000);
}
